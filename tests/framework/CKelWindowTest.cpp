#include "RoomTestSupport.h"
#include "display/CxButton.h"
#include "display/CxDisplayTree.h"
#include "events/CxEventScriptFunctions.h"
#include "events/CxInterpolator.h"
#include "files/CxFileSystem.h"
#include "framework/CKelScoreText.h"
#include "app/CxGamePath.h"
#include "graphics/CxFont.h"
#include "graphics/QorImageFilters.h"

#include <vector>

namespace {
// A description-file room that records what the framework hands its hooks.
class RecordingRoom : public CKelWindow {
public:
    void OnMilestone(int index) override { milestones.push_back(index); }
    void OnStartLevel() override { ++levelStarts; }
    void OnButtonNotify(CxDisplayObject* sender, int32_t code, int32_t) override
    {
        notes.push_back((sender ? sender->GetControlID() : -1) * 100 + code);
    }
    std::vector<int> milestones;
    std::vector<int> notes;
    int levelStarts = 0;
};

class DescribedRoom : public RoomTest {
protected:
    RecordingRoom* Make(const char* ini)
    {
        Write("House/House.ini", ini);
        room = AddRoom<RecordingRoom>("House");
        AddRoom<RecordingRoom>("Yard");
        return room;
    }
    void Command(const char* text)
    {
        CxEvent* event = CreateEventFromText(text, nullptr, nullptr);
        ASSERT_NE(event, nullptr) << text;
        ASSERT_EQ(event->Post(room->GetRoomChannel()), 0);
        event->SetFlags(EVENT_AUTO_DELETE);
        Pass();
    }
    RecordingRoom* room = nullptr;
};
}  // namespace

TEST(GamePaths, MarkersSeparatorsAndDoubleSlashes)
{
    EXPECT_EQ(BuildGamePath("$CDPATH\\Movies\\intro.smk"), CxString("<CDPath>/Movies/intro.smk"));
    EXPECT_EQ(BuildGamePath("$INSTALLPATH/House//a.tga"), CxString("<InstallPath>/House/a.tga"));
    EXPECT_EQ(BuildGamePath("$GAMEPATHHouse\\b.tga"), CxString("House/b.tga"));
    EXPECT_EQ(ExpandGamePath("//server/x"), CxString("//server/x"));   // only after the first character
    EXPECT_EQ(BuildGamePath(nullptr), CxString(""));
    std::string longPath(400, 'a');
    EXPECT_EQ(BuildGamePath(longPath.c_str()).GetLength(), 255);
}

