// The game host on top of the display application: one instance only, the
// install and disc paths, the file systems mounted for the game, key
// bindings, the optional command console and the rooms.
//
// The host creates every registered room at start but enters none: the
// start-up scripts choose the first room.  Until a room is current each frame
// only presents the display.
#pragma once
#include "app/CxDisplayApp.h"
#include "app/CxKeyBindings.h"
#include "core/CxPauseResume.h"
#include "core/CxThread.h"
#include "files/CxFileSystemList.h"
#include "app/CxGamePath.h"
#include "app/CxRoomManager.h"

class CxGameWindow;
class CxGameConsole;
class CxRoomRegistrar;

class CxGameApp : public CxDisplayApp, public CxPauseResume {
public:
    explicit CxGameApp(const CxAppInfo& info);
    ~CxGameApp() override;

    // Virtual operations added by the game host, in slot order.
    virtual void SetInstallPath(const char* path);
    virtual const char* GetInstallPath() const { return installPath_.Text(); }
    virtual void SetCDPath(const char* path);
    virtual const char* GetCDPath() const { return cdPath_.Text(); }
    virtual CxString ExpandPath(const char* text) const;
    virtual CxFileSystem* NewFileSystem(const char* name, const char* path);
    virtual void RemoveFileSystem(const char* name);
    virtual CxGameWindow* CreateRoom(CxRoomRegistrar* registrar);
    virtual void SwitchRoom() { rooms_.SwitchRoom(); }

    int  CanStart() override;
    void OpenCycle() override;
    void StartCycle() override;
    void EndCycle() override;
    void StopCycle() override;
    void UpdateFrame() override;
    void OnQuitRequest() override;
    void OnKeyDown(KeyCode code, int repeat) override;

    // The application itself never pauses.
    void Pause() override {}
    void Resume() override {}

    bool BindKey(const char* keyName, const char* command) { return keys_.BindKey(keyName, command); }
    void UnBindKey(const char* keyName) { keys_.UnBindKey(keyName); }
    void UnBindAllKeys() { keys_.UnBindAllKeys(); }
    const CxKeyBindings& GetKeyBindings() const { return keys_; }

    CxRoomManager& GetRooms() { return rooms_; }
    CxGameWindow* GetCurrentRoom() const { return rooms_.GetCurrentRoom(); }
    CxGameConsole* GetConsole() const { return console_; }
    CxFileSystemList& GetFileSystems() { return fileSystems_; }

    // The running game host, or null when the application is another kind.
    static CxGameApp* Get();
    // The registry key named by a "RegistryKey" entry for this application.
    static CxString RegistryKeyFor(const char* keyFormat, const char* appName);

protected:
    // Registers the game host's script functions; later layers add theirs.
    virtual void RegisterScriptFunctions();
    virtual void CreateConsole();
    virtual void CreateRooms();

private:
    void ReadInstallAndDiscPaths();
    void LoadKeyBindings();
    void DestroyConsole();

    CxString installPath_;
    CxString cdPath_;
    CxFileSystemList fileSystems_;
    CxKeyBindings keys_;
    CxRoomManager rooms_;
    CxGameConsole* console_ = nullptr;
    CxMutex instanceMutex_;
    int canStart_ = -1;
};
