#include "app/CxKeyBindings.h"
#include "foundation/Qorstr.h"

#include <cstdio>

namespace {
struct KeyName {
    char name[12];
    KeyCode code;
};

constexpr int kTableSize = 145;

// Built once: the table is regular enough that spelling out 145 lines would
// hide the pattern (and any slip in it).
struct KeyNameTable {
    KeyName entries[kTableSize];
    int count = 0;

    void Add(const char* name, KeyCode code)
    {
        snprintf(entries[count].name, sizeof entries[count].name, "%s", name);
        entries[count++].code = code;
    }
    KeyNameTable()
    {
        char name[12];
        for (char c = '0'; c <= '9'; ++c) Add((snprintf(name, sizeof name, "%c", c), name), KeyCode(c));
        for (char c = 'A'; c <= 'Z'; ++c) Add((snprintf(name, sizeof name, "%c", c), name), KeyCode(c));
        Add("PLUS", '+');
        Add("MINUS", '-');
        Add("PERIOD", '.');
        for (char c = 'A'; c <= 'Z'; ++c) Add((snprintf(name, sizeof name, "ALT_%c", c), name), KEY_ALT + KeyCode(c));
        for (char c = '0'; c <= '9'; ++c) Add((snprintf(name, sizeof name, "ALT_%c", c), name), KEY_ALT + KeyCode(c));
        for (char c = 'A'; c <= 'Z'; ++c) Add((snprintf(name, sizeof name, "CTRL_%c", c), name), KEY_CONTROL + KeyCode(c));
        for (int f = 1; f <= 12; ++f) Add((snprintf(name, sizeof name, "F%d", f), name), KEY_F1 + KeyCode(f - 1));
        for (int f = 1; f <= 12; ++f) Add((snprintf(name, sizeof name, "ALT_F%d", f), name), KEY_ALT + KEY_F1 + KeyCode(f - 1));
        Add("TAB", 9);
        Add("PAUSE", KEY_PAUSE);
        Add("ESC", KEY_ESCAPE);
        Add("BACK", 8);
        Add("ENTER", 13);
        Add("SPACE", 32);
        Add("END", KEY_END);
        Add("HOME", KEY_HOME);
        Add("LEFT", KEY_LEFT);
        Add("RIGHT", KEY_RIGHT);
        Add("UP", KEY_UP);
        Add("DOWN", KEY_DOWN);
        Add("INS", KEY_INSERT);
        Add("DEL", KEY_DELETE);
        Add("ALT_UP", KEY_ALT + KEY_UP);
        Add("ALT_DOWN", KEY_ALT + KEY_DOWN);
        Add("PAGEUP", KEY_PAGE_UP);
        Add("PAGEDOWN", KEY_PAGE_DOWN);
        Add("SCROLL_LOCK", KEY_SCROLL_LOCK);
        Add("CTRL", KEY_CONTROL);
    }
};

const KeyNameTable& Table()
{
    static const KeyNameTable table;
    return table;
}
}  // namespace

KeyCode KeyCodeFromName(const char* name)
{
    for (int i = 0; i < Table().count; ++i)
        if (TextEquals(Table().entries[i].name, name, true)) return Table().entries[i].code;
    return 0;
}

int KeyNameCount() { return Table().count; }

void CxKeyBindings::RemoveCode(KeyCode code)
{
    for (auto* node = bindings_.GetHead(); node; node = node->next)
        if (node->value.code == code) {
            bindings_.RemoveAt(node);
            return;
        }
}

bool CxKeyBindings::BindKey(const char* keyName, const char* command)
{
    KeyCode code = KeyCodeFromName(keyName);
    if (!code) return false;
    RemoveCode(code);
    bindings_.AddTail(Binding{CxString(command ? command : ""), code});
    return true;
}

void CxKeyBindings::UnBindKey(const char* keyName)
{
    if (KeyCode code = KeyCodeFromName(keyName)) RemoveCode(code);
}

const char* CxKeyBindings::CommandFor(KeyCode code) const
{
    if (code >= 'a' && code <= 'z') code -= 'a' - 'A';
    for (auto* node = bindings_.GetHead(); node; node = node->next)
        if (node->value.code == code) return node->value.command.Text();
    return nullptr;
}
