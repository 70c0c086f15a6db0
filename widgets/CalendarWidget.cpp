#include "widgets/CalendarWidget.h"

#include "app/ClientSetup.h"
#include "app/gui/CommonUtilGui.h"
#include "widgets/CalendarDelegate.h"
#include "widgets/CalendarModel.h"
#include "widgets/CalendarTextNavigator.h"
#include "widgets/CalendarView.h"
#include "widgets/Logging.h"

#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPainter>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

const QString kPreviousIcon = QStringLiteral(":/images/public/Calendar/CalendarPre.png");
const QString kNextIcon = QStringLiteral(":/images/public/Calendar/CalendarNext.png");
constexpr int kColumnWidth = 25;
constexpr int kJudgePosDelay_ms = 100;

}  // namespace

CCalendarWidget::CCalendarWidget(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Window);
    setObjectName(QStringLiteral("CCalendarWidget"));
    setStyleSheet(QStringLiteral("QWidget#CCalendarWidget{background:none;border:none;}"));

    if (CClientLanguageManager* languages = GetLanguageManager()) {
        if (ClientLanguageProperty* language = languages->GetCurrentLanguage())
            setLocale(language->GetLocale());
    }

    auto* boxLayout = new QVBoxLayout(this);
    auto* frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("pFrameBack"));
    frame->setStyleSheet(QStringLiteral("QFrame#pFrameBack{background:none;background-color:rgb(155,155,155);}"));
    auto* gridLayout = new QGridLayout(frame);

    m_model = new CCalendarModel(frame);
    // The week starts on the day the language's locale starts it on.
    m_model->SetFirstColumnDay(locale().firstDayOfWeek());
    QTextCharFormat weekend;
    weekend.setForeground(QBrush(Qt::red, Qt::SolidPattern));
    m_model->m_dayFormats.insert(Qt::Saturday, weekend);
    m_model->m_dayFormats.insert(Qt::Sunday, weekend);

    m_view = new CCalendarView(frame);
    m_view->setModel(m_model);
    m_model->SetView(m_view);
    m_view->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // The style's minimum for the font in use may exceed 25 pixels; the columns are 25 whatever it is.
    m_view->horizontalHeader()->setMinimumSectionSize(kColumnWidth);
    m_view->horizontalHeader()->setDefaultSectionSize(kColumnWidth);  // a week column put back later too
    for (int section = 0; section <= 7; ++section)
        m_view->horizontalHeader()->resizeSection(section, kColumnWidth);
    m_view->horizontalHeader()->setSectionsClickable(false);
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    m_view->verticalHeader()->setSectionsClickable(false);
    m_selectionModel = m_view->selectionModel();

    CreateNavigationBar();
    m_view->setFrameStyle(QFrame::NoFrame);
    m_delegate = new CCalendarDelegate(this);
    m_view->setItemDelegate(m_delegate);

    UpdateSelection();
    UpdateNavigationBar();
    setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(m_view);
    m_view->setMouseTracking(true);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);

    connect(m_view, &CCalendarView::showDate, this, &CCalendarWidget::OnShowDate);
    connect(m_view, &CCalendarView::changeDate, this, qOverload<QDate, bool, bool>(&CCalendarWidget::OnChangeDate));
    connect(m_view, &CCalendarView::clicked, this, &CCalendarWidget::clicked);
    connect(m_view, &CCalendarView::editingFinished, this, &CCalendarWidget::OnEditingFinished);
    connect(m_view, &CCalendarView::SignalSelectDate, this, &CCalendarWidget::OnSlotSelectDate);
    connect(m_prevMonth, &QToolButton::clicked, this, &CCalendarWidget::OnPrevMonthClicked);
    connect(m_nextMonth, &QToolButton::clicked, this, &CCalendarWidget::OnNextMonthClicked);
    connect(m_prevYear, &QToolButton::clicked, this, &CCalendarWidget::OnPrevYearClicked);
    connect(m_nextYear, &QToolButton::clicked, this, &CCalendarWidget::OnNextYearClicked);

    gridLayout->addWidget(m_view, 0, 0, 1, 1);
    gridLayout->setContentsMargins(4, 0, 4, 2);
    boxLayout->setSpacing(0);
    boxLayout->setContentsMargins(0, 0, 0, 0);
    boxLayout->addWidget(m_navBarBackground);
    boxLayout->addWidget(frame);

    m_navigator = new CCalendarTextNavigator(this);
    SetDateEditEnabled(true);

    SetVerticalHeaderFormat(NoVerticalHeader);
    SetHorizontalHeaderFormat(SingleLetterDayNames);

    setFixedSize(183, 200);
    setMask(CCommonUtil::GetTopRoundRectRegion(QRect(QPoint(0, 0), QSize(187, 200)), 2));

    SetSelectionMode(SingleSelection);
    SetShowOtherMonthDays(true);
}

