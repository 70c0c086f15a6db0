// The decision rules of playback, on data tables: keeping windows in step, stepping all windows,
// and the size estimate of a time span over found files.
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"

using Varpen::SyncAction;
using Actions = std::vector<SyncAction>;
using Times = std::vector<time_t>;

Q_DECLARE_METATYPE(Actions)
Q_DECLARE_METATYPE(Times)
Q_DECLARE_METATYPE(std::vector<bool>)
Q_DECLARE_METATYPE(Varpen::SingleFileList)

namespace {
constexpr time_t T0 = 1706608800;  // 2024-01-30 10:00:00 UTC
const auto N = SyncAction::None;
const auto P = SyncAction::Pause;
const auto R = SyncAction::Resume;
const auto S = SyncAction::Step;

Varpen::SingleFilePtr File(time_t start, time_t end, unsigned size)
{
    return std::make_shared<Varpen::CSingleFile>("f", "", size, start, end, 1, "", 0);
}

// A latch the test opens; a wait on it gives up after 10 s and says so.
class Latch {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_open = true;
        m_cond.notify_all();
    }
    bool Wait()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_cond.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    bool m_open = false;
};

// A window whose seek takes as long as the test wants (a stream slow to answer).
class SlowSeekMember : public CPlayBackInteraction {
public:
    Latch entered;
    Latch release;
    std::atomic<bool> gaveUp{false};
    bool SetPlayTimePaused(time_t) override
    {
        entered.Open();
        if (!release.Wait())
            gaveUp = true;
        return true;
    }
    bool IsPlaying() override { return true; }
    time_t GetCurrentTime() override { return T0; }
};
}  // namespace

class TestPlayLogic : public QObject {
    Q_OBJECT

private slots:
    void syncPass_data()
    {
        QTest::addColumn<Times>("times");
        QTest::addColumn<Actions>("expected");
        QTest::newRow("3 s ahead is paused") << Times{T0, T0 + 3} << Actions{R, P};
        QTest::newRow("2 s ahead is left alone") << Times{T0, T0 + 2} << Actions{R, N};
        QTest::newRow("1 s ahead is left alone") << Times{T0 + 1, T0} << Actions{N, R};
        QTest::newRow("caught up is resumed") << Times{T0 + 3, T0 + 3} << Actions{R, R};
        QTest::newRow("overtaken is resumed") << Times{T0 + 3, T0 + 4} << Actions{R, N};
        // A member without a frame (ended, failed, or in no recording) does not freeze the others.
        QTest::newRow("member without time skipped") << Times{-1, T0, T0 + 5} << Actions{N, R, P};
        QTest::newRow("leader resumed when the others ended") << Times{-1, T0 + 30, -1} << Actions{N, R, N};
        QTest::newRow("nobody has a time") << Times{-1, -1} << Actions{N, N};
        QTest::newRow("no members") << Times{} << Actions{};
    }
    void syncPass()
    {
        QFETCH(Times, times);
        QFETCH(Actions, expected);
        QCOMPARE(Varpen::PlanSyncPass(times), expected);
    }

    void syncStep_data()
    {
        QTest::addColumn<Times>("times");
        QTest::addColumn<std::vector<bool>>("playing");
        QTest::addColumn<Actions>("expected");
        QTest::newRow("earlier steps, 5 s later is paused")
            << Times{T0, T0 + 5} << std::vector<bool>{true, true} << Actions{S, P};
        QTest::newRow("within 2 s both step")
            << Times{T0 + 1, T0} << std::vector<bool>{true, true} << Actions{S, S};
        QTest::newRow("exactly 2 s apart is paused")
            << Times{T0, T0 + 2} << std::vector<bool>{true, true} << Actions{S, P};
        QTest::newRow("not playing is skipped")
            << Times{T0, T0} << std::vector<bool>{true, false} << Actions{S, N};
        QTest::newRow("no time is paused")
            << Times{-1, T0} << std::vector<bool>{false, true} << Actions{P, S};
    }
    void syncStep()
    {
        QFETCH(Times, times);
        QFETCH(std::vector<bool>, playing);
        QFETCH(Actions, expected);
        QCOMPARE(Varpen::PlanSyncStep(times, playing), expected);
    }

    void controllerRefusals()
    {
        // Without a running thread nothing is sent; -1 is never a play time.
        Varpen::SynPlaybackInteraction sync;
        CPlayBackInteraction member;
        QVERIFY(sync.AddInteraction(&member));
        QVERIFY(!sync.AddInteraction(&member));
        QVERIFY(!sync.AddInteraction(nullptr));
        QVERIFY(!sync.SetPlayTime(T0));
        QVERIFY(sync.Start());
        QVERIFY(!sync.SetPlayTime(-1));
        QCOMPARE(sync.GetCurrentTime(), std::numeric_limits<time_t>::max());
        sync.StopAll();
        QVERIFY(!sync.IsRunning());
        QVERIFY(sync.AddInteraction(&member));  // the list was emptied
    }

