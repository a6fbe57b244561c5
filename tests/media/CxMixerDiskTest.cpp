// The mixer through a real device: SDL's "disk" driver writes what it is
// given (float stereo at the mixer's rate) to a file, which the tests read
// back.  The driver runs in real time, so the tones are short.
#include "../core/ErrorCapture.h"
#include "../platform/video/TestMovies.h"
#include "SoundTestTones.h"

#include "core/CxOptions.h"
#include "display/CxDisplayTree.h"
#include "events/CxEventKinds.h"
#include "media/CxMovie.h"
#include "media/CxMovieDriver.h"
#include "media/CxMovieLibavDriver.h"
#include "media/CxSoundServices.h"
#include "media/CxWave.h"
#include "platform/audio/PlatformAudio.h"
#include "platform/os/PlatformSystem.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <functional>

namespace {
constexpr int kRate = 44100;

struct Capture {
    std::vector<float> left, right;
    // First and last frame louder than `level`, from `from` on.
    int FirstLoud(int from = 0, float level = 0.01f) const
    {
        for (int i = from; i < int(left.size()); ++i)
            if (fabsf(left[size_t(i)]) > level || fabsf(right[size_t(i)]) > level) return i;
        return -1;
    }
    int FirstQuiet(int from, int run = 200) const   // start of `run` silent frames
    {
        for (int i = from, quiet = 0; i < int(left.size()); ++i) {
            quiet = (fabsf(left[size_t(i)]) < 0.01f && fabsf(right[size_t(i)]) < 0.01f) ? quiet + 1 : 0;
            if (quiet == run) return i - run + 1;
        }
        return int(left.size());
    }
    float Peak(const std::vector<float>& side, int from, int to) const
    {
        float peak = 0;
        for (int i = from; i < to; ++i) peak = std::max(peak, fabsf(side[size_t(i)]));
        return peak;
    }
    double Frequency(int from, int to) const
    {
        int crossings = 0;
        for (int i = from + 1; i < to; ++i)
            if ((left[size_t(i - 1)] < 0) != (left[size_t(i)] < 0)) ++crossings;
        return crossings / 2.0 / (double(to - from) / kRate);
    }
};

class DiskAudio : public ::testing::Test {
protected:
    void SetUp() override
    {
        file_ = dir_.File("mix.raw");
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    }
    void TearDown() override
    {
        PlatAudioClose();
        setenv("SDL_AUDIODRIVER", "dummy", 1);
    }
    bool Open()
    {
        if (PlatAudioOpen(kRate, 16, 2)) return true;
        ADD_FAILURE() << "the disk driver did not open: " << PlatAudioLastError();
        return false;
    }
    // Runs `poll` every 5 ms until it answers true or `ms` have passed.
    static void WaitFor(int ms, const std::function<bool()>& poll)
    {
        for (int t = 0; t < ms && !poll(); t += 5) PlatSleep(5);
    }
    Capture Finish()
    {
        PlatAudioClose();
        std::string bytes = ReadFileBytes(file_);
        Capture c;
        size_t frames = bytes.size() / 8;
        const auto* f = reinterpret_cast<const float*>(bytes.data());
        for (size_t i = 0; i < frames; ++i) {
            c.left.push_back(f[2 * i]);
            c.right.push_back(f[2 * i + 1]);
        }
        return c;
    }
    PlatVoice* Voice(const std::vector<uint8_t>& wav)
    {
        PlatVoice* v = PlatVoiceCreate(PlatAudioMixer());
        EXPECT_TRUE(PlatVoiceLoad(v, wav.data(), wav.size(), PLAT_VOICE_WAV)) << PlatAudioLastError();
        return v;
    }
    void PlayToEnd(PlatVoice* v, int ms = 3000)
    {
        PlatVoiceStart(v);
        WaitFor(ms, [&] { return PlatVoiceStatus(v) == PLAT_VOICE_DONE; });
        EXPECT_EQ(PlatVoiceStatus(v), PLAT_VOICE_DONE);
    }
    TempDir dir_;
    std::string file_;
};
}  // namespace

TEST_F(DiskAudio, DoubleRateDoublesThePitchAndHalvesTheLength)
{
    ASSERT_TRUE(Open());
    std::vector<uint8_t> wav = SineWav(440, 0.4, 22050);
    PlatVoice* v = Voice(wav);
    PlatVoiceSetRate(v, 44100);
    EXPECT_EQ(PlatVoiceGetRate(v), 44100);
    PlayToEnd(v);
    PlatVoiceRelease(v);
    Capture c = Finish();
    int start = c.FirstLoud(), end = c.FirstQuiet(start);
    ASSERT_GE(start, 0);
    EXPECT_NEAR(end - start, int(0.2 * kRate), kRate / 50);
    EXPECT_NEAR(c.Frequency(start + 200, end - 200), 880.0, 15.0);
}

