#include "playback/PlaybackWnd.h"

#include <QAction>
#include <QCursor>
#include <QDragEnterEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QCoreApplication>
#include <QTimer>
#include <QToolButton>

#include "app/CommonUtil.h"
#include "app/gui/CommonUtilGui.h"
#include "app/FreeSpaceCache.h"
#include "app/SettingsManager.h"
#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "playback/PlayWndBottom.h"
#include "playback/PlaybackDownLoad.h"
#include "platform/vrend/VideoSurface.h"
#include "widgets/CInformationDlg.h"

#include <algorithm>
#include <atomic>
#include <mutex>

namespace {
constexpr int kPoll_ms = 300;
// The first poll after a start comes a little later for each further cell: sixteen cells started
// together (a start for all) poll apart, and those that failed stop and speak one per turn of the
// event loop, not all in one.
constexpr int kPollStagger_ms = 6;
constexpr int kTitleHeight_px = 18;
constexpr int kTimeWidth_px = 125;
const char* const kButtonStyle =
    " QToolButton{border: transparent;color: rgb(255, 255, 255);}"
    "QToolButton:hover{border-image: url(:/images/MainView/Preview/hover.png);}";
const char* const kZoomOnStyle = "QToolButton{border-image: url(:/images/MainView/Preview/hover.png);}";
}  // namespace

