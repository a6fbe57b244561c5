// The creator registered under "system": sounds, sleeps, notifications,
// channel waits, movies and sequences; any other kind becomes a command for
// the application's command handler.
#pragma once
#include "events/CxEvent.h"

class CCommandHandler;

class CSystemEventCreator : public CxEventCreator {
public:
    explicit CSystemEventCreator(CCommandHandler* handler = nullptr) : handler_(handler) {}
    CxEvent* CreateEvent(const char* creatorName, const char* kind, CxLinkedList<CxString>& arguments) override;
    void SetCommandHandler(CCommandHandler* handler) { handler_ = handler; }

private:
    CCommandHandler* handler_;
};
