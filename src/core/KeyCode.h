// Every key event is a 32-bit code: characters as themselves, special keys
// from 257 up, and modifier bits for Alt, Control and Shift.  The window
// layer, the display tree, key bindings and scripts all use these codes.
#pragma once
#include <cstdint>

using KeyCode = uint32_t;

enum : KeyCode {
    KEY_PAUSE = 19,
    KEY_ESCAPE = 27,
    KEY_F1 = 257, KEY_F2, KEY_F3, KEY_F4, KEY_F5, KEY_F6,
    KEY_F7, KEY_F8, KEY_F9, KEY_F10, KEY_F11, KEY_F12,      // 257..268
    KEY_END = 270,
    KEY_HOME = 271,
    KEY_LEFT = 272,
    KEY_RIGHT = 273,
    KEY_UP = 274,
    KEY_DOWN = 275,
    KEY_INSERT = 276,
    KEY_DELETE = 277,
    KEY_PAGE_UP = 278,
    KEY_PAGE_DOWN = 279,
    KEY_SCROLL_LOCK = 280,

    KEY_ALT = 0x10000000,       // added to the code while Alt is held
    KEY_CONTROL = 0x20000000,   // Control alone, and the Control bit
    KEY_SHIFT = 0x40000000,     // key-state queries only
};

// The code of a character typed with the given modifiers.
constexpr KeyCode MakeCharacterKeyCode(uint32_t character, bool alt, bool control)
{
    if (alt) return character | KEY_ALT;
    if (control) return (character + 64) | KEY_CONTROL;
    return character;
}

// The code of a special key (F1..Scroll Lock, Pause) with Alt held or not.
constexpr KeyCode MakeSpecialKeyCode(KeyCode key, bool alt) { return alt ? key + KEY_ALT : key; }
