// Seams of the player layer that tests and benchmarks use: a replaceable clock, a replaceable
// sound sink, counters and a wait for a port to settle.
#pragma once

#include <QImage>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/vrend/AudioOut.h"

namespace vrend {

// The time base of every presenter. The real one is the steady clock.
class Clock {
public:
    virtual ~Clock() = default;
    virtual std::int64_t NowNs() const = 0;
    // A virtual clock only moves when told; presenters then wait for Advance instead of a timer.
    virtual bool IsVirtual() const { return false; }
};

// Time that moves only by Advance; each Advance wakes every presenter.
class VirtualClock : public Clock {
public:
    std::int64_t NowNs() const override;
    bool IsVirtual() const override { return true; }
    void Advance(std::int64_t delta_ns);

private:
    std::atomic<std::int64_t> now_ns_{1'000'000'000};
};

// Counted over every stream opened on a port since it was taken or its totals were cleared: an
// open does not reset them (a window that plays file after file opens the port for each file).
struct PortTotals {
    std::int64_t since_ns = -1;  // clock time of the clear (-1: never cleared)
    std::uint64_t frames_shown = 0;
    std::uint64_t frames_late = 0;
    // The longest clock time between two frames shown, or from the clear to the first one. A
    // picture held by a pause counts too: read it over plain playing.
    std::int64_t longest_gap_ns = 0;
    std::int64_t last_shown_ns = -1;  // clock time of the last frame shown (-1: none since the clear)
};

// Counted since the last open, but for `totals`.
struct PortStats {
    std::uint64_t frames_decoded = 0;
    std::uint64_t frames_shown = 0;
    std::uint64_t frames_late = 0;          // dropped because the next frame was already due
    std::uint64_t frames_before_start = 0;  // decoded before a positioned start and not shown
    std::uint64_t stalls = 0;               // no frame decoded in time: the clock waited for one
    // The same before the decoder first got ahead of the presenter (two frames waiting, or the
    // end of input) since the open or reset: the port's start-up, not lateness.
    std::uint64_t startup_stalls = 0;
    std::uint64_t bytes_fed = 0;
    std::int64_t last_shown_pts = -1;       // 90 kHz, as in the stream
    std::int64_t last_shown_time_ms = -1;   // absolute time of that frame (ms since 1970; our header only)
    std::int64_t first_shown_time_ms = -1;  // the same of the first frame shown since the open
    // Times the port's decode and present threads woke from a wait: a port with nothing to do
    // (idle, paused, or played to the end) sleeps until a call, data or its clock gives it work.
    std::uint64_t wakeups = 0;
    PortTotals totals;
};

// What a port holds, part by part, in bytes.
struct PortMemory {
    std::size_t ring_bytes = 0;        // the ring of fed bytes (its capacity)
    std::size_t history_bytes = 0;     // packets kept for stepping back
    std::size_t back_cache_bytes = 0;  // frames kept by the last step back
    std::size_t queued_bytes = 0;      // decoded frames waiting to be shown, as far as only the queue holds them
    std::size_t shown_bytes = 0;       // the frame shown, as far as only the port holds it
    std::size_t images_bytes = 0;      // pictures converted for the surface (queued, shown, spare)
    std::size_t audio_bytes = 0;       // sound waiting to be played
    std::size_t decoder_buffers_bytes = 0;  // the picture buffers the decoder draws from (in frames or spare)
};

}  // namespace vrend

// Replaces the clock of all ports (null restores the steady clock). Set it before opening ports.
void vrend_test_SetClock(std::shared_ptr<vrend::Clock> clock);
// Replaces the process's sound sink (null restores the audio device sink).
void vrend_test_SetAudioSink(std::shared_ptr<vrend::AudioSink> sink);
bool vrend_test_GetStats(int port, vrend::PortStats* stats);
bool vrend_test_GetMemory(int port, vrend::PortMemory* memory);
// Starts the port's totals again from the current clock time.
bool vrend_test_ClearTotals(int port);
// Waits until the port has nothing left to do at the current clock time: the next frame is not
// due yet, or everything fed has been shown, or it is paused with no step pending.
bool vrend_test_WaitSettled(int port, int timeout_ms);
// The picture of a display-callback frame as RGB32 at full size (null image for anything else).
QImage vrend_test_FrameImage(const char* buffer, std::int64_t size_bytes, int type);
