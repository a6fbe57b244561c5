// One pet's animation cost per frame: a 2,000-vertex mesh on a 32-bone
// skeleton, three controls sampled and blended, the world pose built and
// the mesh skinned.  A plain 4x4 matrix-vector loop over the same vertices
// runs beside it as the yardstick.  Goal: a whole frame under 0.2 ms.
//
// The data is made directly in runtime structs (no file): a chain of 32
// bones 0.1 apart up Y, each vertex near bone b, weighted over bones b-1,
// b, b+1 (and b+2 for every fourth vertex).  Each animation has a rotation
// and a position track for every bone with 31 keys over 1 s.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "platform/model/ModelRuntime.h"

namespace {

const int kBones = 32;
const int kVertices = 2000;
const int kKeys = 31;

struct Rig {
    std::vector<MdlBone> bones;
    std::vector<std::string> names;
    MdlSkeleton skeleton{};
    std::vector<MdlSkinnedVertex> vertices;
    std::vector<uint32_t> indices;
    std::vector<MdlBoneBinding> bindings;
    MdlTriangleGroup group{};
    MdlMesh mesh{};
    const MdlMesh* meshList[1]{};
    MdlModel model{};
    std::vector<float> times;
    std::vector<std::vector<float>> values;   // kept alive for the curves
    std::vector<MdlTrack> tracks[3];
    MdlAnimation animations[3]{};
};

void MakeSkeleton(Rig* rig)
{
    rig->names.resize(kBones);
    rig->bones.resize(kBones);
    for (int b = 0; b < kBones; ++b) {
        rig->names[size_t(b)] = "bone" + std::to_string(b);
        MdlBone& bone = rig->bones[size_t(b)];
        bone.name = rig->names[size_t(b)].c_str();
        bone.parentIndex = b - 1;
        bone.localTransform = MdlTransform{{0, b ? 0.1f : 0, 0}, {0, 0, 0, 1}, {1, 1, 1}};
        MdlMakeIdentity4x4(&bone.inverseWorld);
        bone.inverseWorld.m[13] = -0.1f * float(b);
    }
    rig->skeleton = MdlSkeleton{"chain", kBones, rig->bones.data()};
}

void MakeMesh(Rig* rig)
{
    rig->vertices.resize(kVertices);
    for (int v = 0; v < kVertices; ++v) {
        MdlSkinnedVertex& vertex = rig->vertices[size_t(v)];
        int b = v * kBones / kVertices;
        float angle = float(v) * 0.7f;
        vertex = MdlSkinnedVertex{{0.05f * std::cos(angle), 0.1f * float(b) + 0.03f, 0.05f * std::sin(angle)},
                                  {std::cos(angle), 0, std::sin(angle)}, {0.5f, 0.5f}, {}, {}};
        int influences = v % 4 == 0 ? 4 : 3;
        for (int k = 0; k < influences; ++k) {
            int bone = b - 1 + k;
            vertex.bones[k] = uint8_t(bone < 0 ? 0 : (bone >= kBones ? kBones - 1 : bone));
            vertex.weights[k] = 1.0f / float(influences);
        }
    }
    for (int v = 0; v + 2 < kVertices; ++v) rig->indices.insert(rig->indices.end(), {uint32_t(v), uint32_t(v + 1), uint32_t(v + 2)});
    rig->bindings.resize(kBones);
    for (int b = 0; b < kBones; ++b) rig->bindings[size_t(b)].boneName = rig->names[size_t(b)].c_str();
    rig->group = MdlTriangleGroup{0, 0, int(rig->indices.size() / 3)};
    rig->mesh = MdlMesh{"body", kVertices, rig->vertices.data(), int(rig->indices.size() / 3), rig->indices.data(), 1,
                        &rig->group, kBones, rig->bindings.data(), false};
    rig->meshList[0] = &rig->mesh;
    rig->model = MdlModel{"pet", &rig->skeleton, {{0, 0, 0}, {0, 0, 0, 1}, {1, 1, 1}}, 1, rig->meshList};
}

MdlCurve Curve(Rig* rig, int dimension, float phase, bool rotation)
{
    std::vector<float> keys;
    for (int k = 0; k < kKeys; ++k) {
        float angle = 0.3f * std::sin(float(k) * 0.2f + phase);
        if (rotation) keys.insert(keys.end(), {0, 0, std::sin(angle / 2), std::cos(angle / 2)});
        else keys.insert(keys.end(), {0.01f * angle, 0.1f, 0});
    }
    rig->values.push_back(keys);
    return MdlCurve{MDL_INTERPOLATE_LINEAR, kKeys, dimension, rig->times.data(), rig->values.back().data()};
}

void MakeAnimations(Rig* rig)
{
    for (int k = 0; k < kKeys; ++k) rig->times.push_back(float(k) / float(kKeys - 1));
    rig->values.reserve(3 * kBones * 2);   // curves point into these vectors: no reallocation
    for (int a = 0; a < 3; ++a) {
        for (int b = 0; b < kBones; ++b) {
            MdlTrack track{};
            track.boneName = rig->names[size_t(b)].c_str();
            track.position = Curve(rig, 3, float(a + b), false);
            track.orientation = Curve(rig, 4, float(a * 2 + b), true);
            rig->tracks[a].push_back(track);
        }
        rig->animations[a] = MdlAnimation{"anim", 1.0f, kBones, rig->tracks[a].data()};
    }
}

// The per-pet runtime state the engine keeps: instance, three controls
// (full, half weight easing in, masked to the upper half), poses, binding.
struct Pet {
    MdlModelInstance* instance;
    MdlBlendDagNode* node;
    MdlLocalPose* local;
    MdlWorldPose* world;
    MdlMeshBinding* binding;
    MdlMeshDeformer* deformer;
    MdlControl* controls[3];
    std::vector<MdlVertexPNT> out;

