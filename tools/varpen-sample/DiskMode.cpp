// varpen-sample disk OUT.img: a recorder-disk image holding the recordings the folder command
// makes, with device-log records of every type; or a broken variant of such an image.
#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>

#include <optional>

#include "platform/diskrec/DiskImageWriter.h"
#include "platform/diskrec/DiskLayout.h"
#include "engine/FileSearch.h"
#include "tools/varpen-sample/Commands.h"

namespace {

struct BrokenName {
    const char* name;
    std::optional<diskrec::BrokenImage> kind;                      // damaged contents ...
    LocalFolder::FileDamage file = LocalFolder::FileDamage::None;  // ... or the image file itself
};

const BrokenName kBroken[] = {
    {"bad-magic", diskrec::BrokenImage::BadMagic},
    {"bad-checksum", diskrec::BrokenImage::BadChecksum},
    {"truncated", diskrec::BrokenImage::TruncatedMidData},
    {"end-before-start", diskrec::BrokenImage::EndBeforeStart},
    {"counts-past-end", diskrec::BrokenImage::CountsPastEnd},
    {"offsets-past-end", diskrec::BrokenImage::OffsetsPastEnd},
    {"zeroed-data", diskrec::BrokenImage::ZeroedData},
    {"data-missing", diskrec::BrokenImage::DataMissing},
    {"unreadable", std::nullopt, LocalFolder::FileDamage::Unreadable},
    {"fifo", std::nullopt, LocalFolder::FileDamage::Fifo},
};

// Adds the folder's segments (listed in its manifest) to the image under `volume`. The folder
// numbers its segments in its own scheme; the disk keeps the recorder's record type.
bool AddFolderFiles(const QString& folder, const std::string& volume, diskrec::DiskImageWriter* writer, QString* error)
{
    QFile file(folder + QStringLiteral("/manifest.json"));
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1").arg(file.fileName());
        return false;
    }
    const QJsonArray files = QJsonDocument::fromJson(file.readAll()).object().value(QStringLiteral("files")).toArray();
    for (const QJsonValue& v : files) {
        const QJsonObject f = v.toObject();
        diskrec::ImageFile image;
        image.channel = f.value(QStringLiteral("channel")).toInt();
        image.record_type = Varpen::LibraryTypeOfIndex(unsigned(f.value(QStringLiteral("type")).toInt()));
        image.start = f.value(QStringLiteral("start")).toInteger();
        image.end = f.value(QStringLiteral("end")).toInteger();
        image.name = f.value(QStringLiteral("name")).toString().toStdString();
        image.data_path = (folder + QLatin1Char('/') + f.value(QStringLiteral("path")).toString()).toStdString();
        for (const QJsonValue& k : f.value(QStringLiteral("keyframes")).toArray()) {
            const QJsonObject key = k.toObject();
            image.keyframes.push_back({key.value(QStringLiteral("time")).toInteger() * 1000,
                                       uint64_t(key.value(QStringLiteral("pos")).toInteger())});
        }
        writer->AddFile(volume, std::move(image));
    }
    return !files.isEmpty() || (*error = QStringLiteral("the folder holds no recordings"), false);
}

}  // namespace

