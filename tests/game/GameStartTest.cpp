// The game host's start-up and end over SDL's dummy driver: rooms created
// from the registrars but entered only by the start-up scripts, kel.ini's
// shared pieces, key bindings, the console switch, the save folder and the
// quit question.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "app/CxGameConsole.h"
#include "core/CxTime.h"
#include "display/CxCursor.h"
#include "display/CxDisplayTree.h"
#include "events/CxEventScriptFunctions.h"
#include "events/CxInterpolator.h"
#include "framework/CBaseRoom.h"
#include "framework/CKelShared.h"
#include "app/CxRoomManager.h"
#include "game/CBaseApp.h"
#include "platform/window/PlatformWindow.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

namespace {
const CxAppInfo kInfo = {"GameTest", "gametest.ini", "Dec  9 2026 12:00:00", 1, 0, 1, 0, 0, 320, 240, 32, 1};

class TestGame : public CBaseApp {
public:
    TestGame() : CBaseApp(kInfo) {}
    int frames = 0;
    std::function<void(int)> onFrame;
    void UpdateFrame() override
    {
        CBaseApp::UpdateFrame();
        ++frames;
        if (onFrame) onFrame(frames);
    }
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
    void Frames(int n)
    {
        for (int i = 0; i < n; ++i) Step();
    }
    int Global(const char* name) { return GetScriptEngine()->GetGlobalInt(name, -1); }
};

CxGameWindow* NewRoom() { return new CBaseRoom(); }

class GameStart : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        setenv("XDG_DATA_HOME", dir.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir.File("home").c_str(), 1);
        std::filesystem::create_directories(dir.File("home"));
        PlatFlushMessages();
        Write("gametest.ini", "[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n");
        Write("language.lua", "function GetLanguageString(key) return 'text of ' .. key end\n");
        Write("Alpha/Alpha.ini", "");
        Write("Beta/Beta.ini", "");
    }
    void TearDown() override
    {
        SetRoomQuestions(nullptr, nullptr);
        PlatFlushMessages();
    }
    // Folders on the way are made.
    static void Write(const std::string& path, const std::string& text)
    {
        std::filesystem::path parent = std::filesystem::path(path).parent_path();
        if (!parent.empty()) std::filesystem::create_directories(parent);
        WriteFileBytes(path, text);
    }

    InTempDir dir;
    ErrorCapture capture;
};
}  // namespace

TEST_F(GameStart, TheStartScriptsChooseTheFirstRoomAndKeysRunTheirBindings)
{
    CxRoomRegistrar alpha("Alpha", NewRoom), beta("Beta", NewRoom);
    Write("gametest.ini", "[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n"
                          "[Engine.Game.KeyBinds]\nA=pressed = 1\nF1=help = 1\nA=pressed = 2\nNOSUCHKEY=bad = 1\n");
    Write("autorun.lua", "autorun = 1\n");
    Write("startup.lua", "GotoRoom('Beta')\n");
    TestGame game;
    game.Start();
    EXPECT_EQ(game.Global("autorun"), 1);
    EXPECT_EQ(game.GetRooms().RoomCount(), 2);
    EXPECT_EQ(game.GetCurrentRoom(), nullptr);   // entered at the next frame
    game.Frames(2);
    ASSERT_NE(game.GetCurrentRoom(), nullptr);
    EXPECT_STREQ(game.GetCurrentRoom()->GetName(), "Beta");
    EXPECT_TRUE(game.GetCurrentRoom()->IsVisible());

    EXPECT_EQ(game.GetKeyBindings().Count(), 2);   // A bound twice keeps the second; the unknown name is ignored
    game.OnKeyDown(KeyCode('a'), 1);
    EXPECT_EQ(game.Global("pressed"), 2);
    game.OnKeyDown(KEY_F1, 1);
    EXPECT_EQ(game.Global("help"), 1);
    game.Stop();
    EXPECT_EQ(GetErrorCount(), 0);
}

TEST_F(GameStart, WithoutStartScriptsFramesRunWithNoRoom)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    TestGame game;
    game.Start();
    for (int i = 0; i < 50 && game.frames < 5; ++i) game.Step();   // a step may take a window message instead
    EXPECT_EQ(game.frames, 5);
    EXPECT_EQ(game.GetCurrentRoom(), nullptr);
    game.Stop();
}

TEST_F(GameStart, NoRegisteredRoomIsError13AndQuits)
{
    TestGame game;
    game.Start();
    EXPECT_EQ(GetLastErrorCode(), 13);   // the display layer's box took the report
    EXPECT_EQ(game.GetQuitFlag(), 1);
    game.Stop();
}

