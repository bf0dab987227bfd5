// Effects in our own ".fx" format: an XML file naming techniques, their
// passes, each pass's GLSL 330 vertex and fragment sources, render states and
// sampler states.
//
//   <Effect>
//     <Technique name="Low">
//       <Pass name="P0">
//         <RenderState name="CULLMODE" value="3"/>
//         <Sampler name="g_TextureLayer1" MinFilter="2" MagFilter="2"
//                  MipFilter="2" AddressU="1" AddressV="1"/>
//         <VertexShader><![CDATA[ ... ]]></VertexShader>
//         <FragmentShader><![CDATA[ ... ]]></FragmentShader>
//       </Pass>
//     </Technique>
//   </Effect>
//
// Render-state names are those of D3DRS_* without the prefix, sampler
// attributes those of D3DSAMP_* in mixed case; values are the documented
// numbers. Sources have no #version line: the reader puts "#version 330
// core" first and gives vertex shaders `vec4 vorna_Clip(vec4 clipPosition)`,
// which every vertex shader applies to gl_Position (it flips y for render
// targets and maps depth to GL's range where needed). Vertex inputs are
// named vPosition, vNormal, vTexCoord0, vTangent, vBinormal, vColor,
// vBlendWeight, vBlendIndices; the fragment output is `outColor`.
//
// Parameters are the active uniforms of all passes, looked up by name; a
// sampler uniform is a texture parameter. Matrices are uploaded unchanged, so
// shaders write `g_MatrixWorldViewProj * vec4(vPosition, 1.0)`.
#include <tinyxml.h>

#include <cstring>
#include <map>
#include <memory>

#include "platform/d3dx/d3dx9.h"
#include "platform/gfx/FixedFunction.h"
#include "platform/gfx/GLResources.h"
#include "platform/os/Paths.h"
#include "platform/os/XmlText.h"

namespace {

constexpr size_t kMaxEffectBytes = 4u << 20;
// Effects nest a few levels (effect, technique, pass, state).
constexpr int kMaxEffectDepth = 32;

const char* kVertexPrologue =
    "#version 330 core\n"
    "uniform vec2 vorna_ClipAdjust;\n"
    "vec4 vorna_Clip(vec4 p) { p.y *= vorna_ClipAdjust.x; if (vorna_ClipAdjust.y > 0.5) p.z = 2.0 * p.z - p.w; "
    "return p; }\n"
    "#line 1\n";
const char* kFragmentPrologue = "#version 330 core\n#line 1\n";

struct NamedValue {
    const char* name;
    DWORD value;
};
const NamedValue kRenderStates[] = {
    {"ZENABLE", D3DRS_ZENABLE},       {"FILLMODE", D3DRS_FILLMODE},
    {"ZWRITEENABLE", D3DRS_ZWRITEENABLE}, {"ALPHATESTENABLE", D3DRS_ALPHATESTENABLE},
    {"SRCBLEND", D3DRS_SRCBLEND},     {"DESTBLEND", D3DRS_DESTBLEND},
    {"CULLMODE", D3DRS_CULLMODE},     {"ZFUNC", D3DRS_ZFUNC},
    {"ALPHAREF", D3DRS_ALPHAREF},     {"ALPHAFUNC", D3DRS_ALPHAFUNC},
    {"ALPHABLENDENABLE", D3DRS_ALPHABLENDENABLE}, {"BLENDOP", D3DRS_BLENDOP},
    {"COLORWRITEENABLE", D3DRS_COLORWRITEENABLE}, {"STENCILENABLE", D3DRS_STENCILENABLE},
    {"DEPTHBIAS", D3DRS_DEPTHBIAS},   {"SLOPESCALEDEPTHBIAS", D3DRS_SLOPESCALEDEPTHBIAS}};
const NamedValue kSamplerStates[] = {
    {"AddressU", D3DSAMP_ADDRESSU},   {"AddressV", D3DSAMP_ADDRESSV}, {"AddressW", D3DSAMP_ADDRESSW},
    {"MagFilter", D3DSAMP_MAGFILTER}, {"MinFilter", D3DSAMP_MINFILTER}, {"MipFilter", D3DSAMP_MIPFILTER},
    {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY}, {"BorderColor", D3DSAMP_BORDERCOLOR}};

struct Param {
    std::string name;
    GLenum type = 0;
    GLint arraySize = 1;
    std::vector<float> values;
    bool isTexture = false;
    DWORD unit = 0;
    IDirect3DBaseTexture9* texture = nullptr;
};

struct Pass {
    std::string name;
    GLuint program = 0;
    std::vector<std::pair<DWORD, DWORD>> renderStates;
    // sampler states by parameter name
    std::map<std::string, std::vector<std::pair<DWORD, DWORD>>> samplers;
    std::vector<GLint> locations; // per parameter
};

struct Technique {
    std::string name;
    std::vector<Pass> passes;
};

int Components(GLenum type) {
    switch (type) {
    case GL_FLOAT: case GL_INT: case GL_BOOL: return 1;
    case GL_FLOAT_VEC2: return 2;
    case GL_FLOAT_VEC3: return 3;
    case GL_FLOAT_VEC4: return 4;
    case GL_FLOAT_MAT3: return 9;
    case GL_FLOAT_MAT4: return 16;
    default: return 0;
    }
}

bool IsSampler(GLenum type) {
    return type == GL_SAMPLER_2D || type == GL_SAMPLER_CUBE || type == GL_SAMPLER_3D;
}

class GLEffect : public ID3DXEffect {
public:
    explicit GLEffect(IDirect3DDevice9* device) : m_device(device) { m_device->AddRef(); }
    ~GLEffect() override {
        for (auto& p : m_params)
            SafeReleaseCom(p->texture);
        if (m_device->State().MakeCurrent())
            for (auto& t : m_techniques)
                for (auto& p : t->passes)
                    if (p.program)
                        glDeleteProgram(p.program);
        m_device->Release();
    }

