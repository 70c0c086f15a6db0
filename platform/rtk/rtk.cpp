#include "platform/rtk/rtk.h"
#include "platform/rtk/rtk_test.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <thread>
#include <unordered_map>

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Maps 32-bit handles to shared objects. A call takes its own reference under the table lock and
// works on the object outside it, so a destroy on another thread never frees an object in use.
template <typename T>
class HandleTable {
public:
    int Add(std::shared_ptr<T> object)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        for (;;) {
            if (++m_next <= 0)
                m_next = 1;
            if (m_objects.find(m_next) == m_objects.end())
                break;
        }
        m_objects.emplace(m_next, std::move(object));
        return m_next;
    }
    std::shared_ptr<T> Find(int handle)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_objects.find(handle);
        return it == m_objects.end() ? nullptr : it->second;
    }
    std::shared_ptr<T> Take(int handle)
    {
        std::lock_guard<std::mutex> lock(m_lock);
        auto it = m_objects.find(handle);
        if (it == m_objects.end())
            return nullptr;
        std::shared_ptr<T> object = std::move(it->second);
        m_objects.erase(it);
        return object;
    }

private:
    std::mutex m_lock;
    std::unordered_map<int, std::shared_ptr<T>> m_objects;
    int m_next = 0;
};

struct ThreadRecord {
    pthread_t thread{};
};

// The tables are never destroyed: a worker may still end, and be joined, while the process exits
// (after main, while other static objects go), and must find its table then.
HandleTable<ThreadRecord>& Threads()
{
    static auto* const table = new HandleTable<ThreadRecord>;
    return *table;
}
HandleTable<rtk::Semaphore>& Semaphores()
{
    static auto* const table = new HandleTable<rtk::Semaphore>;
    return *table;
}
HandleTable<rtk::Event>& Events()
{
    static auto* const table = new HandleTable<rtk::Event>;
    return *table;
}
HandleTable<RTK_Mutex>& Mutexes()
{
    static auto* const table = new HandleTable<RTK_Mutex>;
    return *table;
}

struct ThreadStart {
    RTK_ThreadProc proc;
    void* arg;
};

void* ThreadEntry(void* p)
{
    std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(p));
    start->proc(start->arg);
    return nullptr;
}

// Bytes RTK_WriteFile may still write before the simulated full disk; negative = hook off.
std::atomic<int64_t> g_writeBudget{-1};

// Takes up to want bytes from the test budget; returns how many may be written. budgeted tells
// whether the hook was on, so that bytes not written can be given back.
size_t TakeWriteBudget(size_t want, bool* budgeted)
{
    int64_t left = g_writeBudget.load();
    for (;;) {
        *budgeted = left >= 0;
        if (left < 0)
            return want;
        const int64_t grant = std::min<int64_t>(left, static_cast<int64_t>(want));
        if (g_writeBudget.compare_exchange_weak(left, left - grant))
            return static_cast<size_t>(grant);
    }
}

