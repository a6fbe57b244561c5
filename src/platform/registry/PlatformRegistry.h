// A read-only stand-in for the system registry, backed by an .ini file so
// install paths, disc paths, the DirectX version text and shell folders can
// be set by a user or a test:
//
//   $XDG_CONFIG_HOME/Marloft/registry.ini   (default ~/.config/Marloft/...)
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\DirectX]
//   Version=4.09.00.0904
//
// A section is a root name and a key path joined with "\"; the short root
// names HKCU, HKU, HKCC, HKCR and HKLM are accepted too.  Key paths, value
// names and root names compare without regard to case; missing keys and
// values read as empty, as on the original system.
#pragma once
#include <cstddef>

enum PlatRegistryRoot {
    PLAT_REG_CURRENT_USER = 0,
    PLAT_REG_USERS = 2,
    PLAT_REG_CURRENT_CONFIG = 3,
    PLAT_REG_CLASSES_ROOT = 4,
    PLAT_REG_LOCAL_MACHINE = 5,   // any other number means this root too
};

// Copies the value's text into out (at most size-1 bytes, always
// terminated); returns false and leaves out empty when key or value is missing.
bool PlatRegistryRead(int root, const char* key, const char* value, char* out, size_t size);
// Full path of the backing file, for messages and tests.
void PlatRegistryFilePath(char* out, size_t size);
