// A 3D scene inside a 2D room: rendered each main-loop pass into a texture
// the device can draw into, which the window shows as its sprite picture.
#pragma once
#include "core/CxMainLoopHook.h"
#include "display/CxSprite.h"
#include "game/world/CxRenderable.h"

class CxD3DDevice;
class CxTextureTarget;
class GpuSurface;

class Cx3DWindowListener {
public:
    virtual ~Cx3DWindowListener() = default;
    virtual void Render(const RenderContext& context) = 0;
    virtual void BeginRender(CxD3DDevice* device) = 0;
    virtual void EndRender(CxD3DDevice* device) = 0;
};

class Cx3DWindow : public CxSprite, public CxMainLoopHook {
public:
    Cx3DWindow() = default;
    ~Cx3DWindow() override;

    // Makes the target of the window's size on the texture device; an error
    // without a 3D device.
    virtual int  CreateTarget();
    virtual void ReleaseTarget();
    int  CreateWindow(int32_t x, int32_t y, int32_t width, int32_t height, CxDisplayObject* parent, int32_t id);

    void SetListener(Cx3DWindowListener* listener) { listener_ = listener; }
    void OnMainLoop() override;   // renders the scene into the target
    uint32_t GetLastRender() const { return lastRender_; }
    int  GetRenderCount() const { return renders_; }
    CxTextureTarget* GetTarget() const { return target_; }

private:
    Cx3DWindowListener* listener_ = nullptr;
    CxTextureTarget* target_ = nullptr;   // the sprite's surface: owned through it
    GpuSurface* depth_ = nullptr;          // owned
    int32_t width_ = 800, height_ = 600;
    uint32_t lastRender_ = 0;
    int renders_ = 0;
};
