#include "platform/vrend/Port.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <limits>
#include <chrono>
#include <cstring>

#include "platform/vrend/VideoSurface.h"

namespace vrend {

namespace {

constexpr std::int64_t kPtsHz = 90000;

// Arithmetic on times taken from a stream header, which is untrusted: saturates instead of
// overflowing.
std::int64_t SatAdd(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_add_overflow(a, b, &r)) return r;
  return b > 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}
std::int64_t SatSub(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_sub_overflow(a, b, &r)) return r;
  return b < 0 ? std::numeric_limits<std::int64_t>::max() : std::numeric_limits<std::int64_t>::min();
}
std::int64_t SatMul(std::int64_t a, std::int64_t b) {
  std::int64_t r = 0;
  if (!__builtin_mul_overflow(a, b, &r)) return r;
  return (a < 0) != (b < 0) ? std::numeric_limits<std::int64_t>::min() : std::numeric_limits<std::int64_t>::max();
}
constexpr std::size_t kQueueMaxBytes = 40u << 20;    // decoded frames waiting to be shown
constexpr std::size_t kHistoryMaxBytes = 16u << 20;  // packets kept for stepping back
constexpr std::size_t kAudioMaxChunks = 200;
constexpr std::size_t kBackCacheFrames = 6;  // decoded frames kept for further steps back
constexpr std::size_t kMaxFramePts = 4096;   // times of decoded frames kept for steps
constexpr std::int64_t kAudioLateTicks = kPtsHz / 10;  // 100 ms
constexpr std::int64_t kJumpTicks = 3 * kPtsHz;

struct AvFrameDeleter {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};

std::size_t FrameBytes(const AVFrame* f) {
  std::size_t n = 0;
  for (int i = 0; i < AV_NUM_DATA_POINTERS && f->buf[i]; ++i) n += f->buf[i]->size;
  return n;
}

}  // namespace

FramePtr MakeFrame() { return FramePtr(av_frame_alloc(), AvFrameDeleter()); }

QImage FrameToImage(const AVFrame* frame, const VRendRect* crop, QSize size, SwsContext** cache) {
  if (!frame || frame->width <= 0 || frame->height <= 0) return {};
  const auto fmt = static_cast<AVPixelFormat>(frame->format);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(fmt);
  if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL)) return {};
  int left = 0, top = 0, w = frame->width, h = frame->height;
  if (crop) {
    int l = std::clamp(crop->left, 0, frame->width - 1);
    int t = std::clamp(crop->top, 0, frame->height - 1);
    int r = std::clamp(crop->right, l + 1, frame->width);
    int b = std::clamp(crop->bottom, t + 1, frame->height);
    // Chroma planes are subsampled: start the crop on a whole chroma sample.
    l &= ~((1 << desc->log2_chroma_w) - 1);
    t &= ~((1 << desc->log2_chroma_h) - 1);
    left = l, top = t, w = r - l, h = b - t;
  }
  if (size.isEmpty()) size = QSize(w, h);
  const std::uint8_t* src[4] = {};
  int steps[4] = {};
  av_image_fill_max_pixsteps(steps, nullptr, desc);
  for (int i = 0; i < 4 && frame->data[i]; ++i) {
    const bool chroma = (i == 1 || i == 2) && !(desc->flags & AV_PIX_FMT_FLAG_RGB);
    const int sx = chroma ? desc->log2_chroma_w : 0;
    const int sy = chroma ? desc->log2_chroma_h : 0;
    src[i] = frame->data[i] + static_cast<std::ptrdiff_t>(top >> sy) * frame->linesize[i] +
             static_cast<std::ptrdiff_t>(left >> sx) * steps[i];
  }
  SwsContext* local = nullptr;
  SwsContext** ctx = cache ? cache : &local;
  *ctx = sws_getCachedContext(*ctx, w, h, fmt, size.width(), size.height(), AV_PIX_FMT_RGB32,
                              SWS_BILINEAR, nullptr, nullptr, nullptr);
  if (!*ctx) return {};
  QImage image(size, QImage::Format_RGB32);
  std::uint8_t* dst[4] = {image.bits(), nullptr, nullptr, nullptr};
  int dst_stride[4] = {static_cast<int>(image.bytesPerLine()), 0, 0, 0};
  sws_scale(*ctx, src, frame->linesize, 0, h, dst, dst_stride);
  if (local) sws_freeContext(local);
  return image;
}

Port::Port(int number) : number_(number) {}

Port::~Port() {
  Close();
  if (sws_) sws_freeContext(sws_);
}

// ---- Opening and closing ------------------------------------------------------------------------

