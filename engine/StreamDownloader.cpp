#include "engine/StreamDownloader.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <cstring>

#include "app/CommonUtil.h"
#include "app/SettingsManager.h"

namespace Varpen {

namespace {

const auto s_processOrigin = std::chrono::steady_clock::now();

// Milliseconds since the process started, on the steady clock: the distinguishing part of an
// output name (two names made in one second differ by it).
int64_t ProcessMilliseconds()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 s_processOrigin)
        .count();
}

bool PathExists(const std::string& path)
{
    return QFileInfo::exists(QString::fromLocal8Bit(path.c_str()));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Free functions
// ---------------------------------------------------------------------------------------------

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

int64_t EstimateSizeInWindow(const SingleFileList& files, time_t begin, time_t end)
{
    int64_t sum = 0;
    for (const SingleFilePtr& f : files) {
        const time_t s = f->GetStartTime();
        const time_t e = f->GetEndTime();
        if (e < s)
            continue;  // a corrupt record has no share of any window
        if (e <= begin)
            continue;
        if (s >= end)
            break;
        if (s >= begin && e <= end) {
            sum += f->GetSize();
            continue;
        }
        const time_t from = std::max(s, begin);
        const time_t to = std::min(e, end);
        const double share = static_cast<double>(to - from + 1) / static_cast<double>(e - s + 1);
        sum += static_cast<int64_t>(share * static_cast<double>(f->GetSize()) + 0.5);
    }
    return sum;
}

int DownloadProgressPercent(int64_t written_bytes, int64_t total_bytes)
{
    if (total_bytes == 0)
        return 0;
    if (written_bytes == total_bytes)
        return 100;
    const int64_t percent =
        static_cast<int64_t>(static_cast<double>(written_bytes) * 100.0 / total_bytes + 0.5);
    if (percent >= 100)
        return 99;
    return static_cast<int>(std::max<int64_t>(0, percent));
}

uint64_t DownloadPackageSizeBytes(const QString& setting)
{
    return setting == QLatin1String("1") ? 134217728ull : 33554432ull;
}

std::string DownloadFolder(const std::string& savePath, time_t pieceStart)
{
    std::string folder = savePath;
    if (!folder.empty() && folder.back() != '/' && folder.back() != '\\')
        folder += '/';
    folder += TimeToDateStamp(pieceStart);
    folder += "/Download/";
    return folder;
}

std::string DownloadFileName(const CSingleFile& piece, const std::string& tick)
{
    const std::string label = piece.GetLabel();
    std::string name = label.empty() ? "channel" + IntToStdString(piece.GetChannel() + 1) : label;
    name += "_";
    name += TimeToFileStamp(piece.GetStartTime());
    name += tick;
    name += ".mp4";
    return name;
}

// ---------------------------------------------------------------------------------------------
// CStreamDownloader
// ---------------------------------------------------------------------------------------------

CStreamDownloader::CStreamDownloader()
{
    m_source.SetDataCallback(&CStreamDownloader::OnStreamData, this);
    m_source.SetBlockKiB(kDeliveryBlockKiB);
    m_output.SetBufferBytes(kOutputBuffer_bytes);
}

CStreamDownloader::~CStreamDownloader()
{
    // The owner is being torn down around us: no event can reach it any more.
    blockSignals(true);
    Stop(true);
    m_jobPending = false;
}

bool CStreamDownloader::SetTask(std::unique_ptr<CStreamDownloaderParam>& param)
{
    RTK_Guard guard(&m_lock);
    if (IsBusy())
        return false;
    m_param = std::move(param);
    m_jobPending = true;
    return true;
}

bool CStreamDownloader::SetTask(std::unique_ptr<CStreamDownloaderParam>&& param)
{
    return SetTask(param);
}

bool CStreamDownloader::SetTask(CStreamDownloaderParam* param)
{
    std::unique_ptr<CStreamDownloaderParam> owned(param);
    if (SetTask(owned))
        return true;
    (void)owned.release();  // refused: the caller keeps its object
    return false;
}

void CStreamDownloader::SetUseIndex(bool useIndex)
{
    RTK_Guard guard(&m_lock);
    m_useIndex = useIndex;
}

bool CStreamDownloader::BeginJob()
{
    if (!m_jobPending)
        return false;
    const std::optional<QString> savePath =
        CSettingsManager::Instance()->GetValueByIndex(CSettingsManager::DownloadSavePath);
    if (!savePath || savePath->isEmpty())
        return false;
    uint64_t package = m_packageSizeOverride_bytes;
    if (package == 0) {
        const std::optional<QString> size =
            CSettingsManager::Instance()->GetValueByIndex(CSettingsManager::DownloadPackageSize);
        if (!size)
            return false;  // without a package size no block could be written
        package = DownloadPackageSizeBytes(*size);
    }
    m_savePath = savePath->toLocal8Bit().toStdString();
    m_packageSize_bytes = package;
    m_writeFailed.store(false);
    m_headerBytes = 0;
    return true;
}

bool CStreamDownloader::StartByFile(const SingleFileList& files, const std::vector<int>& positions,
                                    const std::vector<int>& rows)
{
    Stop(false);
    RTK_Guard guard(&m_lock);
    m_bytesInFile = 0;
    if (files.empty() || positions.size() != rows.size() || !BeginJob())
        return false;

    m_files = files;
    m_filePositions = positions;
    m_fileRows = rows;
    m_reportedIndex = -1;
    m_currentIndex.store(0);
    m_bytesWritten.store(0);
    m_bytesTotal.store(SumFileSizes(m_files));
    m_byTime = false;
    m_piece = m_files.front();
    guard.Release();
    return RunStart(true);
}

bool CStreamDownloader::StartByTime(const SingleFileList& files, time_t begin, time_t end)
{
    Stop(false);
    RTK_Guard guard(&m_lock);
    m_bytesInFile = 0;
    if (files.empty() || begin < 0 || end < begin || !BeginJob())
        return false;

    // The pieces are cut by time, so the list is walked in time order whatever order it came in.
    m_files = files;
    std::stable_sort(m_files.begin(), m_files.end(), [](const SingleFilePtr& a, const SingleFilePtr& b) {
        return a->GetStartTime() < b->GetStartTime();
    });
    m_jobBegin = begin;
    m_jobEnd = end;
    m_reportedIndex = -1;
    m_currentIndex.store(0);
    m_bytesWritten.store(0);
    m_bytesTotal.store(EstimateSizeInWindow(m_files, begin, end));
    m_byTime = true;
    if (!SelectFileAtTime(begin)) {
        m_currentIndex.store(-1);
        ClearFiles();
        return false;
    }
    guard.Release();
    return RunStart(false);
}

bool CStreamDownloader::RunStart(bool byFile)
{
    auto sem = std::make_shared<rtk::Semaphore>(0);
    {
        std::lock_guard<std::mutex> lock(m_startLock);
        m_startSem = sem;
    }
    auto dropSemaphore = [&] {
        std::lock_guard<std::mutex> lock(m_startLock);
        m_startSem.reset();
    };

    RTK_Guard guard(&m_lock);
    if (!OpenOutputByTime(m_piece)) {
        dropSemaphore();
        ClearFiles();
        m_currentIndex.store(-1);
        return false;
    }
    guard.Release();

    const bool arrived = sem->TimedWait(m_firstDataTimeout_ms);
    dropSemaphore();
    if (!arrived) {
        RTK_Guard closeGuard(&m_lock);
        CloseJob();
        return false;
    }

    // The start's events go out before the thread can send any of its own, so every receiver
    // sees them first.
    const int count = FileCount();
    EmitFiles();
    if (byFile)
        EmitSignal(kDownloadNextFile, -1, count);
    EmitSignal(kDownloadStarted, -1, count);
    if (!CBaseThread::Start()) {
        RTK_Guard closeGuard(&m_lock);
        const int index = m_reportedIndex;
        CloseCurrent();
        closeGuard.Release();
        EmitSignal(kDownloadFailed, index, 0);
        return false;
    }
    return true;
}

bool CStreamDownloader::SelectFileAtTime(time_t t)
{
    const SingleFileList found = FindFilesAtTime(m_files, t);
    if (found.empty())
        return false;
    const SingleFilePtr& file = found.back();
    const auto it = std::find(m_files.begin(), m_files.end(), file);
    m_currentIndex.store(static_cast<int>(it - m_files.begin()));
    if (file->GetStartTime() >= m_jobEnd)
        return false;
    const time_t start = file->GetStartTime() < t ? t : file->GetStartTime();
    const time_t end = file->GetEndTime() > m_jobEnd ? m_jobEnd : file->GetEndTime();
    if (start == file->GetStartTime() && end == file->GetEndTime())
        m_piece = file;
    else
        m_piece = SingleFilePtr(file->CloneWithRange(start, end));
    return true;
}

bool CStreamDownloader::OpenFreshOutput(const CSingleFile& piece)
{
    const std::string folder = DownloadFolder(m_savePath, piece.GetStartTime());
    QDir().mkpath(QString::fromLocal8Bit(folder.c_str()));
    const int64_t ms = m_nameClock ? m_nameClock() : ProcessMilliseconds();
    const std::string base = DownloadFileName(piece, IntToStdString(static_cast<int>(ms % 2147483647)));
    const std::string stem = base.substr(0, base.size() - 4);  // without ".mp4"
    // The output is created exclusively: an existing file is never replaced, another name is
    // taken instead ("-1", "-2", ...).
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const std::string name = attempt == 0 ? base : stem + "-" + IntToStdString(attempt) + ".mp4";
        const std::string path = folder + name;
        if (PathExists(path))
            continue;
        if (m_output.Open(path)) {
            std::lock_guard<std::mutex> lock(m_pathLock);
            m_outputName = name;
            m_outputPath = path;
            m_bytesInFile = 0;
            return true;
        }
        if (!PathExists(path))
            return false;  // not a name clash: the folder cannot take the file
    }
    return false;
}

