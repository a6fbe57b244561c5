#include "platform/window/PlatformWindow.h"
#include "platform/window/PlatformCursor.h"

#include <SDL.h>
#include <cctype>
#include <cstring>
#include <deque>

namespace {
struct WindowState {
    bool videoStarted = false;
    SDL_Window* window = nullptr;
    std::deque<PlatMessage> queue;      // messages made from SDL events, oldest first
    bool cursorShown = true;
    char lastError[256] = {};
};

WindowState& State()
{
    static WindowState state;
    return state;
}

void SetError(const char* text) { SDL_strlcpy(State().lastError, text ? text : "", sizeof State().lastError); }

struct KeyPair {
    SDL_Keycode sdl;
    uint32_t vk;
};
const KeyPair kKeys[] = {
    {SDLK_BACKSPACE, PVK_BACK}, {SDLK_TAB, PVK_TAB}, {SDLK_RETURN, PVK_RETURN}, {SDLK_KP_ENTER, PVK_RETURN},
    {SDLK_LSHIFT, PVK_SHIFT}, {SDLK_RSHIFT, PVK_SHIFT}, {SDLK_LCTRL, PVK_CONTROL}, {SDLK_RCTRL, PVK_CONTROL},
    {SDLK_LALT, PVK_MENU}, {SDLK_RALT, PVK_MENU}, {SDLK_PAUSE, PVK_PAUSE}, {SDLK_ESCAPE, PVK_ESCAPE},
    {SDLK_SPACE, PVK_SPACE}, {SDLK_PAGEUP, PVK_PRIOR}, {SDLK_PAGEDOWN, PVK_NEXT}, {SDLK_END, PVK_END},
    {SDLK_HOME, PVK_HOME}, {SDLK_LEFT, PVK_LEFT}, {SDLK_UP, PVK_UP}, {SDLK_RIGHT, PVK_RIGHT},
    {SDLK_DOWN, PVK_DOWN}, {SDLK_INSERT, PVK_INSERT}, {SDLK_DELETE, PVK_DELETE}, {SDLK_SCROLLLOCK, PVK_SCROLL},
    {SDLK_F1, PVK_F1}, {SDLK_F2, PVK_F1 + 1}, {SDLK_F3, PVK_F1 + 2}, {SDLK_F4, PVK_F1 + 3}, {SDLK_F5, PVK_F1 + 4},
    {SDLK_F6, PVK_F1 + 5}, {SDLK_F7, PVK_F1 + 6}, {SDLK_F8, PVK_F1 + 7}, {SDLK_F9, PVK_F1 + 8},
    {SDLK_F10, PVK_F1 + 9}, {SDLK_F11, PVK_F1 + 10}, {SDLK_F12, PVK_F12},
};

uint32_t VirtualKeyOf(SDL_Keycode key)
{
    for (const KeyPair& pair : kKeys)
        if (pair.sdl == key) return pair.vk;
    if (key >= 'a' && key <= 'z') return uint32_t(key - 'a' + 'A');
    if (key >= 32 && key < 127) return uint32_t(key);
    return 0;
}

SDL_Keycode KeycodeOf(uint32_t vk)
{
    for (const KeyPair& pair : kKeys)
        if (pair.vk == vk) return pair.sdl;
    if (vk >= 'A' && vk <= 'Z') return SDL_Keycode(vk - 'A' + 'a');
    return SDL_Keycode(vk);
}

uint32_t MouseKeyState()
{
    Uint32 buttons = SDL_GetMouseState(nullptr, nullptr);
    SDL_Keymod mods = SDL_GetModState();
    uint32_t state = 0;
    if (buttons & SDL_BUTTON_LMASK) state |= PMK_LBUTTON;
    if (buttons & SDL_BUTTON_RMASK) state |= PMK_RBUTTON;
    if (buttons & SDL_BUTTON_MMASK) state |= PMK_MBUTTON;
    if (mods & KMOD_SHIFT) state |= PMK_SHIFT;
    if (mods & KMOD_CTRL) state |= PMK_CONTROL;
    return state;
}

void Push(PlatMessage message) { State().queue.push_back(message); }

PlatMessage Make(PlatMessageType type)
{
    PlatMessage message;
    message.type = type;
    return message;
}

void TranslateWindowEvent(const SDL_WindowEvent& e)
{
    PlatMessage m;
    switch (e.event) {
    case SDL_WINDOWEVENT_MOVED:
        m = Make(PMSG_MOVE);
        m.x = e.data1, m.y = e.data2;
        return Push(m);
    case SDL_WINDOWEVENT_SIZE_CHANGED:
    case SDL_WINDOWEVENT_RESTORED:
    case SDL_WINDOWEVENT_SHOWN:
    case SDL_WINDOWEVENT_MAXIMIZED: {
        m = Make(PMSG_SIZE);
        SDL_GetWindowSize(State().window, &m.x, &m.y);
        return Push(m);
    }
    case SDL_WINDOWEVENT_MINIMIZED:
    case SDL_WINDOWEVENT_HIDDEN:
        m = Make(PMSG_SIZE);
        m.minimized = true;
        return Push(m);
    case SDL_WINDOWEVENT_FOCUS_GAINED:
    case SDL_WINDOWEVENT_FOCUS_LOST: {
        bool active = e.event == SDL_WINDOWEVENT_FOCUS_GAINED;
        m = Make(PMSG_ACTIVATEAPP);
        m.active = active;
        Push(m);
        m = Make(PMSG_ACTIVATE);
        m.active = active;
        m.minimized = PlatWindowIsMinimized();
        return Push(m);
    }
    case SDL_WINDOWEVENT_EXPOSED:
        m = Make(PMSG_PAINT);
        m.area = PlatClientRect();
        return Push(m);
    case SDL_WINDOWEVENT_CLOSE:
        return Push(Make(PMSG_CLOSE));
    default:
        return;
    }
}

// Keys that produce a character message of their own on the original
// system, where SDL sends no text.
void PushSynthesisedCharacter(const SDL_KeyboardEvent& e, bool alt, bool control)
{
    SDL_Keycode key = e.keysym.sym;
    PlatMessage m = Make(alt ? PMSG_SYSCHAR : PMSG_CHAR);
    m.altHeld = alt;
    m.controlHeld = control;
    if (alt && key >= 32 && key < 127) {
        bool shift = (e.keysym.mod & KMOD_SHIFT) != 0;
        m.character = uint32_t(shift ? toupper(int(key)) : key);
    } else if (!alt && control && key >= 'a' && key <= 'z') {
        m.character = uint32_t(key - 'a' + 1);
    } else if (!alt && (key == SDLK_RETURN || key == SDLK_KP_ENTER || key == SDLK_TAB || key == SDLK_BACKSPACE ||
                        key == SDLK_ESCAPE)) {
        m.character = key == SDLK_KP_ENTER ? uint32_t(SDLK_RETURN) : uint32_t(key);
    } else {
        return;
    }
    Push(m);
}

void TranslateKey(const SDL_KeyboardEvent& e)
{
    bool alt = (e.keysym.mod & KMOD_ALT) != 0;
    bool control = (e.keysym.mod & KMOD_CTRL) != 0;
    bool down = e.type == SDL_KEYDOWN;
    PlatMessage m = Make(down ? (alt ? PMSG_SYSKEYDOWN : PMSG_KEYDOWN) : (alt ? PMSG_SYSKEYUP : PMSG_KEYUP));
    m.virtualKey = VirtualKeyOf(e.keysym.sym);
    m.altHeld = alt;
    m.controlHeld = control;
    m.wasDown = e.repeat != 0;
    m.repeatCount = 1;
    Push(m);
    if (down) PushSynthesisedCharacter(e, alt, control);
}

void TranslateText(const SDL_TextInputEvent& e)
{
    SDL_Keymod mods = SDL_GetModState();
    if (mods & (KMOD_ALT | KMOD_CTRL)) return;   // those come from the key messages
    for (const char* at = e.text; *at; ++at) {
        PlatMessage m = Make(PMSG_CHAR);
        m.character = uint8_t(*at);
        Push(m);
    }
}

PlatMessageType ButtonMessage(uint8_t button, bool down, int clicks)
{
    int kind = down ? (clicks >= 2 ? 2 : 0) : 1;   // down, up, double click
    switch (button) {
    case SDL_BUTTON_LEFT: return PlatMessageType(PMSG_LBUTTONDOWN + kind);
    case SDL_BUTTON_MIDDLE: return PlatMessageType(PMSG_MBUTTONDOWN + kind);
    case SDL_BUTTON_RIGHT: return PlatMessageType(PMSG_RBUTTONDOWN + kind);
    default: return PMSG_NONE;
    }
}

void Translate(const SDL_Event& e)
{
    PlatMessage m;
    switch (e.type) {
    case SDL_WINDOWEVENT:
        return TranslateWindowEvent(e.window);
    case SDL_QUIT:   // a signal or the session ending: ask like the close box does
        return Push(Make(PMSG_CLOSE));
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        return TranslateKey(e.key);
    case SDL_TEXTINPUT:
        return TranslateText(e.text);
    case SDL_MOUSEMOTION:
        m = Make(PMSG_MOUSEMOVE);
        m.x = e.motion.x, m.y = e.motion.y;
        m.keyState = MouseKeyState();
        return Push(m);
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        m = Make(ButtonMessage(e.button.button, e.type == SDL_MOUSEBUTTONDOWN, e.button.clicks));
        if (m.type == PMSG_NONE) return;
        m.x = e.button.x, m.y = e.button.y;
        m.keyState = MouseKeyState();
        return Push(m);
    case SDL_MOUSEWHEEL:
        m = Make(PMSG_MOUSEWHEEL);
        SDL_GetMouseState(&m.x, &m.y);
        m.wheelDelta = e.wheel.y * 120;
        m.keyState = MouseKeyState();
        return Push(m);
    case SDL_DROPFILE:
        m = Make(PMSG_DROPFILES);
        if (e.drop.file) {
            SDL_strlcpy(m.droppedPath, e.drop.file, sizeof m.droppedPath);
            SDL_free(e.drop.file);
        }
        return Push(m);
    default:
        return;
    }
}
}  // namespace

