// The real program, started as the operator starts it: under Xvfb for the look of the window,
// and under the offscreen platform for the one-running-copy rule.
#include "mainwindow/VarpenMainWnd.h"
#include "tests/support/ChildRun.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

namespace {

QString Program()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/bin/varpen");
}

// A private runtime folder (lock files) and configuration folder per test.
struct Sandbox {
    QTemporaryDir runtime;
    QTemporaryDir config;
    QString screenFile;

    Sandbox()
    {
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        screenFile = config.filePath(QStringLiteral("screen.json"));
        QFile json(screenFile);
        json.open(QIODevice::WriteOnly);
        json.write(
            R"({"screens":[{"name":"S1","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBpi":96,"dpr":1}]})");
    }

    QProcessEnvironment Environment(const QString& platform, int quitAfter_ms) const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("VARPEN_CONFIG_DIR"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        env.insert(QStringLiteral("VARPEN_TEST_QUIT_AFTER_MS"), QString::number(quitAfter_ms));
        return env;
    }

    QString Offscreen() const { return QStringLiteral("offscreen:configfile=") + screenFile; }
};

struct Run {
    int exitCode = -1;
    QString log;
};

// A check's message is cut short, and a sanitizer's report comes at the end of the output: the
// output of a run that failed or holds a report is printed whole.
void ShowWhenFailed(const Run& run)
{
    if (run.exitCode != 0 || HasSanitizerReport(run.log.toLocal8Bit()))
        qWarning().noquote() << "the program's output (exit code" << run.exitCode << "):\n" << run.log;
}

// Runs the program under a fresh Xvfb screen of the given size until it ends. `extra`: further
// environment.
Run RunUnderXvfb(const Sandbox& box, const QString& screen, int quitAfter_ms, const QString& screenshot = {},
                 const QProcessEnvironment& extra = {})
{
    QProcess process;
    QProcessEnvironment env = box.Environment(QStringLiteral("xcb"), quitAfter_ms);
    if (!screenshot.isEmpty())
        env.insert(QStringLiteral("VARPEN_TEST_SCREENSHOT"), screenshot);
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    if (quitAfter_ms < 0)
        env.remove(QStringLiteral("VARPEN_TEST_QUIT_AFTER_MS"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("xvfb-run"), {QStringLiteral("-a"), QStringLiteral("-s"),
                                               QStringLiteral("-screen 0 %1x24").arg(screen), Program()});
    Run run;
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
        run.log = QStringLiteral("did not end: ") + QString::fromLocal8Bit(process.readAll());
        ShowWhenFailed(run);
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.log = QString::fromLocal8Bit(process.readAll());
    ShowWhenFailed(run);
    return run;
}

// Runs one offscreen copy on the 1280x1024 screen to its end. `extra`: further environment.
Run RunOffscreen(const Sandbox& box, int quitAfter_ms, const QProcessEnvironment& extra = {})
{
    QProcess process;
    QProcessEnvironment env = box.Environment(box.Offscreen(), quitAfter_ms);
    for (const QString& key : extra.keys())
        env.insert(key, extra.value(key));
    if (quitAfter_ms < 0)
        env.remove(QStringLiteral("VARPEN_TEST_QUIT_AFTER_MS"));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(Program(), {});
    Run run;
    if (!process.waitForFinished(180000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.log = QString::fromLocal8Bit(process.readAll());
    ShowWhenFailed(run);
    return run;
}

bool HasLockFile(const Sandbox& box)
{
    return QFile::exists(box.runtime.filePath(QStringLiteral("Varpen.lock")));
}

// Waits until the started program prints `line`.
bool WaitForLine(QProcess& process, const QString& line, QString* log)
{
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        if (log->contains(line))
            return true;
        if (process.state() == QProcess::NotRunning)
            break;
        process.waitForReadyRead(200);
        *log += QString::fromLocal8Bit(process.readAll());
    }
    *log += QString::fromLocal8Bit(process.readAll());
    return log->contains(line);
}

}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void windowSize_data();
    void windowSize();
    void showsTheWindowUnderXvfb();
    void worksTheSampleUnderXvfb_data();
    void worksTheSampleUnderXvfb();
    void scriptStepsOnGoodAndBrokenFolders_data();
    void scriptStepsOnGoodAndBrokenFolders();
    void refusesASmallScreen();
    void loadsThePlayerLibrariesOnceTheWindowIsUp();
    void secondCopyRefusedAndKilledCopyLeavesNoLock();
};

