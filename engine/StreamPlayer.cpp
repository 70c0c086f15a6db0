#include "engine/StreamPlayer.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

#include "engine/LocalIndex.h"
#include "engine/Logging.h"
#include "platform/streamfmt/PacketLocator.h"

namespace Varpen {

namespace {
constexpr int kHeaderPoll_ms = 20;

// A file whose header is not ours is timed from the start its name gives (as its index entry
// does) and the PTS of its first picture, read from the file itself. A file that cannot be read
// here (a recorder disk's) is timed from the first picture the port gets.
void SetForeignTimeOrigin(int port, const CSingleFile& file)
{
    const std::string name = FileNamePart(file.GetName());
    time_t start = StampToTime(name.c_str(), 14);
    if (start < 0)
        start = file.GetStartTime();
    std::int64_t firstPts = VREND_NO_PTS;
    const std::int64_t locator = SF_LocatorOpen(file.GetName().c_str(), start);
    if (locator >= 0) {
        SF_StreamInfo info;
        if (SF_LocatorGetInfo(locator, &info))
            firstPts = info.first_pts;
        SF_LocatorClose(locator);
    }
    VRend_SetTimeOrigin(port, start, firstPts);
}
}  // namespace

StreamPlayerTestHooks& StreamPlayerHooks()
{
    static StreamPlayerTestHooks hooks;
    return hooks;
}

std::uint64_t CStreamPlayer::Pack(const PlayState& state)
{
    return std::uint64_t(std::uint32_t(state.index)) | (std::uint64_t(state.endOfList ? 1 : 0) << 32) |
           (std::uint64_t(state.opening ? 1 : 0) << 33) | (std::uint64_t(std::uint8_t(state.error)) << 40);
}

PlayState CStreamPlayer::Unpack(std::uint64_t word)
{
    PlayState state;
    state.index = int(std::uint32_t(word & 0xFFFFFFFFu));
    state.endOfList = ((word >> 32) & 1u) != 0;
    state.opening = ((word >> 33) & 1u) != 0;
    state.error = int(std::uint8_t((word >> 40) & 0xFFu));
    return state;
}

void CStreamPlayer::Publish(const PlayState& state)
{
    m_state.store(Pack(state));
    Announce(state);
}

void CStreamPlayer::Announce(const PlayState& state)
{
    if (m_retired.load())
        return;
    if (StreamPlayerHooks().published)
        StreamPlayerHooks().published(state);
    if (m_listener)
        m_listener();
}

void CStreamPlayer::SetErrorCode(int code)
{
    std::uint64_t word = m_state.load();
    PlayState state;
    do {
        state = Unpack(word);
        state.error = code;
    } while (!m_state.compare_exchange_weak(word, Pack(state)));
    Announce(state);
}

CStreamPlayer::CStreamPlayer()
{
    m_source.SetDataCallback(&CStreamPlayer::OnSourceData, this);
}

CStreamPlayer::~CStreamPlayer()
{
    try {
        ResetPlayWnd();
        // A thread that ended by itself (end of the list, an error) is joined here.
        CBaseThread::Stop();
        m_port.SetStop();
        m_source.Stop();
        m_port.CloseStream();
    } catch (...) {
    }
}

bool CStreamPlayer::SetPlayWnd(std::unique_ptr<CPlayWndInfo> info)
{
    if (!info || info->window == 0 || IsPlaying())
        return false;
    m_window.store(info->window);
    m_wndInfo = std::move(info);
    m_playWndSet.store(true);
    return true;
}

bool CStreamPlayer::SetFileList(const SingleFileList& files)
{
    if (IsPlaying())
        return false;
    std::lock_guard<std::mutex> locate(m_locateLock);
    m_files = files;
    return true;
}

void CStreamPlayer::SetUseIndex(bool useIndex)
{
    std::lock_guard<std::mutex> locate(m_locateLock);
    m_source.SetUseIndex(useIndex);
}

void CStreamPlayer::SetDrawCallback(VRendDrawFn callback, void* user)
{
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        if (callback == m_drawFn && user == m_drawUser)
            return;
        m_drawFn = callback;
        m_drawUser = user;
    }
    m_port.RegisterDrawFun(callback, user);
}

