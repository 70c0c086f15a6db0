#pragma once
// The stream player: plays the recording files of one channel one after another into one play
// window. It locates the file that holds a requested time, opens it through its stream source,
// seeks, waits for the stream header and lets its player port decode what the source delivers.
// When a file is delivered and played out it opens the next one; after the last it stops and
// raises its end flag. Nobody is signalled: the owner polls the end flag and the error code.
//
// Threads: the owner (GUI) calls the controls; the player's own worker runs a pass every 40 ms
// under the player's mutex; the stream source's delivery thread hands stream data to the port
// without that mutex.

#include <atomic>
#include <cstdint>
#include <ctime>
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
    kPlayErrorNoFile = 1,     // no file holds the time, or a file could not be opened or positioned
    kPlayErrorStreamFailed = 2,  // the stream failed while playing
};

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
    // negative time or when nothing can be played there (error code 1).
    bool StartPlayback(time_t time);
    void StopPlayback();
    // StopPlayback, and the play window is forgotten.
    void ResetPlayWnd();
    // false when not playing or for -1; a seek that cannot be carried out stops the player and
    // sets error code 1.
    bool SeekToTime(time_t time);

    // Time of the frame shown while playing, else -1.
    time_t GetCurrentTime();
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

    bool GetPictureSize(int* width, int* height);
    bool RefreshPlay();
    bool Snapshot();
    bool StartClip();
    void StopClip();
    bool SetDisplayRegion(float left, float top, float right, float bottom);

    bool IsPlaying() const { return m_index.load() != -1; }
    bool IsPaused();
    // A clip that failed to write has ended by itself.
    bool IsClipping() { return m_clipping.load() && m_port.IsClipping(); }
    bool IsClipFailed() const { return m_port.IsClipFailed(); }
    bool IsEndOfList() const { return m_endOfList.load(); }
    void SetEndOfList(bool end) { m_endOfList.store(end); }
    int GetErrorCode() const { return m_error.load(); }
    void SetErrorCode(int code) { m_error.store(code); }

    // The port, for its sound and its file paths.
    CPlayPort& Port() { return m_port; }

    static constexpr int kPass_ms = 40;
    static constexpr int kHeaderWait_ms = 5000;

protected:
    bool RunOnce() override;

private:
    static void OnSourceData(int handle, int type, unsigned char* data, unsigned int size,
                             void* user);
    void OnStreamData(const unsigned char* data, unsigned int size, bool header);
    // Opens the port on a header (the data thread); keeps the speed level and region.
    // `startAt` (-1: none) is a positioned start: the port shows nothing before that second.
    bool OpenPortOnHeader(const unsigned char* data, unsigned int size, time_t startAt = -1);

    bool FindFileAndPos(time_t time);
    bool LocateFileAndPlay(const SingleFilePtr& file, bool noSeek);
    // Ends playback after a failure or the end of the list: the port is told to stop and closed,
    // the source stopped, the clip ended, index -1.
    void Halt();
    void SetCurrent(SingleFilePtr file);
    SingleFilePtr Current();

    std::atomic<bool> m_endOfList{false};
    std::atomic<int> m_error{kPlayErrorNone};
    SingleFileList m_files;
    CPlayPort m_port;
    CStreamSource m_source;  // after the port: stopped (and gone) before the port it feeds
    std::unique_ptr<CPlayWndInfo> m_wndInfo;
    std::atomic<std::uint32_t> m_window{0};  // read by the data thread
    SingleFilePtr m_current;
    std::atomic<bool> m_playWndSet{false};
    std::atomic<int> m_index{-1};
    int m_speed = 0;
    std::atomic<bool> m_clipping{false};
    float m_region[4] = {0, 0, 0, 0};
    bool m_inputEnded = false;  // the port was told that the whole file has been fed
    std::atomic<bool> m_stopping{false};
    std::atomic<bool> m_pauseOnOpen{false};  // the next open keeps the port paused
    std::atomic<time_t> m_startAt{-1};       // the second the located stream is shown from
    RTK_Mutex m_lock;

    // Shared with the data thread: the locate's header wait, the draw callback, the region and
    // the current file. Never held across a call into the source or a wait.
    std::mutex m_shareLock;
    std::shared_ptr<rtk::Semaphore> m_headerWait;
    VRendDrawFn m_drawFn = nullptr;
    void* m_drawUser = nullptr;
};

}  // namespace Varpen
