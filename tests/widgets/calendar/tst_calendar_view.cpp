// The month view: clicks, drags, double clicks, keys and the wheel turned into dates.
#include "CalendarFixture.h"

#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

using namespace CalendarFixture;

namespace {

const QDate kDay(2024, 5, 14);  // May 2024: Wednesday 1st, Sunday-first page starts 28 April

// A shown calendar on May 2024 in the given mode, with spies on its view.
struct ViewRig {
    CCalendarWidget calendar;
    QSignalSpy changeDate{calendar.View(), &CCalendarView::changeDate};
    QSignalSpy selectDate{calendar.View(), &CCalendarView::SignalSelectDate};
    QSignalSpy clicked{calendar.View(), &CCalendarView::clicked};
    QSignalSpy editingFinished{calendar.View(), &CCalendarView::editingFinished};
    QSignalSpy showDate{calendar.View(), &CCalendarView::showDate};

    explicit ViewRig(CCalendarWidget::SelectionMode mode)
    {
        calendar.SetFirstDayOfWeek(Qt::Sunday);
        calendar.SetSelectedDate(kDay);
        calendar.SetSelectionMode(mode);
        calendar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar));
    }
    QWidget* Viewport() { return calendar.View()->viewport(); }
    int Emitted() const { return int(changeDate.size() + selectDate.size() + clicked.size() + editingFinished.size()); }
    QList<QDate> SelectedDays() const
    {
        QList<QDate> days;
        for (const QModelIndex& index : calendar.View()->selectionModel()->selectedIndexes())
            days << calendar.Model()->DateForCell(index.row(), index.column());
        std::sort(days.begin(), days.end());
        return days;
    }
};

QList<QDate> Days(const QDate& from, const QDate& to)
{
    QList<QDate> days;
    for (QDate d = from; d <= to; d = d.addDays(1))
        days << d;
    return days;
}

}  // namespace

class TestCalendarView : public QObject {
    Q_OBJECT
private slots:
    void readOnlyEmitsNothing();
    void drags_data();
    void drags();
    void dragSelectsTheRunWhileTheButtonIsHeld();
    void plainClickAfterARangeRedrawsTheSelection();
    void releaseOutsideTheRangeClearsTheDrag();
    void doubleClick();
    void keys_data();
    void keys();
    void wheel_data();
    void wheel();
};

void TestCalendarView::readOnlyEmitsNothing()
{
    ViewRig rig(CCalendarWidget::NoSelection);
    Click(&rig.calendar, QDate(2024, 5, 9));
    Drag(&rig.calendar, QDate(2024, 5, 3), QDate(2024, 5, 17));
    Mouse(rig.Viewport(), QEvent::MouseButtonDblClick, CellCentre(&rig.calendar, kDay), Qt::LeftButton, Qt::LeftButton);
    QTest::keyClick(rig.calendar.View(), Qt::Key_Right);
    QTest::keyClick(rig.calendar.View(), Qt::Key_Down);
    QTest::keyClick(rig.calendar.View(), Qt::Key_Return);
    QCOMPARE(rig.Emitted(), 0);
    QCOMPARE(rig.calendar.GetSelectedDate(), kDay);
}

void TestCalendarView::drags_data()
{
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QDate>("begin");
    QTest::addColumn<QDate>("end");
    QTest::addColumn<int>("changeDates");
    QTest::newRow("3rd to 17th") << QDate(2024, 5, 3) << QDate(2024, 5, 17) << QDate(2024, 5, 3) << QDate(2024, 5, 17)
                                 << 0;
    QTest::newRow("17th back to 3rd") << QDate(2024, 5, 17) << QDate(2024, 5, 3) << QDate(2024, 5, 3)
                                      << QDate(2024, 5, 17) << 0;
    QTest::newRow("same row backwards") << QDate(2024, 5, 18) << QDate(2024, 5, 12) << QDate(2024, 5, 12)
                                        << QDate(2024, 5, 18) << 0;
    QTest::newRow("plain click") << QDate(2024, 5, 9) << QDate(2024, 5, 9) << QDate(2024, 5, 9) << QDate(2024, 5, 9)
                                 << 1;
    // A press on a day of the previous month starts no drag: only the release day counts.
    QTest::newRow("from the previous month")
        << QDate(2024, 4, 29) << QDate(2024, 5, 8) << QDate(2024, 5, 8) << QDate(2024, 5, 8) << 1;
}