CCalendarWidget::~CCalendarWidget() = default;

void CCalendarWidget::CreateNavigationBar()
{
    m_navBarBackground = new QWidget(this);
    m_navBarBackground->setObjectName(QStringLiteral("qt_calendar_navigationbar"));
    m_navBarBackground->setAutoFillBackground(true);
    m_navBarBackground->setFixedHeight(26);
    m_navBarBackground->setStyleSheet(QStringLiteral("border:none;background-color: rgb(96, 95, 93);"));

    const auto makeButton = [this](const QString& icon) {
        auto* button = new QToolButton(m_navBarBackground);
        button->setAutoRaise(true);
        button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);
        button->setIcon(QIcon(QPixmap(icon)));
        button->setIconSize(QSize(16, 16));
        return button;
    };
    m_prevMonth = makeButton(kPreviousIcon);
    m_nextMonth = makeButton(kNextIcon);
    m_prevYear = makeButton(kPreviousIcon);
    m_nextYear = makeButton(kNextIcon);

    QFont bold = font();
    bold.setBold(true);
    m_monthLabel = new QLabel(m_navBarBackground);
    m_monthLabel->setStyleSheet(QStringLiteral("background:transparent;"));
    m_monthLabel->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Minimum);
    m_monthLabel->setFont(bold);
    m_yearLabel = new QLabel(m_navBarBackground);
    m_yearLabel->setFixedWidth(30);
    m_yearLabel->setAlignment(Qt::AlignCenter);
    m_yearLabel->setFont(bold);

    auto* layout = new QHBoxLayout(m_navBarBackground);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_prevMonth);
    layout->addWidget(m_monthLabel);
    layout->addWidget(m_nextMonth);
    layout->addItem(new QSpacerItem(10, 0, QSizePolicy::Minimum, QSizePolicy::Minimum));
    layout->addWidget(m_prevYear);
    layout->addWidget(m_yearLabel);
    layout->addWidget(m_nextYear);

    m_prevMonth->setObjectName(QStringLiteral("qt_calendar_prevmonth"));
    m_nextMonth->setObjectName(QStringLiteral("qt_calendar_nextmonth"));
    m_monthLabel->setObjectName(QStringLiteral("qt_calendar_m_monthlabel"));
    m_yearLabel->setObjectName(QStringLiteral("qt_calendar_m_yearlabel"));

    UpdateButtonStates();
    ShowMonth(m_model->m_date.year(), m_model->m_date.month());
}

void CCalendarWidget::UpdateNavigationBar()
{
    m_monthLabel->setText(locale().standaloneMonthName(m_model->m_shownMonth, QLocale::LongFormat));
    m_yearLabel->setText(QString::number(m_model->m_shownYear));
}

void CCalendarWidget::UpdateButtonStates()
{
    const int year = m_model->m_shownYear;
    const int month = m_model->m_shownMonth;
    const QDate min = m_model->m_minimumDate;
    const QDate max = m_model->m_maximumDate;
    const bool atMinimum = year == min.year() && month == min.month();
    const bool atMaximum = year == max.year() && month == max.month();
    m_prevMonth->setEnabled(!atMinimum);
    m_prevYear->setEnabled(!atMinimum);
    m_nextMonth->setEnabled(!atMaximum);
    m_nextYear->setEnabled(!atMaximum);
}

void CCalendarWidget::ShowMonth(int year, int month)
{
    if (m_model->m_shownYear == year && m_model->m_shownMonth == month)
        return;
    m_model->ShowMonth(year, month);
    UpdateNavigationBar();
    emit CurrentPageChangedEx(QStringLiteral("default"));
    emit CurrentPageChanged(year, month);
    m_view->updateGeometry();
    UpdateSelection();
    UpdateButtonStates();
}

