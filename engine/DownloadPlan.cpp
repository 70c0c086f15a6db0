#include "engine/DownloadPlan.h"

#include <algorithm>

namespace Varpen {

SingleFileList FindFilesAtTime(const SingleFileList& files, time_t t)
{
    SingleFileList holding;
    for (const SingleFilePtr& f : files) {
        if (f->GetStartTime() > t)
            break;
        if (f->GetStartTime() <= t && t < f->GetEndTime())
            holding.push_back(f);
    }
    if (!holding.empty())
        return holding;

    SingleFileList later;
    for (const SingleFilePtr& f : files) {
        if (later.empty()) {
            if (f->GetStartTime() > t)
                later.push_back(f);
        } else if (f->GetStartTime() == later.front()->GetStartTime()) {
            later.push_back(f);
        } else {
            break;
        }
    }
    return later;
}

int64_t SumFileSizes(const SingleFileList& files)
{
    int64_t sum = 0;
    for (const SingleFilePtr& f : files)
        sum += f->GetSize();
    return sum;
}

namespace {
// x + 0.5 truncated towards zero, as a signed 64-bit count.
std::int64_t Rounded(double x)
{
    return static_cast<std::int64_t>(x + 0.5);
}

// Share of a file's size for `seconds` of its (t - s) seconds, both ends counted.
std::int64_t Share(time_t seconds, time_t s, time_t t, std::uint64_t size)
{
    const double ratio = (static_cast<double>(seconds) + 1.0) * 1.0 / (static_cast<double>(t - s) + 1.0);
    return Rounded(ratio * static_cast<double>(size));
}
}  // namespace

std::uint64_t EstimateDataSize(const SingleFileList& files, time_t begin, time_t end)
{
    if (begin > end)
        return 0;
    time_t cursor = begin;
    std::int64_t sum = 0;
    for (const SingleFilePtr& file : files) {
        const time_t s = file->GetStartTime();
        const time_t t = file->GetEndTime();
        const std::uint64_t z = file->GetSize();
        if (t < s)
            continue;  // a corrupt record has no seconds to share out
        if (cursor <= s) {
            if (end <= s)
                break;
            if (end <= t) {
                sum += Share(end - s, s, t, z);
                break;
            }
            sum += static_cast<std::int64_t>(z);
            cursor = t;
        } else {
            if (cursor >= t)
                continue;
            if (end <= t) {
                sum += Share(end - cursor, s, t, z);
                break;
            }
            sum += Share(t - cursor, s, t, z);
            cursor = t;
        }
    }
    return static_cast<std::uint64_t>(sum);
}

int DownloadProgressPercent(int64_t written_bytes, int64_t total_bytes)
{
    if (total_bytes == 0)
        return 0;
    if (written_bytes == total_bytes)
        return 100;
    const int64_t percent = static_cast<int64_t>(static_cast<double>(written_bytes) * 100.0 / total_bytes + 0.5);
    if (percent >= 100)
        return 99;
    return static_cast<int>(std::max<int64_t>(0, percent));
}

uint64_t DownloadPackageSizeBytes(const QString& setting)
{
    return setting == QLatin1String("1") ? 134217728ull : 33554432ull;
}

PieceChoice ChoosePieceAt(const SingleFileList& files, time_t t, time_t jobEnd, time_t previousEnd,
                          DownloadPiece* piece)
{
    const SingleFileList found = FindFilesAtTime(files, t);
    if (found.empty())
        return PieceChoice::None;
    const SingleFilePtr& file = found.back();
    if (file->GetStartTime() >= jobEnd)
        return PieceChoice::None;
    DownloadPiece next;
    next.index = static_cast<int>(std::find(files.begin(), files.end(), file) - files.begin());
    next.start = std::max(file->GetStartTime(), t);
    next.end = std::min(file->GetEndTime(), jobEnd);
    if (next.end < next.start || (previousEnd != -1 && next.end <= previousEnd))
        return PieceChoice::NoProgress;
    if (piece)
        *piece = next;
    return PieceChoice::Found;
}

}  // namespace Varpen