bool CStreamDownloader::OpenOutputByTime(const SingleFilePtr& piece)
{
    if (!piece || m_savePath.empty())
        return false;
    if (!OpenFreshOutput(*piece))
        return false;
    m_source.SetUseIndex(m_useIndex);
    const int channel = m_param ? m_param->GetChannel() : -1;
    if (!m_source.OpenByTime(*piece, channel)) {
        CloseOutput();
        RTK_DeleteFile(OutputPath().c_str());
        return false;
    }
    return true;
}

void CStreamDownloader::OnStreamData(int handle, int type, unsigned char* data, unsigned int size,
                                     void* user)
{
    auto* self = static_cast<CStreamDownloader*>(user);
    if (!self || !data)
        return;
    if (type != 1 && type != 2)
        return;
    try {
        self->WriteData(data, size, type == 1);
    } catch (...) {
        // Nothing may propagate into the stream's thread; the write path records its failures.
        self->m_writeFailed.store(true);
    }
    {
        std::lock_guard<std::mutex> lock(self->m_wakeLock);
        self->m_blocksDelivered.fetch_add(1);
    }
    self->m_wakeCond.notify_one();
}

void CStreamDownloader::WriteData(const unsigned char* data, unsigned int size, bool isHeader)
{
    if (isHeader) {
        m_headerBytes = std::min<std::size_t>(size, kStreamHeaderBytes);
        std::memcpy(m_header, data, m_headerBytes);
    }

    if (!m_writeFailed.load()) {
        try {
            if (!WriteBlock(data, size, isHeader))
                m_writeFailed.store(true);  // the output is gone: the job cannot go on
        } catch (const CStorageException&) {
            m_writeFailed.store(true);
        }
    }

    if (isHeader) {
        std::lock_guard<std::mutex> lock(m_startLock);
        if (m_startSem)
            m_startSem->Post();
    }
}

