#include "widgets/CBaseFrame.h"

CBaseFrame::CBaseFrame(QWidget* parent) : QFrame(parent) {}
CBaseFrame::~CBaseFrame() = default;

void CBaseFrame::paintEvent(QPaintEvent* event)
{
    QFrame::paintEvent(event);
}

void CBaseFrame::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
}

void CBaseFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
}
