#include "game/CVornApp.h"
#include "game/CVornDriver.h"
#include "graphics/QorImageFilters.h"
#include "script/CxLuaEngine.h"

const CxAppInfo gVornAppInfo = {
    "Vorn", "Vorn.ini", __DATE__ " " __TIME__, 1, 0, 127, 0, 0, 800, 600, 16, 1,
};

void CVornApp::StartCycle()
{
    if (CxLuaEngine* engine = GetScriptEngine()) engine->RunString("gszBreed = 'PETS/cat_Abyssinian.lua'");
    CBaseApp::StartCycle();
    // The game writes its own pictures as QOR files.
    RegisterImageFilter(".QOR", QorLoadQOR, QorSaveQOR);
}

void CVornApp::ReadyCycle()
{
    CBaseApp::ReadyCycle();
    if (CxLuaEngine* engine = GetScriptEngine()) StartDriver(*engine);
}

void CVornApp::UpdateFrame()
{
    if (CxLuaEngine* engine = GetScriptEngine()) RunDriverFrame(*engine);
    CBaseApp::UpdateFrame();
}

void CVornApp::StopCycle()
{
    CBaseApp::StopCycle();
    UnregisterImageFilters("*");
}
