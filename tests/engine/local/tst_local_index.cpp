// Index files of local recording folders: parsing of broken input, the folder queries, and a
// bounded random-mutation run over the parsers and the queries.
#include "engine/LocalIndex.h"
#include "engine/RecordIndex.h"
#include "tests/engine/local/IndexFixture.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>

using namespace Varpen;
using namespace IndexFixture;

class TestLocalIndex : public QObject {
    Q_OBJECT
private slots:
    void dateIndexTrustsOnlyItsBytes_data();
    void dateIndexTrustsOnlyItsBytes();
    void channelNamesStayInsideTheirRecord();
    void segmentRecords();
    void channelGroupsAcrossDates();
    void channelOnDay_data();
    void channelOnDay();
    void filesOfAWindow();
    void missingAndCutPiecesListWhatIsThere();
    void namesAreFoundWhateverTheirCase();
    void mutatedIndexesNeverBreakTheReader();

private:
    // A folder with two dates: 2024-01-30 (NVR_1 channels 3 and 1) and 2024-01-31 (NVR_1 channel
    // 1, DVR_2 channel 5). NVR_1_1 has two segments per day, numbers 2 and 4.
    void WriteFolder(const QString& root, const QString& recordFile = "RecordFile");
};

void TestLocalIndex::dateIndexTrustsOnlyItsBytes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("dates");
    const QByteArray d1 = LocalFolder::dateRecord(QDate(2024, 1, 30));
    const QByteArray d2 = LocalFolder::dateRecord(QDate(2024, 1, 31));
    QTest::newRow("whole") << Index({d1, d2}) << 2;
    QTest::newRow("count larger than the records") << Index({d1, d2}, 5) << 2;
    QTest::newRow("huge count") << Index({d1}, 0xFFFFFFFFll) << 1;
    QTest::newRow("cut last record") << Index({d1, d2}).left(8 + 4 + 3) << 1;
    QTest::newRow("count smaller than the records") << Index({d1, d2}, 1) << 1;
    QTest::newRow("short header") << QByteArray("\x02\x00\x00", 3) << 0;
    QTest::newRow("empty") << QByteArray() << 0;
}

void TestLocalIndex::dateIndexTrustsOnlyItsBytes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, dates);
    const auto parsed = ParseDateIndex(bytes.constData(), std::size_t(bytes.size()));
    QCOMPARE(int(parsed.size()), dates);
    if (dates > 0) {
        QCOMPARE(FormatDate(parsed[0].year, parsed[0].month, parsed[0].day), std::string("20240130"));
    }
    // The same through a file.
    QTemporaryDir dir;
    Write(dir.filePath("index01.bin"), bytes);
    QCOMPARE(int(ReadDateIndex(dir.filePath("index01.bin").toStdString()).size()), dates);
}

void TestLocalIndex::channelNamesStayInsideTheirRecord()
{
    QByteArray full = LocalFolder::channelRecord(Channel("x", 7, 2));
    memset(full.data(), 'A', 64);  // a 64-byte name without its terminator
    const QList<QByteArray> records{full,
                                    LocalFolder::channelRecord(Channel("..", 1, 1)),
                                    LocalFolder::channelRecord(Channel("up/../x", 1, 1)),
                                    LocalFolder::channelRecord(Channel("back\\slash", 1, 1)),
                                    LocalFolder::channelRecord(Channel("", 1, 1)),
                                    LocalFolder::channelRecord(Channel("Hall", 65535, 255))};
    const QByteArray bytes = Index(records);
    // Exactly sized heap copy so that a read past the last record is caught by ASan.
    std::vector<char> exact(bytes.begin(), bytes.end());
    const auto channels = ParseChannelIndex(exact.data(), exact.size());
    QCOMPARE(int(channels.size()), 2);
    QCOMPARE(channels[0].sourceName, std::string(64, 'A'));
    QCOMPARE(channels[0].sourceNumber, 7);
    QCOMPARE(channels[0].channelNumber, 2);
    QCOMPARE(FormatChannelKey(channels[1].sourceName, channels[1].sourceNumber, channels[1].channelNumber),
             std::string("Hall_65535_255"));
}

