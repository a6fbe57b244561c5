// A fresh script state per test, with script output and reported errors
// recorded.
#pragma once
#include "../core/ErrorCapture.h"
#include "TestSupport.h"
#include "core/CxError.h"
#include "script/CxLuaEngine.h"

#include <gtest/gtest.h>
#include <lua.hpp>

#include <string>

inline std::string& PrintedText()
{
    static std::string text;
    return text;
}

inline void RecordPrint(const char* text) { PrintedText() += text; }

class ScriptTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PrintedText().clear();
        SetPrintListener(RecordPrint);
        ASSERT_EQ(engine.Init(), 0);
        L = engine.GetState();
    }
    void TearDown() override
    {
        engine.Shutdown();
        SetPrintListener(nullptr);
    }

    // Runs text that must succeed, then hands back what it printed.
    std::string Run(const char* text)
    {
        PrintedText().clear();
        EXPECT_EQ(engine.RunString(text), 0) << text << "\n" << PrintedText();
        return PrintedText();
    }

    ErrorCapture capture;
    CxLuaEngine engine;
    lua_State* L = nullptr;
};
