#include "game/world/CxModelManager.h"

#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"
#include "game/world/CxTextureCache.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxTextureSurface.h"
#include "platform/model/ModelRuntime.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {
// The runtime wants 16-byte blocks; the engine's allocator promises 8, so
// each block carries its own offset back to what the allocator gave.
void* HostAllocate(void*, size_t size, const char* file, int line)
{
    auto* raw = static_cast<uint8_t*>(QorAlloc(size + 16, file, line, false));
    if (!raw) return nullptr;
    uint8_t* block = raw + (16 - (reinterpret_cast<uintptr_t>(raw) & 15));
    block[-1] = uint8_t(block - raw);
    return block;
}

void HostRelease(void*, void* block, const char*, int)
{
    if (!block) return;
    auto* bytes = static_cast<uint8_t*>(block);
    QorFree(bytes - bytes[-1]);
}

struct EngineReader {
    MdlFileReader base;   // first, so the runtime's pointer is ours
    QorFileHandle* handle;
};

long ReadAtMost(MdlFileReader* reader, uint64_t offset, size_t count, void* buffer)
{
    auto* own = reinterpret_cast<EngineReader*>(reader);
    if (offset > 0x7FFFFFFF || count > 0x7FFFFFFF) return -1;
    if (QorFileSeek(own->handle, int32_t(offset), 0) != 0) return -1;
    uint32_t read = 0;
    if (QorFileRead(own->handle, buffer, uint32_t(count), &read) != 0 && read == 0) return -1;
    return long(read);
}

void CloseReader(MdlFileReader* reader)
{
    auto* own = reinterpret_cast<EngineReader*>(reader);
    QorFileClose(own->handle);
    HostRelease(nullptr, own, nullptr, 0);
}

MdlFileReader* OpenReader(void*, const char* file, int line, const char* name)
{
    QorFileHandle* handle = QorFileOpen(name, 0);
    if (!handle) {
        ReportError(ERR_OPEN_FILE, "Cannot open the model file \"%s\"", name);
        return nullptr;
    }
    auto* reader = static_cast<EngineReader*>(HostAllocate(nullptr, sizeof(EngineReader), file, line));
    if (!reader) {
        QorFileClose(handle);
        return nullptr;
    }
    reader->handle = handle;
    MdlInitializeFileReader(file, line, CloseReader, ReadAtMost, &reader->base);
    return &reader->base;
}

void HostError(void*, int code, const char* message) { ReportError(code, "%s", message); }

bool gInstalled = false;
}  // namespace

void CxModelManagerInstall()
{
    if (gInstalled) return;
    static const MdlHost host = {nullptr, HostAllocate, HostRelease, OpenReader, HostError};
    MdlSetHost(&host);
    gInstalled = true;
}

// ---------------------------------------------------------------- file cache
struct CxModelFileEntry {
    std::string name;
    MdlFile* file = nullptr;
    int uses = 0;
};

namespace {
std::vector<CxModelFileEntry*>& Files()
{
    static std::vector<CxModelFileEntry*> files;
    return files;
}

// Read once per name, converted to the engine's basis (mirrored Z, fronts
// kept clockwise).
CxModelFileEntry* AcquireFile(const char* path)
{
    CxModelManagerInstall();
    for (CxModelFileEntry* entry : Files())
        if (TextEquals(entry->name.c_str(), path, true)) {
            ++entry->uses;
            return entry;
        }
    char* bytes = nullptr;
    uint32_t size = 0;
    int code = QorFileReadAll(path, &bytes, &size);
    if (code != 0) {
        ReportError(code, "Cannot read the model file \"%s\"", path);
        return nullptr;
    }
    MdlFile* file = nullptr;
    MdlResult result;
    code = MdlLoadFileFromMemory(bytes, size, &file, &result);
    QorFree(bytes);
    if (code != MDL_OK) {
        ReportError(code, "The model file \"%s\" is unusable: %s", path, result.message);
        return nullptr;
    }
    const float origin[3] = {0, 0, 0}, right[3] = {-1, 0, 0}, up[3] = {0, 1, 0}, back[3] = {0, 0, 1};
    MdlBasisConversion conversion;
    if (!MdlComputeBasisConversion(MdlGetFileInfo(file), 1.0f, origin, right, up, back, &conversion) ||
        !MdlTransformFile(file, &conversion, 1e-4f, 1e-4f, MDL_RENORMALIZE_NORMALS | MDL_REORDER_TRIANGLE_INDICES)) {
        MdlFreeFile(file);
        ReportError(ERR_INVALID_FILE_TYPE, "The model file \"%s\" has an unusable coordinate system", path);
        return nullptr;
    }
    auto* entry = new CxModelFileEntry{path, file, 1};
    Files().push_back(entry);
    return entry;
}

void ReleaseFile(CxModelFileEntry* entry)
{
    if (entry && entry->uses > 0) --entry->uses;
}
}  // namespace

