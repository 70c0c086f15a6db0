#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTextStream>
#include <algorithm>
#include <atomic>
#include <set>
#include <thread>

#include "tools/varpen-sample/Commands.h"
#include "tools/varpen-sample/LocalFolder.h"

namespace {

QString timeText(std::int64_t t)
{
    return QDateTime::fromSecsSinceEpoch(t).toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString brokenName(LocalFolder::FileDamage damage)
{
    switch (damage) {
    case LocalFolder::FileDamage::None:
        return QStringLiteral("none");
    case LocalFolder::FileDamage::Empty:
        return QStringLiteral("empty");
    case LocalFolder::FileDamage::Missing:
        return QStringLiteral("missing");
    case LocalFolder::FileDamage::Unreadable:
        return QStringLiteral("unreadable");
    case LocalFolder::FileDamage::Fifo:
        return QStringLiteral("fifo");
    }
    return {};
}

}  // namespace

bool WriteFolder(const QString& out, const FolderOptions& o, QString* error)
{
    if (o.channels < 1 || o.channels > 255 || o.days < 1 || o.segments_per_day < 1 || o.segment_length_s < 1 ||
        o.gap_s < 0 || o.record_types.empty() || !o.start_date.isValid() || o.first_channel < 0 ||
        o.first_channel + o.channels > 256 || o.jobs < 1) {
        *error = QStringLiteral("bad folder options");
        return false;
    }
    const QString root = out + QStringLiteral("/RecordFile");
    QDir(root).removeRecursively();

    // Every segment first, in index order; then the encoding, on `jobs` threads.
    struct Task {
        QDate date;
        LocalFolder::ChannelRecord rec;
        std::int64_t start, end;
        unsigned type;
        QString name, dir;
        SampleGen::SegmentResult result;
        QString error;
        bool ok = false;
    };
    std::vector<Task> tasks;
    for (int d = 0; d < o.days; ++d) {
        const QDate date = o.start_date.addDays(d);
        for (int c = 0; c < o.channels; ++c) {
            LocalFolder::ChannelRecord rec{o.source_name.toUtf8(), o.source_number, o.first_channel + c};
            std::int64_t next = QDateTime(date, o.first_time).toSecsSinceEpoch();
            std::set<std::pair<std::int64_t, std::int64_t>> names;  // local start and end texts used
            for (int k = 0; k < o.segments_per_day; ++k) {
                Task t;
                t.date = date;
                t.rec = rec;
                t.start = next;
                t.end = t.start + o.segment_length_s;
                // As a recorder does: a file closes when the clock is set back (its name would end
                // before it starts), and the next one opens at the change.
                const std::int64_t change = LocalFolder::clockSetBackWithin(t.start, t.end);
                if (change > t.start + 1)
                    t.end = change - 1;
                next = (change > t.start + 1 ? change : t.end) + o.gap_s;
                // Names are local times: in the repeated hour a later file may not take an earlier
                // one's name (it would overwrite it); it starts a second later.
                while (!names.insert({LocalFolder::localStamp(t.start), LocalFolder::localStamp(t.end)}).second &&
                       t.start + 1 < t.end) {
                    ++t.start;
                }
                t.type = o.record_types[std::size_t(d * o.segments_per_day + k + c) % o.record_types.size()];
                t.name = LocalFolder::segmentFileName(t.start, t.end, t.type);
                t.dir = QStringLiteral("RecordFile/%1/%2")
                            .arg(LocalFolder::dateFolderName(date), LocalFolder::channelFolderName(rec));
                tasks.push_back(std::move(t));
            }
        }
    }
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t i; (i = next++) < tasks.size();) {
            Task& t = tasks[i];
            SampleGen::SegmentParams params = o.video;
            params.channel = t.rec.channel;
            params.start_time = t.start;
            params.duration_s = int(t.end - t.start);
            // Other recorders' files each start at a PTS of their own.
            if (params.header != SampleGen::SegmentParams::Header::Ours)
                params.first_pts = o.video.first_pts + std::int64_t(i % 16) * 1234567;
            QDir().mkpath(out + QLatin1Char('/') + t.dir);
            t.ok = SampleGen::WriteSegment(out + QLatin1Char('/') + t.dir + QLatin1Char('/') + t.name, params,
                                           &t.result, &t.error);
        }
    };
    {
        std::vector<std::thread> threads;
        for (int j = 1; j < std::min<int>(o.jobs, int(tasks.size())); ++j)
            threads.emplace_back(work);
        work();
        for (std::thread& th : threads)
            th.join();
    }
    for (const Task& t : tasks) {
        if (!t.ok) {
            *error = t.error;
            return false;
        }
    }

    QJsonArray files, channels, dates;
    for (int c = 0; c < o.channels; ++c) {
        LocalFolder::ChannelRecord rec{o.source_name.toUtf8(), o.source_number, o.first_channel + c};
        channels.append(QJsonObject{{"number", rec.channel},
                                    {"key", LocalFolder::channelFolderName(rec)},
                                    {"group", QStringLiteral("%1_%2").arg(o.source_name).arg(o.source_number)}});
    }
    QByteArray index01 = LocalFolder::indexHeader(std::uint32_t(o.days));
    QByteArray index02, index03;
    auto flush = [&](const QString& path, QByteArray& bytes) {
        if (bytes.isEmpty())
            return true;
        const bool ok = LocalFolder::writeFile(out + QLatin1Char('/') + path, bytes);
        if (!ok)
            *error = QStringLiteral("cannot write %1/%2").arg(out, path);
        bytes.clear();
        return ok;
    };
    for (std::size_t i = 0; i < tasks.size(); ++i) {
        const Task& t = tasks[i];
        const QString dateDir = QStringLiteral("RecordFile/") + LocalFolder::dateFolderName(t.date);
        if (i % std::size_t(o.segments_per_day * o.channels) == 0) {
            index01 += LocalFolder::dateRecord(t.date);
            dates.append(LocalFolder::dateFolderName(t.date));
            index02 = LocalFolder::indexHeader(std::uint32_t(o.channels));
        }
        if (i % std::size_t(o.segments_per_day) == 0) {
            index02 += LocalFolder::channelRecord(t.rec);
            index03 = LocalFolder::indexHeader(std::uint32_t(o.segments_per_day));
        }
        index03 += LocalFolder::segmentRecord(t.start, t.end, t.type);
        QJsonArray keys;
        for (const SampleGen::Keyframe& kf : t.result.keyframes)
            keys.append(QJsonObject{{"pos", qint64(kf.pos)}, {"time", qint64(kf.time)}, {"pts", qint64(kf.pts)}});
        files.append(QJsonObject{{"channel", t.rec.channel},
                                 {"key", LocalFolder::channelFolderName(t.rec)},
                                 {"path", t.dir + QLatin1Char('/') + t.name},
                                 {"name", t.name},
                                 {"start", qint64(t.start)},
                                 {"end", qint64(t.end)},
                                 {"start_text", timeText(t.start)},
                                 {"end_text", timeText(t.end)},
                                 {"size", qint64(t.result.size_bytes)},
                                 {"type", int(t.type)},
                                 {"frames", t.result.frames},
                                 {"keyframes", keys}});
        if ((i + 1) % std::size_t(o.segments_per_day) == 0 && !flush(t.dir + QStringLiteral("/index03.bin"), index03))
            return false;
        if ((i + 1) % std::size_t(o.segments_per_day * o.channels) == 0 &&
            !flush(dateDir + QStringLiteral("/index02.bin"), index02))
            return false;
    }
    if (!flush(QStringLiteral("RecordFile/index01.bin"), index01))
        return false;
    for (const Task& t : tasks) {
        if (!LocalFolder::damageFile(out + QLatin1Char('/') + t.dir + QLatin1Char('/') + t.name, o.broken_segments)) {
            *error = QStringLiteral("cannot damage %1/%2").arg(t.dir, t.name);
            return false;
        }
    }

    const SampleGen::SegmentParams& v = o.video;
    QJsonObject manifest{{"source_name", o.source_name},
                         {"source_number", o.source_number},
                         {"width", v.width},
                         {"height", v.height},
                         {"fps", v.fps},
                         {"keyint", v.keyint},
                         {"bframes", v.bframes},
                         {"audio", v.audio},
                         {"container", v.program_stream ? "ps" : "ts"},
                         {"header", v.header == SampleGen::SegmentParams::Header::Ours    ? "ours"
                                    : v.header == SampleGen::SegmentParams::Header::Other ? "other"
                                                                                          : "none"},
                         {"first_pts", qint64(v.first_pts)},
                         {"camera", v.camera},
                         {"broken_segments", brokenName(o.broken_segments)},
                         {"channels", channels},
                         {"dates", dates},
                         {"files", files}};
    QByteArray json = QJsonDocument(manifest).toJson();
    return flush(QStringLiteral("manifest.json"), json);
}

