// The stream downloader on real recordings: the events it sends, the bytes it writes, and how it
// ends on a full disk, a failed write, a stop and a silent source.

#include <QtTest>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <cstdlib>
#include <thread>

#include "engine/WorkerReaper.h"
#include "platform/rtk/rtk.h"
#include "tests/engine/download/DownloadFixture.h"
#include "tests/support/BrokenFile.h"
#include "tests/support/WorkerLatch.h"

using namespace Varpen;
using namespace DownloadFixture;

namespace {

constexpr int kJobTimeout_ms = 60000;
constexpr int kHeader = 40;

// Holds the downloader's passes in the free-space query while closed.
std::atomic<bool> g_gateClosed{false};
bool GatedFreeSpace(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    while (g_gateClosed.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return FakeFreeSpace(path, free_bytes, total_bytes);
}

// Free space is low under this folder only (set while no job runs).
std::string g_lowFolder;
bool LowUnderOneFolder(const char* path, uint64_t* free_bytes, uint64_t* total_bytes)
{
    const bool low = !g_lowFolder.empty() && std::string(path).rfind(g_lowFolder, 0) == 0;
    if (free_bytes)
        *free_bytes = low ? (1ull << 30) : (100ull << 30);
    if (total_bytes)
        *total_bytes = 200ull << 30;
    return true;
}

// Output names that sort in creation order.
std::atomic<int64_t> g_nameTick{1000000};
int64_t CountingClock()
{
    return g_nameTick.fetch_add(1);
}
int64_t FixedClock()
{
    return 4242;
}

// A copy of a sample folder that a test may damage.
bool CopySample(const SampleSet& from, const QString& to, SampleSet* copy)
{
    QDirIterator it(from.root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.root.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
    }
    copy->root = to;
    copy->manifest = from.manifest;
    return true;
}

// The body of an output or recording file: everything after its stream header.
QByteArray Body(const QByteArray& file)
{
    return file.mid(kHeader);
}

}  // namespace

class TestStreamDownloader : public QObject {
    Q_OBJECT

    QTemporaryDir m_scratch;
    SampleSet m_tiny;
    SingleFileList m_files;  // the three recordings of the tiny set, in time order
    time_t m_s0 = 0;         // start of the first one
    QString m_out;
    int m_testNo = 0;

    bool StartJob(CStreamDownloader& d, const QString& mode, const SingleFileList& files, time_t begin = -1,
                  time_t end = -1)
    {
        d.SetUseIndex(true);
        if (!d.SetTask(std::make_unique<CStreamDownloaderParam>(m_tiny.FirstChannel())))
            return false;
        if (mode == "file")
            return d.StartByFile(files, {}, {});
        return d.StartByTime(files, begin, end);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_scratch.isValid());
        LoadTinyRecordings(m_tiny, m_files);
        if (QTest::currentTestFailed())
            return;
        m_s0 = m_files[0]->GetStartTime();
        // The recordings are laid out as the windows below expect: 4 s each, 2 s apart.
        QCOMPARE(m_files[1]->GetStartTime(), m_s0 + 6);
        QCOMPARE(m_files[2]->GetEndTime(), m_s0 + 16);
    }

    void init()
    {
        g_gateClosed = false;
        m_out = UseNewDownloadFolder(m_scratch, ++m_testNo, &GatedFreeSpace);
        QVERIFY(!m_out.isEmpty());
    }

    void cleanup()
    {
        // Stopped jobs end on the reaper: none may outlive the test's folder and settings.
        g_gateClosed = false;
        CWorkerReaper::Instance().JoinAll();
        SetOutputNameClock(nullptr);
        RTK_Test_FailWritesAfter(-1);
        g_gateClosed = false;
        Sys_SetFreeSpaceFunction(nullptr);
    }

    void signalSequences_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QList<int>>("fileIndexes");
        QTest::addColumn<int>("begin");  // seconds after the first recording's start
        QTest::addColumn<int>("end");
        QTest::addColumn<QString>("expected");