bool Port::Open(const std::uint8_t* header, std::uint32_t size, std::uint32_t ring_bytes) {
  Close();
  if (!header || size < SF_HEADER_SIZE) {
    SetError(VREND_ERR_BAD_HEADER);
    return false;
  }
  if (ring_bytes < 4096 || ring_bytes > (256u << 20)) {
    SetError(VREND_ERR_BAD_PORT);
    return false;
  }
  SF_StreamHeader parsed;
  const bool ours = SF_ParseHeader(header, size, &parsed);
  {
    std::lock_guard lock(m_);
    header_ = ours ? parsed : SF_StreamHeader{};
    if (!ours) header_.start_time = 0, header_.pts_origin = 0;
    our_header_ = ours;
    timed_ = ours;
    origin_known_ = ours;
    // A header that is not ours is another recorder's, or the first bytes of a stream that has
    // none: which one, the first data block tells (see Input).
    header_bytes_.assign(header, header + (ours ? 0 : std::min<std::uint32_t>(size, SF_HEADER_SIZE)));
    container_ = ours ? header_.container : 0;
    ring_.assign(ring_bytes, 0);
    clock_ = CurrentClock();
    open_ = true;
    playing_ = paused_ = stepping_ = false;
    level_ = 0;
    region_.reset();
    first_pts_ = -1;
    start_pts_ = AV_NOPTS_VALUE;
    stats_ = PortStats{};
  }
  throw_b_ = 0;
  StartPipeline();
  SetError(VREND_OK);
  return true;
}

void Port::Close() {
  StopPipeline();
  std::uint32_t window = 0;
  {
    std::lock_guard lock(m_);
    if (!open_) return;
    open_ = false;
    playing_ = paused_ = stepping_ = false;
    window = window_;
    window_ = 0;
    ring_.clear();
    ring_.shrink_to_fit();
    ClearBuffers();
    shown_.reset();
    shown_pts_ = high_pts_ = -1;
    start_pts_ = AV_NOPTS_VALUE;
    packed_ = SF_NO_TIME;
    pic_w_ = pic_h_ = 0;
    if (video_par_) avcodec_parameters_free(&video_par_);
  }
  if (window) surfaces::Clear(window);
}

bool Port::IsOpen() {
  std::lock_guard lock(m_);
  return open_;
}

void Port::ClearBuffers() {
  ring_head_ = ring_size_ = 0;
  input_ended_ = false;
  holding_ = false;
  queue_.clear();
  queue_bytes_ = 0;
  audio_.clear();
  ClearHistory();
  back_cache_.clear();
  last_before_start_ = Queued{};
  in_flight_ = 0;
  step_requests_ = 0;
  back_request_ = false;
  anchored_ = false;
  starved_ = false;
  primed_ = false;
}

void Port::StartPipeline() {
  std::uint64_t gen;
  {
    std::lock_guard lock(m_);
    pipeline_stop_ = false;
    gen = ++generation_;
    decoder_waiting_ = false;
    prefix_pending_ = !our_header_;
  }
  decode_thread_ = std::thread([this, gen] { DecodeMain(gen); });
  present_thread_ = std::thread([this] { PresentMain(); });
}

void Port::StopPipeline() {
  {
    std::lock_guard lock(m_);
    pipeline_stop_ = true;
    ++generation_;
  }
  cv_.notify_all();
  if (decode_thread_.joinable()) decode_thread_.join();
  if (present_thread_.joinable()) present_thread_.join();
}

bool Port::Reset() {
  StopPipeline();
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    ClearBuffers();
    if (video_par_) avcodec_parameters_free(&video_par_);
  }
  FlushSound();
  StartPipeline();
  return true;
}

bool Port::SetStartTime(std::int64_t time) {
  std::lock_guard lock(m_);
  if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
  last_before_start_ = Queued{};
  if (time < 0 || !timed_ || !origin_known_) {
    start_pts_ = AV_NOPTS_VALUE;
    return true;
  }
  // Far-off times from a hostile header are clamped rather than overflowing.
  constexpr std::int64_t kMaxSeconds = std::int64_t(1) << 40;
  const std::int64_t seconds = std::clamp<std::int64_t>(SatSub(time, header_.start_time), -kMaxSeconds, kMaxSeconds);
  start_pts_ = SatAdd(header_.pts_origin, seconds * kPtsHz);
  return true;
}

