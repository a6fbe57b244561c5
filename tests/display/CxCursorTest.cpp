// Cursors: the built-in shapes, selection and the redraw request, the hide
// counter, drawing with the save-under surface, named cursors and the
// script functions.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "core/CxOptions.h"
#include "core/CxTime.h"
#include "display/CxCursor.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>
#include <lua.hpp>
#include <climits>
#include <cstdlib>
#include <string>

namespace {
constexpr CxPixel kBackground = 0xFF204060;

class Cursors : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        InitCursors(true, 32, 0);
        target.Create(60, 50, 32);
        target.FillRect(nullptr, kBackground);
    }
    void TearDown() override { ShutdownCursors(); }
    // Draws and takes the cursor away again, as a frame being presented does.
    void Frame()
    {
        DrawCursor(&target);
        RestoreUnderCursor(&target);
    }
    int CountChanged() { return target.GetWidth() * target.GetHeight() - target.CountPixels(kBackground); }
    CxDrawSurface target;
    ErrorCapture capture;
};

// A solid 32-bit picture with a transparent corner colour.
CxDrawSurface* Solid(int32_t w, int32_t h, CxPixel colour)
{
    auto* s = new CxDrawSurface;
    s->Create(w, h, 32);
    s->FillRect(nullptr, colour);
    return s;
}
}  // namespace

TEST_F(Cursors, BuiltInShapesSizesAndHotSpots)
{
    const CxSize sizes[] = {{11, 20}, {13, 24}, {7, 16}, {18, 20}};
    const CxPoint hots[] = {{0, 0}, {6, 10}, {3, 7}, {8, 10}};
    const CxPoint clear[] = {{10, 0}, {0, 3}, {3, 0}, {0, 0}};   // a '.' of each shape
    for (int32_t id = CURSOR_ARROW; id <= CURSOR_HAND; ++id) {
        CxCursorImage* cursor = FindCursor(id);
        ASSERT_NE(cursor, nullptr) << id;
        EXPECT_EQ(cursor->image->GetSize(), sizes[id]) << id;
        EXPECT_EQ(cursor->hotSpot, hots[id]) << id;
        EXPECT_EQ(cursor->image->GetDepth(), 32) << id;   // converted to the screen depth
        // Transparency survives the conversion: a corner that was index 10 is still see-through.
        EXPECT_EQ(cursor->image->GetPixel(clear[id].x, clear[id].y), cursor->image->GetTransparentColor()) << id;
        EXPECT_NE(cursor->image->GetPixel(hots[id].x, hots[id].y), cursor->image->GetTransparentColor()) << id;
    }
    EXPECT_EQ(MakeBuiltInCursor(4, nullptr), nullptr);
    EXPECT_EQ(GetCursorId(), CURSOR_ARROW);
    EXPECT_EQ(GetSaveUnderSize(), (CxSize{18, 24}));   // the largest frame in each direction
}

TEST_F(Cursors, DrawingLeavesNothingBehind)
{
    SetCursorPosition(CxPoint{20, 20});
    SetCursorId(CURSOR_HAND);
    ASSERT_TRUE(DrawCursor(&target));
    EXPECT_NE(target.GetPixel(20, 20), kBackground);   // the hot spot lies on the shape
    EXPECT_EQ(GetCursorRect(), (CxRect{12, 10, 29, 29}));
    RestoreUnderCursor(&target);
    EXPECT_EQ(CountChanged(), 0);

    SetCursorPosition(CxPoint{55, 45});   // partly off the surface: clipped, still restored
    ASSERT_TRUE(DrawCursor(&target));
    RestoreUnderCursor(&target);
    EXPECT_EQ(CountChanged(), 0);
}

TEST_F(Cursors, RedrawOnlyWhenSomethingChanged)
{
    SetCursorPosition(CxPoint{5, 5});
    EXPECT_TRUE(CursorMoved());   // never drawn yet
    Frame();
    EXPECT_FALSE(CursorMoved());
    SetCursorId(CURSOR_ARROW);    // the current id: no redraw request
    EXPECT_FALSE(CursorMoved());
    SetCursorId(CURSOR_BEAM);
    EXPECT_TRUE(CursorMoved());
    EXPECT_EQ(GetCursorId(), CURSOR_BEAM);
    Frame();
    SetCursorPosition(CxPoint{6, 5});
    EXPECT_TRUE(CursorMoved());
    SetCursorId(77);              // unknown: the current image stays
    EXPECT_EQ(GetCursorId(), CURSOR_BEAM);
    SetDefaultCursorId(CURSOR_HAND);
    SelectDefaultCursor();        // as every mouse move over a plain display object does
    EXPECT_EQ(GetCursorId(), CURSOR_HAND);
}