void TestCalendarView::drags()
{
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QDate, begin);
    QFETCH(QDate, end);
    QFETCH(int, changeDates);
    ViewRig rig(CCalendarWidget::MultiSelection);
    Drag(&rig.calendar, from, to);
    QCOMPARE(rig.selectDate.size(), 1);
    QCOMPARE(rig.selectDate.at(0).at(0).toDate(), begin);
    QCOMPARE(rig.selectDate.at(0).at(1).toDate(), end);
    QCOMPARE(rig.changeDate.size(), changeDates);
    if (changeDates)
        QCOMPARE(rig.changeDate.at(0).at(0).toDate(), to);
    QCOMPARE(rig.clicked.size(), 1);
    QCOMPARE(rig.clicked.at(0).at(0).toDate(), to);
    QCOMPARE(rig.SelectedDays(), Days(begin, end));
}

void TestCalendarView::dragSelectsTheRunWhileTheButtonIsHeld()
{
    ViewRig rig(CCalendarWidget::MultiSelection);
    Mouse(rig.Viewport(), QEvent::MouseButtonPress, CellCentre(&rig.calendar, QDate(2024, 5, 17)), Qt::LeftButton,
          Qt::LeftButton);
    Mouse(rig.Viewport(), QEvent::MouseMove, CellCentre(&rig.calendar, QDate(2024, 5, 3)), Qt::NoButton,
          Qt::LeftButton);
    QCOMPARE(rig.SelectedDays(), Days(QDate(2024, 5, 3), QDate(2024, 5, 17)));
    // Over a day of the next month the run stays as it was.
    Mouse(rig.Viewport(), QEvent::MouseMove, CellCentre(&rig.calendar, QDate(2024, 6, 2)), Qt::NoButton,
          Qt::LeftButton);
    QCOMPARE(rig.SelectedDays(), Days(QDate(2024, 5, 3), QDate(2024, 5, 17)));
    Mouse(rig.Viewport(), QEvent::MouseMove, CellCentre(&rig.calendar, QDate(2024, 5, 21)), Qt::NoButton,
          Qt::LeftButton);
    QCOMPARE(rig.SelectedDays(), Days(QDate(2024, 5, 17), QDate(2024, 5, 21)));
    QCOMPARE(rig.Emitted(), 0);
}

void TestCalendarView::plainClickAfterARangeRedrawsTheSelection()
{
    ViewRig rig(CCalendarWidget::MultiSelection);
    Drag(&rig.calendar, QDate(2024, 5, 6), QDate(2024, 5, 10));
    rig.changeDate.clear();
    Click(&rig.calendar, kDay);
    QCOMPARE(rig.changeDate.size(), 1);
    QCOMPARE(rig.changeDate.at(0).at(0).toDate(), kDay);
    QCOMPARE(rig.changeDate.at(0).at(1).toBool(), true);
    QCOMPARE(rig.changeDate.at(0).at(2).toBool(), true);
    QCOMPARE(rig.SelectedDays(), QList<QDate>{kDay});
}

void TestCalendarView::releaseOutsideTheRangeClearsTheDrag()
{
    ViewRig rig(CCalendarWidget::MultiSelection);
    rig.calendar.SetDateRange(QDate(2024, 5, 5), QDate(2024, 5, 25));
    Drag(&rig.calendar, QDate(2024, 5, 10), QDate(2024, 5, 28));
    QCOMPARE(rig.Emitted(), 0);
    // A release without a new press reports nothing either.
    Mouse(rig.Viewport(), QEvent::MouseButtonRelease, CellCentre(&rig.calendar, QDate(2024, 5, 12)), Qt::LeftButton,
          Qt::NoButton);
    QCOMPARE(rig.Emitted(), 0);
    // A press outside the range starts nothing.
    Drag(&rig.calendar, QDate(2024, 5, 2), QDate(2024, 5, 12));
    QCOMPARE(rig.Emitted(), 0);
}

