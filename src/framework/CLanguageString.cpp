#include "framework/CLanguageString.h"
#include "script/CxLuaEngine.h"
#include "script/CxScriptText.h"

CxString LookUpLanguageString(CxLuaEngine* engine, const char* key)
{
    static const char kMissing[] = "No String defined";
    if (!engine || !key) return CxString(kMissing);
    CxString expression = CxString::FormatNew("GetLanguageString(%s)", ScriptQuote(key).Text());
    return engine->EvalString(expression.Text(), kMissing);
}
