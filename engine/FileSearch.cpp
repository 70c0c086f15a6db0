#include "engine/FileSearch.h"

#include "engine/Logging.h"
#include "engine/RecordIndex.h"
#include "platform/diskrec/DiskTime.h"
#include "platform/diskrec/RecordType.h"
#include "platform/diskrec/diskrec.h"

#include <QDateTime>
#include <QDebug>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace Varpen {

const char* const kNvrFolder = "_NVR_DIR_\\Package000\\";
const char* const kDvrFolder = "_DVR_DIR_\\Package000\\";

namespace {

bool EarlierFile(const SingleFilePtr& a, const SingleFilePtr& b)
{
    if (a->GetStartTime() != b->GetStartTime())
        return a->GetStartTime() < b->GetStartTime();
    if (a->GetEndTime() != b->GetEndTime())
        return a->GetEndTime() < b->GetEndTime();
    if (a->GetPath() != b->GetPath())
        return a->GetPath() < b->GetPath();
    return a->GetName() < b->GetName();
}

bool SameFile(const SingleFilePtr& a, const SingleFilePtr& b)
{
    return a->GetName() == b->GetName() && a->GetPath() == b->GetPath() && a->GetStartTime() == b->GetStartTime() &&
           a->GetEndTime() == b->GetEndTime();
}

std::uint64_t SegmentSize(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return 0;
    }
    return static_cast<std::uint64_t>(st.st_size);
}

}  // namespace

int FindFileOnDisk(const std::string& path, int channel, int type, const RecordTime& begin, const RecordTime& end,
                   std::string& answered, int* error)
{
    const DR_DateTime b = ToDiskTime(begin);
    const DR_DateTime e = ToDiskTime(end);
    int first_error = 0;
    for (const std::string& candidate : {path, path + kNvrFolder, path + kDvrFolder}) {
        const int handle = DR_FILE_FindFile(candidate.c_str(), channel + 1, type, &b, &e);
        if (handle != -1) {
            answered = candidate;
            return handle;
        }
        if (candidate == path) {
            first_error = DR_FILE_GetLastError();
        }
    }
    if (error) {
        *error = first_error;
    }
    return -1;
}

std::vector<int> LibraryTypesFor(int type)
{
    // A search for motion or alarm also finds the recordings of the two combined types.
    constexpr int kOr = int(RecordType::AlarmOrMotion);
    constexpr int kAnd = int(RecordType::AlarmAndMotion);
    switch (RecordType(type)) {
    case RecordType::Motion:
        return {int(RecordType::Motion), kOr, kAnd};
    case RecordType::Alarm:
        return {int(RecordType::Alarm), kOr, kAnd};
    default:
        return {type};
    }
}

int IndexTypeFor(int libraryType)
{
    static const int map[] = {0, 2, 3, 8, 1, 3, 3, 6, 3, 3, 4, 5, 7, 3, 3};
    if (libraryType < 0 || libraryType >= static_cast<int>(std::size(map))) {
        return -1;
    }
    return map[libraryType];
}

int LibraryTypeOfIndex(unsigned indexNumber)
{
    static const int map[] = {0, 4, 1, 2, 10, 11, 7, 12, 3};
    return indexNumber < std::size(map) ? map[indexNumber] : 0;
}

bool CFileSearch::SearchChannelFiles(SingleFileList& out, std::string diskPath, int channel, std::string channelName,
                                     time_t begin, time_t end, int type, bool useIndex)
{
    out.clear();
    m_files.clear();
    if (begin == -1 || begin >= end) {
        return false;
    }
    // All or nothing: one library search that fails fails the whole search.
    for (int libraryType : LibraryTypesFor(type)) {
        SingleFileList found;
        if (!SearchDiskFiles(found, diskPath, channelName, channel, libraryType, begin, end, useIndex)) {
            m_files.clear();
            return false;
        }
        m_files.insert(m_files.end(), found.begin(), found.end());
    }
    // The player and the downloader walk the list in time order; files of several types merge.
    std::sort(m_files.begin(), m_files.end(), EarlierFile);
    m_files.erase(std::unique(m_files.begin(), m_files.end(), SameFile), m_files.end());
    out = m_files;
    return true;
}

