#include "engine/SynPlaybackInteraction.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <thread>
#include <utility>

#include "engine/PlayBackInteraction.h"

namespace Varpen {

namespace {
constexpr time_t kNoTime = -1;
constexpr time_t kStepWindow_s = 2;
constexpr std::int64_t kNoLimit_ms = std::numeric_limits<std::int64_t>::max();  // EarliestSyncTime of none
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

SyncLeads SyncLeadsAt(int level)
{
    level = std::clamp(level, -3, 3);
    const std::int64_t pass_ms = SynPlaybackInteraction::kPass_ms;
    const std::int64_t travel_ms = level >= 0 ? pass_ms << level : pass_ms >> -level;
    return {std::max(kSyncMinLead_ms, travel_ms), travel_ms / 2};
}

std::vector<SyncAction> PlanSyncPass(const std::vector<std::int64_t>& times_ms, int level)
{
    std::vector<SyncAction> actions(times_ms.size(), SyncAction::None);
    const std::int64_t earliest = EarliestSyncTime(times_ms);
    const SyncLeads leads = SyncLeadsAt(level);
    for (std::size_t i = 0; i < times_ms.size(); ++i) {
        if (times_ms[i] == kNoTime)
            continue;
        const std::int64_t lead = times_ms[i] - earliest;
        if (lead >= leads.pause_ms)
            actions[i] = SyncAction::Pause;
        else if (lead <= leads.resume_ms)
            actions[i] = SyncAction::Resume;
    }
    return actions;
}

std::vector<SyncAction> PlanSyncStep(const std::vector<time_t>& times, const std::vector<bool>& playing)
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

std::vector<SyncAction> SyncStepRule::Plan(const std::vector<SyncMemberView>& members, int level)
{
    std::vector<SyncAction> actions(members.size(), SyncAction::None);
    // Members out of the step (idle, ended, failed) are forgotten: a new start begins afresh.
    std::map<std::uintptr_t, Track> tracks;
    bool crossing = false;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const SyncMemberView& m = members[i];
        if (!m.playing)
            continue;
        const auto known = m_tracks.find(m.id);
        Track t = known != m_tracks.end() ? known->second : Track{};
        if (t.index != -1 && m.index != t.index) {
            // Its next file is open and paused: show its first picture, then hold it there.
            t.phase = Phase::Crossing;
            t.crossingPasses = 0;
            t.held_ms = -1;
            t.last_ms = -1;
            actions[i] = SyncAction::Step;
        } else if (t.phase == Phase::Crossing) {
            if (m.time_ms != kNoTime) {
                t.phase = Phase::Held;
                t.held_ms = m.time_ms;
            } else if (++t.crossingPasses >= m_crossingPasses) {
                t.phase = Phase::Running;
                actions[i] = SyncAction::Release;
            }
        }
        // Held, but its decoder is not ahead yet: it holds the release, within the same passes.
        bool unready = false;
        if (t.phase == Phase::Held && !m.ready && t.crossingPasses < m_crossingPasses)
            unready = ++t.crossingPasses < m_crossingPasses;
        // A running member that showed a picture and shows none now is opening its next file:
        // it is still where it was, and holds the others at the boundary like one crossing.
        if (t.phase == Phase::Running && m.time_ms != kNoTime)
            t.last_ms = m.time_ms;
        t.switching = t.phase == Phase::Running && m.time_ms == kNoTime && t.last_ms != kNoTime;
        t.index = m.index;
        crossing = crossing || t.phase == Phase::Crossing || t.switching || unready;
        tracks[m.id] = t;
    }
    m_tracks = std::move(tracks);

