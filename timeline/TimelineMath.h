// The arithmetic of the time lines, free of widgets: the shown day, the zoom table, the visible
// span with its limits (zoom, move buttons, drag, centring), pixel/time mapping, the axis ticks
// and their clock labels, and the projection of a recording span onto the shown day.
//
// Axis values are seconds elapsed since 00:00 of the shown day (negative before it). On a
// daylight-saving day the day is 23 or 25 hours long; labels are real clock times.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

namespace Timeline {

// How far the span may reach into the neighbouring days.
constexpr qint64 kNeighbour_s = 43200;

// ---- The shown day -------------------------------------------------------------------------
class DayWindow {
public:
    DayWindow() = default;
    explicit DayWindow(const QDate& date);

    bool IsValid() const { return m_begin.isValid(); }
    QDate Date() const { return m_begin.date(); }
    QDateTime Begin() const { return m_begin; }  // the origin: axis value 0
    QDateTime End() const { return m_end; }      // 00:00 of the next day
    qint64 OriginSecs() const { return m_begin.toSecsSinceEpoch(); }
    qint64 Length_s() const { return m_begin.secsTo(m_end); }  // 82800, 86400 or 90000
    qint64 LowerLimit() const { return -kNeighbour_s; }
    qint64 UpperLimit() const { return Length_s() + kNeighbour_s; }

    // A time taken into the day (before: the begin; after: the end), in seconds since 1970.
    qint64 ClampSecs(qint64 secs) const;
    // The local clock time at axis value `t`.
    QDateTime TimeAt(qint64 t) const { return m_begin.addSecs(t); }

private:
    QDateTime m_begin;
    QDateTime m_end;
};

// A recording span on the axis of a day: [x1, x2] seconds from the origin, x2 >= x1.
struct Projection {
    qint64 x1;
    qint64 x2;
};

// Clips [begin, end] to the day and places it on the axis. Nothing when either end is invalid,
// end is before begin, or the span does not touch the day (ends on its edges count as touching).
std::optional<Projection> Project(const DayWindow& day, const QDateTime& begin, const QDateTime& end);

// ---- Zoom -----------------------------------------------------------------------------------
struct ZoomLevel {
    int span_s;      // visible span
    int tickStep_s;  // -1: no ticks
};
constexpr int kZoomWidest = 7;
constexpr int kZoomNarrowest = 13;
constexpr int kZoomMultiWidest = 9;  // the widest level the sliders' zoom-in reaches
// Levels 7..13: 24, 24, 24, 12, 6, 2, 1 hours; ticks 43200, 21600, 7200, 3600, 1800, 600, 300 s.
// Any other level: 24 hours without ticks.
ZoomLevel ZoomFor(int level);

// ---- The visible span ---------------------------------------------------------------------
class TimeSpan {
public:
    void SetLimits(qint64 lower, qint64 upper)
    {
        m_lower = lower;
        m_upper = upper;
    }
    qint64 Lower() const { return m_lower; }
    qint64 Upper() const { return m_upper; }

    void SetRange(double min, double max)
    {
        m_min = min;
        m_max = max;
    }
    double Min() const { return m_min; }
    double Max() const { return m_max; }
    double Width() const { return m_max - m_min; }
    double Centre() const { return (m_min + m_max) / 2; }

    // A span of `span_s` around the current centre, pushed inside the limits (lower first).
    void ApplySpan(double span_s);
    // Shift by `step_s`, the far end held at the limit; the width is kept.
    void MoveRight(int step_s);
    void MoveLeft(int step_s);
    // Centred on `t`, width kept, no limit check.
    void CentreOn(double t);

    // Drag: a press at pixel x of a panel [left, left + width). False (and nothing kept) when
    // the panel has no width.
    bool BeginDrag(int x, int left, int width);
    // The span follows the pointer, held inside the limits. Nothing without a begun drag.
    void DragTo(int x, int left, int width);
    bool Dragged() const { return m_dragging && m_min != m_savedMin; }
    void EndDrag() { m_dragging = false; }
    double SavedMin() const { return m_savedMin; }
    double SavedMax() const { return m_savedMax; }
    int PressOffset_s() const { return m_pressOffset_s; }

    // The value under pixel x (not truncated); nothing when the panel has no width.
    std::optional<double> ValueAt(int x, int left, int width) const;
    // The whole second under pixel x (truncated towards zero).
    std::optional<qint64> SecondAt(int x, int left, int width) const;

private:
    double m_min = 0;
    double m_max = 86400;
    qint64 m_lower = -kNeighbour_s;
    qint64 m_upper = 86400 + kNeighbour_s;
    double m_savedMin = 0;
    double m_savedMax = 0;
    int m_pressOffset_s = 0;
    bool m_dragging = false;
};

// ---- Ticks and labels ------------------------------------------------------------------------
struct Tick {
    qint64 t;       // axis value
    QString label;  // clock label
};
// Ticks every `step_s` from the first multiple of the step at or after `min` up to `max`.
// Labels: the hour ("0".."23", "24" at the end of a day) when the step is above 21600 s, else
// "hh:mm". With a valid `origin` the clock time is the real local time at origin + t (right on
// daylight-saving days); without one it is midnight plus t seconds, wrapping around the day.
QList<Tick> AxisTicks(double min, double max, int step_s, const QDateTime& origin);
// The clock time of axis value t as "hh:mm:ss" (hover text), by the same rule.
QString ClockText(qint64 t, const QDateTime& origin);

}  // namespace Timeline
