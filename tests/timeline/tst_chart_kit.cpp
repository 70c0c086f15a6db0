// The chart kit: axis mapping, bar visibility and clipping, the type filter, the drawn band,
// the tick series, and the multi-row view's buffer and scrolling.
#include "timeline/ChartKit.h"
#include "timeline/MultiChartView.h"

#include <QAbstractButton>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QtTest>

namespace {

// A panel of 100 x 50 pixels at the origin: 1 pixel per unit on both axes.
struct Panel : CAxisPanel {
    Panel()
    {
        SetPanelRect(QRect(0, 0, 100, 50));
        HorizontalAxis().SetRange(0, 100);
        VerticalAxis().SetReversed(false);
        VerticalAxis().SetRange(0, 50);
    }
    QImage Render()
    {
        QImage image(100, 50, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        QPainter p(&image);
        Draw(&p);
        return image;
    }
};

int FilledColumns(const QImage& image, int y, QRgb colour)
{
    int n = 0;
    for (int x = 0; x < image.width(); ++x)
        n += image.pixel(x, y) == colour;
    return n;
}

}  // namespace

class TestChartKit : public QObject {
    Q_OBJECT

private slots:
    void axisMapping_data()
    {
        QTest::addColumn<bool>("horizontal");
        QTest::addColumn<bool>("reversed");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("pixel");
        // Horizontal: the multi-row chart area (112, 0, 864, 124).
        QTest::newRow("08:15 over a day") << true << false << 0.0 << 86400.0 << 29700.0 << 409;
        QTest::newRow("left end") << true << false << 0.0 << 86400.0 << 0.0 << 112;
        QTest::newRow("right end") << true << false << 0.0 << 86400.0 << 86400.0 << 976;
        QTest::newRow("before the range") << true << false << 0.0 << 86400.0 << -8640.0 << 26;
        QTest::newRow("rounds half up") << true << false << 0.0 << 86400.0 << 50.0 << 113;
        QTest::newRow("min = max: centre") << true << false << 5.0 << 5.0 << 123.0 << 544;
        // Vertical, 124 pixels high.
        QTest::newRow("reversed bottom") << false << true << 0.0 << 124.0 << 0.0 << 124;
        QTest::newRow("reversed top") << false << true << 0.0 << 124.0 << 124.0 << 0;
        QTest::newRow("scrolled row 16") << false << false << 288.0 << 412.0 << 394.0 << 106;
    }

    void axisMapping()
    {
        QFETCH(bool, horizontal);
        QFETCH(bool, reversed);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(double, value);
        QFETCH(int, pixel);
        CAxisPanel panel;
        panel.SetPanelRect(QRect(112, 0, 864, 124));
        CChartAxis& axis = horizontal ? panel.HorizontalAxis() : panel.VerticalAxis();
        axis.SetReversed(reversed);
        axis.SetRange(min, max);
        axis.Layout();
        QCOMPARE(axis.ValueToPixel(value), pixel);
    }

    void panelOwnsSeries()
    {
        CAxisPanel panel;
        panel.AddSeries(new CAxisSeries);
        panel.AddSeries(new CTimeRectSeries);
        panel.InsertSeries(0, new CMouseTextSeries);
        QCOMPARE(panel.SeriesCount(), 3);
        QCOMPARE(panel.GetSeries(0)->GetType(), int(CChartSeries::kMouseText));
        QCOMPARE(panel.FindSeriesByType(CChartSeries::kTimeRect), panel.GetSeries(2));
        QVERIFY(!panel.FindSeriesByType(CChartSeries::kImage));
        QVERIFY(!panel.GetSeries(3));
        QVERIFY(!panel.GetSeries(-1));
        panel.RemoveSeries(7);
        panel.RemoveSeries(0);
        QCOMPARE(panel.SeriesCount(), 2);
        QCOMPARE(panel.GetSeries(0)->Panel(), &panel);
    }

