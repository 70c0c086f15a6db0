// The rules of the playback page's recording search, apart from the page: the checks of the
// operator's choice and their messages, the whole-day search window, how many windows the grid
// must show for the channels bound, and the record-type box with the time-line filter entries
// that go with each choice.
#pragma once

#include "timeline/TimeSegment.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>

#include <ctime>

namespace PlaybackSearch {

constexpr int kMaxCameras = 16;
constexpr int kMaxDays = 30;
constexpr int kWindowCount = 16;

enum class Check {
    Ok,
    BeginNotBeforeEnd,  // "Begin time should earlier than end time"
    LongerThan30Days,   // "You can only search video in 30days"
    NoCamera,           // "Please select a camera"
    TooManyCameras,     // "Camera should less than 16"
};

// The time edits: the begin must be earlier than the end, and the end no later than 30 days
// after the begin. Checked before the cameras.
Check CheckWindow(const QDateTime& begin, const QDateTime& end);
// The number of ticked channels: at least one, at most 16.
Check CheckCameraCount(int count);
// Both, in the page's order.
Check CheckSearch(const QDateTime& begin, const QDateTime& end, int cameraCount);
// The message shown for a failed check (translated); empty for Ok.
QString CheckMessage(Check check);
// The notice for channels a search could not place because no window was left from the first
// one on; `channels` names them (ChannelTree::ListText). Empty when nothing was left out.
QString NotPlacedMessage(const QString& channels);

// A search covers whole days: from 00:00:00 of the first date to 23:59:59 of the last
// (local time).
time_t DayStart(const QDate& date);
time_t DayLast(const QDate& date);

// The windows a split mode shows: 1, 4, 9 or 16 for the modes of the cut buttons (1x1, 2x2, 3x3 and
// 4x4 with their wide-screen forms), the number in the mode's name for the others.
int WindowsShownBy(int mode);
// Channels bound from window `firstWindow` on: those that fall on windows 0 to 15.
int BoundCount(int firstWindow, int channelCount);
// The split mode after binding `channelCount` channels from `firstWindow` on: when the current
// mode shows fewer windows than the last bound one needs, the smallest mode of the cut buttons
// (of the wide-screen family on a wide screen) that shows them all; otherwise the current mode.
// A single channel goes to a window already shown and never changes the grid; the grid never
// shrinks.
int GrownSplitMode(int currentMode, int firstWindow, int channelCount, bool wideScreen);

// The record-type box: ids 0 to 14 equal the box index and are the record type searched.
struct RecordTypeChoice {
    int id;
    const char* text;  // source text, translated in the page's context
    int filterId;      // the time-line filter entry that goes with it, or RecordTypes::kNoFilter
};
const QList<RecordTypeChoice>& RecordTypeChoices();
QString RecordTypeText(int id);
// The filter entries a searched row offers: the entry of the record type searched and every
// entry that the row's bars carry, ascending (so every bar can be shown or hidden).
QList<int> RowFilterIds(int recordTypeId, const QList<CTimeSegment>& rowSegments);

// The day the time line shows after a search: the first day of [first, last] that holds a bar,
// else `first`.
QDate FirstDayWithBars(const TimeSegmentRows& rows, const QDate& first, const QDate& last);
// The day the time line moves to when the calendar is clicked on `date`: the date clamped into
// the searched days [first, last]; invalid when nothing was searched.
QDate DayForCalendarClick(const QDate& date, const QDate& first, const QDate& last);

}  // namespace PlaybackSearch
