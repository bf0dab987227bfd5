<?xml version="1.0"?>
<!-- Particles: camera-facing quads in world space, texture times the
     particle's colour. The emitter chooses the blend factors; particles
     test depth but do not write it. -->
<Effect>
  <Technique name="Hight">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_TextureParticle" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
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
    gl_Position = vorna_Clip(g_MatrixViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureParticle;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureParticle, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Middle">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_TextureParticle" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
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
    gl_Position = vorna_Clip(g_MatrixViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureParticle;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureParticle, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Low">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_TextureParticle" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
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
    gl_Position = vorna_Clip(g_MatrixViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureParticle;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureParticle, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Reflection">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_TextureParticle" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
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
    gl_Position = vorna_Clip(g_MatrixViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureParticle;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureParticle, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
  <Technique name="Refraction">
    <Pass name="P0">
      <RenderState name="CULLMODE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="g_TextureParticle" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="3" AddressV="3"/>
      <VertexShader><![CDATA[
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
    gl_Position = vorna_Clip(g_MatrixViewProj * vec4(vPosition, 1.0));
}
]]></VertexShader>
      <FragmentShader><![CDATA[
uniform sampler2D g_TextureParticle;
in vec2 fUV;
in vec4 fColor;
out vec4 outColor;
void main()
{
    outColor = texture(g_TextureParticle, fUV) * fColor;
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