        const QList<int> all{0, 1, 2};
        QTest::newRow("by file, three files")
            << "file" << all << 0 << 0 << "4,-1,3 0,-1,3 5,0,3 4,0,3 5,1,3 4,1,3 5,2,3 2,2,0";
        QTest::newRow("by file, one file") << "file" << QList<int>{1} << 0 << 0 << "4,-1,1 0,-1,1 5,0,1 2,0,0";
        QTest::newRow("by time inside one file") << "time" << all << 1 << 3 << "0,-1,3 5,0,3 2,0,0";
        QTest::newRow("by time across two files") << "time" << all << 2 << 8 << "0,-1,3 5,0,3 5,1,3 2,1,0";
        QTest::newRow("by time from a gap") << "time" << all << 5 << 14 << "0,-1,3 5,1,3 5,2,3 2,2,0";
        QTest::newRow("by time over everything") << "time" << all << 0 << 16 << "0,-1,3 5,0,3 5,1,3 5,2,3 2,2,0";
    }
    void signalSequences()
    {
        QFETCH(QString, mode);
        QFETCH(QList<int>, fileIndexes);
        QFETCH(int, begin);
        QFETCH(int, end);
        QFETCH(QString, expected);

        SingleFileList files;
        for (int i : fileIndexes)
            files.push_back(m_files[i]);
        CStreamDownloader d;
        Recorder rec(d);
        QVERIFY(StartJob(d, mode, files, m_s0 + begin, m_s0 + end));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), expected);
        QVERIFY(!d.IsBusy());
        QCOMPARE(d.GetProgress(), 100);
        // Every signal leaves from the downloader's own thread, after the state it announces.
        QVERIFY(rec.FromOneThreadOtherThan(std::this_thread::get_id()));
        for (const Event& e : rec.Events()) {
            if (e.code == 0 || e.code == 4 || e.code == 5)
                QVERIFY(e.busy);
            if (e.code == 2) {
                QVERIFY(!e.busy);
                QCOMPARE(e.progress, 100);
            }
        }

        // Every file that was announced is there, and nothing else was written.
        QStringList announced = rec.Paths();
        announced.removeDuplicates();
        announced.sort();
        QCOMPARE(announced, OutputFiles(m_out));
    }

    void diskSource_data()
    {
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("mode");
        QTest::newRow("plain disk, by file") << "disk-plain.img"
                                             << "file";
        QTest::newRow("disk under _NVR_DIR_, by file") << "disk-nvr.img"
                                                       << "file";
        QTest::newRow("disk under _DVR_DIR_, by time") << "disk-dvr.img"
                                                       << "time";
    }
    void diskSource()
    {
        // A recorder disk: two days of channel 1, two 4-s recordings a day.
        QFETCH(QString, image);
        QFETCH(QString, mode);
        const std::string path = (BuildDir() + "/samples/test/" + image).toStdString();
        const time_t from = QDateTime(QDate(2024, 1, 30), QTime(0, 0)).toSecsSinceEpoch();
        const time_t to = QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)).toSecsSinceEpoch();
        SingleFileList files;
        QVERIFY(CFileSearch().SearchChannelFiles(files, path, 0, "", from, to, 0, false));
        QCOMPARE(int(files.size()), 4);

        CStreamDownloader d;
        Recorder rec(d);
        d.SetPackageSizeOverride(24 * 1024);  // several packages per recording
        QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(0)));
        int64_t expected = 0;
        if (mode == "file") {
            QVERIFY(d.StartByFile(files, {}, {}));
            for (const SingleFilePtr& f : files)
                expected += f->GetSize() - kHeader;
        } else {
            // From inside the first recording to the end of the second.
            QVERIFY(d.StartByTime(files, files[0]->GetStartTime() + 1, files[1]->GetEndTime()));
        }
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        const QString sequence = rec.Sequence();
        if (mode == "file")
            QCOMPARE(sequence, QString("4,-1,4 0,-1,4 5,0,4 4,0,4 5,1,4 4,1,4 5,2,4 4,2,4 5,3,4 2,3,0"));
        else
            QCOMPARE(sequence, QString("0,-1,4 5,0,4 5,1,4 2,1,0"));

        int64_t written = 0;
        const QStringList outputs = OutputFiles(m_out);
        QVERIFY(outputs.size() > 4);
        for (const QString& p : outputs) {
            const QByteArray out = ReadAll(p);
            QCOMPARE(out.left(4), QByteArray("VPSH"));
            written += out.size() - kHeader;
        }
        if (mode == "file")
            QCOMPARE(written, expected);  // every byte of every recording, none twice
    }

    void failedStreamEndsWithCode3()
    {
        // The image ends inside the data of its last recording: that stream fails.
        const std::string path = (BuildDir() + "/samples/test/disk-broken-truncated.img").toStdString();
        const time_t from = QDateTime(QDate(2024, 1, 30), QTime(0, 0)).toSecsSinceEpoch();
        const time_t to = QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)).toSecsSinceEpoch();
        SingleFileList files;
        QVERIFY(CFileSearch().SearchChannelFiles(files, path, 1, "", from, to, 0, false));
        QVERIFY(!files.empty());
        CStreamDownloader d;
        Recorder rec(d);
        QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(1)));
        QVERIFY(d.StartByFile(SingleFileList{files.back()}, {}, {}));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("4,-1,1 0,-1,1 3,0,1"));
        QVERIFY(!d.IsBusy());
    }

    void byFileIsByteExact_data()
    {
        QTest::addColumn<qulonglong>("package");
        QTest::newRow("one output per file") << qulonglong(0);
        QTest::newRow("rolled over at 24 KiB") << qulonglong(24 * 1024);
    }
    void byFileIsByteExact()
    {
        QFETCH(qulonglong, package);
        CStreamDownloader d;
        Recorder rec(d);
        d.SetPackageSizeOverride(package);
        SetOutputNameClock(&CountingClock);
        QVERIFY(StartJob(d, "file", m_files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Events().back().code, 2);

        QByteArray expected;
        QByteArray header;
        qint64 largest = 0;
        for (const SingleFilePtr& f : m_files) {
            const QByteArray source = ReadAll(QString::fromStdString(f->GetName()));
            QVERIFY(!source.isEmpty());
            expected += Body(source);
            largest = std::max<qint64>(largest, source.size());
        }
        const QStringList outputs = OutputFiles(m_out);
        QByteArray written;
        for (const QString& path : outputs) {
            const QByteArray out = ReadAll(path);
            // Every output plays by itself: it starts with the stream header of its recording.
            QVERIFY2(out.size() > kHeader, qPrintable(path));
            QCOMPARE(out.left(4), QByteArray("VPSH"));
            if (package != 0)
                QVERIFY2(quint64(out.size()) <= package, qPrintable(path));
            written += Body(out);
        }
        if (package == 0) {
            QCOMPARE(outputs.size(), 3);
        } else {
            QVERIFY(largest > qint64(2 * package));  // the roll-over really happened
            QVERIFY(outputs.size() > 3);
        }
        // No block lost or repeated at a roll-over or a file switch.
        QCOMPARE(written.size(), expected.size());
        QVERIFY(written == expected);
    }

    void byTimeStartsAtKeyframeAndCoversWindow_data()
    {
        QTest::addColumn<int>("begin");
        QTest::addColumn<int>("end");
        QTest::newRow("begin on a keyframe") << 1 << 2;
        QTest::newRow("to the file's end") << 2 << 4;
        QTest::newRow("from the file's start") << 0 << 1;
    }
    void byTimeStartsAtKeyframeAndCoversWindow()
    {
        QFETCH(int, begin);
        QFETCH(int, end);
        const QJsonObject first = m_tiny.Files(m_tiny.FirstChannel()).first();
        const QByteArray source = ReadAll(m_tiny.PathOf(first));
        const time_t b = m_s0 + begin;
        const time_t e = m_s0 + end;
        qint64 keyAtOrBefore = -1;
        qint64 keyAfterEnd = source.size();
        const QJsonArray keyframes = first.value("keyframes").toArray();
        for (const QJsonValue& v : keyframes) {
            const qint64 t = qint64(v.toObject().value("time").toDouble());
            const qint64 pos = qint64(v.toObject().value("pos").toDouble());
            if (t <= b)
                keyAtOrBefore = std::max(keyAtOrBefore, pos);
            if (t > e)
                keyAfterEnd = std::min(keyAfterEnd, pos);
        }
        QVERIFY(keyAtOrBefore >= kHeader);

        CStreamDownloader d;
        Recorder rec(d);
        QVERIFY(StartJob(d, "time", m_files, b, e));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("0,-1,3 5,0,3 2,0,0"));

        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(outputs.size(), 1);
        // Named after the piece's own start: the window's begin.
        QVERIFY2(outputs[0].contains(QString::fromStdString(TimeToFileStamp(b))), qPrintable(outputs[0]));
        const QByteArray out = ReadAll(outputs[0]);
        QCOMPARE(out.left(kHeader), source.left(kHeader));
        const QByteArray body = Body(out);
        // The bytes from the keyframe at or before the begin, reaching past the window's end.
        QVERIFY(body == source.mid(keyAtOrBefore, body.size()));
        QVERIFY2(keyAtOrBefore + body.size() >= keyAfterEnd,
                 qPrintable(
                     QStringLiteral("ends at %1, window needs %2").arg(keyAtOrBefore + body.size()).arg(keyAfterEnd)));
    }

    void byTimeFromGapKeepsTheLaterFilesStart()
    {
        CStreamDownloader d;
        Recorder rec(d);
        QVERIFY(StartJob(d, "time", m_files, m_s0 + 5, m_s0 + 8));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(outputs.size(), 1);
        QVERIFY2(outputs[0].contains(QString::fromStdString(TimeToFileStamp(m_s0 + 6))), qPrintable(outputs[0]));
        const QByteArray source = ReadAll(QString::fromStdString(m_files[1]->GetName()));
        QVERIFY(Body(ReadAll(outputs[0])) == Body(source).left(Body(ReadAll(outputs[0])).size()));
    }

    // An entry of 4 GiB and more over one of the tiny recordings (the entry claims the size, the
    // file holds kilobytes): a job by time over the whole entry expects the entry's whole size,
    // so what it has written is a sliver of it, for the job and for the file, until it is done.
    void entriesOf4GiBAndMore_data()
    {
        QTest::addColumn<qulonglong>("claimed");
        QTest::newRow("5 GiB") << qulonglong(5ull << 30);
        QTest::newRow("4 GiB and one byte") << qulonglong((4ull << 30) + 1);
    }
    void entriesOf4GiBAndMore()
    {
        QFETCH(qulonglong, claimed);
        const SingleFilePtr& f = m_files[0];
        const SingleFileList files{std::make_shared<CSingleFile>(f->GetName(), f->GetPath(), claimed, f->GetStartTime(),
                                                                 f->GetEndTime(), f->GetRecordType(), f->GetLabel(),
                                                                 f->GetChannel())};
        QCOMPARE(qulonglong(EstimateDataSize(files, f->GetStartTime(), f->GetEndTime())), claimed);
        CStreamDownloader d;
        Recorder rec(d);
        struct Opener {
            ~Opener() { g_gateClosed = false; }  // also when a check fails: d joins its thread
        } opener;
        g_gateClosed = true;  // the job stays on its one piece: its header is written
        QVERIFY(StartJob(d, "time", files, f->GetStartTime(), f->GetEndTime()));
        QCOMPARE(d.GetFileProgress(), 0);
        QCOMPARE(d.GetProgress(), 0);
        g_gateClosed = false;
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("0,-1,1 5,0,1 2,0,0"));
        // The whole recording written is still a sliver of the expected total when the piece
        // closes; the job's end makes it whole.
        QCOMPARE(rec.Events()[1].progress, 0);
        QCOMPARE(d.GetProgress(), 100);
    }

    void lowFreeSpaceEndsWithCode6()
    {
        FreeBytes() = (2ull << 30) - 1;  // one byte short of 2 GB
        CStreamDownloader d;
        Recorder rec(d);
        QVERIFY(StartJob(d, "file", m_files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("4,-1,3 0,-1,3 6,0,3"));
        QVERIFY(!d.IsBusy());
        QTRY_VERIFY(!d.IsRunning());
        // The file cut short does not stay under a final name, nor under any other.
        QCOMPARE(OutputFiles(m_out), QStringList());
        QCOMPARE(AllFiles(m_out), QStringList());
    }

    void writeFailureEndsWithCode3_data()
    {
        QTest::addColumn<qlonglong>("failAfter");
        QTest::addColumn<bool>("keepsPackages");
        QTest::newRow("in the stream header") << qlonglong(10) << false;
        QTest::newRow("in the first package") << qlonglong(10 * 1024) << false;
        QTest::newRow("after some packages") << qlonglong(60 * 1024) << true;
    }
    void writeFailureEndsWithCode3()
    {
        QFETCH(qlonglong, failAfter);
        QFETCH(bool, keepsPackages);
        CStreamDownloader d;
        Recorder rec(d);
        d.SetPackageSizeOverride(24 * 1024);
        SetOutputNameClock(&CountingClock);
        RTK_Test_FailWritesAfter(failAfter);
        QVERIFY(StartJob(d, "file", m_files));
        // Ends by itself with code 3: the stream is not left hanging on a dead output.
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        RTK_Test_FailWritesAfter(-1);
        QCOMPARE(rec.Sequence(), QString("4,-1,3 0,-1,3 3,0,3"));
        // The reason is the error of the write that failed.
        QVERIFY2(QString::fromStdString(d.GetLastError()).contains("No space left on device"),
                 d.GetLastError().c_str());
        QVERIFY(!d.IsBusy());
        QVERIFY(d.GetProgress() < 100);
        QTRY_VERIFY(!d.IsRunning());

        // The packages closed before the failure stay whole and readable; the one cut short
        // (which holds the bytes up to the failure) is removed.
        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(!outputs.isEmpty(), keepsPackages);
        const QByteArray source = ReadAll(QString::fromStdString(m_files[0]->GetName()));
        QByteArray written;
        qint64 kept = 0;
        for (const QString& path : outputs) {
            const QByteArray out = ReadAll(path);
            QCOMPARE(out.left(kHeader), source.left(kHeader));
            written += Body(out);
            kept += out.size();
        }
        QVERIFY(kept < failAfter);
        QVERIFY(written == Body(source).left(written.size()));

        // The downloader takes the next job normally.
        rec.Clear();
        QVERIFY(d.StartByFile(SingleFileList{m_files[2]}, {}, {}));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("4,-1,1 0,-1,1 5,0,1 2,0,0"));
    }

    void existingFileIsNeverOverwritten()
    {
        CStreamDownloader d;
        Recorder rec(d);
        SetOutputNameClock(&FixedClock);
        const std::string folder = OutputFolderUnder((m_out + "/").toStdString(), OutputKind::Download, m_s0);
        const QString taken = QString::fromStdString(
            folder + OutputFileName(m_files[0]->GetLabel(), m_files[0]->GetChannel() + 1, m_s0, "4242", ".mp4"));
        QVERIFY(QDir().mkpath(QString::fromStdString(folder)));
        {
            QFile f(taken);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("precious");
        }
        QVERIFY(StartJob(d, "file", SingleFileList{m_files[0]}));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Events().back().code, 2);
        QCOMPARE(ReadAll(taken), QByteArray("precious"));
        QString other = taken;
        other.replace(".mp4", "-1.mp4");
        QCOMPARE(rec.Paths().first(), other);
        QVERIFY(Body(ReadAll(other)) == Body(ReadAll(QString::fromStdString(m_files[0]->GetName()))));
    }

    void silentSourceTimesOut()
    {
        // A recording whose stream never delivers a header: the start gives up after the
        // first-data wait, sends nothing and leaves no output behind.
        const time_t t = m_s0;
        const std::string missing =
            (m_out + "/gone/").toStdString() + TimeToFileStamp(t) + "_" + TimeToFileStamp(t + 4) + "_1.mp4";
        const SingleFileList files{
            std::make_shared<CSingleFile>(missing, "", 1000u, t, t + 4, 1u, "NVR_1_1", m_tiny.FirstChannel())};
        CStreamDownloader d;
        Recorder rec(d);
        d.SetFirstDataTimeout(300);
        QElapsedTimer clock;
        clock.start();
        // The start is taken at once; its failure comes as code 7 with the reason.
        QVERIFY(StartJob(d, "file", files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QVERIFY(clock.elapsed() < CStreamDownloader::kFirstDataTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("7,-1,0"));
        QVERIFY(!d.GetLastError().empty());
        QVERIFY(!d.IsBusy());
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsRunning(), kJobTimeout_ms);
        QCOMPARE(OutputFiles(m_out), QStringList());
    }

    void refusedStarts_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("no task") << "no task";
        QTest::newRow("no files") << "no files";
        QTest::newRow("index lists of different length") << "lists";
        QTest::newRow("negative begin") << "negative begin";
        QTest::newRow("end before begin") << "end before begin";
        QTest::newRow("window in a gap") << "gap";
        QTest::newRow("window after every file") << "after";
        QTest::newRow("download folder cannot be made") << "no folder";
    }
    void refusedStarts()
    {
        QFETCH(QString, what);
        CStreamDownloader d;
        Recorder rec(d);
        d.SetUseIndex(true);
        if (what != "no task")
            QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(m_tiny.FirstChannel())));
        if (what == "no folder") {
            // The download folder lies under a file: the folder cannot be made.
            QFile blocker(m_out + "/file");
            QVERIFY(blocker.open(QIODevice::WriteOnly));
            blocker.close();
            QVERIFY(UseDownloadFolder(m_out + "/file/sub/", m_scratch.path()));
        }

        bool started = true;
        if (what == "no task" || what == "no folder")
            started = d.StartByFile(m_files, {}, {});
        else if (what == "no files")
            started = d.StartByFile({}, {}, {});
        else if (what == "lists")
            started = d.StartByFile(m_files, {0, 1, 2}, {0, 1});
        else if (what == "negative begin")
            started = d.StartByTime(m_files, -5, m_s0 + 3);
        else if (what == "end before begin")
            started = d.StartByTime(m_files, m_s0 + 3, m_s0 + 2);
        else if (what == "gap")
            started = d.StartByTime(m_files, m_s0 + 4, m_s0 + 5);
        else if (what == "after")
            started = d.StartByTime(m_files, m_s0 + 100, m_s0 + 200);
        if (what == "no folder") {
            // Making the output is the thread's: the start is taken and fails with code 7.
            QVERIFY(started);
            QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
            QCOMPARE(rec.Sequence(), QString("7,-1,0"));
        } else {
            QVERIFY(!started);
            QCOMPARE(rec.Sequence(), QString());
        }
        QVERIFY(!d.IsBusy());
        QCOMPARE(OutputFiles(m_out), QStringList());
        // The operator is told why.
        QVERIFY(!d.GetLastError().empty());
        if (what == "no folder")
            QVERIFY2(QString::fromStdString(d.GetLastError()).contains("Not a directory"), d.GetLastError().c_str());
        if (what == "gap" || what == "after")
            QCOMPARE(QString::fromStdString(d.GetLastError()), QString("no recording overlaps the window"));
    }

    void stopDuringJob_data()
    {
        QTest::addColumn<bool>("failed");
        QTest::addColumn<int>("code");
        QTest::newRow("stopped by its owner") << false << 1;
        QTest::newRow("stopped as a failure") << true << 3;
    }
    void stopDuringJob()
    {
        QFETCH(bool, failed);
        QFETCH(int, code);
        CStreamDownloader d;
        Recorder rec(d);
        g_gateClosed = true;  // the job cannot finish before the stop
        QVERIFY(StartJob(d, "file", m_files));
        QVERIFY(d.IsBusy());
        // The start's events come from the thread once the first data is in.
        QTRY_VERIFY_WITH_TIMEOUT(rec.Sequence().contains("0,-1,3"), kJobTimeout_ms);
        // The stop returns while the job's pass may still be held at the gate; the job is no
        // longer the downloader's, and its thread reports the stop as it ends.
        d.Stop(failed);
        QVERIFY(!d.IsBusy());
        g_gateClosed = false;
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsRunning(), kJobTimeout_ms);
        QVERIFY(rec.FromOneThreadOtherThan(std::this_thread::get_id()));
        QVERIFY(!rec.Events().back().busy);
        CWorkerReaper::Instance().JoinAll();
        // The file being written when the stop came is not left behind, under any name.
        const QStringList all = AllFiles(m_out);
        for (const QString& f : all)
            QVERIFY2(!QFileInfo(f).fileName().startsWith('.'), qPrintable(f));
        QCOMPARE(all.size(), int(d.GetWrittenFiles().size()));

        const std::vector<Event> events = rec.Events();
        QVERIFY(events.size() >= 3);
        int closed = 0;
        for (const Event& e : events)
            closed += e.code == 5;
        QCOMPARE(events.back().code, code);
        QCOMPARE(events.back().index, closed);  // the file that was being written
        QCOMPARE(events.back().count, 0);
        for (const Event& e : events)
            QVERIFY(e.code != 2);
    }

    // A stop never waits for the job's thread: it returns while that thread is held, a new job
    // may start at once, and the stopped job's report still comes before anything of the new one.
    // The held thread is joined later, on the reaper.
    void stopReturnsWhileTheThreadIsHeld_data()
    {
        QTest::addColumn<bool>("restart");
        QTest::newRow("stop only") << false;
        QTest::newRow("stop, then a new job") << true;
    }
    void stopReturnsWhileTheThreadIsHeld()
    {
        QFETCH(bool, restart);
        CStreamDownloader d;
        Recorder rec(d);
        {
            WorkerLatch latch(WorkerHooks::Point::DownloadPass);
            QVERIFY(StartJob(d, "file", m_files));
            QVERIFY(latch.WaitHeld());  // the job's first pass, before it opened anything
            d.Stop(false);
            QCOMPARE(latch.Held(), 1);
            QVERIFY(!d.IsBusy());
            QVERIFY(d.IsRunning());
            if (restart) {
                QVERIFY(StartJob(d, "file", m_files));
                QVERIFY(d.IsBusy());
                // The new job's thread waits for the held one before it sends or opens anything.
                QVERIFY(latch.WaitArrivals(2));
            }
            QCOMPARE(rec.Sequence(), QString());
            QVERIFY(AllFiles(m_out).isEmpty());
            latch.Open();
            QTRY_VERIFY_WITH_TIMEOUT(restart ? rec.Ended() : !rec.Sequence().isEmpty(), kJobTimeout_ms);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!d.IsRunning(), kJobTimeout_ms);
        CWorkerReaper::Instance().JoinAll();
        QVERIFY(!d.IsRunning());
        // The stopped start reports its stop (on the file it was about to write), alone.
        QCOMPARE(rec.Sequence(),
                 restart ? QString("1,0,0 4,-1,3 0,-1,3 5,0,3 4,0,3 5,1,3 4,1,3 5,2,3 2,2,0") : QString("1,0,0"));
        QCOMPARE(OutputFiles(m_out).size(), restart ? 3 : 0);
    }

    // A downloader that goes while its job is held leaves the job to the reaper, which joins it
    // once it is let go; nothing is sent to anyone after the downloader went.
    void destroyedWhileTheThreadIsHeld()
    {
        WorkerLatch latch(WorkerHooks::Point::DownloadPass);
        QStringList seen;
        {
            auto d = std::make_unique<CStreamDownloader>();
            connect(
                d.get(), &CStreamDownloader::DownloadSignal, this,
                [&seen](int code, int index, int count) {
                    seen << QStringLiteral("%1,%2,%3").arg(code).arg(index).arg(count);
                },
                Qt::DirectConnection);
            QVERIFY(StartJob(*d, "file", m_files));
            QVERIFY(latch.WaitHeld());
        }
        QVERIFY(CWorkerReaper::Instance().Running() >= 1);
        latch.Open();
        CWorkerReaper::Instance().JoinAll();
        QCOMPARE(CWorkerReaper::Instance().Running(), 0);
        QVERIFY(seen.isEmpty());
        QVERIFY(AllFiles(m_out).isEmpty());
    }

    void setTaskRefusedWhileBusy()
    {
        CStreamDownloader d;
        Recorder rec(d);
        g_gateClosed = true;
        QVERIFY(StartJob(d, "file", m_files));
        auto param = std::make_unique<CStreamDownloaderParam>(3);
        CStreamDownloaderParam* raw = param.get();
        QVERIFY(!d.SetTask(raw));  // refused: the caller keeps it
        g_gateClosed = false;
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QVERIFY(d.SetTask(param.release()));
    }
    // A recording folder with one damaged segment: the job ends with an error at once (not after
    // an hour), keeps the outputs it completed and leaves nothing unfinished behind.
    void damagedSegment_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("mode");
        for (const char* mode : {"file", "time"}) {
            for (const char* damage : {"missing", "folder", "empty", "short"})
                QTest::addRow("%s, by %s", damage, mode) << damage << mode;
        }
    }
    void damagedSegment()
    {
        QFETCH(QString, damage);
        QFETCH(QString, mode);
        SampleSet copy;
        QVERIFY(CopySample(m_tiny, m_scratch.filePath(QStringLiteral("copy%1").arg(m_testNo)), &copy));
        const SingleFileList files = copy.Search(copy.FirstChannel());
        QCOMPARE(int(files.size()), 3);
        const QString second = QString::fromStdString(files[1]->GetName());
        QVERIFY(QFile::remove(second));
        if (damage == "folder") {
            QVERIFY(QDir().mkpath(second));
        } else if (damage == "empty" || damage == "short") {
            QFile f(second);
            QVERIFY(f.open(QIODevice::WriteOnly));
            if (damage == "short")
                f.write(QByteArray(20, 'x'));
        }

        CStreamDownloader d;
        Recorder rec(d);
        d.SetUseIndex(true);
        d.SetStallTimeout(2000);
        QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(copy.FirstChannel())));
        QVERIFY(mode == "file" ? d.StartByFile(files, {}, {}) : d.StartByTime(files, m_s0, m_s0 + 16));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Events().back().code, 3);
        QVERIFY(!d.GetLastError().empty());
        QTRY_VERIFY(!d.IsRunning());

        // The first recording's output, whole; nothing else, hidden or not.
        const QStringList outputs = OutputFiles(m_out);
        QCOMPARE(outputs.size(), 1);
        QCOMPARE(AllFiles(m_out), outputs);
        QCOMPARE(Body(ReadAll(outputs[0])), Body(ReadAll(QString::fromStdString(files[0]->GetName()))));
        QCOMPARE(d.GetWrittenFiles(), std::vector<std::string>{outputs[0].toStdString()});
    }

    // A start on a recording that gives nothing is taken at once and fails on the downloader's
    // thread with code 7 and its reason, once, leaving nothing on disk, while another
    // downloader's job goes on to its end. A start held before its first data has returned.
    void brokenFirstRecording_data()
    {
        QTest::addColumn<QString>("kind");
        for (const char* kind : kBrokenFileKinds)
            QTest::newRow(kind) << QString::fromLatin1(kind);
        QTest::newRow("blocked") << QStringLiteral("blocked");
    }
    void brokenFirstRecording()
    {
        QFETCH(QString, kind);
        SampleSet copy;
        QVERIFY(CopySample(m_tiny, m_scratch.filePath(QStringLiteral("copy%1").arg(m_testNo)), &copy));
        const SingleFileList files = copy.Search(copy.FirstChannel());
        QCOMPARE(int(files.size()), 3);
        const QString first = QString::fromStdString(files[0]->GetName());
        if (kind != "blocked")
            QVERIFY(BreakFile(first, kind));

        CStreamDownloader other;
        Recorder otherRec(other);
        CStreamDownloader d;
        Recorder rec(d);
        std::mutex lock;
        std::condition_variable cond;
        bool returned = false;
        bool heldPastReturn = false;
        if (kind == "blocked") {
            d.SetFirstDataWaitHook([&] {
                std::unique_lock<std::mutex> guard(lock);
                cond.wait_for(guard, std::chrono::seconds(10), [&] { return returned; });
                heldPastReturn = true;
            });
        }
        QVERIFY(StartJob(other, "file", m_files));
        QVERIFY(StartJob(d, "file", SingleFileList{files[0], files[1]}));
        QVERIFY(d.IsBusy());
        {
            std::lock_guard<std::mutex> guard(lock);
            returned = true;
        }
        cond.notify_all();
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QTRY_VERIFY_WITH_TIMEOUT(otherRec.Ended(), kJobTimeout_ms);
        QVERIFY2(otherRec.Events().back().code == int(DownloadEvent::Complete), other.GetLastError().c_str());
        if (kind == "blocked") {
            std::lock_guard<std::mutex> guard(lock);
            QVERIFY(heldPastReturn);
            QCOMPARE(rec.Sequence(), QString("4,-1,2 0,-1,2 5,0,2 4,0,2 5,1,2 2,1,0"));
            return;
        }
        QCOMPARE(rec.Sequence(), QString("7,-1,0"));
        QVERIFY(!d.GetLastError().empty());
        QVERIFY(!d.IsBusy());
        QTRY_VERIFY(!d.IsRunning());
        for (const QString& f : AllFiles(m_out))
            QVERIFY2(otherRec.Paths().contains(f), qPrintable(f));
    }

    // A disk recording that cannot be read from its start (the image ends inside its stream
    // header) fails the start as soon as its stream does, not at the end of the first-data wait.
    void unreadableFirstRecordingFailsTheStartAtOnce()
    {
        QByteArray image = ReadAll(BuildDir() + "/samples/test/disk-plain.img");
        const qsizetype last = image.lastIndexOf("VPSH");
        QVERIFY(last > 0);
        image.truncate(last + 10);
        const QString path = m_scratch.filePath("cut-in-header.img");
        {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            QCOMPARE(f.write(image), image.size());
        }
        const time_t from = QDateTime(QDate(2024, 1, 30), QTime(0, 0)).toSecsSinceEpoch();
        const time_t to = QDateTime(QDate(2024, 1, 31), QTime(23, 59, 59)).toSecsSinceEpoch();
        int refused = 0;
        for (int channel : {0, 1}) {
            SingleFileList files;
            QVERIFY(CFileSearch().SearchChannelFiles(files, path.toStdString(), channel, "", from, to, 0, false));
            for (const SingleFilePtr& file : files) {
                CStreamDownloader d;
                Recorder rec(d);
                d.SetFirstDataTimeout(10 * kJobTimeout_ms);
                QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(channel)));
                QElapsedTimer clock;
                clock.start();
                QVERIFY(d.StartByFile(SingleFileList{file}, {}, {}));
                QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
                if (rec.Events().back().code != int(DownloadEvent::StartFailed))
                    continue;
                ++refused;
                QVERIFY(clock.elapsed() < kJobTimeout_ms);
                QCOMPARE(rec.Sequence(), QString("7,-1,0"));
                QVERIFY(!d.GetLastError().empty());
            }
        }
        QCOMPARE(refused, 1);
        // Only the whole recordings' outputs, nothing unfinished.
        for (const QString& f : AllFiles(m_out))
            QVERIFY2(!QFileInfo(f).fileName().startsWith('.') && QFileInfo(f).size() > kHeader, qPrintable(f));
    }

    // Records whose end lies before their start (a damaged index): every walk ends, with an error.
    void recordEndingBeforeItStarts_data()
    {
        QTest::addColumn<bool>("first");
        QTest::newRow("the window's first record") << true;
        QTest::newRow("a record after a good one") << false;
    }
    void recordEndingBeforeItStarts()
    {
        QFETCH(bool, first);
        // Start and end swapped, over the second recording's data.
        const SingleFilePtr& donor = m_files[1];
        const time_t s = first ? m_s0 + 6 : m_s0 + 5;
        const SingleFilePtr swapped =
            std::make_shared<CSingleFile>(donor->GetName(), donor->GetPath(), donor->GetSize(), s, s - 3,
                                          donor->GetRecordType(), donor->GetLabel(), donor->GetChannel());
        SingleFileList files{m_files[0], swapped, m_files[2]};
        CStreamDownloader d;
        Recorder rec(d);
        d.SetUseIndex(true);
        QVERIFY(d.SetTask(std::make_unique<CStreamDownloaderParam>(m_tiny.FirstChannel())));
        const time_t begin = first ? m_s0 + 5 : m_s0;
        if (first) {
            // The window starts where only the damaged record follows.
            QVERIFY(!d.StartByTime(files, begin, m_s0 + 16));
            QVERIFY(!d.GetLastError().empty());
            QCOMPARE(rec.Sequence(), QString());
            QCOMPARE(AllFiles(m_out), QStringList());
            return;
        }
        QVERIFY(d.StartByTime(files, begin, m_s0 + 16));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QCOMPARE(rec.Sequence(), QString("0,-1,3 5,0,3 3,0,0"));
        QVERIFY(!d.GetLastError().empty());
        QCOMPARE(OutputFiles(m_out).size(), 1);
        QCOMPARE(AllFiles(m_out), OutputFiles(m_out));
    }

    // The settings handed to a downloader decide its folder, its package size and the folder whose
    // free space its passes watch, whatever the settings store holds.
    void handedInSettingsRuleTheJob_data()
    {
        QTest::addColumn<bool>("lowThere");
        QTest::newRow("written there") << false;
        QTest::newRow("its free space watched") << true;
    }
    void handedInSettingsRuleTheJob()
    {
        QFETCH(bool, lowThere);
        const QString handed = m_out + "-handed/";
        OutputSettings settings;
        settings.downloadFolder = handed.toStdString();
        // Small packages where the job runs through; one package otherwise, which a job ended by the
        // free space leaves nowhere.
        settings.downloadPackage_bytes = lowThere ? OutputSettings::kLargePackage_bytes : 24 * 1024;
        g_lowFolder = lowThere ? settings.downloadFolder : std::string();
        Sys_SetFreeSpaceFunction(&LowUnderOneFolder);
        CStreamDownloader d;
        Recorder rec(d);
        d.SetOutputSettings(FixedOutputSettings(settings));
        SetOutputNameClock(&CountingClock);
        QVERIFY(StartJob(d, "file", m_files));
        QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        QTRY_VERIFY(!d.IsRunning());
        g_lowFolder.clear();

        QCOMPARE(AllFiles(m_out), QStringList());  // the store's folder
        if (lowThere) {
            QCOMPARE(rec.Sequence(), QString("4,-1,3 0,-1,3 6,0,3"));
            QCOMPARE(AllFiles(handed), QStringList());
            return;
        }
        QCOMPARE(rec.Events().back().code, 2);
        const QStringList outputs = OutputFiles(handed);
        QVERIFY(outputs.size() > 3);  // rolled over at the handed package size
        for (const QString& path : outputs)
            QVERIFY2(QFileInfo(path).size() <= 24 * 1024, qPrintable(path));
    }

    // With no settings at all a download lands in the default folder under the user's videos.
    void noSettingsDownloadsToTheDefaultFolder()
    {
        const QString home = m_scratch.filePath(QStringLiteral("home%1").arg(m_testNo));
        QVERIFY(QDir().mkpath(home));
        const QByteArray oldHome = qgetenv("HOME");
        const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("HOME", home.toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", (home + "/.config").toLocal8Bit());
        CSettingsManager::Instance()->SetAllSettings({});
        CStreamDownloader d;
        Recorder rec(d);
        const bool started = StartJob(d, "file", SingleFileList{m_files[0]});
        if (started)
            QTRY_VERIFY_WITH_TIMEOUT(rec.Ended(), kJobTimeout_ms);
        qputenv("HOME", oldHome);
        if (oldConfig.isNull())
            qunsetenv("XDG_CONFIG_HOME");
        else
            qputenv("XDG_CONFIG_HOME", oldConfig);
        QVERIFY2(started, d.GetLastError().c_str());
        QCOMPARE(rec.Events().back().code, 2);
        const QStringList outputs = OutputFiles(home + "/Videos/Varpen");
        QCOMPARE(outputs.size(), 1);
        QCOMPARE(QString::fromStdString(d.GetWrittenFiles().at(0)), outputs[0]);
        QVERIFY2(outputs[0].startsWith(home + "/Videos/Varpen/" + QString::fromStdString(TimeToDateStamp(m_s0)) +
                                       "/Download/"),
                 qPrintable(outputs[0]));
    }
};

QTEST_GUILESS_MAIN(TestStreamDownloader)
#include "tst_stream_downloader.moc"
