// The month model: every cell maps to its date and back, pages match the toolkit's calendar
// cell for cell, and range and header changes keep the model consistent.
#include "CalendarFixture.h"

#include <QAbstractItemModelTester>
#include <QCalendarWidget>
#include <QTableView>
#include <QTest>

class TestCalendarModel : public QObject {
    Q_OBJECT
private slots:
    void cellsAndDatesAcrossYears();
    void pagesMatchTheToolkitCalendar_data();
    void pagesMatchTheToolkitCalendar();
    void hiddenOtherMonthDays();
    void rangeChanges_data();
    void rangeChanges();
    void headerAndWeekColumnSwitches();
    void formatsAndFlags();
};

void TestCalendarModel::cellsAndDatesAcrossYears()
{
    CCalendarModel model;
    for (bool weekNumbers : {true, false}) {
        model.SetWeekNumbersShown(weekNumbers);
        for (int firstDay = 1; firstDay <= 7; ++firstDay) {
            model.SetFirstColumnDay(Qt::DayOfWeek(firstDay));
            for (int year = 1999; year <= 2031; ++year) {
                for (int month = 1; month <= 12; ++month) {
                    model.ShowMonth(year, month);
                    const int r0 = model.m_firstRow;
                    const int c0 = model.m_firstColumn;
                    const QDate first = model.DateForCell(r0, c0);
                    QVERIFY(first.isValid());
                    // At least one day of the previous month leads the page.
                    QVERIFY2(first < QDate(year, month, 1) && first >= QDate(year, month, 1).addDays(-7),
                             qPrintable(QStringLiteral("%1-%2 first %3").arg(year).arg(month).arg(first.toString())));
                    QCOMPARE(int(first.dayOfWeek()), firstDay);
                    for (int i = 0; i < 42; ++i) {
                        const int row = r0 + i / 7;
                        const int column = c0 + i % 7;
                        const QDate date = model.DateForCell(row, column);
                        QCOMPARE(date, first.addDays(i));
                        int r = -2;
                        int c = -2;
                        model.CellForDate(date, &r, &c);
                        QCOMPARE(r, row);
                        QCOMPARE(c, column);
                        QCOMPARE(model.DayOfWeekForColumn(column), Qt::DayOfWeek(date.dayOfWeek()));
                    }
                    int r = 0;
                    int c = 0;
                    model.CellForDate(first.addDays(-1), &r, &c);
                    QCOMPARE(r, -1);
                    QCOMPARE(c, -1);
                    model.CellForDate(first.addDays(42), &r, &c);
                    QCOMPARE(r, -1);
                    QCOMPARE(c, -1);
                    model.CellForDate(first.addDays(41), nullptr, &c);
                    QCOMPARE(c, c0 + 6);
                    QVERIFY(!model.DateForCell(r0 - 1, c0).isValid());
                    QVERIFY(!model.DateForCell(r0 + 6, c0).isValid());
                    QVERIFY(!model.DateForCell(r0, c0 + 7).isValid());
                }
            }
        }
    }
}

void TestCalendarModel::pagesMatchTheToolkitCalendar_data()
{
    QTest::addColumn<int>("firstDay");
    QTest::addColumn<bool>("weekNumbers");
    for (int day = 1; day <= 7; ++day) {
        for (bool weekNumbers : {false, true})
            QTest::addRow("first day %d, week numbers %d", day, int(weekNumbers)) << day << weekNumbers;
    }
}

