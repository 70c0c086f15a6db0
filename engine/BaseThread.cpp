#include "engine/BaseThread.h"

#include <chrono>

#include "platform/rtk/rtk.h"

namespace Varpen {

CBaseThread::~CBaseThread()
{
    if (m_threadHandle != 0) {
        if (m_threadId.load() == RTK_Thread_GetSelfId()) {
            // Destroyed from its own pass: nobody can join this thread any more.
            RequestStop();
            RTK_Thread_Detach(m_threadHandle);
            m_threadHandle = 0;
        } else {
            RequestStop();
            Join();
        }
    }
    if (m_startSema != 0) {
        RTK_SemDestroy(&m_startSema);
        m_startSema = 0;
    }
}

bool CBaseThread::Start()
{
    return Begin(true);
}

bool CBaseThread::Launch()
{
    return Begin(false);
}

bool CBaseThread::Begin(bool waitForStart)
{
    if (m_running.load())
        return false;
    // A thread that ended by itself is joined before a new one starts.
    Join();

    // Without a start semaphore the thread does not report its start.
    if (waitForStart && RTK_SemCreate(&m_startSema, 0) == -1) {
        m_startSema = 0;
        return false;
    }
    m_stop.store(false);
    m_startResult = false;
    m_running.store(true);
    m_threadHandle = RTK_Thread_Create(&CBaseThread::ThreadProc, this, 0, 0, 0, 0);
    if (m_threadHandle == 0) {
        m_running.store(false);
        if (waitForStart)
            RTK_SemDestroy(&m_startSema);
        m_startSema = 0;
        return false;
    }
    if (!waitForStart)
        return true;
    RTK_SemWait(&m_startSema);
    RTK_SemDestroy(&m_startSema);
    m_startSema = 0;
    if (!m_startResult)
        Join();  // the refused thread has ended or is ending
    return m_startResult;
}

void CBaseThread::Stop()
{
    // From the worker itself: ask, but a thread cannot wait for itself. The handle belongs to the
    // owner's thread and is not read here.
    if (m_threadId.load() == RTK_Thread_GetSelfId()) {
        RequestStop();
        return;
    }
    if (m_threadHandle == 0)
        return;
    RequestStop();
    Join();
}

bool CBaseThread::WaitForStop(int timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_stopLock);
    m_stopCond.wait_for(lock, std::chrono::milliseconds(std::max(0, timeout_ms)),
                        [this] { return m_stop.load() || m_woken; });
    m_woken = false;
    return m_stop.load();
}

void CBaseThread::Wake()
{
    {
        std::lock_guard<std::mutex> lock(m_stopLock);
        m_woken = true;
    }
    m_stopCond.notify_all();
}

void CBaseThread::RequestStop()
{
    {
        std::lock_guard<std::mutex> lock(m_stopLock);
        m_stop.store(true);
    }
    m_stopCond.notify_all();
}

void CBaseThread::Join()
{
    if (m_threadHandle == 0)
        return;
    if (RTK_Thread_Wait(m_threadHandle) != -1)
        m_threadHandle = 0;
}

int CBaseThread::ThreadProc(void* arg)
{
    auto* self = static_cast<CBaseThread*>(arg);
    if (!self)
        return 0;
    self->m_threadId.store(RTK_Thread_GetSelfId());
    if (!self->OnThreadStart()) {
        self->OnThreadExit();
        self->m_running.store(false);
        self->m_threadId.store(0);
        if (self->m_startSema != 0) {
            self->m_startResult = false;
            RTK_SemPost(&self->m_startSema);
        }
        RTK_Thread_Exit();
        return 0;
    }
    if (self->m_startSema != 0) {
        self->m_startResult = true;
        RTK_SemPost(&self->m_startSema);
    }
    while (!self->m_stop.load()) {
        if (!self->RunOnce())
            break;
    }
    self->OnThreadExit();
    self->m_threadId.store(0);
    // Last touch of the object: once the running flag drops, the owner may restart or destroy it.
    self->m_running.store(false);
    RTK_Thread_Exit();
    return 0;
}

}  // namespace Varpen
