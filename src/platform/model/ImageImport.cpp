// Materials and embedded images.  The image bytes are found through their
// buffer view, checked like an accessor's, and decoded by stb_image (PNG
// and JPEG only) into RGBA in the file's arena, so the engine gets pixels
// without a decoder of its own.
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
#include <stb/stb_image.h>

#include "platform/model/ModelImport.h"

bool MdlResolveMaterial(const GltfDocument& document, int material, float baseColor[4], int* image,
                        MdlResult* result)
{
    for (int i = 0; i < 4; ++i) baseColor[i] = 1;
    *image = -1;
    if (material < 0) return true;
    if (size_t(material) >= document.materials.size()) {
        MdlFail(result, MDL_BAD_FILE, "a primitive names material %d of %zu", material, document.materials.size());
        return false;
    }
    const GltfMaterial& from = document.materials[size_t(material)];
    for (int i = 0; i < 4; ++i) {
        baseColor[i] = float(from.baseColor[i]);
        if (!MdlIsFinite(baseColor[i])) {
            MdlFail(result, MDL_BAD_FILE, "material %d has a bad base colour", material);
            return false;
        }
    }
    int texture = from.baseColorTexture;
    if (texture < 0) return true;
    if (size_t(texture) >= document.textureSources.size()) {
        MdlFail(result, MDL_BAD_FILE, "material %d names texture %d of %zu", material, texture,
                document.textureSources.size());
        return false;
    }
    int source = document.textureSources[size_t(texture)];
    if (source < 0) return true;   // an extension's image: none we can use
    if (size_t(source) >= document.images.size()) {
        MdlFail(result, MDL_BAD_FILE, "texture %d names image %d of %zu", texture, source, document.images.size());
        return false;
    }
    *image = source;
    return true;
}

static bool LocateImage(const GltfDocument& document, size_t index, const uint8_t** bytes, size_t* size,
                        MdlResult* result)
{
    const GltfImage& image = document.images[index];
    if (image.bufferView < 0 || size_t(image.bufferView) >= document.views.size()) {
        MdlFail(result, MDL_BAD_FILE, "image %zu names buffer view %d of %zu (a .glb must embed its images)", index,
                image.bufferView, document.views.size());
        return false;
    }
    const GltfBufferView& view = document.views[size_t(image.bufferView)];
    if (view.buffer < 0 || size_t(view.buffer) >= document.buffers.size()) {
        MdlFail(result, MDL_BAD_FILE, "buffer view %d names buffer %d of %zu", image.bufferView, view.buffer,
                document.buffers.size());
        return false;
    }
    const GltfBuffer& buffer = document.buffers[size_t(view.buffer)];
    if (view.byteLength == 0 || view.byteLength > buffer.size || view.byteOffset > buffer.size - view.byteLength ||
        view.byteLength > 0x7fffffffu) {
        MdlFail(result, MDL_BAD_FILE, "image %zu: buffer view %d (%zu bytes at %zu) runs past its %zu-byte buffer",
                index, image.bufferView, view.byteLength, view.byteOffset, buffer.size);
        return false;
    }
    *bytes = buffer.data + view.byteOffset;
    *size = view.byteLength;
    return true;
}

static bool DecodeImage(const GltfDocument& document, size_t index, MdlArena* arena, MdlImage* out,
                        MdlResult* result)
{
    const uint8_t* bytes = nullptr;
    size_t size = 0;
    if (!LocateImage(document, index, &bytes, &size, result)) return false;
    int width = 0, height = 0, channels = 0;
    if (!stbi_info_from_memory(bytes, int(size), &width, &height, &channels)) {
        MdlFail(result, MDL_BAD_FILE, "image %zu (%.40s) is neither PNG nor JPEG: %s", index,
                document.images[index].mimeType.c_str(), stbi_failure_reason());
        return false;
    }
    if (width <= 0 || height <= 0 || width > MDL_MAX_IMAGE_SIDE || height > MDL_MAX_IMAGE_SIDE) {
        MdlFail(result, MDL_BAD_FILE, "image %zu is %dx%d (sides of 1 to %d allowed)", index, width, height,
                MDL_MAX_IMAGE_SIDE);
        return false;
    }
    stbi_uc* pixels = stbi_load_from_memory(bytes, int(size), &width, &height, &channels, 4);
    if (!pixels) {
        MdlFail(result, MDL_BAD_FILE, "image %zu cannot be decoded: %s", index, stbi_failure_reason());
        return false;
    }
    size_t pixelBytes = size_t(width) * size_t(height) * 4;
    uint8_t* copy = MdlArenaArray<uint8_t>(arena, pixelBytes);
    if (copy) memcpy(copy, pixels, pixelBytes);
    stbi_image_free(pixels);
    const char* mimeType = MdlArenaString(arena, document.images[index].mimeType.c_str());
    if (!copy || !mimeType) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for image %zu", index);
        return false;
    }
    *out = MdlImage{width, height, copy, mimeType};
    return true;
}

bool MdlImportImages(const GltfDocument& document, MdlArena* arena, const MdlImage** images, int* count,
                     MdlResult* result)
{
    *images = nullptr;
    *count = 0;
    if (document.images.empty()) return true;
    if (document.images.size() > 256) {
        MdlFail(result, MDL_BAD_FILE, "%zu images (256 allowed)", document.images.size());
        return false;
    }
    MdlImage* list = MdlArenaArray<MdlImage>(arena, document.images.size());
    if (!list) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for the image list");
        return false;
    }
    for (size_t i = 0; i < document.images.size(); ++i)
        if (!DecodeImage(document, i, arena, &list[i], result)) return false;
    *images = list;
    *count = int(document.images.size());
    return true;
}
