#include "game/world/C3DRoom.h"

#include "core/CxTime.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxSplineEvents.h"
#include "game/world/CxWorldScript.h"
#include "foundation/Qorstr.h"
#include "graphics/CxD3DDevice.h"
#include "script/CxLuaEngine.h"

#include <lua.hpp>

#include <cmath>
#include <cstdlib>
#include <vector>

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

void SetModelDrawStates(CxD3DDevice* device)
{
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
}

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

void CxCamera::PickingRay(int sx, int sy, int width, int height, float origin[3], float direction[3])
{
    // Screen point to view space at unit depth; a zero size or scale leaves
    // the ray on the view's axis instead of dividing by zero.
    float px = 0, py = 0;
    if (width > 0 && std::fabs(projection.m[0][0]) > 1e-12f)
        px = (2.0f * float(sx) / float(width) - 1) / projection.m[0][0];
    if (height > 0 && std::fabs(projection.m[1][1]) > 1e-12f)
        py = -(2.0f * float(sy) / float(height) - 1) / projection.m[1][1];
    const GpuMatrix& v = GetView();
    // The inverse of an affine view: the transposed axes, and the eye as the
    // translation.  A view that is not affine is not inverted.
    GpuMatrix inv;
    bool affine = std::fabs(v.m[0][3]) <= 0.001f && std::fabs(v.m[1][3]) <= 0.001f && std::fabs(v.m[2][3]) <= 0.001f &&
                  std::fabs(v.m[3][3] - 1) <= 0.001f;
    if (affine) {
        // The upper 3x3 is inverted in general (a scaled view stays right).
        float a[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c) a[r][c] = v.m[r][c];
        float det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) - a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                    a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
        if (std::isfinite(det) && std::fabs(det) > 1e-12f) {
            float b[3][3];
            b[0][0] = (a[1][1] * a[2][2] - a[1][2] * a[2][1]) / det;
            b[0][1] = (a[0][2] * a[2][1] - a[0][1] * a[2][2]) / det;
            b[0][2] = (a[0][1] * a[1][2] - a[0][2] * a[1][1]) / det;
            b[1][0] = (a[1][2] * a[2][0] - a[1][0] * a[2][2]) / det;
            b[1][1] = (a[0][0] * a[2][2] - a[0][2] * a[2][0]) / det;
            b[1][2] = (a[0][2] * a[1][0] - a[0][0] * a[1][2]) / det;
            b[2][0] = (a[1][0] * a[2][1] - a[1][1] * a[2][0]) / det;
            b[2][1] = (a[0][1] * a[2][0] - a[0][0] * a[2][1]) / det;
            b[2][2] = (a[0][0] * a[1][1] - a[0][1] * a[1][0]) / det;
            for (int r = 0; r < 3; ++r)
                for (int c = 0; c < 3; ++c) inv.m[r][c] = b[r][c];
            for (int c = 0; c < 3; ++c)
                inv.m[3][c] = -(v.m[3][0] * b[0][c] + v.m[3][1] * b[1][c] + v.m[3][2] * b[2][c]);
        }
    }
    float d[3];
    for (int i = 0; i < 3; ++i) d[i] = px * inv.m[0][i] + py * inv.m[1][i] + inv.m[2][i];
    float length = Length(d);
    if (!(length > 1e-12f) || !std::isfinite(length)) d[0] = 0, d[1] = 0, d[2] = 1, length = 1;
    for (int i = 0; i < 3; ++i) direction[i] = d[i] / length, origin[i] = inv.m[3][i];
}

C3DRoom::C3DRoom() = default;

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
    SetModelDrawStates(device);
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

// ---------------------------------------------------------------- the room's life
namespace {
C3DRoom* gRunning = nullptr;
}

C3DRoom* C3DRoom::GetRunning() { return gRunning; }
void C3DRoom::SetRunning(C3DRoom* room) { gRunning = room; }

