#include "engine/PlayBackInteraction.h"

#include <QDebug>

#include "engine/CommandWorker.h"
#include "engine/DownloadPlan.h"
#include "engine/Logging.h"
#include "engine/PlayPort.h"
#include "engine/StreamDownloader.h"
#include "engine/WorkerReaper.h"
#include "app/WorkerHooks.h"

using namespace Varpen;

struct CPlayBackInteraction::Shared {
    std::mutex hookLock;  // held while the hook runs
    std::function<void()> hook;

    std::mutex outputLock;  // the output record below
    std::vector<OutputResult> results;
    std::string snapshotPath;
    std::string lastClipPath;
    std::vector<std::string> clipPackages;
    bool clipFailed = false;  // the last clip ended on a failure

    std::atomic<bool> clipWanted{false};  // from a StartClip until its StopClip
    std::atomic<int> clipStarts{0};       // clip starts not carried out yet

    void Notify()
    {
        std::lock_guard<std::mutex> lock(hookLock);
        if (hook)
            hook();
    }
    void Report(OutputResult result)
    {
        {
            std::lock_guard<std::mutex> lock(outputLock);
            results.push_back(std::move(result));
        }
        Notify();
    }
};

void CPlayBackInteraction::PreparePlayers()
{
    CPlayPort::PrepareInBackground();
}

CPlayBackInteraction::CPlayBackInteraction() : m_shared(std::make_shared<Shared>())
{
    NewPlayer(kPlayErrorNone);
}

CPlayBackInteraction::~CPlayBackInteraction()
{
    try {
        SetChangedHook({});
        if (m_downloader)
            m_downloader->Stop(false);
        StopPlayback();
        Player()->ResetPlayWnd();
        // The output worker ends on the reaper: a command still carried out (a clip being closed)
        // ends there, and even an idle worker's thread takes a while to be joined.
        if (m_output)
            CWorkerReaper::Instance().Retire([output = std::move(m_output)]() mutable { output.reset(); });
    } catch (...) {
    }
}

std::shared_ptr<CStreamPlayer> CPlayBackInteraction::Player() const
{
    std::lock_guard<std::mutex> lock(m_playerLock);
    return m_player;
}

void CPlayBackInteraction::NewPlayer(int error)
{
    auto player = std::make_shared<CStreamPlayer>();
    if (error != kPlayErrorNone)
        player->SetErrorCode(error);
    player->SetStateListener([shared = m_shared] { shared->Notify(); });
    {
        std::lock_guard<std::mutex> lock(m_playerLock);
        player->SetHoldAtNextFile(m_hold);
        if (m_drawFn)
            player->SetDrawCallback(m_drawFn, m_drawUser);
        m_player = std::move(player);
    }
    m_shared->Notify();
}

void CPlayBackInteraction::Post(std::function<void()> command)
{
    if (!m_output)
        m_output = std::make_shared<CCommandWorker>();
    m_output->Post(std::move(command));
}

void CPlayBackInteraction::SetChangedHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(m_shared->hookLock);
    m_shared->hook = std::move(hook);
}

EngineState CPlayBackInteraction::GetEngineState()
{
    const std::shared_ptr<CStreamPlayer> player = Player();
    EngineState state;
    state.play = player->GetState();
    state.shown = player->GetCurrentTime();
    state.speed = player->GetSpeed();
    state.paused = player->IsPaused();
    state.clipping = IsClipping();
    return state;
}

void CPlayBackInteraction::SetChannel(const CChannel& channel)
{
    ClearFileList();
    m_channel.SetNumber(channel.GetNumber());
    m_channel.SetName(channel.GetName());
    m_channel.SetFlag(channel.GetFlag());
}

CChannel CPlayBackInteraction::GetChannel() const
{
    return m_channel;
}

void CPlayBackInteraction::SetUseIndex(bool useIndex)
{
    m_useIndex = useIndex;
}

void CPlayBackInteraction::ClearFileList()
{
    StopPlayback();
    RTK_Guard guard(&m_listLock);
    Player()->ResetPlayWnd();
    m_files.clear();
}

bool CPlayBackInteraction::SearchFiles(SingleFileList& out, const std::string& diskPath, time_t begin, time_t end,
                                       int recordType)
{
    m_lastBegin = begin;
    m_lastEnd = end;
    m_lastType = recordType;
    if (begin > end) {
        out.clear();
        return false;
    }
    const std::string name = m_channel.GetName().toLocal8Bit().toStdString();
    if (!m_search.SearchChannelFiles(out, diskPath, m_channel.GetNumber(), name, begin, end, recordType, m_useIndex)) {
        out.clear();
        return false;
    }
    RTK_Guard guard(&m_listLock);
    m_files = out;
    return true;
}

