// A port: opening and closing, time origin, and the controls. The decoder, the step-back
// history and the presenter with its clock are in PortDecoder.cpp, PortHistory.cpp and
// PortPresenter.cpp.
#include "platform/vrend/Port.h"

extern "C" {
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
}

#include <malloc.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <limits>
#include <mutex>
#include <thread>

#include "platform/vrend/PortDetail.h"
#include "platform/vrend/VideoSurface.h"

namespace vrend {

using namespace port_detail;

FramePtr MakeFrame()
{
    return FramePtr(av_frame_alloc(), AvFrameDeleter());
}

namespace {

std::atomic<int> g_open_ports{0};

// Every thread keeps its own heap: one heap for all gives back what stopped ports held, but its
// one lock, held by a trim or by 16 decoders, stalled the GUI thread's allocations for 100 ms
// and more (a click on the time line with 16 windows in step).

// Gives back what the heaps keep, on a thread of its own: a trim walks every heap and takes tens
// of milliseconds, and the ports freed on the GUI thread (every window of the page at once when
// the station closes) must not wait for it. Asks that come while a trim runs are served by one
// more trim. The thread is joined when the program ends.
class Trimmer {
public:
    static Trimmer& Instance()
    {
        static Trimmer trimmer;
        return trimmer;
    }
    ~Trimmer()
    {
        {
            std::lock_guard<std::mutex> lock(lock_);
            quit_ = true;
        }
        wake_.notify_one();
        if (thread_.joinable())
            thread_.join();
    }
    void Ask()
    {
        {
            std::lock_guard<std::mutex> lock(lock_);
            if (!quit_ && !thread_.joinable()) {
                try {
                    thread_ = std::thread([this] { Run(); });
                } catch (...) {
                }
            }
            if (!quit_ && thread_.joinable()) {
                pending_ = true;
                wake_.notify_one();
                return;
            }
        }
        malloc_trim(0);  // no thread to hand it to
    }

private:
    void Run()
    {
        std::unique_lock<std::mutex> lock(lock_);
        for (;;) {
            wake_.wait(lock, [this] { return pending_ || quit_; });
            if (quit_)
                return;
            pending_ = false;
            lock.unlock();
            if (g_open_ports == 0)  // a port opened meanwhile keeps its pages
                malloc_trim(0);
            lock.lock();
        }
    }

