#include "playback/PlaybackSearchThread.h"

#include "app/ThreadHandOver.h"
#include "app/WorkerHooks.h"
#include "engine/LocalIndex.h"
#include "engine/PlayBackInteraction.h"
#include "playback/PlaybackEngines.h"
#include "playback/PlaybackSearchData.h"
#include "playback/PlaybackSearchRules.h"
#include "timeline/RecordTypes.h"

#include <QDateTime>
#include <QMutexLocker>
#include <QScopeGuard>

CPlaybackSearchThread::CPlaybackSearchThread(CPlaybackSearchData* param, const CPlaybackEngines* engines,
                                             QObject* parent)
    : QThread(parent), m_param(param), m_engines(engines)
{
}

CPlaybackSearchThread::~CPlaybackSearchThread()
{
    OnStopThread();
    wait();
    // The engines kept for the thread go with this object, after the thread's last use of them.
    ThreadHandOver::Joined(this);
}

void CPlaybackSearchThread::Start()
{
    if (isRunning() || !m_param || !m_engines)
        return;
    m_jobs.clear();
    const int first = m_param->searchFirstWindow;
    const int last = first + m_param->searchedCount;
    for (int window = first; window < last && window < PlaybackSearch::kWindowCount; ++window) {
        if (CPlayBackInteraction* engine = m_engines->PlayerAt(window))
            m_jobs.push_back({window, engine});
    }
    m_diskPath = Varpen::PathToBytes(m_param->diskPath);
    m_begin = m_param->searchBegin;
    m_end = m_param->searchEnd;
    m_recordType = m_param->recordType;
    {
        QMutexLocker lock(&m_mutex);
        m_results.clear();
        m_current = -1;
        m_running = true;
        m_reported = false;
        m_taken = false;
    }
    start(QThread::InheritPriority);
}

void CPlaybackSearchThread::OnStopThread()
{
    QMutexLocker lock(&m_mutex);
    m_running = false;
}

bool CPlaybackSearchThread::Running() const
{
    QMutexLocker lock(&m_mutex);
    return m_running;
}

bool CPlaybackSearchThread::IsStopped() const
{
    return !Running();
}

bool CPlaybackSearchThread::ResultsTaken() const
{
    QMutexLocker lock(&m_mutex);
    return m_taken;
}

void CPlaybackSearchThread::run()
{
    const auto leave = qScopeGuard([this] { ThreadHandOver::Leave(this); });
    for (size_t i = 0; i < m_jobs.size(); ++i) {
        const Job& job = m_jobs[i];
        {
            QMutexLocker lock(&m_mutex);
            if (!m_running)
                break;
            m_current = int(i);
        }
        WorkerHooks::Reach(WorkerHooks::Point::RecordSearchWindow);
        Result result;
        result.window = job.window;
        result.ok = job.engine->SearchFiles(result.files, m_diskPath, m_begin, m_end, m_recordType);
        if (!result.ok)
            result.files.clear();
        for (const Varpen::SingleFilePtr& file : result.files) {
            if (!file)
                continue;
            result.segments.append(RecordTypes::MakeSegment(QDateTime::fromSecsSinceEpoch(file->GetStartTime()),
                                                            QDateTime::fromSecsSinceEpoch(file->GetEndTime()),
                                                            int(file->GetRecordType())));
        }
        QMutexLocker lock(&m_mutex);
        m_results.push_back(std::move(result));
        m_current = -1;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_reported = true;
    }
    emit SendWriteOver();
}

bool CPlaybackSearchThread::TakeResults(QList<int>* failed)
{
    std::vector<Result> results;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_reported || m_taken || !m_param)
            return false;
        m_taken = true;
        results.swap(m_results);
    }
    Apply(results, failed);
    return true;
}

int CPlaybackSearchThread::StopAndTakeResults(QList<int>* failed)
{
    std::vector<Result> results;
    int busy = -1;
    {
        QMutexLocker lock(&m_mutex);
        m_running = false;
        if (m_taken || !m_param)
            return -1;
        m_taken = true;
        results.swap(m_results);
        // No job starts after the stop: this one is the last the thread touches.
        if (m_current >= 0)
            busy = m_jobs[size_t(m_current)].window;
    }
    Apply(results, failed);
    return busy;
}

void CPlaybackSearchThread::Apply(std::vector<Result>& results, QList<int>* failed)
{
    for (Result& result : results) {
        m_param->RemoveWindowEntries(result.window);
        m_param->filesByWindow[result.window] = std::move(result.files);
        m_param->segmentsByWindow[result.window] = std::move(result.segments);
        if (!result.ok && failed)
            failed->append(result.window);
    }
}

void CPlaybackSearchThread::KeepEngine(std::unique_ptr<CPlayBackInteraction> engine)
{
    if (engine)
        m_kept.push_back(std::move(engine));
}

QList<int> CPlaybackSearchThread::Windows() const
{
    QList<int> windows;
    for (const Job& job : m_jobs)
        windows.append(job.window);
    return windows;
}
