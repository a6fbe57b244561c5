#include "core/CxError.h"
#include "foundation/Qorstr.h"
#include "platform/os/PlatformMessageBox.h"
#include "platform/window/PlatformWindow.h"

#include <cstdarg>
#include <cstdio>

namespace {
const char* const kErrorNames[] = {
    "No Error", "Out of memory", "Error opening file", "Error closing file", "Error creating file",
    "Error reading file", "Error writing file", "Error seeking file", "Error deleting file",
    "Could not find file", "Invalid file type", "Invalid Path", "Disk error", "Unknown Error",
    "CRC failure", "Not enough disk space", "Invalid arguement", "Assertion Failure", "CD is missing",
    "Printer Error", "DirectX Error", "Direct3D Device not reset", "Scripting Error",
    "Communication Error", "No Network Players Found", "No 3D Sound providers Found",
    "No Network Session Found"};

// The process-wide reporting state: one callback, one count, one last code.
struct ErrorState {
    CxErrorCallback callback = DefaultErrorCallback;
    CxPrintListener printListener = nullptr;
    int errorCount = 0;
    int lastError = 0;
    bool reporting = false;
};

ErrorState& Errors()
{
    static ErrorState state;
    return state;
}

// A callback may throw to abandon the cycle; the flag must not stay set, or
// every later report of the process would be swallowed.
struct ReportingScope {
    ReportingScope() { Errors().reporting = true; }
    ~ReportingScope() { Errors().reporting = false; }
};

int Report(int code, const char* format, va_list args)
{
    if (code == 0 || Errors().reporting) return 0;
    ReportingScope scope;
    ++Errors().errorCount;
    Errors().lastError = code;
    char message[512];
    message[0] = 0;
    if (format) vsnprintf(message, sizeof message, format, args);
    return Errors().callback(code, message);
}
}  // namespace

int CxError::Error(int code, const char* format, ...)
{
    errorCode_ = code;
    va_list args;
    va_start(args, format);
    Report(code, format, args);
    va_end(args);
    return code;
}

int ReportError(int code, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Report(code, format, args);
    va_end(args);
    return code;
}

int CallErrorCallback(int code, const char* format, ...)
{
    Errors().lastError = code;
    char message[512];
    message[0] = 0;
    va_list args;
    va_start(args, format);
    if (format) vsnprintf(message, sizeof message, format, args);
    va_end(args);
    return Errors().callback(code, message);
}

const char* GetErrorName(int code)
{
    if (code < 0 || code > ERR_NO_NETWORK_SESSION) return "Unknown user defined error";
    return kErrorNames[code];
}

void SetErrorCallback(CxErrorCallback callback) { Errors().callback = callback ? callback : DefaultErrorCallback; }
CxErrorCallback GetErrorCallback() { return Errors().callback; }

void ShowErrorBox(const char* title, const char* text)
{
    char systemTitle[256], systemText[256];
    ToSystemText(systemTitle, title, sizeof systemTitle);
    ToSystemText(systemText, text, sizeof systemText);
    PlatShowMessageBox(PLAT_BOX_ERROR, systemTitle, systemText, nullptr);
}

// Stale paint and input queued behind the box must not be handled once it
// closes, and the box needs the system cursor even when the game hides it.
int DefaultErrorCallback(int code, const char* message)
{
    bool window = PlatWindowExists();
    if (window) {
        PlatFlushMessages();
        PlatShowSystemCursor(true);
    }
    ShowErrorBox(GetErrorName(code), message);
    if (window) PlatShowSystemCursor(false);
    return 0;
}

int  GetErrorCount() { return Errors().errorCount; }
void SetErrorCount(int count) { Errors().errorCount = count; }
int  GetLastErrorCode() { return Errors().lastError; }
bool IsReportingError() { return Errors().reporting; }

void Print(const char* format, ...)
{
    char text[256];
    text[0] = 0;
    va_list args;
    va_start(args, format);
    if (format) vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (Errors().printListener) Errors().printListener(text);
    fputs(text, stdout);
    fflush(stdout);
}

void SetPrintListener(CxPrintListener listener) { Errors().printListener = listener; }