QDate CCalendarWidget::GetCurrentDate() const
{
    const QModelIndex index = m_view->currentIndex();
    return m_model->DateForCell(index.row(), index.column());
}

void CCalendarWidget::UpdateCurrentPage(QDate date)
{
    if (!date.isValid())
        return;
    const QDate min = m_model->m_minimumDate;
    const QDate max = m_model->m_maximumDate;
    if (min.isValid() && min > date)
        date = min;
    if (max.isValid() && max < date)
        date = max;
    ShowMonth(date.year(), date.month());
    int row = -1;
    int column = -1;
    m_model->CellForDate(date, &row, &column);
    m_selectionModel->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::NoUpdate);
}

// The days of the range are found among the 42 cells of the page, so that a range of any width
// costs the same.
void CCalendarWidget::UpdateSelection()
{
    m_selectionModel->clearSelection();
    if (GetSelectionMode() == SingleSelection) {
        int row = -1;
        int column = -1;
        m_model->CellForDate(m_model->m_date, &row, &column);
        if (row != -1 && column != -1)
            m_selectionModel->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::Select);
        return;
    }
    const QDate begin = m_model->m_rangeBegin;
    const QDate end = m_model->m_rangeEnd;
    if (!begin.isValid() || !end.isValid() || begin > end)
        return;
    QItemSelection selection;
    QModelIndex last;
    for (int row = m_model->m_firstRow; row < m_model->m_firstRow + CCalendarModel::kWeekRows; ++row) {
        for (int column = m_model->m_firstColumn; column < m_model->m_firstColumn + CCalendarModel::kDayColumns;
             ++column) {
            const QDate date = m_model->PageDateForCell(row, column);
            if (date < begin || date > end)
                continue;
            last = m_model->index(row, column);
            selection.select(last, last);
        }
    }
    if (!last.isValid())
        return;
    m_selectionModel->select(selection, QItemSelectionModel::Select);
    m_selectionModel->setCurrentIndex(last, QItemSelectionModel::NoUpdate);
}

void CCalendarWidget::paintCell(QPainter* painter, const QRect& rect, const QDate& date) const
{
    m_delegate->paintCell(painter, rect, date);
    const int kind = GetDateMarkType(date);
    if (kind == -1)
        return;
    const int side = qMin(rect.width(), rect.height()) / 3;
    const QPoint corners[3] = {QPoint(rect.right(), rect.bottom()), QPoint(rect.right(), rect.bottom() - side),
                               QPoint(rect.right() - side, rect.bottom())};
    painter->save();
    painter->setPen(Qt::NoPen);
    painter->setBrush(QBrush(GetDateMarkColor(kind), Qt::SolidPattern));
    painter->drawPolygon(corners, 3);
    painter->restore();
}

// --- selection ----------------------------------------------------------------------------------

QDate CCalendarWidget::GetSelectedDate() const
{
    return m_model->m_date;
}

int CCalendarWidget::GetYearShown() const
{
    return m_model->m_shownYear;
}

int CCalendarWidget::GetMonthShown() const
{
    return m_model->m_shownMonth;
}

void CCalendarWidget::GetDateRange(QDate& begin, QDate& end) const
{
    begin = m_model->m_rangeBegin;
    end = m_model->m_rangeEnd;
}

void CCalendarWidget::SetValidDateRange(const QDate& begin, const QDate& end)
{
    if (!begin.isValid() || !end.isValid())
        return;
    if (begin == m_model->m_rangeBegin && end == m_model->m_rangeEnd)
        return;
    m_model->SetSelectRange(begin, end);
    m_model->SetDate(begin);
    UpdateSelection();
    ShowMonth(m_model->m_date.year(), m_model->m_date.month());
}

void CCalendarWidget::SetShowOtherMonthDays(bool show)
{
    if (m_model->GetShowOtherMonthDays() == show)
        return;
    m_model->SetShowOtherMonthDays(show);
    m_view->viewport()->update();
}

void CCalendarWidget::SetSelectedDate(QDate date)
{
    if (!date.isValid())
        return;
    if (m_model->m_date == date && date == GetCurrentDate())
        return;
    m_model->SetDate(date);
    UpdateSelection();
    const QDate newDate = m_model->m_date;
    ShowMonth(newDate.year(), newDate.month());
    m_navigator->setDate(newDate);
    emit SelectionChanged();
}

