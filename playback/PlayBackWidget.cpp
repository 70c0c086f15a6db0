#include "playback/PlayBackWidget.h"

#include "app/WorkerReaper.h"
#include "app/gui/CommonUtilGui.h"
#include "engine/CheckRemoteFileExistThread.h"
#include "engine/SearchDiskThread.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "playback/PlayBarStates.h"
#include "playback/PlaybackSearchRules.h"
#include "playback/PlaybackDownLoad.h"
#include "playback/PlaybackSearchThread.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CGroupTreeView.h"
#include "widgets/CInformationDlg.h"
#include "widgets/CPushButton.h"
#include "widgets/CSpeedButton.h"
#include "widgets/CVolumeButton.h"
#include "widgets/CWarnDlg.h"
#include "widgets/CalendarWidget.h"
#include "widgets/ChaseDialog.h"
#include "widgets/DateTimeEdit.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QScreen>
#include <QStandardItemModel>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// How often the page looks whether a start or seek for all has let the windows go.
constexpr int kSyncPositionPoll_ms = 50;

const char* const kCutIcons[] = {":/images/MainView/CutWnd/Cut_1_1.png", ":/images/MainView/CutWnd/Cut_2_4.png",
                                 ":/images/MainView/CutWnd/Cut_3_9.png", ":/images/MainView/CutWnd/Cut_4_16.png"};
const char* const kWideCutIcons[] = {":/images/MainView/CutWnd/1_Ex(1).png", ":/images/MainView/CutWnd/4_Ex(1).png",
                                     ":/images/MainView/CutWnd/9_Ex(1).png", ":/images/MainView/CutWnd/16_Ex(1).png"};

QSize ScreenSizeOf(QWidget* parent)
{
    QScreen* screen = parent ? parent->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize();
}

}  // namespace

CPlayBackWidget::CPlayBackWidget(QWidget* parent) : CPlayBackWidget(parent, ScreenSizeOf(parent)) {}

CPlayBackWidget::CPlayBackWidget(QWidget* parent, const QSize& screenSize)
    : CBaseFrame(parent), d(std::make_unique<CPlayBackWidgetPrivate>(this))
{
    Build(screenSize);
}

