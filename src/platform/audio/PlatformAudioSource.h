// Where a voice's samples come from: a decoded WAV image, borrowed raw PCM,
// or an MP3 stream decoded a block at a time.  Private to the audio folder.
#pragma once
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>

// The rates a source or a playback rate may have.
constexpr int kMinRate = 1000;
constexpr int kMaxRate = 384000;

class PlatAudioSource {
public:
    virtual ~PlatAudioSource() = default;
    // Up to `capacity` bytes of samples in Format()/Channels(); 0 at the end.
    virtual size_t Read(uint8_t* out, size_t capacity) = 0;
    virtual void Rewind() = 0;
    SDL_AudioFormat Format() const { return format_; }
    int Channels() const { return channels_; }
    int Rate() const { return rate_; }
    int FrameBytes() const { return channels_ * int(SDL_AUDIO_BITSIZE(format_) / 8); }
    virtual int64_t Frames() const { return -1; }

protected:
    SDL_AudioFormat format_ = AUDIO_S16LSB;
    int channels_ = 1;
    int rate_ = 22000;
};

// Null with `error` set when the data is refused.
PlatAudioSource* PlatMakeWavSource(const void* data, size_t size, std::string& error);
PlatAudioSource* PlatMakeRawSource(const void* data, size_t size, int rate, std::string& error);
PlatAudioSource* PlatMakeMp3Source(const void* data, size_t size, std::string& error);
