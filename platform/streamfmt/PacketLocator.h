// Packet locator: byte positions of keyframes by time in a segment file, on libavformat.
#pragma once

#include "platform/streamfmt/streamfmt.h"

// ---- Packet locator --------------------------------------------------------------------------
// Opened on a segment file (our header then MPEG-TS or an MPEG program stream), it gives byte
// positions of keyframes by time, found by seeking rather than reading the whole file. Positions
// are absolute file offsets where a demuxer can start. A handle may be used from any thread;
// calls on one handle are serialised.

enum SF_LocateMode : int {
    SF_LOCATE_START = 0,  // keyframe at or before the first packet whose second >= wanted
    SF_LOCATE_END = 1,    // first keyframe whose second > wanted
};

struct SF_StreamInfo {
    int has_header = 0;            // 1 when the file starts with our header
    SF_StreamHeader header;        // valid when has_header
    std::int64_t data_offset = 0;  // where the stream starts (40 with our header, else 0)
    std::int64_t file_size_bytes = 0;
    std::int64_t start_time = 0;  // time of the PTS origin (header's, else the caller's)
    std::int64_t first_pts = 0;   // first video PTS seen (90 kHz)
    int container = 0;            // SF_Container probed from the stream
};

struct SF_PacketInfo {
    std::int64_t pos = 0;   // absolute byte offset where the packet can be demuxed from
    std::int64_t pts = 0;   // 90 kHz
    std::int64_t time = 0;  // absolute second
    int key = 0;            // 1 for a video keyframe
};

// Opens a locator on `path`. `fallback_start_time` counts times when the file has no header of
// ours (e.g. the start time in the segment's file name). Returns a handle >= 0, or -1 when the
// file cannot be opened, is empty or holds no stream the demuxer recognises.
std::int64_t SF_LocatorOpen(const char* path, std::int64_t fallback_start_time);
// Fills `info`; false for an unknown handle.
bool SF_LocatorGetInfo(std::int64_t handle, SF_StreamInfo* info);
// Byte position of the keyframe for `wanted` (seconds since 1970) in `mode`; -1 when none
// qualifies or on failure.
std::int64_t SF_LocatorFindPacket(std::int64_t handle, std::int64_t wanted, int mode);
// Reads every video packet from the start and calls `fn` for each; returns the number of packets
// or -1 on failure. Reads the whole file: meant for tools and checks, not for seeking.
using SF_PacketFn = void (*)(const SF_PacketInfo* packet, void* user);
std::int64_t SF_LocatorScan(std::int64_t handle, SF_PacketFn fn, void* user);
// Bytes read from the file through this handle so far.
std::int64_t SF_LocatorBytesRead(std::int64_t handle);
// Frees the handle; false for an unknown handle.
bool SF_LocatorClose(std::int64_t handle);
