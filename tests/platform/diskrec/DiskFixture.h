// Small recorder-disk images for the disk-library tests: files whose bytes are known, so a test
// can tell exactly which bytes a stream delivered.
#pragma once

#include <QTemporaryDir>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/diskrec/DiskImageWriter.h"
#include "platform/diskrec/diskrec.h"

namespace disktest {

inline qint64 Local(int y, int mo, int d, int h, int mi, int s)
{
    struct tm tm {};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return int64_t(mktime(&tm));
}

inline DR_DateTime Dt(int64_t t)
{
    const time_t tt = time_t(t);
    struct tm tm {};
    localtime_r(&tt, &tm);
    return DR_DateTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

constexpr int kBytesPerSecond = 1000;

// Byte i of a file's data after its header.
inline uint8_t DataByte(int channel, size_t i)
{
    return uint8_t((i * 7 + i / 251 + channel) & 0xFF);
}

// A file of `channel` from start to end: a 40-byte header naming its start, then
// kBytesPerSecond bytes per second with a keyframe at the start of every second.
inline diskrec::ImageFile MakeFile(int channel, int type, int64_t start, int64_t end)
{
    diskrec::ImageFile f;
    f.channel = channel;
    f.record_type = type;
    f.start = start;
    f.end = end;
    f.name = "ch" + std::to_string(channel) + "_" + std::to_string(start);
    f.data.assign(40, 0);
    std::memcpy(f.data.data(), "VPSH", 4);
    std::memcpy(f.data.data() + 24, &start, sizeof(start));
    const size_t seconds = size_t(end - start);
    for (size_t i = 0; i < seconds * kBytesPerSecond; ++i)
        f.data.push_back(DataByte(channel, i));
    for (size_t k = 0; k < seconds; ++k)
        f.keyframes.push_back({(start + int64_t(k)) * 1000 + 40, 40 + k * kBytesPerSecond});
    return f;
}

// Data bytes of a file made by MakeFile, from one offset (header included) to another.
inline std::vector<uint8_t> FileBytes(const diskrec::ImageFile& f, size_t from, size_t to)
{
    return std::vector<uint8_t>(f.data.begin() + int64_t(from), f.data.begin() + int64_t(to));
}

struct TempImages {
    QTemporaryDir dir;
    std::string Path(const std::string& name) const { return dir.path().toStdString() + "/" + name; }
};

}  // namespace disktest
