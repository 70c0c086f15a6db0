// The kit's push buttons: CPushButton, built by every page and dialog, and CDelayButton, which
// reports 2000 ms after the operator last let go of it that it is no longer held.
#pragma once

#include <QBasicTimer>
#include <QIcon>
#include <QPushButton>

class CPushButton : public QPushButton {
    Q_OBJECT
public:
    explicit CPushButton(QWidget* parent = nullptr);
    CPushButton(const QString& text, QWidget* parent = nullptr);
    CPushButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    ~CPushButton() override;
};

class CDelayButton : public CPushButton {
    Q_OBJECT
public:
    static constexpr int kReleaseDelay_ms = 2000;

    explicit CDelayButton(QWidget* parent = nullptr);
    CDelayButton(const QString& text, QWidget* parent = nullptr);
    CDelayButton(const QIcon& icon, const QString& text, QWidget* parent = nullptr);
    ~CDelayButton() override;

signals:
    // Once, kReleaseDelay_ms after the last release, when the button is not checked by then.
    void SignalDelayRelease();

protected:
    void timerEvent(QTimerEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QBasicTimer m_releaseTimer;
};
