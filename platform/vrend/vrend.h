// Player layer: decodes recording streams fed in blocks and shows them on video surfaces.
//
// A port is a small number (0..127) handed out by VRend_GetPort. Every call on one port is
// serialised inside the layer, so calls may come from any thread. Calls that give bool report
// failure with false and leave the reason in VRend_GetLastError(port).
//
// Data path of a port: VRend_InputData copies a block into the port's ring (never blocks; refuses
// when full), a demux/decode thread reads the ring through libavformat/libavcodec, and a presenter
// thread shows each frame at its time on a clock of 2^level x real time.
#pragma once

#include <cstdint>

class QPainter;

// Error numbers of VRend_GetLastError.
enum VRendError : std::uint32_t {
    VREND_OK = 0,
    VREND_ERR_BAD_PORT = 1,     // no such port, or an argument is out of range
    VREND_ERR_NOT_OPEN = 2,     // the port has no open stream
    VREND_ERR_BAD_HEADER = 3,   // header missing or too short
    VREND_ERR_BUFFER_FULL = 4,  // the ring cannot take the block now
    VREND_ERR_DECODER = 5,      // the stream cannot be demuxed or decoded
    VREND_ERR_STATE = 6,        // not possible in this state or beyond a limit
    VREND_ERR_NO_AUDIO = 7,     // no audio device (sound is then discarded)
    VREND_ERR_WRITE = 8,        // a file could not be written
    VREND_ERR_NO_FRAME = 9,     // no frame to show, convert or step to
};

constexpr int VREND_MAX_PORTS = 128;
// Frame type handed to the display callback: `buffer` is an opaque frame of this layer, valid
// during the call; only VRend_ConvertTo*File reads it.
constexpr int VREND_FRAME_TYPE = 100;

// Display callback: once per shown frame, on the port's presenter thread. `stamp` is the frame's
// time in milliseconds from the start of the stream.
using VRendDisplayFn = void (*)(int port, const char* buffer, std::int64_t size_bytes, int width, int height,
                                std::int64_t stamp_ms, int type, void* reserved);
// Draw callback: on the GUI thread, after the surface painted a frame of this port.
using VRendDrawFn = void (*)(int port, QPainter* painter, void* user);

struct VRendRect {
    std::int32_t left;
    std::int32_t top;
    std::int32_t right;
    std::int32_t bottom;
};

// Makes the layer ready to give ports (a program that loads its player libraries on first use
// loads them here). May take a moment: meant for a worker thread, so that the first
// VRend_GetPort need not wait. false when the layer cannot play at all.
bool VRend_Prepare();
bool VRend_GetPort(int* port);
bool VRend_FreePort(int port);

// 1 = stream mode (the only one used), 0 = file mode.
bool VRend_SetStreamOpenMode(int port, std::uint32_t mode);
bool VRend_SetDisplayCallBack(int port, VRendDisplayFn callback);
// Opens a decoder on the 40-byte stream header; `buffer_size_bytes` is the ring capacity. On a
// port already open the old stream is closed first and its last picture stays on the surface until
// the new stream shows its first.
bool VRend_OpenStream(int port, const std::uint8_t* header, std::uint32_t header_size_bytes,
                      std::uint32_t buffer_size_bytes);
bool VRend_CloseStream(int port);
// Depth of the decoded-frame queue.
bool VRend_SetDisplayBuf(int port, std::uint32_t frame_count);
// Starts showing into surface `window` (0 = no surface); on a playing port it leaves pause and
// single-frame mode.
bool VRend_Play(int port, std::uint32_t window);
bool VRend_Stop(int port);

// Copies the block into the ring; false with VREND_ERR_BUFFER_FULL when it does not fit now.
bool VRend_InputData(int port, const std::uint8_t* data, std::uint32_t size_bytes);
// The whole stream has been fed: the last frames are decoded and shown.
bool VRend_InputEnd(int port);
// Bytes and frames not yet shown; 0 only when everything fed has been shown.
std::uint32_t VRend_GetSourceBufferRemain(int port);
// Decoded pictures waiting to be shown after the one shown; 0 when not open. VREND_DECODER_WAITING
// when the decoder is as far ahead as it goes: its queue of decoded pictures is full (the display
// buffer, or a byte limit that large pictures reach first), or it has read everything fed before
// VRend_InputEnd.
constexpr std::uint32_t VREND_DECODER_WAITING = 0xFFFFFFFFu;
std::uint32_t VRend_GetFramesAhead(int port);
// Drops all buffered input and decoded frames; the port stays open and takes new data.
bool VRend_ResetSourceBuffer(int port);
// A positioned start: frames before `time` (seconds since 1970, counted from the stream header)
// are decoded but not shown, and showing starts at the first frame at or after it, with the play
// clock anchored there. Give it after the open and before the data: it holds until such a frame
// has been decoded, and every open clears it. -1 clears it too. A stream without our header and
// without a time origin (VRend_SetTimeOrigin) has no absolute time and is shown from its first
// frame.
bool VRend_SetStartTime(int port, std::int64_t time);
// Times a stream whose header is not ours (another recorder's, or none): the picture with PTS
// `first_pts` (90 kHz, as the stream carries it) is at `start_time` (seconds since 1970), and every
// other picture at start_time + its PTS distance from first_pts (modulo 2^33, so a PTS that wraps
// counts on). `first_pts` VREND_NO_PTS: the first picture that comes is at `start_time`. Give it after the
// open and before the data, and before VRend_SetStartTime. Fails on a stream with our header.
constexpr std::int64_t VREND_NO_PTS = INT64_MIN;
bool VRend_SetTimeOrigin(int port, std::int64_t start_time, std::int64_t first_pts);

