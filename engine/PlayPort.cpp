#include "engine/PlayPort.h"

#include <QDebug>
#include <QFileInfo>
#include <QString>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <thread>

#include "engine/Logging.h"
#include "engine/WorkerReaper.h"
#include "platform/streamfmt/streamfmt.h"

namespace {

constexpr int kRetryMs = 15;
constexpr int kSnapshotWaitMs = 1000;

}  // namespace

// ---- Port map and packed time ----------------------------------------------------------------

void CSafeMap::Insert(int port, CPlayPort* object)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_map.emplace(port, object);
}

void CSafeMap::Remove(int port)
{
    std::lock_guard<std::mutex> guard(m_lock);
    m_map.erase(port);
}

CPlayPort* CSafeMap::Find(int port)
{
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_map.find(port);
    return it == m_map.end() ? nullptr : it->second;
}

CSafeMap& PlayPortMap()
{
    static CSafeMap map;
    return map;
}

time_t PackedTimeToTime(std::uint32_t packed)
{
    return static_cast<time_t>(SF_UnpackTime(packed));
}

// ---- Construction ------------------------------------------------------------------------------

struct CPlayPort::SnapshotRequest {
    std::mutex lock;
    std::condition_variable cond;
    bool posted = false;
    bool done = false;
    bool jpeg = true;
    std::string path;
};

void CPlayPort::PrepareInBackground()
{
    static std::atomic<bool> asked{false};
    if (asked.exchange(true))
        return;
    // On the reaper's thread, which the program joins before it ends.
    Varpen::CWorkerReaper::Instance().Retire([] {
        if (!VRend_Prepare())
            qCWarning(lcEngine, "--qarn-- the player layer cannot be prepared");
    });
}

CPlayPort::CPlayPort()
{
    int port = -1;
    if (!VRend_GetPort(&port)) {
        qCWarning(lcEngine, "--qarn-- VRend_GetPort Failed");
        return;
    }
    m_port = port;
    PlayPortMap().Insert(port, this);
}

void CPlayPort::SetOutputSettings(Varpen::OutputSettingsSource settings)
{
    m_clipFile.SetOutputSettings(settings);
    m_settings = std::move(settings);
}

CPlayPort::~CPlayPort()
{
    try {
        StopClip();
    } catch (...) {
    }
    CloseStream();
    const int port = m_port.exchange(-1);
    if (port != -1) {
        PlayPortMap().Remove(port);
        VRend_FreePort(port);
    }
}

// ---- Stream --------------------------------------------------------------------------------------

bool CPlayPort::FailOpen(const char* step)
{
    const int port = m_port;
    qCWarning(lcEngine, "--qarn-- VRend_%s Failed iError = %d", step, static_cast<int>(VRend_GetLastError(port)));
    {
        // What the clip got from this port is written; it goes on with the next stream.
        std::lock_guard<std::mutex> control(m_clipControl);
        EndPlayerClipLocked();
    }
    PlayPortMap().Remove(port);
    VRend_FreePort(port);
    m_port = -1;
    // A port that failed one stream is asked for again, so the next header can open it.
    int fresh = -1;
    if (VRend_GetPort(&fresh)) {
        m_port = fresh;
        PlayPortMap().Insert(fresh, this);
    }
    return false;
}

bool CPlayPort::OpenStream(const unsigned char* header, unsigned int size, std::uint32_t window, bool fileMode)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!header || m_port == -1)
        return false;
    // The next file of a window opens in place of the last one: the player layer closes the old
    // stream itself and the window goes on showing its last picture until the new stream's first
    // (no blank picture between two files).
    if (m_open)
        ForgetStream();
    const int port = m_port;
    if (!VRend_SetStreamOpenMode(port, fileMode ? 0 : 1))
        return FailOpen("SetStreamOpenMode");
    if (!VRend_SetDisplayCallBack(port, &CPlayPort::DisplayCallback))
        return FailOpen("SetDisplayCallBack");
    if (!VRend_OpenStream(port, header, size, kSourceBufferBytes))
        return FailOpen("OpenStream");
    if (!VRend_SetDisplayBuf(port, fileMode ? 5 : 15))
        return FailOpen("SetDisplayBuf");
    if (!VRend_Play(port, window))
        return FailOpen("Play");
    if (m_soundOn)
        VRend_PlaySound(port);
    if (!fileMode && size >= kHeaderBytes)
        std::memcpy(m_header, header, kHeaderBytes);
    m_window = window;
    m_stop = false;
    m_fileMode = fileMode;
    m_open = true;
    ResumePlayerClip();
    return true;
}

