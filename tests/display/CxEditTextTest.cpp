#include "../core/ErrorCapture.h"
#include "TextTestFont.h"
#include "core/CxTime.h"
#include "display/CxDisplayTree.h"
#include "display/CxEditText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
bool gShift = false;
bool TestShift() { return gShift; }
uint32_t gNow = 1000;
uint32_t TestClock() { return gNow; }

struct Notice {
    int32_t a, b, c;
};

// A container that records what its edit tells it.
class Container : public CxDisplayObject {
public:
    void OnNotify(int32_t a, CxDisplayObject* b, int32_t c, int32_t) override
    {
        notices.push_back({a, b ? b->GetControlID() : -1, c});
    }
    void OnKeyDown(KeyCode key, uint32_t) override { passed.push_back(key); }
    std::vector<Notice> notices;
    std::vector<KeyCode> passed;
};

class Edits : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetDisplayBufferCount(CxSize{80, 30}, 1);
        CxEditText::SetShiftStateSource(TestShift);
        gShift = false;
        container = new Container;
        container->Create(0, 0, 80, 30, GetRootObject(), 0);
        container->Paint();
        edit = new CxEditText;
        // 60 wide: 52 pixels for text, ten 5-pixel characters visible.
        edit->Create(5, 5, 60, 10, container, 42);
        edit->SetFont(font.Handle());
        edit->Paint();
    }
    void TearDown() override
    {
        delete edit;
        delete container;
        ShutdownDisplayTree();
        CxEditText::SetShiftStateSource(nullptr);
        QorSetTickSource(nullptr);
    }
    void Type(const std::string& keys)
    {
        for (char c : keys) edit->OnKeyDown(KeyCode(uint8_t(c)), 0);
    }
    void Key(KeyCode key, bool shift = false)
    {
        gShift = shift;
        edit->OnKeyDown(key, 0);
        gShift = false;
    }
    std::string Text() const { return edit->GetString(); }
    std::string Shown() const { return edit->GetDisplayedText(); }

    TextTestFont font;
    Container* container = nullptr;
    CxEditText* edit = nullptr;
};
}  // namespace

TEST_F(Edits, StartWithTheDesignedState)
{
    EXPECT_EQ(edit->GetType(), 97u);
    EXPECT_EQ(edit->GetLengthLimit(), 32767);
    EXPECT_EQ(std::string(edit->GetCharRestriction()).size(), 95u);
    EXPECT_EQ(edit->GetCaretOffset(), (CxPoint{3, 3}));
    EXPECT_TRUE(edit->GetEditFlag(EDIT_ENABLED));
    EXPECT_FALSE(edit->GetEditFlag(EDIT_ACCEPT_CR));
    EXPECT_EQ(edit->GetCaret(), nullptr);
}

TEST_F(Edits, TypingInsertsAtTheCaretAndNotifiesEachKey)
{
    Type("abc");
    EXPECT_EQ(Text(), "abc");
    EXPECT_EQ(edit->GetCaretPos(), 3);
    Key(KEY_LEFT);
    Key(KEY_LEFT);
    Type("X");
    EXPECT_EQ(Text(), "aXbc");
    EXPECT_EQ(edit->GetCaretPos(), 2);
    ASSERT_EQ(container->notices.size(), 6u);
    EXPECT_EQ(container->notices[0].a, NOTIFY_EDIT);
    EXPECT_EQ(container->notices[0].b, 42);
    EXPECT_EQ(container->notices[0].c, 'a');
    EXPECT_EQ(container->notices[3].c, int32_t(KEY_LEFT));
    EXPECT_TRUE(container->passed.empty());
}

TEST_F(Edits, BackspaceDeleteHomeAndEnd)
{
    Type("hello");
    Key(8);
    EXPECT_EQ(Text(), "hell");
    Key(KEY_HOME);
    EXPECT_EQ(edit->GetCaretPos(), 0);
    Key(8);   // at the start: nothing, but the container still hears of it
    EXPECT_EQ(Text(), "hell");
    EXPECT_EQ(container->notices.back().c, 8);
    Key(KEY_DELETE);
    EXPECT_EQ(Text(), "ell");
    Key(KEY_END);
    EXPECT_EQ(edit->GetCaretPos(), 3);
    Key(KEY_DELETE);   // nothing after the caret
    Key(KEY_RIGHT);    // nor to move onto
    EXPECT_EQ(Text(), "ell");
    EXPECT_EQ(edit->GetCaretPos(), 3);
    Key(8), Key(8), Key(8), Key(8);
    EXPECT_EQ(Text(), "");
    Key(KEY_DELETE);
    EXPECT_EQ(edit->GetCaretPos(), 0);
}

