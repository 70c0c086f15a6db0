#include "app/gui/CommonUtilGui.h"
#include "app/SettingsManager.h"
#include "platform/system/system.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

using Screens = QVector<CCommonUtil::ScreenArea>;

namespace {

// Free-space answers given to CheckSavePathDiskSpace, and the path it asked about.
struct FakeDisk {
    bool ok = true;
    uint64_t freeBytes = 0;
    QString asked;
};
FakeDisk g_disk;

bool FakeFreeSpace(const char* path, uint64_t* freeBytes, uint64_t* totalBytes)
{
    g_disk.asked = QString::fromUtf8(path);
    if (freeBytes)
        *freeBytes = g_disk.freeBytes;
    if (totalBytes)
        *totalBytes = g_disk.freeBytes * 2;
    return g_disk.ok;
}

time_t Local(int y, int mo, int d, int h, int mi, int s)
{
    return QDateTime(QDate(y, mo, d), QTime(h, mi, s)).toSecsSinceEpoch();
}

}  // namespace

class TestCommonUtil : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void parseTimeString_data();
    void parseTimeString();
    void formatSize_data();
    void formatSize();
    void scaleKeepAspect_data();
    void scaleKeepAspect();
    void legalFileName_data();
    void legalFileName();
    void makeDirs();
    void checkSavePathDiskSpace_data();
    void checkSavePathDiskSpace();
    void checkSavePathUsesStoredSetting();
    void adjustPosToAvailable_data();
    void adjustPosToAvailable();
    void adjustRectToScreen();
    void recorderTextDecoding_data();
    void recorderTextDecoding();
    void roundRegions();
    void pixmapsComeFromResources();
    void mimeLocalFiles();
    void paths();
    void windowsDrivePaths_data();
    void windowsDrivePaths();
    void addressChecks();
};

void TestCommonUtil::initTestCase()
{
    Sys_SetFreeSpaceFunction(&FakeFreeSpace);
}

void TestCommonUtil::cleanup()
{
    QLocale::setDefault(QLocale::c());
    CSettingsManager::Instance()->Clear();
    g_disk = FakeDisk();
}

void TestCommonUtil::parseTimeString_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<qint64>("expected");
    QTest::newRow("leap day") << QByteArray("20240229235959") << qint64(Local(2024, 2, 29, 23, 59, 59));
    QTest::newRow("summer time") << QByteArray("20240715120000") << qint64(Local(2024, 7, 15, 12, 0, 0));
    QTest::newRow("new year") << QByteArray("20250101000000") << qint64(Local(2025, 1, 1, 0, 0, 0));
    QTest::newRow("trailing text ignored")
        << QByteArray("20240229235959.bin") << qint64(Local(2024, 2, 29, 23, 59, 59));
    // Fields are read as numbers, so a month of 13 rolls into the next year as the C library does.
    QTest::newRow("month 13 rolls over") << QByteArray("20241301000000") << qint64(Local(2025, 1, 1, 0, 0, 0));
    QTest::newRow("short text") << QByteArray("2024022923") << qint64(-1);
    QTest::newRow("empty") << QByteArray("") << qint64(-1);
}

void TestCommonUtil::parseTimeString()
{
    QFETCH(QByteArray, text);
    QFETCH(qint64, expected);
    QCOMPARE(qint64(ParseTimeString(text.constData())), expected);
}

void TestCommonUtil::formatSize_data()
{
    QTest::addColumn<QString>("locale");
    QTest::addColumn<quint64>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("zero") << "en_US" << quint64(0) << "0";
    QTest::newRow("below 1 KB") << "en_US" << quint64(1023) << "1023";
    QTest::newRow("1 KB") << "en_US" << quint64(1024) << "1 KB";
    QTest::newRow("KB truncate") << "en_US" << quint64(2047) << "1 KB";
    QTest::newRow("KB grouping") << "en_US" << quint64(1048575) << "1,023 KB";
    QTest::newRow("1.5 MB") << "en_US" << quint64(1572864) << "1.5 MB";
    QTest::newRow("GB two decimals") << "en_US" << (quint64(5) << 30) << "5.00 GB";
    QTest::newRow("just below 1 TB") << "en_US" << ((quint64(1) << 40) - 1) << "1,024.00 GB";
    QTest::newRow("1 TB") << "en_US" << (quint64(1) << 40) << "1.000 TB";
    QTest::newRow("German separators") << "de_DE" << quint64(1572864) << "1,5 MB";
}

