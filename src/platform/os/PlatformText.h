// Text at the edge of the system.  The engine keeps UTF-8 inside; Linux'
// "system code page" is UTF-8 too, so the system conversions are copies that
// cut to the buffer without splitting a character.  CP-1252 conversions are
// there for data written on the original platform.
#pragma once
#include <cstddef>

void PlatUtf8ToSystem(char* dst, const char* src, size_t size);
void PlatSystemToUtf8(char* dst, const char* src, size_t size);
void PlatUtf8ToCp1252(char* dst, const char* src, size_t size);   // unmappable -> '?'
void PlatCp1252ToUtf8(char* dst, const char* src, size_t size);
