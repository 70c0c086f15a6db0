#include "devicelog/LogRows.h"

#include "devicelog/LogRecordText.h"

#include <QHashFunctions>

#include <algorithm>
#include <cstring>

namespace {

// Shared texts kept between batches; beyond this many (a log of ever new operators) the memory
// starts anew, and texts are shared within a batch only.
constexpr int kMaxSharedTexts = 8192;

}  // namespace

QString LogRowBatch::Text(const LogRow& row, int column) const
{
    switch (column) {
    case LogColumnId:
        return QString::number(row.number);
    case LogColumnTime:
        if (row.time & LogRow::kTimeIsText)
            return texts.value(qsizetype(row.time & ~LogRow::kTimeIsText));
        return LogPackedTimeText(std::int64_t(row.time));
    case LogColumnMajor:
        return texts.value(row.major);
    case LogColumnMinor:
        return texts.value(row.minor);
    case LogColumnLocalOperator:
        return texts.value(row.localOperator);
    case LogColumnRemoteOperator:
        return texts.value(row.remoteOperator);
    case LogColumnRemoteHost:
        return FormatIpv4(row.host);
    case LogColumnParameter:
        return LogParameterText(row.parameter);
    case LogColumnChannel:
        return QString::number(row.channel);
    case LogColumnDisk:
        return QString::number(row.disk);
    case LogColumnAlarmInput:
        return QString::number(row.alarmInput);
    case LogColumnAlarmOutput:
        return QString::number(row.alarmOutput);
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------------

void CLogRowList::Append(const LogBatch& batch)
{
    if (!batch || batch->rows.empty())
        return;
    d->batches.append(batch);
    d->count += int(batch->rows.size());
    d->ends.append(d->count);
}

void CLogRowList::Clear()
{
    // A snapshot keeps its rows; this list starts empty.
    d = new Data;
}

QString CLogRowList::Text(int row, int column) const
{
    if (row < 0 || row >= d->count)
        return {};
    const auto end = std::upper_bound(d->ends.cbegin(), d->ends.cend(), row);
    const qsizetype batch = end - d->ends.cbegin();
    const int first = batch == 0 ? 0 : d->ends[batch - 1];
    const LogRowBatch& rows = *d->batches[batch];
    return rows.Text(rows.rows[size_t(row - first)], column);
}

// ---------------------------------------------------------------------------------------------

bool LogRowBuilder::Key::operator==(const Key& other) const
{
    return kind == other.kind && std::memcmp(bytes, other.bytes, sizeof bytes) == 0;
}

size_t qHash(const LogRowBuilder::Key& key, size_t seed)
{
    return qHashBits(&key, sizeof key, seed);
}

template <typename Make>
std::uint32_t LogRowBuilder::Intern(LogRowBatch& batch, const Key& key, Make make)
{
    Shared& shared = m_shared[key];
    if (shared.batch < 0)
        shared.text = make();
    if (shared.batch != m_batch) {
        shared.batch = m_batch;
        shared.index = std::uint32_t(batch.texts.size());
        batch.texts.append(shared.text);
    }
    return shared.index;
}

LogBatch LogRowBuilder::Build(const DR_LogRecord* records, int count, int firstNumber)
{
    ++m_batch;
    if (m_shared.size() > kMaxSharedTexts)
        m_shared.clear();
    auto batch = std::make_shared<LogRowBatch>();
    batch->rows.reserve(size_t(std::max(count, 0)));
    const auto codeKey = [](char kind, std::uint32_t code) {
        Key key;
        key.kind = kind;
        std::memcpy(key.bytes, &code, sizeof code);
        return key;
    };
    const auto fieldKey = [](char kind, const char(&field)[16]) {
        Key key;
        key.kind = kind;
        // The bytes after a terminator play no part in the text.
        std::memcpy(key.bytes, field, strnlen(field, sizeof field));
        return key;
    };
    for (int i = 0; i < count; ++i) {
        const DR_LogRecord& record = records[i];
        LogRow row;
        row.number = std::uint32_t(firstNumber + i);
        const std::int64_t packed = LogPackedTime(record);
        row.time = packed >= 0 ? std::uint64_t(packed)
                               : LogRow::kTimeIsText |
                                     Intern(*batch, fieldKey('t', record.time), [&] { return LogTimeText(record); });
        row.major = Intern(*batch, codeKey('M', record.major_type), [&] { return LogMajorText(record.major_type); });
        row.minor = Intern(*batch, codeKey('m', record.minor_type), [&] { return LogMinorText(record.minor_type); });
        row.localOperator = Intern(*batch, fieldKey('o', record.local_operator), [&] {
            return LogOperatorText(record.local_operator, sizeof record.local_operator);
        });
        row.remoteOperator = Intern(*batch, fieldKey('o', record.remote_operator), [&] {
            return LogOperatorText(record.remote_operator, sizeof record.remote_operator);
        });
        row.host = record.remote_host;
        row.parameter = std::uint16_t(record.parameter_type & 0xffffu);
        row.channel = record.channel;
        row.disk = record.disk;
        row.alarmInput = record.alarm_input;
        row.alarmOutput = record.alarm_output;
        batch->rows.push_back(row);
    }
    return batch;
}
