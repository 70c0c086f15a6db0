// The job walker of the stream downloader: starts, passes, file switches and ends of a job. The
// planning (which pieces, what size) is in DownloadPlan.cpp, the package writing in OutputFile.cpp.
#include "engine/StreamDownloader.h"

#include "app/WorkerHooks.h"
#include "engine/DownloadWorker.h"
#include "engine/WorkerReaper.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

namespace Varpen {

namespace {
constexpr int kStartPoll_ms = 20;
}  // namespace

void CDownloadSink::Attach(SignalFn signal, FilesFn files)
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_signal = std::move(signal);
    m_files = std::move(files);
}

void CDownloadSink::Detach()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_signal = nullptr;
    m_files = nullptr;
}

void CDownloadSink::Signal(int code, int index, int count)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_signal)
        m_signal(code, index, count);
}

void CDownloadSink::Files(const QString& path)
{
    std::lock_guard<std::mutex> lock(m_lock);
    if (m_files)
        m_files(path);
}

CStreamDownloader::CStreamDownloader() : m_sink(std::make_shared<CDownloadSink>())
{
    // The events leave from the job's thread: they arrive queued at receivers on other threads.
    m_sink->Attach([this](int code, int index, int count) { emit DownloadSignal(code, index, count); },
                   [this](const QString& path) { emit DownloadFiles(path); });
}

CStreamDownloader::~CStreamDownloader()
{
    // Nothing is sent from here on; a running job ends on the reaper (code 3 to no one).
    m_sink->Detach();
    Stop(true);
    m_jobPending = false;
}

bool CStreamDownloader::SetTask(std::unique_ptr<CStreamDownloaderParam>& param)
{
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
    m_useIndex = useIndex;
}

// The job's thread may be in a slow read or in a stream that is slow to stop: it is joined, and
// what it owns released, on the reaper.
void CStreamDownloader::RetireJob(std::shared_ptr<CDownloadWorker> job)
{
    CWorkerReaper::Instance().Retire([job = std::move(job)]() mutable {
        job->Finish();
        job.reset();
    });
}

std::shared_ptr<CDownloadWorker> CStreamDownloader::Job() const
{
    std::lock_guard<std::mutex> lock(m_jobLock);
    return m_job;
}

std::shared_ptr<CDownloadWorker> CStreamDownloader::NewJob()
{
    Stop(false);
    DownloadSetup setup;
    setup.settings = m_settings;
    setup.useIndex = m_useIndex;
    setup.jobPending = m_jobPending;
    setup.channel = m_param ? m_param->GetChannel() : -1;
    setup.firstDataTimeout_ms = m_firstDataTimeout_ms;
    setup.stallTimeout_ms = m_stallTimeout_ms;
    setup.packageSizeOverride_bytes = m_packageSizeOverride_bytes;
    setup.firstDataWaitHook = m_firstDataWaitHook;
    std::lock_guard<std::mutex> lock(m_jobLock);
    // The job before, if its thread ran, is waited for on the new job's thread, never here.
    std::shared_ptr<CDownloadWorker> previous = m_job && m_job->HasRun() ? m_job : nullptr;
    if (m_job && !m_jobLetGo)
        RetireJob(m_job);  // ended by itself: joined on the reaper at once
    auto job = std::make_shared<CDownloadWorker>(m_sink, std::move(setup), std::move(previous));
    m_job = job;
    m_jobLetGo = false;
    return job;
}

bool CStreamDownloader::StartByFile(const SingleFileList& files, const std::vector<int>& positions,
                                    const std::vector<int>& rows)
{
    return NewJob()->StartByFile(files, positions, rows);
}

bool CStreamDownloader::StartByTime(const SingleFileList& files, time_t begin, time_t end)
{
    return NewJob()->StartByTime(files, begin, end);
}

void CStreamDownloader::Stop(bool failed)
{
    std::shared_ptr<CDownloadWorker> job;
    {
        std::lock_guard<std::mutex> lock(m_jobLock);
        if (!m_job || m_jobLetGo)
            return;
        job = m_job;
        if (job->OnOwnThread()) {
            job->AskStop(failed);  // asked from the job's own thread: it ends after this pass
            return;
        }
        m_jobLetGo = true;
        m_letGo.erase(std::remove_if(m_letGo.begin(), m_letGo.end(),
                                     [](const std::weak_ptr<CDownloadWorker>& w) {
                                         const auto alive = w.lock();
                                         return !alive || !alive->IsRunning();
                                     }),
                      m_letGo.end());
        m_letGo.push_back(job);
    }
    job->AskStop(failed);
    RetireJob(std::move(job));
}

