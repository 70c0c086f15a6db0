// The channel tree of the playback page apart from the page: the scan path of a disk-box entry,
// the days of a scanned month, the rows a scan gives by disk type (from scans of generated
// folders and disk images, and from hand-made results), no repeated rows on a second scan, and
// which rows stand for channels.
#include "engine/SearchDiskThread.h"
#include "playback/ChannelTree.h"
#include "platform/diskrec/diskrec.h"
#include "SearchSamples.h"

#include <QStandardItemModel>
#include <QTemporaryDir>
#include <QtTest>

using ChannelTree::ScanOutcome;
using Result = std::map<std::string, std::vector<int>>;

Q_DECLARE_METATYPE(ChannelTree::ScanOutcome)

namespace {

ChannelTree::ScanReport Scan(const QString& path, const QDate& month)
{
    CSearchDiskThread scan;
    scan.SetSearchParam(path, ChannelTree::MonthDayStarts(month.year(), month.month()));
    scan.StartSearch();
    scan.wait();
    ChannelTree::ScanReport report;
    report.finished = scan.GetResult(report.result, report.diskType);
    report.diskError = scan.GetDiskError();
    return report;
}

}  // namespace

class TestChannelTree : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY2(searchtest::MakeFolder(m_dir.filePath("folder")), "varpen-sample folder failed");
        for (const char* layout : {"plain", "nvr", "dvr"})
            QVERIFY2(searchtest::MakeDisk(m_dir.filePath(QString::fromLatin1(layout) + ".img"), layout), layout);
        QVERIFY(searchtest::MakeDisk(m_dir.filePath("bad.img"), "plain", "bad-magic"));
    }

    // The disk box's item data, never its text, gives the path.
    void scanPath_data()
    {
        QTest::addColumn<bool>("isDisk");
        QTest::addColumn<qint64>("number");
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        const QString folder = m_dir.filePath("folder");
        QTest::newRow("device") << true << qint64(0) << "/dev/sda"
                                << "\\\\.\\PHYSICALDRIVE0";
        QTest::newRow("image offered as a disk")
            << true << qint64(1000) << m_dir.filePath("nvr.img") << "\\\\.\\PHYSICALDRIVE1000";
        QTest::newRow("disk without a path") << true << qint64(3) << QString() << "\\\\.\\PHYSICALDRIVE3";
        QTest::newRow("folder offered as a disk") << true << qint64(1001) << folder << folder;
        QTest::newRow("volume") << false << qint64(1) << "/media/op/REC DISK/"
                                << "/media/op/REC DISK/";
        QTest::newRow("no entry") << true << qint64(-1) << QString() << QString();
    }
    void scanPath()
    {
        QFETCH(bool, isDisk);
        QFETCH(qint64, number);
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(ChannelTree::ScanPathFor(isDisk, number, source), expected);
    }

    // Every local midnight of the month; the month of the spring change has one day of 23 hours.
    void monthDays_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("days");
        QTest::newRow("31 days, clocks forward") << 2024 << 3 << 31;
        QTest::newRow("30 days") << 2024 << 4 << 30;
        QTest::newRow("29 days") << 2024 << 2 << 29;
        QTest::newRow("28 days") << 2023 << 2 << 28;
        QTest::newRow("31 days, clocks back") << 2024 << 10 << 31;
    }
    void monthDays()
    {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, days);
        const std::vector<time_t> starts = ChannelTree::MonthDayStarts(year, month);
        QCOMPARE(int(starts.size()), days);
        for (int i = 0; i < days; ++i)
            QCOMPARE(QDateTime::fromSecsSinceEpoch(starts[size_t(i)]),
                     QDateTime(QDate(year, month, i + 1), QTime(0, 0)));
        int otherDays = 0;
        for (size_t i = 1; i < starts.size(); ++i) {
            QVERIFY(starts[i] > starts[i - 1]);
            otherDays += starts[i] - starts[i - 1] != 24 * 3600;
        }
        QCOMPARE(otherDays, month == 10 ? 1 : 0);  // 27 October has 25 hours
        QVERIFY(ChannelTree::MonthDayStarts(2024, 13).empty());
    }

    // Rows from real scans: the disk type names the group; a folder has a group per recorder.
    void scannedTrees_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("diskType");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<bool>("flag");
        QTest::newRow("plain disk") << m_dir.filePath("plain.img") << 0 << QStringList{"DVR Video: channel1 channel2"}
                                    << false;
        QTest::newRow("NVR disk") << m_dir.filePath("nvr.img") << 1 << QStringList{"PCREC Video: channel1 channel2"}
                                  << false;
        QTest::newRow("DVR disk") << m_dir.filePath("dvr.img") << 2 << QStringList{"Encoder Video: channel1 channel2"}
                                  << false;
        QTest::newRow("folder") << m_dir.filePath("folder") << 3 << QStringList{"NVR_1: channel1 channel2"} << true;
    }
    void scannedTrees()
    {
        QFETCH(QString, path);
        QFETCH(int, diskType);
        QFETCH(QStringList, rows);
        QFETCH(bool, flag);
        const ChannelTree::ScanReport report = Scan(path, searchtest::FirstDay());
        QVERIFY(report.finished);
        QCOMPARE(report.diskType, diskType);
        QStandardItemModel model;
        QCOMPARE(ChannelTree::FillModel(model, report), ScanOutcome::Channels);
        QCOMPARE(searchtest::Rows(model), rows);
        // The same result again replaces the rows.
        QCOMPARE(ChannelTree::FillModel(model, report), ScanOutcome::Channels);
        QCOMPARE(searchtest::Rows(model), rows);

        const QModelIndex group = model.index(0, 0);
        QVERIFY(!ChannelTree::ChannelOf(group));
        const auto second = ChannelTree::ChannelOf(model.index(1, 0, group));
        QVERIFY(second);
        QCOMPARE(second->GetNumber(), flag ? 2 : 1);
        QCOMPARE(second->GetFlag(), flag);
        QCOMPARE(second->GetName(), model.item(0)->text());
        QCOMPARE(model.item(0)->child(0)->checkState(), Qt::Unchecked);
        QVERIFY(model.item(0)->isCheckable() && !model.item(0)->isEditable());
    }

    // A disk's month without recordings, a disk that is not a recorder disk and a disk that is gone
    // each end in an empty tree; only the last is a read failure.
    void emptyScans_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QDate>("month");
        QTest::addColumn<ScanOutcome>("outcome");
        QTest::newRow("disk, other month") << m_dir.filePath("nvr.img") << QDate(2024, 3, 1) << ScanOutcome::NoChannels;
        QTest::newRow("not a recorder disk")
            << m_dir.filePath("bad.img") << searchtest::FirstDay() << ScanOutcome::NoChannels;
        QTest::newRow("disk gone") << m_dir.filePath("gone.img") << searchtest::FirstDay() << ScanOutcome::Unreadable;
    }
    void emptyScans()
    {
        QFETCH(QString, path);
        QFETCH(QDate, month);
        QFETCH(ScanOutcome, outcome);
        QStandardItemModel model;
        QCOMPARE(ChannelTree::FillModel(model, Scan(m_dir.filePath("nvr.img"), searchtest::FirstDay())),
                 ScanOutcome::Channels);
        const ChannelTree::ScanReport report = Scan(path, month);
        QCOMPARE(ChannelTree::FillModel(model, report), outcome);
        QVERIFY2(searchtest::Rows(model).join(QLatin1Char('|')).indexOf("channel") < 0,
                 qPrintable(searchtest::Rows(model).join('|')));
    }

    // Hand-made results for what real scans cannot easily show.
    void reports_data()
    {
        QTest::addColumn<int>("diskType");
        QTest::addColumn<bool>("finished");
        QTest::addColumn<int>("diskError");
        QTest::addColumn<Result>("result");
        QTest::addColumn<ScanOutcome>("outcome");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("channels 0, 1, 5") << 0 << true << 0 << Result{{"NULLNULL", {0, 1, 5}}} << ScanOutcome::Channels
                                          << QStringList{"DVR Video: channel1 channel2 channel6"};
        QTest::newRow("unknown type shows as a recorder disk")
            << -1 << true << 0 << Result{{"NULLNULL", {3}}} << ScanOutcome::Channels
            << QStringList{"DVR Video: channel4"};
        QTest::newRow("no channel") << 1 << true << 0 << Result{{"NULLNULL", {}}} << ScanOutcome::NoChannels
                                    << QStringList{};
        QTest::newRow("empty result") << 3 << true << 0 << Result{} << ScanOutcome::NoChannels << QStringList{};
        // One recorder without channels does not hide the others' channels.
        QTest::newRow("folder, last recorder empty")
            << 3 << true << 0 << Result{{"DVR_2", {1, 3}}, {"NVR_9", {}}} << ScanOutcome::Channels
            << QStringList{"DVR_2: channel1 channel3", "NVR_9:"};
        QTest::newRow("folder, index unreadable")
            << 3 << true << int(DR_ERR_READ) << Result{} << ScanOutcome::Unreadable << QStringList{};
        QTest::newRow("stopped scan") << 0 << false << 0 << Result{} << ScanOutcome::NoChannels << QStringList{};
        QTest::newRow("no right to read")
            << -1 << false << int(DR_ERR_ACCESS_DENIED) << Result{} << ScanOutcome::Unreadable << QStringList{};
    }
    void reports()
    {
        QFETCH(int, diskType);
        QFETCH(bool, finished);
        QFETCH(int, diskError);
        QFETCH(Result, result);
        QFETCH(ScanOutcome, outcome);
        QFETCH(QStringList, rows);
        QStandardItemModel model;
        ChannelTree::ScanReport report{finished, diskType, diskError, result};
        QCOMPARE(ChannelTree::FillModel(model, report), outcome);
        QCOMPARE(searchtest::Rows(model), rows);
    }

    void checkedChannels()
    {
        QStandardItemModel model;
        ChannelTree::FillModel(model, {true, 3, 0, Result{{"A_1", {1, 2, 3}}, {"B_1", {7}}}});
        model.item(1)->child(0)->setCheckState(Qt::Checked);
        model.item(0)->child(2)->setCheckState(Qt::Checked);
        model.item(0)->child(0)->setCheckState(Qt::Checked);
        model.item(0)->setCheckState(Qt::Checked);  // a group is never a channel
        QList<int> numbers;
        for (const QModelIndex& i : ChannelTree::CheckedChannels(model))
            numbers << ChannelTree::ChannelOf(i)->GetNumber();
        QCOMPARE(numbers, (QList<int>{1, 3, 7}));

        // A selection in any order, with groups and repeats, gives channels in tree order.
        const QList<QModelIndex> picked =
            ChannelTree::ChannelsAmong({model.index(0, 0, model.index(1, 0)), model.index(0, 0),
                                        model.index(1, 0, model.index(0, 0)), model.index(0, 0, model.index(1, 0))});
        QCOMPARE(picked.size(), 2);
        QCOMPARE(ChannelTree::ChannelOf(picked.at(0))->GetNumber(), 2);
        QCOMPARE(ChannelTree::ChannelOf(picked.at(1))->GetNumber(), 7);

        ChannelTree::UncheckAll(model);
        QVERIFY(ChannelTree::CheckedChannels(model).isEmpty());
    }
};

QTEST_MAIN(TestChannelTree)
#include "tst_channel_tree.moc"
