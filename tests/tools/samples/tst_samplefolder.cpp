#include <QtTest>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include "platform/streamfmt/PacketLocator.h"
#include "tools/varpen-sample/SampleCode.h"
#include "tools/varpen-sample/SampleGen.h"

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

QString samplesDir()
{
    return qEnvironmentVariable("VARPEN_BUILD_DIR") + QStringLiteral("/samples/test");
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

quint32 u32(const QByteArray& b, int off)
{
    return quint8(b[off]) | quint8(b[off + 1]) << 8 | quint8(b[off + 2]) << 16 | quint32(quint8(b[off + 3])) << 24;
}
int u16(const QByteArray& b, int off)
{
    return quint8(b[off]) | quint8(b[off + 1]) << 8;
}

// Records of an index file, each `size` bytes; fails the test when the count disagrees with the length.
QList<QByteArray> records(const QString& path, int size)
{
    const QByteArray b = readFile(path);
    QList<QByteArray> out;
    if (b.size() < 8)
        return out;
    const quint32 count = u32(b, 0);
    if (qint64(b.size()) != 8 + qint64(count) * size)
        return out;
    for (quint32 i = 0; i < count; ++i)
        out << b.mid(8 + int(i) * size, size);
    return out;
}

QString timeKey(const QByteArray& r, int off)
{
    return QStringLiteral("%1%2%3%4%5%6")
        .arg(u16(r, off), 4, 10, QLatin1Char('0'))
        .arg(int(quint8(r[off + 2])), 2, 10, QLatin1Char('0'))
        .arg(int(quint8(r[off + 3])), 2, 10, QLatin1Char('0'))
        .arg(int(quint8(r[off + 4])), 2, 10, QLatin1Char('0'))
        .arg(int(quint8(r[off + 5])), 2, 10, QLatin1Char('0'))
        .arg(int(quint8(r[off + 6])), 2, 10, QLatin1Char('0'));
}

QJsonObject manifest(const QString& set)
{
    return QJsonDocument::fromJson(readFile(samplesDir() + QLatin1Char('/') + set + QStringLiteral("/manifest.json")))
        .object();
}

}  // namespace

class TestSampleFolder : public QObject {
    Q_OBJECT
private slots:
    void indexMatchesManifest_data();
    void indexMatchesManifest();
    void bframesSetHasAudioAndReorderedFrames();
    void brokenSet();
    void damagedSegments_data();
    void damagedSegments();
};

void TestSampleFolder::indexMatchesManifest_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QStringList>("dates");
    QTest::addColumn<QList<int>>("types");
    QTest::newRow("tiny") << "tiny" << 1 << QStringList{"20240130"} << QList<int>{1};
    QTest::newRow("month") << "month" << 4 << QStringList{"20240130", "20240131", "20240201"} << QList<int>{2, 4, 5};
    QTest::newRow("bframes") << "bframes" << 1 << QStringList{"20240130"} << QList<int>{1};
}

