// Where a voice's samples come from: a decoded WAV image, borrowed raw PCM,
// an MP3 stream decoded a block at a time, or a queue filled as sound
// arrives.  Private to the audio folder.
#pragma once
#include <SDL.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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
    // An endless source reads 0 only while it is dry; the voice waits for
    // more instead of ending.
    virtual bool Endless() const { return false; }

protected:
    SDL_AudioFormat format_ = AUDIO_S16LSB;
    int channels_ = 1;
    int rate_ = 22000;
};

// 16-bit frames pushed by the main thread and read by the mixing thread,
// both under the mixer's lock.  At most `capacity` frames wait; the rest of
// a push that does not fit is refused rather than growing without bound.
class PlatQueueSource : public PlatAudioSource {
public:
    PlatQueueSource(int rate, int channels, size_t capacity);
    size_t Read(uint8_t* out, size_t capacity) override;
    void Rewind() override {}   // a queue has no beginning to go back to
    bool Endless() const override { return true; }
    size_t Push(const int16_t* frames, size_t count);   // frames taken
    void Clear();
    size_t Queued() const { return (samples_.size() - head_) / size_t(channels_); }

private:
    std::vector<int16_t> samples_;
    size_t head_ = 0;   // first sample not yet read
    size_t capacity_;
};

// Null with `error` set when the data is refused.
PlatAudioSource* PlatMakeWavSource(const void* data, size_t size, std::string& error);
PlatAudioSource* PlatMakeRawSource(const void* data, size_t size, int rate, std::string& error);
PlatAudioSource* PlatMakeMp3Source(const void* data, size_t size, std::string& error);
