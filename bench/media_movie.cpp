// Decoding a 640 x 480, 30 fps VP8 movie through the movie driver, into a
// 32-bit surface and into an 8-bit one, and stepping it backwards (each
// frame decoded again from the key frame before it, one key frame a
// second).  Each figure is also given as a share of the movie's frame
// interval (33.3 ms): the goal is under 0.2 forwards, one core.
#include "graphics/CxSurf.h"
#include "media/CxMovieLibavDriver.h"

#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
const std::string& MoviePath()
{
    static const std::string path = [] {
        std::string file = "/tmp/vorn-bench-movie-" + std::to_string(getpid()) + ".webm";
        std::string command = "ffmpeg -nostdin -loglevel error -y -f lavfi -i testsrc2=size=640x480:rate=30:duration=4 "
                              "-c:v libvpx -b:v 1500k -g 30 -deadline realtime -cpu-used 8 '" + file + "'";
        if (std::system(command.c_str()) != 0) return std::string();
        std::atexit([] { std::remove(MoviePath().c_str()); });
        return file;
    }();
    return path;
}

constexpr double kIntervalSeconds = 1.0 / 30;

// args: depth, step (+1 forwards, -1 backwards)
void BM_DecodeFrame(benchmark::State& state)
{
    if (MoviePath().empty()) return state.SkipWithError("no ffmpeg tool");
    CxLibavMovieDriver driver;
    if (driver.Open(MoviePath().c_str(), 0) != 0) return state.SkipWithError("cannot open the movie");
    CxDrawSurface surface;
    driver.PrepareSurface(&surface, int(state.range(0)));
    int step = int(state.range(1));
    int frames = driver.GetNumFrames();
    int frame = step > 0 ? 0 : frames - 1;
    CxMovieRenderRequest request;
    request.target = &surface;
    double seconds = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        driver.GotoFrame(frame);
        if (driver.Render(&request) != 0) return state.SkipWithError("decoding failed");
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        frame = (frame + step + frames) % frames;
    }
    double perFrame = seconds / double(state.iterations());
    state.counters["share_of_interval"] = perFrame / kIntervalSeconds;
    state.counters["ms_per_frame"] = perFrame * 1000;
}
BENCHMARK(BM_DecodeFrame)->Args({32, 1})->Args({8, 1})->Args({32, -1})->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
