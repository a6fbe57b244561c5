#include "graphics/CxD3DDevice.h"

#include <cstring>

namespace {
// The render-state numbers of the device's list, in numeric order: slot i
// caches state kRenderStates[i].
constexpr uint32_t kRenderStates[CX_D3D_RENDER_STATES] = {
    7, 8, 9, 14, 15, 16, 19, 20, 22, 23, 24, 25, 26, 27, 28, 29, 34, 35, 36, 37, 38, 48, 52, 53, 54, 55,
    56, 57, 58, 59, 60, 128, 129, 130, 131, 132, 133, 134, 135, 136, 137, 139, 140, 141, 142, 143, 145, 146, 147, 148,
    151, 152, 154, 155, 156, 157, 158, 159, 160, 161, 162, 163, 165, 166, 167, 168, 170, 171, 172, 173, 174, 175,
    176, 178, 179, 180, 181, 182, 183, 184, 185, 186, 187, 188, 189, 190, 191, 192, 193, 194, 195, 198, 199, 200, 201,
    202, 203, 204, 205, 206, 207, 208, 209,
};
constexpr uint32_t kStageStates[CX_D3D_STAGE_STATES] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 22, 23, 24, 26, 27, 28, 32};

struct SlotTables {
    int8_t render[256];
    int8_t stage[33];
    SlotTables()
    {
        std::memset(render, -1, sizeof render);
        std::memset(stage, -1, sizeof stage);
        for (int i = 0; i < CX_D3D_RENDER_STATES; ++i) render[kRenderStates[i]] = int8_t(i);
        for (int i = 0; i < CX_D3D_STAGE_STATES; ++i) stage[kStageStates[i]] = int8_t(i);
    }
};
const SlotTables& Slots()
{
    static const SlotTables tables;
    return tables;
}

uint32_t Bits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

template <typename Level>
struct Stack {
    Level levels[CX_D3D_STACK_LEVELS];
    int count = 1;
    Level& Top() { return levels[count - 1]; }
    const Level& Top() const { return levels[count - 1]; }
    bool Push()
    {
        if (count >= CX_D3D_STACK_LEVELS) return false;
        levels[count] = levels[count - 1];
        ++count;
        return true;
    }
};

struct RenderLevel { uint32_t v[CX_D3D_RENDER_STATES]; };
struct StageLevel { uint32_t v[CX_D3D_STAGE_STATES]; };
struct TransformLevel { GpuMatrix m; };
struct MaterialLevel { GpuMaterial m; };
}  // namespace

int CxRenderStateSlot(uint32_t state) { return state < 256 ? Slots().render[state] : -1; }
int CxTextureStageStateSlot(uint32_t state) { return state < 33 ? Slots().stage[state] : -1; }
uint32_t CxRenderStateOfSlot(int slot) { return slot >= 0 && slot < CX_D3D_RENDER_STATES ? kRenderStates[slot] : 0; }
uint32_t CxTextureStageStateOfSlot(int slot) { return slot >= 0 && slot < CX_D3D_STAGE_STATES ? kStageStates[slot] : 0; }

int CxTransformSlot(uint32_t kind)
{
    if (kind == GPUTS_WORLD) return 0;
    if (kind == GPUTS_VIEW) return 1;
    if (kind == GPUTS_PROJECTION) return 2;
    if (kind >= GPUTS_TEXTURE0 && kind <= GPUTS_TEXTURE7) return int(kind - GPUTS_TEXTURE0) + 3;
    return -1;
}

struct CxD3DDevice::StateBlock {
    Stack<RenderLevel> render;
    Stack<MaterialLevel> material;
    Stack<TransformLevel> transforms[CX_D3D_TRANSFORMS];
    Stack<StageLevel> stages[CX_D3D_STAGES];
    bool lightOn[CX_D3D_LIGHTS] = {};
    GpuLight lights[CX_D3D_LIGHTS];
};

CxD3DDevice::CxD3DDevice(GpuDevice* device) : device_(device), block_(new StateBlock)
{
    for (GpuLight& light : block_->lights) {   // disabled, directional, white, along +z
        light = GpuLight{};
        light.type = GPULIGHT_DIRECTIONAL;
        light.diffuse = {1, 1, 1, 0};
        light.direction = {0, 0, 1};
    }
    ResetStates(device);
}

CxD3DDevice::~CxD3DDevice() { delete block_; }

// ======================================================================
// Defaults and reapplying
// ======================================================================

