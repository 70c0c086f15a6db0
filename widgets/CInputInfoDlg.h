// A base dialog that asks for one name: it refuses an empty name or one holding a character
// that cannot stand in a file name, and reports an accepted name by a signal instead of closing.
#pragma once

#include "widgets/CBaseDialog.h"

#include <QPoint>
#include <QString>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class CRegExpValidator;

namespace Ui {
struct CInputInfoClass {
    QWidget* layoutWidget = nullptr;
    QHBoxLayout* horizontalLayout = nullptr;
    QLabel* labelName = nullptr;
    QLineEdit* m_pEditName = nullptr;
    void setupUi(QWidget* form);
    void retranslateUi(QWidget* form);
};
}  // namespace Ui

class CInputInfoDlg : public CBaseDialog {
    Q_OBJECT
public:
    explicit CInputInfoDlg(QWidget* parent = nullptr);
    ~CInputInfoDlg() override;

    virtual void SetName(QString name);
    // The editor's text without leading and trailing white space.
    QString GetName() const;
    QLineEdit* NameEdit() const { return m_ui.m_pEditName; }

signals:
    void ClickedOKSig(QString strPresetName, QPoint Editpoint);

public slots:
    void ClickedOKBtn();

protected:
    void keyPressEvent(QKeyEvent* e) override;

private:
    Ui::CInputInfoClass m_ui;
    CRegExpValidator* m_validator;
};
