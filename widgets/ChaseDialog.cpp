#include "widgets/ChaseDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolButton>

ChaseDialog::ChaseDialog(QWidget* parent, const QString& movieFile, const QString& title, bool showCancel)
    : CBaseDialog(parent, showCancel, false, showCancel)
{
    m_nResult = kChaseNoResult;
    SetTitle(title);
    auto* layout = new QGridLayout(GetContentFrame());
    auto* movieLabel = new QLabel(GetContentFrame());
    m_pMovie = new QMovie(movieFile, QByteArray(), this);
    movieLabel->setMovie(m_pMovie);
    m_pMovie->start();
    movieLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(movieLabel, 0, 0);
    connect(this, &QDialog::rejected, this, &ChaseDialog::SignalCancel);
    setFixedSize(280, 190);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &ChaseDialog::UpdateInfo);
    m_pTimer->start(kTick_ms);
}

ChaseDialog::~ChaseDialog()
{
    m_pTimer->stop();
}

void ChaseDialog::UpdateInfo()
{
    // Until the modal loop shows the dialog, a reported outcome waits for it.
    if (!isVisible())
        return;
    if (m_nResult == QDialog::Accepted)
        accept();
    else if (m_nResult == QDialog::Rejected)
        reject();
    m_nResult = kChaseNoResult;
}

void ChaseDialog::SetStopChase()
{
    m_nResult = QDialog::Accepted;
}
void ChaseDialog::OnSlotRejectChase()
{
    m_nResult = QDialog::Rejected;
}

void ChaseDialog::OnImmediatelyStopChase()
{
    m_nResult = QDialog::Accepted;
    accept();
}

CFakeChaseDialog::CFakeChaseDialog(QWidget* parent, const QString& movieFile) : CBaseDialog(parent, true, false, false)
{
    m_bShowOnTick = true;
    setWindowModality(Qt::NonModal);
    setModal(false);
    setEnabled(true);
    resize(276, 544);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    setAutoFillBackground(false);
    setStyleSheet(QStringLiteral("QDialog{ \nbackground-color: rgb(213, 211, 212);\nborder-style:none;\n}"));
    setWindowTitle(tr("CFakeChaseDialog"));

    m_pLayout = new QGridLayout(GetContentFrame());
    m_pChaseLabel = new QLabel(tr("Searching for channels"), GetContentFrame());
    m_pChaseLabel->setStyleSheet(QStringLiteral("color:blue"));
    m_pMovieLabel = new QLabel(GetContentFrame());
    auto* movie = new QMovie(movieFile, QByteArray(), this);
    m_pMovieLabel->setMovie(movie);
    movie->start();
    m_pNoChannelLabel = new QLabel(tr("No Channel Detected"), GetContentFrame());
    m_pNoChannelLabel->setStyleSheet(QStringLiteral("color:blue"));
    for (QLabel* label : {m_pChaseLabel, m_pMovieLabel, m_pNoChannelLabel})
        label->setAlignment(Qt::AlignTop | Qt::AlignHCenter | Qt::AlignVCenter);
    m_pInfoBtn = new QToolButton(GetContentFrame());
    // The disabled button shows its icon in the labels' blue, not greyed out on the grey overlay.
    QPixmap info(QStringLiteral(":/images/Tab/Information.png"));
    if (!info.isNull()) {
        QPainter tint(&info);
        tint.setCompositionMode(QPainter::CompositionMode_SourceIn);
        tint.fillRect(info.rect(), Qt::blue);
    }
    QIcon infoIcon(QStringLiteral(":/images/Tab/Information.png"));
    infoIcon.addPixmap(info, QIcon::Disabled);
    infoIcon.addPixmap(info, QIcon::Normal);
    m_pInfoBtn->setIcon(infoIcon);
    m_pInfoBtn->setStyleSheet(QStringLiteral("QToolButton{ border-style:none;}"));
    m_pInfoBtn->setEnabled(false);
    m_pLayout->addWidget(m_pNoChannelLabel, 0, 1);
    m_pLayout->addWidget(m_pMovieLabel, 0, 0);
    m_pLayout->addWidget(m_pInfoBtn, 0, 0);
    m_pLayout->addWidget(m_pChaseLabel, 1, 0);
    m_pNoChannelLabel->hide();
    m_pMovieLabel->hide();
    m_pInfoBtn->hide();
    m_pChaseLabel->hide();
    connect(this, &QDialog::rejected, this, &CFakeChaseDialog::SignalCancel);
    setFixedSize(280, 190);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    m_pTimer = new QTimer(this);
    connect(m_pTimer, &QTimer::timeout, this, &CFakeChaseDialog::UpdateInfo);
    m_pTimer->start(ChaseDialog::kTick_ms);
}

CFakeChaseDialog::~CFakeChaseDialog()
{
    m_pTimer->stop();
}

void CFakeChaseDialog::UpdateInfo()
{
    if (m_nResult == QDialog::Accepted)
        accept();
    else if (m_nResult == QDialog::Rejected)
        reject();
    if (m_bShowOnTick)
        show();
    m_bShowOnTick = false;
    m_nResult = kChaseNoResult;
}

void CFakeChaseDialog::SetStopChase()
{
    m_nResult = QDialog::Accepted;
}
void CFakeChaseDialog::OnSlotRejectChase()
{
    m_nResult = QDialog::Rejected;
}

void CFakeChaseDialog::OnImmediatelyStopChase()
{
    m_nResult = QDialog::Accepted;
    accept();
}

// Once its owner has chosen a face, the owner decides when the overlay shows: the show of the
// first tick is for an overlay nobody has shown yet, and must not bring back one that a scan
// already closed.
void CFakeChaseDialog::ShowNoChannelInfo()
{
    m_bShowOnTick = false;
    m_pNoChannelLabel->show();
    m_pInfoBtn->show();
    m_pMovieLabel->hide();
    m_pChaseLabel->hide();
}

void CFakeChaseDialog::ShowChaseInfo()
{
    m_bShowOnTick = false;
    m_pMovieLabel->show();
    m_pChaseLabel->show();
    m_pNoChannelLabel->hide();
    m_pInfoBtn->hide();
}

void CFakeChaseDialog::setSize(int width, int heigth)
{
    setFixedSize(width, heigth);
}

void CFakeChaseDialog::mousePressEvent(QMouseEvent*) {}
