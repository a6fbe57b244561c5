#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "files/CxBuffer.h"
#include "files/CxCachedObject.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxFile.h"
#include "files/QorMD5.h"
#include "foundation/CxMemory.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {
class FileUtil : public ::testing::Test {
protected:
    void SetUp() override { fallback = std::make_unique<CxDirectoryFileSystem>(); }
    void TearDown() override { fallback.reset(); }
    InTempDir dir;
    ErrorCapture capture;
    std::unique_ptr<CxDirectoryFileSystem> fallback;
};

std::string Hex(const uint8_t digest[16])
{
    char text[33];
    for (int i = 0; i < 16; ++i) snprintf(text + 2 * i, 3, "%02x", digest[i]);
    return text;
}
}  // namespace

// The test suite of RFC 1321, appendix A.5.
TEST(MD5, ReferenceVectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto& [text, expected] : vectors) {
        uint8_t digest[16];
        QorMD5Digest(text, strlen(text), digest);
        EXPECT_EQ(Hex(digest), expected) << text;
        // Fed a byte at a time, the blocks split differently but the digest holds.
        QorMD5 md5;
        QorMD5Init(&md5);
        for (const char* p = text; *p; ++p) QorMD5Update(&md5, p, 1);
        QorMD5Final(&md5, digest);
        EXPECT_EQ(Hex(digest), expected) << text;
    }
}

TEST_F(FileUtil, FileDigestsThroughTheFileSystems)
{
    WriteFileBytes("empty.bin", "");
    WriteFileBytes("abc.txt", "abc");
    EXPECT_STREQ(QorFileCalcMD5("empty.bin"), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_STREQ(QorFileCalcMD5("abc.txt"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_STREQ(QorFileCalcMD5("missing.txt"), "");
}

TEST_F(FileUtil, LoadFileWholeEmptyAndMissing)
{
    WriteFileBytes("data.bin", std::string(100000, 'x') + "tail");
    WriteFileBytes("empty.bin", "");
    CxFileBuffer buffer;
    EXPECT_EQ(LoadFile("data.bin", &buffer), 0);
    ASSERT_EQ(buffer.GetSize(), 100004u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer.GetBytes()) + 100000, 4), "tail");
    EXPECT_STREQ(buffer.GetFileName(), "data.bin");
    EXPECT_EQ(LoadFile("empty.bin", &buffer), 0);
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.GetBytes(), nullptr);
    EXPECT_EQ(buffer.GetErrorCode(), 0);
    EXPECT_EQ(LoadFile("missing.bin", &buffer), ERR_OPEN_FILE);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "LoadFile() failed");
    EXPECT_EQ(LoadFile("data.bin", &buffer), 0);   // a failed load does not stick to the buffer
}

TEST_F(FileUtil, BufferAllocationFailureAndBorrowedMemory)
{
    CxBuffer buffer;
    QorSetAllocationLimit(QorBytesInUse() + 4096);
    EXPECT_EQ(buffer.Allocate(1 << 20), ERR_OUT_OF_MEMORY);
    QorSetAllocationLimit(0);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Could not allocate 1048576 bytes for a CxBuffer object");
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.Allocate(16), ERR_OUT_OF_MEMORY);   // a pending error blocks further allocation

    CxBuffer borrowed;
    char mine[8] = "mine";
    borrowed.Borrow(mine, sizeof mine);
    EXPECT_TRUE(borrowed.IsBorrowed());
    EXPECT_EQ(borrowed.GetSize(), 8u);
    borrowed.Free();   // must not hand our stack array to the allocator
    EXPECT_EQ(borrowed.GetBytes(), nullptr);
    EXPECT_EQ(borrowed.Allocate(32), 0);
    EXPECT_FALSE(borrowed.IsBorrowed());   // memory of its own is freed again
}

TEST_F(FileUtil, FileReadWriteAndReadOnlyWrites)
{
    CxFile file;
    ASSERT_EQ(file.Create("w.bin"), 0);
    EXPECT_EQ(file.Write("hello", 5), 0);
    EXPECT_EQ(file.Tell(), 5);
    file.Close();
    ASSERT_EQ(file.Open("w.bin"), 0);
    EXPECT_EQ(file.Write("XX", 2), 0);   // read-only: nothing written, no error
    EXPECT_EQ(file.GetErrorCode(), 0);
    char text[16] = {};
    uint32_t got = 0;
    EXPECT_EQ(file.Read(text, sizeof text, &got), 0);
    EXPECT_EQ(got, 5u);   // fewer bytes is no failure
    EXPECT_STREQ(text, "hello");
    EXPECT_EQ(file.GetLength(), 5);
    file.Close();
    EXPECT_EQ(ReadFileBytes("w.bin"), "hello");

    ASSERT_EQ(file.Open("w.bin", CBF_CREATE | CBF_BINARY), 0);   // existing: opened, so emptied as created
    file.Close();
    ASSERT_EQ(file.Open("fresh.bin", CBF_CREATE | CBF_BINARY), 0);   // missing: created
    EXPECT_TRUE(fs::exists("fresh.bin"));
}

