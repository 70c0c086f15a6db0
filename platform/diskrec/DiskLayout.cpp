#include "platform/diskrec/DiskLayout.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>

namespace diskrec {

namespace {

std::array<uint32_t, 256> MakeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

std::string FixedText(const uint8_t* p, size_t size)
{
    size_t n = 0;
    while (n < size && p[n] != 0)
        ++n;
    return std::string(reinterpret_cast<const char*>(p), n);
}

bool IsKnownVolume(std::string_view name)
{
    return name == kVolumePlain || name == kVolumeNvr || name == kVolumeDvr;
}

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Length of the volume suffix at the end of `text` (0 when there is none), and its name.
size_t VolumeSuffix(std::string_view text, std::string* volume)
{
    std::string_view t = text;
    if (!t.empty() && IsSeparator(t.back()))
        t.remove_suffix(1);
    constexpr std::string_view kPackage = "Package000";
    if (t.size() < kPackage.size() + 1 || t.substr(t.size() - kPackage.size()) != kPackage)
        return 0;
    t.remove_suffix(kPackage.size());
    if (!IsSeparator(t.back()))
        return 0;
    t.remove_suffix(1);
    for (std::string_view dir : {std::string_view("_NVR_DIR_"), std::string_view("_DVR_DIR_")}) {
        if (t.size() >= dir.size() && t.substr(t.size() - dir.size()) == dir) {
            t.remove_suffix(dir.size());
            *volume = std::string(dir == "_NVR_DIR_" ? kVolumeNvr : kVolumeDvr);
            return text.size() - t.size();
        }
    }
    return 0;
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size)
{
    static const std::array<uint32_t, 256> table = MakeCrcTable();
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

bool ParseSuperblock(const uint8_t* block, Superblock* out)
{
    if (std::memcmp(block, kMagic, sizeof(kMagic)) != 0)
        return false;
    const uint32_t checksum = GetU32(block + kChecksumOffset);
    if (Crc32(block, kChecksumOffset) != checksum)
        return false;
    Superblock sb;
    sb.version = GetU32(block + 8);
    sb.alignment = GetU32(block + 12);
    sb.image_size = GetU64(block + 16);
    const uint32_t volume_count = GetU32(block + 24);
    sb.generation = GetU32(block + 28);
    sb.log_offset = GetU64(block + 32);
    sb.log_count = GetU32(block + 40);
    sb.log_record_size = GetU32(block + 44);
    sb.checksum = checksum;
    if (sb.version != kVersion || volume_count < 1 || volume_count > kMaxVolumes)
        return false;
    if (sb.log_count != 0 && sb.log_record_size != kLogRecordSize)
        return false;
    for (uint32_t i = 0; i < volume_count; ++i) {
        const uint8_t* v = block + kVolumeEntriesOffset + i * kVolumeEntrySize;
        VolumeEntry entry;
        entry.name = FixedText(v, kVolumeNameSize);
        entry.table_offset = GetU64(v + 32);
        entry.file_count = GetU32(v + 40);
        entry.entry_size = GetU32(v + 44);
        if (!IsKnownVolume(entry.name) || entry.entry_size != kFileEntrySize)
            return false;
        sb.volumes.push_back(std::move(entry));
    }
    *out = std::move(sb);
    return true;
}

void SerialiseSuperblock(const Superblock& sb, uint8_t* block)
{
    std::memset(block, 0, kSuperblockSize);
    std::memcpy(block, kMagic, sizeof(kMagic));
    PutU32(block + 8, sb.version);
    PutU32(block + 12, sb.alignment);
    PutU64(block + 16, sb.image_size);
    PutU32(block + 24, uint32_t(sb.volumes.size()));
    PutU32(block + 28, sb.generation);
    PutU64(block + 32, sb.log_offset);
    PutU32(block + 40, sb.log_count);
    PutU32(block + 44, sb.log_record_size);
    for (size_t i = 0; i < sb.volumes.size() && i < kMaxVolumes; ++i) {
        uint8_t* v = block + kVolumeEntriesOffset + i * kVolumeEntrySize;
        const VolumeEntry& e = sb.volumes[i];
        std::memcpy(v, e.name.data(), std::min(e.name.size(), kVolumeNameSize - 1));
        PutU64(v + 32, e.table_offset);
        PutU32(v + 40, e.file_count);
        PutU32(v + 44, e.entry_size);
    }
    PutU32(block + kChecksumOffset, Crc32(block, kChecksumOffset));
}

std::vector<FileEntry> ParseFileTable(const uint8_t* data, size_t count, uint64_t image_size)
{
    std::vector<FileEntry> files;
    files.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* p = data + i * kFileEntrySize;
        FileEntry e;
        e.channel = GetU16(p);
        e.record_type = GetU16(p + 2);
        e.flags = GetU32(p + 4);
        e.start = int64_t(GetU64(p + 8));
        e.end = int64_t(GetU64(p + 16));
        e.data_offset = GetU64(p + 24);
        e.data_length = GetU64(p + 32);
        e.keyframe_offset = GetU64(p + 40);
        e.keyframe_count = GetU32(p + 48);
        e.name = FixedText(p + 56, kFileNameSize);
        if (e.channel == 0 || e.end < e.start || e.start < 0)
            continue;
        if (e.data_length < kStreamHeaderSize || e.data_offset > image_size ||
            e.data_length > image_size - e.data_offset)
            continue;
        const uint64_t keyframe_bytes = uint64_t(e.keyframe_count) * kKeyframeEntrySize;
        if (e.keyframe_offset > image_size || keyframe_bytes > image_size - e.keyframe_offset)
            continue;
        files.push_back(std::move(e));
    }
    std::stable_sort(files.begin(), files.end(), [](const FileEntry& a, const FileEntry& b) {
        if (a.channel != b.channel)
            return a.channel < b.channel;
        if (a.start != b.start)
            return a.start < b.start;
        return a.end < b.end;
    });
    return files;
}

void SerialiseFileEntry(const FileEntry& e, uint8_t* p)
{
    std::memset(p, 0, kFileEntrySize);
    PutU16(p, e.channel);
    PutU16(p + 2, e.record_type);
    PutU32(p + 4, e.flags);
    PutU64(p + 8, uint64_t(e.start));
    PutU64(p + 16, uint64_t(e.end));
    PutU64(p + 24, e.data_offset);
    PutU64(p + 32, e.data_length);
    PutU64(p + 40, e.keyframe_offset);
    PutU32(p + 48, e.keyframe_count);
    std::memcpy(p + 56, e.name.data(), std::min(e.name.size(), kFileNameSize - 1));
}

std::vector<Keyframe> ParseKeyframes(const uint8_t* data, size_t count, uint64_t data_length)
{
    std::vector<Keyframe> keyframes;
    keyframes.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        Keyframe k;
        k.time_ms = int64_t(GetU64(data + i * kKeyframeEntrySize));
        k.offset = GetU64(data + i * kKeyframeEntrySize + 8);
        if (k.offset < kStreamHeaderSize || k.offset >= data_length)
            continue;
        keyframes.push_back(k);
    }
    std::stable_sort(keyframes.begin(), keyframes.end(),
                     [](const Keyframe& a, const Keyframe& b) { return a.offset < b.offset; });
    return keyframes;
}

bool ParseRecorderPath(std::string_view text, RecorderPath* out)
{
    RecorderPath path;
    const size_t suffix = VolumeSuffix(text, &path.volume);
    std::string_view rest = text.substr(0, text.size() - suffix);
    constexpr std::string_view kDrive = "PHYSICALDRIVE";
    const bool drive_prefix = rest.size() > 4 && IsSeparator(rest[0]) && IsSeparator(rest[1]) && rest[2] == '.' &&
                              IsSeparator(rest[3]) && rest.substr(4, kDrive.size()) == kDrive;
    if (drive_prefix) {
        rest.remove_prefix(4 + kDrive.size());
        if (!rest.empty() && IsSeparator(rest.back()))
            rest.remove_suffix(1);
        if (rest.empty() || rest.size() > 9)
            return false;
        int n = 0;
        for (char c : rest) {
            if (c < '0' || c > '9')
                return false;
            n = n * 10 + (c - '0');
        }
        path.drive_number = n;
    } else {
        // "disk.img/" before a suffix names the image itself.
        if (suffix > 0 && rest.size() > 1 && IsSeparator(rest.back()))
            rest.remove_suffix(1);
        if (rest.empty() || rest.find('\0') != std::string_view::npos)
            return false;
        path.device_path = std::string(rest);
    }
    *out = std::move(path);
    return true;
}

}  // namespace diskrec
