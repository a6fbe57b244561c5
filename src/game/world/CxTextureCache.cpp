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

int GetTexture(const char* path, CxTextureHandle* handle)
{
    if (!handle || !path) return ReportError(ERR_INVALID_ARGUMENT, "No texture name");
    handle->Release();
    for (CxTextureEntry* entry : Cache())
        if (TextEquals(entry->name.c_str(), path, true)) {
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
    for (CxTextureEntry* entry : Cache())
        if (TextEquals(entry->name.c_str(), path, true)) return entry->uses;
    return -1;
}

void ReleaseTextureCacheDevice()
{
    for (CxTextureEntry* entry : Cache())
        if (entry->surface) entry->surface->ReleaseTexture();
}
