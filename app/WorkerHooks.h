// Test seam: points in the workers' loops where a test may hold a worker, to show that the GUI
// never waits for it and that the worker notices a stop at its next check. The program sets no
// hook; a point then costs one uncontended lock.
#pragma once

#include <functional>

namespace WorkerHooks {

enum class Point {
    DiskScanRead,        // the disk scan is about to read a channel (or a folder's index)
    DiskScanReport,      // the disk scan has its result and is about to report it
    RecordSearchWindow,  // the recording search is about to search one window's channel
    LogSearchRead,       // the log search is about to read the next record
    LogSearchBatch,      // the log search is about to hand a batch over
    DayCheckDay,         // the recording-day checker is about to search one day
    OutputCommand,       // a playback engine's output worker is about to take a snapshot or start or stop a clip
    DownloadPass,        // a download job's thread is about to take its next pass (the first one opens the job)
};

using Hook = std::function<void(Point)>;

// Sets the hook (an empty one removes it). A worker that has copied the old hook may still call it.
void Set(Hook hook);
// Called by the workers at each point, on their own thread.
void Reach(Point point);

}  // namespace WorkerHooks
