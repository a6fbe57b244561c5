// The 3D device: the operations the engine draws with, shaped on the small
// part of a fixed-function 3D interface the engine was designed against.
// The engine sees only this header: plain types, numbers and abstract
// classes, no OpenGL.  GpuDeviceGL.cpp is the one implementation over
// OpenGL; tests build counting fakes from the same interface.
//
// Numbers (render states, texture-stage states, formats, lock flags,
// primitive types, vertex format bits) keep their classic values, so tables
// the engine keeps by state number read familiar.  Results are GPU_OK or one
// of the GPU_ERR_* codes below.
//
// Conventions: matrices are row-vector (v' = v × M), left-handed, depth 0..1;
// colours are 0xAARRGGBB words; rectangles are exclusive (right and bottom
// are one past the last pixel), as the device interface always had them.
#pragma once
#include <cstdint>

// ---------------------------------------------------------------- results
enum : int {
    GPU_OK = 0,
    GPU_ERR_DEVICE_LOST = -1,          // the window is minimised: draw nothing
    GPU_ERR_DEVICE_NOT_RESET = -2,     // usable again once Reset is called
    GPU_ERR_INVALID_CALL = -3,
    GPU_ERR_OUT_OF_VIDEO_MEMORY = -4,
    GPU_ERR_NOT_AVAILABLE = -5,        // no context of the version needed
};

// ---------------------------------------------------------------- numbers
enum GpuRenderState : uint32_t {
    GPURS_ZENABLE = 7, GPURS_FILLMODE = 8, GPURS_SHADEMODE = 9, GPURS_ZWRITEENABLE = 14,
    GPURS_ALPHATESTENABLE = 15, GPURS_LASTPIXEL = 16, GPURS_SRCBLEND = 19, GPURS_DESTBLEND = 20,
    GPURS_CULLMODE = 22, GPURS_ZFUNC = 23, GPURS_ALPHAREF = 24, GPURS_ALPHAFUNC = 25, GPURS_DITHERENABLE = 26,
    GPURS_ALPHABLENDENABLE = 27, GPURS_FOGENABLE = 28, GPURS_SPECULARENABLE = 29, GPURS_FOGCOLOR = 34,
    GPURS_FOGTABLEMODE = 35, GPURS_FOGSTART = 36, GPURS_FOGEND = 37, GPURS_FOGDENSITY = 38,
    GPURS_RANGEFOGENABLE = 48, GPURS_STENCILENABLE = 52, GPURS_STENCILFAIL = 53, GPURS_STENCILZFAIL = 54,
    GPURS_STENCILPASS = 55, GPURS_STENCILFUNC = 56, GPURS_STENCILREF = 57, GPURS_STENCILMASK = 58,
    GPURS_STENCILWRITEMASK = 59, GPURS_TEXTUREFACTOR = 60, GPURS_WRAP0 = 128, GPURS_CLIPPING = 136,
    GPURS_LIGHTING = 137, GPURS_AMBIENT = 139, GPURS_FOGVERTEXMODE = 140, GPURS_COLORVERTEX = 141,
    GPURS_LOCALVIEWER = 142, GPURS_NORMALIZENORMALS = 143, GPURS_DIFFUSEMATERIALSOURCE = 145,
    GPURS_SPECULARMATERIALSOURCE = 146, GPURS_AMBIENTMATERIALSOURCE = 147, GPURS_EMISSIVEMATERIALSOURCE = 148,
    GPURS_POINTSIZE = 154, GPURS_POINTSIZE_MIN = 155, GPURS_POINTSCALE_A = 158, GPURS_MULTISAMPLEANTIALIAS = 161,
    GPURS_MULTISAMPLEMASK = 162, GPURS_POINTSIZE_MAX = 166, GPURS_COLORWRITEENABLE = 168, GPURS_BLENDOP = 171,
    GPURS_POSITIONDEGREE = 172, GPURS_NORMALDEGREE = 173, GPURS_SCISSORTESTENABLE = 174,
    GPURS_MINTESSELLATIONLEVEL = 178, GPURS_MAXTESSELLATIONLEVEL = 179, GPURS_ADAPTIVETESS_Z = 182,
    GPURS_CCW_STENCILFAIL = 186, GPURS_CCW_STENCILZFAIL = 187, GPURS_CCW_STENCILPASS = 188,
    GPURS_CCW_STENCILFUNC = 189, GPURS_COLORWRITEENABLE1 = 190, GPURS_COLORWRITEENABLE2 = 191,
    GPURS_COLORWRITEENABLE3 = 192, GPURS_BLENDFACTOR = 193, GPURS_SEPARATEALPHABLENDENABLE = 206,
    GPURS_SRCBLENDALPHA = 207, GPURS_DESTBLENDALPHA = 208, GPURS_BLENDOPALPHA = 209,
};

