<?xml version="1.0"?>
<!-- The sea surface in texture mode: the normals from the normal map. -->
<Effect>
  <Technique name="Main">
    <Pass name="P0">
      <RenderState name="ZENABLE" value="1"/>
      <RenderState name="ZWRITEENABLE" value="1"/>
      <RenderState name="ALPHABLENDENABLE" value="0"/>
      <RenderState name="ALPHATESTENABLE" value="0"/>
      <Sampler name="SkyMap" MinFilter="2" MagFilter="2" MipFilter="2" AddressU="1" AddressV="3"/>
      <Sampler name="FresnelMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="ReflectionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="RefractionMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
      <Sampler name="NormalMap" MinFilter="2" MagFilter="2" MipFilter="0" AddressU="3" AddressV="3"/>
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
uniform sampler2D SkyMap;        // the sky the water mirrors: u around, v = 0 overhead
uniform sampler2D FresnelMap;    // reflectance by the cosine of the view angle (u)
uniform sampler2D ReflectionMap; // the mirrored scene
uniform sampler2D RefractionMap; // the scene under the surface
in vec3 fWorld;
in vec4 fClip;
in vec3 fNormal;
in vec2 fMapUV;
out vec4 outColor;
uniform sampler2D NormalMap;     // the normal map of the grid, made on the graphics card
vec3 SurfaceNormal()
{
    vec3 n = texture(NormalMap, fMapUV).xyz * 2.0 - 1.0;
    n = dot(n, n) > 1e-12 ? normalize(n) : vec3(0.0, 1.0, 0.0);
    return n.y < 0.0 ? -n : n;
}

const float kPi = 3.14159265;

void main()
{
    vec3 n = SurfaceNormal();
    vec3 toEye = g_VectorViewPos - fWorld;
    vec3 v = dot(toEye, toEye) > 1e-12 ? normalize(toEye) : vec3(0.0, 1.0, 0.0);
    vec2 screen = fClip.xy / max(abs(fClip.w), 1e-6) * sign(fClip.w);
    vec2 tc = vec2(screen.x * 0.5 + 0.5, 0.5 - screen.y * 0.5);
    vec2 shift = n.xz * g_ReflRefrOffset;
    vec3 mirrored = texture(ReflectionMap, clamp(tc + shift, 0.0, 1.0)).rgb;
    vec3 below = texture(RefractionMap, clamp(tc - shift, 0.0, 1.0)).rgb;

    vec3 r = reflect(-v, n);
    r.y = abs(r.y);
    float around = atan(r.z, r.x) / (2.0 * kPi) + 0.5;
    float overhead = asin(clamp(r.y, 0.0, 1.0)) / (0.5 * kPi);
    vec3 sky = texture(SkyMap, vec2(around, 1.0 - overhead)).rgb;
    vec3 reflected = mix(sky, mirrored, 0.15);
    vec3 refracted = mix(g_WaterColor.rgb, below, 0.35);
    float fresnel = texture(FresnelMap, vec2(clamp(dot(v, n), 0.0, 1.0), 0.5)).r;
    // A little light on the wave crests facing the sun.
    float glint = pow(max(dot(reflect(-v, n), normalize(vec3(0.4, 0.5, 0.75))), 0.0), 60.0);
    outColor = vec4(mix(refracted, reflected, clamp(fresnel + 0.1, 0.0, 1.0)) + vec3(glint * 0.6), 1.0);
}
]]></FragmentShader>
    </Pass>
  </Technique>
</Effect>
