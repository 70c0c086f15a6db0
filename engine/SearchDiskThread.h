// Lists which channels of a recorder disk, or which channel groups of a local recording folder,
// hold recordings in a span of days, and what kind of layout the disk has.
//
// Threads: the owner (GUI) sets the parameters, starts scans and reads the result; run() scans
// on the thread. A scan works on its own copies and publishes what it found under the mutex when
// it ends, so the owner never reads containers the scan is filling, and a new scan withdraws the
// previous result before it starts: GetResult is false until that scan has run to its end.
// A stop is noticed before every read (each channel of a disk, each date of a folder's index),
// so a slow disk delays it by one read: OnChangeThread ends the scan without a word,
// OnStopThread with a report of what it found so far.
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
        kDiskNone = -1,  // nothing could be opened
        kDiskPlain = 0,  // recordings on the plain path
        kDiskNvr = 1,    // under "_NVR_DIR_\Package000\"
        kDiskDvr = 2,    // under "_DVR_DIR_\Package000\"
        kDiskLocal = 3,  // local recording folder (index files)
    };
    static constexpr int kChannelCount = 64;
    static constexpr const char* kDiskChannelsKey = "NULLNULL";

    CSearchDiskThread();
    ~CSearchDiskThread() override;

    // `days`: one time per day to scan, ascending. An empty list puts no limit on time. A scan
    // that is running keeps the parameters it started with.
    void SetSearchParam(const QString& path, std::vector<time_t> days);
    // Does nothing while a scan runs. Otherwise the previous result is withdrawn (GetResult false,
    // disk type -1) and the scan starts.
    void StartSearch();
    // Always writes the disk type (-1 while a scan runs); false until the last scan started has
    // run to its end (false also when it failed or was stopped). Disk types 0-2 add one entry
    // "NULLNULL" holding the 0-based channels; type 3 gives the channel groups.
    bool GetResult(std::map<std::string, std::vector<int>>& result, int& diskType);
    // The disk path, extended by the recorder folder that answered the last scan.
    QString GetSearchPath() const;
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
    // What one scan found. `complete`: it ran to its end.
    struct Outcome {
        unsigned paramSerial = 0;  // the parameters the scan started with
        QString path;
        int diskType = kDiskNone;
        int diskError = 0;
        bool complete = false;
        std::vector<int> channels;
        std::map<std::string, std::vector<int>> indexResult;
    };
    void Publish(Outcome&& outcome);

    mutable QMutex m_mutex;  // guards everything below but the atomics
    QString m_diskPath;
    std::vector<time_t> m_days;
    unsigned m_paramSerial = 0;  // counts SetSearchParam calls
    std::atomic<bool> m_run{false};
    std::atomic<bool> m_change{false};
    std::atomic<int> m_diskError{0};
    int m_diskType = kDiskNone;
    bool m_finished = false;
    std::vector<int> m_channels;
    std::map<std::string, std::vector<int>> m_indexResult;
};
