// The game's localized dialogs: text settings from the description, button
// positions as centres, the yes/no answers by button name, and the colour
// text of the descriptions.
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "display/CxDisplayTree.h"
#include "display/CxDrawText.h"
#include "files/CxDirectoryFileSystem.h"
#include "framework/CKelButton.h"
#include "game/screens/CGameDialogs.h"
#include "graphics/QorImageFilters.h"

#include <gtest/gtest.h>
#include <filesystem>
#include <memory>

namespace {
// Records what reaches it: the parent of the dialogs under test.
class Recorder : public CxSprite {
public:
    int notes = 0;
    CxDisplayObject* lastSender = nullptr;
    void OnNotify(int32_t, CxDisplayObject* sender, int32_t, int32_t) override
    {
        ++notes;
        lastSender = sender;
    }
};

class GameDialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterEngineImageFilters();
        InitHeadlessDisplayTree(CxSize{640, 480});
        std::filesystem::create_directories("COMMON");
        WriteFileBytes("COMMON/button.tga", ReadFileBytes(std::string(VORN_TEST_DATA) + "/display/overlap.tga"));
        WriteFileBytes("COMMON/YesNoDialog.ini",
                       "[Options]\nSize=300, 200\nTextArea=10, 20, 289, 99\nTextColor=255, 0, 0\nTextSize=14\n"
                       "EnglishText=Sure?\n"
                       "[Button0]\nFileName=COMMON/button.tga\nName=yes\nPosition=100, 150\n"
                       "[Button1]\nFileName=COMMON/button.tga\nName=NO\nPosition=200, 150\n"
                       "[Button2]\nFileName=COMMON/button.tga\nName=Help\nPosition=250, 30\n");
    }
    void TearDown() override
    {
        ShutdownDisplayTree();
        UnregisterImageFilters("*");
    }
    InTempDir dir;
    CxDirectoryFileSystem files;
    ErrorCapture capture;
};
}  // namespace

TEST(TextColor, ThreeNumbersOrTheDefault)
{
    EXPECT_EQ(ParseTextColor("255, 0, 0"), 0xFF0000u);   // no alpha byte
    EXPECT_EQ(ParseTextColor("1, 2, 3"), 0x010203u);
    EXPECT_EQ(ParseTextColor("300, -5, 7"), 0xFF0007u);  // each kept to a byte
    EXPECT_EQ(ParseTextColor("red"), ParseTextColor("248, 232, 200"));
    EXPECT_EQ(ParseTextColor(nullptr), 0xF8E8C8u);
}

TEST_F(GameDialogs, TheDescriptionPlacesTheTextAndCentresTheButtons)
{
    CYesNoDialog dialog;
    ASSERT_NE(dialog.GetText(), nullptr);
    EXPECT_STREQ(dialog.GetText()->GetString(), "Sure?");   // the player's language picks the key
    EXPECT_EQ(dialog.GetText()->GetColor(), 0xFF0000u);
    EXPECT_EQ(dialog.GetText()->GetPointSize(), 14);
    EXPECT_EQ(dialog.GetText()->GetPosition(), (CxPoint{10, 20}));
    EXPECT_EQ(dialog.GetText()->GetSize(), (CxSize{280, 80}));
    CKelButton* yes = dialog.FindButton("YES");
    ASSERT_NE(yes, nullptr);
    EXPECT_EQ(yes->GetPosition(ANCHOR_CENTRE), (CxPoint{100, 150}));
    dialog.SetText("Really?");
    EXPECT_STREQ(dialog.GetText()->GetString(), "Really?");
}

TEST_F(GameDialogs, ButtonsNamedYesAndNoAnswerInAnyCaseOthersGoToTheParent)
{
    Recorder room;
    CYesNoDialog dialog;
    dialog.Link(&room);
    dialog.OnNotify(NOTIFY_BUTTON, dialog.FindButton("Help"), BUTTON_CODE_CLICKED, 0);
    EXPECT_EQ(room.notes, 1);
    EXPECT_EQ(room.lastSender, dialog.FindButton("Help"));
    EXPECT_FALSE(dialog.IsModalEnded());

    dialog.OnNotify(NOTIFY_BUTTON, dialog.FindButton("yes"), BUTTON_CODE_CLICKED, 0);
    EXPECT_EQ(dialog.GetResult(), 1);
    EXPECT_TRUE(dialog.IsModalEnded());
    dialog.OnNotify(NOTIFY_BUTTON, dialog.FindButton("no"), BUTTON_CODE_CLICKED, 0);
    EXPECT_EQ(dialog.GetResult(), 0);
    dialog.OnNotify(NOTIFY_BUTTON, dialog.FindButton("yes"), BUTTON_CODE_HOVER, 0);   // mouse over is no answer
    EXPECT_EQ(dialog.GetResult(), 0);
    EXPECT_EQ(room.notes, 2);
}

TEST_F(GameDialogs, AMissingDescriptionKeepsTheDefaults)
{
    std::filesystem::remove("COMMON/YesNoDialog.ini");
    CYesNoDialog dialog;
    ASSERT_NE(dialog.GetText(), nullptr);
    EXPECT_EQ(dialog.GetText()->GetPosition(), (CxPoint{85, 112}));
    EXPECT_EQ(dialog.GetText()->GetSize(), (CxSize{247, 56}));
    EXPECT_EQ(dialog.GetText()->GetColor(), 0xF8E8C8u);
    EXPECT_EQ(dialog.GetText()->GetPointSize(), 20);
    EXPECT_STREQ(dialog.GetText()->GetString(), "");
    EXPECT_EQ(dialog.ButtonCount(), 0);
}

TEST_F(GameDialogs, WithoutAnApplicationTheQuestionEndsAtOnceWithNo)
{
    // No frames can run without an application, so the loop ends unanswered.
    EXPECT_EQ(AskYesNoQuestion(nullptr, "Leave?"), 0);
    RunOkDialog(nullptr, "Fine.");
}
