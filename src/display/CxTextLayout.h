// Text drawing: DrawString lays UTF-8 text out in a rectangle of a surface
// with a font (alignment, word wrap, drop shadow, a highlighted range) and
// WrapText breaks text into lines that fit a width.
//
// Layout rules.  Lines are LineHeight apart plus the font's vertical
// spacing; each character advances by its glyph width plus the font's
// horizontal spacing.  Tabs and carriage returns take no room.  Line feeds
// only break lines with TEXT_WORD_WRAP, which also aligns each line on its
// own; without it the text is one line, and drawing stops once the pen
// reaches the rectangle's right edge.  Wrapping breaks after the last break
// character (" ,.;:!?]}/-") that lets the line fit; a word with none is cut
// one character before the one that overflows, and at least one character
// stays on every line, so any width terminates.
//
// Highlight indices count the characters of the text as given: line feeds
// inserted by wrapping do not shift them.
#pragma once
#include "foundation/CxGeometry.h"
#include "foundation/CxString.h"
#include "graphics/CxPixelFormat.h"

#include <cstdint>

class CxDrawSurface;
class CxFont;

enum CxTextFlags : uint32_t {
    TEXT_ALIGN_RIGHT = 0x02,
    TEXT_CENTER = 0x04,          // wins over TEXT_ALIGN_RIGHT
    TEXT_ALIGN_BOTTOM = 0x10,
    TEXT_CENTER_VERTICAL = 0x20, // wins over TEXT_ALIGN_BOTTOM
    TEXT_SHADOW = 0x40,          // each character first drawn one pixel right and down in the shadow colour
    TEXT_WORD_WRAP = 0x80,
};

struct CxTextHighlight {
    int32_t start, end;          // character indices, end exclusive
    CxPixel colour, background;
};

constexpr const char* CX_TEXT_BREAK_CHARACTERS = " ,.;:!?]}/-";

// Null font: the default font (nothing is drawn when there is none).  Text
// that is not valid UTF-8 draws nothing.  `background` goes to the font
// (CX_FONT_TRANSPARENT: the font's transparent colour).
void DrawString(CxDrawSurface* surface, const CxRect& rect, CxPixel colour, const char* text, uint32_t flags,
                int pointSize, CxFont* font, CxPixel background, CxPixel shadow, const CxTextHighlight* highlight);

// `out` receives the text with line feeds inserted where lines break;
// returns the number of lines (0 for text that is not valid UTF-8).
int WrapText(const char* text, const CxRect& rect, CxFont* font, int pointSize, CxString& out);

// Width of UTF-8 text as DrawString lays it out on one line: advances plus
// the font's horizontal spacing, tabs and line breaks taking no room.
int32_t TextLineWidth(const char* text, CxFont* font, int pointSize);
