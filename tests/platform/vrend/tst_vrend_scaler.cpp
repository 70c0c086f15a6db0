// The conversion of decoded pictures to the surface's pictures: block averages, and colours and
// geometry beside libswscale converting the whole picture in one pass.
#include <QScopeGuard>
#include <QTest>

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "platform/vrend/FrameScaler.h"

namespace {

struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;

struct Rgb {
    int r, g, b;
};

// Flat blocks of known colours, 4 across and 3 down, edges on whole chroma samples.
const Rgb kColours[12] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},   {255, 255, 255}, {0, 0, 0},     {128, 128, 128},
                          {255, 255, 0}, {0, 255, 255}, {255, 0, 255}, {200, 60, 20},   {30, 90, 200}, {16, 200, 120}};

int BlockEdge(int k, int n, int size)
{
    return (k * size / n) & ~1;
}

int BlockAt(int x, int y, int w, int h)
{
    int bx = 0, by = 0;
    while (bx < 3 && x >= BlockEdge(bx + 1, 4, w))
        ++bx;
    while (by < 2 && y >= BlockEdge(by + 1, 3, h))
        ++by;
    return by * 4 + bx;
}

// The stream's matrix: Kr, Kb.
void Matrix(AVColorSpace cs, double* kr, double* kb)
{
    if (cs == AVCOL_SPC_BT709)
        *kr = 0.2126, *kb = 0.0722;
    else
        *kr = 0.299, *kb = 0.114;
}

// A picture of the known colours, encoded with the given matrix and range.
Frame MakeFrame(AVPixelFormat fmt, int w, int h, AVColorSpace cs, AVColorRange range)
{
    Frame f(av_frame_alloc());
    f->format = fmt;
    f->width = w;
    f->height = h;
    f->colorspace = cs;
    f->color_range = range;
    if (av_frame_get_buffer(f.get(), 0) < 0)
        return nullptr;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(fmt);
    const bool full = range == AVCOL_RANGE_JPEG || fmt == AV_PIX_FMT_YUVJ420P;
    double kr, kb;
    Matrix(cs, &kr, &kb);
    const double kg = 1 - kr - kb;
    auto yuv = [&](const Rgb& c, int* y, int* u, int* v) {
        const double r = c.r / 255.0, g = c.g / 255.0, b = c.b / 255.0;
        const double ly = kr * r + kg * g + kb * b;
        const double pb = (b - ly) / (2 * (1 - kb)), pr = (r - ly) / (2 * (1 - kr));
        auto byte = [](double d) { return std::clamp(int(std::lround(d)), 0, 255); };
        *y = byte(full ? ly * 255 : 16 + ly * 219);
        *u = byte(128 + pb * (full ? 255 : 224));
        *v = byte(128 + pr * (full ? 255 : 224));
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            int Y, U, V;
            yuv(kColours[BlockAt(x, y, w, h)], &Y, &U, &V);
            f->data[0][y * f->linesize[0] + x] = std::uint8_t(Y);
            if (x % (1 << desc->log2_chroma_w) == 0 && y % (1 << desc->log2_chroma_h) == 0) {
                const int cx = x >> desc->log2_chroma_w, cy = y >> desc->log2_chroma_h;
                f->data[1][cy * f->linesize[1] + cx] = std::uint8_t(U);
                f->data[2][cy * f->linesize[2] + cx] = std::uint8_t(V);
            }
        }
    return f;
}

// libswscale alone on the same region, the stream's colours set the same way.
std::vector<std::uint32_t> Reference(const AVFrame* f, int left, int top, int w, int h, int ow, int oh)
{
    const auto fmt = static_cast<AVPixelFormat>(f->format);
    const int flags = ow < w && oh < h ? SWS_AREA : SWS_BILINEAR;
    SwsContext* c = sws_getContext(w, h, fmt, ow, oh, AV_PIX_FMT_RGB32, flags, nullptr, nullptr, nullptr);
    const bool full = f->color_range == AVCOL_RANGE_JPEG || fmt == AV_PIX_FMT_YUVJ420P;
    sws_setColorspaceDetails(c, sws_getCoefficients(f->colorspace), full, sws_getCoefficients(SWS_CS_DEFAULT), 1, 0,
                             1 << 16, 1 << 16);
    const std::uint8_t* src[4] = {f->data[0] + top * f->linesize[0] + left,
                                  f->data[1] + (top / 2) * f->linesize[1] + left / 2,
                                  f->data[2] + (top / 2) * f->linesize[2] + left / 2, nullptr};
    std::vector<std::uint32_t> out(std::size_t(ow) * oh);
    std::uint8_t* dst[4] = {reinterpret_cast<std::uint8_t*>(out.data())};
    int dst_stride[4] = {ow * 4};
    sws_scale(c, src, f->linesize, 0, h, dst, dst_stride);
    sws_freeContext(c);
    return out;
}

