#include "engine/SynPlaybackInteraction.h"

#include <algorithm>
#include <limits>

#include "engine/PlayBackInteraction.h"

namespace Varpen {

namespace {
constexpr time_t kNoTime = -1;
constexpr time_t kLeadToPause_s = 3;
constexpr time_t kStepWindow_s = 2;
}  // namespace

time_t EarliestSyncTime(const std::vector<time_t>& times)
{
    time_t earliest = std::numeric_limits<time_t>::max();
    for (time_t t : times) {
        if (t != kNoTime && t < earliest)
            earliest = t;
    }
    return earliest;
}

std::vector<SyncAction> PlanSyncPass(const std::vector<time_t>& times)
{
    std::vector<SyncAction> actions(times.size(), SyncAction::None);
    const time_t earliest = EarliestSyncTime(times);
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (times[i] == kNoTime)
            continue;
        const time_t lead = times[i] - earliest;
        if (lead >= kLeadToPause_s)
            actions[i] = SyncAction::Pause;
        else if (lead <= 0)
            actions[i] = SyncAction::Resume;
    }
    return actions;
}

std::vector<SyncAction> PlanSyncStep(const std::vector<time_t>& times,
                                     const std::vector<bool>& playing)
{
    std::vector<SyncAction> actions(times.size(), SyncAction::Pause);
    const time_t earliest = EarliestSyncTime(times);
    for (std::size_t i = 0; i < times.size(); ++i) {
        if (times[i] == kNoTime)
            continue;
        const time_t distance = times[i] > earliest ? times[i] - earliest : earliest - times[i];
        if (distance < kStepWindow_s)
            actions[i] = (i < playing.size() && playing[i]) ? SyncAction::Step : SyncAction::None;
    }
    return actions;
}

SynPlaybackInteraction::~SynPlaybackInteraction()
{
    try {
        StopAll();
    } catch (...) {
    }
}

bool SynPlaybackInteraction::AddInteraction(CPlayBackInteraction* member, std::uint32_t)
{
    RTK_Guard guard(&m_lock);
    if (!member || std::find(m_members.begin(), m_members.end(), member) != m_members.end())
        return false;
    m_members.push_back(member);
    return true;
}

void SynPlaybackInteraction::RemoveInteraction(CPlayBackInteraction* member)
{
    {
        RTK_Guard guard(&m_lock);
        auto it = std::find(m_members.begin(), m_members.end(), member);
        if (!member || it == m_members.end())
            return;
        m_members.erase(it);
    }
    // A pass that copied the list before the removal may still call the member.
    std::lock_guard<std::mutex> wait(m_passLock);
}

void SynPlaybackInteraction::StopAll()
{
    Stop();
    RTK_Guard guard(&m_lock);
    m_members.clear();
}

std::vector<CPlayBackInteraction*> SynPlaybackInteraction::Members()
{
    RTK_Guard guard(&m_lock);
    return m_members;
}

bool SynPlaybackInteraction::SetPlayTime(time_t time)
{
    if (time == kNoTime || !IsRunning())
        return false;
    std::lock_guard<std::mutex> act(m_actLock);
    // Each member is positioned and held; then all go on at once. Seeking them one by one while
    // each went on at once let the first run ahead by the time the others took to seek.
    std::vector<CPlayBackInteraction*> held;
    for (CPlayBackInteraction* member : Members()) {
        if (member->SetPlayTimePaused(time))
            held.push_back(member);
    }
    for (CPlayBackInteraction* member : held)
        member->Pause(false);
    RTK_Guard guard(&m_lock);
    m_paused = 0;
    return true;
}

bool SynPlaybackInteraction::Pause(bool pause)
{
    std::lock_guard<std::mutex> act(m_actLock);
    bool ok = true;
    for (CPlayBackInteraction* member : Members()) {
        if (member->IsPlaying() && !member->Pause(pause))
            ok = false;
    }
    RTK_Guard guard(&m_lock);
    m_paused = pause ? 1 : 0;
    return ok;
}

bool SynPlaybackInteraction::SetSpeed(int level)
{
    std::lock_guard<std::mutex> act(m_actLock);
    bool ok = true;
    for (CPlayBackInteraction* member : Members()) {
        if (member->IsPlaying() && member->SetSpeed(level) == 0)
            ok = false;
    }
    return ok;
}

bool SynPlaybackInteraction::NormalSpeed()
{
    std::lock_guard<std::mutex> act(m_actLock);
    bool ok = true;
    for (CPlayBackInteraction* member : Members()) {
        if (member->IsPlaying() && !member->NormalSpeed())
            ok = false;
    }
    RTK_Guard guard(&m_lock);
    m_paused = 0;
    return ok;
}

std::vector<time_t> SynPlaybackInteraction::MemberTimes(const std::vector<CPlayBackInteraction*>& members)
{
    std::vector<time_t> times;
    times.reserve(members.size());
    for (CPlayBackInteraction* member : members)
        times.push_back(member->IsPlaying() ? member->GetCurrentTime() : kNoTime);
    return times;
}

bool SynPlaybackInteraction::StepForward()
{
    std::lock_guard<std::mutex> act(m_actLock);
    const std::vector<CPlayBackInteraction*> members = Members();
    const std::vector<time_t> times = MemberTimes(members);
    std::vector<bool> playing;
    for (CPlayBackInteraction* member : members)
        playing.push_back(member->IsPlaying());
    const std::vector<SyncAction> actions = PlanSyncStep(times, playing);
    bool ok = true;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (actions[i] == SyncAction::Step) {
            if (!members[i]->StepForward())
                ok = false;
        } else if (actions[i] == SyncAction::Pause) {
            members[i]->Pause(true);
        }
    }
    RTK_Guard guard(&m_lock);
    m_paused = 1;
    return ok;
}

time_t SynPlaybackInteraction::GetCurrentTime()
{
    // The owner's own thread: its members cannot go while this runs.
    return EarliestSyncTime(MemberTimes(Members()));
}

bool SynPlaybackInteraction::RunOnce()
{
    {
        std::lock_guard<std::mutex> act(m_actLock);
        std::lock_guard<std::mutex> pass(m_passLock);
        bool paused;
        {
            RTK_Guard guard(&m_lock);
            paused = m_paused != 0;
        }
        if (!paused) {
            const std::vector<CPlayBackInteraction*> members = Members();
            const std::vector<SyncAction> actions = PlanSyncPass(MemberTimes(members));
            for (std::size_t i = 0; i < members.size(); ++i) {
                if (actions[i] == SyncAction::Pause)
                    members[i]->Pause(true);
                else if (actions[i] == SyncAction::Resume)
                    members[i]->Pause(false);
            }
        }
    }
    WaitForStop(kPass_ms);
    return true;
}

}  // namespace Varpen
