<?xml version="1.0"?>
<!-- 3D GUI markers: a quad in screen pixels, its whole transform given by the
     control, drawn over the scene with alpha blending and no depth test. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="SRCBLEND" value="5"/>
      <RenderState name="DESTBLEND" value="6"/>
      <Sampler name="g_TextureLayer1" MinFilter="1" MagFilter="1" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureLayer1;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureLayer1, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Middle">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="SRCBLEND" value="5"/>
      <RenderState name="DESTBLEND" value="6"/>
      <Sampler name="g_TextureLayer1" MinFilter="1" MagFilter="1" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureLayer1;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureLayer1, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Low">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="SRCBLEND" value="5"/>
      <RenderState name="DESTBLEND" value="6"/>
      <Sampler name="g_TextureLayer1" MinFilter="1" MagFilter="1" MipFilter="0" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureLayer1;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureLayer1, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
