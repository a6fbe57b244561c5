#include "../core/ErrorCapture.h"
#include "AppTestApp.h"
#include "app/CxGameConsole.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxFont.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
class Console : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateDefaultFont(), 0);
        InitDisplayTree(CxSize{640, 480});
        app.OpenCycle();
        const char text[] = "[Engine.Game.CommandConsole]\nMaxOutputHistory=5\nMaxCommandHistory=3\n"
                            "[Engine.Game.CommandConsole.Aliases]\nq=Quit()\ngreet=greeting = 'hi'\n";
        options.LoadFromMemory(text, sizeof text - 1);
        console = new CxGameConsole(&options);
        ASSERT_EQ(console->Create(20, 10, 400, 300, GetRootObject(), 0), 0);
    }
    void TearDown() override
    {
        delete console;
        app.CloseCycle();
        ShutdownDisplayTree();
        DeleteDefaultFont();
    }
    void Type(const char* text)
    {
        for (const char* c = text; *c; ++c) DispatchKeyDown(KeyCode(uint8_t(*c)), 0);
    }
    std::vector<std::string> Shown()
    {
        std::vector<std::string> lines;
        for (int i = 0; i < console->Output().GetCount(); ++i) lines.push_back(console->Output().GetText(i));
        return lines;
    }
    CxLuaEngine& Engine() { return *app.GetScriptEngine(); }

    InTempDir dir;
    ErrorCapture capture;
    ScriptedStepApp app;
    CxOptions options;
    CxGameConsole* console = nullptr;
};
using Lines = std::vector<std::string>;
}  // namespace

TEST_F(Console, LayoutAlongTheEdges)
{
    EXPECT_EQ(console->Output().GetRect(), (CxRect{5, 5, 5 + 370 - 1, 5 + 267 - 1}));
    EXPECT_EQ(console->ScrollBar().GetRect(), (CxRect{400 - 6 - 16, 5, 400 - 6 - 1, 5 + 267 - 1}));
    EXPECT_EQ(console->Input().GetRect(), (CxRect{5, 300 - 6 - 20, 5 + 390 - 1, 300 - 6 - 1}));
    EXPECT_EQ(console->State().MaxOutput(), 5);
    EXPECT_EQ(console->State().MaxCommands(), 3);
}

TEST_F(Console, PrintSplitsLinesAndDropsTheOldest)
{
    console->Print("one\ntwo");
    EXPECT_EQ(Shown(), (Lines{"one", "two"}));
    console->Print("three\n");   // a final line break adds no empty line
    EXPECT_EQ(Shown(), (Lines{"one", "two", "three"}));
    console->Print("4\n5\n6");
    EXPECT_EQ(Shown(), (Lines{"two", "three", "4", "5", "6"}));
}

TEST_F(Console, EngineAndScriptPrintsReachTheConsole)
{
    Print("engine says %d\n", 42);
    Engine().RunString("print('script says hi')");
    EXPECT_EQ(Shown(), (Lines{"engine says 42", "script says hi"}));
    delete console;   // the listener goes with the console
    console = nullptr;
    Print("nobody listens\n");
}

TEST_F(Console, ShowGivesTheInputTheFocusAndHideGivesItBack)
{
    CxSprite room;
    room.Create(0, 0, 640, 480, GetRootObject(), 0);
    room.SetActive();
    console->Show();
    EXPECT_TRUE(console->IsVisible());
    EXPECT_EQ(GetActiveObject(), &console->Input());
    DispatchKeyDown(KEY_ESCAPE, 0);
    EXPECT_FALSE(console->IsVisible());
    EXPECT_EQ(GetActiveObject(), &room);
}

TEST_F(Console, EnterRunsTheTypedCommandAndEchoesIt)
{
    console->Show();
    Type("x = 6 * 7");
    EXPECT_STREQ(console->Input().GetString(), "x = 6 * 7");
    DispatchKeyDown(13, 0);
    EXPECT_EQ(Engine().EvalInt("x", 0), 42);
    EXPECT_STREQ(console->Input().GetString(), "");
    EXPECT_EQ(Shown(), (Lines{"x = 6 * 7"}));
    DispatchKeyDown(13, 0);   // an empty line runs nothing
    EXPECT_EQ(console->State().History().GetCount(), 1);
}

TEST_F(Console, AliasesRunTheirValue)
{
    console->Show();
    Type("greet");
    DispatchKeyDown(13, 0);
    EXPECT_EQ(std::string(Engine().EvalString("greeting", "").Text()), "hi");
    Type("q");
    DispatchKeyDown(13, 0);
    EXPECT_EQ(app.GetQuitFlag(), 1);
}

