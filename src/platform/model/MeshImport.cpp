// Models from the glTF scene: the skeleton, the skins' bind matrices and
// one mesh per node that shows a mesh.  A skinned node's mesh follows its
// skin's joints; any other mesh is rigid and follows its own node, with its
// vertices moved into model space at bind so that the bone's composite
// matrix places it like a skinned one.
#include <cmath>

#include "platform/model/GltfAccessor.h"
#include "platform/model/ModelImport.h"
#include "platform/model/ModelMath.h"

namespace {

struct MeshBuild {
    std::vector<MdlSkinnedVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<MdlTriangleGroup> groups;
};

struct Attributes {
    std::vector<float> positions, normals, uvs, weights;
    std::vector<uint32_t> joints, indices;
    size_t vertexCount = 0;
};

}  // namespace

// =============================================================================
// skins
// =============================================================================

// Bones of the skin's joints; also installs its bind matrices on bones
// that no earlier skin has set.
static bool ImportSkin(const GltfDocument& document, int skinIndex, const SceneSkeleton& scene,
                       std::vector<bool>* bindSet, std::vector<int>* jointBones, MdlResult* result)
{
    if (skinIndex < 0 || size_t(skinIndex) >= document.skins.size()) {
        MdlFail(result, MDL_BAD_FILE, "skin %d does not exist", skinIndex);
        return false;
    }
    const GltfSkin& skin = document.skins[size_t(skinIndex)];
    if (skin.joints.empty() || skin.joints.size() > size_t(MDL_MAX_BONES)) {
        MdlFail(result, MDL_BAD_FILE, "skin %d has %zu joints (1 to %d allowed)", skinIndex, skin.joints.size(),
                MDL_MAX_BONES);
        return false;
    }
    jointBones->clear();
    for (int node : skin.joints) {
        int bone = (node >= 0 && size_t(node) < scene.nodeBones.size()) ? scene.nodeBones[size_t(node)] : -1;
        if (bone < 0) {
            MdlFail(result, MDL_BAD_FILE, "skin %d joint node %d is not in the scene", skinIndex, node);
            return false;
        }
        jointBones->push_back(bone);
    }
    if (skin.inverseBindMatrices < 0) return true;   // identity binds: the rest pose is used
    std::vector<float> matrices;
    if (!GltfReadFloats(document, skin.inverseBindMatrices, 16, false, &matrices, "inverse bind", result)) return false;
    if (matrices.size() < skin.joints.size() * 16) {
        MdlFail(result, MDL_BAD_FILE, "skin %d has fewer bind matrices than joints", skinIndex);
        return false;
    }
    MdlBone* bones = const_cast<MdlBone*>(scene.skeleton->bones);   // still being built
    for (size_t joint = 0; joint < jointBones->size(); ++joint) {
        int bone = (*jointBones)[joint];
        if ((*bindSet)[size_t(bone)]) continue;
        (*bindSet)[size_t(bone)] = true;
        memcpy(bones[bone].inverseWorld.m, &matrices[joint * 16], sizeof(MdlMatrix4));
    }
    return true;
}

// =============================================================================
// primitives
// =============================================================================

static bool ReadSized(const GltfDocument& document, int accessor, int components, bool normalized, size_t count,
                      std::vector<float>* values, const char* what, MdlResult* result)
{
    if (!GltfReadFloats(document, accessor, components, normalized, values, what, result)) return false;
    if (values->size() != count * size_t(components)) {
        MdlFail(result, MDL_BAD_FILE, "%s accessor %d has %zu elements, the positions %zu", what, accessor,
                values->size() / size_t(components), count);
        return false;
    }
    return true;
}

