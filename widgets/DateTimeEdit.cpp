#include "widgets/DateTimeEdit.h"

#include "app/gui/CommonUtilGui.h"
#include "widgets/CalendarWidget.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString kDisplayFormat = QStringLiteral("yyyy-MM-dd hh:mm:ss");

// A key that types one of the marks between the parts ("-", " ", ":" or any other that is
// neither a letter nor a digit), with Shift where the keyboard needs it.
bool IsSeparatorKey(const QKeyEvent* event)
{
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint() || text.at(0).isLetterOrNumber())
        return false;
    return !(event->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier));
}

}  // namespace

QPoint CalendarPopupPosition(const QRect& editor, const QSize& popup, const QRect& screen)
{
    const QPoint below(editor.left(), editor.bottom());
    const QPoint above(editor.left(), editor.top() - popup.height());
    const bool fitsBelow = below.y() + popup.height() - 1 <= screen.bottom();
    const bool fitsAbove = above.y() >= screen.top();
    bool openAbove = below.y() - screen.top() > screen.height() * 3 / 4;
    if (openAbove && !fitsAbove && fitsBelow)
        openAbove = false;
    else if (!openAbove && !fitsBelow && fitsAbove)
        openAbove = true;
    QPoint p = openAbove ? above : below;
    p.setX(std::max(screen.left(), std::min(p.x(), screen.right() - popup.width() + 1)));
    p.setY(std::max(screen.top(), std::min(p.y(), screen.bottom() - popup.height() + 1)));
    return p;
}

// --- pop-up -------------------------------------------------------------------------------------

CCalendarTimePopup::CCalendarTimePopup(QWidget* parent) : QWidget(parent, Qt::Popup)
{
    setAttribute(Qt::WA_WindowPropagation);
    SetCalendarWidget(new CCalendarWidget(this));
    setMask(CCommonUtil::GetTopRoundRectRegion(m_calendar->rect(), 2));
}

CCalendarTimePopup::~CCalendarTimePopup() = default;

void CCalendarTimePopup::SetCalendarWidget(CCalendarWidget* calendar)
{
    auto* box = qobject_cast<QVBoxLayout*>(layout());
    if (!box) {
        box = new QVBoxLayout(this);
        box->setContentsMargins(0, 0, 0, 0);
        box->setSpacing(0);
    }
    delete m_calendar.data();
    m_calendar = calendar;
    calendar->setParent(this);
    box->addWidget(calendar);
    resize(calendar->width(), calendar->height());
    connect(calendar, &CCalendarWidget::activated, this, &CCalendarTimePopup::dateSelected);
    connect(calendar, &CCalendarWidget::clicked, this, &CCalendarTimePopup::dateSelected);
    connect(calendar, &CCalendarWidget::SelectionChanged, this, &CCalendarTimePopup::dateSelectionChanged);
    calendar->setFocus();
}

void CCalendarTimePopup::SetDate(const QDate& date)
{
    m_oldDate = date;
    m_calendar->SetSelectedDate(date);
}

void CCalendarTimePopup::SetDateRange(const QDate& min, const QDate& max)
{
    m_calendar->SetMinimumDate(min);
    m_calendar->SetMaximumDate(max);
}

QDate CCalendarTimePopup::GetSelectedDate() const
{
    return m_calendar->GetSelectedDate();
}

void CCalendarTimePopup::SetFirstDayOfWeek(Qt::DayOfWeek dayOfWeek)
{
    m_calendar->SetFirstDayOfWeek(dayOfWeek);
}

void CCalendarTimePopup::dateSelectionChanged()
{
    m_dateChanged = true;
    emit newDateSelected(m_calendar->GetSelectedDate());
}

void CCalendarTimePopup::dateSelected(QDate date)
{
    m_dateChanged = true;
    emit activated(date);
    close();
}

bool CCalendarTimePopup::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
        m_dateChanged = false;
    return QWidget::event(event);
}

void CCalendarTimePopup::mousePressEvent(QMouseEvent* event)
{
    if (auto* editor = qobject_cast<QDateTimeEdit*>(parentWidget())) {
        QStyleOptionComboBox option;
        option.initFrom(editor);
        QRect arrow = editor->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxArrow, editor);
        arrow.moveTo(editor->mapToGlobal(arrow.topLeft()));
        if (arrow.contains(event->globalPosition().toPoint()) || rect().contains(event->position().toPoint()))
            setAttribute(Qt::WA_NoMouseReplay);
    }
    QWidget::mousePressEvent(event);
}

void CCalendarTimePopup::mouseReleaseEvent(QMouseEvent*)
{
    emit resetButton();
}

void CCalendarTimePopup::hideEvent(QHideEvent*)
{
    emit resetButton();
    if (!m_dateChanged)
        emit hidingCalendar(m_oldDate);
}

// --- editor -------------------------------------------------------------------------------------