// Draws the zoom rectangle over the video surface, on the GUI thread. It lets every mouse event
// through to the surface.
class CZoomOverlay : public QWidget {
public:
    explicit CZoomOverlay(CPlaybackWnd* cell, QWidget* surface) : QWidget(surface), m_cell(cell)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setGeometry(surface->rect());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const std::optional<QRectF> region = m_cell->ZoomRect();
        if (!region || !m_cell->IsZoomOn())
            return;
        QPainter p(this);
        p.setPen(QPen(QColor(172, 168, 168), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(PlayWnd::ZoomRectOnSurface(*region, size()));
    }

private:
    CPlaybackWnd* m_cell;
};

// The hook runs on an engine's threads and may outlive the cell: it posts by the slot's name (the
// queued call is made inside Qt) and only while the cell exists, which its lock guarantees. One
// call waits at a time: the slot reads the latest state and every outcome since.
struct CPlaybackWnd::EngineMailbox {
    std::mutex lock;
    CPlaybackWnd* window = nullptr;
    std::atomic<bool> pending{false};
};

CPlaybackWnd::CPlaybackWnd(CPlaybackWndHost* host, QWidget* parent)
    : CPlayerFrame(parent), m_host(host), m_mailbox(std::make_shared<EngineMailbox>())
{
    m_mailbox->window = this;
    SetBarEnabled(false);
    setAcceptDrops(true);

    m_pTitlelabel = new QLabel(this);
    m_pTitlelabel->setObjectName(QStringLiteral("m_pTitlelabel"));
    m_pTimeLabel = new QLabel(QString::fromLatin1(PlayWnd::kNoTime), this);
    m_pTimeLabel->setObjectName(QStringLiteral("m_pTimeLabel"));
    m_pSpeedLabel = new QLabel(this);
    m_pSpeedLabel->setObjectName(QStringLiteral("m_pSpeedLabel"));
    m_pSpeedLabel->setAlignment(Qt::AlignCenter);
    m_pSpeedLabel->hide();

    SetBarVisible(false);
    Surface()->setObjectName(QStringLiteral("m_pframePlay"));
    Surface()->setContextMenuPolicy(Qt::CustomContextMenu);

    auto makeButton = [this](const QString& tip, const QString& icon) {
        auto* b = new QToolButton(this);
        b->setFixedSize(22, 22);
        b->setEnabled(false);
        b->setToolTip(tip);
        b->setIcon(CCommonUtil::LoadIcon(icon));
        b->setStyleSheet(QString::fromLatin1(kButtonStyle));
        b->hide();  // shown in the bar once it is made
        return b;
    };
    m_pZoomBtn = makeButton(tr("Digital Zoom"), QStringLiteral(":/images/MainView/Preview/eZoom.png"));
    m_pSnapshotBtn = makeButton(tr("Capture"), QStringLiteral(":/images/MainView/Preview/snapshot.png"));
    m_pRecordBtn = makeButton(tr("Start Recording"), QStringLiteral(":/images/MainView/Preview/record.png"));
    m_pSoundBtn = makeButton(tr("Open Sound"), QStringLiteral(":/images/public/Volume/CloseSound.png"));
    connect(m_pZoomBtn, &QToolButton::clicked, this, &CPlaybackWnd::OnDigitalZoom);
    connect(m_pSnapshotBtn, &QToolButton::clicked, this, &CPlaybackWnd::OnSnapshot);
    connect(m_pRecordBtn, &QToolButton::clicked, this, &CPlaybackWnd::OnRecord);
    connect(m_pSoundBtn, &QToolButton::clicked, this, &CPlaybackWnd::OnOpenVoice);

    connect(Surface(), &QWidget::customContextMenuRequested, this, &CPlaybackWnd::OnRightMouseResponse);

    auto makeAction = [this](const QString& icon, const QString& text, bool enabled) {
        auto* a = new QAction(CCommonUtil::LoadIcon(icon), text, this);
        a->setEnabled(enabled);
        return a;
    };
    m_pZoomAct = makeAction(QStringLiteral(":/images/MainView/Preview/eZoom.png"), tr("Digital Zoom"), false);
    m_pDownloadAct = makeAction(QStringLiteral(":/images/MainView/Preview/DownLoad.png"), tr("DownLoad"), true);
    m_pSnapshotAct = makeAction(QStringLiteral(":/images/MainView/Preview/snapshot.png"), tr("Snapshot"), false);
    m_pRecordAct = makeAction(QStringLiteral(":/images/MainView/Preview/record.png"), tr("Start Recording"), false);
    m_pSoundAct = makeAction(QStringLiteral(":/images/public/Volume/CloseSound.png"), tr("Open Sound"), false);
    m_pFullScreenAct = makeAction(QStringLiteral(":/images/MainView/PlayBack/FullScreen.png"), tr("Full Screen"), true);
    connect(m_pZoomAct, &QAction::triggered, this, &CPlaybackWnd::OnDigitalZoom);
    connect(m_pDownloadAct, &QAction::triggered, this, &CPlaybackWnd::OnDownLoad);
    connect(m_pSnapshotAct, &QAction::triggered, this, &CPlaybackWnd::OnSnapshot);
    connect(m_pRecordAct, &QAction::triggered, this, &CPlaybackWnd::OnRecord);
    connect(m_pSoundAct, &QAction::triggered, this, &CPlaybackWnd::OnOpenVoice);
    connect(m_pFullScreenAct, &QAction::triggered, this, [this] {
        if (m_host)
            m_host->ToggleFullScreen();
    });

    m_pOsdTimer = new QTimer(this);
    m_pOsdTimer->setInterval(kPoll_ms);
    connect(m_pOsdTimer, &QTimer::timeout, this, [this] {
        if (m_pOsdTimer->interval() != kPoll_ms)
            m_pOsdTimer->setInterval(kPoll_ms);
        OnUpdateOSDTime();
    });
    m_pOverlay = new CZoomOverlay(this, Surface());
    Surface()->installEventFilter(this);
}

CPlaybackWnd::~CPlaybackWnd()
{
    std::lock_guard<std::mutex> lock(m_mailbox->lock);
    m_mailbox->window = nullptr;
}

void CPlaybackWnd::OnBarMade(CPlayWndBottom* bar)
{
    bar->SetButtons({}, {m_pSnapshotBtn, m_pRecordBtn, m_pZoomBtn, m_pSoundBtn});
    bar->Relayout();
}

void CPlaybackWnd::SetWndIndex(int index)
{
    m_cellIndex = index;
    m_titlePrefix = PlayWnd::TitlePrefix(tr("Window"), index);
    ShowTitle(m_titlePrefix);
}

void CPlaybackWnd::SetWndParam(VoiceCallback callback, void* user)
{
    m_voiceCallback = callback;
    m_voiceUser = user;
}

void CPlaybackWnd::SetAdaptType(int type)
{
    SetAdaptTypeValue(type);
    FitVideoRect(width() - 2 * SurfaceOffsetX(), height() - 2 * SurfaceOffsetY() - kTitleHeight_px);
}

CPlayBackInteraction* CPlaybackWnd::GetPlayer() const
{
    return m_host ? m_host->Player(m_cellIndex) : nullptr;
}

void CPlaybackWnd::SetChannelInfo(const Varpen::CChannel& channel)
{
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    player->SetChannel(channel);
    m_quietClipStops = 0;
    ListenTo(player);
    if (m_host)
        m_host->ClearSegments(m_cellIndex);
    m_channelName = channel.GetName();
    m_channelText = PlayWnd::ChannelText(tr("channel"), channel.GetNumber(), channel.GetFlag());
    SetBarEnabled(channel.GetNumber() != -1);
    UpdateTitle();
}

void CPlaybackWnd::ListenTo(CPlayBackInteraction* player)
{
    // From any thread, to this one; a hook left behind on an engine that outlives the cell calls
    // nothing.
    player->SetChangedHook([mailbox = m_mailbox] {
        std::lock_guard<std::mutex> lock(mailbox->lock);
        if (mailbox->window && !mailbox->pending.exchange(true))
            QMetaObject::invokeMethod(mailbox->window, "OnEngineChanged", Qt::QueuedConnection);
    });
}

void CPlaybackWnd::ResetPlayWnd()
{
    OnMouseLeave();
    // The download dialog lists the files of the binding that ends here: its job ends, it hides,
    // and its next show builds the table from the window's new files.
    if (CPlaybackDownLoad* dialog = m_host ? m_host->DownloadDialog(m_cellIndex) : nullptr) {
        dialog->OnStopDonload();
        dialog->hide();
        dialog->ResetPeriods();
    }
    SetChannelInfo(Varpen::CChannel());
}

void CPlaybackWnd::UpdateTitle()
{
    if (m_channelText == QLatin1String("-1")) {
        m_channelName.clear();
        m_channelText.clear();
    }
    ShowTitle(FullTitle());
}

void CPlaybackWnd::ShowTitle(const QString& title)
{
    m_titleText = title;
    ElideTitle();
}

void CPlaybackWnd::ElideTitle()
{
    // The name gives way to the time: what does not fit its own room ends in an ellipsis.
    m_pTitlelabel->ensurePolished();
    const int room = std::max(0, m_pTitlelabel->contentsRect().width());
    m_pTitlelabel->setText(m_pTitlelabel->fontMetrics().elidedText(m_titleText, Qt::ElideRight, room));
}

int CPlaybackWnd::TimeRoomWidth() const
{
    // Room for a whole time in the label's face, never less than the strip's usual 125 pixels.
    m_pTimeLabel->ensurePolished();
    const int needed = m_pTimeLabel->fontMetrics().horizontalAdvance(QString::fromLatin1(PlayWnd::kNoTime)) +
                       2 * m_pTimeLabel->margin() + 2;
    return std::max(kTimeWidth_px, needed);
}

QString CPlaybackWnd::FullTitle() const
{
    return m_titlePrefix + m_channelName + QStringLiteral(" ") + m_channelText;
}

bool CPlaybackWnd::IsPollRunning() const
{
    return m_pOsdTimer->isActive();
}

void CPlaybackWnd::ShowNotice(const QString& text, bool isLink)
{
    CInformationDlg::ShowInformation(text, this, isLink);
}

void CPlaybackWnd::OnSelectedThis()
{
    if (!m_host || m_host->CurrentWindow() == m_cellIndex)
        return;
    m_host->SetCurrentWindow(m_cellIndex);
    emit SignalSelected(m_cellIndex);
}

bool CPlaybackWnd::OnPlay()
{
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return false;
    Varpen::SynPlaybackInteraction* sync = m_host ? m_host->Sync() : nullptr;
    const bool syncRunning = sync && sync->IsRunning();
    ListenTo(player);
    if (!player->IsPlaying()) {
        m_latch = {};
        if (!player->StartPlayback(GetPlayWndId(), 0))
            return false;
        if (syncRunning) {
            int speed = 0;
            for (const auto& entry : m_host->Players()) {
                if (entry.first != m_cellIndex && entry.second)
                    speed = entry.second->GetSpeed();
            }
            player->SetSpeed(speed);
        }
    } else if (!(syncRunning ? sync->NormalSpeed() : player->NormalSpeed())) {
        return false;
    }
    OnPlaybackRemoteEvent(PlayWndEvent::PlayStarted);
    ResetSoundIcon();
    return true;
}

void CPlaybackWnd::OnPause()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    Varpen::SynPlaybackInteraction* sync = m_host ? m_host->Sync() : nullptr;
    if (sync && sync->IsRunning())
        sync->Pause(true);
    else
        player->Pause(true);
    OnPlaybackRemoteEvent(PlayWndEvent::Paused);
}