void CCalendarWidget::OnChangeDate(QDate date)
{
    OnChangeDate(date, true, false);
}

void CCalendarWidget::OnChangeDate(QDate date, bool changeMonth, bool bChangeDate)
{
    if (!date.isValid())
        return;
    const QDate oldDate = m_model->m_date;
    m_model->SetDate(date);
    const QDate newDate = m_model->m_date;
    if (changeMonth)
        ShowMonth(newDate.year(), newDate.month());
    if (oldDate != newDate || bChangeDate) {
        UpdateSelection();
        m_navigator->setDate(newDate);
        emit SelectionChanged();
    }
}

void CCalendarWidget::OnSlotSelectDate(QDate dtBegin, QDate dtEnd)
{
    m_model->SetSelectRange(dtBegin, dtEnd);
    emit SignalSelectDate(dtBegin, dtEnd);
    UpdateSelection();
}

void CCalendarWidget::OnEditingFinished()
{
    emit activated(m_model->m_date);
}

// --- range --------------------------------------------------------------------------------------

QDate CCalendarWidget::GetMinimumDate() const
{
    return m_model->m_minimumDate;
}

QDate CCalendarWidget::GetMaximumDate() const
{
    return m_model->m_maximumDate;
}

void CCalendarWidget::SetMinimumDate(const QDate& date)
{
    if (!date.isValid() || m_model->m_minimumDate == date)
        return;
    const QDate oldDate = m_model->m_date;
    m_model->SetMinimumDate(date);
    UpdateButtonStates();
    const QDate newDate = m_model->m_date;
    if (oldDate != newDate) {
        UpdateSelection();
        ShowMonth(newDate.year(), newDate.month());
        m_navigator->setDate(newDate);
        emit SelectionChanged();
    }
}

void CCalendarWidget::SetMaximumDate(const QDate& date)
{
    if (!date.isValid() || m_model->m_maximumDate == date)
        return;
    const QDate oldDate = m_model->m_date;
    m_model->SetMaximumDate(date);
    UpdateButtonStates();
    const QDate newDate = m_model->m_date;
    if (oldDate != newDate) {
        UpdateSelection();
        ShowMonth(newDate.year(), newDate.month());
        m_navigator->setDate(newDate);
        emit SelectionChanged();
    }
}

void CCalendarWidget::SetDateRange(QDate minDate, QDate maxDate)
{
    if (m_model->m_minimumDate == minDate && m_model->m_maximumDate == maxDate)
        return;
    if (!minDate.isValid() || !maxDate.isValid())
        return;
    const QDate oldDate = m_model->m_date;
    m_model->SetRange(minDate, maxDate);
    UpdateButtonStates();
    const QDate newDate = m_model->m_date;
    if (oldDate != newDate) {
        UpdateSelection();
        ShowMonth(newDate.year(), newDate.month());
        m_navigator->setDate(newDate);
        emit SelectionChanged();
    }
}

// --- paging -------------------------------------------------------------------------------------

void CCalendarWidget::SetCurrentPage(int iYear, int iMonth)
{
    const QDate first(iYear, iMonth, 1);
    if (!first.isValid())
        return;
    int day = GetCurrentDate().day();
    if (day < 1)
        day = 1;
    day = qMin(day, first.daysInMonth());
    ShowMonth(iYear, iMonth);
    int row = -1;
    int column = -1;
    m_model->CellForDate(QDate(iYear, iMonth, day), &row, &column);
    m_selectionModel->setCurrentIndex(m_model->index(row, column), QItemSelectionModel::NoUpdate);
}

void CCalendarWidget::ShowNextMonth()
{
    int year = GetYearShown();
    int month = GetMonthShown();
    if (month == 12) {
        ++year;
        month = 1;
    } else {
        ++month;
    }
    SetCurrentPage(year, month);
}

void CCalendarWidget::ShowPreviousMonth()
{
    int year = GetYearShown();
    int month = GetMonthShown();
    if (month == 1) {
        --year;
        month = 12;
    } else {
        --month;
    }
    SetCurrentPage(year, month);
}

void CCalendarWidget::ShowNextYear()
{
    SetCurrentPage(GetYearShown() + 1, GetMonthShown());
}

void CCalendarWidget::ShowPreviousYear()
{
    SetCurrentPage(GetYearShown() - 1, GetMonthShown());
}

