// The rooms of the game and the stack of room names.
//
// Rooms are registered by name before the program starts (a static
// CxRoomRegistrar per room), created once at start-up in registrar order,
// and entered and left through a stack of names driven by scripts.  A room
// change is only requested when asked for; it is carried out at the start of
// the next frame, so the running room is never torn down under its own feet.
// A request made while a room is being left is kept for the frame after.
#pragma once
#include "foundation/CxContainers.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CxGameWindow;
using CxRoomCreator = CxGameWindow* (*)();

class CxRoomRegistrar {
public:
    CxRoomRegistrar(const char* name, CxRoomCreator creator);
    ~CxRoomRegistrar();
    const char* GetName() const { return name_; }
    CxRoomCreator GetCreator() const { return creator_; }
    static CxLinkedList<CxRoomRegistrar*>* List();

private:
    char name_[32];
    CxRoomCreator creator_;
};

class CxRoomManager {
public:
    CxRoomManager() = default;
    CxRoomManager(const CxRoomManager&) = delete;
    CxRoomManager& operator=(const CxRoomManager&) = delete;
    ~CxRoomManager();

    // Creates a room from every registrar; error 13 and false when none exists.
    bool CreateRooms(int stackSize);
    void AddRoom(CxGameWindow* room);   // takes ownership
    void Shutdown();                    // leaves the current room and deletes every room

    CxGameWindow* FindRoom(const char* name) const;
    bool HasRoom(const CxGameWindow* room) const;
    void PushRoom(const char* name);
    CxString PopRoom();
    void GotoRoom(const char* name);
    CxString PeekRoom() const;
    void SwitchRoom();
    void StopCurrentRoom();
    void PauseRoom();
    void ResumeRoom();
    void ReloadRoom();
    // Once per frame: a pending switch, then the current room's update
    // unless it is paused.
    void FrameStep();

    CxGameWindow* GetCurrentRoom() const { return current_; }
    CxGameWindow* GetPendingRoom() const { return pending_; }
    bool IsLeavingRoom() const { return pending_ != nullptr; }
    bool IsSwitching() const { return switching_; }
    int  StackCount() const { return stack_.GetCount(); }
    int  RoomCount() const { return rooms_.GetCount(); }
    void SetStackSize(int size) { stack_.SetSize(size); }

private:
    void ShowOnStage(CxGameWindow* room);

    CxLinkedList<CxGameWindow*> rooms_;
    CxGameWindow* current_ = nullptr;
    CxGameWindow* pending_ = nullptr;
    bool switching_ = false;
    CxStack<CxString> stack_;
};

// The manager the room script functions (CxRoomScript.h) and the framework's
// rooms and dialogs act on: the application's, or none in a headless host.
void SetScriptRoomManager(CxRoomManager* manager);
CxRoomManager* GetScriptRoomManager();
