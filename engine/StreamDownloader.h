#pragma once
// The stream downloader: copies recordings of one channel into ".mp4" output files (the 40-byte
// stream header, then the stream bytes), either a list of whole recording files (a job by files)
// or everything between two times (a job by time). It reads through its own stream source,
// rolls over to a new output file at the download package size, watches the free space of the
// download folder and reports each step by DownloadSignal / DownloadFiles.
//
// Threads: the owner (GUI) calls the operations; each job has a thread of its own that runs the
// passes (DownloadWorker.h), and the stream source's delivery thread runs the data callback,
// which writes the output file. A stop never waits for the job's thread: the job owns what its
// threads use and ends on the reaper (WorkerReaper.h).
// A start returns at once once the job is planned: the thread opens the first output and the
// stream and waits for the first data (a stop ends that wait), then sends the start's events,
// or code 7 with the reason when the start failed.
// Every signal leaves from the job's thread, after the state it announces is in place:
// a start's events before its first pass, a stop's event before the thread ends.
//
// Each output package is written under a hidden temporary name and takes its final name only
// when complete; a stopped or failed job leaves its finished packages and nothing else.

#include <QObject>
#include <QString>

#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/DownloadPlan.h"
#include "engine/OutputFile.h"
#include "engine/Records.h"
#include "engine/StreamSource.h"

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

class CDownloadSink;
class CDownloadWorker;

class CStreamDownloader : public QObject {
    Q_OBJECT

public:
    CStreamDownloader();
    // A job still running is told to stop and left to the reaper; its events go nowhere.
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

    // Ends the job and returns at once: the job's thread sends code 3 when failed, else 1 (only
    // when a job was running, a start still waiting for its first data too) as it ends, and is
    // joined by the reaper. IsBusy is false from here on; the next start's events come after
    // the stopped job's last one.
    void Stop(bool failed);
    bool IsBusy() const;
    // A thread of this downloader has not ended yet (the job's, or a stopped one's).
    bool IsRunning() const;
    // 0 to 100 over the whole job (the current or last one).
    int GetProgress() const;
    // Percentage of the current file's size that its output holds (100 when idle).
    int GetFileProgress();
    // The output files the current (or last) job has completed, in the order they were written.
    std::vector<std::string> GetWrittenFiles() const;
    // Why the last start was refused or the last job failed, in words (empty when it did not).
    std::string GetLastError() const;

    // Where a job reads its folder and package size when it starts, and each pass the folder whose
    // free space it checks (the settings store by default). A job takes it when it starts.
    void SetOutputSettings(OutputSettingsSource settings) { m_settings = std::move(settings); }
    // Test seams: the wait for the first stream data of a start (30000 ms), and a package size
    // used in place of the "DownloadPackageSize" setting (0 = the setting).
    void SetFirstDataTimeout(int timeout_ms) { m_firstDataTimeout_ms = timeout_ms; }
    void SetPackageSizeOverride(uint64_t size_bytes) { m_packageSizeOverride_bytes = size_bytes; }
    // A job whose stream neither delivers a block nor moves on for this long fails (code 3).
    void SetStallTimeout(int timeout_ms) { m_stallTimeout_ms = timeout_ms; }
    // Called on the job's thread once a start has opened its stream, before it waits for the
    // first data (a test holds the start there). A job takes it when it starts.
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

private:
    // A fresh job for a start, after the one before it was let go.
    std::shared_ptr<CDownloadWorker> NewJob();
    std::shared_ptr<CDownloadWorker> Job() const;
    // Joins the job and lets go of what it owns on the reaper.
    static void RetireJob(std::shared_ptr<CDownloadWorker> job);

    const std::shared_ptr<CDownloadSink> m_sink;
    std::unique_ptr<CStreamDownloaderParam> m_param;
    bool m_jobPending = false;
    bool m_useIndex = false;
    OutputSettingsSource m_settings = StoredOutputSettings();
    int m_firstDataTimeout_ms = kFirstDataTimeout_ms;
    int m_stallTimeout_ms = kStallTimeout_ms;
    uint64_t m_packageSizeOverride_bytes = 0;
    std::function<void()> m_firstDataWaitHook;

    // The current or last job (read by the job's own events, hence the lock), and whether it was
    // let go (stopped, or replaced by a newer one).
    mutable std::mutex m_jobLock;
    std::shared_ptr<CDownloadWorker> m_job;
    bool m_jobLetGo = false;
    // Jobs let go whose threads may still run: IsRunning looks at them.
    std::vector<std::weak_ptr<CDownloadWorker>> m_letGo;
};

}  // namespace Varpen