void CCalendarWidget::ShowSelectedDate()
{
    const QDate date = GetSelectedDate();
    SetCurrentPage(date.year(), date.month());
}

void CCalendarWidget::ShowToDay()
{
    const QDate today = QDate::currentDate();
    SetCurrentPage(today.year(), today.month());
}

void CCalendarWidget::OnShowDate(QDate date)
{
    UpdateCurrentPage(date);
}

void CCalendarWidget::OnPrevMonthClicked()
{
    UpdateCurrentPage(GetCurrentDate().addMonths(-1));
}

void CCalendarWidget::OnNextMonthClicked()
{
    UpdateCurrentPage(GetCurrentDate().addMonths(1));
}

void CCalendarWidget::OnPrevYearClicked()
{
    UpdateCurrentPage(GetCurrentDate().addYears(-1));
}

void CCalendarWidget::OnNextYearClicked()
{
    UpdateCurrentPage(GetCurrentDate().addYears(1));
}

// --- settings -----------------------------------------------------------------------------------

Qt::DayOfWeek CCalendarWidget::GetFirstDayOfWeek() const
{
    return m_model->GetFirstColumnDay();
}

void CCalendarWidget::SetFirstDayOfWeek(Qt::DayOfWeek dayOfWeek)
{
    if (m_model->GetFirstColumnDay() == dayOfWeek)
        return;
    m_model->SetFirstColumnDay(dayOfWeek);
    UpdateSelection();
}

bool CCalendarWidget::IsGridVisible() const
{
    return m_view->showGrid();
}

void CCalendarWidget::SetGridVisible(bool bShow)
{
    m_view->setShowGrid(bShow);
    UpdateView();
}

CCalendarWidget::SelectionMode CCalendarWidget::GetSelectionMode() const
{
    return SelectionMode(m_view->selectionMode());
}

void CCalendarWidget::SetSelectionMode(SelectionMode mode)
{
    m_view->setSelectionMode(QAbstractItemView::SelectionMode(mode));
    SetNavigatorEnabled(m_dateEditEnabled && mode != NoSelection);
    UpdateSelection();
}

CCalendarWidget::HorizontalHeaderFormat CCalendarWidget::GetHorizontalHeaderFormat() const
{
    return HorizontalHeaderFormat(m_model->m_horizontalHeaderFormat);
}

void CCalendarWidget::SetHorizontalHeaderFormat(HorizontalHeaderFormat format)
{
    if (m_model->m_horizontalHeaderFormat == format)
        return;
    m_model->SetHorizontalHeaderFormat(format);
    UpdateView();
}

CCalendarWidget::VerticalHeaderFormat CCalendarWidget::GetVerticalHeaderFormat() const
{
    return m_model->GetWeekNumbersShown() ? ISOWeekNumbers : NoVerticalHeader;
}

void CCalendarWidget::SetVerticalHeaderFormat(VerticalHeaderFormat format)
{
    const bool show = format == ISOWeekNumbers;
    if (m_model->GetWeekNumbersShown() == show)
        return;
    m_model->SetWeekNumbersShown(show);
    UpdateView();
}

void CCalendarWidget::SetNavigationBarVisible(bool bVisible)
{
    m_navBarVisible = bVisible;
    m_navBarBackground->setVisible(bVisible);
    updateGeometry();
}

void CCalendarWidget::UpdateView()
{
    m_view->viewport()->update();
    m_view->updateGeometry();
}

void CCalendarWidget::SetDateEditEnabled(bool enable)
{
    if (m_dateEditEnabled == enable)
        return;
    m_dateEditEnabled = enable;
    SetNavigatorEnabled(enable && GetSelectionMode() != NoSelection);
}

void CCalendarWidget::SetNavigatorEnabled(bool enable)
{
    const bool enabled = m_navigator->widget() != nullptr;
    if (enable == enabled)
        return;
    if (enable) {
        m_navigator->setWidget(this);
        connect(m_navigator, &CCalendarTextNavigator::dateChanged, this,
                qOverload<QDate>(&CCalendarWidget::OnChangeDate));
        connect(m_navigator, &CCalendarTextNavigator::editingFinished, this, &CCalendarWidget::OnEditingFinished);
        m_view->installEventFilter(m_navigator);
    } else {
        m_navigator->setWidget(nullptr);
        disconnect(m_navigator, &CCalendarTextNavigator::dateChanged, this,
                   qOverload<QDate>(&CCalendarWidget::OnChangeDate));
        disconnect(m_navigator, &CCalendarTextNavigator::editingFinished, this, &CCalendarWidget::OnEditingFinished);
        m_view->removeEventFilter(m_navigator);
    }
}

