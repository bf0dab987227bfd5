// The fixed-function pipeline as one shader program driven by uniforms.
#include "platform/gfx/FixedFunction.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/gfx/GLResources.h"

namespace Platform {

DrawExtras& Extras(DeviceState& s) {
    if (!s.drawExtras)
        s.drawExtras = std::make_shared<DrawExtras>();
    return *static_cast<DrawExtras*>(s.drawExtras.get());
}

bool DeclarationFromFvf(DWORD fvf, std::vector<D3DVERTEXELEMENT9>& out) {
    out.clear();
    WORD offset = 0;
    auto add = [&](BYTE type, BYTE usage, BYTE index, WORD size) {
        out.push_back({0, offset, type, D3DDECLMETHOD_DEFAULT, usage, index});
        offset = static_cast<WORD>(offset + size);
    };
    int betas = 0;
    switch (fvf & D3DFVF_POSITION_MASK) {
    case D3DFVF_XYZ: add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12); break;
    case D3DFVF_XYZRHW: add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITIONT, 0, 16); break;
    case D3DFVF_XYZW: add(D3DDECLTYPE_FLOAT4, D3DDECLUSAGE_POSITION, 0, 16); break;
    case D3DFVF_XYZB1: betas = 1; break;
    case D3DFVF_XYZB2: betas = 2; break;
    case D3DFVF_XYZB3: betas = 3; break;
    case D3DFVF_XYZB4: betas = 4; break;
    case D3DFVF_XYZB5: betas = 5; break;
    default: return false;
    }
    if (betas) {
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_POSITION, 0, 12);
        bool lastIndices = (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
        int weights = lastIndices ? betas - 1 : betas;
        if (weights > 4)
            return false;
        if (weights > 0)
            add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + weights - 1), D3DDECLUSAGE_BLENDWEIGHT, 0,
                static_cast<WORD>(weights * 4));
        if (lastIndices)
            add((fvf & D3DFVF_LASTBETA_UBYTE4) ? D3DDECLTYPE_UBYTE4 : D3DDECLTYPE_D3DCOLOR,
                D3DDECLUSAGE_BLENDINDICES, 0, 4);
    }
    if (fvf & D3DFVF_NORMAL)
        add(D3DDECLTYPE_FLOAT3, D3DDECLUSAGE_NORMAL, 0, 12);
    if (fvf & D3DFVF_PSIZE)
        add(D3DDECLTYPE_FLOAT1, D3DDECLUSAGE_PSIZE, 0, 4);
    if (fvf & D3DFVF_DIFFUSE)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 0, 4);
    if (fvf & D3DFVF_SPECULAR)
        add(D3DDECLTYPE_D3DCOLOR, D3DDECLUSAGE_COLOR, 1, 4);
    DWORD tex = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (tex > 8)
        return false;
    for (DWORD t = 0; t < tex; ++t) {
        DWORD f = (fvf >> (t * 2 + 16)) & 3;
        int n = f == D3DFVF_TEXTUREFORMAT1 ? 1 : f == D3DFVF_TEXTUREFORMAT3 ? 3 : f == D3DFVF_TEXTUREFORMAT4 ? 4 : 2;
        add(static_cast<BYTE>(D3DDECLTYPE_FLOAT1 + n - 1), D3DDECLUSAGE_TEXCOORD, static_cast<BYTE>(t),
            static_cast<WORD>(n * 4));
    }
    return true;
}

namespace {

bool Compile(GLuint shader, const std::string& source, std::string& log) {
    const char* src = source.c_str();
    glShaderSource(shader, 1, &src, nullptr);
    glCompileShader(shader);
    GLint ok = 0, len = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &len);
    if (len > 1) {
        std::string text(static_cast<size_t>(len), '\0');
        glGetShaderInfoLog(shader, len, nullptr, text.data());
        log += text.c_str();
    }
    return ok != 0;
}