void TestCommonUtil::formatSize()
{
    QFETCH(QString, locale);
    QFETCH(quint64, bytes);
    QFETCH(QString, expected);
    QLocale::setDefault(QLocale(locale));
    QCOMPARE(CCommonUtil::FormatSize(bytes), expected);
}

void TestCommonUtil::scaleKeepAspect_data()
{
    QTest::addColumn<QList<int>>("args");  // srcW, srcH, boxW, boxH
    QTest::addColumn<QSize>("expected");
    QTest::newRow("wide into 4:3") << QList<int>{1600, 900, 800, 600} << QSize(800, 450);
    QTest::newRow("tall into 4:3") << QList<int>{900, 1600, 800, 600} << QSize(337, 600);
    QTest::newRow("same shape") << QList<int>{1920, 1080, 1280, 720} << QSize(1280, 720);
    QTest::newRow("zero width") << QList<int>{0, 900, 800, 600} << QSize(800, 600);
    QTest::newRow("zero height") << QList<int>{900, 0, 800, 600} << QSize(800, 600);
    QTest::newRow("large values do not overflow") << QList<int>{60000, 40000, 60000, 50000} << QSize(60000, 40000);
}

void TestCommonUtil::scaleKeepAspect()
{
    QFETCH(QList<int>, args);
    QFETCH(QSize, expected);
    int w = -1;
    int h = -1;
    CCommonUtil::ScaleKeepAspect(args[0], args[1], args[2], args[3], &w, &h);
    QCOMPARE(QSize(w, h), expected);
}

void TestCommonUtil::legalFileName_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("legal");
    for (const QString c : {"\\", "/", ":", "*", "?", "\"", "<", ">", "|", "'"})
        QTest::addRow("holds %s", qPrintable(c)) << QStringLiteral("clip%1name").arg(c) << false;
    QTest::newRow("plain") << "Camera_01-2024.05.jpg" << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("Chinese and blanks") << QStringLiteral("前门 摄像机") << true;
    QTest::newRow("regex characters are not special") << "a.b(c)[d]+e^$" << true;
}

void TestCommonUtil::legalFileName()
{
    QFETCH(QString, text);
    QFETCH(bool, legal);
    QCOMPARE(CCommonUtil::IsLegalFileName(text), legal);
}

void TestCommonUtil::makeDirs()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    // A file path: its folders are created, the file name is not.
    MakeDirs(QString(root + "/a/b/clip.mp4").toUtf8().constData());
    QVERIFY(QFileInfo(root + "/a/b").isDir());
    QVERIFY(!QFileInfo::exists(root + "/a/b/clip.mp4"));
    // Without a trailing separator the last level is not created.
    MakeDirs(QString(root + "/c/d").toUtf8().constData());
    QVERIFY(QFileInfo(root + "/c").isDir());
    QVERIFY(!QFileInfo::exists(root + "/c/d"));
    // Existing folders pass harmlessly; a backslash is part of a name here.
    MakeDirs(QString(root + "/a/b/x\\y/").toUtf8().constData());
    QVERIFY(QFileInfo(root + "/a/b/x\\y").isDir());
    // Paths far beyond 260 characters work.
    const QString deep = root + "/" + QString(120, 'p') + "/" + QString(120, 'q') + "/" + QString(120, 'r') + "/";
    MakeDirs(deep.toUtf8().constData());
    QVERIFY(QFileInfo(deep).isDir());
    MakeDirs(nullptr);
}

