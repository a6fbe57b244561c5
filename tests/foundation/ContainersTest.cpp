#include "foundation/CxBinaryTree.h"
#include "foundation/CxContainers.h"
#include "foundation/CxDynamicArray.h"
#include "foundation/CxLinkedList.h"
#include "foundation/CxString.h"

#include <gtest/gtest.h>
#include <vector>

TEST(CxDynamicArray, CapacityDoublesFromOne)
{
    CxDynamicArray<int> array;
    array.Add(1);
    EXPECT_EQ(array.GetCapacity(), 1);
    for (int i = 2; i <= 5; ++i) array.Add(i);
    EXPECT_EQ(array.GetCapacity(), 8);
    EXPECT_EQ(array.GetCount(), 5);
    EXPECT_EQ(array.IndexOf(4), 3);
    EXPECT_EQ(array.IndexOf(9), -1);
}

TEST(CxDynamicArray, RemovalMovesLiveIteratorsBack)
{
    CxDynamicArray<int> array;
    for (int i = 0; i < 8; ++i) array.Add(i);
    CxDynamicArrayIterator<int> it(array, 3);
    array.RemoveAt(5);
    EXPECT_EQ(it.Index(), 3);
    array.RemoveAt(2);
    EXPECT_EQ(it.Index(), 2);
    array.RemoveAt(2);   // the element the iterator stands on
    EXPECT_EQ(it.Index(), 1);
}

TEST(CxDynamicArray, IterationVisitsEachElementOnceWhileCalleesRemove)
{
    CxDynamicArray<int> array;
    for (int i = 0; i < 6; ++i) array.Add(i);
    std::vector<int> visited;
    for (CxDynamicArrayIterator<int> it(array); it.Valid(); it.Next()) {
        int value = it.Value();
        visited.push_back(value);
        if (value == 1) array.Remove(1);    // itself
        if (value == 2) array.Remove(0);    // an earlier one
        if (value == 3) array.Remove(5);    // a later one: never visited
        if (value == 4) array.Add(10);      // added during the pass: visited
    }
    EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 4, 10}));
    EXPECT_EQ(array.GetCount(), 4);
}

TEST(CxDynamicArray, IteratorOutlivingItsArrayIsHarmless)
{
    auto* array = new CxDynamicArray<CxString>;
    array->Add("a");
    auto* it = new CxDynamicArrayIterator<CxString>(*array);
    delete array;
    EXPECT_FALSE(it->Valid());
    delete it;
}

TEST(CxLinkedList, ListOperationsKeepHeadTailAndCount)
{
    CxLinkedList<int> list;
    list.AddTail(2);
    list.AddHead(1);
    auto* three = list.AddTail(3);
    list.InsertBefore(three, 25);
    EXPECT_EQ(list.GetCount(), 4);
    std::vector<int> values;
    for (auto* n = list.GetHead(); n; n = n->next) values.push_back(n->value);
    EXPECT_EQ(values, (std::vector<int>{1, 2, 25, 3}));

    EXPECT_EQ(list.RemoveAt(list.GetTail()), 3);
    EXPECT_EQ(list.GetTail()->value, 25);
    EXPECT_EQ(list.RemoveHead(), 1);
    EXPECT_EQ(list.GetHead()->value, 2);
    EXPECT_TRUE(list.Remove(25));
    EXPECT_FALSE(list.Remove(25));
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.GetHead(), list.GetTail());
}

TEST(CxLinkedList, DestroyingANodeDirectlyOnlyRelinksItsNeighbours)
{
    CxLinkedList<int> list;
    list.AddTail(1);
    auto* middle = list.AddTail(2);
    list.AddTail(3);
    delete middle;
    EXPECT_EQ(list.GetCount(), 3);   // the header is not told
    EXPECT_EQ(list.GetHead()->next, list.GetTail());
    EXPECT_EQ(list.GetTail()->prev, list.GetHead());
    list.RemoveHead();
    list.RemoveHead();
    // RemoveAll must stop at the real end even though the count is stale.
    list.RemoveAll();
    EXPECT_EQ(list.GetHead(), nullptr);
}

TEST(CxLinkedList, StringValuesAreOwnedCopies)
{
    CxLinkedList<CxString> list;
    CxString name("House");
    list.AddTail(name);
    name = "Kennel";
    EXPECT_STREQ(list.GetHead()->value, "House");
    EXPECT_NE(list.Find(CxString("House")), nullptr);
}

TEST(CxStackAndQueue, FixedStackAndFifoQueue)
{
    CxStack<int> stack;
    stack.SetSize(2);
    EXPECT_TRUE(stack.Push(1));
    EXPECT_TRUE(stack.Push(2));
    EXPECT_FALSE(stack.Push(3));   // full: dropped
    EXPECT_EQ(stack.Top(), 2);
    EXPECT_EQ(stack.Pop(), 2);
    EXPECT_EQ(stack.Pop(), 1);
    EXPECT_TRUE(stack.IsEmpty());
    stack.SetSize(1);
    EXPECT_EQ(stack.GetCapacity(), 1);

    CxQueue<CxString> queue;
    queue.Enqueue("a");
    queue.Enqueue("b");
    queue.Enqueue("c");
    EXPECT_STREQ(queue.Dequeue(), "a");
    EXPECT_STREQ(queue.Dequeue(), "b");
    queue.Enqueue("d");
    EXPECT_EQ(queue.GetCount(), 2);
    EXPECT_STREQ(queue.Dequeue(), "c");
    EXPECT_STREQ(queue.Dequeue(), "d");
    EXPECT_TRUE(queue.IsEmpty());
}

TEST(CxArray, SizedStorageOfConstructedElements)
{
    CxArray<CxString> array;
    array.SetSize(3);
    EXPECT_EQ(array.GetCount(), 3);
    array[2] = "x";
    array.SetSize(2);
    EXPECT_EQ(array[1].GetLength(), 0);
    array.SetSize(-1);
    EXPECT_EQ(array.GetCount(), 0);
}

TEST(CxBinaryTree, OrderedUniqueValuesAndDeepTrees)
{
    CxBinaryTree<int> tree;
    for (int v : {5, 3, 8, 3, 1, 9}) tree.Insert(v);
    EXPECT_EQ(tree.GetCount(), 5);
    EXPECT_NE(tree.Find(8), nullptr);
    EXPECT_EQ(tree.Find(7), nullptr);
    std::vector<int> inOrder;
    CxBinaryTreeIterator<int> it(tree);
    for (auto* n = it.First(); n; n = it.Next()) inOrder.push_back(n->value);
    EXPECT_EQ(inOrder, (std::vector<int>{1, 3, 5, 8, 9}));

    CxBinaryTree<int> chain;   // sorted input: one long branch
    for (int v = 0; v < 20000; ++v) chain.Insert(v);
    EXPECT_EQ(chain.GetCount(), 20000);
    chain.RemoveAll();
    EXPECT_EQ(chain.GetRoot(), nullptr);
}