TEST_F(GameStart, KelIniSharesButtonsUpToTheFirstGapAndItsDialogs)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    Write("button.tga", ReadFileBytes(std::string(VORN_TEST_DATA) + "/display/overlap.tga"));
    Write("kel.ini", "[Button0]\nFileName=button.tga\nName=First\n[Button2]\nFileName=button.tga\nName=Third\n"
                     "[Dialogs]\nPause=Dialogs/pause.ini\n");
    Write("Dialogs/pause.ini", "[Options]\nSize=50, 40\n");
    TestGame game;
    game.Start();
    EXPECT_EQ(SharedButtonCount(), 1);
    EXPECT_NE(FindSharedButton("first"), nullptr);
    EXPECT_NE(game.FindDialog("PAUSE"), nullptr);
    game.Stop();
    EXPECT_EQ(SharedButtonCount(), 0);   // freed with the cycle
}

TEST_F(GameStart, KelIniCursorsExpandTheInstallPathAndButtonNamesAreCut)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    std::string picture = ReadFileBytes(std::string(VORN_TEST_DATA) + "/display/overlap.tga");
    Write("installed/Cursors/hand.tga", picture);
    Write("button.tga", picture);
    Write("gametest.ini", "[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\nInstallPath=" + dir.File("installed") + "\n");
    Write("kel.ini", "[Button0]\nFileName=button.tga\nName=" + std::string(40, 'n') + "\n"
                     "[Cursors]\nHand=1, 2, $INSTALLPATH/Cursors/hand.tga\n");
    TestGame game;
    game.Start();
    EXPECT_EQ(GetErrorCount(), 0);
    EXPECT_EQ(GetCursorIDFromName("Hand"), 10);
    EXPECT_NE(FindCursor(10), nullptr);
    EXPECT_NE(FindSharedButton(std::string(31, 'n').c_str()), nullptr);
    EXPECT_EQ(FindSharedButton(std::string(40, 'n').c_str()), nullptr);
    game.Stop();
}

TEST_F(GameStart, TheConsoleExistsOnlyWhenAllowedAndTheBackquoteTogglesIt)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    {
        TestGame game;
        game.Start();
        EXPECT_EQ(game.GetConsole(), nullptr);
        game.OnKeyDown(KeyCode('`'), 1);   // goes to the tree like any key
        game.Stop();
    }
    Write("gametest.ini", "[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n[Engine.Game]\nAllowCommandConsole=1\n");
    TestGame game;
    game.Start();
    ASSERT_NE(game.GetConsole(), nullptr);
    bool before = game.GetConsole()->IsVisible();
    game.OnKeyDown(KeyCode('`'), 1);
    EXPECT_NE(game.GetConsole()->IsVisible(), before);
    game.OnKeyDown(KeyCode('~'), 1);
    EXPECT_EQ(game.GetConsole()->IsVisible(), before);
    game.Stop();
    EXPECT_EQ(game.GetConsole(), nullptr);
}

TEST_F(GameStart, TheRegistryKeyFromTheIniIsTextWithTheNameInsertedNeverAFormat)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    std::string install = dir.File("installed");
    Write("home/Marloft/registry.ini", "[HKLM\\Odd%n%d\\GameTest]\nInstallPath=" + install + "\n");
    Write("gametest.ini", "[Options]\nAllUsers=0\n[Startup]\nSkipCredits=1\n"
                          "[Engine.Game]\nRegistryKey=Odd%n%d\\%s\n");
    TestGame game;
    game.Start();
    EXPECT_EQ(std::string(game.GetInstallPath()), install + "/");
    game.Stop();
    EXPECT_EQ(CxGameApp::RegistryKeyFor("Software\\%s\\%s", "Vorn"), CxString("Software\\Vorn\\%s"));
    EXPECT_EQ(CxGameApp::RegistryKeyFor("Fixed\\Key", "Vorn"), CxString("Fixed\\Key"));
}

TEST_F(GameStart, EachCycleStartsWithAnEmptyGlobalInterpolator)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    TestGame game;
    game.Start();
    GetGlobalInterpolator().SetVariable("PET", "Rex");
    EXPECT_EQ(game.GetScriptEngine()->EvalString("Interpolate('$PET')", ""), "Rex");
    game.Stop();
    game.Start();
    EXPECT_EQ(game.GetScriptEngine()->EvalString("Interpolate('$PET')", ""), "$PET");
    game.Stop();
}

