// Recorder-disk images for the device-log tests and benchmark: one small volume and the device log given.
#pragma once

#include "platform/diskrec/DiskImageWriter.h"

#include <QString>

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

namespace LogDiskImage {

// 2024-01-01 00:00:00 local time.
inline std::int64_t BaseTime()
{
    std::tm t{};
    t.tm_year = 124;
    t.tm_mon = 0;
    t.tm_mday = 1;
    t.tm_isdst = -1;
    return std::int64_t(std::mktime(&t));
}

// Writes an image whose device log holds `logs` (a disk holds at least one volume: it gets a
// one-second file at BaseTime()); false with the writer's reason in `error` when it cannot.
inline bool Write(const QString& path, const std::vector<DR_LogRecord>& logs, std::string* error)
{
    diskrec::DiskImageWriter writer;
    diskrec::ImageFile file;
    file.start = BaseTime();
    file.end = BaseTime() + 1;
    file.data.assign(400, 0);
    writer.AddFile("", file);
    for (const DR_LogRecord& r : logs)
        writer.AddLog(r);
    return writer.Write(path.toStdString(), error);
}

}  // namespace LogDiskImage
