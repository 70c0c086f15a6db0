// Paints the cells of the calendar's month view from the program's images: the day-name strip,
// a cell image on a grey fill for every day, a hover image under the mouse and a focus image
// behind each selected day. Day cells go through the calendar's virtual paintCell, so that the
// calendar adds its date marks after the day is painted.
#pragma once

#include <QItemDelegate>
#include <QStyleOptionViewItem>

class CCalendarWidget;

class CCalendarDelegate : public QItemDelegate {
    Q_OBJECT
public:
    explicit CCalendarDelegate(CCalendarWidget* widget);
    ~CCalendarDelegate() override;

    // Paints one day into `rect` (the calendar's paintCell calls it).
    void paintCell(QPainter* painter, const QRect& rect, const QDate& date) const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

protected:
    void drawDisplay(QPainter* painter, const QStyleOptionViewItem& option, const QRect& rect,
                     const QString& text) const override;
    void drawDecoration(QPainter* painter, const QStyleOptionViewItem& option, const QRect& rect,
                        const QPixmap& pixmap) const override;

private:
    CCalendarWidget* m_calendarWidget;
    mutable QStyleOptionViewItem m_storedOption;
};
