// The search rules of the playback page as tables: the checks and their order, the whole-day
// window, grid growth for both screen families, the record-type box and the filter entries a
// searched row offers, and the day the time line shows for a multi-day search.
#include "playback/PlaybackSearchRules.h"
#include "timeline/RecordTypes.h"

#include <QtTest>

using PlaybackSearch::Check;

Q_DECLARE_METATYPE(PlaybackSearch::Check)

namespace {

QDateTime At(const char* text)
{
    return QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy-MM-dd hh:mm"));
}

CTimeSegment Bar(const char* begin, const char* end, int recordType)
{
    return RecordTypes::MakeSegment(At(begin), At(end), recordType);
}

}  // namespace

class TestSearchRules : public QObject {
    Q_OBJECT

private slots:
    void checks_data()
    {
        QTest::addColumn<QDateTime>("begin");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<int>("cameras");
        QTest::addColumn<Check>("expected");
        QTest::addColumn<QString>("message");
        const QDateTime b = At("2024-03-01 10:00");
        QTest::newRow("one day, one camera") << b << At("2024-03-01 23:59") << 1 << Check::Ok << QString();
        QTest::newRow("30 days less an hour") << b << At("2024-03-31 09:00") << 2 << Check::Ok << QString();
        QTest::newRow("exactly 30 days") << b << At("2024-03-31 10:00") << 16 << Check::Ok << QString();
        QTest::newRow("30 days and a minute")
            << b << At("2024-03-31 10:01") << 1 << Check::LongerThan30Days << "You can only search video in 30days";
        QTest::newRow("begin equals end")
            << b << b << 1 << Check::BeginNotBeforeEnd << "Begin time should earlier than end time";
        QTest::newRow("end before begin")
            << b << b.addSecs(-60) << 1 << Check::BeginNotBeforeEnd << "Begin time should earlier than end time";
        // The time window is checked before the cameras.
        QTest::newRow("bad window and no camera")
            << b << b.addSecs(-60) << 0 << Check::BeginNotBeforeEnd << "Begin time should earlier than end time";
        QTest::newRow("long window and 17 cameras")
            << b << b.addDays(40) << 17 << Check::LongerThan30Days << "You can only search video in 30days";
        QTest::newRow("no camera") << b << b.addDays(1) << 0 << Check::NoCamera << "Please select a camera";
        QTest::newRow("16 cameras") << b << b.addDays(1) << 16 << Check::Ok << QString();
        QTest::newRow("17 cameras") << b << b.addDays(1) << 17 << Check::TooManyCameras << "Camera should less than 16";
        QTest::newRow("invalid begin") << QDateTime() << b << 1 << Check::BeginNotBeforeEnd
                                       << "Begin time should earlier than end time";
    }
    void checks()
    {
        QFETCH(QDateTime, begin);
        QFETCH(QDateTime, end);
        QFETCH(int, cameras);
        QFETCH(Check, expected);
        QFETCH(QString, message);
        QCOMPARE(PlaybackSearch::CheckSearch(begin, end, cameras), expected);
        QCOMPARE(PlaybackSearch::CheckMessage(expected), message);
    }