TEST_F(GameStart, TheSaveFolderHoldsTheGameOptionsWrittenAtTheEnd)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    {
        TestGame game;
        game.Start();
        EXPECT_EQ(game.GetScriptEngine()->RunString("qor.options:SetInt('Options', 'ShowTipDialogs', 0)"), 0);
        game.Stop();
    }
    std::string saved = dir.File("home") + "/Marloft/GameTest/options.ini";
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_NE(ReadFileBytes(saved).find("ShowTipDialogs=0"), std::string::npos);

    TestGame again;
    again.Start();
    EXPECT_EQ(again.GetScriptEngine()->EvalInt("qor.options:GetInt('Options', 'ShowTipDialogs', 1)", -1), 0);
    again.Stop();
}

TEST_F(GameStart, LanguageStringsComeFromTheScriptsWithADefault)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    TestGame game;
    game.Start();
    EXPECT_STREQ(game.GetLanguageString("QuitConfirm").Text(), "text of QuitConfirm");
    EXPECT_STREQ(game.GetLanguageString("it's").Text(), "text of it's");   // quoted, not pasted
    game.GetScriptEngine()->RunString("GetLanguageString = nil");
    EXPECT_STREQ(game.GetLanguageString("QuitConfirm").Text(), "No String defined");
    game.Stop();
}

namespace {
int gAnswer = 0;
std::string gAsked;
int Answer(CxGameWindow*, const char* text)
{
    gAsked = text;
    return gAnswer;
}
}  // namespace

TEST_F(GameStart, TheCurrentRoomAsksBeforeTheGameQuits)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    Write("startup.lua", "GotoRoom('Alpha')\n");
    TestGame game;
    game.Start();
    game.Frames(2);
    SetRoomQuestions(nullptr, Answer);
    gAnswer = 0;
    game.Quit();
    EXPECT_EQ(gAsked, "text of QuitConfirm");
    EXPECT_EQ(game.GetQuitFlag(), 0);   // "no" keeps the game running
    EXPECT_EQ(game.GetScriptEngine()->RunString("answer = DoYesNoDialog('Sure?')"), 0);
    EXPECT_EQ(game.Global("answer"), 0);
    gAnswer = 1;
    game.Quit();
    EXPECT_EQ(game.GetQuitFlag(), 1);
    game.Stop();
}

TEST_F(GameStart, SystemCommandEventsReachTheHost)
{
    CxRoomRegistrar alpha("Alpha", NewRoom), beta("Beta", NewRoom);
    Write("startup.lua", "GotoRoom('Alpha')\n");
    TestGame game;
    game.Start();
    game.Frames(2);
    SetRoomQuestions(nullptr, Answer);   // nobody could click the game's own question here
    gAnswer = 1;
    ASSERT_NE(GetSystemChannelId(), 0u);
    EXPECT_EQ(game.GetScriptEngine()->RunString("DoEvent('system.GotoRoom(Beta)') DoEvent('system.SetVarRandom(pick, 4, 4)')"), 0);
    game.Frames(4);
    ASSERT_NE(game.GetCurrentRoom(), nullptr);
    EXPECT_STREQ(game.GetCurrentRoom()->GetName(), "Beta");
    EXPECT_STREQ(game.GetScriptEngine()->EvalString("Interpolate('${pick}')", "").Text(), "4");
    EXPECT_EQ(game.GetScriptEngine()->RunString("DoEvent('system.NoSuchCommand(1)') DoEvent('system.Quit()')"), 0);
    game.Frames(4);
    EXPECT_EQ(game.GetQuitFlag(), 1);
    game.Stop();
}

TEST_F(GameStart, ASystemQuitDuringTheQuitQuestionStillEndsTheMainLoop)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    Write("startup.lua", "GotoRoom('Alpha')\n");
    TestGame game;
    game.Start();
    game.Frames(2);
    int asked = game.frames;
    game.onFrame = [&](int frame) {   // arrives while the game's own question is up
        if (frame == asked + 3) PlatPostQuit();
        if (frame > asked + 50) SetErrorCount(3);   // a broken loop ends the test instead of hanging it
    };
    game.Quit();
    game.onFrame = nullptr;
    EXPECT_LT(game.frames, asked + 50);
    EXPECT_EQ(game.GetQuitFlag(), 0);   // nobody said yes
    EXPECT_EQ(game.Step(), 1);          // but the main loop sees the system's request
    game.Stop();
}