    bool Build(const char* text, size_t size, std::string& log) {
        std::string source(text, size);
        if (!Platform::XmlDepthWithin(source, kMaxEffectDepth)) {
            log = "effect XML: elements nested too deeply";
            return false;
        }
        TiXmlDocument doc;
        doc.Parse(source.c_str());
        if (doc.Error()) {
            log = std::string("effect XML: ") + doc.ErrorDesc() + " at line " + std::to_string(doc.ErrorRow());
            return false;
        }
        TiXmlElement* root = doc.RootElement();
        if (!root || std::strcmp(root->Value(), "Effect") != 0) {
            log = "effect XML: the root element is not <Effect>";
            return false;
        }
        for (TiXmlElement* te = root->FirstChildElement("Technique"); te; te = te->NextSiblingElement("Technique")) {
            auto t = std::make_unique<Technique>();
            t->name = te->Attribute("name") ? te->Attribute("name") : "";
            for (TiXmlElement* pe = te->FirstChildElement("Pass"); pe; pe = pe->NextSiblingElement("Pass")) {
                Pass p;
                p.name = pe->Attribute("name") ? pe->Attribute("name") : "";
                if (!ReadPass(*pe, p, t->name, log))
                    return false;
                t->passes.push_back(std::move(p));
            }
            if (t->passes.empty()) {
                log = "effect: technique '" + t->name + "' has no pass";
                return false;
            }
            m_techniques.push_back(std::move(t));
        }
        if (m_techniques.empty()) {
            log = "effect: no technique";
            return false;
        }
        if (!m_device->State().MakeCurrent()) {
            log = "effect: the device has no GL context";
            return false;
        }
        CollectParameters();
        m_current = m_techniques.front().get();
        return true;
    }

