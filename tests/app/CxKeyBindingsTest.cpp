#include "app/CxKeyBindings.h"

#include <gtest/gtest.h>

TEST(KeyNames, TheTableHoldsEveryNameOnce)
{
    EXPECT_EQ(KeyNameCount(), 145);
    EXPECT_EQ(KeyCodeFromName("a"), KeyCode('A'));
    EXPECT_EQ(KeyCodeFromName("7"), KeyCode('7'));
    EXPECT_EQ(KeyCodeFromName("plus"), KeyCode('+'));
    EXPECT_EQ(KeyCodeFromName("ALT_Q"), 0x10000051u);
    EXPECT_EQ(KeyCodeFromName("ALT_0"), 0x10000030u);
    EXPECT_EQ(KeyCodeFromName("CTRL_S"), 0x20000053u);
    EXPECT_EQ(KeyCodeFromName("F12"), 268u);
    EXPECT_EQ(KeyCodeFromName("ALT_F4"), 0x10000104u);
    EXPECT_EQ(KeyCodeFromName("ALT_DOWN"), 0x10000113u);
    EXPECT_EQ(KeyCodeFromName("SCROLL_LOCK"), 280u);
    EXPECT_EQ(KeyCodeFromName("CTRL"), 0x20000000u);
    EXPECT_EQ(KeyCodeFromName("NOSUCHKEY"), 0u);
    EXPECT_EQ(KeyCodeFromName(nullptr), 0u);
}

TEST(KeyBindings, OneBindingPerKeyAndLowerCaseLetters)
{
    CxKeyBindings keys;
    EXPECT_TRUE(keys.BindKey("P", "PauseRoom()"));
    EXPECT_TRUE(keys.BindKey("p", "ResumeRoom()"));   // the same key: replaced
    EXPECT_FALSE(keys.BindKey("NOPE", "x()"));
    EXPECT_TRUE(keys.BindKey("F1", "Help()"));
    EXPECT_EQ(keys.Count(), 2);
    EXPECT_STREQ(keys.CommandFor('p'), "ResumeRoom()");
    EXPECT_STREQ(keys.CommandFor('P'), "ResumeRoom()");
    EXPECT_STREQ(keys.CommandFor(KEY_F1), "Help()");
    EXPECT_EQ(keys.CommandFor(KEY_F2), nullptr);
    keys.UnBindKey("f1");
    EXPECT_EQ(keys.CommandFor(KEY_F1), nullptr);
    keys.UnBindAllKeys();
    EXPECT_EQ(keys.Count(), 0);
}
