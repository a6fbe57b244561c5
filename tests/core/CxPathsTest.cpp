#include "TestSupport.h"
#include "core/CxPaths.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <string>

namespace {
// Points the registry stand-in and the XDG folders at a temporary folder.
class MachineFolders : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("XDG_CONFIG_HOME", dir.Path().c_str(), 1);
        setenv("XDG_DATA_HOME", (dir.Path() + "/data").c_str(), 1);
        std::filesystem::create_directories(dir.Path() + "/Marloft");
        ForgetMachineInfo();
    }
    void TearDown() override
    {
        unsetenv("XDG_CONFIG_HOME");
        unsetenv("XDG_DATA_HOME");
        ForgetMachineInfo();
    }
    void Registry(const std::string& text) { WriteFileBytes(dir.Path() + "/Marloft/registry.ini", text); }
    TempDir dir;
};

std::string Read(int root, const char* key, const char* value)
{
    char out[64];
    EXPECT_EQ(ReadRegistryText(root, key, value, out, sizeof out), 0);
    return out;
}
}  // namespace

TEST_F(MachineFolders, RegistryValuesByRootKeyAndName)
{
    Registry("[HKEY_LOCAL_MACHINE\\Software\\Corvalen\\Vorn]\n"
             "InstallPath = C:\\Games\\Vorn\n"
             "[HKCU\\Software\\Corvalen\\Vorn\\]\n"
             "\"Quoted Name\"=yes\n");
    EXPECT_EQ(Read(5, "SOFTWARE\\corvalen\\VORN", "installpath"), "C:\\Games\\Vorn");
    EXPECT_EQ(Read(1, "Software\\Corvalen\\Vorn", "InstallPath"), "C:\\Games\\Vorn");   // other numbers: local machine
    EXPECT_EQ(Read(0, "Software\\Corvalen\\Vorn", "Quoted Name"), "yes");
    EXPECT_EQ(Read(0, "Software\\Corvalen\\Vorn", "InstallPath"), "");
    EXPECT_EQ(Read(5, "Software\\Missing", "InstallPath"), "");

    char small[4];
    ReadRegistryText(5, "Software\\Corvalen\\Vorn", "InstallPath", small, sizeof small);
    EXPECT_STREQ(small, "C:\\");
}

TEST_F(MachineFolders, ShellFoldersFromTheRegistryOrXdg)
{
    char out[512];
    GetShellFolder("AppData", out, sizeof out, false);
    EXPECT_EQ(std::string(out), dir.Path() + "/data");

    Registry("[HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
             "Common AppData=D:\\Shared\\Data\n"
             "[HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
             "AppData=E:\\Mine\n");
    GetShellFolder("AppData", out, sizeof out, true);
    EXPECT_STREQ(out, "D:/Shared/Data");
    GetShellFolder("AppData", out, sizeof out, false);
    EXPECT_STREQ(out, "E:/Mine");
    GetShellFolder("Fonts", out, sizeof out, false);
    EXPECT_STREQ(out, "/usr/share/fonts/truetype");
}

TEST_F(MachineFolders, DirectXVersionTextAndTheVersionCheck)
{
    char version[32];
    QueryMachineInfo(MACHINE_DIRECTX_VERSION, version);
    EXPECT_STREQ(version, "");
    EXPECT_TRUE(IsDirectXTooOld(version, "4.09.00.0904"));

    Registry("[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\DirectX]\nVersion=4.09.00.0904\n");
    QueryMachineInfo(MACHINE_DIRECTX_VERSION, version);
    EXPECT_STREQ(version, "");   // the survey is taken once
    ForgetMachineInfo();
    QueryMachineInfo(MACHINE_DIRECTX_VERSION, version);
    EXPECT_STREQ(version, "4.09.00.0904");
    EXPECT_FALSE(IsDirectXTooOld(version, "4.09.00.0904"));
    EXPECT_TRUE(IsDirectXTooOld("4.08.01.0881", version));
    EXPECT_EQ(QueryMachineInfo(MACHINE_OS_VERSION, nullptr), 10);
    int mmx = QueryMachineInfo(MACHINE_HAS_MMX, nullptr);
    EXPECT_TRUE(mmx == 0 || mmx == 1);
#if defined(__x86_64__)
    EXPECT_EQ(mmx, 1);   // every x86-64 processor has it
#endif
}

TEST_F(MachineFolders, StandardFoldersUseForwardSlashes)
{
    char module[512], start[512], windows[512];
    GetModuleDirectory(module, sizeof module);
    EXPECT_EQ(module[std::strlen(module) - 1], '/');
    EXPECT_TRUE(std::filesystem::exists(std::string(module) + "test_core"));

    EXPECT_EQ(GetStartDirectory(start, sizeof start), 0);
    EXPECT_EQ(std::string(start), std::filesystem::current_path().string());

    setenv("VORN_WINDOWS_DIR", "/opt/win", 1);
    GetWindowsFolder(windows, sizeof windows);
    unsetenv("VORN_WINDOWS_DIR");
    EXPECT_STREQ(windows, "/opt/win");
    GetWindowsFolder(windows, sizeof windows);
    EXPECT_EQ(std::string(windows) + "/", std::string(module));
}
