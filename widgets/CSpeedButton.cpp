#include "widgets/CSpeedButton.h"

#include "app/gui/CommonUtilGui.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>

#include <algorithm>

namespace {
const QString kIconDir = QStringLiteral(":/images/MainView/ButtonIcon/");
}

CSpeedButton::CSpeedButton(QWidget* parent) : QToolButton(parent)
{
    setIcon(QIcon(kIconDir + QStringLiteral("speedCenter.png")));
    m_x = x();
    m_y = y();
    m_width = width();
    m_height = height();
}

CSpeedButton::~CSpeedButton() = default;

QString CSpeedButton::BackgroundFor(int speed)
{
    if (speed < 0)
        return kIconDir + QStringLiteral("speedLeft.png");
    if (speed > 0)
        return kIconDir + QStringLiteral("speedRight.png");
    return kIconDir + QStringLiteral("speedCenter.png");
}

QString CSpeedButton::LabelFor(int speed)
{
    static const char* const labels[] = {"X1/8", "X1/4", "X1/2", "X1", "X2", "X4", "X8"};
    if (speed < -3 || speed > 3)
        return QString();
    return QLatin1String(labels[speed + 3]);
}

void CSpeedButton::SetSpeed(int speed)
{
    m_speed = speed;
    setIcon(CCommonUtil::LoadIcon(BackgroundFor(speed)));
    update();
}

void CSpeedButton::SetDisabled(bool disabled)
{
    m_enabledLook = !disabled;
    QWidget::setDisabled(disabled);
}

int CSpeedButton::SpeedFromPos(const QPoint& pos, int speed, int width, int height)
{
    if (pos.y() > height / 2 + 7 || pos.y() < height / 2 - 7)
        return kMiss;
    const int column = width / 8;
    if (column <= 0)
        return kMiss;
    const int col = pos.x() / column;
    if (col < speed + 4)
        return col - 3;
    if (col >= speed + 5)
        return col - 4;
    return speed;
}

int CSpeedButton::SpeedFromPos(const QPoint& pos) const
{
    return SpeedFromPos(pos, m_speed, m_width, m_height);
}

void CSpeedButton::mousePressEvent(QMouseEvent* e)
{
    const int r = SpeedFromPos(e->position().toPoint());
    if (r == kMiss)
        return;
    m_speed = std::clamp(r, -3, 3);
    setIcon(QIcon(BackgroundFor(m_speed)));
    update();
    emit OnClickSpeed(m_speed);
}

void CSpeedButton::paintEvent(QPaintEvent* e)
{
    QToolButton::paintEvent(e);
    QPainter painter(this);
    const int column = m_width / 8;
    const int top = int(m_height / 2 - 6.8);
    const QPixmap knob(m_enabledLook ? QStringLiteral(":/images/MainView/ButtonIcon/speedFore.png")
                                     : QStringLiteral(":/images/MainView/ButtonIconDis/speedFore_dis.png"));
    painter.drawPixmap(column * (m_speed + 3), top, knob);
    const QString label = LabelFor(m_speed);
    // The label fits the knob: where the widget's font is wider than the 23 pixels from the
    // knob's edge to the label's right end, a smaller face of it is used.
    QFont font = painter.font();
    while (QFontMetrics(font).horizontalAdvance(QStringLiteral("X1/8")) > 22 && font.pointSizeF() > 6.0)
        font.setPointSizeF(font.pointSizeF() - 0.5);
    painter.setFont(font);
    if (!label.isEmpty())
        painter.drawText(QRect(column * (m_speed + 3) + 8, top, 15, column), Qt::AlignRight | Qt::TextDontClip, label);
}
