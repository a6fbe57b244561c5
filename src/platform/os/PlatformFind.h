// Folder listings, attributes, times and the host side of path handling.
// Features implemented on Linux:
//   folder enumeration (".", ".." and every entry, sorted without regard to
//   case), Windows-style attribute words (read-only from the write bits,
//   hidden for dot names, directory, archive for plain files, link for
//   symbolic links), last-write
//   time in UTC, lexical full paths, and letter-case-blind lookup of names:
//   an exact match wins; otherwise a folder is scanned once and its listing
//   cached until the folder changes.
#pragma once
#include <cstddef>
#include <cstdint>

// Windows attribute bits, as the engine's folder operations expect them.
enum PlatAttributeBits : uint32_t {
    PLAT_ATTR_READONLY = 0x1,
    PLAT_ATTR_HIDDEN = 0x2,
    PLAT_ATTR_SYSTEM = 0x4,
    PLAT_ATTR_DIRECTORY = 0x10,
    PLAT_ATTR_ARCHIVE = 0x20,
    PLAT_ATTR_LINK = 0x400,          // a symbolic link: tree removal must not follow it
    PLAT_ATTR_COMPRESSED = 0x800,
    PLAT_ATTR_MISSING = 0xFFFFFFFF,
};

struct PlatDateTime {
    uint16_t year, month, dayOfWeek, day, hour, minute, second, milliseconds;
};

struct PlatDirEntry {
    char name[256];
    uint32_t attributes;   // PlatAttributeBits
    uint64_t size;
    PlatDateTime modified; // UTC
};

struct PlatDir;

// Null when the folder cannot be read.  "" reads the current folder.
PlatDir* PlatDirOpen(const char* folder);
bool     PlatDirNext(PlatDir* dir, PlatDirEntry* entry);   // false at the end
void     PlatDirClose(PlatDir* dir);

uint32_t PlatGetAttributes(const char* path);              // PLAT_ATTR_MISSING when absent
bool     PlatSetAttributes(const char* path, uint32_t attributes);   // honours READONLY only
bool     PlatGetFileTime(const char* path, PlatDateTime* out);

// Absolute, with "." and ".." removed lexically; the path need not exist.
// False when the result does not fit.
bool PlatFullPath(const char* path, char* out, size_t size);

// The path as it is spelled on the disc: each part that does not exist as
// written is replaced by the first entry of its folder that equals it without
// regard to case.  Parts that exist in no spelling are kept as written, so a
// file about to be created lands in the existing folders.  False when the
// result does not fit.
bool PlatResolveCase(const char* path, char* out, size_t size);
// Forgets every cached folder listing.
void PlatForgetCaseCache();
