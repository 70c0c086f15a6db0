// Figures of the player layer on camera-like 1080p25 (sensor noise and a fine moving texture, about
// 7 Mbit/s, keyframe every 2 s), without and with B-frames, side by side in one run:
//  - decode-and-show CPU per frame onto a 480x270 tile (and the other tile sizes of a grid) beside
//    plain libavcodec decoding of the same frames, and beside what ffmpeg itself costs to decode and
//    scale to 480x270 BGRA against its plain decode (when the ffmpeg program is installed);
//  - 16 windows at 1x on 480x270 tiles: cores used beside 16 plain single-thread decodes of the
//    same stream paced in real time;
//  - how many windows keep real time on 480x270 tiles, beside how many single-thread ffmpeg
//    decode-and-scale processes do (processes of our own doing the same work when the ffmpeg
//    program is not installed);
//  - one-frame steps back over a whole group of pictures, median and worst;
//  - resident memory of one playing 1080p port in a fresh process, and what its parts hold;
//  - 16 windows playing 2-second files back to back (a file change every 2 s per window) in a
//    fresh process: growth of the resident size after the first minute, and the size after every
//    window stopped beside the size before they played.
// It ends with one line per aim: "aim NAME value V goal G met yes|no".
// Streams are made at run time with the sample generator (cached in /tmp).
//
//   bench_vrend [--seconds S] [--runs N] [--soak-seconds T] [--only SECTIONS]
//     S: length of each real-time run (6); N: repeats of the per-frame figures (3); T: length of
//     the file-change run (180); SECTIONS: comma-separated among frame, cores, realtime, step,
//     memory, soak (all by default).
//   bench_vrend --memory-child STREAM-FILE | --soak-child STREAM-FILE SECONDS
//               | --decode-scale-child STREAM-FILE SECONDS   (used by the above)
//   bench_vrend --one STREAM-FILE plain1|plain2|bare|tile [TIMES]   (one figure alone, to run under a profiler)
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libswscale/swscale.h>
}

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"
#include "tools/varpen-sample/SampleGen.h"

using SampleGen::Stream;

namespace {

const QSize kTile(480, 270);

double CpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// CPU time of the calling thread.
double ThreadCpuSeconds()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
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

double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

QString CachePath(const QString& name)
{
    return QString("/tmp/vrend-bench-%1.bin").arg(name);
}

// The stream without its 40-byte header, as a file for the ffmpeg program.
QString BodyPath(const QString& name)
{
    return QString("/tmp/vrend-bench-%1.ts").arg(name);
}

Stream ReadStream(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? SampleGen::SplitStream(f.readAll()) : Stream{};
}

// Written beside the target and renamed: benchmarks of other trees may read the cache meanwhile.
void WriteWhole(const QString& path, const QByteArray& bytes)
{
    const QString tmp = path + QString(".%1.part").arg(QCoreApplication::applicationPid());
    QFile f(tmp);
    if (f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size()) {
        f.close();
        QFile::remove(path);
        QFile::rename(tmp, path);
    }
    QFile::remove(tmp);
}

// Camera-like 1080p25, keyframe every 2 s, from the sample generator (as `varpen-sample --camera
// --bitrate 7000 --size 1920x1080 --keyint 50 [--bframes 2]` writes it).
Stream Sample(const QString& name, int seconds, int bframes)
{
    const QString path = CachePath(name);
    QFile f(path);
    if (f.open(QIODevice::ReadOnly)) {
        Stream s = SampleGen::SplitStream(f.readAll());
        if (!s.body.empty() && QFile::exists(BodyPath(name)))
            return s;
    }
    std::fprintf(stderr, "making %s stream...\n", qPrintable(name));
    SampleGen::SegmentParams p;
    p.width = 1920;
    p.height = 1080;
    p.duration_s = seconds;
    p.keyint = 50;
    p.bframes = bframes;
    p.camera = true;
    p.bitrate_kbps = 7000;
    QByteArray bytes;
    QString error;
    if (!SampleGen::EncodeSegment(p, &bytes, nullptr, &error) || bytes.size() <= 40) {
        std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(name), qPrintable(error));
        return {};
    }
    WriteWhole(BodyPath(name), bytes.mid(40));
    WriteWhole(path, bytes);
    return SampleGen::SplitStream(bytes);
}

