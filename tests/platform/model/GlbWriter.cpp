#include "GlbWriter.h"

#include <cstdio>
#include <cstring>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb/stb_image_write.h>

// =============================================================================
// documents and the container
// =============================================================================

static void Pad(std::vector<uint8_t>* bytes, uint8_t with)
{
    while (bytes->size() % 4) bytes->push_back(with);
}

int GlbAddAccessor(GlbDocument* document, const void* data, size_t bytes, int componentType, const char* type,
                   size_t count)
{
    Pad(&document->bin, 0);
    size_t offset = document->bin.size();
    const uint8_t* from = static_cast<const uint8_t*>(data);
    document->bin.insert(document->bin.end(), from, from + bytes);
    char text[256];
    snprintf(text, sizeof text, "{\"buffer\":0,\"byteOffset\":%zu,\"byteLength\":%zu}", offset, bytes);
    document->views.push_back(text);
    snprintf(text, sizeof text, "{\"bufferView\":%zu,\"componentType\":%d,\"count\":%zu,\"type\":\"%s\"}",
             document->views.size() - 1, componentType, count, type);
    document->accessors.push_back(text);
    return int(document->accessors.size() - 1);
}

static size_t ComponentsOf(const std::string& type)
{
    if (type == "SCALAR") return 1;
    if (type == "VEC2") return 2;
    if (type == "VEC3") return 3;
    if (type == "VEC4") return 4;
    return 16;
}

int GlbAddFloats(GlbDocument* document, const std::vector<float>& values, const char* type)
{
    return GlbAddAccessor(document, values.data(), values.size() * 4, 5126, type, values.size() / ComponentsOf(type));
}

int GlbAddIndices(GlbDocument* document, const std::vector<uint16_t>& indices)
{
    return GlbAddAccessor(document, indices.data(), indices.size() * 2, 5123, "SCALAR", indices.size());
}

int GlbAddJoints(GlbDocument* document, const std::vector<uint8_t>& joints)
{
    return GlbAddAccessor(document, joints.data(), joints.size(), 5121, "VEC4", joints.size() / 4);
}

static std::string JoinArray(const char* key, const std::vector<std::string>& items)
{
    if (items.empty()) return "";
    std::string text = std::string(",\"") + key + "\":[";
    for (size_t i = 0; i < items.size(); ++i) text += (i ? "," : "") + items[i];
    return text + "]";
}

static void AppendBytes(void* context, void* data, int size)
{
    auto* bytes = static_cast<std::vector<uint8_t>*>(context);
    bytes->insert(bytes->end(), static_cast<uint8_t*>(data), static_cast<uint8_t*>(data) + size);
}

int GlbAddPngTexture(GlbDocument* document, int width, int height, const std::vector<uint8_t>& rgba)
{
    std::vector<uint8_t> png;
    stbi_write_png_to_func(AppendBytes, &png, width, height, 4, rgba.data(), width * 4);
    while (document->bin.size() % 4) document->bin.push_back(0);
    document->views.push_back("{\"buffer\":0,\"byteOffset\":" + std::to_string(document->bin.size()) +
                              ",\"byteLength\":" + std::to_string(png.size()) + "}");
    document->bin.insert(document->bin.end(), png.begin(), png.end());
    document->images.push_back("{\"bufferView\":" + std::to_string(document->views.size() - 1) +
                               ",\"mimeType\":\"image/png\"}");
    document->textures.push_back("{\"source\":" + std::to_string(document->images.size() - 1) + "}");
    return int(document->textures.size() - 1);
}

std::string GlbJson(const GlbDocument& document)
{
    std::string json = "{\"asset\":{\"version\":\"2.0\"}";
    if (!document.bin.empty()) json += ",\"buffers\":[{\"byteLength\":" + std::to_string(document.bin.size()) + "}]";
    json += JoinArray("bufferViews", document.views) + JoinArray("accessors", document.accessors);
    json += JoinArray("nodes", document.nodes) + JoinArray("meshes", document.meshes);
    json += JoinArray("skins", document.skins) + JoinArray("animations", document.animations);
    json += JoinArray("materials", document.materials) + JoinArray("textures", document.textures);
    json += JoinArray("images", document.images);
    if (document.withScene) {
        std::string roots;
        for (size_t i = 0; i < document.sceneRoots.size(); ++i) roots += (i ? "," : "") + std::to_string(document.sceneRoots[i]);
        json += ",\"scene\":0,\"scenes\":[{\"nodes\":[" + roots + "]}]";
    }
    return json + document.extraTopLevel + "}";
}

