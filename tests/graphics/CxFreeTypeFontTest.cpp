#include "../core/ErrorCapture.h"
#include "FontTestUtil.h"
#include "TestSupport.h"
#include "core/CxTime.h"
#include "foundation/CxMemory.h"
#include "graphics/CxFreeTypeFont.h"

#include <gtest/gtest.h>

namespace {
constexpr CxPixel kWhite = 0xFFFFFFFF, kRed = 0xFFFF0000;

uint32_t gNow = 5000;
uint32_t FixedClock() { return gNow; }

class FreeTypeFonts : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!HaveDejaVu()) GTEST_SKIP() << "no DejaVu fonts in " << kDejaVuFolder;
        WriteFileBytes(dir.File("sans.ttf"), ReadFileBytes(kDejaVuSans));
        RegisterEngineFontFilters();
    }
    void TearDown() override { QorSetTickSource(nullptr); }

    CxFreeTypeFont* Load(int32_t* handle)
    {
        if (LoadFont("sans.ttf", handle) != 0) return nullptr;
        return dynamic_cast<CxFreeTypeFont*>(FindFont(*handle));
    }

    InTempDir dir;
    ErrorCapture errors;
};

CxDrawSurface* White(int w, int h, int depth = 32)
{
    auto* s = new CxDrawSurface;
    s->Create(w, h, depth);
    CxRect all = s->GetRect();
    s->FillRect(&all, depth == 32 ? kWhite : s->EncodeColor(255, 255, 255));
    return s;
}
}  // namespace

TEST_F(FreeTypeFonts, MetricsFollowThePixelSize)
{
    int32_t handle = 0;
    CxFreeTypeFont* font = Load(&handle);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetKindValue(), 32);
    EXPECT_EQ(font->DefaultPointSize(), 12);
    EXPECT_EQ(font->LineHeight(0), font->LineHeight(12));
    EXPECT_GE(font->LineHeight(12), 12);
    EXPECT_GT(font->LineHeight(24), font->LineHeight(12));
    EXPECT_GT(font->GlyphWidth('W', 16), font->GlyphWidth('i', 16));
    EXPECT_GT(font->GlyphWidth('W', 32), font->GlyphWidth('W', 16));
    EXPECT_EQ(font->MeasureString("Wi", 16), font->GlyphWidth('W', 16) + font->GlyphWidth('i', 16));
    EXPECT_EQ(font->MeasureString("\xC3\xA9", 16), font->GlyphWidth(0xE9, 16));
    EXPECT_EQ(font->MeasureString("\xC3", 16), 0);   // not UTF-8: nothing to measure
    EXPECT_EQ(DeleteFont(handle), 0);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(FreeTypeFonts, GreyGlyphsBlendTheColourByCoverage)
{
    int32_t handle = 0;
    CxFreeTypeFont* font = Load(&handle);
    ASSERT_NE(font, nullptr);
    CxDrawSurface* target = White(40, 40);
    int32_t advance = font->DrawGlyph(target, 5, 5, 'H', kRed, 20, CX_FONT_TRANSPARENT, 0);
    EXPECT_EQ(advance, font->GlyphWidth('H', 20));
    int full = 0, partial = 0, line = font->LineHeight(20);
    for (int32_t y = 0; y < 40; ++y)
        for (int32_t x = 0; x < 40; ++x) {
            CxPixel p = target->GetPixel(x, y);
            if (p == kWhite) continue;
            int r = int(p >> 16 & 0xFF), g = int(p >> 8 & 0xFF), b = int(p & 0xFF);
            EXPECT_EQ(r, 255);   // every mix lies between white and red
            EXPECT_EQ(g, b);
            full += g == 0;
            partial += g > 0;
            EXPECT_GE(x, 5);
            EXPECT_LT(x, 5 + advance);
            EXPECT_GE(y, 5);
            EXPECT_LT(y, 5 + line);
        }
    EXPECT_GT(full, 20);      // the stems
    EXPECT_GT(partial, 0);    // the anti-aliased edges
    delete target;
    DeleteFont(handle);
}

