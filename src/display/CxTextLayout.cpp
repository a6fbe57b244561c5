#include "display/CxTextLayout.h"
#include "foundation/CxMemory.h"
#include "graphics/CxFont.h"
#include "graphics/CxSurf.h"

#include <cstring>

namespace {
constexpr uint32_t kInsertedBreak = 0x80000000u | '\n';   // a line feed made by wrapping

bool IsLineFeed(uint32_t code) { return (code & 0x7FFFFFFFu) == '\n'; }
bool TakesNoRoom(uint32_t code) { return code == '\t' || code == '\r' || IsLineFeed(code); }
bool IsBreakCharacter(uint32_t code) { return code < 128 && code && strchr(CX_TEXT_BREAK_CHARACTERS, int(code)); }

// Decoded text with room for the line feeds that wrapping inserts.
class CodeText {
public:
    ~CodeText() { QorFree(codes_); }
    bool Decode(const char* text)
    {
        int count = DecodeUtf8(text, nullptr, 0);
        if (count < 0) return false;
        capacity_ = count * 2 + 1;
        codes_ = static_cast<uint32_t*>(QOR_ALLOC(sizeof(uint32_t) * size_t(capacity_), "CxTextLayout"));
        if (!codes_) return false;
        count_ = DecodeUtf8(text, codes_, count);
        return true;
    }
    bool Insert(int at, uint32_t code)
    {
        if (count_ >= capacity_) return false;
        memmove(codes_ + at + 1, codes_ + at, sizeof(uint32_t) * size_t(count_ - at));
        codes_[at] = code;
        ++count_;
        return true;
    }
    int Count() const { return count_; }
    uint32_t operator[](int i) const { return codes_[i]; }

private:
    uint32_t* codes_ = nullptr;
    int count_ = 0, capacity_ = 0;
};

struct Pen {
    CxFont* font;
    int size;
    CxSize spacing;
    int32_t Advance(uint32_t code) const
    {
        return TakesNoRoom(code) ? 0 : font->GlyphWidth(code, size) + spacing.width;
    }
};

// Width of the line that starts at `from`, up to its line feed (with wrap)
// or to the end.
int32_t LineWidth(const CodeText& text, int from, const Pen& pen, bool stopAtLineFeed)
{
    int64_t width = 0;
    for (int i = from; i < text.Count() && !(stopAtLineFeed && IsLineFeed(text[i])); ++i) width += pen.Advance(text[i]);
    return width > INT32_MAX ? INT32_MAX : int32_t(width);
}

// Where the line starting at `start` must break, or -1 when it ends at a
// line feed or at the end of the text; `next` gets where to go on.
int FindBreak(const CodeText& text, int start, int32_t width, const Pen& pen, int& next)
{
    int64_t sum = 0;
    int k = start;
    for (; k < text.Count() && !IsLineFeed(text[k]); ++k) {
        sum += pen.Advance(text[k]);
        if (sum >= width) break;
    }
    if (k >= text.Count() || IsLineFeed(text[k])) return next = k + 1, -1;
    int at = k - 1;   // no break character: cut one before the overflowing one
    for (int j = k - 1; j > start; --j)
        if (IsBreakCharacter(text[j])) {
            if (j != text.Count() - 1) at = j + 1;
            break;
        }
    if (at <= start) at = start + 1;   // at least one character per line
    return at;
}

int Wrap(CodeText& text, const CxRect& rect, const Pen& pen)
{
    int lines = 1;
    for (int i = 0; i < text.Count(); ++i) lines += IsLineFeed(text[i]);
    int32_t width = rect.Width();
    int start = 0;
    while (start < text.Count()) {
        int next = 0;
        int at = FindBreak(text, start, width, pen, next);
        if (at < 0) {
            start = next;
            continue;
        }
        if (at >= text.Count() || !text.Insert(at, kInsertedBreak)) break;
        ++lines;
        start = at + 1;
    }
    return lines;
}

int32_t AlignedX(const CxRect& rect, int32_t width, uint32_t flags)
{
    if (flags & TEXT_CENTER) return rect.left + (rect.right - rect.left - width + 1) / 2;
    if (flags & TEXT_ALIGN_RIGHT) return rect.right - width + 1;
    return rect.left;
}

int32_t AlignedY(const CxRect& rect, int32_t height, uint32_t flags)
{
    if (flags & TEXT_CENTER_VERTICAL) return rect.top + (rect.bottom - height - rect.top + 1) / 2;
    if (flags & TEXT_ALIGN_BOTTOM) return rect.bottom - height + 1;
    return rect.top;
}

struct DrawJob {
    CxDrawSurface* surface;
    const CxRect& rect;
    CxPixel colour, background, shadow;
    uint32_t flags;
    const CxTextHighlight* highlight;
    Pen pen;
};

int32_t DrawCharacter(const DrawJob& job, int32_t x, int32_t y, uint32_t code, int index)
{
    CxFont* font = job.pen.font;
    bool lit = job.highlight && index >= job.highlight->start && index < job.highlight->end;
    if (lit) {
        int32_t lineHeight = font->LineHeight(job.pen.size);
        CxRect box{x, y, x + font->GlyphWidth(code, job.pen.size) + job.pen.spacing.width - 1,
                   y + job.pen.spacing.height + lineHeight - 1};
        job.surface->FillRect(&box, job.highlight->background);
    }
    if (job.flags & TEXT_SHADOW)
        font->DrawGlyph(job.surface, x + 1, y + 1, code, job.shadow, job.pen.size, job.background, job.flags);
    CxPixel colour = lit ? job.highlight->colour : job.colour;
    return font->DrawGlyph(job.surface, x, y, code, colour, job.pen.size, job.background, job.flags) +
           job.pen.spacing.width;
}

void DrawCodes(const DrawJob& job, const CodeText& text, int lines)
{
    bool wrap = (job.flags & TEXT_WORD_WRAP) != 0;
    int32_t lineHeight = job.pen.font->LineHeight(job.pen.size);
    int64_t height = int64_t(lineHeight) * lines + int64_t(job.pen.spacing.height) * (lines - 1);
    int32_t x = AlignedX(job.rect, LineWidth(text, 0, job.pen, wrap), job.flags);
    int32_t y = AlignedY(job.rect, int32_t(height), job.flags);
    int index = 0;
    for (int i = 0; i < text.Count(); ++i) {
        uint32_t code = text[i];
        bool own = code != kInsertedBreak;   // inserted breaks are no characters of the text
        if (IsLineFeed(code)) {
            if (wrap) {
                x = AlignedX(job.rect, LineWidth(text, i + 1, job.pen, true), job.flags);
                y += job.pen.spacing.height + lineHeight;
            }
        } else if (code != '\t' && code != '\r') {
            x += DrawCharacter(job, x, y, code, index);
            if (!wrap && x >= job.rect.right) break;
        }
        index += own;
    }
}
}  // namespace

