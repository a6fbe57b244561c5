#include "game/world/Cx3DObject.h"

#include "core/CxError.h"
#include "events/CxEventKinds.h"
#include "foundation/Qorstr.h"
#include "game/world/CxModelManager.h"
#include "graphics/CxD3DDevice.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {
float gGameTime = 0;
int gLiveObjects = 0;
uint32_t gNextId = 1;

std::unordered_map<uint32_t, Cx3DObject*>& LiveObjects()
{
    static std::unordered_map<uint32_t, Cx3DObject*> live;
    return live;
}

// The one handler every object's command events go to: the first argument
// names the object, the rest are the command's.
class ObjectCommands : public CCommandHandler {
public:
    int OnCommand(const char* command, CxLinkedList<CxString>& arguments) override
    {
        if (arguments.IsEmpty()) return 0;
        uint32_t id = uint32_t(std::strtoul(arguments.GetHead()->value.Text(), nullptr, 10));
        arguments.RemoveHead();
        Cx3DObject* object = Cx3DObject::FindLive(id);
        return object ? object->OnCommand(command, arguments) : 0;
    }
};
ObjectCommands gObjectCommands;

const char* Word(CxLinkedList<CxString>& arguments, int index)
{
    auto* node = arguments.GetHead();
    for (int i = 0; node && i < index; ++i) node = node->next;
    return node ? node->value.Text() : nullptr;
}

float WordNumber(CxLinkedList<CxString>& arguments, int index, float def)
{
    const char* word = Word(arguments, index);
    if (!word) return def;
    float v = std::strtof(word, nullptr);
    return std::isfinite(v) ? v : def;
}
}  // namespace

Cx3DObject* Cx3DObject::FindLive(uint32_t id)
{
    auto at = LiveObjects().find(id);
    return at == LiveObjects().end() ? nullptr : at->second;
}

void Cx3DObject::ReleaseAllDeviceObjects()
{
    for (auto& entry : LiveObjects())
        if (entry.second->rig_) entry.second->rig_->ReleaseDevice();
}

int Cx3DObject::RegisterEventName(const char* name)
{
    if (!name) return ReportError(ERR_INVALID_ARGUMENT, "No event name");
    if (!eventName_.empty() && FindEventCreator(eventName_.c_str()) == this) UnregisterEventCreators(eventName_.c_str());
    char cut[32];
    CopyText(cut, name, sizeof cut);
    eventName_ = cut;
    return RegisterEventCreator(cut, this);
}

CxEvent* Cx3DObject::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    bool mine = TextEquals(creatorName, "this", true) || (!eventName_.empty() && TextEquals(creatorName, eventName_.c_str(), true));
    if (!mine || !kind || TextEquals(kind, "TODO: Add New Events Here", true)) return nullptr;
    CxLinkedList<CxString> addressed;
    addressed.AddTail(CxString::FormatNew("%u", id_));
    for (auto* node = arguments.GetHead(); node; node = node->next) addressed.AddTail(node->value);
    return new CCommandEvent(&gObjectCommands, kind, addressed);
}

int Cx3DObject::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    const char* name = Word(arguments, 0);
    if (!name) return 0;
    auto is = [command](const char* n) { return TextEquals(command, n, true); };
    int count = int(arguments.GetCount());
    if (is("StopAnim")) StopAnim(name);
    else if (is("PlayInfinite")) Play(name, 0, 1.0f);
    else if (is("PlayOnce")) Play(name, 1, 1.0f);
    else if (is("PlayMaskAnim")) Play(name, count > 1 ? int(WordNumber(arguments, 1, 0)) : 0, 1.0f);
    else if (is("SetAnimWeight")) SetAnimWeight(name, WordNumber(arguments, 1, 1.0f));
    else if (is("BlendOut")) BlendOut(name, WordNumber(arguments, 1, 0), int(WordNumber(arguments, 2, -1)));
    else if (is("BlendOutAll")) BlendOutAll(WordNumber(arguments, 1, 0), int(WordNumber(arguments, 2, -1)));
    else if (is("BlendIn"))
        BlendIn(name, WordNumber(arguments, 1, 0), int(WordNumber(arguments, 2, -1)), int(WordNumber(arguments, 3, 0)));
    else if (is("SetLoopCount")) SetAnimLoopCount(name, int(WordNumber(arguments, 1, 0)));
    return 0;
}

void Cx3DObject::SetGameTime(float seconds)
{
    if (std::isfinite(seconds)) gGameTime = seconds;
}
float Cx3DObject::GetGameTime() { return gGameTime; }
int Cx3DObject::LiveCount() { return gLiveObjects; }

Cx3DObject::Cx3DObject() : id_(gNextId++)
{
    ++gLiveObjects;
    LiveObjects()[id_] = this;
}

Cx3DObject::~Cx3DObject()
{
    UnLoad();
    LiveObjects().erase(id_);
    --gLiveObjects;
}

