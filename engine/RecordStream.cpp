// Streaming of local segment files: one reader thread per open handle (0..99).
//
// The table lock is held only for table look-ups; time searches, joins and callbacks run
// outside it, so one slow stream never holds up the others. Each reader thread delivers its
// blocks under the reader's own lock, so a seek waits for the block in flight.
#include "engine/RecordIndex.h"

#include "platform/rtk/rtk.h"
#include "platform/streamfmt/PacketLocator.h"
#include "platform/streamfmt/streamfmt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

namespace {

using Varpen::FileNamePart;
using Varpen::RecordTime;

constexpr std::int64_t kHeaderBytes = static_cast<std::int64_t>(SF_HEADER_SIZE);
constexpr unsigned kMaxBlockKiB = 4096;

struct FileReader : std::enable_shared_from_this<FileReader> {
    std::string path;
    std::size_t blockBytes = 1024;
    std::int64_t startOffset = 0;  // 0 = right after the header
    std::int64_t endOffset = 0;    // 0 = end of file
    RBS_StreamCallback callback = nullptr;
    void* user = nullptr;
    int handle = -1;
    bool hasHeader = false;

    std::recursive_mutex lock;      // held for each block and by a seek
    std::int64_t seekRequest = -1;  // > 0: a seek is pending (under `lock`)
    std::atomic<bool> stop{false};
    std::atomic<bool> finished{false};  // the thread has left its loop
    std::atomic<int> percent{0};
    std::thread thread;  // replaced only under `lock`

    bool Start(std::int64_t resumeAt);
    void Run(std::int64_t resumeAt);
};

struct ReaderTable {
    std::mutex lock;
    std::map<int, std::shared_ptr<FileReader>> readers;
    // Threads that asked their own stream to stop from inside a callback; joined later.
    std::vector<std::thread> stopped;

