// The chart kit the time lines draw with: a panel with a horizontal and a vertical axis that map
// values to pixels, and an ordered list of series that paint into a QPainter in list order.
// Horizontal values are seconds from 00:00 of the shown day; vertical values are pixels of the
// row area. GUI thread only.
#pragma once

#include <QBrush>
#include <QColor>
#include <QDateTime>
#include <QEvent>
#include <QFont>
#include <QList>
#include <QMap>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QVector>

class QPainter;
class CAxisPanel;

namespace Varpen {
// A data-less event that makes a chart view render again: type 1000, or 1000 + n.
class CUpdateEvent : public QEvent {
public:
    CUpdateEvent() : QEvent(QEvent::User) {}
    explicit CUpdateEvent(int n) : QEvent(QEvent::Type(QEvent::User + n)) {}
    ~CUpdateEvent() override = default;
};

// Lets a burst of changes render once: the first post after a render sends an update event to
// the view, later ones find it on its way. The view calls Arrived() when the event reaches it.
class CUpdateBatch {
public:
    // Posts a CUpdateEvent(n) (type 1000 + n) to `view` unless one is already on its way.
    void Post(QObject* view, int n = 0);
    void Arrived() { m_posted = false; }

private:
    bool m_posted = false;
};
}  // namespace Varpen

struct CChartAxis {
    CAxisPanel* panel = nullptr;
    double min = 0.0;
    double max = 100.0;
    bool horizontal = true;
    bool reversed = false;
    int start = 0;
    int end = 0;
    int length = 0;
    double scale = 0.0;
    int centre = 0;
    double range = 0.0;

    void SetRange(double lo, double hi)
    {
        min = lo;
        max = hi;
    }
    void GetRange(double* lo, double* hi) const
    {
        *lo = min;
        *hi = max;
    }
    void SetHorizontal(bool h) { horizontal = h; }
    void SetReversed(bool r) { reversed = r; }
    // Reads the panel rectangle: start, end, length, centre, range and scale.
    void Layout();
    // Lays the axis out over [start, start + length) without a panel (used by hit tests).
    void LayoutOver(int startPixel, int lengthPixels);
    int ValueToPixel(double v) const;
    double PixelToValue(int p) const;
};

class CChartSeries;

class CAxisPanel {
public:
    CAxisPanel();
    virtual ~CAxisPanel();
    CAxisPanel(const CAxisPanel&) = delete;
    CAxisPanel& operator=(const CAxisPanel&) = delete;

    // Lays out both axes, then draws every series in list order.
    virtual void Draw(QPainter* painter);

    void AddSeries(CChartSeries* series);                // takes ownership
    void InsertSeries(int index, CChartSeries* series);  // takes ownership
    CChartSeries* GetSeries(int index) const;
    CChartSeries* FindSeriesByType(int type) const;
    void FindAllSeriesByType(int type, QVector<CChartSeries*>* out) const;
    void RemoveSeries(int index);
    void ClearSeries();
    int SeriesCount() const { return int(m_series.size()); }

    void SetTitle(const QString& t) { m_title = t; }
    QString Title() const { return m_title; }
    void SetSubTitle(const QString& t) { m_subTitle = t; }
    QString SubTitle() const { return m_subTitle; }

    void SetPanelRect(const QRect& r)
    {
        m_panelRect = r;
        m_panelWidth = r.width();
        m_panelHeight = r.height();
    }
    QRect PanelRect() const { return m_panelRect; }
    int PanelWidth() const { return m_panelWidth; }
    int PanelHeight() const { return m_panelHeight; }

    CChartAxis& VerticalAxis() { return m_yAxis; }
    CChartAxis& HorizontalAxis() { return m_xAxis; }
    const CChartAxis& VerticalAxis() const { return m_yAxis; }
    const CChartAxis& HorizontalAxis() const { return m_xAxis; }

private:
    void Adopt(CChartSeries* series);

    QString m_title;
    QString m_subTitle;
    QRect m_panelRect;
    int m_panelWidth = 0;
    int m_panelHeight = 0;
    CChartAxis m_yAxis;
    CChartAxis m_xAxis;
    QVector<CChartSeries*> m_series;
};

