#include "core/CxMainLoopHook.h"
#include "core/CxAppServices.h"
#include "foundation/CxLinkedList.h"

namespace {
constexpr int kMaxWalkDepth = 16;
// The hooks, and the node each running walk visits next: walks nest when a
// hook runs a modal loop, and a hook destroyed during a walk moves every
// cursor on it.
struct HookState {
    CxLinkedList<CxMainLoopHook*>* hooks = nullptr;
    CxListNode<CxMainLoopHook*>* walkNext[kMaxWalkDepth] = {};
    int walkDepth = 0;
};

HookState& Hooks()
{
    static HookState state;
    return state;
}
}

CxMainLoopHook::CxMainLoopHook()
{
    if (!Hooks().hooks) {
        Hooks().hooks = new CxLinkedList<CxMainLoopHook*>;
        if (CxAppServices* app = CxAppServices::Get()) app->AddIdleFunction(RunHooks);
    }
    if (!Hooks().hooks->Find(this)) Hooks().hooks->AddTail(this);
}

CxMainLoopHook::~CxMainLoopHook()
{
    if (!Hooks().hooks) return;
    if (auto* node = Hooks().hooks->Find(this)) {
        for (int i = 0; i < Hooks().walkDepth; ++i)
            if (Hooks().walkNext[i] == node) Hooks().walkNext[i] = node->next;
        Hooks().hooks->RemoveAt(node);
    }
    if (Hooks().hooks->IsEmpty()) {
        if (CxAppServices* app = CxAppServices::Get()) app->RemoveIdleFunction(RunHooks);
        delete Hooks().hooks;
        Hooks().hooks = nullptr;
        for (int i = 0; i < Hooks().walkDepth; ++i) Hooks().walkNext[i] = nullptr;
    }
}

int CxMainLoopHook::HookCount() { return Hooks().hooks ? Hooks().hooks->GetCount() : 0; }

void CxMainLoopHook::RunHooks()
{
    if (!Hooks().hooks || Hooks().walkDepth == kMaxWalkDepth) return;
    int depth = Hooks().walkDepth++;
    for (auto* node = Hooks().hooks->GetHead(); node;) {
        Hooks().walkNext[depth] = node->next;
        node->value->OnMainLoop();
        node = Hooks().walkNext[depth];
    }
    --Hooks().walkDepth;
}
