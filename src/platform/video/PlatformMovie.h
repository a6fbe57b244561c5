// Movie decoding for the movie layer, over FFmpeg's libraries.  Bytes come
// from a MovieSource the caller supplies (the engine's file systems), never
// from a path, so movies inside archives play like any other file.
//
// Frames are numbered from 0 in presentation order.  The whole stream is
// indexed once at open (packets only, nothing decoded), which gives an exact
// frame count and the key frames to seek from: going to frame n decodes from
// the last key frame at or before n and keeps frame n.
//
// Sound is decoded alongside the frames into 16-bit interleaved stereo at
// the rate asked for at open; the caller pulls it with ReadAudio.
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

class MovieSource {
public:
    virtual ~MovieSource() = default;
    // Bytes read (0 at the end), or -1 on a failed read.
    virtual int Read(uint8_t* buffer, int size) = 0;
    // whence: 0 from the start, 1 from the current place, 2 from the end.
    // The new position, or -1 when the source cannot go there.
    virtual int64_t Seek(int64_t offset, int whence) = 0;
    virtual int64_t Size() = 0;
};

enum class MoviePixels { Indexed8, Rgb555, Rgb565, Argb32 };

struct MovieFrameTarget {
    uint8_t* pixels = nullptr;
    int32_t pitch = 0;
    int32_t width = 0;     // only min(width, movie width) columns are written
    int32_t height = 0;
    MoviePixels format = MoviePixels::Argb32;
    uint8_t* palette = nullptr;   // 768 bytes RGB, written for Indexed8
};

struct MovieOpenOptions {
    bool audio = true;
    int audioTrack = 0;        // which sound stream, counting in file order
    int audioRate = 44100;
    int maxFrames = 1 << 20;   // refuse streams indexing more packets than this
    int64_t maxPixels = 1 << 22;   // refuse pictures larger than this (2048 x 2048)
};

class MovieDecoder {
public:
    MovieDecoder();
    ~MovieDecoder();
    MovieDecoder(const MovieDecoder&) = delete;
    MovieDecoder& operator=(const MovieDecoder&) = delete;

    // False with Error() set on anything that is not a playable movie.
    bool Open(std::unique_ptr<MovieSource> source, const MovieOpenOptions& options = {});
    void Close();
    bool IsOpen() const;
    const std::string& Error() const { return error_; }

    int32_t Width() const;
    int32_t Height() const;
    int32_t FrameCount() const;
    // Frames per second as a fraction; the interval in microseconds.
    int FrameRateNum() const;
    int FrameRateDen() const;
    int64_t FrameIntervalUs() const;
    bool IsPalettised() const;   // the codec's own frames are 8-bit with a palette
    bool HasAlpha() const;
    const char* CodecName() const;

    // The frame the next DecodeNext gives.
    int32_t NextFrame() const;
    // Makes frame n (clamped to the movie) the next one decoded: forward
    // within reach decodes on, otherwise from the key frame before n.
    bool Seek(int32_t frame);
    // Decodes the next frame into the target and steps on.  Sets
    // *paletteChanged when an 8-bit frame brought a palette that differs from
    // the last one written.  False past the end or on a decoding failure
    // (Error() says which).
    bool DecodeNext(const MovieFrameTarget& target, bool* paletteChanged = nullptr);

    bool HasAudio() const;
    int AudioRate() const;
    static constexpr int kAudioChannels = 2;
    // Copies up to `frames` decoded stereo frames out; the count copied.
    size_t ReadAudio(int16_t* out, size_t frames);
    size_t AudioFramesBuffered() const;
    void DropAudio();
    void SetAudioEnabled(bool on);
    // Switches to another sound stream; false leaves the movie silent.
    bool SelectAudioTrack(int track);

private:
    struct State;
    std::unique_ptr<State> state_;
    std::string error_;
};

}  // namespace platform
