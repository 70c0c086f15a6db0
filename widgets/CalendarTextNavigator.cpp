#include "widgets/CalendarTextNavigator.h"

#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QTimerEvent>
#include <QVBoxLayout>

#include <algorithm>

namespace Varpen {
namespace {

int DigitOf(int key)
{
    return key >= Qt::Key_0 && key <= Qt::Key_9 ? key - Qt::Key_0 : -1;
}

QString Digits(int value, int width)
{
    return QString::number(value).rightJustified(width, QLatin1Char('0'));
}

// The last `pos` characters in bold; all of them at position 0.
QString Highlight(const QString& text, int pos)
{
    if (pos == 0)
        return QStringLiteral("<b>") + text + QStringLiteral("</b>");
    const int start = std::max(0, int(text.size()) - pos);
    return text.left(start) + QStringLiteral("<b>") + text.mid(start) + QStringLiteral("</b>");
}

int DaysIn(int year, int month)
{
    return QDate(year, month, 1).daysInMonth();
}

// Day and month share their key handling; only the upper limit differs.
QCalendarDateSectionValidator::Section HandleTwoDigitKey(int key, int limit, int* pos, int* value, int oldValue)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        *pos = 0;
        return QCalendarDateSectionValidator::ThisSection;
    case Qt::Key_Up:
        *pos = 0;
        if (++*value > limit)
            *value = 1;
        return QCalendarDateSectionValidator::ThisSection;
    case Qt::Key_Down:
        *pos = 0;
        if (--*value < 1)
            *value = limit;
        return QCalendarDateSectionValidator::ThisSection;
    case Qt::Key_Back:
    case Qt::Key_Backspace:
        if (--*pos < 0)
            *pos = 1;
        if (*pos == 0)
            *value = oldValue;
        else
            *value = *value / 10;
        return *pos == 0 ? QCalendarDateSectionValidator::PrevSection : QCalendarDateSectionValidator::ThisSection;
    default:
        break;
    }
    const int digit = DigitOf(key);
    if (digit < 0)
        return QCalendarDateSectionValidator::ThisSection;
    if (*pos == 0)
        *value = digit;
    else
        *value = *value % 10 * 10 + digit;
    if (*value > limit)
        *value = limit;
    if (++*pos == 2) {
        *pos = 0;
        return QCalendarDateSectionValidator::NextSection;
    }
    return QCalendarDateSectionValidator::ThisSection;
}

}  // namespace

// --- day -------------------------------------------------------------------------------------

QCalendarDateSectionValidator::Section QCalendarDayValidator::handleKey(int key)
{
    return HandleTwoDigitKey(key, 31, &m_pos, &m_day, m_oldDay);
}

QDate QCalendarDayValidator::applyToDate(const QDate& date) const
{
    const int day = std::clamp(m_day, 1, 31);
    return QDate(date.year(), date.month(), std::min(day, DaysIn(date.year(), date.month())));
}

void QCalendarDayValidator::setDate(const QDate& date)
{
    m_day = m_oldDay = date.day();
    m_pos = 0;
}

QString QCalendarDayValidator::text(const QDate& date, int repeat) const
{
    switch (repeat) {
    case 1:
        return QString::number(date.day());
    case 2:
        return Digits(date.day(), 2);
    case 3:
        return m_locale.dayName(date.dayOfWeek(), QLocale::ShortFormat);
    default:
        return m_locale.dayName(date.dayOfWeek(), QLocale::LongFormat);
    }
}

QString QCalendarDayValidator::text() const
{
    return Highlight(Digits(m_day, 2), m_pos);
}

// --- month -----------------------------------------------------------------------------------

QCalendarDateSectionValidator::Section QCalendarMonthValidator::handleKey(int key)
{
    return HandleTwoDigitKey(key, 12, &m_pos, &m_month, m_oldMonth);
}

QDate QCalendarMonthValidator::applyToDate(const QDate& date) const
{
    const int month = std::clamp(m_month, 1, 12);
    return QDate(date.year(), month, std::min(date.day(), DaysIn(date.year(), month)));
}

void QCalendarMonthValidator::setDate(const QDate& date)
{
    m_month = m_oldMonth = date.month();
    m_pos = 0;
}

QString QCalendarMonthValidator::text(const QDate& date, int repeat) const
{
    switch (repeat) {
    case 1:
        return QString::number(date.month());
    case 2:
        return Digits(date.month(), 2);
    case 3:
        return m_locale.standaloneMonthName(date.month(), QLocale::ShortFormat);
    default:
        return m_locale.standaloneMonthName(date.month(), QLocale::LongFormat);
    }
}

QString QCalendarMonthValidator::text() const
{
    return Highlight(Digits(m_month, 2), m_pos);
}

// --- year ------------------------------------------------------------------------------------

QCalendarDateSectionValidator::Section QCalendarYearValidator::handleKey(int key)
{
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        m_pos = 0;
        return ThisSection;
    case Qt::Key_Up:
        m_pos = 0;
        ++m_year;
        return ThisSection;
    case Qt::Key_Down:
        m_pos = 0;
        --m_year;
        return ThisSection;
    case Qt::Key_Back:
    case Qt::Key_Backspace: {
        if (--m_pos < 0)
            m_pos = 3;
        int p = 1;
        for (int i = 0; i < m_pos; ++i)
            p *= 10;
        m_year = m_oldYear / p * p + m_year % (p * 10) / 10;
        return m_pos == 0 ? PrevSection : ThisSection;
    }
    default:
        break;
    }
    const int digit = DigitOf(key);
    if (digit < 0)
        return ThisSection;
    int p = 1;
    for (int i = 0; i < m_pos; ++i)
        p *= 10;
    m_year = m_year / (p * 10) * (p * 10) + m_year % p * 10 + digit;
    if (++m_pos == 4) {
        m_pos = 0;
        return NextSection;
    }
    return ThisSection;
}

QDate QCalendarYearValidator::applyToDate(const QDate& date) const
{
    const int year = std::max(1, m_year);
    return QDate(year, date.month(), std::min(date.day(), DaysIn(year, date.month())));
}

void QCalendarYearValidator::setDate(const QDate& date)
{
    m_year = m_oldYear = date.year();
    m_pos = 0;
}

QString QCalendarYearValidator::text(const QDate& date, int repeat) const
{
    if (repeat < 4)
        return Digits(date.year() % 100, 2);
    return QString::number(date.year());
}

QString QCalendarYearValidator::text() const
{
    return Highlight(Digits(m_year, 4), m_pos);
}

// --- the whole date --------------------------------------------------------------------------

QCalendarDateValidator::QCalendarDateValidator()
    : m_yearValidator(std::make_unique<QCalendarYearValidator>()),
      m_monthValidator(std::make_unique<QCalendarMonthValidator>()),
      m_dayValidator(std::make_unique<QCalendarDayValidator>()),
      m_initialDate(QDate::currentDate()),
      m_currentDate(m_initialDate)
{
}

QCalendarDateValidator::~QCalendarDateValidator() = default;

void QCalendarDateValidator::setLocale(const QLocale& locale)
{
    m_yearValidator->setLocale(locale);
    m_monthValidator->setLocale(locale);
    m_dayValidator->setLocale(locale);
}

void QCalendarDateValidator::setFormat(const QString& format)
{
    m_tokens.clear();
    m_separators.clear();
    QString separator;
    bool quoting = false;
    const int n = int(format.size());
    int i = 0;
    while (i < n) {
        const QChar ch = format.at(i);
        if (ch == QLatin1Char('\'')) {
            quoting = !quoting;
            ++i;
            continue;
        }
        QCalendarDateSectionValidator* section = nullptr;
        if (!quoting) {
            if (ch == QLatin1Char('d'))
                section = m_dayValidator.get();
            else if (ch == QLatin1Char('M'))
                section = m_monthValidator.get();
            else if (ch == QLatin1Char('y'))
                section = m_yearValidator.get();
        }
        if (!section) {
            separator += ch;
            ++i;
            continue;
        }
        int repeat = 1;
        while (repeat < 4 && i + repeat < n && format.at(i + repeat) == ch)
            ++repeat;
        m_separators.append(separator);
        separator.clear();
        m_tokens.push_back({section, repeat});
        i += repeat;
    }
    m_separators.append(separator);
    m_currentToken = m_tokens.empty() ? -1 : 0;
}

void QCalendarDateValidator::setInitialDate(const QDate& date)
{
    m_yearValidator->setDate(date);
    m_monthValidator->setDate(date);
    m_dayValidator->setDate(date);
    m_initialDate = date;
    m_currentDate = date;
    m_lastSectionMove = QCalendarDateSectionValidator::ThisSection;
}

QString QCalendarDateValidator::currentText() const
{
    QString text;
    for (int i = 0; i < m_separators.size(); ++i) {
        text += m_separators.at(i).toHtmlEscaped();
        if (i < int(m_tokens.size())) {
            const SectionToken& token = m_tokens[size_t(i)];
            if (i == m_currentToken)
                text += token.validator->text();
            else
                text += token.validator->text(m_currentDate, token.repeat);
        }
    }
    return text;
}

void QCalendarDateValidator::ToNextToken()
{
    if (m_currentToken < 0)
        return;
    m_currentToken = (m_currentToken + 1) % int(m_tokens.size());
}

void QCalendarDateValidator::ToPreviousToken()
{
    if (m_currentToken < 0)
        return;
    m_currentToken = (m_currentToken + int(m_tokens.size()) - 1) % int(m_tokens.size());
}

