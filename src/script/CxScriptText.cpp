#include "script/CxScriptText.h"

#include <cstdio>

namespace {
// Three digits always, so a digit that follows in the value cannot join the
// escape.
void MakePiece(unsigned char c, char* piece)
{
    switch (c) {
    case '"': piece[0] = '\\'; piece[1] = '"'; piece[2] = 0; break;
    case '\\': piece[0] = '\\'; piece[1] = '\\'; piece[2] = 0; break;
    case '\n': piece[0] = '\\'; piece[1] = 'n'; piece[2] = 0; break;
    case '\r': piece[0] = '\\'; piece[1] = 'r'; piece[2] = 0; break;
    case '\t': piece[0] = '\\'; piece[1] = 't'; piece[2] = 0; break;
    default:
        if (c < 32 || c == 127) snprintf(piece, 8, "\\%03u", unsigned(c));
        else { piece[0] = char(c); piece[1] = 0; }
    }
}

CxString Escape(const char* value, bool quotes)
{
    CxString out;
    const int room = CX_STRING_MAX - (quotes ? 1 : 0);   // keeps a place for the closing quote
    if (quotes) out.Append('"');
    char piece[8];
    for (const char* p = value ? value : ""; *p; ++p) {
        MakePiece(static_cast<unsigned char>(*p), piece);
        int length = 0;
        while (piece[length]) ++length;
        if (out.GetLength() + length > room) break;
        out.Append(piece, length);
    }
    if (quotes) out.Append('"');
    return out;
}
}  // namespace

CxString ScriptQuote(const char* value) { return Escape(value, true); }
CxString ScriptEscape(const char* value) { return Escape(value, false); }
