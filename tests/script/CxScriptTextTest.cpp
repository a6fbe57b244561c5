#include "ScriptTestSupport.h"
#include "script/CxScriptText.h"

#include <string>

// A value pasted into a script text must come back from the script exactly
// as it went in, whatever characters it holds, and never run as code.
TEST_F(ScriptTest, QuotedValuesRoundTripThroughTheScriptUnchanged)
{
    const char* values[] = {
        "plain",
        "",
        "quote \" inside",
        "it's",
        "back\\slash at end\\",
        "line\nbreak and\r\nreturn\ttab",
        "\x01\x02 control \x1f then digits\x01" "23",
        "\x7f" "del",
        "utf-8 \xc3\xa9\xe2\x82\xac",
        "]] long-bracket ]=] closers [[",
        "\"); injected = true; x = (\"",
    };
    for (const char* value : values) {
        CxString text;
        text.Format("got = %s", ScriptQuote(value).Text());
        ASSERT_EQ(engine.RunString(text), 0) << text.Text();
        lua_getglobal(L, "got");
        size_t size = 0;
        const char* got = lua_tolstring(L, -1, &size);
        EXPECT_EQ(std::string(got, size), value);
        lua_pop(L, 1);

        text.Format("inside = \"[%s]\"", ScriptEscape(value).Text());
        ASSERT_EQ(engine.RunString(text), 0) << text.Text();
        EXPECT_EQ(engine.GetGlobalString("inside", ""), (std::string("[") + value + "]").c_str());
    }
    EXPECT_FALSE(engine.GetGlobalBool("injected", false));
}

TEST_F(ScriptTest, AQuotedValueTooLongForOneStringIsCutButStaysALiteral)
{
    std::string value(CX_STRING_MAX, '"');   // every character needs an escape
    CxString quoted = ScriptQuote(value.c_str());
    EXPECT_LE(quoted.GetLength(), CX_STRING_MAX);
    EXPECT_EQ(quoted.GetAt(0), '"');
    EXPECT_EQ(quoted.LastChar(), '"');
    std::string text = std::string("got = ") + quoted.Text();
    ASSERT_EQ(engine.RunString(text.c_str()), 0);
    EXPECT_EQ(engine.EvalNumber("#got", 0), (CX_STRING_MAX - 2) / 2);
}
