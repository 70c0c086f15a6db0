// The calendar widget: paging and its buttons, marks, the dragged range, the language's names
// and first day, and the operations that behave as QCalendarWidget, run side by side with it.
#include "CalendarFixture.h"

#include <QCalendarWidget>
#include <QCursor>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <functional>

using namespace CalendarFixture;

namespace {

QDate CurrentCellDate(CCalendarWidget& calendar)
{
    const QModelIndex index = calendar.View()->currentIndex();
    return calendar.Model()->DateForCell(index.row(), index.column());
}

QList<QDate> SelectedDays(CCalendarWidget& calendar)
{
    QList<QDate> days;
    for (const QModelIndex& index : calendar.View()->selectionModel()->selectedIndexes())
        days << calendar.Model()->PageDateForCell(index.row(), index.column());
    std::sort(days.begin(), days.end());
    return days;
}

QToolButton* Button(QWidget& calendar, const char* name)
{
    return calendar.findChild<QToolButton*>(QLatin1String(name));
}

// The year buttons have no names: the second and fourth tool buttons of the bar.
QToolButton* YearButton(CCalendarWidget& calendar, bool next)
{
    QList<QToolButton*> buttons;
    for (QToolButton* b : calendar.findChildren<QToolButton*>())
        if (b->objectName().isEmpty())
            buttons << b;
    return buttons.value(next ? 1 : 0);
}

}  // namespace

class TestCalendarWidget : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void stateAfterConstruction();
    void pageChangesAreReportedInOrder();
    void pagingButtonsFollowTheRange();
    void yearPagingKeepsTheDay_data();
    void yearPagingKeepsTheDay();
    void marks();
    void multiSelectionDrag();
    void validDateRange();
    void wideRangeSelectsOnlyThePage();
    void leaveCalendarAfterShow();
    void languageNamesAndFirstDay_data();
    void languageNamesAndFirstDay();
    void updateCellAndTextFormats();
    void sideBySideWithTheToolkit();
};

void TestCalendarWidget::initTestCase()
{
    LinkTranslations();
    QVERIFY(ChooseLanguage(0));
}

void TestCalendarWidget::stateAfterConstruction()
{
    CCalendarWidget calendar;
    const QDate today = QDate::currentDate();
    QCOMPARE(calendar.GetYearShown(), today.year());
    QCOMPARE(calendar.GetMonthShown(), today.month());
    QCOMPARE(calendar.GetSelectedDate(), today);
    QDate begin;
    QDate end;
    calendar.GetDateRange(begin, end);
    QCOMPARE(begin, today);
    QCOMPARE(end, today);
    QCOMPARE(calendar.GetSelectionMode(), CCalendarWidget::SingleSelection);
    QCOMPARE(calendar.GetHorizontalHeaderFormat(), CCalendarWidget::SingleLetterDayNames);
    QCOMPARE(calendar.GetVerticalHeaderFormat(), CCalendarWidget::NoVerticalHeader);
    QCOMPARE(calendar.Model()->columnCount(), 7);
    QCOMPARE(calendar.Model()->rowCount(), 7);
    QCOMPARE(calendar.size(), QSize(183, 200));
    QVERIFY(calendar.IsDateEditEnabled());
    QCOMPARE(calendar.Model()->index(0, 0).data().toString(), QStringLiteral("S"));
    QCOMPARE(CurrentCellDate(calendar), today);
    QCOMPARE(SelectedDays(calendar), QList<QDate>{today});
    QCOMPARE(calendar.findChild<QLabel*>("qt_calendar_m_monthlabel")->text(),
             QLocale(QLocale::English, QLocale::UnitedStates).standaloneMonthName(today.month()));
    QCOMPARE(calendar.findChild<QLabel*>("qt_calendar_m_yearlabel")->text(), QString::number(today.year()));
}

void TestCalendarWidget::pageChangesAreReportedInOrder()
{
    CCalendarWidget calendar;
    calendar.SetSelectedDate(QDate(2024, 5, 14));
    QStringList log;
    connect(&calendar, &CCalendarWidget::CurrentPageChangedEx, this, [&](const QString& text) { log << "ex " + text; });
    connect(&calendar, &CCalendarWidget::CurrentPageChanged, this,
            [&](int year, int month) { log << QStringLiteral("page %1-%2").arg(year).arg(month); });
    calendar.SetCurrentPage(2024, 5);
    QVERIFY(log.isEmpty());
    calendar.ShowNextMonth();
    calendar.SetCurrentPage(2023, 12);
    calendar.ShowNextMonth();
    QCOMPARE(log,
             (QStringList{"ex default", "page 2024-6", "ex default", "page 2023-12", "ex default", "page 2024-1"}));
    QCOMPARE(calendar.GetSelectedDate(), QDate(2024, 5, 14));
}

