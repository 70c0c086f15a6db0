// The time line's arithmetic: span, zoom, move and drag; the shown day on daylight-saving days;
// ticks and clock labels; projection of recordings onto the day; the record-type table.
// Runs with TZ=Europe/Berlin (set by CTest): 2024-03-31 has 23 hours, 2024-10-27 has 25.
#include "timeline/RecordTypes.h"
#include "timeline/TimeSegment.h"
#include "timeline/TimelineMath.h"

#include <QtTest>

using namespace Timeline;

using Range = QPair<double, double>;
Q_DECLARE_METATYPE(Range)

namespace {

QDateTime Local(const QString& text)
{
    return QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

TimeSpan SpanOf(Range r, qint64 lower = -43200, qint64 upper = 129600)
{
    TimeSpan s;
    s.SetLimits(lower, upper);
    s.SetRange(r.first, r.second);
    return s;
}

QStringList Labels(const QList<Tick>& ticks)
{
    QStringList out;
    for (const Tick& t : ticks)
        out << QStringLiteral("%1=%2").arg(t.t).arg(t.label);
    return out;
}

}  // namespace

class TestTimelineMath : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QCOMPARE(qEnvironmentVariable("TZ"), QStringLiteral("Europe/Berlin")); }

    void zoomTable()
    {
        const int spans[] = {24, 24, 24, 12, 6, 2, 1};
        const int steps[] = {43200, 21600, 7200, 3600, 1800, 600, 300};
        for (int level = 7; level <= 13; ++level) {
            QCOMPARE(ZoomFor(level).span_s, spans[level - 7] * 3600);
            QCOMPARE(ZoomFor(level).tickStep_s, steps[level - 7]);
        }
        QCOMPARE(ZoomFor(6).span_s, 86400);
        QCOMPARE(ZoomFor(6).tickStep_s, -1);
        QCOMPARE(ZoomFor(14).tickStep_s, -1);
    }

    void applySpan_data()
    {
        QTest::addColumn<Range>("before");
        QTest::addColumn<int>("span");
        QTest::addColumn<Range>("after");
        QTest::newRow("24h to 12h keeps noon") << Range(0, 86400) << 43200 << Range(21600, 64800);
        QTest::newRow("12h to 1h") << Range(21600, 64800) << 3600 << Range(41400, 45000);
        QTest::newRow("widen near the lower limit") << Range(-42200, 1000) << 86400 << Range(-43200, 43200);
        QTest::newRow("widen near the upper limit") << Range(85400, 128600) << 86400 << Range(43200, 129600);
        QTest::newRow("both limits crossed: lower wins") << Range(-43200, 129600) << 200000 << Range(-43200, 156800);
    }

    void applySpan()
    {
        QFETCH(Range, before);
        QFETCH(int, span);
        QFETCH(Range, after);
        TimeSpan s = SpanOf(before);
        s.ApplySpan(span);
        QCOMPARE(Range(s.Min(), s.Max()), after);
    }

    void move_data()
    {
        QTest::addColumn<Range>("before");
        QTest::addColumn<int>("step");  // positive: right, negative: left
        QTest::addColumn<int>("times");
        QTest::addColumn<Range>("after");
        QTest::newRow("right 300 s") << Range(41400, 45000) << 300 << 1 << Range(41700, 45300);
        QTest::newRow("right to the upper limit") << Range(41400, 45000) << 300 << 1000 << Range(126000, 129600);
        QTest::newRow("left 2 h") << Range(0, 86400) << -7200 << 1 << Range(-7200, 79200);
        QTest::newRow("left to the lower limit") << Range(0, 86400) << -7200 << 10 << Range(-43200, 43200);
        QTest::newRow("right, a part step to the limit") << Range(40000, 126000) << 7200 << 1 << Range(43600, 129600);
    }

    void move()
    {
        QFETCH(Range, before);
        QFETCH(int, step);
        QFETCH(int, times);
        QFETCH(Range, after);
        TimeSpan s = SpanOf(before);
        for (int i = 0; i < times; ++i) {
            if (step > 0)
                s.MoveRight(step);
            else
                s.MoveLeft(-step);
        }
        QCOMPARE(Range(s.Min(), s.Max()), after);
    }

    // A panel of 864 pixels from x 112 over 24 hours: 100 s per pixel.
    void drag_data()
    {
        QTest::addColumn<Range>("before");
        QTest::addColumn<int>("pressX");
        QTest::addColumn<int>("moveX");
        QTest::addColumn<Range>("after");
        QTest::newRow("left 100 px: later") << Range(0, 86400) << 512 << 412 << Range(10000, 96400);
        QTest::newRow("right 100 px: earlier") << Range(0, 86400) << 512 << 612 << Range(-10000, 76400);
        QTest::newRow("far left: held at the upper limit") << Range(0, 86400) << 512 << -500 << Range(43200, 129600);
        QTest::newRow("far right: held at the lower limit") << Range(0, 86400) << 512 << 1012 << Range(-43200, 43200);
        QTest::newRow("no movement") << Range(0, 86400) << 512 << 512 << Range(0, 86400);
        QTest::newRow("1 h span, 1 px") << Range(41400, 45000) << 300 << 299 << Range(41403, 45003);
    }

    void drag()
    {
        QFETCH(Range, before);
        QFETCH(int, pressX);
        QFETCH(int, moveX);
        QFETCH(Range, after);
        TimeSpan s = SpanOf(before);
        QVERIFY(s.BeginDrag(pressX, 112, 864));
        s.DragTo(moveX, 112, 864);
        QCOMPARE(Range(s.Min(), s.Max()), after);
        QCOMPARE(s.SavedMin(), before.first);
    }

    // A chart area without width (a slider 213 px wide or less, or not laid out yet): no drag,
    // no time under the mouse, no division by zero.
    void zeroWidthPanel()
    {
        for (int width : {0, -5}) {
            TimeSpan s = SpanOf(Range(0, 86400));
            QVERIFY(!s.BeginDrag(200, 112, width));
            s.DragTo(100, 112, width);
            QCOMPARE(Range(s.Min(), s.Max()), Range(0, 86400));
            QVERIFY(!s.ValueAt(200, 112, width));
            QVERIFY(!s.SecondAt(200, 112, width));
        }
    }

    void pixelToTime_data()
    {
        QTest::addColumn<Range>("range");
        QTest::addColumn<int>("x");
        QTest::addColumn<qint64>("second");
        QTest::newRow("08:15:00 at 100 s/px") << Range(0, 86400) << 409 << qint64(29700);
        QTest::newRow("left edge") << Range(0, 86400) << 112 << qint64(0);
        QTest::newRow("1 h span: 4.1666 s/px, truncated") << Range(41400, 45000) << 113 << qint64(41404);
        QTest::newRow("before the day truncates towards zero") << Range(-43200, 43200) << 111 + 432 << qint64(-100);
    }

    void pixelToTime()
    {
        QFETCH(Range, range);
        QFETCH(int, x);
        QFETCH(qint64, second);
        const TimeSpan s = SpanOf(range);
        QCOMPARE(*s.SecondAt(x, 112, 864), second);
    }

    void centreOn()
    {
        TimeSpan s = SpanOf(Range(0, 3600));
        s.CentreOn(86400);
        QCOMPARE(Range(s.Min(), s.Max()), Range(84600, 88200));
    }

    void dayWindow_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<qint64>("length");
        QTest::addColumn<qint64>("upper");
        QTest::addColumn<QString>("noon");
        QTest::newRow("ordinary") << QDate(2024, 1, 30) << qint64(86400) << qint64(129600)
                                  << QStringLiteral("12:00:00");
        QTest::newRow("spring forward") << QDate(2024, 3, 31) << qint64(82800) << qint64(126000)
                                        << QStringLiteral("13:00:00");
        QTest::newRow("fall back") << QDate(2024, 10, 27) << qint64(90000) << qint64(133200)
                                   << QStringLiteral("11:00:00");
    }

    void dayWindow()
    {
        QFETCH(QDate, date);
        QFETCH(qint64, length);
        QFETCH(qint64, upper);
        QFETCH(QString, noon);
        const DayWindow day(date);
        QCOMPARE(day.Length_s(), length);
        QCOMPARE(day.LowerLimit(), qint64(-43200));
        QCOMPARE(day.UpperLimit(), upper);
        QCOMPARE(day.TimeAt(43200).toString(QStringLiteral("hh:mm:ss")), noon);
        QCOMPARE(day.ClampSecs(0), day.Begin().toSecsSinceEpoch());
        QCOMPARE(day.ClampSecs(day.End().toSecsSinceEpoch() + 5), day.End().toSecsSinceEpoch());
    }

    void ticks_data()
    {
        QTest::addColumn<QDate>("date");  // invalid: no origin, midnight plus t
        QTest::addColumn<Range>("range");
        QTest::addColumn<int>("step");
        QTest::addColumn<QStringList>("expected");
        const QDate plain(2024, 1, 30);
        QTest::newRow("no step") << plain << Range(0, 86400) << -1 << QStringList();
        QTest::newRow("hours over a day")
            << plain << Range(0, 86400) << 43200 << QStringList{"0=0", "43200=12", "86400=24"};
        QTest::newRow("hh:mm, first tick after a negative minimum")
            << plain << Range(-1800, 5400) << 3600 << QStringList{"0=00:00", "3600=01:00"};
        QTest::newRow("the evening before")
            << plain << Range(-7200, 0) << 3600 << QStringList{"-7200=22:00", "-3600=23:00", "0=00:00"};
        QTest::newRow("the next morning")
            << plain << Range(82800, 90000) << 3600 << QStringList{"82800=23:00", "86400=00:00", "90000=01:00"};
        QTest::newRow("fractional minimum")
            << plain << Range(1000.5, 8000) << 3600 << QStringList{"3600=01:00", "7200=02:00"};
        QTest::newRow("6 h step is hh:mm")
            << plain << Range(0, 43200) << 21600 << QStringList{"0=00:00", "21600=06:00", "43200=12:00"};
        QTest::newRow("no origin: midnight plus t")
            << QDate() << Range(-3600, 3600) << 3600 << QStringList{"-3600=23:00", "0=00:00", "3600=01:00"};
        // Daylight-saving days: labels are the real clock at each tick.
        const QDate spring(2024, 3, 31);
        QTest::newRow("spring: the clock jumps 02:00 -> 03:00")
            << spring << Range(0, 14400) << 3600
            << QStringList{"0=00:00", "3600=01:00", "7200=03:00", "10800=04:00", "14400=05:00"};
        QTest::newRow("spring: hours, day end at 82800")
            << spring << Range(0, 82800) << 43200 << QStringList{"0=0", "43200=13"};
        QTest::newRow("spring: the next midnight")
            << spring << Range(79200, 86400) << 3600 << QStringList{"79200=23:00", "82800=00:00", "86400=01:00"};
        const QDate autumn(2024, 10, 27);
        QTest::newRow("autumn: 02:00 twice")
            << autumn << Range(0, 14400) << 3600
            << QStringList{"0=00:00", "3600=01:00", "7200=02:00", "10800=02:00", "14400=03:00"};
        QTest::newRow("autumn: hours, day end at 90000")
            << autumn << Range(0, 90000) << 43200 << QStringList{"0=0", "43200=11", "86400=23"};
        QTest::newRow("autumn: 24 at the real midnight")
            << autumn << Range(86400, 90000) << 3600 << QStringList{"86400=23:00", "90000=00:00"};
    }

    void ticks()
    {
        QFETCH(QDate, date);
        QFETCH(Range, range);
        QFETCH(int, step);
        QFETCH(QStringList, expected);
        const QDateTime origin = date.isValid() ? date.startOfDay() : QDateTime();
        QCOMPARE(Labels(AxisTicks(range.first, range.second, step, origin)), expected);
    }

    void clockText()
    {
        const QDateTime plain = QDate(2024, 1, 30).startOfDay();
        QCOMPARE(ClockText(-3600, plain), QStringLiteral("23:00:00"));
        QCOMPARE(ClockText(29700, plain), QStringLiteral("08:15:00"));
        QCOMPARE(ClockText(86400 + 61, plain), QStringLiteral("00:01:01"));
        QCOMPARE(ClockText(-3600, QDateTime()), QStringLiteral("23:00:00"));
        const QDateTime spring = QDate(2024, 3, 31).startOfDay();
        QCOMPARE(ClockText(7200 + 59, spring), QStringLiteral("03:00:59"));
        QCOMPARE(ClockText(7199, spring), QStringLiteral("01:59:59"));
    }

    void project_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QDateTime>("begin");
        QTest::addColumn<QDateTime>("end");
        QTest::addColumn<bool>("kept");
        QTest::addColumn<qint64>("x1");
        QTest::addColumn<qint64>("x2");
        const QDate day(2024, 1, 30);
        QTest::newRow("inside") << day << Local("2024-01-30 08:00:00") << Local("2024-01-30 09:30:00") << true
                                << qint64(28800) << qint64(34200);
        QTest::newRow("covers the whole day") << day << Local("2024-01-29 23:00:00") << Local("2024-01-31 01:00:00")
                                              << true << qint64(0) << qint64(86400);
        QTest::newRow("the evening before")
            << day << Local("2024-01-29 22:00:00") << Local("2024-01-29 23:30:00") << false << qint64(0) << qint64(0);
        QTest::newRow("the next day") << day << Local("2024-01-31 00:00:01") << Local("2024-01-31 02:00:00") << false
                                      << qint64(0) << qint64(0);
        QTest::newRow("from the evening before")
            << day << Local("2024-01-29 23:00:00") << Local("2024-01-30 01:00:00") << true << qint64(0) << qint64(3600);
        QTest::newRow("into the next day") << day << Local("2024-01-30 23:00:00") << Local("2024-01-31 02:00:00")
                                           << true << qint64(82800) << qint64(86400);
        QTest::newRow("ends at the day begin")
            << day << Local("2024-01-29 23:00:00") << Local("2024-01-30 00:00:00") << true << qint64(0) << qint64(0);
        QTest::newRow("zero length") << day << Local("2024-01-30 10:00:00") << Local("2024-01-30 10:00:00") << true
                                     << qint64(36000) << qint64(36000);
        QTest::newRow("reversed") << day << Local("2024-01-30 10:00:00") << Local("2024-01-30 09:00:00") << false
                                  << qint64(0) << qint64(0);
        QTest::newRow("invalid end") << day << Local("2024-01-30 10:00:00") << QDateTime() << false << qint64(0)
                                     << qint64(0);
        const QDate spring(2024, 3, 31);
        QTest::newRow("spring: across the jump")
            << spring << Local("2024-03-31 01:00:00") << Local("2024-03-31 04:00:00") << true << qint64(3600)
            << qint64(10800);
        QTest::newRow("spring: to the next midnight")
            << spring << Local("2024-03-31 22:00:00") << Local("2024-04-01 03:00:00") << true << qint64(75600)
            << qint64(82800);
        const QDate autumn(2024, 10, 27);
        QTest::newRow("autumn: after the repeat")
            << autumn << Local("2024-10-27 04:00:00") << Local("2024-10-27 05:00:00") << true << qint64(18000)
            << qint64(21600);
    }

    void project()
    {
        QFETCH(QDate, date);
        QFETCH(QDateTime, begin);
        QFETCH(QDateTime, end);
        QFETCH(bool, kept);
        QFETCH(qint64, x1);
        QFETCH(qint64, x2);
        const std::optional<Projection> p = Project(DayWindow(date), begin, end);
        QCOMPARE(p.has_value(), kept);
        if (kept) {
            QCOMPARE(p->x1, x1);
            QCOMPARE(p->x2, x2);
        }
    }

    // One table gives each record type its colour, its filter entry and what a segment carries.
    void recordTypes_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("filterId");
        QTest::addColumn<QColor>("colour");  // invalid: no brush
        const QColor alarm(197, 113, 43), schedule(103, 121, 254), command(141, 239, 41);
        for (int t : {1, 2, 5, 6, 8, 9, 10, 11})
            QTest::addRow("type %d", t) << t << int(RecordTypes::kFilterAlarm) << alarm;
        for (int t : {3, 4})
            QTest::addRow("type %d", t) << t << int(RecordTypes::kFilterSchedule) << schedule;
        for (int t : {7, 12})
            QTest::addRow("type %d", t) << t << int(RecordTypes::kFilterCommand) << command;
        for (int t : {0, 13, 255, -1})
            QTest::addRow("type %d", t) << t << int(RecordTypes::kFilterSchedule) << QColor();
    }

    void recordTypes()
    {
        QFETCH(int, type);
        QFETCH(int, filterId);
        QFETCH(QColor, colour);
        const CTimeSegment s =
            RecordTypes::MakeSegment(Local("2024-01-30 08:00:00"), Local("2024-01-30 09:00:00"), type);
        QCOMPARE(s.GetData(RecordTypes::kRoleRecordType), QVariant(filterId));
        const QVariant brush = s.GetData(RecordTypes::kRoleBrush);
        QCOMPARE(brush.isValid(), colour.isValid());
        if (colour.isValid()) {
            QCOMPARE(brush.value<QBrush>().color(), colour);
            QCOMPARE(brush.value<QBrush>().style(), Qt::SolidPattern);
        }
        // The filter entry the bar belongs to exists in the pop-up's list.
        QCOMPARE(RecordTypes::FilterEntryFor(filterId).id, filterId);
    }

    void filterEntries()
    {
        const QList<RecordTypes::FilterEntry>& entries = RecordTypes::FilterEntries();
        QCOMPARE(entries.size(), 3);
        QCOMPARE(QString::fromLatin1(entries.at(0).text), QStringLiteral("Schedule"));
        QCOMPARE(QString::fromLatin1(entries.at(1).text), QStringLiteral("Alarm"));
        QCOMPARE(QString::fromLatin1(entries.at(2).text), QStringLiteral("Command"));
        const QList<CTimeSegment> row{RecordTypes::MakeSegment(QDateTime(), QDateTime(), 7),
                                      RecordTypes::MakeSegment(QDateTime(), QDateTime(), 3),
                                      RecordTypes::MakeSegment(QDateTime(), QDateTime(), 12)};
        QCOMPARE(RecordTypes::FilterIdsIn(row), (QList<int>{0, 2}));
    }
};

QTEST_GUILESS_MAIN(TestTimelineMath)
#include "tst_timeline_math.moc"
