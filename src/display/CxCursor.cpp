// Cursor list, selection and the hide counter.
#include "display/CxCursorState.h"
#include "display/CxSprite.h"
#include "graphics/CxScreenCursor.h"
#include "core/CxError.h"
#include "graphics/CxSurf.h"
#include "platform/window/PlatformCursor.h"
#include "platform/window/PlatformWindow.h"

#include <cstdlib>

namespace cursors {
State& Get()
{
    static State state;
    return state;
}

void DeleteImage(CxCursorImage* image)
{
    if (!image) return;
    delete image->image;
    delete image;
}

int32_t FrameWidth(const CxCursorImage& image)
{
    int32_t frames = image.frameCount > 0 ? image.frameCount : 1;
    return image.image ? image.image->GetWidth() / frames : 0;
}
}  // namespace cursors

using cursors::Get;

namespace {
// Converts to the screen's depth and format, carrying the transparent colour
// over through one of its pixels.
int ConvertForScreen(CxDrawSurface* image)
{
    cursors::State& s = Get();
    uint8_t format = s.depth == 16 && s.format16 ? s.format16 : DefaultPixelFormat(s.depth);
    if (image->GetDepth() == s.depth && image->GetPixelFormat() == format) return 0;
    CxPixel transparent = image->GetTransparentColor();
    int32_t x = 0, y = 0;
    bool found = transparent != CX_NO_COLOR && image->FindPixel(transparent, x, y);
    if (int code = image->ConvertTo(s.depth, format)) return code;
    image->SetTransparentColor(found ? image->GetPixel(x, y) : CX_NO_COLOR);
    return 0;
}

// The system cursor for the image: its first frame as A8R8G8B8, clear where
// the image is transparent.
void DefineSystemImage(const CxCursorImage& cursor)
{
    CxDrawSurface* image = cursor.image;
    int32_t width = cursors::FrameWidth(cursor), height = image->GetHeight();
    if (width <= 0 || height <= 0) return;
    auto* pixels = static_cast<uint32_t*>(std::calloc(size_t(width) * size_t(height), sizeof(uint32_t)));
    if (!pixels) return;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            CxPixel value = image->GetPixel(x, y);
            CxPixel key = image->GetTransparentColor();
            if (key != CX_NO_COLOR && value == key) continue;   // a 32-bit opaque white pixel is no key
            int a, r, g, b;
            image->DecodePixel(value, a, r, g, b);
            if (image->GetDepth() < 32) a = 255;
            pixels[y * width + x] = uint32_t(a) << 24 | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
        }
    PlatCursorDefineImage(cursor.id, pixels, width, height, cursor.hotSpot.x, cursor.hotSpot.y);
    std::free(pixels);
}

void ShowSystemCursorFor(int32_t id)
{
    if (PlatCursorSetImage(id)) return;
    static const PlatCursorShape kShapes[] = {PLAT_CURSOR_ARROW, PLAT_CURSOR_WAIT, PLAT_CURSOR_IBEAM, PLAT_CURSOR_NO,
                                              PLAT_CURSOR_HAND};
    PlatCursorSetShape(id >= 0 && id <= 4 ? kShapes[id] : PLAT_CURSOR_ARROW);
}
}  // namespace

// ------------------------------------------------------------- start and stop
void InitCursors(bool custom, int depth, uint8_t format16)
{
    ShutdownCursors();
    cursors::State& s = Get();
    s.custom = custom;
    s.depth = depth > 0 ? depth : 32;
    s.format16 = format16;
    if (custom) {
        PlatShowSystemCursor(false);
        for (int32_t id = CURSOR_ARROW; id <= CURSOR_HAND; ++id) {
            CxPoint hot;
            CxDrawSurface* image = MakeBuiltInCursor(id, &hot);
            AddCursor(image, id, hot.x, hot.y);
        }
    }
    s.defaultId = 0;
    SetCursorId(0);
}

void ShutdownCursors()
{
    cursors::State& s = Get();
    while (!s.images.IsEmpty()) cursors::DeleteImage(s.images.RemoveHead());
    delete s.saveUnder;
    s.saveUnder = nullptr;
    s.names.RemoveAll();
    PlatCursorForgetImages();
    if (s.custom || s.hideCount > 0) PlatShowSystemCursor(true);
    s.custom = false;
    s.current = nullptr;
    s.currentId = cursors::kNoCursor;
    s.defaultId = 0;
    s.hideCount = 0;
    s.redraw = false;
    s.pixelsSaved = false;
    s.saved = s.drawn = CxRect{};
}

bool CursorsAreCustom() { return Get().custom; }

