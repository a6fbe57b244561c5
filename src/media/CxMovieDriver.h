// Movie drivers: the decoders behind movie objects and movie sprites, chosen
// by the file's extension from a small registry.
#pragma once
#include "core/CxError.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxObject.h"

#include <cstdint>

class CxDrawSurface;

// Render request flags.
enum CxMovieRenderFlags : uint32_t {
    MOVIE_RENDER_ADVANCE = 0x2,          // decode the next frame when due; otherwise redraw the current one
    MOVIE_RENDER_WAITING = 1u << 29,     // set by the driver: the next frame is not due yet
    MOVIE_RENDER_DECODED = 1u << 30,     // set by the driver: a frame was decoded
    MOVIE_RENDER_FAILED = 1u << 31,      // set by the driver: decoding a frame failed
};

// Driver open flags (a movie's flags shifted down by five).
enum CxMovieDriverFlags : uint32_t {
    MOVIE_DRIVER_FLAG1 = 0x1,
    MOVIE_DRIVER_SOUND = 0x2,   // open the sound track; updates advance
};

struct CxMovieRenderRequest {
    uint32_t flags = 0;
    CxDrawSurface* target = nullptr;
    int32_t x = 0, y = 0;
    int32_t curFrame = 0;
    CxLinkedList<CxRect>* changed = nullptr;   // receives the changed areas, in target coordinates
};

class CxMovieDriver : public CxObject, public CxError {
public:
    // Virtual operations in slot order after the destructor.
    virtual int  Open(const char* path, uint32_t flags) = 0;
    virtual void Close() = 0;
    virtual int32_t GetWidth() const = 0;
    virtual int32_t GetHeight() const = 0;
    virtual int  GetDefaultDepth() const = 0;
    virtual int32_t GetNumFrames() const = 0;
    virtual int  GotoFrame(int32_t frame) = 0;
    // The frame the next advancing render decodes.
    virtual int32_t GetCurFrame() const = 0;
    virtual int  Render(CxMovieRenderRequest* request) = 0;
    virtual void SetVolumePan(int volume, int track) = 0;
    virtual CxDrawSurface* NewSurface() = 0;
    virtual int  PrepareSurface(CxDrawSurface* surface, int depth) = 0;
    virtual int  Command(const char* name, int32_t value) = 0;
    virtual void Spare1() {}
    virtual void Spare2() {}
    // Added after the designed slots: whether frames carry alpha.
    virtual bool HasAlpha() const { return false; }
};

using CxMovieDriverCreate = CxMovieDriver* (*)(const char* path, uint32_t flags);

constexpr int kMovieDriverSlots = 16;

int  RegisterMovieDriver(const char* extension, CxMovieDriverCreate create, uint32_t value);
// Removes every entry whose extension matches the pattern ("*" for all).
void UnregisterMovieDrivers(const char* pattern);
// A driver with the file opened, or null: the reason has been reported,
// either here (no driver for the extension) or by the driver.
CxMovieDriver* CreateMovieDriver(const char* path, uint32_t flags);
bool IsMovieFile(const char* path);
// Registers our driver for the extensions of the movies the game knows.
void RegisterEngineMovieDrivers();
