#include "platform/vrend/FrameScaler.h"

extern "C" {
#include <libavutil/common.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <atomic>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VREND_HAVE_AVX2_PATH 1
#endif

namespace vrend {

namespace {

#if defined(VREND_HAVE_AVX2_PATH)
// SumLines with pairs, 32 columns at a time; returns the columns done.
__attribute__((target("avx2"))) int SumPairsAvx2(const std::uint8_t* src, std::ptrdiff_t stride, int rows, int width,
                                                 std::uint16_t* sums)
{
    const __m256i ones = _mm256_set1_epi8(1);
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        __m256i acc = _mm256_setzero_si256();
        const std::uint8_t* p = src + x;
        for (int r = 0; r < rows; ++r, p += stride)
            acc = _mm256_add_epi16(acc,
                                   _mm256_maddubs_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)), ones));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + x / 2), acc);
    }
    return x;
}

// SumLines without pairs, 16 columns at a time; returns the columns done.
__attribute__((target("avx2"))) int SumColumnsAvx2(const std::uint8_t* src, std::ptrdiff_t stride, int rows, int width,
                                                   std::uint16_t* sums)
{
    int x = 0;
    for (; x + 16 <= width; x += 16) {
        __m256i acc = _mm256_setzero_si256();
        const std::uint8_t* p = src + x;
        for (int r = 0; r < rows; ++r, p += stride)
            acc = _mm256_add_epi16(acc, _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p))));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(sums + x), acc);
    }
    return x;
}

// The averages of three sums side by side (of `area` bytes in all, below 16), 8 at a time, while
// the sums read stay within `available`; returns the outputs done.
__attribute__((target("avx2"))) int AverageThreesAvx2(const std::uint16_t* sums, int count, int available, int area,
                                                      std::uint8_t* out)
{
    auto load = [](const std::uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    // Every third of 24 running sums of three: lanes 0, 3, 6 of the first 8, 1, 4, 7 of the next,
    // 2, 5 of the last.
    const __m128i pick0 = _mm_setr_epi8(0, 1, 6, 7, 12, 13, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
    const __m128i pick1 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, 2, 3, 8, 9, 14, 15, -1, -1, -1, -1);
    const __m128i pick2 = _mm_setr_epi8(-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, 4, 5, 10, 11);
    const __m128i scale = _mm_set1_epi16(static_cast<short>((65536 + area - 1) / area));
    const __m128i half = _mm_set1_epi16(static_cast<short>(area / 2));
    int i = 0;
    for (; i + 8 <= count && (i + 8) * 3 + 2 <= available; i += 8) {
        const std::uint16_t* p = sums + static_cast<std::ptrdiff_t>(i) * 3;
        __m128i run[3];
        for (int k = 0; k < 3; ++k)
            run[k] = _mm_add_epi16(_mm_add_epi16(load(p + 8 * k), load(p + 8 * k + 1)), load(p + 8 * k + 2));
        __m128i s = _mm_or_si128(_mm_or_si128(_mm_shuffle_epi8(run[0], pick0), _mm_shuffle_epi8(run[1], pick1)),
                                 _mm_shuffle_epi8(run[2], pick2));
        s = _mm_mulhi_epu16(_mm_add_epi16(s, half), scale);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(s, s));
    }
    return i;
}

const bool kCpuHasAvx2 = __builtin_cpu_supports("avx2");
std::atomic<bool> g_use_avx2{kCpuHasAvx2};
#endif

// Column sums of `rows` lines of `width` bytes; with `pairs`, sums of two columns side by side
// (ceil(width / 2) of them, the last of an odd width that column alone).
void SumLines(const std::uint8_t* src, std::ptrdiff_t stride, int rows, int width, bool pairs, std::uint16_t* sums)
{
    int x = 0;
#if defined(VREND_HAVE_AVX2_PATH)
    if (g_use_avx2)
        x = pairs ? SumPairsAvx2(src, stride, rows, width, sums) : SumColumnsAvx2(src, stride, rows, width, sums);
#endif
#if defined(__SSE2__)
    const __m128i zero = _mm_setzero_si128();
    if (pairs) {
        const __m128i low = _mm_set1_epi16(0xff);
        for (; x + 16 <= width; x += 16) {
            __m128i acc = zero;
            const std::uint8_t* p = src + x;
            for (int r = 0; r < rows; ++r, p += stride) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                acc = _mm_add_epi16(acc, _mm_add_epi16(_mm_and_si128(v, low), _mm_srli_epi16(v, 8)));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x / 2), acc);
        }
    } else {
        for (; x + 16 <= width; x += 16) {
            __m128i lo = zero, hi = zero;
            const std::uint8_t* p = src + x;
            for (int r = 0; r < rows; ++r, p += stride) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                lo = _mm_add_epi16(lo, _mm_unpacklo_epi8(v, zero));
                hi = _mm_add_epi16(hi, _mm_unpackhi_epi8(v, zero));
            }
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x), lo);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(sums + x + 8), hi);
        }
    }
