#include "timeline/ChartKit.h"

#include "timeline/TimelineMath.h"

#include <QCoreApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

#include <algorithm>
#include <cmath>
#include <utility>

// ---- Varpen::CUpdateBatch -------------------------------------------------------------------------

void Varpen::CUpdateBatch::Post(QObject* view, int n)
{
    if (std::exchange(m_posted, true))
        return;
    QCoreApplication::postEvent(view, n == 0 ? new CUpdateEvent() : new CUpdateEvent(n));
}

// ---- CChartAxis ---------------------------------------------------------------------------------

void CChartAxis::Layout()
{
    if (!panel)
        return;
    const QRect r = panel->PanelRect();
    if (horizontal)
        LayoutOver(r.left(), panel->PanelWidth());
    else
        LayoutOver(r.top(), panel->PanelHeight());
}

void CChartAxis::LayoutOver(int startPixel, int lengthPixels)
{
    start = startPixel;
    end = startPixel + lengthPixels;
    length = end - start;
    centre = (start + end) / 2;
    range = max - min;
    scale = range > 0 ? length / range : 0.0;
}

int CChartAxis::ValueToPixel(double v) const
{
    if (range == 0)
        return centre;
    if (reversed)
        return start + qRound((max - v) * scale);
    return start + qRound((v - min) * scale);
}

double CChartAxis::PixelToValue(int p) const
{
    if (length == 0)
        return min;
    const double d = double(p - start) * range / length;
    return horizontal ? min + d : max - d;
}

// ---- CAxisPanel ---------------------------------------------------------------------------------

CAxisPanel::CAxisPanel()
{
    m_yAxis.panel = this;
    m_yAxis.horizontal = false;
    m_yAxis.reversed = true;
    m_xAxis.panel = this;
    m_xAxis.horizontal = true;
    m_xAxis.reversed = false;
}

CAxisPanel::~CAxisPanel()
{
    ClearSeries();
}

void CAxisPanel::Draw(QPainter* painter)
{
    m_yAxis.Layout();
    m_xAxis.Layout();
    for (CChartSeries* s : std::as_const(m_series))
        s->Draw(painter);
}

void CAxisPanel::Adopt(CChartSeries* series)
{
    series->m_panel = this;
    series->m_xAxis = &m_xAxis;
    series->m_yAxis = &m_yAxis;
}

void CAxisPanel::AddSeries(CChartSeries* series)
{
    if (!series)
        return;
    Adopt(series);
    m_series.append(series);
}

void CAxisPanel::InsertSeries(int index, CChartSeries* series)
{
    if (!series)
        return;
    Adopt(series);
    m_series.insert(std::clamp(index, 0, int(m_series.size())), series);
}

CChartSeries* CAxisPanel::GetSeries(int index) const
{
    if (index < 0 || index >= m_series.size())
        return nullptr;
    return m_series.at(index);
}

CChartSeries* CAxisPanel::FindSeriesByType(int type) const
{
    for (CChartSeries* s : m_series)
        if (s->GetType() == type)
            return s;
    return nullptr;
}

void CAxisPanel::FindAllSeriesByType(int type, QVector<CChartSeries*>* out) const
{
    for (CChartSeries* s : m_series)
        if (s->GetType() == type)
            out->append(s);
}

void CAxisPanel::RemoveSeries(int index)
{
    if (index < 0 || index >= m_series.size())
        return;
    delete m_series.takeAt(index);
}

void CAxisPanel::ClearSeries()
{
    const QVector<CChartSeries*> all = std::exchange(m_series, {});
    qDeleteAll(all);
}

// ---- CChartSeries -------------------------------------------------------------------------------

void CChartSeries::Clear()
{
    m_x.clear();
    m_y.clear();
}

void CChartSeries::SetPoint(int index, double x, double y)
{
    if (index < 0 || index >= m_x.size())
        return;
    m_x[index] = x;
    m_y[index] = y;
}

int CChartSeries::XToPixel(int index) const
{
    return XValueToPixel(m_x.value(index));
}
int CChartSeries::YToPixel(int index) const
{
    return YValueToPixel(m_y.value(index));
}
int CChartSeries::XValueToPixel(double v) const
{
    return m_xAxis ? m_xAxis->ValueToPixel(v) : 0;
}
int CChartSeries::YValueToPixel(double v) const
{
    return m_yAxis ? m_yAxis->ValueToPixel(v) : 0;
}
double CChartSeries::XPixelToValue(int p) const
{
    return m_xAxis ? m_xAxis->PixelToValue(p) : 0;
}
double CChartSeries::YPixelToValue(int p) const
{
    return m_yAxis ? m_yAxis->PixelToValue(p) : 0;
}