void CStreamPlayer::SetCurrent(SingleFilePtr file)
{
    std::lock_guard<std::mutex> lock(m_shareLock);
    m_current = std::move(file);
}

SingleFilePtr CStreamPlayer::Current()
{
    std::lock_guard<std::mutex> lock(m_shareLock);
    return m_current;
}

bool CStreamPlayer::StartPlayback(time_t time)
{
    if (time < 0)
        return false;
    StopPlayback();
    m_stopping.store(false);
    {
        std::lock_guard<std::mutex> command(m_commandLock);
        m_locatePending = false;
    }
    std::unique_lock<std::mutex> locate(m_locateLock);
    // Where the time lies is known from the list at once; opening the file is the worker's.
    int index = -1;
    time_t startAt = -1;
    if (!FindFileByTime(m_files, time, index, startAt)) {
        qCWarning(lcEngine) << "---qarn--- StartPlayback-LocateFileAndPlay-failed";
        Halt(false, kPlayErrorNoFile);
        return false;
    }
    {
        RTK_Guard guard(&m_lock);
        m_carryPause = true;
        m_pauseOnOpen = false;
    }
    PlayState opening;
    opening.index = index;
    opening.opening = true;
    Publish(opening);
    {
        std::lock_guard<std::mutex> command(m_commandLock);
        m_locatePending = true;
        m_locateTime = time;
    }
    locate.unlock();
    // From here on only the thread changes the state, so a short list that ends at once is
    // reported as ended.
    if (!CBaseThread::Start()) {
        locate.lock();
        Halt(false, kPlayErrorNoFile);
        return false;
    }
    if (StreamPlayerHooks().started)
        StreamPlayerHooks().started();
    return true;
}

bool CStreamPlayer::PostLocate(time_t time)
{
    {
        // The opening flag and the command together: the worker publishes its states under
        // this lock too, so a locate it finishes now cannot clear the flag of this one.
        std::lock_guard<std::mutex> command(m_commandLock);
        if (!MarkOpening(true))
            return false;  // the list played out meanwhile: nothing to go on from
        m_locatePending = true;
        m_locateTime = time;
    }
    // A locate that still waits for its header gives up: the newer one is carried out next.
    std::lock_guard<std::mutex> lock(m_shareLock);
    if (m_headerWait)
        m_headerWait->Close();
    return true;
}

void CStreamPlayer::PublishPlaying(int index)
{
    std::lock_guard<std::mutex> command(m_commandLock);
    PlayState playing;
    playing.index = index;
    // A newer command waits: the window is still on its way there.
    playing.opening = m_locatePending;
    Publish(playing);
}

bool CStreamPlayer::TakeLocate(time_t* time)
{
    std::lock_guard<std::mutex> command(m_commandLock);
    if (!m_locatePending)
        return false;
    m_locatePending = false;
    *time = m_locateTime;
    return true;
}

bool CStreamPlayer::LocatePending()
{
    std::lock_guard<std::mutex> command(m_commandLock);
    return m_locatePending;
}

bool CStreamPlayer::MarkOpening(bool opening)
{
    std::uint64_t word = m_state.load();
    PlayState state;
    do {
        state = Unpack(word);
        if (!state.IsPlaying())
            return false;
        state.opening = opening;
    } while (!m_state.compare_exchange_weak(word, Pack(state)));
    Announce(state);
    return true;
}

bool CStreamPlayer::RunLocate()
{
    time_t time = -1;
    while (TakeLocate(&time)) {
        const bool found = FindFileAndPos(time);
        if (m_stopping.load() || IsStopRequested())
            return false;
        // A newer command ended this one's wait: it is carried out instead.
        if (LocatePending())
            continue;
        {
            RTK_Guard guard(&m_lock);
            if (!LocatePending()) {
                m_carryPause = false;
                m_pauseOnOpen = false;
            }
        }
        if (!found) {
            Halt(false, kPlayErrorNoFile);
            return false;
        }
    }
    return true;
}

