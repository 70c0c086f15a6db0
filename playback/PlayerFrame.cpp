#include "playback/PlayerFrame.h"

#include "playback/PlayWndBottom.h"
#include "platform/vrend/VideoSurface.h"

#include <QCursor>
#include <QEvent>
#include <QResizeEvent>

CPlayerFrame::CPlayerFrame(QWidget* parent) : CBasePlayFrame(parent) {}

CPlayerFrame::~CPlayerFrame() = default;

CPlayWndBottom* CPlayerFrame::Bar()
{
    if (!m_pBar) {
        m_pBar = new CPlayWndBottom(this);
        m_pBar->setMouseTracking(true);
        m_pBar->hide();
        // Stacked where a bar made with the frame would be: over the video surface, under
        // everything the window put on the frame since.
        const QObjectList& children = this->children();
        for (qsizetype i = children.indexOf(Surface()) + 1; i < children.size(); ++i) {
            auto* sibling = qobject_cast<QWidget*>(children.at(i));
            if (sibling && sibling != m_pBar && !sibling->isWindow()) {
                m_pBar->stackUnder(sibling);
                break;
            }
        }
        PlaceBar();
        OnBarMade(m_pBar);
    }
    return m_pBar;
}

void CPlayerFrame::SetBarVisible(bool visible)
{
    if (visible || m_pBar)
        Bar()->setVisible(visible);
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
            Bar()->show();
            emit SignalShow();
            OnMouseEnter();
        }
        break;
    case QEvent::Leave:
        if (HitTestLeave(mapFromGlobal(QCursor::pos())) && !(m_pBar && m_pBar->IsCursorInside())) {
            if (m_pBar)
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
    if (!m_pBar)
        return;
    const int ox = SurfaceOffsetX();
    const int oy = SurfaceOffsetY();
    m_pBar->setGeometry(ox, height() - oy - m_barHeight, width() - 2 * ox, m_barHeight);
}

void CPlayerFrame::resizeEvent(QResizeEvent* event)
{
    PlaceBar();
    CBasePlayFrame::resizeEvent(event);
}
