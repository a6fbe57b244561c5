#include "platform/window/PlatformScreen.h"
#include "platform/window/PlatformPixels.h"

#include <SDL.h>
#include <algorithm>
#include <cstring>
#include <vector>

struct PlatScreen {
    PlatScreenKind kind;
    int32_t width, height;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    Uint32 textureFormat = 0;
    std::vector<uint32_t> widened;   // a 16-bit frame as X8R8G8B8, for a 32-bit window
};

namespace {
SDL_Window* Window() { return static_cast<SDL_Window*>(PlatWindowNativeHandle()); }

Uint32 SdlFormat(PlatPixelLayout layout)
{
    switch (layout) {
    case PLAT_PIXELS_R5G6B5: return SDL_PIXELFORMAT_RGB565;
    case PLAT_PIXELS_X1R5G5B5: return SDL_PIXELFORMAT_RGB555;
    default: return SDL_PIXELFORMAT_RGB888;
    }
}

int BytesPerPixel(PlatPixelLayout layout) { return layout == PLAT_PIXELS_X8R8G8B8 ? 4 : 2; }

// The rectangle clipped to the screen, as SDL's exclusive form; false when empty.
bool Clip(const PlatScreen* screen, const PlatRect& r, SDL_Rect* out)
{
    int left = std::max(0, r.left), top = std::max(0, r.top);
    int right = std::min(screen->width - 1, r.right), bottom = std::min(screen->height - 1, r.bottom);
    if (right < left || bottom < top) return false;
    *out = SDL_Rect{left, top, right - left + 1, bottom - top + 1};
    return true;
}

// True when a 16-bit frame is best widened by us before SDL sees it: the
// window takes 32-bit pixels (SDL's own per-pixel conversion would be the
// slowest step of the frame) and our widening gives SDL's exact colours.
bool WidensFrames(const PlatScreen* screen, PlatPixelLayout layout)
{
    if (layout == PLAT_PIXELS_X8R8G8B8) return false;
    if (screen->kind == PLAT_SCREEN_RENDERER) {
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(screen->renderer, &info) != 0 || !(info.flags & SDL_RENDERER_SOFTWARE)) return false;
    } else {
        SDL_Surface* target = SDL_GetWindowSurface(Window());
        if (!target || (target->format->format != SDL_PIXELFORMAT_RGB888 &&
                        target->format->format != SDL_PIXELFORMAT_ARGB8888))
            return false;
    }
    return PlatWidenMatchesPlatform(layout);
}

void Widen(PlatScreen* screen, const void* pixels, int32_t pitch, PlatPixelLayout layout, const SDL_Rect& area)
{
    for (int y = area.y; y < area.y + area.h; ++y) {
        const auto* row = reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(pixels) + ptrdiff_t(y) * pitch);
        PlatWiden16(row + area.x, screen->widened.data() + size_t(y) * size_t(screen->width) + size_t(area.x), area.w,
                    layout);
    }
}

bool PresentToWindowSurface(PlatScreen* screen, SDL_Surface* source, const SDL_Rect* rects, int count)
{
    SDL_Surface* target = SDL_GetWindowSurface(Window());
    if (!target) return false;
    if (target->w != screen->width || target->h != screen->height) {   // a fixed internal size: scale it all
        if (SDL_BlitScaled(source, nullptr, target, nullptr) != 0) return false;
        return SDL_UpdateWindowSurface(Window()) == 0;
    }
    for (int i = 0; i < count; ++i) {
        SDL_Rect area = rects[i];
        if (SDL_BlitSurface(source, &area, target, &area) != 0) return false;
    }
    return SDL_UpdateWindowSurfaceRects(Window(), rects, count) == 0;
}

bool PresentToRenderer(PlatScreen* screen, SDL_Surface* source, PlatPixelLayout layout, const SDL_Rect* rects,
                       int count)
{
    Uint32 format = SdlFormat(layout);
    if (!screen->texture || screen->textureFormat != format) {
        if (screen->texture) SDL_DestroyTexture(screen->texture);
        screen->texture = SDL_CreateTexture(screen->renderer, format, SDL_TEXTUREACCESS_STREAMING, screen->width,
                                            screen->height);
        screen->textureFormat = format;
        if (!screen->texture) return false;
    }
    int bytes = BytesPerPixel(layout);
    for (int i = 0; i < count; ++i) {
        const SDL_Rect& area = rects[i];
        const auto* first = static_cast<const uint8_t*>(source->pixels) + area.y * source->pitch + area.x * bytes;
        if (SDL_UpdateTexture(screen->texture, &area, first, source->pitch) != 0) return false;
    }
    SDL_RenderCopy(screen->renderer, screen->texture, nullptr, nullptr);
    SDL_RenderPresent(screen->renderer);
    return true;
}
}  // namespace

