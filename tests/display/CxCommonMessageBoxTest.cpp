#include "DisplayTestApp.h"
#include "../core/ErrorCapture.h"
#include "display/CxButton.h"
#include "display/CxCommonMessageBox.h"
#include "display/CxCommonPushButton.h"
#include "display/CxDisplayTree.h"
#include "graphics/CxFont.h"

#include <gtest/gtest.h>
#include <string>

TEST(CommonMessageBoxSize, FollowsTheWidthArithmetic)
{
    EXPECT_EQ(CommonMessageBoxSize(100, 200), (CxSize{300, 150}));
    EXPECT_EQ(CommonMessageBoxSize(420, 200), (CxSize{420, 150}));
    EXPECT_EQ(CommonMessageBoxSize(100, 600), (CxSize{600, 150}));
    EXPECT_EQ(CommonMessageBoxSize(100, 601), (CxSize{600, 170}));
    EXPECT_EQ(CommonMessageBoxSize(100, 1250), (CxSize{600, 190}));
    EXPECT_EQ(CommonMessageBoxSize(100, 2000), (CxSize{600, 210}));
    EXPECT_EQ(CommonMessageBoxSize(100, 7799), (CxSize{600, 390}));
    EXPECT_EQ(CommonMessageBoxSize(100, 8000), (CxSize{600, 400}));
    EXPECT_EQ(CommonMessageBoxSize(5000, 0), (CxSize{600, 310}));   // a wide title counts too
}

namespace {
class MessageBoxes : public ::testing::Test {
protected:
    void SetUp() override { InitDisplayTree(CxSize{640, 480}); }
    void TearDown() override { ShutdownDisplayTree(); }
    InTempDir dir;
    ErrorCapture capture;
    ScriptedStepApp app;
};
}  // namespace

TEST_F(MessageBoxes, ButtonClickEndsWithItsControlId)
{
    CxCommonMessageBox box;
    box.Create(0, 0, 300, 150, GetRootObject(), 0);
    box.Paint();
    CxButton second;
    second.Create(100, 100, 20, 10, &box, 1);
    second.Paint();
    app.onStep = [&](int pass) {
        if (pass == 2) {
            DispatchLButtonDown(0, CxPoint{105, 105});
            DispatchLButtonUp(0, CxPoint{105, 105});
        }
        return 0;
    };
    box.DoModal();
    EXPECT_EQ(box.GetResult(), 1);
    EXPECT_EQ(app.passes, 2);
}

TEST_F(MessageBoxes, AnyKeyEndsWithZero)
{
    CxCommonMessageBox box;
    box.Create(0, 0, 300, 150, GetRootObject(), 0);
    box.Paint();
    app.onStep = [&](int pass) {
        if (pass == 3) DispatchKeyDown('q', 0);
        return 0;
    };
    box.DoModal();
    EXPECT_EQ(box.GetResult(), 0);
    EXPECT_EQ(app.passes, 3);
}

// ------------------------------------------------------------- CommonMessageBox
namespace {
class CommonBoxes : public MessageBoxes {
protected:
    void SetUp() override
    {
        ASSERT_EQ(CreateDefaultFont(), 0);
        MessageBoxes::SetUp();
    }
    void TearDown() override
    {
        MessageBoxes::TearDown();
        DeleteDefaultFont();
        SetMessageBoxAnswer(nullptr);
    }
    // The box on screen, found from the root.
    static CxCommonMessageBox* ShownBox()
    {
        for (auto* node = GetRootObject()->GetChildren().GetHead(); node; node = node->next)
            if (auto* box = dynamic_cast<CxCommonMessageBox*>(node->value)) return box;
        return nullptr;
    }
    static std::string Repeat(char c, int n) { return std::string(size_t(n), c); }
};

int gAsked = 0;
int AnswerSecond(const char*, const char*, const char* const*, int count)
{
    ++gAsked;
    return count - 1;
}
}  // namespace

TEST_F(CommonBoxes, ClickOnTheSecondButtonReturnsOne)
{
    CxSize seen;
    int buttons = 0;
    app.onStep = [&](int pass) {
        CxCommonMessageBox* box = ShownBox();
        if (!box || pass != 2) return 0;
        seen = box->GetSize();
        for (auto* node = box->GetChildren().GetHead(); node; node = node->next)
            buttons += dynamic_cast<CxCommonPushButton*>(node->value) ? 1 : 0;
        // Buttons are centred at (w / 3 * (i + 1), h - 40); click the second one.
        CxPoint at = box->ToGlobal(CxPoint{300 / 3 * 2, 150 - 40});
        DispatchMouseMove(0, at);
        DispatchLButtonDown(0, at);
        DispatchLButtonUp(0, at);
        return 0;
    };
    EXPECT_EQ(CommonMessageBox("Error", "Something failed", "Continue", "Quit"), 1);
    EXPECT_EQ(seen, (CxSize{300, 150}));
    EXPECT_EQ(buttons, 2);
    EXPECT_EQ(ShownBox(), nullptr);   // gone again
    EXPECT_EQ(GetCaptureObject(), nullptr);
}

