// A glTF document reduced to the parts the runtime uses, in plain types,
// so that only GltfReader.cpp sees the parser.  Indices are as in the file
// and not yet checked; the importers check every one before use.
#pragma once
#include <string>
#include <vector>

#include "platform/model/ModelBase.h"

struct GltfBuffer {
    const uint8_t* data;
    size_t size;
};

struct GltfBufferView {
    int buffer;
    size_t byteOffset;
    size_t byteLength;
    size_t byteStride;   // 0: tightly packed
};

enum GltfComponent {
    GLTF_BYTE = 5120,
    GLTF_UNSIGNED_BYTE = 5121,
    GLTF_SHORT = 5122,
    GLTF_UNSIGNED_SHORT = 5123,
    GLTF_UNSIGNED_INT = 5125,
    GLTF_FLOAT = 5126,
};

struct GltfAccessor {
    int bufferView;
    size_t byteOffset;
    int componentType;
    bool normalized;
    size_t count;
    int components;      // 1 scalar, 2-4 vectors, 16 for a 4x4 matrix; 0 unknown
    bool sparse;
};

struct GltfNode {
    std::string name;
    std::vector<int> children;
    int mesh = -1;
    int skin = -1;
    bool hasMatrix = false;
    double matrix[16] = {};
    double translation[3] = {0, 0, 0};
    double rotation[4] = {0, 0, 0, 1};
    double scale[3] = {1, 1, 1};
};

struct GltfPrimitive {
    int mode = 4;          // 4 = triangles
    int indices = -1;
    int material = -1;
    int position = -1;
    int normal = -1;
    int texcoord = -1;
    int joints = -1;
    int weights = -1;
};

struct GltfMesh {
    std::string name;
    std::vector<GltfPrimitive> primitives;
};

struct GltfSkin {
    std::vector<int> joints;
    int inverseBindMatrices = -1;
};

enum GltfPath { GLTF_PATH_OTHER, GLTF_PATH_TRANSLATION, GLTF_PATH_ROTATION, GLTF_PATH_SCALE };

struct GltfChannel {
    int sampler;
    int node;
    GltfPath path;
};

struct GltfSampler {
    int input;
    int output;
    int interpolation;     // MdlInterpolation; -1 unknown
};

struct GltfAnimation {
    std::string name;
    std::vector<GltfChannel> channels;
    std::vector<GltfSampler> samplers;
};

struct GltfScene {
    std::string name;
    std::vector<int> nodes;
};

struct GltfMaterial {
    double baseColor[4] = {1, 1, 1, 1};
    int baseColorTexture = -1;   // index into textures
};

struct GltfImage {
    int bufferView = -1;         // -1: an external or data URI, which a .glb may not use
    std::string mimeType;
};

struct GltfDocument {
    std::vector<GltfBuffer> buffers;
    std::vector<GltfMaterial> materials;
    std::vector<int> textureSources;   // image of each texture, -1 when none
    std::vector<GltfImage> images;
    std::vector<GltfBufferView> views;
    std::vector<GltfAccessor> accessors;
    std::vector<GltfNode> nodes;
    std::vector<GltfMesh> meshes;
    std::vector<GltfSkin> skins;
    std::vector<GltfAnimation> animations;
    std::vector<GltfScene> scenes;
    int defaultScene = -1;
    mutable size_t valuesRead = 0;   // counted against MDL_MAX_VALUES_READ
};

// Parses the chunks of a checked .glb and calls `use` with the document
// while the parser's storage (which the buffers point into) is alive.
using GltfDocumentUser = bool (*)(const GltfDocument& document, void* context, MdlResult* result);
bool GltfParse(const uint8_t* glb, size_t size, GltfDocumentUser use, void* context, MdlResult* result);
