#pragma once
// The recording-day checker: on its own worker thread, finds which days of a window hold
// recordings of one channel, so that the calendar can mark them. The owner hands it a task
// whenever the shown month or the channel changes, and reads the days on SignalCheckFinish().
//
// A task that arrives while another is searched makes the older one silent: only the latest
// task ends with SignalCheckFinish(), and its days are the only ones GetExistFileDate gives. The
// older one is dropped before its next day, as is a task when the thread is asked to stop.

#include <QDate>
#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <ctime>
#include <memory>
#include <vector>

#include "engine/BaseThread.h"
#include "engine/Records.h"
#include "platform/rtk/rtk.h"

namespace Varpen {
class CFileSearch;
}

class CCheckRemoteFileExistThread : public QObject, public Varpen::CBaseThread {
    Q_OBJECT

public:
    CCheckRemoteFileExistThread();
    ~CCheckRemoteFileExistThread() override;

    bool StartThread();
    // Ends the thread and frees the search; later tasks are ignored.
    void StopCheck();
    // Asks the thread to end without waiting: a task being searched ends before its next day.
    // StopCheck (or the destructor) then joins it.
    void AskStop();
    // true when the disk is a local recording folder.
    void SetUseIndex(bool useIndex);

    // Replaces the pending task: the days from `begin` to `end`, both included.
    void StartCheck(QDate begin, QDate end, QString diskPath, Varpen::CChannel channel);
    void StartCheck(QDate begin, QDate end, QString diskPath, QString channelName, int channelNumber, bool channelFlag);

    // The days of the last finished task in order; empty while a task is pending or running.
    void GetExistFileDate(std::vector<QDate>& days);
    QList<QDate> GetExistFileDate();

    static constexpr int kIdle_ms = 100;

signals:
    void SignalCheckFinish();

protected:
    bool OnThreadStart() override { return true; }
    void OnThreadExit() override {}
    bool RunOnce() override;

private:
    struct Task {
        time_t begin = -1;
        time_t end = -1;
        QString diskPath;
        Varpen::CChannel channel;
        bool useIndex = false;
    };

    std::vector<time_t> ThreadGetFileExistDate(const Task& task);

    std::unique_ptr<Varpen::CFileSearch> m_search;  // null after StopCheck
    Task m_task;
    bool m_taskPending = false;
    bool m_taskRunning = false;
    bool m_useIndex = false;
    RTK_Mutex m_lock;  // the task, both flags, the results and the search's presence
    std::vector<time_t> m_results;
};
