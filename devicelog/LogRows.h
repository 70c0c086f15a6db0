// The rows of the log list, kept compact: each row holds its record's codes, numbers and time as
// they are, and refers to its texts (types, operators) in a list that the rows of its batch
// share; equal texts of different batches share their characters. A cell's text is made when it
// is asked for, the same text LogRowTexts gives for the record.
//
// A batch never changes once built, so batches cross threads freely. CLogRowList, the list of
// every batch of a query, is implicitly shared: a copy is taken in constant time and is a
// snapshot that later appends and clears of the original never reach.
#pragma once

#include "platform/diskrec/diskrec.h"

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSharedData>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

struct LogRow {
    // The 14 digits of the record's time as a number, or kTimeIsText with the index of its text.
    std::uint64_t time = 0;
    std::uint32_t number = 0;  // running number within the query (column 0)
    std::uint32_t host = 0;
    // Indexes into the batch's texts.
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
    std::uint32_t localOperator = 0;
    std::uint32_t remoteOperator = 0;
    std::uint16_t parameter = 0;  // the low 16 bits the column shows
    std::uint8_t channel = 0;
    std::uint8_t disk = 0;
    std::uint8_t alarmInput = 0;
    std::uint8_t alarmOutput = 0;

    static constexpr std::uint64_t kTimeIsText = std::uint64_t(1) << 63;
};

struct LogRowBatch {
    std::vector<LogRow> rows;
    QList<QString> texts;

    // The text of one cell.
    QString Text(const LogRow& row, int column) const;
};

// A batch as it is handed over: built once, then only read.
using LogBatch = std::shared_ptr<const LogRowBatch>;
Q_DECLARE_METATYPE(LogBatch)

class CLogRowList {
public:
    int Count() const { return d->count; }
    bool IsEmpty() const { return d->count == 0; }
    void Append(const LogBatch& batch);
    void Clear();
    // The text of a cell; empty outside the list.
    QString Text(int row, int column) const;
    const QList<LogBatch>& Batches() const { return d->batches; }

private:
    struct Data : QSharedData {
        QList<LogBatch> batches;
        QList<int> ends;  // rows in the batches up to and including each one
        int count = 0;
    };
    QSharedDataPointer<Data> d{new Data};
};

// Turns records into batches on the search thread, one query at a time: a text met before is
// shared, not made again.
class LogRowBuilder {
public:
    // The rows of `count` records, numbered from `firstNumber` on.
    LogBatch Build(const DR_LogRecord* records, int count, int firstNumber);

    struct Key {
        char kind = 0;
        char bytes[16] = {};
        bool operator==(const Key& other) const;
    };

private:
    struct Shared {
        QString text;
        int batch = -1;           // the last batch that listed the text
        std::uint32_t index = 0;  // its position in that batch's texts
    };
    template <typename Make>
    std::uint32_t Intern(LogRowBatch& batch, const Key& key, Make make);

    QHash<Key, Shared> m_shared;
    int m_batch = 0;
};

size_t qHash(const LogRowBuilder::Key& key, size_t seed = 0);
