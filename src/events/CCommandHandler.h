// Receives the commands of command events: the application and the room
// windows answer named commands with their arguments.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CCommandHandler {
public:
    virtual ~CCommandHandler() = default;
    virtual int OnCommand(const char* command, CxLinkedList<CxString>& arguments) = 0;
};