TEST_F(DiskAudio, PanAndVolumeScaleEachSide)
{
    ASSERT_TRUE(Open());
    std::vector<uint8_t> wav = SineWav(300, 0.15, 22050, 0.8);
    PlatVoice* v = Voice(wav);
    PlatVoiceSetPan(v, 0);   // full left
    PlayToEnd(v);
    PlatVoiceSetPan(v, 64);
    PlatVoiceSetVolume(v, 64);
    PlayToEnd(v);
    PlatVoiceRelease(v);
    Capture c = Finish();
    int first = c.FirstLoud(), firstEnd = c.FirstQuiet(first);
    int second = c.FirstLoud(firstEnd), secondEnd = c.FirstQuiet(second);
    ASSERT_GE(first, 0);
    ASSERT_GE(second, 0);
    EXPECT_NEAR(c.Peak(c.left, first, firstEnd), 0.8f, 0.02f);
    EXPECT_LT(c.Peak(c.right, first, firstEnd), 1e-4f);
    EXPECT_NEAR(c.Peak(c.left, second, secondEnd) / 0.8f, 64.0f / 127.0f, 0.02f);
    EXPECT_NEAR(c.Peak(c.right, second, secondEnd) / 0.8f, 64.0f / 127.0f, 0.02f);
}

TEST_F(DiskAudio, ALoopedVoiceRepeatsItsCountAndTellsTheMainThread)
{
    ASSERT_TRUE(Open());
    std::vector<uint8_t> wav = SineWav(500, 0.1, 22050);
    PlatVoice* v = Voice(wav);
    int ended = 0;
    PlatVoiceSetEndCallback(v, [](PlatVoice*, void* user) { ++*static_cast<int*>(user); }, &ended);
    PlatVoiceSetLoopCount(v, 3);
    PlayToEnd(v);
    EXPECT_EQ(ended, 0);   // never from the mixing thread
    PlatAudioDispatch();
    EXPECT_EQ(ended, 1);
    PlatVoiceRelease(v);
    Capture c = Finish();
    int start = c.FirstLoud(), end = c.FirstQuiet(start);
    EXPECT_NEAR(end - start, int(0.3 * kRate), kRate / 50);
}

TEST_F(DiskAudio, ThreeQueuedSoundsFollowEachOtherWithinATenthOfASecond)
{
    ErrorCapture capture;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    CxSoundSettings settings;
    settings.frequency = kRate;
    settings.masterVolume = 127;
    ASSERT_EQ(InitSoundWith(settings), 0) << PlatAudioLastError();
    std::vector<uint8_t> tones[3] = {SineWav(300, 0.15), SineWav(600, 0.15), SineWav(900, 0.15)};
    CxWave waves[3];
    for (int i = 0; i < 3; ++i) {
        waves[i].LoadFromMemory(tones[i].data(), uint32_t(tones[i].size()), true);
        waves[i].PlayQueuedOn(3);
        waves[i].Play();
    }
    EXPECT_TRUE(waves[0].IsPlaying());
    EXPECT_FALSE(waves[1].IsPlaying());
    EXPECT_FALSE(waves[2].IsEventDone());   // waiting its turn
    WaitFor(3000, [&] {
        PlatAudioDispatch();
        RunSoundUpdate(false);
        return IsAudioChannelFree(3);
    });
    EXPECT_TRUE(IsAudioChannelFree(3));
    ShutdownSound();
    Capture c = Finish();
    int at = 0;
    for (double hz : {300.0, 600.0, 900.0}) {
        int start = c.FirstLoud(at), end = c.FirstQuiet(start, 40);
        ASSERT_GE(start, 0);
        if (at > 0) {
            EXPECT_LT(start - at, kRate / 10) << hz << " Hz started late";
        }
        EXPECT_NEAR(c.Frequency(start + 100, end - 100), hz, 12.0);
        at = end;
    }
}

