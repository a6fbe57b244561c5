#include "display/CxListBox.h"

#include <algorithm>

CxListBox::~CxListBox() { RemoveAll(); }

// ------------------------------------------------------------- items
CxDisplayObject* CxListBox::GetItem(int32_t index) const
{
    if (index < 0 || index >= count_) return nullptr;
    auto* node = items_.GetHead();
    for (int32_t i = 0; i < index && node; ++i) node = node->next;
    return node ? node->value : nullptr;
}

void CxListBox::InsertItem(int32_t index, CxDisplayObject* item)
{
    if (!item || items_.Find(item)) return;
    if (index < 0) index = 0;
    if (index >= count_) {
        items_.AddTail(item);
    } else {
        auto* before = items_.GetHead();
        for (int32_t i = 0; i < index; ++i) before = before->next;
        items_.InsertBefore(before, item);
        if (selected_ >= index) ++selected_;   // the selection stays on the same item
    }
    ++count_;
    item->Erase();
    item->Link(this);
    if (lineHeight_ == 0 || visible_ < 0) ComputeLayout();
    Layout();
}

void CxListBox::RemoveItem(int32_t index)
{
    CxDisplayObject* item = GetItem(index);
    if (!item) return;
    items_.Remove(item);
    --count_;
    delete item;
    if (selected_ == index) selected_ = -1;
    else if (selected_ > index) --selected_;
    top_ = std::max(0, std::min(top_, count_ - 1));
    Layout();
}

void CxListBox::RemoveAll()
{
    while (!items_.IsEmpty()) delete items_.RemoveHead();
    count_ = 0;
    top_ = 0;
    selected_ = -1;
}

// ------------------------------------------------------------- layout
void CxListBox::ComputeLayout()
{
    if (lineHeight_ == 0 && !items_.IsEmpty()) lineHeight_ = items_.GetHead()->value->GetHeight();
    if (lineHeight_ > 0) visible_ = std::max(0, (GetHeight() - 4) / lineHeight_);
}

void CxListBox::SetLineHeight(int32_t height)
{
    lineHeight_ = std::max(0, height);
    ComputeLayout();
}

void CxListBox::Layout()
{
    if (errorCode_) return;
    for (auto* node = items_.GetHead(); node; node = node->next) node->value->Erase();
    int32_t used = 0, index = 0;
    auto* node = items_.GetHead();
    for (; node && index < top_; ++index) node = node->next;
    for (int32_t line = 0; node && line < visible_; ++line, ++index, node = node->next) {
        used += ItemLength(node->value);
        if (used >= ListLength()) break;
        ShowLine(node->value, index, line);
    }
    if (IsVisible()) Paint();
}

void CxListBox::ShowLine(CxDisplayObject* item, int32_t index, int32_t line)
{
    Highlight(item, index == selected_);
    int32_t y = line * lineHeight_;
    switch (alignment_) {
    case LIST_ALIGN_CENTRE: item->Paint(GetWidth() / 2, y, ANCHOR_TOP_MIDDLE); break;
    case LIST_ALIGN_RIGHT: item->Paint(GetWidth() - 1, y, ANCHOR_TOP_RIGHT); break;
    default: item->Paint(0, y, ANCHOR_TOP_LEFT); break;
    }
}

// The selection shows through the item's blit effects: a blue fill of an
// 8-bit picture, a tint of one without a see-through colour, else a navy
// fill of its opaque pixels.
void CxListBox::Highlight(CxDisplayObject* item, bool selected)
{
    auto* sprite = dynamic_cast<CxSprite*>(item);
    if (!highlight_ || !sprite) return;
    BltEffects effects;
    CxDrawSurface* surface = sprite->GetSurface();
    if (selected && surface) {
        if (surface->GetDepth() == 8) effects = BltEffects{BLT_EFFECT_FILL_MASK, 252, 0, 0};
        else if (sprite->GetMaskColor() == CX_NO_COLOR) effects = BltEffects{BLT_EFFECT_ADD_COLOR, 0, 0, 60};
        else effects = BltEffects{BLT_EFFECT_FILL_MASK, intptr_t(surface->MakeColor(0, 0, 128)), 0, 0};
    }
    sprite->SetEffectRecord(&effects);
}

// ------------------------------------------------------------- selection and scrolling
void CxListBox::SetSelection(int32_t index)
{
    selected_ = (index >= 0 && index < count_) ? index : -1;
    Layout();
}

// An index past the end shows the last item at the top rather than an
// empty window.
void CxListBox::SetTop(int32_t index)
{
    if (index >= count_) index = count_ - 1;
    if (index < 0) index = 0;
    if (index == top_) return;
    top_ = index;
    Layout();
}

void CxListBox::ScrollUpBy(int32_t lines)
{
    if (count_ <= visible_) return;
    SetTop(std::clamp(top_ - lines, 0, count_ - visible_));
}

void CxListBox::ScrollDownBy(int32_t lines)
{
    if (count_ <= visible_) return;
    SetTop(std::clamp(top_ + lines, 0, count_ - visible_));
}

void CxListBox::ScrollToBottom() { SetTop(std::max(0, count_ - std::max(0, visible_))); }

// ------------------------------------------------------------- input
void CxListBox::OnKeyDown(KeyCode key, uint32_t flags)
{
    switch (key) {
    case KEY_UP: ScrollUp(); break;
    case KEY_DOWN: ScrollDown(); break;
    case KEY_PAGE_UP: PageUp(); break;
    case KEY_PAGE_DOWN: PageDown(); break;
    case KEY_HOME: ScrollToTop(); break;
    case KEY_END: ScrollToBottom(); break;
    default: CxSprite::OnKeyDown(key, flags); break;
    }
}

void CxListBox::OnLButtonDown(uint32_t, CxPoint point) { Click(point, 0); }
void CxListBox::OnLButtonDblClk(uint32_t, CxPoint point) { Click(point, 1); }

void CxListBox::Click(CxPoint point, int32_t doubleClick)
{
    if (lineHeight_ <= 0) return;
    int32_t line = LineAt(point);
    int32_t index = top_ + line;
    if (line < 0 || index >= top_ + visible_ || index >= count_) return;
    SetSelection(index);
    if (listener_) listener_->OnListSelect(this, index, doubleClick);
    else if (parent_) parent_->OnNotify(NOTIFY_LIST, this, index, doubleClick);
}

// ------------------------------------------------------------- horizontal
void CxHorizontalListBox::ComputeLayout()
{
    if (lineHeight_ == 0 && !items_.IsEmpty()) lineHeight_ = items_.GetHead()->value->GetWidth();
}

void CxHorizontalListBox::ShowLine(CxDisplayObject* item, int32_t index, int32_t line)
{
    Highlight(item, index == selected_);
    item->Paint(line * lineHeight_, 0, ANCHOR_TOP_LEFT);
}