void TestStartup::windowSize_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QSize>("expected");
    QTest::newRow("1920x1080") << QSize(1920, 1080) << QSize(1920, 1050) << QSize(1250, 750);
    QTest::newRow("1366x768") << QSize(1366, 768) << QSize(1366, 768) << QSize(1250, 750);
    QTest::newRow("1280x1024") << QSize(1280, 1024) << QSize(1280, 1024) << QSize(950, 780);
    QTest::newRow("1600x1200, 4:3") << QSize(1600, 1200) << QSize(1600, 1170) << QSize(950, 780);
    // 950x780 would not fit a 768-pixel screen: the window keeps within the available area.
    QTest::newRow("1024x768") << QSize(1024, 768) << QSize(1024, 740) << QSize(950, 740);
}

void TestStartup::windowSize()
{
    QFETCH(QSize, screen);
    QFETCH(QSize, available);
    QFETCH(QSize, expected);
    QCOMPARE(CVarpenMainWnd::WindowSizeFor(screen, available), expected);
}

void TestStartup::showsTheWindowUnderXvfb()
{
    Sandbox box;
    const QString shot = box.config.filePath(QStringLiteral("screen.png"));
    const Run run = RunUnderXvfb(box, QStringLiteral("1280x1024"), 1500, shot);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));
    QVERIFY2(run.log.contains(QStringLiteral("varpen: window shown 950x780 visible=1")), qPrintable(run.log));
    // The frameless window covers the top-left of the otherwise black screen.
    const QImage image(shot);
    QCOMPARE(image.size(), QSize(1280, 1024));
    QVERIFY(image.pixelColor(70, 55) != QColor(Qt::black));    // the chosen "Playback" tab
    QCOMPARE(image.pixelColor(100, 1000), QColor(Qt::black));  // below the window
    // No settings were written at start.
    QVERIFY(!QFile::exists(box.config.filePath(QStringLiteral("Settings.xml"))));
}

// The operator's road on the sample recordings: the chosen disk's channels listed, every tab,
// a search of two channels over a day, a click that plays, and a close through the confirmation.
// The program ends with 0, every thread stopped before its owner went.
void TestStartup::worksTheSampleUnderXvfb_data()
{
    QTest::addColumn<QString>("disk");
    QTest::newRow("local folder") << QStringLiteral("month");
    QTest::newRow("recorder disk") << QStringLiteral("disk-nvr.img");
}

void TestStartup::worksTheSampleUnderXvfb()
{
    QFETCH(QString, disk);
    const QString path = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/") + disk;
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    Sandbox box;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), path);
    extra.insert(QStringLiteral("VARPEN_TEST_SCRIPT"),
                 QStringLiteral("calendar:2024-01,ready,tabs,search:2024-01-30,play,close"));
    const Run run = RunUnderXvfb(box, QStringLiteral("1366x768"), -1, {}, extra);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));
    for (const char* step : {"calendar:2024-01", "ready", "tabs", "search:2024-01-30", "play", "close"})
        QVERIFY2(run.log.contains(QStringLiteral("varpen: step %1 ok").arg(QLatin1String(step))), qPrintable(run.log));
    QVERIFY2(run.log.contains(QStringLiteral("varpen: asked [Confirm] Sure to close software")), qPrintable(run.log));
    QVERIFY2(run.log.contains(QStringLiteral("varpen: about [About] Local Playback Software")), qPrintable(run.log));
    QVERIFY2(!run.log.contains(QStringLiteral("QThread: Destroyed")), qPrintable(run.log));
    QVERIFY2(!run.log.contains(QStringLiteral("FAILED")), qPrintable(run.log));
}

// The script's steps for waits that the station must survive: four windows in step, a download of
// every row, the loop's lateness; on folders whose segment files are empty, FIFOs no one writes or
// unreadable (refused to root too), play ends with the station's reason and the script goes on.
void TestStartup::scriptStepsOnGoodAndBrokenFolders_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QStringList>("expected");  // lines the run prints
    QTest::addColumn<QString>("download");      // a pattern for the download line
    const QString steps = QStringLiteral("calendar:2024-01,ready,%1,download,lag,close");
    QTest::newRow("good, four in step") << QStringLiteral("month")
                                        << steps.arg(QStringLiteral("search:2024-01-30:4,sync"))
                                        << QStringList{QStringLiteral("varpen: found 2, 2, 2 and 2 recordings"),
                                                       QStringLiteral("varpen: sync 4 of 4 windows play")}
                                        << QStringLiteral("varpen: download done [1-9][0-9]* failed 0");
    for (const char* kind : {"empty", "fifo", "unreadable"})
        QTest::newRow(kind) << QStringLiteral("broken-%1").arg(QLatin1String(kind))
                            << steps.arg(QStringLiteral("search:2024-01-30,play"))
                            << QStringList{QStringLiteral("varpen: found 1 and 1 recordings"),
                                           QStringLiteral("varpen: play refused: ")}
                            << QStringLiteral("varpen: download done 0 failed [1-9]");
}

