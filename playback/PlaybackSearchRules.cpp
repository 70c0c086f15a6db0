#include "playback/PlaybackSearchRules.h"

#include "platform/diskrec/RecordType.h"
#include "playback/WndSplitLayout.h"
#include "timeline/RecordTypes.h"

#include <QCoreApplication>
#include <QTime>

#include <algorithm>
#include <set>

namespace PlaybackSearch {

namespace {

const char* const kContext = "CPlayBackWidget";

}  // namespace

Check CheckWindow(const QDateTime& begin, const QDateTime& end)
{
    if (!begin.isValid() || !end.isValid() || begin >= end)
        return Check::BeginNotBeforeEnd;
    if (begin.addDays(kMaxDays) < end)
        return Check::LongerThan30Days;
    return Check::Ok;
}

Check CheckCameraCount(int count)
{
    if (count <= 0)
        return Check::NoCamera;
    if (count > kMaxCameras)
        return Check::TooManyCameras;
    return Check::Ok;
}

Check CheckSearch(const QDateTime& begin, const QDateTime& end, int cameraCount)
{
    const Check window = CheckWindow(begin, end);
    return window != Check::Ok ? window : CheckCameraCount(cameraCount);
}

QString CheckMessage(Check check)
{
    switch (check) {
    case Check::BeginNotBeforeEnd:
        return QCoreApplication::translate("CPlayBackWidget", "Begin time should earlier than end time");
    case Check::LongerThan30Days:
        return QCoreApplication::translate("CPlayBackWidget", "You can only search video in 30days");
    case Check::NoCamera:
        return QCoreApplication::translate("CPlayBackWidget", "Please select a camera");
    case Check::TooManyCameras:
        return QCoreApplication::translate("CPlayBackWidget", "Camera should less than 16");
    case Check::Ok:
        break;
    }
    return {};
}

QString NotPlacedMessage(const QString& channels)
{
    if (channels.isEmpty())
        return {};
    return QCoreApplication::translate(kContext, "No window left for: %1").arg(channels);
}

time_t DayStart(const QDate& date)
{
    return time_t(date.startOfDay().toSecsSinceEpoch());
}

time_t DayLast(const QDate& date)
{
    const QDateTime last(date, QTime(23, 59, 59));
    // A day whose 23:59:59 does not exist still ends before the next day starts.
    return last.isValid() ? time_t(last.toSecsSinceEpoch())
                          : time_t(date.addDays(1).startOfDay().toSecsSinceEpoch() - 1);
}

int WindowsShownBy(int mode)
{
    switch (SplitMode(mode)) {
    case SplitMode::Grid1x1_EX:
        return 1;
    case SplitMode::Grid2x2_EX:
        return 4;
    case SplitMode::Grid3x3_EX:
        return 9;
    case SplitMode::Grid4x4_EX:
        return 16;
    default:
        break;
    }
    const QByteArray name = CWndSplitLayout::GetModeName(mode);
    if (name.isEmpty())
        return 0;
    bool ok = false;
    const int count = name.mid(name.lastIndexOf('-') + 1).toInt(&ok);
    return ok ? count : 0;
}

int BoundCount(int firstWindow, int channelCount)
{
    if (firstWindow < 0 || firstWindow >= kWindowCount || channelCount <= 0)
        return 0;
    return std::min(channelCount, kWindowCount - firstWindow);
}

int GrownSplitMode(int currentMode, int firstWindow, int channelCount, bool wideScreen)
{
    if (channelCount == 1)
        return currentMode;
    const int bound = BoundCount(firstWindow, channelCount);
    if (bound == 0)
        return currentMode;
    const int needed = firstWindow + bound;
    const int shown = WindowsShownBy(currentMode);
    if (shown >= needed)
        return currentMode;
    static const SplitMode kNormal[] = {SplitMode::Grid1x1_1, SplitMode::Grid2x2_4, SplitMode::Grid3x3_9,
                                        SplitMode::Grid4x4_16};
    static const SplitMode kWide[] = {SplitMode::Grid1x1_EX, SplitMode::Grid2x2_EX, SplitMode::Grid3x3_EX,
                                      SplitMode::Grid4x4_EX};
    for (const SplitMode mode : wideScreen ? kWide : kNormal)
        if (WindowsShownBy(int(mode)) >= needed)
            return WindowsShownBy(int(mode)) > shown ? int(mode) : currentMode;
    return currentMode;
}

const QList<RecordTypeChoice>& RecordTypeChoices()
{
    using namespace RecordTypes;
    static const QList<RecordTypeChoice> choices{
        {int(RecordType::All), QT_TRANSLATE_NOOP("CPlayBackWidget", "All"), kFilterSchedule},
        {int(RecordType::Motion), QT_TRANSLATE_NOOP("CPlayBackWidget", "Motion"), kNoFilter},
        {int(RecordType::Alarm), QT_TRANSLATE_NOOP("CPlayBackWidget", "Alarm"), kFilterAlarm},
        {int(RecordType::Manual), QT_TRANSLATE_NOOP("CPlayBackWidget", "Manual"), kNoFilter},
        {int(RecordType::Plan), QT_TRANSLATE_NOOP("CPlayBackWidget", "Plan"), kFilterSchedule},
        {int(RecordType::CashOut), QT_TRANSLATE_NOOP("CPlayBackWidget", "Cash out"), kFilterAlarm},
        {int(RecordType::CashIn), QT_TRANSLATE_NOOP("CPlayBackWidget", "Cash in"), kFilterAlarm},
        {int(RecordType::Command), QT_TRANSLATE_NOOP("CPlayBackWidget", "Command"), kFilterCommand},
        {int(RecordType::Shake), QT_TRANSLATE_NOOP("CPlayBackWidget", "Shake"), kFilterAlarm},
        {int(RecordType::Environment), QT_TRANSLATE_NOOP("CPlayBackWidget", "Enviroment"), kFilterAlarm},
        {int(RecordType::AlarmOrMotion), QT_TRANSLATE_NOOP("CPlayBackWidget", "Alarm | Motion"), kFilterAlarm},
        {int(RecordType::AlarmAndMotion), QT_TRANSLATE_NOOP("CPlayBackWidget", "Alarm & Motion"), kFilterAlarm},
        {int(RecordType::Intelligent), QT_TRANSLATE_NOOP("CPlayBackWidget", "Intelligent"), kFilterCommand},
        {int(RecordType::Urgent), QT_TRANSLATE_NOOP("CPlayBackWidget", "Urgent"), kFilterAlarm},
        {int(RecordType::Near), QT_TRANSLATE_NOOP("CPlayBackWidget", "Near"), kFilterAlarm},
    };
    return choices;
}

QString RecordTypeText(int id)
{
    const QList<RecordTypeChoice>& choices = RecordTypeChoices();
    if (id < 0 || id >= choices.size())
        return {};
    return QCoreApplication::translate(kContext, choices.at(id).text);
}

QList<int> RowFilterIds(int recordTypeId, const QList<CTimeSegment>& rowSegments)
{
    std::set<int> ids;
    const QList<RecordTypeChoice>& choices = RecordTypeChoices();
    if (recordTypeId >= 0 && recordTypeId < choices.size() &&
        choices.at(recordTypeId).filterId != RecordTypes::kNoFilter)
        ids.insert(choices.at(recordTypeId).filterId);
    for (int id : RecordTypes::FilterIdsIn(rowSegments))
        ids.insert(id);
    return QList<int>(ids.begin(), ids.end());
}

QDate FirstDayWithBars(const TimeSegmentRows& rows, const QDate& first, const QDate& last)
{
    if (!first.isValid() || !last.isValid() || last < first)
        return first;
    const QDateTime from = first.startOfDay();
    const QDateTime to = last.addDays(1).startOfDay();
    QDateTime earliest;
    for (const QList<CTimeSegment>& row : rows) {
        for (const CTimeSegment& s : row) {
            if (!s.Begin().isValid() || !s.End().isValid() || s.End() <= from || s.Begin() >= to)
                continue;
            const QDateTime start = std::max(s.Begin(), from);
            if (!earliest.isValid() || start < earliest)
                earliest = start;
        }
    }
    return earliest.isValid() ? earliest.date() : first;
}

QDate DayForCalendarClick(const QDate& date, const QDate& first, const QDate& last)
{
    if (!date.isValid() || !first.isValid() || !last.isValid() || last < first)
        return {};
    return std::clamp(date, first, last);
}

}  // namespace PlaybackSearch
