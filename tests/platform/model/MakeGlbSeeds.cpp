// Writes the seed corpus of the .glb fuzz target: the test rig as a
// model, with an animation, as an animation file, and a rigid-only model.
// Usage: make_glb_seeds <folder>
#include <cstdio>
#include <string>

#include "GlbWriter.h"

static bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return false;
    bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return fclose(file) == 0 && written;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    std::string folder = argv[1];
    const float s = 0.70710678f;
    std::vector<RigTrack> bend = {{"Spine", "rotation", {0, 1}, {0, 0, 0, 1, 0, 0, s, s}},
                                  {"Head", "translation", {0, 2}, {0, 1, 0, 0, 3, 0}}};
    std::vector<RigTrack> cubic = {{"Head", "translation", {0, 1}, {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0, 0}, "CUBICSPLINE"},
                                   {"Tail", "scale", {0, 0.5f}, {1, 1, 1, 2, 2, 2}, "STEP"}};
    GlbDocument rigid;
    rigid.nodes.push_back("{\"name\":\"Ball\",\"mesh\":0,\"rotation\":[0,0.6,0,0.8]}");
    int p = GlbAddFloats(&rigid, {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, "VEC3");
    int i = GlbAddIndices(&rigid, {0, 1, 2, 0, 2, 3});
    rigid.meshes.push_back("{\"primitives\":[{\"attributes\":{\"POSITION\":" + std::to_string(p) + "},\"indices\":" + std::to_string(i) + "}]}");
    rigid.sceneRoots = {0};
    bool ok = Write(folder + "/rig_model.glb", RigModelGlb()) &&
              Write(folder + "/rig_model_animated.glb", GlbBuild(RigModelDocument(bend))) &&
              Write(folder + "/rig_animation_cubic.glb", RigAnimationGlb(cubic, "cubic")) &&
              Write(folder + "/rigid_ball.glb", GlbBuild(rigid));
    return ok ? 0 : 1;
}
