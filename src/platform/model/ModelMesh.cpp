// Mesh queries, buffer copies and mesh bindings.
#include "platform/model/ModelMesh.h"
#include "platform/model/ModelInternal.h"
#include "platform/model/ModelPose.h"

struct MdlMeshBinding {
    const MdlMesh* mesh;
    int boneCount;
    int* toBone;
};

bool MdlMeshIsRigid(const MdlMesh* mesh) { return mesh && mesh->rigid; }
int MdlGetMeshVertexCount(const MdlMesh* mesh) { return mesh ? mesh->vertexCount : 0; }
MdlVertexLayout MdlGetMeshVertexType(const MdlMesh* mesh) { return mesh ? MDL_LAYOUT_SKINNED : MDL_LAYOUT_NONE; }
const void* MdlGetMeshVertices(const MdlMesh* mesh) { return mesh ? mesh->vertices : nullptr; }
int MdlGetMeshTriangleCount(const MdlMesh* mesh) { return mesh ? mesh->triangleCount : 0; }
int MdlGetMeshTriangleGroupCount(const MdlMesh* mesh) { return mesh ? mesh->groupCount : 0; }
const MdlTriangleGroup* MdlGetMeshTriangleGroups(const MdlMesh* mesh) { return mesh ? mesh->groups : nullptr; }
int MdlGetMeshBytesPerIndex(const MdlMesh* mesh) { return mesh ? int(sizeof(uint32_t)) : 0; }
const void* MdlGetMeshIndices(const MdlMesh* mesh) { return mesh ? mesh->indices : nullptr; }

bool MdlCopyMeshIndices(const MdlMesh* mesh, int bytesPerIndex, void* destination)
{
    if (!mesh || !destination) return false;
    size_t count = size_t(mesh->triangleCount) * 3;
    if (bytesPerIndex == 4) {
        memcpy(destination, mesh->indices, count * sizeof(uint32_t));
        return true;
    }
    if (bytesPerIndex != 2) return false;
    for (size_t i = 0; i < count; ++i)
        if (mesh->indices[i] > 0xFFFF) return false;   // checked first so a refusal writes nothing
    uint16_t* out = static_cast<uint16_t*>(destination);
    for (size_t i = 0; i < count; ++i) out[i] = uint16_t(mesh->indices[i]);
    return true;
}

bool MdlCopyMeshVertices(const MdlMesh* mesh, MdlVertexLayout layout, void* destination)
{
    if (!mesh || !destination) return false;
    if (layout == MDL_LAYOUT_SKINNED) {
        memcpy(destination, mesh->vertices, size_t(mesh->vertexCount) * sizeof(MdlSkinnedVertex));
        return true;
    }
    if (layout != MDL_LAYOUT_PNT) return false;
    MdlVertexPNT* out = static_cast<MdlVertexPNT*>(destination);
    for (int v = 0; v < mesh->vertexCount; ++v) {
        memcpy(out[v].position, mesh->vertices[v].position, sizeof out[v].position);
        memcpy(out[v].normal, mesh->vertices[v].normal, sizeof out[v].normal);
        memcpy(out[v].uv, mesh->vertices[v].uv, sizeof out[v].uv);
    }
    return true;
}

MdlMeshBinding* MdlNewMeshBinding(const MdlMesh* mesh, const MdlSkeleton* fromSkeleton, const MdlSkeleton* toSkeleton)
{
    (void)fromSkeleton;   // names alone decide; the source skeleton is accepted for symmetry with callers
    if (!mesh || !toSkeleton) return nullptr;
    MdlMeshBinding* binding = MDL_NEW(MdlMeshBinding);
    int* toBone = MDL_NEW_ARRAY(int, size_t(mesh->boneBindingCount));
    if (!binding || !toBone) {
        MDL_RELEASE(binding);
        MDL_RELEASE(toBone);
        return nullptr;
    }
    *binding = MdlMeshBinding{mesh, mesh->boneBindingCount, toBone};
    for (int b = 0; b < mesh->boneBindingCount; ++b) {
        const char* name = mesh->boneBindings[b].boneName;
        if (!MdlFindBoneByNameLowercase(toSkeleton, name, &toBone[b])) {
            MdlReportError(MDL_BAD_ARGUMENT, "mesh \"%s\" follows bone \"%s\", which the skeleton lacks", mesh->name, name);
            MdlFreeMeshBinding(binding);
            return nullptr;
        }
    }
    return binding;
}

void MdlFreeMeshBinding(MdlMeshBinding* binding)
{
    if (!binding) return;
    MDL_RELEASE(binding->toBone);
    MDL_RELEASE(binding);
}

int MdlGetMeshBindingBoneCount(const MdlMeshBinding* binding) { return binding ? binding->boneCount : 0; }
const int* MdlGetMeshBindingToBoneIndices(const MdlMeshBinding* binding) { return binding ? binding->toBone : nullptr; }