static bool ReadIndices(const GltfDocument& document, const GltfPrimitive& primitive, Attributes* in,
                        MdlResult* result)
{
    if (primitive.indices < 0) {
        in->indices.resize(in->vertexCount - in->vertexCount % 3);
        for (size_t i = 0; i < in->indices.size(); ++i) in->indices[i] = uint32_t(i);
        return true;
    }
    if (!GltfReadUnsigned(document, primitive.indices, 1, &in->indices, "index", result)) return false;
    if (in->indices.size() % 3 != 0) {
        MdlFail(result, MDL_BAD_FILE, "index accessor %d count is not a multiple of 3", primitive.indices);
        return false;
    }
    for (uint32_t index : in->indices) {
        if (index >= in->vertexCount) {
            MdlFail(result, MDL_BAD_FILE, "index %u out of range (%zu vertices)", index, in->vertexCount);
            return false;
        }
    }
    return true;
}

static bool ReadAttributes(const GltfDocument& document, const GltfPrimitive& primitive, bool skinned,
                           Attributes* in, MdlResult* result)
{
    if (primitive.position < 0) {
        MdlFail(result, MDL_BAD_FILE, "a triangle primitive has no positions");
        return false;
    }
    if (!GltfReadFloats(document, primitive.position, 3, false, &in->positions, "position", result)) return false;
    in->vertexCount = in->positions.size() / 3;
    size_t n = in->vertexCount;
    if (primitive.normal >= 0 && !ReadSized(document, primitive.normal, 3, false, n, &in->normals, "normal", result))
        return false;
    if (primitive.texcoord >= 0 && !ReadSized(document, primitive.texcoord, 2, true, n, &in->uvs, "uv", result))
        return false;
    if (skinned) {
        if (primitive.joints < 0 || primitive.weights < 0) {
            MdlFail(result, MDL_BAD_FILE, "a skinned primitive lacks joints or weights");
            return false;
        }
        if (!GltfReadUnsigned(document, primitive.joints, 4, &in->joints, "joint", result)) return false;
        if (in->joints.size() != n * 4) {
            MdlFail(result, MDL_BAD_FILE, "joint accessor %d does not match the positions", primitive.joints);
            return false;
        }
        if (!ReadSized(document, primitive.weights, 4, true, n, &in->weights, "weight", result)) return false;
    }
    return ReadIndices(document, primitive, in, result);
}

