// The machine's standard folders, registry reads, shell folders and the
// machine survey.  Every text is UTF-8 with "/" separators.
#pragma once
#include <cstddef>

void GetModuleDirectory(char* out, size_t size);        // ends with "/"
int  GetStartDirectory(char* out, size_t size);         // 0, or 11 when the system fails
void GetWindowsFolder(char* out, size_t size);
int  ReadRegistryText(int root, const char* key, const char* value, char* out, size_t size);
void GetShellFolder(const char* name, char* out, size_t size, bool allUsers);

enum MachineQuery {
    MACHINE_OS_VERSION = 0,
    MACHINE_HAS_MMX = 2,
    MACHINE_DIRECTX_VERSION = 11,   // text, at most 31 characters, into out
};
// The first query surveys the machine; later ones answer from the survey.
// out (at least 32 bytes) receives text answers; numeric answers are returned.
int QueryMachineInfo(int query, char* out);
// Re-surveys on the next query (tests change the registry file).
void ForgetMachineInfo();
// The DirectX check: the installed text sorting before the required one.
bool IsDirectXTooOld(const char* installed, const char* required);
