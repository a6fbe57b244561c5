// The sources.  WAV images go through SDL's own loader, which already
// knows PCM, IMA and MS ADPCM and float; raw PCM is read in place; MP3 is
// fed to libmpg123 in memory-sized pieces so that music never sits decoded
// in memory as a whole; queued sound is copied in as it comes.
#include "platform/audio/PlatformAudioSource.h"

#include <mpg123.h>

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {
// ------------------------------------------------------------- PCM in memory
class PcmSource : public PlatAudioSource {
public:
    PcmSource(const uint8_t* bytes, size_t size, bool ownedBySdl) : bytes_(bytes), size_(size), sdlOwned_(ownedBySdl) {}
    ~PcmSource() override
    {
        if (sdlOwned_) SDL_FreeWAV(const_cast<uint8_t*>(bytes_));
    }
    void Set(SDL_AudioFormat format, int channels, int rate)
    {
        format_ = format;
        channels_ = channels;
        rate_ = rate;
        size_ -= size_ % size_t(FrameBytes());   // a torn last frame is never handed on
    }
    size_t Read(uint8_t* out, size_t capacity) override
    {
        size_t count = std::min(capacity - capacity % size_t(FrameBytes()), size_ - position_);
        if (count) memcpy(out, bytes_ + position_, count);   // an empty WAV may come with no buffer
        position_ += count;
        return count;
    }
    void Rewind() override { position_ = 0; }
    int64_t Frames() const override { return int64_t(size_ / size_t(FrameBytes())); }

private:
    const uint8_t* bytes_;
    size_t size_;
    size_t position_ = 0;
    bool sdlOwned_;
};

// ------------------------------------------------------------- MP3
std::once_flag gMpgInit;
bool gMpgReady = false;

class Mp3Source : public PlatAudioSource {
public:
    Mp3Source(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
    ~Mp3Source() override
    {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
    }

    bool Open(std::string& error)
    {
        int code = MPG123_OK;
        handle_ = mpg123_new(nullptr, &code);
        if (!handle_) {
            error = mpg123_plain_strerror(code);
            return false;
        }
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        mpg123_format_none(handle_);
        for (long rate : {8000L, 11025L, 12000L, 16000L, 22050L, 24000L, 32000L, 44100L, 48000L})
            mpg123_format(handle_, rate, MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
        if (mpg123_open_feed(handle_) != MPG123_OK) {
            error = mpg123_strerror(handle_);
            return false;
        }
        // Decode up to the first format so the voice knows rate and channels.
        uint8_t scratch[4608];
        while (!formatKnown_ && !ended_) Decode(scratch, sizeof scratch);
        if (!formatKnown_) {
            error = "no MPEG audio frames in the data";
            return false;
        }
        Rewind();
        return true;
    }

    size_t Read(uint8_t* out, size_t capacity) override { return Decode(out, capacity); }

    void Rewind() override
    {
        mpg123_close(handle_);
        mpg123_open_feed(handle_);
        feedPosition_ = 0;
        ended_ = false;
    }

private:
    // Feeds the decoder until it yields samples or the data is used up.
    size_t Decode(uint8_t* out, size_t capacity)
    {
        while (!ended_) {
            size_t done = 0;
            int code = mpg123_read(handle_, out, capacity, &done);
            if (code == MPG123_NEW_FORMAT) {
                long rate = 0;
                int channels = 0, encoding = 0;
                mpg123_getformat(handle_, &rate, &channels, &encoding);
                rate_ = int(rate);
                channels_ = channels;
                format_ = AUDIO_S16SYS;
                formatKnown_ = true;
                if (done) return done;
                continue;
            }
            if (done) return done;
            if (code == MPG123_NEED_MORE) {
                if (feedPosition_ >= size_) {
                    ended_ = true;
                    break;
                }
                size_t piece = std::min<size_t>(16384, size_ - feedPosition_);
                if (mpg123_feed(handle_, bytes_ + feedPosition_, piece) != MPG123_OK) ended_ = true;
                feedPosition_ += piece;
                continue;
            }
            if (code == MPG123_OK) continue;
            ended_ = true;   // MPG123_DONE or a decoder error: the stream ends here
        }
        return 0;
    }

    const uint8_t* bytes_;
    size_t size_;
    size_t feedPosition_ = 0;
    mpg123_handle* handle_ = nullptr;
    bool formatKnown_ = false;
    bool ended_ = false;
};
}  // namespace

namespace {
// SDL's loader allocates what a chunk header claims before it reads; a
// chunk that runs past the image is refused here first.
bool ChunksFit(const uint8_t* p, size_t size)
{
    if (size < 12 || memcmp(p, "RIFF", 4) != 0) return false;
    for (size_t at = 12; at + 8 <= size;) {
        uint32_t length = uint32_t(p[at + 4]) | uint32_t(p[at + 5]) << 8 | uint32_t(p[at + 6]) << 16 |
                          uint32_t(p[at + 7]) << 24;
        if (length > size - at - 8) return false;
        at += 8 + size_t(length) + (length & 1);
    }
    return true;
}
}  // namespace

PlatAudioSource* PlatMakeWavSource(const void* data, size_t size, std::string& error)
{
    if (!data || size == 0 || size > size_t(INT32_MAX)) {
        error = "empty or oversized WAV image";
        return nullptr;
    }
    if (!ChunksFit(static_cast<const uint8_t*>(data), size)) {
        error = "a WAV chunk runs past the end of the data";
        return nullptr;
    }
    SDL_RWops* io = SDL_RWFromConstMem(data, int(size));
    if (!io) {
        error = SDL_GetError();
        return nullptr;
    }
    SDL_AudioSpec spec;
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV_RW(io, 1, &spec, &buffer, &length)) {
        error = SDL_GetError();
        return nullptr;
    }
    // A rate or channel count no sound has would only make the converter
    // ask for absurd buffers.
    if (spec.channels == 0 || spec.channels > 8 || spec.freq < kMinRate || spec.freq > kMaxRate) {
        SDL_FreeWAV(buffer);
        error = "WAV format with an unplayable rate or channel count";
        return nullptr;
    }
    auto* source = new PcmSource(buffer, length, true);
    source->Set(spec.format, spec.channels, spec.freq);
    return source;
}

PlatAudioSource* PlatMakeRawSource(const void* data, size_t size, int rate, std::string& error)
{
    if (!data || rate < kMinRate || rate > kMaxRate) {
        error = "raw PCM without data or with an unplayable rate";
        return nullptr;
    }
    auto* source = new PcmSource(static_cast<const uint8_t*>(data), size, false);
    source->Set(AUDIO_S16LSB, 1, rate);
    return source;
}

PlatAudioSource* PlatMakeMp3Source(const void* data, size_t size, std::string& error)
{
    std::call_once(gMpgInit, [] {
#if MPG123_API_VERSION < 46
        gMpgReady = mpg123_init() == MPG123_OK;
#else
        gMpgReady = true;
#endif
    });
    if (!gMpgReady) {
        error = "the MP3 decoder did not start";
        return nullptr;
    }
    if (!data || size == 0) {
        error = "empty MP3 data";
        return nullptr;
    }
    auto* source = new Mp3Source(static_cast<const uint8_t*>(data), size);
    if (!source->Open(error)) {
        delete source;
        return nullptr;
    }
    return source;
}

#include "platform/audio/PlatformAudio.h"

bool PlatAudioDecodeWav(const void* data, size_t size, std::vector<int16_t>& samples, int* channels, int* rate)
{
    std::string error;
    PlatAudioSource* source = PlatMakeWavSource(data, size, error);
    if (!source) {
        PlatAudioSetError(error.c_str());
        return false;
    }
    SDL_AudioStream* stream = SDL_NewAudioStream(source->Format(), Uint8(source->Channels()), source->Rate(), AUDIO_S16SYS,
                                                 Uint8(source->Channels()), source->Rate());
    std::vector<uint8_t> piece(8192);
    for (size_t got; stream && (got = source->Read(piece.data(), piece.size())) > 0;)
        SDL_AudioStreamPut(stream, piece.data(), int(got));
    if (stream) SDL_AudioStreamFlush(stream);
    int bytes = stream ? SDL_AudioStreamAvailable(stream) : 0;
    samples.resize(size_t(bytes) / 2);
    if (bytes > 0) SDL_AudioStreamGet(stream, samples.data(), bytes);
    *channels = source->Channels();
    *rate = source->Rate();
    if (stream) SDL_FreeAudioStream(stream);
    delete source;
    return stream != nullptr;
}

// ------------------------------------------------------------- queue
PlatQueueSource::PlatQueueSource(int rate, int channels, size_t capacity) : capacity_(capacity)
{
    format_ = AUDIO_S16SYS;
    channels_ = channels;
    rate_ = rate;
}

size_t PlatQueueSource::Read(uint8_t* out, size_t capacity)
{
    size_t count = std::min(capacity / sizeof(int16_t) / size_t(channels_) * size_t(channels_), samples_.size() - head_);
    if (count) memcpy(out, samples_.data() + head_, count * sizeof(int16_t));
    head_ += count;
    // The read part is dropped once it outweighs what waits, so the copy
    // stays a fraction of what was read.
    if (head_ == samples_.size()) Clear();
    else if (head_ > samples_.size() / 2) {
        samples_.erase(samples_.begin(), samples_.begin() + ptrdiff_t(head_));
        head_ = 0;
    }
    return count * sizeof(int16_t);
}

size_t PlatQueueSource::Push(const int16_t* frames, size_t count)
{
    size_t room = capacity_ > Queued() ? capacity_ - Queued() : 0;
    count = std::min(count, room);
    samples_.insert(samples_.end(), frames, frames + count * size_t(channels_));
    return count;
}

void PlatQueueSource::Clear()
{
    samples_.clear();
    head_ = 0;
}
