#pragma once
// Synchronous playback: keeps the play windows of one page in step. The page adds the engine of
// every window; in synchronous mode it sends play time, pause, speed and single steps here
// instead of to one window. The controller's own thread compares the members' shown times (to the
// millisecond) every 40 ms and briefly holds back the members that run ahead of the earliest one;
// members that reach the end of a file hold at the first picture of their next file until the
// others have come to the same time, and then all go on together.
//
// A start or seek for all is carried out on the controller's thread: every member is positioned
// at once (one worker each), held at its first picture, and all go on together once every one
// has it or has failed (a member that failed is out of the step: it is no longer playing and its
// window says why). The owner's call returns at once.
//
// Held members go on together: each takes the step's level while still held, then all are told
// to play on, one player call each.
//
// Threads: the owner (GUI) adds and removes members and sends the commands; every command returns
// at once. The controller's thread carries them out in the order given (a newer pause or resume
// replaces one still waiting, as does a newer speed) between its passes and its starts and seeks
// for all, so a pass never undoes half of a command. The paused word, the speed level, a waiting
// start and the waiting commands are guarded by a mutex that is held only to read or change them,
// never across a call into a member. The member list has a lock of its own, with a count of the
// controller's calls in progress per member: the controller's thread and its positioning workers
// call a member only while it is listed, one call at a time (every member control returns without
// waiting for a stream, a disk or a thread). RemoveInteraction unlists the member and waits only
// for a call on that member that is in progress at that moment, never for a pass, a positioning
// or the other members; once it returned the controller does not touch the member again, so the
// owner may delete it.

#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <limits>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/BaseThread.h"
#include "platform/rtk/rtk.h"

class CPlayBackInteraction;

namespace Varpen {

// What one member is told by a pass or by a step for all. Release: leave a hold (single-frame
// mode included) and play on at the step's speed.
enum class SyncAction { None, Pause, Resume, Step, Release };

// Smallest time that is not -1 (seconds or milliseconds); the largest time_t value when there is
// none.
time_t EarliestSyncTime(const std::vector<time_t>& times);

// How far ahead of the earliest member (recording time) a member may run at a speed level
// (-3..3, 1/8x..8x): from `pause_ms` on it is paused, and a paused one goes on again once its
// lead is down to `resume_ms`. A pass comes every 40 ms, in which a member moves on by 40 ms of
// recording time at 1x and by 320 ms at 8x: a lead found at one pass has grown by up to that much
// at the next. So the lead held back is at least two pictures (80 ms: two windows in step show
// pictures up to one apart) and at least one pass, and a paused member goes on half a pass
// before the others have caught up, so that it is not left behind by the pass that resumes it.
struct SyncLeads {
    std::int64_t pause_ms = 0;
    std::int64_t resume_ms = 0;
};
constexpr std::int64_t kSyncMinLead_ms = 80;
SyncLeads SyncLeadsAt(int level);

// One keep-in-step pass over the members' shown times in milliseconds (-1 = no frame shown, or
// not playing) at a speed level. Members without a time are left alone and do not hold the
// others back: the earliest time is taken over the members that have one. A member
// SyncLeadsAt(level).pause_ms or more ahead of it is paused, one at most resume_ms ahead resumed,
// one in between left as it is.
std::vector<SyncAction> PlanSyncPass(const std::vector<std::int64_t>& times_ms, int level = 0);

// A single step for all: members with a time within 2 s of the earliest step (when playing; the
// others are skipped), every other member is paused.
std::vector<SyncAction> PlanSyncStep(const std::vector<time_t>& times, const std::vector<bool>& playing);

// One member as a pass sees it.
struct SyncMemberView {
    std::uintptr_t id = 0;  // the same member has the same id in every pass
    bool playing = false;   // playing: not idle, ended or failed
    int index = -1;         // position of its file in its list
    std::int64_t time_ms = -1;  // time of the frame shown (ms since 1970), -1 none
    bool ready = true;          // pictures are decoded behind the one shown: it can go on at once
};

// The step rule of the passes, remembering per member what it did at file changes:
//  - a member whose file index changed has opened its next file paused: it is told to step, so
//    that it shows the next file's first picture, and is then held there;
//  - held members go on (Release) together, once no member is between two files any more and no
//    running member shows an earlier time than theirs, nor a held one by more than the resume
//    lead of PlanSyncPass: the members still on the old file reach its end and are held in turn,
//    a member with no next file ends and leaves the step, one that fails to open it leaves it too;
//  - a running member that showed a picture and shows none any more is opening its next file:
//    it counts at its last time and holds the held ones like a member between two files;
//  - a held member that is not ready (its decoder has not got ahead of its first picture) holds
//    the release like a member between two files: released at once it would fall behind;
//  - a member between two files (stepped, no picture yet, or held and not ready) is given up
//    after kCrossingPasses passes: it is released as it is instead of holding the others for ever;
//  - the others follow PlanSyncPass, where a held member counts with its time.
class SyncStepRule {
public:
    static constexpr int kCrossingPasses = 125;  // 5 s of 40 ms passes

