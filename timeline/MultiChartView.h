// The drawing surface of the multi-row time slider: a frame that is also a chart panel. It
// renders the panel into a back buffer when a Varpen::CUpdateEvent (any custom event) reaches
// it, paints the buffer and the current time in red at the top centre, carries the move and
// zoom buttons and scrolls the rows.
#pragma once

#include "timeline/ChartKit.h"

#include <QFrame>
#include <QPixmap>
#include <QRect>
#include <QString>

class CDelayButton;
class CPushButton;
class QAbstractButton;
class QScrollBar;

class CMultiChartView : public QFrame, public CAxisPanel {
    Q_OBJECT

public:
    // Pixels left of the chart area (row labels and menu icons) and right of it (buttons and the
    // scroll bar).
    static constexpr int kLeftMargin_px = 112;
    static constexpr int kRightMargin_px = 101;
    static constexpr int kRowPitch_px = 24;
    static constexpr int kVisibleRows = 4;
    static constexpr int kVerticalSpan = 124;

    explicit CMultiChartView(QWidget* parent = nullptr);
    ~CMultiChartView() override;

    void SetRowCount(int n);
    int RowCount() const { return m_rowCount; }
    void SetTimeText(const QString& text);
    QString TimeText() const { return m_timeText; }
    // Renders the panel into the back buffer and schedules a repaint.
    void Redraw();
    // The chart area for a widget of `size`: (112, 0, width - 213, height).
    static QRect PanelRectFor(const QSize& size);

    // Asks for a Redraw through the event loop; a burst of requests renders once.
    void PostUpdate(int n = 0) { m_updates.Post(this, n); }

    const QPixmap& BackBuffer() const { return m_backBuffer; }
    int RedrawCount() const { return m_redraws; }
    QScrollBar* ScrollBar() const { return m_scrollBar; }
    QAbstractButton* MoveLeftButton() const;
    QAbstractButton* MoveRightButton() const;
    QAbstractButton* ZoomInButton() const;
    QAbstractButton* ZoomOutButton() const;

signals:
    void SignalZoomIn();
    void SignalZoomOut();
    void SignalDelayRelease();
    void SignalMoveRight();
    void SignalMoveLeft();

public slots:
    void OnSlotValueChanged(int value);

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
    QScrollBar* m_scrollBar = nullptr;
    QString m_timeText;
    int m_rowCount = 0;
    int m_redraws = 0;
    Varpen::CUpdateBatch m_updates;
};
