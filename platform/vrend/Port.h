// One play port of the player layer (internal to platform/vrend).
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <QImage>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <vector>

#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/FrameScaler.h"
#include "platform/vrend/PortClip.h"
#include "platform/vrend/PortDetail.h"
#include "platform/vrend/vrend.h"
#include "platform/vrend/vrend_test.h"

namespace vrend {

using FramePtr = std::shared_ptr<AVFrame>;
FramePtr MakeFrame();

// The opaque frame a display callback receives.
struct FrameRef {
    static constexpr std::uint32_t kMagic = 0x56524652;  // "VRFR"
    std::uint32_t magic = kMagic;
    const AVFrame* frame = nullptr;
};

// The pictures a port hands its surface, reused: a picture's pixels come back when the surface
// and every painter let it go, and the next frame is converted into them. Thread-safe.
class ImagePool : public std::enable_shared_from_this<ImagePool> {
public:
    ~ImagePool();
    // An RGB32 picture of `size` whose pixels nothing else uses.
    QImage Take(QSize size);
    // Frees the spare pixels (pictures still shown come back later and are freed then when not kept).
    void Release();
    // Whether pixels that come back are kept for the next picture.
    void SetKeep(bool keep);
    // Pixels out (shown or held by a painter) and spare.
    std::size_t HeldBytes();

private:
    static constexpr std::size_t kSpare = 3;
    static void Return(void* info);
    std::mutex m_;
    std::vector<std::pair<std::uint8_t*, std::size_t>> spare_;
    std::size_t spare_bytes_ = 0;
    std::size_t out_bytes_ = 0;
    bool keep_ = true;
};

// The buffers a port's video decoder decodes into, kept by the port from one file to the next: a
// new file's pictures land in memory the last one already touched, instead of fresh pages the
// system must hand out (and zero) again for every file. Buffers come back when no frame holds them
// any more; the pool keeps them until the picture's size or format changes, or Release. Used as
// the decoder's `get_buffer2` with the pool as the decoder's `opaque`.
class FramePool {
public:
    FramePool() = default;
    FramePool(const FramePool&) = delete;
    FramePool& operator=(const FramePool&) = delete;
    ~FramePool();
    static int GetBuffer(AVCodecContext* c, AVFrame* frame, int flags);
    // Lets the buffers go: spare ones now, the ones frames still hold when those frames go.
    void Release();
    // Bytes of the buffers the pool made that are alive (in frames or spare).
    std::size_t HeldBytes() const { return *held_; }

private:
    struct Layout {
        int format = -1, width = 0, height = 0;
        int linesize[4] = {};
        std::size_t plane_bytes[4] = {};
    };
    bool Prepare(AVCodecContext* c, const AVFrame* frame);
    static AVBufferRef* Allocate(void* opaque, std::size_t size);
    static void Free(void* opaque, std::uint8_t* data);

    std::mutex m_;
    Layout layout_;
    AVBufferPool* planes_[4] = {};
    // Shared with the buffers, which may outlive the pool (a frame the surface's owner holds).
    std::shared_ptr<std::atomic<std::size_t>> held_ = std::make_shared<std::atomic<std::size_t>>(0);
};

// Converts a decoded frame (optionally a crop of it) to RGB32 of the given size (the picture's
// own size when empty), with `scaler` when given (kept for the next frame), into a picture of
// `pool` when given.
QImage FrameToImage(const AVFrame* frame, const VRendRect* crop, QSize size, FrameScaler* scaler,
                    ImagePool* pool = nullptr);

std::shared_ptr<Clock> CurrentClock();
void WakeAllPorts();
// The port that sounds, -1 when none.
extern std::atomic<int> g_sound_port;

class Port {
public:
    explicit Port(int number);
    ~Port();

    // Control calls; each is serialised on api_ by the caller.
    std::mutex api;

    bool Open(const std::uint8_t* header, std::uint32_t size, std::uint32_t ring_bytes);
    // `next_follows`: a stream opens in place of this one. The surface then keeps the last picture
    // until the next stream's first, and the ring and the decoder's buffers stay for that stream;
    // else what the stream held goes back to the system.
    void Close(bool next_follows = false);
    bool IsOpen();
    bool Input(const std::uint8_t* data, std::uint32_t size);
    bool InputEnd();
    std::uint32_t Remain();
    std::uint32_t FramesAhead();
    bool Reset();
    bool SetStartTime(std::int64_t time);
    bool SetTimeOrigin(std::int64_t start_time, std::int64_t first_pts);
    bool Play(std::uint32_t window);
    bool Stop();
    bool Pause(bool pause);
    bool ChangeLevel(int delta);
    bool ThrowB(std::uint32_t n);
    bool StepForward();
    bool StepBack();
    bool Refresh();
    bool PictureSize(int* w, int* h);
    std::uint32_t Packed();
    std::int64_t ShownTimeMs();
    std::uint32_t PlayedSeconds();
    bool SetRegion(const VRendRect* rect);
    void SetDisplayCallback(VRendDisplayFn fn);
    void SetDrawCallback(VRendDrawFn fn, void* user);
    void SetDisplayBuf(std::uint32_t count);
    void SetVolume(std::uint16_t volume);
    void FlushSound();
    PortStats Stats();
    PortMemory Memory();
    void ClearTotals();
    bool Settled();
    void Wake();
    // Clips (PortClip.cpp); not serialised on `api`: the clip thread is joined without it.
    bool StartClip(VRendClipFn fn, void* user);
    bool StopClip();