    Pet(const Pet&) = delete;
    Pet& operator=(const Pet&) = delete;

    explicit Pet(Rig* rig)
    {
        instance = MdlInstantiateModel(&rig->model);
        node = MdlCreateBlendDagNodeAnimationBlend(instance);
        MdlControl* base = controls[0] = MdlPlayControlledAnimation(0, &rig->animations[0], instance);
        MdlSetControlLoopCount(base, 0);
        MdlControl* second = controls[1] = MdlPlayControlledAnimation(0, &rig->animations[1], instance);
        MdlSetControlLoopCount(second, 0);
        MdlSetControlWeight(second, 0.5f);
        MdlEaseControlIn(second, 1000, false);
        MdlTrackMask* mask = MdlNewTrackMask(0, kBones);
        MdlSetSkeletonTrackMaskChainDownwards(mask, &rig->skeleton, kBones / 2, 1);
        MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0, &rig->animations[2]);
        MdlSetTrackGroupTarget(builder, 0, instance);
        MdlSetTrackGroupModelMask(builder, 0, mask);
        controls[2] = MdlEndControlledAnimation(builder);
        MdlSetControlLoopCount(controls[2], 0);
        MdlFreeTrackMask(mask);
        local = MdlNewLocalPose(kBones);
        world = MdlNewWorldPose(kBones);
        binding = MdlNewMeshBinding(&rig->mesh, &rig->skeleton, &rig->skeleton);
        deformer = MdlNewMeshDeformer(MDL_LAYOUT_SKINNED, MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
        out.resize(kVertices);
    }

    ~Pet()
    {
        for (MdlControl* control : controls) MdlFreeControl(control);
        MdlFreeMeshDeformer(deformer);
        MdlFreeMeshBinding(binding);
        MdlFreeWorldPose(world);
        MdlFreeLocalPose(local);
        MdlFreeBlendDagEntireTree(node);
        MdlFreeModelInstance(instance);
    }

    void Pose(float time)
    {
        MdlSetBlendDagTreeClock(node, time);
        MdlSampleBlendDagTree(node, local);
        MdlBuildWorldPose(MdlGetSourceSkeleton(instance), 0, kBones, local, nullptr, world);
    }

    void Skin(const Rig& rig)
    {
        MdlDeformVertices(deformer, MdlGetMeshBindingToBoneIndices(binding), kBones, MdlGetWorldPoseComposite4x4Array(world),
                          kBones, kVertices, rig.vertices.data(), out.data());
    }
};

Rig& SharedRig()
{
    static Rig* rig = [] {
        Rig* made = new Rig;
        MakeSkeleton(made);
        MakeMesh(made);
        MakeAnimations(made);
        return made;
    }();
    return *rig;
}

void PerItem(benchmark::State& state, const char* name, double items)
{
    state.counters[name] = benchmark::Counter(items, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SampleAndBlendThreeControls(benchmark::State& state)
{
    Pet pet(&SharedRig());
    float time = 0;
    for (auto _ : state) {
        pet.Pose(time += 0.016f);
        benchmark::DoNotOptimize(MdlGetWorldPoseComposite4x4Array(pet.world));
    }
    PerItem(state, "per_bone", kBones);
}
BENCHMARK(BM_SampleAndBlendThreeControls);

void BM_SkinVertices(benchmark::State& state)
{
    Rig& rig = SharedRig();
    Pet pet(&rig);
    pet.Pose(0.3f);
    for (auto _ : state) {
        pet.Skin(rig);
        benchmark::DoNotOptimize(pet.out.data());
        benchmark::ClobberMemory();
    }
    PerItem(state, "per_vertex", kVertices);
}
BENCHMARK(BM_SkinVertices);

// The yardstick: one full 4x4 matrix times each position (w = 1).
void BM_PlainMatrixVector(benchmark::State& state)
{
    Rig& rig = SharedRig();
    MdlMatrix4 matrix;
    MdlTransform transform = {{1, 2, 3}, {0.1f, 0.2f, 0.3f, 0.927f}, {1, 1, 1}};
    MdlBuildCompositeTransform4x4(&transform, &matrix);
    std::vector<float> out(size_t(kVertices) * 4);
    for (auto _ : state) {
        const float* m = matrix.m;
        for (int v = 0; v < kVertices; ++v) {
            const float* p = rig.vertices[size_t(v)].position;
            for (int c = 0; c < 4; ++c) out[size_t(v) * 4 + size_t(c)] = p[0] * m[c] + p[1] * m[4 + c] + p[2] * m[8 + c] + m[12 + c];
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    PerItem(state, "per_vertex", kVertices);
}
BENCHMARK(BM_PlainMatrixVector);

void BM_WholePetFrame(benchmark::State& state)
{
    Rig& rig = SharedRig();
    Pet pet(&rig);
    float time = 0;
    for (auto _ : state) {
        pet.Pose(time += 0.016f);
        pet.Skin(rig);
        benchmark::DoNotOptimize(pet.out.data());
        benchmark::ClobberMemory();
    }
    PerItem(state, "per_vertex", kVertices);
    PerItem(state, "per_bone", kBones);
}
BENCHMARK(BM_WholePetFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
