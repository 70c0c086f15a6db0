// The data the playback page shares with the parts that work for it, made of the parts each of
// them uses: the search window and what the searches found (CPlaybackSearchData), the engine of
// each bound window and the synchronous controller (CPlaybackEngines), the 16 play windows and
// the current one (CPlaybackWindowGrid) and each window's download dialog
// (CPlaybackDownloadDialogs). What needs more than one part is here: binding and resetting
// windows, the current window's engine, what the play windows and the download dialogs read of
// the page. GUI thread; the search thread reads the maps only while the page waits for it.
#pragma once

#include "playback/PlaybackDownloadDialogs.h"
#include "playback/PlaybackEngines.h"
#include "playback/PlaybackSearchData.h"
#include "playback/PlaybackWindowGrid.h"
#include "playback/PlaybackWnd.h"

#include <QList>
#include <QPair>

#include <memory>

struct CDownloadWindowSource;

class CMultiTimeSlider;

class CPlayBackWidgetPrivate : public CPlaybackWndHost,
                               public CPlaybackSearchData,
                               public CPlaybackEngines,
                               public CPlaybackWindowGrid,
                               public CPlaybackDownloadDialogs {
public:
    explicit CPlayBackWidgetPrivate(QWidget* page);
    // Stops the synchronous controller and every engine before they go.
    ~CPlayBackWidgetPrivate() override;
    CPlayBackWidgetPrivate(const CPlayBackWidgetPrivate&) = delete;
    CPlayBackWidgetPrivate& operator=(const CPlayBackWidgetPrivate&) = delete;

    QWidget* page = nullptr;
    int diskType = -1;
    CMultiTimeSlider* timeLine = nullptr;
    bool fit = false;

    CPlayBackInteraction* CurrentPlayer() const;
    // What a download dialog of a window reads: that window's engine and the files its search found.
    CDownloadWindowSource DownloadSource() const;
    // Makes window i current (0 <= i < 16, not already current): moves the selection frame and
    // enables the volume button only when that window's engine plays.
    void SetCurrentWindowIndex(int window);
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
    // ResetAll without the destruction: the stopped engines are handed to the caller, who destroys
    // them (the page's close, one a piece).
    std::vector<std::unique_ptr<CPlayBackInteraction>> ReleaseAll();

    // Play-window host.
    CPlayBackInteraction* Player(int cellIndex) const override { return PlayerAt(cellIndex); }
    CPlaybackDownLoad* DownloadDialog(int cellIndex) const override
    {
        return CPlaybackDownloadDialogs::DownloadDialog(cellIndex);
    }
    QList<QPair<int, CPlayBackInteraction*>> Players() const override { return CPlaybackEngines::Players(); }
    Varpen::SynPlaybackInteraction* Sync() const override { return sync.get(); }
    QList<CPlaybackWnd*> Windows() const override;
    int CurrentWindow() const override { return GetCurrentIndex(); }
    void SetCurrentWindow(int cellIndex) override { SetCurrentWindowIndex(cellIndex); }
    // Only for the current window.
    void UpdateVolumeIcon(int cellIndex, bool opened) override
    {
        CPlaybackWindowGrid::UpdateVolumeIcon(cellIndex, opened);
    }
    void EnableVolume(int cellIndex, bool enabled) override { CPlaybackWindowGrid::EnableVolume(cellIndex, enabled); }
    void ClearSegments(int cellIndex) override { segmentsByWindow.erase(cellIndex); }
    bool FitAll() const override { return fit; }
    bool IsFullScreen() const override;
    void ToggleFullScreen() override;
    bool IsSingleWindowShown() const override { return CPlaybackWindowGrid::IsSingleWindowShown(); }
    void ToggleSingleWindow(CPlaybackWnd* cell) override { CPlaybackWindowGrid::ToggleSingleWindow(cell); }
};
