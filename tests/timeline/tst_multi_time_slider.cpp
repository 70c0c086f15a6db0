// The multi-row time slider as the playback page uses it: a slider of 1077 x 124 pixels, so the
// chart area is 864 pixels wide from x 112 (100 s per pixel over a day) and the rows are 24
// pixels apart (row r's bars at y 24r + 34 .. 24r + 45).
#include "timeline/ChartKit.h"
#include "timeline/MultiChartView.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/RecordTypes.h"
#include "timeline/TimeSliderFilterPopup.h"

#include <QCheckBox>
#include <QScrollBar>
#include <QtTest>

namespace {

const QDate kDay(2024, 1, 30);

QDateTime At(const QDate& d, int h, int m = 0, int s = 0)
{
    return QDateTime(d, QTime(h, m, s));
}

CTimeSegment Segment(const QDateTime& b, const QDateTime& e, int recordType = 3)
{
    return RecordTypes::MakeSegment(b, e, recordType);
}

struct Fixture {
    CMultiTimeSlider slider;
    Fixture()
    {
        slider.resize(1077, 124);
        slider.SetChannelCount(16);
        slider.SetDate(kDay);
        slider.show();
        Settle();
    }
    void Settle()
    {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    qint64 Secs(int h, int m = 0, int s = 0) const { return At(kDay, h, m, s).toSecsSinceEpoch(); }
    void Click(const QPoint& p)
    {
        QTest::mouseClick(slider.View(), Qt::LeftButton, {}, p);
        Settle();
    }
};

}  // namespace

class TestMultiTimeSlider : public QObject {
    Q_OBJECT

private slots:
    void construction()
    {
        CMultiTimeSlider slider;
        QCOMPARE(slider.ZoomLevel(), 9);
        QCOMPARE(slider.Date(), QDate::currentDate());
        QCOMPARE(slider.SpanMin(), 0.0);
        QCOMPARE(slider.SpanMax(), 86400.0);
        QCOMPARE(slider.View()->TimeText(),
                 QDateTime(QDate::currentDate(), QTime(12, 0)).toString("yyyy-MM-dd hh:mm:ss"));
        QCOMPARE(slider.View()->FindSeriesByType(CChartSeries::kAxis)->Step(), 7200);
        QCOMPARE(slider.View()->SeriesCount(), 20);
        for (int r = 0; r < 16; ++r)
            QCOMPARE(slider.View()->GetSeries(r)->GetType(), int(CChartSeries::kTimeRect));
        QCOMPARE(slider.View()->GetSeries(19)->GetType(), int(CChartSeries::kImage));
    }

    void zoomSteps()
    {
        Fixture f;
        f.slider.OnSlotZoomIn();  // already the widest
        QCOMPARE(f.slider.ZoomLevel(), 9);
        f.slider.OnSlotZoomOut();
        QCOMPARE(f.slider.ZoomLevel(), 10);
        QCOMPARE(f.slider.SpanMin(), 21600.0);
        QCOMPARE(f.slider.SpanMax(), 64800.0);
        QCOMPARE(f.slider.View()->FindSeriesByType(CChartSeries::kAxis)->Step(), 3600);
        for (int i = 0; i < 5; ++i)
            f.slider.OnSlotZoomOut();
        QCOMPARE(f.slider.ZoomLevel(), 13);
        QCOMPARE(f.slider.SpanMax() - f.slider.SpanMin(), 3600.0);
        f.slider.MoveRight();
        QCOMPARE(f.slider.SpanMin(), 41400.0 + 300);
        QVERIFY(f.slider.IsMoving());
        f.slider.SetCurrentTime(At(kDay, 8));  // ignored while the buttons move the span
        QCOMPARE(f.slider.SpanMin(), 41700.0);
        f.slider.OnSlotReleaseMove();
        f.slider.SetCurrentTime(At(kDay.addDays(1), 6));  // the next day: centred on the day end
        QCOMPARE(f.slider.SpanMin(), 86400.0 - 1800);
        QCOMPARE(f.slider.View()->TimeText(), QStringLiteral("2024-01-31 00:00:00"));
    }

