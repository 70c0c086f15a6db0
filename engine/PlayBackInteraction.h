#pragma once
// The playback engine of one play window: the window's channel, the files the last search found,
// one stream player and (made on first use) one downloader. Pages and play windows call only
// this class; it offers every playback operation they need, so none of them reaches past it to
// the player or its port.
//
// No control waits for a stream, a disk or another thread:
//  - a start or seek is handed to the player's worker and returns at once: opening the stream
//    and waiting for its header happen there, and a file that cannot be played is reported by
//    the state the page polls (error 1);
//  - a stop tells the player's worker to stop and hands the player to the reaper
//    (engine/WorkerReaper.h), which joins its thread and stops its stream; the next start gets a
//    fresh player;
//  - a snapshot and a clip's start and stop are commands carried out one after another by the
//    engine's own output worker; each outcome arrives later as an OutputResult
//    (TakeOutputResults);
//  - what a poll reads (GetEngineState, GetPlayState, IsPlaying, IsEndOfList, GetPlayError,
//    GetCurrentTime, IsPaused, IsClipping, IsClipFailed) waits for none of them.
// Every change of the play state and every output result calls the changed hook, on the thread
// that made the change: the page re-posts it to its own thread.
// Searches run on the caller's thread (the page's search thread for SearchFiles, the day checker
// for GetRecordDays).

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <atomic>
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
class CCommandWorker;

// The outcome of a snapshot or of a clip's start or stop, in the order the commands were given.
struct OutputResult {
    enum Kind { Snapshot, ClipStarted, ClipStopped };
    Kind kind = Snapshot;
    bool ok = false;
    // Snapshot: the picture's file. ClipStarted: the first package's file. ClipStopped: the last
    // package completed (empty when the clip got no picture or its write failed).
    std::string path;
};

// One engine's state of one moment, read without waiting.
struct EngineState {
    PlayState play;       // file index, end of list, last error, opening
    time_t shown = -1;    // time of the frame shown, -1 none
    int speed = 0;        // level -3..3
    bool paused = false;  // paused (or held at a file change)
    bool clipping = false;
};

// EstimateDataSize (the size estimate of a time window) is in engine/DownloadPlan.h.
}  // namespace Varpen

class CPlayBackInteraction {
public:
    CPlayBackInteraction();
    // Ends the player (and a download of its own) before the engine goes.
    virtual ~CPlayBackInteraction();

    CPlayBackInteraction(const CPlayBackInteraction&) = delete;
    CPlayBackInteraction& operator=(const CPlayBackInteraction&) = delete;

    // Loads the player libraries on a worker ahead of the first engine (once; returns at once).
    static void PreparePlayers();

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
    // The level, leaving a pause or single frames as they are (windows in step take their level
    // while held, then go on together); as SetSpeed otherwise.
    virtual int SetSpeedHeld(int level);
    // Leaves a pause and single frames and plays on at the level set.
    virtual bool PlayOn();

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
    // Play state, shown time, speed, pause and clip of one moment.
    Varpen::EngineState GetEngineState();
    // Called (from any thread) after a change of the play state and for every output result. An
    // empty hook removes it; once this returns, the old hook is not running and is not called again.
    void SetChangedHook(std::function<void()> hook);

    // Sound on at volume 32767; off; state; volume.
    virtual bool OpenSound();
    virtual void CloseSound();
    virtual bool IsVoiceOpen();
    virtual bool SetVolume(std::uint16_t volume);

    // Writes the next frame shown to an image file under the capture folder, on the output
    // worker. false at once when no frame can be taken (nothing shown, paused or single frames);
    // otherwise the outcome arrives as a Snapshot result.
    virtual bool Snapshot();
    // The file of the last snapshot (named when it asks for its frame).
    virtual std::string GetSnapshotFilePath();
    // Writes what the window shows to clip files under the clip folder, from the output worker;
    // the outcome arrives as a ClipStarted result. true (at once) also while a clip runs.
    virtual bool StartClip();
    // Ends the clip on the output worker; the outcome arrives as a ClipStopped result.
    virtual void StopClip();
    // From a StartClip until its StopClip, while the start is pending or the clip is written.
    virtual bool IsClipping();
    // The current clip file while clipping, else the last one closed.
    virtual std::string GetClipFilePath();
    // Every file the last clip (or the running one) completed, in the order written.
    std::vector<std::string> GetClipFilePaths();
    // Outcomes of the output commands not taken yet, oldest first.
    std::vector<Varpen::OutputResult> TakeOutputResults();
    // Output commands queued or being carried out.
    bool IsOutputBusy();
    // Waits up to timeout_ms for the output commands given so far. Tools and tests only.
    bool WaitOutputIdle(int timeout_ms);

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
    // What the output commands and the players' listeners use; it outlives the engine while they run.
    struct Shared;
    std::shared_ptr<Varpen::CStreamPlayer> Player() const;
    // A fresh player in place of the current one, with the window's draw callback and hold, and
    // the error code given.
    void NewPlayer(int error);
    // Stops the player without waiting for its worker; `error` is then the state's cause.
    void Retire(int error);
    void Post(std::function<void()> command);
    bool Seek(time_t time, bool paused);

    std::uint32_t m_window = 0;
    Varpen::SingleFileList m_files;
    Varpen::SingleFileList m_playList;  // the files of the last start, under the list lock
    std::shared_ptr<Shared> m_shared;
    mutable std::mutex m_playerLock;  // the player's pointer, the draw callback and the hold
    std::shared_ptr<Varpen::CStreamPlayer> m_player;
    std::shared_ptr<Varpen::CCommandWorker> m_output;  // made on the first output command
    VRendDrawFn m_drawFn = nullptr;
    void* m_drawUser = nullptr;
    bool m_hold = false;
    Varpen::CFileSearch m_search;
    time_t m_lastBegin = 0;
    time_t m_lastEnd = 0;
    int m_lastType = 255;
    Varpen::CChannel m_channel;
    std::unique_ptr<Varpen::CStreamDownloader> m_downloader;
    std::atomic<bool> m_stepping{false};  // also set by the windows-in-step controller's thread
    bool m_useIndex = false;
    mutable RTK_Mutex m_listLock;
    RTK_Mutex m_sizeLock;
};
