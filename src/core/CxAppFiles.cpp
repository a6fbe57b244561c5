// The application's default file system, "<DEFAULT>" over the current folder.
// Until the file-system chain exists, the global file API reads folders
// relative to the current folder directly, so there is nothing to create.
#include "core/CxApp.h"

void CxApp::OpenFileSystems() {}
void CxApp::CloseFileSystems() {}
