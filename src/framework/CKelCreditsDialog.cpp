#include "framework/CKelCreditsDialog.h"
#include "display/CxDisplayTree.h"
#include "display/CxTextLayout.h"
#include "files/QorFile.h"
#include "foundation/CxMemory.h"
#include "framework/CKelDescribe.h"
#include "app/CxGamePath.h"
#include "app/CxGameWindow.h"
#include "app/CxRoomManager.h"
#include "framework/CxRoomScript.h"
#include "graphics/CxBltEffects.h"
#include "graphics/CxFont.h"

#include <algorithm>
#include <cstdio>

namespace {
constexpr size_t kLineMax = 253;
constexpr int kMarginWidth = 10, kMarginHeight = 100;
constexpr KeyCode kEndKeys[] = {13, 27, 32, 0x10000051, 0x10000071, 0x10000104};

CxSize DisplaySize()
{
    CxRoomManager* rooms = GetScriptRoomManager();
    if (rooms && rooms->GetCurrentRoom()) return rooms->GetCurrentRoom()->GetSize();
    CxDisplayObject* root = GetRootObject();
    return root ? root->GetSize() : CxSize{0, 0};
}

void FinishLine(std::vector<CxString>& lines, CxString& line)
{
    CxString expanded;
    for (const char* p = line.Text(); *p; ++p) {
        if (*p == '\t') expanded.Append("    ");
        else expanded.Append(*p);
    }
    lines.push_back(expanded);
    line = "";
}
}  // namespace

std::vector<CxString> SplitCreditsText(const char* text, size_t size)
{
    std::vector<CxString> lines;
    CxString line;
    for (size_t i = 0; text && i < size; ++i) {
        char c = text[i];
        if (c == '\r') continue;
        if (c == '\n') {
            FinishLine(lines, line);
            continue;
        }
        if (c == '\0') c = ' ';   // a stray zero byte must not cut the line short
        line.Append(c);
        if (size_t(line.GetLength()) == kLineMax) FinishLine(lines, line);
    }
    if (!line.IsEmpty()) FinishLine(lines, line);
    return lines;
}

// ------------------------------------------------------------- building
CKelCreditsDialog::CKelCreditsDialog(CxOptions& options)
{
    ReadSettings(options);
    SizeDialog(options);
    view_ = new CxDisplayObject;
    view_->Create(0, 0, GetWidth(), GetHeight(), this, 0);
    view_->SetClip(true);
    view_->Show();
    LoadFontFrom(options);
    BuildText(options);
    PlaceLogos(options);
    PlaceMasks(options);
}

CKelCreditsDialog::~CKelCreditsDialog()
{
    delete timer_;
    Hide();
    for (CxSprite* mask : masks_) delete mask;
    delete scroll_;   // its logos go with it, as its children
    for (CxSprite* logo : logos_) delete logo;
    delete view_;
    if (ownFont_) DeleteFont(fontHandle_);
    UnLink();
}

void CKelCreditsDialog::ReadSettings(CxOptions& options)
{
    pixelsPerInterval_ = options.ReadInt("Credits", "ScrollPixelsPerInterval", 3);
    interval_ = uint32_t(std::max(1, options.ReadInt("Credits", "ScrollTimeInterval", 100)));
    spacing_ = std::clamp(options.ReadInt("Credits", "TextSpacing", 4), 1 - kBandHeight, kMaxTextHeight);
    pointSize_ = options.ReadInt("Credits", "FontPointSize", 0);
}

void CKelCreditsDialog::SizeDialog(CxOptions& options)
{
    CxString background = options.ReadString("Credits", "Background", "");
    if (!background.IsEmpty()) {
        if (LoadDescribedImage(*this, background)) return;   // else the room's size
    }
    SetSizeValue(DisplaySize());
}

void CKelCreditsDialog::LoadFontFrom(CxOptions& options)
{
    CxString font = options.ReadString("Credits", "Font", "");
    if (font.IsEmpty()) return;
    int32_t handle = -1;
    if (LoadFont(BuildGamePath(font), &handle) == 0) {
        fontHandle_ = handle;
        ownFont_ = true;
    }
}