bool CPlayPort::IsHeaderEqual(const unsigned char* header, unsigned int size)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return header && size >= kHeaderBytes && std::memcmp(header, m_header, kHeaderBytes) == 0;
}

void CPlayPort::CloseStream()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open)
        return;
    VRend_Stop(m_port);
    VRend_CloseStream(m_port);
    ForgetStream();
}

void CPlayPort::ForgetStream()
{
    m_open = false;
    m_paused = false;
    m_stepping = false;
    m_speed = 0;
    m_window = 0;
    m_bFrames = 0;
    std::memset(m_header, 0, sizeof m_header);
}

int CPlayPort::InputData(const unsigned char* data, unsigned int size)
{
    while (true) {
        if (!m_open)
            return kInputNotOpen;
        if (VRend_InputData(m_port, data, size))
            break;
        VRend_GetLastError(m_port);
        if (m_stop)
            return kInputGivenUp;
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryMs));
    }
    return kInputAccepted;
}

bool CPlayPort::InputEnd()
{
    return m_open && VRend_InputEnd(m_port);
}

bool CPlayPort::RegisterDrawFun(VRendDrawFn callback, void* user)
{
    if (!callback)
        return false;
    return VRend_RegisterDrawFun(m_port, callback, user);
}

bool CPlayPort::ResetSourceBuffer()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    return m_open && VRend_ResetSourceBuffer(m_port);
}

unsigned int CPlayPort::GetSourceBufferRemain()
{
    return m_open ? VRend_GetSourceBufferRemain(m_port) : 0;
}

// ---- Controls ------------------------------------------------------------------------------------

bool CPlayPort::GetPictureSize(int* width, int* height)
{
    return m_open && VRend_GetPictureSize(m_port, width, height);
}

bool CPlayPort::Pause(bool pause)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open)
        return false;
    if (m_paused == pause)
        return true;
    if (!VRend_Pause(m_port, pause ? 1 : 0))
        return false;
    m_paused = pause;
    return true;
}

bool CPlayPort::StepLevel(int delta, bool resume)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open || m_speed + delta > 3 || m_speed + delta < -3)
        return false;
    if (!(delta > 0 ? VRend_Fast(m_port) : VRend_Slow(m_port)))
        return false;
    m_speed += delta;
    // The player layer keeps a pause across a level change; a speed button plays on.
    if (resume && m_paused) {
        VRend_Pause(m_port, 0);
        m_paused = false;
    }
    // Levels 1 and 2 drop one B-frame, level 3 two, level 0 and below none.
    const int level = m_speed;
    if (delta > 0 && level == 3 && m_bFrames < 2)
        VRend_ThrowBFrameNum(m_port, 2);
    else if (delta > 0 && level == 1 && m_bFrames == 0)
        VRend_ThrowBFrameNum(m_port, 1);
    else if (delta < 0 && level == 2 && m_bFrames < 2)
        VRend_ThrowBFrameNum(m_port, 1);
    else if (delta < 0 && level == 0 && m_bFrames == 0)
        VRend_ThrowBFrameNum(m_port, 0);
    return true;
}

bool CPlayPort::Fast()
{
    return StepLevel(+1, true);
}

bool CPlayPort::Slow()
{
    return StepLevel(-1, true);
}

int CPlayPort::SetSpeed(int level)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (level < -3 || level > 3 || !m_open)
        return 0;
    const bool wasPaused = m_paused;
    m_paused = false;
    m_stepping = false;
    const int previous = m_speed;
    while (m_speed != level && StepLevel(m_speed < level ? +1 : -1, false)) {
    }
    // A change of level plays on, as the first speed step used to.
    if (wasPaused && m_speed != previous)
        VRend_Pause(m_port, 0);
    return level - (m_speed == level ? previous : m_speed.load());
}

int CPlayPort::SetSpeedHeld(int level)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (level < -3 || level > 3 || !m_open)
        return 0;
    const int previous = m_speed;
    while (m_speed != level) {
        if (!StepLevel(m_speed < level ? +1 : -1, false))
            return level - m_speed;
    }
    return level - previous;
}

bool CPlayPort::Resume()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open || !VRend_Play(m_port, m_window))
        return false;
    m_paused = false;
    m_stepping = false;
    return true;
}

bool CPlayPort::StepForward()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open || !VRend_OneByOne(m_port))
        return false;
    m_paused = true;
    m_stepping = true;
    return true;
}

