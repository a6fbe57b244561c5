// Shared vocabulary of the model runtime: result codes, limits, the two
// value types every other header passes around (4x4 matrix and bone
// transform) and the host callbacks through which the runtime reaches the
// engine's allocator, file systems and error routine.
#pragma once
#include <cstddef>
#include <cstdint>

// Result codes are the engine's error codes, so a caller can hand them to
// its error routine unchanged.
enum MdlCode {
    MDL_OK = 0,
    MDL_OUT_OF_MEMORY = 1,
    MDL_OPEN_FAILED = 2,
    MDL_READ_FAILED = 5,
    MDL_BAD_FILE = 10,       // the bytes are not a model file we accept
    MDL_BAD_ARGUMENT = 16,
};

// Limits checked when a file is read; anything larger is refused as a bad
// file rather than trusted.
enum : int {
    MDL_MAX_BONES = 256,            // vertex influences index bones with one byte
    MDL_MAX_INFLUENCES = 4,
    MDL_MAX_MESH_VERTICES = 1 << 20,
    MDL_MAX_ELEMENTS = 1 << 24,     // any accessor: vertices, indices, keys
    MDL_MAX_VALUES_READ = 1 << 24,  // all accessor reads of one file: many primitives
                                    // may share one accessor, so a small file could
                                    // otherwise ask for gigabytes
    MDL_MAX_JSON_DEPTH = 64,        // deeper JSON is refused before parsing
    MDL_MAX_IMAGE_SIDE = 8192,      // embedded images: a tiny PNG may claim any size
};

// A failure described for a person: code plus one line of text.
struct MdlResult {
    int code;
    char message[200];
};
void MdlFail(MdlResult* result, int code, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// Row-major 4x4 matrix used with row vectors (p' = p * M): rows 0-2 are the
// x, y and z axes, row 3 the position, as the engine's placements are.
struct MdlMatrix4 {
    float m[16];
};

// Bone transform: scale, then rotation by the unit quaternion (x, y, z, w),
// then translation.
struct MdlTransform {
    float position[3];
    float orientation[4];
    float scale[3];
};

// ---- host callbacks ---------------------------------------------------------

struct MdlFileReader;

// Reads up to `count` bytes at `offset` into `buffer`; returns the number
// read (0 at the end of the file, negative on a read error).
using MdlReadAtMostCallback = long (*)(MdlFileReader* reader, uint64_t offset, size_t count, void* buffer);
using MdlCloseFileReaderCallback = void (*)(MdlFileReader* reader);

// An open file as the host's opener hands it back.  The host usually embeds
// this record at the start of its own and frees that in `close`.
struct MdlFileReader {
    const char* sourceFile;   // where the reader was made, for leak reports
    int sourceLine;
    MdlReadAtMostCallback readAtMost;
    MdlCloseFileReaderCallback close;
};

struct MdlHost {
    void* user;
    // `sourceFile`/`sourceLine` tag each block with the runtime unit that
    // asked for it.  Blocks must be aligned to 16 bytes.
    void* (*allocate)(void* user, size_t size, const char* sourceFile, int sourceLine);
    void (*release)(void* user, void* block, const char* sourceFile, int sourceLine);
    // Opens `fileName` read-only; null when it cannot (the opener reports why).
    MdlFileReader* (*openFileReader)(void* user, const char* sourceFile, int sourceLine, const char* fileName);
    void (*reportError)(void* user, int code, const char* message);
};

// Installs the host; null restores malloc/free, stdio and stderr.  Members
// left null also fall back to those defaults.
void MdlSetHost(const MdlHost* host);
const MdlHost* MdlGetHost();
void MdlSetAllocator(void* (*allocate)(void*, size_t, const char*, int),
                     void (*release)(void*, void*, const char*, int));
void MdlSetDefaultFileReaderOpenCallback(MdlFileReader* (*openFileReader)(void*, const char*, int, const char*));

void MdlInitializeFileReader(const char* sourceFile, int sourceLine, MdlCloseFileReaderCallback close,
                             MdlReadAtMostCallback readAtMost, MdlFileReader* reader);
void MdlUnlinkFileReader(MdlFileReader* reader);
// Opens through the host's opener.
MdlFileReader* MdlOpenFileReader(const char* fileName);
void MdlCloseFileReader(MdlFileReader* reader);

// Hands a code and message to the host's error routine.
void MdlReportError(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