bool Port::SetTimeOrigin(std::int64_t start_time, std::int64_t first_pts) {
  std::lock_guard lock(m_);
  if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
  if (our_header_) return SetError(VREND_ERR_STATE), false;  // our header times the stream
  if (start_time < 0) return SetError(VREND_ERR_BAD_PORT), false;
  timed_ = true;
  header_.start_time = start_time;
  origin_known_ = first_pts != VREND_NO_PTS;
  // A demuxer may give a PTS near 2^33 as a small negative one: the same 33-bit clock value.
  header_.pts_origin = origin_known_ ? (first_pts & (SF_PTS_WRAP - 1)) : 0;
  return true;
}

std::int64_t Port::Unwrap(std::int64_t pts) {
  std::lock_guard lock(m_);
  if (!timed_) return pts;
  if (!origin_known_) {
    // No first PTS given: the first picture that comes is the start.
    origin_known_ = true;
    header_.pts_origin = pts;
    return pts;
  }
  return SatAdd(header_.pts_origin, SF_PtsDistance(header_.pts_origin, pts));
}

bool Port::StartsStream(const std::uint8_t* data, std::size_t size) {
  if (SF_SniffContainer(data, size)) return true;
  // A program stream read from a picture's PES, without the pack before it.
  return size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] >= 0xbb;
}

// ---- Input ----------------------------------------------------------------------------------

bool Port::Input(const std::uint8_t* data, std::uint32_t size) {
  std::unique_lock lock(m_);
  if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
  if (!data && size) return SetError(VREND_ERR_BAD_PORT), false;
  if (input_ended_) return SetError(VREND_ERR_STATE), false;
  std::size_t prefix = 0;
  if (prefix_pending_ && size > 0) {
    // A block that starts a stream by itself (a start at a keyframe) does not need the header's
    // bytes; one that continues them (a file without a header, sent from byte 40) does, when
    // they start a stream. Another recorder's header is never the demuxer's business.
    const bool starts = StartsStream(data, size);
    if (!starts && StartsStream(header_bytes_.data(), header_bytes_.size())) prefix = header_bytes_.size();
    if (size + prefix > ring_.size() - ring_size_) return SetError(VREND_ERR_BUFFER_FULL), false;
    prefix_pending_ = false;
    container_ = prefix ? SF_SniffContainer(header_bytes_.data(), header_bytes_.size())
                        : SF_SniffContainer(data, size);
    if (container_ == 0 && starts) container_ = SF_CONTAINER_MPEGPS;  // a PES start code
    if (prefix) {
      for (std::size_t i = 0; i < prefix; ++i) ring_[(ring_head_ + ring_size_ + i) % ring_.size()] = header_bytes_[i];
      ring_size_ += prefix;
    }
  }
  if (size > ring_.size() - ring_size_) return SetError(VREND_ERR_BUFFER_FULL), false;
  std::size_t tail = (ring_head_ + ring_size_) % ring_.size();
  std::size_t first = std::min<std::size_t>(size, ring_.size() - tail);
  std::memcpy(ring_.data() + tail, data, first);
  std::memcpy(ring_.data(), data + first, size - first);
  ring_size_ += size;
  stats_.bytes_fed += size;
  lock.unlock();
  cv_.notify_all();
  return true;
}

bool Port::InputEnd() {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    input_ended_ = true;
    primed_ = true;
  }
  cv_.notify_all();
  return true;
}

std::uint32_t Port::Remain() {
  std::lock_guard lock(m_);
  if (!open_) return 0;
  std::size_t n = ring_size_ + queue_.size() + static_cast<std::size_t>(in_flight_) + (holding_ ? 1 : 0);
  return static_cast<std::uint32_t>(std::min<std::size_t>(n, 0xFFFFFFFFu));
}

int Port::ReadPacket(void* opaque, std::uint8_t* buf, int size) {
  return static_cast<Port*>(opaque)->ReadRing(buf, size);
}

