#pragma once
// The stream downloader: copies recordings of one channel into ".mp4" output files (the 40-byte
// stream header, then the stream bytes), either a list of whole recording files (a job by files)
// or everything between two times (a job by time). It reads through its own stream source,
// rolls over to a new output file at the download package size, watches the free space of the
// download folder and reports each step by DownloadSignal / DownloadFiles.
//
// Threads: the owner (GUI) calls the operations; the downloader's own thread runs the passes;
// the stream source's delivery thread runs the data callback, which writes the output file.

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/BaseThread.h"
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

// Event codes of DownloadSignal(code, index, count).
enum DownloadEvent : int {
    kDownloadStarted = 0,       // index -1, count = files of the job
    kDownloadStopped = 1,       // Stop(false) of a running job
    kDownloadComplete = 2,      // every file, or the whole window, written
    kDownloadFailed = 3,        // stream/output failure, write failure, or Stop(true)
    kDownloadNextFile = 4,      // job by files: the file at index + 1 is being written
    kDownloadFileClosed = 5,    // the output of the file at index was closed
    kDownloadDiskFull = 6,      // less than 2 GB free in the download folder's drive
};

// The files with start <= t < end, walking the time-ordered list and stopping at the first file
// that starts after t; when none holds t, the first file that starts after t together with the
// files right behind it that start at the same time.
SingleFileList FindFilesAtTime(const SingleFileList& files, time_t t);
// The sum of the files' sizes.
int64_t SumFileSizes(const SingleFileList& files);
// The expected bytes of the window [begin, end]: whole files count whole, cut files by their
// share of seconds (rounded). Records whose end lies before their start count nothing.
int64_t EstimateSizeInWindow(const SingleFileList& files, time_t begin, time_t end);
// Percentage of a job: 100 only when written == total (and total != 0), else at most 99.
int DownloadProgressPercent(int64_t written_bytes, int64_t total_bytes);
// Package size for a "DownloadPackageSize" value: "1" is 128 MiB, anything else 32 MiB.
uint64_t DownloadPackageSizeBytes(const QString& setting);
// Folder of a piece's output files: the download folder, joined with exactly one separator to
// the recording's date ("%Y%m%d"), then "/Download/".
std::string DownloadFolder(const std::string& savePath, time_t pieceStart);
// File name of a piece's output: "<label>_<stamp><tick>.mp4", or "channel<n+1>_..." without label.
std::string DownloadFileName(const CSingleFile& piece, const std::string& tick);

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
    // and must be as long as each other. Sends DownloadFiles(path), 4(-1, n), 0(-1, n).
    bool StartByFile(const SingleFileList& files, const std::vector<int>& positions,
                     const std::vector<int>& rows);
    // A job over the window [begin, end] of the time-ordered files. Sends DownloadFiles(path),
    // 0(-1, n).
    bool StartByTime(const SingleFileList& files, time_t begin, time_t end);

    // Ends the job: code 3 when failed, else 1 (only when a job was running).
    void Stop(bool failed);
    bool IsBusy() const { return m_currentIndex.load() != -1; }
    // 0 to 100 over the whole job.
    int GetProgress() const;
    // Percentage of the current file's size that its output holds (100 when idle).
    int GetFileProgress();

    // Test seams: the wait for the first stream data of a start (30000 ms), and a package size
    // used in place of the "DownloadPackageSize" setting (0 = the setting).
    void SetFirstDataTimeout(int timeout_ms) { m_firstDataTimeout_ms = timeout_ms; }
    void SetPackageSizeOverride(uint64_t size_bytes) { m_packageSizeOverride_bytes = size_bytes; }
    // The clock whose milliseconds make output names distinct (null = time since the process
    // started, on the steady clock).
    using NameClock = int64_t (*)();
    void SetNameClock(NameClock clock) { m_nameClock = clock; }

    static constexpr int kFirstDataTimeout_ms = 30000;
    static constexpr int kPass_ms = 40;
    static constexpr float kMinFree_GB = 2.0f;
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
    bool OnThreadStart() override { return true; }
    void OnThreadExit() override {}
    bool RunOnce() override;

