// The reaper of stopped worker threads and the free-space cache: neither ever makes its caller
// wait for a thread or a disk, and both end what they started.
#include "app/CommonUtil.h"
#include "app/FreeSpaceCache.h"
#include "app/ThreadReaper.h"
#include "platform/system/system.h"

#include <QPointer>
#include <QSemaphore>
#include <QSignalSpy>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace {

constexpr quint64 kGiB = 1024ull * 1024ull * 1024ull;

// A free-space query that can be held: while the gate is shut, every query waits in it.
struct Gate {
    std::mutex lock;
    std::condition_variable changed;
    bool shut = false;
    int waiting = 0;
    int calls = 0;
    quint64 freeBytes = 100 * kGiB;
    bool fails = false;
};
Gate g_gate;

bool GatedFreeSpace(const char*, uint64_t* free_bytes, uint64_t* total_bytes)
{
    std::unique_lock<std::mutex> guard(g_gate.lock);
    ++g_gate.calls;
    ++g_gate.waiting;
    g_gate.changed.notify_all();
    g_gate.changed.wait(guard, [] { return !g_gate.shut; });
    --g_gate.waiting;
    if (free_bytes)
        *free_bytes = g_gate.freeBytes;
    if (total_bytes)
        *total_bytes = 200 * kGiB;
    return !g_gate.fails;
}

void Shut(bool shut)
{
    std::lock_guard<std::mutex> guard(g_gate.lock);
    g_gate.shut = shut;
    g_gate.changed.notify_all();
}

bool WaitForQueryHeld()
{
    std::unique_lock<std::mutex> guard(g_gate.lock);
    return g_gate.changed.wait_for(guard, std::chrono::seconds(30), [] { return g_gate.waiting > 0; });
}

int Calls()
{
    std::lock_guard<std::mutex> guard(g_gate.lock);
    return g_gate.calls;
}

}  // namespace

