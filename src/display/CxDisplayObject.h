// The display-object tree.
//
// Everything on screen apart from the 3D scene is a node of one tree: the
// root covers the screen, rooms hang below it, sprites, buttons, dialogs and
// text below the rooms.  Children are kept in painting order (first = back);
// lower z-orders are in front (0 frontmost, 0xFFFFFFFF behind everything).
//
// Repainting works on dirty rectangles: moving, showing or hiding an object
// invalidates its extent in screen coordinates, and once per frame the
// current list of dirty rectangles is painted through the tree.  With n
// screen buffers there are n lists, so an area is repainted in each buffer.
//
// Input: mouse events go to the object under the pointer (or the capture
// object) in its own coordinates and climb towards the root until handled;
// keys go to the active object.  Controls report to their container with
// OnNotify.
//
// An object destroyed while linked unlinks itself and its children, and
// gives up capture and activity, so no pointer to it survives in the tree.
#pragma once
#include "core/CxError.h"
#include "core/KeyCode.h"
#include "foundation/CxGeometry.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <cstdint>

class CxRenderTarget;

enum CxDisplayFlags : uint32_t {
    DISPLAY_SHOWN = 0x01,
    DISPLAY_CLIP_CHILDREN = 0x02,
    DISPLAY_STRETCH = 0x04,
    DISPLAY_DISABLED = 0x08,
    DISPLAY_ALWAYS_REPAINT = 0x10,
};

enum CxAnchor : int {
    ANCHOR_TOP_LEFT = 0, ANCHOR_TOP_RIGHT, ANCHOR_BOTTOM_LEFT, ANCHOR_BOTTOM_RIGHT,
    ANCHOR_LEFT_MIDDLE, ANCHOR_RIGHT_MIDDLE, ANCHOR_TOP_MIDDLE, ANCHOR_BOTTOM_MIDDLE, ANCHOR_CENTRE,
};

constexpr uint32_t Z_FRONT = 0;
constexpr uint32_t Z_DEFAULT = 0x7FFFFFFF;
constexpr uint32_t Z_BACK = 0xFFFFFFFF;

// CountChildren's flags (scripts pass the same numbers).
enum CxCountFlags : uint32_t {
    COUNT_DESCENDANTS = 1,   // each child counts 1 plus its own count
    COUNT_SHOWN_ONLY = 2,    // hidden children (and what lies below them) are left out
};

class CxDisplayObject : public CxError, public CxObject {
public:
    CxDisplayObject();
    CxDisplayObject(const CxDisplayObject&) = delete;
    CxDisplayObject& operator=(const CxDisplayObject&) = delete;

