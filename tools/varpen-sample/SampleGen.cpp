#include "tools/varpen-sample/SampleGen.h"

#include <QColor>
#include <QDateTime>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QTemporaryFile>

#include <algorithm>
#include <cstring>
#include <cmath>
#include <memory>

#include "platform/streamfmt/PacketLocator.h"
#include "tools/varpen-sample/SampleCode.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace SampleGen {

const std::uint8_t kOtherHeader[40] = {'O',  'T',  'R',  'C',  0x02, 0x00, 0x01, 0x10, 0x00, 0x00,
                                       0x80, 0x07, 0x38, 0x04, 0x19, 0x00, 0x01, 0x00, 0x00, 0x00,
                                       0x00, 0x00, 0x00, 0x00, 0x7f, 0x00, 0x55, 0xaa, 0x00, 0x00,
                                       0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};

namespace {

struct CodecCtxDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
using CodecCtx = std::unique_ptr<AVCodecContext, CodecCtxDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;

QString avError(int code)
{
    char buf[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buf, sizeof buf);
    return QString::fromUtf8(buf);
}

QImage paintFrame(const SegmentParams& p, int n)
{
    QImage img(p.width, p.height, QImage::Format_RGB32);
    img.fill(QColor::fromHsv((p.channel * 47) % 360, 120, 110));
    if (p.camera) {
        // As a camera sees a scene: a fine texture that drifts a pixel per frame (leaves, gravel),
        // under sensor noise that differs in every frame.
        std::uint32_t x = 2166136261u ^ (std::uint32_t(n) * 16777619u) ^ std::uint32_t(p.channel);
        const int shift = n;
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
            for (int i = 0; i < img.width(); ++i) {
                const int u = i + shift, v = y + (shift >> 1);
                // A fixed pattern of fine detail: hashed per 2x2 cell, so it moves with the scene.
                std::uint32_t h = std::uint32_t(u >> 1) * 73856093u ^ std::uint32_t(v >> 1) * 19349663u;
                h = (h ^ (h >> 13)) * 0x5bd1e995u;
                const int texture = int((h >> 24) & 63) - 32;
                x = x * 1664525u + 1013904223u;
                const int noise = int((x >> 27) & 15) - 8;
                const QRgb base = line[i];
                auto ch = [&](int c) { return std::clamp(c + texture + noise, 0, 255); };
                line[i] = qRgb(ch(qRed(base)), ch(qGreen(base)), ch(qBlue(base)));
            }
        }
    } else if (p.noise) {
        std::uint32_t x = 2166136261u ^ std::uint32_t(n);
        for (int y = 0; y < img.height(); ++y) {
            auto* line = reinterpret_cast<std::uint32_t*>(img.scanLine(y));
            for (int i = 0; i < img.width(); ++i)
                line[i] = (x = x * 1664525u + 1013904223u) >> 8;
        }
    }
    QPainter painter(&img);
    // A bar that moves across the picture gives the encoder real motion.
    const int bar_w = std::max(8, p.width / 16);
    const int x = (n * 4) % (p.width + bar_w) - bar_w;
    painter.fillRect(x, p.height / 3, bar_w, p.height / 6, QColor(240, 200, 40));
    const std::int64_t t = p.start_time + n / p.fps;
    const int frame_in_second = n % p.fps;
    const QDateTime dt = QDateTime::fromSecsSinceEpoch(t);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(std::max(10, p.height / 9));
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const QString line1 = QStringLiteral("CH%1").arg(p.channel, 2, 10, QLatin1Char('0'));
    const QString line2 = dt.toString(QStringLiteral("yyyy-MM-dd"));
    const QString line3 = dt.toString(QStringLiteral("hh:mm:ss")) +
                          QStringLiteral(".%1").arg(frame_in_second * 100 / p.fps, 2, 10, QLatin1Char('0'));
    const int lh = font.pixelSize() + 4;
    painter.drawText(QRect(8, 4, p.width - 16, lh), Qt::AlignLeft, line1 + QStringLiteral("  ") + line2);
    painter.drawText(QRect(8, 4 + lh, p.width - 16, lh), Qt::AlignLeft, line3);
    painter.end();
    SampleCode::Mark mark;
    mark.time = t;
    mark.frame = frame_in_second;
    mark.channel = p.channel;
    SampleCode::draw(img, mark);
    return img;
}

