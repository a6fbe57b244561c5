// The display layer over SDL's dummy driver: keys and the quit and version
// keys, mouse scaling to the internal size, frames through the screen, the
// error callback with its "Continue"/"Quit" choice and the disc prompt.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "app/CxDisplayApp.h"
#include "display/CxCursor.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "files/CxFile.h"
#include "graphics/CxPal.h"
#include "graphics/CxScreenSoftware.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {
const CxAppInfo kInfo = {"Vorn", "display.ini", "Oct 25 2006 18:38:09", 1, 0, 127, 0, 0, 160, 120, 32, 0};

struct Box {
    std::string title, text, buttons;
};

class TestDisplayApp : public CxDisplayApp {
public:
    TestDisplayApp() : CxDisplayApp(kInfo) {}
    std::vector<Box> boxes;
    std::vector<std::string> log;
    int answer = 0;
    int escapeAfter = -1;      // prompts before Escape is seen down; -1 never
    int prompts = 0;
    bool canAsk = true;
    bool reportInStart = false;

    int ShowBox(int, const char* title, const char* text, const char* const* buttons) override
    {
        Box box{title, text, ""};
        for (int i = 0; buttons[i]; ++i) box.buttons += std::string(i ? "|" : "") + buttons[i];
        boxes.push_back(box);
        return answer;
    }
    bool CanAskUser() override { return canAsk; }
    bool IsEscapeDown() override { return escapeAfter >= 0 && prompts > escapeAfter; }
    bool ShowDiscPrompt(const char* message) override
    {
        ++prompts;
        return CxDisplayApp::ShowDiscPrompt(message);
    }
    void ReleaseDevice() override { log.push_back("release"); }
    void RestoreDevice() override { log.push_back("restore"); }
    void StartCycle() override
    {
        CxDisplayApp::StartCycle();
        if (reportInStart) ReportError(ERR_UNKNOWN, "bad start");
    }
    void RunCycle() override { log.push_back("run"); }
    CxSoftwareScreen* Screen() { return dynamic_cast<CxSoftwareScreen*>(GetScreen()); }
};

// Records what reaches it, in its own coordinates.
class Probe : public CxDisplayObject {
public:
    std::vector<std::string> seen;
    void OnLButtonDown(uint32_t, CxPoint p) override { seen.push_back("l " + std::to_string(p.x) + "," + std::to_string(p.y)); }
    void OnKeyDown(KeyCode key, uint32_t) override { seen.push_back("key " + std::to_string(key)); }
};

class DisplayApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        PlatFlushMessages();
    }
    void TearDown() override { PlatVideoStop(); }
    void Start(TestDisplayApp& app)
    {
        app.OpenCycle();
        app.StartCycle();
    }
    void Stop(TestDisplayApp& app)
    {
        app.StopCycle();
        app.CloseCycle();
    }
    static PlatMessage Message(PlatMessageType type, int32_t x = 0, int32_t y = 0)
    {
        PlatMessage m;
        m.type = type;
        m.x = x, m.y = y;
        return m;
    }
    InTempDir dir;
    ErrorCapture capture;
};
}  // namespace

TEST_F(DisplayApp, KeysReachTheActiveObjectThenQuitAndVersionKeys)
{
    TestDisplayApp app;
    Start(app);
    auto probe = std::make_unique<Probe>();   // the tree never owns its children
    probe->Create(0, 0, 10, 10, GetRootObject(), 1);
    probe->SetActive();
    app.OnKeyDown('a', 1);
    EXPECT_FALSE(app.GetQuitFlag());
    PlatMessage altV = Message(PMSG_SYSCHAR);
    altV.character = 'v', altV.altHeld = true;
    app.HandleMessage(altV);
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].title, "Product Version");
    EXPECT_EQ(app.boxes[0].text, "Vorn v1.00 build 127\nOct 25 2006 18:38:09");
    EXPECT_EQ(app.boxes[0].buttons, "Ok");
    EXPECT_EQ(probe->seen, (std::vector<std::string>{"key 97", "key " + std::to_string(0x10000076)}));

    PlatMessage altF4 = Message(PMSG_SYSKEYDOWN);
    altF4.virtualKey = PVK_F1 + 3, altF4.altHeld = true;
    app.HandleMessage(altF4);
    EXPECT_TRUE(app.GetQuitFlag());
    app.SetQuitFlag(0);
    app.OnKeyDown(0x10000071, 1);   // Alt+q
    EXPECT_TRUE(app.GetQuitFlag());
    Stop(app);
    EXPECT_EQ(GetRootObject(), nullptr);
}

