// The time line of the playback page: one row per play window, one day at a time, the
// recordings of each row as coloured bars. Zoom (24, 12, 6, 2 or 1 hours), move by buttons or
// by dragging, the time under the mouse, a record-type filter per row, and a click on a row
// reported as MouseClick(row, time).
#pragma once

#include "timeline/TimeSegment.h"
#include "timeline/TimelineMath.h"

#include <QBasicTimer>
#include <QFrame>
#include <QList>
#include <QPoint>
#include <QStringList>

#include <ctime>

class CMultiChartView;
class CTimeRectSeries;
class CTimeSliderFilterPopup;
class CChartAxis;
class QTimer;

namespace Timeline {
constexpr int kRowCount = 16;
constexpr int kHeader_px = 28;
constexpr int kBarHeight = 12;
// Vertical values of row r: bars from 24r + 34 to 24r + 46, separator at 24r + 28, menu icon at
// (80, 24r + 35).
constexpr int RowBarTop(int r)
{
    return 24 * r + 34;
}
constexpr int RowBarBottom(int r)
{
    return 24 * r + 46;
}

// The row whose bar band holds pixel row y on the vertical axis `yAxis` (laid out), or -1:
// nothing above the header band, below the chart or between the bands.
int RowAtPixel(int y, const CChartAxis& yAxis, int rowCount, int chartHeight);
}  // namespace Timeline

class CMultiTimeSlider : public QFrame {
    Q_OBJECT

public:
    explicit CMultiTimeSlider(QWidget* parent = nullptr);
    ~CMultiTimeSlider() override;

    void SetChannelCount(int n);
    void SetChannelNames(const QStringList& names);
    void SetDate(const QDate& date);
    void SetCurrentTime(const QDateTime& t);
    void SetCurrentTime(time_t t);
    void AddFilterItem(int row, const QIcon& icon, const QString& text, int id);
    void ClearFilterItems(int row);
    void ClearAllFilterItems();
    // Adds the segments of every row. They are kept whole: a later SetDate shows the part of
    // them that falls on that day.
    void SetRecordSegments(const TimeSegmentRows& rows);
    void AddRowSegments(const QList<CTimeSegment>& segments, int row);
    void AddSegment(const QDateTime& begin, const QDateTime& end, const QBrush& brush, int type);
    void RemoveSegmentType(int type, int row);
    void ClearAllSegments();
    void ClearSegments(int row);
    virtual void Reset();
    void PostUpdate();
    void SetZoomLevel(int level);

    // State, for the page and for tests.
    int ZoomLevel() const { return m_zoomLevel; }
    QDate Date() const { return m_day.Date(); }
    const Timeline::DayWindow& Day() const { return m_day; }
    double SpanMin() const;
    double SpanMax() const;
    bool IsMoving() const { return m_moveFlag; }
    CMultiChartView* View() const { return m_view; }
    CTimeRectSeries* RowSeries(int row) const;
    CTimeSliderFilterPopup* FilterPopup(int row) const { return m_popups.value(row); }
    int FilterPopupCount() const { return int(m_popups.size()); }
    QString MouseText() const;
    // The row and time a release at `pos` would report; false when it reports nothing.
    bool ClickTarget(const QPoint& pos, int* row, time_t* t) const;

signals:
    void MouseEnter();
    void MouseLeave();
    void MouseClick(int row, time_t tmClick);

public slots:
    void OnSlotZoomIn();
    void OnSlotZoomOut();
    void MoveRight();
    void MoveLeft();
    void OnSlotReleaseMove();
    void OnUpdateTimeSlider();
    void OnTriggered(QList<int> ids);

protected:
    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void CreateSeries();
    void SyncAxis();
    void SetTimeTextToCentre();
    // Puts the kept segments of `row` on the shown day (the row's filter stays).
    void ProjectRow(int row);
    void ProjectSegments(const QList<CTimeSegment>& segments, int row);
    void EndDragCursor();
    QRect PanelRect() const;

    CMultiChartView* m_view = nullptr;
    int m_zoomLevel = Timeline::kZoomMultiWidest;
    QPoint m_mousePos;
    bool m_moveFlag = false;
    bool m_dragging = false;
    Timeline::DayWindow m_day;
    Timeline::TimeSpan m_span;
    QTimer* m_hoverTimer = nullptr;
    QBasicTimer m_leaveTimer;
    QList<CTimeSliderFilterPopup*> m_popups;
    QList<CTimeRectSeries*> m_rowSeries;
    TimeSegmentRows m_segments;  // every segment given, by row, kept whole
};
