// The table model of one month page of the calendar: a header row of day names, an optional
// week-number column and six week rows of seven days, with the calendar's selected date, its
// valid range and a selected range of days kept beside the selected date.
#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QMap>
#include <QTextCharFormat>

class CCalendarView;

class CCalendarModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kWeekRows = 6;
    static constexpr int kDayColumns = 7;
    // The first week row always shows at least this many days of the previous month.
    static constexpr int kMinimumDayOffset = 1;

    explicit CCalendarModel(QObject* parent = nullptr);
    ~CCalendarModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool insertColumns(int column, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    bool removeColumns(int column, int count, const QModelIndex& parent = QModelIndex()) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The date of a cell; invalid outside the week rows and day columns, and for a day of a
    // neighbouring month while those are hidden.
    QDate DateForCell(int row, int column) const;
    // The date of a cell whether or not the days of the neighbouring months are shown.
    QDate PageDateForCell(int row, int column) const;
    // The cell of a date on the shown page; -1 in both when it has none (either may be null).
    void CellForDate(const QDate& date, int* row, int* column) const;

    Qt::DayOfWeek DayOfWeekForColumn(int column) const;
    int ColumnForDayOfWeek(Qt::DayOfWeek day) const;
    QDate ReferenceDate() const;
    int ColumnForFirstOfMonth(const QDate& date) const;
    QString DayName(Qt::DayOfWeek day) const;
    QTextCharFormat FormatForCell(int row, int column) const;

    void SetDate(const QDate& date);
    void SetSelectRange(const QDate& begin, const QDate& end);
    void ShowMonth(int year, int month);
    void SetMinimumDate(const QDate& date);
    void SetMaximumDate(const QDate& date);
    void SetRange(const QDate& min, const QDate& max);
    void SetHorizontalHeaderFormat(int format);
    void SetFirstColumnDay(Qt::DayOfWeek day);
    Qt::DayOfWeek GetFirstColumnDay() const { return m_firstDay; }
    void SetWeekNumbersShown(bool show);
    bool GetWeekNumbersShown() const { return m_weekNumbersShown; }
    void SetShowOtherMonthDays(bool show) { m_showOtherMonthDays = show; }
    bool GetShowOtherMonthDays() const { return m_showOtherMonthDays; }
    void SetView(CCalendarView* view) { m_view = view; }
    void InternalUpdate();

    // Read directly by the calendar widget, its view and its delegate.
    int m_firstColumn = 1;
    int m_firstRow = 1;
    QDate m_date;
    QDate m_minimumDate;
    QDate m_maximumDate;
    int m_shownYear = 0;
    int m_shownMonth = 0;
    Qt::DayOfWeek m_firstDay = Qt::Sunday;
    int m_horizontalHeaderFormat;
    bool m_weekNumbersShown = true;
    bool m_showOtherMonthDays = true;
    QMap<Qt::DayOfWeek, QTextCharFormat> m_dayFormats;
    QMap<QDate, QTextCharFormat> m_dateFormats;
    QTextCharFormat m_headerFormat;
    CCalendarView* m_view = nullptr;
    QDate m_rangeBegin;
    QDate m_rangeEnd;
};