void CPlaybackWnd::EndClipWithNotice()
{
    // The engine closes the clip on its own worker; its file (or "Clip Exception.") is said when
    // the outcome arrives (OnEngineChanged).
    ListenTo(GetPlayer());
    GetPlayer()->StopClip();
    OnPlaybackRemoteEvent(PlayWndEvent::ClipStopped);
}

void CPlaybackWnd::OnEngineChanged()
{
    m_mailbox->pending.store(false);
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    for (const Varpen::OutputResult& result : player->TakeOutputResults()) {
        switch (result.kind) {
        case Varpen::OutputResult::Snapshot:
            if (result.ok)
                CSnapshotInfoWnd::ShowSnapshotInfo(CCommonUtil::LocalToQString(result.path.c_str(), false), this);
            else
                ShowNotice(tr("Snapshot failed."));
            break;
        case Varpen::OutputResult::ClipStarted:
            if (!result.ok) {
                ShowNotice(tr("start recording failed."));
            } else if (player->IsClipping()) {
                m_latch.clipShown = false;
                OnPlaybackRemoteEvent(PlayWndEvent::ClipStarted);
                ShowNotice(tr("start recording."));
            }
            // A clip stopped before its start was carried out says only its stop.
            break;
        case Varpen::OutputResult::ClipStopped:
            if (m_quietClipStops > 0) {
                --m_quietClipStops;
                break;
            }
            // A clip that got no picture, or whose writing failed, has no file to show.
            if (result.ok)
                ShowNotice(CCommonUtil::LocalToQString(result.path.c_str(), false), true);
            else
                ShowNotice(tr(PlayWnd::kClipException));
            break;
        }
    }
    if (IsPollRunning())
        OnUpdateOSDTime();
}

