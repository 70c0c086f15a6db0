#include "platform/streamfmt/PacketLocator.h"

#include "platform/rtk/rtk.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int kAvioBufferBytes = 16 * 1024;
constexpr int kProbeBytes = 64 * 1024;
constexpr int kTsPacket = 188;
// Packets read at open while looking for the first video frame.
constexpr int kMaxPacketsToFirstVideo = 4096;

// True when `data` holds a keyframe of the codec: an IDR slice for H.264, an IRAP picture for
// HEVC, an I-VOP for MPEG-4 Visual. Scans the Annex B start codes of the packet.
bool isKeyPayload(AVCodecID codec, const std::uint8_t* data, int size)
{
    for (int i = 0; i + 3 < size; ++i) {
        if (data[i] != 0 || data[i + 1] != 0 || data[i + 2] != 1)
            continue;
        const std::uint8_t b = data[i + 3];
        switch (codec) {
        case AV_CODEC_ID_H264:
            if ((b & 0x1f) == 5)
                return true;
            break;
        case AV_CODEC_ID_HEVC: {
            const int type = (b >> 1) & 0x3f;
            if (type >= 16 && type <= 21)
                return true;
            break;
        }
        case AV_CODEC_ID_MPEG4:
            if (b == 0xb6 && i + 4 < size)
                return (data[i + 4] >> 6) == 0;
            break;
        default:
            return false;
        }
        i += 2;
    }
    return false;
}

struct Locator {
    std::mutex mutex;
    int fd = -1;
    SF_StreamInfo info;
    std::int64_t bytes_read = 0;
    std::int64_t io_pos = 0;  // position inside the stream (file offset - data offset)
    AVFormatContext* ctx = nullptr;
    AVIOContext* avio = nullptr;
    int video_index = -1;
    AVCodecID video_codec = AV_CODEC_ID_NONE;
    AVPacket* pkt = nullptr;

    ~Locator()
    {
        if (ctx)
            avformat_close_input(&ctx);
        if (avio) {
            av_freep(&avio->buffer);
            avio_context_free(&avio);
        }
        av_packet_free(&pkt);
        if (fd >= 0)
            ::close(fd);
    }

    std::int64_t streamSize() const { return info.file_size_bytes - info.data_offset; }

    static int readCb(void* opaque, std::uint8_t* buf, int size)
    {
        auto* self = static_cast<Locator*>(opaque);
        const std::int64_t left = self->streamSize() - self->io_pos;
        if (left <= 0)
            return AVERROR_EOF;
        const std::size_t want = std::size_t(std::min<std::int64_t>(size, left));
        const std::int64_t n = RTK_ReadFileAt(self->fd, buf, want, self->info.data_offset + self->io_pos);
        if (n < 0)
            return AVERROR(EIO);
        if (n == 0)
            return AVERROR_EOF;
        self->io_pos += n;
        self->bytes_read += n;
        return int(n);
    }

    static std::int64_t seekCb(void* opaque, std::int64_t offset, int whence)
    {
        auto* self = static_cast<Locator*>(opaque);
        whence &= ~AVSEEK_FORCE;
        std::int64_t target;
        switch (whence) {
        case AVSEEK_SIZE:
            return self->streamSize();
        case SEEK_SET:
            target = offset;
            break;
        case SEEK_CUR:
            target = self->io_pos + offset;
            break;
        case SEEK_END:
            target = self->streamSize() + offset;
            break;
        default:
            return -1;
        }
        if (target < 0)
            return -1;
        self->io_pos = target;
        return target;
    }

    bool readExact(std::int64_t offset, std::uint8_t* buf, std::size_t size)
    {
        const std::int64_t n = RTK_ReadFileAt(fd, buf, size, offset);
        if (n > 0)
            bytes_read += n;
        return n == std::int64_t(size);
    }

