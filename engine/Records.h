// Records that travel through the engine: one camera channel, one found recording file, and the
// engine's time conventions (64-bit time_t, -1 = none, fields in local time).
#pragma once

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtk/LocalTime.h"

namespace Varpen {

// A broken-down local time in the field order the recorder and index calls take: year (four
// digits), month 1-12, day, hour, minute, second.
using RecordTime = rtk::LocalFields;

// Local-time fields of `t` (thread-safe); all zero when the C library cannot break it.
RecordTime BreakTime(time_t t);
// time_t of local-time fields; -1 when the fields cannot be represented. Fields the clock shows
// twice (the hour it is set back) give the earlier moment, or the earliest at or after
// `notBefore` when there is one: the end of a span is converted with its start as `notBefore`, so
// that a span across the repeated hour keeps its real length. Deterministic: the result never
// depends on earlier calls.
time_t MakeTime(const RecordTime& fields, time_t notBefore = -1);
// The moment MakeTime names, as a local QDateTime; invalid when the fields name no date or no
// time of day (no roll-over here: the 30th of February is no date) or no moment.
QDateTime FieldsToDateTime(const RecordTime& fields);
// The date and time-of-day fields of `time` as it reads in its own zone.
RecordTime DateTimeToFields(const QDateTime& time);
// The same day at 00:00:00 and at 23:59:59.
RecordTime DayBegin(const RecordTime& day);
RecordTime DayEnd(const RecordTime& day);

// 14-digit stamp "YYYYMMDDhhmmss" (local time) to time_t, as MakeTime. Reads at most 14
// characters of `text` and stops at its terminator; -1 when fewer than 14 digits are present.
time_t StampToTime(const char* text, std::size_t max_chars = 14, time_t notBefore = -1);
bool StampToFields(const char* text, std::size_t max_chars, RecordTime& fields);

// Parts of output-file names.
std::string TimeToFileStamp(time_t t);  // "%Y%m%d%H%M%S"
std::string TimeToDateStamp(time_t t);  // "%Y%m%d"
std::string IntToStdString(int value);

class CChannel {
public:
    CChannel() = default;
    CChannel(int number, QString name) : m_number(number), m_name(std::move(name)) {}

    void SetNumber(int number) { m_number = number; }
    void SetName(const QString& name) { m_name = name; }
    void SetFlag(bool flag) { m_flag = flag; }
    int GetNumber() const { return m_number; }
    QString GetName() const { return m_name; }
    bool GetFlag() const { return m_flag; }
    // Callers go on with a channel when this is false; a channel is never null.
    bool IsNull() const { return false; }

private:
    int m_number = -1;  // 0-based as on the disk; -1 = none
    QString m_name;
    bool m_flag = false;  // carried for the channel tree, never interpreted here
};

class CSingleFile {
public:
    CSingleFile() = default;
    CSingleFile(std::string name, std::string diskPath, std::uint64_t size, time_t start, time_t end,
                unsigned recordType, std::string label, int channel)
        : m_name(std::move(name)),
          m_size(size),
          m_start(start),
          m_end(end),
          m_label(std::move(label)),
          m_channel(channel),
          m_recordType(recordType),
          m_diskPath(std::move(diskPath))
    {
    }

    const std::string& GetName() const { return m_name; }
    const std::string& GetPath() const { return m_diskPath; }
    std::uint64_t GetSize() const { return m_size; }
    time_t GetStartTime() const { return m_start; }
    time_t GetEndTime() const { return m_end; }
    int GetChannel() const { return m_channel; }
    unsigned GetRecordType() const { return m_recordType; }
    std::string GetLabel() const { return m_label; }

    // Both ends inclusive.
    bool ContainsTime(time_t t) const { return m_start <= t && t <= m_end; }
    // A copy with start := begin and end := end (-1 keeps this record's end).
    std::unique_ptr<CSingleFile> CloneWithRange(time_t begin, time_t end) const;

private:
    std::string m_name;        // disk: the find record's name; local folder: full segment path
    std::uint64_t m_size = 0;  // bytes; a local segment may hold 4 GiB or more
    time_t m_start = 0;
    time_t m_end = 0;
    std::string m_label;  // local folder: "<channel name>_<number>"; disk: empty
    int m_channel = 0;
    unsigned m_recordType = 0;  // the recorder record type this file was found under
    std::string m_diskPath;     // disk: the folder that answered the search; local folder: empty
};

using SingleFilePtr = std::shared_ptr<CSingleFile>;
using SingleFileList = std::vector<SingleFilePtr>;

// The first file in list order whose end is strictly after `t`. `startAt` is `t` when that file
// contains it, else the file's own start. False when no file qualifies.
bool FindFileByTime(const SingleFileList& files, time_t t, int& index, time_t& startAt);
// The same rule, walking on from position `from`.
bool FindFileByTimeFrom(const SingleFileList& files, int from, time_t t, int& index, time_t& startAt);

}  // namespace Varpen