// The system cursors come from the pictures the image generator draws: each
// fixed id gets its own 32x32 picture with its hot spot, a rendered tool
// cursor takes the place of the flat one, and a missing picture is error 13
// that leaves the other cursors loaded.
TEST_F(GameStart, EverySystemCursorIdHasTheGamesOwnPictureAfterStartUp)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    const std::string generated = std::string(VORN_SOURCE_DIR) + "/data/generated/";
    ASSERT_TRUE(std::filesystem::exists(generated + "Common/system_cursors.ini")) << "build the vorn_data target";
    for (const char* name : {"pointer", "busy", "beam", "hand", "shampoo", "brush", "shower", "spray", "active", "left",
                             "right", "up"}) {
        std::string file = std::string("Common/syscursor_") + name + ".tga";
        Write("generated/" + file, ReadFileBytes(generated + file));
    }
    std::string table = ReadFileBytes(generated + "Common/system_cursors.ini");
    Write("generated/Common/system_cursors.ini", table);
    // a rendered brush with its own hot spot
    Write("generated/Common/cursor_brush.tga", ReadFileBytes(std::string(VORN_TEST_DATA) + "/display/overlap.tga"));
    Write("generated/props/cursors.ini", "[brush]\nFile=Common/cursor_brush.tga\nHotX=3\nHotY=5\n");

    const int ids[] = {0, 1, 2, 4, 11, 12, 13, 14, 15, 16, 17, 18};
    TestGame game;
    game.Start();
    EXPECT_EQ(GetErrorCount(), 0);
    for (int id : ids) {
        CxCursorImage* cursor = FindCursor(id);
        ASSERT_NE(cursor, nullptr) << "cursor " << id;
        if (id == 12) continue;
        EXPECT_EQ(cursor->image->GetWidth(), 32) << "cursor " << id;
        EXPECT_EQ(cursor->image->GetHeight(), 32) << "cursor " << id;
    }
    EXPECT_EQ(FindCursor(0)->hotSpot.x, 1);   // the pointer's tip
    EXPECT_EQ(FindCursor(16)->hotSpot.x, 0);  // the left arrow's tip
    EXPECT_EQ(FindCursor(16)->hotSpot.y, 16);
    EXPECT_EQ(FindCursor(12)->hotSpot.x, 3);
    EXPECT_EQ(FindCursor(12)->hotSpot.y, 5);
    EXPECT_NE(FindCursor(12)->image->GetWidth(), 32);   // the rendered one, not the flat one
    game.Stop();

    // one picture gone: error 13 for it, the rest still there
    std::filesystem::remove(dir.File("generated/Common/syscursor_spray.tga"));
    SetErrorCount(0);
    TestGame second;
    second.Start();
    EXPECT_EQ(GetErrorCount(), 2);   // the file, then the cursor
    EXPECT_EQ(GetLastErrorCode(), 13);
    EXPECT_EQ(FindCursor(14), nullptr);
    EXPECT_NE(FindCursor(15), nullptr);
    second.Stop();
}

namespace {
uint32_t gSplashNow = 0;
uint32_t SplashClock() { return gSplashNow; }
}  // namespace

// The splash runs whole frames until 5 s have passed on the game's clock or
// a key is pressed, then leaves the tree; without its picture it reports and
// returns at once instead of waiting on an empty dialog.
TEST_F(GameStart, TheSplashScreenEndsAfterFiveSecondsOrAKeyAndWithoutAPictureAtOnce)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    TestGame game;
    game.Start();
    ASSERT_EQ(GetErrorCount(), 0);
    gSplashNow = 100000;
    QorSetTickSource(SplashClock);
    CxDisplayObject* root = GetRootObject();
    ASSERT_NE(root, nullptr);
    const int childrenBefore = root->CountChildren(0);

    // no picture yet
    int before = game.frames;
    game.GetScriptEngine()->RunString("DoSplashScreen() afterSplash = 1");
    EXPECT_EQ(game.frames, before);
    EXPECT_EQ(GetErrorCount(), 1);
    EXPECT_EQ(game.Global("afterSplash"), 1);
    SetErrorCount(0);

    Write("generated/Textures/splashscreen.tga", ReadFileBytes(std::string(VORN_TEST_DATA) + "/display/overlap.tga"));
    int shown = 0;
    game.onFrame = [&](int frame) {
        shown += root->CountChildren(0) > childrenBefore;
        gSplashNow += 1000;
        if (frame - before > 50) game.OnKeyDown(KeyCode('a'), 1);   // never hang the suite
    };
    before = game.frames;
    game.GetScriptEngine()->RunString("DoSplashScreen()");
    int timed = game.frames - before;
    EXPECT_GE(timed, 5);
    EXPECT_LE(timed, 6);
    EXPECT_EQ(shown, timed);
    EXPECT_EQ(root->CountChildren(0), childrenBefore);

    // a key on the third frame ends it; the clock stands still
    game.onFrame = [&](int frame) {
        if (frame - before == 3) game.OnKeyDown(KeyCode('a'), 1);
    };
    before = game.frames;
    game.GetScriptEngine()->RunString("DoSplashScreen()");
    EXPECT_GE(game.frames - before, 3);
    EXPECT_LE(game.frames - before, 4);
    EXPECT_EQ(GetErrorCount(), 0);
    game.onFrame = nullptr;
    QorSetTickSource(nullptr);
    game.Stop();
}

