#include "widgets/CalendarView.h"

#include "widgets/CalendarModel.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QWheelEvent>

#include <utility>

CCalendarView::CCalendarView(QWidget* parent) : QTableView(parent)
{
    setSelectionMode(NoSelection);
    setTabKeyNavigation(false);
    setShowGrid(false);
    verticalHeader()->setVisible(false);
    horizontalHeader()->setVisible(false);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

CCalendarView::~CCalendarView() = default;

CCalendarModel* CCalendarView::CalendarModel() const
{
    return qobject_cast<CCalendarModel*>(model());
}

QDate CCalendarView::HandleMouseEvent(QMouseEvent* event) const
{
    const CCalendarModel* calendar = CalendarModel();
    if (!calendar)
        return QDate();
    const QModelIndex index = indexAt(event->position().toPoint());
    const QDate date = calendar->DateForCell(index.row(), index.column());
    if (date.isValid() && date >= calendar->m_minimumDate && date <= calendar->m_maximumDate)
        return date;
    return QDate();
}

bool CCalendarView::event(QEvent* event)
{
    if (event->type() == QEvent::FocusOut)
        emit focusout();
    return QTableView::event(event);
}

void CCalendarView::keyPressEvent(QKeyEvent* event)
{
    if (!IsReadOnly()) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Select:
            emit editingFinished();
            event->accept();
            return;
        default:
            break;
        }
    }
    QTableView::keyPressEvent(event);
}

void CCalendarView::keyboardSearch(const QString&) {}

QModelIndex CCalendarView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    CCalendarModel* calendar = CalendarModel();
    if (!calendar)
        return QTableView::moveCursor(cursorAction, modifiers);
    const QModelIndex current = currentIndex();
    if (IsReadOnly())
        return current;
    QDate date = calendar->DateForCell(current.row(), current.column());
    // A current cell without a date (a hidden day of another month) gives nothing to move from.
    if (!date.isValid())
        return current;
    const bool rightToLeft = isRightToLeft();
    switch (cursorAction) {
    case MoveUp:
        date = date.addDays(-7);
        break;
    case MoveDown:
        date = date.addDays(7);
        break;
    case MoveLeft:
        date = date.addDays(rightToLeft ? 1 : -1);
        break;
    case MoveRight:
        date = date.addDays(rightToLeft ? -1 : 1);
        break;
    case MoveHome:
        date = QDate(date.year(), date.month(), 1);
        break;
    case MoveEnd:
        date = QDate(date.year(), date.month(), date.daysInMonth());
        break;
    case MovePageUp:
        date = date.addMonths(-1);
        break;
    case MovePageDown:
        date = date.addMonths(1);
        break;
    case MoveNext:
    case MovePrevious:
        return current;
    default:
        break;
    }
    emit changeDate(date, true, false);
    // The calendar has moved its selection and current cell by now: keep where it put them.
    return currentIndex();
}

void CCalendarView::wheelEvent(QWheelEvent* event)
{
    const int degrees = event->angleDelta().y() / 8;
    const int steps = degrees / 15;
    const QModelIndex current = currentIndex();
    if (const CCalendarModel* calendar = CalendarModel()) {
        const QDate date = calendar->DateForCell(current.row(), current.column());
        if (date.isValid())
            emit showDate(date.addMonths(-steps));
    }
    event->accept();
}

void CCalendarView::mousePressEvent(QMouseEvent* event)
{
    CCalendarModel* calendar = CalendarModel();
    if (!calendar) {
        QTableView::mousePressEvent(event);
        return;
    }
    if (IsReadOnly() || event->button() != Qt::LeftButton)
        return;
    const QDate date = HandleMouseEvent(event);
    if (!date.isValid()) {
        m_pressedIndex = QModelIndex();
        m_validDateClicked = false;
        event->ignore();
        return;
    }
    m_validDateClicked = true;
    int row = -1;
    int column = -1;
    calendar->CellForDate(date, &row, &column);
    if (row != -1 && column != -1) {
        if (date.month() == calendar->m_shownMonth && date.year() == calendar->m_shownYear)
            m_pressedIndex = calendar->index(row, column);
        else
            m_pressedIndex = QModelIndex();
        selectionModel()->setCurrentIndex(m_pressedIndex, QItemSelectionModel::NoUpdate);
    }
}

void CCalendarView::mouseMoveEvent(QMouseEvent* event)
{
    CCalendarModel* calendar = CalendarModel();
    if (!calendar) {
        QTableView::mouseMoveEvent(event);
        return;
    }
    if (IsReadOnly())
        return;
    const QDate date = HandleMouseEvent(event);
    if (!date.isValid() || date.month() != calendar->m_shownMonth)
        return;
    int row = -1;
    int column = -1;
    calendar->CellForDate(date, &row, &column);
    if (row != -1 && column != -1) {
        const QModelIndex cell = calendar->index(row, column);
        if (!m_pressedIndex.isValid()) {
            selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
        } else {
            selectionModel()->clear();
            QModelIndex start = m_pressedIndex;
            QModelIndex end = cell;
            if (end.row() < start.row())
                std::swap(start, end);
            const int lastColumn = calendar->columnCount() - 1;
            for (int r = start.row(); r <= end.row(); ++r) {
                int from = 0;
                int to = lastColumn;
                if (r == start.row()) {
                    from = start.column();
                    if (r == end.row())
                        to = end.column();
                } else if (r == end.row()) {
                    to = end.column();
                }
                if (from > to)
                    std::swap(from, to);
                selectionModel()->select(QItemSelection(calendar->index(r, from), calendar->index(r, to)),
                                         QItemSelectionModel::Select);
            }
        }
    }
    // The base view follows the mouse for the hover cell only: the run of days above is the
    // whole selection of a drag, so the base's own rectangle selection is not asked for.
    QMouseEvent hover(event->type(), event->position(), event->scenePosition(), event->globalPosition(), Qt::NoButton,
                      Qt::NoButton, event->modifiers(), event->pointingDevice());
    QTableView::mouseMoveEvent(&hover);
}

void CCalendarView::mouseReleaseEvent(QMouseEvent* event)
{
    CCalendarModel* calendar = CalendarModel();
    if (!calendar) {
        QTableView::mouseReleaseEvent(event);
        return;
    }
    if (IsReadOnly() || event->button() != Qt::LeftButton)
        return;
    if (!m_validDateClicked) {
        event->ignore();
    } else {
        const QDate date = HandleMouseEvent(event);
        if (date.isValid()) {
            const QDate pressed = calendar->DateForCell(m_pressedIndex.row(), m_pressedIndex.column());
            if (pressed != date && m_pressedIndex.isValid()) {
                if (pressed < date)
                    emit SignalSelectDate(pressed, date);
                else
                    emit SignalSelectDate(date, pressed);
            } else {
                const bool more = selectionModel()->selectedIndexes().size() > 1;
                emit changeDate(date, true, more);
                emit SignalSelectDate(date, date);
            }
            emit clicked(date);
            if (style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, this))
                emit editingFinished();
        }
        m_validDateClicked = false;
    }
    m_pressedIndex = QModelIndex();
}

void CCalendarView::mouseDoubleClickEvent(QMouseEvent* event)
{
    CCalendarModel* calendar = CalendarModel();
    if (!calendar) {
        QTableView::mouseDoubleClickEvent(event);
        return;
    }
    if (IsReadOnly())
        return;
    const QDate date = HandleMouseEvent(event);
    m_validDateClicked = false;
    if (date == calendar->m_date && !style()->styleHint(QStyle::SH_ItemView_ActivateItemOnSingleClick, nullptr, this))
        emit editingFinished();
}
