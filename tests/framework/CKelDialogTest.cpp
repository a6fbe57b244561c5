#include "RoomTestSupport.h"
#include "core/CxMainLoopHook.h"
#include "display/CxDisplayTree.h"
#include "framework/CKelButton.h"
#include "framework/CKelDialog.h"
#include "framework/CKelShared.h"
#include "display/CxDialogRegistry.h"
#include "graphics/QorImageFilters.h"

#include <functional>

namespace {
// A dialog whose modal frames the test drives: each frame advances the
// clock by 100 ms and runs what a main-loop pass runs.
class DrivenDialog : public CKelDialog {
public:
    int frames = 0;
    int maxFrames = 50;
    std::function<void(int)> onFrame;

protected:
    bool RunModalFrame() override
    {
        RoomTestNow() += 100;
        CxMainLoopHook::RunHooks();
        CxEvent::Pump();
        if (onFrame) onFrame(frames);
        return ++frames < maxFrames;
    }
};

class Dialogs : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        RegisterEngineImageFilters();
    }
    void TearDown() override
    {
        FreeKelFile();
        RoomTest::TearDown();
    }
    template <class T = CKelDialog>
    std::unique_ptr<T> Loaded(const char* ini)
    {
        Write("Dialogs/test.ini", ini);
        auto dialog = std::make_unique<T>();
        dialog->SetScriptEngine(&engine);
        dialog->Load("Dialogs\\test.ini");
        return dialog;
    }
};
}  // namespace

