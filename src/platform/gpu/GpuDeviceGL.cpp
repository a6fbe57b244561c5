// The 3D device over OpenGL 3.3 core, keeping to what OpenGL ES 3.0 has.
//
// Features implemented:
//   - a context through SDL2 on the main window; functions through libepoxy
//   - the back buffer is a framebuffer object of the requested size (with a
//     multisampled colour buffer when asked); Present resolves it, scales it
//     to the window and swaps, so every target, back buffer included, keeps
//     its rows top down and reads back without flipping
//   - lost while the window is minimised, not reset afterwards until Reset,
//     which puts every state back to its default
//   - render states: depth enable/write/function, cull mode, fill mode,
//     alpha test, alpha blending with factors and operation, colour write
//     mask, texture factor, lighting, ambient, colour vertex with the four
//     material sources, local viewer, normalised normals, specular enable
//   - two texture stages: every colour and alpha operation of the classic
//     list except the bump, dot-product and multiply-add ones; arguments
//     diffuse, current, texture, factor, specular with complement and
//     alpha-replicate modifiers; coordinate index; the two-coordinate
//     texture transform
//   - eight lights (directional, point, spot), material, transforms
//   - textures A8R8G8B8, X8R8G8B8, R5G6B5, X1R5G5B5, A1R5G5B5, A4R4G4B4
//     with a copy in memory; unlocking uploads the locked region only
//   - render-target textures and surfaces, depth-stencil surfaces,
//     off-screen plain surfaces, StretchRect, GetRenderTargetData (read
//     through a pixel-pack buffer)
//   - vertex formats of position, normal, diffuse colour, one or two
//     coordinate pairs; static and dynamic vertex and index buffers
//   - sampler address modes (wrap, mirror, clamp) and point/linear filters
// Not implemented: fog, flat shading, point sprites, stencil operations,
// texture coordinate generation, mipmaps (one level), the TEMP result
// argument.
//
// Desktop-only calls (left out or replaced on an ES build): glPolygonMode
// for wireframe and point fill.  Everything else is in OpenGL ES 3.0.
//
// All state lives in one struct reached through State().  OpenGL calls go
// through GL() so that they are counted for the benchmark.
#include "platform/gpu/GpuDevice.h"
#include "platform/window/PlatformWindow.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gpu_shaders.h"   // kGpuFixedVert, kGpuFixedFrag, generated from shaders/

namespace {
// ====================================================================== state
struct GlSurface;
struct GlTexture;
struct GlVertexBuffer;
struct GlIndexBuffer;

struct Uniforms {
    GLint worldView, projection, normalMatrix, halfPixel, flipY;
    GLint globalAmbient, matDiffuse, matAmbient, matSpecular, matEmissive, matPower;
    GLint lightType, lightPosition, lightDirection, lightDiffuse, lightSpecular, lightAmbient, lightAttenuation,
        lightSpot;
    GLint texTransform, texture0, texture1, textureFactor, alphaRef;
};

// A program variant: the switches compiled into it (see the shaders).
constexpr int kKeyWords = 5;
struct ProgramKey {
    uint32_t w[kKeyWords] = {};
    bool operator==(const ProgramKey&) const = default;
};
struct Program {
    ProgramKey key;
    GLuint name = 0;
    Uniforms u{};
};

enum Dirty : uint32_t {
    DIRTY_TRANSFORM = 1, DIRTY_LIGHTS = 2, DIRTY_MATERIAL = 4, DIRTY_LIGHTING = 8, DIRTY_STAGES = 16,
    DIRTY_TEXTRANSFORM = 32, DIRTY_VIEWPORT = 64, DIRTY_FIXED = 128, DIRTY_SAMPLERS = 256, DIRTY_ATTRIBS = 512,
    DIRTY_TEXTURES = 1024, DIRTY_ALL = 0xFFFFFFFF,
};

// What was last sent to OpenGL for the fixed parts, so unchanged values
// are never sent twice.
struct AppliedGl {
    int depthTest = -1, depthMask = -1, depthFunc = -1, cull = -1, cullFace = -1, frontFace = -1, fill = -1;
    int blend = -1, blendSrc = -1, blendDst = -1, blendOp = -1, colorMask = -1;
    int blendSrcAlpha = -1, blendDstAlpha = -1, blendOpAlpha = -1;
    GLuint textures[2] = {0xFFFFFFFF, 0xFFFFFFFF};
    GLuint framebuffer = 0xFFFFFFFF;
    GpuViewport viewport{0xFFFFFFFF, 0, 0, 0, 0, 0};
};

struct DeviceState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool es = false;
    GpuPresentParams params;
    bool lost = false, needsReset = false, inScene = false;
    char lastError[256] = {};
    GpuCounters counters;

    std::vector<Program> programs;   // every variant built so far; a handful in practice
    int program = -1;                // the one in use
    GLuint vao = 0, samplers[2] = {}, packBuffer = 0, resolveFbo = 0, resolveColor = 0;   // resolveColor: a texture
    GLuint presentProgram = 0, presentVao = 0;   // draws the back buffer into the window
    uint32_t resolveWidth = 0, resolveHeight = 0;
    Uniforms u{};
    GlSurface* backBuffer = nullptr;       // colour, owned
    GlSurface* backDepth = nullptr;        // automatic depth-stencil, owned
    GlSurface* target = nullptr;           // current colour target (back buffer when null)
    GlSurface* depth = nullptr;            // current depth-stencil

    uint32_t rs[256] = {};
    uint32_t tss[8][33] = {};
    uint32_t samp[8][14] = {};
    GpuMatrix world, view, projection, texture[8];
    GpuMaterial material;
    GpuLight lights[8];
    bool lightOn[8] = {};
    GpuTexture* textures[8] = {};
    GpuViewport viewport;
    uint32_t fvf = 0;
    GlVertexBuffer* stream = nullptr;
    uint32_t streamOffset = 0, streamStride = 0;
    GlIndexBuffer* indices = nullptr;
    uint32_t dirty = DIRTY_ALL;
    // Vertex attribute setup last made: buffer, format, first byte.
    GLuint attribBuffer = 0xFFFFFFFF;
    uint32_t attribFvf = 0xFFFFFFFF, attribStride = 0, attribBase = 0xFFFFFFFF;
    AppliedGl applied;
    bool (*minimized)() = PlatWindowIsMinimized;
};

DeviceState* gState = nullptr;
char gLastError[256] = {};
GpuCounters gIdleCounters;

DeviceState& State() { return *gState; }

#define GL(call) (++gState->counters.glCalls, call)

void SetLastError(const char* text)
{
    SDL_strlcpy(gLastError, text ? text : "", sizeof gLastError);
}

uint32_t FloatBits(float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    return bits;
}

int BytesPerPixel(uint32_t format)
{
    switch (format) {
    case GPUFMT_A8R8G8B8: case GPUFMT_X8R8G8B8: return 4;
    case GPUFMT_R5G6B5: case GPUFMT_X1R5G5B5: case GPUFMT_A1R5G5B5: case GPUFMT_A4R4G4B4: return 2;
    default: return 0;
    }
}

// ====================================================================== resources
struct GlSurface final : GpuSurface {
    enum Kind { COLOR_TARGET, TEXTURE_LEVEL, DEPTH, PLAIN, BACK_BUFFER } kind;
    uint32_t width, height, format, samples = 0;
    GLuint fbo = 0, colorBuffer = 0, depthBuffer = 0;   // renderbuffers
    GLuint colorTexture = 0;                              // the back buffer's colour when not multisampled
    GlTexture* parent = nullptr;                          // texture levels
    std::vector<uint8_t> memory;                          // plain surfaces
    bool locked = false;

    GlSurface(Kind k, uint32_t w, uint32_t h, uint32_t f) : kind(k), width(w), height(h), format(f) {}
    ~GlSurface() override
    {
        if (!gState) return;
        if (gState->target == this) gState->target = nullptr;
        if (gState->depth == this) gState->depth = this == gState->backDepth ? nullptr : gState->backDepth;
        if (fbo) GL(glDeleteFramebuffers(1, &fbo));
        if (colorBuffer) GL(glDeleteRenderbuffers(1, &colorBuffer));
        if (depthBuffer) GL(glDeleteRenderbuffers(1, &depthBuffer));
        if (colorTexture) GL(glDeleteTextures(1, &colorTexture));
        if (gState->applied.framebuffer == fbo) gState->applied.framebuffer = 0xFFFFFFFF;
    }
    void Release() override
    {
        if (kind != TEXTURE_LEVEL && kind != BACK_BUFFER) delete this;
    }
    int LockRect(GpuLockedRect* out, const GpuRect* rect, uint32_t) override
    {
        if (kind != PLAIN || locked || !out) return GPU_ERR_INVALID_CALL;
        int bpp = BytesPerPixel(format);
        int32_t x = rect ? rect->left : 0, y = rect ? rect->top : 0;
        if (x < 0 || y < 0 || uint32_t(x) >= std::max(width, 1u) || uint32_t(y) >= std::max(height, 1u))
            return GPU_ERR_INVALID_CALL;
        out->pitch = int32_t(width) * bpp;
        out->bits = memory.data() + size_t(y) * out->pitch + size_t(x) * bpp;
        locked = true;
        return GPU_OK;
    }
    int UnlockRect() override
    {
        if (!locked) return GPU_ERR_INVALID_CALL;
        locked = false;
        return GPU_OK;
    }
    uint32_t GetWidth() const override { return width; }
    uint32_t GetHeight() const override { return height; }
    uint32_t GetFormat() const override { return format; }
};

struct GlTexture final : GpuTexture {
    uint32_t width, height, format;
    bool renderTarget;
    GLuint name = 0;
    std::vector<uint8_t> memory;        // the copy in memory (not for render targets)
    GlSurface* level0 = nullptr;        // render targets: the framebuffer over the texture
    GpuRect lockedRect;
    bool locked = false, lockedReadOnly = false;

