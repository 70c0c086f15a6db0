// The playback page (offscreen) with 16 channels of a generated folder:
//   search of 16 channels over one day: from the click on "Search" to bars on all 16 rows of the
//     time line, and to the wait dialog's close;
//   the GUI thread's event-loop delay while the 16 windows play at 1x, then while they are idle:
//     how late a 5 ms timer fires (median, p99 and worst) over S seconds each;
//   the frames the windows showed meanwhile, counted across the files they cross: shown, late
//     (skipped because the next one was due already), missing (due at 1x, neither shown nor late),
//     the recorded time the windows went through, and the longest time a window's picture stood
//     still.
// bench_playback_page [--seconds S] [--size WxH] [--file-seconds F] (S: 60 by default; WxH: the
// recordings' picture size, 352x288 by default; F: each channel's day is files of F seconds back
// to back, by default one file that outlasts the run).
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <vector>

#include "engine/PlayBackInteraction.h"
#include "playback/PlayBackWidget.h"
#include "platform/vrend/vrend_test.h"
#include "timeline/ChartKit.h"
#include "timeline/MultiTimeSlider.h"
#include "widgets/CDiskTreeBox.h"
#include "widgets/CPushButton.h"
#include "widgets/DateTimeEdit.h"
#include "widgets/PromptHook.h"

namespace {

constexpr int kChannels = 16;
constexpr int kTick_ms = 5;
constexpr int kFps = 25;

struct Lateness {
    double median = -1, p99 = -1, worst = -1;
    int samples = 0;
};

// Runs the event loop for `seconds` with a 5 ms precise timer and measures how late each of its
// shots comes.
Lateness MeasureLoop(int seconds)
{
    std::vector<double> late;
    late.reserve(size_t(seconds) * 1000 / kTick_ms);
    QElapsedTimer clock;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(kTick_ms);
    qint64 last = 0;
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (last > 0)
            late.push_back(std::max(0.0, (now - last) / 1e6 - kTick_ms));
        last = now;
    });
    clock.start();
    tick.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    tick.stop();
    Lateness result;
    if (late.empty())
        return result;
    std::sort(late.begin(), late.end());
    result.samples = int(late.size());
    result.median = late[late.size() / 2];
    result.p99 = late[std::min(late.size() - 1, late.size() * 99 / 100)];
    result.worst = late.back();
    return result;
}

struct Frames {
    qint64 shown = 0, late = 0;
    qint64 recorded_ms = 0;  // recorded time gone through, summed over the windows counted
    int recorded_windows = 0;
    qint64 longest_stall_ms = 0;  // the longest time a window's picture stood still
};

// Starts the windows' counts: their ports count across files from here.
std::vector<qint64> StartCounting(const CPlayBackWidget& page)
{
    std::vector<qint64> shownTime;
    for (const auto& [window, engine] : page.Players()) {
        vrend_test_ClearTotals(engine->GetPlayPort());
        vrend::PortStats st;
        shownTime.push_back(vrend_test_GetStats(engine->GetPlayPort(), &st) ? st.last_shown_time_ms : -1);
    }
    return shownTime;
}

