// Recorder-disk library: reads the recorder's whole-disk layout (DiskLayout.h) with pread from a
// block device or an image file. The disk is never opened for writing, and everything read from
// it is checked before use: a disk is untrusted input.
#include "platform/diskrec/diskrec.h"
#include "platform/diskrec/DiskTime.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <tuple>
#include <vector>

#include "platform/diskrec/DiskLayout.h"
#include "platform/diskrec/DriveResolver.h"
#include "platform/rtk/LocalTime.h"
#include "platform/rtk/rtk.h"
#include "platform/system/system.h"

namespace diskrec {

namespace {

// Bounds on what one disk may make us allocate, whatever its tables claim.
constexpr size_t kMaxFilesPerVolume = size_t(1) << 21;
constexpr size_t kMaxKeyframesPerFile = size_t(1) << 20;
constexpr size_t kReadChunkEntries = 8192;
constexpr size_t kMaxOpenPerKind = 256;
constexpr unsigned kMaxBlockKiB = 4096;
constexpr size_t kCacheLimit = 16;
constexpr size_t kReadAheadBytes = 256 * 1024;

thread_local int t_last_error = DR_ERR_NONE;
// The machine's disk list by default; tests may install their own.
std::atomic<DriveResolverFn> g_resolver{&Sys_DiskPathOf};
std::atomic<int64_t> g_table_reads{0};

int Fail(int error)
{
    t_last_error = error;
    return -1;
}

// ---- Disk access -------------------------------------------------------------------------------

class DiskFile {
public:
    DiskFile(int fd, const struct stat& st, uint64_t size) : fd_(fd), st_(st), size_(size) {}
    DiskFile(const DiskFile&) = delete;
    DiskFile& operator=(const DiskFile&) = delete;
    ~DiskFile() { ::close(fd_); }

    // Opens read-only; on failure gives null and the error number in *error.
    static std::shared_ptr<DiskFile> Open(const std::string& path, int* error)
    {
        // A FIFO in place of an image would otherwise hold the open for ever; only an image file or
        // a block device is a disk.
        const int fd = RTK_OpenReadOnly(path.c_str(), true);
        if (fd < 0) {
            *error = (errno == EACCES || errno == EPERM) ? DR_ERR_ACCESS_DENIED
                     : errno == EINVAL                   ? DR_ERR_NOT_RECORDER_DISK
                                                         : DR_ERR_OPEN;
            return nullptr;
        }
        struct stat st {};
        uint64_t size = 0;
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            *error = DR_ERR_OPEN;
            return nullptr;
        }
        if (S_ISREG(st.st_mode)) {
            size = uint64_t(st.st_size);
        } else if (::ioctl(fd, BLKGETSIZE64, &size) != 0) {
            size = 0;
        }
        return std::make_shared<DiskFile>(fd, st, size);
    }

    // Reads exactly `size` bytes at `offset`; false on a short read or an error.
    bool ReadAt(uint64_t offset, void* buffer, size_t size) const
    {
        if (offset > size_ || size > size_ - offset || offset > uint64_t(INT64_MAX))
            return false;
        return RTK_ReadFileAt(fd_, buffer, size, int64_t(offset)) == int64_t(size);
    }

