#include "game/world/C3DPhysicsObject.h"

#include "app/CxApp.h"
#include "foundation/CxString.h"
#include "foundation/Qorstr.h"
#include "media/CxSoundServices.h"
#include "script/CxLuaEngine.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kNoApex = 3.4028235e38f;
constexpr float kDegreesPerRadian = 57.295776f;
// A toy has its own section when its elasticity is there at all; any real
// number differs from this.
constexpr float kNoSection = -12345678.0f;

C3DPhysicsObject::SoundPlayer gSoundPlayer = &PlaySoundByName;

float Length(const float v[3]) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
bool Finite3(const float v[3]) { return std::isfinite(v[0]) && std::isfinite(v[1]) && std::isfinite(v[2]); }

// The tuning numbers of one step.  A script may hold anything in the table:
// a value that is not a finite number counts as missing, so a typing slip
// in the data never turns a toy's position into NaN.
class Tuning {
public:
    Tuning(CxLuaEngine* engine, const char* name) : engine_(engine)
    {
        // The name is one key of the table: a dot in it would name a
        // different path, so such a toy takes the shared numbers.
        own_.Format("physics.toy.%s", name);
        bool usable = name && *name && !std::strchr(name, '.');
        hasOwn_ = usable && Raw(Key(own_, "elasticity"), kNoSection) != kNoSection;
        section_ = hasOwn_ ? own_ : CxString("physics.toy.Default");
    }

    float Global(const char* path) const { return Read(path, 0); }
    float Toy(const char* key) const { return Read(Key(section_, key), 0); }
    float Default(const char* key) const { return Read(Key(CxString("physics.toy.Default"), key), 0); }
    // The toy's own value when its section has the key, else the shared one.
    float OwnOrDefault(const char* key) const
    {
        if (hasOwn_) {
            float own = Raw(Key(own_, key), kNoSection);
            if (own != kNoSection && std::isfinite(own)) return own;
        }
        return Default(key);
    }
    float Read(const char* path, float def) const
    {
        float value = Raw(path, def);
        return std::isfinite(value) ? value : def;
    }

private:
    CxLuaEngine* engine_;
    CxString own_, section_;
    bool hasOwn_ = false;

    static CxString Key(const CxString& section, const char* key)
    {
        CxString path(section);
        path.Append(".");
        path.Append(key);
        return path;
    }
    float Raw(const char* path, float def) const { return engine_ ? engine_->GetGlobalFloat(path, def) : def; }
};

// The yard's fence.  The fixed numbers are the game's first yard; each room
// script may give its own in `physics.yard`, in the room's units.
struct Yard {
    float minX, maxX, minZ, maxZ, notchX, notchZ, exitZ;
    explicit Yard(const Tuning& t)
        : minX(t.Read("physics.yard.min_x", -480)), maxX(t.Read("physics.yard.max_x", -130)),
          minZ(t.Read("physics.yard.min_z", -480)), maxZ(t.Read("physics.yard.max_z", 190)),
          notchX(t.Read("physics.yard.notch_x", -390)), notchZ(t.Read("physics.yard.notch_z", -350)),
          exitZ(t.Read("physics.yard.exit_z", 250))
    {
    }
};
}  // namespace

C3DPhysicsObject::C3DPhysicsObject() = default;
C3DPhysicsObject::~C3DPhysicsObject() = default;

void C3DPhysicsObject::SetSoundPlayer(SoundPlayer player) { gSoundPlayer = player ? player : &PlaySoundByName; }

CxLuaEngine* C3DPhysicsObject::GetScriptEngine() const
{
    if (engine_) return engine_;
    CxApp* app = CxApp::GetApp();
    return app ? app->GetScriptEngine() : nullptr;
}

void C3DPhysicsObject::OnStateChange(int, int)
{
    lowestApex_ = kNoApex;
    lastTick_ = 0;
    skipNextStep_ = 1;
    rolling_ = 0;
    velocity_[0] = velocity_[1] = velocity_[2] = 0;
    bounced_ = 0;
    spinning_ = 0;
}

void C3DPhysicsObject::ChangeState(int newState)
{
    int old = state_;
    state_ = newState;
    OnStateChange(old, newState);
}

bool C3DPhysicsObject::IsDisc() const
{
    const char* name = GetName();
    return TextContains(name, "frisbee", true) || TextContains(name, "flyingdisc", true);
}

const char* C3DPhysicsObject::LandingSound(const char* name)
{
    if (TextContains(name, "jingle", true)) return "land-jingle.wav";
    if (TextContains(name, "duck", true)) return "land-ducky.wav";
    return "land-toy.wav";
}

