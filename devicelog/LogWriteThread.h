// Writes the rows of the log list to an XML file on a thread of its own: "LogTypes" holding
// "Logs" holding one "Log" per row with an element per column (the parameter column left out).
// The rows are copied from the list's model when the job is set, on the caller's thread, so the
// writer never touches the GUI's model. The file is written whole or not at all: an existing file
// of that name stays as it was when the export fails.
#pragma once

#include <QString>
#include <QStringList>
#include <QThread>
#include <QVector>

#include <atomic>

class QAbstractItemModel;

class CLogWriteThread : public QThread {
    Q_OBJECT

public:
    enum Result { OpenFailed = 0, Written = 1, WriteFailed = 2 };

    explicit CLogWriteThread(QObject* parent = nullptr);
    // Waits for a running export.
    ~CLogWriteThread() override;

    // Takes the file name and a copy of the model's display texts; `type` has no effect.
    void SetParam(const QString& fileName, int type, const QAbstractItemModel* model);
    void SetRows(const QString& fileName, const QVector<QStringList>& rows);
    // Ends a running export before its next row: nothing is written under the file's name, and
    // the result is WriteFailed.
    void Stop() { m_stop = true; }

    // The element name of each column of the log list.
    static QString ColumnElement(int column);
    // The file name an export uses for what the operator typed: ".xml" added unless it ends so.
    static QString BackupFileName(const QString& typed);
    // `text` with the characters XML 1.0 cannot hold replaced by U+FFFD.
    static QString XmlSafe(const QString& text);

signals:
    void SendWriteOver(int result);

protected:
    void run() override;

private:
    QString m_fileName;
    QVector<QStringList> m_rows;
    std::atomic<bool> m_stop{false};
};