void CxD3DDevice::ResetStates(GpuDevice* device)
{
    device_ = device;
    StateBlock& b = *block_;
    b.render.count = 1;
    uint32_t* rs = b.render.levels[0].v;
    std::memset(rs, 0, sizeof b.render.levels[0].v);
    auto set = [&](uint32_t state, uint32_t value) { rs[CxRenderStateSlot(state)] = value; };
    const float one = 1.0f;
    set(8, 3), set(9, 2), set(14, 1), set(16, 1), set(19, 2), set(20, 1), set(22, 3), set(23, 4), set(25, 8);
    set(37, Bits(one)), set(38, Bits(one)), set(53, 1), set(54, 1), set(55, 1), set(56, 8);
    set(58, 0xFFFFFFFF), set(59, 0xFFFFFFFF), set(60, 0xFFFFFFFF), set(136, 1), set(137, 1), set(141, 1), set(142, 1);
    set(145, 1), set(146, 2), set(155, Bits(one)), set(158, Bits(one)), set(161, 1), set(162, 0xFFFFFFFF);
    set(166, Bits(64.0f)), set(168, 15), set(171, 1), set(172, 3), set(173, 1), set(178, Bits(one));
    set(179, Bits(one)), set(182, Bits(one)), set(186, 1), set(187, 1), set(188, 1), set(189, 8);
    set(190, 15), set(191, 15), set(192, 15), set(193, 0xFFFFFFFF), set(207, 2), set(208, 1), set(209, 1);

    b.material.count = 1;
    b.material.levels[0].m = GpuMaterial{};
    b.material.levels[0].m.diffuse = {1, 1, 1, 0};
    for (auto& stack : b.transforms) {
        stack.count = 1;
        stack.levels[0].m = GpuMatrix{};
    }
    for (uint32_t n = 0; n < CX_D3D_STAGES; ++n) {
        Stack<StageLevel>& stack = b.stages[n];
        stack.count = 1;
        uint32_t* t = stack.levels[0].v;
        std::memset(t, 0, sizeof stack.levels[0].v);
        t[0] = n == 0 ? GPUTOP_MODULATE : GPUTOP_DISABLE;   // COLOROP
        t[1] = GPUTA_TEXTURE, t[2] = GPUTA_CURRENT;
        t[3] = n == 0 ? GPUTOP_SELECTARG1 : GPUTOP_DISABLE; // ALPHAOP
        t[4] = GPUTA_TEXTURE, t[5] = GPUTA_CURRENT;
        t[10] = n;                                          // TEXCOORDINDEX
        t[14] = t[15] = t[16] = GPUTA_CURRENT;              // COLORARG0, ALPHAARG0, RESULTARG
        t[17] = 0xFFFFFFFF;                                 // CONSTANT
    }
    for (GpuTexture*& texture : textures_) texture = nullptr;
}

void CxD3DDevice::ReapplyStates()
{
    StateBlock& b = *block_;
    device_->SetMaterial(b.material.Top().m);
    for (int slot = 0; slot < CX_D3D_RENDER_STATES; ++slot)
        device_->SetRenderState(kRenderStates[slot], b.render.Top().v[slot]);
    for (uint32_t stage = 0; stage < CX_D3D_STAGES; ++stage)
        for (int slot = 0; slot < CX_D3D_STAGE_STATES; ++slot)
            device_->SetTextureStageState(stage, kStageStates[slot], b.stages[stage].Top().v[slot]);
    for (uint32_t i = 0; i < CX_D3D_LIGHTS; ++i) {
        device_->LightEnable(i, b.lightOn[i]);
        device_->SetLight(i, b.lights[i]);
    }
}

int CxD3DDevice::GetRenderStateDepth() const { return block_->render.count; }

// ======================================================================
// Render states
// ======================================================================

bool CxD3DDevice::PushRenderStates() { return block_->render.Push(); }

int CxD3DDevice::SetRenderState(uint32_t state, uint32_t value)
{
    int slot = CxRenderStateSlot(state);
    if (slot < 0) {
        device_->SetRenderState(state, value);
        return 0;
    }
    uint32_t& cached = block_->render.Top().v[slot];
    if (cached != value) {
        cached = value;
        device_->SetRenderState(state, value);
    }
    return 0;
}

int CxD3DDevice::GetRenderState(uint32_t state, uint32_t* value) const
{
    int slot = CxRenderStateSlot(state);
    if (slot < 0 || !value) return GPU_ERR_INVALID_CALL;
    *value = block_->render.Top().v[slot];
    return 0;
}

int CxD3DDevice::PopRenderStates()
{
    Stack<RenderLevel>& stack = block_->render;
    if (stack.count <= 1) return stack.count;
    const uint32_t* top = stack.levels[stack.count - 1].v;
    const uint32_t* below = stack.levels[stack.count - 2].v;
    for (int slot = 0; slot < CX_D3D_RENDER_STATES; ++slot)
        if (below[slot] != top[slot]) device_->SetRenderState(kRenderStates[slot], below[slot]);
    return --stack.count;
}

// ======================================================================
// Texture-stage states
// ======================================================================

bool CxD3DDevice::PushTextureStageStates(uint32_t stage)
{
    return stage < CX_D3D_STAGES && block_->stages[stage].Push();
}

