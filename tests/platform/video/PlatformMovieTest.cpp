#include "platform/video/PlatformMovie.h"

#include "TestMovies.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

using platform::MovieDecoder;
using platform::MovieFrameTarget;
using platform::MoviePixels;

namespace {
class FileSource : public platform::MovieSource {
public:
    explicit FileSource(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {}
    ~FileSource() override
    {
        if (file_) std::fclose(file_);
    }
    int Read(uint8_t* buffer, int size) override { return file_ ? int(std::fread(buffer, 1, size_t(size), file_)) : -1; }
    int64_t Seek(int64_t offset, int whence) override
    {
        if (!file_ || std::fseek(file_, long(offset), whence) != 0) return -1;
        return std::ftell(file_);
    }
    int64_t Size() override
    {
        long at = std::ftell(file_);
        std::fseek(file_, 0, SEEK_END);
        long size = std::ftell(file_);
        std::fseek(file_, at, SEEK_SET);
        return size;
    }

private:
    FILE* file_;
};

struct Frame32 {
    std::vector<uint32_t> pixels;
    MovieFrameTarget target;
    Frame32(int w, int h) : pixels(size_t(w) * h)
    {
        target.pixels = reinterpret_cast<uint8_t*>(pixels.data());
        target.pitch = w * 4, target.width = w, target.height = h;
    }
    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(target.width) + size_t(x)] & 0xFFFFFFu; }
};

uint32_t Pack(testmovies::Rgb c) { return uint32_t(c.r) << 16 | uint32_t(c.g) << 8 | c.b; }

class PlatformMovie : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!testmovies::HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg tool";
    }
    bool Open(MovieDecoder& decoder, const std::string& path, bool audio = false)
    {
        platform::MovieOpenOptions options;
        options.audio = audio;
        options.audioRate = 22050;
        return decoder.Open(std::make_unique<FileSource>(path), options);
    }
    TempDir dir_;
};
}  // namespace

// A lossless movie read back: its size, count, rate, then frame colours in
// order, after a jump back, after a jump forward past key frames, and at the end.
TEST_F(PlatformMovie, ReadsLosslessFramesInOrderAndAfterSeeks)
{
    std::string path = dir_.File("quarters.mkv");
    ASSERT_TRUE(testmovies::Encode(path, 64, 48, 24, 12, "-c:v ffv1 -g 5"));
    MovieDecoder decoder;
    ASSERT_TRUE(Open(decoder, path)) << decoder.Error();
    EXPECT_EQ(decoder.Width(), 64);
    EXPECT_EQ(decoder.Height(), 48);
    EXPECT_EQ(decoder.FrameCount(), 24);
    EXPECT_EQ(decoder.FrameIntervalUs(), 1000000 / 12);
    EXPECT_FALSE(decoder.IsPalettised());

    Frame32 frame(64, 48);
    for (int k = 0; k < 3; ++k) {
        ASSERT_TRUE(decoder.DecodeNext(frame.target));
        EXPECT_EQ(frame.At(1, 1), Pack(testmovies::FrameColour(k))) << "frame " << k;
        EXPECT_EQ(frame.At(63, 0), 0xFFFFFFu);
        EXPECT_EQ(frame.At(0, 47), 0x0000FFu);
    }
    for (int wanted : {1, 17, 9, 23, 0}) {
        ASSERT_TRUE(decoder.Seek(wanted));
        ASSERT_TRUE(decoder.DecodeNext(frame.target)) << decoder.Error();
        EXPECT_EQ(frame.At(5, 5), Pack(testmovies::FrameColour(wanted))) << "after seeking to " << wanted;
        EXPECT_EQ(frame.At(40, 40), uint32_t(wanted * 11) << 16);
    }
    ASSERT_TRUE(decoder.Seek(23));
    ASSERT_TRUE(decoder.DecodeNext(frame.target));
    EXPECT_FALSE(decoder.DecodeNext(frame.target)) << "nothing after the last frame";
    ASSERT_TRUE(decoder.Seek(0));
    ASSERT_TRUE(decoder.DecodeNext(frame.target)) << "a seek brings an ended movie back";
    EXPECT_EQ(frame.At(5, 5), Pack(testmovies::FrameColour(0)));
}

