#include "../core/ErrorCapture.h"
#include "FontTestUtil.h"
#include "TestSupport.h"
#include "graphics/CxBitmapFont.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

namespace {
constexpr CxPixel kBlack = 0xFF000000, kRed = 0xFFFF0000;

CxDrawSurface* Target(int w, int h)
{
    auto* s = new CxDrawSurface;
    s->Create(w, h, 32);
    CxRect all = s->GetRect();
    s->FillRect(&all, kBlack);
    return s;
}
}  // namespace

TEST(BitmapFont, MarkerColumnsCutTheGlyphs)
{
    CxDrawSurface* image = new CxDrawSurface;
    MakeFontImage(*image, {8, 8, 5}, 10);   // markers at 0, 9 and 18
    CxBitmapFont font;
    ASSERT_EQ(font.Build(image), 0);
    ASSERT_EQ(font.GetGlyphCount(), 3);
    const int expected[3][2] = {{1, 8}, {10, 17}, {19, 23}};
    for (uint32_t n = 0; n < 3; ++n) {
        const CxBitmapGlyph* g = font.GetGlyph(n);
        EXPECT_EQ(g->left, expected[n][0]);
        EXPECT_EQ(g->right, expected[n][1]);
        EXPECT_EQ(g->top, 0);
        EXPECT_EQ(g->bottom, 9);
        EXPECT_EQ(g->code, n);
    }
    EXPECT_EQ(font.GetTransparent(), 3u);   // first row-0 pixel that is not the marker
    EXPECT_EQ(font.DefaultPointSize(), 10);
    EXPECT_EQ(font.LineHeight(0), 10);
    EXPECT_EQ(font.LineHeight(20), 20);
}

TEST(BitmapFont, TheImagesOwnTransparentColourWins)
{
    CxDrawSurface* image = new CxDrawSurface;
    MakeFontImage(*image, {3, 3}, 4);
    image->SetTransparentColor(7);
    CxBitmapFont font;
    font.Build(image);
    EXPECT_EQ(font.GetTransparent(), 7u);
}

TEST(BitmapFont, ImagesTooSmallAreRefused)
{
    ErrorCapture errors;
    CxBitmapFont font;
    CxDrawSurface* image = new CxDrawSurface;
    image->Create(1, 5, 8);
    EXPECT_EQ(font.Build(image), ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(font.Build(nullptr), ERR_INVALID_FILE_TYPE);
    EXPECT_EQ(font.GetGlyphCount(), 0);
    CxDrawSurface* target = Target(4, 4);
    EXPECT_EQ(font.DrawGlyph(target, 0, 0, 0, kRed, 0, CX_FONT_TRANSPARENT, 0), 0);
    EXPECT_EQ(errors.Reports().back().message, "No bitmap for font");
    delete target;
}

TEST(BitmapFont, ColourPaintsCoverageAndMinusOneKeepsTheGlyphsPixels)
{
    CxDrawSurface* image = new CxDrawSurface;
    MakeFontImage(*image, {6}, 6);
    CxBitmapFont font;
    font.Build(image);
    CxDrawSurface* target = Target(10, 10);
    EXPECT_EQ(font.DrawGlyph(target, 2, 3, 0, kRed, 0, CX_FONT_TRANSPARENT, 0), 6);
    EXPECT_EQ(CountChanged(*target, kBlack), 4 * 4);   // the glyph's inner 4 x 4, frame transparent
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) {
            bool inside = x >= 3 && x <= 6 && y >= 4 && y <= 7;
            EXPECT_EQ(target->GetPixel(x, y), inside ? kRed : kBlack) << x << "," << y;
        }
    font.DrawGlyph(target, 2, 3, 0, CX_NO_COLOR, 0, CX_FONT_TRANSPARENT, 0);
    EXPECT_EQ(target->GetPixel(3, 4) & 0xFFFFFF, 0xC86432u);   // palette entry 7
    delete target;
}

