#include "app/CommandWorker.h"

#include <chrono>

namespace Varpen {

CCommandWorker::~CCommandWorker()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
    }
    m_cond.notify_all();
    if (m_thread.joinable())
        m_thread.join();
}

void CCommandWorker::Post(std::function<void()> command)
{
    if (!command)
        return;
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_queue.push_back(std::move(command));
        command = nullptr;
        if (!m_thread.joinable()) {
            try {
                m_thread = std::thread([this] { Run(); });
            } catch (...) {
                command = std::move(m_queue.back());
                m_queue.pop_back();
            }
        }
    }
    if (command)
        command();  // no thread: carried out here
    m_cond.notify_all();
}

bool CCommandWorker::IsBusy()
{
    std::lock_guard<std::mutex> lock(m_lock);
    return m_running || !m_queue.empty();
}

bool CCommandWorker::WaitIdle(int timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_cond.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                           [this] { return !m_running && m_queue.empty(); });
}

void CCommandWorker::Run()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_cond.wait(lock, [this] { return m_quit || !m_queue.empty(); });
        if (m_queue.empty())
            return;  // told to quit, and nothing is left
        std::function<void()> command = std::move(m_queue.front());
        m_queue.pop_front();
        m_running = true;
        lock.unlock();
        command();
        command = nullptr;
        lock.lock();
        m_running = false;
        m_cond.notify_all();
    }
}

}  // namespace Varpen
