// The choices and checks of the log page, apart from its widgets: the major and minor type
// lists, the time-window check and the conversion of the window's ends for the search.
#pragma once

#include "devicelog/LogSearch.h"

#include <QDateTime>
#include <QList>
#include <QString>

struct LogChoice {
    QString text;
    int code = 0;
};

// "All" 0, "Alarm" 1, "Exception" 2, "Operation" 3, "Information" 4.
QList<LogChoice> LogMajorChoices();
// "All" 0 followed by the minor codes offered for `major` (nothing more for 0 or an unknown one).
QList<LogChoice> LogMinorChoices(int major);
// The text a minor code shows in the choice list: the list's own wording where it has one, else
// the log text of the code, else "Unknown (0x..)".
QString LogMinorChoiceText(int code);

enum class LogWindowCheck { Ok, StartAfterStop, LongerThan30Days };
// Equal ends pass; a window of exactly 30 days passes, one second more does not.
LogWindowCheck CheckLogWindow(const QDateTime& start, const QDateTime& stop);
QString LogWindowMessage(LogWindowCheck check);

LogSearchTime ToLogSearchTime(const QDateTime& time);