void CPlayBackInteraction::GetRecordDays(std::set<time_t>& out, const QString& channelName, int channelNumber,
                                         time_t begin, time_t end, const std::string& diskPath)
{
    m_search.SearchDiskFilesByDay(out, channelName.toLocal8Bit().toStdString(), channelNumber, begin, end, diskPath,
                                  m_useIndex);
}

void CPlayBackInteraction::GetRecordField(int* recordType) const
{
    if (recordType)
        *recordType = m_lastType;
}

void CPlayBackInteraction::GetFirstRecordTime(time_t* begin) const
{
    if (begin)
        *begin = m_lastBegin;
}

void CPlayBackInteraction::GetLastRecordTime(time_t* end) const
{
    if (end)
        *end = m_lastEnd;
}

SingleFileList CPlayBackInteraction::GetFileList() const
{
    RTK_Guard guard(&m_listLock);
    return m_files;
}

bool CPlayBackInteraction::StartPlayback(std::uint32_t window, time_t time)
{
    SingleFileList playList;
    {
        RTK_Guard guard(&m_listLock);
        if (m_files.empty()) {
            Player()->SetErrorCode(kPlayErrorNoFile);
            qCWarning(lcEngine) << "--qarn-- CPlayBackInteraction-StartPlayback nofile";
            return false;
        }
        for (const SingleFilePtr& file : m_files) {
            if (file->GetChannel() == m_channel.GetNumber())
                playList.push_back(file);
        }
    }
    StopPlayback();
    m_window = window;
    auto info = std::make_unique<CPlayWndInfo>();
    info->window = window;
    info->channel = m_channel.GetNumber();

    const std::shared_ptr<CStreamPlayer> player = Player();
    bool ok = player->SetPlayWnd(std::move(info)) && player->SetFileList(playList);
    if (ok) {
        {
            RTK_Guard guard(&m_listLock);
            m_playList = playList;
        }
        player->SetUseIndex(m_useIndex);
        ok = player->StartPlayback(time);
    }
    if (!ok) {
        qCWarning(lcEngine) << "--qarn-- CPlayBackInteraction-StartPlayback failed";
        player->SetErrorCode(kPlayErrorNoFile);
        return false;
    }
    // The player cleared the end flag when it located the first file; its thread may already
    // have set it again (a short list at a high speed), which must not be undone here.
    m_stepping = false;
    return true;
}

void CPlayBackInteraction::StopPlayback()
{
    Retire(kPlayErrorNone);
}

void CPlayBackInteraction::Retire(int error)
{
    std::shared_ptr<CStreamPlayer> player = Player();
    if (!player->IsRunning()) {
        // Its worker has ended (or never ran): the join is at once.
        player->StopPlayback();
        if (error != kPlayErrorNone)
            player->SetErrorCode(error);
        return;
    }
    // The worker may be in a read of a slow disk or waiting for a header: it is told to stop,
    // and the reaper joins it and stops the stream; the window goes on with a fresh player, which
    // says at once why nothing plays.
    player->AskStop();
    NewPlayer(error);
    CWorkerReaper::Instance().Retire([player = std::move(player)]() mutable {
        player->StopPlayback();
        player.reset();
    });
}

bool CPlayBackInteraction::Seek(time_t time, bool paused)
{
    const std::shared_ptr<CStreamPlayer> player = Player();
    if (!player->IsPlaying() || time == -1)
        return false;
    bool found;
    {
        RTK_Guard guard(&m_listLock);
        int index = -1;
        time_t startAt = -1;
        found = FindFileByTime(m_playList, time, index, startAt);
    }
    if (!found) {
        // Nothing plays any more, and the window learns why; the worker is not waited for.
        qCWarning(lcEngine) << "--qarn-- StreamPlayer-SeekToTime no file holds the time";
        Retire(kPlayErrorNoFile);
        return false;
    }
    return player->SeekToTime(time, paused);
}

bool CPlayBackInteraction::SetPlayTime(time_t time)
{
    return Seek(time, false);
}

bool CPlayBackInteraction::SetPlayTimePaused(time_t time)
{
    return Seek(time, true);
}

