// Holds workers at a point of WorkerHooks until the test opens the latch, to show that a control
// returns while a worker is provably held, and what the worker does once let go. The first
// `hold` arrivals at the point are held; later ones pass (every arrival is counted). Several
// latches may be alive at once, each on its own point. Should a test never open a latch (a
// control that waits for the held worker would otherwise hang the test), it opens by itself
// after a while and says so: Held() is 0 from then on and TimedOut() true.
#pragma once

#include "app/WorkerHooks.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

class WorkerLatch {
public:
    explicit WorkerLatch(WorkerHooks::Point point, int hold = 1, int failsafe_ms = 20000)
        : m_point(point), m_hold(hold), m_failsafe(std::chrono::milliseconds(failsafe_ms))
    {
        std::lock_guard<std::mutex> guard(Registry());
        Latches().push_back(this);
        WorkerHooks::Set(&WorkerLatch::Dispatch);
    }
    ~WorkerLatch()
    {
        Open();
        std::unique_lock<std::mutex> guard(Registry());
        Latches().erase(std::find(Latches().begin(), Latches().end(), this));
        if (Latches().empty())
            WorkerHooks::Set({});
        // A worker may still be inside Reach on this latch: wait until it has left.
        m_left.wait(guard, [this] { return m_inside == 0; });
    }
    WorkerLatch(const WorkerLatch&) = delete;
    WorkerLatch& operator=(const WorkerLatch&) = delete;

    // Waits until `count` workers are held; false when they are not after `timeout_ms`.
    bool WaitHeld(int count = 1, int timeout_ms = 30000)
    {
        std::unique_lock<std::mutex> guard(Registry());
        return m_changed.wait_for(guard, std::chrono::milliseconds(timeout_ms), [&] { return m_held >= count; });
    }
    // Waits until the point was reached `count` times in all.
    bool WaitArrivals(int count, int timeout_ms = 30000)
    {
        std::unique_lock<std::mutex> guard(Registry());
        return m_changed.wait_for(guard, std::chrono::milliseconds(timeout_ms), [&] { return m_arrivals >= count; });
    }
    void Open()
    {
        std::lock_guard<std::mutex> guard(Registry());
        m_open = true;
        m_changed.notify_all();
    }
    int Held() const
    {
        std::lock_guard<std::mutex> guard(Registry());
        return m_held;
    }
    int Arrivals() const
    {
        std::lock_guard<std::mutex> guard(Registry());
        return m_arrivals;
    }
    bool TimedOut() const
    {
        std::lock_guard<std::mutex> guard(Registry());
        return m_timedOut;
    }

private:
    static std::mutex& Registry()
    {
        static std::mutex lock;
        return lock;
    }
    static std::vector<WorkerLatch*>& Latches()
    {
        static std::vector<WorkerLatch*> latches;
        return latches;
    }
    static void Dispatch(WorkerHooks::Point point)
    {
        std::unique_lock<std::mutex> guard(Registry());
        // One latch per point: the first one alive for it takes the arrival.
        for (WorkerLatch* latch : Latches()) {
            if (latch->m_point == point) {
                latch->Arrive(guard);
                return;
            }
        }
    }
    void Arrive(std::unique_lock<std::mutex>& guard)
    {
        ++m_inside;
        const bool held = !m_open && m_arrivals < m_hold;
        ++m_arrivals;
        if (held) {
            ++m_held;
            m_changed.notify_all();
            if (!m_changed.wait_for(guard, m_failsafe, [this] { return m_open; })) {
                m_timedOut = true;
                m_open = true;
                m_changed.notify_all();
            }
            --m_held;
        }
        m_changed.notify_all();
        --m_inside;
        m_left.notify_all();
    }

    const WorkerHooks::Point m_point;
    const int m_hold;
    const std::chrono::milliseconds m_failsafe;
    std::condition_variable m_changed;
    std::condition_variable m_left;
    int m_held = 0;
    int m_arrivals = 0;
    int m_inside = 0;
    bool m_open = false;
    bool m_timedOut = false;
};
