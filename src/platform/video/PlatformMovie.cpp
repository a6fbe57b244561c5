#include "platform/video/PlatformMovie.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libavutil/pixdesc.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <deque>
#include <vector>

namespace platform {
namespace {
constexpr int kIoBufferSize = 32768;
// Only containers the game's movies come in: no playlist or concatenating
// demuxer may open further files behind the caller's back.
constexpr const char* kFormatWhitelist = "smk,matroska,webm,avi,mov,mp4,gif";
// A stream that feeds this many packets without giving a frame is broken.
constexpr int kMaxPacketsPerFrame = 4096;
constexpr size_t kMaxAudioSeconds = 4;

std::string AvErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int ReadPacketCallback(void* opaque, uint8_t* buffer, int size)
{
    auto* source = static_cast<MovieSource*>(opaque);
    int got = source->Read(buffer, size);
    if (got < 0) return AVERROR(EIO);
    return got == 0 ? AVERROR_EOF : got;
}

int64_t SeekCallback(void* opaque, int64_t offset, int whence)
{
    auto* source = static_cast<MovieSource*>(opaque);
    if (whence & AVSEEK_SIZE) return source->Size();
    int64_t at = source->Seek(offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(EIO) : at;
}

struct IndexEntry {
    int64_t pts;
    bool key;
};
}  // namespace

struct MovieDecoder::State {
    std::unique_ptr<MovieSource> source;
    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* audioFrame = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    int audioRate = 44100;
    bool audioEnabled = true;
    bool draining = false;
    bool ended = false;
    std::vector<int64_t> pts;        // presentation order
    std::vector<int64_t> keyPts;     // ascending
    int32_t width = 0, height = 0;   // as opened; a frame of another size breaks the movie
    bool broken = false;
    int32_t next = 0;                // the frame the next decode gives
    int32_t skipTo = -1;             // after a seek: frames before this are dropped
    uint8_t lastPalette[768] = {};
    bool havePalette = false;
    std::deque<int16_t> samples;

    ~State()
    {
        sws_freeContext(scaler);
        swr_free(&resampler);
        av_frame_free(&frame);
        av_frame_free(&audioFrame);
        av_packet_free(&packet);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        avformat_close_input(&format);
        if (io) {
            av_freep(&io->buffer);
            avio_context_free(&io);
        }
    }

    AVStream* VideoStream() const { return format->streams[videoIndex]; }

    int32_t FrameOf(int64_t timestamp) const
    {
        if (timestamp == AV_NOPTS_VALUE) return -1;
        auto it = std::lower_bound(pts.begin(), pts.end(), timestamp);
        if (it == pts.end() || *it != timestamp) return -1;
        return int32_t(it - pts.begin());
    }

    void DecodeAudioPacket()
    {
        if (!audio || !resampler || !audioEnabled) return;
        if (avcodec_send_packet(audio, packet) < 0) return;
        while (avcodec_receive_frame(audio, audioFrame) == 0) {
            int room = swr_get_out_samples(resampler, audioFrame->nb_samples);
            if (room <= 0) continue;
            std::vector<int16_t> out(size_t(room) * kAudioChannels);
            uint8_t* planes[1] = {reinterpret_cast<uint8_t*>(out.data())};
            int got = swr_convert(resampler, planes, room, const_cast<const uint8_t**>(audioFrame->extended_data),
                                  audioFrame->nb_samples);
            if (got > 0) samples.insert(samples.end(), out.begin(), out.begin() + got * kAudioChannels);
            av_frame_unref(audioFrame);
        }
        size_t cap = kMaxAudioSeconds * size_t(audioRate) * kAudioChannels;
        if (samples.size() > cap) samples.erase(samples.begin(), samples.begin() + std::ptrdiff_t(samples.size() - cap));
    }

