#include "ModelTestSupport.h"

#include <cstdlib>

long ModelTest::liveBlocks_ = 0;
std::vector<ReportedError> ModelTest::errors_;
std::vector<std::string> ModelTest::allocationTags_;

void* ModelTest::CountingAllocate(void*, size_t size, const char* file, int)
{
    void* block = aligned_alloc(16, (size + 15) & ~size_t(15));
    if (block) ++liveBlocks_;
    if (allocationTags_.size() < 1000) allocationTags_.push_back(file ? file : "");
    return block;
}

void ModelTest::CountingRelease(void*, void* block, const char*, int)
{
    --liveBlocks_;
    free(block);
}

void ModelTest::RecordError(void*, int code, const char* message) { errors_.push_back({code, message}); }

void ModelTest::SetUp()
{
    liveBlocks_ = 0;
    errors_.clear();
    allocationTags_.clear();
    MdlHost host{};
    host.allocate = CountingAllocate;
    host.release = CountingRelease;
    host.reportError = RecordError;
    MdlSetHost(&host);
}

void ModelTest::TearDown()
{
    for (MdlFile* file : files_) MdlFreeFile(file);
    EXPECT_EQ(liveBlocks_, 0) << "blocks taken from the host and never given back";
    MdlSetHost(nullptr);
}

MdlFile* ModelTest::Load(const std::vector<uint8_t>& bytes)
{
    MdlFile* file = nullptr;
    MdlResult result;
    EXPECT_EQ(MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, &result), MDL_OK) << result.message;
    if (!file) return nullptr;
    files_.push_back(file);
    const float origin[3] = {0, 0, 0}, right[3] = {-1, 0, 0}, up[3] = {0, 1, 0}, back[3] = {0, 0, 1};
    MdlBasisConversion conversion;
    EXPECT_TRUE(MdlComputeBasisConversion(MdlGetFileInfo(file), 1.0f, origin, right, up, back, &conversion));
    EXPECT_TRUE(MdlTransformFile(file, &conversion, 1e-5f, 1e-5f, MDL_RENORMALIZE_NORMALS | MDL_REORDER_TRIANGLE_INDICES));
    return file;
}

const MdlModel* ModelTest::ModelOf(MdlFile* file)
{
    const MdlFileInfo* info = MdlGetFileInfo(file);
    return info && info->modelCount ? info->models[0] : nullptr;
}

const MdlAnimation* ModelTest::AnimationOf(MdlFile* file)
{
    const MdlFileInfo* info = MdlGetFileInfo(file);
    return info && info->animationCount ? info->animations[0] : nullptr;
}

int ModelTest::Bone(const MdlSkeleton* skeleton, const char* name)
{
    int bone = -1;
    EXPECT_TRUE(MdlFindBoneByNameLowercase(skeleton, name, &bone)) << name;
    return bone;
}

void ExpectMatrixNear(const MdlMatrix4& actual, const float (&expected)[16])
{
    for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected[i], 1e-4f) << "element " << i;
}

void ExpectVectorNear(const float* actual, float x, float y, float z)
{
    EXPECT_NEAR(actual[0], x, 1e-4f);
    EXPECT_NEAR(actual[1], y, 1e-4f);
    EXPECT_NEAR(actual[2], z, 1e-4f);
}
