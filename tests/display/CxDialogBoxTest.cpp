#include "DisplayTestApp.h"
#include "../core/ErrorCapture.h"
#include "display/CxDialogBox.h"
#include "display/CxDialogRegistry.h"
#include "display/CxDisplayTree.h"
#include "script/CxLuaEngine.h"

#include <strings.h>

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// A control that ends its dialog's loop when clicked, as a button handler would.
class EndButton : public CxSprite {
public:
    void OnLButtonDown(uint32_t, CxPoint) override { static_cast<CxDialogBox*>(GetParent())->EndModal(); }
};

class Dialogs : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitDisplayTree(CxSize{200, 100});
        dialog.Create(10, 10, 50, 40, GetRootObject(), 0);
        dialog.Paint();
    }
    void TearDown() override { ShutdownDisplayTree(); }

    InTempDir dir;
    ErrorCapture capture;
    ScriptedStepApp app;
    CxDialogBox dialog;
};
}  // namespace

TEST_F(Dialogs, ButtonEndsTheLoopAfterItsFrameAndActivityReturns)
{
    CxSprite before;
    before.Create(0, 0, 5, 5, GetRootObject(), 0);
    before.SetActive();
    auto* button = new EndButton;
    button->Create(5, 5, 10, 10, &dialog, 1);
    button->Paint();
    bool heldWhileModal = false;
    app.onStep = [&](int pass) {
        heldWhileModal = dialog.HasCapture() && dialog.IsActiveWindow() && dialog.IsModal();
        if (pass == 3) DispatchLButtonDown(0, CxPoint{16, 16});
        return 0;
    };
    EXPECT_EQ(dialog.DoModal(), 0);
    EXPECT_EQ(app.passes, 3);
    EXPECT_TRUE(heldWhileModal);
    EXPECT_EQ(GetActiveObject(), &before);
    EXPECT_EQ(GetCaptureObject(), nullptr);
    EXPECT_FALSE(dialog.IsModal());
    delete button;
}

TEST_F(Dialogs, NoActiveObjectBeforeLeavesNoneAfter)
{
    app.onStep = [&](int) { dialog.EndModal(); return 0; };
    dialog.DoModal();
    EXPECT_EQ(GetActiveObject(), nullptr);
}

