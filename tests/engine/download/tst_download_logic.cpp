// The downloader's pure rules: which files hold a time, the expected size of a window, the
// progress figure, the package size and the names and folders of output files.

#include <QtTest>

#include <cstdlib>
#include <ctime>

#include "engine/Records.h"
#include "engine/DownloadPlan.h"
#include "engine/OutputFile.h"

using namespace Varpen;

namespace {

SingleFilePtr File(const char* name, time_t start, time_t end, std::uint64_t size = 1000, int channel = 0,
                   const char* label = "")
{
    return std::make_shared<CSingleFile>(name, "", size, start, end, 1, label, channel);
}

QString Names(const SingleFileList& files)
{
    QStringList names;
    for (const SingleFilePtr& f : files)
        names << QString::fromStdString(f->GetName());
    return names.join(',');
}

time_t Local(int y, int mo, int d, int h, int mi, int s)
{
    return Varpen::MakeTime(RecordTime{y, mo, d, h, mi, s});
}

}  // namespace

class TestDownloadLogic : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setenv("TZ", "Europe/Berlin", 1);
        tzset();
    }

    void findFilesAtTime_data()
    {
        QTest::addColumn<qint64>("t");
        QTest::addColumn<QString>("expected");
        // a [100,200) b [200,300), gap, c [400,500) and d [400,450) start together, e [600,700)
        QTest::newRow("inside first") << qint64(150) << "a";
        QTest::newRow("start of first") << qint64(100) << "a";
        QTest::newRow("end belongs to the next") << qint64(200) << "b";
        QTest::newRow("gap takes the next start and its twins") << qint64(350) << "c,d";
        QTest::newRow("inside twins") << qint64(420) << "c,d";
        QTest::newRow("only the longer twin") << qint64(460) << "c";
        QTest::newRow("before everything") << qint64(10) << "a";
        QTest::newRow("after everything") << qint64(800) << "";
    }
    void findFilesAtTime()
    {
        QFETCH(qint64, t);
        QFETCH(QString, expected);
        const SingleFileList files{File("a", 100, 200), File("b", 200, 300), File("c", 400, 500), File("d", 400, 450),
                                   File("e", 600, 700)};
        QCOMPARE(Names(FindFilesAtTime(files, t)), expected);
    }

    void estimateSizeInWindow_data()
    {
        QTest::addColumn<qint64>("begin");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<qint64>("expected");
        // a [100,199] 1000 bytes, b [200,299] 1000 bytes, c [300,399] 3000 bytes
        QTest::newRow("two whole files") << qint64(100) << qint64(299) << qint64(2000);
        QTest::newRow("half of the first") << qint64(150) << qint64(299) << qint64(1500);
        QTest::newRow("inside one file") << qint64(210) << qint64(219) << qint64(100);
        QTest::newRow("two whole and half a third") << qint64(100) << qint64(349) << qint64(3500);
        QTest::newRow("window ending where a file starts") << qint64(200) << qint64(300) << qint64(1000);
        QTest::newRow("before every file") << qint64(0) << qint64(50) << qint64(0);
        QTest::newRow("after every file") << qint64(500) << qint64(600) << qint64(0);
    }
    void estimateSizeInWindow()
    {
        QFETCH(qint64, begin);
        QFETCH(qint64, end);
        QFETCH(qint64, expected);
        const SingleFileList files{File("a", 100, 199), File("b", 200, 299), File("c", 300, 399, 3000)};
        QCOMPARE(qint64(EstimateDataSize(files, begin, end)), expected);
    }

    // Recordings of 4 GiB and more count with their whole size.
    void estimateOfLargeRecordings_data()
    {
        QTest::addColumn<qint64>("begin");
        QTest::addColumn<qint64>("end");
        QTest::addColumn<qint64>("expected");
        constexpr qint64 kGiB = qint64(1) << 30;
        // a [100,199] of exactly 4 GiB, b [200,299] of 5 GiB
        QTest::newRow("the 4 GiB file") << qint64(100) << qint64(199) << 4 * kGiB;
        QTest::newRow("the 5 GiB file") << qint64(200) << qint64(299) << 5 * kGiB;
        QTest::newRow("both") << qint64(100) << qint64(299) << 9 * kGiB;
        QTest::newRow("second half of the 5 GiB file") << qint64(250) << qint64(299) << 5 * kGiB / 2;
        QTest::newRow("first tenth of the 5 GiB file") << qint64(200) << qint64(209) << 5 * kGiB / 10;
    }
    void estimateOfLargeRecordings()
    {
        QFETCH(qint64, begin);
        QFETCH(qint64, end);
        QFETCH(qint64, expected);
        const SingleFileList files{File("a", 100, 199, 4ull << 30), File("b", 200, 299, 5ull << 30)};
        QCOMPARE(qint64(EstimateDataSize(files, begin, end)), expected);
    }

    void estimateSkipsRecordsThatEndBeforeTheyStart()
    {
        // A corrupt record (end before start) would divide by zero or a negative span.
        const SingleFileList files{File("bad", 300, 100, 5000), File("b", 200, 299), File("bad2", 250, 249, 7000)};
        QCOMPARE(qint64(EstimateDataSize(files, 0, 1000)), qint64(1000));
    }

    void progress_data()
    {
        QTest::addColumn<qint64>("written");
        QTest::addColumn<qint64>("total");
        QTest::addColumn<int>("expected");
        QTest::newRow("nothing expected") << qint64(0) << qint64(0) << 0;
        QTest::newRow("written but nothing expected") << qint64(10) << qint64(0) << 0;
        QTest::newRow("done") << qint64(5000) << qint64(5000) << 100;
        QTest::newRow("half") << qint64(500) << qint64(1000) << 50;
        QTest::newRow("rounds up") << qint64(5) << qint64(1000) << 1;
        QTest::newRow("almost done is not done") << qint64(999) << qint64(1000) << 99;
        QTest::newRow("more than expected is not done") << qint64(1500) << qint64(1000) << 99;
    }
    void progress()
    {
        QFETCH(qint64, written);
        QFETCH(qint64, total);
        QFETCH(int, expected);
        QCOMPARE(DownloadProgressPercent(written, total), expected);
    }

    void packageSize()
    {
        QCOMPARE(DownloadPackageSizeBytes("0"), 33554432ull);
        QCOMPARE(DownloadPackageSizeBytes("1"), 134217728ull);
        QCOMPARE(DownloadPackageSizeBytes("2"), 33554432ull);
        QCOMPARE(DownloadPackageSizeBytes(""), 33554432ull);
    }

    // One rule for every output folder: the save folder, one separator, the date, the kind.
    void outputNames_data()
    {
        QTest::addColumn<QString>("savePath");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("dated");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("expectedPath");
        const int download = int(OutputKind::Download);
        QTest::newRow("disk file, folder with separator")
            << "/data/dl/" << download << true << "" << 2 << "/data/dl/20240131/Download/channel3_20240131235958T.mp4";
        QTest::newRow("folder typed without separator")
            << "/data/dl" << download << true << "" << 0 << "/data/dl/20240131/Download/channel1_20240131235958T.mp4";
        QTest::newRow("local folder file takes its label") << "/data/dl/" << download << true << "cam_5" << 4
                                                           << "/data/dl/20240131/Download/cam_5_20240131235958T.mp4";
        QTest::newRow("snapshot folder without separator")
            << "/data/shots" << int(OutputKind::Capture) << true << "" << 0
            << "/data/shots/20240131/Capture/channel1_20240131235958T.mp4";
        QTest::newRow("clip") << "/data/c/" << int(OutputKind::Clip) << true << "gate" << 0
                              << "/data/c/20240131/Clip/gate_20240131235958T.mp4";
        QTest::newRow("clip without a current file: no date folder")
            << "/data/c" << int(OutputKind::Clip) << false << "" << 0 << "/data/c/Clip/channel1_20240131235958T.mp4";
    }
    void outputNames()
    {
        QFETCH(QString, savePath);
        QFETCH(int, kind);
        QFETCH(bool, dated);
        QFETCH(QString, label);
        QFETCH(int, channel);
        QFETCH(QString, expectedPath);
        // The date folder and the stamp are those of the recording's start, not of today.
        const time_t start = Local(2024, 1, 31, 23, 59, 58);
        const std::string path = OutputFolderUnder(savePath.toStdString(), OutputKind(kind), dated ? start : -1) +
                                 OutputFileName(label.toStdString(), channel + 1, start, "T", ".mp4");
        QCOMPARE(QString::fromStdString(path), expectedPath);
    }
};

QTEST_GUILESS_MAIN(TestDownloadLogic)
#include "tst_download_logic.moc"