void TestCommonUtil::checkSavePathDiskSpace_data()
{
    QTest::addColumn<float>("minGB");
    QTest::addColumn<bool>("queryOk");
    QTest::addColumn<quint64>("freeBytes");
    QTest::addColumn<bool>("tooLittle");
    const quint64 twoGB = 2147483648ULL;
    const quint64 halfGB = 536870912ULL;
    QTest::newRow("exactly 2 GB is enough") << 2.0f << true << twoGB << false;
    QTest::newRow("one byte short of 2 GB") << 2.0f << true << twoGB - 1 << true;
    QTest::newRow("exactly 0.5 GB") << 0.5f << true << halfGB << false;
    QTest::newRow("one byte short of 0.5 GB") << 0.5f << true << halfGB - 1 << true;
    QTest::newRow("plenty") << 2.0f << true << (quint64(3) << 40) << false;
    QTest::newRow("failed query") << 0.5f << false << (quint64(3) << 40) << true;
}

void TestCommonUtil::checkSavePathDiskSpace()
{
    QFETCH(float, minGB);
    QFETCH(bool, queryOk);
    QFETCH(quint64, freeBytes);
    QFETCH(bool, tooLittle);
    g_disk.ok = queryOk;
    g_disk.freeBytes = freeBytes;
    QCOMPARE(CheckSavePathDiskSpace(minGB, -1, QStringLiteral("/home/u/Videos/clips/")), tooLittle);
    // The whole folder is asked about, not a drive prefix.
    QCOMPARE(g_disk.asked, QStringLiteral("/home/u/Videos/clips/"));
}

void TestCommonUtil::checkSavePathUsesStoredSetting()
{
    g_disk.freeBytes = quint64(100) << 30;
    CSettingsManager* store = CSettingsManager::Instance();
    // A missing setting is the default output folder, the one the outputs are written to.
    store->SetAllSettings({});
    const QString fallback = CCommonUtil::GetOutputSavePath(CSettingsManager::CaptureSavePath);
    QVERIFY2(fallback.endsWith("/Varpen/") && QDir::isAbsolutePath(fallback), qPrintable(fallback));
    QVERIFY(!CheckSavePathDiskSpace(0.5f, CSettingsManager::CaptureSavePath, QString()));
    QCOMPARE(g_disk.asked, fallback);

    store->SetAllSettings(
        {new CSettings("CaptureSavePath", "/srv/snapshots"), new CSettings("ClipSavePath", "D:/Clips/")});
    QVERIFY(!CheckSavePathDiskSpace(0.5f, CSettingsManager::CaptureSavePath, QStringLiteral("/ignored/")));
    QCOMPARE(g_disk.asked, QStringLiteral("/srv/snapshots/"));
    // A folder left by a Windows installation names nothing here: the default folder is asked.
    QVERIFY(!CheckSavePathDiskSpace(2.0f, CSettingsManager::ClipSavePath, QString()));
    QCOMPARE(g_disk.asked, fallback);
    // Too little space there is still too little.
    g_disk.freeBytes = quint64(1) << 30;
    QVERIFY(CheckSavePathDiskSpace(2.0f, CSettingsManager::ClipSavePath, QString()));
    // A drive path typed into the settings page is refused as before.
    QVERIFY(CheckSavePathDiskSpace(2.0f, -1, QStringLiteral("C:/")));
    store->SetAllSettings({});
}

void TestCommonUtil::adjustPosToAvailable_data()
{
    QTest::addColumn<Screens>("screens");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QPoint>("expected");
    const QRect full(0, 0, 1920, 1080);
    const Screens bottomBar = {{full, QRect(0, 0, 1920, 1040)}};
    QTest::newRow("inside the available area") << bottomBar << QPoint(500, 500) << QPoint(500, 500);
    QTest::newRow("under a bottom bar") << bottomBar << QPoint(500, 1060) << QPoint(500, 1039);
    QTest::newRow("bottom bar, screen below")
        << Screens{{full, QRect(0, 0, 1920, 1040)}, {QRect(0, 1080, 1920, 1080), QRect(0, 1080, 1920, 1080)}}
        << QPoint(500, 1060) << QPoint(500, 1060);
    QTest::newRow("under a right bar") << Screens{{full, QRect(0, 0, 1860, 1080)}} << QPoint(1900, 300)
                                       << QPoint(1859, 300);
    QTest::newRow("right bar, screen beside")
        << Screens{{full, QRect(0, 0, 1860, 1080)}, {QRect(1920, 0, 1280, 1024), QRect(1920, 0, 1280, 1024)}}
        << QPoint(1900, 300) << QPoint(1900, 300);
    QTest::newRow("under a left bar") << Screens{{full, QRect(60, 0, 1860, 1080)}} << QPoint(20, 300)
                                      << QPoint(60, 300);
    QTest::newRow("under a top bar") << Screens{{full, QRect(0, 30, 1920, 1050)}} << QPoint(700, 10) << QPoint(700, 30);
    QTest::newRow("no screens") << Screens{} << QPoint(-5, -5) << QPoint(-5, -5);
}

