#include "tools/varpen-sample/SampleCode.h"

#include <QPainter>

namespace SampleCode {
namespace {

constexpr int kCols = 16;
constexpr int kRows = 4;

std::uint16_t crc16(std::uint64_t bits48)
{
    std::uint16_t crc = 0xFFFF;  // CRC-16/CCITT-FALSE over the 6 bytes, most significant first
    for (int i = 5; i >= 0; --i) {
        crc ^= std::uint16_t(((bits48 >> (8 * i)) & 0xFF) << 8);
        for (int b = 0; b < 8; ++b)
            crc = (crc & 0x8000) ? std::uint16_t((crc << 1) ^ 0x1021) : std::uint16_t(crc << 1);
    }
    return crc;
}

QRectF cellRect(QSize size, int index)
{
    const double cw = size.width() / 22.0, ch = size.height() / 18.0;
    const double x0 = cw, y0 = size.height() - 5 * ch;
    return QRectF(x0 + (index % kCols) * cw, y0 + (index / kCols) * ch, cw, ch);
}

}  // namespace

QRect barcodeRect(QSize size)
{
    return cellRect(size, 0).united(cellRect(size, kCols * kRows - 1)).toAlignedRect();
}

void draw(QImage& image, const Mark& mark)
{
    const std::uint64_t secs = std::uint64_t(std::uint32_t(mark.time - kEpoch2000));
    const std::uint64_t payload =
        (secs << 16) | (std::uint64_t(mark.frame & 0xFF) << 8) | std::uint64_t(mark.channel & 0xFF);
    const std::uint64_t word = (payload << 16) | crc16(payload);
    QPainter p(&image);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < kCols * kRows; ++i) {
        const bool one = (word >> (63 - i)) & 1;
        p.fillRect(cellRect(image.size(), i), one ? Qt::white : Qt::black);
    }
}

Mark read(const QImage& source)
{
    Mark m;
    if (source.isNull())
        return m;
    const QImage image = source.convertToFormat(QImage::Format_RGB32);
    std::uint64_t word = 0;
    for (int i = 0; i < kCols * kRows; ++i) {
        // Average the luma of the middle half of the cell; edges blur under compression and scaling.
        const QRectF c = cellRect(image.size(), i);
        const int x0 = int(c.x() + c.width() / 4), x1 = int(c.x() + 3 * c.width() / 4);
        const int y0 = int(c.y() + c.height() / 4), y1 = int(c.y() + 3 * c.height() / 4);
        long sum = 0, n = 0;
        for (int y = y0; y <= y1 && y < image.height(); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = x0; x <= x1 && x < image.width(); ++x) {
                sum += qGray(line[x]);
                ++n;
            }
        }
        word = (word << 1) | ((n > 0 && sum / n >= 128) ? 1 : 0);
    }
    const std::uint64_t payload = word >> 16;
    m.valid = std::uint16_t(word & 0xFFFF) == crc16(payload);
    m.time = std::int64_t(payload >> 16) + kEpoch2000;
    m.frame = int((payload >> 8) & 0xFF);
    m.channel = int(payload & 0xFF);
    return m;
}

}  // namespace SampleCode
