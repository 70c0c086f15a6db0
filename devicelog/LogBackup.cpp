#include "devicelog/LogBackup.h"

#include "widgets/CPathComboBox.h"
#include "widgets/CToolTip.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

void Ui::LogSearchProgressUi::setupUi(QWidget* frame)
{
    if (frame->objectName().isEmpty())
        frame->setObjectName(QStringLiteral("LogSearchProgressUi"));
    frame->resize(350, 96);
    frame->setWindowTitle(QCoreApplication::translate("LogSearchProgressUi", "Form"));
    pProgressLabel = new QLabel(frame);
    pProgressLabel->setObjectName(QStringLiteral("pProgressLabel"));
    pProgressLabel->setGeometry(QRect(20, 25, 181, 16));
    pProgressBar = new QProgressBar(frame);
    pProgressBar->setObjectName(QStringLiteral("pProgressBar"));
    pProgressBar->setGeometry(QRect(10, 50, 331, 23));
    pProgressBar->setValue(0);
    pProgressBar->setTextVisible(false);
}

CLogSearchProgress::CLogSearchProgress(QWidget* parent) : CBaseDialog(parent, true, false, true)
{
    m_ui.setupUi(GetContentFrame());
    SetTitle(tr("Progress"));
    ShowOkBtn(false);
    setFixedSize(374, 184);
    qRegisterMetaType<ProgressInfo>("ProgressInfo");
    connect(this, &QDialog::rejected, this, &CLogSearchProgress::OnCancel);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CLogSearchProgress::UpdateBar);
    m_pTimer->start(kUpdate_ms);
}

CLogSearchProgress::~CLogSearchProgress()
{
    m_pTimer->stop();
}

void CLogSearchProgress::SetText(const QString& text)
{
    m_ui.pProgressLabel->setText(text);
}

int CLogSearchProgress::PercentOf(int current, int total, int percent)
{
    if (total <= 0)
        return percent;
    return int(current * 1.0 / total * 100);
}

void CLogSearchProgress::OnProgressChanged(ProgressInfo struInfo)
{
    m_iPercent = PercentOf(struInfo.current, struInfo.total, m_iPercent);
}

void CLogSearchProgress::UpdateBar()
{
    m_ui.pProgressBar->setValue(std::min(m_iPercent, 100));
    if (m_iPercent == 100)
        accept();
}

void Ui::UiLogBackup::setupUi(QWidget* frame)
{
    if (frame->objectName().isEmpty())
        frame->setObjectName(QStringLiteral("UiLogBackup"));
    frame->resize(254, 88);
    auto* grid = new QGridLayout(frame);
    grid->setObjectName(QStringLiteral("gridLayout"));
    grid->setContentsMargins(9, 20, 9, 20);
    label_2 = new QLabel(frame);
    label_2->setObjectName(QStringLiteral("label_2"));
    label_2->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    label_2->setFixedHeight(22);
    grid->addWidget(label_2, 0, 0, 1, 2);
    pBackcBox = new CPathComboBox(frame);
    pBackcBox->setObjectName(QStringLiteral("pBackcBox"));
    grid->addWidget(pBackcBox, 1, 0, 1, 2);
    retranslateUi(frame);
}

void Ui::UiLogBackup::retranslateUi(QWidget* frame)
{
    frame->setWindowTitle(QCoreApplication::translate("UiLogBackup", "Form"));
    label_2->setText(QCoreApplication::translate("UiLogBackup", "File Path:"));
}

CLogBackup::CLogBackup(QWidget* parent) : CBaseDialog(parent, true, true, true)
{
    m_ui.setupUi(GetContentFrame());
    SetTitle(tr("Backup Log"));
    SetOkBtnText(tr("Backup"));
    setFixedSize(300, 180);
    ShowCloseBtn(true);
    SetAcceptOnOk(false);
    m_ui.pBackcBox->SetPathMode(0);
    m_ui.pBackcBox->SetFileFilter(QStringLiteral("XML(*.xml)"));
    m_ui.pBackcBox->SetCaption(tr("Select backup path"));
    connect(this, &CBaseDialog::ClickedOKBtnSig, this, qOverload<>(&CLogBackup::OnAccepted));
}

void CLogBackup::OnAccepted()
{
    const QString path = m_ui.pBackcBox->currentText();
    if (path.isEmpty()) {
        CToolTip::showText(mapToGlobal(m_ui.pBackcBox->mapTo(this, QPoint(0, 0))), tr("File path cannot be empty."),
                           this);
        return;
    }
    close();
    emit OnAccepted(path);
}
