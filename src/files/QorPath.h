// Paths inside a file system: the name prefix and the normal form every
// operation receives.
//
// A path handed to the file API is "<Name>rest" or just "rest".  The rest is
// brought to one normal form before any file system sees it: "\" becomes
// "/", runs of "/" become one, "." parts go, and ".." removes the part before
// it.  A ".." with nothing left to remove would climb out of the file
// system's root, so the path is refused rather than handed on.  A leading "/"
// is kept: it means "from the file system's root", never the host's root
// (the folder kind decides what that means for the root-less default).
#pragma once
#include <cstddef>

constexpr int QOR_NAME_MAX = 29;   // characters of a file-system name that count
constexpr int QOR_PATH_MAX = 255;  // characters of a path that reach the host

enum QorPathResult {
    QOR_PATH_OK = 0,
    QOR_PATH_CLIMBS = 1,    // ".." above the root
    QOR_PATH_TOO_LONG = 2,  // the normal form does not fit the buffer
};

// When path begins with "<" and holds a ">", copies "<...>" into name (cut to
// nameSize - 1) and returns the text after the ">"; otherwise name is empty
// and path itself is returned.  Null path gives "".
const char* QorSplitPrefix(const char* path, char* name, size_t nameSize);

// Writes the normal form of path into out (size bytes).
QorPathResult QorNormalisePath(const char* path, char* out, size_t size);

// File-system names and names in data compare without regard to ASCII case.
bool QorNamesEqual(const char* a, const char* b);   // without regard to ASCII case