    D3DXHANDLE GetParameterByName(D3DXHANDLE parent, LPCSTR name) override {
        if (parent || !name)
            return nullptr;
        for (auto& p : m_params)
            if (p->name == name)
                return p->name.c_str();
        return nullptr;
    }
    D3DXHANDLE GetTechniqueByName(LPCSTR name) override {
        if (!name)
            return nullptr;
        for (auto& t : m_techniques)
            if (t->name == name)
                return t->name.c_str();
        return nullptr;
    }
    HRESULT SetTechnique(D3DXHANDLE technique) override {
        Technique* t = FindTechnique(technique);
        if (!t || m_begun)
            return D3DERR_INVALIDCALL;
        m_current = t;
        return D3D_OK;
    }
    D3DXHANDLE GetCurrentTechnique() override { return m_current ? m_current->name.c_str() : nullptr; }
    HRESULT GetDesc(D3DXEFFECT_DESC* desc) override {
        if (!desc)
            return D3DERR_INVALIDCALL;
        *desc = {"vorna", static_cast<UINT>(m_params.size()), static_cast<UINT>(m_techniques.size()), 0};
        return D3D_OK;
    }
    HRESULT Begin(UINT* passes, DWORD flags) override {
        if (!m_current || m_begun)
            return D3DERR_INVALIDCALL;
        m_begun = true;
        m_saved.clear();
        if (!(flags & D3DXFX_DONOTSAVESTATE))
            for (const auto& p : m_current->passes)
                for (const auto& [state, value] : p.renderStates) {
                    DWORD old = 0;
                    m_device->GetRenderState(static_cast<D3DRENDERSTATETYPE>(state), &old);
                    m_saved.emplace_back(state, old);
                }
        if (passes)
            *passes = static_cast<UINT>(m_current->passes.size());
        return D3D_OK;
    }
    HRESULT BeginPass(UINT pass) override {
        if (!m_begun || m_pass || pass >= m_current->passes.size())
            return D3DERR_INVALIDCALL;
        m_pass = &m_current->passes[pass];
        for (const auto& [state, value] : m_pass->renderStates)
            m_device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(state), value);
        Platform::SetEffectProgram(m_device, m_pass->program);
        return CommitChanges();
    }
    HRESULT CommitChanges() override {
        if (!m_pass || !m_device->State().MakeCurrent())
            return D3DERR_INVALIDCALL;
        glUseProgram(m_pass->program);
        for (size_t i = 0; i < m_params.size(); ++i) {
            const Param& p = *m_params[i];
            GLint loc = m_pass->locations[i];
            if (loc < 0)
                continue;
            if (p.isTexture) {
                m_device->SetTexture(p.unit, p.texture);
                glUniform1i(loc, static_cast<GLint>(p.unit));
                auto it = m_pass->samplers.find(p.name);
                if (it != m_pass->samplers.end())
                    for (const auto& [state, value] : it->second)
                        m_device->SetSamplerState(p.unit, static_cast<D3DSAMPLERSTATETYPE>(state), value);
                continue;
            }
            const float* v = p.values.data();
            switch (p.type) {
            case GL_FLOAT: glUniform1fv(loc, p.arraySize, v); break;
            case GL_FLOAT_VEC2: glUniform2fv(loc, p.arraySize, v); break;
            case GL_FLOAT_VEC3: glUniform3fv(loc, p.arraySize, v); break;
            case GL_FLOAT_VEC4: glUniform4fv(loc, p.arraySize, v); break;
            case GL_FLOAT_MAT3: glUniformMatrix3fv(loc, p.arraySize, GL_FALSE, v); break;
            case GL_FLOAT_MAT4: glUniformMatrix4fv(loc, p.arraySize, GL_FALSE, v); break;
            case GL_INT:
            case GL_BOOL: glUniform1i(loc, static_cast<GLint>(v[0])); break;
            default: break;
            }
        }
        return D3D_OK;
    }
    HRESULT EndPass() override {
        if (!m_pass)
            return D3DERR_INVALIDCALL;
        m_pass = nullptr;
        Platform::SetEffectProgram(m_device, 0);
        return D3D_OK;
    }
    HRESULT End() override {
        if (!m_begun)
            return D3DERR_INVALIDCALL;
        if (m_pass)
            EndPass();
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            m_device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(it->first), it->second);
        m_begun = false;
        return D3D_OK;
    }
    HRESULT SetMatrix(D3DXHANDLE h, const D3DXMATRIX* m) override { return SetFloats(h, &m->_11, 16); }
    HRESULT SetVector(D3DXHANDLE h, const D3DXVECTOR4* v) override { return SetFloats(h, &v->x, 4); }
    HRESULT SetFloat(D3DXHANDLE h, FLOAT f) override { return SetFloats(h, &f, 1); }
    HRESULT SetInt(D3DXHANDLE h, INT i) override {
        float f = static_cast<float>(i);
        return SetFloats(h, &f, 1);
    }
    HRESULT SetBool(D3DXHANDLE h, BOOL b) override {
        float f = b ? 1.0f : 0.0f;
        return SetFloats(h, &f, 1);
    }
    HRESULT SetValue(D3DXHANDLE h, const void* data, UINT bytes) override {
        if (!data)
            return D3DERR_INVALIDCALL;
        std::vector<float> f(bytes / 4);
        std::memcpy(f.data(), data, f.size() * 4);
        return SetFloats(h, f.data(), f.size());
    }
    HRESULT SetMatrixArray(D3DXHANDLE h, const D3DXMATRIX* m, UINT count) override {
        return m ? SetFloats(h, &m->_11, size_t(count) * 16) : D3DERR_INVALIDCALL;
    }
    HRESULT SetTexture(D3DXHANDLE h, IDirect3DBaseTexture9* texture) override {
        Param* p = FindParam(h);
        if (!p || !p->isTexture)
            return D3DERR_INVALIDCALL;
        if (texture)
            texture->AddRef();
        SafeReleaseCom(p->texture);
        p->texture = texture;
        return D3D_OK;
    }
    HRESULT GetFloat(D3DXHANDLE h, FLOAT* f) override {
        Param* p = FindParam(h);
        if (!p || !f || p->values.empty())
            return D3DERR_INVALIDCALL;
        *f = p->values[0];
        return D3D_OK;
    }
    HRESULT GetValue(D3DXHANDLE h, void* data, UINT bytes) override {
        Param* p = FindParam(h);
        if (!p || !data)
            return D3DERR_INVALIDCALL;
        std::memcpy(data, p->values.data(), std::min<size_t>(bytes, p->values.size() * 4));
        return D3D_OK;
    }
    HRESULT OnLostDevice() override { return D3D_OK; }
    HRESULT OnResetDevice() override { return D3D_OK; }

