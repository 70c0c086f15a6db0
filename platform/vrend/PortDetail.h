// Pieces shared by the parts of a port (internal to platform/vrend): limits, and arithmetic that
// saturates instead of overflowing on times taken from an untrusted stream header.
#pragma once

extern "C" {
#include <libavutil/frame.h>
}

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>
#include <limits>
#include <utility>

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

// Memory for a port's big buffers (its ring, its decoder's pictures, the pictures for its surface),
// taken from the system in whole pages and given straight back when freed. The allocator would
// keep such blocks in the heap of the thread that made them (one per decoding thread), and gives
// back of such a heap only the free space above its last block in use: what a stopped port held
// would stay in the process. Pages come zeroed. Null when the system has none.
inline std::uint8_t* MapPages(std::size_t bytes)
{
    if (bytes == 0)
        return nullptr;
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return p == MAP_FAILED ? nullptr : static_cast<std::uint8_t*>(p);
}
inline void UnmapPages(std::uint8_t* data, std::size_t bytes)
{
    if (data)
        munmap(data, bytes);
}

// A buffer of pages (see MapPages).
class PageBuffer {
public:
    PageBuffer() = default;
    PageBuffer(const PageBuffer&) = delete;
    PageBuffer& operator=(const PageBuffer&) = delete;
    ~PageBuffer() { Reset(); }
    // False (and empty) when the system has no memory for it.
    bool Allocate(std::size_t bytes)
    {
        Reset();
        data_ = MapPages(bytes);
        size_ = data_ ? bytes : 0;
        return data_ || bytes == 0;
    }
    void Reset()
    {
        UnmapPages(std::exchange(data_, nullptr), size_);
        size_ = 0;
    }
    std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }
    std::uint8_t& operator[](std::size_t i) const { return data_[i]; }

private:
    std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
};

}  // namespace vrend::port_detail
