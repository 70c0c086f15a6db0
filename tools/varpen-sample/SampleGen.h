// Encodes sample recordings: our 40-byte stream header followed by MPEG-TS (or an MPEG program
// stream) with H.264 video whose frames show the channel and wall-clock time, and optional AAC.
// Output is reproducible: single-threaded x264, fixed settings. Frames are drawn with QPainter:
// the caller needs a QGuiApplication (the offscreen platform will do).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace SampleGen {

struct SegmentParams {
    int channel = 1;
    std::int64_t start_time = 0;  // time_t of the first frame
    int duration_s = 4;
    int width = 352;
    int height = 288;
    int fps = 25;
    int keyint = 25;              // frames between keyframes
    int bframes = 0;              // 0 = none
    bool audio = false;           // AAC, 16 kHz mono sine
    int crf = 28;                 // x264 quality, 0 = lossless
    bool noise = false;           // noisy background: large frames, for big benchmark files
    bool program_stream = false;  // MPEG program stream in place of MPEG-TS (video only)
    bool camera = false;          // camera-like pictures: sensor noise and a fine moving texture
    int bitrate_kbps = 0;         // > 0: encode at this average rate instead of constant quality
    // The 40 bytes before the stream: ours, another recorder's (the same for every file), or none.
    enum class Header { Ours, Other, None };
    Header header = Header::Ours;
    // Stream timing as other recorders write it (used with a header that is not ours).
    std::int64_t first_pts = 90000;  // PTS of the first picture (90 kHz); may pass 2^33 and wrap
    int audio_lead_ms = 0;           // audio starts this long before the first picture
    bool drop_some_pts = false;      // every other non-key picture carries no timestamp
};

// The 40-byte header that files of another recorder start with (not ours).
extern const std::uint8_t kOtherHeader[40];

struct Keyframe {
    std::int64_t pos = 0;   // absolute byte offset in the segment file
    std::int64_t pts = 0;   // 90 kHz
    std::int64_t time = 0;  // absolute second
};

struct SegmentResult {
    std::int64_t size_bytes = 0;
    std::vector<Keyframe> keyframes;
    int frames = 0;
};

// Writes one segment file. False with `error` set on failure.
bool WriteSegment(const QString& path, const SegmentParams& params, SegmentResult* result, QString* error);
// The same into memory.
bool EncodeSegment(const SegmentParams& params, QByteArray* bytes, SegmentResult* result, QString* error);

// Decodes the first picture of the stream that starts at byte `pos` of `path`, with a demuxer that
// has seen nothing before that byte (as a player fed from that offset). Null image on failure.
QImage DecodeFirstPicture(const QString& path, std::int64_t pos, bool program_stream = false);

// Every picture of the MPEG-TS stream that starts at byte `pos` of `path`, in the order shown,
// handed to `picture`: how a player that opens the file sees it.
struct DecodeReport {
    bool opened = false;
    int packets = 0;  // video packets read
    int audio_packets = 0;
    int pictures = 0;  // pictures decoded
    int errors = 0;    // packets or pictures the decoder refused or marked damaged
};
DecodeReport DecodePictures(const QString& path, std::int64_t pos, const std::function<void(const QImage&)>& picture);

}  // namespace SampleGen