private:
    bool ReadPass(TiXmlElement& pe, Pass& p, const std::string& technique, std::string& log) {
        std::string vs, fs;
        for (TiXmlElement* e = pe.FirstChildElement(); e; e = e->NextSiblingElement()) {
            std::string tag = e->Value();
            if (tag == "VertexShader" || tag == "FragmentShader") {
                (tag == "VertexShader" ? vs : fs) = e->GetText() ? e->GetText() : "";
            } else if (tag == "RenderState") {
                const char* name = e->Attribute("name");
                int value = 0;
                bool known = false;
                if (name && e->QueryIntAttribute("value", &value) == TIXML_SUCCESS)
                    for (const auto& rs : kRenderStates)
                        if (std::strcmp(rs.name, name) == 0) {
                            p.renderStates.emplace_back(rs.value, static_cast<DWORD>(value));
                            known = true;
                        }
                if (!known) {
                    log = "effect: unknown or incomplete render state in pass of '" + technique + "'";
                    return false;
                }
            } else if (tag == "Sampler") {
                const char* name = e->Attribute("name");
                if (!name) {
                    log = "effect: a sampler without a name in '" + technique + "'";
                    return false;
                }
                auto& list = p.samplers[name];
                for (const auto& ss : kSamplerStates) {
                    int value = 0;
                    if (e->QueryIntAttribute(ss.name, &value) == TIXML_SUCCESS)
                        list.emplace_back(ss.value, static_cast<DWORD>(value));
                }
            }
        }
        if (vs.empty() || fs.empty()) {
            log = "effect: a pass of '" + technique + "' lacks a vertex or fragment shader";
            return false;
        }
        if (!m_device->State().MakeCurrent()) {
            log = "effect: the device has no GL context";
            return false;
        }
        std::string compileLog;
        p.program = Platform::CompileProgram(kVertexPrologue + vs, kFragmentPrologue + fs, compileLog);
        if (!p.program) {
            log = "effect: technique '" + technique + "': " + compileLog;
            return false;
        }
        return true;
    }

    void CollectParameters() {
        DWORD nextUnit = 0;
        for (auto& t : m_techniques)
            for (auto& pass : t->passes) {
                GLint count = 0;
                glGetProgramiv(pass.program, GL_ACTIVE_UNIFORMS, &count);
                for (GLint u = 0; u < count; ++u) {
                    char name[256];
                    GLint size = 0;
                    GLenum type = 0;
                    glGetActiveUniform(pass.program, static_cast<GLuint>(u), sizeof(name), nullptr, &size, &type,
                                       name);
                    std::string n = name;
                    if (n.size() > 3 && n.compare(n.size() - 3, 3, "[0]") == 0)
                        n.resize(n.size() - 3);
                    if (n.rfind("vorna_", 0) == 0 || n.find('.') != std::string::npos)
                        continue;
                    if (FindParam(n.c_str(), true))
                        continue;
                    auto p = std::make_unique<Param>();
                    p->name = n;
                    p->type = type;
                    p->arraySize = std::max(1, size);
                    p->isTexture = IsSampler(type);
                    if (p->isTexture)
                        p->unit = std::min<DWORD>(nextUnit++, kD3DSamplerCount - 1);
                    p->values.assign(size_t(std::max(1, Components(type))) * p->arraySize, 0.0f);
                    m_params.push_back(std::move(p));
                }
            }
        for (auto& t : m_techniques)
            for (auto& pass : t->passes)
                for (auto& p : m_params)
                    pass.locations.push_back(glGetUniformLocation(pass.program, p->name.c_str()));
    }

    Param* FindParam(D3DXHANDLE h, bool byName = false) {
        if (!h)
            return nullptr;
        for (auto& p : m_params)
            if (p->name.c_str() == h || (byName && p->name == h))
                return p.get();
        // Handles may also be names, as with the original library.
        for (auto& p : m_params)
            if (p->name == h)
                return p.get();
        return nullptr;
    }
    Technique* FindTechnique(D3DXHANDLE h) {
        if (!h)
            return nullptr;
        for (auto& t : m_techniques)
            if (t->name.c_str() == h || t->name == h)
                return t.get();
        return nullptr;
    }
    HRESULT SetFloats(D3DXHANDLE h, const float* v, size_t n) {
        Param* p = FindParam(h);
        if (!p || p->isTexture || !v)
            return D3DERR_INVALIDCALL;
        std::memcpy(p->values.data(), v, std::min(n, p->values.size()) * sizeof(float));
        return D3D_OK;
    }

    IDirect3DDevice9* m_device;
    std::vector<std::unique_ptr<Technique>> m_techniques;
    std::vector<std::unique_ptr<Param>> m_params;
    Technique* m_current = nullptr;
    Pass* m_pass = nullptr;
    bool m_begun = false;
    std::vector<std::pair<DWORD, DWORD>> m_saved;
};