#endif
    const int columns = pairs ? 2 : 1;
    for (; x < width; x += columns) {
        unsigned s = 0;
        const std::uint8_t* p = src + x;
        const int n = std::min(columns, width - x);
        for (int r = 0; r < rows; ++r, p += stride)
            for (int c = 0; c < n; ++c)
                s += p[c];
        sums[x / columns] = static_cast<std::uint16_t>(s);
    }
}

std::uint8_t Average(unsigned sum, unsigned count)
{
    return static_cast<std::uint8_t>((sum + count / 2) / count);
}

// The first `count` outputs of a line: each the average of `fx` sums (of `area` bytes in all) side by
// side. Returns how many it wrote with vector code (the caller does the rest).
int AverageBlocksFast(const std::uint16_t* sums, int count, int fx, int area, std::uint8_t* out)
{
#if defined(__SSE2__)
    // Sums of up to 128 bytes stay below 32768, within the signed 16-bit lanes used here.
    if ((fx != 1 && fx != 2 && fx != 4) || area > 128)
        return 0;
    const bool power_of_two = (area & (area - 1)) == 0;
    const int shift = power_of_two ? __builtin_ctz(static_cast<unsigned>(area)) : 0;
    // (s + area / 2) * ceil(65536 / area) >> 16 is the rounded average for every sum of an area
    // below 16; above, it may be one too high now and then.
    const __m128i scale = _mm_set1_epi16(static_cast<short>(power_of_two ? 1 : (65536 + area - 1) / area));
    const __m128i half = _mm_set1_epi16(static_cast<short>(area / 2));
    const __m128i ones = _mm_set1_epi16(1);
    auto pairs = [&](__m128i a, __m128i b) {
        return _mm_packs_epi32(_mm_madd_epi16(a, ones), _mm_madd_epi16(b, ones));
    };
    auto load = [](const std::uint16_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const std::uint16_t* p = sums + static_cast<std::ptrdiff_t>(i) * fx;
        __m128i s;
        if (fx == 1)
            s = load(p);
        else if (fx == 2)
            s = pairs(load(p), load(p + 8));
        else
            s = pairs(pairs(load(p), load(p + 8)), pairs(load(p + 16), load(p + 24)));
        s = _mm_add_epi16(s, half);
        s = power_of_two ? _mm_srli_epi16(s, shift) : _mm_mulhi_epu16(s, scale);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), _mm_packus_epi16(s, s));
    }
    return i;
#else
    (void)sums, (void)count, (void)fx, (void)area, (void)out;
    return 0;
#endif
}

// 8-bit planar YUV (three planes, one byte a sample): what the shrinking step reads.
bool IsPlanarYuv8(const AVPixFmtDescriptor* desc)
{
    if (desc->nb_components != 3 ||
        (desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM |
                        AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_ALPHA | AV_PIX_FMT_FLAG_BE)) ||
        !(desc->flags & AV_PIX_FMT_FLAG_PLANAR))
        return false;
    for (int i = 0; i < 3; ++i) {
        const AVComponentDescriptor& c = desc->comp[i];
        if (c.plane != i || c.depth != 8 || c.step != 1 || c.shift != 0 || c.offset != 0)
            return false;
    }
    return true;
}

bool IsFullRangeFormat(AVPixelFormat fmt)
{
    return fmt == AV_PIX_FMT_YUVJ420P || fmt == AV_PIX_FMT_YUVJ422P || fmt == AV_PIX_FMT_YUVJ444P ||
           fmt == AV_PIX_FMT_YUVJ440P || fmt == AV_PIX_FMT_YUVJ411P;
}

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}

}  // namespace

void AllowAvx2(bool allow)
{
#if defined(VREND_HAVE_AVX2_PATH)
    g_use_avx2 = allow && kCpuHasAvx2;
#else
    (void)allow;
#endif
}

