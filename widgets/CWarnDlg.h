// The modal message box: a warning (close button only) or a question (OK and Cancel) on the base
// dialog, whose width follows the length of the message and whose height grows with the text.
// The text is always shown as it stands (plain text), so a file name with "<" or "&" is never
// taken for markup. Results: QDialog::Accepted (OK, Return), QDialog::Rejected (rejected or closed);
// a question without a parent is not asked and gives -1. Every box goes
// through the prompt seam (widgets/PromptHook.h) with kind Warn or Question.
#pragma once

#include "widgets/CBaseDialog.h"

#include <QSizeF>

class QTextBrowser;

namespace Ui {
struct CWarnDlgClass {
    QTextBrowser* m_pBrowserTxt = nullptr;
    void setupUi(QWidget* frame);
};
}  // namespace Ui

class CWarnDlg : public CBaseDialog {
    Q_OBJECT
public:
    explicit CWarnDlg(QWidget* parent = nullptr);
    ~CWarnDlg() override;

    int ExecWarn(const QString& title, const QString& text);
    int ExecQuestion(const QString& title, const QString& text);
    void SetTitleAndText(const QString& title, const QString& text);
    // Fixes the width from the one-line width of the text (before the dialog shows).
    void AdjustWidthToText(const QString& text);
    void FitBrowserToWidth();
    void SetParent(QWidget* parent) { setParent(parent); }
    QTextBrowser* Browser() const { return m_ui.m_pBrowserTxt; }

    static int ShowWarn(const QString& title, const QString& text, QWidget* parent);
    // -1 at once, showing nothing, when `parent` is null (the question is logged and reported to
    // the prompt seam); else 1 for OK.
    static int ShowQuestion(const QString& title, const QString& text, QWidget* parent);

    // The width rule on a text of `textWidth_px` pixels: {dialog width, browser width}.
    static QSize WidthsForText(int textWidth_px);

    static constexpr int kMinWidth = 300;
    static constexpr int kHeight = 225;
    static constexpr int kMaxWidth = 1024;
    static constexpr int kMargin = 12;

public slots:
    void TextNeededSize(const QSizeF& sizeText);

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    Ui::CWarnDlgClass m_ui;
    int m_nMinWidth = kMinWidth;
    int m_nHeight = kHeight;
    int m_nMaxWidth = kMaxWidth;
    int m_nMargin = kMargin;
};