void DrawString(CxDrawSurface* surface, const CxRect& rect, CxPixel colour, const char* text, uint32_t flags,
                int pointSize, CxFont* font, CxPixel background, CxPixel shadow, const CxTextHighlight* highlight)
{
    if (!font) font = FindFont(CX_DEFAULT_FONT);
    if (!font || !surface || !text || !*text) return;
    CodeText codes;
    if (!codes.Decode(text)) return;
    Pen pen{font, font->ResolvePointSize(pointSize), font->GetSpacing()};
    int lines = (flags & TEXT_WORD_WRAP) ? Wrap(codes, rect, pen) : 1;
    DrawCodes(DrawJob{surface, rect, colour, background, shadow, flags, highlight, pen}, codes, lines);
}

int WrapText(const char* text, const CxRect& rect, CxFont* font, int pointSize, CxString& out)
{
    out.Empty();
    if (!font) font = FindFont(CX_DEFAULT_FONT);
    CodeText codes;
    if (!font || !codes.Decode(text)) return 0;
    int lines = Wrap(codes, rect, Pen{font, font->ResolvePointSize(pointSize), font->GetSpacing()});
    for (int i = 0; i < codes.Count(); ++i) {
        char bytes[4];
        out.Append(bytes, EncodeUtf8(codes[i] & 0x7FFFFFFFu, bytes, 4));
    }
    return lines;
}

int32_t TextLineWidth(const char* text, CxFont* font, int pointSize)
{
    if (!font) font = FindFont(CX_DEFAULT_FONT);
    CodeText codes;
    if (!font || !text || !codes.Decode(text)) return 0;
    return LineWidth(codes, 0, Pen{font, font->ResolvePointSize(pointSize), font->GetSpacing()}, false);
}
