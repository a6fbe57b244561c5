// The quit signals a desktop logout, `kill` or Ctrl+C in a terminal sends
// (SIGTERM, SIGINT).  The handler only sets a flag, which is all a signal
// handler may safely do; the main loop takes the flag and ends the game as a
// confirmed quit.
#pragma once

// Installs the handlers; later calls do nothing.
void PlatWatchQuitSignals();
// True once after a quit signal arrived, then false until the next one.
bool PlatTakeQuitSignal();
