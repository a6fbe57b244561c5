#include "platform/window/PlatformCursor.h"
#include "platform/window/PlatformWindow.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <vector>

TEST(PlatformCursor, ImageCursorsByIdAndTheirReplacement)
{
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    PlatWindowDesc desc;
    ASSERT_TRUE(PlatWindowCreate(desc));
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