// The options menu queues "g_bRestarted = true" before it restarts: the next
// cycle's scripts see it once, a first start and the cycle after never do.
TEST_F(GameStart, OnlyTheCycleAfterARestartSeesGRestarted)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    Write("startup.lua", "seenRestart = g_bRestarted and 1 or 0\n");
    TestGame game;
    game.Start();
    EXPECT_EQ(game.Global("seenRestart"), 0);
    game.QueueScriptForNextCycle("g_bRestarted = true");
    game.Restart();
    EXPECT_EQ(game.GetRestartFlag(), 1);
    game.Stop();

    game.Start();   // the restarted cycle
    EXPECT_EQ(game.Global("seenRestart"), 1);
    game.Stop();
    game.Start();
    EXPECT_EQ(game.Global("seenRestart"), 0);
    game.Stop();
    EXPECT_EQ(GetErrorCount(), 0);
}

namespace {
uint32_t gGlitterNow = 0;
uint32_t GlitterClock() { return gGlitterNow; }

class GlitterGame : public TestGame {
public:
    int updates = 0;
    int cleared = 0;
    bool UpdateGlitter() override
    {
        ++updates;
        return false;
    }
    void ClearGlitter() override { ++cleared; }
};
}  // namespace

// The glitter advances once per 30 ms of the game's clock: every third frame
// of 10 ms, once per frame (never catching up) when frames are slower, and
// not at all once the cycle has ended.  The scripts' switch is the game's.
TEST_F(GameStart, GlitterAdvancesEveryThirtyMillisecondsOfTheGamesClock)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    gGlitterNow = 50000;
    QorSetTickSource(GlitterClock);
    GlitterGame game;
    game.Start();
    EXPECT_TRUE(game.IsGlitterTimerRunning());
    // each frame advances the glitter first and then the clock: 30 frames
    // see 0 to 290 ms, the timer runs out at 30, 60, ... 270
    auto frames = [&](int n) {
        for (int target = game.frames + n, guard = 0; game.frames < target && guard < 10 * n; ++guard) game.Step();
    };
    game.onFrame = [&](int) { gGlitterNow += 10; };
    frames(30);
    EXPECT_EQ(game.updates, 9);
    game.updates = 0;
    game.onFrame = [&](int) { gGlitterNow += 100; };
    frames(5);   // 300 (due then), 400, ... 700
    EXPECT_EQ(game.updates, 5);

    EXPECT_EQ(game.IsGlitterAllowed(), 1);
    game.GetScriptEngine()->RunString("SetAllowGlitter(0) allowed = IsGlitterAllowed()");
    EXPECT_EQ(game.IsGlitterAllowed(), 0);
    EXPECT_EQ(game.Global("allowed"), 0);
    game.onFrame = nullptr;
    game.Stop();
    EXPECT_FALSE(game.IsGlitterTimerRunning());
    EXPECT_EQ(game.cleared, 1);
    QorSetTickSource(nullptr);
}

// A resized window: the scripts read the new client size once its size
// message has been handled.
TEST_F(GameStart, GetAppWidthAfterAResizeIsTheNewClientWidth)
{
    CxRoomRegistrar alpha("Alpha", NewRoom);
    TestGame game;
    game.Start();
    auto scriptSize = [&] {
        game.GetScriptEngine()->RunString("appWidth = GetAppWidth() appHeight = GetAppHeight()");
        return std::make_pair(game.Global("appWidth"), game.Global("appHeight"));
    };
    EXPECT_EQ(scriptSize(), std::make_pair(320, 240));
    PlatWindowSetSize(400, 300);
    game.Frames(5);
    EXPECT_EQ(scriptSize(), std::make_pair(400, 300));
    game.Stop();
}