    // Wheel towards the operator narrows the span, away widens it; a sideways scroll is no zoom.
    void wheelZooms()
    {
        Fixture f;
        auto wheel = [&f](int dy, int dx = 0) {
            QWheelEvent e(QPointF(400, 60), f.slider.View()->mapToGlobal(QPointF(400, 60)), QPoint(), QPoint(dx, dy),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(&f.slider, &e);
        };
        wheel(-120);
        QCOMPARE(f.slider.ZoomLevel(), 10);
        wheel(0, 120);
        QCOMPARE(f.slider.ZoomLevel(), 10);
        wheel(120);
        wheel(120);
        QCOMPARE(f.slider.ZoomLevel(), 9);
    }

    void clickEmitsRowAndTime()
    {
        Fixture f;
        f.slider.SetRecordSegments({{3, {Segment(At(kDay, 8), At(kDay, 9))}}});
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        f.Click(QPoint(409, 110));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 3);
        QCOMPARE(clicks.at(0).at(1).value<time_t>(), time_t(f.Secs(8, 15)));
        // The top and bottom pixel rows of the bar count, the ones beyond do not.
        f.Click(QPoint(409, 106));
        f.Click(QPoint(409, 117));
        f.Click(QPoint(409, 105));
        f.Click(QPoint(409, 118));
        QCOMPARE(clicks.count(), 3);
        // Anywhere along a row that shows a bar: the time under the pointer.
        f.Click(QPoint(112 + 144, 110));
        QCOMPARE(clicks.count(), 4);
        QCOMPARE(clicks.at(3).at(1).value<time_t>(), time_t(f.Secs(4)));
        // The labels, the header and a row without bars play nothing.
        f.Click(QPoint(50, 110));
        f.Click(QPoint(409, 15));
        f.Click(QPoint(409, 40));
        QCOMPARE(clicks.count(), 4);
    }

    void rowWithBarsOutOfViewIgnoresClicks()
    {
        Fixture f;
        f.slider.SetRecordSegments({{1, {Segment(At(kDay, 20), At(kDay, 21))}}});
        for (int i = 0; i < 4; ++i)
            f.slider.OnSlotZoomOut();  // 1 hour around noon
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        f.Click(QPoint(409, 62));
        QCOMPARE(clicks.count(), 0);
        f.slider.SetCurrentTime(At(kDay, 20, 30));
        f.Settle();
        f.Click(QPoint(112 + 432, 62));
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(1).value<time_t>(), time_t(f.Secs(20, 30)));
    }

