#include "foundation/Qorstr.h"

#include <gtest/gtest.h>
#include <cstring>
#include <string>

TEST(MatchWildcards, AlternativesAndCase)
{
    EXPECT_TRUE(MatchWildcards("*.bmp;*.tga", "Room1.TGA"));
    EXPECT_FALSE(MatchWildcards("*.bmp;*.tga", "Room1.png"));
    EXPECT_TRUE(MatchWildcards("abc;def", "abc"));
    EXPECT_TRUE(MatchWildcards("abc;def", "DEF"));
    EXPECT_FALSE(MatchWildcards("abc;def", "abcdef"));
    EXPECT_FALSE(MatchWildcards("a?c", "ac"));
    EXPECT_TRUE(MatchWildcards("a?c", "abc"));
    EXPECT_TRUE(MatchWildcards("*", ""));
    EXPECT_FALSE(MatchWildcards(nullptr, "a"));
}

TEST(MatchWildcards, SetsEscapesAndNegation)
{
    EXPECT_TRUE(MatchWildcards("pet[0-9].sav", "pet7.sav"));
    EXPECT_FALSE(MatchWildcards("pet[0-9].sav", "petx.sav"));
    EXPECT_TRUE(MatchWildcards("pet[!0-9].sav", "petx.sav"));
    EXPECT_TRUE(MatchWildcards("[a-c]x", "Bx"));
    EXPECT_TRUE(MatchWildcards("a`*b", "a*b"));
    EXPECT_FALSE(MatchWildcards("a`*b", "axb"));
    EXPECT_TRUE(MatchWildcards("[`]]", "]"));
    EXPECT_FALSE(MatchWildcards("[abc", "a"));   // unterminated set never matches
    EXPECT_TRUE(MatchWildcards("photo_!*.tmp", "photo_1.tga"));
    EXPECT_FALSE(MatchWildcards("photo_!*.tmp", "photo_1.tmp"));
}

TEST(MatchWildcards, RunThatStopsAtADot)
{
    std::string pattern = std::string(1, WILDCARD_NO_DOT) + ".ini";
    EXPECT_TRUE(MatchWildcards(pattern.c_str(), "house.ini"));
    EXPECT_FALSE(MatchWildcards(pattern.c_str(), "house.old.ini"));
    EXPECT_TRUE(MatchWildcards("*.ini", "house.old.ini"));
}

TEST(MatchWildcards, HostilePatternsEndQuickly)
{
    std::string name(200, 'a');
    EXPECT_FALSE(MatchWildcards("*a*a*a*a*a*a*a*a*a*a*a*a*b", name.c_str()));
}

TEST(ReadLine, SplitsAtLineEndsAndCutsLongLines)
{
    const char text[] = "ab\r\ncd\nlonger line here\n\nlast";
    const char* end = text + sizeof text - 1;
    char line[8];
    const char* at = ReadLine(line, sizeof line, text, end);
    EXPECT_STREQ(line, "ab");
    at = ReadLine(line, sizeof line, at, end);
    EXPECT_STREQ(line, "cd");
    at = ReadLine(line, sizeof line, at, end);
    EXPECT_STREQ(line, "longer ");   // cut, and the rest of the line skipped
    at = ReadLine(line, sizeof line, at, end);
    EXPECT_STREQ(line, "");
    at = ReadLine(line, sizeof line, at, end);
    EXPECT_STREQ(line, "last");
    EXPECT_EQ(at, end);
    EXPECT_EQ(ReadLine(line, sizeof line, at, end), nullptr);

    const char zero[] = "a\0b";
    EXPECT_EQ(ReadLine(line, sizeof line, zero + 1, zero + 3), nullptr);
    EXPECT_EQ(ReadLine(line, sizeof line, nullptr, end), nullptr);
}

TEST(TextSearch, WordsLastOccurrencesAndContainment)
{
    EXPECT_STREQ(FindWord("cat catalog cat", "catalog", " ", false), "catalog cat");
    const char* text = "concat cat";
    EXPECT_EQ(FindWord(text, "cat", " ", false), text + 7);
    EXPECT_EQ(FindWord(text, "CAT", " ", true), text + 7);
    EXPECT_EQ(FindWord(text, "CAT", " ", false), nullptr);

    const char* path = "a/b/a/b";
    EXPECT_EQ(FindLast(path, "a/", false), path + 4);
    EXPECT_EQ(FindLast(path, "A/", true), path + 4);
    EXPECT_EQ(FindLast("ab", "abc", false), nullptr);
    EXPECT_EQ(FindLast("ab", "", false), nullptr);

    EXPECT_TRUE(TextContains("Hello", "ELL", true));
    EXPECT_FALSE(TextContains("Hello", "ELL", false));
    EXPECT_FALSE(TextContains("Hello", "", true));
    EXPECT_FALSE(TextEquals(nullptr, "a", true));
    EXPECT_TRUE(TextEquals("House", "HOUSE", true));
}

TEST(TextEdit, InPlaceChangesStayInsideTheBuffer)
{
    char text[16] = "a-b-c";
    RemoveChar(text, '-');
    EXPECT_STREQ(text, "abc");
    ReplaceChar(text, 'b', 'x');
    EXPECT_STREQ(text, "axc");
    EXPECT_EQ(CountChar("a,b,c", ','), 2);

    char room[16] = "x.x.x";
    ReplaceAll(room, sizeof room, "x", "yy");
    EXPECT_STREQ(room, "yy.yy.yy");

    char tight[8] = "xxxx";
    ReplaceAll(tight, sizeof tight, "x", "abc");
    EXPECT_STREQ(tight, "abcabc");   // cut before a replacement that no longer fits

    char copy[4];
    CopyText(copy, "abcdef", sizeof copy);
    EXPECT_STREQ(copy, "abc");
    EXPECT_EQ(TextLength(nullptr), 0u);
}

TEST(PathText, FileNamesAndExtensions)
{
    EXPECT_STREQ(FileNamePart("House/Room1.tga"), "Room1.tga");
    EXPECT_STREQ(FileNamePart("Room1.tga"), "Room1.tga");
    EXPECT_TRUE(HasExtension("Room1.TGA", "tga"));
    EXPECT_TRUE(HasExtension("Room1.tga", ".TGA"));
    EXPECT_FALSE(HasExtension("Room1tga", "tga"));
    EXPECT_FALSE(HasExtension("tga", "tga"));
    EXPECT_FALSE(HasExtension("", "tga"));
    EXPECT_FALSE(HasExtension("a.tga", "."));
}

TEST(SystemText, ConversionsCutWithoutSplittingCharacters)
{
    char out[5];
    ToSystemText(out, "ab\xc3\xa9z", sizeof out);   // "abéz" needs 5 bytes + terminator
    EXPECT_STREQ(out, "ab\xc3\xa9");
    ToSystemText(out, "a\xe2\x82\xac", 4);          // the euro sign does not fit in 3 bytes
    EXPECT_STREQ(out, "a");
    FromSystemText(out, nullptr, sizeof out);
    EXPECT_STREQ(out, "");
}