static void PutU32(std::vector<uint8_t>* bytes, uint32_t value)
{
    for (int i = 0; i < 4; ++i) bytes->push_back(uint8_t(value >> (8 * i)));
}

std::vector<uint8_t> GlbPack(const std::string& json, const std::vector<uint8_t>& bin)
{
    std::vector<uint8_t> jsonBytes(json.begin(), json.end()), binBytes = bin;
    Pad(&jsonBytes, ' ');
    Pad(&binBytes, 0);
    std::vector<uint8_t> out;
    size_t total = 12 + 8 + jsonBytes.size() + (binBytes.empty() ? 0 : 8 + binBytes.size());
    PutU32(&out, 0x46546C67);
    PutU32(&out, 2);
    PutU32(&out, uint32_t(total));
    PutU32(&out, uint32_t(jsonBytes.size()));
    PutU32(&out, 0x4E4F534A);
    out.insert(out.end(), jsonBytes.begin(), jsonBytes.end());
    if (!binBytes.empty()) {
        PutU32(&out, uint32_t(binBytes.size()));
        PutU32(&out, 0x004E4942);
        out.insert(out.end(), binBytes.begin(), binBytes.end());
    }
    return out;
}

std::vector<uint8_t> GlbBuild(const GlbDocument& document) { return GlbPack(GlbJson(document), document.bin); }

// =============================================================================
// the rig
// =============================================================================

const std::vector<RigBone>& RigBones()
{
    static const std::vector<RigBone> bones = {
        {"Root", -1, {0, 0, 0}}, {"Spine", 0, {0, 1, 0}}, {"Head", 1, {0, 1, 0}}, {"Tail", 0, {0, 0, -1}}};
    return bones;
}

static std::string NodeJson(const char* name, const float* translation, const std::vector<int>& children,
                            const char* extra)
{
    char text[256];
    snprintf(text, sizeof text, "{\"name\":\"%s\",\"translation\":[%g,%g,%g]", name, translation[0], translation[1],
             translation[2]);
    std::string json = text;
    if (!children.empty()) {
        json += ",\"children\":[";
        for (size_t i = 0; i < children.size(); ++i) json += (i ? "," : "") + std::to_string(children[i]);
        json += "]";
    }
    return json + extra + "}";
}

// Nodes 0-3 are the bones; the caller adds more after them.
static void AddRigNodes(GlbDocument* document, const std::vector<std::vector<int>>& extraChildren,
                        const std::vector<std::string>& extras)
{
    const std::vector<RigBone>& bones = RigBones();
    std::vector<std::vector<int>> children(bones.size());
    for (size_t b = 0; b < bones.size(); ++b)
        if (bones[b].parent >= 0) children[size_t(bones[b].parent)].push_back(int(b));
    for (size_t b = 0; b < bones.size(); ++b)
        children[b].insert(children[b].end(), extraChildren[b].begin(), extraChildren[b].end());
    for (size_t b = 0; b < bones.size(); ++b)
        document->nodes.push_back(NodeJson(bones[b].name, bones[b].translation, children[b], extras[b].c_str()));
    document->sceneRoots.push_back(0);
}

static std::string BodyMesh(GlbDocument* document)
{
    std::vector<float> positions = {0, 0.5f, 0, 0, 1.5f, 0, 0, 2.5f, 0, 1, 1, 0};
    std::vector<float> normals = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    std::vector<float> uvs = {0, 0, 0, 0.5f, 0, 1, 1, 0.5f};
    std::vector<uint8_t> joints = {0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 0, 1, 0, 0};
    std::vector<float> weights = {1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0.5f, 0.5f, 0, 0};
    std::vector<uint16_t> indices = {0, 3, 1, 1, 3, 2};
    int p = GlbAddFloats(document, positions, "VEC3"), n = GlbAddFloats(document, normals, "VEC3");
    int t = GlbAddFloats(document, uvs, "VEC2"), j = GlbAddJoints(document, joints);
    int w = GlbAddFloats(document, weights, "VEC4"), i = GlbAddIndices(document, indices);
    char text[256];
    snprintf(text, sizeof text,
             "{\"name\":\"Body\",\"primitives\":[{\"attributes\":{\"POSITION\":%d,\"NORMAL\":%d,\"TEXCOORD_0\":%d,"
             "\"JOINTS_0\":%d,\"WEIGHTS_0\":%d},\"indices\":%d,\"material\":0}]}",
             p, n, t, j, w, i);
    return text;
}

