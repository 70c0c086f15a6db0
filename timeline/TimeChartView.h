// What the drawing surfaces of the two time sliders have in common: a frame that is also a chart
// panel, rendered into a back buffer when a Varpen::CUpdateEvent (any custom event) reaches it,
// with the time text over the chart and the move and zoom buttons whose presses it passes on.
// Each surface lays out its own chart area, background, buttons and overlay.
#pragma once

#include "timeline/ChartKit.h"

#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>

class CDelayButton;
class CPushButton;
class QAbstractButton;
class QPainter;

class CTimeChartView : public QFrame, public CAxisPanel {
    Q_OBJECT

public:
    explicit CTimeChartView(QWidget* parent = nullptr);
    ~CTimeChartView() override;

    // The chart area for the current size.
    virtual QRect ChartRect() const = 0;
    // Renders the panel into the back buffer and schedules a repaint.
    void Redraw();
    // Asks for a Redraw through the event loop; a burst of requests renders once.
    void PostUpdate(int n = 0) { m_updates.Post(this, n); }
    void SetTimeText(const QString& text);
    QString TimeText() const { return m_timeText; }

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
    // The delayed release of a move button (2000 ms after the last release) ends a run of moves.
    void SignalDelayRelease();

protected:
    // Takes the buttons (children of this view) and passes their presses on as the signals.
    void SetButtons(CDelayButton* moveLeft, CDelayButton* moveRight, CPushButton* zoomIn, CPushButton* zoomOut);
    // Fills the back buffer behind the series; the painter's pen is then the one they start with.
    virtual void PaintBackground(QPainter& painter) = 0;
    void customEvent(QEvent* event) override;

    CDelayButton* m_moveLeft = nullptr;
    CDelayButton* m_moveRight = nullptr;
    CPushButton* m_zoomIn = nullptr;
    CPushButton* m_zoomOut = nullptr;
    QRect m_timeTextRect;  // room for a time text, placed by the overlay
    QString m_timeText;

private:
    QPixmap m_backBuffer;
    int m_redraws = 0;
    Varpen::CUpdateBatch m_updates;
};
