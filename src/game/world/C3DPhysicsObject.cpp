#include "game/world/C3DPhysicsObject.h"

#include "app/CxApp.h"
#include "game/world/CToyStep.h"
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

// The numbers of one step, read from the table when the step is made.  A
// room gives its own fence in `physics.yard`, in the room's units; what it
// leaves out is the game's first yard.
CToyTuning ReadTuning(const Tuning& t)
{
    CToyTuning n;
    n.gravity = t.Global("physics.gravity");
    n.velocityEpsilon = t.Global("physics.velocity_epsilon");
    n.grassHeight = t.Global("physics.grass.height");
    n.grassElasticity = t.Global("physics.grass.elasticity");
    n.grassFriction = t.Global("physics.grass.rolling_friction");
    n.fenceElasticity = t.Global("physics.fence.elasticity");
    n.elasticity = t.Toy("elasticity");
    n.minApexHeight = t.Toy("min_apex_height");
    n.minVelocity = t.Toy("min_velocity");
    n.lift = t.Toy("lift");
    n.rollingFriction = t.Toy("rolling_friction");
    n.radius = t.Default("radius");
    CToyYard& y = n.yard;
    y.minX = t.Read("physics.yard.min_x", y.minX), y.maxX = t.Read("physics.yard.max_x", y.maxX);
    y.minZ = t.Read("physics.yard.min_z", y.minZ), y.maxZ = t.Read("physics.yard.max_z", y.maxZ);
    y.notchX = t.Read("physics.yard.notch_x", y.notchX), y.notchZ = t.Read("physics.yard.notch_z", y.notchZ);
    y.exitZ = t.Read("physics.yard.exit_z", y.exitZ);
    return n;
}
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

    CToyStep step;
    step.tuning = ReadTuning(Tuning(GetScriptEngine(), GetName()));
    step.dt = float(uint32_t(tick - lastTick_)) / 1000.0f;   // a wrapped tick still counts forward
    const GpuMatrix& placed = GetOrientation();
    CToyMotion& m = step.motion;
    for (int i = 0; i < 3; ++i)
        m.position[i] = placed.m[3][i], m.velocity[i] = velocity_[i], m.spinAxis[i] = spinAxis_[i];
    m.angularVelocity = angularVelocity_;
    m.lowestApex = lowestApex_;
    m.bounced = bounced_, m.rolling = rolling_;
    step.spinning = spinning_ != 0, step.disc = IsDisc(), step.collisions = collisions_ != 0;
    lastTick_ = tick;

    if (!step.Run()) {
        // A step that cannot be computed (numbers overflowing) leaves the
        // toy where it was, without speed, so it falls again from there.
        velocity_[0] = velocity_[1] = velocity_[2] = 0;
        return;
    }
    const CToyMotion& r = step.result;
    if (step.landed) {   // lands upright
        GpuMatrix upright;
        for (int i = 0; i < 3; ++i) upright.m[3][i] = placed.m[3][i];
        SetOrientation(upright);
    }
    for (int i = 0; i < 3; ++i) velocity_[i] = r.velocity[i], spinAxis_[i] = r.spinAxis[i];
    angularVelocity_ = r.angularVelocity;
    lowestApex_ = r.lowestApex;
    bounced_ = r.bounced, rolling_ = r.rolling;
    if (spinning_) RotateAbout(step.turn, spinAxis_[0], spinAxis_[1], spinAxis_[2]);
    SetPosition(r.position[0], r.position[1], r.position[2]);

    if (step.leftYard) ChangeState(STATE_LEFT_YARD);
    else if (step.atRest) ChangeState(STATE_AT_REST);
    else if (step.contact) gSoundPlayer(LandingSound(GetName()));
    lastTick_ = tick;
}
