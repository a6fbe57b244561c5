#include "game/screens/CPreviewRoom.h"

#include "core/CxTime.h"
#include "display/CxDrawText.h"
#include "game/CBaseApp.h"
#include "game/world/CPet.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxTextureSurface.h"
#include "script/CxLuaEngine.h"

#include <cstdlib>

namespace {
CPreviewRoom* gRunningPreview = nullptr;

constexpr CxRect kPreviewRect{589, 188, 589 + 336 - 1, 188 + 267 - 1};
constexpr CxVector3 kPreviewEye{-5, 40, 30};
constexpr CxVector3 kPreviewTarget{0, 15, 0};
constexpr uint32_t kPreviewSky = 0xFFABEEF6;

GpuColorValue Grey(float v) { return GpuColorValue{v, v, v, v}; }
}  // namespace

CPreviewRoom::CPreviewRoom() = default;

CPreviewRoom::~CPreviewRoom()
{
    if (gRunningPreview == this) gRunningPreview = nullptr;
    if (window_) window_->SetListener(nullptr);
    delete window_;
}

CPreviewRoom* CPreviewRoom::GetRunning() { return gRunningPreview; }

Cx3DObject* CPreviewRoom::PreviewPet() { return GetRegisteredPet(); }

CxD3DDevice* CPreviewRoom::FindDevice()
{
    CBaseApp* app = CBaseApp::Get();
    return app ? app->GetD3DDevice() : nullptr;
}

void CPreviewRoom::StartRoom()
{
    C3DRoom::StartRoom();
    device_ = FindDevice();
    CxOptions& description = GetDescription();
    CxRect rect;
    description.GetRect("Preview", "Rect", &rect, kPreviewRect);
    if (rect.Width() <= 0 || rect.Height() <= 0) rect = kPreviewRect;
    delete window_;
    window_ = new Cx3DWindow;
    window_->SetListener(&listener_);
    // Without a 3D device the window has no target and draws nothing (it
    // is not asked for one: that would be an error); the room works on.
    if (device_) window_->CreateWindow(rect.left, rect.top, rect.Width(), rect.Height(), this, 0);
    else window_->Create(rect.left, rect.top, rect.Width(), rect.Height(), this, 0);
    window_->Show();
    if (device_) SetDeviceState(device_);

    CxVector3 eye, target;
    description.GetVector("Preview", "Eye", &eye, kPreviewEye);
    description.GetVector("Preview", "Target", &target, kPreviewTarget);
    camera_.up[0] = 0, camera_.up[1] = 1, camera_.up[2] = 0;
    float zNear = description.ReadFloat("Preview", "Near", 1), zFar = description.ReadFloat("Preview", "Far", 300);
    if (!(zNear > 0) || !(zFar > zNear)) zNear = 1, zFar = 300;
    camera_.SetPerspective(0.7853982f, float(rect.Width()) / float(rect.Height()), zNear, zFar);
    camera_.target[0] = target.x, camera_.target[1] = target.y, camera_.target[2] = target.z;
    camera_.eye[0] = eye.x, camera_.eye[1] = eye.y, camera_.eye[2] = eye.z;
    camera_.valid = 1;

    if (Cx3DObject* pet = PreviewPet()) pet->PlayInfinite("SitIdle", 1);
    gRunningPreview = this;
}

void CPreviewRoom::SetDeviceState(CxD3DDevice* device)
{
    GpuMaterial material;
    material.diffuse = Grey(1);
    material.ambient = Grey(1);
    material.specular = Grey(0);
    material.emissive = Grey(0);
    material.power = 0;
    device->SetMaterial(material);
    SetModelDrawStates(device);
    device->SetRenderState(GPURS_CULLMODE, GPUCULL_CCW);
    device->SetRenderState(GPURS_AMBIENT, 0xFFF0F0F0);
    device->SetRenderState(GPURS_NORMALIZENORMALS, 1);
    device->SetRenderState(GPURS_MULTISAMPLEANTIALIAS, 0);
    device->SetRenderState(GPURS_DITHERENABLE, 0);
    device->SetRenderState(GPURS_SPECULARENABLE, 0);
    device->SetTransform(GPUTS_WORLD, GpuMatrix{});
    device->SetTransform(GPUTS_VIEW, GpuMatrix{});
}

void CPreviewRoom::StopRoom()
{
    if (gRunningPreview == this) gRunningPreview = nullptr;
    if (window_) {
        window_->SetListener(nullptr);
        window_->Kill();
        delete window_;
        window_ = nullptr;
    }
    device_ = nullptr;
    C3DRoom::StopRoom();
}