double CChartSeries::MaxX() const
{
    return m_x.isEmpty() ? 0 : *std::max_element(m_x.begin(), m_x.end());
}
double CChartSeries::MinX() const
{
    return m_x.isEmpty() ? 0 : *std::min_element(m_x.begin(), m_x.end());
}
double CChartSeries::MaxY() const
{
    return m_y.isEmpty() ? 0 : *std::max_element(m_y.begin(), m_y.end());
}
double CChartSeries::MinY() const
{
    return m_y.isEmpty() ? 0 : *std::min_element(m_y.begin(), m_y.end());
}

// ---- CBackGroundSeries --------------------------------------------------------------------------

void CBackGroundSeries::Draw(QPainter* painter)
{
    const int width = m_panel->PanelWidth() + 300;
    const QPen black(QColor(0, 0, 0));
    painter->setPen(black);
    for (int i = 0; i < PointCount(); ++i) {
        const int y = YToPixel(i);
        if (y >= 28)
            painter->drawLine(1, y, width, y);
        painter->save();
        painter->setPen(QPen(QBrush(QColor(114, 114, 114)), 2.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
        if (i < m_labels.size())
            painter->drawText(QRect(5, y, 112, 24), Qt::AlignLeft | Qt::AlignVCenter, m_labels.at(i));
        painter->restore();
    }
    painter->setBrush(QColor(0, 0, 0));
    painter->setPen(black);
    painter->drawRect(0, 0, width, 28);
    painter->setPen(QPen(QBrush(QColor(0, 0, 0)), 1.0, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    const int h = m_panel->PanelHeight();
    painter->drawLine(72, 0, 72, h);
    painter->drawLine(0, 0, 0, h);
}

// ---- CAxisSeries --------------------------------------------------------------------------------

CAxisSeries::CAxisSeries()
{
    m_labelFont.setPointSize(7);
}

void CAxisSeries::Draw(QPainter* painter)
{
    if (m_step == -1)
        return;
    painter->setPen(m_labelColour);
    const double min = m_xAxis->min;
    const double max = m_xAxis->max;
    const QList<Timeline::Tick> ticks = Timeline::AxisTicks(min, max, m_step, m_origin);
    for (const Timeline::Tick& tick : ticks) {
        int x = XValueToPixel(double(tick.t));
        if (double(tick.t) == max)
            x -= 1;
        else if (double(tick.t) == min)
            x += 1;
        painter->fillRect(x - 1, m_tickBaseY - 23, m_tickWidth, m_tickHeight, m_tickColour);

        if (!m_styleFlag) {
            painter->setFont(m_labelFont);
            painter->setPen(QColor(81, 81, 81));
        }
        QRect box = painter->boundingRect(QRect(x, m_labelY, 15, 8), Qt::AlignLeft, tick.label);
        box.moveCenter(QPoint(x, box.center().y()));
        if (m_styleFlag)
            box.adjust(-box.width() / 2, -6, -box.width() / 2, 0);
        if (box.isValid())
            painter->drawText(box, tick.label, QTextOption());
    }
}

// ---- CMouseTextSeries ---------------------------------------------------------------------------

void CMouseTextSeries::Clear()
{
    m_text = QStringLiteral(" ");
    CChartSeries::Clear();
}

void CMouseTextSeries::Draw(QPainter* painter)
{
    if (m_text.isEmpty() || m_value < m_xAxis->min || m_value > m_xAxis->max)
        return;
    painter->setPen(m_colour);
    const int x = XValueToPixel(m_value);
    const QRect box = painter->boundingRect(QRect(x, 10, 15, 8), Qt::AlignLeft, m_text);
    if (box.isValid())
        painter->drawText(box, m_text, QTextOption());
}

// ---- CTimeRectSeries ----------------------------------------------------------------------------

namespace {

bool Visible(double b, double e, double min, double max)
{
    return (min <= e && e <= max) || (min <= b && b <= max) || (b <= min && e >= max);
}

}  // namespace

void CTimeRectSeries::Clear()
{
    m_bars.clear();
    m_filter = {-1};
}

void CTimeRectSeries::AddRect(const QPoint& begin, const QPoint& end, const QBrush& brush, int type)
{
    m_bars[type].append(TimeRect{begin, end, brush, type});
}

void CTimeRectSeries::Draw(QPainter* painter)
{
    m_bandTop = -1;
    m_bandBottom = -1;
    const double min = m_xAxis->min;
    const double max = m_xAxis->max;

    // Neighbouring bars of one brush that meet or overlap in pixels are filled as one rectangle:
    // at a wide zoom thousands of short recordings fall on a few hundred pixels.
    struct Run {
        int x = 0, right = 0, top = 0, height = 0;
        const QBrush* brush = nullptr;
        bool open = false;
    } run;
    auto flush = [&] {
        if (run.open)
            painter->fillRect(run.x, run.top, run.right - run.x, run.height, *run.brush);
        run.open = false;
    };

    for (auto it = m_bars.cbegin(); it != m_bars.cend(); ++it) {
        if (!Passes(it.key()))
            continue;
        for (const TimeRect& r : it.value()) {
            const double b = r.begin.x();
            const double e = r.end.x();
            if (!Visible(b, e, min, max))
                continue;
            const int x1 = XValueToPixel(std::max(min, b));
            const int x2 = XValueToPixel(std::min(max, e));
            int top = r.begin.y();
            int bottom = r.end.y();
            if (m_mapY) {
                top = YValueToPixel(top);
                bottom = YValueToPixel(bottom);
            }
            m_bandTop = top;
            m_bandBottom = bottom;
            const int w = std::max(1, x2 - x1);
            const int h = r.end.y() - r.begin.y();
            if (run.open && run.top == top && run.height == h && x1 <= run.right &&
                (run.brush == &r.brush || *run.brush == r.brush) && r.brush.isOpaque()) {
                run.right = std::max(run.right, x1 + w);
                continue;
            }
            flush();
            run = Run{x1, x1 + w, top, h, &r.brush, true};
        }
        flush();
    }
}

bool CTimeRectSeries::HitTest(const QPoint& p) const
{
    const int y = m_mapY ? YValueToPixel(p.y() + m_yAxis->min) : p.y();
    return m_bandTop <= y && y <= m_bandBottom;
}

bool CTimeRectSeries::HasVisibleBar(double min, double max) const
{
    for (auto it = m_bars.cbegin(); it != m_bars.cend(); ++it) {
        if (!Passes(it.key()))
            continue;
        for (const TimeRect& r : it.value())
            if (Visible(r.begin.x(), r.end.x(), min, max))
                return true;
    }
    return false;
}

int CTimeRectSeries::BarCount() const
{
    int n = 0;
    for (const QList<TimeRect>& list : m_bars)
        n += int(list.size());
    return n;
}

// ---- CImageSeries -------------------------------------------------------------------------------

void CImageSeries::Draw(QPainter* painter)
{
    for (const ImageItem& item : std::as_const(m_images)) {
        const int y = YValueToPixel(item.pos.y());
        if (y >= 28)
            painter->drawPixmap(item.pos.x(), y, item.image);
    }
}

bool CImageSeries::HitTest(const QPoint& p, int* index) const
{
    for (int i = 0; i < m_images.size(); ++i) {
        const ImageItem& item = m_images.at(i);
        const QRect r(QPoint(item.pos.x(), YValueToPixel(item.pos.y())), item.image.size());
        if (r.contains(p)) {
            if (index)
                *index = i;
            return true;
        }
    }
    return false;
}

// ---- Line, bar and area series ------------------------------------------------------------------

void CLineSeries::Draw(QPainter* painter)
{
    if (PointCount() < 2)
        return;
    painter->setPen(QPen(QBrush(m_colour), m_penWidth, Qt::SolidLine, Qt::SquareCap, Qt::BevelJoin));
    QPainterPath path(QPointF(XToPixel(0), m_y.at(0)));
    for (int i = 1; i < PointCount(); ++i) {
        if (m_styleFlag)
            path.lineTo(XToPixel(i), m_y.at(i - 1));
        path.lineTo(XToPixel(i), m_y.at(i));
    }
    painter->drawPath(path);
}

void CBarSeries::Draw(QPainter* painter)
{
    const int bottom = m_panel->PanelRect().top() + m_panel->PanelHeight();
    for (int i = 0; i < PointCount(); ++i) {
        const int x = XToPixel(i);
        const int y = YToPixel(i);
        painter->fillRect(QRect(QPoint(x - m_barWidth / 2, std::min(y, bottom)),
                                QPoint(x - m_barWidth / 2 + m_barWidth - 1, std::max(y, bottom))),
                          m_colour);
    }
}

void CAreaSeries::Draw(QPainter* painter)
{
    if (PointCount() < 2)
        return;
    const int h = m_panel->PanelHeight();
    QPolygon polygon;
    polygon << QPoint(XToPixel(0), h);
    if (!m_styleFlag)
        for (int i = 0; i < PointCount(); ++i)
            polygon << QPoint(XToPixel(i), YToPixel(i));
    polygon << QPoint(XToPixel(PointCount() - 1), h);
    painter->setPen(m_colour);
    painter->setBrush(m_colour);
    painter->drawPolygon(polygon);
}

// ---- CGrooveSeries ------------------------------------------------------------------------------

CGrooveSeries::CGrooveSeries()
    : m_left(QStringLiteral(":/images/public/Timeslider/slider-left-bar.png")),
      m_middle(QStringLiteral(":/images/public/Timeslider/slider-bar.png")),
      m_right(QStringLiteral(":/images/public/Timeslider/slider-right-bar.png"))
{
}

void CGrooveSeries::Draw(QPainter* painter)
{
    if (PointCount() < 1)
        return;
    const int x0 = XValueToPixel(m_xAxis->min);
    const int y = int(m_y.at(0));
    painter->drawPixmap(x0, y, m_left);
    const int mx = x0 + m_left.width();
    const int mw = XValueToPixel(m_xAxis->max) - mx - m_right.width();
    if (mw > 0)
        painter->drawPixmap(QRect(mx, y, mw, m_barHeight), m_middle);
    painter->drawPixmap(mx + std::max(0, mw), y, m_right);
}

// ---- CTagSeries ---------------------------------------------------------------------------------

CTagSeries::CTagSeries(const QPixmap& tagImage) : m_tagImage(tagImage) {}

void CTagSeries::Clear()
{
    m_tags.clear();
    m_hitMap.clear();
    CChartSeries::Clear();
}

void CTagSeries::Draw(QPainter* painter)
{
    m_hitMap.clear();
    const double min = m_xAxis->min;
    const double max = m_xAxis->max;
    int lastImageRight = -1;
    for (const TagItem& tag : std::as_const(m_tags)) {
        const double b = tag.begin.x();
        const double e = tag.end.x();
        if (!Visible(b, e, min, max))
            continue;
        const int x1 = XValueToPixel(std::max(min, b));
        const int x2 = XValueToPixel(std::min(max, e));
        painter->fillRect(x1, tag.begin.y(), std::max(1, x2 - x1), tag.end.y() - tag.begin.y(), m_barBrush);
        if (x1 > lastImageRight) {
            painter->drawPixmap(x1, tag.begin.y() - 20, m_tagImage);
            lastImageRight = x1 + 16;
            m_hitMap.insert(int(std::trunc(std::max(min, b))), QRect(x1, tag.begin.y() - 20, 18, 18));
        }
    }
}

void CTagSeries::RemoveTag(int x)
{
    for (int i = 0; i < m_tags.size(); ++i) {
        if (m_tags.at(i).begin.x() == x) {
            m_tags.remove(i);
            return;
        }
    }
}

QString CTagSeries::TagName(int x) const
{
    for (const TagItem& tag : m_tags)
        if (tag.begin.x() == x)
            return tag.name;
    return QString();
}

bool CTagSeries::HitTest(const QPoint& p, int* key) const
{
    for (auto it = m_hitMap.cbegin(); it != m_hitMap.cend(); ++it) {
        if (it.value().contains(p)) {
            if (key)
                *key = it.key();
            return true;
        }
    }
    return false;
}

// ---- Slider texts --------------------------------------------------------------------------------

QString Timeline::TimeText(qint64 secs)
{
    return QDateTime::fromSecsSinceEpoch(secs).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Timeline::CentreTimeText(const DayWindow& day, const TimeSpan& span)
{
    return TimeText(qint64(std::trunc(double(day.OriginSecs()) + span.Centre())));
}

void Timeline::ShowMouseText(CMouseTextSeries* text, const QRect& panel, const QPoint& mouse, const DayWindow& day,
                             const TimeSpan& span)
{
    if (!text)
        return;
    const std::optional<double> v = panel.width() > 0 && panel.contains(mouse)
                                        ? span.ValueAt(mouse.x(), panel.left(), panel.width())
                                        : std::nullopt;
    if (v)
        text->SetText(*v, ClockText(qint64(std::trunc(*v)), day.Begin()));
    else
        text->Clear();
}
