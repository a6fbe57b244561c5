#include "ScriptTestSupport.h"
#include "foundation/CxMemory.h"
#include "script/CxScriptApi.h"

#include <ctime>
#include <sstream>
#include <vector>

namespace {
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
}  // namespace

// ------------------------------------------------------------- state and running
TEST(LuaEngineState, WithoutAStateEveryRunReportsTheMissingVm)
{
    ErrorCapture capture;
    CxLuaEngine engine;
    EXPECT_EQ(engine.RunString("x = 1"), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(engine.RunFile("a.lua"), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(ErrorCapture::Reports().size(), 2u);
    EXPECT_EQ(ErrorCapture::Reports()[0].message, "Lua VM not yet created");
    EXPECT_EQ(ErrorCapture::Reports()[1].message, "Lua VM not yet created");
    EXPECT_EQ(engine.EvalNumber("1", 4.5), 4.5);
    EXPECT_EQ(engine.GetGlobalInt("x", 9), 9);
}

TEST(LuaEngineState, RefusedMemoryLeavesNoStateAndLaterRunsReportIt)
{
    ErrorCapture capture;
    CxLuaEngine engine;
    QorSetAllocationLimit(QorBytesInUse() + 64);
    int code = engine.Init();
    QorSetAllocationLimit(0);
    EXPECT_NE(code, 0);
    EXPECT_EQ(engine.GetState(), nullptr);
    ASSERT_FALSE(ErrorCapture::Reports().empty());
    EXPECT_EQ(ErrorCapture::Reports()[0].message, "Could not create Lua Engine");
    EXPECT_EQ(engine.RunString("x = 1"), ERR_INVALID_ARGUMENT);
}

// Every byte of the state is counted by the engine allocator, and a script
// that outgrows the limit gets a script error, not a crash.
TEST_F(ScriptTest, StateMemoryComesFromTheEngineAllocatorAndItsLimit)
{
    size_t before = QorBytesInUse();
    Run("big = {} for i = 1, 20000 do big[i] = i end");
    EXPECT_GT(QorBytesInUse(), before + 20000 * sizeof(double));
    Run("big = nil collectgarbage()");
    EXPECT_LT(QorBytesInUse(), before + 20000);

    QorSetAllocationLimit(QorBytesInUse() + 256 * 1024);
    int code = engine.RunString("local s = 'x' for i = 1, 30 do s = s .. s end");
    QorSetAllocationLimit(0);
    EXPECT_EQ(code, ERR_SCRIPTING);
    EXPECT_NE(PrintedText().find("not enough memory"), std::string::npos) << PrintedText();
    EXPECT_EQ(Run("print(1 + 1)"), "2\n");
}

TEST_F(ScriptTest, RunStringChecksItsTextAndPrintsScriptErrorsWithoutReportingThem)
{
    EXPECT_EQ(engine.RunString(""), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(engine.RunString(nullptr), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(ErrorCapture::Reports().size(), 2u);
    EXPECT_EQ(ErrorCapture::Reports()[1].message, "Invalid command string");
    EXPECT_EQ(engine.RunFile(""), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Lua VM not yet created");

    SetErrorCount(0);
    PrintedText().clear();
    EXPECT_EQ(engine.RunString("x = = 1"), ERR_SCRIPTING);
    EXPECT_EQ(engine.RunString("error('stop here')"), ERR_SCRIPTING);
    EXPECT_EQ(GetErrorCount(), 0);
    EXPECT_EQ(engine.GetScriptErrorCount(), 2);
    std::vector<std::string> lines = Lines(PrintedText());
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("[string \"x = = 1\"]:1:", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1], "[string \"error('stop here')\"]:1: stop here");
    EXPECT_EQ(engine.RunString("error({})"), ERR_SCRIPTING);
}

TEST_F(ScriptTest, OnlyTheDesignatedLibrariesAreOpen)
{
    EXPECT_EQ(Run("print(io, os, package.loadlib)"), "nil    nil    nil\n");
    EXPECT_EQ(Run("print(type(coroutine.create), type(table.insert), type(string.format), type(math.floor),"
                  " type(debug.traceback), type(require))"),
              "function    function    function    function    function    function\n");
    EXPECT_EQ(Run("print(type(LogInfo), type(DumpMem), type(VerifyMemoryBlocks), type(ValidateObjectList))"),
              "function    function    function    function\n");
    EXPECT_EQ(Run("LogInfo('x') DumpMem() print(LogInfo())"), "\n");
}

// ------------------------------------------------------------- print and Help
TEST_F(ScriptTest, PrintJoinsWithFourBlanksThroughTheGlobalTostring)
{
    EXPECT_EQ(Run("print(1, nil, 'x')"), "1    nil    x\n");
    EXPECT_EQ(Run("_ALERT('a', true)"), "a    true\n");
    EXPECT_EQ(Run("print()"), "\n");
    EXPECT_EQ(Run("print('%s %d %n')"), "%s %d %n\n");
    EXPECT_EQ(Run("local old = tostring tostring = function(v) return '<' .. old(v) .. '>' end print(1, 2) tostring = old"),
              "<1>    <2>\n");
    Run("local old = tostring tostring = function() return {} end ok, message = pcall(print, 1) tostring = old");
    EXPECT_EQ(engine.GetGlobalString("message", ""),
              "`tostring' must return a string to `print'");
}

TEST_F(ScriptTest, LongPrintedTextReachesOutputWholeInConsoleSizedPieces)
{
    std::vector<std::string> pieces;
    static std::vector<std::string>* sink;
    sink = &pieces;
    SetPrintListener([](const char* text) { sink->push_back(text); });
    engine.RunString("print(string.rep('a', 600))");
    SetPrintListener(RecordPrint);
    ASSERT_EQ(pieces.size(), 3u);
    std::string joined;
    for (const std::string& piece : pieces) {
        EXPECT_LE(piece.size(), 255u);
        joined += piece;
    }
    EXPECT_EQ(joined, std::string(600, 'a') + "\n");
}

TEST_F(ScriptTest, HelpPrintsSortedFunctionNamesInColumnsPaddedToTheLongest)
{
    Run("local type, pairs = type, pairs local keep = { Help = 1, print = 1, zz = 1, Ab = 1, a = 1, B = 1, longname = 1 }"
        " zz = function() end Ab = function() end a = function() end B = function() end longname = print"
        " for k, v in pairs(_G) do if type(v) == 'function' and not keep[k] then _G[k] = nil end end");
    std::vector<std::string> lines = Lines(Run("Help(3)"));
    auto cell = [](std::string name) { return name + std::string(9 - name.size(), ' '); };   // longest is 8
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], cell("Ab") + cell("B") + cell("Help"));
    EXPECT_EQ(lines[1], cell("a") + cell("longname") + cell("print"));
    EXPECT_EQ(lines[2], cell("zz"));
    EXPECT_EQ(Lines(Run("Help()")).size(), 7u);
    EXPECT_EQ(Lines(Run("Help(0)")).size(), 7u);
}

// ------------------------------------------------------------- evaluation and lookup
TEST_F(ScriptTest, EvalReturnsTheValueOfTheWantedTypeOrTheDefault)
{
    EXPECT_TRUE(engine.EvalBool("undefinedGlobal == nil", false));
    EXPECT_FALSE(engine.EvalBool("1 == 2", true));
    EXPECT_TRUE(engine.EvalBool("5", true));
    EXPECT_FALSE(engine.EvalBool("5", false));
    EXPECT_EQ(engine.EvalNumber("\"str\"", 7), 7);
    EXPECT_EQ(engine.EvalNumber("2 ^ 10 + 0.5", 0), 1024.5);
    EXPECT_EQ(engine.EvalInt("3.9", 0), 3);
    EXPECT_EQ(engine.EvalInt("-3.9", 0), -3);
    EXPECT_EQ(engine.EvalInt("1e300", 11), 11);
    EXPECT_EQ(engine.EvalInt("'12'", 4), 4);   // a convertible string is still a string
    EXPECT_EQ(engine.EvalString("'a' .. 'b'", "d"), "ab");
    EXPECT_EQ(engine.EvalString("12", "d"), "d");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
    EXPECT_TRUE(engine.EvalBool("_tmp == nil", false));   // the scratch global is cleared again
}

TEST_F(ScriptTest, EvalTakesExpressionsOfAnyLength)
{
    std::string sum = "0";
    for (int i = 0; i < 150; ++i) sum += " + 1";   // 600 characters
    EXPECT_EQ(engine.EvalInt(sum.c_str(), -1), 150);
    std::string text(2000, 'x');
    EXPECT_EQ(std::string(engine.EvalString(("'" + text + "'").c_str(), "d").Text()), text);
    EXPECT_TRUE(engine.EvalBool(("'" + text + "' ~= nil").c_str(), false));
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(ScriptTest, EvalOfABrokenExpressionPrintsTheErrorAndGivesTheDefault)
{
    PrintedText().clear();
    EXPECT_EQ(engine.EvalNumber("1 +", 7), 7);
    EXPECT_EQ(engine.EvalString("nothing.field", "none"), "none");
    EXPECT_EQ(engine.GetScriptErrorCount(), 2);
    EXPECT_EQ(Lines(PrintedText()).size(), 2u);
    EXPECT_EQ(GetErrorCount(), 0);
}

TEST_F(ScriptTest, GlobalPathsWalkTablesAndFallBackToTheDefault)
{
    Run("A = { B = 3, S = 'txt', N = '12', T = true, F = 2.5, D = { E = { F = 'deep' } } }"
        " PetAI = { tThinkFunc = 250 }");
    EXPECT_EQ(engine.GetGlobalInt("A.B.C", 5), 5);
    EXPECT_EQ(engine.GetGlobalInt("A.B", 5), 3);
    EXPECT_EQ(engine.GetGlobalInt("PetAI.tThinkFunc", 0), 250);
    EXPECT_EQ(engine.GetGlobalInt("A.N", 0), 12);          // a string convertible to a number
    EXPECT_EQ(engine.GetGlobalInt("A.S", 6), 6);
    EXPECT_EQ(engine.GetGlobalFloat("A.F", 0), 2.5f);
    EXPECT_EQ(engine.GetGlobalString("A.D.E.F", ""), "deep");
    EXPECT_EQ(engine.GetGlobalString("A.B", ""), "3");     // numbers read as text
    EXPECT_EQ(engine.GetGlobalString("A.T", "no"), "no");
    EXPECT_TRUE(engine.GetGlobalBool("A.T", false));
    EXPECT_TRUE(engine.GetGlobalBool("A.B", true));        // not a boolean: the default
    EXPECT_EQ(engine.GetGlobalInt("Missing.X", -1), -1);
    EXPECT_EQ(engine.GetGlobalInt("A.", -1), -1);
    std::string longPath(600, 'q');
    EXPECT_EQ(engine.GetGlobalInt(longPath.c_str(), 8), 8);
    Run("setmetatable(A, { __index = function() error('no') end })");
    EXPECT_EQ(engine.GetGlobalInt("A.Z", 4), 4);
}

// Engine code may read values from inside a script function it was called
// from; the reads must leave that function's stack alone.
namespace {
CxLuaEngine* gNested = nullptr;
int ReadDuringCall(lua_State* L)
{
    int top = lua_gettop(L);
    int32_t value = gNested->GetGlobalInt("depth", 0) + gNested->EvalInt("depth * 10", 0);
    if (lua_gettop(L) != top) return luaL_error(L, "stack changed");
    lua_pushnumber(L, value);
    lua_pushvalue(L, 1);
    return 2;
}
}  // namespace

TEST_F(ScriptTest, ReadsFromInsideAScriptCallLeaveItsStackAlone)
{
    gNested = &engine;
    ASSERT_EQ(engine.RegisterFunction("ReadDuringCall", ReadDuringCall), 0);
    EXPECT_EQ(Run("depth = 2 print(ReadDuringCall('kept'))"), "22    kept\n");
    EXPECT_EQ(engine.RegisterFunction(nullptr, ReadDuringCall), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(engine.RegisterFunction("x", nullptr), ERR_INVALID_ARGUMENT);
}

// ------------------------------------------------------------- date
TEST_F(ScriptTest, DateGivesTheLocalTimeWithOneBasedMonthAndWeekday)
{
    time_t now = time(nullptr);
    struct tm local;
    localtime_r(&now, &local);
    Run("d = date()");
    EXPECT_EQ(engine.GetGlobalInt("d.year", 0), local.tm_year + 1900);
    EXPECT_EQ(engine.GetGlobalInt("d.month", 0), local.tm_mon + 1);
    EXPECT_EQ(engine.GetGlobalInt("d.day", 0), local.tm_mday);
    EXPECT_EQ(engine.GetGlobalInt("d.wday", 0), local.tm_wday + 1);
    EXPECT_EQ(engine.GetGlobalInt("d.yday", 0), local.tm_yday + 1);
    EXPECT_TRUE(engine.EvalBool("type(d.isdst) == 'boolean' and type(d.sec) == 'number'", false));
    EXPECT_TRUE(engine.EvalBool("d.hour >= 0 and d.hour < 24 and d.min < 60", false));
}
