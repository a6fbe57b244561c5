// A 3D room's frame at 1024×768 on the OpenGL device: the generated cat
// (skinned, three blended clips) and 20 static props lit by one light, then
// the 2D overlay over 10% of the screen, then present.  Beside it in the
// same run: an empty frame (clear and present), the animation alone
// (sampling and posing the skeleton), the scene without its overlay.
// The house's frame: the living room's model, the cat as a pet with its
// clips, a ball flying, bouncing and rolling under the game's own physics
// table, and the overlay.  Needs the generated art (data/generated); skips
// without it.
//
// Runs on whatever OpenGL SDL finds; headless it uses Mesa's software
// renderer through the offscreen driver (set below unless the caller chose).
#include "game/world/C3DPhysicsObject.h"
#include "game/world/C3DRoom.h"
#include "game/world/CPet.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxTextureSurface.h"
#include "graphics/QorImageFilters.h"
#include "platform/gpu/GpuDevice.h"
#include "platform/window/PlatformWindow.h"
#include "script/CxLuaEngine.h"

#include "BenchDevice.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {
constexpr int32_t kWidth = 1024, kHeight = 768;
const std::string kArt = std::string(VORN_SOURCE_DIR) + "/data/generated/";
const char* const kProps[] = {"ball", "toy_mouse", "yarn_ball", "feather_wand", "squeaky_duck", "jingle_ball",
                              "food_bowl", "water_bowl", "treats", "brush", "shampoo", "towel", "cat_bed",
                              "scratching_post", "litter_box", "cushion", "cat_tree", "party_hat", "top_hat", "bow"};

struct World {
    GpuDevice* device = nullptr;
    CxD3DDevice* d3d = nullptr;
    std::unique_ptr<C3DRoom> room;
    std::unique_ptr<Cx3DObject> cat;
    std::vector<std::unique_ptr<Cx3DObject>> props;
    CxLight light;
    CxD3DRenderTarget* overlay = nullptr;
    CxDrawSurface panel;
    bool ok = false;
    float clock = 0;

    World()
    {
        if (!OpenBenchDevice("world bench", kWidth, kHeight, &device, &d3d)) return;
        RegisterEngineImageFilters();
        room = std::make_unique<C3DRoom>();
        CxCamera& camera = room->GetCamera();
        camera.SetPerspective(1.0f, float(kWidth) / kHeight, 0.1f, 50);
        camera.eye[1] = 1.2f, camera.eye[2] = -3.0f, camera.up[1] = 1, camera.valid = 1;
        light.type = GPULIGHT_DIRECTIONAL;
        light.SetDirection(-0.3f, -1, 0.4f);
        light.diffuse[0] = light.diffuse[1] = light.diffuse[2] = light.diffuse[3] = 255;
        room->GetSceneManager().AddLight(&light);
        cat = std::make_unique<Cx3DObject>();
        cat->LoadModel((kArt + "cat/cat.glb").c_str());
        if (!cat->HasModel()) return;
        cat->SetTexture((kArt + "cat/cat_Bengal.tga").c_str());
        for (const char* clip : {"idle", "breathe", "look_around"}) {
            cat->LoadAnim(clip, (kArt + "cat/anim/" + clip + ".glb").c_str(), "");
            cat->Play(clip, 0, 0.33f);
        }
        cat->Link(&room->GetSceneManager());
        for (int i = 0; i < 20; ++i) {
            auto prop = std::make_unique<Cx3DObject>();
            prop->LoadModel((kArt + "props/" + kProps[i] + ".glb").c_str());
            prop->SetPosition(float(i % 5) - 2.0f, 0, float(i / 5) * 0.6f + 0.5f);
            prop->Link(&room->GetSceneManager());
            props.push_back(std::move(prop));
        }
        overlay = new CxD3DRenderTarget(d3d, kWidth, kHeight, CxSize{kWidth, kHeight}, 32);
        panel.Create(kWidth, kHeight, 32);
        for (int32_t y = 0; y < kHeight; ++y)
            for (int32_t x = 0; x < kWidth; ++x) panel.SetPixel(x, y, 0xFF203040u | uint32_t(x & 255));
        ok = true;
    }
    ~World()
    {
        props.clear();
        cat.reset();
        room.reset();
        delete overlay;
        SetTextureSurfaceDevice(nullptr);
        delete d3d;
        delete device;
        PlatWindowDestroy();
    }

    void Scene()
    {
        clock += 1.0f / 60;
        room->BeginRender(d3d);
        Cx3DObject::SetGameTime(clock);
        for (int pass : {RENDERPASS_OPAQUE, RENDERPASS_TRANSPARENT, RENDERPASS_FOREGROUND})
            room->RenderScene(RenderContext{d3d, pass, 0});
        room->EndRender(d3d);
    }

    // Ten strips of 1024 × 8 pixels at spread rows: 10% of the overlay.
    void Overlay()
    {
        overlay->BeginDraw();
        for (int i = 0; i < 10; ++i) {
            CxRect r{0, i * 76, kWidth - 1, i * 76 + 7};
            overlay->DrawSurfaceInto(&panel, &r, &r, CX_NO_COLOR, nullptr);
        }
        overlay->EndDraw();
    }
};

