#include "game/CBaseApp.h"

#include "core/CxError.h"
#include "core/CxPaths.h"
#include "core/CxTime.h"
#include "files/QorFile.h"
#include "foundation/Qorstr.h"
#include "framework/CBaseRoom.h"
#include "framework/CKelDialog.h"
#include "framework/CLanguageString.h"
#include "game/screens/CGameDialogs.h"
#include "game/world/Cx3DObject.h"
#include "game/world/CxModelManager.h"
#include "game/world/CxTextureCache.h"
#include "graphics/CxFont.h"
#include "platform/os/PlatformSystem.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptText.h"

namespace {
CxErrorCallback gPreviousCallback = nullptr;

// Errors while quitting are the tear-down's business, and code 0 is none;
// everything else goes to the display layer's prompt.
int GameErrorCallback(int code, const char* message)
{
    CxApp* app = CxApp::GetApp();
    if (code == 0 || (app && app->GetQuitFlag())) return 0;
    if (code == ERR_PRINTER) {
        SetErrorCount(0);   // printer trouble never counts towards the error limit
        return 0;
    }
    return gPreviousCallback ? gPreviousCallback(code, message) : 0;
}
}  // namespace

CBaseApp::CBaseApp(const CxAppInfo& info) : CKelApp(info) {}

CBaseApp::~CBaseApp() = default;

CBaseApp* CBaseApp::Get() { return dynamic_cast<CBaseApp*>(CxApp::GetApp()); }

int DoModalWithMouse(CKelDialog& dialog)
{
    CBaseApp* app = CBaseApp::Get();
    bool mouse = app && app->IsMouseInputEnabled();
    if (app) app->EnableMouseInput(true);
    int code = dialog.CKelDialog::DoModal();   // the dialog's own run, not an override calling back here
    if (app) app->EnableMouseInput(mouse);
    return code;
}

void CBaseApp::OpenCycle()
{
    CxString language = ReadString("Options", "Language", "English");
    CopyText(language_, language.Text(), sizeof language_);
    CKelApp::OpenCycle();
}

void CBaseApp::StartCycle()
{
    RunLanguageScript();
    MountSaveFolder();
    gameOptions_.Open("<AppData>options.ini");
    StartSoundWiring();
    CKelApp::StartCycle();
    LoadSystemCursors();
    CxModelManagerInstall();
    LoadGameFont();
    InstallErrorCallback();
    SetRoomQuestions(RunOkDialog, AskYesNoQuestion);
    StartGlitterTimer(kGlitterIntervalMs);
}

void CBaseApp::RunLanguageScript()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    engine->RunString(CxString::FormatNew("gLanguage=%s", ScriptQuote(language_).Text()).Text());
    if (QorFileExists("language.lua")) engine->RunFile("language.lua");
}

// "<AppData>" is the player's own folder: kept busy so that a search
// without a file-system name never writes into it by accident.
void CBaseApp::MountSaveFolder()
{
    bool allUsers = ReadInt("Options", "AllUsers", 1) != 0;
    char appData[512];
    GetShellFolder("AppData", appData, sizeof appData, allUsers);
    CxString company = CxString::FormatNew("<DEFAULT>%s/Marloft", appData);
    saveFolder_ = CxString::FormatNew("%s/%s", company.Text(), GetName());
    if (!QorFileExists(company.Text())) QorFileCreateDirectory(company.Text());
    if (!QorFileExists(saveFolder_.Text())) QorFileCreateDirectory(saveFolder_.Text());
    if (CxFileSystem* fileSystem = NewFileSystem("<AppData>", saveFolder_.Text())) fileSystem->RaiseBusy();
}

// The game's font: a TrueType font from the system's fonts folder when one
// of the preferred ones is there, else the one shipped with the game, else
// the built-in font.
void CBaseApp::LoadGameFont()
{
    char fonts[512];
    GetShellFolder("Fonts", fonts, sizeof fonts, false);
    const CxString candidates[] = {CxString::FormatNew("<DEFAULT>%s/comic.ttf", fonts),
                                   CxString::FormatNew("<DEFAULT>%s/arial.ttf", fonts), CxString("COMMON/FGR_____.TTF")};
    fontId_ = -1;
    for (const CxString& path : candidates) {
        if (!QorFileExists(path.Text())) continue;
        int32_t handle = -1;
        if (LoadFont(path.Text(), &handle) == 0 && handle >= 0) {
            fontId_ = handle;
            break;
        }
    }
    CxLuaEngine* engine = GetScriptEngine();
    if (!engine) return;
    engine->RunString(CxString::FormatNew("g_nFontArial=%d g_nFont1=%d g_nFont2=%d g_nFont3=%d", fontId_, fontId_,
                                          fontId_, fontId_).Text());
}

void CBaseApp::InstallErrorCallback()
{
    CxErrorCallback current = GetErrorCallback();
    if (current == GameErrorCallback) return;
    gPreviousCallback = current;
    SetErrorCallback(GameErrorCallback);
}

void CBaseApp::ReadyCycle()
{
    if (!queuedScript_.IsEmpty() && GetScriptEngine()) {
        CxString text = queuedScript_;
        queuedScript_ = "";
        GetScriptEngine()->RunString(text.Text());
    }
    CKelApp::ReadyCycle();
}

void CBaseApp::StopCycle()
{
    CxLuaEngine* engine = GetScriptEngine();
    if (engine) engine->RunString("UnLoadPet()");
    StopGlitterTimer();
    ClearGlitter();
    // Objects the scripts dropped give their textures and models back now.
    if (engine) engine->RunString("collectgarbage('collect')");
    if (fontId_ >= 0) DeleteFont(fontId_);
    fontId_ = -1;
    StoreSoundVolumes();
    DestroyOverlay();
    if (gameOptions_.IsModified()) gameOptions_.Save();
    gameOptions_.Close();
    if (GetErrorCallback() == GameErrorCallback) SetErrorCallback(gPreviousCallback);
    gPreviousCallback = nullptr;
    CKelApp::StopCycle();
    StopSoundWiring();
    // The rooms are gone now, and with them every 3D object's hold.  What
    // scripts still hold lets go of the device, which closes before them.
    PurgeTextures();
    ReleaseTextureCacheDevice();
    Cx3DObject::ReleaseAllDeviceObjects();
    CxModelManagerPurgeFiles();
    SetRoomQuestions(nullptr, nullptr);
    RemoveFileSystem("<AppData>");
}

void CBaseApp::UpdateFrame()
{
    // The display is capped at a frame per 16 ms (UpdateDisplay); the rest
    // of the interval is slept away instead of spun.
    uint32_t since = QorTickCount() - lastDisplayTick_;
    if (displayedOnce_ && since < 16) PlatSleep(16 - since);
    AdvanceGlitter();
    CKelApp::UpdateFrame();
}

// The game narrows the framework's rule: credits only at the end of a cycle
// that was not ended by quitting.
void CBaseApp::ShowCredits()
{
    if (GetQuitFlag()) return;
    CKelApp::ShowCredits();
}

CxString CBaseApp::GetLanguageString(const char* key) { return LookUpLanguageString(GetScriptEngine(), key); }
