#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "ZipWriter.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxFileSystemList.h"
#include "files/CxZipFileSystem.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>

namespace fs = std::filesystem;

namespace {
std::string Pseudorandom(size_t size, unsigned seed)
{
    std::mt19937 random(seed);
    std::string out(size, '\0');
    for (char& c : out) c = char(random() & 0xFF);
    return out;
}

std::string Text(size_t size, unsigned seed)
{
    static const char* words[] = {"cat ", "kennel ", "yard ", "toy ", "brush ", "treat ", "\n", "House/", "Room "};
    std::mt19937 random(seed);
    std::string out;
    while (out.size() < size) out += words[random() % 9];
    out.resize(size);
    return out;
}

// Reads a member in pieces of `piece` bytes; "<error N>" when a read fails.
std::string ReadMember(const char* path, uint32_t piece = 1 << 20, int* closeCode = nullptr)
{
    QorFileHandle* h = QorFileOpen(path, CBF_BINARY | CBF_READONLY);
    if (!h) return "<missing>";
    std::string out;
    std::string chunk(piece, '\0');
    int code = 0;
    for (;;) {
        uint32_t got = 0;
        code = QorFileRead(h, chunk.data(), piece, &got);
        out.append(chunk.data(), got);
        if (code || got == 0) break;
        if (QorFileTell(h) != int32_t(out.size())) return "<tell drifted>";
    }
    int closed = QorFileClose(h);
    if (closeCode) *closeCode = closed;
    if (code) return "<error " + std::to_string(code) + ">";
    return out;
}

class Zip : public ::testing::Test {
protected:
    void SetUp() override { fallback = std::make_unique<CxDirectoryFileSystem>(); }
    void TearDown() override
    {
        mounts.RemoveAll();
        fallback.reset();
    }
    CxFileSystem* Mount(const std::string& bytes, const char* name = "<Zip>")
    {
        WriteFileBytes("test.zip", bytes);
        return mounts.NewFileSystem(name, "test.zip");
    }
    bool HaveTool(const char* command) { return std::system((std::string(command) + " >/dev/null 2>&1").c_str()) == 0; }

    InTempDir dir;
    ErrorCapture capture;
    std::unique_ptr<CxDirectoryFileSystem> fallback;
    CxFileSystemList mounts;
};

// A tree of mixed files, written to "tree/" for the archivers.
std::map<std::string, std::string> MakeTree()
{
    std::map<std::string, std::string> files = {
        {"Readme.TXT", Text(5000, 1)},
        {"House/Room.ini", Text(300, 2)},
        {"House/Pictures/Cat.tga", Pseudorandom(70000, 3)},
        {"house2/MiXeD/deep/Leaf.lua", Text(200000, 4)},
        {"empty.dat", ""},
        {"big.bin", Pseudorandom(40000, 5) + Text(400000, 6)},
    };
    for (const auto& [name, data] : files) {
        fs::create_directories(fs::path("tree") / fs::path(name).parent_path());
        WriteFileBytes("tree/" + name, data);
    }
    return files;
}
}  // namespace

TEST_F(Zip, ArchivesFromTheSystemZipReadBackByteForByte)
{
    if (!HaveTool("zip -v")) GTEST_SKIP() << "no zip command";
    auto files = MakeTree();
    for (const char* level : {"-0", "-6", "-9"}) {
        fs::remove("test.zip");
        ASSERT_EQ(std::system((std::string("cd tree && zip -q -r ") + level + " ../test.zip .").c_str()), 0);
        CxFileSystem* zip = mounts.NewFileSystem("<Zip>", "test.zip");
        ASSERT_GT(static_cast<CxZipFileSystem*>(zip)->GetEntryCount(), int32_t(files.size()));
        for (const auto& [name, data] : files) {
            std::string path = "<Zip>" + name;
            EXPECT_EQ(ReadMember(path.c_str()), data) << level << " " << name;
            EXPECT_EQ(QorFileLength(path.c_str()), int32_t(data.size()));
        }
        EXPECT_EQ(QorFileIsDirectory("<Zip>House/Pictures"), 1);
        EXPECT_EQ(QorFileExists("<Zip>House/Pictures"), 0);
        EXPECT_EQ(ReadMember("<Zip>HOUSE2/mixed/DEEP/leaf.LUA"), files["house2/MiXeD/deep/Leaf.lua"]);
        mounts.RemoveFileSystem("<Zip>");
    }
}