TEST_F(Cursors, HidingNestsAndTakesTheCursorAway)
{
    SetCursorPosition(CxPoint{10, 10});
    Frame();
    HideCursor();
    HideCursor();
    EXPECT_TRUE(CursorMoved());   // it is still on the screen and must be uncovered
    EXPECT_FALSE(DrawCursor(&target));
    EXPECT_TRUE(GetCursorRect().IsEmpty());
    EXPECT_FALSE(CursorMoved());
    ShowCursor();
    EXPECT_TRUE(IsCursorHidden());
    ShowCursor();
    EXPECT_FALSE(IsCursorHidden());
    ShowCursor();                 // unmatched: ignored, so one HideCursor hides again
    HideCursor();
    EXPECT_TRUE(IsCursorHidden());
    ShowCursor();
    EXPECT_TRUE(DrawCursor(&target));
    RestoreUnderCursor(&target);
    EXPECT_EQ(CountChanged(), 0);
}

TEST_F(Cursors, GrowingTheSaveUnderKeepsTheSavedPixels)
{
    SetCursorPosition(CxPoint{30, 30});
    SetCursorId(CURSOR_BUSY);
    ASSERT_TRUE(DrawCursor(&target));
    CxDrawSurface* big = Solid(40, 30, 0xFFFF0000);
    ASSERT_EQ(AddCursor(big, 20, 0, 0), 0);
    EXPECT_EQ(GetSaveUnderSize(), (CxSize{40, 30}));
    RestoreUnderCursor(&target);
    EXPECT_EQ(CountChanged(), 0);
}

TEST_F(Cursors, RemovingTheDefaultAndTheCurrent)
{
    ASSERT_EQ(AddCursor(Solid(4, 4, 0xFF00FF00), 12, 1, 1), 0);
    SetDefaultCursorId(12);
    SetCursorId(12);
    EXPECT_EQ(GetCursorId(), 12);
    ASSERT_EQ(AddCursor(Solid(5, 5, 0xFF0000FF), 12, 2, 2), 0);   // same id replaces
    EXPECT_EQ(FindCursor(12)->hotSpot, (CxPoint{2, 2}));
    EXPECT_EQ(GetCursorId(), 0);   // the replaced image was current
    SetCursorId(CURSOR_ARROW);
    SetCursorId(12);
    RemoveCursor(12);
    EXPECT_EQ(GetDefaultCursorId(), 0);
    EXPECT_EQ(GetCursorId(), 0);
    EXPECT_EQ(FindCursor(12), nullptr);
    EXPECT_FALSE(DrawCursor(&target));

    EXPECT_EQ(AddCursor(nullptr, 13, 0, 0), ERR_INVALID_ARGUMENT);
    ASSERT_EQ(ErrorCapture::Reports().size(), 1u);
    EXPECT_EQ(ErrorCapture::Reports()[0].code, ERR_INVALID_ARGUMENT);
}

TEST_F(Cursors, AnimatedCursorsStepAtTheirRate)
{
    static uint32_t now = 1000;
    QorSetTickSource([] { return now; });
    CxDrawSurface* strip = Solid(8, 4, 0xFFFF0000);
    CxRect second{4, 0, 7, 3};
    strip->FillRect(&second, 0xFF00FF00);
    ASSERT_EQ(AddCursor(strip, 30, 0, 0), 0);
    ASSERT_EQ(SetCursorAnimation(30, 2, 10.0), 0);   // 100 ms a frame
    EXPECT_NE(SetCursorAnimation(30, 9, 10.0), 0);   // more frames than columns
    SetCursorId(30);
    SetCursorPosition(CxPoint{0, 0});
    DrawCursor(&target);
    EXPECT_EQ(target.GetPixel(0, 0), 0xFFFF0000u);
    RestoreUnderCursor(&target);
    now += 50;
    DrawCursor(&target);
    EXPECT_EQ(target.GetPixel(0, 0), 0xFFFF0000u);
    RestoreUnderCursor(&target);
    EXPECT_TRUE(CursorMoved());   // an animated cursor always wants drawing
    now += 60;
    DrawCursor(&target);
    EXPECT_EQ(target.GetPixel(0, 0), 0xFF00FF00u);
    EXPECT_EQ(GetCursorRect(), (CxRect{0, 0, 3, 3}));
    RestoreUnderCursor(&target);
    QorSetTickSource(nullptr);
}