void C3DRoom::PrepareRoom()
{
    CBaseRoom::PrepareRoom();
    gRunning = this;
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    RegisterWorldScriptClasses(*engine);
    RegisterCameraFunctions(*engine);
    ScriptExpose(*engine, &scene_, kCxSceneManagerScriptClass,
                 "Room.m_cSceneManager = CxSceneManager:SubClass(_tmpObj) _tmpObj = nil");
}

void C3DRoom::StartRoom()
{
    gRunning = this;
    CxOptions& description = GetDescription();
    float fov = description.ReadFloat("Camera", "FieldOfView", 0);
    if (fov > 0 && fov < 180) {
        float zNear = description.ReadFloat("Camera", "Near", 0.1f), zFar = description.ReadFloat("Camera", "Far", 100);
        camera_.SetPerspective(fov * 3.14159265f / 180, float(width_) / float(height_), zNear, zFar);
    }
    CBaseRoom::StartRoom();
}

void C3DRoom::StopRoom()
{
    CBaseRoom::StopRoom();
    // The scene's objects belong to the scripts; what is still linked is
    // let go so that nothing points into the room once it is gone.
    std::vector<CxRenderable*> children = scene_.GetChildren();
    for (CxRenderable* child : children) child->UnLink();
    sceneShown_ = false;
    if (gRunning == this) gRunning = nullptr;
}

C3DRoom::~C3DRoom()
{
    if (gRunning == this) gRunning = nullptr;
}

void C3DRoom::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    if (sceneShown_) CxDisplayObject::OnPaint(target, rect);
    else CBaseRoom::OnPaint(target, rect);
}

// ---------------------------------------------------------------- camera functions
namespace {
C3DRoom* Room(lua_State* L)
{
    C3DRoom* room = C3DRoom::GetRunning();
    if (!room) luaL_error(L, "no 3D room is running");
    return room;
}

float Number(lua_State* L, int index)
{
    if (lua_type(L, index) != LUA_TNUMBER) luaL_argerror(L, index, "bad argument");
    return float(lua_tonumber(L, index));
}

// Three finite numbers, or the call changes nothing.
bool Point(lua_State* L, float out[3])
{
    for (int i = 0; i < 3; ++i) out[i] = Number(L, i + 1);
    return Finite3(out);
}

int Push3(lua_State* L, const float v[3])
{
    for (int i = 0; i < 3; ++i) lua_pushnumber(L, v[i]);
    return 3;
}

int GetCameraPositionFn(lua_State* L) { return Push3(L, Room(L)->GetCamera().eye); }
int GetCameraTargetFn(lua_State* L) { return Push3(L, Room(L)->GetCamera().target); }

int GetScreenPositionFn(lua_State* L)
{
    float p[3];
    for (int i = 0; i < 3; ++i) p[i] = Number(L, i + 1);
    C3DRoom* room = Room(L);
    int x = 0, y = 0;
    room->GetCamera().ScreenPosition(p, room->GetRoomWidth(), room->GetRoomHeight(), &x, &y);
    lua_pushnumber(L, x);
    lua_pushnumber(L, y);
    return 2;
}

int SetCameraPositionFn(lua_State* L)
{
    float p[3];
    if (!Point(L, p)) return 0;
    CxCamera& camera = Room(L)->GetCamera();
    for (int i = 0; i < 3; ++i) camera.eye[i] = p[i];
    camera.valid = 1;
    return 0;
}

int SetCameraLookAtFn(lua_State* L)
{
    float p[3];
    if (!Point(L, p)) return 0;
    CxCamera& camera = Room(L)->GetCamera();
    for (int i = 0; i < 3; ++i) camera.target[i] = p[i];
    camera.valid = 1;
    return 0;
}

int SetCameraVectorFn(lua_State* L)
{
    float d[3];
    if (!Point(L, d)) return 0;
    CxCamera& camera = Room(L)->GetCamera();
    for (int i = 0; i < 3; ++i) camera.target[i] = camera.eye[i] + d[i];
    camera.valid = 1;
    return 0;
}

int SetCameraUpFn(lua_State* L)
{
    float d[3];
    if (!Point(L, d)) return 0;
    CxCamera& camera = Room(L)->GetCamera();
    for (int i = 0; i < 3; ++i) camera.up[i] = d[i];
    camera.valid = 1;
    return 0;
}

int SetCameraDistanceFn(lua_State* L)
{
    Room(L)->GetCamera().SetDistance(Number(L, 1));
    return 0;
}

int SetGlobalAmbientLightFn(lua_State* L)
{
    uint32_t c[4];
    for (int i = 0; i < 4; ++i) {
        float v = Number(L, i + 1);
        c[i] = std::isfinite(v) ? uint32_t(int64_t(v) & 255) : 0;
    }
    Room(L)->SetAmbient((c[3] << 24) | (c[0] << 16) | (c[1] << 8) | c[2]);
    return 0;
}

const luaL_Reg kCameraFunctions[] = {
    {"GetCameraPosition", GetCameraPositionFn},   {"GetCameraTarget", GetCameraTargetFn},
    {"GetScreenPosition", GetScreenPositionFn},   {"SetCameraPosition", SetCameraPositionFn},
    {"SetCameraLookAt", SetCameraLookAtFn},       {"SetCameraVector", SetCameraVectorFn},
    {"SetCameraUp", SetCameraUpFn},               {"SetCameraDistance", SetCameraDistanceFn},
    {"SetGlobalAmbientLight", SetGlobalAmbientLightFn},
};
}  // namespace

