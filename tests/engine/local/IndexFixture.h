// Writes small local recording folders byte by byte for the index tests.
#pragma once

#include "tools/varpen-sample/LocalFolder.h"
#include "tests/support/WriteFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QtTest>

namespace IndexFixture {

inline QByteArray Index(const QList<QByteArray>& records, qint64 count = -1)
{
    QByteArray bytes = LocalFolder::indexHeader(std::uint32_t(count < 0 ? records.size() : count));
    for (const QByteArray& r : records)
        bytes += r;
    return bytes;
}

inline void Write(const QString& path, const QByteArray& bytes)
{
    WriteFile(path, bytes);
}

inline qint64 At(const QString& text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
}

inline LocalFolder::ChannelRecord Channel(const char* source, int number, int channel)
{
    return LocalFolder::ChannelRecord{QByteArray(source), number, channel};
}

}  // namespace IndexFixture