    std::mutex lock_;
    std::condition_variable wake_;
    bool pending_ = false;
    bool quit_ = false;
    std::thread thread_;
};

}  // namespace

Port::Port(int number) : number_(number) {}

Port::~Port()
{
    StopClip();
    Close();
    avcodec_free_context(&spare_vdec_);
}

// ---- Opening and closing ------------------------------------------------------------------------

bool Port::Open(const std::uint8_t* header, std::uint32_t size, std::uint32_t ring_bytes)
{
    // Opened again in place of a stream: the picture shown stays until the new stream's first.
    Close(true);
    if (!header || size < SF_HEADER_SIZE) {
        GiveBack();
        SetError(VREND_ERR_BAD_HEADER);
        return false;
    }
    if (ring_bytes < 4096 || ring_bytes > (256u << 20)) {
        GiveBack();
        SetError(VREND_ERR_BAD_PORT);
        return false;
    }
    SF_StreamHeader parsed;
    const bool ours = SF_ParseHeader(header, size, &parsed);
    {
        std::lock_guard lock(m_);
        header_ = ours ? parsed : SF_StreamHeader{};
        if (!ours)
            header_.start_time = 0, header_.pts_origin = 0;
        our_header_ = ours;
        timed_ = ours;
        origin_known_ = ours;
        // A header that is not ours is another recorder's, or the first bytes of a stream that has
        // none: which one, the first data block tells (see Input).
        header_bytes_.assign(header, header + (ours ? 0 : std::min<std::uint32_t>(size, SF_HEADER_SIZE)));
        container_ = ours ? header_.container : 0;
        if (ring_.size() != ring_bytes && !ring_.Allocate(ring_bytes)) {
            frames_.Release();
            SetError(VREND_ERR_STATE);  // no memory for it
            return false;
        }
        clock_ = CurrentClock();
        if (!open_)
            ++g_open_ports;
        images_->SetKeep(true);
        open_ = true;
        playing_ = paused_ = stepping_ = false;
        level_ = 0;
        region_.reset();
        first_pts_ = -1;
        start_pts_ = AV_NOPTS_VALUE;
        stats_ = PortStats{.totals = stats_.totals};
    }
    throw_b_ = 0;
    StartPipeline();
    SetError(VREND_OK);
    return true;
}

void Port::Close(bool next_follows)
{
    StopPipeline();
    std::uint32_t window = 0;
    {
        std::lock_guard lock(m_);
        if (!open_)
            return;
        open_ = false;
        --g_open_ports;
        playing_ = paused_ = stepping_ = false;
        window = window_;
        window_ = 0;
        ClearBuffers();
        shown_.reset();
        shown_pts_ = high_pts_ = -1;
        start_pts_ = AV_NOPTS_VALUE;
        packed_ = SF_NO_TIME;
        shown_time_ms_ = -1;
        pic_w_ = pic_h_ = 0;
        if (video_par_)
            avcodec_parameters_free(&video_par_);
    }
    // Nothing converts now (the presenter is joined): the pictures and the scaler go; the picture
    // the surface shows is freed when the surface lets it go.
    images_->SetKeep(false);
    scaler_.Release();
    early_scaler_.Release();
    if (window && !next_follows)
        surfaces::Clear(window);
    if (!next_follows)
        GiveBack();
}

void Port::GiveBack()
{
    {
        std::lock_guard lock(m_);
        if (open_)
            return;
        ring_.Reset();
    }
    avcodec_free_context(&spare_vdec_);  // the decode thread is joined
    frames_.Release();
    // Once no port is open, what the heaps still keep goes back to the system too, on the
    // trimmer's thread. (Not at a file change: the next file's blocks would fault their pages in
    // again.)
    if (g_open_ports == 0)
        Trimmer::Instance().Ask();
}

bool Port::IsOpen()
{
    std::lock_guard lock(m_);
    return open_;
}

void Port::ClearBuffers()
{
    ClipStreamEndsLocked();
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
    early_pause_ = 0;
    step_requests_ = 0;
    back_request_ = false;
    anchored_ = false;
    starved_ = false;
    primed_ = false;
}

void Port::StartPipeline()
{
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

void Port::StopPipeline()
{
    {
        std::lock_guard lock(m_);
        pipeline_stop_ = true;
        ++generation_;
    }
    decode_cv_.notify_all();
    present_cv_.notify_all();
    if (decode_thread_.joinable())
        decode_thread_.join();
    if (present_thread_.joinable())
        present_thread_.join();
}

bool Port::Reset()
{
    StopPipeline();
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        ClearBuffers();
        if (video_par_)
            avcodec_parameters_free(&video_par_);
    }
    FlushSound();
    StartPipeline();
    return true;
}

bool Port::SetStartTime(std::int64_t time)
{
    std::lock_guard lock(m_);
    if (!open_)
        return SetError(VREND_ERR_NOT_OPEN), false;
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

bool Port::SetTimeOrigin(std::int64_t start_time, std::int64_t first_pts)
{
    std::lock_guard lock(m_);
    if (!open_)
        return SetError(VREND_ERR_NOT_OPEN), false;
    if (our_header_)
        return SetError(VREND_ERR_STATE), false;  // our header times the stream
    if (start_time < 0)
        return SetError(VREND_ERR_BAD_PORT), false;
    timed_ = true;
    header_.start_time = start_time;
    origin_known_ = first_pts != VREND_NO_PTS;
    // A demuxer may give a PTS near 2^33 as a small negative one: the same 33-bit clock value.
    header_.pts_origin = origin_known_ ? (first_pts & (SF_PTS_WRAP - 1)) : 0;
    return true;
}

std::int64_t Port::Unwrap(std::int64_t pts)
{
    std::lock_guard lock(m_);
    if (!timed_)
        return pts;
    if (!origin_known_) {
        // No first PTS given: the first picture that comes is the start.
        origin_known_ = true;
        header_.pts_origin = pts;
        return pts;
    }
    return SatAdd(header_.pts_origin, SF_PtsDistance(header_.pts_origin, pts));
}

bool Port::StartsStream(const std::uint8_t* data, std::size_t size)
{
    if (SF_SniffContainer(data, size))
        return true;
    // A program stream read from a picture's PES, without the pack before it.
    return size >= 4 && data[0] == 0 && data[1] == 0 && data[2] == 1 && data[3] >= 0xbb;
}

// ---- Controls -------------------------------------------------------------------------------------

bool Port::Play(std::uint32_t window)
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        window_ = window;
        playing_ = true;
        paused_ = stepping_ = false;
        step_requests_ = 0;
        anchored_ = false;
    }
    present_cv_.notify_all();
    return true;
}

