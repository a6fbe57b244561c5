// The sound system without a device (SDL's dummy driver counts as none):
// the chunk reader, channels, the no-driver rules, volumes, the cache, the
// effects and the ADPCM converter against SDL's decoder.
#include "../core/ErrorCapture.h"
#include "SoundTestTones.h"

#include "core/CxOptions.h"
#include "display/CxDrawText.h"
#include "events/CxEventKinds.h"
#include "media/CxAudioSubTitle.h"
#include "media/CxImaAdpcm.h"
#include "media/CxMovieAudio.h"
#include "media/CxSoundServices.h"
#include "media/CxWave.h"
#include "platform/audio/PlatformAudio.h"
#include "platform/os/PlatformSystem.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {
void Put32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s += char(v >> (8 * i));
}
void Put16(std::string& s, uint32_t v)
{
    s += char(v);
    s += char(v >> 8);
}
std::string Chunk(const char* tag, const std::string& body)
{
    std::string s(tag, 4);
    Put32(s, uint32_t(body.size()));
    return s + body + (body.size() & 1 ? std::string(1, '\0') : "");
}
std::string Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits)
{
    std::string s;
    Put16(s, tag);
    Put16(s, channels);
    Put32(s, rate);
    Put32(s, rate * align);
    Put16(s, align);
    Put16(s, bits);
    return s;
}
std::string Riff(const std::string& chunks, const char* form = "WAVE")
{
    std::string s = "RIFF";
    Put32(s, uint32_t(4 + chunks.size()));
    return s + form + chunks;
}
int Info(const std::string& image, CxWaveInfo* info, uint32_t flags = 0)
{
    return ReadWaveInfo(reinterpret_cast<const uint8_t*>(image.data()), uint32_t(image.size()), flags, info);
}

std::vector<uint8_t> ReadData(const char* name)
{
    std::ifstream in(std::string(VORN_TEST_DATA) + "/media/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The sound system with no device, whatever the machine has.
void UseNoDevice() { setenv("SDL_AUDIODRIVER", "dummy", 1); }

class NoDriverSound : public ::testing::Test {
protected:
    void SetUp() override
    {
        UseNoDevice();
        CxSoundSettings settings;
        EXPECT_EQ(InitSoundWith(settings), ERR_UNKNOWN);
    }
    void TearDown() override { ShutdownSound(); }
    ErrorCapture capture_;
};
}  // namespace

// ------------------------------------------------------------- chunk reader
TEST(WaveInfo, ChunksAreWalkedPastListAndFactCountsImaSamples)
{
    CxWaveInfo info;
    std::string pcm = Riff(Chunk("LIST", "INFOabc") + Chunk("fmt ", Fmt(1, 2, 22050, 4, 16)) + Chunk("data", std::string(400, '\1')));
    ASSERT_EQ(Info(pcm, &info), 0);
    EXPECT_EQ(info.rate, 22050u);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.length, 400u);
    EXPECT_EQ(info.samples, 200u);   // length x 8 / bits, as scripts see it
    EXPECT_FALSE(info.compressed);

    std::string ima = Riff(Chunk("fmt ", Fmt(17, 1, 22050, 512, 4)) + Chunk("fact", std::string("\x10\x27\0\0", 4)) +
                           Chunk("data", std::string(1024, '\0')));
    ASSERT_EQ(Info(ima, &info), 0);
    EXPECT_TRUE(info.compressed);
    EXPECT_EQ(info.samples, 10000u);
    std::string noFact = Riff(Chunk("fmt ", Fmt(17, 1, 22050, 512, 4)) + Chunk("adat", std::string(1000, '\0')));
    ASSERT_EQ(Info(noFact, &info), 0);
    EXPECT_EQ(info.samples, 2u * 1017u);   // two blocks of (512 - 4) x 2 + 1

    ASSERT_EQ(Info(std::string(1000, '\0'), &info, SOUND_FLAG_RAW), 0);
    EXPECT_EQ(info.rate, 22000u);
    EXPECT_EQ(info.samples, 500u);
}