void CPlayBackWidget::Build(const QSize& screenSize)
{
    m_ui.setupUi(this);

    m_wideScreen = PlayBar::IsWideScreen(screenSize);

    d->timeLine = m_ui.m_pMultiTimeSlider;
    d->volumeButton = m_ui.m_pVolumeBtn;
    d->fullScreenButton = m_ui.m_pFullScreenBtn;
    connect(m_ui.m_pVolumeBtn, &CVolumeButton::SignalVolumeValueChanged, this, &CPlayBackWidget::OnVolumeChanged);
    connect(m_ui.m_pVolumeBtn, &CVolumeButton::SignalVoiceOpened, this, &CPlayBackWidget::OnOpenVoice);
    m_ui.m_pMultiTimeSlider->SetChannelCount(CPlayBackWidgetPrivate::kWindowCount);

    for (const PlaybackSearch::RecordTypeChoice& choice : PlaybackSearch::RecordTypeChoices())
        m_ui.m_pRecordTypeComboBox->addItem(PlaybackSearch::RecordTypeText(choice.id), choice.id);
    m_ui.m_pRecordTypeComboBox->setCurrentIndex(0);

    m_ui.m_pCalendarWidget->SetSelectionMode(CCalendarWidget::MultiSelection);
    CGroupTreeView* tree = m_ui.m_pPlayBackTreeView;
    tree->setSelectionMode(QAbstractItemView::ExtendedSelection);
    tree->setDragEnabled(true);
    tree->SetDragFlag(false);
    tree->SetMimeType(QStringLiteral("Playback/Stream"));
    m_pChannelModel = new QStandardItemModel(0, 1, tree);
    tree->setModel(m_pChannelModel);

    const char* const* icons = m_wideScreen ? kWideCutIcons : kCutIcons;
    QToolButton* cutButtons[] = {m_ui.m_pOneCutBtn, m_ui.m_pFourCutBtn, m_ui.m_pNineBtn, m_ui.m_pMoreCutBtn};
    for (int i = 0; i < 4; ++i)
        cutButtons[i]->setIcon(CCommonUtil::LoadIcon(QString::fromLatin1(icons[i])));

    QList<QWidget*> windows;
    QStringList labels;
    for (int i = 0; i < CPlayBackWidgetPrivate::kWindowCount; ++i) {
        auto* wnd = new CPlaybackWnd(d.get(), m_ui.m_pPlayAreaFrame);
        wnd->SetFrameName(QStringLiteral("pPlaybackWnd%1").arg(i));
        wnd->SetWndIndex(i);
        d->windows.push_back(wnd);
        wnd->SetWndParam(&CPlayBackWidget::OnVoiceStateChanged, this);
        labels << tr("Window") + QStringLiteral("%1").arg(i + 1, 2, 10, QLatin1Char('0'));
        wnd->SetAdaptType(0);
        connect(wnd, &CPlaybackWnd::SignalSelected, this, &CPlayBackWidget::OnSelectedPlaybackWnd);
        connect(wnd, &CPlaybackWnd::SignalSearchSelected, this, &CPlayBackWidget::OnSearchSelected);
        connect(wnd, &CPlaybackWnd::SignalDownLoad, this, &CPlayBackWidget::OnWindowDownLoad);
        windows << wnd;
    }
    m_ui.m_pMultiTimeSlider->SetChannelNames(labels);

    d->SetCurrentWindowIndex(0);
    d->splitLayout->Init(QStringLiteral(":/template/Default.xml"), m_ui.m_pPlayAreaFrame, windows,
                         int(PlayBar::StartMode(m_wideScreen)));

    m_ui.m_pPlayAreaFrame->installEventFilter(this);

    m_pDayChecker = std::make_unique<CCheckRemoteFileExistThread>();
    m_pDayChecker->StartThread();

    connect(tree, &CGroupTreeView::ItemRightClicked, this, &CPlayBackWidget::OnItemRightClicked);
    connect(m_ui.m_pBtnSyn, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnSyn);
    connect(m_ui.m_pBtnPlay, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnPlay);
    connect(m_ui.m_pBtnStop, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnStop);
    connect(m_ui.m_pBtnFrame, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnFrame);
    connect(m_ui.m_pBtnAdapt, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnAdapt);
    connect(m_ui.m_pSpeedCtrl, &CSpeedButton::OnClickSpeed, this, &CPlayBackWidget::OnBtnSpeed);
    connect(m_ui.m_pBtnDownload, &QToolButton::clicked, this, &CPlayBackWidget::OnBtnDownload);
    connect(tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CPlayBackWidget::OnSelectionChanged);
    connect(m_ui.m_pCalendarWidget, &CCalendarWidget::SignalSelectDate, this, &CPlayBackWidget::OnSelectDate);
    connect(m_ui.m_pCalendarWidget, &CCalendarWidget::clicked, this, &CPlayBackWidget::OnClickedCalendar);
    connect(m_ui.m_pCalendarWidget, &CCalendarWidget::CurrentPageChangedEx, this, &CPlayBackWidget::ResetDiskTree);
    connect(m_ui.m_pMultiTimeSlider, &CMultiTimeSlider::MouseClick, this, &CPlayBackWidget::OnStartPlayback);
    connect(m_ui.m_pSearchBtn, &QPushButton::clicked, this, &CPlayBackWidget::OnSearchPlayback);
    connect(m_ui.m_pFullScreenBtn, &QToolButton::clicked, this, &CPlayBackWidget::OnFullScreenCtrl);
    connect(m_ui.m_pOneCutBtn, &QToolButton::clicked, this, &CPlayBackWidget::OnOneCut);
    connect(m_ui.m_pFourCutBtn, &QToolButton::clicked, this, &CPlayBackWidget::OnFourCut);
    connect(m_ui.m_pNineBtn, &QToolButton::clicked, this, &CPlayBackWidget::OnNineCut);
    connect(m_ui.m_pMoreCutBtn, &QToolButton::clicked, this, &CPlayBackWidget::OnMoreCut);
    connect(m_ui.m_pComboBoxDisk, &QComboBox::currentIndexChanged, this,
            [this](int) { ResetDiskTree(m_ui.m_pComboBoxDisk->currentText()); });
    connect(m_pDayChecker.get(), &CCheckRemoteFileExistThread::SignalCheckFinish, this,
            &CPlayBackWidget::OnCheckLocalFinish);

    const QDate today = QDate::currentDate();
    m_ui.m_pDateTimeEditBeginTime->setDateTime(QDateTime(today, QTime(0, 0, 0)));
    m_ui.m_pDateTimeEditEndTime->setDateTime(QDateTime(today, QTime(23, 59, 59)));
    UpdateWidget(PlayBar::kStopped);
    ResetTreeSelection();

    m_pChaseDialog = new CFakeChaseDialog(this, QStringLiteral(":/images/Loading.gif"));
    NewDiskSearcher();

    m_ui.m_pBtnStop->setToolTip(tr("Stop"));
    m_ui.m_pBtnFrame->setToolTip(tr("Frame"));
    m_ui.m_pBtnDownload->setToolTip(tr("Download"));
    m_ui.m_pBtnAdapt->setToolTip(tr("View Mode"));
    m_ui.m_pBtnPlay->setToolTip(tr("Pause"));
    m_ui.m_pVolumeBtn->setToolTip(tr("Volume"));
    // The play button's tip names what a click does: the page starts stopped.
    SetPlayFace(false);
    UpdateWidget(PlayBar::kSyncOff);

    m_pPlayStateTimer = new QTimer(this);
    connect(m_pPlayStateTimer, &QTimer::timeout, this, &CPlayBackWidget::CheckPlayState);
    d->fit = false;
}

