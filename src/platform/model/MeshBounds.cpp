// Picking data of a mesh's bone bindings: per binding, the box (in bone
// space) around the vertices it moves, and the triangles with a vertex it
// moves most.
#include <cmath>
#include <vector>

#include "platform/model/ModelImport.h"
#include "platform/model/ModelMath.h"
#include "platform/model/ModelPose.h"

static int DominantInfluence(const MdlSkinnedVertex& vertex)
{
    int best = 0;
    for (int k = 1; k < MDL_MAX_INFLUENCES; ++k)
        if (vertex.weights[k] > vertex.weights[best]) best = k;
    return vertex.bones[best];
}

static void ComputeBoxes(MdlMesh* mesh, const std::vector<const MdlMatrix4*>& bindOf)
{
    MdlBoneBinding* bindings = const_cast<MdlBoneBinding*>(mesh->boneBindings);   // the mesh is still being built
    for (int b = 0; b < mesh->boneBindingCount; ++b) {
        for (int axis = 0; axis < 3; ++axis) bindings[b].boxMin[axis] = INFINITY, bindings[b].boxMax[axis] = -INFINITY;
    }
    for (int v = 0; v < mesh->vertexCount; ++v) {
        const MdlSkinnedVertex& vertex = mesh->vertices[v];
        for (int k = 0; k < MDL_MAX_INFLUENCES; ++k) {
            int b = vertex.bones[k];
            if (vertex.weights[k] <= 0 || b >= mesh->boneBindingCount) continue;
            float local[3];
            MdlTransformPoint(bindOf[size_t(b)], vertex.position, local);
            for (int axis = 0; axis < 3; ++axis) {
                bindings[b].boxMin[axis] = std::fmin(bindings[b].boxMin[axis], local[axis]);
                bindings[b].boxMax[axis] = std::fmax(bindings[b].boxMax[axis], local[axis]);
            }
        }
    }
    for (int b = 0; b < mesh->boneBindingCount; ++b) {
        if (bindings[b].boxMin[0] > bindings[b].boxMax[0]) {   // moves no vertex: an empty box at the bone
            for (int axis = 0; axis < 3; ++axis) bindings[b].boxMin[axis] = bindings[b].boxMax[axis] = 0;
        }
    }
}

// The bindings whose bone dominates at least one corner of the triangle.
static int TriangleBindings(const MdlMesh* mesh, int triangle, int bindings[3])
{
    int count = 0;
    for (int corner = 0; corner < 3; ++corner) {
        int b = DominantInfluence(mesh->vertices[mesh->indices[triangle * 3 + corner]]);
        bool seen = false;
        for (int i = 0; i < count; ++i) seen |= bindings[i] == b;
        if (!seen && b < mesh->boneBindingCount) bindings[count++] = b;
    }
    return count;
}

static bool ComputeTriangleLists(MdlMesh* mesh, MdlArena* arena)
{
    MdlBoneBinding* bindings = const_cast<MdlBoneBinding*>(mesh->boneBindings);
    std::vector<std::vector<int>> lists(size_t(mesh->boneBindingCount));
    int found[3];
    for (int t = 0; t < mesh->triangleCount; ++t) {
        int count = TriangleBindings(mesh, t, found);
        for (int i = 0; i < count; ++i) lists[size_t(found[i])].push_back(t);
    }
    for (int b = 0; b < mesh->boneBindingCount; ++b) {
        const std::vector<int>& list = lists[size_t(b)];
        int* copy = MdlArenaArray<int>(arena, list.size());
        if (!copy) return false;
        if (!list.empty()) memcpy(copy, list.data(), list.size() * sizeof(int));
        bindings[b].triangleIndices = copy;
        bindings[b].triangleCount = int(list.size());
    }
    return true;
}

bool MdlComputeBoneBindingBounds(MdlMesh* mesh, const MdlSkeleton* skeleton, MdlArena* arena)
{
    static const MdlMatrix4 kIdentity = {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    std::vector<const MdlMatrix4*> bindOf(size_t(mesh->boneBindingCount), &kIdentity);
    for (int b = 0; b < mesh->boneBindingCount; ++b) {
        int bone = -1;
        if (MdlFindBoneByNameLowercase(skeleton, mesh->boneBindings[b].boneName, &bone))
            bindOf[size_t(b)] = &skeleton->bones[bone].inverseWorld;
    }
    ComputeBoxes(mesh, bindOf);
    return mesh->boneBindings[0].triangleIndices || ComputeTriangleLists(mesh, arena);
}
