#include "devicelog/LogChoices.h"

#include "devicelog/LogTrans.h"
#include "engine/Records.h"
#include "platform/diskrec/DiskTime.h"

#include <QCoreApplication>

#include <vector>

namespace {

struct ChoiceText {
    int code;
    const char* text;
};

// Where the choice list words a code apart from the log text (or the log text has none).
const ChoiceText kChoiceTexts[] = {
    {0x21, QT_TRANSLATE_NOOP("CLocalLogWidget", "Signal Lost")},
    {0x2B, QT_TRANSLATE_NOOP("CLocalLogWidget", "IP camera has duplicated IP address")},
    {0x2D, QT_TRANSLATE_NOOP("CLocalLogWidget", "Capture Error")},
    {0x2E, QT_TRANSLATE_NOOP("CLocalLogWidget", "Video Out Standard Mismatch")},
    {0x42, QT_TRANSLATE_NOOP("CLocalLogWidget", "Turn Off")},
    {0x59, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Time Configuration")},
    {0x6D, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Operation: Restore Password")},
    {0x95, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Operation: Export Picture File")},
    {0x121, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Operation: Start Capture")},
    {0x122, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Operation: Stop Capture")},
    {0x126, QT_TRANSLATE_NOOP("CLocalLogWidget", "Local Operation: Operate Label")},
    {0x96, QT_TRANSLATE_NOOP("CLocalLogWidget", "Remote Operation: Export Picture File")},
    {0x131, QT_TRANSLATE_NOOP("CLocalLogWidget", "Remote Operation: Start Capture")},
    {0x132, QT_TRANSLATE_NOOP("CLocalLogWidget", "Remote Operation: Stop Capture")},
    {0x136, QT_TRANSLATE_NOOP("CLocalLogWidget", "Remote Operation: Operate Tag")},
};

void AddRange(std::vector<int>& codes, int first, int last)
{
    for (int c = first; c <= last; ++c)
        codes.push_back(c);
}

std::vector<int> MinorCodes(int major)
{
    std::vector<int> codes;
    switch (LogMajorType(major)) {
    case LogMajorType::Alarm:
        AddRange(codes, 0x1, 0x6);
        break;
    case LogMajorType::Exception:
        AddRange(codes, 0x21, 0x2B);
        codes.insert(codes.end(), {0x2D, 0x2E});
        break;
    case LogMajorType::Operation:
        AddRange(codes, 0x41, 0x44);
        AddRange(codes, 0x50, 0x6C);
        AddRange(codes, 0x101, 0x10C);
        codes.insert(codes.end(), {0x6D, 0x95, 0x121, 0x122, 0x126});
        AddRange(codes, 0x70, 0x90);
        AddRange(codes, 0x111, 0x11C);
        codes.insert(codes.end(), {0x96, 0x131, 0x132, 0x136});
        break;
    case LogMajorType::Information:
        AddRange(codes, 0xA1, 0xA9);
        codes.insert(codes.end(), {0xB3, 0xB4, 0xB5});
        break;
    default:
        break;
    }
    return codes;
}

QString All()
{
    return QCoreApplication::translate("CLocalLogWidget", "All");
}

}  // namespace

QList<LogChoice> LogMajorChoices()
{
    return {
        {All(), int(LogMajorType::All)},
        {QCoreApplication::translate("CLocalLogWidget", "Alarm"), int(LogMajorType::Alarm)},
        {QCoreApplication::translate("CLocalLogWidget", "Exception"), int(LogMajorType::Exception)},
        {QCoreApplication::translate("CLocalLogWidget", "Operation"), int(LogMajorType::Operation)},
        {QCoreApplication::translate("CLocalLogWidget", "Information"), int(LogMajorType::Information)},
    };
}

QString LogMinorChoiceText(int code)
{
    for (const ChoiceText& t : kChoiceTexts) {
        if (t.code == code)
            return QCoreApplication::translate("CLocalLogWidget", t.text);
    }
    const QString text = CLogTrans().TransMinorType(unsigned(code));
    if (!text.isEmpty())
        return text;
    return QCoreApplication::translate("CLocalLogWidget", "Unknown (0x%1)").arg(QString::number(code, 16).toUpper());
}

QList<LogChoice> LogMinorChoices(int major)
{
    QList<LogChoice> choices{{All(), 0}};
    for (int code : MinorCodes(major))
        choices.append({LogMinorChoiceText(code), code});
    return choices;
}

LogWindowCheck CheckLogWindow(const QDateTime& start, const QDateTime& stop)
{
    if (start > stop)
        return LogWindowCheck::StartAfterStop;
    if (start.addDays(30) < stop)
        return LogWindowCheck::LongerThan30Days;
    return LogWindowCheck::Ok;
}

QString LogWindowMessage(LogWindowCheck check)
{
    switch (check) {
    case LogWindowCheck::StartAfterStop:
        return QCoreApplication::translate("CLocalLogWidget", "The start time should be earlier than end time.");
    case LogWindowCheck::LongerThan30Days:
        return QCoreApplication::translate("CLocalLogWidget", "You can only search log within 30 days");
    case LogWindowCheck::Ok:
        break;
    }
    return {};
}

LogSearchTime ToLogSearchTime(const QDateTime& time)
{
    return ToDiskTime(Varpen::DateTimeToFields(time));
}
