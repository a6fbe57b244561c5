#include "core/CxAppServices.h"

namespace {
CxAppServices* gRunning = nullptr;
}

CxAppServices* CxAppServices::Get() { return gRunning; }

void CxAppServices::Install(CxAppServices* app) { gRunning = app; }

void CxAppServices::Uninstall(CxAppServices* app)
{
    if (gRunning == app) gRunning = nullptr;
}