TEST_F(DiskAudio, SoundEventsWaitOrNotAndSkipABusyChannel)
{
    ErrorCapture capture;
    TempDir data;
    std::vector<uint8_t> tone = SineWav(400, 0.25);
    WriteFileBytes(data.File("tone.wav"), std::string(tone.begin(), tone.end()));
    std::string path = "<DEFAULT>" + data.File("tone.wav");
    CxOptions app;
    app.SetInt("Engine.Sound", "Frequency", kRate);
    ASSERT_EQ(StartAppSounds(app, nullptr), 0);

    CSoundEvent start(path.c_str(), -1, SOUND_EVENT_NO_WAIT);
    start.Start();
    EXPECT_TRUE(start.IsDone());   // in the pass it starts

    CSoundEvent play(path.c_str(), 2, 0);
    play.Start();
    EXPECT_FALSE(play.IsDone());
    CSoundEvent ifEmpty(path.c_str(), 2, SOUND_EVENT_IF_CHANNEL_EMPTY);
    ifEmpty.Start();
    EXPECT_TRUE(ifEmpty.IsDone());
    EXPECT_TRUE(ifEmpty.GetSoundFlags() & SOUND_EVENT_SKIPPED);
    WaitFor(2000, [&] {
        PlatAudioDispatch();
        RunSoundUpdate(false);
        return play.IsDone();
    });
    EXPECT_TRUE(play.IsDone());
    EXPECT_EQ(GetSoundCacheCount(), 1);   // the three events shared one cached sound
    StopAppSounds();
    EXPECT_TRUE(capture.Reports().empty());
}

TEST_F(DiskAudio, ExclusivePlayPausesTheSameTypeAndWaits)
{
    ErrorCapture capture;
    CxSoundSettings settings;
    settings.frequency = kRate;
    ASSERT_EQ(InitSoundWith(settings), 0) << PlatAudioLastError();
    std::vector<uint8_t> low = SineWav(300, 0.4), high = SineWav(900, 0.15);
    CxWave background, exclusive, otherType;
    background.LoadFromMemory(low.data(), uint32_t(low.size()), true);
    exclusive.LoadFromMemory(high.data(), uint32_t(high.size()), true);
    otherType.Type = 2;
    background.Play();
    otherType.Play();   // no data: plays nothing, but it must not be paused either
    PlatSleep(100);
    exclusive.SoundFlags = SOUND_FLAG_EXCLUSIVE;
    exclusive.Play();   // returns once it has finished
    EXPECT_TRUE(exclusive.IsDone());
    EXPECT_FALSE(background.IsPaused());
    EXPECT_FALSE(background.IsDone());
    WaitFor(1000, [&] { return background.IsDone(); });
    ShutdownSound();
    Capture c = Finish();
    // 20 ms windows while sound plays: 300 Hz, then only 900 Hz, then 300 Hz again.
    std::vector<int> heard;
    for (int at = c.FirstLoud(); at + 882 < int(c.left.size()); at += 882) {
        if (c.Peak(c.left, at, at + 882) < 0.05f) continue;
        double f = c.Frequency(at, at + 882);
        int hz = fabs(f - 300) < 40 ? 300 : fabs(f - 900) < 60 ? 900 : 0;   // 0: a window across a change
        if (hz == 0) continue;
        if (heard.empty() || heard.back() != hz) heard.push_back(hz);
    }
    std::vector<int> expected = {300, 900, 300};
    EXPECT_EQ(heard, expected);
}

TEST_F(DiskAudio, FlushStopsThePlayingSoundAndTheTwoWaiting)
{
    ErrorCapture capture;
    CxSoundSettings settings;
    settings.frequency = kRate;
    ASSERT_EQ(InitSoundWith(settings), 0) << PlatAudioLastError();
    std::vector<uint8_t> tone = SineWav(440, 1.0);
    CxWave waves[3];
    for (CxWave& w : waves) {
        w.LoadFromMemory(tone.data(), uint32_t(tone.size()), true);
        w.PlayQueuedOn(5);
        w.Play();
    }
    ASSERT_TRUE(waves[0].IsPlaying());
    EXPECT_EQ(GetAudioChannelCount(5), 3);
    PlatSleep(50);
    FlushAudioChannel(5);
    EXPECT_TRUE(IsAudioChannelFree(5));
    for (CxWave& w : waves) {
        EXPECT_FALSE(w.IsPlaying() || w.IsQueued());
        EXPECT_EQ(w.GetVoice(), nullptr);
    }
    ShutdownSound();
    Capture c = Finish();
    int start = c.FirstLoud();
    ASSERT_GE(start, 0);
    EXPECT_LT(c.FirstQuiet(start) - start, kRate / 2);   // cut off long before its second
}

