// Recording files broken the ways a damaged or half-copied disk breaks them, made at test time
// from a good file: "empty", "missing", "unreadable" (mode 000; a folder in its place when the
// tests run as root, who reads any file) or "fifo" (a FIFO that never delivers).
#pragma once

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <sys/stat.h>
#include <unistd.h>

inline const char* const kBrokenFileKinds[] = {"empty", "missing", "unreadable", "fifo"};

// Replaces the file at `path` by one of the kinds above; false when it could not.
inline bool BreakFile(const QString& path, const QString& kind)
{
    if (!QFile::remove(path))
        return false;
    if (kind == QLatin1String("missing"))
        return true;
    if (kind == QLatin1String("empty"))
        return QFile(path).open(QIODevice::WriteOnly);
    if (kind == QLatin1String("fifo"))
        return ::mkfifo(path.toLocal8Bit().constData(), 0644) == 0;
    if (kind == QLatin1String("unreadable")) {
        if (::geteuid() == 0)
            return QDir().mkdir(path);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(QByteArray(4096, 'x')) != 4096)
            return false;
        file.close();
        return file.setPermissions(QFileDevice::Permissions());
    }
    return false;
}

// Copies every file under `from` (hidden ones too) to the same place under `to`.
inline bool CopyFolder(const QString& from, const QString& to)
{
    QDirIterator it(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString target = to + source.mid(from.size());
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(source, target))
            return false;
    }
    return true;
}