void TestLocalIndex::segmentRecords()
{
    const qint64 start = At("2024-01-30 10:00:00");
    const QByteArray bytes = Index({LocalFolder::segmentRecord(start, start + 60, 4)});
    const auto segments = ParseSegmentIndex(bytes.constData(), std::size_t(bytes.size()));
    QCOMPARE(int(segments.size()), 1);
    QCOMPARE(FormatClipFileName(segments[0]), std::string("20240130100000_20240130100100_4.mp4"));
    QCOMPARE(QString::fromStdString(FormatClipFileName(segments[0])),
             LocalFolder::segmentFileName(start, start + 60, 4));
}

void TestLocalIndex::WriteFolder(const QString& root, const QString& recordFile)
{
    const QString rf = root + "/" + recordFile;
    Write(rf + "/index01.bin",
          Index({LocalFolder::dateRecord(QDate(2024, 1, 30)), LocalFolder::dateRecord(QDate(2024, 1, 31))}));
    Write(rf + "/20240130/index02.bin",
          Index({LocalFolder::channelRecord(Channel("NVR", 1, 3)), LocalFolder::channelRecord(Channel("NVR", 1, 1))}));
    Write(rf + "/20240131/index02.bin",
          Index({LocalFolder::channelRecord(Channel("NVR", 1, 1)), LocalFolder::channelRecord(Channel("DVR", 2, 5))}));
    for (const QString day : {"2024-01-30", "2024-01-31"}) {
        const QString date = QString(day).remove('-');
        const qint64 a = At(day + " 10:00:00");
        const qint64 b = At(day + " 12:00:00");
        // Written out of order: the reader sorts.
        Write(rf + "/" + date + "/NVR_1_1/index03.bin",
              Index({LocalFolder::segmentRecord(b, b + 60, 4), LocalFolder::segmentRecord(a, a + 60, 2)}));
        for (qint64 s : {a, b}) {
            Write(rf + "/" + date + "/NVR_1_1/" + LocalFolder::segmentFileName(s, s + 60, s == a ? 2 : 4), "x");
        }
    }
}

void TestLocalIndex::channelGroupsAcrossDates()
{
    QTemporaryDir dir;
    WriteFolder(dir.path());
    RecordIndex index;
    std::map<std::string, std::vector<int>> groups;
    FileInfo search;
    search.diskPath = dir.path().toStdString();
    QCOMPARE(index.LoadChannelFiles(groups, search), 2);
    QCOMPARE(groups.size(), std::size_t(2));
    QCOMPARE(groups["NVR_1"], (std::vector<int>{1, 3}));
    QCOMPARE(groups["DVR_2"], (std::vector<int>{5}));
    QCOMPARE(index.LoadChannelFiles(groups, search), 0);
    QCOMPARE(groups["NVR_1"], (std::vector<int>{1, 3}));
    // The date list runs from the latest date to the earliest.
    std::list<std::string> channelIndexes;
    QCOMPARE(index.ReadIndex01(DateIndexPath(search.diskPath).c_str(), channelIndexes), 2);
    QVERIFY(channelIndexes.front().find("20240131") != std::string::npos);
    std::list<std::string> segmentIndexes;
    QCOMPARE(index.ReadIndex01Paths(search.diskPath.c_str(), segmentIndexes), 4);
}

void TestLocalIndex::channelOnDay_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("month");
    QTest::addColumn<int>("day");
    QTest::addColumn<bool>("has");
    QTest::newRow("listed") << "DVR_2_5" << 2024 << 1 << 31 << true;
    QTest::newRow("other day") << "DVR_2_5" << 2024 << 1 << 30 << false;
    QTest::newRow("date not in the folder") << "NVR_1_1" << 2024 << 2 << 1 << false;
    QTest::newRow("year 2000") << "NVR_1_1" << 2000 << 1 << 30 << false;
    QTest::newRow("month 13") << "NVR_1_1" << 2024 << 13 << 30 << false;
    QTest::newRow("group key only") << "NVR_1" << 2024 << 1 << 30 << false;
}

