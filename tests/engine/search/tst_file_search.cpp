// Recording search, day walk, stream source and disk channel scan, on recorder-disk images and
// on local folders made by varpen-sample.
#include "engine/FileSearch.h"
#include "engine/RecordIndex.h"
#include "engine/SearchDiskThread.h"
#include "engine/StreamSource.h"
#include "platform/diskrec/DriveResolver.h"
#include "platform/system/system.h"
#include "tests/engine/local/SampleRun.h"
#include "tests/engine/search/DiskFixture.h"
#include "tests/support/QueuedSpy.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include <QTemporaryDir>
#include <QtTest>

using namespace Varpen;
using namespace DiskFixture;

class TestFileSearch : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void multiTypeSearchOnDiskIsInTimeOrder();
    void recorderFolders_data();
    void recorderFolders();
    void dayWalk_data();
    void dayWalk();
    void localFolderSearch();
    void localDayWalkMarksTheMonthsLastDay();
    void streamSourceStates();
    void diskScan_data();
    void diskScan();
    void scanStoppedByItsOwner();
    void scanResultBelongsToTheLastScan();

private:
    QTemporaryDir m_dir;
    QString m_plain, m_nvr, m_dvr, m_junk, m_local;
    QJsonObject m_manifest;

    QString WriteImage(const QString& name, const std::string& volume);
    static QStringList Describe(const SingleFileList& files);
};

QString TestFileSearch::WriteImage(const QString& name, const std::string& volume)
{
    diskrec::DiskImageWriter w;
    // Channel 1: types 2, 10, 1, 11 in time order, across three days; channel 2 one file.
    w.AddFile(volume, File(1, 2, "2024-01-30 08:00:00", 60));
    w.AddFile(volume, File(1, 10, "2024-01-31 09:00:00", 60));
    w.AddFile(volume, File(1, 1, "2024-01-31 10:00:00", 60));
    w.AddFile(volume, File(1, 11, "2024-02-01 11:00:00", 60));
    w.AddFile(volume, File(2, 1, "2024-01-30 12:00:00", 60));
    const QString path = m_dir.filePath(name);
    std::string error;
    if (!w.Write(path.toStdString(), &error))
        qWarning() << QString::fromStdString(error);
    return path;
}

void TestFileSearch::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_plain = WriteImage("plain.img", "");
    m_nvr = WriteImage("nvr.img", kNvrFolder);
    m_dvr = WriteImage("dvr.img", kDvrFolder);
    m_junk = m_dir.filePath("junk.img");
    QFile junk(m_junk);
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(8192, 'x'));
    junk.close();
    // Local folder: segment numbers 2, 4 and 5 are the recorder types 1, 10 and 11.
    m_local = m_dir.filePath("local");
    m_manifest =
        SampleRun::Folder(m_local, {"--channels", "2", "--days", "3", "--segments-per-day", "2", "--segment-length",
                                    "2", "--gap", "1", "--record-types", "2,4,5", "--size", "96x64"});
    QVERIFY(!m_manifest.isEmpty());
}

QStringList TestFileSearch::Describe(const SingleFileList& files)
{
    QStringList out;
    for (const SingleFilePtr& f : files)
        out << QDateTime::fromSecsSinceEpoch(f->GetStartTime()).toString("dd hh:mm") + " t" +
                   QString::number(f->GetRecordType());
    return out;
}

void TestFileSearch::multiTypeSearchOnDiskIsInTimeOrder()
{
    CFileSearch search;
    SingleFileList files;
    const time_t from = At("2024-01-29 00:00:00");
    const time_t to = At("2024-02-02 00:00:00");
    QVERIFY(search.SearchChannelFiles(files, m_plain.toStdString(), 0, "", from, to, 1, false));
    QCOMPARE(Describe(files), (QStringList{"31 09:00 t10", "31 10:00 t1", "01 11:00 t11"}));
    // Every type: each file keeps its own type.
    QVERIFY(search.SearchChannelFiles(files, m_plain.toStdString(), 0, "", from, to, 0, false));
    QCOMPARE(Describe(files), (QStringList{"30 08:00 t2", "31 09:00 t10", "31 10:00 t1", "01 11:00 t11"}));
    QCOMPARE(files[0]->GetChannel(), 0);
    QCOMPARE(files[0]->GetSize(), std::uint64_t(SF_HEADER_SIZE + 188 * 4));
    QVERIFY(files[0]->GetLabel().empty());
    // An empty window.
    QVERIFY(!search.SearchChannelFiles(files, m_plain.toStdString(), 0, "", from, from, 0, false));
    QVERIFY(files.empty());
    QVERIFY(!search.SearchChannelFiles(files, m_junk.toStdString(), 0, "", from, to, 1, false));
    QVERIFY(files.empty());
}

