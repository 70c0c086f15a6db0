#include "timeline/TimelineMath.h"

#include <QTime>

#include <algorithm>
#include <cmath>

namespace Timeline {

DayWindow::DayWindow(const QDate& date)
{
    if (!date.isValid())
        return;
    // startOfDay: a day whose midnight does not exist begins at its first valid time.
    m_begin = date.startOfDay();
    m_end = date.addDays(1).startOfDay();
}

qint64 DayWindow::ClampSecs(qint64 secs) const
{
    return std::clamp(secs, m_begin.toSecsSinceEpoch(), m_end.toSecsSinceEpoch());
}

std::optional<Projection> Project(const DayWindow& day, const QDateTime& begin, const QDateTime& end)
{
    if (!day.IsValid() || !begin.isValid() || !end.isValid())
        return std::nullopt;
    const qint64 b = begin.toSecsSinceEpoch();
    const qint64 e = end.toSecsSinceEpoch();
    if (e < b)
        return std::nullopt;
    const qint64 db = day.Begin().toSecsSinceEpoch();
    const qint64 de = day.End().toSecsSinceEpoch();
    const bool touches = (db <= b && b <= de) || (db <= e && e <= de) || (b < db && e > de);
    if (!touches)
        return std::nullopt;
    const qint64 cb = std::max(b, db);
    const qint64 ce = std::min(e, de);
    return Projection{cb - db, ce - db};
}

ZoomLevel ZoomFor(int level)
{
    switch (level) {
    case 7:
        return {24 * 3600, 43200};
    case 8:
        return {24 * 3600, 21600};
    case 9:
        return {24 * 3600, 7200};
    case 10:
        return {12 * 3600, 3600};
    case 11:
        return {6 * 3600, 1800};
    case 12:
        return {2 * 3600, 600};
    case 13:
        return {1 * 3600, 300};
    default:
        return {24 * 3600, -1};
    }
}

void TimeSpan::ApplySpan(double span_s)
{
    const double c = Centre();
    double nmin = c - span_s / 2;
    const double nmax = c + span_s / 2;
    if (nmin < double(m_lower))
        nmin = double(m_lower);
    else if (nmax > double(m_upper))
        nmin = double(m_upper) - span_s;
    SetRange(nmin, nmin + span_s);
}

void TimeSpan::MoveRight(int step_s)
{
    const double w = Width();
    double max = m_max + step_s;
    if (max > double(m_upper))
        max = double(m_upper);
    SetRange(max - w, max);
}

void TimeSpan::MoveLeft(int step_s)
{
    const double w = Width();
    double min = m_min - step_s;
    if (min < double(m_lower))
        min = double(m_lower);
    SetRange(min, min + w);
}

void TimeSpan::CentreOn(double t)
{
    const double w = Width();
    SetRange(t - w / 2, t + w / 2);
}

bool TimeSpan::BeginDrag(int x, int left, int width)
{
    m_dragging = false;
    if (width <= 0)
        return false;
    m_savedMin = m_min;
    m_savedMax = m_max;
    m_pressOffset_s = int(std::trunc(double(x - left) * (m_savedMax - m_savedMin) / width));
    m_dragging = true;
    return true;
}

void TimeSpan::DragTo(int x, int left, int width)
{
    if (!m_dragging || width <= 0)
        return;
    const double d = std::trunc(double(x - left) * Width() / width - m_pressOffset_s);
    const double savedWidth = m_savedMax - m_savedMin;
    if (d >= 0) {
        // Dragged right: towards earlier times, held at the lower limit.
        if (m_savedMin - d >= double(m_lower))
            SetRange(m_savedMin - d, m_savedMax - d);
        else
            SetRange(double(m_lower), double(m_lower) + savedWidth);
    } else {
        const double bound = double(m_upper);
        if (m_savedMax - d > bound)
            SetRange(bound - savedWidth, bound);
        else
            SetRange(m_savedMin - d, m_savedMax - d);
    }
}

std::optional<double> TimeSpan::ValueAt(int x, int left, int width) const
{
    if (width <= 0)
        return std::nullopt;
    return double(x - left) * Width() / width + m_min;
}

std::optional<qint64> TimeSpan::SecondAt(int x, int left, int width) const
{
    const std::optional<double> v = ValueAt(x, left, width);
    if (!v)
        return std::nullopt;
    return qint64(std::trunc(*v));
}

namespace {

// The clock time at t, and whether t is the end of a day (a positive t at 00:00).
QTime ClockAt(qint64 t, const QDateTime& origin, bool* dayEnd)
{
    if (origin.isValid()) {
        const QTime time = origin.addSecs(t).time();
        *dayEnd = t > 0 && time == QTime(0, 0);
        return time;
    }
    const qint64 wrapped = ((t % 86400) + 86400) % 86400;
    *dayEnd = t > 0 && wrapped == 0;
    return QTime(0, 0).addSecs(int(wrapped));
}

}  // namespace

QList<Tick> AxisTicks(double min, double max, int step_s, const QDateTime& origin)
{
    QList<Tick> ticks;
    if (step_s <= 0 || !(max >= min))
        return ticks;
    double t0 = min - double(qint64(std::trunc(min)) % step_s);
    if (t0 < min)
        t0 += step_s;
    const bool hours = step_s > 21600;
    for (qint64 t = qint64(std::trunc(t0)); double(t) <= max; t += step_s) {
        bool dayEnd = false;
        const QTime time = ClockAt(t, origin, &dayEnd);
        QString label;
        if (hours)
            label = dayEnd ? QStringLiteral("24") : QString::number(time.hour());
        else
            label = dayEnd ? QStringLiteral("00:00") : time.toString(QStringLiteral("hh:mm"));
        ticks.append({t, label});
    }
    return ticks;
}

QString ClockText(qint64 t, const QDateTime& origin)
{
    bool dayEnd = false;
    return ClockAt(t, origin, &dayEnd).toString(QStringLiteral("hh:mm:ss"));
}

}  // namespace Timeline
