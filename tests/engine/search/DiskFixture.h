// Small recorder-disk images for the search tests, written with the disk library's writer.
#pragma once

#include "platform/diskrec/DiskImageWriter.h"
#include "platform/streamfmt/streamfmt.h"

#include <QDateTime>
#include <QString>

namespace DiskFixture {

inline qint64 At(const QString& text)
{
    return QDateTime::fromString(text, "yyyy-MM-dd hh:mm:ss").toSecsSinceEpoch();
}

// A file of `channel` (1-based) with a valid stream header and a little filler data.
inline diskrec::ImageFile File(int channel, int type, const QString& start, int seconds)
{
    diskrec::ImageFile f;
    f.channel = channel;
    f.record_type = type;
    f.start = At(start);
    f.end = f.start + seconds;
    f.name = QString("ch%1_%2").arg(channel).arg(start).remove(' ').remove(':').remove('-').toStdString();
    SF_StreamHeader header;
    header.start_time = f.start;
    f.data.resize(SF_HEADER_SIZE + 188 * 4, 0x47);
    SF_SerialiseHeader(&header, f.data.data());
    f.keyframes.push_back(diskrec::ImageKeyframe{f.start * 1000, SF_HEADER_SIZE});
    return f;
}

}  // namespace DiskFixture
