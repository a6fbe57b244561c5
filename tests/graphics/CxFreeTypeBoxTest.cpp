// FreeType drawing checked pixel by pixel with a hand-made box font, so
// these run with no system fonts at all.
#include "../core/ErrorCapture.h"
#include "../files/ZipWriter.h"
#include "BoxFont.h"
#include "FontTestUtil.h"
#include "TestSupport.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxFileSystemList.h"
#include "graphics/CxFreeTypeFont.h"

#include <gtest/gtest.h>

#include <memory>

namespace {
constexpr CxPixel kBlack = 0xFF000000, kGreen = 0xFF00FF00;

std::string BoxBytes() { return std::string(reinterpret_cast<const char*>(kBoxFont), sizeof kBoxFont); }

// At 20 pixels the box covers columns x+1..x+10 and rows y+6..y+19: its top
// lies 14 above the baseline, which is the line's bottom (the face has
// nothing below it).
void ExpectBoxAt(const CxDrawSurface& s, int32_t x, int32_t y, CxPixel colour)
{
    for (int32_t py = 0; py < s.GetHeight(); ++py)
        for (int32_t px = 0; px < s.GetWidth(); ++px) {
            bool inside = px >= x + 1 && px <= x + 10 && py >= y + 6 && py <= y + 19;
            ASSERT_EQ(s.GetPixel(px, py), inside ? colour : kBlack) << px << "," << py;
        }
}
}  // namespace

TEST(FreeTypeBox, GlyphLandsOnThePixelsItCovers)
{
    ErrorCapture errors;
    CxFreeTypeFont font;
    ASSERT_EQ(font.LoadFromMemory(kBoxFont, sizeof kBoxFont, "box"), 0);
    EXPECT_EQ(font.LineHeight(20), 20);
    EXPECT_EQ(font.GlyphWidth('A', 20), 12);
    CxDrawSurface target;
    target.Create(40, 30, 32);
    target.FillRect(nullptr, kBlack);
    EXPECT_EQ(font.DrawGlyph(&target, 5, 3, 'A', kGreen, 20, CX_FONT_TRANSPARENT, 0), 12);
    ExpectBoxAt(target, 5, 3, kGreen);
    // A character the font lacks draws its empty glyph 0 and advances by it.
    EXPECT_EQ(font.DrawGlyph(&target, 5, 3, 'B', kGreen, 20, CX_FONT_TRANSPARENT, 0), 10);
    ExpectBoxAt(target, 5, 3, kGreen);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST(FreeTypeBox, ClippedAtEveryEdge)
{
    CxFreeTypeFont font;
    ASSERT_EQ(font.LoadFromMemory(kBoxFont, sizeof kBoxFont, "box"), 0);
    CxDrawSurface target;
    target.Create(8, 8, 32);
    target.FillRect(nullptr, kBlack);
    for (CxPoint at : {CxPoint{-9, -18}, CxPoint{6, 1}, CxPoint{-20, -20}, CxPoint{100, 100}})
        font.DrawGlyph(&target, at.x, at.y, 'A', kGreen, 20, CX_FONT_TRANSPARENT, 0);
    // (-9, -18) covers -8..1 x -12..1: the 2 x 2 corner; (6, 1) covers 7.. x 7..: one pixel.
    EXPECT_EQ(CountChanged(target, kBlack), 5);
}

TEST(FreeTypeBox, FontsLoadFromZipArchives)
{
    ErrorCapture errors;
    InTempDir dir;
    CxDirectoryFileSystem fallback;
    CxFileSystemList mounts;
    WriteFileBytes("fonts.zip", BuildZip({{"Fonts/Box.ttf", BoxBytes(), 8}}).bytes);
    ASSERT_NE(mounts.NewFileSystem("<Fonts>", "fonts.zip"), nullptr);
    RegisterEngineFontFilters();
    int32_t handle = 0;
    ASSERT_EQ(LoadFont("<Fonts>Fonts/Box.ttf", &handle), 0);
    CxFont* font = FindFont(handle);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GlyphWidth('A', 20), 12);
    DeleteFont(handle);
    mounts.RemoveAll();
    EXPECT_TRUE(errors.Reports().empty());
}

TEST(FreeTypeBox, CutFontsFailOrDrawWithoutReadingPastTheEnd)
{
    ErrorCapture errors;
    for (size_t cut = 0; cut < sizeof kBoxFont; cut += 7) {
        CxFreeTypeFont font;
        if (font.LoadFromMemory(kBoxFont, uint32_t(cut), "cut") != 0) {
            EXPECT_EQ(errors.Reports().back().message, "Unable to create font from buffer: cut");
            continue;
        }
        CxDrawSurface target;
        target.Create(30, 30, 32);
        font.DrawGlyph(&target, 0, 0, 'A', kGreen, 20, CX_FONT_TRANSPARENT, 0);
        font.MeasureString("AAB", 13);
    }
}
