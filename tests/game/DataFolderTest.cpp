// Where the game looks for its data when it starts.
#include "TestSupport.h"
#include "game/CVornDataFolder.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>

TEST(DataFolder, TheCurrentFolderThenBesideTheProgramThenTheBuiltInOne)
{
    TempDir dir;
    namespace fs = std::filesystem;
    for (const char* folder : {"here", "bin/data", "share/vorn", "built", "empty"})
        fs::create_directories(dir.File(folder));
    std::string here = dir.File("here"), bin = dir.File("bin"), built = dir.File("built"), empty = dir.File("empty");
    WriteFileBytes(dir.File("built/Vorn.ini"), "");

    EXPECT_EQ(FindGameDataFolder(here, bin, built), built);   // nothing nearer holds data yet
    WriteFileBytes(dir.File("share/vorn/startup.lua"), "");
    EXPECT_EQ(FindGameDataFolder(here, bin, built), bin + "/../share/vorn");   // an installed game
    WriteFileBytes(dir.File("bin/data/startup.lua"), "");
    EXPECT_EQ(FindGameDataFolder(here, bin, built), bin + "/data");
    WriteFileBytes(dir.File("here/Vorn.ini"), "");
    EXPECT_EQ(FindGameDataFolder(here, bin, built), here);

    TempDir bare;
    fs::create_directories(bare.File("bin"));
    EXPECT_EQ(FindGameDataFolder(bare.Path(), bare.File("bin"), ""), "");
    EXPECT_EQ(FindGameDataFolder(empty, "", empty), "");
    EXPECT_FALSE(HoldsGameData(""));
}