// A demuxer reading the stream's body from memory, once or round and round.
class MemoryDemuxer {
public:
    MemoryDemuxer(const Stream& s, bool loop) : s_(s), loop_(loop)
    {
        auto* buf = static_cast<std::uint8_t*>(av_malloc(32768));
        io_ = avio_alloc_context(buf, 32768, 0, this, &MemoryDemuxer::Read, nullptr, nullptr);
        fmt_ = avformat_alloc_context();
        fmt_->pb = io_;
        if (avformat_open_input(&fmt_, nullptr, av_find_input_format("mpegts"), nullptr) < 0)
            fmt_ = nullptr;  // freed by avformat_open_input
    }
    ~MemoryDemuxer()
    {
        avformat_close_input(&fmt_);
        av_freep(&io_->buffer);
        avio_context_free(&io_);
    }
    // Null when the stream could not be opened.
    AVFormatContext* format() const { return fmt_; }

private:
    static int Read(void* opaque, std::uint8_t* out, int n)
    {
        auto* d = static_cast<MemoryDemuxer*>(opaque);
        if (d->pos_ == d->s_.body.size()) {
            if (!d->loop_)
                return AVERROR_EOF;
            d->pos_ = 0;  // round again
        }
        const int k = static_cast<int>(std::min<std::size_t>(d->s_.body.size() - d->pos_, static_cast<std::size_t>(n)));
        std::copy_n(d->s_.body.data() + d->pos_, k, out);
        d->pos_ += static_cast<std::size_t>(k);
        return k;
    }
    const Stream& s_;
    const bool loop_;
    std::size_t pos_ = 0;
    AVIOContext* io_ = nullptr;
    AVFormatContext* fmt_ = nullptr;
};

// Plain libavcodec decoding of the stream's video with `threads` decoding threads: CPU per frame.
double PlainDecodeCpuPerFrame(const Stream& s, int threads, int* frames_out)
{
    MemoryDemuxer demuxer(s, false);
    AVFormatContext* fmt = demuxer.format();
    if (!fmt)
        return *frames_out = 0;
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
            dec->thread_count = threads;
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
    *frames_out = frames;
    return frames ? cpu / frames : 0;
}

// The ffmpeg program, when installed: its own CPU per frame (user + system, from -benchmark)
// decoding single-threaded, with `filter` (empty: plain decode). -1 when it cannot run.
double FfmpegCpuPerFrame(const QString& body, const QString& filter, int frames)
{
    QStringList args = {"-hide_banner", "-nostdin", "-benchmark", "-threads", "1", "-i", body};
    if (!filter.isEmpty())
        args << "-vf" << filter;
    args << "-an"
         << "-f"
         << "null"
         << "-";
    QProcess p;
    p.start("ffmpeg", args);
    if (!p.waitForFinished(300000) || p.exitCode() != 0)
        return -1;
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    const QRegularExpressionMatch m = QRegularExpression("utime=([0-9.]+)s stime=([0-9.]+)s").match(err);
    if (!m.hasMatch())
        return -1;
    return (m.captured(1).toDouble() + m.captured(2).toDouble()) / frames;
}

bool HaveFfmpeg()
{
    QProcess p;
    p.start("ffmpeg", {"-hide_banner", "-version"});
    return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Feeds a port from its own thread the way the engine does: retry every 15 ms when refused.
struct Feeder {
    std::thread thread;
    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};  // the whole stream was fed
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
            done = true;
        });
    }
    ~Feeder()
    {
        stop = true;
        if (thread.joinable())
            thread.join();
    }
};

// As the engine opens a port on a file's header.
bool OpenOn(int port, const Stream& s, std::uint32_t window)
{
    return VRend_SetStreamOpenMode(port, 1) && VRend_OpenStream(port, s.header.data(), 40, 2097152) &&
           VRend_SetDisplayBuf(port, 15) && VRend_Play(port, window);
}

int OpenPort(const Stream& s, std::uint32_t window = 0)
{
    int port = -1;
    VRend_GetPort(&port);
    OpenOn(port, s, window);
    return port;
}

struct PortCpu {
    double per_frame = 0;          // the process's CPU per frame shown, the driving below left out
    double driving_per_frame = 0;  // what this benchmark's own frame-by-frame driving cost
};

