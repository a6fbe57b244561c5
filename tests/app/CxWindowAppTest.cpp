#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "app/CxWindowApp.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {
const CxAppInfo kInfo = {"WindowTest", "window.ini", nullptr, 1, 0, 1, 10, 20, 320, 240, 32, 0x040};

class TestWindowApp : public CxWindowApp {
public:
    explicit TestWindowApp(uint32_t config = kInfo.configFlags) : CxWindowApp(Info(config)) {}
    static CxAppInfo Info(uint32_t config)
    {
        CxAppInfo info = kInfo;
        info.configFlags = config;
        return info;
    }
    std::vector<std::string> log;
    int frames = 0;
    void Record(const std::string& what, CxPoint p) { log.push_back(what + " " + std::to_string(p.x) + "," + std::to_string(p.y)); }
    void UpdateFrame() override { ++frames; }
    void OnKeyDown(KeyCode code, int) override { log.push_back("down " + std::to_string(code)); }
    void OnKeyUp(KeyCode code, int) override { log.push_back("up " + std::to_string(code)); }
    void OnLButtonDown(uint32_t, CxPoint p) override { Record("ldown", p); }
    void OnRButtonDown(uint32_t, CxPoint p) override { Record("rdown", p); }
    void OnMouseWheel(uint32_t, CxPoint, int notches) override { log.push_back("wheel " + std::to_string(notches)); }
    void OnDropFiles(CxLinkedList<CxString>& paths) override { log.push_back(std::string("drop ") + paths.GetHead()->value.Text()); }
};

PlatMessage Message(PlatMessageType type)
{
    PlatMessage m;
    m.type = type;
    return m;
}

class WindowApp : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        PlatFlushMessages();
    }
    void TearDown() override { PlatVideoStop(); }
    InTempDir dir;
    ErrorCapture capture;
};
}  // namespace

TEST(KeyTranslation, SpecialKeysAndTheCharacterRule)
{
    EXPECT_EQ(TranslateSpecialKey(PVK_F1, false), KEY_F1);
    EXPECT_EQ(TranslateSpecialKey(PVK_F12, false), KEY_F12);
    EXPECT_EQ(TranslateSpecialKey(PVK_F1 + 3, true), 0x10000104u);   // Alt+F4
    EXPECT_EQ(TranslateSpecialKey(PVK_PRIOR, false), KEY_PAGE_UP);
    EXPECT_EQ(TranslateSpecialKey(PVK_PAUSE, false), KEY_PAUSE);
    EXPECT_EQ(TranslateSpecialKey(PVK_CONTROL, false), KEY_CONTROL);
    EXPECT_EQ(TranslateSpecialKey('A', false), 0u);
    EXPECT_EQ(TranslateCharacter('q', true, false), 0x10000071u);    // Alt+q
    EXPECT_EQ(TranslateCharacter(1, false, true), 0x20000041u);      // Control+A arrives as 1
    EXPECT_EQ(TranslateCharacter('x', false, false), uint32_t('x'));
}

TEST_F(WindowApp, TheCycleOpensTheWindowFromTheOptions)
{
    WriteFileBytes("window.ini", "[Engine.Window]\nPosition=5,6\nSize=200,100\nDepth=0\n");
    TestWindowApp app;
    app.OpenCycle();
    ASSERT_TRUE(app.HasWindow());
    EXPECT_EQ(app.GetClientWidth(), 200);
    EXPECT_EQ(app.GetClientHeight(), 100);
    EXPECT_EQ(app.GetDepth(), app.GetScreenDepth());   // below 1: the desktop's
    app.CloseCycle();
    EXPECT_FALSE(app.HasWindow());
}

