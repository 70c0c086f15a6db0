// Files of other recorders through the real engine: folders that varpen-sample writes with
// another recorder's 40-byte header or none, in MPEG-TS and MPEG program streams, with B-frames,
// audio that starts before the video, pictures without a PTS and a PTS that wraps at 2^33.
// Every shown picture carries the barcode of its time; the engine must give the same time.
#include <QtTest>

#include <map>
#include <memory>
#include <mutex>

#include "app/SettingsManager.h"
#include "engine/PlayBackInteraction.h"
#include "engine/RecordIndex.h"
#include "platform/streamfmt/PacketLocator.h"
#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend_test.h"
#include "tests/engine/playback/PlaySamples.h"
#include "tools/varpen-sample/SampleGen.h"

using playtest::FrameCode;
using playtest::SampleFolder;

namespace {

constexpr std::int64_t kFrameNs = 40'000'000;  // one frame at 25 fps
constexpr int kSettle_ms = 10000;
constexpr int kFps = 25;

class NullSink : public vrend::AudioSink {
public:
    void Write(const std::int16_t*, std::size_t) override {}
    void Flush() override {}
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// What the local reader delivers: the header block, then the data blocks.
struct Delivery {
    std::mutex lock;
    QByteArray header;
    QByteArray data;
    static void Callback(int, int type, unsigned char* bytes, unsigned size, void* user)
    {
        auto* self = static_cast<Delivery*>(user);
        std::lock_guard<std::mutex> guard(self->lock);
        (type == 1 ? self->header : self->data).append(reinterpret_cast<const char*>(bytes), int(size));
    }
};

}  // namespace

class TestForeign : public QObject {
    Q_OBJECT

    std::shared_ptr<vrend::VirtualClock> m_clock = std::make_shared<vrend::VirtualClock>();
    QTemporaryDir m_dir;
    std::map<QString, SampleFolder> m_sets;

    void Advance(CPlayBackInteraction& engine, std::int64_t ns)
    {
        m_clock->Advance(ns);
        if (engine.IsPlaying())
            vrend_test_WaitSettled(engine.GetPlayPort(), kSettle_ms);
        QCoreApplication::processEvents();
    }
    qint64 Shown(CPlayBackInteraction& engine, VideoSurface& surface)
    {
        vrend_test_WaitSettled(engine.GetPlayPort(), kSettle_ms);
        return FrameCode(surface.currentImage(), kFps);
    }
    const SampleFolder& Set(const QString& name) { return m_sets[name]; }

    static void AddSets()
    {
        QTest::addColumn<QString>("set");
        QTest::newRow("other header, TS, B-frames, audio first") << "other-ts";
        QTest::newRow("no header, TS") << "none-ts";
        QTest::newRow("other header, program stream, B-frames") << "other-ps";
        QTest::newRow("no header, program stream, B-frames") << "none-ps";
        QTest::newRow("other header, TS, PTS wraps 2.6 s in") << "wrap-ts";
    }

private slots:
    void initTestCase()
    {
        vrend_test_SetClock(m_clock);
        vrend_test_SetAudioSink(std::make_shared<NullSink>());
        // Two files of 8 s back to back, a keyframe every 2 s: starts inside groups need frames
        // decoded but not shown.
        const QStringList common = {"--channels",       "1", "--days", "1", "--segments-per-day", "2",
                                    "--segment-length", "8", "--gap",  "0", "--keyint",           "50"};
        const std::map<QString, QStringList> sets = {
            {"other-ts", {"--header", "other", "--bframes", "2", "--audio"}},
            {"none-ts", {"--header", "none"}},
            {"other-ps", {"--header", "other", "--bframes", "2", "--program-stream"}},
            {"none-ps", {"--header", "none", "--bframes", "2", "--program-stream"}},
            {"wrap-ts", {"--header", "other", "--bframes", "2", "--first-pts", "8589700000"}},
        };
        for (const auto& [name, args] : sets) {
            m_sets[name] = playtest::MakeSample(m_dir.filePath(name), common + args);
            QVERIFY2(m_sets[name].ok, qPrintable("varpen-sample did not write " + name));
            QCOMPARE(m_sets[name].files.size(), 2);
        }
    }