    uint64_t size() const { return size_; }
    const struct stat& status() const { return st_; }

private:
    int fd_;
    struct stat st_;
    uint64_t size_;
};

struct OpenedDisk {
    std::shared_ptr<DiskFile> file;
    Superblock superblock;
    std::string volume;
};

// Opens the disk a recorder path names and checks its superblock. Sets the error on failure.
bool OpenDisk(const char* text, OpenedDisk* out)
{
    if (text == nullptr || *text == '\0')
        return Fail(DR_ERR_BAD_ARGUMENT), false;
    RecorderPath path;
    if (!ParseRecorderPath(text, &path))
        return Fail(DR_ERR_BAD_ARGUMENT), false;
    std::string device = path.device_path;
    if (path.drive_number >= 0) {
        device = ResolveDrive(path.drive_number);
        if (device.empty())
            return Fail(DR_ERR_OPEN), false;
    }
    int error = DR_ERR_NONE;
    std::shared_ptr<DiskFile> file = DiskFile::Open(device, &error);
    if (!file)
        return Fail(error), false;
    std::vector<uint8_t> block(kSuperblockSize);
    Superblock sb;
    if (!file->ReadAt(0, block.data(), block.size()) || !ParseSuperblock(block.data(), &sb))
        return Fail(DR_ERR_NOT_RECORDER_DISK), false;
    out->file = std::move(file);
    out->superblock = std::move(sb);
    out->volume = path.volume;
    return true;
}

// Reads up to `count` records of `record_size` bytes at `offset`, in chunks, stopping at the
// first chunk that cannot be read whole (what lies before it is kept).
std::vector<uint8_t> ReadTable(const DiskFile& file, uint64_t offset, size_t count, size_t record_size)
{
    std::vector<uint8_t> bytes;
    if (offset > file.size())
        return bytes;
    count = size_t(std::min<uint64_t>(count, (file.size() - offset) / record_size));
    bytes.resize(count * record_size);
    size_t done = 0;
    while (done < count) {
        const size_t n = std::min(kReadChunkEntries, count - done);
        if (!file.ReadAt(offset + done * record_size, bytes.data() + done * record_size, n * record_size))
            break;
        done += n;
    }
    bytes.resize(done * record_size);
    return bytes;
}

// ---- File-table cache --------------------------------------------------------------------------

struct VolumeTable {
    std::vector<FileEntry> files;
};

// A table is known by the disk's identity and the superblock's checksum, which changes with
// every rewrite of the tables (generation, counts, offsets).
using CacheKey = std::tuple<dev_t, ino_t, dev_t, int64_t, int64_t, uint32_t, std::string>;

std::mutex g_cache_mutex;
std::map<CacheKey, std::shared_ptr<const VolumeTable>> g_cache;

std::shared_ptr<const VolumeTable> LoadVolume(const OpenedDisk& disk)
{
    const Superblock& sb = disk.superblock;
    auto volume =
        std::find_if(sb.volumes.begin(), sb.volumes.end(), [&](const VolumeEntry& v) { return v.name == disk.volume; });
    if (volume == sb.volumes.end())
        return Fail(DR_ERR_NO_VOLUME), nullptr;
    const struct stat& st = disk.file->status();
    const CacheKey key{st.st_dev,
                       st.st_ino,
                       st.st_rdev,
                       int64_t(st.st_size),
                       int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                       sb.checksum,
                       disk.volume};
    std::lock_guard lock(g_cache_mutex);
    auto it = g_cache.find(key);
    if (it != g_cache.end())
        return it->second;
    const size_t count = std::min<size_t>(volume->file_count, kMaxFilesPerVolume);
    const std::vector<uint8_t> bytes = ReadTable(*disk.file, volume->table_offset, count, kFileEntrySize);
    ++g_table_reads;
    auto table = std::make_shared<VolumeTable>();
    table->files = ParseFileTable(bytes.data(), bytes.size() / kFileEntrySize, sb.image_size);
    if (g_cache.size() >= kCacheLimit)
        g_cache.clear();
    g_cache.emplace(key, table);
    return table;
}

std::vector<Keyframe> LoadKeyframes(const DiskFile& file, const FileEntry& entry)
{
    const size_t count = std::min<size_t>(entry.keyframe_count, kMaxKeyframesPerFile);
    std::vector<uint8_t> bytes(count * kKeyframeEntrySize);
    if (count == 0 || !file.ReadAt(entry.keyframe_offset, bytes.data(), bytes.size()))
        return {};
    return ParseKeyframes(bytes.data(), count, entry.data_length);
}

// Offset of the keyframe at or before second t (the data start when none is).
uint64_t KeyframeAtOrBefore(const std::vector<Keyframe>& keyframes, int64_t t)
{
    uint64_t offset = kStreamHeaderSize;
    for (const Keyframe& k : keyframes) {
        if (k.time_ms / 1000 > t)
            break;
        offset = k.offset;
    }
    return offset;
}

// Offset of the first keyframe later than second t (the data end when none is).
uint64_t KeyframeAfter(const std::vector<Keyframe>& keyframes, int64_t t, uint64_t data_length)
{
    for (const Keyframe& k : keyframes)
        if (k.time_ms / 1000 > t)
            return k.offset;
    return data_length;
}

// ---- Times -------------------------------------------------------------------------------------

bool ToTime(const DR_DateTime* dt, int64_t* out)
{
    if (dt == nullptr || dt->year < 1970 || dt->year > 9999 || dt->month < 1 || dt->month > 12 || dt->day < 1 ||
        dt->day > 31 || dt->hour < 0 || dt->hour > 23 || dt->minute < 0 || dt->minute > 59 || dt->second < 0 ||
        dt->second > 60)
        return false;
    const int64_t t = rtk::LocalToTime(FromDiskTime(*dt));
    if (t == -1)
        return false;
    *out = t;
    return true;
}

// "YYYYMMDDhhmmss", or empty for a time that has no such text (a damaged table can hold a year
// beyond 9999): never more digits, nor 16 bytes without a terminator.
void TimeText(int64_t t, char out[16])
{
    std::memset(out, 0, 16);
    const time_t tt = time_t(t);
    struct tm tm {};
    if (localtime_r(&tt, &tm) == nullptr || tm.tm_year + 1900 < 1000 || tm.tm_year + 1900 > 9999)
        return;
    std::strftime(out, 16, "%Y%m%d%H%M%S", &tm);
}

// ---- Handles -----------------------------------------------------------------------------------

// Results of a search, handed out one by one.
template <typename Record>
class ResultList {
public:
    void Add(const Record& r) { records_.push_back(r); }
    int Next(Record* out)
    {
        std::lock_guard lock(mutex_);
        if (next_ >= records_.size())
            return 0;
        *out = records_[next_++];
        return 1;
    }

private:
    std::mutex mutex_;
    std::vector<Record> records_;
    size_t next_ = 0;
};
using FindState = ResultList<DR_FindRecord>;

// A device-log search: the table is read a chunk at a time as the records are asked for, so a
// log of any length is read whole in bounded memory. A table that ends early (a read error, or
// a count beyond the disk's end) ends the search with DR_ERR_READ, never in silence.
class LogState {
public:
    LogState(std::shared_ptr<DiskFile> disk, uint64_t offset, uint64_t count, int major, int minor, std::string from,
             std::string to, bool bounded)
        : disk_(std::move(disk)),
          offset_(offset),
          count_(count),
          major_(major),
          minor_(minor),
          from_(std::move(from)),
          to_(std::move(to)),
          bounded_(bounded)
    {
    }