TEST_F(Dialogs, PreviouslyActiveObjectDestroyedDuringTheLoopIsNotRestored)
{
    auto* before = new CxSprite;
    before->Create(0, 0, 5, 5, GetRootObject(), 0);
    before->SetActive();
    app.onStep = [&](int) {
        delete before;
        dialog.EndModal();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(GetActiveObject(), nullptr);
}

// A frame of the loop left the room that was active and entered another:
// the new room keeps the activity.
TEST_F(Dialogs, WhenTheActiveObjectLeftTheTreeTheOneMadeActiveMeanwhileStays)
{
    CxSprite left, entered;
    left.Create(0, 0, 5, 5, GetRootObject(), 0);
    entered.Create(0, 0, 5, 5, nullptr, 0);
    left.SetActive();
    app.onStep = [&](int pass) {
        if (pass == 2) {
            left.UnLink();
            entered.Link(GetRootObject());
            entered.SetActive();
        }
        if (pass == 3) dialog.EndModal();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(GetActiveObject(), &entered);
    EXPECT_EQ(GetCaptureObject(), nullptr);

    // With the old object still there, it is the one made active again, and
    // the capture it held comes back to it.
    left.Link(GetRootObject());
    left.SetActive();
    left.SetCapture();
    app.onStep = [&](int pass) {
        if (pass == 2) entered.SetActive();
        if (pass == 3) dialog.EndModal();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(GetActiveObject(), &left);
    EXPECT_EQ(GetCaptureObject(), &left);
    left.ReleaseCapture();
}

TEST_F(Dialogs, NestedLoopsEndInnerFirst)
{
    CxDialogBox inner;
    inner.Create(0, 0, 10, 10, GetRootObject(), 0);
    std::vector<std::string> log;
    int innerStart = 0;
    app.onStep = [&](int pass) {
        if (pass == 2) {
            innerStart = pass;
            log.push_back("inner starts");
            inner.DoModal();
            log.push_back("inner ended");
            EXPECT_EQ(GetActiveObject(), &dialog);   // the outer dialog is active again
            EXPECT_EQ(GetCaptureObject(), &dialog);
        } else if (innerStart && pass == innerStart + 3) {
            inner.EndModal();
        } else if (pass > 6) {
            dialog.EndModal();
            log.push_back("outer ends");
        }
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(log, (std::vector<std::string>{"inner starts", "inner ended", "outer ends"}));
    EXPECT_EQ(GetCaptureObject(), nullptr);
}

TEST_F(Dialogs, StopsOnceThreeErrorsWereReported)
{
    app.onStep = [&](int pass) {
        ReportError(ERR_UNKNOWN, "frame %d failed", pass);
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(app.passes, 3);
    EXPECT_EQ(ErrorCapture::Reports().size(), 3u);
}

TEST_F(Dialogs, ErrorCountAlreadyAtTheLimitRunsNoFrame)
{
    SetErrorCount(kModalErrorLimit);
    dialog.DoModal();
    EXPECT_EQ(app.passes, 0);
}

TEST_F(Dialogs, QuitDuringTheLoopEndsItButAQuitFromBeforeDoesNot)
{
    app.onStep = [&](int pass) {
        if (pass == 4) app.Quit();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(app.passes, 4);

    app.passes = 0;   // the quit flag is still set on entry now
    app.onStep = [&](int pass) {
        if (pass == 6) dialog.EndModal();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(app.passes, 6);
}

TEST_F(Dialogs, StepReportingTheEndOfTheLoopEndsIt)
{
    app.onStep = [&](int pass) { return pass == 2 ? 1 : 0; };
    dialog.DoModal();
    EXPECT_EQ(app.passes, 2);
    EXPECT_EQ(GetCaptureObject(), nullptr);
}

TEST_F(Dialogs, EndModalBeforeTheLoopDoesNotEndIt)
{
    dialog.EndModal();
    app.onStep = [&](int pass) {
        if (pass == 2) dialog.EndModal();
        return 0;
    };
    dialog.DoModal();
    EXPECT_EQ(app.passes, 2);
}

TEST_F(Dialogs, DialogInErrorReturnsItsCodeWithoutAFrame)
{
    dialog.Error(ERR_INVALID_ARGUMENT, "broken");
    EXPECT_EQ(dialog.DoModal(), ERR_INVALID_ARGUMENT);
    EXPECT_EQ(app.passes, 0);
    EXPECT_EQ(GetCaptureObject(), nullptr);
}

// ------------------------------------------------------------- named dialogs
namespace {
CxDialogBox* gNamed = nullptr;
CxDialogBox* FindOptions(const char* name) { return strcasecmp(name, "Options") == 0 ? gNamed : nullptr; }

class NamedDialogs : public Dialogs {
protected:
    void SetUp() override
    {
        Dialogs::SetUp();
        gNamed = &dialog;
        SetDialogFinder(FindOptions);
        ASSERT_EQ(engine.Init(), 0);
        ASSERT_EQ(RegisterDialogScriptFunctions(engine), 0);
    }
    void TearDown() override
    {
        engine.Shutdown();
        SetDialogFinder(nullptr);
        Dialogs::TearDown();
    }
    CxLuaEngine engine;
};
}  // namespace

TEST_F(NamedDialogs, ScriptRequestRunsOnTheNextFrame)
{
    EXPECT_EQ(engine.RunString("StartModalDialog(\"OPTIONS\")"), 0);
    EXPECT_EQ(GetPendingModalDialog(), &dialog);
    app.onStep = [&](int pass) {
        EXPECT_EQ(GetPendingModalDialog(), nullptr);   // cleared before the dialog runs
        if (pass == 2) engine.RunString("EndModalDialog('options')");
        return 0;
    };
    RunPendingModalDialog();
    EXPECT_EQ(app.passes, 2);
    RunPendingModalDialog();   // nothing pending: no loop
    EXPECT_EQ(app.passes, 2);
}

TEST_F(NamedDialogs, UnknownNamesDoNothingAndBadArgumentsAreScriptErrors)
{
    EXPECT_EQ(engine.RunString("StartModalDialog('Credits') EndModalDialog('Credits')"), 0);
    EXPECT_EQ(GetPendingModalDialog(), nullptr);
    EXPECT_EQ(engine.RunString("StartModalDialog()"), ERR_SCRIPTING);
    EXPECT_EQ(engine.GetScriptErrorCount(), 1);
}

TEST_F(NamedDialogs, DialogDestroyedWhilePendingIsForgotten)
{
    auto* other = new CxDialogBox;
    gNamed = other;
    StartModalDialog("Options");
    EXPECT_EQ(GetPendingModalDialog(), other);
    delete other;
    EXPECT_EQ(GetPendingModalDialog(), nullptr);
    RunPendingModalDialog();
    EXPECT_EQ(app.passes, 0);
}