    // The members' times as the keep-in-step pass sees them: a held member is at its held time,
    // one between two files has none yet.
    std::vector<std::int64_t> positions(members.size(), kNoTime);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto t = m_tracks.find(members[i].id);
        if (!members[i].playing || t == m_tracks.end() || t->second.phase == Phase::Crossing)
            continue;
        if (t->second.phase == Phase::Held)
            positions[i] = t->second.held_ms;
        else
            positions[i] = t->second.switching ? t->second.last_ms : members[i].time_ms;
    }
    const std::int64_t earliest = EarliestSyncTime(positions);
    std::vector<std::int64_t> running = positions;
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto t = m_tracks.find(members[i].id);
        if (t != m_tracks.end() && t->second.phase == Phase::Held)
            running[i] = kNoTime;
    }
    // Held members go on together once nobody is between two files and the running members have
    // come to their time (they may still show the last pictures of their old files). Among the
    // held, the earliest go, and with them those whose next files start less than the resume
    // lead later: so the step never waits on itself, and a file that starts a picture later
    // does not hold its window back by a pass.
    const std::int64_t earliestRunning = EarliestSyncTime(running);
    // No member with a time yet: nobody is released.
    const std::int64_t releaseUpTo = earliest == kNoLimit_ms
                                         ? std::numeric_limits<std::int64_t>::min()
                                         : std::min(earliestRunning, earliest + SyncLeadsAt(level).resume_ms);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto t = m_tracks.find(members[i].id);
        if (!members[i].playing || t == m_tracks.end() || t->second.phase != Phase::Held)
            continue;
        if (!crossing && t->second.held_ms <= releaseUpTo) {
            t->second.phase = Phase::Running;
            actions[i] = SyncAction::Release;
        }
    }
    // A member opening its next file is not told anything, but the others keep to its place.
    std::vector<SyncAction> pass = PlanSyncPass(positions, level);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto t = m_tracks.find(members[i].id);
        if (members[i].playing && t != m_tracks.end() && t->second.phase == Phase::Running && !t->second.switching &&
            actions[i] == SyncAction::None)
            actions[i] = pass[i];
    }
    return actions;
}

void SyncStepRule::Reset(const std::vector<SyncMemberView>& members)
{
    m_tracks.clear();
    for (const SyncMemberView& m : members) {
        if (!m.playing)
            continue;
        Track t;
        t.index = m.index;
        t.last_ms = m.time_ms;
        m_tracks[m.id] = t;
    }
}

std::vector<std::uintptr_t> SyncStepRule::Holding() const
{
    std::vector<std::uintptr_t> ids;
    for (const auto& [id, t] : m_tracks) {
        if (t.phase != Phase::Running)
            ids.push_back(id);
    }
    return ids;
}

SynPlaybackInteraction::~SynPlaybackInteraction()
{
    try {
        StopAll();
    } catch (...) {
    }
}

SynPlaybackInteraction::Use::Use(SynPlaybackInteraction& owner, CPlayBackInteraction* member)
    : m_owner(&owner), m_member(nullptr)
{
    std::lock_guard<std::mutex> lock(owner.m_membersLock);
    if (member && owner.IsMemberLocked(member)) {
        ++owner.m_calls[member];
        m_member = member;
    }
}

SynPlaybackInteraction::Use::Use(Use&& other) noexcept
    : m_owner(other.m_owner), m_member(std::exchange(other.m_member, nullptr))
{
}

SynPlaybackInteraction::Use::~Use()
{
    if (!m_member)
        return;
    std::lock_guard<std::mutex> lock(m_owner->m_membersLock);
    const auto it = m_owner->m_calls.find(m_member);
    if (it != m_owner->m_calls.end() && --it->second <= 0) {
        m_owner->m_calls.erase(it);
        m_owner->m_callEnded.notify_all();
    }
}

bool SynPlaybackInteraction::AddInteraction(CPlayBackInteraction* member, std::uint32_t window)
{
    {
        std::lock_guard<std::mutex> lock(m_membersLock);
        if (!member || IsMemberLocked(member))
            return false;
        m_members.push_back({member, window});
    }
    if (IsRunning())
        member->SetHoldAtNextFile(true);
    return true;
}

