// The application's one main window.  Each window message becomes a virtual
// operation; keyboard messages become the engine's key codes.  One message
// is handled per frame and the loop never waits for one; while the window
// is minimised or hidden (state bit 0x20) only messages are handled.
#pragma once
#include "app/CxApp.h"
#include "core/KeyCode.h"
#include "foundation/CxGeometry.h"

struct PlatMessage;
class CxOSPalette;
class CxScreenSurface;

enum CxWindowConfig : uint32_t {
    WINCFG_DIRECTDRAW = 0x001,
    WINCFG_CUSTOM_CURSOR = 0x002,
    WINCFG_RIGHT_IS_LEFT = 0x004,
    WINCFG_DOUBLE_CLICKS = 0x008,
    WINCFG_FULL_SCREEN = 0x010,
    WINCFG_CAPTION = 0x040,
    WINCFG_RESIZABLE = 0x080,
    WINCFG_HIDDEN = 0x100,
    WINCFG_CENTRED = 0x200,
    WINCFG_SYSTEM_MENU = 0x400,
    WINCFG_DROP_FILES = 0x800,
};

enum CxWindowState : uint32_t {
    WINSTATE_CAPTURED = 0x01,
    WINSTATE_ACTIVE = 0x02,
    WINSTATE_WINDOWED_SCREEN = 0x04,
    WINSTATE_EXCLUSIVE_SCREEN = 0x08,
    WINSTATE_MOUSE_INPUT = 0x10,
    WINSTATE_MINIMISED = 0x20,
};

// The code of a key message through the special-key table (0 when the key
// has none), and of a character through the character rule.
KeyCode TranslateSpecialKey(uint32_t virtualKey, bool altHeld);
KeyCode TranslateCharacter(uint32_t character, bool altHeld, bool controlHeld);
// The other way: the key message's virtual key for a special key's code
// (Alt taken off), 0 for the codes that arrive as characters.
uint32_t VirtualKeyOfSpecialKey(KeyCode code);

class CxWindowApp : public CxApp {
public:
    explicit CxWindowApp(const CxAppInfo& info);
    ~CxWindowApp() override;

    int  Step() override;
    int  RunModalFrame() override;
    void FlushPaintRequests() override { FlushPaintMessages(); }
    void OpenCycle() override;
    void StartCycle() override;
    void RunCycle() override;
    void StopCycle() override;
    void CloseCycle() override;

    // Virtual operations added by the window layer.
    virtual int  QueryScreenMetrics();
    virtual int  ShowMainWindow();
    virtual int  HideMainWindow();
    virtual int  MinimizeMainWindow();
    virtual int  MaximizeMainWindow();
    virtual int  RestoreMainWindow();
    virtual void CenterMainWindow();
    virtual void MoveMainWindow(int32_t x, int32_t y);
    virtual void SetWindowRect(const CxRect& rect, int32_t depth);
    virtual CxRect  GetWindowRect() const { return windowRect_; }
    virtual CxRect  GetClientRect() const { return clientRect_; }
    virtual int32_t GetClientWidth() const { return clientRect_.Width(); }
    virtual int32_t GetClientHeight() const { return clientRect_.Height(); }
    virtual int32_t GetDepth() const { return depth_; }
    virtual int32_t GetScreenWidth() const { return screenWidth_; }
    virtual int32_t GetScreenHeight() const { return screenHeight_; }
    virtual int32_t GetScreenDepth() const { return screenDepth_; }
    virtual void SetScreen(CxScreenSurface* screen) { screen_ = screen; }
    virtual CxScreenSurface* GetScreen() const { return screen_; }
    virtual void SetPalette(CxOSPalette* palette);
    virtual CxOSPalette* GetPalette() const { return palette_; }
    virtual void Present() {}
    virtual void FlushPaintMessages();
    // Puts the system's quit request back in the queue, for a loop inside
    // the main loop that took it but must leave it to the main loop.
    void RepostQuitMessage();
    virtual void InvalidateArea(const CxRect* rect);
    virtual void EnableMouseInput(bool on);
    virtual bool IsMouseInputEnabled() const { return (stateFlags_ & WINSTATE_MOUSE_INPUT) != 0; }
    virtual int  HandleMessage(const PlatMessage& message);
    virtual void RestoreDevice() {}
    virtual void ReleaseDevice() {}
    virtual int  CreateMainWindow(const CxRect& rect);
    virtual void DestroyMainWindow();
    // Opens the screen with fallback (renderer, then window surface) and
    // records whether it is windowed or exclusive; 0 or an error code.
    virtual int  CreateScreen(int32_t width, int32_t height, int32_t depth);
    virtual void DestroyScreen();

    virtual void OnKeyDown(KeyCode code, int repeat) {}
    virtual void OnKeyUp(KeyCode code, int repeat) {}
    virtual void OnTimer(uint32_t id) {}
    virtual void OnMouseMove(uint32_t keys, CxPoint point) {}
    virtual void OnMouseWheel(uint32_t keys, CxPoint point, int notches) {}
    virtual void OnLButtonDown(uint32_t keys, CxPoint point) {}
    virtual void OnLButtonUp(uint32_t keys, CxPoint point) {}
    virtual void OnLButtonDblClk(uint32_t keys, CxPoint point) {}
    virtual void OnMButtonDown(uint32_t keys, CxPoint point) {}
    virtual void OnMButtonUp(uint32_t keys, CxPoint point) {}
    virtual void OnMButtonDblClk(uint32_t keys, CxPoint point) {}
    virtual void OnRButtonDown(uint32_t keys, CxPoint point) {}
    virtual void OnRButtonUp(uint32_t keys, CxPoint point) {}
    virtual void OnRButtonDblClk(uint32_t keys, CxPoint point) {}
    virtual void OnMove(CxPoint position) {}
    virtual void OnSize(CxSize size) {}
    virtual void OnPaint(const CxRect& rect) {}
    virtual void OnUserMessage(uint32_t value) {}
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    virtual void OnActivateApp(bool active) {}
    virtual void OnDropFiles(CxLinkedList<CxString>& paths) {}

    uint32_t GetConfigFlags() const { return configFlags_; }
    void SetConfigFlags(uint32_t flags) { configFlags_ = flags; }
    uint32_t GetStateFlags() const { return stateFlags_; }
    bool HasWindow() const;

protected:
    void SetStateBit(uint32_t bit, bool on) { stateFlags_ = on ? (stateFlags_ | bit) : (stateFlags_ & ~bit); }

private:
    void DispatchMouse(const PlatMessage& message);
    void RecordRectangles();

    CxRect windowRect_;
    CxRect clientRect_;
    CxRect initialRect_;
    CxScreenSurface* screen_ = nullptr;   // owned
    CxOSPalette* palette_ = nullptr;      // owned
    int32_t depth_;
    int32_t screenWidth_ = 0, screenHeight_ = 0, screenDepth_ = 0;
    uint32_t configFlags_;
    uint32_t stateFlags_ = WINSTATE_MOUSE_INPUT;
    bool cursorShownForFrame_ = false;
};
