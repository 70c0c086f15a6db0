#include "platform/diskrec/DiskImageWriter.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>

#include "platform/diskrec/DiskLayout.h"

namespace diskrec {

namespace {

uint64_t AlignUp(uint64_t v)
{
    return (v + kAlignment - 1) / kAlignment * kAlignment;
}

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes, std::string* error)
{
    const std::string temp = path + ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temp.c_str());
            if (error)
                *error = "cannot write " + temp;
            return false;
        }
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        if (error)
            *error = "cannot rename to " + path;
        return false;
    }
    return true;
}

void CopyText(char* field, size_t size, const std::string& text)
{
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

void DiskImageWriter::AddFile(const std::string& volume, ImageFile file)
{
    auto it = std::find_if(volumes_.begin(), volumes_.end(), [&](const Volume& v) { return v.name == volume; });
    if (it == volumes_.end()) {
        volumes_.push_back(Volume{volume, {}});
        it = volumes_.end() - 1;
    }
    it->files.push_back(std::move(file));
}

void DiskImageWriter::AddLog(const DR_LogRecord& record)
{
    logs_.push_back(record);
}

bool DiskImageWriter::Write(const std::string& path, std::string* error) const
{
    if (volumes_.empty() || volumes_.size() > kMaxVolumes) {
        if (error)
            *error = "an image holds 1 to 8 volumes";
        return false;
    }
    // Load the data of every file and sort each volume by channel and start.
    struct Prepared {
        FileEntry entry;
        std::vector<uint8_t> data;
        std::vector<ImageKeyframe> keyframes;
    };
    std::vector<std::vector<Prepared>> prepared(volumes_.size());
    for (size_t v = 0; v < volumes_.size(); ++v) {
        for (const ImageFile& f : volumes_[v].files) {
            Prepared p;
            if (!f.data_path.empty()) {
                if (!ReadWholeFile(f.data_path, &p.data)) {
                    if (error)
                        *error = "cannot read " + f.data_path;
                    return false;
                }
            } else {
                p.data = f.data;
            }
            p.entry.channel = uint16_t(f.channel);
            p.entry.record_type = uint16_t(f.record_type);
            p.entry.flags = 1;
            p.entry.start = f.start;
            p.entry.end = f.end;
            p.entry.name = f.name;
            p.keyframes = f.keyframes;
            prepared[v].push_back(std::move(p));
        }
        std::stable_sort(prepared[v].begin(), prepared[v].end(), [](const Prepared& a, const Prepared& b) {
            if (a.entry.channel != b.entry.channel)
                return a.entry.channel < b.entry.channel;
            return a.entry.start < b.entry.start;
        });
    }

    // Lay out: superblock, then per volume its file table and keyframe tables, then the log
    // table, then the data of every file, each part aligned.
    Superblock sb;
    sb.version = kVersion;
    sb.alignment = kAlignment;
    sb.generation = generation_;
    uint64_t cursor = kSuperblockSize;
    for (size_t v = 0; v < volumes_.size(); ++v) {
        VolumeEntry ve;
        ve.name = volumes_[v].name;
        ve.table_offset = cursor;
        ve.file_count = uint32_t(prepared[v].size());
        ve.entry_size = kFileEntrySize;
        sb.volumes.push_back(ve);
        cursor = AlignUp(cursor + prepared[v].size() * kFileEntrySize);
        for (Prepared& p : prepared[v]) {
            p.entry.keyframe_offset = cursor;
            p.entry.keyframe_count = uint32_t(p.keyframes.size());
            cursor += p.keyframes.size() * kKeyframeEntrySize;
        }
        cursor = AlignUp(cursor);
    }
    sb.log_offset = cursor;
    sb.log_count = uint32_t(logs_.size());
    sb.log_record_size = kLogRecordSize;
    cursor = AlignUp(cursor + logs_.size() * kLogRecordSize);
    for (auto& volume : prepared) {
        for (Prepared& p : volume) {
            p.entry.data_offset = cursor;
            p.entry.data_length = p.data.size();
            cursor = AlignUp(cursor + p.data.size());
        }
    }
    sb.image_size = cursor;

    std::vector<uint8_t> image(cursor, 0);
    SerialiseSuperblock(sb, image.data());
    for (size_t v = 0; v < prepared.size(); ++v) {
        for (size_t i = 0; i < prepared[v].size(); ++i) {
            const Prepared& p = prepared[v][i];
            SerialiseFileEntry(p.entry, image.data() + sb.volumes[v].table_offset + i * kFileEntrySize);
            for (size_t k = 0; k < p.keyframes.size(); ++k) {
                uint8_t* out = image.data() + p.entry.keyframe_offset + k * kKeyframeEntrySize;
                PutU64(out, uint64_t(p.keyframes[k].time_ms));
                PutU64(out + 8, p.keyframes[k].offset);
            }
            std::copy(p.data.begin(), p.data.end(), image.begin() + int64_t(p.entry.data_offset));
        }
    }
    if (!logs_.empty())
        std::memcpy(image.data() + sb.log_offset, logs_.data(), logs_.size() * kLogRecordSize);
    return WriteWholeFile(path, image, error);
}

const std::vector<uint32_t>& LogMinorTypes()
{
    static const std::vector<uint32_t> codes = [] {
        std::vector<uint32_t> c;
        auto range = [&c](uint32_t from, uint32_t to) {
            for (uint32_t v = from; v <= to; ++v)
                c.push_back(v);
        };
        range(0x1, 0xA);
        range(0x21, 0x2B);
        range(0x31, 0x37);
        range(0x41, 0x44);
        range(0x50, 0x6C);
        range(0x70, 0x94);
        range(0xA1, 0xA9);
        range(0xB3, 0xB5);
        range(0x101, 0x10C);
        range(0x111, 0x11C);
        return c;
    }();
    return codes;
}

uint32_t LogMajorTypeOf(uint32_t minor)
{
    if (minor <= 0xA)
        return 1;  // alarm
    if (minor >= 0x21 && minor <= 0x37)
        return 2;  // exception
    if (minor >= 0xA1 && minor <= 0xB5)
        return 4;  // information
    return 3;      // operation
}

std::vector<DR_LogRecord> MakeSampleLogs(int count, int64_t first_time, int step_s)
{
    static const char* const kLocal[] = {"admin", "operator", "guest", ""};
    static const char* const kRemote[] = {"", "remote01", "service", "audit"};
    const auto& minors = LogMinorTypes();
    std::vector<DR_LogRecord> records;
    for (int i = 0; i < count; ++i) {
        DR_LogRecord r{};
        const time_t t = time_t(first_time + int64_t(i) * step_s);
        struct tm tm {};
        localtime_r(&t, &tm);
        char text[32];
        std::strftime(text, sizeof(text), "%Y%m%d%H%M%S", &tm);
        CopyText(r.time, sizeof(r.time), text);
        r.minor_type = minors[size_t(i) % minors.size()];
        r.major_type = LogMajorTypeOf(r.minor_type);
        CopyText(r.local_operator, sizeof(r.local_operator), kLocal[i % 4]);
        CopyText(r.remote_operator, sizeof(r.remote_operator), kRemote[(i / 4) % 4]);
        r.remote_host = (192u << 24) | (168u << 16) | (uint32_t(i / 256 % 256) << 8) | uint32_t(i % 256);
        r.parameter_type = uint32_t('A' + i % 26);
        r.channel = uint8_t(1 + i % 16);
        r.disk = uint8_t(1 + i % 4);
        r.alarm_input = uint8_t(i % 8);
        r.alarm_output = uint8_t(i % 4);
        records.push_back(r);
    }
    return records;
}

bool WriteBrokenImage(const std::string& source, const std::string& out, BrokenImage kind, std::string* error)
{
    std::vector<uint8_t> image;
    Superblock sb;
    if (!ReadWholeFile(source, &image) || image.size() < kSuperblockSize || !ParseSuperblock(image.data(), &sb)) {
        if (error)
            *error = "not a sound image: " + source;
        return false;
    }
    auto entry_at = [&](size_t volume, size_t index) -> uint8_t* {
        const VolumeEntry& v = sb.volumes[volume];
        if (index >= v.file_count)
            return nullptr;
        return image.data() + v.table_offset + index * kFileEntrySize;
    };
    switch (kind) {
    case BrokenImage::BadMagic:
        std::memcpy(image.data(), "NOTADISK", 8);
        break;
    case BrokenImage::BadChecksum:
        image[kVolumeEntriesOffset + 40] ^= 0x01;  // first volume's file count
        break;
    case BrokenImage::TruncatedMidData: {
        uint64_t last_offset = 0, last_length = 0;
        for (size_t v = 0; v < sb.volumes.size(); ++v)
            for (size_t i = 0; i < sb.volumes[v].file_count; ++i) {
                const uint8_t* e = entry_at(v, i);
                if (GetU64(e + 24) > last_offset) {
                    last_offset = GetU64(e + 24);
                    last_length = GetU64(e + 32);
                }
            }
        image.resize(last_offset + last_length / 2);
        break;
    }
    case BrokenImage::EndBeforeStart:
        for (size_t v = 0; v < sb.volumes.size(); ++v)
            if (uint8_t* e = entry_at(v, 0))
                PutU64(e + 16, GetU64(e + 8) - 100);
        break;
    case BrokenImage::CountsPastEnd:
        for (size_t v = 0; v < sb.volumes.size(); ++v)
            sb.volumes[v].file_count = 0x7FFFFFFF;
        sb.log_count = 0xFFFFFFFF;
        SerialiseSuperblock(sb, image.data());
        break;
    case BrokenImage::OffsetsPastEnd:
        for (size_t v = 0; v < sb.volumes.size(); ++v)
            if (uint8_t* e = entry_at(v, 1)) {
                PutU64(e + 24, image.size() + 4096);
                PutU64(e + 40, ~uint64_t(0) - 8);
            }
        break;
    case BrokenImage::ZeroedData:
    case BrokenImage::DataMissing: {
        // The data of every file lies after the tables and the logs (see Write).
        uint64_t first_data = image.size();
        for (size_t v = 0; v < sb.volumes.size(); ++v)
            for (size_t i = 0; i < sb.volumes[v].file_count; ++i) {
                const uint8_t* e = entry_at(v, i);
                const uint64_t offset = GetU64(e + 24), length = GetU64(e + 32);
                if (offset > image.size() || length > image.size() - offset)
                    continue;
                first_data = std::min(first_data, offset);
                if (kind == BrokenImage::ZeroedData)
                    std::fill(image.begin() + int64_t(offset), image.begin() + int64_t(offset + length), uint8_t(0));
            }
        if (kind == BrokenImage::DataMissing)
            image.resize(first_data);
        break;
    }
    }
    return WriteWholeFile(out, image, error);
}

}  // namespace diskrec