// Every frame of the stream through an open port in virtual time (nothing dropped), to its end.
// The driving thread polls the port until it settles and moves the clock a frame, which a program
// playing in real time never does: its CPU is measured on its own and left out of the port's figure
// (the paint of the tile, which the program does too, stays in).
PortCpu PlayThrough(int port, const Stream& s, vrend::VirtualClock& clock, bool paint, int* frames_out)
{
    vrend::PortStats st;
    vrend_test_GetStats(port, &st);
    const std::uint64_t shown0 = st.frames_shown;
    const double cpu0 = CpuSeconds();
    double driving = 0;
    Feeder feeder;
    feeder.Start(port, s);
    std::uint64_t shown = shown0;
    for (int idle = 0; idle < 3;) {
        const double drive0 = ThreadCpuSeconds();
        vrend_test_WaitSettled(port, 10000);
        driving += ThreadCpuSeconds() - drive0;
        if (paint)
            QCoreApplication::processEvents();
        const double drive1 = ThreadCpuSeconds();
        clock.Advance(40'000'000);
        vrend_test_GetStats(port, &st);
        idle = feeder.done && st.frames_shown == shown && VRend_GetSourceBufferRemain(port) == 0 ? idle + 1 : 0;
        shown = st.frames_shown;
        driving += ThreadCpuSeconds() - drive1;
    }
    const double cpu = CpuSeconds() - cpu0;
    const std::uint64_t frames = shown - shown0;
    *frames_out = static_cast<int>(frames);
    if (!frames)
        return {};
    return {(cpu - driving) / static_cast<double>(frames), driving / static_cast<double>(frames)};
}

// CPU per frame of a port playing the stream as a window plays its second file: the port played
// it once before (not measured) and is opened again on it, as at a file change. A port's first
// file also pays for its first touch of the memory it keeps; `first` gets that figure.
PortCpu PortCpuPerFrame(const Stream& s, std::uint32_t window, int* frames_out, PortCpu* first = nullptr)
{
    auto clock = std::make_shared<vrend::VirtualClock>();
    vrend_test_SetClock(clock);
    const int port = OpenPort(s, window);
    int frames = 0;
    const PortCpu cold = PlayThrough(port, s, *clock, window != 0, &frames);
    if (first)
        *first = cold;
    PortCpu warm;
    if (OpenOn(port, s, window))
        warm = PlayThrough(port, s, *clock, window != 0, frames_out);
    VRend_FreePort(port);
    vrend_test_SetClock(nullptr);
    return warm;
}

struct RealTimeResult {
    double late_percent;
    double cpu_cores;
};

// `ports` windows playing the stream at 1x on tiles of `tile` for `seconds`.
RealTimeResult RealTime(const Stream& s, int ports, double seconds, QSize tile)
{
    std::vector<int> numbers;
    std::vector<std::unique_ptr<Feeder>> feeders;
    std::vector<std::unique_ptr<VideoSurface>> surfaces;
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    for (int i = 0; i < ports; ++i) {
        surfaces.push_back(std::make_unique<VideoSurface>());
        surfaces.back()->resize(tile);
        surfaces.back()->show();
        numbers.push_back(OpenPort(s, surfaces.back()->surfaceId()));
        feeders.push_back(std::make_unique<Feeder>());
        feeders.back()->Start(numbers.back(), s);
    }
    // The GUI thread paints the tiles meanwhile, as in the program.
    while (WallSeconds() - wall0 < seconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    std::uint64_t shown = 0, late = 0, stalls = 0;
    for (int p : numbers) {
        vrend::PortStats st;
        vrend_test_GetStats(p, &st);
        shown += st.frames_shown;
        late += st.frames_late;
        stalls += st.stalls;
    }
    const double cpu = CpuSeconds() - cpu0, wall = WallSeconds() - wall0;
    feeders.clear();
    for (int p : numbers)
        VRend_FreePort(p);
    return {shown + late ? 100.0 * static_cast<double>(late + stalls) / static_cast<double>(shown + late) : 100.0,
            cpu / wall};
}

struct PacedResult {
    bool ok = false;
    std::int64_t frames = 0;
    std::int64_t late = 0;  // frames ready more than a frame's time after they were due
};

// One single-thread decode of the stream (round and round) paced at 25 frames a second: each
// frame is decoded when due, then the thread sleeps; with `scale_to` not empty each picture is
// also scaled to that size in BGRA, as `ffmpeg -re -threads 1 -vf scale=W:H,format=bgra` does
// (its default scaler, bicubic, on every line).
PacedResult PacedDecode(const Stream& s, double seconds, QSize scale_to)
{
    PacedResult result;
    MemoryDemuxer demuxer(s, true);
    AVFormatContext* fmt = demuxer.format();
    if (!fmt)
        return result;
    AVCodecContext* dec = nullptr;
    SwsContext* sws = nullptr;
    std::vector<std::uint8_t> bgra(static_cast<std::size_t>(scale_to.width()) * scale_to.height() * 4);
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end && av_read_frame(fmt, pkt) >= 0) {
        AVStream* st = fmt->streams[pkt->stream_index];
        if (!dec && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            const AVCodec* c = avcodec_find_decoder(st->codecpar->codec_id);
            dec = avcodec_alloc_context3(c);
            avcodec_parameters_to_context(dec, st->codecpar);
            dec->thread_count = 1;
            avcodec_open2(dec, c, nullptr);
        }
        if (dec && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            avcodec_send_packet(dec, pkt);
            while (avcodec_receive_frame(dec, frame) >= 0) {
                if (!scale_to.isEmpty()) {
                    sws = sws_getCachedContext(
                        sws, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), scale_to.width(),
                        scale_to.height(), AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
                    std::uint8_t* dst[4] = {bgra.data()};
                    int dst_stride[4] = {scale_to.width() * 4};
                    if (sws)
                        sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, dst_stride);
                }
                const auto due = start + std::chrono::milliseconds(40 * result.frames);
                if (std::chrono::steady_clock::now() > due + std::chrono::milliseconds(40))
                    ++result.late;
                ++result.frames;
                std::this_thread::sleep_until(start + std::chrono::milliseconds(40 * result.frames));
            }
        }
        av_packet_unref(pkt);
    }
    result.ok = result.frames > 0;
    sws_freeContext(sws);
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    return result;
}

