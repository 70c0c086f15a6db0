// Listing one channel's files of one day from a local recording folder of a year (365 dates x
// 16 channels x 48 segments) against a folder of one month. The cost must follow what is asked,
// not the size of the folder. Writes index files and empty segment files under a temporary
// folder (removed afterwards) and prints the figures; exit 1 when the year costs more than 3x.
#include "engine/FileSearch.h"
#include "engine/LocalIndex.h"
#include "engine/RecordIndex.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <list>
#include <map>
#include <vector>

namespace {

constexpr int kChannels = 16;
constexpr int kSegmentsPerDay = 48;
constexpr int kRuns = 200;

void Put16(std::string& b, int v)
{
    b += char(v & 0xFF), b += char((v >> 8) & 0xFF);
}
void Put32(std::string& b, unsigned v)
{
    for (int i = 0; i < 4; ++i)
        b += char((v >> (8 * i)) & 0xFF);
}
std::string Header(unsigned count)
{
    std::string b;
    Put32(b, count);
    Put32(b, 0);
    return b;
}
void PutTime(std::string& b, const QDateTime& t)
{
    Put16(b, t.date().year());
    b += char(t.date().month()), b += char(t.date().day());
    b += char(t.time().hour()), b += char(t.time().minute()), b += char(t.time().second()), b += char(0);
}
bool WriteFile(const std::string& path, const std::string& bytes)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    ::close(fd);
    return ok;
}

// A folder of `days` dates from 2024-01-01, every channel with 48 half-hour segments a day.
bool MakeFolder(const QString& root, int days)
{
    const std::string rf = (root + "/RecordFile").toStdString();
    QDir().mkpath(QString::fromStdString(rf));
    std::string index01 = Header(unsigned(days));
    for (int d = 0; d < days; ++d) {
        const QDate date = QDate(2024, 1, 1).addDays(d);
        Put16(index01, date.year());
        index01 += char(date.month()), index01 += char(date.day());
        const std::string dateDir = rf + "/" + date.toString("yyyyMMdd").toStdString();
        std::string index02 = Header(kChannels);
        for (int c = 1; c <= kChannels; ++c) {
            std::string rec(92, '\0');
            std::memcpy(rec.data(), "NVR", 3);
            rec[64] = 1;
            rec[66] = char(c);
            index02 += rec;
            const std::string chDir = dateDir + "/NVR_1_" + std::to_string(c);
            QDir().mkpath(QString::fromStdString(chDir));
            std::string index03 = Header(kSegmentsPerDay);
            for (int k = 0; k < kSegmentsPerDay; ++k) {
                const QDateTime start(date, QTime(0, 0).addSecs(k * 1800));
                const QDateTime end = start.addSecs(1799);
                Varpen::IndexSegment seg;
                seg.start = {start.date().year(), start.date().month(),  start.date().day(),
                             start.time().hour(), start.time().minute(), start.time().second()};
                seg.end = {end.date().year(), end.date().month(),  end.date().day(),
                           end.time().hour(), end.time().minute(), end.time().second()};
                seg.number = 2;
                PutTime(index03, start);
                PutTime(index03, end);
                Put32(index03, seg.number);
                index03 += std::string(24, '\0');
                if (!WriteFile(chDir + "/" + Varpen::FormatClipFileName(seg), std::string()))
                    return false;
            }
            if (!WriteFile(chDir + "/index03.bin", index03))
                return false;
        }
        if (!WriteFile(dateDir + "/index02.bin", index02))
            return false;
    }
    return WriteFile(rf + "/index01.bin", index01);
}

// Median time in microseconds of listing channel 7 on 2024-01-15.
double ListOneDay(const QString& root, std::size_t& found)
{
    const time_t from = QDateTime(QDate(2024, 1, 15), QTime(0, 0)).toSecsSinceEpoch();
    const time_t to = QDateTime(QDate(2024, 1, 15), QTime(23, 59, 59)).toSecsSinceEpoch();
    std::vector<double> us;
    for (int i = 0; i < kRuns; ++i) {
        Varpen::SingleFileList files;
        const auto t0 = std::chrono::steady_clock::now();
        Varpen::CFileSearch().SearchChannelFiles(files, root.toStdString(), 7, "NVR_1", from, to, 0, true);
        us.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - t0).count());
        found = files.size();
    }
    std::sort(us.begin(), us.end());
    return us[us.size() / 2];
}

// A folder whose index01 lists 1,000,000 dates (from 2000-01-01 on, each once; only the first
// has a date folder) and whose one channel has an index03 of 1,000,000 segments (ten-second
// segments back to back from 2000-01-01, the files themselves absent): `channels` and `files`
// of a hostile or very old index. Median of a few runs, in milliseconds.
constexpr int kMillion = 1000000;

