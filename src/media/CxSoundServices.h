// The application's sound services: the sound system's start and stop for
// a cycle, the one music sound, the cache of sounds played by name (names
// compared without regard to case, each with a use count), the music and
// master volumes kept in the game options, the audio commands of the
// "system" event creator, and the sound script API.
//
// The application calls StartAppSounds/StopAppSounds once a cycle and gives
// the rule that turns a script's path into a game path.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

class CxLuaEngine;
class CxOptions;
class CxWave;

using CxSoundPathFn = CxString (*)(const char* path);

// InitSound from the application options, the music sound, the event host.
int  StartAppSounds(CxOptions& appOptions, CxSoundPathFn buildPath);
void StopAppSounds();
CxString BuildSoundPath(const char* path);

CxWave* GetMusic();
int  StartMusic(const char* path, int volume = -1);   // path as a script gives it
void StopMusic();
void PauseMusic();
void ResumeMusic();
bool IsMusicPlaying();
void SetMusicVolume(int volume);   // clamped to 0..127
int  GetMusicVolume();

// The cached sound of a built path; a miss loads it when `create`.
CxWave* FindCachedSound(const char* path, bool create);
int  GetCachedSoundUses(const char* path);
int  GetSoundCacheCount();
void ReleaseCachedSound(CxWave* sound);   // one use fewer
int  PlaySoundByName(const char* path);   // path as a script gives it
void PreLoadSoundByName(const char* path);
void FlushSoundCache();

// "Options"/"MusicVolume" and "MasterVolume" of the game options.
void ReadSoundVolumes(CxOptions& gameOptions);
void WriteSoundVolumes(CxOptions& gameOptions);

// "FlushAudioChannel", "FlushAllAudioChannels", "StartMusic", "StopMusic",
// "PauseMusic", "ResumeMusic": true when the command was one of them.
bool RunSoundCommand(const char* command, CxLinkedList<CxString>& arguments);

// The global sound functions and the CxWave script class.
int RegisterSoundScriptApi(CxLuaEngine& engine);
