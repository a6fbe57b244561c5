#include "display/CxDisplayTree.h"

namespace {
constexpr int kCaptureStackSize = 32;
constexpr int kMaxBuffers = 3;

struct TreeState {
    CxDisplayObject* root = nullptr;
    CxDisplayObject* active = nullptr;
    CxDisplayObject* previousActive = nullptr;
    CxDisplayObject* capture = nullptr;
    CxDisplayObject* captureStack[kCaptureStackSize] = {};
    int captureDepth = 0;
    CxLinkedList<CxRect> dirty[kMaxBuffers];
    int current = 0;
    int buffers = 1;
    CxSize logicalSize{-1, -1};
    bool headless = false;
};

TreeState& Tree()
{
    static TreeState state;
    return state;
}

CxRect RootRect()
{
    CxDisplayObject* root = Tree().root;
    return root ? root->GetRect() : CxRect{};
}

void AddDirty(CxLinkedList<CxRect>& list, CxRect r)
{
    for (auto* node = list.GetHead(); node;) {
        if (RectsIntersect(node->value, r)) {
            r = UnionRects(r, node->value);
            list.RemoveAt(node);
            node = list.GetHead();   // the grown rectangle may now meet earlier ones
        } else {
            node = node->next;
        }
    }
    list.AddTail(r);
}

// The capture object, or what is hit inside it, as the mouse target.
CxDisplayObject* Target(CxPoint point) { return HitTestRoot(point); }
}  // namespace

// ------------------------------------------------------------- set-up
void InitDisplayTree(CxSize screenSize)
{
    TreeState& t = Tree();
    t.headless = false;   // a real screen takes the tree over
    if (!t.root) t.root = new CxDisplayObject;
    CxSize size = (t.logicalSize.width != -1 && t.logicalSize.height != -1) ? t.logicalSize : screenSize;
    t.root->SetSizeValue(size);
    t.root->Paint(0, 0, ANCHOR_TOP_LEFT);
    InvalidateRect(t.root->GetRect());
}

void SetDisplayBufferCount(CxSize screenSize, int count)
{
    Tree().buffers = count < 1 ? 1 : count > kMaxBuffers ? kMaxBuffers : count;
    Tree().current %= Tree().buffers;
    InitDisplayTree(screenSize);
}

void InitHeadlessDisplayTree(CxSize size)
{
    InitDisplayTree(size);
    Tree().headless = true;
}

bool IsHeadlessDisplayTree() { return Tree().headless && Tree().root; }

void ShutdownDisplayTree()
{
    delete Tree().root;
    Tree().root = nullptr;
    for (auto& list : Tree().dirty) list.RemoveAll();
}

void SetFixedLogicalSize(CxSize size) { Tree().logicalSize = size; }
CxDisplayObject* GetRootObject() { return Tree().root; }
CxDisplayObject* GetActiveObject() { return Tree().active; }
CxDisplayObject* GetPreviousActiveObject() { return Tree().previousActive; }
CxDisplayObject* GetCaptureObject() { return Tree().capture; }
int DisplayBufferCount() { return Tree().buffers; }
const CxLinkedList<CxRect>& CurrentDirtyRects() { return Tree().dirty[Tree().current]; }

// ------------------------------------------------------------- dirty rectangles
void InvalidateRect(const CxRect& screenRect)
{
    CxRect r = Tree().root ? IntersectRects(screenRect, RootRect()) : screenRect;
    if (r.IsEmpty()) return;
    for (int i = 0; i < Tree().buffers; ++i) AddDirty(Tree().dirty[i], r);
}

void PaintDirtyRects(CxRenderTarget* target, CxLinkedList<CxRect>* painted)
{
    TreeState& t = Tree();
    CxLinkedList<CxRect>& list = t.dirty[t.current];
    if (painted) {
        painted->RemoveAll();
        for (auto* node = list.GetHead(); node; node = node->next) painted->AddTail(node->value);
    }
    if (!list.IsEmpty() && target) {
        for (auto* node = list.GetHead(); node; node = node->next) {
            if (!t.root || !t.root->IsVisible()) continue;
            CxRect area = IntersectRects(node->value, RootRect());
            t.root->OnPaint(target, &area);
        }
        list.RemoveAll();
    }
    t.current = (t.current + 1) % t.buffers;
}

