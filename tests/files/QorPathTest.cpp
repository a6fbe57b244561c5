#include "files/QorPath.h"

#include <gtest/gtest.h>
#include <string>

TEST(QorPath, NormalFormsAndRefusals)
{
    struct Row {
        const char* in;
        QorPathResult result;
        const char* out;
    };
    const Row rows[] = {
        {"", QOR_PATH_OK, ""},
        {"/", QOR_PATH_OK, "/"},
        {"a.ini", QOR_PATH_OK, "a.ini"},
        {"House\\Room\\a.ini", QOR_PATH_OK, "House/Room/a.ini"},
        {"//House///a.ini", QOR_PATH_OK, "/House/a.ini"},
        {"./a/./b/.", QOR_PATH_OK, "a/b"},
        {"a/b/../c", QOR_PATH_OK, "a/c"},
        {"a/b/..", QOR_PATH_OK, "a"},
        {"/a/..", QOR_PATH_OK, "/"},
        {"/ab/..D/../..", QOR_PATH_OK, "/"},
        {"dir/", QOR_PATH_OK, "dir/"},
        {"dir/sub/../", QOR_PATH_OK, "dir/"},
        {"...", QOR_PATH_OK, "..."},
        {"*.ini;pet_?.sav", QOR_PATH_OK, "*.ini;pet_?.sav"},
        {"..", QOR_PATH_CLIMBS, ""},
        {"../a", QOR_PATH_CLIMBS, ""},
        {"/..", QOR_PATH_CLIMBS, ""},
        {"a/../..", QOR_PATH_CLIMBS, ""},
        {"a\\..\\..\\etc\\passwd", QOR_PATH_CLIMBS, ""},
    };
    for (const Row& row : rows) {
        char out[QOR_PATH_MAX + 1];
        EXPECT_EQ(QorNormalisePath(row.in, out, sizeof out), row.result) << row.in;
        if (row.result != QOR_PATH_OK) continue;
        EXPECT_STREQ(out, row.out) << row.in;
        char again[QOR_PATH_MAX + 1];   // the normal form is its own normal form
        EXPECT_EQ(QorNormalisePath(out, again, sizeof again), QOR_PATH_OK);
        EXPECT_STREQ(again, out) << row.in;
    }
}

TEST(QorPath, LongPathsAreRefusedNotCut)
{
    std::string longPath(300, 'x');
    char out[QOR_PATH_MAX + 1];
    EXPECT_EQ(QorNormalisePath(longPath.c_str(), out, sizeof out), QOR_PATH_TOO_LONG);
    std::string shrinking = std::string(250, 'y') + "/" + std::string(20, 'z') + "/..";
    EXPECT_EQ(QorNormalisePath(shrinking.c_str(), out, sizeof out), QOR_PATH_TOO_LONG);   // too long on the way
    char tiny[2];
    EXPECT_EQ(QorNormalisePath("/a", tiny, sizeof tiny), QOR_PATH_TOO_LONG);
}

TEST(QorPath, PrefixesSplitAtTheFirstClosingBracket)
{
    char name[64];
    EXPECT_STREQ(QorSplitPrefix("<AppData>options.ini", name, sizeof name), "options.ini");
    EXPECT_STREQ(name, "<AppData>");
    EXPECT_STREQ(QorSplitPrefix("<a>b>c", name, sizeof name), "b>c");
    EXPECT_STREQ(name, "<a>");
    EXPECT_STREQ(QorSplitPrefix("no<prefix>", name, sizeof name), "no<prefix>");
    EXPECT_STREQ(name, "");
    EXPECT_STREQ(QorSplitPrefix("<open", name, sizeof name), "<open");
    EXPECT_STREQ(name, "");
    char small[5];
    EXPECT_STREQ(QorSplitPrefix("<LongName>x", small, sizeof small), "x");
    EXPECT_STREQ(small, "<Lon");
    EXPECT_STREQ(QorSplitPrefix(nullptr, name, sizeof name), "");
}
