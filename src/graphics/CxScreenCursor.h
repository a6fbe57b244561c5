// The cursor a software screen draws into its frame for the moment of
// presenting.  Cursors belong to the display layer above this one, which
// implements this interface; the application's start-up installs it.  With
// none installed (or none custom) a screen draws no cursor and the system
// cursor shows.
#pragma once
#include "foundation/CxGeometry.h"

class CxDrawSurface;

class CxScreenCursor {
public:
    virtual bool IsCustom() const = 0;        // drawn by the engine, not the system
    virtual bool Moved() const = 0;           // needs showing again
    virtual bool Draw(CxDrawSurface* target) = 0;      // saves what it covers
    virtual void Restore(CxDrawSurface* target) = 0;   // puts it back
    virtual CxRect GetRect() const = 0;       // where it was drawn last

protected:
    ~CxScreenCursor() = default;
};

void SetScreenCursor(CxScreenCursor* cursor);   // null: none
CxScreenCursor* GetScreenCursor();
