// Makes small sample recordings at test time with the varpen-sample tool of the build tree.
#pragma once

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include "tests/support/ChildRun.h"

namespace SampleRun {

inline QString Tool(const QString& name)
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR", QDir::currentPath()) + "/bin/" + name;
}

// `varpen-sample folder OUT args...`; the manifest it writes, or an empty object on failure.
inline QJsonObject Folder(const QString& out, const QStringList& args)
{
    if (!RunChild(Tool("varpen-sample"), QStringList{"folder", out} + args, 120000).Ok()) {
        qWarning() << "varpen-sample failed";
        return {};
    }
    QFile f(out + "/manifest.json");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(f.readAll()).object();
}

// A run of a tool of the build tree: its exit code (-1 when it did not end in time, -2 when it
// crashed) and its output.
struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    QStringList Lines() const { return QString::fromUtf8(out).split('\n', Qt::SkipEmptyParts); }
};

inline ToolRun RunTool(const QString& name, const QStringList& args, int timeout_ms)
{
    const ChildResult c = RunChild(Tool(name), args, timeout_ms);
    ToolRun r;
    if (!c.finished)
        return r;
    r.exitCode = c.crashed ? -2 : c.exitCode;
    r.out = c.out;
    r.err = c.err;
    return r;
}

// A time as the tools take it on their command line (local time).
inline QString TimeText(qint64 t)
{
    return QDateTime::fromSecsSinceEpoch(t).toString("yyyy-MM-dd hh:mm:ss");
}

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace SampleRun
