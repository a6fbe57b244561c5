// The art made by the Blender generators (data/generated), read through the
// runtime the game uses: every model must read, convert, skin at rest back
// onto its modelled shape and stand on the floor, and every cat clip must
// map onto the cat's skeleton by bone name, last as long as clips.ini says,
// and skin at three times without NaN or vertices flying off.  Skipped when
// the art has not been generated.
#include <cmath>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>

#include "ModelTestSupport.h"

namespace {

namespace fs = std::filesystem;

fs::path GeneratedFolder()
{
    const char* override = getenv("VORN_GENERATED_DIR");
    return override ? override : VORN_GENERATED_DATA;
}

std::vector<fs::path> GlbFiles(const fs::path& folder)
{
    std::vector<fs::path> files;
    std::error_code error;
    if (!fs::is_directory(folder, error)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        if (entry.is_regular_file() && entry.path().extension() == ".glb") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Clip lengths the generator wrote beside the clips: section name -> Seconds.
std::map<std::string, float> ClipSeconds(const fs::path& ini)
{
    std::map<std::string, float> seconds;
    std::ifstream in(ini);
    std::string line, section;
    while (std::getline(in, line)) {
        if (line.size() > 2 && line.front() == '[' && line.back() == ']') section = line.substr(1, line.size() - 2);
        else if (line.rfind("Seconds=", 0) == 0) seconds[section] = std::stof(line.substr(8));
    }
    return seconds;
}

struct SkinnedBox {
    float low[3] = {1e30f, 1e30f, 1e30f};
    float high[3] = {-1e30f, -1e30f, -1e30f};
    bool finite = true;
    float worstFromBind = 0;   // largest distance of a skinned vertex from its bind position
};

class GeneratedArtTest : public ModelTest {
protected:
    // Skins every mesh of the model with the given local pose.
    SkinnedBox Skin(const MdlModel* model, const MdlLocalPose* local)
    {
        SkinnedBox box;
        const MdlSkeleton* skeleton = model->skeleton;
        MdlWorldPose* world = MdlNewWorldPose(skeleton->boneCount);
        EXPECT_TRUE(MdlBuildWorldPose(skeleton, 0, skeleton->boneCount, local, nullptr, world));
        for (int m = 0; m < model->meshCount; ++m) {
            const MdlMesh* mesh = model->meshes[m];
            MdlMeshBinding* binding = MdlNewMeshBinding(mesh, skeleton, skeleton);
            EXPECT_NE(binding, nullptr) << mesh->name;
            if (!binding) continue;
            std::vector<MdlVertexPNT> out(size_t(mesh->vertexCount));
            MdlMeshDeformer* deformer =
                MdlNewMeshDeformer(MDL_LAYOUT_SKINNED, MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
            EXPECT_TRUE(MdlDeformVertices(deformer, MdlGetMeshBindingToBoneIndices(binding),
                                          MdlGetMeshBindingBoneCount(binding),
                                          MdlGetWorldPoseComposite4x4Array(world), skeleton->boneCount,
                                          mesh->vertexCount, mesh->vertices, out.data()));
            for (size_t i = 0; i < out.size(); ++i) {
                const MdlVertexPNT& v = out[i];
                for (int c = 0; c < 3; ++c) {
                    if (!std::isfinite(v.position[c]) || !std::isfinite(v.normal[c])) box.finite = false;
                    box.low[c] = std::fmin(box.low[c], v.position[c]);
                    box.high[c] = std::fmax(box.high[c], v.position[c]);
                    box.worstFromBind =
                        std::fmax(box.worstFromBind, std::fabs(v.position[c] - mesh->vertices[i].position[c]));
                }
            }
            MdlFreeMeshDeformer(deformer);
            MdlFreeMeshBinding(binding);
        }
        MdlFreeWorldPose(world);
        return box;
    }
};

TEST_F(GeneratedArtTest, EveryModelReadsAndSkinsAtRestOnTheFloor)
{
    std::vector<fs::path> files = GlbFiles(GeneratedFolder());
    if (files.empty()) GTEST_SKIP() << "no generated art in " << GeneratedFolder();
    int models = 0;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        MdlFile* file = Load(ReadBytes(path));
        if (!file || !ModelOf(file) || ModelOf(file)->meshCount == 0) continue;
        ++models;
        const MdlModel* model = ModelOf(file);
        MdlLocalPose* local = MdlNewLocalPose(model->skeleton->boneCount);
        MdlBuildRestLocalPose(model->skeleton, local);
        SkinnedBox box = Skin(model, local);
        MdlFreeLocalPose(local);
        EXPECT_TRUE(box.finite);
        EXPECT_LT(box.worstFromBind, 1e-3f) << "the bind matrices do not give back the modelled shape";
        // everything is modelled standing on the floor at height 0
        EXPECT_NEAR(box.low[1], 0.0f, 0.03f);
        EXPECT_LT(box.high[1], 12.0f);
    }
    EXPECT_GT(models, 0);
}

TEST_F(GeneratedArtTest, EveryCatClipMapsByBoneNameAndSkinsAtThreeTimes)
{
    fs::path folder = GeneratedFolder() / "cat";
    if (!fs::exists(folder / "cat.glb")) GTEST_SKIP() << "no generated cat in " << folder;
    MdlFile* catFile = Load(ReadBytes(folder / "cat.glb"));
    ASSERT_NE(catFile, nullptr);
    const MdlModel* cat = ModelOf(catFile);
    ASSERT_NE(cat, nullptr);
    const MdlSkeleton* skeleton = cat->skeleton;
    for (const char* bone : {"root", "pelvis", "spine", "chest", "neck", "head", "jaw", "ear_l", "ear_r", "eye_l",
                             "eye_r", "front_paw_l", "back_paw_r", "tail1", "tail6"})
        Bone(skeleton, bone);

    std::vector<fs::path> clips = GlbFiles(folder / "anim");
    ASSERT_GE(clips.size(), 30u);
    std::map<std::string, float> seconds = ClipSeconds(folder / "clips.ini");
    EXPECT_EQ(seconds.size(), clips.size()) << "clips.ini and the clip files disagree";
    MdlModelInstance* instance = MdlInstantiateModel(cat);
    MdlLocalPose* pose = MdlNewLocalPose(skeleton->boneCount);
    for (const auto& path : clips) {
        SCOPED_TRACE(path.string());
        MdlFile* file = Load(ReadBytes(path));
        const MdlAnimation* animation = file ? AnimationOf(file) : nullptr;
        ASSERT_NE(animation, nullptr);
        EXPECT_EQ(path.stem().string(), animation->name);
        EXPECT_GT(animation->duration, 0.2f);
        ASSERT_TRUE(seconds.count(animation->name)) << "not in clips.ini";
        EXPECT_NEAR(animation->duration, seconds[animation->name], 0.5f / 30) << "exported length differs";
        for (int t = 0; t < animation->trackCount; ++t) {
            int bone = -1;
            EXPECT_TRUE(MdlFindBoneByNameLowercase(skeleton, animation->tracks[t].boneName, &bone))
                << animation->tracks[t].boneName;
        }
        MdlControl* control = MdlPlayControlledAnimation(0, animation, instance);
        ASSERT_NE(control, nullptr);
        float moved = 0;
        for (float fraction : {0.0f, 0.5f, 0.99f}) {
            MdlSetControlRawLocalClock(control, fraction * animation->duration);
            ASSERT_TRUE(MdlSampleModelAnimations(instance, pose));
            SkinnedBox box = Skin(cat, pose);
            EXPECT_TRUE(box.finite) << "at " << fraction;
            for (int c = 0; c < 3; ++c) {
                EXPECT_GT(box.low[c], -1.5f) << "at " << fraction;
                EXPECT_LT(box.high[c], 1.5f) << "at " << fraction;
            }
            for (int b = 0; b < skeleton->boneCount; ++b) {
                const MdlTransform* now = MdlGetLocalPoseTransform(pose, b);
                const MdlTransform& rest = skeleton->bones[b].localTransform;
                for (int c = 0; c < 4; ++c) moved = std::fmax(moved, std::fabs(now->orientation[c] - rest.orientation[c]));
                for (int c = 0; c < 3; ++c) {
                    moved = std::fmax(moved, std::fabs(now->position[c] - rest.position[c]));
                    moved = std::fmax(moved, std::fabs(now->scale[c] - rest.scale[c]));
                }
            }
        }
        EXPECT_GT(moved, 1e-3f) << "the clip never leaves the rest pose";
        MdlFreeControl(control);
    }
    MdlFreeLocalPose(pose);
    MdlFreeModelInstance(instance);
}

}  // namespace