    // 1 with a record, 0 at the end (the error set when the table was cut short).
    int Next(DR_LogRecord* out)
    {
        std::lock_guard lock(mutex_);
        for (;;) {
            if (at_ == chunk_.size() / kLogRecordSize) {
                if (failed_)
                    return Fail(DR_ERR_READ), 0;
                if (done_ >= count_) {
                    t_last_error = DR_ERR_NONE;
                    return 0;
                }
                const size_t n = size_t(std::min<uint64_t>(kReadChunkEntries, count_ - done_));
                chunk_.resize(n * kLogRecordSize);
                const uint64_t at = offset_ + done_ * kLogRecordSize;
                if (at > disk_->size() || !disk_->ReadAt(at, chunk_.data(), chunk_.size())) {
                    // Keep the whole records that can still be read, then report the cut.
                    const uint64_t left = at > disk_->size() ? 0 : (disk_->size() - at) / kLogRecordSize;
                    size_t whole = size_t(std::min<uint64_t>(left, n));
                    while (whole > 0 && !disk_->ReadAt(at, chunk_.data(), whole * kLogRecordSize))
                        whole /= 2;
                    chunk_.resize(whole * kLogRecordSize);
                    failed_ = true;
                    count_ = done_ + whole;
                }
                done_ += chunk_.size() / kLogRecordSize;
                at_ = 0;
                if (chunk_.empty())
                    return Fail(DR_ERR_READ), 0;
            }
            DR_LogRecord record;
            std::memcpy(&record, chunk_.data() + at_ * kLogRecordSize, kLogRecordSize);
            ++at_;
            if (Matches(record)) {
                *out = record;
                return 1;
            }
        }
    }

private:
    bool Matches(const DR_LogRecord& record) const
    {
        if (major_ > 0 && record.major_type != uint32_t(major_))
            return false;
        if (minor_ > 0 && record.minor_type != uint32_t(minor_))
            return false;
        if (bounded_) {
            const std::string time(record.time, strnlen(record.time, sizeof(record.time)));
            if (time.size() != 14 || time.find_first_not_of("0123456789") != std::string::npos)
                return false;
            if ((!from_.empty() && time < from_) || (!to_.empty() && time > to_))
                return false;
        }
        return true;
    }

