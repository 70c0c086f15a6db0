// Stream format layer: the 40-byte "VPSH" header that starts every recording file, the packed
// recorder date-time carried in streams. The packet locator is in PacketLocator.h.
//
// All calls are plain functions with 64-bit types; they keep no state and are safe on untrusted input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// ---- Stream header ---------------------------------------------------------------------------

constexpr std::size_t SF_HEADER_SIZE = 40;
constexpr std::uint16_t SF_HEADER_VERSION = 1;
constexpr std::int64_t SF_PTS_CLOCK = 90000;  // PTS ticks per second

enum SF_Container : std::uint8_t { SF_CONTAINER_MPEGTS = 1, SF_CONTAINER_MPEGPS = 2 };
enum SF_VideoCodec : std::uint8_t { SF_VIDEO_H264 = 1, SF_VIDEO_HEVC = 2, SF_VIDEO_MPEG4 = 3 };
enum SF_AudioCodec : std::uint8_t { SF_AUDIO_NONE = 0, SF_AUDIO_AAC = 1 };

// Layout on disk, little-endian:
//   0 magic "VPSH" | 4 u16 version | 6 u16 header size (40) | 8 u8 container | 9 u8 video codec
//  10 u8 audio codec | 11 u8 flags | 12 u16 width | 14 u16 height | 16 u32 frame rate x 1000
//  20 u32 reserved | 24 i64 start time (time_t of the PTS origin) | 32 i64 PTS origin (90 kHz)
struct SF_StreamHeader {
    std::uint16_t version = SF_HEADER_VERSION;
    std::uint16_t header_size = SF_HEADER_SIZE;
    std::uint8_t container = SF_CONTAINER_MPEGTS;
    std::uint8_t video_codec = SF_VIDEO_H264;
    std::uint8_t audio_codec = SF_AUDIO_NONE;
    std::uint8_t flags = 0;
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    std::uint32_t frame_rate_milli = 0;  // frames per second x 1000
    std::uint32_t reserved = 0;
    std::int64_t start_time = 0;  // seconds since 1970 at PTS origin
    std::int64_t pts_origin = SF_PTS_CLOCK;
};

// Writes the header's 40 bytes into `out`.
void SF_SerialiseHeader(const SF_StreamHeader* header, std::uint8_t out[SF_HEADER_SIZE]);

// Parses the first 40 bytes of `data`. False (and `out` untouched) when fewer than 40 bytes are
// given, the magic is not "VPSH", the version or header size is not ours, or the container is
// unknown. `out` may be null to only validate.
bool SF_ParseHeader(const std::uint8_t* data, std::size_t size_bytes, SF_StreamHeader* out);

// Absolute time in whole seconds of a frame: start + floor((pts - origin) / 90000).
std::int64_t SF_FrameTime(const SF_StreamHeader* header, std::int64_t pts);

// ---- Streams of other recorders -----------------------------------------------------------------
// Files of other recorders start with 40 bytes of their own, or with the stream right away. Their
// frames are timed from the start that the file's index entry or name gives, plus the stream's own
// time since its first picture.

constexpr std::int64_t SF_PTS_WRAP = std::int64_t(1) << 33;

// SF_CONTAINER_MPEGTS when `data` starts with MPEG-TS packets (sync byte at every 188 bytes that
// `size_bytes` covers, at least one), SF_CONTAINER_MPEGPS when it starts with an MPEG pack header,
// else 0.
int SF_SniffContainer(const std::uint8_t* data, std::size_t size_bytes);

// Where the stream of a file starts, from its first bytes (give at least 40 + 3 x 188): 40 after
// our header or a foreign 40-byte header, 0 for a stream without a header; -1 when neither start
// holds a stream of a known container. `container` (may be null) receives the container.
int SF_StreamOffset(const std::uint8_t* data, std::size_t size_bytes, int* container);

// Signed distance b - a of two PTS values in 90 kHz ticks, taken modulo 2^33 into
// [-2^32, 2^32): a stream's clock wraps at 2^33 (about 26.5 hours).
std::int64_t SF_PtsDistance(std::int64_t a, std::int64_t b);

// ---- Packed recorder date-time ---------------------------------------------------------------
// year = bits 31..26 + 2000, month 25..22, day 21..17, hour 16..12, minute 11..6, second 5..0.

constexpr std::uint32_t SF_NO_TIME = 0xFFFFFFFFu;

// Local time of `t` packed; SF_NO_TIME when t < 0 or its year is outside 2000..2063.
std::uint32_t SF_PackTime(std::int64_t t);
// Fields packed as given (no conversion); SF_NO_TIME when a field is out of range.
std::uint32_t SF_PackFields(int year, int month, int day, int hour, int minute, int second);
// Local time_t of a packed value; -1 for SF_NO_TIME or a field out of range.
std::int64_t SF_UnpackTime(std::uint32_t packed);
