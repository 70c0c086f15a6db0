#pragma once
// One job of the stream downloader, with the thread that runs it (see StreamDownloader.h). The
// downloader makes a worker for each start and lets it go at a stop: the worker owns everything
// its threads touch (the stream source, the output, the job's lists), so it lives, through shared
// ownership, until its thread has been joined, however long after the stop that is.
//
// Threads: the start and AskStop run on the owner's thread; the passes on the worker's own; the
// data callback on the stream source's delivery thread; Finish on whoever joins (the reaper).

#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/BaseThread.h"
#include "engine/DownloadPlan.h"
#include "engine/OutputFile.h"
#include "engine/Records.h"
#include "engine/StreamSource.h"
#include "platform/rtk/rtk.h"

namespace rtk {
class Semaphore;
}

namespace Varpen {

enum class DownloadEvent : int;

// Where a worker's events go: the downloader's signals while the downloader lives, nowhere once
// it has let go of them (Detach). An event is sent whole or not at all.
class CDownloadSink {
public:
    using SignalFn = std::function<void(int code, int index, int count)>;
    using FilesFn = std::function<void(const QString& path)>;

    void Attach(SignalFn signal, FilesFn files);
    // Returns once no event is being sent; none is sent after.
    void Detach();
    void Signal(int code, int index, int count);
    void Files(const QString& path);

private:
    std::mutex m_lock;
    SignalFn m_signal;
    FilesFn m_files;
};

// What a job takes from its downloader when it starts.
struct DownloadSetup {
    OutputSettingsSource settings;
    bool useIndex = false;
    bool jobPending = false;
    int channel = -1;
    int firstDataTimeout_ms = 0;
    int stallTimeout_ms = 0;
    uint64_t packageSizeOverride_bytes = 0;
    std::function<void()> firstDataWaitHook;
};

class CDownloadWorker : public CBaseThread {
public:
    // `previous` is the job that ran before this one: this job sends nothing and opens nothing
    // before that one has ended, so the owner sees the events of one job after the other.
    CDownloadWorker(std::shared_ptr<CDownloadSink> sink, DownloadSetup setup,
                    std::shared_ptr<CDownloadWorker> previous);
    ~CDownloadWorker() override;

    CDownloadWorker(const CDownloadWorker&) = delete;
    CDownloadWorker& operator=(const CDownloadWorker&) = delete;

    // The starts of StreamDownloader.h, on a fresh worker.
    bool StartByFile(const SingleFileList& files, const std::vector<int>& positions, const std::vector<int>& rows);
    bool StartByTime(const SingleFileList& files, time_t begin, time_t end);

    // Tells the thread to end the job (it reports code 3 when failed, else 1) and returns.
    void AskStop(bool failed);
    // Joins the thread; a job that never had a thread is closed without a report.
    void Finish();
    // Waits until the thread has ended and sent its last event (at once when it never ran).
    void WaitEnded();
    // true once the thread was started.
    bool HasRun() const { return m_hasRun.load(); }
    // Called from the worker's own thread (an event handled there).
    bool OnOwnThread() const { return ThreadId() != 0 && ThreadId() == RTK_Thread_GetSelfId(); }

    bool IsBusy() const { return m_currentIndex.load() != -1; }
    int GetProgress() const;
    int GetFileProgress();
    std::vector<std::string> GetWrittenFiles() const;
    std::string GetLastError() const;
    void SetError(const std::string& reason);

protected:
    bool OnThreadStart() override;
    // A job still running when the loop ends was stopped: it is closed and its stop reported.
    void OnThreadExit() override;
    bool RunOnce() override;

private:
    static void OnStreamData(int handle, int type, unsigned char* data, unsigned int size, void* user);
    void WriteData(const unsigned char* data, unsigned int size, bool isHeader);
    // The name of a package of the current piece (the first, and each after a roll-over).
    void PieceName(COutputPackage::Name* name) const;
    static bool NextPackageName(void* user, COutputPackage::Name* name);
    // Opens the package of the current piece; false with the reason kept.
    bool OpenPackage();
    // Takes the packages that roll-overs finished into the written list.
    void NoteRolledOver();
    // Waits until a block is delivered after `seen`, a stop is asked or the pass time is out;
    // true when a stop was asked.
    bool WaitForDelivery(uint64_t seen);
    // On the worker's thread: waits for the job before this one to end.
    void AwaitPrevious();

