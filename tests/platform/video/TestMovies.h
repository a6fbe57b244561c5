// Movies encoded at test time with the ffmpeg tool from frames a test draws.
// Every frame is one solid colour per quarter of the picture, so a test can
// tell frames apart by their pixels after any lossless codec.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace testmovies {

inline bool HaveFfmpeg() { return std::system("ffmpeg -version >/dev/null 2>&1") == 0; }

struct Rgb {
    uint8_t r, g, b;
};

// The colour of the top-left quarter of frame `k` in the plain test movies.
inline Rgb FrameColour(int k) { return Rgb{uint8_t(10 + k * 9), uint8_t(200 - k * 7), uint8_t(k * 3 & 0xFF)}; }

using DrawFrame = std::function<void(int frame, std::vector<uint8_t>& rgb, int width, int height)>;

inline void DrawQuarters(int frame, std::vector<uint8_t>& rgb, int width, int height)
{
    Rgb quarters[4] = {FrameColour(frame), {255, 255, 255}, {0, 0, 255}, {uint8_t(frame * 11), 0, 0}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgb& c = quarters[(y >= height / 2) * 2 + (x >= width / 2)];
            uint8_t* p = &rgb[size_t(y * width + x) * 3];
            p[0] = c.r, p[1] = c.g, p[2] = c.b;
        }
}

// Encodes `frames` frames at `fps`; `codec` is ffmpeg's output options (for
// example "-c:v ffv1"); `audio` adds a sine tone of that frequency.  The
// file's name picks the container.
inline bool Encode(const std::string& path, int width, int height, int frames, int fps, const std::string& codec,
                   int audioHz = 0, const DrawFrame& draw = DrawQuarters)
{
    std::string raw = path + ".rgb";
    FILE* out = std::fopen(raw.c_str(), "wb");
    if (!out) return false;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int k = 0; k < frames; ++k) {
        draw(k, rgb, width, height);
        std::fwrite(rgb.data(), 1, rgb.size(), out);
    }
    std::fclose(out);
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::string command = "ffmpeg -nostdin -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::string(size) +
                          " -r " + std::to_string(fps) + " -i '" + raw + "'";
    if (audioHz)
        command += " -f lavfi -i sine=frequency=" + std::to_string(audioHz) + ":sample_rate=22050:duration=" +
                   std::to_string(double(frames) / fps) + " -c:a pcm_s16le";
    command += " " + codec + " '" + path + "'";
    bool ok = std::system(command.c_str()) == 0;
    std::remove(raw.c_str());
    return ok;
}

// An 8-bit movie whose palette changes at frame `change`: frames before it
// use reds, frames from it on use greens, each frame with its own palette.
inline bool EncodePalettised(const std::string& path, int width, int height, int frames, int change)
{
    std::string raw = path + ".rgb";
    FILE* out = std::fopen(raw.c_str(), "wb");
    if (!out) return false;
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    for (int k = 0; k < frames; ++k) {
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                uint8_t* p = &rgb[size_t(y * width + x) * 3];
                uint8_t level = uint8_t(x < width / 2 ? 240 : 60);
                if (k < change) p[0] = level, p[1] = 0, p[2] = 0;
                else p[0] = 0, p[1] = level, p[2] = 0;
            }
        std::fwrite(rgb.data(), 1, rgb.size(), out);
    }
    std::fclose(out);
    char size[32];
    std::snprintf(size, sizeof size, "%dx%d", width, height);
    std::string command = "ffmpeg -nostdin -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " + std::string(size) +
                          " -r 10 -i '" + raw +
                          "' -filter_complex \"split[a][b];[a]palettegen=stats_mode=single:reserve_transparent=0[p];"
                          "[b][p]paletteuse=new=1\" -c:v png '" + path + "'";
    bool ok = std::system(command.c_str()) == 0;
    std::remove(raw.c_str());
    return ok;
}

}  // namespace testmovies
