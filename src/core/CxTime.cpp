#include "core/CxTime.h"
#include "platform/os/PlatformSystem.h"

namespace {
CxTickSource gSource = PlatTickCount;
}

uint32_t QorTickCount() { return gSource(); }
void QorSetTickSource(CxTickSource source) { gSource = source ? source : PlatTickCount; }
