// The two texture stages with their colour and alpha operations, the
// specular sum, and the alpha test.  Operation and argument numbers are the
// classic ones (GpuDevice.h).  A stage without a texture reads opaque white.

precision highp float;
precision highp int;

in vec4 vDiffuse;
in vec3 vSpecular;
in vec2 vTex0;
in vec2 vTex1;

uniform sampler2D uTexture0;
uniform sampler2D uTexture1;
uniform ivec4 uStage[2];           // colour op, colour arg 1, colour arg 2, alpha op
uniform ivec2 uStageAlpha[2];      // alpha arg 1, alpha arg 2
uniform int uTextureBound[2];
uniform vec4 uTextureFactor;
uniform int uSpecularEnable;
uniform int uAlphaFunc;            // 8 (always) when the test is off
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
    if (uAlphaFunc == 1) return false;
    if (uAlphaFunc == 2) return value < uAlphaRef;
    if (uAlphaFunc == 3) return value == uAlphaRef;
    if (uAlphaFunc == 4) return value <= uAlphaRef;
    if (uAlphaFunc == 5) return value > uAlphaRef;
    if (uAlphaFunc == 6) return value != uAlphaRef;
    if (uAlphaFunc == 7) return value >= uAlphaRef;
    return true;
}

void main()
{
    vec4 current = vDiffuse;
    for (int stage = 0; stage < 2; ++stage) {
        ivec4 s = uStage[stage];
        if (s.x == 1) break;                       // a disabled colour stage ends the cascade
        vec4 texel = vec4(1.0);
        if (uTextureBound[stage] != 0) texel = stage == 0 ? texture(uTexture0, vTex0) : texture(uTexture1, vTex1);
        vec4 color = Operate(s.x, Argument(s.y, current, texel), Argument(s.z, current, texel), current, texel);
        vec4 alpha = s.w == 1 ? current
                              : Operate(s.w, Argument(uStageAlpha[stage].x, current, texel),
                                        Argument(uStageAlpha[stage].y, current, texel), current, texel);
        current = clamp(vec4(color.rgb, alpha.a), 0.0, 1.0);
    }
    if (uSpecularEnable != 0) current.rgb = min(current.rgb + vSpecular, vec3(1.0));
    if (!AlphaPasses(current.a)) discard;
    fragColor = current;
}
