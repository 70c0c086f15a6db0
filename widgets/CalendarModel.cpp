#include "widgets/CalendarModel.h"

#include "widgets/CalendarView.h"
#include "widgets/CalendarWidget.h"

#include <QApplication>
#include <QPalette>

namespace {

// Integer division and remainder rounded towards minus infinity.
void FloorDivide(qint64 value, int divisor, qint64* quotient, int* remainder)
{
    qint64 q = value / divisor;
    qint64 r = value % divisor;
    if (r < 0) {
        r += divisor;
        --q;
    }
    *quotient = q;
    *remainder = int(r);
}

}  // namespace

CCalendarModel::CCalendarModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_date(QDate::currentDate()),
      m_minimumDate(QDate::fromJulianDay(1)),
      m_maximumDate(7999, 12, 31),
      m_shownYear(m_date.year()),
      m_shownMonth(m_date.month()),
      m_horizontalHeaderFormat(CCalendarWidget::ShortDayNames),
      m_rangeBegin(m_date),
      m_rangeEnd(m_date)
{
}

CCalendarModel::~CCalendarModel() = default;

// A table: the cells have no children.
int CCalendarModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_firstRow + kWeekRows;
}

int CCalendarModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_firstColumn + kDayColumns;
}

Qt::DayOfWeek CCalendarModel::DayOfWeekForColumn(int column) const
{
    const int c = column - m_firstColumn;
    if (c < 0 || c > 6)
        return Qt::Sunday;
    int day = int(m_firstDay) + c;
    if (day > 7)
        day -= 7;
    return Qt::DayOfWeek(day);
}

int CCalendarModel::ColumnForDayOfWeek(Qt::DayOfWeek day) const
{
    if (day < 1 || day > 7)
        return -1;
    int c = int(day) - int(m_firstDay);
    if (c < 0)
        c += 7;
    return c + m_firstColumn;
}

QDate CCalendarModel::ReferenceDate() const
{
    for (int day = 1; day <= 31; ++day) {
        const QDate date(m_shownYear, m_shownMonth, day);
        if (date.isValid())
            return date;
    }
    return QDate();
}

int CCalendarModel::ColumnForFirstOfMonth(const QDate& date) const
{
    return (ColumnForDayOfWeek(Qt::DayOfWeek(date.dayOfWeek())) - (date.day() % 7) + 8) % 7;
}

QDate CCalendarModel::PageDateForCell(int row, int column) const
{
    if (row < m_firstRow || row > m_firstRow + kWeekRows - 1 || column < m_firstColumn ||
        column > m_firstColumn + kDayColumns - 1)
        return QDate();
    const QDate reference = ReferenceDate();
    if (!reference.isValid())
        return QDate();
    const int first = ColumnForFirstOfMonth(reference);
    if (first - m_firstColumn < kMinimumDayOffset)
        row -= 1;
    const int offset = 7 * (row - m_firstRow) + column - first - reference.day() + 1;
    return reference.addDays(offset);
}

QDate CCalendarModel::DateForCell(int row, int column) const
{
    const QDate date = PageDateForCell(row, column);
    if (date.isValid() && !m_showOtherMonthDays && date.month() != m_shownMonth)
        return QDate();
    return date;
}

void CCalendarModel::CellForDate(const QDate& date, int* row, int* column) const
{
    if (!row && !column)
        return;
    if (row)
        *row = -1;
    if (column)
        *column = -1;
    const QDate reference = ReferenceDate();
    if (!reference.isValid() || !date.isValid())
        return;
    const int first = ColumnForFirstOfMonth(reference);
    const qint64 position = reference.daysTo(date) - m_firstColumn + first + reference.day() - 1;
    qint64 r = 0;
    int c = 0;
    FloorDivide(position, 7, &r, &c);
    if (first - m_firstColumn < kMinimumDayOffset)
        r += 1;
    if (r < 0 || r > kWeekRows - 1 || c < 0 || c > kDayColumns - 1)
        return;
    if (row)
        *row = int(r) + m_firstRow;
    if (column)
        *column = c + m_firstColumn;
}

