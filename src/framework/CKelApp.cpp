#include "framework/CKelApp.h"
#include "events/CxInterpolator.h"

#include "core/CxError.h"
#include "display/CxCursor.h"
#include "display/CxDialogRegistry.h"
#include "framework/CKelShared.h"
#include "framework/CxRoomScript.h"
#include "events/CSystemEventCreator.h"
#include "events/CxEventScriptFunctions.h"
#include "files/QorFile.h"
#include "app/CxGamePath.h"
#include "app/CxGameWindow.h"
#include "graphics/CxFont.h"
#include "graphics/QorImageFilters.h"
#include "script/CxLuaEngine.h"

CKelApp::CKelApp(const CxAppInfo& info) : CxGameApp(info) {}

// The shared pieces went with the last cycle's StopCycle; the static lists
// that held them may already be gone when the application object is.
CKelApp::~CKelApp() = default;

CKelApp* CKelApp::Get() { return dynamic_cast<CKelApp*>(CxApp::GetApp()); }

// A framework room reads its description file as soon as it exists.
CxGameWindow* CKelApp::CreateRoom(CxRoomRegistrar* registrar)
{
    CxGameWindow* room = CxGameApp::CreateRoom(registrar);
    if (room) room->OnRoomCreated();
    return room;
}

void CKelApp::StartCycle()
{
    RegisterEngineImageFilters();
    CxGameApp::StartCycle();
    RegisterEngineFontFilters();
    // The same routine the first event listener installs: it runs once a frame.
    AddIdleFunction(CxEvent::Pump);
    LoadGlobals();
    LoadCursors();
    StartMovies();
    if (!ReadInt("Startup", "SkipIntroMovies", 0)) PlayIntroMovies();
    CreateSystemChannel();
}

void CKelApp::CreateSystemChannel()
{
    DestroySystemChannel();
    CxEvent::CreateChannel(&systemChannel_);
    SetSystemChannel(systemChannel_);
    RegisterEventCreator("system", this);
}

void CKelApp::DestroySystemChannel()
{
    UnregisterEventCreators("system");
    if (systemChannel_) CxEvent::DestroyChannel(systemChannel_);
    systemChannel_ = 0;
    SetSystemChannel(0);
}

void CKelApp::RunFileIfExists(const char* path)
{
    if (GetScriptEngine() && QorFileExists(path)) GetScriptEngine()->RunFile(path);
}

void CKelApp::ReadyCycle()
{
    CxGameApp::ReadyCycle();
    RunFileIfExists("startup.lua");
}

int CKelApp::LoadCursors() { return LoadNamedCursors(kel_, "Cursors", BuildGamePath); }

// The room stack's script functions are the framework's: the engine's
// application only hands the scripts its room manager.
void CKelApp::RegisterScriptFunctions()
{
    CxGameApp::RegisterScriptFunctions();
    if (CxLuaEngine* engine = GetScriptEngine()) RegisterRoomScriptFunctions(*engine);
}

void CKelApp::StopCycle()
{
    DestroyGlobals();
    // A restart begins the next cycle with no variables of this one.
    GetGlobalInterpolator().RemoveAll();
    if (!ReadInt("Startup", "SkipCredits", 0) && GetLastErrorCode() == 0) ShowCredits();
    DestroySystemChannel();
    StopMovies();
    CxGameApp::StopCycle();
    kel_.Close();
}

void CKelApp::UpdateFrame()
{
    CxGameApp::UpdateFrame();
    RunPendingModalDialog();
}

void CKelApp::OnDeactivate()
{
    CxGameApp::OnDeactivate();
    if (!active_) return;
    active_ = false;
    if (CxGameWindow* room = GetCurrentRoom()) room->CountPause();
}

void CKelApp::OnActivate()
{
    CxGameApp::OnActivate();
    if (active_) return;
    active_ = true;
    CxGameWindow* room = GetCurrentRoom();
    if (room && room->GetPauseCount() > 0) room->CountResume();
}

CxEvent* CKelApp::CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments)
{
    CSystemEventCreator systemEvents(this);
    return systemEvents.CreateEvent(creatorName, kind, arguments);
}