private:
    static void OnStreamData(int handle, int type, unsigned char* data, unsigned int size,
                             void* user);
    void WriteData(const unsigned char* data, unsigned int size, bool isHeader);
    // Writes one block, rolling over to a new package where needed; false when the output cannot
    // take it. Throws CStorageException from the output.
    bool WriteBlock(const unsigned char* data, unsigned int size, bool isHeader);
    bool RollOver(bool forHeader);
    // Closes the output without a final name; false when its last bytes could not be written.
    bool CloseOutput();
    // Waits until a block is delivered after `seen`, a stop is asked or the pass time is out;
    // true when a stop was asked.
    bool WaitForDelivery(uint64_t seen);

    // Prepares a job's shared state; false when the job cannot start (no pending task, no
    // settings).
    bool BeginJob();
    // Waits for the first data and starts the thread; emits the start signals. false (and the
    // job closed, its output deleted) on a time-out.
    bool RunStart(bool byFile);
    bool SelectFileAtTime(time_t t);
    bool OpenOutputByTime(const SingleFilePtr& piece);
    // Opens a fresh output for the current piece under a name that exists nowhere yet.
    bool OpenFreshOutput(const CSingleFile& piece);
    bool OpenNextByFile();
    bool OpenNextByTime();
    bool EndJobAfterPiece(bool failed);
    int CloseCurrentPiece();
    // false when the output's last bytes could not be written.
    bool CloseCurrent();
    void CloseJob();
    void ClearFiles();
    int FileCount() const { return static_cast<int>(m_files.size()); }
    void EmitSignal(int code, int index, int count);
    void EmitFiles();
    std::string OutputPath() const;

    CStreamSource m_source;
    COutputFile m_output;
    std::unique_ptr<CStreamDownloaderParam> m_param;
    bool m_jobPending = false;
    SingleFileList m_files;
    std::vector<int> m_filePositions;
    std::vector<int> m_fileRows;
    SingleFilePtr m_piece;
    int m_reportedIndex = -1;
    std::atomic<int64_t> m_bytesWritten{0};
    std::atomic<int64_t> m_bytesTotal{0};
    // Changed by a roll-over on the stream's thread while the owner or the pass may read them.
    mutable std::mutex m_pathLock;
    std::string m_outputName;
    std::string m_outputPath;
    std::atomic<uint64_t> m_bytesInFile{0};  // the current output's size, header included
    bool m_byTime = false;
    time_t m_jobBegin = -1;
    time_t m_jobEnd = -1;
    bool m_useIndex = false;
    RTK_Mutex m_lock;
    std::atomic<int> m_currentIndex{-1};
    unsigned char m_header[kStreamHeaderBytes] = {};
    std::size_t m_headerBytes = 0;

    // Read once per job on the owner's thread, used by the data callback.
    std::string m_savePath;
    uint64_t m_packageSize_bytes = 0;

    // The start waits for the first stream header on this; installed and removed under
    // m_startLock, so the callback never posts a semaphore that is being destroyed.
    std::mutex m_startLock;
    std::shared_ptr<rtk::Semaphore> m_startSem;

    // Set by the data callback when the output cannot be written; the pass ends the job.
    std::atomic<bool> m_writeFailed{false};

    // Blocks delivered, counted by the data callback; the pass waits on it between polls.
    std::mutex m_wakeLock;
    std::condition_variable m_wakeCond;
    std::atomic<uint64_t> m_blocksDelivered{0};
    bool m_stopWake = false;         // under m_wakeLock: a stop is on its way
    bool m_recentDelivery = false;   // the pass thread's own: the last wait ended on a block

    int m_firstDataTimeout_ms = kFirstDataTimeout_ms;
    uint64_t m_packageSizeOverride_bytes = 0;
    NameClock m_nameClock = nullptr;
};

}  // namespace Varpen
