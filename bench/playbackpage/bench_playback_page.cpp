// The playback page (offscreen) with 16 channels of a generated folder:
//   search of 16 channels over one day: from the click on "Search" to bars on all 16 rows of the
//     time line, and to the wait dialog's close;
//   the GUI thread's event-loop delay while the 16 windows play at 1x, then while they are idle:
//     how late a 5 ms timer fires (median, p99 and worst) over S seconds each, and the frames the
//     windows showed meanwhile.
// bench_playback_page [--seconds S] [--size WxH] (S: 60 by default; WxH: the recordings' picture
// size, 352x288 by default).
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <vector>

#include "engine/PlayBackInteraction.h"
#include "playback/PlayBackWidget.h"
#include "playback/PlayBackWidgetPrivate.h"
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

qint64 FramesShown(CPlayBackWidgetPrivate& d)
{
    qint64 frames = 0;
    for (const auto& [window, engine] : d.Players()) {
        vrend::PortStats st;
        if (vrend_test_GetStats(engine->GetPlayPort(), &st))
            frames += st.frames_shown;
    }
    return frames;
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
    QString size = QStringLiteral("352x288");
    if (const int at = int(args.indexOf(QStringLiteral("--seconds"))); at > 0 && at + 1 < args.size())
        seconds = std::max(1, args[at + 1].toInt());
    if (const int at = int(args.indexOf(QStringLiteral("--size"))); at > 0 && at + 1 < args.size())
        size = args[at + 1];

    const QDate day = QDate::currentDate();
    QProcess gen;
    gen.start(QCoreApplication::applicationDirPath() + QStringLiteral("/varpen-sample"),
              {QStringLiteral("folder"), folder, QStringLiteral("--channels"), QString::number(kChannels),
               QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--start-date"), day.toString(Qt::ISODate),
               QStringLiteral("--segments-per-day"), QStringLiteral("1"), QStringLiteral("--segment-length"),
               QString::number(seconds + 30), QStringLiteral("--size"), size, QStringLiteral("--jobs"),
               QStringLiteral("3")});
    if (!gen.waitForFinished(-1) || gen.exitCode() != 0) {
        out << "cannot write the sample recordings\n";
        return 1;
    }

    CPromptHook::SetAnswerer([](const CPrompt& p) {
        return p.className == QLatin1String("ChaseDialog") ? CPromptHook::kRunModal : 1;
    });
    CPlayBackWidget page(nullptr, QSize(1920, 1080));
    page.resize(1600, 900);
    page.show();
    Ui_CPlayBackWidget& ui = page.Form();
    CPlayBackWidgetPrivate& d = *page.Private();
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
    auto playing = [&d] {
        int n = 0;
        for (const auto& [window, engine] : d.Players())
            n += engine->IsPlaying();
        return n;
    };
    while (playing() < kChannels && wait.elapsed() < 20000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    const int players = playing();
    const qint64 framesBefore = FramesShown(d);
    const Lateness busy = MeasureLoop(seconds);
    const qint64 frames = FramesShown(d) - framesBefore;
    const int stillPlaying = playing();
    page.OnBtnStop();

    const Lateness idle = MeasureLoop(seconds);

    out << "event-loop delay (lateness of a " << kTick_ms << " ms timer) with " << players << " windows playing " << size
        << " at 1x for " << seconds << " s: median " << busy.median << " ms, p99 " << busy.p99 << " ms, worst "
        << busy.worst << " ms over " << busy.samples << " shots; " << frames << " frames shown ("
        << (seconds > 0 ? double(frames) / seconds : 0) << " per second), " << stillPlaying
        << " still playing at the end (target: p99 below 20 ms)\n";
    out << "event-loop delay with the windows idle for " << seconds << " s: median " << idle.median << " ms, p99 "
        << idle.p99 << " ms, worst " << idle.worst << " ms over " << idle.samples << " shots\n";
    CPromptHook::SetAnswerer({});
    return 0;
}
