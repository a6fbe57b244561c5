#include "game/world/C3DRoom.h"

#include "core/CxTime.h"
#include "game/world/Cx3DObject.h"
#include "graphics/CxD3DDevice.h"

#include <cmath>

namespace {
using Vec = float[3];
float Dot(const float* a, const float* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
float Length(const float* a) { return std::sqrt(Dot(a, a)); }
bool Finite3(const float* a) { return std::isfinite(a[0]) && std::isfinite(a[1]) && std::isfinite(a[2]); }

// up minus its part along the unit vector forward; false when too short.
bool Orthogonal(const float* up, const float* forward, float* out)
{
    float d = Dot(up, forward);
    for (int i = 0; i < 3; ++i) out[i] = up[i] - d * forward[i];
    float length = Length(out);
    if (!(length >= 1e-6f)) return false;
    for (int i = 0; i < 3; ++i) out[i] /= length;
    return true;
}
}  // namespace

const GpuMatrix& CxCamera::GetView()
{
    if (!valid || !Finite3(eye) || !Finite3(target) || !Finite3(up)) return view;
    Vec forward = {target[0] - eye[0], target[1] - eye[1], target[2] - eye[2]};
    float length = Length(forward);
    if (!(length >= 1e-6f)) return view;
    for (float& f : forward) f /= length;
    Vec u;
    const float worldY[3] = {0, 1, 0}, worldZ[3] = {0, 0, 1};
    if (!Orthogonal(up, forward, u) && !Orthogonal(worldY, forward, u) && !Orthogonal(worldZ, forward, u)) return view;
    Vec right = {u[1] * forward[2] - u[2] * forward[1], u[2] * forward[0] - u[0] * forward[2],
                 u[0] * forward[1] - u[1] * forward[0]};
    GpuMatrix m;
    for (int i = 0; i < 3; ++i) {
        m.m[i][0] = right[i];
        m.m[i][1] = u[i];
        m.m[i][2] = forward[i];
        m.m[i][3] = 0;
    }
    m.m[3][0] = -Dot(right, eye), m.m[3][1] = -Dot(u, eye), m.m[3][2] = -Dot(forward, eye), m.m[3][3] = 1;
    view = m;
    return view;
}

void CxCamera::SetPerspective(float fov, float aspect, float zNear, float zFar)
{
    float yScale = 1.0f / std::tan(fov / 2);
    if (!std::isfinite(yScale) || !(std::fabs(aspect) > 1e-6f) || !(std::fabs(zFar - zNear) > 1e-6f)) return;
    GpuMatrix p;
    for (auto& row : p.m)
        for (float& v : row) v = 0;
    p.m[1][1] = yScale;
    p.m[0][0] = yScale / aspect;
    p.m[2][2] = zFar / (zFar - zNear);
    p.m[2][3] = 1;
    p.m[3][2] = -zNear * zFar / (zFar - zNear);
    projection = p;
}

bool CxCamera::ScreenPosition(const float point[3], int width, int height, int* x, int* y)
{
    *x = *y = 0;
    if (!Finite3(point)) return false;
    GpuMatrix m = GpuMultiply(GetView(), projection);
    float v[4];
    for (int c = 0; c < 4; ++c) v[c] = point[0] * m.m[0][c] + point[1] * m.m[1][c] + point[2] * m.m[2][c] + m.m[3][c];
    // A point behind the eye would divide by a negative or tiny w and land
    // mirrored on screen.
    if (v[3] < 1e-5f && projection.m[2][3] != 0) return false;
    if (std::fabs(v[3]) >= 0.00001f) v[0] /= v[3], v[1] /= v[3];
    if (!std::isfinite(v[0]) || !std::isfinite(v[1]) || std::fabs(v[0]) > 1e6f || std::fabs(v[1]) > 1e6f) return false;
    *x = int(std::trunc(float(width) * (v[0] + 1) * 0.5f));
    *y = height - int(std::trunc(float(height) * (v[1] + 1) * 0.5f));
    return true;
}

void CxCamera::SetDistance(float distance)
{
    if (!std::isfinite(distance)) return;
    Vec d = {eye[0] - target[0], eye[1] - target[1], eye[2] - target[2]};
    float length = Length(d);
    if (!(length >= 1e-6f)) return;   // no direction to keep
    for (int i = 0; i < 3; ++i) eye[i] = target[i] + d[i] / length * distance;
    valid = 1;
}

C3DRoom::C3DRoom() = default;
C3DRoom::~C3DRoom() = default;

void C3DRoom::BeginRender(CxD3DDevice* device)
{
    if (!device) return;
    Cx3DObject::SetGameTime(float(QorTickCount()) / 1000.0f);
    device->PushRenderStates();
    device->PushMaterial();
    device->PushTransform(GPUTS_PROJECTION);
    device->PushTransform(GPUTS_WORLD);
    GpuMaterial material;
    material.diffuse = GpuColorValue{0.2f, 0.2f, 0.2f, 1.0f};
    material.ambient = GpuColorValue{0.7f, 0.7f, 0.7f, 1.0f};
    device->SetMaterial(material);
    device->SetTextureStageState(0, GPUTSS_COLOROP, GPUTOP_MODULATE);
    device->SetTextureStageState(0, GPUTSS_COLORARG1, GPUTA_TEXTURE);
    device->SetTextureStageState(0, GPUTSS_COLORARG2, GPUTA_DIFFUSE);
    device->SetTextureStageState(0, GPUTSS_ALPHAOP, GPUTOP_MODULATE);
    device->SetTextureStageState(0, GPUTSS_ALPHAARG1, GPUTA_TEXTURE);
    device->SetTextureStageState(0, GPUTSS_ALPHAARG2, GPUTA_DIFFUSE);
    device->SetRenderState(GPURS_ALPHABLENDENABLE, 1);
    device->SetRenderState(GPURS_BLENDOP, GPUBLENDOP_ADD);
    device->SetRenderState(GPURS_SRCBLEND, GPUBLEND_SRCALPHA);
    device->SetRenderState(GPURS_DESTBLEND, GPUBLEND_INVSRCALPHA);
    device->SetRenderState(GPURS_ALPHAREF, 0);
    device->SetRenderState(GPURS_ALPHAFUNC, GPUCMP_GREATEREQUAL);
    device->SetRenderState(GPURS_ZENABLE, 1);
    device->SetRenderState(GPURS_ZWRITEENABLE, 1);
    device->SetRenderState(GPURS_LIGHTING, 1);
    device->SetRenderState(GPURS_AMBIENT, ambient_);
    device->SetRenderState(GPURS_SPECULARENABLE, 0);
    device->SetRenderState(GPURS_CULLMODE, GPUCULL_CCW);
    device->SetRenderState(GPURS_DITHERENABLE, 0);
    device->SetRenderState(GPURS_NORMALIZENORMALS, 1);
    device->MultiplyTransform(GPUTS_PROJECTION, camera_.projection);
    device->MultiplyTransform(GPUTS_WORLD, camera_.GetView());
    device->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
}

void C3DRoom::RenderScene(const RenderContext& context) { scene_.Render(context); }

void C3DRoom::EndRender(CxD3DDevice* device)
{
    if (!device) return;
    device->PopTransform(GPUTS_WORLD);
    device->PopTransform(GPUTS_PROJECTION);
    device->PopMaterial();
    device->PopRenderStates();
}
