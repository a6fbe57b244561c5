#include "foundation/CxMemory.h"
#include "foundation/CxString.h"

#include <gtest/gtest.h>
#include <string>

TEST(CxStringGrowth, AppendLeavesRoomForTwentyMoreCharacters)
{
    CxString s;
    s.Append("a");
    EXPECT_EQ(s.GetCapacity(), 21);
    EXPECT_EQ(s.GetLength(), 1);

    CxString full("abcde");   // assigned: capacity strlen + 2
    EXPECT_EQ(full.GetCapacity(), 7);
    full.Append('f');         // fits in place
    EXPECT_EQ(full.GetCapacity(), 7);
    full.Append('g');         // 6 + 1 == 7: grows to 6 + 20 + 1
    EXPECT_EQ(full.GetCapacity(), 27);
    EXPECT_STREQ(full, "abcdefg");

    CxString five;
    five.Reserve(5);
    five.Append("12345");
    EXPECT_EQ(five.GetCapacity(), 6);
    five.Append('6');
    EXPECT_EQ(five.GetCapacity(), 26);
}

TEST(CxStringGrowth, TextIsCutAtTheLimitInsteadOfOverflowing)
{
    std::string big(40000, 'x');
    CxString s(big.c_str());
    EXPECT_EQ(s.GetLength(), CX_STRING_MAX);
    EXPECT_LE(s.GetCapacity(), CX_STRING_MAX + 1);

    s.Append("more");
    EXPECT_EQ(s.GetLength(), CX_STRING_MAX);
    EXPECT_EQ(s.GetAt(CX_STRING_MAX), 0);

    CxString grown;
    for (int i = 0; i < 4000; ++i) grown.Append("0123456789");
    EXPECT_EQ(grown.GetLength(), CX_STRING_MAX);
    grown.Replace("0", "00");
    EXPECT_EQ(grown.GetLength(), CX_STRING_MAX);
}

TEST(CxStringAssign, SelfAndOverlappingAssignmentsKeepTheText)
{
    CxString s("hello world");
    int capacity = s.GetCapacity();
    s.Assign(s.GetData());
    EXPECT_STREQ(s, "hello world");
    EXPECT_EQ(s.GetCapacity(), capacity);

    s.Assign(s.GetData() + 6);   // a tail of its own buffer
    EXPECT_STREQ(s, "world");
    EXPECT_EQ(s.GetLength(), 5);

    s.Assign(nullptr);
    EXPECT_STREQ(s, "");
    EXPECT_EQ(s.GetLength(), 0);

    CxString copy(s);
    copy = "other";
    CxString moved(static_cast<CxString&&>(copy));
    EXPECT_STREQ(moved, "other");
    EXPECT_EQ(copy.GetData(), nullptr);
}

TEST(CxStringSearch, FindFamily)
{
    CxString s("xxabcxx");
    EXPECT_EQ(s.FindNoCase("ABC"), 2);
    EXPECT_EQ(s.Find("abc"), 2);
    EXPECT_EQ(s.Find("ABC"), -1);
    EXPECT_EQ(s.Find('x', 2), 5);
    EXPECT_EQ(s.Find('x', 7), -1);
    EXPECT_EQ(s.FindOneOf("cb"), 3);
    EXPECT_EQ(s.ReverseFind('a'), 2);
    EXPECT_EQ(CxString().Find('a'), -1);
    EXPECT_EQ(CxString().Compare("a"), -1);
    EXPECT_EQ(CxString().CompareNoCase(""), -1);
    EXPECT_EQ(CxString("B").CompareNoCase("b"), 0);
    EXPECT_EQ(CxString("\xff").Compare("a"), 1);   // unsigned byte order
}

