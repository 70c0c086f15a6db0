// Keyboard date entry: the section validators as tables under fixed formats and locales, the
// navigator on a real calendar, and typed sequences side by side with QCalendarWidget.
#include "CalendarFixture.h"
#include "widgets/CalendarTextNavigator.h"

#include <QCalendarWidget>
#include <QLabel>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

using Varpen::QCalendarDateValidator;

namespace {

// Keys as text: digits, '<' Left, '>' Right, '^' Up, 'v' Down, '~' Backspace.
int KeyOf(QChar c)
{
    switch (c.unicode()) {
    case '<':
        return Qt::Key_Left;
    case '>':
        return Qt::Key_Right;
    case '^':
        return Qt::Key_Up;
    case 'v':
        return Qt::Key_Down;
    case '~':
        return Qt::Key_Backspace;
    default:
        return Qt::Key_0 + c.digitValue();
    }
}

void Type(QWidget* target, const QString& keys)
{
    for (QChar c : keys) {
        if (c.isDigit())
            QTest::keyClick(target, c.toLatin1());
        else
            QTest::keyClick(target, Qt::Key(KeyOf(c)));
    }
}

}  // namespace

class TestCalendarNavigator : public QObject {
    Q_OBJECT
private slots:
    void validatorSequences_data();
    void validatorSequences();
    void formatTokens();
    void escapeDropsTheTypedDate();
    void delayAppliesWithoutFinishing();
    void sameDateEmitsNothing();
    void returnAppliesAndActivates();
    void arrowWithoutLabelReachesTheView();
    void switchedOffPassesKeys();
    void sideBySideWithTheToolkit_data();
    void sideBySideWithTheToolkit();
};

void TestCalendarNavigator::validatorSequences_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QStringList>("keys");  // one entry per step
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<QDate>>("dates");

    QTest::newRow("M/d/yy month, day, year")
        << "M/d/yy" << QDate(2013, 5, 7) << QStringList{"1", "2", "3", "1"}
        << QStringList{"0<b>1</b>/7/13", "12/<b>07</b>/13", "12/0<b>3</b>/13", "12/31/<b>2013</b>"}
        << QList<QDate>{QDate(2013, 1, 7), QDate(2013, 12, 7), QDate(2013, 12, 3), QDate(2013, 12, 31)};
    QTest::newRow("31 February is the last day")
        << "M/d/yy" << QDate(2013, 2, 10) << QStringList{">", "3", "1"}
        << QStringList{"2/<b>10</b>/13", "2/0<b>3</b>/13", "2/28/<b>2013</b>"}
        << QList<QDate>{QDate(2013, 2, 10), QDate(2013, 2, 3), QDate(2013, 2, 28)};
    QTest::newRow("29 February of a leap year")
        << "d.M.yyyy" << QDate(2024, 2, 1) << QStringList{"3", "1"}
        << QStringList{"0<b>3</b>.2.2024", "29.<b>02</b>.2024"} << QList<QDate>{QDate(2024, 2, 3), QDate(2024, 2, 29)};
    QTest::newRow("45 as a month is 12") << "M/d/yy" << QDate(2013, 5, 7) << QStringList{"4", "5"}
                                         << QStringList{"0<b>4</b>/7/13", "12/<b>07</b>/13"}
                                         << QList<QDate>{QDate(2013, 4, 7), QDate(2013, 12, 7)};
    QTest::newRow("left wraps to the year")
        << "M/d/yy" << QDate(2013, 5, 7) << QStringList{"<", "2"} << QStringList{"5/7/<b>2013</b>", "5/7/201<b>2</b>"}
        << QList<QDate>{QDate(2013, 5, 7), QDate(2012, 5, 7)};
    QTest::newRow("right wraps to the month") << "M/d/yy" << QDate(2013, 5, 7) << QStringList{">", ">", ">"}
                                              << QStringList{"5/<b>07</b>/13", "5/7/<b>2013</b>", "<b>05</b>/7/13"}
                                              << QList<QDate>{QDate(2013, 5, 7), QDate(2013, 5, 7), QDate(2013, 5, 7)};
    QTest::newRow("up and down wrap") << "M/d/yy" << QDate(2013, 12, 1) << QStringList{"^", "v", "v"}
                                      << QStringList{"<b>01</b>/1/13", "<b>12</b>/1/13", "<b>11</b>/1/13"}
                                      << QList<QDate>{QDate(2013, 1, 1), QDate(2013, 12, 1), QDate(2013, 11, 1)};
    QTest::newRow("year digits and backspace")
        << "yyyy/M/d" << QDate(2013, 5, 7) << QStringList{"1", "9", "~", "~"}
        << QStringList{"201<b>1</b>/5/7", "20<b>19</b>/5/7", "201<b>1</b>/5/7", "2013/5/<b>07</b>"}
        << QList<QDate>{QDate(2011, 5, 7), QDate(2019, 5, 7), QDate(2011, 5, 7), QDate(2013, 5, 7)};
    QTest::newRow("backspace after a finished section")
        << "M/d/yy" << QDate(2013, 5, 7) << QStringList{"1", "1", "~"}
        << QStringList{"0<b>1</b>/7/13", "11/<b>07</b>/13", "0<b>1</b>/7/13"}
        << QList<QDate>{QDate(2013, 1, 7), QDate(2013, 11, 7), QDate(2013, 1, 7)};
    QTest::newRow("year 0 is year 1") << "yyyy-MM-dd" << QDate(2024, 1, 15) << QStringList{"0000"}
                                      << QStringList{"1-<b>01</b>-15"} << QList<QDate>{QDate(1, 1, 15)};
    QTest::newRow("day 00 is the 1st") << "dd/MM/yyyy" << QDate(2024, 6, 20) << QStringList{"00"}
                                       << QStringList{"01/<b>06</b>/2024"} << QList<QDate>{QDate(2024, 6, 1)};
}