CPlayBackWidget::~CPlayBackWidget()
{
    // What a close has not done yet, in the same order; the workers are joined here.
    while (ShutdownPiece(true) != Varpen::ShutdownStep::Done) {
    }
    d.reset();
}

Varpen::ShutdownStep CPlayBackWidget::ShutdownPiece(bool may_wait)
{
    using Varpen::ShutdownStep;
    switch (m_shutdown) {
    case Shutdown::Begin:
        m_destroying = true;
        // Every worker is told to stop before anything waits for one: the waits then overlap.
        StopWorkers();
        m_pPlayStateTimer->stop();
        ExitFullScreen();
        // A start or seek for all ends (its members released) before the windows are stopped.
        if (d->sync)
            d->sync->Stop();
        m_shutdown = Shutdown::StopWindows;
        m_shutdownIndex = 0;
        return ShutdownStep::More;
    case Shutdown::StopWindows:
        // One window a piece: a stop ends the window's clip and redraws its bar.
        while (m_shutdownIndex < d->windows.size()) {
            const size_t window = m_shutdownIndex++;
            if (d->PlayerAt(int(window))) {
                d->windows[window]->OnStop();
                return ShutdownStep::More;
            }
        }
        m_shutdown = Shutdown::ResetWindows;
        return ShutdownStep::More;
    case Shutdown::ResetWindows:
        m_enginesLeft = d->ReleaseAll();
        if (d->sync) {
            d->sync->StopAll();
            d->sync.reset();
        }
        m_shutdown = Shutdown::FreeEngines;
        return ShutdownStep::More;
    case Shutdown::FreeEngines:
        // One engine a piece: each lets its port and its workers go (sixteen in one piece held the
        // GUI thread for 10-20 ms).
        if (!m_enginesLeft.empty()) {
            QMutexLocker lock(&d->playersLock);
            m_enginesLeft.pop_back();
            return ShutdownStep::More;
        }
        m_shutdown = Shutdown::Dialogs;
        return ShutdownStep::More;
    case Shutdown::Dialogs:
        // One download dialog a piece (each lets its job go).
        while (!d->downloadDialogs.empty()) {
            const QPointer<CPlaybackDownLoad> dialog = d->downloadDialogs.begin()->second;
            d->downloadDialogs.erase(d->downloadDialogs.begin());
            if (dialog) {
                delete dialog.data();
                return ShutdownStep::More;
            }
        }
        m_shutdown = Shutdown::Overlay;
        return ShutdownStep::More;
    case Shutdown::Overlay:
        d->splitLayout.reset();
        if (m_pChaseDialog) {
            m_pChaseDialog->close();
            delete m_pChaseDialog;
            m_pChaseDialog = nullptr;
        }
        m_diskSearchRunning = false;
        m_shutdown = Shutdown::Workers;
        return ShutdownStep::More;
    case Shutdown::Workers: {
        // The scans and searches told to stop end at their next check; a thread object must not
        // go while it runs. The reaper deletes those handed to it once they have ended.
        const bool running = (m_pDayChecker && m_pDayChecker->IsRunning()) ||
                             (m_pDiskSearcher && m_pDiskSearcher->isRunning()) ||
                             (m_pSearchThread && m_pSearchThread->isRunning()) || RetiredWorkers() > 0;
        if (running && !may_wait)
            return ShutdownStep::Wait;
        // The day checker's thread has ended its work but may still be on its way out: it is
        // joined on the reaper, cut off from the page first.
        if (m_pDayChecker) {
            m_dayCheckWanted = false;
            m_pDayChecker->disconnect(this);
            m_pDayChecker->moveToThread(nullptr);
            Varpen::CWorkerReaper::Instance().Retire([checker = std::shared_ptr<CCheckRemoteFileExistThread>(
                                                          std::move(m_pDayChecker))] { checker->StopCheck(); });
        }
        m_pDiskSearcher.reset();
        m_pSearchThread.reset();
        Varpen::CWorkerReaper::Instance().JoinRetired(this);
        // The windows are children of the play area; they go before the page's data, so that they
        // do not reach it any more. The grid has none from here on.
        m_windowsLeft.swap(d->windows);
        m_shutdownIndex = 0;
        m_shutdown = Shutdown::Windows;
        return ShutdownStep::More;
    }
    case Shutdown::Windows:
        if (m_shutdownIndex < m_windowsLeft.size()) {
            delete m_windowsLeft[m_shutdownIndex];
            m_windowsLeft[m_shutdownIndex++] = nullptr;
            return ShutdownStep::More;
        }
        m_windowsLeft.clear();
        m_shutdown = Shutdown::Done;
        return ShutdownStep::Done;
    case Shutdown::Done:
        break;
    }
    return ShutdownStep::Done;
}

