<?xml version="1.0"?>
<!-- Screen controls that fade towards their lower edge: the control's
     texture tinted by its colour, full at the top and darkened to 60 % at
     the bottom. Blended over what lies below, with no depth test (the GUI
     pass writes the controls' depth afterwards). -->
<Effect>
  <Technique name="Fade">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="0"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="SRCBLEND" value="5"/>
      <RenderState name="DESTBLEND" value="6"/>
      <Sampler name="g_TextureMain" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
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
uniform sampler2D g_TextureMain;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    vec4 c = texture(g_TextureMain, fUV) * fColor;
    outColor = vec4(c.rgb * mix(1.0, 0.6, clamp(fUV.y, 0.0, 1.0)), c.a);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
