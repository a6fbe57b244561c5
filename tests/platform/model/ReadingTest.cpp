// Reading files: what the rig turns into, the basis conversion, the host's
// opener and allocator, and every kind of bad file we know of.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>

#include "ModelTestSupport.h"

namespace {

class ReadingTest : public ModelTest {};

TEST_F(ReadingTest, RigBecomesOneModelWithBonesParentsFirst)
{
    MdlFile* file = Load(RigModelGlb());
    ASSERT_NE(file, nullptr);
    const MdlFileInfo* info = MdlGetFileInfo(file);
    EXPECT_EQ(info->modelCount, 1);
    EXPECT_EQ(info->animationCount, 0);
    const MdlSkeleton* skeleton = ModelOf(file)->skeleton;
    ASSERT_EQ(skeleton->boneCount, 6);   // four rig bones and the two mesh nodes
    for (int bone = 0; bone < skeleton->boneCount; ++bone) EXPECT_LT(skeleton->bones[bone].parentIndex, bone);
    EXPECT_EQ(skeleton->bones[Bone(skeleton, "head")].parentIndex, Bone(skeleton, "Spine"));
    EXPECT_EQ(Bone(skeleton, "HEAD"), Bone(skeleton, "Head"));
    EXPECT_FALSE(MdlFindBoneByNameLowercase(skeleton, "Neck", nullptr));
}

TEST_F(ReadingTest, MeshesKeepTheirGroupsAndBindings)
{
    MdlFile* file = Load(RigModelGlb());
    ASSERT_NE(file, nullptr);
    const MdlModel* model = ModelOf(file);
    ASSERT_EQ(model->meshCount, 2);
    const MdlMesh* body = model->meshes[0];
    const MdlMesh* collar = model->meshes[1];
    if (MdlMeshIsRigid(body)) std::swap(body, collar);
    EXPECT_FALSE(MdlMeshIsRigid(body));
    EXPECT_TRUE(MdlMeshIsRigid(collar));
    EXPECT_EQ(MdlGetMeshVertexCount(body), 4);
    EXPECT_EQ(MdlGetMeshTriangleCount(body), 2);
    ASSERT_EQ(MdlGetMeshTriangleGroupCount(body), 1);
    EXPECT_EQ(MdlGetMeshTriangleGroups(body)[0].materialIndex, 0);
    EXPECT_EQ(MdlGetMeshTriangleGroups(body)[0].triangleCount, 2);
    EXPECT_EQ(MdlGetMeshVertexType(body), MDL_LAYOUT_SKINNED);
    ASSERT_EQ(body->boneBindingCount, 4);
    EXPECT_STREQ(body->boneBindings[3].boneName, "Tail");
    EXPECT_STREQ(collar->boneBindings[0].boneName, "CollarNode");
}

TEST_F(ReadingTest, MaterialBringsItsColourAndDecodedImage)
{
    MdlFile* file = Load(RigModelGlb());
    ASSERT_NE(file, nullptr);
    const MdlModel* model = ModelOf(file);
    const MdlMesh* body = model->meshes[0];
    const MdlMesh* collar = model->meshes[1];
    if (MdlMeshIsRigid(body)) std::swap(body, collar);
    const MdlTriangleGroup& fur = MdlGetMeshTriangleGroups(body)[0];
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(fur.baseColor[i], RigFurColor()[i]);
    ASSERT_EQ(fur.imageIndex, 0);
    const MdlImage* image = MdlGetFileImage(file, fur.imageIndex);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(MdlGetFileInfo(file)->imageCount, 1);
    EXPECT_EQ(image->width, 2);
    EXPECT_EQ(image->height, 2);
    EXPECT_STREQ(image->mimeType, "image/png");
    EXPECT_EQ(std::vector<uint8_t>(image->pixels, image->pixels + 16), RigFurPixels());
    EXPECT_EQ(MdlGetFileImage(file, 1), nullptr);
    EXPECT_EQ(MdlGetFileImage(file, -1), nullptr);

    // Without a material a part is white and untextured.
    const MdlTriangleGroup& plain = MdlGetMeshTriangleGroups(collar)[0];
    EXPECT_EQ(plain.materialIndex, -1);
    EXPECT_EQ(plain.imageIndex, -1);
    EXPECT_FLOAT_EQ(plain.baseColor[0], 1);
    EXPECT_FLOAT_EQ(plain.baseColor[3], 1);
}

TEST_F(ReadingTest, ConversionMirrorsZAndReversesWinding)
{
    std::vector<RigTrack> tracks = {{"Tail", "rotation", {0, 1}, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}}};
    MdlFile* file = Load(GlbBuild(RigModelDocument(tracks)));
    ASSERT_NE(file, nullptr);
    const MdlModel* model = ModelOf(file);
    const MdlSkeleton* skeleton = model->skeleton;
    ExpectVectorNear(skeleton->bones[Bone(skeleton, "Tail")].localTransform.position, 0, 0, 1);
    const MdlMesh* body = MdlMeshIsRigid(model->meshes[0]) ? model->meshes[1] : model->meshes[0];
    ExpectVectorNear(body->vertices[0].normal, 0, 0, -1);
    const uint32_t* indices = static_cast<const uint32_t*>(MdlGetMeshIndices(body));
    EXPECT_EQ(indices[0], 0u);   // (0, 3, 1) in the file
    EXPECT_EQ(indices[1], 1u);
    EXPECT_EQ(indices[2], 3u);
    // A quaternion's vector part flips in x and y under a mirror of z.
    const float* key = AnimationOf(file)->tracks[0].orientation.values;
    EXPECT_FLOAT_EQ(key[0], -0.5f);
    EXPECT_FLOAT_EQ(key[1], -0.5f);
    EXPECT_FLOAT_EQ(key[2], 0.5f);
    EXPECT_FLOAT_EQ(key[3], 0.5f);
}