// ------------------------------------------------------------- video
bool PlatVideoStart()
{
    if (State().videoStarted) return true;
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // SIGTERM and SIGINT are the game's own (PlatformSignals): SDL would turn
    // them into a close request, which only asks the player.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        SetError(SDL_GetError());
        return false;
    }
    State().videoStarted = true;
    return true;
}

void PlatVideoStop()
{
    PlatWindowDestroy();
    if (!State().videoStarted) return;
    PlatCursorRelease();   // SDL frees its cursors with the video; ours must not outlive them
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    State().videoStarted = false;
    State().queue.clear();
}

const char* PlatLastError() { return State().lastError; }

// ------------------------------------------------------------- the window
bool PlatWindowCreate(const PlatWindowDesc& desc)
{
    PlatWindowDestroy();
    if (!PlatVideoStart()) return false;
    Uint32 flags = SDL_WINDOW_ALLOW_HIGHDPI;
    if (desc.hidden) flags |= SDL_WINDOW_HIDDEN;
    if (desc.resizable) flags |= SDL_WINDOW_RESIZABLE;
    if (!desc.decorated) flags |= SDL_WINDOW_BORDERLESS;
    if (desc.fullScreen) flags |= SDL_WINDOW_FULLSCREEN_DESKTOP;
    int x = desc.centred ? int(SDL_WINDOWPOS_CENTERED) : desc.x;
    int y = desc.centred ? int(SDL_WINDOWPOS_CENTERED) : desc.y;
    State().window = SDL_CreateWindow(desc.title ? desc.title : "", x, y, desc.width, desc.height, flags);
    if (!State().window) {
        SetError(SDL_GetError());
        return false;
    }
    SDL_EventState(SDL_DROPFILE, desc.acceptDrops ? SDL_ENABLE : SDL_DISABLE);
    SDL_StartTextInput();
    return true;
}

