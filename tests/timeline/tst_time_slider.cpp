// The single-row time slider, its chart view, tags and the tag editor. The slider is 600 x 60
// pixels: the chart area runs from x 24 for 568 pixels while the buttons are hidden.
#include "timeline/ChartKit.h"
#include "timeline/ChartView.h"
#include "timeline/TimeSlider.h"
#include "widgets/PromptHook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QAction>
#include <QLineEdit>
#include <QValidator>
#include <QMenu>
#include <QWheelEvent>
#include <QtTest>

namespace {

const QDate kDay(2024, 1, 30);

QDateTime At(int h, int m = 0, int s = 0, const QDate& d = kDay)
{
    return QDateTime(d, QTime(h, m, s));
}

CTimeSegment Tag(const QDateTime& b, const QDateTime& e, const QString& name)
{
    CTimeSegment s(b, e);
    s.SetData(name, 32);
    return s;
}

template <typename Slider>
void Prepare(Slider& slider)
{
    slider.resize(600, 60);
    slider.SetDate(kDay);
    slider.show();
    QCoreApplication::sendPostedEvents();
    slider.View()->Redraw();
}

}  // namespace

class TestTimeSlider : public QObject {
    Q_OBJECT

private slots:
    void viewMarginsAndButtons()
    {
        CChartView view;
        view.resize(0, 0);
        view.Redraw();
        QCOMPARE(view.RedrawCount(), 0);
        view.resize(600, 60);
        view.show();
        QVERIFY(view.RedrawCount() > 0);
        QCOMPARE(view.ChartRect(), QRect(24, 0, 568, 60));
        QVERIFY(!view.ZoomInButton()->isVisible());
        view.ShowButtons();
        view.resize(601, 60);
        QCOMPARE(view.ChartRect(), QRect(24, 0, 477, 60));
        QVERIFY(view.ZoomInButton()->isVisible());
        QCOMPARE(view.MoveRightButton()->pos(), QPoint(601 - 100 + 2, 19));
        QCOMPARE(view.ZoomOutButton()->pos(), QPoint(601 - 100 + 2 + 19 + 3, 17));
        QCOMPARE(view.ZoomInButton()->pos(), QPoint(601 - 100 + 2 + 19 + 3 + 32 + 3, 17));
        QCOMPARE(view.MoveLeftButton()->pos(), QPoint(3, 19));
        view.HideButtons();
        QCOMPARE(view.ChartRect(), QRect(24, 0, 569, 60));
    }

