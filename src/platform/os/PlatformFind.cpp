#include "platform/os/PlatformFind.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace {
bool LessNoCase(const std::string& a, const std::string& b)
{
    return strcasecmp(a.c_str(), b.c_str()) < 0;
}

void ToDateTime(const struct timespec& when, PlatDateTime* out)
{
    struct tm parts{};
    time_t seconds = when.tv_sec;
    gmtime_r(&seconds, &parts);
    out->year = uint16_t(parts.tm_year + 1900);
    out->month = uint16_t(parts.tm_mon + 1);
    out->dayOfWeek = uint16_t(parts.tm_wday);
    out->day = uint16_t(parts.tm_mday);
    out->hour = uint16_t(parts.tm_hour);
    out->minute = uint16_t(parts.tm_min);
    out->second = uint16_t(parts.tm_sec);
    out->milliseconds = uint16_t(when.tv_nsec / 1000000);
}

uint32_t AttributesOf(const char* name, const struct stat& info)
{
    uint32_t bits = 0;
    if (S_ISDIR(info.st_mode)) bits |= PLAT_ATTR_DIRECTORY;
    else bits |= PLAT_ATTR_ARCHIVE;   // what a freshly written file carries on the original platform
    if (!(info.st_mode & S_IWUSR)) bits |= PLAT_ATTR_READONLY;
    if (name[0] == '.' && strcmp(name, ".") != 0 && strcmp(name, "..") != 0) bits |= PLAT_ATTR_HIDDEN;
    return bits;
}

const char* BaseName(const char* path)
{
    const char* slash = strrchr(path, '/');
    return slash && slash[1] ? slash + 1 : path;
}
}  // namespace

// ------------------------------------------------------------- enumeration
struct PlatDir {
    std::string folder;
    std::vector<std::string> names;
    size_t next = 0;
};

PlatDir* PlatDirOpen(const char* folder)
{
    std::string path = folder && *folder ? folder : ".";
    DIR* handle = opendir(path.c_str());
    if (!handle) return nullptr;
    auto* dir = new PlatDir;
    dir->folder = path;
    if (dir->folder.back() != '/') dir->folder += '/';
    while (struct dirent* entry = readdir(handle)) dir->names.emplace_back(entry->d_name);
    closedir(handle);
    // The original platform lists in name order; readdir's order is arbitrary.
    std::sort(dir->names.begin(), dir->names.end(), [](const std::string& a, const std::string& b) {
        bool dotA = a == "." || a == "..", dotB = b == "." || b == "..";
        if (dotA != dotB) return dotA;
        return LessNoCase(a, b) || (!LessNoCase(b, a) && a < b);
    });
    return dir;
}

bool PlatDirNext(PlatDir* dir, PlatDirEntry* entry)
{
    if (!dir || !entry) return false;
    while (dir->next < dir->names.size()) {
        const std::string& name = dir->names[dir->next++];
        if (name.size() >= sizeof entry->name) continue;   // the engine cannot address it
        struct stat info{};
        if (stat((dir->folder + name).c_str(), &info) != 0) continue;   // vanished or a dangling link
        memset(entry, 0, sizeof *entry);
        memcpy(entry->name, name.c_str(), name.size() + 1);
        entry->attributes = AttributesOf(entry->name, info);
        entry->size = S_ISDIR(info.st_mode) ? 0 : uint64_t(info.st_size);
        ToDateTime(info.st_mtim, &entry->modified);
        return true;
    }
    return false;
}

void PlatDirClose(PlatDir* dir) { delete dir; }

// ------------------------------------------------------------- attributes
uint32_t PlatGetAttributes(const char* path)
{
    struct stat info{}, link{};
    if (!path || !*path || lstat(path, &link) != 0) return PLAT_ATTR_MISSING;
    if (!S_ISLNK(link.st_mode)) return AttributesOf(BaseName(path), link);
    uint32_t linkBit = PLAT_ATTR_LINK;
    if (stat(path, &info) != 0) return linkBit | PLAT_ATTR_ARCHIVE;   // dangling: only the link is there
    return linkBit | AttributesOf(BaseName(path), info);
}

bool PlatSetAttributes(const char* path, uint32_t attributes)
{
    struct stat info{};
    if (!path || !*path || stat(path, &info) != 0) return false;
    mode_t mode = info.st_mode & 07777;
    if (attributes & PLAT_ATTR_READONLY) mode &= mode_t(~(S_IWUSR | S_IWGRP | S_IWOTH));
    else mode |= S_IWUSR;
    return chmod(path, mode) == 0;
}

