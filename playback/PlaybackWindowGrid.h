// The playback page's window grid as the page's parts share it: the 16 play windows (owned by
// their parent widget), the split layout that places them, the current window and the page
// controls that follow the current window (the volume and full-screen buttons). GUI thread.
#pragma once

#include "playback/WndSplitLayout.h"

#include <memory>
#include <vector>

class CPlaybackWnd;
class CVolumeButton;
class QToolButton;

class CPlaybackWindowGrid {
public:
    static constexpr int kWindowCount = 16;

    CPlaybackWindowGrid();
    ~CPlaybackWindowGrid();
    CPlaybackWindowGrid(const CPlaybackWindowGrid&) = delete;
    CPlaybackWindowGrid& operator=(const CPlaybackWindowGrid&) = delete;

    std::vector<CPlaybackWnd*> windows;  // owned by their parent widget
    std::unique_ptr<CWndSplitLayout> splitLayout;
    CVolumeButton* volumeButton = nullptr;
    QToolButton* fullScreenButton = nullptr;

    // The current window, null when there is none.
    CPlaybackWnd* CurrentWindowPtr() const;
    int GetCurrentIndex() const { return m_currentWindow; }
    // Only for the current window.
    void UpdateVolumeIcon(int window, bool opened);
    void EnableVolume(int window, bool enabled);
    bool IsSingleWindowShown() const { return splitLayout && splitLayout->IsSingleWnd(); }
    // One window alone in the play area, or back to the grid.
    void ToggleSingleWindow(CPlaybackWnd* cell);

protected:
    // Makes window i current (0 <= i < 16, not already current) and moves the selection frame to
    // it; false when nothing changed.
    bool MoveCurrentWindow(int window);

private:
    int m_currentWindow = -1;
};
