// Everything drawn in 3D: a tree of renderables under a room's scene
// manager, drawn once per pass.
#pragma once
#include "foundation/CxString.h"

#include <vector>

class CxD3DDevice;

enum CxRenderPass : int {
    RENDERPASS_FOREGROUND = 3,
    RENDERPASS_OPAQUE = 4,
    RENDERPASS_TRANSPARENT = 5,
    RENDERPASS_INTERFACE = 6,
};

struct RenderContext {
    CxD3DDevice* device = nullptr;
    int pass = RENDERPASS_OPAQUE;
    int redraw = 0;   // the whole screen is being drawn again
};

class CxRenderable {
public:
    CxRenderable() = default;
    virtual ~CxRenderable();   // unlinks itself and its children (they live on)
    CxRenderable(const CxRenderable&) = delete;
    CxRenderable& operator=(const CxRenderable&) = delete;

    virtual void Render(const RenderContext& context) = 0;

    void Link(CxRenderable* parent);
    void UnLink();
    CxRenderable* GetParent() const { return parent_; }
    const std::vector<CxRenderable*>& GetChildren() const { return children_; }
    // The first child named so (case ignored); recursive searches depth first.
    CxRenderable* FindChild(const char* name, bool recursive = false) const;

    void SetName(const char* name) { name_ = name ? name : ""; }
    const char* GetName() const { return name_.Text(); }
    void SetVisible(int visible) { visible_ = visible; }
    int  IsVisible() const { return visible_; }
    void SetHasAlpha(int alpha) { hasAlpha_ = alpha; }
    int  HasAlpha() const { return hasAlpha_; }

protected:
    void RenderChildren(const RenderContext& context);

    CxRenderable* parent_ = nullptr;
    std::vector<CxRenderable*> children_;
    CxString name_;
    int visible_ = 1;
    int hasAlpha_ = 0;
};
