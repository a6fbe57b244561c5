#include "foundation/CxMemory.h"
#include "foundation/CxObject.h"

#include <gtest/gtest.h>

namespace {
size_t gAskedFor = 0;
void ReleaseEverything(size_t wanted)
{
    gAskedFor = wanted;
    QorSetAllocationLimit(0);   // "the cache gave back enough"
}
struct Empty : CxObject {};
}  // namespace

TEST(QorAlloc, RoundsToTheGranuleAndZeroFills)
{
    size_t before = QorBytesInUse();
    auto* block = static_cast<unsigned char*>(QorAlloc(13, "test", __LINE__, true));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(QorBytesInUse() - before, 16u);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(block[i], 0);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(block) % 8, 0u);
    QorFree(block);
    EXPECT_EQ(QorBytesInUse(), before);
    QorFree(nullptr);
}

TEST(QorAlloc, ZeroByteObjectsAreRealBlocks)
{
    void* a = CxObject::operator new(0);
    void* b = CxObject::operator new(0);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(a, b);
    CxObject::operator delete(a);
    CxObject::operator delete(b);
    delete new Empty;
}

TEST(QorAlloc, LowMemoryProcedureRunsOnceAndRetries)
{
    QorMemStart();
    QorSetLowMemoryHandler(ReleaseEverything);
    QorSetAllocationLimit(QorBytesInUse() + 8);
    gAskedFor = 0;
    void* block = QorAlloc(100, "test", __LINE__, false);
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(gAskedFor, 104u + 1024u);
    QorFree(block);

    QorSetLowMemoryHandler(nullptr);
    QorSetAllocationLimit(QorBytesInUse() + 8);
    EXPECT_EQ(QorAlloc(100, "test", __LINE__, false), nullptr);
    QorSetAllocationLimit(0);
    QorMemStop();
}

TEST(QorAlloc, ReallocKeepsTheContents)
{
    auto* block = static_cast<char*>(QorAlloc(8, "test", __LINE__, true));
    block[0] = 'q';
    block = static_cast<char*>(QorRealloc(block, 4096, "test", __LINE__));
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0], 'q');
    QorFree(block);
}
