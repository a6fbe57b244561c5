#include "platform/window/PlatformCursor.h"

#include <SDL.h>
#include <map>

namespace {
struct CursorState {
    SDL_Cursor* shapes[5] = {};
    std::map<int, SDL_Cursor*> images;
};

CursorState& State()
{
    static CursorState state;
    return state;
}

SDL_SystemCursor SdlShape(PlatCursorShape shape)
{
    switch (shape) {
    case PLAT_CURSOR_WAIT: return SDL_SYSTEM_CURSOR_WAIT;
    case PLAT_CURSOR_IBEAM: return SDL_SYSTEM_CURSOR_IBEAM;
    case PLAT_CURSOR_NO: return SDL_SYSTEM_CURSOR_NO;
    case PLAT_CURSOR_HAND: return SDL_SYSTEM_CURSOR_HAND;
    default: return SDL_SYSTEM_CURSOR_ARROW;
    }
}
}  // namespace

bool PlatCursorSetShape(PlatCursorShape shape)
{
    if (shape < PLAT_CURSOR_ARROW || shape > PLAT_CURSOR_HAND) shape = PLAT_CURSOR_ARROW;
    SDL_Cursor*& cursor = State().shapes[shape];
    if (!cursor) cursor = SDL_CreateSystemCursor(SdlShape(shape));
    if (!cursor) return false;
    SDL_SetCursor(cursor);
    return true;
}

bool PlatCursorDefineImage(int id, const uint32_t* pixels, int width, int height, int hotX, int hotY)
{
    if (!pixels || width <= 0 || height <= 0) return false;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint32_t*>(pixels), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return false;
    SDL_Cursor* cursor = SDL_CreateColorCursor(surface, hotX, hotY);
    SDL_FreeSurface(surface);
    if (!cursor) return false;
    auto found = State().images.find(id);
    if (found != State().images.end()) SDL_FreeCursor(found->second);
    State().images[id] = cursor;
    return true;
}

bool PlatCursorSetImage(int id)
{
    auto found = State().images.find(id);
    if (found == State().images.end()) return false;
    SDL_SetCursor(found->second);
    return true;
}

void PlatCursorForgetImages()
{
    for (auto& entry : State().images) SDL_FreeCursor(entry.second);
    State().images.clear();
}

void PlatCursorRelease()
{
    PlatCursorForgetImages();
    for (SDL_Cursor*& shape : State().shapes) {
        if (shape) SDL_FreeCursor(shape);
        shape = nullptr;
    }
}

void PlatMousePosition(int32_t* x, int32_t* y)
{
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    if (x) *x = mx;
    if (y) *y = my;
}
