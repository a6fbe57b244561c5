// The one unit that includes the glTF parser.  It parses a .glb whose
// container GlbContainer.cpp has already checked and copies what the
// runtime uses into a GltfDocument.  No file system and no image decoding
// here: a .glb must carry its buffers inside, and ImageImport.cpp decodes
// the embedded images after checking their views like any other.
#define TINYGLTF_IMPLEMENTATION
#define TINYGLTF_NO_STB_IMAGE
#define TINYGLTF_NO_STB_IMAGE_WRITE
#define TINYGLTF_NO_EXTERNAL_IMAGE
#define TINYGLTF_NO_FS
#include <fstream>   // the parser's writer needs it even when unused
#include <tiny_gltf.h>

#include "platform/model/GlbContainer.h"
#include "platform/model/GltfDocument.h"
#include "platform/model/ModelData.h"

// =============================================================================
// callbacks that keep the parser inside the bytes it was given
// =============================================================================

static bool RefuseFileExists(const std::string&, void*) { return false; }
static std::string KeepPath(const std::string& path, void*) { return path; }

static bool RefuseRead(std::vector<unsigned char>*, std::string* err, const std::string& path, void*)
{
    if (err) *err = "external file \"" + path + "\" refused: a .glb must be self-contained";
    return false;
}

static bool RefuseWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

static bool SkipImage(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int,
                      void*)
{
    return true;
}

// =============================================================================
// copying into the document
// =============================================================================

static void CopyBuffers(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Buffer& buffer : model.buffers)
        document->buffers.push_back({buffer.data.data(), buffer.data.size()});
    for (const tinygltf::BufferView& view : model.bufferViews)
        document->views.push_back({view.buffer, view.byteOffset, view.byteLength, view.byteStride});
}

template <size_t N>
static void CopyVector(const std::vector<double>& from, double (&to)[N]);

static void CopyMaterials(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Material& from : model.materials) {
        GltfMaterial material;
        CopyVector(from.pbrMetallicRoughness.baseColorFactor, material.baseColor);
        material.baseColorTexture = from.pbrMetallicRoughness.baseColorTexture.index;
        document->materials.push_back(material);
    }
    for (const tinygltf::Texture& texture : model.textures) document->textureSources.push_back(texture.source);
    for (const tinygltf::Image& image : model.images) document->images.push_back({image.bufferView, image.mimeType});
}

static int ComponentsOf(int type)
{
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;   // matrices of other sizes are no use to us
    }
}

static void CopyAccessors(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Accessor& accessor : model.accessors) {
        document->accessors.push_back({accessor.bufferView, accessor.byteOffset, accessor.componentType,
                                       accessor.normalized, accessor.count, ComponentsOf(accessor.type),
                                       accessor.sparse.isSparse});
    }
}

// A vector of the wrong length leaves the default in place and marks the
// node bad by a NaN, which the importer refuses with the others.
template <size_t N>
static void CopyVector(const std::vector<double>& from, double (&to)[N])
{
    if (from.empty()) return;
    for (size_t i = 0; i < N; ++i) to[i] = from.size() == N ? from[i] : NAN;
}

static void CopyNodes(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Node& from : model.nodes) {
        GltfNode node;
        node.name = from.name;
        node.children = from.children;
        node.mesh = from.mesh;
        node.skin = from.skin;
        node.hasMatrix = !from.matrix.empty();
        CopyVector(from.matrix, node.matrix);
        CopyVector(from.translation, node.translation);
        CopyVector(from.rotation, node.rotation);
        CopyVector(from.scale, node.scale);
        document->nodes.push_back(std::move(node));
    }
}

static int AttributeOf(const tinygltf::Primitive& primitive, const char* name)
{
    auto found = primitive.attributes.find(name);
    return found == primitive.attributes.end() ? -1 : found->second;
}

