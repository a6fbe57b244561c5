// The script API that exists without a window: global functions and script
// classes that a headless host (the script runner, tests) and the game both
// install.  Each later unit that adds script functions or classes that need
// no window adds its call to RegisterHeadlessScriptApi.
#pragma once

class CxFileSystemList;
class CxLuaEngine;
struct CxScriptClass;

// 0 or the first error code.  `fileSystems` is the list that the scripts'
// NewFileSystem and RemoveFileSystem act on; it must outlive the state.
// Without one those two functions are not installed.
int RegisterHeadlessScriptApi(CxLuaEngine& engine, CxFileSystemList* fileSystems);

// The script class CxOptions (a root class).
extern const CxScriptClass kCxOptionsScriptClass;
int BindCxOptions(CxLuaEngine& engine);

// The file functions of the global file API (QorFileDelete, QorFileCopy ...)
// and, with a list, NewFileSystem and RemoveFileSystem.
int RegisterFileScriptFunctions(CxLuaEngine& engine, CxFileSystemList* fileSystems);