CDateTimeEdit::CDateTimeEdit(QWidget* parent) : QDateTimeEdit(parent)
{
    Init();
    setDate(QDate::currentDate());
}

CDateTimeEdit::CDateTimeEdit(const QDateTime& value, QWidget* parent) : QDateTimeEdit(value, parent)
{
    Init();
}

CDateTimeEdit::CDateTimeEdit(const QDate& value, QWidget* parent) : QDateTimeEdit(value, parent)
{
    Init();
}

// A time-only base would drop the date sections of the display format, and the time with them:
// the field holds today at the given time.
CDateTimeEdit::CDateTimeEdit(const QTime& value, QWidget* parent)
    : QDateTimeEdit(QDateTime(QDate::currentDate(), value), parent)
{
    Init();
}

CDateTimeEdit::CDateTimeEdit(const QVariant& value, QMetaType::Type parserType, QWidget* parent)
    : QDateTimeEdit(value, parserType, parent)
{
    Init();
}

CDateTimeEdit::~CDateTimeEdit() = default;

void CDateTimeEdit::Init()
{
    m_popup = nullptr;
    setCalendarPopup(true);
    setDisplayFormat(kDisplayFormat);
    lineEdit()->installEventFilter(this);
}

bool CDateTimeEdit::eventFilter(QObject* watched, QEvent* event)
{
    // A click that only placed the caret (no drag, no double click, no Shift) selects the part
    // it landed in: typed into the middle of a full part, digits would be refused.
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && mouse->modifiers() == Qt::NoModifier &&
            !lineEdit()->hasSelectedText() && currentSection() != NoSection)
            setSelectedSection(currentSection());
    }
    return QDateTimeEdit::eventFilter(watched, event);
}

void CDateTimeEdit::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & ~Qt::KeypadModifier);
    if (plain && (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right)) {
        SelectSection(event->key() == Qt::Key_Left ? -1 : 1);
        event->accept();
        return;
    }
    if (IsSeparatorKey(event) && SectionSelectedWhole()) {
        event->accept();
        return;
    }
    QDateTimeEdit::keyPressEvent(event);
}

void CDateTimeEdit::SelectSection(int step)
{
    const int count = sectionCount();
    if (count <= 0)
        return;
    const int index = ((std::max(0, currentSectionIndex()) + step) % count + count) % count;
    setCurrentSectionIndex(index);
    setSelectedSection(sectionAt(index));
}

bool CDateTimeEdit::SectionSelectedWhole() const
{
    const QLineEdit* line = lineEdit();
    return currentSection() != NoSection && line->hasSelectedText() &&
           line->selectedText() == sectionText(currentSection());
}

void CDateTimeEdit::mousePressEvent(QMouseEvent* event)
{
    // Presses on the text reach the line edit; the arrow and the frame open the program's own
    // calendar, never the toolkit's.
    event->accept();
    OpenPopup();
}

void CDateTimeEdit::OpenPopup()
{
    if (!m_popup) {
        m_popup = new CCalendarTimePopup(this);
        connect(m_popup, &CCalendarTimePopup::newDateSelected, this, &QDateTimeEdit::setDate);
        connect(m_popup, &CCalendarTimePopup::hidingCalendar, this, &QDateTimeEdit::setDate);
        connect(m_popup, &CCalendarTimePopup::activated, this, &QDateTimeEdit::setDate);
        connect(m_popup, &CCalendarTimePopup::activated, m_popup, &QWidget::close);
        // The base's own reset of its arrow button; a repaint does the same where it is gone.
        if (!connect(m_popup, SIGNAL(resetButton()), this, SLOT(_q_resetButton())))
            connect(m_popup, &CCalendarTimePopup::resetButton, this, qOverload<>(&QWidget::update));
    }
    // The calendar's old date may lie outside the editor's range: clamping it there must not
    // reach the editor, whose date the calendar takes next.
    const QDate current = date();
    {
        const QSignalBlocker quiet(m_popup);
        m_popup->SetDateRange(minimumDate(), maximumDate());
    }
    m_popup->SetDate(current);

    const QRect editor(mapToGlobal(QPoint(0, 0)), size());
    QScreen* screen = QGuiApplication::screenAt(editor.center());
    if (!screen)
        screen = this->screen();
    const QRect area = screen ? screen->availableGeometry() : editor;
    const QPoint position = CalendarPopupPosition(editor, m_popup->size(), area);
    if (screen)
        m_popup->setScreen(screen);
    m_popup->move(position);
    m_popup->show();
}

// --- time field ---------------------------------------------------------------------------------

CTimeEdit::CTimeEdit(QWidget* parent) : QTimeEdit(parent) {}

void CTimeEdit::setUserDisabled(bool disabled)
{
    setDisabled(disabled);
}

void CTimeEdit::setUserEnabled(bool enabled)
{
    setEnabled(enabled);
}