enum GpuTextureStageState : uint32_t {
    GPUTSS_COLOROP = 1, GPUTSS_COLORARG1 = 2, GPUTSS_COLORARG2 = 3, GPUTSS_ALPHAOP = 4, GPUTSS_ALPHAARG1 = 5,
    GPUTSS_ALPHAARG2 = 6, GPUTSS_BUMPENVMAT00 = 7, GPUTSS_BUMPENVMAT01 = 8, GPUTSS_BUMPENVMAT10 = 9,
    GPUTSS_BUMPENVMAT11 = 10, GPUTSS_TEXCOORDINDEX = 11, GPUTSS_BUMPENVLSCALE = 22, GPUTSS_BUMPENVLOFFSET = 23,
    GPUTSS_TEXTURETRANSFORMFLAGS = 24, GPUTSS_COLORARG0 = 26, GPUTSS_ALPHAARG0 = 27, GPUTSS_RESULTARG = 28,
    GPUTSS_CONSTANT = 32,
};

enum GpuTextureOp : uint32_t {
    GPUTOP_DISABLE = 1, GPUTOP_SELECTARG1 = 2, GPUTOP_SELECTARG2 = 3, GPUTOP_MODULATE = 4, GPUTOP_MODULATE2X = 5,
    GPUTOP_MODULATE4X = 6, GPUTOP_ADD = 7, GPUTOP_ADDSIGNED = 8, GPUTOP_ADDSIGNED2X = 9, GPUTOP_SUBTRACT = 10,
    GPUTOP_ADDSMOOTH = 11, GPUTOP_BLENDDIFFUSEALPHA = 12, GPUTOP_BLENDTEXTUREALPHA = 13,
    GPUTOP_BLENDFACTORALPHA = 14, GPUTOP_BLENDTEXTUREALPHAPM = 15, GPUTOP_BLENDCURRENTALPHA = 16,
};

enum GpuTextureArg : uint32_t {
    GPUTA_DIFFUSE = 0, GPUTA_CURRENT = 1, GPUTA_TEXTURE = 2, GPUTA_TFACTOR = 3, GPUTA_SPECULAR = 4,
    GPUTA_TEMP = 5, GPUTA_CONSTANT = 6, GPUTA_COMPLEMENT = 0x10, GPUTA_ALPHAREPLICATE = 0x20,
};

enum GpuSamplerState : uint32_t {
    GPUSAMP_ADDRESSU = 1, GPUSAMP_ADDRESSV = 2, GPUSAMP_ADDRESSW = 3, GPUSAMP_BORDERCOLOR = 4,
    GPUSAMP_MAGFILTER = 5, GPUSAMP_MINFILTER = 6, GPUSAMP_MIPFILTER = 7,
};
enum : uint32_t { GPUTADDRESS_WRAP = 1, GPUTADDRESS_MIRROR = 2, GPUTADDRESS_CLAMP = 3, GPUTADDRESS_BORDER = 4 };
enum : uint32_t { GPUTEXF_NONE = 0, GPUTEXF_POINT = 1, GPUTEXF_LINEAR = 2 };

