// Both 2D screens show exactly the rectangles they are given.
#include "platform/window/PlatformScreen.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

namespace {
class Screens : public ::testing::TestWithParam<PlatScreenKind> {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        PlatWindowDesc desc;
        desc.width = 32;
        desc.height = 24;
        ASSERT_TRUE(PlatWindowCreate(desc)) << PlatLastError();
        screen = PlatScreenOpen(GetParam(), 32, 24, false);
        ASSERT_NE(screen, nullptr);
    }
    void TearDown() override
    {
        PlatScreenClose(screen);
        PlatVideoStop();
    }
    std::vector<uint32_t> Shown()
    {
        std::vector<uint32_t> pixels(32 * 24);
        EXPECT_TRUE(PlatScreenReadPixels(screen, pixels.data(), 32, 24));
        return pixels;
    }
    PlatScreen* screen = nullptr;
};
}  // namespace

TEST_P(Screens, OnlyTheListedRectanglesChange)
{
    std::vector<uint32_t> black(32 * 24, 0), frame(32 * 24, 0x00FF8040);
    ASSERT_TRUE(PlatScreenPresent(screen, black.data(), 32 * 4, PLAT_PIXELS_X8R8G8B8, nullptr, 0));
    PlatRect rects[] = {{2, 3, 5, 4}, {30, 20, 40, 40}};   // the second is clipped to the screen
    ASSERT_TRUE(PlatScreenPresent(screen, frame.data(), 32 * 4, PLAT_PIXELS_X8R8G8B8, rects, 2));
    std::vector<uint32_t> shown = Shown();
    EXPECT_EQ(shown[3 * 32 + 2] & 0xFFFFFF, 0xFF8040u);
    EXPECT_EQ(shown[4 * 32 + 5] & 0xFFFFFF, 0xFF8040u);
    EXPECT_EQ(shown[23 * 32 + 31] & 0xFFFFFF, 0xFF8040u);
    EXPECT_EQ(shown[5 * 32 + 2] & 0xFFFFFF, 0u);
    EXPECT_EQ(shown[0] & 0xFFFFFF, 0u);
}

TEST_P(Screens, SixteenBitBuffersAreShownInTheirColours)
{
    std::vector<uint16_t> frame(32 * 24, 0xF800);   // 5-6-5 pure red
    ASSERT_TRUE(PlatScreenPresent(screen, frame.data(), 32 * 2, PLAT_PIXELS_R5G6B5, nullptr, 0));
    EXPECT_EQ(Shown()[100] & 0xFFFFFF, 0xFF0000u);
    PlatScreenInfo info = PlatScreenGetInfo(screen);
    EXPECT_EQ(info.width, 32);
    EXPECT_GT(info.depth, 0);
}

INSTANTIATE_TEST_SUITE_P(BothKinds, Screens, ::testing::Values(PLAT_SCREEN_WINDOW_SURFACE, PLAT_SCREEN_RENDERER));
