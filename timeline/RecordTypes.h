// The one table of record types: for each record type a recorder reports for a file, the colour
// of its bar and the time-line filter entry it belongs to. The filter id is what a segment
// carries under kRoleRecordType, so a row's filter acts on what its bars carry.
#pragma once

#include <QBrush>
#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>

class CTimeSegment;

namespace RecordTypes {

// Roles of CTimeSegment's data that the time line reads.
constexpr int kRoleRecordType = 132;  // int: the filter id of the segment's record type
constexpr int kRoleBrush = 133;       // QBrush of the bar

// Filter ids of the time line's per-row filter.
constexpr int kFilterSchedule = 0;
constexpr int kFilterAlarm = 1;
constexpr int kFilterCommand = 2;
constexpr int kNoFilter = -1;  // a record-type choice that goes with no filter entry

// The colour of bars that carry no brush of their own.
QColor DefaultBarColour();

struct FilterEntry {
    int id;
    const char* text;      // shown as it stands (not translated)
    const char* iconPath;  // resource path of the entry's icon
};

// The three filter entries, in the order a row's pop-up lists them.
const QList<FilterEntry>& FilterEntries();
// The entry of a filter id; the "Schedule" entry for an unknown id.
FilterEntry FilterEntryFor(int filterId);
QIcon FilterIcon(int filterId);

struct TypeInfo {
    int filterId;
    bool hasColour;  // false: the bar is drawn in DefaultBarColour()
    QColor colour;
};

// The row of a recorder record type (1 to 12 are known; anything else has no colour and counts
// as "Schedule").
TypeInfo InfoFor(int recordType);

// A segment for a file of `recordType`: its filter id under kRoleRecordType and, when the type
// has a colour, a solid brush of it under kRoleBrush.
CTimeSegment MakeSegment(const QDateTime& begin, const QDateTime& end, int recordType);

// The filter ids that occur in `segments`, ascending (what a row's pop-up needs to offer).
QList<int> FilterIdsIn(const QList<CTimeSegment>& segments);

}  // namespace RecordTypes
