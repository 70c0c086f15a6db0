#pragma once
// Where stopped workers end, so that their owner never waits for them. Two kinds are handed over:
//  - the work that ends a worker (joining its thread, stopping its stream, closing its files): it
//    runs on a thread of its own, so a slow disk holds only that piece. What the piece touches
//    must be owned by the piece (shared ownership), never by the caller that handed it over. From
//    any thread.
//  - a QThread worker that was told to stop and cut off from whoever listened to it: a piece
//    waits for it to end, and the thread object is then deleted on the thread it lives in (the
//    GUI thread) when that thread's event loop next runs. The caller names the owner whose data
//    the worker may still read; the owner calls JoinRetired before that data goes. From the
//    thread the worker object lives in.
// The pieces' threads are made and joined by the reaper's own launcher thread: a hand-over only
// queues the piece (making a thread maps its stack, and with decoders mapping and unmapping
// pictures beside it that can take milliseconds). Each piece's thread is joined once it has ended
// (by the launcher, at a later hand-over) or by JoinAll, which the program calls at shutdown; the
// destructor joins what is left as a backstop.

#include <QThread>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Varpen {

class CWorkerReaper {
public:
    // The process's reaper.
    static CWorkerReaper& Instance();

    CWorkerReaper();
    ~CWorkerReaper();
    CWorkerReaper(const CWorkerReaper&) = delete;
    CWorkerReaper& operator=(const CWorkerReaper&) = delete;

    // Runs `finish` on a thread of its own and returns at once (when no thread can be had, it runs
    // on the launcher, or here when the reaper is going).
    void Retire(std::function<void()> finish);
    // Takes a worker that was told to stop, on behalf of `owner` (the address of whoever made it;
    // null for none). One that has ended, or never ran, is deleted at once, here.
    void Retire(std::unique_ptr<QThread> worker, const void* owner);
    // Waits until every worker `owner` handed over has ended, and deletes them (the owner's
    // destructor, before the data they may read goes). The waits last as long as the step each
    // worker is in when it was told to stop.
    void JoinRetired(const void* owner);
    // Waits for every piece handed over so far, joins its thread and deletes every worker kept
    // (shutdown and tests).
    void JoinAll();
    // Pieces handed over that have not finished yet (a worker being waited for among them).
    int Running() const { return m_running.load(); }
    // Workers `owner` handed over that are not deleted yet.
    int Kept(const void* owner) const;
    // The deletions posted to the application's thread (called there, by the posted call).
    static void RunPostedDeletions();

private:
    struct Piece {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    struct Worker {
        std::unique_ptr<QThread> thread;
        const void* owner = nullptr;
        bool ended = false;
    };
    // The workers kept. Shared with the deletions posted to the workers' thread, which may run
    // after this reaper has gone.
    struct Workers {
        mutable std::mutex lock;
        std::condition_variable ended;
        std::vector<Worker> list;
    };
    // Deletes the workers that have ended and live on this thread.
    static void DeleteEnded(Workers& workers);
    // Has DeleteEnded run on the application's thread when its event loop next runs.
    static void PostDeletion(const std::shared_ptr<Workers>& workers);

    // The launcher: makes a thread for each queued piece and joins the pieces that have ended.
    void Launch();
    // Moves the pieces that have ended out of m_pieces (under m_lock).
    std::vector<Piece> TakeEnded();

    std::mutex m_lock;
    std::condition_variable m_wake;              // the launcher: a piece queued, or the end
    std::condition_variable m_launched;          // JoinAll: the queue is empty and nothing is being launched
    std::vector<std::function<void()>> m_queue;  // handed over, no thread yet
    bool m_launching = false;                    // the launcher is making threads for a batch
    bool m_quit = false;
    std::thread m_launcher;  // made at the first hand-over
    std::vector<Piece> m_pieces;
    std::atomic<int> m_running{0};
    const std::shared_ptr<Workers> m_workers;
};

}  // namespace Varpen
