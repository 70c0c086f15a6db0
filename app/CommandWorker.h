#pragma once
// A small worker that carries out commands one after another on a thread of its own, so that the
// caller returns at once: a play window's snapshots and clips, the free-space queries. The thread
// starts with the first command. The destructor carries out what is still queued and joins the
// thread: an owner that must not wait hands the worker to the reaper (app/WorkerReaper.h) instead,
// and one that must not run what is left makes its queued commands do nothing first.

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace Varpen {

class CCommandWorker {
public:
    CCommandWorker() = default;
    ~CCommandWorker();
    CCommandWorker(const CCommandWorker&) = delete;
    CCommandWorker& operator=(const CCommandWorker&) = delete;

    // Queues a command. When no thread can be had, it is carried out here.
    void Post(std::function<void()> command);
    // Commands queued or being carried out.
    bool IsBusy();
    // Waits up to timeout_ms until no command is queued or running; false when some still is. For
    // tools and tests: never on the GUI thread.
    bool WaitIdle(int timeout_ms);

private:
    void Run();

    std::mutex m_lock;
    std::condition_variable m_cond;
    std::deque<std::function<void()>> m_queue;
    bool m_running = false;  // a command is being carried out
    bool m_quit = false;
    std::thread m_thread;
};

}  // namespace Varpen
