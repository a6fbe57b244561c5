// Doubly linked list: one heap node per element.  The list owns its nodes and
// the values in them; a list of pointers never owns the pointed-to objects.
#pragma once
#include "foundation/CxObject.h"

#include <cstdint>
#include <utility>

template <typename T>
class CxListNode : public CxObject {
public:
    explicit CxListNode(const T& v) : value(v) {}
    // Unlinks from the neighbours only: the list header is untouched, which is
    // why only list operations may destroy nodes still in a list.
    ~CxListNode() override
    {
        if (prev) prev->next = next;
        if (next) next->prev = prev;
        prev = next = nullptr;
    }
    CxListNode(const CxListNode&) = delete;
    CxListNode& operator=(const CxListNode&) = delete;

    CxListNode* next = nullptr;
    CxListNode* prev = nullptr;
    T value;
};

template <typename T>
class CxLinkedList : public CxObject {
public:
    using Node = CxListNode<T>;

    CxLinkedList() = default;
    CxLinkedList(const CxLinkedList&) = delete;
    CxLinkedList& operator=(const CxLinkedList&) = delete;
    ~CxLinkedList() override { RemoveAll(); }

    Node* GetHead() const { return head_; }
    Node* GetTail() const { return tail_; }
    int32_t GetCount() const { return count_; }
    bool IsEmpty() const { return count_ == 0; }

    void AddTail(Node* node)
    {
        node->prev = tail_;
        node->next = nullptr;
        if (tail_) tail_->next = node;
        else head_ = node;
        tail_ = node;
        ++count_;
    }
    Node* AddTail(const T& value)
    {
        Node* node = new Node(value);
        AddTail(node);
        return node;
    }
    Node* AddHead(const T& value)
    {
        Node* node = new Node(value);
        node->next = head_;
        if (head_) head_->prev = node;
        else tail_ = node;
        head_ = node;
        ++count_;
        return node;
    }
    // Links value in front of `before` (at the tail when before is null).
    Node* InsertBefore(Node* before, const T& value)
    {
        if (!before) return AddTail(value);
        if (before == head_) return AddHead(value);
        Node* node = new Node(value);
        node->prev = before->prev;
        node->next = before;
        before->prev->next = node;
        before->prev = node;
        ++count_;
        return node;
    }

    T RemoveAt(Node* node)
    {
        --count_;
        if (head_ == node) head_ = node->next;
        if (tail_ == node) tail_ = node->prev;
        T value = std::move(node->value);
        delete node;
        return value;
    }
    T RemoveHead() { return RemoveAt(head_); }

    Node* Find(const T& value) const
    {
        for (Node* node = head_; node; node = node->next)
            if (node->value == value) return node;
        return nullptr;
    }
    // Removes the first node holding value; false when there is none.
    bool Remove(const T& value)
    {
        Node* node = Find(value);
        if (!node) return false;
        RemoveAt(node);
        return true;
    }

    void RemoveAll()
    {
        for (int32_t n = count_; n > 0 && head_; --n) RemoveHead();
        head_ = tail_ = nullptr;
        count_ = 0;
    }

private:
    Node* head_ = nullptr;
    Node* tail_ = nullptr;
    int32_t count_ = 0;
};