    void zoomLevels()
    {
        CTimeSlider slider;
        QCOMPARE(slider.ZoomLevel(), 7);
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), 86400.0);
        slider.OnSlotZoomIn();  // nothing below 9 is reached by zooming in
        QCOMPARE(slider.ZoomLevel(), 7);
        slider.OnSlotZoomOut();
        slider.OnSlotZoomOut();
        QCOMPARE(slider.ZoomLevel(), 9);
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), 86400.0);
        slider.OnSlotZoomOut();
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), 43200.0);
        slider.ShowNormalSize();  // the span of level 7, the stored level kept
        QCOMPARE(slider.ZoomLevel(), 10);
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), 86400.0);
        QVERIFY(slider.View()->FindSeriesByType(CChartSeries::kAxis)->StyleFlag());
        slider.ShowMaxsize();
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), 43200.0);
        QVERIFY(!slider.View()->FindSeriesByType(CChartSeries::kAxis)->StyleFlag());
    }

    void currentTimeOutsideTheDay()
    {
        CTimeSlider slider;
        slider.SetDate(kDay);
        slider.SetCurrentTime(At(6, 0, 0, kDay.addDays(1)));
        QCOMPARE(slider.SpanMin(), 86400.0 - 43200);
        QCOMPARE(slider.View()->TimeText(), QStringLiteral("2024-01-31 06:00:00"));  // as given
        slider.SetCurrentTime(time_t(At(6, 0, 0, kDay.addDays(1)).toSecsSinceEpoch()));
        QCOMPARE(slider.View()->TimeText(), QStringLiteral("2024-01-31 00:00:00"));  // the day's end
        slider.SetCurrentTime(time_t(At(6, 0, 0, kDay.addDays(-1)).toSecsSinceEpoch()));
        QCOMPARE(slider.SpanMin(), -43200.0);
        QCOMPARE(slider.View()->TimeText(), QStringLiteral("2024-01-30 00:00:00"));
    }

    void burstOfTimesRendersOnce()
    {
        CTimeSlider slider;
        Prepare(slider);
        const int before = slider.View()->RedrawCount();
        for (int m = 0; m < 10; ++m)
            slider.SetCurrentTime(At(8, m));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(slider.View()->RedrawCount(), before + 1);
        QCOMPARE(slider.View()->TimeText(), QStringLiteral("2024-01-30 08:09:00"));
        // The render let the batch go: the next change renders again.
        slider.SetCurrentTime(time_t(At(9).toSecsSinceEpoch()));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(slider.View()->RedrawCount(), before + 2);
    }

    void clickBand_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<bool>("emits");
        QTest::newRow("26: edge") << 26 << false;
        QTest::newRow("27") << 27 << true;
        QTest::newRow("31") << 31 << true;
        QTest::newRow("35") << 35 << true;
        QTest::newRow("36: edge") << 36 << false;
    }

    void clickBand()
    {
        QFETCH(int, y);
        QFETCH(bool, emits);
        CTimeSlider slider;
        Prepare(slider);
        QSignalSpy one(&slider, qOverload<time_t>(&CTimeSlider::MouseClick));
        QSignalSpy two(&slider, qOverload<time_t, time_t>(&CTimeSlider::MouseClick));
        QTest::mouseClick(slider.View(), Qt::LeftButton, {}, QPoint(24 + 284, y));
        QCOMPARE(one.count(), emits ? 1 : 0);
        QCOMPARE(two.count(), emits ? 1 : 0);
        if (emits) {
            const time_t t = time_t(At(12).toSecsSinceEpoch());
            QCOMPARE(one.at(0).at(0).value<time_t>(), t);
            QCOMPARE(two.at(0).at(0).value<time_t>(), t);
            QCOMPARE(two.at(0).at(1).value<time_t>(), t + 152);  // the seconds under one pixel
        }
    }

    void dragReportsTheNewCentre()
    {
        CTimeSlider slider;
        Prepare(slider);
        QSignalSpy one(&slider, qOverload<time_t>(&CTimeSlider::MouseClick));
        QSignalSpy two(&slider, qOverload<time_t, time_t>(&CTimeSlider::MouseClick));
        QTest::mousePress(slider.View(), Qt::LeftButton, {}, QPoint(308, 30));
        QTest::mouseMove(slider.View(), QPoint(208, 30));
        QVERIFY(slider.SpanMin() > 0);
        QTest::mouseRelease(slider.View(), Qt::LeftButton, {}, QPoint(208, 30));
        QCOMPARE(one.count(), 1);
        QCOMPARE(two.count(), 0);
        const double centre = (slider.SpanMin() + slider.SpanMax()) / 2;
        QCOMPARE(one.at(0).at(0).value<time_t>(), time_t(At(0).toSecsSinceEpoch() + qint64(centre)));
    }

    // The wheel on the view zooms as the multi-row slider's does: towards the operator narrows
    // the span, away widens it down to 9 (24 hours) and no further; a sideways scroll is no zoom.
    void wheelZooms_data()
    {
        QTest::addColumn<int>("zoomOuts");  // steps out from level 7 first
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<int>("level");
        QTest::addColumn<double>("span");
        QTest::newRow("towards, from 7") << 0 << QPoint(0, -120) << 8 << 86400.0;
        QTest::newRow("towards, from 9") << 2 << QPoint(0, -120) << 10 << 43200.0;
        QTest::newRow("towards, at 13") << 6 << QPoint(0, -120) << 13 << 3600.0;
        QTest::newRow("away, from 11") << 4 << QPoint(0, 120) << 10 << 43200.0;
        QTest::newRow("away, at 9") << 2 << QPoint(0, 120) << 9 << 86400.0;
        QTest::newRow("away, at 7") << 0 << QPoint(0, 120) << 7 << 86400.0;
        QTest::newRow("sideways") << 3 << QPoint(120, 0) << 10 << 43200.0;
    }

    void wheelZooms()
    {
        QFETCH(int, zoomOuts);
        QFETCH(QPoint, delta);
        QFETCH(int, level);
        QFETCH(double, span);
        CTimeSlider slider;
        Prepare(slider);
        for (int i = 0; i < zoomOuts; ++i)
            slider.OnSlotZoomOut();
        const QPointF at(300, 30);
        QWheelEvent e(at, slider.View()->mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(&slider, &e);  // as from the view, which passes it on
        QCOMPARE(slider.ZoomLevel(), level);
        QCOMPARE(slider.SpanMax() - slider.SpanMin(), span);
    }

    // The time under the mouse over the chart area; nothing beside it. While a drag runs the
    // mouse moves the span and the hover text stays.
    void hoverText()
    {
        CTimeSlider slider;
        Prepare(slider);
        QTest::mouseMove(slider.View(), QPoint(24 + 284, 30));
        QCOMPARE(slider.MouseText(), QStringLiteral("12:00:00"));
        QTest::mouseMove(slider.View(), QPoint(24 + 71, 30));
        QCOMPARE(slider.MouseText(), QStringLiteral("03:00:00"));
        QTest::mouseMove(slider.View(), QPoint(10, 30));  // the left margin
        QCOMPARE(slider.MouseText(), QStringLiteral(" "));
        slider.SetCurrentTime(At(0));  // the span reaches into the evening before
        QTest::mouseMove(slider.View(), QPoint(24 + 71, 30));
        QCOMPARE(slider.MouseText(), QStringLiteral("15:00:00"));
        QTest::mousePress(slider.View(), Qt::LeftButton, {}, QPoint(308, 30));
        QTest::mouseMove(slider.View(), QPoint(208, 30));
        QCOMPARE(slider.MouseText(), QStringLiteral("15:00:00"));
        QVERIFY(slider.IsMoving());
        QTest::mouseRelease(slider.View(), Qt::LeftButton, {}, QPoint(208, 30));
        QVERIFY(!slider.IsMoving());
    }

    // The slider hears of the mouse through its view. Leaving and coming back within 500 ms
    // reports neither; while the tag menu is open, leaving is reported only once it closes.
    // Not shown, so that only the events sent here reach it.
    void enterAndLeaveThroughTheView()
    {
        CTagTimeSlider slider;
        slider.SetDate(kDay);
        slider.View()->resize(600, 60);
        slider.SetTags({Tag(At(8), At(9), QStringLiteral("gate"))});
        slider.View()->Redraw();
        QSignalSpy entered(&slider, &CTimeSlider::MouseEnter);
        QSignalSpy left(&slider, &CTimeSlider::MouseLeave);
        QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(slider.View(), &enter);
        QCOMPARE(entered.count(), 1);
        QApplication::sendEvent(slider.View(), &leave);
        QApplication::sendEvent(slider.View(), &enter);
        QTest::qWait(600);
        QCOMPARE(entered.count(), 1);
        QCOMPARE(left.count(), 0);

        int leftWhileOpen = -1;
        slider.SetMenuRunner([&](QMenu&) {
            QApplication::sendEvent(slider.View(), &leave);
            QTest::qWait(600);
            leftWhileOpen = int(left.count());
        });
        slider.RightMouseResponse(QPoint(220, 15));
        QCOMPARE(leftWhileOpen, 0);
        QVERIFY(left.wait(2000));
        QCOMPARE(left.count(), 1);
    }

    void barsFromSegments()
    {
        CTimeSlider slider;
        slider.SetDate(kDay);
        CTimeSegment plain(At(8), At(9));
        CTimeSegment typed(At(10), At(11));
        typed.SetData(2, 132);
        typed.SetData(QBrush(Qt::red), 133);
        slider.SetRecordSegments(
            {plain, typed, CTimeSegment(At(8, 0, 0, kDay.addDays(2)), At(9, 0, 0, kDay.addDays(2)))});
        QCOMPARE(slider.Bars()->BarCount(), 2);
        QCOMPARE(slider.Bars()->Bars().value(0).at(0).brush.color(), QColor(131, 131, 131));
        QCOMPARE(slider.Bars()->Bars().value(0).at(0).begin, QPoint(28800, 29));
        QCOMPARE(slider.Bars()->Bars().value(2).at(0).brush.color(), QColor(Qt::red));
        slider.ClearSegments();
        QCOMPARE(slider.Bars()->BarCount(), 0);
    }

    void tagClickAndMenu()
    {
        CTagTimeSlider slider;
        Prepare(slider);
        slider.SetTags({Tag(At(8), At(9), QStringLiteral("gate")), Tag(QDateTime(), At(9), QStringLiteral("bad"))});
        QCOMPARE(slider.Tags()->TagCount(), 1);
        slider.View()->Redraw();
        QSignalSpy one(&slider, qOverload<time_t>(&CTimeSlider::MouseClick));
        // The pin of the 08:00 tag stands at x 213, from y 9, 18 x 18.
        QTest::mouseClick(slider.View(), Qt::LeftButton, {}, QPoint(220, 15));
        QCOMPARE(one.count(), 1);
        QCOMPARE(one.at(0).at(0).value<time_t>(), time_t(At(8).toSecsSinceEpoch()));
        QVERIFY(!slider.IsMoving());

        int menus = 0;
        slider.SetMenuRunner([&menus](QMenu&) { ++menus; });
        slider.RightMouseResponse(QPoint(400, 15));  // away from every tag: no menu
        QCOMPARE(menus, 0);
        slider.RightMouseResponse(QPoint(220, 15));
        QCOMPARE(menus, 1);
        QCOMPARE(slider.TagKey(), -1);
    }

    void deleteOnlyAfterYes()
    {
        CTagTimeSlider slider;
        Prepare(slider);
        slider.SetTags({Tag(At(8), At(9), QStringLiteral("gate"))});
        slider.View()->Redraw();
        QSignalSpy deleted(&slider, &CTagTimeSlider::SignalDelTag);
        CPromptScript prompts;
        prompts.Then(0).Then(1);  // Cancel, then OK
        slider.SetMenuRunner([&slider](QMenu&) { slider.DeleteAction()->trigger(); });
        slider.RightMouseResponse(QPoint(220, 15));
        QCOMPARE(prompts.Texts(CPrompt::Question),
                 QStringList{QStringLiteral("Are you sure you want to delete the tag?")});
        QCOMPARE(slider.Tags()->TagCount(), 1);
        QCOMPARE(deleted.count(), 0);
        slider.RightMouseResponse(QPoint(220, 15));
        QCOMPARE(slider.Tags()->TagCount(), 0);
        QCOMPARE(deleted.count(), 1);
        QCOMPARE(deleted.at(0).at(0).value<time_t>(), time_t(At(8).toSecsSinceEpoch()));
        // Another day and back: the deleted tag stays deleted.
        slider.SetDate(kDay.addDays(1));
        slider.SetDate(kDay);
        QCOMPARE(slider.Tags()->TagCount(), 0);
    }

    // Bars and tags of several days are kept: each day shows its own.
    void switchingDays()
    {
        CTagTimeSlider slider;
        slider.SetDate(kDay);
        const QDate next = kDay.addDays(1);
        slider.SetRecordSegments({CTimeSegment(At(8), At(9)), CTimeSegment(At(10), At(11)),
                                  CTimeSegment(At(8, 0, 0, next), At(9, 0, 0, next))});
        slider.SetTags({Tag(At(8, 0, 0, next), At(8, 30, 0, next), QStringLiteral("next"))});
        QCOMPARE(slider.Bars()->BarCount(), 2);
        QCOMPARE(slider.Tags()->TagCount(), 0);
        slider.SetDate(next);
        QCOMPARE(slider.Bars()->BarCount(), 1);
        QCOMPARE(slider.Tags()->TagCount(), 1);
        QCOMPARE(slider.Tags()->TagName(28800), QStringLiteral("next"));
        slider.ClearSegments();
        slider.SetDate(kDay);
        QCOMPARE(slider.Bars()->BarCount(), 0);
    }

    void editRenames()
    {
        CTagTimeSlider slider;
        Prepare(slider);
        slider.SetTags({Tag(At(8), At(9), QStringLiteral("gate"))});
        slider.View()->Redraw();
        QSignalSpy renamed(&slider, &CTagTimeSlider::SignalSetTagLable);
        QSignalSpy begun(&slider, &CTagTimeSlider::SignalBeginEditTag);
        QSignalSpy ended(&slider, &CTagTimeSlider::SignalEndEditTag);
        QString shownTime, shownName;
        CPromptScript prompts;
        prompts.Then([&](const CPrompt& prompt) {
            auto* d = qobject_cast<CLineEditDialog*>(prompt.dialog.data());
            if (!d)
                return 0;
            shownTime = d->TimeField()->text();
            shownName = d->NameField()->text();
            d->NameField()->setText(QStringLiteral("back gate"));
            return 1;  // OK
        });
        slider.SetMenuRunner([&slider](QMenu&) { slider.EditAction()->trigger(); });
        slider.RightMouseResponse(QPoint(220, 15));
        QCOMPARE(shownTime, QStringLiteral("2024-01-30 08:00:00"));
        QCOMPARE(shownName, QStringLiteral("gate"));
        QCOMPARE(begun.count(), 1);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(renamed.count(), 1);
        QCOMPARE(renamed.at(0).at(0).toString(), QStringLiteral("back gate"));
        QCOMPARE(renamed.at(0).at(1).value<time_t>(), time_t(At(8).toSecsSinceEpoch()));
    }

    void editorRefusesBlankNames()
    {
        CLineEditDialog dialog;
        QCOMPARE(dialog.size(), QSize(280, 210));
        dialog.SetTagName(QStringLiteral("gate"));
        dialog.show();
        QSignalSpy saved(&dialog, &CLineEditDialog::SignalSaveInput);
        QSignalSpy closed(&dialog, &CLineEditDialog::SignalClosed);
        dialog.NameField()->setText(QStringLiteral("   "));
        dialog.done(QDialog::Accepted);
        QVERIFY(dialog.isVisible());  // stays open
        QCOMPARE(closed.count(), 0);
        dialog.NameField()->setText(QStringLiteral(" gate "));
        dialog.done(QDialog::Accepted);  // unchanged after trimming: closes, nothing saved
        QVERIFY(!dialog.isVisible());
        QCOMPARE(saved.count(), 0);
        QCOMPARE(closed.count(), 1);
    }

    void nameLimitInBytes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("state");
        QTest::addColumn<QString>("after");
        const QString forty(40, QLatin1Char('a'));
        QTest::newRow("40 bytes") << forty << int(QValidator::Acceptable) << forty;
        QTest::newRow("41 bytes: the last typed goes") << forty + "b" << int(QValidator::Intermediate) << forty;
        const QString wide = QString(13, QChar(0x95e8));  // 39 bytes in UTF-8
        QTest::newRow("13 wide characters") << wide << int(QValidator::Acceptable) << wide;
        QTest::newRow("14 wide characters") << wide + QChar(0x95e8) << int(QValidator::Intermediate) << wide;
    }

    void nameLimitInBytes()
    {
        QFETCH(QString, text);
        QFETCH(int, state);
        QFETCH(QString, after);
        CLineEditDialog dialog;
        const QValidator* validator = dialog.NameField()->validator();
        QVERIFY(validator);
        int pos = int(text.size());
        QCOMPARE(int(validator->validate(text, pos)), state);
        QCOMPARE(text, after);
    }
};

QTEST_MAIN(TestTimeSlider)
#include "tst_time_slider.moc"
