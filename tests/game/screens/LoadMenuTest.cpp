// The load menu over a save folder of the test's own: what it lists, what a
// click selects and tells the script, and the deletion with its question.
#include "MenuTestSupport.h"
#include "display/CxButton.h"
#include "display/CxDrawText.h"
#include "display/CxListBox.h"
#include "display/CxScrollBar.h"
#include "files/CxDirectoryFileSystem.h"
#include "game/screens/CLoadMenu.h"

#include <algorithm>
#include <filesystem>

namespace {
class TestLoadMenu : public CLoadMenu {
public:
    CxOptions options;

protected:
    CxOptions* GameOptions() override { return &options; }
};

class LoadMenu : public MenuRoomTest {
protected:
    void SetUp() override
    {
        MenuRoomTest::SetUp();
        std::filesystem::create_directories("saves");
        appData = std::make_unique<CxDirectoryFileSystem>("/saves", "<AppData>");
        // The room script's buttons count what the room asks of them.
        Write("LoadMenu/LoadMenu.lua",
              "enabled, disabled = 0, 0\n"
              "function Room.OnStartRoom()\n"
              "  Room.load_btn = {Enable = function() enabled = enabled + 1 end, Disable = function() disabled = disabled + 1 end}\n"
              "  Room.delete_btn = Room.load_btn\n"
              "end\n");
        menu = AddRoom<TestLoadMenu>("LoadMenu");
        AddRoom<CBaseRoom>("Somewhere");
    }
    void TearDown() override
    {
        rooms.Shutdown();
        appData.reset();
        MenuRoomTest::TearDown();
    }
    static void Save(const std::string& name, const std::string& breed, const std::string& pet, int money)
    {
        Write("saves/" + name, "[Pet]\nBreed=" + breed + "\nName=" + pet + "\nMoney=" + std::to_string(money) + "\n[Needs]\nHunger=3\n");
    }
    // A click on list line `index`, as the list reports it.
    void ClickLine(int32_t index)
    {
        menu->GetList()->SetSelection(index);
        menu->OnNotify(NOTIFY_LIST, menu->GetList(), index, 0);
    }
    void ClickDelete()
    {
        CxButton button;
        button.SetName("Delete");
        menu->OnNotify(NOTIFY_BUTTON, &button, BUTTON_CODE_CLICKED, 0);
    }
    std::string ItemName(int32_t index) { return menu->GetItem(index)->GetNameText()->GetString(); }

    std::unique_ptr<CxDirectoryFileSystem> appData;
    TestLoadMenu* menu = nullptr;
};
}  // namespace

TEST_F(LoadMenu, AnEmptyFolderListsNothingAndEnablesNoButton)
{
    Enter("LoadMenu");
    EXPECT_EQ(menu->GetList()->GetCount(), 0);
    EXPECT_EQ(menu->GetScrollBar()->GetMinimum(), 0);
    EXPECT_EQ(menu->GetScrollBar()->GetMaximum(), -1);
    menu->OnMouseWheel(0, CxPoint{300, 300}, -2);   // nothing to scroll: no harm
    ClickLine(0);
    EXPECT_EQ(Global("tostring(enabled)"), "0");
    EXPECT_EQ(menu->GetSelectedIndex(), -1);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(LoadMenu, ItemsShowTheSavesAndOneSelectionAtATime)
{
    Save("pet_Ada.sav", "Snowpoint", "Ada", 120);
    Save("pet_Bo.sav", "Abyssinian", "Bo", 7);
    Write("saves/pet_Cy.sav", std::string("\x01\x02[Pet\nName", 11));   // garbled: the defaults
    Write("saves/other.sav", "[Pet]\nName=Not a pet save\n");
    Enter("LoadMenu");
    CxListBox* list = menu->GetList();
    ASSERT_EQ(list->GetCount(), 3);
    EXPECT_EQ(menu->GetScrollBar()->GetMaximum(), 2);
    std::vector<std::string> names;
    for (int32_t i = 0; i < 3; ++i) names.push_back(ItemName(i));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"", "Ada", "Bo"}));
    for (int32_t i = 0; i < 3; ++i) {
        CItem* item = menu->GetItem(i);
        EXPECT_EQ(item->GetPath().Text()[0], '<') << "listed with the save folder's prefix";
        std::string money = item->GetMoneyText()->GetString();
        EXPECT_EQ(money, ItemName(i) == "Ada" ? "$120" : ItemName(i) == "Bo" ? "$7" : "$0");
        EXPECT_EQ(item->GetPicture()->GetNumFrames(), 5);
        EXPECT_EQ(item->GetCheckmark()->GetParent(), item->GetPicture());
        EXPECT_FALSE(item->GetCheckmark()->IsVisible());
    }

    ClickLine(2);
    ClickLine(0);
    EXPECT_FALSE(menu->GetItem(2)->GetCheckmark()->IsVisible());
    EXPECT_EQ(menu->GetItem(2)->GetPicture()->GetCurFrame(), 0);
    EXPECT_TRUE(menu->GetItem(0)->GetCheckmark()->IsVisible());
    EXPECT_EQ(menu->GetItem(0)->GetPicture()->GetCurFrame(), 3);
    EXPECT_EQ(Global("Room.selected_pet"), menu->GetItem(0)->GetPath().Text());
    EXPECT_EQ(Global("tostring(enabled)"), "4");   // both buttons at each selection
    ClickLine(-1);                       // a click below the lines: nothing selected anew
    EXPECT_EQ(menu->GetItem(0)->GetPicture()->GetCurFrame(), 0);

    menu->GetScrollBar()->SetScrollPosition(2);
    EXPECT_EQ(list->GetTopIndex(), 2);
    menu->OnMouseWheel(0, CxPoint{300, 300}, 1);
    EXPECT_EQ(menu->GetScrollBar()->GetScrollPosition(), 1);
    EXPECT_EQ(list->GetTopIndex(), 1);

    Enter("Somewhere");   // leaving empties the list; a new visit selects nothing
    Enter("LoadMenu");
    EXPECT_EQ(menu->GetSelectedIndex(), -1);
    EXPECT_EQ(menu->GetList()->GetCount(), 3);
}

