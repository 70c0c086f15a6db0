// A port's clip recording (internal to platform/vrend): the record of the packets the port
// demuxed, kept as far back as the step-back history reaches, and the state of a running clip.
// The clip hands over the packets of what the port has shown; its own thread muxes them again and
// calls the clip callback (PortClip.cpp).
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
}

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "platform/streamfmt/streamfmt.h"
#include "platform/vrend/vrend.h"

namespace vrend {

struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;

struct ParDeleter {
    void operator()(AVCodecParameters* p) const { avcodec_parameters_free(&p); }
};
using ParPtr = std::shared_ptr<const AVCodecParameters>;
ParPtr CopyPar(const AVCodecParameters* par);

// The parameter sets a packet carries before its first picture (H.264 SPS and PPS, HEVC VPS, SPS
// and PPS, the MPEG-4 headers before the first picture), each behind a start code; empty when it
// carries none.
std::vector<std::uint8_t> ParameterSets(AVCodecID codec, const std::uint8_t* data, std::size_t size);

struct ClipPacket {
    PacketPtr pkt;
    std::int64_t seq = 0;
    std::int64_t pts = AV_NOPTS_VALUE;  // on the port's time line; estimated for pictures without one
    bool timed = false;                 // the packet carries its own time
    bool video = false;
    bool key = false;
    // A keyframe without parameter sets of its own: the stream's last ones before it.
    std::shared_ptr<const std::vector<std::uint8_t>> params;
    std::int64_t time_ms = -1;  // a keyframe handed over: its time (ms since 1970), -1 unknown
};

// One stream of the port as a clip writes it: the header its blocks belong with and what the
// muxer needs.
struct ClipRun {
    std::uint8_t header[SF_HEADER_SIZE] = {};
    ParPtr video_par;
    AVRational video_tb{1, 90000};
    ParPtr audio_par;
    AVRational audio_tb{1, 90000};
};

// Packets for the clip thread; `ends`: the run's stream has ended (closed or reset).
struct ClipWork {
    std::shared_ptr<const ClipRun> run;
    std::vector<ClipPacket> packets;
    bool ends = false;
};

struct ClipState {
    // ---- The record, kept with or without a clip: the current stream's packets in demux order.
    std::deque<ClipPacket> record;
    std::int64_t next_seq = 0;
    std::size_t record_bytes = 0;
    int record_keys = 0;                                      // video keyframes in the record
    std::shared_ptr<const std::vector<std::uint8_t>> params;  // the last parameter sets the stream carried
    int audio_index = -1;  // the stream index of the recorded sound (the first sound stream)
    ParPtr audio_par;
    AVRational audio_tb{1, 90000};
    std::int64_t last_video_pts = AV_NOPTS_VALUE;
    std::int64_t shown = -1;  // the last picture shown of the current stream

    // ---- The clip.
    bool active = false;
    bool stop = false;  // the clip thread ends the clip and returns
    VRendClipFn fn = nullptr;
    void* user = nullptr;
    std::shared_ptr<const ClipRun> run;  // the current stream's, once the clip has begun on it
    bool started = false;                // the first keyframe of the current stream's part is chosen
    std::int64_t take = 0;               // the first packet not handed over (seq)
    std::size_t pending_bytes = 0;       // bytes of the record from `take` on
    std::int64_t high = -1;              // the latest picture shown of the current stream while clipping
    std::deque<ClipWork> work;           // the last packets of streams that ended
};

}  // namespace vrend
