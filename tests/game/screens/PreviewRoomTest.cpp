// The rooms that show the pet: the kennels' one folder, the 3D window's
// place from the description, and what a start and a stop leave behind
// when there is no 3D device.
#include "MenuTestSupport.h"
#include "display/CxDrawText.h"
#include "game/screens/CPreviewRoom.h"

namespace {
class PreviewRooms : public MenuRoomTest {};
}  // namespace

TEST_F(PreviewRooms, TheKennelsShareTheKennelFolder)
{
    // The old one-folder-per-room places must not be what answers.
    Write("Kennel1/Kennel1.ini", "[Options]\nMarker=old\n");
    Write("Kennel1/Kennel1.lua", "entered = 'old'");
    Write("Kennel/Kennel1.ini", "[Options]\nMarker=kennel\n[Preview]\nRect=10, 20, 109, 69\n");
    Write("Kennel/Kennel1.lua", "entered = 'Kennel1' function Room.OnStartRoom() started = GetCurRoomName() end");
    Write("Kennel/Kennel2.lua", "entered = 'Kennel2'");
    Write("Kennel/Kennel3.ini", "[Options]\nMarker=certificate\n");
    Write("Kennel/Kennel3.lua", "entered = 'Kennel3'");
    auto* first = AddRoom<CKennel>("Kennel1");
    auto* second = AddRoom<CKennel>("Kennel2");
    auto* cert = AddRoom<CCert>("Kennel3");
    EXPECT_EQ(first->GetDescription().ReadString("Options", "Marker", "").Text(), std::string("kennel"));
    EXPECT_EQ(cert->GetDescription().ReadString("Options", "Marker", "").Text(), std::string("certificate"));
    for (CKelWindow* room : {static_cast<CKelWindow*>(first), static_cast<CKelWindow*>(second), static_cast<CKelWindow*>(cert)})
        EXPECT_STREQ(room->GetActivityPath().Text(), "/Kennel");

    Enter("Kennel1");
    EXPECT_EQ(Global("entered"), "Kennel1");
    EXPECT_EQ(Global("started"), "Kennel1");
    Cx3DWindow* window = first->GetPreviewWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->GetParent(), first);
    EXPECT_EQ(window->GetPosition(), (CxPoint{10, 20}));
    EXPECT_EQ(window->GetSize(), (CxSize{100, 50}));
    EXPECT_TRUE(window->IsVisible());
    EXPECT_EQ(window->GetTarget(), nullptr) << "no 3D device: no target, and no error for it";
    EXPECT_EQ(CPreviewRoom::GetRunning(), first);

    Enter("Kennel2");   // the default place where the description gives none
    EXPECT_EQ(first->GetPreviewWindow(), nullptr);
    ASSERT_NE(second->GetPreviewWindow(), nullptr);
    EXPECT_EQ(second->GetPreviewWindow()->GetPosition(), (CxPoint{589, 188}));
    EXPECT_EQ(second->GetPreviewWindow()->GetSize(), (CxSize{336, 267}));
    EXPECT_EQ(Global("entered"), "Kennel2");

    Enter("Kennel3");
    EXPECT_EQ(Global("entered"), "Kennel3");
    EXPECT_EQ(CPreviewRoom::GetRunning(), nullptr);
    EXPECT_TRUE(errors.Reports().empty());
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(PreviewRooms, TheMainMenuAddsItsVersionLineForTheVisit)
{
    auto* menu = AddRoom<CMainMenu>("MainMenu");
    AddRoom<CBaseRoom>("Elsewhere");
    Enter("MainMenu");
    CxDrawText* version = menu->GetVersionText();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->GetParent(), menu);
    EXPECT_EQ(version->GetPosition(), (CxPoint{75, 690}));
    EXPECT_EQ(version->GetSize(), (CxSize{400, 20}));
    EXPECT_EQ(version->GetTextFlags(), 0x10000009u);
    EXPECT_EQ(version->GetPointSize(), 14);
    EXPECT_TRUE(version->IsVisible());
    ASSERT_NE(menu->GetPreviewWindow(), nullptr);
    EXPECT_TRUE(menu->GetPreviewCamera().valid);

    Enter("Elsewhere");
    EXPECT_EQ(menu->GetVersionText(), nullptr);
    EXPECT_EQ(menu->GetPreviewWindow(), nullptr);
    EXPECT_EQ(menu->GetChildren().GetCount(), 0) << "nothing of the visit stays in the room";
    Enter("MainMenu");   // and a second visit builds them again
    EXPECT_NE(menu->GetVersionText(), nullptr);
    EXPECT_TRUE(errors.Reports().empty());
}
