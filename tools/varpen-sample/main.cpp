// varpen-sample: writes sample recordings for tests and the demo.
//   varpen-sample folder OUT [options]   a local recording folder
//   varpen-sample broken OUT             a set of damaged folders
#include <QGuiApplication>
#include <QTextStream>

#include <cstdlib>
#include <ctime>

extern "C" {
#include <libavutil/log.h>
}

#include "tools/varpen-sample/Commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const QStringList& args);
    const char* help;
};

const Command kCommands[] = {
    {"folder", &RunFolderCommand, "folder OUT [options]   write a local recording folder (--help for options)"},
    {"broken", &RunBrokenCommand, "broken OUT             write a set of damaged recording folders"},
    {"disk", &RunDiskCommand, "disk OUT.img [options] write a recorder-disk image (--help for options)"},
};

}  // namespace

int main(int argc, char** argv)
{
    // Pictures are drawn off screen; no display is needed.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    tzset();
    av_log_set_level(AV_LOG_ERROR);
    QGuiApplication app(argc, argv);
    QStringList args = app.arguments();
    args.removeFirst();
    QTextStream err(stderr);
    if (!args.isEmpty()) {
        const QString name = args.takeFirst();
        for (const Command& c : kCommands)
            if (name == QLatin1String(c.name))
                return c.run(args);
        err << "varpen-sample: unknown command " << name << "\n";
    }
    err << "usage:\n";
    for (const Command& c : kCommands)
        err << "  varpen-sample " << c.help << "\n";
    return 2;
}
