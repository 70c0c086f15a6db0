// Start-up figures: the time from starting the station's process until its main window is painted
// with the channels of a sample folder listed in the channel tree, beside the time from starting a
// bare Qt program until its one empty 1024x768 window is painted, both measured the same way in
// the same run (from QProcess::start until the program prints that it is ready).
//   bench_startup [--runs N] (N starts of each, 9 by default)
// It ends with the line `aim startup_ratio value V goal 2.5 met yes|no` (medians, station / bare).
// The bare program is this executable started with --bare-window.
#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMainWindow>
#include <QPaintEvent>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// The bare program: one window; "ready" once it has been painted.
class BareWindow : public QMainWindow {
protected:
    void paintEvent(QPaintEvent* event) override
    {
        QMainWindow::paintEvent(event);
        if (m_reported)
            return;
        m_reported = true;
        QTimer::singleShot(0, this, [] {
            std::fprintf(stderr, "varpen: ready\n");
            std::fflush(stderr);
            QCoreApplication::quit();
        });
    }

private:
    bool m_reported = false;
};

int RunBareWindow(int argc, char** argv)
{
    QApplication app(argc, argv);
    BareWindow window;
    window.setFixedSize(1024, 768);
    window.show();
    return app.exec();
}

// Starts `program` and returns the milliseconds until it printed "varpen: ready"; -1 when it
// ended or hung first.
double TimeToReady(const QString& program, const QStringList& args, const QProcessEnvironment& env, QString* log)
{
    QProcess process;
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    QElapsedTimer timer;
    timer.start();
    process.start(program, args);
    QString out;
    double ready_ms = -1;
    while (timer.elapsed() < 120000) {
        if (!process.waitForReadyRead(50) && process.state() == QProcess::NotRunning)
            break;
        out += QString::fromLocal8Bit(process.readAll());
        if (out.contains(QLatin1String("varpen: ready"))) {
            ready_ms = timer.nsecsElapsed() / 1e6;
            break;
        }
    }
    if (!process.waitForFinished(60000))
        process.kill();
    process.waitForFinished();
    out += QString::fromLocal8Bit(process.readAll());
    if (ready_ms < 0 && log)
        *log = out;
    return ready_ms;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        if (QByteArray(argv[i]) == "--bare-window")
            return RunBareWindow(argc, argv);
    }
    QCoreApplication app(argc, argv);
    int runs = 9;
    const QStringList args = app.arguments();
    const int at = int(args.indexOf(QStringLiteral("--runs")));
    if (at > 0 && at + 1 < args.size())
        runs = std::max(1, args.at(at + 1).toInt());

    QTextStream out(stdout);
    const QString bin = QCoreApplication::applicationDirPath();
    QTemporaryDir work(QDir::temp().filePath(QStringLiteral("bench_startup-XXXXXX")));
    // The sample: 16 channels, one day of short recordings.
    const QString folder = work.filePath(QStringLiteral("sample"));
    {
        QProcess sample;
        sample.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        sample.start(bin + QStringLiteral("/varpen-sample"),
                     {QStringLiteral("folder"), folder, QStringLiteral("--channels"), QStringLiteral("16"),
                      QStringLiteral("--days"), QStringLiteral("1"), QStringLiteral("--segments-per-day"),
                      QStringLiteral("1"), QStringLiteral("--segment-length"), QStringLiteral("4")});
        if (!sample.waitForFinished(300000) || sample.exitCode() != 0) {
            out << "bench_startup: making the sample failed\n";
            return 1;
        }
    }
    // A screen the station accepts, the same for both programs.
    const QString screen = work.filePath(QStringLiteral("screen.json"));
    {
        QFile f(screen);
        if (!f.open(QIODevice::WriteOnly))
            return 1;
        f.write(
            R"({"screens":[{"name":"S1","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    const QString platform = env.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (platform.startsWith(QLatin1String("offscreen")))
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screen);
    QDir(work.path()).mkpath(QStringLiteral("config"));
    QDir(work.path()).mkpath(QStringLiteral("runtime"));
    QFile::setPermissions(work.filePath(QStringLiteral("runtime")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    env.insert(QStringLiteral("VARPEN_CONFIG_DIR"), work.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), work.filePath(QStringLiteral("runtime")));
    env.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), folder);
    env.insert(QStringLiteral("VARPEN_TEST_SCRIPT"), QStringLiteral("ready,close"));

    std::vector<double> station;
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        QString log;
        // Alternating, so that a busy moment of the machine falls on both.
        const double s = TimeToReady(bin + QStringLiteral("/varpen"), {}, env, &log);
        const double b =
            TimeToReady(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare-window")}, env, &log);
        if (s < 0 || b < 0) {
            out << "bench_startup: a start did not get ready:\n" << log << "\n";
            return 1;
        }
        station.push_back(s);
        bare.push_back(b);
    }
    const double sm = Median(station);
    const double bm = Median(bare);
    out << QStringLiteral(
               "start to painted window with 16 channels listed: median %1 ms (best %2, worst %3), %4 runs\n")
               .arg(sm, 0, 'f', 1)
               .arg(*std::min_element(station.begin(), station.end()), 0, 'f', 1)
               .arg(*std::max_element(station.begin(), station.end()), 0, 'f', 1)
               .arg(runs);
    out << QStringLiteral("start to painted bare Qt window:                 median %1 ms (best %2, worst %3)\n")
               .arg(bm, 0, 'f', 1)
               .arg(*std::min_element(bare.begin(), bare.end()), 0, 'f', 1)
               .arg(*std::max_element(bare.begin(), bare.end()), 0, 'f', 1);
    const double ratio = sm / bm;
    out << QStringLiteral("ratio station / bare: %1 (platform %2)\n").arg(ratio, 0, 'f', 2).arg(platform);
    out << QStringLiteral("aim startup_ratio value %1 goal 2.5 met %2\n")
               .arg(ratio, 0, 'f', 2)
               .arg(ratio <= 2.5 ? QStringLiteral("yes") : QStringLiteral("no"));
    return 0;
}