int CPlayBackWidget::RetiredWorkers() const
{
    return Varpen::CWorkerReaper::Instance().Kept(this);
}

void CPlayBackWidget::NewDiskSearcher()
{
    m_pDiskSearcher = std::make_unique<CSearchDiskThread>();
    const unsigned serial = ++m_diskSearcherSerial;
    connect(this, &CPlayBackWidget::StopSearchDisk, m_pDiskSearcher.get(), &CSearchDiskThread::OnChangeThread,
            Qt::DirectConnection);
    // A searcher's scans report to the page while it is the page's searcher; a report still on
    // its way from one that was replaced is dropped.
    connect(
        m_pDiskSearcher.get(), &CSearchDiskThread::SendWriteOver, this,
        [this, serial] {
            if (serial == m_diskSearcherSerial)
                OnStopChase();
        },
        Qt::QueuedConnection);
}

void CPlayBackWidget::StopDiskSearch()
{
    if (!m_pDiskSearcher)
        return;
    emit StopSearchDisk();
    m_pDiskSearcher->OnStopThread();
    if (!m_pDiskSearcher->isRunning())
        return;
    // The scan may be inside a slow read: it ends at its next check, kept by the reaper; an idle
    // searcher takes its place for the next scan.
    m_pDiskSearcher->disconnect(this);
    disconnect(this, nullptr, m_pDiskSearcher.get(), nullptr);
    Varpen::CWorkerReaper::Instance().Retire(std::move(m_pDiskSearcher), this);
    if (!m_destroying)
        NewDiskSearcher();
}

void CPlayBackWidget::StopWorkers()
{
    StopDiskSearch();
    CancelSearch();
    if (m_pDayChecker)
        m_pDayChecker->AskStop();
}

void CPlayBackWidget::InitDiskTree()
{
    ResetDiskTree(m_ui.m_pComboBoxDisk->currentText());
}

void CPlayBackWidget::StopAllPlayback()
{
    OnBtnStop();
    d->ResetAll();
    m_ui.m_pMultiTimeSlider->Reset();
    m_ui.m_pMultiTimeSlider->ClearAllFilterItems();
    for (int row = 0; row < m_pChannelModel->rowCount(); ++row) {
        QStandardItem* group = m_pChannelModel->item(row);
        if (!group)
            continue;
        if (group->checkState() == Qt::Checked)
            group->setCheckState(Qt::Unchecked);
        for (int c = 0; c < group->rowCount(); ++c) {
            QStandardItem* channel = group->child(c);
            if (channel && channel->checkState() == Qt::Checked)
                channel->setCheckState(Qt::Unchecked);
        }
    }
    ResetTreeSelection();
}

void CPlayBackWidget::ResetTreeSelection()
{
    CGroupTreeView* tree = m_ui.m_pPlayBackTreeView;
    if (!tree->currentIndex().isValid() && m_pChannelModel->rowCount() > 0)
        tree->setCurrentIndex(m_pChannelModel->index(0, 0));
    const QDate today = QDate::currentDate();
    m_ui.m_pCalendarWidget->SetValidDateRange(today, today);
}

void CPlayBackWidget::EnterFullScreen()
{
    if (m_fullScreen)
        return;
    m_fullScreen = true;
    // The play area moves into a top-level window of its own for as long as it is full screen,
    // and back into its place in the page afterwards.
    m_pFullScreenHolder = new QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint);
    m_pFullScreenHolder->setObjectName(QStringLiteral("PlaybackFullScreen"));
    m_pFullScreenHolder->setAttribute(Qt::WA_DeleteOnClose, false);
    auto* layout = new QVBoxLayout(m_pFullScreenHolder);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_ui.gridLayout_9->removeWidget(m_ui.m_pPlayAreaFrame);
    m_ui.m_pPlayAreaFrame->setParent(m_pFullScreenHolder);
    m_ui.m_pPlayAreaFrame->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    layout->addWidget(m_ui.m_pPlayAreaFrame);
    m_ui.m_pPlayAreaFrame->show();
    m_pFullScreenHolder->installEventFilter(this);
    if (QScreen* screen = this->screen())
        m_pFullScreenHolder->setGeometry(screen->geometry());
    m_pFullScreenHolder->showFullScreen();
    m_pFullScreenHolder->activateWindow();
    m_ui.m_pPlayAreaFrame->setFocus();
}

