// The recorder's whole-disk layout, shared by the reader (diskrec.cpp) and the image writer.
//
// Little-endian throughout. Offsets are absolute byte offsets on the disk.
//   superblock @0, 4096 bytes:
//     0 magic "VPRDISK1" | 8 u32 version (1) | 12 u32 data alignment | 16 u64 image size
//    24 u32 volume count (1-8) | 28 u32 generation | 32 u64 log table offset | 40 u32 log count
//    44 u32 log record size (68) | 48 volume entries, 64 bytes each | 4092 u32 CRC-32 of 0-4091
//   volume entry: 0 name[32] ("", "_NVR_DIR_\Package000\", "_DVR_DIR_\Package000\")
//    32 u64 file table offset | 40 u32 file count | 44 u32 file entry size (128) | 48 reserved
//   file entry (sorted by channel, then start):
//     0 u16 channel (1-based) | 2 u16 record type | 4 u32 flags | 8 i64 start | 16 i64 end
//    24 u64 data offset | 32 u64 data length (40-byte stream header + stream)
//    40 u64 keyframe table offset | 48 u32 keyframe count | 52 reserved | 56 name[64] | 120 reserved
//   keyframe entry: 0 i64 time in ms since 1970 | 8 u64 byte offset within the file's data
//   log table: log count records of 68 bytes (DR_LogRecord), in time order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace diskrec {

constexpr char kMagic[8] = {'V', 'P', 'R', 'D', 'I', 'S', 'K', '1'};
constexpr uint32_t kVersion = 1;
constexpr size_t kSuperblockSize = 4096;
constexpr size_t kChecksumOffset = 4092;
constexpr size_t kVolumeEntriesOffset = 48;
constexpr size_t kVolumeEntrySize = 64;
constexpr uint32_t kMaxVolumes = 8;
constexpr size_t kVolumeNameSize = 32;
constexpr size_t kFileEntrySize = 128;
constexpr size_t kFileNameSize = 64;
constexpr size_t kKeyframeEntrySize = 16;
constexpr size_t kLogRecordSize = 68;
constexpr size_t kStreamHeaderSize = 40;
constexpr uint32_t kAlignment = 4096;

// Volume names as stored on the disk.
constexpr std::string_view kVolumePlain = "";
constexpr std::string_view kVolumeNvr = "_NVR_DIR_\\Package000\\";
constexpr std::string_view kVolumeDvr = "_DVR_DIR_\\Package000\\";

struct VolumeEntry {
    std::string name;
    uint64_t table_offset = 0;
    uint32_t file_count = 0;
    uint32_t entry_size = 0;
};

struct Superblock {
    uint32_t version = 0;
    uint32_t alignment = 0;
    uint64_t image_size = 0;
    uint32_t generation = 0;
    uint64_t log_offset = 0;
    uint32_t log_count = 0;
    uint32_t log_record_size = 0;
    uint32_t checksum = 0;
    std::vector<VolumeEntry> volumes;
};

struct FileEntry {
    uint16_t channel = 0;
    uint16_t record_type = 0;
    uint32_t flags = 0;
    int64_t start = 0;  // seconds since 1970
    int64_t end = 0;
    uint64_t data_offset = 0;
    uint64_t data_length = 0;
    uint64_t keyframe_offset = 0;
    uint32_t keyframe_count = 0;
    std::string name;
};

struct Keyframe {
    int64_t time_ms = 0;
    uint64_t offset = 0;  // within the file's data
};

uint32_t Crc32(const uint8_t* data, size_t size);

inline uint16_t GetU16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
inline uint32_t GetU32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
inline uint64_t GetU64(const uint8_t* p)
{
    return uint64_t(GetU32(p)) | (uint64_t(GetU32(p + 4)) << 32);
}
inline void PutU16(uint8_t* p, uint16_t v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = uint8_t(v >> (8 * i));
}
inline void PutU64(uint8_t* p, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        p[i] = uint8_t(v >> (8 * i));
}

// Parses a 4096-byte superblock. False when the magic, checksum, version, volume count or
// entry sizes are not ours: the disk is not a recorder disk.
bool ParseSuperblock(const uint8_t* block, Superblock* out);
// Serialises a superblock (checksum computed).
void SerialiseSuperblock(const Superblock& sb, uint8_t* block);

// Parses `count` file entries. An entry that is not sound against `image_size` (no channel, end
// before start, data or keyframes past the image, data shorter than the stream header) is
// left out. The result is sorted by channel, then start, then end.
std::vector<FileEntry> ParseFileTable(const uint8_t* data, size_t count, uint64_t image_size);
void SerialiseFileEntry(const FileEntry& entry, uint8_t* out);

// Parses keyframes; those outside [40, data_length) are left out; the result is ordered by
// offset.
std::vector<Keyframe> ParseKeyframes(const uint8_t* data, size_t count, uint64_t data_length);

// A recorder path: "\\.\PHYSICALDRIVE<n>" or a device/image path, each with an optional volume
// suffix ("_NVR_DIR_\Package000\" or "_DVR_DIR_\Package000\", with "\" or "/").
struct RecorderPath {
    int drive_number = -1;    // >= 0 for "\\.\PHYSICALDRIVE<n>"
    std::string device_path;  // otherwise the file system path of the device or image
    std::string volume;       // one of the kVolume* names
};
bool ParseRecorderPath(std::string_view text, RecorderPath* out);

}  // namespace diskrec
