#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxDynamicFileSystem.h"
#include "files/CxFileSystemList.h"
#include "files/QorFile.h"
#include "ZipWriter.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
std::string ReadAll(const char* path)
{
    QorFileHandle* h = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!h) return "<missing>";
    std::string text(size_t(QorFileGetHandleLength(h)), '\0');
    uint32_t got = 0;
    QorFileRead(h, text.data(), uint32_t(text.size()), &got);
    QorFileClose(h);
    text.resize(got);
    return text;
}

bool WriteAll(const char* path, const std::string& text)
{
    QorFileHandle* h = QorFileOpen(path, CBF_CREATE | CBF_BINARY);
    if (!h) return false;
    int code = QorFileWrite(h, text.data(), uint32_t(text.size()));
    QorFileClose(h);
    return code == 0;
}

std::vector<std::string> List(const char* pattern, uint32_t mask = 0, int recurse = 0)
{
    CxLinkedList<CxFileInfo*> list;
    QorBuildFileList(&list, pattern, mask, recurse);
    std::vector<std::string> paths;
    for (auto* n = list.GetHead(); n; n = n->next) paths.push_back(n->value->Path.Text());
    QorFreeFileList(&list);
    return paths;
}

// A current folder holding two data folders, "<DEFAULT>" over it and the
// file systems a test adds; every one is gone when the test ends.
class Chain : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories("install/House");
        fs::create_directories("disc");
        fs::create_directories("save");
        fallback = std::make_unique<CxDirectoryFileSystem>();
    }
    void TearDown() override
    {
        mounts.RemoveAll();
        fallback.reset();
        ASSERT_EQ(CxFileSystem::GetChain(), nullptr);   // the last one takes the chain with it
    }
    InTempDir dir;
    ErrorCapture capture;
    std::unique_ptr<CxDirectoryFileSystem> fallback;
    CxFileSystemList mounts;
};
}  // namespace

TEST_F(Chain, NewestFirstAndTheDefaultStaysLast)
{
    WriteFileBytes("disc/a.txt", "disc");
    WriteFileBytes("install/a.txt", "install");
    CxFileSystem* disc = mounts.NewFileSystem("<CDPath>", "disc");
    CxFileSystem* install = mounts.NewFileSystem("<InstallPath>", "install");
    auto* chain = CxFileSystem::GetChain();
    ASSERT_EQ(chain->GetCount(), 3);
    EXPECT_EQ(chain->GetHead()->value, install);
    EXPECT_EQ(chain->GetHead()->next->value, disc);
    EXPECT_EQ(chain->GetTail()->value, fallback.get());
    EXPECT_EQ(ReadAll("a.txt"), "install");        // present in two: the later one wins
    EXPECT_EQ(ReadAll("<cdpath>a.txt"), "disc");   // prefix matched without regard to case
    EXPECT_EQ(ReadAll("<Nowhere>a.txt"), "install");   // an unknown prefix is dropped
    EXPECT_STREQ(disc->GetName(), "<CDPath>");
    EXPECT_EQ(std::string(static_cast<CxDirectoryFileSystem*>(install)->GetResolvedRoot().Text()),
              fs::current_path().string() + "/install");
}

TEST_F(Chain, NewFilesGoToTheNewestNonBusyFileSystem)
{
    mounts.NewFileSystem("<InstallPath>", "install");
    CxFileSystem* save = mounts.NewFileSystem("<AppData>", "save");
    save->RaiseBusy();
    ASSERT_TRUE(WriteAll("new.txt", "n"));
    EXPECT_TRUE(fs::exists("install/new.txt"));
    ASSERT_TRUE(WriteAll("<AppData>opt.ini", "x"));
    EXPECT_TRUE(fs::exists("save/opt.ini"));
    EXPECT_EQ(QorFileExists("opt.ini"), 0);   // a busy file system is reached only by its prefix
    EXPECT_EQ(QorFileExists("<AppData>opt.ini"), 1);
    save->LowerBusy();
    EXPECT_EQ(QorFileExists("opt.ini"), 1);
}