int Port::ReadRing(std::uint8_t* buf, int size) {
  std::unique_lock lock(m_);
  const std::uint64_t gen = generation_;
  while (ring_size_ == 0 && !input_ended_ && !pipeline_stop_ && gen == generation_) {
    decoder_waiting_ = true;
    cv_.wait(lock);
  }
  decoder_waiting_ = false;
  if (pipeline_stop_ || gen != generation_) return AVERROR_EXIT;
  if (ring_size_ == 0) return AVERROR_EOF;
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

void Port::DecodeMain(std::uint64_t generation) {
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
    cv_.wait(lock, [&] { return !prefix_pending_ || input_ended_ || pipeline_stop_ || generation != generation_; });
    if (container_ == SF_CONTAINER_MPEGTS) ifmt = av_find_input_format("mpegts");
    if (container_ == SF_CONTAINER_MPEGPS) ifmt = av_find_input_format("mpeg");
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
    if (!codec) return nullptr;
    AVCodecContext* c = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(c, st->codecpar);
    c->pkt_timebase = st->time_base;
    if (st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      c->thread_count = 2;
      c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    }
    if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
    return c;
  };

  auto receive_video = [&]() -> bool {
    while (true) {
      int r = avcodec_receive_frame(vdec, frame.get());
      if (r == AVERROR(EAGAIN) || r == AVERROR_EOF) return true;
      if (r < 0) return true;  // a damaged frame; go on with the next packet
      std::int64_t pts = frame->best_effort_timestamp;
      if (pts != AV_NOPTS_VALUE) pts = Unwrap(av_rescale_q(pts, video_tb_, AVRational{1, kPtsHz}));
      else pts = next_pts != AV_NOPTS_VALUE ? next_pts : 0;
      next_pts = pts + frame_ticks;
      FramePtr out = MakeFrame();
      av_frame_move_ref(out.get(), frame.get());
      if (!PushFrame(std::move(out), pts, generation)) return false;
    }
  };

  while (!fatal && !stopped) {
    rc = av_read_frame(fmt, pkt);
    if (rc == AVERROR_EXIT) {
      stopped = true;
      break;
    }
    if (rc < 0) break;  // end of input (or nothing more to make sense of)
    AVStream* st = fmt->streams[pkt->stream_index];
    if (vindex < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
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
    if (pkt->stream_index == vindex) {
      std::int64_t pts = pkt->pts != AV_NOPTS_VALUE
                             ? Unwrap(av_rescale_q(pkt->pts, st->time_base, AVRational{1, kPtsHz}))
                             : AV_NOPTS_VALUE;
      AddHistory(pkt, pts);
      static constexpr AVDiscard kDiscard[3] = {AVDISCARD_DEFAULT, AVDISCARD_BIDIR, AVDISCARD_NONREF};
      vdec->skip_frame = kDiscard[std::clamp(throw_b_.load(), 0, 2)];
      avcodec_send_packet(vdec, pkt);
      if (!receive_video()) stopped = true;
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
          if (last.frame) --stats_.frames_before_start;
        }
      }
      if (last.frame) PushFrame(std::move(last.frame), last.pts, generation, true);
    }
  }
  bool nothing_decoded;
  {
    std::lock_guard lock(m_);
    nothing_decoded = stats_.frames_decoded == 0;
  }
  if (!stopped && (fatal || nothing_decoded)) SetError(VREND_ERR_DECODER);

  // A stream we cannot use is still consumed, so the feeder is never blocked by a full ring.
  if (!stopped) {
    std::unique_lock lock(m_);
    while (!pipeline_stop_ && generation == generation_) {
      ring_head_ = ring_size_ = 0;
      holding_ = false;
      decoder_waiting_ = true;
      cv_.notify_all();
      cv_.wait(lock);
    }
  }
  av_packet_free(&pkt);
  avcodec_free_context(&vdec);
  avcodec_free_context(&adec);
  swr_free(&swr);
  if (fmt) avformat_close_input(&fmt);
  if (io) {
    av_freep(&io->buffer);
    avio_context_free(&io);
  }
}

bool Port::PushFrame(FramePtr frame, std::int64_t pts, std::uint64_t generation, bool counted) {
  std::unique_lock lock(m_);
  if (generation == generation_ && !counted && frame_pts_.size() < kMaxFramePts) frame_pts_.insert(pts);
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
  cv_.wait(lock, [&] {
    return pipeline_stop_ || generation != generation_ ||
           (queue_.size() < display_buf_ && queue_bytes_ < kQueueMaxBytes) || queue_.empty();
  });
  if (pipeline_stop_ || generation != generation_) return false;
  pic_w_ = frame->width;
  pic_h_ = frame->height;
  queue_bytes_ += FrameBytes(frame.get());
  queue_.push_back({std::move(frame), pts});
  if (queue_.size() >= 2) primed_ = true;
  if (!counted) ++stats_.frames_decoded;
  lock.unlock();
  cv_.notify_all();
  return true;
}

