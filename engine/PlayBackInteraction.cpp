#include "engine/PlayBackInteraction.h"

#include <QDebug>

#include "engine/DownloadPlan.h"
#include "engine/Logging.h"
#include "engine/StreamDownloader.h"

using namespace Varpen;

CPlayBackInteraction::CPlayBackInteraction() = default;

CPlayBackInteraction::~CPlayBackInteraction()
{
    try {
        if (m_downloader)
            m_downloader->Stop(false);
        m_player.ResetPlayWnd();
    } catch (...) {
    }
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
    RTK_Guard guard(&m_listLock);
    m_player.ResetPlayWnd();
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
            m_player.SetErrorCode(kPlayErrorNoFile);
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

    bool ok = m_player.SetPlayWnd(std::move(info)) && m_player.SetFileList(playList);
    if (ok) {
        m_player.SetUseIndex(m_useIndex);
        ok = m_player.StartPlayback(time);
    }
    if (!ok) {
        qCWarning(lcEngine) << "--qarn-- CPlayBackInteraction-StartPlayback failed";
        m_player.SetErrorCode(kPlayErrorNoFile);
        return false;
    }
    // The player cleared the end flag when it located the first file; its thread may already
    // have set it again (a short list at a high speed), which must not be undone here.
    m_stepping = false;
    return true;
}

void CPlayBackInteraction::StopPlayback()
{
    m_player.StopPlayback();
}

bool CPlayBackInteraction::SetPlayTime(time_t time)
{
    return m_player.SeekToTime(time);
}

bool CPlayBackInteraction::SetPlayTimePaused(time_t time)
{
    return m_player.SeekToTime(time, true);
}

void CPlayBackInteraction::SetHoldAtNextFile(bool hold)
{
    m_player.SetHoldAtNextFile(hold);
}

bool CPlayBackInteraction::Pause(bool pause)
{
    return m_player.Pause(pause);
}

bool CPlayBackInteraction::IsPaused()
{
    return m_player.IsPaused();
}

int CPlayBackInteraction::SetSpeed(int level)
{
    return m_player.SetSpeed(level);
}

int CPlayBackInteraction::GetSpeed()
{
    return m_player.GetSpeed();
}

bool CPlayBackInteraction::Fast()
{
    return m_player.Fast();
}

bool CPlayBackInteraction::Slow()
{
    return m_player.Slow();
}

bool CPlayBackInteraction::StepForward()
{
    m_stepping = m_player.StepForward();
    return m_stepping;
}

bool CPlayBackInteraction::StepBackward()
{
    return m_player.StepBackward();
}

bool CPlayBackInteraction::NormalSpeed()
{
    m_stepping = false;
    return m_player.ResumeNormal();
}

bool CPlayBackInteraction::IsPlaying()
{
    return m_player.IsPlaying();
}

bool CPlayBackInteraction::IsEndOfList()
{
    return m_player.IsEndOfList();
}

int CPlayBackInteraction::GetPlayError()
{
    return m_player.GetErrorCode();
}

PlayState CPlayBackInteraction::GetPlayState()
{
    return m_player.GetState();
}

time_t CPlayBackInteraction::GetCurrentTime()
{
    return m_player.GetCurrentTime();
}

std::int64_t CPlayBackInteraction::GetCurrentTimeMs()
{
    return m_player.GetCurrentTimeMs();
}

bool CPlayBackInteraction::IsDecodedAhead()
{
    // Two pictures: the decoder has got ahead of the presenter, as after its start-up.
    return m_player.GetFramesAhead() >= 2;
}

bool CPlayBackInteraction::OpenSound()
{
    return m_player.Port().OpenSound();
}

void CPlayBackInteraction::CloseSound()
{
    m_player.Port().CloseSound();
}

bool CPlayBackInteraction::IsVoiceOpen()
{
    return m_player.Port().IsSoundOn();
}

bool CPlayBackInteraction::SetVolume(std::uint16_t volume)
{
    return m_player.Port().SetVolume(volume);
}

bool CPlayBackInteraction::Snapshot()
{
    return m_player.Snapshot();
}

std::string CPlayBackInteraction::GetSnapshotFilePath()
{
    return m_player.Port().GetSnapshotPath();
}

bool CPlayBackInteraction::StartClip()
{
    return m_player.StartClip();
}

void CPlayBackInteraction::StopClip()
{
    m_player.StopClip();
}

bool CPlayBackInteraction::IsClipping()
{
    return m_player.IsClipping();
}

std::string CPlayBackInteraction::GetClipFilePath()
{
    return m_player.IsClipping() ? m_player.Port().GetClipPath() : m_player.Port().GetLastClipPath();
}

std::vector<std::string> CPlayBackInteraction::GetClipFilePaths()
{
    return m_player.Port().GetClipPackages();
}

bool CPlayBackInteraction::SetDisplayRegion(float left, float top, float right, float bottom)
{
    return m_player.SetDisplayRegion(left, top, right, bottom);
}

bool CPlayBackInteraction::GetPictureSize(int* width, int* height)
{
    return m_player.GetPictureSize(width, height);
}

bool CPlayBackInteraction::RefreshPlay()
{
    return m_player.RefreshPlay();
}

void CPlayBackInteraction::SetDrawCallback(VRendDrawFn callback, void* user)
{
    m_player.SetDrawCallback(callback, user);
}

int CPlayBackInteraction::GetPlayPort()
{
    return m_player.Port().GetPort();
}

bool CPlayBackInteraction::IsClipFailed()
{
    return m_player.IsClipFailed();
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
