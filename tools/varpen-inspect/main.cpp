// varpen-inspect COMMAND ARGS...: runs one engine query and prints its result as UTF-8,
// tab-separated text. Exit 0 on success, 1 with a one-line message on stderr otherwise.
#include "tools/varpen-inspect/Inspect.h"

#include "engine/LocalIndex.h"

#include <QApplication>

#include <cstdlib>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

// One entry per command; command groups add theirs here.
const Inspect::Command kCommands[] = {
    {"disks", "disks", RunDisksCommand},
    {"channels", "channels SOURCE [--month YYYY-MM]", RunChannelsCommand},
    {"days", "days SOURCE GROUP NUMBER YYYY-MM", RunDaysCommand},
    {"files", "files SOURCE GROUP NUMBER FROM TO [--type T]", RunFilesCommand},
    {"stream", "stream SOURCE GROUP NUMBER TIME > out.bin", RunStreamCommand},
    {"logs", "logs SOURCE FROM TO [--major M] [--minor N]", RunLogsCommand},
    {"download", "download SOURCE GROUP NUMBER FROM TO OUTDIR [--by file|time]", RunDownloadCommand},
    {"play", "play SOURCE GROUP NUMBER FROM TO --at TIME [--speed L] [--seconds S] [--shot OUT]", RunPlayCommand},
    {"frame", "frame SOURCE GROUP NUMBER TIME OUT.png", RunFrameCommand},
};

// The engine's trace and the toolkit's warnings (e.g. about the session's runtime folder) stay out
// of the one-line error contract unless VARPEN_INSPECT_DEBUG asks for them.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type != QtCriticalMsg && type != QtFatalMsg) {
        return;
    }
    std::fprintf(stderr, "%s\n", message.toUtf8().constData());
}

int Usage()
{
    QString text = QStringLiteral("usage: varpen-inspect COMMAND ... (");
    for (std::size_t i = 0; i < std::size(kCommands); ++i) {
        text += (i ? QStringLiteral(" | ") : QString()) + QString::fromLatin1(kCommands[i].usage);
    }
    return Inspect::Fail(text + QLatin1Char(')'));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("VARPEN_INSPECT_DEBUG")) {
        qInstallMessageHandler(QuietMessages);
    }
    // Playback commands paint into offscreen video surfaces; no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // Arguments as the file system's bytes: a folder whose name is not UTF-8 still opens.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << Varpen::PathFromBytes(argv[i]);
    if (args.isEmpty()) {
        return Usage();
    }
    const QString name = args.takeFirst();
    for (const Inspect::Command& command : kCommands) {
        if (name == QLatin1String(command.name)) {
            return command.run(args);
        }
    }
    return Usage();
}
