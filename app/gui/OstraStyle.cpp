#include "app/gui/OstraStyle.h"

#include "app/gui/CommonUtilGui.h"

#include <QIcon>
#include <QPainter>
#include <QSlider>
#include <QStyleFactory>
#include <QStyleOption>

#include <algorithm>
#include <limits>

COstraStyle::COstraStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Windows"))) {}

COstraStyle::~COstraStyle() = default;

void COstraStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                                const QWidget* widget) const
{
    switch (element) {
    case PE_FrameFocusRect:
    case PE_FrameTabBarBase:
    case PE_IndicatorTabTear:
    case PE_PanelItemViewRow:
        return;
    case PE_PanelItemViewItem:
        if (qstyleoption_cast<const QStyleOptionViewItem*>(option) && (option->state & State_Selected)) {
            const QRect r = subElementRect(SE_ItemViewItemDecoration, option, widget);
            painter->drawPixmap(r, QPixmap(QStringLiteral(":images/ControlPanel/ListView-hover.png")));
        }
        return;
    case PE_IndicatorTabClose: {
        QIcon::Mode mode = QIcon::Disabled;
        if (option->state & State_Enabled)
            mode = (option->state & State_Raised) ? QIcon::Active : QIcon::Normal;
        if (!(option->state & (State_Raised | State_Sunken | State_Selected)))
            mode = QIcon::Disabled;
        const QIcon::State state = (option->state & State_Sunken) ? QIcon::On : QIcon::Off;
        QString image;
        if (option->state & State_MouseOver)
            image = QStringLiteral(":images/Tab/TabCloseHover.png");
        else if (option->state & State_Selected)
            image = QStringLiteral(":images/Tab/TabClose.png");
        QIcon icon;
        if (!image.isEmpty()) {
            const QPixmap pixmap(image);
            if (!pixmap.isNull())
                icon.addPixmap(pixmap.scaled(20, 20, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        drawItemPixmap(painter, option->rect, Qt::AlignCenter, icon.pixmap(20, mode, state));
        return;
    }
    default:
        QProxyStyle::drawPrimitive(element, option, painter, widget);
    }
}

qint64 COstraStyle::ProgressChunkWidth(int width, int leftChunkWidth, int rightWidth, qint64 minimum, qint64 maximum,
                                       qint64 progress)
{
    if (minimum > maximum || progress - minimum < 1 || maximum == minimum)
        return 0;
    const qint64 inner = qint64(width) - leftChunkWidth - rightWidth;
    const qint64 span = maximum - minimum;
    const qint64 done = std::min(progress, maximum) - minimum;
    return inner * done / span;
}

void COstraStyle::DrawProgressBar(const QStyleOption* option, QPainter* painter) const
{
    const auto* bar = qstyleoption_cast<const QStyleOptionProgressBar*>(option);
    if (!bar)
        return;
    const QRect r = bar->rect;
    const QPixmap left = CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBarLeft.png"));
    const QPixmap middle = CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBar.png"));
    const QPixmap right = CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBarRight.png"));
    painter->drawPixmap(r.x(), r.y(), left);
    painter->drawPixmap(QRect(r.x() + left.width(), r.y(), r.width() - right.width() - left.width(), middle.height()),
                        middle);
    painter->drawPixmap(r.x() + r.width() - right.width(), r.y(), right);

    if (bar->minimum > bar->maximum || qint64(bar->progress) - bar->minimum < 1 ||
        pixelMetric(PM_ProgressBarChunkWidth, option, nullptr) == 0)
        return;
    const QPixmap leftChunk =
        CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBarLeftChunk.png"));
    const QPixmap chunk = CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBarChunk.png"));
    const QPixmap rightChunk =
        CCommonUtil::LoadPixmap(QStringLiteral(":images/public/ProgressBar/ProgressBarRightChunk.png"));
    const int inner = r.width() - leftChunk.width() - right.width();
    const qint64 filled =
        ProgressChunkWidth(r.width(), leftChunk.width(), right.width(), bar->minimum, bar->maximum, bar->progress);
    painter->drawPixmap(r.x(), r.y(), leftChunk);
    painter->drawPixmap(QRect(r.x() + left.width(), r.y(), int(filled), middle.height()), chunk);
    if (bar->progress == bar->maximum)
        painter->drawPixmap(r.x() + leftChunk.width() + inner, r.y(), rightChunk);
}

void COstraStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                              const QWidget* widget) const
{
    switch (element) {
    case CE_TabBarTabShape: {
        const QRect r = option->rect.adjusted(2, 0, -1, 0);
        const QPixmap image((option->state & State_Selected) ? QStringLiteral(":/images/Tab/TabSelect.png")
                                                             : QStringLiteral(":/images/Tab/TabUnselect.png"));
        painter->save();
        painter->setPen(Qt::NoPen);
        painter->setBrush(QBrush(image));
        painter->drawRect(r);
        painter->restore();
        return;
    }
    case CE_ProgressBarGroove:
        DrawProgressBar(option, painter);
        return;
    case CE_ProgressBarContents:
        return;
    case CE_ShapedFrame:
        if (const auto* frame = qstyleoption_cast<const QStyleOptionFrame*>(option)) {
            QStyleOptionFrame copy(*frame);
            if (copy.frameShape == QFrame::StyledPanel) {
                copy.frameShape = QFrame::NoFrame;
                copy.lineWidth = 0;
            }
            QProxyStyle::drawControl(element, &copy, painter, widget);
        }
        return;
    default:
        QProxyStyle::drawControl(element, option, painter, widget);
    }
}

QRect COstraStyle::subElementRect(SubElement element, const QStyleOption* option, const QWidget* widget) const
{
    QRect r = QProxyStyle::subElementRect(element, option, widget);
    switch (element) {
    case SE_TabBarTabRightButton:
        r.setX(r.x() + pixelMetric(PM_TabBarTabVSpace, option, widget) + 1);
        r.setY(2);
        break;
    case SE_TabBarTabLeftButton:
        r.setHeight(0);
        break;
    case SE_ItemViewItemCheckIndicator:
        // A 16x16 box for a row that has a check box. A row without one keeps its empty
        // rectangle: given a size, it stood at the view's top-left corner, and painting the row
        // covered the first row's first letters there.
        if (const auto* item = qstyleoption_cast<const QStyleOptionViewItem*>(option);
            item && !(item->features & QStyleOptionViewItem::HasCheckIndicator))
            break;
        r.setWidth(16);
        r.setHeight(16);
        break;
    case SE_ProgressBarGroove:
        r.setY(10);
        break;
    default:
        break;
    }
    return r;
}

QRect COstraStyle::subControlRect(ComplexControl control, const QStyleOptionComplex* option, SubControl subControl,
                                  const QWidget* widget) const
{
    QRect r = QProxyStyle::subControlRect(control, option, subControl, widget);
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    if (control == CC_Slider && slider && slider->orientation == Qt::Horizontal) {
        const int h = r.height();
        if (subControl == SC_SliderHandle) {
            r.moveTop(h / 2 - 4);
            r.setHeight(10);
        } else if (subControl == SC_SliderGroove) {
            r.moveTop(h / 2 - 2);
            r.setHeight(4);
        }
    }
    return r;
}

int COstraStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_SliderLength:
        return 13;
    case PM_TabCloseIndicatorWidth:
    case PM_TabCloseIndicatorHeight:
        return 20;
    case PM_MenuButtonIndicator:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}

QSize COstraStyle::sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                                    const QWidget* widget) const
{
    QSize s = QProxyStyle::sizeFromContents(type, option, size, widget);
    switch (type) {
    case CT_RadioButton:
        s.rwidth() += 20;
        break;
    case CT_TabBarTab:
        s.setHeight(40);
        break;
    case CT_Slider:
        s.setHeight(10);
        break;
    default:
        break;
    }
    return s;
}

