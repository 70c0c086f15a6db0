#pragma once
// Where stopped workers end, so that their owner never waits for them: the work that ends one
// (joining its thread, stopping its stream, closing its files) is handed over here and runs on a
// thread of its own, so a slow disk holds only that piece. What the piece touches must be owned by
// the piece (shared ownership), never by the caller that handed it over. Each thread is joined
// once it has ended (at a later Retire) or by JoinAll, which the program calls at shutdown; the
// destructor joins what is left as a backstop.

#include <atomic>
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

    CWorkerReaper() = default;
    ~CWorkerReaper();
    CWorkerReaper(const CWorkerReaper&) = delete;
    CWorkerReaper& operator=(const CWorkerReaper&) = delete;

    // Runs `finish` on a thread of its own and returns at once (when no thread can be had, it runs
    // here).
    void Retire(std::function<void()> finish);
    // Waits for every piece handed over so far and joins its thread (shutdown and tests).
    void JoinAll();
    // Pieces handed over that have not finished yet.
    int Running() const { return m_running.load(); }

private:
    struct Piece {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    std::mutex m_lock;
    std::vector<Piece> m_pieces;
    std::atomic<int> m_running{0};
};

}  // namespace Varpen
