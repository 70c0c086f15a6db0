#pragma once
// The planning side of downloads: which recordings a job covers, the pieces a job by time is cut
// into, the size a time window is expected to take and the progress of a job. Plain functions,
// no state.

#include <cstdint>
#include <ctime>

#include <QString>

#include "engine/Records.h"

namespace Varpen {

// The files with start <= t < end, walking the time-ordered list and stopping at the first file
// that starts after t; when none holds t, the first file that starts after t together with the
// files right behind it that start at the same time.
SingleFileList FindFilesAtTime(const SingleFileList& files, time_t t);
// The sum of the files' sizes.
int64_t SumFileSizes(const SingleFileList& files);
// Estimated bytes of the time-ordered files between begin and end (seconds, both included): a
// cursor walks the files from begin; a file wholly passed counts whole, a file cut by the window
// counts its share of seconds ((seconds + 1) / (file seconds + 1) x size, rounded), a file the
// cursor has passed counts nothing. 0 when begin > end. A record whose end lies before its start
// counts nothing. The one estimate of a window: the download dialog's size and a job's total.
std::uint64_t EstimateDataSize(const SingleFileList& files, time_t begin, time_t end);
// Percentage of a job: 100 only when written == total (and total != 0), else at most 99.
int DownloadProgressPercent(int64_t written_bytes, int64_t total_bytes);
// Package size for a "DownloadPackageSize" value: "1" is 128 MiB, anything else 32 MiB.
uint64_t DownloadPackageSizeBytes(const QString& setting);

// One piece of a job by time: a file of the list cut to the window.
struct DownloadPiece {
    int index = -1;  // the file's position in the list
    time_t start = -1;
    time_t end = -1;
};
enum class PieceChoice {
    Found,       // `piece` is the next piece
    None,        // no file holds or follows t before the window's end: the job is done
    NoProgress,  // the next piece would not move the job on (a record whose end lies before its
                 // start, or one ending where the last piece ended): the job cannot go on
};
// The piece at `t` of a job by time ending at `jobEnd`: the last of FindFilesAtTime(files, t),
// from max(its start, t) to min(its end, jobEnd). `previousEnd` is where the last piece ended (-1
// before the first); every later piece must end after it, so that every walk ends.
PieceChoice ChoosePieceAt(const SingleFileList& files, time_t t, time_t jobEnd, time_t previousEnd,
                          DownloadPiece* piece);

}  // namespace Varpen