constexpr int kFrameNumberBits = 16;  // 4 x 4 cells

// The frame index as 4 x 4 black and white cells over the whole picture, written into the luma
// plane; with `noise`, grain of +-10 from a generator that runs on from frame to frame.
void drawFrameNumber(AVFrame* f, int index, std::uint32_t* noise)
{
    const int w = f->width, h = f->height;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int bit = (y * 4 / h) * 4 + (x * 4 / w);
            int v = ((index >> bit) & 1) ? 220 : 30;
            if (noise) {
                *noise = *noise * 1664525u + 1013904223u;
                v += int((*noise >> 24) % 21) - 10;
            }
            f->data[0][y * f->linesize[0] + x] = std::uint8_t(v);
        }
    }
    for (int y = 0; y < h / 2; ++y) {
        std::memset(f->data[1] + y * f->linesize[1], 128, std::size_t(w / 2));
        std::memset(f->data[2] + y * f->linesize[2], 128, std::size_t(w / 2));
    }
}

struct Muxer {
    AVFormatContext* oc = nullptr;
    QFile* out = nullptr;
    bool write_failed = false;
    ~Muxer()
    {
        if (oc) {
            if (oc->pb) {
                av_freep(&oc->pb->buffer);
                avio_context_free(&oc->pb);
            }
            avformat_free_context(oc);
        }
    }
    bool drop_some_pts = false;
    int stripped_candidates = 0;
    std::vector<std::uint8_t> params_once;  // parameter sets still to go before the first picture
    // Writes some video PES headers as other muxers do: without a timestamp. Only pictures that
    // carry a PTS alone (no DTS) and are not keyframes; the header keeps its length, the five
    // timestamp bytes become stuffing.
    void dropSomePts(std::uint8_t* buf, int size)
    {
        for (int at = 0; at + 188 <= size; at += 188) {
            std::uint8_t* p = buf + at;
            if (p[0] != 0x47 || !(p[1] & 0x40))
                continue;
            const int afc = (p[3] >> 4) & 3;
            if (!(afc & 1))
                continue;
            int off = 4 + ((afc & 2) ? 1 + p[4] : 0);
            if (off + 14 > 188)
                continue;
            if (p[off] != 0 || p[off + 1] != 0 || p[off + 2] != 1 || (p[off + 3] & 0xf0) != 0xe0)
                continue;
            if ((p[off + 7] >> 6) != 2)
                continue;
            const int payload = off + 9 + p[off + 8];
            bool key = false;
            for (int i = payload; i + 3 < 188; ++i) {
                if (p[i] == 0 && p[i + 1] == 0 && p[i + 2] == 1) {
                    const int type = p[i + 3] & 0x1f;
                    if (type == 5 || type == 7)
                        key = true;
                    if (type == 1 || type == 5)
                        break;
                }
            }
            if (key || (stripped_candidates++ % 2) == 0)
                continue;
            p[off + 7] &= 0x3f;
            std::memset(p + off + 9, 0xff, 5);
        }
    }
    static int writeCb(void* opaque, std::uint8_t* buf, int size)
    {
        auto* self = static_cast<Muxer*>(opaque);
        if (self->drop_some_pts)
            self->dropSomePts(buf, size);
        if (self->out->write(reinterpret_cast<const char*>(buf), size) != size) {
            self->write_failed = true;
            return AVERROR(EIO);
        }
        return size;
    }
};

