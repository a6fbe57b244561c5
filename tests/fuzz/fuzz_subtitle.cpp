// Subtitle files: any bytes parse into lines, which are then shown and
// stepped through without a display.
#include "media/CxAudioSubTitle.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 20)) return 0;
    CxAudioSubTitle subtitle;
    subtitle.LoadFromMemory(data, uint32_t(size), true);
    subtitle.StartSample();
    for (int i = 0; i < subtitle.GetLineCount() && i < 64; ++i) subtitle.GetLine(i);
    subtitle.StopSample();
    return 0;
}
