// Sound data: the chunk walk and the effects over whatever it found, the
// ADPCM decoder, and the hand-off to SDL's WAV loader and to the MP3
// decoder (after the ID3 skip), mixed for a few blocks on a mixer without
// a device.  The first byte picks the reading: WAV, raw or MP3.
#include "media/CxImaAdpcm.h"
#include "media/CxSound.h"
#include "media/CxWave.h"
#include "platform/audio/PlatformAudio.h"

#include <cstdint>
#include <vector>

namespace {
void MixSome(const uint8_t* data, size_t size, PlatVoiceFormat format)
{
    static PlatMixer* mixer = PlatMixerCreate(22050);
    PlatVoice* voice = PlatVoiceCreate(mixer);
    if (PlatVoiceLoad(voice, data, size, format, 22000)) {
        PlatVoiceSetRate(voice, 30000);
        PlatVoiceStart(voice);
        float out[2 * 256];
        for (int i = 0; i < 8 && PlatVoiceStatus(voice) == PLAT_VOICE_PLAYING; ++i) PlatMixerMix(mixer, out, 256);
    }
    PlatVoiceRelease(voice);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (1u << 20)) return 0;
    uint8_t mode = data[0] % 3;
    const uint8_t* body = data + 1;
    auto length = uint32_t(size - 1);
    if (mode == 2) {
        uint32_t skip = SkipId3Tag(body, length);
        MixSome(body + skip, length - skip, PLAT_VOICE_MP3);
        return 0;
    }
    uint32_t flags = mode == 1 ? uint32_t(SOUND_FLAG_RAW) : 0u;
    CxWaveInfo info;
    if (ReadWaveInfo(body, length, flags, &info) == 0) {
        std::vector<int16_t> samples;
        if (info.compressed) ImaDecode(info, samples);
        CxSound sound;
        sound.SoundFlags = flags;
        sound.LoadFromMemory(body, length, false);
        sound.Reverse();
        sound.RingMod(440.0, 0.5, 0.7);
    }
    if (mode == 0) MixSome(body, length, PLAT_VOICE_WAV);
    else MixSome(body, length, PLAT_VOICE_RAW16);
    return 0;
}