void C3DPhysicsObject::SetRandomSpinAxis()
{
    // Points near the centre of the cube have no usable direction: draw again.
    for (int tries = 0; tries < 64; ++tries) {
        float a[3];
        for (float& c : a) c = float(std::rand()) / float(RAND_MAX) * 2.0f - 1.0f;
        float length = Length(a);
        if (length > 1e-3f) {
            for (int i = 0; i < 3; ++i) spinAxis_[i] = a[i] / length;
            return;
        }
    }
    spinAxis_[0] = 1, spinAxis_[1] = 0, spinAxis_[2] = 0;
}

void C3DPhysicsObject::Throw(float vx, float vy, float vz)
{
    ChangeState(STATE_FLYING);
    if (std::isfinite(vx) && std::isfinite(vy) && std::isfinite(vz)) velocity_[0] = vx, velocity_[1] = vy, velocity_[2] = vz;
    spinning_ = 1;
    if (IsDisc()) spinAxis_[0] = 0, spinAxis_[1] = 1, spinAxis_[2] = 0;
    else SetRandomSpinAxis();
    angularVelocity_ = Tuning(GetScriptEngine(), GetName()).OwnOrDefault("initial_angular_velocity") / kDegreesPerRadian;
}

void C3DPhysicsObject::ThrowNoSpin(float vx, float vy, float vz)
{
    ChangeState(STATE_FLYING);
    if (std::isfinite(vx) && std::isfinite(vy) && std::isfinite(vz)) velocity_[0] = vx, velocity_[1] = vy, velocity_[2] = vz;
    angularVelocity_ = 0;
    spinAxis_[0] = 1, spinAxis_[1] = 0, spinAxis_[2] = 0;
}

void C3DPhysicsObject::Reset(float x, float y, float z)
{
    SetPosition(x, y, z);
    ChangeState(STATE_IDLE);
}

void C3DPhysicsObject::Pause() { skipNextStep_ = 1; }
void C3DPhysicsObject::Resume() { skipNextStep_ = 1; }

void C3DPhysicsObject::GrabTilt(float tilt)
{
    const GpuMatrix& placed = GetOrientation();
    GpuMatrix upright;
    for (int i = 0; i < 3; ++i) upright.m[3][i] = placed.m[3][i];
    SetOrientation(upright);
    if (!IsDisc() || !std::isfinite(tilt)) return;
    float degrees = Tuning(GetScriptEngine(), GetName()).Global("physics.toy.Frisbee.grab_tilt") * tilt;
    RotateAbout(degrees / kDegreesPerRadian, 0, 0, 1);
}