// A non-modal movie's sound track through the mixer: its tone starts with
// the first frame, a pause silences it, and its volume follows SetVolumePan.
TEST_F(DiskAudio, AMoviesSoundTrackIsHeardWithItsFramesAndPausesWithThem)
{
    if (!testmovies::HaveFfmpeg()) GTEST_SKIP() << "no ffmpeg tool";
    ErrorCapture capture;
    std::string path = dir_.File("tone.mkv");
    ASSERT_TRUE(testmovies::Encode(path, 16, 16, 15, 10, "-c:v ffv1", 440));
    CxSoundSettings settings;
    settings.frequency = kRate;
    settings.masterVolume = 127;
    ASSERT_EQ(InitSoundWith(settings), 0) << PlatAudioLastError();
    InitDisplayTree(CxSize{100, 100});
    RegisterEngineMovieDrivers();
    // The frames the device has taken so far: where the next sound lands.
    auto mixedFrames = [&] { return int(std::filesystem::file_size(file_) / 8); };
    auto runFor = [&](CxMovie& movie, int ms) {
        WaitFor(ms, [&] {
            CxMovie::UpdateAll();
            return !movie.IsPlaying();
        });
    };
    int playAt, firstFrameAt, pausedAt, resumedAt;
    {
        CxMovie movie;
        ASSERT_EQ(movie.Load(path.c_str()), 0);
        ASSERT_TRUE(static_cast<CxLibavMovieDriver*>(movie.GetDriver())->HasSound());
        PlatSleep(100);   // the device is running before the movie starts
        playAt = mixedFrames();
        movie.Play(false, false);
        // Timed from the shown first frame: opening the decoder is not the
        // mixer's latency, and under a sanitizer on a busy machine it alone
        // can take a tenth of a second.
        firstFrameAt = mixedFrames();
        runFor(movie, 500);
        movie.Pause();
        pausedAt = mixedFrames();
        PlatSleep(300);
        movie.SetVolumePan(64, 0);
        resumedAt = mixedFrames();
        movie.Resume();
        runFor(movie, 2000);
        EXPECT_FALSE(movie.IsPlaying());
    }
    UnregisterMovieDrivers("*");
    ShutdownDisplayTree();
    ShutdownSound();
    EXPECT_EQ(GetMovieAudioFactory(), nullptr);
    Capture c = Finish();
    int start = c.FirstLoud();
    ASSERT_GE(start, playAt);
    // The first frame's sound is demuxed with the next frame's packets (a
    // fifteenth of a second here), then waits behind the device's buffers:
    // within 150 ms, or a quarter second where the sanitizers slow decoding.
#ifdef VORN_SANITIZED
    const int late = kRate / 4;
#else
    const int late = kRate * 3 / 20;
#endif
    EXPECT_LT(start - firstFrameAt, late) << "the sound started late";
    EXPECT_NEAR(c.Frequency(start + 200, pausedAt), 440.0, 15.0);
    float before = c.Peak(c.left, start, pausedAt);
    EXPECT_GT(before, 0.05f);
    EXPECT_LT(c.Peak(c.left, pausedAt + kRate / 20, resumedAt), 0.001f) << "a paused movie is silent";
    int again = c.FirstLoud(resumedAt);
    ASSERT_GE(again, 0);
    EXPECT_LT(again - resumedAt, kRate / 10);
    EXPECT_NEAR(c.Peak(c.left, again, c.FirstQuiet(again)) / before, 64.0f / 127.0f, 0.05f);
    EXPECT_TRUE(capture.Reports().empty());
}

// The menu music loops without a gap: one pass decodes to exactly the
// length the generator cut, and the join is no louder a step than the music.
TEST(MusicLoop, TheGeneratedMusicDecodesGaplessly)
{
    std::string bytes = ReadFileBytes(std::string(VORN_SOURCE_DIR) + "/data/generated/Music/menu.mp3");
    if (bytes.empty()) GTEST_SKIP() << "the generated music is not built";
    PlatMixer* mixer = PlatMixerCreate(44100);
    PlatVoice* v = PlatVoiceCreate(mixer);
    ASSERT_TRUE(PlatVoiceLoad(v, bytes.data(), bytes.size(), PLAT_VOICE_MP3)) << PlatAudioLastError();
    EXPECT_EQ(PlatVoiceSourceRate(v), 44100);
    PlatVoiceSetLoopCount(v, 2);
    PlatVoiceStart(v);
    std::vector<float> all, block(2 * 1024);
    while (PlatVoiceStatus(v) == PLAT_VOICE_PLAYING) {
        PlatMixerMix(mixer, block.data(), 1024);
        all.insert(all.end(), block.begin(), block.end());
    }
    PlatVoiceRelease(v);
    PlatMixerDestroy(mixer);
    while (!all.empty() && all.back() == 0.0f) all.pop_back();
    const size_t pass = size_t(32 * 60.0 / 88 * 44100 + 0.5);   // 32 beats at 88 a minute
    EXPECT_NEAR(double(all.size()) / 2, double(2 * pass), 1200.0);
    size_t join = all.size() / 4;   // the cut may be a few samples off the nominal length
    float biggest = 0, atJoin = 0;
    for (size_t i = 2; i < all.size(); i += 2) {
        float step = fabsf(all[i] - all[i - 2]);
        biggest = std::max(biggest, step);
        if (i / 2 + 4 >= join && i / 2 <= join + 4) atJoin = std::max(atJoin, step);
    }
    EXPECT_LT(atJoin, biggest * 0.5f);
}