void CStreamPlayer::Halt(bool endOfList, int error)
{
    if (m_clipping.load()) {
        m_port.StopClip();
        m_clipping.store(false);
    }
    // The port gives up a blocked InputData before the source is stopped, so the delivery
    // thread can return and be joined.
    m_port.SetStop();
    m_port.CloseStream();
    m_source.Stop();
    m_speed = 0;
    // Index, end flag and error together: a poll never sees a stop without its cause.
    PlayState stopped;
    stopped.endOfList = endOfList;
    stopped.error = error;
    Publish(stopped);
}

void CStreamPlayer::StopPlayback()
{
    {
        std::lock_guard<std::mutex> command(m_commandLock);
        m_locatePending = false;
    }
    if (!IsPlaying()) {
        // A thread that ended by itself is still joined before anything new starts.
        CBaseThread::Stop();
        return;
    }
    HaltFromOwner(kPlayErrorNone);
}

void CStreamPlayer::AskStop()
{
    m_retired.store(true);
    m_stopping.store(true);
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        if (m_headerWait)
            m_headerWait->Close();
    }
    RequestStop();
    m_port.SetStop();
    m_port.Pause(true);
}

void CStreamPlayer::HaltFromOwner(int error)
{
    // A pass waiting for a header gives up at once instead of holding the stop for 5 s.
    m_stopping.store(true);
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        if (m_headerWait)
            m_headerWait->Close();
    }
    CBaseThread::Stop();
    std::lock_guard<std::mutex> locate(m_locateLock);
    {
        RTK_Guard guard(&m_lock);
        m_carryPause = false;
        m_pauseOnOpen = false;
    }
    // The owner's stop keeps what the state said (nothing while it played).
    const PlayState before = GetState();
    if (error != kPlayErrorNone)
        Halt(false, error);
    else
        Halt(before.endOfList, before.error);
}

void CStreamPlayer::ResetPlayWnd()
{
    StopPlayback();
    m_playWndSet.store(false);
}

bool CStreamPlayer::SeekToTime(time_t time, bool paused)
{
    if (!IsPlaying() || time == -1)
        return false;
    // The list does not change while playing (SetFileList refuses), so it is read without the
    // locate lock, which a locate of the worker may hold for as long as it waits.
    int index = -1;
    time_t startAt = -1;
    if (!FindFileByTime(m_files, time, index, startAt)) {
        qCWarning(lcEngine) << "--qarn-- StreamPlayer-SeekToTime no file holds the time";
        // Whatever made the seek fail, the window must learn that nothing plays any more.
        {
            std::lock_guard<std::mutex> command(m_commandLock);
            m_locatePending = false;
        }
        HaltFromOwner(kPlayErrorNoFile);
        m_stopping.store(false);
        return false;
    }
    {
        RTK_Guard guard(&m_lock);
        m_carryPause = true;
        m_pauseOnOpen = paused;
    }
    return PostLocate(time);
}

// The port reads the shown time without a lock of the player's; the controls lock is not taken
// either, so a poll never waits behind a locate or the opening of a port.
time_t CStreamPlayer::GetCurrentTime()
{
    const PlayState state = GetState();
    return state.IsPlaying() && !state.opening ? m_port.GetAbsTime() : -1;
}

std::int64_t CStreamPlayer::GetCurrentTimeMs()
{
    const PlayState state = GetState();
    return state.IsPlaying() && !state.opening ? m_port.GetAbsTimeMs() : -1;
}

std::uint32_t CStreamPlayer::GetFramesAhead()
{
    const PlayState state = GetState();
    return state.IsPlaying() && !state.opening ? m_port.GetFramesAhead() : 0;
}

unsigned CStreamPlayer::GetPlayedTime()
{
    return IsPlaying() ? m_port.GetPlayedTime() : 0;
}