void TestLocalIndex::channelOnDay()
{
    QFETCH(QString, key);
    QFETCH(int, year);
    QFETCH(int, month);
    QFETCH(int, day);
    QFETCH(bool, has);
    QTemporaryDir dir;
    WriteFolder(dir.path());
    QCOMPARE(RecordIndex().HasChannelOnDay(dir.path().toUtf8().constData(), key.toStdString(), year, month, day), has);
}

static std::vector<std::string> Names(const std::list<std::string>& paths)
{
    std::vector<std::string> names;
    for (const std::string& p : paths)
        names.push_back(FileNamePart(p));
    return names;
}

void TestLocalIndex::filesOfAWindow()
{
    QTemporaryDir dir;
    WriteFolder(dir.path());
    FileInfo search;
    search.diskPath = dir.path().toStdString() + "/";  // a trailing separator changes nothing
    search.begin = BreakTime(At("2024-01-30 11:00:00"));
    search.end = BreakTime(At("2024-01-31 10:00:30"));
    std::list<std::string> files;
    RecordIndex().FindFilesByIndex(files, "NVR_1_1", &search);
    QCOMPARE(Names(files),
             (std::vector<std::string>{"20240130120000_20240130120100_4.mp4", "20240131100000_20240131100100_2.mp4"}));
    QVERIFY(QFile::exists(QString::fromStdString(files.front())));

    search.indexType = 2;
    files.clear();
    RecordIndex().FindFilesByIndex(files, "NVR_1_1", &search);
    QCOMPARE(Names(files), (std::vector<std::string>{"20240131100000_20240131100100_2.mp4"}));

    files.clear();
    RecordIndex().FindFilesByIndex(files, "../NVR_1_1", &search);
    RecordIndex().FindFilesByIndex(files, "NVR_1_3", &search);  // listed, but has no segment index
    RecordIndex().FindFilesByIndex(files, nullptr, &search);
    QVERIFY(files.empty());
}

void TestLocalIndex::missingAndCutPiecesListWhatIsThere()
{
    QTemporaryDir dir;
    WriteFolder(dir.path());
    const QString rf = dir.path() + "/RecordFile";
    // A third date whose folder is missing, and a segment index cut inside its second record.
    Write(rf + "/index01.bin",
          Index({LocalFolder::dateRecord(QDate(2024, 1, 29)), LocalFolder::dateRecord(QDate(2024, 1, 30)),
                 LocalFolder::dateRecord(QDate(2024, 1, 31))}));
    const qint64 a = At("2024-01-31 10:00:00");
    const qint64 b = At("2024-01-31 12:00:00");
    Write(
        rf + "/20240131/NVR_1_1/index03.bin",
        Index({LocalFolder::segmentRecord(a, a + 60, 2), LocalFolder::segmentRecord(b, b + 60, 4)}).left(8 + 44 + 20));
    FileInfo search;
    search.diskPath = dir.path().toStdString();
    search.begin = BreakTime(At("2024-01-29 00:00:00"));
    search.end = BreakTime(At("2024-01-31 23:59:59"));
    std::list<std::string> files;
    RecordIndex().FindFilesByIndex(files, "NVR_1_1", &search);
    QCOMPARE(Names(files),
             (std::vector<std::string>{"20240130100000_20240130100100_2.mp4", "20240130120000_20240130120100_4.mp4",
                                       "20240131100000_20240131100100_2.mp4"}));
    QVERIFY(!RecordIndex().HasChannelOnDay(search.diskPath.c_str(), "NVR_1_1", 2024, 1, 29));
}

