// A window and a device on whatever OpenGL the test machine has (Mesa's
// software renderer under SDL's offscreen driver in CI), and golden frames
// compared with a tolerance.  Every frame is also written to gpu-frames/ in
// the test's working folder, so it can be looked at after a run.
#pragma once
#include "platform/gpu/GpuDevice.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <string>
#include <vector>

struct GpuFrame {
    uint32_t width = 0, height = 0;
    std::vector<uint32_t> pixels;   // 0xAARRGGBB, rows top down
    uint32_t At(uint32_t x, uint32_t y) const { return pixels[size_t(y) * width + x]; }
};

// Starts video and opens a shown window of the size; false with the reason.
bool GpuTestOpenWindow(int32_t width, int32_t height, std::string* reason);
// A window and the 3D screen over it, windowed as "Vorn.ini" asks for it;
// null with the reason when either cannot be had here.
class CxD3DScreen;
CxD3DScreen* GpuTestOpen3DScreen(int32_t width, int32_t height, std::string* reason);
void GpuTestCloseWindow();

// Reads a render target (null = back buffer) through GetRenderTargetData.
GpuFrame GpuTestReadBack(GpuDevice* device, GpuSurface* target = nullptr);

// Writes the frame under gpu-frames/ and compares it with tests/data/gpu/<name>.tga:
// at most `tolerance` per channel, at most 0.5% of pixels beyond it.
// VORN_UPDATE_GOLDEN=1 writes the golden instead.
::testing::AssertionResult GpuFrameMatchesGolden(const GpuFrame& frame, const std::string& name, int tolerance = 8);

// Channels of a pixel.
inline int Red(uint32_t p) { return int((p >> 16) & 255); }
inline int Green(uint32_t p) { return int((p >> 8) & 255); }
inline int Blue(uint32_t p) { return int(p & 255); }

// Row-vector matrices.
GpuMatrix GpuTestPerspective(float fovY, float aspect, float zNear, float zFar);
GpuMatrix GpuTestLookAt(GpuVector eye, GpuVector at, GpuVector up);
GpuMatrix GpuTestRotationY(float radians);
GpuMatrix GpuTestRotationX(float radians);
GpuMatrix GpuTestTranslation(float x, float y, float z);
