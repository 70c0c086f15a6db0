// Playback figures on generated recordings (1080p, keyframe every 2 s):
//   click to first frame: StartPlayback at a time inside a file until the frame of that second is
//     shown (median and worst of several clicks), beside plain libavformat/libavcodec opening the
//     same file, seeking to the keyframe before the same second and decoding up to its frame;
//   four windows in synchronous playback at 1x and 8x: the spread of the times of the frames they
//     show (millisecond times of the shown frames, sampled every 100 ms), median and worst, per
//     run and over all runs.
// bench_playback [--seconds S] [--runs N] (S: length of each synchronous run, 60 by default; N
// runs of each speed, 3 by default). BENCH_TRACE=1 prints where the worst spread of a run was.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "bench/BenchCommon.h"
#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend_test.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace {

// Wall time of plain libav opening a segment (after its 40-byte header), seeking to the keyframe
// at or before `offset_s` into it and decoding up to the first frame of that second; -1 on failure.
double RawSeekAndDecodeMs(const std::string& path, double offset_s)
{
    QElapsedTimer timer;
    timer.start();
    AVFormatContext* fmt = nullptr;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "skip_initial_bytes", "40", 0);
    const int opened = avformat_open_input(&fmt, path.c_str(), av_find_input_format("mpegts"), &options);
    av_dict_free(&options);
    if (opened < 0)
        return -1;
    double result = -1;
    AVCodecContext* dec = nullptr;
    AVPacket* pkt = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const int vi = avformat_find_stream_info(fmt, nullptr) >= 0
                       ? av_find_best_stream(fmt, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0)
                       : -1;
    if (vi >= 0) {
        AVStream* st = fmt->streams[vi];
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        dec = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(dec, st->codecpar);
        dec->thread_count = 2;
        dec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        const std::int64_t origin = st->start_time != AV_NOPTS_VALUE ? st->start_time : 0;
        const std::int64_t target =
            origin + av_rescale_q(std::int64_t(offset_s * 1e6), AVRational{1, 1000000}, st->time_base);
        if (avcodec_open2(dec, codec, nullptr) >= 0 && av_seek_frame(fmt, vi, target, AVSEEK_FLAG_BACKWARD) >= 0) {
            bool done = false;
            while (!done && av_read_frame(fmt, pkt) >= 0) {
                if (pkt->stream_index == vi && avcodec_send_packet(dec, pkt) >= 0) {
                    while (!done && avcodec_receive_frame(dec, frame) >= 0)
                        done = frame->best_effort_timestamp >= target;
                }
                av_packet_unref(pkt);
            }
            if (done)
                result = timer.nsecsElapsed() / 1e6;
        }
    }
    av_frame_free(&frame);
    av_packet_free(&pkt);
    avcodec_free_context(&dec);
    avformat_close_input(&fmt);
    return result;
}

