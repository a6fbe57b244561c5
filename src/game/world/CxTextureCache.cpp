#include "game/world/CxTextureCache.h"

#include "core/CxError.h"
#include "foundation/Qorstr.h"
#include "graphics/CxTextureSurface.h"

#include <string>
#include <vector>

struct CxTextureEntry {
    std::string name;
    CxTextureSurface* surface = nullptr;   // null when loading failed
    int uses = 0;
};

namespace {
// Newest first, so the textures of the room just entered are found soonest.
std::vector<CxTextureEntry*>& Cache()
{
    static std::vector<CxTextureEntry*> cache;
    return cache;
}
}  // namespace

void CxTextureHandle::Release()
{
    if (entry_ && entry_->uses > 0) --entry_->uses;
    entry_ = nullptr;
}

GpuTexture* CxTextureHandle::GetTexture() const
{
    return entry_ && entry_->surface ? entry_->surface->GetTexture() : nullptr;
}

static CxTextureEntry* Find(const char* name)
{
    for (CxTextureEntry* entry : Cache())
        if (TextEquals(entry->name.c_str(), name, true)) return entry;
    return nullptr;
}

int GetTexture(const char* path, CxTextureHandle* handle)
{
    if (!handle || !path) return ReportError(ERR_INVALID_ARGUMENT, "No texture name");
    handle->Release();
    if (CxTextureEntry* entry = Find(path)) {
        ++entry->uses;
        handle->entry_ = entry;
        return 0;
    }
    auto* entry = new CxTextureEntry{path, new CxTextureSurface, 1};
    int code = entry->surface->Load(path);
    if (code != 0) {
        delete entry->surface;
        entry->surface = nullptr;
        code = ReportError(ERR_DIRECTX, "Cannot load the texture \"%s\"", path);
    }
    Cache().insert(Cache().begin(), entry);
    handle->entry_ = entry;
    return code;
}

static int CopyPixels(CxTextureSurface* surface, int width, int height, const uint8_t* rgba)
{
    if (surface->Create(width, height, 32) != 0) return ERR_OUT_OF_MEMORY;
    if (!surface->Lock()) {
        surface->Unlock();
        return ERR_OUT_OF_MEMORY;
    }
    for (int y = 0; y < height; ++y) {
        auto* row = reinterpret_cast<uint32_t*>(surface->GetPixelAddress(0, y));
        const uint8_t* from = rgba + size_t(y) * size_t(width) * 4;
        for (int x = 0; x < width; ++x, from += 4)
            row[x] = uint32_t(from[3]) << 24 | uint32_t(from[0]) << 16 | uint32_t(from[1]) << 8 | from[2];
    }
    surface->Unlock();
    return 0;
}

int GetTextureFromPixels(const char* key, int width, int height, const uint8_t* rgba, CxTextureHandle* handle)
{
    if (!handle || !key) return ReportError(ERR_INVALID_ARGUMENT, "No texture name");
    handle->Release();
    if (CxTextureEntry* entry = Find(key)) {
        ++entry->uses;
        handle->entry_ = entry;
        return 0;
    }
    auto* entry = new CxTextureEntry{key, new CxTextureSurface, 1};
    int code = rgba && width > 0 && height > 0 ? CopyPixels(entry->surface, width, height, rgba) : ERR_INVALID_ARGUMENT;
    if (code != 0) {
        delete entry->surface;
        entry->surface = nullptr;
        code = ReportError(ERR_DIRECTX, "Cannot make the texture \"%s\" (%dx%d)", key, width, height);
    }
    Cache().insert(Cache().begin(), entry);
    handle->entry_ = entry;
    return code;
}

void PurgeTextures()
{
    auto& cache = Cache();
    for (size_t i = 0; i < cache.size();) {
        if (cache[i]->uses == 0) {
            delete cache[i]->surface;
            delete cache[i];
            cache.erase(cache.begin() + long(i));
        } else {
            ++i;
        }
    }
    if (cache.empty()) std::vector<CxTextureEntry*>().swap(cache);
}

int GetTextureCacheCount() { return int(Cache().size()); }

int GetTextureUseCount(const char* path)
{
    CxTextureEntry* entry = Find(path);
    return entry ? entry->uses : -1;
}

void ReleaseTextureCacheDevice()
{
    for (CxTextureEntry* entry : Cache())
        if (entry->surface) entry->surface->ReleaseTexture();
}
