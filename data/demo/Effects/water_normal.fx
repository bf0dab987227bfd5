<?xml version="1.0"?>
<!-- The normal map of the water grid from its height map and corners. -->
<Effect>
  <Technique name="Main">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_HeightMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
in vec3 vPosition;
in vec3 vNormal;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fMapUV;
out vec3 fWorld;
void main()
{
    // One map texel per grid place: the grid's (u, v) spans the target.
    fMapUV = vTexCoord0;
    fWorld = vPosition;
    gl_Position = vorna_Clip(vec4(vTexCoord0.x * 2.0 - 1.0, 1.0 - vTexCoord0.y * 2.0, 0.5, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform float g_InvMapSizeX;
uniform float g_InvMapSizeY;
uniform float g_Amplitude;
uniform sampler2D g_HeightMap;
uniform vec4 g_Corner00;
uniform vec4 g_Corner10;
uniform vec4 g_Corner01;
uniform vec4 g_Corner11;
in vec2 fMapUV;
in vec3 fWorld;
out vec4 outColor;
vec3 Place(vec2 uv)
{
    vec4 p = mix(mix(g_Corner00, g_Corner10, uv.x), mix(g_Corner01, g_Corner11, uv.x), uv.y);
    vec3 w = p.xyz / (abs(p.w) > 1e-12 ? p.w : 1e-12);
    float h = (texture(g_HeightMap, uv).r - 0.5) * g_Amplitude;
    return vec3(w.x, h, w.z);
}
void main()
{
    vec2 du = vec2(g_InvMapSizeX, 0.0), dv = vec2(0.0, g_InvMapSizeY);
    vec3 along = Place(fMapUV + du) - Place(fMapUV - du);
    vec3 across = Place(fMapUV + dv) - Place(fMapUV - dv);
    vec3 n = cross(across, along);
    n = dot(n, n) > 1e-12 ? normalize(n) : vec3(0.0, 1.0, 0.0);
    if (n.y < 0.0) n = -n;
    outColor = vec4(n * 0.5 + 0.5, 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
