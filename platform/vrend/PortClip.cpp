// A port's clip: the record of the packets the decoder demuxed, what a running clip hands over as
// the port shows it, and the clip thread that muxes those packets again into MPEG-TS and calls the
// clip callback.
//
// What a clip holds is tied to what the presenter shows, not to what was fed: the ring and the
// decoded queue run ahead of the picture (a minute or more of a low-rate stream), so the fed bytes
// would hold other minutes than the ones shown. A clip starts at the keyframe at or before the
// picture shown when it starts (the record reaches back as far as the step-back history) and hands
// a packet over once the presenter has shown its picture; when it stops, or the stream ends, it
// hands over everything up to the picture shown last.
#include "platform/vrend/Port.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>

#include "platform/vrend/PortDetail.h"

namespace vrend {

using namespace port_detail;

namespace {

// The record reaches as far back as the step-back history: at least two groups of pictures, at
// most eight or its byte limit. Beyond the hard limit it is cut whatever the groups (a stream
// whose keyframes are far apart).
constexpr int kRecordMinKeys = 2;
constexpr int kRecordMaxKeys = 8;
constexpr std::size_t kRecordMaxBytes = 64u << 20;
// Packets a started clip has not handed over yet. Beyond this the decoder waits for the clip's
// writer (a disk slower than the stream): the clip loses nothing and memory stays bounded.
constexpr std::size_t kClipPendingMaxBytes = 48u << 20;
// A group of pictures larger than this goes out in several blocks.
constexpr std::size_t kClipGroupMaxBytes = 16u << 20;
constexpr int kClipIoBytes = 188 * 64;
// A sound stream the demuxer has not fully described still needs a rate for the muxer; MPEG-TS
// sound carries its own in every frame.
constexpr int kPlaceholderSampleRate = 48000;

// One run of MPEG-TS at a time, gathered a group of pictures at a time and handed to the callback.
class ClipMuxer {
public:
    ClipMuxer(int port, VRendClipFn fn, void* user) : port_(port), fn_(fn), user_(user) {}
    ~ClipMuxer() { EndRun(); }
    ClipMuxer(const ClipMuxer&) = delete;
    ClipMuxer& operator=(const ClipMuxer&) = delete;

    void Put(const std::shared_ptr<const ClipRun>& run, ClipPacket& p)
    {
        if (run != run_) {
            EndRun();
            run_ = run;
            fn_(port_, VREND_CLIP_HEADER, run_->header, sizeof run_->header, -1, user_);
        }
        if (failed_)
            return;
        if (p.video && p.key) {
            if (!oc_ && !Open()) {
                failed_ = true;
                return;
            }
            // The group before is whole: it goes out before the keyframe, which the program tables
            // precede, so that a file may begin with it.
            Flush();
            Emit();
            av_opt_set(oc_->priv_data, "mpegts_flags", "+resend_headers", 0);
            type_ = VREND_CLIP_KEY;
            time_ms_ = p.time_ms;
            keyed_ = true;
        }
        if (!keyed_)
            return;  // nothing before the first keyframe
        Write(p);
        if (out_.size() >= kClipGroupMaxBytes) {
            Emit();
            type_ = VREND_CLIP_DATA;
        }
    }

    // The run's stream ended: the last group goes out, the muxer closes.
    void EndRun()
    {
        if (oc_) {
            av_write_frame(oc_, nullptr);
            av_write_trailer(oc_);
            avio_flush(oc_->pb);
            Emit();
            Free();
        }
        run_.reset();
        failed_ = keyed_ = false;
        type_ = 0;
        last_dts_[0] = last_dts_[1] = AV_NOPTS_VALUE;
    }

private:
    static int WriteOut(void* opaque, std::uint8_t* buf, int size)
    {
        auto* self = static_cast<ClipMuxer*>(opaque);
        self->out_.insert(self->out_.end(), buf, buf + size);
        return size;
    }

    bool Open()
    {
        if (!run_->video_par)
            return false;
        if (OpenWith(run_->audio_par != nullptr))
            return true;
        // A sound stream the muxer does not take leaves the pictures.
        return run_->audio_par && OpenWith(false);
    }

