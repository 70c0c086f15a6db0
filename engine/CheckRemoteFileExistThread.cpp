#include "engine/CheckRemoteFileExistThread.h"

#include <QDateTime>
#include <QDebug>

#include <set>

#include "app/WorkerHooks.h"
#include "engine/FileSearch.h"
#include "engine/Logging.h"

CCheckRemoteFileExistThread::CCheckRemoteFileExistThread() : m_search(std::make_unique<Varpen::CFileSearch>()) {}

CCheckRemoteFileExistThread::~CCheckRemoteFileExistThread()
{
    StopCheck();
}

bool CCheckRemoteFileExistThread::StartThread()
{
    return Varpen::CBaseThread::Start();
}

void CCheckRemoteFileExistThread::StopCheck()
{
    Varpen::CBaseThread::Stop();
    RTK_Guard guard(&m_lock);
    m_search.reset();
    m_taskPending = false;
}

void CCheckRemoteFileExistThread::AskStop()
{
    RequestStop();
}

void CCheckRemoteFileExistThread::SetUseIndex(bool useIndex)
{
    RTK_Guard guard(&m_lock);
    m_useIndex = useIndex;
}

void CCheckRemoteFileExistThread::StartCheck(QDate begin, QDate end, QString diskPath, Varpen::CChannel channel)
{
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::StartCheck start";
    // Both at 00:00:00 local time; the day walk takes end's date too, so a month's last day is
    // searched.
    const QDateTime from = begin.startOfDay();
    const QDateTime to = end.startOfDay();

    RTK_Guard guard(&m_lock);
    if (!m_search)
        return;
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::StartCheck Set Check Param : "
                      << from.toString() + " --- " + to.toString();
    m_task.begin = from.isValid() ? static_cast<time_t>(from.toSecsSinceEpoch()) : -1;
    m_task.end = to.isValid() ? static_cast<time_t>(to.toSecsSinceEpoch()) : -1;
    m_task.diskPath = diskPath;
    m_task.channel = channel;
    m_results.clear();
    m_taskPending = true;
}

void CCheckRemoteFileExistThread::StartCheck(QDate begin, QDate end, QString diskPath, QString channelName,
                                             int channelNumber, bool channelFlag)
{
    Varpen::CChannel channel(channelNumber, channelName);
    channel.SetFlag(channelFlag);
    StartCheck(begin, end, diskPath, channel);
}

void CCheckRemoteFileExistThread::GetExistFileDate(std::vector<QDate>& days)
{
    days.clear();
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::GetExistFileDate start";
    {
        RTK_Guard guard(&m_lock);
        if (!m_taskPending && !m_taskRunning) {
            for (time_t t : m_results) {
                const QDate day = QDateTime::fromSecsSinceEpoch(t).date();
                days.push_back(day);
                qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::GetExistFileDate ----------------   "
                                  << day.toString(QStringLiteral("yyyy-MM-dd"));
            }
        }
    }
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::GetExistFileDate end";
}

QList<QDate> CCheckRemoteFileExistThread::GetExistFileDate()
{
    std::vector<QDate> days;
    GetExistFileDate(days);
    return QList<QDate>(days.begin(), days.end());
}

bool CCheckRemoteFileExistThread::RunOnce()
{
    RTK_Guard guard(&m_lock);
    if (!m_taskPending) {
        guard.Release();
        return !WaitForStop(kIdle_ms);
    }

    // The whole task is copied: the owner may replace it while the search runs.
    Task task = m_task;
    task.useIndex = m_useIndex;
    m_taskPending = false;
    m_taskRunning = true;
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::Run Get Task Param : " << static_cast<qint64>(task.begin)
                      << " --- " << static_cast<qint64>(task.end);
    guard.Release();

    std::vector<time_t> days = ThreadGetFileExistDate(task);

    RTK_Guard after(&m_lock);
    m_taskRunning = false;
    if (m_taskPending) {
        // A newer task arrived meanwhile: this result is stale and stays silent.
        qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::Run Have New Task";
        return true;
    }
    if (IsStopRequested())
        return false;  // perhaps cut short: no days are told
    m_results.swap(days);
    after.Release();
    emit SignalCheckFinish();
    return true;
}

std::vector<time_t> CCheckRemoteFileExistThread::ThreadGetFileExistDate(const Task& task)
{
    std::vector<time_t> result;
    if (!m_search)
        return result;
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::ThreadGetFileExistDate start"
                      << static_cast<qint64>(task.begin) << static_cast<qint64>(task.end);
    std::set<time_t> days;
    // A newer task or a stop makes the rest of this one useless: it ends before the next day.
    const auto dropped = [this] {
        WorkerHooks::Reach(WorkerHooks::Point::DayCheckDay);
        if (IsStopRequested())
            return true;
        RTK_Guard guard(&m_lock);
        return m_taskPending;
    };
    m_search->SearchDiskFilesByDay(days, task.channel.GetName().toLocal8Bit().toStdString(), task.channel.GetNumber(),
                                   task.begin, task.end, task.diskPath.toLocal8Bit().toStdString(), task.useIndex,
                                   dropped);
    result.assign(days.begin(), days.end());
    qCDebug(lcEngine) << "==tvm== CheckRemoteFileExistThread::ThreadGetFileExistDate end";
    return result;
}