void TestCalendarWidget::pagingButtonsFollowTheRange()
{
    CCalendarWidget calendar;
    calendar.SetDateRange(QDate(2024, 3, 10), QDate(2024, 8, 20));
    calendar.SetSelectedDate(QDate(2024, 3, 15));
    const auto states = [&] {
        return QList<bool>{
            Button(calendar, "qt_calendar_prevmonth")->isEnabled(), YearButton(calendar, false)->isEnabled(),
            Button(calendar, "qt_calendar_nextmonth")->isEnabled(), YearButton(calendar, true)->isEnabled()};
    };
    QCOMPARE(states(), (QList<bool>{false, false, true, true}));
    Button(calendar, "qt_calendar_nextmonth")->click();
    QCOMPARE(calendar.GetMonthShown(), 4);
    QCOMPARE(states(), (QList<bool>{true, true, true, true}));
    calendar.SetCurrentPage(2024, 8);
    QCOMPARE(states(), (QList<bool>{true, true, false, false}));
    // The next-year button is clamped to the maximum.
    calendar.SetCurrentPage(2024, 7);
    YearButton(calendar, true)->click();
    QCOMPARE(calendar.GetMonthShown(), 8);
    QCOMPARE(CurrentCellDate(calendar), QDate(2024, 8, 20));
    calendar.SetMaximumDate(QDate(2024, 12, 31));
    QCOMPARE(states(), (QList<bool>{true, true, true, true}));
}

void TestCalendarWidget::yearPagingKeepsTheDay_data()
{
    QTest::addColumn<QDate>("selected");
    QTest::addColumn<bool>("next");
    QTest::addColumn<QDate>("current");
    QTest::newRow("31 March back") << QDate(2024, 3, 31) << false << QDate(2023, 3, 31);
    QTest::newRow("29 February back") << QDate(2024, 2, 29) << false << QDate(2023, 2, 28);
    QTest::newRow("29 February on") << QDate(2024, 2, 29) << true << QDate(2025, 2, 28);
}

void TestCalendarWidget::yearPagingKeepsTheDay()
{
    QFETCH(QDate, selected);
    QFETCH(bool, next);
    QFETCH(QDate, current);
    CCalendarWidget calendar;
    calendar.SetSelectedDate(selected);
    YearButton(calendar, next)->click();
    QCOMPARE(calendar.GetYearShown(), current.year());
    QCOMPARE(calendar.GetMonthShown(), current.month());
    QCOMPARE(CurrentCellDate(calendar), current);
    QCOMPARE(calendar.GetSelectedDate(), selected);
}

void TestCalendarWidget::marks()
{
    CCalendarWidget calendar;
    const QDate day(2024, 5, 14);
    calendar.SetDateMark(day, 2);
    calendar.SetDateMark(day, 1);
    calendar.SetDateMark(day, 1);
    calendar.SetDateMark(QDate(2024, 8, 1), 0);
    calendar.SetDateMark(QDate(2024, 5, 3), 0);
    calendar.SetDateMark(QDate(2024, 5, 4), 4);
    QCOMPARE(calendar.GetDateMarkType(day), 1);
    QCOMPARE(calendar.GetDateMarkType(QDate(2024, 5, 15)), -1);
    QCOMPARE(calendar.GetDateMarkColor(0), QColor(250, 90, 55, 255));
    QCOMPARE(calendar.GetDateMarkColor(3), QColor(250, 90, 55, 255));
    QVERIFY(!calendar.GetDateMarkColor(4).isValid());
    QVERIFY(!calendar.GetDateMarkColor(-1).isValid());

    calendar.RemoveDateMark(0);
    QVERIFY(!calendar.HasDateMark(QDate(2024, 8, 1)));
    QVERIFY(!calendar.HasDateMark(QDate(2024, 5, 3)));
    QVERIFY(calendar.HasDateMark(QDate(2024, 5, 4)));
    // One occurrence at a time, from the smallest kind on.
    calendar.UnmarkDate(day);
    QCOMPARE(calendar.GetDateMarkType(day), 1);
    calendar.UnmarkDate(day);
    QCOMPARE(calendar.GetDateMarkType(day), 2);
    calendar.UnmarkDate(day);
    QVERIFY(!calendar.HasDateMark(day));
}