void CxModelManagerPurgeFiles()
{
    auto& files = Files();
    for (size_t i = 0; i < files.size();) {
        if (files[i]->uses == 0) {
            MdlFreeFile(files[i]->file);
            delete files[i];
            files.erase(files.begin() + long(i));
        } else {
            ++i;
        }
    }
}

int CxModelManagerCachedFiles() { return int(Files().size()); }

// ---------------------------------------------------------------- rig
namespace {
struct RigMesh {
    const MdlMesh* mesh = nullptr;
    MdlMeshBinding* binding = nullptr;
    MdlMeshDeformer* deformer = nullptr;   // null for rigid meshes
    GpuVertexBuffer* vertices = nullptr;
    GpuIndexBuffer* indices = nullptr;
};

struct RigChannel {
    std::string name;
    CxModelFileEntry* file = nullptr;
    MdlTrackMask* mask = nullptr;
    MdlControl* control = nullptr;
};

constexpr uint32_t kFvfPNT = GPUFVF_XYZ | GPUFVF_NORMAL | GPUFVF_TEX1;   // 274

void ToGpu(const MdlMatrix4& in, GpuMatrix* out) { std::memcpy(out->m, in.m, sizeof in.m); }

// The runtime's local pose as the hooks see it: bone orientations only,
// and nothing outside the skeleton.  A non-finite orientation is refused, so
// a hook can never poison the world pose.
class RigLocalPose : public CxRigLocalPose {
public:
    explicit RigLocalPose(MdlLocalPose* pose) : pose_(pose) {}
    int GetBoneCount() const override { return MdlGetLocalPoseBoneCount(pose_); }
    bool GetOrientation(int bone, float q[4]) const override
    {
        MdlTransform* t = MdlGetLocalPoseTransform(pose_, bone);
        if (!t) return false;
        std::memcpy(q, t->orientation, sizeof t->orientation);
        return true;
    }
    void SetOrientation(int bone, const float q[4]) override
    {
        MdlTransform* t = MdlGetLocalPoseTransform(pose_, bone);
        if (!t) return;
        for (int i = 0; i < 4; ++i)
            if (!std::isfinite(q[i])) return;
        std::memcpy(t->orientation, q, sizeof t->orientation);
    }

private:
    MdlLocalPose* pose_;
};
}  // namespace

struct CxModelRig::Impl {
    CxModelFileEntry* file = nullptr;
    const MdlModel* model = nullptr;
    MdlModelInstance* instance = nullptr;
    MdlBlendDagNode* blend = nullptr;
    MdlLocalPose* local = nullptr;
    MdlWorldPose* world = nullptr;
    std::vector<RigMesh> meshes;
    std::vector<RigChannel> channels;
    bool posed = false;
    CxPoseHook hook = nullptr;
    void* hookUser = nullptr;
    std::string path;
    // The file's embedded images as cached textures, made at the first draw
    // that wants them; keyed by path and index, so objects of one model share them.
    std::unique_ptr<CxTextureHandle[]> images;
    int imageCount = 0;
    bool imagesMade = false;

