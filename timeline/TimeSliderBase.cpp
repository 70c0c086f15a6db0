#include "timeline/TimeSliderBase.h"

#include "timeline/ChartKit.h"
#include "timeline/TimeChartView.h"

#include <QGridLayout>
#include <QMouseEvent>
#include <QTimer>
#include <QWheelEvent>

CTimeSliderBase::CTimeSliderBase(QWidget* parent, int zoomLevel) : QFrame(parent), m_zoomLevel(zoomLevel)
{
    setMouseTracking(true);
    m_span.SetRange(0, 86400);
}

CTimeSliderBase::~CTimeSliderBase()
{
    if (!m_surface)
        return;
    for (int i = 0; i < m_surface->SeriesCount(); ++i)
        m_surface->GetSeries(i)->Clear();
}

void CTimeSliderBase::AttachView(CTimeChartView* view)
{
    m_surface = view;
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(view, 0, 0);

    m_hoverTimer = new QTimer(this);
    m_hoverTimer->setInterval(5000);
    connect(view, &CTimeChartView::SignalMoveLeft, this, &CTimeSliderBase::MoveLeft);
    connect(view, &CTimeChartView::SignalMoveRight, this, &CTimeSliderBase::MoveRight);
    connect(view, &CTimeChartView::SignalDelayRelease, this, &CTimeSliderBase::OnSlotReleaseMove);
    connect(view, &CTimeChartView::SignalZoomOut, this, &CTimeSliderBase::OnSlotZoomOut);
    connect(view, &CTimeChartView::SignalZoomIn, this, &CTimeSliderBase::OnSlotZoomIn);
    connect(m_hoverTimer, &QTimer::timeout, this, &CTimeSliderBase::OnUpdateTimeSlider);
    SyncAxis();
}

QRect CTimeSliderBase::PanelRect() const
{
    return m_surface->ChartRect();
}

void CTimeSliderBase::PostUpdate()
{
    m_surface->PostUpdate();
}

void CTimeSliderBase::SyncAxis()
{
    m_surface->HorizontalAxis().SetRange(m_span.Min(), m_span.Max());
}

QString CTimeSliderBase::MouseText() const
{
    auto* s = static_cast<CMouseTextSeries*>(m_surface->FindSeriesByType(CChartSeries::kMouseText));
    return s ? s->Text() : QString();
}

void CTimeSliderBase::ClearMouseText()
{
    if (auto* text = m_surface->FindSeriesByType(CChartSeries::kMouseText))
        text->Clear();
}

// ---- Day, time, zoom, move -----------------------------------------------------------------------

bool CTimeSliderBase::ApplyDate(const QDate& date)
{
    const Timeline::DayWindow day(date);
    if (!day.IsValid() || (day.Begin() == m_day.Begin() && day.End() == m_day.End()))
        return false;
    m_day = day;
    m_span.SetLimits(m_day.LowerLimit(), m_day.UpperLimit());
    if (auto* axis = static_cast<CAxisSeries*>(m_surface->FindSeriesByType(CChartSeries::kAxis)))
        axis->SetOrigin(m_day.Begin());
    ProjectOntoDay();
    SetCurrentTime(time_t(m_day.OriginSecs() + Timeline::kNeighbour_s));
    return true;
}

void CTimeSliderBase::SetCurrentTime(time_t t)
{
    if (TimeHeld() || !m_day.IsValid())
        return;
    const qint64 ts = m_day.ClampSecs(qint64(t));
    m_surface->SetTimeText(Timeline::TimeText(ts));
    m_span.CentreOn(double(ts - m_day.OriginSecs()));
    SyncAxis();
    PostUpdate();
}

void CTimeSliderBase::SetTimeTextToCentre()
{
    m_surface->SetTimeText(Timeline::CentreTimeText(m_day, m_span));
}

void CTimeSliderBase::SetZoomLevel(int level)
{
    const Timeline::ZoomLevel z = Timeline::ZoomFor(level);
    m_span.ApplySpan(z.span_s);
    SyncAxis();
    if (auto* axis = m_surface->FindSeriesByType(CChartSeries::kAxis))
        axis->SetStep(z.tickStep_s);
    PostUpdate();
}

void CTimeSliderBase::OnSlotZoomIn()
{
    if (m_zoomLevel > Timeline::kZoomMultiWidest) {
        --m_zoomLevel;
        SetZoomLevel(m_zoomLevel);
    }
}

void CTimeSliderBase::OnSlotZoomOut()
{
    if (m_zoomLevel != Timeline::kZoomNarrowest) {
        ++m_zoomLevel;
        SetZoomLevel(m_zoomLevel);
    }
}

void CTimeSliderBase::MoveRight()
{
    MoveBy(&Timeline::TimeSpan::MoveRight);
}

void CTimeSliderBase::MoveLeft()
{
    MoveBy(&Timeline::TimeSpan::MoveLeft);
}

void CTimeSliderBase::MoveBy(void (Timeline::TimeSpan::*move)(int))
{
    m_moveFlag = true;
    (m_span.*move)(Timeline::ZoomFor(m_zoomLevel).tickStep_s);
    SyncAxis();
    SetTimeTextToCentre();
    PostUpdate();
}

void CTimeSliderBase::OnSlotReleaseMove()
{
    m_moveFlag = false;
}

// ---- Mouse -----------------------------------------------------------------------------------------

void CTimeSliderBase::mousePressEvent(QMouseEvent* event)
{
    const QPoint pos = event->position().toPoint();
    const QRect panel = PanelRect();
    if (event->button() != Qt::LeftButton || panel.width() <= 0 || !panel.contains(pos))
        return;
    m_moveFlag = true;
    if (m_span.BeginDrag(pos.x(), panel.left(), panel.width())) {
        m_dragging = true;
        m_surface->setCursor(Qt::OpenHandCursor);
    }
}

void CTimeSliderBase::EndDrag()
{
    if (m_dragging)
        m_surface->unsetCursor();
    m_dragging = false;
    m_span.EndDrag();
}

void CTimeSliderBase::mouseMoveEvent(QMouseEvent* event)
{
    m_mousePos = event->position().toPoint();
    if (!m_moveFlag) {
        OnUpdateTimeSlider();
        return;
    }
    if (m_dragging) {
        const QRect panel = PanelRect();
        m_span.DragTo(m_mousePos.x(), panel.left(), panel.width());
        SyncAxis();
        SetTimeTextToCentre();
    }
    PostUpdate();
}

void CTimeSliderBase::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0)
        return;  // a sideways scroll is no zoom
    if (delta < 1)
        OnSlotZoomOut();
    else
        OnSlotZoomIn();
}

void CTimeSliderBase::OnUpdateTimeSlider()
{
    Timeline::ShowMouseText(static_cast<CMouseTextSeries*>(m_surface->FindSeriesByType(CChartSeries::kMouseText)),
                            PanelRect(), m_mousePos, m_day, m_span);
    m_surface->PostUpdate(2000);
}

void CTimeSliderBase::MouseEntered()
{
    if (m_leaveTimer.isActive())
        m_leaveTimer.stop();
    else
        emit MouseEnter();
    m_hoverTimer->start();
}

void CTimeSliderBase::MouseLeft()
{
    ClearMouseText();
    m_hoverTimer->stop();
    m_leaveTimer.start(500, this);
    if (m_dragging)
        m_surface->unsetCursor();
    PostUpdate();
}

void CTimeSliderBase::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_leaveTimer.timerId()) {
        if (LeaveMayReport()) {
            m_leaveTimer.stop();
            emit MouseLeave();
        }
        return;
    }
    QFrame::timerEvent(event);
}
