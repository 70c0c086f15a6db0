#include <QTest>

#include <atomic>
#include <chrono>
#include <dirent.h>
#include <vector>

#include "engine/BaseThread.h"
#include "platform/rtk/rtk.h"

namespace {

// Threads of this process, from /proc/self/task.
int LiveThreads()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/task")) {
        while (dirent* entry = readdir(dir))
            if (entry->d_name[0] != '.')
                ++count;
        closedir(dir);
    }
    return count;
}

// A worker with scripted answers: RunOnce returns the next entry of `passes` (true once the
// script is spent), optionally blocking in each pass.
class ScriptedWorker : public Varpen::CBaseThread {
public:
    ~ScriptedWorker() override { Stop(); }

    bool startAnswer = true;
    int startDelay_ms = 0;
    int passDelay_ms = 0;
    bool sleepOnStop = false;     // wait for the stop inside the pass instead of a plain sleep
    bool stopFromInside = false;  // call Stop() from the first pass
    std::vector<bool> passes;

    std::atomic<int> startCalls{0};
    std::atomic<int> exitCalls{0};
    std::atomic<int> passCount{0};
    std::atomic<bool> startHookDone{false};
    std::atomic<int> workerId{0};

protected:
    bool OnThreadStart() override
    {
        ++startCalls;
        RTK_Sleep(startDelay_ms);
        workerId = ThreadId();
        startHookDone = true;
        return startAnswer;
    }
    void OnThreadExit() override { ++exitCalls; }
    bool RunOnce() override
    {
        const int n = passCount++;
        if (stopFromInside && n == 0)
            Stop();
        if (sleepOnStop)
            WaitForStop(60000);
        else
            RTK_Sleep(passDelay_ms);
        return size_t(n) < passes.size() ? passes[size_t(n)] : true;
    }
};

using Clock = std::chrono::steady_clock;

}  // namespace

class TestBaseThread : public QObject {
    Q_OBJECT

private slots:
    void startWaitsForStartHook()
    {
        ScriptedWorker w;
        w.startDelay_ms = 150;
        w.passDelay_ms = 5;
        QVERIFY(w.Start());
        // Start came back only after the hook ran on the new thread.
        QVERIFY(w.startHookDone.load());
        QVERIFY(w.workerId.load() != 0);
        QVERIFY(w.workerId.load() != RTK_Thread_GetSelfId());
        QVERIFY(w.IsRunning());
        QVERIFY(!w.Start());  // already running
        QCOMPARE(w.startCalls.load(), 1);
        w.Stop();
        QVERIFY(!w.IsRunning());
        QCOMPARE(w.exitCalls.load(), 1);
    }

    void stopJoinsBlockedPass()
    {
        ScriptedWorker w;
        w.passDelay_ms = 200;
        QVERIFY(w.Start());
        QTRY_VERIFY(w.passCount.load() >= 1);
        w.Stop();
        // Stop returned after the pass ended and the exit hook ran: the thread is gone.
        QVERIFY(!w.IsRunning());
        QCOMPARE(w.exitCalls.load(), 1);
        const int passes = w.passCount.load();
        RTK_Sleep(250);
        QCOMPARE(w.passCount.load(), passes);
        w.Stop();  // a second stop on an idle object does nothing
        QCOMPARE(w.exitCalls.load(), 1);
    }

    void stopOnIdleDoesNothing()
    {
        ScriptedWorker w;
        w.Stop();
        QVERIFY(!w.IsRunning());
        QCOMPARE(w.startCalls.load(), 0);
        QCOMPARE(w.exitCalls.load(), 0);
    }

    void passReturningFalseEndsThread()
    {
        ScriptedWorker w;
        w.passes = {false};
        const int before = LiveThreads();
        for (int round = 0; round < 3; ++round) {
            QVERIFY(w.Start());
            QTRY_VERIFY(!w.IsRunning());
            QCOMPARE(w.exitCalls.load(), round + 1);
            w.passCount = 0;
        }
        // Self-ended threads are joined on the next start; the last one at latest by Stop.
        w.Stop();
        QTRY_COMPARE(LiveThreads(), before);
    }

    void refusedStartEndsWithoutPasses()
    {
        ScriptedWorker w;
        w.startAnswer = false;
        QVERIFY(!w.Start());
        QVERIFY(!w.IsRunning());
        QCOMPARE(w.exitCalls.load(), 1);
        QCOMPARE(w.passCount.load(), 0);
        // The same object starts again once its hook agrees.
        w.startAnswer = true;
        QVERIFY(w.Start());
        QVERIFY(w.IsRunning());
        w.Stop();
    }

    void stopWakesWorkerWaitingForStop()
    {
        ScriptedWorker w;
        w.sleepOnStop = true;
        QVERIFY(w.Start());
        QTRY_VERIFY(w.passCount.load() >= 1);
        const auto start = Clock::now();
        w.Stop();
        // The pass waited up to a minute for the stop; it must not have waited that out.
        QVERIFY(Clock::now() - start < std::chrono::seconds(30));
        QVERIFY(!w.IsRunning());
        QCOMPARE(w.passCount.load(), 1);
    }

    void stopFromInsideDoesNotDeadlock()
    {
        ScriptedWorker w;
        w.stopFromInside = true;
        QVERIFY(w.Start());
        QTRY_VERIFY(!w.IsRunning());
        QCOMPARE(w.passCount.load(), 1);
        QCOMPARE(w.exitCalls.load(), 1);
        w.passCount = 0;
        QVERIFY(w.Start());  // joins the old thread, runs again
        QTRY_VERIFY(!w.IsRunning());
    }

    void destroyingRunningWorkerIsSafe()
    {
        const int before = LiveThreads();
        {
            ScriptedWorker w;
            w.passDelay_ms = 20;
            QVERIFY(w.Start());
            QTRY_VERIFY(w.passCount.load() >= 1);
        }
        {
            // Ended by itself and never stopped: the destructor still joins it.
            ScriptedWorker w;
            w.passes = {false};
            QVERIFY(w.Start());
            QTRY_VERIFY(!w.IsRunning());
        }
        QTRY_COMPARE(LiveThreads(), before);
    }
};

QTEST_GUILESS_MAIN(TestBaseThread)
#include "tst_basethread.moc"
