#pragma once
// The stream downloader: copies recordings of one channel into ".mp4" output files (the 40-byte
// stream header, then the stream bytes), either a list of whole recording files (a job by files)
// or everything between two times (a job by time). It reads through its own stream source,
// rolls over to a new output file at the download package size, watches the free space of the
// download folder and reports each step by DownloadSignal / DownloadFiles.
//
// Threads: the owner (GUI) calls the operations; the downloader's own thread runs the passes;
// the stream source's delivery thread runs the data callback, which writes the output file.
// A start returns at once once the job is planned: the thread opens the first output and the
// stream and waits for the first data (a stop ends that wait), then sends the start's events,
// or code 7 with the reason when the start failed.
// Every signal leaves from the downloader's thread, after the state it announces is in place:
// a start's events before its first pass, a stop's event before the thread ends.
//
// Each output package is written under a hidden temporary name and takes its final name only
// when complete; a stopped or failed job leaves its finished packages and nothing else.

#include <QObject>
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

// The description of one download job. The downloader owns it once SetTask accepted it.
class CStreamDownloaderParam {
public:
    CStreamDownloaderParam() = default;
    explicit CStreamDownloaderParam(int channel) : m_channel(channel) {}
    virtual ~CStreamDownloaderParam() = default;
    virtual int Reserved() { return 0; }

    int GetChannel() const { return m_channel; }

    int m_reserved = -1;
    int m_channel = -1;  // 0-based, handed to the stream source when a piece is opened
    std::string m_text1;
    std::string m_text2;
};

// Event codes of DownloadSignal(code, index, count), which carries them as int.
enum class DownloadEvent : int {
    Started = 0,      // index -1, count = files of the job
    Stopped = 1,      // Stop(false) of a running job
    Complete = 2,     // every file, or the whole window, written
    Failed = 3,       // stream/output failure, write failure, or Stop(true)
    NextFile = 4,     // job by files: the file at index + 1 is being written
    FileClosed = 5,   // the output of the file at index was closed
    DiskFull = 6,     // less than 2 GB free in the download folder's drive
    StartFailed = 7,  // the accepted start could not begin (GetLastError says why)
};

class CStreamDownloader : public QObject, public CBaseThread {
    Q_OBJECT

public:
    CStreamDownloader();
    ~CStreamDownloader() override;

    CStreamDownloader(const CStreamDownloader&) = delete;
    CStreamDownloader& operator=(const CStreamDownloader&) = delete;

    // false while busy; otherwise takes the job description (owned from then on) and marks a
    // job pending. A refused description stays with the caller: `param` keeps it, and the raw
    // pointer is not deleted.
    bool SetTask(std::unique_ptr<CStreamDownloaderParam>& param);
    bool SetTask(std::unique_ptr<CStreamDownloaderParam>&& param);
    bool SetTask(CStreamDownloaderParam* param);
    // The next job reads a local recording folder through the index reader.
    void SetUseIndex(bool useIndex);

    // A job writing the given files whole, in list order. positions/rows are kept, not read,
    // and must be as long as each other. true once the job is handed to the thread, which sends
    // DownloadFiles(path), 4(-1, n), 0(-1, n) when the first data came, else 7(-1, 0).
    bool StartByFile(const SingleFileList& files, const std::vector<int>& positions, const std::vector<int>& rows);
    // A job over the window [begin, end] of the files: only what overlaps the window is written;
    // a window that no recording overlaps is refused. true once the job is handed to the thread,
    // which sends DownloadFiles(path) and 0(-1, n) when the first data came, else 7(-1, 0).
    bool StartByTime(const SingleFileList& files, time_t begin, time_t end);

    // Ends the job: the thread sends code 3 when failed, else 1 (only when a job was running, a
    // start still waiting for its first data too), and is joined before this returns.
    void Stop(bool failed);
    bool IsBusy() const { return m_currentIndex.load() != -1; }
    // 0 to 100 over the whole job.
    int GetProgress() const;
    // Percentage of the current file's size that its output holds (100 when idle).
    int GetFileProgress();
    // The output files the current (or last) job has completed, in the order they were written.
    std::vector<std::string> GetWrittenFiles() const;
    // Why the last start was refused or the last job failed, in words (empty when it did not).
    std::string GetLastError() const;

    // Where a job reads its folder and package size when it starts, and each pass the folder whose
    // free space it checks (the settings store by default). Set it only while no job runs.
    void SetOutputSettings(OutputSettingsSource settings) { m_settings = std::move(settings); }
    // Test seams: the wait for the first stream data of a start (30000 ms), and a package size
    // used in place of the "DownloadPackageSize" setting (0 = the setting).
    void SetFirstDataTimeout(int timeout_ms) { m_firstDataTimeout_ms = timeout_ms; }
    void SetPackageSizeOverride(uint64_t size_bytes) { m_packageSizeOverride_bytes = size_bytes; }
    // A job whose stream neither delivers a block nor moves on for this long fails (code 3).
    void SetStallTimeout(int timeout_ms) { m_stallTimeout_ms = timeout_ms; }
    // Called on the downloader's thread once a start has opened its stream, before it waits for
    // the first data (a test holds the start there). Set it only while no job runs.
    void SetFirstDataWaitHook(std::function<void()> hook) { m_firstDataWaitHook = std::move(hook); }

    static constexpr int kFirstDataTimeout_ms = 30000;
    static constexpr int kStallTimeout_ms = 30000;
    static constexpr int kPass_ms = 40;
    static constexpr std::size_t kStreamHeaderBytes = 40;
    // A download asks its source for large blocks and gathers its output writes into large
    // chunks; packages are still cut on the boundaries of the player's block size, counted from
    // the start of each delivered block, so the files do not depend on the delivery size.
    static constexpr unsigned kDeliveryBlockKiB = 1024;
    static constexpr std::size_t kOutputBuffer_bytes = 1024 * 1024;
    static constexpr unsigned kRollOverUnit_bytes = CStreamSource::kDefaultBlockKiB * 1024;
    // Each delivered block wakes the pass; as the source reports a file delivered only just after
    // its last block, the pass looks again this soon after a block instead of at the next 40 ms
    // pass.
    static constexpr int kDeliveryGrace_us = 200;

signals:
    void DownloadSignal(int code, int index, int count);
    void DownloadFiles(QString path);

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
    void CloseJob();
    void ClearFiles();
    int FileCount() const { return static_cast<int>(m_files.size()); }
    void EmitSignal(DownloadEvent code, int index, int count);
    void EmitFiles();
    std::string OutputPath() const;
    void SetError(const std::string& reason);
    void AddWritten(const std::string& path);

    CStreamSource m_source;
    CPackagedOutput m_output;
    std::unique_ptr<CStreamDownloaderParam> m_param;
    bool m_jobPending = false;
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
    bool m_useIndex = false;
    RTK_Mutex m_lock;
    std::atomic<int> m_currentIndex{-1};

    OutputSettingsSource m_settings = StoredOutputSettings();
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
    // The event a Stop asked the thread to report (Stopped or Failed); a job that ends without
    // one fails.
    std::atomic<DownloadEvent> m_stopCode{DownloadEvent::Failed};

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

    int m_firstDataTimeout_ms = kFirstDataTimeout_ms;
    int m_stallTimeout_ms = kStallTimeout_ms;
    uint64_t m_packageSizeOverride_bytes = 0;
    std::function<void()> m_firstDataWaitHook;
};

}  // namespace Varpen
