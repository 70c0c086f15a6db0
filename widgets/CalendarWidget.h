// The month calendar of the program: a fixed 183 x 200 body with its own navigation bar, date
// marks by kind drawn as coloured corner triangles, and three selection modes, the third of
// which selects a dragged run of days. Month and day names and the first day of the week come
// from the current language.
#pragma once

#include <QDate>
#include <QList>
#include <QMap>
#include <QTextCharFormat>
#include <QWidget>

class CCalendarDelegate;
class CCalendarModel;
class CCalendarTextNavigator;
class CCalendarView;
class QItemSelectionModel;
class QLabel;
class QToolButton;

class CCalendarWidget : public QWidget {
    Q_OBJECT
public:
    enum HorizontalHeaderFormat {
        NoHorizontalHeader = 0,
        SingleLetterDayNames = 1,
        ShortDayNames = 2,
        LongDayNames = 3
    };
    Q_ENUM(HorizontalHeaderFormat)
    enum VerticalHeaderFormat { NoVerticalHeader = 0, ISOWeekNumbers = 1 };
    Q_ENUM(VerticalHeaderFormat)
    enum SelectionMode { NoSelection = 0, SingleSelection = 1, MultiSelection = 2 };
    Q_ENUM(SelectionMode)

    Q_PROPERTY(QDate SelectedDate READ GetSelectedDate WRITE SetSelectedDate)
    Q_PROPERTY(QDate MinimumDate READ GetMinimumDate WRITE SetMinimumDate)
    Q_PROPERTY(QDate MaximumDate READ GetMaximumDate WRITE SetMaximumDate)
    Q_PROPERTY(Qt::DayOfWeek FirstDayOfWeek READ GetFirstDayOfWeek WRITE SetFirstDayOfWeek)
    Q_PROPERTY(bool gridVisible READ IsGridVisible WRITE SetGridVisible)
    Q_PROPERTY(SelectionMode GetSelectionMode READ GetSelectionMode WRITE SetSelectionMode)
    Q_PROPERTY(
        HorizontalHeaderFormat GetHorizontalHeaderFormat READ GetHorizontalHeaderFormat WRITE SetHorizontalHeaderFormat)
    Q_PROPERTY(VerticalHeaderFormat GetVerticalHeaderFormat READ GetVerticalHeaderFormat WRITE SetVerticalHeaderFormat)
    Q_PROPERTY(bool headerVisible READ IsHeaderVisible WRITE SetHeaderVisible STORED false DESIGNABLE false)
    Q_PROPERTY(bool navigationBarVisible READ IsNavigationBarVisible WRITE SetNavigationBarVisible)
    Q_PROPERTY(bool dateEditEnabled READ IsDateEditEnabled WRITE SetDateEditEnabled)
    Q_PROPERTY(int DateEditAcceptDelay READ GetDateEditAcceptDelay WRITE SetDateEditAcceptDelay)

public:
    explicit CCalendarWidget(QWidget* parent = nullptr);
    ~CCalendarWidget() override;

    virtual void paintCell(QPainter* painter, const QRect& rect, const QDate& date) const;

    QDate GetSelectedDate() const;
    int GetYearShown() const;
    int GetMonthShown() const;
    void GetDateRange(QDate& begin, QDate& end) const;
    void SetValidDateRange(const QDate& begin, const QDate& end);
    void SetShowOtherMonthDays(bool show);

    QDate GetMinimumDate() const;
    void SetMinimumDate(const QDate& date);
    QDate GetMaximumDate() const;
    void SetMaximumDate(const QDate& date);
    Qt::DayOfWeek GetFirstDayOfWeek() const;
    void SetFirstDayOfWeek(Qt::DayOfWeek dayOfWeek);
    bool IsGridVisible() const;
    SelectionMode GetSelectionMode() const;
    void SetSelectionMode(SelectionMode mode);
    HorizontalHeaderFormat GetHorizontalHeaderFormat() const;
    void SetHorizontalHeaderFormat(HorizontalHeaderFormat format);
    VerticalHeaderFormat GetVerticalHeaderFormat() const;
    void SetVerticalHeaderFormat(VerticalHeaderFormat format);
    bool IsHeaderVisible() const { return IsNavigationBarVisible(); }
    void SetHeaderVisible(bool show) { SetNavigationBarVisible(show); }
    bool IsNavigationBarVisible() const { return m_navBarVisible; }
    bool IsDateEditEnabled() const { return m_dateEditEnabled; }
    void SetDateEditEnabled(bool enable);
    int GetDateEditAcceptDelay() const;
    void SetDateEditAcceptDelay(int delay_ms);

