#include "graphics/CxScreenSoftware.h"
#include "graphics/CxScreenCursor.h"
#include "graphics/CxPal.h"
#include "platform/window/PlatformScreen.h"

namespace {
constexpr int kBatch = 64;
constexpr int kMaxModes = 64;

// Adds r, swallowing every rectangle it overlaps, so no area is sent twice.
void AddMerged(CxLinkedList<CxRect>& list, CxRect r)
{
    for (auto* node = list.GetHead(); node;) {
        if (RectsIntersect(node->value, r)) {
            r = UnionRects(r, node->value);
            list.RemoveAt(node);
            node = list.GetHead();
        } else {
            node = node->next;
        }
    }
    list.AddTail(r);
}

// The platform layout that shows a surface as it is, or false when the
// surface must first be copied to 32 bits.
bool DirectLayout(const CxDrawSurface& s, PlatPixelLayout* layout)
{
    if (s.GetDepth() == 32 && s.GetPixelFormat() == PIXFMT_RGB888) return *layout = PLAT_PIXELS_X8R8G8B8, true;
    if (s.GetDepth() == 16 && s.GetPixelFormat() == PIXFMT_565) return *layout = PLAT_PIXELS_R5G6B5, true;
    if (s.GetDepth() == 16 && s.GetPixelFormat() == PIXFMT_555) return *layout = PLAT_PIXELS_X1R5G5B5, true;
    return false;
}
}  // namespace

CxSoftwareScreen::~CxSoftwareScreen() { Close(); }

// ------------------------------------------------------------- opening
int CxSoftwareScreen::ChooseFormat(int depth, int displayDepth, int redBits, int greenBits, int blueBits,
                                   uint8_t* format)
{
    uint8_t display16 = greenBits == 6 ? PIXFMT_565 : PIXFMT_555;
    if (displayDepth == 16 && redBits == 5 && blueBits == 5) SetDisplay16BitFormat(display16);
    if (depth == 16) {
        *format = displayDepth == 16 ? display16 : uint8_t(PIXFMT_565);
        SetDisplay16BitFormat(*format);   // pictures loaded from now on match the screen
    } else if (depth == 24 || depth == 32) {
        *format = PIXFMT_RGB888;
    } else if (depth >= 1 && depth <= 8 && IsValidDepth(depth)) {
        *format = PIXFMT_INDEXED;
    } else {
        return ERR_INVALID_ARGUMENT;
    }
    return 0;
}

int CxSoftwareScreen::Open(const CxScreenOpenParams& params)
{
    Close();
    errorCode_ = 0;
    window_ = params.window;
    exclusive_ = renderer_ && !params.windowed;
    platform_ = PlatScreenOpen(renderer_ ? PLAT_SCREEN_RENDERER : PLAT_SCREEN_WINDOW_SURFACE, params.width,
                               params.height, exclusive_);
    // Falling back to the next screen is the designed answer to a screen that
    // cannot open, so only the code is kept here; the caller decides.
    if (!platform_) return errorCode_ = renderer_ ? ERR_DIRECTX : ERR_UNKNOWN;

    PlatScreenInfo info = PlatScreenGetInfo(platform_);
    int depth = params.depth < 1 ? info.depth : params.depth;
    uint8_t format = PIXFMT_DEFAULT;
    int code = ChooseFormat(depth, info.depth, info.redBits, info.greenBits, info.blueBits, &format);
    if (code == 0) code = surface_.Create(params.width, params.height, depth, -1, nullptr, format);
    PlatPixelLayout layout;
    if (code == 0 && !DirectLayout(surface_, &layout))
        code = staging_.Create(params.width, params.height, 32, -1, nullptr, PIXFMT_RGB888);
    if (code != 0) {
        Close();
        return errorCode_ = code;
    }
    if (palette_) SetPalette(palette_);
    lastCursor_ = CxRect{};
    return 0;
}

void CxSoftwareScreen::Close()
{
    PlatScreenClose(platform_);
    platform_ = nullptr;
    surface_.Destroy();
    staging_.Destroy();
    exclusive_ = false;
}