TEST_F(ReadingTest, BasisConversionRefusesWhatItCannotApply)
{
    MdlFile* file = nullptr;
    std::vector<uint8_t> bytes = RigModelGlb();
    ASSERT_EQ(MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, nullptr), MDL_OK);
    files_.push_back(file);
    const MdlFileInfo* info = MdlGetFileInfo(file);
    const float origin[3] = {0, 0, 0}, moved[3] = {1, 0, 0}, right[3] = {-1, 0, 0}, up[3] = {0, 1, 0};
    const float back[3] = {0, 0, 1}, tilted[3] = {0, 0.6f, 0.8f};
    MdlBasisConversion conversion;
    ASSERT_TRUE(MdlComputeBasisConversion(info, 1.0f, origin, right, up, back, &conversion));
    const float mirrorZ[9] = {1, 0, 0, 0, 1, 0, 0, 0, -1};
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(conversion.linear[i], mirrorZ[i]);
    EXPECT_FALSE(MdlComputeBasisConversion(info, 0.0f, origin, right, up, back, &conversion));
    EXPECT_FALSE(MdlComputeBasisConversion(info, 1.0f, origin, right, right, back, &conversion));
    ASSERT_TRUE(MdlComputeBasisConversion(info, 1.0f, origin, right, tilted, back, &conversion));
    EXPECT_FALSE(MdlTransformFile(file, &conversion, 1e-5f, 1e-5f, 3));   // not axis to axis
    ASSERT_TRUE(MdlComputeBasisConversion(info, 1.0f, moved, right, up, back, &conversion));
    EXPECT_FALSE(MdlTransformFile(file, &conversion, 1e-5f, 1e-5f, 3));   // moves the origin
}

