// The machine-readable mark in every sample frame: a 16 x 4 grid of black and white cells in the
// bottom-left corner carrying seconds since 2000-01-01 00:00:00 UTC (32 bits), the frame index
// within that second (8), the channel (8) and a CRC-16 over those 48 bits. Cell geometry is a
// fraction of the picture size, so a frame scaled to any surface still reads back.
#pragma once

#include <QImage>
#include <QRect>
#include <cstdint>

namespace SampleCode {

constexpr std::int64_t kEpoch2000 = 946684800;  // 2000-01-01 00:00:00 UTC as time_t

struct Mark {
    std::int64_t time = 0;  // seconds since 1970
    int frame = 0;          // index of the frame within its second, 0..255
    int channel = 0;        // 0..255
    bool valid = false;     // check bits matched
};

// Rectangle of the barcode in a picture of `size`.
QRect barcodeRect(QSize size);
// Draws the barcode of `mark` into `image` (any format QPainter can paint on).
void draw(QImage& image, const Mark& mark);
// Reads the barcode back; valid == false when the check bits do not match.
Mark read(const QImage& image);

}  // namespace SampleCode