void Port::AudioFrame(const AVFrame* frame, std::int64_t pts, SwrContext** swr) {
  if (!*swr) {
    AVChannelLayout out_layout = AV_CHANNEL_LAYOUT_STEREO;
    if (swr_alloc_set_opts2(swr, &out_layout, AV_SAMPLE_FMT_S16, kAudioRate, const_cast<AVChannelLayout*>(&frame->ch_layout),
                            static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0, nullptr) < 0 ||
        swr_init(*swr) < 0) {
      swr_free(swr);
      return;
    }
  }
  const int max_out = static_cast<int>(av_rescale_rnd(frame->nb_samples, kAudioRate, frame->sample_rate, AV_ROUND_UP)) + 256;
  AudioChunk chunk;
  chunk.pts = pts;
  chunk.pcm.resize(static_cast<std::size_t>(max_out) * kAudioChannels);
  std::uint8_t* out = reinterpret_cast<std::uint8_t*>(chunk.pcm.data());
  int n = swr_convert(*swr, &out, max_out, const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
  if (n <= 0) return;
  chunk.pcm.resize(static_cast<std::size_t>(n) * kAudioChannels);
  std::lock_guard lock(m_);
  audio_.push_back(std::move(chunk));
  while (audio_.size() > kAudioMaxChunks) audio_.pop_front();
}

// ---- History for stepping back --------------------------------------------------------------------

void Port::AddHistory(const AVPacket* pkt, std::int64_t pts) {
  std::lock_guard lock(m_);
  if ((pkt->flags & AV_PKT_FLAG_KEY) || history_.empty()) {
    history_.push_back(Gop{});
    history_.back().key_pts = pts;
  }
  // Forget old groups, but keep at least the two last ones.
  while (history_.size() > 2 && (history_bytes_ > kHistoryMaxBytes || history_.size() > 8)) {
    for (Packet& p : history_.front().packets) av_packet_free(&p.pkt);
    history_bytes_ -= history_.front().bytes;
    history_.pop_front();
    if (history_.front().key_pts != AV_NOPTS_VALUE)
      frame_pts_.erase(frame_pts_.begin(), frame_pts_.lower_bound(history_.front().key_pts));
  }
  AVPacket* copy = av_packet_clone(pkt);
  if (!copy) return;
  history_.back().packets.push_back({copy, pts});
  history_.back().bytes += static_cast<std::size_t>(pkt->size);
  history_bytes_ += static_cast<std::size_t>(pkt->size);
}

void Port::ClearHistory() {
  for (Gop& g : history_)
    for (Packet& p : g.packets) av_packet_free(&p.pkt);
  history_.clear();
  history_bytes_ = 0;
  frame_pts_.clear();
}

// The frames to step to are the ones the decoder gave, not the packets' times: pictures of other
// muxers may come without a PTS, and a program stream packs several pictures into one packet.
std::int64_t Port::PrevPts(std::int64_t pts) {
  if (history_.empty() || history_.front().key_pts == AV_NOPTS_VALUE) return -1;
  auto it = frame_pts_.lower_bound(pts);
  if (it == frame_pts_.begin()) return -1;
  --it;
  return *it >= history_.front().key_pts ? *it : -1;
}

std::int64_t Port::NextPts(std::int64_t pts) {
  auto it = frame_pts_.upper_bound(pts);
  return it == frame_pts_.end() ? -1 : *it;
}

// Decodes the recent packets again from the keyframe before `target_pts` until that frame
// comes out. Runs on the presenter thread with m_ released.
FramePtr Port::DecodeFromHistory(std::int64_t target_pts) {
  {
    std::lock_guard lock(m_);
    for (const Queued& q : back_cache_)
      if (q.pts == target_pts) return q.frame;
  }
  std::vector<AVPacket*> packets;
  AVCodecParameters* par = avcodec_parameters_alloc();
  AVRational tb;
  {
    std::lock_guard lock(m_);
    std::size_t start = history_.size();
    for (std::size_t i = 0; i < history_.size(); ++i)
      if (history_[i].key_pts != AV_NOPTS_VALUE && history_[i].key_pts <= target_pts) start = i;
    if (start == history_.size() || !video_par_) {
      avcodec_parameters_free(&par);
      return nullptr;
    }
    for (std::size_t i = start; i < history_.size(); ++i)
      for (const Packet& p : history_[i].packets) packets.push_back(av_packet_clone(p.pkt));
    avcodec_parameters_copy(par, video_par_);
    tb = video_tb_;
  }
  FramePtr result;
  const AVCodec* codec = avcodec_find_decoder(par->codec_id);
  AVCodecContext* c = codec ? avcodec_alloc_context3(codec) : nullptr;
  if (c) {
    avcodec_parameters_to_context(c, par);
    c->pkt_timebase = tb;
    c->thread_count = 2;
    c->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    if (avcodec_open2(c, codec, nullptr) < 0) avcodec_free_context(&c);
  }
  // The frames just before the target are kept too: the next steps back are then immediate.
  std::deque<Queued> recent;
  if (c) {
    FramePtr f = MakeFrame();
    // Pictures without a time are timed as the decoding thread times them: one frame on.
    std::int64_t next_pts = AV_NOPTS_VALUE;
    auto drain = [&] {
      while (!result && avcodec_receive_frame(c, f.get()) >= 0) {
        std::int64_t pts = f->best_effort_timestamp;
        if (pts != AV_NOPTS_VALUE) pts = Unwrap(av_rescale_q(pts, tb, AVRational{1, kPtsHz}));
        else if (next_pts != AV_NOPTS_VALUE) pts = next_pts;
        if (pts != AV_NOPTS_VALUE) next_pts = pts + frame_ticks_;
        FramePtr out = MakeFrame();
        av_frame_move_ref(out.get(), f.get());
        if (pts == target_pts) {
          result = out;
        } else if (pts != AV_NOPTS_VALUE && pts < target_pts) {
          recent.push_back({out, pts});
          if (recent.size() > kBackCacheFrames) recent.pop_front();
        }
      }
    };
    for (AVPacket* p : packets) {
      if (result) break;
      {
        std::lock_guard lock(m_);
        if (pipeline_stop_) break;
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
  for (AVPacket*& p : packets) av_packet_free(&p);
  avcodec_parameters_free(&par);
  if (result) {
    recent.push_back({result, target_pts});
    std::lock_guard lock(m_);
    back_cache_ = std::move(recent);
  }
  return result;
}

// ---- Presenting ---------------------------------------------------------------------------------

std::int64_t Port::MediaNowLocked() const {
  const std::int64_t elapsed_ns = clock_->NowNs() - anchor_clock_ns_;
  // ticks = ns * 90000 / 1e9 * 2^level
  const long double ticks = static_cast<long double>(elapsed_ns) * kPtsHz / 1e9L;
  const long double scaled = level_ >= 0 ? ticks * (1 << level_) : ticks / (1 << -level_);
  return anchor_pts_ + static_cast<std::int64_t>(scaled);
}

bool Port::FrontDueLocked() const {
  if (queue_.empty()) return false;
  if (!anchored_) return true;
  return queue_.front().pts <= MediaNowLocked();
}

void Port::PresentMain() {
  std::unique_lock lock(m_);
  while (!pipeline_stop_) {
    wake_pending_ = false;
    if (back_request_ || (stepping_ && step_requests_ > 0 && shown_pts_ >= 0 && shown_pts_ < high_pts_)) {
      // Step back, or forward again towards the newest frame shown, from the packet history.
      const bool back = back_request_;
      const std::int64_t target = back ? PrevPts(shown_pts_) : NextPts(shown_pts_);
      in_flight_ = 1;
      lock.unlock();
      FramePtr f = target >= 0 ? DecodeFromHistory(target) : nullptr;
      lock.lock();
      in_flight_ = 0;
      if (back) back_request_ = false;
      else --step_requests_;
      if (f && !pipeline_stop_) ShowLocked(lock, f, target, false);
      else if (!f) SetError(VREND_ERR_NO_FRAME);
      cv_.notify_all();
      continue;
    }
    if (refresh_ && shown_) {
      refresh_ = false;
      FramePtr f = shown_;
      lock.unlock();
      Publish(f);
      lock.lock();
      continue;
    }
    refresh_ = false;
    const bool can_show = playing_ && !queue_.empty() &&
                          (stepping_ ? step_requests_ > 0 : !paused_ && FrontDueLocked());
    if (can_show) {
      Queued q = std::move(queue_.front());
      queue_.pop_front();
      queue_bytes_ -= FrameBytes(q.frame.get());
      cv_.notify_all();  // room for the decoder
      if (stepping_) {
        --step_requests_;
      } else {
        // After running dry, a frame that comes late restarts the clock at itself instead of
        // rushing through the frames behind it.
        const bool late_after_starving = starved_ && anchored_ && q.pts < MediaNowLocked();
        if (late_after_starving) ++(primed_ ? stats_.stalls : stats_.startup_stalls);
        starved_ = false;
        if (!anchored_ || late_after_starving || q.pts < shown_pts_ - kJumpTicks ||
            q.pts > MediaNowLocked() + kJumpTicks) {
          anchored_ = true;
          anchor_clock_ns_ = clock_->NowNs();
          anchor_pts_ = q.pts;
        }
        // Late: the next frame is due already, so this one is skipped to keep up.
        if (!queue_.empty() && queue_.front().pts <= MediaNowLocked() && queue_.front().pts > q.pts) {
          ++stats_.frames_late;
          continue;
        }
      }
      ShowLocked(lock, std::move(q.frame), q.pts, true);
      DeliverAudioLocked(lock);
      continue;
    }
    DeliverAudioLocked(lock);
    if (playing_ && !paused_ && !stepping_ && anchored_ && queue_.empty()) starved_ = true;
    // Nothing to do now: wait for the next frame's time, a call, or data.
    presenter_waiting_ = true;
    cv_.notify_all();
    if (playing_ && !paused_ && !stepping_ && anchored_ && !queue_.empty() && !clock_->IsVirtual()) {
      const long double ticks = static_cast<long double>(queue_.front().pts - anchor_pts_);
      const long double real_ticks = level_ >= 0 ? ticks / (1 << level_) : ticks * (1 << -level_);
      const std::int64_t due_ns = anchor_clock_ns_ + static_cast<std::int64_t>(real_ticks * 1e9L / kPtsHz);
      const std::int64_t wait_ns = std::clamp<std::int64_t>(due_ns - clock_->NowNs(), 0, 100'000'000);
      cv_.wait_for(lock, std::chrono::nanoseconds(wait_ns));
    } else if (!clock_->IsVirtual()) {
      cv_.wait_for(lock, std::chrono::milliseconds(100));
    } else {
      cv_.wait(lock);
    }
    presenter_waiting_ = false;
  }
}

void Port::ShowLocked(std::unique_lock<std::mutex>& lock, FramePtr frame, std::int64_t pts, bool from_queue) {
  shown_ = frame;
  shown_pts_ = pts;
  if (from_queue) high_pts_ = std::max(high_pts_, pts);
  if (first_pts_ < 0) first_pts_ = pts;
  packed_ = timed_ && origin_known_ ? SF_PackTime(SF_FrameTime(&header_, pts)) : SF_NO_TIME;
  ++stats_.frames_shown;
  stats_.last_shown_pts = pts;
  stats_.last_shown_time_ms =
      timed_ && origin_known_
          ? SatAdd(SatMul(header_.start_time, 1000), SatSub(pts, header_.pts_origin) / (kPtsHz / 1000))
          : -1;
  if (stats_.frames_shown == 1) stats_.first_shown_time_ms = stats_.last_shown_time_ms;
  in_flight_ = 1;
  VRendDisplayFn display = display_;
  const std::int64_t stamp_ms = SatSub(pts, timed_ && origin_known_ ? header_.pts_origin : first_pts_) / 90;
  lock.unlock();
  if (display) {
    FrameRef ref;
    ref.frame = frame.get();
    display(number_, reinterpret_cast<const char*>(&ref), sizeof ref, frame->width, frame->height, stamp_ms,
            VREND_FRAME_TYPE, nullptr);
  }
  Publish(frame);
  lock.lock();
  in_flight_ = 0;
  cv_.notify_all();
}

void Port::Publish(const FramePtr& frame) {
  std::uint32_t window;
  std::optional<VRendRect> region;
  VRendDrawFn draw;
  void* user;
  {
    std::lock_guard lock(m_);
    window = window_;
    region = region_;
    draw = draw_;
    user = draw_user_;
  }
  if (!window) return;
  const QSize size = surfaces::PixelSize(window);
  if (size.isEmpty()) return;  // no surface (any more): the frame is dropped
  QImage image = FrameToImage(frame.get(), region ? &*region : nullptr, size, &sws_);
  if (!image.isNull()) surfaces::Publish(window, image, number_, draw, user);
}

void Port::DeliverAudioLocked(std::unique_lock<std::mutex>& lock) {
  if (audio_.empty()) return;
  const bool sounding = g_sound_port == number_ && playing_ && !paused_ && !stepping_ && level_ == 0 && anchored_;
  if (!sounding) {
    if (!paused_ && !stepping_) {
      // Not heard: what is due is dropped so nothing piles up.
      const std::int64_t now = anchored_ ? MediaNowLocked() : -1;
      while (!audio_.empty() && audio_.front().pts <= now) audio_.pop_front();
    }
    return;
  }
  const std::int64_t now = MediaNowLocked();
  std::vector<AudioChunk> out;
  while (!audio_.empty() && audio_.front().pts <= now + kPtsHz / 50) {
    if (audio_.front().pts >= now - kAudioLateTicks) out.push_back(std::move(audio_.front()));
    audio_.pop_front();
  }
  if (out.empty()) return;
  const int volume = volume_;
  lock.unlock();
  auto sink = CurrentAudioSink();
  for (AudioChunk& c : out) {
    for (std::int16_t& s : c.pcm) s = static_cast<std::int16_t>(s * volume / 65535);
    sink->Write(c.pcm.data(), c.pcm.size() / kAudioChannels);
  }
  lock.lock();
}

// ---- Controls -------------------------------------------------------------------------------------

bool Port::Play(std::uint32_t window) {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    window_ = window;
    playing_ = true;
    paused_ = stepping_ = false;
    step_requests_ = 0;
    anchored_ = false;
  }
  cv_.notify_all();
  return true;
}

bool Port::Stop() {
  std::uint32_t window;
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    playing_ = false;
    window = window_;
  }
  FlushSound();
  if (window) surfaces::Clear(window);
  cv_.notify_all();
  return true;
}

bool Port::Pause(bool pause) {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    paused_ = pause;
    anchored_ = false;
  }
  if (pause) FlushSound();
  cv_.notify_all();
  return true;
}

bool Port::ChangeLevel(int delta) {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    if (level_ + delta > 3 || level_ + delta < -3) return SetError(VREND_ERR_STATE), false;
    level_ += delta;
    paused_ = false;
    anchored_ = false;
  }
  FlushSound();
  cv_.notify_all();
  return true;
}

