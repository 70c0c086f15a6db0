#include "widgets/CToolButton.h"

#include <QMouseEvent>
#include <QTimerEvent>

CToolButton::CToolButton(QWidget* parent) : QToolButton(parent) {}
CToolButton::~CToolButton() = default;

CToolButton* CToolButton::SetLock(bool lock)
{
    m_bLock = lock;
    return this;
}

CToolButton* CToolButton::SetLockTime(int lock_ms)
{
    m_nLockTime_ms = lock_ms;
    return this;
}

void CToolButton::mousePressEvent(QMouseEvent* e)
{
    if (m_bLock && m_timer.isActive()) {
        e->ignore();
        return;
    }
    QToolButton::mousePressEvent(e);
}

void CToolButton::mouseReleaseEvent(QMouseEvent* e)
{
    if (m_bLock) {
        if (m_timer.isActive()) {
            e->ignore();
            return;
        }
        m_timer.start(m_nLockTime_ms, this);
    }
    QToolButton::mouseReleaseEvent(e);
}

void CToolButton::timerEvent(QTimerEvent* e)
{
    if (e->timerId() == m_timer.timerId())
        m_timer.stop();
    QToolButton::timerEvent(e);
}

CUserToolButton::CUserToolButton(QWidget* parent) : QToolButton(parent) {}
CUserToolButton::~CUserToolButton() = default;
