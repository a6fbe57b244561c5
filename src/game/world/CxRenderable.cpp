#include "game/world/CxRenderable.h"

#include "foundation/Qorstr.h"

#include <algorithm>

CxRenderable::~CxRenderable()
{
    UnLink();
    for (CxRenderable* child : children_) child->parent_ = nullptr;
    children_.clear();
}

void CxRenderable::Link(CxRenderable* parent)
{
    UnLink();
    // A node linked under itself or its own descendant would make a ring
    // that every walk of the tree would follow forever.
    for (CxRenderable* p = parent; p; p = p->parent_)
        if (p == this) return;
    if (!parent) return;
    parent->children_.push_back(this);
    parent_ = parent;
}

void CxRenderable::UnLink()
{
    if (!parent_) return;
    auto& siblings = parent_->children_;
    auto at = std::find(siblings.begin(), siblings.end(), this);
    if (at != siblings.end()) siblings.erase(at);
    parent_ = nullptr;
}

CxRenderable* CxRenderable::FindChild(const char* name, bool recursive) const
{
    for (CxRenderable* child : children_) {
        if (TextEquals(child->GetName(), name, true)) return child;
        if (recursive)
            if (CxRenderable* below = child->FindChild(name, true)) return below;
    }
    return nullptr;
}

void CxRenderable::RenderChildren(const RenderContext& context)
{
    // A child may unlink itself while drawing (a script drops it), so the
    // walk goes over a copy.
    std::vector<CxRenderable*> children = children_;
    for (CxRenderable* child : children)
        if (child->IsVisible() && std::find(children_.begin(), children_.end(), child) != children_.end())
            child->Render(context);
}
