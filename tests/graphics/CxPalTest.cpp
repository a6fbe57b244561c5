#include "../core/ErrorCapture.h"
#include "foundation/CxMemory.h"
#include "graphics/CxPal.h"

#include <gtest/gtest.h>

TEST(OSPalette, EntriesStayInsideAndChangesAreCounted)
{
    ErrorCapture capture;
    CxOSPalette p;
    EXPECT_EQ(p.Create(257), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(capture.Reports().back().message, "Invalid palette size 257");
    const uint8_t rgb[6] = {1, 2, 3, 4, 5, 6};
    CxOSPalette q;
    ASSERT_EQ(q.Create(4, nullptr), 0);
    uint32_t version = q.GetVersion();
    q.SetEntries(3, 2, rgb);   // the second entry would fall outside
    EXPECT_GT(q.GetVersion(), version);
    uint8_t out[9];
    q.GetEntries(2, 3, out);
    EXPECT_EQ(out[3], 1);
    EXPECT_EQ(out[5], 3);
    EXPECT_EQ(out[0], 0);
    EXPECT_EQ(out[8], 0);   // outside reads as black
}

TEST(OSPalette, AllocationFailureHasItsMessage)
{
    ErrorCapture capture;
    CxOSPalette p;
    QorSetAllocationLimit(QorBytesInUse() + 100);
    EXPECT_EQ(p.Create(256), ERR_OUT_OF_MEMORY);
    QorSetAllocationLimit(0);
    EXPECT_EQ(capture.Reports().back().message, "Error allocating 768 bytes for palette");
    EXPECT_EQ(p.GetEntryCount(), 0);
}
