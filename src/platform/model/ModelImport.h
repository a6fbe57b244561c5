// The importers that turn a checked GltfDocument into runtime data in a
// file's arena.  Each refuses what it cannot use with an MdlResult.
#pragma once
#include <string>
#include <vector>

#include "platform/model/GltfDocument.h"
#include "platform/model/ModelInternal.h"

// Bone and track names per node: the node's name, "node<i>" when it has
// none, and "<name>#<i>" when an earlier node has the same name ignoring
// case, so that lookups by name find exactly one bone.
std::vector<std::string> GltfUniqueNodeNames(const GltfDocument& document);

// The scene's nodes as a skeleton, parents first.
struct SceneSkeleton {
    std::vector<int> boneNodes;        // node of each bone
    std::vector<int> nodeBones;        // bone of each node, -1 outside the scene
    MdlSkeleton* skeleton = nullptr;
};

bool MdlImportSkeleton(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                       SceneSkeleton* scene, MdlResult* result);
// Null model (and true) when the scene shows no mesh.
bool MdlImportModel(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                    MdlModel** model, MdlResult* result);
// Null animation (and true) when the document has none.
bool MdlImportAnimation(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                        MdlAnimation** animation, MdlResult* result);

// Fills each bone binding's box and triangle list from the mesh's vertices
// and the skeleton's bind matrices.  False when out of memory.
bool MdlComputeBoneBindingBounds(MdlMesh* mesh, const MdlSkeleton* skeleton, MdlArena* arena);

// The base colour factor and image of a primitive's material (-1: none,
// white, untextured); false when the material, its texture or the image it
// names is not in the document.
bool MdlResolveMaterial(const GltfDocument& document, int material, float baseColor[4], int* image,
                        MdlResult* result);
// Decodes every embedded image (PNG or JPEG) into the arena, in document
// order, so that an image index of MdlResolveMaterial indexes `images`.
bool MdlImportImages(const GltfDocument& document, MdlArena* arena, const MdlImage** images, int* count,
                     MdlResult* result);