void SynPlaybackInteraction::RemoveInteraction(CPlayBackInteraction* member)
{
    {
        std::unique_lock<std::mutex> lock(m_membersLock);
        auto it =
            std::find_if(m_members.begin(), m_members.end(), [member](const Member& m) { return m.engine == member; });
        if (!member || it == m_members.end())
            return;
        m_members.erase(it);
        // No new call can begin now; one in progress (a single member control) ends first.
        m_callEnded.wait(lock, [this, member] { return m_calls.find(member) == m_calls.end(); });
    }
    member->SetHoldAtNextFile(false);
}

void SynPlaybackInteraction::StopAll()
{
    RequestStop();
    std::vector<Member> gone;
    {
        std::unique_lock<std::mutex> lock(m_membersLock);
        gone.swap(m_members);
        m_callEnded.wait(lock, [this] { return m_calls.empty(); });
    }
    for (const Member& m : gone)
        m.engine->SetHoldAtNextFile(false);
    // The thread finds no member to call any more: it ends at once.
    Stop();
    RTK_Guard guard(&m_lock);
    m_positioning.reset();
    m_commands.clear();
}

bool SynPlaybackInteraction::IsMemberLocked(CPlayBackInteraction* engine) const
{
    return std::any_of(m_members.begin(), m_members.end(), [engine](const Member& m) { return m.engine == engine; });
}

std::vector<SynPlaybackInteraction::Member> SynPlaybackInteraction::Members()
{
    std::lock_guard<std::mutex> lock(m_membersLock);
    return m_members;
}

std::vector<CPlayBackInteraction*> SynPlaybackInteraction::Engines()
{
    std::vector<CPlayBackInteraction*> engines;
    for (const Member& m : Members())
        engines.push_back(m.engine);
    return engines;
}

bool SynPlaybackInteraction::Ask(time_t time, bool startIdle)
{
    if (time == kNoTime || !IsRunning())
        return false;
    RTK_Guard guard(&m_lock);
    m_positioning = Positioning{time, startIdle};
    m_paused = 0;
    return true;
}

bool SynPlaybackInteraction::SetPlayTime(time_t time)
{
    return Ask(time, false);
}

bool SynPlaybackInteraction::PlayAt(time_t time)
{
    return Ask(time, true);
}

bool SynPlaybackInteraction::IsPositioning()
{
    RTK_Guard guard(&m_lock);
    return m_positioning.has_value() || m_positioningBusy;
}

void SynPlaybackInteraction::ReleaseTogether(const std::vector<CPlayBackInteraction*>& members, int level)
{
    // Kept over both rounds: a member removed meanwhile is left alone in both or in neither.
    std::vector<std::pair<CPlayBackInteraction*, Use>> held;
    held.reserve(members.size());
    for (CPlayBackInteraction* member : members) {
        Use use(*this, member);
        if (!use)
            continue;
        // Still held (paused or on single frames): the level shows nothing yet.
        member->SetSpeedHeld(level);
        held.emplace_back(member, std::move(use));
    }
    // One player call each: none runs ahead while the others are still being set.
    for (auto& [member, use] : held)
        member->PlayOn();
}

void SynPlaybackInteraction::SetHolds(bool hold)
{
    for (CPlayBackInteraction* member : Engines()) {
        if (Use use{*this, member})
            member->SetHoldAtNextFile(hold);
    }
}
bool SynPlaybackInteraction::OnThreadStart()
{
    m_rule.Reset();
    SetHolds(true);
    return true;
}

void SynPlaybackInteraction::OnThreadExit()
{
    // Nobody holds the members at a file change any more: the held ones play on.
    SetHolds(false);
    int level;
    {
        RTK_Guard guard(&m_lock);
        level = m_level;
    }
    const std::vector<std::uintptr_t> held = m_rule.Holding();
    std::vector<CPlayBackInteraction*> release;
    for (CPlayBackInteraction* member : Engines()) {
        if (std::find(held.begin(), held.end(), std::uintptr_t(member)) == held.end())
            continue;
        if (Use use{*this, member}; use && member->IsPlaying())
            release.push_back(member);
    }
    ReleaseTogether(release, level);
    m_rule.Reset();
    // Commands given while the thread was stopping are dropped: a new start begins afresh.
    RTK_Guard guard(&m_lock);
    m_commands.clear();
}