uint32_t Cx3DObject::GetChannel()
{
    if (!channel_ && CxEvent::CreateChannel(&channel_) != 0) channel_ = 0;
    return channel_;
}

int Cx3DObject::LoadModel(const char* path)
{
    delete rig_;
    rig_ = path ? CxModelRig::Load(path) : nullptr;
    if (rig_) rig_->PrepareTextures();
    playing_.clear();
    current_.clear();
    return 0;
}

int Cx3DObject::LoadAnim(const char* name, const char* path, const char* bone)
{
    if (!rig_) return ReportError(ERR_INVALID_ARGUMENT, "An animation needs a model first");
    if (!path) return ReportError(ERR_INVALID_ARGUMENT, "No animation file");
    return rig_->AddChannel(name, path, bone) >= 0 ? 0 : ERR_INVALID_FILE_TYPE;
}

void Cx3DObject::UnLoad()
{
    // The registry must not name an object that is gone or unloaded.
    if (!eventName_.empty() && FindEventCreator(eventName_.c_str()) == this) UnregisterEventCreators(eventName_.c_str());
    eventName_.clear();
    if (channel_) CxEvent::DestroyChannel(channel_);
    channel_ = 0;
    SetVisible(0);
    UnLink();
    delete rig_;
    rig_ = nullptr;
    texture_.Release();
    playing_.clear();
    current_.clear();
}

int Cx3DObject::SetTexture(const char* path)
{
    texture_.Release();
    return path ? GetTexture(path, &texture_) : 0;
}

void Cx3DObject::Play(const char* name, int loops, float weight)
{
    if (rig_) rig_->Play(rig_->FindChannel(name), loops, weight);
}

void Cx3DObject::BlendIn(const char* name, float duration, int loops, int fromCurrent)
{
    if (!rig_) return;
    int channel = rig_->FindChannel(name);
    if (channel < 0) return;
    playing_.push_back(name);
    rig_->BlendIn(channel, duration, loops, fromCurrent != 0);
    if (!rig_->ChannelHasMask(channel)) current_ = name;
}

void Cx3DObject::BlendOut(const char* name, float duration, int loops)
{
    if (!rig_) return;
    std::string which = name && *name ? name : current_;
    rig_->BlendOut(rig_->FindChannel(which.c_str()), duration, loops);
    auto at = std::find(playing_.begin(), playing_.end(), which);
    if (at != playing_.end()) playing_.erase(at);
}

void Cx3DObject::BlendOutAll(float duration, int loops)
{
    std::vector<std::string> playing = playing_;
    for (const std::string& name : playing) BlendOut(name.c_str(), duration, loops);
    playing_.clear();
}

void Cx3DObject::StopAnim(const char* name)
{
    if (rig_) rig_->Stop(rig_->FindChannel(name));
}

void Cx3DObject::StopAll()
{
    if (rig_) rig_->StopAll();
}

void Cx3DObject::SetAnimLoopCount(const char* name, int loops)
{
    if (rig_) rig_->SetLoopCount(rig_->FindChannel(name), loops);
}

void Cx3DObject::SetAnimWeight(const char* name, float weight)
{
    if (rig_) rig_->SetWeight(rig_->FindChannel(name), weight);
}

void Cx3DObject::SetAnimSpeed(const char* name, float speed)
{
    if (rig_) rig_->SetSpeed(rig_->FindChannel(name), speed);
}

float Cx3DObject::GetAnimDuration(const char* name) const
{
    return rig_ ? rig_->GetDuration(rig_->FindChannel(name)) : 0.0f;
}

void Cx3DObject::SetPosition(float x, float y, float z)
{
    if (!std::isfinite(x) || !std::isfinite(y) || !std::isfinite(z)) return;
    placement_.m[3][0] = x, placement_.m[3][1] = y, placement_.m[3][2] = z;
}

void Cx3DObject::GetPosition(float* x, float* y, float* z) const
{
    bool model = rig_ != nullptr;
    if (x) *x = model ? placement_.m[3][0] : 0;
    if (y) *y = model ? placement_.m[3][1] : 0;
    if (z) *z = model ? placement_.m[3][2] : 0;
}

void Cx3DObject::SetScale(float s)
{
    if (!std::isfinite(s)) return;
    for (auto& row : placement_.m) {
        if (&row == &placement_.m[3]) break;
        float length = std::sqrt(row[0] * row[0] + row[1] * row[1] + row[2] * row[2]);
        if (length < 1e-12f) continue;
        for (int i = 0; i < 3; ++i) row[i] = row[i] / length * s;
    }
}

void Cx3DObject::Rotate(int axis, float radians)
{
    if (!std::isfinite(radians) || axis < 0 || axis > 2) return;
    float c = std::cos(radians), s = std::sin(radians);
    GpuMatrix r;
    int a = (axis + 1) % 3, b = (axis + 2) % 3;
    r.m[a][a] = c, r.m[a][b] = s, r.m[b][a] = -s, r.m[b][b] = c;
    // Rotating the axes in place leaves the position where it was.
    GpuMatrix turned = GpuMultiply(placement_, r);
    for (int i = 0; i < 3; ++i) turned.m[3][i] = placement_.m[3][i];
    placement_ = turned;
}

