// A port's input side: the ring of fed bytes and the demux/decode thread.
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
#include <utility>

#include "platform/vrend/PortDetail.h"
#include "platform/vrend/VideoSurface.h"

namespace vrend {

using namespace port_detail;

// ---- Input ----------------------------------------------------------------------------------

bool Port::Input(const std::uint8_t* data, std::uint32_t size)
{
    std::unique_lock lock(m_);
    if (!open_)
        return SetError(VREND_ERR_NOT_OPEN), false;
    if (!data && size)
        return SetError(VREND_ERR_BAD_PORT), false;
    if (input_ended_)
        return SetError(VREND_ERR_STATE), false;
    // The decode thread is woken only when it waits for data: while it decodes or waits for room in
    // the queue, the next read finds the data.
    const bool wake = decoder_waiting_ || prefix_pending_;
    std::size_t prefix = 0;
    if (prefix_pending_ && size > 0) {
        // A block that starts a stream by itself (a start at a keyframe) does not need the header's
        // bytes; one that continues them (a file without a header, sent from byte 40) does, when
        // they start a stream. Another recorder's header is never the demuxer's business.
        const bool starts = StartsStream(data, size);
        if (!starts && StartsStream(header_bytes_.data(), header_bytes_.size()))
            prefix = header_bytes_.size();
        if (size + prefix > ring_.size() - ring_size_)
            return SetError(VREND_ERR_BUFFER_FULL), false;
        prefix_pending_ = false;
        container_ =
            prefix ? SF_SniffContainer(header_bytes_.data(), header_bytes_.size()) : SF_SniffContainer(data, size);
        if (container_ == 0 && starts)
            container_ = SF_CONTAINER_MPEGPS;  // a PES start code
        if (prefix) {
            for (std::size_t i = 0; i < prefix; ++i)
                ring_[(ring_head_ + ring_size_ + i) % ring_.size()] = header_bytes_[i];
            ring_size_ += prefix;
        }
    }
    if (size > ring_.size() - ring_size_)
        return SetError(VREND_ERR_BUFFER_FULL), false;
    std::size_t tail = (ring_head_ + ring_size_) % ring_.size();
    std::size_t first = std::min<std::size_t>(size, ring_.size() - tail);
    std::memcpy(ring_.data() + tail, data, first);
    std::memcpy(ring_.data(), data + first, size - first);
    ring_size_ += size;
    stats_.bytes_fed += size;
    lock.unlock();
    if (wake)
        decode_cv_.notify_all();
    return true;
}

bool Port::InputEnd()
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        input_ended_ = true;
        primed_ = true;
    }
    decode_cv_.notify_all();
    return true;
}

std::uint32_t Port::Remain()
{
    std::lock_guard lock(m_);
    if (!open_)
        return 0;
    std::size_t n = ring_size_ + queue_.size() + static_cast<std::size_t>(in_flight_) + (holding_ ? 1 : 0);
    return static_cast<std::uint32_t>(std::min<std::size_t>(n, 0xFFFFFFFFu));
}

std::uint32_t Port::FramesAhead()
{
    std::lock_guard lock(m_);
    if (!open_)
        return 0;
    const bool full = !queue_.empty() && (queue_.size() >= display_buf_ || queue_bytes_ >= kQueueMaxBytes);
    if (full || (input_ended_ && ring_size_ == 0))
        return VREND_DECODER_WAITING;
    return static_cast<std::uint32_t>(std::min<std::size_t>(queue_.size(), VREND_DECODER_WAITING - 1));
}

int Port::ReadPacket(void* opaque, std::uint8_t* buf, int size)
{
    return static_cast<Port*>(opaque)->ReadRing(buf, size);
}

int Port::ReadRing(std::uint8_t* buf, int size)
{
    std::unique_lock lock(m_);
    const std::uint64_t gen = generation_;
    while (ring_size_ == 0 && !input_ended_ && !pipeline_stop_ && gen == generation_) {
        decoder_waiting_ = true;
        Wait(lock, decode_cv_);
    }
    decoder_waiting_ = false;
    if (pipeline_stop_ || gen != generation_)
        return AVERROR_EXIT;
    if (ring_size_ == 0)
        return AVERROR_EOF;
    std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(size), ring_size_);
    std::size_t first = std::min(n, ring_.size() - ring_head_);
    std::memcpy(buf, ring_.data() + ring_head_, first);
    std::memcpy(buf + first, ring_.data(), n - first);
    ring_head_ = (ring_head_ + n) % ring_.size();
    ring_size_ -= n;
    holding_ = true;
    return static_cast<int>(n);
}

// ---- Demux and decode -------------------------------------------------------------------------

