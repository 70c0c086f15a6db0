// Time-line figures (offscreen raster):
//   paint: one render of the chart (16 rows of 2,000 recordings each on the shown day, all rows
//     in view) at every zoom level, median and worst;
//   click: a press and release over a row, from the mouse event to the emitted MouseClick,
//     median and worst.
// bench_timeline [--rounds N] (N renders per zoom level, 60 by default)
// The last line reads "paint 16x2000 widest median_ms=<number>".
#include "timeline/MultiChartView.h"
#include "timeline/MultiTimeSlider.h"
#include "timeline/RecordTypes.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTextStream>

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

struct Figures {
    double median_ms;
    double worst_ms;
};

Figures Summarise(std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], ms.back()};
}

// 2,000 recordings per row over the day: lengths of 10 to 60 s with gaps of 0 to 25 s, record
// types 1 to 12.
TimeSegmentRows MakeRows(const QDate& day)
{
    QRandomGenerator random(2024);
    TimeSegmentRows rows;
    const QDateTime origin = day.startOfDay();
    for (int r = 0; r < Timeline::kRowCount; ++r) {
        QList<CTimeSegment>& list = rows[r];
        qint64 t = random.bounded(30);
        for (int i = 0; i < 2000; ++i) {
            const qint64 length = 10 + random.bounded(51);
            const int type = 1 + int(random.bounded(12));
            list.append(RecordTypes::MakeSegment(origin.addSecs(t), origin.addSecs(t + length), type));
            t += length + random.bounded(26);
        }
    }
    return rows;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int rounds = 60;
    for (int i = 1; i < argc; ++i)
        if (!std::strcmp(argv[i], "--rounds") && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
    QApplication app(argc, argv);
    QTextStream out(stdout);

    const QDate day(2024, 1, 30);
    CMultiTimeSlider slider;
    slider.SetChannelCount(16);
    slider.SetDate(day);
    slider.SetRecordSegments(MakeRows(day));
    // All sixteen rows in view: one pixel per vertical unit down to the last row.
    slider.resize(1077, 412);
    slider.show();
    QCoreApplication::processEvents();
    CMultiChartView* view = slider.View();
    view->VerticalAxis().SetRange(0, 412);

    double widest = 0;
    for (int level = Timeline::kZoomWidest; level <= Timeline::kZoomNarrowest; ++level) {
        slider.SetZoomLevel(level);
        slider.SetCurrentTime(QDateTime(day, QTime(12, 0)));
        std::vector<double> ms;
        for (int i = 0; i < rounds; ++i) {
            QElapsedTimer timer;
            timer.start();
            view->Redraw();
            ms.push_back(timer.nsecsElapsed() / 1e6);
        }
        const Figures f = Summarise(ms);
        if (level == Timeline::kZoomMultiWidest)
            widest = f.median_ms;
        out << QStringLiteral("paint level %1 (%2 h): median_ms=%3 worst_ms=%4\n")
                   .arg(level)
                   .arg(Timeline::ZoomFor(level).span_s / 3600)
                   .arg(f.median_ms, 0, 'f', 3)
                   .arg(f.worst_ms, 0, 'f', 3);
        out.flush();
    }

    // Clicks over random rows and times at the widest span.
    slider.SetZoomLevel(Timeline::kZoomMultiWidest);
    slider.SetCurrentTime(QDateTime(day, QTime(12, 0)));
    view->Redraw();
    int emitted = 0;
    QObject::connect(&slider, &CMultiTimeSlider::MouseClick, [&emitted](int, time_t) { ++emitted; });
    QRandomGenerator random(7);
    std::vector<double> clickMs;
    const int clicks = 2000;
    for (int i = 0; i < clicks; ++i) {
        const int row = int(random.bounded(16));
        const QPointF pos(112 + random.bounded(864), Timeline::RowBarTop(row) + 5);
        QMouseEvent press(QEvent::MouseButtonPress, pos, view->mapToGlobal(pos), Qt::LeftButton, Qt::LeftButton,
                          Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, pos, view->mapToGlobal(pos), Qt::LeftButton, Qt::NoButton,
                            Qt::NoModifier);
        QCoreApplication::sendEvent(view, &press);
        QElapsedTimer timer;
        timer.start();
        QCoreApplication::sendEvent(view, &release);
        clickMs.push_back(timer.nsecsElapsed() / 1e6);
        QCoreApplication::removePostedEvents(view);  // the redraw after the click is not measured
    }
    const Figures c = Summarise(clickMs);
    out << QStringLiteral("click 16x2000 release-to-emit: median_ms=%1 worst_ms=%2 (%3 of %4 clicks emitted)\n")
               .arg(c.median_ms, 0, 'f', 4)
               .arg(c.worst_ms, 0, 'f', 4)
               .arg(emitted)
               .arg(clicks);
    out << QStringLiteral("paint 16x2000 widest median_ms=%1\n").arg(widest, 0, 'f', 3);
    return 0;
}
