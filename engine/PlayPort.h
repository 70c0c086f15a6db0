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
#include <vector>

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
    // Gets the player layer ready on a worker and returns at once (once per process), so that the
    // first port made on the GUI thread (at the first search) does not wait for the player
    // libraries to load.
    static void PrepareInBackground();
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
    // The level (as SetSpeed), leaving a pause and single-frame mode as they are: a held port
    // takes the level of the windows in step before it goes on with them.
    int SetSpeedHeld(int level);
    int GetSpeed() const { return m_speed; }
    bool StepForward();
    bool StepBackward();
    bool NormalSpeed();
    // Leaves a pause and single-frame mode and plays on at the level set (one player call).
    bool Resume();
    bool RefreshPlay();
    time_t GetAbsTime();
    // The same frame's time in milliseconds since 1970; -1 when not open or none shown.
    std::int64_t GetAbsTimeMs();
    // Decoded pictures waiting to be shown (VREND_DECODER_WAITING: as many as the decoder goes).
    std::uint32_t GetFramesAhead();
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

    // Where snapshots and clips read their format, package size and folders, at each snapshot,
    // clip start and clip package (the settings store by default). Set it before the port is used.
    void SetOutputSettings(Varpen::OutputSettingsSource settings);

    // Writes the next shown frame to a new file in the capture folder (JPEG or BMP by
    // "CaptureSaveType", JPEG when it is missing). false when refused or not written; the reason of
    // an output failure (the folder cannot be made) in GetOutputError().
    bool Snapshot(const Varpen::CSingleFile& file);
    std::string GetSnapshotPath();
    std::string GetOutputError();

    // A clip holds what the window shows: from the keyframe at or before the picture shown when
    // it starts to the picture shown when it stops, with the stream's parameter sets, so that it
    // plays from its first picture. The player layer hands it over group of pictures by group
    // (WriteClip, on the layer's clip thread); each package begins with a stream header and a
    // keyframe, so each plays by itself. A package rolls over before a group that would take it
    // past the package size, and when a new stream begins (the next file). Packages are
    // written through a temporary file and take their final names when complete. A clip that
    // got no picture leaves no file and has failed; so has one whose write failed (disk full,
    // medium gone), which keeps the packages it finished.
    bool StartClip(const Varpen::CSingleFile& file, time_t time);
    // A block of the player layer's clip (VREND_CLIP_HEADER, _KEY or _DATA, platform/vrend/vrend.h).
    void WriteClip(int type, const unsigned char* data, unsigned int size, std::int64_t time_ms);
    // Returns once everything shown has been written and the last package is complete.
    void StopClip();
    bool IsClipping() const { return m_clipping; }
    bool IsClipFailed() const { return m_clipFailed; }
    void ClearClipFailed() { m_clipFailed = false; }
    std::string GetClipPath();
    std::string GetLastClipPath();
    // The packages the last clip (or the running one) finished, in the order written.
    std::vector<std::string> GetClipPackages();

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
    // This side's record of the open stream, cleared (the player layer's port is not touched).
    void ForgetStream();
    static void ClipCallback(int port, int type, const std::uint8_t* data, std::uint32_t size, std::int64_t time_ms,
                             void* user);
    bool OpenClipPackageLocked(time_t frameTime, bool dated);
    void ClipName(time_t frameTime, bool dated, Varpen::COutputPackage::Name* name) const;
    void FailClipLocked();
    void EndPlayerClipLocked();
    void ResumePlayerClip();
    // One level up or down; `resume`: leave a pause too (as Fast and Slow do).
    bool StepLevel(int delta, bool resume);

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
    Varpen::OutputSettingsSource m_settings = Varpen::StoredOutputSettings();

    // The port's mutex: stream state and the stored header.
    std::recursive_mutex m_lock;
    unsigned char m_header[kHeaderBytes] = {};

    std::mutex m_snapshotLock;
    std::shared_ptr<SnapshotRequest> m_snapshot;
    std::string m_snapshotPath;
    std::string m_outputError;  // under m_snapshotLock

    // Clip: m_clipControl serialises its start and stop (and the player layer's port it runs on);
    // m_clipLock guards the files, which the player layer's clip thread writes.
    std::mutex m_clipControl;
    int m_clipPort = -1;  // the port of the player layer's clip; -1 none
    std::mutex m_clipLock;
    Varpen::COutputPackage m_clipFile;
    std::atomic<bool> m_clipping{false};
    std::atomic<bool> m_clipFailed{false};
    bool m_clipWriting = false;                    // blocks are taken
    unsigned int m_clipBytes = 0;                  // in the open package, header included
    int m_packagePictures = 0;                     // groups of pictures in the open package
    int m_clipPictures = 0;                        // groups of pictures in the clip
    unsigned char m_runHeader[kHeaderBytes] = {};  // the header of the stream the blocks belong with
    bool m_newStream = false;                      // no group of that stream written yet
    std::string m_clipPath;
    time_t m_clipStart = 0;
    std::string m_lastClipPath;
    std::vector<std::string> m_clipPackages;
    int m_clipChannel = 0;
    std::string m_clipLabel;
};
