#pragma once
// rtk: the runtime layer of Varpen. Threads, semaphores, events, sleeps, mutexes and file calls
// behind small C-style calls, plus the mutex and guard classes the engine uses everywhere.
//
// Handles are 32-bit ints. Thread, semaphore, event and mutex handles are never 0 while valid
// (0 means "none"); file handles are POSIX descriptors (-1 means "none").
// Every call is thread-safe. Waits run on the steady clock, so wall-clock jumps don't shorten them.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

// ---------------------------------------------------------------------------------------------
// Threads
// ---------------------------------------------------------------------------------------------

// A thread procedure: gets the argument given to RTK_Thread_Create; its result is not read.
using RTK_ThreadProc = int (*)(void* arg);

// Starts proc(arg) on a new thread. stack_size_bytes 0 = the default stack; other values are
// raised to a safe minimum. The reserved arguments are 0. Returns the thread handle, 0 on failure.
// Every created thread must be waited (RTK_Thread_Wait) or detached exactly once.
int RTK_Thread_Create(RTK_ThreadProc proc, void* arg, int stack_size_bytes, int reserved1 = 0, int reserved2 = 0,
                      int reserved3 = 0);
// Returns 0 once the thread has ended and frees its handle; -1 for an unknown handle or when the
// calling thread waits for itself (which would never return).
int RTK_Thread_Wait(int thread_handle);
// Lets the thread end on its own without a wait; frees the handle. -1 for an unknown handle.
int RTK_Thread_Detach(int thread_handle);
// The calling thread's kernel id (never 0).
int RTK_Thread_GetSelfId();
// The last call of a thread procedure. Does nothing: the procedure then returns normally, so
// every destructor on its stack runs.
void RTK_Thread_Exit();

// Sleeps the calling thread.
void RTK_Sleep(int sleep_ms);

// ---------------------------------------------------------------------------------------------
// Semaphores and events
// ---------------------------------------------------------------------------------------------

namespace rtk {

// A counting semaphore. Close() wakes every waiter with a failure and makes later waits fail,
// so a waiter never hangs on a semaphore its owner gave up.
class Semaphore {
public:
    explicit Semaphore(int initial_count = 0);
    void Post();
    bool Wait();                     // false once closed
    bool TimedWait(int timeout_ms);  // true when posted, false on time-out or once closed
    void Close();

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    int m_count;
    bool m_closed = false;
};

// An event: Set() wakes one waiter (auto-reset) or all waiters until Reset() (manual reset).
class Event {
public:
    explicit Event(bool manual_reset = false);
    void Set();
    void Reset();
    // timeout_ms < 0 waits without limit. true when set, false on time-out.
    bool Wait(int timeout_ms);

private:
    std::mutex m_lock;
    std::condition_variable m_cond;
    bool m_manualReset;
    bool m_set = false;
};

}  // namespace rtk

// Semaphores on a handle word. Create: initial_count (0 in the engine); -1 on failure, else 0.
int RTK_SemCreate(int* sem_handle, int initial_count);
// Blocks until posted. 0 = posted, -1 = bad handle or destroyed while waiting.
int RTK_SemWait(int* sem_handle);
// 0 = posted, -1 = timed out or failed.
int RTK_SemTimedWait(int* sem_handle, int timeout_ms);
// Wakes one waiter (or lets the next wait pass). 0, or -1 for a bad handle.
int RTK_SemPost(int* sem_handle);
// Frees the semaphore; threads still waiting on it wake with -1. The caller then zeroes the word.
int RTK_SemDestroy(int* sem_handle);

// Events. manual_reset 0 = auto-reset (the engine's use). Returns the handle, 0 on failure.
int RTK_CreateEvent(int manual_reset);
int RTK_SetEvent(int event_handle);
int RTK_CloseEvent(int event_handle);
// 0 = set, -1 = timed out or bad handle. timeout_ms < 0 waits without limit.
int RTK_WaitForSingleObject(int event_handle, int timeout_ms);

// ---------------------------------------------------------------------------------------------
// Mutexes
// ---------------------------------------------------------------------------------------------

// A recursive mutex: the thread that holds it may lock it again (and unlocks as often).
class RTK_Mutex {
public:
    RTK_Mutex() = default;
    ~RTK_Mutex() = default;
    int Lock()
    {
        m_lock.lock();
        return 0;
    }
    int Unlock()
    {
        m_lock.unlock();
        return 0;
    }
    bool TryLock() { return m_lock.try_lock(); }

    // A mutex's lock state belongs to that object alone: copying it would hand one thread's
    // ownership to another object. Nothing assigns or copies a mutex.
    RTK_Mutex(const RTK_Mutex&) = delete;
    RTK_Mutex& operator=(const RTK_Mutex&) = delete;

private:
    std::recursive_mutex m_lock;
};

