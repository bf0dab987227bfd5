<?xml version="1.0"?>
<!-- The height map of the water grid from the two noise textures. -->
<Effect>
  <Technique name="Main">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_Noise0" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
      <Sampler name="g_Noise1" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="1"/>
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
uniform float g_Scale;
uniform sampler2D g_Noise0;   // octaves 0-3, 16-bit, offset by half
uniform sampler2D g_Noise1;   // octaves 4-7
in vec2 fMapUV;
in vec3 fWorld;
out vec4 outColor;
void main()
{
    // The packed arrays hold 128 samples; a world unit is 1228.8 / 65536 of
    // a sample.
    vec2 at = fWorld.xz * (1228.8 / 65536.0 / 128.0);
    float h = (texture(g_Noise0, at).r - 0.5) * 4.0 + (texture(g_Noise1, at).r - 0.5) * 4.0;
    outColor = vec4(vec3(clamp(h * g_Scale * 0.5 + 0.5, 0.0, 1.0)), 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