// Nobody can answer the disc prompt here (no window): it is asked a few times
// and the open fails, instead of spinning for ever.
TEST_F(FileUtil, MissingFileRetriesAreBoundedWithoutAWindow)
{
    CxFile file;
    EXPECT_EQ(file.Open("nowhere.bin"), ERR_OPEN_FILE);
    int prompts = 0;
    for (const ReportedError& r : ErrorCapture::Reports())
        if (r.code == ERR_CD_MISSING) {
            ++prompts;
            EXPECT_EQ(r.message, "Could not open nowhere.bin");
        }
    EXPECT_EQ(prompts, QOR_HEADLESS_OPEN_RETRIES);
    EXPECT_EQ(ErrorCapture::Reports().back().code, ERR_OPEN_FILE);
    EXPECT_EQ(GetErrorCount(), 1);   // the prompts are not counted

    // A callback that gives up ends the attempt at once.
    ErrorCapture::Reports().clear();
    ErrorCapture::Answer() = 1;
    EXPECT_EQ(file.Open("nowhere.bin"), ERR_OPEN_FILE);
    ErrorCapture::Answer() = 0;
    EXPECT_EQ(ErrorCapture::Reports().size(), 2u);
}

namespace {
int gPromptsUntilInserted = 0;
int InsertDiscOnSecondPrompt(int code, const char*)
{
    if (code == ERR_CD_MISSING && ++gPromptsUntilInserted == 2) WriteFileBytes("late.bin", "inserted");
    return 0;
}
}  // namespace

TEST_F(FileUtil, MissingFileOpensOnceItAppears)
{
    SetErrorCallback(InsertDiscOnSecondPrompt);
    CxFile file;
    EXPECT_EQ(file.Open("late.bin"), 0);
    EXPECT_EQ(gPromptsUntilInserted, 2);
    EXPECT_EQ(file.GetErrorCode(), 0);
}

namespace {
struct Blob : CxCachedObject {
    explicit Blob(uint32_t n, char fill) : CxCachedObject(&data, &size), size(n)
    {
        data = QorAlloc(n, "test", __LINE__, false);
        memset(data, fill, n);
    }
    ~Blob() override { QorFree(data); }
    void* data = nullptr;
    uint32_t size;
};
}  // namespace

TEST_F(FileUtil, CachedObjectsSwapOutOldestUnlockedFirstAndComeBack)
{
    setenv("TEMP", dir.Path().c_str(), 1);
    auto old = std::make_unique<Blob>(300000, 'o');
    auto locked = std::make_unique<Blob>(300000, 'l');
    auto recent = std::make_unique<Blob>(300000, 'r');
    old->Lock(); old->Unlock();
    locked->Lock();
    for (int i = 0; i < 8; ++i) { recent->Lock(); recent->Unlock(); }
    // Room for a request only once one object is gone.
    QorSetAllocationLimit(QorBytesInUse() + 200000);
    void* block = QorAlloc(250000, "test", __LINE__, false);
    QorSetAllocationLimit(0);
    ASSERT_NE(block, nullptr);
    QorFree(block);
    EXPECT_FALSE(old->IsResident());
    EXPECT_EQ(old->data, nullptr);
    EXPECT_TRUE(locked->IsResident());
    EXPECT_TRUE(recent->IsResident());
    std::string swap = old->GetSwapFile().Text();
    EXPECT_TRUE(fs::exists(swap));
    EXPECT_EQ(swap.rfind(dir.Path() + "/", 0), 0u);

    old->Lock();
    ASSERT_TRUE(old->IsResident());
    EXPECT_EQ(std::string(static_cast<char*>(old->data), 300000), std::string(300000, 'o'));
    EXPECT_FALSE(fs::exists(swap));
    old->Unlock();
    locked->Unlock();
    unsetenv("TEMP");
}

TEST_F(FileUtil, SwapFilesGoToTheCurrentFolderWithoutTemporaryVariables)
{
    std::string saveTemp = getenv("TEMP") ? getenv("TEMP") : "", saveTmp = getenv("TMP") ? getenv("TMP") : "";
    unsetenv("TEMP");
    unsetenv("TMP");
    auto blob = std::make_unique<Blob>(1000, 'b');
    ASSERT_EQ(blob->SwapOut(), 0);
    std::string swap = blob->GetSwapFile().Text();
    EXPECT_EQ(swap.rfind("./", 0), 0u) << swap;
    EXPECT_EQ(ReadFileBytes(swap), std::string(1000, 'b'));
    blob.reset();   // a remaining swap file goes with its object
    EXPECT_FALSE(fs::exists(swap));
    if (!saveTemp.empty()) setenv("TEMP", saveTemp.c_str(), 1);
    if (!saveTmp.empty()) setenv("TMP", saveTmp.c_str(), 1);
}
