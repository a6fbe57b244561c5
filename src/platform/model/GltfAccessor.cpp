// Accessor reads.  Sizes are computed in 64 bits from values already
// bounded (count by MDL_MAX_ELEMENTS, stride by 252), so no sum overflows.
#include <cstring>

#include "platform/model/GltfAccessor.h"
#include "platform/model/ModelInternal.h"

struct AccessorSpan {
    const uint8_t* first;   // first element
    size_t stride;
    size_t count;
    int componentType;
    size_t componentSize;
};

static size_t ComponentSize(int componentType)
{
    switch (componentType) {
    case GLTF_BYTE:
    case GLTF_UNSIGNED_BYTE: return 1;
    case GLTF_SHORT:
    case GLTF_UNSIGNED_SHORT: return 2;
    case GLTF_UNSIGNED_INT:
    case GLTF_FLOAT: return 4;
    default: return 0;
    }
}

static bool CheckAccessorShape(const GltfAccessor& accessor, int components, int index, const char* what,
                               MdlResult* result)
{
    if (accessor.sparse) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d is sparse, which is not supported", what, index);
        return false;
    }
    if (accessor.components != components) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d has %d components, expected %d", what, index,
                accessor.components, components);
        return false;
    }
    if (ComponentSize(accessor.componentType) == 0) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d has unknown component type %d", what, index,
                accessor.componentType);
        return false;
    }
    if (accessor.count == 0 || accessor.count > size_t(MDL_MAX_ELEMENTS)) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d has %zu elements (1 to %d allowed)", what, index,
                accessor.count, MDL_MAX_ELEMENTS);
        return false;
    }
    return true;
}

static bool CheckView(const GltfDocument& document, const GltfAccessor& accessor, int index, const char* what,
                      MdlResult* result)
{
    if (accessor.bufferView < 0 || size_t(accessor.bufferView) >= document.views.size()) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d names buffer view %d of %zu", what, index,
                accessor.bufferView, document.views.size());
        return false;
    }
    const GltfBufferView& view = document.views[size_t(accessor.bufferView)];
    if (view.buffer < 0 || size_t(view.buffer) >= document.buffers.size()) {
        MdlFail(result, MDL_BAD_FILE, "buffer view %d names buffer %d of %zu", accessor.bufferView, view.buffer,
                document.buffers.size());
        return false;
    }
    const GltfBuffer& buffer = document.buffers[size_t(view.buffer)];
    if (view.byteLength > buffer.size || view.byteOffset > buffer.size - view.byteLength) {
        MdlFail(result, MDL_BAD_FILE, "buffer view %d (%zu bytes at %zu) runs past its %zu-byte buffer",
                accessor.bufferView, view.byteLength, view.byteOffset, buffer.size);
        return false;
    }
    return true;
}

static bool LocateElements(const GltfDocument& document, int index, int components, const char* what,
                           AccessorSpan* span, MdlResult* result)
{
    if (index < 0 || size_t(index) >= document.accessors.size()) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d does not exist (%zu accessors)", what, index,
                document.accessors.size());
        return false;
    }
    const GltfAccessor& accessor = document.accessors[size_t(index)];
    if (!CheckAccessorShape(accessor, components, index, what, result)) return false;
    if (!CheckView(document, accessor, index, what, result)) return false;
    const GltfBufferView& view = document.views[size_t(accessor.bufferView)];
    size_t componentSize = ComponentSize(accessor.componentType);
    size_t elementSize = componentSize * size_t(components);
    size_t stride = view.byteStride ? view.byteStride : elementSize;
    if (stride < elementSize || stride > 252) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d: stride %zu does not fit %zu-byte elements", what, index,
                stride, elementSize);
        return false;
    }
    uint64_t needed = uint64_t(stride) * (accessor.count - 1) + elementSize;
    if (accessor.byteOffset > view.byteLength || needed > view.byteLength - accessor.byteOffset) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d reads past the end of buffer view %d", what, index,
                accessor.bufferView);
        return false;
    }
    size_t values = accessor.count * size_t(components);
    if (values > size_t(MDL_MAX_VALUES_READ) - document.valuesRead) {
        MdlFail(result, MDL_BAD_FILE, "file reads more than %d values from its accessors", MDL_MAX_VALUES_READ);
        return false;
    }
    document.valuesRead += values;
    const GltfBuffer& buffer = document.buffers[size_t(view.buffer)];
    *span = {buffer.data + view.byteOffset + accessor.byteOffset, stride, accessor.count, accessor.componentType,
             componentSize};
    return true;
}

