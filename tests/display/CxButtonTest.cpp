#include "../core/ErrorCapture.h"
#include "display/CxButton.h"
#include "display/CxDisplayTree.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
std::vector<std::string> gHeard;

// A container that writes down every notification that reaches it.
class Panel : public CxDisplayObject {
public:
    void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra) override
    {
        gHeard.push_back(std::string(sender ? sender->GetName() : "?") + " " + std::to_string(kind) + ":" +
                         std::to_string(code));
        CxDisplayObject::OnNotify(kind, sender, code, extra);
    }
    void OnLButtonDown(uint32_t, CxPoint) override { gHeard.push_back("panel press"); }
};

class Recorder : public CxButtonListener {
public:
    void OnButtonNotify(CxButton* button, int32_t code) override
    {
        gHeard.push_back(std::string("listener ") + button->GetName() + " " + std::to_string(code));
    }
};

// Five frames, 10 x 10 each, so the frame shown tells the state map apart.
CxDrawSurface* FiveFrames()
{
    auto* surface = new CxDrawSurface;
    surface->Create(50, 10, 32);
    return surface;
}

class Buttons : public ::testing::Test {
protected:
    void SetUp() override
    {
        gHeard.clear();
        SetDisplayBufferCount(CxSize{200, 100}, 1);
        panel = new Panel;
        panel->Create(0, 0, 200, 100, GetRootObject(), 0);
        panel->Paint();
    }
    void TearDown() override
    {
        delete panel;
        ShutdownDisplayTree();
    }

    template <class B>
    B* Make(const char* name, int32_t x, int32_t y, CxDisplayObject* parent = nullptr)
    {
        auto* button = new B;
        button->SetName(name);
        button->Create(x, y, 0, 0, parent ? parent : panel, 0);
        button->SetSurface(FiveFrames(), kButtonStates);
        button->Paint();
        return button;
    }

    static void Click(CxPoint at)
    {
        DispatchMouseMove(0, at);
        DispatchLButtonDown(1, at);
        DispatchLButtonUp(0, at);
    }

    Panel* panel = nullptr;
};

using Heard = std::vector<std::string>;
}  // namespace

TEST_F(Buttons, PushButtonHoverPressAndReleaseInside)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    ok->SetStateMapEntry(BUTTON_PRESSED, 0);   // a face without a pressed frame
    DispatchMouseMove(0, CxPoint{15, 15});
    EXPECT_EQ(ok->GetState(), BUTTON_HOVER);
    EXPECT_EQ(ok->GetCurFrame(), 2);
    EXPECT_TRUE(ok->HasCapture());
    DispatchMouseMove(0, CxPoint{16, 15});     // still over it: nothing new
    DispatchLButtonDown(1, CxPoint{16, 15});
    EXPECT_EQ(ok->GetState(), BUTTON_PRESSED);
    EXPECT_EQ(ok->GetCurFrame(), 0);
    DispatchLButtonUp(0, CxPoint{16, 15});
    // Released inside: off, clicked, then the pointer still over it hovers again.
    EXPECT_EQ(gHeard, (Heard{"ok 0:2", "ok 0:1", "ok 0:0", "ok 0:10", "ok 0:2"}));
    EXPECT_EQ(ok->GetState(), BUTTON_HOVER);

    gHeard.clear();
    DispatchMouseMove(0, CxPoint{150, 50});    // captured: the move outside still reaches it
    EXPECT_EQ(gHeard, (Heard{"ok 0:11"}));
    EXPECT_EQ(ok->GetState(), BUTTON_NORMAL);
    EXPECT_EQ(GetCaptureObject(), nullptr);
    delete ok;
}

TEST_F(Buttons, PushButtonReleasedOutsideIsNoClick)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    DispatchMouseMove(0, CxPoint{12, 12});
    DispatchLButtonDown(1, CxPoint{12, 12});
    gHeard.clear();
    DispatchMouseMove(1, CxPoint{90, 90});     // pressed: dragging out changes nothing
    EXPECT_EQ(ok->GetState(), BUTTON_PRESSED);
    DispatchLButtonUp(0, CxPoint{90, 90});
    EXPECT_EQ(gHeard, (Heard{"ok 0:0", "ok 0:11"}));
    EXPECT_FALSE(ok->HasCapture());
    delete ok;
}

TEST_F(Buttons, RadioGroupKeepsOneChecked)
{
    auto* group = new CxRadioGroup;
    group->SetName("group");
    group->Create(0, 0, 100, 20, panel, 0);
    group->Paint();
    CxRadioButton* left = Make<CxRadioButton>("left", 0, 0, group);
    CxRadioButton* right = Make<CxRadioButton>("right", 20, 0, group);
    left->SetCheck(true);
    gHeard.clear();

    DispatchMouseMove(0, CxPoint{25, 5});
    DispatchLButtonDown(1, CxPoint{25, 5});
    EXPECT_EQ(gHeard, (Heard{"right 0:2", "left 0:0", "right 0:1"}));   // the group's echo comes first
    EXPECT_EQ(right->GetState(), BUTTON_PRESSED);
    EXPECT_EQ(left->GetState(), BUTTON_NORMAL);
    EXPECT_TRUE(right->GetCheck());

    gHeard.clear();
    DispatchLButtonUp(0, CxPoint{25, 5});
    DispatchLButtonDown(1, CxPoint{25, 5});      // clicking a checked radio button does nothing
    EXPECT_TRUE(gHeard.empty());

    DispatchMouseMove(0, CxPoint{150, 50});
    EXPECT_EQ(right->GetState(), BUTTON_CHECKED);
    group->Disable();
    EXPECT_FALSE(right->IsEnabled());
    EXPECT_EQ(left->GetState(), BUTTON_DISABLED);
    group->Enable();
    EXPECT_TRUE(left->IsEnabled());
    EXPECT_EQ(right->GetState(), BUTTON_CHECKED);   // each comes back as it was
    EXPECT_EQ(left->GetState(), BUTTON_NORMAL);
    delete left;
    delete right;
    delete group;
}

