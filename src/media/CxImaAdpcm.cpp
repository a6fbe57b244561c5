#include "media/CxImaAdpcm.h"

#include "media/CxSound.h"

#include <algorithm>
#include <cstring>

namespace {
const int16_t kStepTable[89] = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,    21,    23,    25,    28,    31,
    34,    37,    41,    45,    50,    55,    60,    66,    73,    80,    88,    97,    107,   118,   130,   143,
    157,   173,   190,   209,   230,   253,   279,   307,   337,   371,   408,   449,   494,   544,   598,   658,
    724,   796,   876,   963,   1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749,  3024,
    3327,  3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493,  10442, 11487, 12635, 13899,
    15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};
const int8_t kIndexTable[16] = {-1, -1, -1, -1, 2, 4, 6, 8, -1, -1, -1, -1, 2, 4, 6, 8};

struct ImaState {
    int predictor = 0;
    int index = 0;
};

int16_t DecodeNibble(ImaState& s, int nibble)
{
    int step = kStepTable[s.index];
    int delta = step >> 3;
    if (nibble & 4) delta += step;
    if (nibble & 2) delta += step >> 1;
    if (nibble & 1) delta += step >> 2;
    if (nibble & 8) delta = -delta;
    s.predictor = std::clamp(s.predictor + delta, -32768, 32767);
    s.index = std::clamp(s.index + kIndexTable[nibble & 15], 0, 88);
    return int16_t(s.predictor);
}

// The nibble whose decoded value comes nearest the sample; the state
// advances exactly as the decoder's will.
int EncodeNibble(ImaState& s, int sample)
{
    int step = kStepTable[s.index];
    int diff = sample - s.predictor;
    int nibble = 0;
    if (diff < 0) {
        nibble = 8;
        diff = -diff;
    }
    if (diff >= step) { nibble |= 4; diff -= step; }
    step >>= 1;
    if (diff >= step) { nibble |= 2; diff -= step; }
    step >>= 1;
    if (diff >= step) nibble |= 1;
    DecodeNibble(s, nibble);
    return nibble;
}

void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char* tag)
{
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(tag[i]));
}

uint16_t BlockAlignFor(uint32_t rate, int channels)
{
    uint32_t perChannel = rate <= 11025 ? 256 : rate <= 22050 ? 512 : 1024;
    return uint16_t(perChannel * uint32_t(channels));
}
}  // namespace

std::vector<uint8_t> MakePcmWav(const int16_t* samples, uint32_t frames, int channels, uint32_t rate)
{
    uint32_t bytes = frames * uint32_t(channels) * 2;
    std::vector<uint8_t> out;
    out.reserve(44 + bytes);
    PutTag(out, "RIFF");
    Put32(out, 36 + bytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1);
    Put16(out, uint32_t(channels));
    Put32(out, rate);
    Put32(out, rate * uint32_t(channels) * 2);
    Put16(out, uint32_t(channels) * 2);
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, bytes);
    for (uint32_t i = 0; i < frames * uint32_t(channels); ++i) Put16(out, uint16_t(samples[i]));
    return out;
}

std::vector<uint8_t> ImaEncodeWav(const int16_t* samples, uint32_t frames, int channels, uint32_t rate)
{
    uint16_t blockAlign = BlockAlignFor(rate, channels);
    uint32_t headerBytes = 4u * uint32_t(channels);
    uint32_t perBlock = (blockAlign - headerBytes) * 8 / headerBytes + 1;
    uint32_t blocks = (frames + perBlock - 1) / perBlock;
    std::vector<uint8_t> body;
    body.reserve(size_t(blocks) * blockAlign);
    ImaState state[2];
    auto sampleAt = [&](uint32_t frame, int c) -> int {
        return frame < frames ? samples[size_t(frame) * size_t(channels) + size_t(c)] : 0;
    };
    for (uint32_t b = 0; b < blocks; ++b) {
        uint32_t first = b * perBlock;
        for (int c = 0; c < channels; ++c) {
            state[c].predictor = sampleAt(first, c);
            Put16(body, uint16_t(int16_t(state[c].predictor)));
            body.push_back(uint8_t(state[c].index));
            body.push_back(0);
        }
        // Groups of eight samples per channel, four bytes each.
        for (uint32_t group = 0; group < (perBlock - 1) / 8; ++group) {
            for (int c = 0; c < channels; ++c) {
                for (int k = 0; k < 8; k += 2) {
                    uint32_t frame = first + 1 + group * 8 + uint32_t(k);
                    int low = EncodeNibble(state[c], sampleAt(frame, c));
                    int high = EncodeNibble(state[c], sampleAt(frame + 1, c));
                    body.push_back(uint8_t(low | high << 4));
                }
            }
        }
    }
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, uint32_t(4 + 28 + 12 + 8 + body.size()));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 20);
    Put16(out, 17);
    Put16(out, uint32_t(channels));
    Put32(out, rate);
    Put32(out, uint32_t(uint64_t(rate) * blockAlign / perBlock));
    Put16(out, blockAlign);
    Put16(out, 4);
    Put16(out, 2);
    Put16(out, perBlock);
    PutTag(out, "fact");
    Put32(out, 4);
    Put32(out, frames);
    PutTag(out, "data");
    Put32(out, uint32_t(body.size()));
    size_t at = out.size();
    out.resize(at + body.size());
    if (!body.empty()) memcpy(out.data() + at, body.data(), body.size());
    return out;
}

bool ImaDecode(const CxWaveInfo& info, std::vector<int16_t>& samples)
{
    samples.clear();
    int channels = info.channels;
    if (info.formatTag != 17 || info.bits != 4 || channels < 1 || channels > 2) return false;
    uint32_t headerBytes = 4u * uint32_t(channels);
    if (info.blockAlign <= headerBytes || (info.blockAlign - headerBytes) % headerBytes != 0) return false;
    const uint8_t* p = info.data;
    uint32_t left = info.length;
    while (left >= headerBytes) {
        uint32_t blockBytes = std::min<uint32_t>(left, info.blockAlign);
        uint32_t groups = (blockBytes - headerBytes) / headerBytes;
        size_t base = samples.size();
        samples.resize(base + size_t(1 + groups * 8) * size_t(channels));
        ImaState state[2];
        for (int c = 0; c < channels; ++c) {
            state[c].predictor = int16_t(uint16_t(p[c * 4] | p[c * 4 + 1] << 8));
            state[c].index = std::min<int>(p[c * 4 + 2], 88);
            samples[base + size_t(c)] = int16_t(state[c].predictor);
        }
        const uint8_t* q = p + headerBytes;
        for (uint32_t g = 0; g < groups; ++g) {
            for (int c = 0; c < channels; ++c) {
                for (int k = 0; k < 4; ++k) {
                    uint8_t byte = *q++;
                    size_t frame = 1 + size_t(g) * 8 + size_t(k) * 2;
                    samples[base + frame * size_t(channels) + size_t(c)] = DecodeNibble(state[c], byte & 15);
                    samples[base + (frame + 1) * size_t(channels) + size_t(c)] = DecodeNibble(state[c], byte >> 4);
                }
            }
        }
        p += blockBytes;
        left -= blockBytes;
    }
    return true;
}
