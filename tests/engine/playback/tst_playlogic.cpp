// The decision rules of playback, on data tables: keeping windows in step, stepping all windows,
// and the size estimate of a time span over found files.
#include <QtTest>

#include <atomic>
#include <memory>
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

// Shown times in milliseconds: T0 plus `offset_ms`; -1 stays "no picture".
Times Ms(std::initializer_list<std::int64_t> offsets_ms)
{
    Times out;
    for (std::int64_t o : offsets_ms)
        out.push_back(o < 0 ? -1 : T0 * 1000 + o);
    return out;
}

// Passes of the step rule: per pass one token per member, "index:second" or
// "index:second.millisecond" (after T0; "?" for no picture yet; a "~" after it: not ready, its
// decoder is not ahead of the picture shown) or "-" for a member out of the step (ended, failed,
// idle); the expected actions one letter each (N none, P pause, R resume, S step, L release).
using Passes = QStringList;

Varpen::SyncMemberView ParseMember(std::uintptr_t id, const QString& token)
{
    Varpen::SyncMemberView v;
    v.id = id;
    if (token == QLatin1String("-"))
        return v;
    v.ready = !token.endsWith(QLatin1Char('~'));
    const QStringList parts = QString(token).remove(QLatin1Char('~')).split(QLatin1Char(':'));
    v.playing = true;
    v.index = parts[0].toInt();
    if (parts[1] != QLatin1String("?")) {
        const QStringList second = parts[1].split(QLatin1Char('.'));
        v.time_ms = (T0 + second[0].toInt()) * 1000 + (second.size() > 1 ? second[1].toInt() : 0);
    }
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
    std::int64_t shown_ms = -1;
    bool paused = false;
    bool stepping = false;
    bool hold = false;
    int speed = 0;
    Varpen::PlayState GetPlayState() override { return state; }
    bool IsPlaying() override { return state.IsPlaying(); }
    time_t GetCurrentTime() override { return state.IsPlaying() && shown_ms >= 0 ? shown_ms / 1000 : -1; }
    std::int64_t GetCurrentTimeMs() override { return state.IsPlaying() ? shown_ms : -1; }
    bool IsDecodedAhead() override { return true; }
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
        Note(QStringLiteral("normal"));
        stepping = paused = false;
        speed = 0;
        return true;
    }
    int SetSpeed(int level) override
    {
        Note(QStringLiteral("speed%1").arg(level));
        const int moved = level - speed;
        speed = level;
        paused = false;
        return moved;
    }
    int GetSpeed() override { return speed; }
    void SetHoldAtNextFile(bool on) override { hold = on; }
    int SetSpeedHeld(int level) override
    {
        Note(QStringLiteral("level%1").arg(level));
        const int moved = level - speed;
        speed = level;
        return moved;
    }
    bool PlayOn() override
    {
        Note(QStringLiteral("on"));
        stepping = paused = false;
        return true;
    }
    // What the controller told it, as "name:call", in the order told (shared by the members).
    QStringList* log = nullptr;
    QString name;
    void Note(const QString& call)
    {
        if (log)
            log->append(name + QLatin1Char(':') + call);
    }
    void At(int index, int second, int ms = 0)
    {
        state.index = index;
        shown_ms = second < 0 ? -1 : (T0 + second) * 1000 + ms;
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

// A playing window whose state read by the controller's pass can be held by the test; it counts
// the controller's calls made after the test marked it removed.
class HeldReadMember : public ScriptedMember {
public:
    std::atomic<bool> armed{false};
    std::atomic<bool> inCall{false};
    std::atomic<bool> removed{false};
    std::atomic<int> callsAfterRemoval{0};
    // One pair for each time the test holds a read; `round` picks it.
    std::atomic<int> round{0};
    Latch entered[2];
    Latch release[2];
    Varpen::PlayState GetPlayState() override
    {
        if (removed)
            ++callsAfterRemoval;
        if (armed.exchange(false)) {
            const int r = round;
            inCall = true;
            entered[r].Open();
            release[r].Wait();
            inCall = false;
        }
        return ScriptedMember::GetPlayState();
    }
    std::atomic<int> pauses{0};
    std::atomic<int> steps{0};
    bool Pause(bool pause) override
    {
        if (removed)
            ++callsAfterRemoval;
        ++pauses;
        return ScriptedMember::Pause(pause);
    }
    bool StepForward() override
    {
        ++steps;
        return ScriptedMember::StepForward();
    }
};
}  // namespace