int CCalendarWidget::GetDateEditAcceptDelay() const
{
    return m_navigator->dateEditAcceptDelay();
}

void CCalendarWidget::SetDateEditAcceptDelay(int delay_ms)
{
    m_navigator->setDateEditAcceptDelay(delay_ms);
}

// --- marks --------------------------------------------------------------------------------------

void CCalendarWidget::SetDateMark(const QDate& date, int kind)
{
    m_dateMarks[kind].append(date);
    updateCell(date);
}

void CCalendarWidget::RemoveDateMark(int kind)
{
    m_dateMarks.remove(kind);
    m_view->viewport()->update();
}

void CCalendarWidget::UnmarkDate(const QDate& date)
{
    for (auto it = m_dateMarks.begin(); it != m_dateMarks.end(); ++it) {
        if (it->removeOne(date))
            break;
    }
    updateCell(date);
}

int CCalendarWidget::GetDateMarkType(const QDate& date) const
{
    for (auto it = m_dateMarks.constBegin(); it != m_dateMarks.constEnd(); ++it) {
        if (it->contains(date))
            return it.key();
    }
    return -1;
}

bool CCalendarWidget::HasDateMark(const QDate& date) const
{
    return GetDateMarkType(date) != -1;
}

QColor CCalendarWidget::GetDateMarkColor(int kind) const
{
    if (kind >= 0 && kind <= 3)
        return QColor(250, 90, 55, 255);
    return QColor();
}

void CCalendarWidget::updateCell(const QDate& date)
{
    if (!date.isValid()) {
        qCWarning(lcWidgets, "CCalendarWidget::updateCell: Invalid date");
        return;
    }
    if (!isVisible())
        return;
    int row = -1;
    int column = -1;
    m_model->CellForDate(date, &row, &column);
    if (row == -1 || column == -1)
        return;
    const QModelIndex index = m_model->index(row, column);
    if (!index.isValid())
        return;
    m_view->viewport()->update(m_view->visualRect(index));
}

void CCalendarWidget::UpdateCells()
{
    if (isVisible())
        m_view->viewport()->update();
}

// --- text formats -------------------------------------------------------------------------------

QTextCharFormat CCalendarWidget::GetHeaderTextFormat() const
{
    return m_model->m_headerFormat;
}

void CCalendarWidget::SetHeaderTextFormat(const QTextCharFormat& format)
{
    m_model->m_headerFormat = format;
    UpdateView();
}

QTextCharFormat CCalendarWidget::GetWeekdayTextFormat(Qt::DayOfWeek dayOfWeek) const
{
    return m_model->m_dayFormats.value(dayOfWeek);
}

void CCalendarWidget::SetWeekdayTextFormat(Qt::DayOfWeek dayOfWeek, const QTextCharFormat& format)
{
    m_model->m_dayFormats[dayOfWeek] = format;
    UpdateView();
}

QMap<QDate, QTextCharFormat> CCalendarWidget::GetDateTextFormat() const
{
    return m_model->m_dateFormats;
}

QTextCharFormat CCalendarWidget::GetDateTextFormat(const QDate& date) const
{
    return m_model->m_dateFormats.value(date);
}

void CCalendarWidget::SetDateTextFormat(const QDate& date, const QTextCharFormat& format)
{
    if (date.isNull())
        m_model->m_dateFormats.clear();
    else
        m_model->m_dateFormats[date] = format;
    UpdateView();
}

// --- position check -----------------------------------------------------------------------------

bool CCalendarWidget::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Leave:
        emit LeaveCalendar();
        break;
    case QEvent::Show:
        QTimer::singleShot(kJudgePosDelay_ms, this, &CCalendarWidget::OnCallJudgePos);
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void CCalendarWidget::OnCallJudgePos()
{
    const QPoint pos = mapFromGlobal(QCursor::pos());
    if (!rect().contains(pos))
        emit LeaveCalendar();
}
