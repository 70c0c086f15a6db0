#pragma once
// The decode-and-display side of one play window: one port of the player layer, opened on the
// stream header and fed stream blocks; pause, seven speed levels, single frames, sound and
// volume, a zoom region, snapshots and clip recording.
//
// Threads: the stream source's delivery thread opens and feeds the port; the player's worker and
// the GUI thread run the controls; the player layer's presenter thread calls the display callback.
// Every state change is made under the port's own mutex, so the delivery thread reopening the
// port cannot race the controls.

#include <atomic>
#include <cstdint>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "engine/OutputFile.h"
#include "engine/Records.h"
#include "platform/vrend/vrend.h"

class CPlayPort;

// Process-wide map from port number to its object, for the display callback.
class CSafeMap {
public:
    void Insert(int port, CPlayPort* object);  // an existing key keeps its value
    void Remove(int port);
    CPlayPort* Find(int port);

private:
    std::mutex m_lock;
    std::map<int, CPlayPort*> m_map;
};

CSafeMap& PlayPortMap();

// Local time of a packed recorder date-time; -1 for 0xFFFFFFFF or a value that names no time.
time_t PackedTimeToTime(std::uint32_t packed);

class CPlayPort {
public:
    // InputData results.
    enum { kInputAccepted = 0, kInputNotOpen = 1, kInputGivenUp = 2 };
    static constexpr std::uint32_t kSourceBufferBytes = 2097152;
    static constexpr unsigned int kHeaderBytes = 40;

    CPlayPort();
    ~CPlayPort();
    CPlayPort(const CPlayPort&) = delete;
    CPlayPort& operator=(const CPlayPort&) = delete;

    bool OpenStream(const unsigned char* header, unsigned int size, std::uint32_t window, bool fileMode);
    bool IsHeaderEqual(const unsigned char* header, unsigned int size);
    void CloseStream();
    void SetStop() { m_stop = true; }
    int InputData(const unsigned char* data, unsigned int size);
    // The whole stream has been delivered (the player layer then shows the last frames).
    bool InputEnd();
    bool RegisterDrawFun(VRendDrawFn callback, void* user);

    bool GetPictureSize(int* width, int* height);
    bool Pause(bool pause);
    bool Fast();
    bool Slow();
    int SetSpeed(int level);
    int GetSpeed() const { return m_speed; }
    bool StepForward();
    bool StepBackward();
    bool NormalSpeed();
    bool RefreshPlay();
    time_t GetAbsTime();
    unsigned int GetPlayedTime();
    bool ThrowBFrames(unsigned int count);
    bool SetDisplayRegion(float left, float top, float right, float bottom);

    bool OpenSound();
    void CloseSound();
    bool IsSoundOn() const { return m_soundOn; }
    bool SetVolume(std::uint16_t volume);
    std::uint16_t GetVolume() const { return m_volume; }

    bool ResetSourceBuffer();
    unsigned int GetSourceBufferRemain();

    // Writes the next shown frame to a new file in the capture folder (JPEG or BMP by
    // "CaptureSaveType", JPEG when it is missing). false when refused or not written; the reason of
    // an output failure (the folder cannot be made) in GetOutputError().
    bool Snapshot(const Varpen::CSingleFile& file);
    std::string GetSnapshotPath();
    std::string GetOutputError();

    // Clip packages are written through a temporary file and take their final names when
    // complete: at a roll-over or at StopClip. A failed write abandons the unfinished package.
    bool StartClip(const Varpen::CSingleFile& file, time_t time);
    void WriteClip(const unsigned char* data, unsigned int size);
    void StopClip();
    bool IsClipping() const { return m_clipping; }
    // A clip write failed (disk full, medium gone): the clip was closed with what it held.
    bool IsClipFailed() const { return m_clipFailed; }
    void ClearClipFailed() { m_clipFailed = false; }
    std::string GetClipPath();
    std::string GetLastClipPath();

    bool IsOpen() const { return m_open; }
    bool IsPaused() const { return m_paused; }
    bool IsStepping() const { return m_stepping; }
    int GetPort() const { return m_port; }

private:
    struct SnapshotRequest;

    static void DisplayCallback(int port, const char* buffer, std::int64_t size, int width, int height,
                                std::int64_t stamp, int type, void* reserved);
    void SaveFrame(const char* buffer, std::int64_t size, int width, int height, int type);
    bool FailOpen(const char* step);
    bool OpenClipFileLocked(time_t frameTime, bool dated);
    void ClipName(time_t frameTime, bool dated, Varpen::COutputPackage::Name* name) const;
    static bool NextClipName(void* user, Varpen::COutputPackage::Name* name);
    void StopClipLocked();
    bool StepLevel(int delta);

    std::atomic<int> m_port{-1};
    std::atomic<bool> m_open{false};
    std::atomic<std::uint32_t> m_window{0};
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_paused{false};
    std::atomic<bool> m_stepping{false};
    std::atomic<int> m_speed{0};
    std::atomic<bool> m_fileMode{false};
    std::atomic<unsigned int> m_bFrames{0};
    std::atomic<bool> m_soundOn{false};
    std::atomic<std::uint16_t> m_volume{0xFFFF};

    // The port's mutex: stream state, stored header and the clip.
    std::recursive_mutex m_lock;
    unsigned char m_header[kHeaderBytes] = {};

    std::mutex m_snapshotLock;
    std::shared_ptr<SnapshotRequest> m_snapshot;
    std::string m_snapshotPath;
    std::string m_outputError;  // under m_snapshotLock

    Varpen::CPackagedOutput m_clipFile;
    std::atomic<bool> m_clipping{false};
    std::atomic<bool> m_clipFailed{false};
    unsigned int m_clipBytes = 0;
    std::string m_clipPath;
    time_t m_clipStart = 0;
    std::string m_lastClipPath;
    int m_clipChannel = 0;
    std::string m_clipLabel;
};
