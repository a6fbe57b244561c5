// The cat's mind per frame: the house's tick (Room.OnTick, which runs the
// PetAI's needs, choices and reactions and refreshes the needs line) on the
// shipped scripts, with a stand-in pet and toys whose engine calls cost
// nothing, so what is measured is the script's own time.  Beside it in the
// same run, the floor: the host running an empty callback the same way.
// The host calls Room.OnTick at most once per 50 ms, so one call is an upper
// bound for a frame's share.
#include "script/CxLuaEngine.h"
#include "script/CxScriptApi.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>

namespace {
// What the engine gives the scripts, as cheap stand-ins.
const char* const kStandIns = R"(
Object = {}
Object.__index = Object
function Object:new() return setmetatable({ pos = {0, 0, 0}, fwd = {0, 0, -1}, state = 0, visible = 0, name = "" }, Object) end
local nothing = function() end
for _, m in ipairs({"LoadModel", "SetTexture", "LoadAnim", "SetMaterialDiffuse", "SetMaterialAmbient",
                    "RegisterEventName", "Link", "UnLink", "UnLoad", "BlendIn", "BlendOut", "BlendOutAll",
                    "PlayAnim", "StopAnim", "SetAnimWeight", "EnableCollisions", "Update"}) do Object[m] = nothing end
function Object:SetName(n) self.name = n end
function Object:GetName() return self.name end
function Object:GetChannel() return 0 end
function Object:SetVisible(v) self.visible = v end
function Object:IsVisible() return self.visible end
function Object:SetPosition(x, y, z) self.pos[1], self.pos[2], self.pos[3] = x, y, z end
function Object:GetPosition() return self.pos[1], self.pos[2], self.pos[3] end
function Object:GetForwardVector() return self.fwd[1], self.fwd[2], self.fwd[3] end
function Object:FacePoint() end
function Object:GetState() return self.state end
function Object:Reset(x, y, z) self:SetPosition(x, y, z) self.state = 0 end
function Object:ThrowNoSpin() self.state = 1 end
CPet, Cx3DObject, C3DPhysicsObject = Object, Object, Object
function RegisterPet() end
function UnRegisterPet() end
function PlaySound() end
function DoEvent() end
function FlushChannel() end
function GetCameraPosition() return 0, 1.5, 2 end
function GetCameraTarget() return 0, 0.3, -0.7 end
function MouseToToy() return 0.3, 0, -0.4 end
function QorGetTickCount() return 0 end
function QorFileExists() return false end
CxOptions = function() return setmetatable({}, { __index = function() return nothing end }) end
Room = {}
function EmptyTick(ms) end
)";

struct House {
    CxLuaEngine engine;
    bool ok = false;
    int ms = 0;

    House()
    {
        std::string data = std::string(VORN_SOURCE_DIR) + "/data";
        if (chdir(data.c_str()) != 0) return;
        engine.Init();
        if (engine.RunString(kStandIns) != 0) return;
        if (engine.RunFile("House/House.lua") != 0) return;
        ok = engine.RunString("Room.OnStartRoom()") == 0 && engine.EvalBool("pet ~= nil and gPet ~= nil", false);
    }

    int Tick(const char* callback)
    {
        ms += 50;
        char line[64];
        snprintf(line, sizeof line, "%s(%d)", callback, ms);
        return engine.RunString(line);
    }
};

void RunTicks(benchmark::State& state, const char* setup, const char* callback)
{
    House house;
    if (!house.ok) {
        state.SkipWithError("the house scripts did not start");
        return;
    }
    if (setup && house.engine.RunString(setup) != 0) {
        state.SkipWithError("setup failed");
        return;
    }
    for (auto _ : state)
        if (house.Tick(callback) != 0) state.SkipWithError("tick failed");
    state.SetItemsProcessed(state.iterations());
}

// The floor: the host running a one-line callback that does nothing.
void EmptyCallback(benchmark::State& state) { RunTicks(state, nullptr, "EmptyTick"); }
BENCHMARK(EmptyCallback);

// The cat going about its day: needs, choices, walks, the needs line.
void HouseTickIdleCat(benchmark::State& state) { RunTicks(state, nullptr, "Room.OnTick"); }
BENCHMARK(HouseTickIdleCat);

// The busiest case: being stroked on a disliked part while a ball flies.
void HouseTickPettingAndBall(benchmark::State& state)
{
    RunTicks(state,
             "Room.OnStartPetting('Tail', false) toy = gToys.Ball toy.state = 1 "
             "PetAI.reactUntil = 1e12 PetAI.activityUntil = 1e12",
             "Room.OnTick");
}
BENCHMARK(HouseTickPettingAndBall);
}  // namespace

BENCHMARK_MAIN();
