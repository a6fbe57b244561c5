// The application's default file system, "<DEFAULT>" over the current folder.
// It is made before any other, so it stays last in the search order, and it
// goes when the application does.
#include "app/CxApp.h"
#include "files/CxDirectoryFileSystem.h"

namespace {
CxDirectoryFileSystem* gDefault = nullptr;
}

void CxApp::OpenFileSystems()
{
    if (!gDefault) gDefault = new CxDirectoryFileSystem;
}

void CxApp::CloseFileSystems()
{
    delete gDefault;
    gDefault = nullptr;
}
