// The mouse cursor.
//
// A cursor is named by a small integer id: 0 to 3 are built in (arrow, busy,
// text beam, hand), 10 and up are the named cursors of the framework's
// "[Cursors]" section, in their order.  Two ways of showing it:
//
//  - custom cursors ("Engine"/"UseCustomCursor"): the engine draws the
//    current cursor image into the screen surface while presenting, saving
//    the pixels under it and putting them back afterwards (DrawCursor,
//    RestoreUnderCursor).  The system cursor stays hidden.  Images may be
//    animated: frames side by side, advanced at their frame rate.
//  - otherwise the system cursor: an image cursor made from the cursor's
//    picture when there is one, else the standard shapes for ids 0 to 4
//    (arrow, wait, beam, "no", hand), else the arrow.
//
// The cursor is redrawn by the main thread each time the frame is
// presented; there is no cursor thread.  The hide counter nests: two
// HideCursor calls need two ShowCursor calls.
#pragma once
#include "foundation/CxGeometry.h"
#include "foundation/CxString.h"

#include <cstddef>
#include <cstdint>

class CxDrawSurface;
class CxOptions;
struct lua_State;

constexpr int32_t CURSOR_ARROW = 0;
constexpr int32_t CURSOR_BUSY = 1;
constexpr int32_t CURSOR_BEAM = 2;
constexpr int32_t CURSOR_HAND = 3;
constexpr int32_t CURSOR_FIRST_NAMED = 10;
constexpr int32_t CURSOR_CURRENT = -1;

struct CxCursorImage {
    CxDrawSurface* image = nullptr;   // owned
    CxPoint hotSpot;                  // subtracted from the mouse position
    int32_t id = 0;
    int32_t frameCount = 1;
    int32_t frame = 0;
    int32_t reserved = 0;
    double frameRate = 0;             // frames per second; 0 = still
    uint32_t nextFrameTick = 0;
};

// Display start-up: custom flag, the screen's depth and 16-bit format.
void InitCursors(bool custom, int depth, uint8_t format16);
void ShutdownCursors();
bool CursorsAreCustom();

// Takes ownership of the image (also when it fails).  0, ERR_INVALID_ARGUMENT
// without an image, or ERR_OUT_OF_MEMORY.
int  AddCursor(CxDrawSurface* image, int32_t id, int32_t hotX, int32_t hotY);
int  SetCursorAnimation(int32_t id, int32_t frames, double framesPerSecond);
void RemoveCursor(int32_t id);
CxCursorImage* FindCursor(int32_t id);
// The cursor `id` from an image file (hot spot in pixels from the top left),
// shown by the engine or by the system alike; error 13 when it cannot be
// loaded, and then any earlier cursor of that id stays.
int  LoadCursorResource(const char* path, int32_t id, int32_t hotX = 0, int32_t hotY = 0);

void    SetCursorId(int32_t id);
int32_t GetCursorId();                // custom: the current image's id, 0 when none
void    SetDefaultCursorId(int32_t id);
int32_t GetDefaultCursorId();
// What a display object does first on every mouse move: select the default
// cursor (controls that want another one set it afterwards).
void    SelectDefaultCursor();
void HideCursor();
void ShowCursor();
bool IsCursorHidden();

// Where the pointer is, in the screen surface's coordinates.
void SetCursorPosition(CxPoint point);
CxPoint GetCursorPosition();

// Custom cursors: draw into (and restore) the target; whether the cursor
// needs showing again; where it was drawn last (empty when hidden).
bool   DrawCursor(CxDrawSurface* target);
void   RestoreUnderCursor(CxDrawSurface* target);
bool   CursorMoved();
CxRect GetCursorRect();
CxSize GetSaveUnderSize();
// The same four as the software screens see them (CxScreenCursor.h).
class CxScreenCursor;
CxScreenCursor* GetCursorPainter();

// The built-in cursor `id` (0..3) as a new 8-bit surface, transparent index 10.
CxDrawSurface* MakeBuiltInCursor(int32_t id, CxPoint* hotSpot);

// Named cursors: each "name = hot x, hot y, image" entry of the section gets
// the next id from 10; the last one becomes current and the default.
// Returns how many were added.  mapPath, when given, turns each image path
// into the one to load (the game expands its "$INSTALLPATH" this way).
using CxCursorPathMap = CxString (*)(const char* path);
int     LoadNamedCursors(CxOptions& options, const char* section = "Cursors", CxCursorPathMap mapPath = nullptr);
// One entry's value, "hot x, hot y, image path": false when it does not
// read or the path is empty.  The path loses trailing blanks.
bool    ParseCursorEntry(const char* value, CxPoint* hotSpot, char* path, size_t size);
int32_t GetCursorIDFromName(const char* name);   // 0 when unknown

// SetCursor GetCursor SetDefaultCursor GetDefaultCursor HideCursor
// ShowCursor GetCursorIDFromName
void RegisterCursorScriptFunctions(lua_State* state);
