// The display layer: joins the main window to the display tree and the
// screen.
//
//  - input: keys go to the active display object, then Alt+F4 / Alt+Q quit
//    and Alt+V shows the "Product Version" box; mouse points are scaled from
//    the client area to the root's size and handed to the tree's dispatchers
//    (and to the cursor, which is drawn where the tree sees the pointer);
//  - frames: UpdateFrame -> Present -> UpdateDisplay paints the frame's dirty
//    rectangles through the tree into the screen surface and shows them; a
//    screen that answers ERR_D3D_NOT_RESET is reset between ReleaseDevice
//    and RestoreDevice;
//  - errors: for each cycle an error callback offers "Continue" / "Quit"
//    (Quit throws "DisplayAppError", ending the cycle) and turns a missing
//    disc into a prompt that the failing file operation repeats until the
//    file opens or Escape is pressed.  Without a display nobody can answer,
//    so the boxes take their first button and the disc prompt gives up.
//
// The root and the screen have the internal size ("Engine.Window" /
// "InternalSize") when both values are set, else the client size; the
// platform scales the screen to the window.
#pragma once
#include "core/CxError.h"
#include "app/CxWindowApp.h"

class CxDrawSurface;

class CxDisplayApp : public CxWindowApp {
public:
    explicit CxDisplayApp(const CxAppInfo& info);
    ~CxDisplayApp() override;

    void UpdateFrame() override { Present(); }
    void Present() override { UpdateDisplay(); }
    virtual void UpdateDisplay();

    void OpenCycle() override;
    void StartCycle() override;
    void StopCycle() override;

    void OnKeyDown(KeyCode code, int repeat) override;
    void OnKeyUp(KeyCode code, int repeat) override;
    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnMouseWheel(uint32_t keys, CxPoint point, int notches) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    void OnLButtonUp(uint32_t keys, CxPoint point) override;
    void OnLButtonDblClk(uint32_t keys, CxPoint point) override;
    void OnMButtonDown(uint32_t keys, CxPoint point) override;
    void OnMButtonUp(uint32_t keys, CxPoint point) override;
    void OnMButtonDblClk(uint32_t keys, CxPoint point) override;
    void OnRButtonDown(uint32_t keys, CxPoint point) override;
    void OnRButtonUp(uint32_t keys, CxPoint point) override;
    void OnRButtonDblClk(uint32_t keys, CxPoint point) override;
    void OnActivateApp(bool active) override;
    void OnSize(CxSize size) override;
    void OnPaint(const CxRect& rect) override;

    // The "DisableCursor" / "EnableCursor" commands: the cursor hidden and
    // mouse input stopped, and both back (hiding nests).
    void DisableCursor();
    void EnableCursor();

    // The point in the root's coordinates.
    CxPoint ScaleMousePoint(CxPoint client) const;
    CxSize GetInternalSize() const { return internalSize_; }
    // The size of the screen and the root: the internal size when set.
    CxSize GetDisplaySize() const;

    // The body of the cycle's error callback.
    virtual int OnErrorReport(int code, const char* message);

protected:
    // The 3D screen is handed the current cursor picture each frame; a
    // subclass that presents frames itself calls this before presenting.
    void PassCursorToScreen();
    void ShowVersionBox();
    // The index of the chosen button ("Continue" 0, "Quit" 1).
    int  ShowChoiceBox(const char* title, const char* text);
    // Every box of this layer: modal, with the system cursor shown; `kind`
    // is a PlatBoxKind, `buttons` null-terminated.  The chosen index.
    virtual int ShowBox(int kind, const char* title, const char* text, const char* const* buttons);
    // Shows the disc prompt and answers whether Escape is down.
    virtual bool ShowDiscPrompt(const char* message);
    virtual bool IsEscapeDown();
    // Whether anyone can see a box or prompt and answer it.
    virtual bool CanAskUser();
    // Draws text centred in `area` of an 8-bit surface in the default font.
    virtual void DrawPromptText(CxDrawSurface* surface, const char* text, const CxRect& area, int colourIndex,
                                int size);
    // Puts the previous callback back and throws "DisplayAppError".
    [[noreturn]] void AbandonCycle();

private:
    static int ErrorCallback(int code, const char* message);
    void AttachRoot();
    void PaintPrompt(CxDrawSurface* prompt, const char* message);
    void RestoreErrorCallback();

    CxSize internalSize_{-1, -1};
    CxErrorCallback previousCallback_ = nullptr;
    bool callbackInstalled_ = false;
};