PlatScreen* PlatScreenOpen(PlatScreenKind kind, int32_t width, int32_t height, bool fullScreen)
{
    if (!Window() || width <= 0 || height <= 0) return nullptr;
    auto* screen = new PlatScreen{kind, width, height, nullptr, nullptr, 0, {}};
    if (kind == PLAT_SCREEN_RENDERER) {
        if (fullScreen) SDL_SetWindowFullscreen(Window(), SDL_WINDOW_FULLSCREEN);
        screen->renderer = SDL_CreateRenderer(Window(), -1, 0);
        if (!screen->renderer) {
            delete screen;
            return nullptr;
        }
        SDL_RenderSetLogicalSize(screen->renderer, width, height);
    } else if (!SDL_GetWindowSurface(Window())) {
        delete screen;
        return nullptr;
    }
    return screen;
}

void PlatScreenClose(PlatScreen* screen)
{
    if (!screen) return;
    if (screen->texture) SDL_DestroyTexture(screen->texture);
    if (screen->renderer) SDL_DestroyRenderer(screen->renderer);
    if (screen->kind == PLAT_SCREEN_RENDERER && Window()) SDL_SetWindowFullscreen(Window(), 0);
    delete screen;
}

PlatScreenKind PlatScreenGetKind(const PlatScreen* screen) { return screen->kind; }

PlatScreenInfo PlatScreenGetInfo(const PlatScreen* screen)
{
    PlatScreenInfo info;
    if (!screen) return info;
    info.width = screen->width;
    info.height = screen->height;
    Uint32 format = SDL_GetWindowPixelFormat(Window());
    if (format == SDL_PIXELFORMAT_UNKNOWN) format = SDL_PIXELFORMAT_RGB888;
    Uint32 r = 0, g = 0, b = 0, a = 0;
    int bpp = 0;
    SDL_PixelFormatEnumToMasks(format, &bpp, &r, &g, &b, &a);
    info.depth = bpp;
    info.redBits = __builtin_popcount(r);
    info.greenBits = __builtin_popcount(g);
    info.blueBits = __builtin_popcount(b);
    return info;
}

bool PlatScreenPresent(PlatScreen* screen, const void* pixels, int32_t pitch, PlatPixelLayout layout,
                       const PlatRect* rects, int count)
{
    if (!screen || !pixels || !Window()) return false;
    SDL_Rect clipped[64];
    int n = 0;
    PlatRect whole{0, 0, screen->width - 1, screen->height - 1};
    if (!rects) {
        rects = &whole;
        count = 1;
    }
    bool ok = true;
    if (WidensFrames(screen, layout)) {
        screen->widened.resize(size_t(screen->width) * size_t(screen->height));
        SDL_Rect area;
        for (int i = 0; i < count; ++i)
            if (Clip(screen, rects[i], &area)) Widen(screen, pixels, pitch, layout, area);
        pixels = screen->widened.data();
        pitch = screen->width * 4;
        layout = PLAT_PIXELS_X8R8G8B8;
    }
    SDL_Surface* source = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<void*>(pixels), screen->width, screen->height,
                                                             BytesPerPixel(layout) * 8, pitch, SdlFormat(layout));
    if (!source) return false;
    for (int i = 0; i < count; ++i) {
        if (Clip(screen, rects[i], &clipped[n])) ++n;
        if (n == 64 || (i == count - 1 && n > 0)) {   // batches keep the stack list small
            ok = screen->kind == PLAT_SCREEN_RENDERER ? PresentToRenderer(screen, source, layout, clipped, n)
                                                      : PresentToWindowSurface(screen, source, clipped, n);
            n = 0;
            if (!ok) break;
        }
    }
    SDL_FreeSurface(source);
    return ok;
}

bool PlatScreenReadPixels(PlatScreen* screen, uint32_t* out, int32_t width, int32_t height)
{
    if (!screen || !out || width != screen->width || height != screen->height) return false;
    if (screen->kind == PLAT_SCREEN_RENDERER) {
        return SDL_RenderReadPixels(screen->renderer, nullptr, SDL_PIXELFORMAT_RGB888, out, width * 4) == 0;
    }
    SDL_Surface* surface = SDL_GetWindowSurface(Window());
    if (!surface) return false;
    SDL_Surface* copy = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_RGB888, 0);
    if (!copy) return false;
    int rows = std::min(height, copy->h), columns = std::min(width, copy->w);
    for (int y = 0; y < rows; ++y)
        std::memcpy(out + y * width, static_cast<uint8_t*>(copy->pixels) + y * copy->pitch, size_t(columns) * 4);
    SDL_FreeSurface(copy);
    return true;
}