bool CStreamDownloader::IsBusy() const
{
    std::lock_guard<std::mutex> lock(m_jobLock);
    return m_job && !m_jobLetGo && m_job->IsBusy();
}

bool CStreamDownloader::IsRunning() const
{
    std::lock_guard<std::mutex> lock(m_jobLock);
    if (m_job && m_job->IsRunning())
        return true;
    for (const std::weak_ptr<CDownloadWorker>& w : m_letGo) {
        const auto job = w.lock();
        if (job && job->IsRunning())
            return true;
    }
    return false;
}

int CStreamDownloader::GetProgress() const
{
    const auto job = Job();
    return job ? job->GetProgress() : 0;
}

int CStreamDownloader::GetFileProgress()
{
    const auto job = Job();
    return job && IsBusy() ? job->GetFileProgress() : 100;
}

std::vector<std::string> CStreamDownloader::GetWrittenFiles() const
{
    const auto job = Job();
    return job ? job->GetWrittenFiles() : std::vector<std::string>();
}

std::string CStreamDownloader::GetLastError() const
{
    const auto job = Job();
    return job ? job->GetLastError() : std::string();
}

CDownloadWorker::CDownloadWorker(std::shared_ptr<CDownloadSink> sink, DownloadSetup setup,
                                 std::shared_ptr<CDownloadWorker> previous)
    : m_sink(std::move(sink)),
      m_setup(std::move(setup)),
      m_previous(std::move(previous)),
      m_stopCode(DownloadEvent::Failed)
{
    m_source.SetDataCallback(&CDownloadWorker::OnStreamData, this);
    m_source.SetBlockKiB(CStreamDownloader::kDeliveryBlockKiB);
    m_output.SetBufferBytes(CStreamDownloader::kOutputBuffer_bytes);
    m_output.SetNextName(&CDownloadWorker::NextPackageName, this);
}

CDownloadWorker::~CDownloadWorker()
{
    Finish();
}

void CDownloadWorker::AskStop(bool failed)
{
    m_stopCode.store(failed ? DownloadEvent::Failed : DownloadEvent::Stopped);
    {
        std::lock_guard<std::mutex> lock(m_wakeLock);
        m_stopWake = true;
    }
    m_wakeCond.notify_all();
    RequestStop();  // the thread reports a running job's stop as it ends
}

void CDownloadWorker::Finish()
{
    CBaseThread::Stop();
    RTK_Guard guard(&m_lock);
    if (IsBusy())
        CloseCurrent();  // no thread ever ran for it: nothing to report
}

void CDownloadWorker::WaitEnded()
{
    if (!m_hasRun.load())
        return;
    std::unique_lock<std::mutex> lock(m_endLock);
    m_endCond.wait(lock, [this] { return m_ended; });
}

void CDownloadWorker::AwaitPrevious()
{
    if (!m_previous)
        return;
    m_previous->WaitEnded();
    m_previous.reset();
}

bool CDownloadWorker::BeginJob()
{
    {
        std::lock_guard<std::mutex> lock(m_pathLock);
        m_written.clear();
        m_outputPath.clear();
        m_error.clear();
    }
    if (!m_setup.jobPending) {
        SetError("no download task was given");
        return false;
    }
    // A missing or unusable download folder is the default one: a fresh station downloads too.
    const OutputSettings settings = m_setup.settings();
    m_saveFolder = settings.downloadFolder;
    const uint64_t package =
        m_setup.packageSizeOverride_bytes != 0 ? m_setup.packageSizeOverride_bytes : settings.downloadPackage_bytes;
    m_packageSize_bytes = package;
    m_output.SetPackageBytes(package);
    m_output.SetHeader(nullptr, 0);
    m_writeFailed.store(false);
    m_stopCode.store(DownloadEvent::Failed);
    m_lastPieceEnd = -1;
    m_noProgress = false;
    return true;
}

