#pragma once
// The playback engine of one play window: the window's channel, the files the last search found,
// one stream player and (made on first use) one downloader. Pages and play windows call only
// this class; it offers every playback operation they need, so none of them reaches past it to
// the player or its port.
//
// All operations run on the caller's thread (the GUI thread, the page's search thread for
// SearchFiles, the day checker for GetRecordDays); the player's own locking protects playback.
// A start or seek is handed to the player's worker and returns at once: opening the stream
// and waiting for its header happen there, and a file that cannot be played is reported by
// the state the page polls (error 1). What a poll reads (GetPlayState, IsPlaying, IsEndOfList,
// GetPlayError, GetCurrentTime, IsPaused, IsClipping, IsClipFailed) never waits for a stream.

#include <cstdint>
#include <ctime>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/FileSearch.h"
#include "engine/Records.h"
#include "engine/StreamPlayer.h"
#include "platform/rtk/rtk.h"
#include "engine/DownloadPlan.h"
#include "platform/vrend/vrend.h"

namespace Varpen {
class CStreamDownloader;

// EstimateDataSize (the size estimate of a time window) is in engine/DownloadPlan.h.
}  // namespace Varpen

class CPlayBackInteraction {
public:
    CPlayBackInteraction();
    // Ends the player (and a download of its own) before the engine goes.
    virtual ~CPlayBackInteraction();

    CPlayBackInteraction(const CPlayBackInteraction&) = delete;
    CPlayBackInteraction& operator=(const CPlayBackInteraction&) = delete;

    // Clears the found files, then copies number, name and flag.
    virtual void SetChannel(const Varpen::CChannel& channel);
    virtual Varpen::CChannel GetChannel() const;
    // Read a local recording folder through its index instead of a recorder disk.
    virtual void SetUseIndex(bool useIndex);
    virtual bool GetUseIndex() const { return m_useIndex; }
    // Stops the player and forgets the found files.
    virtual void ClearFileList();

    // Files of the channel in [begin, end] of record type 0 to 14, in time order. Stores the
    // window and type as the last search first. false when begin > end or the search failed (the
    // found files then stay as they were).
    virtual bool SearchFiles(Varpen::SingleFileList& out, const std::string& diskPath, time_t begin, time_t end,
                             int recordType);
    virtual void GetRecordDays(std::set<time_t>& out, const QString& channelName, int channelNumber, time_t begin,
                               time_t end, const std::string& diskPath);
    // The last search: record type (255 before any search), begin and end (0 before any).
    virtual void GetRecordField(int* recordType) const;
    virtual void GetFirstRecordTime(time_t* begin) const;
    virtual void GetLastRecordTime(time_t* end) const;
    virtual Varpen::SingleFileList GetFileList() const;

    // Plays the channel's found files into `window` (a video surface id) from `time` (0 plays
    // from the beginning of the first file). false, with error 1, when no found file holds the
    // time; a file that cannot be opened sets error 1 later (the state is "opening" until then).
    virtual bool StartPlayback(std::uint32_t window, time_t time);
    virtual void StopPlayback();
    // Seeks the running player; false when not playing, and error 1 when no file holds the
    // time (at once) or its file cannot be opened (later). A newer seek replaces this one.
    virtual bool SetPlayTime(time_t time);
    // The same, and the window holds paused at the new position until Pause(false).
    virtual bool SetPlayTimePaused(time_t time);
    // While set, the window opens its next file paused (windows in step go on together).
    virtual void SetHoldAtNextFile(bool hold);

    virtual bool Pause(bool pause);
    virtual bool IsPaused();
    // Level -3..3 (0 normal); non-zero when the level was changed.
    virtual int SetSpeed(int level);
    virtual int GetSpeed();
    virtual bool Fast();
    virtual bool Slow();
    // One frame forward (sets the stepping flag when it worked) or back.
    virtual bool StepForward();
    virtual bool StepBackward();
    virtual bool IsStepping() const { return m_stepping; }
    // Leaves single-frame stepping and plays at normal speed.
    virtual bool NormalSpeed();

    virtual bool IsPlaying();
    // The player has played past its last file and stopped.
    virtual bool IsEndOfList();
    // 0 none, 1 nothing could be played, 2 the stream failed while playing.
    virtual int GetPlayError();
    // Playing, end of list and error code of one moment: a poll that reads them one by one may
    // see a stop between two reads; this never shows a stop without its cause.
    virtual Varpen::PlayState GetPlayState();
    // Time of the shown frame, -1 when unknown.
    virtual time_t GetCurrentTime();
    // The same in milliseconds since 1970, -1 when unknown.
    virtual std::int64_t GetCurrentTimeMs();
    // The shown picture has pictures decoded behind it (or its file is decoded to the end): it
    // can play on at once without waiting for its decoder.
    virtual bool IsDecodedAhead();

    // Sound on at volume 32767; off; state; volume.
    virtual bool OpenSound();
    virtual void CloseSound();
    virtual bool IsVoiceOpen();
    virtual bool SetVolume(std::uint16_t volume);

    // Writes the shown frame to an image file under the capture folder.
    virtual bool Snapshot();
    virtual std::string GetSnapshotFilePath();
    // Writes what the window shows to clip files under the clip folder.
    virtual bool StartClip();
    virtual void StopClip();
    virtual bool IsClipping();
    // The current clip file while clipping, else the last one closed.
    virtual std::string GetClipFilePath();
    // Every file the last clip (or the running one) completed, in the order written.
    std::vector<std::string> GetClipFilePaths();

    // Fractions 0..1 of the picture; all 0 shows the whole picture.
    virtual bool SetDisplayRegion(float left, float top, float right, float bottom);
    virtual bool GetPictureSize(int* width, int* height);
    virtual bool RefreshPlay();
    // Called on the GUI thread for every painted frame (for the zoom rectangle); an unchanged
    // pair is not registered again.
    virtual void SetDrawCallback(VRendDrawFn callback, void* user);
    // The player layer's port of this window (for the sound control and tests).
    virtual int GetPlayPort();
    // The last clip failed: it got no picture, or it could not be written on (disk full, medium
    // gone) and was closed with what it held.
    virtual bool IsClipFailed();

    // Estimated bytes of the found files between two times.
    virtual std::uint64_t GetDataSizeByTime(time_t begin, time_t end);
    // A download of the found files between two times by this engine's own downloader.
    virtual bool DownloadByTime(time_t begin, time_t end);
    virtual bool IsDownloading();
    virtual int GetDownloadProgress();

private:
    std::uint32_t m_window = 0;
    Varpen::SingleFileList m_files;
    Varpen::CStreamPlayer m_player;
    Varpen::CFileSearch m_search;
    time_t m_lastBegin = 0;
    time_t m_lastEnd = 0;
    int m_lastType = 255;
    Varpen::CChannel m_channel;
    std::unique_ptr<Varpen::CStreamDownloader> m_downloader;
    bool m_stepping = false;
    bool m_useIndex = false;
    mutable RTK_Mutex m_listLock;
    RTK_Mutex m_sizeLock;
};