bool sendAndWrite(AVCodecContext* enc, AVFrame* frame, Muxer& mux, AVStream* st, AVPacket* pkt, std::int64_t pts_offset,
                  QString* error)
{
    int ret = avcodec_send_frame(enc, frame);
    if (ret < 0) {
        *error = QStringLiteral("encoder: %1").arg(avError(ret));
        return false;
    }
    while ((ret = avcodec_receive_packet(enc, pkt)) >= 0) {
        if (enc->codec_type == AVMEDIA_TYPE_VIDEO && !mux.params_once.empty()) {
            // The parameter sets kept apart go before the first picture, and nowhere else.
            const std::size_t n = mux.params_once.size();
            Packet first(av_packet_alloc());
            av_new_packet(first.get(), int(n) + pkt->size);
            std::memcpy(first->data, mux.params_once.data(), n);
            std::memcpy(first->data + n, pkt->data, std::size_t(pkt->size));
            av_packet_copy_props(first.get(), pkt);
            av_packet_unref(pkt);
            av_packet_move_ref(pkt, first.get());
            mux.params_once.clear();
        }
        av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
        pkt->pts += pts_offset;
        pkt->dts += pts_offset;
        pkt->stream_index = st->index;
        ret = av_interleaved_write_frame(mux.oc, pkt);
        if (ret < 0) {
            *error = QStringLiteral("muxer: %1").arg(avError(ret));
            return false;
        }
    }
    if (ret != AVERROR(EAGAIN) && ret != AVERROR_EOF) {
        *error = QStringLiteral("encoder: %1").arg(avError(ret));
        return false;
    }
    return true;
}

void collectKey(const SF_PacketInfo* p, void* user)
{
    if (p->key)
        static_cast<std::vector<Keyframe>*>(user)->push_back({p->pos, p->pts, p->time});
}

