// Ordered binary tree of values (colour lookup tables use it).  Equal values
// are stored once.  Destruction and iteration are iterative, so a tree grown
// from sorted input (one long branch) cannot overflow the stack.
#pragma once
#include "foundation/CxObject.h"
#include "foundation/CxContainers.h"

#include <cstdint>

template <typename T>
class CxBinaryTreeNode : public CxObject {
public:
    explicit CxBinaryTreeNode(const T& v) : value(v) {}
    CxBinaryTreeNode* left = nullptr;
    CxBinaryTreeNode* right = nullptr;
    CxBinaryTreeNode* parent = nullptr;
    T value;
};

template <typename T>
class CxBinaryTree : public CxObject {
public:
    using Node = CxBinaryTreeNode<T>;
    CxBinaryTree() = default;
    CxBinaryTree(const CxBinaryTree&) = delete;
    CxBinaryTree& operator=(const CxBinaryTree&) = delete;
    ~CxBinaryTree() override { RemoveAll(); }

    // Returns the node holding value, new or already present.
    Node* Insert(const T& value)
    {
        Node** link = &root_;
        Node* parent = nullptr;
        while (*link) {
            parent = *link;
            if (value < parent->value) link = &parent->left;
            else if (parent->value < value) link = &parent->right;
            else return parent;
        }
        *link = new Node(value);
        (*link)->parent = parent;
        ++count_;
        return *link;
    }

    Node* Find(const T& value) const
    {
        Node* node = root_;
        while (node) {
            if (value < node->value) node = node->left;
            else if (node->value < value) node = node->right;
            else return node;
        }
        return nullptr;
    }

    // Frees left subtree, right subtree, then the node, without recursion.
    void RemoveAll()
    {
        Node* node = root_;
        while (node) {
            if (node->left) { node = node->left; continue; }
            if (node->right) { node = node->right; continue; }
            Node* parent = node->parent;
            if (parent) (parent->left == node ? parent->left : parent->right) = nullptr;
            delete node;
            node = parent;
        }
        root_ = nullptr;
        count_ = 0;
    }

    Node* GetRoot() const { return root_; }
    int32_t GetCount() const { return count_; }

private:
    Node* root_ = nullptr;
    int32_t count_ = 0;
};

// In-order walk: First() then Next() until null.
template <typename T>
class CxBinaryTreeIterator : public CxObject {
public:
    using Node = CxBinaryTreeNode<T>;
    explicit CxBinaryTreeIterator(const CxBinaryTree<T>& tree) : tree_(tree) {}

    Node* First()
    {
        current_ = Leftmost(tree_.GetRoot());
        return current_;
    }
    Node* Next()
    {
        if (!current_) return nullptr;
        if (current_->right) return current_ = Leftmost(current_->right);
        Node* child = current_;
        Node* parent = child->parent;
        while (parent && parent->right == child) { child = parent; parent = parent->parent; }
        return current_ = parent;
    }

private:
    static Node* Leftmost(Node* node)
    {
        while (node && node->left) node = node->left;
        return node;
    }
    const CxBinaryTree<T>& tree_;
    Node* current_ = nullptr;
};
