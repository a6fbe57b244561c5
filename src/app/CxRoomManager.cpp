#include "app/CxRoomManager.h"
#include "display/CxDisplayTree.h"
#include "app/CxApp.h"
#include "app/CxGameWindow.h"
#include "core/CxError.h"
#include "foundation/Qorstr.h"

// ------------------------------------------------------------- registrars
namespace {
// The registrars of every room kind, and the manager the room scripts act on.
struct RoomState {
    CxLinkedList<CxRoomRegistrar*>* registrars = nullptr;
    CxRoomManager* scriptRooms = nullptr;
};

RoomState& Rooms()
{
    static RoomState state;
    return state;
}
}

CxRoomRegistrar::CxRoomRegistrar(const char* name, CxRoomCreator creator) : creator_(creator)
{
    CopyText(name_, name, sizeof name_);
    if (!Rooms().registrars) Rooms().registrars = new CxLinkedList<CxRoomRegistrar*>;
    Rooms().registrars->AddTail(this);
}

CxRoomRegistrar::~CxRoomRegistrar()
{
    if (!Rooms().registrars) return;
    Rooms().registrars->Remove(this);
    if (Rooms().registrars->IsEmpty()) {
        delete Rooms().registrars;
        Rooms().registrars = nullptr;
    }
}

CxLinkedList<CxRoomRegistrar*>* CxRoomRegistrar::List() { return Rooms().registrars; }

// ------------------------------------------------------------- the room list
bool CxRoomManager::CreateRooms(int stackSize)
{
    stack_.SetSize(stackSize);
    if (!Rooms().registrars || Rooms().registrars->IsEmpty()) {
        ReportError(ERR_UNKNOWN, "No rooms have been registered.  Game will now terminate");
        if (CxApp* app = CxApp::GetApp()) app->Quit();
        return false;
    }
    for (auto* node = Rooms().registrars->GetHead(); node; node = node->next) {
        CxGameWindow* room = node->value->GetCreator() ? node->value->GetCreator()() : nullptr;
        if (!room) continue;
        room->SetName(node->value->GetName());
        room->OnRoomCreated();
        rooms_.AddTail(room);
    }
    return true;
}

CxRoomManager::~CxRoomManager()
{
    Shutdown();
    if (GetScriptRoomManager() == this) SetScriptRoomManager(nullptr);   // scripts must not reach a dead manager
}

void CxRoomManager::AddRoom(CxGameWindow* room)
{
    if (room) rooms_.AddTail(room);
}

void CxRoomManager::Shutdown()
{
    StopCurrentRoom();
    current_ = pending_ = nullptr;
    while (!rooms_.IsEmpty()) delete rooms_.RemoveHead();
}

CxGameWindow* CxRoomManager::FindRoom(const char* name) const
{
    if (!name) return nullptr;
    for (auto* node = rooms_.GetHead(); node; node = node->next)
        if (TextEquals(node->value->GetName(), name, true)) return node->value;
    return nullptr;
}

bool CxRoomManager::HasRoom(const CxGameWindow* room) const
{
    for (auto* node = rooms_.GetHead(); node; node = node->next)
        if (node->value == room) return true;
    return false;
}

// ------------------------------------------------------------- the name stack
void CxRoomManager::PushRoom(const char* name)
{
    CxGameWindow* room = FindRoom(name);
    if (!room) return;
    stack_.Push(CxString(name));   // a full stack keeps its contents, and still switches
    pending_ = room;
}

CxString CxRoomManager::PopRoom()
{
    if (stack_.GetCount() <= 1) {
        pending_ = nullptr;
        return CxString();
    }
    stack_.Pop();
    CxString top = stack_.Top();
    pending_ = FindRoom(top);
    return top;
}

void CxRoomManager::GotoRoom(const char* name)
{
    if (stack_.GetCount() > 1) stack_.Pop();
    PushRoom(name);
}

CxString CxRoomManager::PeekRoom() const
{
    if (stack_.IsEmpty()) return CxString();
    return const_cast<CxStack<CxString>&>(stack_).Top();
}

// ------------------------------------------------------------- switching
// Rooms hang below the display root and cover it; entering shows the room,
// so whatever it loads while starting is painted at once.
void CxRoomManager::ShowOnStage(CxGameWindow* room)
{
    CxDisplayObject* root = GetRootObject();
    if (!root) return;
    if (room->GetParent() != root) room->Link(root);
    room->Paint(0, 0);
}

void CxRoomManager::StopCurrentRoom()
{
    CxGameWindow* room = current_;
    if (!room) return;
    room->BeforeStopRoom();
    room->StopRoom();
    room->AfterStopRoom();
    // A room off the stage is out of the display tree's way: it neither
    // paints nor takes input until it is entered again.
    room->Erase();
    current_ = nullptr;
}

// Every way out clears the switching flag: left set, no room would ever
// switch again.
void CxRoomManager::SwitchRoom()
{
    if (switching_) return;
    switching_ = true;
    CxGameWindow* next = pending_;
    pending_ = nullptr;
    if (!next || next == current_) {
        switching_ = false;
        return;
    }
    StopCurrentRoom();
    CxApp* app = CxApp::GetApp();
    bool quitting = app && app->GetQuitFlag();
    bool requestedMeanwhile = pending_ && pending_ != next;
    if (quitting || requestedMeanwhile) {
        switching_ = false;
        return;
    }
    if (pending_ == next) pending_ = nullptr;   // asked again for the room being entered
    current_ = next;
    ShowOnStage(next);
    next->PrepareRoom();
    next->StartRoom();
    next->AfterStartRoom();
    next->SetActive();
    switching_ = false;
}

void CxRoomManager::FrameStep()
{
    if (pending_) SwitchRoom();
    if (current_ && current_->GetPauseCount() < 1) current_->UpdateRoom();
}

void CxRoomManager::PauseRoom()
{
    if (current_) current_->CountPause();
}

void CxRoomManager::ResumeRoom()
{
    if (current_) current_->CountResume();
}

void CxRoomManager::ReloadRoom()
{
    if (!current_) return;
    current_->StopRoom();
    current_->StartRoom();
}

namespace {
}

void SetScriptRoomManager(CxRoomManager* manager) { Rooms().scriptRooms = manager; }
CxRoomManager* GetScriptRoomManager() { return Rooms().scriptRooms; }
