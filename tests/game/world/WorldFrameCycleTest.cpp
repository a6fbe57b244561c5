// The game's 3D frame inside a running game on the 3D screen: the frame
// cap, no frame while inactive, a full redraw after a reset, captures with
// and without the interface.
#include "TestSupport.h"
#include "app/CxRoomManager.h"
#include "game/CBaseApp.h"
#include "game/world/C3DRoom.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DScreen.h"
#include "platform/os/PlatformSystem.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
const CxAppInfo kInfo = {"WorldTest", "worldtest.ini", "Dec 10 2026 12:00:00", 1, 0, 1, 0, 0, 320, 240, 32, 1};

class TestGame : public CBaseApp {
public:
    TestGame() : CBaseApp(kInfo) {}
    void Start()
    {
        OpenCycle();
        StartCycle();
        ReadyCycle();
    }
    void Stop()
    {
        EndCycle();
        StopCycle();
        CloseCycle();
    }
    void SetActive(bool on) { SetStateBit(WINSTATE_ACTIVE, on); }
    // The fill mode the scene's passes are drawn with.
    void PrepareScene(CxD3DDevice* device) override
    {
        CBaseApp::PrepareScene(device);
        device->GetRenderState(GPURS_FILLMODE, &sceneFill);
    }
    uint32_t sceneFill = 0;
};

CxGameWindow* NewWorld() { return new C3DRoom(); }

class WorldCycle : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("XDG_DATA_HOME", dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
        std::filesystem::create_directories(dir.File("home"));
        std::filesystem::create_directories("World");
        WriteFileBytes("worldtest.ini", "[Engine]\nUseDirectDraw=1\nUseDirect3D=2\nFullScreen=0\n[Engine.Window]\n"
                                        "Size=320, 240\nDepth=32\n[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n"
                                        "SkipIntroMovies=1\n");
        WriteFileBytes("World/World.ini", "[Camera]\nFieldOfView=60\n");
        WriteFileBytes("startup.lua", "GotoRoom('World')\n");
    }
    InTempDir dir;
};
}  // namespace

TEST_F(WorldCycle, FramesAreCappedDrawnOnlyWhileActiveAndRedrawnWholeAfterAReset)
{
    CxRoomRegistrar world("World", NewWorld);
    TestGame game;
    game.Start();
    if (!dynamic_cast<CxD3DScreen*>(game.GetScreen())) {
        game.Stop();
        GTEST_SKIP() << "no 3D screen here";
    }
    for (int i = 0; i < 20 && !game.GetCurrent3DRoom(); ++i) game.Step();
    ASSERT_NE(game.GetCurrent3DRoom(), nullptr);
    PlatSleep(20);
    game.UpdateDisplay();
    int frames = game.GetFrameCount();
    EXPECT_GE(frames, 1);
    EXPECT_FALSE(game.IsFullRedraw());
    game.UpdateDisplay();   // within 16 ms of the last
    EXPECT_EQ(game.GetFrameCount(), frames);

    game.SetActive(false);
    PlatSleep(20);
    game.UpdateDisplay();
    EXPECT_EQ(game.GetFrameCount(), frames) << "no 3D frame while inactive";
    game.SetActive(true);

    game.ReleaseDevice();
    game.GetScreen()->Reset();
    game.RestoreDevice();
    EXPECT_TRUE(game.IsFullRedraw());
    PlatSleep(20);
    game.UpdateDisplay();
    EXPECT_EQ(game.GetFrameCount(), frames + 1);
    EXPECT_FALSE(game.IsFullRedraw());

    std::string shot = dir.File("shot.tga");
    EXPECT_EQ(game.ScreenCapture(("<DEFAULT>" + shot).c_str()), 0);
    EXPECT_EQ(game.ScreenCaptureWithUI(("<DEFAULT>" + dir.File("shot_ui.tga")).c_str()), 0);
    ASSERT_TRUE(std::filesystem::exists(shot));
    EXPECT_GT(std::filesystem::file_size(shot), 320u * 240u * 3u);
    game.Stop();
}

// A game at 16 bits per pixel saves its captures at that depth.
TEST_F(WorldCycle, CapturesOfASixteenBitGameAreSixteenBitPictures)
{
    WriteFileBytes("worldtest.ini", "[Engine]\nUseDirectDraw=1\nUseDirect3D=2\nFullScreen=0\n[Engine.Window]\n"
                                    "Size=320, 240\nDepth=16\n[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n"
                                    "SkipIntroMovies=1\n");
    CxRoomRegistrar world("World", NewWorld);
    TestGame game;
    game.Start();
    ASSERT_EQ(game.GetDepth(), 16);
    std::string shot = dir.File("shot16.tga");
    EXPECT_EQ(game.ScreenCaptureWithUI(("<DEFAULT>" + shot).c_str()), 0);
    std::string bytes = ReadFileBytes(shot);
    ASSERT_GT(bytes.size(), 18u);
    EXPECT_EQ(uint8_t(bytes[16]), 16) << "the TGA header's bits per pixel";
    game.Stop();
}

// The player's options file may hold any key a script writes there; only the
// application's own options switch the scene to wireframe.
TEST_F(WorldCycle, WireframeComesOnlyFromTheApplicationsOptions)
{
    CxRoomRegistrar world("World", NewWorld);
    TestGame game;
    game.Start();
    if (!dynamic_cast<CxD3DScreen*>(game.GetScreen())) {
        game.Stop();
        GTEST_SKIP() << "no 3D screen here";
    }
    for (int i = 0; i < 20 && !game.GetCurrent3DRoom(); ++i) game.Step();
    ASSERT_NE(game.GetCurrent3DRoom(), nullptr);
    auto fillAfterAFrame = [&] {
        int before = game.GetFrameCount();
        PlatSleep(20);
        game.UpdateDisplay();
        EXPECT_EQ(game.GetFrameCount(), before + 1);
        return game.sceneFill;
    };
    game.GetGameOptions().SetInt("Options", "WireFrame", 1);
    EXPECT_EQ(fillAfterAFrame(), uint32_t(GPUFILL_SOLID));
    game.SetInt("Options", "WireFrame", 1);
    EXPECT_EQ(fillAfterAFrame(), uint32_t(GPUFILL_WIREFRAME));
    game.SetInt("Options", "WireFrame", 0);
    EXPECT_EQ(fillAfterAFrame(), uint32_t(GPUFILL_SOLID));
    game.GetGameOptions().DeleteSetting("Options", "WireFrame");
    game.Stop();
}
