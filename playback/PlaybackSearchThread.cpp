#include "playback/PlaybackSearchThread.h"

#include "engine/LocalIndex.h"
#include "engine/PlayBackInteraction.h"
#include "playback/PlayBackWidgetPrivate.h"
#include "timeline/RecordTypes.h"

#include <QDateTime>
#include <QMutexLocker>

CPlaybackSearchThread::CPlaybackSearchThread(CPlayBackWidgetPrivate* param, QObject* parent)
    : QThread(parent), m_param(param)
{
}

CPlaybackSearchThread::~CPlaybackSearchThread()
{
    OnStopThread();
    wait();
}

void CPlaybackSearchThread::Start()
{
    if (isRunning() || !m_param)
        return;
    m_jobs.clear();
    m_results.clear();
    const int first = m_param->searchFirstWindow;
    const int last = first + m_param->searchedCount;
    for (int window = first; window < last && window < CPlayBackWidgetPrivate::kWindowCount; ++window) {
        if (CPlayBackInteraction* engine = m_param->PlayerAt(window))
            m_jobs.push_back({window, engine});
    }
    m_diskPath = Varpen::PathToBytes(m_param->diskPath);
    m_begin = m_param->searchBegin;
    m_end = m_param->searchEnd;
    m_recordType = m_param->recordType;
    {
        QMutexLocker lock(&m_mutex);
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

void CPlaybackSearchThread::run()
{
    for (const Job& job : m_jobs) {
        if (!Running())
            break;
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
        m_results.push_back(std::move(result));
    }
    {
        QMutexLocker lock(&m_mutex);
        m_reported = true;
    }
    emit SendWriteOver();
}

bool CPlaybackSearchThread::TakeResults(QList<int>* failed)
{
    {
        QMutexLocker lock(&m_mutex);
        if (!m_reported || m_taken || !m_param)
            return false;
    }
    wait();  // run() has only its signal left to return from
    m_taken = true;
    for (Result& result : m_results) {
        m_param->RemoveWindowEntries(result.window);
        m_param->filesByWindow[result.window] = std::move(result.files);
        m_param->segmentsByWindow[result.window] = std::move(result.segments);
        if (!result.ok && failed)
            failed->append(result.window);
    }
    m_results.clear();
    return true;
}

QList<int> CPlaybackSearchThread::Windows() const
{
    QList<int> windows;
    for (const Job& job : m_jobs)
        windows.append(job.window);
    return windows;
}