// Area-weighted vertex normals for primitives that carry none.
static void ComputeNormals(Attributes* in)
{
    in->normals.assign(in->vertexCount * 3, 0.0f);
    for (size_t t = 0; t + 2 < in->indices.size(); t += 3) {
        const float* p[3];
        for (int k = 0; k < 3; ++k) p[k] = &in->positions[size_t(in->indices[t + size_t(k)]) * 3];
        float e1[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        float e2[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        float n[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        for (int k = 0; k < 3; ++k)
            for (int c = 0; c < 3; ++c) in->normals[size_t(in->indices[t + size_t(k)]) * 3 + size_t(c)] += n[c];
    }
}

static void Normalize3(float v[3])
{
    float length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 1e-20f) v[0] /= length, v[1] /= length, v[2] /= length;
}

static bool SetInfluences(const Attributes& in, size_t vertex, size_t jointCount, MdlSkinnedVertex* out,
                          MdlResult* result)
{
    float total = 0;
    *out = MdlSkinnedVertex{};
    for (size_t k = 0; k < size_t(MDL_MAX_INFLUENCES); ++k) {
        float weight = in.weights[vertex * 4 + k];
        uint32_t joint = in.joints[vertex * 4 + k];
        if (weight <= 0) continue;   // unused slots may name any joint
        if (joint >= jointCount) {
            MdlFail(result, MDL_BAD_FILE, "vertex %zu names joint %u of %zu", vertex, joint, jointCount);
            return false;
        }
        out->bones[k] = uint8_t(joint);
        out->weights[k] = weight;
        total += weight;
    }
    if (total <= 1e-6f) {   // weightless vertex: let it follow the first joint rather than vanish
        *out = MdlSkinnedVertex{{}, {}, {}, {0, 0, 0, 0}, {1, 0, 0, 0}};
        return true;
    }
    for (float& weight : out->weights) weight /= total;
    return true;
}

static bool AppendPrimitive(const Attributes& in, size_t jointCount, const MdlMatrix4* rigidBind, MeshBuild* mesh,
                            MdlResult* result)
{
    size_t base = mesh->vertices.size();
    for (size_t v = 0; v < in.vertexCount; ++v) {
        MdlSkinnedVertex out{};
        out.weights[0] = 1;
        if (jointCount && !SetInfluences(in, v, jointCount, &out, result)) return false;
        memcpy(out.position, &in.positions[v * 3], sizeof out.position);
        memcpy(out.normal, &in.normals[v * 3], sizeof out.normal);
        if (!in.uvs.empty()) memcpy(out.uv, &in.uvs[v * 2], sizeof out.uv);
        if (rigidBind) {
            MdlTransformPoint(rigidBind, out.position, out.position);
            MdlTransformDirection(rigidBind, out.normal, out.normal);
        }
        Normalize3(out.normal);
        mesh->vertices.push_back(out);
    }
    for (uint32_t index : in.indices) mesh->indices.push_back(uint32_t(base) + index);
    return true;
}

static bool BuildPrimitives(const GltfDocument& document, const GltfMesh& source, size_t jointCount,
                            const MdlMatrix4* rigidBind, MeshBuild* mesh, MdlResult* result)
{
    for (const GltfPrimitive& primitive : source.primitives) {
        if (primitive.mode != 4) continue;   // points and lines have no place in a skinned body
        Attributes in;
        if (!ReadAttributes(document, primitive, jointCount > 0, &in, result)) return false;
        if (in.vertexCount > size_t(MDL_MAX_MESH_VERTICES) - mesh->vertices.size()) {
            MdlFail(result, MDL_BAD_FILE, "mesh \"%.60s\" has more than %d vertices", source.name.c_str(),
                    MDL_MAX_MESH_VERTICES);
            return false;
        }
        if (in.normals.empty()) ComputeNormals(&in);
        int firstTriangle = int(mesh->indices.size() / 3);
        if (!AppendPrimitive(in, jointCount, rigidBind, mesh, result)) return false;
        int triangleCount = int(mesh->indices.size() / 3) - firstTriangle;
        if (triangleCount > 0) {
            MdlTriangleGroup group{primitive.material, firstTriangle, triangleCount};
            if (!MdlResolveMaterial(document, primitive.material, group.baseColor, &group.imageIndex, result))
                return false;
            mesh->groups.push_back(group);
        }
    }
    return true;
}

// =============================================================================
// meshes into the arena
// =============================================================================

template <typename T>
static const T* CopyToArena(MdlArena* arena, const std::vector<T>& values)
{
    T* copy = MdlArenaArray<T>(arena, values.size());
    if (copy && !values.empty()) memcpy(copy, values.data(), values.size() * sizeof(T));
    return copy;
}

static MdlMesh* StoreMesh(const MeshBuild& build, const char* name, const std::vector<int>& bindingBones,
                          const MdlSkeleton* skeleton, MdlArena* arena)
{
    MdlMesh* mesh = MdlArenaArray<MdlMesh>(arena, 1);
    MdlBoneBinding* bindings = MdlArenaArray<MdlBoneBinding>(arena, bindingBones.size());
    if (!mesh || !bindings) return nullptr;
    for (size_t i = 0; i < bindingBones.size(); ++i) bindings[i].boneName = skeleton->bones[bindingBones[i]].name;
    mesh->name = MdlArenaString(arena, name);
    mesh->vertexCount = int(build.vertices.size());
    mesh->vertices = CopyToArena(arena, build.vertices);
    mesh->triangleCount = int(build.indices.size() / 3);
    mesh->indices = CopyToArena(arena, build.indices);
    mesh->groupCount = int(build.groups.size());
    mesh->groups = CopyToArena(arena, build.groups);
    mesh->boneBindingCount = int(bindingBones.size());
    mesh->boneBindings = bindings;
    mesh->rigid = bindingBones.size() == 1;
    if (!mesh->name || !mesh->vertices || !mesh->indices || !mesh->groups) return nullptr;
    if (!MdlComputeBoneBindingBounds(mesh, skeleton, arena)) return nullptr;
    return mesh;
}

static bool ImportNodeMesh(const GltfDocument& document, int bone, const SceneSkeleton& scene,
                           std::vector<bool>* bindSet, MdlArena* arena, std::vector<MdlMesh*>* meshes,
                           MdlResult* result)
{
    const GltfNode& node = document.nodes[size_t(scene.boneNodes[size_t(bone)])];
    if (node.mesh < 0 || size_t(node.mesh) >= document.meshes.size()) {
        MdlFail(result, MDL_BAD_FILE, "node %d shows mesh %d, which does not exist", scene.boneNodes[size_t(bone)],
                node.mesh);
        return false;
    }
    std::vector<int> bindingBones{bone};
    MdlMatrix4 rigidBind;
    const MdlMatrix4* rigid = &rigidBind;
    if (node.skin >= 0) {
        if (!ImportSkin(document, node.skin, scene, bindSet, &bindingBones, result)) return false;
        rigid = nullptr;
    } else if (!MdlInvertAffine4x4(&scene.skeleton->bones[bone].inverseWorld, &rigidBind)) {
        MdlFail(result, MDL_BAD_FILE, "bone %d has a bind matrix that cannot be inverted", bone);
        return false;
    }
    const GltfMesh& source = document.meshes[size_t(node.mesh)];
    MeshBuild build;
    if (!BuildPrimitives(document, source, rigid ? 0 : bindingBones.size(), rigid, &build, result)) return false;
    if (build.indices.empty()) return true;   // nothing to draw
    MdlMesh* mesh = StoreMesh(build, source.name.empty() ? scene.skeleton->bones[bone].name : source.name.c_str(),
                              bindingBones, scene.skeleton, arena);
    if (!mesh) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for mesh \"%.60s\"", source.name.c_str());
        return false;
    }
    meshes->push_back(mesh);
    return true;
}

