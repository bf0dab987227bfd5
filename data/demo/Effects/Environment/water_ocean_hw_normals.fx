<?xml version="1.0"?>
<!-- Draws the sea surface with per-pixel normals from the normal map. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <Sampler name="FresnelMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="ReflectionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="RefractionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="NormalMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec3 vNormal;
in vec4 vColor;
in vec2 vTexCoord0;
out vec3 fWorld;
out vec4 fClip;
out vec3 fNormal;
out vec2 fMapUV;
void main()
{
    // The grid is built in world space; its world matrix is the identity.
    fWorld = vPosition;
    fNormal = vNormal;
    fMapUV = vTexCoord0;
    fClip = g_MatrixViewProj * vec4(vPosition, 1.0);
    gl_Position = vorna_Clip(fClip);
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform vec3 g_VectorViewPos;
uniform vec4 g_WaterColor;
uniform float g_ReflRefrOffset;
uniform sampler2D SkyMap;        // sky panorama: u around, v = 0 overhead
uniform sampler2D FresnelMap;    // reflectance by the cosine of the view angle
uniform sampler2D ReflectionMap; // the scene mirrored in the sea plane
uniform sampler2D RefractionMap; // the scene below the sea, on water colour
in vec3 fWorld;
in vec4 fClip;
in vec3 fNormal;
in vec2 fMapUV;
out vec4 outColor;

uniform sampler2D NormalMap;     // rendered each frame from the height map
vec3 SurfaceNormal()
{
    vec3 n = texture(NormalMap, fMapUV).xyz * 2.0 - 1.0;
    return dot(n, n) > 1e-6 ? normalize(n) : vec3(0.0, 1.0, 0.0);
}

const float kPi = 3.14159265;

// Polynomial arc functions: the panorama's coordinates come out within a
// hundred-thousandth of the exact angles, far below one texel of the sky.
float Atan2(float y, float x)
{
    float ax = abs(x);
    float ay = abs(y);
    float a = min(ax, ay) / max(max(ax, ay), 1e-20);
    float s = a * a;
    float r = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;
    r = ay > ax ? 0.5 * kPi - r : r;
    r = x < 0.0 ? kPi - r : r;
    return y < 0.0 ? -r : r;
}

// Arc sine of 0 <= x <= 1.
float Asin01(float x)
{
    float p = ((-0.0187293 * x + 0.0742610) * x - 0.2121144) * x + 1.5707288;
    return 0.5 * kPi - sqrt(1.0 - x) * p;
}

void main()
{
    vec3 n = SurfaceNormal();
    vec3 toEye = g_VectorViewPos - fWorld;
    vec3 v = dot(toEye, toEye) > 1e-12 ? normalize(toEye) : vec3(0.0, 1.0, 0.0);

    // The mirrored and the under-water pictures are taken by cameras that
    // share the main camera's projection: the sea point's own screen place
    // reads them, shifted a little by the waves.
    vec2 screen = fClip.xy / max(abs(fClip.w), 1e-6) * sign(fClip.w);
    vec2 tc = vec2(screen.x * 0.5 + 0.5, 0.5 - screen.y * 0.5);
    vec2 shift = n.xz * g_ReflRefrOffset;
    vec4 mirrored = texture(ReflectionMap, clamp(tc + shift, 0.0, 1.0));
    vec3 below = texture(RefractionMap, clamp(tc - shift, 0.0, 1.0)).rgb;

    vec3 r = reflect(-v, n);
    r.y = abs(r.y);
    float around = Atan2(r.z, r.x) / (2.0 * kPi) + 0.5;
    float overhead = Asin01(clamp(r.y, 0.0, 1.0)) / (0.5 * kPi);
    vec3 sky = texture(SkyMap, vec2(around, 1.0 - overhead)).rgb;
    vec3 reflected = mix(sky, mirrored.rgb, clamp(mirrored.a, 0.0, 1.0));
    vec3 refracted = mix(g_WaterColor.rgb, below, 0.6);

    float fresnel = texture(FresnelMap, vec2(clamp(dot(v, n), 0.0, 1.0), 0.5)).r;
    outColor = vec4(mix(refracted, reflected, clamp(fresnel + 0.15, 0.0, 1.0)), 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Middle">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <Sampler name="FresnelMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="ReflectionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="RefractionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="NormalMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec3 vNormal;
in vec4 vColor;
in vec2 vTexCoord0;
out vec3 fWorld;
out vec4 fClip;
out vec3 fNormal;
out vec2 fMapUV;
void main()
{
    // The grid is built in world space; its world matrix is the identity.
    fWorld = vPosition;
    fNormal = vNormal;
    fMapUV = vTexCoord0;
    fClip = g_MatrixViewProj * vec4(vPosition, 1.0);
    gl_Position = vorna_Clip(fClip);
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform vec3 g_VectorViewPos;
uniform vec4 g_WaterColor;
uniform float g_ReflRefrOffset;
uniform sampler2D SkyMap;        // sky panorama: u around, v = 0 overhead
uniform sampler2D FresnelMap;    // reflectance by the cosine of the view angle
uniform sampler2D ReflectionMap; // the scene mirrored in the sea plane
uniform sampler2D RefractionMap; // the scene below the sea, on water colour
in vec3 fWorld;
in vec4 fClip;
in vec3 fNormal;
in vec2 fMapUV;
out vec4 outColor;

uniform sampler2D NormalMap;     // rendered each frame from the height map
vec3 SurfaceNormal()
{
    vec3 n = texture(NormalMap, fMapUV).xyz * 2.0 - 1.0;
    return dot(n, n) > 1e-6 ? normalize(n) : vec3(0.0, 1.0, 0.0);
}

const float kPi = 3.14159265;

// Polynomial arc functions: the panorama's coordinates come out within a
// hundred-thousandth of the exact angles, far below one texel of the sky.
float Atan2(float y, float x)
{
    float ax = abs(x);
    float ay = abs(y);
    float a = min(ax, ay) / max(max(ax, ay), 1e-20);
    float s = a * a;
    float r = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;
    r = ay > ax ? 0.5 * kPi - r : r;
    r = x < 0.0 ? kPi - r : r;
    return y < 0.0 ? -r : r;
}

// Arc sine of 0 <= x <= 1.
float Asin01(float x)
{
    float p = ((-0.0187293 * x + 0.0742610) * x - 0.2121144) * x + 1.5707288;
    return 0.5 * kPi - sqrt(1.0 - x) * p;
}

void main()
{
    vec3 n = SurfaceNormal();
    vec3 toEye = g_VectorViewPos - fWorld;
    vec3 v = dot(toEye, toEye) > 1e-12 ? normalize(toEye) : vec3(0.0, 1.0, 0.0);

    // The mirrored and the under-water pictures are taken by cameras that
    // share the main camera's projection: the sea point's own screen place
    // reads them, shifted a little by the waves.
    vec2 screen = fClip.xy / max(abs(fClip.w), 1e-6) * sign(fClip.w);
    vec2 tc = vec2(screen.x * 0.5 + 0.5, 0.5 - screen.y * 0.5);
    vec2 shift = n.xz * g_ReflRefrOffset;
    vec4 mirrored = texture(ReflectionMap, clamp(tc + shift, 0.0, 1.0));
    vec3 below = texture(RefractionMap, clamp(tc - shift, 0.0, 1.0)).rgb;

    vec3 r = reflect(-v, n);
    r.y = abs(r.y);
    float around = Atan2(r.z, r.x) / (2.0 * kPi) + 0.5;
    float overhead = Asin01(clamp(r.y, 0.0, 1.0)) / (0.5 * kPi);
    vec3 sky = texture(SkyMap, vec2(around, 1.0 - overhead)).rgb;
    vec3 reflected = mix(sky, mirrored.rgb, clamp(mirrored.a, 0.0, 1.0));
    vec3 refracted = mix(g_WaterColor.rgb, below, 0.6);

    float fresnel = texture(FresnelMap, vec2(clamp(dot(v, n), 0.0, 1.0), 0.5)).r;
    outColor = vec4(mix(refracted, reflected, clamp(fresnel + 0.15, 0.0, 1.0)), 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Low">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <Sampler name="FresnelMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="ReflectionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="RefractionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="NormalMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec3 vNormal;
in vec4 vColor;
in vec2 vTexCoord0;
out vec3 fWorld;
out vec4 fClip;
out vec3 fNormal;
out vec2 fMapUV;
void main()
{
    // The grid is built in world space; its world matrix is the identity.
    fWorld = vPosition;
    fNormal = vNormal;
    fMapUV = vTexCoord0;
    fClip = g_MatrixViewProj * vec4(vPosition, 1.0);
    gl_Position = vorna_Clip(fClip);
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform vec3 g_VectorViewPos;
uniform vec4 g_WaterColor;
uniform float g_ReflRefrOffset;
uniform sampler2D SkyMap;        // sky panorama: u around, v = 0 overhead
uniform sampler2D FresnelMap;    // reflectance by the cosine of the view angle
uniform sampler2D ReflectionMap; // the scene mirrored in the sea plane
uniform sampler2D RefractionMap; // the scene below the sea, on water colour
in vec3 fWorld;
in vec4 fClip;
in vec3 fNormal;
in vec2 fMapUV;
out vec4 outColor;

uniform sampler2D NormalMap;     // rendered each frame from the height map
vec3 SurfaceNormal()
{
    vec3 n = texture(NormalMap, fMapUV).xyz * 2.0 - 1.0;
    return dot(n, n) > 1e-6 ? normalize(n) : vec3(0.0, 1.0, 0.0);
}

const float kPi = 3.14159265;

// Polynomial arc functions: the panorama's coordinates come out within a
// hundred-thousandth of the exact angles, far below one texel of the sky.
float Atan2(float y, float x)
{
    float ax = abs(x);
    float ay = abs(y);
    float a = min(ax, ay) / max(max(ax, ay), 1e-20);
    float s = a * a;
    float r = ((-0.0464964749 * s + 0.15931422) * s - 0.327622764) * s * a + a;
    r = ay > ax ? 0.5 * kPi - r : r;
    r = x < 0.0 ? kPi - r : r;
    return y < 0.0 ? -r : r;
}

// Arc sine of 0 <= x <= 1.
float Asin01(float x)
{
    float p = ((-0.0187293 * x + 0.0742610) * x - 0.2121144) * x + 1.5707288;
    return 0.5 * kPi - sqrt(1.0 - x) * p;
}

void main()
{
    vec3 n = SurfaceNormal();
    vec3 toEye = g_VectorViewPos - fWorld;
    vec3 v = dot(toEye, toEye) > 1e-12 ? normalize(toEye) : vec3(0.0, 1.0, 0.0);

    // The mirrored and the under-water pictures are taken by cameras that
    // share the main camera's projection: the sea point's own screen place
    // reads them, shifted a little by the waves.
    vec2 screen = fClip.xy / max(abs(fClip.w), 1e-6) * sign(fClip.w);
    vec2 tc = vec2(screen.x * 0.5 + 0.5, 0.5 - screen.y * 0.5);
    vec2 shift = n.xz * g_ReflRefrOffset;
    vec4 mirrored = texture(ReflectionMap, clamp(tc + shift, 0.0, 1.0));
    vec3 below = texture(RefractionMap, clamp(tc - shift, 0.0, 1.0)).rgb;

    vec3 r = reflect(-v, n);
    r.y = abs(r.y);
    float around = Atan2(r.z, r.x) / (2.0 * kPi) + 0.5;
    float overhead = Asin01(clamp(r.y, 0.0, 1.0)) / (0.5 * kPi);
    vec3 sky = texture(SkyMap, vec2(around, 1.0 - overhead)).rgb;
    vec3 reflected = mix(sky, mirrored.rgb, clamp(mirrored.a, 0.0, 1.0));
    vec3 refracted = mix(g_WaterColor.rgb, below, 0.6);

    float fresnel = texture(FresnelMap, vec2(clamp(dot(v, n), 0.0, 1.0), 0.5)).r;
    outColor = vec4(mix(refracted, reflected, clamp(fresnel + 0.15, 0.0, 1.0)), 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