    void SetError(std::uint32_t e) { last_error_ = e; }
    std::uint32_t LastError() const { return last_error_; }

private:
    struct Packet {
        AVPacket* pkt;
        std::int64_t pts;
    };
    struct Gop {
        std::int64_t key_pts = 0;
        std::vector<Packet> packets;
        std::size_t bytes = 0;
    };
    struct Queued {
        Queued() = default;
        Queued(FramePtr f, std::int64_t p, QImage pic = {}, std::optional<VRendRect> region = {})
            : frame(std::move(f)), pts(p), picture(std::move(pic)), picture_region(region)
        {
        }
        FramePtr frame;
        std::int64_t pts = 0;
        // The surface's picture of the frame when the decode thread made it, and the region it
        // shows.
        QImage picture;
        std::optional<VRendRect> picture_region;
    };
    struct AudioChunk {
        std::int64_t pts;
        std::vector<std::int16_t> pcm;
    };

    // A stream PTS on the port's time line: within +-2^32 ticks of the origin (wraps undone).
    std::int64_t Unwrap(std::int64_t pts);
    static bool StartsStream(const std::uint8_t* data, std::size_t size);
    void StartPipeline();
    void StopPipeline();
    void ClearBuffers();
    // A port closed for good gives back the ring and the decoder's buffers.
    void GiveBack();
    void DecodeMain(std::uint64_t generation);
    // The last stream's video decoder, when the stream `st` can go on with it (null otherwise).
    AVCodecContext* TakeSpareDecoder(const AVStream* st);
    void PresentMain();
    static int ReadPacket(void* opaque, std::uint8_t* buf, int size);
    int ReadRing(std::uint8_t* buf, int size);
    // `counted`: the frame was counted as decoded already (held back by a positioned start).
    bool PushFrame(FramePtr frame, std::int64_t pts, std::uint64_t generation, bool counted = false,
                   QImage picture = {}, std::optional<VRendRect> picture_region = {});
    // The surface's picture of a frame just decoded, when it is made now (null when not).
    QImage EarlyPicture(const AVFrame* frame, std::int64_t pts, std::optional<VRendRect>* region);
    // The region shown, in the coordinates of `frame`.
    std::optional<VRendRect> RegionForLocked(const AVFrame* frame) const;
    void AddHistory(const AVPacket* pkt, std::int64_t pts);
    void ClearHistory();
    FramePtr DecodeFromHistory(std::int64_t target_pts);
    std::int64_t PrevPts(std::int64_t pts);
    std::int64_t NextPts(std::int64_t pts);
    // `picture`: the surface's picture when made already, for `picture_region`.
    void ShowLocked(std::unique_lock<std::mutex>& lock, FramePtr frame, std::int64_t pts, bool from_queue,
                    QImage picture = {}, std::optional<VRendRect> picture_region = {});
    void Publish(const FramePtr& frame, QImage picture = {}, std::optional<VRendRect> picture_region = {});
    std::int64_t MediaNowLocked() const;
    std::int64_t ClockNsAtLocked(std::int64_t pts) const;
    std::int64_t NextDueNsLocked() const;
    bool FrontDueLocked() const;
    bool SoundingLocked() const;
    // True when it let the lock go to write the sound.
    bool DeliverAudioLocked(std::unique_lock<std::mutex>& lock);
    void AudioFrame(const AVFrame* frame, std::int64_t pts, SwrContext** swr);
    // The port's threads wait only through these, which count each wake-up.
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv);
    void WaitTimed(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, std::int64_t timeout_ns);
    template <typename Ready>
    void Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, Ready ready)
    {
        while (!ready())
            Wait(lock, cv);
    }
    // Clip recording (PortClip.cpp). The decode thread records every packet it demuxes (the
    // record's number of the packet, -1 when not recorded) and tells the time the decoder gave each
    // picture; the presenter tells what it showed; a stream that ends (close, reset) hands its last
    // shown packets to the clip thread.
    std::int64_t RecordForClip(const AVStream* st, const AVPacket* pkt, bool video);
    void ClipDecoded(std::int64_t seq, std::int64_t pts);
    void ClipShownLocked(std::int64_t pts);
    void ClipStreamEndsLocked();
    void ClipTrimLocked();
    void ClipTryStartLocked();
    bool ClipDueLocked() const;
    std::vector<ClipPacket> ClipTakeLocked(bool last);
    std::int64_t ClipTimeMsLocked(std::int64_t pts) const;
    void ClipMain();
    bool EndClipLocked();

    const int number_;
    std::atomic<std::uint32_t> last_error_{0};

    std::mutex m_;
    // Each thread of the port sleeps on its own condition and is woken only for what it waits for:
    // the decode thread for data, room in the queue or the end; the presenter for frames, calls and
    // its clock. A port with nothing to do uses no processor time.
    std::condition_variable decode_cv_;
    std::condition_variable present_cv_;
    std::shared_ptr<Clock> clock_;

    // Set by calls.
    bool open_ = false;
    SF_StreamHeader header_{};
    bool our_header_ = false;
    bool timed_ = false;                      // frames have an absolute time (our header, or a time origin)
    bool origin_known_ = false;               // header_.pts_origin holds the PTS of header_.start_time
    std::vector<std::uint8_t> header_bytes_;  // a header not ours: maybe the stream's first bytes
    bool prefix_pending_ = false;             // the first data block has not come yet
    int container_ = 0;                       // SF_Container, 0 = let the demuxer probe
    VRendDisplayFn display_ = nullptr;
    VRendDrawFn draw_ = nullptr;
    void* draw_user_ = nullptr;
    std::uint32_t display_buf_ = 15;
    std::uint32_t window_ = 0;
    bool playing_ = false;
    bool paused_ = false;
    bool stepping_ = false;
    int step_requests_ = 0;
    bool back_request_ = false;
    bool refresh_ = false;
    int level_ = 0;
    std::atomic<int> throw_b_{0};
    std::optional<VRendRect> region_;
    std::uint16_t volume_ = 0xFFFF;
    // Positioned start: frames before this PTS are decoded but not queued (AV_NOPTS_VALUE: none).
    std::int64_t start_pts_ = AV_NOPTS_VALUE;
    Queued last_before_start_;  // shown at the end when the stream has nothing at or after it

    // Ring of fed bytes.
    port_detail::PageBuffer ring_;
    std::size_t ring_head_ = 0;
    std::size_t ring_size_ = 0;
    bool input_ended_ = false;
    bool pipeline_stop_ = false;
    std::uint64_t generation_ = 0;

    // Decode side.
    bool holding_ = false;         // the demuxer or decoder may hold fed data not yet queued
    bool decoder_waiting_ = true;  // blocked on an empty ring, or done
    std::deque<Queued> queue_;
    std::size_t queue_bytes_ = 0;
    std::deque<Gop> history_;
    std::deque<Queued> back_cache_;                // frames decoded by the last step back
    std::set<std::int64_t> frame_pts_;             // times of the frames decoded from the history's packets
    std::atomic<std::int64_t> frame_ticks_{3600};  // one frame's duration, for pictures without a time
    std::size_t history_bytes_ = 0;
    AVCodecParameters* video_par_ = nullptr;
    AVRational video_tb_{1, 90000};
    std::deque<AudioChunk> audio_;
    int pic_w_ = 0, pic_h_ = 0;

    // Presenter side.
    bool presenter_waiting_ = false;
    bool wake_pending_ = false;
    int in_flight_ = 0;
    bool anchored_ = false;
    bool starved_ = false;
    bool primed_ = false;  // the decoder has been ahead of the presenter since the open or reset
    std::int64_t anchor_clock_ns_ = 0;
    std::int64_t anchor_pts_ = 0;
    FramePtr shown_;
    std::int64_t shown_pts_ = -1;
    std::int64_t high_pts_ = -1;
    std::int64_t first_pts_ = -1;
    std::uint32_t packed_ = SF_NO_TIME;
    std::int64_t shown_time_ms_ = -1;
    FrameScaler scaler_;        // used by the presenter only; released when the stream closes
    FrameScaler early_scaler_;  // the decode thread's, for EarlyPicture
    int early_pause_ = 0;       // frames to show before pictures are made early again
    std::shared_ptr<ImagePool> images_ = std::make_shared<ImagePool>();
    FramePool frames_;  // used by the decode thread only; released when the stream closes for good
    // The video decoder of the last stream, flushed, for the next (see DecodeMain); freed when the
    // stream closes for good. Used by the decode thread only.
    AVCodecContext* spare_vdec_ = nullptr;

    PortStats stats_;

    std::thread decode_thread_;
    std::thread present_thread_;

    // Clip: its state under m_, its thread, and a lock serialising its start and stop.
    ClipState clip_;
    std::condition_variable clip_cv_;
    std::mutex clip_api_;
    std::thread clip_thread_;
};

}  // namespace vrend
