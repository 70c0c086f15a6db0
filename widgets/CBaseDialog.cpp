#include "widgets/CBaseDialog.h"

#include "app/gui/CommonUtilGui.h"
#include "widgets/CPushButton.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QSpacerItem>

const char* const CBaseDialog::kBottomSheet =
    "QDialog#CBaseDialogClass{border-image:url(\":/images/Dialog/dialog_bg.png\") 58;\nborder-width:58;}";
const char* const CBaseDialog::kBottomSheetOneLine =
    "QDialog#CBaseDialogClass{border-image:url(\":/images/Dialog/dialog_bg.png\") 58;            border-width:58;}";
const char* const CBaseDialog::kPlainSheet =
    "QDialog#CBaseDialogClass{border-image:url(\":/images/Dialog/dialog_bg2.png\") 34 6 16 6;\nborder-width:34 6 16 "
    "6;}";

void Ui::CBaseDialogClass::setupUi(QDialog* dialog)
{
    if (dialog->objectName().isEmpty())
        dialog->setObjectName(QStringLiteral("CBaseDialogClass"));
    dialog->resize(437, 327);
    dialog->setMinimumSize(QSize(0, 150));

    m_pgridBaseDialog = new QGridLayout(dialog);
    m_pgridBaseDialog->setObjectName(QStringLiteral("m_pgridBaseDialog"));
    m_pgridBaseDialog->setVerticalSpacing(0);
    m_pgridBaseDialog->setContentsMargins(6, 3, 6, 5);

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setObjectName(QStringLiteral("horizontalLayout"));
    horizontalLayout->addItem(new QSpacerItem(20, 0, QSizePolicy::Fixed, QSizePolicy::Minimum));

    pLabelTitle = new QLabel(dialog);
    pLabelTitle->setObjectName(QStringLiteral("pLabelTitle"));
    pLabelTitle->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    pLabelTitle->setMinimumSize(QSize(100, 30));
    pLabelTitle->setMaximumSize(QSize(16777215, 16777215));
    QFont titleFont;
    titleFont.setFamily(QStringLiteral("Arial"));
    titleFont.setBold(true);
    titleFont.setWeight(QFont::Bold);
    pLabelTitle->setFont(titleFont);
    pLabelTitle->setStyleSheet(QStringLiteral("QLabel#pLabelTitle{color: rgb(255, 255, 255);}"));
    pLabelTitle->setAlignment(Qt::AlignCenter);
    horizontalLayout->addWidget(pLabelTitle);

    m_pCloseBtn = new CPushButton(dialog);
    m_pCloseBtn->setObjectName(QStringLiteral("m_pCloseBtn"));
    m_pCloseBtn->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    m_pCloseBtn->setFixedSize(20, 20);
    m_pCloseBtn->setFocusPolicy(Qt::NoFocus);
    m_pCloseBtn->setIconSize(QSize(20, 20));
    m_pCloseBtn->setStyleSheet(QStringLiteral(
        "QPushButton{border: none;margin:0px;border-image:url(:/images/title/close.png); }\n"
        "QPushButton:hover{border: none;margin:0px;border-image:url(:/images/title/close_hover.png); }"));
    horizontalLayout->addWidget(m_pCloseBtn);
    m_pgridBaseDialog->addLayout(horizontalLayout, 0, 0, 1, 1);

    m_pContentFrame = new QFrame(dialog);
    m_pContentFrame->setObjectName(QStringLiteral("m_pContentFrame"));
    m_pContentFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_pContentFrame->setMinimumSize(QSize(100, 0));
    m_pContentFrame->setFocusPolicy(Qt::NoFocus);
    m_pContentFrame->setStyleSheet(QStringLiteral("QFrame#m_pContentFrame\n{\n\tborder:none;\n}"));
    m_pContentFrame->setFrameShape(QFrame::StyledPanel);
    m_pContentFrame->setFrameShadow(QFrame::Raised);
    m_pgridBaseDialog->addWidget(m_pContentFrame, 1, 0, 1, 1);

    m_pBottomFrame = new QFrame(dialog);
    m_pBottomFrame->setObjectName(QStringLiteral("m_pBottomFrame"));
    m_pBottomFrame->setMaximumSize(QSize(16777215, 52));
    m_pBottomFrame->setFrameShape(QFrame::StyledPanel);
    m_pBottomFrame->setFrameShadow(QFrame::Raised);
    gridLayout_2 = new QGridLayout(m_pBottomFrame);
    gridLayout_2->setObjectName(QStringLiteral("gridLayout_2"));
    gridLayout_2->addItem(new QSpacerItem(10, 25, QSizePolicy::Expanding, QSizePolicy::Minimum), 0, 0, 1, 1);
    pOkBtn = new CPushButton(m_pBottomFrame);
    pOkBtn->setObjectName(QStringLiteral("pOkBtn"));
    pOkBtn->setMinimumSize(QSize(80, 24));
    gridLayout_2->addWidget(pOkBtn, 0, 1, 1, 1);
    pCancelBtn = new CPushButton(m_pBottomFrame);
    pCancelBtn->setObjectName(QStringLiteral("pCancelBtn"));
    pCancelBtn->setMinimumSize(QSize(80, 24));
    gridLayout_2->addWidget(pCancelBtn, 0, 2, 1, 1);
    m_pgridBaseDialog->addWidget(m_pBottomFrame, 2, 0, 1, 1);

    retranslateUi(dialog);
}