// ------------------------------------------------------------- the list
int AddCursor(CxDrawSurface* image, int32_t id, int32_t hotX, int32_t hotY)
{
    cursors::State& s = Get();
    if (!image) return ReportError(ERR_INVALID_ARGUMENT, "AddCursor(%d): no image", int(id));
    if (s.custom) {
        if (int code = ConvertForScreen(image)) {
            delete image;
            return code;
        }
    }
    auto* cursor = new CxCursorImage;
    cursor->image = image;
    cursor->hotSpot = CxPoint{hotX, hotY};
    cursor->id = id;
    RemoveCursor(id);
    s.images.AddTail(cursor);
    if (!s.custom) DefineSystemImage(*cursor);
    if (s.custom) return cursors::GrowSaveUnder(image->GetWidth(), image->GetHeight());
    return 0;
}

int SetCursorAnimation(int32_t id, int32_t frames, double framesPerSecond)
{
    CxCursorImage* cursor = FindCursor(id);
    if (!cursor || frames < 1 || frames > cursor->image->GetWidth() || framesPerSecond < 0) return ERR_INVALID_ARGUMENT;
    cursor->frameCount = frames;
    cursor->frame = 0;
    cursor->frameRate = framesPerSecond;
    cursor->nextFrameTick = 0;
    return 0;
}

void RemoveCursor(int32_t id)
{
    cursors::State& s = Get();
    for (auto* node = s.images.GetHead(); node; node = node->next) {
        if (node->value->id != id) continue;
        CxCursorImage* cursor = s.images.RemoveAt(node);
        if (s.current == cursor) {
            s.current = nullptr;
            s.redraw = true;
        }
        if (s.defaultId == id) s.defaultId = 0;
        cursors::DeleteImage(cursor);
        return;
    }
}

CxCursorImage* FindCursor(int32_t id)
{
    cursors::State& s = Get();
    if (id == CURSOR_CURRENT) return s.current;
    for (auto* node = s.images.GetHead(); node; node = node->next)
        if (node->value->id == id) return node->value;
    return nullptr;
}

// The picture becomes the cursor's image in both modes: drawn by the engine
// with custom cursors, handed to the system otherwise.  A 32-bit picture's
// transparent corner keys it when it is converted to the screen's depth.
int LoadCursorResource(const char* path, int32_t id, int32_t hotX, int32_t hotY)
{
    CxDrawSurface* image = path && *path ? LoadImageSurface(path, 0) : nullptr;
    if (!image || image->GetErrorCode() != 0 || !image->IsCreated()) {
        delete image;
        return ReportError(ERR_UNKNOWN, "Unable to load cursor %s", path ? path : "");
    }
    image->SetTransparentColor(image->GetPixel(0, 0));
    if (AddCursor(image, id, hotX, hotY) != 0) return ReportError(ERR_UNKNOWN, "Unable to load cursor %s", path);
    return 0;
}

// ------------------------------------------------------------- selection
void SetCursorId(int32_t id)
{
    cursors::State& s = Get();
    if (id == s.currentId) return;
    s.currentId = id;
    if (!s.custom) return ShowSystemCursorFor(id);
    CxCursorImage* cursor = FindCursor(id);
    if (!cursor) return;
    s.current = cursor;
    s.redraw = true;
}

int32_t GetCursorId()
{
    cursors::State& s = Get();
    if (s.custom) return s.current ? s.current->id : 0;
    return s.currentId == cursors::kNoCursor ? 0 : s.currentId;
}

void SetDefaultCursorId(int32_t id) { Get().defaultId = id; }
int32_t GetDefaultCursorId() { return Get().defaultId; }
void SelectDefaultCursor() { SetCursorId(Get().defaultId); }

// An unmatched ShowCursor is ignored rather than counted below zero, where
// it would make the next HideCursor do nothing.
void HideCursor()
{
    cursors::State& s = Get();
    if (++s.hideCount == 1 && !s.custom) PlatShowSystemCursor(false);
}

void ShowCursor()
{
    cursors::State& s = Get();
    if (s.hideCount == 0) return;
    if (--s.hideCount == 0 && !s.custom) PlatShowSystemCursor(true);
}

bool IsCursorHidden() { return Get().hideCount > 0; }
void SetCursorPosition(CxPoint point) { Get().position = point; }
CxPoint GetCursorPosition() { return Get().position; }

// ------------------------------------------------------------- screen side
namespace {
class CxCursorPainter final : public CxScreenCursor {
public:
    bool IsCustom() const override { return CursorsAreCustom(); }
    bool Moved() const override { return CursorMoved(); }
    bool Draw(CxDrawSurface* target) override { return DrawCursor(target); }
    void Restore(CxDrawSurface* target) override { RestoreUnderCursor(target); }
    CxRect GetRect() const override { return GetCursorRect(); }
};
}  // namespace

CxScreenCursor* GetCursorPainter()
{
    static CxCursorPainter painter;
    return &painter;
}