void TestStartup::scriptStepsOnGoodAndBrokenFolders()
{
    QFETCH(QString, folder);
    QFETCH(QString, steps);
    QFETCH(QStringList, expected);
    QFETCH(QString, download);
    const QString path = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/") + folder;
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    Sandbox box;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), path);
    extra.insert(QStringLiteral("VARPEN_TEST_SCRIPT"), steps);
    extra.insert(QStringLiteral("VARPEN_TEST_UNREADABLE_FOR_ROOT"), QStringLiteral("1"));
    const Run run = RunUnderXvfb(box, QStringLiteral("1366x768"), -1, {}, extra);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));
    for (const QString& step : steps.split(QLatin1Char(',')))
        QVERIFY2(run.log.contains(QStringLiteral("varpen: step %1 ok").arg(step)), qPrintable(run.log));
    for (const QString& line : expected)
        QVERIFY2(run.log.contains(line), qPrintable(run.log));
    QVERIFY2(run.log.contains(QRegularExpression(download)), qPrintable(run.log));
    QVERIFY2(run.log.contains(QRegularExpression(QStringLiteral("varpen: lag worst_ms [0-9.]+ p99_ms [0-9.]+"))),
             qPrintable(run.log));
    QVERIFY2(!run.log.contains(QStringLiteral("QThread: Destroyed")), qPrintable(run.log));
    QVERIFY2(!run.log.contains(QStringLiteral("FAILED")), qPrintable(run.log));
}

void TestStartup::refusesASmallScreen()
{
    Sandbox box;
    const Run run = RunUnderXvfb(box, QStringLiteral("1000x700"), 0);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));
    QVERIFY2(run.log.contains(QStringLiteral("notice [DarizArevudud] The least resolution is 1024*768.")),
             qPrintable(run.log));
    QVERIFY2(!run.log.contains(QStringLiteral("varpen: started")), qPrintable(run.log));
}

// FFmpeg and the audio output (over a hundred shared libraries) are not loaded to show the
// window and list the channels: the player module brings them in when the search takes players
// for the windows, and the window then plays. The dynamic loader reports every library it loads
// on the same error output as the steps, in order.
void TestStartup::loadsThePlayerLibrariesOnceTheWindowIsUp()
{
    const QString path = qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test/month");
    QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    Sandbox box;
    QProcessEnvironment extra;
    extra.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), path);
    extra.insert(QStringLiteral("VARPEN_TEST_SCRIPT"),
                 QStringLiteral("calendar:2024-01,ready,search:2024-01-30,play,close"));
    extra.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
    const Run run = RunOffscreen(box, -1, extra);
    QVERIFY2(run.exitCode == 0, qPrintable(run.log));
    // Loaded once the window is up (the script's first step runs then), before the first play.
    const qsizetype up = run.log.indexOf(QStringLiteral("varpen: step calendar:2024-01"));
    const qsizetype played = run.log.indexOf(QStringLiteral("varpen: step play ok"));
    QVERIFY2(up >= 0 && played > up, qPrintable(run.log));
    for (const char* library : {"file=libavcodec.so", "file=libavformat.so", "file=libswscale.so",
                                "file=libQt6Multimedia.so", "varpen-player.so"}) {
        const qsizetype loaded = run.log.indexOf(QLatin1String(library));
        QVERIFY2(loaded > up, library);
        QVERIFY2(loaded < played, library);
    }
}

void TestStartup::secondCopyRefusedAndKilledCopyLeavesNoLock()
{
    Sandbox box;
    QProcess first;
    first.setProcessEnvironment(box.Environment(box.Offscreen(), 120000));
    first.setProcessChannelMode(QProcess::MergedChannels);
    first.start(Program(), {});
    QString firstLog;
    QVERIFY2(WaitForLine(first, QStringLiteral("varpen: started"), &firstLog), qPrintable(firstLog));

    // A second copy tells the operator and ends with 0 before any window opens.
    const Run second = RunOffscreen(box, 0);
    QVERIFY2(second.exitCode == 0, qPrintable(second.log));
    QVERIFY2(second.log.contains(QStringLiteral("notice [DarizArevudud] Software is already running.")),
             qPrintable(second.log));
    QVERIFY(!second.log.contains(QStringLiteral("varpen: started")));

    // Killed without a chance to clean up, the first copy leaves a lock file whose owner is gone.
    ::kill(pid_t(first.processId()), SIGKILL);
    QVERIFY(first.waitForFinished(30000));
    QVERIFY(HasLockFile(box));

    const Run third = RunOffscreen(box, 300);
    QVERIFY2(third.exitCode == 0, qPrintable(third.log));
    QVERIFY2(third.log.contains(QStringLiteral("varpen: window shown 950x780 visible=1")), qPrintable(third.log));
    // A copy that ends normally leaves no lock behind.
    QVERIFY(!HasLockFile(box));
}

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
