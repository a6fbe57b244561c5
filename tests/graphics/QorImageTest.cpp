// Image files: the filter registry, exact round trips of the writers, the
// documented edge cases, and refusals of damaged files with their messages.
#include "GraphicsTestUtil.h"
#include "TestSupport.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {
using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const CxImageBytes& b) { return Bytes(b.Data(), b.Data() + b.Size()); }
void PutU16(Bytes& b, size_t at, uint16_t v) { b[at] = uint8_t(v), b[at + 1] = uint8_t(v >> 8); }
void PutU32(Bytes& b, size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i)); }
uint32_t U32At(const Bytes& b, size_t at) { return uint32_t(b[at]) | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24; }

using Decode = int (*)(CxDrawSurface*, const uint8_t*, size_t, const char*);

// Decodes and returns the error code and the first reported message.
struct Outcome { int code; std::string message; };
Outcome Try(Decode decode, const Bytes& file, CxDrawSurface* into = nullptr)
{
    ErrorCapture capture;
    CxDrawSurface local;
    CxDrawSurface* s = into ? into : &local;
    int code = decode(s, file.data(), file.size(), "test.img");
    return {code, capture.Reports().empty() ? std::string() : capture.Reports()[0].message};
}

Bytes EncodeQOR(CxDrawSurface& s, uint32_t flags)
{
    CxImageBytes out;
    EXPECT_EQ(QorEncodeQOR(&s, flags, out), 0);
    return ToBytes(out);
}

Bytes EncodeTGA(CxDrawSurface& s, uint32_t flags)
{
    CxImageBytes out;
    EXPECT_EQ(QorEncodeTGA(&s, flags, out), 0);
    return ToBytes(out);
}

void ExpectSamePicture(const CxDrawSurface& a, const CxDrawSurface& b)
{
    ASSERT_EQ(a.GetWidth(), b.GetWidth());
    ASSERT_EQ(a.GetHeight(), b.GetHeight());
    EXPECT_EQ(a.GetDepth(), b.GetDepth());
    EXPECT_EQ(a.GetPixelFormat(), b.GetPixelFormat());
    EXPECT_EQ(Pixels(a), Pixels(b));
    if (a.GetDepth() <= 8) {
        EXPECT_EQ(0, std::memcmp(a.GetPalette(), b.GetPalette(), 3u << a.GetDepth()));
    }
}

// A Windows bitmap with the 40-byte header; rows given top first.
Bytes MakeBMP(int width, int height, int depth, const std::vector<Bytes>& rowsTopFirst, uint32_t colours, bool topDown)
{
    int pitch = ((width * depth + 31) / 32) * 4;
    uint32_t entries = depth <= 8 ? (colours ? colours : 1u << depth) : 0;
    size_t offset = 54 + 4 * entries;
    Bytes b(offset + size_t(pitch) * height, 0);
    b[0] = 'B', b[1] = 'M';
    PutU32(b, 2, uint32_t(b.size()));
    PutU32(b, 10, uint32_t(offset));
    PutU32(b, 14, 40);
    PutU32(b, 18, uint32_t(width));
    PutU32(b, 22, uint32_t(topDown ? -height : height));
    PutU16(b, 26, 1);
    PutU16(b, 28, uint16_t(depth));
    PutU32(b, 46, colours);
    for (uint32_t i = 0; i < entries; ++i) b[54 + 4 * i] = uint8_t(i), b[55 + 4 * i] = uint8_t(2 * i), b[56 + 4 * i] = uint8_t(3 * i);
    for (int y = 0; y < height; ++y) {
        int fileRow = topDown ? y : height - 1 - y;
        std::copy(rowsTopFirst[y].begin(), rowsTopFirst[y].end(), b.begin() + long(offset + size_t(fileRow) * pitch));
    }
    return b;
}

// A PCX file of raw (unpacked) scan lines, each byte stored as a one-byte run.
Bytes MakePCX(int width, int height, int bits, int planes, int bytesPerLine, const Bytes& lines, bool palette)
{
    Bytes b(128, 0);
    b[0] = 10, b[1] = 5, b[2] = 1, b[3] = uint8_t(bits);
    PutU16(b, 8, uint16_t(width - 1));
    PutU16(b, 10, uint16_t(height - 1));
    b[65] = uint8_t(planes);
    PutU16(b, 66, uint16_t(bytesPerLine));
    for (uint8_t v : lines) {
        if (v >= 192) b.push_back(0xC1);
        b.push_back(v);
    }
    if (palette) {
        b.push_back(12);
        for (int i = 0; i < 256; ++i) b.push_back(uint8_t(i)), b.push_back(uint8_t(255 - i)), b.push_back(uint8_t(i / 2));
    }
    return b;
}
}  // namespace