bool encodeTo(QFile& file, const SegmentParams& p, SegmentResult* result, QString* error)
{
    if (p.width < 64 || p.height < 64 || p.width % 2 || p.height % 2 || p.fps < 1 || p.fps > 120 ||
        (p.frame_count <= 0 && p.duration_s < 1) || p.keyint < 1) {
        *error = QStringLiteral("bad picture size, rate, duration or keyframe interval");
        return false;
    }
    if (p.audio && p.program_stream) {
        *error = QStringLiteral("AAC audio needs MPEG-TS; program streams are written without audio");
        return false;
    }
    if (p.audio &&
        (p.audio_rate_hz < 8000 || p.audio_rate_hz > 48000 || p.audio_channels < 1 || p.audio_channels > 2)) {
        *error = QStringLiteral("bad sound rate or channel count");
        return false;
    }
    if (p.first_pts < 0 || p.audio_lead_ms < 0 || p.audio_lead_ms > 10000 ||
        p.first_pts - std::int64_t(p.audio_lead_ms) * 90 < SF_PTS_CLOCK) {
        *error = QStringLiteral("bad first PTS or audio lead");
        return false;
    }
    SF_StreamHeader h;
    h.container = p.program_stream ? SF_CONTAINER_MPEGPS : SF_CONTAINER_MPEGTS;
    h.video_codec = SF_VIDEO_H264;
    h.audio_codec = p.audio ? SF_AUDIO_AAC : SF_AUDIO_NONE;
    h.width = std::uint16_t(p.width);
    h.height = std::uint16_t(p.height);
    h.frame_rate_milli = std::uint32_t(p.fps * 1000);
    h.start_time = p.start_time;
    h.pts_origin = p.first_pts;
    std::uint8_t head[SF_HEADER_SIZE];
    SF_SerialiseHeader(&h, head);
    if (p.header == SegmentParams::Header::Other)
        std::memcpy(head, kOtherHeader, sizeof head);
    if (p.header != SegmentParams::Header::None &&
        file.write(reinterpret_cast<const char*>(head), sizeof head) != qint64(sizeof head)) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }

    const AVCodec* vcodec = avcodec_find_encoder_by_name("libx264");
    if (!vcodec) {
        *error = QStringLiteral("libx264 encoder not available");
        return false;
    }
    CodecCtx venc(avcodec_alloc_context3(vcodec));
    venc->width = p.width;
    venc->height = p.height;
    venc->pix_fmt = AV_PIX_FMT_YUV420P;
    venc->time_base = AVRational{1, p.fps};
    venc->framerate = AVRational{p.fps, 1};
    venc->gop_size = p.keyint;
    venc->thread_count = 1;
    av_opt_set(venc->priv_data, "preset", "ultrafast", 0);
    if (p.bitrate_kbps > 0) {
        venc->bit_rate = std::int64_t(p.bitrate_kbps) * 1000;
        venc->rc_max_rate = venc->bit_rate * 3 / 2;
        venc->rc_buffer_size = int(venc->bit_rate * 2);
    } else {
        av_opt_set_int(venc->priv_data, "crf", std::clamp(p.crf, 0, 51), 0);
    }
    if (p.bframes == 0)
        av_opt_set(venc->priv_data, "tune", "zerolatency", 0);
    // The encoder keeps the parameter sets apart; they go before the first keyframe only.
    if (p.params_once)
        venc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    const QByteArray x264 = QStringLiteral("keyint=%1:min-keyint=%1:scenecut=0:bframes=%2:threads=1")
                                .arg(p.keyint)
                                .arg(std::max(0, p.bframes))
                                .toLatin1();
    av_opt_set(venc->priv_data, "x264-params", x264.constData(), 0);
    int ret = avcodec_open2(venc.get(), vcodec, nullptr);
    if (ret < 0) {
        *error = QStringLiteral("open libx264: %1").arg(avError(ret));
        return false;
    }

    CodecCtx aenc;
    if (p.audio) {
        const AVCodec* acodec = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!acodec) {
            *error = QStringLiteral("AAC encoder not available");
            return false;
        }
        aenc.reset(avcodec_alloc_context3(acodec));
        aenc->sample_rate = p.audio_rate_hz;
        aenc->sample_fmt = AV_SAMPLE_FMT_FLTP;
        av_channel_layout_default(&aenc->ch_layout, p.audio_channels);
        aenc->bit_rate = 32000 * p.audio_channels;
        aenc->time_base = AVRational{1, p.audio_rate_hz};
        aenc->thread_count = 1;
        ret = avcodec_open2(aenc.get(), acodec, nullptr);
        if (ret < 0) {
            *error = QStringLiteral("open AAC: %1").arg(avError(ret));
            return false;
        }
    }

    Muxer mux;
    mux.out = &file;
    ret = avformat_alloc_output_context2(&mux.oc, nullptr, p.program_stream ? "mpeg" : "mpegts", nullptr);
    if (ret < 0 || !mux.oc) {
        *error = QStringLiteral("muxer: %1").arg(avError(ret));
        return false;
    }
    mux.drop_some_pts = p.drop_some_pts && !p.program_stream;
    constexpr int kIoBuf = 188 * 348;  // whole TS packets per write
    auto* iobuf = static_cast<std::uint8_t*>(av_malloc(kIoBuf));
    mux.oc->pb = avio_alloc_context(iobuf, kIoBuf, 1, &mux, nullptr, &Muxer::writeCb, nullptr);
    mux.oc->flags |= AVFMT_FLAG_CUSTOM_IO | AVFMT_FLAG_BITEXACT;
    AVStream* vst = avformat_new_stream(mux.oc, nullptr);
    avcodec_parameters_from_context(vst->codecpar, venc.get());
    vst->time_base = AVRational{1, int(SF_PTS_CLOCK)};
    std::vector<std::uint8_t> params_once;
    if (p.params_once) {
        // Without them the muxer does not repeat them before every keyframe.
        params_once.assign(vst->codecpar->extradata, vst->codecpar->extradata + vst->codecpar->extradata_size);
        av_freep(&vst->codecpar->extradata);
        vst->codecpar->extradata_size = 0;
    }
    AVStream* ast = nullptr;
    if (aenc) {
        ast = avformat_new_stream(mux.oc, nullptr);
        avcodec_parameters_from_context(ast->codecpar, aenc.get());
        ast->time_base = AVRational{1, int(SF_PTS_CLOCK)};
    }
    AVDictionary* opts = nullptr;
    if (!p.program_stream)
        av_dict_set(&opts, "mpegts_copyts", "1", 0);
    ret = avformat_write_header(mux.oc, &opts);
    av_dict_free(&opts);
    if (ret < 0) {
        *error = QStringLiteral("muxer header: %1").arg(avError(ret));
        return false;
    }

    Frame vframe(av_frame_alloc());
    const bool numbered = p.picture == SegmentParams::Picture::FrameNumber;
    vframe->format = AV_PIX_FMT_YUV420P;
    vframe->width = p.width;
    vframe->height = p.height;
    av_frame_get_buffer(vframe.get(), 0);
    std::unique_ptr<SwsContext, SwsDeleter> sws;
    if (!numbered)
        sws.reset(sws_getContext(p.width, p.height, AV_PIX_FMT_RGB32, p.width, p.height, AV_PIX_FMT_YUV420P,
                                 SWS_BILINEAR, nullptr, nullptr, nullptr));
    Frame aframe;
    if (aenc) {
        aframe.reset(av_frame_alloc());
        aframe->format = aenc->sample_fmt;
        aframe->nb_samples = aenc->frame_size;
        aframe->sample_rate = aenc->sample_rate;
        av_channel_layout_copy(&aframe->ch_layout, &aenc->ch_layout);
        av_frame_get_buffer(aframe.get(), 0);
    }
    Packet pkt(av_packet_alloc());
    mux.params_once = std::move(params_once);
    const int frames = p.frame_count > 0 ? p.frame_count : p.duration_s * p.fps;
    const int rate = p.audio_rate_hz;
    const std::int64_t lead_samples = std::int64_t(p.audio_lead_ms) * rate / 1000;
    const std::int64_t audio_samples = std::int64_t(frames) * rate / p.fps + lead_samples;
    const std::int64_t audio_offset = p.first_pts - std::int64_t(p.audio_lead_ms) * 90;
    std::int64_t next_sample = 0;
    const double tone_hz = 440.0 + 100.0 * p.channel;
    std::uint32_t grain = 12345;
    for (int n = 0; n < frames; ++n) {
        av_frame_make_writable(vframe.get());
        if (numbered) {
            drawFrameNumber(vframe.get(), n, p.noise ? &grain : nullptr);
        } else {
            const QImage img = paintFrame(p, n);
            const std::uint8_t* src[1] = {img.constBits()};
            const int src_stride[1] = {int(img.bytesPerLine())};
            sws_scale(sws.get(), src, src_stride, 0, p.height, vframe->data, vframe->linesize);
        }
        vframe->pts = n;
        if (!sendAndWrite(venc.get(), vframe.get(), mux, vst, pkt.get(), p.first_pts, error))
            return false;
        // Audio up to the end of this video frame.
        while (aenc && next_sample < audio_samples &&
               (next_sample - lead_samples) * p.fps < std::int64_t(n + 1) * rate) {
            av_frame_make_writable(aframe.get());
            for (int c = 0; c < p.audio_channels; ++c) {
                auto* samples = reinterpret_cast<float*>(aframe->data[c]);
                for (int i = 0; i < aframe->nb_samples; ++i)
                    samples[i] = float(0.3 * std::sin(2 * M_PI * tone_hz * double(next_sample + i) / rate));
            }
            aframe->pts = next_sample;
            next_sample += aframe->nb_samples;
            if (!sendAndWrite(aenc.get(), aframe.get(), mux, ast, pkt.get(), audio_offset, error))
                return false;
        }
    }
    if (!sendAndWrite(venc.get(), nullptr, mux, vst, pkt.get(), p.first_pts, error))
        return false;
    if (aenc && !sendAndWrite(aenc.get(), nullptr, mux, ast, pkt.get(), audio_offset, error))
        return false;
    ret = av_write_trailer(mux.oc);
    avio_flush(mux.oc->pb);
    if (ret < 0 || mux.write_failed) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    if (!file.flush()) {
        *error = QStringLiteral("cannot write %1").arg(file.fileName());
        return false;
    }
    if (result) {
        result->frames = frames;
        result->size_bytes = file.size();
    }
    return true;
}