bool CPlayPort::StepBackward()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open || !VRend_OneByOneBack(m_port))
        return false;
    m_paused = false;
    m_stepping = true;
    return true;
}

bool CPlayPort::NormalSpeed()
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open)
        return false;
    Pause(false);
    while (m_speed > 0 && Slow()) {
    }
    while (m_speed < 0 && Fast()) {
    }
    m_stepping = false;
    m_paused = false;
    return VRend_Play(m_port, m_window);
}

bool CPlayPort::RefreshPlay()
{
    return m_open && VRend_RefreshPlay(m_port);
}

time_t CPlayPort::GetAbsTime()
{
    if (!m_open)
        return -1;
    return PackedTimeToTime(VRend_GetSpecialData(m_port));
}

std::int64_t CPlayPort::GetAbsTimeMs()
{
    return m_open ? VRend_GetShownTimeMs(m_port) : -1;
}

std::uint32_t CPlayPort::GetFramesAhead()
{
    return m_open ? VRend_GetFramesAhead(m_port) : 0;
}

unsigned int CPlayPort::GetPlayedTime()
{
    return m_open ? VRend_GetPlayedTime(m_port) : 0;
}

bool CPlayPort::ThrowBFrames(unsigned int count)
{
    if (!m_open || !VRend_ThrowBFrameNum(m_port, count))
        return false;
    m_bFrames = count;
    return true;
}

bool CPlayPort::SetDisplayRegion(float left, float top, float right, float bottom)
{
    std::lock_guard<std::recursive_mutex> guard(m_lock);
    if (!m_open)
        return false;
    if (left >= right || top >= bottom)
        return VRend_SetDisplayRegion(m_port, 0, nullptr, 0, 1);
    int width = 0, height = 0;
    if (!VRend_GetPictureSize(m_port, &width, &height))
        return false;
    const VRendRect rect{static_cast<std::int32_t>(left * width), static_cast<std::int32_t>(top * height),
                         static_cast<std::int32_t>(right * width), static_cast<std::int32_t>(bottom * height)};
    return VRend_SetDisplayRegion(m_port, 0, &rect, 0, 1);
}

// ---- Sound -----------------------------------------------------------------------------------------

bool CPlayPort::OpenSound()
{
    if (m_soundOn)
        return true;
    // Port 0 is a port like any other: only "no port" (-1) cannot sound.
    if (m_port == -1)
        return false;
    VRend_StopSound();
    VRend_PlaySound(m_port);
    VRend_SetVolume(m_port, 32767);
    m_soundOn = true;
    return true;
}

void CPlayPort::CloseSound()
{
    if (m_open && m_soundOn) {
        VRend_StopSound();
        m_soundOn = false;
    }
}

bool CPlayPort::SetVolume(std::uint16_t volume)
{
    if (!m_open || !m_soundOn)
        return false;
    VRend_SetVolume(m_port, volume);
    m_volume = volume;
    return true;
}

// ---- Snapshots -------------------------------------------------------------------------------------

bool CPlayPort::Snapshot(const Varpen::CSingleFile& file)
{
    // A new frame must come through the display callback.
    if (!m_open || m_paused || m_stepping)
        return false;
    const time_t t = GetAbsTime();
    if (t == -1)
        return false;
    const Varpen::OutputSettings settings = m_settings();
    const std::string folder = Varpen::OutputFolder(settings, Varpen::OutputKind::Capture, t);
    FileError error;
    if (!Varpen::MakeOutputFolder(folder, &error)) {
        qCWarning(lcEngine, "--qarn-- snapshot folder: %s", error.Text().c_str());
        std::lock_guard<std::mutex> guard(m_snapshotLock);
        m_outputError = error.Text();
        return false;
    }
    auto request = std::make_shared<SnapshotRequest>();
    request->jpeg = settings.snapshotJpeg;
    const std::string stem =
        Varpen::OutputFileName(file.GetLabel(), file.GetChannel() + 1, t, Varpen::OutputNameTick(), "");
    request->path = Varpen::FreeOutputPath(folder, stem, request->jpeg ? ".jpg" : ".bmp");
    if (request->path.empty())
        return false;
    {
        std::lock_guard<std::mutex> guard(m_snapshotLock);
        m_snapshot = request;
        m_snapshotPath = request->path;
    }
    bool done;
    {
        std::unique_lock<std::mutex> lock(request->lock);
        request->cond.wait_for(lock, std::chrono::milliseconds(kSnapshotWaitMs), [&] { return request->posted; });
        done = request->done;
    }
    std::lock_guard<std::mutex> guard(m_snapshotLock);
    if (m_snapshot == request)
        m_snapshot.reset();
    return done;
}

