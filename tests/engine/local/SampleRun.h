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

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace SampleRun
