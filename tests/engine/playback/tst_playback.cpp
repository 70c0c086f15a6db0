// Playback of generated recordings through the real engine: the stream player over the local
// index reader, the player layer in virtual time, and an offscreen video surface whose pictures
// carry the barcode of their time.
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "engine/WorkerReaper.h"
#include "app/SettingsManager.h"
#include "app/WorkerHooks.h"
#include "platform/vrend/VideoSurface.h"
#include "platform/vrend/vrend_test.h"
#include "tests/engine/playback/PlaySamples.h"
#include "tests/support/BrokenFile.h"
#include "tests/support/TestLatch.h"

using playtest::FrameCode;
using playtest::SampleFolder;

namespace {
constexpr std::int64_t kFrameNs = 40'000'000;  // one frame at 25 fps
constexpr int kSettle_ms = 10000;

// Installs the player's test hooks for one case and removes them after it.
struct HookScope {
    ~HookScope()
    {
        // Players stopped without waiting end on the reaper; none may run past its hooks.
        Varpen::CWorkerReaper::Instance().JoinAll();
        Varpen::StreamPlayerHooks() = Varpen::StreamPlayerTestHooks{};
    }
};

// Every state the player publishes, and whether a state that stops without a cause was seen.
struct StateLog {
    std::mutex lock;
    std::vector<Varpen::PlayState> states;
    void Add(const Varpen::PlayState& s)
    {
        std::lock_guard<std::mutex> g(lock);
        states.push_back(s);
    }
    std::vector<Varpen::PlayState> Take()
    {
        std::lock_guard<std::mutex> g(lock);
        return std::exchange(states, {});
    }
};

bool StopWithoutCause(const Varpen::PlayState& s)
{
    return !s.IsPlaying() && !s.endOfList && s.error == Varpen::kPlayErrorNone;
}

// A copy of a sample folder whose first segment file is broken in one of the ways BreakFile
// knows; "blocked" leaves the file whole.
bool BreakFirstSegment(const SampleFolder& from, const QString& to, const QString& kind, SampleFolder* out)
{
    if (!CopyFolder(from.dir, to))
        return false;
    *out = playtest::LoadSampleAt(to);
    if (kind == QLatin1String("blocked"))
        return out->ok;
    return BreakFile(to + QStringLiteral("/") + from.files[0].path, kind);
}
}  // namespace

class TestPlayback : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<vrend::VirtualClock> m_clock = std::make_shared<vrend::VirtualClock>();
    SampleFolder m_tiny;
    // Keyframes every 2 s, without and with B-frames: a start inside a group needs frames that
    // are decoded but not shown.
    QTemporaryDir m_own;
    SampleFolder m_gop2;
    SampleFolder m_gop2b;
    // Files of 4 s one after another (no gap), for windows in step across file changes.
    SampleFolder m_chain;

    // Moves virtual time by `ns` and lets every listed port show what is due.
    void Advance(std::initializer_list<CPlayBackInteraction*> engines, std::int64_t ns)
    {
        m_clock->Advance(ns);
        for (CPlayBackInteraction* e : engines) {
            if (e->IsPlaying())
                vrend_test_WaitSettled(e->GetPlayPort(), kSettle_ms);
        }
        QCoreApplication::processEvents();
    }

    // Advances one frame at a time until `done` holds; false after `max_frames` frames.
    template <typename Pred>
    bool AdvanceUntil(std::initializer_list<CPlayBackInteraction*> engines, Pred done, int max_frames)
    {
        for (int i = 0; i < max_frames; ++i) {
            if (done())
                return true;
            Advance(engines, kFrameNs);
            QTest::qWait(1);
        }
        return done();
    }

    // Waits until the port holds `frames` decoded pictures not shown yet. A reader that lags on a
    // busy machine would otherwise leave the presenter starved when the clock moves, and a late
    // frame restarts the clock at itself: fewer pictures than the time moved would be shown.
    static void WaitFed(CPlayBackInteraction& engine, std::uint64_t frames)
    {
        QTRY_VERIFY_WITH_TIMEOUT(
            [&] {
                vrend::PortStats s;
                if (!vrend_test_GetStats(engine.GetPlayPort(), &s))
                    return false;
                const std::uint64_t gone = s.frames_shown + s.frames_late + s.frames_before_start;
                return s.frames_decoded >= gone + frames;
            }(),
            kSettle_ms);
    }

    qint64 ShownCode(CPlayBackInteraction& engine, VideoSurface& surface)
    {
        vrend_test_WaitSettled(engine.GetPlayPort(), kSettle_ms);
        return FrameCode(surface.currentImage(), m_tiny.fps);
    }

