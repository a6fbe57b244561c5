// A model in the 3D world: its placement, animations, texture, material
// and flags, drawn in the passes its flags ask for.
#pragma once
#include "core/CxPauseResume.h"
#include "events/CCommandHandler.h"
#include "events/CxEvent.h"
#include "foundation/CxString.h"
#include "game/world/CxRenderable.h"
#include "game/world/CxTextureCache.h"
#include "platform/gpu/GpuDevice.h"

#include <string>
#include <vector>

class CxModelRig;

class Cx3DObject : public CxRenderable, public CxPauseResume, public CxEventCreator, public CCommandHandler {
public:
    Cx3DObject();
    ~Cx3DObject() override;

    // Events named for this object (its registered event name, or "this")
    // become commands to it.  The command events name the object by an id,
    // so one still queued when the object dies finds nothing instead of a
    // freed object.
    int  RegisterEventName(const char* name);
    const char* GetEventName() const { return eventName_.c_str(); }
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    int  OnCommand(const char* command, CxLinkedList<CxString>& arguments) override;
    static Cx3DObject* FindLive(uint32_t id);
    // The id FindLive knows this object by; never reused.
    uint32_t GetId() const { return id_; }
    // Every live object's GPU buffers go (before the device closes or resets);
    // each makes them again at its next draw.
    static void ReleaseAllDeviceObjects();

    void Render(const RenderContext& context) override;

    int  LoadModel(const char* path);   // 0; an unreadable file leaves the object without a model
    int  LoadAnim(const char* name, const char* path, const char* bone);
    void UnLoad();
    // The object's own event channel, made when first asked for so scripts
    // can queue events for it; UnLoad destroys it.  0 when one cannot be made.
    uint32_t GetChannel();
    int  SetTexture(const char* path);
    bool HasModel() const { return rig_ != nullptr; }
    CxModelRig* GetRig() const { return rig_; }

    // Animations by channel name (case ignored); unknown names do nothing.
    void Play(const char* name, int loops, float weight);
    void PlayOnce(const char* name, float weight) { Play(name, 1, weight); }
    void PlayInfinite(const char* name, float weight) { Play(name, 0, weight); }
    void BlendIn(const char* name, float duration, int loops, int fromCurrent);
    void BlendOut(const char* name, float duration, int loops);   // "" = the current animation
    void BlendOutAll(float duration, int loops);
    void StopAnim(const char* name);
    void StopAll();
    void SetAnimLoopCount(const char* name, int loops);
    void SetAnimWeight(const char* name, float weight);
    void SetAnimSpeed(const char* name, float speed);
    float GetAnimDuration(const char* name) const;
    const char* GetCurrentAnim() const { return current_.c_str(); }

    // Placement: row-major, row vectors; rows 0-2 the axes, row 3 the position.
    void SetPosition(float x, float y, float z);
    void GetPosition(float* x, float* y, float* z) const;
    void SetScale(float s);
    void Rotate(int axis, float radians);   // 0 = X, 1 = Y, 2 = Z
    void RotateAbout(float radians, float x, float y, float z);   // a zero or broken axis turns nothing
    void SetOrientation(const GpuMatrix& m) { placement_ = m; }
    const GpuMatrix& GetOrientation() const { return placement_; }
    void GetWorldMatrix(GpuMatrix* m) const;   // initial placement × placement

    void SetMaterial(const GpuMaterial& material) { material_ = material, materialOn_ = true; }
    // 0 diffuse, 1 ambient, 2 specular, 3 emissive; each turns the material on.
    void SetMaterialPart(int which, const GpuColorValue& color)
    {
        (which == 0 ? material_.diffuse : which == 1 ? material_.ambient : which == 2 ? material_.specular
                                                                                      : material_.emissive) = color;
        materialOn_ = true;
    }
    void SetMaterialPower(float power) { material_.power = power, materialOn_ = true; }
    void SetTwoSided(int on) { twoSided_ = on; }
    void SetForeground(int on) { foreground_ = on; }
    int  IsForeground() const { return foreground_; }

    int  GetBoneIndex(const char* name) const;
    int  GetNumBones() const;
    bool GetBonePosition(int bone, float position[3]) const;

    // Attachment to a bone of the parent object: with attach orientation the
    // child takes the bone's axes and position (plus the offset) times its
    // local matrix; without, only the position, where flag bits 0/1/2 keep
    // the fixed X/Y/Z instead.
    void SetAttachmentBoneIndex(int bone) { attachBone_ = bone; }
    int  GetAttachmentBoneIndex() const { return attachBone_; }
    void SetAttachOrientation(int on) { attachOrientation_ = on; }
    int  GetAttachOrientation() const { return attachOrientation_; }
    void SetOffset(float x, float y, float z) { offset_[0] = x, offset_[1] = y, offset_[2] = z; }
    const float* GetOffset() const { return offset_; }
    void SetFixedPos(float x, float y, float z) { fixed_[0] = x, fixed_[1] = y, fixed_[2] = z; }
    void SetFlags(int flags) { flags_ = flags; }
    int  GetFlags() const { return flags_; }
    void SetLocalOrientation(const GpuMatrix& m) { local_ = m; }

    // Picking with a world-space ray against the pose of the last draw:
    // PickBone answers the name of the bone hit whose name matches the
    // wildcard filter (empty when none); Pick whether anything was hit.
    CxString PickBone(const float origin[3], const float direction[3], const char* filter) const;
    bool Pick(const float origin[3], const float direction[3], float* distance = nullptr) const;

    int  GetDrawCount() const { return draws_; }
    void ReleaseDevice();

    // Seconds on the clock every animation follows; the 3D room sets it each frame.
    static void SetGameTime(float seconds);
    static float GetGameTime();
    static int LiveCount();

private:
    CxModelRig* rig_ = nullptr;
    CxTextureHandle texture_;
    GpuMatrix placement_;
    GpuMaterial material_;
    bool materialOn_ = false;
    int twoSided_ = 0, foreground_ = 0;
    std::vector<std::string> playing_;
    std::string current_;
    int draws_ = 0;
    uint32_t id_ = 0;
    uint32_t channel_ = 0;
    std::string eventName_;
    int attachBone_ = -1, attachOrientation_ = 1, flags_ = 0;
    float offset_[3] = {0, 0, 0}, fixed_[3] = {0, 0, 0};
    GpuMatrix local_;

    void PlaceChild(Cx3DObject* child) const;
};