// ======================================================================
// Registry
// ======================================================================

TEST(ImageFilters, RegistryMatchesExtensionsWithoutCaseAndReportsMisses)
{
    InTempDir dir;
    ErrorCapture capture;
    UnregisterImageFilters("*");
    RegisterEngineImageFilters();
    CxDrawSurface s;
    s.Create(3, 2, 24);
    FillPattern(s, 1);
    ASSERT_EQ(s.Save("shot.Tga", 0), 0);
    CxDrawSurface back;
    ASSERT_EQ(back.Load("shot.Tga"), 0);
    EXPECT_STREQ(back.GetName(), "shot.Tga");
    EXPECT_EQ(Pixels(back), Pixels(s));

    EXPECT_EQ(back.Load("picture.xyz"), ERR_UNKNOWN);
    EXPECT_EQ(capture.Reports().back().message, "No image filter registered for 'picture.xyz'");
    EXPECT_EQ(s.Save("picture.pcx"), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(capture.Reports().back().message, "No Save function registered for '.PCX'");
    RegisterImageFilter(".QOR", nullptr, QorSaveQOR);   // the same extension is replaced
    EXPECT_EQ(back.Load("x.qor"), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(capture.Reports().back().message, "No Load function registered for '.QOR'");

    EXPECT_EQ(RegisterImageFilter("png", QorLoadTGA, nullptr), 0);
    EXPECT_EQ(capture.Reports().back().message, "Extension MUST include the period as in '.pcx'");
    for (int i = 0; i < 16; ++i) EXPECT_EQ(RegisterImageFilter((".X" + std::to_string(i)).c_str(), QorLoadTGA, nullptr), 1);
    EXPECT_EQ(RegisterImageFilter(".NEW", QorLoadTGA, nullptr), 0);   // the 21st extension
    EXPECT_EQ(back.Load("a.new"), ERR_UNKNOWN);
    UnregisterImageFilters(".X*");
    EXPECT_EQ(RegisterImageFilter(".NEW", QorLoadTGA, nullptr), 1);
    UnregisterImageFilters("*");
    RegisterEngineImageFilters();
}

TEST(ImageFilters, FileErrorsAreReported)
{
    InTempDir dir;
    ErrorCapture capture;
    RegisterEngineImageFilters();
    CxDrawSurface s;
    EXPECT_EQ(s.Load("missing.tga"), ERR_OPEN_FILE);
    EXPECT_EQ(capture.Reports().back().message, "Could not open file: missing.tga");
    CxDrawSurface fresh;   // a surface in error does nothing, a save included
    fresh.Create(2, 2, 8);
    EXPECT_EQ(fresh.Save("no/such/folder/x.tga"), ERR_OPEN_FILE);
    EXPECT_EQ(capture.Reports().back().message, "Could not create file: no/such/folder/x.tga");
    WriteFileBytes(dir.File("empty.qor"), "");
    RegisterImageFilter(".QOR", QorLoadQOR, QorSaveQOR);
    EXPECT_EQ(fresh.Load("empty.qor"), ERR_INVALID_FILE_TYPE);   // an empty file is no image
}

TEST(ImageFilters, SixteenBitLoadsTakeTheDisplayFormat)
{
    InTempDir dir;
    RegisterEngineImageFilters();
    CxDrawSurface s;
    s.Create(2, 1, 16, -1, nullptr, PIXFMT_555);
    s.SetPixel(0, 0, 0x7FFF);
    ASSERT_EQ(s.Save("w.tga"), 0);
    SetDisplay16BitFormat(PIXFMT_565);
    CxDrawSurface back;
    ASSERT_EQ(back.Load("w.tga"), 0);
    SetDisplay16BitFormat(0);
    EXPECT_EQ(back.GetPixelFormat(), PIXFMT_565);
    EXPECT_EQ(back.GetPixel(0, 0), 0xFFDFu);
}

// ======================================================================
// QOR
// ======================================================================

TEST(ImageQOR, RoundTripsAreExactForEveryDepthAndCompression)
{
    struct { int depth; uint8_t format; } kinds[] = {{1, 0}, {4, 0}, {8, 0}, {16, PIXFMT_565}, {16, PIXFMT_4444}, {24, 0}, {32, 0}};
    for (auto k : kinds)
        for (uint32_t compression : {0u, 1u, 2u}) {
            CxDrawSurface s;
            s.Create(37, 11, k.depth, -1, nullptr, k.format);
            FillTestPalette(s);
            // Half noise, half flat, so that both compressions have work to do.
            FillPattern(s, 3);
            CxRect flat{0, 5, 36, 10};
            s.FillRect(&flat, 1);
            Bytes file = EncodeQOR(s, compression);
            EXPECT_EQ(file[32], compression) << k.depth;
            CxDrawSurface back;
            ASSERT_EQ(Try(QorDecodeQOR, file, &back).code, 0) << k.depth << " " << compression;
            ExpectSamePicture(s, back);
        }
}

TEST(ImageQOR, IncompressiblePixelsAreStoredPlain)
{
    CxDrawSurface s;
    s.Create(16, 16, 32);
    FillPattern(s, 77);
    Bytes file = EncodeQOR(s, 1);
    EXPECT_EQ(file[32], 0);
    EXPECT_EQ(U32At(file, 12), 16u * 16u * 4u);
    CxDrawSurface tiny;
    tiny.Create(5, 1, 32);   // 20 bytes: the LZ scheme stores these as they are
    tiny.FillRect(nullptr, 0);
    Bytes small = EncodeQOR(tiny, 2);
    EXPECT_EQ(small[32], 0);
    CxDrawSurface back;
    ASSERT_EQ(Try(QorDecodeQOR, small, &back).code, 0);
    ExpectSamePicture(tiny, back);
}

TEST(ImageQOR, ChecksumFailureKeepsThePixels)
{
    CxDrawSurface s;
    s.Create(8, 8, 8);
    FillPattern(s, 5);
    Bytes file = EncodeQOR(s, 0);
    file[44 + 768 + 10] ^= 0x40;
    CxDrawSurface back;
    Outcome o = Try(QorDecodeQOR, file, &back);
    EXPECT_EQ(o.code, ERR_CRC);
    EXPECT_EQ(o.message, "QOR Bitmap failed crc check");
    EXPECT_EQ(back.GetBits()[10], s.GetBits()[10] ^ 0x40);
}

TEST(ImageQOR, ChecksumIsTheTableRunFromZero)
{
    const uint8_t one[] = {1};
    EXPECT_EQ(QorChecksum(one, 1), 0x77073096u);   // table entry 1
    const uint8_t text[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    // The published check value 0xCBF43926 is for start ~0 and a final inversion.
    EXPECT_NE(QorChecksum(text, 9), 0xCBF43926u);
    EXPECT_EQ(QorChecksum(text, 9), 0x2DFD2D88u);
}

TEST(ImageQOR, LongHeaderSkipsAFullPalette)
{
    CxDrawSurface s;
    s.Create(3, 2, 24);
    FillPattern(s, 4);
    Bytes file = EncodeQOR(s, 0);
    PutU32(file, 4, QOR_HEADER_SIZE_PALETTE);
    file.insert(file.begin() + 44, 768, 0xAB);
    CxDrawSurface back;
    ASSERT_EQ(Try(QorDecodeQOR, file, &back).code, 0);
    EXPECT_EQ(Pixels(back), Pixels(s));
}

TEST(ImageQOR, LzBackReferencesMayOverlap)
{
    // Literal 'Z', then distance 1 length 10: eleven Zs... plus 'a' literal.
    const uint8_t stream[] = {0x01, 0x80, 'Z', 0x01, 0x00, 0x06, 0x00, 0x01, 0x80, 'a'};
    uint8_t out[12];
    ASSERT_TRUE(QorDecompressLZ(stream, sizeof stream, out, sizeof out));
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out), 12), "ZZZZZZZZZZZa");
    uint8_t tooSmall[11];
    EXPECT_FALSE(QorDecompressLZ(stream, sizeof stream, tooSmall, sizeof tooSmall));
    const uint8_t farBack[] = {0x01, 0x80, 'Z', 0x02, 0x00, 0x00, 0x00};
    EXPECT_FALSE(QorDecompressLZ(farBack, sizeof farBack, out, 5));   // distance 2 with 1 byte written
    const uint8_t cut[] = {0x05, 0x80, 'a', 'b'};
    EXPECT_FALSE(QorDecompressLZ(cut, sizeof cut, out, 5));
    const uint8_t zero[] = {0x01, 0x80, 'Z', 0x00, 0x00, 0x00, 0x00};
    EXPECT_FALSE(QorDecompressLZ(zero, sizeof zero, out, 5));

    std::string text;
    for (int i = 0; i < 3000; ++i) text += "the pet sleeps " + std::to_string(i % 17);
    CxImageBytes packed;
    ASSERT_TRUE(QorCompressLZ(reinterpret_cast<const uint8_t*>(text.data()), text.size(), packed));
    EXPECT_LT(packed.Size(), text.size() / 4);
    EXPECT_EQ(packed.Data()[0], 0x04);   // the first four bytes open a literal run
    EXPECT_EQ(packed.Data()[1], 0x80);
    std::string back(text.size(), '\0');
    ASSERT_TRUE(QorDecompressLZ(packed.Data(), packed.Size(), reinterpret_cast<uint8_t*>(back.data()), back.size()));
    EXPECT_EQ(back, text);
}