// Skins first: a rigid mesh's bind may come from a skin that lists its bone.
static bool ImportSkins(const GltfDocument& document, const SceneSkeleton& scene, std::vector<bool>* bindSet,
                        MdlResult* result)
{
    std::vector<int> jointBones;
    for (int node : scene.boneNodes) {
        int skin = document.nodes[size_t(node)].skin;
        if (skin >= 0 && document.nodes[size_t(node)].mesh >= 0 &&
            !ImportSkin(document, skin, scene, bindSet, &jointBones, result))
            return false;
    }
    return true;
}

bool MdlImportModel(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                    MdlModel** model, MdlResult* result)
{
    *model = nullptr;
    SceneSkeleton scene;
    if (!MdlImportSkeleton(document, names, arena, &scene, result)) return false;
    bool showsMesh = false;
    for (int node : scene.boneNodes) showsMesh |= document.nodes[size_t(node)].mesh >= 0;
    if (!showsMesh) return true;
    std::vector<bool> bindSet(scene.boneNodes.size(), false);
    if (!ImportSkins(document, scene, &bindSet, result)) return false;
    std::vector<MdlMesh*> meshes;
    for (size_t bone = 0; bone < scene.boneNodes.size(); ++bone) {
        if (document.nodes[size_t(scene.boneNodes[bone])].mesh >= 0 &&
            !ImportNodeMesh(document, int(bone), scene, &bindSet, arena, &meshes, result))
            return false;
    }
    MdlModel* out = MdlArenaArray<MdlModel>(arena, 1);
    const MdlMesh** list = MdlArenaArray<const MdlMesh*>(arena, meshes.size());
    if (!out || !list) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for the model");
        return false;
    }
    for (size_t i = 0; i < meshes.size(); ++i) list[i] = meshes[i];
    out->name = scene.skeleton->name;
    out->skeleton = scene.skeleton;
    MdlMakeIdentity(&out->initialPlacement);
    out->meshCount = int(meshes.size());
    out->meshes = list;
    *model = out;
    return true;
}