void QCalendarDateValidator::ApplyToDate()
{
    m_currentDate = m_yearValidator->applyToDate(m_currentDate);
    m_currentDate = m_monthValidator->applyToDate(m_currentDate);
    m_currentDate = m_dayValidator->applyToDate(m_currentDate);
}

void QCalendarDateValidator::handleKeyEvent(QKeyEvent* event)
{
    handleKey(event->key());
}

void QCalendarDateValidator::handleKey(int key)
{
    if (m_currentToken < 0)
        return;
    if (m_lastSectionMove == QCalendarDateSectionValidator::NextSection &&
        (key == Qt::Key_Back || key == Qt::Key_Backspace))
        ToPreviousToken();
    if (key == Qt::Key_Right)
        ToNextToken();
    else if (key == Qt::Key_Left)
        ToPreviousToken();
    m_lastSectionMove = m_tokens[size_t(m_currentToken)].validator->handleKey(key);
    ApplyToDate();
    if (m_lastSectionMove == QCalendarDateSectionValidator::NextSection)
        ToNextToken();
    else if (m_lastSectionMove == QCalendarDateSectionValidator::PrevSection)
        ToPreviousToken();
}

}  // namespace Varpen

// --- the navigator ---------------------------------------------------------------------------

CCalendarTextNavigator::CCalendarTextNavigator(QObject* parent) : QObject(parent), m_date(QDate::currentDate()) {}

CCalendarTextNavigator::~CCalendarTextNavigator()
{
    m_acceptTimer.stop();
}

bool CCalendarTextNavigator::eventFilter(QObject* watched, QEvent* event)
{
    if (!m_widget || (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease))
        return QObject::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if ((!text.isEmpty() && text.at(0).isPrint()) || m_dateFrame) {
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Select:
            ApplyDate();
            emit editingFinished();
            RemoveDateLabel();
            break;
        case Qt::Key_Escape:
            RemoveDateLabel();
            break;
        default:
            if (event->type() == QEvent::KeyPress) {
                CreateDateLabel();
                m_dateValidator->handleKeyEvent(key);
                UpdateDateLabel();
            }
            break;
        }
        key->accept();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void CCalendarTextNavigator::timerEvent(QTimerEvent* event)
{
    if (event->timerId() == m_acceptTimer.timerId()) {
        ApplyDate();
        RemoveDateLabel();
        return;
    }
    QObject::timerEvent(event);
}

void CCalendarTextNavigator::ApplyDate()
{
    if (!m_dateValidator)
        return;
    const QDate date = m_dateValidator->currentDate();
    if (date == m_date)
        return;
    m_date = date;
    emit dateChanged(date);
}

void CCalendarTextNavigator::CreateDateLabel()
{
    if (m_dateFrame)
        return;
    m_dateFrame = new QFrame(m_widget);
    auto* layout = new QVBoxLayout(m_dateFrame);
    m_dateText = new QLabel(m_dateFrame);
    m_dateText->setTextFormat(Qt::RichText);
    layout->addWidget(m_dateText);
    m_dateFrame->setFrameShadow(QFrame::Plain);
    m_dateFrame->setFrameShape(QFrame::Box);
    m_dateValidator = std::make_unique<Varpen::QCalendarDateValidator>();
    m_dateValidator->setLocale(m_widget->locale());
    m_dateValidator->setFormat(m_widget->locale().dateFormat(QLocale::ShortFormat));
    m_dateValidator->setInitialDate(m_date);
    m_dateFrame->setAutoFillBackground(true);
    m_dateFrame->setBackgroundRole(QPalette::Window);
}

void CCalendarTextNavigator::UpdateDateLabel()
{
    if (!m_dateFrame || !m_widget)
        return;
    m_acceptTimer.start(m_editDelay, this);
    m_dateText->setText(m_dateValidator->currentText());
    const QSize hint = m_dateFrame->sizeHint();
    const QSize size = m_widget->size();
    m_dateFrame->setGeometry((size.width() - hint.width()) / 2, (size.height() - hint.height()) / 2, hint.width(),
                             hint.height());
    QPalette palette = m_dateFrame->palette();
    palette.setBrush(QPalette::Window, m_dateFrame->window()->palette().brush(QPalette::Window));
    m_dateFrame->setPalette(palette);
    m_dateFrame->raise();
    m_dateFrame->show();
}

void CCalendarTextNavigator::RemoveDateLabel()
{
    m_acceptTimer.stop();
    if (m_dateFrame) {
        m_dateFrame->hide();
        m_dateFrame->deleteLater();
    }
    m_dateValidator.reset();
    m_dateFrame = nullptr;
    m_dateText = nullptr;
}
