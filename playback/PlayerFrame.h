// A play-window frame with a tool bar along its bottom edge, shown while the mouse is over the
// window and hidden when it leaves (unless it leaves into the bar).
#pragma once

#include "playback/BasePlayFrame.h"

class CPlayWndBottom;

class CPlayerFrame : public CBasePlayFrame {
    Q_OBJECT

public:
    explicit CPlayerFrame(QWidget* parent = nullptr);
    ~CPlayerFrame() override;

    CPlayWndBottom* Bar() const { return m_pBar; }
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
