// Widening of 16-bit frames: the vector form against the scalar one for every
// 16-bit value at unaligned starts, and the scalar one against SDL's own
// conversion, which the screens otherwise use.
#include "platform/window/PlatformPixels.h"

#include <gtest/gtest.h>

#include <vector>

TEST(PlatformPixels, VectorWideningMatchesScalarAndThePlatform)
{
    std::vector<uint16_t> all(65536 + 7);
    for (size_t i = 0; i < all.size(); ++i) all[i] = uint16_t(i * 40503u);
    for (PlatPixelLayout layout : {PLAT_PIXELS_R5G6B5, PLAT_PIXELS_X1R5G5B5}) {
        for (int offset = 0; offset < 3; ++offset) {
            int32_t count = 65536 + 4 - offset;
            std::vector<uint32_t> fast(static_cast<size_t>(count)), plain(static_cast<size_t>(count));
            PlatWiden16(all.data() + offset, fast.data(), count, layout);
            PlatWiden16Scalar(all.data() + offset, plain.data(), count, layout);
            ASSERT_EQ(fast, plain) << "layout " << layout << " offset " << offset;
        }
        EXPECT_TRUE(PlatWidenMatchesPlatform(layout)) << "layout " << layout;
    }
    EXPECT_FALSE(PlatWidenMatchesPlatform(PLAT_PIXELS_X8R8G8B8));
}
