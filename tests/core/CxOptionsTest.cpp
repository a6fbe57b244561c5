#include "ErrorCapture.h"
#include "TestSupport.h"
#include "core/CxOptions.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <string>
#include <vector>

namespace {
std::string Value(CxOptions& options, const char* section, const char* key, const char* def = "<none>")
{
    char text[256];
    options.GetString(section, key, text, def, sizeof text);
    return text;
}

std::vector<int> IntList(CxOptions& options, const char* section, const char* key)
{
    CxLinkedList<int32_t> list;
    options.GetIntList(section, key, &list);
    std::vector<int> values;
    for (auto* n = list.GetHead(); n; n = n->next) values.push_back(n->value);
    return values;
}

class OptionsFile : public ::testing::Test {
protected:
    InTempDir dir;
    ErrorCapture capture;
};
}  // namespace

TEST_F(OptionsFile, SyntaxCommentsBlanksAndCase)
{
    WriteFileBytes("a.ini",
                   "[S]\n"
                   "key = value ; comment\n"
                   "Key2=A\n"
                   "  spaced key  =  v w  \t\n"
                   "noequals\n"
                   "=first\n"
                   "  [T]\n"
                   "[U] trailing words\n"
                   "x=1\n");
    CxOptions options;
    ASSERT_EQ(options.Open("a.ini"), 0);
    EXPECT_EQ(Value(options, "S", "key"), "value");
    EXPECT_EQ(Value(options, "s", "KEY2"), "A");
    EXPECT_EQ(Value(options, "[S]", "  spaced key"), "v w");
    EXPECT_EQ(Value(options, "S", "spaced key"), "<none>");   // leading blanks are part of the key
    EXPECT_EQ(options.FindSection("T"), nullptr);            // blanks before "[": not a header
    EXPECT_EQ(Value(options, "U", "x"), "1");
    EXPECT_EQ(options.FindVariable("S", ""), nullptr);
    EXPECT_FALSE(options.IsModified());
}

TEST_F(OptionsFile, LineEndingsOfEveryKind)
{
    WriteFileBytes("crlf.ini", "[A]\r\nx=1\r\n[B]\r\ny=2");
    WriteFileBytes("cr.ini", "[A]\rx=1\r[B]\ry=2\r");
    for (const char* name : {"crlf.ini", "cr.ini"}) {
        CxOptions options;
        ASSERT_EQ(options.Open(name), 0) << name;
        EXPECT_EQ(Value(options, "A", "x"), "1") << name;
        EXPECT_EQ(Value(options, "B", "y"), "2") << name;
    }
}

TEST_F(OptionsFile, DuplicatesAreFoundFirstAndWrittenBackByteExact)
{
    WriteFileBytes("d.ini", "[S]\nk=1\nk=2\n; gone\n[S]\nk=3\n[T]\nz = 9\n");
    {
        CxOptions options;
        ASSERT_EQ(options.Open("d.ini"), 0);
        EXPECT_EQ(Value(options, "S", "k"), "1");
        options.SetString("S", "k", "one");
        options.AddSetting("T", "z", "10");
    }
    EXPECT_EQ(ReadFileBytes("d.ini"), "[S]\r\nk=one\r\nk=2\r\n\r\n[S]\r\nk=3\r\n\r\n[T]\r\nz=9\r\nz=10\r\n");
    EXPECT_FALSE(std::filesystem::exists("d.ini.tmp"));
}