// ------------------------------------------------------------- activity and capture
namespace displaytree {
void SetActive(CxDisplayObject* object)
{
    TreeState& t = Tree();
    if (t.active == object) return;
    if (t.active) {
        if (!t.active->CanDeactivate(object)) return;
        t.active->OnDeactivate();
    }
    t.previousActive = t.active;
    t.active = object;
    if (object) object->OnActivate();
}

void SetCapture(CxDisplayObject* object)
{
    TreeState& t = Tree();
    if (t.capture == object) return;
    if (t.captureDepth < kCaptureStackSize) t.captureStack[t.captureDepth++] = t.capture;
    t.capture = object;
}

void ReleaseCapture(CxDisplayObject* object)
{
    TreeState& t = Tree();
    if (t.capture != object) return;
    t.capture = t.captureDepth > 0 ? t.captureStack[--t.captureDepth] : nullptr;
}

void ReleaseCaptureAbsolute(CxDisplayObject* object)
{
    TreeState& t = Tree();
    int at = -1;
    for (int i = 0; i < t.captureDepth; ++i)
        if (t.captureStack[i] == object) at = i;
    if (at < 0) return ReleaseCapture(object);
    t.captureDepth = at;   // pops everything down to and including the object
    t.capture = t.captureDepth > 0 ? t.captureStack[--t.captureDepth] : nullptr;
}

void Forget(CxDisplayObject* object)
{
    TreeState& t = Tree();
    if (t.previousActive == object) t.previousActive = nullptr;
    if (t.active == object) {
        t.active = nullptr;
        if (CxDisplayObject* previous = t.previousActive) {
            t.previousActive = nullptr;
            SetActive(previous);
            t.active = nullptr;   // the previous object heard OnActivate; none is active now
        }
    }
    ReleaseCaptureAbsolute(object);
    if (t.capture == object) t.capture = nullptr;
    for (int i = 0; i < t.captureDepth; ++i)   // never leave it to be restored later
        if (t.captureStack[i] == object) t.captureStack[i] = nullptr;
    if (t.root == object) t.root = nullptr;
}
}  // namespace displaytree

// ------------------------------------------------------------- dispatch
CxDisplayObject* HitTestRoot(CxPoint point)
{
    TreeState& t = Tree();
    if (t.capture) {
        CxDisplayObject* hit = t.capture->HitTest(point, 0);
        return hit ? hit : t.capture;
    }
    return t.root ? t.root->HitTest(point, 0) : nullptr;
}

#define VORN_DISPATCH(name, handler)                               \
    void name(uint32_t keys, CxPoint point)                        \
    {                                                              \
        if (CxDisplayObject* target = Target(point))               \
            target->handler(keys, target->ToLocal(point));         \
    }
VORN_DISPATCH(DispatchMouseMove, OnMouseMove)
VORN_DISPATCH(DispatchLButtonDown, OnLButtonDown)
VORN_DISPATCH(DispatchLButtonUp, OnLButtonUp)
VORN_DISPATCH(DispatchLButtonDblClk, OnLButtonDblClk)
VORN_DISPATCH(DispatchMButtonDown, OnMButtonDown)
VORN_DISPATCH(DispatchMButtonUp, OnMButtonUp)
VORN_DISPATCH(DispatchMButtonDblClk, OnMButtonDblClk)
VORN_DISPATCH(DispatchRButtonDown, OnRButtonDown)
VORN_DISPATCH(DispatchRButtonUp, OnRButtonUp)
VORN_DISPATCH(DispatchRButtonDblClk, OnRButtonDblClk)
#undef VORN_DISPATCH

void DispatchMouseWheel(uint32_t keys, CxPoint point, int wheelDelta)
{
    if (CxDisplayObject* target = Target(point)) target->OnMouseWheel(keys, target->ToLocal(point), wheelDelta / 120);
}

void DispatchKeyDown(KeyCode key, uint32_t flags)
{
    if (Tree().active) Tree().active->OnKeyDown(key, flags);
}

void DispatchKeyUp(KeyCode key, uint32_t flags)
{
    if (Tree().active) Tree().active->OnKeyUp(key, flags);
}