bool Port::ThrowB(std::uint32_t n) {
  if (n > 2) return SetError(VREND_ERR_BAD_PORT), false;
  if (!IsOpen()) return SetError(VREND_ERR_NOT_OPEN), false;
  throw_b_ = static_cast<int>(n);
  return true;
}

bool Port::StepForward() {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    stepping_ = true;
    playing_ = true;
    ++step_requests_;
    anchored_ = false;
  }
  FlushSound();
  cv_.notify_all();
  return true;
}

bool Port::StepBack() {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    if (shown_pts_ < 0 || PrevPts(shown_pts_) < 0) return SetError(VREND_ERR_NO_FRAME), false;
    stepping_ = true;
    playing_ = true;
    back_request_ = true;
    anchored_ = false;
  }
  FlushSound();
  cv_.notify_all();
  return true;
}

bool Port::Refresh() {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    refresh_ = true;
  }
  cv_.notify_all();
  return true;
}

bool Port::PictureSize(int* w, int* h) {
  std::lock_guard lock(m_);
  if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
  int pw = shown_ ? shown_->width : pic_w_;
  int ph = shown_ ? shown_->height : pic_h_;
  if (pw <= 0 && our_header_) pw = header_.width, ph = header_.height;
  if (pw <= 0 || ph <= 0) return SetError(VREND_ERR_NO_FRAME), false;
  if (w) *w = pw;
  if (h) *h = ph;
  return true;
}