    // The next decoded picture in `frame`; false at the end or on failure.
    bool ReceiveFrame(std::string& error)
    {
        for (int packets = 0; packets < kMaxPacketsPerFrame; ++packets) {
            int code = avcodec_receive_frame(video, frame);
            if (code == 0) return true;
            if (code == AVERROR_EOF) return false;
            if (code != AVERROR(EAGAIN)) {
                error = "decoding failed: " + AvErrorText(code);
                return false;
            }
            if (draining) return false;
            code = av_read_frame(format, packet);
            if (code < 0) {
                draining = true;
                avcodec_send_packet(video, nullptr);
                continue;
            }
            if (packet->stream_index == videoIndex) {
                code = avcodec_send_packet(video, packet);
                // A damaged packet is dropped; the decoder carries on with the next.
                (void)code;
            } else if (packet->stream_index == audioIndex) {
                DecodeAudioPacket();
            }
            av_packet_unref(packet);
        }
        error = "no picture in the stream";
        return false;
    }

    // The n-th sound stream in file order; false (and silence) when there is
    // none or it cannot be decoded.
    bool OpenAudio(int track)
    {
        swr_free(&resampler);
        avcodec_free_context(&audio);
        audioIndex = -1;
        samples.clear();
        int index = -1;
        for (unsigned i = 0, seen = 0; i < format->nb_streams; ++i)
            if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && int(seen++) == track) index = int(i);
        if (index < 0) return false;
        const AVCodec* codec = avcodec_find_decoder(format->streams[index]->codecpar->codec_id);
        if (!codec) return false;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        SwrContext* converter = nullptr;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        if (context && avcodec_parameters_to_context(context, format->streams[index]->codecpar) >= 0 &&
            avcodec_open2(context, codec, nullptr) >= 0 && context->sample_rate > 0 &&
            context->ch_layout.nb_channels > 0 &&
            swr_alloc_set_opts2(&converter, &stereo, AV_SAMPLE_FMT_S16, audioRate, &context->ch_layout,
                                context->sample_fmt, context->sample_rate, 0, nullptr) >= 0 &&
            swr_init(converter) >= 0) {
            audio = context;
            resampler = converter;
            audioIndex = index;
            return true;
        }
        swr_free(&converter);
        avcodec_free_context(&context);
        return false;
    }