void CPlayBackWidget::ExitFullScreen()
{
    if (!m_fullScreen)
        return;
    m_fullScreen = false;
    m_ui.m_pPlayAreaFrame->setParent(this);
    m_ui.m_pPlayAreaFrame->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    m_ui.gridLayout_9->addWidget(m_ui.m_pPlayAreaFrame, 0, 1);
    m_ui.m_pPlayAreaFrame->show();
    if (m_pFullScreenHolder) {
        m_pFullScreenHolder->removeEventFilter(this);
        m_pFullScreenHolder->hide();
        delete m_pFullScreenHolder;
        m_pFullScreenHolder = nullptr;
    }
}

bool CPlayBackWidget::ConfirmClose()
{
    bool playing = false;
    for (const auto& [window, player] : d->Players())
        if (player && player->IsPlaying())
            playing = true;
    if (playing &&
        CWarnDlg::ShowQuestion(tr("Information"), tr("Do you want to stop playback?"), this) != QDialog::Accepted)
        return false;
    StopAllPlayback();
    return true;
}

void CPlayBackWidget::LeavePage()
{
    if (m_pDayChecker)
        m_pDayChecker->StopCheck();
    // A start or seek for all ends (its members released) before the windows are stopped.
    if (d->sync)
        d->sync->Stop();
    OnBtnStop();
    d->ResetAll();
    if (d->sync) {
        d->sync->StopAll();
        d->sync.reset();
    }
    if (m_destroying)
        return;
    // The page stays usable: a fresh controller, not running, and synchronous play off.
    d->sync = std::make_unique<Varpen::SynPlaybackInteraction>();
    m_synchronous = false;
    UpdateWidget(PlayBar::kSyncOff);
}

void CPlayBackWidget::OnVoiceStateChanged(bool opened, void* page)
{
    auto* self = static_cast<CPlayBackWidget*>(page);
    if (self && self->d)
        self->d->UpdateVolumeIcon(self->d->GetCurrentIndex(), opened);
}

CPlaybackDownLoad* CPlayBackWidget::DownloadDialog(int window) const
{
    return d->DownloadDialog(window);
}

void CPlayBackWidget::OnWindowDownLoad(int window, const QString& title)
{
    if (window < 0 || window >= int(d->windows.size()))
        return;
    QPointer<CPlaybackDownLoad>& dialog = d->downloadDialogs[window];
    if (!dialog) {
        dialog = new CPlaybackDownLoad(d->DownloadSource(), window, d->windows[size_t(window)]);
    }
    dialog->SetTitle(title);
    dialog->FillFileList();
    dialog->show();
    // The dialog reads the recordings the way the window's engine does: through the index of a
    // local recording folder or from a recorder disk.
    CPlayBackInteraction* player = d->PlayerAt(window);
    dialog->SetDownloadFlag(player ? player->GetUseIndex() : d->diskType == CSearchDiskThread::kDiskLocal);
}

// ---- Play bar ---------------------------------------------------------------------------------

void CPlayBackWidget::SetPlayFace(bool pauseFace)
{
    if (pauseFace) {
        m_ui.m_pBtnPlay->setToolTip(tr("Pause"));
        m_ui.m_pBtnPlay->setIcon(
            CCommonUtil::LoadIcon(QStringLiteral(":/images/MainView/ButtonIcon/PauseViewing.png")));
    } else {
        m_ui.m_pBtnPlay->setToolTip(tr("Play"));
        m_ui.m_pBtnPlay->setIcon(
            CCommonUtil::LoadIcon(QStringLiteral(":/images/MainView/ButtonIcon/StartViewing.png")));
    }
}

void CPlayBackWidget::SetSyncFace(bool on)
{
    if (on) {
        m_ui.m_pBtnSyn->setToolTip(tr("Normal play"));
        m_ui.m_pBtnSyn->setIcon(CCommonUtil::LoadIcon(QStringLiteral(":/images/MainView/ButtonIcon/asynchro.png")));
    } else {
        m_ui.m_pBtnSyn->setToolTip(tr("Synchonize play"));
        m_ui.m_pBtnSyn->setIcon(CCommonUtil::LoadIcon(QStringLiteral(":/images/MainView/ButtonIcon/cycle_ctrl.png")));
    }
}