// 8-bit frames keep their indices, and the palette is reported changed on the
// frame that brings a new one, and only then.
TEST_F(PlatformMovie, PalettisedFramesCarryTheirPalettes)
{
    std::string path = dir_.File("palette.mkv");
    ASSERT_TRUE(testmovies::EncodePalettised(path, 32, 24, 10, 6));
    MovieDecoder decoder;
    ASSERT_TRUE(Open(decoder, path)) << decoder.Error();
    ASSERT_TRUE(decoder.IsPalettised());
    std::vector<uint8_t> pixels(32 * 24);
    uint8_t palette[768];
    MovieFrameTarget target{pixels.data(), 32, 32, 24, MoviePixels::Indexed8, palette};
    std::vector<int> changes;
    for (int k = 0; k < 10; ++k) {
        bool changed = false;
        ASSERT_TRUE(decoder.DecodeNext(target, &changed));
        if (changed) changes.push_back(k);
        const uint8_t* left = &palette[pixels[0] * 3];
        const uint8_t* right = &palette[pixels[31] * 3];
        if (k < 6) {
            EXPECT_EQ(left[0], 240) << k;
            EXPECT_EQ(left[1], 0);
            EXPECT_EQ(right[0], 60);
        } else {
            EXPECT_EQ(left[1], 240) << k;
            EXPECT_EQ(left[0], 0);
            EXPECT_EQ(right[1], 60);
        }
    }
    ASSERT_FALSE(changes.empty());
    EXPECT_EQ(changes.front(), 0);
    EXPECT_NE(std::find(changes.begin(), changes.end(), 6), changes.end());
    for (int k : changes) EXPECT_TRUE(k == 0 || k == 6) << "spurious palette change at " << k;
}

// The sound track comes out as stereo at the rate asked for, and is the tone
// that was encoded: about 2 * 441 zero crossings a second.
TEST_F(PlatformMovie, SoundTrackIsResampledStereo)
{
    std::string path = dir_.File("tone.avi");
    ASSERT_TRUE(testmovies::Encode(path, 32, 32, 20, 10, "-c:v ffv1", 441));
    MovieDecoder decoder;
    ASSERT_TRUE(Open(decoder, path, true)) << decoder.Error();
    ASSERT_TRUE(decoder.HasAudio());
    EXPECT_EQ(decoder.AudioRate(), 22050);
    Frame32 frame(32, 32);
    while (decoder.DecodeNext(frame.target)) {}
    std::vector<int16_t> pcm(22050 * 2 * 3);
    size_t got = decoder.ReadAudio(pcm.data(), 22050 * 3);
    ASSERT_GT(got, 22050u * 3 / 2) << "most of the two seconds of sound";
    int crossings = 0;
    double energy = 0;
    for (size_t i = 1; i < got; ++i) {
        crossings += (pcm[i * 2] >= 0) != (pcm[(i - 1) * 2] >= 0);
        energy += double(pcm[i * 2]) * pcm[i * 2];
        EXPECT_EQ(pcm[i * 2], pcm[i * 2 + 1]) << "mono spread to both sides";
        if (pcm[i * 2] != pcm[i * 2 + 1]) break;
    }
    double seconds = double(got) / 22050;
    EXPECT_NEAR(crossings / seconds, 882, 30);
    EXPECT_GT(std::sqrt(energy / double(got)), 1000);
}

// Anything that is not a movie is refused with a reason, never decoded.
TEST_F(PlatformMovie, RefusesJunkAndTruncatedFiles)
{
    std::string junk = dir_.File("junk.smk");
    WriteFileBytes(junk, std::string(5000, 'x'));
    MovieDecoder decoder;
    EXPECT_FALSE(Open(decoder, junk));
    EXPECT_FALSE(decoder.Error().empty());

    std::string whole = dir_.File("whole.avi");
    ASSERT_TRUE(testmovies::Encode(whole, 32, 32, 8, 10, "-c:v ffv1"));
    std::string bytes = ReadFileBytes(whole);
    for (size_t cut : {size_t(16), bytes.size() / 3}) {
        std::string truncated = dir_.File("cut.avi");
        WriteFileBytes(truncated, bytes.substr(0, cut));
        MovieDecoder cutDecoder;
        if (!Open(cutDecoder, truncated)) {
            EXPECT_FALSE(cutDecoder.Error().empty());
            continue;
        }
        Frame32 frame(32, 32);
        int frames = 0;
        while (frames < 100 && cutDecoder.DecodeNext(frame.target)) ++frames;
        EXPECT_LE(frames, cutDecoder.FrameCount());
    }
}