    void Restart()
    {
        avcodec_flush_buffers(video);
        if (audio) avcodec_flush_buffers(audio);
        draining = false;
        ended = false;
        samples.clear();
    }
};

MovieDecoder::MovieDecoder() = default;
MovieDecoder::~MovieDecoder() = default;

void MovieDecoder::Close() { state_.reset(); }
bool MovieDecoder::IsOpen() const { return state_ != nullptr; }

bool MovieDecoder::Open(std::unique_ptr<MovieSource> source, const MovieOpenOptions& options)
{
    Close();
    error_.clear();
    if (!source) {
        error_ = "no source";
        return false;
    }
    av_log_set_level(AV_LOG_QUIET);
    auto state = std::make_unique<State>();
    state->source = std::move(source);
    state->audioRate = std::clamp(options.audioRate, 8000, 192000);
    state->audioEnabled = options.audio;

    auto* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (!buffer) return error_ = "out of memory", false;
    state->io = avio_alloc_context(buffer, kIoBufferSize, 0, state->source.get(), ReadPacketCallback, nullptr,
                                   SeekCallback);
    if (!state->io) {
        av_free(buffer);
        return error_ = "out of memory", false;
    }
    state->format = avformat_alloc_context();
    if (!state->format) return error_ = "out of memory", false;
    state->format->pb = state->io;
    state->format->flags |= AVFMT_FLAG_CUSTOM_IO;
    state->format->format_whitelist = av_strdup(kFormatWhitelist);
    int code = avformat_open_input(&state->format, nullptr, nullptr, nullptr);
    if (code < 0) {
        // avformat_open_input frees the context on failure.
        state->format = nullptr;
        return error_ = "not a movie file (" + AvErrorText(code) + ")", false;
    }
    code = avformat_find_stream_info(state->format, nullptr);
    if (code < 0) return error_ = "unreadable stream information (" + AvErrorText(code) + ")", false;

    const AVCodec* videoCodec = nullptr;
    state->videoIndex = av_find_best_stream(state->format, AVMEDIA_TYPE_VIDEO, -1, -1, &videoCodec, 0);
    if (state->videoIndex < 0 || !videoCodec) return error_ = "no picture stream that can be decoded", false;
    AVStream* stream = state->VideoStream();
    state->video = avcodec_alloc_context3(videoCodec);
    if (!state->video) return error_ = "out of memory", false;
    if (avcodec_parameters_to_context(state->video, stream->codecpar) < 0) return error_ = "bad codec parameters", false;
    state->video->thread_count = 1;
    // Frames may announce another size than the stream did: the decoder
    // refuses any picture beyond the bound before allocating it.
    state->video->max_pixels = options.maxPixels;
    code = avcodec_open2(state->video, videoCodec, nullptr);
    if (code < 0) return error_ = "cannot open the picture decoder (" + AvErrorText(code) + ")", false;
    if (state->video->width <= 0 || state->video->height <= 0 || state->video->width > 4096 ||
        state->video->height > 4096 || int64_t(state->video->width) * state->video->height > options.maxPixels)
        return error_ = "picture size out of range", false;
    state->width = state->video->width;
    state->height = state->video->height;

    if (options.audio) state->OpenAudio(options.audioTrack);

    state->packet = av_packet_alloc();
    state->frame = av_frame_alloc();
    state->audioFrame = av_frame_alloc();
    if (!state->packet || !state->frame || !state->audioFrame) return error_ = "out of memory", false;

    // The index: one entry per picture packet.
    std::vector<IndexEntry> index;
    int64_t sequence = 0;
    while ((code = av_read_frame(state->format, state->packet)) >= 0) {
        if (state->packet->stream_index == state->videoIndex) {
            int64_t ts = state->packet->pts != AV_NOPTS_VALUE ? state->packet->pts : state->packet->dts;
            if (ts == AV_NOPTS_VALUE) ts = sequence;
            index.push_back({ts, (state->packet->flags & AV_PKT_FLAG_KEY) != 0});
            ++sequence;
        }
        av_packet_unref(state->packet);
        if (int(index.size()) > options.maxFrames) return error_ = "too many frames", false;
    }
    if (index.empty()) return error_ = "no frames", false;
    for (const IndexEntry& entry : index) {
        state->pts.push_back(entry.pts);
        if (entry.key) state->keyPts.push_back(entry.pts);
    }
    std::sort(state->pts.begin(), state->pts.end());
    state->pts.erase(std::unique(state->pts.begin(), state->pts.end()), state->pts.end());
    std::sort(state->keyPts.begin(), state->keyPts.end());
    if (state->keyPts.empty() || state->keyPts.front() != state->pts.front())
        state->keyPts.insert(state->keyPts.begin(), state->pts.front());

    state_ = std::move(state);
    state_->next = -1;
    if (!Seek(0)) {
        state_.reset();
        return false;
    }
    return true;
}

int32_t MovieDecoder::Width() const { return state_ ? state_->width : 0; }
int32_t MovieDecoder::Height() const { return state_ ? state_->height : 0; }
int32_t MovieDecoder::FrameCount() const { return state_ ? int32_t(state_->pts.size()) : 0; }

int MovieDecoder::FrameRateNum() const
{
    if (!state_) return 0;
    AVRational rate = state_->VideoStream()->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = state_->VideoStream()->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240 || av_q2d(rate) < 0.1) return 15;
    return rate.num;
}

int MovieDecoder::FrameRateDen() const
{
    if (!state_) return 1;
    AVRational rate = state_->VideoStream()->avg_frame_rate;
    if (rate.num <= 0 || rate.den <= 0) rate = state_->VideoStream()->r_frame_rate;
    if (rate.num <= 0 || rate.den <= 0 || av_q2d(rate) > 240 || av_q2d(rate) < 0.1) return 1;
    return rate.den;
}

