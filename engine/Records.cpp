#include "engine/Records.h"

#include "platform/rtk/LocalTime.h"

#include <cstdio>

namespace Varpen {

RecordTime BreakTime(time_t t)
{
    RecordTime r;
    if (!rtk::TimeToLocal(std::int64_t(t), &r))
        return RecordTime();
    return r;
}

time_t MakeTime(const RecordTime& f, time_t notBefore)
{
    return time_t(rtk::LocalToTime(f, notBefore == -1 ? INT64_MIN : std::int64_t(notBefore)));
}

QDateTime FieldsToDateTime(const RecordTime& f)
{
    if (!QDate::isValid(f.year, f.month, f.day) || !QTime::isValid(f.hour, f.minute, f.second))
        return QDateTime();
    const time_t t = MakeTime(f);
    if (t == -1)
        return QDateTime();
    return QDateTime::fromSecsSinceEpoch(qint64(t));
}

RecordTime DateTimeToFields(const QDateTime& time)
{
    const QDate d = time.date();
    const QTime t = time.time();
    return RecordTime{d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

RecordTime DayBegin(const RecordTime& day)
{
    RecordTime r = day;
    r.hour = r.minute = r.second = 0;
    return r;
}

RecordTime DayEnd(const RecordTime& day)
{
    RecordTime r = day;
    r.hour = 23;
    r.minute = 59;
    r.second = 59;
    return r;
}

bool StampToFields(const char* text, std::size_t max_chars, RecordTime& f)
{
    if (!text || max_chars < 14) {
        return false;
    }
    int digits[14];
    for (int i = 0; i < 14; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return false;  // also stops at the terminator: never reads past it
        }
        digits[i] = c - '0';
    }
    auto num = [&](int from, int count) {
        int v = 0;
        for (int i = from; i < from + count; ++i)
            v = v * 10 + digits[i];
        return v;
    };
    f.year = num(0, 4);
    f.month = num(4, 2);
    f.day = num(6, 2);
    f.hour = num(8, 2);
    f.minute = num(10, 2);
    f.second = num(12, 2);
    return true;
}

time_t StampToTime(const char* text, std::size_t max_chars, time_t notBefore)
{
    RecordTime f;
    return StampToFields(text, max_chars, f) ? MakeTime(f, notBefore) : -1;
}

static std::string FormatLocal(time_t t, const char* format)
{
    struct tm parts {};
    if (!localtime_r(&t, &parts)) {
        return std::string();
    }
    char text[32] = {};
    const std::size_t n = strftime(text, sizeof(text), format, &parts);
    return std::string(text, n);
}

std::string TimeToFileStamp(time_t t)
{
    return FormatLocal(t, "%Y%m%d%H%M%S");
}
std::string TimeToDateStamp(time_t t)
{
    return FormatLocal(t, "%Y%m%d");
}
std::string IntToStdString(int value)
{
    return std::to_string(value);
}

std::unique_ptr<CSingleFile> CSingleFile::CloneWithRange(time_t begin, time_t end) const
{
    auto copy = std::make_unique<CSingleFile>(*this);
    copy->m_start = begin;
    copy->m_end = (end == -1) ? m_end : end;
    return copy;
}

bool FindFileByTimeFrom(const SingleFileList& files, int from, time_t t, int& index, time_t& startAt)
{
    for (std::size_t i = from < 0 ? 0 : static_cast<std::size_t>(from); i < files.size(); ++i) {
        const SingleFilePtr& f = files[i];
        if (f && f->GetEndTime() > t) {
            index = static_cast<int>(i);
            startAt = f->ContainsTime(t) ? t : f->GetStartTime();
            return true;
        }
    }
    return false;
}

bool FindFileByTime(const SingleFileList& files, time_t t, int& index, time_t& startAt)
{
    return FindFileByTimeFrom(files, 0, t, index, startAt);
}

}  // namespace Varpen
