#include "playback/BasePlayFrame.h"

#include "platform/vrend/VideoSurface.h"

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
    const QString border = selected ? QStringLiteral("yellow") : QStringLiteral("black");
    setStyleSheet(QStringLiteral("QFrame#%1{border: 1px solid %2; background-color: rgb(77,82 ,86);}")
                      .arg(objectName(), border));
    m_selected = selected;
}

void CBasePlayFrame::SetFrameName(const QString& name)
{
    setObjectName(name);
    SetSelected(false);
}

std::uint32_t CBasePlayFrame::GetPlayWndId() const { return m_pSurface->surfaceId(); }

void CBasePlayFrame::SetVideoRect(const QRect& rect)
{
    m_videoX = rect.x();
    m_videoY = rect.y();
    m_videoWidth = rect.width();
    m_videoHeight = rect.height();
}
