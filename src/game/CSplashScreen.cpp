#include "game/CSplashScreen.h"

#include "core/CxError.h"
#include "graphics/CxSurf.h"

CSplashScreen::~CSplashScreen()
{
    delete timer_;
    UnLink();
}

void CSplashScreen::OnTimer(CxTimerCallBack*) { EndModal(); }

void CSplashScreen::OnKeyDown(KeyCode, uint32_t) { EndModal(); }

void CSplashScreen::OnLButtonDown(uint32_t, CxPoint) { EndModal(); }

int CSplashScreen::ShowModal(const char* picture, CxDisplayObject* parent, uint32_t durationMs)
{
    if (!picture || !*picture) return ReportError(ERR_INVALID_ARGUMENT, "No splash screen picture");
    // A picture that did not load leaves an empty surface behind, reported
    // by the load itself.
    int code = LoadSurface(picture);
    CxDrawSurface* surface = GetSurface();
    if (code == 0 && (!surface || !surface->IsCreated())) code = ERR_OPEN_FILE;
    if (code == 0 && surface->GetErrorCode() != 0) code = surface->GetErrorCode();
    if (code != 0) {
        ReleaseSurface();
        return code;
    }
    if (parent) Link(parent);
    Center();
    SetZOrder(Z_FRONT);
    Show();
    timer_ = new CxTimerCallBack(this, TIMER_NO_PERIOD);
    timer_->Start(durationMs);
    code = DoModal();
    delete timer_;
    timer_ = nullptr;
    Hide();
    UnLink();
    return code;
}