void Port::DecodeMain(std::uint64_t generation)
{
    constexpr int kIoBuf = 32768;
    auto* io_buf = static_cast<std::uint8_t*>(av_malloc(kIoBuf));
    AVIOContext* io = avio_alloc_context(io_buf, kIoBuf, 0, this, &Port::ReadPacket, nullptr, nullptr);
    AVFormatContext* fmt = avformat_alloc_context();
    fmt->pb = io;
    fmt->flags |= AVFMT_FLAG_CUSTOM_IO;
    fmt->probesize = 65536;
    const AVInputFormat* ifmt = nullptr;
    {
        // Without our header the container is known once the first data has come (see Input).
        std::unique_lock lock(m_);
        Wait(lock, decode_cv_,
             [&] { return !prefix_pending_ || input_ended_ || pipeline_stop_ || generation != generation_; });
        if (container_ == SF_CONTAINER_MPEGTS)
            ifmt = av_find_input_format("mpegts");
        if (container_ == SF_CONTAINER_MPEGPS)
            ifmt = av_find_input_format("mpeg");
    }
    AVCodecContext* vdec = nullptr;
    AVCodecContext* adec = nullptr;
    SwrContext* swr = nullptr;
    int vindex = -1, aindex = -1;
    bool fatal = false;
    bool stopped = false;
    std::int64_t next_pts = AV_NOPTS_VALUE;
    std::int64_t frame_ticks = 3600;
    {
        std::lock_guard lock(m_);
        if (our_header_ && header_.frame_rate_milli > 0)
            frame_ticks = std::max<std::int64_t>(1, kPtsHz * 1000 / header_.frame_rate_milli);
        frame_ticks_ = frame_ticks;
    }

    int rc = avformat_open_input(&fmt, nullptr, ifmt, nullptr);
    if (rc < 0) {
        fmt = nullptr;  // freed by avformat_open_input
        stopped = rc == AVERROR_EXIT;
        fatal = !stopped;
    }
    AVPacket* pkt = av_packet_alloc();
    FramePtr frame = MakeFrame();

    auto open_decoder = [&](AVStream* st) -> AVCodecContext* {
        const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
        if (!codec)
            return nullptr;
        AVCodecContext* c = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(c, st->codecpar);
        c->pkt_timebase = st->time_base;
        if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            // One decoding thread: frame threading costs a third more processor time per frame and a
            // set of frames per thread, and a port keeps real time at 8x on one thread; many windows
            // share the cores better one thread each.
            c->thread_count = 1;
            c->opaque = &frames_;
            c->get_buffer2 = &FramePool::GetBuffer;
        }
        if (avcodec_open2(c, codec, nullptr) < 0)
            avcodec_free_context(&c);
        return c;
    };

    auto receive_video = [&]() -> bool {
        while (true) {
            int r = avcodec_receive_frame(vdec, frame.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return true;
            if (r < 0)
                return true;  // a damaged frame; go on with the next packet
            std::int64_t pts = frame->best_effort_timestamp;
            if (pts != AV_NOPTS_VALUE)
                pts = Unwrap(av_rescale_q(pts, video_tb_, AVRational{1, kPtsHz}));
            else
                pts = next_pts != AV_NOPTS_VALUE ? next_pts : 0;
            next_pts = SatAdd(pts, frame_ticks);
            ClipDecoded(frame->pkt_pos, pts);
            FramePtr out = MakeFrame();
            av_frame_move_ref(out.get(), frame.get());
            std::optional<VRendRect> region;
            QImage picture = EarlyPicture(out.get(), pts, &region);
            if (!PushFrame(std::move(out), pts, generation, false, std::move(picture), region))
                return false;
        }
    };

    while (!fatal && !stopped) {
        rc = av_read_frame(fmt, pkt);
        if (rc == AVERROR_EXIT) {
            stopped = true;
            break;
        }
        if (rc < 0)
            break;  // end of input (or nothing more to make sense of)
        AVStream* st = fmt->streams[pkt->stream_index];
        if (vindex < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            vdec = TakeSpareDecoder(st);
            if (!vdec)
                vdec = open_decoder(st);
            if (!vdec) {
                fatal = true;
                av_packet_unref(pkt);
                break;
            }
            vindex = pkt->stream_index;
            std::lock_guard lock(m_);
            video_tb_ = st->time_base;
            const AVRational rate = st->avg_frame_rate.num > 0 ? st->avg_frame_rate : st->r_frame_rate;
            if (!our_header_ && rate.num > 0 && rate.den > 0 && av_q2d(rate) >= 1 && av_q2d(rate) <= 240)
                frame_ticks = std::max<std::int64_t>(1, av_rescale(kPtsHz, rate.den, rate.num));
            frame_ticks_ = frame_ticks;
            video_par_ = avcodec_parameters_alloc();
            avcodec_parameters_copy(video_par_, st->codecpar);
        }
        if (aindex < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && g_sound_port == number_) {
            adec = open_decoder(st);
            aindex = adec ? pkt->stream_index : -2;
        }
        // The record's number of the packet rides with it through the decoder to its picture.
        const std::int64_t clip_seq = RecordForClip(st, pkt, pkt->stream_index == vindex);
        if (pkt->stream_index == vindex) {
            std::int64_t pts = pkt->pts != AV_NOPTS_VALUE
                                   ? Unwrap(av_rescale_q(pkt->pts, st->time_base, AVRational{1, kPtsHz}))
                                   : AV_NOPTS_VALUE;
            AddHistory(pkt, pts);
            static constexpr AVDiscard kDiscard[3] = {AVDISCARD_DEFAULT, AVDISCARD_BIDIR, AVDISCARD_NONREF};
            vdec->skip_frame = kDiscard[std::clamp(throw_b_.load(), 0, 2)];
            pkt->pos = clip_seq;
            avcodec_send_packet(vdec, pkt);
            if (!receive_video())
                stopped = true;
        } else if (pkt->stream_index == aindex && adec && g_sound_port == number_) {
            if (avcodec_send_packet(adec, pkt) >= 0) {
                while (avcodec_receive_frame(adec, frame.get()) >= 0) {
                    std::int64_t pts = frame->best_effort_timestamp;
                    pts = pts == AV_NOPTS_VALUE ? 0 : Unwrap(av_rescale_q(pts, st->time_base, AVRational{1, kPtsHz}));
                    AudioFrame(frame.get(), pts, &swr);
                    av_frame_unref(frame.get());
                }
            }
        }
        av_packet_unref(pkt);
    }

    if (!stopped && vdec) {  // end of input: drain the decoder so the last frames are shown
        avcodec_send_packet(vdec, nullptr);
        if (receive_video()) {
            // A start after the last frame of the stream shows that last frame rather than nothing.
            Queued last;
            {
                std::lock_guard lock(m_);
                if (start_pts_ != AV_NOPTS_VALUE && generation == generation_) {
                    last = std::move(last_before_start_);
                    last_before_start_ = Queued{};
                    start_pts_ = AV_NOPTS_VALUE;
                    if (last.frame)
                        --stats_.frames_before_start;
                }
            }
            if (last.frame)
                PushFrame(std::move(last.frame), last.pts, generation, true);
        }
    }
    bool nothing_decoded;
    {
        std::lock_guard lock(m_);
        nothing_decoded = stats_.frames_decoded == 0;
    }
    if (!stopped && (fatal || nothing_decoded))
        SetError(VREND_ERR_DECODER);

    // A stream we cannot use is still consumed, so the feeder is never blocked by a full ring;
    // between blocks, and once the stream has ended, the thread sleeps until the port closes or
    // resets.
    if (!stopped) {
        std::unique_lock lock(m_);
        while (true) {
            ring_head_ = ring_size_ = 0;
            holding_ = false;
            decoder_waiting_ = true;
            Wait(lock, decode_cv_, [&] { return pipeline_stop_ || generation != generation_ || ring_size_ > 0; });
            if (pipeline_stop_ || generation != generation_)
                break;
        }
    }
    av_packet_free(&pkt);
    // Kept for the next stream: a file change then needs no new tables (a decoder's are 5 to 10 MB
    // at 1080p, made and zeroed afresh). Flushed now, so it holds no pictures.
    if (vdec) {
        avcodec_flush_buffers(vdec);
        avcodec_free_context(&spare_vdec_);
        spare_vdec_ = vdec;
        vdec = nullptr;
    }
    avcodec_free_context(&adec);
    swr_free(&swr);
    if (fmt)
        avformat_close_input(&fmt);
    if (io) {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
}

AVCodecContext* Port::TakeSpareDecoder(const AVStream* st)
{
    AVCodecContext* c = std::exchange(spare_vdec_, nullptr);
    if (!c)
        return nullptr;
    const AVCodecParameters* par = st->codecpar;
    const bool same_setup =
        c->codec_id == par->codec_id && c->extradata_size == par->extradata_size &&
        (par->extradata_size == 0 ||
         std::memcmp(c->extradata, par->extradata, static_cast<std::size_t>(par->extradata_size)) == 0);
    if (!same_setup) {
        avcodec_free_context(&c);
        return nullptr;
    }
    c->pkt_timebase = st->time_base;
    return c;
}

// A shrunk picture is made from the decoded one while that is fresh in the processor's caches: read
// again when its time comes, most of a large picture comes from memory, and reading it is most of
// what a tile's picture costs. Made for the few frames next in the queue only, and not while the
// presenter drops late frames (it would make pictures never shown).
QImage Port::EarlyPicture(const AVFrame* frame, std::int64_t pts, std::optional<VRendRect>* region)
{
    // Three: the two frames of 1080p the queue holds and the one the decode thread waits to queue.
    constexpr std::ptrdiff_t kEarlyPictures = 3;
    std::uint32_t window;
    {
        std::lock_guard lock(m_);
        if (!playing_ || !window_ || early_pause_ > 0 || (start_pts_ != AV_NOPTS_VALUE && pts < start_pts_) ||
            std::count_if(queue_.begin(), queue_.end(), [](const Queued& q) { return !q.picture.isNull(); }) >=
                kEarlyPictures)
            return {};
        window = window_;
        *region = RegionForLocked(frame);
    }
    const QSize size = surfaces::PixelSize(window);
    const int w = *region ? (*region)->right - (*region)->left : frame->width;
    const int h = *region ? (*region)->bottom - (*region)->top : frame->height;
    if (size.isEmpty() || size.width() * 2 > w || size.height() * 2 > h)
        return {};  // not shrunk much: the presenter's conversion costs about as much
    return FrameToImage(frame, *region ? &**region : nullptr, size, &early_scaler_, images_.get());
}

bool Port::PushFrame(FramePtr frame, std::int64_t pts, std::uint64_t generation, bool counted, QImage picture,
                     std::optional<VRendRect> picture_region)
{
    std::unique_lock lock(m_);
    if (generation == generation_ && !counted && frame_pts_.size() < kMaxFramePts)
        frame_pts_.insert(pts);
    if (start_pts_ != AV_NOPTS_VALUE && generation == generation_) {
        if (pts < start_pts_) {
            // Before a positioned start: decoded (the decoder needs it), never shown or waited for.
            ++stats_.frames_decoded;
            ++stats_.frames_before_start;
            pic_w_ = frame->width;
            pic_h_ = frame->height;
            last_before_start_ = Queued{std::move(frame), pts};
            return true;
        }
        start_pts_ = AV_NOPTS_VALUE;
        last_before_start_ = Queued{};
    }
    Wait(lock, decode_cv_, [&] {
        return pipeline_stop_ || generation != generation_ ||
               (queue_.size() < display_buf_ && queue_bytes_ < kQueueMaxBytes) || queue_.empty();
    });
    if (pipeline_stop_ || generation != generation_)
        return false;
    pic_w_ = frame->width;
    pic_h_ = frame->height;
    queue_bytes_ += FrameBytes(frame.get());
    // Only a new first frame changes what the presenter waits for.
    const bool new_front = queue_.empty();
    queue_.push_back({std::move(frame), pts, std::move(picture), picture_region});
    // Came before it was due: the presenter's dry spell ended in time.
    if (starved_ && !FrontDueLocked())
        starved_ = false;
    if (queue_.size() >= 2)
        primed_ = true;
    if (!counted)
        ++stats_.frames_decoded;
    lock.unlock();
    if (new_front)
        present_cv_.notify_all();
    return true;
}

void Port::AudioFrame(const AVFrame* frame, std::int64_t pts, SwrContext** swr)
{
    if (!*swr) {
        AVChannelLayout out_layout = AV_CHANNEL_LAYOUT_STEREO;
        if (swr_alloc_set_opts2(swr, &out_layout, AV_SAMPLE_FMT_S16, kAudioRate,
                                const_cast<AVChannelLayout*>(&frame->ch_layout),
                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
            swr_init(*swr) < 0) {
            swr_free(swr);
            return;
        }
    }
    const int max_out =
        static_cast<int>(av_rescale_rnd(frame->nb_samples, kAudioRate, frame->sample_rate, AV_ROUND_UP)) + 256;
    AudioChunk chunk;
    chunk.pts = pts;
    chunk.pcm.resize(static_cast<std::size_t>(max_out) * kAudioChannels);
    std::uint8_t* out = reinterpret_cast<std::uint8_t*>(chunk.pcm.data());
    int n = swr_convert(*swr, &out, max_out, const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    if (n <= 0)
        return;
    chunk.pcm.resize(static_cast<std::size_t>(n) * kAudioChannels);
    bool first;
    {
        std::lock_guard lock(m_);
        first = audio_.empty();
        audio_.push_back(std::move(chunk));
        while (audio_.size() > kAudioMaxChunks)
            audio_.pop_front();
    }
    // The presenter times its sleep by the first sound chunk waiting; without one it sleeps on.
    if (first)
        present_cv_.notify_all();
}

}  // namespace vrend
