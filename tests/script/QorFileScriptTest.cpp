#include "ScriptTestSupport.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxFileSystemList.h"
#include "script/CxScriptApi.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {
class FileScriptTest : public ScriptTest {
protected:
    void SetUp() override
    {
        ScriptTest::SetUp();
        ASSERT_EQ(RegisterFileScriptFunctions(engine, &fileSystems), 0);
    }
    void TearDown() override
    {
        ScriptTest::TearDown();
        fileSystems.RemoveAll();
    }
    InTempDir dir;
    CxDirectoryFileSystem defaultFileSystem;   // "<DEFAULT>", as the application makes it
    CxFileSystemList fileSystems;
};
}  // namespace

TEST_F(FileScriptTest, CopyMoveRenameAndDeleteWorkOnFilesAndAnswerCodes)
{
    WriteFileBytes("a.txt", "alpha");
    EXPECT_EQ(Run("print(QorFileCopy('a.txt', 'b.txt'), QorFileCopy('a.txt', 'b.txt', 1))"), "0    0\n");
    EXPECT_EQ(ReadFileBytes("b.txt"), "alphaalpha");
    EXPECT_EQ(Run("print(QorFileMove('b.txt', 'c.txt'), QorFileExists('b.txt'), QorFileLength('c.txt'))"),
              "0    false    10\n");
    EXPECT_EQ(Run("print(QorFileRename('c.txt', 'd.txt'), QorFileDelete('d.txt'), QorFileExists('d.txt'))"),
              "0    nil    false\n");
    EXPECT_EQ(Run("print(QorFileCopy('missing.txt', 'e.txt') ~= 0, QorFileLength('missing.txt'))"), "true    0\n");
    EXPECT_EQ(Run("print(pcall(QorFileCopy, 'a.txt', 5))"), "false    bad argument #2 to '?' (bad argument)\n");
}

TEST_F(FileScriptTest, FoldersAreMadeListedAndRemovedAsTrees)
{
    EXPECT_EQ(Run("print(QorFileCreateDirectory('x/y/z'), QorFileIsDirectory('x/y/z'), QorFileExists('x/y'))"),
              "0    true    false\n");
    WriteFileBytes("x/one.lua", "");
    WriteFileBytes("x/y/two.lua", "");
    WriteFileBytes("x/y/skip.txt", "");
    Run("files = QorBuildFileList('x/*.lua', 0, true) all = QorBuildFileList('x/*', 0, false)");
    std::vector<std::string> files, all;
    for (int i = 1; i <= engine.EvalInt("#files", 0); ++i)
        files.push_back(engine.EvalString(CxString::FormatNew("files[%d]", i), "").Text());
    for (int i = 1; i <= engine.EvalInt("#all", 0); ++i)
        all.push_back(engine.EvalString(CxString::FormatNew("all[%d]", i), "").Text());
    std::sort(files.begin(), files.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(files, (std::vector<std::string>{"x/one.lua", "x/y/two.lua"}));
    EXPECT_EQ(std::count(all.begin(), all.end(), "x/."), 0);
    EXPECT_EQ(std::count(all.begin(), all.end(), "x/y"), 1);
    EXPECT_EQ(Run("print(#QorBuildFileList('x/*', 2147483648, false) >= 1, #QorBuildFileList('nowhere/*', 0))"),
              "true    0\n");

    EXPECT_NE(Run("print(QorFileRemoveDirectory('x'))"), "0\n");   // not empty
    EXPECT_EQ(Run("print(QorFileRemoveDirectoryTree('x'), QorFileIsDirectory('x'))"), "0    false\n");
}

TEST_F(FileScriptTest, AttributesWritabilityAndFullPaths)
{
    WriteFileBytes("f.txt", "x");
    EXPECT_EQ(Run("print(QorFileIsWritable('f.txt'), QorFileIsWritable('none.txt'))"), "true    false\n");
    EXPECT_EQ(Run("print(type(QorFileGetAttributes('f.txt')), QorFileSetAttributes('f.txt', 0))"), "number\n");
    std::string full = Run("print(QorFileGetFullPath('f.txt'))");
    EXPECT_EQ(full, std::filesystem::current_path().string() + "/f.txt\n");
}

TEST_F(FileScriptTest, ScriptsAddAndRemoveNamedFileSystems)
{
    std::filesystem::create_directory("data");
    WriteFileBytes("data/inside.txt", "in");
    EXPECT_EQ(Run("print(QorFileExists('<Data>inside.txt'))"), "false\n");
    Run("NewFileSystem('<Data>', 'data')");
    EXPECT_EQ(fileSystems.GetCount(), 1);
    EXPECT_EQ(Run("print(QorFileExists('<Data>inside.txt'), QorFileExists('<data>inside.txt'))"), "true    true\n");
    Run("RemoveFileSystem('<DATA>') RemoveFileSystem('<Unknown>')");
    EXPECT_EQ(fileSystems.GetCount(), 0);
    EXPECT_EQ(Run("print(QorFileExists('<Data>inside.txt'))"), "false\n");
}

TEST(FileScriptFunctions, WithoutAListTheFileSystemFunctionsAreNotInstalled)
{
    ErrorCapture capture;
    CxLuaEngine engine;
    ASSERT_EQ(engine.Init(), 0);
    ASSERT_EQ(RegisterFileScriptFunctions(engine, nullptr), 0);
    EXPECT_TRUE(engine.EvalBool("NewFileSystem == nil and RemoveFileSystem == nil and QorFileCopy ~= nil", false));
}