TEST_F(OptionsFile, TypedReadersAndTheirDefaults)
{
    WriteFileBytes("t.ini", "[N]\np=5\nr=1, 2, 3, 4\nv=1.5,2,-3\nl=1, 2, 3\ne=\nbad=abc\nf=0.25\n");
    CxOptions options;
    options.Open("t.ini");

    CxPoint point;
    options.GetPoint("N", "p", &point, CxPoint{7, 7});
    EXPECT_EQ(point, (CxPoint{5, 0}));
    options.GetPoint("N", "missing", &point, CxPoint{-1, 4});
    EXPECT_EQ(point, (CxPoint{-1, 4}));

    CxRect rect;
    options.GetRect("N", "r", &rect, CxRect{});
    EXPECT_EQ(rect, (CxRect{1, 2, 3, 4}));
    options.GetRect("N", "missing", &rect, CxRect{9, 8, 7, 6});
    EXPECT_EQ(rect, (CxRect{9, 8, 7, 6}));

    CxVector3 v;
    options.GetVector("N", "v", &v, CxVector3{});
    EXPECT_FLOAT_EQ(v.x, 1.5f);
    EXPECT_FLOAT_EQ(v.z, -3.0f);

    EXPECT_EQ(IntList(options, "N", "l"), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(IntList(options, "N", "e").empty());
    EXPECT_TRUE(IntList(options, "N", "missing").empty());

    EXPECT_EQ(options.ReadInt("N", "bad", 42), 0);   // text that is no number reads as 0
    EXPECT_EQ(options.ReadInt("N", "missing", -42), -42);
    EXPECT_FLOAT_EQ(options.ReadFloat("N", "f", 1.0f), 0.25f);
    EXPECT_EQ(options.GetIntList("N", "l", nullptr), ERR_INVALID_ARGUMENT);
    EXPECT_FALSE(options.IsModified());
}

TEST_F(OptionsFile, WritersFormatTheirValues)
{
    CxOptions options;
    options.Create("w.ini");
    CxLinkedList<int32_t> list;
    list.AddTail(1);
    list.AddTail(-2);
    options.SetIntList("L", "list", &list);
    options.SetInt("L", "n", -7);
    EXPECT_EQ(Value(options, "L", "list"), "1, -2");
    EXPECT_EQ(Value(options, "L", "n"), "-7");
    options.DeleteSetting("L", "n");
    options.Close();
    EXPECT_EQ(ReadFileBytes("w.ini"), "[L]\r\nlist=1, -2\r\n");
}

TEST_F(OptionsFile, OnlyChangesAreWrittenAndCreateDeletesAtOnce)
{
    WriteFileBytes("r.ini", "[A]\nx = 1\n");
    {
        CxOptions options;
        options.Open("r.ini");
        Value(options, "A", "x");
        Value(options, "A", "missing");
    }
    EXPECT_EQ(ReadFileBytes("r.ini"), "[A]\nx = 1\n");   // reads only: untouched

    CxOptions created;
    created.Create("r.ini");
    EXPECT_FALSE(std::filesystem::exists("r.ini"));
    EXPECT_FALSE(created.IsModified());
    created.Close();
    EXPECT_FALSE(std::filesystem::exists("r.ini"));
}

TEST_F(OptionsFile, ExportModeStoresEveryDefaultAskedFor)
{
    WriteFileBytes("x.ini", "[OptionController]\nExport=1\n");
    {
        CxOptions options;
        options.Open("x.ini");
        EXPECT_TRUE(options.IsExport());
        EXPECT_EQ(options.ReadInt("S", "K", 5), 5);
        EXPECT_TRUE(options.IsModified());
        CxPoint p;
        options.GetPoint("S", "P", &p, CxPoint{1, 2});
    }
    EXPECT_EQ(ReadFileBytes("x.ini"), "[OptionController]\r\nExport=1\r\n\r\n[S]\r\nK=5\r\nP=1,2\r\n");
}

TEST_F(OptionsFile, SectionsAreAddedAndDeleted)
{
    CxOptions options;
    options.SetString("A", "k", "v");
    CxOptionSection* extra = options.AddSection("[B]");
    options.AddVariable("  key \t", " \tval  ", nullptr);
    EXPECT_EQ(extra->variables.GetHead()->value->key.Compare("  key"), 0);
    EXPECT_EQ(Value(options, "B", "  key"), "val");
    options.DeleteSection("a");
    EXPECT_EQ(options.FindSection("A"), nullptr);
    options.AddVariable("orphan", "1", nullptr);   // no current section after a deletion
    EXPECT_EQ(options.FindVariable("B", "orphan"), nullptr);
}

TEST_F(OptionsFile, MissingFilesAndUncheckedOpens)
{
    CxOptions options;
    EXPECT_EQ(options.Open("nothere.ini"), ERR_FILE_NOT_FOUND);
    EXPECT_TRUE(capture.Reports().empty());
    EXPECT_EQ(options.Open(""), ERR_FILE_NOT_FOUND);

    CxOptions unchecked;
    unchecked.SetOpenUnchecked(true);
    EXPECT_EQ(unchecked.Open("nothere.ini"), ERR_OPEN_FILE);
    ASSERT_EQ(capture.Reports().size(), 1u);
    EXPECT_EQ(capture.Reports()[0].code, ERR_OPEN_FILE);
}

TEST_F(OptionsFile, AFailedWriteLeavesTheOldFileWhole)
{
    WriteFileBytes("keep.ini", "[A]\nx=old\n");
    std::filesystem::create_directory("keep.ini.tmp");   // the temporary file cannot be made
    {
        CxOptions options;
        options.Open("keep.ini");
        options.SetString("A", "x", "new");
        EXPECT_NE(options.Save(), 0);
        EXPECT_FALSE(options.IsModified());
    }
    EXPECT_EQ(ReadFileBytes("keep.ini"), "[A]\nx=old\n");
    ASSERT_FALSE(capture.Reports().empty());
    EXPECT_EQ(capture.Reports()[0].code, ERR_CREATE_FILE);
}

TEST_F(OptionsFile, HostileContentsLoadWhatTheyCan)
{
    std::string garbage;
    for (int i = 0; i < 4096; ++i) garbage += char((i * 7919) & 0xFF);
    std::string longLine = "[Big]\nkey=" + std::string(10 * 1024 * 1024, 'v') + "\nafter=1\n";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"garbage.ini", garbage},
        {"nul.ini", std::string("[A]\nk=v\0rest\nafter=2", 20)},
        {"long.ini", longLine},
        {"equals.ini", "=\n==\n=x=y\n[E]\n=\n"},
        {"nonewline.ini", "[A]\nlast=9"},
        {"empty.ini", ""},
    };
    for (const auto& [name, bytes] : files) WriteFileBytes(name, bytes);

    CxOptions options;
    for (const auto& [name, bytes] : files) EXPECT_EQ(options.Open(name.c_str()), 0) << name;

    options.Open("nul.ini");
    EXPECT_EQ(Value(options, "A", "k"), "v");
    EXPECT_EQ(Value(options, "A", "after"), "2");
    options.Open("long.ini");
    EXPECT_EQ(options.FindVariable("Big", "key")->value.GetLength(), CX_STRING_MAX);
    EXPECT_EQ(Value(options, "Big", "after"), "1");
    options.Open("equals.ini");
    ASSERT_NE(options.FindSection("E"), nullptr);
    EXPECT_EQ(options.FindSection("E")->variables.GetCount(), 0);
    options.Open("nonewline.ini");
    EXPECT_EQ(Value(options, "A", "last"), "9");
}