TEST_F(CommonBoxes, AnyKeyReturnsZeroAndTheBoxIsCentredInFront)
{
    CxPoint position;
    bool front = false;
    app.onStep = [&](int) {
        CxCommonMessageBox* box = ShownBox();
        position = box->GetPosition();
        front = GetRootObject()->GetChildren().GetTail()->value == box;
        DispatchKeyDown(KEY_ESCAPE, 0);
        return 0;
    };
    const char* labels[] = {"Ok"};
    EXPECT_EQ(CommonMessageBox("Product Version", "Vorn 1.00", labels, 1), 0);
    EXPECT_EQ(position, (CxPoint{(640 - 300) / 2, (480 - 150) / 2}));
    EXPECT_TRUE(front);
}

TEST_F(CommonBoxes, WideMessagesGrowTheBoxDownwards)
{
    CxFont* font = FindFont(CX_DEFAULT_FONT);
    ASSERT_NE(font, nullptr);
    int32_t per = font->MeasureString("x", 0);
    ASSERT_GT(per, 0);
    CxSize seen;
    app.onStep = [&](int) {
        seen = ShownBox()->GetSize();
        DispatchKeyDown('a', 0);
        return 0;
    };
    std::string wide = Repeat('x', 1250 / per + 1);   // just over 1250 pixels
    CommonMessageBox("t", wide.c_str(), "Ok", nullptr);
    EXPECT_EQ(seen, CommonMessageBoxSize(0, int32_t(wide.size()) * per));
    EXPECT_EQ(seen.width, 600);
    EXPECT_EQ(seen.height, 190);
}

TEST_F(CommonBoxes, AnswerHookAnswersWithoutShowingABox)
{
    gAsked = 0;
    SetMessageBoxAnswer(AnswerSecond);
    EXPECT_EQ(CommonMessageBox("t", "m", "Continue", "Quit"), 1);
    EXPECT_EQ(CommonMessageBox("t", "m", "Ok", nullptr), 0);
    EXPECT_EQ(gAsked, 2);
    EXPECT_EQ(app.passes, 0);
}

TEST_F(CommonBoxes, NothingToShowOnAnswersTheFirstButton)
{
    ShutdownDisplayTree();
    EXPECT_EQ(CommonMessageBox("t", "m", "Continue", "Quit"), 0);
    EXPECT_EQ(app.passes, 0);
    InitDisplayTree(CxSize{640, 480});
}

TEST_F(CommonBoxes, TitleMessageAndButtonsShowOnTheScreen)
{
    CxDrawSurface screen;
    screen.Create(640, 480, 32);
    auto countIn = [&](CxRect r, CxPixel rgb) {
        int n = 0;
        for (int y = r.top; y <= r.bottom; ++y)
            for (int x = r.left; x <= r.right; ++x) n += (screen.GetPixel(x, y) & 0xFFFFFF) == rgb ? 1 : 0;
        return n;
    };
    int titleInk = 0, messageInk = 0, buttonFace = 0, background = 0;
    app.onStep = [&](int) {
        PaintDirtyRects(&screen, nullptr);
        CxPoint o = ShownBox()->GetPosition();   // 300 x 150
        titleInk = countIn(CxRect{o.x + 10, o.y + 10, o.x + 289, o.y + 29}, 0x000000);
        messageInk = countIn(CxRect{o.x + 10, o.y + 40, o.x + 289, o.y + 109}, 0x000000);
        buttonFace = countIn(CxRect{o.x + 150 - 37, o.y + 110 - 12, o.x + 150 + 37, o.y + 110 + 12}, 0xC0C0C0);
        background = countIn(CxRect{o.x + 10, o.y + 10, o.x + 289, o.y + 29}, 0xC0C0C0);
        DispatchKeyDown(' ', 0);
        return 0;
    };
    CommonMessageBox("Title", "A message", "Ok", nullptr);
    EXPECT_GT(titleInk, 10);
    EXPECT_GT(messageInk, 10);
    EXPECT_GT(buttonFace, 75 * 25 / 2);
    EXPECT_GT(background, 280 * 20 / 2);   // the texts sit on the dialog's grey face
}
