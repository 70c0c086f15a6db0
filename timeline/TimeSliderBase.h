// What the two time sliders do alike, over a drawing surface of either kind: the shown day, the
// visible span with its zoom levels, the move buttons, dragging, the current time, the time text,
// the time under the mouse and the hover and leave timers. Each slider adds its own series, bars,
// clicks and the way it learns that the mouse entered or left. GUI thread only.
#pragma once

#include "timeline/TimelineMath.h"

#include <QBasicTimer>
#include <QFrame>
#include <QPoint>
#include <QRect>

#include <ctime>

class CTimeChartView;
class QTimer;

class CTimeSliderBase : public QFrame {
    Q_OBJECT

public:
    ~CTimeSliderBase() override;

    void SetCurrentTime(time_t t);
    // The span and tick step of `level`; the stored zoom level stays.
    void SetZoomLevel(int level);
    void PostUpdate();

    int ZoomLevel() const { return m_zoomLevel; }
    QDate Date() const { return m_day.Date(); }
    const Timeline::DayWindow& Day() const { return m_day; }
    double SpanMin() const { return m_span.Min(); }
    double SpanMax() const { return m_span.Max(); }
    bool IsMoving() const { return m_moveFlag; }
    QString MouseText() const;

signals:
    void MouseEnter();
    void MouseLeave();

public slots:
    void OnSlotZoomIn();
    void OnSlotZoomOut();
    void MoveRight();
    void MoveLeft();
    void OnSlotReleaseMove();
    void OnUpdateTimeSlider();

protected:
    CTimeSliderBase(QWidget* parent, int zoomLevel);
    // Lays out `view` (a child of this slider) to fill it and wires its move and zoom buttons and
    // the hover timer. The caller then sets up the axes and series, the day and the zoom level.
    void AttachView(CTimeChartView* view);

    void timerEvent(QTimerEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

    // True when the day changed: the span's limits and the axis origin follow it, the kept
    // segments are put on it (ProjectOntoDay) and the span is centred on its noon.
    bool ApplyDate(const QDate& date);
    // Puts the kept segments on the shown day again (after a change of day).
    virtual void ProjectOntoDay() = 0;
    // While this holds, SetCurrentTime does nothing (by default: while a move or drag runs).
    virtual bool TimeHeld() const { return m_moveFlag; }
    // Whether the leave timer may report MouseLeave when it fires (by default always).
    virtual bool LeaveMayReport() const { return true; }

    // The mouse entered or left the slider's surface.
    void MouseEntered();
    void MouseLeft();
    // Ends a drag: the open hand goes.
    void EndDrag();
    void ClearMouseText();
    void SyncAxis();
    void SetTimeTextToCentre();
    QRect PanelRect() const;
    qint64 OriginSecs() const { return m_day.OriginSecs(); }

    bool m_moveFlag = false;
    bool m_dragging = false;  // a press in the chart area started a drag
    int m_zoomLevel;
    QPoint m_mousePos;
    Timeline::DayWindow m_day;
    Timeline::TimeSpan m_span;
    QTimer* m_hoverTimer = nullptr;
    QBasicTimer m_leaveTimer;

private:
    // One step of the move buttons: the tick step of the current level.
    void MoveBy(void (Timeline::TimeSpan::*move)(int));

    CTimeChartView* m_surface = nullptr;
};
