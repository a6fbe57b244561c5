#include "platform/window/PlatformCursor.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <string>
#include <vector>

// SDL's headless drivers have no cursors at all; CTest also runs this test
// under Xvfb, where they are real.
TEST(PlatformCursor, ImageCursorsByIdAndTheirReplacement)
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::string(driver) == "dummy" || std::string(driver) == "offscreen"))
        GTEST_SKIP() << "no cursors without a display; see the xvfb test";
    PlatWindowDesc desc;
    ASSERT_TRUE(PlatWindowCreate(desc)) << PlatLastError();
    std::vector<uint32_t> pixels(16 * 16, 0xFF00FF00);
    EXPECT_FALSE(PlatCursorSetImage(11));
    EXPECT_TRUE(PlatCursorDefineImage(11, pixels.data(), 16, 16, 3, 4));
    EXPECT_TRUE(PlatCursorDefineImage(11, pixels.data(), 16, 16, 0, 0));   // replaced, not leaked
    EXPECT_TRUE(PlatCursorSetImage(11));
    EXPECT_FALSE(PlatCursorDefineImage(12, nullptr, 16, 16, 0, 0));
    EXPECT_FALSE(PlatCursorDefineImage(12, pixels.data(), 0, 16, 0, 0));
    PlatCursorForgetImages();
    EXPECT_FALSE(PlatCursorSetImage(11));
    int32_t x = -1, y = -1;
    PlatMousePosition(&x, &y);
    EXPECT_GE(x, 0);
    PlatVideoStop();
}

// SDL frees its cursors when the video stops, so the video's shutdown
// releases ours first; cursors are made again when next wanted.
TEST(PlatformCursor, ReleasedCursorsAreMadeAgain)
{
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (driver && (std::string(driver) == "dummy" || std::string(driver) == "offscreen"))
        GTEST_SKIP() << "no cursors without a display; see the xvfb test";
    PlatWindowDesc desc;
    ASSERT_TRUE(PlatWindowCreate(desc)) << PlatLastError();
    std::vector<uint32_t> pixels(8 * 8, 0xFFFF0000);
    ASSERT_TRUE(PlatCursorDefineImage(12, pixels.data(), 8, 8, 0, 0));
    ASSERT_TRUE(PlatCursorSetShape(PLAT_CURSOR_HAND));
    PlatCursorRelease();
    EXPECT_FALSE(PlatCursorSetImage(12));
    EXPECT_TRUE(PlatCursorSetShape(PLAT_CURSOR_HAND));
    PlatVideoStop();
}