    // Forgets every member's hold (a start or seek for all is releasing them); the members given
    // are known from their present file on, so a file change before the next pass is still seen.
    void Reset(const std::vector<SyncMemberView>& members = {});
    std::vector<SyncAction> Plan(const std::vector<SyncMemberView>& members, int level = 0);
    // Passes before a member between two files is given up (kCrossingPasses unless set).
    void SetCrossingPasses(int passes) { m_crossingPasses = passes; }
    // Members held (or stepped into their next file) now, by id: released when the step ends.
    std::vector<std::uintptr_t> Holding() const;

private:
    enum class Phase { Running, Crossing, Held };
    struct Track {
        int index = -1;
        Phase phase = Phase::Running;
        std::int64_t held_ms = -1;
        int crossingPasses = 0;
        std::int64_t last_ms = -1;  // the last time it showed while running
        bool switching = false;  // running, showed a picture, shows none now
    };
    std::map<std::uintptr_t, Track> m_tracks;
    int m_crossingPasses = kCrossingPasses;
};

class SynPlaybackInteraction : public CBaseThread {
public:
    SynPlaybackInteraction() = default;
    ~SynPlaybackInteraction() override;

    // false for null or a member already present. `window`: the video surface a start for all
    // plays the member into (0: the member is only sought, never started).
    bool AddInteraction(CPlayBackInteraction* member, std::uint32_t window = 0);
    // Unlists the member: once this returns the controller does not call it any more (see above).
    void RemoveInteraction(CPlayBackInteraction* member);
    // Forgets every member (as RemoveInteraction), then stops the thread, which then has nothing
    // left to call. A member held at a file change stays held: the owner is done with them.
    void StopAll();

    // Seeks every playing member to `time`, together (see above); returns at once and ends a
    // pause for all. A newer start or seek replaces one that has not begun yet. false when the
    // controller is not running or the time is -1.
    bool SetPlayTime(time_t time);
    // The same, and the members that are not playing are started at `time` in their windows.
    bool PlayAt(time_t time);
    // A start or seek for all has been asked and its members not released yet.
    bool IsPositioning();
    // The commands for all below are carried out on the controller's thread and return at once
    // (false only where said); a member that fails says so through its own state, as a window
    // alone does. The controller's thread must be running for them to take effect (the next
    // pass carries out what was queued).
    // Pauses or resumes every playing member.
    bool Pause(bool pause);
    // The level on every playing member (and on the members of a start or seek, when they go
    // on); false for a level outside -3..3.
    bool SetSpeed(int level);
    // Normal play on every playing member. Ends a pause for all.
    bool NormalSpeed();
    // One frame forward for the members within 2 s of the earliest one, the others are paused.
    bool StepForward();
    // Commands given and not carried out yet.
    bool HasCommandsWaiting();
    // Smallest shown time of the members, skipping -1; the largest time_t when there is none.
    // Waits for no seek or pass.
    time_t GetCurrentTime();