// A package is cut before the unit that would take it past the package size (the header block
// is one unit, data blocks are cut into units of kRollOverUnit_bytes from their start); each unit
// is written after at most one roll-over, so a unit larger than a package still goes out whole.
// The units before and after a cut each reach the output in one write.
bool CStreamDownloader::WriteBlock(const unsigned char* data, unsigned int size, bool isHeader)
{
    const unsigned unitMax = isHeader ? std::max(size, 1u) : kRollOverUnit_bytes;
    unsigned runStart = 0;  // first byte not written yet
    unsigned offset = 0;    // end of the units taken into the run
    auto writeRun = [&]() -> bool {
        const unsigned want = offset - runStart;
        if (want == 0)
            return true;
        const unsigned written = m_output.Write(data + runStart, want);
        m_bytesInFile += written;
        m_bytesWritten.fetch_add(written);
        runStart = offset;
        return written == want;
    };
    while (offset < size) {
        const unsigned unit = std::min(unitMax, size - offset);
        const uint64_t inFile = m_bytesInFile.load() + (offset - runStart);
        if (inFile + unit > m_packageSize_bytes && inFile > 0 && m_piece) {
            if (!writeRun() || !RollOver(isHeader))
                return false;
        }
        offset += unit;
    }
    return writeRun();
}

