// Files written by another tool decode to the same pixels: reference
// pictures made here are converted by ImageMagick's `convert` into each
// variant of the formats we read, decoded by our readers, and compared with
// ImageMagick's own decode of the same file.  Skipped when `convert` (or its
// TGA support) is missing.
#include "GraphicsTestUtil.h"
#include "TestSupport.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {
constexpr int kWidth = 16, kHeight = 13;

// Reference pictures as RGBA bytes.  The smooth one has varying alpha; the
// flat one has 208 colours, few enough for palette formats to keep exactly.
std::string Smooth()
{
    std::string p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            p += {char(x * 16), char(y * 19), char((x + y) * 9), char(x * 16 + y)};
    return p;
}

std::string Flat()
{
    std::string p;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) p += {char(x * 17), char(255 - y * 19), char(96), char(255)};
    return p;
}

bool Shell(const std::string& command) { return std::system((command + " > /dev/null 2>&1").c_str()) == 0; }

using Decode = int (*)(CxDrawSurface*, const uint8_t*, size_t, const char*);

struct Variant {
    const char* name;
    bool flat;            // which reference picture
    const char* options;  // convert options before the output name
    const char* output;   // output file name, with any format prefix
    Decode decode;
    bool colourOnly;      // compare red, green, blue only
    int bits;             // channel precision of the file
    bool makeTopDown;     // turn the bottom-up BMP into a top-down one before decoding
};

const Variant kVariants[] = {
    {"tga 24 bottom-up", false, "-alpha off -type TrueColor", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 24 top-down", false, "-alpha off -type TrueColor -orient TopLeft", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 24 rle", false, "-alpha off -type TrueColor -compress RLE", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 32 bottom-up", false, "-type TrueColorAlpha", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 32 top-down", false, "-type TrueColorAlpha -orient TopLeft", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 32 rle", false, "-type TrueColorAlpha -compress RLE -orient TopLeft", "v.tga", QorDecodeTGA, false, 8, false},
    {"tga 16", false, "-alpha off -define tga:bits-per-pixel=16", "v.tga", QorDecodeTGA, true, 5, false},
    {"tga 16 rle", false, "-alpha off -define tga:bits-per-pixel=16 -compress RLE", "v.tga", QorDecodeTGA, true, 5, false},
    {"tga 8 colour-mapped", true, "-type Palette", "v.tga", QorDecodeTGA, false, 8, false},
    {"pcx 8 palette", true, "-type Palette", "v.pcx", QorDecodePCX, false, 8, false},
    {"pcx 24", false, "-alpha off -type TrueColor", "v.pcx", QorDecodePCX, false, 8, false},
    {"bmp 8 bottom-up", true, "-type Palette -compress None", "BMP3:v.bmp", QorDecodeBMP, false, 8, false},
    {"bmp 8 top-down", true, "-type Palette -compress None", "BMP3:v.bmp", QorDecodeBMP, false, 8, true},
    {"bmp 24 bottom-up", false, "-alpha off -type TrueColor", "BMP3:v.bmp", QorDecodeBMP, false, 8, false},
    {"bmp 24 top-down", false, "-alpha off -type TrueColor", "BMP3:v.bmp", QorDecodeBMP, false, 8, true},
    {"bmp 32 bit fields", false, "-type TrueColorAlpha", "v.bmp", QorDecodeBMP, false, 8, false},
    {"bmp 32 top-down", false, "-type TrueColorAlpha", "v.bmp", QorDecodeBMP, false, 8, true},
};

// Reverses the rows of a bottom-up bitmap and negates its height.
void MakeTopDown(std::string& bmp)
{
    auto u32 = [&](size_t at) { return uint32_t(uint8_t(bmp[at])) | uint32_t(uint8_t(bmp[at + 1])) << 8 | uint32_t(uint8_t(bmp[at + 2])) << 16 | uint32_t(uint8_t(bmp[at + 3])) << 24; };
    uint32_t offset = u32(10), width = u32(18), height = u32(22), depth = uint32_t(uint8_t(bmp[28]) | uint8_t(bmp[29]) << 8);
    size_t pitch = ((width * depth + 31) / 32) * 4;
    std::string rows = bmp.substr(offset, pitch * height);
    for (uint32_t y = 0; y < height; ++y) bmp.replace(offset + y * pitch, pitch, rows.substr((height - 1 - y) * pitch, pitch));
    uint32_t negative = uint32_t(-int32_t(height));
    for (int i = 0; i < 4; ++i) bmp[22 + i] = char(negative >> (8 * i));
}

class ImageMagick : public ::testing::TestWithParam<int> {};
}  // namespace

TEST_P(ImageMagick, OurDecodeMatchesTheirs)
{
    InTempDir dir;
    if (!Shell("convert -size 1x1 xc:red probe.tga") || ReadFileBytes(dir.File("probe.tga")).size() < 18)
        GTEST_SKIP() << "ImageMagick's convert is not installed";
    const Variant& v = kVariants[GetParam()];
    WriteFileBytes(dir.File("ref.rgba"), v.flat ? Flat() : Smooth());
    std::string size = std::to_string(kWidth) + "x" + std::to_string(kHeight);
    ASSERT_TRUE(Shell("convert -size " + size + " -depth 8 rgba:ref.rgba " + v.options + " " + v.output)) << v.name;
    std::string file = ReadFileBytes(dir.File("v." + std::string(v.output).substr(std::string(v.output).rfind('.') + 1)));
    ASSERT_GT(file.size(), 18u);
    std::string fileName = std::string(v.output).substr(std::string(v.output).find(':') + 1);
    if (v.makeTopDown) {
        MakeTopDown(file);
        WriteFileBytes(dir.File(fileName), file);
    }
    // Their plain decode keeps a Targa's rows in stored order and only records
    // the orientation; -auto-orient applies it, as the format defines.
    ASSERT_TRUE(Shell("convert " + fileName + " -auto-orient -depth 8 rgba:theirs.rgba")) << v.name;
    std::string theirs = ReadFileBytes(dir.File("theirs.rgba"));
    ASSERT_EQ(theirs.size(), size_t(kWidth * kHeight * 4)) << v.name;

    ErrorCapture capture;
    CxDrawSurface ours;
    ASSERT_EQ(v.decode(&ours, reinterpret_cast<const uint8_t*>(file.data()), file.size(), fileName.c_str()), 0) << v.name;
    ASSERT_EQ(ours.GetWidth(), kWidth);
    ASSERT_EQ(ours.GetHeight(), kHeight);
    std::vector<uint8_t> mine = Rgba(ours);
    int mismatches = 0;
    for (size_t i = 0; i < mine.size() && mismatches < 5; ++i) {
        if (v.colourOnly && i % 4 == 3) continue;
        int want = uint8_t(theirs[i]) >> (8 - v.bits), got = mine[i] >> (8 - v.bits);
        if (want != got) {
            ++mismatches;
            ADD_FAILURE() << v.name << ": pixel " << i / 4 << " channel " << i % 4 << " ours " << int(mine[i]) << " theirs "
                          << int(uint8_t(theirs[i]));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Variants, ImageMagick, ::testing::Range(0, int(sizeof kVariants / sizeof kVariants[0])),
                         [](const ::testing::TestParamInfo<int>& info) {
                             std::string name = kVariants[info.param].name;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });
