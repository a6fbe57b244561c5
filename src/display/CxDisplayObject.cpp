#include "display/CxDisplayObject.h"
#include "display/CxAnimation.h"
#include "display/CxDisplayTree.h"

#include <algorithm>

// ------------------------------------------------------------- lifetime
CxDisplayObject::CxDisplayObject() = default;

CxDisplayObject::~CxDisplayObject()
{
    displaytree::Forget(this);
    CxAnimation::ForgetObject(this);
    if (parent_) parent_->RemoveChild(this);
    while (!children_.IsEmpty()) {
        CxDisplayObject* child = children_.RemoveHead();
        child->parent_ = nullptr;
    }
}

int CxDisplayObject::Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent,
                            int32_t controlId)
{
    controlId_ = controlId;
    if (parent) Link(parent);
    size_ = CxSize{width, height};
    position_ = CxPoint{x, y};
    return errorCode_;
}

// ------------------------------------------------------------- geometry
CxPoint CxDisplayObject::TopLeftFor(CxPoint p, int anchor) const
{
    int32_t w = size_.width, h = size_.height;
    switch (anchor) {
    case ANCHOR_TOP_RIGHT: return CxPoint{p.x - (w - 1), p.y};
    case ANCHOR_BOTTOM_LEFT: return CxPoint{p.x, p.y - (h - 1)};
    case ANCHOR_BOTTOM_RIGHT: return CxPoint{p.x - (w - 1), p.y - (h - 1)};
    case ANCHOR_LEFT_MIDDLE: return CxPoint{p.x, p.y - h / 2};
    case ANCHOR_RIGHT_MIDDLE: return CxPoint{p.x - (w - 1), p.y - h / 2};
    case ANCHOR_TOP_MIDDLE: return CxPoint{p.x - w / 2, p.y};
    case ANCHOR_BOTTOM_MIDDLE: return CxPoint{p.x - w / 2, p.y - (h - 1)};
    case ANCHOR_CENTRE: return CxPoint{p.x - w / 2, p.y - h / 2};
    default: return p;
    }
}

CxPoint CxDisplayObject::GetPosition(int anchor) const
{
    int32_t x = position_.x, y = position_.y, w = size_.width, h = size_.height;
    switch (anchor) {
    case ANCHOR_TOP_RIGHT: return CxPoint{x + w - 1, y};
    case ANCHOR_BOTTOM_LEFT: return CxPoint{x, y + h - 1};
    case ANCHOR_BOTTOM_RIGHT: return CxPoint{x + w - 1, y + h - 1};
    case ANCHOR_LEFT_MIDDLE: return CxPoint{x, y + h / 2};
    case ANCHOR_RIGHT_MIDDLE: return CxPoint{x + w - 1, y + h / 2};
    case ANCHOR_TOP_MIDDLE: return CxPoint{x + w / 2, y};
    case ANCHOR_BOTTOM_MIDDLE: return CxPoint{x + w / 2, y + h - 1};
    case ANCHOR_CENTRE: return CxPoint{x + w / 2, y + h / 2};
    default: return position_;
    }
}

void CxDisplayObject::SetPosition(CxPoint point, int anchor) { position_ = TopLeftFor(point, anchor); }

CxRect CxDisplayObject::GetRect() const
{
    return CxRect{position_.x, position_.y, position_.x + GetExtentWidth() - 1, position_.y + GetExtentHeight() - 1};
}

void CxDisplayObject::SetRect(const CxRect& rect)
{
    position_ = CxPoint{rect.left, rect.top};
    size_ = CxSize{rect.Width(), rect.Height()};
}

CxPoint CxDisplayObject::ToGlobal(CxPoint p) const
{
    for (const CxDisplayObject* o = this; o; o = o->parent_) p = o->ToParent(p);
    return p;
}

CxRect CxDisplayObject::ToGlobalRect(const CxRect& r) const
{
    CxPoint origin = ToGlobal(CxPoint{0, 0});
    return OffsetRect(r, origin.x, origin.y);
}

CxPoint CxDisplayObject::ToLocal(CxPoint p) const
{
    CxPoint origin = ToGlobal(CxPoint{0, 0});
    return CxPoint{p.x - origin.x, p.y - origin.y};
}

CxRect CxDisplayObject::ToLocalRect(const CxRect& r) const
{
    CxPoint origin = ToGlobal(CxPoint{0, 0});
    return OffsetRect(r, -origin.x, -origin.y);
}

CxRect CxDisplayObject::GetVisibleRect() const
{
    CxRect visible{0, 0, GetExtentWidth() - 1, GetExtentHeight() - 1};
    CxPoint offset{0, 0};   // from this object to the ancestor being looked at
    for (const CxDisplayObject* o = this; o->parent_; o = o->parent_) {
        offset = CxPoint{offset.x + o->position_.x, offset.y + o->position_.y};
        const CxDisplayObject* ancestor = o->parent_;
        CxRect ancestorRect{-offset.x, -offset.y, -offset.x + ancestor->GetExtentWidth() - 1,
                            -offset.y + ancestor->GetExtentHeight() - 1};
        visible = IntersectRects(visible, ancestorRect);
    }
    return visible;
}