bool CPlaybackWnd::StopClip()
{
    CPlayBackInteraction* player = GetPlayer();
    // Also a clip that the engine ended with the recordings: the operator still learns its file.
    if (!player || !(player->IsClipping() || m_clipFlag))
        return false;
    EndClipWithNotice();
    return true;
}

void CPlaybackWnd::OnStop()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    StopClip();
    ResetSoundIcon();
    player->StopPlayback();
    OnPlaybackRemoteEvent(PlayWndEvent::Stopped);
}

void CPlaybackWnd::OnCtrlSpeed(int level)
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    Varpen::SynPlaybackInteraction* sync = m_host ? m_host->Sync() : nullptr;
    const bool ok = (sync && sync->IsRunning()) ? sync->SetSpeed(level) : player->SetSpeed(level) != 0;
    if (ok)
        ShowSpeedLabel();
    OnPlaybackRemoteEvent(PlayWndEvent::SpeedChanged);
}

void CPlaybackWnd::ShowSpeedLabel()
{
    CPlayBackInteraction* player = GetPlayer();
    if (!m_mouseInCell || !player || !player->IsPlaying())
        return;
    m_pSpeedLabel->setText(PlayWnd::SpeedText(player->GetSpeed()));
    m_pSpeedLabel->show();
    m_pSpeedLabel->raise();
}

void CPlaybackWnd::OnRecord()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    // A running clip can always be stopped; only a new one needs the free space.
    if (player->IsClipping() || m_clipFlag) {
        EndClipWithNotice();
        return;
    }
    // From the free-space cache: a folder not read yet lets the clip start, and the poll ends it
    // with "Clip Exception." should the folder turn out to be short of space.
    if (CheckSavePathDiskSpaceCached(SavePathMinFreeGB(CSettingsManager::ClipSavePath), CSettingsManager::ClipSavePath,
                                     QString(), false)) {
        ShowNotice(tr("Disk Space is low."));
        return;
    }
    // Carried out on the engine's worker: "start recording." or "start recording failed." when
    // the outcome arrives.
    ListenTo(player);
    if (!player->StartClip())
        ShowNotice(tr("start recording failed."));
}

