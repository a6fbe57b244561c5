// The immutable data a file is read into: skeletons, meshes, models and
// animations.  Everything here is built by the reader, converted once by
// MdlTransformFile and then only read; it lives until MdlFreeFile.
#pragma once
#include "platform/model/ModelBase.h"

struct MdlFile;

// ---- skeletons ----------------------------------------------------------------

struct MdlBone {
    const char* name;
    int parentIndex;              // -1 for a root; parents come before children
    MdlTransform localTransform;  // rest pose relative to the parent
    MdlMatrix4 inverseWorld;      // model space to bone space at rest (bind)
};

struct MdlSkeleton {
    const char* name;
    int boneCount;
    const MdlBone* bones;
};

// ---- meshes -------------------------------------------------------------------

enum MdlVertexLayout : int {
    MDL_LAYOUT_NONE = 0,
    MDL_LAYOUT_SKINNED = 1,   // MdlSkinnedVertex: what meshes store
    MDL_LAYOUT_PNT = 2,       // MdlVertexPNT: what the GPU buffers take
};

struct MdlSkinnedVertex {
    float position[3];
    float normal[3];
    float uv[2];
    uint8_t bones[MDL_MAX_INFLUENCES];     // indices into the mesh's bone bindings
    float weights[MDL_MAX_INFLUENCES];     // sum to 1; unused slots are 0
};

// Position, normal, texture coordinate: 32 bytes, the layout the engine's
// vertex buffers are made for.
struct MdlVertexPNT {
    float position[3];
    float normal[3];
    float uv[2];
};
static_assert(sizeof(MdlVertexPNT) == 32, "the engine's vertex buffers assume 32-byte vertices");

// A bone the mesh's vertices follow, named so that a mesh can be bound to
// any skeleton that has bones of those names.  The box (in bone space) and
// the triangles mostly moved by this bone serve ray picking.
struct MdlBoneBinding {
    const char* boneName;
    float boxMin[3];
    float boxMax[3];
    int triangleCount;
    const int* triangleIndices;
};

// One glTF primitive's triangles and what its material paints them with:
// the base colour factor (linear RGBA, white without a material) times the
// base colour image, when it has one.
struct MdlTriangleGroup {
    int materialIndex;   // -1 without material
    int firstTriangle;
    int triangleCount;
    float baseColor[4] = {1, 1, 1, 1};
    int imageIndex = -1;   // into MdlFileInfo::images; -1 untextured
};

// An image embedded in the file, decoded: width x height pixels, rows top
// first, 4 bytes each in R, G, B, A order.
struct MdlImage {
    int width;
    int height;
    const uint8_t* pixels;
    const char* mimeType;   // as the file gave it ("image/png", "image/jpeg")
};

struct MdlMesh {
    const char* name;
    int vertexCount;
    const MdlSkinnedVertex* vertices;  // model space at bind
    int triangleCount;
    const uint32_t* indices;           // 3 per triangle, clockwise seen from the front after conversion
    int groupCount;
    const MdlTriangleGroup* groups;
    int boneBindingCount;
    const MdlBoneBinding* boneBindings;
    bool rigid;                        // every vertex follows boneBindings[0] alone
};

struct MdlModel {
    const char* name;
    const MdlSkeleton* skeleton;
    MdlTransform initialPlacement;
    int meshCount;
    const MdlMesh* const* meshes;
};

// ---- animations ---------------------------------------------------------------

enum MdlInterpolation {
    MDL_INTERPOLATE_STEP = 0,
    MDL_INTERPOLATE_LINEAR = 1,
    MDL_INTERPOLATE_CUBIC = 2,   // values hold (in-tangent, value, out-tangent) per key
};

struct MdlCurve {
    int interpolation;
    int keyCount;                // 0: the track leaves this part at rest
    int dimension;               // 3 (position, scale) or 4 (orientation)
    const float* times;          // non-decreasing, seconds
    const float* values;
};

struct MdlTrack {
    const char* boneName;
    MdlCurve position;
    MdlCurve orientation;
    MdlCurve scale;
};

struct MdlAnimation {
    const char* name;
    float duration;              // seconds; one loop
    int trackCount;
    const MdlTrack* tracks;
};

// ---- files --------------------------------------------------------------------

struct MdlFileInfo {
    // Coordinate system the file's data is in.
    float unitsPerMeter;
    float origin[3];
    float right[3];
    float up[3];
    float back[3];
    int modelCount;                      // 0 or 1
    const MdlModel* const* models;
    int animationCount;                  // 0 or 1
    const MdlAnimation* const* animations;
    int imageCount;                      // images the model's triangle groups use, by imageIndex
    const MdlImage* images;
};

// Linear part (row-vector 3x3) and offset that take the file's coordinates
// into the caller's.
struct MdlBasisConversion {
    float affine[3];
    float linear[9];
    float inverseLinear[9];
};

enum MdlTransformFlags : unsigned {
    MDL_RENORMALIZE_NORMALS = 1,
    MDL_REORDER_TRIANGLE_INDICES = 2,   // keep front faces in front when the basis mirrors
};

// Reads a whole .glb held in memory.  The bytes are not kept.  On failure
// returns null and, for the reporting form, hands the reason to the host's
// error routine.
MdlFile* MdlReadEntireFileFromMemory(int size, const void* bytes);
int MdlLoadFileFromMemory(const void* bytes, size_t size, MdlFile** file, MdlResult* result);
// Reads a whole file through the host's opener.
MdlFile* MdlReadEntireFile(const char* fileName);
void MdlFreeFile(MdlFile* file);
const MdlFileInfo* MdlGetFileInfo(const MdlFile* file);
// An embedded image by a triangle group's imageIndex; null outside the list.
const MdlImage* MdlGetFileImage(const MdlFile* file, int index);

bool MdlComputeBasisConversion(const MdlFileInfo* info, float unitsPerMeter, const float origin[3],
                               const float right[3], const float up[3], const float back[3],
                               MdlBasisConversion* conversion);
// Converts the file's data in place; call before instancing.  The
// conversion must map axes onto axes (a signed permutation) times a uniform
// scale.  Tolerances bound how far from that it may be.
bool MdlTransformFile(MdlFile* file, const MdlBasisConversion* conversion, float affineTolerance,
                      float linearTolerance, unsigned flags);
