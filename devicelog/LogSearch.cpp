#include "devicelog/LogSearch.h"

#include "app/ThreadHandOver.h"
#include "app/WorkerHooks.h"
#include "devicelog/Logging.h"

#include <QDebug>
#include <QScopeGuard>

#include <algorithm>

namespace {

std::atomic<int> g_lastQueryId{0};

}  // namespace

CLogSearch::CLogSearch(QObject* parent) : QThread(parent)
{
    qRegisterMetaType<LogBatch>("LogBatch");
}

CLogSearch::~CLogSearch()
{
    StopSearch();
    wait();
    ThreadHandOver::Joined(this);
}

void CLogSearch::SetDiskPath(const QByteArray& path)
{
    m_diskPath = path;
    m_hasPath = true;
}

void CLogSearch::SetCondition(const LogSearchCondition& condition)
{
    m_condition = condition;
    m_hasCondition = true;
    m_queryId = ++g_lastQueryId;
    // A new query: the stop of the last one is spent. Cleared here, on the caller's thread before
    // start(), not in run(), so that a stop asked right after start() is never lost.
    m_stopReading = false;
    m_stopHandOver = false;
}

bool CLogSearch::GetResult(std::vector<LogRecord>& records) const
{
    if (!m_hasResult.load())
        return false;
    QMutexLocker lock(&m_mutex);
    records = m_records;
    return true;
}

void CLogSearch::StopSearch()
{
    QMutexLocker lock(&m_mutex);
    m_stopReading = true;
    m_stopHandOver = true;
    m_taken.wakeAll();
}

void CLogSearch::ContinueSearch()
{
    QMutexLocker lock(&m_mutex);
    m_batchesTaken = m_batchesSent;
    m_taken.wakeAll();
}

bool CLogSearch::FindLogs(int* error)
{
    const int handle = DR_FILE_FindLog(m_diskPath.constData(), kLogSearchMode, m_condition.major, m_condition.minor,
                                       m_condition.hasStart ? &m_condition.start : nullptr,
                                       m_condition.hasEnd ? &m_condition.end : nullptr);
    if (handle < 0) {
        *error = DR_FILE_GetLastError();
        qCWarning(lcDeviceLog) << "--qarn-- DR_FILE_FindLog Failed error =" << *error;
        return false;
    }
    *error = DR_ERR_NONE;
    std::vector<LogRecord> found;
    LogRecord record{};
    while (!m_stopReading.load()) {
        WorkerHooks::Reach(WorkerHooks::Point::LogSearchRead);
        if (m_stopReading.load())
            break;
        if (DR_FILE_FindNextLog(handle, &record) == 0) {
            *error = DR_FILE_GetLastError();
            break;
        }
        if (int(found.size()) >= kMaxRecords) {
            m_cut = true;
            break;
        }
        found.push_back(record);
    }
    DR_FILE_FindLogClose(handle);
    m_stopReading = false;
    QMutexLocker lock(&m_mutex);
    m_records.swap(found);
    return true;
}

void CLogSearch::run()
{
    const auto leave = qScopeGuard([this] { ThreadHandOver::Leave(this); });
    m_cut = false;
    const int query = m_queryId.load();
    {
        QMutexLocker lock(&m_mutex);
        m_batchesSent = 0;
        m_batchesTaken = 0;
    }
    if (!m_hasPath || !m_hasCondition || m_diskPath.isEmpty()) {
        emit SetLogInfoErrorToView(DR_ERR_BAD_ARGUMENT);
        return;
    }
    int error = DR_ERR_NONE;
    if (!FindLogs(&error)) {
        emit SetLogInfoErrorToView(error);
        return;
    }
    m_hasResult = true;
    const int total = int(m_records.size());
    if (total == 0 && error != DR_ERR_NONE) {
        // The log ended in a read error before any record: that is no empty log.
        emit SetLogInfoErrorToView(error);
    } else if (total == 0) {
        emit SetLogInfoNullToView();
    }

    int next = 0;
    LogRowBuilder builder;
    while (total > 0 && !m_stopHandOver.load()) {
        const int end = std::min(next + kBatchRows, total);
        const LogBatch rows = builder.Build(m_records.data() + next, end - next, next + 1);
        next = end;

        int batch = 0;
        {
            QMutexLocker lock(&m_mutex);
            batch = ++m_batchesSent;
        }
        // Sent without the lock, so a receiver may answer at once, even on this thread; the
        // counters make sure no answer is lost before the wait below.
        WorkerHooks::Reach(WorkerHooks::Point::LogSearchBatch);
        emit SetLogInfoToView(rows, next, total, query);
        QMutexLocker lock(&m_mutex);
        // Waits until the page has taken this batch (also after the last one), or a stop.
        while (!m_stopHandOver.load() && m_batchesTaken < batch)
            ThreadHandOver::Wait(m_taken, m_mutex);
        if (next >= total)
            break;
    }

    std::vector<LogRecord> found;
    {
        QMutexLocker lock(&m_mutex);
        m_stopHandOver = false;
        found.swap(m_records);
    }
    // Up to a million records are freed here, on the search's own thread, not by whoever deletes
    // the search later.
}
