#include "app/ThreadReaper.h"

#include "app/ThreadHandOver.h"

#include <algorithm>

CThreadReaper::CThreadReaper(QObject* parent) : QObject(parent) {}

CThreadReaper::~CThreadReaper()
{
    JoinAll();
}

void CThreadReaper::Retire(std::unique_ptr<QThread> thread)
{
    if (!thread)
        return;
    // Entries are known by their number, not by the thread's address: a finished signal still
    // on its way must not reap a later thread that happens to get the same address.
    const std::uint64_t id = ++m_lastId;
    QThread* raw = thread.get();
    connect(raw, &QThread::finished, this, [this, id] { Reap(id); }, Qt::QueuedConnection);
    m_threads.push_back(Entry{id, std::move(thread)});
    // Connected first, then asked: a thread that ended before the connection is reaped here.
    if (raw->isFinished() || !raw->isRunning())
        Reap(id);
}

void CThreadReaper::Reap(std::uint64_t id)
{
    const auto at = std::find_if(m_threads.begin(), m_threads.end(), [id](const Entry& e) { return e.id == id; });
    if (at == m_threads.end())
        return;
    std::unique_ptr<QThread> thread = std::move(at->thread);
    m_threads.erase(at);
    // The thread has run its last line (finished is its last signal): this returns at once.
    thread->wait();
    ThreadHandOver::Joined(thread.get());
    thread.reset();
    emit Reaped();
}

void CThreadReaper::JoinAll()
{
    // Each was told to stop when it came here: the join lasts as long as its current step.
    std::vector<Entry> threads;
    threads.swap(m_threads);
    for (Entry& entry : threads) {
        entry.thread->wait();
        ThreadHandOver::Joined(entry.thread.get());
        entry.thread.reset();
    }
}
