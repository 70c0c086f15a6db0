#include "engine/SearchDiskThread.h"

#include "app/ThreadHandOver.h"
#include "app/WorkerHooks.h"
#include "engine/FileSearch.h"
#include "engine/Logging.h"
#include "engine/RecordIndex.h"
#include "platform/diskrec/diskrec.h"

#include <QDateTime>
#include <QDebug>
#include <QScopeGuard>

using Varpen::RecordTime;

CSearchDiskThread::CSearchDiskThread() : QThread(nullptr) {}

CSearchDiskThread::~CSearchDiskThread()
{
    m_change = false;
    wait();
    ThreadHandOver::Joined(this);
}

void CSearchDiskThread::SetSearchParam(const QString& path, std::vector<time_t> days)
{
    QMutexLocker lock(&m_mutex);
    m_diskPath = path;
    m_days = std::move(days);
    ++m_paramSerial;
}

void CSearchDiskThread::StartSearch()
{
    if (isRunning()) {
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_run = true;
        m_change = true;
        // The previous disk's result is gone before this scan starts: a poll or a late signal of
        // the previous scan must not read it as this scan's.
        m_finished = false;
        m_diskType = kDiskNone;
        m_diskError = 0;
        m_channels.clear();
        m_indexResult.clear();
    }
    start(QThread::InheritPriority);
}

bool CSearchDiskThread::GetResult(std::map<std::string, std::vector<int>>& result, int& diskType)
{
    QMutexLocker lock(&m_mutex);
    diskType = m_diskType;
    if (!m_finished) {
        return false;
    }
    if (diskType != kDiskLocal) {
        result.emplace(kDiskChannelsKey, m_channels);
    } else {
        result = m_indexResult;
    }
    return true;
}

QString CSearchDiskThread::GetSearchPath() const
{
    QMutexLocker lock(&m_mutex);
    return m_diskPath;
}

void CSearchDiskThread::OnStopThread()
{
    QMutexLocker lock(&m_mutex);
    m_run = false;
}

void CSearchDiskThread::OnChangeThread()
{
    QMutexLocker lock(&m_mutex);
    m_change = false;
}

void CSearchDiskThread::Publish(Outcome&& outcome)
{
    QMutexLocker lock(&m_mutex);
    // Parameters set for the next scan while this one ran are kept for it.
    if (outcome.paramSerial == m_paramSerial) {
        m_diskPath = outcome.path;
    }
    m_diskType = outcome.diskType;
    m_diskError = outcome.diskError;
    m_channels = std::move(outcome.channels);
    m_indexResult = std::move(outcome.indexResult);
    m_finished = outcome.complete;
}

void CSearchDiskThread::run()
{
    const auto leave = qScopeGuard([this] { ThreadHandOver::Leave(this); });
    Outcome found;
    std::vector<time_t> days;
    {
        QMutexLocker lock(&m_mutex);
        found.path = m_diskPath;
        found.paramSerial = m_paramSerial;
        days = m_days;
    }

    // A stop is noticed before every read: a slow disk delays it by one read at most.
    const auto stopped = [this] {
        WorkerHooks::Reach(WorkerHooks::Point::DiskScanRead);
        return !m_change || !m_run;
    };
    const auto report = [this](Outcome&& outcome) {
        Publish(std::move(outcome));
        WorkerHooks::Reach(WorkerHooks::Point::DiskScanReport);
        emit SendWriteOver();
    };

    const std::string path = Varpen::PathToBytes(found.path);  // the file system's bytes
    if (Varpen::IsLocalRecordingFolder(path)) {
        found.diskType = kDiskLocal;
        Varpen::FileInfo search;
        search.diskPath = path;
        search.indexType = 0;
        // Every date of the folder is listed whatever the days: one pass gives the result. No days,
        // no pass.
        if (!days.empty()) {
            search.begin = Varpen::DayBegin(Varpen::BreakTime(days.front()));
            search.end = Varpen::DayEnd(Varpen::BreakTime(days.back()));
            Varpen::RecordIndex index;
            index.LoadChannelFiles(found.indexResult, search, stopped);
            // An index that may not be read is said, not shown as a folder without channels.
            if (index.LastError() == Varpen::IndexFileError::AccessDenied) {
                found.diskError = DR_ERR_ACCESS_DENIED;
            } else if (index.LastError() != Varpen::IndexFileError::None) {
                found.diskError = DR_ERR_READ;
            }
        }
        if (!m_change) {
            return;  // replaced by a new scan: no word, no result
        }
        // Stopped through the run flag: reported, but as a scan that did not run to its end.
        found.complete = m_run;
        report(std::move(found));
        return;
    }

    RecordTime begin{2000, 1, 1, 0, 0, 0};
    RecordTime end{2099, 12, 31, 23, 59, 59};
    if (!days.empty()) {
        begin = Varpen::DayBegin(Varpen::BreakTime(days.front()));
        end = Varpen::DayEnd(Varpen::BreakTime(days.back()));
    }
    for (int ch = 0; ch < kChannelCount; ++ch) {
        WorkerHooks::Reach(WorkerHooks::Point::DiskScanRead);
        if (!m_change) {
            return;  // a new scan replaces this one: end without a word (and without a result)
        }
        if (!m_run) {
            report(std::move(found));
            return;
        }
        // Later channels are searched on the path that answered first.
        const std::string disk = found.path.toLocal8Bit().toStdString();
        std::string answered;
        qCDebug(lcEngine, "DR_FILE_FindFile Start");
        int error = 0;
        const int handle = Varpen::FindFileOnDisk(disk, ch, 0, begin, end, answered, &error);
        qCDebug(lcEngine, "DR_FILE_FindFile Stop");
        if (handle == -1) {
            qCWarning(lcEngine,
                      "--qarn-- SearchDiskThread FindFileFailed disk = %s channel = %d starttime = %d %d %d, "
                      "endtime = %d %d %d",
                      disk.c_str(), ch, begin.year, begin.month, begin.day, end.year, end.month, end.day);
            found.diskError = error;
            found.diskType = kDiskNone;
            report(std::move(found));
            return;
        }
        if (answered == disk + Varpen::kNvrFolder) {
            found.diskType = kDiskNvr;
        } else if (answered == disk + Varpen::kDvrFolder) {
            found.diskType = kDiskDvr;
        } else if (!found.path.contains(QLatin1String("Package000"))) {
            found.diskType = kDiskPlain;
        }
        found.path = QString::fromLocal8Bit(answered.c_str());
        DR_FindRecord record{};
        if (DR_FILE_FindNextFile(handle, &record) == 1) {
            found.channels.push_back(ch);
        }
        DR_FILE_FindClose(handle);
    }
    found.complete = true;
    report(std::move(found));
}