QString CCalendarModel::DayName(Qt::DayOfWeek day) const
{
    const QLocale locale = m_view ? m_view->locale() : QLocale();
    switch (m_horizontalHeaderFormat) {
    case CCalendarWidget::SingleLetterDayNames: {
        const QString standalone = locale.standaloneDayName(day, QLocale::NarrowFormat);
        if (standalone == locale.dayName(day, QLocale::NarrowFormat))
            return standalone.left(1);
        return standalone;
    }
    case CCalendarWidget::ShortDayNames:
        return locale.dayName(day, QLocale::ShortFormat);
    case CCalendarWidget::LongDayNames:
        return locale.dayName(day, QLocale::LongFormat);
    default:
        return QString();
    }
}

QTextCharFormat CCalendarModel::FormatForCell(int row, int column) const
{
    QPalette palette = m_view ? m_view->palette() : QApplication::palette();
    QPalette::ColorGroup group = QPalette::Active;
    if (m_view) {
        if (!m_view->isEnabled())
            group = QPalette::Disabled;
        else if (!m_view->isActiveWindow())
            group = QPalette::Inactive;
    }
    QTextCharFormat format;
    format.setFont(m_view ? m_view->font() : QApplication::font());
    const bool header = (m_weekNumbersShown && column == 0) ||
                        (m_horizontalHeaderFormat != CCalendarWidget::NoHorizontalHeader && row == 0);
    format.setBackground(palette.brush(group, header ? QPalette::AlternateBase : QPalette::Base));
    format.setForeground(palette.brush(group, QPalette::Text));
    if (header)
        format.merge(m_headerFormat);
    if (column >= m_firstColumn && column < m_firstColumn + kDayColumns) {
        const auto it = m_dayFormats.constFind(DayOfWeekForColumn(column));
        if (it != m_dayFormats.constEnd())
            format.merge(*it);
    }
    if (!header) {
        const QDate date = DateForCell(row, column);
        const auto it = m_dateFormats.constFind(date);
        if (date.isValid() && it != m_dateFormats.constEnd())
            format.merge(*it);
        if (!date.isValid() || date < m_minimumDate || date > m_maximumDate)
            format.setBackground(palette.brush(group, QPalette::Window));
        if (!date.isValid() || date.month() != m_shownMonth)
            format.setForeground(palette.brush(QPalette::Disabled, QPalette::Text));
    }
    return format;
}

QVariant CCalendarModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return QVariant();
    const int row = index.row();
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignCenter);
    if (role == Qt::DisplayRole) {
        if (m_weekNumbersShown && column == 0 && row >= m_firstRow && row < m_firstRow + kWeekRows) {
            const QDate monday = DateForCell(row, ColumnForDayOfWeek(Qt::Monday));
            if (monday.isValid())
                return monday.weekNumber();
            return QVariant();
        }
        if (m_horizontalHeaderFormat != CCalendarWidget::NoHorizontalHeader && row == 0 && column >= m_firstColumn &&
            column < m_firstColumn + kDayColumns)
            return DayName(DayOfWeekForColumn(column));
        const QDate date = DateForCell(row, column);
        if (date.isValid())
            return date.day();
        return QString();
    }
    const QTextCharFormat format = FormatForCell(row, column);
    switch (role) {
    case Qt::ToolTipRole:
        return format.toolTip();
    case Qt::FontRole:
        return format.font();
    case Qt::BackgroundRole:
        return format.background().color();
    case Qt::ForegroundRole:
        return format.foreground().color();
    default:
        return QVariant();
    }
}

Qt::ItemFlags CCalendarModel::flags(const QModelIndex& index) const
{
    const QDate date = DateForCell(index.row(), index.column());
    if (!date.isValid())
        return QAbstractTableModel::flags(index);
    if (date < m_minimumDate || date > m_maximumDate)
        return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index);
}

bool CCalendarModel::insertRows(int row, int count, const QModelIndex& parent)
{
    beginInsertRows(parent, row, row + count - 1);
    endInsertRows();
    return true;
}

bool CCalendarModel::insertColumns(int column, int count, const QModelIndex& parent)
{
    beginInsertColumns(parent, column, column + count - 1);
    endInsertColumns();
    return true;
}