    const MdlSkeleton* Skeleton() const { return model->skeleton; }
    RigChannel* Channel(int i) { return i >= 0 && i < int(channels.size()) ? &channels[size_t(i)] : nullptr; }
    const RigChannel* Channel(int i) const
    {
        return i >= 0 && i < int(channels.size()) ? &channels[size_t(i)] : nullptr;
    }
    int MakeBuffers(CxD3DDevice* device, RigMesh& m);
    GpuTexture* Image(int index);
};

GpuTexture* CxModelRig::Impl::Image(int index)
{
    if (!imagesMade) {
        imagesMade = true;
        const MdlFileInfo* info = MdlGetFileInfo(file->file);
        imageCount = info ? info->imageCount : 0;
        images.reset(imageCount > 0 ? new CxTextureHandle[size_t(imageCount)] : nullptr);
        for (int i = 0; i < imageCount; ++i) {
            const MdlImage* image = MdlGetFileImage(file->file, i);
            std::string key = path + "#image" + std::to_string(i);
            if (image) GetTextureFromPixels(key.c_str(), image->width, image->height, image->pixels, &images[size_t(i)]);
        }
    }
    return index >= 0 && index < imageCount ? images[size_t(index)].GetTexture() : nullptr;
}

CxModelRig* CxModelRig::Load(const char* path)
{
    CxModelFileEntry* file = AcquireFile(path);
    if (!file) return nullptr;
    const MdlFileInfo* info = MdlGetFileInfo(file->file);
    if (!info || info->modelCount < 1) {
        ReleaseFile(file);
        ReportError(ERR_INVALID_FILE_TYPE, "The file \"%s\" holds no model", path);
        return nullptr;
    }
    auto* impl = new Impl;
    impl->file = file;
    impl->path = path;
    impl->model = info->models[0];
    impl->instance = MdlInstantiateModel(impl->model);
    int bones = impl->Skeleton()->boneCount;
    impl->local = MdlNewLocalPose(bones);
    impl->world = MdlNewWorldPose(bones);
    impl->blend = impl->instance ? MdlCreateBlendDagNodeAnimationBlend(impl->instance) : nullptr;
    auto* rig = new CxModelRig(impl);
    if (!impl->instance || !impl->local || !impl->world || !impl->blend) {
        delete rig;
        ReportError(ERR_OUT_OF_MEMORY, "No memory for the model \"%s\"", path);
        return nullptr;
    }
    for (int i = 0; i < impl->model->meshCount; ++i) {
        RigMesh m;
        m.mesh = impl->model->meshes[i];
        m.binding = MdlNewMeshBinding(m.mesh, impl->Skeleton(), impl->Skeleton());
        if (!MdlMeshIsRigid(m.mesh))
            m.deformer = MdlNewMeshDeformer(MdlGetMeshVertexType(m.mesh), MDL_LAYOUT_PNT, MDL_DEFORM_POSITION_NORMAL);
        impl->meshes.push_back(m);
    }
    return rig;
}

CxModelRig::~CxModelRig()
{
    ReleaseDevice();
    for (RigChannel& c : impl_->channels) {
        if (c.control) MdlFreeControl(c.control);
        if (c.mask) MdlFreeTrackMask(c.mask);
        ReleaseFile(c.file);
    }
    for (RigMesh& m : impl_->meshes) {
        if (m.deformer) MdlFreeMeshDeformer(m.deformer);
        if (m.binding) MdlFreeMeshBinding(m.binding);
    }
    if (impl_->blend) MdlFreeBlendDagEntireTree(impl_->blend);
    if (impl_->instance) MdlFreeModelInstance(impl_->instance);
    if (impl_->local) MdlFreeLocalPose(impl_->local);
    if (impl_->world) MdlFreeWorldPose(impl_->world);
    ReleaseFile(impl_->file);
    delete impl_;
}

