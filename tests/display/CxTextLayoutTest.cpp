#include "../graphics/FontTestUtil.h"
#include "display/CxTextLayout.h"
#include "graphics/CxBitmapFont.h"

#include <gtest/gtest.h>

#include <string>

namespace {
constexpr CxPixel kBlack = 0xFF000000, kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGrey = 0xFF808080;

// Every character 5 pixels wide and 6 high; its ink is the inner 3 x 4
// block (columns 1-3, rows 1-4), so a character drawn at (x, y) inks
// (x + 1, y + 1) to (x + 3, y + 4).
class Layout : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto* image = new CxDrawSurface;
        MakeFontImage(*image, std::vector<int>(128, 5), 6);
        font.Build(image);
        target.Create(60, 30, 32);
        Clear();
    }
    void Clear()
    {
        CxRect all = target.GetRect();
        target.FillRect(&all, kBlack);
    }
    void Draw(const char* text, CxRect rect, uint32_t flags, const CxTextHighlight* highlight = nullptr)
    {
        DrawString(&target, rect, kRed, text, flags, 0, &font, CX_FONT_TRANSPARENT, kBlue, highlight);
    }
    // Is the character cell at (x, y) inked in `colour`?
    bool Inked(int32_t x, int32_t y, CxPixel colour = kRed) const
    {
        return target.GetPixel(x + 1, y + 1) == colour && target.GetPixel(x + 3, y + 4) == colour &&
               target.GetPixel(x, y) != colour;
    }
    std::string Wrapped(const char* text, int32_t width, int* lines = nullptr)
    {
        CxString out;
        int n = WrapText(text, CxRect{0, 0, width - 1, 100}, &font, 0, out);
        if (lines) *lines = n;
        return out.Text();
    }
    CxBitmapFont font;
    CxDrawSurface target;
};

struct WrapCase {
    const char* text;
    int32_t width;
    const char* expected;
    int lines;
};
}  // namespace

TEST_F(Layout, WrappingTable)
{
    const WrapCase cases[] = {
        {"hello world", 100, "hello world", 1},          // fits
        {"hello world", 40, "hello \nworld", 2},         // overflow inside the second word: break after the space
        {"abcdefghij", 22, "abc\ndef\nghij", 3},         // no break character: cut one before the overflow
        {"ab\ncd", 100, "ab\ncd", 2},                    // own line feeds count as lines
        {"one,two;three", 38, "one,\ntwo;\nthree", 3},   // any break character, kept at the line's end
        {"abc", 3, "a\nb\nc", 3},                        // narrower than a character: one per line
        {"abc", 0, "a\nb\nc", 3},
        {"-abcdef", 20, "-a\nbc\ndef", 3},               // the line's first character is never the break
        {"ab \ncdefgh", 22, "ab \ncde\nfgh", 3},         // a line feed ends the line before the overflow
        {"ab cd", 15, "a\nb \ncd", 3},                  // a break character that overflows is no place to break
        {"", 10, "", 1},
    };
    for (const WrapCase& c : cases) {
        int lines = 0;
        EXPECT_EQ(Wrapped(c.text, c.width, &lines), c.expected) << c.text << " in " << c.width;
        EXPECT_EQ(lines, c.lines) << c.text << " in " << c.width;
    }
    int lines = 7;
    EXPECT_EQ(Wrapped("\xC3", 10, &lines), "");
    EXPECT_EQ(lines, 0);
}

TEST_F(Layout, SpacingCountsInMeasuringAndWrapping)
{
    EXPECT_EQ(TextLineWidth("abcd", &font, 0), 20);
    EXPECT_EQ(TextLineWidth("a\tb\r\nc", &font, 0), 15);   // tabs and breaks take no room
    font.SetSpacing(2, 3);
    EXPECT_EQ(TextLineWidth("abcd", &font, 0), 28);
    EXPECT_EQ(Wrapped("ab cd", 22), "ab \ncd");
    Draw("a\nb", CxRect{0, 0, 59, 29}, TEXT_WORD_WRAP);
    EXPECT_TRUE(Inked(0, 0));
    EXPECT_TRUE(Inked(0, 9));   // 6 high + 3 between lines
}

TEST_F(Layout, WithoutWrapLineFeedsAreIgnored)
{
    Draw("ab\ncd", CxRect{0, 0, 59, 29}, 0);
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(Inked(5 * k, 0)) << k;
    EXPECT_FALSE(Inked(0, 6));
    Clear();
    Draw("ab\ncd", CxRect{0, 0, 59, 29}, TEXT_WORD_WRAP);
    EXPECT_TRUE(Inked(0, 6));
    EXPECT_TRUE(Inked(5, 6));
    EXPECT_FALSE(Inked(10, 0));
}

