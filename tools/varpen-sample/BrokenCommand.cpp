#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include "tools/varpen-sample/Commands.h"
#include "tools/varpen-sample/LocalFolder.h"

namespace {

FolderOptions smallFolder()
{
    FolderOptions o;
    o.channels = 1;
    o.days = 1;
    o.segments_per_day = 1;
    o.segment_length_s = 2;
    o.video.width = 176;
    o.video.height = 144;
    return o;
}

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString onlySegment(const QString& folder)
{
    const QString dir = folder + QStringLiteral("/RecordFile/20240130/NVR_1_1");
    const QStringList names = QDir(dir).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);
    return names.isEmpty() ? QString() : dir + QLatin1Char('/') + names.first();
}

}  // namespace

int RunBrokenCommand(const QStringList& args)
{
    QTextStream err(stderr);
    if (args.size() != 1) {
        err << "usage: varpen-sample broken OUT\n";
        return 2;
    }
    const QString out = args.first();
    QString error;
    QJsonObject faults;
    auto fail = [&](const QString& what) {
        err << "varpen-sample broken: " << (error.isEmpty() ? what : error) << "\n";
        return 1;
    };
    auto make = [&](const QString& name, FolderOptions o) {
        QDir(out + QLatin1Char('/') + name).removeRecursively();
        return WriteFolder(out + QLatin1Char('/') + name, o, &error);
    };
    const QString idx01 = QStringLiteral("/RecordFile/index01.bin");
    const QString idx02 = QStringLiteral("/RecordFile/20240130/index02.bin");
    const QString idx03 = QStringLiteral("/RecordFile/20240130/NVR_1_1/index03.bin");

    // A date index whose count claims 0xFFFFFFFF records (one is present).
    if (!make(QStringLiteral("count_ffffffff"), smallFolder()))
        return fail({});
    {
        QByteArray b = readAll(out + QStringLiteral("/count_ffffffff") + idx01);
        b.replace(0, 4, QByteArray(4, char(0xFF)));
        if (!LocalFolder::writeFile(out + QStringLiteral("/count_ffffffff") + idx01, b))
            return fail(QStringLiteral("write"));
        faults.insert(QStringLiteral("count_ffffffff"), QStringLiteral("index01 count 0xFFFFFFFF, one record present"));
    }
    // Every index level counts one record more than it holds whole: the last is cut short.
    if (!make(QStringLiteral("cut_records"), smallFolder()))
        return fail({});
    {
        const QString base = out + QStringLiteral("/cut_records");
        for (const auto& [path, cut] : {std::pair{idx01, 2}, std::pair{idx02, 50}, std::pair{idx03, 20}}) {
            QByteArray b = readAll(base + path);
            const std::uint32_t count = std::uint8_t(b[0]) + 1;
            b.replace(0, 4, LocalFolder::indexHeader(count).left(4));
            b += QByteArray(cut, char(0x11));
            if (!LocalFolder::writeFile(base + path, b))
                return fail(QStringLiteral("write"));
        }
        faults.insert(QStringLiteral("cut_records"),
                      QStringLiteral("each index counts one more record than it holds; the last is cut"));
    }
    // A source name of 64 bytes without terminator.
    {
        FolderOptions o = smallFolder();
        o.source_name = QString(64, QLatin1Char('N'));
        if (!make(QStringLiteral("name_no_nul"), o))
            return fail({});
        faults.insert(QStringLiteral("name_no_nul"),
                      QStringLiteral("index02 source name is 64 bytes without terminator"));
    }
    // Two dates listed, the second date folder missing.
    {
        FolderOptions o = smallFolder();
        o.days = 2;
        if (!make(QStringLiteral("missing_date"), o))
            return fail({});
        QDir(out + QStringLiteral("/missing_date/RecordFile/20240131")).removeRecursively();
        faults.insert(QStringLiteral("missing_date"), QStringLiteral("index01 lists 20240131, its folder is missing"));
    }
    // Two segments listed, the second file missing.
    {
        FolderOptions o = smallFolder();
        o.segments_per_day = 2;
        if (!make(QStringLiteral("missing_segment"), o))
            return fail({});
        const QString dir = out + QStringLiteral("/missing_segment/RecordFile/20240130/NVR_1_1/");
        const QStringList names = QDir(dir).entryList({QStringLiteral("*.mp4")}, QDir::Files, QDir::Name);
        if (names.size() != 2 || !QFile::remove(dir + names.last()))
            return fail(QStringLiteral("remove segment"));
        faults.insert(QStringLiteral("missing_segment"),
                      QStringLiteral("index03 lists two segments, the second file is missing"));
    }
    // The one index03 entry with its start and end swapped, the file renamed to match: an entry that
    // ends before it starts.
    if (!make(QStringLiteral("end_before_start"), smallFolder()))
        return fail({});
    {
        const QString base = out + QStringLiteral("/end_before_start");
        QByteArray b = readAll(base + idx03);
        const QByteArray start = b.mid(8, 8), end = b.mid(16, 8);
        b.replace(8, 8, end);
        b.replace(16, 8, start);
        const QString seg = onlySegment(base);
        const QStringList parts = QFileInfo(seg).fileName().split(QLatin1Char('_'));
        if (parts.size() != 3 || !LocalFolder::writeFile(base + idx03, b) ||
            !QFile::rename(seg, QFileInfo(seg).path() + QLatin1Char('/') + parts[1] + QLatin1Char('_') + parts[0] +
                                    QLatin1Char('_') + parts[2]))
            return fail(QStringLiteral("end_before_start"));
        faults.insert(QStringLiteral("end_before_start"),
                      QStringLiteral("index03 entry ends before it starts; the file named to match"));
    }
    // Damaged segment files, each in a folder of its own with valid index files.
    QByteArray good;
    {
        if (!make(QStringLiteral("segment_empty"), smallFolder()))
            return fail({});
        const QString seg = onlySegment(out + QStringLiteral("/segment_empty"));
        good = readAll(seg);
        if (good.size() < 1000 || !LocalFolder::writeFile(seg, QByteArray()))
            return fail(QStringLiteral("segment"));
        faults.insert(QStringLiteral("segment_empty"), QStringLiteral("segment file of 0 bytes"));
    }
    const struct {
        const char* name;
        QByteArray bytes;
        const char* what;
    } segments[] = {
        {"segment_truncated", good.left(good.size() / 2 + 77), "segment cut in the middle of a packet"},
        {"segment_header_only", good.left(40), "segment holding only the stream header"},
        {"segment_short_header", good.left(20), "segment shorter than the stream header"},
        {"segment_foreign_header", QByteArray(40, 'X') + good.mid(40), "segment whose 40-byte header is not ours"},
        {"segment_garbage",
         [] {
             QByteArray b(64 * 1024, '\0');
             std::uint32_t x = 12345;
             for (char& c : b)
                 c = char((x = x * 1103515245u + 12345u) >> 24);
             return b;
         }(),
         "segment of pseudo-random bytes"},
    };
    for (const auto& s : segments) {
        const QString name = QString::fromLatin1(s.name);
        if (!make(name, smallFolder()))
            return fail({});
        if (!LocalFolder::writeFile(onlySegment(out + QLatin1Char('/') + name), s.bytes))
            return fail(QStringLiteral("segment"));
        faults.insert(name, QString::fromLatin1(s.what));
    }
    // Segment files a reader cannot have: gone, refused, or a FIFO that would hold a blocking read.
    const struct {
        const char* name;
        LocalFolder::FileDamage damage;
        const char* what;
    } lost[] = {
        {"segment_missing", LocalFolder::FileDamage::Missing, "index03 lists one segment, its file is missing"},
        {"segment_unreadable", LocalFolder::FileDamage::Unreadable, "segment file of mode 000"},
        {"segment_fifo", LocalFolder::FileDamage::Fifo, "a FIFO that is never written in place of the segment"},
    };
    for (const auto& l : lost) {
        const QString name = QString::fromLatin1(l.name);
        FolderOptions o = smallFolder();
        o.broken_segments = l.damage;
        if (!make(name, o))
            return fail({});
        faults.insert(name, QString::fromLatin1(l.what));
    }
    if (!LocalFolder::writeFile(out + QStringLiteral("/faults.json"), QJsonDocument(faults).toJson()))
        return fail(QStringLiteral("faults.json"));
    return 0;
}