TEST_F(Cursors, NamedCursorsFromTheOptions)
{
    InTempDir dir;
    RegisterEngineImageFilters();
    CxDrawSurface* picture = Solid(6, 6, 0xFF123456);
    picture->SetPixel(3, 3, 0xFFFFFFFF);
    ASSERT_EQ(picture->Save("paw.tga"), 0);
    delete picture;
    const char text[] = "[Cursors]\nPaw = 3, 3, paw.tga\nBroken = three\nBrush=1,2, paw.tga \nComb = 0, 0, none.tga\n";
    CxOptions options;
    options.LoadFromMemory(text, sizeof text - 1);
    EXPECT_EQ(LoadNamedCursors(options), 2);
    EXPECT_EQ(ErrorCapture::Reports().size(), 2u);   // the bad entry and the missing picture
    EXPECT_EQ(GetCursorIDFromName("Paw"), 10);
    EXPECT_EQ(GetCursorIDFromName("brush"), 12);   // a broken entry still takes its id
    EXPECT_EQ(GetCursorIDFromName("Tail"), 0);
    EXPECT_EQ(FindCursor(12)->hotSpot, (CxPoint{1, 2}));
    EXPECT_EQ(FindCursor(11), nullptr);
    // The corner pixel is the transparent colour: only the centre shows.
    SetCursorId(10);
    SetCursorPosition(CxPoint{10, 10});
    DrawCursor(&target);
    EXPECT_EQ(CountChanged(), 1);
    RestoreUnderCursor(&target);
    EXPECT_EQ(GetDefaultCursorId(), 13);   // the last entry, even without a picture
    UnregisterImageFilters("*");
}

TEST_F(Cursors, ScriptFunctions)
{
    lua_State* L = luaL_newstate();
    luaL_openlibs(L);
    RegisterCursorScriptFunctions(L);
    const char* script =
        "assert(GetCursor() == 0)\n"
        "SetCursor(3) assert(GetCursor() == 3)\n"
        "SetDefaultCursor(2) assert(GetDefaultCursor() == 2)\n"
        "HideCursor() HideCursor() ShowCursor()\n"
        "assert(GetCursorIDFromName('nothing') == 0)\n"
        "assert(GetCursorIDFromName(nil) == 0)\n"
        "assert(not pcall(SetCursor, 'hand'))\n";
    ASSERT_EQ(luaL_dostring(L, script), 0) << lua_tostring(L, -1);
    EXPECT_TRUE(IsCursorHidden());
    EXPECT_EQ(GetCursorId(), CURSOR_HAND);
    lua_close(L);
}

TEST(SystemCursors, IdsAreKeptWithoutCustomDrawing)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    InitCursors(false, 32, 0);
    EXPECT_EQ(FindCursor(CURSOR_ARROW), nullptr);   // the system shapes stand in
    SetCursorId(CURSOR_BEAM);
    EXPECT_EQ(GetCursorId(), CURSOR_BEAM);
    SetCursorId(99);
    EXPECT_EQ(GetCursorId(), 99);
    CxDrawSurface target;
    target.Create(8, 8, 32);
    EXPECT_FALSE(DrawCursor(&target));
    EXPECT_FALSE(CursorMoved());
    ShutdownCursors();
}

TEST(CursorEntries, ReadOrRefused)
{
    struct Case {
        const char* value;
        bool ok;
        CxPoint hot;
        const char* path;
    };
    const Case cases[] = {
        {"3, 3, paw.tga", true, {3, 3}, "paw.tga"},
        {"1,2,COMMON/hand pointer.QOR \t\r", true, {1, 2}, "COMMON/hand pointer.QOR"},
        {"-4 , 7 ,x.tga\nmore", true, {-4, 7}, "x.tga"},
        {"99999999999, -99999999999, big.tga", true, {INT32_MAX, INT32_MIN}, "big.tga"},
        {"", false, {}, ""},
        {"three", false, {}, ""},
        {"1, 2", false, {}, ""},
        {"1, 2,   ", false, {}, ""},
        {"1; 2; a.tga", false, {}, ""},
        {"a, 2, a.tga", false, {}, ""},
    };
    for (const Case& c : cases) {
        CxPoint hot{-99, -99};
        char path[64] = "";
        EXPECT_EQ(ParseCursorEntry(c.value, &hot, path, sizeof path), c.ok) << c.value;
        if (!c.ok) continue;
        EXPECT_EQ(hot, c.hot) << c.value;
        EXPECT_STREQ(path, c.path) << c.value;
    }
    std::string longPath = "0, 0, " + std::string(64, 'p');   // would not fit: refused, not cut
    char path[64];
    CxPoint hot;
    EXPECT_FALSE(ParseCursorEntry(longPath.c_str(), &hot, path, sizeof path));
    EXPECT_FALSE(ParseCursorEntry(nullptr, &hot, path, sizeof path));
}
