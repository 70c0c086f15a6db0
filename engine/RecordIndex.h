// Reader of local recording folders: channel, day and segment queries over the index files, and
// streaming of a segment file to a callback on a thread of its own, with the same open,
// position, seek and stop calls as the recorder-disk library (the RBS_ calls below).
#pragma once

#include "engine/LocalIndex.h"
#include "engine/Records.h"

#include <functional>
#include <list>
#include <map>
#include <string>
#include <vector>

// Stream-data callback: type 1 = the 40-byte stream header, type 2 = a data block. Called on the
// reader's own thread.
using RBS_StreamCallback = void (*)(int handle, int type, unsigned char* data, unsigned int size, void* user);

constexpr int RBS_MAX_STREAMS = 100;  // handles 0..99

// RBS_GetPos values besides progress 0-99, the same as the recorder-disk library's.
constexpr int RBS_POS_DONE = 100;    // every byte of the span was handed over
constexpr int RBS_POS_FAILED = 200;  // the file cannot be opened or read, or was cut short

// Streams the whole segment file from `startOffset` (0 = right after the header) in blocks of
// `blockKiB` KiB. Returns a handle, or -1 for a null file, no free handle or no thread.
int RBS_GetStreamByFile(const char* file, unsigned blockKiB, unsigned startOffset, RBS_StreamCallback callback,
                        void* user);
// Streams the part of a segment file between two local times (six ints each: year, month, day,
// hour, minute, second): from the keyframe at or before `begin` to the first keyframe after
// `end`. A bound equal to the file name's own time needs no search.
int RBS_GetStreamByTime(const char* file, const int* begin, const int* end, unsigned blockKiB,
                        RBS_StreamCallback callback, void* user);
// Ends delivery and frees the handle; no callback follows once it returns (from another
// thread). Called from the stream's own callback it only asks the stream to end. False for an
// unknown handle.
bool RBS_Stop(int handle);
// Moves delivery to the keyframe at or before `time` (six ints); the next data block comes from
// there. False for an unknown handle or a time the file does not hold.
bool RBS_SetPosByTime(int handle, const int* time);
// 0..99 while delivering, 100 once every byte was handed over (or for an unknown handle), 200
// when the file cannot be opened (missing, unreadable, not a regular file) or a read fails.
int RBS_GetPos(int handle);

namespace Varpen {

// The search record of local folders and of the disk channel scan.
struct FileInfo {
    std::string diskPath;  // the recording folder
    RecordTime begin;
    RecordTime end;
    int indexType = 0;  // segment number filter; 0 = any
};

// One segment file of a local folder, with its times as the index gives them.
struct LocalSegmentFile {
    std::string path;
    time_t start = -1;
    time_t end = -1;  // never before start: entries that end before they start are dropped
    unsigned number = 0;
};

class RecordIndex {
public:
    // The segment files of FindFilesByIndex, in the same order, with their times. Entries whose
    // times are not times, or whose end lies before their start (a recorder disk's table drops the
    // same), are left out; a span across the hour the clock is set back keeps its real length.
    void FindSegments(std::vector<LocalSegmentFile>& out, const char* channelKey, const FileInfo* search);
    // The first reason an index file that the folder lists could not be read by the last query
    // (a missing date or channel folder is not one: copies often lack some). None after a query
    // that read everything it was asked for.
    IndexFileError LastError() const { return m_error; }

    // Every channel group ("<source>_<number>") of the folder across all its dates, each with its
    // channel numbers ascending and without repeats. Returns the number of groups new to `groups`.
    // `stopped`, when given, is asked before each date's channel index is read: once it answers
    // true the walk ends with the groups found so far.
    int LoadChannelFiles(std::map<std::string, std::vector<int>>& groups, const FileInfo& search,
                         const std::function<bool()>& stopped = {});
    // Whether `channelKey` ("<source>_<number>_<channel>") has recordings on that day.
    bool HasChannelOnDay(const char* folder, const std::string& channelKey, int year, int month, int day);
    // Appends the full paths of the channel's segment files that overlap the record's window, in
    // ascending path order (date folder, then start time). Reads only the dates of the window.
    void FindFilesByIndex(std::list<std::string>& files, const char* channelKey, const FileInfo* search);

    // Channel-index paths of every date of a date index, latest date first; returns dates read.
    int ReadIndex01(const char* dateIndexPath, std::list<std::string>& channelIndexPaths);
    // Segment-index paths of every channel of a channel index; returns records read.
    int ReadIndex02(const char* channelIndexPath, std::list<std::string>& segmentIndexPaths);
    // All segment-index paths of a folder; returns paths collected.
    int ReadIndex01Paths(const char* folder, std::list<std::string>& segmentIndexPaths);
    // Segment files of one segment index overlapping [beginKey, endKey] (14-digit texts) whose
    // number equals `numberFilter` unless it is 0; kept in ascending order. Returns files added.
    int ReadIndex03(const char* segmentIndexPath, const std::string& beginKey, const std::string& endKey,
                    unsigned numberFilter, std::list<std::string>& files);
    bool HasChannelKey(const char* channelIndexPath, const std::string& channelKey);

private:
    void Note(IndexFileError error, bool missingCounts);
    int ReadIndex03Into(const char* segmentIndexPath, const std::string& beginKey, const std::string& endKey,
                        unsigned numberFilter, std::vector<LocalSegmentFile>& out);
    IndexFileError m_error = IndexFileError::None;
};

}  // namespace Varpen
