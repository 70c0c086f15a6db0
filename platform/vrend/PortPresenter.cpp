// A port's presenter and clock: shows each frame at its time on a clock of 2^level x real
// time, scales it onto the surface and delivers the sound.
#include "platform/vrend/Port.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdlib>
#include <limits>

#include "platform/vrend/PortDetail.h"
#include "platform/vrend/VideoSurface.h"

namespace vrend {

using namespace port_detail;

QImage FrameToImage(const AVFrame* frame, const VRendRect* crop, QSize size, FrameScaler* scaler, ImagePool* pool)
{
    if (!frame || frame->width <= 0 || frame->height <= 0)
        return {};
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (!desc || (desc->flags & AV_PIX_FMT_FLAG_HWACCEL))
        return {};
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
    if (size.isEmpty())
        size = QSize(w, h);
    QImage image = pool ? pool->Take(size) : QImage(size, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    FrameScaler local;
    if (!(scaler ? scaler : &local)
             ->Convert(frame, left, top, w, h, size.width(), size.height(), image.bits(),
                       static_cast<int>(image.bytesPerLine())))
        return {};
    return image;
}

// ---- Pictures for the surface ---------------------------------------------------------------------

namespace {

struct PooledPixels {
    std::shared_ptr<ImagePool> pool;
    std::uint8_t* data;
    std::size_t bytes;
};

}  // namespace

QImage ImagePool::Take(QSize size)
{
    const qsizetype line = static_cast<qsizetype>(size.width()) * 4;
    const std::size_t bytes = static_cast<std::size_t>(line) * static_cast<std::size_t>(size.height());
    std::uint8_t* data = nullptr;
    {
        std::lock_guard lock(m_);
        while (!spare_.empty() && !data) {
            auto [d, n] = spare_.back();
            spare_.pop_back();
            spare_bytes_ -= n;
            if (n == bytes)
                data = d;
            else
                UnmapPages(d, n);  // of a size shown before a resize
        }
    }
    if (!data)
        data = MapPages(bytes);
    if (!data)
        return {};
    {
        std::lock_guard lock(m_);
        out_bytes_ += bytes;
    }
    auto* back = new PooledPixels{shared_from_this(), data, bytes};
    // The image gives its pixels back through Return when its last copy (the surface's, a paint's,
    // the port's) goes, on whichever thread that is.
    return QImage(data, size.width(), size.height(), line, QImage::Format_RGB32, &ImagePool::Return, back);
}

void ImagePool::Return(void* info)
{
    std::unique_ptr<PooledPixels> back(static_cast<PooledPixels*>(info));
    ImagePool& pool = *back->pool;
    std::lock_guard lock(pool.m_);
    pool.out_bytes_ -= back->bytes;
    if (pool.keep_ && pool.spare_.size() < kSpare) {
        pool.spare_.emplace_back(back->data, back->bytes);
        pool.spare_bytes_ += back->bytes;
    } else {
        UnmapPages(back->data, back->bytes);
    }
}

void ImagePool::Release()
{
    std::lock_guard lock(m_);
    for (auto& [d, n] : spare_)
        UnmapPages(d, n);
    spare_.clear();
    spare_bytes_ = 0;
}

void ImagePool::SetKeep(bool keep)
{
    {
        std::lock_guard lock(m_);
        keep_ = keep;
    }
    if (!keep)
        Release();
}

std::size_t ImagePool::HeldBytes()
{
    std::lock_guard lock(m_);
    return spare_bytes_ + out_bytes_;
}

ImagePool::~ImagePool()
{
    Release();
}

// ---- Presenting ---------------------------------------------------------------------------------

namespace {

constexpr std::int64_t kAudioAheadTicks = kPtsHz / 50;  // sound is written 20 ms ahead of its time
// After a frame dropped for being late, the pictures of the next frames are made when they are shown
// only (see EarlyPicture).
constexpr int kEarlyPauseFrames = 50;

// The frame's time in milliseconds, floored as SF_FrameTime floors its seconds (so that both name
// the same second), wrapping instead of trapping on hostile values.
std::int64_t FrameTimeMs(const SF_StreamHeader& header, std::int64_t pts)
{
    const std::int64_t diff = std::int64_t(std::uint64_t(pts) - std::uint64_t(header.pts_origin));
    constexpr std::int64_t kTicksPerMs = kPtsHz / 1000;
    std::int64_t ms = diff / kTicksPerMs;
    if (diff % kTicksPerMs < 0)
        --ms;
    return std::int64_t(std::uint64_t(header.start_time) * 1000u + std::uint64_t(ms));
}

}  // namespace

std::int64_t Port::MediaNowLocked() const
{
    const std::int64_t elapsed_ns = clock_->NowNs() - anchor_clock_ns_;
    // ticks = ns * 90000 / 1e9 * 2^level
    const long double ticks = static_cast<long double>(elapsed_ns) * kPtsHz / 1e9L;
    const long double scaled = level_ >= 0 ? ticks * (1 << level_) : ticks / (1 << -level_);
    return SatAdd(anchor_pts_, static_cast<std::int64_t>(scaled));
}

// The clock time at which the media clock reaches `pts`. In long double: stream times are
// untrusted, a far one gives a far time, never an overflow.
std::int64_t Port::ClockNsAtLocked(std::int64_t pts) const
{
    const long double ticks = static_cast<long double>(pts) - static_cast<long double>(anchor_pts_);
    const long double real_ticks = level_ >= 0 ? ticks / (1 << level_) : ticks * (1 << -level_);
    const long double ns = static_cast<long double>(anchor_clock_ns_) + real_ticks * 1e9L / kPtsHz;
    constexpr long double kFarNs = 4e18L;  // 126 years either way
    return static_cast<std::int64_t>(std::clamp(ns, -kFarNs, kFarNs));
}

// When the presenter next has work that no call or frame will wake it for: the next frame's
// time, or the next sound chunk's while the port sounds; -1 when nothing is due by the clock.
std::int64_t Port::NextDueNsLocked() const
{
    if (!playing_ || paused_ || stepping_ || !anchored_)
        return -1;
    const bool frame = !queue_.empty();
    const bool sound = SoundingLocked() && !audio_.empty();
    if (!frame && !sound)
        return -1;
    std::int64_t due_pts = frame ? queue_.front().pts : std::numeric_limits<std::int64_t>::max();
    if (sound)
        due_pts = std::min(due_pts, SatSub(audio_.front().pts, kAudioAheadTicks));
    return ClockNsAtLocked(due_pts);
}

bool Port::SoundingLocked() const
{
    return g_sound_port == number_ && playing_ && !paused_ && !stepping_ && level_ == 0 && anchored_;
}

bool Port::FrontDueLocked() const
{
    if (queue_.empty())
        return false;
    if (!anchored_)
        return true;
    return queue_.front().pts <= MediaNowLocked();
}

void Port::PresentMain()
{
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
            if (back)
                back_request_ = false;
            else
                --step_requests_;
            if (f && !pipeline_stop_)
                ShowLocked(lock, f, target, false);
            else if (!f)
                SetError(VREND_ERR_NO_FRAME);
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
        const bool can_show =
            playing_ && !queue_.empty() && (stepping_ ? step_requests_ > 0 : !paused_ && FrontDueLocked());
        if (can_show) {
            Queued q = std::move(queue_.front());
            queue_.pop_front();
            queue_bytes_ -= FrameBytes(q.frame.get());
            decode_cv_.notify_all();  // room for the decoder
            if (stepping_) {
                --step_requests_;
            } else {
                // After running dry, a frame that comes late restarts the clock at itself instead of
                // rushing through the frames behind it.
                const bool late_after_starving = starved_ && anchored_ && q.pts < MediaNowLocked();
                if (late_after_starving)
                    ++(primed_ ? stats_.stalls : stats_.startup_stalls);
                starved_ = false;
                if (!anchored_ || late_after_starving || q.pts < SatSub(shown_pts_, kJumpTicks) ||
                    q.pts > SatAdd(MediaNowLocked(), kJumpTicks)) {
                    anchored_ = true;
                    anchor_clock_ns_ = clock_->NowNs();
                    anchor_pts_ = q.pts;
                }
                // Late: the next frame is due already, so this one is skipped to keep up.
                if (!queue_.empty() && queue_.front().pts <= MediaNowLocked() && queue_.front().pts > q.pts) {
                    ++stats_.frames_late;
                    ++stats_.totals.frames_late;
                    early_pause_ = kEarlyPauseFrames;
                    continue;
                }
            }
            ShowLocked(lock, std::move(q.frame), q.pts, true, std::move(q.picture), q.picture_region);
            DeliverAudioLocked(lock);
            continue;
        }
        // Writing the sound lets the lock go: what came meanwhile is looked at before sleeping.
        if (DeliverAudioLocked(lock))
            continue;
        if (playing_ && !paused_ && !stepping_ && anchored_ && queue_.empty())
            starved_ = true;
        // Nothing to do now: sleep until the next frame or sound is due, a call, or data. A virtual
        // clock wakes every port when it moves.
        presenter_waiting_ = true;
        const std::int64_t due_ns = clock_->IsVirtual() ? -1 : NextDueNsLocked();
        if (due_ns < 0)
            Wait(lock, present_cv_);
        else
            WaitTimed(lock, present_cv_, std::clamp<std::int64_t>(due_ns - clock_->NowNs(), 0, 100'000'000));
        presenter_waiting_ = false;
    }
}

void Port::ShowLocked(std::unique_lock<std::mutex>& lock, FramePtr frame, std::int64_t pts, bool from_queue,
                      QImage picture, std::optional<VRendRect> picture_region)
{
    shown_ = frame;
    if (early_pause_ > 0)
        --early_pause_;
    shown_pts_ = pts;
    ClipShownLocked(pts);
    if (from_queue)
        high_pts_ = std::max(high_pts_, pts);
    if (first_pts_ < 0)
        first_pts_ = pts;
    packed_ = timed_ && origin_known_ ? SF_PackTime(SF_FrameTime(&header_, pts)) : SF_NO_TIME;
    shown_time_ms_ = packed_ != SF_NO_TIME ? FrameTimeMs(header_, pts) : -1;
    ++stats_.frames_shown;
    PortTotals& totals = stats_.totals;
    ++totals.frames_shown;
    const std::int64_t now_ns = clock_->NowNs();
    const std::int64_t since_ns = totals.last_shown_ns >= 0 ? totals.last_shown_ns : totals.since_ns;
    if (since_ns >= 0)
        totals.longest_gap_ns = std::max(totals.longest_gap_ns, now_ns - since_ns);
    totals.last_shown_ns = now_ns;
    stats_.last_shown_pts = pts;
    stats_.last_shown_time_ms = timed_ && origin_known_ ? SatAdd(SatMul(header_.start_time, 1000),
                                                                 SatSub(pts, header_.pts_origin) / (kPtsHz / 1000))
                                                        : -1;
    if (stats_.frames_shown == 1)
        stats_.first_shown_time_ms = stats_.last_shown_time_ms;
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
    Publish(frame, std::move(picture), picture_region);
    lock.lock();
    in_flight_ = 0;
}

std::optional<VRendRect> Port::RegionForLocked(const AVFrame* frame) const
{
    std::optional<VRendRect> region = region_;
    // A frame of the step-back cache may be smaller than the picture the region is given in.
    if (region && pic_w_ > 0 && pic_h_ > 0 && (frame->width != pic_w_ || frame->height != pic_h_)) {
        region->left = static_cast<std::int32_t>(std::int64_t(region->left) * frame->width / pic_w_);
        region->right = static_cast<std::int32_t>(std::int64_t(region->right) * frame->width / pic_w_);
        region->top = static_cast<std::int32_t>(std::int64_t(region->top) * frame->height / pic_h_);
        region->bottom = static_cast<std::int32_t>(std::int64_t(region->bottom) * frame->height / pic_h_);
    }
    return region;
}

void Port::Publish(const FramePtr& frame, QImage picture, std::optional<VRendRect> picture_region)
{
    std::uint32_t window;
    std::optional<VRendRect> region;
    VRendDrawFn draw;
    void* user;
    {
        std::lock_guard lock(m_);
        window = window_;
        region = RegionForLocked(frame.get());
        draw = draw_;
        user = draw_user_;
    }
    if (!window)
        return;
    const QSize size = surfaces::PixelSize(window);
    if (size.isEmpty())
        return;  // no surface (any more): the frame is dropped
    // A picture made when the frame was decoded serves while the surface's size and the region are
    // still those it was made for.
    auto same = [](const std::optional<VRendRect>& a, const std::optional<VRendRect>& b) {
        return a.has_value() == b.has_value() &&
               (!a || (a->left == b->left && a->top == b->top && a->right == b->right && a->bottom == b->bottom));
    };
    if (picture.isNull() || picture.size() != size || !same(picture_region, region))
        picture = FrameToImage(frame.get(), region ? &*region : nullptr, size, &scaler_, images_.get());
    if (!picture.isNull())
        surfaces::Publish(window, picture, number_, draw, user);
}

bool Port::DeliverAudioLocked(std::unique_lock<std::mutex>& lock)
{
    if (audio_.empty())
        return false;
    if (!SoundingLocked()) {
        if (!paused_ && !stepping_) {
            // Not heard: what is due is dropped so nothing piles up.
            const std::int64_t now = anchored_ ? MediaNowLocked() : -1;
            while (!audio_.empty() && audio_.front().pts <= now)
                audio_.pop_front();
        }
        return false;
    }
    const std::int64_t now = MediaNowLocked();
    std::vector<AudioChunk> out;
    while (!audio_.empty() && audio_.front().pts <= SatAdd(now, kAudioAheadTicks)) {
        if (audio_.front().pts >= SatSub(now, kAudioLateTicks))
            out.push_back(std::move(audio_.front()));
        audio_.pop_front();
    }
    if (out.empty())
        return false;
    const int volume = volume_;
    lock.unlock();
    auto sink = CurrentAudioSink();
    for (AudioChunk& c : out) {
        for (std::int16_t& s : c.pcm)
            s = static_cast<std::int16_t>(s * volume / 65535);
        sink->Write(c.pcm.data(), c.pcm.size() / kAudioChannels);
    }
    lock.lock();
    return true;
}

}  // namespace vrend