TEST_F(ReadingTest, CentimetreBasisScalesPositionsButNotRotations)
{
    MdlFile* file = nullptr;
    std::vector<uint8_t> bytes = RigModelGlb();
    ASSERT_EQ(MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, nullptr), MDL_OK);
    files_.push_back(file);
    const float origin[3] = {0, 0, 0}, right[3] = {-1, 0, 0}, up[3] = {0, 1, 0}, back[3] = {0, 0, 1};
    MdlBasisConversion conversion;
    ASSERT_TRUE(MdlComputeBasisConversion(MdlGetFileInfo(file), 100.0f, origin, right, up, back, &conversion));
    ASSERT_TRUE(MdlTransformFile(file, &conversion, 1e-5f, 1e-5f, 3));
    const MdlSkeleton* skeleton = ModelOf(file)->skeleton;
    ExpectVectorNear(skeleton->bones[Bone(skeleton, "Spine")].localTransform.position, 0, 100, 0);
    const MdlFileInfo* info = MdlGetFileInfo(file);
    EXPECT_FLOAT_EQ(info->unitsPerMeter, 100);   // the info follows the data
    ExpectVectorNear(info->back, 0, 0, 1);
    ExpectVectorNear(info->right, -1, 0, 0);
    EXPECT_NEAR(skeleton->bones[Bone(skeleton, "Spine")].inverseWorld.m[13], -100, 1e-3f);
    EXPECT_FLOAT_EQ(skeleton->bones[Bone(skeleton, "Spine")].localTransform.orientation[3], 1);
}

TEST_F(ReadingTest, AnimationFileBindsTracksByName)
{
    MdlFile* file = Load(RigAnimationGlb({{"Head", "translation", {0, 2}, {0, 1, 0, 0, 3, 0}}}, "lift"));
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(MdlGetFileInfo(file)->modelCount, 0);   // bones without a mesh are no model
    const MdlAnimation* animation = AnimationOf(file);
    ASSERT_NE(animation, nullptr);
    EXPECT_STREQ(animation->name, "lift");
    EXPECT_FLOAT_EQ(animation->duration, 2.0f);
    ASSERT_EQ(animation->trackCount, 1);
    EXPECT_STREQ(animation->tracks[0].boneName, "Head");
}

// =============================================================================
// the host: opener, reader, allocator
// =============================================================================

TEST_F(ReadingTest, DefaultOpenerReportsEmptyAndMissingNames)
{
    EXPECT_EQ(MdlReadEntireFile(""), nullptr);
    EXPECT_EQ(MdlReadEntireFile("/nonexistent/pet.glb"), nullptr);
    ASSERT_EQ(errors_.size(), 2u);
    EXPECT_EQ(errors_[0].code, 16);
    EXPECT_NE(errors_[0].message.find("Invalid filename"), std::string::npos);
    EXPECT_EQ(errors_[1].code, 2);
    EXPECT_EQ(errors_[1].message, "Failed to open /nonexistent/pet.glb");
}

struct MemoryReader {
    MdlFileReader reader;
    const std::vector<uint8_t>* bytes;
    size_t chunk;   // at most this much per read, to exercise the read loop
    int* closes;
};

static long MemoryReadAtMost(MdlFileReader* reader, uint64_t offset, size_t count, void* buffer)
{
    MemoryReader* memory = reinterpret_cast<MemoryReader*>(reader);
    if (offset >= memory->bytes->size()) return 0;
    size_t n = std::min({count, memory->chunk, size_t(memory->bytes->size() - offset)});
    memcpy(buffer, memory->bytes->data() + offset, n);
    return long(n);
}

static void MemoryClose(MdlFileReader* reader)
{
    MemoryReader* memory = reinterpret_cast<MemoryReader*>(reader);
    ++*memory->closes;
    MdlUnlinkFileReader(reader);
    delete memory;
}

static std::vector<uint8_t> gServedFile;
static int gCloses = 0;

static MdlFileReader* MemoryOpen(void*, const char* file, int line, const char* name)
{
    if (strcmp(name, "pets/rig.glb") != 0) return nullptr;
    MemoryReader* memory = new MemoryReader{{}, &gServedFile, 1000, &gCloses};
    MdlInitializeFileReader(file, line, MemoryClose, MemoryReadAtMost, &memory->reader);
    return &memory->reader;
}