TEST_F(Edits, LimitsRestrictionsAndCase)
{
    edit->SetLengthLimit(3);
    Type("abcd");
    EXPECT_EQ(Text(), "abc");
    Key(KEY_HOME, true);   // select everything before the caret
    Type("z");             // a selection is replaced even at the limit
    EXPECT_EQ(Text(), "z");
    edit->SetLengthLimit(100);
    edit->SetCharRestriction("0123456789");
    size_t heard = container->notices.size();
    Type("a1b2");
    EXPECT_EQ(Text(), "z12");
    EXPECT_EQ(container->notices.size(), heard + 4);   // refused characters are still notified
    edit->SetCharRestriction("abcdefghijklmnopqrstuvwxyz");
    edit->SetEditFlag(EDIT_UPPER, true);
    Type("q");
    EXPECT_EQ(Text(), "Z12Q");
}

TEST_F(Edits, PixelLimitRefusesTextThatWouldReachIt)
{
    edit->SetPixelLimit(20);
    EXPECT_EQ(edit->GetVisibleCount(), 9999);
    Type("abcd");
    EXPECT_EQ(Text(), "abc");   // four characters would measure 20
    edit->SetPixelLimit(0);
    EXPECT_EQ(edit->GetVisibleCount(), -1);
}

TEST_F(Edits, ShiftSelectsAndEditingReplacesTheSelection)
{
    Type("hello");
    Key(KEY_LEFT, true);
    Key(KEY_LEFT, true);
    EXPECT_EQ(edit->GetSelectionStart(), 3);
    EXPECT_EQ(edit->GetSelectionEnd(), 5);
    Key(KEY_RIGHT, true);   // shrinks from the caret's end
    EXPECT_EQ(edit->GetSelectionStart(), 4);
    Key(8);
    EXPECT_EQ(Text(), "hell");
    EXPECT_EQ(edit->GetCaretPos(), 4);
    EXPECT_EQ(edit->GetSelectionEnd(), -1);
    Key(KEY_HOME);
    Key(KEY_END, true);
    Key(KEY_DELETE);
    EXPECT_EQ(Text(), "");
    Type("ab");
    Key(KEY_LEFT, true);
    Key(KEY_RIGHT, true);   // back to an empty selection, which is dropped
    EXPECT_EQ(edit->GetSelectionStart(), TEXT_NO_HIGHLIGHT);
    Key(KEY_LEFT, true);
    Key(KEY_LEFT);           // moving without Shift drops it
    EXPECT_EQ(edit->GetSelectionEnd(), -1);
}

TEST_F(Edits, TheWindowScrollsWithTheCaret)
{
    Type("abcdefghijkl");   // twelve characters, ten visible
    EXPECT_EQ(edit->GetScrollOffset(), 2);
    EXPECT_EQ(Shown(), "cdefghijkl");
    Key(KEY_HOME);
    EXPECT_EQ(Shown(), "abcdefghij");
    for (int i = 0; i < 9; ++i) Key(KEY_RIGHT);
    EXPECT_EQ(edit->GetScrollOffset(), 0);
    Key(KEY_RIGHT);   // onto the window's right edge
    EXPECT_EQ(edit->GetScrollOffset(), 1);
    Key(KEY_END);
    EXPECT_EQ(edit->GetScrollOffset(), 2);
    Key(KEY_LEFT);
    for (int i = 0; i < 10; ++i) Key(KEY_LEFT);
    EXPECT_EQ(edit->GetScrollOffset(), 1);
    EXPECT_EQ(edit->GetCaretPos(), 1);
}

TEST_F(Edits, KeysForTheContainerArePassedOn)
{
    Key(KEY_ESCAPE);
    Key(13);
    Key(KEY_F1);
    Key('a' | KEY_CONTROL);
    EXPECT_EQ(container->passed, (std::vector<KeyCode>{KEY_ESCAPE, 13, KEY_F1, 'a' | KEY_CONTROL}));
    EXPECT_EQ(Text(), "");
    edit->SetEditFlag(EDIT_ACCEPT_CR, true);
    Type("a");
    Key(13);
    EXPECT_EQ(Text(), "a\r");
    container->passed.clear();
    edit->SetEditFlag(EDIT_PASS_ALL_KEYS, true);
    Key(KEY_ESCAPE);
    Type("b");
    EXPECT_EQ(container->passed, (std::vector<KeyCode>{KEY_ESCAPE, 'b'}));   // each once
    EXPECT_EQ(Text(), "a\rb");
    container->passed.clear();
    edit->SetEditState(false);   // not editing: every key goes to the container untouched
    Type("c");
    EXPECT_EQ(Text(), "a\rb");
    EXPECT_EQ(container->passed, (std::vector<KeyCode>{'c'}));
}

TEST_F(Edits, PasswordsShowAsterisksOnly)
{
    edit->SetEditFlag(EDIT_PASSWORD, true);
    Type("secret");
    EXPECT_EQ(Text(), "secret");
    EXPECT_EQ(Shown(), "******");
}