TEST_F(Console, UpAndDownWalkTheHistoryWrapping)
{
    console->Show();
    for (const char* c : {"a = 1", "b = 2", "c = 3", "d = 4"}) {
        Type(c);
        DispatchKeyDown(13, 0);
    }
    ASSERT_EQ(console->State().History().GetCount(), 3);   // the oldest went
    DispatchKeyDown(KEY_UP, 0);
    EXPECT_STREQ(console->Input().GetString(), "d = 4");
    DispatchKeyDown(KEY_UP, 0);
    EXPECT_STREQ(console->Input().GetString(), "c = 3");
    DispatchKeyDown(KEY_DOWN, 0);
    DispatchKeyDown(KEY_DOWN, 0);
    EXPECT_STREQ(console->Input().GetString(), "b = 2");   // wrapped past the newest
}

TEST_F(Console, ControlCClearsTheOutputInEitherCase)
{
    console->Show();
    console->Print("x\ny");
    DispatchKeyDown(('c' + 64) | KEY_CONTROL, 0);
    EXPECT_EQ(console->Output().GetCount(), 0);
    console->Print("z");
    DispatchKeyDown(('C' + 64) | KEY_CONTROL, 0);
    EXPECT_EQ(console->Output().GetCount(), 0);
    EXPECT_EQ(console->State().Output().GetCount(), 0);
}

TEST_F(Console, KeysTheInputDoesNotTakeClimbPastTheConsole)
{
    CxSprite room;
    room.Create(0, 0, 640, 480, GetRootObject(), 0);
    console->Link(&room);
    console->Show();
    DispatchKeyDown(KEY_F5, 0);   // neither the input nor the console takes it: no endless hand-back
    EXPECT_EQ(GetActiveObject(), &console->Input());
}

TEST_F(Console, WheelAndScrollBarMoveTheOutput)
{
    CxOptions roomy;
    const char text[] = "[Engine.Game.CommandConsole]\nMaxOutputHistory=100\n";
    roomy.LoadFromMemory(text, sizeof text - 1);
    CxGameConsole big(&roomy);
    big.Create(0, 0, 300, 100, GetRootObject(), 0);
    for (int i = 0; i < 30; ++i) big.Print(std::to_string(i).c_str());
    int visible = big.Output().GetVisibleCount();
    ASSERT_GT(visible, 0);
    EXPECT_EQ(big.Output().GetTopIndex(), 30 - visible);   // printing scrolls to the end
    EXPECT_EQ(big.ScrollBar().GetScrollPosition(), 30 - visible);
    big.OnMouseWheel(0, CxPoint{10, 10}, 3);
    EXPECT_EQ(big.Output().GetTopIndex(), 30 - visible - 3);
    EXPECT_EQ(big.ScrollBar().GetScrollPosition(), 30 - visible - 3);
    big.ScrollBar().SetScrollPosition(0);
    EXPECT_EQ(big.Output().GetTopIndex(), 0);
}

TEST_F(Console, ApplicationConsoleOnlyWhenAllowed)
{
    CxOptions off;
    EXPECT_EQ(CreateGameConsole(off, 640), nullptr);
    EXPECT_FALSE(ToggleGameConsole(nullptr, '`'));   // the key goes on to the display tree

    CxOptions on;
    const char text[] = "[Engine.Game]\nAllowCommandConsole=1\nCommandConsoleHeight=150\n";
    on.LoadFromMemory(text, sizeof text - 1);
    CxGameConsole* made = CreateGameConsole(on, 640);
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRect(), (CxRect{0, 0, 639, 149}));
    EXPECT_EQ(made->GetParent(), GetRootObject());
    EXPECT_EQ(GetRootObject()->GetChildren().GetTail()->value, made);   // in front
    EXPECT_FALSE(made->IsVisible());
    EXPECT_TRUE(ToggleGameConsole(made, '`'));
    EXPECT_TRUE(made->IsVisible());
    EXPECT_FALSE(ToggleGameConsole(made, 'a'));
    EXPECT_TRUE(ToggleGameConsole(made, '~'));
    EXPECT_FALSE(made->IsVisible());
    delete made;

    const char zero[] = "[Engine.Game]\nAllowCommandConsole=1\nCommandConsoleHeight=0\n";
    on.LoadFromMemory(zero, sizeof zero - 1);
    EXPECT_EQ(CreateGameConsole(on, 640), nullptr);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Could not create the Command Console");
}
