// Scales a decoded picture (or a region of it) to the size a surface shows and converts it to the
// surface's 32-bit format (internal to platform/vrend).
#pragma once

extern "C" {
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vrend {

// Averages each `fx` x `fy` block of `src` (`width` x `height` bytes, `src_stride` apart) into one
// byte of `dst`, rounded to nearest (`fx`, `fy` up to 16); the blocks on the right and bottom edges
// may be partial and average what they cover. Blocks of 4 lines or more average their middle half
// of lines. `dst` is ceil(width / fx) x ceil(height / fy). `sums` holds at least `width` values
// (scratch).
void BoxReducePlane(const std::uint8_t* src, std::ptrdiff_t src_stride, int width, int height, int fx, int fy,
                    std::uint8_t* dst, std::ptrdiff_t dst_stride, std::uint16_t* sums);

// Whether the AVX2 code may run where the processor has it (yes by default; tests turn it off to
// check the code for older processors).
void AllowAvx2(bool allow);

// One per presenter: keeps its scaler and its buffers from one picture to the next. Not
// thread-safe.
//
// A picture shown at a half, a third, a quarter... of its size (a tile of a grid) is first
// shrunk by that whole factor in each direction, each plane by itself: one read of the decoded
// planes, averaging each block, into small planes kept here. The colour conversion (and what
// scaling is left when the size shown is not a whole fraction of the picture's) then runs on
// those small planes only. Formats other than 8-bit planar YUV, and pictures shown at their size
// or larger (a zoomed region), are scaled and converted in one pass by libswscale.
class FrameScaler {
public:
    FrameScaler() = default;
    FrameScaler(const FrameScaler&) = delete;
    FrameScaler& operator=(const FrameScaler&) = delete;
    ~FrameScaler();

    // Writes `frame`, or its region `left, top, width, height` (already within the picture and
    // starting on a whole chroma sample), at `out_width` x `out_height` in RGB32 (0xffRRGGBB) into
    // `dst`, `dst_stride` bytes a line. The colours follow the frame's matrix (BT.601 when it says
    // none) and range. False when the frame's format cannot be converted.
    bool Convert(const AVFrame* frame, int left, int top, int width, int height, int out_width, int out_height,
                 std::uint8_t* dst, int dst_stride);
    // Frees the scaler and the small planes.
    void Release();

private:
    struct Key {
        int src_w = 0, src_h = 0, src_format = -1, dst_w = 0, dst_h = 0, flags = 0, colorspace = -1, full_range = -1;
        bool operator==(const Key&) const = default;
    };
    // The scaler for `key`, made (and given its colours) when the key changed.
    SwsContext* Scaler(const Key& key);

    SwsContext* sws_ = nullptr;
    Key key_;
    std::vector<std::uint8_t> small_;  // the shrunk planes
    std::vector<std::uint16_t> sums_;  // one line of column sums
};

}  // namespace vrend