void Cx3DObject::RotateAbout(float radians, float x, float y, float z)
{
    float length = std::sqrt(x * x + y * y + z * z);
    if (!std::isfinite(radians) || !std::isfinite(length) || length < 1e-6f) return;
    x /= length, y /= length, z /= length;
    float c = std::cos(radians), s = std::sin(radians), t = 1 - c;
    GpuMatrix r;   // row vectors: the transpose of the column form
    r.m[0][0] = t * x * x + c, r.m[0][1] = t * x * y + s * z, r.m[0][2] = t * x * z - s * y;
    r.m[1][0] = t * x * y - s * z, r.m[1][1] = t * y * y + c, r.m[1][2] = t * y * z + s * x;
    r.m[2][0] = t * x * z + s * y, r.m[2][1] = t * y * z - s * x, r.m[2][2] = t * z * z + c;
    GpuMatrix turned = GpuMultiply(placement_, r);
    for (int i = 0; i < 3; ++i) turned.m[3][i] = placement_.m[3][i];
    placement_ = turned;
}

void Cx3DObject::GetWorldMatrix(GpuMatrix* m) const
{
    GpuMatrix initial;
    if (rig_) rig_->GetInitialPlacement(&initial.m[0][0]);
    *m = GpuMultiply(initial, placement_);
}

int Cx3DObject::GetBoneIndex(const char* name) const { return rig_ ? rig_->FindBone(name) : -1; }
int Cx3DObject::GetNumBones() const { return rig_ ? rig_->GetBoneCount() : 0; }

bool Cx3DObject::GetBonePosition(int bone, float position[3]) const
{
    float m[16];
    if (!rig_ || !rig_->GetBoneMatrix(bone, m)) return false;
    position[0] = m[12], position[1] = m[13], position[2] = m[14];
    return true;
}

void Cx3DObject::ReleaseDevice()
{
    if (rig_) rig_->ReleaseDevice();
    for (CxRenderable* child : children_)
        if (auto* object = dynamic_cast<Cx3DObject*>(child)) object->ReleaseDevice();
}

void Cx3DObject::Render(const RenderContext& context)
{
    bool draw = (!hasAlpha_ && context.pass == RENDERPASS_OPAQUE) || (hasAlpha_ && context.pass == RENDERPASS_TRANSPARENT) ||
                (foreground_ && context.pass == RENDERPASS_FOREGROUND);
    CxD3DDevice* device = context.device;
    if (draw && device) {
        device->SetTexture(0, texture_.GetTexture());
        if (materialOn_) {
            device->PushMaterial();
            device->SetMaterial(material_);
        }
        if (rig_) {
            GpuMatrix world;
            GetWorldMatrix(&world);
            uint32_t cull = 0;
            if (twoSided_) {
                device->GetRenderState(GPURS_CULLMODE, &cull);
                device->SetRenderState(GPURS_CULLMODE, GPUCULL_NONE);
            }
            // A texture set by script covers the whole model; without one
            // each part shows the image its file embeds.
            rig_->Draw(device, &world.m[0][0], gGameTime, !texture_.IsSet());
            if (twoSided_) device->SetRenderState(GPURS_CULLMODE, cull);
            ++draws_;
        }
        if (materialOn_) device->PopMaterial();
    }
    for (CxRenderable* child : children_)
        if (auto* object = dynamic_cast<Cx3DObject*>(child); object && object->attachBone_ != -1) PlaceChild(object);
    RenderChildren(context);
}

void Cx3DObject::PlaceChild(Cx3DObject* child) const
{
    float bone[16];
    if (!rig_ || !rig_->GetBoneMatrix(child->attachBone_, bone)) return;
    if (child->attachOrientation_) {
        GpuMatrix m;
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 4; ++c) m.m[r][c] = bone[r * 4 + c];
        for (int i = 0; i < 3; ++i) m.m[3][i] += child->offset_[i];
        child->placement_ = GpuMultiply(child->local_, m);
        return;
    }
    for (int i = 0; i < 3; ++i)
        child->placement_.m[3][i] = (child->flags_ & (1 << i)) ? child->fixed_[i] : bone[12 + i] + child->offset_[i];
}

CxString Cx3DObject::PickBone(const float origin[3], const float direction[3], const char* filter) const
{
    char bone[128];
    if (!rig_ || !rig_->Pick(origin, direction, filter, true, bone, sizeof bone, nullptr)) return CxString();
    return CxString(bone);
}

bool Cx3DObject::Pick(const float origin[3], const float direction[3], float* distance) const
{
    char bone[128];
    float best = 0;
    bool hit = rig_ && rig_->Pick(origin, direction, "", true, bone, sizeof bone, &best);
    if (distance) *distance = hit ? best : 0;
    return hit;
}