TEST_F(DisplayApp, MousePointsAreScaledToTheInternalSize)
{
    WriteFileBytes("display.ini", "[Engine.Window]\nSize=1024,768\nInternalSize=800,600\n");
    TestDisplayApp app;
    Start(app);
    ASSERT_EQ(app.GetClientWidth(), 1024);
    ASSERT_NE(app.GetScreen(), nullptr);
    EXPECT_EQ(app.GetScreen()->GetSurface()->GetSize(), (CxSize{800, 600}));
    EXPECT_EQ(GetRootObject()->GetSize(), (CxSize{800, 600}));
    auto probe = std::make_unique<Probe>();   // the tree never owns its children
    probe->Create(0, 0, 800, 600, GetRootObject(), 1);
    probe->Show();
    app.HandleMessage(Message(PMSG_LBUTTONDOWN, 512, 384));
    EXPECT_EQ(probe->seen, (std::vector<std::string>{"l 400,300"}));
    app.HandleMessage(Message(PMSG_MOUSEMOVE, 1023, 767));
    Stop(app);
}

TEST_F(DisplayApp, FramesShowTheDirtyRectanglesWhileActive)
{
    TestDisplayApp app;
    Start(app);
    ASSERT_NE(app.Screen(), nullptr);
    auto* picture = new CxDrawSurface;
    picture->Create(8, 6, 32);
    picture->FillRect(nullptr, 0xFF00FF00);
    auto sprite = std::make_unique<CxSprite>();
    sprite->Create(20, 10, 0, 0, GetRootObject(), 0);
    sprite->SetSurface(picture, 1);
    sprite->Paint();
    std::vector<uint32_t> shown(160 * 120);

    app.OnActivateApp(false);   // inactive: nothing is painted or shown
    app.UpdateFrame();
    ASSERT_TRUE(app.Screen()->ReadShownPixels(shown.data()));
    EXPECT_EQ(shown[12 * 160 + 22] & 0xFFFFFF, 0u);
    app.OnActivateApp(true);
    app.UpdateFrame();
    ASSERT_TRUE(app.Screen()->ReadShownPixels(shown.data()));
    EXPECT_EQ(shown[12 * 160 + 22] & 0xFFFFFF, 0x00FF00u);
    EXPECT_EQ(shown[12 * 160 + 28] & 0xFFFFFF, 0u);
    EXPECT_TRUE(CurrentDirtyRects().IsEmpty());
    Stop(app);
}

namespace {
// A screen whose device needs one reset.
class LosingScreen : public CxDibScreen {
public:
    std::vector<std::string>* log = nullptr;
    bool lost = true;
    int Present(const CxLinkedList<CxRect>* rects) override
    {
        if (lost) return ERR_D3D_NOT_RESET;
        return CxDibScreen::Present(rects);
    }
    int Reset() override
    {
        log->push_back("reset");
        lost = false;
        return 0;
    }
};
}  // namespace

TEST_F(DisplayApp, ALostDeviceIsResetBetweenReleaseAndRestore)
{
    TestDisplayApp app;
    app.OpenCycle();
    auto* screen = new LosingScreen;
    screen->log = &app.log;
    CxScreenOpenParams params;
    params.width = 160, params.height = 120, params.depth = 32;
    ASSERT_EQ(screen->Open(params), 0);
    app.SetScreen(screen);
    app.StartCycle();
    app.UpdateFrame();
    app.UpdateFrame();
    EXPECT_EQ(app.log, (std::vector<std::string>{"release", "reset", "restore"}));
    Stop(app);
}

TEST_F(DisplayApp, ResizingMakesANewScreenOfTheClientSize)
{
    TestDisplayApp app;
    Start(app);
    app.OnSize(CxSize{200, 150});
    ASSERT_NE(app.GetScreen(), nullptr);
    EXPECT_EQ(app.GetScreen()->GetSurface()->GetSize(), (CxSize{200, 150}));
    EXPECT_EQ(GetRootObject()->GetSize(), (CxSize{200, 150}));
    Stop(app);
}

TEST_F(DisplayApp, ContinueGoesOnAndQuitEndsTheCycle)
{
    CxErrorCallback before = GetErrorCallback();
    TestDisplayApp app;
    Start(app);
    EXPECT_NE(GetErrorCallback(), before);
    EXPECT_EQ(ReportError(ERR_READ_FILE, "Could not read %s", "a.dat"), ERR_READ_FILE);   // Continue
    ASSERT_EQ(app.boxes.size(), 1u);
    EXPECT_EQ(app.boxes[0].title, "Error reading file");
    EXPECT_EQ(app.boxes[0].text, "Could not read a.dat");
    EXPECT_EQ(app.boxes[0].buttons, "Continue|Quit");

    app.answer = 1;
    EXPECT_THROW(ReportError(ERR_UNKNOWN, "fatal"), const char*);
    // The callback took itself out, and reporting still works after the throw.
    EXPECT_EQ(GetErrorCallback(), before);
    ReportError(ERR_UNKNOWN, "after");
    EXPECT_EQ(app.boxes.size(), 2u);
    ASSERT_FALSE(ErrorCapture::Reports().empty());
    EXPECT_EQ(ErrorCapture::Reports().back().message, "after");
    Stop(app);
}

TEST_F(DisplayApp, AQuitDuringStartStillRestoresTheCallback)
{
    CxErrorCallback before = GetErrorCallback();
    TestDisplayApp app;
    app.answer = 1;
    app.reportInStart = true;
    app.Run();
    EXPECT_EQ(GetErrorCallback(), before);
    EXPECT_TRUE(app.log.empty());   // the main loop never ran
    EXPECT_FALSE(app.HasWindow());
}

