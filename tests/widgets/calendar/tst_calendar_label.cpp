// The calendar label: its card layout, the calendar shown on hover and handed clicks, and the
// calendar going with the label.
#include "CalendarFixture.h"
#include "widgets/CalendarLabel.h"

#include <QEnterEvent>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

class TestCalendarLabel : public QObject {
    Q_OBJECT
private slots:
    void cardLayout_data();
    void cardLayout();
    void hoverShowsTheCalendarAboveTheBottomRow();
};

void TestCalendarLabel::cardLayout_data()
{
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QRect>("month");
    QTest::addColumn<QRect>("weekday");
    QTest::addColumn<QRect>("day");
    QTest::addColumn<QRect>("year");
    QTest::newRow("100 x 50") << QSize(100, 50) << QRect(5, 12, 51, 18) << QRect(5, 30, 51, 18) << QRect(61, 9, 34, 24)
                              << QRect(61, 33, 34, 12);
    QTest::newRow("200 x 100") << QSize(200, 100) << QRect(5, 12, 111, 42) << QRect(5, 54, 111, 42)
                               << QRect(121, 9, 74, 56) << QRect(121, 65, 74, 28);
}

void TestCalendarLabel::cardLayout()
{
    QFETCH(QSize, size);
    const CalendarLabelLayout layout = CalendarLabelLayout::ForSize(size);
    QTEST(layout.month, "month");
    QTEST(layout.weekday, "weekday");
    QTEST(layout.day, "day");
    QTEST(layout.year, "year");
}

void TestCalendarLabel::hoverShowsTheCalendarAboveTheBottomRow()
{
    auto label = std::make_unique<CCalendarLabel>();
    QCOMPARE(label->size(), QSize(100, 50));
    QCOMPARE(label->GetDate(), QDate::currentDate());
    label->move(300, 400);
    label->show();
    QVERIFY(QTest::qWaitForWindowExposed(label.get()));
    QPointer<CCalendarWidget> calendar = label->GetCalendar();
    QVERIFY(calendar && calendar->isWindow());
    const QPointF inside(10, 10);
    QEnterEvent enter(inside, inside, label->mapToGlobal(inside));
    QApplication::sendEvent(label.get(), &enter);
    QVERIFY(calendar->isVisible());
    const QPoint corner = label->mapToGlobal(label->rect().bottomLeft());
    QCOMPARE(calendar->pos(), QPoint(corner.x() - 1, corner.y() - calendar->height() + 1));
    // A day clicked on the calendar becomes the label's date and is passed on.
    QSignalSpy clicked(label.get(), &CCalendarLabel::clicked);
    calendar->SetSelectedDate(QDate(2024, 5, 14));
    CalendarFixture::Click(calendar, QDate(2024, 5, 20));
    QCOMPARE(clicked.size(), 1);
    QCOMPARE(label->GetDate(), QDate(2024, 5, 20));
    label->HideCalender();
    QVERIFY(!calendar->isVisible());
    label.reset();
    QVERIFY(calendar.isNull());
}

QTEST_MAIN(TestCalendarLabel)
#include "tst_calendar_label.moc"
