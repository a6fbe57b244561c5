#include "RoomTestSupport.h"
#include "events/CxEventScriptFunctions.h"
#include "graphics/QorImageFilters.h"

namespace {
// A room script that logs every callback with its arguments.
const char* const kLoggingScript = R"(
local function logger(name)
  return function(...)
    local parts = {name}
    for i = 1, select('#', ...) do parts[#parts + 1] = tostring(select(i, ...)) end
    table.insert(log, table.concat(parts, ' '))
  end
end
for _, name in ipairs({'OnStartRoom', 'OnAfterStart', 'OnBeforeStop', 'OnStopRoom', 'OnAfterStop',
    'OnMouseMove', 'OnLButtonDown', 'OnLButtonUp', 'OnRButtonDown', 'OnRButtonUp', 'OnKeyHit', 'OnTimer',
    'OnPause', 'OnResume', 'OnParentNotify', 'OnStateChange', 'OnIdleTimeOut', 'OnActivate'}) do
  Room[name] = logger(name)
end
)";

class ScriptedRoom : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        house = AddRoom("House");
        yard = AddRoom("Yard");
    }
    CLuaRoom* house = nullptr;
    CLuaRoom* yard = nullptr;
};
}  // namespace

TEST_F(ScriptedRoom, LifecycleStepsAndStartStopScriptsRunInOrder)
{
    Write("House/House.lua", kLoggingScript);
    Write("House/onstartroom.lua", "table.insert(log, 'onstartroom')");
    Write("House/onstoproom.lua", "table.insert(log, 'onstoproom')");
    Enter("House");
    EXPECT_EQ(Log(), "onstartroom,OnStartRoom,OnAfterStart,OnActivate");
    EXPECT_TRUE(Eval("Room.this:GetName() == 'House'"));   // the room itself, as a sprite
    ClearLog();
    Enter("Yard");
    EXPECT_EQ(Log(), "OnBeforeStop,OnStopRoom,onstoproom,OnAfterStop");
    EXPECT_FALSE(Eval("Room.OnStopRoom == nil"));   // the yard's own defaults now
    rooms.GotoRoom("House");
    rooms.FrameStep();
    rooms.StopCurrentRoom();
    EXPECT_TRUE(Eval("Room == nil"));
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(ScriptedRoom, ARoomDefiningOneCallbackStillTakesEveryEvent)
{
    Write("House/House.lua", "function Room.OnStartRoom() started = true end");
    Enter("House");
    EXPECT_TRUE(Eval("started"));
    house->OnMouseMove(0, {1, 2});
    house->OnLButtonDown(0, {1, 2});
    house->OnLButtonUp(0, {1, 2});
    house->OnRButtonDown(0, {1, 2});
    house->OnRButtonUp(0, {1, 2});
    house->OnKeyDown(KeyCode(65), 0);
    house->OnNotify(0, nullptr, 10, 0);
    house->OnStateChange(3);
    house->SetTimer(1, 100);
    Pass(100);
    rooms.PauseRoom();
    rooms.ResumeRoom();
    Enter("Yard");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(ScriptedRoom, ABrokenRoomScriptIsPrintedAndTheRoomRunsOnDefaults)
{
    Write("House/House.lua", "function Room.OnStartRoom( broken");
    Enter("House");
    EXPECT_EQ(rooms.GetCurrentRoom(), house);
    EXPECT_EQ(engine.GetScriptErrorCount(), 1);
    house->OnMouseMove(0, {5, 5});
    house->OnKeyDown(KeyCode(27), 0);
    Pass(10);
    Enter("Yard");
    EXPECT_EQ(engine.GetScriptErrorCount(), 1);   // only the load error
    EXPECT_EQ(rooms.GetCurrentRoom(), yard);
}

TEST_F(ScriptedRoom, InputReachesTheScriptWithItsArguments)
{
    Write("House/House.lua", kLoggingScript);
    Enter("House");
    ClearLog();
    house->OnMouseMove(0, {3, 4});
    house->OnLButtonDown(0, {5, 6});
    house->OnLButtonUp(0, {7, 8});
    house->OnRButtonDown(0, {-1, 2});
    house->OnRButtonUp(0, {9, 10});
    house->OnKeyDown(KeyCode(0x10000051), 0);
    CxSprite sender;
    sender.SetControlID(7);
    house->OnNotify(0, &sender, 10, 3);
    EXPECT_EQ(Log(), "OnMouseMove 3 4,OnLButtonDown 5 6,OnLButtonUp 7 8,OnRButtonDown -1 2,OnRButtonUp 9 10,"
                     "OnKeyHit 268435537,OnParentNotify 0 7 10 3");
}

TEST_F(ScriptedRoom, IdleInputRulesAndTheDefaultCursorSwitch)
{
    Write("House/House.ini", "[Options]\nIdleTime=1000\n");
    house->OnRoomCreated();
    Write("House/House.lua", kLoggingScript);
    Enter("House");
    Pass(1000);
    EXPECT_EQ(house->GetIdleCount(), 1);
    house->OnRButtonUp(0, {0, 0});           // the release is no input
    EXPECT_EQ(house->GetIdleCount(), 1);
    house->OnRButtonDown(0, {0, 0});         // the press is
    EXPECT_EQ(house->GetIdleCount(), 0);

    Pass(1000);
    engine.RunString("g_bAllowDefaultCursor = false");
    ClearLog();
    house->OnMouseMove(0, {1, 1});
    EXPECT_EQ(Log(), "OnMouseMove 1 1");
    EXPECT_EQ(house->GetIdleCount(), 1);     // no default handling, so no reset
    engine.RunString("g_bAllowDefaultCursor = true");
    house->OnMouseMove(0, {1, 1});
    EXPECT_EQ(house->GetIdleCount(), 0);
}

TEST_F(ScriptedRoom, ATimerFiresEverySecondUntilTheScriptKillsIt)
{
    Write("House/House.lua", R"(
function Room.OnStartRoom() Room.SetTimer(5, 1000, 0) end
function Room.OnTimer(id)
  table.insert(log, id)
  if #log == 3 then Room.KillTimer(id) end
end)");
    Enter("House");
    Pass(0);   // a new timer fires in the first frame
    Pass(500);
    Pass(500);
    Pass(1000);
    Pass(1000);
    Pass(1000);
    EXPECT_EQ(Log(), "5,5,5");
    EXPECT_EQ(house->TimerCount(), 0);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(ScriptedRoom, PausesNestAndResumeRunsAfterTheFrameworkResume)
{
    Write("House/House.ini", "[Options]\nIdleTime=1000\n");
    house->OnRoomCreated();
    Write("House/House.lua", kLoggingScript);
    Enter("House");
    ClearLog();
    engine.RunString("Room.Pause() Room.Pause()");
    EXPECT_EQ(house->GetPauseCount(), 2);
    Pass(5000);
    EXPECT_EQ(house->GetIdleCount(), 0);     // a paused room has no idle time-outs
    engine.RunString("Room.Resume()");
    EXPECT_EQ(Log(), "OnPause");
    engine.RunString("Room.Resume()");
    EXPECT_EQ(Log(), "OnPause,OnResume");
    Pass(999);
    EXPECT_EQ(house->GetIdleCount(), 0);     // the pause did not eat into the idle time
    Pass(1);
    EXPECT_EQ(house->GetIdleCount(), 1);
}

TEST_F(ScriptedRoom, EveryVisitStartsFromFreshDefaultsWhileGlobalsSurvive)
{
    Write("House/House.lua", R"(
Room.visits = (Room.visits or 0) + 1
g_visits = (g_visits or 0) + 1
if g_visits == 1 then function Room.OnKeyHit(k) first_only = k end end)");
    Enter("House");
    Enter("Yard");
    Enter("House");
    EXPECT_TRUE(Eval("Room.visits == 1 and g_visits == 2"));
    house->OnKeyDown(KeyCode(65), 0);
    EXPECT_TRUE(Eval("first_only == nil"));
}

TEST_F(ScriptedRoom, MethodsCheckTheirArgumentsAndOutliveNoRoom)
{
    Write("House/House.lua", "saved_pause = Room.Pause");
    Enter("House");
    int before = engine.GetScriptErrorCount();
    EXPECT_NE(engine.RunString("Room.SetTimer('5', 1000, 0)"), 0);
    EXPECT_NE(engine.RunString("Room.SetTimer(5, 1000)"), 0);
    EXPECT_NE(engine.RunString("Room.DisableButton(3)"), 0);
    EXPECT_EQ(engine.GetScriptErrorCount(), before + 3);
    EXPECT_EQ(house->TimerCount(), 0);
    EXPECT_EQ(engine.RunString("assert(Room.SetTimer(5, 1000, 0) == 0) Room.EnableButton('nobody')"), 0);
    EXPECT_EQ(house->TimerCount(), 1);

    rooms.Shutdown();   // the rooms are gone; the script still holds a method
    EXPECT_NE(engine.RunString("saved_pause()"), 0);
}

TEST_F(ScriptedRoom, StateCommandsArriveThroughTheRoomChannel)
{
    Write("House/House.lua", kLoggingScript);
    Enter("House");
    ClearLog();
    EXPECT_EQ(GetRoomChannelId(), house->GetRoomChannel());
    EXPECT_EQ(engine.RunString("DoEvent('Room.SetState(4)', GetRoomChannel()) DoEvent('House.SetState(6)', GetRoomChannel())"), 0);
    Pass();
    Pass();
    EXPECT_EQ(Log(), "OnStateChange 4,OnStateChange 6");
    EXPECT_EQ(house->GetState(), 6);
    Enter("Yard");
    EXPECT_NE(GetRoomChannelId(), 0u);
    EXPECT_NE(GetRoomChannelId(), house->GetRoomChannel());
}

TEST_F(ScriptedRoom, GotoRoomFromOnStopRoomWinsTheNextFrame)
{
    AddRoom("Kennel1");
    Write("House/House.lua", "function Room.OnStopRoom() GotoRoom('Kennel1') end");
    Enter("House");
    Enter("Yard");
    EXPECT_EQ(rooms.GetCurrentRoom(), nullptr);
    rooms.FrameStep();
    EXPECT_TRUE(Eval("GetCurRoomName() == 'Kennel1'"));
}

TEST_F(ScriptedRoom, TheRoomStackFromScripts)
{
    EXPECT_TRUE(Eval("GetCurRoomName() == nil and PeekRoom() == ''"));
    engine.RunString("PushRoom('house')");
    EXPECT_TRUE(Eval("IsLeavingRoom()"));
    rooms.FrameStep();
    EXPECT_TRUE(Eval("GetCurRoomName() == 'House' and PeekRoom() == 'house'"));
    EXPECT_EQ(engine.RunString("Room_ = GetCurRoomPtr() _G['Room::SetTimer'](Room_, 9, 50)"), 0);
    EXPECT_EQ(house->TimerCount(), 1);
    EXPECT_EQ(engine.RunString("_G['Room::PauseTimer'](Room_, 9) _G['Room::KillTimer'](Room_, 9)"), 0);
    EXPECT_EQ(house->TimerCount(), 0);
    int before = engine.GetScriptErrorCount();
    EXPECT_NE(engine.RunString("_G['Room::SetTimer']({}, 9, 50)"), 0);
    EXPECT_NE(engine.RunString("PushRoom(5)"), 0);
    EXPECT_EQ(engine.GetScriptErrorCount(), before + 2);
    engine.RunString("PauseRoom() PauseRoom() ResumeRoom()");
    EXPECT_EQ(house->GetPauseCount(), 1);
}

// The room script of tests/framework/lua/rooms/Lounge checks itself.
TEST_F(ScriptedRoom, ASelfCheckingRoomScriptOverTwoVisits)
{
    CxDirectoryFileSystem data(VORN_SOURCE_DIR "/tests/framework/lua/rooms", "<RoomData>");
    AddRoom("Lounge");
    AddRoom("Hall");
    for (int visit = 0; visit < 2; ++visit) {
        Enter("Lounge");
        for (int i = 0; i < 6; ++i) Pass(250);
        rooms.GetCurrentRoom()->OnKeyDown(KeyCode(27), 0);
        Pass();
        EXPECT_TRUE(Eval("GetCurRoomName() == 'Hall'"));
    }
    EXPECT_TRUE(Eval("lounge_visits == 2"));
    EXPECT_EQ(engine.EvalString("Lounge_Verdict()", "no verdict"), CxString(""));
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(ScriptedRoom, LoadingTheRoomSurfaceAndReloadingFromScripts)
{
    RegisterEngineImageFilters();
    std::filesystem::create_directories("House");
    CxDrawSurface picture;
    picture.Create(12, 6, 32);
    ASSERT_EQ(picture.Save("House/back.tga"), 0);
    Write("House/House.lua", kLoggingScript);
    Enter("House");
    EXPECT_EQ(engine.RunString("RoomLoadSurface('House\\\\back.tga')"), 0);
    ASSERT_NE(house->GetSurface(), nullptr);
    EXPECT_EQ(house->GetSize(), (CxSize{12, 6}));
    EXPECT_EQ(engine.RunString("RoomLoadSurface('House/missing.tga')"), 0);
    EXPECT_EQ(house->GetSurface(), nullptr);   // reported; the room goes on without one
    EXPECT_FALSE(errors.Reports().empty());

    ClearLog();
    engine.RunString("ReloadRoom()");
    EXPECT_EQ(Log(), "OnStopRoom,OnStartRoom");   // stop and start only
    EXPECT_EQ(rooms.GetCurrentRoom(), house);
}
