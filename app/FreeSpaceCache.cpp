#include "app/FreeSpaceCache.h"

#include "app/CommonUtil.h"
#include "platform/system/system.h"

#include <algorithm>
#include <atomic>

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
    std::lock_guard<std::mutex> guard(m_lock);
    m_stop = true;
    // The worker goes next: its queued commands find the stop and do nothing, and a query under
    // way is waited for (the statvfs call cannot be interrupted).
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
    bool asked = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_lastRead[folder] = ++m_reads;
        if (const auto it = m_values.find(folder); it != m_values.end())
            reading = it->second;
        asked = Ask(folder);
    }
    if (asked)
        m_worker.Post([this] { AskNext(); });
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
    bool asked = false;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (!m_lastRead.count(folder))
            m_lastRead[folder] = ++m_reads;
        asked = Ask(folder);
    }
    if (asked)
        m_worker.Post([this] { AskNext(); });
}

bool CFreeSpaceCache::Ask(const QString& folder)
{
    if (m_stop || !m_pending.insert(folder).second)
        return false;
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
            m_queue.erase(queued);  // its command will find the next folder, or none
            m_pending.erase(gone);
        }
    }
    return true;
}

void CFreeSpaceCache::AskNext()
{
    QString folder;
    {
        std::lock_guard<std::mutex> guard(m_lock);
        if (m_stop || m_queue.empty())
            return;
        folder = m_queue.front();
        m_queue.pop_front();
    }
    Reading reading;
    reading.known = true;
    reading.ok = QueryDiskFreeSpace(folder, &reading.freeBytes, nullptr);
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_pending.erase(folder);
        // A folder forgotten meanwhile stays forgotten.
        if (m_lastRead.count(folder))
            m_values[folder] = reading;
    }
    emit Answered(folder);
}

bool CFreeSpaceCache::WaitIdle(int timeout_ms)
{
    // The worker idle has no folder left pending: each queued folder has a command behind it.
    return m_worker.WaitIdle(timeout_ms);
}