    GlTexture(uint32_t w, uint32_t h, uint32_t f, bool rt) : width(w), height(h), format(f), renderTarget(rt) {}
    ~GlTexture() override
    {
        if (!gState) return;
        for (GpuTexture*& bound : gState->textures)
            if (bound == this) bound = nullptr;
        for (GLuint& applied : gState->applied.textures)
            if (applied == name) applied = 0xFFFFFFFF;
        delete level0;
        if (name) GL(glDeleteTextures(1, &name));
    }
    int LockRect(uint32_t level, GpuLockedRect* out, const GpuRect* rect, uint32_t flags) override
    {
        if (level != 0 || locked || !out || renderTarget) return GPU_ERR_INVALID_CALL;
        GpuRect r = rect ? *rect : GpuRect{0, 0, int32_t(width), int32_t(height)};
        if (r.left < 0 || r.top < 0 || r.right > int32_t(width) || r.bottom > int32_t(height) || r.left >= r.right ||
            r.top >= r.bottom)
            return GPU_ERR_INVALID_CALL;
        int bpp = BytesPerPixel(format);
        out->pitch = int32_t(width) * bpp;
        out->bits = memory.data() + size_t(r.top) * out->pitch + size_t(r.left) * bpp;
        lockedRect = r;
        locked = true;
        lockedReadOnly = (flags & GPULOCK_READONLY) != 0;
        return GPU_OK;
    }
    int UnlockRect(uint32_t level) override;
    uint32_t GetWidth() const override { return width; }
    uint32_t GetHeight() const override { return height; }
    uint32_t GetFormat() const override { return format; }
    GpuSurface* GetSurfaceLevel(uint32_t level) override { return level == 0 ? level0 : nullptr; }
};

void RestoreElementBinding();

struct GlBuffer {
    GLuint name = 0;
    GLenum target;
    std::vector<uint8_t> memory;
    uint32_t lockOffset = 0, lockSize = 0;
    bool locked = false, dynamic = false;

    GlBuffer(GLenum t, uint32_t size, bool dyn) : target(t), memory(size), dynamic(dyn) {}
    int Lock(uint32_t offset, uint32_t size, void** out)
    {
        if (locked || !out || offset > memory.size()) return GPU_ERR_INVALID_CALL;
        if (size == 0) size = uint32_t(memory.size()) - offset;
        if (size > memory.size() - offset) return GPU_ERR_INVALID_CALL;
        lockOffset = offset, lockSize = size, locked = true;
        *out = memory.data() + offset;
        return GPU_OK;
    }
    int Unlock()
    {
        if (!locked) return GPU_ERR_INVALID_CALL;
        locked = false;
        if (!gState || lockSize == 0) return GPU_OK;
        GL(glBindBuffer(target, name));
        GL(glBufferSubData(target, lockOffset, lockSize, memory.data() + lockOffset));
        if (target == GL_ARRAY_BUFFER) gState->attribBuffer = 0xFFFFFFFF;   // bound elsewhere now
        else RestoreElementBinding();
        return GPU_OK;
    }
    void Make()
    {
        GL(glGenBuffers(1, &name));
        GL(glBindBuffer(target, name));
        GL(glBufferData(target, GLsizeiptr(memory.size()), memory.data(), dynamic ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW));
        if (target == GL_ARRAY_BUFFER) gState->attribBuffer = 0xFFFFFFFF;
        else RestoreElementBinding();
    }
    void Destroy()
    {
        if (gState && name) GL(glDeleteBuffers(1, &name));
    }
};

struct GlVertexBuffer final : GpuVertexBuffer {
    GlBuffer buffer;
    GlVertexBuffer(uint32_t size, bool dynamic) : buffer(GL_ARRAY_BUFFER, size, dynamic) {}
    ~GlVertexBuffer() override
    {
        if (gState && gState->stream == this) gState->stream = nullptr;
        if (gState && gState->attribBuffer == buffer.name) gState->attribBuffer = 0xFFFFFFFF;
        buffer.Destroy();
    }
    int Lock(uint32_t offset, uint32_t size, void** out, uint32_t) override { return buffer.Lock(offset, size, out); }
    int Unlock() override { return buffer.Unlock(); }
    uint32_t GetSize() const override { return uint32_t(buffer.memory.size()); }
};

struct GlIndexBuffer final : GpuIndexBuffer {
    GlBuffer buffer;
    uint32_t format;
    GlIndexBuffer(uint32_t size, bool dynamic, uint32_t f) : buffer(GL_ELEMENT_ARRAY_BUFFER, size, dynamic), format(f) {}
    ~GlIndexBuffer() override
    {
        if (gState && gState->indices == this) gState->indices = nullptr;
        buffer.Destroy();
    }
    int Lock(uint32_t offset, uint32_t size, void** out, uint32_t) override { return buffer.Lock(offset, size, out); }
    int Unlock() override { return buffer.Unlock(); }
    uint32_t GetSize() const override { return uint32_t(buffer.memory.size()); }
    uint32_t GetFormat() const override { return format; }
};

// The element binding belongs to the vertex array: uploads through it must
// leave the chosen index buffer bound.
void RestoreElementBinding()
{
    GL(glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, gState->indices ? gState->indices->buffer.name : 0));
}

// ---------------------------------------------------------------- texture uploads
// How a format's bytes go to OpenGL as they are (with a swizzle), or false
// when rows must be converted to RGBA first.
bool DirectUpload(uint32_t format, GLenum* internal, GLenum* layout, GLenum* type)
{
    switch (format) {
    case GPUFMT_A8R8G8B8: case GPUFMT_X8R8G8B8:
        *internal = GL_RGBA8, *layout = GL_RGBA, *type = GL_UNSIGNED_BYTE;   // bytes B, G, R, A: swizzled
        return true;
    case GPUFMT_R5G6B5:
        *internal = GL_RGB565, *layout = GL_RGB, *type = GL_UNSIGNED_SHORT_5_6_5;
        return true;
    case GPUFMT_A4R4G4B4:
        *internal = GL_RGBA4, *layout = GL_RGBA, *type = GL_UNSIGNED_SHORT_4_4_4_4;   // swizzled
        return true;
    default:
        return false;
    }
}

void SetSwizzle(uint32_t format)
{
    GLint r = GL_RED, g = GL_GREEN, b = GL_BLUE, a = GL_ALPHA;
    if (format == GPUFMT_A8R8G8B8) r = GL_BLUE, b = GL_RED;
    else if (format == GPUFMT_X8R8G8B8) r = GL_BLUE, b = GL_RED, a = GL_ONE;
    else if (format == GPUFMT_A4R4G4B4) r = GL_GREEN, g = GL_BLUE, b = GL_ALPHA, a = GL_RED;
    else if (format == GPUFMT_R5G6B5 || format == GPUFMT_X1R5G5B5) a = GL_ONE;
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, r));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_G, g));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, b));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, a));
}

void BindForUpload(GLuint name)
{
    GL(glActiveTexture(GL_TEXTURE0));
    GL(glBindTexture(GL_TEXTURE_2D, name));
    State().applied.textures[0] = name;
}

void UploadRegion(GlTexture& t, const GpuRect& r)
{
    BindForUpload(t.name);
    int bpp = BytesPerPixel(t.format);
    const uint8_t* first = t.memory.data() + (size_t(r.top) * t.width + size_t(r.left)) * bpp;
    int32_t w = r.right - r.left, h = r.bottom - r.top;
    GLenum internal, layout, type;
    if (DirectUpload(t.format, &internal, &layout, &type)) {
        GL(glPixelStorei(GL_UNPACK_ALIGNMENT, bpp == 4 ? 4 : 2));
        GL(glPixelStorei(GL_UNPACK_ROW_LENGTH, GLint(t.width)));
        GL(glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, w, h, layout, type, first));
        GL(glPixelStorei(GL_UNPACK_ROW_LENGTH, 0));
    } else {   // 1-5-5-5: no such layout in OpenGL ES, so spread to bytes
        std::vector<uint8_t> rgba(size_t(w) * h * 4);
        for (int32_t y = 0; y < h; ++y) {
            const auto* row = reinterpret_cast<const uint16_t*>(first + size_t(y) * t.width * 2);
            for (int32_t x = 0; x < w; ++x) {
                uint16_t p = row[x];
                uint8_t* o = &rgba[(size_t(y) * w + x) * 4];
                o[0] = uint8_t(((p >> 10) & 31) * 255 / 31);
                o[1] = uint8_t(((p >> 5) & 31) * 255 / 31);
                o[2] = uint8_t((p & 31) * 255 / 31);
                o[3] = t.format == GPUFMT_A1R5G5B5 ? ((p & 0x8000) ? 255 : 0) : 255;
            }
        }
        GL(glPixelStorei(GL_UNPACK_ALIGNMENT, 4));
        GL(glTexSubImage2D(GL_TEXTURE_2D, 0, r.left, r.top, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data()));
    }
    State().counters.uploadedBytes += uint64_t(w) * h * bpp;
}

int GlTexture::UnlockRect(uint32_t level)
{
    if (level != 0 || !locked) return GPU_ERR_INVALID_CALL;
    locked = false;
    if (!lockedReadOnly && gState) UploadRegion(*this, lockedRect);
    return GPU_OK;
}

// ====================================================================== shader program
GLuint Compile(GLenum kind, const char* defines, const char* body)
{
    const char* version = State().es ? "#version 300 es\n" : "#version 330 core\n";
    const char* sources[3] = {version, defines, body};
    GLuint shader = GL(glCreateShader(kind));
    GL(glShaderSource(shader, 3, sources, nullptr));
    GL(glCompileShader(shader));
    GLint ok = 0;
    GL(glGetShaderiv(shader, GL_COMPILE_STATUS, &ok));
    if (!ok) {
        char log[200] = {};
        GL(glGetShaderInfoLog(shader, sizeof log - 1, nullptr, log));
        SetLastError(log);
        GL(glDeleteShader(shader));
        return 0;
    }
    return shader;
}

// The #define lines of a variant, from its key (laid out by MakeKey).
void Defines(const ProgramKey& k, char* out, size_t size)
{
    uint32_t f = k.w[0];
    auto stage = [&](int n, uint32_t ops, uint32_t alphaArgs, char* text, size_t room) {
        snprintf(text, room,
                 "#define STAGE%d_COLOROP %u\n#define STAGE%d_COLORARG1 %u\n#define STAGE%d_COLORARG2 %u\n"
                 "#define STAGE%d_ALPHAOP %u\n#define STAGE%d_ALPHAARG1 %u\n#define STAGE%d_ALPHAARG2 %u\n",
                 n, ops & 255, n, (ops >> 8) & 255, n, (ops >> 16) & 255, n, ops >> 24, n, alphaArgs & 255, n,
                 (alphaArgs >> 8) & 255);
    };
    char s0[400], s1[400];
    stage(0, k.w[1], k.w[2], s0, sizeof s0);
    stage(1, k.w[3], k.w[4], s1, sizeof s1);
    snprintf(out, size,
             "#define LIGHTING %u\n#define LIGHT_COUNT %u\n#define NORMALIZE %u\n#define LOCAL_VIEWER %u\n"
             "#define SPECULAR %u\n#define DIFFUSE_SOURCE %u\n#define AMBIENT_SOURCE %u\n#define SPECULAR_SOURCE %u\n"
             "#define EMISSIVE_SOURCE %u\n#define TEXCOORD0 %u\n#define TEXCOORD1 %u\n#define TEXTRANSFORM0 %u\n"
             "#define TEXTRANSFORM1 %u\n#define TEXTURE0 %u\n#define TEXTURE1 %u\n#define ALPHA_FUNC %u\n%s%s",
             f & 1, (f >> 1) & 15, (f >> 5) & 1, (f >> 6) & 1, (f >> 7) & 1, (f >> 8) & 1, (f >> 9) & 1,
             (f >> 10) & 1, (f >> 11) & 1, (f >> 12) & 1, (f >> 13) & 1, (f >> 14) & 1, (f >> 15) & 1, (f >> 16) & 1,
             (f >> 17) & 1, (f >> 18) & 15, s0, s1);
}

