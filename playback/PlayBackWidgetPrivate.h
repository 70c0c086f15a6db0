// The data the playback page shares with the parts that work for it (the play windows, the
// recording search and its thread, the download dialog): the 16 play windows, the engine of each
// bound window, the found files and time-line segments per window, the last search window, the
// current window and the page's shared controls. GUI thread; the search thread reads the maps only
// while the page waits for it.
#pragma once

#include "engine/PlayBackInteraction.h"
#include "engine/Records.h"
#include "engine/SynPlaybackInteraction.h"
#include "playback/PlaybackWnd.h"
#include "playback/WndSplitLayout.h"
#include "timeline/TimeSegment.h"

#include <QList>
#include <QMutex>
#include <QPointer>
#include <QString>

#include <ctime>
#include <map>
#include <memory>
#include <vector>

struct CDownloadWindowSource;
class CPlaybackDownLoad;

class CMultiTimeSlider;
class CVolumeButton;
class QToolButton;

class CPlayBackWidgetPrivate : public CPlaybackWndHost {
public:
    static constexpr int kWindowCount = 16;

    explicit CPlayBackWidgetPrivate(QWidget* page);
    // Stops the synchronous controller and every engine before they go.
    ~CPlayBackWidgetPrivate() override;
    CPlayBackWidgetPrivate(const CPlayBackWidgetPrivate&) = delete;
    CPlayBackWidgetPrivate& operator=(const CPlayBackWidgetPrivate&) = delete;

    QWidget* page = nullptr;
    QString diskPath;
    time_t searchBegin = 0;
    time_t searchEnd = 0;
    int recordType = 1111;
    int diskType = -1;
    CMultiTimeSlider* timeLine = nullptr;
    std::unique_ptr<Varpen::SynPlaybackInteraction> sync;
    CVolumeButton* volumeButton = nullptr;
    QToolButton* fullScreenButton = nullptr;
    std::unique_ptr<CWndSplitLayout> splitLayout;
    std::map<int, Varpen::SingleFileList> filesByWindow;
    std::map<int, QList<CTimeSegment>> segmentsByWindow;
    std::vector<CPlaybackWnd*> windows;                            // owned by their parent widget
    std::map<int, std::unique_ptr<CPlayBackInteraction>> players;  // guarded by playersLock
    // Each window's download dialog, made by the window's first download action.
    std::map<int, QPointer<CPlaybackDownLoad>> downloadDialogs;
    int searchedCount = 0;
    bool fit = false;
    int searchFirstWindow = 0;
    mutable QMutex playersLock;

    CPlaybackWnd* CurrentWindowPtr() const;
    int GetCurrentIndex() const { return m_currentWindow; }
    CPlayBackInteraction* CurrentPlayer() const;
    CPlayBackInteraction* PlayerAt(int window) const;
    // What a download dialog of a window reads: that window's engine and the files its search found.
    CDownloadWindowSource DownloadSource() const;
    // Makes window i current (0 <= i < 16, not already current): moves the selection frame and
    // enables the volume button only when that window's engine plays.
    void SetCurrentWindowIndex(int window);
    void RemoveWindowEntries(int window);
    // Binds `player` to window i. An engine the window already had is stopped, its found files
    // and segments are forgotten, the window is reset, the engine leaves the synchronous
    // controller and is destroyed.
    void BindChannel(int window, std::unique_ptr<CPlayBackInteraction> player);
    // Takes window i's engine out of the page without touching it (no stop, no window reset): it
    // leaves the synchronous controller and the window's found files and segments are forgotten.
    // For an engine that a worker still uses; null when the window has none.
    std::unique_ptr<CPlayBackInteraction> TakePlayer(int window);
    // Every window reset, every engine stopped and destroyed, the found files and segments and
    // the synchronous controller's members forgotten.
    void ResetAll();
    // The window whose engine shows the earliest known time, -1 when none.
    int ScanPlayers() const;

    // Play-window host.
    CPlayBackInteraction* Player(int cellIndex) const override { return PlayerAt(cellIndex); }
    CPlaybackDownLoad* DownloadDialog(int cellIndex) const override;
    QList<QPair<int, CPlayBackInteraction*>> Players() const override;
    Varpen::SynPlaybackInteraction* Sync() const override { return sync.get(); }
    QList<CPlaybackWnd*> Windows() const override;
    int CurrentWindow() const override { return m_currentWindow; }
    void SetCurrentWindow(int cellIndex) override { SetCurrentWindowIndex(cellIndex); }
    // Only for the current window.
    void UpdateVolumeIcon(int cellIndex, bool opened) override;
    void EnableVolume(int cellIndex, bool enabled) override;
    void ClearSegments(int cellIndex) override { segmentsByWindow.erase(cellIndex); }
    bool FitAll() const override { return fit; }
    bool IsFullScreen() const override;
    void ToggleFullScreen() override;
    bool IsSingleWindowShown() const override { return splitLayout && splitLayout->IsSingleWnd(); }
    void ToggleSingleWindow(CPlaybackWnd* cell) override;

private:
    int m_currentWindow = -1;
};