    // Rows scrolled under the header band are not there for the operator: a click on the time
    // labels plays nothing, whatever was painted last.
    void scrolledRowsUnderTheHeaderIgnoreClicks()
    {
        Fixture f;
        TimeSegmentRows rows;
        for (int r = 0; r < 16; ++r)
            rows[r] = {Segment(At(kDay, 0), At(kDay, 23, 59, 59))};
        f.slider.SetRecordSegments(rows);
        f.slider.View()->ScrollBar()->setValue(24);
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        f.Click(QPoint(409, 15));  // row 0's bars would be at y 10..21
        QCOMPARE(clicks.count(), 0);
        f.Click(QPoint(409, 110));  // now row 4
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 4);
        // Scrolled to the end the sixteenth row is in view.
        f.slider.View()->ScrollBar()->setValue(288);
        f.Click(QPoint(409, 394 - 288 + 4));
        QCOMPARE(clicks.count(), 2);
        QCOMPARE(clicks.at(1).at(0).toInt(), 15);
    }

    void filterHidesOneRow()
    {
        Fixture f;
        f.slider.SetRecordSegments({{2, {Segment(At(kDay, 8), At(kDay, 9), 3), Segment(At(kDay, 9), At(kDay, 10), 1)}},
                                    {3, {Segment(At(kDay, 8), At(kDay, 9), 3)}}});
        for (const RecordTypes::FilterEntry& e : RecordTypes::FilterEntries())
            for (int r : {2, 3})
                f.slider.AddFilterItem(r, RecordTypes::FilterIcon(e.id), QString::fromLatin1(e.text), e.id);
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);

        // Row 3's pop-up: "Schedule" off, OK. Row 3 has only schedule bars: it shows nothing.
        CTimeSliderFilterPopup* popup = f.slider.FilterPopup(3);
        popup->show();
        popup->ItemBoxes().at(0)->setChecked(false);
        QTest::mouseClick(popup->OkButton(), Qt::LeftButton);
        f.Settle();
        QCOMPARE(f.slider.RowSeries(3)->Filter(), (QList<int>{1, 2}));
        QCOMPARE(f.slider.RowSeries(2)->Filter(), QList<int>{-1});
        f.Click(QPoint(409, 110));
        QCOMPARE(clicks.count(), 0);
        f.Click(QPoint(409, 86));  // row 2 untouched
        QCOMPARE(clicks.count(), 1);

        // Row 2 keeps only the alarm bar (09:00-10:00): the row still plays.
        popup = f.slider.FilterPopup(2);
        popup->show();
        popup->ItemBoxes().at(0)->setChecked(false);
        QTest::mouseClick(popup->OkButton(), Qt::LeftButton);
        f.Settle();
        QVERIFY(f.slider.RowSeries(2)->HasVisibleBar(0, 86400));
        QCOMPARE(f.slider.RowSeries(2)->BarCount(), 2);

        // Clearing a row's segments puts its filter back to all.
        f.slider.ClearSegments(3);
        QCOMPARE(f.slider.RowSeries(3)->Filter(), QList<int>{-1});
    }

    void menuIconOpensOnlyAFilledPopup()
    {
        Fixture f;
        f.slider.AddFilterItem(1, QIcon(), QStringLiteral("Alarm"), 1);
        // Row 0's icon (x 80, y 35): its pop-up is empty; no pop-up and no drag.
        QTest::mousePress(f.slider.View(), Qt::LeftButton, {}, QPoint(84, 39));
        QVERIFY(!f.slider.IsMoving());
        QVERIFY(!f.slider.FilterPopup(0)->isVisible());
        QTest::mouseRelease(f.slider.View(), Qt::LeftButton, {}, QPoint(84, 39));
        // Row 1's icon (y 59).
        QTest::mousePress(f.slider.View(), Qt::LeftButton, {}, QPoint(84, 63));
        QVERIFY(f.slider.FilterPopup(1)->isVisible());
        f.slider.FilterPopup(1)->hide();
        // Out-of-range rows are ignored.
        f.slider.AddFilterItem(16, QIcon(), QStringLiteral("Alarm"), 1);
        f.slider.ClearFilterItems(99);
        QCOMPARE(f.slider.FilterPopupCount(), 16);
    }

    void dragMovesTheSpanAndReleaseReportsTheRow()
    {
        Fixture f;
        f.slider.SetRecordSegments({{3, {Segment(At(kDay, 0), At(kDay, 23))}}});
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        QTest::mousePress(f.slider.View(), Qt::LeftButton, {}, QPoint(512, 110));
        QVERIFY(f.slider.IsMoving());
        QTest::mouseMove(f.slider.View(), QPoint(412, 110));
        QCOMPARE(f.slider.SpanMin(), 10000.0);
        QCOMPARE(f.slider.SpanMax(), 96400.0);
        QCOMPARE(f.slider.View()->TimeText(), QStringLiteral("2024-01-30 14:46:40"));
        f.slider.SetCurrentTime(At(kDay, 1));  // ignored while dragging
        QCOMPARE(f.slider.SpanMin(), 10000.0);
        QTest::mouseMove(f.slider.View(), QPoint(-500, 110));  // held at the upper limit
        QCOMPARE(f.slider.SpanMax(), 129600.0);
        QTest::mouseMove(f.slider.View(), QPoint(412, 110));
        QTest::mouseRelease(f.slider.View(), Qt::LeftButton, {}, QPoint(412, 110));
        QVERIFY(!f.slider.IsMoving());
        // The release over a row reports it, at the time under the pointer in the moved span.
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(1).value<time_t>(), time_t(f.Secs(11, 6, 40)));
    }

    void hoverText()
    {
        Fixture f;
        QTest::mouseMove(f.slider.View(), QPoint(409, 60));
        QCOMPARE(f.slider.MouseText(), QStringLiteral("08:15:00"));
        f.slider.SetCurrentTime(At(kDay, 0));
        QTest::mouseMove(f.slider.View(), QPoint(112 + 396, 60));
        QCOMPARE(f.slider.MouseText(), QStringLiteral("23:00:00"));  // the evening before
        QTest::mouseMove(f.slider.View(), QPoint(50, 60));
        QCOMPARE(f.slider.MouseText(), QStringLiteral(" "));
    }

    // Recordings of three days are kept: switching the day shows that day's bars, and a click
    // reports that day's time.
    void switchingDaysShowsEachDay()
    {
        Fixture f;
        const QDate d1 = kDay, d2 = kDay.addDays(1), d3 = kDay.addDays(2);
        f.slider.SetRecordSegments(
            {{0, {Segment(At(d1, 8), At(d1, 9)), Segment(At(d2, 14), At(d2, 15)), Segment(At(d3, 20), At(d3, 21))}}});
        QCOMPARE(f.slider.RowSeries(0)->BarCount(), 1);
        f.slider.SetDate(d2);
        f.Settle();
        QCOMPARE(f.slider.RowSeries(0)->BarCount(), 1);
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        f.Click(QPoint(112 + 522, 38));  // 14:30 of day 2
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(1).value<time_t>(), time_t(At(d2, 14, 30).toSecsSinceEpoch()));
        // The filter chosen for the row stays across days.
        f.slider.RowSeries(0)->SetFilter({1});
        f.slider.SetDate(d3);
        QCOMPARE(f.slider.RowSeries(0)->Filter(), QList<int>{1});
        f.slider.ClearAllSegments();
        f.slider.SetDate(d1);
        QCOMPARE(f.slider.RowSeries(0)->BarCount(), 0);
    }

    void segmentDefaults()
    {
        Fixture f;
        CTimeSegment plain(At(kDay, 1), At(kDay, 2));
        f.slider.SetRecordSegments({{0, {plain}}, {20, {plain}}, {1, {plain}}});
        const QList<TimeRect> bars = f.slider.RowSeries(0)->Bars().value(0);
        QCOMPARE(bars.size(), 1);
        QCOMPARE(bars.at(0).brush.color(), QColor(113, 160, 250));
        QCOMPARE(bars.at(0).begin, QPoint(3600, 34));
        QCOMPARE(bars.at(0).end, QPoint(7200, 46));
        QCOMPARE(f.slider.RowSeries(1)->BarCount(), 1);  // before the bad key: kept
    }

    // A daylight-saving day: the span reaches 12 hours into the next day from a 23-hour day,
    // and a click reports the real time.
    void daylightSavingDay()
    {
        Fixture f;
        const QDate spring(2024, 3, 31);
        f.slider.SetDate(spring);
        QCOMPARE(f.slider.View()->TimeText(), QStringLiteral("2024-03-31 13:00:00"));
        f.slider.SetRecordSegments({{3, {Segment(At(spring, 1), At(spring, 4))}}});
        f.slider.SetCurrentTime(At(spring, 0));
        f.Settle();
        QSignalSpy clicks(&f.slider, &CMultiTimeSlider::MouseClick);
        f.Click(QPoint(112 + 432 + 72, 110));  // 7200 s after midnight: 03:00
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(QDateTime::fromSecsSinceEpoch(clicks.at(0).at(1).value<time_t>()).toString("hh:mm:ss"),
                 QStringLiteral("03:00:00"));
        for (int i = 0; i < 200; ++i)
            f.slider.MoveRight();
        QCOMPARE(f.slider.SpanMax(), 126000.0);
    }

    // A slider too narrow for a chart area (or never laid out) ignores presses, drags, clicks
    // and hovering instead of dividing by zero.
    void narrowSliderIsSafe()
    {
        CMultiTimeSlider slider;
        slider.SetChannelCount(16);
        slider.SetRecordSegments({{0, {Segment(At(QDate::currentDate(), 0), At(QDate::currentDate(), 23))}}});
        slider.resize(200, 124);
        slider.show();
        QSignalSpy clicks(&slider, &CMultiTimeSlider::MouseClick);
        QTest::mousePress(slider.View(), Qt::LeftButton, {}, QPoint(150, 38));
        QTest::mouseMove(slider.View(), QPoint(100, 38));
        QTest::mouseRelease(slider.View(), Qt::LeftButton, {}, QPoint(100, 38));
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(slider.SpanMin(), 0.0);
        slider.OnUpdateTimeSlider();
    }

    void enterAndLeave()
    {
        Fixture f;
        QSignalSpy entered(&f.slider, &CMultiTimeSlider::MouseEnter);
        QSignalSpy left(&f.slider, &CMultiTimeSlider::MouseLeave);
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&f.slider, &enter);
        QCOMPARE(entered.count(), 1);
        QApplication::sendEvent(&f.slider, &leave);
        QApplication::sendEvent(&f.slider, &enter);  // back within 500 ms: neither signal
        QTest::qWait(600);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(left.count(), 0);
        QApplication::sendEvent(&f.slider, &leave);
        QVERIFY(left.wait(2000));
        QCOMPARE(left.count(), 1);
    }
};

QTEST_MAIN(TestMultiTimeSlider)
#include "tst_multi_time_slider.moc"
