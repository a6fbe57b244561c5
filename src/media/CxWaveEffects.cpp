// Effects that rewrite a sound's data in place: reverse, ring modulation,
// and conversion to and from IMA ADPCM.  Compressed data is expanded for
// an effect and compressed again after it.
#include "media/CxImaAdpcm.h"
#include "media/CxSound.h"

#include "foundation/CxMemory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
uint8_t* CopyToBlock(const std::vector<uint8_t>& bytes)
{
    auto* block = static_cast<uint8_t*>(QorAlloc(bytes.size() ? bytes.size() : 1, __FILE__, __LINE__, false));
    if (block && !bytes.empty()) memcpy(block, bytes.data(), bytes.size());
    return block;
}

// Runs `effect` on the sample bytes of a PCM image.
template <class Effect>
int WithPcm(CxSound& sound, Effect effect)
{
    bool compressed = sound.IsCompressed();
    if (compressed) {
        int code = sound.Decompress();
        if (code) return code;
    }
    CxWaveInfo info;
    int code = sound.GetWaveInfo(&info);
    if (code == 0) code = effect(info);
    if (compressed) {
        int again = sound.Compress();
        if (code == 0) code = again;
    }
    return code;
}
}  // namespace

int CxSound::Reverse()
{
    return WithPcm(*this, [&](const CxWaveInfo& info) {
        auto* bytes = const_cast<uint8_t*>(info.data);
        uint32_t frameBytes = uint32_t(info.bits / 8) * info.channels;
        if ((info.bits != 8 && info.bits != 16) || frameBytes == 0) return Error(ERR_UNKNOWN, "Cannot reverse %d-bit samples", info.bits);
        uint32_t frames = info.length / frameBytes;
        // Whole frames change places, so stereo keeps its sides.
        for (uint32_t i = 0, j = frames ? frames - 1 : 0; i < j; ++i, --j)
            for (uint32_t k = 0; k < frameBytes; ++k) std::swap(bytes[i * frameBytes + k], bytes[j * frameBytes + k]);
        return 0;
    });
}

// 16-bit samples are signed and 8-bit ones centred on 128: the modulation
// scales the distance from silence, never the raw code, and rounds toward
// silence so that both halves of a wave are scaled alike.
int CxSound::RingMod(double frequency, double phase, double depth)
{
    return WithPcm(*this, [&](const CxWaveInfo& info) {
        if (info.bits != 8 && info.bits != 16) return Error(ERR_UNKNOWN, "Cannot ring-modulate %d-bit samples", info.bits);
        if (info.rate == 0) return Error(ERR_UNKNOWN, "Cannot ring-modulate a sound without a rate");
        double step = 2.0 * M_PI * frequency / double(info.rate);
        auto* bytes = const_cast<uint8_t*>(info.data);
        uint32_t channels = std::max<uint32_t>(1, info.channels);
        if (info.bits == 8) {
            for (uint32_t i = 0; i < info.length; ++i) {
                double s = sin(phase + double(i / channels) * step);
                double factor = depth * (s + 1.0) * 0.5 + (1.0 - depth);
                double value = trunc(double(int(bytes[i]) - 128) * factor) + 128.0;
                bytes[i] = uint8_t(std::clamp(value, 0.0, 255.0));
            }
        } else {
            for (uint32_t i = 0; i + 1 < info.length; i += 2) {
                auto sample = int16_t(uint16_t(bytes[i] | bytes[i + 1] << 8));
                double s = sin(phase + double(i / 2 / channels) * step);
                double factor = depth * (s + 1.2) * 0.4 + (1.0 - depth);
                double value = std::clamp(trunc(double(sample) * factor), -32768.0, 32767.0);
                auto out = uint16_t(int16_t(value));
                bytes[i] = uint8_t(out);
                bytes[i + 1] = uint8_t(out >> 8);
            }
        }
        return 0;
    });
}

int CxSound::Compress()
{
    CxWaveInfo info;
    if (SoundFlags & (SOUND_FLAG_MP3 | SOUND_FLAG_RAW | SOUND_FLAG_RAW_HEADER))
        return Error(ERR_UNKNOWN, "Only WAV sounds can be compressed");
    if (int code = GetWaveInfo(&info)) return code;
    if (info.compressed) return 0;
    if (info.formatTag != 1 || info.bits != 16 || info.channels > 2)
        return Error(ERR_UNKNOWN, "Cannot compress this WAV format (%d, %d bits)", info.formatTag, info.bits);
    uint32_t frames = info.length / (2u * info.channels);
    std::vector<int16_t> pcm(size_t(frames) * info.channels);
    if (!pcm.empty()) memcpy(pcm.data(), info.data, pcm.size() * 2);
    std::vector<uint8_t> image = ImaEncodeWav(pcm.data(), frames, info.channels, info.rate);
    uint8_t* block = CopyToBlock(image);
    if (!block) return Error(ERR_OUT_OF_MEMORY, "Could not allocate buffer for sound");
    StopSample();
    AdoptData(block, uint32_t(image.size()));
    return 0;
}

int CxSound::Decompress()
{
    CxWaveInfo info;
    if (int code = GetWaveInfo(&info)) return code;
    if (!info.compressed) return 0;
    std::vector<int16_t> pcm;
    if (!ImaDecode(info, pcm)) return Error(ERR_UNKNOWN, "Cannot decompress this ADPCM layout");
    uint32_t frames = uint32_t(pcm.size() / info.channels);
    if (info.samples && info.samples < frames) frames = info.samples;   // the padding of the last block goes
    std::vector<uint8_t> image = MakePcmWav(pcm.data(), frames, info.channels, info.rate);
    uint8_t* block = CopyToBlock(image);
    if (!block) return Error(ERR_OUT_OF_MEMORY, "Could not allocate buffer for sound");
    StopSample();
    AdoptData(block, uint32_t(image.size()));
    return 0;
}