int RunDiskCommand(const QStringList& args)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Writes a recorder-disk image: varpen-sample disk OUT.img [options]"));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("image file"));
    const QCommandLineOption layout(QStringLiteral("layout"), QStringLiteral("plain, nvr or dvr (plain)"),
                                    QStringLiteral("layout"), QStringLiteral("plain"));
    const QCommandLineOption logs(QStringLiteral("logs"), QStringLiteral("device-log records (300)"),
                                  QStringLiteral("n"), QStringLiteral("300"));
    const QCommandLineOption broken(QStringLiteral("broken"),
                                    QStringLiteral("write a damaged image: bad-magic, bad-checksum, truncated, "
                                                   "end-before-start, counts-past-end, offsets-past-end, zeroed-data "
                                                   "(every file's data reads as zeros), data-missing (the image ends "
                                                   "where the files' data begins), unreadable (mode 000) or fifo (a "
                                                   "FIFO never written in place of the image)"),
                                    QStringLiteral("kind"));
    const QCommandLineOption channels(QStringLiteral("channels"), QStringLiteral("number of channels (2)"),
                                      QStringLiteral("n"), QStringLiteral("2"));
    const QCommandLineOption startDate(QStringLiteral("start-date"),
                                       QStringLiteral("first day, yyyy-MM-dd (2024-01-30)"), QStringLiteral("date"),
                                       QStringLiteral("2024-01-30"));
    const QCommandLineOption days(QStringLiteral("days"), QStringLiteral("number of days (2)"), QStringLiteral("n"),
                                  QStringLiteral("2"));
    const QCommandLineOption perDay(QStringLiteral("segments-per-day"),
                                    QStringLiteral("segments per channel and day (2)"), QStringLiteral("n"),
                                    QStringLiteral("2"));
    const QCommandLineOption length(QStringLiteral("segment-length"), QStringLiteral("seconds per segment (4)"),
                                    QStringLiteral("s"), QStringLiteral("4"));
    const QCommandLineOption types(QStringLiteral("record-types"),
                                   QStringLiteral("recorder record types 1-14, cycled (1,10,11)"),
                                   QStringLiteral("list"), QStringLiteral("1,10,11"));
    const QCommandLineOption fromFolder(QStringLiteral("folder"),
                                        QStringLiteral("take the recordings of a folder written by 'varpen-sample "
                                                       "folder' in place of writing new ones (give the same "
                                                       "--start-date and --days for the device logs)"),
                                        QStringLiteral("dir"));
    p.addOptions({layout, logs, broken, channels, startDate, days, perDay, length, types, fromFolder});
    p.process(QStringList{QStringLiteral("varpen-sample disk")} + args);
    QTextStream err(stderr);
    const QString kind = p.value(layout);
    const std::string volume = kind == QLatin1String("nvr")   ? std::string(diskrec::kVolumeNvr)
                               : kind == QLatin1String("dvr") ? std::string(diskrec::kVolumeDvr)
                                                              : std::string();
    if (p.positionalArguments().size() != 1 || (volume.empty() && kind != QLatin1String("plain"))) {
        err << "usage: varpen-sample disk OUT.img [--layout plain|nvr|dvr] [options]\n";
        return 2;
    }
    const BrokenName* brokenKind = nullptr;
    if (p.isSet(broken)) {
        for (const BrokenName& b : kBroken)
            if (p.value(broken) == QLatin1String(b.name))
                brokenKind = &b;
        if (!brokenKind) {
            err << "unknown --broken kind " << p.value(broken) << "\n";
            return 2;
        }
    }
    FolderOptions o;
    o.channels = p.value(channels).toInt();
    o.start_date = QDate::fromString(p.value(startDate), QStringLiteral("yyyy-MM-dd"));
    o.days = p.value(days).toInt();
    o.segments_per_day = p.value(perDay).toInt();
    o.segment_length_s = p.value(length).toInt();
    o.gap_s = 2;
    // Recorder record types in, the folder's segment numbers for the recordings made on the way.
    o.record_types.clear();
    for (const QString& t : p.value(types).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const int number = Varpen::IndexTypeFor(t.toInt());
        if (number <= 0) {
            err << "varpen-sample disk: record type " << t << " has no recorder counterpart\n";
            return 2;
        }
        o.record_types.push_back(unsigned(number));
    }
    const int logCount = p.value(logs).toInt();

    QTemporaryDir work;
    QString error;
    diskrec::DiskImageWriter writer;
    const QString folder = p.isSet(fromFolder) ? p.value(fromFolder) : work.path();
    if (!work.isValid() || (!p.isSet(fromFolder) && !WriteFolder(work.path(), o, &error)) ||
        !AddFolderFiles(folder, volume, &writer, &error)) {
        err << "varpen-sample disk: " << (error.isEmpty() ? QStringLiteral("no work folder") : error) << "\n";
        return 1;
    }
    const qint64 first = QDateTime(o.start_date, QTime(0, 0)).toSecsSinceEpoch();
    const int step = logCount > 0 ? std::max(1, int(qint64(o.days) * 86400 / logCount)) : 1;
    for (const DR_LogRecord& r : diskrec::MakeSampleLogs(logCount, first, step))
        writer.AddLog(r);

    const std::string out = p.positionalArguments().first().toStdString();
    const bool rewrite = brokenKind && brokenKind->kind;
    const std::string sound = rewrite ? work.filePath(QStringLiteral("sound.img")).toStdString() : out;
    std::string writeError;
    if (!writer.Write(sound, &writeError) ||
        (rewrite && !diskrec::WriteBrokenImage(sound, out, *brokenKind->kind, &writeError))) {
        err << "varpen-sample disk: " << QString::fromStdString(writeError) << "\n";
        return 1;
    }
    if (brokenKind && !LocalFolder::damageFile(QString::fromStdString(out), brokenKind->file)) {
        err << "varpen-sample disk: cannot damage " << QString::fromStdString(out) << "\n";
        return 1;
    }
    return 0;
}