int64_t MovieDecoder::FrameIntervalUs() const
{
    int num = FrameRateNum();
    return num > 0 ? int64_t(1000000) * FrameRateDen() / num : 66666;
}

bool MovieDecoder::IsPalettised() const { return state_ && state_->video->pix_fmt == AV_PIX_FMT_PAL8; }

bool MovieDecoder::HasAlpha() const
{
    if (!state_) return false;
    const AVPixFmtDescriptor* descriptor = av_pix_fmt_desc_get(state_->video->pix_fmt);
    return descriptor && (descriptor->flags & AV_PIX_FMT_FLAG_ALPHA) && state_->video->pix_fmt != AV_PIX_FMT_PAL8;
}

const char* MovieDecoder::CodecName() const { return state_ ? state_->video->codec->name : ""; }

int32_t MovieDecoder::NextFrame() const { return state_ ? state_->next : 0; }

bool MovieDecoder::Seek(int32_t frame)
{
    if (!state_) return false;
    State& s = *state_;
    frame = std::clamp(frame, 0, int32_t(s.pts.size()) - 1);
    if (frame == s.next && !s.ended) return true;
    int64_t target = s.pts[size_t(frame)];
    auto key = std::upper_bound(s.keyPts.begin(), s.keyPts.end(), target);
    int64_t keyPts = *(key - 1);
    // Forward with no key frame in between: decoding on is cheaper than seeking.
    bool forward = frame > s.next && s.next >= 0 && !s.ended && s.pts[size_t(s.next)] >= keyPts;
    if (!forward) {
        int code = av_seek_frame(s.format, s.videoIndex, keyPts, AVSEEK_FLAG_BACKWARD);
        if (code < 0 && keyPts != s.pts.front()) {
            keyPts = s.pts.front();
            code = av_seek_frame(s.format, s.videoIndex, keyPts, AVSEEK_FLAG_BACKWARD);
        }
        if (code < 0) code = avformat_seek_file(s.format, s.videoIndex, INT64_MIN, keyPts, keyPts, 0);
        if (code < 0) {
            error_ = "cannot seek in the movie (" + AvErrorText(code) + ")";
            return false;
        }
        s.Restart();
    }
    s.skipTo = frame;
    s.next = frame;
    return true;
}

namespace {
void StorePalette(const AVFrame* frame, uint8_t* out)
{
    const auto* entries = reinterpret_cast<const uint32_t*>(frame->data[1]);
    for (int i = 0; i < 256; ++i) {
        out[i * 3] = uint8_t(entries[i] >> 16);
        out[i * 3 + 1] = uint8_t(entries[i] >> 8);
        out[i * 3 + 2] = uint8_t(entries[i]);
    }
}

AVPixelFormat TargetFormat(MoviePixels pixels)
{
    switch (pixels) {
    case MoviePixels::Indexed8: return AV_PIX_FMT_RGB8;
    case MoviePixels::Rgb555: return AV_PIX_FMT_RGB555LE;
    case MoviePixels::Rgb565: return AV_PIX_FMT_RGB565LE;
    case MoviePixels::Argb32: return AV_PIX_FMT_BGRA;
    }
    return AV_PIX_FMT_BGRA;
}
}  // namespace

