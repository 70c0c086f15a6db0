#include "tools/varpen-inspect/Inspect.h"

#include "engine/LocalIndex.h"

#include <cstdio>

namespace Inspect {

int Fail(const QString& message) {
  QString line = message;
  line.replace(QLatin1Char('\n'), QLatin1Char(' '));
  std::fprintf(stderr, "varpen-inspect: %s\n", line.toUtf8().constData());
  return 1;
}

void Print(const QString& line) {
  const QByteArray bytes = line.toUtf8();
  std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
  std::fputc('\n', stdout);
}

std::optional<time_t> ParseTime(const QString& text) {
  const QDateTime t = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
  if (!t.isValid()) {
    return std::nullopt;
  }
  return time_t(t.toSecsSinceEpoch());
}

QString FormatTime(time_t t) {
  return QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

std::optional<QDate> ParseMonth(const QString& text) {
  const QDate d = QDate::fromString(text + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
  if (!d.isValid() || text.size() != 7) {
    return std::nullopt;
  }
  return d;
}

std::optional<int> ParseInt(const QString& text) {
  bool ok = false;
  const int v = text.toInt(&ok);
  return ok ? std::optional<int>(v) : std::nullopt;
}

std::optional<QString> TakeOption(QStringList& args, const QString& name, bool& ok) {
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

bool IsLocalSource(const QString& source) { return Varpen::IsLocalRecordingFolder(source.toStdString()); }

}  // namespace Inspect
