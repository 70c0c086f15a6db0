// What a play window is told about its playback, by the page's play bar and by the window's own
// operations (`CPlaybackWnd::OnPlaybackRemoteEvent`). The numbers are the ones the window has
// always taken; numbers that act alike keep a name each. Any other number changes nothing.
#pragma once

enum class PlayWndEvent : int {
    PlayStarted = 1,    // tools enabled, time polled; the picture is fitted when the page fits all
    Playing = 2,        // tools enabled, time polled
    Stopped = 3,        // tools disabled, time cleared, clip and sound looks off
    Stopped4 = 4,       // as Stopped
    Stopped5 = 5,       // as Stopped
    Paused = 6,         // snapshot disabled
    Resumed = 7,        // snapshot enabled, title and speed label refreshed
    SpeedChanged = 8,   // title and speed label refreshed
    SpeedChanged9 = 9,  // as SpeedChanged
    SingleFrame = 10,   // title and speed label refreshed, snapshot disabled
    StepEnded = 11,     // back to normal play after stepping: as Resumed
    ClipStarted = 12,
    ClipStopped = 13,
    SoundOn15 = 15,  // as SoundOn
    SoundOn = 16,
    SoundOff = 17,
    SpeedChosen = 20,  // a speed chosen on the page's dial: the window's look stays
};