int CxModelRig::AddChannel(const char* name, const char* path, const char* bone)
{
    CxModelFileEntry* file = AcquireFile(path);
    if (!file) return -1;
    const MdlFileInfo* info = MdlGetFileInfo(file->file);
    if (!info || info->animationCount < 1) {
        ReleaseFile(file);
        ReportError(ERR_INVALID_FILE_TYPE, "The file \"%s\" holds no animation", path);
        return -1;
    }
    RigChannel c;
    c.name = name ? name : "";
    c.file = file;
    int boneIndex = -1;
    if (bone && *bone) boneIndex = FindBone(bone);
    if (boneIndex >= 0) {
        c.mask = MdlNewTrackMask(0.0f, impl_->Skeleton()->boneCount);
        MdlSetSkeletonTrackMaskChainDownwards(c.mask, impl_->Skeleton(), boneIndex, 1.0f);
        MdlControlledAnimationBuilder* builder = MdlBeginControlledAnimation(0.0f, info->animations[0]);
        MdlSetTrackGroupTarget(builder, 0, impl_->instance);
        MdlSetTrackGroupModelMask(builder, 0, c.mask);
        c.control = MdlEndControlledAnimation(builder);
    } else {
        c.control = MdlPlayControlledAnimation(0.0f, info->animations[0], impl_->instance);
    }
    if (!c.control) {
        if (c.mask) MdlFreeTrackMask(c.mask);
        ReleaseFile(file);
        ReportError(ERR_OUT_OF_MEMORY, "Cannot play the animation \"%s\"", path);
        return -1;
    }
    // The rig owns its controls: a finished one stays, inactive, for the
    // next play.
    MdlSetControlFreeOnCompletion(c.control, false);
    MdlSetControlActive(c.control, false);
    MdlSetControlEaseIn(c.control, true);
    MdlSetControlEaseOut(c.control, true);
    MdlSetControlLoopCount(c.control, 0);
    impl_->channels.push_back(c);
    return int(impl_->channels.size()) - 1;
}

int CxModelRig::FindChannel(const char* name) const
{
    for (size_t i = 0; i < impl_->channels.size(); ++i)
        if (TextEquals(impl_->channels[i].name.c_str(), name ? name : "", true)) return int(i);
    return -1;
}

int CxModelRig::GetChannelCount() const { return int(impl_->channels.size()); }
bool CxModelRig::ChannelHasMask(int channel) const
{
    const RigChannel* c = impl_->Channel(channel);
    return c && c->mask;
}

// Restarting a control clears any ease that left it at weight 0, so a clip
// eased out before plays at full weight again.
void CxModelRig::Play(int channel, int loops, float weight)
{
    RigChannel* c = impl_->Channel(channel);
    if (!c) return;
    MdlSetControlRawLocalClock(c->control, 0.0f);
    MdlEaseControlIn(c->control, 0.0f, false);
    MdlSetControlWeight(c->control, weight);
    MdlSetControlActive(c->control, true);
    MdlSetControlLoopCount(c->control, loops);
}

void CxModelRig::BlendIn(int channel, float duration, int loops, bool fromCurrent)
{
    RigChannel* c = impl_->Channel(channel);
    if (!c) return;
    if (!fromCurrent) MdlSetControlRawLocalClock(c->control, 0.0f);
    if (MdlGetControlWeight(c->control) <= 0.0f) MdlSetControlWeight(c->control, 1.0f);
    MdlSetControlActive(c->control, true);
    if (loops != -1) MdlSetControlLoopCount(c->control, loops);
    MdlEaseControlIn(c->control, duration > 0 ? duration : 0.0f, fromCurrent);
}

void CxModelRig::BlendOut(int channel, float duration, int loops)
{
    RigChannel* c = impl_->Channel(channel);
    if (!c) return;
    if (loops != -1) MdlSetControlLoopCount(c->control, loops);
    MdlEaseControlOut(c->control, duration > 0 ? duration : 0.0f);
}

void CxModelRig::Stop(int channel)
{
    if (RigChannel* c = impl_->Channel(channel)) MdlSetControlActive(c->control, false);
}