// Walks the index files as a reader would and checks every level against the manifest, every
// segment file's size, and that the first picture of each file shows its channel and start time.
void TestSampleFolder::indexMatchesManifest()
{
    QFETCH(QString, set);
    QFETCH(int, channels);
    QFETCH(QStringList, dates);
    QFETCH(QList<int>, types);
    const QString root = samplesDir() + QLatin1Char('/') + set;
    const QJsonObject m = manifest(set);
    QVERIFY(!m.isEmpty());
    QCOMPARE(m.value("channels").toArray().size(), channels);

    QStringList seenDates;
    for (const QByteArray& r : records(root + QStringLiteral("/RecordFile/index01.bin"), 4))
        seenDates << QStringLiteral("%1%2%3")
                         .arg(u16(r, 0), 4, 10, QLatin1Char('0'))
                         .arg(int(quint8(r[2])), 2, 10, QLatin1Char('0'))
                         .arg(int(quint8(r[3])), 2, 10, QLatin1Char('0'));
    QCOMPARE(seenDates, dates);

    QMap<QString, QJsonObject> byPath;
    for (const QJsonValue& v : m.value("files").toArray())
        byPath.insert(v.toObject().value("path").toString(), v.toObject());
    QSet<int> seenTypes;
    int files = 0;
    for (const QString& date : dates) {
        const QList<QByteArray> chans = records(root + QStringLiteral("/RecordFile/%1/index02.bin").arg(date), 92);
        QCOMPARE(chans.size(), channels);
        for (const QByteArray& c : chans) {
            const QString key = QStringLiteral("%1_%2_%3")
                                    .arg(QString::fromLatin1(c.left(64).constData()))
                                    .arg(u16(c, 64))
                                    .arg(int(quint8(c[66])));
            const QString dir = QStringLiteral("RecordFile/%1/%2").arg(date, key);
            const QList<QByteArray> segs = records(root + QLatin1Char('/') + dir + QStringLiteral("/index03.bin"), 44);
            QVERIFY(!segs.isEmpty());
            for (const QByteArray& s : segs) {
                const QString name = QStringLiteral("%1_%2_%3.mp4").arg(timeKey(s, 0), timeKey(s, 8)).arg(u32(s, 16));
                const QString path = dir + QLatin1Char('/') + name;
                QVERIFY2(byPath.contains(path), qPrintable(path));
                const QJsonObject f = byPath.value(path);
                QCOMPARE(f.value("key").toString(), key);
                QCOMPARE(int(u32(s, 16)), f.value("type").toInt());
                seenTypes.insert(f.value("type").toInt());
                const qint64 start = f.value("start").toInteger();
                QCOMPARE(QDateTime::fromSecsSinceEpoch(start).toString("yyyyMMddhhmmss"), timeKey(s, 0));
                QCOMPARE(QDateTime::fromSecsSinceEpoch(f.value("end").toInteger()).toString("yyyyMMddhhmmss"),
                         timeKey(s, 8));
                QCOMPARE(QFileInfo(root + QLatin1Char('/') + path).size(), f.value("size").toInteger());
                const SampleCode::Mark mark =
                    SampleCode::read(SampleGen::DecodeFirstPicture(root + QLatin1Char('/') + path, 0));
                QVERIFY(mark.valid);
                QCOMPARE(mark.channel, f.value("channel").toInt());
                QCOMPARE(mark.time, start);
                QCOMPARE(mark.frame, 0);
                // Keyframes: increasing positions inside the file, one per second at the default interval.
                const QJsonArray keys = f.value("keyframes").toArray();
                QCOMPARE(keys.size(), int(f.value("end").toInteger() - start));
                for (int i = 0; i < keys.size(); ++i) {
                    QCOMPARE(keys[i].toObject().value("time").toInteger(), start + i);
                    QVERIFY(keys[i].toObject().value("pos").toInteger() < f.value("size").toInteger());
                    if (i)
                        QVERIFY(keys[i].toObject().value("pos").toInteger() >
                                keys[i - 1].toObject().value("pos").toInteger());
                }
                ++files;
            }
        }
    }
    QCOMPARE(files, byPath.size());
    QCOMPARE(seenTypes, QSet<int>(types.begin(), types.end()));
}

void TestSampleFolder::bframesSetHasAudioAndReorderedFrames()
{
    const QJsonObject f = manifest("bframes").value("files").toArray().first().toObject();
    const QByteArray path = QFile::encodeName(samplesDir() + QStringLiteral("/bframes/") + f.value("path").toString());
    AVFormatContext* ctx = nullptr;
    AVDictionary* opts = nullptr;
    av_dict_set_int(&opts, "skip_initial_bytes", 40, 0);
    QVERIFY(avformat_open_input(&ctx, path.constData(), av_find_input_format("mpegts"), &opts) >= 0);
    av_dict_free(&opts);
    bool audio = false, reordered = false;
    AVPacket* pkt = av_packet_alloc();
    while (av_read_frame(ctx, pkt) >= 0) {
        const AVCodecParameters* par = ctx->streams[pkt->stream_index]->codecpar;
        audio = audio || par->codec_id == AV_CODEC_ID_AAC;
        reordered = reordered || (par->codec_type == AVMEDIA_TYPE_VIDEO && pkt->pts != pkt->dts);
        av_packet_unref(pkt);
    }
    av_packet_free(&pkt);
    avformat_close_input(&ctx);
    QVERIFY(audio);
    QVERIFY(reordered);
}