bool CCalendarModel::removeRows(int row, int count, const QModelIndex& parent)
{
    beginRemoveRows(parent, row, row + count - 1);
    endRemoveRows();
    return true;
}

bool CCalendarModel::removeColumns(int column, int count, const QModelIndex& parent)
{
    beginRemoveColumns(parent, column, column + count - 1);
    endRemoveColumns();
    return true;
}

void CCalendarModel::SetDate(const QDate& date)
{
    m_date = date;
    if (m_date < m_minimumDate)
        m_date = m_minimumDate;
    else if (m_date > m_maximumDate)
        m_date = m_maximumDate;
}

void CCalendarModel::SetSelectRange(const QDate& begin, const QDate& end)
{
    m_rangeBegin = begin;
    m_rangeEnd = end;
}

void CCalendarModel::ShowMonth(int year, int month)
{
    if (m_shownYear == year && m_shownMonth == month)
        return;
    m_shownYear = year;
    m_shownMonth = month;
    InternalUpdate();
}

void CCalendarModel::SetMinimumDate(const QDate& date)
{
    if (!date.isValid() || date == m_minimumDate)
        return;
    m_minimumDate = date;
    if (m_maximumDate < m_minimumDate)
        m_maximumDate = m_minimumDate;
    if (m_date < m_minimumDate)
        m_date = m_minimumDate;
    InternalUpdate();
}

void CCalendarModel::SetMaximumDate(const QDate& date)
{
    if (!date.isValid() || date == m_maximumDate)
        return;
    m_maximumDate = date;
    if (m_minimumDate > m_maximumDate)
        m_minimumDate = m_maximumDate;
    if (m_date > m_maximumDate)
        m_date = m_maximumDate;
    InternalUpdate();
}

void CCalendarModel::SetRange(const QDate& min, const QDate& max)
{
    m_minimumDate = min;
    m_maximumDate = max;
    if (m_minimumDate > m_maximumDate)
        qSwap(m_minimumDate, m_maximumDate);
    SetDate(m_date);
    InternalUpdate();
}

// The row and column counts change between the announcements, so that views and checkers see
// the old count before and the new one after.
void CCalendarModel::SetHorizontalHeaderFormat(int format)
{
    if (m_horizontalHeaderFormat == format)
        return;
    if (m_horizontalHeaderFormat == CCalendarWidget::NoHorizontalHeader) {
        beginInsertRows(QModelIndex(), 0, 0);
        m_horizontalHeaderFormat = format;
        m_firstRow = 1;
        endInsertRows();
    } else if (format == CCalendarWidget::NoHorizontalHeader) {
        beginRemoveRows(QModelIndex(), 0, 0);
        m_horizontalHeaderFormat = format;
        m_firstRow = 0;
        endRemoveRows();
    } else {
        m_horizontalHeaderFormat = format;
    }
    InternalUpdate();
}

void CCalendarModel::SetWeekNumbersShown(bool show)
{
    if (m_weekNumbersShown == show)
        return;
    if (show) {
        beginInsertColumns(QModelIndex(), 0, 0);
        m_weekNumbersShown = true;
        m_firstColumn = 1;
        endInsertColumns();
    } else {
        beginRemoveColumns(QModelIndex(), 0, 0);
        m_weekNumbersShown = false;
        m_firstColumn = 0;
        endRemoveColumns();
    }
    InternalUpdate();
}

void CCalendarModel::SetFirstColumnDay(Qt::DayOfWeek day)
{
    if (m_firstDay == day)
        return;
    m_firstDay = day;
    InternalUpdate();
}

void CCalendarModel::InternalUpdate()
{
    const QModelIndex begin = index(0, 0);
    const QModelIndex end = index(m_firstRow + kWeekRows - 1, m_firstColumn + kDayColumns - 1);
    emit dataChanged(begin, end);
    emit headerDataChanged(Qt::Vertical, 0, m_firstRow + kWeekRows - 1);
    emit headerDataChanged(Qt::Horizontal, 0, m_firstColumn + kDayColumns - 1);
}