void CPlaybackWnd::OnSingleFrame()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    Varpen::SynPlaybackInteraction* sync = m_host ? m_host->Sync() : nullptr;
    if (sync && sync->IsRunning())
        sync->StepForward();
    else
        player->StepForward();
    OnPlaybackRemoteEvent(PlayWndEvent::SingleFrame);
}

void CPlaybackWnd::OnSingleFrameBack()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    // The synchronous controller steps forward only; a step back would leave the cells apart,
    // so in step mode it does nothing.
    Varpen::SynPlaybackInteraction* sync = m_host ? m_host->Sync() : nullptr;
    if (!(sync && sync->IsRunning()))
        player->StepBackward();
    OnPlaybackRemoteEvent(PlayWndEvent::SingleFrame);
}

void CPlaybackWnd::SetZoomCursor()
{
    setCursor(QCursor(QPixmap(QStringLiteral(":/images/cursor/EZoom.png")), 11, 11));
}

void CPlaybackWnd::OnDigitalZoom()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player || !player->IsPlaying())
        return;
    m_zoomOn = !m_zoomOn;
    if (m_zoomOn) {
        m_pZoomBtn->setStyleSheet(QString::fromLatin1(kZoomOnStyle));
        m_zoomRect.reset();
        if (m_mouseInSurface || Surface()->underMouse())
            SetZoomCursor();
    } else {
        ExitDigitalZoom();
    }
}

void CPlaybackWnd::ExitDigitalZoom()
{
    m_zoomOn = false;
    m_zoomRect.reset();
    setCursor(Qt::ArrowCursor);
    if (CPlayBackInteraction* player = GetPlayer())
        player->SetDisplayRegion(0, 0, 0, 0);
    m_pZoomBtn->setStyleSheet(QString::fromLatin1(kButtonStyle));
    m_pOverlay->update();
}

void CPlaybackWnd::OnUpdateOSDTime()
{
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    const Varpen::EngineState state = player->GetEngineState();
    PlayWnd::PollInput in;
    in.error = state.play.error;
    in.endOfList = state.play.endOfList;
    in.clipping = state.clipping;
    if (in.clipping)
        in.clipSpaceLow = CheckSavePathDiskSpaceCached(SavePathMinFreeGB(CSettingsManager::ClipSavePath),
                                                       CSettingsManager::ClipSavePath, QString(), false);
    in.clipFailed = m_clipFlag && !in.clipping && player->IsClipFailed();
    in.currentTime = state.shown;
    const PlayWnd::PollActions act = PlayWnd::DecidePoll(in, m_latch);
    // The stop comes first: it ends the timer, so no later poll can raise the same notice.
    if (act.stop)
        OnStop();
    if (act.stopClip) {
        // The poll has said "Clip Exception." itself.
        ++m_quietClipStops;
        player->StopClip();
        OnPlaybackRemoteEvent(PlayWndEvent::ClipStopped);
    }
    for (const QString& text : act.notices)
        ShowNotice(tr(text.toLatin1().constData()));
    if (act.showTime)
        m_pTimeLabel->setText(PlayWnd::FormatOsdTime(*act.showTime));
}

void CPlaybackWnd::OnDownLoad()
{
    OnSelectedThis();
    emit SignalDownLoad(m_cellIndex, FullTitle());
}

void CPlaybackWnd::OnSnapshot()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    // From the free-space cache: a folder not read yet lets the snapshot try (a failed write says
    // "Snapshot failed.").
    if (CheckSavePathDiskSpaceCached(SavePathMinFreeGB(CSettingsManager::CaptureSavePath),
                                     CSettingsManager::CaptureSavePath, QString(), false)) {
        ShowNotice(tr("Disk Space is low."));
        return;
    }
    // The engine's worker waits for the next picture and writes it; the file (or "Snapshot
    // failed.") is said when the outcome arrives.
    ListenTo(player);
    if (!player->Snapshot())
        ShowNotice(tr("Snapshot failed."));
}

void CPlaybackWnd::ResetSoundIcon()
{
    if (CPlayBackInteraction* player = GetPlayer())
        player->CloseSound();
    m_pSoundBtn->setIcon(CCommonUtil::LoadIcon(QStringLiteral(":/images/public/Volume/CloseSound.png")));
    m_pSoundAct->setIcon(CCommonUtil::LoadIcon(QStringLiteral(":/images/public/Volume/CloseSound.png")));
}