TEST_F(WindowApp, OneMessagePerStepAndNoIdleWhileMinimised)
{
    TestWindowApp app;
    app.OpenCycle();
    PlatFlushMessages();
    PlatMessage minimise = Message(PMSG_SIZE);
    minimise.minimized = true;
    PlatPostMessage(minimise);
    PlatMessage a = Message(PMSG_CHAR);
    a.character = 'a';
    PlatPostMessage(a);
    app.Step();
    EXPECT_TRUE(app.GetStateFlags() & WINSTATE_MINIMISED);
    EXPECT_EQ(app.frames, 0);
    EXPECT_TRUE(app.log.empty());            // the second message waits for the next step
    app.Step();
    EXPECT_EQ(app.log, (std::vector<std::string>{"down 97"}));
    PlatMessage restore = Message(PMSG_SIZE);
    restore.x = 320, restore.y = 240;
    PlatPostMessage(restore);
    app.Step();
    EXPECT_EQ(app.frames, 1);
    app.Step();                              // nothing pending: the frame still runs
    EXPECT_EQ(app.frames, 2);

    PlatPostQuit();
    EXPECT_EQ(app.Step(), 1);
    app.CloseCycle();
}

TEST_F(WindowApp, MouseRoutingAndTheRightButtonAsLeft)
{
    TestWindowApp app(0x040 | WINCFG_RIGHT_IS_LEFT);
    PlatMessage right = Message(PMSG_RBUTTONDOWN);
    right.x = 3, right.y = 4;
    app.HandleMessage(right);
    EXPECT_EQ(app.log, (std::vector<std::string>{"ldown 3,4"}));

    TestWindowApp plain;
    plain.HandleMessage(right);
    PlatMessage wheel = Message(PMSG_MOUSEWHEEL);
    wheel.wheelDelta = -240;
    plain.HandleMessage(wheel);
    EXPECT_EQ(plain.log, (std::vector<std::string>{"rdown 3,4", "wheel -2"}));

    plain.log.clear();
    plain.EnableMouseInput(false);
    plain.HandleMessage(right);
    PlatMessage key = Message(PMSG_KEYDOWN);
    key.virtualKey = PVK_HOME;
    plain.HandleMessage(key);
    EXPECT_EQ(plain.log, (std::vector<std::string>{"down 271"}));   // keys still arrive
}

TEST_F(WindowApp, KeyMessagesBecomeKeyCodes)
{
    TestWindowApp app;
    PlatMessage f4 = Message(PMSG_SYSKEYDOWN);
    f4.virtualKey = PVK_F1 + 3;
    f4.altHeld = true;
    app.HandleMessage(f4);
    PlatMessage letter = Message(PMSG_KEYDOWN);   // letters come as characters, not key downs
    letter.virtualKey = 'Q';
    app.HandleMessage(letter);
    PlatMessage up = Message(PMSG_KEYUP);
    up.virtualKey = 'Q';
    app.HandleMessage(up);
    PlatMessage altQ = Message(PMSG_SYSCHAR);
    altQ.character = 'q';
    altQ.altHeld = true;
    app.HandleMessage(altQ);
    EXPECT_EQ(app.log, (std::vector<std::string>{"down 268435716", "up 81", "down 268435569"}));
}

TEST_F(WindowApp, CloseQuitsAndLeavesTheWindow)
{
    TestWindowApp app;
    app.OpenCycle();
    app.HandleMessage(Message(PMSG_CLOSE));
    EXPECT_EQ(app.GetQuitFlag(), 1);
    EXPECT_TRUE(app.HasWindow());
    PlatMessage drop = Message(PMSG_DROPFILES);
    std::strcpy(drop.droppedPath, "/tmp/pet.sav");
    app.HandleMessage(drop);
    EXPECT_EQ(app.log.back(), "drop /tmp/pet.sav");
    app.CloseCycle();
}

TEST_F(WindowApp, ATooOldDirectXSwitchesTheFastScreensOffAndQuits)
{
    setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
    WriteFileBytes("window.ini", "[Engine.DirectX]\nRequiredVersion=4.09.00.0904\n");
    TestWindowApp app(0x041);
    app.OpenCycle();
    unsetenv("XDG_CONFIG_HOME");
    EXPECT_FALSE(app.GetConfigFlags() & WINCFG_DIRECTDRAW);
    EXPECT_EQ(app.GetQuitFlag(), 1);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].code, ERR_DIRECTX);
    app.CloseCycle();
}
