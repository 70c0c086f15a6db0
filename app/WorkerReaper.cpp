#include "app/WorkerReaper.h"

#include "app/ThreadHandOver.h"

#include <QCoreApplication>
#include <QMetaObject>

#include <algorithm>
#include <mutex>
#include <vector>

namespace Varpen {

CWorkerReaper& CWorkerReaper::Instance()
{
    static CWorkerReaper reaper;
    return reaper;
}

namespace {

// The process's reaper ends its pieces when the application object goes, before the program's
// other static objects do: a piece still ending a player touches them. (The program joins it
// itself after its event loop; tests and tools need not.)
std::atomic<bool> g_joinAtApplicationEnd{false};

void JoinAtApplicationEnd()
{
    CWorkerReaper::Instance().JoinAll();
}

}  // namespace

CWorkerReaper::CWorkerReaper() : m_workers(std::make_shared<Workers>()) {}

CWorkerReaper::~CWorkerReaper()
{
    JoinAll();
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
        m_wake.notify_one();
    }
    if (m_launcher.joinable())
        m_launcher.join();
    // A piece handed over meanwhile was launched before the launcher ended.
    JoinAll();
}

void CWorkerReaper::Retire(std::function<void()> finish)
{
    if (!finish)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (!m_quit) {
            bool queued = true;
            if (!m_launcher.joinable()) {
                try {
                    m_launcher = std::thread([this] { Launch(); });
                } catch (...) {
                    queued = false;
                }
            }
            if (queued) {
                if (this == &Instance() && QCoreApplication::instance() && !g_joinAtApplicationEnd.exchange(true))
                    qAddPostRoutine(&JoinAtApplicationEnd);
                m_running.fetch_add(1);
                m_queue.push_back(std::move(finish));
                m_wake.notify_one();
                return;
            }
        }
    }
    // The reaper is going, or has no thread: the piece runs here.
    finish();
}

std::vector<CWorkerReaper::Piece> CWorkerReaper::TakeEnded()
{
    std::vector<Piece> ended;
    for (auto it = m_pieces.begin(); it != m_pieces.end();) {
        if (it->done->load()) {
            ended.push_back(std::move(*it));
            it = m_pieces.erase(it);
        } else {
            ++it;
        }
    }
    return ended;
}

void CWorkerReaper::Launch()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || !m_queue.empty(); });
        if (m_queue.empty())
            return;  // the end, with nothing left to launch
        std::vector<std::function<void()>> batch;
        batch.swap(m_queue);
        std::vector<Piece> ended = TakeEnded();
        m_launching = true;
        lock.unlock();
        // These have ended: the joins return at once.
        for (Piece& piece : ended)
            piece.thread.join();
        std::vector<Piece> launched;
        for (std::function<void()>& finish : batch) {
            auto done = std::make_shared<std::atomic<bool>>(false);
            auto job = std::make_shared<std::function<void()>>(std::move(finish));
            try {
                std::thread thread([this, done, job] {
                    (*job)();
                    *job = nullptr;  // what it owned goes on this thread too
                    m_running.fetch_sub(1);
                    done->store(true);
                });
                launched.push_back({std::move(thread), done});
            } catch (...) {
                (*job)();
                *job = nullptr;
                m_running.fetch_sub(1);
            }
        }
        lock.lock();
        for (Piece& piece : launched)
            m_pieces.push_back(std::move(piece));
        m_launching = false;
        m_launched.notify_all();
    }
}

void CWorkerReaper::Retire(std::unique_ptr<QThread> worker, const void* owner)
{
    if (!worker)
        return;
    DeleteEnded(*m_workers);
    if (worker->isFinished() || !worker->isRunning()) {
        worker->wait();  // returns at once
        ThreadHandOver::Joined(worker.get());
        return;
    }
    QThread* const thread = worker.get();
    {
        std::lock_guard<std::mutex> lock(m_workers->lock);
        m_workers->list.push_back({std::move(worker), owner, false});
    }
    // Nothing is connected to the thread's finished signal: the thread would then still read its
    // object after run() while its owner may already delete it. A piece waits for it instead.
    Retire([workers = m_workers, thread] {
        thread->wait();
        ThreadHandOver::Joined(thread);
        {
            std::lock_guard<std::mutex> lock(workers->lock);
            for (Worker& kept : workers->list) {
                if (kept.thread.get() == thread)
                    kept.ended = true;
            }
        }
        // From here on the thread object may be deleted at any time.
        workers->ended.notify_all();
        PostDeletion(workers);
    });
}

