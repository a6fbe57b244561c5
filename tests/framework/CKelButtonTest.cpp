#include "RoomTestSupport.h"
#include "display/CxAnimation.h"
#include "framework/CKelButton.h"
#include "framework/CKelShared.h"
#include "graphics/QorImageFilters.h"

namespace {
// A picture of `frames` frames, 4 x 4 pixels each, saved where a room finds it.
void SaveStrip(const char* path, int frames, int depth = 32)
{
    std::filesystem::path file(path);
    std::filesystem::create_directories(file.parent_path());
    CxDrawSurface strip;
    strip.Create(4 * frames, 4, depth);
    for (int k = 0; k < frames; ++k) {
        CxRect r{k * 4, 0, k * 4 + 3, 3};
        strip.FillRect(&r, strip.MakeColor(40 * k, 255, 255 - 40 * k));
    }
    ASSERT_EQ(strip.Save(path), 0);
}

class RoomButtons : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        RegisterEngineImageFilters();
    }
    void TearDown() override
    {
        RoomTest::TearDown();
        FreeSharedButtons();
    }
    CLuaRoom* Make(const char* ini)
    {
        Write("House/House.ini", ini);
        CLuaRoom* room = AddRoom("House");
        AddRoom("Yard");
        return room;
    }
};
}  // namespace

TEST_F(RoomButtons, TheListEndsAtTheFirstSectionWithoutAnImage)
{
    SaveStrip("House/ok.tga", 5);
    CLuaRoom* room = Make("[Button0]\nFileName=House\\ok.tga\nControlID=7\nPosition=10,20\nName=OK\n"
                          "[Button2]\nFileName=House/ok.tga\n");
    Enter("House");
    ASSERT_EQ(room->ButtonCount(), 1);
    CKelButton* ok = room->FindButton("ok");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->GetControlID(), 7);
    EXPECT_EQ(ok->GetPosition(), (CxPoint{10, 20}));
    EXPECT_EQ(ok->GetParent(), room);
    EXPECT_EQ(ok->GetZOrder(), 1000u);
    EXPECT_EQ(ok->GetFrameSize(), (CxSize{4, 4}));
    EXPECT_EQ(ok->GetEffects(), int32_t(BLT_EFFECT_ALPHA));   // a 32-bit picture blends by its alpha
}

TEST_F(RoomButtons, AMissingImageIsReportedAndTheButtonStaysWithoutAPicture)
{
    CLuaRoom* room = Make("[Button0]\nFileName=House/none.tga\nNumFrames=0\n");
    Enter("House");
    ASSERT_EQ(room->ButtonCount(), 1);
    CKelButton* button = room->FindButton("Button0");   // named after its section
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetSurface(), nullptr);
    EXPECT_EQ(button->GetPosition(), (CxPoint{-1000, -1000}));
    EXPECT_FALSE(errors.Reports().empty());
    button->SetState(BUTTON_PRESSED);
    UpdatePlayingAnimations();
}

TEST_F(RoomButtons, FiveFramesAreOnePerStateOtherCountsAnimate)
{
    SaveStrip("House/five.tga", 5);
    SaveStrip("House/three.tga", 3, 16);
    CLuaRoom* room = Make("[Button0]\nFileName=House/five.tga\n[Button1]\nFileName=House/three.tga\nNumFrames=3\n");
    Enter("House");
    CKelButton* five = room->FindButton("Button0");
    CKelButton* three = room->FindButton("Button1");
    for (int state = 0; state < kButtonStates; ++state) {
        five->SetState(state);
        UpdatePlayingAnimations();
        EXPECT_EQ(five->GetCurFrame(), state);
    }
    EXPECT_NE(three->GetMaskColor(), CX_NO_COLOR);   // not 32-bit: a transparent colour
    three->SetState(BUTTON_HOVER);
    UpdatePlayingAnimations();
    EXPECT_EQ(three->GetCurFrame(), 1);
    std::vector<int> seen;
    for (int i = 0; i < 6; ++i) {
        Pass(67);
        UpdatePlayingAnimations();
        seen.push_back(three->GetCurFrame());
    }
    EXPECT_EQ(seen, (std::vector<int>{2, 1, 2, 1, 2, 1}));
    three->SetState(BUTTON_NORMAL);
    UpdatePlayingAnimations();
    EXPECT_EQ(three->GetCurFrame(), 0);
}