// The new package begins with the stream header so that it plays by itself; the unit that
// crossed the limit goes into it.
bool CStreamDownloader::RollOver(bool forHeader)
{
    const CSingleFile piece = *m_piece;
    m_output.Close(std::string());  // throws when its last bytes cannot be written
    if (!OpenFreshOutput(piece))
        return false;
    if (!forHeader && m_headerBytes > 0)
        m_bytesInFile += m_output.Write(m_header, static_cast<unsigned>(m_headerBytes));
    return true;
}

bool CStreamDownloader::CloseOutput()
{
    try {
        m_output.Close(std::string());
    } catch (const CStorageException&) {
        return false;
    }
    return true;
}

bool CStreamDownloader::WaitForDelivery(uint64_t seen)
{
    std::unique_lock<std::mutex> lock(m_wakeLock);
    const std::chrono::microseconds timeout(m_recentDelivery ? kDeliveryGrace_us : kPass_ms * 1000);
    const bool woken = m_wakeCond.wait_for(lock, timeout, [&] {
        return m_stopWake || m_blocksDelivered.load() != seen;
    });
    if (m_stopWake)
        return true;
    m_recentDelivery = woken;
    return IsStopRequested();
}

bool CStreamDownloader::RunOnce()
{
    if (CheckSavePathDiskSpace(kMinFree_GB, CSettingsManager::DownloadSavePath, QString())) {
        RTK_Guard guard(&m_lock);
        const int index = m_reportedIndex + 1;
        const int count = FileCount();
        CloseCurrent();
        guard.Release();
        EmitSignal(kDownloadDiskFull, index, count);
        return false;
    }

    RTK_Guard guard(&m_lock);
    if (m_currentIndex.load() == -1)
        return false;

    // The position first: it reads 100 only after the last callback has returned, so a failed
    // write of the last blocks is seen below and never passes for a complete file. No block
    // comes after 100, so the output's buffered bytes can be written out here.
    const uint64_t seen = m_blocksDelivered.load();
    const int pos = m_source.GetPos();
    if (pos == 100 && !m_writeFailed.load()) {
        try {
            m_output.Flush();
        } catch (const CStorageException&) {
            m_writeFailed.store(true);
        }
    }
    if (m_writeFailed.load()) {
        // The output could not take the data (disk full, folder removed): the job ends here on
        // this thread, never on the stream's own.
        const int index = m_reportedIndex == -1 ? 0 : m_reportedIndex;
        const int count = FileCount();
        CloseJob();
        guard.Release();
        EmitSignal(kDownloadFailed, index, count);
        return false;
    }
    if (pos == 100)
        return m_byTime ? OpenNextByTime() : OpenNextByFile();
    if (pos == 200) {
        if (m_reportedIndex == -1)
            m_reportedIndex = 0;
        const int index = m_reportedIndex;
        const int count = FileCount();
        CloseCurrent();
        guard.Release();
        EmitSignal(kDownloadFailed, index, count);
        return false;
    }
    guard.Release();
    return !WaitForDelivery(seen);
}

// Only after the pass has flushed the output: nothing is left to fail here. Called with m_lock
// held; reports the closed file with the lock released and returns the file count.
int CStreamDownloader::CloseCurrentPiece()
{
    m_source.Stop();
    CloseOutput();
    m_reportedIndex = m_currentIndex.load();
    m_bytesInFile = 0;
    const int count = FileCount();
    m_lock.Unlock();
    EmitFiles();
    EmitSignal(kDownloadFileClosed, m_reportedIndex, count);
    m_lock.Lock();
    return count;
}

