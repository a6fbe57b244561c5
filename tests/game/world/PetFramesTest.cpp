// The tweak bone drawn on real OpenGL: the running room's pose hook bends
// the cat's head inside the draw, and blending back restores the plain frame.
// The frames are written to pet-frames/ (binary PPM) to be looked at.
#include "GpuTestSupport.h"
#include "game/world/C3DRoom.h"
#include "game/world/CPet.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxTextureCache.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DScreen.h"
#include "script/CxLuaEngine.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

namespace {
const std::string kCat = std::string(VORN_GENERATED_DATA) + "/cat/cat.glb";

class TweakRoom : public C3DRoom {
public:
    void AdjustPose(CxModelRig& rig, CxRigLocalPose& pose) override { state.Apply(engine, rig, pose, now); }
    CTweakBoneState state;
    CxLuaEngine* engine = nullptr;
    uint32_t now = 1000;
};

void WritePpm(const GpuFrame& frame, const std::string& name)
{
    std::filesystem::create_directories("pet-frames");
    std::ofstream out("pet-frames/" + name + ".ppm", std::ios::binary);
    out << "P6\n" << frame.width << " " << frame.height << "\n255\n";
    for (uint32_t p : frame.pixels) out.put(char(Red(p))).put(char(Green(p))).put(char(Blue(p)));
}

int Differing(const GpuFrame& a, const GpuFrame& b)
{
    int n = 0;
    for (size_t i = 0; i < a.pixels.size() && i < b.pixels.size(); ++i)
        n += std::abs(Red(a.pixels[i]) - Red(b.pixels[i])) + std::abs(Green(a.pixels[i]) - Green(b.pixels[i])) > 24;
    return n;
}
}  // namespace

TEST(PetFrames, TheTweakBoneTurnsTheHeadInTheDrawnFrameAndBlendsBack)
{
    std::string reason;
    std::unique_ptr<CxScreenSurface> screen(GpuTestOpen3DScreen(240, 180, &reason));
    if (!screen) GTEST_SKIP() << reason;
    CxD3DDevice* d3d = static_cast<CxD3DScreen*>(screen.get())->GetD3DDevice();
    {
        CxLuaEngine engine;
        ASSERT_EQ(engine.Init(), 0);
        ASSERT_EQ(engine.RunString("globals = { TWEAK_BLEND_QUATERNION_ANGULAR_VELOCITY = 100, TWEAK_BLEND_EPSILON = 0.001,"
                                   " TWEAK_BLEND_MAX_SLERP = 2 }"
                                   "Room = { tTweakBone = { on = 0, name = 'head', axis = { x = 0, y = 1, z = 0 },"
                                   " angle = 60, qav_factor = 1, qav_factor_min = 0, qav_factor_max = 1 } }"),
                  0);
        TweakRoom room;
        room.engine = &engine;
        CPet cat;
        ASSERT_EQ(cat.LoadModel(kCat.c_str()), 0);
        GpuMatrix world;
        cat.GetWorldMatrix(&world);
        cat.GetRig()->Pose(&world.m[0][0], 0);
        float head[3];
        ASSERT_TRUE(cat.GetBonePosition(cat.GetBoneIndex("head"), head));
        CxCamera& camera = room.GetCamera();
        camera.SetPerspective(0.7f, 240.0f / 180, 0.02f, 50);
        // In front of the face (the cat looks toward -z), a little to its side and above.
        camera.eye[0] = head[0] + 0.25f, camera.eye[1] = head[1] + 0.12f, camera.eye[2] = head[2] - 0.55f;
        camera.target[0] = head[0], camera.target[1] = head[1] - 0.05f, camera.target[2] = head[2];
        camera.up[1] = 1, camera.valid = 1;
        CxLight light;
        light.type = GPULIGHT_DIRECTIONAL;
        light.SetDirection(-0.3f, -0.7f, 0.6f);
        light.diffuse[0] = light.diffuse[1] = light.diffuse[2] = light.diffuse[3] = 255;
        room.GetSceneManager().AddLight(&light);
        room.SetAmbient(0xFF404040);
        cat.Link(&room.GetSceneManager());
        C3DRoom::SetRunning(&room);

        auto draw = [&](uint32_t now) {
            room.now = now;
            d3d->BeginScene();
            room.BeginRender(d3d);
            Cx3DObject::SetGameTime(0);
            room.RenderScene(RenderContext{d3d, RENDERPASS_OPAQUE, 1});
            room.EndRender(d3d);
            d3d->EndScene();
            return GpuTestReadBack(d3d->GetDevice());
        };
        GpuFrame plain = draw(1000);
        ASSERT_FALSE(plain.pixels.empty());
        ASSERT_EQ(engine.RunString("Room.tTweakBone.on = 1"), 0);
        draw(1100);   // starts the blend
        GpuFrame turned = draw(1200);
        ASSERT_EQ(engine.RunString("Room.tTweakBone.on = 0"), 0);
        GpuFrame back = draw(1300);
        EXPECT_FALSE(room.state.IsBlending());
        WritePpm(plain, "tweak_plain");
        WritePpm(turned, "tweak_turned");
        WritePpm(back, "tweak_back");
        C3DRoom::SetRunning(nullptr);
        int lit = 0;
        for (uint32_t p : plain.pixels) lit += (p & 0xFFFFFF) != 0;
        EXPECT_GT(lit, 4000) << "the head fills a good part of the frame";
        EXPECT_GT(Differing(plain, turned), 800) << "the head turned";
        EXPECT_LT(Differing(plain, back), 10) << "and came back to the clip's pose";
        cat.UnLoad();
    }
    PurgeTextures();
    screen.reset();
    GpuTestCloseWindow();
}
