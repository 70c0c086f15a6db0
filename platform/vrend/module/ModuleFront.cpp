// The program's side of the player module: the player layer's calls, each forwarded to the
// module. Only VRend_Prepare, VRend_GetPort and SF_LocatorOpen load it; until then no port or locator exists, so
// every other call answers as it does for an unknown port or handle, without loading anything.
// VRend_Prepare loads it ahead, on the caller's (a worker's) thread.
// A module that cannot be loaded is reported once, and then every port and locator fails to
// open (the engine reports that as it reports any player that cannot open).
#include "platform/vrend/module/PlayerModule.h"

#include "platform/vrend/Logging.h"
#include "platform/vrend/VideoSurface.h"

#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <mutex>
#include <string>

namespace {


const PlayerModuleHost kHost = {kPlayerModuleVersion, &vrend::surfaces::PixelSize, &vrend::surfaces::Publish,
                                &vrend::surfaces::Clear, &vrend::surfaces::Exists};

std::mutex g_load_mutex;  // guards the load and g_log_hook
std::atomic<const PlayerModuleCalls*> g_calls{nullptr};
bool g_load_failed = false;
SF_LogHook g_log_hook = nullptr;

// The module's path: VARPEN_PLAYER_MODULE_PATH is relative to the folder of the executable, the
// same in the build tree and under an installed prefix.
std::string ModulePath()
{
    char exe[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string dir = n > 0 ? std::string(exe, static_cast<std::size_t>(n)) : std::string();
    const std::size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? std::string(".") : dir.substr(0, slash);
    return std::filesystem::path(dir + "/" VARPEN_PLAYER_MODULE_PATH).lexically_normal().string();
}

const PlayerModuleCalls* Loaded()
{
    return g_calls.load(std::memory_order_acquire);
}

const PlayerModuleCalls* Load()
{
    if (const PlayerModuleCalls* calls = Loaded())
        return calls;
    std::lock_guard lock(g_load_mutex);
    if (const PlayerModuleCalls* calls = g_calls.load(std::memory_order_relaxed))
        return calls;
    if (g_load_failed)
        return nullptr;
    const std::string path = ModulePath();
    // Never closed: its threads and statics live as long as the process.
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        qCWarning(lcVrend, "the player module cannot be loaded, nothing will play: %s", dlerror());
        g_load_failed = true;
        return nullptr;
    }
    const auto open = reinterpret_cast<PlayerModuleOpenFn>(dlsym(handle, VARPEN_PLAYER_ENTRY));
    const PlayerModuleCalls* calls = open ? open(&kHost) : nullptr;
    if (!calls || calls->version != kPlayerModuleVersion) {
        qCWarning(lcVrend, "the player module %s is not of this build, nothing will play", path.c_str());
        g_load_failed = true;
        return nullptr;
    }
    calls->SF_SetLogHook(g_log_hook);
    g_calls.store(calls, std::memory_order_release);
    return calls;
}

}  // namespace

// Forwards to the loaded module, or answers `fallback` (what the layer answers for an unknown
// port or handle) when it is not loaded.
#define FORWARD(name, fallback, ...)                                                                                   \
    if (const PlayerModuleCalls* calls = Loaded())                                                                     \
        return calls->name(__VA_ARGS__);                                                                               \
    return fallback

bool VRend_Prepare()
{
    return Load() != nullptr;
}

bool VRend_GetPort(int* port)
{
    const PlayerModuleCalls* calls = Load();
    return calls && calls->VRend_GetPort(port);
}