void CPlayBackInteraction::SetHoldAtNextFile(bool hold)
{
    // With the player's pointer: a player made meanwhile takes the new value too.
    std::lock_guard<std::mutex> lock(m_playerLock);
    m_hold = hold;
    m_player->SetHoldAtNextFile(hold);
}

bool CPlayBackInteraction::Pause(bool pause)
{
    return Player()->Pause(pause);
}

bool CPlayBackInteraction::IsPaused()
{
    return Player()->IsPaused();
}

int CPlayBackInteraction::SetSpeed(int level)
{
    return Player()->SetSpeed(level);
}

int CPlayBackInteraction::GetSpeed()
{
    return Player()->GetSpeed();
}

bool CPlayBackInteraction::Fast()
{
    return Player()->Fast();
}

bool CPlayBackInteraction::Slow()
{
    return Player()->Slow();
}

bool CPlayBackInteraction::StepForward()
{
    const bool stepping = Player()->StepForward();
    m_stepping = stepping;
    return stepping;
}

bool CPlayBackInteraction::StepBackward()
{
    return Player()->StepBackward();
}

bool CPlayBackInteraction::NormalSpeed()
{
    m_stepping = false;
    return Player()->ResumeNormal();
}

int CPlayBackInteraction::SetSpeedHeld(int level)
{
    return Player()->SetSpeedHeld(level);
}

bool CPlayBackInteraction::PlayOn()
{
    m_stepping = false;
    return Player()->PlayOn();
}

bool CPlayBackInteraction::IsPlaying()
{
    return Player()->IsPlaying();
}

bool CPlayBackInteraction::IsEndOfList()
{
    return Player()->IsEndOfList();
}

int CPlayBackInteraction::GetPlayError()
{
    return Player()->GetErrorCode();
}

PlayState CPlayBackInteraction::GetPlayState()
{
    return Player()->GetState();
}

time_t CPlayBackInteraction::GetCurrentTime()
{
    return Player()->GetCurrentTime();
}

std::int64_t CPlayBackInteraction::GetCurrentTimeMs()
{
    return Player()->GetCurrentTimeMs();
}

bool CPlayBackInteraction::IsDecodedAhead()
{
    // Two pictures: the decoder has got ahead of the presenter, as after its start-up.
    return Player()->GetFramesAhead() >= 2;
}

bool CPlayBackInteraction::OpenSound()
{
    return Player()->Port().OpenSound();
}

void CPlayBackInteraction::CloseSound()
{
    Player()->Port().CloseSound();
}

bool CPlayBackInteraction::IsVoiceOpen()
{
    return Player()->Port().IsSoundOn();
}

bool CPlayBackInteraction::SetVolume(std::uint16_t volume)
{
    return Player()->Port().SetVolume(volume);
}

bool CPlayBackInteraction::Snapshot()
{
    std::shared_ptr<CStreamPlayer> player = Player();
    // A new frame must come through the display: refused at once when none can.
    CPlayPort& port = player->Port();
    if (!player->IsPlaying() || !port.IsOpen() || port.IsPaused() || port.IsStepping())
        return false;
    Post([shared = m_shared, player = std::move(player)] {
        WorkerHooks::Reach(WorkerHooks::Point::OutputCommand);
        OutputResult result;
        result.kind = OutputResult::Snapshot;
        result.ok = player->Snapshot();
        if (result.ok) {
            result.path = player->Port().GetSnapshotPath();
            std::lock_guard<std::mutex> lock(shared->outputLock);
            shared->snapshotPath = result.path;
        }
        shared->Report(std::move(result));
    });
    return true;
}

std::string CPlayBackInteraction::GetSnapshotFilePath()
{
    // The port names the file when the snapshot asks for its frame.
    std::string path = Player()->Port().GetSnapshotPath();
    if (!path.empty())
        return path;
    std::lock_guard<std::mutex> lock(m_shared->outputLock);
    return m_shared->snapshotPath;
}

bool CPlayBackInteraction::StartClip()
{
    if (IsClipping())
        return true;
    m_shared->clipWanted.store(true);
    m_shared->clipStarts.fetch_add(1);
    Post([shared = m_shared, player = Player()] {
        WorkerHooks::Reach(WorkerHooks::Point::OutputCommand);
        OutputResult result;
        result.kind = OutputResult::ClipStarted;
        result.ok = player->StartClip();
        if (result.ok)
            result.path = player->Port().GetClipPath();
        {
            std::lock_guard<std::mutex> lock(shared->outputLock);
            shared->clipFailed = !result.ok;
            shared->clipPackages.clear();
        }
        shared->clipStarts.fetch_sub(1);
        shared->Report(std::move(result));
    });
    return true;
}

