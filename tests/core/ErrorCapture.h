// Installs a recording error callback for the life of a test and restores
// the previous one; resets the process-wide count so tests stay independent.
#pragma once
#include "core/CxError.h"

#include <string>
#include <vector>

struct ReportedError {
    int code;
    std::string message;
};

class ErrorCapture {
public:
    ErrorCapture() : previous_(GetErrorCallback())
    {
        Reports().clear();
        SetErrorCallback(Record);
        SetErrorCount(0);
    }
    ~ErrorCapture()
    {
        SetErrorCallback(previous_);
        SetErrorCount(0);
    }
    static std::vector<ReportedError>& Reports()
    {
        static std::vector<ReportedError> reports;
        return reports;
    }
    static int& Answer()
    {
        static int answer = 0;
        return answer;
    }

private:
    static int Record(int code, const char* message)
    {
        Reports().push_back({code, message});
        return Answer();
    }
    CxErrorCallback previous_;
};