void C3DPhysicsObject::Update(uint32_t tick)
{
    // A paused toy's time is never integrated, however long the pause: its
    // resume makes the next step only record the tick.
    if (state_ != STATE_FLYING || IsPaused()) {
        lastTick_ = tick;
        return;
    }
    if (skipNextStep_) {
        skipNextStep_ = 0;
        lastTick_ = tick;
        return;
    }
    if (tick == lastTick_) return;
    float dt = float(uint32_t(tick - lastTick_)) / 1000.0f;   // a wrapped tick still counts forward

    Tuning tuning(GetScriptEngine(), GetName());
    const float gravity = tuning.Global("physics.gravity");
    const float epsilon = tuning.Global("physics.velocity_epsilon");
    const float grass = tuning.Global("physics.grass.height");
    const float grassElasticity = tuning.Global("physics.grass.elasticity");
    const float grassFriction = tuning.Global("physics.grass.rolling_friction");
    const float fenceElasticity = tuning.Global("physics.fence.elasticity");
    const float elasticity = tuning.Toy("elasticity");
    const float minApex = tuning.Toy("min_apex_height");
    const float minVelocity = tuning.Toy("min_velocity");
    const float lift = tuning.Toy("lift");
    const float friction = tuning.Toy("rolling_friction");

    const GpuMatrix& placed = GetOrientation();
    const float p[3] = {placed.m[3][0], placed.m[3][1], placed.m[3][2]};
    const float v[3] = {velocity_[0], velocity_[1], velocity_[2]};
    float P[3], V[3];
    for (int i = 0; i < 3; ++i) P[i] = p[i] + v[i] * dt;
    V[0] = v[0], V[1] = v[1] + (lift - gravity) * dt, V[2] = v[2];

    const bool wasRolling = rolling_ != 0;
    bool apex = false, contact = false;

    // The vertical speed changes sign at an apex; one that lands exactly on
    // zero is an apex too, or a toy thrown with round numbers would never
    // record one.
    if (!wasRolling && (V[1] * v[1] < 0 || (v[1] > 0 && V[1] == 0))) {
        // An apex above the lowest one so far would mean the toy gains
        // height from nothing: it rolls on from the lower apex instead.
        if (P[1] > lowestApex_) {
            rolling_ = 1;
            P[1] = lowestApex_;
        } else {
            lowestApex_ = P[1];
        }
        apex = true;
    }

    // A toy already rolling is on the grass, not landing on it: treating
    // each rolling step as a landing would sound a bounce every frame and
    // undo the spin of the roll.
    if (!wasRolling && P[1] <= grass) {
        bounced_ = 1;
        contact = true;
        V[0] = grassElasticity * V[0];
        V[1] = grassElasticity * -elasticity * V[1];
        V[2] = grassElasticity * V[2];
        P[1] = 2 * grass - P[1];
        if (apex || lowestApex_ < grass + minApex) rolling_ = 1;
        GpuMatrix upright;   // lands upright
        for (int i = 0; i < 3; ++i) upright.m[3][i] = placed.m[3][i];
        SetOrientation(upright);
    }

    if (wasRolling) {
        // A rolling toy moves along the grass only, so its speed is the
        // speed over the ground.
        P[1] = grass;
        const float flat[3] = {v[0], 0, v[2]};
        float speed = Length(flat);
        if (speed < epsilon || speed <= 0 || !std::isfinite(speed)) {
            V[0] = V[1] = V[2] = 0;
        } else {
            float slower = std::fmax(0.0f, speed - grassFriction * friction * dt);
            for (int i = 0; i < 3; ++i) V[i] = flat[i] / speed * slower;
        }
    } else if (rolling_) {
        P[1] = grass;
    }

    if (bounced_ && spinning_) {
        float radius = tuning.Default("radius");
        float speed = Length(V);
        float rate = radius > 0 ? speed / radius : 0;
        bool rateUsable = radius > 0 && std::isfinite(rate);
        if (IsDisc()) {
            if (rateUsable) angularVelocity_ = rate;
        } else {
            // Straight up or at rest there is no rolling direction: the toy
            // keeps the spin it had.
            float axis[3] = {-V[2], 0, V[0]};
            float length = Length(axis);
            if (length > 1e-6f && std::isfinite(length)) {
                for (int i = 0; i < 3; ++i) spinAxis_[i] = axis[i] / length;
                if (rateUsable) angularVelocity_ = rate;
            }
        }
    }

    const Yard yard(tuning);
    if (collisions_) {
        const float bounce = elasticity * fenceElasticity;
        auto reflect = [&](int axis, float at) {
            P[axis] = 2 * at - P[axis];
            V[axis] = -bounce * V[axis];
            for (int i = 0; i < 3; ++i)
                if (i != axis) V[i] *= fenceElasticity;
            contact = true;
        };
        if (P[0] < yard.notchX && P[2] < yard.notchZ) {
            contact = true;
            if (p[0] > yard.notchX) reflect(0, yard.notchX);
            else if (p[2] > yard.notchZ) reflect(2, yard.notchZ);
        }
        if (P[2] < yard.minZ) reflect(2, yard.minZ);
        if (P[2] > yard.maxZ) reflect(2, yard.maxZ);
        if (P[0] > yard.maxX) reflect(0, yard.maxX);
        if (P[0] < yard.minX) reflect(0, yard.minX);
    }

    if (spinning_) RotateAbout(angularVelocity_ * dt, spinAxis_[0], spinAxis_[1], spinAxis_[2]);

    // Only finite numbers are kept: a step that could not be computed
    // (a huge dt overflowing) leaves the toy where it was, at rest.
    if (Finite3(P) && Finite3(V)) {
        SetPosition(P[0], P[1], P[2]);
        for (int i = 0; i < 3; ++i) velocity_[i] = V[i];
    } else {
        for (float& c : V) c = 0;
        for (int i = 0; i < 3; ++i) P[i] = p[i], velocity_[i] = 0;
    }

    if (P[2] > yard.exitZ) {
        ChangeState(STATE_LEFT_YARD);
    } else if (rolling_ && Length(V) <= minVelocity) {
        ChangeState(STATE_AT_REST);
    } else if (contact) {
        gSoundPlayer(LandingSound(GetName()));
    }
    lastTick_ = tick;
}
