// Figures of the player layer, each on the simple sample pictures and on camera-like ones (sensor
// noise and a fine moving texture, about 7 Mbit/s at 1080p25), keyframe every 2 s:
//  - decode-and-show CPU per frame onto tiles of a grid's sizes, beside plain libavcodec decoding of
//    the same stream in the same run;
//  - how many 1080p ports keep real time showing onto 480x270 tiles;
//  - one-frame steps back over a whole group of pictures, median and worst;
//  - memory of one playing 1080p port in a fresh process.
// Streams are made at run time with the sample generator (cached in /tmp).
//
//   bench_vrend [seconds-per-run]
//   bench_vrend --memory-child STREAM-FILE     (used by the memory figure)
#include <QApplication>
#include <QFile>
#include <QProcess>

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
#include "tools/varpen-sample/SampleGen.h"

using vrend::testing::Stream;

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

QString CachePath(const char* name)
{
    return QString("/tmp/vrend-bench-%1.bin").arg(name);
}

// 1080p25, 10 s, keyframe every 2 s, from the sample generator: simple or camera-like pictures.
Stream Sample(const char* name, bool camera)
{
    const QString path = CachePath(name);
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
    SampleGen::SegmentParams p;
    p.width = 1920;
    p.height = 1080;
    p.duration_s = 10;
    p.keyint = 50;
    p.camera = camera;
    if (camera)
        p.bitrate_kbps = 7000;
    QByteArray bytes;
    QString error;
    if (!SampleGen::EncodeSegment(p, &bytes, nullptr, &error) || bytes.size() <= 40) {
        std::fprintf(stderr, "cannot make %s: %s\n", name, qPrintable(error));
        return s;
    }
    s.header.assign(bytes.begin(), bytes.begin() + 40);
    s.body.assign(bytes.begin() + 40, bytes.end());
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
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

RealTimeResult RealTime(const Stream& s, int ports, double seconds, QSize tile = QSize())
{
    std::vector<int> numbers;
    std::vector<std::unique_ptr<Feeder>> feeders;
    std::vector<std::unique_ptr<VideoSurface>> surfaces;
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    for (int i = 0; i < ports; ++i) {
        std::uint32_t window = 0;
        if (!tile.isEmpty()) {
            surfaces.push_back(std::make_unique<VideoSurface>());
            surfaces.back()->resize(tile);
            surfaces.back()->show();
            window = surfaces.back()->surfaceId();
        }
        numbers.push_back(OpenPort(s, window));
        feeders.push_back(std::make_unique<Feeder>());
        feeders.back()->Start(numbers.back(), s);
    }
    // The GUI thread paints the tiles meanwhile, as in the program.
    while (WallSeconds() - wall0 < seconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
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



// One port steps back from the end of a group of pictures to its keyframe, and on over the
// keyframe into the group before: call to frame shown, each step.
std::vector<double> StepBackTimes(const Stream& s, QSize tile)
{
    auto clock = std::make_shared<vrend::VirtualClock>();
    vrend_test_SetClock(clock);
    VideoSurface surface;
    surface.resize(tile);
    surface.show();
    const int port = OpenPort(s, surface.surfaceId());
    Feeder feeder;
    feeder.Start(port, s);
    vrend_test_WaitSettled(port, 10000);
    // To the last frame of the third group (frames 100..149).
    for (int i = 0; i < 149; ++i) {
        clock->Advance(40'000'000);
        vrend_test_WaitSettled(port, 10000);
    }
    VRend_Pause(port, 1);
    std::vector<double> ms;
    for (int i = 0; i < 60; ++i) {
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
    VRend_FreePort(port);
    vrend_test_SetClock(nullptr);
    return ms;
}

// In a fresh process: RSS growth of one 1080p port playing onto a 480x270 tile for 3 s.
int MemoryChild(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return 1;
    const QByteArray all = f.readAll();
    Stream s;
    s.header.assign(all.begin(), all.begin() + 40);
    s.body.assign(all.begin() + 40, all.end());
    VideoSurface surface;
    surface.resize(480, 270);
    surface.show();
    QCoreApplication::processEvents();
    const long before = RssKb();
    long peak = before;
    {
        const int port = OpenPort(s, surface.surfaceId());
        Feeder feeder;
        feeder.Start(port, s);
        const double t0 = WallSeconds();
        while (WallSeconds() - t0 < 3) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            peak = std::max(peak, RssKb());
        }
        feeder.stop = true;
        VRend_FreePort(port);
    }
    std::printf("%ld %ld\n", RssKb() > 0 ? peak - before : 0, before);
    return 0;
}

double MemoryInFreshProcess(const char* self, const char* name, long* baseline_kb)
{
    QProcess child;
    child.start(QString::fromLocal8Bit(self), {"--memory-child", CachePath(name)});
    child.waitForFinished(60000);
    const QStringList parts = QString::fromLatin1(child.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    *baseline_kb = parts.value(1).toLong();
    return parts.value(0).toLong() / 1024.0;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    if (argc > 2 && std::string(argv[1]) == "--memory-child")
        return MemoryChild(QString::fromLocal8Bit(argv[2]));
    const double seconds = argc > 1 ? std::atof(argv[1]) : 6.0;
    struct Kind {
        const char* name;
        const char* label;
        Stream stream;
    };
    std::vector<Kind> kinds;
    kinds.push_back({"1080p-simple", "simple", Sample("1080p-simple", false)});
    kinds.push_back({"1080p-camera", "camera-like", Sample("1080p-camera", true)});
    for (const Kind& k : kinds)
        std::printf("%s 1080p25 stream: %.1f Mbit/s, 250 frames, keyframe every 2 s\n", k.label,
                    k.stream.body.size() * 8.0 / 10.0 / 1e6);

    // Decode-and-show onto tiles of a grid's sizes (4x4, 3x3, 2x2 and one window on a 1920x1080
    // screen), each ratio against plain decoding measured in the same run.
    const QSize tiles[] = {QSize(480, 270), QSize(640, 360), QSize(960, 540), QSize(1920, 1080)};
    for (const Kind& k : kinds) {
        int plainFrames = 0, portFrames = 0;
        const double plain = PlainDecodeCpuPerFrame(k.stream, &plainFrames);
        const double viaPort = PortCpuPerFrame(k.stream, 0, &portFrames);
        std::printf("%s: plain libavcodec %.2f ms per frame (%d frames); port without a surface %.2f ms (%.2fx)\n",
                    k.label, plain * 1e3, plainFrames, viaPort * 1e3, viaPort / plain);
        for (const QSize& tile : tiles) {
            VideoSurface surface;
            surface.resize(tile);
            surface.show();
            int frames = 0;
            const double plainAgain = PlainDecodeCpuPerFrame(k.stream, &plainFrames);
            const double shown = PortCpuPerFrame(k.stream, surface.surfaceId(), &frames);
            std::printf("  onto a %dx%d tile: %.2f ms per frame vs plain %.2f ms: %.2fx\n", tile.width(),
                        tile.height(), shown * 1e3, plainAgain * 1e3, shown / plainAgain);
        }
    }

    // Windows of 1080p25 in real time on 480x270 tiles.
    for (const Kind& k : kinds) {
        int keep = 0;
        for (int n : {4, 8, 12, 16, 20, 24, 32, 40, 48}) {
            const RealTimeResult r = RealTime(k.stream, n, seconds, QSize(480, 270));
            std::printf("  %s: %d windows on 480x270 tiles: late or stalled %.2f%%, CPU %.2f cores\n", k.label, n,
                        r.late_percent, r.cpu_cores);
            if (r.late_percent < 1.0)
                keep = n;
            else
                break;
        }
        std::printf("%s 1080p windows that keep real time on tiles (<1%% late): %d\n", k.label, keep);
    }

    // One-frame steps back over a whole group and into the one before.
    for (const Kind& k : kinds) {
        for (const QSize& tile : {QSize(480, 270), QSize(1920, 1080)}) {
            const std::vector<double> ms = StepBackTimes(k.stream, tile);
            std::printf("%s step back onto %dx%d (%zu steps over a keyframe boundary): median %.1f ms, worst %.1f ms\n",
                        k.label, tile.width(), tile.height(), ms.size(), Median(ms),
                        ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()));
        }
    }

    // Memory of one playing port in a fresh process.
    for (const Kind& k : kinds) {
        long baseline = 0;
        const double mb = MemoryInFreshProcess(argv[0], k.name, &baseline);
        std::printf("%s: memory of one playing 1080p port onto a 480x270 tile, fresh process: %.1f MB (process "
                    "before it: %.1f MB)\n",
                    k.label, mb, baseline / 1024.0);
    }
    return 0;
}
