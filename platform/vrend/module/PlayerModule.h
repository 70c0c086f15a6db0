// The player layer as a module the program loads when it first needs it: FFmpeg, the audio
// output and everything that decodes or demuxes sit in varpen-player.so, so that the program
// starts without them (they bring in over a hundred shared libraries). The program links a
// small front (ModuleFront.cpp) that offers the same VRend_* and SF_Locator* calls and forwards
// each to the module, loading it on the first call that needs a port or a file; the video
// surfaces stay in the program, and the module reaches them through the host calls below.
// Tests and tools link the player layer directly and never see this.
#pragma once

#include <QImage>
#include <QSize>

#include <cstdint>

#include "platform/streamfmt/PacketLocator.h"
#include "platform/streamfmt/StreamLog.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"

// Raised whenever the tables below change: a module of another build is refused.
constexpr std::uint32_t kPlayerModuleVersion = 2;

// The calls the module offers, in the order of its table.
// clang-format off
#define VARPEN_PLAYER_CALLS(X)                                                                                         \
    X(VRend_GetPort)                                                                                                   \
    X(VRend_FreePort) X(VRend_SetStreamOpenMode) X(VRend_SetDisplayCallBack) X(VRend_OpenStream) X(VRend_CloseStream)  \
        X(VRend_SetDisplayBuf) X(VRend_Play) X(VRend_Stop) X(VRend_InputData) X(VRend_InputEnd)                        \
            X(VRend_GetSourceBufferRemain) X(VRend_ResetSourceBuffer) X(VRend_SetStartTime) X(VRend_SetTimeOrigin)     \
                X(VRend_Pause) X(VRend_Fast) X(VRend_Slow) X(VRend_ThrowBFrameNum) X(VRend_OneByOne)                   \
                    X(VRend_OneByOneBack) X(VRend_RefreshPlay) X(VRend_GetPictureSize) X(VRend_GetSpecialData)         \
                        X(VRend_GetPlayedTime) X(VRend_SetDisplayRegion) X(VRend_RegisterDrawFun)                      \
                            X(VRend_ConvertToJpegFile) X(VRend_ConvertToBmpFile) X(VRend_PlaySound) X(VRend_StopSound) \
                                X(VRend_SetVolume) X(VRend_StartClip) X(VRend_StopClip) X(VRend_GetLastError)          \
                                    X(SF_LocatorOpen) X(SF_LocatorGetInfo) X(SF_LocatorFindPacket) X(SF_LocatorScan)   \
                                        X(SF_LocatorBytesRead) X(SF_LocatorClose) X(SF_SetLogHook)                     \
                                            X(vrend_test_GetStats) X(VRend_GetShownTimeMs) X(VRend_GetFramesAhead)
// clang-format on

struct PlayerModuleCalls {
    std::uint32_t version;
#define VARPEN_PLAYER_CALL_FIELD(name) decltype(&::name) name;
    VARPEN_PLAYER_CALLS(VARPEN_PLAYER_CALL_FIELD)
#undef VARPEN_PLAYER_CALL_FIELD
};

// What the program offers the module: the video surface registry (vrend::surfaces).
struct PlayerModuleHost {
    std::uint32_t version;
    QSize (*surface_pixel_size)(std::uint32_t id);
    bool (*surface_publish)(std::uint32_t id, const QImage& image, int port, VRendDrawFn draw, void* user);
    void (*surface_clear)(std::uint32_t id);
    bool (*surface_exists)(std::uint32_t id);
};

// The module's one exported symbol: takes the host (kept for the process's life) and returns
// the module's table, or null when `host` is of another version.
#define VARPEN_PLAYER_ENTRY "varpen_player_module_open"
using PlayerModuleOpenFn = const PlayerModuleCalls* (*)(const PlayerModuleHost* host);
