// The feeder of the download table: turns the files found for one play window into table rows
// on a thread of its own, one row at a time. Each row is handed to the GUI thread by
// SignalSendItems; the next one is built only after the owner has appended it and called
// OnStartNow, so exactly one row is ever in flight. Destroying the feeder releases the wait and
// joins the thread: the remaining rows are then sent without waiting.
#pragma once

#include <QList>
#include <QMutex>
#include <QStandardItem>
#include <QThread>
#include <QWaitCondition>

#include "engine/Records.h"

class CDataDistributionThread : public QThread {
    Q_OBJECT
public:
    // Column 0 of a row: the file's size (bytes) and its position in the list handed in.
    static constexpr int kSizeRole = 146;
    static constexpr int kPositionRole = 147;
    enum Column { kIndexColumn, kStartColumn, kEndColumn, kSizeColumn, kStatusColumn, kColumnCount };

    CDataDistributionThread(const Varpen::SingleFileList& files, QObject* parent = nullptr);
    ~CDataDistributionThread() override;

    // Starts the thread when it is not running.
    void Start();
    // The owner no longer answers: the worker stops waiting for OnStartNow.
    void ReleaseWait();

    // The row of the file at position `index` (new items, owned by the caller).
    static QList<QStandardItem*> MakeRow(const Varpen::CSingleFile& file, int index);
    static QString TimeText(time_t t);

signals:
    void SignalSendItems(const QList<QStandardItem*>& listItems);
    void SignalProgressChanged(int current, int total);
    void SendFinished();

public slots:
    // The owner has appended the row in flight.
    void OnStartNow();

protected:
    void run() override;

private:
    QWaitCondition m_wait;
    bool m_released = false;  // under m_lock
    int m_sent = 0;           // rows sent, under m_lock
    int m_taken = 0;          // rows the owner has acknowledged, under m_lock
    QMutex m_lock;
    Varpen::SingleFileList m_files;
};