static float ReadComponentAsFloat(const uint8_t* at, int componentType, bool normalize)
{
    switch (componentType) {
    case GLTF_FLOAT: { float v; memcpy(&v, at, 4); return v; }
    case GLTF_BYTE: { int8_t v; memcpy(&v, at, 1); return normalize ? (v < -127 ? -1.0f : v / 127.0f) : v; }
    case GLTF_UNSIGNED_BYTE: return normalize ? at[0] / 255.0f : at[0];
    case GLTF_SHORT: { int16_t v; memcpy(&v, at, 2); return normalize ? (v < -32767 ? -1.0f : v / 32767.0f) : v; }
    case GLTF_UNSIGNED_SHORT: { uint16_t v; memcpy(&v, at, 2); return normalize ? v / 65535.0f : v; }
    default: { uint32_t v; memcpy(&v, at, 4); return normalize ? float(v / 4294967295.0) : float(v); }
    }
}

bool GltfReadFloats(const GltfDocument& document, int accessor, int components, bool allowNormalized,
                    std::vector<float>* values, const char* what, MdlResult* result)
{
    AccessorSpan span;
    if (!LocateElements(document, accessor, components, what, &span, result)) return false;
    bool normalized = document.accessors[size_t(accessor)].normalized;
    if (span.componentType != GLTF_FLOAT && !(allowNormalized && normalized)) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d must hold floats%s", what, accessor,
                allowNormalized ? " or normalised integers" : "");
        return false;
    }
    values->resize(span.count * size_t(components));
    for (size_t element = 0; element < span.count; ++element) {
        const uint8_t* at = span.first + element * span.stride;
        for (int c = 0; c < components; ++c) {
            float value = ReadComponentAsFloat(at + size_t(c) * span.componentSize, span.componentType, true);
            if (!MdlIsFinite(value)) {
                MdlFail(result, MDL_BAD_FILE, "%s accessor %d holds a value that is not finite", what, accessor);
                return false;
            }
            (*values)[element * size_t(components) + size_t(c)] = value;
        }
    }
    return true;
}

bool GltfReadUnsigned(const GltfDocument& document, int accessor, int components, std::vector<uint32_t>* values,
                      const char* what, MdlResult* result)
{
    AccessorSpan span;
    if (!LocateElements(document, accessor, components, what, &span, result)) return false;
    int type = span.componentType;
    if (type != GLTF_UNSIGNED_BYTE && type != GLTF_UNSIGNED_SHORT && type != GLTF_UNSIGNED_INT) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d must hold unsigned integers", what, accessor);
        return false;
    }
    values->resize(span.count * size_t(components));
    for (size_t element = 0; element < span.count; ++element) {
        const uint8_t* at = span.first + element * span.stride;
        for (int c = 0; c < components; ++c) {
            const uint8_t* component = at + size_t(c) * span.componentSize;
            uint32_t value = component[0];
            if (type == GLTF_UNSIGNED_SHORT) { uint16_t v; memcpy(&v, component, 2); value = v; }
            if (type == GLTF_UNSIGNED_INT) memcpy(&value, component, 4);
            (*values)[element * size_t(components) + size_t(c)] = value;
        }
    }
    return true;
}

size_t GltfAccessorCount(const GltfDocument& document, int accessor)
{
    if (accessor < 0 || size_t(accessor) >= document.accessors.size()) return 0;
    return document.accessors[size_t(accessor)].count;
}
