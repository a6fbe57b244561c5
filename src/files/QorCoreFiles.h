// The core layer's options files and log read and written through the
// file-system chain (see CxCoreFiles.h); the application installs it.
#pragma once
#include "core/CxCoreFiles.h"

const CxCoreFileAccess* QorCoreFileAccess();
