#pragma once
// Local time of the machine's time zone, turned into seconds since 1970 and back, the same way
// for every caller and independent of earlier calls (the C library's mktime guesses the hour
// that the clock repeats in autumn from the call before it).
//
// Fields are year (four digits), month 1-12, day, hour, minute, second. Out-of-range fields
// (a 60th second, the 30th of February) roll over as mktime would roll them.

#include <cstdint>

namespace rtk {

// The program's one broken-down date-time: the engine knows it as Varpen::RecordTime, the
// recorder-disk layer's DR_DateTime is converted to and from it by platform/diskrec/DiskTime.h.
// Layout-compatible with six 32-bit ints, the form the index reader's calls take.
struct LocalFields {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;

    const int* Fields() const { return &year; }
    int* Fields() { return &year; }
};
static_assert(sizeof(LocalFields) == 6 * sizeof(int));

enum class LocalTimeKind {
    Unique,    // the clock shows these fields once
    Repeated,  // twice: in the hour the clock is set back
    Skipped,   // never: in the hour the clock is set forward
    Invalid,   // no time at all (a year out of range)
};

// Every moment whose local time shows `fields`, ascending: 0, 1 or 2 of them.
int LocalTimeCandidates(const LocalFields& fields, std::int64_t out[2], LocalTimeKind* kind = nullptr);

// The moment the fields name: the earliest one at or after `notBefore` when the clock shows them
// twice and one of them is (so that the end of a span that runs across the repeated hour keeps
// the span's real length), else the earliest. A skipped time counts with the offset in force
// before the change (02:30 on a spring morning is the moment the clock shows 03:30). -1 when
// the fields name no time.
std::int64_t LocalToTime(const LocalFields& fields, std::int64_t notBefore = INT64_MIN, LocalTimeKind* kind = nullptr);

// Local-time fields of `t`; false when the C library cannot break it.
bool TimeToLocal(std::int64_t t, LocalFields* out);

}  // namespace rtk
