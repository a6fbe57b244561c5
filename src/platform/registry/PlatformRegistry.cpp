#include "platform/registry/PlatformRegistry.h"
#include "platform/os/PlatformSystem.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <strings.h>

namespace {
const char* RootName(int root)
{
    switch (root) {
    case PLAT_REG_CURRENT_USER: return "HKEY_CURRENT_USER";
    case PLAT_REG_USERS: return "HKEY_USERS";
    case PLAT_REG_CURRENT_CONFIG: return "HKEY_CURRENT_CONFIG";
    case PLAT_REG_CLASSES_ROOT: return "HKEY_CLASSES_ROOT";
    default: return "HKEY_LOCAL_MACHINE";
    }
}

std::string ExpandRoot(const std::string& section)
{
    static const char* const kShort[][2] = {{"HKCU", "HKEY_CURRENT_USER"}, {"HKU", "HKEY_USERS"},
        {"HKCC", "HKEY_CURRENT_CONFIG"}, {"HKCR", "HKEY_CLASSES_ROOT"}, {"HKLM", "HKEY_LOCAL_MACHINE"}};
    size_t cut = section.find('\\');
    std::string head = section.substr(0, cut);
    for (const auto& pair : kShort)
        if (strcasecmp(head.c_str(), pair[0]) == 0)
            return pair[1] + (cut == std::string::npos ? std::string() : section.substr(cut));
    return section;
}

// Doubled backslashes, leading and trailing ones are written differently by
// hand; they all mean the same key.
std::string NormaliseKey(const std::string& key)
{
    std::string out;
    for (char c : key)
        if (c != '\\' || (!out.empty() && out.back() != '\\')) out += c == '/' ? '\\' : c;
    while (!out.empty() && out.back() == '\\') out.pop_back();
    return out;
}

std::string Trim(const std::string& text)
{
    size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) return {};
    size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}
}  // namespace

void PlatRegistryFilePath(char* out, size_t size)
{
    const char* config = PlatGetEnv("XDG_CONFIG_HOME");
    std::string path = (config && *config) ? config : std::string(PlatHomeDirectory()) + "/.config";
    path += "/Marloft/registry.ini";
    snprintf(out, size, "%s", path.c_str());
}

bool PlatRegistryRead(int root, const char* key, const char* value, char* out, size_t size)
{
    if (out && size) out[0] = 0;
    if (!key || !value || !out || size == 0) return false;
    char file[1024];
    PlatRegistryFilePath(file, sizeof file);
    std::ifstream in(file);
    if (!in) return false;

    std::string wanted = NormaliseKey(std::string(RootName(root)) + "\\" + key);
    bool inSection = false;
    std::string line;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            size_t close = line.find(']');
            std::string name = NormaliseKey(ExpandRoot(line.substr(1, close == std::string::npos ? std::string::npos : close - 1)));
            inSection = strcasecmp(name.c_str(), wanted.c_str()) == 0;
            continue;
        }
        size_t eq = line.find('=');
        if (!inSection || eq == std::string::npos) continue;
        std::string name = Trim(line.substr(0, eq));
        if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
        if (strcasecmp(name.c_str(), value) != 0) continue;
        snprintf(out, size, "%s", Trim(line.substr(eq + 1)).c_str());
        return true;
    }
    return false;
}