TEST_F(Chain, FoldersFilesAndLengths)
{
    WriteFileBytes("install/House/room.ini", "12345");
    mounts.NewFileSystem("<InstallPath>", "install");
    EXPECT_EQ(QorFileExists("House"), 0);
    EXPECT_EQ(QorFileIsDirectory("House"), 1);
    EXPECT_EQ(QorFileLength("House/room.ini"), 5);
    EXPECT_EQ(QorFileLength("House/none.ini"), 0);   // the open fails: 0, not -1
    EXPECT_EQ(QorFileIsWritable("House/room.ini"), 1);
    EXPECT_EQ(QorFileIsWritable("House/none.ini"), 0);
}

TEST_F(Chain, RootedPathsStayInsideTheirFileSystem)
{
    WriteFileBytes("install/House/room.ini", "inside");
    mounts.NewFileSystem("<InstallPath>", "install");
    EXPECT_EQ(ReadAll("<InstallPath>/House/room.ini"), "inside");
    EXPECT_EQ(ReadAll("/House/room.ini"), "inside");
    ASSERT_TRUE(WriteAll("<InstallPath>/made.txt", "m"));
    EXPECT_TRUE(fs::exists("install/made.txt"));
    // The default's root is the current folder too, while the part is there.
    EXPECT_EQ(ReadAll("<DEFAULT>/install/House/room.ini"), "inside");
    // A host path the current folder does not hold still reaches the host.
    std::string absolute = fs::current_path().string() + "/install/House/room.ini";
    EXPECT_EQ(ReadAll(absolute.c_str()), "inside");
}

TEST_F(Chain, ClimbingAboveARootIsRefused)
{
    WriteFileBytes("secret.txt", "no");
    mounts.NewFileSystem("<InstallPath>", "install");
    for (const char* path : {"<InstallPath>../secret.txt", "<InstallPath>House/../../secret.txt",
                             "<InstallPath>/..\\secret.txt", "../secret.txt"}) {
        ErrorCapture::Reports().clear();
        EXPECT_EQ(QorFileOpen(path, CBF_BINARY | CBF_READONLY), nullptr) << path;
        EXPECT_EQ(QorFileExists(path), 0) << path;
        ASSERT_FALSE(ErrorCapture::Reports().empty()) << path;
        EXPECT_EQ(ErrorCapture::Reports()[0].code, ERR_INVALID_PATH);
        EXPECT_NE(ErrorCapture::Reports()[0].message.find("climbs above"), std::string::npos);
    }
    EXPECT_FALSE(WriteAll("<InstallPath>../escaped.txt", "x"));
    EXPECT_FALSE(fs::exists("escaped.txt"));
    // Climbing that stays inside is an ordinary path.
    WriteFileBytes("install/House/in.txt", "ok");
    EXPECT_EQ(ReadAll("<InstallPath>House/../House/./in.txt"), "ok");
}

TEST_F(Chain, NamesAreFoundWithoutRegardToCaseAndExactSpellingWins)
{
    fs::create_directories("install/Data/Sub");
    WriteFileBytes("install/Data/Sub/Mixed.TXT", "mixed");
    WriteFileBytes("install/Data/twin.txt", "lower");
    WriteFileBytes("install/Data/TWIN.txt", "upper");
    mounts.NewFileSystem("<InstallPath>", "install");
    EXPECT_EQ(ReadAll("DATA/sub/mixed.txt"), "mixed");
    EXPECT_EQ(ReadAll("data/Sub/MIXED.txt"), "mixed");
    EXPECT_EQ(ReadAll("Data/twin.txt"), "lower");
    EXPECT_EQ(ReadAll("Data/TWIN.txt"), "upper");
    // A file created after the folder was scanned is still found.
    WriteFileBytes("install/Data/Sub/Later.txt", "later");
    EXPECT_EQ(ReadAll("data/sub/LATER.TXT"), "later");
    // New files land in the folder as it is spelled on the disc.
    ASSERT_TRUE(WriteAll("DATA/SUB/new.txt", "n"));
    EXPECT_TRUE(fs::exists("install/Data/Sub/new.txt"));
}

TEST_F(Chain, ListingsKeepTheCallersPrefixAndOpenAgain)
{
    WriteFileBytes("save/pet_1.sav", "one");
    WriteFileBytes("save/pet_2.sav", "two");
    WriteFileBytes("save/other.txt", "x");
    CxFileSystem* save = mounts.NewFileSystem("<AppData>", "save");
    save->RaiseBusy();
    std::vector<std::string> paths = List("<AppData>pet_*.sav");
    ASSERT_EQ(paths, (std::vector<std::string>{"<AppData>pet_1.sav", "<AppData>pet_2.sav"}));
    EXPECT_EQ(ReadAll(paths[1].c_str()), "two");
    save->LowerBusy();
}

