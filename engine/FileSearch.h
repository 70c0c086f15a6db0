// Finds the recording files of one channel, on a recorder disk or in a local recording folder,
// and the days that hold recordings. Runs on the caller's thread and keeps no lock.
#pragma once

#include "engine/Records.h"

#include <functional>
#include <set>
#include <string>

namespace Varpen {

// The recorder record types searched for a type asked by the interface: 1 and 2 include the
// alarm types 10 and 11.
std::vector<int> LibraryTypesFor(int type);
// The segment-number filter of a local folder for a recorder record type; -1 for a type that
// has no counterpart there.
int IndexTypeFor(int libraryType);
// The recorder record type of a local segment number (the inverse of IndexTypeFor, 0 when
// unknown).
int LibraryTypeOfIndex(unsigned indexNumber);

// The recorder folders tried after the plain disk path, in order.
extern const char* const kNvrFolder;  // "_NVR_DIR_\Package000\"
extern const char* const kDvrFolder;  // "_DVR_DIR_\Package000\"

// DR_FILE_FindFile for `channel` (0-based) on the path, then on the path with each recorder
// folder. Gives the find handle (-1 when every form was refused) and the path that answered.
// When every form was refused and `error` is given, it receives the library's error for the plain
// path (for example that the disk may not be read at all).
int FindFileOnDisk(const std::string& path, int channel, int type, const RecordTime& begin, const RecordTime& end,
                   std::string& answered, int* error = nullptr);

class CFileSearch {
public:
    // Files of `channel` (0-based) and record type `type` overlapping [begin, end], in time order;
    // each file carries its own record type. False when the window is empty or when no library
    // search could run at all (a type that fails is skipped while another one answered).
    bool SearchChannelFiles(SingleFileList& out, std::string diskPath, int channel, std::string channelName,
                            time_t begin, time_t end, int type, bool useIndex);
    // One library record type. Disk: false when the path cannot be searched in any of its three
    // forms. Local folder: always true.
    bool SearchDiskFiles(SingleFileList& out, const std::string& diskPath, const std::string& channelName, int channel,
                         int libraryType, time_t begin, time_t end, bool useIndex);
    // The days from begin's date to end's date (both included) that hold a recording of the
    // channel; each day is given by the time at which the walk entered it (begin + n days).
    // `stopped`, when given, is asked before each day: once it answers true the walk ends with the
    // days found so far.
    void SearchDiskFilesByDay(std::set<time_t>& out, const std::string& channelName, int channel, time_t begin,
                              time_t end, const std::string& diskPath, bool useIndex,
                              const std::function<bool()>& stopped = {});

private:
    SingleFileList m_files;
};

}  // namespace Varpen