std::uint32_t Port::Packed() {
  std::lock_guard lock(m_);
  return open_ ? packed_ : SF_NO_TIME;
}

std::uint32_t Port::PlayedSeconds() {
  std::lock_guard lock(m_);
  if (!open_ || first_pts_ < 0 || shown_pts_ < first_pts_) return 0;
  return static_cast<std::uint32_t>((shown_pts_ - first_pts_) / kPtsHz);
}

bool Port::SetRegion(const VRendRect* rect) {
  {
    std::lock_guard lock(m_);
    if (!open_) return SetError(VREND_ERR_NOT_OPEN), false;
    if (rect && (rect->right <= rect->left || rect->bottom <= rect->top))
      return SetError(VREND_ERR_BAD_PORT), false;
    if (rect) region_ = *rect;
    else region_.reset();
    refresh_ = true;
  }
  cv_.notify_all();
  return true;
}

void Port::SetDisplayCallback(VRendDisplayFn fn) {
  std::lock_guard lock(m_);
  display_ = fn;
}

void Port::SetDrawCallback(VRendDrawFn fn, void* user) {
  std::lock_guard lock(m_);
  draw_ = fn;
  draw_user_ = user;
}

void Port::SetDisplayBuf(std::uint32_t count) {
  {
    std::lock_guard lock(m_);
    display_buf_ = std::clamp<std::uint32_t>(count, 1, 50);
  }
  cv_.notify_all();
}

void Port::SetVolume(std::uint16_t volume) {
  std::lock_guard lock(m_);
  volume_ = volume;
}

void Port::FlushSound() {
  if (g_sound_port == number_) CurrentAudioSink()->Flush();
}

PortStats Port::Stats() {
  std::lock_guard lock(m_);
  return stats_;
}

bool Port::Settled() {
  std::lock_guard lock(m_);
  if (!open_) return true;
  if (!presenter_waiting_ || wake_pending_ || in_flight_ || back_request_ || refresh_) return false;
  if (stepping_ && step_requests_ > 0) return queue_.empty() && decoder_waiting_ && ring_size_ == 0;
  if (queue_.empty()) return decoder_waiting_ && ring_size_ == 0;
  return !playing_ || paused_ || stepping_ || !FrontDueLocked();
}

void Port::Wake() {
  {
    std::lock_guard lock(m_);
    wake_pending_ = true;
  }
  cv_.notify_all();
}

}  // namespace vrend
