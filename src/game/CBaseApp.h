// The application layer shared by the pet games: the player's language, the
// per-user save folder "<AppData>" with the game options, the game's font,
// the frame-rate cap and the game-level script functions.
#pragma once
#include "framework/CKelApp.h"

class CBaseApp : public CKelApp {
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

    CxOptions gameOptions_;
    char language_[16] = "English";
    CxString saveFolder_;
    CxString queuedScript_;
    int32_t fontId_ = -1;
    uint32_t lastDisplayTick_ = 0;
};