TEST_F(Layout, AlignmentPlacesTheBlock)
{
    Draw("ab", CxRect{10, 2, 39, 21}, TEXT_ALIGN_RIGHT | TEXT_ALIGN_BOTTOM);
    EXPECT_TRUE(Inked(30, 16));
    EXPECT_TRUE(Inked(35, 16));
    Clear();
    Draw("ab", CxRect{10, 2, 39, 21}, TEXT_CENTER | TEXT_ALIGN_RIGHT | TEXT_CENTER_VERTICAL | TEXT_ALIGN_BOTTOM);
    EXPECT_TRUE(Inked(20, 9));   // centre wins: (30 - 10) / 2 and (20 - 6) / 2
    EXPECT_TRUE(Inked(25, 9));
}

TEST_F(Layout, WrappedLinesAreAlignedOneByOne)
{
    Draw("abc de", CxRect{0, 0, 21, 29}, TEXT_WORD_WRAP | TEXT_ALIGN_RIGHT);
    // "abc " is 20 wide, "de" 10: each line ends at the right edge.
    EXPECT_TRUE(Inked(2, 0));
    EXPECT_TRUE(Inked(12, 6));
    EXPECT_TRUE(Inked(17, 6));
    EXPECT_FALSE(Inked(2, 6));
}

TEST_F(Layout, ShadowIsDrawnFirstOnePixelDownAndRight)
{
    Draw("a", CxRect{0, 0, 59, 29}, TEXT_SHADOW);
    EXPECT_EQ(target.GetPixel(1, 1), kRed);
    EXPECT_EQ(target.GetPixel(3, 4), kRed);    // the glyph covers its shadow
    EXPECT_EQ(target.GetPixel(4, 5), kBlue);   // the shadow's corner sticks out
    EXPECT_EQ(target.GetPixel(4, 2), kBlue);
    EXPECT_EQ(target.GetPixel(1, 5), kBlack);  // shadow starts at column 2
    EXPECT_EQ(target.GetPixel(2, 5), kBlue);
}

TEST_F(Layout, HighlightedRangeGetsItsColours)
{
    CxTextHighlight highlight{1, 3, kBlue, kGrey};
    Draw("abcd", CxRect{0, 0, 59, 29}, TEXT_WORD_WRAP, &highlight);
    EXPECT_TRUE(Inked(0, 0));
    EXPECT_TRUE(Inked(5, 0, kBlue));
    EXPECT_TRUE(Inked(10, 0, kBlue));
    EXPECT_TRUE(Inked(15, 0));
    EXPECT_EQ(target.GetPixel(5, 0), kGrey);    // the box behind the character
    EXPECT_EQ(target.GetPixel(14, 5), kGrey);
    EXPECT_EQ(target.GetPixel(15, 0), kBlack);
    EXPECT_EQ(target.GetPixel(5, 6), kBlack);
}

TEST_F(Layout, HighlightIndicesIgnoreInsertedLineFeeds)
{
    CxTextHighlight highlight{3, 4, kBlue, kGrey};   // the 'd'
    Draw("ab d", CxRect{0, 0, 16, 29}, TEXT_WORD_WRAP, &highlight);
    EXPECT_TRUE(Inked(0, 6, kBlue));
}

TEST_F(Layout, DrawingStopsAtTheRightEdgeWithoutWrap)
{
    Draw("abcdefgh", CxRect{0, 0, 12, 29}, 0);
    EXPECT_TRUE(Inked(10, 0));    // started before the edge
    EXPECT_FALSE(Inked(15, 0));
}

TEST_F(Layout, NothingIsDrawnForBadText)
{
    Draw("ab\xC3", CxRect{0, 0, 59, 29}, 0);
    Draw(nullptr, CxRect{0, 0, 59, 29}, 0);
    Draw("", CxRect{0, 0, 59, 29}, 0);
    DrawString(nullptr, CxRect{0, 0, 9, 9}, kRed, "ab", 0, 0, &font, CX_FONT_TRANSPARENT, 0, nullptr);
    EXPECT_EQ(CountChanged(target, kBlack), 0);
    Draw("abcdefghijklmnop", CxRect{-40, -3, 200, 50}, TEXT_SHADOW);   // text off every edge
    EXPECT_GT(CountChanged(target, kBlack), 0);
}

TEST_F(Layout, TheDefaultFontStandsInForNone)
{
    CreateDefaultFont();
    DrawString(&target, CxRect{0, 0, 59, 29}, kRed, "Hi", 0, 0, nullptr, CX_FONT_TRANSPARENT, 0, nullptr);
    CxRect firstCell{0, 0, 7, 11};
    EXPECT_GT(CountChanged(target, kBlack, &firstCell), 5);
    DeleteDefaultFont();
    Clear();
    DrawString(&target, CxRect{0, 0, 59, 29}, kRed, "Hi", 0, 0, nullptr, CX_FONT_TRANSPARENT, 0, nullptr);
    EXPECT_EQ(CountChanged(target, kBlack), 0);
}