void TestFileSearch::recorderFolders_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("folder");
    QTest::newRow("plain") << "plain.img"
                           << "";
    QTest::newRow("nvr") << "nvr.img" << QString(kNvrFolder);
    QTest::newRow("dvr") << "dvr.img" << QString(kDvrFolder);
}

void TestFileSearch::recorderFolders()
{
    QFETCH(QString, image);
    QFETCH(QString, folder);
    const std::string path = m_dir.filePath(image).toStdString();
    SingleFileList files;
    QVERIFY(CFileSearch().SearchChannelFiles(files, path, 1, "", At("2024-01-30 00:00:00"), At("2024-01-30 23:59:59"),
                                             0, false));
    QCOMPARE(int(files.size()), 1);
    QCOMPARE(QString::fromStdString(files[0]->GetPath()), QString::fromStdString(path) + folder);
    QCOMPARE(files[0]->GetChannel(), 1);
}

void TestFileSearch::dayWalk_data()
{
    QTest::addColumn<QString>("image");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QStringList>("days");
    QTest::newRow("January, last day at 00:00") << "nvr.img"
                                                << "2024-01-01 00:00:00"
                                                << "2024-01-31 00:00:00" << QStringList{"2024-01-30", "2024-01-31"};
    QTest::newRow("across the month's end")
        << "dvr.img"
        << "2024-01-30 00:00:00"
        << "2024-02-01 00:00:00" << QStringList{"2024-01-30", "2024-01-31", "2024-02-01"};
    QTest::newRow("one day") << "plain.img"
                             << "2024-02-01 00:00:00"
                             << "2024-02-01 00:00:00" << QStringList{"2024-02-01"};
    QTest::newRow("end before begin") << "plain.img"
                                      << "2024-02-01 00:00:00"
                                      << "2024-01-01 00:00:00" << QStringList{};
    QTest::newRow("not a recorder disk") << "junk.img"
                                         << "2024-01-01 00:00:00"
                                         << "2024-01-31 00:00:00" << QStringList{};
}

void TestFileSearch::dayWalk()
{
    QFETCH(QString, image);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QStringList, days);
    std::set<time_t> found;
    CFileSearch().SearchDiskFilesByDay(found, "", 0, At(from), At(to), m_dir.filePath(image).toStdString(), false);
    QStringList got;
    for (time_t d : found)
        got << QDateTime::fromSecsSinceEpoch(d).toString("yyyy-MM-dd");
    QCOMPARE(got, days);
}