// `count` plain single-thread decodes of the stream paced in real time, for `seconds`: cores used.
double PacedPlainDecodes(const Stream& s, int count, double seconds)
{
    std::atomic<bool> failed{false};
    const double cpu0 = CpuSeconds(), wall0 = WallSeconds();
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i)
        threads.emplace_back([&] {
            if (!PacedDecode(s, seconds, QSize()).ok)
                failed = true;
        });
    for (std::thread& t : threads)
        t.join();
    const double cores = (CpuSeconds() - cpu0) / (WallSeconds() - wall0);
    return failed ? -1 : cores;
}

// In a fresh process: one paced single-thread decode-and-scale to a 480x270 BGRA picture for
// `seconds`; prints the frames and the late ones.
int DecodeScaleChild(const QString& path, double seconds)
{
    const Stream s = ReadStream(path);
    if (s.body.empty())
        return 1;
    const PacedResult r = PacedDecode(s, seconds, kTile);
    std::printf("%lld %lld\n", static_cast<long long>(r.frames), static_cast<long long>(r.late));
    return r.ok ? 0 : 1;
}

// `count` processes each decoding (one thread) and scaling to 480x270 BGRA in real time, as
// single-thread ffmpeg processes do, for `seconds`: true when every one kept real time (under 1%
// of its frames late, as for the windows).
bool DecodeScaleProcessesKeepRealTime(const char* self, const QString& stream_path, int count, double seconds)
{
    std::vector<std::unique_ptr<QProcess>> procs;
    for (int i = 0; i < count; ++i) {
        procs.push_back(std::make_unique<QProcess>());
        procs.back()->start(QString::fromLocal8Bit(self),
                            {"--decode-scale-child", stream_path, QString::number(seconds)});
    }
    bool ok = true;
    for (auto& p : procs) {
        if (!p->waitForFinished(int(seconds * 10000) + 30000) || p->exitCode() != 0) {
            ok = false;
            continue;
        }
        const QStringList v = QString::fromLatin1(p->readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
        if (v.size() < 2 || v[1].trimmed().toDouble() >= 0.01 * v[0].toDouble())
            ok = false;
    }
    return ok;
}

// `count` ffmpeg processes decoding (one thread) and scaling to 480x270 BGRA at the input's own
// rate (-re) for `seconds` of stream: true when every one of them kept up (ended within 2% and half
// a second of start-up of the stream's length).
bool FfmpegKeepsRealTime(const QString& body, int count, double seconds)
{
    std::vector<std::unique_ptr<QProcess>> procs;
    const double wall0 = WallSeconds();
    for (int i = 0; i < count; ++i) {
        procs.push_back(std::make_unique<QProcess>());
        procs.back()->start("ffmpeg", {"-hide_banner", "-nostdin", "-loglevel", "error", "-re", "-threads", "1",
                                       "-stream_loop", "-1", "-i", body, "-t", QString::number(seconds), "-vf",
                                       "scale=480:270,format=bgra", "-an", "-f", "null", "-"});
    }
    bool ok = true;
    for (auto& p : procs) {
        if (!p->waitForFinished(int(seconds * 10000) + 30000) || p->exitCode() != 0)
            ok = false;
    }
    return ok && WallSeconds() - wall0 <= seconds * 1.02 + 0.5;
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

// In a fresh process: the resident size one 1080p port adds while it plays onto a 480x270 tile
// for 3 s (its peak), and what the port's parts held at the end.
int MemoryChild(const QString& path)
{
    const Stream s = ReadStream(path);
    if (s.body.empty())
        return 1;
    VideoSurface surface;
    surface.resize(kTile);
    surface.show();
    QCoreApplication::processEvents();
    const long before = RssKb();
    long peak = before;
    vrend::PortMemory parts;
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
        vrend_test_GetMemory(port, &parts);
        feeder.stop = true;
        VRend_FreePort(port);
    }
    std::printf("%ld %ld %zu %zu %zu %zu %zu %zu\n", peak - before, before, parts.ring_bytes, parts.history_bytes,
                parts.queued_bytes, parts.shown_bytes, parts.images_bytes, parts.decoder_buffers_bytes);
    return 0;
}

// In a fresh process: 16 windows on 480x270 tiles play the stream (a 2-second file) again and
// again for `seconds`, reopening their port at each end as a window does at a file change. Prints
// the resident size before they played, at one minute (or a third of the run when shorter), the
// largest after it, after every window stopped, and the number of file changes.
int SoakChild(const QString& path, double seconds)
{
    const Stream s = ReadStream(path);
    if (s.body.empty())
        return 1;
    constexpr int kWindows = 16;
    std::vector<std::unique_ptr<VideoSurface>> surfaces;
    for (int i = 0; i < kWindows; ++i) {
        surfaces.push_back(std::make_unique<VideoSurface>());
        surfaces.back()->resize(kTile);
        surfaces.back()->show();
    }
    QCoreApplication::processEvents();
    const long before = RssKb();
    std::atomic<bool> stop{false};
    std::atomic<long> changes{0};
    std::vector<int> ports(kWindows, -1);
    for (int& p : ports)
        VRend_GetPort(&p);
    std::vector<std::thread> players;
    for (int i = 0; i < kWindows; ++i) {
        players.emplace_back([&, i] {
            const int port = ports[static_cast<std::size_t>(i)];
            const std::uint32_t window = surfaces[static_cast<std::size_t>(i)]->surfaceId();
            while (!stop) {
                if (!OpenOn(port, s, window))
                    return;
                for (std::size_t off = 0; off < s.body.size() && !stop;) {
                    const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(8192, s.body.size() - off));
                    if (VRend_InputData(port, s.body.data() + off, n))
                        off += n;
                    else
                        std::this_thread::sleep_for(std::chrono::milliseconds(15));
                }
                VRend_InputEnd(port);
                while (!stop && VRend_GetSourceBufferRemain(port) > 0)
                    std::this_thread::sleep_for(std::chrono::milliseconds(40));
                ++changes;
            }
        });
    }
    const double mark = std::min(60.0, seconds / 3);
    const double wall0 = WallSeconds();
    long at_mark = 0, largest_after = 0;
    while (WallSeconds() - wall0 < seconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const long rss = RssKb();
        if (WallSeconds() - wall0 < mark)
            at_mark = rss;
        else
            largest_after = std::max(largest_after, rss);
    }
    stop = true;
    for (std::thread& t : players)
        t.join();
    for (int p : ports)
        VRend_FreePort(p);
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const struct mallinfo2 heap = mallinfo2();
    std::printf("%ld %ld %ld %ld %ld %zu %zu\n", before, at_mark, largest_after, RssKb(), changes.load(),
                heap.uordblks >> 10, heap.fordblks >> 10);
    return 0;
}