    std::mutex mutex_;
    const std::shared_ptr<DiskFile> disk_;
    const uint64_t offset_;
    uint64_t count_;
    const int major_, minor_;
    const std::string from_, to_;
    const bool bounded_;
    std::vector<uint8_t> chunk_;
    size_t at_ = 0;
    uint64_t done_ = 0;
    bool failed_ = false;
};

struct Piece {
    FileEntry file;
    uint64_t begin = 0;  // offsets within the file's data
    uint64_t end = 0;
    std::vector<Keyframe> keyframes;
};

class Stream {
public:
    Stream(int handle, std::shared_ptr<DiskFile> disk, std::vector<Piece> pieces, size_t block_bytes,
           DR_StreamCallback callback, void* user)
        : handle_(handle),
          disk_(std::move(disk)),
          pieces_(std::move(pieces)),
          block_bytes_(block_bytes),
          callback_(callback),
          user_(user)
    {
    }

    // The handle is already published, so the first callback may stop the stream before the
    // thread object is stored: it is stored under the lock that Stop takes and that the thread
    // takes before its first callback. False when no thread could be created.
    static bool Start(const std::shared_ptr<Stream>& self)
    {
        std::lock_guard lock(self->mutex_);
        try {
            self->thread_ = std::thread([self] { self->Run(); });
        } catch (const std::system_error&) {
            return false;
        }
        return true;
    }

    // Ends delivery and hands out the stream's thread for the caller to join (an empty thread
    // when it was handed out before). On the stream's own thread, the thread ends once the
    // callback in flight returns.
    std::thread Stop()
    {
        std::thread thread;
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
            thread = std::move(thread_);
        }
        wake_.notify_all();
        return thread;
    }

    bool SeekToTime(int64_t t)
    {
        for (size_t i = 0; i < pieces_.size(); ++i) {
            const Piece& p = pieces_[i];
            if (t < p.file.start || t > p.file.end)
                continue;
            {
                std::lock_guard lock(mutex_);
                seek_pending_ = true;
                seek_piece_ = i;
                seek_offset_ = KeyframeAtOrBefore(p.keyframes, t);
            }
            wake_.notify_all();
            return true;
        }
        return false;
    }

    int Position() const { return position_.load(); }

private:
    int Progress(size_t piece, uint64_t offset) const
    {
        uint64_t total = 0, done = 0;
        for (size_t i = 0; i < pieces_.size(); ++i) {
            const uint64_t span = pieces_[i].end > pieces_[i].begin ? pieces_[i].end - pieces_[i].begin : 0;
            total += span;
            if (i < piece)
                done += span;
            if (i == piece && offset > pieces_[i].begin)
                done += std::min(span, offset - pieces_[i].begin);
        }
        if (total == 0)
            return 99;
        return int(std::min<uint64_t>(99, done * 100 / total));
    }