    // Virtual operations, in slot order.
    ~CxDisplayObject() override;
    virtual int  Destroy() { return Erase(); }
    virtual int  Show() { return Paint(); }
    virtual int  Hide() { return Erase(); }
    virtual int  Center();
    virtual int  Resize(CxSize size);
    virtual void SetActive();
    virtual bool IsActiveWindow() const;
    virtual void Enable() { flags_ &= ~uint32_t(DISPLAY_DISABLED); }
    virtual void Disable() { flags_ |= DISPLAY_DISABLED; }
    virtual bool IsEnabled() const { return !(flags_ & DISPLAY_DISABLED); }
    virtual void SetCapture();
    virtual void ReleaseCapture();
    virtual void ReleaseCaptureAbsolute();
    virtual bool HasCapture() const;
    virtual void OnResize(CxSize size) {}
    virtual void OnActivate() {}
    virtual void OnDeactivate() {}
    virtual bool CanDeactivate(CxDisplayObject* newActive) { return true; }
    virtual int  Paint(int32_t x, int32_t y, int anchor = ANCHOR_TOP_LEFT);
    virtual int  Paint(CxPoint point, int anchor) { return Paint(point.x, point.y, anchor); }
    virtual int  Paint() { return Paint(position_.x, position_.y, ANCHOR_TOP_LEFT); }
    virtual int  Erase();
    virtual void SetPosition(CxPoint point, int anchor = ANCHOR_TOP_LEFT);
    virtual void SetPosition(int32_t x, int32_t y, int anchor = ANCHOR_TOP_LEFT) { SetPosition(CxPoint{x, y}, anchor); }
    virtual CxPoint GetPosition() const { return position_; }
    virtual CxPoint GetPosition(int anchor) const;
    virtual void SetZOrder(uint32_t z);
    virtual uint32_t GetZOrder() const { return zOrder_; }
    virtual void PlaceInFrontOf(CxDisplayObject* other);
    virtual void PlaceBehind(CxDisplayObject* other);
    virtual void SetSizeValue(CxSize size) { size_ = size; }
    virtual void SetSizeValue(int32_t width, int32_t height) { size_ = CxSize{width, height}; }
    virtual CxSize GetSize() const { return size_; }
    virtual int32_t GetWidth() const { return size_.width; }
    virtual int32_t GetHeight() const { return size_.height; }
    virtual int32_t GetExtentWidth() const { return GetWidth(); }
    virtual int32_t GetExtentHeight() const { return GetHeight(); }
    virtual CxRect GetRect() const;
    virtual void SetRect(const CxRect& rect);
    virtual CxDisplayObject* GetParent() const { return parent_; }
    virtual CxLinkedList<CxDisplayObject*>& GetChildren() { return children_; }
    virtual bool HasChildren() const { return !children_.IsEmpty(); }
    virtual int  CountChildren(uint32_t flags) const;
    virtual void Link(CxDisplayObject* parent);
    virtual void LinkRoot() { Link(nullptr); }
    virtual void UnLink();
    virtual void UnlinkChildren();
    virtual void AddChild(CxDisplayObject* child);
    virtual void RemoveChild(CxDisplayObject* child);
    virtual bool IsVisible() const { return (flags_ & DISPLAY_SHOWN) != 0; }
    virtual bool IsVisibleInTree() const;
    virtual CxPoint ToParent(CxPoint p) const { return CxPoint{p.x + position_.x, p.y + position_.y}; }
    virtual CxPoint FromParent(CxPoint p) const { return CxPoint{p.x - position_.x, p.y - position_.y}; }
    virtual CxRect ToGlobalRect(const CxRect& r) const;
    virtual CxPoint ToGlobal(CxPoint p) const;
    virtual CxRect ToLocalRect(const CxRect& r) const;
    virtual CxPoint ToLocal(CxPoint p) const;
    virtual CxRect GetVisibleRect() const;
    virtual CxDisplayObject* HitTest(CxPoint globalPoint, uint32_t typeMask);
    virtual CxRect GetChildGlobalRect(CxDisplayObject* child) const;
    virtual void OnPaint(CxRenderTarget* target, const CxRect* rect);
    virtual int  Create(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent, int32_t controlId);
    virtual void OnKeyDown(KeyCode key, uint32_t flags);
    virtual void OnKeyUp(KeyCode key, uint32_t flags);
    virtual void OnMouseMove(uint32_t keys, CxPoint point);
    virtual CxDisplayObject* OnMouseWheel(uint32_t keys, CxPoint point, int notches);
    virtual void OnLButtonDown(uint32_t keys, CxPoint point);
    virtual CxDisplayObject* OnLButtonUp(uint32_t keys, CxPoint point);
    virtual void OnLButtonDblClk(uint32_t keys, CxPoint point);
    virtual void OnMButtonDown(uint32_t keys, CxPoint point);
    virtual void OnMButtonUp(uint32_t keys, CxPoint point);
    virtual void OnMButtonDblClk(uint32_t keys, CxPoint point);
    virtual CxDisplayObject* OnRButtonDown(uint32_t keys, CxPoint point);
    virtual CxDisplayObject* OnRButtonUp(uint32_t keys, CxPoint point);
    virtual void OnRButtonDblClk(uint32_t keys, CxPoint point);
    // kind: 0 buttons, 1 scroll bars, 2 lists, 3 edits; the sender is a
    // pointer, since an object's identity does not fit in 32 bits here.
    virtual void OnNotify(int32_t kind, CxDisplayObject* sender, int32_t code, int32_t extra);

    // Plain accessors.
    void SetName(const char* name) { name_ = name; }
    const char* GetName() const { return name_.Text(); }
    void SetControlID(int32_t id) { controlId_ = id; }
    int32_t GetControlID() const { return controlId_; }
    void SetType(uint32_t mask) { typeMask_ = mask; }
    uint32_t GetType() const { return typeMask_; }
    bool IsType(uint32_t mask) const { return (typeMask_ & mask) == mask; }
    uint32_t GetFlags() const { return flags_; }
    void SetFlag(uint32_t flag, bool on) { flags_ = on ? (flags_ | flag) : (flags_ & ~flag); }
    void SetClip(bool on) { SetFlag(DISPLAY_CLIP_CHILDREN, on); }
    bool GetClip() const { return (flags_ & DISPLAY_CLIP_CHILDREN) != 0; }

    // The area this object and its descendants cover, in its parent's
    // coordinates (its own rectangle when it clips).
    CxRect GetExtent() const;
    // The extent in screen coordinates.
    CxRect GetGlobalExtent() const;

protected:
    CxString name_;
    CxPoint position_;
    CxSize size_;
    CxDisplayObject* parent_ = nullptr;
    CxLinkedList<CxDisplayObject*> children_;
    uint32_t zOrder_ = Z_DEFAULT;
    int32_t controlId_ = 0;
    uint32_t typeMask_ = 0;
    uint32_t flags_ = DISPLAY_CLIP_CHILDREN | DISPLAY_ALWAYS_REPAINT;

private:
    CxPoint TopLeftFor(CxPoint point, int anchor) const;
};

// What a plain display object does first on every mouse move: select the
// default cursor.  The cursor system installs it; without one nothing
// happens.  Null removes it.
using CxDefaultCursorHook = void (*)();
void SetDefaultCursorHook(CxDefaultCursorHook hook);
CxDefaultCursorHook GetDefaultCursorHook();

