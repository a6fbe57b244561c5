// Tones made in memory for the sound tests.
#pragma once
#include "media/CxImaAdpcm.h"

#include <cmath>
#include <cstdint>
#include <vector>

inline std::vector<int16_t> SineSamples(double hz, double seconds, int rate, double amplitude = 0.5, int channels = 1)
{
    auto frames = size_t(seconds * rate);
    std::vector<int16_t> samples(frames * size_t(channels));
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            samples[i * size_t(channels) + size_t(c)] =
                int16_t(lround(32767.0 * amplitude * sin(2.0 * M_PI * hz * (c + 1) * double(i) / rate)));
    return samples;
}

inline std::vector<uint8_t> SineWav(double hz, double seconds, int rate = 22050, double amplitude = 0.5)
{
    std::vector<int16_t> samples = SineSamples(hz, seconds, rate, amplitude);
    return MakePcmWav(samples.data(), uint32_t(samples.size()), 1, uint32_t(rate));
}