TEST_F(Zip, ArchivesFromPythonReadBackByteForByte)
{
    if (!HaveTool("python3 -c 'import zipfile, zlib'")) GTEST_SKIP() << "no python zipfile";
    auto files = MakeTree();
    const char* script =
        "import os, zipfile\n"
        "with zipfile.ZipFile('test.zip', 'w') as z:\n"
        "    z.writestr(zipfile.ZipInfo('House/'), '')\n"
        "    for i, (root, dirs, names) in enumerate(sorted(os.walk('tree'))):\n"
        "        for n in sorted(names):\n"
        "            p = os.path.join(root, n)\n"
        "            method = zipfile.ZIP_STORED if hash(n) % 2 else zipfile.ZIP_DEFLATED\n"
        "            z.write(p, os.path.relpath(p, 'tree'), compress_type=method)\n"
        "    z.writestr('Win\\\\Style.txt', 'backslashes')\n";
    WriteFileBytes("make.py", script);
    ASSERT_EQ(std::system("PYTHONHASHSEED=7 python3 make.py"), 0);
    mounts.NewFileSystem("<Py>", "test.zip");
    for (const auto& [name, data] : files) EXPECT_EQ(ReadMember(("<Py>" + name).c_str(), 777), data) << name;
    EXPECT_EQ(ReadMember("<Py>Win/Style.txt"), "backslashes");   // "\" in a stored name reads as "/"
    EXPECT_EQ(ReadMember("<Py>/readme.txt"), files["Readme.TXT"]);   // one leading "/" and any case
}

TEST_F(Zip, PiecesOfAnySizeGiveTheSameBytes)
{
    std::string data = Text(100000, 9) + Pseudorandom(30000, 10);
    Mount(BuildZip({{"d.bin", data, 8}, {"s.bin", data, 0}}).bytes);
    for (uint32_t piece : {1u, 7u, 4096u, 16384u, 16385u, 1000000u}) {
        EXPECT_EQ(ReadMember("<Zip>d.bin", piece), data) << piece;
        EXPECT_EQ(ReadMember("<Zip>s.bin", piece), data) << piece;
    }
}

TEST_F(Zip, DataInFrontAndLongCommentsAreFound)
{
    std::string comment(65535 - 22, 'c');
    Mount(BuildZip({{"a.txt", "alpha", 8}}, comment, Pseudorandom(5000, 11)).bytes);
    EXPECT_EQ(static_cast<CxZipFileSystem*>(CxFileSystem::FindByName("<Zip>"))->GetArchiveStart(), 5000u);
    EXPECT_EQ(ReadMember("<Zip>a.txt"), "alpha");
}

TEST_F(Zip, OnlyBinaryReadOnlyOpens)
{
    Mount(BuildZip({{"a.txt", "alpha", 0}}).bytes);
    EXPECT_EQ(QorFileOpen("<Zip>a.txt", CBF_WRITE | CBF_BINARY), nullptr);
    ASSERT_FALSE(ErrorCapture::Reports().empty());
    EXPECT_EQ(ErrorCapture::Reports().back().code, ERR_INVALID_ARGUMENT);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "Can only open Zip file with (CBF_BINARY | CBF_READONLY)");
    EXPECT_EQ(QorFileOpen("<Zip>b.txt", CBF_BINARY | CBF_READONLY), nullptr);
    EXPECT_EQ(ErrorCapture::Reports().back().message, "b.txt not found in this Zip file");
    EXPECT_EQ(QorFileOpen("<Zip>new.txt", CBF_CREATE | CBF_BINARY), nullptr);
}