void SynPlaybackInteraction::Position(const Positioning& job)
{
    // 1. Every member is positioned at once, each by a worker of its own, and held there.
    std::vector<CPlayBackInteraction*> chosen;
    std::vector<std::uint32_t> windows;
    std::vector<char> starting;
    for (const Member& m : Members()) {
        Use use(*this, m.engine);
        if (!use)
            continue;
        const bool playing = m.engine->IsPlaying();
        if (!playing && !(job.startIdle && m.window != 0))
            continue;
        chosen.push_back(m.engine);
        windows.push_back(m.window);
        starting.push_back(playing ? 0 : 1);
    }
    auto place = [job](CPlayBackInteraction* member, std::uint32_t window, bool start) {
        if (!start)
            return member->SetPlayTimePaused(job.time);
        if (!member->StartPlayback(window, job.time))
            return false;
        // It may have shown its first picture already; it waits for the others from there.
        member->Pause(true);
        return true;
    };
    std::vector<char> placed(chosen.size(), 0);
    std::vector<std::thread> workers;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        auto work = [this, &placed, &place, &chosen, &windows, &starting, i] {
            if (Use use{*this, chosen[i]})
                placed[i] = place(chosen[i], windows[i], starting[i] != 0) ? 1 : 0;
        };
        try {
            workers.emplace_back(work);
        } catch (...) {
            work();  // no thread to be had: this one is positioned here
        }
    }
    for (std::thread& w : workers)
        w.join();

    // 2. Each positioned member shows its first picture, and its decoder gets ahead of it (so that
    // none falls behind once they go on); a member that failed is out of the step (it is not
    // playing, its error code tells its window).
    // A member still opening its stream has no port to step yet: it is stepped once it has one
    // (a step given earlier would be lost, and it would show nothing until the wait gives up).
    std::vector<char> stepped(chosen.size(), 0);
    auto stepOpened = [&] {
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            if (stepped[i] || !placed[i])
                continue;
            Use use(*this, chosen[i]);
            if (!use || !chosen[i]->IsPlaying() || chosen[i]->GetPlayState().opening)
                continue;
            stepped[i] = chosen[i]->GetCurrentTime() != kNoTime || chosen[i]->StepForward() ? 1 : 0;
        }
    };
    auto allShown = [&] {
        for (std::size_t i = 0; i < chosen.size(); ++i) {
            if (!placed[i])
                continue;
            Use use(*this, chosen[i]);
            if (use && chosen[i]->IsPlaying() &&
                (chosen[i]->GetCurrentTime() == kNoTime || !chosen[i]->IsDecodedAhead()))
                return false;
        }
        return true;
    };
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kFirstPictureWait_ms);
    for (;;) {
        stepOpened();
        if (allShown() || std::chrono::steady_clock::now() >= deadline)
            break;
        {
            // A newer start or seek positions them again: this one need not wait any longer.
            RTK_Guard guard(&m_lock);
            if (m_positioning)
                break;
        }
        if (WaitForStop(5))
            break;
    }

    // 3. All go on together, at the step's speed (and paused when a pause for all came meanwhile).
    int level;
    bool paused;
    {
        RTK_Guard guard(&m_lock);
        level = m_level;
        paused = m_paused != 0;
    }
    // The rule knows each member's file before any goes on: a member that reaches its next file
    // before the next pass is still held there.
    m_rule.Reset(MemberViews(Engines()));
    std::vector<CPlayBackInteraction*> release;
    for (std::size_t i = 0; i < chosen.size(); ++i) {
        if (!placed[i])
            continue;
        if (Use use{*this, chosen[i]}; use && chosen[i]->IsPlaying())
            release.push_back(chosen[i]);
    }
    ReleaseTogether(release, level);
    if (paused) {
        for (CPlayBackInteraction* member : release) {
            if (Use use{*this, member})
                member->Pause(true);
        }
    }
}