TEST_F(Chain, EnumerationMasksAndRecursion)
{
    fs::create_directories("install/d/e");
    WriteFileBytes("install/a.txt", "a");
    WriteFileBytes("install/d/b.txt", "bb");
    WriteFileBytes("install/d/e/c.txt", "ccc");
    mounts.NewFileSystem("<InstallPath>", "install");
    std::vector<std::string> all = List("<InstallPath>d/*");
    std::set<std::string> names(all.begin(), all.end());
    EXPECT_TRUE(names.count("<InstallPath>d/.."));   // mask 0 lists files, folders and ".."
    EXPECT_TRUE(names.count("<InstallPath>d/e"));
    EXPECT_FALSE(names.count("<InstallPath>d/."));
    EXPECT_EQ(List("<InstallPath>d/*", FILEATTR_DIRECTORY),
              (std::vector<std::string>{"<InstallPath>d/..", "<InstallPath>d/e"}));
    std::vector<std::string> deep = List("<InstallPath>*.txt", 0, 1);
    std::set<std::string> found(deep.begin(), deep.end());
    EXPECT_EQ(found, (std::set<std::string>{"<InstallPath>a.txt", "<InstallPath>d/b.txt", "<InstallPath>d/e/c.txt"}));

    CxLinkedList<CxFileInfo*> list;
    QorBuildFileList(&list, "<InstallPath>d/b.txt", 0, 0);
    ASSERT_EQ(list.GetCount(), 1);
    CxFileInfo* info = list.GetHead()->value;
    EXPECT_EQ(info->Size, 2u);
    EXPECT_STREQ(info->Name, "b.txt");
    EXPECT_TRUE(info->Attributes & FILEATTR_ARCHIVE);
    EXPECT_GE(info->ModifiedTime.year, 2020);
    QorFreeFileList(&list);

    CxFindFile finder;
    finder.FindFiles("<InstallPath>d", "*.txt", 0, 0);
    ASSERT_NE(finder.First(), nullptr);
    EXPECT_STREQ(finder.First()->Path, "<InstallPath>d/b.txt");
    EXPECT_EQ(finder.Next(), nullptr);
}

TEST_F(Chain, LongNamesAreCutAndRemovalIsByOurNameOnly)
{
    const char* longName = "<AVeryLongFileSystemNameThatGoesOn>";
    CxFileSystem* made = mounts.NewFileSystem(longName, "install");
    EXPECT_EQ(std::string(made->GetName()), std::string(longName).substr(0, 29));
    WriteFileBytes("install/x.txt", "x");
    EXPECT_EQ(CxFileSystem::FindByName("<AVeryLongFileSystemNameThatGoesOn>"), made);   // compared cut
    mounts.RemoveFileSystem("<default>");   // not made by the list: left alone
    EXPECT_EQ(CxFileSystem::GetChain()->GetCount(), 2);
    mounts.RemoveFileSystem("<averylongfilesystemnamethatgoes");
    EXPECT_EQ(CxFileSystem::GetChain()->GetCount(), 1);
    EXPECT_EQ(mounts.GetCount(), 0);
}

TEST_F(Chain, DynamicFileSystemsFollowTheirTargetOnEveryCall)
{
    fs::create_directories("install/Activity");
    fs::create_directories("disc/Activity");
    WriteFileBytes("disc/Activity/only.txt", "disc");
    CxFileSystem* dyn = mounts.NewFileSystem("<Act>", "Activity", true);
    ASSERT_NE(dynamic_cast<CxDynamicFileSystem*>(dyn), nullptr);
    EXPECT_EQ(QorFileExists("<Act>only.txt"), 0);   // no file system holds "Activity/only.txt" yet
    mounts.NewFileSystem("<CDPath>", "disc");
    EXPECT_EQ(ReadAll("<Act>only.txt"), "disc");    // looked up again: now the disc has it
    ASSERT_TRUE(WriteAll("<Act>w.txt", "w"));
    EXPECT_TRUE(fs::exists("disc/Activity/w.txt"));
    EXPECT_EQ(List("<Act>*.txt"), (std::vector<std::string>{"<Act>only.txt", "<Act>w.txt"}));
    EXPECT_EQ(QorFileRename("<Act>w.txt", "<Act>v.txt"), 0);
    EXPECT_TRUE(fs::exists("disc/Activity/v.txt"));
    EXPECT_EQ(QorFileDelete("<Act>v.txt"), 0);
    EXPECT_FALSE(fs::exists("disc/Activity/v.txt"));
}