    // Which container starts at `offset`: MPEG-TS sync bytes or an MPEG pack header.
    int probeContainer(std::int64_t offset)
    {
        std::uint8_t buf[3 * kTsPacket + 1] = {};
        const std::int64_t avail = info.file_size_bytes - offset;
        if (avail < 4)
            return 0;
        const std::size_t n = std::size_t(std::min<std::int64_t>(avail, sizeof buf));
        if (!readExact(offset, buf, n))
            return 0;
        if (buf[0] == 0x47) {
            bool sync = true;
            for (std::size_t p = kTsPacket; p < n; p += kTsPacket)
                sync = sync && buf[p] == 0x47;
            if (sync)
                return SF_CONTAINER_MPEGTS;
        }
        if (buf[0] == 0 && buf[1] == 0 && buf[2] == 1 && buf[3] == 0xba)
            return SF_CONTAINER_MPEGPS;
        return 0;
    }

    bool open(const char* path, std::int64_t fallback_start)
    {
        // Only a regular file: the demuxer would wait for ever on a FIFO without a writer.
        fd = RTK_OpenReadOnly(path);
        if (fd < 0)
            return false;
        struct stat st {};
        if (::fstat(fd, &st) != 0)
            return false;
        info.file_size_bytes = st.st_size;
        std::uint8_t head[SF_HEADER_SIZE];
        if (info.file_size_bytes >= std::int64_t(SF_HEADER_SIZE) && readExact(0, head, sizeof head) &&
            SF_ParseHeader(head, sizeof head, &info.header)) {
            info.has_header = 1;
            info.data_offset = SF_HEADER_SIZE;
            info.start_time = info.header.start_time;
            info.container = probeContainer(SF_HEADER_SIZE);
        } else {
            // Not our header: a stream that starts right away, or a foreign 40-byte header before it.
            info.start_time = fallback_start;
            info.header.start_time = fallback_start;
            info.container = probeContainer(0);
            if (info.container == 0) {
                info.data_offset = SF_HEADER_SIZE;
                info.container = probeContainer(SF_HEADER_SIZE);
            }
        }
        if (info.container == 0)
            return false;

        auto* buffer = static_cast<std::uint8_t*>(av_malloc(kAvioBufferBytes));
        if (!buffer)
            return false;
        avio = avio_alloc_context(buffer, kAvioBufferBytes, 0, this, &Locator::readCb, nullptr, &Locator::seekCb);
        if (!avio) {
            av_free(buffer);
            return false;
        }
        ctx = avformat_alloc_context();
        pkt = av_packet_alloc();
        if (!ctx || !pkt)
            return false;
        ctx->pb = avio;
        ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
        // In MPEG-TS a PES holds one picture, with its time: packets are taken as they come. A program
        // stream packs several pictures into one PES, so there the parser splits them; pictures
        // without a time of their own are timed from the one before (see nextVideo).
        if (info.container == SF_CONTAINER_MPEGTS)
            ctx->flags |= AVFMT_FLAG_NOPARSE | AVFMT_FLAG_NOFILLIN;
        ctx->probesize = kProbeBytes;
        const AVInputFormat* fmt = av_find_input_format(info.container == SF_CONTAINER_MPEGTS ? "mpegts" : "mpeg");
        if (!fmt)
            return false;
        if (avformat_open_input(&ctx, nullptr, fmt, nullptr) < 0) {
            ctx = nullptr;  // freed by avformat_open_input on failure
            return false;
        }
        // The first video packet gives the stream and the first PTS.
        for (int i = 0; i < kMaxPacketsToFirstVideo; ++i) {
            if (av_read_frame(ctx, pkt) < 0)
                return false;
            const AVStream* s = ctx->streams[pkt->stream_index];
            const bool video = s->codecpar->codec_type == AVMEDIA_TYPE_VIDEO;
            const std::int64_t pts = pkt->pts;
            av_packet_unref(pkt);
            if (video && pts != AV_NOPTS_VALUE) {
                video_index = s->index;
                video_codec = s->codecpar->codec_id;
                info.first_pts = pts;
                // Without our header the first picture is taken to be at the caller's start time.
                if (!info.has_header)
                    info.header.pts_origin = pts;
                return true;
            }
        }
        return false;
    }