// The commands for all: given on the owner's thread, carried out on the controller's.
void SynPlaybackInteraction::Queue(Command command)
{
    {
        RTK_Guard guard(&m_lock);
        auto sameFamily = [](CommandKind x, CommandKind y) {
            const auto pauseOrResume = [](CommandKind k) {
                return k == CommandKind::Pause || k == CommandKind::Resume;
            };
            return x == y ? x != CommandKind::Step : pauseOrResume(x) && pauseOrResume(y);
        };
        // The operator means the newer one: a pause and a resume both waiting cancel out into the
        // last, two speeds into the last (steps each count).
        if (!m_commands.empty() && sameFamily(m_commands.back().kind, command.kind))
            m_commands.back() = command;
        else
            m_commands.push_back(command);
        if (m_commands.size() > kMaxCommands)
            m_commands.pop_front();
    }
    Wake();
}

bool SynPlaybackInteraction::HasCommandsWaiting()
{
    RTK_Guard guard(&m_lock);
    return !m_commands.empty();
}

bool SynPlaybackInteraction::Pause(bool pause)
{
    {
        RTK_Guard guard(&m_lock);
        m_paused = pause ? 1 : 0;
    }
    Queue({pause ? CommandKind::Pause : CommandKind::Resume, 0});
    return true;
}

bool SynPlaybackInteraction::SetSpeed(int level)
{
    if (level < -3 || level > 3)
        return false;
    {
        RTK_Guard guard(&m_lock);
        m_level = level;
    }
    Queue({CommandKind::Speed, level});
    return true;
}

bool SynPlaybackInteraction::NormalSpeed()
{
    {
        RTK_Guard guard(&m_lock);
        m_level = 0;
        m_paused = 0;
    }
    Queue({CommandKind::NormalSpeed, 0});
    return true;
}

bool SynPlaybackInteraction::StepForward()
{
    {
        RTK_Guard guard(&m_lock);
        m_paused = 1;
    }
    Queue({CommandKind::Step, 0});
    return true;
}

void SynPlaybackInteraction::RunCommands()
{
    for (;;) {
        Command command;
        {
            RTK_Guard guard(&m_lock);
            if (m_commands.empty())
                return;
            command = m_commands.front();
            m_commands.pop_front();
        }
        switch (command.kind) {
        case CommandKind::Pause:
            DoPause(true);
            break;
        case CommandKind::Resume:
            DoPause(false);
            break;
        case CommandKind::Speed:
            DoSpeed(command.level);
            break;
        case CommandKind::NormalSpeed:
            DoNormalSpeed();
            break;
        case CommandKind::Step:
            DoStep();
            break;
        }
    }
}

void SynPlaybackInteraction::ForPlaying(bool skipHeld, const std::function<void(CPlayBackInteraction*)>& act)
{
    const std::vector<std::uintptr_t> held = skipHeld ? m_rule.Holding() : std::vector<std::uintptr_t>{};
    for (CPlayBackInteraction* member : Engines()) {
        if (std::find(held.begin(), held.end(), std::uintptr_t(member)) != held.end())
            continue;
        if (Use use{*this, member}; use && member->IsPlaying())
            act(member);
    }
}

void SynPlaybackInteraction::DoPause(bool pause)
{
    // A member held at a file change goes on when the step lets it.
    ForPlaying(!pause, [pause](CPlayBackInteraction* member) { member->Pause(pause); });
}

bool SynPlaybackInteraction::PositioningAsked()
{
    RTK_Guard guard(&m_lock);
    return m_positioning.has_value();
}

void SynPlaybackInteraction::DoSpeed(int level)
{
    // The members of a start or seek for all take it when they go on; a held member would leave
    // its hold: it takes the level when the step releases it.
    if (!PositioningAsked())
        ForPlaying(true, [level](CPlayBackInteraction* member) { member->SetSpeed(level); });
}

void SynPlaybackInteraction::DoNormalSpeed()
{
    if (!PositioningAsked())
        ForPlaying(true, [](CPlayBackInteraction* member) { member->NormalSpeed(); });
}