TEST_F(Zip, ListingsAttributesAndTimes)
{
    Mount(BuildZip({{"Dir/", "", 0, 0x10},
                    {"Dir/a.txt", "a", 0, 0x20},
                    {"Dir/ro.txt", "r", 0, 0x21},
                    {"unix.txt", "u", 0, 0x81A40000u, 0x0314}})
              .bytes);
    auto list = [](const char* pattern, uint32_t mask) {
        CxLinkedList<CxFileInfo*> entries;
        QorBuildFileList(&entries, pattern, mask, 0);
        std::string out;
        for (auto* n = entries.GetHead(); n; n = n->next) out += std::string(n->value->Path.Text()) + ";";
        QorFreeFileList(&entries);
        return out;
    };
    EXPECT_EQ(list("<Zip>*", 0), "<Zip>Dir/a.txt;<Zip>Dir/ro.txt;<Zip>unix.txt;");   // folders left out
    EXPECT_EQ(list("<Zip>*", FILEATTR_ALLDIRS), "<Zip>Dir;<Zip>Dir/a.txt;<Zip>Dir/ro.txt;<Zip>unix.txt;");
    // Entries from a host without MS-DOS attributes have no bits: always listed.
    EXPECT_EQ(list("<Zip>*", FILEATTR_ARCHIVE | FILEATTR_READONLY), "<Zip>Dir/a.txt;<Zip>Dir/ro.txt;<Zip>unix.txt;");
    EXPECT_EQ(list("<Zip>Dir/*.txt", 0), "<Zip>Dir/a.txt;<Zip>Dir/ro.txt;");
    EXPECT_EQ(QorFileGetAttributes("<Zip>Dir/ro.txt"), uint32_t(FILEATTR_READONLY | FILEATTR_ARCHIVE));
    EXPECT_EQ(QorFileIsDirectory("<Zip>dir"), 1);
    EXPECT_EQ(QorFileIsDirectory("<Zip>Di"), 0);

    QorDateTime when{};
    CxFileSystem* zip = CxFileSystem::FindByName("<Zip>");
    EXPECT_EQ(zip->GetFileTime("Dir/a.txt", &when), 0);
    EXPECT_EQ(when.year, 2025);
    EXPECT_EQ(when.month, 1);
    EXPECT_EQ(when.day, 1);
    EXPECT_EQ(when.hour, 12);
    EXPECT_EQ(when.minute, 0);
}

TEST_F(Zip, MembersLookedUpExactFirstThenWithoutCase)
{
    Mount(BuildZip({{"Twin.txt", "upper", 0}, {"twin.txt", "lower", 0}}).bytes);
    EXPECT_EQ(ReadMember("<Zip>twin.txt"), "lower");
    EXPECT_EQ(ReadMember("<Zip>Twin.txt"), "upper");
    EXPECT_EQ(ReadMember("<Zip>TWIN.TXT"), "upper");
}

TEST_F(Zip, ChainFindsMembersAndFallsThroughToFolders)
{
    WriteFileBytes("loose.txt", "folder");
    Mount(BuildZip({{"inzip.txt", "zip", 8}}).bytes);
    EXPECT_EQ(ReadMember("inzip.txt"), "zip");
    EXPECT_EQ(ReadMember("loose.txt"), "folder");
    EXPECT_EQ(QorFileCopy("inzip.txt", "<DEFAULT>copied.txt", 0, 0), 0);
    EXPECT_EQ(ReadFileBytes("copied.txt"), "zip");
}