TEST(ImageQOR, DamagedFilesAreRefusedWithTheirMessages)
{
    CxDrawSurface s;
    s.Create(8, 8, 32);
    s.FillRect(nullptr, 0x11223344);
    s.SetPixel(3, 3, 0);
    const Bytes good = EncodeQOR(s, 1);
    ASSERT_EQ(good[32], 1);
    const Bytes plain = EncodeQOR(s, 0);
    struct Damage { const char* what; Bytes file; int code; const char* message; };
    std::vector<Damage> cases;
    auto with = [](Bytes b, size_t at, uint32_t v) { PutU32(b, at, v); return b; };
    auto withByte = [](Bytes b, size_t at, uint8_t v) { b[at] = v; return b; };
    cases.push_back({"magic", with(good, 0, 0x12345678), ERR_INVALID_FILE_TYPE, "Invalid QOR file"});
    cases.push_back({"header size", with(good, 4, 48), ERR_INVALID_FILE_TYPE, "Invalid Header size for QOR bitmap"});
    cases.push_back({"plain size", with(good, 8, 65), ERR_INVALID_FILE_TYPE, "Invalid uncompressed size for QOR bitmap"});
    cases.push_back({"stored size", with(good, 12, U32At(good, 12) + 1), ERR_INVALID_FILE_TYPE, "Invalid compressed size for QOR bitmap: test.img"});
    cases.push_back({"truncated", Bytes(good.begin(), good.end() - 3), ERR_INVALID_FILE_TYPE, "Invalid compressed size for QOR bitmap: test.img"});
    cases.push_back({"header only", Bytes(good.begin(), good.begin() + 30), ERR_INVALID_FILE_TYPE, "Invalid QOR file"});
    cases.push_back({"too wide", with(with(good, 20, 16385), 28, 16385 * 4), ERR_INVALID_FILE_TYPE, "Invalid QOR image size 16385 x 8"});
    cases.push_back({"negative", with(good, 24, 0xFFFFFFFF), ERR_INVALID_FILE_TYPE, "Invalid QOR image size 8 x -1"});
    cases.push_back({"overflowing", with(with(with(good, 20, 16384), 24, 16384), 28, 65536), ERR_INVALID_FILE_TYPE, "Invalid uncompressed size for QOR bitmap"});
    cases.push_back({"narrow pitch", with(good, 28, 31), ERR_INVALID_FILE_TYPE, "Invalid pitch 31 for QOR bitmap"});
    cases.push_back({"depth", withByte(good, 33, 12), ERR_INVALID_FILE_TYPE, "Unsupported QOR pixel depth 12"});
    cases.push_back({"format", withByte(good, 34, PIXFMT_INDEXED), ERR_INVALID_FILE_TYPE, "Invalid pixel format 7 for a 32-bit QOR bitmap"});
    cases.push_back({"compression", withByte(good, 32, 3), ERR_INVALID_FILE_TYPE, "Unsupported QOR compression 3 in test.img"});
    cases.push_back({"zlib data", withByte(good, good.size() - 5, good[good.size() - 5] ^ 0xFF), ERR_UNKNOWN, "Could not decompress QOR image data from test.img"});
    cases.push_back({"lz data", withByte(plain, 32, 2), ERR_UNKNOWN, "Could not decompress QOR image data from test.img"});
    cases.push_back({"plain stored size", with(Bytes(plain.begin(), plain.end() - 4), 12, 252), ERR_INVALID_FILE_TYPE, "Invalid compressed size for QOR bitmap: test.img"});
    for (const Damage& d : cases) {
        Outcome o = Try(QorDecodeQOR, d.file);
        EXPECT_EQ(o.code, d.code) << d.what;
        EXPECT_EQ(o.message, d.message) << d.what;
    }
}

