// Two tool buttons of the kit that no page builds yet: CToolButton, which can lock itself for a
// while after a release (presses and releases in that time are ignored), and CUserToolButton,
// which carries a value for its owner.
#pragma once

#include <QBasicTimer>
#include <QToolButton>
#include <QVariant>

class CToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit CToolButton(QWidget* parent = nullptr);
    ~CToolButton() override;

    CToolButton* SetLock(bool lock);
    CToolButton* SetLockTime(int lock_ms);
    bool IsLocked() const { return m_timer.isActive(); }

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    QBasicTimer m_timer;
    bool m_bLock = false;
    int m_nLockTime_ms = 0;
};

class CUserToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit CUserToolButton(QWidget* parent = nullptr);
    ~CUserToolButton() override;

    QVariant GetUserData() const { return m_data; }
    void SetUserData(const QVariant& data) { m_data = data; }

private:
    QVariant m_data;
};
