// The kinds of notification a control sends its container through
// OnNotify (kind, sender, code, extra).  Buttons, scroll bars, list boxes and
// edit fields send them; dialogs and rooms tell them apart by kind.
#pragma once
#include <cstdint>

enum CxNotifyKind : int32_t {
    NOTIFY_BUTTON = 0,   // code: the button's BUTTON_CODE_* (a click is BUTTON_CODE_CLICKED)
    NOTIFY_SCROLL = 1,   // code: the scroll bar's new position
    NOTIFY_LIST = 2,     // code: the line chosen; extra: 1 for a double click
    NOTIFY_EDIT = 3,     // code: the key the edit field took (0 after SetString)
};
