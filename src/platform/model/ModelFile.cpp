// Reading files: from memory or through the host's opener, into one arena.
#include "platform/model/ModelImport.h"

static const float kGltfRight[3] = {-1, 0, 0};   // the front of a glTF asset faces +Z
static const float kGltfUp[3] = {0, 1, 0};
static const float kGltfBack[3] = {0, 0, -1};

static bool FillInfo(MdlFile* file, MdlResult* result)
{
    MdlFileInfo& info = file->info;
    info.unitsPerMeter = 1;
    memcpy(info.right, kGltfRight, sizeof info.right);
    memcpy(info.up, kGltfUp, sizeof info.up);
    memcpy(info.back, kGltfBack, sizeof info.back);
    const MdlModel** models = MdlArenaArray<const MdlModel*>(&file->arena, 1);
    const MdlAnimation** animations = MdlArenaArray<const MdlAnimation*>(&file->arena, 1);
    if (!models || !animations) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for the file record");
        return false;
    }
    models[0] = file->model;
    animations[0] = file->animation;
    info.modelCount = file->model ? 1 : 0;
    info.models = models;
    info.animationCount = file->animation ? 1 : 0;
    info.animations = animations;
    return true;
}

static bool ImportDocument(const GltfDocument& document, void* context, MdlResult* result)
{
    MdlFile* file = static_cast<MdlFile*>(context);
    std::vector<std::string> names = GltfUniqueNodeNames(document);
    if (!MdlImportModel(document, names, &file->arena, &file->model, result)) return false;
    if (!MdlImportAnimation(document, names, &file->arena, &file->animation, result)) return false;
    if (file->model && !MdlImportImages(document, &file->arena, &file->info.images, &file->info.imageCount, result))
        return false;
    if (!file->model && !file->animation) {
        MdlFail(result, MDL_BAD_FILE, "file holds neither a mesh nor an animation");
        return false;
    }
    return FillInfo(file, result);
}

int MdlLoadFileFromMemory(const void* bytes, size_t size, MdlFile** file, MdlResult* result)
{
    MdlResult scratch;
    if (!result) result = &scratch;
    *result = MdlResult{};
    if (!file) {
        MdlFail(result, MDL_BAD_ARGUMENT, "no place to put the file");
        return result->code;
    }
    *file = nullptr;
    if (!bytes || size == 0 || size > 0x7fffffffu) {   // the parser counts in 32 bits
        MdlFail(result, MDL_BAD_ARGUMENT, "model file of %zu bytes cannot be read", size);
        return result->code;
    }
    MdlFile* made = MDL_NEW(MdlFile);
    if (!made) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for the file record");
        return result->code;
    }
    if (!GltfParse(static_cast<const uint8_t*>(bytes), size, ImportDocument, made, result)) {
        if (result->code == MDL_OK) MdlFail(result, MDL_BAD_FILE, "file refused");
        MdlFreeFile(made);
        return result->code;
    }
    *file = made;
    return MDL_OK;
}

MdlFile* MdlReadEntireFileFromMemory(int size, const void* bytes)
{
    MdlFile* file = nullptr;
    MdlResult result;
    if (MdlLoadFileFromMemory(bytes, size < 0 ? 0 : size_t(size), &file, &result) != MDL_OK)
        MdlReportError(result.code, "%s", result.message);
    return file;
}

// The host allocator has no resize, so growing copies.
static uint8_t* Grow(uint8_t* buffer, size_t used, size_t capacity)
{
    uint8_t* bigger = static_cast<uint8_t*>(MDL_ALLOCATE(capacity));
    if (bigger && used) memcpy(bigger, buffer, used);
    MDL_RELEASE(buffer);
    return bigger;
}

// Reads in doubling steps: readers report the end by a short read rather
// than a length.
static bool ReadAll(MdlFileReader* reader, const char* fileName, uint8_t** bytes, size_t* size)
{
    size_t capacity = 64 * 1024, used = 0;
    uint8_t* buffer = static_cast<uint8_t*>(MDL_ALLOCATE(capacity));
    while (buffer && reader->readAtMost) {
        if (used == capacity) {
            if (capacity >= 0x40000000u) break;   // over a gigabyte is no model file
            capacity *= 2;
            buffer = Grow(buffer, used, capacity);
            if (!buffer) break;
        }
        long got = reader->readAtMost(reader, used, capacity - used, buffer + used);
        if (got < 0 || size_t(got) > capacity - used) break;
        if (got == 0) {
            *bytes = buffer, *size = used;
            return true;
        }
        used += size_t(got);
    }
    MDL_RELEASE(buffer);
    MdlReportError(MDL_READ_FAILED, "Failed to read %s", fileName);
    return false;
}

MdlFile* MdlReadEntireFile(const char* fileName)
{
    MdlFileReader* reader = MdlOpenFileReader(fileName);
    if (!reader) return nullptr;
    uint8_t* bytes = nullptr;
    size_t size = 0;
    bool read = ReadAll(reader, fileName, &bytes, &size);
    MdlCloseFileReader(reader);
    if (!read) return nullptr;
    MdlFile* file = nullptr;
    MdlResult result;
    if (MdlLoadFileFromMemory(bytes, size, &file, &result) != MDL_OK)
        MdlReportError(result.code, "%s: %s", fileName, result.message);
    MDL_RELEASE(bytes);
    return file;
}

void MdlFreeFile(MdlFile* file)
{
    if (!file) return;
    MdlArenaRelease(&file->arena);
    MDL_RELEASE(file);
}

const MdlFileInfo* MdlGetFileInfo(const MdlFile* file) { return file ? &file->info : nullptr; }

const MdlImage* MdlGetFileImage(const MdlFile* file, int index)
{
    if (!file || index < 0 || index >= file->info.imageCount) return nullptr;
    return &file->info.images[index];
}
