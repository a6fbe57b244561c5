// Clock, threads, folders and machine facts.  Every text is UTF-8 with "/"
// separators.  Features implemented on Linux:
//   ticks (32-bit, wrapping), sleep, thread ids, module path, current folder,
//   the configurable "Windows folder", environment, OS version code, CPU
//   features, wall-clock seconds.
#pragma once
#include <cstddef>
#include <cstdint>

uint32_t PlatTickCount();                 // milliseconds, wraps after 49.7 days
void     PlatSleep(uint32_t milliseconds);
uint64_t PlatCurrentThreadId();
int64_t  PlatTimeSeconds();               // seconds since the epoch

// Full path of the running program; false when it cannot be read.
bool PlatModuleFile(char* out, size_t size);
// Current folder, "/" separators, no trailing "/" (except for "/" itself).
bool PlatCurrentDirectory(char* out, size_t size);
// Makes path the current folder; false when it cannot.
bool PlatSetCurrentDirectory(const char* path);
// Stand-in for the Windows folder: $VORN_WINDOWS_DIR, else the program's folder.
void PlatWindowsFolder(char* out, size_t size);

// Environment variable, or null.
const char* PlatGetEnv(const char* name);
// $HOME, or "/tmp" when unset.
const char* PlatHomeDirectory();

// The newest OS version code the engine knows: nothing on Linux needs the
// older systems' workarounds.
int PlatOsVersionCode();
// 1 when the processor has MMX (cpuid leaf 1, EDX bit 23); 0 when unknown.
int PlatCpuHasMmx();

// The folders that stand in for the system's shell folders when the registry
// file names none: "AppData" and "Common AppData" -> $XDG_DATA_HOME (default
// ~/.local/share), "Fonts" -> /usr/share/fonts/truetype.  False for others.
bool PlatDefaultShellFolder(const char* name, char* out, size_t size);
