// The chunk walk of GetWaveInfo.  Every size read from the file is checked
// against what is left of the image before it is used, and every divisor
// against zero, so a damaged file is refused rather than misread.
#include "media/CxSound.h"

#include "foundation/Qorstr.h"

#include <cstring>

namespace {
uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

bool SameTag(const uint8_t* p, const char* tag) { return memcmp(p, tag, 4) == 0; }

// The body of the first chunk named `tag` (or `alias`) at or after offset
// 12 and before `end`; false when there is none or it would run past `end`.
bool FindChunk(const uint8_t* data, uint32_t end, const char* tag, const char* alias, uint32_t* at, uint32_t* size)
{
    uint64_t offset = 12;
    while (offset + 8 <= end) {
        const uint8_t* header = data + offset;
        uint32_t length = Le32(header + 4);
        if (SameTag(header, tag) || (alias && SameTag(header, alias))) {
            if (offset + 8 + length > end) return false;
            *at = uint32_t(offset + 8);
            *size = length;
            return true;
        }
        offset += 8 + uint64_t(length) + (length & 1);
    }
    return false;
}
}  // namespace

int ReadWaveInfo(const uint8_t* data, uint32_t size, uint32_t soundFlags, CxWaveInfo* info)
{
    *info = CxWaveInfo{};
    if (soundFlags & SOUND_FLAG_RAW) {
        info->data = data;
        info->rate = 22000;
        info->bits = 16;
        info->channels = 1;
        info->length = size;
        info->samples = size / 2;
        info->formatTag = 1;
        info->blockAlign = 2;
        return 0;
    }
    if (!data || size < 12 || memcmp(data, "RIFF", 4) != 0) return 10;
    char wave[5] = {char(data[8]), char(data[9]), char(data[10]), char(data[11]), 0};
    if (!TextEquals(wave, "WAVE", true)) return 10;
    // The RIFF size bounds the walk when it is honest; a file cut short is
    // walked to its real end only.
    uint64_t riffEnd = uint64_t(Le32(data + 4)) + 8;
    uint32_t end = riffEnd < size ? uint32_t(riffEnd) : size;

    uint32_t fmtAt = 0, fmtSize = 0, dataAt = 0, dataSize = 0;
    if (!FindChunk(data, end, "fmt ", nullptr, &fmtAt, &fmtSize) || fmtSize < 16) return 10;
    if (!FindChunk(data, end, "data", "adat", &dataAt, &dataSize)) return 10;
    const uint8_t* fmt = data + fmtAt;
    info->formatTag = Le16(fmt);
    info->channels = Le16(fmt + 2);
    info->rate = Le32(fmt + 4);
    info->blockAlign = Le16(fmt + 12);
    info->bits = Le16(fmt + 14);
    if (info->channels == 0) return 10;
    info->data = data + dataAt;
    info->length = dataSize;
    info->compressed = info->formatTag == 17;
    if (info->formatTag == 17 && info->bits == 4) {
        uint32_t factAt = 0, factSize = 0;
        if (FindChunk(data, end, "fact", nullptr, &factAt, &factSize) && factSize >= 4) {
            info->samples = Le32(data + factAt);
        } else {
            uint32_t headerBytes = 4u * info->channels;
            if (info->blockAlign <= headerBytes) return 10;
            uint64_t blocks = (uint64_t(dataSize) + info->blockAlign - 1) / info->blockAlign;
            uint64_t perBlock = uint64_t(info->blockAlign - headerBytes) * 8 / (4u * info->channels) + 1;
            uint64_t samples = blocks * perBlock;
            info->samples = samples > UINT32_MAX ? UINT32_MAX : uint32_t(samples);
        }
    } else {
        info->samples = info->bits ? uint32_t(uint64_t(dataSize) * 8 / info->bits) : 0;
    }
    return 0;
}
