// The drawing surface of the single-row time slider: a frame that is also a chart panel. It
// renders the panel into a back buffer on any custom event, paints a title, a yellow marker line
// with the current time at the centre of the chart, and carries move and zoom buttons that show
// only while the slider is shown large.
#pragma once

#include "timeline/TimeChartView.h"

#include <QBrush>

class CChartView : public CTimeChartView {
    Q_OBJECT

public:
    explicit CChartView(QWidget* parent = nullptr);
    ~CChartView() override;

    void ShowButtons();
    void HideButtons();
    void SetTitleText(const QString& text)
    {
        m_title = text;
        update();
    }
    QString TitleText() const { return m_title; }

    int LeftMargin() const { return m_leftMargin; }
    int RightMargin() const { return m_rightMargin; }
    // The chart area for the current size and margins.
    QRect ChartRect() const override;

protected:
    void PaintBackground(QPainter& painter) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int m_leftMargin = 24;
    int m_rightMargin = 8;
    QString m_title;
    QBrush m_background;
};