    bool OpenWith(bool audio)
    {
        if (avformat_alloc_output_context2(&oc_, nullptr, "mpegts", nullptr) < 0 || !oc_)
            return false;
        auto* buf = static_cast<std::uint8_t*>(av_malloc(kClipIoBytes));
        oc_->pb =
            buf ? avio_alloc_context(buf, kClipIoBytes, 1, this, nullptr, &ClipMuxer::WriteOut, nullptr) : nullptr;
        if (!oc_->pb) {
            av_free(buf);
            Free();
            return false;
        }
        oc_->flags |= AVFMT_FLAG_CUSTOM_IO;
        AVStream* vs = avformat_new_stream(oc_, nullptr);
        if (!vs || avcodec_parameters_copy(vs->codecpar, run_->video_par.get()) < 0)
            return Free(), false;
        vs->codecpar->codec_tag = 0;
        vs->time_base = run_->video_tb;
        vout_ = vs->index;
        if (audio) {
            AVStream* as = avformat_new_stream(oc_, nullptr);
            if (!as || avcodec_parameters_copy(as->codecpar, run_->audio_par.get()) < 0)
                return Free(), false;
            as->codecpar->codec_tag = 0;
            if (as->codecpar->sample_rate <= 0)
                as->codecpar->sample_rate = kPlaceholderSampleRate;
            as->time_base = run_->audio_tb;
            aout_ = as->index;
        }
        // The stream's own times, as the recording carries them: the header still times the clip.
        AVDictionary* opts = nullptr;
        av_dict_set(&opts, "mpegts_copyts", "1", 0);
        const int rc = avformat_write_header(oc_, &opts);
        av_dict_free(&opts);
        if (rc < 0)
            return Free(), false;
        return true;
    }

    void Write(ClipPacket& p)
    {
        const int index = p.video ? vout_ : aout_;
        if (index < 0)
            return;
        const AVRational in_tb = p.video ? run_->video_tb : run_->audio_tb;
        if (p.video && p.key && p.params && !p.params->empty()) {
            // A keyframe without the stream's parameter sets gets the last ones before it.
            PacketPtr joined(av_packet_alloc());
            if (joined && av_new_packet(joined.get(), static_cast<int>(p.params->size()) + p.pkt->size) == 0) {
                std::memcpy(joined->data, p.params->data(), p.params->size());
                std::memcpy(joined->data + p.params->size(), p.pkt->data, static_cast<std::size_t>(p.pkt->size));
                av_packet_copy_props(joined.get(), p.pkt.get());
                p.pkt = std::move(joined);
            }
        }
        AVPacket* pkt = p.pkt.get();
        pkt->stream_index = index;
        pkt->pos = -1;
        // A packet without times gets the one the record estimated (the picture before and one frame
        // on, along the demux order), so no picture is lost for want of a time.
        if (pkt->dts == AV_NOPTS_VALUE)
            pkt->dts = pkt->pts;
        if (pkt->dts == AV_NOPTS_VALUE && p.pts != AV_NOPTS_VALUE)
            pkt->dts = av_rescale_q(p.pts, AVRational{1, kPtsHz}, in_tb);
        av_packet_rescale_ts(pkt, in_tb, oc_->streams[index]->time_base);
        // The muxer takes each stream's times only growing: a time that does not grow is moved on by
        // a tick rather than the picture left out.
        std::int64_t& last = last_dts_[p.video ? 0 : 1];
        if (pkt->dts == AV_NOPTS_VALUE || (last != AV_NOPTS_VALUE && pkt->dts <= last)) {
            if (last == AV_NOPTS_VALUE)
                return;
            pkt->dts = last + 1;
        }
        if (pkt->pts == AV_NOPTS_VALUE || pkt->pts < pkt->dts)
            pkt->pts = pkt->dts;
        last = pkt->dts;
        av_write_frame(oc_, pkt);
    }

    void Flush()
    {
        av_write_frame(oc_, nullptr);
        avio_flush(oc_->pb);
    }