void PlatWindowDestroy()
{
    if (!State().window) return;
    SDL_CaptureMouse(SDL_FALSE);
    SDL_DestroyWindow(State().window);
    State().window = nullptr;
}

bool PlatWindowEnableOpenGL()
{
    SDL_Window* old = State().window;
    if (!old) return SetError("No window"), false;
    Uint32 flags = SDL_GetWindowFlags(old);
    if (flags & SDL_WINDOW_OPENGL) return true;
    int x = 0, y = 0, w = 0, h = 0;
    SDL_GetWindowPosition(old, &x, &y);
    SDL_GetWindowSize(old, &w, &h);
    Uint32 keep = flags & (SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE | SDL_WINDOW_BORDERLESS |
                           SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_ALLOW_HIGHDPI);
    SDL_Window* window = SDL_CreateWindow(SDL_GetWindowTitle(old), x, y, w, h, keep | SDL_WINDOW_OPENGL);
    if (!window) return SetError(SDL_GetError()), false;
    SDL_DestroyWindow(old);
    State().window = window;
    return true;
}

bool  PlatWindowExists() { return State().window != nullptr; }
void* PlatWindowNativeHandle() { return State().window; }
void  PlatWindowShow() { if (State().window) SDL_ShowWindow(State().window); }
void  PlatWindowHide() { if (State().window) SDL_HideWindow(State().window); }
void  PlatWindowMinimize() { if (State().window) SDL_MinimizeWindow(State().window); }
void  PlatWindowMaximize() { if (State().window) SDL_MaximizeWindow(State().window); }
void  PlatWindowRestore() { if (State().window) SDL_RestoreWindow(State().window); }
void  PlatWindowMove(int32_t x, int32_t y) { if (State().window) SDL_SetWindowPosition(State().window, x, y); }
void  PlatWindowSetSize(int32_t width, int32_t height)
{
    if (State().window && width > 0 && height > 0) SDL_SetWindowSize(State().window, width, height);
}
void  PlatWindowSetTitle(const char* title) { if (State().window) SDL_SetWindowTitle(State().window, title ? title : ""); }
void  PlatWindowFocus() { if (State().window) SDL_RaiseWindow(State().window); }