void CPlayBackWidget::UpdateWidget(int iState)
{
    const PlayBar::Effect e = PlayBar::EffectOf(iState);
    if (e.play)
        m_ui.m_pBtnPlay->setEnabled(*e.play);
    if (e.frame)
        m_ui.m_pBtnFrame->setEnabled(*e.frame);
    if (e.adapt)
        m_ui.m_pBtnAdapt->setEnabled(*e.adapt);
    if (e.speed)
        m_ui.m_pSpeedCtrl->SetDisabled(!*e.speed);
    if (e.speedToNormal)
        m_ui.m_pSpeedCtrl->SetSpeed(0);
    if (e.sync)
        m_ui.m_pBtnSyn->setEnabled(*e.sync);
    if (e.syncFace != PlayBar::SyncFace::Unchanged)
        SetSyncFace(e.syncFace == PlayBar::SyncFace::On);
    if (e.face != PlayBar::Face::Unchanged)
        SetPlayFace(e.face == PlayBar::Face::Pause);
    if (e.volume)
        m_ui.m_pVolumeBtn->setEnabled(*e.volume);
    if (e.startPoll && m_pPlayStateTimer)
        m_pPlayStateTimer->start(kPlayStatePoll_ms);
    if (e.paused)
        m_paused = *e.paused;
    if (e.stepping)
        m_stepping = *e.stepping;
    CPlaybackWnd* current = d->CurrentWindowPtr();
    if (e.unPause && current)
        current->UnPauseState();
    if (e.windowEvent && current)
        current->OnPlaybackRemoteEvent(*e.windowEvent);
}

// ---- Playing ----------------------------------------------------------------------------------

void CPlayBackWidget::OnStartPlayback(int iIndex, time_t tmClick)
{
    if (iIndex < 0 || iIndex >= CPlayBackWidgetPrivate::kWindowCount || !d->PlayerAt(iIndex))
        return;
    const auto startOrSeek = [this, tmClick](int window, CPlayBackInteraction* player) {
        CPlaybackWnd* wnd = d->windows[size_t(window)];
        wnd->ForgetNotices();
        if (player->IsPlaying())
            player->SetPlayTime(tmClick);
        else
            player->StartPlayback(wnd->GetPlayWndId(), tmClick);
        UpdateWidget(PlayBar::kPlaying);
        wnd->OnPlaybackRemoteEvent(PlayWndEvent::PlayStarted);
    };
    // A running clip ends before the window moves to another time.
    d->windows[size_t(iIndex)]->StopClip();
    if (!m_synchronous) {
        startOrSeek(iIndex, d->PlayerAt(iIndex));
        return;
    }
    // A disk change let the controller go with the old engines: the new ones start through it
    // too, never one after the other on this thread.
    if (d->sync && !d->sync->IsRunning())
        d->sync->Launch();  // takes the start for all below before its thread has run
    if (d->sync && d->sync->IsRunning()) {
        // Every window is started or sought at once off this thread, and all go on together;
        // the windows take their state once all have their first picture or failed.
        for (const auto& [window, player] : d->Players())
            if (player && window >= 0 && window < int(d->windows.size()))
                d->windows[size_t(window)]->ForgetNotices();
        d->sync->PlayAt(tmClick);
        UpdateWidget(PlayBar::kPlaying);
        QTimer::singleShot(kSyncPositionPoll_ms, this, &CPlayBackWidget::OnSyncPositioned);
        return;
    }
    for (const auto& [window, player] : d->Players())
        if (player)
            startOrSeek(window, player);
}

void CPlayBackWidget::OnSyncPositioned()
{
    if (!d->sync)
        return;
    if (d->sync->IsPositioning()) {
        QTimer::singleShot(kSyncPositionPoll_ms, this, &CPlayBackWidget::OnSyncPositioned);
        return;
    }
    // A window that could not start learns why from its own poll.
    for (const auto& [window, player] : d->Players())
        if (player && window >= 0 && window < int(d->windows.size()))
            d->windows[size_t(window)]->OnPlaybackRemoteEvent(PlayWndEvent::PlayStarted);
}

void CPlayBackWidget::OnSelectedPlaybackWnd(int iIndex)
{
    CPlayBackInteraction* player = d->PlayerAt(iIndex);
    if (!player) {
        UpdateWidget(PlayBar::kStopped);
        return;
    }
    if (!player->IsPlaying()) {
        UpdateWidget(PlayBar::kStopped);
        m_ui.m_pBtnPlay->setEnabled(true);
        SetPlayFace(false);
        return;
    }
    const int current = d->GetCurrentIndex();
    CPlaybackWnd* wnd = d->CurrentWindowPtr();
    const bool voice = player->IsVoiceOpen();
    if (wnd)
        wnd->OnPlaybackRemoteEvent(voice ? PlayWndEvent::SoundOn : PlayWndEvent::SoundOff);
    d->UpdateVolumeIcon(current, voice);
    m_ui.m_pSpeedCtrl->SetSpeed(player->GetSpeed());
    const bool paused = m_synchronous ? m_paused : player->IsPaused();
    const bool stepping = m_synchronous ? m_stepping : player->IsStepping();
    UpdateWidget(paused ? PlayBar::kPaused : PlayBar::kResumed);
    if (stepping)
        UpdateWidget(PlayBar::kStepping);
}

