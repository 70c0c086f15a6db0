// Disk-library figures: stream delivery from an image file against `cat IMAGE > /dev/null` in the
// same run, and how often a 64-channel month scan reads the file table.
//   bench_diskrec [image MiB (256)]
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/diskrec/DiskImageWriter.h"
#include "platform/diskrec/diskrec.h"

namespace {

std::atomic<uint64_t> g_bytes{0};
std::atomic<uint64_t> g_sum{0};

// Counts the bytes only, as cat does with its output.
void Count(int, int type, unsigned char*, unsigned size, void*)
{
    if (type == DR_BLOCK_DATA)
        g_bytes += size;
}

// Also reads every cache line of the block, as a consumer that parses it would.
void Touch(int, int type, unsigned char* data, unsigned size, void*)
{
    if (type != DR_BLOCK_DATA)
        return;
    uint64_t sum = 0;
    for (unsigned i = 0; i < size; i += 64)
        sum += data[i];
    g_sum += sum;
    g_bytes += size;
}

double CatSeconds(const std::string& path)
{
    QElapsedTimer t;
    t.start();
    const std::string cmd = "cat '" + path + "' > /dev/null";
    if (std::system(cmd.c_str()) != 0)
        std::fprintf(stderr, "cat failed\n");
    return t.nsecsElapsed() / 1e9;
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int mib = argc > 1 ? std::atoi(argv[1]) : 256;
    QTemporaryDir dir;
    const std::string path = dir.filePath("bench.img").toStdString();
    const int files = 16;
    const size_t per_file = size_t(mib) * 1024 * 1024 / files;
    const int64_t t0 = 1706605200;  // 2024-01-30 09:00 UTC
    diskrec::DiskImageWriter writer;
    for (int i = 0; i < files; ++i) {
        diskrec::ImageFile f;
        f.channel = 1 + i % 64;
        f.start = t0 + i * 3600;
        f.end = f.start + 3599;
        f.data.resize(per_file);
        for (size_t k = 0; k < per_file; k += 4096)
            f.data[k] = uint8_t(k >> 12);
        writer.AddFile("", std::move(f));
    }
    std::string error;
    if (!writer.Write(path, &error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }

    // Month scan on a disk not read before: 64 channels, the whole of January.
    const int64_t reads_before = DR_FILE_DiagTableReads();
    const DR_DateTime from{2024, 1, 1, 0, 0, 0}, to{2024, 1, 31, 23, 59, 59};
    int channels_found = 0;
    for (int ch = 1; ch <= 64; ++ch) {
        const int h = DR_FILE_FindFile(path.c_str(), ch, 0, &from, &to);
        DR_FindRecord r;
        channels_found += DR_FILE_FindNextFile(h, &r) == 1;
        DR_FILE_FindClose(h);
    }
    std::printf("month scan: 64 channels, %d with recordings, file-table reads: %lld\n", channels_found,
                static_cast<long long>(DR_FILE_DiagTableReads() - reads_before));

    CatSeconds(path);  // warm the page cache for both readers alike
    const double image_mb = double(per_file) * files / 1e6;
    for (DR_StreamCallback callback : {&Count, &Touch}) {
        double best_cat = 1e9, best_stream = 1e9;
        for (int round = 0; round < 3; ++round) {
            best_cat = std::min(best_cat, CatSeconds(path));
            QElapsedTimer t;
            t.start();
            g_bytes = 0;
            for (int ch = 1; ch <= files; ++ch) {
                const int h = DR_FILE_FindFile(path.c_str(), ch, 0, &from, &to);
                DR_FindRecord r;
                while (DR_FILE_FindNextFile(h, &r) == 1) {
                    const int s = DR_FILE_GetStreamByFile(r.name, 8, 0, callback, nullptr);
                    while (DR_FILE_GetPos(s) != DR_POS_DONE && DR_FILE_GetPos(s) != DR_POS_FAILED)
                        std::this_thread::sleep_for(std::chrono::microseconds(200));
                    DR_FILE_Stop(s);
                }
                DR_FILE_FindClose(h);
            }
            best_stream = std::min(best_stream, t.nsecsElapsed() / 1e9);
        }
        const double mb = double(g_bytes.load()) / 1e6;
        std::printf("image %.1f MB; cat: %.0f MB/s; streams (8 KiB blocks, %s): %.0f MB/s; ratio %.0f%%\n", image_mb,
                    image_mb / best_cat, callback == &Count ? "counting callback" : "callback reading every cache line",
                    mb / best_stream, 100.0 * (mb / best_stream) / (image_mb / best_cat));
    }
    return 0;
}