void Ui::CBaseDialogClass::retranslateUi(QDialog* dialog)
{
    dialog->setWindowTitle(QCoreApplication::translate("CBaseDialogClass", "Dialog"));
    pLabelTitle->setText(QString());
    m_pCloseBtn->setText(QString());
    pOkBtn->setText(QCoreApplication::translate("CBaseDialogClass", "OK"));
    pCancelBtn->setText(QCoreApplication::translate("CBaseDialogClass", "Cancel"));
}

CBaseDialog::CBaseDialog(QWidget* parent, bool showBottom, bool showOk, bool showCancel) : QDialog(parent)
{
    m_ptDragOffset = QPoint(0, 0);
    m_ui.setupUi(this);
    // The buttons are connected here, once (see on_pOkBtn_clicked).
    connect(m_ui.pCancelBtn, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui.pOkBtn, &QPushButton::clicked, this, [this] { on_pOkBtn_clicked(); });
    connect(m_ui.m_pCloseBtn, &QPushButton::clicked, this, [this] { on_m_pCloseBtn_clicked(); });

    m_ui.m_pCloseBtn->hide();
    if (showBottom) {
        setStyleSheet(QLatin1String(kBottomSheet));
    } else {
        m_ui.m_pBottomFrame->hide();
        m_ui.m_pgridBaseDialog->setContentsMargins(6, 4, 6, 11);
        setStyleSheet(QLatin1String(kPlainSheet));
    }
    m_pContentLayout = nullptr;
    if (!showOk)
        m_ui.pOkBtn->hide();
    if (!showCancel)
        m_ui.pCancelBtn->hide();
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_bMousePressed = 0;
    m_bAcceptOnOk = true;
    m_bCloseOnClose = true;
}

CBaseDialog::~CBaseDialog() = default;

void CBaseDialog::SetTitle(const QString& title)
{
    m_ui.pLabelTitle->setText(title);
}
QString CBaseDialog::GetTitle() const
{
    return m_ui.pLabelTitle->text();
}
void CBaseDialog::ShowCloseBtn(bool show)
{
    m_ui.m_pCloseBtn->setVisible(show);
}
void CBaseDialog::ShowOkBtn(bool show)
{
    m_ui.pOkBtn->setVisible(show);
}

void CBaseDialog::SetBottomVisible(bool visible)
{
    m_ui.pOkBtn->setVisible(visible);
    m_ui.pCancelBtn->setVisible(visible);
    m_ui.m_pBottomFrame->setVisible(visible);
    setStyleSheet(QLatin1String(visible ? kBottomSheetOneLine : kPlainSheet));
}

bool CBaseDialog::SetContentWidget(QWidget* w)
{
    if (!w)
        return false;
    if (!m_pContentLayout)
        m_pContentLayout = new QGridLayout(m_ui.m_pContentFrame);
    m_pContentLayout->setContentsMargins(0, 0, 0, 0);
    m_pContentLayout->addWidget(w);  // the next free cell of the grid
    return true;
}

void CBaseDialog::SetOkBtnText(const QString& text)
{
    m_ui.pOkBtn->setText(text);
}
void CBaseDialog::SetCancelBtnText(const QString& text)
{
    m_ui.pCancelBtn->setText(text);
}
void CBaseDialog::SetOkBtnEnable(bool bEnabled)
{
    m_ui.pOkBtn->setEnabled(bEnabled);
}

int CBaseDialog::exec()
{
    CPrompt prompt;
    prompt.kind = m_promptKind;
    prompt.className = QLatin1String(metaObject()->className());
    prompt.title = GetTitle();
    prompt.text = m_promptText;
    prompt.dialog = this;
    return CPromptHook::Exec(this, prompt, [this] { return QDialog::exec(); });
}

void CBaseDialog::on_pOkBtn_clicked()
{
    if (m_bAcceptOnOk)
        accept();
    else
        emit ClickedOKBtnSig();
}

void CBaseDialog::OnConfirmBtnClicked()
{
    on_pOkBtn_clicked();
}

void CBaseDialog::on_m_pCloseBtn_clicked()
{
    if (m_bCloseOnClose)
        close();
    else
        emit ClickedCloseBtnSig();
}

void CBaseDialog::mousePressEvent(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    if (pos.y() < kDragStrip_px)
        m_bMousePressed = 1;
    m_ptDragOffset = pos;
}

void CBaseDialog::mouseMoveEvent(QMouseEvent* e)
{
    if (!m_bMousePressed)
        return;
    move(CCommonUtil::AdjustPosToAvailable(e->globalPosition().toPoint()) - m_ptDragOffset);
}

void CBaseDialog::mouseReleaseEvent(QMouseEvent*)
{
    m_bMousePressed = 0;
}

void CBaseDialog::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        accept();
        QDialog::keyPressEvent(e);
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

void CBaseDialog::resizeEvent(QResizeEvent* e)
{
    setMask(CCommonUtil::GetRoundRectRegion(rect(), 2));
    QDialog::resizeEvent(e);
}
