#include "GpuTestSupport.h"
#include "TestSupport.h"
#include "graphics/CxD3DScreen.h"
#include "graphics/CxScreenSelect.h"
#include "graphics/CxSurf.h"
#include "graphics/QorImageFilters.h"
#include "platform/window/PlatformWindow.h"

#include <cmath>
#include <cstring>
#include <cstdlib>
#include <filesystem>
#include <fstream>

bool GpuTestOpenWindow(int32_t width, int32_t height, std::string* reason)
{
    PlatWindowDesc desc;
    desc.title = "gpu test";
    desc.width = width;
    desc.height = height;
    if (!PlatWindowCreate(desc)) {
        *reason = PlatLastError();
        return false;
    }
    return true;
}

void GpuTestCloseWindow() { PlatVideoStop(); }

GpuFrame GpuTestReadBack(GpuDevice* device, GpuSurface* target)
{
    GpuFrame frame;
    GpuSurface* source = target;
    if (!source) device->GetRenderTarget(0, &source);
    GpuSurface* plain = nullptr;
    if (!source || device->CreateOffscreenPlainSurface(source->GetWidth(), source->GetHeight(), GPUFMT_A8R8G8B8,
                                                      GPUPOOL_SYSTEMMEM, &plain) != GPU_OK)
        return frame;
    if (device->GetRenderTargetData(source, plain) == GPU_OK) {
        GpuLockedRect locked;
        if (plain->LockRect(&locked, nullptr, GPULOCK_READONLY) == GPU_OK) {
            frame.width = plain->GetWidth(), frame.height = plain->GetHeight();
            frame.pixels.resize(size_t(frame.width) * frame.height);
            for (uint32_t y = 0; y < frame.height; ++y)
                std::memcpy(&frame.pixels[size_t(y) * frame.width], static_cast<uint8_t*>(locked.bits) + y * locked.pitch,
                            frame.width * 4);
            plain->UnlockRect();
        }
    }
    plain->Release();
    return frame;
}

namespace {
bool WriteTga(const GpuFrame& frame, const std::string& path)
{
    CxDrawSurface surface;
    // Frames are compared by colour alone, so 24 bits run-length packed keep
    // the golden files small.
    if (surface.Create(int32_t(frame.width), int32_t(frame.height), 24) != 0) return false;
    for (uint32_t y = 0; y < frame.height; ++y)
        for (uint32_t x = 0; x < frame.width; ++x) surface.SetPixel(int32_t(x), int32_t(y), frame.At(x, y) & 0xFFFFFFu);
    CxImageBytes out;
    if (QorEncodeTGA(&surface, 1, out) != 0) return false;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(out.Data()), std::streamsize(out.Size()));
    return bool(file);
}
}  // namespace

::testing::AssertionResult GpuFrameMatchesGolden(const GpuFrame& frame, const std::string& name, int tolerance)
{
    if (frame.pixels.empty()) return ::testing::AssertionFailure() << "no frame was read back";
    std::string actual = (std::filesystem::current_path() / "gpu-frames" / (name + ".tga")).string();
    WriteTga(frame, actual);
    std::string golden = std::string(VORN_TEST_DATA) + "/gpu/" + name + ".tga";
    const char* update = std::getenv("VORN_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        WriteTga(frame, golden);
        return ::testing::AssertionSuccess();
    }
    CxDrawSurface expected;
    std::string bytes = ReadFileBytes(golden);
    if (bytes.empty() ||
        QorDecodeTGA(&expected, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), name.c_str()) != 0)
        return ::testing::AssertionFailure() << "no golden " << golden << " (the frame is at " << actual << ")";
    if (uint32_t(expected.GetWidth()) != frame.width || uint32_t(expected.GetHeight()) != frame.height)
        return ::testing::AssertionFailure() << "golden size differs; the frame is at " << actual;
    size_t beyond = 0;
    for (uint32_t y = 0; y < frame.height; ++y)
        for (uint32_t x = 0; x < frame.width; ++x) {
            uint32_t a = frame.At(x, y);
            int r = expected.GetRed(int32_t(x), int32_t(y)), g = expected.GetGreen(int32_t(x), int32_t(y)),
                b = expected.GetBlue(int32_t(x), int32_t(y));
            if (std::abs(Red(a) - r) > tolerance || std::abs(Green(a) - g) > tolerance || std::abs(Blue(a) - b) > tolerance)
                ++beyond;
        }
    if (beyond * 200 > frame.pixels.size())
        return ::testing::AssertionFailure() << beyond << " pixels differ from " << golden << " by more than "
                                             << tolerance << "; the frame is at " << actual;
    return ::testing::AssertionSuccess();
}