class CChartSeries {
public:
    enum Type { kBase = -1, kBackGround = 0, kAxis = 1, kMouseText = 2, kTimeRect = 3, kImage = 4 };

    CChartSeries() = default;
    virtual ~CChartSeries() = default;
    CChartSeries(const CChartSeries&) = delete;
    CChartSeries& operator=(const CChartSeries&) = delete;

    virtual void Clear();
    virtual void Draw(QPainter* painter) = 0;
    virtual int GetType() const { return kBase; }

    void AddPoint(double x, double y)
    {
        m_x.append(x);
        m_y.append(y);
    }
    void AddValue(double y) { AddPoint(PointCount(), y); }
    void SetPoint(int index, double x, double y);
    int PointCount() const { return int(m_x.size()); }
    int XToPixel(int index) const;
    int YToPixel(int index) const;
    int XValueToPixel(double v) const;
    int YValueToPixel(double v) const;
    double XPixelToValue(int p) const;
    double YPixelToValue(int p) const;
    double MaxX() const;
    double MinX() const;
    double MaxY() const;
    double MinY() const;
    void SetStyleFlag(bool f) { m_styleFlag = f; }
    bool StyleFlag() const { return m_styleFlag; }
    void SetStep(int s) { m_step = s; }
    int Step() const { return m_step; }

    CAxisPanel* Panel() const { return m_panel; }

protected:
    friend class CAxisPanel;
    CAxisPanel* m_panel = nullptr;
    CChartAxis* m_xAxis = nullptr;
    CChartAxis* m_yAxis = nullptr;
    bool m_styleFlag = false;
    int m_step = -1;
    QVector<double> m_x;
    QVector<double> m_y;
};

// Row grid, row labels, header band.
class CBackGroundSeries : public CChartSeries {
public:
    void SetLabels(const QStringList& labels) { m_labels = labels; }
    QStringList Labels() const { return m_labels; }
    void Draw(QPainter* painter) override;
    int GetType() const override { return kBackGround; }

private:
    QStringList m_labels;
};

// Time ticks and their clock labels.
class CAxisSeries : public CChartSeries {
public:
    CAxisSeries();
    void Draw(QPainter* painter) override;
    int GetType() const override { return kAxis; }

    void SetLabelColour(const QColor& c) { m_labelColour = c; }
    void SetLabelY(int y) { m_labelY = y; }
    void SetTickColour(const QColor& c) { m_tickColour = c; }
    void SetTickBaseY(int y) { m_tickBaseY = y; }
    // The local time of axis value 0: labels are the real clock times (daylight-saving days).
    // Without one, labels are midnight plus the value.
    void SetOrigin(const QDateTime& origin) { m_origin = origin; }
    QDateTime Origin() const { return m_origin; }

private:
    QColor m_labelColour{114, 114, 114};
    int m_labelY = 42;
    QColor m_tickColour{114, 114, 114};
    int m_tickBaseY = 42;
    int m_tickHeight = 7;
    int m_tickWidth = 2;
    QFont m_labelFont;
    QDateTime m_origin;
};

// The text under the mouse (the hover time).
class CMouseTextSeries : public CChartSeries {
public:
    void Clear() override;
    void Draw(QPainter* painter) override;
    int GetType() const override { return kMouseText; }
    void SetTextColour(const QColor& c) { m_colour = c; }
    void SetText(double value, const QString& text)
    {
        m_value = value;
        m_text = text;
    }
    QString Text() const { return m_text; }
    double Value() const { return m_value; }

private:
    QColor m_colour;
    QString m_text;
    double m_value = 0;
};

struct TimeRect {
    QPoint begin;  // x = begin value, y = top
    QPoint end;    // x = end value, y = bottom
    QBrush brush;
    int type = 0;
};

// Recording bars by record type, with a type filter.
class CTimeRectSeries : public CChartSeries {
public:
    void Clear() override;
    void Draw(QPainter* painter) override;
    int GetType() const override { return kTimeRect; }

    void SetMapY(bool m) { m_mapY = m; }
    bool MapY() const { return m_mapY; }
    void AddRect(const QPoint& begin, const QPoint& end, const QBrush& brush, int type);
    void RemoveType(int type) { m_bars.remove(type); }
    void SetFilter(const QList<int>& types) { m_filter = types; }
    QList<int> Filter() const { return m_filter; }
    bool Passes(int type) const { return m_filter.contains(-1) || m_filter.contains(type); }
    // True when the y of p lies in the band of bars drawn by the last Draw.
    bool HitTest(const QPoint& p) const;
    // True when a bar that passes the filter lies (partly) in [min, max].
    bool HasVisibleBar(double min, double max) const;
    int BarCount() const;
    const QMap<int, QList<TimeRect>>& Bars() const { return m_bars; }
    int BandTop() const { return m_bandTop; }
    int BandBottom() const { return m_bandBottom; }

private:
    bool m_mapY = false;
    QMap<int, QList<TimeRect>> m_bars;  // ordered by type: drawing is the same on every run
    int m_bandTop = -1;
    int m_bandBottom = -1;
    QList<int> m_filter{-1};
};

struct ImageItem {
    QPoint pos;  // x in pixels, y as a vertical value
    QPixmap image;
};

class CImageSeries : public CChartSeries {
public:
    void Draw(QPainter* painter) override;
    int GetType() const override { return kImage; }
    void AddImage(int x, int y, const QPixmap& image) { m_images.append({QPoint(x, y), image}); }
    bool HitTest(const QPoint& p, int* index) const;
    int ImageCount() const { return int(m_images.size()); }

private:
    QList<ImageItem> m_images;
};

// Offered by the kit; no time line of the program creates them.
class CLineSeries : public CChartSeries {
public:
    void Draw(QPainter* painter) override;
    void SetColour(const QColor& c) { m_colour = c; }
    void SetPenWidth(int w) { m_penWidth = w; }

private:
    int m_penWidth = 1;
    QColor m_colour{Qt::yellow};
};

class CBarSeries : public CChartSeries {
public:
    void Draw(QPainter* painter) override;
    void SetColour(const QColor& c) { m_colour = c; }
    void SetBarWidth(int w) { m_barWidth = w; }

private:
    int m_barWidth = 5;
    QColor m_colour;
};

class CAreaSeries : public CChartSeries {
public:
    void Draw(QPainter* painter) override;
    void SetColour(const QColor& c) { m_colour = c; }

private:
    QColor m_colour{Qt::yellow};
};

// The groove of the single-row slider.
class CGrooveSeries : public CChartSeries {
public:
    CGrooveSeries();
    void Draw(QPainter* painter) override;

private:
    int m_barHeight = 11;
    QPixmap m_left;
    QPixmap m_middle;
    QPixmap m_right;
};

struct TagItem {
    QPoint begin;
    QPoint end;
    QString name;
};

// Named pins on the single-row slider.
class CTagSeries : public CChartSeries {
public:
    explicit CTagSeries(const QPixmap& tagImage);
    void Clear() override;
    void Draw(QPainter* painter) override;

    void AddTag(const QPoint& begin, const QPoint& end, const QString& name) { m_tags.append({begin, end, name}); }
    void RemoveTag(int x);
    QString TagName(int x) const;
    bool HitTest(const QPoint& p, int* key) const;
    int TagCount() const { return int(m_tags.size()); }

private:
    QVector<TagItem> m_tags;
    QPixmap m_tagImage;
    QBrush m_barBrush{QColor(131, 131, 131)};
    QMap<int, QRect> m_hitMap;
};

// What the two time sliders show alike: the time text over the marker and the clock time under
// the mouse.
namespace Timeline {
class DayWindow;
class TimeSpan;

// "yyyy-MM-dd hh:mm:ss" for a time in seconds since the epoch.
QString TimeText(qint64 secs);
// The time text for the centre of `span` on `day`.
QString CentreTimeText(const DayWindow& day, const TimeSpan& span);
// Shows in `text` the clock time under `mouse` while it is inside `panel`; clears it otherwise.
void ShowMouseText(CMouseTextSeries* text, const QRect& panel, const QPoint& mouse, const DayWindow& day,
                   const TimeSpan& span);
}  // namespace Timeline