    void Run()
    {
        enum class State { Delivering, Done, Failed } state = State::Delivering;
        uint8_t header[kStreamHeaderSize];
        if (!disk_->ReadAt(pieces_[0].file.data_offset, header, sizeof(header))) {
            state = State::Failed;
        } else {
            {
                std::lock_guard lock(mutex_);
                if (stop_)
                    return;
            }
            callback_(handle_, DR_BLOCK_HEADER, header, sizeof(header), user_);
        }
        // Reads run ahead of the blocks handed out, so a small block size costs no extra reads.
        std::vector<uint8_t> cache(std::max(block_bytes_, kReadAheadBytes));
        size_t cache_piece = pieces_.size();
        uint64_t cache_begin = 0, cache_length = 0;
        size_t piece = 0;
        uint64_t offset = pieces_[0].begin;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                if (stop_)
                    return;
                if (seek_pending_) {
                    seek_pending_ = false;
                    piece = seek_piece_;
                    offset = seek_offset_;
                    state = State::Delivering;
                    position_ = Progress(piece, offset);
                }
                if (state != State::Delivering) {
                    position_ = state == State::Done ? DR_POS_DONE : DR_POS_FAILED;
                    wake_.wait(lock, [this] { return stop_ || seek_pending_; });
                    continue;
                }
            }
            const Piece& p = pieces_[piece];
            if (offset >= p.end) {
                if (++piece < pieces_.size())
                    offset = pieces_[piece].begin;
                else
                    state = State::Done;
                continue;
            }
            const size_t n = size_t(std::min<uint64_t>(block_bytes_, p.end - offset));
            if (piece != cache_piece || offset < cache_begin || offset + n > cache_begin + cache_length) {
                cache_piece = piece;
                cache_begin = offset;
                cache_length = std::min<uint64_t>(cache.size(), p.end - offset);
                // Near a cut the whole read-ahead may fail where the block itself is still sound.
                if (!disk_->ReadAt(p.file.data_offset + offset, cache.data(), size_t(cache_length))) {
                    cache_length = n;
                    if (!disk_->ReadAt(p.file.data_offset + offset, cache.data(), n)) {
                        cache_piece = pieces_.size();
                        state = State::Failed;
                        continue;
                    }
                }
            }
            callback_(handle_, DR_BLOCK_DATA, cache.data() + (offset - cache_begin), unsigned(n), user_);
            offset += n;
            position_ = Progress(piece, offset);
        }
    }

    const int handle_;
    const std::shared_ptr<DiskFile> disk_;
    const std::vector<Piece> pieces_;
    const size_t block_bytes_;
    const DR_StreamCallback callback_;
    void* const user_;
    std::thread thread_;  // under mutex_
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    bool seek_pending_ = false;
    size_t seek_piece_ = 0;
    uint64_t seek_offset_ = 0;
    std::atomic<int> position_{0};
};

// All handles share one number space, so a handle of one kind is never taken for another.
class Handles {
public:
    ~Handles()
    {
        // Streams still open at exit are stopped, so no thread outlives the process's statics.
        std::map<int, std::shared_ptr<Stream>> streams;
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(mutex_);
            streams.swap(streams_);
            threads.swap(stopped_);
        }
        for (auto& [handle, stream] : streams)
            threads.push_back(stream->Stop());
        for (std::thread& t : threads)
            Join(t);
    }

    // Joins the thread of a stream just stopped. On that stream's own thread (a stop from its
    // callback) the thread is kept, to be joined by a later stop from another thread, or at exit;
    // such a stop also joins every thread kept so, but the calling one.
    void JoinStopped(std::thread thread)
    {
        std::vector<std::thread> threads;
        {
            std::lock_guard lock(mutex_);
            if (thread.get_id() == std::this_thread::get_id()) {
                stopped_.push_back(std::move(thread));
                return;
            }
            for (auto it = stopped_.begin(); it != stopped_.end();) {
                if (it->get_id() == std::this_thread::get_id()) {
                    ++it;
                } else {
                    threads.push_back(std::move(*it));
                    it = stopped_.erase(it);
                }
            }
        }
        threads.push_back(std::move(thread));
        for (std::thread& t : threads)
            Join(t);
    }

    template <typename T>
    int Add(std::map<int, std::shared_ptr<T>>& (Handles::*map)(), std::shared_ptr<T> value)
    {
        std::lock_guard lock(mutex_);
        auto& m = (this->*map)();
        if (m.size() >= kMaxOpenPerKind)
            return Fail(DR_ERR_TOO_MANY_HANDLES);
        const int handle = NextFree();
        m.emplace(handle, std::move(value));
        return handle;
    }

    // Reserves a handle for a stream that is built afterwards.
    int ReserveStream() { return Add(&Handles::streams, std::shared_ptr<Stream>()); }
    void SetStream(int handle, std::shared_ptr<Stream> stream)
    {
        std::lock_guard lock(mutex_);
        streams_[handle] = std::move(stream);
    }

    template <typename T>
    std::shared_ptr<T> Get(std::map<int, std::shared_ptr<T>>& (Handles::*map)(), int handle)
    {
        std::lock_guard lock(mutex_);
        auto& m = (this->*map)();
        auto it = m.find(handle);
        return it == m.end() ? nullptr : it->second;
    }

    template <typename T>
    bool Take(std::map<int, std::shared_ptr<T>>& (Handles::*map)(), int handle, std::shared_ptr<T>* out)
    {
        std::lock_guard lock(mutex_);
        auto& m = (this->*map)();
        auto it = m.find(handle);
        if (it == m.end())
            return false;
        *out = std::move(it->second);
        m.erase(it);
        return true;
    }

    std::map<int, std::shared_ptr<FindState>>& finds() { return finds_; }
    std::map<int, std::shared_ptr<LogState>>& logs() { return logs_; }
    std::map<int, std::shared_ptr<Stream>>& streams() { return streams_; }

