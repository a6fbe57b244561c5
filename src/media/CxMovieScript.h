// The movie layer's script functions (PlayMovie, PlayMovieMustExist) and its
// player for movie events, with the hooks the application installs.
#pragma once
#include "foundation/CxString.h"

struct lua_State;

// Turns a script's or description's movie name into a path the file systems
// open (the game's path rules); without one names are used as they are.
using CxMoviePathBuilder = CxString (*)(const char* text);
void SetMoviePathBuilder(CxMoviePathBuilder builder);
CxString BuildMoviePath(const char* text);

void RegisterMovieScriptFunctions(lua_State* L);
// Lets movie events play movies (CMovieEvent); Remove takes it away again.
void InstallEventMoviePlayer();
void RemoveEventMoviePlayer();

// The script functions' work, callable from C++: PlayMovie skips a missing
// file silently; PlayMovieMustExist reports it (error 2).  Both return the
// error code of the attempt.
int PlayGameMovie(const char* name, int32_t x, int32_t y, bool skippable);
int PlayGameMovieMustExist(const char* name, int32_t x, int32_t y, bool skippable);
