// One presented frame of an 800 x 600 screen over SDL's dummy driver: the
// display tree paints its dirty rectangles into the screen surface and the
// screen shows them.  A pet-sized sprite moving by a few pixels each frame
// is set against the whole screen being repainted, on both screens at 16
// and 32 bits.  The goal: on the window-surface screen the small frame
// costs under a tenth of the full one.  The renderer screen draws its whole
// texture on every present, which puts a floor under its small frames.
#include "display/CxCursor.h"
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"
#include "graphics/CxScreenSoftware.h"
#include "platform/window/PlatformWindow.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <memory>

namespace {
constexpr int32_t kW = 800, kH = 600;

struct Stage {
    std::unique_ptr<CxSoftwareScreen> screen;
    std::unique_ptr<CxSprite> backdrop, pet;
};

// args: renderer (0/1), depth.
bool Build(const benchmark::State& state, Stage& stage)
{
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    PlatWindowDesc desc;
    desc.width = kW, desc.height = kH;
    if (!PlatWindowCreate(desc)) return false;
    if (state.range(0)) stage.screen = std::make_unique<CxDirectDrawScreen>();
    else stage.screen = std::make_unique<CxDibScreen>();
    CxScreenOpenParams params;
    params.width = kW, params.height = kH, params.depth = int(state.range(1));
    if (stage.screen->Open(params) != 0) return false;
    SetDisplayBufferCount(CxSize{kW, kH}, 1);
    auto* picture = new CxDrawSurface;
    picture->Create(kW, kH, 32);
    picture->FillRect(nullptr, 0xFF78B4EB);
    stage.backdrop = std::make_unique<CxSprite>();
    stage.backdrop->Create(0, 0, 0, 0, GetRootObject(), 1);
    stage.backdrop->SetSurface(picture, 1);
    stage.backdrop->Paint(0, 0);
    auto* face = new CxDrawSurface;
    face->Create(64, 64, 32);
    face->FillCircle(32, 32, 30, 0xFFEB963C);
    stage.pet = std::make_unique<CxSprite>();
    stage.pet->Create(0, 0, 0, 0, stage.backdrop.get(), 2);
    stage.pet->SetSurface(face, 1);
    stage.pet->SetMaskColor(0);
    stage.pet->Paint(100, 100);
    return true;
}

void Frame(CxSoftwareScreen& screen)
{
    CxLinkedList<CxRect> painted;
    PaintDirtyRects(screen.GetSurface(), &painted);
    screen.Present(&painted);
}

void Finish(Stage& stage)
{
    stage.pet.reset();
    stage.backdrop.reset();
    ShutdownDisplayTree();
    stage.screen.reset();
    PlatVideoStop();
}

void MovingSprite(benchmark::State& state)
{
    Stage stage;
    if (!Build(state, stage)) return state.SkipWithError("no screen");
    int32_t x = 100;
    for (auto _ : state) {
        x = x < 700 ? x + 3 : 100;
        stage.pet->Paint(x, 200);
        Frame(*stage.screen);
    }
    Finish(stage);
}

void WholeScreen(benchmark::State& state)
{
    Stage stage;
    if (!Build(state, stage)) return state.SkipWithError("no screen");
    for (auto _ : state) {
        InvalidateRect(CxRect{0, 0, kW - 1, kH - 1});
        Frame(*stage.screen);
    }
    Finish(stage);
}
}  // namespace

BENCHMARK(MovingSprite)->ArgsProduct({{0, 1}, {16, 32}})->Unit(benchmark::kMicrosecond);
BENCHMARK(WholeScreen)->ArgsProduct({{0, 1}, {16, 32}})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
