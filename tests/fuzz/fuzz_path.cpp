// Path normalisation: any text must come out in normal form or be refused,
// and a path inside a rooted file system must never reach the host outside
// that root.
#include "files/CxDirectoryFileSystem.h"
#include "files/QorPath.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
int Silent(int, const char*) { return 0; }

void Fail(const char* what, const std::string& input)
{
    fprintf(stderr, "path check failed: %s for \"%s\"\n", what, input.c_str());
    abort();
}
#define CHECK(condition) \
    if (!(condition)) Fail(#condition, text)
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > 600) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();   // a path ends at its first zero

    char normal[QOR_PATH_MAX + 1];
    QorPathResult result = QorNormalisePath(text.c_str(), normal, sizeof normal);
    if (result == QOR_PATH_OK) {
        std::string n = normal;
        CHECK(n.find("//") == std::string::npos && n.find('\\') == std::string::npos);
        std::string parts = "/" + n + "/";
        CHECK(parts.find("/./") == std::string::npos && parts.find("/../") == std::string::npos);
        char again[QOR_PATH_MAX + 1];
        int second = QorNormalisePath(normal, again, sizeof again);
        CHECK(second == QOR_PATH_OK && strcmp(again, normal) == 0);

        static CxDirectoryFileSystem* root = nullptr;
        if (!root) root = new CxDirectoryFileSystem("/tmp/vorn-fuzz-root", "<Root>");
        char host[QOR_PATH_MAX + 1];
        if (root->HostPath(normal, host, sizeof host)) {
            std::string h = host;
            CHECK(h == "/tmp/vorn-fuzz-root" || h.rfind("/tmp/vorn-fuzz-root/", 0) == 0);
        }
    }
    char name[64];
    const char* rest = QorSplitPrefix(text.c_str(), name, sizeof name);
    CHECK(rest >= text.c_str() && rest <= text.c_str() + text.size());

    SetErrorCallback(Silent);
    std::string prefixed = "<Root>" + text;
    QorFileExists(prefixed.c_str());
    QorFileIsDirectory(prefixed.c_str());
    char full[QOR_PATH_MAX + 1];
    QorFileGetFullPath(full, prefixed.c_str(), sizeof full);
    SetErrorCallback(nullptr);
    return 0;
}
