#include "devicelog/LogRecordText.h"

#include "app/CommonUtil.h"
#include "devicelog/LogTrans.h"

#include <cstdio>
#include <cstring>

namespace {

QByteArray Field(const char* field, std::size_t bytes)
{
    return QByteArray(field, qsizetype(strnlen(field, bytes)));
}

bool IsRecordTime(const QByteArray& text)
{
    if (text.size() != 14)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

}  // namespace

void FormatIpv4(std::uint32_t address, char buffer[20])
{
    std::memset(buffer, 0, 20);
    std::snprintf(buffer, 20, "%u.%u.%u.%u", unsigned((address >> 24) & 0xffu), unsigned((address >> 16) & 0xffu),
                  unsigned((address >> 8) & 0xffu), unsigned(address & 0xffu));
}

QString FormatIpv4(std::uint32_t address)
{
    char buffer[20];
    FormatIpv4(address, buffer);
    return QString::fromLatin1(buffer);
}

QString LogTimeText(const DR_LogRecord& record)
{
    const QByteArray time = Field(record.time, sizeof record.time);
    return IsRecordTime(time) ? CLogTrans().TransTime(time.constData())
                              : CCommonUtil::EscapeControlChars(QString::fromLatin1(time));
}

// A code without a text shows its number, never an empty cell.
QString LogMajorText(std::uint32_t code)
{
    const QString text = CLogTrans().TransMajorType(code);
    return text.isEmpty() ? QString::number(code) : text;
}

QString LogMinorText(std::uint32_t code)
{
    const QString text = CLogTrans().TransMinorType(code);
    return text.isEmpty() ? QStringLiteral("0x") + QString::number(code, 16).toUpper() : text;
}

QString LogOperatorText(const char* field, std::size_t bytes)
{
    return CCommonUtil::EscapeControlChars(CCommonUtil::LocalToQString(Field(field, bytes)));
}

// One character of the low 16 bits; nothing for 0 or half a surrogate pair.
QString LogParameterText(std::uint32_t value)
{
    const QChar parameter(char16_t(value & 0xffffu));
    return parameter.isNull() || parameter.isSurrogate() ? QString()
                                                         : CCommonUtil::EscapeControlChars(QString(parameter));
}

std::int64_t LogPackedTime(const DR_LogRecord& record)
{
    if (strnlen(record.time, sizeof record.time) != 14)
        return -1;
    std::int64_t packed = 0;
    for (int i = 0; i < 14; ++i) {
        const char c = record.time[i];
        if (c < '0' || c > '9')
            return -1;
        packed = packed * 10 + (c - '0');
    }
    return packed;
}

void LogPackedTimeChars(std::int64_t packed, char out[19])
{
    // Digit positions in "YYYY-MM-DD hh:mm:ss", from the last.
    static const int kDigitAt[14] = {18, 17, 15, 14, 12, 11, 9, 8, 6, 5, 3, 2, 1, 0};
    out[4] = out[7] = '-';
    out[10] = ' ';
    out[13] = out[16] = ':';
    for (int i = 0; i < 14; ++i) {
        out[kDigitAt[i]] = char('0' + packed % 10);
        packed /= 10;
    }
}

QString LogPackedTimeText(std::int64_t packed)
{
    char text[19];
    LogPackedTimeChars(packed, text);
    return QString::fromLatin1(text, 19);
}

QStringList LogRowTexts(const DR_LogRecord& record, int number)
{
    QStringList row;
    row.reserve(LogColumnCount);
    row << QString::number(number) << LogTimeText(record) << LogMajorText(record.major_type)
        << LogMinorText(record.minor_type) << LogOperatorText(record.local_operator, sizeof record.local_operator)
        << LogOperatorText(record.remote_operator, sizeof record.remote_operator) << FormatIpv4(record.remote_host)
        << LogParameterText(record.parameter_type) << QString::number(record.channel) << QString::number(record.disk)
        << QString::number(record.alarm_input) << QString::number(record.alarm_output);
    return row;
}