bool VRend_Pause(int port, std::uint32_t pause);
// One speed level up or down; levels -3..3 are 1/8x..8x. A pause or single-frame mode stays.
bool VRend_Fast(int port);
bool VRend_Slow(int port);
// 0 decode all, 1 drop B-frames, 2 drop every non-reference frame.
bool VRend_ThrowBFrameNum(int port, std::uint32_t count);
// Single-frame mode: show the next / the previous frame.
bool VRend_OneByOne(int port);
bool VRend_OneByOneBack(int port);
// Shows the last frame again (after a resize).
bool VRend_RefreshPlay(int port);

bool VRend_GetPictureSize(int port, int* width, int* height);
// Packed recorder local time of the frame shown; 0xFFFFFFFF when none.
std::uint32_t VRend_GetSpecialData(int port);
// Time of the frame shown in milliseconds since 1970 (the same frame and second as
// VRend_GetSpecialData, to the millisecond); -1 when none.
std::int64_t VRend_GetShownTimeMs(int port);
// Seconds of stream shown since the stream was opened.
std::uint32_t VRend_GetPlayedTime(int port);
// Crop region in picture pixels; null shows the whole picture.
bool VRend_SetDisplayRegion(int port, std::uint32_t region_num, const VRendRect* rect, std::uint32_t dest_window,
                            std::uint32_t enable);
bool VRend_RegisterDrawFun(int port, VRendDrawFn callback, void* user);

// Write the frame of a display callback at full picture size.
bool VRend_ConvertToJpegFile(const char* buffer, std::int64_t size_bytes, int width, int height, int type,
                             const char* path);
bool VRend_ConvertToBmpFile(const char* buffer, std::int64_t size_bytes, int width, int height, int type,
                            const char* path);

// Sound is process-wide: one port sounds at a time, and only at normal speed.
bool VRend_PlaySound(int port);
bool VRend_StopSound();
bool VRend_SetVolume(int port, std::uint16_t volume);

// ---- Clips ----------------------------------------------------------------------------------
// A clip is what the port shows, as a stream of its own: the packets of the pictures shown (and
// the sound beside them) from the keyframe at or before the picture shown when the clip starts to
// the picture shown when it stops, muxed again into MPEG-TS behind the 40-byte header of the
// stream they came from. Blocks reach the callback on a thread of the clip's own, in order:
//  VREND_CLIP_HEADER  a stream of the port begins (an open or a reset): its 40-byte header, which
//                     the blocks that follow belong with (our header names MPEG-TS);
//  VREND_CLIP_KEY     a group of pictures: it begins with a keyframe carrying the stream's
//                     parameter sets, after the program tables, so a file may begin here with the
//                     last header; `time_ms` is the keyframe's time (ms since 1970, -1 unknown);
//  VREND_CLIP_DATA    more of the group before, when a group is larger than the clip keeps whole.
enum VRendClipBlock : int { VREND_CLIP_HEADER = 1, VREND_CLIP_KEY = 2, VREND_CLIP_DATA = 3 };
using VRendClipFn = void (*)(int port, int type, const std::uint8_t* data, std::uint32_t size_bytes,
                             std::int64_t time_ms, void* user);
// Starts recording what the port shows (a port without a stream records from the next one). A
// running clip is ended first. The clip goes on across new streams of the port (each begins
// with its header block) until VRend_StopClip or the port is freed.
bool VRend_StartClip(int port, VRendClipFn callback, void* user);
// Ends the clip with the picture shown now (after a step back: with the latest picture it
// showed) and returns once the last block has been handed to the callback. false when no clip
// ran. Do not call it from the callback.
bool VRend_StopClip(int port);

std::uint32_t VRend_GetLastError(int port);