TEST_F(ReadingTest, HostOpenerIsUsedAndClosedOnce)
{
    gServedFile = RigModelGlb();
    gCloses = 0;
    MdlSetDefaultFileReaderOpenCallback(MemoryOpen);
    MdlFile* file = MdlReadEntireFile("pets/rig.glb");
    ASSERT_NE(file, nullptr);
    files_.push_back(file);
    EXPECT_EQ(gCloses, 1);
    EXPECT_EQ(MdlGetFileInfo(file)->modelCount, 1);
    EXPECT_EQ(MdlReadEntireFile("pets/other.glb"), nullptr);
    EXPECT_TRUE(errors_.empty());   // the host's opener speaks for itself
}

TEST_F(ReadingTest, EveryBlockComesFromTheHostTaggedWithItsUnit)
{
    MdlFile* file = Load(RigModelGlb());
    ASSERT_NE(file, nullptr);
    EXPECT_GT(liveBlocks_, 0);
    ASSERT_FALSE(allocationTags_.empty());
    for (const std::string& tag : allocationTags_) EXPECT_NE(tag.find("platform/model/"), std::string::npos) << tag;
}

static void* RefuseAllocation(void*, size_t, const char*, int) { return nullptr; }
static void NeverCalled(void*, void*, const char*, int) {}

TEST_F(ReadingTest, RefusedAllocationIsAnErrorNotACrash)
{
    MdlSetAllocator(RefuseAllocation, NeverCalled);
    std::vector<uint8_t> bytes = RigModelGlb();
    MdlFile* file = nullptr;
    MdlResult result;
    EXPECT_EQ(MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, &result), MDL_OUT_OF_MEMORY);
    EXPECT_EQ(file, nullptr);
    EXPECT_EQ(MdlInstantiateModel(nullptr), nullptr);
    EXPECT_EQ(MdlNewWorldPose(4), nullptr);
}

// =============================================================================
// bad files: a validity table
// =============================================================================

struct BadFile {
    const char* name;
    std::function<std::vector<uint8_t>()> make;
    int code;
    const char* says;   // part of the message
};

static std::vector<uint8_t> Patched(std::function<void(GlbDocument*)> change)
{
    GlbDocument document = RigModelDocument({{"Head", "translation", {0, 1}, {0, 1, 0, 0, 2, 0}}});
    change(&document);
    return GlbBuild(document);
}

static void PutU32(std::vector<uint8_t>* bytes, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) (*bytes)[at + size_t(i)] = uint8_t(value >> (8 * i));
}

static std::vector<uint8_t> WithFloatAt(const char* accessorOf, float value)
{
    return Patched([=](GlbDocument* d) {
        std::string position = accessorOf;
        // The writer lays accessors out in order; find the first float of the wanted one.
        size_t accessor = position == "position" ? 0 : position == "bind" ? 7 : 9;
        unsigned offset = 0;
        sscanf(d->views[accessor].c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset);
        memcpy(&d->bin[offset + 4], &value, 4);
    });
}