namespace {

// Runs the deletions posted to the application's thread. They are posted by name, so that the
// posted call carries nothing from the thread that posts it: the sets of workers to look at are
// handed over under a lock the sanitizer sees (a call that carried them would be handed over
// inside Qt's event queue, which it cannot see).
class PostedDeletions : public QObject {
    Q_OBJECT
public:
    Q_INVOKABLE void Run() { CWorkerReaper::RunPostedDeletions(); }
};

std::mutex g_postedLock;
std::vector<std::function<void()>> g_posted;  // under g_postedLock

}  // namespace

void CWorkerReaper::PostDeletion(const std::shared_ptr<Workers>& workers)
{
    QCoreApplication* const app = QCoreApplication::instance();
    if (!app)
        return;  // no event loop: the owner's JoinRetired or JoinAll deletes them
    static PostedDeletions* const receiver = [app] {
        static PostedDeletions object;
        object.moveToThread(app->thread());
        return &object;
    }();
    {
        std::lock_guard<std::mutex> lock(g_postedLock);
        g_posted.push_back([weak = std::weak_ptr<Workers>(workers)] {
            if (const std::shared_ptr<Workers> kept = weak.lock())
                DeleteEnded(*kept);
        });
    }
    QMetaObject::invokeMethod(receiver, "Run", Qt::QueuedConnection);
}

void CWorkerReaper::RunPostedDeletions()
{
    std::vector<std::function<void()>> posted;
    {
        std::lock_guard<std::mutex> lock(g_postedLock);
        posted.swap(g_posted);
    }
    for (const std::function<void()>& deletion : posted)
        deletion();
}

void CWorkerReaper::DeleteEnded(Workers& workers)
{
    std::vector<std::unique_ptr<QThread>> ended;
    {
        std::lock_guard<std::mutex> lock(workers.lock);
        for (auto it = workers.list.begin(); it != workers.list.end();) {
            if (it->ended && it->thread->thread() == QThread::currentThread()) {
                ended.push_back(std::move(it->thread));
                it = workers.list.erase(it);
            } else {
                ++it;
            }
        }
    }
    // Deleted outside the lock: a worker's destructor may take a while to let go of what it kept.
    ended.clear();
}

void CWorkerReaper::JoinRetired(const void* owner)
{
    std::vector<std::unique_ptr<QThread>> ended;
    {
        std::unique_lock<std::mutex> lock(m_workers->lock);
        std::vector<Worker>& list = m_workers->list;
        m_workers->ended.wait(lock, [&list, owner] {
            return std::none_of(list.begin(), list.end(),
                                [owner](const Worker& kept) { return kept.owner == owner && !kept.ended; });
        });
        for (auto it = list.begin(); it != list.end();) {
            if (it->owner == owner) {
                ended.push_back(std::move(it->thread));
                it = list.erase(it);
            } else {
                ++it;
            }
        }
    }
    ended.clear();
}

int CWorkerReaper::Kept(const void* owner) const
{
    std::lock_guard<std::mutex> lock(m_workers->lock);
    return int(std::count_if(m_workers->list.begin(), m_workers->list.end(),
                             [owner](const Worker& kept) { return kept.owner == owner; }));
}

void CWorkerReaper::JoinAll()
{
    for (;;) {
        std::vector<Piece> pieces;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_launched.wait(lock, [this] { return m_queue.empty() && !m_launching; });
            pieces.swap(m_pieces);
        }
        if (pieces.empty())
            break;
        // A piece may hand over another one while it ends: the loop takes that too.
        for (Piece& piece : pieces)
            piece.thread.join();
    }
    // Every worker kept was waited for by its piece: all have ended.
    std::vector<Worker> workers;
    {
        std::lock_guard<std::mutex> lock(m_workers->lock);
        workers.swap(m_workers->list);
    }
}

}  // namespace Varpen

#include "WorkerReaper.moc"
