#include "RoomTestSupport.h"
#include "events/CxEventKinds.h"
#include "framework/CBaseRoom.h"

namespace {
class BaseRooms : public RoomTest {};
}  // namespace

TEST_F(BaseRooms, PausingTheRoomPausesItsChannelFirst)
{
    auto* house = AddRoom<CBaseRoom>("House");
    Write("House/House.lua", "function Room.OnPause() paused_channel = IsChannelPaused(GetRoomChannel()) end\n"
                             "function Room.OnResume() resumed_channel = not IsChannelPaused(GetRoomChannel()) end");
    Enter("House");
    engine.RunString("DoLuaTimerEvent(1000, 100, 'ticks = (ticks or 0) + 1', GetRoomChannel())");
    Pass();
    rooms.PauseRoom();
    EXPECT_TRUE(Eval("paused_channel"));
    EXPECT_TRUE(CxEvent::IsChannelPaused(house->GetRoomChannel()));
    rooms.ResumeRoom();
    EXPECT_TRUE(Eval("resumed_channel"));
    EXPECT_FALSE(CxEvent::IsChannelPaused(house->GetRoomChannel()));
}

TEST_F(BaseRooms, TheLastRoomLeftAndTheLastRoomGone)
{
    AddRoom<CBaseRoom>("House");
    AddRoom<CBaseRoom>("Yard");
    EXPECT_EQ(CBaseRoom::LiveCount(), 2);
    Enter("House");
    Enter("Yard");
    EXPECT_STREQ(CBaseRoom::LastRoomName(), "House");
    engine.RunString("pet = { UnLoad = function(self) unloaded = true end }");
    rooms.Shutdown();
    EXPECT_EQ(CBaseRoom::LiveCount(), 0);
    EXPECT_TRUE(Eval("unloaded and pet == nil"));
    EXPECT_STREQ(CBaseRoom::LastRoomName(), "");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(BaseRooms, ARoomEnteredWhileAnotherChangeIsAskedForStaysHidden)
{
    auto* house = AddRoom<CBaseRoom>("House");
    auto* yard = AddRoom<CBaseRoom>("Yard");
    Write("House/House.lua", "function Room.OnStartRoom() GotoRoom('Yard') end");
    house->Show();
    yard->Show();
    Enter("House");
    EXPECT_FALSE(house->IsVisible());
    rooms.FrameStep();
    EXPECT_EQ(rooms.GetCurrentRoom(), yard);
    EXPECT_TRUE(yard->IsVisible());
}