private:
    int NextFree()
    {
        for (;;) {
            const int h = next_;
            next_ = next_ >= (1 << 30) ? 0 : next_ + 1;
            if (!finds_.count(h) && !logs_.count(h) && !streams_.count(h))
                return h;
        }
    }

    static void Join(std::thread& t)
    {
        if (!t.joinable())
            return;
        if (t.get_id() == std::this_thread::get_id())
            t.detach();  // only when the process ends inside a callback
        else
            t.join();
    }

    std::mutex mutex_;
    int next_ = 0;
    std::vector<std::thread> stopped_;  // threads of streams stopped from their own callback
    std::map<int, std::shared_ptr<FindState>> finds_;
    std::map<int, std::shared_ptr<LogState>> logs_;
    std::map<int, std::shared_ptr<Stream>> streams_;
};

Handles& handles()
{
    static Handles instance;
    return instance;
}

// ---- Recording names ---------------------------------------------------------------------------
// A found file is named "<disk path>#<index>", or "@<alias>#<index>" when the disk path is too long
// for the 100-byte name field; the alias table keeps such paths for the life of the process.

std::mutex g_alias_mutex;
std::vector<std::string> g_aliases;

std::string MakeName(const std::string& disk_path, size_t index)
{
    std::string name = disk_path + "#" + std::to_string(index);
    if (name.size() < sizeof(DR_FindRecord::name))
        return name;
    std::lock_guard lock(g_alias_mutex);
    auto it = std::find(g_aliases.begin(), g_aliases.end(), disk_path);
    const size_t alias = size_t(it - g_aliases.begin());
    if (it == g_aliases.end())
        g_aliases.push_back(disk_path);
    return "@" + std::to_string(alias) + "#" + std::to_string(index);
}

bool ParseName(const std::string& name, std::string* disk_path, size_t* index)
{
    const size_t hash = name.rfind('#');
    if (hash == std::string::npos || hash == 0 || hash + 1 >= name.size() || name.size() - hash > 10)
        return false;
    size_t n = 0;
    for (size_t i = hash + 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9')
            return false;
        n = n * 10 + size_t(name[i] - '0');
    }
    *index = n;
    *disk_path = name.substr(0, hash);
    if ((*disk_path)[0] != '@')
        return true;
    const std::string alias_text = disk_path->substr(1);
    if (alias_text.empty() || alias_text.size() > 9 || alias_text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    const size_t alias = std::stoul(alias_text);
    std::lock_guard lock(g_alias_mutex);
    if (alias >= g_aliases.size())
        return false;
    *disk_path = g_aliases[alias];
    return true;
}

size_t BlockBytes(unsigned block_kib)
{
    return size_t(std::clamp(block_kib, 1u, kMaxBlockKiB)) * 1024;
}

int StartStream(std::shared_ptr<DiskFile> disk, std::vector<Piece> pieces, unsigned block_kib,
                DR_StreamCallback callback, void* user)
{
    const int handle = handles().ReserveStream();
    if (handle < 0)
        return -1;
    auto stream =
        std::make_shared<Stream>(handle, std::move(disk), std::move(pieces), BlockBytes(block_kib), callback, user);
    handles().SetStream(handle, stream);
    if (!Stream::Start(stream)) {
        handles().Take(&Handles::streams, handle, &stream);
        return Fail(DR_ERR_TOO_MANY_HANDLES);
    }
    return handle;
}

}  // namespace

