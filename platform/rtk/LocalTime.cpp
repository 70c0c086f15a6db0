#include "platform/rtk/LocalTime.h"

#include <algorithm>
#include <ctime>

namespace rtk {

namespace {

bool SameFields(const struct tm& a, const struct tm& b)
{
    return a.tm_year == b.tm_year && a.tm_mon == b.tm_mon && a.tm_mday == b.tm_mday && a.tm_hour == b.tm_hour &&
           a.tm_min == b.tm_min && a.tm_sec == b.tm_sec;
}

bool OffsetAt(std::int64_t t, long* offset)
{
    const time_t tt = time_t(t);
    struct tm parts {};
    if (!localtime_r(&tt, &parts))
        return false;
    *offset = parts.tm_gmtoff;
    return true;
}

// Days on which the clock keeps one offset (the usual case) are remembered per thread, so that
// reading an index of a million entries costs no C-library call per entry. The answer is the
// same as the full search's; the zone (TZ) is part of the key.
struct UniformDay {
    int year = -1, mon = -1, mday = -1;
    const char* zone = nullptr;
    long zoneOffset = 0;
    bool uniform = false;
    long offset = 0;
};
thread_local UniformDay t_day;

bool UniformOffsetOf(const struct tm& wall, time_t u, long* offset)
{
    if (t_day.year != wall.tm_year || t_day.mon != wall.tm_mon || t_day.mday != wall.tm_mday ||
        t_day.zone != tzname[0] || t_day.zoneOffset != timezone) {
        t_day.year = wall.tm_year, t_day.mon = wall.tm_mon, t_day.mday = wall.tm_mday;
        t_day.zone = tzname[0];
        t_day.zoneOffset = timezone;
        // From 14 hours before the day's wall-clock start to 14 hours after its end (every offset
        // lies within +-14 h): one offset at both ends and halfway means no change that day.
        const std::int64_t dayStart = std::int64_t(u) - (wall.tm_hour * 3600 + wall.tm_min * 60 + wall.tm_sec);
        long a = 0, b = 0, c = 0;
        t_day.uniform = OffsetAt(dayStart - 14 * 3600, &a) && OffsetAt(dayStart + 43200, &b) &&
                        OffsetAt(dayStart + 86400 + 14 * 3600, &c) && a == b && b == c;
        t_day.offset = a;
    }
    *offset = t_day.offset;
    return t_day.uniform;
}

}  // namespace

int LocalTimeCandidates(const LocalFields& f, std::int64_t out[2], LocalTimeKind* kind)
{
    if (kind)
        *kind = LocalTimeKind::Invalid;
    if (f.year < 1900 || f.year > 9999)
        return 0;
    // The fields read as UTC give the wall-clock count; each offset the zone uses around it gives
    // one moment, kept when the clock really shows the fields then.
    struct tm wall {};
    wall.tm_year = f.year - 1900;
    wall.tm_mon = f.month - 1;
    wall.tm_mday = f.day;
    wall.tm_hour = f.hour;
    wall.tm_min = f.minute;
    wall.tm_sec = f.second;
    const time_t u = timegm(&wall);  // also rolls out-of-range fields over
    if (u == time_t(-1) && !(wall.tm_year == 69 && wall.tm_mon == 11 && wall.tm_mday == 31))
        return 0;
    long uniformOffset = 0;
    if (UniformOffsetOf(wall, u, &uniformOffset)) {
        out[0] = std::int64_t(u) - uniformOffset;
        if (kind)
            *kind = LocalTimeKind::Unique;
        return 1;
    }
    std::int64_t found[3];
    int n = 0;
    for (const std::int64_t probe : {std::int64_t(u) - 86400, std::int64_t(u), std::int64_t(u) + 86400}) {
        long offset = 0;
        if (!OffsetAt(probe, &offset))
            continue;
        const std::int64_t t = std::int64_t(u) - offset;
        const time_t tt = time_t(t);
        struct tm shown {};
        if (!localtime_r(&tt, &shown) || !SameFields(shown, wall))
            continue;
        if (std::find(found, found + n, t) == found + n)
            found[n++] = t;
    }
    // At most three: sorted in place (std::sort's unrolled paths for long ranges draw a bounds
    // warning from GCC on so small an array).
    for (int i = 1; i < n; ++i)
        for (int j = i; j > 0 && found[j - 1] > found[j]; --j)
            std::swap(found[j - 1], found[j]);
    n = std::min(n, 2);
    std::copy(found, found + n, out);
    if (kind)
        *kind = n == 2 ? LocalTimeKind::Repeated : n == 1 ? LocalTimeKind::Unique : LocalTimeKind::Skipped;
    return n;
}

std::int64_t LocalToTime(const LocalFields& f, std::int64_t notBefore, LocalTimeKind* kind)
{
    std::int64_t candidates[2];
    LocalTimeKind k = LocalTimeKind::Invalid;
    const int n = LocalTimeCandidates(f, candidates, &k);
    if (kind)
        *kind = k;
    if (n == 2)
        return candidates[0] >= notBefore || candidates[1] < notBefore ? candidates[0] : candidates[1];
    if (n == 1)
        return candidates[0];
    if (k != LocalTimeKind::Skipped)
        return -1;
    // In the gap: the offset in force before the change.
    struct tm wall {};
    wall.tm_year = f.year - 1900;
    wall.tm_mon = f.month - 1;
    wall.tm_mday = f.day;
    wall.tm_hour = f.hour;
    wall.tm_min = f.minute;
    wall.tm_sec = f.second;
    const time_t u = timegm(&wall);
    long before = 0;
    if (!OffsetAt(std::int64_t(u) - 86400, &before))
        return -1;
    return std::int64_t(u) - before;
}

bool TimeToLocal(std::int64_t t, LocalFields* out)
{
    const time_t tt = time_t(t);
    struct tm parts {};
    if (!out || !localtime_r(&tt, &parts))
        return false;
    *out =
        LocalFields{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec};
    return true;
}

}  // namespace rtk
