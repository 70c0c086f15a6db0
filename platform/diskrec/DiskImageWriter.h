// Writes recorder-disk images in the layout the disk library reads (DiskLayout.h), and broken
// variants of them for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/diskrec/diskrec.h"

namespace diskrec {

struct ImageKeyframe {
    int64_t time_ms = 0;  // seconds since 1970 x 1000
    uint64_t offset = 0;  // byte offset within the file (>= 40, after the stream header)
};

struct ImageFile {
    int channel = 1;  // 1-based
    int record_type = 1;
    int64_t start = 0;  // seconds since 1970
    int64_t end = 0;
    std::string name;           // stored display name (at most 63 bytes kept)
    std::string data_path;      // the recording file to copy in (40-byte header + stream) ...
    std::vector<uint8_t> data;  // ... or its bytes, when data_path is empty
    std::vector<ImageKeyframe> keyframes;
};

class DiskImageWriter {
public:
    // volume: "" or "_NVR_DIR_\Package000\" or "_DVR_DIR_\Package000\".
    void AddFile(const std::string& volume, ImageFile file);
    void AddLog(const DR_LogRecord& record);
    void SetGeneration(uint32_t generation) { generation_ = generation; }
    // Writes the image (atomically through a temporary file). False with a message on failure.
    bool Write(const std::string& path, std::string* error) const;

private:
    struct Volume {
        std::string name;
        std::vector<ImageFile> files;
    };
    std::vector<Volume> volumes_;
    std::vector<DR_LogRecord> logs_;
    uint32_t generation_ = 1;
};

// Every minor log type code the recorder writes, in ascending order, and its major type.
const std::vector<uint32_t>& LogMinorTypes();
uint32_t LogMajorTypeOf(uint32_t minor);

// `count` log records from `first_time` on, one every `step_s` seconds, cycling through every
// minor type (and so every major type); operators, addresses and numbers vary per record.
std::vector<DR_LogRecord> MakeSampleLogs(int count, int64_t first_time, int step_s);

enum class BrokenImage {
    BadMagic,          // not a recorder disk
    BadChecksum,       // superblock changed after its checksum was written
    TruncatedMidData,  // cut in the middle of the last file's data
    EndBeforeStart,    // the first file of each volume ends before it starts
    CountsPastEnd,     // file and log counts far beyond the image (checksum rewritten)
    OffsetsPastEnd,    // the second file's data and keyframes lie past the image's end
    ZeroedData,        // every file's data (stream header and stream) reads as zeros; tables intact
    DataMissing,       // cut where the files' data begins: every file listed, none of its data there
};

// Writes a broken copy of the sound image `source`.
bool WriteBrokenImage(const std::string& source, const std::string& out, BrokenImage kind, std::string* error);

}  // namespace diskrec
