<?xml version="1.0"?>
<!-- The sky arch: its texture times the vertex colour; seen from inside,
     so both faces are drawn. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorld;
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixViewProj * (g_MatrixWorld * vec4(vPosition, 1.0)));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D SkyMap;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = vec4(texture(SkyMap, fUV).rgb * fColor.rgb, 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Middle">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorld;
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixViewProj * (g_MatrixWorld * vec4(vPosition, 1.0)));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D SkyMap;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = vec4(texture(SkyMap, fUV).rgb * fColor.rgb, 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Low">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <VertexShader><![CDATA[
uniform mat4 g_MatrixWorld;
uniform mat4 g_MatrixViewProj;
in vec3 vPosition;
in vec4 vColor;
in vec2 vTexCoord0;
out vec2 fUV;
out vec4 fColor;
void main()
{
    fUV = vTexCoord0;
    fColor = vColor;
    gl_Position = vorna_Clip(g_MatrixViewProj * (g_MatrixWorld * vec4(vPosition, 1.0)));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D SkyMap;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = vec4(texture(SkyMap, fUV).rgb * fColor.rgb, 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