void CPlayBackWidget::OnBtnPlay()
{
    CPlayBackInteraction* player = d->CurrentPlayer();
    CPlaybackWnd* wnd = d->CurrentWindowPtr();
    if (!player || !wnd)
        return;
    if (!player->IsPlaying()) {
        if (wnd->OnPlay())
            UpdateWidget(PlayBar::kPlaying);
        else
            CInformationDlg::ShowInformation(tr("No video found!"), this);
        return;
    }
    if (m_synchronous && d->sync) {
        d->sync->Pause(!m_paused);
        if (m_stepping) {
            d->sync->NormalSpeed();
            UpdateWidget(PlayBar::kNormalAfterStep);
        } else if (m_paused) {
            UpdateWidget(PlayBar::kResumed);
            for (const auto& [window, p] : d->Players())
                d->windows[size_t(window)]->OnPlaybackRemoteEvent(PlayWndEvent::Resumed);
        } else {
            UpdateWidget(PlayBar::kPaused);
            for (const auto& [window, p] : d->Players())
                d->windows[size_t(window)]->OnPlaybackRemoteEvent(PlayWndEvent::Paused);
        }
        return;
    }
    if (player->IsStepping()) {
        player->NormalSpeed();
        UpdateWidget(PlayBar::kNormalAfterStep);
    } else if (player->IsPaused()) {
        player->Pause(false);
        UpdateWidget(PlayBar::kResumed);
    } else {
        player->Pause(true);
        UpdateWidget(PlayBar::kPaused);
    }
}

void CPlayBackWidget::OnBtnStop()
{
    for (const auto& [window, player] : d->Players())
        if (window >= 0 && window < int(d->windows.size()))
            d->windows[size_t(window)]->OnStop();
    if (CPlaybackWnd* wnd = d->CurrentWindowPtr())
        wnd->OnSelectedThis();
    UpdateWidget(PlayBar::kStopped);
    m_stepping = false;
    m_paused = false;
}

void CPlayBackWidget::OnBtnFrame()
{
    if (m_synchronous && d->sync) {
        d->sync->StepForward();
    } else {
        CPlaybackWnd* wnd = d->CurrentWindowPtr();
        if (!d->CurrentPlayer() || !wnd)
            return;
        wnd->OnSingleFrame();
    }
    UpdateWidget(PlayBar::kStepping);
}

void CPlayBackWidget::OnBtnBack()
{
    for (const auto& [window, player] : d->Players())
        if (player && player->IsPlaying())
            player->StepBackward();
    UpdateWidget(PlayBar::kStepping);
}

void CPlayBackWidget::OnBtnSpeed(int iSpeed)
{
    if (m_synchronous && d->sync && d->sync->IsRunning()) {
        // Also the windows held at a file change or being positioned take it, when they go on.
        d->sync->SetSpeed(iSpeed);
    } else if (m_synchronous) {
        for (const auto& [window, player] : d->Players())
            if (player && player->IsPlaying())
                player->SetSpeed(iSpeed);
    } else {
        CPlaybackWnd* wnd = d->CurrentWindowPtr();
        if (!d->CurrentPlayer() || !wnd)
            return;
        wnd->OnCtrlSpeed(iSpeed);
        wnd->OnPlaybackRemoteEvent(PlayWndEvent::SpeedChosen);
    }
    UpdateWidget(PlayBar::kSpeedChosen);
}

void CPlayBackWidget::OnBtnSyn()
{
    CPlayBackInteraction* current = d->CurrentPlayer();
    const auto resumeAllAtCurrentSpeed = [this, current]() {
        const int speed = current->GetSpeed();
        for (const auto& [window, player] : d->Players()) {
            if (!player)
                continue;
            player->Pause(false);
            player->SetSpeed(speed);
        }
    };
    if (m_synchronous) {
        if (d->sync)
            d->sync->Stop();
        if (!m_paused && !m_stepping && current)
            resumeAllAtCurrentSpeed();
        m_synchronous = false;
        UpdateWidget(PlayBar::kSyncOff);
    } else {
        m_paused = false;
        if (d->sync && !d->sync->IsRunning())
            d->sync->Start();
        if (!current) {
            m_synchronous = true;
            SetSyncFace(true);
        } else {
            // The windows go to the current one's time and speed together, without this
            // thread waiting for them.
            if (d->sync) {
                d->sync->SetSpeed(current->GetSpeed());
                if (!d->sync->SetPlayTime(current->GetCurrentTime()))
                    resumeAllAtCurrentSpeed();
            }
            if (current->IsPlaying())
                UpdateWidget(PlayBar::kSyncOn);
            else
                SetSyncFace(true);
            m_synchronous = true;
        }
    }
    m_ui.m_pBtnSyn->setEnabled(true);
}

