// The display layer's error callback, its boxes and the disc prompt.
#include "app/CxDisplayApp.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxScreenSurface.h"
#include "graphics/CxSurf.h"
#include "platform/os/PlatformMessageBox.h"
#include "platform/os/PlatformSystem.h"
#include "platform/window/PlatformWindow.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr int kPromptBackground = 252, kPromptText = 255, kPromptTextSize = 36;
constexpr uint32_t kPromptPauseMs = 50;   // between retries of the failing file

void SetPromptPalette(CxDrawSurface* prompt)
{
    uint8_t palette[CX_PALETTE_BYTES] = {};
    uint8_t* background = palette + 3 * kPromptBackground;
    background[2] = 128;                                  // dark blue
    std::memset(palette + 3 * kPromptText, 255, 3);       // white
    prompt->SetPalette(palette);
}
}  // namespace

int CxDisplayApp::ErrorCallback(int code, const char* message)
{
    auto* app = dynamic_cast<CxDisplayApp*>(CxApp::GetApp());
    if (!app) return DefaultErrorCallback(code, message);
    return app->OnErrorReport(code, message);
}

void CxDisplayApp::AbandonCycle()
{
    RestoreErrorCallback();
    throw "DisplayAppError";
}

int CxDisplayApp::OnErrorReport(int code, const char* message)
{
    if (code == ERR_CD_MISSING) {
        bool autoAbort = ReadInt("Engine", "AutoAbortOnCDError", 0) != 0;
        if (!autoAbort && !GetQuitFlag()) {
            if (!CanAskUser()) return 1;   // nobody can insert a disc: the file operation fails
            if (!ShowDiscPrompt(message)) return 0;
        }
        AbandonCycle();
    }
    if (ShowChoiceBox(GetErrorName(code), message) == 1) AbandonCycle();
    return 0;
}

bool CxDisplayApp::CanAskUser() { return PlatHasDisplay() && HasWindow(); }
bool CxDisplayApp::IsEscapeDown() { return PlatIsKeyDown(PVK_ESCAPE); }

// Stale input queued behind a box must not be handled after it, and the box
// needs the system cursor even when the game hides it.
int CxDisplayApp::ShowBox(int kind, const char* title, const char* text, const char* const* buttons)
{
    bool shown = PlatIsSystemCursorShown();
    PlatFlushMessages();
    PlatShowSystemCursor(true);
    int choice = PlatShowMessageBox(PlatBoxKind(kind), title, text, buttons);
    PlatShowSystemCursor(shown);
    return choice;
}

int CxDisplayApp::ShowChoiceBox(const char* title, const char* text)
{
    static const char* const kButtons[] = {"Continue", "Quit", nullptr};
    return ShowBox(PLAT_BOX_ERROR, title, text, kButtons);
}

void CxDisplayApp::ShowVersionBox()
{
    static const char* const kButtons[] = {"Ok", nullptr};
    char text[400];
    std::snprintf(text, sizeof text, "%s v%d.%02d build %d\n%s", GetName(), GetVersionMajor(), GetVersionMinor(),
                  GetBuild(), GetBuildDate());
    ShowBox(PLAT_BOX_INFO, "Product Version", text, kButtons);
}

// ------------------------------------------------------------- disc prompt
void CxDisplayApp::PaintPrompt(CxDrawSurface* prompt, const char* message)
{
    SetPromptPalette(prompt);
    prompt->FillRect(nullptr, kPromptBackground);
    const char* name = std::strlen(GetName()) >= 30 ? "Game" : GetName();
    char text[200];
    std::snprintf(text, sizeof text, "Please insert the %s CD, or hit the Escape key to quit.", name);
    int32_t w = prompt->GetWidth(), h = prompt->GetHeight();
    DrawPromptText(prompt, text, CxRect{0, 0, w - 1, h - 1}, kPromptText, kPromptTextSize);
    if (PlatIsShiftDown()) DrawPromptText(prompt, message, CxRect{0, h / 2, w - 1, h - 1}, kPromptText, kPromptTextSize);
}

// Only a close request is acted on while the prompt stands: it sets the quit
// flag, so the next call of the callback ends the cycle instead of asking.
bool CxDisplayApp::ShowDiscPrompt(const char* message)
{
    if (CxScreenSurface* screen = GetScreen()) {
        CxDrawSurface* surface = screen->GetSurface();
        CxDrawSurface prompt;
        if (surface && prompt.Create(surface->GetWidth(), surface->GetHeight(), 8) == 0) {
            PaintPrompt(&prompt, message);
            prompt.BltAt(surface, 0, 0);
            screen->Present(nullptr);
            if (CxDisplayObject* root = GetRootObject()) InvalidateRect(root->GetRect());   // the game comes back after
        }
    }
    PlatMessage m;
    while (PlatPeekMessage(&m))
        if (m.type == PMSG_CLOSE || m.type == PMSG_QUIT) Quit();
    PlatSleep(kPromptPauseMs);
    return IsEscapeDown();
}
