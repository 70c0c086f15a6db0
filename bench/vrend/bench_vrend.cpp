// Figures of the player layer: decode-and-show cost against plain decoding, many ports at real
// time, stepping back, memory per port. Streams are made at run time (cached in /tmp).
//
//   bench_vrend [seconds-per-run]
#include <QApplication>
#include <QFile>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/testing/StreamMaker.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"

using vrend::testing::Stream;
using vrend::testing::StreamSpec;

namespace {

double CpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

double WallSeconds()
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

long RssKb()
{
    std::ifstream f("/proc/self/status");
    std::string key;
    while (f >> key) {
        if (key == "VmRSS:") {
            long kb = 0;
            f >> kb;
            return kb;
        }
        f.ignore(1 << 12, '\n');
    }
    return 0;
}

Stream Cached(const char* name, const StreamSpec& spec)
{
    const QString path = QString("/tmp/vrend-bench-%1.bin").arg(name);
    QFile f(path);
    Stream s;
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray all = f.readAll();
        if (all.size() > 40) {
            s.header.assign(all.begin(), all.begin() + 40);
            s.body.assign(all.begin() + 40, all.end());
            return s;
        }
    }
    std::fprintf(stderr, "making %s stream...\n", name);
    s = vrend::testing::MakeStream(spec);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(reinterpret_cast<const char*>(s.header.data()), 40);
        f.write(reinterpret_cast<const char*>(s.body.data()), static_cast<qint64>(s.body.size()));
    }
    return s;
}

// Plain libavcodec decoding of the stream's video, as the port sets it up.
double PlainDecodeCpuPerFrame(const Stream& s, int* frames_out)
{
    struct Reader {
        const Stream* s;
        std::size_t pos = 0;
    } reader{&s};
    auto* buf = static_cast<std::uint8_t*>(av_malloc(32768));
    AVIOContext* io = avio_alloc_context(
        buf, 32768, 0, &reader,
        [](void* o, std::uint8_t* out, int n) -> int {
            auto* r = static_cast<Reader*>(o);
            const std::size_t left = r->s->body.size() - r->pos;
            if (!left)
                return AVERROR_EOF;
            const int k = static_cast<int>(std::min<std::size_t>(left, static_cast<std::size_t>(n)));
            std::copy_n(r->s->body.data() + r->pos, k, out);
            r->pos += static_cast<std::size_t>(k);
            return k;
        },
        nullptr, nullptr);
    AVFormatContext* fmt = avformat_alloc_context();
    fmt->pb = io;
    avformat_open_input(&fmt, nullptr, av_find_input_format("mpegts"), nullptr);
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    int frames = 0;
    const double cpu0 = CpuSeconds();
    while (av_read_frame(fmt, pkt) >= 0) {
        AVStream* st = fmt->streams[pkt->stream_index];
        if (!dec && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            const AVCodec* c = avcodec_find_decoder(st->codecpar->codec_id);
            dec = avcodec_alloc_context3(c);
            avcodec_parameters_to_context(dec, st->codecpar);
            dec->thread_count = 2;
            dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
            avcodec_open2(dec, c, nullptr);
        }
        if (dec && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            avcodec_send_packet(dec, pkt);
            while (avcodec_receive_frame(dec, frame) >= 0)
                ++frames;
        }
        av_packet_unref(pkt);
    }
    avcodec_send_packet(dec, nullptr);
    while (avcodec_receive_frame(dec, frame) >= 0)
        ++frames;
    const double cpu = CpuSeconds() - cpu0;
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    av_freep(&io->buffer);
    avio_context_free(&io);
    *frames_out = frames;
    return frames ? cpu / frames : 0;
}

