// One open file with error reporting: the class the rest of the engine reads
// and writes files through.
//
// Opening a file that exists nowhere is the "missing disc" case: while
// "Engine.Game"/"UseBlueScreenError" is on, the error callback is asked again
// and again (code 18, not counted) until the file can be opened or the
// callback gives up.  Nobody can answer when only the default callback is
// installed, when there is no window, or while the application quits: then
// the prompt is asked at most a few times and the open fails with error 2.
#pragma once
#include "core/CxError.h"
#include "files/QorFile.h"
#include "foundation/CxObject.h"

#include <cstdint>

constexpr int QOR_HEADLESS_OPEN_RETRIES = 3;

class CxFile : public CxObject, public CxError {
public:
    CxFile() = default;
    ~CxFile() override { Close(); }
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;

    int     Open(const char* path, uint32_t flags = CBF_BINARY | CBF_READONLY);
    int     Create(const char* path, uint32_t flags = CBF_BINARY);
    void    Close();
    int     Read(void* buffer, uint32_t count, uint32_t* read);
    int     Write(const void* buffer, uint32_t count);
    int     Seek(int32_t offset, int origin);
    int32_t Tell();
    int32_t GetLength();
    int     Flush();

    bool IsOpen() const { return Handle != nullptr; }
    const char* GetPath() const { return Path; }
    uint32_t GetMode() const { return Mode; }
    QorFileHandle* GetHandle() const { return Handle; }

protected:
    char Path[256] = {};
    uint32_t Mode = CBF_BINARY | CBF_READONLY;
    QorFileHandle* Handle = nullptr;

private:
    bool RetryMissing();
};
