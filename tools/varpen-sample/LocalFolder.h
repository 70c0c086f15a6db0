// Writers for the index files of a local recording folder (all little-endian):
//   RecordFile/index01.bin                     dates (4-byte records)
//   RecordFile/<yyyyMMdd>/index02.bin          channels of a date (92-byte records)
//   RecordFile/<yyyyMMdd>/<src>_<n>_<ch>/index03.bin   segments of a channel (44-byte records)
// Each file: u32 record count, 4 bytes unused, then the records.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <cstdint>

namespace LocalFolder {

struct ChannelRecord {
    QByteArray source_name;  // written into 64 bytes; longer names are cut (and lose the terminator)
    int source_number = 0;
    int channel = 0;
};

QByteArray indexHeader(std::uint32_t count);
QByteArray dateRecord(const QDate& date);
QByteArray channelRecord(const ChannelRecord& c);
// Start and end as local time; `type` is the segment number of the file name.
QByteArray segmentRecord(std::int64_t start, std::int64_t end, std::uint32_t type);

QString dateFolderName(const QDate& date);
QString channelFolderName(const ChannelRecord& c);
// The moment within (start, end] at which the clock is set back (the local time shown goes back),
// or -1 when it is not set back there.
std::int64_t clockSetBackWithin(std::int64_t start, std::int64_t end);
// "YYYYMMDDhhmmss" of the local time of t, as a number.
std::int64_t localStamp(std::int64_t t);
QString segmentFileName(std::int64_t start, std::int64_t end, std::uint32_t type);

// Writes `bytes` to `path`, creating its folder. False on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// What a damaged copy does to one file (a segment, an image):
//   Empty       0 bytes
//   Missing     removed
//   Unreadable  its bytes kept, mode 000 (root still reads it, unless the file layer's test seam
//               refuses it: see platform/rtk/rtk_test.h)
//   Fifo        a FIFO in its place, never written: a reader that opened it and waited would
//               wait for ever
enum class FileDamage { None, Empty, Missing, Unreadable, Fifo };
// "empty", "missing", "unreadable" or "fifo"; false for another name.
bool fileDamageNamed(const QString& name, FileDamage* damage);
// Damages the file at `path` (it need not exist for Missing and Fifo). False on failure.
bool damageFile(const QString& path, FileDamage damage);

}  // namespace LocalFolder