void TestFileSearch::localFolderSearch()
{
    const std::string folder = m_local.toStdString();
    const time_t from = At("2024-01-30 00:00:00");
    const time_t to = At("2024-01-31 23:59:59");
    SingleFileList files;
    QVERIFY(CFileSearch().SearchChannelFiles(files, folder, 2, "NVR_1", from, to, 1, true));
    // The manifest's files of channel 2 in those two days, in time order.
    QList<QJsonObject> expected;
    for (const QJsonValue& v : m_manifest["files"].toArray())
        if (v["channel"].toInt() == 2 && v["start"].toInteger() <= to)
            expected << v.toObject();
    std::sort(expected.begin(), expected.end(), [](const QJsonObject& a, const QJsonObject& b) {
        return a["start"].toInteger() < b["start"].toInteger();
    });
    QCOMPARE(int(files.size()), expected.size());
    const unsigned recorderType[] = {0, 0, 1, 0, 10, 11};
    for (int i = 0; i < expected.size(); ++i) {
        QCOMPARE(qint64(files[i]->GetStartTime()), expected[i]["start"].toInteger());
        QCOMPARE(qint64(files[i]->GetEndTime()), expected[i]["end"].toInteger());
        QCOMPARE(qint64(files[i]->GetSize()), expected[i]["size"].toInteger());
        QCOMPARE(QString::fromStdString(files[i]->GetName()), m_local + "/" + expected[i]["path"].toString());
        QCOMPARE(files[i]->GetRecordType(), recorderType[expected[i]["type"].toInt()]);
        QCOMPARE(files[i]->GetLabel(), std::string("NVR_1_2"));
        QVERIFY(files[i]->GetPath().empty());
    }
    // One type only; a type with no counterpart in a local folder finds nothing but is no failure.
    QVERIFY(CFileSearch().SearchChannelFiles(files, folder, 2, "NVR_1", from, to, 10, true));
    for (const SingleFilePtr& f : files)
        QCOMPARE(f->GetRecordType(), 10u);
    QVERIFY(!files.empty() && int(files.size()) < expected.size());
    QVERIFY(CFileSearch().SearchChannelFiles(files, folder, 2, "NVR_1", from, to, 99, true));
    QVERIFY(files.empty());
    QCOMPARE(IndexTypeFor(7), 6);
    QCOMPARE(IndexTypeFor(0), 0);
}

void TestFileSearch::localDayWalkMarksTheMonthsLastDay()
{
    std::set<time_t> found;
    CFileSearch().SearchDiskFilesByDay(found, "NVR_1", 1, At("2024-01-01 00:00:00"), At("2024-01-31 00:00:00"),
                                       m_local.toStdString(), true);
    QStringList got;
    for (time_t d : found)
        got << QDateTime::fromSecsSinceEpoch(d).toString("yyyy-MM-dd");
    QCOMPARE(got, (QStringList{"2024-01-30", "2024-01-31"}));
    CFileSearch().SearchDiskFilesByDay(found, "NVR_1", 9, At("2024-01-01 00:00:00"), At("2024-01-31 00:00:00"),
                                       m_local.toStdString(), true);
    QVERIFY(found.empty());
}

static void CountBlocks(int, int, unsigned char*, unsigned int, void* user)
{
    ++*static_cast<std::atomic<int>*>(user);
}

void TestFileSearch::streamSourceStates()
{
    std::atomic<int> blocks{0};
    CStreamSource source;
    source.SetDataCallback(CountBlocks, &blocks);
    QCOMPARE(source.GetPos(), 0);  // a closed source never looks finished
    QVERIFY(!source.SetPosByTime(2024, 1, 30, 10, 0, 0));
    QVERIFY(!source.OpenByFile("no such recording"));
    QVERIFY(!source.IsOpen());

    source.SetUseIndex(true);
    const QString segment = m_local + "/" + m_manifest["files"].toArray().at(0)["path"].toString();
    QVERIFY(source.OpenByFile(segment.toUtf8().constData()));
    QVERIFY(source.OpenByFile(segment.toUtf8().constData()));  // the first stream is stopped first
    QTRY_COMPARE_WITH_TIMEOUT(source.GetPos(), 100, 20000);
    source.Stop();
    QVERIFY(!source.IsOpen());
    QCOMPARE(source.GetPos(), 0);
    // Only one stream was left open by the two opens: every other handle is free.
    int handles = 0;
    std::vector<int> opened;
    for (int h; (h = RBS_GetStreamByFile(segment.toUtf8().constData(), 8, 0, CountBlocks, &blocks)) >= 0;)
        opened.push_back(h), ++handles;
    QCOMPARE(handles, RBS_MAX_STREAMS);
    for (int h : opened)
        RBS_Stop(h);

    // A disk file by time, from its own start.
    CStreamSource disk;
    std::atomic<int> diskBlocks{0};
    disk.SetDataCallback(CountBlocks, &diskBlocks);
    SingleFileList files;
    QVERIFY(CFileSearch().SearchChannelFiles(files, m_dvr.toStdString(), 0, "", At("2024-01-31 00:00:00"),
                                             At("2024-01-31 23:59:59"), 0, false));
    QVERIFY(disk.OpenByTime(*files.at(0), 0));
    QTRY_COMPARE_WITH_TIMEOUT(disk.GetPos(), 100, 20000);
    QVERIFY(diskBlocks >= 2);  // header and data
    QVERIFY(disk.OpenByFile(files.at(1)->GetName().c_str()));
    QTRY_COMPARE_WITH_TIMEOUT(disk.GetPos(), 100, 20000);
}

