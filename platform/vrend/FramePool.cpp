// The buffers a port's video decoder decodes into, kept across the port's files.
#include "platform/vrend/Port.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

#include <climits>

#include "platform/vrend/PortDetail.h"

namespace vrend {

namespace {

// What the decoders may read past a plane's end, and the alignment of each plane's start (the
// widest vector any of FFmpeg's code paths uses).
constexpr std::size_t kPlaneSlackBytes = 16 + 64 - 1;

struct BufferBack {
    std::shared_ptr<std::atomic<std::size_t>> held;
    std::size_t bytes;
};

}  // namespace

FramePool::~FramePool()
{
    Release();
}

void FramePool::Release()
{
    std::lock_guard lock(m_);
    for (AVBufferPool*& p : planes_)
        av_buffer_pool_uninit(&p);  // buffers still in frames are freed when those frames go
    layout_ = Layout{};
}

AVBufferRef* FramePool::Allocate(void* opaque, std::size_t size)
{
    auto* pool = static_cast<FramePool*>(opaque);
    // Pages of their own, zeroed once, when made: a damaged stream's picture shows nothing older
    // than this port's own earlier pictures, and a released pool's buffers go back to the system
    // as their last frames go.
    std::uint8_t* data = port_detail::MapPages(size);
    if (!data)
        return nullptr;
    auto* back = new BufferBack{pool->held_, size};
    AVBufferRef* buf = av_buffer_create(data, size, &FramePool::Free, back, 0);
    if (!buf) {
        delete back;
        port_detail::UnmapPages(data, size);
        return nullptr;
    }
    *back->held += size;
    return buf;
}

void FramePool::Free(void* opaque, std::uint8_t* data)
{
    std::unique_ptr<BufferBack> back(static_cast<BufferBack*>(opaque));
    *back->held -= back->bytes;
    port_detail::UnmapPages(data, back->bytes);
}

// The planes' layout for the frame's format and size, as the decoder's own allocator makes it
// (each line aligned as the codec needs, the size rounded up to its blocks).
bool FramePool::Prepare(AVCodecContext* c, const AVFrame* frame)
{
    if (layout_.format == frame->format && layout_.width == frame->width && layout_.height == frame->height)
        return true;
    for (AVBufferPool*& p : planes_)
        av_buffer_pool_uninit(&p);
    layout_ = Layout{};
    int w = frame->width, h = frame->height;
    int align[AV_NUM_DATA_POINTERS] = {};
    avcodec_align_dimensions2(c, &w, &h, align);
    const auto fmt = static_cast<AVPixelFormat>(frame->format);
    int linesize[4] = {};
    for (bool unaligned = true; unaligned;) {
        if (av_image_fill_linesizes(linesize, fmt, w) < 0)
            return false;
        w += w & ~(w - 1);  // a wider line for the next try (the lowest bit set in w)
        unaligned = false;
        for (int i = 0; i < 4; ++i)
            unaligned |= align[i] > 0 && linesize[i] % align[i] != 0;
    }
    std::ptrdiff_t linesize1[4];
    for (int i = 0; i < 4; ++i)
        linesize1[i] = linesize[i];
    std::size_t plane_bytes[4] = {};
    if (av_image_fill_plane_sizes(plane_bytes, fmt, h, linesize1) < 0)
        return false;
    for (int i = 0; i < 4; ++i) {
        if (!plane_bytes[i])
            continue;
        if (plane_bytes[i] > INT_MAX - kPlaneSlackBytes)
            return false;
        planes_[i] = av_buffer_pool_init2(plane_bytes[i] + kPlaneSlackBytes, this, &FramePool::Allocate, nullptr);
        if (!planes_[i])
            return false;
    }
    layout_.format = frame->format;
    layout_.width = frame->width;
    layout_.height = frame->height;
    for (int i = 0; i < 4; ++i) {
        layout_.linesize[i] = linesize[i];
        layout_.plane_bytes[i] = plane_bytes[i];
    }
    return true;
}

int FramePool::GetBuffer(AVCodecContext* c, AVFrame* frame, int flags)
{
    auto* pool = static_cast<FramePool*>(c->opaque);
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    // Ours only for plain pictures the codec lets us place; anything else as libavcodec does it.
    if (!pool || c->codec_type != AVMEDIA_TYPE_VIDEO || !(c->codec->capabilities & AV_CODEC_CAP_DR1) || !desc ||
        (desc->flags & (AV_PIX_FMT_FLAG_HWACCEL | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_BITSTREAM)) ||
        frame->width <= 0 || frame->height <= 0)
        return avcodec_default_get_buffer2(c, frame, flags);
    std::lock_guard lock(pool->m_);
    if (!pool->Prepare(c, frame)) {
        for (AVBufferPool*& p : pool->planes_)
            av_buffer_pool_uninit(&p);
        pool->layout_ = Layout{};
        return avcodec_default_get_buffer2(c, frame, flags);
    }
    for (int i = 0; i < AV_NUM_DATA_POINTERS; ++i) {
        frame->data[i] = nullptr;
        frame->linesize[i] = 0;
    }
    for (int i = 0; i < 4 && pool->planes_[i]; ++i) {
        frame->buf[i] = av_buffer_pool_get(pool->planes_[i]);
        if (!frame->buf[i]) {
            av_frame_unref(frame);
            return AVERROR(ENOMEM);
        }
        frame->data[i] = frame->buf[i]->data;
        frame->linesize[i] = pool->layout_.linesize[i];
    }
    frame->extended_data = frame->data;
    return 0;
}

}  // namespace vrend