void CxModelRig::StopAll()
{
    for (size_t i = 0; i < impl_->channels.size(); ++i) Stop(int(i));
}

void CxModelRig::SetLoopCount(int channel, int loops)
{
    if (RigChannel* c = impl_->Channel(channel)) MdlSetControlLoopCount(c->control, loops);
}

void CxModelRig::SetWeight(int channel, float weight)
{
    if (RigChannel* c = impl_->Channel(channel)) MdlSetControlWeight(c->control, std::isfinite(weight) ? weight : 0.0f);
}

void CxModelRig::SetSpeed(int channel, float speed)
{
    if (RigChannel* c = impl_->Channel(channel)) MdlSetControlSpeed(c->control, std::isfinite(speed) ? speed : 1.0f);
}

float CxModelRig::GetDuration(int channel) const
{
    const RigChannel* c = impl_->Channel(channel);
    return c ? MdlGetControlLocalDuration(c->control) : 0.0f;
}

float CxModelRig::GetEffectiveWeight(int channel) const
{
    const RigChannel* c = impl_->Channel(channel);
    return c ? MdlGetControlEffectiveWeight(c->control) : 0.0f;
}

bool CxModelRig::IsActive(int channel) const
{
    const RigChannel* c = impl_->Channel(channel);
    return c && MdlGetControlActive(c->control);
}

int CxModelRig::GetBoneCount() const { return impl_->Skeleton()->boneCount; }

int CxModelRig::FindBone(const char* name) const
{
    if (!name) return -1;
    for (int i = 0; i < impl_->Skeleton()->boneCount; ++i)
        if (TextEquals(impl_->Skeleton()->bones[i].name, name, true)) return i;
    return -1;
}

bool CxModelRig::GetBoneMatrix(int bone, float matrix[16]) const
{
    if (bone < 0 || bone >= GetBoneCount() || !impl_->posed) return false;
    const MdlMatrix4* m = MdlGetWorldPose4x4(impl_->world, bone);
    if (!m) return false;
    std::memcpy(matrix, m->m, sizeof m->m);
    return true;
}

void CxModelRig::GetInitialPlacement(float matrix[16]) const
{
    MdlMatrix4 m;
    MdlBuildCompositeTransform4x4(&impl_->model->initialPlacement, &m);
    std::memcpy(matrix, m.m, sizeof m.m);
}

void CxModelRig::Pose(const float world[16], float gameTime)
{
    MdlSetBlendDagTreeClock(impl_->blend, gameTime);
    MdlSampleBlendDagTree(impl_->blend, impl_->local);
    if (impl_->hook) {
        RigLocalPose pose(impl_->local);
        impl_->hook(impl_->hookUser, *this, pose);
    }
    MdlMatrix4 offset;
    std::memcpy(offset.m, world, sizeof offset.m);
    impl_->posed = MdlBuildWorldPose(impl_->Skeleton(), 0, impl_->Skeleton()->boneCount, impl_->local, &offset,
                                     impl_->world);
}

void CxModelRig::SetPoseHook(CxPoseHook hook, void* user)
{
    impl_->hook = hook;
    impl_->hookUser = hook ? user : nullptr;
}