    void barVisibilityAndClipping()
    {
        Panel panel;
        auto* bars = new CTimeRectSeries;
        panel.AddSeries(bars);
        // Entirely left of the range, ending exactly at its minimum: one pixel at the left edge.
        bars->AddRect(QPoint(-20, 0), QPoint(0, 10), QBrush(Qt::red), 0);
        // Across the whole range.
        bars->AddRect(QPoint(-10, 20), QPoint(200, 30), QBrush(Qt::green), 0);
        // Entirely right of it: not drawn.
        bars->AddRect(QPoint(101, 40), QPoint(150, 50), QBrush(Qt::blue), 0);
        const QImage image = panel.Render();
        QCOMPARE(FilledColumns(image, 5, qRgb(255, 0, 0)), 1);
        QCOMPARE(image.pixel(0, 5), qRgb(255, 0, 0));
        QCOMPARE(FilledColumns(image, 25, qRgb(0, 255, 0)), 100);
        QCOMPARE(FilledColumns(image, 45, qRgb(0, 0, 255)), 0);
        // The band is the last drawn bar's.
        QCOMPARE(bars->BandTop(), 20);
        QCOMPARE(bars->BandBottom(), 30);
    }

    void typeFilter_data()
    {
        QTest::addColumn<QList<int>>("filter");
        QTest::addColumn<int>("drawn");  // bars of types 0, 1, 2, 3 at rows 0, 10, 20, 30
        QTest::newRow("all") << QList<int>{-1} << 4;
        QTest::newRow("1 and 2") << QList<int>{1, 2} << 2;
        QTest::newRow("none") << QList<int>{} << 0;
    }

    void typeFilter()
    {
        QFETCH(QList<int>, filter);
        QFETCH(int, drawn);
        Panel panel;
        auto* bars = new CTimeRectSeries;
        panel.AddSeries(bars);
        for (int type = 0; type < 4; ++type)
            bars->AddRect(QPoint(10, 10 * type), QPoint(20, 10 * type + 5), QBrush(Qt::white), type);
        bars->SetFilter(filter);
        const QImage image = panel.Render();
        int n = 0;
        for (int type = 0; type < 4; ++type) {
            const bool shown = image.pixel(15, 10 * type + 2) == qRgb(255, 255, 255);
            QCOMPARE(shown, filter.contains(-1) || filter.contains(type));
            n += shown;
        }
        QCOMPARE(n, drawn);
        QCOMPARE(bars->HasVisibleBar(0, 100), drawn > 0);
        bars->Clear();
        QCOMPARE(bars->Filter(), QList<int>{-1});
        QCOMPARE(bars->BarCount(), 0);
    }

    void nothingVisibleHasNoBand()
    {
        Panel panel;
        auto* bars = new CTimeRectSeries;
        panel.AddSeries(bars);
        bars->AddRect(QPoint(200, 10), QPoint(300, 20), QBrush(Qt::white), 0);
        panel.Render();
        QCOMPARE(bars->BandTop(), -1);
        for (int y = 0; y < 50; y += 7)
            QVERIFY(!bars->HitTest(QPoint(50, y)));
        QVERIFY(!bars->HasVisibleBar(0, 100));
    }

    // Many short bars of one brush are filled in runs: the picture must be exactly that of
    // filling every bar on its own.
    void runsDrawLikeSingleBars()
    {
        Panel panel;
        panel.HorizontalAxis().SetRange(0, 10000);
        auto* bars = new CTimeRectSeries;
        panel.AddSeries(bars);
        QRandomGenerator random(7);
        const QBrush brushes[] = {QBrush(QColor(197, 113, 43)), QBrush(QColor(103, 121, 254))};
        struct Bar {
            int b, e, type;
            QBrush brush;
        };
        QList<Bar> all;
        int t = -200;
        for (int i = 0; i < 600; ++i) {
            const int b = t + int(random.bounded(40));
            const int e = b + int(random.bounded(60));
            const int type = int(random.bounded(2));
            const QBrush& brush = brushes[random.bounded(2)];
            bars->AddRect(QPoint(b, 10), QPoint(e, 22), brush, type);
            all.append({b, e, type, brush});
            t = b + int(random.bounded(30));
        }
        const QImage drawn = panel.Render();

        QImage expected(100, 50, QImage::Format_ARGB32_Premultiplied);
        expected.fill(Qt::black);
        QPainter p(&expected);
        const CChartAxis& x = panel.HorizontalAxis();
        for (int type = 0; type < 2; ++type) {
            for (const Bar& bar : all) {
                if (bar.type != type || !((0 <= bar.e && bar.e <= 10000) || (0 <= bar.b && bar.b <= 10000) ||
                                          (bar.b <= 0 && bar.e >= 10000)))
                    continue;
                const int x1 = x.ValueToPixel(std::max(0, bar.b));
                const int x2 = x.ValueToPixel(std::min(10000, bar.e));
                p.fillRect(x1, 10, std::max(1, x2 - x1), 12, bar.brush);
            }
        }
        p.end();
        QCOMPARE(drawn, expected);
    }