// The room's picture stays the background even while the game's 3D frame
// draws the room.
void CPreviewRoom::OnPaint(CxRenderTarget* target, const CxRect* rect) { CBaseRoom::OnPaint(target, rect); }

void CPreviewRoom::ReleaseDevice()
{
    if (window_) window_->ReleaseTarget();
    device_ = nullptr;
}

void CPreviewRoom::RestoreDevice()
{
    device_ = FindDevice();
    if (!window_ || !device_) return;
    SetDeviceState(device_);
    window_->CreateTarget();
}

void CPreviewRoom::PreviewBegin(CxD3DDevice* device)
{
    if (!device) return;
    device->PushTransform(GPUTS_PROJECTION);
    device->PushTransform(GPUTS_WORLD);
    device->PushRenderStates();
    device->MultiplyTransform(GPUTS_PROJECTION, camera_.projection);
    device->MultiplyTransform(GPUTS_WORLD, camera_.GetView());
    device->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, kPreviewSky, 1.0f, 0);
}

void CPreviewRoom::PreviewRender(const RenderContext& context)
{
    // The pet's clips run on the clock of every 3D room: a clock of the
    // visit's own would move them back in time between rooms.
    Cx3DObject::SetGameTime(float(QorTickCount()) / 1000.0f);
    Cx3DObject* pet = PreviewPet();
    if (!context.device || !pet) return;
    float offset[3] = {0, 0, 0};
    if (CxLuaEngine* engine = GetScriptEngine()) {
        offset[0] = float(engine->EvalNumber("globals.preview_offset.x", 0));
        offset[1] = float(engine->EvalNumber("globals.preview_offset.y", 0));
        offset[2] = float(engine->EvalNumber("globals.preview_offset.z", 0));
    }
    pet->SetPosition(offset[0], offset[1], offset[2]);
    pet->Render(context);
}

void CPreviewRoom::PreviewEnd(CxD3DDevice* device)
{
    if (!device) return;
    device->PopTransform(GPUTS_WORLD);
    device->PopTransform(GPUTS_PROJECTION);
    device->PopRenderStates();
}

// ---------------------------------------------------------------- the kennels
void UseKennelFolder(CKelWindow& room)
{
    CxString path;
    path.Format("Kennel/%s.ini", room.GetName());
    room.GetDescription().Open(path);
    room.SetActivityPath("/Kennel");
}

void CKennel::OnRoomCreated() { UseKennelFolder(*this); }
void CCert::OnRoomCreated() { UseKennelFolder(*this); }

// ---------------------------------------------------------------- the main menu
CMainMenu::~CMainMenu() { delete version_; }

void CMainMenu::StartRoom()
{
    CPreviewRoom::StartRoom();
    CxRect rect;
    GetDescription().GetRect("Version", "Rect", &rect, CxRect{75, 690, 75 + 400 - 1, 690 + 20 - 1});
    delete version_;
    version_ = new CxDrawText;
    version_->Create(rect.left, rect.top, rect.Width(), rect.Height(), this, 0);
    version_->SetDefaultDepth(32);
    version_->SetPointSize(14);
    CBaseApp* app = CBaseApp::Get();
    version_->SetFont(app ? app->GetFontId() : -1);
    // No ground by default; through the 3D screen's interface a ground
    // without alpha hides the letters, so the description can give one.
    CxString ground = GetDescription().ReadString("Version", "Background", "");
    version_->SetBkColor(ground.IsEmpty() ? 0 : CxPixel(std::strtoul(ground.Text(), nullptr, 0)));
    version_->SetTextFlags(0x10000009);
    CxString ink = GetDescription().ReadString("Version", "Color", "");
    if (!ink.IsEmpty()) version_->SetColor(CxPixel(std::strtoul(ink.Text(), nullptr, 0)));
    CxString text;
    if (app) {
        const CxAppInfo& info = app->GetInfo();
        text.Format("%s v%d.%02d build %d (%s)", info.name, int(info.versionMajor), int(info.versionMinor),
                    int(info.build), info.buildDate);
    }
    version_->SetString(text.Text());
    version_->Show();
}

void CMainMenu::StopRoom()
{
    if (version_) {
        version_->Kill();
        delete version_;
        version_ = nullptr;
    }
    CPreviewRoom::StopRoom();
}
