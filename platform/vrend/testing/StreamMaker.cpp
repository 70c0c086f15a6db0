#include "platform/vrend/testing/StreamMaker.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cmath>
#include <cstring>

#include "platform/streamfmt/streamfmt.h"

namespace vrend::testing {
namespace {

constexpr int kCodeBits = 16;  // 4 x 4 cells

int WriteOut(void* opaque, std::uint8_t* buf, int size)
{
    auto* out = static_cast<std::vector<std::uint8_t>*>(opaque);
    out->insert(out->end(), buf, buf + size);
    return size;
}

void DrawCode(AVFrame* f, int index, std::uint32_t* noise)
{
    const int w = f->width, h = f->height;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            const int bit = (y * 4 / h) * 4 + (x * 4 / w);
            int v = ((index >> bit) & 1) ? 220 : 30;
            if (noise) {
                *noise = *noise * 1664525u + 1013904223u;
                v += static_cast<int>((*noise >> 24) % 21) - 10;
            }
            f->data[0][y * f->linesize[0] + x] = static_cast<std::uint8_t>(v);
        }
    }
    for (int y = 0; y < h / 2; ++y) {
        std::memset(f->data[1] + y * f->linesize[1], 128, static_cast<std::size_t>(w / 2));
        std::memset(f->data[2] + y * f->linesize[2], 128, static_cast<std::size_t>(w / 2));
    }
}

}  // namespace

std::int64_t Stream::FramePts(int index, int fps) const
{
    SF_StreamHeader h;
    SF_ParseHeader(header.data(), header.size(), &h);
    return h.pts_origin + static_cast<std::int64_t>(index) * 90000 / fps;
}

