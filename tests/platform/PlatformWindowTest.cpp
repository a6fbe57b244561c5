// The SDL events a user makes, and the messages they turn into.
#include "platform/window/PlatformWindow.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
class SdlEvents : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        PlatWindowDesc desc;
        desc.width = 64;
        desc.height = 48;
        ASSERT_TRUE(PlatWindowCreate(desc)) << PlatLastError();
        PlatFlushMessages();
    }
    void TearDown() override { PlatVideoStop(); }

    static void Key(SDL_Keycode key, Uint16 mods, bool down = true)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.keysym.sym = key;
        e.key.keysym.mod = mods;
        SDL_PushEvent(&e);
    }
    static std::vector<PlatMessage> Drain()
    {
        std::vector<PlatMessage> messages;
        PlatMessage m;
        while (PlatPeekMessage(&m)) messages.push_back(m);
        return messages;
    }
};
}  // namespace

TEST_F(SdlEvents, KeysGiveKeyAndCharacterMessagesLikeTheOriginalSystem)
{
    Key(SDLK_F4, KMOD_LALT);
    Key('q', KMOD_LALT);
    Key('a', KMOD_LCTRL);
    Key(SDLK_RETURN, 0);
    auto messages = Drain();
    ASSERT_EQ(messages.size(), 7u);
    EXPECT_EQ(messages[0].type, PMSG_SYSKEYDOWN);
    EXPECT_EQ(messages[0].virtualKey, uint32_t(PVK_F1 + 3));
    EXPECT_TRUE(messages[0].altHeld);
    EXPECT_EQ(messages[2].type, PMSG_SYSCHAR);
    EXPECT_EQ(messages[2].character, uint32_t('q'));
    EXPECT_EQ(messages[4].type, PMSG_CHAR);
    EXPECT_EQ(messages[4].character, 1u);       // Control+A
    EXPECT_TRUE(messages[4].controlHeld);
    EXPECT_EQ(messages[6].character, 13u);
}

TEST_F(SdlEvents, MouseWheelTextAndCloseBecomeMessagesOneAtATime)
{
    SDL_Event e{};
    e.type = SDL_MOUSEBUTTONDOWN;
    e.button.button = SDL_BUTTON_LEFT;
    e.button.clicks = 2;
    e.button.x = 7;
    e.button.y = 9;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = -1;
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_TEXTINPUT;
    std::strcpy(e.text.text, "\xc3\xa9");
    SDL_PushEvent(&e);
    e = SDL_Event{};
    e.type = SDL_QUIT;
    SDL_PushEvent(&e);

    PlatMessage first;
    ASSERT_TRUE(PlatPeekMessage(&first));
    EXPECT_EQ(first.type, PMSG_LBUTTONDBLCLK);
    EXPECT_EQ(first.x, 7);
    auto rest = Drain();
    ASSERT_EQ(rest.size(), 4u);
    EXPECT_EQ(rest[0].wheelDelta, -120);
    EXPECT_EQ(rest[1].character, 0xC3u);       // UTF-8 text, one byte per message
    EXPECT_EQ(rest[2].character, 0xA9u);
    EXPECT_EQ(rest[3].type, PMSG_CLOSE);        // a quit request asks like the close box
    EXPECT_FALSE(PlatPeekMessage(&first));
}