void CxSoftwareScreen::SetPalette(CxOSPalette* palette)
{
    palette_ = palette;
    if (!palette_ || surface_.GetDepth() > 8 || !surface_.IsCreated()) return;
    surface_.SetPalette(palette_->GetBytes(), palette_->GetEntryCount() * 3);
}

int CxSoftwareScreen::EnumDisplayModes(CxDisplayModeCallback callback, void* user)
{
    return EnumSystemDisplayModes(callback, user);
}

// Every screen on this platform shows the display modes the window layer lists.
int CxScreenSurface::EnumSystemDisplayModes(CxDisplayModeCallback callback, void* user)
{
    int32_t widths[kMaxModes], heights[kMaxModes], depths[kMaxModes];
    int count = PlatDisplayModes(widths, heights, depths, kMaxModes);
    if (count <= 0) return Error(ERR_UNKNOWN, "EnumDisplayModes() failed");
    for (int i = 0; i < count && callback; ++i)
        if (callback(widths[i], heights[i], depths[i], user) != 0) break;
    return 0;
}

// ------------------------------------------------------------- presenting
int CxScreenSurface::PresentRect(const CxRect& rect)
{
    CxLinkedList<CxRect> one;
    one.AddTail(rect);
    return Present(&one);
}

int CxSoftwareScreen::Present(const CxLinkedList<CxRect>* rects)
{
    if (!platform_) return errorCode_ ? errorCode_ : ERR_UNKNOWN;
    CxLinkedList<CxRect> areas;
    CxRect clipped;
    if (!rects) areas.AddTail(surface_.GetRect());
    for (auto* node = rects ? rects->GetHead() : nullptr; node; node = node->next)
        if (surface_.ClipToSurface(&node->value, clipped)) AddMerged(areas, clipped);

    CxScreenCursor* cursor = GetScreenCursor();
    bool custom = cursor && cursor->IsCustom();
    if (areas.IsEmpty() && !(custom && cursor->Moved())) return 0;
    CxRect drawn;
    if (custom && cursor->Draw(&surface_)) {
        CxRect shown = cursor->GetRect();
        if (surface_.ClipToSurface(&shown, drawn)) AddMerged(areas, drawn);
    }
    if (!lastCursor_.IsEmpty()) AddMerged(areas, lastCursor_);   // uncovers where it was
    int code = ShowAreas(areas);
    if (custom) cursor->Restore(&surface_);
    lastCursor_ = drawn;
    return code;
}

int CxSoftwareScreen::ShowAreas(const CxLinkedList<CxRect>& areas)
{
    CxRect batch[kBatch];
    int n = 0;
    for (auto* node = areas.GetHead(); node; node = node->next) {
        batch[n++] = node->value;
        if (n == kBatch || !node->next) {
            if (int code = ShowBatch(batch, n)) return code;
            n = 0;
        }
    }
    return 0;
}

bool CxSoftwareScreen::StageAreas(const CxRect* areas, int count)
{
    for (int i = 0; i < count; ++i)
        if (surface_.Blt(&staging_, &areas[i], &areas[i]) != 0) return false;
    return true;
}

int CxSoftwareScreen::ShowBatch(const CxRect* areas, int count)
{
    PlatRect rects[kBatch];
    for (int i = 0; i < count; ++i) rects[i] = PlatRect{areas[i].left, areas[i].top, areas[i].right, areas[i].bottom};
    PlatPixelLayout layout = PLAT_PIXELS_X8R8G8B8;
    const CxDrawSurface* shown = &surface_;
    if (!DirectLayout(surface_, &layout)) {
        if (!StageAreas(areas, count)) return ERR_UNKNOWN;
        shown = &staging_;
    }
    bool ok = PlatScreenPresent(platform_, shown->GetBits(), shown->GetPitch(), layout, rects, count);
    return ok ? 0 : ERR_UNKNOWN;
}

void CxSoftwareScreen::UpdateCursor()
{
    CxScreenCursor* cursor = GetScreenCursor();
    if (!cursor || !cursor->IsCustom() || !cursor->Moved()) return;
    CxLinkedList<CxRect> none;
    Present(&none);
}

bool CxSoftwareScreen::ReadShownPixels(uint32_t* out) const
{
    return platform_ && PlatScreenReadPixels(platform_, out, surface_.GetWidth(), surface_.GetHeight());
}
