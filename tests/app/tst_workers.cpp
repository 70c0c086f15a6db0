// The reaper of stopped workers, the command worker and the free-space cache: none ever makes its
// caller wait for a thread or a disk, and each ends what it started.
#include "app/CommandWorker.h"
#include "app/CommonUtil.h"
#include "app/FreeSpaceCache.h"
#include "app/WorkerReaper.h"
#include "platform/system/system.h"

#include <QPointer>
#include <QSemaphore>
#include <QtTest>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

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

    // Work handed over from a thread other than the GUI thread runs on a thread of the reaper's:
    // the caller returns while the work is held, and JoinAll waits for it and joins its thread.
    void workRetiredFromAnyThreadIsJoinedByJoinAll()
    {
        Varpen::CWorkerReaper reaper;
        QSemaphore latch;
        std::atomic<bool> done{false};
        std::thread caller([&] {
            reaper.Retire([&] {
                latch.acquire();
                done = true;
            });
        });
        caller.join();  // returned while the work is held
        QCOMPARE(reaper.Running(), 1);
        QVERIFY(!done);
        latch.release();
        reaper.JoinAll();
        QVERIFY(done);
        QCOMPARE(reaper.Running(), 0);
    }

    // Every piece runs on a thread of its own: one held does not hold the next one handed over. A
    // piece may hand over another while it ends, and JoinAll waits for that one too.
    void piecesRunApartAndMayHandOverMore()
    {
        Varpen::CWorkerReaper reaper;
        QSemaphore latch;
        std::atomic<bool> second{false};
        std::atomic<bool> third{false};
        reaper.Retire([&] { latch.acquire(); });
        reaper.Retire([&] {
            second = true;
            reaper.Retire([&] {
                latch.acquire();
                third = true;
            });
        });
        QTRY_VERIFY_WITH_TIMEOUT(second.load(), 30000);  // while the first is held
        QTRY_COMPARE_WITH_TIMEOUT(reaper.Running(), 2, 30000);
        latch.release(2);
        reaper.JoinAll();
        QVERIFY(third);
        QCOMPARE(reaper.Running(), 0);
    }

    // A worker thread still busy stays with the reaper, which returns at once; once it ends it is
    // deleted on the GUI thread's next turn of the event loop. One that has ended, or never ran,
    // goes at once.
    void busyWorkerGoesWhenItEnds()
    {
        Varpen::CWorkerReaper reaper;
        const int owner = 0;
        std::unique_ptr<QThread> ended(QThread::create([] {}));
        ended->start();
        QVERIFY(ended->wait(30000));
        QPointer<QThread> first = ended.get();
        reaper.Retire(std::move(ended), &owner);
        QVERIFY(first.isNull());
        reaper.Retire(std::unique_ptr<QThread>(QThread::create([] {})), &owner);  // never ran
        QCOMPARE(reaper.Kept(&owner), 0);

        QSemaphore latch;
        std::unique_ptr<QThread> busy(QThread::create([&latch] { latch.acquire(); }));
        busy->start();
        QPointer<QThread> watched = busy.get();
        reaper.Retire(std::move(busy), &owner);
        QCOMPARE(reaper.Kept(&owner), 1);
        QVERIFY(watched && watched->isRunning());  // held by the latch
        latch.release();
        QTRY_VERIFY_WITH_TIMEOUT(watched.isNull(), 30000);
        QCOMPARE(reaper.Kept(&owner), 0);
        reaper.JoinAll();
    }

    // An owner that goes waits for the workers it handed over, and only for those: another
    // owner's held worker stays kept. No event loop runs: the wait itself deletes them.
    void ownerJoinsOnlyItsOwnWorkers()
    {
        Varpen::CWorkerReaper reaper;
        const int owner = 0;
        const int other = 0;
        QSemaphore mine;
        QSemaphore theirs;
        std::atomic<bool> done{false};
        std::unique_ptr<QThread> worker(QThread::create([&] {
            mine.acquire();
            done = true;
        }));
        worker->start();
        QPointer<QThread> watched = worker.get();
        std::unique_ptr<QThread> held(QThread::create([&theirs] { theirs.acquire(); }));
        held->start();
        QPointer<QThread> heldWatched = held.get();
        reaper.Retire(std::move(worker), &owner);
        reaper.Retire(std::move(held), &other);
        QCOMPARE(reaper.Kept(&owner), 1);
        std::thread opener([&mine] { mine.release(); });
        reaper.JoinRetired(&owner);
        opener.join();
        QVERIFY(done);
        QVERIFY(watched.isNull());
        QCOMPARE(reaper.Kept(&owner), 0);
        QCOMPARE(reaper.Kept(&other), 1);
        QVERIFY(heldWatched && heldWatched->isRunning());
        theirs.release();
        reaper.JoinAll();
        QVERIFY(heldWatched.isNull());
        QCOMPARE(reaper.Kept(&other), 0);
    }

    // The reaper's end joins the work and the workers it still keeps; a deletion it had posted to
    // the event loop finds it gone and does nothing.
    void destructionJoinsWhatIsLeft()
    {
        QSemaphore latch;
        std::atomic<int> done{0};
        QPointer<QThread> watched;
        {
            Varpen::CWorkerReaper reaper;
            const int owner = 0;
            reaper.Retire([&] {
                latch.acquire();
                ++done;
            });
            std::unique_ptr<QThread> worker(QThread::create([&] {
                latch.acquire();
                ++done;
            }));
            worker->start();
            watched = worker.get();
            reaper.Retire(std::move(worker), &owner);
            QCOMPARE(reaper.Running(), 2);
            latch.release(2);  // no event loop runs: the destructor joins both
        }
        QCOMPARE(done.load(), 2);
        QVERIFY(watched.isNull());
        QCoreApplication::processEvents();
    }

    // Commands run one after another, in the order posted, on a thread other than the caller's;
    // one posted by a running command waits its turn. The end carries out what is still queued.
    void commandWorkerRunsInOrderAndFinishesAtItsEnd()
    {
        QSemaphore latch;
        std::mutex lock;
        QStringList done;
        const auto note = [&](const QString& what) {
            std::lock_guard<std::mutex> guard(lock);
            done << what;
        };
        std::atomic<bool> onCaller{false};
        const std::thread::id caller = std::this_thread::get_id();
        {
            Varpen::CCommandWorker worker;
            QVERIFY(!worker.IsBusy());
            worker.Post([&] {
                onCaller = std::this_thread::get_id() == caller;
                latch.acquire();
                note(QStringLiteral("first"));
                worker.Post([&] { note(QStringLiteral("posted by first")); });
            });
            worker.Post([&] { note(QStringLiteral("second")); });
            QVERIFY(worker.IsBusy());
            QVERIFY(!worker.WaitIdle(0));  // the first is held
            latch.release();
            QVERIFY(worker.WaitIdle(30000));
            QCOMPARE(done, (QStringList{"first", "second", "posted by first"}));
            worker.Post([&] {
                latch.acquire();
                note(QStringLiteral("held at the end"));
            });
            worker.Post([&] { note(QStringLiteral("queued at the end")); });
            latch.release();
        }
        QVERIFY(!onCaller);
        QCOMPARE(done.mid(3), (QStringList{"held at the end", "queued at the end"}));
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

    // A folder forgotten while it waits for its query is not asked for; one forgotten while it is
    // asked stays forgotten when the answer comes.
    void forgottenFolderIsNotAsked()
    {
        CFreeSpaceCache* cache = CFreeSpaceCache::Instance();
        const QString asked = QStringLiteral("/cache/forgotten/asked/");
        const QString queued = QStringLiteral("/cache/forgotten/queued/");
        Shut(true);
        cache->Read(asked);
        QVERIFY(WaitForQueryHeld());
        cache->Read(queued);
        for (int i = 0; i < CFreeSpaceCache::kMaxFolders; ++i)
            cache->Read(QStringLiteral("/cache/forgotten/%1/").arg(i));  // the two go first
        Shut(false);
        QVERIFY(cache->WaitIdle(30000));
        QCOMPARE(Calls(), 1 + CFreeSpaceCache::kMaxFolders);
        QVERIFY(!cache->Peek(asked).known);
        QVERIFY(!cache->Peek(queued).known);
        QVERIFY(cache->Peek(QStringLiteral("/cache/forgotten/0/")).known);
    }
};

QTEST_MAIN(TestWorkers)
#include "tst_workers.moc"
