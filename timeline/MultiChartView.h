// The drawing surface of the multi-row time slider: a frame that is also a chart panel. It
// renders the panel into a back buffer when a Varpen::CUpdateEvent (any custom event) reaches
// it, paints the buffer and the current time in red at the top centre, carries the move and
// zoom buttons and scrolls the rows.
#pragma once

#include "timeline/TimeChartView.h"

class QScrollBar;

class CMultiChartView : public CTimeChartView {
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
    // The chart area for a widget of `size`: (112, 0, width - 213, height).
    static QRect PanelRectFor(const QSize& size);
    QRect ChartRect() const override { return PanelRectFor(size()); }

    QScrollBar* ScrollBar() const { return m_scrollBar; }

public slots:
    void OnSlotValueChanged(int value);

protected:
    void PaintBackground(QPainter& painter) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QScrollBar* m_scrollBar = nullptr;
    int m_rowCount = 0;
};
