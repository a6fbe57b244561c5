#include "graphics/CxPal.h"
#include "foundation/CxMemory.h"

#include <cstring>

CxOSPalette::~CxOSPalette() { QorFree(entries_); }

int CxOSPalette::Create(int entries, const uint8_t* rgb)
{
    if (entries < 1 || entries > 256) {
        Error(ERR_INVALID_ARGUMENT, "Invalid palette size %d", entries);
        return ERR_INVALID_ARGUMENT;
    }
    QorFree(entries_);
    count_ = 0;
    size_t bytes = size_t(entries) * 3;
    entries_ = static_cast<uint8_t*>(QOR_ALLOC(bytes, "CxPal"));
    if (!entries_) {
        Error(ERR_OUT_OF_MEMORY, "Error allocating %ld bytes for palette", long(bytes));
        return ERR_OUT_OF_MEMORY;
    }
    count_ = entries;
    if (rgb) std::memcpy(entries_, rgb, bytes);
    ++version_;
    return 0;
}

void CxOSPalette::SetEntries(int first, int count, const uint8_t* rgb)
{
    if (!rgb || !entries_) return;
    for (int i = 0; i < count; ++i)
        if (first + i >= 0 && first + i < count_) std::memcpy(entries_ + 3 * (first + i), rgb + 3 * i, 3);
    ++version_;
}

void CxOSPalette::GetEntries(int first, int count, uint8_t* rgb) const
{
    if (!rgb) return;
    for (int i = 0; i < count; ++i) {
        bool inside = entries_ && first + i >= 0 && first + i < count_;
        for (int c = 0; c < 3; ++c) rgb[3 * i + c] = inside ? entries_[3 * (first + i) + c] : 0;
    }
}