    // In MPEG-TS the muxer puts the program tables (PAT, PMT, SDT) right before a keyframe; a
    // demuxer that starts there knows the streams at once. Moves `pos` back over such packets.
    std::int64_t withTableHeaders(std::int64_t pos)
    {
        for (int i = 0; i < 8 && pos - kTsPacket >= info.data_offset; ++i) {
            std::uint8_t p[kTsPacket];
            if (!readExact(pos - kTsPacket, p, sizeof p))
                break;
            const bool pusi = p[1] & 0x40;
            const int afc = (p[3] >> 4) & 3;
            if (p[0] != 0x47 || !pusi || !(afc & 1))
                break;
            int off = 4 + ((afc & 2) ? 1 + p[4] : 0);
            if (off >= kTsPacket)
                break;
            off += 1 + p[off];  // pointer field
            if (off >= kTsPacket)
                break;
            const std::uint8_t table = p[off];
            if (table != 0x00 && table != 0x02 && table != 0x42)
                break;
            pos -= kTsPacket;
        }
        return pos;
    }

    // First PTS of the absolute second `second`, saturated: callers and headers may hold any value.
    std::int64_t ptsOfSecond(std::int64_t second) const
    {
        const __int128 v = __int128(info.header.pts_origin) + (__int128(second) - info.start_time) * SF_PTS_CLOCK;
        const __int128 lim = std::numeric_limits<std::int64_t>::max() / 2;
        return std::int64_t(v > lim ? lim : v < -lim ? -lim : v);
    }

    std::int64_t timeOf(std::int64_t pts) const
    {
        SF_StreamHeader h = info.header;
        h.start_time = info.start_time;
        return SF_FrameTime(&h, pts);
    }

    // Positions the demuxer at or before `pts` (from the start when `pts` is at or before the first).
    void seekTo(std::int64_t pts)
    {
        last_pts = AV_NOPTS_VALUE;
        last_pos = -1;
        if (pts > info.first_pts && av_seek_frame(ctx, video_index, pts, AVSEEK_FLAG_BACKWARD) >= 0)
            return;
        av_seek_frame(ctx, video_index, 0, AVSEEK_FLAG_BYTE | AVSEEK_FLAG_BACKWARD);
    }

    std::int64_t frameDuration() const
    {
        if (info.has_header && info.header.frame_rate_milli >= 1000 && info.header.frame_rate_milli <= 240000)
            return SF_PTS_CLOCK * 1000 / info.header.frame_rate_milli;
        const AVRational r = ctx->streams[video_index]->avg_frame_rate;
        if (r.num > 0 && r.den > 0 && av_q2d(r) >= 1 && av_q2d(r) <= 240)
            return av_rescale(SF_PTS_CLOCK, r.den, r.num);
        return SF_PTS_CLOCK / 25;
    }

    // Last time and position seen, for pictures of a program stream that carry neither.
    std::int64_t last_pts = AV_NOPTS_VALUE;
    std::int64_t last_pos = -1;

    // Next video packet with a PTS; false at the end or on a read error.
    bool nextVideo(SF_PacketInfo* out)
    {
        while (av_read_frame(ctx, pkt) >= 0) {
            bool mine = pkt->stream_index == video_index;
            if (mine && info.container == SF_CONTAINER_MPEGPS) {
                // The picture starts at or after the last PES that had a position.
                if (pkt->pos >= 0)
                    last_pos = pkt->pos;
                else
                    pkt->pos = last_pos;
                if (pkt->pts != AV_NOPTS_VALUE)
                    last_pts = pkt->pts;
                else if (last_pts != AV_NOPTS_VALUE)
                    pkt->pts = last_pts += frameDuration();
            }
            mine = mine && pkt->pts != AV_NOPTS_VALUE && pkt->pos >= 0;
            if (mine) {
                out->pos = pkt->pos + info.data_offset;
                out->pts = pkt->pts;
                out->time = timeOf(pkt->pts);
                out->key = isKeyPayload(video_codec, pkt->data, pkt->size) ||
                           (video_codec != AV_CODEC_ID_H264 && video_codec != AV_CODEC_ID_HEVC &&
                            video_codec != AV_CODEC_ID_MPEG4 && (pkt->flags & AV_PKT_FLAG_KEY));
                if (out->key && info.container == SF_CONTAINER_MPEGTS)
                    out->pos = withTableHeaders(out->pos);
            }
            av_packet_unref(pkt);
            if (mine)
                return true;
        }
        return false;
    }

