#include "RoomTestSupport.h"
#include "display/CxDisplayTree.h"
#include "display/CxTextLayout.h"
#include "framework/CKelCreditsDialog.h"
#include "graphics/CxFont.h"
#include "graphics/QorImageFilters.h"

namespace {
class Credits : public ::testing::Test {
protected:
    void SetUp() override
    {
        RoomTestNow() = 2000000;
        QorSetTickSource(RoomTestClock);
        fallback = std::make_unique<CxDirectoryFileSystem>();
        InitDisplayTree(CxSize{200, 100});
        CreateDefaultFont();
        RegisterEngineImageFilters();
    }
    void TearDown() override
    {
        DeleteDefaultFont();
        ShutdownDisplayTree();
        QorSetTickSource(nullptr);
    }
    // Section "Credits" from these lines.
    void Configure(const std::string& keys)
    {
        std::string text = "[Credits]\n" + keys;
        options.LoadFromMemory(text.data(), text.size());
    }
    static std::string Lines(int count)
    {
        std::string text;
        for (int i = 0; i < count; ++i) text += "Line " + std::to_string(i) + "\n";
        return text;
    }
    static void Tick(uint32_t ms)
    {
        RoomTestNow() += ms;
        if (CxTimerManager::Get()) CxTimerManager::Get()->OnMainLoop();
    }
    static void SavePicture(const char* path, int w, int h, int depth)
    {
        CxDrawSurface picture;
        picture.Create(w, h, depth);
        ASSERT_EQ(picture.Save(path), 0);
    }

    ErrorCapture errors;
    InTempDir folder;
    std::unique_ptr<CxDirectoryFileSystem> fallback;
    CxOptions options;
};
}  // namespace

TEST(CreditsText, LinesAreCutCleanedAndTabsWidened)
{
    const char text[] = "one\r\n\ttwo\n\nlast";
    std::vector<CxString> lines = SplitCreditsText(text, sizeof text - 1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], CxString("one"));
    EXPECT_EQ(lines[1], CxString("    two"));
    EXPECT_TRUE(lines[2].IsEmpty());
    EXPECT_EQ(lines[3], CxString("last"));

    std::string longLine(600, 'x');
    lines = SplitCreditsText(longLine.data(), longLine.size());
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].GetLength(), 253);
    EXPECT_EQ(lines[2].GetLength(), 600 - 2 * 253);

    const char zero[] = {'a', '\0', 'b'};
    lines = SplitCreditsText(zero, sizeof zero);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], CxString("a b"));
    EXPECT_TRUE(SplitCreditsText(nullptr, 10).empty());
}

TEST_F(Credits, TenLinesWithSpacingFourMakeA380PixelSurface)
{
    WriteFileBytes("credits.txt", Lines(10));
    Configure("TextFile=credits.txt\nTextSpacing=4\nFontColor=0, 255, 0\n");
    CKelCreditsDialog dialog(options);
    ASSERT_NE(dialog.GetScrollSprite(), nullptr);
    CxDrawSurface* text = dialog.GetScrollSprite()->GetSurface();
    EXPECT_EQ(text->GetHeight(), 380);
    EXPECT_EQ(text->GetDepth(), 16);
    EXPECT_EQ(text->GetWidth(), TextLineWidth("Line 0", FindFont(-1), 0) + 10);
    CxPixel magenta = text->MakeColor(255, 0, 255);
    EXPECT_EQ(dialog.GetScrollSprite()->GetMaskColor(), magenta);
    int inked = 0;
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < text->GetWidth(); ++x) inked += text->GetPixel(x, y) == text->MakeColor(0, 255, 0);
    EXPECT_GT(inked, 0);
    EXPECT_EQ(text->GetPixel(0, 379), magenta);   // the margin stays see-through
    EXPECT_EQ(dialog.GetSize(), (CxSize{200, 100}));   // no background: the display's size
}

TEST_F(Credits, ThirtyTwoBitTextBlendsByAlpha)
{
    WriteFileBytes("credits.txt", "Hello\n");
    Configure("TextFile=credits.txt\nDepth=32\n");
    CKelCreditsDialog dialog(options);
    ASSERT_NE(dialog.GetScrollSprite(), nullptr);
    EXPECT_EQ(dialog.GetScrollSprite()->GetEffects(), int32_t(BLT_EFFECT_ALPHA));
    CxDrawSurface* text = dialog.GetScrollSprite()->GetSurface();
    EXPECT_EQ(text->GetPixel(0, text->GetHeight() - 1), 0u);
    bool opaqueInk = false;
    for (int y = 0; y < 24 && !opaqueInk; ++y)
        for (int x = 0; x < text->GetWidth(); ++x) opaqueInk |= (text->GetPixel(x, y) >> 24) == 0xFF;
    EXPECT_TRUE(opaqueInk);
}

