#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"

int QorFileReadAll(const char* path, char** bytes, uint32_t* size)
{
    *bytes = nullptr;
    *size = 0;
    QorFileHandle* file = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!file) return ERR_OPEN_FILE;
    int32_t length = QorFileGetHandleLength(file);
    if (length < 0) length = 0;
    auto* text = static_cast<char*>(QorAlloc(size_t(length) + 2, "QorFile", __LINE__, true));
    if (!text) {
        QorFileClose(file);
        return ERR_OUT_OF_MEMORY;
    }
    uint32_t read = 0;
    int code = QorFileRead(file, text, uint32_t(length), &read);
    QorFileClose(file);
    if (code) {
        QorFree(text);
        return code;
    }
    *bytes = text;
    *size = read;
    return 0;
}
