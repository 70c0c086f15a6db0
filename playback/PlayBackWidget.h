// The playback page: the disk box, channel tree and calendar, the search panel, the 16 play
// windows in their grid, the play bar and the multi-row time line. The page finds the channels of
// a disk, searches recordings of the ticked channels into consecutive play windows and plays
// them, one window alone or all of them in step.
//
// Everything runs on the GUI thread; the disk scan, the recording-day check and the recording
// search run on workers the page owns. No control waits for a worker: a scan that a new disk or
// month replaces and a search the operator cancels are told to stop and handed to the program's
// reaper (app/WorkerReaper.h) until they end (their late reports are ignored); the page's
// destructor joins those it handed over, after every worker was told to stop.
#pragma once

#include "app/ShutdownStep.h"
#include "engine/Records.h"
#include "playback/ChannelTree.h"
#include "playback/PlayBackWidgetForm.h"
#include "widgets/CBaseFrame.h"

#include <QDate>
#include <QItemSelection>
#include <QList>
#include <QModelIndex>
#include <QPair>
#include <QPointer>
#include <QSize>
#include <QString>

#include <ctime>
#include <map>
#include <memory>
#include <vector>

class CCheckRemoteFileExistThread;
class CFakeChaseDialog;
class CPlayBackWidgetPrivate;
class CPlaybackSearchThread;
class CPlaybackDownLoad;
class CPlaybackWnd;
class CPlayBackInteraction;
class CSearchDiskThread;
class CTimeSegment;
class QStandardItemModel;
class QTimer;
namespace Varpen {
class CChannel;
}

class CPlayBackWidget : public CBaseFrame {
    Q_OBJECT

public:
    static constexpr int kPlayStatePoll_ms = 300;
    static constexpr int kFrameType = 5;

    // Reads the shape of the screen that will hold the page.
    explicit CPlayBackWidget(QWidget* parent = nullptr);
    // The same for a screen of the given size (tests, and the main window when it knows it).
    CPlayBackWidget(QWidget* parent, const QSize& screenSize);
    ~CPlayBackWidget() override;

    // The first disk scan on the disk box's current entry; the main window calls it once, right
    // after it is shown.
    void InitDiskTree();
    // Stops every window, forgets the bound engines and the time line's bars and unticks every
    // channel.
    void StopAllPlayback();
    // Makes the first channel row current when none is, and limits the calendar to today.
    void ResetTreeSelection();
    void EnterFullScreen();
    void ExitFullScreen();
    bool IsFullScreen() const { return m_fullScreen; }
    // True from the start of a disk scan until it has reported channels (stays true while the
    // overlay says that the disk holds none); the main window shows or hides the overlay by it.
    bool IsDiskSearchRunning() const { return m_diskSearchRunning; }
    CFakeChaseDialog* ChaseOverlay() const { return m_pChaseDialog; }

    int GetFrameType() override { return kFrameType; }
    // When a window plays, asks whether to stop; true when the page may close.
    bool ConfirmClose() override;
    // Stops the day checker, every window and every engine, and the synchronous controller.
    void LeavePage() override;
    // Tells every worker of the page to stop (the disk scan, the day checker, the recording
    // searches) without waiting for any: the main window calls it on every page before it
    // destroys them, so that the joins of the destructors overlap.
    void StopWorkers();
    // One short piece of the page's shut-down, for a close that must not hold the GUI thread: the
    // workers are told to stop, the windows stopped one by one, the download dialogs deleted one
    // by one, the workers' ends awaited (Wait while one runs, unless `may_wait`: then it is joined
    // here), the windows deleted one by one. Done once only the page itself is left to delete; the
    // destructor runs what is left of it. The page takes no operator's command from the first
    // piece on.
    Varpen::ShutdownStep ShutdownPiece(bool may_wait = false);

    // Called by a play window when its sound was opened or closed.
    static void OnVoiceStateChanged(bool opened, void* page);

    // What the page shows, for the entry's test script, tests, benchmarks and the gallery: the play
    // window of a cell (null outside 0 to 15), the current window (-1 for none), the engine bound
    // to a window (null for none), the bound engines in ascending window index, the files and
    // time-line bars the searches found for a window, and the grid's split mode.
    CPlaybackWnd* PlayWindow(int window) const;
    int CurrentWindowIndex() const;
    CPlayBackInteraction* PlayerAt(int window) const;
    QList<QPair<int, CPlayBackInteraction*>> Players() const;
    Varpen::SingleFileList FoundFiles(int window) const;
    QList<CTimeSegment> FoundSegments(int window) const;
    int SplitMode() const;
    // Makes a window current as the page does itself (0 to 15; the current one again changes
    // nothing).
    void SelectWindow(int window);