TEST(WaveInfo, DamagedImagesAreRefusedWithoutReadingPastTheData)
{
    CxWaveInfo info;
    std::string goodFmt = Chunk("fmt ", Fmt(1, 1, 22050, 2, 16));
    std::string hugeData = std::string("data") + std::string("\xff\xff\xff\x7f", 4) + "abcd";
    std::string hugeList = std::string("LIST") + std::string("\xf0\xff\xff\xff", 4);
    const std::string cases[] = {
        "",                                                             // empty
        "RIFF\x04\0\0\0WAVE",                                           // no chunks
        Riff(goodFmt + Chunk("data", "ab"), "AVI "),                    // not a WAVE form
        Riff(goodFmt + hugeData),                                       // data size past the end
        Riff(hugeList + goodFmt + Chunk("data", "ab")),                 // a size that skips past everything
        Riff(Chunk("fmt ", "abc") + Chunk("data", "ab")),               // fmt too short for its fields
        Riff(Chunk("fmt ", Fmt(1, 0, 22050, 2, 16)) + Chunk("data", "ab")),     // 0 channels
        Riff(Chunk("fmt ", Fmt(17, 1, 22050, 0, 4)) + Chunk("data", "abcd")),   // IMA with block align 0
        Riff(Chunk("fmt ", Fmt(17, 2, 22050, 8, 4)) + Chunk("data", "abcd")),   // block align no larger than its header
        Riff(goodFmt),                                                  // no data chunk
    };
    for (const std::string& image : cases) EXPECT_EQ(Info(image, &info), 10) << "case of " << image.size() << " bytes";

    ErrorCapture capture;
    CxSound sound;
    std::string bad = Riff(goodFmt + hugeData);
    sound.LoadFromMemory(bad.data(), uint32_t(bad.size()), false);
    EXPECT_EQ(sound.GetWaveInfo(nullptr), 10);
    ASSERT_EQ(ErrorCapture::Reports().size(), 1u);
    EXPECT_EQ(ErrorCapture::Reports()[0].message, "Invalid WAV File");
}

TEST(WaveInfo, Id3TagIsSkippedOnlyWhenItFits)
{
    uint8_t tag[32] = {'I', 'D', '3', 3, 0, 0, 0, 0, 0, 12};
    EXPECT_EQ(SkipId3Tag(tag, sizeof tag), 22u);
    tag[5] = 0x40;   // extended header of 6 bytes
    tag[13] = 6;
    EXPECT_EQ(SkipId3Tag(tag, sizeof tag), 28u);
    tag[8] = 0x7F;   // a size far past the data: no tag
    EXPECT_EQ(SkipId3Tag(tag, sizeof tag), 0u);
    EXPECT_EQ(SkipId3Tag(tag, 9), 0u);
    tag[3] = 4;
    tag[8] = 0;
    EXPECT_EQ(SkipId3Tag(tag, sizeof tag), 0u);   // only version 3 is skipped
}

// ------------------------------------------------------------- channels
TEST_F(NoDriverSound, QueuedSoundsStayQueuedAndChannelMinusOnePicksTheFewest)
{
    EXPECT_FALSE(IsSoundDriverOpen());
    EXPECT_TRUE(IsSoundQueueReady());
    CxWave a, b, c, d;
    for (CxWave* w : {&a, &b, &c, &d}) w->SoundFlags = SOUND_FLAG_QUEUED;
    a.Channel = 0;
    a.Play();
    b.Channel = 7;
    b.Play();
    EXPECT_FALSE(IsAudioChannelFree(7));   // stays in its queue: no driver starts it
    EXPECT_TRUE(a.IsQueued());
    c.Play();                               // fewest (0 sounds) among 1..6: the highest, 6
    EXPECT_EQ(c.Channel, 6);
    d.Play();
    EXPECT_EQ(d.Channel, 5);
    EXPECT_FALSE(IsAudioChannelFree(-1));
    EXPECT_FALSE(IsAudioChannelFree(16));
}

TEST_F(NoDriverSound, FlushStopsEveryWaitingSoundOfItsChannel)
{
    CxWave sounds[3];
    for (CxWave& w : sounds) {
        w.SoundFlags = SOUND_FLAG_QUEUED;
        w.Channel = 2;
        w.Play();
    }
    EXPECT_EQ(GetAudioChannelCount(2), 3);
    FlushAudioChannel(2);
    EXPECT_TRUE(IsAudioChannelFree(2));
    for (CxWave& w : sounds) EXPECT_FALSE(w.IsQueued() || w.IsPlaying());
}