void COstraStyle::DrawHorizontalSlider(const QStyleOptionComplex* option, QPainter* painter,
                                       const QWidget* widget) const
{
    const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
    const QRect groove = subControlRect(CC_Slider, option, SC_SliderGroove, widget);
    const QRect handle = subControlRect(CC_Slider, option, SC_SliderHandle, widget);
    if (groove.isValid() && (option->subControls & SC_SliderGroove)) {
        painter->drawPixmap(QRect(groove.x() + 3, groove.y(), groove.width() - 6, groove.height()),
                            CCommonUtil::LoadPixmap(QStringLiteral(":/images/public/Slider/RightSlider.png")));
        painter->drawPixmap(QRect(groove.x() + 3, groove.y(), handle.left(), groove.height()),
                            CCommonUtil::LoadPixmap(QStringLiteral(":/images/public/Slider/LeftSlider.png")));
    }
    if (handle.isValid() && (option->subControls & SC_SliderHandle))
        painter->drawPixmap(handle.topLeft(),
                            CCommonUtil::LoadPixmap(QStringLiteral(":/images/public/Slider/RadiobtnOff.png")));
    if (!(option->subControls & SC_SliderTickmarks))
        return;

    const int offset = pixelMetric(PM_SliderTickmarkOffset, option, widget);
    const int thickness = pixelMetric(PM_SliderControlThickness, option, widget);
    const int length = pixelMetric(PM_SliderLength, option, widget);
    const int available = pixelMetric(PM_SliderSpaceAvailable, option, widget);
    int interval = slider->tickInterval;
    if (interval <= 0) {
        interval = slider->singleStep;
        if (QStyle::sliderPositionFromValue(slider->minimum, slider->maximum, interval, available) -
                QStyle::sliderPositionFromValue(slider->minimum, slider->maximum, 0, available) <
            3)
            interval = slider->pageStep;
    }
    if (interval == 0)
        interval = 1;
    painter->save();
    painter->translate(option->rect.topLeft());
    painter->setPen(option->palette.color(QPalette::WindowText));
    for (qint64 v = slider->minimum; v <= qint64(slider->maximum) + 1; v += interval) {
        const int value = int(std::min<qint64>(v, slider->maximum));
        int position = QStyle::sliderPositionFromValue(slider->minimum + 1, slider->maximum, value, available);
        if (position != 0) {
            position += length / 2;
            if (slider->tickPosition & QSlider::TicksAbove)
                painter->drawLine(position, 10, position, offset);
            if (slider->tickPosition & QSlider::TicksBelow)
                painter->drawLine(position, offset + thickness - 4, position, offset + thickness + 1);
        }
        if (interval == 1 && v == qint64(slider->maximum) + 1)
            break;
    }
    painter->restore();
}

void COstraStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                                     const QWidget* widget) const
{
    if (control == CC_Slider) {
        const auto* slider = qstyleoption_cast<const QStyleOptionSlider*>(option);
        if (!slider)
            return;
        if (slider->orientation != Qt::Vertical) {
            DrawHorizontalSlider(option, painter, widget);
            return;
        }
    }
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}