void TestFileSearch::diskScan_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("month");
    QTest::addColumn<int>("type");
    QTest::addColumn<bool>("complete");
    QTest::addColumn<QString>("channels");
    QTest::addColumn<QString>("path");  // the search path afterwards, relative to the source
    QTest::newRow("plain") << "plain.img"
                           << "2024-01" << 0 << true << "NULLNULL:0,1"
                           << "";
    QTest::newRow("nvr") << "nvr.img"
                         << "2024-02" << 1 << true << "NULLNULL:0" << QString(kNvrFolder);
    QTest::newRow("dvr, no time limit") << "dvr.img"
                                        << "" << 2 << true << "NULLNULL:0,1" << QString(kDvrFolder);
    QTest::newRow("month without recordings") << "plain.img"
                                              << "2023-05" << 0 << true << "NULLNULL:"
                                              << "";
    QTest::newRow("not a recorder disk") << "junk.img"
                                         << "2024-01" << -1 << false << ""
                                         << "";
    QTest::newRow("local folder") << "local"
                                  << "2023-05" << 3 << true << "NVR_1:1,2"
                                  << "";
}

void TestFileSearch::diskScan()
{
    QFETCH(QString, source);
    QFETCH(QString, month);
    QFETCH(int, type);
    QFETCH(bool, complete);
    QFETCH(QString, channels);
    QFETCH(QString, path);
    std::vector<time_t> days;
    if (!month.isEmpty()) {
        for (QDate d = QDate::fromString(month + "-01", "yyyy-MM-dd"); d.toString("yyyy-MM") == month; d = d.addDays(1))
            days.push_back(QDateTime(d, QTime(0, 0)).toSecsSinceEpoch());
    }
    CSearchDiskThread scan;
    QueuedSpy over(&scan, &CSearchDiskThread::SendWriteOver);
    scan.SetSearchParam(m_dir.filePath(source), days);
    scan.StartSearch();
    QVERIFY(scan.wait(60000));
    over.Flush();
    QCOMPARE(over.Count(), 1);
    std::map<std::string, std::vector<int>> result;
    int gotType = -2;
    QCOMPARE(scan.GetResult(result, gotType), complete);
    QCOMPARE(gotType, type);
    QStringList described;
    for (const auto& [group, numbers] : result) {
        QStringList n;
        for (int c : numbers)
            n << QString::number(c);
        described << QString::fromStdString(group) + ":" + n.join(',');
    }
    QCOMPARE(described.join(' '), channels);
    QCOMPARE(scan.GetSearchPath(), m_dir.filePath(source) + path);
}

void TestFileSearch::scanStoppedByItsOwner()
{
    CSearchDiskThread scan;
    QueuedSpy over(&scan, &CSearchDiskThread::SendWriteOver);
    scan.SetSearchParam(m_plain, {});
    scan.StartSearch();
    scan.OnStopThread();  // before or during the scan: it ends with SendWriteOver and no result
    QVERIFY(scan.wait(60000));
    over.Flush();
    QCOMPARE(over.Count(), 1);
    std::map<std::string, std::vector<int>> result;
    int type = -2;
    QVERIFY(!scan.GetResult(result, type));
    // A later complete scan, then a failed one: the failure does not pass for the earlier disk's
    // result.
    scan.StartSearch();
    QVERIFY(scan.wait(60000));
    QVERIFY(scan.GetResult(result, type));
    QCOMPARE(type, 0);
    QCOMPARE(result["NULLNULL"], (std::vector<int>{0, 1}));
    scan.SetSearchParam(m_junk, {});
    scan.StartSearch();
    QVERIFY(scan.wait(60000));
    result.clear();
    QVERIFY(!scan.GetResult(result, type));
    QCOMPARE(type, -1);
    QVERIFY(result.empty());
}

