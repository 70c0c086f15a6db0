// Sample recordings for the playback tests: the folders that varpen-sample writes for the test
// fixtures, read through their manifest, and engines set up on one of their channels.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QString>
#include <QVector>

#include <ctime>

#include "engine/PlayBackInteraction.h"
#include "tests/support/ChildRun.h"
#include "tools/varpen-sample/SampleCode.h"

namespace playtest {

struct SampleFile {
    time_t start = 0;
    time_t end = 0;
    QString path;  // relative to the folder
};

struct SampleFolder {
    QString dir;
    QString group;  // channel group, e.g. "NVR_1"
    int channel = 0;
    int fps = 25;
    QVector<SampleFile> files;  // of `channel`, in time order
    bool ok = false;
};

// The folder `dir` that varpen-sample wrote, first channel (or `channel`).
inline SampleFolder LoadSampleAt(const QString& dir, int channel = -1)
{
    SampleFolder s;
    s.dir = dir;
    QFile f(s.dir + QStringLiteral("/manifest.json"));
    if (!f.open(QIODevice::ReadOnly))
        return s;
    const QJsonObject m = QJsonDocument::fromJson(f.readAll()).object();
    const QJsonArray channels = m.value(QStringLiteral("channels")).toArray();
    if (channels.isEmpty())
        return s;
    QJsonObject ch = channels.first().toObject();
    for (const QJsonValue& v : channels) {
        if (v.toObject().value(QStringLiteral("number")).toInt() == channel)
            ch = v.toObject();
    }
    s.group = ch.value(QStringLiteral("group")).toString();
    s.channel = ch.value(QStringLiteral("number")).toInt();
    s.fps = m.value(QStringLiteral("fps")).toInt(25);
    for (const QJsonValue& v : m.value(QStringLiteral("files")).toArray()) {
        const QJsonObject o = v.toObject();
        if (o.value(QStringLiteral("channel")).toInt() != s.channel)
            continue;
        s.files.push_back({time_t(o.value(QStringLiteral("start")).toInteger()),
                           time_t(o.value(QStringLiteral("end")).toInteger()),
                           o.value(QStringLiteral("path")).toString()});
    }
    std::sort(s.files.begin(), s.files.end(),
              [](const SampleFile& a, const SampleFile& b) { return a.start < b.start; });
    s.ok = !s.files.isEmpty();
    return s;
}

// $VARPEN_BUILD_DIR/samples/test/<name>, first channel (or `channel`).
inline SampleFolder LoadSample(const QString& name, int channel = -1)
{
    return LoadSampleAt(QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR")) + QStringLiteral("/samples/test/") + name,
                        channel);
}

// Writes a local recording folder with varpen-sample into `dir` ("folder" command with `args`).
inline SampleFolder MakeSample(const QString& dir, const QStringList& args)
{
    if (!RunChild(QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR")) + QStringLiteral("/bin/varpen-sample"),
                  QStringList{QStringLiteral("folder"), dir} + args, 120000)
             .Ok())
        return SampleFolder{};
    return LoadSampleAt(dir);
}

// Sets `engine` on the sample's channel and searches [begin, end] (the whole folder by default).
inline bool SearchSample(CPlayBackInteraction& engine, const SampleFolder& s, time_t begin = -1, time_t end = -1)
{
    engine.SetChannel(Varpen::CChannel(s.channel, s.group));
    engine.SetUseIndex(true);
    Varpen::SingleFileList found;
    return engine.SearchFiles(found, s.dir.toLocal8Bit().toStdString(), begin < 0 ? s.files.front().start : begin,
                              end < 0 ? s.files.back().end : end, 0) &&
           !found.empty();
}

// Sets `engine` on 0-based `channel` of a recorder-disk image under the samples folder and
// searches the whole of [begin, end]; the files found, in time order.
inline Varpen::SingleFileList SearchDisk(CPlayBackInteraction& engine, const QString& image, int channel, time_t begin,
                                         time_t end)
{
    engine.SetChannel(Varpen::CChannel(channel, QString()));
    engine.SetUseIndex(false);
    const QString path = QString::fromLocal8Bit(qgetenv("VARPEN_BUILD_DIR")) + QStringLiteral("/samples/test/") + image;
    Varpen::SingleFileList found;
    engine.SearchFiles(found, path.toLocal8Bit().toStdString(), begin, end, 0);
    return found;
}

// Position of a picture's barcode in frames since 1970 (-1 when unreadable).
inline qint64 FrameCode(const QImage& image, int fps)
{
    if (image.isNull())
        return -1;
    const SampleCode::Mark mark = SampleCode::read(image);
    return mark.valid ? qint64(mark.time) * fps + mark.frame : -1;
}

}  // namespace playtest