void CKelCreditsDialog::BuildText(CxOptions& options)
{
    CxString file = options.ReadString("Credits", "TextFile", "");
    if (file.IsEmpty()) return;
    char* bytes = nullptr;
    uint32_t size = 0;
    if (QorFileReadAll(BuildGamePath(file), &bytes, &size) != 0) {
        Error(ERR_FILE_NOT_FOUND, "Could not read the credits text %s", file.Text());
        return;
    }
    std::vector<CxString> lines = SplitCreditsText(bytes, size);
    QorFree(bytes);
    const int band = spacing_ + kBandHeight;
    if (int64_t(lines.size()) * band > kMaxTextHeight) {
        Print("Credits text %s cut to %d lines\n", file.Text(), kMaxTextHeight / band);
        lines.resize(size_t(kMaxTextHeight / band));
    }
    lineCount_ = int(lines.size());
    CxFont* font = FindFont(fontHandle_);
    int32_t width = 0;
    for (const CxString& line : lines) width = std::max(width, TextLineWidth(line, font, pointSize_));

    int depth = options.ReadInt("Credits", "Depth", 16);
    scroll_ = new CxSprite;
    scroll_->CreateSurface(width + kMarginWidth, lineCount_ * band + kMarginHeight, depth);
    if (!scroll_->GetSurface() || scroll_->GetSurface()->GetErrorCode() != 0) {
        delete scroll_;   // too large or a depth no surface has: reported
        scroll_ = nullptr;
        return;
    }
    CxDrawSurface* surface = scroll_->GetSurface();
    if (depth == 32) {
        surface->FillRect(nullptr, 0);
        scroll_->SetEffects(BLT_EFFECT_ALPHA);
    } else {
        CxPixel magenta = surface->MakeColor(255, 0, 255);
        surface->FillRect(nullptr, magenta);
        scroll_->SetMaskColor(magenta);
    }
    int red = 255, green = 255, blue = 255;
    CxString colour = options.ReadString("Credits", "FontColor", "255, 255, 255");
    sscanf(colour.Text(), "%d, %d, %d", &red, &green, &blue);
    CxPixel ink = surface->MakeColor(red, green, blue);
    if (depth == 32) ink |= 0xFF000000u;   // opaque where the text is: the sprite blends by alpha
    RenderLines(surface, lines, ink);
    scroll_->Create(0, GetHeight(), scroll_->GetWidth(), scroll_->GetHeight(), view_, 0);
    scroll_->Show();
}

void CKelCreditsDialog::RenderLines(CxDrawSurface* surface, const std::vector<CxString>& lines, CxPixel colour)
{
    CxFont* font = FindFont(fontHandle_);
    const int band = spacing_ + kBandHeight;
    const int32_t right = surface->GetWidth() - 1;
    for (size_t i = 0; i < lines.size(); ++i) {
        int32_t top = int32_t(i) * band;
        CxRect rect{0, top, right, top + kBandHeight - 1};
        DrawString(surface, rect, colour, lines[i], TEXT_CENTER | TEXT_CENTER_VERTICAL, pointSize_, font,
                   CX_FONT_TRANSPARENT, 0, nullptr);
    }
}

CxSprite* CKelCreditsDialog::NewImageSprite(const char* path, CxDisplayObject* parent)
{
    auto* sprite = new CxSprite;
    if (!LoadDescribedImage(*sprite, path)) {
        delete sprite;   // the loader reported it; the credits go on without the picture
        return nullptr;
    }
    if (sprite->GetSurface()->GetDepth() == 32) sprite->SetEffects(BLT_EFFECT_ALPHA);
    else sprite->SetMaskColor(sprite->GetSurface()->GetPixel(0, 0));
    sprite->Link(parent);
    return sprite;
}

// The first logo heads the text, the second follows its last line.
void CKelCreditsDialog::PlaceLogos(CxOptions& options)
{
    if (!scroll_) return;
    const char* keys[] = {"Logo1", "Logo2"};
    for (int i = 0; i < 2; ++i) {
        CxString path = options.ReadString("Credits", keys[i], "");
        if (path.IsEmpty() || !(logos_[i] = NewImageSprite(path, scroll_))) continue;
        int32_t x = (scroll_->GetWidth() - logos_[i]->GetWidth()) / 2;
        int32_t y = i == 0 ? -logos_[i]->GetHeight() : lineCount_ * (spacing_ + kBandHeight);
        logos_[i]->Paint(x, y);
    }
}

void CKelCreditsDialog::PlaceMasks(CxOptions& options)
{
    const char* keys[][2] = {{"Mask1", "Mask1Position"}, {"Mask2", "Mask2Position"}};
    for (int i = 0; i < 2; ++i) {
        CxString path = options.ReadString("Credits", keys[i][0], "");
        if (path.IsEmpty() || !(masks_[i] = NewImageSprite(path, this))) continue;
        CxPoint at;
        options.GetPoint("Credits", keys[i][1], &at, CxPoint{0, 0});
        masks_[i]->SetZOrder(Z_FRONT);
        masks_[i]->Paint(at.x, at.y);
    }
}

// ------------------------------------------------------------- running
void CKelCreditsDialog::StartScrolling()
{
    if (!scroll_ || timer_) return;   // without a text only input ends the credits
    timer_ = new CxTimerCallBack(this, interval_);
    timer_->Start(0);
}

void CKelCreditsDialog::OnTimer(CxTimerCallBack*)
{
    if (!scroll_ || IsModalEnded()) return;
    CxPoint at = scroll_->GetPosition();
    scroll_->Paint(at.x, at.y - pixelsPerInterval_);
    if (scroll_->GetPosition().y <= -scroll_->GetHeight()) EndModal();
}

void CKelCreditsDialog::OnKeyDown(KeyCode key, uint32_t flags)
{
    for (KeyCode end : kEndKeys)
        if (key == end) {
            EndModal();
            return;
        }
    CxSprite::OnKeyDown(key, flags);
}

void CKelCreditsDialog::OnLButtonDown(uint32_t, CxPoint) { EndModal(); }

int CKelCreditsDialog::ShowModal(CxDisplayObject* parent)
{
    if (parent) Link(parent);
    SetZOrder(Z_FRONT);
    Show();
    StartScrolling();
    int code = DoModal();
    delete timer_;
    timer_ = nullptr;
    Hide();
    return code;
}