const char* kVertex = R"(#version 330 core
layout(std140) uniform Palette { mat4 u_World[256]; };
uniform mat4 u_View;
uniform mat4 u_Proj;
uniform int u_Blend;            // -1: world 0 only; n >= 0: n weights, n + 1 matrices
uniform bool u_Indexed;
uniform bool u_Pretransformed;
uniform vec4 u_Viewport;
uniform vec2 vorna_ClipAdjust;
uniform bool u_Lighting;
uniform bool u_HasColor;
uniform bool u_LightOn;
uniform vec4 u_MatDiffuse;
uniform vec4 u_MatAmbient;
uniform vec4 u_MatEmissive;
uniform vec4 u_Ambient;
uniform vec4 u_LightDiffuse;
uniform vec4 u_LightAmbient;
uniform vec3 u_LightDir;
uniform bool u_PointScale;      // point size by distance: H x size x sqrt(1 / (A + B d + C d^2))
uniform float u_PointSize;
uniform vec2 u_PointLimits;     // minimum and maximum size in pixels
uniform vec3 u_PointABC;
in vec4 vPosition;
in vec4 vBlendWeight;
in vec4 vBlendIndices;
in vec3 vNormal;
in vec4 vColor;
in vec2 vTexCoord0;
out vec4 fColor;
out vec2 fTex;
vec4 vorna_Clip(vec4 p) {
    p.y *= vorna_ClipAdjust.x;
    if (vorna_ClipAdjust.y > 0.5) p.z = 2.0 * p.z - p.w;
    return p;
}
void main() {
    fTex = vTexCoord0;
    if (u_Pretransformed) {
        vec2 p = (vPosition.xy - u_Viewport.xy) / u_Viewport.zw * 2.0 - 1.0;
        gl_Position = vorna_Clip(vec4(p.x, -p.y, vPosition.z, 1.0));
        fColor = u_HasColor ? vColor : vec4(1.0);
        return;
    }
    vec4 pos = vec4(vPosition.xyz, 1.0);
    vec4 wp;
    vec3 wn;
    if (u_Blend < 0) {
        wp = u_World[0] * pos;
        wn = mat3(u_World[0]) * vNormal;
    } else {
        float w[4] = float[4](vBlendWeight.x, vBlendWeight.y, vBlendWeight.z, 0.0);
        float last = 1.0;
        for (int i = 0; i < u_Blend; ++i) last -= w[i];
        w[u_Blend] = last;
        ivec4 idx = u_Indexed ? ivec4(vBlendIndices + 0.5) : ivec4(0, 1, 2, 3);
        wp = vec4(0.0);
        wn = vec3(0.0);
        for (int i = 0; i <= u_Blend; ++i) {
            mat4 m = u_World[clamp(idx[i], 0, 255)];
            wp += w[i] * (m * pos);
            wn += w[i] * (mat3(m) * vNormal);
        }
    }
    vec4 eye = u_View * wp;
    gl_Position = vorna_Clip(u_Proj * eye);
    float size = u_PointSize;
    if (u_PointScale) {
        float d = length(eye.xyz);
        float k = u_PointABC.x + u_PointABC.y * d + u_PointABC.z * d * d;
        size = u_Viewport.w * u_PointSize * sqrt(1.0 / max(k, 1e-12));
    }
    gl_PointSize = clamp(size, u_PointLimits.x, max(u_PointLimits.x, u_PointLimits.y));
    vec4 diffuse = u_HasColor ? vColor : vec4(1.0);
    if (u_Lighting) {
        vec4 md = u_HasColor ? vColor : u_MatDiffuse;
        float nl = u_LightOn ? max(dot(normalize(wn), -u_LightDir), 0.0) : 0.0;
        vec3 c = u_MatEmissive.rgb + u_MatAmbient.rgb * (u_Ambient.rgb + (u_LightOn ? u_LightAmbient.rgb : vec3(0.0)))
                 + md.rgb * u_LightDiffuse.rgb * nl;
        diffuse = vec4(clamp(c, 0.0, 1.0), md.a);
    }
    fColor = diffuse;
}
)";

const char* kFragment = R"(#version 330 core
uniform sampler2D u_Tex0;
uniform bool u_TexOn;
uniform int u_ColorOp;
uniform int u_AlphaOp;
uniform int u_AlphaFunc;   // 0: no alpha test
uniform float u_AlphaRef;
uniform bool u_PointSprite;     // points take their texture coordinates across the sprite
in vec4 fColor;
in vec2 fTex;
out vec4 outColor;
vec4 Stage(int op, vec4 t, vec4 d) {
    if (!u_TexOn || op == 1) return d;      // no texture, DISABLE
    if (op == 2) return t;                  // SELECTARG1 (texture)
    if (op == 3) return d;                  // SELECTARG2 (diffuse)
    return t * d;                           // MODULATE and the rest
}
void main() {
    vec4 t = u_TexOn ? texture(u_Tex0, u_PointSprite ? gl_PointCoord : fTex) : vec4(1.0);
    vec4 c = vec4(Stage(u_ColorOp, t, fColor).rgb, Stage(u_AlphaOp, t, fColor).a);
    float a = floor(c.a * 255.0 + 0.5);
    bool pass = true;
    if (u_AlphaFunc == 1) pass = false;
    else if (u_AlphaFunc == 2) pass = a < u_AlphaRef;
    else if (u_AlphaFunc == 3) pass = a == u_AlphaRef;
    else if (u_AlphaFunc == 4) pass = a <= u_AlphaRef;
    else if (u_AlphaFunc == 5) pass = a > u_AlphaRef;
    else if (u_AlphaFunc == 6) pass = a != u_AlphaRef;
    else if (u_AlphaFunc == 7) pass = a >= u_AlphaRef;
    if (!pass) discard;
    outColor = c;
}
)";

