#include "../core/ErrorCapture.h"
#include "core/CxTime.h"
#include "app/CxGameWindow.h"
#include "app/CxRoomManager.h"

#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {
std::vector<std::string> gLog;

class TestRoom : public CxGameWindow {
public:
    explicit TestRoom(const char* name) { SetName(name); }
    void PrepareRoom() override { Log("prepare"); }
    void StartRoom() override { Log("start"); }
    void AfterStartRoom() override { Log("after start"); }
    void BeforeStopRoom() override { Log("before stop"); }
    void StopRoom() override
    {
        Log("stop");
        if (onStop) onStop();
        CxGameWindow::StopRoom();
    }
    void AfterStopRoom() override { Log("after stop"); }
    void UpdateRoom() override
    {
        Log("update");
        CxGameWindow::UpdateRoom();
    }
    void OnRoomTimer(uint32_t id, uint32_t value) override
    {
        Log("timer " + std::to_string(id) + "/" + std::to_string(value));
        if (killInTimer) KillTimer(id);
    }
    std::function<void()> onStop;
    bool killInTimer = false;

private:
    void Log(const std::string& what) { gLog.push_back(std::string(GetName()) + " " + what); }
};

class Rooms : public ::testing::Test {
protected:
    void SetUp() override
    {
        gLog.clear();
        rooms.SetStackSize(10);
        for (const char* name : {"MainMenu", "House", "Kennel1"}) rooms.AddRoom(new TestRoom(name));
    }
    TestRoom* Room(const char* name) { return static_cast<TestRoom*>(rooms.FindRoom(name)); }
    CxRoomManager rooms;
};
}  // namespace

TEST_F(Rooms, SwitchesHappenAtTheNextFrameInThreeSteps)
{
    rooms.PushRoom("mainmenu");
    EXPECT_EQ(rooms.GetCurrentRoom(), nullptr);
    EXPECT_TRUE(rooms.IsLeavingRoom());
    rooms.FrameStep();
    EXPECT_EQ(rooms.GetCurrentRoom(), Room("MainMenu"));
    rooms.GotoRoom("House");   // one name on the stack: pushed on top
    EXPECT_EQ(rooms.StackCount(), 2);
    gLog.clear();
    rooms.FrameStep();
    EXPECT_EQ(gLog, (std::vector<std::string>{"MainMenu before stop", "MainMenu stop", "MainMenu after stop",
                                              "House prepare", "House start", "House after start", "House update"}));
    EXPECT_TRUE(Room("House")->IsActiveWindow());
}

TEST_F(Rooms, TheNameStack)
{
    rooms.PushRoom("Nowhere");
    EXPECT_EQ(rooms.StackCount(), 0);
    EXPECT_FALSE(rooms.IsLeavingRoom());

    rooms.PushRoom("MainMenu");
    EXPECT_STREQ(rooms.PopRoom(), "");   // one name: nothing popped, the pending switch cancelled
    EXPECT_FALSE(rooms.IsLeavingRoom());

    rooms.PushRoom("House");
    EXPECT_STREQ(rooms.PopRoom(), "MainMenu");
    EXPECT_EQ(rooms.GetPendingRoom(), Room("MainMenu"));
    rooms.GotoRoom("Kennel1");
    EXPECT_STREQ(rooms.PeekRoom(), "Kennel1");
    EXPECT_EQ(rooms.StackCount(), 2);

    CxRoomManager small;
    small.SetStackSize(2);
    small.AddRoom(new TestRoom("A"));
    small.PushRoom("A");
    small.PushRoom("A");
    small.PushRoom("A");                 // full: kept at two, still switches
    EXPECT_EQ(small.StackCount(), 2);
    EXPECT_TRUE(small.IsLeavingRoom());
}

TEST_F(Rooms, TheCurrentRoomIsNotRestartedButReloadRestartsIt)
{
    rooms.PushRoom("House");
    rooms.FrameStep();
    gLog.clear();
    rooms.PushRoom("House");
    rooms.FrameStep();
    EXPECT_EQ(gLog, (std::vector<std::string>{"House update"}));
    gLog.clear();
    rooms.ReloadRoom();
    EXPECT_EQ(gLog, (std::vector<std::string>{"House stop", "House start"}));
}

TEST_F(Rooms, ARequestWhileLeavingWinsAtTheFrameAfter)
{
    rooms.PushRoom("MainMenu");
    rooms.FrameStep();
    Room("MainMenu")->onStop = [this] { rooms.GotoRoom("Kennel1"); };
    rooms.GotoRoom("House");
    rooms.FrameStep();
    EXPECT_EQ(rooms.GetCurrentRoom(), nullptr);
    EXPECT_FALSE(rooms.IsSwitching());   // cleared on this early way out too
    rooms.FrameStep();
    EXPECT_EQ(rooms.GetCurrentRoom(), Room("Kennel1"));
}

TEST_F(Rooms, PausedRoomsGetNoUpdates)
{
    rooms.PushRoom("House");
    rooms.FrameStep();
    rooms.PauseRoom();
    rooms.PauseRoom();
    gLog.clear();
    rooms.FrameStep();
    rooms.ResumeRoom();
    rooms.FrameStep();
    EXPECT_TRUE(gLog.empty());
    rooms.ResumeRoom();
    rooms.FrameStep();
    EXPECT_EQ(gLog, (std::vector<std::string>{"House update"}));
}

namespace {
uint32_t gNow = 0;
uint32_t Clock() { return gNow; }
}  // namespace

TEST_F(Rooms, TimersMayBeKilledFromTheirOwnCall)
{
    gNow = 1000000;
    QorSetTickSource(Clock);
    rooms.PushRoom("House");
    rooms.FrameStep();
    TestRoom* house = Room("House");
    house->SetTimer(7, 100, 42);
    house->SetTimer(7, 100, 43);      // the same id replaces the timer
    EXPECT_EQ(house->TimerCount(), 1);
    house->killInTimer = true;
    gLog.clear();
    CxTimerManager::Get()->OnMainLoop();
    EXPECT_EQ(gLog, (std::vector<std::string>{"House timer 7/43"}));
    EXPECT_EQ(house->TimerCount(), 0);
    EXPECT_EQ(house->WaitingDeletions(), 2);
    gNow += 500;
    if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
    EXPECT_EQ(gLog.size(), 1u);       // killed timers never fire again
    rooms.FrameStep();                // the update deletes them
    EXPECT_EQ(house->WaitingDeletions(), 0);
    EXPECT_EQ(CxTimerManager::Get(), nullptr);
    QorSetTickSource(nullptr);
}

TEST(RoomRegistrars, RoomsAreCreatedInRegistrationOrder)
{
    ErrorCapture capture;
    {
        CxRoomManager empty;
        EXPECT_FALSE(empty.CreateRooms(10));
        ASSERT_EQ(capture.Reports().size(), 1u);
        EXPECT_EQ(capture.Reports()[0].message, "No rooms have been registered.  Game will now terminate");
    }
    CxRoomRegistrar first("Alpha", [] { return static_cast<CxGameWindow*>(new TestRoom("x")); });
    CxRoomRegistrar second("Beta", [] { return static_cast<CxGameWindow*>(new TestRoom("y")); });
    CxRoomManager rooms;
    EXPECT_TRUE(rooms.CreateRooms(4));
    EXPECT_EQ(rooms.RoomCount(), 2);
    EXPECT_NE(rooms.FindRoom("ALPHA"), nullptr);
    EXPECT_NE(rooms.FindRoom("beta"), nullptr);
}
