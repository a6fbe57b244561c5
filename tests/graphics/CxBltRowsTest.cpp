// The blitter's vector row kernels against their scalar references, bit for
// bit, on random rows with the alphas where the arithmetic changes (0, 1,
// 254, 255), rows of every length up to a few vectors, and starts that are
// not aligned to a vector.
#include "graphics/CxBltRows.h"
#include "graphics/CxSurf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> RandomPixels(std::mt19937& random, size_t count)
{
    static const uint32_t kEdgeAlphas[] = {0, 1, 254, 255};
    std::vector<uint8_t> bytes(count * 4);
    for (size_t i = 0; i < count; ++i) {
        uint32_t v = random();
        if (random() % 2) v = (v & 0xFFFFFF) | kEdgeAlphas[random() % 4] << 24;
        if (random() % 8 == 0) v = 0xFFFFFFFF;   // opaque white: also the key in some rows
        std::memcpy(&bytes[4 * i], &v, 4);
    }
    return bytes;
}

struct AlphaForm {
    const char* name;
    CxAlphaRow32 row;
};

TEST(BltRows, AlphaBlendFormsMatchTheScalarReference)
{
    std::vector<AlphaForm> forms{{"sse2", CxAlphaRow32Sse2}};
    if (CxCpuHasAvx2()) forms.push_back({"avx2", CxAlphaRow32Avx2});
    std::mt19937 random(7);
    const CxRowKey keys[] = {{}, {true, 0xFFFFFFFF}, {true, 0x80FF0000}, {true, 0}};
    for (const AlphaForm& form : forms)
        for (int32_t count = 0; count <= 37; ++count)
            for (int offset = 0; offset < 4; ++offset)
                for (const CxRowKey& key : keys) {
                    std::vector<uint8_t> src = RandomPixels(random, size_t(count + offset));
                    std::vector<uint8_t> dst = RandomPixels(random, size_t(count + offset)), expected = dst;
                    if (count > 2) std::memcpy(&src[4 * offset], &key.value, 4);   // one keyed pixel
                    CxAlphaRow32Scalar(src.data() + 4 * offset, expected.data() + 4 * offset, count, key);
                    form.row(src.data() + 4 * offset, dst.data() + 4 * offset, count, key);
                    ASSERT_EQ(dst, expected) << form.name << " count " << count << " offset " << offset
                                             << " key " << key.keyed << " " << std::hex << key.value;
                }
}

TEST(BltRows, PackFormsMatchTheScalarReferenceInEveryLayout)
{
    const uint8_t formats[] = {PIXFMT_555, PIXFMT_565, PIXFMT_556, PIXFMT_655, PIXFMT_4444, PIXFMT_555_BGR};
    std::mt19937 random(11);
    for (uint8_t format : formats) {
        CxChannelLayout layout = GetChannelLayout(format, 16);
        for (int32_t count = 0; count <= 41; ++count)
            for (int offset = 0; offset < 3; ++offset)
                for (bool keyed : {false, true}) {
                    std::vector<uint8_t> src = RandomPixels(random, size_t(count + offset));
                    std::vector<uint8_t> dst(size_t(count + offset) * 2);
                    for (uint8_t& b : dst) b = uint8_t(random());
                    std::vector<uint8_t> expected = dst;
                    CxRowKey key{keyed, 0xFFFFFFFF};
                    CxPackRow16Scalar(src.data() + 4 * offset, expected.data() + 2 * offset, count, key, layout);
                    CxPackRow16Vector(src.data() + 4 * offset, dst.data() + 2 * offset, count, key, layout);
                    ASSERT_EQ(dst, expected) << "format " << int(format) << " count " << count << " offset " << offset;
                }
    }
}

// The fast 32 -> 16 copy gives what the per-pixel definition gives: each
// pixel decoded to 8-bit channels and encoded in the destination's format,
// pixels of the transparent colour left alone.
TEST(BltRows, PlainCopyOntoSixteenBitsKeepsThePerPixelDefinition)
{
    for (uint8_t format : {PIXFMT_565, PIXFMT_555, PIXFMT_4444}) {
        CxDrawSurface src, dst, expected;
        src.Create(45, 7, 32);
        dst.Create(45, 7, 16, -1, nullptr, format);
        expected.Create(45, 7, 16, -1, nullptr, format);
        std::mt19937 random(format);
        for (int32_t y = 0; y < 7; ++y)
            for (int32_t x = 0; x < 45; ++x) {
                src.SetPixel(x, y, (x + y) % 5 == 0 ? 0xFF102030u : uint32_t(random()));
                uint32_t under = random() & 0xFFFF;
                dst.SetPixel(x, y, under);
                expected.SetPixel(x, y, under);
            }
        src.SetTransparentColor(0xFF102030);
        for (int32_t y = 1; y < 7; ++y)
            for (int32_t x = 3; x < 45; ++x) {
                CxPixel v = src.GetPixel(x - 3, y - 1);
                if (v == 0xFF102030) continue;
                int a, r, g, b;
                src.DecodePixel(v, a, r, g, b);
                expected.SetPixel(x, y, expected.EncodeColor(r, g, b, a));
            }
        src.BltAt(&dst, 3, 1);
        for (int32_t y = 0; y < 7; ++y)
            for (int32_t x = 0; x < 45; ++x)
                ASSERT_EQ(dst.GetPixel(x, y), expected.GetPixel(x, y)) << "format " << int(format) << " at " << x << "," << y;
    }
}

}  // namespace