void CPlaybackWnd::OnOpenVoice()
{
    OnSelectedThis();
    CPlayBackInteraction* player = GetPlayer();
    if (!player)
        return;
    if (player->IsVoiceOpen()) {
        player->CloseSound();
        OnPlaybackRemoteEvent(PlayWndEvent::SoundOff);
        if (m_voiceCallback)
            m_voiceCallback(false, m_voiceUser);
        return;
    }
    // Sound plays in one cell at a time.
    if (m_host) {
        for (CPlaybackWnd* other : m_host->Windows()) {
            if (other && other != this && other->GetPlayer()) {
                other->ResetSoundIcon();
                other->OnPlaybackRemoteEvent(PlayWndEvent::SoundOff);
            }
        }
    }
    // The page is told what really happened: a sound that failed to open shows closed.
    const bool opened = player->OpenSound();
    OnPlaybackRemoteEvent(opened ? PlayWndEvent::SoundOn : PlayWndEvent::SoundOff);
    if (m_voiceCallback)
        m_voiceCallback(opened, m_voiceUser);
}

QMenu* CPlaybackWnd::BuildContextMenu()
{
    auto* menu = new QMenu(this);
    menu->addSeparator();
    menu->addAction(m_pZoomAct);
    menu->addSeparator();
    menu->addSeparator();
    menu->addAction(m_pSnapshotAct);
    menu->addAction(m_pRecordAct);
    menu->addAction(m_pDownloadAct);
    menu->addAction(m_pSoundAct);
    menu->addSeparator();
    m_pFullScreenAct->setText(m_host && m_host->IsFullScreen() ? tr("Exit Full Screen") : tr("Full Screen"));
    menu->addAction(m_pFullScreenAct);
    return menu;
}

void CPlaybackWnd::OnRightMouseResponse(const QPoint&)
{
    QMenu* menu = BuildContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(QCursor::pos());
}

void CPlaybackWnd::SetRecordLook(bool recording)
{
    const QIcon icon = CCommonUtil::LoadIcon(recording ? QStringLiteral(":/images/MainView/Preview/Recording.png")
                                                       : QStringLiteral(":/images/MainView/Preview/record.png"));
    const QString text = recording ? tr("Stop Recording") : tr("Start Recording");
    m_pRecordBtn->setIcon(icon);
    m_pRecordBtn->setToolTip(text);
    m_pRecordAct->setIcon(icon);
    m_pRecordAct->setText(text);
}

void CPlaybackWnd::SetSoundLook(bool opened)
{
    const QIcon icon = CCommonUtil::LoadIcon(opened ? QStringLiteral(":/images/public/Volume/OpenSound.png")
                                                    : QStringLiteral(":/images/public/Volume/CloseSound.png"));
    const QString text = opened ? tr("Close Sound") : tr("Open Sound");
    m_pSoundBtn->setIcon(icon);
    m_pSoundBtn->setToolTip(text);
    m_pSoundAct->setIcon(icon);
    m_pSoundAct->setText(text);
    if (m_host)
        m_host->UpdateVolumeIcon(m_cellIndex, opened);
}

void CPlaybackWnd::OnPlaybackRemoteEvent(int iState)
{
    switch (PlayWndEvent(iState)) {
    case PlayWndEvent::PlayStarted:
        emit SignalPlay();
        SetPlayingState();
        if (m_host && m_host->FitAll()) {
            const bool fit = m_fitFlag;
            OnAdaptWindow(Fit::KeepAspect);
            m_fitFlag = fit;
        }
        break;
    case PlayWndEvent::Playing:
        SetPlayingState();
        break;
    case PlayWndEvent::Stopped:
    case PlayWndEvent::Stopped4:
    case PlayWndEvent::Stopped5:
        SetStoppedState();
        break;
    case PlayWndEvent::Paused:
        m_pSnapshotBtn->setEnabled(false);
        m_pSnapshotAct->setEnabled(false);
        break;
    case PlayWndEvent::Resumed:
    case PlayWndEvent::StepEnded:
        m_pSnapshotBtn->setEnabled(true);
        m_pSnapshotAct->setEnabled(true);
        UnPauseState();
        break;
    case PlayWndEvent::SpeedChanged:
    case PlayWndEvent::SpeedChanged9:
        UnPauseState();
        break;
    case PlayWndEvent::SingleFrame:
        UnPauseState();
        m_pSnapshotBtn->setEnabled(false);
        m_pSnapshotAct->setEnabled(false);
        break;
    case PlayWndEvent::ClipStarted:
        SetRecordLook(true);
        m_clipFlag = true;
        break;
    case PlayWndEvent::ClipStopped:
        SetRecordLook(false);
        m_clipFlag = false;
        break;
    case PlayWndEvent::SoundOn15:
    case PlayWndEvent::SoundOn:
        SetSoundLook(true);
        break;
    case PlayWndEvent::SoundOff:
        SetSoundLook(false);
        break;
    default:
        break;
    }
}