static void CopyMeshes(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Mesh& from : model.meshes) {
        GltfMesh mesh;
        mesh.name = from.name;
        for (const tinygltf::Primitive& primitive : from.primitives) {
            GltfPrimitive copy;
            copy.mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
            copy.indices = primitive.indices;
            copy.material = primitive.material;
            copy.position = AttributeOf(primitive, "POSITION");
            copy.normal = AttributeOf(primitive, "NORMAL");
            copy.texcoord = AttributeOf(primitive, "TEXCOORD_0");
            copy.joints = AttributeOf(primitive, "JOINTS_0");
            copy.weights = AttributeOf(primitive, "WEIGHTS_0");
            mesh.primitives.push_back(copy);
        }
        document->meshes.push_back(std::move(mesh));
    }
    for (const tinygltf::Skin& skin : model.skins) document->skins.push_back({skin.joints, skin.inverseBindMatrices});
}

static GltfPath PathOf(const std::string& path)
{
    if (path == "translation") return GLTF_PATH_TRANSLATION;
    if (path == "rotation") return GLTF_PATH_ROTATION;
    if (path == "scale") return GLTF_PATH_SCALE;
    return GLTF_PATH_OTHER;   // morph weights: not animated by this runtime
}

static int InterpolationOf(const std::string& name)
{
    if (name == "LINEAR") return MDL_INTERPOLATE_LINEAR;
    if (name == "STEP") return MDL_INTERPOLATE_STEP;
    if (name == "CUBICSPLINE") return MDL_INTERPOLATE_CUBIC;
    return -1;
}

static void CopyAnimations(const tinygltf::Model& model, GltfDocument* document)
{
    for (const tinygltf::Animation& from : model.animations) {
        GltfAnimation animation;
        animation.name = from.name;
        for (const tinygltf::AnimationChannel& channel : from.channels)
            animation.channels.push_back({channel.sampler, channel.target_node, PathOf(channel.target_path)});
        for (const tinygltf::AnimationSampler& sampler : from.samplers)
            animation.samplers.push_back({sampler.input, sampler.output, InterpolationOf(sampler.interpolation)});
        document->animations.push_back(std::move(animation));
    }
    for (const tinygltf::Scene& scene : model.scenes) document->scenes.push_back({scene.name, scene.nodes});
    document->defaultScene = model.defaultScene;
}

// =============================================================================
// parsing
// =============================================================================

static bool ParseModel(const uint8_t* glb, size_t size, tinygltf::Model* model, MdlResult* result)
{
    tinygltf::TinyGLTF parser;
    parser.SetFsCallbacks({RefuseFileExists, KeepPath, RefuseRead, RefuseWrite, nullptr});
    parser.SetImageLoader(SkipImage, nullptr);
    std::string error, warning;
    bool parsed = parser.LoadBinaryFromMemory(model, &error, &warning, glb, unsigned(size), "");
    if (!parsed) {
        if (error.size() > 120) error.resize(120);   // the parser's texts can quote half the file
        while (!error.empty() && (error.back() == '\n' || error.back() == ' ')) error.pop_back();
        MdlFail(result, MDL_BAD_FILE, "glTF parse failed: %s", error.empty() ? "no reason given" : error.c_str());
    }
    return parsed;
}

bool GltfParse(const uint8_t* glb, size_t size, GltfDocumentUser use, void* context, MdlResult* result)
{
    GlbChunks chunks;
    if (!GlbSplitChunks(glb, size, &chunks, result)) return false;
    if (!GlbCheckJsonDepth(chunks.json, chunks.jsonSize, MDL_MAX_JSON_DEPTH, result)) return false;
    try {   // the parser may throw (bad_alloc, JSON type errors); nothing past this line does
        tinygltf::Model model;
        if (!ParseModel(glb, chunks.totalSize, &model, result)) return false;
        GltfDocument document;
        CopyBuffers(model, &document);
        CopyAccessors(model, &document);
        CopyNodes(model, &document);
        CopyMeshes(model, &document);
        CopyMaterials(model, &document);
        CopyAnimations(model, &document);
        return use(document, context, result);
    } catch (const std::bad_alloc&) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory while parsing glTF");
    } catch (const std::exception& failure) {
        MdlFail(result, MDL_BAD_FILE, "glTF parse failed: %.120s", failure.what());
    }
    return false;
}
