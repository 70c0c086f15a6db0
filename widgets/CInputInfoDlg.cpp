#include "widgets/CInputInfoDlg.h"

#include "app/CommonUtil.h"
#include "widgets/CToolTip.h"
#include "widgets/CValidators.h"

#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

void Ui::CInputInfoClass::setupUi(QWidget* form)
{
    form->resize(326, 85);
    layoutWidget = new QWidget(form);
    layoutWidget->setObjectName(QStringLiteral("layoutWidget"));
    layoutWidget->setGeometry(QRect(30, 20, 251, 22));
    horizontalLayout = new QHBoxLayout(layoutWidget);
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->setContentsMargins(0, 0, 0, 0);
    labelName = new QLabel(layoutWidget);
    labelName->setObjectName(QStringLiteral("labelName"));
    labelName->setMinimumWidth(90);
    horizontalLayout->addWidget(labelName);
    m_pEditName = new QLineEdit(layoutWidget);
    m_pEditName->setObjectName(QStringLiteral("m_pEditName"));
    horizontalLayout->addWidget(m_pEditName);
    retranslateUi(form);
}

void Ui::CInputInfoClass::retranslateUi(QWidget* form)
{
    form->setWindowTitle(QCoreApplication::translate("CInputInfoClass", "Form"));
    labelName->setText(QCoreApplication::translate("CInputInfoClass", "Name:"));
}

CInputInfoDlg::CInputInfoDlg(QWidget* parent) : CBaseDialog(parent, true, true, true)
{
    m_ui.setupUi(GetContentFrame());
    // The pattern names what must not occur: an apostrophe.
    m_validator = new CRegExpValidator(64, QRegularExpression(QStringLiteral("'")), this);
    m_ui.m_pEditName->setValidator(m_validator);
    setFixedSize(324, 160);
    m_ui.m_pEditName->setFocus();
    SetAcceptOnOk(false);
    connect(this, &CBaseDialog::ClickedOKBtnSig, this, &CInputInfoDlg::ClickedOKBtn);
}

CInputInfoDlg::~CInputInfoDlg() = default;

void CInputInfoDlg::SetName(QString name)
{
    m_ui.m_pEditName->setText(name);
}

QString CInputInfoDlg::GetName() const
{
    return m_ui.m_pEditName->text().trimmed();
}

void CInputInfoDlg::ClickedOKBtn()
{
    const QString name = GetName();
    const QPoint at = m_ui.m_pEditName->mapToGlobal(QPoint(0, 0));
    if (name.isEmpty()) {
        CToolTip::showText(at, tr("Name cannot be empty."), m_ui.m_pEditName);
        return;
    }
    if (!CCommonUtil::IsLegalFileName(name)) {
        CToolTip::showText(at, tr("Name cannot contain the following symbol (' )."), m_ui.m_pEditName);
        return;
    }
    emit ClickedOKSig(name, at);
}

void CInputInfoDlg::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        ClickedOKBtn();
        return;
    default:
        CBaseDialog::keyPressEvent(e);
    }
}