bool CStreamPlayer::Pause(bool pause)
{
    RTK_Guard guard(&m_lock);
    // While the pass moves on to the next file or a start or seek opens, the new port opens in
    // this state; a hold at the next file stays (a resume of the file that has just ended must not
    // let the next one play before the windows in step go on together).
    if (m_carryPause)
        m_pauseOnOpen = pause || (m_holdAtNextFile.load() && !GetState().opening);
    // The port of the next file may already be open, held, before its index is published: a
    // resume meant for the old file leaves it held (the step releases it with the others).
    if (!pause && m_changingFile && m_holdAtNextFile.load())
        return true;
    const bool paused = m_port.Pause(pause);
    return paused || (m_carryPause && GetState().opening);
}

bool CStreamPlayer::Fast()
{
    RTK_Guard guard(&m_lock);
    if (!m_port.Fast())
        return false;
    m_speed = m_port.GetSpeed();
    return true;
}

bool CStreamPlayer::Slow()
{
    RTK_Guard guard(&m_lock);
    if (!m_port.Slow())
        return false;
    m_speed = m_port.GetSpeed();
    return true;
}

int CStreamPlayer::SetSpeed(int level)
{
    return ChangeSpeed(level, false);
}

int CStreamPlayer::SetSpeedHeld(int level)
{
    return ChangeSpeed(level, true);
}

int CStreamPlayer::ChangeSpeed(int level, bool held)
{
    RTK_Guard guard(&m_lock);
    auto apply = [this, level, held] { return held ? m_port.SetSpeedHeld(level) : m_port.SetSpeed(level); };
    if (GetState().opening) {
        // The port of the opening stream takes the level when it opens (or now, when it has
        // opened before the state says so).
        if (level < -3 || level > 3)
            return 0;
        const int moved = level - m_speed.load();
        m_speed = level;
        apply();
        return moved;
    }
    const int moved = apply();
    if (moved != 0)
        m_speed = level;
    return moved;
}

int CStreamPlayer::GetSpeed()
{
    return GetState().opening ? m_speed.load() : m_port.GetSpeed();
}

bool CStreamPlayer::StepForward()
{
    RTK_Guard guard(&m_lock);
    return m_port.StepForward();
}

bool CStreamPlayer::StepBackward()
{
    RTK_Guard guard(&m_lock);
    return m_port.StepBackward();
}

bool CStreamPlayer::ResumeNormal()
{
    RTK_Guard guard(&m_lock);
    if (!m_port.NormalSpeed())
        return false;
    m_speed = 0;
    return true;
}

bool CStreamPlayer::PlayOn()
{
    RTK_Guard guard(&m_lock);
    return m_port.Resume();
}

bool CStreamPlayer::IsPaused()
{
    {
        RTK_Guard guard(&m_lock);
        if (m_carryPause && GetState().opening)
            return m_pauseOnOpen;
    }
    return m_port.IsPaused();
}

bool CStreamPlayer::GetPictureSize(int* width, int* height)
{
    return m_port.GetPictureSize(width, height);
}

bool CStreamPlayer::RefreshPlay()
{
    return m_port.RefreshPlay();
}

bool CStreamPlayer::Snapshot()
{
    const SingleFilePtr current = Current();
    if (!current)
        return false;
    return m_port.Snapshot(*current);
}

bool CStreamPlayer::StartClip()
{
    if (IsClipping())
        return true;
    m_port.ClearClipFailed();
    const SingleFilePtr current = Current();
    if (!current)
        return false;
    if (!m_port.StartClip(*current, IsPlaying() ? current->GetStartTime() : -1))
        return false;
    m_clipping.store(true);
    return true;
}

void CStreamPlayer::StopClip()
{
    if (!m_clipping.load())
        return;
    m_port.StopClip();
    m_clipping.store(false);
}

bool CStreamPlayer::SetDisplayRegion(float left, float top, float right, float bottom)
{
    const bool ok = m_port.SetDisplayRegion(left, top, right, bottom);
    std::lock_guard<std::mutex> lock(m_shareLock);
    const float region[4] = {left, top, right, bottom};
    for (int i = 0; i < 4; ++i)
        m_region[i] = ok ? region[i] : 0.0f;
    return ok;
}