bool MovieDecoder::DecodeNext(const MovieFrameTarget& target, bool* paletteChanged)
{
    if (paletteChanged) *paletteChanged = false;
    if (!state_) return error_ = "not open", false;
    State& s = *state_;
    if (s.ended || s.broken) return false;
    int32_t width = s.width, height = s.height;
    if (!target.pixels || target.width < width || target.height < height ||
        target.pitch < width * (target.format == MoviePixels::Indexed8 ? 1 : target.format == MoviePixels::Argb32 ? 4 : 2) ||
        (target.format == MoviePixels::Indexed8 && !target.palette))
        return error_ = "frame target smaller than the movie", false;

    for (;;) {
        std::string failure;
        if (!s.ReceiveFrame(failure)) {
            s.ended = true;
            if (!failure.empty()) error_ = failure;
            return false;
        }
        int32_t number = s.FrameOf(s.frame->best_effort_timestamp);
        if (number < 0) number = s.next;
        if (s.skipTo >= 0 && number < s.skipTo) {
            // Frames between the key frame and the one wanted still count for
            // Smacker-style palettes, which change by deltas.
            av_frame_unref(s.frame);
            continue;
        }
        s.skipTo = -1;
        s.next = number + 1;
        if (s.next >= int32_t(s.pts.size())) s.ended = true;
        break;
    }
    AVFrame* frame = s.frame;
    if (frame->width != width || frame->height != height) {
        av_frame_unref(frame);
        s.broken = true;
        return error_ = "a frame changed size", false;
    }
    bool ok = true;
    if (target.format == MoviePixels::Indexed8 && frame->format == AV_PIX_FMT_PAL8) {
        for (int32_t y = 0; y < height; ++y)
            std::memcpy(target.pixels + ptrdiff_t(y) * target.pitch, frame->data[0] + ptrdiff_t(y) * frame->linesize[0],
                        size_t(width));
        uint8_t palette[768];
        StorePalette(frame, palette);
        if (!s.havePalette || std::memcmp(palette, s.lastPalette, 768) != 0) {
            std::memcpy(s.lastPalette, palette, 768);
            s.havePalette = true;
            if (paletteChanged) *paletteChanged = true;
        }
        std::memcpy(target.palette, palette, 768);
    } else {
        AVPixelFormat wanted = TargetFormat(target.format);
        s.scaler = sws_getCachedContext(s.scaler, width, height, AVPixelFormat(frame->format), width, height, wanted,
                                        SWS_POINT, nullptr, nullptr, nullptr);
        if (!s.scaler) {
            ok = false;
            error_ = "no conversion to the surface's pixels";
        } else {
            uint8_t* planes[4] = {target.pixels, nullptr, nullptr, nullptr};
            int strides[4] = {target.pitch, 0, 0, 0};
            sws_scale(s.scaler, frame->data, frame->linesize, 0, height, planes, strides);
            if (target.format == MoviePixels::Indexed8) {
                // RGB8 is three bits of red, three of green, two of blue.
                uint8_t palette[768];
                for (int i = 0; i < 256; ++i) {
                    palette[i * 3] = uint8_t(((i >> 5) & 7) * 255 / 7);
                    palette[i * 3 + 1] = uint8_t(((i >> 2) & 7) * 255 / 7);
                    palette[i * 3 + 2] = uint8_t((i & 3) * 255 / 3);
                }
                if (!s.havePalette) {
                    if (paletteChanged) *paletteChanged = true;
                    s.havePalette = true;
                    std::memcpy(s.lastPalette, palette, 768);
                }
                std::memcpy(target.palette, palette, 768);
            }
        }
    }
    av_frame_unref(frame);
    return ok;
}

bool MovieDecoder::HasAudio() const { return state_ && state_->audio; }
int MovieDecoder::AudioRate() const { return state_ ? state_->audioRate : 0; }

size_t MovieDecoder::ReadAudio(int16_t* out, size_t frames)
{
    if (!state_ || !out) return 0;
    auto& samples = state_->samples;
    size_t count = std::min(frames, samples.size() / kAudioChannels);
    std::copy_n(samples.begin(), count * kAudioChannels, out);
    samples.erase(samples.begin(), samples.begin() + std::ptrdiff_t(count * kAudioChannels));
    return count;
}

size_t MovieDecoder::AudioFramesBuffered() const { return state_ ? state_->samples.size() / kAudioChannels : 0; }
void MovieDecoder::DropAudio()
{
    if (state_) state_->samples.clear();
}
bool MovieDecoder::SelectAudioTrack(int track) { return state_ && state_->OpenAudio(track); }

void MovieDecoder::SetAudioEnabled(bool on)
{
    if (!state_) return;
    state_->audioEnabled = on;
    if (!on) state_->samples.clear();
}

}  // namespace platform