void BoxReducePlane(const std::uint8_t* src, std::ptrdiff_t src_stride, int width, int height, int fx, int fy,
                    std::uint8_t* dst, std::ptrdiff_t dst_stride, std::uint16_t* sums)
{
    const int out_w = CeilDiv(width, fx), out_h = CeilDiv(height, fy);
    const int whole = width / fx;  // outputs whose block is whole across
    // An even block width is summed two columns at a time.
    const bool pairs = fx % 2 == 0;
    const int unit = pairs ? 2 : 1;
    const int units = fx / unit;  // sums per block
    // A block of 4 lines or more is read on its middle half of lines: the shrunk picture looks the
    // same, and reading the decoded picture is most of the cost.
    const int skip = fy >= 4 ? fy / 4 : 0;
    const int used = fy >= 4 ? fy / 2 : fy;
    for (int oy = 0; oy < out_h; ++oy) {
        int y0 = oy * fy + skip;
        int rows = std::min(used, height - y0);
        if (rows <= 0) {  // a bottom block too short for its middle lines
            y0 = oy * fy;
            rows = height - y0;
        }
#if defined(__SSE2__)
        // The lines of the next block are asked for now: they come from memory while these are summed.
        if (oy + 1 < out_h) {
            const int next = std::min((oy + 1) * fy + skip, height - 1);
            for (int r = 0; r < used && next + r < height; ++r) {
                const char* line =
                    reinterpret_cast<const char*>(src + static_cast<std::ptrdiff_t>(next + r) * src_stride);
                for (int x = 0; x < width; x += 64)
                    _mm_prefetch(line + x, _MM_HINT_T0);
            }
        }
#endif
        SumLines(src + static_cast<std::ptrdiff_t>(y0) * src_stride, src_stride, rows, width, pairs, sums);
        std::uint8_t* out = dst + static_cast<std::ptrdiff_t>(oy) * dst_stride;
        const unsigned area = static_cast<unsigned>(fx * rows);
        int ox = AverageBlocksFast(sums, whole, units, static_cast<int>(area), out);
        // (n + area / 2) / area for every n below 2^16, without a division per block.
        const std::uint64_t inverse = ((std::uint64_t(1) << 32) + area - 1) / area;
        auto put = [&](int o, unsigned s) { out[o] = static_cast<std::uint8_t>(((s + area / 2) * inverse) >> 32); };
        if (units == 3) {  // a third of the size shown (640x360 of 1080p)
#if defined(VREND_HAVE_AVX2_PATH)
            if (g_use_avx2 && area < 16)
                ox += AverageThreesAvx2(sums + ox * 3, whole - ox, CeilDiv(width, unit) - ox * 3,
                                        static_cast<int>(area), out + ox);
#endif
            for (const std::uint16_t* p = sums + ox * 3; ox < whole; ++ox, p += 3)
                put(ox, unsigned(p[0]) + p[1] + p[2]);
        }
        for (; ox < whole; ++ox) {
            unsigned s = 0;
            for (int u = ox * units; u < (ox + 1) * units; ++u)
                s += sums[u];
            put(ox, s);
        }
        for (; ox < out_w; ++ox) {
            const int x0 = ox * fx, cols = std::min(fx, width - x0);
            unsigned s = 0;
            for (int u = x0 / unit; u < CeilDiv(x0 + cols, unit); ++u)
                s += sums[u];
            out[ox] = Average(s, static_cast<unsigned>(cols * rows));
        }
    }
}

FrameScaler::~FrameScaler()
{
    Release();
}

void FrameScaler::Release()
{
    sws_freeContext(sws_);
    sws_ = nullptr;
    key_ = Key{};
    small_ = {};
    sums_ = {};
}