void TestLocalIndex::namesAreFoundWhateverTheirCase()
{
    QTemporaryDir dir;
    WriteFolder(dir.path(), "recordfile");
    QVERIFY(QFile::rename(dir.path() + "/recordfile/index01.bin", dir.path() + "/recordfile/INDEX01.BIN"));
    QVERIFY(IsLocalRecordingFolder(dir.path().toStdString()));
    FileInfo search;
    search.diskPath = dir.path().toStdString();
    search.begin = BreakTime(At("2024-01-30 00:00:00"));
    search.end = BreakTime(At("2024-01-30 23:59:59"));
    std::list<std::string> files;
    RecordIndex().FindFilesByIndex(files, "NVR_1_1", &search);
    QCOMPARE(int(files.size()), 2);
    QVERIFY(QFile::exists(QString::fromStdString(files.front())));
    QVERIFY(!IsLocalRecordingFolder((dir.path() + "/nothing").toStdString()));
}

// Random bit flips, cut tails and rewritten counts on valid index files, read back through the
// parsers and through the folder queries. Bounded in iterations, so it stays quick under load.
void TestLocalIndex::mutatedIndexesNeverBreakTheReader()
{
    QTemporaryDir dir;
    WriteFolder(dir.path());
    const QString rf = dir.path() + "/RecordFile";
    const QStringList files{rf + "/index01.bin", rf + "/20240130/index02.bin", rf + "/20240131/NVR_1_1/index03.bin"};
    QList<QByteArray> originals;
    for (const QString& f : files) {
        QFile file(f);
        QVERIFY(file.open(QIODevice::ReadOnly));
        originals << file.readAll();
    }
    QRandomGenerator rng(20240130);
    auto mutate = [&](QByteArray b) {
        switch (rng.bounded(4)) {
        case 0:
            for (int i = 0, n = 1 + rng.bounded(8); i < n && !b.isEmpty(); ++i)
                b[rng.bounded(b.size())] ^= char(1 << rng.bounded(8));
            break;
        case 1:
            b.truncate(rng.bounded(b.size() + 1));
            break;
        case 2:
            if (b.size() >= 4) {
                const quint32 count = rng.bounded(2) ? 0xFFFFFFFFu : rng.bounded(1000u);
                memcpy(b.data(), &count, 4);
            }
            break;
        default:
            b += QByteArray(rng.bounded(200), char(rng.bounded(256)));
            break;
        }
        return b;
    };
    for (int i = 0; i < 20000; ++i) {
        const QByteArray b = mutate(originals.at(i % 3));
        std::vector<char> exact(b.begin(), b.end());
        const std::size_t n = exact.size();
        const auto d = ParseDateIndex(exact.data(), n);
        const auto c = ParseChannelIndex(exact.data(), n);
        const auto s = ParseSegmentIndex(exact.data(), n);
        QVERIFY(d.size() * kDateRecordBytes + kIndexHeaderBytes <= std::max<std::size_t>(n, kIndexHeaderBytes));
        QVERIFY(c.size() * kChannelRecordBytes + kIndexHeaderBytes <= std::max<std::size_t>(n, kIndexHeaderBytes));
        QVERIFY(s.size() * kSegmentRecordBytes + kIndexHeaderBytes <= std::max<std::size_t>(n, kIndexHeaderBytes));
        for (const IndexChannel& ch : c)
            QVERIFY(IsSafeName(ch.sourceName) && ch.sourceName.size() <= 64);
    }
    FileInfo search;
    search.diskPath = dir.path().toStdString();
    search.begin = BreakTime(At("2024-01-01 00:00:00"));
    search.end = BreakTime(At("2024-12-31 23:59:59"));
    for (int i = 0; i < 300; ++i) {
        const int which = rng.bounded(3);
        Write(files.at(which), mutate(originals.at(which)));
        std::map<std::string, std::vector<int>> groups;
        RecordIndex().LoadChannelFiles(groups, search);
        std::list<std::string> found;
        RecordIndex().FindFilesByIndex(found, "NVR_1_1", &search);
        QVERIFY(found.size() <= 4);
        for (const std::string& p : found)
            QVERIFY(p.rfind(search.diskPath, 0) == 0);  // never outside the folder
        Write(files.at(which), originals.at(which));
    }
}

QTEST_APPLESS_MAIN(TestLocalIndex)
#include "tst_local_index.moc"