void SetDriveResolver(DriveResolverFn fn)
{
    g_resolver.store(fn);
}

std::string ResolveDrive(int drive_number)
{
    const DriveResolverFn fn = g_resolver.load();
    return fn ? fn(drive_number) : std::string();
}

}  // namespace diskrec

using namespace diskrec;

int DR_FILE_FindFile(const char* diskPath, int channel, int recordType, const DR_DateTime* begin,
                     const DR_DateTime* end)
{
    int64_t from = 0, to = 0;
    if (channel < 1 || channel > 0xFFFF || !ToTime(begin, &from) || !ToTime(end, &to))
        return Fail(DR_ERR_BAD_ARGUMENT);
    OpenedDisk disk;
    if (!OpenDisk(diskPath, &disk))
        return -1;
    std::shared_ptr<const VolumeTable> table = LoadVolume(disk);
    if (!table)
        return -1;
    auto state = std::make_shared<FindState>();
    const auto& files = table->files;
    auto first = std::lower_bound(files.begin(), files.end(), channel,
                                  [](const FileEntry& e, int ch) { return e.channel < ch; });
    for (auto it = first; it != files.end() && it->channel == channel; ++it) {
        if (it->start > to)
            break;  // sorted by start within the channel
        if (it->end < from || (recordType != 0 && it->record_type != recordType))
            continue;
        DR_FindRecord record{};
        const std::string name = MakeName(diskPath, size_t(it - files.begin()));
        std::memcpy(record.name, name.data(), std::min(name.size(), sizeof(record.name) - 1));
        TimeText(it->start, record.start_time);
        TimeText(it->end, record.end_time);
        record.size_bytes = uint32_t(std::min<uint64_t>(it->data_length, 0xFFFFFFFFu));
        record.record_type = it->record_type;
        state->Add(record);
    }
    return handles().Add(&Handles::finds, std::move(state));
}

int DR_FILE_FindNextFile(int handle, DR_FindRecord* out)
{
    std::shared_ptr<FindState> state = handles().Get(&Handles::finds, handle);
    if (!state)
        return Fail(DR_ERR_BAD_HANDLE), 0;
    if (out == nullptr)
        return Fail(DR_ERR_BAD_ARGUMENT), 0;
    return state->Next(out);
}

int DR_FILE_FindClose(int handle)
{
    std::shared_ptr<FindState> state;
    if (!handles().Take(&Handles::finds, handle, &state))
        return Fail(DR_ERR_BAD_HANDLE), 0;
    return 1;
}

int DR_FILE_GetStreamByFile(const char* fileName, unsigned int blockKiB, unsigned int startOffset,
                            DR_StreamCallback callback, void* user)
{
    std::string disk_path;
    size_t index = 0;
    if (fileName == nullptr || callback == nullptr)
        return Fail(DR_ERR_BAD_ARGUMENT);
    if (!ParseName(fileName, &disk_path, &index))
        return Fail(DR_ERR_NO_FILE);
    OpenedDisk disk;
    if (!OpenDisk(disk_path.c_str(), &disk))
        return -1;
    std::shared_ptr<const VolumeTable> table = LoadVolume(disk);
    if (!table)
        return -1;
    if (index >= table->files.size())
        return Fail(DR_ERR_NO_FILE);
    Piece piece;
    piece.file = table->files[index];
    piece.begin = std::clamp<uint64_t>(startOffset, kStreamHeaderSize, piece.file.data_length);
    piece.end = piece.file.data_length;
    piece.keyframes = LoadKeyframes(*disk.file, piece.file);
    std::vector<Piece> pieces;
    pieces.push_back(std::move(piece));
    return StartStream(disk.file, std::move(pieces), blockKiB, callback, user);
}