// Reads the written file back through the locator: checks it parses and lists its keyframes.
bool indexSegment(const QString& path, std::int64_t start_time, SegmentResult* result, QString* error)
{
    // A file without our header is timed from its start, as its name gives it.
    const std::int64_t h = SF_LocatorOpen(QFile::encodeName(path).constData(), start_time);
    if (h < 0) {
        *error = QStringLiteral("written segment does not read back: %1").arg(path);
        return false;
    }
    result->keyframes.clear();
    const std::int64_t n = SF_LocatorScan(h, &collectKey, &result->keyframes);
    SF_LocatorClose(h);
    if (n <= 0 || result->keyframes.empty()) {
        *error = QStringLiteral("written segment has no keyframes: %1").arg(path);
        return false;
    }
    return true;
}

}  // namespace

bool WriteSegment(const QString& path, const SegmentParams& params, SegmentResult* result, QString* error)
{
    QString dummy;
    if (!error)
        error = &dummy;
    SegmentResult local;
    if (!result)
        result = &local;
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            *error = QStringLiteral("cannot create %1").arg(path);
            return false;
        }
        if (!encodeTo(file, params, result, error)) {
            file.close();
            QFile::remove(path);
            return false;
        }
    }
    return indexSegment(path, params.start_time, result, error);
}