    // A seek for all waits for every member's stream; meanwhile the owner's reads and its member
    // list do not wait for it.
    void controllerLockNotHeldAcrossSeeks()
    {
        Varpen::SynPlaybackInteraction sync;
        SlowSeekMember slow;
        CPlayBackInteraction other;
        QVERIFY(sync.AddInteraction(&slow));
        QVERIFY(sync.Start());
        std::thread seeker([&] { sync.SetPlayTime(T0 + 60); });
        QVERIFY(slow.entered.Wait());
        QCOMPARE(sync.GetCurrentTime(), T0);
        QVERIFY(sync.AddInteraction(&other));
        sync.RemoveInteraction(&other);
        slow.release.Open();
        seeker.join();
        QVERIFY2(!slow.gaveUp, "the owner waited for the members' seeks");
        sync.StopAll();
    }

    void sizeEstimate_data()
    {
        QTest::addColumn<Varpen::SingleFileList>("files");
        QTest::addColumn<time_t>("begin");
        QTest::addColumn<time_t>("end");
        QTest::addColumn<quint64>("expected");
        // Three files of 100 s (101 counted seconds) with gaps.
        const Varpen::SingleFileList three{File(T0, T0 + 100, 1010), File(T0 + 200, T0 + 300, 2020),
                                           File(T0 + 400, T0 + 500, 4040)};
        QTest::newRow("two whole files and half of a third")
            << three << T0 << T0 + 450 << quint64(1010 + 2020 + 2040);
        QTest::newRow("begin after end") << three << T0 + 10 << T0 << quint64(0);
        QTest::newRow("inside one file") << three << T0 + 210 << T0 + 219 << quint64(200);
        QTest::newRow("window in a gap") << three << T0 + 120 << T0 + 150 << quint64(0);
        QTest::newRow("from inside the first to past the end")
            << three << T0 + 50 << T0 + 1000 << quint64(510 + 2020 + 4040);
        QTest::newRow("rounding half up") << Varpen::SingleFileList{File(T0, T0 + 3, 3)} << T0 << T0 + 1
                                          << quint64(2);
        // An end on a file's first second ends the walk before that file.
        QTest::newRow("end at a file's start") << Varpen::SingleFileList{File(T0, T0 + 3, 3)} << T0 << T0
                                               << quint64(0);
        // A record whose end lies before its start would divide by zero or less.
        QTest::newRow("corrupt record skipped")
            << Varpen::SingleFileList{File(T0 + 10, T0, 999), File(T0 + 20, T0 + 120, 1010)} << T0
            << T0 + 200 << quint64(1010);
        QTest::newRow("single-second file") << Varpen::SingleFileList{File(T0, T0, 500)} << T0 - 5
                                            << T0 + 5 << quint64(500);
    }
    void sizeEstimate()
    {
        QFETCH(Varpen::SingleFileList, files);
        QFETCH(time_t, begin);
        QFETCH(time_t, end);
        QFETCH(quint64, expected);
        QCOMPARE(quint64(Varpen::EstimateDataSize(files, begin, end)), expected);
    }

    void lastSearchBeforeAndAfter()
    {
        CPlayBackInteraction engine;
        int type = 0;
        time_t begin = -5, end = -5;
        engine.GetRecordField(&type);
        engine.GetFirstRecordTime(&begin);
        engine.GetLastRecordTime(&end);
        QCOMPARE(type, 255);
        QCOMPARE(begin, time_t(0));
        QCOMPARE(end, time_t(0));

        // A refused window is still stored as the last search.
        Varpen::SingleFileList out{File(T0, T0 + 1, 1)};
        QVERIFY(!engine.SearchFiles(out, "/nonexistent", T0 + 10, T0, 1));
        QVERIFY(out.empty());
        engine.GetRecordField(&type);
        engine.GetFirstRecordTime(&begin);
        engine.GetLastRecordTime(&end);
        QCOMPARE(type, 1);
        QCOMPARE(begin, T0 + 10);
        QCOMPARE(end, T0);
    }

    void startWithoutFiles()
    {
        CPlayBackInteraction engine;
        QVERIFY(!engine.StartPlayback(1, 0));
        QCOMPARE(engine.GetPlayError(), 1);
        QVERIFY(!engine.IsPlaying());
        QCOMPARE(engine.GetCurrentTime(), time_t(-1));
        QVERIFY(!engine.SetPlayTime(T0));
    }
};

QTEST_GUILESS_MAIN(TestPlayLogic)
#include "tst_playlogic.moc"
