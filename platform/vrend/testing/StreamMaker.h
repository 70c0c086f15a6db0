// Makes small recording streams in memory for the player layer's tests and benchmarks: the
// 40-byte header and an MPEG-TS body with H.264 video (and optional AAC sound). Each frame
// carries its index as a block code that survives compression (see ReadFrameCode).
#pragma once

#include <QImage>

#include <cstdint>
#include <string>
#include <vector>

namespace vrend::testing {

struct StreamSpec {
    int width = 320;
    int height = 240;
    int fps = 25;
    int frame_count = 50;
    int gop = 25;                          // keyframe interval in frames
    int b_frames = 0;                      // consecutive B-frames
    bool audio = false;                    // AAC tone
    std::int64_t start_time = 1704164645;  // 2024-01-02 03:04:05 UTC
    std::int64_t pts_origin = 90000;
    bool noise = false;        // grain on every frame, for realistic stream sizes
    int bitrate_kbps = 0;      // 0: encoder default quality
    bool params_once = false;  // the parameter sets only before the first keyframe, as some recorders write
};

struct Stream {
    std::vector<std::uint8_t> header;  // 40 bytes
    std::vector<std::uint8_t> body;    // MPEG-TS
    std::int64_t FramePts(int index, int fps) const;
};

// Empty stream (and `error` set) when encoding failed.
Stream MakeStream(const StreamSpec& spec, std::string* error = nullptr);

// The frame index drawn into a frame of MakeStream; -1 when unreadable.
int ReadFrameCode(const QImage& image);

}  // namespace vrend::testing
