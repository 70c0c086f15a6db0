// What the benchmarks' mains share: the offscreen platform unless one is chosen, the program's
// own messages kept out of the figures, options given as numbers, and an event loop that runs
// for a while.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QStringList>
#include <QThread>

namespace Bench {

// Call before the application object is made.
inline void UseOffscreenUnlessChosen()
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

inline void SilenceMessages()
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
}

// The numbers after `name` ("--windows 4,16"), or `fallback` when the option is not given.
inline QList<int> IntList(const QStringList& args, const QString& name, QList<int> fallback)
{
    const qsizetype at = args.indexOf(name);
    if (at <= 0 || at + 1 >= args.size())
        return fallback;
    QList<int> out;
    for (const QString& s : args[at + 1].split(QLatin1Char(',')))
        out.push_back(s.toInt());
    return out;
}

// Runs the event loop for `ms` milliseconds.
inline void Spin(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

}  // namespace Bench