// Builds the variant; -1 with the reason in the last error.
int BuildProgram(const ProgramKey& key)
{
    DeviceState& s = State();
    char defines[2000];
    Defines(key, defines, sizeof defines);
    GLuint vs = Compile(GL_VERTEX_SHADER, defines, kGpuFixedVert);
    GLuint fs = vs ? Compile(GL_FRAGMENT_SHADER, defines, kGpuFixedFrag) : 0;
    if (!fs) {
        if (vs) GL(glDeleteShader(vs));
        return -1;
    }
    Program program;
    program.key = key;
    program.name = GL(glCreateProgram());
    GL(glAttachShader(program.name, vs));
    GL(glAttachShader(program.name, fs));
    GL(glLinkProgram(program.name));
    GL(glDeleteShader(vs));
    GL(glDeleteShader(fs));
    GLint ok = 0;
    GL(glGetProgramiv(program.name, GL_LINK_STATUS, &ok));
    if (!ok) {
        char log[200] = {};
        GL(glGetProgramInfoLog(program.name, sizeof log - 1, nullptr, log));
        SetLastError(log);
        GL(glDeleteProgram(program.name));
        return -1;
    }
    auto at = [&](const char* name) { return GL(glGetUniformLocation(program.name, name)); };
    program.u = Uniforms{at("uWorldView"), at("uProjection"), at("uNormalMatrix"), at("uHalfPixel"), at("uFlipY"),
                         at("uGlobalAmbient"), at("uMatDiffuse"), at("uMatAmbient"), at("uMatSpecular"),
                         at("uMatEmissive"), at("uMatPower"), at("uLightType"), at("uLightPosition"),
                         at("uLightDirection"), at("uLightDiffuse"), at("uLightSpecular"), at("uLightAmbient"),
                         at("uLightAttenuation"), at("uLightSpot"), at("uTexTransform"), at("uTexture0"),
                         at("uTexture1"), at("uTextureFactor"), at("uAlphaRef")};
    GL(glUseProgram(program.name));
    GL(glUniform1i(program.u.texture0, 0));
    GL(glUniform1i(program.u.texture1, 1));
    s.programs.push_back(program);
    return int(s.programs.size()) - 1;
}

// ====================================================================== defaults
void DefaultStates(DeviceState& s)
{
    std::memset(s.rs, 0, sizeof s.rs);
    auto set = [&](uint32_t state, uint32_t value) { s.rs[state] = value; };
    set(GPURS_FILLMODE, GPUFILL_SOLID), set(GPURS_SHADEMODE, 2), set(GPURS_ZWRITEENABLE, 1);
    set(GPURS_LASTPIXEL, 1), set(GPURS_SRCBLEND, GPUBLEND_ONE), set(GPURS_DESTBLEND, GPUBLEND_ZERO);
    set(GPURS_CULLMODE, GPUCULL_CCW), set(GPURS_ZFUNC, GPUCMP_LESSEQUAL), set(GPURS_ALPHAFUNC, GPUCMP_ALWAYS);
    set(GPURS_TEXTUREFACTOR, 0xFFFFFFFF), set(GPURS_LIGHTING, 1), set(GPURS_COLORVERTEX, 1);
    set(GPURS_LOCALVIEWER, 1), set(GPURS_DIFFUSEMATERIALSOURCE, GPUMCS_COLOR1);
    set(GPURS_SPECULARMATERIALSOURCE, GPUMCS_COLOR2), set(GPURS_COLORWRITEENABLE, 15);
    set(GPURS_BLENDOP, GPUBLENDOP_ADD), set(GPURS_FOGEND, FloatBits(1.0f)), set(GPURS_FOGDENSITY, FloatBits(1.0f));
    set(GPURS_CLIPPING, 1), set(GPURS_MULTISAMPLEANTIALIAS, 1), set(GPURS_MULTISAMPLEMASK, 0xFFFFFFFF);
    set(GPURS_SRCBLENDALPHA, GPUBLEND_ONE), set(GPURS_DESTBLENDALPHA, GPUBLEND_ZERO), set(GPURS_BLENDOPALPHA, GPUBLENDOP_ADD);
    // Depth testing starts off, as the engine's state cache assumes; it is
    // switched on by whoever draws in depth.
    for (uint32_t stage = 0; stage < 8; ++stage) {
        uint32_t* t = s.tss[stage];
        std::memset(t, 0, sizeof s.tss[stage]);
        t[GPUTSS_COLOROP] = stage == 0 ? GPUTOP_MODULATE : GPUTOP_DISABLE;
        t[GPUTSS_COLORARG1] = GPUTA_TEXTURE, t[GPUTSS_COLORARG2] = GPUTA_CURRENT;
        t[GPUTSS_ALPHAOP] = stage == 0 ? GPUTOP_SELECTARG1 : GPUTOP_DISABLE;
        t[GPUTSS_ALPHAARG1] = GPUTA_TEXTURE, t[GPUTSS_ALPHAARG2] = GPUTA_CURRENT;
        t[GPUTSS_TEXCOORDINDEX] = stage;
        t[GPUTSS_COLORARG0] = t[GPUTSS_ALPHAARG0] = t[GPUTSS_RESULTARG] = GPUTA_CURRENT;
        t[GPUTSS_CONSTANT] = 0xFFFFFFFF;
        uint32_t* sm = s.samp[stage];
        std::memset(sm, 0, sizeof s.samp[stage]);
        sm[GPUSAMP_ADDRESSU] = sm[GPUSAMP_ADDRESSV] = sm[GPUSAMP_ADDRESSW] = GPUTADDRESS_WRAP;
        sm[GPUSAMP_MAGFILTER] = sm[GPUSAMP_MINFILTER] = GPUTEXF_POINT;
    }
    s.world = s.view = s.projection = GpuMatrix{};
    for (GpuMatrix& m : s.texture) m = GpuMatrix{};
    s.material = GpuMaterial{};
    for (int i = 0; i < 8; ++i) {
        s.lights[i] = GpuLight{};
        s.lightOn[i] = false;
        s.textures[i] = nullptr;
    }
    s.viewport = GpuViewport{0, 0, s.params.width, s.params.height, 0, 1};
    s.target = nullptr;
    s.depth = s.backDepth;
    s.fvf = 0;
    s.stream = nullptr;
    s.indices = nullptr;
    s.dirty = DIRTY_ALL;
}

// ====================================================================== framebuffers
GLuint NewRenderbuffer(GLenum internal, uint32_t w, uint32_t h, uint32_t samples)
{
    GLuint rb = 0;
    GL(glGenRenderbuffers(1, &rb));
    GL(glBindRenderbuffer(GL_RENDERBUFFER, rb));
    if (samples > 1) GL(glRenderbufferStorageMultisample(GL_RENDERBUFFER, GLsizei(samples), internal, GLsizei(w), GLsizei(h)));
    else GL(glRenderbufferStorage(GL_RENDERBUFFER, internal, GLsizei(w), GLsizei(h)));
    return rb;
}

// A colour texture to draw into and then show with one quad (a blit into
// the window is far slower on software renderers than a textured draw).
GLuint NewColorTexture(uint32_t w, uint32_t h)
{
    GLuint name = 0;
    GL(glGenTextures(1, &name));
    BindForUpload(name);
    GL(glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, GLsizei(w), GLsizei(h), 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR));
    GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR));
    return name;
}

GLenum DepthInternal(uint32_t format) { return format == GPUFMT_D24S8 ? GL_DEPTH24_STENCIL8 : GL_DEPTH_COMPONENT16; }
GLenum DepthAttachment(uint32_t format)
{
    return format == GPUFMT_D24S8 ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
}

GlSurface* TargetOrBack(GlSurface* s) { return s ? s : State().backBuffer; }

// Binds the colour target with the current depth surface attached when it
// is at least as large and has the same sampling.
void BindTarget()
{
    DeviceState& s = State();
    GlSurface* target = TargetOrBack(s.target);
    GL(glBindFramebuffer(GL_FRAMEBUFFER, target->fbo));
    s.applied.framebuffer = target->fbo;
    GlSurface* depth = s.depth;
    GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, 0));
    if (depth && depth->width >= target->width && depth->height >= target->height && depth->samples == target->samples)
        GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, DepthAttachment(depth->format), GL_RENDERBUFFER, depth->depthBuffer));
}

void EnsureTargetBound()
{
    DeviceState& s = State();
    if (s.applied.framebuffer != TargetOrBack(s.target)->fbo) BindTarget();
}

bool MakeBackBuffer(DeviceState& s)
{
    delete s.backBuffer;
    delete s.backDepth;
    s.backBuffer = s.backDepth = nullptr;
    uint32_t w = std::max(1u, s.params.width), h = std::max(1u, s.params.height);
    uint32_t samples = s.params.multiSampleType > 1 ? s.params.multiSampleType : 0;
    auto* back = new GlSurface(GlSurface::BACK_BUFFER, w, h, GPUFMT_X8R8G8B8);
    back->samples = samples;
    GL(glGenFramebuffers(1, &back->fbo));
    GL(glBindFramebuffer(GL_FRAMEBUFFER, back->fbo));
    if (samples) {
        back->colorBuffer = NewRenderbuffer(GL_RGBA8, w, h, samples);
        GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, back->colorBuffer));
    } else {
        back->colorTexture = NewColorTexture(w, h);
        GL(glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, back->colorTexture, 0));
    }
    s.backBuffer = back;
    if (s.params.autoDepthStencil) {
        auto* depth = new GlSurface(GlSurface::BACK_BUFFER, w, h, s.params.depthStencilFormat);
        depth->samples = samples;
        depth->depthBuffer = NewRenderbuffer(DepthInternal(depth->format), w, h, samples);
        GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, DepthAttachment(depth->format), GL_RENDERBUFFER, depth->depthBuffer));
        s.backDepth = depth;
    }
    s.applied.framebuffer = back->fbo;
    return GL(glCheckFramebufferStatus(GL_FRAMEBUFFER)) == GL_FRAMEBUFFER_COMPLETE;
}

