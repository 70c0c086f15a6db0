// Records, time helpers, role data list and engine events.
#include "engine/EngineEvents.h"
#include "engine/Records.h"
#include "engine/RoleDataList.h"

#include <QtTest>

using namespace Varpen;

class TestEngineRecords : public QObject {
    Q_OBJECT
private slots:
    void findFileByTime_data();
    void findFileByTime();
    void cloneWithRangeKeepsSource();
    void stamps_data();
    void stamps();
    void stampToTimeRejectsBadText_data();
    void stampToTimeRejectsBadText();
    void channelDefaults();
    void roleDataList();
    void eventsCarryTheirData();
};

static SingleFilePtr File(time_t start, time_t end)
{
    return std::make_shared<CSingleFile>("f", "", 0, start, end, 1, "", 0);
}

void TestEngineRecords::findFileByTime_data()
{
    QTest::addColumn<qint64>("t");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("index");
    QTest::addColumn<qint64>("startAt");
    // Files [100,200] and [300,400].
    QTest::newRow("before the first") << qint64(50) << true << 0 << qint64(100);
    QTest::newRow("inside the first") << qint64(150) << true << 0 << qint64(150);
    QTest::newRow("at the first's end goes on") << qint64(200) << true << 1 << qint64(300);
    QTest::newRow("in the gap") << qint64(250) << true << 1 << qint64(300);
    QTest::newRow("inside the second") << qint64(399) << true << 1 << qint64(399);
    QTest::newRow("at the last end") << qint64(400) << false << -1 << qint64(-1);
    QTest::newRow("after the last") << qint64(500) << false << -1 << qint64(-1);
}

void TestEngineRecords::findFileByTime()
{
    QFETCH(qint64, t);
    QFETCH(bool, found);
    QFETCH(int, index);
    QFETCH(qint64, startAt);
    const SingleFileList files{File(100, 200), File(300, 400)};
    int gotIndex = -1;
    time_t gotStart = -1;
    QCOMPARE(FindFileByTime(files, t, gotIndex, gotStart), found);
    QCOMPARE(gotIndex, index);
    QCOMPARE(qint64(gotStart), startAt);
}

void TestEngineRecords::cloneWithRangeKeepsSource()
{
    const CSingleFile source("name", "/disk/", 77, 100, 200, 10, "NVR_1", 3);
    const auto open = source.CloneWithRange(150, -1);
    QCOMPARE(open->GetStartTime(), time_t(150));
    QCOMPARE(open->GetEndTime(), time_t(200));
    QCOMPARE(open->GetRecordType(), 10u);
    QCOMPARE(open->GetLabel(), std::string("NVR_1"));
    QCOMPARE(open->GetPath(), std::string("/disk/"));
    QCOMPARE(source.CloneWithRange(120, 130)->GetEndTime(), time_t(130));
    QCOMPARE(source.GetStartTime(), time_t(100));
    QVERIFY(source.ContainsTime(100) && source.ContainsTime(200) && !source.ContainsTime(201));
}

void TestEngineRecords::stamps_data()
{
    QTest::addColumn<QString>("local");  // yyyy-MM-dd hh:mm:ss, Europe/Berlin
    QTest::addColumn<QString>("fileStamp");
    QTest::addColumn<QString>("dateStamp");
    QTest::newRow("leap day") << "2024-02-29 23:59:59"
                              << "20240229235959"
                              << "20240229";
    QTest::newRow("after the clocks go forward") << "2024-03-31 03:30:00"
                                                 << "20240331033000"
                                                 << "20240331";
    QTest::newRow("after 2038") << "2040-06-01 12:00:01"
                                << "20400601120001"
                                << "20400601";
}

void TestEngineRecords::stamps()
{
    QFETCH(QString, local);
    QFETCH(QString, fileStamp);
    QFETCH(QString, dateStamp);
    const time_t t = QDateTime::fromString(local, "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
    QCOMPARE(QString::fromStdString(TimeToFileStamp(t)), fileStamp);
    QCOMPARE(QString::fromStdString(TimeToDateStamp(t)), dateStamp);
    QCOMPARE(qint64(StampToTime(fileStamp.toLatin1().constData())), qint64(t));
    const RecordTime f = BreakTime(t);
    QCOMPARE(qint64(MakeTime(f)), qint64(t));
    QCOMPARE(IntToStdString(-42), std::string("-42"));
}

void TestEngineRecords::stampToTimeRejectsBadText_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("empty") << QByteArray("");
    QTest::newRow("short") << QByteArray("2024013010");
    QTest::newRow("letters") << QByteArray("2024013010x000");
    QTest::newRow("space") << QByteArray("20240130 00000");
}

void TestEngineRecords::stampToTimeRejectsBadText()
{
    QFETCH(QByteArray, text);
    // A buffer exactly as long as the text: reading past it would be caught by ASan.
    std::unique_ptr<char[]> exact(new char[text.size() + 1]);
    memcpy(exact.get(), text.constData(), text.size() + 1);
    QCOMPARE(qint64(StampToTime(exact.get(), text.size() + 1)), qint64(-1));
}

void TestEngineRecords::channelDefaults()
{
    CChannel c;
    QCOMPARE(c.GetNumber(), -1);
    QVERIFY(!c.IsNull());
    QVERIFY(!c.GetFlag());
    c.SetName("Door");
    c.SetNumber(4);
    const CChannel copy = c;
    QCOMPARE(copy.GetName(), QString("Door"));
    QCOMPARE(copy.GetNumber(), 4);
}

void TestEngineRecords::roleDataList()
{
    CRoleDataList list;
    list.SetData(QVariant(), 5);  // an absent role is added even with an invalid value
    QCOMPARE(list.Count(), 1);
    QVERIFY(!list.Data(5).isValid());
    list.SetData(QVariant(), 5);  // present + invalid: removed
    QCOMPARE(list.Count(), 0);
    list.SetData(1, 133);
    list.SetData(1, 133);
    QCOMPARE(list.Count(), 1);
    list.SetData(QString("x"), 133);  // another type replaces
    QCOMPARE(list.Data(133), QVariant(QString("x")));
    list.SetData(2, 7);
    QCOMPARE(list.Entries().at(0).role, 133);
    QCOMPARE(list.Entries().at(1).role, 7);
    QVERIFY(!list.Data(99).isValid());
    const CRoleDataList copy = list;
    list.SetData(QVariant(), 133);
    QCOMPARE(copy.Count(), 2);  // a copy keeps its own entries
    QCOMPARE(list.Count(), 1);
}

void TestEngineRecords::eventsCarryTheirData()
{
    CCustomEvent e;
    QCOMPARE(int(e.type()), 1000);
    e.SetParam(42, 1);
    const CCustomEvent copy(e);
    QCOMPARE(copy.GetParam(1).toInt(), 42);
    QCOMPARE(int(CCustomEvent(1234).type()), 1234);
    CChannel ch(3, "Gate");
    const CPlaybackRemoteEvent remote(ch, 9);
    const CPlaybackRemoteEvent remoteCopy(remote);
    QCOMPARE(remoteCopy.GetChannel().GetNumber(), 3);
    QCOMPARE(remoteCopy.GetValue(), 9);
    QVERIFY(QMetaType::fromName("CCustomEvent*").isValid());
}

QTEST_APPLESS_MAIN(TestEngineRecords)
#include "tst_engine_records.moc"
