// Runs the programs of the build tree as child processes. A child that crashed, did not end in
// time, was stopped by a sanitizer or wrote a sanitizer's report has its error output printed,
// so the test that fails because of it shows why (the report is in that output).
#pragma once

#include <QByteArray>
#include <QDebug>
#include <QProcess>
#include <QString>
#include <QStringList>

struct ChildResult {
    bool finished = false;  // ended within the time given
    bool crashed = false;   // ended by a signal (an abort, a crash)
    int exitCode = -1;      // when it ended normally
    QByteArray out;
    QByteArray err;

    bool Ok() const { return finished && !crashed && exitCode == 0; }
};

// The exit code of a child that ThreadSanitizer stopped.
constexpr int kSanitizerExitCode = 66;

inline bool HasSanitizerReport(const QByteArray& err)
{
    return err.contains("WARNING: ThreadSanitizer") || err.contains("ERROR: AddressSanitizer") ||
           err.contains("ERROR: LeakSanitizer") || err.contains(": runtime error: ");
}

// Waits for a started child (killed when it has not ended within `timeout_ms`) and takes its
// output; read it from here, not from the process.
inline ChildResult FinishChild(QProcess& process, int timeout_ms)
{
    ChildResult r;
    r.finished = process.waitForFinished(timeout_ms);
    const bool started = process.error() != QProcess::FailedToStart;
    if (!r.finished && started) {
        process.kill();
        process.waitForFinished();
    }
    r.crashed = process.exitStatus() != QProcess::NormalExit;
    r.exitCode = r.crashed ? -1 : process.exitCode();
    r.out = process.readAllStandardOutput();
    r.err = process.readAllStandardError();
    if (!r.finished || r.crashed || r.exitCode == kSanitizerExitCode || HasSanitizerReport(r.err)) {
        const QString how = !started      ? QStringLiteral("could not be started")
                            : !r.finished ? QStringLiteral("did not end within %1 ms").arg(timeout_ms)
                            : r.crashed   ? QStringLiteral("crashed")
                                          : QStringLiteral("exited with %1").arg(r.exitCode);
        qWarning().noquote() << process.program() << process.arguments().join(QLatin1Char(' ')) << how
                             << "; its error output:\n"
                             << QString::fromLocal8Bit(r.err);
    }
    return r;
}

// Starts `program` with `args` (and `env` when given), waits for it, as FinishChild.
inline ChildResult RunChild(const QString& program, const QStringList& args, int timeout_ms,
                            const QProcessEnvironment& env = QProcessEnvironment())
{
    QProcess process;
    if (!env.isEmpty())
        process.setProcessEnvironment(env);
    process.start(program, args);
    return FinishChild(process, timeout_ms);
}