int RegisterCameraFunctions(CxLuaEngine& engine)
{
    for (const luaL_Reg& entry : kCameraFunctions) engine.RegisterFunction(entry.name, entry.func);
    return 0;
}

// ---------------------------------------------------------------- commands and events
namespace {
std::vector<float> Numbers(CxLinkedList<CxString>& arguments)
{
    std::vector<float> out;
    for (auto* node = arguments.GetHead(); node; node = node->next) {
        float v = std::strtof(node->value.Text(), nullptr);
        out.push_back(std::isfinite(v) ? v : 0.0f);
    }
    return out;
}
}  // namespace

CxEvent* C3DRoom::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    bool move = TextEquals(kind, "MoveCamera", true), track = TextEquals(kind, "TrackCamera", true);
    bool zoom = TextEquals(kind, "ZoomCamera", true);
    if (!move && !track && !zoom) return CBaseRoom::CreateEvent(creatorName, kind, arguments);
    std::vector<float> n = Numbers(arguments);
    int samples = n.size() > 0 ? int(n[0]) : 0;
    float speed = n.size() > 1 ? n[1] : 100.0f;
    if (zoom) return NewZoomCameraEvent(samples, speed, n.size() > 2 ? n[2] : 1.0f);
    std::vector<CxVec3> points;
    const float* start = move ? camera_.eye : camera_.target;
    points.push_back(CxVec3{start[0], start[1], start[2]});
    for (size_t i = 2; i + 2 < n.size(); i += 3) points.push_back(CxVec3{n[i], n[i + 1], n[i + 2]});
    return new CCameraMoveAlongSplineEvent(move ? CCameraMoveAlongSplineEvent::EYE : CCameraMoveAlongSplineEvent::TARGET,
                                           std::move(points), samples, speed);
}

int C3DRoom::OnCommand(const char* command, CxLinkedList<CxString>& arguments)
{
    std::vector<float> n = Numbers(arguments);
    n.resize(std::max<size_t>(n.size(), 3), 0.0f);
    if (TextEquals(command, "SetCameraPosition", true)) {
        camera_.eye[0] = n[0], camera_.eye[1] = n[1], camera_.eye[2] = n[2];
        camera_.valid = 1;
        return 0;
    }
    if (TextEquals(command, "SetCameraLookAt", true)) {
        camera_.target[0] = n[0], camera_.target[1] = n[1], camera_.target[2] = n[2];
        camera_.valid = 1;
        return 0;
    }
    if (TextEquals(command, "SetCameraDistance", true)) {
        camera_.SetDistance(n[0]);
        return 0;
    }
    return CBaseRoom::OnCommand(command, arguments);
}