enum : uint32_t { GPUFILL_POINT = 1, GPUFILL_WIREFRAME = 2, GPUFILL_SOLID = 3 };
enum : uint32_t { GPUCULL_NONE = 1, GPUCULL_CW = 2, GPUCULL_CCW = 3 };
enum : uint32_t {   // comparison functions (depth, alpha test)
    GPUCMP_NEVER = 1, GPUCMP_LESS, GPUCMP_EQUAL, GPUCMP_LESSEQUAL, GPUCMP_GREATER, GPUCMP_NOTEQUAL,
    GPUCMP_GREATEREQUAL, GPUCMP_ALWAYS,
};
enum : uint32_t {
    GPUBLEND_ZERO = 1, GPUBLEND_ONE, GPUBLEND_SRCCOLOR, GPUBLEND_INVSRCCOLOR, GPUBLEND_SRCALPHA,
    GPUBLEND_INVSRCALPHA, GPUBLEND_DESTALPHA, GPUBLEND_INVDESTALPHA, GPUBLEND_DESTCOLOR, GPUBLEND_INVDESTCOLOR,
    GPUBLEND_SRCALPHASAT, GPUBLEND_BOTHSRCALPHA, GPUBLEND_BOTHINVSRCALPHA, GPUBLEND_BLENDFACTOR,
    GPUBLEND_INVBLENDFACTOR,
};
enum : uint32_t { GPUBLENDOP_ADD = 1, GPUBLENDOP_SUBTRACT, GPUBLENDOP_REVSUBTRACT, GPUBLENDOP_MIN, GPUBLENDOP_MAX };
enum : uint32_t { GPUMCS_MATERIAL = 0, GPUMCS_COLOR1 = 1, GPUMCS_COLOR2 = 2 };
enum : uint32_t { GPUTTFF_DISABLE = 0, GPUTTFF_COUNT2 = 2 };

enum GpuTransformKind : uint32_t {
    GPUTS_VIEW = 2, GPUTS_PROJECTION = 3, GPUTS_TEXTURE0 = 16, GPUTS_TEXTURE7 = 23, GPUTS_WORLD = 256,
};

enum GpuFormat : uint32_t {
    GPUFMT_UNKNOWN = 0, GPUFMT_R8G8B8 = 20, GPUFMT_A8R8G8B8 = 21, GPUFMT_X8R8G8B8 = 22, GPUFMT_R5G6B5 = 23,
    GPUFMT_X1R5G5B5 = 24, GPUFMT_A1R5G5B5 = 25, GPUFMT_A4R4G4B4 = 26, GPUFMT_D16 = 80, GPUFMT_D24S8 = 75,
    GPUFMT_INDEX16 = 101, GPUFMT_INDEX32 = 102,
};

enum : uint32_t {   // usage and pools
    GPUUSAGE_RENDERTARGET = 0x1, GPUUSAGE_DEPTHSTENCIL = 0x2, GPUUSAGE_WRITEONLY = 0x8, GPUUSAGE_DYNAMIC = 0x200,
};
enum GpuPool : uint32_t { GPUPOOL_DEFAULT = 0, GPUPOOL_MANAGED = 1, GPUPOOL_SYSTEMMEM = 2 };
enum : uint32_t {   // lock flags
    GPULOCK_READONLY = 0x10, GPULOCK_NOSYSLOCK = 0x800, GPULOCK_NOOVERWRITE = 0x1000, GPULOCK_DISCARD = 0x2000,
};
enum : uint32_t { GPUCLEAR_TARGET = 1, GPUCLEAR_ZBUFFER = 2, GPUCLEAR_STENCIL = 4 };

enum GpuPrimitiveType : uint32_t {
    GPUPT_POINTLIST = 1, GPUPT_LINELIST = 2, GPUPT_LINESTRIP = 3, GPUPT_TRIANGLELIST = 4, GPUPT_TRIANGLESTRIP = 5,
    GPUPT_TRIANGLEFAN = 6,
};

// Vertex formats: position, then normal, diffuse colour and up to two
// coordinate pairs, in that order in memory.
enum : uint32_t {
    GPUFVF_XYZ = 0x002, GPUFVF_NORMAL = 0x010, GPUFVF_DIFFUSE = 0x040, GPUFVF_TEX1 = 0x100, GPUFVF_TEX2 = 0x200,
    GPUFVF_TEXCOUNT_MASK = 0xF00,
};
int GpuVertexSize(uint32_t fvf);   // bytes per vertex; 0 for formats the device does not take

enum GpuLightType : uint32_t { GPULIGHT_POINT = 1, GPULIGHT_SPOT = 2, GPULIGHT_DIRECTIONAL = 3 };