TEST_F(Chain, CopyMoveRenameAndDelete)
{
    mounts.NewFileSystem("<InstallPath>", "install");
    WriteFileBytes("install/src.bin", std::string(300000, 'q') + "end");
    WriteFileBytes("install/empty.bin", "");
    WriteFileBytes("install/keep.bin", "precious");

    EXPECT_EQ(QorFileCopy("src.bin", "dst.bin", 0, 0), 0);
    EXPECT_EQ(ReadFileBytes("install/dst.bin"), ReadFileBytes("install/src.bin"));
    EXPECT_EQ(QorFileCopy("src.bin", "dst.bin", 1, 0), 0);   // appended
    EXPECT_EQ(ReadFileBytes("install/dst.bin").size(), 2 * 300003u);
    EXPECT_EQ(QorFileCopy("empty.bin", "e2.bin", 0, 0), 0);
    EXPECT_TRUE(fs::exists("install/e2.bin"));
    EXPECT_EQ(fs::file_size("install/e2.bin"), 0u);

    // A missing source must not cost the target its contents.
    EXPECT_EQ(QorFileCopy("missing.bin", "keep.bin", 0, 0), ERR_OPEN_FILE);
    EXPECT_EQ(ReadFileBytes("install/keep.bin"), "precious");
    // Nor may a copy or move onto itself.
    EXPECT_EQ(QorFileCopy("keep.bin", "KEEP.bin", 0, 0), 0);
    EXPECT_EQ(QorFileMove("keep.bin", "keep.bin"), 0);
    EXPECT_EQ(ReadFileBytes("install/keep.bin"), "precious");

    EXPECT_EQ(QorFileMove("dst.bin", "moved.bin"), 0);
    EXPECT_FALSE(fs::exists("install/dst.bin"));
    EXPECT_EQ(fs::file_size("install/moved.bin"), 2 * 300003u);

    // Rename replaces an existing target in one step.
    WriteFileBytes("install/x.tmp", "new");
    WriteFileBytes("install/x", "old");
    EXPECT_EQ(QorFileRename("x.tmp", "x"), 0);
    EXPECT_EQ(ReadFileBytes("install/x"), "new");
    EXPECT_FALSE(fs::exists("install/x.tmp"));

    EXPECT_EQ(QorFileDelete("moved.bin"), 0);
    EXPECT_EQ(QorFileDelete("moved.bin"), ERR_DELETE_FILE);
}

TEST_F(Chain, DirectoriesAreMadeAndRemovedInsideTheirRoot)
{
    mounts.NewFileSystem("<InstallPath>", "install");
    EXPECT_EQ(QorFileCreateDirectory("<InstallPath>/a/b/c"), 0);
    EXPECT_TRUE(fs::is_directory("install/a/b/c"));
    WriteFileBytes("install/a/b/c/f.txt", "f");
    WriteFileBytes("install/a/g.txt", "g");
    // A link inside the tree goes, the folder it points to stays.
    fs::create_directories("outside");
    WriteFileBytes("outside/kept.txt", "k");
    fs::create_directory_symlink(fs::absolute("outside"), "install/a/link");
    EXPECT_EQ(QorFileRemoveDirectory("<InstallPath>a"), ERR_INVALID_PATH);   // not empty
    EXPECT_EQ(QorFileRemoveDirectoryTree("<InstallPath>a"), 0);
    EXPECT_FALSE(fs::exists("install/a"));
    EXPECT_TRUE(fs::exists("outside/kept.txt"));
}

TEST_F(Chain, AttributesAndFullPaths)
{
    mounts.NewFileSystem("<InstallPath>", "install");
    WriteFileBytes("install/r.txt", "r");
    uint32_t word = QorFileGetAttributes("r.txt");
    EXPECT_EQ(word & 0x1, 0u);
    EXPECT_EQ(QorFileSetAttributes("r.txt", word | 0x1), 0);
    EXPECT_EQ(QorFileGetAttributes("r.txt") & 0x1, 0x1u);
    QorFileSetAttributes("r.txt", word);
    EXPECT_EQ(QorFileGetAttributes("<InstallPath>nothing.txt"), 0xFFFFFFFFu);
    EXPECT_EQ(QorFileGetAttributes("<InstallPath>House") & 0x10, 0x10u);

    char full[256];
    QorFileGetFullPath(full, "<InstallPath>House/../r.txt", sizeof full);
    EXPECT_EQ(std::string(full), fs::current_path().string() + "/install/r.txt");
}

