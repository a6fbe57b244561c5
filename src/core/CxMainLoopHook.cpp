#include "core/CxMainLoopHook.h"
#include "core/CxAppServices.h"
#include "foundation/CxLinkedList.h"

namespace {
CxLinkedList<CxMainLoopHook*>* gHooks = nullptr;
// The node each running walk visits next; walks nest when a hook runs a
// modal loop.  A hook destroyed during a walk moves every cursor on it.
constexpr int kMaxWalkDepth = 16;
CxListNode<CxMainLoopHook*>* gWalkNext[kMaxWalkDepth] = {};
int gWalkDepth = 0;
}

CxMainLoopHook::CxMainLoopHook()
{
    if (!gHooks) {
        gHooks = new CxLinkedList<CxMainLoopHook*>;
        if (CxAppServices* app = CxAppServices::Get()) app->AddIdleFunction(RunHooks);
    }
    if (!gHooks->Find(this)) gHooks->AddTail(this);
}

CxMainLoopHook::~CxMainLoopHook()
{
    if (!gHooks) return;
    if (auto* node = gHooks->Find(this)) {
        for (int i = 0; i < gWalkDepth; ++i)
            if (gWalkNext[i] == node) gWalkNext[i] = node->next;
        gHooks->RemoveAt(node);
    }
    if (gHooks->IsEmpty()) {
        if (CxAppServices* app = CxAppServices::Get()) app->RemoveIdleFunction(RunHooks);
        delete gHooks;
        gHooks = nullptr;
        for (int i = 0; i < gWalkDepth; ++i) gWalkNext[i] = nullptr;
    }
}

int CxMainLoopHook::HookCount() { return gHooks ? gHooks->GetCount() : 0; }

void CxMainLoopHook::RunHooks()
{
    if (!gHooks || gWalkDepth == kMaxWalkDepth) return;
    int depth = gWalkDepth++;
    for (auto* node = gHooks->GetHead(); node;) {
        gWalkNext[depth] = node->next;
        node->value->OnMainLoop();
        node = gWalkNext[depth];
    }
    --gWalkDepth;
}