int EnvironmentInt(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

// The slow-disk seam: milliseconds every read waits first (0: off).
std::atomic<int>& ReadDelay()
{
    static std::atomic<int> delay_ms{std::max(0, EnvironmentInt("VARPEN_TEST_READ_DELAY_MS"))};
    return delay_ms;
}

// The seam that refuses files without read permission also to root.
std::atomic<bool>& RefuseUnreadable()
{
    static std::atomic<bool> on{EnvironmentInt("VARPEN_TEST_UNREADABLE_FOR_ROOT") != 0};
    return on;
}

void WaitAsASlowDisk()
{
    const int delay_ms = ReadDelay().load(std::memory_order_relaxed);
    if (delay_ms > 0)
        RTK_Sleep(delay_ms);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Threads

int RTK_Thread_Create(RTK_ThreadProc proc, void* arg, int stack_size_bytes, int, int, int)
{
    if (!proc)
        return 0;
    pthread_attr_t attr;
    if (pthread_attr_init(&attr) != 0)
        return 0;
    if (stack_size_bytes > 0) {
        // Sanitizers and the C++ runtime need some room of their own.
        const size_t minimum = std::max<size_t>(PTHREAD_STACK_MIN, 256 * 1024);
        pthread_attr_setstacksize(&attr, std::max<size_t>(minimum, size_t(stack_size_bytes)));
    }
    auto record = std::make_shared<ThreadRecord>();
    auto* start = new ThreadStart{proc, arg};
    const int rc = pthread_create(&record->thread, &attr, &ThreadEntry, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        std::unique_ptr<ThreadStart> owner(start);  // the thread never took it
        return 0;
    }
    return Threads().Add(std::move(record));
}

int RTK_Thread_Wait(int thread_handle)
{
    std::shared_ptr<ThreadRecord> record = Threads().Find(thread_handle);
    if (!record || pthread_equal(record->thread, pthread_self()))
        return -1;
    // Only the waiter that takes the record out of the table joins it.
    record = Threads().Take(thread_handle);
    if (!record)
        return -1;
    return pthread_join(record->thread, nullptr) == 0 ? 0 : -1;
}

int RTK_Thread_Detach(int thread_handle)
{
    std::shared_ptr<ThreadRecord> record = Threads().Take(thread_handle);
    if (!record)
        return -1;
    return pthread_detach(record->thread) == 0 ? 0 : -1;
}

int RTK_Thread_GetSelfId()
{
    return static_cast<int>(syscall(SYS_gettid));
}

void RTK_Thread_Exit() {}

void RTK_Sleep(int sleep_ms)
{
    if (sleep_ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(sleep_ms));
}

// ---------------------------------------------------------------------------------------------
// Semaphores and events

namespace rtk {

Semaphore::Semaphore(int initial_count) : m_count(std::max(0, initial_count)) {}

void Semaphore::Post()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        if (m_count < INT_MAX)
            ++m_count;
    }
    m_cond.notify_one();
}

bool Semaphore::Wait()
{
    std::unique_lock<std::mutex> lock(m_lock);
    m_cond.wait(lock, [this] { return m_closed || m_count > 0; });
    if (m_closed)
        return false;
    --m_count;
    return true;
}

bool Semaphore::TimedWait(int timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_lock);
    // wait_for measures on the steady clock.
    const bool ready = m_cond.wait_for(lock, std::chrono::milliseconds(std::max(0, timeout_ms)),
                                       [this] { return m_closed || m_count > 0; });
    if (!ready || m_closed)
        return false;
    --m_count;
    return true;
}

void Semaphore::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_closed = true;
    }
    m_cond.notify_all();
}

Event::Event(bool manual_reset) : m_manualReset(manual_reset) {}

void Event::Set()
{
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_set = true;
    }
    if (m_manualReset)
        m_cond.notify_all();
    else
        m_cond.notify_one();
}

void Event::Reset()
{
    std::lock_guard<std::mutex> lock(m_lock);
    m_set = false;
}

bool Event::Wait(int timeout_ms)
{
    std::unique_lock<std::mutex> lock(m_lock);
    const auto isSet = [this] { return m_set; };
    if (timeout_ms < 0)
        m_cond.wait(lock, isSet);
    else if (!m_cond.wait_for(lock, std::chrono::milliseconds(timeout_ms), isSet))
        return false;
    if (!m_manualReset)
        m_set = false;
    return true;
}

}  // namespace rtk

int RTK_SemCreate(int* sem_handle, int initial_count)
{
    if (!sem_handle)
        return -1;
    *sem_handle = Semaphores().Add(std::make_shared<rtk::Semaphore>(initial_count));
    return 0;
}

int RTK_SemWait(int* sem_handle)
{
    auto sem = sem_handle ? Semaphores().Find(*sem_handle) : nullptr;
    return sem && sem->Wait() ? 0 : -1;
}

int RTK_SemTimedWait(int* sem_handle, int timeout_ms)
{
    auto sem = sem_handle ? Semaphores().Find(*sem_handle) : nullptr;
    return sem && sem->TimedWait(timeout_ms) ? 0 : -1;
}

int RTK_SemPost(int* sem_handle)
{
    auto sem = sem_handle ? Semaphores().Find(*sem_handle) : nullptr;
    if (!sem)
        return -1;
    sem->Post();
    return 0;
}

