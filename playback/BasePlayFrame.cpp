#include "playback/BasePlayFrame.h"

#include "platform/vrend/VideoSurface.h"

#include <QStyle>
#include <QVariant>

CBasePlayFrame::CBasePlayFrame(QWidget* parent) : QFrame(parent)
{
    m_pSurface = new VideoSurface(this);
    m_pSurface->setObjectName(QStringLiteral("m_pframePlay"));
    m_pSurface->setFocusPolicy(Qt::StrongFocus);
    m_pSurface->setContextMenuPolicy(Qt::CustomContextMenu);
    m_pSurface->move(m_offsetX, m_offsetY);
}

CBasePlayFrame::~CBasePlayFrame() = default;

void CBasePlayFrame::SetSelected(bool selected)
{
    // The border comes from the application's one style sheet (qss/playwnd.qss), chosen by this
    // property: only this frame is polished again, not a sheet of its own parsed for it and
    // every child.
    const QVariant value(selected);
    if (property("selected") != value) {
        setProperty("selected", value);
        style()->unpolish(this);
        style()->polish(this);
        update();
    }
    m_selected = selected;
}

void CBasePlayFrame::SetFrameName(const QString& name)
{
    setObjectName(name);
    SetSelected(false);
}

std::uint32_t CBasePlayFrame::GetPlayWndId() const
{
    return m_pSurface->surfaceId();
}

void CBasePlayFrame::SetVideoRect(const QRect& rect)
{
    m_videoX = rect.x();
    m_videoY = rect.y();
    m_videoWidth = rect.width();
    m_videoHeight = rect.height();
}
