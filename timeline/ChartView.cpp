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

CChartView::CChartView(QWidget* parent) : QFrame(parent)
{
    setMouseTracking(true);
    m_moveLeft = MakeButton<CDelayButton>(this, "m_pMoveLeftBtn", QSize(19, 19));
    m_moveLeft->setStyleSheet(QStringLiteral("border-image: url(:/images/public/Timeslider/move-left.png);"));
    m_moveRight = MakeButton<CDelayButton>(this, "m_pMoveRightBtn", QSize(19, 19));
    m_moveRight->setStyleSheet(QStringLiteral("border-image: url(:/images/public/Timeslider/move-right.png);"));
    m_zoomIn = MakeButton<CPushButton>(this, "m_pZoomInBtn", QSize(32, 26));
    m_zoomIn->setIcon(QIcon(QStringLiteral(":/images/public/Timeslider/zoomin.png")));
    m_zoomIn->setIconSize(QSize(32, 26));
    m_zoomOut = MakeButton<CPushButton>(this, "m_pZoomOutBtn", QSize(32, 26));
    m_zoomOut->setIcon(QIcon(QStringLiteral(":/images/public/Timeslider/zoomout.png")));
    m_zoomOut->setIconSize(QSize(32, 26));
    const QString zoomStyle = QStringLiteral(
        "QPushButton{border: none; border-image: url(); background: transparent; min-height: 0px; padding: 0px;}"
        "QPushButton:hover{border-image: url(:/images/public/Timeslider/zoom_hover.png);}"
        "QPushButton:pressed{border-image: url(:/images/public/Timeslider/zoom_in.png);}");
    m_zoomIn->setStyleSheet(zoomStyle);
    m_zoomOut->setStyleSheet(zoomStyle);

    connect(m_zoomIn, &QPushButton::pressed, this, &CChartView::SignalZoomIn);
    connect(m_zoomOut, &QPushButton::pressed, this, &CChartView::SignalZoomOut);
    connect(m_moveRight, &QPushButton::pressed, this, &CChartView::SignalMoveRight);
    connect(m_moveLeft, &QPushButton::pressed, this, &CChartView::SignalMoveLeft);
    connect(m_moveLeft, &CDelayButton::SignalDelayRelease, this, &CChartView::SignalDelayRelease);
    connect(m_moveRight, &CDelayButton::SignalDelayRelease, this, &CChartView::SignalDelayRelease);

    const QPixmap texture(QStringLiteral(":/images/public/Timeslider/timeslider_Background.png"));
    m_background = texture.isNull() ? QBrush(QColor(31, 29, 30)) : QBrush(texture);
    m_timeTextRect = fontMetrics().boundingRect(QRect(), Qt::AlignLeft, QStringLiteral("2010-07-29 00:00:00"));
    m_moveLeft->move(3, 19);
}

CChartView::~CChartView() = default;

QAbstractButton* CChartView::MoveLeftButton() const
{
    return m_moveLeft;
}
QAbstractButton* CChartView::MoveRightButton() const
{
    return m_moveRight;
}
QAbstractButton* CChartView::ZoomInButton() const
{
    return m_zoomIn;
}
QAbstractButton* CChartView::ZoomOutButton() const
{
    return m_zoomOut;
}

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

void CChartView::Redraw()
{
    if (size().isEmpty())
        return;
    const qreal dpr = devicePixelRatioF();
    m_backBuffer = QPixmap(size() * dpr);
    m_backBuffer.setDevicePixelRatio(dpr);
    SetPanelRect(ChartRect());
    {
        QPainter painter(&m_backBuffer);
        painter.setFont(font());
        painter.setBackground(palette().brush(backgroundRole()));
        painter.setPen(Qt::NoPen);
        painter.fillRect(rect(), m_background);
        painter.setPen(palette().color(foregroundRole()));
        CAxisPanel::Draw(&painter);
    }
    ++m_redraws;
    update();
}

void CChartView::customEvent(QEvent*)
{
    m_updates.Arrived();
    Redraw();
}

void CChartView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_backBuffer);
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
