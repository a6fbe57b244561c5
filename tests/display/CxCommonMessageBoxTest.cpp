#include "DisplayTestApp.h"
#include "../core/ErrorCapture.h"
#include "display/CxButton.h"
#include "display/CxCommonMessageBox.h"
#include "display/CxDisplayTree.h"

#include <gtest/gtest.h>

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