void TestCalendarWidget::multiSelectionDrag()
{
    CCalendarWidget calendar;
    calendar.SetSelectedDate(QDate(2024, 5, 14));
    calendar.SetSelectionMode(CCalendarWidget::MultiSelection);
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    QSignalSpy selectDate(&calendar, &CCalendarWidget::SignalSelectDate);
    QSignalSpy selectionChanged(&calendar, &CCalendarWidget::SelectionChanged);
    Drag(&calendar, QDate(2024, 5, 20), QDate(2024, 5, 5));
    QCOMPARE(selectDate.size(), 1);
    QCOMPARE(selectDate.at(0).at(0).toDate(), QDate(2024, 5, 5));
    QCOMPARE(selectDate.at(0).at(1).toDate(), QDate(2024, 5, 20));
    QCOMPARE(selectionChanged.size(), 0);
    QCOMPARE(calendar.GetSelectedDate(), QDate(2024, 5, 14));
    QDate begin;
    QDate end;
    calendar.GetDateRange(begin, end);
    QCOMPARE(begin, QDate(2024, 5, 5));
    QCOMPARE(end, QDate(2024, 5, 20));
    QCOMPARE(SelectedDays(calendar).size(), 16);
    QCOMPARE(SelectedDays(calendar).first(), QDate(2024, 5, 5));
    QCOMPARE(SelectedDays(calendar).last(), QDate(2024, 5, 20));
    // Paging away and back keeps the range on show.
    calendar.ShowNextMonth();
    QVERIFY(SelectedDays(calendar).isEmpty());
    calendar.ShowPreviousMonth();
    QCOMPARE(SelectedDays(calendar).size(), 16);
    // A click picks one day and reports it as a range of one.
    Click(&calendar, QDate(2024, 5, 9));
    QCOMPARE(selectDate.size(), 2);
    QCOMPARE(selectDate.at(1).at(0).toDate(), QDate(2024, 5, 9));
    QCOMPARE(calendar.GetSelectedDate(), QDate(2024, 5, 9));
    QCOMPARE(SelectedDays(calendar), QList<QDate>{QDate(2024, 5, 9)});
}

void TestCalendarWidget::validDateRange()
{
    CCalendarWidget calendar;
    calendar.SetSelectionMode(CCalendarWidget::MultiSelection);
    QSignalSpy selectionChanged(&calendar, &CCalendarWidget::SelectionChanged);
    calendar.SetValidDateRange(QDate(2023, 11, 28), QDate(2023, 12, 3));
    QCOMPARE(calendar.GetSelectedDate(), QDate(2023, 11, 28));
    QCOMPARE(calendar.GetMonthShown(), 11);
    QCOMPARE(SelectedDays(calendar).size(), 6);  // 1-2 December stand on the November page
    QCOMPARE(selectionChanged.size(), 0);
    calendar.SetSelectedDate(QDate(2023, 11, 30));
    calendar.SetValidDateRange(QDate(2023, 11, 28), QDate(2023, 12, 3));
    QCOMPARE(calendar.GetSelectedDate(), QDate(2023, 11, 30));
    calendar.SetValidDateRange(QDate(), QDate(2023, 12, 3));
    QCOMPARE(calendar.GetSelectedDate(), QDate(2023, 11, 30));
}

// Selecting the widest range takes no longer than one page: only the 42 cells are visited.
void TestCalendarWidget::wideRangeSelectsOnlyThePage()
{
    CCalendarWidget calendar;
    calendar.SetSelectionMode(CCalendarWidget::MultiSelection);
    calendar.SetValidDateRange(QDate::fromJulianDay(1), QDate(7999, 12, 31));
    calendar.SetCurrentPage(2024, 5);
    QCOMPARE(SelectedDays(calendar).size(), 42);
    // A range given back to front or with an invalid end selects nothing, and returns.
    QMetaObject::invokeMethod(&calendar, "OnSlotSelectDate", Q_ARG(QDate, QDate(2024, 5, 20)),
                              Q_ARG(QDate, QDate(2024, 5, 5)));
    QVERIFY(SelectedDays(calendar).isEmpty());
    QMetaObject::invokeMethod(&calendar, "OnSlotSelectDate", Q_ARG(QDate, QDate()), Q_ARG(QDate, QDate(2024, 5, 5)));
    QVERIFY(SelectedDays(calendar).isEmpty());
}