TEST_F(LoadMenu, ASaveNamedWithQuotesReachesTheScriptAsItsPath)
{
    Save("pet_O'Neil\"]) os.exit(1) --.sav", "Bengal", "Quote", 1);
    Enter("LoadMenu");
    ASSERT_EQ(menu->GetList()->GetCount(), 1);
    ClickLine(0);
    EXPECT_EQ(Global("Room.selected_pet"), menu->GetItem(0)->GetPath().Text());
    EXPECT_NE(Global("Room.selected_pet").find("O'Neil\"]) os.exit(1) --.sav"), std::string::npos);
    EXPECT_EQ(engine.GetScriptErrorCount(), 0);
    EXPECT_EQ(Global("tostring(enabled)"), "2");
}

TEST_F(LoadMenu, DeletingAsksAndANoDeletesNothing)
{
    Save("pet_Ada.sav", "Bengal", "Ada", 1);
    Save("pet_Bo.sav", "Bengal", "Bo", 2);
    menu->options.SetString("Tolu", "LastPet", "before");
    Enter("LoadMenu");
    ClickLine(1);
    std::string chosen = menu->GetItem(1)->GetPath().Text();
    std::string kept = menu->GetItem(0)->GetPath().Text();

    MenuQuestions::Answer() = 0;
    ClickDelete();
    ASSERT_EQ(MenuQuestions::Asked().size(), 1u);
    EXPECT_EQ(MenuQuestions::Asked()[0], "text of DeletePetYesNo");
    EXPECT_EQ(menu->GetList()->GetCount(), 2);
    EXPECT_EQ(QorFileExists(chosen.c_str()), 1);
    EXPECT_EQ(Global("tostring(disabled)"), "0");

    MenuQuestions::Answer() = 1;
    ClickDelete();
    EXPECT_EQ(QorFileExists(chosen.c_str()), 0);
    EXPECT_EQ(QorFileExists(kept.c_str()), 1);
    ASSERT_EQ(menu->GetList()->GetCount(), 1);
    EXPECT_EQ(menu->GetItem(0)->GetPath().Text(), kept);
    EXPECT_EQ(Global("tostring(disabled)"), "2");
    EXPECT_EQ(Global("tostring(Room.selected_pet)"), "nil") << "the deleted save can no longer be loaded";
    EXPECT_EQ(menu->options.ReadString("Tolu", "LastPet", "").Text(), kept);

    ClickLine(0);   // the last one: LastPet stays as it was
    ClickDelete();
    EXPECT_EQ(menu->GetList()->GetCount(), 0);
    EXPECT_EQ(QorFileExists(kept.c_str()), 0);
    EXPECT_EQ(menu->options.ReadString("Tolu", "LastPet", "").Text(), kept);
    EXPECT_TRUE(errors.Reports().empty());
}

TEST_F(LoadMenu, ADeleteThatFailsIsToldAndTheSaveStaysListed)
{
    Save("pet_Ada.sav", "Bengal", "Ada", 1);
    Enter("LoadMenu");
    ClickLine(0);
    // The save turns into a folder with something in it: it cannot be deleted as a file.
    std::filesystem::remove("saves/pet_Ada.sav");
    Write("saves/pet_Ada.sav/inside.txt", "x");
    ClickDelete();
    EXPECT_EQ(MenuQuestions::Asked(), (std::vector<std::string>{"text of DeletePetYesNo", "text of DeletePetFailed"}));
    EXPECT_TRUE(errors.Reports().empty()) << "the player is told; the game's error count is not for this";
    EXPECT_EQ(menu->GetList()->GetCount(), 1);
    EXPECT_EQ(Global("tostring(disabled)"), "0");
    EXPECT_EQ(Global("Room.selected_pet"), menu->GetItem(0)->GetPath().Text());

    // Nothing selected in the list: nothing is deleted, the buttons go off.
    menu->GetList()->ClearSelection();
    MenuQuestions::Asked().clear();
    ClickDelete();
    EXPECT_EQ(MenuQuestions::Asked().size(), 1u);
    EXPECT_EQ(menu->GetList()->GetCount(), 1);
    EXPECT_EQ(Global("tostring(disabled)"), "2");
}