private slots:
    void initTestCase()
    {
        vrend_test_SetClock(m_clock);
        m_tiny = playtest::LoadSample(QStringLiteral("tiny"));
        QVERIFY2(m_tiny.ok, "the samples fixture did not write tiny");
        QCOMPARE(m_tiny.files.size(), 3);
        const QStringList gop2{QStringLiteral("--channels"),
                               QStringLiteral("1"),
                               QStringLiteral("--days"),
                               QStringLiteral("1"),
                               QStringLiteral("--segments-per-day"),
                               QStringLiteral("2"),
                               QStringLiteral("--segment-length"),
                               QStringLiteral("8"),
                               QStringLiteral("--keyint"),
                               QStringLiteral("50")};
        m_gop2 = playtest::MakeSample(m_own.filePath(QStringLiteral("gop2")), gop2);
        m_gop2b = playtest::MakeSample(m_own.filePath(QStringLiteral("gop2b")),
                                       gop2 + QStringList{QStringLiteral("--bframes"), QStringLiteral("2")});
        QVERIFY2(m_gop2.ok && m_gop2b.ok, "varpen-sample did not write the 2 s keyframe samples");
        m_chain = playtest::MakeSample(m_own.filePath(QStringLiteral("chain")),
                                       {QStringLiteral("--channels"), QStringLiteral("1"), QStringLiteral("--days"),
                                        QStringLiteral("1"), QStringLiteral("--segments-per-day"), QStringLiteral("3"),
                                        QStringLiteral("--segment-length"), QStringLiteral("4"),
                                        QStringLiteral("--gap"), QStringLiteral("0")});
        QVERIFY2(m_chain.ok && m_chain.files.size() == 3, "varpen-sample did not write the chained files");
    }

    // A positioned start or seek shows the first frame of the wanted second first: the frames
    // from the keyframe before it are decoded but not shown, and the clock starts at that frame.
    void positionedStartShowsTheWantedSecond_data()
    {
        QTest::addColumn<QString>("set");  // gop2, gop2b or disk (disk-plain.img, keyframe every 1 s)
        QTest::addColumn<bool>("seek");    // seek while playing instead of a start
        QTest::addColumn<int>("fileIndex");
        QTest::addColumn<int>("offset");    // seconds from the file's start
        QTest::addColumn<int>("heldBack");  // frames decoded before the wanted one
        QTest::newRow("folder, start inside a group") << "gop2" << false << 0 << 3 << 25;
        QTest::newRow("folder, start on a keyframe") << "gop2" << false << 0 << 4 << 0;
        QTest::newRow("folder, seek inside a group of the next file") << "gop2" << true << 1 << 5 << 25;
        QTest::newRow("B-frames, start inside a group") << "gop2b" << false << 0 << 7 << 25;
        QTest::newRow("B-frames, seek inside a group") << "gop2b" << true << 1 << 1 << 25;
        QTest::newRow("disk, start") << "disk" << false << 0 << 2 << 0;
        QTest::newRow("disk, seek into the next file") << "disk" << true << 1 << 1 << 0;
    }
    void positionedStartShowsTheWantedSecond()
    {
        QFETCH(QString, set);
        QFETCH(bool, seek);
        QFETCH(int, fileIndex);
        QFETCH(int, offset);
        QFETCH(int, heldBack);
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        time_t fileStart = 0;
        if (set == QLatin1String("disk")) {
            const Varpen::SingleFileList files =
                playtest::SearchDisk(engine, QStringLiteral("disk-plain.img"), 0, DayStart(-1), DayStart(3));
            QVERIFY2(int(files.size()) > fileIndex, "the samples_disks fixture did not write disk-plain.img");
            fileStart = files[std::size_t(fileIndex)]->GetStartTime();
        } else {
            const SampleFolder& sample = set == QLatin1String("gop2") ? m_gop2 : m_gop2b;
            QVERIFY(playtest::SearchSample(engine, sample));
            fileStart = sample.files[fileIndex].start;
        }
        const time_t target = fileStart + offset;
        if (seek) {
            QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
            QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
            QVERIFY(engine.SetPlayTime(target));
        } else {
            QVERIFY(engine.StartPlayback(surface.surfaceId(), target));
        }
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QCOMPARE(engine.GetCurrentTime(), target);
        QCOMPARE(ShownCode(engine, surface), qint64(target) * m_tiny.fps);
        vrend::PortStats stats;
        QVERIFY(vrend_test_GetStats(engine.GetPlayPort(), &stats));
        QCOMPARE(stats.frames_shown, std::uint64_t(1));
        QCOMPARE(stats.first_shown_time_ms, std::int64_t(target) * 1000);
        // The stream began at the keyframe at or before the wanted second, not one group earlier.
        QCOMPARE(stats.frames_before_start, std::uint64_t(heldBack));

        // The clock runs from the wanted frame: one frame later, the next one.
        Advance({&engine}, kFrameNs);
        QCOMPARE(ShownCode(engine, surface), qint64(target) * m_tiny.fps + 1);
        if (heldBack > 0) {
            // The frames held back are still there for stepping back.
            QVERIFY(engine.StepBackward());
            QCOMPARE(ShownCode(engine, surface), qint64(target) * m_tiny.fps);
            QVERIFY(engine.StepBackward());
            QCOMPARE(ShownCode(engine, surface), qint64(target) * m_tiny.fps - 1);
        }
    }

    // Where a start lands: the first frame shown, and what happens when nothing can be played.
    void startLandsOnTheRightFrame_data()
    {
        QTest::addColumn<int>("offsetFromFirst");  // seconds from the first file's start; 0 = time 0
        QTest::addColumn<bool>("timeZero");
        QTest::addColumn<int>("expectedFromFirst");  // -1: the start fails
        const SampleFolder s = playtest::LoadSample(QStringLiteral("tiny"));
        if (!s.ok)
            return;
        const int f2 = int(s.files[1].start - s.files[0].start);
        const int f3end = int(s.files[2].end - s.files[0].start);
        QTest::newRow("time 0 plays the first file from its beginning") << 0 << true << 0;
        QTest::newRow("before every file") << -100 << false << 0;
        QTest::newRow("inside the first file") << 2 << false << 2;
        QTest::newRow("in the gap: the next file at its start") << f2 - 1 << false << f2;
        QTest::newRow("inside the second file") << f2 + 1 << false << f2 + 1;
        QTest::newRow("at the end of the last file") << f3end << false << -1;
        QTest::newRow("after every file") << f3end + 60 << false << -1;
    }
    void startLandsOnTheRightFrame()
    {
        QFETCH(int, offsetFromFirst);
        QFETCH(bool, timeZero);
        QFETCH(int, expectedFromFirst);
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        const time_t at = timeZero ? 0 : m_tiny.files[0].start + offsetFromFirst;
        const bool started = engine.StartPlayback(surface.surfaceId(), at);
        if (expectedFromFirst < 0) {
            QVERIFY(!started);
            QCOMPARE(engine.GetPlayError(), 1);
            QVERIFY(!engine.IsPlaying());
            QCOMPARE(engine.GetCurrentTime(), time_t(-1));
            return;
        }
        QVERIFY(started);
        QCOMPARE(engine.GetPlayError(), 0);
        const time_t expected = m_tiny.files[0].start + expectedFromFirst;
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QCOMPARE(engine.GetCurrentTime(), expected);
        QCOMPARE(ShownCode(engine, surface), qint64(expected) * m_tiny.fps);
    }

    // Three files with gaps play one after another to the end flag.
    void playsAcrossFilesToTheEnd()
    {
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
        QCOMPARE(engine.SetSpeed(3), 3);  // 8x
        std::vector<time_t> seen;
        const bool ended = AdvanceUntil(
            {&engine},
            [&] {
                const time_t t = engine.GetCurrentTime();
                if (t != -1 && (seen.empty() || seen.back() != t))
                    seen.push_back(t);
                return engine.IsEndOfList();
            },
            4000);
        QVERIFY(ended);
        QVERIFY(!engine.IsPlaying());
        QCOMPARE(engine.GetPlayError(), 0);
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));
        // Times only go forward, and every file was shown, up to the last second of the last one.
        QVERIFY(std::is_sorted(seen.begin(), seen.end()));
        for (const playtest::SampleFile& f : m_tiny.files) {
            QVERIFY2(std::any_of(seen.begin(), seen.end(), [&](time_t t) { return t >= f.start && t < f.end; }),
                     qPrintable(QStringLiteral("no frame of the file starting %1").arg(f.start)));
        }
        QCOMPARE(seen.back(), m_tiny.files.back().end - 1);
        // A new start clears the end flag.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[1].start));
        QVERIFY(!engine.IsEndOfList());
    }

    // Seeks while playing; a seek that cannot be carried out says so and stops.
    void seekWhilePlaying()
    {
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
        const time_t target = m_tiny.files[2].start + 2;
        QVERIFY(engine.SetPlayTime(target));
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), target, kSettle_ms);
        QCOMPARE(ShownCode(engine, surface), qint64(target) * m_tiny.fps);
        QVERIFY(!engine.SetPlayTime(-1));
        QVERIFY(engine.IsPlaying());

        // Past the last file: no frozen picture shown as playing.
        QVERIFY(!engine.SetPlayTime(m_tiny.files[2].end + 100));
        QVERIFY(!engine.IsPlaying());
        QCOMPARE(engine.GetPlayError(), 1);
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));
        QVERIFY(!engine.SetPlayTime(target));  // nothing plays any more
    }

    // Speed levels, pause, single frames forward and back and the way back to normal play.
    void speedsAndSteps()
    {
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        const time_t from = m_tiny.files[0].start;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), from));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() == from, kSettle_ms);

        QCOMPARE(engine.SetSpeed(1), 1);
        QCOMPARE(engine.SetSpeed(1), 0);  // already there
        QCOMPARE(engine.SetSpeed(4), 0);  // out of range
        QCOMPARE(engine.GetSpeed(), 1);
        // One virtual second at 2x shows two seconds of recording. The clock stands still after the
        // steps, so waiting for the reader to feed the last pictures cannot show a later one.
        const qint64 before = ShownCode(engine, surface);
        for (int i = 0; i < 25; ++i) {
            WaitFed(engine, 2);
            Advance({&engine}, kFrameNs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(ShownCode(engine, surface) - before, qint64(2 * m_tiny.fps), kSettle_ms);

        QCOMPARE(engine.SetSpeed(-1), -2);
        QCOMPARE(engine.GetSpeed(), -1);
        const qint64 slow = ShownCode(engine, surface);
        for (int i = 0; i < 25; ++i) {
            WaitFed(engine, 1);
            Advance({&engine}, kFrameNs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(ShownCode(engine, surface) - slow, qint64(m_tiny.fps / 2), kSettle_ms);

        QVERIFY(engine.Pause(true));
        QVERIFY(engine.IsPaused());
        const qint64 paused = ShownCode(engine, surface);
        Advance({&engine}, 10 * kFrameNs);
        QCOMPARE(ShownCode(engine, surface), paused);

        QVERIFY(engine.StepForward());
        QVERIFY(engine.IsStepping());
        QCOMPARE(ShownCode(engine, surface), paused + 1);
        QVERIFY(engine.StepForward());
        QCOMPARE(ShownCode(engine, surface), paused + 2);
        QVERIFY(engine.StepBackward());
        QCOMPARE(ShownCode(engine, surface), paused + 1);

        QVERIFY(engine.NormalSpeed());
        QVERIFY(!engine.IsStepping());
        QVERIFY(!engine.IsPaused());
        QCOMPARE(engine.GetSpeed(), 0);
        const qint64 normal = ShownCode(engine, surface);
        for (int i = 0; i < 10; ++i) {
            WaitFed(engine, 1);
            Advance({&engine}, kFrameNs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(ShownCode(engine, surface) - normal, qint64(10), kSettle_ms);
    }

    // The speed level survives the switch to the next file.
    void speedKeptAcrossFiles()
    {
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].end - 1));
        QCOMPARE(engine.SetSpeed(2), 2);
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTime() >= m_tiny.files[1].start + 1; }, 2000));
        QCOMPARE(engine.GetSpeed(), 2);
        const qint64 at = ShownCode(engine, surface);
        for (int i = 0; i < 5; ++i) {
            WaitFed(engine, 2);
            Advance({&engine}, kFrameNs);
        }
        QTRY_COMPARE_WITH_TIMEOUT(ShownCode(engine, surface) - at, qint64(20), kSettle_ms);
    }

    // A segment that holds no stream: the start fails with error 1, and the same window plays a
    // sound recording afterwards. A segment whose 40-byte header is another recorder's plays,
    // timed from the start its name gives.
    void corruptHeaderFailsTheStart()
    {
        const SampleFolder broken = playtest::LoadSample(QStringLiteral("broken/segment_garbage"));
        QVERIFY2(broken.ok, "the samples fixture did not write broken/segment_garbage");
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, broken));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetPlayError(), 1, kSettle_ms);
        QVERIFY(!engine.IsPlaying());
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));

        const SampleFolder foreign = playtest::LoadSample(QStringLiteral("broken/segment_foreign_header"));
        QVERIFY2(foreign.ok, "the samples fixture did not write broken/segment_foreign_header");
        QVERIFY(playtest::SearchSample(engine, foreign));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
        QCOMPARE(engine.GetPlayError(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() == foreign.files[0].start, kSettle_ms);
        engine.StopPlayback();

        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), 0));
        QCOMPARE(engine.GetPlayError(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() == m_tiny.files[0].start, kSettle_ms);
    }

    // The same on a recorder disk: a start in a gap shows the next file's first frame, and the
    // files of both days play through to the end flag.
    void diskPlaysAcrossGapsToTheEnd()
    {
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        const Varpen::SingleFileList files =
            playtest::SearchDisk(engine, QStringLiteral("disk-plain.img"), 0, DayStart(-1), DayStart(3));
        QVERIFY2(files.size() >= 3, "the samples_disks fixture did not write disk-plain.img");
        const time_t next = files[1]->GetStartTime();
        QVERIFY(engine.StartPlayback(surface.surfaceId(), files[0]->GetEndTime() + 1));
        QTRY_VERIFY_WITH_TIMEOUT(engine.GetCurrentTime() != -1, kSettle_ms);
        QCOMPARE(engine.GetCurrentTime(), next);
        QCOMPARE(ShownCode(engine, surface), qint64(next) * m_tiny.fps);
        QCOMPARE(engine.SetSpeed(3), 3);
        time_t last = -1;
        QVERIFY(AdvanceUntil(
            {&engine},
            [&] {
                last = std::max(last, engine.GetCurrentTime());
                return engine.IsEndOfList();
            },
            4000));
        QCOMPARE(engine.GetPlayError(), 0);
        QCOMPARE(last, files.back()->GetEndTime() - 1);
    }

    // A recording that cannot be read on mid-way (the disk ends inside it): error 2, stopped.
    void streamFailingMidwayGivesError2()
    {
        VideoSurface surface;
        CPlayBackInteraction engine;
        // The image is cut inside the data of its last file (the last channel's last recording).
        Varpen::SingleFileList files;
        for (int channel = 1; channel >= 0 && files.empty(); --channel)
            files = playtest::SearchDisk(engine, QStringLiteral("disk-broken-truncated.img"), channel, DayStart(-1),
                                         DayStart(3));
        QVERIFY2(!files.empty(), "the samples_disks fixture did not write disk-broken-truncated.img");
        QVERIFY(engine.StartPlayback(surface.surfaceId(), files.back()->GetStartTime()));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return !engine.IsPlaying(); }, 2000));
        QCOMPARE(engine.GetPlayError(), 2);
        QVERIFY(!engine.IsEndOfList());
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));
    }

    // Windows in synchronous mode: one that runs ahead waits for the others, and a window whose
    // recordings end does not keep a waiting window paused.
    void synchronousMembersStayTogether()
    {
        VideoSurface sa, sb, sc;
        CPlayBackInteraction a, b, c;
        for (CPlayBackInteraction* e : {&a, &b, &c})
            QVERIFY(playtest::SearchSample(*e, m_tiny));
        const time_t t0 = m_tiny.files[0].start;
        QVERIFY(a.StartPlayback(sa.surfaceId(), t0));
        QVERIFY(b.StartPlayback(sb.surfaceId(), t0 + 1));
        QVERIFY(c.StartPlayback(sc.surfaceId(), t0 + 3));  // 3 s ahead of the earliest
        // All show a picture before the step begins (it leaves a window without one alone).
        QTRY_VERIFY_WITH_TIMEOUT(a.GetCurrentTime() != -1 && b.GetCurrentTime() != -1 && c.GetCurrentTime() != -1,
                                 kSettle_ms);
        Varpen::SynPlaybackInteraction sync;
        for (CPlayBackInteraction* e : {&a, &b, &c})
            QVERIFY(sync.AddInteraction(e));
        QVERIFY(sync.Start());
        QTRY_VERIFY_WITH_TIMEOUT(c.IsPaused(), kSettle_ms);
        QVERIFY(!a.IsPaused());
        QCOMPARE(sync.GetCurrentTime(), a.GetCurrentTime());
        // The others catch up; the waiting one goes on again and all stay within 3 s.
        time_t worst = 0;
        QVERIFY(AdvanceUntil(
            {&a, &b, &c},
            [&] {
                const time_t ta = a.GetCurrentTime(), tc = c.GetCurrentTime();
                if (ta != -1 && tc != -1)
                    worst = std::max(worst, tc - ta);
                return ta >= t0 + 4 && !c.IsPaused();
            },
            5000));
        QVERIFY2(worst <= 4, qPrintable(QString::number(worst)));
        sync.StopAll();
    }

    // Windows in step at 8x across a file change: the one that cannot open its next file yet
    // (its header is held back) keeps the others at the first picture of theirs; they run on
    // only when it has opened it, and all go on together.
    void syncWindowsHoldAtAFileChange()
    {
        HookScope hooks;
        Latch reached, go;
        std::atomic<bool> armed{false};
        std::atomic<bool> gaveUp{false};
        // Armed once all play: the first window to change file then waits here for the test.
        Varpen::StreamPlayerHooks().headerWait = [&] {
            if (!armed.load() || reached.IsOpen())
                return;
            reached.Open();
            if (!go.Wait())
                gaveUp = true;
        };
        VideoSurface sa, sb, sc;
        CPlayBackInteraction a, b, c;
        for (CPlayBackInteraction* e : {&a, &b, &c})
            QVERIFY(playtest::SearchSample(*e, m_chain));
        Varpen::SynPlaybackInteraction sync;
        // The held window must not be given up while the test moves the clock, however slowly
        // a busy machine (or a sanitizer) lets it do so.
        sync.SetCrossingPasses(1 << 20);
        QVERIFY(sync.AddInteraction(&a, sa.surfaceId()));
        QVERIFY(sync.AddInteraction(&b, sb.surfaceId()));
        QVERIFY(sync.AddInteraction(&c, sc.surfaceId()));
        QVERIFY(sync.Start());
        QVERIFY(sync.SetSpeed(3));
        const time_t boundary = m_chain.files[1].start;
        QVERIFY(sync.PlayAt(boundary - 2));
        QTRY_VERIFY_WITH_TIMEOUT(!sync.IsPositioning(), kSettle_ms);
        for (CPlayBackInteraction* e : {&a, &b, &c}) {
            QVERIFY(e->IsPlaying());
            QCOMPARE(e->GetCurrentTime(), boundary - 2);
            QCOMPARE(e->GetSpeed(), 3);
        }
        armed = true;
        QVERIFY(AdvanceUntil(
            {&a, &b, &c}, [&] { return reached.IsOpen(); }, 400));
        // One window waits for its next file's header; the clock runs on for 2 s (16 s of
        // recording at 8x): the others must not run ahead of it.
        time_t latest = -1;
        for (int i = 0; i < 50; ++i) {
            Advance({&a, &b, &c}, kFrameNs);
            for (CPlayBackInteraction* e : {&a, &b, &c})
                latest = std::max(latest, e->GetCurrentTime());
        }
        QVERIFY2(latest <= boundary,
                 qPrintable(QStringLiteral("a window ran %1 s past the file change").arg(qint64(latest - boundary))));
        go.Open();
        // The windows go on together once the held one has its first picture: the clock waits for
        // that release (moved meanwhile, it would let the first window released run ahead of the
        // last on a busy machine). A window a pass paused for leading stays paused until the others
        // move: then the clock goes on when the wait ends.
        const bool released =
            QTest::qWaitFor([&] { return !a.IsPaused() && !b.IsPaused() && !c.IsPaused(); }, kSettle_ms);
        Q_UNUSED(released);
        QVERIFY(AdvanceUntil(
            {&a, &b, &c},
            [&] {
                return a.GetCurrentTime() >= boundary + 2 && b.GetCurrentTime() >= boundary + 2 &&
                       c.GetCurrentTime() >= boundary + 2;
            },
            400));
        const time_t ta = a.GetCurrentTime(), tb = b.GetCurrentTime(), tc = c.GetCurrentTime();
        QVERIFY2(std::max({ta, tb, tc}) - std::min({ta, tb, tc}) <= 1, "the windows did not go on together");
        QVERIFY(!gaveUp);
        sync.StopAll();
    }

    // A held window takes the level of the windows in step without moving, and goes on at that
    // level with one call, from a pause as from single frames; a speed button still plays on.
    void heldWindowTakesALevelAndGoesOnAtIt_data()
    {
        QTest::addColumn<bool>("stepped");
        QTest::newRow("paused") << false;
        QTest::newRow("on single frames") << true;
    }
    void heldWindowTakesALevelAndGoesOnAtIt()
    {
        QFETCH(bool, stepped);
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_chain));
        const time_t t0 = m_chain.files[0].start;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), t0));
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), t0, kSettle_ms);
        QVERIFY(stepped ? engine.StepForward() : engine.Pause(true));
        Advance({&engine}, kFrameNs);
        const std::int64_t held_ms = engine.GetCurrentTimeMs();
        QCOMPARE(engine.SetSpeedHeld(3), 3);
        for (int i = 0; i < 10; ++i)
            Advance({&engine}, kFrameNs);
        QVERIFY(engine.IsPaused());
        QCOMPARE(engine.GetCurrentTimeMs(), held_ms);
        QVERIFY(engine.PlayOn());
        QVERIFY(!engine.IsPaused());
        QVERIFY(!engine.IsStepping());
        QCOMPARE(engine.GetSpeed(), 3);
        // Ten pictures' time of the clock at 8x: eighty pictures of recording, less the start; more
        // than 4x would move (a decoder lagging on a busy machine shows a late picture now and then,
        // and the clock restarts at it).
        for (int i = 0; i < 10; ++i)
            Advance({&engine}, kFrameNs);
        const std::int64_t moved_ms = engine.GetCurrentTimeMs() - held_ms;
        QVERIFY2(moved_ms > 1600, qPrintable(QString::number(moved_ms)));
        // The speed buttons of one window play on from a pause, as before.
        QVERIFY(engine.Pause(true));
        QVERIFY(engine.SetSpeed(2) != 0);
        QVERIFY(!engine.IsPaused());
        const std::int64_t before_ms = engine.GetCurrentTimeMs();
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTimeMs() > before_ms; }, 50));
        engine.StopPlayback();
    }

    // A window held at its next file stays held when it is resumed while it opens that file (the
    // step resumes a window at the end of its file once the others have caught up with it).
    void holdAtTheNextFileOutlastsAResume_data()
    {
        QTest::addColumn<bool>("portOpen");
        QTest::newRow("resumed while it waits for the header") << false;
        QTest::newRow("resumed once the next file's port is open") << true;
    }

    void holdAtTheNextFileOutlastsAResume()
    {
        QFETCH(bool, portOpen);
        HookScope hooks;
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_chain));
        std::atomic<bool> armed{false};
        auto resume = [&] {
            if (armed.load())
                engine.Pause(false);
        };
        if (portOpen)
            Varpen::StreamPlayerHooks().located = resume;
        else
            Varpen::StreamPlayerHooks().headerWait = resume;
        const time_t boundary = m_chain.files[1].start;
        QVERIFY(engine.StartPlayback(surface.surfaceId(), boundary - 1));
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), boundary - 1, kSettle_ms);
        engine.SetHoldAtNextFile(true);
        armed = true;
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetPlayState().index == 1; }, 400));
        for (int i = 0; i < 25; ++i)
            Advance({&engine}, kFrameNs);
        QVERIFY(engine.IsPaused());
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));  // held before its first picture
        QVERIFY(engine.StepForward());
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), boundary, kSettle_ms);
        engine.StopPlayback();
    }

    // A start for all returns at once, while the windows still wait for their streams; the
    // windows go on together once each shows its first picture, and one whose recording cannot
    // be played leaves the step with error 1 while the others play.
    void syncStartReturnsAtOnceAndDropsAFailingWindow()
    {
        HookScope hooks;
        const Qt::HANDLE gui = QThread::currentThreadId();
        Latch reached, go;
        std::atomic<bool> gaveUp{false};
        std::atomic<int> waits{0};
        Varpen::StreamPlayerHooks().headerWait = [&] {
            if (QThread::currentThreadId() == gui)
                return;  // would be the fault itself; the test sees it below
            if (++waits == 1) {
                reached.Open();
                if (!go.Wait())
                    gaveUp = true;
            }
        };
        const SampleFolder broken = playtest::LoadSample(QStringLiteral("broken/segment_garbage"));
        QVERIFY2(broken.ok, "the samples fixture did not write broken/segment_garbage");
        VideoSurface sa, sb, sc;
        CPlayBackInteraction a, b, bad;
        QVERIFY(playtest::SearchSample(a, m_chain));
        QVERIFY(playtest::SearchSample(b, m_chain));
        QVERIFY(playtest::SearchSample(bad, broken));
        Varpen::SynPlaybackInteraction sync;
        QVERIFY(sync.AddInteraction(&a, sa.surfaceId()));
        QVERIFY(sync.AddInteraction(&bad, sc.surfaceId()));
        QVERIFY(sync.AddInteraction(&b, sb.surfaceId()));
        QVERIFY(sync.Start());
        const time_t at = m_chain.files[0].start + 1;
        QVERIFY(sync.PlayAt(at));
        // Returned while a window still waits for its stream header.
        QVERIFY(reached.Wait());
        QVERIFY(sync.IsPositioning());
        QCOMPARE(a.GetCurrentTime() == -1 || b.GetCurrentTime() == -1, true);
        go.Open();
        QTRY_VERIFY_WITH_TIMEOUT(!sync.IsPositioning(), kSettle_ms);
        QVERIFY(!gaveUp);
        QVERIFY(!bad.IsPlaying());
        QCOMPARE(bad.GetPlayError(), 1);
        QCOMPARE(a.GetCurrentTime(), at);
        QCOMPARE(b.GetCurrentTime(), at);
        // To the millisecond (what the step weighs): the same second, a picture apart at most (a
        // window whose first picture came just before the step for it shows the next one).
        const std::int64_t aMs = a.GetCurrentTimeMs(), bMs = b.GetCurrentTimeMs();
        QCOMPARE(aMs / 1000, std::int64_t(at));
        QCOMPARE(bMs / 1000, std::int64_t(at));
        QVERIFY(std::abs(aMs - bMs) <= 40);
        QVERIFY(!a.IsPaused() && !b.IsPaused());
        // Both go on at the same pace: measured with the step's passes ended, as they run on the
        // real clock and would correct, in the middle of a step of the virtual one, a window that
        // a busy machine let lag for a moment.
        sync.StopAll();
        for (int i = 0; i < 25; ++i) {
            // Both decoders ahead before the clock moves: one lagging on a busy machine would show
            // a late picture.
            WaitFed(a, 1);
            WaitFed(b, 1);
            Advance({&a, &b}, kFrameNs);
        }
        QCOMPARE(a.GetCurrentTime(), at + 1);
        QCOMPARE(b.GetCurrentTime(), at + 1);
        QCOMPARE(a.GetCurrentTimeMs(), aMs + 1000);
        QCOMPARE(b.GetCurrentTimeMs(), bMs + 1000);
    }

    void waitingMemberResumedWhenTheEarliestEnds()
    {
        // a: one day of a month-set channel, whose last recording ends at 10:00:14; b: the tiny
        // set, 3 s ahead of a and so paused, with recordings past the end of a's.
        const SampleFolder month = playtest::LoadSample(QStringLiteral("month"));
        QVERIFY2(month.ok, "the samples fixture did not write month");
        const time_t aEnd = month.files[1].end;
        QVERIFY(aEnd < m_tiny.files[2].end - 1);
        VideoSurface sa, sb;
        CPlayBackInteraction a, b;
        QVERIFY(playtest::SearchSample(a, month, month.files[0].start, month.files[0].start + 1));
        QVERIFY(playtest::SearchSample(b, m_tiny));
        QVERIFY(a.StartPlayback(sa.surfaceId(), aEnd - 2));
        QVERIFY(b.StartPlayback(sb.surfaceId(), aEnd + 1));
        QTRY_VERIFY_WITH_TIMEOUT(a.GetCurrentTime() != -1 && b.GetCurrentTime() != -1, kSettle_ms);
        Varpen::SynPlaybackInteraction sync;
        QVERIFY(sync.AddInteraction(&a));
        QVERIFY(sync.AddInteraction(&b));
        QVERIFY(sync.Start());
        QTRY_VERIFY_WITH_TIMEOUT(b.IsPaused(), kSettle_ms);
        QVERIFY(AdvanceUntil(
            {&a, &b}, [&] { return a.IsEndOfList(); }, 2000));
        // a's recordings ended before it caught up: b must not wait for it for ever.
        QTRY_VERIFY_WITH_TIMEOUT(!b.IsPaused(), kSettle_ms);
        QVERIFY(!sync.SetPlayTime(-1));
        QVERIFY(sync.SetPlayTime(m_tiny.files[1].start));
        QTRY_COMPARE_WITH_TIMEOUT(b.GetCurrentTime(), m_tiny.files[1].start, kSettle_ms);
        sync.StopAll();
    }

    // A window paused at the end of a file stays paused on the next one.
    void pauseKeptAcrossFiles()
    {
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].end - 1));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTime() == m_tiny.files[0].end - 1; }, 100));
        QVERIFY(engine.Pause(true));
        // Single frames up to the last one of the file; the player then moves on, still paused.
        for (int i = 0; i < 3 * m_tiny.fps && engine.GetCurrentTime() != m_tiny.files[1].start; ++i) {
            engine.StepForward();
            Advance({&engine}, 0);
            QTest::qWait(5);
        }
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetCurrentTime(), m_tiny.files[1].start, kSettle_ms);
        for (int i = 0; i < 50; ++i)
            Advance({&engine}, kFrameNs);
        QVERIFY(engine.IsPaused());
        QCOMPARE(engine.GetCurrentTime(), m_tiny.files[1].start);
    }

    // A start whose list ends before StartPlayback has returned (the thread is quicker than its
    // owner): the end of the list stays reported, it is not undone by the start.
    void listEndingDuringTheStartKeepsItsEndFlag()
    {
        HookScope hooks;
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        bool endedInside = false;
        Varpen::StreamPlayerHooks().started = [&] {
            engine.SetSpeed(3);
            endedInside = AdvanceUntil(
                {&engine}, [&] { return engine.IsEndOfList(); }, 4000);
        };
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files.back().end - 1));
        QVERIFY(endedInside);
        QVERIFY(engine.IsEndOfList());
        QVERIFY(!engine.IsPlaying());
        QCOMPARE(engine.GetPlayError(), 0);
    }

    // Every state a poll can see is whole: a stop comes with its cause (end of list, error 1 or
    // 2) in the same change, never as a stop on its own.
    void stopsArePublishedWithTheirCause()
    {
        HookScope hooks;
        StateLog log;
        Varpen::StreamPlayerHooks().published = [&](const Varpen::PlayState& s) { log.Add(s); };
        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));

        // A poller as the page's timer, but as fast as it can go, on another thread.
        std::atomic<bool> polling{true};
        std::atomic<int> torn{0};
        std::thread poller([&] {
            bool sawPlaying = false;
            while (polling.load()) {
                const Varpen::PlayState s = engine.GetPlayState();
                if (s.IsPlaying())
                    sawPlaying = true;
                else if (sawPlaying && StopWithoutCause(s))
                    ++torn;
                if (!s.IsPlaying())
                    sawPlaying = false;
                std::this_thread::yield();
            }
        });

        // To the end of the list.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files.back().end - 1));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.IsEndOfList(); }, 4000));
        std::vector<Varpen::PlayState> states = log.Take();
        QVERIFY(!states.empty());
        QVERIFY(states.front().IsPlaying());
        Varpen::PlayState ended;
        ended.endOfList = true;
        QVERIFY(states.back() == ended);
        QVERIFY(std::none_of(states.begin(), states.end(), StopWithoutCause));

        // A seek that cannot be carried out: stopped with error 1 in one change.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].start));
        QTRY_VERIFY_WITH_TIMEOUT(!engine.GetPlayState().opening, kSettle_ms);
        log.Take();
        QVERIFY(!engine.SetPlayTime(m_tiny.files.back().end + 100));
        states = log.Take();
        QCOMPARE(states.size(), std::size_t(1));
        QVERIFY(!states[0].IsPlaying() && !states[0].endOfList && states[0].error == 1);

        polling = false;
        poller.join();
        QCOMPARE(torn.load(), 0);
        // The operator's own stop is not a cause the window has to show.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].start));
        engine.StopPlayback();
        QVERIFY(StopWithoutCause(engine.GetPlayState()));
    }

    // While the player waits for the next file's stream header, what the window polls and its
    // controls do not wait; a pause given meanwhile holds on the next file.
    void pollDoesNotWaitForTheNextFilesHeader()
    {
        HookScope hooks;
        VideoSurface surface;
        CPlayBackInteraction engine;
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        Latch reached, go;
        std::atomic<bool> gaveUp{false};
        std::atomic<int> locates{0};
        Varpen::StreamPlayerHooks().headerWait = [&] {
            if (locates.fetch_add(1) == 0 || reached.IsOpen())
                return;  // the start's own locate; only the first change of file is held
            reached.Open();
            if (!go.Wait())
                gaveUp = true;
        };
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].end - 1));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return reached.IsOpen(); }, 400));
        QVERIFY(reached.IsOpen());
        // The pass is now inside the change of file, waiting for the header.
        QVERIFY(engine.GetPlayState().IsPlaying());
        engine.GetCurrentTime();
        QCOMPARE(engine.GetSpeed(), 0);
        QVERIFY(engine.Pause(true));
        go.Open();
        QVERIFY2(!gaveUp, "a poll or a control waited for the stream header");
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetPlayState().index, 1, kSettle_ms);
        // The next file opened paused: nothing moves until the window goes on.
        QVERIFY(engine.IsPaused());
        for (int i = 0; i < 25; ++i)
            Advance({&engine}, kFrameNs);
        QVERIFY(engine.GetCurrentTime() <= m_tiny.files[1].start);
        QVERIFY(engine.Pause(false));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTime() == m_tiny.files[1].start; }, 100));
    }

    // A start or seek on a file that cannot be played returns at once, whatever the file: the
    // worker opens it, and the failure arrives in the state (error 1, said once) while another
    // window goes on playing. A start held inside its open (a stream that delivers nothing until
    // released) has returned while the worker is still held, and a newer seek replaces it.
    void brokenFilesNeverHoldTheCaller_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("seek");  // seek a playing window onto the file instead of a start
        QStringList kinds;
        for (const char* kind : kBrokenFileKinds)
            kinds << QString::fromLatin1(kind);
        for (const QString& kind : kinds + QStringList{QStringLiteral("blocked")}) {
            QTest::addRow("start on %s", qPrintable(kind)) << kind << false;
            QTest::addRow("seek onto %s", qPrintable(kind)) << kind << true;
        }
    }
    void brokenFilesNeverHoldTheCaller()
    {
        QFETCH(QString, kind);
        QFETCH(bool, seek);
        QTemporaryDir scratch;
        SampleFolder broken;
        QVERIFY(BreakFirstSegment(m_tiny, scratch.filePath(QStringLiteral("broken")), kind, &broken));
        const bool blocked = kind == QLatin1String("blocked");

        HookScope hooks;
        StateLog log;
        Latch reached, go;
        std::atomic<int> held{0};
        Varpen::StreamPlayerHooks().published = [&](const Varpen::PlayState& s) { log.Add(s); };
        VideoSurface otherSurface, surface;
        otherSurface.resize(352, 288);
        CPlayBackInteraction other, engine;
        QVERIFY(playtest::SearchSample(other, m_tiny));
        QVERIFY(other.StartPlayback(otherSurface.surfaceId(), m_tiny.files[1].start));
        QVERIFY(AdvanceUntil(
            {&other}, [&] { return other.GetCurrentTime() == m_tiny.files[1].start; }, 100));
        // The copy holds the sample's recordings at the same times.
        QVERIFY(playtest::SearchSample(engine, broken));
        const time_t target = m_tiny.files[0].start + 1;
        if (seek) {
            QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[1].start));
            QTRY_VERIFY_WITH_TIMEOUT(!engine.GetPlayState().opening, kSettle_ms);
            QVERIFY(engine.IsPlaying());
        }
        if (blocked) {
            // Only the open under test is held, on the worker, until the test lets it go.
            Varpen::StreamPlayerHooks().headerWait = [&] {
                if (held.fetch_add(1) != 0)
                    return;
                reached.Open();
                go.Wait();
            };
        }
        log.Take();

        QVERIFY(seek ? engine.SetPlayTime(target) : engine.StartPlayback(surface.surfaceId(), target));
        QVERIFY(engine.IsPlaying());
        QVERIFY(engine.GetPlayState().opening);
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));
        if (blocked) {
            QVERIFY(reached.Wait());
            QVERIFY(!go.IsOpen());  // the call above returned while the worker is held
            // The operator's next seek replaces the held one, and returns while it is held too.
            QVERIFY(engine.SetPlayTime(m_tiny.files[2].start));
            QVERIFY(engine.GetPlayState().opening);
            go.Open();
            QVERIFY(AdvanceUntil(
                {&engine, &other}, [&] { return engine.GetCurrentTime() == m_tiny.files[2].start; }, 200));
            QCOMPARE(engine.GetPlayError(), 0);
            return;
        }
        // The failure arrives in the state, once.
        QTRY_COMPARE_WITH_TIMEOUT(engine.GetPlayError(), 1, kSettle_ms);
        QVERIFY(!engine.IsPlaying());
        const std::vector<Varpen::PlayState> states = log.Take();
        QCOMPARE(std::count_if(states.begin(), states.end(), [](const Varpen::PlayState& s) { return s.error == 1; }),
                 std::ptrdiff_t(1));
        // The other window went on meanwhile and still does.
        QVERIFY(other.IsPlaying());
        QCOMPARE(other.GetPlayError(), 0);
        QVERIFY(AdvanceUntil(
            {&other}, [&] { return other.GetCurrentTime() > m_tiny.files[1].start; }, 100));
        // The same window plays a good file afterwards.
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[1].start));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTime() == m_tiny.files[1].start; }, 100));
    }

    // A stop (or the engine's end) while the worker is held inside its open returns at once: the
    // worker is told to stop and the reaper joins it once it lets go. The window says stopped by
    // the operator, not failed, and plays again at once.
    void stopNeverWaitsForTheWorker_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("stop") << QStringLiteral("stop");
        QTest::newRow("clear list") << QStringLiteral("clear");
        QTest::newRow("seek where no file is") << QStringLiteral("seek");
        QTest::newRow("engine destroyed") << QStringLiteral("destroy");
    }
    void stopNeverWaitsForTheWorker()
    {
        QFETCH(QString, how);
        HookScope hooks;
        Latch reached, go;
        std::atomic<int> held{0};
        Varpen::StreamPlayerHooks().headerWait = [&] {
            if (held.fetch_add(1) != 0)
                return;
            reached.Open();
            go.Wait();
        };
        VideoSurface surface;
        auto engine = std::make_unique<CPlayBackInteraction>();
        QVERIFY(playtest::SearchSample(*engine, m_tiny));
        QVERIFY(engine->StartPlayback(surface.surfaceId(), m_tiny.files[0].start + 1));
        QVERIFY(reached.Wait());
        if (how == QLatin1String("stop"))
            engine->StopPlayback();
        else if (how == QLatin1String("clear"))
            engine->ClearFileList();
        else if (how == QLatin1String("seek"))
            QVERIFY(!engine->SetPlayTime(DayStart(40)));
        else
            engine.reset();
        // Returned while the worker is still held: it is the reaper's now.
        QVERIFY(!go.IsOpen());
        QVERIFY(Varpen::CWorkerReaper::Instance().Running() > 0);
        if (engine) {
            const Varpen::PlayState state = engine->GetPlayState();
            QVERIFY(!state.IsPlaying());
            QCOMPARE(state.error, how == QLatin1String("seek") ? 1 : 0);
            QCOMPARE(engine->GetCurrentTime(), time_t(-1));
        }
        go.Open();
        QTRY_COMPARE_WITH_TIMEOUT(Varpen::CWorkerReaper::Instance().Running(), 0, kSettle_ms);
        Varpen::CWorkerReaper::Instance().JoinAll();
        if (!engine || how == QLatin1String("clear"))
            return;
        QVERIFY(engine->StartPlayback(surface.surfaceId(), m_tiny.files[1].start));
        QVERIFY(AdvanceUntil(
            {engine.get()}, [&] { return engine->GetCurrentTime() == m_tiny.files[1].start; }, 100));
    }

    // Snapshots and clips are carried out on the engine's output worker: each call returns while
    // the worker is held, and its outcome arrives once, with the changed hook, after the worker
    // goes on. A folder that cannot be made fails the command, reported the same way.
    void outputCommandsReturnAtOnceAndReportOnce_data()
    {
        QTest::addColumn<QString>("command");  // snapshot, clip start, clip stop
        QTest::addColumn<bool>("folderOk");
        for (const char* command : {"snapshot", "clip start", "clip stop"}) {
            QTest::addRow("%s", command) << QString::fromLatin1(command) << true;
            if (QByteArray(command) != "clip stop")
                QTest::addRow("%s, no folder", command) << QString::fromLatin1(command) << false;
        }
    }
    void outputCommandsReturnAtOnceAndReportOnce()
    {
        QFETCH(QString, command);
        QFETCH(bool, folderOk);
        QTemporaryDir out;
        // A folder under a plain file cannot be made.
        QFile blocker(out.filePath(QStringLiteral("file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        const QString root = folderOk ? out.filePath(QStringLiteral("out/")) : out.filePath(QStringLiteral("file/"));
        QVERIFY(CSettingsManager::Instance()->SaveSettings({{QStringLiteral("CaptureSaveType"), QStringLiteral("0")},
                                                            {QStringLiteral("CaptureSavePath"), root},
                                                            {QStringLiteral("ClipSavePath"), root}},
                                                           out.filePath(QStringLiteral("Settings.xml"))));

        VideoSurface surface;
        surface.resize(352, 288);
        CPlayBackInteraction engine;
        std::atomic<int> changes{0};
        engine.SetChangedHook([&] { ++changes; });
        QVERIFY(playtest::SearchSample(engine, m_tiny));
        QVERIFY(engine.StartPlayback(surface.surfaceId(), m_tiny.files[0].start));
        QVERIFY(AdvanceUntil(
            {&engine}, [&] { return engine.GetCurrentTime() != -1; }, 100));
        if (command == QLatin1String("clip stop")) {
            QVERIFY(engine.StartClip());
            QVERIFY(engine.WaitOutputIdle(kSettle_ms));
            QCOMPARE(engine.TakeOutputResults().size(), std::size_t(1));
            for (int i = 0; i < 30; ++i)
                Advance({&engine}, kFrameNs);
        }

        Latch reached, go;
        WorkerHooks::Set([&](WorkerHooks::Point point) {
            if (point != WorkerHooks::Point::OutputCommand || reached.IsOpen())
                return;
            reached.Open();
            go.Wait();
        });
        changes = 0;
        Varpen::OutputResult::Kind kind = Varpen::OutputResult::Snapshot;
        if (command == QLatin1String("snapshot")) {
            QVERIFY(engine.Snapshot());
        } else if (command == QLatin1String("clip start")) {
            kind = Varpen::OutputResult::ClipStarted;
            QVERIFY(engine.StartClip());
            QVERIFY(engine.IsClipping());  // from the call on
        } else {
            kind = Varpen::OutputResult::ClipStopped;
            engine.StopClip();
            QVERIFY(!engine.IsClipping());
        }
        QVERIFY(reached.Wait());
        // The call returned while its command is held on the worker.
        QVERIFY(!go.IsOpen());
        QVERIFY(engine.IsOutputBusy());
        QVERIFY(engine.TakeOutputResults().empty());
        go.Open();
        // A snapshot waits for the next picture shown.
        for (int i = 0; i < 200 && engine.IsOutputBusy(); ++i) {
            Advance({&engine}, kFrameNs);
            engine.WaitOutputIdle(20);
        }
        QVERIFY(engine.WaitOutputIdle(kSettle_ms));
        WorkerHooks::Set({});
        const std::vector<Varpen::OutputResult> results = engine.TakeOutputResults();
        QCOMPARE(results.size(), std::size_t(1));
        QVERIFY(changes.load() > 0);
        QCOMPARE(results[0].kind, kind);
        QCOMPARE(results[0].ok, folderOk);
        if (folderOk) {
            QVERIFY2(QString::fromLocal8Bit(results[0].path.c_str()).startsWith(root), results[0].path.c_str());
            if (kind != Varpen::OutputResult::ClipStarted)  // a clip's package is named when it is complete
                QVERIFY2(QFileInfo::exists(QString::fromLocal8Bit(results[0].path.c_str())), results[0].path.c_str());
        } else {
            QVERIFY(results[0].path.empty());
            QVERIFY(!engine.IsClipping());
        }
        if (kind == Varpen::OutputResult::ClipStarted && folderOk) {
            engine.StopClip();
            QVERIFY(engine.WaitOutputIdle(kSettle_ms));
        }
        engine.StopPlayback();
        QVERIFY(engine.TakeOutputResults().size() <= 1);
    }

private:
    // Midnight of a day relative to the first sample day.
    time_t DayStart(int days) const
    {
        const QDate first = QDateTime::fromSecsSinceEpoch(m_tiny.files[0].start).date();
        return time_t(QDateTime(first.addDays(days), QTime(0, 0)).toSecsSinceEpoch());
    }
};

QTEST_MAIN(TestPlayback)
#include "tst_playback.moc"
