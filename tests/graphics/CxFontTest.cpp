#include "../core/ErrorCapture.h"
#include "FontTestUtil.h"
#include "graphics/CxBitmapFont.h"
#include "graphics/CxFont.h"

#include <gtest/gtest.h>

namespace {
struct Utf8Case {
    const char* text;
    int count;            // -1: refused
    uint32_t first;
};

CxFont* Builtin()
{
    CreateDefaultFont();
    return FindFont(CX_DEFAULT_FONT);
}
}  // namespace

TEST(FontUtf8, DecodesWellFormedTextAndRefusesEverythingElse)
{
    const Utf8Case cases[] = {
        {"", 0, 0},
        {"Ab", 2, 'A'},
        {"\xC3\xA9t\xC3\xA9", 3, 0xE9},                // two-byte forms
        {"\xE2\x82\xAC", 1, 0x20AC},                   // three bytes
        {"\xF0\x9F\x90\xB1", 1, 0x1F431},              // four bytes
        {"\xC3", -1, 0},                               // cut short at the end
        {"\xC3(", -1, 0},                              // continuation missing
        {"\x80", -1, 0},                               // stray continuation
        {"\xC0\xAF", -1, 0},                           // overlong slash
        {"\xE0\x80\xAF", -1, 0},                       // overlong, three bytes
        {"\xED\xA0\x80", -1, 0},                       // surrogate
        {"\xF4\x90\x80\x80", -1, 0},                   // past U+10FFFF
        {"\xFF", -1, 0},
    };
    for (const Utf8Case& c : cases) {
        uint32_t codes[8] = {};
        EXPECT_EQ(DecodeUtf8(c.text, codes, 8), c.count) << c.text;
        if (c.count > 0) {
            EXPECT_EQ(codes[0], c.first) << c.text;
        }
    }
    EXPECT_EQ(DecodeUtf8(nullptr, nullptr, 0), 0);
    EXPECT_EQ(DecodeUtf8("abcdef", nullptr, 0), 6);   // counting only
}

TEST(FontUtf8, EncodingRoundTrips)
{
    for (uint32_t code : {0x41u, 0xE9u, 0x7FFu, 0x800u, 0x20ACu, 0xFFFFu, 0x10000u, 0x10FFFFu}) {
        char text[8] = {};
        int n = EncodeUtf8(code, text, 7);
        ASSERT_GT(n, 0);
        uint32_t back = 0;
        EXPECT_EQ(DecodeUtf8(text, &back, 1), 1);
        EXPECT_EQ(back, code);
    }
    char small[2];
    EXPECT_EQ(EncodeUtf8(0x20AC, small, 2), 0);
    EXPECT_EQ(EncodeUtf8(0xD800, small, 2), 0);
}

