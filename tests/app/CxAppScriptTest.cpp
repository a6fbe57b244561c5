#include "../script/ScriptTestSupport.h"
#include "app/CxApp.h"
#include "script/CxScriptBinding.h"

#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// ------------------------------------------------------------- cycles
namespace {
int gAlive = 0;

class Tracked : public CxObject {
public:
    Tracked() { ++gAlive; }
    ~Tracked() override { --gAlive; }
};

const CxScriptClass kTracked = ScriptClass<Tracked>("Tracked", nullptr, nullptr);
const CxAppInfo kInfo = {"CycleApp", "cycle.ini", "Mar  3 2026 09:00:00", 1, 0, 1, 0, 0, 640, 480, 32, 0};

// Each cycle's script creates objects and looks for the previous cycle's
// global; the first cycle restarts from the script.
class CycleApp : public CxApp {
public:
    CycleApp() : CxApp(kInfo) {}
    std::vector<std::string> seen;
    std::vector<int> aliveAtClose;
    int cycles = 0;

    void StartCycle() override { ScriptBindClass(*GetScriptEngine(), kTracked); }
    void ReadyCycle() override
    {
        ++cycles;
        CxLuaEngine* engine = GetScriptEngine();
        seen.push_back(engine->EvalString("tostring(fromLastCycle)", "?").Text());
        engine->RunString("fromLastCycle = true keep = { Tracked(), Tracked(), Tracked:new() }");
        engine->RunString(cycles == 1 ? "Restart()" : "Quit()");
    }
    void CloseCycle() override
    {
        aliveAtClose.push_back(gAlive);
        CxApp::CloseCycle();
        aliveAtClose.push_back(gAlive);
    }
};
}  // namespace

TEST(ScriptCycles, ARestartFinalisesEveryScriptObjectAndStartsFromAnEmptyState)
{
    InTempDir dir;
    ErrorCapture capture;
    CycleApp app;
    EXPECT_EQ(app.GetScriptEngine(), nullptr);
    app.Run();
    EXPECT_EQ(app.cycles, 2);
    EXPECT_EQ(app.seen, (std::vector<std::string>{"nil", "nil"}));
    EXPECT_EQ(app.aliveAtClose, (std::vector<int>{3, 0, 3, 0}));
    EXPECT_EQ(app.GetScriptEngine(), nullptr);
    EXPECT_EQ(GetErrorCount(), 0);
}

// ------------------------------------------------------------- the runner
namespace {
std::string RunnerPath()
{
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) return {};
    auto runner = self.parent_path().parent_path() / "src" / "vorn-script";
    return std::filesystem::exists(runner) ? runner.string() : std::string();
}

struct RunResult {
    int status;
    std::string output;
};

RunResult RunScript(const std::string& runner, const std::string& script, const std::string& args = "")
{
    std::string command = "'" + runner + "' '" + script + "' " + args + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[256];
    while (size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    int status = pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        runner = RunnerPath();
        if (runner.empty()) GTEST_SKIP() << "vorn-script is not built beside the tests";
    }
    std::string Script(const std::string& name, const std::string& text)
    {
        WriteFileBytes(dir.File(name), text);
        return dir.File(name);
    }
    std::string runner;
    TempDir dir;
};
}  // namespace

TEST_F(Runner, RunsTheFileFromItsFolderWithItsArgumentsAndPrintsToStandardOutput)
{
    Script("helper.lua", "return 'helper'");
    RunResult result = RunScript(runner, Script("ok.lua", "print(dofile('helper.lua'), arg[1], arg[2], #arg)"
                                                          " print(type(CxOptions), type(QorFileExists))"),
                                 "one 'two words'");
    EXPECT_EQ(result.status, 0) << result.output;
    EXPECT_EQ(result.output, "helper    one    two words    2\ntable    function\n");
}

TEST_F(Runner, ExitsNonZeroOnAScriptErrorAFailedAssertOrAReportedError)
{
    EXPECT_EQ(RunScript(runner, Script("assert.lua", "assert(1 == 2, 'numbers differ')")).status, 1);
    RunResult error = RunScript(runner, Script("inner.lua", "dofile('bad.lua') print('went on')"));
    EXPECT_EQ(error.status, 1);
    EXPECT_NE(error.output.find("Could not open bad.lua"), std::string::npos) << error.output;
    EXPECT_NE(error.output.find("went on"), std::string::npos);
    EXPECT_EQ(RunScript(runner, Script("syntax.lua", "x = = 1")).status, 1);
    EXPECT_EQ(RunScript(runner, dir.File("absent.lua")).status, 1);
    EXPECT_EQ(RunScript(runner, Script("caught.lua", "assert(not pcall(error, 'x'))")).status, 0);
}

TEST_F(Runner, QuitOrRestartEndsTheRunAfterTheFile)
{
    RunResult result = RunScript(runner, Script("restart.lua", "Restart() print('after', IsQuiting())"));
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.output, "after    true\n");
}
