#include "engine/WorkerReaper.h"

namespace Varpen {

CWorkerReaper& CWorkerReaper::Instance()
{
    static CWorkerReaper reaper;
    return reaper;
}

CWorkerReaper::~CWorkerReaper()
{
    JoinAll();
}

void CWorkerReaper::Retire(std::function<void()> finish)
{
    if (!finish)
        return;
    std::vector<Piece> ended;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (auto it = m_pieces.begin(); it != m_pieces.end();) {
            if (it->done->load()) {
                ended.push_back(std::move(*it));
                it = m_pieces.erase(it);
            } else {
                ++it;
            }
        }
        auto done = std::make_shared<std::atomic<bool>>(false);
        auto job = std::make_shared<std::function<void()>>(std::move(finish));
        m_running.fetch_add(1);
        try {
            std::thread thread([this, done, job] {
                (*job)();
                *job = nullptr;  // what it owned goes on this thread too
                m_running.fetch_sub(1);
                done->store(true);
            });
            m_pieces.push_back({std::move(thread), done});
        } catch (...) {
            m_running.fetch_sub(1);
            (*job)();
        }
    }
    // These have ended: the joins return at once.
    for (Piece& piece : ended)
        piece.thread.join();
}

void CWorkerReaper::JoinAll()
{
    for (;;) {
        std::vector<Piece> pieces;
        {
            std::lock_guard<std::mutex> lock(m_lock);
            pieces.swap(m_pieces);
        }
        if (pieces.empty())
            return;
        // A piece may hand over another one while it ends: the loop takes that too.
        for (Piece& piece : pieces)
            piece.thread.join();
    }
}

}  // namespace Varpen