void CPlaybackWnd::UnPauseState()
{
    UpdateTitle();
    ShowSpeedLabel();
}

void CPlaybackWnd::SetPlayingState()
{
    UnPauseState();
    m_pOsdTimer->start(kPoll_ms + kPollStagger_ms * (m_cellIndex % 16));
    // The folders a snapshot or a clip checks are read ahead, so that the check finds a value.
    CFreeSpaceCache::Instance()->Refresh(CCommonUtil::GetOutputSavePath(CSettingsManager::ClipSavePath));
    CFreeSpaceCache::Instance()->Refresh(CCommonUtil::GetOutputSavePath(CSettingsManager::CaptureSavePath));
    for (QToolButton* b : {m_pSnapshotBtn, m_pRecordBtn, m_pSoundBtn, m_pZoomBtn})
        b->setEnabled(true);
    for (QAction* a : {m_pSnapshotAct, m_pRecordAct, m_pSoundAct, m_pZoomAct})
        a->setEnabled(true);
}

void CPlaybackWnd::SetStoppedState()
{
    UnPauseState();
    if (m_zoomOn)
        ExitDigitalZoom();
    for (QToolButton* b : {m_pSnapshotBtn, m_pRecordBtn, m_pSoundBtn, m_pZoomBtn})
        b->setEnabled(false);
    for (QAction* a : {m_pSnapshotAct, m_pRecordAct, m_pSoundAct, m_pZoomAct})
        a->setEnabled(false);
    if (m_host)
        m_host->EnableVolume(m_cellIndex, false);
    Surface()->update();
    m_zoomRect.reset();
    m_pOsdTimer->stop();
    m_pTimeLabel->setText(QString::fromLatin1(PlayWnd::kNoTime));
    m_pSpeedLabel->hide();
    SetRecordLook(false);
    SetSoundLook(false);
}

bool CPlaybackWnd::isPlayBack()
{
    CPlayBackInteraction* player = GetPlayer();
    return player && player->IsPlaying();
}

bool CPlaybackWnd::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != Surface())
        return CPlayerFrame::eventFilter(watched, event);
    CPlayBackInteraction* player = GetPlayer();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->buttons() == Qt::LeftButton) {
            m_pressPoint = me->position();
            m_pressed = true;
        }
        break;
    }
    case QEvent::MouseButtonRelease: {
        if (!player || !player->IsPlaying() || !m_pressed)
            return false;
        m_pressed = false;
        if (m_zoomOn) {
            if (m_zoomRect) {
                const QRectF r = *m_zoomRect;
                player->SetDisplayRegion(float(r.left()), float(r.top()), float(r.right()), float(r.bottom()));
            }
            m_zoomRect.reset();
            m_pOverlay->update();
        }
        break;
    }
    case QEvent::MouseMove: {
        if (!player || !player->IsPlaying() || !m_pressed || !m_zoomOn)
            return false;
        auto* me = static_cast<QMouseEvent*>(event);
        m_zoomRect = PlayWnd::ZoomRegion(m_pressPoint, me->position(), Surface()->size());
        m_pOverlay->update();
        break;
    }
    case QEvent::Enter:
        if (m_zoomOn) {
            m_mouseInSurface = true;
            SetZoomCursor();
        }
        break;
    case QEvent::Leave:
        setCursor(Qt::ArrowCursor);
        m_mouseInSurface = false;
        break;
    case QEvent::Resize:
        m_pOverlay->setGeometry(Surface()->rect());
        break;
    default:
        break;
    }
    return CPlayerFrame::eventFilter(watched, event);
}