void TestCalendarNavigator::validatorSequences()
{
    QFETCH(QString, format);
    QFETCH(QDate, start);
    QFETCH(QStringList, keys);
    QFETCH(QStringList, texts);
    QFETCH(QList<QDate>, dates);
    QCalendarDateValidator validator;
    validator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    validator.setFormat(format);
    validator.setInitialDate(start);
    for (int step = 0; step < keys.size(); ++step) {
        for (QChar c : keys.at(step))
            validator.handleKey(KeyOf(c));
        QCOMPARE(validator.currentText(), texts.at(step));
        QCOMPARE(validator.currentDate(), dates.at(step));
    }
}

void TestCalendarNavigator::formatTokens()
{
    QCalendarDateValidator validator;
    validator.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
    validator.setFormat(QStringLiteral("dddd, MMMM d 'day' yyyy"));
    validator.setInitialDate(QDate(2024, 3, 5));
    validator.handleKey(Qt::Key_Right);  // off the weekday token to the month
    QCOMPARE(validator.currentText(), QStringLiteral("Tuesday, <b>03</b> 5 day 2024"));
    QCalendarDateValidator chinese;
    chinese.setLocale(QLocale(QLocale::Chinese, QLocale::China));
    chinese.setFormat(QStringLiteral("yyyy'年'MMMd'日'"));
    chinese.setInitialDate(QDate(2024, 3, 5));
    QCOMPARE(chinese.currentText(), QStringLiteral("<b>2024</b>年3月5日"));
}

namespace {

struct NavigatorRig {
    CCalendarWidget calendar;
    QSignalSpy selectionChanged{&calendar, &CCalendarWidget::SelectionChanged};
    QSignalSpy activated{&calendar, &CCalendarWidget::activated};
    explicit NavigatorRig(const QDate& start)
    {
        calendar.setLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        calendar.SetSelectedDate(start);
        selectionChanged.clear();
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    }
    QWidget* View() { return calendar.View(); }
    // The framed label of a typed date, a box over the calendar.
    bool EntryShown()
    {
        for (QFrame* frame : calendar.findChildren<QFrame*>(QString(), Qt::FindDirectChildrenOnly))
            if (frame->frameShape() == QFrame::Box && frame->isVisible())
                return true;
        return false;
    }
};

}  // namespace

void TestCalendarNavigator::escapeDropsTheTypedDate()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    Type(rig.View(), "12");
    QVERIFY(rig.EntryShown());
    QTest::keyClick(rig.View(), Qt::Key_Escape);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 7));
    QCOMPARE(rig.selectionChanged.size(), 0);
    QCOMPARE(rig.activated.size(), 0);
    QVERIFY(!rig.EntryShown());
}

void TestCalendarNavigator::delayAppliesWithoutFinishing()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    QCOMPARE(rig.calendar.GetDateEditAcceptDelay(), 1500);
    rig.calendar.SetDateEditAcceptDelay(60);
    Type(rig.View(), "9");
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 7));
    QTRY_COMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 9, 7));
    QCOMPARE(rig.selectionChanged.size(), 1);
    QCOMPARE(rig.activated.size(), 0);
    QCOMPARE(rig.calendar.GetMonthShown(), 9);
}

