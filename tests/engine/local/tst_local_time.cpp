// Local times of local recording folders across the clock changes (Europe/Berlin): one
// deterministic conversion, spans across the repeated autumn hour keep their real length, the
// spring gap is known, entries that end before they start are dropped.
#include "engine/FileSearch.h"
#include "engine/RecordIndex.h"
#include "platform/diskrec/DiskTime.h"
#include "platform/rtk/LocalTime.h"
#include "tests/engine/local/IndexFixture.h"
#include "tests/engine/local/SampleRun.h"

#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <ctime>

using namespace Varpen;

Q_DECLARE_METATYPE(Varpen::RecordTime)

namespace {

// 2025-10-26: the clock goes from 03:00 CEST back to 02:00 CET at 01:00 UTC.
constexpr qint64 kAutumnChangeUtc = 1761440400;  // 2025-10-26 01:00:00 UTC

qint64 Utc(int h, int m)
{
    return kAutumnChangeUtc - 3600 + h * 3600 + m * 60;
}  // h:m UTC on 2025-10-26

QByteArray Time(int y, int mo, int d, int h, int mi, int s)
{
    QByteArray b(8, '\0');
    b[0] = char(y & 0xFF), b[1] = char(y >> 8), b[2] = char(mo), b[3] = char(d), b[4] = char(h), b[5] = char(mi),
    b[6] = char(s);
    return b;
}

QByteArray Segment(const QByteArray& start, const QByteArray& end, unsigned number)
{
    QByteArray b = start + end + QByteArray(28, '\0');
    for (int i = 0; i < 4; ++i)
        b[16 + i] = char((number >> (8 * i)) & 0xFF);
    return b;
}

}  // namespace

class TestLocalTime : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void conversions_data();
    void conversions();
    void conversionIgnoresCallHistory();
    void springGapIsKnown();
    void indexTimesAcrossTheRepeatedHour();
    void sampleFolderAcrossTheRepeatedHour();
};

void TestLocalTime::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
}

// One date-time struct, one set of conversions: time_t both ways, QDateTime both ways, the
// recorder-disk record both ways. MakeTime rolls fields over as mktime does; a QDateTime is only
// made of fields that name a real date and time of day.
void TestLocalTime::conversions_data()
{
    QTest::addColumn<RecordTime>("fields");
    QTest::addColumn<qint64>("moment");          // MakeTime; -1 none
    QTest::addColumn<RecordTime>("normalised");  // BreakTime of the moment
    QTest::addColumn<bool>("realDateTime");      // FieldsToDateTime valid

    const auto row = [](const char* name, RecordTime f, qint64 t, RecordTime n, bool real) {
        QTest::newRow(name) << f << t << n << real;
    };
    row("leap day", {2024, 2, 29, 12, 0, 0}, 1709204400, {2024, 2, 29, 12, 0, 0}, true);
    row("leap day of a 400th year", {2000, 2, 29, 0, 0, 0}, 951778800, {2000, 2, 29, 0, 0, 0}, true);
    row("no leap day", {2023, 2, 29, 0, 0, 0}, 1677625200, {2023, 3, 1, 0, 0, 0}, false);
    row("no leap day of a 100th year", {2100, 2, 29, 0, 0, 0}, 4107538800, {2100, 3, 1, 0, 0, 0}, false);
    row("last second of a year", {2024, 12, 31, 23, 59, 59}, 1735685999, {2024, 12, 31, 23, 59, 59}, true);
    row("first second of a year", {2025, 1, 1, 0, 0, 0}, 1735686000, {2025, 1, 1, 0, 0, 0}, true);
    row("second 60 ends the year", {2024, 12, 31, 23, 59, 60}, 1735686000, {2025, 1, 1, 0, 0, 0}, false);
    row("month 13", {2024, 13, 1, 0, 0, 0}, 1735686000, {2025, 1, 1, 0, 0, 0}, false);
    row("month 0", {2024, 0, 10, 8, 0, 0}, 1702191600, {2023, 12, 10, 8, 0, 0}, false);
    row("hour 24", {2024, 12, 31, 24, 0, 0}, 1735686000, {2025, 1, 1, 0, 0, 0}, false);
    row("negative minute", {2025, 1, 1, 0, -1, 59}, 1735685999, {2024, 12, 31, 23, 59, 59}, false);
    row("year before 1900", {1899, 12, 31, 0, 0, 0}, -1, {}, false);
    row("year after 9999", {10000, 1, 1, 0, 0, 0}, -1, {}, false);
    row("all zero", {}, -1, {}, false);
}

