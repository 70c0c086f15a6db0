// The one H.264 stream generator of the tree: sample recordings for varpen-sample, the streams
// of the tests and the benchmarks. Our 40-byte stream header followed by MPEG-TS (or an MPEG
// program stream) with H.264 video and optional AAC sound. Pictures are either sample frames that
// show the channel and wall-clock time with a SampleCode mark, or numbered frames: the picture's
// index as a block code over the whole picture (ReadFrameNumber). Output is reproducible:
// single-threaded x264, fixed settings. Sample frames are drawn with QPainter: the caller needs a
// QGuiApplication (the offscreen platform will do).
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
    int frame_count = 0;  // > 0: this many pictures in place of duration_s x fps
    int width = 352;
    int height = 288;
    int fps = 25;
    int keyint = 25;              // frames between keyframes
    int bframes = 0;              // 0 = none
    bool audio = false;           // AAC sine, audio_rate_hz, audio_channels
    int audio_rate_hz = 16000;
    int audio_channels = 1;
    int crf = 28;                 // x264 quality, 0 = lossless
    bool noise = false;           // noisy background (numbered frames: grain): large frames
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
    // The picture: a sample frame (channel, time, SampleCode mark) or the frame's index as a
    // block code (ReadFrameNumber), drawn straight into the encoder's picture.
    enum class Picture { Sample, FrameNumber };
    Picture picture = Picture::Sample;
    bool params_once = false;  // the parameter sets only before the first keyframe, as some recorders write
};

// The small streams of the player tests: `frames` numbered 320x240 pictures at 25 fps, a keyframe
// every `keyint` frames, starting 2024-01-02 03:04:05 UTC, x264 quality 23; sound (when asked
// for) 48 kHz stereo.
SegmentParams NumberedStream(int frames, int keyint);

// The frame index drawn into a numbered frame; -1 when unreadable.
int ReadFrameNumber(const QImage& image);

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

// A stream in memory: the 40-byte header apart from the stream after it.
struct Stream {
    std::vector<std::uint8_t> header;
    std::vector<std::uint8_t> body;
};
// Splits what EncodeSegment wrote; both parts empty when there are not more than 40 bytes.
Stream SplitStream(const QByteArray& bytes);
// EncodeSegment into a Stream; empty (and `error` set) on failure.
Stream MakeStream(const SegmentParams& params, QString* error = nullptr);

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
    int parameter_sets = 0;  // sequence parameter sets in the video packets
};
DecodeReport DecodePictures(const QString& path, std::int64_t pos, const std::function<void(const QImage&)>& picture);

}  // namespace SampleGen