TEST_F(FreeTypeFonts, OtherDepthsGetTheirOwnDrawing)
{
    int32_t handle = 0;
    CxFreeTypeFont* font = Load(&handle);
    ASSERT_NE(font, nullptr);
    CxDrawSurface* deep16 = White(30, 30, 16);
    CxPixel red16 = deep16->EncodeColor(255, 0, 0);
    font->DrawGlyph(deep16, 2, 2, 'H', red16, 16, CX_FONT_TRANSPARENT, 0);
    int reds = 0;
    for (int32_t y = 0; y < 30; ++y)
        for (int32_t x = 0; x < 30; ++x) reds += deep16->GetPixel(x, y) == red16;
    EXPECT_GT(reds, 10);

    CxDrawSurface indexed;   // 8 bits and less: the coverage values as they are
    indexed.Create(30, 30, 8);
    font->DrawGlyph(&indexed, 2, 2, 'H', 9, 16, CX_FONT_TRANSPARENT, 0);
    EXPECT_GT(indexed.CountPixels(255), 10);
    delete deep16;
    DeleteFont(handle);
}

TEST_F(FreeTypeFonts, TheCacheEvictsTheGlyphCachedFirst)
{
    QorSetTickSource(FixedClock);
    int32_t handle = 0;
    CxFreeTypeFont* font = Load(&handle);
    ASSERT_NE(font, nullptr);
    CxDrawSurface* target = White(20, 20);
    for (int i = 0; i < CX_GLYPH_CACHE_SIZE; ++i) {
        gNow += (i == 1) ? 0 : 1;   // the first two share a millisecond
        font->DrawGlyph(target, 0, 0, 'A' + uint32_t(i % 26), kRed, 10 + i / 26, CX_FONT_TRANSPARENT, 0);
    }
    EXPECT_EQ(font->CachedGlyphCount(), CX_GLYPH_CACHE_SIZE);
    font->DrawGlyph(target, 0, 0, 'A', kRed, 10, CX_FONT_TRANSPARENT, 0);   // a hit renews nothing
    ++gNow;
    font->DrawGlyph(target, 0, 0, 'z', kRed, 40, CX_FONT_TRANSPARENT, 0);   // the 129th pair
    EXPECT_EQ(font->CachedGlyphCount(), CX_GLYPH_CACHE_SIZE);
    EXPECT_EQ(font->FindCached('A', 10), nullptr);
    EXPECT_NE(font->FindCached('B', 10), nullptr);
    EXPECT_NE(font->FindCached('z', 40), nullptr);
    font->GlyphWidth('y', 40);   // measuring caches too: now 'B' goes
    EXPECT_EQ(font->FindCached('B', 10), nullptr);
    EXPECT_NE(font->FindCached('C', 10), nullptr);
    delete target;
    DeleteFont(handle);
}

TEST_F(FreeTypeFonts, OneLibraryServesAllFontsAndUsesTheEngineAllocator)
{
    size_t before = QorBytesInUse();
    int32_t a = 0, b = 0;
    ASSERT_NE(Load(&a), nullptr);
    EXPECT_EQ(CxFreeTypeFont::LibraryUsers(), 1);
    size_t withOne = QorBytesInUse();
    EXPECT_GT(withOne, before + 100000);   // the file and FreeType's own blocks
    ASSERT_NE(Load(&b), nullptr);
    EXPECT_EQ(CxFreeTypeFont::LibraryUsers(), 2);
    DeleteFont(a);
    EXPECT_EQ(CxFreeTypeFont::LibraryUsers(), 1);
    DeleteFont(b);
    EXPECT_EQ(CxFreeTypeFont::LibraryUsers(), 0);
    EXPECT_EQ(QorBytesInUse(), before);
}

TEST_F(FreeTypeFonts, BrokenAndMissingFilesAreReported)
{
    static const char kJunk[] = "\0\1\0\0 this is no font at all";
    WriteFileBytes(dir.File("junk.ttf"), std::string(kJunk, sizeof kJunk - 1));
    WriteFileBytes(dir.File("cut.otf"), ReadFileBytes(kDejaVuSans).substr(0, 2000));
    int32_t handle = 0;
    EXPECT_EQ(LoadFont("junk.ttf", &handle), ERR_OPEN_FILE);
    EXPECT_EQ(errors.Reports().back().message, "Unable to create font from buffer: junk.ttf");
    EXPECT_EQ(LoadFont("absent.ttf", &handle), ERR_OPEN_FILE);
    EXPECT_EQ(errors.Reports().back().message, "Unable to load font: absent.ttf");
    // A truncated file may open (the tables are read lazily) but must never
    // draw outside what it has.
    if (LoadFont("cut.otf", &handle) == 0) {
        CxDrawSurface* target = White(20, 20);
        FindFont(handle)->DrawGlyph(target, 0, 0, 'A', kRed, 12, CX_FONT_TRANSPARENT, 0);
        delete target;
        DeleteFont(handle);
    }
    EXPECT_EQ(CxFreeTypeFont::LibraryUsers(), 0);
    EXPECT_EQ(FontCount(), 0);
}
