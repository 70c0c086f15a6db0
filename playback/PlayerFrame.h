// A play-window frame with a tool bar along its bottom edge, shown while the mouse is over the
// window and hidden when it leaves (unless it leaves into the bar). The bar is made when it is
// first needed (the first time the mouse enters an enabled frame, or on a call of Bar()): sixteen
// windows start hidden-barred, and nobody sees a bar before a channel is bound.
#pragma once

#include "playback/BasePlayFrame.h"

class CPlayWndBottom;

class CPlayerFrame : public CBasePlayFrame {
    Q_OBJECT

public:
    explicit CPlayerFrame(QWidget* parent = nullptr);
    ~CPlayerFrame() override;

    // The bar, made (hidden, in its place) on the first call.
    CPlayWndBottom* Bar();
    bool HasBar() const { return m_pBar != nullptr; }
    void SetBarEnabled(bool enabled) { m_barEnabled = enabled; }
    bool IsBarEnabled() const { return m_barEnabled; }
    void SetBarVisible(bool visible);
    void SetBarHeight(int height_px);
    int BarHeight() const { return m_barHeight; }

signals:
    void SignalShow();
    void SignalHide();

protected:
    virtual void OnMouseEnter() {}
    virtual void OnMouseLeave() {}
    // Called once, right after the bar has been made: where a window puts its buttons into it.
    virtual void OnBarMade(CPlayWndBottom*) {}
    // Whether leaving at `point` (frame coordinates) counts as leaving the window.
    virtual bool HitTestLeave(const QPoint& point) const;

    bool event(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void PlaceBar();

    CPlayWndBottom* m_pBar = nullptr;
    int m_barHeight = 28;
    bool m_barEnabled = true;
};