int CxModelRig::Impl::MakeBuffers(CxD3DDevice* device, RigMesh& m)
{
    int vertexCount = MdlGetMeshVertexCount(m.mesh);
    int triangles = MdlGetMeshTriangleCount(m.mesh);
    if (vertexCount <= 0 || triangles <= 0) return 0;
    if (vertexCount > 65535) return ReportError(ERR_INVALID_FILE_TYPE, "A mesh has more vertices than 16-bit indices reach");
    uint32_t usage = GPUUSAGE_WRITEONLY | (m.deformer ? GPUUSAGE_DYNAMIC : 0u);
    if (device->CreateVertexBuffer(uint32_t(vertexCount) * 32, usage, kFvfPNT, GPUPOOL_DEFAULT, &m.vertices) != GPU_OK ||
        device->CreateIndexBuffer(uint32_t(triangles) * 6, GPUUSAGE_WRITEONLY, GPUFMT_INDEX16, GPUPOOL_DEFAULT,
                                  &m.indices) != GPU_OK)
        return ReportError(ERR_DIRECTX, "Cannot make the buffers of a mesh");
    void* bytes = nullptr;
    if (m.indices->Lock(0, 0, &bytes, 0) == GPU_OK) {
        MdlCopyMeshIndices(m.mesh, 2, bytes);
        m.indices->Unlock();
    }
    if (!m.deformer && m.vertices->Lock(0, 0, &bytes, 0) == GPU_OK) {
        MdlCopyMeshVertices(m.mesh, MDL_LAYOUT_PNT, bytes);
        m.vertices->Unlock();
    }
    return 0;
}

static bool IsWhite(const float color[4]) { return color[0] == 1 && color[1] == 1 && color[2] == 1 && color[3] == 1; }

static GpuColorValue Modulated(const GpuColorValue& c, const float by[4])
{
    return {c.r * by[0], c.g * by[1], c.b * by[2], c.a * by[3]};
}

int CxModelRig::Draw(CxD3DDevice* device, const float world[16], float gameTime, bool ownTextures)
{
    Pose(world, gameTime);
    if (!device || !impl_->posed) return 0;
    const MdlMatrix4* composite = MdlGetWorldPoseComposite4x4Array(impl_->world);
    int bones = GetBoneCount();
    for (RigMesh& m : impl_->meshes) {
        if (!m.vertices && impl_->MakeBuffers(device, m) != 0) continue;
        if (!m.vertices || !m.binding) continue;
        const int* boneIndices = MdlGetMeshBindingToBoneIndices(m.binding);
        int boneIndexCount = MdlGetMeshBindingBoneCount(m.binding);
        int vertexCount = MdlGetMeshVertexCount(m.mesh);
        device->PushTransform(GPUTS_WORLD);
        if (m.deformer) {
            void* bytes = nullptr;
            if (m.vertices->Lock(0, 0, &bytes, GPULOCK_DISCARD) == GPU_OK) {
                MdlDeformVertices(m.deformer, boneIndices, boneIndexCount, composite, bones, vertexCount,
                                  MdlGetMeshVertices(m.mesh), bytes);
                m.vertices->Unlock();
            }
        } else if (boneIndexCount > 0 && boneIndices[0] >= 0 && boneIndices[0] < bones) {
            GpuMatrix bone;
            ToGpu(composite[boneIndices[0]], &bone);
            device->MultiplyTransform(GPUTS_WORLD, bone);
        }
        device->SetIndices(m.indices);
        device->SetStreamSource(0, m.vertices, 0, 32);
        device->SetFVF(kFvfPNT);
        const MdlTriangleGroup* groups = MdlGetMeshTriangleGroups(m.mesh);
        for (int g = 0; g < MdlGetMeshTriangleGroupCount(m.mesh); ++g) {
            const MdlTriangleGroup& group = groups[g];
            if (ownTextures) device->SetTexture(0, impl_->Image(group.imageIndex));
            bool tinted = !IsWhite(group.baseColor) && device->PushMaterial();
            if (tinted) {
                GpuMaterial material;
                device->GetMaterial(&material);
                material.diffuse = Modulated(material.diffuse, group.baseColor);
                material.ambient = Modulated(material.ambient, group.baseColor);
                device->SetMaterial(material);
            }
            device->DrawIndexedPrimitive(GPUPT_TRIANGLELIST, 0, 0, uint32_t(vertexCount),
                                         uint32_t(group.firstTriangle) * 3, uint32_t(group.triangleCount));
            if (tinted) device->PopMaterial();
        }
        device->PopTransform(GPUTS_WORLD);
    }
    return 0;
}