bool CStreamPlayer::FindFileAndPos(time_t time)
{
    int index = -1;
    time_t startAt = -1;
    if (!FindFileByTime(m_files, time, index, startAt)) {
        qCWarning(lcEngine) << "--qarn-- StreamPlayer-FindFileAndPos failed";
        return false;
    }
    SingleFilePtr file(m_files[static_cast<std::size_t>(index)]->CloneWithRange(startAt, -1));
    if (!LocateFileAndPlay(file, time == 0)) {
        // A stop or a newer seek that ended the wait is no failure.
        if (!m_stopping.load() && !LocatePending())
            qCWarning(lcEngine) << "---qarn--- LocateFileAndPlay-GetStreamAndPlayFile-failed";
        return false;
    }
    PublishPlaying(index);
    return true;
}

bool CStreamPlayer::LocateFileAndPlay(const SingleFilePtr& file, bool noSeek)
{
    // A blocked InputData of the old stream gives up; then the old stream ends before the new
    // wait is installed, so no late header of it can answer the new wait.
    m_port.SetStop();
    m_port.ResetSourceBuffer();
    m_source.Stop();
    m_inputEnded = false;

    auto wait = std::make_shared<rtk::Semaphore>(0);
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        if (m_headerWait)
            m_headerWait->Close();
        m_headerWait = wait;
        // A stop that came before this wait existed could not end it.
        if (m_stopping.load())
            wait->Close();
    }
    auto dropWait = [this, &wait] {
        std::lock_guard<std::mutex> lock(m_shareLock);
        if (m_headerWait == wait)
            m_headerWait.reset();
    };
    auto fail = [this, &dropWait] {
        dropWait();
        m_port.SetStop();
        m_source.Stop();
        m_port.CloseStream();
        return false;
    };

    SetCurrent(file);
    // The stream of a position starts at a keyframe before it: the frames up to the position
    // are decoded but not shown, so the first picture is the one of the requested second.
    m_startAt.store(noSeek ? time_t(-1) : file->GetStartTime());
    // A position inside the file is opened as a stream that starts there (at the keyframe at or
    // before it): opening the whole file and positioning afterwards lets the file's first blocks
    // reach the port before the position takes effect, and shows the wrong picture first.
    const bool opened =
        noSeek ? m_source.OpenByFile(file->GetName().c_str()) : m_source.OpenByTime(*file, file->GetChannel());
    if (!opened)
        return fail();
    if (StreamPlayerHooks().headerWait)
        StreamPlayerHooks().headerWait();
    // The wait ends on the header, on a stop or newer command (they close it), or as soon as
    // the source has delivered or failed without one (an empty or broken file).
    bool posted = false;
    for (int waited_ms = 0; !posted && waited_ms < kHeaderWait_ms; waited_ms += kHeaderPoll_ms) {
        posted = wait->TimedWait(std::min(kHeaderPoll_ms, kHeaderWait_ms - waited_ms));
        if (posted || m_stopping.load() || LocatePending())
            break;
        const int pos = m_source.GetPos();
        if (pos == CStreamSource::kPosDelivered || pos == CStreamSource::kPosFailed) {
            // The position reads "delivered" only after the last callback has returned.
            posted = wait->TimedWait(0);
            break;
        }
    }
    dropWait();
    if (!posted || !m_port.IsOpen())
        return fail();
    if (StreamPlayerHooks().located)
        StreamPlayerHooks().located();
    return true;
}

