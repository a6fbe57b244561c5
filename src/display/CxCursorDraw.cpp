// Custom cursors: drawing the current cursor into the screen surface and
// putting back the pixels it covered.  The save-under surface is kept as
// large as the largest cursor frame, so drawing never allocates.
#include "display/CxCursorState.h"
#include "core/CxTime.h"
#include "graphics/CxSurf.h"

using cursors::Get;

namespace {
CxPoint DrawPosition(const cursors::State& s)
{
    return CxPoint{s.position.x - s.current->hotSpot.x, s.position.y - s.current->hotSpot.y};
}

bool IsAnimated(const CxCursorImage& c) { return c.frameCount > 1 && c.frameRate > 0; }

void AdvanceFrame(CxCursorImage& c)
{
    if (!IsAnimated(c)) return;
    uint32_t now = QorTickCount();
    if (c.nextFrameTick != 0 && int32_t(now - c.nextFrameTick) < 0) return;
    if (c.nextFrameTick != 0) c.frame = (c.frame + 1) % c.frameCount;
    c.nextFrameTick = now + uint32_t(1000.0 / c.frameRate);
}

// The saved pixels as a rectangle of the save-under surface.
CxRect SavedArea(const cursors::State& s) { return CxRect{0, 0, s.saved.Width() - 1, s.saved.Height() - 1}; }
}  // namespace

namespace cursors {
int GrowSaveUnder(int32_t width, int32_t height)
{
    State& s = Get();
    CxDrawSurface* old = s.saveUnder;
    if (old && old->GetWidth() >= width && old->GetHeight() >= height) return 0;
    if (old) {
        width = width > old->GetWidth() ? width : old->GetWidth();
        height = height > old->GetHeight() ? height : old->GetHeight();
    }
    auto* grown = new CxDrawSurface;
    uint8_t format = s.depth == 16 && s.format16 ? s.format16 : uint8_t(PIXFMT_DEFAULT);
    if (int code = grown->Create(width, height, s.depth, -1, nullptr, format)) {
        delete grown;
        return code;
    }
    if (old) old->BltAt(grown, 0, 0);   // pixels saved before the growth stay valid
    s.saveUnder = grown;
    delete old;
    return 0;
}
}  // namespace cursors

bool DrawCursor(CxDrawSurface* target)
{
    cursors::State& s = Get();
    s.pixelsSaved = false;
    if (!s.custom || !s.current || !target || s.hideCount > 0) {
        s.drawn = CxRect{};
        return false;
    }
    CxCursorImage& c = *s.current;
    AdvanceFrame(c);
    int32_t width = cursors::FrameWidth(c), height = c.image->GetHeight();
    CxPoint at = DrawPosition(s);
    CxRect area{at.x, at.y, at.x + width - 1, at.y + height - 1};
    if (s.saveUnder && target->ClipToSurface(&area, s.saved)) {
        s.pixelsSaved = target->BltAt(s.saveUnder, 0, 0, &s.saved) == 0;
    }
    CxRect frame{c.frame * width, 0, c.frame * width + width - 1, height - 1};
    BltEffects alpha;
    alpha.code = BLT_EFFECT_ALPHA;
    bool blend = c.image->GetDepth() == 32 && c.image->GetTransparentColor() == CX_NO_COLOR;
    c.image->BltAt(target, at.x, at.y, &frame, c.image->GetTransparentColor(), blend ? &alpha : nullptr);
    s.drawn = area;
    s.redraw = false;
    return true;
}

void RestoreUnderCursor(CxDrawSurface* target)
{
    cursors::State& s = Get();
    if (!s.custom || s.hideCount > 0 || !s.pixelsSaved || !target) return;
    CxRect area = SavedArea(s);
    s.saveUnder->BltAt(target, s.saved.left, s.saved.top, &area);
    s.pixelsSaved = false;
}

bool CursorMoved()
{
    cursors::State& s = Get();
    if (!s.custom) return false;
    bool shown = s.current && s.hideCount == 0;
    if (!shown) return !s.drawn.IsEmpty();   // still on screen: must be taken away
    if (s.redraw || IsAnimated(*s.current) || s.drawn.IsEmpty()) return true;
    CxPoint at = DrawPosition(s);
    return at.x != s.drawn.left || at.y != s.drawn.top;
}

CxRect GetCursorRect() { return Get().drawn; }

CxSize GetSaveUnderSize()
{
    CxDrawSurface* s = Get().saveUnder;
    return s ? CxSize{s->GetWidth(), s->GetHeight()} : CxSize{};
}