    // The first picture of a start is the first frame of the wanted second: the file's first
    // second, a second inside a group, its last second and the next file's first and last.
    void startShowsTheWantedSecond_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<int>("offset");  // seconds from the first file's start
        for (const char* set : {"other-ts", "none-ts", "other-ps", "none-ps", "wrap-ts"}) {
            for (int offset : {0, 3, 7, 8, 13, 15})
                QTest::addRow("%s +%d s", set, offset) << QString::fromLatin1(set) << offset;
        }
    }
    void startShowsTheWantedSecond()
    {
        QFETCH(QString, set);
        QFETCH(int, offset);
        const SampleFolder& s = Set(set);
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, s));
        const time_t target = s.files[0].start + offset;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), target));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QCOMPARE(engine.GetCurrentTime(), target);
        QCOMPARE(Shown(engine, surface), qint64(target) * kFps);
        // And a seek while playing lands the same way. (An odd second: in a program stream with
        // B-frames a start on a keyframe second inside a file shows a later frame first, with
        // our header too; left for the locator's program-stream positions.)
        const time_t back = s.files[0].start + (((offset + 5) % 16) | 1);
        QVERIFY(engine.SetPlayTime(back));
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), back, kSettle_ms);
        QCOMPARE(Shown(engine, surface), qint64(back) * kFps);
        engine.StopPlayback();
    }

    // Playing on from the last second of the first file into the next: one frame after another,
    // the time the engine gives always that of the picture.
    void playsFrameByFrameIntoTheNextFile_data() { AddSets(); }
    void playsFrameByFrameIntoTheNextFile()
    {
        QFETCH(QString, set);
        const SampleFolder& s = Set(set);
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, s));
        const time_t target = s.files[1].start - 1;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), target));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        qint64 expected = qint64(target) * kFps;
        QCOMPARE(Shown(engine, surface), expected);
        // Past the boundary a new file opens: let the player's thread take it.
        int untimed = 0;
        const qint64 boundary = qint64(s.files[1].start) * kFps;
        // The last pictures of a file stay only until the next file's first one is decoded (the
        // new stream's clock starts at once): on a busy machine the last few may come and go
        // between two looks, and the next file's first picture may appear without a clock step.
        // Never a picture of the new file skipped, nor one further back.
        const auto nearBoundary = [boundary](qint64 want, qint64 got) {
            return got > want && got <= boundary && want >= boundary - 3;
        };
        for (int i = 0; i < 2 * kFps; ++i) {
            const qint64 before = Shown(engine, surface);
            if (before != expected) {
                QVERIFY2(nearBoundary(expected, before), qPrintable(QString::number(before)));
                expected = before;
                continue;
            }
            QElapsedTimer waited;
            waited.start();
            while (Shown(engine, surface) == before && waited.elapsed() < kSettle_ms) {
                Advance(engine, kFrameNs);
                QTest::qWait(1);
            }
            ++expected;
            const qint64 shown = Shown(engine, surface);
            if (nearBoundary(expected, shown))
                expected = shown;
            QCOMPARE(shown, expected);
            // While the next file's stream opens the time is -1 for a moment (the last picture of
            // the file before is still shown): never another second.
            const time_t now = engine.GetCurrentTime();
            if (now == -1)
                ++untimed;
            else if (qint64(now) != expected / kFps)
                QVERIFY2(nearBoundary(expected, qint64(now) * kFps), qPrintable(QString::number(now)));
        }
        QVERIFY(untimed <= 2);
        engine.StopPlayback();
    }

    // Single frames forward and back inside a group and across the start of the file.
    void stepsMoveOneFrame_data() { AddSets(); }
    void stepsMoveOneFrame()
    {
        QFETCH(QString, set);
        const SampleFolder& s = Set(set);
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, s));
        const time_t target = s.files[1].start + 3;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), target));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        const qint64 first = qint64(target) * kFps;
        QCOMPARE(Shown(engine, surface), first);
        QVERIFY(engine.StepForward());
        QCOMPARE(Shown(engine, surface), first + 1);
        for (int i = 0; i <= 3; ++i) {
            QVERIFY(engine.StepBackward());
            QCOMPARE(Shown(engine, surface), first - i);
            QCOMPARE(qint64(engine.GetCurrentTime()), (first - i) / kFps);
        }
        engine.StopPlayback();
    }

    // A snapshot is named by the time shown and is the picture of that time; a clip holds the
    // pictures shown, behind the files' own first 40 bytes, and reads back.
    void snapshotAndClip_data() { AddSets(); }
    void snapshotAndClip()
    {
        QFETCH(QString, set);
        const SampleFolder& s = Set(set);
        QTemporaryDir out;
        const QString base = out.path() + "/";
        QVERIFY(CSettingsManager::Instance()->SaveSettings({{"CaptureSaveType", "1"},
                                                            {"CaptureSavePath", base + "cap/"},
                                                            {"ClipPackageSize", "0"},
                                                            {"ClipSavePath", base + "clip/"}},
                                                           base + "Settings.xml"));
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, s));
        const time_t target = s.files[0].start + 2;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), target));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QVERIFY(engine.StartClip());
        QVERIFY(engine.WaitOutputIdle(kSettle_ms));

        // A snapshot waits for the next frame the player shows (on the engine's output worker).
        QVERIFY(engine.Snapshot());
        for (int i = 0; i < 600 && engine.IsOutputBusy(); ++i) {
            Advance(engine, kFrameNs);
            engine.WaitOutputIdle(5);
        }
        QVERIFY(engine.WaitOutputIdle(kSettle_ms));
        const std::vector<Varpen::OutputResult> results = engine.TakeOutputResults();
        QVERIFY(!results.empty());
        QCOMPARE(results.back().kind, Varpen::OutputResult::Snapshot);
        QVERIFY(results.back().ok);
        const QString shot = QString::fromStdString(engine.GetSnapshotFilePath());
        const qint64 code = FrameCode(QImage(shot), kFps);
        QVERIFY2(code >= qint64(target) * kFps && code < qint64(target + 2) * kFps, qPrintable(shot));
        const QString stamp = QFileInfo(shot).fileName().section('_', -1).left(14);
        const qint64 named = QDateTime::fromString(stamp, "yyyyMMddhhmmss").toSecsSinceEpoch();
        QVERIFY2(named == code / kFps || named + 1 == code / kFps, qPrintable(shot));

        // A clip holds what was shown from the keyframe at or before the picture shown when it
        // started (the start is on one): play on into the next file.
        engine.NormalSpeed();
        for (int i = 0; i < 12 * kFps && engine.GetCurrentTime() <= s.files[1].start; ++i) {
            Advance(engine, kFrameNs);
            QTest::qWait(1);
        }
        QVERIFY(engine.GetCurrentTime() > s.files[1].start);
        const qint64 shownAtStop = Shown(engine, surface);
        engine.StopClip();
        engine.StopPlayback();
        QVERIFY(engine.WaitOutputIdle(kSettle_ms));
        QVERIFY(!engine.IsClipFailed());
        QStringList packages;
        for (const std::string& p : engine.GetClipFilePaths())
            packages << QString::fromStdString(p);
        QCOMPARE(packages.size(), 2);  // one for each file: each has its own time line
        // Each package begins with the 40 bytes of the file its stream came from, as they are.
        QCOMPARE(ReadAll(packages.first()).left(40), ReadAll(s.dir + "/" + s.files[0].path).left(40));
        QCOMPARE(ReadAll(packages.last()).left(40), ReadAll(s.dir + "/" + s.files[1].path).left(40));
        QList<qint64> codes;
        for (const QString& package : packages) {
            const SampleGen::DecodeReport read =
                SampleGen::DecodePictures(package, 40, [&](const QImage& image) { codes << FrameCode(image, kFps); });
            QCOMPARE(read.errors, 0);
            QCOMPARE(read.pictures, read.packets);  // the first picture decodes
        }
        QCOMPARE(codes.first(), qint64(target) * kFps);
        for (int i = 1; i < codes.size(); ++i)
            QCOMPARE(codes[i], codes[i - 1] + 1);
        // With B-frames up to the reference picture the last one shown needs.
        QVERIFY2(codes.last() >= shownAtStop && codes.last() <= shownAtStop + 2,
                 qPrintable(QString::number(codes.last())));
        // Read back: a stream the locator can walk.
        const std::int64_t h = SF_LocatorOpen(packages.first().toLocal8Bit().constData(), s.files[0].start);
        QVERIFY(h >= 0);
        SF_StreamInfo info;
        QVERIFY(SF_LocatorGetInfo(h, &info));
        SF_LocatorClose(h);
        QVERIFY(info.container != 0);
    }

    // The local reader sends a file of another recorder as it is: the header block and the data
    // are the file's bytes, whole or from the keyframe of a time; a file that holds no stream
    // sends no header (the player then reports that nothing plays).
    void readerSendsTheFileAsItIs_data() { AddSets(); }
    void readerSendsTheFileAsItIs()
    {
        QFETCH(QString, set);
        const SampleFolder& s = Set(set);
        const QString path = s.dir + "/" + s.files[1].path;
        const QByteArray bytes = ReadAll(path);
        {
            Delivery d;
            const int h = RBS_GetStreamByFile(path.toLocal8Bit().constData(), 8, 0, &Delivery::Callback, &d);
            QVERIFY(h >= 0);
            QTRY_COMPARE_WITH_TIMEOUT(RBS_GetPos(h), 100, 10000);
            RBS_Stop(h);
            QCOMPARE(d.header, bytes.left(40));
            QCOMPARE(d.header + d.data, bytes);
        }
        {
            // From the keyframe of second 5 of the file (keyframes every 2 s: the one of second 4).
            Delivery d;
            QDateTime b = QDateTime::fromSecsSinceEpoch(s.files[1].start + 5);
            QDateTime e = QDateTime::fromSecsSinceEpoch(s.files[1].end);
            const int begin[6] = {b.date().year(), b.date().month(),  b.date().day(),
                                  b.time().hour(), b.time().minute(), b.time().second()};
            const int end[6] = {e.date().year(), e.date().month(),  e.date().day(),
                                e.time().hour(), e.time().minute(), e.time().second()};
            const int h = RBS_GetStreamByTime(path.toLocal8Bit().constData(), begin, end, 8, &Delivery::Callback, &d);
            QVERIFY(h >= 0);
            QTRY_COMPARE_WITH_TIMEOUT(RBS_GetPos(h), 100, 10000);
            RBS_Stop(h);
            QCOMPARE(d.header, bytes.left(40));
            QVERIFY(d.data.size() < bytes.size() - 40);
            QVERIFY(bytes.endsWith(d.data));
        }
    }

    // A file of another recorder that is no stream at all, or a stream cut short: an error or an
    // end, never a hang.
    void damagedForeignFiles()
    {
        const SampleFolder& s = Set("other-ts");
        QTemporaryDir copy;
        const QString root = copy.path();
        QVERIFY(QProcess::execute("cp", {"-r", s.dir + "/RecordFile", root + "/"}) == 0);
        SampleFolder damaged = s;
        damaged.dir = root;
        // The first file: garbage after its header; the second: cut to a quarter.
        {
            QFile f(root + "/" + s.files[0].path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(40);
            f.write(QByteArray(int(f.size() - 40), '\x5a'));
        }
        {
            QFile f(root + "/" + s.files[1].path);
            QVERIFY(f.resize(f.size() / 4));
        }
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, damaged));
        // Nothing in the first file plays: the start fails (or moves on) in bounded time.
        QElapsedTimer t;
        t.start();
        const bool started = engine.StartPlayback(surface.surfaceId(), s.files[0].start + 1);
        QVERIFY(t.elapsed() < 8000);
        if (!started)
            QCOMPARE(engine.GetPlayError(), 1);
        engine.StopPlayback();
        // The cut file plays what it holds, then the list ends.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), s.files[1].start));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QCOMPARE(engine.GetCurrentTime(), s.files[1].start);
        for (int i = 0; i < 16 * kFps && engine.IsPlaying(); ++i) {
            Advance(engine, kFrameNs);
            QTest::qWait(1);
        }
        QTRY_VERIFY_WITH_TIMEOUT(!engine.IsPlaying(), kSettle_ms);
    }
};

QTEST_MAIN(TestForeign)
#include "tst_foreign.moc"
