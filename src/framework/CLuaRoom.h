// A room whose behaviour is a script.
//
// While the room runs, the global table `Room` holds its callbacks.  The
// table is rebuilt at every visit (PrepareRoom): every callback starts as an
// empty function, `Room.this` is the room as a CxSprite script object, and
// the methods DisableButton, EnableButton, SetTimer, KillTimer, Pause and
// Resume carry this room.  Then the room's own script "<Name>.lua" runs and
// replaces the callbacks it wants; "<Name>.lua" is found through the chain,
// so the room's own "<ActivityPath>" folder answers first.  A script that
// fails to load or run is printed and the room runs on with what the table
// holds, so every event still finds a function to call.
//
// Every engine event becomes one line of script text, "Room.OnTimer(5)";
// `Room` is set to nil after the last step of leaving.
#pragma once
#include "framework/CKelWindow.h"

class CLuaRoom : public CKelWindow {
public:
    CLuaRoom();
    ~CLuaRoom() override;

    void PrepareRoom() override;
    void StartRoom() override;
    void AfterStartRoom() override;
    void BeforeStopRoom() override;
    void StopRoom() override;
    void AfterStopRoom() override;

    void OnMouseMove(uint32_t keys, CxPoint point) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnRButtonDown(uint32_t keys, CxPoint point) override;
    CxDisplayObject* OnRButtonUp(uint32_t keys, CxPoint point) override;
    void OnKeyDown(KeyCode key, uint32_t flags) override;
    // The sender reaches the script as its control id.
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override;
    void OnActivate() override;

    void OnRoomTimer(uint32_t id, uint32_t value) override;
    void OnPause() override;
    void OnResume() override;
    void OnIdleTimeOut(int count) override;
    void OnStateChange(int32_t state) override;

    // Whether `room` is a scripted room that still exists: the methods in a
    // script's hands may outlive the visit they were made for.
    static bool IsLive(const CLuaRoom* room);

protected:
    // Builds the `Room` table with its defaults, `this` and the methods.
    void BuildRoomTable();
    // "Room.<text>" as one line: printf-style, numbers only.
    void CallRoom(const char* format, ...) __attribute__((format(printf, 2, 3)));
};