bool CDownloadWorker::StartByFile(const SingleFileList& files, const std::vector<int>& positions,
                                  const std::vector<int>& rows)
{
    RTK_Guard guard(&m_lock);
    m_bytesInFile = 0;
    if (!BeginJob())
        return false;
    if (files.empty() || positions.size() != rows.size()) {
        SetError(files.empty() ? "no recordings were given" : "the file lists differ in length");
        return false;
    }

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

bool CDownloadWorker::StartByTime(const SingleFileList& files, time_t begin, time_t end)
{
    RTK_Guard guard(&m_lock);
    m_bytesInFile = 0;
    if (!BeginJob())
        return false;
    if (files.empty() || begin < 0 || end < begin) {
        SetError(files.empty() ? "no recordings were given" : "the window ends before it begins");
        return false;
    }

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
    m_bytesTotal.store(static_cast<int64_t>(EstimateDataSize(m_files, begin, end)));
    m_byTime = true;
    if (!SelectPieceAt(begin)) {
        SetError(m_noProgress ? "a recording in the window ends before it starts" : "no recording overlaps the window");
        m_currentIndex.store(-1);
        ClearFiles();
        return false;
    }
    guard.Release();
    return RunStart(false);
}

bool CDownloadWorker::RunStart(bool byFile)
{
    m_startByFile = byFile;
    m_startPending = true;
    // The thread is not waited for: the start returns as soon as the job is planned.
    if (!CBaseThread::Launch()) {
        RTK_Guard closeGuard(&m_lock);
        CloseCurrent();
        SetError("no download thread could be started");
        return false;
    }
    m_hasRun.store(true);
    return true;
}

bool CDownloadWorker::BeginOnThread()
{
    m_startPending = false;
    auto sem = std::make_shared<rtk::Semaphore>(0);
    {
        std::lock_guard<std::mutex> lock(m_startLock);
        m_startSem = sem;
    }
    auto dropSemaphore = [&] {
        std::lock_guard<std::mutex> lock(m_startLock);
        m_startSem.reset();
    };
    auto failStart = [&](const std::string& reason) {
        dropSemaphore();
        RTK_Guard closeGuard(&m_lock);
        CloseCurrent();
        if (!reason.empty())
            SetError(reason);
        closeGuard.Release();
        EmitSignal(DownloadEvent::StartFailed, -1, 0);
        return false;
    };

    RTK_Guard guard(&m_lock);
    if (!OpenOutputByTime(m_piece)) {
        guard.Release();
        return failStart(std::string());  // the open said why
    }
    guard.Release();
    if (m_setup.firstDataWaitHook)
        m_setup.firstDataWaitHook();

    // The first data, or the stream's own end: a stream that fails or ends without a header
    // fails the start at once instead of at the end of the wait; a stop ends the wait too.
    bool arrived = false;
    std::string reason = "the recording delivered no data";
    for (int waited_ms = 0; !arrived && waited_ms < m_setup.firstDataTimeout_ms; waited_ms += kStartPoll_ms) {
        arrived = sem->TimedWait(std::min(kStartPoll_ms, m_setup.firstDataTimeout_ms - waited_ms));
        if (arrived)
            break;
        if (IsStopRequested()) {
            dropSemaphore();
            return false;  // OnThreadExit reports the stop
        }
        RTK_Guard pollGuard(&m_lock);
        const int pos = m_source.GetPos();
        if (pos == CStreamSource::kPosFailed || pos == CStreamSource::kPosDelivered || !m_source.IsOpen()) {
            if (pos == CStreamSource::kPosFailed)
                reason = "the recording could not be read";
            // A short recording may have been delivered whole since the wait timed out: its data
            // were signalled before the end was.
            arrived = sem->TimedWait(0);
            break;
        }
    }
    if (!arrived)
        return failStart(reason);
    dropSemaphore();
    if (IsStopRequested())
        return false;  // stopped as the data came: OnThreadExit reports the stop

    // The start's events go out before any pass can send one of its own.
    const int count = FileCount();
    EmitFiles();
    if (m_startByFile)
        EmitSignal(DownloadEvent::NextFile, -1, count);
    EmitSignal(DownloadEvent::Started, -1, count);
    m_stallBlocks = m_blocksDelivered.load();
    m_stallPos = -1;
    m_stallSince = std::chrono::steady_clock::now();
    return true;
}

bool CDownloadWorker::OnThreadStart()
{
    return true;
}

void CDownloadWorker::OnThreadExit()
{
    AwaitPrevious();
    RTK_Guard guard(&m_lock);
    if (IsBusy()) {
        const DownloadEvent code =
            m_stopCode.load() == DownloadEvent::Stopped ? DownloadEvent::Stopped : DownloadEvent::Failed;
        CloseCurrent();
        const int index = m_reportedIndex;
        guard.Release();
        EmitSignal(code, index, 0);
    } else {
        guard.Release();
    }
    std::lock_guard<std::mutex> lock(m_endLock);
    m_ended = true;
    m_endCond.notify_all();
}

bool CDownloadWorker::SelectPieceAt(time_t t)
{
    DownloadPiece piece;
    const PieceChoice choice = ChoosePieceAt(m_files, t, m_jobEnd, m_lastPieceEnd, &piece);
    m_noProgress = choice == PieceChoice::NoProgress;
    if (choice != PieceChoice::Found)
        return false;
    const SingleFilePtr& file = m_files[static_cast<std::size_t>(piece.index)];
    m_currentIndex.store(piece.index);
    if (piece.start == file->GetStartTime() && piece.end == file->GetEndTime())
        m_piece = file;
    else
        m_piece = SingleFilePtr(file->CloneWithRange(piece.start, piece.end));
    m_lastPieceEnd = piece.end;
    return true;
}

void CDownloadWorker::PieceName(COutputPackage::Name* name) const
{
    name->kind = OutputKind::Download;
    name->dateOf = m_piece->GetStartTime();
    name->label = m_piece->GetLabel();
    name->channelPlusOne = m_piece->GetChannel() + 1;
    name->stamp = m_piece->GetStartTime();
}

bool CDownloadWorker::NextPackageName(void* user, COutputPackage::Name* name)
{
    auto* self = static_cast<CDownloadWorker*>(user);
    if (!self->m_piece)
        return false;
    self->PieceName(name);
    self->m_bytesInFile = 0;
    return true;
}

bool CDownloadWorker::OpenPackage()
{
    COutputPackage::Name name;
    PieceName(&name);
    m_output.SetSaveFolder(m_saveFolder);
    if (!m_output.Open(name)) {
        SetError(m_output.Error());
        return false;
    }
    std::lock_guard<std::mutex> lock(m_pathLock);
    m_outputPath = m_output.FinalPath();
    m_bytesInFile = 0;
    return true;
}

void CDownloadWorker::NoteRolledOver()
{
    const std::vector<std::string> rolled = m_output.TakeRolledOver();
    std::lock_guard<std::mutex> lock(m_pathLock);
    for (const std::string& path : rolled)
        m_written.push_back(path);
    m_outputPath = m_output.FinalPath();
}

bool CDownloadWorker::OpenOutputByTime(const SingleFilePtr& piece)
{
    if (!piece)
        return false;
    if (!OpenPackage())
        return false;
    m_source.SetUseIndex(m_setup.useIndex);
    if (!m_source.OpenByTime(*piece, m_setup.channel)) {
        m_output.Abandon();
        SetError("the recording " + piece->GetName() + " could not be opened");
        return false;
    }
    return true;
}

void CDownloadWorker::OnStreamData(int, int type, unsigned char* data, unsigned int size, void* user)
{
    auto* self = static_cast<CDownloadWorker*>(user);
    if (!self || !data)
        return;
    if (type != int(CStreamSource::Block::Header) && type != int(CStreamSource::Block::Data))
        return;
    try {
        self->WriteData(data, size, type == int(CStreamSource::Block::Header));
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

void CDownloadWorker::WriteData(const unsigned char* data, unsigned int size, bool isHeader)
{
    if (isHeader)
        m_output.SetHeader(data, std::min<std::size_t>(size, CStreamDownloader::kStreamHeaderBytes));

    if (!m_writeFailed.load()) {
        try {
            const bool written = m_output.Write(data, size, CStreamDownloader::kRollOverUnit_bytes, isHeader);
            m_bytesInFile = m_output.Bytes();
            if (written) {
                m_bytesWritten.fetch_add(size);
            } else {
                SetError(m_output.Error());
                m_writeFailed.store(true);  // the output is gone: the job cannot go on
            }
        } catch (const CStorageException& e) {
            SetError(e.Error().SystemMessage());
            m_writeFailed.store(true);
        }
        NoteRolledOver();  // the packages finished before a failure stay and are listed
    }

    if (isHeader) {
        std::lock_guard<std::mutex> lock(m_startLock);
        if (m_startSem)
            m_startSem->Post();
    }
}

bool CDownloadWorker::WaitForDelivery(uint64_t seen)
{
    std::unique_lock<std::mutex> lock(m_wakeLock);
    const std::chrono::microseconds timeout(m_recentDelivery ? CStreamDownloader::kDeliveryGrace_us
                                                             : CStreamDownloader::kPass_ms * 1000);
    const bool woken =
        m_wakeCond.wait_for(lock, timeout, [&] { return m_stopWake || m_blocksDelivered.load() != seen; });
    if (m_stopWake)
        return true;
    m_recentDelivery = woken;
    return IsStopRequested();
}

bool CDownloadWorker::FailJob(const std::string& reason, DownloadEvent code, int index, int count)
{
    if (!reason.empty())
        SetError(reason);
    CloseCurrent();
    m_lock.Unlock();
    EmitSignal(code, index, count);
    m_lock.Lock();
    return false;
}

bool CDownloadWorker::RunOnce()
{
    WorkerHooks::Reach(WorkerHooks::Point::DownloadPass);
    AwaitPrevious();
    if (IsStopRequested())
        return false;  // OnThreadExit reports the stop
    if (m_startPending && !BeginOnThread())
        return false;
    if (OutputFolderSpaceLow(OutputKind::Download, m_setup.settings().downloadFolder)) {
        RTK_Guard guard(&m_lock);
        const int index = m_reportedIndex + 1;
        const int count = FileCount();
        SetError("less than 2 GB free in the download folder");
        CloseCurrent();
        guard.Release();
        EmitSignal(DownloadEvent::DiskFull, index, count);
        return false;
    }

    RTK_Guard guard(&m_lock);
    if (m_currentIndex.load() == -1)
        return false;

    // The position first: it reads "delivered" only after the last callback has returned, so a
    // failed write of the last blocks is seen below and never passes for a complete file. No block
    // comes after it, so the output's buffered bytes can be written out here.
    const uint64_t seen = m_blocksDelivered.load();
    const int pos = m_source.GetPos();
    if (pos == CStreamSource::kPosDelivered && !m_writeFailed.load()) {
        try {
            m_output.Package().Flush();
        } catch (const CStorageException& e) {
            SetError(e.Error().SystemMessage());
            m_writeFailed.store(true);
        }
    }
    const int failIndex = m_reportedIndex == -1 ? 0 : m_reportedIndex;
    if (m_writeFailed.load()) {
        // The output could not take the data (disk full, folder removed): the job ends here on
        // this thread, never on the stream's own.
        FailJob(std::string(), DownloadEvent::Failed, failIndex, FileCount());
        return false;
    }
    if (pos == CStreamSource::kPosDelivered && m_bytesInFile.load() == 0 && m_output.Bytes() == 0) {
        // The stream ended without even its header: the recording cannot be read, and an empty
        // output is no copy of it.
        m_reportedIndex = failIndex;
        FailJob("the recording " + (m_piece ? m_piece->GetName() : std::string()) + " delivered no data",
                DownloadEvent::Failed, failIndex, FileCount());
        return false;
    }
    if (pos == CStreamSource::kPosDelivered)
        return m_byTime ? OpenNextByTime() : OpenNextByFile();
    if (pos == CStreamSource::kPosFailed) {
        m_reportedIndex = failIndex;
        FailJob("the recording " + (m_piece ? m_piece->GetName() : std::string()) + " could not be read",
                DownloadEvent::Failed, failIndex, FileCount());
        return false;
    }

    // A stream that neither delivers nor moves on ends the job: every download ends.
    const auto now = std::chrono::steady_clock::now();
    if (seen != m_stallBlocks || pos != m_stallPos) {
        m_stallBlocks = seen;
        m_stallPos = pos;
        m_stallSince = now;
    } else if (now - m_stallSince > std::chrono::milliseconds(m_setup.stallTimeout_ms)) {
        FailJob("the recording stopped delivering data", DownloadEvent::Failed, failIndex, FileCount());
        return false;
    }
    guard.Release();
    return !WaitForDelivery(seen);
}

bool CDownloadWorker::CloseCurrentPiece(int* count)
{
    m_source.Stop();
    if (!m_output.Finish()) {
        SetError(m_output.Error());
        return false;
    }
    AddWritten(m_output.FinalPath());
    m_reportedIndex = m_currentIndex.load();
    m_bytesInFile = 0;
    *count = FileCount();
    m_lock.Unlock();
    EmitFiles();
    EmitSignal(DownloadEvent::FileClosed, m_reportedIndex, *count);
    m_lock.Lock();
    m_stallSince = std::chrono::steady_clock::now();
    return true;
}

// Ends the job once its last piece is closed: complete, or failed because the next output could
// not be opened. Called with m_lock held; sends its events with the lock released.
bool CDownloadWorker::EndJobAfterPiece(bool failed)
{
    m_currentIndex.store(-1);
    ClearFiles();
    if (!failed)
        m_bytesWritten.store(m_bytesTotal.load());
    m_lock.Unlock();
    if (failed)
        EmitFiles();
    EmitSignal(failed ? DownloadEvent::Failed : DownloadEvent::Complete, m_reportedIndex, 0);
    m_lock.Lock();
    return false;
}

// Called with m_lock held; sends its events with the lock released.
bool CDownloadWorker::OpenNextByFile()
{
    int count = 0;
    if (!CloseCurrentPiece(&count))
        return FailJob(std::string(), DownloadEvent::Failed, m_reportedIndex == -1 ? 0 : m_reportedIndex, FileCount());

    const int next = m_currentIndex.load() + 1;
    if (next < FileCount()) {
        m_currentIndex.store(next);
        m_piece = m_files[next];
        if (OpenOutputByTime(m_piece)) {
            m_lock.Unlock();
            EmitFiles();
            EmitSignal(DownloadEvent::NextFile, m_reportedIndex, count);
            m_lock.Lock();
            return true;
        }
        return EndJobAfterPiece(true);
    }
    return EndJobAfterPiece(false);
}

bool CDownloadWorker::OpenNextByTime()
{
    int count = 0;
    if (!CloseCurrentPiece(&count))
        return FailJob(std::string(), DownloadEvent::Failed, m_reportedIndex == -1 ? 0 : m_reportedIndex, FileCount());

    const time_t pieceEnd = m_piece ? m_piece->GetEndTime() : m_jobEnd;
    if (pieceEnd < m_jobEnd && SelectPieceAt(pieceEnd)) {
        if (OpenOutputByTime(m_piece))
            return true;
        return EndJobAfterPiece(true);
    }
    if (m_noProgress) {
        SetError("a recording in the window ends before it starts");
        return EndJobAfterPiece(true);
    }
    return EndJobAfterPiece(false);
}

void CDownloadWorker::CloseCurrent()
{
    m_source.Stop();
    m_output.Abandon();  // an unfinished package never keeps a final name
    m_reportedIndex = m_currentIndex.load();
    m_currentIndex.store(-1);
    ClearFiles();
}

void CDownloadWorker::ClearFiles()
{
    m_files.clear();
}

int CDownloadWorker::GetProgress() const
{
    return DownloadProgressPercent(m_bytesWritten.load(), m_bytesTotal.load());
}

int CDownloadWorker::GetFileProgress()
{
    RTK_Guard guard(&m_lock);
    const int index = m_currentIndex.load();
    if (index < 0 || index >= FileCount())
        return 100;
    const uint64_t size = m_files[index]->GetSize();
    if (size == 0)
        return 0;
    // A file of tens of GiB times 100 still fits 64 bits.
    return static_cast<int>(std::min<uint64_t>(m_bytesInFile.load(), size) * 100 / size);
}

std::vector<std::string> CDownloadWorker::GetWrittenFiles() const
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    return m_written;
}

std::string CDownloadWorker::GetLastError() const
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    return m_error;
}

void CDownloadWorker::SetError(const std::string& reason)
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    m_error = reason;
}

void CDownloadWorker::AddWritten(const std::string& path)
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    m_written.push_back(path);
    m_outputPath = path;
}

void CDownloadWorker::EmitSignal(DownloadEvent code, int index, int count)
{
    m_sink->Signal(int(code), index, count);
}

void CDownloadWorker::EmitFiles()
{
    m_sink->Files(QString::fromLocal8Bit(OutputPath().c_str()));
}

std::string CDownloadWorker::OutputPath() const
{
    std::lock_guard<std::mutex> lock(m_pathLock);
    return m_outputPath;
}

}  // namespace Varpen
