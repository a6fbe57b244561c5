// Mixing 16 voices (half of them resampled) into one 10 ms block of 44.1 kHz
// stereo, next to a plain copy of a block of the same size.  The share of a
// core is the mix time over the 10 ms the block lasts.
#include "media/CxImaAdpcm.h"
#include "platform/audio/PlatformAudio.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {
constexpr int kFrames = 441;   // 10 ms at 44.1 kHz

std::vector<uint8_t> Tone(double hz, int rate)
{
    std::vector<int16_t> samples(static_cast<size_t>(rate));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = int16_t(8000 * sin(2 * M_PI * hz * double(i) / rate));
    return MakePcmWav(samples.data(), uint32_t(samples.size()), 1, uint32_t(rate));
}

void BM_MixSixteenVoices(benchmark::State& state)
{
    PlatMixer* mixer = PlatMixerCreate(44100);
    std::vector<std::vector<uint8_t>> tones;
    std::vector<PlatVoice*> voices;
    for (int i = 0; i < 16; ++i) tones.push_back(Tone(200.0 + 50 * i, i % 2 ? 22050 : 44100));
    for (int i = 0; i < 16; ++i) {
        PlatVoice* v = PlatVoiceCreate(mixer);
        PlatVoiceLoad(v, tones[size_t(i)].data(), tones[size_t(i)].size(), PLAT_VOICE_WAV);
        PlatVoiceSetLoopCount(v, 0);
        if (i % 2) PlatVoiceSetRate(v, 27000);   // resampled: a pitch change on a 22 kHz sound
        PlatVoiceSetVolume(v, 60);
        PlatVoiceStart(v);
        voices.push_back(v);
    }
    std::vector<float> out(kFrames * 2);
    for (auto _ : state) {
        PlatMixerMix(mixer, out.data(), kFrames);
        benchmark::DoNotOptimize(out.data());
    }
    for (PlatVoice* v : voices) PlatVoiceRelease(v);
    PlatMixerDestroy(mixer);
    // (seconds per block / 0.01 s) x 100 %, as elapsed / (iterations / 10000)
    state.counters["core_share_%"] = benchmark::Counter(double(state.iterations()) / 10000.0,
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixSixteenVoices);

// The floor: copying the block the mix writes.
void BM_CopyOutputBlock(benchmark::State& state)
{
    std::vector<float> from(kFrames * 2, 0.25f), to(kFrames * 2);
    for (auto _ : state) {
        memcpy(to.data(), from.data(), to.size() * sizeof(float));
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CopyOutputBlock);
}  // namespace

BENCHMARK_MAIN();
