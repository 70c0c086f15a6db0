#pragma once
// The stream player: plays the recording files of one channel one after another into one play
// window. It locates the file that holds a requested time, opens it through its stream source,
// seeks, waits for the stream header and lets its player port decode what the source delivers.
// When a file is delivered and played out it opens the next one; after the last it stops and
// raises its end flag. Nobody is signalled: the owner polls the end flag and the error code.
//
// Threads: the owner (GUI) calls the controls; the player's own worker runs a pass every 40 ms;
// the stream source's delivery thread hands stream data to the port.
// A start or a seek is a command: the owner's call checks it against the file list, leaves it
// for the worker and returns at once; the worker opens the stream and waits for its header. A
// newer seek replaces one not yet carried out and ends a header wait in progress; a stop ends
// it too. Until the stream is open the state says "opening"; an open that fails publishes
// error 1 with the stop.
// Locks, so that what the owner polls and calls never waits for a stream:
//  - the locate lock serialises the passes and the owner's stop once the worker is joined; it
//    is held by the worker while a locate waits (up to 5 s) for a stream header, and the owner
//    takes it only while no worker runs;
//  - the player's mutex (the controls lock) serialises pause, speed and single frames with the
//    opening of the port on a header (the delivery thread); it is never held across a wait, a
//    source stop or a locate.
// The state the owner polls (playing index, end of list, error code) is one atomic word: every
// change is seen whole, at once or not at all; the shown time is read without either lock.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>

#include "engine/BaseThread.h"
#include "engine/PlayPort.h"
#include "engine/Records.h"
#include "engine/StreamSource.h"
#include "platform/rtk/rtk.h"
#include "platform/vrend/vrend.h"

namespace rtk {
class Semaphore;
}

// The window a player plays into (the id of a video surface) and the channel it shows.
struct CPlayWndInfo {
    std::uint32_t window = 0;
    int channel = -1;
};

namespace Varpen {

// Error codes of a player.
enum PlayError : int {
    kPlayErrorNone = 0,
    kPlayErrorNoFile = 1,        // no file holds the time, or a file could not be opened or positioned
    kPlayErrorStreamFailed = 2,  // the stream failed while playing
};

// What the owner polls, read in one piece.
struct PlayState {
    int index = -1;          // position in the file list; -1: not playing
    bool endOfList = false;  // stopped after the last file had played out
    int error = kPlayErrorNone;
    bool opening = false;  // a start or seek is still being opened (no picture of it yet)
    bool IsPlaying() const { return index != -1; }
    bool operator==(const PlayState& o) const
    {
        return index == o.index && endOfList == o.endOfList && error == o.error && opening == o.opening;
    }
};

// For tests, process-wide; set them only while no player runs (null: none).
struct StreamPlayerTestHooks {
    // Called on the starting thread once a start has its thread running, before it returns.
    std::function<void()> started;
    // Called with every state a player publishes, on the thread that publishes it.
    std::function<void(const PlayState&)> published;
    // Called on the locating thread (the player's worker) just before a locate waits for the
    // stream header.
    std::function<void()> headerWait;
    // Called on the locating thread once a locate has opened the port, before its state is
    // published.
    std::function<void()> located;
};
StreamPlayerTestHooks& StreamPlayerHooks();

class CStreamPlayer : public CBaseThread {
public:
    CStreamPlayer();
    ~CStreamPlayer() override;

    // Keeps the record. false for null, a window handle of 0, or while playing.
    bool SetPlayWnd(std::unique_ptr<CPlayWndInfo> info);
    // Copies the list (records are shared); false while playing.
    bool SetFileList(const SingleFileList& files);
    void SetUseIndex(bool useIndex);
    // Registered on the port at once and again at every open; an unchanged pair is ignored.
    void SetDrawCallback(VRendDrawFn callback, void* user);

    // Plays from `time` (0: the first file from its beginning, without positioning). false for a
    // negative time or when no file holds the time (error code 1); otherwise the open is left to
    // the worker and true returned at once: a file that cannot be opened or delivers no header
    // stops the player with error code 1 later.
    bool StartPlayback(time_t time);
    void StopPlayback();
    // Tells the worker and the stream to stop without waiting for either: a header wait ends, the
    // port takes no more data and shows no more pictures. No thread is joined: StopPlayback (or
    // the destructor), run off the owner's thread, does that afterwards. The player is done with
    // then: what it publishes from here on reaches neither the hooks nor its listener.
    void AskStop();
    // StopPlayback, and the play window is forgotten.
    void ResetPlayWnd();
    // false when not playing or for -1; a seek to a time no file holds stops the player and sets
    // error code 1 at once, one whose file cannot be opened does so later. Returns at once: the
    // worker carries the seek out, a newer seek replacing it. `paused`: the port opens paused at
    // the new position (it shows the picture once resumed), so that several windows can go on
    // from there together; a Pause before the open decides instead.
    bool SeekToTime(time_t time, bool paused = false);
    // While set, the next file of the list opens paused (it shows its picture once resumed or
    // stepped), so that windows kept in step can go on from a file change together.
    void SetHoldAtNextFile(bool hold) { m_holdAtNextFile.store(hold); }

    // Time of the frame shown while playing, else -1 (also while a start or seek is opening).
    // Never waits for a stream.
    time_t GetCurrentTime();
    // The same in milliseconds since 1970.
    std::int64_t GetCurrentTimeMs();
    // Pictures decoded ahead of the one shown, as the port counts them; 0 while not playing.
    std::uint32_t GetFramesAhead();
    unsigned GetPlayedTime();