    // Whole days whatever the times of the edits; a day of 23 hours still ends at 23:59:59.
    void dayWindow_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<qint64>("length_s");
        QTest::newRow("ordinary day") << QDate(2024, 3, 1) << qint64(86399);
        QTest::newRow("clocks go forward") << QDate(2024, 3, 31) << qint64(82799);
        QTest::newRow("clocks go back") << QDate(2024, 10, 27) << qint64(89999);
    }
    void dayWindow()
    {
        QFETCH(QDate, date);
        QFETCH(qint64, length_s);
        const time_t start = PlaybackSearch::DayStart(date);
        const time_t last = PlaybackSearch::DayLast(date);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(start), QDateTime(date, QTime(0, 0)));
        QCOMPARE(QDateTime::fromSecsSinceEpoch(last), QDateTime(date, QTime(23, 59, 59)));
        QCOMPARE(qint64(last - start), length_s);
    }

    void windowsShown_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("windows");
        QTest::newRow("1x1") << 0 << 1;
        QTest::newRow("2x2") << 1 << 4;
        QTest::newRow("3x3-6") << 2 << 6;
        QTest::newRow("3x3-9") << 3 << 9;
        QTest::newRow("4x4-16") << 7 << 16;
        QTest::newRow("5x5-10") << 8 << 10;
        QTest::newRow("1x1-EX") << 17 << 1;
        QTest::newRow("2x2-EX") << 18 << 4;
        QTest::newRow("3x3-EX") << 19 << 9;
        QTest::newRow("4x4-EX") << 20 << 16;
        QTest::newRow("no mode") << -1 << 0;
    }
    void windowsShown()
    {
        QFETCH(int, mode);
        QFETCH(int, windows);
        QCOMPARE(PlaybackSearch::WindowsShownBy(mode), windows);
    }

    // (current window, channels, current mode, wide screen) -> windows bound, new mode.
    void gridGrowth_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("wide");
        QTest::addColumn<int>("bound");
        QTest::addColumn<int>("newMode");
        QTest::newRow("2 from window 0 in 2x2") << 0 << 2 << 1 << false << 2 << 1;
        QTest::newRow("5 from window 0 in 2x2") << 0 << 5 << 1 << false << 5 << 3;
        QTest::newRow("9 from window 0 in 2x2") << 0 << 9 << 1 << false << 9 << 3;
        QTest::newRow("10 from window 0 in 2x2") << 0 << 10 << 1 << false << 10 << 7;
        QTest::newRow("12+6 drops two, grows to 16") << 12 << 6 << 1 << false << 4 << 7;
        QTest::newRow("2 in 1x1") << 0 << 2 << 0 << false << 2 << 1;
        QTest::newRow("one channel never changes it") << 0 << 1 << 0 << false << 1 << 0;
        QTest::newRow("one channel from window 3") << 3 << 1 << 1 << false << 1 << 1;
        QTest::newRow("never shrinks") << 0 << 2 << 7 << false << 2 << 7;
        QTest::newRow("3x3-6 covers 5") << 0 << 5 << 2 << false << 5 << 2;
        QTest::newRow("5x5-10 grows for 12") << 0 << 12 << 8 << false << 12 << 7;
        QTest::newRow("8x8 covers 16") << 0 << 16 << 16 << false << 16 << 16;
        QTest::newRow("wide: 6 in 2x2-EX") << 0 << 6 << 18 << true << 6 << 19;
        QTest::newRow("wide: 12+6") << 12 << 6 << 18 << true << 4 << 20;
        QTest::newRow("wide: 3 in 2x2-EX") << 0 << 3 << 18 << true << 3 << 18;
        QTest::newRow("wide: 2 in 1x1-EX") << 0 << 2 << 17 << true << 2 << 18;
        QTest::newRow("17 ticked from window 0") << 0 << 17 << 1 << false << 16 << 7;
        QTest::newRow("window 15 with 3") << 15 << 3 << 7 << false << 1 << 7;
    }
    void gridGrowth()
    {
        QFETCH(int, first);
        QFETCH(int, channels);
        QFETCH(int, mode);
        QFETCH(bool, wide);
        QFETCH(int, bound);
        QFETCH(int, newMode);
        QCOMPARE(PlaybackSearch::BoundCount(first, channels), bound);
        QCOMPARE(PlaybackSearch::GrownSplitMode(mode, first, channels, wide), newMode);
        // Every bound window is shown afterwards.
        QVERIFY(PlaybackSearch::WindowsShownBy(newMode) >= first + bound || channels == 1);
    }

    void recordTypeBox()
    {
        using namespace RecordTypes;
        const QStringList texts{"All",         "Motion",  "Alarm", "Manual",     "Plan",           "Cash out",
                                "Cash in",     "Command", "Shake", "Enviroment", "Alarm | Motion", "Alarm & Motion",
                                "Intelligent", "Urgent",  "Near"};
        const int filters[] = {kFilterSchedule, -1,           kFilterAlarm,   -1,           kFilterSchedule,
                               kFilterAlarm,    kFilterAlarm, kFilterCommand, kFilterAlarm, kFilterAlarm,
                               kFilterAlarm,    kFilterAlarm, kFilterCommand, kFilterAlarm, kFilterAlarm};
        const auto& choices = PlaybackSearch::RecordTypeChoices();
        QCOMPARE(choices.size(), 15);
        for (int i = 0; i < choices.size(); ++i) {
            QCOMPARE(choices.at(i).id, i);
            QCOMPARE(PlaybackSearch::RecordTypeText(i), texts.at(i));
            QCOMPARE(choices.at(i).filterId, filters[i]);
        }
        QVERIFY(PlaybackSearch::RecordTypeText(15).isEmpty());
    }

    // A row offers its search's entry and the entry of every bar it holds, so that a search for
    // "All" still lets the operator hide the alarm bars it found.
    void rowFilters_data()
    {
        using namespace RecordTypes;
        QTest::addColumn<int>("searched");
        QTest::addColumn<QList<int>>("barTypes");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("All, nothing found") << 0 << QList<int>{} << QList<int>{kFilterSchedule};
        QTest::newRow("Motion, nothing found") << 1 << QList<int>{} << QList<int>{};
        QTest::newRow("Motion, motion bars") << 1 << QList<int>{1, 1} << QList<int>{kFilterAlarm};
        QTest::newRow("All, mixed bars") << 0 << QList<int>{1, 3, 7, 13}
                                         << QList<int>{kFilterSchedule, kFilterAlarm, kFilterCommand};
        QTest::newRow("Command, command bars") << 7 << QList<int>{12} << QList<int>{kFilterCommand};
    }
    void rowFilters()
    {
        QFETCH(int, searched);
        QFETCH(QList<int>, barTypes);
        QFETCH(QList<int>, expected);
        QList<CTimeSegment> row;
        for (int type : barTypes)
            row << Bar("2024-03-01 10:00", "2024-03-01 10:10", type);
        QCOMPARE(PlaybackSearch::RowFilterIds(searched, row), expected);
    }

    // A three-day search shows the first day that has bars; a calendar click moves within the
    // searched days only.
    void multiDay()
    {
        const QDate first(2024, 3, 1), last(2024, 3, 3);
        TimeSegmentRows rows;
        QCOMPARE(PlaybackSearch::FirstDayWithBars(rows, first, last), first);
        rows[0] << Bar("2024-03-02 10:00", "2024-03-02 10:10", 1) << Bar("2024-03-03 08:00", "2024-03-03 09:00", 3);
        rows[3] << Bar("2024-02-29 23:00", "2024-03-02 01:00", 3);  // runs into the window
        QCOMPARE(PlaybackSearch::FirstDayWithBars(rows, first, last), first);
        rows.remove(3);
        QCOMPARE(PlaybackSearch::FirstDayWithBars(rows, first, last), QDate(2024, 3, 2));
        QCOMPARE(PlaybackSearch::FirstDayWithBars(rows, QDate(2024, 3, 4), QDate(2024, 3, 5)), QDate(2024, 3, 4));

        QCOMPARE(PlaybackSearch::DayForCalendarClick(QDate(2024, 3, 2), first, last), QDate(2024, 3, 2));
        QCOMPARE(PlaybackSearch::DayForCalendarClick(QDate(2024, 2, 20), first, last), first);
        QCOMPARE(PlaybackSearch::DayForCalendarClick(QDate(2024, 4, 1), first, last), last);
        QVERIFY(!PlaybackSearch::DayForCalendarClick(QDate(2024, 3, 2), QDate(), QDate()).isValid());
    }
};

QTEST_GUILESS_MAIN(TestSearchRules)
#include "tst_search_rules.moc"
