// The module's side: its table of calls, and the video surface registry reached through the
// program's host calls.
#include "platform/vrend/module/PlayerModule.h"

#include "platform/vrend/VideoSurface.h"

namespace {

const PlayerModuleHost* g_host = nullptr;  // set once, before any call of the table

}  // namespace

namespace vrend::surfaces {

QSize PixelSize(std::uint32_t id)
{
    return g_host->surface_pixel_size(id);
}

bool Publish(std::uint32_t id, const QImage& image, int port, VRendDrawFn draw, void* user)
{
    return g_host->surface_publish(id, image, port, draw, user);
}

void Clear(std::uint32_t id)
{
    g_host->surface_clear(id);
}

bool Exists(std::uint32_t id)
{
    return g_host->surface_exists(id);
}

}  // namespace vrend::surfaces

extern "C" __attribute__((visibility("default"))) const PlayerModuleCalls*
varpen_player_module_open(const PlayerModuleHost* host)
{
    if (!host || host->version != kPlayerModuleVersion)
        return nullptr;
    g_host = host;
    static const PlayerModuleCalls calls = {kPlayerModuleVersion,
#define VARPEN_PLAYER_CALL_ENTRY(name) &::name,
                                            VARPEN_PLAYER_CALLS(VARPEN_PLAYER_CALL_ENTRY)
#undef VARPEN_PLAYER_CALL_ENTRY
    };
    return &calls;
}