bool VRend_FreePort(int port)
{
    FORWARD(VRend_FreePort, false, port);
}
bool VRend_SetStreamOpenMode(int port, std::uint32_t mode)
{
    FORWARD(VRend_SetStreamOpenMode, false, port, mode);
}
bool VRend_SetDisplayCallBack(int port, VRendDisplayFn callback)
{
    FORWARD(VRend_SetDisplayCallBack, false, port, callback);
}
bool VRend_OpenStream(int port, const std::uint8_t* header, std::uint32_t header_size_bytes,
                      std::uint32_t buffer_size_bytes)
{
    FORWARD(VRend_OpenStream, false, port, header, header_size_bytes, buffer_size_bytes);
}
bool VRend_CloseStream(int port)
{
    FORWARD(VRend_CloseStream, false, port);
}
bool VRend_SetDisplayBuf(int port, std::uint32_t frame_count)
{
    FORWARD(VRend_SetDisplayBuf, false, port, frame_count);
}
bool VRend_Play(int port, std::uint32_t window)
{
    FORWARD(VRend_Play, false, port, window);
}
bool VRend_Stop(int port)
{
    FORWARD(VRend_Stop, false, port);
}
bool VRend_InputData(int port, const std::uint8_t* data, std::uint32_t size_bytes)
{
    FORWARD(VRend_InputData, false, port, data, size_bytes);
}
bool VRend_InputEnd(int port)
{
    FORWARD(VRend_InputEnd, false, port);
}
std::uint32_t VRend_GetSourceBufferRemain(int port)
{
    FORWARD(VRend_GetSourceBufferRemain, 0u, port);
}
bool VRend_ResetSourceBuffer(int port)
{
    FORWARD(VRend_ResetSourceBuffer, false, port);
}
bool VRend_SetStartTime(int port, std::int64_t time)
{
    FORWARD(VRend_SetStartTime, false, port, time);
}
bool VRend_SetTimeOrigin(int port, std::int64_t start_time, std::int64_t first_pts)
{
    FORWARD(VRend_SetTimeOrigin, false, port, start_time, first_pts);
}
bool VRend_Pause(int port, std::uint32_t pause)
{
    FORWARD(VRend_Pause, false, port, pause);
}
bool VRend_Fast(int port)
{
    FORWARD(VRend_Fast, false, port);
}
bool VRend_Slow(int port)
{
    FORWARD(VRend_Slow, false, port);
}
bool VRend_ThrowBFrameNum(int port, std::uint32_t count)
{
    FORWARD(VRend_ThrowBFrameNum, false, port, count);
}
bool VRend_OneByOne(int port)
{
    FORWARD(VRend_OneByOne, false, port);
}
bool VRend_OneByOneBack(int port)
{
    FORWARD(VRend_OneByOneBack, false, port);
}
bool VRend_RefreshPlay(int port)
{
    FORWARD(VRend_RefreshPlay, false, port);
}
bool VRend_GetPictureSize(int port, int* width, int* height)
{
    FORWARD(VRend_GetPictureSize, false, port, width, height);
}
std::uint32_t VRend_GetSpecialData(int port)
{
    FORWARD(VRend_GetSpecialData, SF_NO_TIME, port);
}
std::uint32_t VRend_GetFramesAhead(int port)
{
    FORWARD(VRend_GetFramesAhead, 0u, port);
}
std::int64_t VRend_GetShownTimeMs(int port)
{
    FORWARD(VRend_GetShownTimeMs, std::int64_t(-1), port);
}
std::uint32_t VRend_GetPlayedTime(int port)
{
    FORWARD(VRend_GetPlayedTime, 0u, port);
}
bool VRend_SetDisplayRegion(int port, std::uint32_t region_num, const VRendRect* rect, std::uint32_t dest_window,
                            std::uint32_t enable)
{
    FORWARD(VRend_SetDisplayRegion, false, port, region_num, rect, dest_window, enable);
}
bool VRend_RegisterDrawFun(int port, VRendDrawFn callback, void* user)
{
    FORWARD(VRend_RegisterDrawFun, false, port, callback, user);
}
// A frame of a display callback only exists once the module runs.
bool VRend_ConvertToJpegFile(const char* buffer, std::int64_t size_bytes, int width, int height, int type,
                             const char* path)
{
    FORWARD(VRend_ConvertToJpegFile, false, buffer, size_bytes, width, height, type, path);
}
bool VRend_ConvertToBmpFile(const char* buffer, std::int64_t size_bytes, int width, int height, int type,
                            const char* path)
{
    FORWARD(VRend_ConvertToBmpFile, false, buffer, size_bytes, width, height, type, path);
}
bool VRend_PlaySound(int port)
{
    FORWARD(VRend_PlaySound, false, port);
}
// Nothing sounds before the module runs.
bool VRend_StopSound()
{
    FORWARD(VRend_StopSound, true);
}
bool VRend_SetVolume(int port, std::uint16_t volume)
{
    FORWARD(VRend_SetVolume, false, port, volume);
}
bool VRend_StartClip(int port, VRendClipFn callback, void* user)
{
    FORWARD(VRend_StartClip, false, port, callback, user);
}
bool VRend_StopClip(int port)
{
    FORWARD(VRend_StopClip, false, port);
}
std::uint32_t VRend_GetLastError(int port)
{
    FORWARD(VRend_GetLastError, std::uint32_t(VREND_ERR_BAD_PORT), port);
}

std::int64_t SF_LocatorOpen(const char* path, std::int64_t fallback_start_time)
{
    const PlayerModuleCalls* calls = Load();
    return calls ? calls->SF_LocatorOpen(path, fallback_start_time) : -1;
}
bool SF_LocatorGetInfo(std::int64_t handle, SF_StreamInfo* info)
{
    FORWARD(SF_LocatorGetInfo, false, handle, info);
}
std::int64_t SF_LocatorFindPacket(std::int64_t handle, std::int64_t wanted, int mode)
{
    FORWARD(SF_LocatorFindPacket, std::int64_t(-1), handle, wanted, mode);
}
std::int64_t SF_LocatorScan(std::int64_t handle, SF_PacketFn fn, void* user)
{
    FORWARD(SF_LocatorScan, std::int64_t(-1), handle, fn, user);
}
std::int64_t SF_LocatorBytesRead(std::int64_t handle)
{
    FORWARD(SF_LocatorBytesRead, std::int64_t(-1), handle);
}
bool SF_LocatorClose(std::int64_t handle)
{
    FORWARD(SF_LocatorClose, false, handle);
}

// Kept for the module, which routes its own and FFmpeg's lines to it from when it is loaded.
void SF_SetLogHook(SF_LogHook hook)
{
    std::lock_guard lock(g_load_mutex);
    g_log_hook = hook;
    if (const PlayerModuleCalls* calls = g_calls.load(std::memory_order_relaxed))
        calls->SF_SetLogHook(hook);
}

bool vrend_test_GetStats(int port, vrend::PortStats* stats)
{
    FORWARD(vrend_test_GetStats, false, port, stats);
}
