#include "platform/streamfmt/streamfmt.h"

#include <cstring>

namespace {

const std::uint8_t kMagic[4] = {'V', 'P', 'S', 'H'};

void put16(std::uint8_t* p, std::uint16_t v)
{
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}
void put64(std::uint8_t* p, std::uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = std::uint8_t(v >> (8 * i));
}
std::uint16_t get16(const std::uint8_t* p)
{
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t get32(const std::uint8_t* p)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}
std::uint64_t get64(const std::uint8_t* p)
{
    std::uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

bool fieldsValid(int year, int month, int day, int hour, int minute, int second)
{
    return year >= 2000 && year <= 2063 && month >= 1 && month <= 12 && day >= 1 && day <= 31 && hour >= 0 &&
           hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 59;
}

}  // namespace

void SF_SerialiseHeader(const SF_StreamHeader* h, std::uint8_t out[SF_HEADER_SIZE])
{
    std::memset(out, 0, SF_HEADER_SIZE);
    std::memcpy(out, kMagic, 4);
    put16(out + 4, h->version);
    put16(out + 6, h->header_size);
    out[8] = h->container;
    out[9] = h->video_codec;
    out[10] = h->audio_codec;
    out[11] = h->flags;
    put16(out + 12, h->width);
    put16(out + 14, h->height);
    put32(out + 16, h->frame_rate_milli);
    put32(out + 20, h->reserved);
    put64(out + 24, std::uint64_t(h->start_time));
    put64(out + 32, std::uint64_t(h->pts_origin));
}

bool SF_ParseHeader(const std::uint8_t* data, std::size_t size_bytes, SF_StreamHeader* out)
{
    if (!data || size_bytes < SF_HEADER_SIZE || std::memcmp(data, kMagic, 4) != 0)
        return false;
    SF_StreamHeader h;
    h.version = get16(data + 4);
    h.header_size = get16(data + 6);
    h.container = data[8];
    h.video_codec = data[9];
    h.audio_codec = data[10];
    h.flags = data[11];
    h.width = get16(data + 12);
    h.height = get16(data + 14);
    h.frame_rate_milli = get32(data + 16);
    h.reserved = get32(data + 20);
    h.start_time = std::int64_t(get64(data + 24));
    h.pts_origin = std::int64_t(get64(data + 32));
    if (h.version != SF_HEADER_VERSION || h.header_size != SF_HEADER_SIZE)
        return false;
    if (h.container != SF_CONTAINER_MPEGTS && h.container != SF_CONTAINER_MPEGPS)
        return false;
    if (out)
        *out = h;
    return true;
}

std::int64_t SF_FrameTime(const SF_StreamHeader* header, std::int64_t pts)
{
    // Unsigned difference: no overflow on hostile values; floor division for PTS before origin.
    const std::int64_t diff = std::int64_t(std::uint64_t(pts) - std::uint64_t(header->pts_origin));
    std::int64_t secs = diff / SF_PTS_CLOCK;
    if (diff % SF_PTS_CLOCK < 0)
        --secs;
    return std::int64_t(std::uint64_t(header->start_time) + std::uint64_t(secs));  // wraps, never traps
}

std::uint32_t SF_PackFields(int year, int month, int day, int hour, int minute, int second)
{
    if (!fieldsValid(year, month, day, hour, minute, second))
        return SF_NO_TIME;
    return (std::uint32_t(year - 2000) << 26) | (std::uint32_t(month) << 22) | (std::uint32_t(day) << 17) |
           (std::uint32_t(hour) << 12) | (std::uint32_t(minute) << 6) | std::uint32_t(second);
}

std::uint32_t SF_PackTime(std::int64_t t)
{
    if (t < 0)
        return SF_NO_TIME;
    const time_t tt = time_t(t);
    struct tm tmv {};
    if (!localtime_r(&tt, &tmv))
        return SF_NO_TIME;
    return SF_PackFields(tmv.tm_year + 1900, tmv.tm_mon + 1, tmv.tm_mday, tmv.tm_hour, tmv.tm_min, tmv.tm_sec);
}

std::int64_t SF_UnpackTime(std::uint32_t packed)
{
    if (packed == SF_NO_TIME)
        return -1;
    const int year = int(packed >> 26) + 2000;
    const int month = int((packed >> 22) & 0xF);
    const int day = int((packed >> 17) & 0x1F);
    const int hour = int((packed >> 12) & 0x1F);
    const int minute = int((packed >> 6) & 0x3F);
    const int second = int(packed & 0x3F);
    if (!fieldsValid(year, month, day, hour, minute, second))
        return -1;
    struct tm tmv {};
    tmv.tm_year = year - 1900;
    tmv.tm_mon = month - 1;
    tmv.tm_mday = day;
    tmv.tm_hour = hour;
    tmv.tm_min = minute;
    tmv.tm_sec = second;
    tmv.tm_isdst = -1;
    const time_t t = mktime(&tmv);
    // A day the month does not have (Feb 30) is rejected rather than rolled into the next month.
    if (t == time_t(-1) || tmv.tm_mday != day || tmv.tm_mon != month - 1)
        return -1;
    return std::int64_t(t);
}

int SF_SniffContainer(const std::uint8_t* data, std::size_t size_bytes)
{
    constexpr std::size_t kTs = 188;
    if (!data || size_bytes < 4)
        return 0;
    if (data[0] == 0x47) {
        bool sync = true;
        for (std::size_t p = kTs; p < size_bytes && p <= 3 * kTs; p += kTs)
            sync = sync && data[p] == 0x47;
        if (sync)
            return SF_CONTAINER_MPEGTS;
    }
    if (data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] == 0xba)
        return SF_CONTAINER_MPEGPS;
    return 0;
}

int SF_StreamOffset(const std::uint8_t* data, std::size_t size_bytes, int* container)
{
    int found = 0;
    int offset = -1;
    if (data && size_bytes >= SF_HEADER_SIZE && SF_ParseHeader(data, size_bytes, nullptr)) {
        offset = int(SF_HEADER_SIZE);
        found = SF_SniffContainer(data + SF_HEADER_SIZE, size_bytes - SF_HEADER_SIZE);
    } else if ((found = SF_SniffContainer(data, size_bytes)) != 0) {
        offset = 0;
    } else if (data && size_bytes > SF_HEADER_SIZE &&
               (found = SF_SniffContainer(data + SF_HEADER_SIZE, size_bytes - SF_HEADER_SIZE)) != 0) {
        offset = int(SF_HEADER_SIZE);
    }
    if (container)
        *container = found;
    return found ? offset : -1;
}

std::int64_t SF_PtsDistance(std::int64_t a, std::int64_t b)
{
    // In unsigned arithmetic: any values may come from a stream; 2^64 is a multiple of 2^33.
    const std::uint64_t d = (std::uint64_t(b) - std::uint64_t(a)) & std::uint64_t(SF_PTS_WRAP - 1);
    return d >= std::uint64_t(SF_PTS_WRAP / 2) ? std::int64_t(d) - SF_PTS_WRAP : std::int64_t(d);
}
