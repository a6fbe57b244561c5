// The first animation of a document: one track per animated node, named
// like the node's bone so that it binds to any skeleton with that bone.
#include <cmath>

#include "platform/model/GltfAccessor.h"
#include "platform/model/ModelImport.h"

namespace {

struct CurveBuild {
    int interpolation = MDL_INTERPOLATE_LINEAR;
    std::vector<float> times, values;
};

struct TrackBuild {
    int node;
    CurveBuild position, orientation, scale;
};

}  // namespace

static bool ReadTimes(const GltfDocument& document, int accessor, std::vector<float>* times, MdlResult* result)
{
    if (!GltfReadFloats(document, accessor, 1, false, times, "key time", result)) return false;
    for (size_t i = 0; i < times->size(); ++i) {
        if ((*times)[i] < 0 || (i > 0 && (*times)[i] < (*times)[i - 1])) {
            MdlFail(result, MDL_BAD_FILE, "key times of accessor %d are negative or go backwards", accessor);
            return false;
        }
    }
    return true;
}

// Keys of a cubic curve hold three values (in-tangent, value, out-tangent).
static bool NormalizeRotations(CurveBuild* curve, MdlResult* result)
{
    size_t stride = curve->interpolation == MDL_INTERPOLATE_CUBIC ? 3 : 1;
    for (size_t key = 0; key < curve->times.size(); ++key) {
        float* q = &curve->values[(key * stride + (stride == 3 ? 1 : 0)) * 4];
        float length = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
        if (!(length > 1e-6f)) {
            MdlFail(result, MDL_BAD_FILE, "rotation key %zu is not a rotation (zero length)", key);
            return false;
        }
        for (int i = 0; i < 4; ++i) q[i] /= length;
    }
    return true;
}

static bool ReadCurve(const GltfDocument& document, const GltfSampler& sampler, GltfPath path, CurveBuild* curve,
                      MdlResult* result)
{
    if (sampler.interpolation < 0) {
        MdlFail(result, MDL_BAD_FILE, "animation sampler has an unknown interpolation");
        return false;
    }
    curve->interpolation = sampler.interpolation;
    if (!ReadTimes(document, sampler.input, &curve->times, result)) return false;
    bool rotation = path == GLTF_PATH_ROTATION;
    int dimension = rotation ? 4 : 3;
    if (!GltfReadFloats(document, sampler.output, dimension, rotation, &curve->values, "key value", result))
        return false;
    size_t perKey = size_t(dimension) * (curve->interpolation == MDL_INTERPOLATE_CUBIC ? 3 : 1);
    if (curve->values.size() != curve->times.size() * perKey) {
        MdlFail(result, MDL_BAD_FILE, "key value accessor %d does not match its %zu key times", sampler.output,
                curve->times.size());
        return false;
    }
    return !rotation || NormalizeRotations(curve, result);
}

static CurveBuild* CurveFor(TrackBuild* track, GltfPath path)
{
    if (path == GLTF_PATH_TRANSLATION) return &track->position;
    if (path == GLTF_PATH_ROTATION) return &track->orientation;
    return &track->scale;
}

static bool CollectTracks(const GltfDocument& document, const GltfAnimation& animation, std::vector<TrackBuild>* tracks,
                          MdlResult* result)
{
    std::vector<int> trackOfNode(document.nodes.size(), -1);
    for (const GltfChannel& channel : animation.channels) {
        if (channel.path == GLTF_PATH_OTHER) continue;   // morph weights are not animated here
        if (channel.node < 0 || size_t(channel.node) >= document.nodes.size()) {
            MdlFail(result, MDL_BAD_FILE, "animation channel targets node %d, which does not exist", channel.node);
            return false;
        }
        if (channel.sampler < 0 || size_t(channel.sampler) >= animation.samplers.size()) {
            MdlFail(result, MDL_BAD_FILE, "animation channel uses sampler %d, which does not exist", channel.sampler);
            return false;
        }
        int& index = trackOfNode[size_t(channel.node)];
        if (index < 0) {
            index = int(tracks->size());
            tracks->push_back(TrackBuild{channel.node, {}, {}, {}});
        }
        CurveBuild* curve = CurveFor(&(*tracks)[size_t(index)], channel.path);
        if (!curve->times.empty()) continue;   // a second channel for the same part: the first wins
        if (!ReadCurve(document, animation.samplers[size_t(channel.sampler)], channel.path, curve, result)) return false;
    }
    return true;
}

static bool StoreCurve(const CurveBuild& build, int dimension, MdlArena* arena, MdlCurve* curve, float* duration)
{
    curve->interpolation = build.interpolation;
    curve->keyCount = int(build.times.size());
    curve->dimension = dimension;
    if (build.times.empty()) return true;
    float* times = MdlArenaArray<float>(arena, build.times.size());
    float* values = MdlArenaArray<float>(arena, build.values.size());
    if (!times || !values) return false;
    memcpy(times, build.times.data(), build.times.size() * sizeof(float));
    memcpy(values, build.values.data(), build.values.size() * sizeof(float));
    curve->times = times;
    curve->values = values;
    *duration = std::fmax(*duration, build.times.back());
    return true;
}

static MdlAnimation* StoreAnimation(const std::vector<TrackBuild>& builds, const std::vector<std::string>& names,
                                    const std::string& name, MdlArena* arena)
{
    MdlAnimation* animation = MdlArenaArray<MdlAnimation>(arena, 1);
    MdlTrack* tracks = MdlArenaArray<MdlTrack>(arena, builds.size());
    if (!animation || !tracks) return nullptr;
    for (size_t i = 0; i < builds.size(); ++i) {
        tracks[i].boneName = MdlArenaString(arena, names[size_t(builds[i].node)].c_str());
        if (!tracks[i].boneName || !StoreCurve(builds[i].position, 3, arena, &tracks[i].position, &animation->duration) ||
            !StoreCurve(builds[i].orientation, 4, arena, &tracks[i].orientation, &animation->duration) ||
            !StoreCurve(builds[i].scale, 3, arena, &tracks[i].scale, &animation->duration))
            return nullptr;
    }
    animation->name = MdlArenaString(arena, name.empty() ? "animation" : name.c_str());
    animation->trackCount = int(builds.size());
    animation->tracks = tracks;
    return animation->name ? animation : nullptr;
}

bool MdlImportAnimation(const GltfDocument& document, const std::vector<std::string>& names, MdlArena* arena,
                        MdlAnimation** animation, MdlResult* result)
{
    *animation = nullptr;
    if (document.animations.empty()) return true;
    const GltfAnimation& source = document.animations[0];
    std::vector<TrackBuild> tracks;
    if (!CollectTracks(document, source, &tracks, result)) return false;
    *animation = StoreAnimation(tracks, names, source.name, arena);
    if (!*animation) MdlFail(result, MDL_OUT_OF_MEMORY, "out of memory for animation \"%.60s\"", source.name.c_str());
    return *animation != nullptr;
}