namespace {
// Disks whose opening holds the scan until the test lets it go: while installed, a disk number
// resolves only once released, and then to no disk (the library says it cannot be opened).
class HeldDisks {
public:
    HeldDisks()
    {
        Hold();
        diskrec::SetDriveResolver(&Resolve);
    }
    ~HeldDisks()
    {
        Release();
        diskrec::SetDriveResolver(&Sys_DiskPathOf);
    }
    static QString Path(int number) { return QStringLiteral("\\\\.\\PHYSICALDRIVE%1").arg(number); }
    // The next opening is held again.
    void Hold()
    {
        std::lock_guard lock(s_mutex);
        s_held = true;
        s_entered = 0;
    }
    // Waits until a scan is held in an opening.
    bool WaitHeld()
    {
        std::unique_lock lock(s_mutex);
        return s_changed.wait_for(lock, std::chrono::seconds(60), [] { return s_entered > 0; });
    }
    // Every opening goes through from now on.
    void Release()
    {
        {
            std::lock_guard lock(s_mutex);
            s_held = false;
        }
        s_changed.notify_all();
    }

private:
    static std::string Resolve(int)
    {
        std::unique_lock lock(s_mutex);
        ++s_entered;
        s_changed.notify_all();
        s_changed.wait(lock, [] { return !s_held; });
        return {};
    }
    static inline std::mutex s_mutex;
    static inline std::condition_variable s_changed;
    static inline bool s_held = false;
    static inline int s_entered = 0;
};
}  // namespace

// Scans one after another on one object, as the page makes them at every disk choice: while a
// scan runs, the previous disk's result is not reported, whether the previous scan completed or
// was stopped by the new choice.
void TestFileSearch::scanResultBelongsToTheLastScan()
{
    CSearchDiskThread scan;
    QueuedSpy over(&scan, &CSearchDiskThread::SendWriteOver);
    std::map<std::string, std::vector<int>> result;
    int type = -2;
    scan.SetSearchParam(m_plain, {});
    scan.StartSearch();
    QVERIFY(scan.wait(60000));
    QVERIFY(scan.GetResult(result, type));
    QCOMPARE(result["NULLNULL"], (std::vector<int>{0, 1}));

    // A second disk, held inside its first channel.
    HeldDisks held;
    scan.SetSearchParam(HeldDisks::Path(7), {});
    scan.StartSearch();
    QVERIFY(held.WaitHeld());
    QVERIFY(scan.isRunning());
    result.clear();
    type = -2;
    QVERIFY(!scan.GetResult(result, type));  // not the first disk's channels
    QCOMPARE(type, -1);
    QVERIFY(result.empty());
    // The operator picks another disk: the page stops the scan and waits for it.
    scan.OnChangeThread();
    held.Release();
    QVERIFY(scan.wait(60000));
    QVERIFY(!scan.GetResult(result, type));

    // The new choice, held too: neither earlier scan's result shows through.
    held.Hold();
    scan.SetSearchParam(HeldDisks::Path(8), {});
    scan.StartSearch();
    QVERIFY(held.WaitHeld());
    QVERIFY(!scan.GetResult(result, type));
    QCOMPARE(type, -1);
    QCOMPARE(scan.GetSearchPath(), HeldDisks::Path(8));
    held.Release();
    QVERIFY(scan.wait(60000));
    QVERIFY(!scan.GetResult(result, type));  // no such disk

    // And a complete scan after them reports its own disk.
    over.Flush();
    const int before = over.Count();
    scan.SetSearchParam(m_dvr, {});
    scan.StartSearch();
    QVERIFY(scan.wait(60000));
    over.Flush();
    QCOMPARE(over.Count(), before + 1);
    QVERIFY(scan.GetResult(result, type));
    QCOMPARE(type, 2);
    QCOMPARE(scan.GetSearchPath(), m_dvr + kDvrFolder);
}

QTEST_GUILESS_MAIN(TestFileSearch)
#include "tst_file_search.moc"
