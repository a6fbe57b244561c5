// The main window and its message queue, over SDL2.
//
// Features implemented:
//   - one main window: create, destroy, show, hide, minimise, maximise,
//     restore, move, title, full screen, window and client rectangles
//   - a message queue of Windows-like records made from SDL events: move,
//     size, activate, paint, close, key down/up (with the Alt context bit and
//     repeat count), character, mouse move/buttons/double clicks/wheel (in
//     120ths), dropped files, activate-application, quit, posted timers and
//     user messages
//   - "remove at most one message, never wait" (PlatPeekMessage)
//   - mouse capture, key state queries, cursor show/hide, desktop size and
//     depth, display modes
// All state lives in one struct in the unit, reached through one accessor.
#pragma once
#include <cstddef>
#include <cstdint>

enum PlatMessageType : uint32_t {
    PMSG_NONE = 0,
    PMSG_MOVE, PMSG_SIZE, PMSG_ACTIVATE, PMSG_PAINT, PMSG_CLOSE, PMSG_QUIT, PMSG_ACTIVATEAPP,
    PMSG_KEYDOWN, PMSG_KEYUP, PMSG_SYSKEYDOWN, PMSG_SYSKEYUP, PMSG_CHAR, PMSG_SYSCHAR,
    PMSG_MOUSEMOVE,
    PMSG_LBUTTONDOWN, PMSG_LBUTTONUP, PMSG_LBUTTONDBLCLK,
    PMSG_MBUTTONDOWN, PMSG_MBUTTONUP, PMSG_MBUTTONDBLCLK,
    PMSG_RBUTTONDOWN, PMSG_RBUTTONUP, PMSG_RBUTTONDBLCLK,
    PMSG_MOUSEWHEEL, PMSG_DROPFILES, PMSG_TIMER, PMSG_USER,
};

// Key-state word of mouse messages, as the window layer reads it.
enum PlatMouseKeys : uint32_t {
    PMK_LBUTTON = 0x01, PMK_RBUTTON = 0x02, PMK_SHIFT = 0x04, PMK_CONTROL = 0x08, PMK_MBUTTON = 0x10,
};

// Virtual key numbers (the classic values, so key tables read familiar).
enum PlatVirtualKey : uint32_t {
    PVK_BACK = 0x08, PVK_TAB = 0x09, PVK_RETURN = 0x0D, PVK_SHIFT = 0x10, PVK_CONTROL = 0x11, PVK_MENU = 0x12,
    PVK_PAUSE = 0x13, PVK_ESCAPE = 0x1B, PVK_SPACE = 0x20, PVK_PRIOR = 0x21, PVK_NEXT = 0x22, PVK_END = 0x23,
    PVK_HOME = 0x24, PVK_LEFT = 0x25, PVK_UP = 0x26, PVK_RIGHT = 0x27, PVK_DOWN = 0x28, PVK_INSERT = 0x2D,
    PVK_DELETE = 0x2E, PVK_F1 = 0x70, PVK_F12 = 0x7B, PVK_SCROLL = 0x91,
};

struct PlatRect {
    int32_t left = 0, top = 0, right = -1, bottom = -1;   // inclusive
};

using PlatTimerCallback = void (*)(uint32_t timerId);

struct PlatMessage {
    PlatMessageType type = PMSG_NONE;
    int32_t x = 0, y = 0;            // client point; new position (move); new size (size)
    uint32_t keyState = 0;           // PMK_* bits of mouse messages
    int32_t wheelDelta = 0;          // multiples of 120 per notch
    uint32_t virtualKey = 0;         // key messages
    uint32_t character = 0;          // character messages: one byte of UTF-8 text
    bool altHeld = false;            // the context bit of key messages
    bool controlHeld = false;        // Control was down when the key or character came
    uint32_t repeatCount = 1;
    bool wasDown = false;            // key auto-repeat
    bool minimized = false;          // size and activate messages
    bool active = false;             // activate and activate-application messages
    uint32_t timerId = 0;
    PlatTimerCallback timerCallback = nullptr;
    uint32_t userValue = 0;
    PlatRect area;                   // paint messages: the part to draw (inclusive)
    char droppedPath[1024] = {};     // one dropped file per message, UTF-8
};

struct PlatWindowDesc {
    const char* title = "";
    int32_t x = 0, y = 0, width = 640, height = 480;
    bool fullScreen = false;
    bool resizable = false;
    bool hidden = false;
    bool decorated = true;
    bool acceptDrops = false;
    bool centred = false;
};


bool PlatVideoStart();                 // SDL video; false with the reason in PlatLastError
void PlatVideoStop();
const char* PlatLastError();

bool PlatWindowCreate(const PlatWindowDesc& desc);
void PlatWindowDestroy();
bool PlatWindowExists();
void* PlatWindowNativeHandle();        // the SDL window, for the screens
// Makes the window able to take an OpenGL context, re-creating it in place
// (same title, place, size and flags) when it was made without; the old
// window stays when the new one cannot be made.  False with the reason.
bool PlatWindowEnableOpenGL();
void PlatWindowShow();
void PlatWindowHide();
void PlatWindowMinimize();
void PlatWindowMaximize();
void PlatWindowRestore();
void PlatWindowMove(int32_t x, int32_t y);
// The client area's new size; a size message follows as for a resize by the user.
void PlatWindowSetSize(int32_t width, int32_t height);
void PlatWindowSetTitle(const char* title);
bool PlatWindowSetFullScreen(bool on);
PlatRect PlatWindowRect();
PlatRect PlatClientRect();
bool PlatWindowIsMinimized();
void PlatWindowFocus();

// Removes at most one message and never waits; false when none is pending.
bool PlatPeekMessage(PlatMessage* message);
void PlatPostMessage(const PlatMessage& message);
void PlatPostQuit();
void PlatFlushMessages();              // drops every pending message
int  PlatPendingMessageCount();

void PlatCaptureMouse(bool on);
bool PlatIsKeyDown(uint32_t virtualKey);
bool PlatIsAltDown();
bool PlatIsControlDown();
bool PlatIsShiftDown();
void PlatShowSystemCursor(bool show);
bool PlatIsSystemCursorShown();

void PlatDesktopSize(int32_t* width, int32_t* height, int32_t* depth);
// Up to `capacity` display modes of the first display, largest first.
int  PlatDisplayModes(int32_t* widths, int32_t* heights, int32_t* depths, int capacity);