    // Prepares a job's shared state; false when the job cannot start (no pending task).
    bool BeginJob();
    // Starts the thread for the planned job; false (job closed) when no thread could be made.
    bool RunStart(bool byFile);
    // The thread's first pass: opens the output and the stream and waits for the first data,
    // then sends the start events. false when the start failed (code 7 sent, the job closed,
    // nothing left on disk) or a stop came.
    bool BeginOnThread();
    // The piece of a job by time at t; false when there is none (or no progress: m_noProgress).
    bool SelectPieceAt(time_t t);
    bool OpenOutputByTime(const SingleFilePtr& piece);
    bool OpenNextByFile();
    bool OpenNextByTime();
    // Ends the job from the pass: sends `code` for `index` with the lock released; false.
    bool FailJob(const std::string& reason, DownloadEvent code, int index, int count);
    bool EndJobAfterPiece(bool failed);
    // The current piece is complete: its package takes its final name and is reported (code 5).
    // false when it could not be completed. Called with m_lock held.
    bool CloseCurrentPiece(int* count);
    // Stops the source, abandons the unfinished package, clears the job.
    void CloseCurrent();
    void ClearFiles();
    int FileCount() const { return static_cast<int>(m_files.size()); }
    void EmitSignal(DownloadEvent code, int index, int count);
    void EmitFiles();
    std::string OutputPath() const;
    void AddWritten(const std::string& path);

    const std::shared_ptr<CDownloadSink> m_sink;
    const DownloadSetup m_setup;
    std::shared_ptr<CDownloadWorker> m_previous;  // the thread's own once started

    CStreamSource m_source;
    CPackagedOutput m_output;
    SingleFileList m_files;
    std::vector<int> m_filePositions;
    std::vector<int> m_fileRows;
    SingleFilePtr m_piece;
    time_t m_lastPieceEnd = -1;
    bool m_noProgress = false;
    int m_reportedIndex = -1;
    std::atomic<int64_t> m_bytesWritten{0};
    std::atomic<int64_t> m_bytesTotal{0};
    // Changed by a roll-over on the stream's thread while the owner or the pass may read them.
    mutable std::mutex m_pathLock;
    std::string m_outputPath;
    std::vector<std::string> m_written;
    std::string m_error;
    std::atomic<uint64_t> m_bytesInFile{0};  // the current output's size, header included
    bool m_byTime = false;
    time_t m_jobBegin = -1;
    time_t m_jobEnd = -1;
    RTK_Mutex m_lock;
    std::atomic<int> m_currentIndex{-1};

    // Read once per job on the owner's thread, used by the data callback.
    std::string m_saveFolder;
    uint64_t m_packageSize_bytes = 0;

    // The start waits for the first stream header on this; installed and removed under
    // m_startLock, so the callback never posts a semaphore that is being destroyed.
    std::mutex m_startLock;
    std::shared_ptr<rtk::Semaphore> m_startSem;
    bool m_startByFile = false;   // the start events the thread sends first
    bool m_startPending = false;  // the thread's own: the first pass still has to begin the job

    // Set by the data callback when the output cannot be written; the pass ends the job.
    std::atomic<bool> m_writeFailed{false};
    // The event a stop asked the thread to report (Stopped or Failed); a job that ends without
    // one fails.
    std::atomic<DownloadEvent> m_stopCode;

    // Blocks delivered, counted by the data callback; the pass waits on it between polls.
    std::mutex m_wakeLock;
    std::condition_variable m_wakeCond;
    std::atomic<uint64_t> m_blocksDelivered{0};
    bool m_stopWake = false;        // under m_wakeLock: a stop is on its way
    bool m_recentDelivery = false;  // the pass thread's own: the last wait ended on a block
    // The pass thread's own: when the stream last delivered or moved.
    uint64_t m_stallBlocks = 0;
    int m_stallPos = -1;
    std::chrono::steady_clock::time_point m_stallSince;

    std::atomic<bool> m_hasRun{false};
    std::mutex m_endLock;
    std::condition_variable m_endCond;
    bool m_ended = false;  // under m_endLock: the thread has sent its last event
};

}  // namespace Varpen
