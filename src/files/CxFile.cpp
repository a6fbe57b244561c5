#include "files/CxFile.h"
#include "core/CxAppServices.h"
#include "foundation/Qorstr.h"
#include "platform/window/PlatformWindow.h"

namespace {
bool BlueScreenErrors()
{
    CxAppServices* app = CxAppServices::Get();
    return !app || app->GetAppOptions().ReadInt("Engine.Game", "UseBlueScreenError", 1) != 0;
}

// Whether someone may be looking at the disc prompt and able to end it.
bool PromptCanBeAnswered()
{
    CxAppServices* app = CxAppServices::Get();
    if (app && app->GetQuitFlag()) return false;
    return GetErrorCallback() != DefaultErrorCallback && PlatWindowExists();
}
}  // namespace

int CxFile::Open(const char* path, uint32_t flags)
{
    Close();
    errorCode_ = 0;
    Mode = flags;
    CopyText(Path, path ? path : "", sizeof Path);
    if ((flags & CBF_CREATE) && !QorFileExists(Path)) return Create(Path, flags);
    Handle = QorFileOpen(Path, flags);
    if (Handle) return 0;
    if (BlueScreenErrors() && !QorFileExists(Path) && GetErrorCallback() != DefaultErrorCallback && RetryMissing())
        return 0;
    return Error(ERR_OPEN_FILE, "Could not open %s", Path);
}

// The callback answers 0 to try again (the display layer's prompt throws
// when the player gives up); any other answer ends the attempt.
bool CxFile::RetryMissing()
{
    for (int tries = 0;; ++tries) {
        if (!PromptCanBeAnswered() && tries >= QOR_HEADLESS_OPEN_RETRIES) return false;
        errorCode_ = ERR_CD_MISSING;
        if (CallErrorCallback(ERR_CD_MISSING, "Could not open %s", Path) != 0) return false;
        Handle = QorFileOpen(Path, Mode);
        if (Handle) {
            errorCode_ = 0;
            return true;
        }
        if (QorFileExists(Path)) return false;   // there now, yet it will not open: a plain failure
    }
}

int CxFile::Create(const char* path, uint32_t flags)
{
    Close();
    errorCode_ = 0;
    Mode = flags | CBF_CREATE;
    if (path != Path) CopyText(Path, path ? path : "", sizeof Path);   // Open hands us our own copy
    Handle = QorFileOpen(Path, Mode);
    if (!Handle) return Error(ERR_OPEN_FILE, "Unable to create %s", Path);
    return 0;
}

void CxFile::Close()
{
    if (Handle) QorFileClose(Handle);
    Handle = nullptr;
}

int CxFile::Read(void* buffer, uint32_t count, uint32_t* read)
{
    uint32_t got = 0;
    if (read) *read = 0;
    if (errorCode_ || !Handle || count == 0) return errorCode_;
    if (QorFileRead(Handle, buffer, count, &got) != 0)
        return Error(ERR_READ_FILE, "Unable to read %d bytes from %s", int(count), Path);
    if (read) *read = got;
    return 0;
}

int CxFile::Write(const void* buffer, uint32_t count)
{
    if (Mode & CBF_READONLY) return 0;
    if (errorCode_) return errorCode_;
    if (!Handle || QorFileWrite(Handle, buffer, count) != 0)
        return Error(ERR_WRITE_FILE, "Unable to write %d bytes to %s", int(count), Path);
    return 0;
}

int CxFile::Seek(int32_t offset, int origin) { return QorFileSeek(Handle, offset, origin); }
int32_t CxFile::Tell() { return QorFileTell(Handle); }
int32_t CxFile::GetLength() { return QorFileGetHandleLength(Handle); }
int CxFile::Flush() { return Handle ? QorFileFlush(Handle) : ERR_INVALID_ARGUMENT; }
