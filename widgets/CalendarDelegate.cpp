#include "widgets/CalendarDelegate.h"

#include "widgets/CalendarModel.h"
#include "widgets/CalendarWidget.h"

#include <QPainter>
#include <QPixmap>

namespace {

const QString kWeekLeft = QStringLiteral(":/images/public/Calendar/WeekLeft.png");
const QString kWeekRight = QStringLiteral(":/images/public/Calendar/WeekRight.png");
const QString kWeekMiddle = QStringLiteral(":/images/public/Calendar/WeekMiddle.png");
const QString kCellNormal = QStringLiteral(":/images/public/Calendar/CalendarNormal.png");
const QString kCellHover = QStringLiteral(":/images/public/Calendar/CalendarHover.png");
const QString kCellFocus = QStringLiteral(":/images/public/Calendar/CalendarFocus.png");
const QColor kCellFill(155, 155, 155, 255);
constexpr int kAlignCentre = 132;  // Qt::AlignCenter

}  // namespace

CCalendarDelegate::CCalendarDelegate(CCalendarWidget* widget) : QItemDelegate(widget), m_calendarWidget(widget) {}

CCalendarDelegate::~CCalendarDelegate() = default;

void CCalendarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const CCalendarModel* model = m_calendarWidget->Model();
    const QDate date = model->DateForCell(index.row(), index.column());
    if (date.isValid()) {
        m_storedOption = option;
        m_calendarWidget->paintCell(painter, option.rect, date);
        return;
    }
    if (index.row() == 0) {
        const QString text = index.data(Qt::DisplayRole).toString();
        // By column number, whatever the week-number column.
        const QString& image = index.column() == 0 ? kWeekLeft : index.column() == 6 ? kWeekRight : kWeekMiddle;
        painter->drawPixmap(option.rect, QPixmap(image));
        painter->drawText(option.rect, kAlignCentre, text);
        return;
    }
    QItemDelegate::paint(painter, option, index);
}

void CCalendarDelegate::paintCell(QPainter* painter, const QRect& rect, const QDate& date) const
{
    const CCalendarModel* model = m_calendarWidget->Model();
    QStyleOptionViewItem option = m_storedOption;
    option.rect = rect;
    int row = -1;
    int column = -1;
    model->CellForDate(date, &row, &column);
    QItemDelegate::paint(painter, option, model->index(row, column));
}

void CCalendarDelegate::drawDecoration(QPainter* painter, const QStyleOptionViewItem& option, const QRect&,
                                       const QPixmap&) const
{
    painter->fillRect(option.rect, kCellFill);
    painter->drawPixmap(option.rect, QPixmap(kCellNormal));
    if (option.state & QStyle::State_MouseOver)
        painter->drawPixmap(option.rect, QPixmap(kCellHover));
}

void CCalendarDelegate::drawDisplay(QPainter* painter, const QStyleOptionViewItem& option, const QRect& rect,
                                    const QString& text) const
{
    if (option.state & QStyle::State_Selected) {
        painter->drawPixmap(rect, QPixmap(kCellFocus));
        painter->drawText(rect, kAlignCentre, text);
        return;
    }
    QItemDelegate::drawDisplay(painter, option, rect, text);
}