// Display texts of every cell (day names, week numbers, days) equal those of QCalendarWidget.
void TestCalendarModel::pagesMatchTheToolkitCalendar()
{
    QFETCH(int, firstDay);
    QFETCH(bool, weekNumbers);
    const QLocale english(QLocale::English, QLocale::UnitedStates);

    QCalendarWidget reference;
    reference.setLocale(english);
    reference.setFirstDayOfWeek(Qt::DayOfWeek(firstDay));
    reference.setVerticalHeaderFormat(weekNumbers ? QCalendarWidget::ISOWeekNumbers
                                                  : QCalendarWidget::NoVerticalHeader);
    reference.setHorizontalHeaderFormat(QCalendarWidget::ShortDayNames);
    const QAbstractItemModel* theirs = reference.findChild<QTableView*>()->model();

    CCalendarView view;
    view.setLocale(english);
    CCalendarModel ours;
    ours.SetView(&view);
    ours.SetFirstColumnDay(Qt::DayOfWeek(firstDay));
    ours.SetWeekNumbersShown(weekNumbers);

    for (int year : {1999, 2000, 2004, 2015, 2024, 2025, 2026, 2100}) {
        for (int month = 1; month <= 12; ++month) {
            reference.setCurrentPage(year, month);
            ours.ShowMonth(year, month);
            QCOMPARE(ours.rowCount(), theirs->rowCount());
            QCOMPARE(ours.columnCount(), theirs->columnCount());
            for (int row = 0; row < ours.rowCount(); ++row) {
                for (int column = 0; column < ours.columnCount(); ++column) {
                    QCOMPARE(ours.index(row, column).data().toString(), theirs->index(row, column).data().toString());
                    QCOMPARE(ours.index(row, column).data(Qt::TextAlignmentRole).toInt(),
                             theirs->index(row, column).data(Qt::TextAlignmentRole).toInt());
                }
            }
        }
    }
}

void TestCalendarModel::hiddenOtherMonthDays()
{
    CCalendarView view;
    CCalendarModel model;
    model.SetView(&view);
    model.SetWeekNumbersShown(false);
    model.ShowMonth(2024, 5);  // 1 May 2024 is a Wednesday: Sunday 28 April leads the page
    model.SetShowOtherMonthDays(false);
    const int row = model.m_firstRow;
    QVERIFY(!model.DateForCell(row, 0).isValid());
    QCOMPARE(model.PageDateForCell(row, 0), QDate(2024, 4, 28));
    QCOMPARE(model.index(row, 0).data().toString(), QString());
    QCOMPARE(model.index(row, 0).data(Qt::BackgroundRole).value<QColor>(), view.palette().color(QPalette::Window));
    int r = -1;
    int c = -1;
    model.CellForDate(QDate(2024, 4, 28), &r, &c);
    QCOMPARE(r, row);
    QCOMPARE(c, 0);
    QCOMPARE(model.DateForCell(row, 3), QDate(2024, 5, 1));
    QCOMPARE(model.index(row, 3).data().toInt(), 1);
}

void TestCalendarModel::rangeChanges_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QDate>("a");
    QTest::addColumn<QDate>("b");
    QTest::addColumn<QDate>("min");
    QTest::addColumn<QDate>("max");
    QTest::addColumn<QDate>("selected");
    // Start: range 2024-01-01 .. 2024-12-31, selected 2024-06-15.
    QTest::newRow("range swapped") << "range" << QDate(2024, 9, 1) << QDate(2024, 3, 1) << QDate(2024, 3, 1)
                                   << QDate(2024, 9, 1) << QDate(2024, 6, 15);
    QTest::newRow("range pulls the date in") << "range" << QDate(2024, 7, 1) << QDate(2024, 8, 1) << QDate(2024, 7, 1)
                                             << QDate(2024, 8, 1) << QDate(2024, 7, 1);
    QTest::newRow("invalid minimum ignored")
        << "min" << QDate() << QDate() << QDate(2024, 1, 1) << QDate(2024, 12, 31) << QDate(2024, 6, 15);
    QTest::newRow("minimum raises maximum and date")
        << "min" << QDate(2025, 2, 1) << QDate() << QDate(2025, 2, 1) << QDate(2025, 2, 1) << QDate(2025, 2, 1);
    QTest::newRow("maximum lowers minimum and date")
        << "max" << QDate(2023, 5, 5) << QDate() << QDate(2023, 5, 5) << QDate(2023, 5, 5) << QDate(2023, 5, 5);
    QTest::newRow("maximum above the date")
        << "max" << QDate(2024, 7, 1) << QDate() << QDate(2024, 1, 1) << QDate(2024, 7, 1) << QDate(2024, 6, 15);
    QTest::newRow("date clamped by SetDate")
        << "date" << QDate(2030, 1, 1) << QDate() << QDate(2024, 1, 1) << QDate(2024, 12, 31) << QDate(2024, 12, 31);
}