void ErrorBuffer(const std::string& text, ID3DXBuffer** errors) {
    if (!errors)
        return;
    *errors = nullptr;
    if (SUCCEEDED(D3DXCreateBuffer(static_cast<DWORD>(text.size() + 1), errors)))
        std::memcpy((*errors)->GetBufferPointer(), text.c_str(), text.size() + 1);
}

} // namespace

HRESULT D3DXCreateEffect(IDirect3DDevice9* device, const void* srcData, UINT srcDataLen, const D3DXMACRO*,
                         ID3DXInclude*, DWORD, ID3DXEffectPool*, ID3DXEffect** effect, ID3DXBuffer** errors) {
    if (errors)
        *errors = nullptr;
    if (!device || !srcData || !effect)
        return D3DERR_INVALIDCALL;
    *effect = nullptr;
    if (srcDataLen > kMaxEffectBytes) {
        ErrorBuffer("effect: file too large", errors);
        return D3DXERR_INVALIDDATA;
    }
    auto* e = new GLEffect(device);
    std::string log;
    if (!e->Build(static_cast<const char*>(srcData), srcDataLen, log)) {
        e->Release();
        ErrorBuffer(log, errors);
        return D3DXERR_INVALIDDATA;
    }
    *effect = e;
    return D3D_OK;
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* device, LPCSTR srcFile, const D3DXMACRO* defines,
                                  ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool, ID3DXEffect** effect,
                                  ID3DXBuffer** errors) {
    if (errors)
        *errors = nullptr;
    if (effect)
        *effect = nullptr;
    if (!srcFile)
        return D3DERR_INVALIDCALL;
    std::string text;
    if (!Platform::ReadTextFile(srcFile, text, kMaxEffectBytes)) {
        ErrorBuffer(std::string(srcFile) + ": cannot read the file", errors);
        return D3DERR_NOTFOUND;
    }
    return D3DXCreateEffect(device, text.data(), static_cast<UINT>(text.size()), defines, include, flags, pool,
                            effect, errors);
}
