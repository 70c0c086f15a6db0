// `cmake --install` into a fresh prefix, and the installed program started from there: it finds
// its player module, its translations and nothing of the build tree.
#include "tests/support/ChildRun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString BuildDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR");
}

// The lines of a desktop entry's [Desktop Entry] group as key -> value.
QMap<QString, QString> DesktopEntry(const QString& path)
{
    QMap<QString, QString> entry;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return entry;
    bool inGroup = false;
    for (const QString& raw : QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.startsWith(QLatin1Char('[')))
            inGroup = line == QLatin1String("[Desktop Entry]");
        else if (inGroup && line.contains(QLatin1Char('=')))
            entry.insert(line.section(QLatin1Char('='), 0, 0), line.section(QLatin1Char('='), 1));
    }
    return entry;
}

}  // namespace

class TestInstall : public QObject {
    Q_OBJECT
    QTemporaryDir m_prefix;

private slots:
    void initTestCase()
    {
        QVERIFY(m_prefix.isValid());
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(VARPEN_CMAKE_COMMAND),
                      {QStringLiteral("--install"), BuildDir(), QStringLiteral("--prefix"), m_prefix.path()});
        QVERIFY(install.waitForFinished(120000));
        const QString log = QString::fromLocal8Bit(install.readAll());
        QVERIFY2(install.exitStatus() == QProcess::NormalExit && install.exitCode() == 0, qPrintable(log));
    }

    void installsEveryFile_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("executable");
        QTest::newRow("program") << QStringLiteral("bin/varpen") << true;
        QTest::newRow("player module") << QStringLiteral("lib/varpen/varpen-player.so") << false;
        QTest::newRow("English") << QStringLiteral("share/varpen/translations/varpen_en.qm") << false;
        QTest::newRow("Chinese") << QStringLiteral("share/varpen/translations/varpen_zh.qm") << false;
        QTest::newRow("desktop entry") << QStringLiteral("share/applications/varpen.desktop") << false;
        QTest::newRow("icon") << QStringLiteral("share/icons/hicolor/32x32/apps/varpen.png") << false;
    }

    void installsEveryFile()
    {
        QFETCH(QString, path);
        QFETCH(bool, executable);
        const QFileInfo file(m_prefix.filePath(path));
        QVERIFY2(file.isFile() && file.size() > 0, qPrintable(file.filePath()));
        if (executable)
            QVERIFY(file.isExecutable());
    }

    // The entry names the program and the icon under this prefix, wherever it is.
    void desktopEntryNamesTheInstalledProgram()
    {
        const auto entry = DesktopEntry(m_prefix.filePath(QStringLiteral("share/applications/varpen.desktop")));
        QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Name")), QStringLiteral("Varpen"));
        QCOMPARE(entry.value(QStringLiteral("Exec")), m_prefix.filePath(QStringLiteral("bin/varpen")));
        QCOMPARE(entry.value(QStringLiteral("Icon")),
                 m_prefix.filePath(QStringLiteral("share/icons/hicolor/32x32/apps/varpen.png")));
        QVERIFY(entry.value(QStringLiteral("Categories")).contains(QLatin1String("AudioVideo;")));
    }

    // The installed program lists a sample's channels, searches, plays (the player module from
    // the prefix) and closes; its texts are Chinese, from the prefix's translations.
    void installedProgramPlays()
    {
        const QString sample = BuildDir() + QStringLiteral("/samples/test/month");
        QVERIFY2(QFileInfo::exists(sample), qPrintable(sample));
        QTemporaryDir config;
        QTemporaryDir runtime;
        QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        {
            QFile setup(config.filePath(QStringLiteral("Setup.xml")));
            QVERIFY(setup.open(QIODevice::WriteOnly));
            setup.write(
                "<Configs><Translator><Value>1</Value></Translator><VersionType><Value>1</Value></VersionType>"
                "</Configs>");
        }
        const QString screen = config.filePath(QStringLiteral("screen.json"));
        {
            QFile json(screen);
            QVERIFY(json.open(QIODevice::WriteOnly));
            json.write(
                R"({"screens":[{"name":"S1","x":0,"y":0,"width":1280,"height":1024,"logicalDpi":96,"logicalBaseDpi":96,"dpr":1}]})");
        }
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + screen);
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("VARPEN_CONFIG_DIR"), config.path());
        env.insert(QStringLiteral("VARPEN_EXTRA_DISKS"), sample);
        env.insert(QStringLiteral("VARPEN_TEST_SCRIPT"),
                   QStringLiteral("calendar:2024-01,ready,search:2024-01-30,play,close"));
        env.insert(QStringLiteral("LD_DEBUG"), QStringLiteral("files"));
        env.remove(QStringLiteral("VARPEN_BUILD_DIR"));
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::MergedChannels);
        // Started from elsewhere than its folder or the build tree.
        program.setWorkingDirectory(QDir::tempPath());
        program.start(m_prefix.filePath(QStringLiteral("bin/varpen")), {});
        QVERIFY(program.waitForFinished(180000));
        const QString log = QString::fromLocal8Bit(program.readAll());
        QVERIFY2(program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0, qPrintable(log));
        QVERIFY2(!HasSanitizerReport(log.toLocal8Bit()), qPrintable(log));
        for (const char* step : {"calendar:2024-01", "ready", "search:2024-01-30", "play", "close"})
            QVERIFY2(log.contains(QStringLiteral("varpen: step %1 ok").arg(QLatin1String(step))), qPrintable(log));
        QVERIFY2(log.contains(
                     QStringLiteral("file=%1 ").arg(m_prefix.filePath(QStringLiteral("lib/varpen/varpen-player.so")))),
                 qPrintable(log));
        QVERIFY2(!log.contains(QStringLiteral("file=") + BuildDir() + QLatin1Char('/')), qPrintable(log));
        QVERIFY2(log.contains(QStringLiteral("varpen: asked [确认] 确定要关闭软件吗")), qPrintable(log));
    }
};

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
