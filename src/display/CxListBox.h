// List boxes: a scrolling window onto a list of display objects, one per
// line, the selected line highlighted through blit effects.
//
// Terms: `top` is the index of the first visible item, `visible` the number
// of lines that fit ((height - 4) / line height), `selected` the selected
// index (-1 none).  The list owns its items: they are its children, shown
// only while inside the window, and deleted when removed.
//
// Clicks select the line under the pointer and are reported to the listener
// when one is set, else to the parent as OnNotify (2, list, index, double
// click).  Keys scroll; others climb the tree.
#pragma once
#include "display/CxNotify.h"
#include "display/CxSprite.h"

constexpr uint32_t LISTBOX_TYPE = 0x80;   // type-mask bit of list boxes (with bit 0, sprite)

enum CxListAlignment : int32_t { LIST_ALIGN_LEFT = 1, LIST_ALIGN_CENTRE = 2, LIST_ALIGN_RIGHT = 3 };

class CxListBox;

class CxListBoxListener {
public:
    virtual ~CxListBoxListener() = default;
    virtual void OnListSelect(CxListBox* list, int32_t index, int32_t doubleClick) = 0;
};

class CxListBox : public CxSprite {
public:
    CxListBox() { typeMask_ = 1 | LISTBOX_TYPE; }
    ~CxListBox() override;

    void OnKeyDown(KeyCode key, uint32_t flags) override;
    void OnLButtonDown(uint32_t keys, CxPoint point) override;
    void OnLButtonDblClk(uint32_t keys, CxPoint point) override;

    virtual void SetAlignment(int32_t alignment) { alignment_ = alignment; }
    virtual int32_t GetAlignment() const { return alignment_; }
    virtual void SetSelection(int32_t index);
    virtual int32_t GetSelection() const { return selected_; }
    virtual void InsertItem(int32_t index, CxDisplayObject* item);
    virtual void AddFirst(CxDisplayObject* item) { InsertItem(0, item); }
    virtual void AddLast(CxDisplayObject* item) { InsertItem(count_, item); }
    virtual void RemoveItem(int32_t index);
    virtual void RemoveAll();
    virtual int32_t GetCount() const { return count_; }
    virtual CxDisplayObject* GetItem(int32_t index) const;
    virtual void SetVisibleCount(int32_t count) { visible_ = count; }
    virtual int32_t GetVisibleCount() const { return visible_; }
    virtual void ComputeLayout();
    virtual void ScrollUp() { ScrollUpBy(1); }
    virtual void ScrollDown() { ScrollDownBy(1); }
    virtual void PageUp() { ScrollUpBy(visible_); }
    virtual void PageDown() { ScrollDownBy(visible_); }
    virtual void ScrollToTop() { SetTop(0); }
    virtual void ScrollToBottom();
    virtual void SetTopIndex(int32_t index) { SetTop(index); }
    virtual void ScrollUpBy(int32_t lines);
    virtual void ScrollDownBy(int32_t lines);
    virtual void SetLineHeight(int32_t height);
    virtual int32_t GetLineHeight() const { return lineHeight_; }
    virtual int32_t GetTopIndex() const { return top_; }
    virtual void ClearSelection() { SetSelection(-1); }
    virtual void Layout();
    virtual void SetHighlight(bool on) { highlight_ = on ? 1 : 0; }
    virtual bool GetHighlight() const { return highlight_ != 0; }
    virtual void SetListener(CxListBoxListener* listener) { listener_ = listener; }
    virtual CxListBoxListener* GetListener() const { return listener_; }
    virtual void SetTop(int32_t index);

protected:
    // Shows item `index` on line `line`; the text list box places its lines
    // its own way.
    virtual void ShowLine(CxDisplayObject* item, int32_t index, int32_t line);
    // The line under a point (-1 above the first), and how much of the
    // list's length an item and the list take: heights here, widths for the
    // horizontal list.
    virtual int32_t LineAt(CxPoint point) const { return point.y < 0 ? -1 : point.y / lineHeight_; }
    virtual int32_t ItemLength(const CxDisplayObject* item) const { return item->GetHeight(); }
    virtual int32_t ListLength() const { return GetHeight(); }
    void Highlight(CxDisplayObject* item, bool selected);
    void Click(CxPoint point, int32_t doubleClick);
    const CxLinkedList<CxDisplayObject*>& Items() const { return items_; }

    CxLinkedList<CxDisplayObject*> items_;
    CxListBoxListener* listener_ = nullptr;
    int32_t count_ = 0;
    int32_t top_ = 0;
    int32_t visible_ = -1;
    int32_t selected_ = -1;
    int32_t lineHeight_ = 0;
    int32_t highlight_ = 1;
    int32_t alignment_ = LIST_ALIGN_LEFT;
};

// The same laid out left to right: the line height is the item width, and
// the number of visible items is set by the list's users.
class CxHorizontalListBox : public CxListBox {
public:
    void ComputeLayout() override;

protected:
    void ShowLine(CxDisplayObject* item, int32_t index, int32_t line) override;
    int32_t LineAt(CxPoint point) const override { return point.x < 0 ? -1 : point.x / lineHeight_; }
    int32_t ItemLength(const CxDisplayObject* item) const override { return item->GetWidth(); }
    int32_t ListLength() const override { return GetWidth(); }
};
