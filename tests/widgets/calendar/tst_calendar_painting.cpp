// Cell painting: focus, hover and normal images where the state asks for them, the mark
// triangle in its corner and the day-name strip by column. Colours are read from the images.
#include "CalendarFixture.h"

#include <QImage>
#include <QTest>

using namespace CalendarFixture;

namespace {

QColor ImageColour(const char* name, int x, int y)
{
    const QImage image(QStringLiteral(":/images/public/Calendar/") + QLatin1String(name));
    return image.pixelColor(x, y);
}

// The cell of a date in the calendar's own coordinates.
QRect CellRect(CCalendarWidget& calendar, const QDate& date)
{
    const QRect r = calendar.View()->visualRect(CellIndex(calendar.Model(), date));
    return QRect(calendar.View()->viewport()->mapTo(&calendar, r.topLeft()), r.size());
}

}  // namespace

class TestCalendarPainting : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void focusHoverAndMarks();
    void headerPiecesByColumn();
    void weekNumberColumn();

private:
    CCalendarWidget* m_calendar = nullptr;
};

void TestCalendarPainting::initTestCase()
{
    QVERIFY(!QImage(QStringLiteral(":/images/public/Calendar/CalendarFocus.png")).isNull());
}

void TestCalendarPainting::focusHoverAndMarks()
{
    CCalendarWidget calendar;
    calendar.SetFirstDayOfWeek(Qt::Sunday);
    calendar.SetSelectionMode(CCalendarWidget::MultiSelection);
    calendar.SetValidDateRange(QDate(2024, 5, 5), QDate(2024, 5, 9));
    calendar.SetDateMark(QDate(2024, 5, 14), 0);
    calendar.SetDateMark(QDate(2024, 5, 15), 4);
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    Mouse(calendar.View()->viewport(), QEvent::MouseMove, CellCentre(&calendar, QDate(2024, 5, 7)), Qt::NoButton,
          Qt::NoButton);
    // The hovered day becomes the current cell; without the focus the style draws no focus frame
    // over it, so the images alone show.
    calendar.View()->clearFocus();
    QCOMPARE(calendar.View()->columnWidth(0), 25);
    const QImage shot = calendar.grab().toImage();

    const QColor focus = ImageColour("CalendarFocus.png", 13, 14);
    const QColor normal = ImageColour("CalendarNormal.png", 13, 14);
    const QColor hover = ImageColour("CalendarHover.png", 0, 14);
    QVERIFY(focus != normal && hover != normal);
    for (int day = 1; day <= 31; ++day) {
        const QDate date(2024, 5, day);
        const QRect cell = CellRect(calendar, date);
        const QColor top = shot.pixelColor(cell.center().x(), cell.top() + 3);
        const bool selected = day >= 5 && day <= 9;
        QVERIFY2(top == (selected ? focus : normal), qPrintable(date.toString(Qt::ISODate) + " " + top.name()));
        const QColor edge = shot.pixelColor(cell.left() + 1, cell.center().y());
        QVERIFY2((edge == hover) == (day == 7), qPrintable(date.toString(Qt::ISODate) + " edge " + edge.name()));
    }
    const QRect marked = CellRect(calendar, QDate(2024, 5, 14));
    QCOMPARE(shot.pixelColor(marked.right() - 1, marked.bottom() - 1), QColor(250, 90, 55));
    QCOMPARE(shot.pixelColor(marked.right() - 1, marked.top() + 1), normal);
    QCOMPARE(shot.pixelColor(marked.left() + 1, marked.bottom() - 2), normal);
    // A kind without a colour of its own paints as the invalid colour does: black.
    const QRect unknown = CellRect(calendar, QDate(2024, 5, 15));
    QCOMPARE(shot.pixelColor(unknown.right() - 1, unknown.bottom() - 1), QColor(Qt::black));
}

void TestCalendarPainting::headerPiecesByColumn()
{
    CCalendarWidget calendar;
    calendar.SetSelectedDate(QDate(2024, 5, 14));
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    const QImage shot = calendar.grab().toImage();
    const QColor band = ImageColour("WeekMiddle.png", 14, 4);
    const auto headerCell = [&](int column) {
        const QRect r = calendar.View()->visualRect(calendar.Model()->index(0, column));
        return QRect(calendar.View()->viewport()->mapTo(&calendar, r.topLeft()), r.size());
    };
    for (int column = 0; column < 7; ++column) {
        const QRect cell = headerCell(column);
        QCOMPARE(shot.pixelColor(cell.center().x(), cell.top() + 3), band);
        // Rounded outer ends: the left piece at column 0, the right one at column 6.
        QCOMPARE(shot.pixelColor(cell.left(), cell.top()) == band, column != 0);
        QCOMPARE(shot.pixelColor(cell.right(), cell.top()) == band, column != 6);
    }
}

// The week-number cells go through the plain item painting, which still lays the grey fill and
// the day image under the number; the corner cell of the header row takes the left cap.
void TestCalendarPainting::weekNumberColumn()
{
    CCalendarWidget calendar;
    calendar.SetSelectedDate(QDate(2024, 5, 14));
    calendar.SetVerticalHeaderFormat(CCalendarWidget::ISOWeekNumbers);
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    QCOMPARE(calendar.View()->columnWidth(0), 25);
    const QImage shot = calendar.grab().toImage();
    const auto cell = [&](int row, int column) {
        const QRect r = calendar.View()->visualRect(calendar.Model()->index(row, column));
        return QRect(calendar.View()->viewport()->mapTo(&calendar, r.topLeft()), r.size());
    };
    const QRect week = cell(2, 0);
    QCOMPARE(shot.pixelColor(week.center().x(), week.top() + 3), ImageColour("CalendarNormal.png", 13, 14));
    QCOMPARE(calendar.Model()->index(2, 0).data().toInt(), calendar.Model()->DateForCell(2, 2).weekNumber());
    const QRect corner = cell(0, 0);
    QVERIFY(shot.pixelColor(corner.left(), corner.top()) != ImageColour("WeekMiddle.png", 14, 4));
    QCOMPARE(shot.pixelColor(corner.center().x(), corner.top() + 3), ImageColour("WeekLeft.png", 14, 4));
}

QTEST_MAIN(TestCalendarPainting)
#include "tst_calendar_painting.moc"