TEST(BitmapFont, OtherPointSizesStretch)
{
    CxDrawSurface* image = new CxDrawSurface;
    MakeFontImage(*image, {6}, 6);
    CxBitmapFont font;
    font.Build(image);
    EXPECT_EQ(font.GlyphWidth(0, 12), 12);
    EXPECT_EQ(font.GlyphWidth(0, 9), 9);
    EXPECT_EQ(font.GlyphWidth(0, 4), 4);
    CxDrawSurface* target = Target(20, 20);
    EXPECT_EQ(font.DrawGlyph(target, 0, 0, 0, kRed, 12, CX_FONT_TRANSPARENT, 0), 12);
    EXPECT_EQ(CountChanged(*target, kBlack), 8 * 8);
    EXPECT_EQ(target->GetPixel(2, 2), kRed);
    EXPECT_EQ(target->GetPixel(9, 9), kRed);
    EXPECT_EQ(target->GetPixel(10, 10), kBlack);
    delete target;
}

TEST(BitmapFont, GlyphsAreClippedAtTheSurfaceEdges)
{
    CxDrawSurface* image = new CxDrawSurface;
    MakeFontImage(*image, {6}, 6);
    CxBitmapFont font;
    font.Build(image);
    CxDrawSurface* target = Target(4, 4);
    font.DrawGlyph(target, -3, -3, 0, kRed, 0, CX_FONT_TRANSPARENT, 0);
    EXPECT_EQ(CountChanged(*target, kBlack), 4);   // inner columns 1..4 land on -2..1: a 2 x 2 corner
    font.DrawGlyph(target, 3, 3, 0, kRed, 0, CX_FONT_TRANSPARENT, 0);
    font.DrawGlyph(target, 1000000, -1000000, 0, kRed, 40, CX_FONT_TRANSPARENT, 0);
    EXPECT_EQ(CountChanged(*target, kBlack), 4);   // the inner part at (4, 4) lies outside
    delete target;
}

TEST(BitmapFont, MissingCharactersReportOnceAndDrawTheQuestionMark)
{
    ErrorCapture errors;
    CxBitmapFont* font = nullptr;
    CreateDefaultFont();
    font = dynamic_cast<CxBitmapFont*>(FindFont(CX_DEFAULT_FONT));
    ASSERT_NE(font, nullptr);
    CxDrawSurface* a = Target(8, 12);
    CxDrawSurface* b = Target(8, 12);
    EXPECT_EQ(font->DrawGlyph(a, 0, 0, 0x20AC, kRed, 0, CX_FONT_TRANSPARENT, 0), 8);
    font->DrawGlyph(a, 0, 0, 300, kRed, 0, CX_FONT_TRANSPARENT, 0);
    font->DrawGlyph(b, 0, 0, '?', kRed, 0, CX_FONT_TRANSPARENT, 0);
    ASSERT_EQ(errors.Reports().size(), 1u);
    EXPECT_EQ(errors.Reports()[0].code, ERR_INVALID_ARGUMENT);
    EXPECT_EQ(errors.Reports()[0].message, "nLetter not found in this font");
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(a->GetPixel(x, y), b->GetPixel(x, y));
    EXPECT_EQ(font->DrawGlyph(nullptr, 0, 0, 'A', kRed, 0, CX_FONT_TRANSPARENT, 0), 0);
    EXPECT_EQ(errors.Reports().back().message, "Can't render to a null surface");
    delete a;
    delete b;
    DeleteDefaultFont();
}

TEST(BitmapFont, PcxFilesLoadThroughTheFilters)
{
    ErrorCapture errors;
    InTempDir dir;
    RegisterEngineImageFilters();
    RegisterEngineFontFilters();
    CxDrawSurface image;
    MakeFontImage(image, {5, 7, 3}, 9);
    WriteFileBytes(dir.File("small.pcx"), EncodePcx8(image));
    int32_t handle = 0;
    ASSERT_EQ(LoadFont("small.pcx", &handle), 0);
    auto* font = dynamic_cast<CxBitmapFont*>(FindFont(handle));
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetGlyphCount(), 3);
    EXPECT_EQ(font->GlyphWidth(1, 0), 7);
    EXPECT_EQ(font->MeasureString("\x01\x02\x01", 0), 17);
    DeleteFont(handle);

    EXPECT_NE(LoadFont("missing.pcx", &handle), 0);
    WriteFileBytes(dir.File("broken.pcx"), EncodePcx8(image).substr(0, 140));
    EXPECT_NE(LoadFont("broken.pcx", &handle), 0);
    EXPECT_EQ(errors.Reports().back().message, "Unable to load font: broken.pcx");
    EXPECT_EQ(FontCount(), 0);
}
