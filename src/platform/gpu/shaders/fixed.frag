// The two texture stages with their colour and alpha operations, the
// specular sum, and the alpha test.  Operation and argument numbers are the
// classic ones (GpuDevice.h).  A stage without a texture reads opaque white.
// The variant's #defines come in front: STAGEn_COLOROP, STAGEn_COLORARG1/2,
// STAGEn_ALPHAOP, STAGEn_ALPHAARG1/2, TEXTUREn (bound), SPECULAR, ALPHA_FUNC
// (8, always, when the test is off), so each program holds only its own
// operations.

precision highp float;
precision highp int;

in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTex0;
in vec2 vTex1;

uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform vec4 uTextureFactor;
uniform float uAlphaRef;           // 0..255

out vec4 fragColor;

vec4 Argument(int arg, vec4 current, vec4 texel)
{
    vec4 value;
    int which = arg & 15;
    if (which == 0) value = vDiffuse;
    else if (which == 2) value = texel;
    else if (which == 3) value = uTextureFactor;
    else if (which == 4) value = vec4(vSpecular, 1.0);
    else value = current;
    if ((arg & 32) != 0) value = vec4(value.a);
    if ((arg & 16) != 0) value = vec4(1.0) - value;
    return value;
}

vec4 Operate(int op, vec4 a, vec4 b, vec4 current, vec4 texel)
{
    if (op == 2) return a;
    if (op == 3) return b;
    if (op == 4) return a * b;
    if (op == 5) return a * b * 2.0;
    if (op == 6) return a * b * 4.0;
    if (op == 7) return a + b;
    if (op == 8) return a + b - 0.5;
    if (op == 9) return (a + b - 0.5) * 2.0;
    if (op == 10) return a - b;
    if (op == 11) return a + b - a * b;
    if (op == 12) return mix(b, a, vDiffuse.a);
    if (op == 13) return mix(b, a, texel.a);
    if (op == 14) return mix(b, a, uTextureFactor.a);
    if (op == 15) return a + b * (1.0 - texel.a);
    if (op == 16) return mix(b, a, current.a);
    return current;
}

bool AlphaPasses(float alpha)
{
    float value = floor(alpha * 255.0 + 0.5);
    if (ALPHA_FUNC == 1) return false;
    if (ALPHA_FUNC == 2) return value < uAlphaRef;
    if (ALPHA_FUNC == 3) return value == uAlphaRef;
    if (ALPHA_FUNC == 4) return value <= uAlphaRef;
    if (ALPHA_FUNC == 5) return value > uAlphaRef;
    if (ALPHA_FUNC == 6) return value != uAlphaRef;
    if (ALPHA_FUNC == 7) return value >= uAlphaRef;
    return true;
}

// One stage; false when its colour operation is off, which ends the cascade.
bool Stage(inout vec4 current, vec4 texel, int colorOp, int colorArg1, int colorArg2, int alphaOp, int alphaArg1,
           int alphaArg2)
{
    if (colorOp == 1) return false;
    vec4 color = Operate(colorOp, Argument(colorArg1, current, texel), Argument(colorArg2, current, texel), current, texel);
    vec4 alpha = alphaOp == 1 ? current
                              : Operate(alphaOp, Argument(alphaArg1, current, texel), Argument(alphaArg2, current, texel),
                                        current, texel);
    current = clamp(vec4(color.rgb, alpha.a), 0.0, 1.0);
    return true;
}

void main()
{
    vec4 current = vDiffuse;
    vec4 texel0 = TEXTURE0 != 0 ? texture(uTexture0, vTex0) : vec4(1.0);
    if (Stage(current, texel0, STAGE0_COLOROP, STAGE0_COLORARG1, STAGE0_COLORARG2, STAGE0_ALPHAOP, STAGE0_ALPHAARG1,
              STAGE0_ALPHAARG2)) {
        vec4 texel1 = TEXTURE1 != 0 ? texture(uTexture1, vTex1) : vec4(1.0);
        Stage(current, texel1, STAGE1_COLOROP, STAGE1_COLORARG1, STAGE1_COLORARG2, STAGE1_ALPHAOP, STAGE1_ALPHAARG1,
              STAGE1_ALPHAARG2);
    }
    if (SPECULAR != 0) current.rgb = min(current.rgb + vSpecular, vec3(1.0));
    if (!AlphaPasses(current.a)) discard;
    fragColor = current;
}
