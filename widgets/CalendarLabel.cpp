#include "widgets/CalendarLabel.h"

#include "app/ClientSetup.h"
#include "widgets/CalendarWidget.h"

#include <QEnterEvent>
#include <QPainter>
#include <QTime>
#include <QTimer>

CalendarLabelLayout CalendarLabelLayout::ForSize(const QSize& size)
{
    constexpr int kTop = 9;
    constexpr int kSide = 5;
    const int cw = (size.width() - 15) / 5;
    const int ch = (size.height() - 12) / 6;
    CalendarLabelLayout layout;
    layout.month = QRect(kSide, 12, 3 * cw, 3 * ch);
    layout.weekday = QRect(kSide, kTop + layout.month.height() + 3, 3 * cw, 3 * ch);
    layout.day = QRect(layout.month.width() + 10, kTop, 2 * cw, 4 * ch);
    layout.year = QRect(layout.month.width() + 10, kTop + layout.day.height(), 2 * cw, 2 * ch);
    return layout;
}

CCalendarLabel::CCalendarLabel(QWidget* parent) : QFrame(parent)
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setAutoFillBackground(true);
    if (CClientLanguageManager* languages = GetLanguageManager()) {
        if (ClientLanguageProperty* language = languages->GetCurrentLanguage())
            setLocale(language->GetLocale());
    }
    m_date = QDate::currentDate();
    m_updateTimer = new QTimer(this);
    connect(m_updateTimer, &QTimer::timeout, this, &CCalendarLabel::updateDate);
    m_background = QPixmap(QStringLiteral(":/images/public/calendar-background.png"));
    setFixedSize(100, 50);
    // The calendar is a window of its own, owned by the label so that it goes with it.
    m_calendar = new CCalendarWidget(this);
    m_calendar->setWindowFlags(Qt::Tool | Qt::FramelessWindowHint);
    connect(m_calendar, &CCalendarWidget::LeaveCalendar, this, &CCalendarLabel::HideCalender);
    connect(m_calendar, &CCalendarWidget::clicked, this, &CCalendarLabel::setDate);
    connect(m_calendar, &CCalendarWidget::clicked, this, &CCalendarLabel::clicked);
}

CCalendarLabel::~CCalendarLabel()
{
    m_updateTimer->stop();
}

void CCalendarLabel::setDate(QDate date)
{
    m_date = date;
    RenderCard();
}

void CCalendarLabel::updateDate()
{
    m_updateTimer->stop();
    m_updateTimer->start(QTime::currentTime().msecsTo(QTime(23, 59, 59)) + 2000);
    RenderCard();
}

void CCalendarLabel::HideCalender()
{
    m_calendar->hide();
}

void CCalendarLabel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    m_layout = CalendarLabelLayout::ForSize(size());
    RenderCard();
}

void CCalendarLabel::RenderCard()
{
    if (size().isEmpty())
        return;
    m_card = QPixmap(size());
    m_card.fill(QColor(52, 51, 52, 255));
    QPainter painter(&m_card);
    painter.setFont(font());
    painter.drawPixmap(m_card.rect(), m_background);
    QFont bold = font();
    bold.setBold(true);

    bold.setPointSize(14);
    painter.setFont(bold);
    painter.setPen(QPen(QColor(72, 96, 21), 4));
    painter.drawText(m_layout.month, Qt::AlignCenter,
                     locale().standaloneMonthName(m_date.month(), QLocale::ShortFormat));

    const QPen black(Qt::black);
    bold.setPointSize(12);
    painter.setFont(bold);
    painter.setPen(black);
    painter.drawText(m_layout.weekday, Qt::AlignCenter,
                     locale().standaloneDayName(m_date.dayOfWeek(), QLocale::ShortFormat));

    bold.setPointSize(10);
    painter.setFont(bold);
    painter.drawText(m_layout.year, Qt::AlignCenter, QString::number(m_date.year()));

    bold.setPointSize(20);
    painter.setFont(bold);
    painter.drawText(m_layout.day, Qt::AlignCenter, QString::number(m_date.day()));
    painter.end();
    update();
}

void CCalendarLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_card);
}

void CCalendarLabel::enterEvent(QEnterEvent* event)
{
    const QPoint corner = mapToGlobal(rect().bottomLeft());
    m_calendar->move(corner.x() - 1, corner.y() - m_calendar->height() + 1);
    m_calendar->show();
    QFrame::enterEvent(event);
}
