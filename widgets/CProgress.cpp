#include "widgets/CProgress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <algorithm>

void Ui::ProgressUi::setupUi(QWidget* frame)
{
    if (frame->objectName().isEmpty())
        frame->setObjectName(QStringLiteral("ProgressUi"));
    frame->resize(350, 96);
    frame->setWindowTitle(QCoreApplication::translate("ProgressUi", "Form"));
    pProgressLabel = new QLabel(frame);
    pProgressLabel->setObjectName(QStringLiteral("pProgressLabel"));
    pProgressLabel->setGeometry(QRect(20, 25, 181, 16));
    pProgressLabel->setText(QString());
    pProgressBar = new QProgressBar(frame);
    pProgressBar->setObjectName(QStringLiteral("pProgressBar"));
    pProgressBar->setGeometry(QRect(10, 50, 331, 23));
    pProgressBar->setValue(0);
    pProgressBar->setTextVisible(false);
    QMetaObject::connectSlotsByName(frame);
}

CProgress::CProgress(QWidget* parent) : CBaseDialog(parent, true, true, true)
{
    m_nPercent = 0;
    m_ui.setupUi(GetContentFrame());
    SetTitle(tr("Progress"));
    ShowOkBtn(false);
    setFixedSize(374, 184);
    qRegisterMetaType<ProgressInfo>("ProgressInfo");
    connect(this, &QDialog::rejected, this, &CProgress::SignalCancel);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CProgress::OnUpdateBar);
    m_pTimer->start(kUpdate_ms);
}

CProgress::~CProgress()
{
    m_pTimer->stop();
}

void CProgress::SetLabelText(const QString& text)
{
    m_ui.pProgressLabel->setText(text);
}

int CProgress::PercentOf(int current, int total, bool* ignored)
{
    *ignored = total == 0;
    if (total == 0)
        return -1;
    // Beyond 100 the bar is full anyway; the bound keeps the conversion defined.
    const double percent = current * 1.0 / total * 100.0;
    return int(std::clamp(percent, -1.0e9, 100.0));
}

void CProgress::OnProgressChanged(int iCurrent, int iTotal)
{
    bool ignored = false;
    const int percent = PercentOf(iCurrent, iTotal, &ignored);
    if (ignored)
        return;
    m_nPercent = percent;
    OnUpdateBar();
}

void CProgress::OnProgressChanged(ProgressInfo struInfo)
{
    OnProgressChanged(struInfo.current, struInfo.total);
}

void CProgress::OnUpdateBar()
{
    if (m_nPercent >= 100)
        m_nPercent = 100;
    m_ui.pProgressBar->setValue(m_nPercent);
    if (m_nPercent == m_ui.pProgressBar->maximum())
        accept();
}
