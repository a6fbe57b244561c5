// The process-wide state of the display tree: the root, the active object,
// mouse capture, and the dirty-rectangle lists; plus the dispatchers that
// the window layer calls with input.
#pragma once
#include "display/CxDisplayObject.h"

// Creates the root when absent, sizes it to the screen (or to the fixed
// logical size when one is set), paints it at (0, 0) and invalidates it all.
void InitDisplayTree(CxSize screenSize);
void SetDisplayBufferCount(CxSize screenSize, int count);   // 1..3 buffers
void ShutdownDisplayTree();
// A tree for a host without a screen (the script runner, tools): painted
// into memory by its host.  A later InitDisplayTree takes it over.
void InitHeadlessDisplayTree(CxSize size);
bool IsHeadlessDisplayTree();
void SetFixedLogicalSize(CxSize size);                      // (-1, -1): none

CxDisplayObject* GetRootObject();
CxDisplayObject* GetActiveObject();
CxDisplayObject* GetPreviousActiveObject();
CxDisplayObject* GetCaptureObject();

void InvalidateRect(const CxRect& screenRect);
// Paints the current list through the tree into the target, copying the
// painted rectangles to `painted` (when given) for the screen to show, then
// moves on to the next buffer's list.
void PaintDirtyRects(CxRenderTarget* target, CxLinkedList<CxRect>* painted);
const CxLinkedList<CxRect>& CurrentDirtyRects();
int DisplayBufferCount();

CxDisplayObject* HitTestRoot(CxPoint point);
void DispatchMouseMove(uint32_t keys, CxPoint point);
void DispatchMouseWheel(uint32_t keys, CxPoint point, int wheelDelta);
void DispatchLButtonDown(uint32_t keys, CxPoint point);
void DispatchLButtonUp(uint32_t keys, CxPoint point);
void DispatchLButtonDblClk(uint32_t keys, CxPoint point);
void DispatchMButtonDown(uint32_t keys, CxPoint point);
void DispatchMButtonUp(uint32_t keys, CxPoint point);
void DispatchMButtonDblClk(uint32_t keys, CxPoint point);
void DispatchRButtonDown(uint32_t keys, CxPoint point);
void DispatchRButtonUp(uint32_t keys, CxPoint point);
void DispatchRButtonDblClk(uint32_t keys, CxPoint point);
void DispatchKeyDown(KeyCode key, uint32_t flags);
void DispatchKeyUp(KeyCode key, uint32_t flags);

// Internal to the tree's units.
namespace displaytree {
void SetActive(CxDisplayObject* object);
void SetCapture(CxDisplayObject* object);
void ReleaseCapture(CxDisplayObject* object);
void ReleaseCaptureAbsolute(CxDisplayObject* object);
void Forget(CxDisplayObject* object);   // called by a dying object
}
