// The options menu on a display and a game of the test's own: which sizes
// it offers, what "Accept" stores and when it restarts, and the volume that
// is heard at once and put back unless accepted.
#include "MenuTestSupport.h"
#include "display/CxButton.h"
#include "display/CxScrollBar.h"
#include "game/screens/COptionsMenu.h"
#include "media/CxSound.h"

namespace {
class TestOptionsMenu : public COptionsMenu {
public:
    CxOptions game, app;
    std::vector<CDisplayMode> modes;
    int32_t width = 800;
    bool multisampling = false;
    int restarts = 0, credits = 0;

protected:
    CxOptions* GameOptions() override { return &game; }
    CxOptions* AppOptions() override { return &app; }
    void CollectDisplayModes(std::vector<CDisplayMode>& out) override { out = modes; }
    int32_t CurrentWidth() override { return width; }
    bool HasMultisampling() override { return multisampling; }
    void RestartGame() override { ++restarts; }
    void ShowCredits() override { ++credits; }
};

class OptionsMenu : public MenuRoomTest {
protected:
    void SetUp() override
    {
        MenuRoomTest::SetUp();
        SetMasterVolume(60);   // no sound driver here: the level last set stands
        menu = AddRoom<TestOptionsMenu>("OptionsMenu");
        AddRoom<CBaseRoom>("MainMenu");
        menu->modes = {{800, 600, 16}, {1024, 768, 32}, {1280, 1024, 8}, {1600, 1200, 24}, {640, 480, 16}};
    }
    void Click(const char* name)
    {
        CxButton button;
        button.SetName(name);
        menu->OnNotify(NOTIFY_BUTTON, &button, BUTTON_CODE_CLICKED, 0);
    }
    bool Enabled(int i) { return menu->GetSizeButton(i)->IsEnabled(); }
    bool Checked(int i) { return menu->GetSizeButton(i)->GetCheck(); }

    TestOptionsMenu* menu = nullptr;
};
}  // namespace

TEST_F(OptionsMenu, SizesFollowTheDisplayModesAndTheWindow)
{
    menu->width = 1280;   // a width the display has no 16-bit mode for
    menu->game.SetInt("Options", "ShowTipDialogs", 0);
    menu->game.SetInt("Options", "AntiAlias", 1);
    Enter("OptionsMenu");
    EXPECT_TRUE(Enabled(0));
    EXPECT_TRUE(Enabled(1));
    EXPECT_FALSE(Enabled(2)) << "1280 x 1024 is listed only at 8 bits";
    EXPECT_TRUE(Enabled(3));
    EXPECT_TRUE(Checked(2)) << "the window's own width is checked even so";
    EXPECT_FALSE(Checked(0) || Checked(1) || Checked(3));
    EXPECT_STREQ(menu->GetSizeButton(1)->GetName(), "1024, 768");
    EXPECT_FALSE(menu->GetTipsBox()->GetCheck());
    EXPECT_FALSE(menu->GetAntiAliasBox()->IsEnabled()) << "no multisampling";
    EXPECT_EQ(menu->GetVolumeBar()->GetScrollPosition(), 127 - 60);

    Click("Accept");
    EXPECT_EQ(menu->game.ReadInt("Options", "AntiAlias", -1), 0);
    EXPECT_EQ(menu->restarts, 0) << "the window's own size, though not offered";
    EXPECT_EQ(menu->game.ReadInt("Options", "ShowTipDialogs", -1), 0);
    EXPECT_EQ(menu->game.ReadInt("Options", "MasterVolume", -1), 60);
    EXPECT_EQ(menu->app.ReadString("Engine.Window", "Size", "none").Text(), std::string("none"));
    EXPECT_EQ(menu->restarts, 0);

    menu->width = 1000;   // none of the four: none checked, nothing stored
    menu->multisampling = true;
    Enter("MainMenu");
    Enter("OptionsMenu");
    EXPECT_FALSE(Checked(0) || Checked(1) || Checked(2) || Checked(3));
    EXPECT_TRUE(menu->GetAntiAliasBox()->IsEnabled());
    EXPECT_FALSE(menu->GetAntiAliasBox()->GetCheck()) << "the value stored by the last Accept";
    menu->GetAntiAliasBox()->SetCheck(true);
    Click("Accept");
    EXPECT_EQ(menu->game.ReadInt("Options", "AntiAlias", -1), 1);
    EXPECT_EQ(menu->restarts, 0);

    // Choosing another size while the window's own, not offered, is checked.
    menu->width = 1280;
    Enter("MainMenu");
    Enter("OptionsMenu");
    ASSERT_TRUE(Checked(2));
    menu->GetSizeButton(1)->SetCheck(true);
    EXPECT_FALSE(Checked(2));
    EXPECT_EQ(menu->GetSizeButton(2)->GetState(), BUTTON_DISABLED);
    Click("Accept");
    EXPECT_EQ(menu->app.ReadString("Engine.Window", "Size", "").Text(), std::string("1024, 768"));
    EXPECT_EQ(menu->restarts, 1);
}

TEST_F(OptionsMenu, AnotherSizeIsStoredAndRestartsWithoutAQuestion)
{
    Enter("OptionsMenu");
    ASSERT_TRUE(Checked(0));
    menu->GetSizeButton(1)->SetCheck(true);
    Click("accept");    // the names are matched exactly
    Click("Credits");
    EXPECT_EQ(menu->restarts, 0);
    EXPECT_EQ(menu->credits, 1);
    EXPECT_EQ(menu->app.ReadString("Engine.Window", "Size", "none").Text(), std::string("none"));
    EXPECT_FALSE(Checked(0)) << "the group keeps one size";
    EXPECT_EQ(menu->OnQuitRequest(), 1);   // asked as every room asks
    ASSERT_EQ(MenuQuestions::Asked().size(), 1u);
    Click("Accept");
    EXPECT_EQ(menu->app.ReadString("Engine.Window", "Size", "").Text(), std::string("1024, 768"));
    EXPECT_EQ(menu->restarts, 1);
    EXPECT_TRUE(menu->IsRestartPending());
    MenuQuestions::Answer() = 0;
    EXPECT_EQ(menu->OnQuitRequest(), 1);
    EXPECT_EQ(MenuQuestions::Asked().size(), 1u) << "the restart is not asked about";

    Enter("MainMenu");   // a new visit forgets it
    Enter("OptionsMenu");
    EXPECT_FALSE(menu->IsRestartPending());
    EXPECT_EQ(menu->OnQuitRequest(), 0);
}

TEST_F(OptionsMenu, TheVolumeIsHeardAtOnceAndPutBackUnlessAccepted)
{
    Enter("OptionsMenu");
    CxVerticalScrollBar* bar = menu->GetVolumeBar();
    bar->SetScrollPosition(0);   // the top of the bar is loud
    EXPECT_EQ(GetRememberedMasterVolume(), 127);
    bar->SetScrollPosition(127);
    EXPECT_EQ(GetRememberedMasterVolume(), 0);
    Click("Back");
    Enter("MainMenu");
    EXPECT_EQ(GetRememberedMasterVolume(), 60) << "leaving without Accept undoes the bar";

    Enter("OptionsMenu");
    menu->GetVolumeBar()->SetScrollPosition(27);
    Click("Accept");
    Enter("MainMenu");
    EXPECT_EQ(GetRememberedMasterVolume(), 100);
    EXPECT_EQ(menu->game.ReadInt("Options", "MasterVolume", -1), 100);
    EXPECT_TRUE(errors.Reports().empty());
}