void TestCalendarWidget::leaveCalendarAfterShow()
{
    CCalendarWidget calendar;
    calendar.move(100, 100);
    QSignalSpy leave(&calendar, &CCalendarWidget::LeaveCalendar);
    QCursor::setPos(700, 700);
    calendar.show();
    QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    QTRY_VERIFY_WITH_TIMEOUT(leave.size() >= 1, 2000);
    // With the mouse inside, the check after showing stays quiet.
    calendar.hide();
    leave.clear();
    QCursor::setPos(calendar.mapToGlobal(QPoint(90, 100)));
    calendar.show();
    QTest::qWait(250);
    QCOMPARE(leave.size(), 0);
}

void TestCalendarWidget::languageNamesAndFirstDay_data()
{
    QTest::addColumn<int>("translator");
    QTest::addColumn<QString>("month");
    QTest::addColumn<QString>("firstHeader");
    QTest::addColumn<int>("firstDay");
    // The first day is the locale's: Sunday for both in the toolkit's locale data.
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QTest::newRow("English") << 0 << "May"
                             << "S" << int(QLocale(QLocale::English, QLocale::UnitedStates).firstDayOfWeek());
    QTest::newRow("Chinese") << 1 << QStringLiteral("五月")
                             << chinese.standaloneDayName(chinese.firstDayOfWeek(), QLocale::NarrowFormat)
                             << int(chinese.firstDayOfWeek());
}

void TestCalendarWidget::languageNamesAndFirstDay()
{
    QFETCH(int, translator);
    QFETCH(QString, month);
    QFETCH(QString, firstHeader);
    QFETCH(int, firstDay);
    QVERIFY(ChooseLanguage(translator));
    CCalendarWidget calendar;
    QVERIFY(ChooseLanguage(0));
    calendar.SetSelectedDate(QDate(2024, 5, 14));
    QCOMPARE(calendar.findChild<QLabel*>("qt_calendar_m_monthlabel")->text(), month);
    QCOMPARE(calendar.Model()->index(0, 0).data().toString(), firstHeader);
    QCOMPARE(int(calendar.GetFirstDayOfWeek()), firstDay);
    // Saturday and Sunday are red wherever they stand.
    const int sunday = calendar.Model()->ColumnForDayOfWeek(Qt::Sunday);
    QCOMPARE(calendar.Model()->index(2, sunday).data(Qt::ForegroundRole).value<QColor>(), QColor(Qt::red));
}

void TestCalendarWidget::updateCellAndTextFormats()
{
    CCalendarWidget calendar;
    QTest::ignoreMessage(QtWarningMsg, "CCalendarWidget::updateCell: Invalid date");
    calendar.updateCell(QDate());
    QTextCharFormat bold;
    bold.setFontWeight(QFont::Bold);
    calendar.SetDateTextFormat(QDate(2024, 5, 14), bold);
    calendar.SetDateTextFormat(QDate(2024, 5, 15), bold);
    QCOMPARE(calendar.GetDateTextFormat().size(), 2);
    QCOMPARE(calendar.GetDateTextFormat(QDate(2024, 5, 14)).fontWeight(), int(QFont::Bold));
    calendar.SetDateTextFormat(QDate(), QTextCharFormat());
    QVERIFY(calendar.GetDateTextFormat().isEmpty());
    calendar.SetWeekdayTextFormat(Qt::Monday, bold);
    QCOMPARE(calendar.GetWeekdayTextFormat(Qt::Monday).fontWeight(), int(QFont::Bold));
    QCOMPARE(calendar.GetWeekdayTextFormat(Qt::Sunday).foreground().color(), QColor(Qt::red));
    calendar.SetHeaderTextFormat(bold);
    QCOMPARE(calendar.GetHeaderTextFormat().fontWeight(), int(QFont::Bold));
}