CxRect CxDisplayObject::GetChildGlobalRect(CxDisplayObject* child) const
{
    return child ? child->ToGlobalRect(CxRect{0, 0, child->GetExtentWidth() - 1, child->GetExtentHeight() - 1})
                 : CxRect{};
}

CxRect CxDisplayObject::GetExtent() const
{
    CxRect own = GetRect();
    if (GetClip()) return own;
    CxRect extent{0, 0, GetExtentWidth() - 1, GetExtentHeight() - 1};
    for (auto* node = children_.GetHead(); node; node = node->next)
        extent = UnionRects(extent, node->value->GetExtent());
    return OffsetRect(extent, position_.x, position_.y);
}

CxRect CxDisplayObject::GetGlobalExtent() const
{
    CxRect extent = GetExtent();
    return parent_ ? parent_->ToGlobalRect(extent) : extent;
}

bool CxDisplayObject::IsVisibleInTree() const
{
    for (const CxDisplayObject* o = this; o; o = o->parent_)
        if (!o->IsVisible()) return false;
    return true;
}

int CxDisplayObject::CountChildren(uint32_t flags) const
{
    int count = 0;
    for (auto* node = children_.GetHead(); node; node = node->next) {
        if ((flags & COUNT_SHOWN_ONLY) && !node->value->IsVisible()) continue;
        count += 1 + ((flags & COUNT_DESCENDANTS) ? node->value->CountChildren(flags) : 0);
    }
    return count;
}

// ------------------------------------------------------------- showing and moving
int CxDisplayObject::Paint(int32_t x, int32_t y, int anchor)
{
    CxPoint topLeft = TopLeftFor(CxPoint{x, y}, anchor);
    bool moves = topLeft.x != position_.x || topLeft.y != position_.y;
    if (parent_ && parent_->IsVisibleInTree() && ((flags_ & DISPLAY_ALWAYS_REPAINT) || !IsVisible() || moves)) {
        if (moves) Erase();
        position_ = topLeft;
        InvalidateRect(GetGlobalExtent());
    }
    position_ = topLeft;
    flags_ |= DISPLAY_SHOWN;
    return errorCode_;
}

int CxDisplayObject::Erase()
{
    if (!IsVisible()) return errorCode_;
    flags_ &= ~uint32_t(DISPLAY_SHOWN);
    if (parent_ && parent_->IsVisibleInTree()) InvalidateRect(GetGlobalExtent());
    return errorCode_;
}

int CxDisplayObject::Center()
{
    if (!parent_) return Paint(0, 0, ANCHOR_TOP_LEFT);
    return Paint((parent_->GetWidth() - GetWidth()) / 2, (parent_->GetHeight() - GetHeight()) / 2, ANCHOR_TOP_LEFT);
}

int CxDisplayObject::Resize(CxSize size)
{
    if (size == size_) return errorCode_;
    Erase();
    size_ = size;
    SetPosition(position_);
    Paint(position_.x, position_.y, ANCHOR_TOP_LEFT);
    OnResize(size);
    return errorCode_;
}

// ------------------------------------------------------------- the tree
void CxDisplayObject::SetZOrder(uint32_t z)
{
    zOrder_ = z;
    if (CxDisplayObject* parent = parent_) {
        parent->RemoveChild(this);
        parent->AddChild(this);
    }
}

void CxDisplayObject::PlaceInFrontOf(CxDisplayObject* other)
{
    if (other) SetZOrder(other->zOrder_ == 0 ? 0 : other->zOrder_ - 1);
}

void CxDisplayObject::PlaceBehind(CxDisplayObject* other)
{
    if (other) SetZOrder(other->zOrder_ == Z_BACK ? Z_BACK : other->zOrder_ + 1);
}

void CxDisplayObject::Link(CxDisplayObject* parent)
{
    if (!parent) parent = GetRootObject();
    if (parent && parent != this) parent->AddChild(this);
}

void CxDisplayObject::UnLink()
{
    if (parent_) parent_->RemoveChild(this);
}

void CxDisplayObject::UnlinkChildren()
{
    while (!children_.IsEmpty()) children_.GetHead()->value->UnLink();
}

void CxDisplayObject::AddChild(CxDisplayObject* child)
{
    if (!child) return;
    child->UnLink();
    uint32_t z = child->zOrder_;
    if (z == Z_FRONT) {
        children_.AddTail(child);
    } else if (z == Z_BACK) {
        children_.AddHead(child);
    } else {
        auto* before = children_.GetHead();
        while (before && before->value->zOrder_ >= z) before = before->next;
        children_.InsertBefore(before, child);
    }
    child->parent_ = this;
}