TEST_F(NoDriverSound, AChannelWithoutAQueueReportsSixteenAndPlaysDirectly)
{
    CxWave wave;
    wave.SoundFlags = SOUND_FLAG_QUEUED;
    wave.Channel = 12;   // 8 queues
    wave.Play();
    ASSERT_EQ(ErrorCapture::Reports().size(), 1u);
    EXPECT_EQ(ErrorCapture::Reports()[0].code, ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(wave.IsQueued());
    EXPECT_TRUE(wave.IsStarted());
    EXPECT_EQ(wave.GetErrorCode(), 0);   // the sound itself may play again
}

namespace {
int gDoneCalls = 0;
void CountDone(int, CxSound*) { ++gDoneCalls; }
}  // namespace

TEST_F(NoDriverSound, CompletionIsReportedAtOnceAndOnlyOnce)
{
    gDoneCalls = 0;
    CxWave wave;
    wave.DoneCallback = CountDone;
    wave.Play();
    EXPECT_EQ(gDoneCalls, 1);
    RunSoundUpdate(true);
    EXPECT_EQ(gDoneCalls, 1);
    EXPECT_EQ(GetMasterVolume(), -1);
}

TEST_F(NoDriverSound, DeleteWhenDoneIsForEngineSoundsOnly)
{
    auto* engineSound = new CxWave;
    engineSound->SoundFlags = SOUND_FLAG_DELETE_WHEN_DONE;
    engineSound->VolumeState |= SOUND_STATE_STARTED;
    auto* scriptSound = new CxWave;
    scriptSound->ScriptOwned = true;
    scriptSound->SoundFlags = SOUND_FLAG_DELETE_WHEN_DONE;
    scriptSound->VolumeState |= SOUND_STATE_STARTED;
    // The update of a no-driver run does nothing to waves but the walk
    // still deletes finished engine sounds.
    RunSoundUpdate(true);
    EXPECT_FALSE(IsSoundAlive(engineSound));
    EXPECT_TRUE(IsSoundAlive(scriptSound));
    delete scriptSound;

    // A script's SetFlags never sets the bit, so its collector deletes once.
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(RegisterSoundScriptApi(engine), 0);
    int before = GetSoundCount();
    ASSERT_EQ(engine.RunString("w = CxWave() w:SetFlags(9) flags = w:GetFlags() w:Play()"), 0);
    EXPECT_EQ(engine.GetGlobalInt("flags", -1), 1);
    EXPECT_EQ(GetSoundCount(), before + 1);
    RunSoundUpdate(true);
    EXPECT_EQ(GetSoundCount(), before + 1);
    ASSERT_EQ(engine.RunString("w = nil collectgarbage()"), 0);
    EXPECT_EQ(GetSoundCount(), before);
    EXPECT_NE(engine.RunString("CxWave():SetVol('loud')"), 0);   // numbers are required
}

// ------------------------------------------------------------- application services
TEST(SoundServices, VolumesAreClampedAndMinusOneIsNeverStored)
{
    ErrorCapture capture;
    UseNoDevice();
    CxOptions app;
    StartAppSounds(app, nullptr);
    CxOptions game;
    game.SetInt("Options", "MasterVolume", -1);   // written by an older run without a driver
    game.SetInt("Options", "MusicVolume", 300);
    ReadSoundVolumes(game);
    EXPECT_EQ(GetRememberedMasterVolume(), 100);
    EXPECT_EQ(GetMusicVolume(), 127);
    SetMasterVolume(-20);
    EXPECT_EQ(GetRememberedMasterVolume(), 0);
    SetMasterVolume(90);
    WriteSoundVolumes(game);
    EXPECT_EQ(game.ReadInt("Options", "MasterVolume", -5), 90);
    EXPECT_EQ(game.ReadInt("Options", "MusicVolume", -5), 127);
    StopAppSounds();
}

TEST(SoundServices, MusicKeepsItsVolumeAndLoopsAndTheCacheLoadsOnce)
{
    ErrorCapture capture;
    UseNoDevice();
    CxOptions app;
    StartAppSounds(app, nullptr);
    SetMusicVolume(33);
    StartMusic("missing.mp3", -1);
    ASSERT_NE(GetMusic(), nullptr);
    EXPECT_EQ(GetMusic()->GetVol(), 33);
    EXPECT_EQ(GetMusic()->NumLoops, 999999);
    EXPECT_TRUE(GetMusic()->SoundFlags & SOUND_FLAG_LOOP);
    StartMusic("missing.mp3", 70);
    EXPECT_EQ(GetMusicVolume(), 70);

    PlaySoundByName("Sounds/Click.wav");
    PlaySoundByName("SOUNDS/click.WAV");
    EXPECT_EQ(GetSoundCacheCount(), 1);
    EXPECT_EQ(GetCachedSoundUses("sounds/click.wav"), 2);
    FlushSoundCache();
    EXPECT_EQ(GetSoundCacheCount(), 0);

    CxLinkedList<CxString> arguments;
    arguments.AddTail(CxString("3"));
    EXPECT_TRUE(RunSoundCommand("flushaudiochannel", arguments));
    EXPECT_FALSE(RunSoundCommand("Quit", arguments));
    StopAppSounds();
}

// ------------------------------------------------------------- effects
TEST(SoundEffects, RingModulationScalesSignedSamplesAndEightBitAroundTheMiddle)
{
    ErrorCapture capture;
    const int16_t pcm[4] = {-1000, 1000, -32768, 0};
    std::vector<uint8_t> image = MakePcmWav(pcm, 4, 1, 22050);
    CxSound sound;
    sound.LoadFromMemory(image.data(), uint32_t(image.size()), false);
    // frequency 0, phase pi/2: s = 1 everywhere, factor (1 + 1.2) x 0.4 = 0.88
    ASSERT_EQ(sound.RingMod(0.0, M_PI / 2, 1.0), 0);
    CxWaveInfo info;
    ASSERT_EQ(sound.GetWaveInfo(&info), 0);
    int16_t out[4];
    memcpy(out, info.data, sizeof out);
    EXPECT_EQ(out[0], -880);
    EXPECT_EQ(out[1], 880);
    EXPECT_EQ(out[2], -28835);
    EXPECT_EQ(out[3], 0);

    std::string eight = Riff(Chunk("fmt ", Fmt(1, 1, 8000, 1, 8)) + Chunk("data", std::string("\x1c\x80\xe4\x80", 4)));
    CxSound quiet;
    quiet.LoadFromMemory(eight.data(), uint32_t(eight.size()), false);
    ASSERT_EQ(quiet.RingMod(0.0, -M_PI / 2, 1.0), 0);   // s = -1: factor 0, silence is 128
    ASSERT_EQ(quiet.GetWaveInfo(&info), 0);
    for (uint32_t i = 0; i < 4; ++i) EXPECT_EQ(info.data[i], 128);
}

TEST(SoundEffects, ReverseKeepsFramesWholeAndSurvivesCompression)
{
    ErrorCapture capture;
    const int16_t pcm[6] = {1, -1, 2, -2, 3, -3};
    std::vector<uint8_t> image = MakePcmWav(pcm, 3, 2, 22050);
    CxSound sound;
    sound.LoadFromMemory(image.data(), uint32_t(image.size()), false);
    ASSERT_EQ(sound.Reverse(), 0);
    CxWaveInfo info;
    ASSERT_EQ(sound.GetWaveInfo(&info), 0);
    int16_t out[6];
    memcpy(out, info.data, sizeof out);
    const int16_t expected[6] = {3, -3, 2, -2, 1, -1};
    EXPECT_EQ(0, memcmp(out, expected, sizeof out));

    std::vector<int16_t> tone = SineSamples(440, 0.1, 22050);
    std::vector<uint8_t> toneImage = MakePcmWav(tone.data(), uint32_t(tone.size()), 1, 22050);
    CxSound packed;
    packed.LoadFromMemory(toneImage.data(), uint32_t(toneImage.size()), false);
    ASSERT_EQ(packed.Compress(), 0);
    EXPECT_TRUE(packed.IsCompressed());
    ASSERT_EQ(packed.Reverse(), 0);
    EXPECT_TRUE(packed.IsCompressed());
    ASSERT_EQ(packed.Decompress(), 0);
    ASSERT_EQ(packed.GetWaveInfo(&info), 0);
    EXPECT_EQ(info.samples, tone.size());
    auto* back = reinterpret_cast<const int16_t*>(info.data);
    EXPECT_NEAR(back[0], tone.back(), 1200);   // the last sample is first now, within ADPCM's error
}

// ------------------------------------------------------------- ADPCM
TEST(ImaAdpcm, OurEncodingDecodesThroughSdlWithinTheCodecsError)
{
    for (int channels : {1, 2}) {
        std::vector<int16_t> tone = SineSamples(523.25, 0.3, 22050, 0.6, channels);
        uint32_t frames = uint32_t(tone.size()) / uint32_t(channels);
        std::vector<uint8_t> ima = ImaEncodeWav(tone.data(), frames, channels, 22050);
        std::vector<int16_t> sdl;
        int sdlChannels = 0, rate = 0;
        ASSERT_TRUE(PlatAudioDecodeWav(ima.data(), ima.size(), sdl, &sdlChannels, &rate)) << PlatAudioLastError();
        EXPECT_EQ(sdlChannels, channels);
        ASSERT_GE(sdl.size(), tone.size());
        double error = 0, signal = 0;
        for (size_t i = 0; i < tone.size(); ++i) {
            error += double(sdl[i] - tone[i]) * (sdl[i] - tone[i]);
            signal += double(tone[i]) * tone[i];
        }
        EXPECT_GT(10 * log10(signal / error), 25.0) << channels << " channels";   // 4-bit ADPCM of a tone
    }
}

TEST(ImaAdpcm, OurDecoderMatchesSdlOnSoxAndOurOwnFiles)
{
    std::vector<int16_t> tone = SineSamples(440, 0.2, 22050, 0.5, 2);
    const std::vector<uint8_t> files[] = {ReadData("sox_ima_mono.wav"), ReadData("sox_ima_stereo.wav"),
                                          ImaEncodeWav(tone.data(), uint32_t(tone.size() / 2), 2, 22050)};
    for (const std::vector<uint8_t>& file : files) {
        ASSERT_GT(file.size(), 60u);
        CxWaveInfo info;
        ASSERT_EQ(ReadWaveInfo(file.data(), uint32_t(file.size()), 0, &info), 0);
        std::vector<int16_t> ours, sdl;
        ASSERT_TRUE(ImaDecode(info, ours));
        int channels = 0, rate = 0;
        ASSERT_TRUE(PlatAudioDecodeWav(file.data(), file.size(), sdl, &channels, &rate)) << PlatAudioLastError();
        size_t common = std::min(ours.size(), sdl.size());
        ASSERT_GE(common, size_t(info.samples) * info.channels);
        EXPECT_EQ(0, memcmp(ours.data(), sdl.data(), common * 2));
    }
}

// ------------------------------------------------------------- subtitles
TEST(AudioSubTitle, LinesCarryTheirDurationsAndALineWithoutACommaJoinsTheNext)
{
    const char text[] = "1000, Hello there\r\n-1,0123456789\nno comma here\n 250,last";
    CxAudioSubTitle subtitle;
    ASSERT_EQ(subtitle.LoadFromMemory(text, uint32_t(strlen(text)), true), 0);
    ASSERT_EQ(subtitle.GetLineCount(), 3);
    EXPECT_STREQ(subtitle.GetLine(0)->text.Text(), "Hello there");
    EXPECT_EQ(subtitle.GetLine(0)->duration, 1000);
    EXPECT_EQ(subtitle.GetLine(1)->duration, 500);   // 50 ms for each of 10 characters
    EXPECT_EQ(subtitle.GetLine(2)->duration, 0);     // "no comma here\n 250" is no number
    EXPECT_STREQ(subtitle.GetLine(2)->text.Text(), "last");
}

TEST_F(NoDriverSound, SubtitleShowsEachLineForItsTimeAndPauseFreezesIt)
{
    const char text[] = "120,first\n-1,ab";   // 120 ms, then 100 ms
    gDoneCalls = 0;
    CxAudioSubTitle subtitle;
    subtitle.DoneCallback = CountDone;
    subtitle.LoadFromMemory(text, uint32_t(strlen(text)), true);
    subtitle.Play();
    EXPECT_TRUE(subtitle.IsPlaying());
    EXPECT_EQ(subtitle.GetShownLine(), 0);
    subtitle.Pause();
    PlatSleep(200);
    RunSoundUpdate(true);
    EXPECT_EQ(subtitle.GetShownLine(), 0);   // frozen while paused
    subtitle.Resume();
    PlatSleep(150);
    RunSoundUpdate(true);
    EXPECT_EQ(subtitle.GetShownLine(), 1);
    PlatSleep(130);
    RunSoundUpdate(true);
    EXPECT_FALSE(subtitle.IsPlaying());
    EXPECT_EQ(gDoneCalls, 1);
}

TEST_F(NoDriverSound, AQueuedSubtitleWaitsForTheSoundsBeforeIt)
{
    const char text[] = "50,hi";
    CxAudioSubTitle first, second;
    for (CxAudioSubTitle* s : {&first, &second}) {
        s->LoadFromMemory(text, uint32_t(strlen(text)), true);
        s->PlayQueuedOn(1);
        s->Play();
    }
    EXPECT_TRUE(first.IsPlaying());
    EXPECT_FALSE(second.IsPlaying());
    EXPECT_FALSE(second.IsEventDone());
    PlatSleep(70);
    RunSoundUpdate(true);   // the first ends and leaves the queue
    RunSoundUpdate(true);   // the second's turn
    EXPECT_TRUE(second.IsPlaying());
}

// ------------------------------------------------------------- sound events
TEST(SoundEvents, ASubtitledEventOwnsItsSubtitleAndPausingFreezesIt)
{
    ErrorCapture capture;
    UseNoDevice();
    CxOptions app;
    StartAppSounds(app, nullptr);
    TempDir dir;
    std::string path = "<DEFAULT>" + dir.File("line.TXT");
    WriteFileBytes(dir.File("line.TXT"), "80,first\n80,second\n");
    {
        CSoundEvent event(path.c_str(), 1, 0);
        ASSERT_TRUE(event.GetSoundFlags() & SOUND_EVENT_OWNS_SOUND);
        auto* subtitle = dynamic_cast<CxAudioSubTitle*>(event.GetSound());
        ASSERT_NE(subtitle, nullptr);
        EXPECT_EQ(subtitle->GetLineCount(), 2);
        event.Start();
        EXPECT_FALSE(event.IsDone());   // subtitles need no driver: the queue starts them
        event.Pause();
        EXPECT_TRUE(event.IsPaused());
        PlatSleep(120);
        RunSoundUpdate(true);
        EXPECT_EQ(subtitle->GetShownLine(), 0);
        event.Resume();
        for (int i = 0; i < 100 && !event.IsDone(); ++i) {
            PlatSleep(5);
            RunSoundUpdate(true);
        }
        EXPECT_TRUE(event.IsDone());
    }
    EXPECT_TRUE(IsAudioChannelFree(1));
    // Without a driver a cached sound's event completes at once.
    CSoundEvent missing("nothing.wav", 2, 0);
    missing.Start();
    EXPECT_TRUE(missing.IsDone());
    StopAppSounds();
}

// ------------------------------------------------------------- the mixer's inputs
TEST(MixerInput, UnplayableRatesAreRefusedAndPlaybackRatesClamped)
{
    PlatMixer* mixer = PlatMixerCreate(22050);
    PlatVoice* voice = PlatVoiceCreate(mixer);
    std::string absurd = Riff(Chunk("fmt ", Fmt(1, 1, 0x54FF5622, 2, 16)) + Chunk("data", std::string(64, '\0')));
    EXPECT_FALSE(PlatVoiceLoad(voice, absurd.data(), absurd.size(), PLAT_VOICE_WAV));
    EXPECT_NE(std::string(PlatAudioLastError()), "");
    EXPECT_FALSE(PlatVoiceLoad(voice, absurd.data(), absurd.size(), PLAT_VOICE_RAW16, 0));
    // A data chunk that claims 3.5 GB in a 60-byte image never reaches SDL's loader.
    std::string claims = Riff(Chunk("fmt ", Fmt(1, 1, 22050, 2, 16))) + "data" + std::string("\0\0\0\xe2", 4) + "abcd";
    EXPECT_FALSE(PlatVoiceLoad(voice, claims.data(), claims.size(), PLAT_VOICE_WAV));
    EXPECT_EQ(std::string(PlatAudioLastError()), "a WAV chunk runs past the end of the data");
    std::vector<uint8_t> tone = SineWav(440, 0.05);
    ASSERT_TRUE(PlatVoiceLoad(voice, tone.data(), tone.size(), PLAT_VOICE_WAV));
    PlatVoiceSetRate(voice, 2000000000);
    EXPECT_EQ(PlatVoiceGetRate(voice), 384000);
    PlatVoiceSetRate(voice, -1);
    EXPECT_EQ(PlatVoiceGetRate(voice), 22050);
    PlatVoiceRelease(voice);
    PlatMixerDestroy(mixer);
}

// A queued voice plays what it is given, then silence while dry without
// ending; a flush drops what waits, and the queue holds two seconds at most.
TEST(MixerInput, AQueuedVoicePlaysSilenceWhenDryAndFlushEmptiesIt)
{
    PlatMixer* mixer = PlatMixerCreate(22050);
    PlatVoice* voice = PlatVoiceCreate(mixer);
    EXPECT_FALSE(PlatVoiceLoadQueue(voice, 22050, 3));
    ASSERT_TRUE(PlatVoiceLoadQueue(voice, 22050, 2));
    PlatVoiceStart(voice);
    std::vector<float> out(2 * 256, 1.0f);
    auto loud = [&] { return std::count_if(out.begin(), out.end(), [](float f) { return f != 0.0f; }); };
    PlatMixerMix(mixer, out.data(), 256);
    EXPECT_EQ(loud(), 0);
    EXPECT_EQ(PlatVoiceStatus(voice), PLAT_VOICE_PLAYING);
    std::vector<int16_t> block(2 * 100, 16384);
    EXPECT_EQ(PlatVoiceQueue(voice, block.data(), 100), 100u);
    PlatMixerMix(mixer, out.data(), 256);
    EXPECT_EQ(loud(), 200);   // the 100 frames, then silence
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_EQ(out[200], 0.0f);
    PlatMixerMix(mixer, out.data(), 256);
    EXPECT_EQ(loud(), 0);
    EXPECT_EQ(PlatVoiceStatus(voice), PLAT_VOICE_PLAYING);
    PlatMixerDispatch(mixer);
    EXPECT_EQ(PlatVoiceStatus(voice), PLAT_VOICE_PLAYING);   // never ends of its own accord

    PlatVoiceQueue(voice, block.data(), 100);
    EXPECT_EQ(PlatVoiceQueuedFrames(voice), 100u);
    PlatVoiceFlushQueue(voice);
    EXPECT_EQ(PlatVoiceQueuedFrames(voice), 0u);
    PlatMixerMix(mixer, out.data(), 256);
    EXPECT_EQ(loud(), 0);

    std::vector<int16_t> seconds(2 * 22050 * 3);
    EXPECT_EQ(PlatVoiceQueue(voice, seconds.data(), 22050 * 3), 22050u * 2);
    PlatVoiceRelease(voice);
    PlatMixerDestroy(mixer);
}

// Without a device movies get no voice, and nothing is queued anywhere.
TEST_F(NoDriverSound, MoviesGetNoVoiceWithoutADevice)
{
    EXPECT_EQ(GetMovieAudioFactory(), nullptr);
    EXPECT_EQ(MakeMovieVoiceOutput(kMovieAudioRate, 2), nullptr);
}

namespace {
CxDisplayObject* gStage = nullptr;
CxDisplayObject* StageParent() { return gStage; }
CxSize StageSize() { return CxSize{640, 480}; }
}  // namespace

TEST_F(NoDriverSound, SubtitleLinesAppearAlongTheBottomOfTheRoomAndGoAfterwards)
{
    CxDisplayObject room;
    room.Create(0, 0, 640, 480, nullptr, 0);
    gStage = &room;
    SetSubtitleStage(StageParent, StageSize);
    const char text[] = "40,Hello\n40,again";
    CxAudioSubTitle subtitle;
    subtitle.LoadFromMemory(text, uint32_t(strlen(text)), true);
    subtitle.Play();
    CxDrawText* line = subtitle.GetTextObject();
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->GetParent(), &room);
    EXPECT_EQ(line->GetRect(), (CxRect{0, 440, 639, 479}));   // 40 pixels high, the full width
    EXPECT_STREQ(line->GetString(), "Hello");
    PlatSleep(50);
    RunSoundUpdate(true);
    EXPECT_STREQ(line->GetString(), "again");
    PlatSleep(50);
    RunSoundUpdate(true);
    EXPECT_FALSE(subtitle.IsPlaying());
    EXPECT_EQ(line->GetParent(), nullptr);
    SetSubtitleStage(nullptr, nullptr);
    gStage = nullptr;
}