TEST_F(Credits, TheTextScrollsUpUntilItHasLeft)
{
    WriteFileBytes("credits.txt", "Only line");
    Configure("TextFile=credits.txt\nScrollPixelsPerInterval=50\nScrollTimeInterval=100\n");
    CKelCreditsDialog dialog(options);
    CxSprite* scroll = dialog.GetScrollSprite();
    ASSERT_NE(scroll, nullptr);
    EXPECT_EQ(scroll->GetPosition().y, 100);   // starts just below the dialog
    EXPECT_EQ(scroll->GetHeight(), 128);
    dialog.StartScrolling();
    std::vector<int> tops;
    for (int i = 0; i < 5; ++i) {
        Tick(i == 0 ? 0 : 100);
        tops.push_back(scroll->GetPosition().y);
    }
    EXPECT_EQ(tops, (std::vector<int>{50, 0, -50, -100, -150}));
    EXPECT_TRUE(dialog.IsModalEnded());   // -150 is past minus its height
}

TEST_F(Credits, WithoutATextOnlyInputEndsIt)
{
    Configure("ScrollTimeInterval=10\n");
    CKelCreditsDialog dialog(options);
    EXPECT_EQ(dialog.GetScrollSprite(), nullptr);
    dialog.StartScrolling();
    for (int i = 0; i < 100; ++i) Tick(10);
    EXPECT_FALSE(dialog.IsModalEnded());
    dialog.OnKeyDown(KeyCode('a'), 0);
    EXPECT_FALSE(dialog.IsModalEnded());
    dialog.OnKeyDown(KeyCode(32), 0);
    EXPECT_TRUE(dialog.IsModalEnded());
}

TEST_F(Credits, EveryEndingKeyAndTheLeftButtonEndIt)
{
    for (KeyCode key : {KeyCode(13), KeyCode(27), KeyCode(0x10000051), KeyCode(0x10000071), KeyCode(0x10000104)}) {
        Configure("");
        CKelCreditsDialog dialog(options);
        dialog.OnKeyDown(key, 0);
        EXPECT_TRUE(dialog.IsModalEnded()) << key;
    }
    CKelCreditsDialog dialog(options);
    dialog.OnLButtonDown(0, CxPoint{1, 1});
    EXPECT_TRUE(dialog.IsModalEnded());
}

TEST_F(Credits, BadSettingsAreReportedAndLeaveNoText)
{
    Configure("TextFile=missing.txt\nFont=missing.ttf\nLogo1=none.tga\nMask1=none.tga\n");
    {
        CKelCreditsDialog dialog(options);
        EXPECT_EQ(dialog.GetScrollSprite(), nullptr);
        EXPECT_EQ(dialog.GetFontHandle(), -1);   // the built-in font stays
        EXPECT_EQ(dialog.GetMask(0), nullptr);
    }
    EXPECT_GE(errors.Reports().size(), 2u);

    WriteFileBytes("credits.txt", Lines(3));
    Configure("TextFile=credits.txt\nDepth=7\n");
    CKelCreditsDialog badDepth(options);
    EXPECT_EQ(badDepth.GetScrollSprite(), nullptr);

    WriteFileBytes("long.txt", Lines(100));
    Configure("TextFile=long.txt\nTextSpacing=1000\n");
    CKelCreditsDialog tall(options);
    EXPECT_EQ(tall.LineCount(), CKelCreditsDialog::kMaxTextHeight / 1024);
    Configure("TextFile=long.txt\nTextSpacing=-500\n");
    CKelCreditsDialog squeezed(options);   // bands never shrink below one pixel
    ASSERT_NE(squeezed.GetScrollSprite(), nullptr);
    EXPECT_EQ(squeezed.GetScrollSprite()->GetHeight(), 100 + 100);
}

TEST_F(Credits, LogosRideOnTheTextAndMasksStayInFront)
{
    WriteFileBytes("credits.txt", Lines(4));
    SavePicture("logo.tga", 20, 10, 32);
    SavePicture("mask.tga", 200, 8, 16);
    SavePicture("back.tga", 300, 150, 16);
    Configure("TextFile=credits.txt\nLogo1=logo.tga\nLogo2=logo.tga\nMask2=mask.tga\nMask2Position=0, 92\n"
              "Background=back.tga\n");
    CKelCreditsDialog dialog(options);
    EXPECT_EQ(dialog.GetSize(), (CxSize{300, 150}));
    CxSprite* scroll = dialog.GetScrollSprite();
    ASSERT_NE(dialog.GetLogo(0), nullptr);
    ASSERT_NE(dialog.GetLogo(1), nullptr);
    EXPECT_EQ(dialog.GetLogo(0)->GetParent(), scroll);
    EXPECT_EQ(dialog.GetLogo(0)->GetPosition().y, -10);
    EXPECT_EQ(dialog.GetLogo(1)->GetPosition().y, 4 * 28);
    EXPECT_EQ(dialog.GetLogo(0)->GetPosition().x, (scroll->GetWidth() - 20) / 2);
    EXPECT_EQ(dialog.GetMask(0), nullptr);
    ASSERT_NE(dialog.GetMask(1), nullptr);
    EXPECT_EQ(dialog.GetMask(1)->GetPosition(), (CxPoint{0, 92}));
    EXPECT_EQ(dialog.GetMask(1)->GetZOrder(), Z_FRONT);
    EXPECT_EQ(dialog.GetMask(1)->GetParent(), &dialog);
}