void TestCommonUtil::adjustPosToAvailable()
{
    QFETCH(Screens, screens);
    QFETCH(QPoint, point);
    QFETCH(QPoint, expected);
    QCOMPARE(CCommonUtil::AdjustPosToAvailable(point, screens), expected);
}

void TestCommonUtil::adjustRectToScreen()
{
    const QRect screen(0, 0, 1024, 768);
    QCOMPARE(CCommonUtil::AdjustRectToScreen(QRect(100, 100, 200, 100), screen).topLeft(), QPoint(100, 100));
    QCOMPARE(CCommonUtil::AdjustRectToScreen(QRect(900, 700, 200, 100), screen).topLeft(), QPoint(823, 667));
}

void TestCommonUtil::recorderTextDecoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::newRow("ascii") << QByteArray("Camera 01") << "Camera 01";
    QTest::newRow("utf-8") << QByteArray("\xe5\x89\x8d\xe9\x97\xa8") << QStringLiteral("前门");
    QTest::newRow("gbk") << QByteArray("\xc4\xe3\xba\xc3") << QStringLiteral("你好");
    QTest::newRow("gb18030 four-byte") << QByteArray("\x81\x30\x81\x30") << QString(QChar(0x80));
    QTest::newRow("empty") << QByteArray() << QString();
}

void TestCommonUtil::recorderTextDecoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(CCommonUtil::LocalToQString(bytes.constData()), expected);
    QCOMPARE(CCommonUtil::LocalToQString(static_cast<const char*>(nullptr)), QString());
}

void TestCommonUtil::roundRegions()
{
    const QRect r(0, 0, 100, 50);
    const QRegion all = CCommonUtil::GetRoundRectRegion(r, 10);
    QVERIFY(!all.contains(QPoint(0, 0)) && !all.contains(QPoint(99, 0)));
    QVERIFY(!all.contains(QPoint(0, 49)) && !all.contains(QPoint(99, 49)));
    QVERIFY(all.contains(QPoint(5, 5)) && all.contains(QPoint(50, 0)) && all.contains(QPoint(0, 25)));
    QVERIFY(!all.contains(QPoint(100, 25)));

    const QRegion top = CCommonUtil::GetTopRoundRectRegion(r, 10);
    QVERIFY(!top.contains(QPoint(0, 0)) && !top.contains(QPoint(99, 0)));
    QVERIFY(top.contains(QPoint(0, 49)) && top.contains(QPoint(99, 49)));

    const QRegion left = CCommonUtil::GetLeftRoundRectRegion(r, 10);
    QVERIFY(!left.contains(QPoint(0, 0)) && !left.contains(QPoint(0, 49)));
    QVERIFY(left.contains(QPoint(99, 0)) && left.contains(QPoint(99, 49)));

    const QRegion right = CCommonUtil::GetRightRoundRectRegion(r, 10);
    QVERIFY(right.contains(QPoint(0, 0)) && right.contains(QPoint(0, 49)));
    QVERIFY(!right.contains(QPoint(99, 0)) && !right.contains(QPoint(99, 49)));
}

void TestCommonUtil::pixmapsComeFromResources()
{
    QCOMPARE(CCommonUtil::LoadPixmap(":/images/Tab/TabSelect.png").size(), QSize(5, 39));
    QCOMPARE(CCommonUtil::LoadPixmap(":images/public/ProgressBar/ProgressBarChunk.png").size(), QSize(4, 8));
    QVERIFY(CCommonUtil::LoadPixmap(":/images/none.png").isNull());

    // A missing image is not remembered: once it exists it loads.
    QTemporaryDir dir;
    const QString path = dir.filePath("late.png");
    QVERIFY(CCommonUtil::LoadPixmap(path).isNull());
    QImage image(3, 2, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(path));
    QCOMPARE(CCommonUtil::LoadPixmap(path).size(), QSize(3, 2));
}

