// Index files of a local recording folder:
//   <folder>/RecordFile/index01.bin                       the dates that hold recordings
//   <folder>/RecordFile/<YYYYMMDD>/index02.bin            the channels recorded on one date
//   <date folder>/<source>_<number>_<channel>/index03.bin the segments of one channel on that date
//   <channel folder>/<start14>_<end14>_<n>.mp4            one segment file
// Every index file: u32 record count, 4 bytes not interpreted, then the records (little-endian).
// The files come from copied disks and are untrusted: counts are capped by the bytes present,
// names are bounded and never allowed to leave the folder.
#pragma once

#include "engine/Records.h"

#include <QString>

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace Varpen {

constexpr std::size_t kIndexHeaderBytes = 8;
constexpr std::size_t kDateRecordBytes = 4;
constexpr std::size_t kChannelRecordBytes = 92;
constexpr std::size_t kSegmentRecordBytes = 44;
constexpr std::size_t kSourceNameBytes = 64;

struct IndexDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

struct IndexChannel {
    std::string sourceName;
    int sourceNumber = 0;
    int channelNumber = 0;
};

// A segment's start or end as stored: local-time fields.
using IndexTime = RecordTime;

struct IndexSegment {
    IndexTime start;
    IndexTime end;
    unsigned number = 0;
};

// Parsers over the bytes of a whole index file. A short header yields nothing; the count is
// capped by the records present; a cut last record is dropped. Channel records whose source
// name is unusable as a folder name (a separator, "." or "..", or empty) are dropped.
std::vector<IndexDate> ParseDateIndex(const void* data, std::size_t size_bytes);
std::vector<IndexChannel> ParseChannelIndex(const void* data, std::size_t size_bytes);
std::vector<IndexSegment> ParseSegmentIndex(const void* data, std::size_t size_bytes);

// Why an index file gave nothing.
enum class IndexFileError {
    None,
    Missing,       // no such file
    AccessDenied,  // the file (or a folder above it) may not be read
    NotAFile,      // a folder, a FIFO, a device: never opened for reading
    ReadFailed,    // an input/output error
};

// The same on a file; a file that cannot be read yields nothing, and `error` (when given) says
// why. Only regular files are read: a FIFO or a device never blocks the caller.
std::vector<IndexDate> ReadDateIndex(const std::string& path, IndexFileError* error = nullptr);
std::vector<IndexChannel> ReadChannelIndex(const std::string& path, IndexFileError* error = nullptr);
std::vector<IndexSegment> ReadSegmentIndex(const std::string& path, IndexFileError* error = nullptr);

// Opens a regular file for reading without ever blocking on a FIFO or a device: -1 (errno set;
// EINVAL for anything but a regular file) or a descriptor in blocking mode.
int OpenRegularFile(const std::string& path);

// Texts of the folder layout.
std::string FormatDate(int year, int month, int day);                               // "%04d%02d%02d"
std::string FormatGroupKey(const std::string& source, int sourceNumber);            // "%s_%d"
std::string FormatChannelKey(const std::string& source, int sourceNumber, int ch);  // "%s_%d_%d"
std::string FormatTime(const IndexTime& t);                                         // 14 digits
std::string FormatWindowKey(const RecordTime& t);                                   // "%d%02d%02d%02d%02d%02d"
std::string FormatClipFileName(const IndexSegment& s);                              // "<start14>_<end14>_<number>.mp4"

// A source name read from an index that may safely become part of a path.
bool IsSafeName(const std::string& name);

// Paths. Folders and names are joined with exactly one "/". A fixed name is looked up exactly
// first, then case-insensitively among the folder's entries; with no match the exact join is
// returned (so that opening it fails the ordinary way).
std::string JoinPath(const std::string& folder, const std::string& name);
std::string ResolveChild(const std::string& folder, const std::string& name);

// ResolveChild over many names of one folder: the folder is listed once, each look-up is then a
// hash look-up. A name the folder does not list resolves to the exact join.
class FolderNames {
public:
    explicit FolderNames(std::string folder);
    std::string Resolve(const std::string& name);
    // Whether the folder lists the name (exactly or in another case).
    bool Has(const std::string& name);

private:
    void List();
    std::string m_folder;
    bool m_listed = false;
    std::unordered_map<std::string, std::string> m_exact;   // name -> name
    std::unordered_map<std::string, std::string> m_folded;  // lower-case name -> first such name
};
std::string ParentPath(const std::string& path);    // up to the last "/" (empty when none)
std::string FileNamePart(const std::string& path);  // after the last "/"

// "<folder>/RecordFile" and "<folder>/RecordFile/index01.bin", resolved as above.
std::string RecordFileFolder(const std::string& folder);
std::string DateIndexPath(const std::string& folder);
bool IsLocalRecordingFolder(const std::string& folder);

// A path kept as the file system's bytes inside a QString: valid UTF-8 reads as text, any other
// byte b as the lone code unit 0xDC00 + b, which PathToBytes gives back as b. So a folder whose
// name is not UTF-8 survives the trip through the GUI and the engine.
QString PathFromBytes(const std::string& bytes);
std::string PathToBytes(const QString& path);

}  // namespace Varpen
