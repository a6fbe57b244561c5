// Growable array of owned element wrappers.  Slots hold pointers to wrappers,
// so elements never move when the slot array grows or shifts.  Live iterators
// registered with the array are moved back when an element before or at them
// is removed: an iteration never skips or repeats an element while callees
// remove entries, and sees entries added during the pass.
#pragma once
#include "foundation/CxLinkedList.h"
#include "foundation/CxMemory.h"

#include <cstdint>
#include <utility>

template <typename T>
class CxPrivateObject : public CxObject {
public:
    explicit CxPrivateObject(const T& v) : value(v) {}
    T value;
};

template <typename T> class CxDynamicArrayIterator;

template <typename T>
class CxDynamicArray : public CxObject {
public:
    CxDynamicArray() = default;
    CxDynamicArray(const CxDynamicArray&) = delete;
    CxDynamicArray& operator=(const CxDynamicArray&) = delete;
    ~CxDynamicArray() override
    {
        for (int32_t i = count_ - 1; i >= 0; --i) delete items_[i];
        QorFree(items_);
        for (auto* node = iterators_.GetHead(); node; node = node->next) node->value->array_ = nullptr;
    }

    int32_t GetCount() const { return count_; }
    int32_t GetCapacity() const { return capacity_; }
    T& operator[](int32_t i) { return items_[i]->value; }
    const T& operator[](int32_t i) const { return items_[i]->value; }

    // False when memory for the slot or the wrapper was refused.
    bool Add(const T& value)
    {
        if (count_ == capacity_ && !Grow()) return false;
        items_[count_++] = new CxPrivateObject<T>(value);
        return true;
    }

    int32_t IndexOf(const T& value) const
    {
        for (int32_t i = 0; i < count_; ++i)
            if (items_[i]->value == value) return i;
        return -1;
    }

    bool Remove(const T& value)
    {
        int32_t i = IndexOf(value);
        if (i < 0) return false;
        RemoveAt(i);
        return true;
    }

    T RemoveAt(int32_t i)
    {
        T value = std::move(items_[i]->value);
        delete items_[i];
        for (int32_t j = i; j + 1 < count_; ++j) items_[j] = items_[j + 1];
        items_[--count_] = nullptr;
        for (auto* node = iterators_.GetHead(); node; node = node->next)
            if (node->value->index_ >= i) --node->value->index_;
        return value;
    }

    void RemoveAll()
    {
        while (count_ > 0) RemoveAt(count_ - 1);
    }

private:
    friend class CxDynamicArrayIterator<T>;

    bool Grow()
    {
        int32_t capacity = capacity_ ? capacity_ * 2 : 1;
        void* grown = QorRealloc(items_, sizeof(CxPrivateObject<T>*) * size_t(capacity), "cxdynamicarray", __LINE__);
        if (!grown) return false;
        items_ = static_cast<CxPrivateObject<T>**>(grown);
        for (int32_t i = capacity_; i < capacity; ++i) items_[i] = nullptr;
        capacity_ = capacity;
        return true;
    }

    int32_t capacity_ = 0;
    int32_t count_ = 0;
    CxPrivateObject<T>** items_ = nullptr;
    CxLinkedList<CxDynamicArrayIterator<T>*> iterators_;
};

// Registers itself with its array for as long as it lives.  Typical use:
//   for (CxDynamicArrayIterator<F> it(array); it.Valid(); it.Next()) call(it.Value());
template <typename T>
class CxDynamicArrayIterator : public CxObject {
public:
    explicit CxDynamicArrayIterator(CxDynamicArray<T>& array, int32_t start = 0) : array_(&array), index_(start)
    {
        array.iterators_.AddTail(this);
    }
    ~CxDynamicArrayIterator() override
    {
        if (array_) array_->iterators_.Remove(this);
    }
    CxDynamicArrayIterator(const CxDynamicArrayIterator&) = delete;
    CxDynamicArrayIterator& operator=(const CxDynamicArrayIterator&) = delete;

    int32_t Index() const { return index_; }
    bool Valid() const { return array_ && index_ >= 0 && index_ < array_->count_; }
    T& Value() { return (*array_)[index_]; }
    void Next() { ++index_; }

private:
    friend class CxDynamicArray<T>;
    CxDynamicArray<T>* array_;
    int32_t index_;
};