TEST_F(Buttons, CheckButtonTogglesAndKeepsItsCheckThroughDisable)
{
    CxCheckButton* box = Make<CxCheckButton>("box", 40, 40);
    Click(CxPoint{45, 45});
    EXPECT_EQ(box->GetState(), BUTTON_PRESSED);
    EXPECT_TRUE(box->GetCheck());
    Click(CxPoint{45, 45});
    EXPECT_EQ(box->GetState(), BUTTON_HOVER);
    EXPECT_FALSE(box->GetCheck());
    DispatchMouseMove(0, CxPoint{100, 90});
    box->SetCheck(true);
    box->Enable();                                // not disabled: nothing to restore
    EXPECT_EQ(box->GetState(), BUTTON_CHECKED);

    box->Disable();
    EXPECT_EQ(box->GetState(), BUTTON_DISABLED);
    EXPECT_EQ(box->GetCurFrame(), 4);
    gHeard.clear();
    Click(CxPoint{45, 45});
    EXPECT_TRUE(gHeard.empty());                  // a disabled check button ignores the mouse
    box->Enable();
    EXPECT_EQ(box->GetState(), BUTTON_CHECKED);
    delete box;
}

TEST_F(Buttons, DisabledPushButtonHandsThePressToItsParent)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    DispatchMouseMove(0, CxPoint{12, 12});
    ok->Disable();
    EXPECT_FALSE(ok->HasCapture());
    EXPECT_EQ(ok->GetSavedState(), -1);
    gHeard.clear();
    DispatchMouseMove(0, CxPoint{13, 12});
    DispatchLButtonDown(1, CxPoint{13, 12});
    EXPECT_EQ(gHeard, (Heard{"panel press"}));
    ok->Enable();
    EXPECT_EQ(ok->GetState(), BUTTON_NORMAL);     // push buttons come back normal
    delete ok;
}

TEST_F(Buttons, WhoHearsTheCodes)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    Recorder recorder;
    ok->SetListener(&recorder);
    ok->SetState(BUTTON_HOVER);
    ok->SetState(BUTTON_HOVER);                   // unchanged: silent
    EXPECT_EQ(gHeard, (Heard{"listener ok 2"})); // the listener instead of the parent

    gHeard.clear();
    ok->UnLink();
    ok->SetState(BUTTON_DISABLED);                // no parent: silent even with a listener
    EXPECT_TRUE(gHeard.empty());

    ErrorCapture errors;
    ok->SetState(7);
    EXPECT_EQ(ok->GetState(), BUTTON_DISABLED);
    ASSERT_EQ(errors.Reports().size(), 1u);
    EXPECT_EQ(errors.Reports()[0].code, ERR_INVALID_ARGUMENT);
    delete ok;
}

TEST_F(Buttons, HidingAButtonGivesUpTheMouse)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    DispatchMouseMove(0, CxPoint{12, 12});
    ASSERT_TRUE(ok->HasCapture());
    ok->Erase();
    EXPECT_EQ(GetCaptureObject(), nullptr);
    DispatchLButtonDown(1, CxPoint{12, 12});       // hidden: the press reaches the panel
    EXPECT_EQ(gHeard.back(), "panel press");
    delete ok;
}

namespace {
int gCursorSelections = 0;
void CountCursorSelection() { ++gCursorSelections; }
}  // namespace

TEST_F(Buttons, PlainObjectsSelectTheDefaultCursorButtonsDoNot)
{
    SetDefaultCursorHook(CountCursorSelection);
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    gCursorSelections = 0;
    DispatchMouseMove(0, CxPoint{150, 50});      // the panel, then the root, on the way up
    EXPECT_EQ(gCursorSelections, 2);
    DispatchMouseMove(0, CxPoint{12, 12});       // a button keeps its own cursor
    EXPECT_EQ(gCursorSelections, 2);
    SetDefaultCursorHook(nullptr);
    DispatchMouseMove(0, CxPoint{150, 50});
    EXPECT_EQ(gCursorSelections, 2);
    delete ok;
}

// A button whose face is opaque white with a clear right half: with pixel
// hit testing the white half is the button, the clear half is not.
TEST_F(Buttons, OpaqueWhiteFaceIsOverTheButton)
{
    CxButton* ok = Make<CxButton>("ok", 10, 10);
    CxDrawSurface* face = ok->GetSurface();
    face->FillRect(nullptr, 0xFFFFFFFF);
    for (int k = 0; k < 5; ++k) {
        CxRect clear{k * 10 + 5, 0, k * 10 + 9, 9};
        face->FillRect(&clear, 0x00FFFFFF);
    }
    ok->SetPixelHitTest(true);
    EXPECT_EQ(HitTestRoot(CxPoint{12, 12}), ok);
    EXPECT_EQ(HitTestRoot(CxPoint{17, 12}), panel);
    DispatchMouseMove(0, CxPoint{12, 12});
    EXPECT_EQ(ok->GetState(), BUTTON_HOVER);
    DispatchMouseMove(0, CxPoint{17, 12});
    EXPECT_EQ(ok->GetState(), BUTTON_NORMAL);
    delete ok;
}