void TestCalendarView::doubleClick()
{
    ViewRig rig(CCalendarWidget::SingleSelection);
    Mouse(rig.Viewport(), QEvent::MouseButtonDblClick, CellCentre(&rig.calendar, QDate(2024, 5, 20)), Qt::LeftButton,
          Qt::LeftButton);
    QCOMPARE(rig.editingFinished.size(), 0);  // not the selected day
    Mouse(rig.Viewport(), QEvent::MouseButtonDblClick, CellCentre(&rig.calendar, kDay), Qt::LeftButton, Qt::LeftButton);
    QCOMPARE(rig.editingFinished.size(), 1);
}

void TestCalendarView::keys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QDate>("expected");  // invalid: no changeDate
    QTest::addColumn<int>("finished");
    QTest::newRow("up") << int(Qt::Key_Up) << kDay.addDays(-7) << 0;
    QTest::newRow("down") << int(Qt::Key_Down) << kDay.addDays(7) << 0;
    QTest::newRow("left") << int(Qt::Key_Left) << kDay.addDays(-1) << 0;
    QTest::newRow("right") << int(Qt::Key_Right) << kDay.addDays(1) << 0;
    QTest::newRow("home") << int(Qt::Key_Home) << QDate(2024, 5, 1) << 0;
    QTest::newRow("end") << int(Qt::Key_End) << QDate(2024, 5, 31) << 0;
    QTest::newRow("page up") << int(Qt::Key_PageUp) << QDate(2024, 4, 14) << 0;
    QTest::newRow("page down") << int(Qt::Key_PageDown) << QDate(2024, 6, 14) << 0;
    QTest::newRow("return") << int(Qt::Key_Return) << QDate() << 1;
    QTest::newRow("enter") << int(Qt::Key_Enter) << QDate() << 1;
    QTest::newRow("letter") << int(Qt::Key_A) << QDate() << 0;
}

// The bare view reports the move and leaves its current cell where it was.
void TestCalendarView::keys()
{
    QFETCH(int, key);
    QFETCH(QDate, expected);
    QFETCH(int, finished);
    CCalendarModel model;
    CCalendarView view;
    view.setModel(&model);
    model.SetView(&view);
    model.ShowMonth(2024, 5);
    view.setSelectionMode(QAbstractItemView::SingleSelection);
    const QModelIndex start = CellIndex(&model, kDay);
    view.selectionModel()->setCurrentIndex(start, QItemSelectionModel::NoUpdate);
    QSignalSpy changeDate(&view, &CCalendarView::changeDate);
    QSignalSpy editingFinished(&view, &CCalendarView::editingFinished);
    QTest::keyClick(&view, Qt::Key(key));
    QCOMPARE(changeDate.size(), expected.isValid() ? 1 : 0);
    if (expected.isValid()) {
        QCOMPARE(changeDate.at(0).at(0).toDate(), expected);
        QCOMPARE(changeDate.at(0).at(1).toBool(), true);
        QCOMPARE(changeDate.at(0).at(2).toBool(), false);
    }
    QCOMPARE(editingFinished.size(), finished);
    QCOMPARE(view.currentIndex(), start);
}

void TestCalendarView::wheel_data()
{
    QTest::addColumn<int>("delta");
    QTest::addColumn<QDate>("shown");
    QTest::newRow("one notch forwards") << 120 << QDate(2024, 4, 14);
    QTest::newRow("one notch back") << -120 << QDate(2024, 6, 14);
    QTest::newRow("two notches") << 240 << QDate(2024, 3, 14);
    QTest::newRow("a small step") << 100 << kDay;
}

void TestCalendarView::wheel()
{
    QFETCH(int, delta);
    QFETCH(QDate, shown);
    ViewRig rig(CCalendarWidget::SingleSelection);
    Wheel(rig.Viewport(), delta);
    QCOMPARE(rig.showDate.size(), 1);
    QCOMPARE(rig.showDate.at(0).at(0).toDate(), shown);
    QCOMPARE(rig.calendar.GetMonthShown(), shown.month());
    QCOMPARE(rig.calendar.GetSelectedDate(), kDay);
}

QTEST_MAIN(TestCalendarView)
#include "tst_calendar_view.moc"
