#include "playback/PlayerFrame.h"

#include "playback/PlayWndBottom.h"

#include <QCursor>
#include <QEvent>
#include <QResizeEvent>

CPlayerFrame::CPlayerFrame(QWidget* parent) : CBasePlayFrame(parent)
{
    m_pBar = new CPlayWndBottom(this);
    m_pBar->setMouseTracking(true);
    m_pBar->hide();
}

CPlayerFrame::~CPlayerFrame() = default;

void CPlayerFrame::SetBarVisible(bool visible)
{
    m_pBar->setVisible(visible);
}

void CPlayerFrame::SetBarHeight(int height_px)
{
    m_barHeight = height_px;
    PlaceBar();
}

bool CPlayerFrame::HitTestLeave(const QPoint&) const
{
    return true;
}

bool CPlayerFrame::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        if (m_barEnabled) {
            m_pBar->show();
            emit SignalShow();
            OnMouseEnter();
        }
        break;
    case QEvent::Leave:
        if (HitTestLeave(mapFromGlobal(QCursor::pos())) && !m_pBar->IsCursorInside()) {
            m_pBar->hide();
            emit SignalHide();
            OnMouseLeave();
        }
        break;
    default:
        break;
    }
    return CBasePlayFrame::event(event);
}

void CPlayerFrame::PlaceBar()
{
    const int ox = SurfaceOffsetX();
    const int oy = SurfaceOffsetY();
    m_pBar->setGeometry(ox, height() - oy - m_barHeight, width() - 2 * ox, m_barHeight);
}

void CPlayerFrame::resizeEvent(QResizeEvent* event)
{
    PlaceBar();
    CBasePlayFrame::resizeEvent(event);
}
