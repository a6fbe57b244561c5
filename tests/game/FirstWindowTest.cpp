// The first window end to end: the application runs its cycle over
// SDL's dummy driver, a click and two arrow keys are fed in as window
// messages, the shown frame is read back from the screen and compared with
// tests/data/vorn_first_scene.qor.  On a mismatch the frame is written to
// vorn_first_scene.actual.qor in the test's working folder; with
// VORN_UPDATE_GOLDEN=1 the golden image is written instead.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "FirstWindowApp.h"
#include "graphics/CxScreenSoftware.h"
#include "graphics/QorImageFilters.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {
constexpr int32_t kW = 800, kH = 600;

class ScriptedFirstWindow : public FirstWindowApp {
public:
    int frames = 0;
    CxDrawSurface shot;
    CxPoint petCentre;
    bool shown = false;

    void UpdateFrame() override
    {
        FirstWindowApp::UpdateFrame();
        ++frames;
        if (frames == 2) Feed();
        if (frames == 12) Capture();
    }

private:
    static PlatMessage Message(PlatMessageType type)
    {
        PlatMessage m;
        m.type = type;
        return m;
    }
    void Feed()
    {
        PlatMessage click = Message(PMSG_LBUTTONDOWN);
        click.x = 600, click.y = 300;
        PlatPostMessage(click);
        PlatMessage right = Message(PMSG_KEYDOWN);
        right.virtualKey = PVK_RIGHT;
        PlatPostMessage(right);
        PlatPostMessage(right);
    }
    void Capture()
    {
        auto* screen = dynamic_cast<CxSoftwareScreen*>(GetScreen());
        if (screen && shot.Create(kW, kH, 32) == 0)
            shown = screen->ReadShownPixels(reinterpret_cast<uint32_t*>(shot.GetBits()));
        if (GetStage() && GetStage()->GetPet()) petCentre = GetStage()->GetPet()->GetPosition(ANCHOR_CENTRE);
        PlatPostMessage(Message(PMSG_CLOSE));
    }
};

// White (or nearly: 16-bit screens) pixels in the title band at the top of the frame.
int CountTitleInk(const CxDrawSurface& shot)
{
    int ink = 0;
    for (int32_t y = 16; y < 40; ++y)
        for (int32_t x = 0; x < kW; ++x)
            if ((shot.GetPixel(x, y) & 0xF0F0F0) == 0xF0F0F0) ++ink;
    return ink;
}

// Pixels that differ in their colour channels.
int CountDifferences(const CxDrawSurface& a, const CxDrawSurface& b)
{
    int differences = 0;
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x)
            if ((a.GetPixel(x, y) ^ b.GetPixel(x, y)) & 0xFFFFFF) ++differences;
    return differences;
}
}  // namespace

TEST(FirstWindow, SceneReactsToInputAndMatchesTheGolden)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);   // CTest also runs it on a real X server under Xvfb
    std::string buildDir = std::filesystem::current_path().string();
    std::string golden = std::string(VORN_TEST_DATA) + "/vorn_first_scene.qor";
    ErrorCapture capture;
    CxDrawSurface shot;
    {
        InTempDir dir;
        ScriptedFirstWindow app;
        EXPECT_EQ(app.Run(), 0);
        EXPECT_EQ(app.GetQuitFlag(), 1);           // the close message quit the cycle
        EXPECT_FALSE(app.HasWindow());
        EXPECT_GE(app.frames, 12);
        ASSERT_TRUE(app.shown);
        EXPECT_EQ(app.petCentre, (CxPoint{616, 300}));   // clicked there, then two steps right
        shot.Create(kW, kH, 32);
        app.shot.BltAt(&shot, 0, 0);
        EXPECT_GT(CountTitleInk(shot), 100);   // the title line was drawn in the built-in font
    }
    // The video stays up: SDL unloads the X libraries when it stops, and leaks
    // inside them could then no longer be told apart from ours.
    EXPECT_TRUE(ErrorCapture::Reports().empty()) << ErrorCapture::Reports()[0].message;

    RegisterEngineImageFilters();
    RegisterImageFilter(".QOR", QorLoadQOR, QorSaveQOR);
    const char* update = std::getenv("VORN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        ASSERT_EQ(shot.Save(golden.c_str(), 1), 0);   // zlib-packed
    }
    CxDrawSurface expected;
    ASSERT_EQ(expected.Load(golden.c_str()), 0) << "missing " << golden << " (run with VORN_UPDATE_GOLDEN=1)";
    ASSERT_EQ(expected.GetSize(), shot.GetSize());
    ASSERT_EQ(expected.GetDepth(), 32);
    int differences = CountDifferences(shot, expected);
    if (differences) shot.Save((buildDir + "/vorn_first_scene.actual.qor").c_str(), 1);
    EXPECT_EQ(differences, 0) << "frame differs from " << golden << "; see " << buildDir
                              << "/vorn_first_scene.actual.qor";
    UnregisterImageFilters("*");
}