// A single-sampled copy of a multisampled target, for reading and showing.
GLuint Resolve(GlSurface* target)
{
    DeviceState& s = State();
    if (target->samples == 0) return target->fbo;
    if (!s.resolveFbo || s.resolveWidth != target->width || s.resolveHeight != target->height) {
        if (s.resolveFbo) GL(glDeleteFramebuffers(1, &s.resolveFbo));
        if (s.resolveColor) GL(glDeleteTextures(1, &s.resolveColor));
        s.resolveColor = NewColorTexture(target->width, target->height);
        GL(glGenFramebuffers(1, &s.resolveFbo));
        GL(glBindFramebuffer(GL_FRAMEBUFFER, s.resolveFbo));
        GL(glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, s.resolveColor, 0));
        s.resolveWidth = target->width, s.resolveHeight = target->height;
        s.applied.framebuffer = 0xFFFFFFFF;
    }
    GL(glBindFramebuffer(GL_READ_FRAMEBUFFER, target->fbo));
    GL(glBindFramebuffer(GL_DRAW_FRAMEBUFFER, s.resolveFbo));
    GLint w = GLint(target->width), h = GLint(target->height);
    GL(glBlitFramebuffer(0, 0, w, h, 0, 0, w, h, GL_COLOR_BUFFER_BIT, GL_NEAREST));
    s.applied.framebuffer = 0xFFFFFFFF;
    return s.resolveFbo;
}

