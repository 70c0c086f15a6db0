// Pieces shared by the parts of a port (internal to platform/vrend): limits, and arithmetic that
// saturates instead of overflowing on times taken from an untrusted stream header.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <cstddef>
#include <cstdint>
#include <limits>

namespace vrend::port_detail {

constexpr std::int64_t kPtsHz = 90000;

// Arithmetic on times taken from a stream header, which is untrusted: saturates instead of
// overflowing.
inline std::int64_t SatAdd(std::int64_t a, std::int64_t b)
{
    std::int64_t r = 0;
    if (!__builtin_add_overflow(a, b, &r))
        return r;
    return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}
inline std::int64_t SatSub(std::int64_t a, std::int64_t b)
{
    std::int64_t r = 0;
    if (!__builtin_sub_overflow(a, b, &r))
        return r;
    return b < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}
inline std::int64_t SatMul(std::int64_t a, std::int64_t b)
{
    std::int64_t r = 0;
    if (!__builtin_mul_overflow(a, b, &r))
        return r;
    return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
}
// Decoded frames waiting to be shown: 2 frames of 1080p (80 ms at 1x, decoded in a few ms each),
// more at smaller sizes up to the display buffer. Each queued frame keeps one more of the
// decoder's 3 MB buffers alive: more would be most of a port's memory.
constexpr std::size_t kQueueMaxBytes = 4u << 20;
constexpr std::size_t kHistoryMaxBytes = 16u << 20;  // packets kept for stepping back
constexpr std::size_t kAudioMaxChunks = 200;
constexpr std::size_t kBackCacheMaxBytes = 32u << 20;  // frames kept for further steps back
constexpr std::size_t kMaxFramePts = 4096;             // times of decoded frames kept for steps
constexpr std::int64_t kAudioLateTicks = kPtsHz / 10;  // 100 ms
constexpr std::int64_t kJumpTicks = 3 * kPtsHz;

struct AvFrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};

inline std::size_t FrameBytes(const AVFrame* f)
{
    std::size_t n = 0;
    for (int i = 0; i < AV_NUM_DATA_POINTERS && f->buf[i]; ++i)
        n += f->buf[i]->size;
    return n;
}

// The bytes of a frame that nothing but this reference keeps (not the decoder, not another frame).
inline std::size_t OwnFrameBytes(const AVFrame* f)
{
    std::size_t n = 0;
    for (int i = 0; f && i < AV_NUM_DATA_POINTERS && f->buf[i]; ++i)
        if (av_buffer_get_ref_count(f->buf[i]) == 1)
            n += f->buf[i]->size;
    return n;
}

}  // namespace vrend::port_detail
