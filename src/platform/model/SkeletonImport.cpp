// Skeletons from the glTF node tree: every node of the scene is a bone, in
// depth-first order so that parents come before children.
#include <cmath>
#include <unordered_set>

#include "platform/model/ModelImport.h"
#include "platform/model/ModelMath.h"

std::vector<std::string> GltfUniqueNodeNames(const GltfDocument& document)
{
    std::vector<std::string> names;
    std::unordered_set<std::string> taken;   // lower-cased
    for (size_t i = 0; i < document.nodes.size(); ++i) {
        std::string name = document.nodes[i].name;
        if (name.empty()) name = "node" + std::to_string(i);
        std::string lower = name;
        for (char& c : lower) c = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
        if (!taken.insert(lower).second) name += "#" + std::to_string(i);
        names.push_back(name);
    }
    return names;
}

// =============================================================================
// hierarchy
// =============================================================================

static bool FindParents(const GltfDocument& document, std::vector<int>* parents, MdlResult* result)
{
    parents->assign(document.nodes.size(), -1);
    for (size_t node = 0; node < document.nodes.size(); ++node) {
        for (int child : document.nodes[node].children) {
            if (child < 0 || size_t(child) >= document.nodes.size() || size_t(child) == node) {
                MdlFail(result, MDL_BAD_FILE, "node %zu has invalid child %d", node, child);
                return false;
            }
            if ((*parents)[size_t(child)] != -1) {
                MdlFail(result, MDL_BAD_FILE, "node %d has more than one parent", child);
                return false;
            }
            (*parents)[size_t(child)] = int(node);
        }
    }
    return true;
}

static bool FindSceneRoots(const GltfDocument& document, const std::vector<int>& parents, std::vector<int>* roots,
                           MdlResult* result)
{
    int scene = document.defaultScene;
    if (scene >= 0 && size_t(scene) >= document.scenes.size()) {
        MdlFail(result, MDL_BAD_FILE, "default scene %d does not exist", scene);
        return false;
    }
    if (scene < 0 && !document.scenes.empty()) scene = 0;
    roots->clear();
    if (scene < 0) {   // no scene at all: every top node counts
        for (size_t node = 0; node < parents.size(); ++node)
            if (parents[node] == -1) roots->push_back(int(node));
        return true;
    }
    for (int node : document.scenes[size_t(scene)].nodes) {
        if (node < 0 || size_t(node) >= parents.size() || parents[size_t(node)] != -1) {
            MdlFail(result, MDL_BAD_FILE, "scene root %d is not a top-level node", node);
            return false;
        }
        roots->push_back(node);
    }
    return true;
}

static bool OrderBones(const GltfDocument& document, const std::vector<int>& roots, SceneSkeleton* scene,
                       MdlResult* result)
{
    scene->nodeBones.assign(document.nodes.size(), -1);
    std::vector<int> stack(roots.rbegin(), roots.rend());
    while (!stack.empty()) {
        int node = stack.back();
        stack.pop_back();
        if (scene->nodeBones[size_t(node)] != -1) {
            MdlFail(result, MDL_BAD_FILE, "node %d appears twice in the scene", node);
            return false;
        }
        if (scene->boneNodes.size() >= size_t(MDL_MAX_BONES)) {
            MdlFail(result, MDL_BAD_FILE, "scene has more than %d nodes (bones)", MDL_MAX_BONES);
            return false;
        }
        scene->nodeBones[size_t(node)] = int(scene->boneNodes.size());
        scene->boneNodes.push_back(node);
        const std::vector<int>& children = document.nodes[size_t(node)].children;
        stack.insert(stack.end(), children.rbegin(), children.rend());
    }
    return true;
}

// =============================================================================
// rest transforms
// =============================================================================

static bool AllFinite(const double* values, int count)
{
    for (int i = 0; i < count; ++i)
        if (!std::isfinite(values[i]) || std::fabs(values[i]) > 1e30) return false;
    return true;
}

