// The host callbacks and their defaults (malloc/free, stdio, stderr), the
// error helpers and the file reader records.
#include <cstdarg>
#include <cstdio>
#include <cstdlib>

#include "platform/model/ModelInternal.h"

// =============================================================================
// defaults
// =============================================================================

static void* DefaultAllocate(void*, size_t size, const char*, int)
{
    return aligned_alloc(16, (size + 15) & ~size_t(15));   // aligned_alloc wants a multiple
}

static void DefaultRelease(void*, void* block, const char*, int) { free(block); }

static void DefaultReportError(void*, int code, const char* message)
{
    fprintf(stderr, "model runtime error %d: %s\n", code, message);
}

struct StdioReader {
    MdlFileReader reader;   // first, so the record is the reader
    FILE* file;
};

static long StdioReadAtMost(MdlFileReader* reader, uint64_t offset, size_t count, void* buffer)
{
    FILE* file = reinterpret_cast<StdioReader*>(reader)->file;
    if (offset > uint64_t(INT64_MAX) || fseeko(file, off_t(offset), SEEK_SET) != 0) return -1;
    size_t got = fread(buffer, 1, count, file);
    return ferror(file) ? -1 : long(got);
}

static void StdioClose(MdlFileReader* reader)
{
    StdioReader* record = reinterpret_cast<StdioReader*>(reader);
    fclose(record->file);
    MdlUnlinkFileReader(reader);
    MDL_RELEASE(record);
}

static MdlFileReader* StdioOpen(void*, const char* sourceFile, int sourceLine, const char* fileName)
{
    if (!fileName || !fileName[0]) {
        MdlReportError(MDL_BAD_ARGUMENT, "Invalid filename passed to the model file opener");
        return nullptr;
    }
    FILE* file = fopen(fileName, "rb");
    if (!file) {
        MdlReportError(MDL_OPEN_FAILED, "Failed to open %s", fileName);
        return nullptr;
    }
    StdioReader* record = MDL_NEW(StdioReader);
    if (!record) {
        fclose(file);
        return nullptr;
    }
    record->file = file;
    MdlInitializeFileReader(sourceFile, sourceLine, StdioClose, StdioReadAtMost, &record->reader);
    return &record->reader;
}

static const MdlHost kDefaultHost = {nullptr, DefaultAllocate, DefaultRelease, StdioOpen, DefaultReportError};
static MdlHost gHost = kDefaultHost;   // the runtime's one process-wide record

// =============================================================================
// installing a host
// =============================================================================

void MdlSetHost(const MdlHost* host)
{
    gHost = host ? *host : kDefaultHost;
    if (!gHost.allocate || !gHost.release) {   // a pair or nothing: blocks must go back where they came from
        gHost.allocate = DefaultAllocate;
        gHost.release = DefaultRelease;
    }
    if (!gHost.openFileReader) gHost.openFileReader = StdioOpen;
    if (!gHost.reportError) gHost.reportError = DefaultReportError;
}

const MdlHost* MdlGetHost() { return &gHost; }

void MdlSetAllocator(void* (*allocate)(void*, size_t, const char*, int), void (*release)(void*, void*, const char*, int))
{
    MdlHost host = gHost;
    host.allocate = allocate;
    host.release = release;
    MdlSetHost(&host);
}

void MdlSetDefaultFileReaderOpenCallback(MdlFileReader* (*openFileReader)(void*, const char*, int, const char*))
{
    MdlHost host = gHost;
    host.openFileReader = openFileReader;
    MdlSetHost(&host);
}

void* MdlHostAllocate(size_t size, const char* sourceFile, int sourceLine)
{
    if (size > (size_t(1) << 40)) return nullptr;   // no sane request is this large; spare the host the overflow
    return gHost.allocate(gHost.user, size, sourceFile, sourceLine);
}

void MdlHostRelease(void* block, const char* sourceFile, int sourceLine)
{
    if (block) gHost.release(gHost.user, block, sourceFile, sourceLine);
}

// =============================================================================
// errors
// =============================================================================

void MdlFail(MdlResult* result, int code, const char* format, ...)
{
    if (!result) return;
    result->code = code;
    va_list args;
    va_start(args, format);
    vsnprintf(result->message, sizeof result->message, format, args);
    va_end(args);
}

void MdlReportError(int code, const char* format, ...)
{
    char message[512];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    gHost.reportError(gHost.user, code, message);
}

// =============================================================================
// file readers
// =============================================================================

void MdlInitializeFileReader(const char* sourceFile, int sourceLine, MdlCloseFileReaderCallback close,
                             MdlReadAtMostCallback readAtMost, MdlFileReader* reader)
{
    if (!reader) return;
    reader->sourceFile = sourceFile;
    reader->sourceLine = sourceLine;
    reader->readAtMost = readAtMost;
    reader->close = close;
}

// After this the record no longer reads; a stale reader then fails cleanly.
void MdlUnlinkFileReader(MdlFileReader* reader)
{
    if (!reader) return;
    reader->readAtMost = nullptr;
    reader->close = nullptr;
}

MdlFileReader* MdlOpenFileReader(const char* fileName)
{
    return gHost.openFileReader(gHost.user, __FILE__, __LINE__, fileName);
}

void MdlCloseFileReader(MdlFileReader* reader)
{
    if (reader && reader->close) reader->close(reader);
}

// =============================================================================
// names
// =============================================================================

static char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool MdlNamesEqualIgnoringCase(const char* a, const char* b)
{
    if (!a || !b) return false;
    while (*a && LowerAscii(*a) == LowerAscii(*b)) ++a, ++b;
    return *a == *b;
}