TEST(ChainStandIn, WithoutAnyFileSystemPathsReachTheCurrentFolder)
{
    InTempDir dir;
    ASSERT_EQ(CxFileSystem::GetChain(), nullptr);
    ASSERT_TRUE(WriteAll("loose.txt", "loose"));
    EXPECT_EQ(ReadFileBytes("loose.txt"), "loose");
    EXPECT_EQ(QorFileExists("<AppData>loose.txt"), 1);   // no such file system: the prefix goes
    EXPECT_EQ(CxFileSystem::GetChain(), nullptr);
}

TEST(TempPath, EnvironmentThenCurrentFolder)
{
    std::string saveTemp = getenv("TEMP") ? getenv("TEMP") : "", saveTmp = getenv("TMP") ? getenv("TMP") : "";
    TempDir dir;
    char out[256];
    setenv("TEMP", (dir.Path() + "/").c_str(), 1);
    EXPECT_EQ(std::string(QorFileGetTempPath(out, sizeof out)), dir.Path() + "/");
    setenv("TEMP", (dir.Path() + "/not-there").c_str(), 1);
    EXPECT_STREQ(QorFileGetTempPath(out, sizeof out), "./");
    unsetenv("TEMP");
    unsetenv("TMP");
    EXPECT_STREQ(QorFileGetTempPath(out, sizeof out), "./");
    if (!saveTemp.empty()) setenv("TEMP", saveTemp.c_str(), 1);
    if (!saveTmp.empty()) setenv("TMP", saveTmp.c_str(), 1);
}

// A file system removed while files of it are open (a script's
// RemoveFileSystem, the end of a cycle) closes them; the holders' handles
// fail quietly from then on and still close, for every kind of reader,
// including a dynamic file system whose target goes first.
TEST(ChainRemoval, OpenFilesOutliveTheirFileSystemAndFailQuietly)
{
    InTempDir dir;
    ErrorCapture capture;
    fs::create_directories("disc/Activity");
    WriteFileBytes("disc/Activity/a.txt", "folder bytes");
    WriteFileBytes("pack.zip", BuildZip({{"z.txt", std::string(5000, 'z'), 8}}).bytes);
    auto fallback = std::make_unique<CxDirectoryFileSystem>();
    int openBefore = QorOpenHandleCount();
    {
        CxFileSystemList mounts;
        mounts.NewFileSystem("<CDPath>", "disc");
        mounts.NewFileSystem("<Zip>", "pack.zip");
        mounts.NewFileSystem("<Act>", "<CDPath>Activity", true);
        QorFileHandle* folder = QorFileOpen("<CDPath>Activity/a.txt", CBF_BINARY | CBF_READONLY);
        QorFileHandle* zip = QorFileOpen("<Zip>z.txt", CBF_BINARY | CBF_READONLY);
        QorFileHandle* dynamic = QorFileOpen("<Act>a.txt", CBF_BINARY | CBF_READONLY);
        ASSERT_TRUE(folder && zip && dynamic);
        char buffer[16];
        uint32_t got = 0;
        ASSERT_EQ(QorFileRead(zip, buffer, 4, &got), 0);

        mounts.RemoveFileSystem("<CDPath>");   // the dynamic one's target goes first
        EXPECT_NE(QorFileRead(dynamic, buffer, 4, &got), 0);
        EXPECT_EQ(got, 0u);
        mounts.RemoveFileSystem("<Zip>");
        mounts.RemoveFileSystem("<Act>");
        for (QorFileHandle* handle : {folder, zip, dynamic}) {
            EXPECT_NE(QorFileRead(handle, buffer, 4, &got), 0);
            EXPECT_EQ(got, 0u);
            EXPECT_NE(QorFileSeek(handle, 0, 0), 0);
            EXPECT_EQ(QorFileGetHandleLength(handle), 0);
            EXPECT_EQ(QorFileClose(handle), 0);
        }
    }
    EXPECT_EQ(QorOpenHandleCount(), openBefore);
    EXPECT_TRUE(capture.Reports().empty()) << capture.Reports()[0].message;
}
