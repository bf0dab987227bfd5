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
float Height(ivec2 texel)
{
    ivec2 t = clamp(texel, ivec2(0), textureSize(g_HeightMap, 0) - 1);
    return (texelFetch(g_HeightMap, t, 0).r - 0.5) * 4.0 * (g_Amplitude * 0.5);
}

vec3 SeaPoint(vec2 uv, ivec2 texel)
{
    vec4 p = mix(mix(g_Corner00, g_Corner01, uv.x), mix(g_Corner10, g_Corner11, uv.x), uv.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, Height(texel), p.z / w);
}

void main()
{
    ivec2 texel = ivec2(fMapUV * vec2(textureSize(g_HeightMap, 0)));
    vec2 du = vec2(g_InvMapSizeX * 0.5, 0.0);
    vec2 dv = vec2(0.0, g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(fMapUV + du, texel + ivec2(1, 0)) - SeaPoint(fMapUV - du, texel - ivec2(1, 0));
    vec3 across = SeaPoint(fMapUV + dv, texel + ivec2(0, 1)) - SeaPoint(fMapUV - dv, texel - ivec2(0, 1));
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
float Height(ivec2 texel)
{
    ivec2 t = clamp(texel, ivec2(0), textureSize(g_HeightMap, 0) - 1);
    return (texelFetch(g_HeightMap, t, 0).r - 0.5) * 4.0 * (g_Amplitude * 0.5);
}

vec3 SeaPoint(vec2 uv, ivec2 texel)
{
    vec4 p = mix(mix(g_Corner00, g_Corner01, uv.x), mix(g_Corner10, g_Corner11, uv.x), uv.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, Height(texel), p.z / w);
}

void main()
{
    ivec2 texel = ivec2(fMapUV * vec2(textureSize(g_HeightMap, 0)));
    vec2 du = vec2(g_InvMapSizeX * 0.5, 0.0);
    vec2 dv = vec2(0.0, g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(fMapUV + du, texel + ivec2(1, 0)) - SeaPoint(fMapUV - du, texel - ivec2(1, 0));
    vec3 across = SeaPoint(fMapUV + dv, texel + ivec2(0, 1)) - SeaPoint(fMapUV - dv, texel - ivec2(0, 1));
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
float Height(ivec2 texel)
{
    ivec2 t = clamp(texel, ivec2(0), textureSize(g_HeightMap, 0) - 1);
    return (texelFetch(g_HeightMap, t, 0).r - 0.5) * 4.0 * (g_Amplitude * 0.5);
}

vec3 SeaPoint(vec2 uv, ivec2 texel)
{
    vec4 p = mix(mix(g_Corner00, g_Corner01, uv.x), mix(g_Corner10, g_Corner11, uv.x), uv.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    return vec3(p.x / w, Height(texel), p.z / w);
}

void main()
{
    ivec2 texel = ivec2(fMapUV * vec2(textureSize(g_HeightMap, 0)));
    vec2 du = vec2(g_InvMapSizeX * 0.5, 0.0);
    vec2 dv = vec2(0.0, g_InvMapSizeY * 0.5);
    vec3 along = SeaPoint(fMapUV + du, texel + ivec2(1, 0)) - SeaPoint(fMapUV - du, texel - ivec2(1, 0));
    vec3 across = SeaPoint(fMapUV + dv, texel + ivec2(0, 1)) - SeaPoint(fMapUV - dv, texel - ivec2(0, 1));
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