Frames Count(const CPlayBackWidget& page, const std::vector<qint64>& shownTimeAtStart)
{
    // The ports run on the steady clock: a picture still standing at the end counts to now.
    const qint64 now_ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count();
    Frames f;
    size_t i = 0;
    for (const auto& [window, engine] : page.Players()) {
        vrend::PortStats st;
        const qint64 startTime = i < shownTimeAtStart.size() ? shownTimeAtStart[i] : -1;
        ++i;
        if (!vrend_test_GetStats(engine->GetPlayPort(), &st))
            continue;
        const vrend::PortTotals& t = st.totals;
        f.shown += qint64(t.frames_shown);
        f.late += qint64(t.frames_late);
        if (startTime >= 0 && st.last_shown_time_ms >= startTime) {
            f.recorded_ms += st.last_shown_time_ms - startTime;
            ++f.recorded_windows;
        }
        const qint64 from_ns = t.last_shown_ns >= 0 ? t.last_shown_ns : t.since_ns;
        const qint64 standing_ns = from_ns >= 0 ? now_ns - from_ns : 0;
        const qint64 stall_ns = std::max<qint64>(t.longest_gap_ns, standing_ns);
        f.longest_stall_ms = std::max<qint64>(f.longest_stall_ms, stall_ns / 1'000'000);
    }
    return f;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("rec"));
    qputenv("VARPEN_EXTRA_DISKS", folder.toUtf8());
    QApplication app(argc, argv);
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    QTextStream out(stdout);
    const QStringList args = app.arguments();
    int seconds = 60;
    int fileSeconds = 0;
    QString size = QStringLiteral("352x288");
    if (const int at = int(args.indexOf(QStringLiteral("--seconds"))); at > 0 && at + 1 < args.size())
        seconds = std::max(1, args[at + 1].toInt());
    if (const int at = int(args.indexOf(QStringLiteral("--file-seconds"))); at > 0 && at + 1 < args.size())
        fileSeconds = std::max(1, args[at + 1].toInt());
    if (const int at = int(args.indexOf(QStringLiteral("--size"))); at > 0 && at + 1 < args.size())
        size = args[at + 1];

    const QDate day = QDate::currentDate();
    // The day's recording outlasts the run by 30 s, in one file or in files back to back.
    const int recordSeconds = seconds + 30;
    const int files = fileSeconds > 0 ? (recordSeconds + fileSeconds - 1) / fileSeconds : 1;
    QProcess gen;
    gen.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample"),
              {QStringLiteral("folder"),
               folder,
               QStringLiteral("--channels"),
               QString::number(kChannels),
               QStringLiteral("--days"),
               QStringLiteral("1"),
               QStringLiteral("--start-date"),
               day.toString(Qt::ISODate),
               QStringLiteral("--segments-per-day"),
               QString::number(files),
               QStringLiteral("--segment-length"),
               QString::number(fileSeconds > 0 ? fileSeconds : recordSeconds),
               QStringLiteral("--gap"),
               QStringLiteral("0"),
               QStringLiteral("--fps"),
               QString::number(kFps),
               QStringLiteral("--size"),
               size,
               QStringLiteral("--jobs"),
               QStringLiteral("3")});
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        out << "cannot write the sample recordings\n";
        return 1;
    }

    CPromptHook::SetAnswerer(
        [](const CPrompt& p) { return p.className == QLatin1String("ChaseDialog") ? CPromptHook::kRunModal : 1; });
    CPlayBackWidget page(nullptr, QSize(1920, 1080));
    page.resize(1600, 900);
    page.show();
    Ui_CPlayBackWidget& ui = page.Form();
    if (!ui.m_pComboBoxDisk->SelectEntry(1000, folder + QLatin1Char('/'))) {
        out << "the folder is not offered as a disk\n";
        return 1;
    }
    QElapsedTimer wait;
    wait.start();
    while (page.ChannelModel()->rowCount() == 0 && wait.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QStandardItem* group = page.ChannelModel()->item(0);
    if (!group || group->rowCount() < kChannels) {
        out << "the scan did not list " << kChannels << " channels\n";
        return 1;
    }
    for (int c = 0; c < kChannels; ++c)
        group->child(c)->setCheckState(Qt::Checked);
    ui.m_pDateTimeEditBeginTime->setDateTime(QDateTime(day, QTime(0, 0)));
    ui.m_pDateTimeEditEndTime->setDateTime(QDateTime(day, QTime(23, 59, 59)));

    // Search: bars on every row, and the dialog's close.
    CMultiTimeSlider* timeLine = ui.m_pMultiTimeSlider;
    QElapsedTimer search;
    double barsMs = -1;
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (barsMs >= 0)
            return;
        for (int r = 0; r < kChannels; ++r)
            if (timeLine->RowSeries(r)->BarCount() == 0)
                return;
        barsMs = search.nsecsElapsed() / 1e6;
    });
    poll.start();
    search.start();
    ui.m_pSearchBtn->click();
    const double closedMs = search.nsecsElapsed() / 1e6;
    poll.stop();
    int rowsWithBars = 0;
    for (int r = 0; r < kChannels; ++r)
        rowsWithBars += timeLine->RowSeries(r)->BarCount() > 0;
    out << "search of " << kChannels << " channels over one day: bars on " << rowsWithBars << " rows after " << barsMs
        << " ms; the wait dialog closed after " << closedMs << " ms (it closes on its 500 ms tick)\n";

    // 16 windows playing at 1x.
    const time_t start = QDateTime(day, QTime(10, 0, 1)).toSecsSinceEpoch();
    for (int r = 0; r < kChannels; ++r)
        page.OnStartPlayback(r, start);
    wait.restart();
    auto playing = [&page] {
        int n = 0;
        for (const auto& [window, engine] : page.Players())
            n += engine->IsPlaying();
        return n;
    };
    // Counting starts once every window shows its recording.
    auto showing = [&page] {
        int n = 0;
        for (const auto& [window, engine] : page.Players()) {
            vrend::PortStats st;
            n += vrend_test_GetStats(engine->GetPlayPort(), &st) && st.last_shown_time_ms >= 0;
        }
        return n;
    };
    while ((playing() < kChannels || showing() < kChannels) && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const int players = playing();
    const std::vector<qint64> shownTimeAtStart = StartCounting(page);
    const Lateness busy = MeasureLoop(seconds);
    const Frames frames = Count(page, shownTimeAtStart);
    const int stillPlaying = playing();
    page.OnBtnStop();

    const Lateness idle = MeasureLoop(seconds);

    out << "event-loop delay (lateness of a " << kTick_ms << " ms timer) with " << players << " windows playing "
        << size << " at 1x for " << seconds << " s: median " << busy.median << " ms, p99 " << busy.p99 << " ms, worst "
        << busy.worst << " ms over " << busy.samples << " shots; " << stillPlaying
        << " still playing at the end (target: p99 below 20 ms)\n";
    const qint64 due = qint64(players) * seconds * kFps;
    const qint64 missing = std::max<qint64>(0, due - frames.shown - frames.late);
    out << "frames of " << players << " windows over " << seconds << " s, "
        << (fileSeconds > 0 ? QStringLiteral("%1 s files").arg(fileSeconds) : QStringLiteral("one file each")) << ": "
        << due << " due at 1x, " << frames.shown << " shown (" << double(frames.shown) / seconds << " per second), "
        << frames.late << " late (skipped), " << missing << " missing ("
        << (due > 0 ? 100.0 * double(missing) / double(due) : 0) << "%); recorded time gone through "
        << (frames.recorded_windows > 0 ? double(frames.recorded_ms) / frames.recorded_windows / 1000 : 0)
        << " s per window; longest stall " << frames.longest_stall_ms << " ms\n";
    out << "event-loop delay with the windows idle for " << seconds << " s: median " << idle.median << " ms, p99 "
        << idle.p99 << " ms, worst " << idle.worst << " ms over " << idle.samples << " shots\n";
    CPromptHook::SetAnswerer({});
    return 0;
}
