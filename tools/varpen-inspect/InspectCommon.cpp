#include "tools/varpen-inspect/Inspect.h"

#include "engine/LocalIndex.h"
#include "platform/rtk/LocalTime.h"

#include <QRegularExpression>

#include <cstdlib>

#include <cstdio>

namespace Inspect {

int Fail(const QString& message)
{
    QString line = message;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "varpen-inspect: %s\n", Varpen::PathToBytes(line).c_str());
    return 1;
}

void Print(const QString& line)
{
    const QByteArray bytes = QByteArray::fromStdString(Varpen::PathToBytes(line));  // paths as their bytes
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
}

std::optional<time_t> ParseTime(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch()) {
        return std::nullopt;
    }
    const rtk::LocalFields f{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(),
                             m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt()};
    if (!QDate(f.year, f.month, f.day).isValid() || !QTime(f.hour, f.minute, f.second).isValid()) {
        return std::nullopt;
    }
    // One conversion for every time: an hour the clock repeats means its first pass.
    rtk::LocalTimeKind kind = rtk::LocalTimeKind::Invalid;
    const std::int64_t t = rtk::LocalToTime(f, INT64_MIN, &kind);
    if (kind == rtk::LocalTimeKind::Skipped) {
        // Said at once: every command would otherwise answer with its usage line.
        Fail(QStringLiteral("%1: this local time does not exist (the clock skips it)").arg(text));
        std::exit(1);
    }
    if (t < 0) {
        return std::nullopt;
    }
    return time_t(t);
}

QString FormatTime(time_t t)
{
    rtk::LocalFields f;
    if (!rtk::TimeToLocal(t, &f))
        return QString();
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute, f.second);
}

std::optional<QDate> ParseMonth(const QString& text)
{
    const QDate d = QDate::fromString(text + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
    if (!d.isValid() || text.size() != 7) {
        return std::nullopt;
    }
    return d;
}

std::optional<int> ParseInt(const QString& text)
{
    bool ok = false;
    const int v = text.toInt(&ok);
    return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<QString> TakeOption(QStringList& args, const QString& name, bool& ok)
{
    ok = true;
    const int at = args.indexOf(name);
    if (at < 0) {
        return std::nullopt;
    }
    if (at + 1 >= args.size()) {
        ok = false;
        return std::nullopt;
    }
    const QString value = args.at(at + 1);
    args.remove(at, 2);
    return value;
}

bool IsLocalSource(const QString& source)
{
    return Varpen::IsLocalRecordingFolder(Varpen::PathToBytes(source));
}

}  // namespace Inspect
