// The font list, the font file filters and the UTF-8 reader shared by every
// font.
#include "graphics/CxFont.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"

#include <cstring>

namespace {
struct FontFilter {
    char extension[8];
    CxFontLoadRoutine load;
};

struct FontRegistry {
    CxLinkedList<CxFont*> fonts;
    FontFilter filters[CX_FONT_FILTER_SLOTS] = {};
    int32_t defaultHandle = 0;   // 0: no default font
    int32_t nextHandle = 1;
};

// Never destroyed: fonts still listed at exit stay reachable, and a font
// deleted during another static object's destruction still finds the list.
FontRegistry& Registry()
{
    static FontRegistry* registry = new FontRegistry;
    return *registry;
}

const char* ExtensionOf(const char* path)
{
    const char* dot = path ? strrchr(path, '.') : nullptr;
    const char* slash = path ? strrchr(path, '/') : nullptr;
    return dot && (!slash || dot > slash) ? dot : nullptr;
}

// Length of the sequence a lead byte starts and the smallest value it may
// encode (to refuse overlong forms); 0 for a byte that cannot lead.
int SequenceLength(uint8_t lead, uint32_t& value, uint32_t& minimum)
{
    if (lead < 0x80) return value = lead, minimum = 0, 1;
    if ((lead & 0xE0) == 0xC0) return value = lead & 0x1F, minimum = 0x80, 2;
    if ((lead & 0xF0) == 0xE0) return value = lead & 0x0F, minimum = 0x800, 3;
    if ((lead & 0xF8) == 0xF0) return value = lead & 0x07, minimum = 0x10000, 4;
    return 0;
}
}  // namespace

// ======================================================================
// CxFont
// ======================================================================

CxFont::~CxFont()
{
    FontRegistry& r = Registry();
    if (!r.fonts.Remove(this)) return;
    if (handle_ == r.defaultHandle || r.fonts.IsEmpty()) r.defaultHandle = 0;
}

int32_t CxFont::MeasureString(const char* text, int pointSize)
{
    int count = DecodeUtf8(text, nullptr, 0);
    if (count <= 0) return 0;
    auto* codes = static_cast<uint32_t*>(QOR_ALLOC(sizeof(uint32_t) * size_t(count), __FILE__));
    if (!codes) return 0;
    DecodeUtf8(text, codes, count);
    int64_t width = 0;
    for (int i = 0; i < count; ++i) width += GlyphWidth(codes[i], pointSize);
    QorFree(codes);
    return width > INT32_MAX ? INT32_MAX : int32_t(width);
}

void CxFont::ReportMissingGlyph(int code, const char* message)
{
    if (missingReported_) return;
    missingReported_ = true;
    Error(code, "%s", message);
}

// ======================================================================
// UTF-8
// ======================================================================

int DecodeUtf8(const char* text, uint32_t* out, int capacity)
{
    if (!text) return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(text);
    int count = 0;
    while (*p) {
        uint32_t value = 0, minimum = 0;
        int length = SequenceLength(*p, value, minimum);
        if (length == 0) return -1;
        for (int k = 1; k < length; ++k) {
            if ((p[k] & 0xC0) != 0x80) return -1;   // also stops at the terminator
            value = value << 6 | (p[k] & 0x3F);
        }
        if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return -1;
        if (out && count < capacity) out[count] = value;
        ++count;
        p += length;
    }
    return count;
}

int EncodeUtf8(uint32_t code, char* out, int capacity)
{
    if (code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    int length = code < 0x80 ? 1 : code < 0x800 ? 2 : code < 0x10000 ? 3 : 4;
    if (!out || capacity < length) return 0;
    static const uint8_t kLead[] = {0, 0, 0xC0, 0xE0, 0xF0};
    for (int k = length - 1; k > 0; --k, code >>= 6) out[k] = char(0x80 | (code & 0x3F));
    out[0] = char(length == 1 ? code : (kLead[length] | code));
    return length;
}

// ======================================================================
// Filters
// ======================================================================

int RegisterFontFilter(const char* extension, CxFontLoadRoutine load)
{
    if (!extension || extension[0] != '.')
        return ReportError(ERR_INVALID_ARGUMENT, "Extension MUST include the period as in '.ttf'");
    for (FontFilter& f : Registry().filters)
        if (!f.extension[0]) {
            CopyText(f.extension, extension, sizeof f.extension);
            f.load = load;
            return 0;
        }
    return 0;   // a full table takes nothing, as designed
}

void UnregisterFontFilter(const char* extension)
{
    for (FontFilter& f : Registry().filters)
        if (f.extension[0] && TextEquals(f.extension, extension, true)) f = FontFilter{};
}

int LoadFont(const char* path, int32_t* handle)
{
    const char* extension = ExtensionOf(path);
    const FontFilter* filter = nullptr;
    for (const FontFilter& f : Registry().filters)
        if (extension && f.extension[0] && TextEquals(f.extension, extension, true)) {
            filter = &f;
            break;
        }
    if (filter && !filter->load) {
        ReportError(ERR_INVALID_ARGUMENT, "No Load function registered for '%s'", path);
        return ERR_INVALID_ARGUMENT;
    }
    CxFont* font = filter ? filter->load(path, 0) : nullptr;
    if (!font) {
        ReportError(ERR_UNKNOWN, "No font file filter registered for '%s'", path ? path : "");
        return ERR_UNKNOWN;
    }
    if (int code = font->GetErrorCode()) {   // the font reported its own failure
        delete font;
        return code;
    }
    int32_t h = AddFont(font);
    if (handle) *handle = h;
    return 0;
}

// ======================================================================
// The font list
// ======================================================================

int32_t AddFont(CxFont* font)
{
    if (!font) return 0;
    FontRegistry& r = Registry();
    if (!r.fonts.Find(font)) {
        font->SetHandle(r.nextHandle++);
        r.fonts.AddTail(font);
    }
    return font->GetHandle();
}

CxFont* FindFont(int32_t handle)
{
    FontRegistry& r = Registry();
    if (handle == CX_DEFAULT_FONT) handle = r.defaultHandle;
    if (handle == 0) return nullptr;
    for (auto* node = r.fonts.GetHead(); node; node = node->next)
        if (node->value->GetHandle() == handle) return node->value;
    return nullptr;
}

int DeleteFont(int32_t handle)
{
    CxFont* font = FindFont(handle);
    if (!font) return ERR_INVALID_ARGUMENT;
    delete font;   // leaves the list on its way out
    return 0;
}

int FontCount() { return Registry().fonts.GetCount(); }

int32_t GetDefaultFontHandle() { return Registry().defaultHandle; }

void SetDefaultFontHandle(int32_t handle) { Registry().defaultHandle = handle; }
