#include "engine/SearchDiskThread.h"

#include "engine/FileSearch.h"
#include "engine/RecordIndex.h"
#include "platform/diskrec/diskrec.h"

#include <QDateTime>
#include <QDebug>

using Varpen::RecordTime;

CSearchDiskThread::CSearchDiskThread() : QThread(nullptr) {}

CSearchDiskThread::~CSearchDiskThread() {
  m_change = false;
  wait();
}

void CSearchDiskThread::SetSearchParam(const QString& path, std::vector<time_t> days) {
  m_diskPath = path;
  m_days = std::move(days);
}

void CSearchDiskThread::StartSearch() {
  if (isRunning()) {
    return;
  }
  {
    QMutexLocker lock(&m_mutex);
    m_run = true;
    m_change = true;
  }
  start(QThread::InheritPriority);
}

bool CSearchDiskThread::GetResult(std::map<std::string, std::vector<int>>& result, int& diskType) {
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

void CSearchDiskThread::OnStopThread() {
  QMutexLocker lock(&m_mutex);
  m_run = false;
}

void CSearchDiskThread::OnChangeThread() {
  QMutexLocker lock(&m_mutex);
  m_change = false;
}

void CSearchDiskThread::run() {
  m_channels.clear();
  m_indexResult.clear();
  m_diskType = kDiskNone;
  m_diskError = 0;

  const std::string path = Varpen::PathToBytes(m_diskPath);  // the file system's bytes
  if (Varpen::IsLocalRecordingFolder(path)) {
    m_diskType = kDiskLocal;
    Varpen::FileInfo search;
    search.diskPath = path;
    search.indexType = 0;
    // Every date of the folder is listed whatever the days: one pass gives the result. No days,
    // no pass.
    if (!m_days.empty()) {
      search.begin = Varpen::DayBegin(Varpen::BreakTime(m_days.front()));
      search.end = Varpen::DayEnd(Varpen::BreakTime(m_days.back()));
      Varpen::RecordIndex index;
      index.LoadChannelFiles(m_indexResult, search);
      // An index that may not be read is said, not shown as a folder without channels.
      if (index.LastError() == Varpen::IndexFileError::AccessDenied) {
        m_diskError = DR_ERR_ACCESS_DENIED;
      } else if (index.LastError() != Varpen::IndexFileError::None) {
        m_diskError = DR_ERR_READ;
      }
    }
    m_finished = true;
    emit SendWriteOver();
    return;
  }

  RecordTime begin{2000, 1, 1, 0, 0, 0};
  RecordTime end{2099, 12, 31, 23, 59, 59};
  if (!m_days.empty()) {
    begin = Varpen::DayBegin(Varpen::BreakTime(m_days.front()));
    end = Varpen::DayEnd(Varpen::BreakTime(m_days.back()));
  }
  for (int ch = 0; ch < kChannelCount; ++ch) {
    if (!m_change) {
      return;  // a new scan replaces this one: end without a word
    }
    if (!m_run) {
      emit SendWriteOver();
      return;
    }
    // Later channels are searched on the path that answered first.
    const std::string disk = m_diskPath.toLocal8Bit().toStdString();
    std::string answered;
    qDebug("DR_FILE_FindFile Start");
    int error = 0;
    const int handle = Varpen::FindFileOnDisk(disk, ch, 0, begin, end, answered, &error);
    qDebug("DR_FILE_FindFile Stop");
    if (handle == -1) {
      m_diskError = error;
      qDebug("--qarn-- SearchDiskThread FindFileFailed disk = %s channel = %d starttime = %d %d %d, "
             "endtime = %d %d %d",
             disk.c_str(), ch, begin.year, begin.month, begin.day, end.year, end.month, end.day);
      m_diskType = kDiskNone;
      emit SendWriteOver();
      return;
    }
    if (answered == disk + Varpen::kNvrFolder) {
      m_diskType = kDiskNvr;
    } else if (answered == disk + Varpen::kDvrFolder) {
      m_diskType = kDiskDvr;
    } else if (!m_diskPath.contains(QLatin1String("Package000"))) {
      m_diskType = kDiskPlain;
    }
    m_diskPath = QString::fromLocal8Bit(answered.c_str());
    DR_FindRecord record{};
    if (DR_FILE_FindNextFile(handle, &record) == 1) {
      m_channels.push_back(ch);
    }
    DR_FILE_FindClose(handle);
  }
  m_finished = true;
  emit SendWriteOver();
}
