#include "ScriptTestSupport.h"

#include <filesystem>
#include <string>

namespace {
// A real precompiled chunk, as string.dump makes it.
const char kDumpScript[] = "function f() return 42 end binary = string.dump(f)";

class LoaderTest : public ScriptTest {
protected:
    void WriteBinaryChunk(const char* name)
    {
        Run(kDumpScript);
        lua_getglobal(L, "binary");
        size_t size = 0;
        const char* bytes = lua_tolstring(L, -1, &size);
        WriteFileBytes(name, std::string(bytes, size));
        lua_pop(L, 1);
    }
    InTempDir dir;
};

bool Refused(const std::string& printed) { return printed.find("precompiled (binary) chunks are refused") != std::string::npos; }
}  // namespace

// ------------------------------------------------------------- dofile
TEST_F(LoaderTest, DofileRunsAFileThroughTheFileSystemsAndReturnsAllResults)
{
    WriteFileBytes("values.lua", "ran = (ran or 0) + 1 return 1, 'two', nil, 4");
    EXPECT_EQ(Run("print(select('#', dofile('values.lua')), dofile('values.lua'))"), "4    1    two    nil    4\n");
    EXPECT_EQ(engine.GetGlobalInt("ran", 0), 2);
    EXPECT_EQ(engine.RunFile("values.lua"), 0);
    EXPECT_EQ(engine.GetGlobalInt("ran", 0), 3);
}

TEST_F(LoaderTest, AnErrorInsideDofileIsPrintedAndTheCallerGoesOn)
{
    WriteFileBytes("broken.lua", "x = 1\nerror('inner failure')");
    WriteFileBytes("syntax.lua", "x = = 2");
    PrintedText().clear();
    EXPECT_EQ(engine.RunString("print(select('#', dofile('broken.lua'))) dofile('syntax.lua') after = true"), 0);
    EXPECT_TRUE(engine.GetGlobalBool("after", false));
    EXPECT_EQ(engine.GetScriptErrorCount(), 2);
    EXPECT_NE(PrintedText().find("[string \"broken.lua\"]:2: inner failure\n0\n"), std::string::npos) << PrintedText();
    EXPECT_NE(PrintedText().find("[string \"syntax.lua\"]:1:"), std::string::npos) << PrintedText();
    EXPECT_EQ(GetErrorCount(), 0);
}

TEST_F(LoaderTest, AMissingFileIsReportedAndDofileReturnsNothing)
{
    EXPECT_EQ(Run("print(select('#', dofile('absent.lua')))"), "0\n");
    ASSERT_EQ(ErrorCapture::Reports().size(), 1u);
    EXPECT_EQ(ErrorCapture::Reports()[0].code, ERR_OPEN_FILE);
    EXPECT_EQ(ErrorCapture::Reports()[0].message, "Could not open absent.lua");
    PrintedText().clear();
    EXPECT_EQ(engine.RunString("dofile(5)"), 0);   // a number is a path text to Lua; nothing found
    EXPECT_EQ(engine.RunString("dofile()"), ERR_SCRIPTING);
}

TEST_F(LoaderTest, AFileChunkEndsAtItsFirstZeroByte)
{
    WriteFileBytes("zero.lua", std::string("value = 1\0value = 2 this is not script", 39));
    Run("dofile('zero.lua')");
    EXPECT_EQ(engine.GetGlobalInt("value", 0), 1);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(LoaderTest, RunFileQuotesTheNameSoItCannotBreakOutOfTheText)
{
    WriteFileBytes("it's \"odd\".lua", "odd = true");
    EXPECT_EQ(engine.RunFile("it's \"odd\".lua"), 0);
    EXPECT_TRUE(engine.GetGlobalBool("odd", false));
    EXPECT_EQ(engine.RunFile("x\") injected = true --"), 0);
    EXPECT_FALSE(engine.GetGlobalBool("injected", false));
}

// ------------------------------------------------------------- binary chunks
TEST_F(LoaderTest, EveryLoaderRefusesPrecompiledChunks)
{
    WriteBinaryChunk("compiled.lua");
    WriteBinaryChunk("compiledmod.lua");

    PrintedText().clear();
    EXPECT_EQ(Run("print(loadstring(binary))").find("nil    "), 0u);
    EXPECT_TRUE(Refused(PrintedText())) << PrintedText();

    // The reader hands the escape byte over alone, then the rest.
    std::string printed = Run("local parts = { binary:sub(1, 1), binary:sub(2) } local i = 0"
                              " print(load(function() i = i + 1 return parts[i] end))");
    EXPECT_TRUE(Refused(printed)) << printed;

    EXPECT_TRUE(Refused(Run("print(loadfile('compiled.lua'))")));
    EXPECT_TRUE(Refused(Run("print(pcall(require, 'compiledmod'))")));

    PrintedText().clear();
    Run("print(select('#', dofile('compiled.lua')))");
    EXPECT_TRUE(Refused(PrintedText()));
    EXPECT_NE(PrintedText().find("\n0\n"), std::string::npos);

    lua_getglobal(L, "binary");
    std::string bytes = lua_tostring(L, -1);   // up to its first zero byte, as host texts are
    lua_pop(L, 1);
    PrintedText().clear();
    EXPECT_EQ(engine.RunString(bytes.c_str()), ERR_SCRIPTING);
    EXPECT_TRUE(Refused(PrintedText()));
    EXPECT_EQ(engine.GetGlobalInt("f", 0), 0);
}

TEST_F(LoaderTest, TextLoadersStillWork)
{
    WriteFileBytes("text.lua", "return 6 * 7");
    EXPECT_EQ(Run("print(loadstring('return 1 + 1')(), loadfile('text.lua')())"), "2    42\n");
    EXPECT_EQ(Run("local done = false print(load(function() if done then return nil end done = true return 'return 5' end)())"),
              "5\n");
    EXPECT_EQ(Run("print(loadfile('none.lua'))"), "nil    cannot open none.lua\n");
    EXPECT_EQ(Run("print(pcall(load, function() return {} end))"), "false    reader function must return a string\n");
}

TEST_F(LoaderTest, RequireFindsScriptModulesThroughTheFileSystemsOnly)
{
    std::filesystem::create_directory("pkg");
    WriteFileBytes("mymod.lua", "loads = (loads or 0) + 1 return { answer = 42 }");
    WriteFileBytes("pkg/init.lua", "return 'package init'");
    WriteFileBytes("pkg/sub.lua", "return 'sub module'");
    EXPECT_EQ(Run("print(require('mymod').answer, require('mymod').answer, loads)"), "42    42    1\n");
    EXPECT_EQ(Run("print(require('pkg'), require('pkg.sub'))"), "package init    sub module\n");
    std::string printed = Run("print(pcall(require, 'nowhere'))");
    EXPECT_NE(printed.find("no file 'nowhere.lua'"), std::string::npos) << printed;
    EXPECT_EQ(Run("package.preload.pre = function() return 'preloaded' end print(require('pre'))"), "preloaded\n");
}