class TestWorkers : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        Shut(false);
        {
            std::lock_guard<std::mutex> guard(g_gate.lock);
            g_gate.calls = 0;
            g_gate.freeBytes = 100 * kGiB;
            g_gate.fails = false;
        }
        Sys_SetFreeSpaceFunction(&GatedFreeSpace);
        CFreeSpaceCache::SetAnswerAtOnceWithReplacedQuery(false);
    }
    void cleanup()
    {
        Shut(false);
        QVERIFY(CFreeSpaceCache::Instance()->WaitIdle(30000));
        CFreeSpaceCache::SetAnswerAtOnceWithReplacedQuery(true);
        Sys_SetFreeSpaceFunction(nullptr);
    }

    // A retired thread that is still busy stays with the reaper, which returns at once; once the
    // thread ends it is joined and deleted.
    void busyThreadIsReapedWhenItEnds()
    {
        CThreadReaper reaper;
        QSemaphore go;
        std::unique_ptr<QThread> thread(QThread::create([&go] { go.acquire(); }));
        thread->start();
        QPointer<QThread> watched = thread.get();
        QSignalSpy reaped(&reaper, &CThreadReaper::Reaped);
        reaper.Retire(std::move(thread));
        QCOMPARE(reaper.Count(), 1);
        QVERIFY(watched && watched->isRunning());  // held by the semaphore
        go.release();
        QVERIFY(reaped.wait(30000));
        QCOMPARE(reaper.Count(), 0);
        QVERIFY(watched.isNull());
    }

    // A thread that has ended, or never ran, goes at once; a busy one retired after them is kept
    // until it ends.
    void endedThreadGoesAtOnce()
    {
        CThreadReaper reaper;
        std::unique_ptr<QThread> ended(QThread::create([] {}));
        ended->start();
        QVERIFY(ended->wait(30000));
        QPointer<QThread> first = ended.get();
        reaper.Retire(std::move(ended));
        QVERIFY(first.isNull());
        reaper.Retire(std::unique_ptr<QThread>(QThread::create([] {})));
        QCOMPARE(reaper.Count(), 0);

        QSemaphore go;
        std::unique_ptr<QThread> busy(QThread::create([&go] { go.acquire(); }));
        busy->start();
        reaper.Retire(std::move(busy));
        QCoreApplication::processEvents();  // whatever the first thread still had queued
        QCOMPARE(reaper.Count(), 1);
        go.release();
        QTRY_COMPARE_WITH_TIMEOUT(reaper.Count(), 0, 30000);
    }

    // The reaper's end joins what it still keeps.
    void destructionJoins()
    {
        QSemaphore go;
        std::atomic<bool> done{false};
        QPointer<QThread> watched;
        {
            CThreadReaper reaper;
            std::unique_ptr<QThread> thread(QThread::create([&] {
                go.acquire();
                done = true;
            }));
            thread->start();
            watched = thread.get();
            reaper.Retire(std::move(thread));
            go.release();  // no event loop runs: the destructor joins it
        }
        QVERIFY(done);
        QVERIFY(watched.isNull());
    }

    // A reading never waits for the query: a folder not read yet is unknown, and one query at a
    // time is asked for it however often it is read meanwhile.
    void readingNeverWaits()
    {
        CFreeSpaceCache* cache = CFreeSpaceCache::Instance();
        const QString folder = QStringLiteral("/cache/first/");
        QStringList answered;  // counted on this thread
        connect(
            cache, &CFreeSpaceCache::Answered, this, [&answered](const QString& f) { answered << f; },
            Qt::QueuedConnection);
        Shut(true);
        QVERIFY(!cache->Read(folder).known);
        QVERIFY(WaitForQueryHeld());
        for (int i = 0; i < 5; ++i)
            QVERIFY(!cache->Read(folder).known);  // returned while the query is held
        QCOMPARE(Calls(), 1);
        Shut(false);
        QVERIFY(cache->WaitIdle(30000));
        QTRY_COMPARE(answered, QStringList{folder});
        cache->disconnect(this);
        const CFreeSpaceCache::Reading reading = cache->Peek(folder);
        QVERIFY(reading.known && reading.ok);
        QCOMPARE(reading.freeBytes, 100 * kGiB);
    }

    // The check for the GUI by what the cache knows of the folder.
    void cachedCheck_data()
    {
        QTest::addColumn<int>("state");  // 0 not read yet, 1 read, 2 the query failed
        QTest::addColumn<quint64>("freeBytes");
        QTest::addColumn<bool>("unknownIsLow");
        QTest::addColumn<bool>("low");
        QTest::newRow("not read yet, counted as enough") << 0 << quint64(0) << false << false;
        QTest::newRow("not read yet, counted as low") << 0 << quint64(0) << true << true;
        QTest::newRow("2 GiB: enough") << 1 << 2 * kGiB << true << false;
        QTest::newRow("a byte less: low") << 1 << 2 * kGiB - 1 << false << true;
        QTest::newRow("query failed: low") << 2 << 100 * kGiB << false << true;
    }
    void cachedCheck()
    {
        QFETCH(int, state);
        QFETCH(quint64, freeBytes);
        QFETCH(bool, unknownIsLow);
        QFETCH(bool, low);
        static int round = 0;
        const QString folder = QStringLiteral("/cache/check%1/").arg(++round);
        {
            std::lock_guard<std::mutex> guard(g_gate.lock);
            g_gate.freeBytes = freeBytes;
            g_gate.fails = state == 2;
        }
        if (state == 0) {
            Shut(true);
        } else {
            CFreeSpaceCache::Instance()->Refresh(folder);
            QVERIFY(CFreeSpaceCache::Instance()->WaitIdle(30000));
        }
        QCOMPARE(CheckSavePathDiskSpaceCached(2.0f, -1, folder, unknownIsLow), low);
    }

    // Only the folders read last are kept: the space a long run takes is bounded.
    void keepsTheFoldersReadLast()
    {
        CFreeSpaceCache* cache = CFreeSpaceCache::Instance();
        for (int i = 0; i <= CFreeSpaceCache::kMaxFolders; ++i) {
            cache->Read(QStringLiteral("/cache/many/%1/").arg(i));
            QVERIFY(cache->WaitIdle(30000));
        }
        QVERIFY(!cache->Peek(QStringLiteral("/cache/many/0/")).known);
        QVERIFY(cache->Peek(QStringLiteral("/cache/many/%1/").arg(CFreeSpaceCache::kMaxFolders)).known);
    }
};

QTEST_MAIN(TestWorkers)
#include "tst_workers.moc"