void TestCommonUtil::mimeLocalFiles()
{
    QMimeData data;
    data.setUrls(
        {QUrl::fromLocalFile("/srv/a.mp4"), QUrl("http://example.invalid/x"), QUrl::fromLocalFile("/b c.jpg")});
    QCOMPARE(CCommonUtil::GetMimeLocalFiles(&data), QStringList({"/srv/a.mp4", "/b c.jpg"}));
}

void TestCommonUtil::paths()
{
    QVERIFY(CCommonUtil::GetAppDirPath().endsWith('/'));
    QCOMPARE(CCommonUtil::GetAbsolutePath("/etc/x.xml"), QStringLiteral("/etc/x.xml"));
    QCOMPARE(CCommonUtil::GetAbsolutePath("Settings.xml"), CCommonUtil::GetAppDirPath() + "Settings.xml");

    QTemporaryDir dir;
    qputenv("VARPEN_CONFIG_DIR", dir.path().toUtf8());
    QCOMPARE(CCommonUtil::GetConfigFilePath("Setup.xml"), dir.path() + "/Setup.xml");
    qunsetenv("VARPEN_CONFIG_DIR");
    // The test's own folder is writable, so the program's folder is used.
    QCOMPARE(CCommonUtil::GetConfigDirPath(), CCommonUtil::GetAppDirPath());
}

void TestCommonUtil::windowsDrivePaths_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<bool>("usable");
    QTest::newRow("C:/") << "C:/" << false;
    QTest::newRow("d:\\video") << "d:\\video" << false;
    QTest::newRow("bare drive") << "E:" << false;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("posix folder") << "/home/u/Videos/" << true;
    QTest::newRow("relative with colon") << "clips:old/" << true;
}

void TestCommonUtil::windowsDrivePaths()
{
    QFETCH(QString, stored);
    QFETCH(bool, usable);
    const QString effective = CCommonUtil::EffectiveSavePath(stored, "Clip");
    if (usable) {
        QCOMPARE(effective, stored);
    } else {
        QVERIFY2(effective.endsWith("/Varpen/Clip/"), qPrintable(effective));
        QVERIFY(QDir::isAbsolutePath(effective));
    }
}

void TestCommonUtil::addressChecks()
{
    QVERIFY(CCommonUtil::IsValidIPv4("192.168.1.64"));
    QVERIFY(!CCommonUtil::IsValidIPv4("192.168.1.0"));
    QVERIFY(!CCommonUtil::IsValidIPv4("256.1.1.1"));
    QVERIFY(!CCommonUtil::IsValidIPv4("1.2.3"));
    QVERIFY(CCommonUtil::IsValidIPv6("fe80::1"));
    QVERIFY(!CCommonUtil::IsValidIPv6("fe80:::1"));
    QVERIFY(CCommonUtil::IsValidSubnetMask("255.255.255.0"));
    QVERIFY(!CCommonUtil::IsValidSubnetMask("255.0.255.0"));
    QVERIFY(CCommonUtil::IsMulticastIP("239.0.0.1") && !CCommonUtil::IsMulticastIP("240.0.0.1"));
    QVERIFY(CCommonUtil::IsValidMac("00:1A:2b:3C:4d:5E") && !CCommonUtil::IsValidMac("00:1A:2b:3C:4d"));
    QVERIFY(CCommonUtil::HasGBKChar("\xc4\xe3") && !CCommonUtil::HasGBKChar("plain"));
    QVERIFY(!CCommonUtil::IsDayInMonth(2, 30) && !CCommonUtil::IsDayInMonth(11, 31) &&
            CCommonUtil::IsDayInMonth(12, 31));
    QCOMPARE(CCommonUtil::GetEventTypeName(QEvent::MouseMove), QStringLiteral("MouseMove"));
    QCOMPARE(CCommonUtil::GetEventTypeName(QEvent::Type(1000)), QStringLiteral("1000"));
}

QTEST_MAIN(TestCommonUtil)
#include "tst_commonutil.moc"