void SetVec4(GLint location, const D3DCOLORVALUE& c) { glUniform4f(location, c.r, c.g, c.b, c.a); }

// By FixedUniform.
const char* const kFixedUniformNames[kFixedUniformCount] = {
    "u_View", "u_Proj", "u_Blend", "u_Indexed", "u_Pretransformed", "u_Viewport", "u_Lighting", "u_HasColor",
    "u_MatDiffuse", "u_MatAmbient", "u_MatEmissive", "u_Ambient", "u_LightOn", "u_LightDiffuse", "u_LightAmbient",
    "u_LightDir", "u_Tex0", "u_TexOn", "u_ColorOp", "u_AlphaOp", "u_AlphaFunc", "u_AlphaRef", "u_PointSprite",
    "u_PointScale", "u_PointSize", "u_PointLimits", "u_PointABC", "vorna_ClipAdjust"};

} // namespace

GLuint CompileProgram(const std::string& vertex, const std::string& fragment, std::string& log) {
    GLuint vs = glCreateShader(GL_VERTEX_SHADER), fs = glCreateShader(GL_FRAGMENT_SHADER);
    bool ok = Compile(vs, vertex, log);
    ok = Compile(fs, fragment, log) && ok;
    GLuint program = 0;
    if (ok) {
        program = glCreateProgram();
        glAttachShader(program, vs);
        glAttachShader(program, fs);
        for (GLuint i = 0; i < kAttrCount; ++i)
            glBindAttribLocation(program, i, kAttributeNames[i]);
        glBindFragDataLocation(program, 0, "outColor");
        glLinkProgram(program);
        GLint linked = 0, len = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        glGetProgramiv(program, GL_INFO_LOG_LENGTH, &len);
        if (!linked) {
            if (len > 1) {
                std::string text(static_cast<size_t>(len), '\0');
                glGetProgramInfoLog(program, len, nullptr, text.data());
                log += text.c_str();
            }
            glDeleteProgram(program);
            program = 0;
        }
    }
    glDeleteShader(vs);
    glDeleteShader(fs);
    return program;
}

