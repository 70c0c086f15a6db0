#pragma once
// The base of the engine's workers: a subclass supplies one pass of work (RunOnce); the base runs
// passes on its own runtime thread until a pass returns false or a stop is asked.

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace Varpen {

class CBaseThread {
public:
    CBaseThread() = default;
    // Stops and joins a thread that is still running or ended by itself. Subclasses must stop in
    // their own destructors (their RunOnce cannot run once they are gone); this is a backstop.
    virtual ~CBaseThread();

    CBaseThread(const CBaseThread&) = delete;
    CBaseThread& operator=(const CBaseThread&) = delete;

    // True from Start until the loop has ended (by a stop or a pass that returned false).
    bool IsRunning() const { return m_running.load(); }

    // Starts the thread and returns once it has run OnThreadStart. false when already running,
    // when no thread could be made, or when OnThreadStart refused (the thread has then ended).
    bool Start();
    // Starts the thread and returns without waiting for it to run (a new thread may take a while
    // to be scheduled on a loaded machine): for workers whose OnThreadStart never refuses. false
    // when already running or when no thread could be made.
    bool Launch();

    // Asks the loop to end after the current pass and waits for the thread. Nothing on an idle
    // object. Called on the worker's own thread it only asks; the loop then ends after this pass
    // and the thread is joined by the next Start, Stop or the destructor.
    void Stop();

protected:
    // Runs on the new thread before the first pass; false ends the thread without any pass.
    virtual bool OnThreadStart() { return true; }
    // Runs on the thread after the loop, also after a refused start.
    virtual void OnThreadExit() {}
    // One pass; the loop goes on while it returns true.
    virtual bool RunOnce() = 0;

    // For passes: true once a stop was asked.
    bool IsStopRequested() const { return m_stop.load(); }
    // Asks the loop to end after the current pass, without waiting (Stop or the destructor joins).
    void RequestStop();
    // Sleeps up to timeout_ms, waking at once when a stop is asked or Wake is called. true when a
    // stop was asked.
    bool WaitForStop(int timeout_ms);
    // Ends the WaitForStop in progress early (or the next one, when none is), without asking a
    // stop: for owners that hand the loop new work.
    void Wake();

    // The running thread's id (RTK_Thread_GetSelfId), 0 when none.
    int ThreadId() const { return m_threadId.load(); }

private:
    static int ThreadProc(void* arg);
    bool Begin(bool waitForStart);
    void Join();

    int m_threadHandle = 0;  // owner's side only: Start, Stop, destructor
    std::atomic<int> m_threadId{0};
    int m_startSema = 0;  // exists only during Start
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_running{false};
    bool m_startResult = false;  // written before the start semaphore is posted

    std::mutex m_stopLock;
    std::condition_variable m_stopCond;
    bool m_woken = false;  // under m_stopLock
};

}  // namespace Varpen
