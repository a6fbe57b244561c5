// The script API that exists without a window: the engine's global functions
// and script classes that a headless host (the script runner, tests) and the
// game both install.  Each engine unit that adds script functions or classes
// needing no window adds its call to RegisterHeadlessScriptApi; the
// framework's room functions are the framework's to add (CxRoomScript.h).
#pragma once

class CxFileSystemList;
class CxLuaEngine;

// 0 or the first error code.  `fileSystems` is the list that the scripts'
// NewFileSystem and RemoveFileSystem act on; it must outlive the state.
// Without one those two functions are not installed.
int RegisterHeadlessScriptApi(CxLuaEngine& engine, CxFileSystemList* fileSystems);