int DR_FILE_GetStreamByTime(const DR_DiskPath* diskPath, const DR_DateTime* begin, const DR_DateTime* end, int channel,
                            unsigned int blockKiB, DR_StreamCallback callback, void* user)
{
    int64_t from = 0, to = 0;
    if (diskPath == nullptr || callback == nullptr || channel < 1 || channel > 0xFFFF || !ToTime(begin, &from) ||
        !ToTime(end, &to) || to < from)
        return Fail(DR_ERR_BAD_ARGUMENT);
    OpenedDisk disk;
    if (!OpenDisk(diskPath->path, &disk))
        return -1;
    std::shared_ptr<const VolumeTable> table = LoadVolume(disk);
    if (!table)
        return -1;
    std::vector<Piece> pieces;
    for (const FileEntry& e : table->files) {
        if (e.channel != channel || e.end < from || e.start > to)
            continue;
        // A file that lies wholly inside one already taken adds nothing.
        if (!pieces.empty() && e.end <= pieces.back().file.end)
            continue;
        Piece piece;
        piece.file = e;
        piece.keyframes = LoadKeyframes(*disk.file, e);
        piece.begin = pieces.empty() ? KeyframeAtOrBefore(piece.keyframes, from) : kStreamHeaderSize;
        piece.end = e.data_length;
        pieces.push_back(std::move(piece));
    }
    if (pieces.empty())
        return Fail(DR_ERR_NO_FILE);
    Piece& last = pieces.back();
    last.end = std::max(last.begin, KeyframeAfter(last.keyframes, to, last.file.data_length));
    return StartStream(disk.file, std::move(pieces), blockKiB, callback, user);
}

int DR_FILE_SetPosByTime(int handle, const DR_DateTime* time)
{
    std::shared_ptr<Stream> stream = handles().Get(&Handles::streams, handle);
    if (!stream)
        return Fail(DR_ERR_BAD_HANDLE), 0;
    int64_t t = 0;
    if (!ToTime(time, &t))
        return Fail(DR_ERR_BAD_ARGUMENT), 0;
    if (!stream->SeekToTime(t))
        return Fail(DR_ERR_TIME_NOT_IN_FILE), 0;
    return 1;
}

int DR_FILE_GetPos(int handle)
{
    std::shared_ptr<Stream> stream = handles().Get(&Handles::streams, handle);
    if (!stream)
        return Fail(DR_ERR_BAD_HANDLE), DR_POS_FAILED;
    return stream->Position();
}

int DR_FILE_Stop(int handle)
{
    std::shared_ptr<Stream> stream;
    if (!handles().Take(&Handles::streams, handle, &stream) || !stream)
        return Fail(DR_ERR_BAD_HANDLE), 0;
    handles().JoinStopped(stream->Stop());
    return 1;
}

int DR_FILE_GetLastError()
{
    return t_last_error;
}

int DR_FILE_FindLog(const char* diskPath, int mode, int major, int minor, const DR_DateTime* start,
                    const DR_DateTime* end)
{
    auto key = [](const DR_DateTime* t) {
        char text[64];
        std::snprintf(text, sizeof(text), "%04d%02d%02d%02d%02d%02d", t->year, t->month, t->day, t->hour, t->minute,
                      t->second);
        return std::string(text);
    };
    const std::string from = start ? key(start) : std::string();
    const std::string to = end ? key(end) : std::string();
    OpenedDisk disk;
    if (!OpenDisk(diskPath, &disk))
        return -1;
    const Superblock& sb = disk.superblock;
    auto state = std::make_shared<LogState>(disk.file, sb.log_offset, sb.log_count, major, minor, from, to,
                                            start != nullptr || end != nullptr);
    return handles().Add(&Handles::logs, std::move(state));
}

int DR_FILE_FindNextLog(int handle, DR_LogRecord* out)
{
    std::shared_ptr<LogState> state = handles().Get(&Handles::logs, handle);
    if (!state)
        return Fail(DR_ERR_BAD_HANDLE), 0;
    if (out == nullptr)
        return Fail(DR_ERR_BAD_ARGUMENT), 0;
    return state->Next(out);
}

int DR_FILE_FindLogClose(int handle)
{
    std::shared_ptr<LogState> state;
    if (!handles().Take(&Handles::logs, handle, &state))
        return Fail(DR_ERR_BAD_HANDLE), 0;
    return 1;
}

int64_t DR_FILE_DiagTableReads()
{
    return g_table_reads.load();
}