// ---------------------------------------------------------------- records
struct GpuColorValue { float r = 0, g = 0, b = 0, a = 0; };
struct GpuVector { float x = 0, y = 0, z = 0; };
struct GpuMatrix {
    float m[4][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 0, 0, 1}};
};
GpuMatrix GpuMultiply(const GpuMatrix& a, const GpuMatrix& b);   // a × b

struct GpuMaterial {
    GpuColorValue diffuse, ambient, specular, emissive;
    float power = 0;
};

struct GpuLight {
    uint32_t type = GPULIGHT_DIRECTIONAL;
    GpuColorValue diffuse, specular, ambient;
    GpuVector position, direction;
    float range = 0, falloff = 0, attenuation0 = 0, attenuation1 = 0, attenuation2 = 0, theta = 0, phi = 0;
};

struct GpuRect { int32_t left = 0, top = 0, right = 0, bottom = 0; };   // exclusive right and bottom
struct GpuViewport { uint32_t x = 0, y = 0, width = 0, height = 0; float minZ = 0, maxZ = 1; };
struct GpuLockedRect { int32_t pitch = 0; void* bits = nullptr; };

struct GpuPresentParams {
    uint32_t width = 0, height = 0;
    uint32_t format = GPUFMT_X8R8G8B8;        // of the back buffer
    uint32_t multiSampleType = 0;             // 0: none; n: n samples
    uint32_t multiSampleQuality = 0;
    bool windowed = true;
    bool autoDepthStencil = true;
    uint32_t depthStencilFormat = GPUFMT_D16;
    uint32_t refreshRate = 0;
    bool vsync = false;                       // presentation immediate unless asked
};

struct GpuCaps {
    uint32_t maxTextureWidth = 0, maxTextureHeight = 0;
    uint32_t maxSamples = 0;                  // highest multisample type the device takes
    uint32_t maxActiveLights = 8;
    uint32_t maxTextureStages = 8;
    uint32_t maxSimultaneousTextures = 2;     // stages that sample a texture
    bool hardwareTransformAndLight = true;
};

// ---------------------------------------------------------------- resources
// Resources are made by the device and given back with Release (deleting
// them); every one keeps a copy of its memory, so a lost or reset device
// never loses their contents.
class GpuResource {
public:
    virtual ~GpuResource() = default;
    // Surfaces handed out by Get... calls (the back buffer, a texture's
    // level) are borrowed: releasing them does nothing.
    virtual void Release() { delete this; }
};

class GpuSurface : public GpuResource {
public:
    virtual int LockRect(GpuLockedRect* out, const GpuRect* rect, uint32_t flags) = 0;
    virtual int UnlockRect() = 0;
    virtual uint32_t GetWidth() const = 0;
    virtual uint32_t GetHeight() const = 0;
    virtual uint32_t GetFormat() const = 0;
};

class GpuTexture : public GpuResource {
public:
    // Locks a region of the copy in memory; unlocking sends that region to
    // the device (nothing for a read-only lock).
    virtual int LockRect(uint32_t level, GpuLockedRect* out, const GpuRect* rect, uint32_t flags) = 0;
    virtual int UnlockRect(uint32_t level) = 0;
    virtual uint32_t GetWidth() const = 0;
    virtual uint32_t GetHeight() const = 0;
    virtual uint32_t GetFormat() const = 0;
    virtual uint32_t GetLevelCount() const { return 1; }
    // The render-target surface of a texture made with GPUUSAGE_RENDERTARGET
    // (owned by the texture; null for other textures).
    virtual GpuSurface* GetSurfaceLevel(uint32_t level) = 0;
};

class GpuVertexBuffer : public GpuResource {
public:
    virtual int Lock(uint32_t offset, uint32_t size, void** out, uint32_t flags) = 0;
    virtual int Unlock() = 0;
    virtual uint32_t GetSize() const = 0;
};

class GpuIndexBuffer : public GpuResource {
public:
    virtual int Lock(uint32_t offset, uint32_t size, void** out, uint32_t flags) = 0;
    virtual int Unlock() = 0;
    virtual uint32_t GetSize() const = 0;
    virtual uint32_t GetFormat() const = 0;
};