// ====================================================================== applying state at a draw
GLenum CompareFunc(uint32_t f)
{
    static const GLenum table[] = {GL_ALWAYS, GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
    return f < 9 ? table[f] : GL_ALWAYS;
}

GLenum BlendFactor(uint32_t f, bool source)
{
    switch (f) {
    case GPUBLEND_ZERO: return GL_ZERO;
    case GPUBLEND_ONE: return GL_ONE;
    case GPUBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case GPUBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case GPUBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case GPUBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case GPUBLEND_DESTALPHA: return GL_DST_ALPHA;
    case GPUBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case GPUBLEND_DESTCOLOR: return GL_DST_COLOR;
    case GPUBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case GPUBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case GPUBLEND_BOTHSRCALPHA: return source ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA;
    case GPUBLEND_BOTHINVSRCALPHA: return source ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    case GPUBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case GPUBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return source ? GL_ONE : GL_ZERO;
    }
}

GLenum BlendEquation(uint32_t op)
{
    switch (op) {
    case GPUBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case GPUBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case GPUBLENDOP_MIN: return GL_MIN;
    case GPUBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

template <typename T>
bool Changed(T& applied, T value)
{
    if (applied == value) return false;
    applied = value;
    return true;
}

void Toggle(GLenum cap, int& applied, bool on)
{
    if (Changed(applied, on ? 1 : 0)) {
        if (on) GL(glEnable(cap));
        else GL(glDisable(cap));
    }
}

void ApplyFixed()
{
    DeviceState& s = State();
    AppliedGl& a = s.applied;
    const uint32_t* rs = s.rs;
    bool hasDepth = s.depth != nullptr;
    Toggle(GL_DEPTH_TEST, a.depthTest, hasDepth && rs[GPURS_ZENABLE] != 0);
    if (Changed(a.depthMask, rs[GPURS_ZWRITEENABLE] ? 1 : 0)) GL(glDepthMask(rs[GPURS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE));
    if (Changed(a.depthFunc, int(rs[GPURS_ZFUNC]))) GL(glDepthFunc(CompareFunc(rs[GPURS_ZFUNC])));
    uint32_t cull = rs[GPURS_CULLMODE];
    Toggle(GL_CULL_FACE, a.cull, cull == GPUCULL_CW || cull == GPUCULL_CCW);
    // Every target keeps its rows top down, which mirrors the picture in
    // OpenGL's window coordinates: the winding the engine calls clockwise
    // is OpenGL's counter-clockwise.  Culling counter-clockwise (the
    // default) therefore culls OpenGL's clockwise faces.
    if (Changed(a.frontFace, 1)) GL(glFrontFace(GL_CW));
    if (cull == GPUCULL_CW || cull == GPUCULL_CCW) {
        if (Changed(a.cullFace, int(cull))) GL(glCullFace(cull == GPUCULL_CCW ? GL_FRONT : GL_BACK));
    }
    if (!s.es && Changed(a.fill, int(rs[GPURS_FILLMODE]))) {
        GLenum mode = rs[GPURS_FILLMODE] == GPUFILL_WIREFRAME ? GL_LINE : rs[GPURS_FILLMODE] == GPUFILL_POINT ? GL_POINT : GL_FILL;
        GL(glPolygonMode(GL_FRONT_AND_BACK, mode));
    }
    Toggle(GL_BLEND, a.blend, rs[GPURS_ALPHABLENDENABLE] != 0);
    if (rs[GPURS_ALPHABLENDENABLE]) {
        // Without the separate alpha states the alpha channel blends as the colour does.
        bool separate = rs[GPURS_SEPARATEALPHABLENDENABLE] != 0;
        uint32_t srcAlpha = separate ? rs[GPURS_SRCBLENDALPHA] : rs[GPURS_SRCBLEND];
        uint32_t dstAlpha = separate ? rs[GPURS_DESTBLENDALPHA] : rs[GPURS_DESTBLEND];
        uint32_t opAlpha = separate ? rs[GPURS_BLENDOPALPHA] : rs[GPURS_BLENDOP];
        bool factors = Changed(a.blendSrc, int(rs[GPURS_SRCBLEND]));
        factors = Changed(a.blendDst, int(rs[GPURS_DESTBLEND])) || factors;
        factors = Changed(a.blendSrcAlpha, int(srcAlpha)) || factors;
        factors = Changed(a.blendDstAlpha, int(dstAlpha)) || factors;
        if (factors)
            GL(glBlendFuncSeparate(BlendFactor(rs[GPURS_SRCBLEND], true), BlendFactor(rs[GPURS_DESTBLEND], false),
                                   BlendFactor(srcAlpha, true), BlendFactor(dstAlpha, false)));
        bool ops = Changed(a.blendOp, int(rs[GPURS_BLENDOP]));
        ops = Changed(a.blendOpAlpha, int(opAlpha)) || ops;
        if (ops) GL(glBlendEquationSeparate(BlendEquation(rs[GPURS_BLENDOP]), BlendEquation(opAlpha)));
    }
    uint32_t mask = rs[GPURS_COLORWRITEENABLE] & 15;
    if (Changed(a.colorMask, int(mask))) GL(glColorMask(mask & 1, (mask >> 1) & 1, (mask >> 2) & 1, (mask >> 3) & 1));
}

void ApplyViewport()
{
    DeviceState& s = State();
    const GpuViewport& v = s.viewport;
    if (s.applied.viewport.x != v.x || s.applied.viewport.y != v.y || s.applied.viewport.width != v.width ||
        s.applied.viewport.height != v.height) {
        GL(glViewport(GLint(v.x), GLint(v.y), GLsizei(v.width), GLsizei(v.height)));   // rows top down: no flip
        s.applied.viewport = v;
    }
    GL(glUniform2f(s.u.halfPixel, v.width ? 1.0f / float(v.width) : 0.0f, v.height ? 1.0f / float(v.height) : 0.0f));
    GL(glUniform1f(s.u.flipY, -1.0f));
    // The float forms are OpenGL ES (and desktop 4.1); 3.3 has the double ones.
    if (s.es) GL(glDepthRangef(v.minZ, v.maxZ));
    else GL(glDepthRange(v.minZ, v.maxZ));
}

void Vec4(GLint location, const GpuColorValue& c) { GL(glUniform4f(location, c.r, c.g, c.b, c.a)); }

GpuColorValue ColorOf(uint32_t argb)
{
    return {float((argb >> 16) & 255) / 255.0f, float((argb >> 8) & 255) / 255.0f, float(argb & 255) / 255.0f,
            float(argb >> 24) / 255.0f};
}

GpuVector TransformPoint(const GpuMatrix& m, const GpuVector& v)
{
    return {v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0] + m.m[3][0],
            v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1] + m.m[3][1],
            v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2] + m.m[3][2]};
}

GpuVector TransformDirection(const GpuMatrix& m, const GpuVector& v)
{
    GpuVector r{v.x * m.m[0][0] + v.y * m.m[1][0] + v.z * m.m[2][0], v.x * m.m[0][1] + v.y * m.m[1][1] + v.z * m.m[2][1],
                v.x * m.m[0][2] + v.y * m.m[1][2] + v.z * m.m[2][2]};
    float length = std::sqrt(r.x * r.x + r.y * r.y + r.z * r.z);
    if (length > 0) r = {r.x / length, r.y / length, r.z / length};
    return r;
}

// Normals go through the inverse transpose of the upper 3×3 of world × view.
void NormalMatrix(const GpuMatrix& wv, float out[9])
{
    const float(*m)[4] = wv.m;
    float c00 = m[1][1] * m[2][2] - m[1][2] * m[2][1], c01 = m[1][2] * m[2][0] - m[1][0] * m[2][2],
          c02 = m[1][0] * m[2][1] - m[1][1] * m[2][0];
    float det = m[0][0] * c00 + m[0][1] * c01 + m[0][2] * c02;
    float inv = std::fabs(det) > 1e-20f ? 1.0f / det : 0.0f;
    // A row vector times the inverse transpose is the inverse times a column
    // vector; the inverse is the transposed cofactors over the determinant,
    // and column-major order transposes once more.
    float cof[3][3] = {{c00, c01, c02},   // the signed cofactors of the upper 3×3
                       {m[0][2] * m[2][1] - m[0][1] * m[2][2], m[0][0] * m[2][2] - m[0][2] * m[2][0], m[0][1] * m[2][0] - m[0][0] * m[2][1]},
                       {m[0][1] * m[1][2] - m[0][2] * m[1][1], m[0][2] * m[1][0] - m[0][0] * m[1][2], m[0][0] * m[1][1] - m[0][1] * m[1][0]}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) out[i * 3 + j] = cof[i][j] * inv;
}

// The switches of the variant the current states need.  Switches that
// cannot matter (lighting details with lighting off, the second stage after
// a disabled first) are left 0 so that they do not make needless variants.
ProgramKey MakeKey()
{
    DeviceState& s = State();
    const uint32_t* rs = s.rs;
    ProgramKey k;
    uint32_t f = 0;
    if (rs[GPURS_LIGHTING]) {
        // A material source names the vertex colour only when the vertices
        // carry one and colour-vertex is on; specular colour is never carried.
        bool vertexColor = rs[GPURS_COLORVERTEX] && (s.fvf & GPUFVF_DIFFUSE);
        auto source = [&](uint32_t state) { return vertexColor && rs[state] == GPUMCS_COLOR1 ? 1u : 0u; };
        uint32_t lights = 0;
        for (bool on : s.lightOn) lights += on ? 1 : 0;
        f |= 1 | lights << 1 | (rs[GPURS_NORMALIZENORMALS] ? 1u : 0u) << 5 | (rs[GPURS_LOCALVIEWER] ? 1u : 0u) << 6;
        f |= source(GPURS_DIFFUSEMATERIALSOURCE) << 8 | source(GPURS_AMBIENTMATERIALSOURCE) << 9;
        f |= source(GPURS_SPECULARMATERIALSOURCE) << 10 | source(GPURS_EMISSIVEMATERIALSOURCE) << 11;
        f |= (rs[GPURS_SPECULARENABLE] ? 1u : 0u) << 7;
    }
    uint32_t stages = s.tss[0][GPUTSS_COLOROP] == GPUTOP_DISABLE ? 0 : s.tss[1][GPUTSS_COLOROP] == GPUTOP_DISABLE ? 1 : 2;
    for (uint32_t i = 0; i < 2; ++i) {
        const uint32_t* t = s.tss[i];
        if (i >= stages) {
            k.w[1 + i * 2] = GPUTOP_DISABLE;
            continue;
        }
        f |= (t[GPUTSS_TEXCOORDINDEX] & 0xFFFF ? 1u : 0u) << (12 + i);
        f |= (t[GPUTSS_TEXTURETRANSFORMFLAGS] == GPUTTFF_COUNT2 ? 1u : 0u) << (14 + i);
        f |= (s.textures[i] ? 1u : 0u) << (16 + i);
        k.w[1 + i * 2] = (t[GPUTSS_COLOROP] & 255) | (t[GPUTSS_COLORARG1] & 255) << 8 | (t[GPUTSS_COLORARG2] & 255) << 16 |
                         (t[GPUTSS_ALPHAOP] & 255) << 24;
        k.w[2 + i * 2] = (t[GPUTSS_ALPHAARG1] & 255) | (t[GPUTSS_ALPHAARG2] & 255) << 8;
    }
    f |= (rs[GPURS_ALPHATESTENABLE] ? rs[GPURS_ALPHAFUNC] & 15 : GPUCMP_ALWAYS) << 18;
    k.w[0] = f;
    return k;
}

// Puts the variant for the current states in use; a change of program
// sends every uniform again, as each program keeps its own.
bool SelectProgram()
{
    DeviceState& s = State();
    if (s.program >= 0 && !(s.dirty & (DIRTY_FIXED | DIRTY_LIGHTING | DIRTY_STAGES | DIRTY_LIGHTS | DIRTY_TEXTURES |
                                        DIRTY_ATTRIBS)))
        return true;
    ProgramKey key = MakeKey();
    if (s.program >= 0 && s.programs[size_t(s.program)].key == key) return true;
    int found = -1;
    for (size_t i = 0; i < s.programs.size(); ++i)
        if (s.programs[i].key == key) found = int(i);
    if (found < 0 && (found = BuildProgram(key)) < 0) return false;
    GL(glUseProgram(s.programs[size_t(found)].name));
    s.program = found;
    s.u = s.programs[size_t(found)].u;
    s.dirty |= DIRTY_TRANSFORM | DIRTY_LIGHTS | DIRTY_MATERIAL | DIRTY_LIGHTING | DIRTY_STAGES | DIRTY_TEXTRANSFORM |
               DIRTY_VIEWPORT;
    return true;
}

void ApplyUniforms()
{
    DeviceState& s = State();
    const Uniforms& u = s.u;
    const uint32_t* rs = s.rs;
    GpuMatrix worldView = GpuMultiply(s.world, s.view);
    if (s.dirty & DIRTY_TRANSFORM) {
        GL(glUniformMatrix4fv(u.worldView, 1, GL_FALSE, &worldView.m[0][0]));
        GL(glUniformMatrix4fv(u.projection, 1, GL_FALSE, &s.projection.m[0][0]));
        float normal[9];
        NormalMatrix(worldView, normal);
        GL(glUniformMatrix3fv(u.normalMatrix, 1, GL_FALSE, normal));
    }
    if (s.dirty & DIRTY_LIGHTS) {
        GLint types[8] = {};
        float position[24] = {}, direction[24] = {}, diffuse[32] = {}, specular[32] = {}, ambient[32] = {},
              attenuation[32] = {}, spot[24] = {};
        int n = 0;
        for (int i = 0; i < 8; ++i) {
            if (!s.lightOn[i]) continue;
            const GpuLight& l = s.lights[i];
            types[n] = GLint(l.type);
            GpuVector p = TransformPoint(s.view, l.position), d = TransformDirection(s.view, l.direction);
            std::memcpy(&position[n * 3], &p, 12);
            std::memcpy(&direction[n * 3], &d, 12);
            std::memcpy(&diffuse[n * 4], &l.diffuse, 16);
            std::memcpy(&specular[n * 4], &l.specular, 16);
            std::memcpy(&ambient[n * 4], &l.ambient, 16);
            float att[4] = {l.attenuation0, l.attenuation1, l.attenuation2, l.range > 0 ? l.range : 1e30f};
            std::memcpy(&attenuation[n * 4], att, 16);
            float sp[3] = {std::cos(l.theta * 0.5f), std::cos(l.phi * 0.5f), l.falloff};
            std::memcpy(&spot[n * 3], sp, 12);
            ++n;
        }
        if (n > 0) {
            GL(glUniform1iv(u.lightType, n, types));
            GL(glUniform3fv(u.lightPosition, n, position));
            GL(glUniform3fv(u.lightDirection, n, direction));
            GL(glUniform4fv(u.lightDiffuse, n, diffuse));
            GL(glUniform4fv(u.lightSpecular, n, specular));
            GL(glUniform4fv(u.lightAmbient, n, ambient));
            GL(glUniform4fv(u.lightAttenuation, n, attenuation));
            GL(glUniform3fv(u.lightSpot, n, spot));
        }
    }
    if (s.dirty & DIRTY_MATERIAL) {
        Vec4(u.matDiffuse, s.material.diffuse);
        Vec4(u.matAmbient, s.material.ambient);
        Vec4(u.matSpecular, s.material.specular);
        Vec4(u.matEmissive, s.material.emissive);
        GL(glUniform1f(u.matPower, s.material.power));
    }
    if (s.dirty & DIRTY_LIGHTING) Vec4(u.globalAmbient, ColorOf(rs[GPURS_AMBIENT]));
    if (s.dirty & DIRTY_STAGES) {
        Vec4(u.textureFactor, ColorOf(rs[GPURS_TEXTUREFACTOR]));
        GL(glUniform1f(u.alphaRef, float(rs[GPURS_ALPHAREF] & 255)));
    }
    if (s.dirty & DIRTY_TEXTRANSFORM) GL(glUniformMatrix4fv(u.texTransform, 2, GL_FALSE, &s.texture[0].m[0][0]));
    if (s.dirty & DIRTY_VIEWPORT) ApplyViewport();
}

GLint WrapMode(uint32_t mode)
{
    if (mode == GPUTADDRESS_MIRROR) return GL_MIRRORED_REPEAT;
    if (mode == GPUTADDRESS_CLAMP || mode == GPUTADDRESS_BORDER) return GL_CLAMP_TO_EDGE;
    return GL_REPEAT;
}

void ApplySamplersAndTextures()
{
    DeviceState& s = State();
    if (s.dirty & DIRTY_SAMPLERS) {
        for (int i = 0; i < 2; ++i) {
            const uint32_t* sm = s.samp[i];
            GL(glSamplerParameteri(s.samplers[i], GL_TEXTURE_WRAP_S, WrapMode(sm[GPUSAMP_ADDRESSU])));
            GL(glSamplerParameteri(s.samplers[i], GL_TEXTURE_WRAP_T, WrapMode(sm[GPUSAMP_ADDRESSV])));
            GL(glSamplerParameteri(s.samplers[i], GL_TEXTURE_MAG_FILTER, sm[GPUSAMP_MAGFILTER] == GPUTEXF_LINEAR ? GL_LINEAR : GL_NEAREST));
            GL(glSamplerParameteri(s.samplers[i], GL_TEXTURE_MIN_FILTER, sm[GPUSAMP_MINFILTER] == GPUTEXF_LINEAR ? GL_LINEAR : GL_NEAREST));
        }
    }
    for (int i = 0; i < 2; ++i) {
        auto* t = static_cast<GlTexture*>(s.textures[i]);
        GLuint name = t ? t->name : 0;
        if (s.applied.textures[i] != name) {
            GL(glActiveTexture(GLenum(GL_TEXTURE0 + i)));
            GL(glBindTexture(GL_TEXTURE_2D, name));
            s.applied.textures[i] = name;
        }
    }
}

void ApplyAttributes(uint32_t baseVertex)
{
    DeviceState& s = State();
    GlVertexBuffer* vb = s.stream;
    GLuint buffer = vb ? vb->buffer.name : 0;
    uint32_t base = s.streamOffset + baseVertex * s.streamStride;
    if (buffer == s.attribBuffer && s.fvf == s.attribFvf && s.streamStride == s.attribStride && base == s.attribBase) return;
    s.attribBuffer = buffer, s.attribFvf = s.fvf, s.attribStride = s.streamStride, s.attribBase = base;
    GL(glBindBuffer(GL_ARRAY_BUFFER, buffer));
    GLsizei stride = GLsizei(s.streamStride);
    uintptr_t offset = base;
    auto attribute = [&](GLuint index, bool present, GLint size, GLenum type, bool normalized, uint32_t bytes) {
        if (present) {
            GL(glEnableVertexAttribArray(index));
            GL(glVertexAttribPointer(index, size, type, normalized ? GL_TRUE : GL_FALSE, stride, reinterpret_cast<const void*>(offset)));
            offset += bytes;
        } else {
            GL(glDisableVertexAttribArray(index));
        }
    };
    uint32_t texCount = (s.fvf & GPUFVF_TEXCOUNT_MASK) >> 8;
    attribute(0, true, 3, GL_FLOAT, false, 12);
    attribute(1, (s.fvf & GPUFVF_NORMAL) != 0, 3, GL_FLOAT, false, 12);
    attribute(2, (s.fvf & GPUFVF_DIFFUSE) != 0, 4, GL_UNSIGNED_BYTE, true, 4);
    attribute(3, texCount >= 1, 2, GL_FLOAT, false, 8);
    attribute(4, texCount >= 2, 2, GL_FLOAT, false, 8);
    if (!(s.fvf & GPUFVF_NORMAL)) GL(glVertexAttrib3f(1, 0, 0, 0));
    if (!(s.fvf & GPUFVF_DIFFUSE)) GL(glVertexAttrib4f(2, 1, 1, 1, 1));
}

bool PrepareDraw(uint32_t baseVertex)
{
    DeviceState& s = State();
    if (s.lost || !s.stream || GpuVertexSize(s.fvf) == 0 || s.streamStride == 0) return false;
    EnsureTargetBound();
    ApplyFixed();
    ApplyAttributes(baseVertex);
    ApplySamplersAndTextures();
    if (!SelectProgram()) return false;
    ApplyUniforms();
    s.dirty = 0;
    return true;
}

bool PrimitiveMode(uint32_t type, uint32_t count, GLenum* mode, GLsizei* vertices)
{
    switch (type) {
    case GPUPT_POINTLIST: *mode = GL_POINTS, *vertices = GLsizei(count); return true;
    case GPUPT_LINELIST: *mode = GL_LINES, *vertices = GLsizei(count * 2); return true;
    case GPUPT_LINESTRIP: *mode = GL_LINE_STRIP, *vertices = GLsizei(count + 1); return true;
    case GPUPT_TRIANGLELIST: *mode = GL_TRIANGLES, *vertices = GLsizei(count * 3); return true;
    case GPUPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP, *vertices = GLsizei(count + 2); return true;
    case GPUPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN, *vertices = GLsizei(count + 2); return true;
    default: return false;
    }
}

// ====================================================================== the device
class GlDevice final : public GpuDevice {
public:
    ~GlDevice() override;

    int TestCooperativeLevel() override
    {
        DeviceState& s = State();
        if (s.minimized()) {
            s.lost = s.needsReset = true;
            return GPU_ERR_DEVICE_LOST;
        }
        bool fullScreen = (SDL_GetWindowFlags(s.window) & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) != 0;
        if (fullScreen == s.params.windowed) s.lost = s.needsReset = true;   // the mode changed under us
        return s.needsReset ? GPU_ERR_DEVICE_NOT_RESET : GPU_OK;
    }

    int Reset(const GpuPresentParams& params) override
    {
        DeviceState& s = State();
        if (s.minimized()) return GPU_ERR_DEVICE_LOST;
        s.params = params;
        if (!MakeBackBuffer(s)) return GPU_ERR_OUT_OF_VIDEO_MEMORY;
        DefaultStates(s);
        s.applied = AppliedGl{};
        s.attribBuffer = 0xFFFFFFFF;
        s.lost = s.needsReset = s.inScene = false;
        SDL_GL_SetSwapInterval(params.vsync ? 1 : 0);
        return GPU_OK;
    }

    int Present(const GpuRect*) override
    {
        DeviceState& s = State();
        if (s.lost || s.minimized()) {
            s.lost = s.needsReset = true;
            return GPU_ERR_DEVICE_LOST;
        }
        Resolve(s.backBuffer);
        GLuint picture = s.backBuffer->samples ? s.resolveColor : s.backBuffer->colorTexture;
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(s.window, &w, &h);
        GL(glBindFramebuffer(GL_FRAMEBUFFER, 0));
        GL(glViewport(0, 0, w, h));
        GL(glDisable(GL_BLEND));
        GL(glDisable(GL_DEPTH_TEST));
        GL(glDisable(GL_CULL_FACE));
        if (!s.es) GL(glPolygonMode(GL_FRONT_AND_BACK, GL_FILL));
        GL(glColorMask(1, 1, 1, 1));
        GL(glUseProgram(s.presentProgram));
        GL(glBindVertexArray(s.presentVao));
        GL(glActiveTexture(GL_TEXTURE0));
        GL(glBindTexture(GL_TEXTURE_2D, picture));
        GL(glBindSampler(0, 0));
        GLint filter = uint32_t(w) == s.backBuffer->width && uint32_t(h) == s.backBuffer->height ? GL_NEAREST : GL_LINEAR;
        GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter));
        GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter));
        GL(glDrawArrays(GL_TRIANGLES, 0, 3));
        // Everything above changed OpenGL behind the cache of applied state.
        GL(glBindSampler(0, s.samplers[0]));
        GL(glBindVertexArray(s.vao));
        s.applied = AppliedGl{};
        s.program = -1;
        s.attribBuffer = 0xFFFFFFFF;
        s.dirty |= DIRTY_ALL;
        ++s.counters.glCalls;
        SDL_GL_SwapWindow(s.window);
        return GPU_OK;
    }

    int GetCaps(GpuCaps* caps) override
    {
        if (!caps) return GPU_ERR_INVALID_CALL;
        GLint size = 0, samples = 0;
        GL(glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size));
        GL(glGetIntegerv(GL_MAX_SAMPLES, &samples));
        *caps = GpuCaps{};
        caps->maxTextureWidth = caps->maxTextureHeight = uint32_t(size);
        caps->maxSamples = uint32_t(samples);
        return GPU_OK;
    }

    int BeginScene() override
    {
        if (State().inScene) return GPU_ERR_INVALID_CALL;
        State().inScene = true;
        return GPU_OK;
    }
    int EndScene() override
    {
        if (!State().inScene) return GPU_ERR_INVALID_CALL;
        State().inScene = false;
        return GPU_OK;
    }

    int Clear(uint32_t count, const GpuRect* rects, uint32_t flags, uint32_t color, float z, uint32_t stencil) override
    {
        DeviceState& s = State();
        if (s.lost) return GPU_OK;
        EnsureTargetBound();
        GLbitfield bits = 0;
        if (flags & GPUCLEAR_TARGET) {
            GpuColorValue c = ColorOf(color);
            GL(glClearColor(c.r, c.g, c.b, c.a));
            if (s.applied.colorMask != 15) GL(glColorMask(1, 1, 1, 1)), s.applied.colorMask = 15;
            bits |= GL_COLOR_BUFFER_BIT;
        }
        if ((flags & GPUCLEAR_ZBUFFER) && s.depth) {
            if (s.es) GL(glClearDepthf(z));
            else GL(glClearDepth(z));
            if (s.applied.depthMask != 1) GL(glDepthMask(GL_TRUE)), s.applied.depthMask = 1;
            bits |= GL_DEPTH_BUFFER_BIT;
        }
        if ((flags & GPUCLEAR_STENCIL) && s.depth && s.depth->format == GPUFMT_D24S8) {
            GL(glClearStencil(GLint(stencil)));
            bits |= GL_STENCIL_BUFFER_BIT;
        }
        if (!bits) return GPU_OK;
        // Clearing covers the viewport, or the listed rectangles inside it.
        const GpuViewport& v = s.viewport;
        GL(glEnable(GL_SCISSOR_TEST));
        if (count == 0 || !rects) {
            GL(glScissor(GLint(v.x), GLint(v.y), GLsizei(v.width), GLsizei(v.height)));
            GL(glClear(bits));
        }
        for (uint32_t i = 0; rects && i < count; ++i) {
            int32_t left = std::max(rects[i].left, int32_t(v.x)), top = std::max(rects[i].top, int32_t(v.y));
            int32_t right = std::min(rects[i].right, int32_t(v.x + v.width));
            int32_t bottom = std::min(rects[i].bottom, int32_t(v.y + v.height));
            if (right <= left || bottom <= top) continue;
            GL(glScissor(left, top, right - left, bottom - top));
            GL(glClear(bits));
        }
        GL(glDisable(GL_SCISSOR_TEST));
        return GPU_OK;
    }

    int SetViewport(const GpuViewport& viewport) override
    {
        State().viewport = viewport;
        State().dirty |= DIRTY_VIEWPORT;
        return GPU_OK;
    }
    int GetViewport(GpuViewport* viewport) override
    {
        if (!viewport) return GPU_ERR_INVALID_CALL;
        *viewport = State().viewport;
        return GPU_OK;
    }

    int SetRenderState(uint32_t state, uint32_t value) override
    {
        DeviceState& s = State();
        if (state >= 256) return GPU_ERR_INVALID_CALL;
        if (s.rs[state] == value) return GPU_OK;
        s.rs[state] = value;
        s.dirty |= DIRTY_FIXED | DIRTY_LIGHTING | DIRTY_STAGES;
        return GPU_OK;
    }

    int SetTextureStageState(uint32_t stage, uint32_t state, uint32_t value) override
    {
        DeviceState& s = State();
        if (stage >= 8 || state >= 33) return GPU_ERR_INVALID_CALL;
        if (s.tss[stage][state] == value) return GPU_OK;
        s.tss[stage][state] = value;
        if (stage < 2) s.dirty |= DIRTY_STAGES;
        return GPU_OK;
    }

    int SetSamplerState(uint32_t sampler, uint32_t state, uint32_t value) override
    {
        DeviceState& s = State();
        if (sampler >= 8 || state >= 14) return GPU_ERR_INVALID_CALL;
        if (s.samp[sampler][state] == value) return GPU_OK;
        s.samp[sampler][state] = value;
        if (sampler < 2) s.dirty |= DIRTY_SAMPLERS;
        return GPU_OK;
    }

    int SetTransform(uint32_t kind, const GpuMatrix& matrix) override
    {
        DeviceState& s = State();
        if (kind == GPUTS_WORLD) s.world = matrix, s.dirty |= DIRTY_TRANSFORM;
        else if (kind == GPUTS_VIEW) s.view = matrix, s.dirty |= DIRTY_TRANSFORM | DIRTY_LIGHTS;
        else if (kind == GPUTS_PROJECTION) s.projection = matrix, s.dirty |= DIRTY_TRANSFORM;
        else if (kind >= GPUTS_TEXTURE0 && kind <= GPUTS_TEXTURE7) s.texture[kind - GPUTS_TEXTURE0] = matrix, s.dirty |= DIRTY_TEXTRANSFORM;
        else return GPU_ERR_INVALID_CALL;
        return GPU_OK;
    }

    int SetMaterial(const GpuMaterial& material) override
    {
        State().material = material;
        State().dirty |= DIRTY_MATERIAL;
        return GPU_OK;
    }

    int SetLight(uint32_t index, const GpuLight& light) override
    {
        if (index >= 8 || light.type < GPULIGHT_POINT || light.type > GPULIGHT_DIRECTIONAL) return GPU_ERR_INVALID_CALL;
        State().lights[index] = light;
        State().dirty |= DIRTY_LIGHTS;
        return GPU_OK;
    }

    int LightEnable(uint32_t index, bool enable) override
    {
        if (index >= 8) return GPU_ERR_INVALID_CALL;
        State().lightOn[index] = enable;
        State().dirty |= DIRTY_LIGHTS;
        return GPU_OK;
    }

    int SetTexture(uint32_t stage, GpuTexture* texture) override
    {
        if (stage >= 8) return GPU_ERR_INVALID_CALL;
        if (texture && static_cast<GlTexture*>(texture)->locked) return GPU_ERR_INVALID_CALL;
        State().textures[stage] = texture;
        State().dirty |= DIRTY_TEXTURES;
        return GPU_OK;
    }

    int CreateTexture(uint32_t width, uint32_t height, uint32_t levels, uint32_t usage, uint32_t format, uint32_t,
                      GpuTexture** out) override
    {
        if (!out || width == 0 || height == 0 || levels > 1 || BytesPerPixel(format) == 0) return GPU_ERR_INVALID_CALL;
        *out = nullptr;
        GLint maxSize = 0;
        GL(glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize));
        if (width > uint32_t(maxSize) || height > uint32_t(maxSize)) return GPU_ERR_INVALID_CALL;
        bool renderTarget = (usage & GPUUSAGE_RENDERTARGET) != 0;
        if (renderTarget && format != GPUFMT_A8R8G8B8 && format != GPUFMT_X8R8G8B8) return GPU_ERR_INVALID_CALL;
        auto* t = new GlTexture(width, height, format, renderTarget);
        GL(glGenTextures(1, &t->name));
        BindForUpload(t->name);
        GLenum internal = GL_RGBA8, layout = GL_RGBA, type = GL_UNSIGNED_BYTE;
        bool direct = true;
        if (!renderTarget) {
            direct = DirectUpload(format, &internal, &layout, &type);
            t->memory.assign(size_t(width) * height * BytesPerPixel(format), 0);
        }
        const void* initial = !renderTarget && direct ? t->memory.data() : nullptr;
        if (initial) GL(glPixelStorei(GL_UNPACK_ALIGNMENT, 1));
        GL(glTexImage2D(GL_TEXTURE_2D, 0, GLint(internal), GLsizei(width), GLsizei(height), 0, layout, type, initial));
        GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, 0));
        if (renderTarget) {
            if (format == GPUFMT_X8R8G8B8) {
                GL(glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_A, GL_ONE));
            }
            auto* level = new GlSurface(GlSurface::TEXTURE_LEVEL, width, height, format);
            level->parent = t;
            GL(glGenFramebuffers(1, &level->fbo));
            GL(glBindFramebuffer(GL_FRAMEBUFFER, level->fbo));
            GL(glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t->name, 0));
            State().applied.framebuffer = level->fbo;
            t->level0 = level;
        } else {
            SetSwizzle(format);
            if (!direct) UploadRegion(*t, GpuRect{0, 0, int32_t(width), int32_t(height)});
        }
        if (GL(glGetError()) == GL_OUT_OF_MEMORY) {
            delete t;
            return GPU_ERR_OUT_OF_VIDEO_MEMORY;
        }
        *out = t;
        return GPU_OK;
    }

    int CreateVertexBuffer(uint32_t size, uint32_t usage, uint32_t, uint32_t, GpuVertexBuffer** out) override
    {
        if (!out || size == 0) return GPU_ERR_INVALID_CALL;
        auto* vb = new GlVertexBuffer(size, (usage & GPUUSAGE_DYNAMIC) != 0);
        vb->buffer.Make();
        *out = vb;
        return GPU_OK;
    }

    int CreateIndexBuffer(uint32_t size, uint32_t usage, uint32_t format, uint32_t, GpuIndexBuffer** out) override
    {
        if (!out || size == 0 || (format != GPUFMT_INDEX16 && format != GPUFMT_INDEX32)) return GPU_ERR_INVALID_CALL;
        auto* ib = new GlIndexBuffer(size, (usage & GPUUSAGE_DYNAMIC) != 0, format);
        ib->buffer.Make();
        *out = ib;
        return GPU_OK;
    }

    int CreateRenderTarget(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample, GpuSurface** out) override
    {
        if (!out || width == 0 || height == 0 || (format != GPUFMT_A8R8G8B8 && format != GPUFMT_X8R8G8B8))
            return GPU_ERR_INVALID_CALL;
        auto* surface = new GlSurface(GlSurface::COLOR_TARGET, width, height, format);
        surface->samples = multiSample > 1 ? multiSample : 0;
        surface->colorBuffer = NewRenderbuffer(GL_RGBA8, width, height, surface->samples);
        GL(glGenFramebuffers(1, &surface->fbo));
        GL(glBindFramebuffer(GL_FRAMEBUFFER, surface->fbo));
        GL(glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, surface->colorBuffer));
        State().applied.framebuffer = surface->fbo;
        *out = surface;
        return GPU_OK;
    }

    int CreateDepthStencilSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t multiSample,
                                  GpuSurface** out) override
    {
        if (!out || width == 0 || height == 0 || (format != GPUFMT_D16 && format != GPUFMT_D24S8)) return GPU_ERR_INVALID_CALL;
        auto* surface = new GlSurface(GlSurface::DEPTH, width, height, format);
        surface->samples = multiSample > 1 ? multiSample : 0;
        surface->depthBuffer = NewRenderbuffer(DepthInternal(format), width, height, surface->samples);
        *out = surface;
        return GPU_OK;
    }

    int CreateOffscreenPlainSurface(uint32_t width, uint32_t height, uint32_t format, uint32_t, GpuSurface** out) override
    {
        if (!out || width == 0 || height == 0 || BytesPerPixel(format) == 0) return GPU_ERR_INVALID_CALL;
        auto* surface = new GlSurface(GlSurface::PLAIN, width, height, format);
        surface->memory.assign(size_t(width) * height * BytesPerPixel(format), 0);
        *out = surface;
        return GPU_OK;
    }

    int SetRenderTarget(uint32_t index, GpuSurface* surface) override
    {
        DeviceState& s = State();
        auto* target = static_cast<GlSurface*>(surface);
        if (index != 0 || (target && target->kind != GlSurface::COLOR_TARGET && target->kind != GlSurface::TEXTURE_LEVEL &&
                           target != s.backBuffer))
            return GPU_ERR_INVALID_CALL;
        s.target = target == s.backBuffer ? nullptr : target;
        GlSurface* bound = TargetOrBack(s.target);
        s.viewport = GpuViewport{0, 0, bound->width, bound->height, 0, 1};
        s.applied.framebuffer = 0xFFFFFFFF;
        s.dirty |= DIRTY_VIEWPORT | DIRTY_FIXED;
        return GPU_OK;
    }

    int GetRenderTarget(uint32_t index, GpuSurface** out) override
    {
        if (index != 0 || !out) return GPU_ERR_INVALID_CALL;
        *out = TargetOrBack(State().target);
        return GPU_OK;
    }

    int SetDepthStencilSurface(GpuSurface* surface) override
    {
        auto* depth = static_cast<GlSurface*>(surface);
        if (depth && depth->kind != GlSurface::DEPTH && depth != State().backDepth) return GPU_ERR_INVALID_CALL;
        State().depth = depth;
        State().applied.framebuffer = 0xFFFFFFFF;
        State().dirty |= DIRTY_FIXED;
        State().applied.depthTest = -1;
        return GPU_OK;
    }

    int GetDepthStencilSurface(GpuSurface** out) override
    {
        if (!out) return GPU_ERR_INVALID_CALL;
        *out = State().depth;
        return State().depth ? GPU_OK : GPU_ERR_INVALID_CALL;
    }

    int StretchRect(GpuSurface* source, const GpuRect* sourceRect, GpuSurface* destination, const GpuRect* destinationRect,
                    uint32_t filter) override
    {
        auto* from = TargetOrBack(static_cast<GlSurface*>(source));
        auto* to = TargetOrBack(static_cast<GlSurface*>(destination));
        if (!from->fbo || !to->fbo || to->samples) return GPU_ERR_INVALID_CALL;
        GpuRect a = sourceRect ? *sourceRect : GpuRect{0, 0, int32_t(from->width), int32_t(from->height)};
        GpuRect b = destinationRect ? *destinationRect : GpuRect{0, 0, int32_t(to->width), int32_t(to->height)};
        GLuint read = from->fbo;
        if (from->samples) read = Resolve(from);
        GL(glBindFramebuffer(GL_READ_FRAMEBUFFER, read));
        GL(glBindFramebuffer(GL_DRAW_FRAMEBUFFER, to->fbo));
        GL(glBlitFramebuffer(a.left, a.top, a.right, a.bottom, b.left, b.top, b.right, b.bottom, GL_COLOR_BUFFER_BIT,
                             filter == GPUTEXF_LINEAR ? GL_LINEAR : GL_NEAREST));
        State().applied.framebuffer = 0xFFFFFFFF;
        return GPU_OK;
    }

    int GetRenderTargetData(GpuSurface* renderTarget, GpuSurface* destination) override
    {
        DeviceState& s = State();
        auto* from = TargetOrBack(static_cast<GlSurface*>(renderTarget));
        auto* to = static_cast<GlSurface*>(destination);
        if (!to || to->kind != GlSurface::PLAIN || to->width != from->width || to->height != from->height ||
            (to->format != GPUFMT_A8R8G8B8 && to->format != GPUFMT_X8R8G8B8))
            return GPU_ERR_INVALID_CALL;
        GLuint read = Resolve(from);
        GL(glBindFramebuffer(GL_FRAMEBUFFER, read));
        s.applied.framebuffer = read;
        size_t bytes = size_t(from->width) * from->height * 4;
        if (!s.packBuffer) GL(glGenBuffers(1, &s.packBuffer));
        GL(glBindBuffer(GL_PIXEL_PACK_BUFFER, s.packBuffer));
        GL(glBufferData(GL_PIXEL_PACK_BUFFER, GLsizeiptr(bytes), nullptr, GL_STREAM_READ));
        GL(glPixelStorei(GL_PACK_ALIGNMENT, 4));
        GL(glReadPixels(0, 0, GLsizei(from->width), GLsizei(from->height), GL_RGBA, GL_UNSIGNED_BYTE, nullptr));
        auto* pixels = static_cast<const uint8_t*>(GL(glMapBufferRange(GL_PIXEL_PACK_BUFFER, 0, GLsizeiptr(bytes), GL_MAP_READ_BIT)));
        int result = GPU_OK;
        if (pixels) {
            uint8_t* out = to->memory.data();
            for (size_t i = 0; i < bytes; i += 4) {   // R, G, B, A to the bytes of an 0xAARRGGBB word
                out[i + 0] = pixels[i + 2];
                out[i + 1] = pixels[i + 1];
                out[i + 2] = pixels[i + 0];
                out[i + 3] = to->format == GPUFMT_X8R8G8B8 ? 255 : pixels[i + 3];
            }
            GL(glUnmapBuffer(GL_PIXEL_PACK_BUFFER));
        } else {
            result = GPU_ERR_INVALID_CALL;
        }
        GL(glBindBuffer(GL_PIXEL_PACK_BUFFER, 0));
        return result;
    }

    int SetFVF(uint32_t fvf) override
    {
        if (GpuVertexSize(fvf) == 0) return GPU_ERR_INVALID_CALL;
        DeviceState& s = State();
        if (s.fvf != fvf) s.fvf = fvf, s.dirty |= DIRTY_ATTRIBS;
        return GPU_OK;
    }

    int SetStreamSource(uint32_t stream, GpuVertexBuffer* buffer, uint32_t offset, uint32_t stride) override
    {
        if (stream != 0) return GPU_ERR_INVALID_CALL;
        DeviceState& s = State();
        s.stream = static_cast<GlVertexBuffer*>(buffer);
        s.streamOffset = offset, s.streamStride = stride;
        return GPU_OK;
    }

    int SetIndices(GpuIndexBuffer* buffer) override
    {
        DeviceState& s = State();
        s.indices = static_cast<GlIndexBuffer*>(buffer);
        GL(glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, s.indices ? s.indices->buffer.name : 0));
        return GPU_OK;
    }

    int DrawPrimitive(uint32_t type, uint32_t startVertex, uint32_t primitiveCount) override
    {
        GLenum mode;
        GLsizei count;
        if (!PrimitiveMode(type, primitiveCount, &mode, &count)) return GPU_ERR_INVALID_CALL;
        if (State().lost) return GPU_OK;
        if (!PrepareDraw(0)) return GPU_ERR_INVALID_CALL;
        uint64_t end = uint64_t(startVertex + count) * State().streamStride + State().streamOffset;
        if (end > State().stream->buffer.memory.size()) return GPU_ERR_INVALID_CALL;
        GL(glDrawArrays(mode, GLint(startVertex), count));
        ++State().counters.draws;
        return GPU_OK;
    }

    int DrawIndexedPrimitive(uint32_t type, int32_t baseVertex, uint32_t, uint32_t, uint32_t startIndex,
                             uint32_t primitiveCount) override
    {
        GLenum mode;
        GLsizei count;
        DeviceState& s = State();
        if (!PrimitiveMode(type, primitiveCount, &mode, &count) || !s.indices || baseVertex < 0) return GPU_ERR_INVALID_CALL;
        if (s.lost) return GPU_OK;
        uint32_t indexSize = s.indices->format == GPUFMT_INDEX32 ? 4 : 2;
        if (uint64_t(startIndex + count) * indexSize > s.indices->buffer.memory.size()) return GPU_ERR_INVALID_CALL;
        // No base-vertex draws in OpenGL ES 3.0: the attributes start there instead.
        if (!PrepareDraw(uint32_t(baseVertex))) return GPU_ERR_INVALID_CALL;
        GL(glDrawElements(mode, count, indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
                          reinterpret_cast<const void*>(uintptr_t(startIndex) * indexSize)));
        ++s.counters.draws;
        return GPU_OK;
    }
};

