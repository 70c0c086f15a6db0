// A port's step-back history: the packets of the last groups of pictures, decoded again to
// step back.
#include "platform/vrend/Port.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "platform/vrend/PortDetail.h"
#include "platform/vrend/VideoSurface.h"

namespace vrend {

using namespace port_detail;

// ---- History for stepping back --------------------------------------------------------------------

void Port::AddHistory(const AVPacket* pkt, std::int64_t pts)
{
    std::lock_guard lock(m_);
    if ((pkt->flags & AV_PKT_FLAG_KEY) || history_.empty()) {
        history_.push_back(Gop{});
        history_.back().key_pts = pts;
    }
    // Forget old groups, but keep at least the two last ones; the frames a step back kept of them
    // cannot be stepped to any more.
    while (history_.size() > 2 && (history_bytes_ > kHistoryMaxBytes || history_.size() > 8)) {
        for (Packet& p : history_.front().packets)
            av_packet_free(&p.pkt);
        history_bytes_ -= history_.front().bytes;
        history_.pop_front();
        const std::int64_t first = history_.front().key_pts;
        if (first != AV_NOPTS_VALUE) {
            frame_pts_.erase(frame_pts_.begin(), frame_pts_.lower_bound(first));
            std::erase_if(back_cache_, [first](const Queued& q) { return q.pts < first; });
        }
    }
    AVPacket* copy = av_packet_clone(pkt);
    if (!copy)
        return;
    history_.back().packets.push_back({copy, pts});
    history_.back().bytes += static_cast<std::size_t>(pkt->size);
    history_bytes_ += static_cast<std::size_t>(pkt->size);
}

void Port::ClearHistory()
{
    for (Gop& g : history_)
        for (Packet& p : g.packets)
            av_packet_free(&p.pkt);
    history_.clear();
    history_bytes_ = 0;
    frame_pts_.clear();
}

// The frames to step to are the ones the decoder gave, not the packets' times: pictures of other
// muxers may come without a PTS, and a program stream packs several pictures into one packet.
std::int64_t Port::PrevPts(std::int64_t pts)
{
    if (history_.empty() || history_.front().key_pts == AV_NOPTS_VALUE)
        return -1;
    auto it = frame_pts_.lower_bound(pts);
    if (it == frame_pts_.begin())
        return -1;
    --it;
    return *it >= history_.front().key_pts ? *it : -1;
}

std::int64_t Port::NextPts(std::int64_t pts)
{
    auto it = frame_pts_.upper_bound(pts);
    return it == frame_pts_.end() ? -1 : *it;
}

namespace {

// A frame for the step-back cache: at the size it is shown at when that is smaller than the
// picture (the cache then holds a whole group of pictures in little memory), else the frame itself.
FramePtr ForCache(FramePtr frame, QSize shown, SwsContext** ctx)
{
    const int w = std::min(frame->width, (shown.width() + 1) & ~1);
    const int h = std::min(frame->height, (shown.height() + 1) & ~1);
    if (shown.isEmpty() || (w == frame->width && h == frame->height) || w < 2 || h < 2)
        return frame;
    const auto fmt = static_cast<AVPixelFormat>(frame->format);
    *ctx = sws_getCachedContext(*ctx, frame->width, frame->height, fmt, w, h, fmt, SWS_FAST_BILINEAR, nullptr, nullptr,
                                nullptr);
    FramePtr small = MakeFrame();
    small->format = frame->format;
    small->width = w;
    small->height = h;
    if (!*ctx || av_frame_get_buffer(small.get(), 0) < 0)
        return frame;
    sws_scale(*ctx, frame->data, frame->linesize, 0, frame->height, small->data, small->linesize);
    av_frame_copy_props(small.get(), frame.get());
    return small;
}

}  // namespace

// Decodes the recent packets again from the keyframe before `target_pts` until that frame
// comes out. Runs on the presenter thread with m_ released.
FramePtr Port::DecodeFromHistory(std::int64_t target_pts)
{
    {
        std::lock_guard lock(m_);
        for (const Queued& q : back_cache_)
            if (q.pts == target_pts)
                return q.frame;
    }
    std::vector<AVPacket*> packets;
    AVCodecParameters* par = avcodec_parameters_alloc();
    AVRational tb;
    QSize shown_size;
    {
        std::lock_guard lock(m_);
        std::size_t start = history_.size();
        for (std::size_t i = 0; i < history_.size(); ++i)
            if (history_[i].key_pts != AV_NOPTS_VALUE && history_[i].key_pts <= target_pts)
                start = i;
        if (start == history_.size() || !video_par_) {
            avcodec_parameters_free(&par);
            return nullptr;
        }
        for (std::size_t i = start; i < history_.size(); ++i)
            for (const Packet& p : history_[i].packets)
                packets.push_back(av_packet_clone(p.pkt));
        avcodec_parameters_copy(par, video_par_);
        tb = video_tb_;
        // Cached at the size shown; a zoomed picture keeps its full size.
        if (window_ && !region_)
            shown_size = surfaces::PixelSize(window_);
    }
    FramePtr result;
    const AVCodec* codec = avcodec_find_decoder(par->codec_id);
    AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
    if (c) {
        avcodec_parameters_to_context(c, par);
        c->pkt_timebase = tb;
        c->thread_count = 4;  // a burst: the operator waits for it
        c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        if (avcodec_open2(c, codec, nullptr) < 0)
            avcodec_free_context(&c);
    }
    // The frames from the keyframe to the target are kept too, at the size shown: the next steps
    // back over the whole group are then immediate.
    std::deque<Queued> recent;
    std::size_t recent_bytes = 0;
    SwsContext* shrink = nullptr;
    if (c) {
        FramePtr f = MakeFrame();
        // Pictures without a time are timed as the decoding thread times them: one frame on.
        std::int64_t next_pts = AV_NOPTS_VALUE;
        auto drain = [&] {
            while (!result && avcodec_receive_frame(c, f.get()) >= 0) {
                std::int64_t pts = f->best_effort_timestamp;
                if (pts != AV_NOPTS_VALUE)
                    pts = Unwrap(av_rescale_q(pts, tb, AVRational{1, kPtsHz}));
                else if (next_pts != AV_NOPTS_VALUE)
                    pts = next_pts;
                if (pts != AV_NOPTS_VALUE)
                    next_pts = SatAdd(pts, frame_ticks_);
                FramePtr out = MakeFrame();
                av_frame_move_ref(out.get(), f.get());
                if (pts == target_pts) {
                    result = out;
                } else if (pts != AV_NOPTS_VALUE && pts < target_pts) {
                    recent.push_back({ForCache(std::move(out), shown_size, &shrink), pts});
                    recent_bytes += FrameBytes(recent.back().frame.get());
                    while (recent_bytes > kBackCacheMaxBytes && recent.size() > 1) {
                        recent_bytes -= FrameBytes(recent.front().frame.get());
                        recent.pop_front();
                    }
                }
            }
        };
        for (AVPacket* p : packets) {
            if (result)
                break;
            {
                std::lock_guard lock(m_);
                if (pipeline_stop_)
                    break;
            }
            avcodec_send_packet(c, p);
            drain();
        }
        if (!result) {
            avcodec_send_packet(c, nullptr);
            drain();
        }
        avcodec_free_context(&c);
    }
    for (AVPacket*& p : packets)
        av_packet_free(&p);
    avcodec_parameters_free(&par);
    if (shrink)
        sws_freeContext(shrink);
    if (result) {
        recent.push_back({result, target_pts});
        std::lock_guard lock(m_);
        back_cache_ = std::move(recent);
    }
    return result;
}

}  // namespace vrend
