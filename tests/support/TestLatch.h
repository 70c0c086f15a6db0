// A latch a test opens to let a held worker go on; a wait on it gives up after 10 s and says so.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

class Latch {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_open = true;
        m_cond.notify_all();
    }
    bool IsOpen()
    {
        std::lock_guard<std::mutex> lock(m_lock);
        return m_open;
    }
    // False when it was not opened within 10 s.
    bool Wait()
    {
        std::unique_lock<std::mutex> lock(m_lock);
        return m_cond.wait_for(lock, std::chrono::seconds(10), [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    bool m_open = false;
};
