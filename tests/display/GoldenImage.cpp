#include "GoldenImage.h"
#include "TestSupport.h"
#include "graphics/QorImageFilters.h"

#include <cstdlib>
#include <filesystem>

namespace {
std::string GoldenPath(const std::string& name) { return std::string(VORN_TEST_DATA) + "/display/" + name + ".tga"; }

bool Encode(CxDrawSurface& picture, std::string& bytes)
{
    CxImageBytes out;
    if (QorEncodeTGA(&picture, 0, out) != 0) return false;
    bytes.assign(reinterpret_cast<const char*>(out.Data()), out.Size());
    return true;
}

std::string WriteActual(CxDrawSurface& picture, const std::string& name)
{
    std::string bytes;
    if (!Encode(picture, bytes)) return "(could not encode the picture)";
    std::filesystem::create_directories("golden-actual");
    std::string path = (std::filesystem::current_path() / "golden-actual" / (name + ".tga")).string();
    WriteFileBytes(path, bytes);
    return path;
}

// The first pixel that differs, as text; empty when none does.
std::string FirstDifference(CxDrawSurface& picture, CxDrawSurface& golden, int* count)
{
    std::string first;
    *count = 0;
    for (int32_t y = 0; y < picture.GetHeight(); ++y)
        for (int32_t x = 0; x < picture.GetWidth(); ++x) {
            CxPixel a = picture.GetPixel(x, y), g = golden.GetPixel(x, y);
            if (a == g) continue;
            if ((*count)++ == 0) {
                char text[96];
                snprintf(text, sizeof text, "(%d, %d): 0x%08X, golden 0x%08X", x, y, a, g);
                first = text;
            }
        }
    return first;
}
}  // namespace

::testing::AssertionResult MatchesGolden(CxDrawSurface& picture, const std::string& name)
{
    const char* update = getenv("VORN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        std::string bytes;
        if (!Encode(picture, bytes)) return ::testing::AssertionFailure() << "could not encode " << name;
        std::filesystem::create_directories(std::filesystem::path(GoldenPath(name)).parent_path());
        WriteFileBytes(GoldenPath(name), bytes);
        return ::testing::AssertionSuccess();
    }
    std::string bytes = ReadFileBytes(GoldenPath(name));
    CxDrawSurface golden;
    if (bytes.empty() || QorDecodeTGA(&golden, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                                      name.c_str()) != 0)
        return ::testing::AssertionFailure() << "no readable golden " << GoldenPath(name)
                                             << " (VORN_UPDATE_GOLDEN=1 writes it); picture at "
                                             << WriteActual(picture, name);
    if (golden.GetSize() != picture.GetSize() || golden.GetDepth() != picture.GetDepth())
        return ::testing::AssertionFailure() << name << ": golden is " << golden.GetWidth() << "x" << golden.GetHeight()
                                             << "x" << golden.GetDepth() << "; picture at " << WriteActual(picture, name);
    int count = 0;
    std::string first = FirstDifference(picture, golden, &count);
    if (count == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << name << ": " << count << " pixels differ, first at " << first
                                         << "; picture at " << WriteActual(picture, name);
}
