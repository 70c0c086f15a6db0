// The log page's worker: for one query it reads every device-log record the recorder disk holds
// for a type filter and a time window, turns each into a row of the log list (a compact row,
// LogRows.h), and hands the rows over in batches of at most 500, waiting after each batch until
// the page has taken it.
#pragma once

#include "devicelog/LogRows.h"
#include "platform/diskrec/diskrec.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <atomic>
#include <cstdint>
#include <vector>

// A local date and time: year (four digits), month 1-12, day, hour, minute, second.
using LogSearchTime = DR_DateTime;
using LogRecord = DR_LogRecord;

// The search mode the log search always asks the disk library for.
constexpr std::uint8_t kLogSearchMode = 3;

struct LogSearchCondition {
    std::uint8_t mode = kLogSearchMode;
    std::int32_t major = -1;
    std::int32_t minor = -1;
    // The window's ends, held by value; an end that is not set leaves that side open.
    bool hasStart = false;
    bool hasEnd = false;
    LogSearchTime start{};
    LogSearchTime end{};

    void Init() { *this = LogSearchCondition(); }
};

class CLogSearch : public QThread {
    Q_OBJECT

public:
    static constexpr int kBatchRows = 500;
    // The most records one query keeps; a log beyond it is cut and the cut reported.
    static constexpr int kMaxRecords = 1000000;

    explicit CLogSearch(QObject* parent = nullptr);
    // Stops a running query and waits for it.
    ~CLogSearch() override;

    void SetDiskPath(const QByteArray& path);
    // Sets the next query and gives it its identity (QueryId); also clears the last query's stop.
    // Call it before each start().
    void SetCondition(const LogSearchCondition& condition);
    // False while no query has opened the disk's log; else a copy of the records being handed
    // over (empty once a query has finished).
    bool GetResult(std::vector<LogRecord>& records) const;
    // A stop was asked for the running query (cleared when the next query is set).
    bool StopAsked() const { return m_stopHandOver.load(); }
    // True when the last query found more records than it keeps.
    bool WasCut() const { return m_cut.load(); }
    // The identity of the query set last (running or run); each batch carries it. Identities are
    // unique in the process, so batches of a search object that was replaced never pass for
    // another's.
    int QueryId() const { return m_queryId.load(); }

public slots:
    // Ends the query: the reading stops after the current record, no further batch is sent.
    void StopSearch();
    // The page has taken the last batch: the next one may come.
    void ContinueSearch();

signals:
    // One batch: the rows, the rows handed over so far, the records found, and the query they
    // belong to.
    void SetLogInfoToView(LogBatch rows, int handedOver, int total, int queryId);
    // Nothing was found.
    void SetLogInfoNullToView();
    // The disk's log could not be read (no path, not a recorder disk, a read error); `error`
    // is the disk library's error number.
    void SetLogInfoErrorToView(int error);

protected:
    void run() override;

private:
    bool FindLogs(int* error);

    std::atomic<bool> m_stopReading{false};
    std::atomic<bool> m_stopHandOver{false};
    mutable QMutex m_mutex;
    QWaitCondition m_taken;
    int m_batchesSent = 0;   // under m_mutex
    int m_batchesTaken = 0;  // under m_mutex
    QByteArray m_diskPath;
    bool m_hasPath = false;
    LogSearchCondition m_condition;
    bool m_hasCondition = false;
    std::atomic<bool> m_hasResult{false};
    std::atomic<bool> m_cut{false};
    std::atomic<int> m_queryId{0};
    std::vector<LogRecord> m_records;  // written by the thread; copied under m_mutex
};
