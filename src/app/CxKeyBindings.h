// Key bindings: a key name from the table ("F1", "ALT_Q", "CTRL_S", "PAGEUP"
// ...) bound to a command text that runs as a script string when the key is
// pressed.  One binding per key; binding again replaces it.
#pragma once
#include "core/KeyCode.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

// The code of a key name (ignoring case), or 0 when the table has no such name.
KeyCode KeyCodeFromName(const char* name);
int KeyNameCount();

class CxKeyBindings {
public:
    struct Binding {
        CxString command;
        KeyCode code = 0;
        bool operator==(const Binding& other) const { return code == other.code && command == other.command; }
    };

    bool BindKey(const char* keyName, const char* command);   // false for an unknown name
    void UnBindKey(const char* keyName);
    void UnBindAllKeys() { bindings_.RemoveAll(); }
    // The command bound to a pressed key; lower-case letters count as capitals.
    const char* CommandFor(KeyCode code) const;
    int Count() const { return bindings_.GetCount(); }

private:
    void RemoveCode(KeyCode code);
    CxLinkedList<Binding> bindings_;
};
