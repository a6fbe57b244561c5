// Building script text from engine values.  The host talks to scripts by
// running text, so every name, path or file name pasted into a script text
// goes through these: a quote, backslash or line break in the value then
// stays part of the string and can never end it and run as code.
#pragma once
#include "foundation/CxString.h"

// The value as a complete string literal, quotes included: "a\"b".  Control
// bytes become decimal escapes; bytes from 128 up (UTF-8) stay as they are.
// A value too long for one string is cut between two escapes and the
// literal is still closed.
CxString ScriptQuote(const char* value);
// The same without the surrounding quotes, for formats that already hold
// them, such as "Room.OnPokePet(\"%s\")".
CxString ScriptEscape(const char* value);
