// Zip reader: any bytes mounted as an archive must list and read without a
// crash, an out-of-bounds read or an allocation beyond what they could hold.
#include "files/CxDirectoryFileSystem.h"
#include "files/CxZipFileSystem.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
int Silent(int, const char*) { return 0; }

const std::string& ArchivePath()
{
    static const std::string path = "/tmp/vorn-fuzz-zip-" + std::to_string(getpid()) + ".zip";
    return path;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SetErrorCallback(Silent);
    FILE* out = fopen(ArchivePath().c_str(), "wb");
    if (!out) return 0;
    fwrite(data, 1, size, out);
    fclose(out);

    static CxDirectoryFileSystem* folder = new CxDirectoryFileSystem;   // opens the archive, as in the game
    (void)folder;
    auto* zip = new CxZipFileSystem(ArchivePath().c_str(), "<Fuzz>");
    CxLinkedList<CxFileInfo*> list;
    QorBuildFileList(&list, "<Fuzz>*", FILEATTR_ALLDIRS, 0);
    static char buffer[65536];
    size_t budget = 32u << 20;   // bytes inflated per input: keeps each run short
    int members = 0;
    for (auto* node = list.GetHead(); node && members < 64; node = node->next, ++members) {
        const char* path = node->value->Path;
        QorFileIsDirectory(path);
        QorDateTime when;
        zip->GetFileTime(path + 6, &when);
        QorFileHandle* h = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
        if (!h) continue;
        uint32_t piece = 1 + uint32_t(members * 4099) % sizeof buffer, got = 0;
        while (budget > 0 && QorFileRead(h, buffer, piece, &got) == 0 && got > 0) budget -= got < budget ? got : budget;
        QorFileClose(h);
    }
    QorFreeFileList(&list);
    delete zip;
    std::remove(ArchivePath().c_str());
    SetErrorCallback(nullptr);
    return 0;
}