int RTK_SemDestroy(int* sem_handle)
{
    auto sem = sem_handle ? Semaphores().Take(*sem_handle) : nullptr;
    if (!sem)
        return -1;
    sem->Close();
    return 0;
}

int RTK_CreateEvent(int manual_reset)
{
    return Events().Add(std::make_shared<rtk::Event>(manual_reset != 0));
}

int RTK_SetEvent(int event_handle)
{
    auto event = Events().Find(event_handle);
    if (!event)
        return -1;
    event->Set();
    return 0;
}

int RTK_CloseEvent(int event_handle)
{
    auto event = Events().Take(event_handle);
    if (!event)
        return -1;
    // A thread still waiting keeps its own reference and ends at its time-out or a late set.
    return 0;
}

int RTK_WaitForSingleObject(int event_handle, int timeout_ms)
{
    auto event = Events().Find(event_handle);
    return event && event->Wait(timeout_ms) ? 0 : -1;
}

// ---------------------------------------------------------------------------------------------
// Mutexes on handle words

int RTK_MutexCreate(int* mutex_handle, int)
{
    if (!mutex_handle)
        return -1;
    *mutex_handle = Mutexes().Add(std::make_shared<RTK_Mutex>());
    return 0;
}

int RTK_MutexLock(int* mutex_handle)
{
    auto mutex = mutex_handle ? Mutexes().Find(*mutex_handle) : nullptr;
    return mutex ? mutex->Lock() : -1;
}

int RTK_MutexUnlock(int* mutex_handle)
{
    auto mutex = mutex_handle ? Mutexes().Find(*mutex_handle) : nullptr;
    return mutex ? mutex->Unlock() : -1;
}

int RTK_MutexDestroy(int* mutex_handle)
{
    auto mutex = mutex_handle ? Mutexes().Take(*mutex_handle) : nullptr;
    return mutex ? 0 : -1;
}

// ---------------------------------------------------------------------------------------------
// Files

int RTK_OpenFile(const char* path, int flags, int)
{
    if (!path || !*path) {
        errno = EINVAL;
        return -1;
    }
    const bool read = flags & RTK_FILE_READ;
    const bool write = flags & (RTK_FILE_WRITE | RTK_FILE_APPEND);
    int oflags = O_CLOEXEC;
    if (read && write)
        oflags |= O_RDWR;
    else if (write)
        oflags |= O_WRONLY;
    else
        oflags |= O_RDONLY;
    if (flags & RTK_FILE_APPEND)
        oflags |= O_APPEND;
    if (write) {
        if (flags & RTK_FILE_REPLACE)
            oflags |= O_CREAT | O_TRUNC;
        else if (flags & RTK_FILE_CREATE)
            oflags |= O_CREAT | O_EXCL;  // never overwrite an existing file
        else if (flags & RTK_FILE_TRUNCATE)
            oflags |= O_TRUNC;
    }
    int fd;
    do {
        fd = ::open(path, oflags, 0644);
    } while (fd < 0 && errno == EINTR);
    return fd < 0 ? -1 : fd;
}

int RTK_OpenReadOnly(const char* path, bool allow_block_device)
{
    if (!path || !*path) {
        errno = EINVAL;
        return -1;
    }
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer.
    int fd;
    do {
        fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return -1;
    }
    const bool wanted = S_ISREG(st.st_mode) || (allow_block_device && S_ISBLK(st.st_mode));
    const bool refused = RefuseUnreadable().load(std::memory_order_relaxed) && S_ISREG(st.st_mode) &&
                         (st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH)) == 0;
    if (!wanted || refused) {
        ::close(fd);
        errno = refused ? EACCES : EINVAL;
        return -1;
    }
    // Reads of a file or a disk may block as usual.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
}