std::string CPlayPort::GetSnapshotPath()
{
    std::lock_guard<std::mutex> guard(m_snapshotLock);
    return m_snapshotPath;
}

std::string CPlayPort::GetOutputError()
{
    std::lock_guard<std::mutex> guard(m_snapshotLock);
    return m_outputError;
}

void CPlayPort::DisplayCallback(int port, const char* buffer, std::int64_t size, int width, int height, std::int64_t,
                                int type, void*)
{
    if (CPlayPort* object = PlayPortMap().Find(port))
        object->SaveFrame(buffer, size, width, height, type);
}

void CPlayPort::SaveFrame(const char* buffer, std::int64_t size, int width, int height, int type)
{
    std::shared_ptr<SnapshotRequest> request;
    {
        std::lock_guard<std::mutex> guard(m_snapshotLock);
        request = std::move(m_snapshot);  // one frame per request
    }
    if (!request)
        return;
    const bool done = request->jpeg ? VRend_ConvertToJpegFile(buffer, size, width, height, type, request->path.c_str())
                                    : VRend_ConvertToBmpFile(buffer, size, width, height, type, request->path.c_str());
    std::lock_guard<std::mutex> lock(request->lock);
    request->done = done;
    request->posted = true;
    request->cond.notify_all();
}

// ---- Clips -------------------------------------------------------------------------------------------

void CPlayPort::ClipName(time_t frameTime, bool dated, Varpen::COutputPackage::Name* name) const
{
    name->kind = Varpen::OutputKind::Clip;
    name->dateOf = dated ? frameTime : -1;
    name->label = m_clipLabel;
    name->channelPlusOne = m_clipChannel;
    name->stamp = dated ? frameTime : time(nullptr);
}

bool CPlayPort::OpenClipPackageLocked(time_t frameTime, bool dated)
{
    Varpen::COutputPackage::Name name;
    ClipName(frameTime, dated, &name);
    if (!m_clipFile.Open(name)) {
        qCWarning(lcEngine, "--qarn-- clip file: %s", m_clipFile.Error().c_str());
        std::lock_guard<std::mutex> guard(m_snapshotLock);
        m_outputError = m_clipFile.Error();
        return false;
    }
    m_clipPath = m_clipFile.FinalPath();
    m_clipStart = time(nullptr);
    m_clipBytes = 0;
    m_packagePictures = 0;
    return true;
}

// The package being written goes (the finished ones stay); the clip has ended on a failure.
void CPlayPort::FailClipLocked()
{
    if (!m_clipFile.Error().empty()) {
        qCWarning(lcEngine, "--qarn-- clip file: %s", m_clipFile.Error().c_str());
        std::lock_guard<std::mutex> guard(m_snapshotLock);
        m_outputError = m_clipFile.Error();
    }
    m_clipFile.Abandon();
    m_clipping = false;
    m_clipWriting = false;
    m_clipBytes = 0;
    m_packagePictures = 0;
    m_clipFailed = true;
}

// Under m_clipControl: the player layer's clip ends; every block it had is written when this
// returns.
void CPlayPort::EndPlayerClipLocked()
{
    if (m_clipPort != -1)
        VRend_StopClip(m_clipPort);
    m_clipPort = -1;
}

// A clip that lost its port (a stream the player layer refused) goes on on the port just opened.
void CPlayPort::ResumePlayerClip()
{
    if (!m_clipping)
        return;
    std::lock_guard<std::mutex> control(m_clipControl);
    const int port = m_port;
    if (m_clipping && m_clipPort == -1 && port != -1 && VRend_StartClip(port, &CPlayPort::ClipCallback, this))
        m_clipPort = port;
}

void CPlayPort::ClipCallback(int, int type, const std::uint8_t* data, std::uint32_t size, std::int64_t time_ms,
                             void* user)
{
    static_cast<CPlayPort*>(user)->WriteClip(type, data, size, time_ms);
}

