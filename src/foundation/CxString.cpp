#include "foundation/CxString.h"
#include "foundation/CxMemory.h"
#include "foundation/Qorstr.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {
constexpr int kMaxCapacity = CX_STRING_MAX + 1;

int ClampedLength(const char* text)
{
    if (!text) return 0;
    const void* end = memchr(text, 0, CX_STRING_MAX + 1);
    return end ? int(static_cast<const char*>(end) - text) : CX_STRING_MAX;
}
}  // namespace

CxString::CxString(const char* text) { Assign(text); }
CxString::CxString(const CxString& other) : CxObject() { Assign(other.data_); }
CxString::CxString(int size) { Reserve(size); }
CxString::~CxString() { FreeBuffer(); }

CxString::CxString(CxString&& other) noexcept
    : CxObject(), data_(other.data_), length_(other.length_), capacityWord_(other.capacityWord_)
{
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacityWord_ = 0;
}

CxString& CxString::operator=(const CxString& other)
{
    Assign(other.data_);
    return *this;
}

CxString& CxString::operator=(CxString&& other) noexcept
{
    if (this == &other) return *this;
    FreeBuffer();
    data_ = other.data_;
    length_ = other.length_;
    capacityWord_ = other.capacityWord_;
    other.data_ = nullptr;
    other.length_ = 0;
    other.capacityWord_ = 0;
    return *this;
}

void CxString::FreeBuffer()
{
    if (data_ && !IsNotOwned()) QorFree(data_);
    data_ = nullptr;
    length_ = 0;
    capacityWord_ = 0;
}

bool CxString::TakeBuffer(int capacity)
{
    capacity = std::min(capacity, kMaxCapacity);
    auto* block = static_cast<char*>(QorAlloc(size_t(capacity), "CxString", __LINE__, true));
    if (!block) return false;
    data_ = block;
    capacityWord_ = uint16_t(capacity);   // an owned buffer: the not-owned bit goes
    return true;
}

void CxString::Reserve(int size)
{
    FreeBuffer();
    if (size > 0) TakeBuffer(size + 1);
}

void CxString::Empty() { FreeBuffer(); }

void CxString::Resize(int size)
{
    if (size < 0) size = 0;
    size = std::min(size, CX_STRING_MAX);
    char* old = data_;
    bool oldOwned = !IsNotOwned();
    int keep = std::min<int>(length_, size > 0 ? size - 1 : 0);
    data_ = nullptr;
    if (!TakeBuffer(size + 1)) { data_ = old; return; }
    if (old) memcpy(data_, old, size_t(keep));
    length_ = uint16_t(keep);
    data_[keep] = 0;
    if (old && oldOwned) QorFree(old);
}

char* CxString::GetBuffer()
{
    if (!data_) TakeBuffer(1);
    return data_;
}

void CxString::Attach(char* buffer, int capacity)
{
    FreeBuffer();
    if (!buffer || capacity <= 0) return;
    capacity = std::min(capacity, kMaxCapacity);
    data_ = buffer;
    data_[capacity - 1] = 0;
    length_ = uint16_t(strlen(buffer));
    capacityWord_ = uint16_t(0x8000 | capacity);
}

void CxString::Assign(const char* text)
{
    if (text == data_ && text) return;
    int n = ClampedLength(text);
    bool inside = text && data_ && text > data_ && text < data_ + GetCapacity();
    if (inside) {                        // a tail of our own text: it always fits
        memmove(data_, text, size_t(n));
        data_[n] = 0;
        length_ = uint16_t(n);
        return;
    }
    if (data_) { data_[0] = 0; length_ = 0; }
    if (!text) return;
    if (n >= GetCapacity()) {
        Reserve(n + 1);
        if (!data_) return;
    }
    memcpy(data_, text, size_t(n));
    data_[n] = 0;
    length_ = uint16_t(n);
}

void CxString::Append(const char* text) { Append(text, ClampedLength(text)); }
void CxString::Append(const CxString& other) { Append(other.data_, other.length_); }
void CxString::Append(char c) { Append(&c, 1); }

void CxString::Append(const char* text, int count)
{
    if (count <= 0 || !text) return;
    count = std::min(count, CX_STRING_MAX - int(length_));
    if (count <= 0) return;
    if (int(length_) + count < GetCapacity()) {
        memmove(data_ + length_, text, size_t(count));
    } else {
        char* old = data_;
        bool oldOwned = !IsNotOwned();
        int oldCapacity = GetCapacity();
        data_ = nullptr;
        if (!TakeBuffer(length_ + std::max(count, 20) + 1)) {
            data_ = old;
            SetCapacity(oldCapacity);
            return;
        }
        if (old) memcpy(data_, old, length_);
        memcpy(data_ + length_, text, size_t(count));   // text may live in old: free it after
        if (old && oldOwned) QorFree(old);
    }
    length_ = uint16_t(length_ + count);
    data_[length_] = 0;
}

CxString CxString::operator+(const char* text) const
{
    CxString result(*this);
    result.Append(text);
    return result;
}