int CxD3DDevice::SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value)
{
    int slot = CxTextureStageStateSlot(state);
    if (stage >= CX_D3D_STAGES || slot < 0) {
        device_->SetTextureStageState(stage, state, value);
        return 0;
    }
    uint32_t& cached = block_->stages[stage].Top().v[slot];
    if (cached != value) {
        cached = value;
        device_->SetTextureStageState(stage, state, value);
    }
    return 0;
}

int CxD3DDevice::GetTextureStageState(uint32_t stage, uint32_t state, uint32_t* value) const
{
    int slot = CxTextureStageStateSlot(state);
    if (stage >= CX_D3D_STAGES || slot < 0 || !value) return GPU_ERR_INVALID_CALL;
    *value = block_->stages[stage].Top().v[slot];
    return 0;
}

void CxD3DDevice::PopTextureStageStates(uint32_t stage)
{
    if (stage >= CX_D3D_STAGES) return;
    Stack<StageLevel>& stack = block_->stages[stage];
    if (stack.count <= 1) return;
    const uint32_t* top = stack.levels[stack.count - 1].v;
    const uint32_t* below = stack.levels[stack.count - 2].v;
    for (int slot = 0; slot < CX_D3D_STAGE_STATES; ++slot)
        if (below[slot] != top[slot]) device_->SetTextureStageState(stage, kStageStates[slot], below[slot]);
    --stack.count;
}

// ======================================================================
// Transforms and material
// ======================================================================

bool CxD3DDevice::PushTransform(uint32_t kind)
{
    int slot = CxTransformSlot(kind);
    return slot >= 0 && block_->transforms[slot].Push();
}

int CxD3DDevice::SetTransform(uint32_t kind, const GpuMatrix& matrix)
{
    int slot = CxTransformSlot(kind);
    if (slot >= 0) block_->transforms[slot].Top().m = matrix;
    device_->SetTransform(kind, matrix);
    return 0;
}

int CxD3DDevice::MultiplyTransform(uint32_t kind, const GpuMatrix& matrix)
{
    int slot = CxTransformSlot(kind);
    if (slot < 0) return 0;
    GpuMatrix& top = block_->transforms[slot].Top().m;
    top = GpuMultiply(matrix, top);
    device_->SetTransform(kind, top);
    return 0;
}

int CxD3DDevice::GetTransform(uint32_t kind, GpuMatrix* matrix) const
{
    int slot = CxTransformSlot(kind);
    if (slot < 0 || !matrix) return GPU_ERR_INVALID_CALL;
    *matrix = block_->transforms[slot].Top().m;
    return 0;
}

int CxD3DDevice::PopTransform(uint32_t kind)
{
    int slot = CxTransformSlot(kind);
    if (slot < 0) return GPU_ERR_INVALID_CALL;
    Stack<TransformLevel>& stack = block_->transforms[slot];
    if (stack.count <= 1) return 0;
    --stack.count;
    return device_->SetTransform(kind, stack.Top().m);
}

bool CxD3DDevice::PushMaterial() { return block_->material.Push(); }

int CxD3DDevice::SetMaterial(const GpuMaterial& material)
{
    block_->material.Top().m = material;
    return device_->SetMaterial(material);
}

int CxD3DDevice::GetMaterial(GpuMaterial* material) const
{
    if (!material) return GPU_ERR_INVALID_CALL;
    *material = block_->material.Top().m;
    return 0;
}

int CxD3DDevice::PopMaterial()
{
    Stack<MaterialLevel>& stack = block_->material;
    if (stack.count <= 1) return 0;
    --stack.count;
    return device_->SetMaterial(stack.Top().m);
}

// ======================================================================
// Lights and textures
// ======================================================================

int CxD3DDevice::SetLight(uint32_t index, const GpuLight& light)
{
    if (index >= CX_D3D_LIGHTS) return GPU_ERR_INVALID_CALL;
    block_->lights[index] = light;
    return device_->SetLight(index, light);
}

int CxD3DDevice::LightEnable(uint32_t index, bool enable)
{
    if (index >= CX_D3D_LIGHTS) return GPU_ERR_INVALID_CALL;
    block_->lightOn[index] = enable;
    return device_->LightEnable(index, enable);
}

int CxD3DDevice::GetLight(uint32_t index, GpuLight* light, bool* enabled) const
{
    if (index >= CX_D3D_LIGHTS) return GPU_ERR_INVALID_CALL;
    if (light) *light = block_->lights[index];
    if (enabled) *enabled = block_->lightOn[index];
    return 0;
}

int CxD3DDevice::SetTexture(uint32_t stage, GpuTexture* texture)
{
    if (stage < CX_D3D_STAGES && textures_[stage] == texture) return 0;
    int result = device_->SetTexture(stage, texture);
    if (result == GPU_OK && stage < CX_D3D_STAGES) textures_[stage] = texture;
    return result;
}