void TestCalendarModel::rangeChanges()
{
    QFETCH(QString, call);
    QFETCH(QDate, a);
    QFETCH(QDate, b);
    CCalendarModel model;
    model.SetRange(QDate(2024, 1, 1), QDate(2024, 12, 31));
    model.SetDate(QDate(2024, 6, 15));
    if (call == "range")
        model.SetRange(a, b);
    else if (call == "min")
        model.SetMinimumDate(a);
    else if (call == "max")
        model.SetMaximumDate(a);
    else
        model.SetDate(a);
    QTEST(model.m_minimumDate, "min");
    QTEST(model.m_maximumDate, "max");
    QTEST(model.m_date, "selected");
}

void TestCalendarModel::headerAndWeekColumnSwitches()
{
    CCalendarModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.ShowMonth(2024, 2);
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(model.columnCount(), 8);
    const QDate firstWeekDay = model.DateForCell(1, 1);

    model.SetHorizontalHeaderFormat(CCalendarWidget::NoHorizontalHeader);
    QCOMPARE(model.rowCount(), 6);
    QCOMPARE(model.DateForCell(0, 1), firstWeekDay);
    QCOMPARE(model.index(0, 1).data().toInt(), firstWeekDay.day());
    model.SetWeekNumbersShown(false);
    QCOMPARE(model.columnCount(), 7);
    QCOMPARE(model.DateForCell(0, 0), firstWeekDay);
    model.SetHorizontalHeaderFormat(CCalendarWidget::LongDayNames);
    QCOMPARE(model.rowCount(), 7);
    QCOMPARE(model.DateForCell(1, 0), firstWeekDay);
    model.SetHorizontalHeaderFormat(CCalendarWidget::SingleLetterDayNames);  // no row change
    QCOMPARE(model.rowCount(), 7);
    model.SetWeekNumbersShown(true);
    QCOMPARE(model.columnCount(), 8);
    // The week column shows the ISO week of each row's Monday.
    QCOMPARE(model.index(1, 0).data().toInt(), model.DateForCell(1, model.ColumnForDayOfWeek(Qt::Monday)).weekNumber());
}

void TestCalendarModel::formatsAndFlags()
{
    CCalendarView view;
    CCalendarModel model;
    model.SetView(&view);
    model.SetWeekNumbersShown(false);
    model.ShowMonth(2024, 5);
    model.SetRange(QDate(2024, 5, 10), QDate(2024, 5, 20));
    QTextCharFormat red;
    red.setForeground(Qt::red);
    model.m_dayFormats.insert(Qt::Sunday, red);
    QTextCharFormat tip;
    tip.setToolTip(QStringLiteral("holiday"));
    model.m_dateFormats.insert(QDate(2024, 5, 15), tip);

    const QModelIndex inside = CalendarFixture::CellIndex(&model, QDate(2024, 5, 15));
    const QModelIndex before = CalendarFixture::CellIndex(&model, QDate(2024, 5, 9));
    const QModelIndex after = CalendarFixture::CellIndex(&model, QDate(2024, 5, 21));
    const QModelIndex sunday = CalendarFixture::CellIndex(&model, QDate(2024, 5, 12));
    const QModelIndex nextMonth = CalendarFixture::CellIndex(&model, QDate(2024, 6, 1));
    QVERIFY(model.flags(inside) & Qt::ItemIsEnabled);
    QCOMPARE(model.flags(before), Qt::NoItemFlags);
    QCOMPARE(model.flags(after), Qt::NoItemFlags);
    QCOMPARE(inside.data(Qt::ToolTipRole).toString(), QStringLiteral("holiday"));
    QCOMPARE(sunday.data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
    QCOMPARE(before.data(Qt::BackgroundRole).value<QColor>(),
             view.palette().color(QPalette::Inactive, QPalette::Window));
    QCOMPARE(nextMonth.data(Qt::ForegroundRole).value<QColor>(),
             view.palette().color(QPalette::Disabled, QPalette::Text));
    QCOMPARE(model.index(0, 2).data(Qt::BackgroundRole).value<QColor>(),
             view.palette().color(QPalette::Inactive, QPalette::AlternateBase));
    QCOMPARE(model.index(0, 2).data(Qt::TextAlignmentRole).toInt(), 132);
}

QTEST_MAIN(TestCalendarModel)
#include "tst_calendar_model.moc"
