#pragma once
// Synchronous playback: keeps the play windows of one page in step. The page adds the engine of
// every window; in synchronous mode it sends play time, pause, speed and single steps here
// instead of to one window. The controller's own thread compares the members' shown times every
// 500 ms and holds back the members that run ahead of the earliest one.
//
// Threads: the owner (GUI) adds and removes members and sends the commands; the controller's
// thread runs the passes. The member list and the paused word are guarded by a mutex that is
// held only to read or change them, never across a call into a member (a seek waits up to 5 s
// for its stream). A second lock serialises the passes with the commands that act on members,
// so a pass never undoes half of a command. RemoveInteraction waits for a pass that may still
// use the member (and for nothing else), so the owner may delete the member once it returned.

#include <cstdint>
#include <ctime>
#include <limits>
#include <mutex>
#include <vector>

#include "engine/BaseThread.h"
#include "platform/rtk/rtk.h"

class CPlayBackInteraction;

namespace Varpen {

// What one member is told by a pass or by a step for all.
enum class SyncAction { None, Pause, Resume, Step };

// Smallest time that is not -1; the largest time_t value when there is none.
time_t EarliestSyncTime(const std::vector<time_t>& times);

// One keep-in-step pass over the members' shown times (-1 = no frame shown, or not playing).
// Members without a time are left alone and do not hold the others back: the earliest time is
// taken over the members that have one. A member 3 s or more ahead of it is paused, one at or
// behind it resumed, one 1 to 2 s ahead left as it is.
std::vector<SyncAction> PlanSyncPass(const std::vector<time_t>& times);

// A single step for all: members with a time within 2 s of the earliest step (when playing; the
// others are skipped), every other member is paused.
std::vector<SyncAction> PlanSyncStep(const std::vector<time_t>& times,
                                     const std::vector<bool>& playing);

class SynPlaybackInteraction : public CBaseThread {
public:
    SynPlaybackInteraction() = default;
    ~SynPlaybackInteraction() override;

    // false for null or a member already present. The window handle is not needed to keep
    // members in step and is accepted for callers that pass it.
    bool AddInteraction(CPlayBackInteraction* member, std::uint32_t window = 0);
    // Returns once no pass uses the member any more.
    void RemoveInteraction(CPlayBackInteraction* member);
    // Stops the thread, then forgets every member.
    void StopAll();

    // Seeks every member to `time`, holding each at its new position until all have sought, then
    // lets them go on together (a window without recording at that time must not keep the others
    // from going on) and ends a pause for all. false when the controller is not running or the
    // time is -1.
    bool SetPlayTime(time_t time);
    // Pauses or resumes every playing member; false when any of them failed.
    bool Pause(bool pause);
    // The level on every playing member; false when any gave 0.
    bool SetSpeed(int level);
    // Normal play on every playing member; false when any failed. Ends a pause for all.
    bool NormalSpeed();
    // One frame forward for the members within 2 s of the earliest one, the others are paused.
    bool StepForward();
    // Smallest shown time of the members, skipping -1; the largest time_t when there is none.
    // Waits for no seek or pass.
    time_t GetCurrentTime();

    static constexpr int kPass_ms = 500;

protected:
    bool RunOnce() override;

private:
    std::vector<CPlayBackInteraction*> Members();
    static std::vector<time_t> MemberTimes(const std::vector<CPlayBackInteraction*>& members);

    std::vector<CPlayBackInteraction*> m_members;  // not owned; the page owns them
    int m_paused = 0;                              // 1 after a pause or a step for all
    RTK_Mutex m_lock;                              // the two above, never across a member call
    std::mutex m_actLock;                          // a pass or a command acting on members
    std::mutex m_passLock;                         // a pass using its copy of the members
};

}  // namespace Varpen