    std::int64_t findStart(std::int64_t wanted)
    {
        const std::int64_t target_pts = ptsOfSecond(wanted);
        // Seek to the target; when that lands after the keyframe of the target's group of pictures,
        // go back a second, then twice as far each time, until the stream's start.
        for (std::int64_t margin = 0;; margin = margin ? margin * 2 : SF_PTS_CLOCK) {
            const std::int64_t from = target_pts - margin;
            const bool from_start = from <= info.first_pts || margin > (std::int64_t(1) << 45);
            seekTo(from_start ? info.first_pts : from);
            SF_PacketInfo p, last_key;
            bool have_key = false;
            bool reached = false;
            while (nextVideo(&p)) {
                if (p.key) {
                    last_key = p;
                    have_key = true;
                }
                if (p.time >= wanted) {
                    reached = true;
                    break;
                }
            }
            if (!reached)
                return -1;  // nothing at or after the wanted second
            if (have_key)
                return last_key.pos;
            if (from_start) {
                // The stream does not begin with a keyframe: the first one after is where playing can start.
                while (nextVideo(&p))
                    if (p.key)
                        return p.pos;
                return -1;
            }
        }
    }

    std::int64_t findEnd(std::int64_t wanted)
    {
        if (wanted == std::numeric_limits<std::int64_t>::max())
            return -1;
        const std::int64_t target_pts = ptsOfSecond(wanted + 1);
        seekTo(target_pts - SF_PTS_CLOCK);
        SF_PacketInfo p;
        while (nextVideo(&p))
            if (p.key && p.time > wanted)
                return p.pos;
        return -1;
    }
};

std::mutex g_tableMutex;
std::map<std::int64_t, std::shared_ptr<Locator>> g_table;
std::int64_t g_nextHandle = 0;

std::shared_ptr<Locator> find(std::int64_t handle)
{
    std::lock_guard<std::mutex> lock(g_tableMutex);
    auto it = g_table.find(handle);
    return it == g_table.end() ? nullptr : it->second;
}

}  // namespace

std::int64_t SF_LocatorOpen(const char* path, std::int64_t fallback_start_time)
{
    if (!path)
        return -1;
    auto loc = std::make_shared<Locator>();
    if (!loc->open(path, fallback_start_time))
        return -1;
    std::lock_guard<std::mutex> lock(g_tableMutex);
    const std::int64_t handle = g_nextHandle++;
    g_table.emplace(handle, std::move(loc));
    return handle;
}

bool SF_LocatorGetInfo(std::int64_t handle, SF_StreamInfo* info)
{
    auto loc = find(handle);
    if (!loc || !info)
        return false;
    std::lock_guard<std::mutex> lock(loc->mutex);
    *info = loc->info;
    return true;
}

std::int64_t SF_LocatorFindPacket(std::int64_t handle, std::int64_t wanted, int mode)
{
    auto loc = find(handle);
    if (!loc)
        return -1;
    std::lock_guard<std::mutex> lock(loc->mutex);
    if (mode == SF_LOCATE_START)
        return loc->findStart(wanted);
    if (mode == SF_LOCATE_END)
        return loc->findEnd(wanted);
    return -1;
}

std::int64_t SF_LocatorScan(std::int64_t handle, SF_PacketFn fn, void* user)
{
    auto loc = find(handle);
    if (!loc)
        return -1;
    std::lock_guard<std::mutex> lock(loc->mutex);
    loc->seekTo(loc->info.first_pts);
    std::int64_t count = 0;
    SF_PacketInfo p;
    while (loc->nextVideo(&p)) {
        ++count;
        if (fn)
            fn(&p, user);
    }
    return count;
}

std::int64_t SF_LocatorBytesRead(std::int64_t handle)
{
    auto loc = find(handle);
    if (!loc)
        return -1;
    std::lock_guard<std::mutex> lock(loc->mutex);
    return loc->bytes_read;
}

bool SF_LocatorClose(std::int64_t handle)
{
    std::shared_ptr<Locator> loc;
    {
        std::lock_guard<std::mutex> lock(g_tableMutex);
        auto it = g_table.find(handle);
        if (it == g_table.end())
            return false;
        loc = std::move(it->second);
        g_table.erase(it);
    }
    std::lock_guard<std::mutex> lock(loc->mutex);  // waits for a call in flight on another thread
    return true;
}