// ---------------------------------------------------------------- device
class GpuDevice {
public:
    virtual ~GpuDevice() = default;

    // Lifetime and presentation
    virtual int TestCooperativeLevel() = 0;
    virtual int Reset(const GpuPresentParams& params) = 0;   // every state back to its default
    virtual int Present(const GpuRect* sourceRect) = 0;      // the whole back buffer is shown
    virtual int GetCaps(GpuCaps* caps) = 0;
    virtual int BeginScene() = 0;
    virtual int EndScene() = 0;
    virtual int Clear(uint32_t count, const GpuRect* rects, uint32_t flags, uint32_t color, float z,
                      uint32_t stencil) = 0;
    virtual int SetViewport(const GpuViewport& viewport) = 0;
    virtual int GetViewport(GpuViewport* viewport) = 0;

    // States
    virtual int SetRenderState(uint32_t state, uint32_t value) = 0;
    virtual int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) = 0;
    virtual int SetSamplerState(uint32_t sampler, uint32_t state, uint32_t value) = 0;
    virtual int SetTransform(uint32_t kind, const GpuMatrix& matrix) = 0;
    virtual int SetMaterial(const GpuMaterial& material) = 0;
    virtual int SetLight(uint32_t index, const GpuLight& light) = 0;
    virtual int LightEnable(uint32_t index, bool enable) = 0;
    virtual int SetTexture(uint32_t stage, GpuTexture* texture) = 0;

    // Resources
    virtual int CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format,
                              uint32_t pool, GpuTexture** out) = 0;
    virtual int CreateVertexBuffer(uint32_t size, uint32_t usage, uint32_t fvf, uint32_t pool,
                                   GpuVertexBuffer** out) = 0;
    virtual int CreateIndexBuffer(uint32_t size, uint32_t usage, uint32_t format, uint32_t pool,
                                  GpuIndexBuffer** out) = 0;
    virtual int CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                   GpuSurface** out) = 0;
    virtual int CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                          GpuSurface** out) = 0;
    virtual int CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t pool,
                                            GpuSurface** out) = 0;
    virtual int SetRenderTarget(uint32_t index, GpuSurface* surface) = 0;   // null: the back buffer
    virtual int GetRenderTarget(uint32_t index, GpuSurface** out) = 0;      // null for the back buffer
    virtual int SetDepthStencilSurface(GpuSurface* surface) = 0;
    virtual int GetDepthStencilSurface(GpuSurface** out) = 0;
    // Copies between render targets (null = the back buffer), scaling.
    virtual int StretchRect(GpuSurface* source, const GpuRect* sourceRect, GpuSurface* destination,
                            const GpuRect* destinationRect, uint32_t filter) = 0;
    // Reads a render target (null = the back buffer) into an off-screen
    // plain surface of the same size.
    virtual int GetRenderTargetData(GpuSurface* renderTarget, GpuSurface* destination) = 0;

    // Drawing
    virtual int SetFVF(uint32_t fvf) = 0;
    virtual int SetStreamSource(uint32_t stream, GpuVertexBuffer* buffer, uint32_t offset, uint32_t stride) = 0;
    virtual int SetIndices(GpuIndexBuffer* buffer) = 0;
    virtual int DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) = 0;
    virtual int DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t minIndex, uint32_t vertexCount,
                                     uint32_t startIndex, uint32_t primitiveCount) = 0;
};

// ---------------------------------------------------------------- the OpenGL device
// Makes the device over the main window (made OpenGL-capable first).  Null
// with the reason in GpuLastError() when no OpenGL 3.3 context can be made.
// One device exists at a time.
GpuDevice* GpuCreateDevice(const GpuPresentParams& params);
const char* GpuLastError();

// Counters of the live device, for benchmarks and tests.
struct GpuCounters {
    uint64_t glCalls = 0;        // OpenGL calls made since the last reset of the counters
    uint64_t draws = 0;
    uint64_t uploadedBytes = 0;  // texture bytes sent
};
GpuCounters GpuGetCounters();
void GpuResetCounters();
// Waits until the device has finished every command given so far, so that
// a benchmark times the drawing and not only its submission.
void GpuFinish();
