// Movie driver: any bytes opened as a movie must be refused or decoded
// without a crash or a read past a frame buffer.  Each input decodes a few
// frames forwards, one after a jump back, into 32-bit and 8-bit surfaces.
#include "graphics/CxSurf.h"
#include "media/CxMovieLibavDriver.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
int Silent(int, const char*) { return 0; }

const std::string& MoviePath()
{
    static const std::string path = "/tmp/vorn-fuzz-movie-" + std::to_string(getpid()) + ".avi";
    return path;
}

void Decode(CxLibavMovieDriver& driver, int depth)
{
    CxDrawSurface surface;
    if (driver.PrepareSurface(&surface, depth) != 0) return;
    CxMovieRenderRequest request;
    request.target = &surface;
    for (int i = 0; i < 6; ++i) {
        request.flags = 0;   // redraw: no waiting on the clock
        driver.GotoFrame(i);
        if (driver.Render(&request) != 0) break;
    }
    driver.GotoFrame(driver.GetNumFrames() - 1);
    driver.Render(&request);
    driver.GotoFrame(1);
    driver.Render(&request);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorCallback(Silent);
    CxLibavMovieDriver::SetLimits(2000, 320 * 240);   // a few frames of at most this size a run
    FILE* out = fopen(MoviePath().c_str(), "wb");
    if (!out) return 0;
    fwrite(data, 1, size, out);
    fclose(out);
    {
        CxLibavMovieDriver driver;
        if (driver.Open(MoviePath().c_str(), MOVIE_DRIVER_SOUND) == 0) {
            Decode(driver, 32);
            Decode(driver, 8);
            Decode(driver, 16);
        }
    }
    std::remove(MoviePath().c_str());
    return 0;
}