bool CPlayPort::StartClip(const Varpen::CSingleFile& file, time_t time)
{
    std::lock_guard<std::mutex> control(m_clipControl);
    if (m_clipping)
        return true;
    const int port = m_port;
    if (port == -1)
        return false;
    time_t frameTime = -1;
    if (time != -1) {
        frameTime = GetAbsTime();
        if (frameTime == -1)
            return false;
    }
    // A clip that ended on a failure may still run in the player layer.
    EndPlayerClipLocked();
    {
        std::lock_guard<std::mutex> guard(m_clipLock);
        m_clipChannel = file.GetChannel() + 1;
        m_clipLabel = file.GetLabel();
        m_clipFailed = false;
        m_clipPackages.clear();
        m_clipPictures = 0;
        std::memset(m_runHeader, 0, sizeof m_runHeader);
        m_newStream = false;
        if (!OpenClipPackageLocked(frameTime, time != -1))
            return false;
        m_clipping = true;
        m_clipWriting = true;
    }
    if (!VRend_StartClip(port, &CPlayPort::ClipCallback, this)) {
        std::lock_guard<std::mutex> guard(m_clipLock);
        m_clipFile.Abandon();
        m_clipping = false;
        m_clipWriting = false;
        return false;
    }
    m_clipPort = port;
    return true;
}

void CPlayPort::WriteClip(int type, const unsigned char* data, unsigned int size, std::int64_t time_ms)
{
    std::lock_guard<std::mutex> guard(m_clipLock);
    if (!m_clipWriting || !data)
        return;
    if (type == VREND_CLIP_HEADER) {
        std::memset(m_runHeader, 0, sizeof m_runHeader);
        std::memcpy(m_runHeader, data, std::min<std::size_t>(size, sizeof m_runHeader));
        m_newStream = true;
        return;
    }
    try {
        if (type == VREND_CLIP_DATA) {
            // The rest of a group too large for one block: it stays with its keyframe.
            if (m_packagePictures > 0) {
                m_clipFile.Write(data, size);
                m_clipBytes += size;
            }
            return;
        }
        if (type != VREND_CLIP_KEY)
            return;
        // A package rolls over before a group that would take it past the package size, and
        // when a new stream begins (the next file: its own header and time line), so that each
        // package begins with its stream's header and a keyframe and plays by itself.
        if (m_packagePictures > 0 &&
            (m_newStream || std::uint64_t(m_clipBytes) + size > m_settings().clipPackage_bytes)) {
            if (!m_clipFile.Finish()) {
                FailClipLocked();
                return;
            }
            m_lastClipPath = m_clipFile.FinalPath();
            m_clipPackages.push_back(m_lastClipPath);
            // Named after its first picture; a stream without times is named by the clock.
            const time_t first = time_ms >= 0 ? time_t(time_ms / 1000) : time_t(-1);
            if (!OpenClipPackageLocked(first, first != -1)) {
                FailClipLocked();
                return;
            }
        }
        if (m_packagePictures == 0) {
            m_clipFile.Write(m_runHeader, kHeaderBytes);
            m_clipBytes = kHeaderBytes;
        }
        m_newStream = false;
        m_clipFile.Write(data, size);
        m_clipBytes += size;
        ++m_packagePictures;
        ++m_clipPictures;
    } catch (const Varpen::CStorageException&) {
        // Disk full or medium gone.
        FailClipLocked();
    }
}

void CPlayPort::StopClip()
{
    std::lock_guard<std::mutex> control(m_clipControl);
    // Everything shown reaches WriteClip before this returns.
    EndPlayerClipLocked();
    std::lock_guard<std::mutex> guard(m_clipLock);
    if (m_fileMode || !m_clipping)
        return;
    m_clipping = false;
    m_clipWriting = false;
    if (m_packagePictures == 0) {
        // Nothing after the last roll-over stays; a clip without any picture has failed.
        m_clipFile.Abandon();
        m_clipBytes = 0;
        if (m_clipPictures == 0) {
            qCWarning(lcEngine, "--qarn-- clip: no picture was recorded");
            m_clipFailed = true;
        }
        return;
    }
    m_clipBytes = 0;
    m_packagePictures = 0;
    if (!m_clipFile.Finish()) {
        FailClipLocked();
        return;
    }
    m_lastClipPath = m_clipFile.FinalPath();
    m_clipPackages.push_back(m_lastClipPath);
}

std::string CPlayPort::GetClipPath()
{
    std::lock_guard<std::mutex> guard(m_clipLock);
    return m_clipPath;
}

std::string CPlayPort::GetLastClipPath()
{
    std::lock_guard<std::mutex> guard(m_clipLock);
    return m_lastClipPath;
}

std::vector<std::string> CPlayPort::GetClipPackages()
{
    std::lock_guard<std::mutex> guard(m_clipLock);
    return m_clipPackages;
}
