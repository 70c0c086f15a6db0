#include "timeline/ChartView.h"

#include "widgets/CPushButton.h"

#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>

namespace {

template <typename Button>
Button* MakeButton(QWidget* parent, const char* name, const QSize& size)
{
    auto* b = new Button(parent);
    b->setObjectName(QLatin1String(name));
    b->setFixedSize(size);
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->hide();
    return b;
}

}  // namespace

CChartView::CChartView(QWidget* parent) : CTimeChartView(parent)
{
    auto* moveLeft = MakeButton<CDelayButton>(this, "m_pMoveLeftBtn", QSize(19, 19));
    moveLeft->setStyleSheet(QStringLiteral("border-image: url(:/images/public/Timeslider/move-left.png);"));
    auto* moveRight = MakeButton<CDelayButton>(this, "m_pMoveRightBtn", QSize(19, 19));
    moveRight->setStyleSheet(QStringLiteral("border-image: url(:/images/public/Timeslider/move-right.png);"));
    auto* zoomIn = MakeButton<CPushButton>(this, "m_pZoomInBtn", QSize(32, 26));
    zoomIn->setIcon(QIcon(QStringLiteral(":/images/public/Timeslider/zoomin.png")));
    zoomIn->setIconSize(QSize(32, 26));
    auto* zoomOut = MakeButton<CPushButton>(this, "m_pZoomOutBtn", QSize(32, 26));
    zoomOut->setIcon(QIcon(QStringLiteral(":/images/public/Timeslider/zoomout.png")));
    zoomOut->setIconSize(QSize(32, 26));
    const QString zoomStyle = QStringLiteral(
        "QPushButton{border: none; border-image: url(); background: transparent; min-height: 0px; padding: 0px;}"
        "QPushButton:hover{border-image: url(:/images/public/Timeslider/zoom_hover.png);}"
        "QPushButton:pressed{border-image: url(:/images/public/Timeslider/zoom_in.png);}");
    zoomIn->setStyleSheet(zoomStyle);
    zoomOut->setStyleSheet(zoomStyle);
    SetButtons(moveLeft, moveRight, zoomIn, zoomOut);

    const QPixmap texture(QStringLiteral(":/images/public/Timeslider/timeslider_Background.png"));
    m_background = texture.isNull() ? QBrush(QColor(31, 29, 30)) : QBrush(texture);
    m_moveLeft->move(3, 19);
}

CChartView::~CChartView() = default;

QRect CChartView::ChartRect() const
{
    return QRect(m_leftMargin, 0, width() - m_leftMargin - m_rightMargin, height());
}

void CChartView::ShowButtons()
{
    m_leftMargin = 24;
    m_rightMargin = 100;
    for (QPushButton* b : std::initializer_list<QPushButton*>{m_moveLeft, m_moveRight, m_zoomIn, m_zoomOut})
        b->show();
}

void CChartView::HideButtons()
{
    m_leftMargin = 24;
    m_rightMargin = 8;
    for (QPushButton* b : std::initializer_list<QPushButton*>{m_moveLeft, m_moveRight, m_zoomIn, m_zoomOut})
        b->hide();
}

void CChartView::PaintBackground(QPainter& painter)
{
    painter.fillRect(rect(), m_background);
    painter.setPen(palette().color(foregroundRole()));
}

void CChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, BackBuffer());
    painter.save();
    QFont title = font();
    title.setPointSize(14);
    painter.setFont(title);
    painter.drawText(QPoint(m_leftMargin, 16), m_title);
    painter.restore();
    const QRect chart = ChartRect();
    const int x = chart.center().x();
    painter.setPen(QPen(Qt::yellow, 1, Qt::SolidLine));
    painter.drawLine(x, 0, x, chart.height());
    QRect box = m_timeTextRect;
    box.moveCenter(QPoint(x, 5));
    painter.setPen(Qt::white);
    painter.drawText(box, m_timeText, QTextOption());
}

void CChartView::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    m_moveRight->move(width() - m_rightMargin + 2, 19);
    m_zoomOut->move(m_moveRight->x() + m_moveRight->width() + 3, 17);
    m_zoomIn->move(m_zoomOut->x() + m_zoomOut->width() + 3, 17);
    Redraw();
}
