// A frame of the display tree: 200 sprites of 32 x 32 (with a transparent
// colour) moving over a 1024 x 768 background, painted through the dirty
// rectangles; next to it, in the same run, a repaint of the whole screen
// with the same tree.  The counter painted_px is the area of the dirty
// rectangles painted per frame, so the two can be compared by work as well
// as by time.
#include "display/CxDisplayTree.h"
#include "display/CxSprite.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {
constexpr int kWidth = 1024, kHeight = 768, kSprites = 200, kSide = 32;
constexpr CxPixel kKey = 0x00FF00FF;

CxDrawSurface* Picture(int32_t w, int32_t h, uint32_t seed)
{
    auto* surface = new CxDrawSurface;
    surface->Create(w, h, 32);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            surface->SetPixel(x, y, 0xFF000000 | (seed >> 8));
        }
    return surface;
}

// A round sprite: the corners are the transparent colour.
CxDrawSurface* Ball(uint32_t seed)
{
    CxDrawSurface* surface = Picture(kSide, kSide, seed);
    int32_t r = kSide / 2;
    for (int32_t y = 0; y < kSide; ++y)
        for (int32_t x = 0; x < kSide; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) > r * r) surface->SetPixel(x, y, kKey);
    return surface;
}

struct Mover {
    CxSprite* sprite;
    int32_t x, y, dx, dy;

    void Step()
    {
        if (x + dx < 0 || x + dx > kWidth - kSide) dx = -dx;
        if (y + dy < 0 || y + dy > kHeight - kSide) dy = -dy;
        x += dx;
        y += dy;
        sprite->Paint(x, y);
    }
};

class Scene {
public:
    Scene()
    {
        SetDisplayBufferCount(CxSize{kWidth, kHeight}, 1);
        screen_.Create(kWidth, kHeight, 32);
        Add(Picture(kWidth, kHeight, 7), 0, 0)->SetZOrder(Z_BACK);
        uint32_t seed = 99;
        for (int i = 0; i < kSprites; ++i) {
            seed = seed * 1664525u + 1013904223u;
            int32_t x = int32_t(seed % (kWidth - kSide)), y = int32_t((seed >> 12) % (kHeight - kSide));
            CxSprite* sprite = Add(Ball(seed), x, y);
            sprite->SetMaskColor(kKey);
            movers_.push_back({sprite, x, y, int32_t(seed % 7) - 3, int32_t((seed >> 4) % 7) - 3});
        }
        Paint();
    }
    ~Scene()
    {
        for (auto it = sprites_.rbegin(); it != sprites_.rend(); ++it) delete *it;
        ShutdownDisplayTree();
    }

    void Move()
    {
        for (Mover& m : movers_) m.Step();
    }
    void InvalidateAll() { InvalidateRect(CxRect{0, 0, kWidth - 1, kHeight - 1}); }

    // Paints the current dirty rectangles; returns their area.
    int64_t Paint()
    {
        PaintDirtyRects(&screen_, &painted_);
        int64_t area = 0;
        for (auto* node = painted_.GetHead(); node; node = node->next)
            area += int64_t(node->value.Width()) * node->value.Height();
        return area;
    }
    CxDrawSurface& Screen() { return screen_; }

private:
    CxSprite* Add(CxDrawSurface* picture, int32_t x, int32_t y)
    {
        auto* sprite = new CxSprite;
        sprite->Create(x, y, 0, 0, GetRootObject(), 0);
        sprite->SetSurface(picture, 1);
        sprite->Paint();
        sprites_.push_back(sprite);
        return sprite;
    }

    CxDrawSurface screen_;
    CxLinkedList<CxRect> painted_;
    std::vector<CxSprite*> sprites_;
    std::vector<Mover> movers_;
};

void Report(benchmark::State& state, int64_t area)
{
    state.counters["painted_px"] = benchmark::Counter(double(area) / double(state.iterations()));
}

void BM_MovingSpritesDirtyRects(benchmark::State& state)
{
    Scene scene;
    int64_t area = 0;
    for (auto _ : state) {
        scene.Move();
        area += scene.Paint();
        benchmark::DoNotOptimize(scene.Screen().GetBits());
    }
    Report(state, area);
}

void BM_MovingSpritesFullRepaint(benchmark::State& state)
{
    Scene scene;
    int64_t area = 0;
    for (auto _ : state) {
        scene.Move();
        scene.InvalidateAll();
        area += scene.Paint();
        benchmark::DoNotOptimize(scene.Screen().GetBits());
    }
    Report(state, area);
}
}  // namespace

BENCHMARK(BM_MovingSpritesDirtyRects)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MovingSpritesFullRepaint)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