int RunFolderCommand(const QStringList& args)
{
    QCommandLineParser p;
    p.setApplicationDescription(QStringLiteral("Writes a local recording folder: varpen-sample folder OUT [options]"));
    p.addHelpOption();
    p.addPositionalArgument(QStringLiteral("OUT"), QStringLiteral("output folder"));
    const QCommandLineOption channels(QStringLiteral("channels"), QStringLiteral("number of channels (4)"),
                                      QStringLiteral("n"), QStringLiteral("4"));
    const QCommandLineOption firstChannel(QStringLiteral("first-channel"),
                                          QStringLiteral("number of the first channel (1)"), QStringLiteral("n"),
                                          QStringLiteral("1"));
    const QCommandLineOption startDate(QStringLiteral("start-date"),
                                       QStringLiteral("first day, yyyy-MM-dd (2024-01-30)"), QStringLiteral("date"),
                                       QStringLiteral("2024-01-30"));
    const QCommandLineOption days(QStringLiteral("days"), QStringLiteral("number of days (2)"), QStringLiteral("n"),
                                  QStringLiteral("2"));
    const QCommandLineOption firstTime(QStringLiteral("first-time"),
                                       QStringLiteral("start of each day's first segment, hh:mm:ss (10:00:00)"),
                                       QStringLiteral("time"), QStringLiteral("10:00:00"));
    const QCommandLineOption perDay(QStringLiteral("segments-per-day"),
                                    QStringLiteral("segments per channel and day (3)"), QStringLiteral("n"),
                                    QStringLiteral("3"));
    const QCommandLineOption length(QStringLiteral("segment-length"), QStringLiteral("seconds per segment (60)"),
                                    QStringLiteral("s"), QStringLiteral("60"));
    const QCommandLineOption gap(QStringLiteral("gap"), QStringLiteral("seconds between segments (10)"),
                                 QStringLiteral("s"), QStringLiteral("10"));
    const QCommandLineOption types(
        QStringLiteral("record-types"),
        QStringLiteral("segment numbers as the folder stores them (2 = recorder type 1, 4 = 10, 5 = 11), cycled (1)"),
        QStringLiteral("list"), QStringLiteral("1"));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("picture size WxH (352x288)"),
                                  QStringLiteral("WxH"), QStringLiteral("352x288"));
    const QCommandLineOption fps(QStringLiteral("fps"), QStringLiteral("frames per second (25)"), QStringLiteral("n"),
                                 QStringLiteral("25"));
    const QCommandLineOption keyint(QStringLiteral("keyint"), QStringLiteral("frames between keyframes (25)"),
                                    QStringLiteral("n"), QStringLiteral("25"));
    const QCommandLineOption bframes(QStringLiteral("bframes"), QStringLiteral("B-frames (0)"), QStringLiteral("n"),
                                     QStringLiteral("0"));
    const QCommandLineOption audio(QStringLiteral("audio"), QStringLiteral("add AAC audio"));
    const QCommandLineOption ps(QStringLiteral("program-stream"),
                                QStringLiteral("MPEG program stream in place of MPEG-TS"));
    const QCommandLineOption source(QStringLiteral("source-name"), QStringLiteral("recorder name (NVR)"),
                                    QStringLiteral("name"), QStringLiteral("NVR"));
    const QCommandLineOption sourceNumber(QStringLiteral("source-number"), QStringLiteral("recorder number (1)"),
                                          QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption jobs(QStringLiteral("jobs"), QStringLiteral("segments encoded at once (1)"),
                                  QStringLiteral("n"), QStringLiteral("1"));
    const QCommandLineOption header(QStringLiteral("header"),
                                    QStringLiteral("40 bytes before each stream: ours, other (another recorder's, with "
                                                   "its timing: PTS from --first-pts, audio from 0.5 s before the "
                                                   "video, some pictures without PTS) or none (ours)"),
                                    QStringLiteral("kind"), QStringLiteral("ours"));
    const QCommandLineOption firstPts(
        QStringLiteral("first-pts"),
        QStringLiteral("PTS of the first picture, 90 kHz (90000, with --header other 3600000; "
                       "8589700000 wraps 2^33 after 2.6 s)"),
        QStringLiteral("n"), QStringLiteral("90000"));
    const QCommandLineOption camera(QStringLiteral("camera"),
                                    QStringLiteral("camera-like pictures: sensor noise and fine moving texture "
                                                   "(use with --bitrate, e.g. 7000 at 1920x1080)"));
    const QCommandLineOption bitrate(QStringLiteral("bitrate"),
                                     QStringLiteral("average video rate in kbit/s (0 = constant quality)"),
                                     QStringLiteral("kbps"), QStringLiteral("0"));
    const QCommandLineOption broken(QStringLiteral("broken"),
                                    QStringLiteral("damage every segment file, the index files kept: empty (0 bytes), "
                                                   "missing, unreadable (mode 000) or fifo (a FIFO never written)"),
                                    QStringLiteral("kind"));
    p.addOptions({jobs,   channels,     firstChannel, startDate, days,   firstTime, perDay, length,
                  gap,    types,        size,         fps,       keyint, bframes,   audio,  ps,
                  source, sourceNumber, header,       firstPts,  camera, bitrate,   broken});
    p.process(QStringList{QStringLiteral("varpen-sample folder")} + args);
    QTextStream err(stderr);
    if (p.positionalArguments().size() != 1) {
        err << "usage: varpen-sample folder OUT [options]\n";
        return 2;
    }
    FolderOptions o;
    o.channels = p.value(channels).toInt();
    o.first_channel = p.value(firstChannel).toInt();
    o.start_date = QDate::fromString(p.value(startDate), QStringLiteral("yyyy-MM-dd"));
    o.days = p.value(days).toInt();
    o.first_time = QTime::fromString(p.value(firstTime), QStringLiteral("hh:mm:ss"));
    o.segments_per_day = p.value(perDay).toInt();
    o.segment_length_s = p.value(length).toInt();
    o.gap_s = p.value(gap).toInt();
    o.record_types.clear();
    for (const QString& t : p.value(types).split(QLatin1Char(','), Qt::SkipEmptyParts))
        o.record_types.push_back(t.toUInt());
    const QStringList wh = p.value(size).split(QLatin1Char('x'));
    o.video.width = wh.value(0).toInt();
    o.video.height = wh.value(1).toInt();
    o.video.fps = p.value(fps).toInt();
    o.video.keyint = p.value(keyint).toInt();
    o.video.bframes = p.value(bframes).toInt();
    o.video.audio = p.isSet(audio);
    o.video.program_stream = p.isSet(ps);
    const QString kind = p.value(header);
    if (kind == QLatin1String("other"))
        o.video.header = SampleGen::SegmentParams::Header::Other;
    else if (kind == QLatin1String("none"))
        o.video.header = SampleGen::SegmentParams::Header::None;
    else if (kind != QLatin1String("ours")) {
        err << "bad --header (ours, other or none)\n";
        return 2;
    }
    bool ptsOk = false;
    o.video.first_pts = p.value(firstPts).toLongLong(&ptsOk);
    if (!ptsOk) {
        err << "bad --first-pts\n";
        return 2;
    }
    if (o.video.header != SampleGen::SegmentParams::Header::Ours) {
        if (!p.isSet(firstPts))
            o.video.first_pts = 3600000;  // 40 s: room for the audio before it
        o.video.audio_lead_ms = 500;
        o.video.drop_some_pts = true;
    }
    o.video.camera = p.isSet(camera);
    o.video.bitrate_kbps = p.value(bitrate).toInt();
    o.source_name = p.value(source);
    o.source_number = p.value(sourceNumber).toInt();
    o.jobs = p.value(jobs).toInt();
    if (p.isSet(broken) && !LocalFolder::fileDamageNamed(p.value(broken), &o.broken_segments)) {
        err << "bad --broken (empty, missing, unreadable or fifo)\n";
        return 2;
    }
    if (!o.first_time.isValid()) {
        err << "bad --first-time\n";
        return 2;
    }
    QString error;
    if (!WriteFolder(p.positionalArguments().first(), o, &error)) {
        err << "varpen-sample folder: " << error << "\n";
        return 1;
    }
    return 0;
}
