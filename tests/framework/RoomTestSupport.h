// A room stack over a temporary game folder, a script engine with the
// headless script API, and a hand-driven clock: each Pass is one frame.
#pragma once
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "core/CxTime.h"
#include "core/CxTimer.h"
#include "display/CxDisplayTree.h"
#include "events/CxEvent.h"
#include "files/CxDirectoryFileSystem.h"
#include "framework/CLuaRoom.h"
#include "app/CxRoomManager.h"
#include "files/QorCoreFiles.h"
#include "framework/CxRoomScript.h"
#include "script/CxLuaEngine.h"
#include "app/CxScriptApi.h"
#include "script/CxScriptApi.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <memory>
#include <string>

inline uint32_t& RoomTestNow()
{
    static uint32_t now = 0;
    return now;
}
inline uint32_t RoomTestClock() { return RoomTestNow(); }

class RoomTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RoomTestNow() = 1000000;
        QorSetTickSource(RoomTestClock);
        fallback = std::make_unique<CxDirectoryFileSystem>();
        SetCoreFileAccess(QorCoreFileAccess());   // description files through the chain, as the application wires it
        ASSERT_EQ(engine.Init(), 0);
        ASSERT_EQ(RegisterHeadlessScriptApi(engine, nullptr), 0);
        ASSERT_EQ(RegisterRoomScriptFunctions(engine), 0);
        engine.RunString("log = {}");
        rooms.SetStackSize(10);
        SetScriptRoomManager(&rooms);
    }
    void TearDown() override
    {
        rooms.Shutdown();
        SetCoreFileAccess(nullptr);
        SetScriptRoomManager(nullptr);
        engine.Shutdown();
        ShutdownDisplayTree();   // the script API's headless tree goes with each test
        QorSetTickSource(nullptr);
    }

    // A room of type T named `name`, its description read as at start-up.
    template <class T = CLuaRoom>
    T* AddRoom(const char* name)
    {
        T* room = new T;
        room->SetName(name);
        room->SetScriptEngine(&engine);
        room->OnRoomCreated();
        rooms.AddRoom(room);
        return room;
    }
    static void Write(const std::string& path, const std::string& text)
    {
        std::filesystem::path file(path);
        if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
        WriteFileBytes(path, text);
    }
    void Enter(const char* name)
    {
        rooms.GotoRoom(name);
        rooms.FrameStep();
    }
    // One frame after `ms` milliseconds: timers, events, the room step.
    void Pass(uint32_t ms = 0)
    {
        RoomTestNow() += ms;
        if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
        CxEvent::Pump();
        rooms.FrameStep();
    }
    std::string Log() { return engine.EvalString("table.concat(log, ',')", "?").Text(); }
    void ClearLog() { engine.RunString("log = {}"); }
    bool Eval(const char* expression) { return engine.EvalBool(expression, false); }

    ErrorCapture errors;
    InTempDir folder;
    std::unique_ptr<CxDirectoryFileSystem> fallback;
    CxLuaEngine engine;
    CxRoomManager rooms;
};