void CPlaybackWnd::mousePressEvent(QMouseEvent* event)
{
    OnSelectedThis();
    CPlayerFrame::mousePressEvent(event);
}

void CPlaybackWnd::mouseDoubleClickEvent(QMouseEvent*)
{
    CPlayBackInteraction* player = GetPlayer();
    if (!player || !m_host)
        return;
    if (!player->IsPlaying() && !m_host->IsSingleWindowShown())
        return;
    m_host->ToggleSingleWindow(this);
}

void CPlaybackWnd::FitVideoRect(int width, int height)
{
    const QRect r(SurfaceOffsetX(), SurfaceOffsetY() + kTitleHeight_px, std::max(0, width), std::max(0, height));
    SetVideoRect(r);
    Surface()->setGeometry(r);
}

void CPlaybackWnd::OnAdaptWindow(int iType)
{
    m_fitFlag = iType != int(Fit::Fill);
    if (iType != int(Fit::KeepAspect)) {
        FitVideoRect(width() - 2 * SurfaceOffsetX(), height() - 2 * SurfaceOffsetY() - kTitleHeight_px);
        return;
    }
    CPlayBackInteraction* player = GetPlayer();
    int pw = 0;
    int ph = 0;
    if (!player || !player->GetPictureSize(&pw, &ph))
        return;
    const QRect fitted = PlayWnd::Letterbox(VideoRect(), QSize(pw, ph));
    if (!fitted.isEmpty())
        Surface()->setGeometry(fitted);
}

void CPlaybackWnd::resizeEvent(QResizeEvent* event)
{
    const int W = width();
    const int H = height();
    const int ox = SurfaceOffsetX();
    const int oy = SurfaceOffsetY();
    // The labels and the bar are always placed; an unknown picture size leaves the surface
    // unfitted rather than the whole cell out of place.
    const PlayWnd::TitleStrip strip = PlayWnd::LayoutTitleStrip(W, ox, oy, kTitleHeight_px, TimeRoomWidth());
    m_pTitlelabel->setGeometry(strip.name);
    m_pTimeLabel->setGeometry(strip.time);
    ElideTitle();
    m_pSpeedLabel->setGeometry(W - 2 * ox - 44, oy + kTitleHeight_px, 44, 28);
    FitVideoRect(W - 2 * ox, H - 2 * oy - kTitleHeight_px);
    if (m_fitFlag) {
        CPlayBackInteraction* player = GetPlayer();
        int pw = 0;
        int ph = 0;
        if (player && player->GetPictureSize(&pw, &ph)) {
            const QRect fitted = PlayWnd::Letterbox(VideoRect(), QSize(pw, ph));
            if (!fitted.isEmpty())
                Surface()->setGeometry(fitted);
        }
    }
    CPlayerFrame::resizeEvent(event);
}

void CPlaybackWnd::dragEnterEvent(QDragEnterEvent* event)
{
    if (PlayWnd::AcceptDrop(event->source() != nullptr, event->source() == this,
                            event->mimeData()->hasFormat(QString::fromLatin1(PlayWnd::kDragFormat)))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CPlaybackWnd::dragMoveEvent(QDragMoveEvent* event)
{
    if (PlayWnd::AcceptDrop(event->source() != nullptr, event->source() == this,
                            event->mimeData()->hasFormat(QString::fromLatin1(PlayWnd::kDragFormat)))) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void CPlaybackWnd::dropEvent(QDropEvent* event)
{
    if (!PlayWnd::AcceptDrop(event->source() != nullptr, event->source() == this,
                             event->mimeData()->hasFormat(QString::fromLatin1(PlayWnd::kDragFormat)))) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::MoveAction);
    event->accept();
    emit SignalSearchSelected(m_cellIndex);
}

void CPlaybackWnd::OnMouseEnter()
{
    m_mouseInCell = true;
    ShowSpeedLabel();
}

void CPlaybackWnd::OnMouseLeave()
{
    m_mouseInCell = false;
    m_pSpeedLabel->hide();
    setCursor(Qt::ArrowCursor);
}
