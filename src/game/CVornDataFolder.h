// Where the game's data is.  A player starts the game from anywhere: from the
// data folder itself, from the repository's root (build/src/vorn) or through
// an installed program.  The game looks for its data as such a player would
// expect and runs in that folder, since every data path is relative to it.
#pragma once
#include <string>

// True when the folder holds the game's data ("Vorn.ini" or "startup.lua").
bool HoldsGameData(const std::string& folder);

// The first of these that holds the data: the current folder, the "data"
// folder beside the program, the installed data folder ("../share/vorn"
// from the program's folder) and builtIn (the source tree's data folder,
// known to the build; may be empty).  Empty when none does.
std::string FindGameDataFolder(const std::string& current, const std::string& programFolder,
                               const std::string& builtIn);

// Finds the data and makes its folder the current one.  When there is none,
// says so in one line on standard error and in a message box and returns
// false: the game then ends with a non-zero code.
bool EnterGameDataFolder(const char* builtIn);