void CPlayBackWidget::OnBtnAdapt()
{
    m_fit = !m_fit;
    for (const auto& [window, player] : d->Players())
        if (player && player->IsPlaying())
            d->windows[size_t(window)]->OnAdaptWindow(m_fit ? CPlaybackWnd::Fit::KeepAspect : CPlaybackWnd::Fit::Fill);
    d->fit = m_fit;
}

void CPlayBackWidget::OnBtnDownload()
{
    if (CPlaybackWnd* wnd = d->CurrentWindowPtr())
        wnd->OnDownLoad();
}

void CPlayBackWidget::OnOpenVoice(bool opened)
{
    CPlaybackWnd* wnd = d->CurrentWindowPtr();
    if (!d->CurrentPlayer() || !wnd)
        return;
    wnd->OnOpenVoice();
    Q_UNUSED(opened);
    // The window tells the page the real outcome through its voice callback; the icon follows
    // the engine, not the button's wish.
    d->UpdateVolumeIcon(d->GetCurrentIndex(), d->CurrentPlayer()->IsVoiceOpen());
}

void CPlayBackWidget::OnVolumeChanged(int iValue)
{
    if (CPlayBackInteraction* player = d->CurrentPlayer())
        player->SetVolume(std::uint16_t(qBound(0, iValue, 0xffff)));
}

void CPlayBackWidget::OnFullScreenCtrl()
{
    if (IsFullScreen())
        ExitFullScreen();
    else
        EnterFullScreen();
}

void CPlayBackWidget::OnOneCut()
{
    SetWindowCount(int(PlayBar::CutMode(1, m_wideScreen)));
}
void CPlayBackWidget::OnFourCut()
{
    SetWindowCount(int(PlayBar::CutMode(4, m_wideScreen)));
}
void CPlayBackWidget::OnNineCut()
{
    SetWindowCount(int(PlayBar::CutMode(9, m_wideScreen)));
}
void CPlayBackWidget::OnMoreCut()
{
    SetWindowCount(int(PlayBar::CutMode(16, m_wideScreen)));
}

void CPlayBackWidget::SetWindowCount(int mode)
{
    const int count = PlayBar::WindowCountOfMode(mode);
    d->splitLayout->SetSplitMode(mode);
    if (d->GetCurrentIndex() >= count) {
        OnSelectedPlaybackWnd(0);
        d->SetCurrentWindowIndex(0);
    }
}

void CPlayBackWidget::CheckPlayState()
{
    CPlayBackInteraction* player = d->CurrentPlayer();
    if (!player)
        return;
    const Varpen::PlayState state = player->GetPlayState();
    if (state.endOfList)
        UpdateWidget(PlayBar::kStopped);
    if (state.error == Varpen::kPlayErrorNoFile)
        UpdateWidget(PlayBar::kStopped);
    if (state.error == Varpen::kPlayErrorStreamFailed) {
        // The poll ends before the message: a modal box must not let the next tick open another.
        m_pPlayStateTimer->stop();
        OnBtnStop();
        UpdateWidget(PlayBar::kStopped);
        CWarnDlg::ShowWarn(tr("Information"), tr("Cannot get video from disk.."), this);
    }
}

// ---- Widget events ----------------------------------------------------------------------------

bool CPlayBackWidget::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == m_ui.m_pPlayAreaFrame || watched == m_pFullScreenHolder) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Escape) {
            if (IsFullScreen())
                ExitFullScreen();
            return true;
        }
    }
    return CBaseFrame::eventFilter(watched, event);
}

void CPlayBackWidget::PlaceChaseOverlay()
{
    if (!m_pChaseDialog)
        return;
    CGroupTreeView* tree = m_ui.m_pPlayBackTreeView;
    m_pChaseDialog->move(tree->mapToGlobal(QPoint(0, 0)) + QPoint(20, 20));
    m_pChaseDialog->resize(qMax(0, tree->width() - 40), qMax(0, tree->height() - 40));
}

void CPlayBackWidget::paintEvent(QPaintEvent* event)
{
    PlaceChaseOverlay();
    CBaseFrame::paintEvent(event);
}

void CPlayBackWidget::moveEvent(QMoveEvent* event)
{
    PlaceChaseOverlay();
    CBaseFrame::moveEvent(event);
}

void CPlayBackWidget::hideEvent(QHideEvent* event)
{
    CBaseFrame::hideEvent(event);
}