TEST(FontRegistry, FiltersNeedThePeriodAndARoutine)
{
    ErrorCapture errors;
    EXPECT_EQ(RegisterFontFilter("ttf", CxBitmapFont::LoadFile), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(errors.Reports().size(), 1u);
    EXPECT_EQ(errors.Reports()[0].message, "Extension MUST include the period as in '.ttf'");

    RegisterFontFilter(".nofn", nullptr);
    int32_t handle = 0;
    EXPECT_EQ(LoadFont("fonts/a.NOFN", &handle), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(errors.Reports().back().message, "No Load function registered for 'fonts/a.NOFN'");
    UnregisterFontFilter(".NoFn");
    EXPECT_EQ(LoadFont("fonts/a.nofn", &handle), ERR_UNKNOWN);
    EXPECT_EQ(errors.Reports().back().message, "No font file filter registered for 'fonts/a.nofn'");
    EXPECT_EQ(LoadFont("no_extension", &handle), ERR_UNKNOWN);
    EXPECT_EQ(handle, 0);
}

TEST(FontRegistry, TheDefaultFontComesAndGoes)
{
    DeleteDefaultFont();
    EXPECT_EQ(FindFont(CX_DEFAULT_FONT), nullptr);
    ASSERT_EQ(CreateDefaultFont(), 0);
    CxFont* font = FindFont(CX_DEFAULT_FONT);
    ASSERT_NE(font, nullptr);
    int32_t handle = font->GetHandle();
    EXPECT_EQ(FindFont(handle), font);
    EXPECT_EQ(CreateDefaultFont(), 0);   // a second start-up keeps the one font
    EXPECT_EQ(FindFont(CX_DEFAULT_FONT), font);
    DeleteDefaultFont();
    EXPECT_EQ(FindFont(CX_DEFAULT_FONT), nullptr);
    EXPECT_EQ(FindFont(handle), nullptr);
    EXPECT_EQ(DeleteFont(12345), ERR_INVALID_ARGUMENT);
}

TEST(FontRegistry, HandlesAreDistinctAndOutliveNoFont)
{
    CxDrawSurface image;
    MakeFontImage(image, {4, 4}, 6);
    int32_t a = 0, b = 0;
    ASSERT_EQ(MakeBitmapFont(&image, &a), 0);
    ASSERT_EQ(MakeBitmapFont(&image, &b), 0);
    EXPECT_NE(a, b);
    EXPECT_GT(a, 0);
    EXPECT_NE(FindFont(a), FindFont(b));
    EXPECT_EQ(DeleteFont(a), 0);
    EXPECT_EQ(FindFont(a), nullptr);
    EXPECT_NE(FindFont(b), nullptr);
    EXPECT_EQ(DeleteFont(b), 0);
}

TEST(FontRegistry, AFontDeletedDirectlyLeavesTheList)
{
    CreateDefaultFont();
    CxFont* builtin = FindFont(CX_DEFAULT_FONT);
    ASSERT_NE(builtin, nullptr);
    int32_t handle = builtin->GetHandle();
    int before = FontCount();
    delete builtin;
    EXPECT_EQ(FontCount(), before - 1);
    EXPECT_EQ(FindFont(handle), nullptr);
    EXPECT_EQ(FindFont(CX_DEFAULT_FONT), nullptr);
    EXPECT_EQ(GetDefaultFontHandle(), 0);
}

TEST(BuiltinFont, HasEveryAsciiGlyphInAnEightByTwelveCell)
{
    auto* font = dynamic_cast<CxBitmapFont*>(Builtin());
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetGlyphCount(), 128);
    EXPECT_EQ(font->DefaultPointSize(), 12);
    EXPECT_EQ(font->GetTransparent(), 0u);
    EXPECT_EQ(font->GetImage()->GetWidth(), 1152);
    CxDrawSurface target;
    target.Create(8, 12, 32);
    for (uint32_t c = 32; c < 127; ++c) {
        CxRect all = target.GetRect();
        target.FillRect(&all, 0xFF000000);
        EXPECT_EQ(font->GlyphWidth(c, 0), 8);
        EXPECT_EQ(font->DrawGlyph(&target, 0, 0, c, 0xFFFF0000, 0, CX_FONT_TRANSPARENT, 0), 8);
        int ink = CountChanged(target, 0xFF000000);
        if (c == ' ') {
            EXPECT_EQ(ink, 0);
        } else {
            EXPECT_GT(ink, 0) << "character " << c;
        }
        for (int32_t y = 0; y < 12; ++y)   // the cell's own spacing stays empty
            for (int32_t x : {0, 6, 7})
                EXPECT_EQ(target.GetPixel(x, y), 0xFF000000u) << "character " << c;
    }
    DeleteDefaultFont();
}

TEST(BuiltinFont, DistinctCharactersLookDistinct)
{
    CxFont* font = Builtin();
    std::vector<std::vector<CxPixel>> seen;
    for (uint32_t c = 33; c < 127; ++c) {
        CxDrawSurface target;
        target.Create(8, 12, 32);
        font->DrawGlyph(&target, 0, 0, c, 0xFFFFFFFF, 0, CX_FONT_TRANSPARENT, 0);
        std::vector<CxPixel> pixels;
        for (int32_t y = 0; y < 12; ++y)
            for (int32_t x = 0; x < 8; ++x) pixels.push_back(target.GetPixel(x, y));
        for (const auto& other : seen) EXPECT_NE(pixels, other) << "character " << c;
        seen.push_back(pixels);
    }
    DeleteDefaultFont();
}
