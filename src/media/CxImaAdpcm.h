// IMA ADPCM in WAV images (format tag 17, 4 bits), both ways.  Blocks carry
// one predictor and step index per channel, then groups of four bytes per
// channel, eight samples each, low nibble first.
#pragma once
#include <cstdint>
#include <vector>

struct CxWaveInfo;

// A complete WAV image of 16-bit PCM.
std::vector<uint8_t> MakePcmWav(const int16_t* samples, uint32_t frames, int channels, uint32_t rate);
// 16-bit interleaved samples to a complete IMA ADPCM WAV image (with "fact").
std::vector<uint8_t> ImaEncodeWav(const int16_t* samples, uint32_t frames, int channels, uint32_t rate);
// The samples of an IMA ADPCM WAV described by `info`; false for a layout
// that cannot be IMA ADPCM.  A short last block gives what it holds.
bool ImaDecode(const CxWaveInfo& info, std::vector<int16_t>& samples);
