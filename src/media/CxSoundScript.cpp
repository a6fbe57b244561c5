// The sound script API: the global music, volume and cache functions, and
// the CxWave class whose objects the scripts own.
#include "media/CxSoundServices.h"
#include "media/CxWave.h"

#include "script/CxLuaEngine.h"
#include "script/CxScriptBinding.h"

namespace {
// A sound made by a script belongs to the collector; flag 0x08 is the
// engine's own and is not taken from scripts.
class CxScriptWave : public CxWave {
public:
    CxScriptWave() { ScriptOwned = true; }
};
using W = CxScriptWave;

int32_t Play(W& w) { return w.Play(); }
void Stop(W& w) { w.Stop(); }
void Pause(W& w) { w.Pause(); }
void Resume(W& w) { w.Resume(); }
int32_t Load(W& w, const char* path) { return w.Load(BuildSoundPath(path).Text()); }
void SetFileName(W& w, const char* path) { w.SetFileName(BuildSoundPath(path).Text()); }
const char* GetFileName(W& w) { return w.GetFileName(); }
void SetChannel(W& w, int32_t n) { w.Channel = n; }
int32_t GetChannel(W& w) { return w.Channel; }
void SetNumLoops(W& w, int32_t n) { w.NumLoops = w.LoopsLeft = n; }
int32_t GetNumLoops(W& w) { return w.NumLoops; }
void SetFlags(W& w, int32_t n) { w.SoundFlags = uint32_t(n) & ~uint32_t(SOUND_FLAG_DELETE_WHEN_DONE); }
int32_t GetFlags(W& w) { return int32_t(w.SoundFlags); }
void SetType(W& w, int32_t n) { w.Type = uint32_t(n); }
int32_t GetType(W& w) { return int32_t(w.Type); }
void SetUserInfo(W& w, int32_t n) { w.UserInfo = uint32_t(n); }
int32_t GetUserInfo(W& w) { return int32_t(w.UserInfo); }
void SetID(W& w, int32_t n) { w.ID = uint32_t(n); }
int32_t GetID(W& w) { return int32_t(w.ID); }
bool IsQueued(W& w) { return w.IsQueued(); }
bool IsLoaded(W& w) { return w.IsLoaded(); }
bool IsPaused(W& w) { return w.IsPaused(); }
bool IsStarted(W& w) { return w.IsStarted(); }
bool IsPlaying(W& w) { return w.IsPlaying(); }
bool IsDone(W& w) { return w.IsDone(); }
void SetVol(W& w, int32_t n) { w.SetVol(n); }
int32_t GetVol(W& w) { return w.GetVol(); }
int32_t Reverse(W& w) { return w.Reverse(); }
int32_t RingMod(W& w, double frequency, double phase, double depth) { return w.RingMod(frequency, phase, depth); }
int32_t Compress(W& w) { return w.Compress(); }
int32_t Decompress(W& w) { return w.Decompress(); }
bool IsCompressed(W& w) { return w.IsCompressed(); }
uint32_t GetSampleSize(W& w) { return w.GetSampleSize(); }
void SetSampleRate(W& w, int32_t n) { w.SetSampleRate(n); }
int32_t GetSampleRate(W& w) { return w.GetSampleRate(); }

const CxScriptMethod kWaveMethods[] = {
    ScriptMethod("Play", Play),           ScriptMethod("Stop", Stop),
    ScriptMethod("Pause", Pause),         ScriptMethod("Resume", Resume),
    ScriptMethod("Load", Load),           ScriptMethod("SetFileName", SetFileName),
    ScriptMethod("GetFileName", GetFileName), ScriptMethod("SetChannel", SetChannel),
    ScriptMethod("GetChannel", GetChannel), ScriptMethod("SetNumLoops", SetNumLoops),
    ScriptMethod("GetNumLoops", GetNumLoops), ScriptMethod("SetFlags", SetFlags),
    ScriptMethod("GetFlags", GetFlags),   ScriptMethod("SetType", SetType),
    ScriptMethod("GetType", GetType),     ScriptMethod("SetUserInfo", SetUserInfo),
    ScriptMethod("GetUserInfo", GetUserInfo), ScriptMethod("SetID", SetID),
    ScriptMethod("GetID", GetID),         ScriptMethod("IsQueued", IsQueued),
    ScriptMethod("IsLoaded", IsLoaded),   ScriptMethod("IsPaused", IsPaused),
    ScriptMethod("IsStarted", IsStarted), ScriptMethod("IsPlaying", IsPlaying),
    ScriptMethod("IsDone", IsDone),       ScriptMethod("SetVol", SetVol),
    ScriptMethod("GetVol", GetVol),       ScriptMethod("Reverse", Reverse),
    ScriptMethod("RingMod", RingMod),     ScriptMethod("Compress", Compress),
    ScriptMethod("Decompress", Decompress), ScriptMethod("IsCompressed", IsCompressed),
    ScriptMethod("GetSampleSize", GetSampleSize), ScriptMethod("SetSampleRate", SetSampleRate),
    ScriptMethod("GetSampleRate", GetSampleRate), {nullptr, nullptr, nullptr}};

const CxScriptClass kCxWaveScriptClass = ScriptClass<CxScriptWave>("CxWave", nullptr, kWaveMethods);

int Number(lua_State* L, int index) { return ScriptTruncate(ScriptCheckNumber(L, index)); }

int StartMusicFn(lua_State* L)
{
    const char* path = ScriptCheckString(L, 1);
    int volume = lua_isnoneornil(L, 2) ? -1 : Number(L, 2);
    StartMusic(path, volume);
    return 0;
}
int StopMusicFn(lua_State*) { StopMusic(); return 0; }
int PauseMusicFn(lua_State*) { PauseMusic(); return 0; }
int ResumeMusicFn(lua_State*) { ResumeMusic(); return 0; }
int IsMusicPlayingFn(lua_State* L) { lua_pushboolean(L, IsMusicPlaying()); return 1; }
int SetMusicVolumeFn(lua_State* L) { SetMusicVolume(Number(L, 1)); return 0; }
int GetMusicVolumeFn(lua_State* L) { lua_pushnumber(L, GetMusicVolume()); return 1; }
int SetMasterVolumeFn(lua_State* L) { SetMasterVolume(Number(L, 1)); return 0; }
int GetMasterVolumeFn(lua_State* L) { lua_pushnumber(L, GetMasterVolume()); return 1; }
int PlaySoundFn(lua_State* L) { PlaySoundByName(ScriptCheckString(L, 1)); return 0; }
int PreLoadSoundFn(lua_State* L) { PreLoadSoundByName(ScriptCheckString(L, 1)); return 0; }
int FlushSoundCacheFn(lua_State*) { FlushSoundCache(); return 0; }
}  // namespace

int RegisterSoundScriptApi(CxLuaEngine& engine)
{
    static const struct {
        const char* name;
        lua_CFunction fn;
    } kFunctions[] = {{"StartMusic", StartMusicFn},         {"StopMusic", StopMusicFn},
                      {"PauseMusic", PauseMusicFn},         {"ResumeMusic", ResumeMusicFn},
                      {"IsMusicPlaying", IsMusicPlayingFn}, {"SetMusicVolume", SetMusicVolumeFn},
                      {"GetMusicVolume", GetMusicVolumeFn}, {"SetMasterVolume", SetMasterVolumeFn},
                      {"GetMasterVolume", GetMasterVolumeFn}, {"PlaySound", PlaySoundFn},
                      {"PreLoadSound", PreLoadSoundFn},     {"FlushSoundCache", FlushSoundCacheFn}};
    for (const auto& f : kFunctions)
        if (int code = engine.RegisterFunction(f.name, f.fn)) return code;
    return ScriptBindClass(engine, kCxWaveScriptClass);
}
