// Objects waiting to be deleted at a safe point: things that may not delete
// themselves from inside their own callbacks (a room timer killed from its
// own OnTimer) are handed here and go at the owner's next frame.
#pragma once
#include "foundation/CxLinkedList.h"

class CxCleaner : public CxObject {
public:
    CxCleaner() = default;
    CxCleaner(const CxCleaner&) = delete;
    CxCleaner& operator=(const CxCleaner&) = delete;
    ~CxCleaner() override { Empty(); }

    void Add(CxObject* object)
    {
        if (object && !waiting_.Find(object)) waiting_.AddTail(object);
    }
    // Deletes everything waiting, including what those deletions hand in.
    void Empty()
    {
        while (!waiting_.IsEmpty()) delete waiting_.RemoveHead();
    }
    int Count() const { return waiting_.GetCount(); }

private:
    CxLinkedList<CxObject*> waiting_;
};