GlDevice::~GlDevice()
{
    DeviceState* s = gState;
    if (!s) return;
    delete s->backBuffer;
    delete s->backDepth;
    s->backBuffer = s->backDepth = nullptr;
    if (s->resolveFbo) GL(glDeleteFramebuffers(1, &s->resolveFbo));
    if (s->resolveColor) GL(glDeleteTextures(1, &s->resolveColor));
    if (s->presentProgram) GL(glDeleteProgram(s->presentProgram));
    if (s->presentVao) GL(glDeleteVertexArrays(1, &s->presentVao));
    if (s->packBuffer) GL(glDeleteBuffers(1, &s->packBuffer));
    if (s->samplers[0]) GL(glDeleteSamplers(2, s->samplers));
    if (s->vao) GL(glDeleteVertexArrays(1, &s->vao));
    for (const Program& program : s->programs) GL(glDeleteProgram(program.name));
    gIdleCounters = s->counters;
    if (s->context) SDL_GL_DeleteContext(s->context);
    delete s;
    gState = nullptr;
}

// One triangle over the whole window showing the back buffer, whose rows
// are top down.
bool BuildPresentProgram(DeviceState& s)
{
    static const char vertex[] =
        "out vec2 vUv;\n"
        "void main() {\n"
        "    vec2 p = vec2(float((gl_VertexID & 1) * 4 - 1), float((gl_VertexID >> 1) * 4 - 1));\n"
        "    vUv = vec2(p.x * 0.5 + 0.5, 0.5 - p.y * 0.5);\n"
        "    gl_Position = vec4(p, 0.0, 1.0);\n"
        "}\n";
    static const char fragment[] =
        "precision mediump float;\n"
        "in vec2 vUv;\nuniform sampler2D uPicture;\nout vec4 fragColor;\n"
        "void main() { fragColor = texture(uPicture, vUv); }\n";
    GLuint vs = Compile(GL_VERTEX_SHADER, "", vertex), fs = vs ? Compile(GL_FRAGMENT_SHADER, "", fragment) : 0;
    if (!fs) return false;
    s.presentProgram = GL(glCreateProgram());
    GL(glAttachShader(s.presentProgram, vs));
    GL(glAttachShader(s.presentProgram, fs));
    GL(glLinkProgram(s.presentProgram));
    GL(glDeleteShader(vs));
    GL(glDeleteShader(fs));
    GLint ok = 0;
    GL(glGetProgramiv(s.presentProgram, GL_LINK_STATUS, &ok));
    if (!ok) return SetLastError("the present program does not link"), false;
    GL(glUseProgram(s.presentProgram));
    GL(glUniform1i(GL(glGetUniformLocation(s.presentProgram, "uPicture")), 0));
    GL(glGenVertexArrays(1, &s.presentVao));
    s.program = -1;
    return true;
}