void CxDisplayObject::RemoveChild(CxDisplayObject* child)
{
    if (!child || child->parent_ != this) return;
    children_.Remove(child);
    child->parent_ = nullptr;
}

// ------------------------------------------------------------- activity and capture
void CxDisplayObject::SetActive() { displaytree::SetActive(this); }
bool CxDisplayObject::IsActiveWindow() const { return GetActiveObject() == this; }
void CxDisplayObject::SetCapture() { displaytree::SetCapture(this); }
void CxDisplayObject::ReleaseCapture() { displaytree::ReleaseCapture(this); }
void CxDisplayObject::ReleaseCaptureAbsolute() { displaytree::ReleaseCaptureAbsolute(this); }
bool CxDisplayObject::HasCapture() const { return GetCaptureObject() == this; }

// ------------------------------------------------------------- hit testing and painting
CxDisplayObject* CxDisplayObject::HitTest(CxPoint globalPoint, uint32_t typeMask)
{
    CxRect area = parent_ ? parent_->ToGlobalRect(GetClip() ? GetRect() : GetExtent())
                          : (GetClip() ? GetRect() : GetExtent());
    if (!area.Contains(globalPoint)) return nullptr;
    CxDisplayObject* result = IsType(typeMask) ? this : nullptr;
    for (auto* node = children_.GetHead(); node; node = node->next) {
        CxDisplayObject* child = node->value;
        if (!child->IsVisible() || !child->IsType(typeMask)) continue;
        if (CxDisplayObject* hit = child->HitTest(globalPoint, typeMask)) result = hit;
    }
    return result;
}

void CxDisplayObject::OnPaint(CxRenderTarget* target, const CxRect* rect)
{
    if (!rect || rect->IsEmpty()) return;
    for (auto* node = children_.GetHead(); node; node = node->next) {
        CxDisplayObject* child = node->value;
        if (!child->IsVisible()) continue;
        CxRect area = child->GetClip() ? IntersectRects(*rect, child->GetRect()) : *rect;
        if (area.IsEmpty()) continue;
        CxRect local = OffsetRect(area, -child->position_.x, -child->position_.y);
        child->OnPaint(target, &local);
    }
}

// ------------------------------------------------------------- input climbing the tree
void CxDisplayObject::OnKeyDown(KeyCode key, uint32_t flags)
{
    if (parent_) parent_->OnKeyDown(key, flags);
}

void CxDisplayObject::OnKeyUp(KeyCode key, uint32_t flags)
{
    if (parent_) parent_->OnKeyUp(key, flags);
}

namespace {
CxDefaultCursorHook gDefaultCursorHook = nullptr;
}

void SetDefaultCursorHook(CxDefaultCursorHook hook) { gDefaultCursorHook = hook; }
CxDefaultCursorHook GetDefaultCursorHook() { return gDefaultCursorHook; }

void CxDisplayObject::OnMouseMove(uint32_t keys, CxPoint p)
{
    if (gDefaultCursorHook) gDefaultCursorHook();
    if (parent_) parent_->OnMouseMove(keys, ToParent(p));
}

CxDisplayObject* CxDisplayObject::OnMouseWheel(uint32_t keys, CxPoint p, int notches)
{
    return parent_ ? parent_->OnMouseWheel(keys, ToParent(p), notches) : nullptr;
}

void CxDisplayObject::OnLButtonDown(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnLButtonDown(keys, ToParent(p));
}

CxDisplayObject* CxDisplayObject::OnLButtonUp(uint32_t keys, CxPoint p)
{
    return parent_ ? parent_->OnLButtonUp(keys, ToParent(p)) : nullptr;
}

void CxDisplayObject::OnLButtonDblClk(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnLButtonDblClk(keys, ToParent(p));
}

void CxDisplayObject::OnMButtonDown(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnMButtonDown(keys, ToParent(p));
}

void CxDisplayObject::OnMButtonUp(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnMButtonUp(keys, ToParent(p));
}

void CxDisplayObject::OnMButtonDblClk(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnMButtonDblClk(keys, ToParent(p));
}

CxDisplayObject* CxDisplayObject::OnRButtonDown(uint32_t keys, CxPoint p)
{
    return parent_ ? parent_->OnRButtonDown(keys, ToParent(p)) : nullptr;
}

CxDisplayObject* CxDisplayObject::OnRButtonUp(uint32_t keys, CxPoint p)
{
    return parent_ ? parent_->OnRButtonUp(keys, ToParent(p)) : nullptr;
}

void CxDisplayObject::OnRButtonDblClk(uint32_t keys, CxPoint p)
{
    if (parent_) parent_->OnRButtonDblClk(keys, ToParent(p));
}

void CxDisplayObject::OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra)
{
    if (parent_) parent_->OnNotify(kind, sender, code, extra);
}