int ReadFrameCode(const QImage& image)
{
    if (image.isNull())
        return -1;
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    int code = 0;
    for (int bit = 0; bit < kCodeBits; ++bit) {
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

Stream MakeStream(const StreamSpec& spec, std::string* error)
{
    Stream out;
    auto fail = [&](const char* what) {
        if (error)
            *error = what;
        return Stream{};
    };
    AVFormatContext* mux = nullptr;
    if (avformat_alloc_output_context2(&mux, nullptr, "mpegts", nullptr) < 0)
        return fail("mpegts muxer");
    auto* io_buf = static_cast<std::uint8_t*>(av_malloc(65536));
    mux->pb = avio_alloc_context(io_buf, 65536, 1, &out.body, nullptr, &WriteOut, nullptr);

    const AVCodec* vc = avcodec_find_encoder_by_name("libx264");
    if (!vc)
        vc = avcodec_find_encoder(AV_CODEC_ID_H264);
    if (!vc)
        return fail("no H.264 encoder");
    AVCodecContext* venc = avcodec_alloc_context3(vc);
    venc->width = spec.width;
    venc->height = spec.height;
    venc->pix_fmt = AV_PIX_FMT_YUV420P;
    venc->time_base = AVRational{1, spec.fps};
    venc->framerate = AVRational{spec.fps, 1};
    venc->gop_size = spec.gop;
    venc->keyint_min = spec.gop;
    venc->max_b_frames = spec.b_frames;
    venc->thread_count = 1;
    if (spec.bitrate_kbps > 0)
        venc->bit_rate = spec.bitrate_kbps * 1000LL;
    // The encoder keeps the parameter sets apart; they go before the first keyframe only.
    if (spec.params_once)
        venc->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    av_opt_set(venc->priv_data, "preset", "ultrafast", 0);
    av_opt_set(venc->priv_data, "x264-params", "scenecut=0:open-gop=0", 0);
    if (spec.b_frames > 0)
        av_opt_set(venc->priv_data, "x264-params", "scenecut=0:open-gop=0:b-adapt=0", 0);
    if (avcodec_open2(venc, vc, nullptr) < 0)
        return fail("open H.264 encoder");
    AVStream* vs = avformat_new_stream(mux, nullptr);
    avcodec_parameters_from_context(vs->codecpar, venc);
    vs->time_base = AVRational{1, 90000};
    std::vector<std::uint8_t> params_once;
    if (spec.params_once) {
        // Without them the muxer does not repeat them before every keyframe.
        params_once.assign(vs->codecpar->extradata, vs->codecpar->extradata + vs->codecpar->extradata_size);
        av_freep(&vs->codecpar->extradata);
        vs->codecpar->extradata_size = 0;
    }

    AVCodecContext* aenc = nullptr;
    AVStream* as = nullptr;
    if (spec.audio) {
        const AVCodec* ac = avcodec_find_encoder(AV_CODEC_ID_AAC);
        if (!ac)
            return fail("no AAC encoder");
        aenc = avcodec_alloc_context3(ac);
        aenc->sample_rate = 48000;
        aenc->sample_fmt = AV_SAMPLE_FMT_FLTP;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        av_channel_layout_copy(&aenc->ch_layout, &stereo);
        aenc->bit_rate = 64000;
        aenc->time_base = AVRational{1, 48000};
        if (avcodec_open2(aenc, ac, nullptr) < 0)
            return fail("open AAC encoder");
        as = avformat_new_stream(mux, nullptr);
        avcodec_parameters_from_context(as->codecpar, aenc);
        as->time_base = AVRational{1, 90000};
    }
    if (avformat_write_header(mux, nullptr) < 0)
        return fail("write TS header");

    AVPacket* pkt = av_packet_alloc();
    auto drain = [&](AVCodecContext* enc, AVStream* st) {
        while (avcodec_receive_packet(enc, pkt) >= 0) {
            if (st == vs && !params_once.empty()) {
                AVPacket* first = av_packet_alloc();
                av_new_packet(first, static_cast<int>(params_once.size()) + pkt->size);
                std::memcpy(first->data, params_once.data(), params_once.size());
                std::memcpy(first->data + params_once.size(), pkt->data, static_cast<std::size_t>(pkt->size));
                av_packet_copy_props(first, pkt);
                av_packet_unref(pkt);
                av_packet_move_ref(pkt, first);
                av_packet_free(&first);
                params_once.clear();
            }
            av_packet_rescale_ts(pkt, enc->time_base, st->time_base);
            pkt->pts += spec.pts_origin;
            pkt->dts += spec.pts_origin;
            pkt->stream_index = st->index;
            av_interleaved_write_frame(mux, pkt);
        }
    };
    AVFrame* vf = av_frame_alloc();
    vf->format = AV_PIX_FMT_YUV420P;
    vf->width = spec.width;
    vf->height = spec.height;
    av_frame_get_buffer(vf, 0);
    AVFrame* af = nullptr;
    std::int64_t audio_samples = 0;
    std::uint32_t seed = 12345;
    if (aenc) {
        af = av_frame_alloc();
        af->format = AV_SAMPLE_FMT_FLTP;
        af->nb_samples = aenc->frame_size;
        af->sample_rate = 48000;
        av_channel_layout_copy(&af->ch_layout, &aenc->ch_layout);
        av_frame_get_buffer(af, 0);
    }
    for (int i = 0; i < spec.frame_count; ++i) {
        av_frame_make_writable(vf);
        DrawCode(vf, i, spec.noise ? &seed : nullptr);
        vf->pts = i;
        avcodec_send_frame(venc, vf);
        drain(venc, vs);
        while (aenc && audio_samples * spec.fps < static_cast<std::int64_t>(i + 1) * 48000) {
            av_frame_make_writable(af);
            for (int c = 0; c < 2; ++c) {
                auto* d = reinterpret_cast<float*>(af->data[c]);
                for (int s = 0; s < af->nb_samples; ++s)
                    d[s] = 0.5f * std::sin(2 * M_PI * 440.0 * double(audio_samples + s) / 48000.0);
            }
            af->pts = audio_samples;
            audio_samples += af->nb_samples;
            avcodec_send_frame(aenc, af);
            drain(aenc, as);
        }
    }
    avcodec_send_frame(venc, nullptr);
    drain(venc, vs);
    if (aenc) {
        avcodec_send_frame(aenc, nullptr);
        drain(aenc, as);
    }
    av_write_trailer(mux);
    avio_flush(mux->pb);
    av_frame_free(&vf);
    av_frame_free(&af);
    av_packet_free(&pkt);
    avcodec_free_context(&venc);
    avcodec_free_context(&aenc);
    av_freep(&mux->pb->buffer);
    avio_context_free(&mux->pb);
    avformat_free_context(mux);

    SF_StreamHeader h;
    h.container = SF_CONTAINER_MPEGTS;
    h.video_codec = SF_VIDEO_H264;
    h.audio_codec = spec.audio ? SF_AUDIO_AAC : SF_AUDIO_NONE;
    h.width = static_cast<std::uint16_t>(spec.width);
    h.height = static_cast<std::uint16_t>(spec.height);
    h.frame_rate_milli = static_cast<std::uint32_t>(spec.fps * 1000);
    h.start_time = spec.start_time;
    h.pts_origin = spec.pts_origin;
    out.header.resize(SF_HEADER_SIZE);
    SF_SerialiseHeader(&h, out.header.data());
    return out;
}

}  // namespace vrend::testing