bool PlatGetFileTime(const char* path, PlatDateTime* out)
{
    struct stat info{};
    if (!path || !*path || !out || stat(path, &info) != 0) return false;
    ToDateTime(info.st_mtim, out);
    return true;
}

// ------------------------------------------------------------- full paths
bool PlatFullPath(const char* path, char* out, size_t size)
{
    if (!path || !out || size == 0) return false;
    std::string text = path;
    if (text.empty() || text[0] != '/') {
        char current[4096];
        if (!getcwd(current, sizeof current)) return false;
        text = std::string(current) + "/" + text;
    }
    bool trailing = text.size() > 1 && text.back() == '/';
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('/', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string result;
    for (const std::string& part : parts) result += "/" + part;
    if (result.empty() || trailing) result += '/';
    if (result.size() >= size) return false;
    memcpy(out, result.c_str(), result.size() + 1);
    return true;
}

// ------------------------------------------------------------- letter case
namespace {
struct Listing {
    struct timespec changed{};
    std::vector<std::string> names;
};

std::mutex gCaseMutex;
// Reached through a function so that the static application object, which
// opens its options file before main, finds it constructed.
std::unordered_map<std::string, Listing>& Listings()
{
    static std::unordered_map<std::string, Listing> listings;
    return listings;
}
constexpr size_t kMaxListings = 512;   // a full cache starts over rather than grow without end

const Listing* ListFolder(const std::string& folder)
{
    struct stat info{};
    if (stat(folder.empty() ? "." : folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return nullptr;
    std::string key = folder;
    if (key.empty() || key[0] != '/') {   // the current folder moves; the cache must not
        char current[4096];
        if (!getcwd(current, sizeof current)) return nullptr;
        key = std::string(current) + "/" + folder;
    }
    auto& listings = Listings();
    auto found = listings.find(key);
    if (found != listings.end() && found->second.changed.tv_sec == info.st_mtim.tv_sec &&
        found->second.changed.tv_nsec == info.st_mtim.tv_nsec)
        return &found->second;
    DIR* handle = opendir(folder.empty() ? "." : folder.c_str());
    if (!handle) return nullptr;
    if (listings.size() >= kMaxListings) listings.clear();
    Listing& listing = listings[key];
    listing.changed = info.st_mtim;
    listing.names.clear();
    while (struct dirent* entry = readdir(handle))
        if (strcmp(entry->d_name, ".") != 0 && strcmp(entry->d_name, "..") != 0)
            listing.names.emplace_back(entry->d_name);
    closedir(handle);
    std::sort(listing.names.begin(), listing.names.end());   // a fixed choice between spellings
    return &listing;
}
}  // namespace

bool PlatResolveCase(const char* path, char* out, size_t size)
{
    if (!path || !out || size == 0) return false;
    size_t length = strlen(path);
    if (length >= size) return false;
    struct stat info{};
    if (length == 0 || lstat(path, &info) == 0) {   // the exact spelling wins
        memcpy(out, path, length + 1);
        return true;
    }
    std::lock_guard<std::mutex> lock(gCaseMutex);
    std::string result = path[0] == '/' ? "/" : "";
    std::string text = path;
    size_t start = path[0] == '/' ? 1 : 0;
    bool matching = true;
    while (start < text.size()) {
        size_t end = text.find('/', start);
        bool last = end == std::string::npos;
        if (last) end = text.size();
        std::string part = text.substr(start, end - start);
        std::string folder = result;
        std::string candidate = result + part;
        if (matching && !part.empty() && part != "." && part != ".." && lstat(candidate.c_str(), &info) != 0) {
            const Listing* listing = ListFolder(folder);
            const std::string* hit = nullptr;
            if (listing)
                for (const std::string& name : listing->names)
                    if (strcasecmp(name.c_str(), part.c_str()) == 0) { hit = &name; break; }
            if (hit) candidate = folder + *hit;
            else matching = false;   // nothing below a missing folder can exist
        }
        result = candidate;
        if (!last) result += '/';
        start = end + 1;
    }
    if (result.size() >= size) return false;
    memcpy(out, result.c_str(), result.size() + 1);
    return true;
}

void PlatForgetCaseCache()
{
    std::lock_guard<std::mutex> lock(gCaseMutex);
    Listings().clear();
}
