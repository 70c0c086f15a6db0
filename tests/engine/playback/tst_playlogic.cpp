// The decision rules of playback, on data tables: keeping windows in step, stepping all windows,
// and the size estimate of a time span over found files.
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "engine/PlayBackInteraction.h"
#include "engine/SynPlaybackInteraction.h"
#include "tests/support/TestLatch.h"

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
const auto L = SyncAction::Release;

// Passes of the step rule: per pass one token per member, "index:second" (seconds after T0, "?"
// for no picture yet) or "-" for a member out of the step (ended, failed, idle); the expected
// actions one letter each (N none, P pause, R resume, S step, L release).
using Passes = QStringList;

Varpen::SyncMemberView ParseMember(std::uintptr_t id, const QString& token)
{
    Varpen::SyncMemberView v;
    v.id = id;
    if (token == QLatin1String("-"))
        return v;
    const QStringList parts = token.split(QLatin1Char(':'));
    v.playing = true;
    v.index = parts[0].toInt();
    v.time = parts[1] == QLatin1String("?") ? time_t(-1) : T0 + parts[1].toInt();
    return v;
}

QString ActionLetters(const Actions& actions)
{
    QString out;
    for (SyncAction a : actions)
        out += QLatin1Char("NPRSL"[int(a)]);
    return out;
}

// A window as the controller sees it, whose state the test sets: what the controller tells it is
// recorded.
class ScriptedMember : public CPlayBackInteraction {
public:
    Varpen::PlayState state;
    time_t shown = -1;
    bool paused = false;
    bool stepping = false;
    bool hold = false;
    int speed = 0;
    Varpen::PlayState GetPlayState() override { return state; }
    bool IsPlaying() override { return state.IsPlaying(); }
    time_t GetCurrentTime() override { return state.IsPlaying() ? shown : -1; }
    bool Pause(bool pause) override
    {
        paused = pause;
        return true;
    }
    bool IsPaused() override { return paused; }
    bool StepForward() override
    {
        stepping = paused = true;
        return true;
    }
    bool NormalSpeed() override
    {
        stepping = paused = false;
        speed = 0;
        return true;
    }
    int SetSpeed(int level) override
    {
        const int moved = level - speed;
        speed = level;
        paused = false;
        return moved;
    }
    int GetSpeed() override { return speed; }
    void SetHoldAtNextFile(bool on) override { hold = on; }
    void At(int index, int second)
    {
        state.index = index;
        shown = second < 0 ? time_t(-1) : T0 + second;
    }
};

// The controller's passes run on the test's thread, one at a time.
class SyncByHand : public Varpen::SynPlaybackInteraction {
public:
    void PassNow() { RunOnce(); }
};