// Ends the job once its last piece is closed: complete, or failed because the next output could
// not be opened. Called with m_lock held; sends its events with the lock released.
bool CStreamDownloader::EndJobAfterPiece(bool failed)
{
    m_currentIndex.store(-1);
    ClearFiles();
    if (!failed)
        m_bytesWritten.store(m_bytesTotal.load());
    m_lock.Unlock();
    if (failed)
        EmitFiles();
    EmitSignal(failed ? kDownloadFailed : kDownloadComplete, m_reportedIndex, 0);
    m_lock.Lock();
    return false;
}

// Called with m_lock held; sends its events with the lock released.
bool CStreamDownloader::OpenNextByFile()
{
    const int count = CloseCurrentPiece();

    const int next = m_currentIndex.load() + 1;
    if (next < FileCount()) {
        m_currentIndex.store(next);
        m_piece = m_files[next];
        if (OpenOutputByTime(m_piece)) {
            m_lock.Unlock();
            EmitFiles();
            EmitSignal(kDownloadNextFile, m_reportedIndex, count);
            m_lock.Lock();
            return true;
        }
        return EndJobAfterPiece(true);
    }
    return EndJobAfterPiece(false);
}

bool CStreamDownloader::OpenNextByTime()
{
    CloseCurrentPiece();

    const time_t pieceEnd = m_piece ? m_piece->GetEndTime() : m_jobEnd;
    if (pieceEnd < m_jobEnd && SelectFileAtTime(pieceEnd)) {
        if (OpenOutputByTime(m_piece))
            return true;
        return EndJobAfterPiece(true);
    }
    return EndJobAfterPiece(false);
}

bool CStreamDownloader::CloseCurrent()
{
    m_source.Stop();
    const bool closed = CloseOutput();
    m_reportedIndex = m_currentIndex.load();
    m_currentIndex.store(-1);
    ClearFiles();
    return closed;
}

void CStreamDownloader::CloseJob()
{
    m_source.Stop();
    CloseOutput();  // the unfinished file goes below; its last bytes do not matter
    const std::string path = OutputPath();
    if (m_currentIndex.load() != m_reportedIndex && !path.empty())
        RTK_DeleteFile(path.c_str());
    m_reportedIndex = m_currentIndex.load();
    m_currentIndex.store(-1);
    ClearFiles();
}

void CStreamDownloader::ClearFiles()
{
    m_files.clear();
}

void CStreamDownloader::Stop(bool failed)
{
    {
        std::lock_guard<std::mutex> lock(m_wakeLock);
        m_stopWake = true;
    }
    m_wakeCond.notify_all();
    CBaseThread::Stop();
    {
        std::lock_guard<std::mutex> lock(m_wakeLock);
        m_stopWake = false;
    }
    RTK_Guard guard(&m_lock);
    if (!IsBusy())
        return;
    // A file whose last bytes could not be written ends the job as a write failure does: the
    // unfinished file goes and the job ends as failed.
    const bool closed = CloseCurrent();
    if (!closed)
        RTK_DeleteFile(OutputPath().c_str());
    const int index = m_reportedIndex;
    guard.Release();
    EmitSignal(failed || !closed ? kDownloadFailed : kDownloadStopped, index, 0);
}

int CStreamDownloader::GetProgress() const
{
    return DownloadProgressPercent(m_bytesWritten.load(), m_bytesTotal.load());
}

int CStreamDownloader::GetFileProgress()
{
    RTK_Guard guard(&m_lock);
    const int index = m_currentIndex.load();
    if (index < 0 || index >= FileCount())
        return 100;
    const unsigned size = m_files[index]->GetSize();
    if (size == 0)
        return 0;
    return static_cast<int>(std::min<uint64_t>(m_bytesInFile.load(), size) * 100 / size);
}

void CStreamDownloader::EmitSignal(int code, int index, int count)
{
    emit DownloadSignal(code, index, count);
}

void CStreamDownloader::EmitFiles()
{
    emit DownloadFiles(QString::fromLocal8Bit(OutputPath().c_str()));
}

std::string CStreamDownloader::OutputPath() const
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    return m_outputPath;
}

}  // namespace Varpen
