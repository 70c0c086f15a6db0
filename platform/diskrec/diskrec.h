// Recorder-disk library: finds recordings and device-log records on a recorder disk
// (a block device or an image file holding the recorder's whole-disk layout) and
// delivers recording files as streams on a thread of its own.
//
// All calls are thread-safe. Handles are non-negative ints; -1 is failure.
// DR_FILE_GetLastError() gives the error of the last failing call on the calling thread.
#pragma once

#include <cstddef>
#include <cstdint>

// Local date and time: year (four digits), month 1-12, day, hour, minute, second.
struct DR_DateTime {
    int32_t year;
    int32_t month;
    int32_t day;
    int32_t hour;
    int32_t minute;
    int32_t second;
};
static_assert(sizeof(DR_DateTime) == 24);

// Disk named for a search by time: the disk path (with its volume suffix, if any).
struct DR_DiskPath {
    const char* path;
    int32_t reserved[3];
};

// One found recording file (140 bytes).
struct DR_FindRecord {
    char name[100];        // NUL-terminated; the name to open with DR_FILE_GetStreamByFile
    char start_time[16];   // "YYYYMMDDhhmmss", local time, NUL-terminated
    char end_time[16];     // same form
    uint32_t size_bytes;   // size of the file's data, capped at 0xFFFFFFFF
    uint32_t record_type;  // the file's record type
};
static_assert(sizeof(DR_FindRecord) == 140);
static_assert(offsetof(DR_FindRecord, start_time) == 100);
static_assert(offsetof(DR_FindRecord, end_time) == 116);
static_assert(offsetof(DR_FindRecord, size_bytes) == 132);

// One device-log record (68 bytes, little-endian on disk and in memory on our hosts).
struct DR_LogRecord {
    char time[16];  // "YYYYMMDDhhmmss" + NUL
    uint32_t major_type;
    uint32_t minor_type;
    char local_operator[16];  // NUL-terminated when shorter than 16 bytes
    char remote_operator[16];
    uint32_t remote_host;  // IPv4, first octet in bits 31-24
    uint32_t parameter_type;
    uint8_t channel;
    uint8_t disk;
    uint8_t alarm_input;
    uint8_t alarm_output;
};
static_assert(sizeof(DR_LogRecord) == 68);
static_assert(offsetof(DR_LogRecord, remote_host) == 56);
static_assert(offsetof(DR_LogRecord, channel) == 64);

// Stream callback, called on the library's thread: first once with DR_BLOCK_HEADER and the
// file's 40-byte stream header, then with DR_BLOCK_DATA blocks. It may block; the stream waits.
using DR_StreamCallback = void (*)(int handle, int type, unsigned char* data, unsigned int size, void* user);

enum : int {
    DR_BLOCK_HEADER = 1,
    DR_BLOCK_DATA = 2,
};

// DR_FILE_GetPos values besides progress 0-99.
enum : int {
    DR_POS_DONE = 100,    // the whole stream has been delivered
    DR_POS_FAILED = 200,  // the stream failed (read error, data cut short, unknown handle)
};

// Error numbers of DR_FILE_GetLastError().
enum : int {
    DR_ERR_NONE = 0,
    DR_ERR_BAD_ARGUMENT = 1,
    DR_ERR_OPEN = 2,               // the disk cannot be opened (no such device or file)
    DR_ERR_NOT_RECORDER_DISK = 3,  // no recorder layout there (system disk, other file system)
    DR_ERR_NO_VOLUME = 4,          // the disk has no such volume
    DR_ERR_BAD_HANDLE = 5,
    DR_ERR_READ = 6,  // read error or data cut short
    DR_ERR_TOO_MANY_HANDLES = 7,
    DR_ERR_TIME_NOT_IN_FILE = 8,
    DR_ERR_NO_FILE = 9,         // no such recording file
    DR_ERR_ACCESS_DENIED = 10,  // no right to read the device (EACCES/EPERM)
};

// Record-search: channel is 1-based; recordType 0 = every type. begin/end are inclusive.
// A recorder disk gives a valid handle also when no file matches.
int DR_FILE_FindFile(const char* diskPath, int channel, int recordType, const DR_DateTime* begin,
                     const DR_DateTime* end);
// 1 when a record was written into *out, 0 at the end (or for an unknown handle).
int DR_FILE_FindNextFile(int handle, DR_FindRecord* out);
// 1 when the handle was open, 0 otherwise.
int DR_FILE_FindClose(int handle);

// Streams. blockKiB is the size of a data block in KiB (0 = 1); startOffset is a byte offset
// into the file's data (0 = right after the stream header).
int DR_FILE_GetStreamByFile(const char* fileName, unsigned int blockKiB, unsigned int startOffset,
                            DR_StreamCallback callback, void* user);
// From the keyframe at or before begin to the first keyframe after end, across the channel's
// files of that volume.
int DR_FILE_GetStreamByTime(const DR_DiskPath* disk, const DR_DateTime* begin, const DR_DateTime* end, int channel,
                            unsigned int blockKiB, DR_StreamCallback callback, void* user);
// Non-zero when the next data block comes from the keyframe at or before that time.
int DR_FILE_SetPosByTime(int handle, const DR_DateTime* time);
// 0-99 progress, DR_POS_DONE, or DR_POS_FAILED.
int DR_FILE_GetPos(int handle);
// Ends delivery and frees the handle; no callback follows once it returns. Safe to call from
// the stream's own callback. 1 when the handle was open, 0 otherwise.
int DR_FILE_Stop(int handle);

int DR_FILE_GetLastError();

// Device log. mode is accepted as given; major/minor 0 (or negative) = every type; start/end
// inclusive (null = unbounded). A negative result is failure.
int DR_FILE_FindLog(const char* diskPath, int mode, int major, int minor, const DR_DateTime* start,
                    const DR_DateTime* end);
// 1 when a record was written into *out, 0 at the end (or for an unknown handle). Every record
// of the log is read, however long it is, a chunk at a time. When the log table ends before its
// count (a read error, or a count beyond the disk's end) the last 0 sets DR_ERR_READ, which
// DR_FILE_GetLastError then gives; the end of a whole log sets DR_ERR_NONE.
int DR_FILE_FindNextLog(int handle, DR_LogRecord* out);
// 1 when the handle was open, 0 otherwise.
int DR_FILE_FindLogClose(int handle);

// Diagnostics for tests and benchmarks: how many times a volume's file table was read from a
// disk since the process started.
int64_t DR_FILE_DiagTableReads();
