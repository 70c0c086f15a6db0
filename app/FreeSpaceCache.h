// Free space of output folders for the GUI thread, read on a worker and cached. A reading gives at
// once the last value known for the folder and asks the worker for a fresh one (one query per
// folder at a time): a sleeping or network disk never holds the GUI up, and a caller that reads
// on its own cadence (a play window every 300 ms, the download dialog every second) sees a value
// at most one query old. The queries run on a command worker (app/CommandWorker.h), which starts on
// the first query and is joined at process exit; what is still queued then is dropped.
//
// While a test has replaced the free-space query (Sys_SetFreeSpaceFunction), readings ask that
// query directly and at once, so tests that set a value read it back at once; a test of the
// cache itself turns that off with SetAnswerAtOnceWithReplacedQuery(false).
#pragma once

#include "app/CommandWorker.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <set>

class CFreeSpaceCache : public QObject {
    Q_OBJECT

public:
    // The most folders kept; the least recently read goes first.
    static constexpr int kMaxFolders = 32;

    struct Reading {
        bool known = false;  // a query has answered for the folder (false: none yet)
        bool ok = false;     // that query could ask the folder's volume
        quint64 freeBytes = 0;
    };

    static CFreeSpaceCache* Instance();

    // The last value read for `folder`, never waiting for the disk; asks for a fresh one.
    Reading Read(const QString& folder);
    // Asks for a fresh value without reading (a caller that will read soon).
    void Refresh(const QString& folder);
    // The last value read for `folder`, without asking for a fresh one (for a receiver of
    // Answered, which would otherwise ask again and again).
    Reading Peek(const QString& folder);

    // Tests: see above (on by default).
    static void SetAnswerAtOnceWithReplacedQuery(bool atOnce);
    // Tests: waits until no query is pending or running; false after `timeout_ms`.
    bool WaitIdle(int timeout_ms);

    ~CFreeSpaceCache() override;

signals:
    // A query for `folder` has answered (emitted on the worker; connect queued or automatic).
    void Answered(const QString& folder);

private:
    CFreeSpaceCache() = default;
    bool AnswerAtOnce() const;
    // With the lock held; true when a query was queued and the worker must be given a command
    // for it, after the lock is let go (with no thread to be had, Post carries it out at once).
    bool Ask(const QString& folder);
    // A command on the worker: asks the folder first in the queue, if any is left.
    void AskNext();

    std::mutex m_lock;
    std::map<QString, Reading> m_values;
    std::map<QString, std::uint64_t> m_lastRead;  // folder -> read counter, for the eviction
    std::uint64_t m_reads = 0;
    std::deque<QString> m_queue;  // never more folders than commands queued on the worker
    std::set<QString> m_pending;  // queued or being asked
    bool m_stop = false;
    // Last, so it goes first: its commands use all of the above.
    Varpen::CCommandWorker m_worker;
};