void TestSampleFolder::brokenSet()
{
    const QString root = samplesDir() + QStringLiteral("/broken");
    const QJsonObject faults = QJsonDocument::fromJson(readFile(root + QStringLiteral("/faults.json"))).object();
    QVERIFY(faults.size() >= 11);
    for (const QString& name : faults.keys())
        QVERIFY2(QFileInfo::exists(root + QLatin1Char('/') + name + QStringLiteral("/RecordFile/index01.bin")),
                 qPrintable(name));
    QCOMPARE(u32(readFile(root + QStringLiteral("/count_ffffffff/RecordFile/index01.bin")), 0), 0xFFFFFFFFu);
    const QByteArray nameRecord =
        readFile(root + QStringLiteral("/name_no_nul/RecordFile/20240130/index02.bin")).mid(8, 64);
    QCOMPARE(nameRecord, QByteArray(64, 'N'));
    QVERIFY(!QFileInfo::exists(root + QStringLiteral("/missing_date/RecordFile/20240131")));
    // The damaged segments: the locator refuses those with nothing to play and copes with the rest.
    const struct {
        const char* set;
        bool opens;
    } segs[] = {{"segment_empty", false},   {"segment_header_only", false}, {"segment_short_header", false},
                {"segment_garbage", false}, {"segment_truncated", true},    {"segment_foreign_header", true}};
    for (const auto& s : segs) {
        const QString dir =
            root + QLatin1Char('/') + QLatin1String(s.set) + QStringLiteral("/RecordFile/20240130/NVR_1_1");
        const QStringList mp4 = QDir(dir).entryList({"*.mp4"}, QDir::Files);
        QCOMPARE(mp4.size(), 1);
        const std::int64_t h = SF_LocatorOpen(QFile::encodeName(dir + QLatin1Char('/') + mp4.first()).constData(), 0);
        QVERIFY2((h >= 0) == s.opens, s.set);
        SF_LocatorClose(h);
    }
}

// Folders whose every segment file a copy lost, each as the index still lists it: 0 bytes, gone,
// mode 000 with its bytes, a FIFO.
void TestSampleFolder::damagedSegments_data()
{
    QTest::addColumn<QString>("set");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("segments");
    for (const char* kind : {"empty", "missing", "unreadable", "fifo"}) {
        const QString set = QStringLiteral("broken-%1").arg(QLatin1String(kind));
        QTest::newRow(qPrintable(set)) << set << QString::fromLatin1(kind) << 2;
    }
    QTest::newRow("broken/segment_missing") << "broken/segment_missing"
                                            << "missing" << 1;
    QTest::newRow("broken/segment_unreadable") << "broken/segment_unreadable"
                                               << "unreadable" << 1;
    QTest::newRow("broken/segment_fifo") << "broken/segment_fifo"
                                         << "fifo" << 1;
}

void TestSampleFolder::damagedSegments()
{
    QFETCH(QString, set);
    QFETCH(QString, kind);
    QFETCH(int, segments);
    const QJsonObject m = manifest(set);
    const QJsonArray files = m.value("files").toArray();
    QCOMPARE(files.size(), segments);
    QCOMPARE(m.value("broken_segments").toString(), kind);
    for (const QJsonValue& v : files) {
        const QString path =
            samplesDir() + QLatin1Char('/') + set + QLatin1Char('/') + v.toObject().value("path").toString();
        // Listed by its channel's index.
        const QList<QByteArray> entries = records(QFileInfo(path).path() + QStringLiteral("/index03.bin"), 44);
        QVERIFY2(!entries.isEmpty(), qPrintable(path));
        struct stat st {};
        const bool exists = ::lstat(QFile::encodeName(path).constData(), &st) == 0;
        QCOMPARE(exists, kind != QLatin1String("missing"));
        if (kind == QLatin1String("empty"))
            QVERIFY(S_ISREG(st.st_mode) && st.st_size == 0);
        if (kind == QLatin1String("unreadable"))
            QVERIFY(S_ISREG(st.st_mode) && (st.st_mode & 07777) == 0 &&
                    st.st_size == v.toObject().value("size").toInteger());
        if (kind == QLatin1String("fifo"))
            QVERIFY(S_ISFIFO(st.st_mode));
    }
}

QTEST_MAIN(TestSampleFolder)
#include "tst_samplefolder.moc"