// Feeds a port from its own thread the way the engine does: retry every 15 ms when refused.
struct Feeder {
    std::thread thread;
    std::atomic<bool> stop{false};
    void Start(int port, const Stream& s)
    {
        thread = std::thread([this, port, &s] {
            for (std::size_t off = 0; off < s.body.size() && !stop;) {
                const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, s.body.size() - off));
                if (VRend_InputData(port, s.body.data() + off, n))
                    off += n;
                else
                    std::this_thread::sleep_for(std::chrono::milliseconds(15));
            }
            if (!stop)
                VRend_InputEnd(port);
        });
    }
    ~Feeder()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
};

int OpenPort(const Stream& s, std::uint32_t window = 0)
{
    int port = -1;
    VRend_GetPort(&port);
    VRend_SetStreamOpenMode(port, 1);
    VRend_OpenStream(port, s.header.data(), 40, 2097152);
    VRend_SetDisplayBuf(port, 15);
    VRend_Play(port, window);
    return port;
}

// Every frame through a port in virtual time (nothing dropped), CPU per frame.
double PortCpuPerFrame(const Stream& s, std::uint32_t window, int* frames_out)
{
    auto clock = std::make_shared<vrend::VirtualClock>();
    vrend_test_SetClock(clock);
    const int port = OpenPort(s, window);
    const double cpu0 = CpuSeconds();
    Feeder feeder;
    feeder.Start(port, s);
    vrend::PortStats st;
    std::uint64_t shown = 0;
    for (int idle = 0; idle < 3;) {
        vrend_test_WaitSettled(port, 10000);
        if (window)
            QCoreApplication::processEvents();
        clock->Advance(40'000'000);
        vrend_test_GetStats(port, &st);
        idle = st.frames_shown == shown && VRend_GetSourceBufferRemain(port) == 0 ? idle + 1 : 0;
        shown = st.frames_shown;
    }
    const double cpu = CpuSeconds() - cpu0;
    feeder.stop = true;
    VRend_FreePort(port);
    vrend_test_SetClock(nullptr);
    *frames_out = static_cast<int>(shown);
    return shown ? cpu / static_cast<double>(shown) : 0;
}

struct RealTimeResult {
    double late_percent;
    double cpu_cores;
    std::uint64_t shown;
    std::uint64_t startup_stalls;  // not counted as late: a port's start-up
};

