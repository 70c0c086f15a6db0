// Writes the rows of the log list to an XML file on a thread of its own: "LogTypes" holding
// "Logs" holding one "Log" per row with an element per column (the parameter column left out),
// indented as an auto-formatting XML writer does. The writer takes the list as it stands, a
// snapshot made in constant time: the rows are never copied, and later changes of the list do not
// reach the file. Each row is written in one pass. The file is written whole or not at all: an
// existing file of that name stays as it was when the export fails.
#pragma once

#include "devicelog/LogRows.h"

#include <QString>
#include <QThread>

#include <atomic>
#include <functional>

class QIODevice;

class CLogWriteThread : public QThread {
    Q_OBJECT

public:
    enum Result { OpenFailed = 0, Written = 1, WriteFailed = 2 };

    explicit CLogWriteThread(QObject* parent = nullptr);
    // Waits for a running export.
    ~CLogWriteThread() override;

    // Takes the file name and a snapshot of the rows; `type` has no effect.
    void SetParam(const QString& fileName, int type, const CLogRowList& rows);
    // Ends a running export before its next block of rows: nothing is written under the file's
    // name, and the result is WriteFailed.
    void Stop() { m_stop = true; }

    // The element name of each column of the log list.
    static QString ColumnElement(int column);
    // The file name an export uses for what the operator typed: ".xml" added unless it ends so.
    static QString BackupFileName(const QString& typed);
    // `text` with the characters XML 1.0 cannot hold replaced by U+FFFD.
    static QString XmlSafe(const QString& text);
    // The document of `rows` to `out`, a block at a time; `progress` (may be empty) is told the rows
    // written after each block, and ends the document there when it answers false. False when a
    // block could not be written or the document was ended early.
    static bool WriteDocument(QIODevice& out, const CLogRowList& rows, const std::function<bool(int)>& progress);

signals:
    void SendWriteOver(int result);
    // Now and then during a write: the rows written so far and the rows to write. The end of the
    // write is told by SendWriteOver only.
    void SignalWriteProgress(int written, int total);

protected:
    void run() override;

private:
    QString m_fileName;
    CLogRowList m_rows;
    std::atomic<bool> m_stop{false};
};
