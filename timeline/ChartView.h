// The drawing surface of the single-row time slider: a frame that is also a chart panel. It
// renders the panel into a back buffer on any custom event, paints a title, a yellow marker line
// with the current time at the centre of the chart, and carries move and zoom buttons that show
// only while the slider is shown large.
#pragma once

#include "timeline/ChartKit.h"

#include <QBrush>
#include <QFrame>
#include <QPixmap>

class CDelayButton;
class CPushButton;
class QAbstractButton;

class CChartView : public QFrame, public CAxisPanel {
    Q_OBJECT

public:
    explicit CChartView(QWidget* parent = nullptr);
    ~CChartView() override;

    void Redraw();
    // Asks for a Redraw through the event loop; a burst of requests renders once.
    void PostUpdate(int n = 0) { m_updates.Post(this, n); }
    void ShowButtons();
    void HideButtons();
    void SetTitleText(const QString& text)
    {
        m_title = text;
        update();
    }
    void SetTimeText(const QString& text)
    {
        m_timeText = text;
        update();
    }
    QString TitleText() const { return m_title; }
    QString TimeText() const { return m_timeText; }

    int LeftMargin() const { return m_leftMargin; }
    int RightMargin() const { return m_rightMargin; }
    // The chart area for the current size and margins.
    QRect ChartRect() const;
    const QPixmap& BackBuffer() const { return m_backBuffer; }
    int RedrawCount() const { return m_redraws; }
    QAbstractButton* MoveLeftButton() const;
    QAbstractButton* MoveRightButton() const;
    QAbstractButton* ZoomInButton() const;
    QAbstractButton* ZoomOutButton() const;

signals:
    void SignalZoomIn();
    void SignalZoomOut();
    void SignalMoveRight();
    void SignalMoveLeft();
    void SignalDelayRelease();

protected:
    void customEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap m_backBuffer;
    QRect m_timeTextRect;
    CDelayButton* m_moveLeft = nullptr;
    CDelayButton* m_moveRight = nullptr;
    CPushButton* m_zoomIn = nullptr;
    CPushButton* m_zoomOut = nullptr;
    int m_leftMargin = 24;
    int m_rightMargin = 8;
    QString m_title;
    QString m_timeText;
    QBrush m_background;
    int m_redraws = 0;
    Varpen::CUpdateBatch m_updates;
};