    // Date marks: a date may carry several kinds, and a kind any number of dates.
    void SetDateMark(const QDate& date, int kind);
    void RemoveDateMark(int kind);
    void UnmarkDate(const QDate& date);
    int GetDateMarkType(const QDate& date) const;
    bool HasDateMark(const QDate& date) const;
    QColor GetDateMarkColor(int kind) const;

    void updateCell(const QDate& date);
    void UpdateCells();

    QTextCharFormat GetHeaderTextFormat() const;
    void SetHeaderTextFormat(const QTextCharFormat& format);
    QTextCharFormat GetWeekdayTextFormat(Qt::DayOfWeek dayOfWeek) const;
    void SetWeekdayTextFormat(Qt::DayOfWeek dayOfWeek, const QTextCharFormat& format);
    QMap<QDate, QTextCharFormat> GetDateTextFormat() const;
    QTextCharFormat GetDateTextFormat(const QDate& date) const;
    void SetDateTextFormat(const QDate& date, const QTextCharFormat& format);

    // The parts the delegate and tests work with.
    CCalendarModel* Model() const { return m_model; }
    CCalendarView* View() const { return m_view; }

signals:
    void SelectionChanged();
    void clicked(QDate date);
    void activated(QDate date);
    void SignalSelectDate(QDate dtBegin, QDate dtEnd);
    void CurrentPageChanged(int iYear, int iMonth);
    void CurrentPageChangedEx(QString);
    void LeaveCalendar();

public slots:
    void SetSelectedDate(QDate date);
    void SetDateRange(QDate minDate, QDate maxDate);
    void SetCurrentPage(int iYear, int iMonth);
    void SetGridVisible(bool bShow);
    void SetNavigationBarVisible(bool bVisible);
    void ShowNextMonth();
    void ShowPreviousMonth();
    void ShowNextYear();
    void ShowPreviousYear();
    void ShowSelectedDate();
    void ShowToDay();
    void OnCallJudgePos();

protected slots:
    void OnShowDate(QDate date);
    void OnChangeDate(QDate date);
    void OnChangeDate(QDate date, bool changeMonth, bool bChangeDate = false);
    void OnSlotSelectDate(QDate dtBegin, QDate dtEnd);
    void OnEditingFinished();
    void OnPrevMonthClicked();
    void OnNextMonthClicked();
    void OnPrevYearClicked();
    void OnNextYearClicked();

protected:
    bool event(QEvent* event) override;

private:
    void CreateNavigationBar();
    void UpdateNavigationBar();
    void UpdateButtonStates();
    void ShowMonth(int year, int month);
    void UpdateCurrentPage(QDate date);
    QDate GetCurrentDate() const;
    void UpdateSelection();
    void SetNavigatorEnabled(bool enable);
    void UpdateView();

    QMap<int, QList<QDate>> m_dateMarks;
    CCalendarModel* m_model = nullptr;
    CCalendarView* m_view = nullptr;
    CCalendarDelegate* m_delegate = nullptr;
    QItemSelectionModel* m_selectionModel = nullptr;
    CCalendarTextNavigator* m_navigator = nullptr;
    bool m_dateEditEnabled = false;
    QToolButton* m_nextMonth = nullptr;
    QToolButton* m_prevMonth = nullptr;
    QLabel* m_monthLabel = nullptr;
    QToolButton* m_nextYear = nullptr;
    QToolButton* m_prevYear = nullptr;
    QLabel* m_yearLabel = nullptr;
    QWidget* m_navBarBackground = nullptr;
    bool m_navBarVisible = true;
};
