<?xml version="1.0"?>
<!-- Turns the height map into the normal map: the sea point of every texel
     comes from the four grid corners, its neighbours' heights from the
     height map's next texels. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_HeightMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
in vec3 vPosition;
in vec2 vTexCoord0;
out vec2 fWorldXZ;
out vec2 fMapUV;
void main()
{
    // Grid coordinate (u, v) is the texel of the map: v = 0 is its top row.
    fWorldXZ = vPosition.xz;
    fMapUV = vTexCoord0;
    gl_Position = vorna_Clip(vec4(vTexCoord0.x * 2.0 - 1.0, 1.0 - vTexCoord0.y * 2.0, 0.5, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_HeightMap;
uniform float g_InvMapSizeX;  // 2 / map width
uniform float g_InvMapSizeY;  // 2 / map height
uniform float g_Amplitude;    // twice the wave amplitude
uniform vec4 g_Corner00;      // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;      // (u, v) = (1, 0)
uniform vec4 g_Corner10;      // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

// The neighbours at half a map step either side are the next texels: each
// height is read as it is stored (the filter would return the same value at
// a texel's centre, for more work).
float Height(ivec2 texel, ivec2 last)
{
    return texelFetch(g_HeightMap, clamp(texel, ivec2(0), last), 0).r;
}

vec3 SeaPoint(vec4 p, float stored)
{
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, (stored - 0.5) * 2.0 * g_Amplitude, p.z / w);
}

void main()
{
    ivec2 size = textureSize(g_HeightMap, 0);
    ivec2 last = size - 1;
    ivec2 texel = ivec2(fMapUV * vec2(size));
    // The corners blend bilinearly, so half a step along u or v moves the
    // blended point by half a step of its slope in that direction.
    vec4 top = mix(g_Corner00, g_Corner01, fMapUV.x);
    vec4 bottom = mix(g_Corner10, g_Corner11, fMapUV.x);
    vec4 p = mix(top, bottom, fMapUV.y);
    vec4 du = mix(g_Corner01 - g_Corner00, g_Corner11 - g_Corner10, fMapUV.y) * (g_InvMapSizeX * 0.5);
    vec4 dv = (bottom - top) * (g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(p + du, Height(texel + ivec2(1, 0), last)) -
                 SeaPoint(p - du, Height(texel - ivec2(1, 0), last));
    vec3 across = SeaPoint(p + dv, Height(texel + ivec2(0, 1), last)) -
                  SeaPoint(p - dv, Height(texel - ivec2(0, 1), last));
    vec3 n = cross(across, along);
    n = dot(n, n) > 1e-12 ? normalize(n) : vec3(0.0, 1.0, 0.0);
    if (n.y < 0.0)
        n = -n;
    // The surface reads the normal only.
    outColor = vec4(n * 0.5 + 0.5, 0.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Middle">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_HeightMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
in vec3 vPosition;
in vec2 vTexCoord0;
out vec2 fWorldXZ;
out vec2 fMapUV;
void main()
{
    // Grid coordinate (u, v) is the texel of the map: v = 0 is its top row.
    fWorldXZ = vPosition.xz;
    fMapUV = vTexCoord0;
    gl_Position = vorna_Clip(vec4(vTexCoord0.x * 2.0 - 1.0, 1.0 - vTexCoord0.y * 2.0, 0.5, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_HeightMap;
uniform float g_InvMapSizeX;  // 2 / map width
uniform float g_InvMapSizeY;  // 2 / map height
uniform float g_Amplitude;    // twice the wave amplitude
uniform vec4 g_Corner00;      // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;      // (u, v) = (1, 0)
uniform vec4 g_Corner10;      // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

// The neighbours at half a map step either side are the next texels: each
// height is read as it is stored (the filter would return the same value at
// a texel's centre, for more work).
float Height(ivec2 texel, ivec2 last)
{
    return texelFetch(g_HeightMap, clamp(texel, ivec2(0), last), 0).r;
}

vec3 SeaPoint(vec4 p, float stored)
{
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, (stored - 0.5) * 2.0 * g_Amplitude, p.z / w);
}

void main()
{
    ivec2 size = textureSize(g_HeightMap, 0);
    ivec2 last = size - 1;
    ivec2 texel = ivec2(fMapUV * vec2(size));
    // The corners blend bilinearly, so half a step along u or v moves the
    // blended point by half a step of its slope in that direction.
    vec4 top = mix(g_Corner00, g_Corner01, fMapUV.x);
    vec4 bottom = mix(g_Corner10, g_Corner11, fMapUV.x);
    vec4 p = mix(top, bottom, fMapUV.y);
    vec4 du = mix(g_Corner01 - g_Corner00, g_Corner11 - g_Corner10, fMapUV.y) * (g_InvMapSizeX * 0.5);
    vec4 dv = (bottom - top) * (g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(p + du, Height(texel + ivec2(1, 0), last)) -
                 SeaPoint(p - du, Height(texel - ivec2(1, 0), last));
    vec3 across = SeaPoint(p + dv, Height(texel + ivec2(0, 1), last)) -
                  SeaPoint(p - dv, Height(texel - ivec2(0, 1), last));
    vec3 n = cross(across, along);
    n = dot(n, n) > 1e-12 ? normalize(n) : vec3(0.0, 1.0, 0.0);
    if (n.y < 0.0)
        n = -n;
    // The surface reads the normal only.
    outColor = vec4(n * 0.5 + 0.5, 0.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Low">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_HeightMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
in vec3 vPosition;
in vec2 vTexCoord0;
out vec2 fWorldXZ;
out vec2 fMapUV;
void main()
{
    // Grid coordinate (u, v) is the texel of the map: v = 0 is its top row.
    fWorldXZ = vPosition.xz;
    fMapUV = vTexCoord0;
    gl_Position = vorna_Clip(vec4(vTexCoord0.x * 2.0 - 1.0, 1.0 - vTexCoord0.y * 2.0, 0.5, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_HeightMap;
uniform float g_InvMapSizeX;  // 2 / map width
uniform float g_InvMapSizeY;  // 2 / map height
uniform float g_Amplitude;    // twice the wave amplitude
uniform vec4 g_Corner00;      // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;      // (u, v) = (1, 0)
uniform vec4 g_Corner10;      // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

// The neighbours at half a map step either side are the next texels: each
// height is read as it is stored (the filter would return the same value at
// a texel's centre, for more work).
float Height(ivec2 texel, ivec2 last)
{
    return texelFetch(g_HeightMap, clamp(texel, ivec2(0), last), 0).r;
}

vec3 SeaPoint(vec4 p, float stored)
{
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, (stored - 0.5) * 2.0 * g_Amplitude, p.z / w);
}

void main()
{
    ivec2 size = textureSize(g_HeightMap, 0);
    ivec2 last = size - 1;
    ivec2 texel = ivec2(fMapUV * vec2(size));
    // The corners blend bilinearly, so half a step along u or v moves the
    // blended point by half a step of its slope in that direction.
    vec4 top = mix(g_Corner00, g_Corner01, fMapUV.x);
    vec4 bottom = mix(g_Corner10, g_Corner11, fMapUV.x);
    vec4 p = mix(top, bottom, fMapUV.y);
    vec4 du = mix(g_Corner01 - g_Corner00, g_Corner11 - g_Corner10, fMapUV.y) * (g_InvMapSizeX * 0.5);
    vec4 dv = (bottom - top) * (g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(p + du, Height(texel + ivec2(1, 0), last)) -
                 SeaPoint(p - du, Height(texel - ivec2(1, 0), last));
    vec3 across = SeaPoint(p + dv, Height(texel + ivec2(0, 1), last)) -
                  SeaPoint(p - dv, Height(texel - ivec2(0, 1), last));
    vec3 n = cross(across, along);
    n = dot(n, n) > 1e-12 ? normalize(n) : vec3(0.0, 1.0, 0.0);
    if (n.y < 0.0)
        n = -n;
    // The surface reads the normal only.
    outColor = vec4(n * 0.5 + 0.5, 0.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
