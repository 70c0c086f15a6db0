#include "timeline/TimeChartView.h"

#include "widgets/CPushButton.h"

#include <QPainter>

CTimeChartView::CTimeChartView(QWidget* parent) : QFrame(parent)
{
    setMouseTracking(true);
    m_timeTextRect = fontMetrics().boundingRect(QRect(), Qt::AlignLeft, QStringLiteral("2010-07-29 00:00:00"));
}

CTimeChartView::~CTimeChartView() = default;

void CTimeChartView::SetButtons(CDelayButton* moveLeft, CDelayButton* moveRight, CPushButton* zoomIn,
                                CPushButton* zoomOut)
{
    m_moveLeft = moveLeft;
    m_moveRight = moveRight;
    m_zoomIn = zoomIn;
    m_zoomOut = zoomOut;
    connect(m_zoomIn, &QPushButton::pressed, this, &CTimeChartView::SignalZoomIn);
    connect(m_zoomOut, &QPushButton::pressed, this, &CTimeChartView::SignalZoomOut);
    connect(m_moveRight, &QPushButton::pressed, this, &CTimeChartView::SignalMoveRight);
    connect(m_moveLeft, &QPushButton::pressed, this, &CTimeChartView::SignalMoveLeft);
    connect(m_moveLeft, &CDelayButton::SignalDelayRelease, this, &CTimeChartView::SignalDelayRelease);
    connect(m_moveRight, &CDelayButton::SignalDelayRelease, this, &CTimeChartView::SignalDelayRelease);
}

QAbstractButton* CTimeChartView::MoveLeftButton() const
{
    return m_moveLeft;
}
QAbstractButton* CTimeChartView::MoveRightButton() const
{
    return m_moveRight;
}
QAbstractButton* CTimeChartView::ZoomInButton() const
{
    return m_zoomIn;
}
QAbstractButton* CTimeChartView::ZoomOutButton() const
{
    return m_zoomOut;
}

void CTimeChartView::SetTimeText(const QString& text)
{
    m_timeText = text;
    update();
}

void CTimeChartView::Redraw()
{
    if (size().isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    m_backBuffer = QPixmap(size() * dpr);
    m_backBuffer.setDevicePixelRatio(dpr);
    SetPanelRect(ChartRect());
    {
        QPainter painter(&m_backBuffer);
        painter.setFont(font());
        painter.setBackground(palette().brush(backgroundRole()));
        painter.setPen(Qt::NoPen);
        PaintBackground(painter);
        CAxisPanel::Draw(&painter);
    }
    ++m_redraws;
    update();
}

void CTimeChartView::customEvent(QEvent*)
{
    m_updates.Arrived();
    Redraw();
}