bool Port::Stop()
{
    std::uint32_t window;
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        playing_ = false;
        window = window_;
    }
    FlushSound();
    if (window)
        surfaces::Clear(window);
    present_cv_.notify_all();
    return true;
}

bool Port::Pause(bool pause)
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        paused_ = pause;
        anchored_ = false;
    }
    if (pause)
        FlushSound();
    present_cv_.notify_all();
    return true;
}

bool Port::ChangeLevel(int delta)
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        if (level_ + delta > 3 || level_ + delta < -3)
            return SetError(VREND_ERR_STATE), false;
        // A pause or single-frame mode stays: a held port takes its level before it goes on.
        level_ += delta;
        anchored_ = false;
    }
    FlushSound();
    present_cv_.notify_all();
    return true;
}

bool Port::ThrowB(std::uint32_t n)
{
    if (n > 2)
        return SetError(VREND_ERR_BAD_PORT), false;
    if (!IsOpen())
        return SetError(VREND_ERR_NOT_OPEN), false;
    throw_b_ = static_cast<int>(n);
    return true;
}

bool Port::StepForward()
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        stepping_ = true;
        playing_ = true;
        ++step_requests_;
        anchored_ = false;
    }
    FlushSound();
    present_cv_.notify_all();
    return true;
}

bool Port::StepBack()
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        if (shown_pts_ < 0 || PrevPts(shown_pts_) < 0)
            return SetError(VREND_ERR_NO_FRAME), false;
        stepping_ = true;
        playing_ = true;
        back_request_ = true;
        anchored_ = false;
    }
    FlushSound();
    present_cv_.notify_all();
    return true;
}

bool Port::Refresh()
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        refresh_ = true;
    }
    present_cv_.notify_all();
    return true;
}

bool Port::PictureSize(int* w, int* h)
{
    std::lock_guard lock(m_);
    if (!open_)
        return SetError(VREND_ERR_NOT_OPEN), false;
    // The decoder's size: a frame shown from the step-back cache may be smaller.
    int pw = pic_w_ > 0 ? pic_w_ : shown_ ? shown_->width : 0;
    int ph = pic_h_ > 0 ? pic_h_ : shown_ ? shown_->height : 0;
    if (pw <= 0 && our_header_)
        pw = header_.width, ph = header_.height;
    if (pw <= 0 || ph <= 0)
        return SetError(VREND_ERR_NO_FRAME), false;
    if (w)
        *w = pw;
    if (h)
        *h = ph;
    return true;
}

std::uint32_t Port::Packed()
{
    std::lock_guard lock(m_);
    return open_ ? packed_ : SF_NO_TIME;
}