bool EncodeSegment(const SegmentParams& params, QByteArray* bytes, SegmentResult* result, QString* error)
{
    QTemporaryFile tmp;
    if (!tmp.open()) {
        if (error)
            *error = QStringLiteral("cannot create a temporary file");
        return false;
    }
    tmp.close();
    if (!WriteSegment(tmp.fileName(), params, result, error))
        return false;
    QFile in(tmp.fileName());
    if (!in.open(QIODevice::ReadOnly))
        return false;
    if (bytes)
        *bytes = in.readAll();
    return true;
}

SegmentParams NumberedStream(int frames, int keyint)
{
    SegmentParams p;
    p.picture = SegmentParams::Picture::FrameNumber;
    p.frame_count = frames;
    p.keyint = keyint;
    p.width = 320;
    p.height = 240;
    p.fps = 25;
    p.start_time = 1704164645;  // 2024-01-02 03:04:05 UTC
    p.crf = 23;
    p.audio_rate_hz = 48000;
    p.audio_channels = 2;
    return p;
}

int ReadFrameNumber(const QImage& image)
{
    if (image.isNull())
        return -1;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    int code = 0;
    for (int bit = 0; bit < kFrameNumberBits; ++bit) {
        const int cx = (bit % 4) * img.width() / 4 + img.width() / 8;
        const int cy = (bit / 4) * img.height() / 4 + img.height() / 8;
        const int v = qGray(img.pixel(cx, cy));
        if (v > 180)
            code |= 1 << bit;
        else if (v > 70)
            return -1;  // neither black nor white: not a code
    }
    return code;
}

Stream SplitStream(const QByteArray& bytes)
{
    Stream s;
    if (bytes.size() > qsizetype(SF_HEADER_SIZE)) {
        s.header.assign(bytes.begin(), bytes.begin() + SF_HEADER_SIZE);
        s.body.assign(bytes.begin() + SF_HEADER_SIZE, bytes.end());
    }
    return s;
}

Stream MakeStream(const SegmentParams& params, QString* error)
{
    QByteArray bytes;
    if (!EncodeSegment(params, &bytes, nullptr, error))
        return {};
    return SplitStream(bytes);
}

namespace {

QImage FrameImage(const AVFrame* frame)
{
    QImage img(frame->width, frame->height, QImage::Format_RGB32);
    std::unique_ptr<SwsContext, SwsDeleter> sws(
        sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format), frame->width, frame->height,
                       AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr));
    if (!sws)
        return {};
    std::uint8_t* dst[1] = {img.bits()};
    const int stride[1] = {int(img.bytesPerLine())};
    sws_scale(sws.get(), frame->data, frame->linesize, 0, frame->height, dst, stride);
    return img;
}

}  // namespace

