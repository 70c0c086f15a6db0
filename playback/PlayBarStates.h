// The playback page's play bar as plain data: what each play-bar state changes, the window-count
// buttons' grid modes and the screen-shape rule. The page applies these; tests read them.
#pragma once

#include <QSize>

#include <optional>

#include "playback/PlayWndEvent.h"
#include "playback/SplitMode.h"

namespace PlayBar {

// States the page enters (other values change nothing).
enum State : int {
    kPlaying = 1,
    kStopped = 3,
    kAllDisabled = 5,
    kPaused = 6,
    kResumed = 7,
    kStepping = 10,
    kNormalAfterStep = 11,
    kScanStarted = 18,
    kScanEnded = 19,
    kSpeedChosen = 20,
    kSyncOn = 21,
    kSyncOff = 22,
};

enum class Face { Unchanged, Play, Pause };
enum class SyncFace { Unchanged, On, Off };

// What one state changes. An empty optional leaves that thing as it was. Order of the side
// effects on the current window: `unPause` before `windowEvent` (only one of them is ever set).
struct Effect {
    std::optional<bool> play;    // play button enabled
    std::optional<bool> frame;   // single-frame button enabled
    std::optional<bool> adapt;   // fit button enabled
    std::optional<bool> speed;   // speed dial enabled
    std::optional<bool> volume;  // volume button enabled
    std::optional<bool> sync;    // synchronous button enabled
    Face face = Face::Unchanged;
    SyncFace syncFace = SyncFace::Unchanged;
    bool speedToNormal = false;  // the speed dial shows 1x
    bool startPoll = false;      // the 300 ms play-state poll (re)starts
    std::optional<bool> paused;
    std::optional<bool> stepping;
    std::optional<PlayWndEvent> windowEvent;  // event told to the current window
    bool unPause = false;                     // the current window leaves its paused look

    bool ChangesNothing() const;
};

Effect EffectOf(int state);

// Grid modes of the window-count buttons (1, 4, 9 or 16 windows) for the screen family; None for
// any other count.
SplitMode CutMode(int windowCount, bool wideScreen);
// Windows shown by a mode of the four counts (1x1: 1, 2x2: 4, 3x3: 9, 4x4: 16, in either family),
// 0 for any other mode.
int WindowCountOfMode(int mode);
// A screen whose height / width is below 0.75 takes the wide-screen grid modes; an empty size
// counts as a normal screen.
bool IsWideScreen(const QSize& screen);
// Grid mode the page starts in: "2x2-EX" on a wide screen, else "2x2-4".
SplitMode StartMode(bool wideScreen);

}  // namespace PlayBar
