// The pet: a 3D object whose behaviour is written in the pet scripts.  The
// host gives it what scripts cannot do cheaply: turning and walking events
// that keep the body oriented while the matching clips blend, the body part
// under the mouse, and the tweak bone that bends one bone over the clip.
#pragma once
#include "foundation/CxString.h"
#include "game/world/Cx3DObject.h"

#include <cstdint>

class CPet : public Cx3DObject {
public:
    CPet();
    ~CPet() override;

    // Turns at once about the vertical axis to face the point.
    virtual void FacePoint(float x, float y, float z);
    // WalkToPosition, TurnInPlace, FacePosition; everything else as Cx3DObject.
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;

    // The model's pose hook: the running 3D room's AdjustPose sees every
    // pose of this pet before it is drawn.  Render attaches it (the model
    // may have been loaded since); hosts that pose without drawing attach
    // it themselves.
    void AttachPoseHook();
    void Render(const RenderContext& context) override;
};

// The signed angle (radians, in (-pi, pi]) to turn about +y so that the
// placement's forward (its negated z row, flattened) faces target.
float PetFacingAngle(const GpuMatrix& placement, const float position[3], const float target[3]);

// The pet the rooms interact with (RegisterPet / UnRegisterPet); null when
// none is registered or the registered value is not a pet.  Forgotten by
// itself when the pet object is destroyed.
CPet* GetRegisteredPet();
void  SetRegisteredPet(CPet* pet);

// The body-part name under a ray: the registered pet's bone (never one
// named "-tag..."), mapped through the script table `bones`; a bone the
// table lacks answers "Unknown Bone: <name>".  Empty when nothing is hit.
CxString PetBodyPartUnderRay(const float origin[3], const float direction[3]);
// The same mapping for a bone name already picked.
CxString PetBodyPartOfBone(const char* bone);

// The tweak bone: one bone of the pet bent smoothly toward the room
// script's Room.tTweakBone over the playing clips, and back.
class CxRigLocalPose;
class CxLuaEngine;
class CTweakBoneState {
public:
    // Called from the room's pose hook with the pose about to be drawn;
    // reads the running room's script (or the one given).
    void Apply(CxModelRig& rig, CxRigLocalPose& pose, uint32_t nowMs);
    void Apply(CxLuaEngine* engine, CxModelRig& rig, CxRigLocalPose& pose, uint32_t nowMs);
    bool IsActive() const { return active_; }
    bool IsBlending() const { return blending_; }

private:
    bool active_ = false, blending_ = false;
    uint32_t lastTick_ = 0;
    double current_[4] = {0, 0, 0, 1};
};

// The script class CPet and the global functions RegisterPet and
// UnRegisterPet (which keep the script object alive while registered).
class CxLuaEngine;
struct CxScriptClass;
extern const CxScriptClass kCPetScriptClass;
int RegisterPetScript(CxLuaEngine& engine);