TEST_F(DescribedRoom, WithoutAFileEveryKeyKeepsItsDefault)
{
    room = AddRoom<RecordingRoom>("House");
    Enter("House");
    EXPECT_EQ(room->GetState(), -1);
    EXPECT_EQ(room->GetIdleTime(), 30000u);
    EXPECT_EQ(room->GetMaxIdleCount(), 3);
    EXPECT_EQ(room->MilestoneCount(), 0);
    EXPECT_EQ(room->ButtonCount(), 0);
    EXPECT_EQ(room->GetSurface(), nullptr);
    EXPECT_TRUE(room->IsIdleTimerRunning());
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(DescribedRoom, TheFolderAndFileNamesIgnoreLetterCase)
{
    Write("HOUSE/house.INI", "[options]\nidletime=1234\n");
    room = AddRoom<RecordingRoom>("House");
    Enter("House");
    EXPECT_EQ(room->GetIdleTime(), 1234u);
}

TEST_F(DescribedRoom, BrokenFilesFallBackToDefaults)
{
    Make("\x01\xff garbage without sections\n[Options\nIdleTime\n=5\n[Options]\nMaxIdleCount=lots\n"
         "Size=12\n[ScoreMilestones]\n0=\n[AmbientMovie0]\nPosition=1,2\n");
    Enter("House");
    EXPECT_EQ(room->GetIdleTime(), 30000u);
    EXPECT_EQ(room->GetMaxIdleCount(), 0);     // text that is no number reads as 0
    EXPECT_EQ(room->GetSize(), (CxSize{0, 0}));   // one size value only: nothing happens
    EXPECT_EQ(room->MilestoneCount(), 1);      // an empty value reads as 0, not as the end
    EXPECT_EQ(room->GetAmbientMovies().GetCount(), 0);
    EXPECT_EQ(rooms.GetCurrentRoom(), room);
}

TEST_F(DescribedRoom, AMissingBackgroundIsReportedAndTheRoomRunsWithoutIt)
{
    RegisterEngineImageFilters();
    Make("[Options]\nBackground=House\\nothing.tga\n");
    Enter("House");
    EXPECT_EQ(room->GetSurface(), nullptr);
    EXPECT_FALSE(errors.Reports().empty());
    EXPECT_EQ(rooms.GetCurrentRoom(), room);
}

TEST_F(DescribedRoom, ABackgroundIsLoadedAtEveryStartAndReleasedAtStop)
{
    RegisterEngineImageFilters();
    std::filesystem::create_directories("House");
    CxDrawSurface picture;
    picture.Create(16, 8, 32);
    ASSERT_EQ(picture.Save("House/back.tga"), 0);
    Make("[Options]\nBackground=$GAMEPATHHouse\\back.tga\n");
    Enter("House");
    ASSERT_NE(room->GetSurface(), nullptr);
    EXPECT_EQ(room->GetSize(), (CxSize{16, 8}));
    Enter("Yard");
    EXPECT_EQ(room->GetSurface(), nullptr);
    Enter("House");
    EXPECT_NE(room->GetSurface(), nullptr);
}

TEST_F(DescribedRoom, SizeMinusOneIsTheDisplay)
{
    InitDisplayTree(CxSize{640, 480});
    Make("[Options]\nSize=-1,-1\n");
    Enter("House");
    EXPECT_EQ(room->GetSize(), (CxSize{640, 480}));
    rooms.Shutdown();
    ShutdownDisplayTree();
}

TEST_F(DescribedRoom, MilestonesAreSortedAndReachedOnce)
{
    Make("[ScoreMilestones]\n0=200\n1=100\n2=-1\n3=50\n");
    Enter("House");
    EXPECT_EQ(room->MilestoneCount(), 2);   // -1 ends the list
    room->SetScore(150);
    EXPECT_EQ(room->milestones, (std::vector<int>{1}));
    room->SetScore(150);
    EXPECT_EQ(room->milestones, (std::vector<int>{1}));
    Command("Room.ResetMilestones()");
    Command("Room.AddScore(100)");
    EXPECT_EQ(room->GetScore(), 250);
    EXPECT_EQ(room->milestones, (std::vector<int>{1, 1, 0}));   // the lower threshold first
    Command("Room.KillMilestones()");
    EXPECT_EQ(room->MilestoneCount(), 0);
}

TEST_F(DescribedRoom, LevelsAndDifficultyStayInTheirRanges)
{
    Make("[Options]\nMinLevel=1\nMaxLevel=2\nMaxDifficulty=1\n");
    Enter("House");
    Command("House.SetLevel(3)");
    EXPECT_EQ(room->GetLevel(), 0);
    EXPECT_EQ(room->levelStarts, 0);
    Command("house.setlevel(2)");
    Command("Room.NextLevel()");
    EXPECT_EQ(room->GetLevel(), 2);
    Command("Room.PrevLevel()");
    EXPECT_EQ(room->GetLevel(), 1);
    EXPECT_EQ(room->levelStarts, 2);
    Command("Room.IncreaseDifficulty()");
    Command("Room.IncreaseDifficulty()");
    EXPECT_EQ(room->GetDifficulty(), 1);
    Command("Room.SetDifficulty(-1)");
    EXPECT_EQ(room->GetDifficulty(), 1);
    Command("Room.SubScore(7)");
    Command("Room.NoSuchCommand(1)");
    EXPECT_EQ(room->GetScore(), -7);
    CxLinkedList<CxString> none;
    EXPECT_EQ(room->CreateEvent("Room", "TODO", none), nullptr);
}

TEST_F(DescribedRoom, IdleTimeOutsFireUpToTheMaximumAndRunTheirLines)
{
    Make("[Options]\nIdleTime=1000\nMaxIdleCount=3\nOnTimeOut1=table.insert(log, 'one')\n"
         "OnTimeOut2=table.insert(log, 'two')\nOnTimeOut4=table.insert(log, 'four')\n");
    Enter("House");
    EXPECT_EQ(room->GetTimeOutLines().GetCount(), 2);   // the first empty entry ends the list
    for (int i = 0; i < 6; ++i) Pass(1000);
    EXPECT_EQ(room->GetIdleCount(), 3);
    EXPECT_EQ(Log(), "one,two");
    room->OnKeyDown(KeyCode(65), 0);            // input starts the count again
    Pass(999);
    EXPECT_EQ(room->GetIdleCount(), 0);
    Pass(1);
    EXPECT_EQ(Log(), "one,two,one");
    Command("Room.StopIdleTimer()");
    Pass(5000);
    EXPECT_EQ(room->GetIdleCount(), 1);         // stopped: no more time-outs
    EXPECT_EQ(Log(), "one,two,one");
    Command("Room.SetIdleTime(10)");
    Command("Room.StartIdleTimer()");
    EXPECT_EQ(room->GetIdleCount(), 0);
    Pass(10);
    EXPECT_EQ(room->GetIdleCount(), 1);
}

TEST_F(DescribedRoom, IdleTimeZeroNeverTimesOut)
{
    Make("[Options]\nIdleTime=0\nOnTimeOut1=table.insert(log, 'one')\n");
    Enter("House");
    for (int i = 0; i < 5; ++i) Pass(100000);
    EXPECT_EQ(Log(), "");
    EXPECT_FALSE(room->IsIdleTimerRunning());
}

TEST_F(DescribedRoom, ARunningRoomOwnsItsChannelCreatorsAndFolder)
{
    Write("House/onstartroom.lua", "started_in = 'house folder'");
    Make("[AmbientMovie0]\nFileName=$CDPATH\\Movies\\fish.smk\nPosition=10,20\n[AmbientMovie1]\nFileName=b.smk\n"
         "[AmbientMovie3]\nFileName=c.smk\n");
    Enter("House");
    EXPECT_TRUE(Eval("started_in == 'house folder'"));
    EXPECT_EQ(FindEventCreator("Room"), static_cast<CxEventCreator*>(room));
    EXPECT_EQ(FindEventCreator("HOUSE"), static_cast<CxEventCreator*>(room));
    EXPECT_NE(room->GetActivityFileSystem(), nullptr);
    EXPECT_EQ(room->GetActivityPath(), CxString("/House"));
    EXPECT_EQ(room->GetVariables()->Expand("$ROOMNAME"), CxString("House"));
    ASSERT_EQ(room->GetAmbientMovies().GetCount(), 2);
    const CKelAmbientMovie* fish = room->GetAmbientMovies().GetHead()->value;
    EXPECT_EQ(fish->fileName, CxString("<CDPath>/Movies/fish.smk"));
    EXPECT_EQ(fish->position, (CxPoint{10, 20}));
    uint32_t channel = room->GetRoomChannel();
    EXPECT_TRUE(CxEvent::ChannelExists(channel));

    Enter("Yard");
    EXPECT_FALSE(CxEvent::ChannelExists(channel));
    EXPECT_NE(FindEventCreator("Room"), static_cast<CxEventCreator*>(room));
    EXPECT_EQ(FindEventCreator("House"), nullptr);
    EXPECT_EQ(room->GetActivityFileSystem(), nullptr);
    EXPECT_EQ(room->GetVariables(), nullptr);
    EXPECT_EQ(room->GetAmbientMovies().GetCount(), 0);
}

TEST_F(DescribedRoom, ButtonNotesGoToTheHooksOthersClimbToTheParent)
{
    Make("");
    Enter("House");
    CxSprite sender;
    sender.SetControlID(3);
    room->OnNotify(NOTIFY_BUTTON, &sender, BUTTON_CODE_CLICKED, 0);
    room->OnNotify(5, &sender, 10, 0);   // no parent: dropped
    EXPECT_EQ(room->notes, (std::vector<int>{310}));
}

TEST_F(DescribedRoom, TheScoreDisplayFollowsTheScoreAndBulges)
{
    CreateDefaultFont();
    Make("[Score]\nFont=Fonts/missing.ttf\nArea=10, 20, 69, 39\nColor=0, 0, 255\nPointSize=12\n");
    Enter("House");
    CKelScoreText* score = room->GetScoreText();
    ASSERT_NE(score, nullptr);
    EXPECT_FALSE(errors.Reports().empty());   // the font: reported, the built-in one draws instead
    EXPECT_EQ(score->GetPosition(), (CxPoint{10, 20}));
    EXPECT_EQ(score->GetSize(), (CxSize{60, 20}));
    EXPECT_EQ(score->GetText(), CxString("0"));
    Command("Room.AddScore(42)");
    EXPECT_EQ(score->GetText(), CxString("42"));
    CxDrawSurface* surface = score->GetSurface();
    ASSERT_NE(surface, nullptr);
    int blue = 0;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 60; ++x) blue += surface->GetPixel(x, y) == (surface->MakeColor(0, 0, 255) | 0xFF000000u);
    EXPECT_GT(blue, 0);

    Command("Room.BulgeScore(15)");
    EXPECT_EQ(score->GetCurrentPointSize(), 15);
    std::vector<int> sizes;
    for (int i = 0; i < 4; ++i) {
        Pass(50);
        sizes.push_back(score->GetCurrentPointSize());
    }
    EXPECT_EQ(sizes, (std::vector<int>{14, 13, 12, 12}));
    EXPECT_FALSE(score->IsBulging());
    Enter("Yard");
    EXPECT_EQ(room->GetScoreText(), nullptr);
    DeleteDefaultFont();
}

TEST_F(DescribedRoom, AScoreFontWithoutAnAreaShowsNoScore)
{
    Make("[Score]\nFont=Fonts/any.ttf\n");
    Enter("House");
    EXPECT_EQ(room->GetScoreText(), nullptr);
    Command("Room.BulgeScore(30)");
    Command("Room.SetScore(3)");
    EXPECT_EQ(room->GetScore(), 3);
}

TEST_F(DescribedRoom, AHugeScoreAreaIsRefusedRatherThanAllocated)
{
    Make("[Score]\nFont=Fonts/any.ttf\nArea=0, 0, 100000, 100000\n");
    Enter("House");
    ASSERT_NE(room->GetScoreText(), nullptr);
    Command("Room.SetScore(12)");
    EXPECT_EQ(room->GetScoreText()->GetText(), CxString("12"));
    EXPECT_EQ(room->GetScoreText()->GetSurface(), nullptr);
}
