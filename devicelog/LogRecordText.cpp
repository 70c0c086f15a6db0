#include "devicelog/LogRecordText.h"

#include "app/CommonUtil.h"
#include "devicelog/LogTrans.h"

#include <cstdio>
#include <cstring>

namespace {

QByteArray Field(const char* field, std::size_t bytes) { return QByteArray(field, qsizetype(strnlen(field, bytes))); }

bool IsRecordTime(const QByteArray& text)
{
    if (text.size() != 14)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    return true;
}

} // namespace

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

QString EscapeControlCharacters(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == '\\')
            out += QLatin1String("\\\\");
        else if (u == '\t')
            out += QLatin1String("\\t");
        else if (u == '\n')
            out += QLatin1String("\\n");
        else if (u == '\r')
            out += QLatin1String("\\r");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QStringList LogRowTexts(const DR_LogRecord& record, int number)
{
    const CLogTrans trans;
    QStringList row;
    row.reserve(LogColumnCount);
    row << QString::number(number);

    const QByteArray time = Field(record.time, sizeof record.time);
    row << (IsRecordTime(time) ? trans.TransTime(time.constData()) : EscapeControlCharacters(QString::fromLatin1(time)));

    // A code without a text shows its number, never an empty cell.
    const QString major = trans.TransMajorType(record.major_type);
    row << (major.isEmpty() ? QString::number(record.major_type) : major);
    const QString minor = trans.TransMinorType(record.minor_type);
    row << (minor.isEmpty() ? QStringLiteral("0x") + QString::number(record.minor_type, 16).toUpper() : minor);

    row << EscapeControlCharacters(CCommonUtil::LocalToQString(Field(record.local_operator, sizeof record.local_operator)));
    row << EscapeControlCharacters(CCommonUtil::LocalToQString(Field(record.remote_operator, sizeof record.remote_operator)));
    row << FormatIpv4(record.remote_host);

    // One character of the low 16 bits; nothing for 0 or half a surrogate pair.
    const QChar parameter(char16_t(record.parameter_type & 0xffffu));
    row << (parameter.isNull() || parameter.isSurrogate() ? QString() : EscapeControlCharacters(QString(parameter)));

    row << QString::number(record.channel) << QString::number(record.disk) << QString::number(record.alarm_input)
        << QString::number(record.alarm_output);
    return row;
}