QImage DecodeFirstPicture(const QString& path, std::int64_t pos, bool program_stream)
{
    AVFormatContext* ctx = nullptr;
    AVDictionary* opts = nullptr;
    av_dict_set_int(&opts, "skip_initial_bytes", pos, 0);
    const AVInputFormat* fmt = av_find_input_format(program_stream ? "mpeg" : "mpegts");
    const int ret = avformat_open_input(&ctx, QFile::encodeName(path).constData(), fmt, &opts);
    av_dict_free(&opts);
    if (ret < 0)
        return {};
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_H264);
    CodecCtx dec(avcodec_alloc_context3(codec));
    dec->thread_count = 1;
    Packet pkt(av_packet_alloc());
    Frame frame(av_frame_alloc());
    QImage img;
    bool got = false;
    if (avcodec_open2(dec.get(), codec, nullptr) >= 0) {
        bool more = true;
        while (!got && more) {
            more = av_read_frame(ctx, pkt.get()) >= 0;
            if (more && ctx->streams[pkt->stream_index]->codecpar->codec_type != AVMEDIA_TYPE_VIDEO) {
                av_packet_unref(pkt.get());
                continue;
            }
            avcodec_send_packet(dec.get(), more ? pkt.get() : nullptr);  // null drains at the end
            av_packet_unref(pkt.get());
            got = avcodec_receive_frame(dec.get(), frame.get()) >= 0;
        }
    }
    if (got)
        img = FrameImage(frame.get());
    avformat_close_input(&ctx);
    return img;
}

DecodeReport DecodePictures(const QString& path, std::int64_t pos, const std::function<void(const QImage&)>& picture)
{
    DecodeReport report;
    AVFormatContext* ctx = nullptr;
    AVDictionary* opts = nullptr;
    av_dict_set_int(&opts, "skip_initial_bytes", pos, 0);
    const int ret =
        avformat_open_input(&ctx, QFile::encodeName(path).constData(), av_find_input_format("mpegts"), &opts);
    av_dict_free(&opts);
    if (ret < 0)
        return report;
    report.opened = true;
    CodecCtx dec;
    int vindex = -1;
    Packet pkt(av_packet_alloc());
    Frame frame(av_frame_alloc());
    auto receive = [&] {
        while (true) {
            const int r = avcodec_receive_frame(dec.get(), frame.get());
            if (r == AVERROR(EAGAIN) || r == AVERROR_EOF)
                return;
            if (r < 0) {
                ++report.errors;
                return;
            }
            if (frame->decode_error_flags || (frame->flags & AV_FRAME_FLAG_CORRUPT))
                ++report.errors;
            ++report.pictures;
            if (picture)
                picture(FrameImage(frame.get()));
            av_frame_unref(frame.get());
        }
    };
    while (av_read_frame(ctx, pkt.get()) >= 0) {
        const AVStream* st = ctx->streams[pkt->stream_index];
        if (vindex < 0 && st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
            const AVCodec* codec = avcodec_find_decoder(st->codecpar->codec_id);
            dec.reset(codec ? avcodec_alloc_context3(codec) : nullptr);
            if (dec)
                dec->thread_count = 1;
            if (!dec || avcodec_parameters_to_context(dec.get(), st->codecpar) < 0 ||
                avcodec_open2(dec.get(), codec, nullptr) < 0) {
                ++report.errors;
                av_packet_unref(pkt.get());
                break;
            }
            vindex = pkt->stream_index;
        }
        if (st->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
            ++report.audio_packets;
        if (pkt->stream_index == vindex) {
            ++report.packets;
            for (int i = 0; i + 3 < pkt->size; ++i) {
                const std::uint8_t* d = pkt->data + i;
                if (d[0] == 0 && d[1] == 0 && d[2] == 1 && (d[3] & 0x1f) == 7)
                    ++report.parameter_sets;
            }
            if (avcodec_send_packet(dec.get(), pkt.get()) < 0)
                ++report.errors;
            receive();
        }
        av_packet_unref(pkt.get());
    }
    if (dec) {
        avcodec_send_packet(dec.get(), nullptr);
        receive();
    }
    avformat_close_input(&ctx);
    return report;
}

}  // namespace SampleGen