// Every way an archive can lie must end in an error, never in bytes handed out
// as if they were good, and never in a read outside the file.
TEST_F(Zip, DamagedArchivesFailClearly)
{
    std::string data = Text(50000, 12);
    struct Case {
        const char* what;
        uint16_t method;
        void (*damage)(ZipLayout&);
        bool opens;   // whether the damage shows only while reading
    };
    const Case cases[] = {
        {"stored byte altered", 0, [](ZipLayout& z) { z.bytes[z.localOffsets[0] + 30 + 5 + 100] ^= 1; }, true},
        {"deflated byte altered", 8, [](ZipLayout& z) { z.bytes[z.localOffsets[0] + 30 + 5 + 200] ^= 0x55; }, true},
        {"crc lies", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 16, 0x12345678); }, true},
        {"uncompressed size too small", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 24, 1000); }, true},
        {"uncompressed size too large", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 24, 60000); }, true},
        {"huge declared size", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 24, 0xFFFFFFF0u); }, false},
        {"compressed size beyond the archive", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 20, 0x7FFFFFFF); }, false},
        {"stored sizes disagree", 0, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 24, 49999); }, false},
        {"offset out of range", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[0] + 42, 0x7FFFFF00); }, false},
        {"overlapping members", 8, [](ZipLayout& z) { Put32(z.bytes, z.centralOffsets[1] + 42, 0); }, false},
        {"local header missing", 8, [](ZipLayout& z) { Put32(z.bytes, z.localOffsets[0], 0); }, false},
        {"unknown method", 8, [](ZipLayout& z) { Put16(z.bytes, z.centralOffsets[0] + 10, 12); }, false},
        {"encrypted", 8, [](ZipLayout& z) { Put16(z.bytes, z.centralOffsets[0] + 8, 1); }, false},
    };
    for (const Case& c : cases) {
        ZipLayout z = BuildZip({{"m.txt", data, c.method}, {"n.txt", "second", 8}});
        c.damage(z);
        Mount(z.bytes);
        ErrorCapture::Reports().clear();
        QorFileHandle* h = QorFileOpen("<Zip>m.txt", CBF_BINARY | CBF_READONLY);
        EXPECT_EQ(h != nullptr, c.opens) << c.what;
        if (h) {
            std::string out(60000, '\0');
            uint32_t got = 0;
            int code = QorFileRead(h, out.data(), uint32_t(out.size()), &got);
            EXPECT_NE(code, 0) << c.what;
            QorFileClose(h);
            EXPECT_NE(ReadMember("<Zip>m.txt", 333), data) << c.what;
        }
        ASSERT_FALSE(ErrorCapture::Reports().empty()) << c.what;
        EXPECT_FALSE(ErrorCapture::Reports().back().message.empty()) << c.what;
        mounts.RemoveFileSystem("<Zip>");
    }
}

TEST_F(Zip, AStoredMemberAlteredFailsAtItsEndAndAtClose)
{
    std::string data(1000, 's');
    ZipLayout z = BuildZip({{"s.txt", data, 0}});
    z.bytes[z.localOffsets[0] + 30 + 5 + 999] = 't';
    Mount(z.bytes);
    QorFileHandle* h = QorFileOpen("<Zip>s.txt", CBF_BINARY | CBF_READONLY);
    ASSERT_NE(h, nullptr);
    std::string out(999, '\0');
    uint32_t got = 0;
    EXPECT_EQ(QorFileRead(h, out.data(), 999, &got), 0);   // not at the end yet: nothing to check
    EXPECT_EQ(QorFileRead(h, out.data(), 1, &got), ERR_CRC);
    EXPECT_EQ(QorFileClose(h), ERR_CRC);
    // A copy of it must not pass for a good one.
    EXPECT_EQ(QorFileCopy("<Zip>s.txt", "<DEFAULT>out.txt", 0, 0), ERR_CRC);
}

TEST_F(Zip, TruncatedAndGarbageArchivesMountEmpty)
{
    std::string good = BuildZip({{"a.txt", Text(20000, 13), 8}}).bytes;
    for (size_t cut : {size_t(0), size_t(3), size_t(30), good.size() / 2, good.size() - 1}) {
        Mount(good.substr(0, cut));
        EXPECT_EQ(QorFileExists("<Zip>a.txt"), 0) << cut;
        EXPECT_EQ(static_cast<CxZipFileSystem*>(CxFileSystem::FindByName("<Zip>"))->GetEntryCount(), 0) << cut;
        mounts.RemoveFileSystem("<Zip>");
    }
    // Cut inside the member's data only: the directory is still whole.
    ZipLayout z = BuildZip({{"a.txt", Pseudorandom(20000, 14), 0}});
    std::string shortened = z.bytes.substr(0, z.localOffsets[0] + 1000) + z.bytes.substr(z.centralOffsets[0]);
    Put32(shortened, shortened.size() - 22 + 16, uint32_t(z.localOffsets[0] + 1000));
    Mount(shortened);
    EXPECT_EQ(QorFileOpen("<Zip>a.txt", CBF_BINARY | CBF_READONLY), nullptr);
    mounts.RemoveFileSystem("<Zip>");
    EXPECT_EQ(mounts.NewFileSystem("<Gone>", "nothere.zip") != nullptr, true);   // missing: empty, no crash
    EXPECT_EQ(QorFileExists("<Gone>a.txt"), 0);
}