double Median(std::vector<double> v)
{
    if (v.empty())
        return -1;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

using Bench::Spin;

bool Search(CPlayBackInteraction& e, const QString& dir, int channel, time_t from, time_t to)
{
    e.SetChannel(Varpen::CChannel(channel, QStringLiteral("NVR_1")));
    e.SetUseIndex(true);
    Varpen::SingleFileList files;
    return e.SearchFiles(files, dir.toStdString(), from, to, 0) && !files.empty();
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::UseOffscreenUnlessChosen();
    QApplication app(argc, argv);
    Bench::SilenceMessages();
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int syncSeconds = Bench::IntList(args, QStringLiteral("--seconds"), {60}).front();
    const int runs = std::max(1, Bench::IntList(args, QStringLiteral("--runs"), {3}).front());
    const bool trace = qEnvironmentVariableIsSet("BENCH_TRACE");

    QTemporaryDir dir;
    const QString sample = QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample");
    const int segment_s = std::max(20, syncSeconds / 2 + 10);
    QProcess gen;
    gen.start(sample, {QStringLiteral("folder"), dir.path(), QStringLiteral("--channels"), QStringLiteral("4"),
                       QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--segments-per-day"),
                       QStringLiteral("2"), QStringLiteral("--segment-length"), QString::number(segment_s),
                       QStringLiteral("--gap"), QStringLiteral("2"), QStringLiteral("--size"),
                       QStringLiteral("1920x1080"), QStringLiteral("--keyint"), QStringLiteral("50")});
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        out << "cannot write the sample recordings\n";
        return 1;
    }
    const QDateTime first(QDate(2024, 1, 30), QTime(10, 0, 0));
    const time_t t0 = first.toSecsSinceEpoch();
    const time_t dayEnd = QDateTime(QDate(2024, 1, 30), QTime(23, 59, 59)).toSecsSinceEpoch();

    // Click to first frame.
    {
        VideoSurface surface;
        surface.resize(640, 360);
        CPlayBackInteraction engine;
        if (!Search(engine, dir.path(), 1, t0, dayEnd)) {
            out << "no recordings found\n";
            return 1;
        }
        std::vector<double> ms, firstMs, rawMs;
        int firstOnTarget = 0;
        const Varpen::SingleFileList files = engine.GetFileList();
        for (int i = 0; i < 15; ++i) {
            const time_t target = t0 + 1 + (i * 7) % (segment_s - 2);
            // The same target by plain libav, on the file that holds it.
            for (const Varpen::SingleFilePtr& f : files) {
                if (f->GetChannel() == 1 && target >= f->GetStartTime() && target < f->GetEndTime()) {
                    const double raw = RawSeekAndDecodeMs(f->GetName(), double(target - f->GetStartTime()));
                    if (raw >= 0)
                        rawMs.push_back(raw);
                    break;
                }
            }
            QElapsedTimer timer;
            timer.start();
            if (!engine.StartPlayback(surface.surfaceId(), target))
                continue;
            double first = -1;
            vrend::PortStats st;
            while (engine.GetCurrentTime() != target && timer.elapsed() < 5000) {
                if (first < 0 && vrend_test_GetStats(engine.GetPlayPort(), &st) && st.frames_shown > 0)
                    first = timer.nsecsElapsed() / 1e6;
                Spin(1);
            }
            if (first < 0)
                first = timer.nsecsElapsed() / 1e6;
            if (vrend_test_GetStats(engine.GetPlayPort(), &st) && st.first_shown_time_ms / 1000 == target)
                ++firstOnTarget;
            if (qEnvironmentVariableIsSet("BENCH_TRACE"))
                out << "target " << target << ": first shown at " << st.first_shown_time_ms << " ms, "
                    << st.frames_before_start << " frames decoded before it\n";
            firstMs.push_back(first);
            ms.push_back(timer.nsecsElapsed() / 1e6);
            engine.StopPlayback();
        }
        std::sort(ms.begin(), ms.end());
        std::sort(firstMs.begin(), firstMs.end());
        if (!firstMs.empty())
            out << "click to any first frame: median " << firstMs[firstMs.size() / 2] << " ms\n";
        if (!ms.empty())
            out << "click to first frame (1080p, keyframe every 2 s): median " << ms[ms.size() / 2] << " ms, worst "
                << ms.back() << " ms over " << ms.size() << " clicks; the first frame shown was "
                << "of the target second in " << firstOnTarget << " of them\n";
        if (!rawMs.empty() && !ms.empty())
            out << "plain libav open, seek and decode to the same targets: median " << Median(rawMs) << " ms, worst "
                << *std::max_element(rawMs.begin(), rawMs.end())
                << " ms; click / plain = " << ms[ms.size() / 2] / Median(rawMs) << " (target: below 1)\n";
    }

    // Four windows in step.
    for (int level : {0, 3}) {
        std::vector<std::int64_t> all;
        for (int run = 1; run <= runs; ++run) {
            std::vector<std::unique_ptr<VideoSurface>> surfaces;
            std::vector<std::unique_ptr<CPlayBackInteraction>> engines;
            Varpen::SynPlaybackInteraction sync;
            for (int c = 1; c <= 4; ++c) {
                surfaces.push_back(std::make_unique<VideoSurface>());
                surfaces.back()->resize(480, 270);
                engines.push_back(std::make_unique<CPlayBackInteraction>());
                Search(*engines.back(), dir.path(), c, t0, dayEnd);
                engines.back()->StartPlayback(surfaces.back()->surfaceId(), t0);
                sync.AddInteraction(engines.back().get());
            }
            sync.Start();
            sync.SetPlayTime(t0);
            sync.SetSpeed(level);
            std::vector<std::int64_t> spreads;
            std::int64_t worst = -1;
            QString worstAt;
            QElapsedTimer timer;
            timer.start();
            // The first seconds after the start are included: members must start together too.
            while (timer.elapsed() < syncSeconds * 1000) {
                Spin(100);
                std::int64_t lo = std::numeric_limits<std::int64_t>::max(),
                             hi = std::numeric_limits<std::int64_t>::min();
                QString members;
                for (auto& e : engines) {
                    vrend::PortStats st;
                    if (!e->IsPlaying() || !vrend_test_GetStats(e->GetPlayPort(), &st) || st.last_shown_time_ms < 0) {
                        members += QStringLiteral(" -");
                        continue;
                    }
                    lo = std::min(lo, st.last_shown_time_ms);
                    hi = std::max(hi, st.last_shown_time_ms);
                    members += QStringLiteral(" %1%2(stalls %3, late %4)")
                                   .arg(st.last_shown_time_ms % 100000)
                                   .arg(e->IsPaused() ? QStringLiteral(" paused") : QString())
                                   .arg(st.stalls)
                                   .arg(st.frames_late);
                }
                if (hi >= lo) {
                    spreads.push_back(hi - lo);
                    if (hi - lo > worst) {
                        worst = hi - lo;
                        worstAt = QStringLiteral("at %1 ms:%2").arg(timer.elapsed()).arg(members);
                    }
                }
            }
            sync.StopAll();
            std::sort(spreads.begin(), spreads.end());
            all.insert(all.end(), spreads.begin(), spreads.end());
            out << "four windows in step at " << (1 << level) << "x, run " << run << " of " << syncSeconds
                << " s: spread of shown frames ";
            if (spreads.empty())
                out << "not measured (nothing shown)\n";
            else
                out << "median " << spreads[spreads.size() / 2] << " ms, worst " << spreads.back() << " ms over "
                    << spreads.size() << " samples\n";
            if (trace && !spreads.empty())
                out << "  worst " << worstAt << "\n";
            out.flush();
        }
        std::sort(all.begin(), all.end());
        if (!all.empty())
            out << "four windows in step at " << (1 << level) << "x, " << runs << " runs: median "
                << all[all.size() / 2] << " ms, worst " << all.back() << " ms (target: worst < "
                << (level == 0 ? "200 ms" : "1000 ms") << ")\n";
    }
    return 0;
}