static std::string CollarMesh(GlbDocument* document)
{
    int p = GlbAddFloats(document, {0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    return "{\"name\":\"Collar\",\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(p) + "}}]}";
}

// Inverse binds of the rest pose: pure translations by minus each bone's
// model-space position, stored column by column.
static int AddInverseBinds(GlbDocument* document)
{
    const float world[4][3] = {{0, 0, 0}, {0, 1, 0}, {0, 2, 0}, {0, 0, -1}};
    std::vector<float> matrices;
    for (const auto& position : world) {
        float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, -position[0], -position[1], -position[2], 1};
        matrices.insert(matrices.end(), m, m + 16);
    }
    return GlbAddFloats(document, matrices, "MAT4");
}

static std::string AnimationJson(GlbDocument* document, const std::vector<RigTrack>& tracks, const char* name)
{
    std::string channels, samplers;
    for (size_t i = 0; i < tracks.size(); ++i) {
        int node = -1;
        for (size_t b = 0; b < RigBones().size(); ++b)
            if (tracks[i].bone == RigBones()[b].name) node = int(b);
        int input = GlbAddFloats(document, tracks[i].times, "SCALAR");
        int output = GlbAddFloats(document, tracks[i].values, tracks[i].path == "rotation" ? "VEC4" : "VEC3");
        channels += (i ? "," : "") + std::string("{\"sampler\":") + std::to_string(i) + ",\"target\":{\"node\":" +
                    std::to_string(node) + ",\"path\":\"" + tracks[i].path + "\"}}";
        samplers += (i ? "," : "") + std::string("{\"input\":") + std::to_string(input) +
                    ",\"output\":" + std::to_string(output) + ",\"interpolation\":\"" + tracks[i].interpolation + "\"}";
    }
    return std::string("{\"name\":\"") + name + "\",\"channels\":[" + channels + "],\"samplers\":[" + samplers + "]}";
}

GlbDocument RigModelDocument(const std::vector<RigTrack>& tracks)
{
    GlbDocument document;
    // Node 4 shows the skinned body (its own transform is ignored by
    // skinning); node 5 carries the rigid collar under Spine.
    AddRigNodes(&document, {{4}, {5}, {}, {}}, {"", "", "", ""});
    float origin[3] = {0, 0, 0}, collar[3] = {0, 0.5f, 0};
    document.nodes.push_back(NodeJson("BodyNode", origin, {}, ",\"mesh\":0,\"skin\":0"));
    document.nodes.push_back(NodeJson("CollarNode", collar, {}, ",\"mesh\":1"));
    document.meshes.push_back(BodyMesh(&document));
    document.meshes.push_back(CollarMesh(&document));
    document.skins.push_back("{\"joints\":[0,1,2,3],\"inverseBindMatrices\":" + std::to_string(AddInverseBinds(&document)) + "}");
    if (!tracks.empty()) document.animations.push_back(AnimationJson(&document, tracks, "anim"));
    const float* fur = RigFurColor();
    char material[160];
    snprintf(material, sizeof material,
             "{\"name\":\"Fur\",\"pbrMetallicRoughness\":{\"baseColorFactor\":[%g,%g,%g,%g],"
             "\"baseColorTexture\":{\"index\":%d}}}",
             fur[0], fur[1], fur[2], fur[3], GlbAddPngTexture(&document, 2, 2, RigFurPixels()));
    document.materials.push_back(material);
    return document;
}

const std::vector<uint8_t>& RigFurPixels()
{
    static const std::vector<uint8_t> pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 128};
    return pixels;
}

const float* RigFurColor()
{
    static const float color[4] = {0.5f, 0.75f, 1, 1};
    return color;
}

std::vector<uint8_t> RigModelGlb() { return GlbBuild(RigModelDocument()); }

std::vector<uint8_t> RigAnimationGlb(const std::vector<RigTrack>& tracks, const char* name)
{
    GlbDocument document;
    AddRigNodes(&document, {{}, {}, {}, {}}, {"", "", "", ""});
    document.animations.push_back(AnimationJson(&document, tracks, name));
    return GlbBuild(document);
}