void SynPlaybackInteraction::DoStep()
{
    const std::vector<CPlayBackInteraction*> members = Engines();
    std::vector<time_t> times;
    std::vector<bool> playing;
    for (CPlayBackInteraction* member : members) {
        Use use(*this, member);
        const bool on = use && member->IsPlaying();
        playing.push_back(on);
        times.push_back(on ? member->GetCurrentTime() : kNoTime);
    }
    const std::vector<SyncAction> actions = PlanSyncStep(times, playing);
    for (std::size_t i = 0; i < members.size(); ++i) {
        Use use(*this, members[i]);
        if (!use)
            continue;
        if (actions[i] == SyncAction::Step)
            members[i]->StepForward();
        else if (actions[i] == SyncAction::Pause)
            members[i]->Pause(true);
    }
}

std::vector<time_t> SynPlaybackInteraction::MemberTimes(const std::vector<CPlayBackInteraction*>& members)
{
    std::vector<time_t> times;
    times.reserve(members.size());
    for (CPlayBackInteraction* member : members)
        times.push_back(member->IsPlaying() ? member->GetCurrentTime() : kNoTime);
    return times;
}

std::vector<SyncMemberView> SynPlaybackInteraction::MemberViews(const std::vector<CPlayBackInteraction*>& members)
{
    std::vector<SyncMemberView> views;
    views.reserve(members.size());
    for (CPlayBackInteraction* member : members) {
        SyncMemberView view;
        view.id = std::uintptr_t(member);
        if (Use use{*this, member}) {
            const PlayState state = member->GetPlayState();
            view.playing = state.IsPlaying();
            view.index = state.index;
            view.time_ms = view.playing ? member->GetCurrentTimeMs() : kNoTime;
            view.ready = view.playing && member->IsDecodedAhead();
        }
        views.push_back(view);
    }
    return views;
}

time_t SynPlaybackInteraction::GetCurrentTime()
{
    // The owner's own thread: its members cannot go while this runs.
    return EarliestSyncTime(MemberTimes(Engines()));
}

void SynPlaybackInteraction::Pass()
{
    int level;
    {
        RTK_Guard guard(&m_lock);
        if (m_paused != 0)
            return;
        level = m_level;
    }
    const std::vector<CPlayBackInteraction*> members = Engines();
    const std::vector<SyncAction> actions = m_rule.Plan(MemberViews(members), level);
    // The held ones first and together: they have waited longest.
    std::vector<CPlayBackInteraction*> release;
    for (std::size_t i = 0; i < members.size(); ++i) {
        if (actions[i] == SyncAction::Release)
            release.push_back(members[i]);
    }
    ReleaseTogether(release, level);
    for (std::size_t i = 0; i < members.size(); ++i) {
        Use use(*this, members[i]);
        if (!use)
            continue;
        switch (actions[i]) {
        case SyncAction::Pause:
            members[i]->Pause(true);
            break;
        case SyncAction::Resume:
            // Only a paused one: a resume while a member changes file would undo its hold there.
            if (members[i]->IsPaused())
                members[i]->Pause(false);
            break;
        case SyncAction::Step:
            members[i]->StepForward();
            break;
        case SyncAction::Release:
        case SyncAction::None:
            break;
        }
    }
}

bool SynPlaybackInteraction::RunOnce()
{
    // What the operator asked first: a start or seek asked after a command positions the members
    // from where the command left them.
    RunCommands();
    std::optional<Positioning> job;
    {
        RTK_Guard guard(&m_lock);
        job = m_positioning;
        m_positioning.reset();
        if (job)
            m_positioningBusy = true;
    }
    if (job) {
        Position(*job);
        RTK_Guard guard(&m_lock);
        m_positioningBusy = false;
        return true;
    }
    Pass();
    // A command given during the pass is carried out at once.
    if (!HasCommandsWaiting())
        WaitForStop(kPass_ms);
    return true;
}

}  // namespace Varpen