SwsContext* FrameScaler::Scaler(const Key& key)
{
    if (sws_ && key == key_)
        return sws_;
    sws_freeContext(sws_);
    key_ = key;
    sws_ = sws_getContext(key.src_w, key.src_h, static_cast<AVPixelFormat>(key.src_format), key.dst_w, key.dst_h,
                          AV_PIX_FMT_RGB32, key.flags, nullptr, nullptr, nullptr);
    if (sws_ && key.colorspace >= 0) {
        // The stream's matrix and range into full-range RGB; a matrix it does not name is BT.601.
        sws_setColorspaceDetails(sws_, sws_getCoefficients(key.colorspace), key.full_range,
                                 sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    }
    return sws_;
}

bool FrameScaler::Convert(const AVFrame* frame, int left, int top, int width, int height, int out_width, int out_height,
                          std::uint8_t* dst, int dst_stride)
{
    if (!frame || width <= 0 || height <= 0 || out_width <= 0 || out_height <= 0)
        return false;
    const auto fmt = static_cast<AVPixelFormat>(frame->format);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(fmt);
    if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL))
        return false;
    const std::uint8_t* src[4] = {};
    int src_stride[4] = {};
    int steps[4] = {};
    av_image_fill_max_pixsteps(steps, nullptr, desc);
    for (int i = 0; i < 4 && frame->data[i]; ++i) {
        const bool chroma = (i == 1 || i == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
        const int sx = chroma ? desc->log2_chroma_w : 0;
        const int sy = chroma ? desc->log2_chroma_h : 0;
        src[i] = frame->data[i] + static_cast<std::ptrdiff_t>(top >> sy) * frame->linesize[i] +
                 static_cast<std::ptrdiff_t>(left >> sx) * steps[i];
        src_stride[i] = frame->linesize[i];
    }
    Key key;
    key.src_format = fmt;
    key.dst_w = out_width;
    key.dst_h = out_height;
    if (!(desc->flags & AV_PIX_FMT_FLAG_RGB) && desc->nb_components >= 3) {
        key.colorspace = frame->colorspace;
        key.full_range = IsFullRangeFormat(fmt) || frame->color_range == AVCOL_RANGE_JPEG ? 1 : 0;
    }
    // Up to 16 x 16 pixels a block (what is left of a larger shrink is the scaler's).
    const int fx = std::clamp(width / out_width, 1, 16), fy = std::clamp(height / out_height, 1, 16);
    if ((fx > 1 || fy > 1) && IsPlanarYuv8(desc)) {
        // Shrunk by whole factors into small planes first.
        int w[3], h[3];
        std::size_t offset[3];
        std::size_t bytes = 0;
        for (int i = 0; i < 3; ++i) {
            const int sx = i ? desc->log2_chroma_w : 0, sy = i ? desc->log2_chroma_h : 0;
            w[i] = AV_CEIL_RSHIFT(width, sx);
            h[i] = AV_CEIL_RSHIFT(height, sy);
            offset[i] = bytes;
            // Lines 64-byte aligned, and room past the end for the scaler's vector reads.
            bytes +=
                static_cast<std::size_t>(FFALIGN(CeilDiv(w[i], fx), 64)) * static_cast<std::size_t>(CeilDiv(h[i], fy));
        }
        small_.resize(bytes + 128);
        std::uint8_t* base = small_.data() + (-reinterpret_cast<std::uintptr_t>(small_.data()) & 63);
        sums_.resize(static_cast<std::size_t>(w[0]));
        for (int i = 0; i < 3; ++i) {
            const int stride = FFALIGN(CeilDiv(w[i], fx), 64);
            std::uint8_t* out = base + offset[i];
            BoxReducePlane(src[i], src_stride[i], w[i], h[i], fx, fy, out, stride, sums_.data());
            src[i] = out;
            src_stride[i] = stride;
        }
        key.src_w = CeilDiv(width, fx);
        key.src_h = CeilDiv(height, fy);
    } else {
        // Shown at half the height or less, every other line of the picture is enough: the scaler
        // reads and filters half the lines.
        const int line_step = out_height * 2 <= height && desc->log2_chroma_h <= 1 ? 2 : 1;
        for (int i = 0; i < 4; ++i)
            src_stride[i] *= line_step;
        key.src_w = width;
        key.src_h = height / line_step;
    }
    // Shrinking what is left averages the pixels each one shown covers.
    key.flags = key.src_w == out_width && key.src_h == out_height ? SWS_POINT
                : out_width < key.src_w && out_height < key.src_h ? SWS_AREA
                                                                  : SWS_BILINEAR;
    SwsContext* ctx = Scaler(key);
    if (!ctx)
        return false;
    std::uint8_t* dst_planes[4] = {dst, nullptr, nullptr, nullptr};
    int dst_strides[4] = {dst_stride, 0, 0, 0};
    sws_scale(ctx, src, src_stride, 0, key.src_h, dst_planes, dst_strides);
    return true;
}

}  // namespace vrend
