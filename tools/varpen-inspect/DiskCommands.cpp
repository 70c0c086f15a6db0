// The machine's disks and the device logs of a recorder disk.
#include "tools/varpen-inspect/Inspect.h"

#include "app/CommonUtil.h"
#include "engine/DiskDevices.h"
#include "engine/LocalIndex.h"
#include "engine/Records.h"
#include "platform/diskrec/DiskTime.h"
#include "platform/diskrec/diskrec.h"
#include "platform/system/system.h"

#include <QByteArray>

#include <cstring>
#include <vector>

namespace {

// A fixed-size text field of a log record: up to its first NUL or its end, control characters
// escaped so that a field never splits a line.
QString FieldText(const char* field, std::size_t size_bytes)
{
    return CCommonUtil::EscapeControlChars(
        CCommonUtil::LocalToQString(QByteArray(field, int(strnlen(field, size_bytes)))));
}

// "YYYYMMDDhhmmss" as "yyyy-MM-dd hh:mm:ss"; anything else as it stands.
QString LogTime(const DR_LogRecord& record)
{
    const QString text = FieldText(record.time, sizeof record.time);
    const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyyMMddhhmmss"));
    return t.isValid() ? t.toString(QStringLiteral("yyyy-MM-dd hh:mm:ss")) : text;
}

QString HostText(uint32_t host)
{
    return QStringLiteral("%1.%2.%3.%4")
        .arg(host >> 24)
        .arg((host >> 16) & 0xFF)
        .arg((host >> 8) & 0xFF)
        .arg(host & 0xFF);
}

}  // namespace

// disks: NUMBER<TAB>PATH<TAB>VOLUMES (mount points or folders, comma-separated).
int RunDisksCommand(const QStringList& args)
{
    if (!args.isEmpty()) {
        return Inspect::Fail(QStringLiteral("disks takes no arguments"));
    }
    CDiskDevices devices;
    QStringList paths;
    std::vector<unsigned int> numbers;
    if (devices.EnumDiskInterfaces(&paths) < 0 || devices.GetDiskNumbers(&numbers) < 0) {
        return Inspect::Fail(QStringLiteral("the disk list cannot be read"));
    }
    for (std::size_t i = 0; i < numbers.size() && i < std::size_t(paths.size()); ++i) {
        QStringList volumes;
        devices.GetDriveLetters(numbers[i], &volumes);
        Inspect::Print(
            QStringLiteral("%1\t%2\t%3").arg(numbers[i]).arg(paths.at(int(i)), volumes.join(QLatin1Char(','))));
    }
    return 0;
}

// logs SOURCE FROM TO [--major M] [--minor N]: the raw fields of each matching log record:
// TIME MAJOR MINOR LOCAL_OPERATOR REMOTE_OPERATOR REMOTE_HOST PARAMETER CHANNEL DISK ALARM_IN
// ALARM_OUT, tab-separated.
int RunLogsCommand(const QStringList& given)
{
    QStringList args = given;
    bool ok_major = true;
    bool ok_minor = true;
    const std::optional<QString> major_text = Inspect::TakeOption(args, QStringLiteral("--major"), ok_major);
    const std::optional<QString> minor_text = Inspect::TakeOption(args, QStringLiteral("--minor"), ok_minor);
    if (!ok_major || !ok_minor || args.size() != 3) {
        return Inspect::Fail(QStringLiteral("usage: logs SOURCE FROM TO [--major M] [--minor N]"));
    }
    const std::optional<int> major = major_text ? Inspect::ParseInt(*major_text) : std::optional<int>(0);
    const std::optional<int> minor = minor_text ? Inspect::ParseInt(*minor_text) : std::optional<int>(0);
    if (!major || !minor) {
        return Inspect::Fail(QStringLiteral("--major and --minor take a number"));
    }
    const std::optional<time_t> from = Inspect::ParseTime(args.at(1));
    const std::optional<time_t> to = Inspect::ParseTime(args.at(2));
    if (!from || !to) {
        return Inspect::Fail(QStringLiteral("times are \"yyyy-MM-dd hh:mm:ss\""));
    }
    if (*to < *from) {
        return Inspect::Fail(QStringLiteral("the end time is before the start time"));
    }
    const QByteArray source = QByteArray::fromStdString(Varpen::PathToBytes(args.at(0)));
    const DR_DateTime start = ToDiskTime(Varpen::BreakTime(*from));
    const DR_DateTime end = ToDiskTime(Varpen::BreakTime(*to));
    const int handle = DR_FILE_FindLog(source.constData(), 3, *major, *minor, &start, &end);
    if (handle < 0) {
        return Inspect::Fail(
            QStringLiteral("no device log can be read on %1 (error %2)").arg(args.at(0)).arg(DR_FILE_GetLastError()));
    }
    DR_LogRecord record{};
    long long shown = 0;
    while (DR_FILE_FindNextLog(handle, &record) == 1) {
        ++shown;
        Inspect::Print(QStringLiteral("%1\t%2\t%3\t%4\t%5\t%6\t%7\t%8\t%9\t%10\t%11")
                           .arg(LogTime(record))
                           .arg(record.major_type)
                           .arg(record.minor_type)
                           .arg(FieldText(record.local_operator, sizeof record.local_operator),
                                FieldText(record.remote_operator, sizeof record.remote_operator),
                                HostText(record.remote_host))
                           .arg(record.parameter_type)
                           .arg(record.channel)
                           .arg(record.disk)
                           .arg(record.alarm_input)
                           .arg(record.alarm_output));
    }
    const bool cut = DR_FILE_GetLastError() == DR_ERR_READ;
    DR_FILE_FindLogClose(handle);
    if (cut) {
        return Inspect::Fail(QStringLiteral("the device log of %1 ends early: it could be read only up to record %2")
                                 .arg(args.at(0))
                                 .arg(shown));
    }
    return 0;
}
