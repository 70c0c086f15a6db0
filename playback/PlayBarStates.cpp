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

int CutMode(int windowCount, bool wideScreen)
{
    switch (windowCount) {
    case 1:
        return wideScreen ? 17 : 0;
    case 4:
        return wideScreen ? 18 : 1;
    case 9:
        return wideScreen ? 19 : 3;
    case 16:
        return wideScreen ? 20 : 7;
    default:
        return -1;
    }
}

int WindowCountOfMode(int mode)
{
    switch (mode) {
    case 0:
    case 17:
        return 1;
    case 1:
    case 18:
        return 4;
    case 3:
    case 19:
        return 9;
    case 7:
    case 20:
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

int StartMode(bool wideScreen)
{
    return wideScreen ? 18 : 1;
}

}  // namespace PlayBar
