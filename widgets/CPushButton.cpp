#include "widgets/CPushButton.h"

#include <QTimerEvent>

CPushButton::CPushButton(QWidget* parent) : QPushButton(parent) {}
CPushButton::CPushButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}
CPushButton::CPushButton(const QIcon& icon, const QString& text, QWidget* parent) : QPushButton(icon, text, parent) {}
CPushButton::~CPushButton() = default;

CDelayButton::CDelayButton(QWidget* parent) : CPushButton(parent) {}
CDelayButton::CDelayButton(const QString& text, QWidget* parent) : CPushButton(text, parent) {}
CDelayButton::CDelayButton(const QIcon& icon, const QString& text, QWidget* parent) : CPushButton(icon, text, parent) {}
CDelayButton::~CDelayButton() = default;

void CDelayButton::mouseReleaseEvent(QMouseEvent* e)
{
    QAbstractButton::mouseReleaseEvent(e);
    // A running timer restarts: the delay counts from the last release.
    m_releaseTimer.start(kReleaseDelay_ms, this);
}

void CDelayButton::timerEvent(QTimerEvent* e)
{
    if (e->timerId() != m_releaseTimer.timerId()) {
        QAbstractButton::timerEvent(e);  // auto-repeat keeps working
        return;
    }
    if (isChecked()) {
        m_releaseTimer.start(kReleaseDelay_ms, this);
        return;
    }
    m_releaseTimer.stop();
    emit SignalDelayRelease();
}
