// MP3 decoding through the music path: the game's menu music, streamed by
// a voice into a mixer at the file's own rate.  The real-time factor is
// seconds of music per second of decoding.  Needs the generated music.
#include "platform/audio/PlatformAudio.h"

#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {
// Beside the source (the compiler may name it relative to the build
// folder), or under the current folder.
std::vector<uint8_t> Music()
{
    std::string source = __FILE__;
    std::string folder = source.substr(0, source.rfind('/'));
    for (std::string path : {folder + "/../data/generated/Music/menu.mp3", std::string("data/generated/Music/menu.mp3"),
                             std::string("../data/generated/Music/menu.mp3")}) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes(std::istreambuf_iterator<char>(in), {});
        if (!bytes.empty()) return bytes;
    }
    return {};
}

void BM_DecodeMusic(benchmark::State& state)
{
    std::vector<uint8_t> mp3 = Music();
    if (mp3.empty()) {
        state.SkipWithError("data/generated/Music/menu.mp3 is missing: build the data first");
        return;
    }
    PlatMixer* mixer = PlatMixerCreate(44100);
    std::vector<float> out(4096 * 2);
    double seconds = 0;
    for (auto _ : state) {
        PlatVoice* v = PlatVoiceCreate(mixer);
        PlatVoiceLoad(v, mp3.data(), mp3.size(), PLAT_VOICE_MP3);
        PlatVoiceStart(v);
        int64_t frames = 0;
        while (PlatVoiceStatus(v) == PLAT_VOICE_PLAYING) {
            PlatMixerMix(mixer, out.data(), 4096);
            frames += 4096;
        }
        PlatVoiceRelease(v);
        seconds += double(frames) / 44100.0;
    }
    PlatMixerDestroy(mixer);
    state.counters["realtime_x"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DecodeMusic)->Unit(benchmark::kMillisecond);

// The baseline in the same run: copying the decoded size of PCM.
void BM_CopyDecodedSize(benchmark::State& state)
{
    std::vector<float> from(size_t(22 * 44100 * 2), 0.5f), to(from.size());
    for (auto _ : state) {
        std::copy(from.begin(), from.end(), to.begin());
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(BM_CopyDecodedSize)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