static std::string Repeat(const std::string& text, int times)
{
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

static std::vector<BadFile> BadFiles()
{
    std::vector<uint8_t> good = RigModelGlb();
    size_t jsonLength = good[12] | good[13] << 8 | good[14] << 16 | size_t(good[15]) << 24;
    size_t binHeader = 20 + jsonLength;
    return {
        {"empty", [] { return std::vector<uint8_t>(); }, MDL_BAD_ARGUMENT, "cannot be read"},
        {"truncated header", [=] { return std::vector<uint8_t>(good.begin(), good.begin() + 10); }, MDL_BAD_FILE, "too short"},
        {"bad magic", [=] { auto b = good; b[0] = 'x'; return b; }, MDL_BAD_FILE, "magic"},
        {"version 1", [=] { auto b = good; PutU32(&b, 4, 1); return b; }, MDL_BAD_FILE, "version"},
        {"length past the end", [=] { auto b = good; PutU32(&b, 8, uint32_t(b.size() + 4)); return b; }, MDL_BAD_FILE, "does not match"},
        {"truncated file", [=] { return std::vector<uint8_t>(good.begin(), good.end() - 16); }, MDL_BAD_FILE, "does not match"},
        {"JSON chunk past the end", [=] { auto b = good; PutU32(&b, 12, 0x7ffffff0); return b; }, MDL_BAD_FILE, "past the end"},
        {"BIN chunk past the end", [=] { auto b = good; PutU32(&b, binHeader, uint32_t(b.size() - binHeader - 4)); return b; }, MDL_BAD_FILE, "past the end"},
        {"BIN chunk unpadded", [=] { auto b = good; PutU32(&b, binHeader, 6); return b; }, MDL_BAD_FILE, "padded"},
        {"first chunk not JSON", [=] { auto b = good; PutU32(&b, 16, 0x004E4942); return b; }, MDL_BAD_FILE, "JSON chunk"},
        {"JSON not JSON", [] { return GlbPack("{\"asset\":{\"version\":\"2.0\"},,,}", {}); }, MDL_BAD_FILE, "parse failed"},
        {"JSON nested too deeply", [] { return GlbPack("{\"asset\":{\"version\":\"2.0\"},\"extras\":" + Repeat("[", 200) + Repeat("]", 200) + "}", {}); }, MDL_BAD_FILE, "nests deeper"},
        {"neither mesh nor animation", [] { return GlbPack("{\"asset\":{\"version\":\"2.0\"},\"nodes\":[{\"name\":\"a\"}]}", {}); }, MDL_BAD_FILE, "neither"},
        {"external buffer", [] { return GlbPack("{\"asset\":{\"version\":\"2.0\"},\"buffers\":[{\"uri\":\"/etc/passwd\",\"byteLength\":4}]}", {}); }, MDL_BAD_FILE, "parse failed"},
        {"accessor count past its view", [] { return Patched([](GlbDocument* d) { d->accessors[0].replace(d->accessors[0].find("\"count\":4"), 9, "\"count\":400"); }); }, MDL_BAD_FILE, "reads past the end"},
        {"accessor offset overflows", [] { return Patched([](GlbDocument* d) { d->accessors[0].insert(1, "\"byteOffset\":18446744073709551600,"); }); }, MDL_BAD_FILE, ""},
        {"view past its buffer", [] { return Patched([](GlbDocument* d) { d->views[0].replace(d->views[0].find("\"byteLength\":48"), 15, "\"byteLength\":480000"); }); }, MDL_BAD_FILE, "past its"},
        {"stride smaller than element", [] { return Patched([](GlbDocument* d) { d->views[0].insert(1, "\"byteStride\":4,"); }); }, MDL_BAD_FILE, "stride"},
        {"unknown component type", [] { return Patched([](GlbDocument* d) { d->accessors[0].replace(d->accessors[0].find("5126"), 4, "5130"); }); }, MDL_BAD_FILE, "component type"},
        {"positions of the wrong type", [] { return Patched([](GlbDocument* d) { d->accessors[0].replace(d->accessors[0].find("VEC3"), 4, "VEC2"); }); }, MDL_BAD_FILE, "components"},
        {"sparse accessor", [] { return Patched([](GlbDocument* d) { d->accessors[0].insert(1, "\"sparse\":{\"count\":1,\"indices\":{\"bufferView\":0,\"componentType\":5125},\"values\":{\"bufferView\":0}},"); }); }, MDL_BAD_FILE, "sparse"},
        {"accessor index out of range", [] { return Patched([](GlbDocument* d) { d->meshes[0].replace(d->meshes[0].find("\"POSITION\":0"), 12, "\"POSITION\":99"); }); }, MDL_BAD_FILE, "does not exist"},
        {"index out of range", [] { return Patched([](GlbDocument* d) { unsigned offset = 0; sscanf(d->views[5].c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset); uint16_t big = 40; memcpy(&d->bin[offset], &big, 2); }); }, MDL_BAD_FILE, "out of range"},
        {"vertex names a joint past the skin", [] { return Patched([](GlbDocument* d) { unsigned offset = 0; sscanf(d->views[3].c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset); d->bin[offset] = 9; }); }, MDL_BAD_FILE, "names joint"},
        {"index count not a multiple of 3", [] { return Patched([](GlbDocument* d) { d->accessors[5].replace(d->accessors[5].find("\"count\":6"), 9, "\"count\":5"); }); }, MDL_BAD_FILE, "multiple of 3"},
        {"NaN position", [] { return WithFloatAt("position", NAN); }, MDL_BAD_FILE, "not finite"},
        {"infinite bind matrix", [] { return WithFloatAt("bind", INFINITY); }, MDL_BAD_FILE, "not finite"},
        {"NaN animation key", [] { return WithFloatAt("key", NAN); }, MDL_BAD_FILE, "not finite"},
        {"node translation beyond float", [] { return Patched([](GlbDocument* d) { d->nodes[1].replace(d->nodes[1].find("[0,1,0]"), 7, "[0,1e39,0]"); }); }, MDL_BAD_FILE, "not finite"},
        {"zero rotation", [] { return Patched([](GlbDocument* d) { d->nodes[1].insert(1, "\"rotation\":[0,0,0,0],"); }); }, MDL_BAD_FILE, "zero rotation"},
        {"rotation of three numbers", [] { return Patched([](GlbDocument* d) { d->nodes[1].insert(1, "\"rotation\":[0,0,1],"); }); }, MDL_BAD_FILE, "not finite"},
        {"singular matrix", [] { return Patched([](GlbDocument* d) { d->nodes[3] = "{\"name\":\"Tail\",\"matrix\":[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1]}"; }); }, MDL_BAD_FILE, "singular"},
        {"node with two parents", [] { return Patched([](GlbDocument* d) { d->nodes[3].insert(1, "\"children\":[2],"); }); }, MDL_BAD_FILE, "more than one parent"},
        {"node its own child", [] { return Patched([](GlbDocument* d) { d->nodes[2].insert(1, "\"children\":[2],"); }); }, MDL_BAD_FILE, "invalid child"},
        {"child out of range", [] { return Patched([](GlbDocument* d) { d->nodes[2].insert(1, "\"children\":[77],"); }); }, MDL_BAD_FILE, "invalid child"},
        {"scene root that is a child", [] { return Patched([](GlbDocument* d) { d->sceneRoots = {0, 2}; }); }, MDL_BAD_FILE, "not a top-level"},
        {"default scene missing", [] { return Patched([](GlbDocument* d) { d->extraTopLevel = ""; d->withScene = false; d->extraTopLevel = ",\"scene\":3,\"scenes\":[{\"nodes\":[0]}]"; }); }, MDL_BAD_FILE, "default scene"},
        {"mesh index out of range", [] { return Patched([](GlbDocument* d) { d->nodes[4].replace(d->nodes[4].find("\"mesh\":0"), 8, "\"mesh\":7"); }); }, MDL_BAD_FILE, "does not exist"},
        {"skin index out of range", [] { return Patched([](GlbDocument* d) { d->nodes[4].replace(d->nodes[4].find("\"skin\":0"), 8, "\"skin\":5"); }); }, MDL_BAD_FILE, "skin 5"},
        {"skin joint outside the scene", [] { return Patched([](GlbDocument* d) { d->skins[0].replace(d->skins[0].find("[0,1,2,3]"), 9, "[0,1,2,30]"); }); }, MDL_BAD_FILE, "not in the scene"},
        {"bone count over the limit", [] { return Patched([](GlbDocument* d) {
             std::string children;
             for (int i = 0; i < 300; ++i) {
                 d->nodes.push_back("{}");
                 children += (i ? "," : "") + std::to_string(d->nodes.size() - 1);
             }
             d->nodes[3].insert(1, "\"children\":[" + children + "],");
         }); }, MDL_BAD_FILE, "more than 256"},
        {"animation targets a missing node", [] { return Patched([](GlbDocument* d) { d->animations[0].replace(d->animations[0].find("\"node\":2"), 8, "\"node\":99"); }); }, MDL_BAD_FILE, "node 99"},
        {"animation uses a missing sampler", [] { return Patched([](GlbDocument* d) { d->animations[0].replace(d->animations[0].find("\"sampler\":0"), 11, "\"sampler\":4"); }); }, MDL_BAD_FILE, "sampler 4"},
        {"unknown interpolation", [] { return Patched([](GlbDocument* d) { d->animations[0].replace(d->animations[0].find("LINEAR"), 6, "BOUNCY"); }); }, MDL_BAD_FILE, "interpolation"},
        {"key times going backwards", [] { return Patched([](GlbDocument* d) { unsigned offset = 0; sscanf(d->views[8].c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset); float t = -1; memcpy(&d->bin[offset + 4], &t, 4); }); }, MDL_BAD_FILE, "backwards"},
        {"material out of range", [] { return Patched([](GlbDocument* d) { d->materials.clear(); }); }, MDL_BAD_FILE, "material 0 of 0"},
        {"texture out of range", [] { return Patched([](GlbDocument* d) { d->textures.clear(); }); }, MDL_BAD_FILE, "texture 0 of 0"},
        {"texture names a missing image", [] { return Patched([](GlbDocument* d) { d->textures[0] = "{\"source\":3}"; }); }, MDL_BAD_FILE, "image 3 of 1"},
        {"image without a view", [] { return Patched([](GlbDocument* d) { d->images[0] = "{\"uri\":\"fur.png\"}"; }); }, MDL_BAD_FILE, ""},
        {"image view past its buffer", [] { return Patched([](GlbDocument* d) { d->views.back().replace(d->views.back().find("\"byteLength\":"), 13, "\"byteLength\":9999"); }); }, MDL_BAD_FILE, "past its"},
        {"image not PNG", [] { return Patched([](GlbDocument* d) { unsigned offset = 0; sscanf(d->views.back().c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset); d->bin[offset + 1] = 'X'; }); }, MDL_BAD_FILE, "neither PNG nor JPEG"},
        {"image of absurd size", [] { return Patched([](GlbDocument* d) { unsigned offset = 0; sscanf(d->views.back().c_str(), "{\"buffer\":0,\"byteOffset\":%u", &offset); d->bin[offset + 17] = 0x01; }); }, MDL_BAD_FILE, "sides of 1 to"},
        {"fewer key values than times", [] { return Patched([](GlbDocument* d) { d->accessors[9].replace(d->accessors[9].find("\"count\":2"), 9, "\"count\":1"); }); }, MDL_BAD_FILE, "does not match"},
    };
}

TEST_F(ReadingTest, BadFilesAreRefusedWithAReason)
{
    for (const BadFile& bad : BadFiles()) {
        std::vector<uint8_t> bytes = bad.make();
        MdlFile* file = nullptr;
        MdlResult result{};
        int code = MdlLoadFileFromMemory(bytes.data(), bytes.size(), &file, &result);
        EXPECT_EQ(code, bad.code) << bad.name << ": " << result.message;
        EXPECT_EQ(file, nullptr) << bad.name;
        EXPECT_NE(std::string(result.message).find(bad.says), std::string::npos) << bad.name << ": " << result.message;
        EXPECT_EQ(liveBlocks_, 0) << bad.name << " leaked";
        MdlFreeFile(file);
    }
}

TEST_F(ReadingTest, ReportingFormHandsTheReasonToTheHost)
{
    const uint8_t junk[24] = {'g', 'l', 'T', 'F', 1};
    EXPECT_EQ(MdlReadEntireFileFromMemory(sizeof junk, junk), nullptr);
    ASSERT_EQ(errors_.size(), 1u);
    EXPECT_EQ(errors_[0].code, MDL_BAD_FILE);
    EXPECT_NE(errors_[0].message.find("version"), std::string::npos);
}

// Every prefix of a good file is refused cleanly (sanitizer builds check
// that no prefix reads past its end).
TEST_F(ReadingTest, EveryTruncationIsRefused)
{
    std::vector<uint8_t> good = RigModelGlb();
    for (size_t size = 0; size < good.size(); size += 7) {
        std::vector<uint8_t> prefix(good.begin(), good.begin() + long(size));
        MdlFile* file = nullptr;
        EXPECT_NE(MdlLoadFileFromMemory(prefix.data(), prefix.size(), &file, nullptr), MDL_OK) << size;
        EXPECT_EQ(file, nullptr);
    }
}

}  // namespace
