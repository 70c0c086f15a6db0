// Playback figures on generated recordings (1080p, keyframe every 2 s):
//   click to first frame: StartPlayback at a time inside a file until the frame of that second is
//     shown (median and worst of several clicks);
//   four windows in synchronous playback at 1x and 8x: the worst spread of their shown times.
// bench_playback [--seconds S] (S: length of each synchronous run, 60 by default)
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "platform/vrend/VideoSurface.h"

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
        for (int i = 0; i < 15; ++i) {
            const time_t target = t0 + 1 + (i * 7) % (segment_s - 2);
            QElapsedTimer timer;
            timer.start();
            if (!engine.StartPlayback(surface.surfaceId(), target))
                continue;
            const std::uint64_t before = surface.framesReceived();
            double first = -1;
            while (engine.GetCurrentTime() != target && timer.elapsed() < 5000) {
                if (first < 0 && surface.framesReceived() != before) {
                    first = timer.nsecsElapsed() / 1e6;
                    if (qEnvironmentVariableIsSet("BENCH_TRACE"))
                        out << "first shown " << (engine.GetCurrentTime() - target) << " s from the click\n";
                }
                Spin(1);
            }
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
                << ms.back() << " ms over " << ms.size() << " clicks (target: median < 150 ms)\n";
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
        time_t worst = 0;
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < syncSeconds * 1000) {
            Spin(250);
            time_t lo = std::numeric_limits<time_t>::max(), hi = 0;
            for (auto& e : engines) {
                const time_t t = e->GetCurrentTime();
                if (t == -1)
                    continue;
                lo = std::min(lo, t);
                hi = std::max(hi, t);
            }
            if (hi >= lo)
                worst = std::max(worst, hi - lo);
        }
        sync.StopAll();
        out << "four windows in step at " << (1 << level) << "x for " << syncSeconds
            << " s: worst spread of shown times " << worst * 1000 << " ms (whole seconds; target < 200 ms)\n";
    }
    return 0;
}
