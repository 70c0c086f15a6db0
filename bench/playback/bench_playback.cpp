// Playback figures on generated recordings (1080p, keyframe every 2 s):
//   click to first frame: StartPlayback at a time inside a file until the frame of that second is
//     shown (median and worst of several clicks);
//   four windows in synchronous playback at 1x and 8x: the spread of the times of the frames they
//     show (millisecond times of the shown frames, sampled every 100 ms), median and worst.
// bench_playback [--seconds S] (S: length of each synchronous run, 60 by default)
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

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend_test.h"

namespace {

void Spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

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
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QTextStream out(stdout);
    int syncSeconds = 60;
    const QStringList args = app.arguments();
    const int at = args.indexOf(QStringLiteral("--seconds"));
    if (at > 0 && at + 1 < args.size())
        syncSeconds = args[at + 1].toInt();

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
        std::vector<double> ms, firstMs;
        int firstOnTarget = 0;
        for (int i = 0; i < 15; ++i) {
            const time_t target = t0 + 1 + (i * 7) % (segment_s - 2);
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
                << ms.back() << " ms over " << ms.size() << " clicks (target: median < 150 ms); the first frame shown was "
                << "of the target second in " << firstOnTarget << " of them\n";
    }

    // Four windows in step.
    for (int level : {0, 3}) {
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
        QElapsedTimer timer;
        timer.start();
        // The first seconds after the start are included: members must start together too.
        while (timer.elapsed() < syncSeconds * 1000) {
            Spin(100);
            std::int64_t lo = std::numeric_limits<std::int64_t>::max(), hi = std::numeric_limits<std::int64_t>::min();
            for (auto& e : engines) {
                vrend::PortStats st;
                if (!e->IsPlaying() || !vrend_test_GetStats(e->GetPlayPort(), &st) || st.last_shown_time_ms < 0)
                    continue;
                lo = std::min(lo, st.last_shown_time_ms);
                hi = std::max(hi, st.last_shown_time_ms);
            }
            if (hi >= lo)
                spreads.push_back(hi - lo);
        }
        sync.StopAll();
        std::sort(spreads.begin(), spreads.end());
        out << "four windows in step at " << (1 << level) << "x for " << syncSeconds << " s: spread of shown frames ";
        if (spreads.empty())
            out << "not measured (nothing shown)\n";
        else
            out << "median " << spreads[spreads.size() / 2] << " ms, worst " << spreads.back() << " ms over "
                << spreads.size() << " samples (target at 1x: worst < 200 ms)\n";
    }
    return 0;
}