bool PlatWindowSetFullScreen(bool on)
{
    if (!State().window) return false;
    return SDL_SetWindowFullscreen(State().window, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) == 0;
}

bool PlatWindowIsMinimized()
{
    if (!State().window) return false;
    Uint32 flags = SDL_GetWindowFlags(State().window);
    return (flags & (SDL_WINDOW_MINIMIZED | SDL_WINDOW_HIDDEN)) != 0;
}

PlatRect PlatClientRect()
{
    PlatRect rect;
    if (!State().window) return rect;
    int w = 0, h = 0;
    SDL_GetWindowSize(State().window, &w, &h);
    rect.right = w - 1;
    rect.bottom = h - 1;
    return rect;
}

PlatRect PlatWindowRect()
{
    PlatRect rect;
    if (!State().window) return rect;
    int x = 0, y = 0, w = 0, h = 0, top = 0, left = 0, bottom = 0, right = 0;
    SDL_GetWindowPosition(State().window, &x, &y);
    SDL_GetWindowSize(State().window, &w, &h);
    SDL_GetWindowBordersSize(State().window, &top, &left, &bottom, &right);   // 0s where unknown
    rect.left = x - left;
    rect.top = y - top;
    rect.right = x + w + right - 1;
    rect.bottom = y + h + bottom - 1;
    return rect;
}

// ------------------------------------------------------------- messages
bool PlatPeekMessage(PlatMessage* message)
{
    WindowState& state = State();
    if (state.videoStarted) {
        SDL_Event event;
        while (state.queue.empty() && SDL_PollEvent(&event)) Translate(event);
    }
    if (state.queue.empty()) return false;
    if (message) *message = state.queue.front();
    state.queue.pop_front();
    return true;
}

void PlatPostMessage(const PlatMessage& message) { State().queue.push_back(message); }

void PlatPostQuit() { Push(Make(PMSG_QUIT)); }

void PlatFlushMessages()
{
    State().queue.clear();
    if (State().videoStarted) SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

int PlatPendingMessageCount()
{
    if (State().videoStarted) SDL_PumpEvents();
    int sdlPending = State().videoStarted ? SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) : 0;
    return int(State().queue.size()) + (sdlPending > 0 ? sdlPending : 0);
}

// ------------------------------------------------------------- input state
void PlatCaptureMouse(bool on)
{
    if (State().videoStarted) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

bool PlatIsKeyDown(uint32_t virtualKey)
{
    if (!State().videoStarted) return false;
    if (virtualKey == PVK_SHIFT) return PlatIsShiftDown();
    if (virtualKey == PVK_CONTROL) return PlatIsControlDown();
    if (virtualKey == PVK_MENU) return PlatIsAltDown();
    SDL_Scancode scancode = SDL_GetScancodeFromKey(KeycodeOf(virtualKey));
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    return scancode > 0 && int(scancode) < count && keys[scancode];
}

bool PlatIsAltDown() { return State().videoStarted && (SDL_GetModState() & KMOD_ALT); }
bool PlatIsControlDown() { return State().videoStarted && (SDL_GetModState() & KMOD_CTRL); }
bool PlatIsShiftDown() { return State().videoStarted && (SDL_GetModState() & KMOD_SHIFT); }

void PlatShowSystemCursor(bool show)
{
    State().cursorShown = show;
    if (State().videoStarted) SDL_ShowCursor(show ? SDL_ENABLE : SDL_DISABLE);
}

bool PlatIsSystemCursorShown() { return State().cursorShown; }

void PlatDesktopSize(int32_t* width, int32_t* height, int32_t* depth)
{
    SDL_DisplayMode mode{};
    bool known = PlatVideoStart() && SDL_GetDesktopDisplayMode(0, &mode) == 0;
    if (width) *width = known ? mode.w : 1024;
    if (height) *height = known ? mode.h : 768;
    if (depth) *depth = known ? int32_t(SDL_BITSPERPIXEL(mode.format)) : 32;
}

int PlatDisplayModes(int32_t* widths, int32_t* heights, int32_t* depths, int capacity)
{
    if (!PlatVideoStart()) return 0;
    int count = SDL_GetNumDisplayModes(0), filled = 0;
    for (int i = 0; i < count && filled < capacity; ++i) {
        SDL_DisplayMode mode{};
        if (SDL_GetDisplayMode(0, i, &mode) != 0) continue;
        widths[filled] = mode.w;
        heights[filled] = mode.h;
        depths[filled] = int32_t(SDL_BITSPERPIXEL(mode.format));
        ++filled;
    }
    return filled;
}
