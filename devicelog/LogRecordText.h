// The twelve texts of a device-log row, decoded from the 68-byte record of the recorder's disk.
// A record is untrusted input: every text field is read within its own bytes, whether or not it
// carries a terminator, and control characters are shown escaped.
#pragma once

#include "platform/diskrec/diskrec.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// The columns of a log row.
enum LogColumn {
    LogColumnId = 0,
    LogColumnTime,
    LogColumnMajor,
    LogColumnMinor,
    LogColumnLocalOperator,
    LogColumnRemoteOperator,
    LogColumnRemoteHost,
    LogColumnParameter,
    LogColumnChannel,
    LogColumnDisk,
    LogColumnAlarmInput,
    LogColumnAlarmOutput,
    LogColumnCount
};

// Writes "%d.%d.%d.%d" of bits 31-24, 23-16, 15-8 and 7-0 into a zeroed 20-byte buffer.
void FormatIpv4(std::uint32_t address, char buffer[20]);
QString FormatIpv4(std::uint32_t address);

// The texts of one row; `number` is the running number shown in column 0.
QStringList LogRowTexts(const DR_LogRecord& record, int number);

// The texts of single columns, as LogRowTexts makes them.
QString LogTimeText(const DR_LogRecord& record);
QString LogMajorText(std::uint32_t code);
QString LogMinorText(std::uint32_t code);
// An operator field of `bytes` bytes, with or without its terminator.
QString LogOperatorText(const char* field, std::size_t bytes);
QString LogParameterText(std::uint32_t value);

// A record time of exactly 14 digits as the number they make; -1 for a time field that holds
// anything else (its text is then LogTimeText's escaped one).
std::int64_t LogPackedTime(const DR_LogRecord& record);
// "YYYY-MM-DD hh:mm:ss" of a packed time, the text LogTimeText gives that record.
QString LogPackedTimeText(std::int64_t packed);
// The same 19 characters into `out`.
void LogPackedTimeChars(std::int64_t packed, char out[19]);