TEST_F(Dialogs, WithoutAFileEveryKeyKeepsItsDefault)
{
    CKelDialog dialog;
    EXPECT_EQ(dialog.Load("Dialogs/none.ini"), ERR_FILE_NOT_FOUND);
    EXPECT_STREQ(dialog.GetName(), "DialogBox");
    EXPECT_EQ(dialog.GetSize(), (CxSize{100, 100}));
    EXPECT_EQ(dialog.ButtonCount(), 0);
    EXPECT_EQ(dialog.GetIdle().GetTime(), 30000u);
    EXPECT_EQ(dialog.GetIdle().GetMaxCount(), 3);
    EXPECT_FALSE(dialog.IsCentered());
    EXPECT_EQ(FindEventCreator("DialogBox"), static_cast<CxEventCreator*>(&dialog));
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(Dialogs, TheDescriptionsKeys)
{
    InitDisplayTree(CxSize{320, 240});
    std::string longName(40, 'n');
    auto dialog = Loaded(("[Options]\nName=" + longName + "\nSize=-1,50\nPosition=-1,7\nCentered=1\n"
                          "MovieDriverFlags=6\nOnDoModal=x = 1\nOnLoad=loaded_as = '" + longName + "'\n"
                          "IdleTime=250\nMaxIdleCount=2\nOnTimeOut1=table.insert(log, 'idle')\n")
                             .c_str());
    EXPECT_EQ(std::string(dialog->GetName()), longName.substr(0, 31));
    EXPECT_EQ(dialog->GetSize(), (CxSize{320, 50}));
    EXPECT_EQ(dialog->GetPosition(), (CxPoint{0, 0}));   // one -1 and the position is ignored
    EXPECT_TRUE(dialog->IsCentered());
    EXPECT_EQ(dialog->GetMovieDriverFlags(), 6);
    EXPECT_EQ(dialog->GetOnDoModal(), CxString("x = 1"));
    EXPECT_TRUE(Eval(("loaded_as == '" + longName + "'").c_str()));
    EXPECT_EQ(dialog->GetIdle().GetTime(), 250u);
    EXPECT_EQ(dialog->GetIdle().Lines().GetCount(), 1);
    EXPECT_EQ(FindEventCreator(dialog->GetName()), static_cast<CxEventCreator*>(dialog.get()));
    EXPECT_EQ(FindEventCreator("DialogBox"), nullptr);   // renamed: the old name is given up
    dialog.reset();
    ShutdownDisplayTree();
}

TEST_F(Dialogs, TheTransparentPixelOfABackground)
{
    std::filesystem::create_directories("Dialogs");
    CxDrawSurface picture;
    picture.Create(8, 8, 16);
    picture.FillRect(nullptr, picture.MakeColor(0, 255, 0));
    CxRect corner{7, 7, 7, 7};
    picture.FillRect(&corner, picture.MakeColor(255, 0, 0));
    ASSERT_EQ(picture.Save("Dialogs/back.tga"), 0);
    auto dialog = Loaded("[Options]\nBackground=Dialogs/back.tga\nTransparentPixel=7,7\nSize=5,5\n");
    EXPECT_EQ(dialog->GetSize(), (CxSize{8, 8}));
    EXPECT_EQ(dialog->GetMaskColor(), picture.MakeColor(255, 0, 0));
    auto outside = Loaded("[Options]\nBackground=Dialogs/back.tga\nTransparentPixel=8,0\n");
    EXPECT_EQ(outside->GetMaskColor(), CX_NO_COLOR);
    auto missing = Loaded("[Options]\nBackground=Dialogs/gone.tga\n");
    EXPECT_EQ(missing->GetSurface(), nullptr);
    EXPECT_FALSE(errors.Reports().empty());
}

TEST_F(Dialogs, OnlyEventsAddressedToItsOwnName)
{
    auto dialog = Loaded("[Options]\nName=Pause\n");
    CxLinkedList<CxString> none;
    EXPECT_EQ(dialog->CreateEvent("Other", "EndModal", none), nullptr);
    EXPECT_EQ(dialog->CreateEvent("Pause", "TODO", none), nullptr);
    CxEvent* event = dialog->CreateEvent("PAUSE", "EndModal", none);
    ASSERT_NE(event, nullptr);
    delete event;
    EXPECT_EQ(dialog->OnCommand("NoSuchCommand", none), 0);
}

TEST_F(Dialogs, AModalRunFromShowingToHiding)
{
    std::filesystem::create_directories("Dialogs");
    CxDrawSurface strip;
    strip.Create(20, 4, 32);
    ASSERT_EQ(strip.Save("Dialogs/ok.tga"), 0);
    AddRoom("House");
    Enter("House");
    auto dialog = Loaded<DrivenDialog>("[Options]\nName=Pause\nCentered=1\nIdleTime=250\nMaxIdleCount=2\n"
                                       "OnDoModal=table.insert(log, 'shown')\n"
                                       "OnTimeOut1=table.insert(log, 'idle1')\nOnTimeOut2=table.insert(log, 'idle2')\n"
                                       "[Button0]\nFileName=Dialogs/ok.tga\nName=OK\n"
                                       "OnClick=DoEvent('Pause.EndModal()', GetRoomChannel())\n");
    ASSERT_EQ(dialog->ButtonCount(), 1);
    CKelButton* ok = dialog->FindButton("ok");
    ok->SetState(BUTTON_PRESSED);
    rooms.GetCurrentRoom()->Resize(CxSize{300, 200});
    dialog->onFrame = [&](int frame) {
        if (frame == 0) {
            EXPECT_EQ(ok->GetState(), BUTTON_NORMAL);
            EXPECT_TRUE(dialog->IsModal());
            EXPECT_TRUE(dialog->IsActiveWindow());
            EXPECT_TRUE(dialog->HasCapture());
            EXPECT_EQ(dialog->GetPosition(), (CxPoint{100, 50}));   // centred in the room
        }
        if (frame == 9) ok->Notify(BUTTON_CODE_CLICKED);
    };
    dialog->DoModal();
    EXPECT_EQ(dialog->GetParent(), rooms.GetCurrentRoom());
    EXPECT_EQ(dialog->frames, 11);   // the click's event ends the loop the frame after
    EXPECT_EQ(Log(), "shown,idle1,idle2");
    EXPECT_FALSE(dialog->IsVisible());
    EXPECT_FALSE(dialog->HasCapture());
    EXPECT_TRUE(rooms.GetCurrentRoom()->IsActiveWindow());
    EXPECT_FALSE(dialog->GetIdle().IsRunning());
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
}

TEST_F(Dialogs, KelIniSharesDialogsAndListsIntroMovies)
{
    Write("Dialogs/pause.ini", "[Options]\nOnLoad=pause_loaded = true\n");
    Write("Movies/intro1.smk", "x");
    Write("Movies/intro3.smk", "x");
    Write("kel.ini", "[Dialogs]\nPause=Dialogs\\pause.ini\nMissing=Dialogs/none.ini\n"
                     "[IntroMovies]\nFirst=Movies\\intro1.smk\nSecond=Movies/intro2.smk\nThird=$GAMEPATHMovies/intro3.smk\n");
    CxOptions kel;
    ASSERT_EQ(LoadKelFile(kel, "kel.ini"), 0);
    EXPECT_EQ(SharedDialogCount(), 2);
    CKelDialog* pause = FindSharedDialog("PAUSE");
    ASSERT_NE(pause, nullptr);
    EXPECT_STREQ(pause->GetName(), "Pause");

    engine.RunString("StartModalDialog('nobody')");
    EXPECT_EQ(GetPendingModalDialog(), nullptr);
    engine.RunString("StartModalDialog('pause')");
    EXPECT_EQ(GetPendingModalDialog(), pause);
    RunPendingModalDialog();   // no application: the loop ends at once
    EXPECT_EQ(GetPendingModalDialog(), nullptr);
    EXPECT_NE(engine.RunString("EndModalDialog(3)"), 0);

    CxLinkedList<CxString> movies;
    ListIntroMovies(kel, movies);
    ASSERT_EQ(movies.GetCount(), 2);
    EXPECT_EQ(movies.GetHead()->value, CxString("Movies/intro1.smk"));
    EXPECT_EQ(movies.GetTail()->value, CxString("Movies/intro3.smk"));

    CxOptions none;
    EXPECT_EQ(LoadKelFile(none, "nothing.ini"), 0);   // a missing kel.ini shares nothing
    EXPECT_EQ(SharedDialogCount(), 0);
}

TEST_F(Dialogs, ANameThatIsAPatternNeverRegistersNorTakesOthersWithIt)
{
    CKelDialog keeper;
    keeper.SetScriptEngine(&engine);
    Write("Dialogs/keeper.ini", "[Options]\nName=Keeper\n");
    keeper.Load("Dialogs/keeper.ini");
    for (const char* name : {"*", "Kee?er", "Keep*"}) {
        auto dialog = Loaded((std::string("[Options]\nName=") + name + "\n").c_str());
        EXPECT_STREQ(dialog->GetName(), name);
        EXPECT_NE(FindEventCreator(name), static_cast<CxEventCreator*>(dialog.get()));
    }
    EXPECT_EQ(FindEventCreator("Keeper"), static_cast<CxEventCreator*>(&keeper));
}
