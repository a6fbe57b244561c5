#include "app/CxGameApp.h"

#include "core/CxError.h"
#include "app/CxGameConsole.h"
#include "core/CxPaths.h"
#include "display/CxDisplayTree.h"
#include "files/CxFile.h"
#include "files/QorFile.h"
#include "app/CxGameWindow.h"
#include "app/CxRoomManager.h"
#include "platform/registry/PlatformRegistry.h"
#include "script/CxLuaEngine.h"

#include <cstdio>
#include <string>

namespace {
// "\" becomes "/" and a trailing "/" is added.
CxString NormalisedFolder(const char* path)
{
    CxString folder(path);
    folder.Replace('\\', '/');
    if (!folder.IsEmpty() && folder.GetAt(folder.GetLength() - 1) != '/') folder += '/';
    return folder;
}
}  // namespace

CxGameApp::CxGameApp(const CxAppInfo& info) : CxDisplayApp(info) {}

CxGameApp::~CxGameApp() { instanceMutex_.Close(); }

CxGameApp* CxGameApp::Get() { return dynamic_cast<CxGameApp*>(CxApp::GetApp()); }

int CxGameApp::CanStart()
{
    // A second copy would share the save folder and options file.
    if (canStart_ < 0) {
        canStart_ = instanceMutex_.Create(GetName(), false) == 0 && instanceMutex_.Lock(0) == 1 ? 1 : 0;
        // The start still ends quietly with code 0, but whoever started it
        // from a terminal learns why nothing opened.
        if (!canStart_) std::fprintf(stderr, "%s is already running.\n", GetName());
    }
    return canStart_;
}

void CxGameApp::SetInstallPath(const char* path) { installPath_ = NormalisedFolder(path); }

void CxGameApp::SetCDPath(const char* path)
{
    cdPath_ = path && *path ? NormalisedFolder(path) : CxString("");
}

CxString CxGameApp::ExpandPath(const char* text) const { return ExpandGamePath(text); }

CxFileSystem* CxGameApp::NewFileSystem(const char* name, const char* path)
{
    bool dynamic = ReadInt("Engine.Game", "DynamicFileSystem", 0) != 0;
    return fileSystems_.NewFileSystem(name, path, dynamic);
}

void CxGameApp::RemoveFileSystem(const char* name) { fileSystems_.RemoveFileSystem(name); }

CxGameWindow* CxGameApp::CreateRoom(CxRoomRegistrar* registrar)
{
    CxGameWindow* room = registrar->GetCreator()();
    if (room) room->SetName(registrar->GetName());
    return room;
}

void CxGameApp::OpenCycle()
{
    CxDisplayApp::OpenCycle();
    ReadInstallAndDiscPaths();
}

// The key comes from a data file, so it is never a printf format: its first
// "%s" takes the application name and every other character stays as written.
CxString CxGameApp::RegistryKeyFor(const char* keyFormat, const char* appName)
{
    std::string key(keyFormat ? keyFormat : "");
    size_t at = key.find("%s");
    if (at != std::string::npos) key.replace(at, 2, appName ? appName : "");
    return CxString(key.c_str());
}

void CxGameApp::ReadInstallAndDiscPaths()
{
    CxString installDir(GetStartDir());
    char registryCd[256] = {};
    CxString keyFormat = ReadString("Engine.Game", "RegistryKey", "Software\\Corvalen\\%s");
    CxString key = RegistryKeyFor(keyFormat.Text(), GetName());
    char registryInstall[256] = {};
    ReadRegistryText(PLAT_REG_LOCAL_MACHINE, key.Text(), "InstallPath", registryInstall, sizeof registryInstall);
    if (registryInstall[0]) {
        installDir = registryInstall;
        ReadRegistryText(PLAT_REG_LOCAL_MACHINE, key.Text(), "CDPath", registryCd, sizeof registryCd);
    }
    SetInstallPath(ReadString("Startup", "InstallPath", installDir.Text()).Text());
    SetCDPath(ReadString("Startup", "CDPath", registryCd).Text());
    if (!cdPath_.IsEmpty()) NewFileSystem("<CDPath>", cdPath_.Text());
    NewFileSystem("<InstallPath>", installPath_.Text());
}

void CxGameApp::StartCycle()
{
    CxDisplayApp::StartCycle();
    if (GetScriptEngine()) {
        RegisterScriptFunctions();
        LoadKeyBindings();
        if (QorFileExists("autorun.lua")) GetScriptEngine()->RunFile("autorun.lua");
    }
    CreateConsole();
    rooms_.SetStackSize(ReadInt("Engine.Game", "RoomStackSize", 10));
    CreateRooms();
}

void CxGameApp::LoadKeyBindings()
{
    UnBindAllKeys();
    CxOptionSection* section = FindSection("Engine.Game.KeyBinds");
    if (!section) return;
    for (CxOptionVariable* entry = section->First(); entry; entry = section->Next()) {
        BindKey(entry->key.Text(), entry->value.Text());
    }
}

void CxGameApp::CreateConsole()
{
    DestroyConsole();
    console_ = CreateGameConsole(*this, GetClientWidth());
}

void CxGameApp::DestroyConsole()
{
    delete console_;
    console_ = nullptr;
}

void CxGameApp::CreateRooms()
{
    CxLinkedList<CxRoomRegistrar*>* registrars = CxRoomRegistrar::List();
    if (!registrars || registrars->IsEmpty()) {
        ReportError(ERR_UNKNOWN, "No rooms have been registered.  Game will now terminate");
        Quit();
        return;
    }
    for (auto* node = registrars->GetHead(); node; node = node->next) {
        if (CxGameWindow* room = CreateRoom(node->value)) rooms_.AddRoom(room);
    }
}

void CxGameApp::EndCycle()
{
    rooms_.Shutdown();
    SetScriptRoomManager(nullptr);
    CxDisplayApp::EndCycle();
}

void CxGameApp::StopCycle()
{
    UnBindAllKeys();
    DestroyConsole();
    CxDisplayApp::StopCycle();
    fileSystems_.RemoveAll();
}

void CxGameApp::UpdateFrame()
{
    rooms_.FrameStep();
    Present();
}

void CxGameApp::OnQuitRequest()
{
    CxGameWindow* room = rooms_.GetCurrentRoom();
    if (room && room->OnQuitRequest() == 0) SetQuitFlag(0);
}

void CxGameApp::OnKeyDown(KeyCode code, int repeat)
{
    KeyCode bound = code >= 'a' && code <= 'z' ? KeyCode(code - 'a' + 'A') : code;
    const char* command = keys_.CommandFor(bound);
    if (command && GetScriptEngine()) GetScriptEngine()->RunString(command);
    if (ToggleGameConsole(console_, code)) return;
    CxDisplayApp::OnKeyDown(code, repeat);
}