// glTF stores column-vector matrices column by column, which read row by
// row is the same matrix for row vectors.
static bool DecomposeMatrix(const double* matrix, MdlTransform* transform)
{
    float rows[9];
    for (int row = 0; row < 3; ++row) {
        double length = std::sqrt(matrix[row * 4] * matrix[row * 4] + matrix[row * 4 + 1] * matrix[row * 4 + 1] +
                                  matrix[row * 4 + 2] * matrix[row * 4 + 2]);
        if (length < 1e-12) return false;
        transform->scale[row] = float(length);
        for (int column = 0; column < 3; ++column) rows[row * 3 + column] = float(matrix[row * 4 + column] / length);
    }
    double determinant = rows[0] * (rows[4] * rows[8] - rows[5] * rows[7]) -
                         rows[1] * (rows[3] * rows[8] - rows[5] * rows[6]) + rows[2] * (rows[3] * rows[7] - rows[4] * rows[6]);
    if (determinant < 0) {   // a mirror: carry it in the scale so the rotation stays proper
        transform->scale[0] = -transform->scale[0];
        for (int column = 0; column < 3; ++column) rows[column] = -rows[column];
    }
    MdlMatrix3ToQuaternion(rows, transform->orientation);
    for (int i = 0; i < 3; ++i) transform->position[i] = float(matrix[12 + i]);
    return true;
}

static bool RestTransform(const GltfNode& node, int nodeIndex, MdlTransform* transform, MdlResult* result)
{
    MdlMakeIdentity(transform);
    bool finite = node.hasMatrix ? AllFinite(node.matrix, 16)
                                 : AllFinite(node.translation, 3) && AllFinite(node.rotation, 4) && AllFinite(node.scale, 3);
    if (!finite) {
        MdlFail(result, MDL_BAD_FILE, "node %d has a transform that is not finite", nodeIndex);
        return false;
    }
    if (node.hasMatrix) {
        if (DecomposeMatrix(node.matrix, transform)) return true;
        MdlFail(result, MDL_BAD_FILE, "node %d has a singular matrix", nodeIndex);
        return false;
    }
    double length = std::sqrt(node.rotation[0] * node.rotation[0] + node.rotation[1] * node.rotation[1] +
                              node.rotation[2] * node.rotation[2] + node.rotation[3] * node.rotation[3]);
    if (length < 1e-6) {
        MdlFail(result, MDL_BAD_FILE, "node %d has a zero rotation quaternion", nodeIndex);
        return false;
    }
    for (int i = 0; i < 3; ++i) transform->position[i] = float(node.translation[i]);
    for (int i = 0; i < 4; ++i) transform->orientation[i] = float(node.rotation[i] / length);
    for (int i = 0; i < 3; ++i) transform->scale[i] = float(node.scale[i]);
    return true;
}

// =============================================================================
// the skeleton
// =============================================================================

static bool FillBones(const GltfDocument& document, const std::vector<std::string>& names,
                      const std::vector<int>& parents, MdlArena* arena, SceneSkeleton* scene, MdlBone* bones,
                      MdlResult* result)
{
    std::vector<MdlMatrix4> world(scene->boneNodes.size());
    for (size_t bone = 0; bone < scene->boneNodes.size(); ++bone) {
        int node = scene->boneNodes[bone];
        MdlBone& out = bones[bone];
        out.name = MdlArenaString(arena, names[size_t(node)].c_str());
        int parentNode = parents[size_t(node)];
        out.parentIndex = parentNode < 0 ? -1 : scene->nodeBones[size_t(parentNode)];
        if (!out.name) {
            MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for bone names");
            return false;
        }
        if (!RestTransform(document.nodes[size_t(node)], node, &out.localTransform, result)) return false;
        MdlBuildCompositeTransform4x4(&out.localTransform, &world[bone]);
        if (out.parentIndex >= 0) MdlMultiply4x4(&world[bone], &world[size_t(out.parentIndex)], &world[bone]);
        if (!MdlInvertAffine4x4(&world[bone], &out.inverseWorld)) {
            MdlFail(result, MDL_BAD_FILE, "node %d has a rest pose that cannot be inverted", node);
            return false;
        }
    }
    return true;
}

bool MdlImportSkeleton(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                       SceneSkeleton* scene, MdlResult* result)
{
    std::vector<int> parents, roots;
    if (!FindParents(document, &parents, result)) return false;
    if (!FindSceneRoots(document, parents, &roots, result)) return false;
    if (!OrderBones(document, roots, scene, result)) return false;
    MdlSkeleton* skeleton = MdlArenaArray<MdlSkeleton>(arena, 1);
    MdlBone* bones = MdlArenaArray<MdlBone>(arena, scene->boneNodes.size());
    if (!skeleton || !bones) {
        MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for the skeleton");
        return false;
    }
    if (!FillBones(document, names, parents, arena, scene, bones, result)) return false;
    skeleton->name = scene->boneNodes.empty() ? "" : bones[0].name;
    skeleton->boneCount = int(scene->boneNodes.size());
    skeleton->bones = bones;
    scene->skeleton = skeleton;
    return true;
}
