// Typing a date on the month calendar: while date editing is on and the month view has the
// focus, a printable key opens a small framed label centred over the calendar that shows the
// date being typed in the locale's short date format, section by section. Return, Enter or
// Select applies it at once, Escape drops it, and it applies by itself after the edit delay.
#pragma once

#include <QBasicTimer>
#include <QDate>
#include <QLocale>
#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <vector>

class QFrame;
class QKeyEvent;
class QLabel;

namespace Varpen {

// One section (day, month or year) of a typed date.
class QCalendarDateSectionValidator {
public:
    enum Section { NextSection = 0, ThisSection = 1, PrevSection = 2 };

    virtual ~QCalendarDateSectionValidator() = default;
    virtual Section handleKey(int key) = 0;
    virtual QDate applyToDate(const QDate& date) const = 0;
    virtual void setDate(const QDate& date) = 0;
    // The section of `date` as the format shows it (`repeat` letters).
    virtual QString text(const QDate& date, int repeat) const = 0;
    // The section being edited, the digits typed so far in bold.
    virtual QString text() const = 0;

    void setLocale(const QLocale& locale) { m_locale = locale; }

protected:
    QLocale m_locale;
};

class QCalendarDayValidator : public QCalendarDateSectionValidator {
public:
    Section handleKey(int key) override;
    QDate applyToDate(const QDate& date) const override;
    void setDate(const QDate& date) override;
    QString text(const QDate& date, int repeat) const override;
    QString text() const override;

private:
    int m_pos = 0;
    int m_day = 1;
    int m_oldDay = 1;
};

class QCalendarMonthValidator : public QCalendarDateSectionValidator {
public:
    Section handleKey(int key) override;
    QDate applyToDate(const QDate& date) const override;
    void setDate(const QDate& date) override;
    QString text(const QDate& date, int repeat) const override;
    QString text() const override;

private:
    int m_pos = 0;
    int m_month = 1;
    int m_oldMonth = 1;
};

class QCalendarYearValidator : public QCalendarDateSectionValidator {
public:
    Section handleKey(int key) override;
    QDate applyToDate(const QDate& date) const override;
    void setDate(const QDate& date) override;
    QString text(const QDate& date, int repeat) const override;
    QString text() const override;

private:
    int m_pos = 0;
    int m_year = 2000;
    int m_oldYear = 2000;
};

// A whole typed date: the format's sections and the literal text between them.
class QCalendarDateValidator {
public:
    QCalendarDateValidator();
    ~QCalendarDateValidator();
    QCalendarDateValidator(const QCalendarDateValidator&) = delete;
    QCalendarDateValidator& operator=(const QCalendarDateValidator&) = delete;

    void setFormat(const QString& format);
    void setLocale(const QLocale& locale);
    void setInitialDate(const QDate& date);
    void handleKeyEvent(QKeyEvent* event);
    void handleKey(int key);      // the same for a bare key code
    QString currentText() const;  // rich text
    QDate currentDate() const { return m_currentDate; }

private:
    struct SectionToken {
        QCalendarDateSectionValidator* validator;
        int repeat;
    };
    void ToNextToken();
    void ToPreviousToken();
    void ApplyToDate();

    QStringList m_separators;
    std::vector<SectionToken> m_tokens;
    std::unique_ptr<QCalendarYearValidator> m_yearValidator;
    std::unique_ptr<QCalendarMonthValidator> m_monthValidator;
    std::unique_ptr<QCalendarDayValidator> m_dayValidator;
    int m_currentToken = -1;  // index into m_tokens; -1 until a format is set
    QDate m_initialDate;
    QDate m_currentDate;
    QCalendarDateSectionValidator::Section m_lastSectionMove = QCalendarDateSectionValidator::ThisSection;
};

}  // namespace Varpen

class CCalendarTextNavigator : public QObject {
    Q_OBJECT
public:
    explicit CCalendarTextNavigator(QObject* parent = nullptr);
    ~CCalendarTextNavigator() override;

    QWidget* widget() const { return m_widget; }
    void setWidget(QWidget* widget) { m_widget = widget; }
    QDate date() const { return m_date; }
    void setDate(const QDate& date) { m_date = date; }
    int dateEditAcceptDelay() const { return m_editDelay; }
    void setDateEditAcceptDelay(int delay_ms) { m_editDelay = delay_ms; }

    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void dateChanged(QDate date);
    void editingFinished();

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    void ApplyDate();
    void CreateDateLabel();
    void UpdateDateLabel();
    void RemoveDateLabel();

    QLabel* m_dateText = nullptr;
    QPointer<QFrame> m_dateFrame;
    QBasicTimer m_acceptTimer;
    std::unique_ptr<Varpen::QCalendarDateValidator> m_dateValidator;
    QPointer<QWidget> m_widget;
    int m_editDelay = 1500;
    QDate m_date;
};