int RTK_WriteFile(int file_handle, const void* data, size_t size_bytes, size_t* written_bytes)
{
    size_t done = 0;
    int result = 0;
    if (file_handle < 0 || (!data && size_bytes > 0)) {
        errno = EBADF;
        result = -1;
    }
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (result == 0 && done < size_bytes) {
        bool budgeted = false;
        const size_t allowed = TakeWriteBudget(size_bytes - done, &budgeted);
        if (allowed == 0) {
            errno = ENOSPC;
            result = -1;
            break;
        }
        const ssize_t n = ::write(file_handle, bytes + done, allowed);
        if (n < 0) {
            if (budgeted)
                g_writeBudget.fetch_add(static_cast<int64_t>(allowed));
            if (errno == EINTR)
                continue;
            result = -1;
            break;
        }
        if (n == 0) {  // nothing written and no error: treat as a full device
            if (budgeted)
                g_writeBudget.fetch_add(static_cast<int64_t>(allowed));
            errno = ENOSPC;
            result = -1;
            break;
        }
        if (size_t(n) < allowed && budgeted)
            g_writeBudget.fetch_add(static_cast<int64_t>(allowed - size_t(n)));
        done += size_t(n);
    }
    if (written_bytes)
        *written_bytes = done;
    return result;
}

int RTK_ReadFile(int file_handle, void* buffer, size_t size_bytes, int)
{
    if (file_handle < 0 || (!buffer && size_bytes > 0))
        return -1;
    WaitAsASlowDisk();
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size_bytes) {
        const ssize_t n = ::read(file_handle, bytes + done, size_bytes - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            return -1;  // the file ended first
        done += size_t(n);
    }
    return 0;
}

int64_t RTK_ReadFileAt(int file_handle, void* buffer, size_t size_bytes, int64_t offset_bytes)
{
    if (file_handle < 0 || offset_bytes < 0 || (!buffer && size_bytes > 0))
        return -1;
    WaitAsASlowDisk();
    auto* bytes = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < size_bytes) {
        const ssize_t n =
            ::pread(file_handle, bytes + done, size_bytes - done, static_cast<off_t>(offset_bytes + int64_t(done)));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return -1;
        }
        if (n == 0)
            break;
        done += size_t(n);
    }
    return static_cast<int64_t>(done);
}

int RTK_FileSeek(int file_handle, int64_t offset_bytes, int origin, int)
{
    const int whence = origin == 1 ? SEEK_CUR : origin == 2 ? SEEK_END : SEEK_SET;
    if (file_handle < 0 || (origin < 0 || origin > 2))
        return -1;
    return ::lseek(file_handle, static_cast<off_t>(offset_bytes), whence) < 0 ? -1 : 0;
}

int RTK_FileStat(int file_handle, RTK_FileInfo* info)
{
    struct stat st {};
    if (file_handle < 0 || ::fstat(file_handle, &st) != 0)
        return -1;
    if (info) {
        info->size_bytes = st.st_size;
        info->modified_s = st.st_mtim.tv_sec;
        info->is_dir = S_ISDIR(st.st_mode);
    }
    return 0;
}

int RTK_CloseFile(int file_handle)
{
    if (file_handle < 0)
        return -1;
    // Linux frees the descriptor even when close reports EINTR; never close it twice.
    return ::close(file_handle) == 0 || errno == EINTR ? 0 : -1;
}

int RTK_DeleteFile(const char* path)
{
    return path && ::unlink(path) == 0 ? 0 : -1;
}

int RTK_RenameFile(const char* old_path, const char* new_path)
{
    return old_path && new_path && ::rename(old_path, new_path) == 0 ? 0 : -1;
}

int RTK_MakeDir(const char* path)
{
    if (!path || !*path)
        return -1;
    if (::mkdir(path, 0777) == 0)
        return 0;
    if (errno != EEXIST)
        return -1;
    struct stat st {};
    const int saved = errno;
    if (::stat(path, &st) == 0 && S_ISDIR(st.st_mode))
        return 0;
    errno = saved;
    return -1;
}

void RTK_Test_FailWritesAfter(int64_t bytes_left)
{
    g_writeBudget.store(bytes_left < 0 ? -1 : bytes_left);
}

void rtk_test_SetReadDelay(int delay_ms)
{
    ReadDelay().store(std::max(0, delay_ms));
}

int rtk_test_ReadDelay()
{
    return ReadDelay().load();
}

void rtk_test_SetRefuseUnreadable(bool on)
{
    RefuseUnreadable().store(on);
}
