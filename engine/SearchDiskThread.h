// Lists which channels of a recorder disk, or which channel groups of a local recording folder,
// hold recordings in a span of days, and what kind of layout the disk has.
#pragma once

#include <QMutex>
#include <QString>
#include <QThread>

#include <atomic>
#include <ctime>
#include <map>
#include <string>
#include <vector>

class CSearchDiskThread : public QThread {
  Q_OBJECT
public:
  // Disk types found by a scan.
  enum : int {
    kDiskNone = -1,    // nothing could be opened
    kDiskPlain = 0,    // recordings on the plain path
    kDiskNvr = 1,      // under "_NVR_DIR_\Package000\"
    kDiskDvr = 2,      // under "_DVR_DIR_\Package000\"
    kDiskLocal = 3,    // local recording folder (index files)
  };
  static constexpr int kChannelCount = 64;
  static constexpr const char* kDiskChannelsKey = "NULLNULL";

  CSearchDiskThread();
  ~CSearchDiskThread() override;

  // `days`: one time per day to scan, ascending. An empty list puts no limit on time.
  void SetSearchParam(const QString& path, std::vector<time_t> days);
  void StartSearch();
  // Always writes the disk type; false until a scan has run to its end. Disk types 0-2 add one
  // entry "NULLNULL" holding the 0-based channels; type 3 gives the channel groups.
  bool GetResult(std::map<std::string, std::vector<int>>& result, int& diskType);
  // The disk path, extended by the recorder folder that answered.
  QString GetSearchPath() const { return m_diskPath; }
  // The recorder-disk library's error when the last scan found no disk to read (0 otherwise), so
  // that "no right to read the disk" (DR_ERR_ACCESS_DENIED) can be told from "no recordings".
  int GetDiskError() const { return m_diskError; }

public slots:
  void OnStopThread();
  void OnChangeThread();

signals:
  void SignalSearchFail();
  void SendWriteOver();
  void SendChangeWriteOver();
  void SendSearchError(QString message);

protected:
  void run() override;

private:
  QString m_diskPath;
  std::atomic<bool> m_run{false};
  std::atomic<int> m_diskType{kDiskNone};
  std::atomic<int> m_diskError{0};
  std::atomic<bool> m_finished{false};
  std::vector<time_t> m_days;
  std::vector<int> m_channels;
  std::map<std::string, std::vector<int>> m_indexResult;
  QMutex m_mutex;
  std::atomic<bool> m_change{false};
};
