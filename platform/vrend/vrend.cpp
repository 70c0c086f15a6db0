#include "platform/vrend/vrend.h"

#include <malloc.h>

#include <QImage>
#include <QSaveFile>

#include <array>
#include <chrono>
#include <cstdio>
#include <thread>

#include "platform/vrend/Port.h"
#include "platform/vrend/vrend_test.h"

namespace vrend {

std::atomic<int> g_sound_port{-1};

namespace {

class SteadyClock : public Clock {
public:
    std::int64_t NowNs() const override
    {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

// The allocator's rules for the whole process, set once when the layer is first used. A port's big
// buffers (its ring, the decoder's pictures, the pictures for its surface) are pages of their own
// (see MapPages); the heaps serve what the demuxers and decoders ask for: packets, tables,
// contexts. Every thread allocates from a heap of its own, and the allocator gives back of such a
// heap only the free space at its end, and only when a free leaves more there than the trim
// threshold. With the allocator's sliding thresholds (raised up to 64 MB as it maps big blocks)
// and small freed blocks parked apart (fast bins) in front of that space, what 16 stopped decoders
// had freed stayed in the process, 8 to 20 MB per heap. So:
// - blocks of 256 KB and more (keyframes, the decoders' biggest tables) are mapped and unmapped on
//   their own, and a heap keeps at most 128 KB free at its end: fixed thresholds, not sliding;
// - no fast bins: a small block freed joins the free space beside it at once (the per-thread
//   caches in front of the heaps still serve small blocks quickly), so the heap of a decoding
//   thread that ended shrinks as that thread's last blocks go.
// A file change then maps the decoder's tables afresh; the pictures stay in the port's pools.
void SetHeapRules()
{
    mallopt(M_MMAP_THRESHOLD, 256 << 10);
    mallopt(M_TRIM_THRESHOLD, 128 << 10);
    mallopt(M_MXFAST, 0);
}

struct Library {
    Library() { SetHeapRules(); }
    std::mutex mutex;
    std::array<std::shared_ptr<Port>, VREND_MAX_PORTS> ports;
    std::shared_ptr<Clock> clock = std::make_shared<SteadyClock>();
    std::mutex sound_mutex;  // serialises sound switching
};

Library& lib()
{
    static Library* l = new Library;  // ports may still be closing while statics go away
    return *l;
}

std::shared_ptr<Port> FindPort(int port)
{
    if (port < 0 || port >= VREND_MAX_PORTS)
        return nullptr;
    std::lock_guard lock(lib().mutex);
    return lib().ports[static_cast<std::size_t>(port)];
}

// Runs a control call serialised on the port; false (error 1) for an unknown port.
template <typename F>
bool Call(int port, F&& f)
{
    auto p = FindPort(port);
    if (!p)
        return false;
    std::lock_guard lock(p->api);
    return f(*p);
}

const AVFrame* FrameOf(const char* buffer, std::int64_t size, int type)
{
    if (!buffer || type != VREND_FRAME_TYPE || size != static_cast<std::int64_t>(sizeof(FrameRef)))
        return nullptr;
    const auto* ref = reinterpret_cast<const FrameRef*>(buffer);
    return ref->magic == FrameRef::kMagic ? ref->frame : nullptr;
}

bool SaveFrame(const char* buffer, std::int64_t size, int type, const char* path, const char* format)
{
    const AVFrame* frame = FrameOf(buffer, size, type);
    if (!frame || !path)
        return false;
    QImage image = FrameToImage(frame, nullptr, QSize(), nullptr);
    if (image.isNull())
        return false;
    // Through a temporary file beside the target, renamed when complete: a failed write leaves
    // whatever stood under the name whole.
    QSaveFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // The explicit flush: a buffered tail that cannot be written would otherwise go unnoticed by
    // the commit.
    if (!image.save(&file, format, 90) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace

std::shared_ptr<Clock> CurrentClock()
{
    std::lock_guard lock(lib().mutex);
    return lib().clock;
}

void WakeAllPorts()
{
    std::array<std::shared_ptr<Port>, VREND_MAX_PORTS> ports;
    {
        std::lock_guard lock(lib().mutex);
        ports = lib().ports;
    }
    for (auto& p : ports)
        if (p)
            p->Wake();
}

std::int64_t VirtualClock::NowNs() const
{
    return now_ns_;
}

void VirtualClock::Advance(std::int64_t delta_ns)
{
    now_ns_ += delta_ns;
    WakeAllPorts();
}

}  // namespace vrend

using vrend::Call;
using vrend::Port;

bool VRend_Prepare()
{
    return true;  // linked in: nothing to load
}

bool VRend_GetPort(int* port)
{
    if (!port)
        return false;
    auto& l = vrend::lib();
    std::lock_guard lock(l.mutex);
    for (int i = 0; i < VREND_MAX_PORTS; ++i) {
        if (!l.ports[static_cast<std::size_t>(i)]) {
            l.ports[static_cast<std::size_t>(i)] = std::make_shared<Port>(i);
            *port = i;
            return true;
        }
    }
    return false;
}

bool VRend_FreePort(int port)
{
    std::shared_ptr<Port> p;
    {
        auto& l = vrend::lib();
        std::lock_guard lock(l.mutex);
        if (port < 0 || port >= VREND_MAX_PORTS)
            return false;
        p = std::move(l.ports[static_cast<std::size_t>(port)]);
    }
    if (!p)
        return false;
    int expected = port;
    vrend::g_sound_port.compare_exchange_strong(expected, -1);
    p->StopClip();
    std::lock_guard lock(p->api);
    p->Close();
    return true;
}

bool VRend_SetStreamOpenMode(int port, std::uint32_t mode)
{
    return Call(port, [&](Port& p) { return mode <= 1 ? true : (p.SetError(VREND_ERR_BAD_PORT), false); });
}

bool VRend_SetDisplayCallBack(int port, VRendDisplayFn callback)
{
    return Call(port, [&](Port& p) { return p.SetDisplayCallback(callback), true; });
}

bool VRend_OpenStream(int port, const std::uint8_t* header, std::uint32_t header_size_bytes,
                      std::uint32_t buffer_size_bytes)
{
    return Call(port, [&](Port& p) { return p.Open(header, header_size_bytes, buffer_size_bytes); });
}

bool VRend_CloseStream(int port)
{
    return Call(port, [&](Port& p) {
        if (!p.IsOpen())
            return p.SetError(VREND_ERR_NOT_OPEN), false;
        p.FlushSound();
        p.Close();
        return true;
    });
}

bool VRend_SetDisplayBuf(int port, std::uint32_t frame_count)
{
    return Call(port, [&](Port& p) {
        if (frame_count == 0)
            return p.SetError(VREND_ERR_BAD_PORT), false;
        p.SetDisplayBuf(frame_count);
        return true;
    });
}

bool VRend_Play(int port, std::uint32_t window)
{
    return Call(port, [&](Port& p) { return p.Play(window); });
}
bool VRend_Stop(int port)
{
    return Call(port, [&](Port& p) { return p.Stop(); });
}

bool VRend_InputData(int port, const std::uint8_t* data, std::uint32_t size_bytes)
{
    // Not serialised on the port's call lock: it never blocks, and a close that runs meanwhile
    // simply makes it refuse.
    auto p = vrend::FindPort(port);
    return p && p->Input(data, size_bytes);
}

bool VRend_InputEnd(int port)
{
    return Call(port, [&](Port& p) { return p.InputEnd(); });
}

std::uint32_t VRend_GetSourceBufferRemain(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->Remain() : 0;
}

bool VRend_ResetSourceBuffer(int port)
{
    return Call(port, [&](Port& p) { return p.Reset(); });
}
bool VRend_SetStartTime(int port, std::int64_t time)
{
    return Call(port, [&](Port& p) { return p.SetStartTime(time); });
}
bool VRend_SetTimeOrigin(int port, std::int64_t start_time, std::int64_t first_pts)
{
    return Call(port, [&](Port& p) { return p.SetTimeOrigin(start_time, first_pts); });
}
bool VRend_Pause(int port, std::uint32_t pause)
{
    return Call(port, [&](Port& p) { return p.Pause(pause != 0); });
}
bool VRend_Fast(int port)
{
    return Call(port, [&](Port& p) { return p.ChangeLevel(+1); });
}
bool VRend_Slow(int port)
{
    return Call(port, [&](Port& p) { return p.ChangeLevel(-1); });
}
bool VRend_ThrowBFrameNum(int port, std::uint32_t count)
{
    return Call(port, [&](Port& p) { return p.ThrowB(count); });
}
bool VRend_OneByOne(int port)
{
    return Call(port, [&](Port& p) { return p.StepForward(); });
}
bool VRend_OneByOneBack(int port)
{
    return Call(port, [&](Port& p) { return p.StepBack(); });
}
bool VRend_RefreshPlay(int port)
{
    return Call(port, [&](Port& p) { return p.Refresh(); });
}

bool VRend_GetPictureSize(int port, int* width, int* height)
{
    auto p = vrend::FindPort(port);
    return p && p->PictureSize(width, height);
}

std::uint32_t VRend_GetSpecialData(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->Packed() : SF_NO_TIME;
}

std::uint32_t VRend_GetFramesAhead(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->FramesAhead() : 0;
}

std::int64_t VRend_GetShownTimeMs(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->ShownTimeMs() : -1;
}

std::uint32_t VRend_GetPlayedTime(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->PlayedSeconds() : 0;
}

bool VRend_SetDisplayRegion(int port, std::uint32_t region_num, const VRendRect* rect, std::uint32_t,
                            std::uint32_t enable)
{
    return Call(port, [&](Port& p) {
        if (region_num != 0)
            return p.SetError(VREND_ERR_BAD_PORT), false;
        return p.SetRegion(enable ? rect : nullptr);
    });
}

bool VRend_RegisterDrawFun(int port, VRendDrawFn callback, void* user)
{
    return Call(port, [&](Port& p) { return p.SetDrawCallback(callback, user), true; });
}

bool VRend_ConvertToJpegFile(const char* buffer, std::int64_t size_bytes, int, int, int type, const char* path)
{
    return vrend::SaveFrame(buffer, size_bytes, type, path, "JPEG");
}

bool VRend_ConvertToBmpFile(const char* buffer, std::int64_t size_bytes, int, int, int type, const char* path)
{
    return vrend::SaveFrame(buffer, size_bytes, type, path, "BMP");
}

bool VRend_PlaySound(int port)
{
    auto p = vrend::FindPort(port);
    if (!p)
        return false;
    std::lock_guard lock(vrend::lib().sound_mutex);
    const int previous = vrend::g_sound_port.exchange(port);
    if (previous != port)
        vrend::CurrentAudioSink()->Flush();
    // A machine without an audio device plays silently: the call still succeeds.
    vrend::CurrentAudioSink();
    return true;
}

bool VRend_StopSound()
{
    std::lock_guard lock(vrend::lib().sound_mutex);
    if (vrend::g_sound_port.exchange(-1) >= 0)
        vrend::CurrentAudioSink()->Flush();
    return true;
}

bool VRend_SetVolume(int port, std::uint16_t volume)
{
    return Call(port, [&](Port& p) { return p.SetVolume(volume), true; });
}

bool VRend_StartClip(int port, VRendClipFn callback, void* user)
{
    auto p = vrend::FindPort(port);
    if (!p)
        return false;
    if (!callback)
        return p->SetError(VREND_ERR_BAD_PORT), false;
    return p->StartClip(callback, user);
}

bool VRend_StopClip(int port)
{
    auto p = vrend::FindPort(port);
    return p && p->StopClip();
}

std::uint32_t VRend_GetLastError(int port)
{
    auto p = vrend::FindPort(port);
    return p ? p->LastError() : VREND_ERR_BAD_PORT;
}

// ---- Test seams -------------------------------------------------------------------------------

void vrend_test_SetClock(std::shared_ptr<vrend::Clock> clock)
{
    std::lock_guard lock(vrend::lib().mutex);
    vrend::lib().clock = clock ? std::move(clock) : std::make_shared<vrend::SteadyClock>();
}

void vrend_test_SetAudioSink(std::shared_ptr<vrend::AudioSink> sink)
{
    vrend::SetAudioSinkOverride(std::move(sink));
}

bool vrend_test_GetStats(int port, vrend::PortStats* stats)
{
    auto p = vrend::FindPort(port);
    if (!p || !stats)
        return false;
    *stats = p->Stats();
    return true;
}

bool vrend_test_GetMemory(int port, vrend::PortMemory* memory)
{
    auto p = vrend::FindPort(port);
    if (!p || !memory)
        return false;
    *memory = p->Memory();
    return true;
}

bool vrend_test_ClearTotals(int port)
{
    auto p = vrend::FindPort(port);
    if (!p)
        return false;
    p->ClearTotals();
    return true;
}

bool vrend_test_WaitSettled(int port, int timeout_ms)
{
    auto p = vrend::FindPort(port);
    if (!p)
        return false;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    int settled_in_a_row = 0;
    while (std::chrono::steady_clock::now() < deadline) {
        // Two looks in a row guard against a presenter that was just woken.
        settled_in_a_row = p->Settled() ? settled_in_a_row + 1 : 0;
        if (settled_in_a_row >= 2)
            return true;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    return false;
}

QImage vrend_test_FrameImage(const char* buffer, std::int64_t size_bytes, int type)
{
    const AVFrame* frame = vrend::FrameOf(buffer, size_bytes, type);
    return frame ? vrend::FrameToImage(frame, nullptr, QSize(), nullptr) : QImage();
}
