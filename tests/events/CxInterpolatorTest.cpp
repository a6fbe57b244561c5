#include "events/CxInterpolator.h"

#include <gtest/gtest.h>

TEST(CxInterpolator, PlainAndBracedNames)
{
    CxInterpolator vars;
    vars.SetVariable("ROOMNAME", "House");
    EXPECT_STREQ(vars.Expand("in $ROOMNAME now"), "in House now");
    EXPECT_STREQ(vars.Expand("${ROOMNAME}s"), "Houses");
    EXPECT_STREQ(vars.Expand("$ROOMNAMEs"), "$ROOMNAMEs");       // the longest run is the name
    EXPECT_STREQ(vars.Expand("$UNKNOWN stays"), "$UNKNOWN stays");
    EXPECT_STREQ(vars.Expand("${UNKNOWN} loses braces"), "$UNKNOWN loses braces");
    EXPECT_STREQ(vars.Expand("cost $ 5"), "cost $ 5");
    EXPECT_STREQ(vars.Expand("end$"), "end$");
    EXPECT_STREQ(vars.Expand("a ${ROOMNAME} b ${ROOM"), "a House b ");   // cut before the unclosed "$"
}

TEST(CxInterpolator, NamesBuiltFromVariables)
{
    CxInterpolator vars;
    vars.SetVariable("N", "2");
    vars.SetVariable("pet2", "Tibbles");
    EXPECT_STREQ(vars.Expand("${pet${N}}"), "Tibbles");
    EXPECT_STREQ(vars.Expand("${a{b}c}"), "$a{b}c");
}

TEST(CxInterpolator, SettingCopyingAndCase)
{
    CxInterpolator vars;
    vars.SetVariable("x", "1");
    vars.SetVariable("x", "2");
    vars.SetVariable("X", "3");
    EXPECT_EQ(vars.Count(), 2);
    EXPECT_STREQ(vars.Expand("$x$X"), "23");

    CxInterpolator copy(vars);
    vars.SetVariable("x", "changed");
    EXPECT_STREQ(copy.Expand("$x"), "2");
    copy.RemoveVariable("X");
    EXPECT_EQ(copy.FindVariable("X"), nullptr);

    vars.SetVariableNumber("n", 42, "%03d");
    EXPECT_STREQ(vars.FindVariable("n")->GetValue(), "042");
    vars.SetVariableNumber("n", 7, "%s%s");   // a format that would read missing arguments
    EXPECT_STREQ(vars.FindVariable("n")->GetValue(), "7");
    vars.SetVariableNumber("n", 8);
    EXPECT_STREQ(vars.FindVariable("n")->GetValue(), "8");
}
