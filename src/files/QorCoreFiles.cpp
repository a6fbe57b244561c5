#include "files/QorCoreFiles.h"
#include "core/CxError.h"
#include "files/QorFile.h"

#include <cstdio>

namespace {
bool ChainExists(const char* path) { return QorFileExists(path); }
bool ChainRemove(const char* path) { return QorFileDelete(path) == 0; }

int ChainReplace(const char* path, const void* data, uint32_t size)
{
    char temp[300];
    snprintf(temp, sizeof temp, "%s.tmp", path);
    QorFileHandle* file = QorFileOpen(temp, CBF_CREATE | CBF_BINARY);
    if (!file) return ERR_CREATE_FILE;
    int code = QorFileWrite(file, data, size);
    if (!code) code = QorFileFlush(file);
    QorFileClose(file);
    if (!code) code = QorFileRename(temp, path);
    if (code) QorFileDelete(temp);
    return code ? ERR_WRITE_FILE : 0;
}

const CxCoreFileAccess kChainFiles = {ChainExists, ChainRemove, QorFileReadAll, ChainReplace};
}  // namespace

const CxCoreFileAccess* QorCoreFileAccess() { return &kChainFiles; }
