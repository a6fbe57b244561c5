// The base of every room of the game: a scripted room that also pauses its
// event channel with itself, remembers the last room left, and unloads the
// pet when the last room goes.
#pragma once
#include "framework/CLuaRoom.h"

class CBaseRoom : public CLuaRoom {
public:
    CBaseRoom();
    ~CBaseRoom() override;

    void StartRoom() override;
    void StopRoom() override;
    void OnPause() override;
    void OnResume() override;

    static int LiveCount();
    // The name of the room left last ("" before the first leaves).
    static const char* LastRoomName();
};