Varpen::SingleFilePtr File(time_t start, time_t end, unsigned size)
{
    return std::make_shared<Varpen::CSingleFile>("f", "", size, start, end, 1, "", 0);
}

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
        // Two whole seconds are a real lead of 1 to 3 s: held back before it can pass 3 s.
        QTest::newRow("2 s ahead is paused") << Times{T0, T0 + 2} << Actions{R, P};
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

    // The step rule at file changes, pass by pass (the speed does not enter it: at 8x the passes
    // only come further apart in recording time, see stepRuleAtEightTimes).
    void stepRuleAtFileChanges_data()
    {
        QTest::addColumn<Passes>("passes");
        QTest::addColumn<Passes>("expected");
        QTest::newRow("in step, no file change") << Passes{"0:5 0:5", "0:6 0:6"} << Passes{"RR", "RR"};
        QTest::newRow("the first across waits at the next file's first picture for the others")
            << Passes{"0:5 0:5 0:5", "1:? 0:5 0:5", "1:6 0:5 0:5", "1:6 1:? 0:5",
                      "1:6 1:6 1:?", "1:6 1:6 1:6", "1:7 1:7 1:7"}
            << Passes{"RRR", "SRR", "NRR", "NSR", "NNS", "LLL", "RRR"};
        QTest::newRow("a member opening its next file, no picture yet, holds the others at the boundary")
            << Passes{"0:5 0:5", "0:? 1:?", "0:? 1:6", "0:? 1:6", "1:? 1:6", "1:6 1:6", "1:7 1:7"}
            << Passes{"RR", "NS", "NN", "NN", "SN", "LL", "RR"};
        QTest::newRow("a member that never showed a picture holds nobody back")
            << Passes{"0:? 0:5", "0:? 1:?", "0:? 1:6"} << Passes{"NR", "NS", "NL"};
        QTest::newRow("a member without a next file ends: the held one goes on")
            << Passes{"0:5 0:5", "1:? 0:5", "1:6 0:5", "1:6 -"} << Passes{"RR", "SR", "NR", "LN"};
        QTest::newRow("a member failing at the boundary leaves the step, the others go on")
            << Passes{"0:5 0:5 0:5", "1:? 0:5 0:5", "1:6 - 0:5", "1:6 - 1:?", "1:6 - 1:6"}
            << Passes{"RRR", "SRR", "NNR", "NNS", "LNL"};
        QTest::newRow("a next file starting later waits until the others reach its time")
            << Passes{"0:5 0:5", "1:? 1:?", "1:9 1:6", "1:9 1:7", "1:9 1:8", "1:9 1:9"}
            << Passes{"RR", "SS", "NL", "NR", "NR", "LR"};
        QTest::newRow("a member whose files do not change there holds nobody back for long")
            << Passes{"0:5 3:5", "1:? 3:5", "1:6 3:5", "1:6 3:6", "1:7 3:7"} << Passes{"RR", "SR", "NR", "LR", "RR"};
        QTest::newRow("a member running ahead of a held one is paused, the held one goes on")
            << Passes{"0:5 0:5", "1:? 0:5", "1:6 0:8"} << Passes{"RR", "SR", "LP"};
        QTest::newRow("a member out of the step and back is no file change")
            << Passes{"0:5 0:5", "- 0:5", "2:5 0:5"} << Passes{"RR", "NR", "RR"};
    }
    void stepRuleAtFileChanges()
    {
        QFETCH(Passes, passes);
        QFETCH(Passes, expected);
        Varpen::SyncStepRule rule;
        for (int p = 0; p < passes.size(); ++p) {
            std::vector<Varpen::SyncMemberView> views;
            const QStringList tokens = passes[p].split(QLatin1Char(' '));
            for (int m = 0; m < tokens.size(); ++m)
                views.push_back(ParseMember(std::uintptr_t(m + 1), tokens[m]));
            QCOMPARE(ActionLetters(rule.Plan(views)), expected[p]);
        }
    }

    // A member whose next file shows no picture is given up after its passes: the others go on.
    void stepRuleGivesUpANextFileWithoutPicture()
    {
        Varpen::SyncStepRule rule;
        auto pass = [&](const char* a, const char* b) {
            return ActionLetters(rule.Plan({ParseMember(1, QLatin1String(a)), ParseMember(2, QLatin1String(b))}));
        };
        QCOMPARE(pass("0:5", "0:5"), QStringLiteral("RR"));
        QCOMPARE(pass("1:?", "1:?"), QStringLiteral("SS"));
        QCOMPARE(pass("1:?", "1:6"), QStringLiteral("NN"));
        for (int i = 1; i < Varpen::SyncStepRule::kCrossingPasses - 1; ++i)
            QCOMPARE(pass("1:?", "1:6"), QStringLiteral("NN"));
        QCOMPARE(pass("1:?", "1:6"), QStringLiteral("LL"));
    }

    // A start for all tells the rule where its members are: one that reaches its next file before
    // the first pass is still stepped and held there (without it the pass took the new file for
    // its first and let it play on).
    void stepRuleKnowsTheFilesOfAStartForAll()
    {
        Varpen::SyncStepRule rule;
        auto pass = [&](const char* a, const char* b) {
            return ActionLetters(rule.Plan({ParseMember(1, QLatin1String(a)), ParseMember(2, QLatin1String(b))}));
        };
        rule.Reset({ParseMember(1, QStringLiteral("0:5")), ParseMember(2, QStringLiteral("0:5"))});
        QCOMPARE(pass("1:?", "0:5"), QStringLiteral("SR"));
        QCOMPARE(pass("1:6", "0:5"), QStringLiteral("NR"));
        QCOMPARE(rule.Holding(), std::vector<std::uintptr_t>{1});
    }

    // The controller at 8x: a speed chosen while one window is held at a file change reaches it when
    // the step lets it go, and the windows go on together at that speed.
    void stepRuleAtEightTimes()
    {
        SyncByHand sync;
        ScriptedMember a, b;
        QVERIFY(sync.AddInteraction(&a));
        QVERIFY(sync.AddInteraction(&b));
        a.At(0, 5);
        b.At(0, 5);
        QVERIFY(sync.SetSpeed(3));
        QCOMPARE(a.speed, 3);
        sync.PassNow();
        a.At(1, -1);  // a opened its next file, paused
        a.paused = true;
        sync.PassNow();
        QVERIFY(a.stepping);
        a.At(1, 6);
        sync.PassNow();
        QVERIFY(a.paused);
        QVERIFY(sync.SetSpeed(2));  // at the boundary
        QCOMPARE(b.speed, 2);
        QVERIFY2(a.paused && a.speed == 3, "the speed let the held window go");
        b.At(1, -1);
        b.paused = true;
        sync.PassNow();
        b.At(1, 6);
        sync.PassNow();
        QVERIFY(!a.paused && !a.stepping && !b.paused && !b.stepping);
        QCOMPARE(a.speed, 2);
        QCOMPARE(b.speed, 2);
        sync.StopAll();
    }

    void syncStep_data()
    {
        QTest::addColumn<Times>("times");
        QTest::addColumn<std::vector<bool>>("playing");
        QTest::addColumn<Actions>("expected");
        QTest::newRow("earlier steps, 5 s later is paused")
            << Times{T0, T0 + 5} << std::vector<bool>{true, true} << Actions{S, P};
        QTest::newRow("within 2 s both step") << Times{T0 + 1, T0} << std::vector<bool>{true, true} << Actions{S, S};
        QTest::newRow("exactly 2 s apart is paused")
            << Times{T0, T0 + 2} << std::vector<bool>{true, true} << Actions{S, P};
        QTest::newRow("not playing is skipped") << Times{T0, T0} << std::vector<bool>{true, false} << Actions{S, N};
        QTest::newRow("no time is paused") << Times{-1, T0} << std::vector<bool>{false, true} << Actions{P, S};
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
        QTest::newRow("two whole files and half of a third") << three << T0 << T0 + 450 << quint64(1010 + 2020 + 2040);
        QTest::newRow("begin after end") << three << T0 + 10 << T0 << quint64(0);
        QTest::newRow("inside one file") << three << T0 + 210 << T0 + 219 << quint64(200);
        QTest::newRow("window in a gap") << three << T0 + 120 << T0 + 150 << quint64(0);
        QTest::newRow("from inside the first to past the end")
            << three << T0 + 50 << T0 + 1000 << quint64(510 + 2020 + 4040);
        QTest::newRow("rounding half up") << Varpen::SingleFileList{File(T0, T0 + 3, 3)} << T0 << T0 + 1 << quint64(2);
        // An end on a file's first second ends the walk before that file.
        QTest::newRow("end at a file's start") << Varpen::SingleFileList{File(T0, T0 + 3, 3)} << T0 << T0 << quint64(0);
        // A record whose end lies before its start would divide by zero or less.
        QTest::newRow("corrupt record skipped")
            << Varpen::SingleFileList{File(T0 + 10, T0, 999), File(T0 + 20, T0 + 120, 1010)} << T0 << T0 + 200
            << quint64(1010);
        QTest::newRow("single-second file")
            << Varpen::SingleFileList{File(T0, T0, 500)} << T0 - 5 << T0 + 5 << quint64(500);
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
