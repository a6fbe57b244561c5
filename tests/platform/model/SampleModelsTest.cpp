// glTF files made by other tools, when the shared sample folder has them:
// each must read, convert, pose and skin at rest without error, and
// skinning at rest must give back the bind vertices.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "ModelTestSupport.h"

namespace {

class SampleModelsTest : public ModelTest {};

static std::vector<std::filesystem::path> SampleFiles()
{
    const char* override = getenv("VORN_MODELS_DIR");
    std::filesystem::path folder = override ? override : VORN_SHARED_MODELS;
    std::vector<std::filesystem::path> files;
    std::error_code error;
    if (!std::filesystem::is_directory(folder, error)) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder, error)) {
        std::string extension = entry.path().extension().string();
        if (entry.is_regular_file() && (extension == ".glb" || extension == ".GLB")) files.push_back(entry.path());
    }
    return files;
}

static void CheckRestSkinning(const MdlModel* model)
{
    const MdlSkeleton* skeleton = model->skeleton;
    MdlLocalPose* local = MdlNewLocalPose(skeleton->boneCount);
    MdlWorldPose* world = MdlNewWorldPose(skeleton->boneCount);
    MdlBuildRestLocalPose(skeleton, local);
    ASSERT_TRUE(MdlBuildWorldPose(skeleton, 0, skeleton->boneCount, local, nullptr, world));
    for (int m = 0; m < model->meshCount; ++m) {
        const MdlMesh* mesh = model->meshes[m];
        MdlMeshBinding* binding = MdlNewMeshBinding(mesh, skeleton, skeleton);
        ASSERT_NE(binding, nullptr);
        std::vector<MdlVertexPNT> out(size_t(mesh->vertexCount));
        MdlMeshDeformer* deformer = MdlNewMeshDeformer(MDL_LAYOUT_SKINNED, MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
        ASSERT_TRUE(MdlDeformVertices(deformer, MdlGetMeshBindingToBoneIndices(binding), MdlGetMeshBindingBoneCount(binding),
                                      MdlGetWorldPoseComposite4x4Array(world), skeleton->boneCount, mesh->vertexCount,
                                      mesh->vertices, out.data()));
        float worst = 0;
        for (int v = 0; v < mesh->vertexCount; ++v)
            for (int c = 0; c < 3; ++c) worst = std::fmax(worst, std::fabs(out[size_t(v)].position[c] - mesh->vertices[v].position[c]));
        EXPECT_LT(worst, 1e-2f) << mesh->name;   // bind matrices from other tools only match the rest pose roughly
        MdlFreeMeshDeformer(deformer);
        MdlFreeMeshBinding(binding);
    }
    MdlFreeWorldPose(world);
    MdlFreeLocalPose(local);
}

TEST_F(SampleModelsTest, SharedSamplesReadAndSkinAtRest)
{
    std::vector<std::filesystem::path> files = SampleFiles();
    if (files.empty()) GTEST_SKIP() << "no sample .glb files in " << VORN_SHARED_MODELS;
    for (const auto& path : files) {
        SCOPED_TRACE(path.string());
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        MdlFile* file = nullptr;
        MdlResult result{};
        if (MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, &result) != MDL_OK) {
            ADD_FAILURE() << result.message;
            continue;
        }
        MdlFreeFile(file);
        file = Load(bytes);
        if (file && ModelOf(file)) CheckRestSkinning(ModelOf(file));
    }
}

}  // namespace
