// The frameless base of every dialog: its own title bar (centred white bold title, small close
// button), a content frame for the subclass's widgets and an optional bottom bar with OK and
// Cancel. Dragged by its top 33 pixels; Escape never closes it; Return, Enter and Select accept.
// Every modal exec() goes through CPromptHook (widgets/PromptHook.h), so tests can answer it.
#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include "widgets/PromptHook.h"

class QFrame;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class CPushButton;

namespace Ui {
struct CBaseDialogClass {
    QGridLayout* m_pgridBaseDialog = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* pLabelTitle = nullptr;
    CPushButton* m_pCloseBtn = nullptr;
    QFrame* m_pContentFrame = nullptr;
    QFrame* m_pBottomFrame = nullptr;
    QGridLayout* gridLayout_2 = nullptr;
    CPushButton* pOkBtn = nullptr;
    CPushButton* pCancelBtn = nullptr;
    void setupUi(QDialog* dialog);
    void retranslateUi(QDialog* dialog);
};
}  // namespace Ui

class CBaseDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDragStrip_px = 33;

    CBaseDialog(QWidget* parent = nullptr, bool showBottom = true, bool showOk = true, bool showCancel = true);
    ~CBaseDialog() override;

    void SetTitle(const QString& title);
    QString GetTitle() const;
    void ShowCloseBtn(bool show);
    void ShowOkBtn(bool show);
    void SetBottomVisible(bool visible);
    void SetAcceptOnOk(bool accept) { m_bAcceptOnOk = accept; }
    void SetCloseOnClose(bool close) { m_bCloseOnClose = close; }
    bool SetContentWidget(QWidget* w);
    QFrame* GetContentFrame() const { return m_ui.m_pContentFrame; }
    void SetOkBtnText(const QString& text);
    void SetCancelBtnText(const QString& text);

    // The modal loop, through the prompt seam.
    int exec() override;

    // The handlers of the OK and close buttons. Plain functions, not slots named after the
    // buttons, so that a subclass's form that connects slots by name never connects them twice.
    void on_pOkBtn_clicked();
    void on_m_pCloseBtn_clicked();

    // The form's widgets, for tests and subclasses that style them.
    CPushButton* OkButton() const { return m_ui.pOkBtn; }
    CPushButton* CancelButton() const { return m_ui.pCancelBtn; }
    CPushButton* CloseButton() const { return m_ui.m_pCloseBtn; }
    QFrame* BottomFrame() const { return m_ui.m_pBottomFrame; }
    QLabel* TitleLabel() const { return m_ui.pLabelTitle; }

    static const char* const kBottomSheet;
    static const char* const kBottomSheetOneLine;
    static const char* const kPlainSheet;

signals:
    void leftBtn_clicked();
    void ClickedOKBtnSig();
    void ClickedCloseBtnSig();

public slots:
    void SetOkBtnEnable(bool bEnabled);
    void OnConfirmBtnClicked();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

    // What exec() reports to the prompt seam; CWarnDlg sets its question or warning here.
    CPrompt::Kind m_promptKind = CPrompt::Exec;
    QString m_promptText;

private:
    Ui::CBaseDialogClass m_ui;
    int m_bMousePressed = 0;
    QPoint m_ptDragOffset;
    QGridLayout* m_pContentLayout = nullptr;
    bool m_bAcceptOnOk = true;
    bool m_bCloseOnClose = true;
};
