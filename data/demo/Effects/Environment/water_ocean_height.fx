<?xml version="1.0"?>
<!-- Renders the sea heights of the projected grid into the height map:
     the map coordinate (u, v) is the grid coordinate, and every texel holds
     the height of the two noise tables at its point of the sea, found from
     the grid's four corners as the grid's own vertices are. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_Noise0" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
      <Sampler name="g_Noise1" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
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
uniform float g_Scale;      // table texels per world unit
uniform sampler2D g_Noise0; // low-frequency table, 16-bit, value + 32768
uniform sampler2D g_Noise1; // high-frequency table, repeats 16 times as often
uniform vec4 g_Corner00;    // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;    // (u, v) = (1, 0)
uniform vec4 g_Corner10;    // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

float Table(sampler2D table, vec2 texel)
{
    // Texel centres sit on whole table coordinates, as on the CPU side.
    float stored = texture(table, (texel + 0.5) / 128.0).r;
    return (stored * 65535.0 - 32768.0) / 16384.0;
}

void main()
{
    // The sea point of the texel, from the grid's corners.
    vec4 p = mix(mix(g_Corner00, g_Corner01, fMapUV.x), mix(g_Corner10, g_Corner11, fMapUV.x), fMapUV.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    // Column from x, row from z.
    vec2 texel = vec2(p.x, p.z) / w * g_Scale;
    float h = Table(g_Noise0, texel) + Table(g_Noise1, texel * 16.0);
    // Heights of the two tables stay well inside (-2, 2).
    outColor = vec4(clamp(h * 0.25 + 0.5, 0.0, 1.0), 0.0, 0.0, 1.0);
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
      <Sampler name="g_Noise0" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
      <Sampler name="g_Noise1" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
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
uniform float g_Scale;      // table texels per world unit
uniform sampler2D g_Noise0; // low-frequency table, 16-bit, value + 32768
uniform sampler2D g_Noise1; // high-frequency table, repeats 16 times as often
uniform vec4 g_Corner00;    // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;    // (u, v) = (1, 0)
uniform vec4 g_Corner10;    // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

float Table(sampler2D table, vec2 texel)
{
    // Texel centres sit on whole table coordinates, as on the CPU side.
    float stored = texture(table, (texel + 0.5) / 128.0).r;
    return (stored * 65535.0 - 32768.0) / 16384.0;
}

void main()
{
    // The sea point of the texel, from the grid's corners.
    vec4 p = mix(mix(g_Corner00, g_Corner01, fMapUV.x), mix(g_Corner10, g_Corner11, fMapUV.x), fMapUV.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    // Column from x, row from z.
    vec2 texel = vec2(p.x, p.z) / w * g_Scale;
    float h = Table(g_Noise0, texel) + Table(g_Noise1, texel * 16.0);
    // Heights of the two tables stay well inside (-2, 2).
    outColor = vec4(clamp(h * 0.25 + 0.5, 0.0, 1.0), 0.0, 0.0, 1.0);
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
      <Sampler name="g_Noise0" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
      <Sampler name="g_Noise1" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
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
uniform float g_Scale;      // table texels per world unit
uniform sampler2D g_Noise0; // low-frequency table, 16-bit, value + 32768
uniform sampler2D g_Noise1; // high-frequency table, repeats 16 times as often
uniform vec4 g_Corner00;    // homogeneous sea points of the grid corners
uniform vec4 g_Corner01;    // (u, v) = (1, 0)
uniform vec4 g_Corner10;    // (u, v) = (0, 1)
uniform vec4 g_Corner11;
in vec2 fWorldXZ;
in vec2 fMapUV;
out vec4 outColor;

float Table(sampler2D table, vec2 texel)
{
    // Texel centres sit on whole table coordinates, as on the CPU side.
    float stored = texture(table, (texel + 0.5) / 128.0).r;
    return (stored * 65535.0 - 32768.0) / 16384.0;
}

void main()
{
    // The sea point of the texel, from the grid's corners.
    vec4 p = mix(mix(g_Corner00, g_Corner01, fMapUV.x), mix(g_Corner10, g_Corner11, fMapUV.x), fMapUV.y);
    float w = abs(p.w) > 1e-6 ? p.w : 1e-6;
    // Column from x, row from z.
    vec2 texel = vec2(p.x, p.z) / w * g_Scale;
    float h = Table(g_Noise0, texel) + Table(g_Noise1, texel * 16.0);
    // Heights of the two tables stay well inside (-2, 2).
    outColor = vec4(clamp(h * 0.25 + 0.5, 0.0, 1.0), 0.0, 0.0, 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