RealTimeResult RealTime(const Stream& s, int ports, double seconds)
{
    std::vector<int> numbers;
    std::vector<std::unique_ptr<Feeder>> feeders;
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    for (int i = 0; i < ports; ++i) {
        numbers.push_back(OpenPort(s));
        feeders.push_back(std::make_unique<Feeder>());
        feeders.back()->Start(numbers.back(), s);
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    std::uint64_t shown = 0, late = 0, stalls = 0, startup = 0;
    for (int p : numbers) {
        vrend::PortStats st;
        vrend_test_GetStats(p, &st);
        shown += st.frames_shown;
        late += st.frames_late;
        stalls += st.stalls;
        startup += st.startup_stalls;
    }
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    feeders.clear();
    for (int p : numbers)
        VRend_FreePort(p);
    const double expected = ports * seconds * 25;
    (void)expected;
    return {shown + late ? 100.0 * static_cast<double>(late + stalls) / static_cast<double>(shown + late) : 100.0,
            cpu / wall, shown, startup};
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    const double seconds = argc > 1 ? std::atof(argv[1]) : 6.0;
    const Stream s1080 = Cached("1080p", StreamSpec{.width = 1920, .height = 1080, .fps = 25, .frame_count = 250,
                                                    .gop = 50, .noise = true, .bitrate_kbps = 4000});
    const Stream s720 = Cached("720p", StreamSpec{.width = 1280, .height = 720, .fps = 25, .frame_count = 250,
                                                  .gop = 50, .noise = true, .bitrate_kbps = 2000});
    std::printf("streams: 1080p %zu bytes, 720p %zu bytes, 250 frames each, keyframe every 2 s\n",
                s1080.body.size(), s720.body.size());

    int plainFrames = 0, portFrames = 0, surfaceFrames = 0;
    const double plain = PlainDecodeCpuPerFrame(s1080, &plainFrames);
    const double viaPort = PortCpuPerFrame(s1080, 0, &portFrames);
    VideoSurface surface;
    surface.resize(960, 540);
    surface.show();
    const double viaSurface = PortCpuPerFrame(s1080, surface.surfaceId(), &surfaceFrames);
    std::printf("1080p CPU per frame: plain decode %.2f ms (%d frames); through a port %.2f ms (%d frames, "
                "ratio %.2f); port onto a 960x540 surface %.2f ms (ratio %.2f)\n",
                plain * 1e3, plainFrames, viaPort * 1e3, portFrames, viaPort / plain, viaSurface * 1e3,
                viaSurface / plain);

    const RealTimeResult r16 = RealTime(s720, 16, seconds);
    std::printf("16 ports of 720p at 1x for %.0f s: %llu frames shown, late or stalled %.2f%% (start-up stalls, "
                "not counted: %llu), CPU %.2f cores\n",
                seconds, static_cast<unsigned long long>(r16.shown), r16.late_percent,
                static_cast<unsigned long long>(r16.startup_stalls), r16.cpu_cores);
    int keep = 0;
    for (int n : {1, 2, 4, 8, 12, 16, 24, 32}) {
        const RealTimeResult r = RealTime(s1080, n, seconds);
        std::printf("  %d ports of 1080p: late or stalled %.2f%%, CPU %.2f cores\n", n, r.late_percent, r.cpu_cores);
        if (r.late_percent < 1.0)
            keep = n;
        else
            break;
    }
    std::printf("1080p ports that keep real time (<1%% late): %d\n", keep);

    // Stepping back at 1080p, 2 s between keyframes: call to frame shown.
    {
        auto clock = std::make_shared<vrend::VirtualClock>();
        vrend_test_SetClock(clock);
        const int port = OpenPort(s1080);
        Feeder feeder;
        feeder.Start(port, s1080);
        vrend_test_WaitSettled(port, 10000);
        for (int i = 0; i < 110; ++i) {
            clock->Advance(40'000'000);
            vrend_test_WaitSettled(port, 10000);
        }
        VRend_Pause(port, 1);
        std::vector<double> ms;
        for (int i = 0; i < 40; ++i) {
            vrend::PortStats before, after;
            vrend_test_GetStats(port, &before);
            const double t0 = WallSeconds();
            if (!VRend_OneByOneBack(port))
                break;
            do {
                std::this_thread::sleep_for(std::chrono::microseconds(200));
                vrend_test_GetStats(port, &after);
            } while (after.frames_shown == before.frames_shown && WallSeconds() - t0 < 5);
            ms.push_back((WallSeconds() - t0) * 1e3);
        }
        std::sort(ms.begin(), ms.end());
        if (!ms.empty())
            std::printf("1080p step back (%zu steps over a keyframe boundary): median %.1f ms, max %.1f ms\n",
                        ms.size(), ms[ms.size() / 2], ms.back());
        VRend_FreePort(port);
        vrend_test_SetClock(nullptr);
    }

    // Memory of playing 1080p ports.
    {
        const long before = RssKb();
        std::vector<int> ports;
        std::vector<std::unique_ptr<Feeder>> feeders;
        for (int i = 0; i < 4; ++i) {
            ports.push_back(OpenPort(s1080));
            feeders.push_back(std::make_unique<Feeder>());
            feeders.back()->Start(ports.back(), s1080);
        }
        std::this_thread::sleep_for(std::chrono::seconds(3));
        const long during = RssKb();
        feeders.clear();
        for (int p : ports)
            VRend_FreePort(p);
        std::printf("memory per playing 1080p port: %.1f MB (RSS growth over 4 ports)\n",
                    (during - before) / 4.0 / 1024.0);
    }
    return 0;
}
