// The application object, built the way the program builds it: with a Chinese "Setup.xml" in the
// configuration folder and the lock folder of its own.
#include "app/ClientSetup.h"
#include "app/gui/OstraApplication.h"
#include "app/gui/OstraStyle.h"
#include "app/StartupNotice.h"

#include <QDir>
#include <QFile>
#include <QFont>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <memory>

namespace {

const QString kKey = QStringLiteral("VarpenAppTest");

struct Notice {
    QString title;
    QString text;
};
QVector<Notice> g_notices;

}  // namespace

class TestApplication : public QObject {
    Q_OBJECT
private slots:
    void init() { g_notices.clear(); }
    void fontStyleAndSheet();
    void chineseTranslatorsInstalled();
    void holdsTheLock();
    void screenRule_data();
    void screenRule();
    void smallScreenIsRefused();
};

void TestApplication::fontStyleAndSheet()
{
    QCOMPARE(QApplication::font().family(), QStringLiteral("Arial"));
    QCOMPARE(QApplication::font().pointSize(), 9);
    QCOMPARE(QApplication::font("CToolLabel").pointSize(), 10);
    QVERIFY(!qApp->quitOnLastWindowClosed());
    // The style sheet wraps the application style; the slider length shows ours beneath it.
    QCOMPARE(QApplication::style()->pixelMetric(QStyle::PM_SliderLength), 13);
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("CToolLabel")));
    QVERIFY(qApp->styleSheet().contains(QStringLiteral("CGroupTreeView")));
}

void TestApplication::chineseTranslatorsInstalled()
{
    QCOMPARE(GetLanguageManager()->GetCurrentLanguage()->GetId(), int(CClientLanguageManager::Chinese));
    QCOMPARE(COstraApplication::tr("Software is already running."), QStringLiteral("软件已在运行。"));
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "OK"), QStringLiteral("确定"));
}

void TestApplication::holdsTheLock()
{
    auto* app = static_cast<COstraApplication*>(qApp);
    QVERIFY(!app->IsAlreadyRunning());
    QVERIFY(g_notices.isEmpty());
    QLockFile other(COstraApplication::LockFilePath(kKey));
    QVERIFY(!other.tryLock(0));
    QCOMPARE(other.error(), QLockFile::LockFailedError);
}

void TestApplication::screenRule_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<bool>("tooSmall");
    QTest::newRow("1024x768") << QSize(1024, 768) << false;
    QTest::newRow("1023x768") << QSize(1023, 768) << true;
    QTest::newRow("1024x767") << QSize(1024, 767) << true;
    QTest::newRow("1920x1080") << QSize(1920, 1080) << false;
    QTest::newRow("no screen") << QSize(0, 0) << true;
}

void TestApplication::screenRule()
{
    QFETCH(QSize, screen);
    QFETCH(bool, tooSmall);
    QCOMPARE(COstraApplication::ScreenSizeTooSmall(screen), tooSmall);
}

void TestApplication::smallScreenIsRefused()
{
    // The offscreen screen of the tests is 800x800.
    auto* app = static_cast<COstraApplication*>(qApp);
    QVERIFY(app->IsScreenTooSmall());
    QCOMPARE(g_notices.size(), 1);
    QCOMPARE(g_notices[0].title, QStringLiteral("DarizArevudud"));
    QCOMPARE(g_notices[0].text, QStringLiteral("最低分辨率为1024*768。"));
}

int main(int argc, char** argv)
{
    QTemporaryDir config;
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("VARPEN_CONFIG_DIR", config.path().toUtf8());
    qputenv("XDG_RUNTIME_DIR", runtime.path().toUtf8());
    {
        QFile setup(config.filePath("Setup.xml"));
        setup.open(QIODevice::WriteOnly);
        setup.write(
            "<?xml version=\"1.0\"?>\n<Configs><Translator><Value>1</Value></Translator>"
            "<LogLevel><Value>0</Value></LogLevel><VersionType><Value>1</Value></VersionType></Configs>\n");
    }
    // The program finds its translations beside itself; this test runs from tests-bin/.
    const QString buildDir = qEnvironmentVariable("VARPEN_BUILD_DIR");
    QFile::link(buildDir + "/bin/translations", buildDir + "/tests-bin/translations");

    SetStartupNoticeHandler([](const QString& title, const QString& text) { g_notices.append({title, text}); });
    int result = 0;
    {
        auto app = std::make_unique<COstraApplication>(argc, argv, kKey);
        TestApplication test;
        result = QTest::qExec(&test, argc, argv);
    }
    // Gone with the application object: the setup entries and the lock.
    QLockFile after(COstraApplication::LockFilePath(kKey));
    if (GetClientSetup()->Count() != 0 || !after.tryLock(0)) {
        std::fprintf(stderr, "FAIL: the application object left its setup entries or its lock behind\n");
        result = 1;
    }
    return result;
}

#include "tst_application.moc"
