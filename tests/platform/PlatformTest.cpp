#include "TestSupport.h"
#include "platform/os/PlatformFile.h"
#include "platform/os/PlatformMutex.h"
#include "platform/os/PlatformSystem.h"
#include "platform/os/PlatformText.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <string>

TEST(PlatformMutex, ANamedMutexExcludesOtherHolders)
{
    PlatMutex* a = PlatMutexCreate("VornTestMutex");
    PlatMutex* b = PlatMutexCreate("VornTestMutex");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(PlatMutexTryLock(a));
    EXPECT_FALSE(PlatMutexTryLock(b));
    PlatMutexUnlock(a);
    EXPECT_TRUE(PlatMutexTryLock(b));
    PlatMutexDestroy(b);          // destroying releases
    EXPECT_TRUE(PlatMutexTryLock(a));
    PlatMutexDestroy(a);
    PlatMutexDestroy(nullptr);
}

TEST(PlatformMutex, LocksArePerUserAndPerNamespace)
{
    TempDir dir;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string savedRuntime = runtime ? runtime : "";
    unsetenv("XDG_RUNTIME_DIR");
    setenv("TMPDIR", dir.Path().c_str(), 1);
    setenv("VORN_LOCK_NAMESPACE", "one", 1);
    PlatMutex* first = PlatMutexCreate("Game");
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(PlatMutexTryLock(first));
    EXPECT_TRUE(std::filesystem::exists(dir.File("vorn-" + std::to_string(getuid()) + "-mutex-one-Game")));

    setenv("VORN_LOCK_NAMESPACE", "two", 1);
    PlatMutex* other = PlatMutexCreate("Game");
    EXPECT_TRUE(PlatMutexTryLock(other));   // another namespace: another lock
    setenv("VORN_LOCK_NAMESPACE", "one", 1);
    PlatMutex* same = PlatMutexCreate("Game");
    EXPECT_FALSE(PlatMutexTryLock(same));

    setenv("XDG_RUNTIME_DIR", dir.Path().c_str(), 1);
    PlatMutex* runtimeLock = PlatMutexCreate("Game");
    EXPECT_TRUE(PlatMutexTryLock(runtimeLock));
    EXPECT_TRUE(std::filesystem::exists(dir.File("vorn-mutex-one-Game")));

    for (PlatMutex* m : {first, other, same, runtimeLock}) PlatMutexDestroy(m);
    unsetenv("TMPDIR");
    unsetenv("VORN_LOCK_NAMESPACE");
    if (savedRuntime.empty()) unsetenv("XDG_RUNTIME_DIR");
    else setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1);
}

TEST(PlatformFile, ReplaceIsAllOrNothing)
{
    TempDir dir;
    std::string path = dir.File("opts.ini");
    ASSERT_TRUE(PlatFileReplace(path.c_str(), "one", 3));
    EXPECT_EQ(ReadFileBytes(path), "one");
    ASSERT_TRUE(PlatFileReplace(path.c_str(), "second", 6));
    EXPECT_EQ(ReadFileBytes(path), "second");

    std::string blocked = dir.File("sub");
    std::filesystem::create_directory(blocked);   // renaming a file over a folder fails
    EXPECT_FALSE(PlatFileReplace(blocked.c_str(), "x", 1));
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 2);   // no temporary left
}

TEST(PlatformFile, HandlesReadWriteSeekAndTruncate)
{
    TempDir dir;
    std::string path = dir.File("f.bin");
    PlatFile* file = PlatFileOpen(path.c_str(), PLAT_OPEN_CREATE);
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(PlatFileWrite(file, "abcdef", 6), 6);
    EXPECT_TRUE(PlatFileSeek(file, 2, 0));
    char buffer[8] = {};
    EXPECT_EQ(PlatFileRead(file, buffer, 8), 4);
    EXPECT_STREQ(buffer, "cdef");
    EXPECT_TRUE(PlatFileSetHandleLength(file, 3));
    EXPECT_EQ(PlatFileHandleLength(file), 3);
    PlatFileClose(file);
    EXPECT_EQ(PlatPathLength(path.c_str()), 3);
    EXPECT_EQ(PlatFileOpen(dir.Path().c_str(), PLAT_OPEN_READ), nullptr);   // folders are no files
    EXPECT_EQ(PlatFileOpen(dir.File("missing").c_str(), PLAT_OPEN_READ), nullptr);
}

TEST(PlatformText, Cp1252RoundTrip)
{
    char cp[16], utf8[32];
    PlatUtf8ToCp1252(cp, "\xe2\x82\xac" "5 caf\xc3\xa9 \xe4\xb8\xad", sizeof cp);
    EXPECT_STREQ(cp, "\x80" "5 caf\xe9 ?");
    PlatCp1252ToUtf8(utf8, "\x80" "5 caf\xe9", sizeof utf8);
    EXPECT_STREQ(utf8, "\xe2\x82\xac" "5 caf\xc3\xa9");
    PlatCp1252ToUtf8(utf8, "\x81", sizeof utf8);   // a hole in the page
    EXPECT_STREQ(utf8, "\xef\xbf\xbd");
}

TEST(PlatformSystem, TicksAdvanceAndWrapAsUnsigned)
{
    uint32_t before = PlatTickCount();
    PlatSleep(20);
    uint32_t elapsed = PlatTickCount() - before;   // correct across the 32-bit wrap too
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 5000u);
}
