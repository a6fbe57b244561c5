// The small fixed containers: array, stack and queue.  Storage comes from the
// engine allocator; a refused allocation leaves the container empty.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxMemory.h"

#include <cstdint>
#include <new>
#include <utility>

namespace cxdetail {
template <typename T>
T* NewElements(int32_t n, const char* source)
{
    if (n <= 0 || size_t(n) > SIZE_MAX / sizeof(T)) return nullptr;
    T* items = static_cast<T*>(QorAlloc(sizeof(T) * size_t(n), source, __LINE__, true));
    if (items)
        for (int32_t i = 0; i < n; ++i) ::new (static_cast<void*>(items + i)) T();
    return items;
}
template <typename T>
void DeleteElements(T* items, int32_t n)
{
    if (!items) return;
    for (int32_t i = 0; i < n; ++i) items[i].~T();
    QorFree(items);
}
}  // namespace cxdetail

template <typename T>
class CxArray : public CxObject {
public:
    CxArray() = default;
    CxArray(const CxArray&) = delete;
    CxArray& operator=(const CxArray&) = delete;
    ~CxArray() override { cxdetail::DeleteElements(items_, count_); }

    void SetSize(int32_t n)
    {
        cxdetail::DeleteElements(items_, count_);
        items_ = cxdetail::NewElements<T>(n, "CxArray");
        count_ = items_ ? n : 0;
    }
    int32_t GetCount() const { return count_; }
    T& operator[](int32_t i) { return items_[i]; }
    const T& operator[](int32_t i) const { return items_[i]; }

private:
    int32_t count_ = 0;
    T* items_ = nullptr;
};

// Fixed capacity: a push onto a full stack is dropped.
template <typename T>
class CxStack : public CxObject {
public:
    CxStack() = default;
    CxStack(const CxStack&) = delete;
    CxStack& operator=(const CxStack&) = delete;
    ~CxStack() override { cxdetail::DeleteElements(items_, capacity_); }

    void SetSize(int n)
    {
        cxdetail::DeleteElements(items_, capacity_);
        if (n > 0xFFFF) n = 0xFFFF;
        items_ = cxdetail::NewElements<T>(n, "CxStack");
        capacity_ = items_ ? uint16_t(n) : 0;
        count_ = 0;
    }
    bool Push(const T& value)
    {
        if (count_ >= capacity_) return false;
        items_[count_++] = value;
        return true;
    }
    // Callers check IsEmpty first; popping an empty stack returns a default.
    T Pop()
    {
        if (count_ == 0) return T();
        return items_[--count_];
    }
    T& Top() { return items_[count_ - 1]; }
    T& operator[](int i) { return items_[i]; }
    int GetCount() const { return count_; }
    int GetCapacity() const { return capacity_; }
    bool IsEmpty() const { return count_ == 0; }

private:
    T* items_ = nullptr;
    uint16_t count_ = 0;
    uint16_t capacity_ = 0;
};

// Elements enter at the newest end and leave at the oldest.
template <typename T>
class CxQueue : public CxObject {
public:
    using Node = CxListNode<T>;
    CxQueue() = default;
    CxQueue(const CxQueue&) = delete;
    CxQueue& operator=(const CxQueue&) = delete;
    ~CxQueue() override
    {
        while (count_ > 0) Dequeue();
    }

    void Enqueue(const T& value)
    {
        Node* node = new Node(value);
        node->next = newest_;
        if (newest_) newest_->prev = node;
        else oldest_ = node;
        newest_ = node;
        ++count_;
    }
    T Dequeue()
    {
        if (!oldest_) return T();
        Node* node = oldest_;
        oldest_ = node->prev;
        if (!oldest_) newest_ = nullptr;
        T value = std::move(node->value);
        delete node;   // unlinks it from its neighbour
        --count_;
        return value;
    }
    const T* PeekOldest() const { return oldest_ ? &oldest_->value : nullptr; }
    int32_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

private:
    Node* newest_ = nullptr;
    Node* oldest_ = nullptr;
    int32_t count_ = 0;
};