    bool Pause(bool pause);
    bool Fast();
    bool Slow();
    // Signed number of levels moved (0: already there, out of range or nothing open).
    int SetSpeed(int level);
    int GetSpeed();
    bool StepForward();
    bool StepBackward();
    bool ResumeNormal();
    // The level, leaving a pause or a hold as it is (see CPlayPort::SetSpeedHeld); while a stream
    // opens, its port takes it when it opens. Levels moved, as SetSpeed.
    int SetSpeedHeld(int level);
    // Leaves a pause and single frames and plays on at the level set.
    bool PlayOn();

    bool GetPictureSize(int* width, int* height);
    bool RefreshPlay();
    bool Snapshot();
    bool StartClip();
    void StopClip();
    bool SetDisplayRegion(float left, float top, float right, float bottom);

    // Index, end flag and error code of one moment.
    PlayState GetState() const { return Unpack(m_state.load()); }
    bool IsPlaying() const { return GetState().IsPlaying(); }
    bool IsPaused();
    // A clip that failed to write has ended by itself.
    bool IsClipping() { return m_clipping.load() && m_port.IsClipping(); }
    bool IsClipFailed() const { return m_port.IsClipFailed(); }
    bool IsEndOfList() const { return GetState().endOfList; }
    int GetErrorCode() const { return GetState().error; }
    // The owner's own verdict on a start it could not make (the index and end flag stay).
    void SetErrorCode(int code);
    // Called after every state this player publishes, on the publishing thread (which may hold a
    // lock of the player: the listener must only note or post). Set before the player is used.
    void SetStateListener(std::function<void()> listener) { m_listener = std::move(listener); }

    // The port, for its sound and its file paths.
    CPlayPort& Port() { return m_port; }

    static constexpr int kPass_ms = 40;
    static constexpr int kHeaderWait_ms = 5000;

protected:
    bool RunOnce() override;

private:
    // SetSpeed, or SetSpeedHeld with `held`.
    int ChangeSpeed(int level, bool held);
    static void OnSourceData(int handle, int type, unsigned char* data, unsigned int size, void* user);
    void OnStreamData(const unsigned char* data, unsigned int size, bool header);
    // Opens the port on a header (the data thread); keeps the speed level and region.
    // `startAt` (-1: none) is a positioned start: the port shows nothing before that second.
    bool OpenPortOnHeader(const unsigned char* data, unsigned int size, time_t startAt = -1);

    // Under the locate lock. On success the new index is published with a clear end flag and
    // error code; on failure nothing is published (the caller halts with the cause).
    bool FindFileAndPos(time_t time);
    bool LocateFileAndPlay(const SingleFilePtr& file, bool noSeek);
    // Under the locate lock. Ends playback: the port is told to stop and closed, the source
    // stopped, the clip ended; then index -1 is published together with its cause.
    void Halt(bool endOfList, int error);
    void Publish(const PlayState& state);
    // Tells the test hooks and the listener of a state just published.
    void Announce(const PlayState& state);
    static std::uint64_t Pack(const PlayState& state);
    static PlayState Unpack(std::uint64_t word);
    void SetCurrent(SingleFilePtr file);
    SingleFilePtr Current();
    // The owner's side of a command: a locate at `time` for the worker, the state marked
    // opening; ends a header wait in progress, so that the newer command is carried out next.
    // false when the player no longer plays.
    bool PostLocate(time_t time);
    // Publishes `index` as playing; still opening while a newer command waits.
    void PublishPlaying(int index);
    bool TakeLocate(time_t* time);
    bool LocatePending();
    // The worker's side: carries out a pending locate. false when the player stopped.
    bool RunLocate();
    // Sets or clears the opening flag of a playing state (nothing once stopped); false when the
    // player was no longer playing.
    bool MarkOpening(bool opening);
    // Ends the worker and the stream from the owner's thread; the state keeps what it said, or
    // takes `error` when it is not none.
    void HaltFromOwner(int error);

    std::atomic<std::uint64_t> m_state{Pack(PlayState{})};
    std::function<void()> m_listener;
    std::atomic<bool> m_retired{false};  // AskStop: publishes to nobody any more
    SingleFileList m_files;
    CPlayPort m_port;
    CStreamSource m_source;  // after the port: stopped (and gone) before the port it feeds
    std::unique_ptr<CPlayWndInfo> m_wndInfo;
    std::atomic<std::uint32_t> m_window{0};  // read by the data thread
    SingleFilePtr m_current;
    std::atomic<bool> m_playWndSet{false};
    std::atomic<int> m_speed{0};
    std::atomic<bool> m_clipping{false};
    float m_region[4] = {0, 0, 0, 0};
    bool m_inputEnded = false;  // the port was told that the whole file has been fed
    std::atomic<bool> m_stopping{false};
    // Under the controls lock: while the pass moves on to the next file (carrying the pause) or a
    // start or seek is pending or opening, the open of its port is paused when the window was
    // (or the seek asked to be) paused, or is paused meanwhile.
    bool m_carryPause = false;
    bool m_pauseOnOpen = false;
    bool m_changingFile = false;  // the thread is opening the next file of the list
    std::atomic<bool> m_holdAtNextFile{false};
    std::atomic<time_t> m_startAt{-1};  // the second the located stream is shown from
    // The pending locate command; the worker takes it at its next pass.
    std::mutex m_commandLock;
    bool m_locatePending = false;
    time_t m_locateTime = -1;
    RTK_Mutex m_lock;  // the controls lock
    std::mutex m_locateLock;

    // Shared with the data thread: the locate's header wait, the draw callback, the region and
    // the current file. Never held across a call into the source or a wait.
    std::mutex m_shareLock;
    std::shared_ptr<rtk::Semaphore> m_headerWait;
    VRendDrawFn m_drawFn = nullptr;
    void* m_drawUser = nullptr;
};

}  // namespace Varpen
