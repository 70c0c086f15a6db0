// The twelve texts of a device-log row, decoded from the 68-byte record of the recorder's disk.
// A record is untrusted input: every text field is read within its own bytes, whether or not it
// carries a terminator, and control characters are shown escaped.
#pragma once

#include "platform/diskrec/diskrec.h"

#include <QString>
#include <QStringList>

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

// Control characters (below 0x20, DEL, C1) as "\t", "\n", "\r" or "\xNN", a backslash doubled; the
// rest unchanged. A TAB or newline inside an operator's name can then never split a row.
QString EscapeControlCharacters(const QString& text);

// The texts of one row; `number` is the running number shown in column 0.
QStringList LogRowTexts(const DR_LogRecord& record, int number);
