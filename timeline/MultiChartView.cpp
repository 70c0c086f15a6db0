#include "timeline/MultiChartView.h"

#include "widgets/CPushButton.h"

#include <QEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>

namespace {

template <typename Button>
Button* MakeButton(QWidget* parent, const char* objectName, const char* icon)
{
    auto* b = new Button(parent);
    b->setObjectName(QLatin1String(objectName));
    b->setIcon(QIcon(QLatin1String(icon)));
    b->setIconSize(QSize(19, 19));
    b->setFixedSize(19, 19);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

CMultiChartView::CMultiChartView(QWidget* parent) : CTimeChartView(parent)
{
    SetButtons(MakeButton<CDelayButton>(this, "m_pMoveLeftBtn", ":/images/public/Timeslider/MultiMoveLeft.png"),
               MakeButton<CDelayButton>(this, "m_pMoveRightBtn", ":/images/public/Timeslider/MultiMoveRight.png"),
               MakeButton<CPushButton>(this, "m_pZoomInBtn", ":/images/public/Timeslider/MultiZoomin.png"),
               MakeButton<CPushButton>(this, "m_pZoomOutBtn", ":/images/public/Timeslider/MultiZoomout.png"));

    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setSingleStep(kRowPitch_px);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, &CMultiChartView::OnSlotValueChanged);
    m_scrollBar->hide();

    m_moveLeft->move(77, 4);
}

CMultiChartView::~CMultiChartView() = default;

QRect CMultiChartView::PanelRectFor(const QSize& size)
{
    return QRect(kLeftMargin_px, 0, size.width() - kLeftMargin_px - kRightMargin_px, size.height());
}

void CMultiChartView::SetRowCount(int n)
{
    m_rowCount = n;
    m_scrollBar->setValue(0);
    if (n > kVisibleRows) {
        m_scrollBar->setRange(0, (n - kVisibleRows) * kRowPitch_px);
        m_scrollBar->show();
    } else {
        m_scrollBar->hide();
    }
}

void CMultiChartView::OnSlotValueChanged(int value)
{
    VerticalAxis().SetRange(value, value + kVerticalSpan);
    Redraw();
}

void CMultiChartView::PaintBackground(QPainter& painter)
{
    painter.fillRect(rect(), QColor(31, 29, 30));  // the series start with no pen
}

void CMultiChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, BackBuffer());
    QRect box = m_timeTextRect;
    box.moveCenter(QPoint(PanelRectFor(size()).center().x(), 5));
    painter.setPen(QColor(213, 59, 57));
    painter.drawText(box, m_timeText, QTextOption());
}

void CMultiChartView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    const int w = width();
    m_moveRight->move(w - 86, 4);
    m_zoomOut->move(w - 61, 4);
    m_zoomIn->move(w - 36, 4);
    m_scrollBar->setGeometry(w - 13, 28, 13, height() - 28);
    m_scrollBar->setVisible(m_rowCount * kRowPitch_px + 26 > height());
    Redraw();
}
