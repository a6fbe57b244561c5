// Scripted play for tests and demonstrations.  When the environment names a
// driver script ("VORN_DRIVER"), the game runs it once the start-up scripts
// have run and then calls its `VornDriverFrame()` every frame.  The driver
// feeds the window input through PostMouse (kind, x, y) with the kinds
// "move", "down", "up" (left button) and PostKey (code) with a key code of
// the window layer (characters, Backspace 8, Return 13, Escape 27, Home 271 ...),
// exactly as if the player had moved, clicked or typed in the window.
#pragma once

class CxLuaEngine;

// Installs the input functions and runs the driver; false without one.
bool StartDriver(CxLuaEngine& engine);
void RunDriverFrame(CxLuaEngine& engine);