bool MakeMillionFolder(const QString& root)
{
    const std::string rf = (root + "/RecordFile").toStdString();
    QDir().mkpath(QString::fromStdString(rf + "/20000101/NVR_1_1"));
    std::string index01 = Header(kMillion);
    QDate date(2000, 1, 1);
    for (int d = 0; d < kMillion; ++d, date = date.addDays(1)) {
        Put16(index01, date.year());
        index01 += char(date.month()), index01 += char(date.day());
    }
    std::string index02 = Header(1);
    std::string rec(92, '\0');
    std::memcpy(rec.data(), "NVR", 3);
    rec[64] = 1;
    rec[66] = 1;
    index02 += rec;
    std::string index03 = Header(kMillion);
    index03.reserve(8 + std::size_t(kMillion) * 44);
    QDateTime start(QDate(2000, 1, 1), QTime(0, 0));
    for (int k = 0; k < kMillion; ++k) {
        const QDateTime next = start.addSecs(10);
        PutTime(index03, start);
        PutTime(index03, next.addSecs(-1));
        Put32(index03, 2);
        index03 += std::string(24, '\0');
        start = next;
    }
    return WriteFile(rf + "/index01.bin", index01) && WriteFile(rf + "/20000101/index02.bin", index02) &&
           WriteFile(rf + "/20000101/NVR_1_1/index03.bin", index03);
}

template <typename Fn>
double MedianMs(int runs, Fn fn)
{
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        const auto t0 = std::chrono::steady_clock::now();
        fn();
        ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main()
{
    QTemporaryDir dir(QDir::tempPath() + "/varpen-bench-index-XXXXXX");
    if (!dir.isValid())
        return 2;
    const QString year = dir.filePath("year");
    const QString month = dir.filePath("month");
    const auto t0 = std::chrono::steady_clock::now();
    if (!MakeFolder(month, 31) || !MakeFolder(year, 365)) {
        std::fprintf(stderr, "cannot write the folders under %s\n", qPrintable(dir.path()));
        return 2;
    }
    const double buildS = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    std::size_t foundMonth = 0, foundYear = 0;
    ListOneDay(month, foundMonth);  // warm the caches alike
    ListOneDay(year, foundYear);
    const double monthUs = ListOneDay(month, foundMonth);
    const double yearUs = ListOneDay(year, foundYear);
    const double ratio = yearUs / monthUs;
    std::printf("folders written in %.1f s (365 and 31 dates x %d channels x %d segments)\n", buildS, kChannels,
                kSegmentsPerDay);
    std::printf("one channel, one day: month folder %.1f us (%zu files), year folder %.1f us (%zu files)\n", monthUs,
                foundMonth, yearUs, foundYear);
    std::printf("year / month = %.2f (limit 3.00)\n", ratio);

    // 1,000,000-record index01 and index03.
    const QString million = dir.filePath("million");
    if (!MakeMillionFolder(million)) {
        std::fprintf(stderr, "cannot write the million-record folder\n");
        return 2;
    }
    std::size_t groups = 0, segments = 0;
    const double channelsMs = MedianMs(3, [&] {
        std::map<std::string, std::vector<int>> result;
        Varpen::FileInfo search;
        search.diskPath = million.toStdString();
        Varpen::RecordIndex().LoadChannelFiles(result, search);
        groups = result.size();
    });
    const double filesMs = MedianMs(3, [&] {
        Varpen::FileInfo search;
        search.diskPath = million.toStdString();
        search.begin = {2000, 1, 1, 0, 0, 0};
        search.end = {2000, 1, 1, 23, 59, 59};
        std::vector<Varpen::LocalSegmentFile> found;
        Varpen::RecordIndex().FindSegments(found, "NVR_1_1", &search);
        segments = found.size();
    });
    const double allFilesMs = MedianMs(3, [&] {
        Varpen::FileInfo search;
        search.diskPath = million.toStdString();
        search.begin = {2000, 1, 1, 0, 0, 0};
        search.end = {2000, 12, 31, 23, 59, 59};
        std::list<std::string> paths;
        Varpen::RecordIndex().FindFilesByIndex(paths, "NVR_1_1", &search);
        segments = std::max(segments, paths.size());
    });
    std::printf("index01 of 1,000,000 dates (channels): %.0f ms, %zu group(s)\n", channelsMs, groups);
    std::printf("index03 of 1,000,000 segments, one day's window (files): %.0f ms\n", filesMs);
    std::printf("index03 of 1,000,000 segments, every segment listed (files): %.0f ms, %zu files\n", allFilesMs,
                segments);
    const bool millionOk = groups == 1 && segments == std::size_t(kMillion);
    return (foundMonth == kSegmentsPerDay && foundYear == kSegmentsPerDay && ratio <= 3.0 && millionOk) ? 0 : 1;
}
