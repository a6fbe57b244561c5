// The application layer shared by the pet games: the player's language, the
// per-user save folder "<AppData>" with the game options, the game's font,
// the frame-rate cap and the game-level script functions.
#pragma once
#include "framework/CKelApp.h"
#include "game/CParticles.h"

class C3DRoom;
class CxD3DDevice;
class CxD3DRenderTarget;

class CBaseApp : public CKelApp, public CParticles {
public:
    explicit CBaseApp(const CxAppInfo& info);
    ~CBaseApp() override;

    void OpenCycle() override;
    void StartCycle() override;
    void ReadyCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;
    void ShowCredits() override;

    // Virtual operations added by the game layer.  Both save the frame as
    // an image file (the type follows the extension); 0 or an error code.
    virtual int ScreenCapture(const char* path);
    virtual int ScreenCaptureWithUI(const char* path);
    // The 3D frame: the current 3D room sets up the device, the passes draw
    // opaque, transparent and foreground objects, then the interface.
    virtual void PrepareScene(CxD3DDevice* device);
    virtual void RenderPass(int pass);
    virtual void FinishScene(CxD3DDevice* device);

    // Draws the frame when the 16 ms since the last one are up (or a
    // capture forces it), and only while the application is active.
    void UpdateDisplay() override;
    // "MoveSprite" (case ignored) is the game's; every other kind goes to the framework.
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    void ReleaseDevice() override;
    void RestoreDevice() override;
    int  Step() override;

    // The 3D room the frame draws, or null (no 3D device, or a 2D room).
    C3DRoom* GetCurrent3DRoom() const;
    CxD3DDevice* GetD3DDevice() const;
    int  GetFrameCount() const { return frames3D_; }
    bool IsFullRedraw() const { return fullRedraw_; }

    CxOptions& GetGameOptions() { return gameOptions_; }
    const char* GetLanguage() const { return language_; }
    int32_t GetFontId() const { return fontId_; }
    const char* GetSaveFolder() const { return saveFolder_.Text(); }

    // "GetLanguageString('key')" evaluated by the scripts; "No String
    // defined" when they give no text.
    CxString GetLanguageString(const char* key);

    // Run at the start of the next cycle's ReadyCycle (the options menu
    // marks a restart this way).
    void QueueScriptForNextCycle(const char* text) { queuedScript_ = text; }

    static CBaseApp* Get();

    // The game's own pictures for the system cursors, at their fixed ids;
    // how many loaded.  Without the picture table nothing changes.
    int LoadSystemCursors();
    // The splash picture over everything until 5 s pass, a key or the left
    // button; 0 or the error of its picture.
    int DoSplashScreen();

protected:
    void RegisterScriptFunctions() override;

private:
    void RunLanguageScript();
    void MountSaveFolder();
    void LoadGameFont();
    void InstallErrorCallback();
    // The sound system for a cycle, with the volumes of the game options.
    void StartSoundWiring();
    void StoreSoundVolumes();
    void StopSoundWiring();
    void Render3DFrame(CxD3DDevice* device);
    int  Capture3D(const char* path, bool withInterface);
    int  CaptureSurface(const char* path);
    void CreateOverlay();
    void DestroyOverlay();

    CxOptions gameOptions_;
    char language_[16] = "English";
    CxString saveFolder_;
    CxString queuedScript_;
    int32_t fontId_ = -1;
    uint32_t lastDisplayTick_ = 0;
    bool displayedOnce_ = false;
    CxD3DRenderTarget* overlay_ = nullptr;   // the interface pass draws into it; owned
    CxD3DDevice* overlayDevice_ = nullptr;
    int  presentAnswer_ = 0;
    int  pass_ = 0;
    bool forceDisplay_ = false;
    bool overlayOn_ = true;
    bool fullRedraw_ = true;
    int  frames3D_ = 0;
};

// Runs a game dialog modally with mouse input on, whatever the game had
// set, and gives the setting back afterwards.
class CKelDialog;
int DoModalWithMouse(CKelDialog& dialog);