bool OpenContext(DeviceState& s)
{
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);   // depth lives with the back buffer's framebuffer
    if (!PlatWindowEnableOpenGL()) return SetLastError(PlatLastError()), false;
    s.window = static_cast<SDL_Window*>(PlatWindowNativeHandle());
    s.context = SDL_GL_CreateContext(s.window);
    if (!s.context) return SetLastError(SDL_GetError()), false;
    if (epoxy_gl_version() < 33) return SetLastError("OpenGL 3.3 is not available"), false;
    s.es = !epoxy_is_desktop_gl();
    return true;
}
}  // namespace

// ====================================================================== entry points
int GpuVertexSize(uint32_t fvf)
{
    if (!(fvf & GPUFVF_XYZ) || (fvf & ~(GPUFVF_XYZ | GPUFVF_NORMAL | GPUFVF_DIFFUSE | GPUFVF_TEXCOUNT_MASK))) return 0;
    uint32_t texCount = (fvf & GPUFVF_TEXCOUNT_MASK) >> 8;
    if (texCount > 2) return 0;
    return 12 + ((fvf & GPUFVF_NORMAL) ? 12 : 0) + ((fvf & GPUFVF_DIFFUSE) ? 4 : 0) + int(texCount) * 8;
}

GpuMatrix GpuMultiply(const GpuMatrix& a, const GpuMatrix& b)
{
    GpuMatrix r;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j)
            r.m[i][j] = a.m[i][0] * b.m[0][j] + a.m[i][1] * b.m[1][j] + a.m[i][2] * b.m[2][j] + a.m[i][3] * b.m[3][j];
    return r;
}

