// The script engine host: owns the one script state of an application cycle.
//
// The state is created by Init and closed by Shutdown (closing finalises every
// script object).  Engine code talks to scripts only by running text and by
// reading globals or evaluating expressions with a default.  Script errors
// are printed, never reported: they do not count towards the application's
// error limit.  The engine counts them instead, so that a runner can tell
// whether a script failed.
#pragma once
#include "core/CxError.h"
#include "foundation/CxObject.h"
#include "foundation/CxString.h"

#include <cstdint>

struct lua_State;
using lua_CFunction = int (*)(lua_State*);
class CxAppServices;

class CxLuaEngine : public CxObject, public CxError {
public:
    // `app` answers the application functions (Quit, GetAppName ...); null
    // makes them do nothing, for hosts without an application object.
    explicit CxLuaEngine(CxAppServices* app = nullptr);
    ~CxLuaEngine() override;
    CxLuaEngine(const CxLuaEngine&) = delete;
    CxLuaEngine& operator=(const CxLuaEngine&) = delete;

    // Virtual operations, in slot order after the destructor.
    virtual int Init();
    virtual void Shutdown();
    virtual int RunFile(const char* name);
    // 0, or ERR_SCRIPTING after printing a load or run error (not reported).
    virtual int RunString(const char* text);

    int RegisterFunction(const char* name, lua_CFunction function);

    double   EvalNumber(const char* expression, double def);
    int32_t  EvalInt(const char* expression, int32_t def);
    bool     EvalBool(const char* expression, bool def);
    CxString EvalString(const char* expression, const char* def);

    int32_t  GetGlobalInt(const char* path, int32_t def);
    float    GetGlobalFloat(const char* path, float def);
    bool     GetGlobalBool(const char* path, bool def);
    CxString GetGlobalString(const char* path, const char* def);

    lua_State* GetState() const { return state_; }
    CxAppServices* GetApp() const { return app_; }
    // Script errors printed since Init.
    int GetScriptErrorCount() const { return scriptErrors_; }

    // Prints a script error message and counts it; used by every loader.
    void ReportScriptError(const char* message);
    // The engine that owns a state (null for a state it does not own).
    static CxLuaEngine* FromState(lua_State* state);

private:
    int SetUpState();

    lua_State* state_ = nullptr;
    CxAppServices* app_ = nullptr;
    int scriptErrors_ = 0;
};