QStringList RunChild(const char* self, const QStringList& args, int timeout_ms)
{
    QProcess child;
    child.start(QString::fromLocal8Bit(self), args);
    child.waitForFinished(timeout_ms);
    return QString::fromLatin1(child.readAllStandardOutput()).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts);
}

struct Aim {
    QString name;
    double value;
    double goal;
    bool at_most;  // met when value <= goal (else value >= goal)
};

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    av_log_set_level(AV_LOG_ERROR);
    if (argc > 2 && std::string(argv[1]) == "--memory-child")
        return MemoryChild(QString::fromLocal8Bit(argv[2]));
    if (argc > 3 && std::string(argv[1]) == "--decode-scale-child")
        return DecodeScaleChild(QString::fromLocal8Bit(argv[2]), std::atof(argv[3]));
    if (argc > 3 && std::string(argv[1]) == "--soak-child")
        return SoakChild(QString::fromLocal8Bit(argv[2]), std::atof(argv[3]));
    if (argc > 3 && std::string(argv[1]) == "--one") {
        // One figure alone, for a profiler: --one STREAM-FILE plain1|plain2|bare|tile [TIMES]
        const Stream s = ReadStream(QString::fromLocal8Bit(argv[2]));
        const std::string what = argv[3];
        const int times = argc > 4 ? std::max(1, std::atoi(argv[4])) : 1;
        VideoSurface surface;
        surface.resize(kTile);
        surface.show();
        for (int i = 0; i < times; ++i) {
            int frames = 0;
            const double cpu = what == "plain1" || what == "plain2"
                                   ? PlainDecodeCpuPerFrame(s, what == "plain1" ? 1 : 2, &frames)
                                   : PortCpuPerFrame(s, what == "tile" ? surface.surfaceId() : 0, &frames).per_frame;
            std::printf("%s: %.2f ms per frame (%d frames)\n", what.c_str(), cpu * 1e3, frames);
        }
        return 0;
    }
    const QStringList args = app.arguments();
    auto option = [&](const char* name, const QString& fallback) {
        const int at = int(args.indexOf(QString::fromLatin1(name)));
        return at > 0 && at + 1 < args.size() ? args[at + 1] : fallback;
    };
    const double seconds = option("--seconds", "6").toDouble();
    const int runs = std::max(1, option("--runs", "3").toInt());
    const double soakSeconds = option("--soak-seconds", "180").toDouble();
    const QStringList only = option("--only", "frame,cores,realtime,step,memory,soak").split(',');
    const bool ffmpeg = HaveFfmpeg();
    if (!ffmpeg)
        std::printf(
            "the ffmpeg program is not installed: its own figures are left out (processes of ours do its "
            "work for the real-time count)\n");

    struct Kind {
        QString name;
        const char* label;
        Stream stream;
    };
    std::vector<Kind> kinds;
    kinds.push_back({"1080p-camera", "camera-like", Sample("1080p-camera", 10, 0)});
    kinds.push_back({"1080p-camera-b2", "camera-like with B-frames", Sample("1080p-camera-b2", 10, 2)});
    for (const Kind& k : kinds) {
        if (k.stream.body.empty())
            return 1;
        std::printf("%s 1080p25 stream: %.1f Mbit/s, 250 frames, keyframe every 2 s\n", k.label,
                    k.stream.body.size() * 8.0 / 10.0 / 1e6);
    }
    std::vector<Aim> aims;

    // Decode-and-show onto a 480x270 tile against plain decoding of the same frames, `runs` times
    // side by side (median of the ratios), the port playing the stream as its second file; then the other tile sizes of
    // a grid (3x3, 2x2 and one window on a 1920x1080 screen) once.
    if (only.contains("frame")) {
        for (const Kind& k : kinds) {
            std::vector<double> plain1, plain2, bare, tile, tileRatio, bareRatio, ffPlain, ffScale, ffRatio, driving,
                bareFirst;
            int frames = 0;
            for (int run = 0; run < runs; ++run) {
                // Warm like the port's second file: the allocator has served one decode before.
                PlainDecodeCpuPerFrame(k.stream, 1, &frames);
                plain1.push_back(PlainDecodeCpuPerFrame(k.stream, 1, &frames));
                plain2.push_back(PlainDecodeCpuPerFrame(k.stream, 2, &frames));
                PortCpu cold;
                const PortCpu b = PortCpuPerFrame(k.stream, 0, &frames, &cold);
                bare.push_back(b.per_frame);
                bareFirst.push_back(cold.per_frame);
                driving.push_back(b.driving_per_frame);
                VideoSurface surface;
                surface.resize(kTile);
                surface.show();
                const PortCpu t = PortCpuPerFrame(k.stream, surface.surfaceId(), &frames);
                tile.push_back(t.per_frame);
                driving.push_back(t.driving_per_frame);
                tileRatio.push_back(tile.back() / plain1.back());
                bareRatio.push_back(bare.back() / plain1.back());
                if (ffmpeg) {
                    ffPlain.push_back(FfmpegCpuPerFrame(BodyPath(k.name), "", 250));
                    ffScale.push_back(FfmpegCpuPerFrame(BodyPath(k.name), "scale=480:270,format=bgra", 250));
                    ffRatio.push_back(ffScale.back() / ffPlain.back());
                }
            }
            std::printf("%s, CPU per frame, median of %d runs side by side:\n", k.label, runs);
            std::printf("  plain libavcodec, 1 thread %.2f ms, 2 threads %.2f ms (%d frames)\n", Median(plain1) * 1e3,
                        Median(plain2) * 1e3, frames);
            std::printf("  port without a surface %.2f ms (%.2fx); on the port's first file %.2f ms\n",
                        Median(bare) * 1e3, Median(bareRatio), Median(bareFirst) * 1e3);
            std::printf("  (left out of the port's figures: this benchmark's frame-by-frame driving, %.2f ms)\n",
                        Median(driving) * 1e3);
            std::printf("  port onto a 480x270 tile %.2f ms (%.2fx; runs:", Median(tile) * 1e3, Median(tileRatio));
            for (double r : tileRatio)
                std::printf(" %.2f", r);
            std::printf(")\n");
            if (ffmpeg) {
                std::printf(
                    "  ffmpeg -threads 1: plain decode %.2f ms, with scale=480:270,format=bgra %.2f ms (%.2fx)\n",
                    Median(ffPlain) * 1e3, Median(ffScale) * 1e3, Median(ffRatio));
                aims.push_back(
                    {QString("show_vs_ffmpeg_scale_%1").arg(k.name), Median(tileRatio), Median(ffRatio), true});
            }
            aims.push_back({QString("show_vs_decode_%1").arg(k.name), Median(tileRatio), 1.2, true});
            for (const QSize& size : {QSize(640, 360), QSize(960, 540), QSize(1920, 1080)}) {
                VideoSurface surface;
                surface.resize(size);
                surface.show();
                PlainDecodeCpuPerFrame(k.stream, 1, &frames);
                const double plain = PlainDecodeCpuPerFrame(k.stream, 1, &frames);
                const double shown = PortCpuPerFrame(k.stream, surface.surfaceId(), &frames).per_frame;
                std::printf("  onto a %dx%d tile: %.2f ms per frame vs plain %.2f ms: %.2fx\n", size.width(),
                            size.height(), shown * 1e3, plain * 1e3, shown / plain);
            }
        }
    }

    // 16 windows at 1x: cores used beside 16 plain single-thread decodes paced in real time.
    if (only.contains("cores")) {
        const Kind& k = kinds.front();
        std::vector<double> ports, plain;
        for (int run = 0; run < runs; ++run) {
            plain.push_back(PacedPlainDecodes(k.stream, 16, seconds));
            ports.push_back(RealTime(k.stream, 16, seconds, kTile).cpu_cores);
        }
        std::printf(
            "%s: 16 windows at 1x on 480x270 tiles use %.2f cores; 16 plain single-thread decodes paced in "
            "real time %.2f cores (median of %d runs)\n",
            k.label, Median(ports), Median(plain), runs);
        aims.push_back({"cores_16_windows", Median(ports), Median(plain), true});
    }

    // Windows of 1080p25 in real time on 480x270 tiles, beside ffmpeg processes.
    if (only.contains("realtime")) {
        for (const Kind& k : kinds) {
            int keep = 0;
            for (int n : {4, 8, 12, 16, 20, 24, 32, 40, 48}) {
                const RealTimeResult r = RealTime(k.stream, n, seconds, kTile);
                std::printf("  %s: %d windows on 480x270 tiles: late or stalled %.2f%%, CPU %.2f cores\n", k.label, n,
                            r.late_percent, r.cpu_cores);
                if (r.late_percent < 1.0)
                    keep = n;
                else
                    break;
            }
            std::printf("%s 1080p windows that keep real time on tiles (<1%% late): %d\n", k.label, keep);
            // Without the ffmpeg program, processes of our own do its work the way it does it.
            const char* what = ffmpeg ? "ffmpeg -re -threads 1 scale=480:270,format=bgra"
                                      : "single-thread decode-and-scale processes (libavcodec, libswscale bicubic to "
                                        "480x270 BGRA, paced as ffmpeg -re)";
            int ffKeep = 0;
            for (int n : {4, 8, 12, 16, 20, 24, 32, 40, 48}) {
                const bool ok = ffmpeg ? FfmpegKeepsRealTime(BodyPath(k.name), n, seconds)
                                       : DecodeScaleProcessesKeepRealTime(argv[0], CachePath(k.name), n, seconds);
                std::printf("  %s: %d %s: %s\n", k.label, n, what, ok ? "in real time" : "behind");
                if (!ok)
                    break;
                ffKeep = n;
            }
            std::printf("%s %s that keep real time: %d\n", k.label, what, ffKeep);
            aims.push_back({QString("windows_real_time_%1").arg(k.name), double(keep), double(ffKeep), false});
        }
    }

    // One-frame steps back over a whole group and into the one before.
    if (only.contains("step")) {
        for (const Kind& k : kinds) {
            for (const QSize& tile : {kTile, QSize(1920, 1080)}) {
                const std::vector<double> ms = StepBackTimes(k.stream, tile);
                std::printf(
                    "%s step back onto %dx%d (%zu steps over a keyframe boundary): median %.1f ms, worst %.1f ms\n",
                    k.label, tile.width(), tile.height(), ms.size(), Median(ms),
                    ms.empty() ? 0.0 : *std::max_element(ms.begin(), ms.end()));
            }
        }
    }

    // Resident memory of one playing port in a fresh process.
    if (only.contains("memory")) {
        for (const Kind& k : kinds) {
            const QStringList v = RunChild(argv[0], {"--memory-child", CachePath(k.name)}, 120000);
            if (v.size() < 8) {
                std::printf("%s: the memory child failed\n", k.label);
                continue;
            }
            const double mb = v[0].toLong() / 1024.0;
            auto part = [&](int i) { return v[i].toDouble() / (1 << 20); };
            std::printf(
                "%s: one playing 1080p port onto a 480x270 tile, fresh process: %.1f MB (process before it: "
                "%.1f MB); its parts at the end: ring %.1f, packet history %.1f, tile pictures %.1f, the "
                "decoder's picture buffers %.1f MB (of which queued frames %.1f, the shown frame %.1f MB "
                "held by nothing else; the rest: the decoder's own state, code and stacks)\n",
                k.label, mb, v[1].toLong() / 1024.0, part(2), part(3), part(6), part(7), part(4), part(5));
            aims.push_back({QString("port_memory_mb_%1").arg(k.name), mb, 30, true});
        }
    }

    // 16 windows and many file changes in a fresh process.
    if (only.contains("soak")) {
        Sample("1080p-camera-2s", 2, 0);
        const QStringList v =
            RunChild(argv[0], {"--soak-child", CachePath("1080p-camera-2s"), QString::number(soakSeconds)},
                     int(soakSeconds * 1000) + 120000);
        if (v.size() < 5) {
            std::printf("the file-change child failed\n");
        } else {
            const double before = v[0].toDouble() / 1024, mark = v[1].toDouble() / 1024,
                         largest = v[2].toDouble() / 1024, after = v[3].toDouble() / 1024;
            const double growth = mark > 0 ? 100.0 * (largest - mark) / mark : 0;
            const double left = before > 0 ? 100.0 * (after - before) / before : 0;
            std::printf(
                "16 windows over %.0f s, 2-second files back to back (%ld file changes): %.1f MB before "
                "playing, %.1f MB at %.0f s, largest after it %.1f MB (%+.1f%%); after every window stopped "
                "%.1f MB (%+.1f%% of the size before playing)\n",
                soakSeconds, v[4].toLong(), before, mark, std::min(60.0, soakSeconds / 3), largest, growth, after,
                left);
            if (v.size() >= 7)
                std::printf("  after the stop the allocator holds %.1f MB in use and %.1f MB free\n",
                            v[5].toDouble() / 1024, v[6].toDouble() / 1024);
            aims.push_back({"soak_growth_percent", growth, 5, true});
            aims.push_back({"returned_after_stop_percent", left, 20, true});
        }
    }

    for (const Aim& a : aims) {
        const bool met = a.at_most ? a.value <= a.goal : a.value >= a.goal;
        std::printf("aim %s value %.2f goal %.2f met %s\n", qPrintable(a.name), a.value, a.goal, met ? "yes" : "no");
    }
    return 0;
}
