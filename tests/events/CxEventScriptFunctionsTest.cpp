#include "EventTestSupport.h"
#include "TestSupport.h"
#include "../core/ErrorCapture.h"
#include "events/CSystemEventCreator.h"
#include "events/CxEventScriptFunctions.h"
#include "events/CxInterpolator.h"
#include "events/CxScriptEvents.h"

#include <lua.hpp>

namespace {
lua_State* gState = nullptr;

int RunLine(const char* line) { return luaL_dostring(gState, line) ? ERR_SCRIPTING : 0; }

// A bare script state with the event functions, standing in for the host.
class ScriptedEvents : public EventTest {
protected:
    void SetUp() override
    {
        EventTest::SetUp();
        gState = luaL_newstate();
        luaL_openlibs(gState);
        RegisterEventScriptFunctions(gState);
        SetEventScriptRunner(RunLine);
        RegisterEventCreator("system", &system_);
        uint32_t id = NewChannel();
        SetSystemChannel(id);
        listener_.ListenTo(id);
    }
    void TearDown() override
    {
        SetSystemChannel(0);
        UnregisterEventCreators("system");
        SetEventScriptRunner(nullptr);
        lua_close(gState);
        EventTest::TearDown();
    }
    // Runs script text; returns the error message, or "" when it ran.
    static std::string Run(const char* text)
    {
        if (luaL_dostring(gState, text) == 0) return "";
        std::string message = lua_tostring(gState, -1);
        lua_pop(gState, 1);
        return message;
    }
    static double Number(const char* global)
    {
        lua_getglobal(gState, global);
        double value = lua_tonumber(gState, -1);
        lua_pop(gState, 1);
        return value;
    }
    RecordingListener listener_;
    CSystemEventCreator system_;
};
}  // namespace

TEST_F(ScriptedEvents, ChannelsFromScripts)
{
    EXPECT_EQ(Run("sys = GetSystemChannel() ch = CreateChannel()"), "");
    EXPECT_EQ(uint32_t(Number("sys")), GetSystemChannelId());
    EXPECT_NE(Number("ch"), 0);
    EXPECT_EQ(Run("assert(IsChannelEmpty(ch)) assert(IsChannelEmpty()) assert(not IsChannelPaused('x'))"), "");
    EXPECT_EQ(Run("DoLuaEvent('ran = 1', ch) DoEvent('system.Sleep(100)', ch)"), "");
    Pass();
    EXPECT_EQ(Number("ran"), 1);
    Pass();
    EXPECT_EQ(Run("PauseChannel(ch) assert(IsChannelPaused(ch)) ResumeChannel(ch)"), "");
    EXPECT_NE(Run("PauseChannel('ch')").find("bad argument"), std::string::npos);
    EXPECT_EQ(Run("DestroyChannel(ch)"), "");
    EXPECT_FALSE(CxEvent::ChannelExists(uint32_t(Number("ch"))));
}

TEST_F(ScriptedEvents, InvalidChannelsAreReportedNotRaised)
{
    ErrorCapture capture;
    EXPECT_EQ(Run("FlushChannel() DestroyChannel('nonsense')"), "");
    EXPECT_EQ(capture.Reports().size(), 2u);
}

TEST_F(ScriptedEvents, PostingToTheSystemChannelAndRunNextNow)
{
    EXPECT_EQ(Run("n = 0 DoLuaEvent('n = n + 1', 0, true) DoLuaEvent('n = n + 1', nil, 1) DoLuaEvent('n = n + 1')"), "");
    Pass();
    EXPECT_EQ(Number("n"), 3);   // the first two carry run-next-now: all three in one pass
    EXPECT_EQ(Run("DoEvent('system.Notify(4)')"), "");
    Pass();
    ASSERT_FALSE(listener_.heard.empty());
    EXPECT_EQ(listener_.heard.back().info, 4);
    EXPECT_EQ(Run("DoEvent('no creator here')"), "");   // creates nothing, quietly
    EXPECT_NE(Run("DoEvent(5)").find("bad argument"), std::string::npos);
}

TEST_F(ScriptedEvents, TimedScriptEventsAndSequencesFromScripts)
{
    EXPECT_EQ(Run("ticks = 0 DoLuaTimerEvent(250, 100, 'ticks = ticks + 1')"), "");
    for (int i = 0; i < 8; ++i) Pass(50);
    EXPECT_EQ(Number("ticks"), 2);

    InTempDir dir;
    WriteFileBytes("hello.seq", "Lua seq = (seq or 0) + 1\ncontinue Lua seq = seq + 10\nLua seq = seq + 100\n");
    EXPECT_EQ(Run("DoSequence('hello.seq')"), "");
    for (int i = 0; i < 4; ++i) Pass(10);
    EXPECT_EQ(Number("seq"), 111);
}

TEST_F(ScriptedEvents, InterpolateUsesTheGlobalVariables)
{
    GetGlobalInterpolator().SetVariable("PET", "Tibbles");
    EXPECT_EQ(Run("s = Interpolate('hello $PET, ${PET}!')"), "");
    lua_getglobal(gState, "s");
    EXPECT_STREQ(lua_tostring(gState, -1), "hello Tibbles, Tibbles!");
    lua_pop(gState, 1);
    GetGlobalInterpolator().RemoveVariable("PET");
}
