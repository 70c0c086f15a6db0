// The table view of the calendar's month page: turns keys, the wheel and the mouse into dates
// and reports them by signals; the calendar widget changes the model. A left-button drag over
// days of the shown month selects the run of days between the two cells.
#pragma once

#include <QDate>
#include <QPersistentModelIndex>
#include <QTableView>

class CCalendarModel;

class CCalendarView : public QTableView {
    Q_OBJECT
public:
    explicit CCalendarView(QWidget* parent = nullptr);
    ~CCalendarView() override;

    // The date of the cell under the event when it is valid and within the model's range.
    QDate HandleMouseEvent(QMouseEvent* event) const;

signals:
    void showDate(QDate date);
    void changeDate(QDate date, bool changeMonth, bool bChangeDate = false);
    void clicked(QDate date);
    void editingFinished();
    void focusout();
    void SignalSelectDate(QDate dtBegin, QDate dtEnd);

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;

private:
    CCalendarModel* CalendarModel() const;
    bool IsReadOnly() const { return selectionMode() == NoSelection; }

    bool m_validDateClicked = false;
    QPersistentModelIndex m_pressedIndex;
};
