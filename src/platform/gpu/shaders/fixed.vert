// The fixed-function vertex stages: transforms, per-vertex lighting with the
// classic equation, material sources and the texture-coordinate transforms.
// Lighting runs in view space; light records arrive already moved there.
// The version line and the #defines of the variant (the switches below) are
// put in front when the program is built: LIGHTING, LIGHT_COUNT, NORMALIZE,
// LOCAL_VIEWER, SPECULAR, the four *_SOURCE (0 material, 1 vertex colour),
// TEXCOORD0/1 (the coordinate set of a stage), TEXTRANSFORM0/1.

precision highp float;
precision highp int;

layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
layout(location = 2) in vec4 aDiffuse;      // bytes B, G, R, A of an 0xAARRGGBB word
layout(location = 3) in vec2 aTex0;
layout(location = 4) in vec2 aTex1;

uniform mat4 uWorldView;
uniform mat4 uProjection;
uniform mat3 uNormalMatrix;
uniform vec2 uHalfPixel;                    // one half pixel in clip units
uniform float uFlipY;                       // -1 when drawing into a texture

uniform vec4 uGlobalAmbient;
uniform vec4 uMatDiffuse, uMatAmbient, uMatSpecular, uMatEmissive;
uniform float uMatPower;

uniform int uLightType[8];
uniform vec3 uLightPosition[8];
uniform vec3 uLightDirection[8];            // the way the light travels, unit length
uniform vec4 uLightDiffuse[8], uLightSpecular[8], uLightAmbient[8];
uniform vec4 uLightAttenuation[8];          // a0, a1, a2, range
uniform vec3 uLightSpot[8];                 // cos(theta / 2), cos(phi / 2), falloff

uniform mat4 uTexTransform[2];

out vec4 vDiffuse;
out vec3 vSpecular;
out vec2 vTex0;
out vec2 vTex1;

vec4 Source(int source, vec4 material, vec4 vertexColor) { return source == 1 ? vertexColor : material; }

vec2 StageCoords(int stage, int coordSet, int transformed)
{
    vec2 uv = coordSet == 1 ? aTex1 : aTex0;
    if (transformed != 0) uv = (uTexTransform[stage] * vec4(uv, 1.0, 0.0)).xy;
    return uv;
}

void main()
{
    vec4 vertexColor = aDiffuse.bgra;
    vec4 viewPosition = uWorldView * vec4(aPosition, 1.0);
    vec4 clip = uProjection * viewPosition;
    clip.x += uHalfPixel.x * clip.w;            // pixel centres sit on whole coordinates, as the engine expects
    clip.y -= uHalfPixel.y * clip.w;
    clip.z = clip.z * 2.0 - clip.w;             // depth 0..1 to OpenGL's -1..1
    clip.y *= uFlipY;
    gl_Position = clip;
    vTex0 = StageCoords(0, TEXCOORD0, TEXTRANSFORM0);
    vTex1 = StageCoords(1, TEXCOORD1, TEXTRANSFORM1);

    if (LIGHTING == 0) {
        vDiffuse = vertexColor;
        vSpecular = vec3(0.0);
        return;
    }
    vec4 md = Source(DIFFUSE_SOURCE, uMatDiffuse, vertexColor);
    vec4 ma = Source(AMBIENT_SOURCE, uMatAmbient, vertexColor);
    vec4 ms = Source(SPECULAR_SOURCE, uMatSpecular, vertexColor);
    vec4 me = Source(EMISSIVE_SOURCE, uMatEmissive, vertexColor);
    vec3 P = viewPosition.xyz;
    vec3 N = uNormalMatrix * aNormal;
    if (NORMALIZE != 0 && dot(N, N) > 0.0) N = normalize(N);
    vec3 V = LOCAL_VIEWER != 0 ? normalize(-P) : vec3(0.0, 0.0, -1.0);

    vec3 ambient = vec3(0.0), diffuse = vec3(0.0), specular = vec3(0.0);
    for (int i = 0; i < LIGHT_COUNT; ++i) {
        vec3 L;
        float attenuation = 1.0;
        if (uLightType[i] == 3) {
            L = -uLightDirection[i];
        } else {
            vec3 toLight = uLightPosition[i] - P;
            float d = length(toLight);
            if (d > uLightAttenuation[i].w) continue;
            L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, 1.0);
            vec3 a = uLightAttenuation[i].xyz;
            float denominator = a.x + a.y * d + a.z * d * d;
            attenuation = denominator > 0.0 ? 1.0 / denominator : 1.0;
            if (uLightType[i] == 2) {
                float rho = dot(-L, uLightDirection[i]);
                vec3 spot = uLightSpot[i];
                if (rho <= spot.y) attenuation = 0.0;
                else if (rho < spot.x) attenuation *= pow(max((rho - spot.y) / max(spot.x - spot.y, 1e-6), 0.0), spot.z);
            }
        }
        ambient += attenuation * uLightAmbient[i].rgb;
        float nl = max(dot(N, L), 0.0);
        diffuse += attenuation * nl * uLightDiffuse[i].rgb;
        if (SPECULAR != 0 && nl > 0.0) {
            vec3 H = normalize(L + V);
            float nh = max(dot(N, H), 0.0);
            specular += attenuation * (uMatPower > 0.0 ? pow(nh, uMatPower) : 1.0) * uLightSpecular[i].rgb;
        }
    }
    vec3 color = me.rgb + ma.rgb * (uGlobalAmbient.rgb + ambient) + md.rgb * diffuse;
    vDiffuse = vec4(clamp(color, 0.0, 1.0), md.a);
    vSpecular = clamp(ms.rgb * specular, 0.0, 1.0);
}