GpuMatrix GpuTestPerspective(float fovY, float aspect, float zNear, float zFar)
{
    GpuMatrix m;
    float yScale = 1.0f / std::tan(fovY / 2), xScale = yScale / aspect;
    m.m[0][0] = xScale, m.m[1][1] = yScale;
    m.m[2][2] = zFar / (zFar - zNear), m.m[2][3] = 1;
    m.m[3][2] = -zNear * zFar / (zFar - zNear), m.m[3][3] = 0;
    return m;
}

GpuMatrix GpuTestLookAt(GpuVector eye, GpuVector at, GpuVector up)
{
    auto sub = [](GpuVector a, GpuVector b) { return GpuVector{a.x - b.x, a.y - b.y, a.z - b.z}; };
    auto norm = [](GpuVector v) {
        float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        return GpuVector{v.x / l, v.y / l, v.z / l};
    };
    auto cross = [](GpuVector a, GpuVector b) {
        return GpuVector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    };
    auto dot = [](GpuVector a, GpuVector b) { return a.x * b.x + a.y * b.y + a.z * b.z; };
    GpuVector z = norm(sub(at, eye)), x = norm(cross(up, z)), y = cross(z, x);
    GpuMatrix m;
    m.m[0][0] = x.x, m.m[0][1] = y.x, m.m[0][2] = z.x;
    m.m[1][0] = x.y, m.m[1][1] = y.y, m.m[1][2] = z.y;
    m.m[2][0] = x.z, m.m[2][1] = y.z, m.m[2][2] = z.z;
    m.m[3][0] = -dot(x, eye), m.m[3][1] = -dot(y, eye), m.m[3][2] = -dot(z, eye);
    return m;
}

GpuMatrix GpuTestRotationY(float a)
{
    GpuMatrix m;
    m.m[0][0] = std::cos(a), m.m[0][2] = -std::sin(a), m.m[2][0] = std::sin(a), m.m[2][2] = std::cos(a);
    return m;
}

GpuMatrix GpuTestRotationX(float a)
{
    GpuMatrix m;
    m.m[1][1] = std::cos(a), m.m[1][2] = std::sin(a), m.m[2][1] = -std::sin(a), m.m[2][2] = std::cos(a);
    return m;
}

GpuMatrix GpuTestTranslation(float x, float y, float z)
{
    GpuMatrix m;
    m.m[3][0] = x, m.m[3][1] = y, m.m[3][2] = z;
    return m;
}

CxD3DScreen* GpuTestOpen3DScreen(int32_t width, int32_t height, std::string* reason)
{
    std::string why;
    if (!GpuTestOpenWindow(width, height, &why)) {
        *reason = "no window: " + why;
        return nullptr;
    }
    CxScreenSettings settings;
    settings.allowDirectX = true;
    settings.useDirect3D = 2;
    CxScreenOpenParams params;
    params.window = PlatWindowNativeHandle();
    params.width = width, params.height = height, params.depth = 32;
    CxScreenKind kind = SCREEN_NONE;
    CxScreenSurface* screen = SelectScreen(settings, params, nullptr, DefaultScreenMakers(), &kind);
    if (kind == SCREEN_DIRECT3D) return static_cast<CxD3DScreen*>(screen);
    delete screen;
    *reason = std::string("no OpenGL 3.3 here: ") + GpuLastError();
    return nullptr;
}
