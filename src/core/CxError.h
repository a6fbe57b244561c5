// Failure reporting shared by every engine object: a code stored in the
// reporting object, counted process-wide and handed with a formatted message
// to one replaceable error callback.  Layers chain their callbacks in front
// of the default, which shows a message box.
#pragma once
#include <cstdint>

enum CxErrorCode : int32_t {
    ERR_NONE = 0,
    ERR_OUT_OF_MEMORY = 1,
    ERR_OPEN_FILE = 2,
    ERR_CLOSE_FILE = 3,
    ERR_CREATE_FILE = 4,
    ERR_READ_FILE = 5,
    ERR_WRITE_FILE = 6,
    ERR_SEEK_FILE = 7,
    ERR_DELETE_FILE = 8,
    ERR_FILE_NOT_FOUND = 9,
    ERR_INVALID_FILE_TYPE = 10,
    ERR_INVALID_PATH = 11,
    ERR_DISK = 12,
    ERR_UNKNOWN = 13,
    ERR_CRC = 14,
    ERR_DISK_FULL = 15,
    ERR_INVALID_ARGUMENT = 16,
    ERR_ASSERTION = 17,
    ERR_CD_MISSING = 18,
    ERR_PRINTER = 19,
    ERR_DIRECTX = 20,
    ERR_D3D_NOT_RESET = 21,
    ERR_SCRIPTING = 22,
    ERR_COMMUNICATION = 23,
    ERR_NO_NETWORK_PLAYERS = 24,
    ERR_NO_3D_SOUND = 25,
    ERR_NO_NETWORK_SESSION = 26,
};

using CxErrorCallback = int (*)(int code, const char* message);
using CxPrintListener = void (*)(const char* text);

class CxError {
public:
    virtual ~CxError() = default;

    // Stores code (0 clears it).  A non-zero code is counted and handed to the
    // callback unless another report is being handled.  Returns the code, so
    // a failing operation reads `return Error(ERR_..., "...")`; the callback's
    // answer matters only to the disc prompt, which asks CallErrorCallback.
    int Error(int code, const char* format = nullptr, ...) __attribute__((format(printf, 3, 4)));
    int GetErrorCode() const { return errorCode_; }

protected:
    int32_t errorCode_ = 0;
};

// The same for code without an error object of its own; returns the code.
int  ReportError(int code, const char* format = nullptr, ...) __attribute__((format(printf, 2, 3)));
// Hands a code and message straight to the callback: recorded as the last
// error but not counted (the file layer's retry prompt uses it).
int  CallErrorCallback(int code, const char* format, ...) __attribute__((format(printf, 2, 3)));
const char* GetErrorName(int code);

void SetErrorCallback(CxErrorCallback callback);   // null restores the default
CxErrorCallback GetErrorCallback();
int  DefaultErrorCallback(int code, const char* message);
void ShowErrorBox(const char* title, const char* text);

int  GetErrorCount();
void SetErrorCount(int count);
int  GetLastErrorCode();
bool IsReportingError();

// Developer output: to the registered listener (the console) and to stdout.
void Print(const char* format, ...) __attribute__((format(printf, 1, 2)));
void SetPrintListener(CxPrintListener listener);
