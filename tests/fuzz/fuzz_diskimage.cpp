// Fuzz target for the disk library's reading of untrusted disks: the input is a disk image. The
// superblock checksum is recomputed on the input, so mutations reach the tables behind it.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "platform/diskrec/DiskLayout.h"
#include "platform/diskrec/diskrec.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

// What one stream delivered: the header block first, then data blocks only.
struct Delivery {
    std::atomic<int> blocks{0};
    std::atomic<bool> outOfOrder{false};
};

void Sink(int, int type, unsigned char* data, unsigned size, void* user)
{
    auto* delivery = static_cast<Delivery*>(user);
    const bool first = delivery->blocks.fetch_add(1) == 0;
    if (type != (first ? DR_BLOCK_HEADER : DR_BLOCK_DATA) || (size > 0 && !data))
        delivery->outOfOrder = true;
}

// A found file's time: NUL-terminated, and "YYYYMMDDhhmmss" or empty (a time it cannot say).
bool IsStamp(const char (&text)[16])
{
    const std::size_t n = strnlen(text, sizeof text);
    if (n == sizeof text)
        return false;
    if (n == 0)
        return true;
    return n == 14 && std::all_of(text, text + n, [](char c) { return c >= '0' && c <= '9'; });
}

// Polls until both streams are done or failed, at most 0.2 s; then stops them (a stream still
// running is stopped midway).
void Drain(int s, int t)
{
    for (int i = 0; i < 2000; ++i) {
        const int a = s >= 0 ? DR_FILE_GetPos(s) : 100, b = t >= 0 ? DR_FILE_GetPos(t) : 100;
        if ((a == 100 || a == 200) && (b == 100 || b == 200))
            break;
        std::this_thread::sleep_for(std::chrono::microseconds(100));
    }
    DR_FILE_Stop(s);
    DR_FILE_Stop(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<uint8_t> image(data, data + size);
    if (image.size() >= diskrec::kSuperblockSize)
        diskrec::PutU32(image.data() + diskrec::kChecksumOffset,
                        diskrec::Crc32(image.data(), diskrec::kChecksumOffset));
    const std::string path = fuzz::WriteScratch("disk.img", image.data(), image.size());
    if (path.empty())
        return 0;

    const DR_DateTime from{1970, 1, 1, 1, 0, 0}, to{2100, 12, 31, 23, 59, 59};
    for (const std::string& p : {path, path + "_NVR_DIR_\\Package000\\", path + "_DVR_DIR_\\Package000\\"}) {
        for (int channel = 1; channel <= 3; ++channel) {
            const int h = DR_FILE_FindFile(p.c_str(), channel, 0, &from, &to);
            if (h < 0)
                break;
            DR_FindRecord r;
            int n = 0;
            while (DR_FILE_FindNextFile(h, &r) == 1) {
                Check(std::memchr(r.name, 0, sizeof r.name) != nullptr && IsStamp(r.start_time) && IsStamp(r.end_time));
                if (n++ > 2)
                    continue;
                // The first file also by time: every file of the channel, one after another.
                Delivery byFile, byTime;
                const DR_DiskPath disk{p.c_str(), {0, 0, 0}};
                const int s = DR_FILE_GetStreamByFile(r.name, 64, 0, &Sink, &byFile);
                const int t = n == 1 ? DR_FILE_GetStreamByTime(&disk, &from, &to, channel, 64, &Sink, &byTime) : -1;
                Drain(s, t);
                Check(!byFile.outOfOrder && !byTime.outOfOrder);
            }
            DR_FILE_FindClose(h);
        }
    }
    const int l = DR_FILE_FindLog(path.c_str(), 3, 0, 0, nullptr, nullptr);
    DR_LogRecord record;
    while (l >= 0 && DR_FILE_FindNextLog(l, &record) == 1) {
    }
    DR_FILE_FindLogClose(l);
    return 0;
}
