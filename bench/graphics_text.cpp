// Text drawing: a 60-word wrapped paragraph into a 320 x 240 32-bit surface
// with the built-in bitmap font and with a FreeType font (DejaVu Sans when
// installed).  The FreeType case runs twice in one program: with a warm
// glyph cache, and with every glyph rendered again (a fresh face each pass),
// so the cost the 128-glyph cache saves shows as the gap between the two.
#include "core/CxError.h"
#include "display/CxTextLayout.h"
#include "graphics/CxSurf.h"
#include "graphics/CxFreeTypeFont.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {
const char* kParagraph =
    "The cat watched the red ball roll under the sofa, then looked back at you as if to ask whether you meant "
    "to leave it there. Treats, brushes and a warm corner by the window: every day brings something new to "
    "sniff, chase, bat about or ignore with great dignity. Tomorrow, perhaps, the ball will come out again.";

int Quiet(int, const char*) { return 0; }

std::string ReadHostFile(const char* path)
{
    std::string bytes;
    if (FILE* f = fopen(path, "rb")) {
        char chunk[65536];
        size_t n;
        while ((n = fread(chunk, 1, sizeof chunk, f)) > 0) bytes.append(chunk, n);
        fclose(f);
    }
    return bytes;
}

const std::string& SansBytes()
{
    static const std::string bytes = ReadHostFile("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    return bytes;
}

void DrawParagraph(benchmark::State& state, CxFont* font, int size)
{
    CxDrawSurface target;
    target.Create(320, 240, 32);
    DrawString(&target, CxRect{0, 0, 319, 239}, 0xFFFFFFFF, kParagraph, TEXT_WORD_WRAP, size, font,
               CX_FONT_TRANSPARENT, 0, nullptr);
}

void BM_BitmapFontParagraph(benchmark::State& state)
{
    SetErrorCallback(Quiet);
    CreateDefaultFont();
    CxFont* font = FindFont(CX_DEFAULT_FONT);
    for (auto _ : state) DrawParagraph(state, font, 0);
    DeleteDefaultFont();
}

void BM_FreeTypeParagraphCached(benchmark::State& state)
{
    SetErrorCallback(Quiet);
    CxFreeTypeFont font;
    const std::string& bytes = SansBytes();
    if (bytes.empty() || font.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), "sans")) {
        state.SkipWithError("no DejaVu Sans");
        return;
    }
    for (auto _ : state) DrawParagraph(state, &font, 14);
}

void BM_FreeTypeParagraphUncached(benchmark::State& state)
{
    SetErrorCallback(Quiet);
    const std::string& bytes = SansBytes();
    if (bytes.empty()) {
        state.SkipWithError("no DejaVu Sans");
        return;
    }
    for (auto _ : state) {
        CxFreeTypeFont font;
        font.LoadFromMemory(reinterpret_cast<const uint8_t*>(bytes.data()), uint32_t(bytes.size()), "sans");
        DrawParagraph(state, &font, 14);
    }
}
}  // namespace

BENCHMARK(BM_BitmapFontParagraph)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeTypeParagraphCached)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FreeTypeParagraphUncached)->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
