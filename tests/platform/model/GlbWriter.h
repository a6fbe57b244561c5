// Writes small .glb files in memory for the model tests and the fuzz
// seeds, so no binary fixture is kept.  A GlbDocument holds its JSON parts
// as text so that a test can break any of them on purpose.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct GlbDocument {
    std::vector<uint8_t> bin;
    std::vector<std::string> views, accessors, nodes, meshes, skins, animations, materials, textures, images;
    std::vector<int> sceneRoots;
    std::string extraTopLevel;   // raw JSON members appended to the root object
    bool withScene = true;
};

// Appends data to the binary chunk with a view and an accessor over it;
// returns the accessor index.
int GlbAddAccessor(GlbDocument* document, const void* data, size_t bytes, int componentType, const char* type,
                   size_t count);
int GlbAddFloats(GlbDocument* document, const std::vector<float>& values, const char* type);
int GlbAddIndices(GlbDocument* document, const std::vector<uint16_t>& indices);
int GlbAddJoints(GlbDocument* document, const std::vector<uint8_t>& joints);
// Embeds RGBA pixels as a PNG image with a texture over it; returns the
// texture index.
int GlbAddPngTexture(GlbDocument* document, int width, int height, const std::vector<uint8_t>& rgba);

// The container around a JSON text and binary chunk.
std::vector<uint8_t> GlbPack(const std::string& json, const std::vector<uint8_t>& bin);
std::string GlbJson(const GlbDocument& document);
std::vector<uint8_t> GlbBuild(const GlbDocument& document);

// ---- the test rig -------------------------------------------------------------
//
// Bones (rest pose, glTF coordinates, metres):
//
//   Root   at the origin
//   ├── Spine  (0, 1, 0) from Root
//   │   └── Head   (0, 1, 0) from Spine
//   └── Tail   (0, 0, -1) from Root
//
// Skinned mesh "Body": four vertices, two triangles,
//   v0 (0, 0.5, 0)  Root 1          v2 (0, 2.5, 0)  Head 1
//   v1 (0, 1.5, 0)  Spine 1         v3 (1, 1, 0)    Root 0.5 + Spine 0.5
//   triangles (0, 3, 1) and (1, 3, 2), normals +Z (counter-clockwise from +Z).
// Rigid mesh "Collar" on node "CollarNode" (child of Spine at (0, 0.5, 0)):
//   one triangle (0,0,0) (1,0,0) (0,1,0) in the node's frame.
// Material 0 "Fur" (the body's): base colour factor RigFurColor() times
// texture 0, the 2x2 PNG of RigFurPixels() (the last thing in the binary
// chunk).  The collar has no material.

struct RigBone {
    const char* name;
    int parent;
    float translation[3];
};

const std::vector<RigBone>& RigBones();   // Root, Spine, Head, Tail
const std::vector<uint8_t>& RigFurPixels();   // 2x2, RGBA, rows top first
const float* RigFurColor();                   // RGBA

struct RigTrack {
    std::string bone;
    std::string path;                     // "translation", "rotation", "scale"
    std::vector<float> times;
    std::vector<float> values;
    std::string interpolation = "LINEAR";
};

// The rig with its meshes (and, when given, an animation).
GlbDocument RigModelDocument(const std::vector<RigTrack>& tracks = {});
std::vector<uint8_t> RigModelGlb();
// The rig's nodes and one animation, no mesh: how animation files come.
std::vector<uint8_t> RigAnimationGlb(const std::vector<RigTrack>& tracks, const char* name = "anim");