class TestPlayLogic : public QObject {
    Q_OBJECT

private slots:
    // One pass over shown times in milliseconds, at a speed level.
    void syncPass_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<Times>("times");
        QTest::addColumn<Actions>("expected");
        QTest::newRow("3 s ahead is paused") << 0 << Ms({0, 3000}) << Actions{R, P};
        // Two pictures apart at 1x: held back at once, long before the 3 s the rule allows.
        QTest::newRow("1x: 80 ms ahead is paused") << 0 << Ms({0, 80}) << Actions{R, P};
        QTest::newRow("1x: 60 ms ahead is left alone") << 0 << Ms({60, 0}) << Actions{N, R};
        QTest::newRow("1x: within half a pass is resumed") << 0 << Ms({20, 0}) << Actions{R, R};
        // At 8x a pass moves a member on by 320 ms: a smaller lead is left to the next pass.
        QTest::newRow("8x: 300 ms ahead is left alone") << 3 << Ms({0, 300}) << Actions{R, N};
        QTest::newRow("8x: a pass ahead is paused") << 3 << Ms({0, 320}) << Actions{R, P};
        QTest::newRow("8x: within half a pass is resumed") << 3 << Ms({160, 0}) << Actions{R, R};
        QTest::newRow("8x: 170 ms ahead is left alone") << 3 << Ms({170, 0}) << Actions{N, R};
        // At 1/8x one picture stays up 320 ms: two pictures are still the least lead held back.
        QTest::newRow("1/8x: two pictures ahead are paused") << -3 << Ms({80, 0}) << Actions{P, R};
        QTest::newRow("1/8x: one picture ahead is left alone") << -3 << Ms({40, 0}) << Actions{N, R};
        QTest::newRow("caught up is resumed") << 0 << Ms({3000, 3000}) << Actions{R, R};
        QTest::newRow("overtaken is resumed") << 0 << Ms({3000, 4000}) << Actions{R, P};
        // A member without a frame (ended, failed, or in no recording) does not freeze the others.
        QTest::newRow("member without time skipped") << 0 << Ms({-1, 0, 5000}) << Actions{N, R, P};
        QTest::newRow("leader resumed when the others ended") << 3 << Ms({-1, 30000, -1}) << Actions{N, R, N};
        // At 8x the members a pass finds a pass ahead are all held back in that pass.
        QTest::newRow("8x: every member a pass ahead paused at once")
            << 3 << Ms({0, 320, 150, 640, 161}) << Actions{R, P, R, P, N};
        QTest::newRow("nobody has a time") << 0 << Ms({-1, -1}) << Actions{N, N};
        QTest::newRow("no members") << 0 << Times{} << Actions{};
    }
    void syncPass()
    {
        QFETCH(int, level);
        QFETCH(Times, times);
        QFETCH(Actions, expected);
        QCOMPARE(Varpen::PlanSyncPass(times, level), expected);
    }

    // The step rule at file changes, pass by pass, at a speed level (at 8x the passes come 320 ms
    // of recording time apart; see also stepRuleAtEightTimes).
    void stepRuleAtFileChanges_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<Passes>("passes");
        QTest::addColumn<Passes>("expected");
        QTest::newRow("in step, no file change") << 0 << Passes{"0:5 0:5", "0:6 0:6"} << Passes{"RR", "RR"};
        QTest::newRow("the first across waits at the next file's first picture for the others")
            << 0 << Passes{"0:5 0:5 0:5", "1:? 0:5 0:5", "1:6 0:5 0:5", "1:6 1:? 0:5",
                           "1:6 1:6 1:?", "1:6 1:6 1:6", "1:7 1:7 1:7"}
            << Passes{"RRR", "SRR", "NRR", "NSR", "NNS", "LLL", "RRR"};
        QTest::newRow("a member opening its next file, no picture yet, holds the others at the boundary")
            << 0 << Passes{"0:5 0:5", "0:? 1:?", "0:? 1:6", "0:? 1:6", "1:? 1:6", "1:6 1:6", "1:7 1:7"}
            << Passes{"RR", "NS", "NN", "NN", "SN", "LL", "RR"};
        QTest::newRow("a member that never showed a picture holds nobody back")
            << 0 << Passes{"0:? 0:5", "0:? 1:?", "0:? 1:6"} << Passes{"NR", "NS", "NL"};
        QTest::newRow("a member without a next file ends: the held one goes on")
            << 0 << Passes{"0:5 0:5", "1:? 0:5", "1:6 0:5", "1:6 -"} << Passes{"RR", "SR", "NR", "LN"};
        QTest::newRow("a member failing at the boundary leaves the step, the others go on")
            << 0 << Passes{"0:5 0:5 0:5", "1:? 0:5 0:5", "1:6 - 0:5", "1:6 - 1:?", "1:6 - 1:6"}
            << Passes{"RRR", "SRR", "NNR", "NNS", "LNL"};
        QTest::newRow("a next file starting later waits until the others reach its time")
            << 0 << Passes{"0:5 0:5", "1:? 1:?", "1:9 1:6", "1:9 1:7", "1:9 1:8", "1:9 1:9"}
            << Passes{"RR", "SS", "NL", "NR", "NR", "LR"};
        QTest::newRow("a member whose files do not change there holds nobody back for long")
            << 0 << Passes{"0:5 3:5", "1:? 3:5", "1:6 3:5", "1:6 3:6", "1:7 3:7"}
            << Passes{"RR", "SR", "NR", "LR", "RR"};
        QTest::newRow("a member running ahead of a held one is paused, the held one goes on")
            << 0 << Passes{"0:5 0:5", "1:? 0:5", "1:6 0:8"} << Passes{"RR", "SR", "LP"};
        QTest::newRow("a member out of the step and back is no file change")
            << 0 << Passes{"0:5 0:5", "- 0:5", "2:5 0:5"} << Passes{"RR", "NR", "RR"};
        // In milliseconds: a window that falls behind its decoder after the release holds the
        // others back from two pictures on, until it is within half a pass again.
        QTest::newRow("1x: a window lagging after the release holds the others back")
            << 0 << Passes{"0:5.960 0:5.960", "1:? 1:?",         "1:6 1:6",        "1:6.040 1:6.000",
                           "1:6.120 1:6.000", "1:6.120 1:6.080", "1:6.120 1:6.100"}
            << Passes{"RR", "SS", "LL", "NR", "PR", "NR", "RR"};
        QTest::newRow("8x: a window lagging after the release holds the others back from a pass on")
            << 3
            << Passes{"0:5.960 0:5.960", "1:? 1:?", "1:6 1:6", "1:6.320 1:6.000", "1:6.320 1:6.200", "1:6.650 1:6.480"}
            << Passes{"RR", "SS", "LL", "PR", "RR", "NR"};
        // The held wait for the running ones to reach their time to the millisecond: at 8x a
        // window still showing the old file's last pictures is not left behind.
        QTest::newRow("8x: the first across waits for the others' last pictures of the old file")
            << 3 << Passes{"0:5.600 0:5.600", "1:? 0:5.920", "1:6 0:5.960", "1:6 0:?", "1:6 1:?", "1:6 1:6"}
            << Passes{"RR", "SR", "NR", "NN", "NS", "LL"};
        QTest::newRow("8x: a member without a next file ends, the held one goes on at once")
            << 3 << Passes{"0:5.600 0:5.600", "1:? 0:5.920", "1:6 0:5.960", "1:6 -"} << Passes{"RR", "SR", "NR", "LN"};
        // Next files that start a picture apart: at 1x the later waits until the earlier shows its
        // time; at 8x, where that is within half a pass, both go on together.
        QTest::newRow("1x: next files a picture apart")
            << 0 << Passes{"0:5.960 0:5.960", "1:? 1:?", "1:6.000 1:6.040", "1:6.040 1:6.040"}
            << Passes{"RR", "SS", "LN", "RL"};
        QTest::newRow("8x: next files a picture apart")
            << 3 << Passes{"0:5.960 0:5.960", "1:? 1:?", "1:6.000 1:6.040"} << Passes{"RR", "SS", "LL"};
        // Four windows at 8x reaching the change a pass or two apart: none goes on before the
        // last has its first picture, then all in the same pass.
        QTest::newRow("8x: four windows crossing one after another go on in one pass")
            << 3
            << Passes{"0:5.600 0:5.600 0:5.600 0:5.600",
                      "1:? 0:5.900 0:5.880 0:5.860",
                      "1:6 1:? 0:5.960 0:5.940",
                      "1:6 1:6 1:? 0:5.980",
                      "1:6 1:6 1:6 1:?",
                      "1:6 1:6 1:6 1:6"}
            << Passes{"RRRR", "SRRR", "NSRR", "NNSR", "NNNS", "LLLL"};
        // Released before its decoder is ahead, a window would fall behind at once.
        QTest::newRow("the release waits for every held window's decoder")
            << 0 << Passes{"0:5.960 0:5.960 0:5.960", "1:? 1:? 0:5.960", "1:6~ 1:6 1:?", "1:6 1:6 1:6~", "1:6 1:6 1:6"}
            << Passes{"RRR", "SSR", "NNS", "NNN", "LLL"};
    }
    void stepRuleAtFileChanges()
    {
        QFETCH(int, level);
        QFETCH(Passes, passes);
        QFETCH(Passes, expected);
        Varpen::SyncStepRule rule;
        for (int p = 0; p < passes.size(); ++p) {
            std::vector<Varpen::SyncMemberView> views;
            const QStringList tokens = passes[p].split(QLatin1Char(' '));
            for (int m = 0; m < tokens.size(); ++m)
                views.push_back(ParseMember(std::uintptr_t(m + 1), tokens[m]));
            QCOMPARE(ActionLetters(rule.Plan(views, level)), expected[p]);
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
        // The same for one held whose decoder does not get ahead, within the same passes.
        rule.SetCrossingPasses(3);
        QCOMPARE(pass("2:?", "2:?"), QStringLiteral("SS"));
        QCOMPARE(pass("2:7", "2:7~"), QStringLiteral("NN"));
        QCOMPARE(pass("2:7", "2:7~"), QStringLiteral("NN"));
        QCOMPARE(pass("2:7", "2:7~"), QStringLiteral("LL"));
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
        sync.PassNow();  // carries out the command, then passes
        QCOMPARE(a.speed, 3);
        a.At(1, -1);  // a opened its next file, paused
        a.paused = true;
        sync.PassNow();
        QVERIFY(a.stepping);
        a.At(1, 6);
        sync.PassNow();
        QVERIFY(a.paused);
        QVERIFY(sync.SetSpeed(2));  // at the boundary
        sync.PassNow();
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
        // The passes weigh leads at the step's speed: at 4x one pass is 160 ms of recording time.
        a.At(1, 7, 150);
        b.At(1, 7);
        sync.PassNow();
        QVERIFY2(!a.paused, "150 ms ahead at 4x is left to the next pass");
        a.At(1, 7, 160);
        sync.PassNow();
        QVERIFY(a.paused);
        sync.StopAll();
    }

    // Held windows go on together: each takes the step's level while still held (also a level
    // chosen during the hold), and only then is each told to play on, one call each. Releasing
    // them one by one (normal speed, then the level) let the first run ahead of the last.
    void heldWindowsGoOnTogether()
    {
        SyncByHand sync;
        QStringList log;
        ScriptedMember a, b, c;
        int n = 0;
        for (ScriptedMember* m : {&a, &b, &c}) {
            m->log = &log;
            m->name = QString(QLatin1Char('a' + n++));
            QVERIFY(sync.AddInteraction(m));
            m->At(0, 5);
        }
        QVERIFY(sync.SetSpeed(3));
        sync.PassNow();
        for (ScriptedMember* m : {&a, &b, &c}) {
            m->At(1, -1);  // each opened its next file, paused
            m->paused = true;
        }
        sync.PassNow();
        QVERIFY(sync.SetSpeed(2));  // while they are held
        for (ScriptedMember* m : {&a, &b, &c})
            m->At(1, 6);
        log.clear();
        sync.PassNow();
        QCOMPARE(log, QStringList({"a:level2", "b:level2", "c:level2", "a:on", "b:on", "c:on"}));
        for (ScriptedMember* m : {&a, &b, &c})
            QVERIFY(!m->paused && !m->stepping && m->speed == 2);
        sync.StopAll();
    }

    // The owner removes a window while a pass is busy with another one: it does not wait for that
    // pass, and the controller does not call the removed window again. A window removed while the
    // controller is calling it is given back once that call has ended, and is not called again.
    void removalWaitsForNoPass()
    {
        Varpen::SynPlaybackInteraction sync;
        HeldReadMember other, busy;
        other.paused = true;  // a pass that still used it would resume it
        for (HeldReadMember* m : {&other, &busy}) {
            m->At(0, 5);
            QVERIFY(sync.AddInteraction(m));
        }
        busy.armed = true;  // the first pass waits in `busy`
        QVERIFY(sync.Start());
        QVERIFY(busy.entered[0].Wait());
        sync.RemoveInteraction(&other);
        other.removed = true;
        QVERIFY2(busy.inCall, "the removal waited for the pass");
        busy.round = 1;
        busy.armed = true;
        busy.release[0].Open();

        // The next pass is past where `other` stood once it reads `busy` again.
        QVERIFY(busy.entered[1].Wait());
        Latch removing;
        std::atomic<bool> callEndedFirst{false};
        std::thread owner([&] {
            removing.Open();
            sync.RemoveInteraction(&busy);
            callEndedFirst = !busy.inCall;
            busy.removed = true;
        });
        QVERIFY(removing.Wait());
        busy.release[1].Open();
        owner.join();
        QVERIFY2(callEndedFirst, "the removal returned while the controller was calling the window");
        sync.StopAll();
        QCOMPARE(other.callsAfterRemoval.load(), 0);
        QCOMPARE(busy.callsAfterRemoval.load(), 0);
        QVERIFY(other.paused);
    }

    // The controls for all return while the controller's thread is busy in a member (a pass that
    // held them behind it froze the page), and are carried out afterwards in the order given: a
    // pause and a resume both still waiting come down to the last, two speeds likewise, a step
    // counts on its own. Wrong levels are refused at once.
    void commandsReturnWhileAPassIsBusy()
    {
        Varpen::SynPlaybackInteraction sync;
        QStringList log;
        HeldReadMember busy, other;
        busy.name = QStringLiteral("busy");
        other.name = QStringLiteral("other");
        for (HeldReadMember* m : {&busy, &other}) {
            m->log = &log;
            m->At(0, 5);
            QVERIFY(sync.AddInteraction(m));
        }
        busy.armed = true;  // the first pass waits in `busy`
        QVERIFY(sync.Start());
        QVERIFY(busy.entered[0].Wait());
        QVERIFY(!sync.SetSpeed(4));
        QVERIFY(!sync.SetSpeed(-4));
        QVERIFY(sync.Pause(true));
        QVERIFY(sync.Pause(false));
        QVERIFY(sync.SetSpeed(1));
        QVERIFY(sync.SetSpeed(2));
        QVERIFY(sync.StepForward());
        QVERIFY(sync.StepForward());
        QVERIFY(sync.HasCommandsWaiting());
        QVERIFY2(busy.inCall, "a command waited for the pass");
        QVERIFY(log.isEmpty());
        busy.release[0].Open();
        QTRY_VERIFY(!sync.HasCommandsWaiting());
        sync.StopAll();
        // Both members are playing and within 2 s: the speed once (the last), then two steps each.
        QCOMPARE(log, QStringList({"busy:speed2", "other:speed2"}));
        QCOMPARE(busy.speed, 2);
        QVERIFY(busy.stepping && other.stepping);
        QCOMPARE(busy.steps.load(), 2);
        QCOMPARE(other.steps.load(), 2);
        QCOMPARE(busy.pauses.load(), 1);  // the resume that replaced the pause
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
        // Without a running thread nothing is sent; -1 is never a play time. (The member outlives
        // the controller, which lets its members go when it ends.)
        CPlayBackInteraction member;
        Varpen::SynPlaybackInteraction sync;
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