GLuint UseFixedFunction(DeviceState& s, bool pretransformed, bool hasColor) {
    DrawExtras& x = Extras(s);
    if (!x.fixedProgram && !x.fixedFailed) {
        std::string log;
        x.fixedProgram = CompileProgram(kVertex, kFragment, log);
        if (!x.fixedProgram) {
            x.fixedFailed = true;
            std::fprintf(stderr, "fixed-function shaders: %s\n", log.c_str());
            return 0;
        }
        GLuint block = glGetUniformBlockIndex(x.fixedProgram, "Palette");
        glUniformBlockBinding(x.fixedProgram, block, 0);
        glGenBuffers(1, &x.paletteBuffer);
        glBindBuffer(GL_UNIFORM_BUFFER, x.paletteBuffer);
        glBufferData(GL_UNIFORM_BUFFER, sizeof(s.world), nullptr, GL_DYNAMIC_DRAW);
        s.transformsDirty = true;
        for (int i = 0; i < kFixedUniformCount; ++i)
            x.fixedUniforms[i] = glGetUniformLocation(x.fixedProgram, kFixedUniformNames[i]);
    }
    GLuint p = x.fixedProgram;
    if (!p)
        return 0;
    glUseProgram(p);
    const GLint* u = x.fixedUniforms;
    glBindBufferBase(GL_UNIFORM_BUFFER, 0, x.paletteBuffer);
    if (s.transformsDirty) {
        glBindBuffer(GL_UNIFORM_BUFFER, x.paletteBuffer);
        glBufferSubData(GL_UNIFORM_BUFFER, 0, sizeof(s.world), s.world);
        s.transformsDirty = false;
    }
    glUniformMatrix4fv(u[kUView], 1, GL_FALSE, &s.view._11);
    glUniformMatrix4fv(u[kUProj], 1, GL_FALSE, &s.projection._11);
    const DWORD* rs = s.renderStates;
    DWORD vb = rs[D3DRS_VERTEXBLEND];
    bool indexed = rs[D3DRS_INDEXEDVERTEXBLENDENABLE] != 0;
    int blend = -1;
    if (vb >= D3DVBF_1WEIGHTS && vb <= D3DVBF_3WEIGHTS)
        blend = static_cast<int>(vb);
    else if (vb == D3DVBF_0WEIGHTS || (indexed && vb == D3DVBF_DISABLE))
        blend = 0;
    glUniform1i(u[kUBlend], blend);
    glUniform1i(u[kUIndexed], indexed);
    glUniform1i(u[kUPretransformed], pretransformed);
    glUniform4f(u[kUViewport], static_cast<float>(s.viewport.X),
                static_cast<float>(s.viewport.Y), static_cast<float>(std::max<DWORD>(1, s.viewport.Width)),
                static_cast<float>(std::max<DWORD>(1, s.viewport.Height)));
    glUniform1i(u[kULighting], rs[D3DRS_LIGHTING] != 0);
    glUniform1i(u[kUHasColor], hasColor && rs[D3DRS_COLORVERTEX] != 0);
    SetVec4(u[kUMatDiffuse], s.material.Diffuse);
    SetVec4(u[kUMatAmbient], s.material.Ambient);
    SetVec4(u[kUMatEmissive], s.material.Emissive);
    DWORD amb = rs[D3DRS_AMBIENT];
    glUniform4f(u[kUAmbient], ((amb >> 16) & 0xff) / 255.0f, ((amb >> 8) & 0xff) / 255.0f,
                (amb & 0xff) / 255.0f, ((amb >> 24) & 0xff) / 255.0f);
    // The first enabled directional light.
    int light = -1;
    for (DWORD i = 0; i < kMaxLights; ++i)
        if (s.lightEnabled[i] && s.lights[i].Type == D3DLIGHT_DIRECTIONAL) {
            light = static_cast<int>(i);
            break;
        }
    glUniform1i(u[kULightOn], light >= 0);
    if (light >= 0) {
        const D3DLIGHT9& l = s.lights[light];
        SetVec4(u[kULightDiffuse], l.Diffuse);
        SetVec4(u[kULightAmbient], l.Ambient);
        float len = std::sqrt(l.Direction.x * l.Direction.x + l.Direction.y * l.Direction.y +
                              l.Direction.z * l.Direction.z);
        if (len <= 0)
            len = 1;
        glUniform3f(u[kULightDir], l.Direction.x / len, l.Direction.y / len,
                    l.Direction.z / len);
    }
    glUniform1i(u[kUTex0], 0);
    glUniform1i(u[kUTexOn], s.textures[0] && s.textures[0]->GetType() == D3DRTYPE_TEXTURE);
    glUniform1i(u[kUColorOp], static_cast<GLint>(s.stageStates[0][D3DTSS_COLOROP]));
    glUniform1i(u[kUAlphaOp], static_cast<GLint>(s.stageStates[0][D3DTSS_ALPHAOP]));
    glUniform1i(u[kUAlphaFunc],
                rs[D3DRS_ALPHATESTENABLE] ? static_cast<GLint>(rs[D3DRS_ALPHAFUNC]) : 0);
    glUniform1f(u[kUAlphaRef], static_cast<float>(rs[D3DRS_ALPHAREF] & 0xff));
    // Points: size states are floats stored in the state words.
    auto stateFloat = [rs](D3DRENDERSTATETYPE state) {
        float f;
        std::memcpy(&f, &rs[state], sizeof f);
        return f;
    };
    glEnable(GL_PROGRAM_POINT_SIZE);
    glUniform1i(u[kUPointSprite], rs[D3DRS_POINTSPRITEENABLE] != 0);
    glUniform1i(u[kUPointScale], rs[D3DRS_POINTSCALEENABLE] != 0);
    glUniform1f(u[kUPointSize], stateFloat(D3DRS_POINTSIZE));
    glUniform2f(u[kUPointLimits], stateFloat(D3DRS_POINTSIZE_MIN),
                stateFloat(D3DRS_POINTSIZE_MAX));
    glUniform3f(u[kUPointABC], stateFloat(D3DRS_POINTSCALE_A), stateFloat(D3DRS_POINTSCALE_B),
                stateFloat(D3DRS_POINTSCALE_C));
    return p;
}

} // namespace Platform
