#include "display/CxTextListBox.h"
#include "foundation/Qorstr.h"

namespace {
constexpr int32_t kLineInset = 2;
}

CxDrawText* CxTextListBox::CreateLine(const char* text)
{
    auto* line = new CxDrawText;
    line->Create(kLineInset, kLineInset, GetWidth() - 2 * kLineInset, lineHeight_, nullptr, 0);
    line->SetString(text);
    return line;
}

void CxTextListBox::InsertText(int32_t index, const char* text)
{
    if (CxDrawText* line = CreateLine(text ? text : "")) InsertItem(index, line);
}

const char* CxTextListBox::GetText(int32_t index) const
{
    auto* line = dynamic_cast<CxDrawText*>(GetItem(index));
    return line ? line->GetString() : nullptr;
}

int32_t CxTextListBox::FindText(const char* text, bool exact) const
{
    if (!text) return -1;
    int32_t index = 0;
    for (auto* node = items_.GetHead(); node; node = node->next, ++index) {
        auto* line = dynamic_cast<CxDrawText*>(node->value);
        if (!line) continue;
        bool same = TextEquals(line->GetString(), text, !exact);
        if (same) return index;
    }
    return -1;
}

void CxTextListBox::ShowLine(CxDisplayObject* item, int32_t index, int32_t line)
{
    if (auto* text = dynamic_cast<CxDrawText*>(item)) {
        bool selected = index == selected_;
        text->SetFont(fontHandle_);
        text->SetPointSize(pointSize_);
        text->SetTextFlags(textFlags_);
        text->SetColor(selected ? selectedColour_ : colour_);
        text->SetBkColor(selected ? selectedBackground_ : background_);
        text->SetShadowColor(shadow_);
        text->SetStyleBits(TEXT_STYLE_ALWAYS_RENDER, alwaysRender_ != 0);
    }
    item->Paint(kLineInset, line * lineHeight_ + kLineInset, ANCHOR_TOP_LEFT);
}