    ~ReaderTable()
    {
        std::map<int, std::shared_ptr<FileReader>> left;
        std::vector<std::thread> threads;
        {
            std::lock_guard<std::mutex> guard(lock);
            left.swap(readers);
            threads.swap(stopped);
        }
        for (auto& [handle, reader] : left) {
            reader->stop = true;
            std::thread t;
            {
                std::lock_guard<std::recursive_mutex> g(reader->lock);
                t = std::move(reader->thread);
            }
            if (t.joinable())
                t.join();
        }
        for (std::thread& t : threads) {
            if (t.joinable())
                t.join();
        }
    }
};

ReaderTable& Table()
{
    static ReaderTable table;
    return table;
}

// Joins the threads of streams that stopped themselves, except the calling one.
void ReapStopped()
{
    std::vector<std::thread> threads;
    {
        std::lock_guard<std::mutex> guard(Table().lock);
        auto& stopped = Table().stopped;
        for (auto it = stopped.begin(); it != stopped.end();) {
            if (it->get_id() != std::this_thread::get_id()) {
                threads.push_back(std::move(*it));
                it = stopped.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (std::thread& t : threads) {
        if (t.joinable())
            t.join();
    }
}

bool IsRegularFile(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ProbeHeader(const std::string& path)
{
    const int fd = Varpen::OpenRegularFile(path);
    if (fd < 0) {
        return false;
    }
    // Our header, another recorder's 40 bytes or none: the first 40 bytes go out as the header
    // block whenever a stream starts at 0 or at 40, so that header and data are the file's bytes.
    std::uint8_t head[SF_HEADER_SIZE + 3 * 188 + 1];
    const std::int64_t got = RTK_ReadFileAt(fd, head, sizeof(head), 0);
    const bool ok = got >= static_cast<std::int64_t>(SF_HEADER_SIZE) &&
                    (SF_ParseHeader(head, SF_HEADER_SIZE, nullptr) ||
                     SF_StreamOffset(head, static_cast<std::size_t>(got), nullptr) >= 0);
    ::close(fd);
    return ok;
}

// "<start14>_<end14>_<n>.mp4": the two time keys of a segment file name.
void NameKeys(const std::string& path, std::string& startKey, std::string& endKey)
{
    const std::string name = FileNamePart(path);
    const std::size_t first = name.find('_');
    startKey = name.substr(0, first);
    endKey.clear();
    if (first != std::string::npos) {
        const std::size_t second = name.find('_', first + 1);
        endKey = name.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
    }
}

// A time asked of one file: where the clock shows it twice, the pass at or after `notBefore`
// (the file's own start), so that a file of the repeated hour is searched in its own hour.
time_t TimeOf(const int* fields, time_t notBefore)
{
    RecordTime t;
    for (int i = 0; i < 6; ++i)
        t.Fields()[i] = fields[i];
    return Varpen::MakeTime(t, notBefore);
}

// Byte positions of keyframes by time, one locator per call.
class Locator {
public:
    explicit Locator(const std::string& path)
    {
        std::string startKey, endKey;
        NameKeys(path, startKey, endKey);
        const time_t fallback = Varpen::StampToTime(startKey.c_str(), startKey.size());
        // The locator reads the file with the demuxer, which would wait for ever on a FIFO.
        m_handle = IsRegularFile(path) ? SF_LocatorOpen(path.c_str(), fallback < 0 ? 0 : fallback) : -1;
    }
    ~Locator()
    {
        if (m_handle >= 0)
            SF_LocatorClose(m_handle);
    }
    Locator(const Locator&) = delete;
    Locator& operator=(const Locator&) = delete;

    std::int64_t Find(time_t wanted, int mode) const
    {
        return (m_handle < 0 || wanted < 0) ? -1 : SF_LocatorFindPacket(m_handle, wanted, mode);
    }

private:
    std::int64_t m_handle = -1;
};

bool FileReader::Start(std::int64_t resumeAt)
{
    stop = false;
    finished = false;
    try {
        auto self = shared_from_this();
        thread = std::thread([self, resumeAt] { self->Run(resumeAt); });
    } catch (const std::system_error&) {
        return false;
    }
    return true;
}

void FileReader::Run(std::int64_t resumeAt)
{
    // Only a regular file is read: a FIFO or a device in its place never blocks the stream.
    const int fd = path.empty() ? -1 : Varpen::OpenRegularFile(path);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        // Nothing can be sent: the stream has failed, as a disk's stream does on a read error.
        if (fd >= 0)
            ::close(fd);
        std::lock_guard<std::recursive_mutex> guard(lock);
        percent = RBS_POS_FAILED;
        finished = true;
        return;
    }
    const std::int64_t fileBytes = st.st_size;
    const std::int64_t dataStart =
        std::min<std::int64_t>(startOffset > kHeaderBytes ? startOffset : kHeaderBytes, fileBytes);
    const std::int64_t dataEnd = (endOffset > 0 && endOffset < fileBytes) ? std::max(endOffset, dataStart) : fileBytes;
    // Progress counts the header and the span, in 64 bits.
    const std::int64_t total = kHeaderBytes + (dataEnd - dataStart);
    std::vector<unsigned char> block(blockBytes);

    std::int64_t pos = dataStart;
    if (resumeAt >= 0) {
        pos = resumeAt;  // restarted by a seek after everything had been sent: no header again
    } else {
        unsigned char header[SF_HEADER_SIZE];
        const bool whole = RTK_ReadFileAt(fd, header, sizeof(header), 0) == static_cast<std::int64_t>(sizeof(header));
        if (hasHeader && whole && !stop) {
            callback(handle, 1, header, static_cast<unsigned>(sizeof(header)), user);
        }
    }

    // The reader's lock guards the position and the seek request only; the callback runs without
    // it, so a seek or a stop never waits while the receiver retries a full port.
    while (true) {
        {
            std::lock_guard<std::recursive_mutex> guard(lock);
            if (stop) {
                break;
            }
            if (seekRequest > 0) {
                pos = seekRequest;
                seekRequest = -1;
            }
        }
        std::int64_t got = 0;
        bool failed = false;
        if (pos < dataEnd) {
            const std::size_t want = static_cast<std::size_t>(std::min<std::int64_t>(blockBytes, dataEnd - pos));
            got = RTK_ReadFileAt(fd, block.data(), want, pos);
            // A read error, or a file cut short since it was opened, fails the stream.
            failed = got <= 0;
        }
        if (got <= 0) {
            // Decided under the lock, so a seek either lands before this or restarts the stream.
            std::lock_guard<std::recursive_mutex> guard(lock);
            if (seekRequest > 0 && !stop) {
                continue;
            }
            percent = failed ? RBS_POS_FAILED : RBS_POS_DONE;
            finished = true;
            break;
        }
        callback(handle, 2, block.data(), static_cast<unsigned>(got), user);
        pos += got;
        const std::int64_t sent = kHeaderBytes + std::max<std::int64_t>(0, pos - dataStart);
        percent = static_cast<int>(std::min<std::int64_t>(99, total > 0 ? sent * 100 / total : 99));
    }
    ::close(fd);
    finished = true;
}

std::shared_ptr<FileReader> Find(int handle)
{
    std::lock_guard<std::mutex> guard(Table().lock);
    auto it = Table().readers.find(handle);
    return it == Table().readers.end() ? nullptr : it->second;
}

int Open(std::shared_ptr<FileReader> reader)
{
    ReapStopped();
    std::lock_guard<std::mutex> guard(Table().lock);
    auto& readers = Table().readers;
    int handle = -1;
    for (int h = 0; h < RBS_MAX_STREAMS; ++h) {
        if (readers.find(h) == readers.end()) {
            handle = h;
            break;
        }
    }
    if (handle < 0) {
        return -1;
    }
    reader->handle = handle;
    {
        std::lock_guard<std::recursive_mutex> g(reader->lock);
        if (!reader->Start(-1)) {
            return -1;
        }
    }
    readers.emplace(handle, std::move(reader));
    return handle;
}

std::shared_ptr<FileReader> MakeReader(const char* file, unsigned blockKiB, RBS_StreamCallback callback, void* user)
{
    auto reader = std::make_shared<FileReader>();
    reader->path = file;
    const unsigned kib = blockKiB == 0 ? 1 : std::min(blockKiB, kMaxBlockKiB);
    reader->blockBytes = std::size_t(kib) * 1024;
    reader->callback = callback;
    reader->user = user;
    reader->hasHeader = ProbeHeader(reader->path);
    return reader;
}

}  // namespace

int RBS_GetStreamByFile(const char* file, unsigned blockKiB, unsigned startOffset, RBS_StreamCallback callback,
                        void* user)
{
    if (!file || !callback) {
        return -1;
    }
    auto reader = MakeReader(file, blockKiB, callback, user);
    reader->startOffset = startOffset;
    return Open(std::move(reader));
}

int RBS_GetStreamByTime(const char* file, const int* begin, const int* end, unsigned blockKiB,
                        RBS_StreamCallback callback, void* user)
{
    if (!file || !begin || !end || !callback) {
        return -1;
    }
    auto reader = MakeReader(file, blockKiB, callback, user);
    std::string startKey, endKey;
    NameKeys(reader->path, startKey, endKey);
    RecordTime b, e;
    for (int i = 0; i < 6; ++i) {
        b.Fields()[i] = begin[i];
        e.Fields()[i] = end[i];
    }
    const bool searchBegin = Varpen::FormatWindowKey(b) != startKey;
    const bool searchEnd = Varpen::FormatWindowKey(e) != endKey;
    if (searchBegin || searchEnd) {
        // The time search runs before the table is touched.
        Locator locator(reader->path);
        const time_t nameStart = Varpen::StampToTime(startKey.c_str(), startKey.size());
        const time_t from = TimeOf(begin, nameStart);
        if (searchBegin) {
            const std::int64_t pos = locator.Find(from, SF_LOCATE_START);
            if (pos >= 0)
                reader->startOffset = pos;
        }
        if (searchEnd) {
            const std::int64_t pos = locator.Find(TimeOf(end, from), SF_LOCATE_END);
            if (pos >= 0)
                reader->endOffset = pos;
        }
    }
    return Open(std::move(reader));
}

bool RBS_Stop(int handle)
{
    std::shared_ptr<FileReader> reader;
    {
        std::lock_guard<std::mutex> guard(Table().lock);
        auto it = Table().readers.find(handle);
        if (it == Table().readers.end()) {
            return false;
        }
        reader = it->second;
        Table().readers.erase(it);
    }
    reader->stop = true;
    std::thread thread;
    {
        std::lock_guard<std::recursive_mutex> guard(reader->lock);
        thread = std::move(reader->thread);
    }
    if (thread.get_id() == std::this_thread::get_id()) {
        // Asked from inside our own callback: the loop ends when the callback returns.
        std::lock_guard<std::mutex> guard(Table().lock);
        Table().stopped.push_back(std::move(thread));
        return true;
    }
    if (thread.joinable()) {
        thread.join();
    }
    ReapStopped();
    return true;
}

bool RBS_SetPosByTime(int handle, const int* time)
{
    if (!time) {
        return false;
    }
    std::shared_ptr<FileReader> reader = Find(handle);
    if (!reader || reader->path.empty()) {
        return false;
    }
    // A time outside the span that the file's name gives is not in this file.
    std::string startKey, endKey;
    NameKeys(reader->path, startKey, endKey);
    const time_t nameStart = Varpen::StampToTime(startKey.c_str(), startKey.size());
    const time_t nameEnd = Varpen::StampToTime(endKey.c_str(), endKey.size(), nameStart);
    const time_t wanted = TimeOf(time, nameStart);
    if ((nameStart >= 0 && wanted < nameStart) || (nameEnd >= 0 && wanted > nameEnd)) {
        return false;
    }
    const std::int64_t pos = Locator(reader->path).Find(wanted, SF_LOCATE_START);
    if (pos <= 0) {
        return false;
    }
    std::lock_guard<std::recursive_mutex> guard(reader->lock);
    if (reader->stop) {
        return false;
    }
    if (reader->finished) {
        // Everything had been sent: deliver again from the new position.
        if (reader->thread.joinable() && reader->thread.get_id() != std::this_thread::get_id()) {
            reader->thread.join();
        } else if (reader->thread.joinable()) {
            return false;
        }
        reader->seekRequest = -1;
        reader->percent = 0;
        return reader->Start(pos);
    }
    reader->seekRequest = pos;
    return true;
}

int RBS_GetPos(int handle)
{
    std::shared_ptr<FileReader> reader = Find(handle);
    return reader ? reader->percent.load() : 100;
}