void TestLocalTime::conversions()
{
    QFETCH(RecordTime, fields);
    QFETCH(qint64, moment);
    QFETCH(RecordTime, normalised);
    QFETCH(bool, realDateTime);
    const auto same = [](const RecordTime& a, const RecordTime& b) {
        return std::equal(a.Fields(), a.Fields() + 6, b.Fields());
    };

    QCOMPARE(qint64(MakeTime(fields)), moment);
    if (moment != -1)
        QVERIFY(same(BreakTime(time_t(moment)), normalised));

    const QDateTime dt = FieldsToDateTime(fields);
    QCOMPARE(dt.isValid(), realDateTime);
    if (realDateTime) {
        QCOMPARE(dt.toSecsSinceEpoch(), moment);
        QVERIFY(same(DateTimeToFields(dt), fields));
    }

    const DR_DateTime disk = ToDiskTime(fields);
    const int asDisk[6] = {disk.year, disk.month, disk.day, disk.hour, disk.minute, disk.second};
    QVERIFY(std::equal(asDisk, asDisk + 6, fields.Fields()));
    QVERIFY(same(FromDiskTime(disk), fields));
}

void TestLocalTime::conversionIgnoresCallHistory()
{
    const rtk::LocalFields repeated{2025, 10, 26, 2, 10, 0};
    const qint64 first = rtk::LocalToTime(repeated);
    QCOMPARE(first, Utc(0, 10));  // the first pass (summer time)
    // Whatever the C library converted before, the answer stays.
    for (int isdst : {0, 1, -1}) {
        struct tm parts {};
        parts.tm_year = 125, parts.tm_mon = 9, parts.tm_mday = 26, parts.tm_hour = 2, parts.tm_min = 30;
        parts.tm_isdst = isdst;
        mktime(&parts);
        QCOMPARE(qint64(rtk::LocalToTime(repeated)), first);
        QCOMPARE(qint64(MakeTime(RecordTime{2025, 10, 26, 2, 10, 0})), first);
    }
    // The end of a span that starts in the first pass and ends in the second keeps its length.
    QCOMPARE(qint64(MakeTime(RecordTime{2025, 10, 26, 2, 5, 0}, Utc(0, 50))), Utc(1, 5));
    rtk::LocalTimeKind kind;
    rtk::LocalToTime(repeated, INT64_MIN, &kind);
    QCOMPARE(int(kind), int(rtk::LocalTimeKind::Repeated));
}

void TestLocalTime::springGapIsKnown()
{
    rtk::LocalTimeKind kind;
    const qint64 t = rtk::LocalToTime(rtk::LocalFields{2025, 3, 30, 2, 30, 0}, INT64_MIN, &kind);
    QCOMPARE(int(kind), int(rtk::LocalTimeKind::Skipped));
    rtk::LocalFields shown;
    QVERIFY(rtk::TimeToLocal(t, &shown));
    QCOMPARE(shown.hour, 3);  // counted with the winter offset, as the clock then shows it
    rtk::LocalToTime(rtk::LocalFields{2025, 3, 30, 3, 30, 0}, INT64_MIN, &kind);
    QCOMPARE(int(kind), int(rtk::LocalTimeKind::Unique));
}