TEST_F(DisplayApp, TheDiscPromptRepeatsUntilEscape)
{
    CxErrorCallback before = GetErrorCallback();
    TestDisplayApp app;
    Start(app);
    app.escapeAfter = 2;
    CxFile file;
    EXPECT_THROW(file.Open("missing.dat", CBF_BINARY | CBF_READONLY), const char*);
    EXPECT_EQ(app.prompts, 3);
    EXPECT_EQ(GetErrorCallback(), before);
    Stop(app);
}

TEST_F(DisplayApp, NobodyToAnswerTheDiscPromptMeansAPlainFailure)
{
    TestDisplayApp app;
    Start(app);
    app.canAsk = false;
    CxFile file;
    EXPECT_EQ(file.Open("missing.dat", CBF_BINARY | CBF_READONLY), ERR_OPEN_FILE);
    EXPECT_EQ(app.prompts, 0);

    app.canAsk = true;   // a close request during the prompt ends the cycle on the next try
    PlatPostMessage(Message(PMSG_CLOSE));
    EXPECT_THROW(file.Open("missing.dat", CBF_BINARY | CBF_READONLY), const char*);
    EXPECT_EQ(app.prompts, 1);
    Stop(app);
}

TEST_F(DisplayApp, AutoAbortSkipsThePrompt)
{
    WriteFileBytes("display.ini", "[Engine]\nAutoAbortOnCDError=1\n");
    TestDisplayApp app;
    Start(app);
    EXPECT_THROW(CallErrorCallback(ERR_CD_MISSING, "Could not open %s", "x"), const char*);
    EXPECT_EQ(app.prompts, 0);
    Stop(app);
}

// The window layer owns its palette: a new one replaces and frees the old,
// the same one is kept, and an 8-bit screen takes its colours.
TEST_F(DisplayApp, PalettesAreReplacedAndReachTheScreen)
{
    WriteFileBytes("display.ini", "[Engine.Window]\nDepth=8\n");
    TestDisplayApp app;
    Start(app);
    ASSERT_NE(app.GetScreen(), nullptr);
    ASSERT_EQ(app.GetScreen()->GetSurface()->GetDepth(), 8);
    auto* palette = new CxOSPalette;
    uint8_t green[3] = {0, 255, 0};
    palette->Create(1, green);
    app.SetPalette(palette);
    app.SetPalette(palette);   // the same one: kept, not freed
    EXPECT_EQ(app.GetPalette(), palette);
    EXPECT_EQ(app.GetScreen()->GetSurface()->GetPalette()[1], 255);
    app.GetScreen()->GetSurface()->FillRect(nullptr, 0);
    ASSERT_EQ(app.GetScreen()->Present(nullptr), 0);
    std::vector<uint32_t> shown(160 * 120);
    ASSERT_TRUE(app.Screen()->ReadShownPixels(shown.data()));
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0x00FF00u);
    app.SetPalette(new CxOSPalette);   // the old one is freed (the sanitizer build checks)
    Stop(app);
    EXPECT_EQ(app.GetPalette(), nullptr);
}

// A new window takes the old screen with it; activation makes a new one.
TEST_F(DisplayApp, ANewWindowGetsANewScreenOnActivation)
{
    TestDisplayApp app;
    Start(app);
    ASSERT_NE(app.GetScreen(), nullptr);
    app.SetWindowRect(CxRect{0, 0, 239, 179}, 32);
    EXPECT_EQ(app.GetScreen(), nullptr);
    EXPECT_FALSE(app.GetStateFlags() & WINSTATE_WINDOWED_SCREEN);
    app.UpdateFrame();   // no screen: nothing to show, nothing to crash on
    app.OnActivateApp(true);
    ASSERT_NE(app.GetScreen(), nullptr);
    EXPECT_EQ(app.GetScreen()->GetSurface()->GetSize(), (CxSize{240, 180}));
    EXPECT_EQ(GetRootObject()->GetSize(), (CxSize{240, 180}));
    Stop(app);
}

TEST_F(DisplayApp, DisablingTheCursorStopsMouseInputButNotKeys)
{
    TestDisplayApp app;
    Start(app);
    auto probe = std::make_unique<Probe>();
    probe->Create(0, 0, 160, 120, GetRootObject(), 1);
    probe->Show();
    probe->SetActive();
    app.DisableCursor();
    EXPECT_TRUE(IsCursorHidden());
    app.HandleMessage(Message(PMSG_LBUTTONDOWN, 5, 5));
    PlatMessage key = Message(PMSG_CHAR);
    key.character = 'k';
    app.HandleMessage(key);
    app.EnableCursor();
    EXPECT_FALSE(IsCursorHidden());
    app.HandleMessage(Message(PMSG_LBUTTONDOWN, 6, 7));
    EXPECT_EQ(probe->seen, (std::vector<std::string>{"key 107", "l 6,7"}));
    Stop(app);
}
