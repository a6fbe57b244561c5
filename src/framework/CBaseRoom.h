// The base of every room of the game: a scripted room that also pauses its
// event channel with itself, remembers the last room left, unloads the pet
// when the last room goes, shows the wait cursor while it starts, drops the
// input queued while rooms were changing, gives its scripts the OK and
// yes/no questions (DoOkDialog, DoYesNoDialog) and asks before the game
// quits.
//
// The questions are the game's own dialogs: the game installs them with
// SetRoomQuestions.  Without them the OK message shows nothing and every
// question is answered yes, so a host without the game's dialogs never
// blocks.
#pragma once
#include "framework/CLuaRoom.h"

using CRoomOkQuestion = void (*)(CxGameWindow* room, const char* text);
using CRoomYesNoQuestion = int (*)(CxGameWindow* room, const char* text);
void SetRoomQuestions(CRoomOkQuestion ok, CRoomYesNoQuestion yesNo);

class CBaseRoom : public CLuaRoom {
public:
    CBaseRoom();
    ~CBaseRoom() override;

    void StartRoom() override;
    void AfterStartRoom() override;
    void StopRoom() override;
    void OnPause() override;
    void OnResume() override;
    // The yes/no question for "QuitConfirm": 0 keeps the game running.
    int  OnQuitRequest() override;

    virtual void DoOkDialog(const char* text);
    virtual int  DoYesNoDialog(const char* text);

    static int LiveCount();
    // The name of the room left last ("" before the first leaves).
    static const char* LastRoomName();

private:
    void RegisterQuestionFunctions();
};
