// Windows in step: 4 and 16 windows in synchronous playback at 1x and 8x on camera-like
// recordings cut into short files, so that every run crosses several file changes. A run starts
// all windows together at one time through the controller (as the page does), then samples the
// time of the frame each window shows every 20 ms, until all have passed the second file change;
// the spread of a sample is the latest minus the earliest of those times (recording time). A window changing file still
// shows the last frame of the old file: it counts with that frame until the next file's first one.
//   bench_sync [--runs N] [--windows 4,16] [--speeds 0,3]   (10 runs of each by default)
// Ends with one line per case: aim NAME value V goal G met yes|no. BENCH_TRACE=1 prints where the
// worst spread of each run was.
#include <QApplication>
#include <QDateTime>
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

namespace {

constexpr int kSegment_s = 6;
constexpr int kSegments = 8;
constexpr int kSample_ms = 20;

using Bench::IntList;
using Bench::Spin;

struct RunResult {
    std::int64_t worst_ms = -1;
    std::int64_t median_ms = -1;
    int fileChanges = 0;  // the most any window made
    QString worstAt;
    bool started = false;
};

RunResult RunOnce(const QString& dir, time_t t0, time_t dayEnd, int windows, int level, int run_ms, bool trace)
{
    RunResult r;
    std::vector<std::unique_ptr<VideoSurface>> surfaces;
    std::vector<std::unique_ptr<CPlayBackInteraction>> engines;
    Varpen::SynPlaybackInteraction sync;
    for (int c = 1; c <= windows; ++c) {
        surfaces.push_back(std::make_unique<VideoSurface>());
        surfaces.back()->resize(240, 135);
        engines.push_back(std::make_unique<CPlayBackInteraction>());
        CPlayBackInteraction& e = *engines.back();
        e.SetChannel(Varpen::CChannel(c, QStringLiteral("NVR_1")));
        e.SetUseIndex(true);
        Varpen::SingleFileList files;
        e.SearchFiles(files, dir.toStdString(), t0, dayEnd, 0);
        // Every window starts somewhere else, as after a search; the controller brings them together.
        e.StartPlayback(surfaces.back()->surfaceId(), t0 + 1 + c % 3);
        sync.AddInteraction(&e);
    }
    sync.Start();
    sync.SetSpeed(level);
    sync.SetPlayTime(t0);
    sync.SetSpeed(level);
    // From the moment every window shows a frame of the new time.
    std::vector<std::int64_t> last(engines.size(), -1);
    std::vector<int> index(engines.size(), -1), changes(engines.size(), 0);
    QElapsedTimer timer;
    timer.start();
    while (!r.started && timer.elapsed() < 20000) {
        Spin(5);
        r.started = true;
        for (auto& e : engines) {
            vrend::PortStats st;
            if (!vrend_test_GetStats(e->GetPlayPort(), &st) || st.last_shown_time_ms / 1000 < t0 ||
                st.last_shown_time_ms / 1000 > t0 + 1)
                r.started = false;
        }
    }
    if (!r.started) {
        sync.StopAll();
        return r;
    }
    std::vector<std::int64_t> spreads;
    timer.restart();
    // Until every window in step has passed the second file change (windows that fall behind make
    // the run longer, up to four times its length at speed).
    const std::int64_t end_ms = (std::int64_t(t0) + 2 * kSegment_s + kSegment_s / 2) * 1000;
    bool passed = false;
    while (!passed && timer.elapsed() < 4 * run_ms) {
        Spin(kSample_ms);
        QString members;
        for (std::size_t i = 0; i < engines.size(); ++i) {
            CPlayBackInteraction& e = *engines[i];
            const Varpen::PlayState state = e.GetPlayState();
            if (!state.IsPlaying()) {
                last[i] = -1;  // ended or failed: out of the step
                members += QStringLiteral(" -");
                continue;
            }
            if (index[i] != -1 && state.index != index[i])
                ++changes[i];
            index[i] = state.index;
            vrend::PortStats st;
            if (vrend_test_GetStats(e.GetPlayPort(), &st) && st.last_shown_time_ms >= 0)
                last[i] = st.last_shown_time_ms;
            members +=
                QStringLiteral(" %1%2").arg(last[i] % 100000).arg(e.IsPaused() ? QStringLiteral("p") : QString());
        }
        std::int64_t lo = std::numeric_limits<std::int64_t>::max(), hi = std::numeric_limits<std::int64_t>::min();
        for (std::int64_t t : last) {
            if (t < 0)
                continue;
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
        passed = hi >= lo && lo >= end_ms && timer.elapsed() >= run_ms;
        if (hi >= lo) {
            spreads.push_back(hi - lo);
            if (hi - lo > r.worst_ms) {
                r.worst_ms = hi - lo;
                r.worstAt = QStringLiteral("at %1 ms:%2").arg(timer.elapsed()).arg(members);
            }
        }
    }
    sync.StopAll();
    r.fileChanges = *std::max_element(changes.begin(), changes.end());
    if (!spreads.empty()) {
        std::sort(spreads.begin(), spreads.end());
        r.median_ms = spreads[spreads.size() / 2];
    }
    if (!trace)
        r.worstAt.clear();
    return r;
}

}  // namespace

int main(int argc, char** argv)
{
    Bench::UseOffscreenUnlessChosen();
    QApplication app(argc, argv);
    Bench::SilenceMessages();
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    const int runs = std::max(1, IntList(args, QStringLiteral("--runs"), {10}).front());
    const QList<int> windowCounts = IntList(args, QStringLiteral("--windows"), {4, 16});
    const QList<int> levels = IntList(args, QStringLiteral("--speeds"), {0, 3});
    const bool trace = qEnvironmentVariableIsSet("BENCH_TRACE");
    const int maxWindows = *std::max_element(windowCounts.begin(), windowCounts.end());

    // Camera-like pictures (sensor noise, fine moving texture) at a camera's sub-stream size and
    // rate, keyframe every 2 s, files of 6 s one after another.
    QTemporaryDir dir;
    QProcess gen;
    gen.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample"),
              {QStringLiteral("folder"),
               dir.path(),
               QStringLiteral("--channels"),
               QString::number(maxWindows),
               QStringLiteral("--days"),
               QStringLiteral("1"),
               QStringLiteral("--segments-per-day"),
               QString::number(kSegments),
               QStringLiteral("--segment-length"),
               QString::number(kSegment_s),
               QStringLiteral("--gap"),
               QStringLiteral("0"),
               QStringLiteral("--size"),
               QStringLiteral("640x360"),
               QStringLiteral("--camera"),
               QStringLiteral("--bitrate"),
               QStringLiteral("1000"),
               QStringLiteral("--keyint"),
               QStringLiteral("50"),
               QStringLiteral("--jobs"),
               QString::number(std::max(1, QThread::idealThreadCount() / 2))});
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        out << "cannot write the sample recordings\n";
        return 1;
    }
    const time_t t0 = QDateTime(QDate(2024, 1, 30), QTime(10, 0, 0)).toSecsSinceEpoch();
    const time_t dayEnd = QDateTime(QDate(2024, 1, 30), QTime(23, 59, 59)).toSecsSinceEpoch();

    QStringList aims;
    for (int windows : windowCounts) {
        for (int level : levels) {
            // At least two file changes: 2.5 files of recording time, less the start.
            const int run_ms = int(double(kSegment_s) * 2.5 * 1000 / (level >= 0 ? (1 << level) : 1));
            const QString name = QStringLiteral("sync_%1win_%2x").arg(windows).arg(1 << level);
            std::int64_t worst = -1;
            int failed = 0;
            for (int run = 1; run <= runs; ++run) {
                const RunResult r = RunOnce(dir.path(), t0, dayEnd, windows, level, run_ms, trace);
                if (!r.started) {
                    ++failed;
                    out << name << " run " << run << ": the windows did not all start\n";
                    continue;
                }
                worst = std::max(worst, r.worst_ms);
                out << name << " run " << run << ": spread median " << r.median_ms << " ms, worst " << r.worst_ms
                    << " ms, file changes " << r.fileChanges << "\n";
                if (!r.worstAt.isEmpty())
                    out << "  worst " << r.worstAt << "\n";
                out.flush();
            }
            const int goal = level == 0 ? 200 : 1000;
            if (failed)
                out << name << ": " << failed << " of " << runs << " runs did not start, counted as not met\n";
            aims << QStringLiteral("aim %1 value %2 goal %3 met %4")
                        .arg(name)
                        .arg(worst)
                        .arg(goal)
                        .arg(!failed && worst >= 0 && worst < goal ? QStringLiteral("yes") : QStringLiteral("no"));
        }
    }
    for (const QString& a : aims)
        out << a << "\n";
    return 0;
}
