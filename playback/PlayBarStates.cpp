#include "playback/PlayBarStates.h"

namespace PlayBar {

bool Effect::ChangesNothing() const
{
    return !play && !frame && !adapt && !speed && !volume && !sync && face == Face::Unchanged &&
           syncFace == SyncFace::Unchanged && !speedToNormal && !startPoll && !paused && !stepping && !windowEvent &&
           !unPause;
}

Effect EffectOf(int state)
{
    Effect e;
    switch (state) {
    case kPlaying:
        e.play = e.frame = e.adapt = e.speed = e.volume = true;
        e.startPoll = true;
        e.face = Face::Pause;
        break;
    case kStopped:
        e.play = true;
        e.face = Face::Play;
        e.frame = e.adapt = e.speed = e.volume = false;
        e.speedToNormal = true;
        break;
    case kAllDisabled:
        e.play = e.frame = e.adapt = e.speed = e.sync = e.volume = false;
        break;
    case kPaused:
        e.play = e.adapt = e.frame = true;
        // The dial is enabled and then disabled again in the same step: a paused window takes
        // no speed.
        e.speed = false;
        e.face = Face::Play;
        e.windowEvent = PlayWndEvent::Paused;
        e.paused = true;
        break;
    case kResumed:
    case kSpeedChosen:
        e.play = e.speed = e.adapt = e.frame = true;
        e.face = Face::Pause;
        e.paused = false;
        e.windowEvent = PlayWndEvent::Resumed;
        break;
    case kStepping:
        e.play = true;
        e.speed = false;
        e.adapt = e.frame = true;
        e.face = Face::Play;
        e.paused = e.stepping = true;
        e.unPause = true;
        break;
    case kNormalAfterStep:
        e.play = e.speed = e.adapt = e.frame = true;
        e.speedToNormal = true;
        e.face = Face::Pause;
        e.windowEvent = PlayWndEvent::StepEnded;
        e.paused = e.stepping = false;
        break;
    case kScanStarted:
        e.sync = false;
        break;
    case kScanEnded:
        e.sync = true;
        break;
    case kSyncOn:
        e.syncFace = SyncFace::On;
        e.face = Face::Pause;
        e.speed = true;
        break;
    case kSyncOff:
        e.syncFace = SyncFace::Off;
        break;
    default:
        break;
    }
    return e;
}

SplitMode CutMode(int windowCount, bool wideScreen)
{
    switch (windowCount) {
    case 1:
        return wideScreen ? SplitMode::Grid1x1_EX : SplitMode::Grid1x1_1;
    case 4:
        return wideScreen ? SplitMode::Grid2x2_EX : SplitMode::Grid2x2_4;
    case 9:
        return wideScreen ? SplitMode::Grid3x3_EX : SplitMode::Grid3x3_9;
    case 16:
        return wideScreen ? SplitMode::Grid4x4_EX : SplitMode::Grid4x4_16;
    default:
        return SplitMode::None;
    }
}

int WindowCountOfMode(int mode)
{
    switch (SplitMode(mode)) {
    case SplitMode::Grid1x1_1:
    case SplitMode::Grid1x1_EX:
        return 1;
    case SplitMode::Grid2x2_4:
    case SplitMode::Grid2x2_EX:
        return 4;
    case SplitMode::Grid3x3_9:
    case SplitMode::Grid3x3_EX:
        return 9;
    case SplitMode::Grid4x4_16:
    case SplitMode::Grid4x4_EX:
        return 16;
    default:
        return 0;
    }
}

bool IsWideScreen(const QSize& screen)
{
    if (screen.width() <= 0 || screen.height() <= 0)
        return false;
    return double(screen.height()) / double(screen.width()) < 0.75;
}

SplitMode StartMode(bool wideScreen)
{
    return wideScreen ? SplitMode::Grid2x2_EX : SplitMode::Grid2x2_4;
}

}  // namespace PlayBar