    void axisTicks()
    {
        Panel panel;
        panel.HorizontalAxis().SetRange(0, 86400);
        auto* axis = new CAxisSeries;
        axis->SetTickColour(Qt::white);
        axis->SetTickBaseY(44);
        panel.AddSeries(axis);
        QImage blank(100, 50, QImage::Format_ARGB32_Premultiplied);
        blank.fill(Qt::black);
        QCOMPARE(panel.Render(), blank);  // step -1: nothing
        axis->SetStep(43200);
        const QImage image = panel.Render();
        // Ticks 2 px wide, 7 high from y 21: the first a pixel right of the start, the last a
        // pixel left of the end, the middle one at its place.
        for (int x : {0, 1, 49, 50, 98, 99})
            QCOMPARE(image.pixel(x, 24), qRgb(255, 255, 255));
        QCOMPARE(image.pixel(2, 24), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(97, 24), qRgb(0, 0, 0));
        QCOMPARE(image.pixel(50, 28), qRgb(0, 0, 0));
    }

    void mouseTextClear()
    {
        CMouseTextSeries text;
        text.SetText(10, QStringLiteral("08:00:00"));
        text.Clear();
        QCOMPARE(text.Text(), QStringLiteral(" "));
    }

    void viewRowsAndScrolling()
    {
        CMultiChartView view;
        view.resize(0, 0);
        view.Redraw();
        QCOMPARE(view.RedrawCount(), 0);  // empty size: no rendering
        view.resize(1077, 124);
        view.show();
        QVERIFY(view.RedrawCount() > 0);
        QCOMPARE(view.BackBuffer().size(), QSize(1077, 124) * view.devicePixelRatioF());
        QCOMPARE(view.PanelRect(), QRect(112, 0, 864, 124));

        view.SetRowCount(16);
        QScrollBar* bar = view.ScrollBar();
        QVERIFY(bar->isVisible());
        QCOMPARE(bar->minimum(), 0);
        QCOMPARE(bar->maximum(), 288);
        QCOMPARE(bar->singleStep(), 24);
        bar->setValue(288);
        double lo = 0, hi = 0;
        view.VerticalAxis().GetRange(&lo, &hi);
        QCOMPARE(lo, 288.0);
        QCOMPARE(hi, 412.0);

        view.SetRowCount(4);
        QVERIFY(!bar->isVisible());
        view.resize(1077, 100);  // 4 x 24 + 26 = 122 > 100
        QVERIFY(bar->isVisible());
    }

    void viewButtons()
    {
        CMultiChartView view;
        view.resize(1077, 124);
        view.show();
        QSignalSpy left(&view, &CMultiChartView::SignalMoveLeft);
        QSignalSpy zoomIn(&view, &CMultiChartView::SignalZoomIn);
        QSignalSpy released(&view, &CMultiChartView::SignalDelayRelease);
        QTest::mouseClick(view.MoveLeftButton(), Qt::LeftButton);
        QTest::mouseClick(view.MoveLeftButton(), Qt::LeftButton);
        QTest::mouseClick(view.ZoomInButton(), Qt::LeftButton);
        QCOMPARE(left.count(), 2);
        QCOMPARE(zoomIn.count(), 1);
        // The move buttons' delayed release (2000 ms after the last release) is passed on.
        QMetaObject::invokeMethod(view.MoveRightButton(), "SignalDelayRelease");
        QCOMPARE(released.count(), 1);
        QCOMPARE(view.MoveLeftButton()->pos(), QPoint(77, 4));
        QCOMPARE(view.ZoomInButton()->pos(), QPoint(1077 - 36, 4));
    }
};

QTEST_MAIN(TestChartKit)
#include "tst_chart_kit.moc"