std::int64_t Port::ShownTimeMs()
{
    std::lock_guard lock(m_);
    return open_ ? shown_time_ms_ : -1;
}

std::uint32_t Port::PlayedSeconds()
{
    std::lock_guard lock(m_);
    if (!open_ || first_pts_ < 0 || shown_pts_ < first_pts_)
        return 0;
    return static_cast<std::uint32_t>((shown_pts_ - first_pts_) / kPtsHz);
}

bool Port::SetRegion(const VRendRect* rect)
{
    {
        std::lock_guard lock(m_);
        if (!open_)
            return SetError(VREND_ERR_NOT_OPEN), false;
        if (rect && (rect->right <= rect->left || rect->bottom <= rect->top))
            return SetError(VREND_ERR_BAD_PORT), false;
        if (rect)
            region_ = *rect;
        else
            region_.reset();
        refresh_ = true;
    }
    present_cv_.notify_all();
    return true;
}

void Port::SetDisplayCallback(VRendDisplayFn fn)
{
    std::lock_guard lock(m_);
    display_ = fn;
}

void Port::SetDrawCallback(VRendDrawFn fn, void* user)
{
    std::lock_guard lock(m_);
    draw_ = fn;
    draw_user_ = user;
}

void Port::SetDisplayBuf(std::uint32_t count)
{
    {
        std::lock_guard lock(m_);
        display_buf_ = std::clamp<std::uint32_t>(count, 1, 50);
    }
    decode_cv_.notify_all();  // room in the queue
}

void Port::SetVolume(std::uint16_t volume)
{
    std::lock_guard lock(m_);
    volume_ = volume;
}

void Port::FlushSound()
{
    if (g_sound_port == number_)
        CurrentAudioSink()->Flush();
}

PortStats Port::Stats()
{
    std::lock_guard lock(m_);
    return stats_;
}

PortMemory Port::Memory()
{
    std::lock_guard lock(m_);
    PortMemory m;
    m.ring_bytes = ring_.size();
    m.history_bytes = history_bytes_;
    for (const Queued& q : back_cache_)
        m.back_cache_bytes += FrameBytes(q.frame.get());
    for (const Queued& q : queue_)
        m.queued_bytes += OwnFrameBytes(q.frame.get());
    m.shown_bytes = OwnFrameBytes(shown_.get());
    m.images_bytes = images_->HeldBytes();
    m.decoder_buffers_bytes = frames_.HeldBytes();
    for (const AudioChunk& c : audio_)
        m.audio_bytes += c.pcm.capacity() * sizeof(std::int16_t);
    return m;
}

void Port::ClearTotals()
{
    std::shared_ptr<Clock> clock = CurrentClock();
    std::lock_guard lock(m_);
    if (clock_)
        clock = clock_;
    stats_.totals = PortTotals{.since_ns = clock->NowNs()};
}

bool Port::Settled()
{
    std::lock_guard lock(m_);
    if (!open_)
        return true;
    if (!presenter_waiting_ || wake_pending_ || in_flight_ || back_request_ || refresh_)
        return false;
    if (stepping_ && step_requests_ > 0)
        return queue_.empty() && decoder_waiting_ && ring_size_ == 0;
    if (queue_.empty())
        return decoder_waiting_ && ring_size_ == 0;
    return !playing_ || paused_ || stepping_ || !FrontDueLocked();
}

void Port::Wait(std::unique_lock<std::mutex>& lock, std::condition_variable& cv)
{
    cv.wait(lock);
    ++stats_.wakeups;
}

void Port::WaitTimed(std::unique_lock<std::mutex>& lock, std::condition_variable& cv, std::int64_t timeout_ns)
{
    cv.wait_for(lock, std::chrono::nanoseconds(timeout_ns));
    ++stats_.wakeups;
}

void Port::Wake()
{
    {
        std::lock_guard lock(m_);
        wake_pending_ = true;
    }
    present_cv_.notify_all();
}

}  // namespace vrend
