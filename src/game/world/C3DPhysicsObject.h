// A toy that flies, bounces on the grass, hits the yard fence, rolls and
// comes to rest.  The simulation is ours and small; its tuning numbers live
// in the script table `physics` and are looked up at every step, so a
// designer can change them while the game runs.
#pragma once
#include "game/world/Cx3DObject.h"

#include <cstdint>

class CxLuaEngine;

class C3DPhysicsObject : public Cx3DObject {
public:
    enum : int { STATE_IDLE = 0, STATE_FLYING = 1, STATE_LEFT_YARD = 2, STATE_AT_REST = 3 };

    C3DPhysicsObject();
    ~C3DPhysicsObject() override;

    // Resets the simulation (not the spin axis, angular velocity or the
    // collisions switch) when the state changes through a throw, a reset,
    // a grab, coming to rest or leaving the yard.
    virtual void OnStateChange(int oldState, int newState);

    void Throw(float vx, float vy, float vz);
    void ThrowNoSpin(float vx, float vy, float vz);
    void Reset(float x, float y, float z);
    // One step with the main loop's tick in ms; only a flying toy moves.
    void Update(uint32_t tick);

    void SetState(int state) { state_ = state; }   // plain access, no reset
    int  GetState() const { return state_; }
    bool IsFlying() const { return state_ == STATE_FLYING; }
    bool IsOnGround() const { return state_ == STATE_AT_REST; }
    void EnableCollisions() { collisions_ = 1; }
    void DisableCollisions() { collisions_ = 0; }
    // Paused time is never integrated: the next step only records the tick.
    void Pause() override;
    void Resume() override;
    void SkipNextStep() { skipNextStep_ = 1; }

    // While dragged: the placement keeps only its position; a disc tilts
    // about z by the grab tilt in degrees times tilt (-1 .. 1).
    void GrabTilt(float tilt);
    bool IsDisc() const;   // "frisbee" or "flyingdisc" in the name, case ignored

    const float* GetVelocity() const { return velocity_; }
    const float* GetSpinAxis() const { return spinAxis_; }
    float GetAngularVelocity() const { return angularVelocity_; }
    int  HasBounced() const { return bounced_; }
    int  IsRolling() const { return rolling_; }
    int  IsSpinning() const { return spinning_; }
    int  HasCollisions() const { return collisions_; }
    float GetLowestApex() const { return lowestApex_; }

    // The engine whose `physics` table tunes this toy: the one a script
    // made it in, else the application's.  Without either every number is 0.
    void SetScriptEngine(CxLuaEngine* engine) { engine_ = engine; }
    CxLuaEngine* GetScriptEngine() const;
    // The landing sound's file for a toy of this name.
    static const char* LandingSound(const char* name);
    // Where the landing sounds go: the sound services, unless a test listens.
    using SoundPlayer = int (*)(const char* file);
    static void SetSoundPlayer(SoundPlayer player);

private:
    int state_ = STATE_IDLE;
    int skipNextStep_ = 1;
    uint32_t lastTick_ = 0;
    float velocity_[3] = {0, 0, 0};
    float spinAxis_[3] = {1, 0, 0};
    float angularVelocity_ = 0;
    float lowestApex_ = 3.4028235e38f;
    int bounced_ = 0, rolling_ = 0, collisions_ = 1, spinning_ = 0;
    CxLuaEngine* engine_ = nullptr;

    void ChangeState(int newState);
    void SetRandomSpinAxis();
};

// The script class C3DPhysicsObject (every Cx3DObject method too).
int RegisterPhysicsScriptClass(CxLuaEngine& engine);
C3DPhysicsObject* CheckPhysicsObject(void* luaState, int index);   // null when the value is not one