// Locks a mutex when built; Release() or the destructor unlocks it once.
class RTK_Guard {
public:
    explicit RTK_Guard(RTK_Mutex* m) : mutex(m) { mutex->Lock(); }
    ~RTK_Guard() { Release(); }
    void Release()
    {
        if (mutex) {
            mutex->Unlock();
            mutex = nullptr;
        }
    }
    // Two guards on one lock would unlock it twice.
    RTK_Guard(const RTK_Guard&) = delete;
    RTK_Guard& operator=(const RTK_Guard&) = delete;

    RTK_Mutex* mutex;
};

// A semaphore handle word as a value (see RTK_SemCreate).
struct RTK_Sema {
    int handle = 0;
    RTK_Sema& operator=(const RTK_Sema& other) = default;
};

// Mutexes on a handle word (recursive, like RTK_Mutex). Create: 0 on success, -1 on failure.
int RTK_MutexCreate(int* mutex_handle, int reserved = 0);
int RTK_MutexLock(int* mutex_handle);
int RTK_MutexUnlock(int* mutex_handle);
int RTK_MutexDestroy(int* mutex_handle);

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------

// Open flags (bits). The engine's two uses:
//   RTK_FILE_CREATE_OUTPUT (22 = WRITE|CREATE|TRUNCATE) with share mode 8192: a new output file.
//     CREATE never replaces an existing file: the open fails (-1, errno EEXIST) and the existing
//     file stays as it was, so a repeated output name cannot destroy an earlier recording. The
//     caller picks another name.
//   RTK_FILE_READ (1) with share mode 4096 or 0: read an existing file.
// TRUNCATE without CREATE empties an existing file opened for writing. REPLACE (with WRITE)
// creates or empties the file: for callers that mean to overwrite.
enum : int {
    RTK_FILE_READ = 0x01,
    RTK_FILE_WRITE = 0x02,
    RTK_FILE_CREATE = 0x04,
    RTK_FILE_APPEND = 0x08,
    RTK_FILE_TRUNCATE = 0x10,
    RTK_FILE_REPLACE = 0x20,
    RTK_FILE_CREATE_OUTPUT = RTK_FILE_WRITE | RTK_FILE_CREATE | RTK_FILE_TRUNCATE,
};
// Share modes (4096 share-read, 8192 share-write) are accepted and ignored: POSIX files have none.
enum : int { RTK_SHARE_READ = 4096, RTK_SHARE_WRITE = 8192 };

struct RTK_FileInfo {
    int64_t size_bytes = 0;
    int64_t modified_s = 0;  // seconds since the epoch
    bool is_dir = false;
};

// Path in UTF-8. Returns a file handle, -1 on failure (errno tells why). Files are created 0644.
int RTK_OpenFile(const char* path, int flags, int share_mode);
// Opens an existing file for reading without ever waiting: the open does not wait for the writer
// of a FIFO, and anything but a regular file (or, with allow_block_device, a block device such as
// a whole disk) is refused with errno EINVAL, so that no later read waits for ever on a FIFO, a
// socket or a terminal. Returns a file handle, -1 on failure (errno tells why).
int RTK_OpenReadOnly(const char* path, bool allow_block_device = false);
// Writes every byte or fails: 0 when all size_bytes were written, -1 otherwise (disk full, I/O
// error, bad handle). written_bytes (may be null) gets the bytes that did reach the file.
int RTK_WriteFile(int file_handle, const void* data, size_t size_bytes, size_t* written_bytes);
// Reads exactly size_bytes at the current position: 0 on success, -1 on an error or when the file
// ends first. Both reads wait first while a test slows the disk down (rtk_test.h).
int RTK_ReadFile(int file_handle, void* buffer, size_t size_bytes, int reserved = 0);
// Reads up to size_bytes at offset_bytes without moving the position. Returns the count read
// (less than asked only at the end of the file), -1 on an error.
int64_t RTK_ReadFileAt(int file_handle, void* buffer, size_t size_bytes, int64_t offset_bytes);
// origin 0 = from the start, 1 = from the current position, 2 = from the end. 0 on success.
int RTK_FileSeek(int file_handle, int64_t offset_bytes, int origin = 0, int reserved = 0);
int RTK_FileStat(int file_handle, RTK_FileInfo* info);
int RTK_CloseFile(int file_handle);
int RTK_DeleteFile(const char* path);
// Replaces new_path atomically when it exists. 0 on success, -1 on failure.
int RTK_RenameFile(const char* old_path, const char* new_path);
// Creates one folder (the parent must exist). An existing folder is success; -1 on failure,
// also when the path is an existing file.
int RTK_MakeDir(const char* path);

// Test hook: after bytes_left more bytes have been written through RTK_WriteFile (process-wide),
// every write fails as on a full disk (errno ENOSPC); the write that crosses the limit writes the
// bytes up to it, then fails. A negative value turns the hook off (the default).
void RTK_Test_FailWritesAfter(int64_t bytes_left);