bool CFileSearch::SearchDiskFiles(SingleFileList& out, const std::string& diskPath, const std::string& channelName,
                                  int channel, int libraryType, time_t begin, time_t end, bool useIndex)
{
    const RecordTime b = BreakTime(begin);
    const RecordTime e = BreakTime(end);
    if (!useIndex) {
        qCDebug(lcEngine, "--qarn-- DR_FILE_FindFile Start");
        std::string folder;
        const int handle = FindFileOnDisk(diskPath, channel, libraryType, b, e, folder);
        qCDebug(lcEngine, "--qarn-- DR_FILE_FindFile Stop");
        if (handle == -1) {
            qCWarning(lcEngine,
                      "--qarn-- SearchDiskThread FindFileFailed disk = %s channel = %d starttime = %d %d %d, endtime = "
                      "%d %d %d",
                      diskPath.c_str(), channel, b.year, b.month, b.day, e.year, e.month, e.day);
            return false;
        }
        DR_FindRecord record{};
        while (DR_FILE_FindNextFile(handle, &record) != 0) {
            const std::string name(record.name, strnlen(record.name, sizeof(record.name)));
            const time_t start = StampToTime(record.start_time, strnlen(record.start_time, sizeof(record.start_time)));
            const time_t stop = StampToTime(record.end_time, strnlen(record.end_time, sizeof(record.end_time)), start);
            // Each file keeps its own type, so that a search for every type can still colour it.
            const unsigned ownType = record.record_type != 0 ? record.record_type : static_cast<unsigned>(libraryType);
            out.push_back(std::make_shared<CSingleFile>(name, folder, record.size_bytes, start, stop, ownType,
                                                        std::string(), channel));
            record = DR_FindRecord{};
        }
        DR_FILE_FindClose(handle);
        return true;
    }

    const int indexType = IndexTypeFor(libraryType);
    if (indexType < 0) {
        return true;  // no such type in a local folder
    }
    const std::string label = FormatGroupKey(channelName, channel);
    FileInfo search;
    search.diskPath = diskPath;
    search.begin = DayBegin(b);
    search.end = DayEnd(e);
    search.indexType = indexType;
    RecordIndex index;
    std::vector<LocalSegmentFile> segments;
    index.FindSegments(segments, label.c_str(), &search);
    // A date index that may not be read (denied, not a file) is a failed search, not an empty one.
    if (index.LastError() != IndexFileError::None) {
        qCWarning(lcEngine, "--qarn-- RecordIndex cannot read the index of %s", diskPath.c_str());
        return false;
    }
    for (const LocalSegmentFile& segment : segments) {
        const unsigned ownType = libraryType != 0 ? static_cast<unsigned>(libraryType)
                                                  : static_cast<unsigned>(LibraryTypeOfIndex(segment.number));
        out.push_back(std::make_shared<CSingleFile>(segment.path, std::string(), SegmentSize(segment.path),
                                                    segment.start, segment.end, ownType, label, channel));
    }
    return true;
}

void CFileSearch::SearchDiskFilesByDay(std::set<time_t>& out, const std::string& channelName, int channel, time_t begin,
                                       time_t end, const std::string& diskPath, bool useIndex,
                                       const std::function<bool()>& stopped)
{
    out.clear();
    if (channel == -1 || begin < 0 || end < begin || diskPath.empty()) {
        return;
    }
    const QDateTime first = QDateTime::fromSecsSinceEpoch(begin);
    const QDate lastDate = QDateTime::fromSecsSinceEpoch(end).date();
    const std::string key = FormatGroupKey(channelName, channel);
    std::string folder = diskPath;  // the recorder folder that answered is kept for later days
    RecordIndex index;
    // Every date from begin's to end's, the last one included.
    for (QDateTime day = first; day.date() <= lastDate; day = day.addDays(1)) {
        if (stopped && stopped()) {
            break;
        }
        const RecordTime fields = DayBegin(DateTimeToFields(day));
        if (useIndex) {
            if (index.HasChannelOnDay(diskPath.c_str(), key, fields.year, fields.month, fields.day)) {
                out.insert(day.toSecsSinceEpoch());
            }
            continue;
        }
        std::string answered;
        int handle = FindFileOnDisk(folder, channel, 0, DayBegin(fields), DayEnd(fields), answered);
        if (handle == -1 && folder != diskPath) {
            handle = FindFileOnDisk(diskPath, channel, 0, DayBegin(fields), DayEnd(fields), answered);
        }
        if (handle == -1) {
            break;  // the disk cannot be searched: the days found so far stay
        }
        folder = answered;
        DR_FindRecord record{};
        if (DR_FILE_FindNextFile(handle, &record) == 1) {
            out.insert(day.toSecsSinceEpoch());
        }
        DR_FILE_FindClose(handle);
    }
}

}  // namespace Varpen
