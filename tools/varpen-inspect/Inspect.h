// varpen-inspect: a command-line front end to the engine's own classes. Each command group lives
// in its own source file and is listed in the dispatcher table of main.cpp.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <ctime>
#include <optional>

namespace Inspect {

// A command takes the arguments after its name and returns the process exit code.
using CommandFn = int (*)(const QStringList& args);

struct Command {
    const char* name;
    const char* usage;
    CommandFn run;
};

// Writes "varpen-inspect: <message>" as one line to stderr and returns 1.
int Fail(const QString& message);
// Writes UTF-8 text to stdout.
void Print(const QString& line);

// "yyyy-MM-dd hh:mm:ss" in local time.
std::optional<time_t> ParseTime(const QString& text);
QString FormatTime(time_t t);
// "yyyy-MM": the first day of that month.
std::optional<QDate> ParseMonth(const QString& text);
std::optional<int> ParseInt(const QString& text);

// Removes "--name VALUE" from `args`; the value, or nullopt when the option is absent. `ok` is
// false when the option has no value.
std::optional<QString> TakeOption(QStringList& args, const QString& name, bool& ok);

// Whether SOURCE is a local recording folder (read through its index files) rather than a
// recorder disk or image.
bool IsLocalSource(const QString& source);

}  // namespace Inspect

// Recording commands (RecordingCommands.cpp).
int RunChannelsCommand(const QStringList& args);
int RunDaysCommand(const QStringList& args);
int RunFilesCommand(const QStringList& args);
int RunStreamCommand(const QStringList& args);

// Download command (DownloadCommand.cpp).
int RunDownloadCommand(const QStringList& args);

// Disk commands (DiskCommands.cpp).
int RunDisksCommand(const QStringList& args);
int RunLogsCommand(const QStringList& args);

// Playback commands (PlayCommands.cpp).
int RunPlayCommand(const QStringList& args);
int RunFrameCommand(const QStringList& args);