void CPlayBackInteraction::StopClip()
{
    m_shared->clipWanted.store(false);
    Post([shared = m_shared, player = Player()] {
        WorkerHooks::Reach(WorkerHooks::Point::OutputCommand);
        player->StopClip();
        OutputResult result;
        result.kind = OutputResult::ClipStopped;
        result.ok = !player->IsClipFailed();
        if (result.ok)
            result.path = player->Port().GetLastClipPath();
        {
            std::lock_guard<std::mutex> lock(shared->outputLock);
            shared->lastClipPath = player->Port().GetLastClipPath();
            shared->clipPackages = player->Port().GetClipPackages();
            shared->clipFailed = !result.ok;
        }
        shared->Report(std::move(result));
    });
}

bool CPlayBackInteraction::IsClipping()
{
    return m_shared->clipWanted.load() && (m_shared->clipStarts.load() > 0 || Player()->IsClipping());
}

std::string CPlayBackInteraction::GetClipFilePath()
{
    const std::shared_ptr<CStreamPlayer> player = Player();
    if (player->IsClipping())
        return player->Port().GetClipPath();
    std::lock_guard<std::mutex> lock(m_shared->outputLock);
    return m_shared->lastClipPath;
}

std::vector<std::string> CPlayBackInteraction::GetClipFilePaths()
{
    const std::shared_ptr<CStreamPlayer> player = Player();
    if (player->IsClipping())
        return player->Port().GetClipPackages();
    std::lock_guard<std::mutex> lock(m_shared->outputLock);
    return m_shared->clipPackages;
}

std::vector<OutputResult> CPlayBackInteraction::TakeOutputResults()
{
    std::lock_guard<std::mutex> lock(m_shared->outputLock);
    return std::exchange(m_shared->results, {});
}

bool CPlayBackInteraction::IsOutputBusy()
{
    return m_output && m_output->IsBusy();
}

bool CPlayBackInteraction::WaitOutputIdle(int timeout_ms)
{
    return !m_output || m_output->WaitIdle(timeout_ms);
}

bool CPlayBackInteraction::SetDisplayRegion(float left, float top, float right, float bottom)
{
    return Player()->SetDisplayRegion(left, top, right, bottom);
}

bool CPlayBackInteraction::GetPictureSize(int* width, int* height)
{
    return Player()->GetPictureSize(width, height);
}

bool CPlayBackInteraction::RefreshPlay()
{
    return Player()->RefreshPlay();
}

void CPlayBackInteraction::SetDrawCallback(VRendDrawFn callback, void* user)
{
    std::lock_guard<std::mutex> lock(m_playerLock);
    m_drawFn = callback;
    m_drawUser = user;
    m_player->SetDrawCallback(callback, user);
}

int CPlayBackInteraction::GetPlayPort()
{
    return Player()->Port().GetPort();
}

bool CPlayBackInteraction::IsClipFailed()
{
    {
        std::lock_guard<std::mutex> lock(m_shared->outputLock);
        if (m_shared->clipFailed)
            return true;
    }
    return Player()->IsClipFailed();
}

std::uint64_t CPlayBackInteraction::GetDataSizeByTime(time_t begin, time_t end)
{
    RTK_Guard sizeGuard(&m_sizeLock);
    RTK_Guard listGuard(&m_listLock);
    return EstimateDataSize(m_files, begin, end);
}

bool CPlayBackInteraction::DownloadByTime(time_t begin, time_t end)
{
    if (end <= begin || begin < 0)
        return false;
    if (!m_downloader)
        m_downloader = std::make_unique<CStreamDownloader>();
    if (!m_downloader->SetTask(std::make_unique<CStreamDownloaderParam>(m_channel.GetNumber())))
        return false;
    m_downloader->SetUseIndex(m_useIndex);
    return m_downloader->StartByTime(GetFileList(), begin, end);
}

bool CPlayBackInteraction::IsDownloading()
{
    return m_downloader && m_downloader->IsBusy();
}

int CPlayBackInteraction::GetDownloadProgress()
{
    return m_downloader ? m_downloader->GetProgress() : 0;
}
