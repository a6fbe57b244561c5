// Free text functions on plain zero-terminated character arrays, and the
// conversions between the engine's UTF-8 and the system's code page.  None of
// them allocates unless it says so; all accept null where noted.
#pragma once
#include <cstddef>

bool TextEquals(const char* a, const char* b, bool ignoreCase);          // false when either is null
bool TextContains(const char* text, const char* part, bool ignoreCase);  // false for null/empty part
const char* FindNoCase(const char* text, const char* part);
const char* FindLast(const char* text, const char* part, bool ignoreCase);
const char* FindWord(const char* text, const char* word, const char* delimiters, bool ignoreCase);
int  CountChar(const char* text, char c);
void RemoveChar(char* text, char c);
void ReplaceChar(char* text, char from, char to);
// Replaces every occurrence, left to right, in a buffer of `size` bytes.  The
// result is cut to the buffer, so a replacement longer than its match can never
// write past the end.
void ReplaceAll(char* text, size_t size, const char* find, const char* replacement);
void CopyText(char* dst, const char* src, size_t size);
size_t TextLength(const char* text);
const char* FileNamePart(const char* path);
bool HasExtension(const char* path, const char* extension);
// One line from a memory buffer; see the unit for the exact rules.
const char* ReadLine(char* dst, size_t size, const char* src, const char* end);
bool MatchWildcards(const char* patterns, const char* name);

// The 0x1A pattern character: like "*" but the run stops at the next ".".
constexpr char WILDCARD_NO_DOT = 0x1A;

void ToSystemText(char* dst, const char* src, size_t size);
void FromSystemText(char* dst, const char* src, size_t size);