    static constexpr int kPass_ms = 40;
    // Passes before a member between two files is given up. The passes run on the real clock:
    // a test that moves a virtual clock slowly sets more of them. Before Start.
    void SetCrossingPasses(int passes) { m_rule.SetCrossingPasses(passes); }
    // How long a positioned member may take to show its first picture before the others go on
    // without it.
    static constexpr int kFirstPictureWait_ms = 5000;

protected:
    bool OnThreadStart() override;
    void OnThreadExit() override;
    bool RunOnce() override;

private:
    struct Member {
        CPlayBackInteraction* engine = nullptr;
        std::uint32_t window = 0;
    };
    struct Positioning {
        time_t time = -1;
        bool startIdle = false;
    };
    enum class CommandKind { Pause, Resume, Speed, NormalSpeed, Step };
    struct Command {
        CommandKind kind = CommandKind::Pause;
        int level = 0;
    };
    // Waiting commands beyond this drop the oldest (a key held down while the thread is busy).
    static constexpr std::size_t kMaxCommands = 64;
    // A call of the controller's into a listed member: while it lives, RemoveInteraction waits
    // for it. False (and no call may be made) once the member has been removed.
    class Use {
    public:
        Use(SynPlaybackInteraction& owner, CPlayBackInteraction* member);
        Use(Use&& other) noexcept;
        Use(const Use&) = delete;
        Use& operator=(const Use&) = delete;
        Use& operator=(Use&&) = delete;
        ~Use();
        explicit operator bool() const { return m_member != nullptr; }

    private:
        SynPlaybackInteraction* m_owner;
        CPlayBackInteraction* m_member;
    };

    bool Ask(time_t time, bool startIdle);
    void Queue(Command command);
    // Carries out the waiting commands, on the controller's thread.
    void RunCommands();
    // Calls `act` on every listed member that plays, skipping the held ones when asked.
    void ForPlaying(bool skipHeld, const std::function<void(CPlayBackInteraction*)>& act);
    bool PositioningAsked();
    void DoPause(bool pause);
    void DoSpeed(int level);
    void DoNormalSpeed();
    void DoStep();
    std::vector<Member> Members();
    bool IsMemberLocked(CPlayBackInteraction* engine) const;
    static std::vector<time_t> MemberTimes(const std::vector<CPlayBackInteraction*>& members);
    // Views of the listed members with their shown times in milliseconds (a member removed
    // meanwhile shows as not playing).
    std::vector<SyncMemberView> MemberViews(const std::vector<CPlayBackInteraction*>& members);
    std::vector<CPlayBackInteraction*> Engines();
    void Position(const Positioning& job);
    void Pass();
    // Lets held members go on together at the step's level: each takes the level while held,
    // then each plays on. Members removed meanwhile are left alone.
    void ReleaseTogether(const std::vector<CPlayBackInteraction*>& members, int level);
    void SetHolds(bool hold);

    int m_paused = 0;                          // 1 after a pause or a step for all
    int m_level = 0;                           // the speed of the step
    std::optional<Positioning> m_positioning;  // asked, not begun
    bool m_positioningBusy = false;            // begun, not released
    std::deque<Command> m_commands;            // given, not carried out
    RTK_Mutex m_lock;                          // the five above, never across a member call
    SyncStepRule m_rule;                       // the controller's thread only

    // The members (not owned; the page owns them) and the controller's calls in progress on each.
    std::mutex m_membersLock;
    std::condition_variable m_callEnded;
    std::vector<Member> m_members;
    std::map<CPlayBackInteraction*, int> m_calls;
};

}  // namespace Varpen
