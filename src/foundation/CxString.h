// The engine's one string class: owned, zero-terminated 8-bit text (UTF-8
// inside the engine) with a 16-bit length.  Copies copy the characters; no
// buffer is ever shared.  The capacity word holds 15 bits, so a string keeps
// at most CX_STRING_MAX characters: longer input is cut, never overflowing.
#pragma once
#include "foundation/CxObject.h"

#include <cstdint>

constexpr int CX_STRING_MAX = 32766;

class CxString : public CxObject {
public:
    CxString() = default;
    CxString(const char* text);                       // NOLINT: implicit on purpose, like the C text it wraps
    CxString(const CxString& other);
    CxString(CxString&& other) noexcept;
    explicit CxString(int size);                      // as Reserve(size)
    ~CxString() override;

    CxString& operator=(const CxString& other);
    CxString& operator=(CxString&& other) noexcept;
    CxString& operator=(const char* text) { Assign(text); return *this; }

    // Storage
    void  Reserve(int size);
    void  Empty();
    void  Resize(int size);
    char* GetBuffer();
    // Wraps a caller's buffer of `capacity` bytes holding text; the string
    // never frees it.  Growing past it moves the text into a buffer of ours.
    void  Attach(char* buffer, int capacity);

    const char* GetData() const { return data_; }     // null when nothing was stored
    const char* Text() const { return data_ ? data_ : ""; }
    operator const char*() const { return Text(); }   // NOLINT
    int  GetLength() const { return length_; }
    int  GetCapacity() const { return capacityWord_ & 0x7FFF; }
    bool IsNotOwned() const { return (capacityWord_ & 0x8000) != 0; }
    bool IsEmpty() const { return length_ == 0; }

    // Assignment and appending
    void Assign(const char* text);
    void Append(const char* text);
    void Append(const CxString& other);
    void Append(char c);
    void Append(const char* text, int count);
    CxString operator+(const char* text) const;
    CxString& operator+=(const char* text) { Append(text); return *this; }
    CxString& operator+=(char c) { Append(c); return *this; }

    void Format(const char* format, ...) __attribute__((format(printf, 2, 3)));
    static CxString FormatNew(const char* format, ...) __attribute__((format(printf, 1, 2)));

    // Searching: index or -1
    int Find(char c, int start = 0) const;
    int FindOneOf(const char* characters, int start = 0) const;
    int Find(const char* text, int start = 0) const;
    int FindNoCase(const char* text, int start = 0) const;
    int ReverseFind(char c) const;

    // Extracting
    CxString Mid(int start, int count) const;
    CxString Mid(int start) const;
    CxString Left(int count) const;
    void Mid(int start, int count, CxString& out) const;
    void Mid(int start, CxString& out) const;
    void Left(int count, CxString& out) const;

    // Comparing and single characters
    int  Compare(const char* text) const;
    int  CompareNoCase(const char* text) const;
    bool operator==(const CxString& other) const { return Compare(other.Text()) == 0 && (data_ || !other.data_); }
    bool operator==(const char* text) const { return text && data_ && Compare(text) == 0; }
    char GetAt(int index) const;
    void SetAt(int index, char c);
    char LastChar() const;

    // Changing in place
    void Replace(char from, char to);
    void Replace(const char* find, const char* replacement);
    void Remove(char c);
    int  Delete(int start, int count);
    int  DeleteFirst(int count) { return Delete(0, count); }
    int  DeleteLast(int count) { return Delete(length_ - count, count); }
    void TruncateAfter(int index);

private:
    void FreeBuffer();
    bool TakeBuffer(int capacity);   // zero-filled, owned; false when refused
    void SetCapacity(int capacity) { capacityWord_ = uint16_t((capacityWord_ & 0x8000) | (capacity & 0x7FFF)); }

    char* data_ = nullptr;
    uint16_t length_ = 0;
    uint16_t capacityWord_ = 0;
};
