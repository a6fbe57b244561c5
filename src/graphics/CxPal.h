// The palette of an 8-bit screen: up to 256 red, green, blue entries that
// the screen hands to the display.  On this platform it is plain memory; the
// screen (which owns it) uploads it when it changes.
#pragma once
#include "core/CxError.h"
#include "foundation/CxObject.h"

#include <cstdint>

class CxOSPalette : public CxError, public CxObject {
public:
    CxOSPalette() = default;
    ~CxOSPalette() override;
    CxOSPalette(const CxOSPalette&) = delete;
    CxOSPalette& operator=(const CxOSPalette&) = delete;

    // Takes room for `entries` (1 to 256) and copies 3 bytes per entry when given.
    int  Create(int entries, const uint8_t* rgb = nullptr);
    // Copies `count` entries starting at `first`; entries outside the palette are ignored.
    void SetEntries(int first, int count, const uint8_t* rgb);
    void GetEntries(int first, int count, uint8_t* rgb) const;
    int  GetEntryCount() const { return count_; }
    const uint8_t* GetBytes() const { return entries_; }
    // Bumped by every change, so the screen knows when to upload again.
    uint32_t GetVersion() const { return version_; }

private:
    uint8_t* entries_ = nullptr;
    int count_ = 0;
    uint32_t version_ = 0;
};