// One script of calls run on QCalendarWidget and on the program's calendar: after every step
// both show the same page, the same selected date and the same current cell, and have reported
// as many selection and page changes.
void TestCalendarWidget::sideBySideWithTheToolkit()
{
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    QCalendarWidget theirs;
    theirs.setLocale(english);
    theirs.setFirstDayOfWeek(Qt::Sunday);
    theirs.setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    theirs.setDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    theirs.setSelectedDate(QDate(2024, 1, 31));
    CCalendarWidget ours;
    ours.setLocale(english);
    ours.SetFirstDayOfWeek(Qt::Sunday);
    ours.SetDateRange(QDate(1900, 1, 1), QDate(2100, 12, 31));
    ours.SetSelectedDate(QDate(2024, 1, 31));
    theirs.show();
    ours.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ours));
    QTableView* theirView = theirs.findChild<QTableView*>();
    QSignalSpy theirSelections(&theirs, &QCalendarWidget::selectionChanged);
    QSignalSpy ourSelections(&ours, &CCalendarWidget::SelectionChanged);
    QSignalSpy theirPages(&theirs, &QCalendarWidget::currentPageChanged);
    QSignalSpy ourPages(&ours, &CCalendarWidget::CurrentPageChanged);

    struct Step {
        const char* name;
        std::function<void()> theirsDo;
        std::function<void()> oursDo;
    };
    const QDate today = QDate::currentDate();
    const std::vector<Step> script = {
        {"next month", [&] { theirs.showNextMonth(); }, [&] { ours.ShowNextMonth(); }},
        {"next month again", [&] { theirs.showNextMonth(); }, [&] { ours.ShowNextMonth(); }},
        {"previous year", [&] { theirs.showPreviousYear(); }, [&] { ours.ShowPreviousYear(); }},
        {"next year", [&] { theirs.showNextYear(); }, [&] { ours.ShowNextYear(); }},
        {"page 2023-02", [&] { theirs.setCurrentPage(2023, 2); }, [&] { ours.SetCurrentPage(2023, 2); }},
        {"same page", [&] { theirs.setCurrentPage(2023, 2); }, [&] { ours.SetCurrentPage(2023, 2); }},
        {"December to January",
         [&] {
             theirs.setCurrentPage(2023, 12);
             theirs.showNextMonth();
         },
         [&] {
             ours.SetCurrentPage(2023, 12);
             ours.ShowNextMonth();
         }},
        {"January to December", [&] { theirs.showPreviousMonth(); }, [&] { ours.ShowPreviousMonth(); }},
        {"selected page", [&] { theirs.showSelectedDate(); }, [&] { ours.ShowSelectedDate(); }},
        {"today", [&] { theirs.showToday(); }, [&] { ours.ShowToDay(); }},
        {"select 2024-03-31", [&] { theirs.setSelectedDate(QDate(2024, 3, 31)); },
         [&] { ours.SetSelectedDate(QDate(2024, 3, 31)); }},
        {"select the same", [&] { theirs.setSelectedDate(QDate(2024, 3, 31)); },
         [&] { ours.SetSelectedDate(QDate(2024, 3, 31)); }},
        {"select invalid", [&] { theirs.setSelectedDate(QDate()); }, [&] { ours.SetSelectedDate(QDate()); }},
        {"previous month button", [&] { Button(theirs, "qt_calendar_prevmonth")->click(); },
         [&] { Button(ours, "qt_calendar_prevmonth")->click(); }},
        {"next month button", [&] { Button(theirs, "qt_calendar_nextmonth")->click(); },
         [&] { Button(ours, "qt_calendar_nextmonth")->click(); }},
        {"minimum above the date", [&] { theirs.setMinimumDate(QDate(2024, 4, 10)); },
         [&] { ours.SetMinimumDate(QDate(2024, 4, 10)); }},
        {"previous month at the minimum", [&] { Button(theirs, "qt_calendar_prevmonth")->click(); },
         [&] { Button(ours, "qt_calendar_prevmonth")->click(); }},
        {"minimum unchanged", [&] { theirs.setMinimumDate(QDate(2024, 4, 10)); },
         [&] { ours.SetMinimumDate(QDate(2024, 4, 10)); }},
        {"maximum below the minimum", [&] { theirs.setMaximumDate(QDate(2024, 2, 2)); },
         [&] { ours.SetMaximumDate(QDate(2024, 2, 2)); }},
        {"range back to front", [&] { theirs.setDateRange(QDate(2024, 9, 1), QDate(2024, 6, 1)); },
         [&] { ours.SetDateRange(QDate(2024, 9, 1), QDate(2024, 6, 1)); }},
        {"range with an invalid end", [&] { theirs.setDateRange(QDate(2020, 1, 1), QDate()); },
         [&] { ours.SetDateRange(QDate(2020, 1, 1), QDate()); }},
        {"wide range", [&] { theirs.setDateRange(QDate(2000, 1, 1), QDate(2030, 12, 31)); },
         [&] { ours.SetDateRange(QDate(2000, 1, 1), QDate(2030, 12, 31)); }},
        {"select outside the range", [&] { theirs.setSelectedDate(QDate(2040, 1, 1)); },
         [&] { ours.SetSelectedDate(QDate(2040, 1, 1)); }},
        {"key right", [&] { QTest::keyClick(theirView, Qt::Key_Right); },
         [&] { QTest::keyClick(ours.View(), Qt::Key_Right); }},
        {"keys up, page up, home",
         [&] {
             for (Qt::Key k : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Home})
                 QTest::keyClick(theirView, k);
         },
         [&] {
             for (Qt::Key k : {Qt::Key_Up, Qt::Key_PageUp, Qt::Key_Home})
                 QTest::keyClick(ours.View(), k);
         }},
        {"key end", [&] { QTest::keyClick(theirView, Qt::Key_End); },
         [&] { QTest::keyClick(ours.View(), Qt::Key_End); }},
        {"wheel back a month", [&] { Wheel(theirView->viewport(), 120); },
         [&] { Wheel(ours.View()->viewport(), 120); }},
        {"click a day",
         [&] {
             const QDate d(2030, 11, 20);
             const QModelIndex i = theirView->model()->index(4, 3);
             Q_UNUSED(d);
             QTest::mouseClick(theirView->viewport(), Qt::LeftButton, {}, theirView->visualRect(i).center());
         },
         [&] {
             const QModelIndex i = ours.Model()->index(4, 3);
             QTest::mouseClick(ours.View()->viewport(), Qt::LeftButton, {}, ours.View()->visualRect(i).center());
         }},
        {"first day Monday", [&] { theirs.setFirstDayOfWeek(Qt::Monday); },
         [&] { ours.SetFirstDayOfWeek(Qt::Monday); }},
        {"select today", [&] { theirs.setSelectedDate(today); }, [&] { ours.SetSelectedDate(today); }},
    };
    for (const Step& step : script) {
        step.theirsDo();
        step.oursDo();
        const QModelIndex theirCurrent = theirView->currentIndex();
        const QModelIndex ourCurrent = ours.View()->currentIndex();
        const QByteArray where = QByteArray("step: ") + step.name;
        QVERIFY2(ours.GetSelectedDate() == theirs.selectedDate(), where.constData());
        QVERIFY2(ours.GetYearShown() == theirs.yearShown(), where.constData());
        QVERIFY2(ours.GetMonthShown() == theirs.monthShown(), where.constData());
        QVERIFY2(ours.GetMinimumDate() == theirs.minimumDate(), where.constData());
        QVERIFY2(ours.GetMaximumDate() == theirs.maximumDate(), where.constData());
        QVERIFY2(ourSelections.size() == theirSelections.size(),
                 (where + " selections " + QByteArray::number(ourSelections.size()) + " vs " +
                  QByteArray::number(theirSelections.size()))
                     .constData());
        QVERIFY2(ourPages.size() == theirPages.size(), where.constData());
        QVERIFY2(ourCurrent.row() == theirCurrent.row() && ourCurrent.column() == theirCurrent.column(),
                 (where + " current " + QByteArray::number(ourCurrent.row()) + "," +
                  QByteArray::number(ourCurrent.column()) + " vs " + QByteArray::number(theirCurrent.row()) + "," +
                  QByteArray::number(theirCurrent.column()))
                     .constData());
        QVERIFY2(Button(ours, "qt_calendar_prevmonth")->isEnabled() ==
                     Button(theirs, "qt_calendar_prevmonth")->isEnabled(),
                 where.constData());
        QVERIFY2(Button(ours, "qt_calendar_nextmonth")->isEnabled() ==
                     Button(theirs, "qt_calendar_nextmonth")->isEnabled(),
                 where.constData());
    }
}

QTEST_MAIN(TestCalendarWidget)
#include "tst_calendar_widget.moc"
