// The 3D frame of the game: the current 3D room's scene in its passes, then
// the interface drawn over it through the overlay target, at most once per
// 16 ms and only while the game is the active application.
#include "game/CBaseApp.h"

#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "game/screens/CPreviewRoom.h"
#include "game/world/C3DRoom.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxSplineEvents.h"
#include "game/world/CxTextureCache.h"
#include "foundation/Qorstr.h"
#include "graphics/CxD3DDevice.h"
#include "graphics/CxD3DRenderTarget.h"
#include "graphics/CxD3DScreen.h"
#include "platform/os/PlatformSystem.h"
#include "platform/window/PlatformWindow.h"
#include "script/CxLuaEngine.h"

namespace {
constexpr uint32_t kDisplayInterval = 16;

}  // namespace

CxD3DDevice* CBaseApp::GetD3DDevice() const
{
    auto* screen = dynamic_cast<CxD3DScreen*>(GetScreen());
    return screen ? screen->GetD3DDevice() : nullptr;
}

C3DRoom* CBaseApp::GetCurrent3DRoom() const
{
    if (!GetD3DDevice()) return nullptr;
    return dynamic_cast<C3DRoom*>(GetCurrentRoom());
}

void CBaseApp::CreateOverlay()
{
    CxD3DDevice* device = GetD3DDevice();
    if (!device || (overlay_ && overlayDevice_ == device)) return;
    DestroyOverlay();
    CxSize internal = GetDisplaySize();
    overlay_ = new CxD3DRenderTarget(device, GetClientWidth(), GetClientHeight(), internal, 32);
    overlayDevice_ = device;
    device->Clear(0, nullptr, GPUCLEAR_TARGET | GPUCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetSamplerState(0, GPUSAMP_MINFILTER, GPUTEXF_LINEAR);
    device->SetSamplerState(0, GPUSAMP_MAGFILTER, GPUTEXF_LINEAR);
}

void CBaseApp::DestroyOverlay()
{
    delete overlay_;
    overlay_ = nullptr;
    overlayDevice_ = nullptr;
}

void CBaseApp::UpdateDisplay()
{
    CxScreenSurface* screen = GetScreen();
    if (!forceDisplay_) {
        if (!screen) return;
        uint32_t now = QorTickCount();
        if (displayedOnce_ && now - lastDisplayTick_ < kDisplayInterval) return;
        lastDisplayTick_ = now;
        displayedOnce_ = true;
    }
    if (!(GetStateFlags() & WINSTATE_ACTIVE)) return;
    auto* d3dScreen = dynamic_cast<CxD3DScreen*>(screen);
    C3DRoom* room = GetCurrent3DRoom();
    if (!room) {
        // A 2D room: the screen shows its own surface, as on any screen.
        if (d3dScreen) d3dScreen->SetSurfaceShown(true);
        CKelApp::UpdateDisplay();
        return;
    }
    d3dScreen->SetSurfaceShown(false);
    room->SetSceneShown(true);
    CxD3DDevice* device = d3dScreen->GetD3DDevice();
    if (presentAnswer_ == 0) Render3DFrame(device);
    PassCursorToScreen();
    presentAnswer_ = screen->Present(nullptr);
    if (presentAnswer_ == ERR_D3D_NOT_RESET) {
        ReleaseDevice();
        screen->Reset();
        RestoreDevice();
        fullRedraw_ = true;
        presentAnswer_ = 0;
    }
}

void CBaseApp::Render3DFrame(CxD3DDevice* device)
{
    CreateOverlay();
    device->BeginScene();
    PrepareScene(device);
    pass_ = RENDERPASS_OPAQUE;
    RenderPass(RENDERPASS_OPAQUE);
    device->SetRenderState(GPURS_ZWRITEENABLE, 0);
    RenderPass(RENDERPASS_TRANSPARENT);
    device->SetRenderState(GPURS_ZENABLE, 0);
    RenderPass(RENDERPASS_FOREGROUND);
    RenderPass(RENDERPASS_INTERFACE);
    FinishScene(device);
    fullRedraw_ = false;
    ++frames3D_;
}

void CBaseApp::PrepareScene(CxD3DDevice* device)
{
    GpuCaps caps;
    bool antiAlias = device->GetCaps(&caps) == GPU_OK && caps.maxSamples > 0 && ReadInt("Options", "AntiAlias", 0) != 0;
    CxSize internal = GetDisplaySize();
    if (C3DRoom* room = GetCurrent3DRoom()) {
        room->SetRoomSize(internal.width, internal.height);
        room->BeginRender(device);
    }
    // The scene covers every pixel, so the interface is painted whole on top.
    InvalidateRect(CxRect{0, 0, internal.width - 1, internal.height - 1});
    device->SetRenderState(GPURS_FILLMODE, ReadInt("Options", "WireFrame", 0) != 0 ? GPUFILL_WIREFRAME : GPUFILL_SOLID);
    device->SetRenderState(GPURS_MULTISAMPLEANTIALIAS, antiAlias ? 1 : 0);
}

void CBaseApp::RenderPass(int pass)
{
    CxD3DDevice* device = GetD3DDevice();
    if (!device) return;
    if (pass != RENDERPASS_INTERFACE) {
        if (C3DRoom* room = GetCurrent3DRoom()) room->RenderScene(RenderContext{device, pass, fullRedraw_ ? 1 : 0});
        return;
    }
    if (!overlayOn_ || !overlay_ || CurrentDirtyRects().IsEmpty()) {
        PaintDirtyRects(nullptr, nullptr);   // the lists move on all the same
        return;
    }
    // The interface is never drawn in wireframe.
    device->SetRenderState(GPURS_FILLMODE, GPUFILL_SOLID);
    overlay_->BeginDraw();
    PaintDirtyRects(overlay_, nullptr);
    overlay_->EndDraw();
}

void CBaseApp::FinishScene(CxD3DDevice* device)
{
    if (C3DRoom* room = GetCurrent3DRoom()) room->EndRender(device);
    device->EndScene();
}

void CBaseApp::ReleaseDevice()
{
    if (CxLuaEngine* engine = GetScriptEngine()) engine->RunString("collectgarbage('collect')");
    if (overlay_) overlay_->ReleaseTarget();
    if (CPreviewRoom* preview = CPreviewRoom::GetRunning()) preview->ReleaseDevice();
    Cx3DObject::ReleaseAllDeviceObjects();
    ReleaseTextureCacheDevice();
}

void CBaseApp::RestoreDevice()
{
    CxD3DDevice* device = GetD3DDevice();
    if (!device) return;
    device->ReapplyStates();
    device->SetSamplerState(0, GPUSAMP_MINFILTER, GPUTEXF_LINEAR);
    device->SetSamplerState(0, GPUSAMP_MAGFILTER, GPUTEXF_LINEAR);
    if (overlay_) overlay_->RestoreTarget(device, GetClientWidth(), GetClientHeight());
    if (CPreviewRoom* preview = CPreviewRoom::GetRunning()) preview->RestoreDevice();
    CxSize internal = GetDisplaySize();
    InvalidateRect(CxRect{0, 0, internal.width - 1, internal.height - 1});
    fullRedraw_ = true;
}

// While the device is lost nothing is drawn; once it can be reset it is,
// and the frame after redraws everything.
int CBaseApp::Step()
{
    CxD3DDevice* device = GetD3DDevice();
    if (!device) return CKelApp::Step();
    int level = device->TestCooperativeLevel();
    if (level == GPU_ERR_DEVICE_LOST) {
        PlatSleep(500);
        PlatMessage message;
        while (PlatPeekMessage(&message)) {
            if (message.type == PMSG_QUIT) return 1;
            HandleMessage(message);
        }
        return 0;
    }
    if (level == GPU_ERR_DEVICE_NOT_RESET) {
        ReleaseDevice();
        GetScreen()->Reset();
        RestoreDevice();
        return 0;
    }
    return CKelApp::Step();
}

CxEvent* CBaseApp::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    if (TextEquals(kind, "MoveSprite", true)) return NewMoveSpriteEvent(arguments);
    return CKelApp::CreateEvent(creatorName, kind, arguments);
}