TEST(CxStringExtract, MidAndLeftClampToTheText)
{
    CxString s("1234567");
    EXPECT_STREQ(s.Mid(5, 10), "67");
    EXPECT_STREQ(s.Mid(9, 1), "");
    EXPECT_STREQ(s.Mid(3), "4567");
    EXPECT_STREQ(s.Mid(99), "");
    EXPECT_STREQ(s.Left(3), "123");
    EXPECT_STREQ(s.Left(30), "1234567");

    CxString out("stale");
    s.Mid(1, 2, out);
    EXPECT_STREQ(out, "23");
}

TEST(CxStringCharacters, GetAtNeverReadsPastTheBuffer)
{
    CxString s("abc");
    EXPECT_EQ(s.GetAt(3), 0);
    EXPECT_EQ(s.GetAt(4), 0);
    EXPECT_EQ(s.GetAt(-1), 0);
    EXPECT_EQ(CxString().GetAt(0), 0);
    EXPECT_EQ(s.LastChar(), 'c');
    EXPECT_EQ(CxString().LastChar(), 0);

    s.SetAt(1, 0);
    EXPECT_EQ(s.GetLength(), 1);
    s.SetAt(5, 'z');   // outside: ignored
    EXPECT_STREQ(s, "a");
}

TEST(CxStringChange, ReplaceRemoveDelete)
{
    CxString s("a.b.c");
    s.Replace('.', 0);
    EXPECT_STREQ(s, "a");
    EXPECT_EQ(s.GetLength(), 1);

    CxString t("aXaXa");
    t.Replace("a", "aa");           // inserted text is never rescanned
    EXPECT_STREQ(t, "aaXaaXaa");
    t.Replace("X", "");
    EXPECT_STREQ(t, "aaaaaa");
    t.Replace("zz", "y");
    EXPECT_STREQ(t, "aaaaaa");

    CxString r("b-a-n-a-n-a");
    r.Remove('-');
    EXPECT_STREQ(r, "banana");

    CxString d("abcdef");
    EXPECT_EQ(d.Delete(2, -1), 4);
    EXPECT_STREQ(d, "ab");
    EXPECT_EQ(d.Delete(5, 1), -1);
    EXPECT_EQ(d.DeleteLast(1), 1);
    EXPECT_STREQ(d, "a");

    CxString u("abcdef");
    u.TruncateAfter(2);
    EXPECT_STREQ(u, "abc");
}

TEST(CxStringFormat, BothFormsAndTheirBuffers)
{
    CxString s;
    s.Format("%d-%s", 7, "x");
    EXPECT_STREQ(s, "7-x");
    EXPECT_EQ(s.GetCapacity(), 4);

    std::string longText(3000, 'y');
    s.Format("%s", longText.c_str());
    EXPECT_EQ(s.GetLength(), 2047);
    EXPECT_EQ(CxString::FormatNew("%s", longText.c_str()).GetLength(), 255);
    EXPECT_STREQ(CxString::FormatNew(nullptr), "");
    EXPECT_STREQ(CxString("ab") + "cd", "abcd");
}

TEST(CxStringMemory, RefusedBuffersLeaveTheStringEmpty)
{
    size_t used = QorBytesInUse();
    QorSetAllocationLimit(used + 1);
    CxString s("needs a buffer");
    s.Append("more");
    QorSetAllocationLimit(0);
    EXPECT_EQ(s.GetData(), nullptr);
    EXPECT_EQ(s.GetLength(), 0);
}

TEST(CxStringMemory, AttachedBuffersAreNeverFreed)
{
    char buffer[8] = "abc";
    {
        CxString s;
        s.Attach(buffer, sizeof buffer);
        EXPECT_TRUE(s.IsNotOwned());
        s.Append("de");
        EXPECT_STREQ(buffer, "abcde");   // written in place
        s.Append("fghij");               // grows into a buffer of its own
        EXPECT_STREQ(s, "abcdefghij");
        EXPECT_FALSE(s.IsNotOwned());
    }
    EXPECT_STREQ(buffer, "abcde");
}