int Channel(std::uint32_t p, int shift)
{
    return int((p >> shift) & 0xff);
}

}  // namespace

class TestVrendScaler : public QObject {
    Q_OBJECT

private slots:
    // Block averages against a plain reference, whole and partial blocks, every vector path
    // (block widths 1, 2 and 4, odd ones, tall blocks read on their middle lines).
    void blockAveragesMatchAPlainReference_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("fx");
        QTest::addColumn<int>("fy");
        QTest::addColumn<bool>("avx2");  // off: the code for processors without it
        for (bool avx2 : {true, false}) {
            auto row = [&](const char* name) {
                return &QTest::newRow(avx2 ? name : qPrintable(QString(name) + ", no AVX2"));
            };
            *row("1920x1080 by 4") << 1920 << 1080 << 4 << 4 << avx2;
            *row("960x540 by 4") << 960 << 540 << 4 << 4 << avx2;
            *row("by 2") << 1920 << 1080 << 2 << 2 << avx2;
            *row("by 3") << 1920 << 1080 << 3 << 3 << avx2;
            *row("odd size by 4") << 1923 << 1079 << 4 << 4 << avx2;
            *row("odd size by 2") << 321 << 241 << 2 << 2 << avx2;
            *row("odd size by 3") << 323 << 245 << 3 << 3 << avx2;
            *row("wide only") << 701 << 33 << 4 << 1 << avx2;
            *row("tall only") << 37 << 700 << 1 << 4 << avx2;
            *row("by 8") << 1927 << 1083 << 8 << 8 << avx2;
            *row("by 16, 5") << 1000 << 999 << 16 << 5 << avx2;
            *row("by 4, 10") << 517 << 299 << 4 << 10 << avx2;
            *row("narrower than a block") << 3 << 2 << 4 << 4 << avx2;
        }
    }
    void blockAveragesMatchAPlainReference()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, fx);
        QFETCH(int, fy);
        QFETCH(bool, avx2);
        vrend::AllowAvx2(avx2);
        auto restore = qScopeGuard([] { vrend::AllowAvx2(true); });
        const int stride = width + 13;
        std::vector<std::uint8_t> src(std::size_t(stride) * height);
        std::mt19937 rng(width * 31 + height);
        for (auto& b : src)
            b = std::uint8_t(rng() & 0xff);
        // Extremes too: sums at their largest.
        std::fill(src.begin(), src.begin() + std::min<std::size_t>(src.size(), stride * 2), 255);
        const int ow = (width + fx - 1) / fx, oh = (height + fy - 1) / fy;
        const int dst_stride = ow + 5;
        std::vector<std::uint8_t> dst(std::size_t(dst_stride) * oh, 0);
        std::vector<std::uint16_t> sums(static_cast<std::size_t>(width));
        vrend::BoxReducePlane(src.data(), stride, width, height, fx, fy, dst.data(), dst_stride, sums.data());
        for (int oy = 0; oy < oh; ++oy) {
            // Blocks of 4 lines or more: their middle half.
            int y0 = oy * fy + (fy >= 4 ? fy / 4 : 0);
            int rows = std::min(fy >= 4 ? fy / 2 : fy, height - y0);
            if (rows <= 0)
                y0 = oy * fy, rows = height - y0;
            for (int ox = 0; ox < ow; ++ox) {
                const int x0 = ox * fx, cols = std::min(fx, width - x0);
                unsigned s = 0;
                for (int y = y0; y < y0 + rows; ++y)
                    for (int x = x0; x < x0 + cols; ++x)
                        s += src[std::size_t(y) * stride + x];
                const unsigned area = unsigned(cols * rows);
                const int want = int((s + area / 2) / area);
                const int got = dst[std::size_t(oy) * dst_stride + ox];
                // Exact below 16 bytes a block and for powers of two; within one above.
                const int slack = area < 16 || (area & (area - 1)) == 0 ? 0 : 1;
                if (std::abs(got - want) > slack)
                    QFAIL(qPrintable(QString("block %1,%2: %3, want %4").arg(ox).arg(oy).arg(got).arg(want)));
            }
        }
    }

    // A picture of known colours, converted at the size shown: the colours of its blocks come out
    // as they went in (matrix and range as the frame says), and the picture is close to libswscale's
    // own conversion of the whole region (whole shrinks, shrinks that leave a remainder, the same
    // size, a region scaled up, odd sizes).
    void coloursAndGeometryFollowTheFrame_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("colorspace");
        QTest::addColumn<int>("range");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("region");  // null: all of it
        QTest::addColumn<QSize>("shown");
        const int p420 = AV_PIX_FMT_YUV420P, j420 = AV_PIX_FMT_YUVJ420P;
        const int bt601 = AVCOL_SPC_BT470BG, bt709 = AVCOL_SPC_BT709, none = AVCOL_SPC_UNSPECIFIED;
        const int tv = AVCOL_RANGE_MPEG, pc = AVCOL_RANGE_JPEG;
        const QSize hd(1920, 1080);
        QTest::newRow("1080p to 480x270, BT.709") << p420 << bt709 << tv << hd << QRect() << QSize(480, 270);
        QTest::newRow("1080p to 480x270, BT.601") << p420 << bt601 << tv << hd << QRect() << QSize(480, 270);
        QTest::newRow("1080p to 480x270, no matrix") << p420 << none << tv << hd << QRect() << QSize(480, 270);
        QTest::newRow("1080p to 480x270, full range") << j420 << bt601 << pc << hd << QRect() << QSize(480, 270);
        QTest::newRow("1080p to 480x270, range flag") << p420 << bt709 << pc << hd << QRect() << QSize(480, 270);
        QTest::newRow("1080p to 960x540") << p420 << bt709 << tv << hd << QRect() << QSize(960, 540);
        QTest::newRow("1080p to 640x360") << p420 << bt709 << tv << hd << QRect() << QSize(640, 360);
        QTest::newRow("1080p to 476x266") << p420 << bt709 << tv << hd << QRect() << QSize(476, 266);
        QTest::newRow("1080p to 700x300") << p420 << bt601 << tv << hd << QRect() << QSize(700, 300);
        QTest::newRow("1080p at its size") << p420 << bt709 << tv << hd << QRect() << hd;
        QTest::newRow("704x576 to 352x288") << p420 << bt601 << tv << QSize(704, 576) << QRect() << QSize(352, 288);
        QTest::newRow("odd picture to 160x120") << p420 << bt601 << tv << QSize(321, 241) << QRect() << QSize(160, 120);
        QTest::newRow("odd picture to odd size") << p420 << bt601 << tv << QSize(323, 245) << QRect() << QSize(107, 81);
        QTest::newRow("region shrunk") << p420 << bt709 << tv << hd << QRect(480, 270, 960, 540) << QSize(240, 135);
        QTest::newRow("region zoomed") << p420 << bt709 << tv << hd << QRect(0, 0, 480, 270) << QSize(960, 540);
    }
    void coloursAndGeometryFollowTheFrame()
    {
        QFETCH(int, format);
        QFETCH(int, colorspace);
        QFETCH(int, range);
        QFETCH(QSize, picture);
        QFETCH(QRect, region);
        QFETCH(QSize, shown);
        Frame f = MakeFrame(AVPixelFormat(format), picture.width(), picture.height(), AVColorSpace(colorspace),
                            AVColorRange(range));
        QVERIFY(f);
        if (region.isNull())
            region = QRect(QPoint(0, 0), picture);
        const int ow = shown.width(), oh = shown.height();
        std::vector<std::uint32_t> got(std::size_t(ow) * oh, 0);
        vrend::FrameScaler scaler;
        // Twice: the second picture comes from the scaler and buffers the first one left.
        for (int i = 0; i < 2; ++i)
            QVERIFY(scaler.Convert(f.get(), region.x(), region.y(), region.width(), region.height(), ow, oh,
                                   reinterpret_cast<std::uint8_t*>(got.data()), ow * 4));
        const std::vector<std::uint32_t> want =
            Reference(f.get(), region.x(), region.y(), region.width(), region.height(), ow, oh);
        double diff = 0, inside_diff = 0;
        int checked = 0;
        for (int oy = 0; oy < oh; ++oy)
            for (int ox = 0; ox < ow; ++ox) {
                const std::uint32_t g = got[std::size_t(oy) * ow + ox], w = want[std::size_t(oy) * ow + ox];
                QCOMPARE(g >> 24, 0xffu);
                double d = 0;
                for (int shift : {0, 8, 16})
                    d += std::abs(Channel(g, shift) - Channel(w, shift));
                diff += d;
                // Well inside one block (three shown pixels and two picture pixels from its edges):
                // that block's colour.
                const double sx = double(region.width()) / ow, sy = double(region.height()) / oh;
                const double margin_x = 3 * std::max(1.0, sx) + 2, margin_y = 3 * std::max(1.0, sy) + 2;
                const int x0 = region.x() + int(ox * sx - margin_x), x1 = region.x() + int((ox + 1) * sx + margin_x);
                const int y0 = region.y() + int(oy * sy - margin_y), y1 = region.y() + int((oy + 1) * sy + margin_y);
                const int b = BlockAt(std::max(0, x0), std::max(0, y0), picture.width(), picture.height());
                if (BlockAt(std::min(picture.width() - 1, x1), std::min(picture.height() - 1, y1), picture.width(),
                            picture.height()) != b)
                    continue;
                ++checked;
                inside_diff += d;
                const Rgb c = kColours[b];
                const int dr = std::abs(Channel(g, 16) - c.r), dg = std::abs(Channel(g, 8) - c.g),
                          db = std::abs(Channel(g, 0) - c.b);
                // (The scaler's area filter rings a little near the picture's edges; a wrong matrix or
                // range is off by 10 and more.)
                if (std::max({dr, dg, db}) > 5)
                    QFAIL(qPrintable(QString("pixel %1,%2 is %3 %4 %5, its block %6 %7 %8")
                                         .arg(ox)
                                         .arg(oy)
                                         .arg(Channel(g, 16))
                                         .arg(Channel(g, 8))
                                         .arg(Channel(g, 0))
                                         .arg(c.r)
                                         .arg(c.g)
                                         .arg(c.b)));
            }
        QVERIFY2(checked > ow * oh / 3, qPrintable(QString::number(checked)));
        // Inside the blocks both agree; at their edges the filters differ, but not by much on the
        // whole (a shift of a pixel or a colour gone wrong would be far more).
        const double inside = inside_diff / (3.0 * checked), mean = diff / (3.0 * ow * oh);
        QVERIFY2(inside < 1.0 && mean < 4.0,
                 qPrintable(QString("mean difference %1, inside %2").arg(mean).arg(inside)));
    }

    // A format the shrinking step does not read goes through the scaler alone; a hardware frame
    // is refused.
    void otherFormatsAreConvertedAndHardwareFramesRefused()
    {
        Frame f(av_frame_alloc());
        f->format = AV_PIX_FMT_NV12;
        f->width = 64;
        f->height = 48;
        QVERIFY(av_frame_get_buffer(f.get(), 0) >= 0);
        std::fill_n(f->data[0], f->linesize[0] * 48, std::uint8_t(235));  // white
        std::fill_n(f->data[1], f->linesize[1] * 24, std::uint8_t(128));
        std::vector<std::uint32_t> out(32 * 24, 0);
        vrend::FrameScaler scaler;
        QVERIFY(scaler.Convert(f.get(), 0, 0, 64, 48, 32, 24, reinterpret_cast<std::uint8_t*>(out.data()), 32 * 4));
        QVERIFY(Channel(out[12 * 32 + 16], 8) >= 250);
        f->format = AV_PIX_FMT_VAAPI;
        QVERIFY(!scaler.Convert(f.get(), 0, 0, 64, 48, 32, 24, reinterpret_cast<std::uint8_t*>(out.data()), 32 * 4));
    }
};

QTEST_GUILESS_MAIN(TestVrendScaler)
#include "tst_vrend_scaler.moc"
