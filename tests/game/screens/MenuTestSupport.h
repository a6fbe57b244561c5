// The menu rooms' tests share the framework's room fixture, the menu
// pictures written small into the temporary game folder, and questions
// answered by the test.
#pragma once
#include "../../framework/RoomTestSupport.h"
#include "framework/CBaseRoom.h"
#include "graphics/QorImageFilters.h"

#include <cstdint>
#include <string>
#include <vector>

// An uncompressed 32-bit picture of `frames` frames of 8 x 8 side by side.
inline std::string TinyStrip(int frames)
{
    int width = 8 * frames, height = 8;
    std::string bytes(18, '\0');
    bytes[2] = 2;
    bytes[12] = char(width & 0xFF), bytes[13] = char(width >> 8);
    bytes[14] = char(height), bytes[16] = 32, bytes[17] = 0x28;
    for (int i = 0; i < width * height; ++i) bytes += std::string("\x40\x80\xC0\xFF", 4);
    return bytes;
}

struct MenuQuestions {
    static int& Answer()
    {
        static int answer = 1;
        return answer;
    }
    static std::vector<std::string>& Asked()
    {
        static std::vector<std::string> asked;
        return asked;
    }
    static int YesNo(CxGameWindow*, const char* text)
    {
        Asked().push_back(text ? text : "");
        return Answer();
    }
    static void Ok(CxGameWindow*, const char* text) { Asked().push_back(text ? text : ""); }
};

class MenuRoomTest : public RoomTest {
protected:
    void SetUp() override
    {
        RoomTest::SetUp();
        RegisterEngineImageFilters();
        MenuQuestions::Answer() = 1;
        MenuQuestions::Asked().clear();
        SetRoomQuestions(MenuQuestions::Ok, MenuQuestions::YesNo);
        Write("generated/UI/UI_xVRradialbuttons_01T.tga", TinyStrip(3));
        Write("generated/UI/UI_xVRscrollline_01T.tga", TinyStrip(1));
        Write("generated/UI/But_xVRcheckmark_01T.tga", TinyStrip(1));
        for (const char* breed : {"Bengal", "Abyssinian", "Snowpoint"})
            Write(std::string("generated/UI/But_xVload") + breed + "_01T.tga", TinyStrip(5));
        engine.RunString("function GetLanguageString(key) return 'text of ' .. key end");
    }
    void TearDown() override
    {
        SetRoomQuestions(nullptr, nullptr);
        RoomTest::TearDown();
        UnregisterImageFilters("*");
    }
    std::string Global(const char* expression) { return engine.EvalString(expression, "?").Text(); }
};