TEST_F(Edits, SetStringNotifiesWithKeyZeroAndKeepsCharactersWhole)
{
    edit->SetString("\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(container->notices.back().c, 0);
    EXPECT_EQ(edit->Length(), 3);
    EXPECT_EQ(edit->GetCaretPos(), 3);
    Key(8);
    EXPECT_EQ(Text(), "\xC3\xA9t");
    Key(KEY_HOME);
    Key(KEY_DELETE);
    EXPECT_EQ(Text(), "t");
    edit->SetLengthLimit(2);
    edit->SetString("\xC3\xA9\xC3\xA9\xC3\xA9");
    EXPECT_EQ(Text(), "\xC3\xA9\xC3\xA9");   // cut to the limit between characters
    edit->Clear();
    EXPECT_EQ(Text(), "");
}

TEST_F(Edits, TheCaretFollowsTheIndexAndBlinks)
{
    QorSetTickSource(TestClock);
    ASSERT_EQ(edit->MakeCaret(8, 0xFF0000), 0);
    CxSprite* caret = edit->GetCaret();
    ASSERT_NE(caret, nullptr);
    EXPECT_EQ(caret->GetNumFrames(), 2);
    EXPECT_EQ(caret->GetSize(), (CxSize{2, 8}));
    EXPECT_EQ(caret->GetParent(), edit);
    Type("abc");
    EXPECT_EQ(caret->GetPosition(), (CxPoint{15 + 3, 3}));
    edit->SetCaretPos(1);
    EXPECT_EQ(caret->GetPosition(), (CxPoint{5 + 3, 3}));
    edit->SetCaretPos(99);
    EXPECT_EQ(edit->GetCaretPos(), 3);

    edit->SetActive();
    EXPECT_TRUE(caret->IsVisible());
    ASSERT_NE(CxTimerManager::Get(), nullptr);
    gNow += 260;
    CxTimerManager::Get()->OnMainLoop();
    EXPECT_EQ(caret->GetCurFrame(), 1);
    gNow += 260;
    CxTimerManager::Get()->OnMainLoop();
    EXPECT_EQ(caret->GetCurFrame(), 0);
    edit->SetEditState(false);
    EXPECT_FALSE(caret->IsVisible());
    edit->SetCaret(nullptr);
    EXPECT_EQ(edit->GetCaret(), nullptr);
    EXPECT_EQ(CxTimerManager::Get(), nullptr);   // the blink timer went with it
    EXPECT_EQ(edit->MakeCaret(0, 0), ERR_INVALID_ARGUMENT);
}

TEST_F(Edits, TheMousePlacesTheCaretAndDragsASelection)
{
    Type("abcdef");
    edit->OnLButtonDown(0, CxPoint{3 + 10 + 1, 4});   // nearest to the left edge of index 2
    EXPECT_EQ(edit->GetCaretPos(), 2);
    EXPECT_TRUE(edit->HasCapture());
    EXPECT_EQ(GetActiveObject(), edit);
    edit->OnMouseMove(0, CxPoint{3 + 20 + 2, 4});
    EXPECT_EQ(edit->GetCaretPos(), 4);
    EXPECT_EQ(edit->GetSelectionStart(), 2);
    EXPECT_EQ(edit->GetSelectionEnd(), 4);
    edit->OnMouseMove(0, CxPoint{-50, 4});
    EXPECT_EQ(edit->GetSelectionStart(), 0);
    EXPECT_EQ(edit->GetSelectionEnd(), 2);
    edit->OnLButtonUp(0, CxPoint{0, 4});
    EXPECT_FALSE(edit->HasCapture());
    Type("Z");
    EXPECT_EQ(Text(), "Zcdef");
    edit->OnLButtonDown(0, CxPoint{500, 4});
    EXPECT_EQ(edit->GetCaretPos(), 5);
    gShift = true;
    edit->OnLButtonDown(0, CxPoint{3, 4});
    gShift = false;
    EXPECT_EQ(edit->GetSelectionStart(), 0);
    EXPECT_EQ(edit->GetSelectionEnd(), 5);
    edit->OnLButtonUp(0, CxPoint{0, 4});
}

TEST_F(Edits, TheSelectionIsDrawnWhereItIsShown)
{
    constexpr CxPixel kRed = 0xFFFF0000, kBlue = 0xFF0000FF;
    CxDrawSurface target;
    target.Create(80, 30, 32);
    target.FillRect(nullptr, 0xFF000000);
    edit->SetColor(kRed);
    edit->SetHighlightColor(kBlue);
    edit->SetHighlightBkColor(0xFF000000);
    Type("abcdefghijkl");
    Key(KEY_LEFT, true);   // the 'l', shown last since the window scrolled by two
    PaintDirtyRects(&target, nullptr);
    // The edit sits at (5, 5); characters start 4 pixels in, 7 down (centred).
    auto inked = [&](int cell, CxPixel colour) {
        int32_t x = 5 + 4 + 5 * cell, y = 5 + 2;
        return target.GetPixel(x + 1, y + 1) == colour && target.GetPixel(x + 3, y + 4) == colour;
    };
    EXPECT_TRUE(inked(0, kRed));
    EXPECT_TRUE(inked(8, kRed));
    EXPECT_TRUE(inked(9, kBlue));
}