GpuDevice* GpuCreateDevice(const GpuPresentParams& params)
{
    if (gState) return SetLastError("A device already exists"), nullptr;
    if (!PlatWindowExists()) return SetLastError("No window"), nullptr;
    gState = new DeviceState;
    DeviceState& s = *gState;
    s.params = params;
    auto* device = new GlDevice;
    // The plainest variant is built at once: a device whose shaders do not
    // compile is no device.
    if (!OpenContext(s) || BuildProgram(ProgramKey{}) < 0) {
        delete device;
        return nullptr;
    }
    if (params.width == 0 || params.height == 0) {
        int w = 0, h = 0;
        SDL_GL_GetDrawableSize(s.window, &w, &h);
        s.params.width = uint32_t(std::max(1, w)), s.params.height = uint32_t(std::max(1, h));
    }
    if (!BuildPresentProgram(s)) {
        delete device;
        return nullptr;
    }
    GL(glGenVertexArrays(1, &s.vao));
    GL(glBindVertexArray(s.vao));
    GL(glGenSamplers(2, s.samplers));
    GL(glBindSampler(0, s.samplers[0]));
    GL(glBindSampler(1, s.samplers[1]));
    if (!MakeBackBuffer(s)) {
        SetLastError("The back buffer could not be made");
        delete device;
        return nullptr;
    }
    DefaultStates(s);
    SDL_GL_SetSwapInterval(params.vsync ? 1 : 0);
    return device;
}

const char* GpuLastError() { return gLastError; }

GpuCounters GpuGetCounters() { return gState ? gState->counters : gIdleCounters; }

void GpuFinish()
{
    if (gState) GL(glFinish());
}

void GpuResetCounters()
{
    if (gState) gState->counters = GpuCounters{};
    gIdleCounters = GpuCounters{};
}
