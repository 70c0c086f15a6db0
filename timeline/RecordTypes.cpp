#include "timeline/RecordTypes.h"

#include "platform/diskrec/RecordType.h"
#include "timeline/TimeSegment.h"

#include <set>

namespace RecordTypes {

QColor DefaultBarColour()
{
    return QColor(113, 160, 250);
}

const QList<FilterEntry>& FilterEntries()
{
    static const QList<FilterEntry> entries{
        {kFilterSchedule, "Schedule", ":/images/public/Timeslider/IconContinuous.png"},
        {kFilterAlarm, "Alarm", ":/images/public/Timeslider/IconEvent.png"},
        {kFilterCommand, "Command", ":/images/public/Timeslider/IconCommand.png"},
    };
    return entries;
}

FilterEntry FilterEntryFor(int filterId)
{
    for (const FilterEntry& e : FilterEntries())
        if (e.id == filterId)
            return e;
    return FilterEntries().first();
}

QIcon FilterIcon(int filterId)
{
    return QIcon(QString::fromLatin1(FilterEntryFor(filterId).iconPath));
}

TypeInfo InfoFor(int recordType)
{
    static const QColor alarm(197, 113, 43, 255);
    static const QColor schedule(103, 121, 254, 255);
    static const QColor command(141, 239, 41, 255);
    switch (RecordType(recordType)) {
    case RecordType::Motion:
    case RecordType::Alarm:
    case RecordType::CashOut:
    case RecordType::CashIn:
    case RecordType::Shake:
    case RecordType::Environment:
    case RecordType::AlarmOrMotion:
    case RecordType::AlarmAndMotion:
        return {kFilterAlarm, true, alarm};
    case RecordType::Manual:
    case RecordType::Plan:
        return {kFilterSchedule, true, schedule};
    case RecordType::Command:
    case RecordType::Intelligent:
        return {kFilterCommand, true, command};
    default:
        return {kFilterSchedule, false, QColor()};
    }
}

CTimeSegment MakeSegment(const QDateTime& begin, const QDateTime& end, int recordType)
{
    CTimeSegment segment(begin, end);
    const TypeInfo info = InfoFor(recordType);
    segment.SetData(info.filterId, kRoleRecordType);
    if (info.hasColour)
        segment.SetData(QBrush(info.colour, Qt::SolidPattern), kRoleBrush);
    return segment;
}

QList<int> FilterIdsIn(const QList<CTimeSegment>& segments)
{
    std::set<int> ids;
    for (const CTimeSegment& s : segments)
        ids.insert(s.GetData(kRoleRecordType).toInt());
    return QList<int>(ids.begin(), ids.end());
}

}  // namespace RecordTypes