bool CxModelRig::Pick(const float origin[3], const float direction[3], const char* filter, bool precise, char* bone,
                      int boneSize, float* distance) const
{
    if (bone && boneSize > 0) bone[0] = 0;
    if (!impl_->posed) return false;
    const MdlMatrix4* composite = MdlGetWorldPoseComposite4x4Array(impl_->world);
    int bones = GetBoneCount();
    float best = 99999.0f;
    bool found = false;
    std::vector<MdlVertexPNT> scratch;
    for (const RigMesh& m : impl_->meshes) {
        if (!m.binding) continue;
        const int* boneIndices = MdlGetMeshBindingToBoneIndices(m.binding);
        int boneIndexCount = MdlGetMeshBindingBoneCount(m.binding);
        int vertexCount = MdlGetMeshVertexCount(m.mesh);
        if (precise) {
            scratch.resize(size_t(vertexCount));
            if (m.deformer) {
                MdlDeformVertices(m.deformer, boneIndices, boneIndexCount, composite, bones, vertexCount,
                                  MdlGetMeshVertices(m.mesh), scratch.data());
            } else {
                MdlCopyMeshVertices(m.mesh, MDL_LAYOUT_PNT, scratch.data());
                if (boneIndexCount > 0 && boneIndices[0] >= 0 && boneIndices[0] < bones)
                    for (MdlVertexPNT& v : scratch) {
                        float p[3];
                        MdlTransformPoint(&composite[boneIndices[0]], v.position, p);
                        std::memcpy(v.position, p, sizeof p);
                    }
            }
        }
        for (int b = 0; b < m.mesh->boneBindingCount && b < boneIndexCount; ++b) {
            const MdlBoneBinding& binding = m.mesh->boneBindings[b];
            int skeletonBone = boneIndices[b];
            if (skeletonBone < 0 || skeletonBone >= bones) continue;
            const char* name = impl_->Skeleton()->bones[skeletonBone].name;
            if (filter && *filter && !MatchWildcards(filter, name)) continue;
            float boxT = 0;
            const MdlMatrix4* boneWorld = MdlGetWorldPose4x4(impl_->world, skeletonBone);
            if (!boneWorld || !MdlRayIntersectsBoxAt(boneWorld, binding.boxMin, binding.boxMax, origin, direction,
                                       &boxT))
                continue;
            if (!precise || binding.triangleCount == 0) {
                if (boxT < best) {
                    best = boxT;
                    CopyText(bone, name, size_t(boneSize));
                    found = true;
                }
                continue;
            }
            const uint32_t* indices = m.mesh->indices;
            for (int t = 0; t < binding.triangleCount; ++t) {
                int tri = binding.triangleIndices[t];
                if (tri < 0 || tri >= m.mesh->triangleCount) continue;
                MdlTriangleHit hit{};
                if (MdlRayIntersectsTriangleAt(scratch[indices[tri * 3]].position, scratch[indices[tri * 3 + 1]].position,
                                               scratch[indices[tri * 3 + 2]].position, origin, direction, &hit) > 0 &&
                    !hit.backFacing && hit.distance < best) {
                    best = hit.distance;
                    CopyText(bone, name, size_t(boneSize));
                    found = true;
                }
            }
        }
        if (found) break;
    }
    if (distance) *distance = best;
    return found;
}

void CxModelRig::PrepareTextures()
{
    impl_->Image(-1);   // the surfaces
    if (!GetTextureSurfaceDevice()) return;   // without a device the first draw makes the textures
    for (int i = 0; i < impl_->imageCount; ++i) impl_->Image(i);
}

void CxModelRig::ReleaseDevice()
{
    for (RigMesh& m : impl_->meshes) {
        if (m.vertices) m.vertices->Release();
        if (m.indices) m.indices->Release();
        m.vertices = nullptr;
        m.indices = nullptr;
    }
}

int CxModelRig::GetVertexCount() const
{
    int n = 0;
    for (const RigMesh& m : impl_->meshes) n += MdlGetMeshVertexCount(m.mesh);
    return n;
}
