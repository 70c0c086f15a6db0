// The station on a sample, worked as the operator works it (disk scan, search, play, close),
// prints nothing of its own on standard output or error: its debug lines show only when a
// logging rule switches them on, and warnings about real failures still show.
#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString BuildDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR");
}

struct Output {
    int exitCode = -1;
    QString out;
    QString err;
};

bool RunSample(const QStringList& args)
{
    QProcess tool;
    tool.start(BuildDir() + QStringLiteral("/bin/varpen-sample"), args);
    return tool.waitForFinished(240000) && tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

// Runs the station offscreen on `disk` through the script, with its own configuration and runtime
// folders; `settings` (if any) is its "Settings.xml", `rules` its QT_LOGGING_RULES.
Output RunStation(const QString& disk, const QString& script, const QByteArray& settings = {},
                  const QString& rules = {})
{
    QTemporaryDir config, runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString screen = config.filePath(QStringLiteral("screen.json"));
    QFile json(screen);
    json.open(QIODevice::WriteOnly);
    json.write(
        R"({"screens":[{"name":"S1","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBpi":96,"dpr":1}]})");
    json.close();
    if (!settings.isEmpty()) {
        QFile file(config.filePath(QStringLiteral("Settings.xml")));
        file.open(QIODevice::WriteOnly);
        file.write(settings);
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screen);
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("VARPEN_CONFIG_DIR"), config.path());
    env.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), disk);
    env.insert(QStringLiteral("VARPEN_TEST_SCRIPT"), script);
    env.remove(QStringLiteral("QT_LOGGING_RULES"));
    env.remove(QStringLiteral("QT_LOGGING_CONF"));
    if (!rules.isEmpty())
        env.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
    QProcess process;
    process.setProcessEnvironment(env);
    process.start(BuildDir() + QStringLiteral("/bin/varpen"), {});
    Output run;
    if (!process.waitForFinished(300000)) {
        process.kill();
        process.waitForFinished();
    } else if (process.exitStatus() == QProcess::NormalExit) {
        run.exitCode = process.exitCode();
    }
    run.out = QString::fromLocal8Bit(process.readAllStandardOutput());
    run.err = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
}

// A copy of the folder `from` in `to` whose segment files have damaged pictures: 100 bytes
// inverted, spread over each file after its first 2000 bytes (the decoder then complains about
// nearly every frame, as it does on a worn disk).
bool DamagedCopy(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
        if (!target.endsWith(QLatin1String(".mp4")))
            continue;
        QFile file(target);
        if (!file.open(QIODevice::ReadWrite))
            return false;
        QByteArray bytes = file.readAll();
        for (qsizetype i = 0; i < 100 && bytes.size() > 2000; ++i)
            bytes[2000 + i * (bytes.size() - 2000) / 100] ^= char(0xff);
        if (!file.seek(0) || file.write(bytes) != bytes.size())
            return false;
    }
    return true;
}

}  // namespace

class TestQuietOutput : public QObject {
    Q_OBJECT

    // Recordings of today, so that the station's first scan (of the month shown) finds them.
    QTemporaryDir m_dir;
    QString m_today;
    QString m_script;

    QString Disk(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_today = QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"));
        m_script = QStringLiteral("ready,search:%1,play,close").arg(m_today);
        const QStringList common{QStringLiteral("--channels"),
                                 QStringLiteral("2"),
                                 QStringLiteral("--start-date"),
                                 m_today,
                                 QStringLiteral("--days"),
                                 QStringLiteral("1"),
                                 QStringLiteral("--segments-per-day"),
                                 QStringLiteral("2"),
                                 QStringLiteral("--segment-length"),
                                 QStringLiteral("6")};
        QVERIFY(RunSample(QStringList{QStringLiteral("folder"), Disk(QStringLiteral("folder"))} + common));
        QVERIFY(
            RunSample(QStringList{QStringLiteral("disk"), Disk(QStringLiteral("disk.img")), QStringLiteral("--layout"),
                                  QStringLiteral("nvr"), QStringLiteral("--logs"), QStringLiteral("0")} +
                      common));
        QVERIFY(DamagedCopy(Disk(QStringLiteral("folder")), Disk(QStringLiteral("damaged"))));
    }

    void scanAndPlayPrintNothing_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::newRow("local folder") << QStringLiteral("folder");
        QTest::newRow("recorder disk") << QStringLiteral("disk.img");
        QTest::newRow("damaged pictures") << QStringLiteral("damaged");
    }

    // The script's own lines ("varpen: ...") are all there is, but for what the offscreen
    // platform plugin itself says of the window features it lacks (an X server has them).
    void scanAndPlayPrintNothing()
    {
        QFETCH(QString, disk);
        const Output run = RunStation(Disk(disk), m_script);
        const QString both = run.out + run.err;
        QVERIFY2(run.exitCode == 0, qPrintable(both));
        QVERIFY2(run.err.contains(QStringLiteral("varpen: step play ok")), qPrintable(both));
        QVERIFY2(run.out.isEmpty(), qPrintable(run.out));
        const QStringList lines = run.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& line : lines) {
            if (!line.startsWith(QStringLiteral("This plugin does not support ")))
                QVERIFY2(line.startsWith(QStringLiteral("varpen: ")), qPrintable(line));
        }
    }

    // The lines are still there, for whoever asks: the disk scan's trace and the settings reader's.
    void debugLinesShowWhenSwitchedOn()
    {
        const Output run =
            RunStation(Disk(QStringLiteral("disk.img")), m_script, {}, QStringLiteral("varpen.*.debug=true"));
        QVERIFY2(run.exitCode == 0, qPrintable(run.err.right(2000)));
        // The scan asks for each of the 64 channels.
        QVERIFY2(run.err.count(QStringLiteral("varpen.engine: DR_FILE_FindFile Start")) >= 64, qPrintable(run.err));
        QVERIFY2(run.err.contains(QStringLiteral("varpen.app: No file to read...")), qPrintable(run.err));
    }

    void damagedSettingsAreStillSaid()
    {
        const Output run = RunStation(Disk(QStringLiteral("folder")), QStringLiteral("ready,close"),
                                      "<?xml version=\"1.0\"?>\n<Settings>\n<CaptureSaveType><Value>0</Val");
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY2(run.err.contains(QRegularExpression(QStringLiteral("Settings.xml\" is damaged"))),
                 qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestQuietOutput)
#include "tst_quiet_output.moc"
