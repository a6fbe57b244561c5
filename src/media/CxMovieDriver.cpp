#include "media/CxMovieDriver.h"
#include "foundation/Qorstr.h"

#include <cstring>

namespace {
struct DriverEntry {
    char extension[8];
    CxMovieDriverCreate create;
    uint32_t value;
};
DriverEntry gDrivers[kMovieDriverSlots] = {};

bool EndsWith(const char* path, const char* extension)
{
    size_t length = std::strlen(path), tail = std::strlen(extension);
    return tail > 0 && length >= tail && TextEquals(path + length - tail, extension, true);
}

const DriverEntry* FindEntry(const char* path)
{
    if (!path) return nullptr;
    for (const DriverEntry& entry : gDrivers)
        if (entry.extension[0] && EndsWith(path, entry.extension)) return &entry;
    return nullptr;
}
}  // namespace

int RegisterMovieDriver(const char* extension, CxMovieDriverCreate create, uint32_t value)
{
    if (!extension || extension[0] != '.')
        return ReportError(ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.smk'");
    for (DriverEntry& entry : gDrivers) {
        if (entry.extension[0]) continue;
        CopyText(entry.extension, extension, sizeof entry.extension);
        entry.create = create;
        entry.value = value;
        return 0;
    }
    return 0;   // a full table keeps what it has
}

void UnregisterMovieDrivers(const char* pattern)
{
    if (!pattern) return;
    for (DriverEntry& entry : gDrivers)
        if (entry.extension[0] && MatchWildcards(pattern, entry.extension))
            entry = DriverEntry{};
}

CxMovieDriver* CreateMovieDriver(const char* path, uint32_t flags)
{
    const DriverEntry* entry = FindEntry(path);
    if (!entry) {
        ReportError(ERR_UNKNOWN, "No movie filter registered for '%s'", path ? path : "");
        return nullptr;
    }
    if (!entry->create) {
        ReportError(ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", path);
        return nullptr;
    }
    return entry->create(path, flags);
}

bool IsMovieFile(const char* path) { return FindEntry(path) != nullptr; }