World& TheWorld()
{
    static World world;
    return world;
}

void Finish(benchmark::State& state, World& w)
{
    w.device->Present(nullptr);
    (void)state;
}

void BM_EmptyFrame(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.ok) return state.SkipWithError("no OpenGL or no generated art");
    for (auto _ : state) {
        w.d3d->BeginScene();
        w.d3d->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
        w.d3d->EndScene();
        Finish(state, w);
    }
}

void BM_AnimationOnly(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.ok) return state.SkipWithError("no OpenGL or no generated art");
    GpuMatrix world;
    for (auto _ : state) {
        w.clock += 1.0f / 60;
        w.cat->GetWorldMatrix(&world);
        w.cat->GetRig()->Pose(&world.m[0][0], w.clock);
    }
    state.counters["vertices"] = w.cat->GetRig()->GetVertexCount();
    state.counters["bones"] = w.cat->GetNumBones();
}

void BM_SceneWithoutOverlay(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.ok) return state.SkipWithError("no OpenGL or no generated art");
    for (auto _ : state) {
        w.d3d->BeginScene();
        w.Scene();
        w.d3d->EndScene();
        Finish(state, w);
    }
}

// The house as the game draws it: its own room, camera and light, the pet
// and a ball thrown again whenever it comes to rest.
struct House {
    C3DRoom room;
    Cx3DObject model;
    CPet pet;
    C3DPhysicsObject ball;
    CxLight light;
    CxLuaEngine engine;
    uint32_t tick = 0;
    bool ok = false;

    House()
    {
        engine.Init();
        // the tuning of the real game
        std::string globals = std::string(VORN_SOURCE_DIR) + "/data/COMMON/globals.lua";
        if (engine.RunString(("dofile('" + globals + "')").c_str()) != 0) return;
        ball.SetScriptEngine(&engine);
        C3DPhysicsObject::SetSoundPlayer([](const char*) { return 0; });
        CxCamera& camera = room.GetCamera();
        camera.SetPerspective(60 / 57.295776f, float(kWidth) / kHeight, 0.1f, 50);
        camera.eye[0] = 0.4f, camera.eye[1] = 1.4f, camera.eye[2] = 1.9f;
        camera.target[1] = 0.3f, camera.target[2] = -0.4f, camera.up[1] = 1, camera.valid = 1;
        light.type = GPULIGHT_DIRECTIONAL;
        light.SetDirection(-0.3f, -1, -0.4f);
        light.diffuse[0] = light.diffuse[1] = light.diffuse[2] = light.diffuse[3] = 255;
        room.GetSceneManager().AddLight(&light);
        model.LoadModel((kArt + "rooms/living_room.glb").c_str());
        pet.LoadModel((kArt + "cat/cat.glb").c_str());
        ball.LoadModel((kArt + "props/ball.glb").c_str());
        if (!model.HasModel() || !pet.HasModel() || !ball.HasModel()) return;
        pet.SetTexture((kArt + "cat/cat_Abyssinian.tga").c_str());
        for (const char* clip : {"idle", "breathe", "walk"}) {
            pet.LoadAnim(clip, (kArt + "cat/anim/" + clip + ".glb").c_str(), "");
            pet.Play(clip, 0, 0.33f);
        }
        ball.SetName("Ball");
        for (Cx3DObject* object : {&model, static_cast<Cx3DObject*>(&pet), static_cast<Cx3DObject*>(&ball)})
            object->Link(&room.GetSceneManager());
        ok = true;
    }

    void Step()
    {
        tick += 16;
        if (!ball.IsFlying()) {
            ball.Reset(0, 1.0f, 0.5f);
            ball.Throw(0.4f, 2.5f, -2.0f);
        }
        ball.Update(tick);
    }
};

void BM_HouseFrameWithOverlay(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.ok) return state.SkipWithError("no OpenGL or no generated art");
    static House house;
    if (!house.ok) return state.SkipWithError("the house's art or tuning is missing");
    for (auto _ : state) {
        house.Step();
        w.clock += 1.0f / 60;
        w.d3d->BeginScene();
        house.room.BeginRender(w.d3d);
        Cx3DObject::SetGameTime(w.clock);
        for (int pass : {RENDERPASS_OPAQUE, RENDERPASS_TRANSPARENT, RENDERPASS_FOREGROUND})
            house.room.RenderScene(RenderContext{w.d3d, pass, 0});
        house.room.EndRender(w.d3d);
        w.Overlay();
        w.d3d->EndScene();
        Finish(state, w);
    }
}

void BM_FrameWithOverlay(benchmark::State& state)
{
    World& w = TheWorld();
    if (!w.ok) return state.SkipWithError("no OpenGL or no generated art");
    for (auto _ : state) {
        w.d3d->BeginScene();
        w.Scene();
        w.Overlay();
        w.d3d->EndScene();
        Finish(state, w);
    }
}
}  // namespace

BENCHMARK(BM_EmptyFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AnimationOnly)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SceneWithoutOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FrameWithOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HouseFrameWithOverlay)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
