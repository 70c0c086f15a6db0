#include "app/FreeSpaceCache.h"

#include "app/CommonUtil.h"
#include "platform/system/system.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace {

std::atomic<bool> g_answerAtOnce{true};

}  // namespace

CFreeSpaceCache* CFreeSpaceCache::Instance()
{
    static CFreeSpaceCache cache;
    return &cache;
}

CFreeSpaceCache::~CFreeSpaceCache()
{
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    // A query under way is waited for: the statvfs call cannot be interrupted.
    if (m_worker.joinable())
        m_worker.join();
}

void CFreeSpaceCache::SetAnswerAtOnceWithReplacedQuery(bool atOnce)
{
    g_answerAtOnce = atOnce;
}

bool CFreeSpaceCache::AnswerAtOnce() const
{
    return g_answerAtOnce.load() && Sys_FreeSpaceReplaced();
}

CFreeSpaceCache::Reading CFreeSpaceCache::Read(const QString& folder)
{
    Reading reading;
    if (folder.isEmpty()) {
        reading.known = true;  // no folder, no space: nothing to ask
        return reading;
    }
    if (AnswerAtOnce()) {
        reading.known = true;
        reading.ok = QueryDiskFreeSpace(folder, &reading.freeBytes, nullptr);
        return reading;
    }
    std::lock_guard<std::mutex> guard(m_lock);
    m_lastRead[folder] = ++m_reads;
    if (const auto it = m_values.find(folder); it != m_values.end())
        reading = it->second;
    Ask(folder);
    return reading;
}

CFreeSpaceCache::Reading CFreeSpaceCache::Peek(const QString& folder)
{
    if (folder.isEmpty() || AnswerAtOnce())
        return Read(folder);
    std::lock_guard<std::mutex> guard(m_lock);
    const auto it = m_values.find(folder);
    return it != m_values.end() ? it->second : Reading();
}

void CFreeSpaceCache::Refresh(const QString& folder)
{
    if (folder.isEmpty() || AnswerAtOnce())
        return;
    std::lock_guard<std::mutex> guard(m_lock);
    if (!m_lastRead.count(folder))
        m_lastRead[folder] = ++m_reads;
    Ask(folder);
}

void CFreeSpaceCache::Ask(const QString& folder)
{
    if (m_stop || !m_pending.insert(folder).second)
        return;
    m_queue.push_back(folder);
    // Bounded: the folder least recently read is forgotten (and no longer asked for).
    while (int(m_lastRead.size()) > kMaxFolders) {
        const auto oldest = std::min_element(m_lastRead.begin(), m_lastRead.end(),
                                             [](const auto& a, const auto& b) { return a.second < b.second; });
        const QString gone = oldest->first;
        m_lastRead.erase(oldest);
        m_values.erase(gone);
        const auto queued = std::find(m_queue.begin(), m_queue.end(), gone);
        if (queued != m_queue.end()) {
            m_queue.erase(queued);
            m_pending.erase(gone);
        }
    }
    if (!m_worker.joinable())
        m_worker = std::thread([this] { Work(); });
    m_wake.notify_one();
}

void CFreeSpaceCache::Work()
{
    std::unique_lock<std::mutex> lock(m_lock);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || !m_queue.empty(); });
        if (m_stop)
            return;
        const QString folder = m_queue.front();
        m_queue.pop_front();
        lock.unlock();
        Reading reading;
        reading.known = true;
        reading.ok = QueryDiskFreeSpace(folder, &reading.freeBytes, nullptr);
        lock.lock();
        m_pending.erase(folder);
        // A folder forgotten meanwhile stays forgotten.
        if (m_lastRead.count(folder))
            m_values[folder] = reading;
        const bool idle = m_pending.empty();
        lock.unlock();
        emit Answered(folder);
        if (idle)
            m_idle.notify_all();
        lock.lock();
    }
}

bool CFreeSpaceCache::WaitIdle(int timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_lock);
    return m_idle.wait_for(lock, std::chrono::milliseconds(timeout_ms), [this] { return m_pending.empty(); });
}
