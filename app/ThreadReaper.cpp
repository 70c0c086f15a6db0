#include "app/ThreadReaper.h"

#include "app/ThreadHandOver.h"

#include <algorithm>

CThreadReaper::CThreadReaper(QObject* parent) : QObject(parent)
{
    m_check.setInterval(kCheck_ms);
    connect(&m_check, &QTimer::timeout, this, &CThreadReaper::ReapEnded);
}

CThreadReaper::~CThreadReaper()
{
    JoinAll();
}

void CThreadReaper::Retire(std::unique_ptr<QThread> thread)
{
    if (!thread)
        return;
    // A thread that has ended (or never ran) goes at once; the others are looked at on the timer.
    // Nothing is connected to the thread's finished signal: the thread would then still read its
    // object after run() while the GUI thread may already delete it.
    if (thread->isFinished() || !thread->isRunning()) {
        Join(std::move(thread));
        return;
    }
    m_threads.push_back(std::move(thread));
    if (!m_check.isActive())
        m_check.start();
}

void CThreadReaper::ReapEnded()
{
    std::vector<std::unique_ptr<QThread>> ended;
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if ((*it)->isFinished()) {
            ended.push_back(std::move(*it));
            it = m_threads.erase(it);
        } else {
            ++it;
        }
    }
    if (m_threads.empty())
        m_check.stop();
    for (std::unique_ptr<QThread>& thread : ended)
        Join(std::move(thread));
}

void CThreadReaper::Join(std::unique_ptr<QThread> thread)
{
    // The thread has ended or was told to stop: this lasts as long as its current step at most.
    thread->wait();
    ThreadHandOver::Joined(thread.get());
    thread.reset();
    emit Reaped();
}

void CThreadReaper::JoinAll()
{
    m_check.stop();
    std::vector<std::unique_ptr<QThread>> threads;
    threads.swap(m_threads);
    for (std::unique_ptr<QThread>& thread : threads) {
        thread->wait();
        ThreadHandOver::Joined(thread.get());
        thread.reset();
    }
}
