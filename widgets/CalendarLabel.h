// A small date card of the kit: a 100 x 50 frame that shows a date as a short month name, a
// short weekday name, the day number and the year, and shows a month calendar above itself
// when the mouse enters it.
#pragma once

#include <QDate>
#include <QFrame>
#include <QPixmap>
#include <QRect>

class CCalendarWidget;
class QTimer;

// The card's four text rectangles for a card of the given size.
struct CalendarLabelLayout {
    QRect month;
    QRect weekday;
    QRect day;
    QRect year;
    static CalendarLabelLayout ForSize(const QSize& size);
};

class CCalendarLabel : public QFrame {
    Q_OBJECT
public:
    explicit CCalendarLabel(QWidget* parent = nullptr);
    ~CCalendarLabel() override;

    QDate GetDate() const { return m_date; }
    CCalendarWidget* GetCalendar() const { return m_calendar; }

signals:
    void mouseEnter();
    void clicked(QDate date);

public slots:
    void updateDate();
    void HideCalender();
    void setDate(QDate date);

protected:
    void enterEvent(QEnterEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void RenderCard();

    QDate m_date;
    QPixmap m_card;
    QPixmap m_background;
    QTimer* m_updateTimer = nullptr;
    CalendarLabelLayout m_layout;
    CCalendarWidget* m_calendar = nullptr;
};