void CxString::Format(const char* format, ...)
{
    char buffer[2048];
    buffer[0] = 0;
    if (format) {
        va_list args;
        va_start(args, format);
        vsnprintf(buffer, sizeof buffer, format, args);
        va_end(args);
    }
    int n = int(strlen(buffer));
    FreeBuffer();
    if (!TakeBuffer(n + 1)) return;
    memcpy(data_, buffer, size_t(n) + 1);
    length_ = uint16_t(n);
}

CxString CxString::FormatNew(const char* format, ...)
{
    CxString result;
    if (!format) return result;
    char buffer[256];
    va_list args;
    va_start(args, format);
    vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    result.Assign(buffer);
    return result;
}

int CxString::Find(char c, int start) const
{
    if (!data_ || start < 0 || start >= length_) return -1;
    const void* hit = memchr(data_ + start, c, size_t(length_ - start));
    return hit ? int(static_cast<const char*>(hit) - data_) : -1;
}

int CxString::FindOneOf(const char* characters, int start) const
{
    if (!data_ || !characters || start < 0 || start >= length_) return -1;
    for (int i = start; i < length_; ++i)
        if (strchr(characters, data_[i])) return i;
    return -1;
}

int CxString::Find(const char* text, int start) const
{
    if (!data_ || !text || start < 0 || start >= length_) return -1;
    const char* hit = strstr(data_ + start, text);
    return hit ? int(hit - data_) : -1;
}

int CxString::FindNoCase(const char* text, int start) const
{
    if (!data_ || !text || start < 0 || start >= length_) return -1;
    const char* hit = ::FindNoCase(data_ + start, text);
    return hit ? int(hit - data_) : -1;
}

int CxString::ReverseFind(char c) const
{
    if (!data_) return -1;
    for (int i = length_ - 1; i >= 0; --i)
        if (data_[i] == c) return i;
    return -1;
}

void CxString::Mid(int start, int count, CxString& out) const
{
    out.Empty();
    if (!data_ || start < 0 || start >= length_ || count <= 0) return;
    count = std::min(count, length_ - start);
    out.Reserve(count);
    out.Append(data_ + start, count);
}

void CxString::Mid(int start, CxString& out) const
{
    start = std::clamp(start, 0, int(length_));
    Mid(start, length_ - start, out);
}

void CxString::Left(int count, CxString& out) const { Mid(0, std::min(count, int(length_)), out); }

CxString CxString::Mid(int start, int count) const { CxString r; Mid(start, count, r); return r; }
CxString CxString::Mid(int start) const { CxString r; Mid(start, r); return r; }
CxString CxString::Left(int count) const { CxString r; Left(count, r); return r; }

int CxString::Compare(const char* text) const
{
    if (!data_) return -1;
    int r = strcmp(data_, text ? text : "");
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

int CxString::CompareNoCase(const char* text) const
{
    if (!data_) return -1;
    int r = strcasecmp(data_, text ? text : "");
    return r < 0 ? -1 : r > 0 ? 1 : 0;
}

char CxString::GetAt(int index) const
{
    if (!data_ || index < 0 || index > length_) return 0;
    return data_[index];
}

void CxString::SetAt(int index, char c)
{
    if (!data_ || index < 0 || index >= length_) return;
    data_[index] = c;
    if (c == 0) length_ = uint16_t(index);
}

char CxString::LastChar() const { return length_ ? data_[length_ - 1] : 0; }

void CxString::Replace(char from, char to)
{
    for (int i = 0; i < length_; ++i) {
        if (data_[i] != from) continue;
        data_[i] = to;
        if (to == 0) { length_ = uint16_t(i); return; }
    }
}

void CxString::Replace(const char* find, const char* replacement)
{
    if (!data_ || !find || !*find || Find(find, 0) < 0) return;
    if (!replacement) replacement = "";
    int findLength = int(strlen(find));
    int replacementLength = ClampedLength(replacement);
    CxString result;
    result.Reserve(length_);
    int at = 0;
    for (int hit = Find(find, 0); hit >= 0; hit = Find(find, at)) {
        result.Append(data_ + at, hit - at);
        result.Append(replacement, replacementLength);
        at = hit + findLength;
    }
    result.Append(data_ + at, length_ - at);
    uint16_t notOwned = capacityWord_ & 0x8000;
    if (notOwned && result.length_ < GetCapacity()) {   // keep writing into the caller's buffer
        memcpy(data_, result.Text(), size_t(result.length_) + 1);
        length_ = result.length_;
        return;
    }
    *this = static_cast<CxString&&>(result);
}

void CxString::Remove(char c)
{
    if (!data_) return;
    int to = 0;
    for (int from = 0; from < length_; ++from)
        if (data_[from] != c) data_[to++] = data_[from];
    data_[to] = 0;
    length_ = uint16_t(to);
}

int CxString::Delete(int start, int count)
{
    if (!data_ || start < 0 || start >= length_) return -1;
    int available = length_ - start;
    if (count < 0 || count > available) count = available;
    memmove(data_ + start, data_ + start + count, size_t(available - count) + 1);
    length_ = uint16_t(length_ - count);
    return count;
}

void CxString::TruncateAfter(int index)
{
    if (!data_ || index < -1 || index + 1 >= length_) return;
    data_[index + 1] = 0;
    length_ = uint16_t(index + 1);
}