void TestCalendarNavigator::sameDateEmitsNothing()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    Type(rig.View(), "05");
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.selectionChanged.size(), 0);
    QCOMPARE(rig.activated.size(), 1);  // Return still finishes the editing
}

void TestCalendarNavigator::returnAppliesAndActivates()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    Type(rig.View(), "1231");
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 12, 31));
    QCOMPARE(rig.selectionChanged.size(), 1);
    QCOMPARE(rig.activated.size(), 1);
    QCOMPARE(rig.activated.at(0).at(0).toDate(), QDate(2013, 12, 31));
    // The next entry starts from the applied date.
    Type(rig.View(), "1");
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 1, 31));
}

void TestCalendarNavigator::arrowWithoutLabelReachesTheView()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    QTest::keyClick(rig.View(), Qt::Key_Right);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 8));
    // While a label is shown the arrows edit the typed date instead.
    Type(rig.View(), "6>");
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 8));
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 6, 8));
}

void TestCalendarNavigator::switchedOffPassesKeys()
{
    NavigatorRig rig(QDate(2013, 5, 7));
    rig.calendar.SetDateEditEnabled(false);
    Type(rig.View(), "12");
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 7));
    QVERIFY(!rig.EntryShown());
    rig.calendar.SetDateEditEnabled(true);
    rig.calendar.SetSelectionMode(CCalendarWidget::NoSelection);
    Type(rig.View(), "12");
    QTest::keyClick(rig.View(), Qt::Key_Return);
    QCOMPARE(rig.calendar.GetSelectedDate(), QDate(2013, 5, 7));
}

void TestCalendarNavigator::sideBySideWithTheToolkit_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QDate>("start");
    QTest::addColumn<QString>("keys");
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QTest::newRow("en 1231") << english << QDate(2013, 5, 7) << "1231";
    QTest::newRow("en 45") << english << QDate(2013, 5, 7) << "45";
    QTest::newRow("en February") << english << QDate(2013, 2, 10) << ">31";
    QTest::newRow("en left year") << english << QDate(2013, 5, 7) << "<2";
    QTest::newRow("en up down") << english << QDate(2013, 12, 7) << "^^>vvv";
    QTest::newRow("zh full date") << chinese << QDate(2024, 3, 5) << "2025111";
    QTest::newRow("zh year backspace") << chinese << QDate(2024, 3, 5) << "19~";
    QTest::newRow("zh wrap") << chinese << QDate(2024, 3, 5) << "<<09";
    QTest::newRow("zh year 0") << chinese << QDate(2024, 3, 5) << "0000";
}

// The same keys typed into QCalendarWidget and into the program's calendar give the same date.
void TestCalendarNavigator::sideBySideWithTheToolkit()
{
    QFETCH(QLocale, locale);
    QFETCH(QDate, start);
    QFETCH(QString, keys);
    QCalendarWidget reference;
    reference.setLocale(locale);
    reference.setDateRange(QDate(1, 1, 1), QDate(7999, 12, 31));
    reference.setSelectedDate(start.addDays(1));
    reference.show();
    CCalendarWidget ours;
    ours.setLocale(locale);
    ours.SetDateRange(QDate(1, 1, 1), QDate(7999, 12, 31));
    ours.SetSelectedDate(start.addDays(1));
    ours.show();
    QVERIFY(QTest::qWaitForWindowExposed(&ours));
    // The toolkit's calendar hands its typing the date of a user's move only, not of
    // setSelectedDate: pick the start day with the keyboard in both.
    QTest::keyClick(reference.findChild<QTableView*>(), Qt::Key_Left);
    QTest::keyClick(ours.View(), Qt::Key_Left);
    QCOMPARE(ours.GetSelectedDate(), start);
    QCOMPARE(reference.selectedDate(), start);
    QSignalSpy theirActivations(&reference, &QCalendarWidget::activated);
    QSignalSpy ourActivations(&ours, &CCalendarWidget::activated);
    Type(reference.findChild<QTableView*>(), keys);
    Type(ours.View(), keys);
    QTest::keyClick(reference.findChild<QTableView*>(), Qt::Key_Return);
    QTest::keyClick(ours.View(), Qt::Key_Return);
    QCOMPARE(ours.GetSelectedDate(), reference.selectedDate());
    QCOMPARE(ourActivations.size(), theirActivations.size());
}

QTEST_MAIN(TestCalendarNavigator)
#include "tst_calendar_navigator.moc"