TEST_F(RoomButtons, ScriptLinesRunAndTheRoomHearsTheNotification)
{
    SaveStrip("House/b.tga", 5);
    CLuaRoom* room = Make("[Button0]\nFileName=House/b.tga\nControlID=4\n"
                          "OnClick=table.insert(log, 'click')\nOnMouseEnter=table.insert(log, 'enter')\n"
                          "OnMouseLeave=table.insert(log, \"leave\")\n");
    Write("House/House.lua", "function Room.OnParentNotify(k, id, code) table.insert(log, id .. ':' .. code) end");
    Enter("House");
    ClearLog();
    CKelButton* button = room->FindButton("button0");
    button->Notify(BUTTON_CODE_HOVER);
    button->Notify(BUTTON_CODE_CLICKED);
    button->Notify(BUTTON_CODE_LEFT);
    EXPECT_EQ(Log(), "enter,4:2,click,4:10,leave,4:11");
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(RoomButtons, CommandsAndRoomMethodsActOnButtonsByName)
{
    SaveStrip("House/b.tga", 5);
    CLuaRoom* room = Make("[Button0]\nFileName=House/b.tga\nName=Play\n");
    Enter("House");
    CKelButton* play = room->FindButton("PLAY");
    engine.RunString("Room.DisableButton('play')");
    EXPECT_FALSE(play->IsEnabled());
    engine.RunString("Room.EnableButton('Play') Room.DisableButton('nobody')");
    EXPECT_TRUE(play->IsEnabled());

    auto command = [&](const char* text) {
        CxEvent* event = CreateEventFromText(text, nullptr, nullptr);
        ASSERT_NE(event, nullptr);
        event->SetFlags(EVENT_AUTO_DELETE);
        ASSERT_EQ(event->Post(room->GetRoomChannel()), 0);
        Pass();
    };
    command("Room.HideButton(Play)");
    EXPECT_FALSE(play->IsVisible());
    command("House.ShowButton(play)");
    EXPECT_TRUE(play->IsVisible());
    command("Room.SetButtonState(Play, 3)");
    EXPECT_EQ(play->GetState(), BUTTON_PRESSED);
    command("Room.SetButtonState(Play, 0)");

    command("Room.StartFlashButton(Play)");   // every 500 ms by default
    EXPECT_TRUE(play->IsFlashing());
    std::vector<bool> shown;
    for (int i = 0; i < 4; ++i) {
        Pass(i == 0 ? 0 : 500);
        shown.push_back(play->IsHighlightShown());
    }
    EXPECT_EQ(shown, (std::vector<bool>{true, false, true, false}));
    command("Room.StopFlashButton(Play)");
    EXPECT_FALSE(play->IsFlashing());
    EXPECT_FALSE(play->IsHighlightShown());
    EXPECT_EQ(play->GetState(), BUTTON_NORMAL);   // flashing never changed the state
}

TEST_F(RoomButtons, SharedButtonsAreLentToTheRoomsThatListThem)
{
    SaveStrip("COMMON/help.tga", 5);
    CxOptions kel;
    const char kKel[] = "[Button0]\nFileName=COMMON/help.tga\nName=Help\n[Button1]\nFileName=COMMON/help.tga\n"
                        "Name=HelpMore\n";
    kel.LoadFromMemory(kKel, sizeof kKel - 1);
    ASSERT_EQ(LoadSharedButtons(kel), 2);
    CKelButton* help = FindSharedButton("help");
    ASSERT_NE(help, nullptr);
    help->StartFlash(100);

    CLuaRoom* room = Make("[Static]\nButtons=Help, Nowhere\n");
    Enter("House");
    EXPECT_EQ(room->ButtonCount(), 1);                 // "Help" is not "HelpMore"; "Nowhere" is printed
    EXPECT_EQ(help->GetParent(), room);
    EXPECT_TRUE(help->IsVisible());
    EXPECT_FALSE(help->IsFlashing());
    Enter("Yard");
    EXPECT_EQ(room->ButtonCount(), 0);
    EXPECT_EQ(FindSharedButton("Help"), help);         // lent, not given away
    EXPECT_EQ(help->GetParent(), nullptr);
    EXPECT_FALSE(help->IsVisible());
}

TEST_F(RoomButtons, AButtonMayReloadItsRoomFromItsOwnClick)
{
    SaveStrip("House/b.tga", 5);
    CLuaRoom* room = Make("[Button0]\nFileName=House/b.tga\nName=Again\nOnClick=ReloadRoom()\n");
    Enter("House");
    CKelButton* first = room->FindButton("Again");
    first->OnLButtonDown(0, CxPoint{1, 1});
    first->OnLButtonUp(0, CxPoint{1, 1});   // a click: its line stops and starts the room
    CKelButton* second = room->FindButton("Again");
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(first->GetParent(), nullptr);   // retired, still alive until the next frame
    Pass();
    EXPECT_EQ(room->ButtonCount(), 1);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}