    // For the page's own tests and the gallery.
    Ui_CPlayBackWidget& Form() { return m_ui; }
    CPlayBackWidgetPrivate* Private() const { return d.get(); }
    QStandardItemModel* ChannelModel() const { return m_pChannelModel; }
    CSearchDiskThread* DiskSearcher() const { return m_pDiskSearcher.get(); }
    CCheckRemoteFileExistThread* DayChecker() const { return m_pDayChecker.get(); }
    // The search now running (null when none), and the scans and searches this page handed to
    // the reaper that are not deleted yet.
    CPlaybackSearchThread* SearchThread() const { return m_pSearchThread.get(); }
    int RetiredWorkers() const;
    QTimer* PlayStateTimer() const { return m_pPlayStateTimer; }
    bool IsWideScreen() const { return m_wideScreen; }
    bool IsSynchronous() const { return m_synchronous; }
    bool IsPausedFlag() const { return m_paused; }
    bool IsSteppingFlag() const { return m_stepping; }
    bool IsFit() const { return m_fit; }
    int DiskType() const { return m_diskType; }
    QString DiskPath() const { return m_diskPath; }
    CPlaybackDownLoad* DownloadDialog(int window) const;
    // The full-screen top-level window while full screen, else null.
    QWidget* FullScreenHolder() const { return m_pFullScreenHolder; }

signals:
    void StopSearchDisk();

public slots:
    void OnBtnSyn();
    void OnBtnPlay();
    void OnBtnStop();
    void OnBtnFrame();
    void OnBtnBack();
    void OnBtnDownload();
    void OnBtnAdapt();
    void OnBtnSpeed(int iSpeed);
    void OnItemRightClicked(QModelIndex& index);
    void OnStartPlayback(int iIndex, time_t tmClick);
    void OnSelectedPlaybackWnd(int iIndex);
    void OnSearchPlayback();
    void OnSearchSelected(int iId);
    void OnSearchFinished();
    void OnVolumeChanged(int iValue);
    void OnOpenVoice(bool opened);
    void OnFullScreenCtrl();
    void OnOneCut();
    void OnFourCut();
    void OnNineCut();
    void OnMoreCut();
    void OnSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void OnClickedCalendar(QDate date);
    void OnCheckLocalFile(Varpen::CChannel& channel);
    void OnCheckLocalFinish();
    void ResetDiskTree(QString text);
    void UpdateWidget(int iState);
    void OnSelectDate(QDate first, QDate last);
    void OnStopChase();
    void CheckPlayState();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private slots:
    // After a start or seek for all: the windows take their playing (or failed) state.
    void OnSyncPositioned();
    // A play window's download action: opens (first time: builds) that window's download dialog.
    void OnWindowDownLoad(int window, const QString& title);

private:
    void Build(const QSize& screenSize);
    void SetWindowCount(int mode);
    void SetPlayFace(bool pauseFace);
    void SetSyncFace(bool on);
    void PlaceChaseOverlay();
    // Tells the scan to end without a word; a scan still running is handed to the reaper and an
    // idle searcher takes its place.
    void StopDiskSearch();
    void NewDiskSearcher();
    // Stops the running search without waiting: what it found so far reaches the page data; a
    // window whose search it is still in gets a fresh engine (the thread keeps the old one).
    void CancelSearch();
    // Remembers the ticks of the channel tree shown for the disk it lists.
    void KeepTicks();
    // The days the time line can show after a search: the search's days, widened to the
    // recordings the other bound windows found.
    void GetSearchTimeRange(QDate& first, QDate& last) const;
    // Binds the channels to windows from `firstWindow` on, grows the grid and sets the search
    // window up; false when no channel was bound.
    bool PrepareSearch(const QList<QModelIndex>& channels, int firstWindow, const QDate& firstDay,
                       const QDate& lastDay);
    // Runs the search thread under the modal wait dialog; the dialog's result (0: cancelled).
    int RunSearch();
    // The time line's bars and filters of the searched windows, and the search's one notice.
    void ShowSearchResults(const QList<int>& windows, const QList<int>& failed);

    Ui_CPlayBackWidget m_ui;
    std::unique_ptr<CPlayBackWidgetPrivate> d;
    bool m_fullScreen = false;
    QStandardItemModel* m_pChannelModel = nullptr;
    std::unique_ptr<CCheckRemoteFileExistThread> m_pDayChecker;
    bool m_synchronous = false;
    bool m_paused = false;
    bool m_stepping = false;
    bool m_fit = false;
    bool m_wideScreen = false;
    bool m_scanStarted = false;
    bool m_nothingFound = false;
    QString m_diskPath;
    std::unique_ptr<CSearchDiskThread> m_pDiskSearcher;
    unsigned m_diskSearcherSerial = 0;  // the searcher whose reports the page takes
    CFakeChaseDialog* m_pChaseDialog = nullptr;
    bool m_diskSearchRunning = false;
    int m_diskType = -1;
    QTimer* m_pPlayStateTimer = nullptr;
    QWidget* m_pFullScreenHolder = nullptr;
    bool m_destroying = false;
    // How far the shut-down is; the window (or download dialog) it has come to.
    enum class Shutdown { Begin, StopWindows, ResetWindows, FreeEngines, Dialogs, Overlay, Workers, Windows, Done };
    Shutdown m_shutdown = Shutdown::Begin;
    size_t m_shutdownIndex = 0;
    std::vector<CPlaybackWnd*> m_windowsLeft;                // taken from the grid, deleted one a piece
    std::vector<std::unique_ptr<CPlayBackInteraction>> m_enginesLeft;  // stopped, destroyed one a piece
    std::unique_ptr<CPlaybackSearchThread> m_pSearchThread;  // the search running (or last run)
    unsigned m_searchSerial = 0;                             // the search whose report the page takes
    QString m_notPlaced;                                     // the channels the running search had no window for
    QDate m_searchFirstDay;                                  // the days the searched windows' bars lie on
    QDate m_searchLastDay;
    bool m_inDiskReset = false;     // ResetDiskTree is stopping the playback
    bool m_dayCheckWanted = false;  // a channel's days are being marked
    QString m_treeDisk;             // the disk (ChannelTree::DiskKey) whose channels the tree lists, else empty
    std::map<QString, ChannelTree::Ticks> m_ticksByDisk;  // the ticks last seen on each disk's tree
};