// A table of index entries as recorders write them around the change, and damaged ones.
void TestLocalTime::indexTimesAcrossTheRepeatedHour()
{
    QTemporaryDir dir;
    const QString root = dir.path();
    IndexFixture::Write(root + "/RecordFile/index01.bin",
                        IndexFixture::Index({LocalFolder::dateRecord(QDate(2025, 10, 26))}));
    IndexFixture::Write(root + "/RecordFile/20251026/index02.bin",
                        IndexFixture::Index({LocalFolder::channelRecord(IndexFixture::Channel("NVR", 1, 1))}));
    IndexFixture::Write(root + "/RecordFile/20251026/NVR_1_1/index03.bin",
                        IndexFixture::Index({
                            Segment(Time(2025, 10, 26, 2, 35, 0), Time(2025, 10, 26, 2, 50, 0), 1),
                            // across the change: its name ends before it starts, its real length is 15 min
                            Segment(Time(2025, 10, 26, 2, 50, 0), Time(2025, 10, 26, 2, 5, 0), 1),
                            // the second pass of the repeated hour
                            Segment(Time(2025, 10, 26, 2, 5, 0), Time(2025, 10, 26, 2, 20, 0), 2),
                            // damaged: ends before it starts; a month that is none
                            Segment(Time(2025, 10, 26, 10, 5, 0), Time(2025, 10, 26, 10, 0, 0), 1),
                            Segment(Time(2025, 13, 26, 10, 5, 0), Time(2025, 13, 26, 10, 9, 0), 1),
                        }));
    FileInfo search;
    search.diskPath = root.toStdString();
    search.begin = RecordTime{2025, 10, 26, 0, 0, 0};
    search.end = RecordTime{2025, 10, 26, 23, 59, 59};
    std::vector<LocalSegmentFile> found;
    RecordIndex().FindSegments(found, "NVR_1_1", &search);
    QCOMPARE(int(found.size()), 3);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.start < b.start; });
    QCOMPARE(qint64(found[0].start), Utc(0, 35));
    QCOMPARE(qint64(found[1].start), Utc(0, 50));
    QCOMPARE(qint64(found[1].end - found[1].start), qint64(900));
    QCOMPARE(qint64(found[2].start), Utc(1, 5));
    QCOMPARE(qint64(found[2].end), Utc(1, 20));

    // The search gives the same, in time order; 02:52 (first pass) is found in the crossing file.
    SingleFileList files;
    QVERIFY(CFileSearch().SearchChannelFiles(files, root.toStdString(), 1, "NVR_1", Utc(0, 0), Utc(2, 0), 0, true));
    QCOMPARE(int(files.size()), 3);
    int index = -1;
    time_t at = -1;
    QVERIFY(FindFileByTime(files, MakeTime(RecordTime{2025, 10, 26, 2, 52, 0}), index, at));
    QCOMPARE(index, 1);
    QCOMPARE(qint64(at), Utc(0, 52));
}

// varpen-sample across the change: no file overwrites another, no name ends before it starts,
// and the engine lists every file in time order.
void TestLocalTime::sampleFolderAcrossTheRepeatedHour()
{
    QTemporaryDir dir;
    const QJsonObject manifest = SampleRun::Folder(dir.path(), {"--channels",
                                                                "1",
                                                                "--days",
                                                                "1",
                                                                "--start-date",
                                                                "2025-10-26",
                                                                "--first-time",
                                                                "01:50:00",
                                                                "--segments-per-day",
                                                                "6",
                                                                "--segment-length",
                                                                "900",
                                                                "--gap",
                                                                "0",
                                                                "--fps",
                                                                "1",
                                                                "--keyint",
                                                                "1",
                                                                "--size",
                                                                "96x64"});
    QVERIFY(!manifest.isEmpty());
    const QStringList names =
        QDir(dir.filePath("RecordFile/20251026/NVR_1_1")).entryList({"*.mp4"}, QDir::Files, QDir::Name);
    QCOMPARE(names.size(), 6);
    for (const QString& n : names)
        QVERIFY2(n.mid(8, 6) <= n.mid(23, 6), qPrintable(n));
    SingleFileList files;
    QVERIFY(
        CFileSearch().SearchChannelFiles(files, dir.path().toStdString(), 1, "NVR_1", Utc(-1, 0), Utc(3, 0), 0, true));
    QCOMPARE(int(files.size()), 6);
    for (std::size_t i = 0; i < files.size(); ++i) {
        QVERIFY(files[i]->GetEndTime() > files[i]->GetStartTime());
        if (i)
            QVERIFY(files[i]->GetStartTime() >= files[i - 1]->GetEndTime());
    }
    // Listed times are the manifest's real times.
    QCOMPARE(qint64(files.back()->GetStartTime()), Utc(1, 0));
}

QTEST_GUILESS_MAIN(TestLocalTime)
#include "tst_local_time.moc"
