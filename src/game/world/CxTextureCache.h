// Textures of the 3D objects, shared by file name: two spellings of one name
// (case ignored) are one entry, counted by its handles; entries nobody holds
// stay until PurgeTextures.
#pragma once
#include <cstdint>

class CxTextureSurface;
class GpuTexture;
struct CxTextureEntry;

class CxTextureHandle {
public:
    CxTextureHandle() = default;
    ~CxTextureHandle() { Release(); }
    CxTextureHandle(const CxTextureHandle&) = delete;
    CxTextureHandle& operator=(const CxTextureHandle&) = delete;

    void Release();
    bool IsSet() const { return entry_ != nullptr; }
    GpuTexture* GetTexture() const;   // null when the file could not be loaded

private:
    friend int GetTexture(const char* path, CxTextureHandle* handle);
    friend int GetTextureFromPixels(const char* key, int width, int height, const uint8_t* rgba,
                                    CxTextureHandle* handle);
    CxTextureEntry* entry_ = nullptr;
};

// Takes a handle to the named texture, loading it through the file systems
// on first use.  A file that does not load reports ERR_DIRECTX and still
// makes an entry (without a texture), as later asks would fail the same way.
int  GetTexture(const char* path, CxTextureHandle* handle);
// The same for pixels already in memory (a model's embedded image): the
// key names them in the cache (model path and image index), and the first
// ask copies them (RGBA bytes, rows top first) into a texture surface.
int  GetTextureFromPixels(const char* key, int width, int height, const uint8_t* rgba, CxTextureHandle* handle);
void PurgeTextures();
int  GetTextureCacheCount();
int  GetTextureUseCount(const char* path);   // -1 when not cached
void ReleaseTextureCacheDevice();   // before a device reset
