// The script layer's own script functions and classes: the options class
// and the file functions.  The application installs them with the rest of
// the engine's (app/CxScriptApi.h).
#pragma once

class CxFileSystemList;
class CxLuaEngine;
struct CxScriptClass;

// The script class CxOptions (a root class).
extern const CxScriptClass kCxOptionsScriptClass;
int BindCxOptions(CxLuaEngine& engine);

// The file functions of the global file API (QorFileDelete, QorFileCopy ...)
// and, with a list, NewFileSystem and RemoveFileSystem.
int RegisterFileScriptFunctions(CxLuaEngine& engine, CxFileSystemList* fileSystems);
