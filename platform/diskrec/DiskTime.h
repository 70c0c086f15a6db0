#pragma once
// The recorder-disk layer's date-time record and the program's broken-down local time
// (rtk::LocalFields, Varpen::RecordTime in the engine) hold the same six fields in the same order:
// every conversion between them goes through these two.

#include "platform/diskrec/diskrec.h"
#include "platform/rtk/LocalTime.h"

inline DR_DateTime ToDiskTime(const rtk::LocalFields& f)
{
    return DR_DateTime{f.year, f.month, f.day, f.hour, f.minute, f.second};
}

inline rtk::LocalFields FromDiskTime(const DR_DateTime& t)
{
    return rtk::LocalFields{t.year, t.month, t.day, t.hour, t.minute, t.second};
}
