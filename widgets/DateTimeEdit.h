// The date-and-time field of every page ("yyyy-MM-dd hh:mm:ss") and the calendar pop-up it opens
// on a press on its drop-down arrow or frame. The pop-up hosts the program's month calendar and
// always opens fully on the screen that holds the editor. Typing goes part by part, as on the
// calendar: a click into the text selects the part under it, so that the first digit typed
// replaces it; Left and Right go to the part before or after it (from the last round to the
// first); a separator typed before any digit of a part does nothing, so that the part the field
// has just completed by itself is not followed by a skipped one.
#pragma once

#include "widgets/CalendarWidget.h"  // held through a QPointer, which needs the whole type

#include <QDate>
#include <QDateTimeEdit>
#include <QPointer>
#include <QTimeEdit>

// Where the pop-up of an editor opens: below the editor, or above it when the editor's bottom
// row lies lower than three quarters of its screen's height; the side that does not fit gives
// way to the other one, and the result is kept inside the screen. All rectangles are global.
QPoint CalendarPopupPosition(const QRect& editor, const QSize& popup, const QRect& screen);

class CCalendarTimePopup : public QWidget {
    Q_OBJECT
public:
    explicit CCalendarTimePopup(QWidget* parent = nullptr);
    ~CCalendarTimePopup() override;

    // Installs a calendar (the pop-up takes it as its child), deleting the one installed before.
    void SetCalendarWidget(CCalendarWidget* calendar);
    CCalendarWidget* GetCalendarWidget() const { return m_calendar; }
    void SetDate(const QDate& date);
    void SetDateRange(const QDate& min, const QDate& max);
    QDate GetSelectedDate() const;
    void SetFirstDayOfWeek(Qt::DayOfWeek dayOfWeek);

signals:
    void activated(QDate date);
    void newDateSelected(QDate newDate);
    void hidingCalendar(QDate oldDate);
    void resetButton();

private slots:
    void dateSelected(QDate date);
    void dateSelectionChanged();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QPointer<CCalendarWidget> m_calendar;
    QDate m_oldDate;
    bool m_dateChanged = false;
};

class CDateTimeEdit : public QDateTimeEdit {
    Q_OBJECT
public:
    // Today at 00:00:00.
    explicit CDateTimeEdit(QWidget* parent = nullptr);
    CDateTimeEdit(const QDateTime& value, QWidget* parent = nullptr);
    CDateTimeEdit(const QDate& value, QWidget* parent = nullptr);
    // Today at the given time.
    CDateTimeEdit(const QTime& value, QWidget* parent = nullptr);
    CDateTimeEdit(const QVariant& value, QMetaType::Type parserType, QWidget* parent = nullptr);
    ~CDateTimeEdit() override;

    CCalendarTimePopup* Popup() const { return m_popup; }

    bool eventFilter(QObject* watched, QEvent* event) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Init();
    void OpenPopup();
    // Selects the part `step` parts away from the current one, round at the ends.
    void SelectSection(int step);
    // Whether the current part is selected whole, that is no digit has been typed into it yet.
    bool SectionSelectedWhole() const;

    CCalendarTimePopup* m_popup = nullptr;
};

// A time field of the kit.
class CTimeEdit : public QTimeEdit {
    Q_OBJECT
public:
    explicit CTimeEdit(QWidget* parent = nullptr);

public slots:
    void setUserDisabled(bool disabled);
    void setUserEnabled(bool enabled);
};