bool CStreamPlayer::OpenPortOnHeader(const unsigned char* data, unsigned int size, time_t startAt)
{
    // The controls wait for the open (short: no stream is waited for here), so a speed or pause
    // the operator sets meanwhile is neither lost on the closing stream nor undone by the open.
    RTK_Guard guard(&m_lock);
    // A start or seek opens at the level chosen meanwhile; a next file at the running one.
    const int level = GetState().opening ? m_speed.load() : m_port.GetSpeed();
    const bool paused = m_pauseOnOpen;
    if (!m_port.OpenStream(data, size, m_window.load(), false))
        return false;
    // Before any data of the stream reaches the port (it comes on this same thread).
    if (size >= CPlayPort::kHeaderBytes && !SF_ParseHeader(data, size, nullptr)) {
        if (const SingleFilePtr current = Current())
            SetForeignTimeOrigin(m_port.GetPort(), *current);
    }
    if (startAt >= 0)
        VRend_SetStartTime(m_port.GetPort(), startAt);
    VRendDrawFn drawFn;
    void* drawUser;
    float region[4];
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        drawFn = m_drawFn;
        drawUser = m_drawUser;
        std::memcpy(region, m_region, sizeof region);
    }
    if (drawFn)
        m_port.RegisterDrawFun(drawFn, drawUser);
    if (level != 0)
        m_port.SetSpeed(level);
    if (paused)
        m_port.Pause(true);
    // A zoom the operator chose stays on the next file.
    if (region[0] < region[2] && region[1] < region[3])
        m_port.SetDisplayRegion(region[0], region[1], region[2], region[3]);
    return true;
}

void CStreamPlayer::OnSourceData(int, int type, unsigned char* data, unsigned int size, void* user)
{
    auto* player = static_cast<CStreamPlayer*>(user);
    if (!player)
        return;
    try {
        if (type == int(CStreamSource::Block::Header))
            player->OnStreamData(data, size, true);
        else if (type == int(CStreamSource::Block::Data))
            player->OnStreamData(data, size, false);
    } catch (...) {
        // Nothing may pass into the delivering library.
    }
}

void CStreamPlayer::OnStreamData(const unsigned char* data, unsigned int size, bool header)
{
    if (!m_playWndSet.load() || m_stopping.load())
        return;
    if (!header) {
        m_port.InputData(data, size);
        return;
    }
    std::shared_ptr<rtk::Semaphore> wait;
    {
        std::lock_guard<std::mutex> lock(m_shareLock);
        wait = m_headerWait;
    }
    if (wait) {
        OpenPortOnHeader(data, size, m_startAt.exchange(-1));
        // Also after a failed open: the locate then fails at once instead of timing out.
        wait->Post();
        return;
    }
    if (!m_port.IsHeaderEqual(data, size))
        OpenPortOnHeader(data, size);
}

bool CStreamPlayer::RunOnce()
{
    std::unique_lock<std::mutex> locate(m_locateLock);
    if (!RunLocate())
        return false;
    const int pos = m_source.GetPos();
    if (pos == CStreamSource::kPosDelivered) {
        // Everything of this file is in the port: let it show the last frames.
        if (!m_inputEnded) {
            m_port.InputEnd();
            m_inputEnded = true;
        }
    }
    if (pos == CStreamSource::kPosDelivered && m_port.GetSourceBufferRemain() == 0) {
        const int next = GetState().index + 1;
        if (next >= static_cast<int>(m_files.size())) {
            Halt(true, kPlayErrorNone);
            return false;
        }
        SingleFilePtr file = m_files[static_cast<std::size_t>(next)];
        // A paused window stays paused on the next file instead of playing on by itself.
        {
            RTK_Guard guard(&m_lock);
            m_pauseOnOpen = m_port.IsPaused() || m_holdAtNextFile.load();
            m_carryPause = true;
            m_changingFile = true;
        }
        const bool located = LocateFileAndPlay(file, true);
        // Published before the change ends, so that nothing sees the next file's pictures under
        // the old file's index with the hold already lifted.
        if (located)
            PublishPlaying(next);
        {
            RTK_Guard guard(&m_lock);
            m_changingFile = false;
            // A seek the owner asked for meanwhile keeps its own pause.
            if (!LocatePending()) {
                m_carryPause = false;
                m_pauseOnOpen = false;
            }
        }
        if (!located) {
            // A seek ended the wait: it is carried out at the next pass.
            if (LocatePending() && !m_stopping.load()) {
                locate.unlock();
                return true;
            }
            Halt(false, m_stopping.load() ? kPlayErrorNone : kPlayErrorNoFile);
            return false;
        }
    } else if (pos == CStreamSource::kPosFailed) {
        Halt(false, kPlayErrorStreamFailed);
        return false;
    }
    locate.unlock();
    WaitForStop(kPass_ms);
    return true;
}

}  // namespace Varpen