TEST(ImageQOR, WriterRefusesEmptySurfaces)
{
    ErrorCapture capture;
    CxDrawSurface s;
    CxImageBytes out;
    s.Create(0, 5, 32);
    EXPECT_EQ(QorEncodeQOR(&s, 1, out), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(capture.Reports().back().message, "Cannot save empty surface");
}

// ======================================================================
// TGA
// ======================================================================

TEST(ImageTGA, RoundTripsPlainAndPacked)
{
    struct { int depth; uint8_t format; } kinds[] = {{8, 0}, {16, PIXFMT_555}, {24, 0}, {32, 0}};
    for (auto k : kinds)
        for (uint32_t flags : {0u, 1u}) {
            CxDrawSurface s;
            s.Create(23, 9, k.depth, -1, nullptr, k.format);
            FillTestPalette(s);
            FillPattern(s, 6);
            CxRect flat{0, 0, 22, 4};
            s.FillRect(&flat, 3);
            Bytes file = EncodeTGA(s, flags);
            EXPECT_EQ(file[2], (k.depth == 8 ? 1 : 2) + (flags ? 8 : 0)) << k.depth;
            EXPECT_EQ(std::string(file.end() - 18, file.end() - 1), "TRUEVISION-XFILE.");
            CxDrawSurface back;
            ASSERT_EQ(Try(QorDecodeTGA, file, &back).code, 0);
            ExpectSamePicture(s, back);
        }
}

TEST(ImageTGA, PackingThatDoesNotHelpIsDropped)
{
    CxDrawSurface s;
    s.Create(16, 16, 24);
    FillPattern(s, 8);
    Bytes file = EncodeTGA(s, 1);
    EXPECT_EQ(file[2], 2);
    EXPECT_EQ(file.size(), 18u + 16 * 16 * 3 + 26);
}

TEST(ImageTGA, SavingConvertsSixteenBitFormatsOnACopy)
{
    CxDrawSurface s;
    s.Create(2, 1, 16, -1, nullptr, PIXFMT_565);
    s.SetPixel(0, 0, 0xFFFF);
    s.SetPixel(1, 0, 0x0020);   // the lowest green bit of 5-6-5
    Bytes file = EncodeTGA(s, 0);
    EXPECT_EQ(s.GetPixelFormat(), PIXFMT_565);   // the caller's surface is untouched
    EXPECT_EQ(s.GetPixel(1, 0), 0x0020u);
    CxDrawSurface back;
    ASSERT_EQ(Try(QorDecodeTGA, file, &back).code, 0);
    EXPECT_EQ(back.GetPixelFormat(), PIXFMT_555);
    EXPECT_EQ(back.GetPixel(0, 0), 0x7FFFu);
}

TEST(ImageTGA, OrientationsLoadToTheSamePicture)
{
    CxDrawSurface s;
    s.Create(5, 3, 32);
    FillPattern(s, 9);
    Bytes topDown = EncodeTGA(s, 0);
    Bytes bottomUp = topDown, bottomRight = topDown, topRight = topDown;
    bottomUp[17] = 8, bottomRight[17] = 24, topRight[17] = 48;
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            for (int c = 0; c < 4; ++c) {
                uint8_t v = topDown[18 + (y * 5 + x) * 4 + c];
                bottomUp[18 + ((2 - y) * 5 + x) * 4 + c] = v;
                bottomRight[18 + ((2 - y) * 5 + 4 - x) * 4 + c] = v;
                topRight[18 + (y * 5 + 4 - x) * 4 + c] = v;
            }
    for (const Bytes* file : {&topDown, &bottomUp, &bottomRight, &topRight}) {
        CxDrawSurface back;
        ASSERT_EQ(Try(QorDecodeTGA, *file, &back).code, 0);
        EXPECT_EQ(Pixels(back), Pixels(s));
    }
}

TEST(ImageTGA, DamagedFilesAreRefusedWithTheirMessages)
{
    CxDrawSurface s;
    s.Create(6, 4, 24);
    s.FillRect(nullptr, 0x102030);
    const Bytes packed = EncodeTGA(s, 1);   // one run packet per 128 pixels
    const Bytes plain = EncodeTGA(s, 0);
    CxDrawSurface m;
    m.Create(4, 4, 8);
    FillTestPalette(m);
    const Bytes mapped = EncodeTGA(m, 0);
    auto withByte = [](Bytes b, size_t at, uint8_t v) { b[at] = v; return b; };
    auto with16 = [](Bytes b, size_t at, uint16_t v) { PutU16(b, at, v); return b; };
    struct Damage { const char* what; Bytes file; int code; const char* message; };
    std::vector<Damage> cases = {
        {"empty", {}, ERR_UNKNOWN, "Could not read TARGA header from buffer."},
        {"short header", Bytes(plain.begin(), plain.begin() + 17), ERR_UNKNOWN, "Could not read TARGA header from buffer."},
        {"no image", withByte(plain, 2, 0), ERR_INVALID_FILE_TYPE, "Targa file does not contain image data!"},
        {"type", withByte(plain, 2, 32), ERR_INVALID_FILE_TYPE, "Unsupported Targa file type!"},
        {"depth", withByte(plain, 16, 7), ERR_INVALID_FILE_TYPE, "Unsupported Targa pixel depth 7: test.img"},
        {"zero width", with16(plain, 12, 0), ERR_INVALID_FILE_TYPE, "Invalid Targa image size 0 x 4"},
        {"huge", with16(with16(plain, 12, 60000), 14, 60000), ERR_INVALID_FILE_TYPE, "Invalid Targa image size 60000 x 60000"},
        {"pixels cut", Bytes(plain.begin(), plain.begin() + 18 + 70), ERR_INVALID_FILE_TYPE, "Targa pixel data is truncated: test.img"},
        {"run past image", with16(packed, 12, 5), ERR_INVALID_FILE_TYPE, "Targa run-length packet overruns the image: test.img"},
        {"runs cut", Bytes(packed.begin(), packed.begin() + 20), ERR_INVALID_FILE_TYPE, "Targa run-length data is truncated: test.img"},
        {"runs missing", with16(Bytes(packed.begin(), packed.begin() + 22), 14, 9), ERR_INVALID_FILE_TYPE, "Targa run-length data is truncated: test.img"},
        {"map range", with16(mapped, 3, 10), ERR_INVALID_FILE_TYPE, "Targa colour map out of range (10 + 256 entries): test.img"},
        {"map entry", withByte(mapped, 7, 12), ERR_INVALID_FILE_TYPE, "Unsupported Targa colour map entry size 12: test.img"},
        {"no map", withByte(mapped, 1, 0), ERR_INVALID_FILE_TYPE, "Invalid Targa colour map type 0: test.img"},
        {"id past end", withByte(plain, 0, 255), ERR_INVALID_FILE_TYPE, "Targa file is truncated: test.img"},
    };
    for (const Damage& d : cases) {
        Outcome o = Try(QorDecodeTGA, d.file);
        EXPECT_EQ(o.code, d.code) << d.what;
        EXPECT_EQ(o.message, d.message) << d.what;
    }
}

TEST(ImageTGA, GreyAndSixteenBitColourMaps)
{
    // Type 3: grey levels with the grey palette.
    Bytes grey(18 + 4, 0);
    grey[2] = 3, grey[12] = 2, grey[14] = 2, grey[16] = 8, grey[17] = 32;
    grey[18] = 0, grey[19] = 100, grey[20] = 200, grey[21] = 255;
    CxDrawSurface g;
    ASSERT_EQ(Try(QorDecodeTGA, grey, &g).code, 0);
    EXPECT_EQ(g.GetRed(1, 0), 100);
    EXPECT_EQ(g.GetBlue(0, 1), 200);
    // A colour map of 16-bit entries starting at entry 2.
    Bytes mapped = {0, 1, 1, 2, 0, 2, 0, 16, 0, 0, 0, 0, 2, 0, 1, 0, 8, 32, 0x1F, 0x00, 0x00, 0x7C, 2, 3};
    CxDrawSurface m;
    ASSERT_EQ(Try(QorDecodeTGA, mapped, &m).code, 0);
    EXPECT_EQ(m.GetBlue(0, 0), 248);
    EXPECT_EQ(m.GetRed(1, 0), 248);
    EXPECT_EQ(m.GetRed(0, 0), 0);
}

// ======================================================================
// BMP
// ======================================================================

TEST(ImageBMP, BottomUpAndTopDownLoadToTheSamePicture)
{
    std::vector<Bytes> rows = {{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}};
    for (bool topDown : {false, true}) {
        CxDrawSurface s;
        ASSERT_EQ(Try(QorDecodeBMP, MakeBMP(5, 3, 8, rows, 16, topDown), &s).code, 0);
        EXPECT_EQ(s.GetPitch(), 5);   // rows packed after loading
        EXPECT_EQ(s.GetPixel(0, 0), 1u);
        EXPECT_EQ(s.GetPixel(4, 2), 15u);
        EXPECT_EQ(s.GetRed(0, 0), 3);   // entry 1 is blue 1, green 2, red 3
        EXPECT_EQ(s.GetBlue(0, 0), 1);
    }
    std::vector<Bytes> deep = {{0x10, 0x20, 0x30, 0x01, 0x02, 0x03}};
    CxDrawSurface d;
    ASSERT_EQ(Try(QorDecodeBMP, MakeBMP(2, 1, 24, deep, 0, false), &d).code, 0);
    EXPECT_EQ(d.GetRed(0, 0), 0x30);
    EXPECT_EQ(d.GetBlue(1, 0), 0x01);
    std::vector<Bytes> nibbles = {{0x12, 0x30}};
    CxDrawSurface n;
    ASSERT_EQ(Try(QorDecodeBMP, MakeBMP(3, 1, 4, nibbles, 0, false), &n).code, 0);
    EXPECT_EQ(Pixels(n), (std::vector<CxPixel>{1, 2, 3}));
}

TEST(ImageBMP, ReservedAlphaBytesReadAsOpaque)
{
    std::vector<Bytes> rows = {{1, 2, 3, 0, 4, 5, 6, 0}};
    CxDrawSurface s;
    ASSERT_EQ(Try(QorDecodeBMP, MakeBMP(2, 1, 32, rows, 0, false), &s).code, 0);
    EXPECT_EQ(s.GetPixel(0, 0), 0xFF030201u);
    rows = {{1, 2, 3, 0x40, 4, 5, 6, 0}};
    ASSERT_EQ(Try(QorDecodeBMP, MakeBMP(2, 1, 32, rows, 0, false), &s).code, 0);
    EXPECT_EQ(s.GetPixel(0, 0), 0x40030201u);   // a real alpha channel is kept
}

TEST(ImageBMP, DamagedFilesAreRefusedWithTheirMessages)
{
    std::vector<Bytes> rows = {{1, 2, 3, 4}, {5, 6, 7, 8}};
    const Bytes good = MakeBMP(4, 2, 8, rows, 0, false);
    auto with = [](Bytes b, size_t at, uint32_t v) { PutU32(b, at, v); return b; };
    struct Damage { const char* what; Bytes file; int code; const char* message; };
    std::vector<Damage> cases = {
        {"empty", {}, ERR_UNKNOWN, "Invalid buffer."},
        {"magic", Bytes{'X', 'Y', 0, 0}, ERR_INVALID_FILE_TYPE, "Invalid BMP file. (5958)"},
        {"header cut", Bytes(good.begin(), good.begin() + 40), ERR_INVALID_FILE_TYPE, "BMP header is truncated: test.img"},
        {"colours", with(good, 46, 300), ERR_INVALID_FILE_TYPE, "BMP palette out of range (300 entries): test.img"},
        {"pixels cut", Bytes(good.begin(), good.end() - 1), ERR_INVALID_FILE_TYPE, "BMP pixel data is truncated: test.img"},
        {"offset past end", with(good, 10, 100000), ERR_INVALID_FILE_TYPE, "BMP pixel data is truncated: test.img"},
        {"huge", with(with(good, 18, 20000), 22, 2), ERR_INVALID_FILE_TYPE, "Invalid BMP image size 20000 x 2"},
        {"most negative height", with(good, 22, 0x80000000u), ERR_INVALID_FILE_TYPE, "Invalid BMP image size 4 x 2147483648"},
        {"depth", with(good, 28, 7), ERR_INVALID_FILE_TYPE, "Unsupported BMP pixel depth 7"},
        {"compression", with(good, 30, 1), ERR_INVALID_FILE_TYPE, "Unsupported BMP compression 1: test.img"},
        {"header size", with(good, 14, 12), ERR_INVALID_FILE_TYPE, "Unsupported BMP header size 12: test.img"},
    };
    for (const Damage& d : cases) {
        Outcome o = Try(QorDecodeBMP, d.file);
        EXPECT_EQ(o.code, d.code) << d.what;
        EXPECT_EQ(o.message, d.message) << d.what;
    }
}

// ======================================================================
// PCX
// ======================================================================

TEST(ImagePCX, PalettedAndPlanarImages)
{
    Bytes lines = {5, 200, 7, 0, 1, 2, 3, 0};   // two rows of 3 pixels, 4 bytes per line
    CxDrawSurface s;
    ASSERT_EQ(Try(QorDecodePCX, MakePCX(3, 2, 8, 1, 4, lines, true), &s).code, 0);
    EXPECT_EQ(s.GetPitch(), 4);
    EXPECT_EQ(Pixels(s), (std::vector<CxPixel>{5, 200, 7, 1, 2, 3}));
    EXPECT_EQ(s.GetGreen(1, 0), 55);   // palette entry 200 is 200, 55, 100

    // Three byte planes per row become blue, green, red pixels.
    Bytes planes = {10, 11, 20, 21, 30, 31};   // one row of 2 pixels: reds, greens, blues
    CxDrawSurface rgb;
    ASSERT_EQ(Try(QorDecodePCX, MakePCX(2, 1, 8, 3, 2, planes, false), &rgb).code, 0);
    EXPECT_EQ(rgb.GetDepth(), 24);
    EXPECT_EQ(rgb.GetRed(1, 0), 11);
    EXPECT_EQ(rgb.GetGreen(1, 0), 21);
    EXPECT_EQ(rgb.GetBlue(0, 0), 30);

    // Sixteen colours in four bit planes become packed 4-bit indices.
    Bytes bits = {0x80, 0x40, 0xC0, 0x00};   // pixel 0: planes 0 and 2; pixel 1: planes 1 and 2
    CxDrawSurface sixteen;
    ASSERT_EQ(Try(QorDecodePCX, MakePCX(2, 1, 1, 4, 1, bits, false), &sixteen).code, 0);
    EXPECT_EQ(Pixels(sixteen), (std::vector<CxPixel>{5, 6}));
}

TEST(ImagePCX, DamagedFilesAreRefusedWithTheirMessages)
{
    Bytes lines = {1, 2, 3, 4, 5, 6, 7, 8};
    const Bytes good = MakePCX(4, 2, 8, 1, 4, lines, true);
    Bytes run = MakePCX(4, 2, 8, 1, 4, {}, true);
    run.insert(run.begin() + 128, {0xC9, 7});   // nine bytes into an image of eight
    auto withByte = [](Bytes b, size_t at, uint8_t v) { b[at] = v; return b; };
    auto with16 = [](Bytes b, size_t at, uint16_t v) { PutU16(b, at, v); return b; };
    struct Damage { const char* what; Bytes file; int code; const char* message; };
    std::vector<Damage> cases = {
        {"empty", {}, ERR_UNKNOWN, "Could not read ST_PCX_HEADER"},
        {"manufacturer", withByte(good, 0, 9), ERR_INVALID_FILE_TYPE, "Invalid PCX file: test.img"},
        {"run past image", run, ERR_INVALID_FILE_TYPE, "PCX run-length data overruns the image: test.img"},
        {"rows cut", MakePCX(4, 2, 8, 1, 4, Bytes(lines.begin(), lines.begin() + 5), true), ERR_INVALID_FILE_TYPE, "PCX run-length data is truncated: test.img"},
        {"run value cut", Bytes{}, 0, ""},
        {"no palette", MakePCX(4, 2, 8, 1, 4, lines, false), ERR_INVALID_FILE_TYPE, "PCX palette is missing: test.img"},
        {"layout", withByte(good, 65, 2), ERR_INVALID_FILE_TYPE, "Unsupported PCX layout: 8 bits x 2 planes: test.img"},
        {"bytes per line", with16(good, 66, 3), ERR_INVALID_FILE_TYPE, "Invalid PCX bytes per line 3: test.img"},
        {"inverted", with16(good, 4, 9), ERR_INVALID_FILE_TYPE, "Invalid PCX image size -5 x 2"},
        {"huge", with16(good, 8, 20000), ERR_INVALID_FILE_TYPE, "Invalid PCX image size 20001 x 2"},
    };
    Bytes cutRun = MakePCX(1, 1, 8, 3, 1, {}, false);
    cutRun.push_back(0xC3);
    cases[4] = {"run value cut", cutRun, ERR_INVALID_FILE_TYPE, "PCX run-length data is truncated: test.img"};
    for (const Damage& d : cases) {
        Outcome o = Try(QorDecodePCX, d.file);
        EXPECT_EQ(o.code, d.code) << d.what;
        EXPECT_EQ(o.message, d.message) << d.what;
    }
}

// The fuzz seeds are real files of each format (most written by another
// tool); every one of them must decode.
TEST(ImageFiles, FuzzSeedFilesAllDecode)
{
    struct { const char* folder; Decode decode; } formats[] = {
        {"tga", QorDecodeTGA}, {"pcx", QorDecodePCX}, {"bmp", QorDecodeBMP}, {"qor", QorDecodeQOR}};
    for (auto f : formats) {
        std::string folder = std::string(VORN_SOURCE_DIR) + "/tests/fuzz/corpus/" + f.folder;
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            std::string bytes = ReadFileBytes(entry.path().string());
            Outcome o = Try(f.decode, Bytes(bytes.begin(), bytes.end()));
            EXPECT_EQ(o.code, 0) << entry.path() << ": " << o.message;
            ++count;
        }
        EXPECT_GE(count, 3) << folder;
    }
}