    void Emit()
    {
        if (!out_.empty() && type_ != 0)
            fn_(port_, type_, out_.data(), static_cast<std::uint32_t>(out_.size()),
                type_ == VREND_CLIP_KEY ? time_ms_ : -1, user_);
        out_.clear();
    }

    void Free()
    {
        if (oc_) {
            if (oc_->pb) {
                av_freep(&oc_->pb->buffer);
                avio_context_free(&oc_->pb);
            }
            avformat_free_context(oc_);
        }
        oc_ = nullptr;
        vout_ = aout_ = -1;
    }

    const int port_;
    const VRendClipFn fn_;
    void* const user_;
    std::shared_ptr<const ClipRun> run_;
    AVFormatContext* oc_ = nullptr;
    int vout_ = -1, aout_ = -1;
    bool failed_ = false;  // the run's stream cannot be muxed: it is left out
    bool keyed_ = false;   // the run's first keyframe has been written
    int type_ = 0;         // what out_ holds: VREND_CLIP_KEY, VREND_CLIP_DATA, or 0 for nothing
    std::int64_t time_ms_ = -1;
    std::vector<std::uint8_t> out_;
    std::int64_t last_dts_[2] = {AV_NOPTS_VALUE, AV_NOPTS_VALUE};
};

}  // namespace

ParPtr CopyPar(const AVCodecParameters* par)
{
    if (!par)
        return nullptr;
    AVCodecParameters* copy = avcodec_parameters_alloc();
    if (!copy)
        return nullptr;
    if (avcodec_parameters_copy(copy, par) < 0) {
        avcodec_parameters_free(&copy);
        return nullptr;
    }
    return ParPtr(copy, ParDeleter());
}

std::vector<std::uint8_t> ParameterSets(AVCodecID codec, const std::uint8_t* data, std::size_t size)
{
    std::vector<std::uint8_t> out;
    if (!data || (codec != AV_CODEC_ID_H264 && codec != AV_CODEC_ID_HEVC && codec != AV_CODEC_ID_MPEG4))
        return out;
    auto next_start = [&](std::size_t from) {
        for (std::size_t i = from; i + 3 <= size; ++i)
            if (data[i] == 0 && data[i + 1] == 0 && data[i + 2] == 1)
                return i;
        return size;
    };
    for (std::size_t start = next_start(0); start < size;) {
        const std::size_t unit = start + 3;
        if (unit >= size)
            break;
        const std::uint8_t b = data[unit];
        bool param = false, picture = false;
        if (codec == AV_CODEC_ID_H264) {
            const int type = b & 0x1f;
            param = type == 7 || type == 8;
            picture = type >= 1 && type <= 5;
        } else if (codec == AV_CODEC_ID_HEVC) {
            const int type = (b >> 1) & 0x3f;
            param = type >= 32 && type <= 34;
            picture = type <= 31;
        } else {
            // Visual object sequence, visual object, video object and video object layer headers.
            param = b <= 0x2f || b == 0xb0 || b == 0xb5;
            picture = b == 0xb3 || b == 0xb6;
        }
        if (picture)
            break;  // before looking for its end: a picture is most of the packet
        const std::size_t next = next_start(unit);
        std::size_t end = next;
        while (end > unit + 1 && data[end - 1] == 0)
            --end;  // zeros before the next start code
        if (param) {
            if (codec != AV_CODEC_ID_MPEG4)
                out.push_back(0);
            out.insert(out.end(), {0, 0, 1});
            out.insert(out.end(), data + unit, data + end);
        }
        start = next;
    }
    return out;
}

// ---- The record (decode thread) ---------------------------------------------------------------

std::int64_t Port::RecordForClip(const AVStream* st, const AVPacket* pkt, bool video)
{
    const bool audio = !video && st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO;
    if ((!video && !audio) || !pkt->size)
        return -1;
    const bool key = video && (pkt->flags & AV_PKT_FLAG_KEY);
    // A demuxer may hand the parameter sets over in a packet of their own, before the keyframe.
    std::vector<std::uint8_t> params;
    if (video)
        params = ParameterSets(st->codecpar->codec_id, pkt->data, static_cast<std::size_t>(pkt->size));
    PacketPtr ref(av_packet_clone(pkt));
    if (!ref)
        return -1;
    std::unique_lock lock(m_);
    ClipState& c = clip_;
    if (audio) {
        if (c.audio_index < 0) {
            c.audio_index = pkt->stream_index;
            c.audio_par = CopyPar(st->codecpar);
            c.audio_tb = st->time_base;
        }
        if (pkt->stream_index != c.audio_index)
            return -1;
    }
    // On the port's time line, as Unwrap gives it, without fixing the time origin: the decoder
    // fixes that on the first picture.
    std::int64_t pts = AV_NOPTS_VALUE;
    if (pkt->pts != AV_NOPTS_VALUE) {
        pts = av_rescale_q(pkt->pts, st->time_base, AVRational{1, kPtsHz});
        if (timed_ && origin_known_)
            pts = SatAdd(header_.pts_origin, SF_PtsDistance(header_.pts_origin, pts));
    }
    const bool timed = pts != AV_NOPTS_VALUE;
    if (video) {
        if (!timed && c.last_video_pts != AV_NOPTS_VALUE)
            pts = SatAdd(c.last_video_pts, frame_ticks_);
        if (pts != AV_NOPTS_VALUE)
            c.last_video_pts = pts;
    }
    ClipPacket p;
    p.pkt = std::move(ref);
    p.seq = c.next_seq++;
    const std::int64_t seq = p.seq;
    p.pts = pts;
    p.timed = timed;
    p.video = video;
    p.key = key;
    if (key && params.empty())
        p.params = c.params;
    if (!params.empty())
        c.params = std::make_shared<const std::vector<std::uint8_t>>(std::move(params));
    const auto size = static_cast<std::size_t>(p.pkt->size);
    c.record.push_back(std::move(p));
    c.record_bytes += size;
    c.pending_bytes += size;
    if (key)
        ++c.record_keys;
    ClipTrimLocked();
    if (!c.active)
        return seq;
    ClipTryStartLocked();
    if (ClipDueLocked())
        clip_cv_.notify_all();
    // A writer slower than the stream holds the decoder back rather than losing what is shown. The
    // clip thread wakes it as it hands packets over; a stop of the pipeline within a tick.
    while (!pipeline_stop_ && c.active && c.started && c.pending_bytes > kClipPendingMaxBytes)
        clip_cv_.wait_for(lock, std::chrono::milliseconds(50));
    return seq;
}

// The decoder gave the picture of packet `seq` the time `pts`: a packet without a time of its own
// takes it (in a stream that reorders its pictures an estimate along the demux order is wrong).
void Port::ClipDecoded(std::int64_t seq, std::int64_t pts)
{
    std::lock_guard lock(m_);
    ClipState& c = clip_;
    if (seq < 0 || c.record.empty())
        return;
    const std::int64_t i = seq - c.record.front().seq;
    if (i < 0 || i >= static_cast<std::int64_t>(c.record.size()))
        return;
    ClipPacket& p = c.record[static_cast<std::size_t>(i)];
    if (p.video && !p.timed)
        p.pts = pts;
}

void Port::ClipTrimLocked()
{
    ClipState& c = clip_;
    // What a started clip has yet to hand over stays.
    auto may_drop = [&] { return !c.record.empty() && !(c.active && c.started && c.record.front().seq >= c.take); };
    auto drop_front = [&] {
        const ClipPacket& f = c.record.front();
        const auto size = static_cast<std::size_t>(f.pkt->size);
        if (f.video && f.key)
            --c.record_keys;
        c.record_bytes -= size;
        if (f.seq >= c.take) {
            c.pending_bytes -= size;
            c.take = f.seq + 1;
        }
        c.record.pop_front();
    };
    // Whole groups of pictures, as the step-back history forgets them.
    while (c.record_keys > kRecordMinKeys && (c.record_bytes > kHistoryMaxBytes || c.record_keys > kRecordMaxKeys) &&
           may_drop()) {
        drop_front();
        while (may_drop() && !(c.record.front().video && c.record.front().key))
            drop_front();
    }
    while (c.record_bytes > kRecordMaxBytes && may_drop())
        drop_front();
}

// ---- The clip under m_ ---------------------------------------------------------------------------

void Port::ClipShownLocked(std::int64_t pts)
{
    ClipState& c = clip_;
    c.shown = pts;
    if (!c.active || pts <= c.high)
        return;
    c.high = pts;
    ClipTryStartLocked();
    if (c.started)
        clip_cv_.notify_all();
}

// The clip of the current stream begins at the last keyframe at or before the latest picture
// shown; when the record no longer reaches back to one, at the first keyframe it holds.
void Port::ClipTryStartLocked()
{
    ClipState& c = clip_;
    if (!c.active || c.started || c.high < 0 || !video_par_)
        return;
    const ClipPacket* chosen = nullptr;
    for (const ClipPacket& p : c.record) {
        if (p.seq < c.take || !p.video || !p.key)
            continue;
        if (chosen && p.pts != AV_NOPTS_VALUE && p.pts > c.high)
            break;
        chosen = &p;
        if (p.pts != AV_NOPTS_VALUE && p.pts > c.high)
            break;
    }
    if (!chosen)
        return;  // no keyframe yet: the next one starts it
    for (const ClipPacket& p : c.record) {
        if (p.seq >= chosen->seq)
            break;
        if (p.seq >= c.take)
            c.pending_bytes -= static_cast<std::size_t>(p.pkt->size);
    }
    c.take = chosen->seq;
    c.started = true;
    auto run = std::make_shared<ClipRun>();
    if (our_header_) {
        SF_StreamHeader h = header_;
        h.container = SF_CONTAINER_MPEGTS;
        SF_SerialiseHeader(&h, run->header);
    } else {
        std::memcpy(run->header, header_bytes_.data(), std::min(header_bytes_.size(), sizeof run->header));
    }
    run->video_par = CopyPar(video_par_);
    run->video_tb = video_tb_;
    run->audio_par = c.audio_par;
    run->audio_tb = c.audio_tb;
    c.run = std::move(run);
}

bool Port::ClipDueLocked() const
{
    const ClipState& c = clip_;
    if (!c.started || c.record.empty())
        return false;
    const std::int64_t i = c.take - c.record.front().seq;
    if (i < 0 || i >= static_cast<std::int64_t>(c.record.size()))
        return false;
    const ClipPacket& p = c.record[static_cast<std::size_t>(i)];
    return p.pts == AV_NOPTS_VALUE || p.pts <= c.high;
}

// The packets whose pictures have been shown, in demux order, as copies. `last`: the clip or the
// stream ends: everything up to the last picture shown and the sound beside it.
std::vector<ClipPacket> Port::ClipTakeLocked(bool last)
{
    ClipState& c = clip_;
    std::vector<ClipPacket> out;
    if (!c.started || c.record.empty())
        return out;
    const std::size_t first = static_cast<std::size_t>(std::max<std::int64_t>(0, c.take - c.record.front().seq));
    auto due = [&](const ClipPacket& p) { return p.pts == AV_NOPTS_VALUE || p.pts <= c.high; };
    std::size_t end = first;
    if (!last) {
        while (end < c.record.size() && due(c.record[end]))
            ++end;
    } else {
        for (std::size_t i = first; i < c.record.size(); ++i)
            if (c.record[i].video && due(c.record[i]))
                end = i + 1;
        // With B-frames a reference picture after the one shown comes before it: the pictures up to
        // that one complete the clip without a gap. The sound goes as far as the pictures.
        std::int64_t limit = c.high;
        for (std::size_t i = first; i < end; ++i)
            if (c.record[i].video && c.record[i].pts != AV_NOPTS_VALUE)
                limit = std::max(limit, c.record[i].pts);
        while (end < c.record.size() && c.record[end].pts != AV_NOPTS_VALUE && c.record[end].pts <= limit)
            ++end;
    }
    out.reserve(end - first);
    for (std::size_t i = first; i < end; ++i) {
        const ClipPacket& p = c.record[i];
        ClipPacket q;
        q.pkt.reset(av_packet_clone(p.pkt.get()));
        c.pending_bytes -= static_cast<std::size_t>(p.pkt->size);
        if (!q.pkt)
            continue;
        q.seq = p.seq;
        q.pts = p.pts;
        q.timed = p.timed;
        q.video = p.video;
        q.key = p.key;
        q.params = p.params;
        q.time_ms = p.key ? ClipTimeMsLocked(p.pts) : -1;
        out.push_back(std::move(q));
    }
    if (end > first)
        c.take = c.record[end - 1].seq + 1;
    return out;
}

std::int64_t Port::ClipTimeMsLocked(std::int64_t pts) const
{
    if (pts == AV_NOPTS_VALUE || !timed_ || !origin_known_)
        return -1;
    return SatAdd(SatMul(header_.start_time, 1000), SatSub(pts, header_.pts_origin) / (kPtsHz / 1000));
}

// The stream ends (close or reset; its threads are stopped): what it showed goes to the clip
// thread, and the record starts again with the next stream.
void Port::ClipStreamEndsLocked()
{
    ClipState& c = clip_;
    if (c.active && c.run) {
        ClipWork w;
        w.run = c.run;
        w.packets = ClipTakeLocked(true);
        w.ends = true;
        c.work.push_back(std::move(w));
        clip_cv_.notify_all();
    }
    c.run.reset();
    c.started = false;
    c.high = -1;
    c.record.clear();
    c.record_bytes = c.pending_bytes = 0;
    c.record_keys = 0;
    c.take = c.next_seq;
    c.params.reset();
    c.audio_index = -1;
    c.audio_par.reset();
    c.last_video_pts = AV_NOPTS_VALUE;
    c.shown = -1;
}

// ---- Start, stop and the clip thread -----------------------------------------------------------

// Under clip_api_: the running clip ends (its last blocks handed over) and its thread is joined.
bool Port::EndClipLocked()
{
    if (!clip_thread_.joinable())
        return false;
    {
        std::lock_guard lock(m_);
        clip_.stop = true;
    }
    clip_cv_.notify_all();
    clip_thread_.join();
    {
        std::lock_guard lock(m_);
        ClipState& c = clip_;
        c.active = c.stop = c.started = false;
        c.fn = nullptr;
        c.user = nullptr;
        c.run.reset();
        c.high = -1;
        c.work.clear();
    }
    clip_cv_.notify_all();  // a decoder the clip held back goes on
    return true;
}

bool Port::StartClip(VRendClipFn fn, void* user)
{
    std::lock_guard api(clip_api_);
    EndClipLocked();
    {
        std::lock_guard lock(m_);
        ClipState& c = clip_;
        c.active = true;
        c.fn = fn;
        c.user = user;
        c.take = c.record.empty() ? c.next_seq : c.record.front().seq;
        c.pending_bytes = c.record_bytes;
        c.high = c.shown;
        ClipTryStartLocked();
    }
    clip_thread_ = std::thread([this] { ClipMain(); });
    SetError(VREND_OK);
    return true;
}

bool Port::StopClip()
{
    std::lock_guard api(clip_api_);
    return EndClipLocked();
}

void Port::ClipMain()
{
    VRendClipFn fn;
    void* user;
    {
        std::lock_guard lock(m_);
        fn = clip_.fn;
        user = clip_.user;
    }
    ClipMuxer mux(number_, fn, user);
    std::unique_lock lock(m_);
    while (true) {
        clip_cv_.wait(lock, [&] { return clip_.stop || !clip_.work.empty() || ClipDueLocked(); });
        std::deque<ClipWork> todo;
        todo.swap(clip_.work);
        const bool stopping = clip_.stop;
        if (clip_.run) {
            ClipWork w;
            w.run = clip_.run;
            w.packets = ClipTakeLocked(stopping);
            w.ends = stopping;
            todo.push_back(std::move(w));
        }
        clip_cv_.notify_all();  // room for a decoder the clip held back
        lock.unlock();
        for (ClipWork& w : todo) {
            for (ClipPacket& p : w.packets)
                mux.Put(w.run, p);
            if (w.ends)
                mux.EndRun();
        }
        todo.clear();
        if (stopping)
            return;
        lock.lock();
    }
}

}  // namespace vrend
