// PCX reader: any bytes must decode or be refused without reading outside the
// buffer; whatever decodes must survive a blit and a re-encode.
#include "graphics/QorImageFilters.h"
#include "FuzzImage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return FuzzImageInput(QorDecodePCX, data, size);
}
