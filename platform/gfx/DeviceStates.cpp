// Render, sampler and texture-stage states, transforms, material, lights,
// clip planes and the scissor rectangle. States that GL holds itself (depth,
// blending, culling, fill mode, stencil, colour mask, scissor, samplers) are
// pushed at once; the others (alpha test, lighting, fog, texture stages,
// transforms) stay in the tables for the shaders that read them.
#include "platform/gfx/DeviceState.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>

namespace Platform {
namespace {

float AsFloat(DWORD bits) {
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

DWORD FloatBits(float f) {
    DWORD bits;
    std::memcpy(&bits, &f, sizeof bits);
    return bits;
}

void Identity(D3DMATRIX& m) {
    std::memset(&m, 0, sizeof m);
    m._11 = m._22 = m._33 = m._44 = 1.0f;
}

GLenum BlendFactor(DWORD blend, bool source) {
    switch (blend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    // The "both" factors set the source and derive the destination.
    case D3DBLEND_BOTHSRCALPHA: return source ? GL_SRC_ALPHA : GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_BOTHINVSRCALPHA: return source ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return source ? GL_ONE : GL_ZERO;
    }
}

GLenum BlendOp(DWORD op) {
    switch (op) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
    }
}

GLenum CompareFunc(DWORD cmp) {
    // D3DCMP_NEVER..ALWAYS (1..8) run in the same order as GL_NEVER..GL_ALWAYS.
    if (cmp < D3DCMP_NEVER || cmp > D3DCMP_ALWAYS) return GL_ALWAYS;
    return GL_NEVER + (cmp - D3DCMP_NEVER);
}

GLenum StencilOp(DWORD op) {
    switch (op) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
    }
}

GLenum AddressMode(DWORD mode) {
    switch (mode) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    case D3DTADDRESS_MIRRORONCE: return GL_MIRRORED_REPEAT;
    default: return GL_REPEAT;
    }
}

void Enable(GLenum cap, bool on) {
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

} // namespace

void DeviceState::SetDefaultStates() {
    DWORD* rs = renderStates;
    std::fill(rs, rs + kD3DRenderStateCount, 0u);
    rs[D3DRS_ZENABLE] = params.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE;
    rs[D3DRS_FILLMODE] = D3DFILL_SOLID;
    rs[D3DRS_SHADEMODE] = D3DSHADE_GOURAUD;
    rs[D3DRS_ZWRITEENABLE] = TRUE;
    rs[D3DRS_LASTPIXEL] = TRUE;
    rs[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    rs[D3DRS_CULLMODE] = D3DCULL_CCW;
    rs[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    rs[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_FOGEND] = FloatBits(1.0f);
    rs[D3DRS_FOGDENSITY] = FloatBits(1.0f);
    rs[D3DRS_STENCILFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILZFAIL] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILPASS] = D3DSTENCILOP_KEEP;
    rs[D3DRS_STENCILFUNC] = D3DCMP_ALWAYS;
    rs[D3DRS_STENCILMASK] = 0xFFFFFFFFu;
    rs[D3DRS_STENCILWRITEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_TEXTUREFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_CLIPPING] = TRUE;
    rs[D3DRS_LIGHTING] = TRUE;
    rs[D3DRS_COLORVERTEX] = TRUE;
    rs[D3DRS_LOCALVIEWER] = TRUE;
    rs[D3DRS_DIFFUSEMATERIALSOURCE] = D3DMCS_COLOR1;
    rs[D3DRS_SPECULARMATERIALSOURCE] = D3DMCS_COLOR2;
    rs[D3DRS_POINTSIZE] = FloatBits(1.0f);
    rs[D3DRS_POINTSIZE_MIN] = FloatBits(1.0f);
    rs[D3DRS_POINTSCALE_A] = FloatBits(1.0f);
    rs[D3DRS_MULTISAMPLEANTIALIAS] = TRUE;
    rs[D3DRS_MULTISAMPLEMASK] = 0xFFFFFFFFu;
    rs[D3DRS_POINTSIZE_MAX] = FloatBits(64.0f);
    rs[D3DRS_COLORWRITEENABLE] = 0xFu;
    rs[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    rs[D3DRS_BLENDFACTOR] = 0xFFFFFFFFu;
    rs[D3DRS_SRCBLENDALPHA] = D3DBLEND_ONE;
    rs[D3DRS_DESTBLENDALPHA] = D3DBLEND_ZERO;
    rs[D3DRS_BLENDOPALPHA] = D3DBLENDOP_ADD;

    for (DWORD s = 0; s < kD3DSamplerCount; ++s) {
        DWORD* ss = samplerStates[s];
        std::fill(ss, ss + kD3DSamplerStateCount, 0u);
        ss[D3DSAMP_ADDRESSU] = ss[D3DSAMP_ADDRESSV] = ss[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
        ss[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
        ss[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
        ss[D3DSAMP_MAXANISOTROPY] = 1;
    }
    for (DWORD t = 0; t < kD3DTextureStageCount; ++t) {
        DWORD* ts = stageStates[t];
        std::fill(ts, ts + kD3DTextureStageStateCount, 0u);
        ts[D3DTSS_COLOROP] = t == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
        ts[D3DTSS_ALPHAOP] = t == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
        ts[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_COLORARG2] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
        ts[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
        ts[D3DTSS_TEXCOORDINDEX] = t;
        ts[D3DTSS_COLORARG0] = D3DTA_CURRENT;
        ts[D3DTSS_ALPHAARG0] = D3DTA_CURRENT;
        ts[D3DTSS_RESULTARG] = D3DTA_CURRENT;
    }
    Identity(view);
    Identity(projection);
    for (auto& m : world) Identity(m);
    for (auto& m : texture) Identity(m);
    std::memset(&material, 0, sizeof material);
    std::memset(lights, 0, sizeof lights);
    std::fill(std::begin(lightSet), std::end(lightSet), false);
    std::fill(std::begin(lightEnabled), std::end(lightEnabled), false);
    std::memset(clipPlanes, 0, sizeof clipPlanes);
    viewport = {0, 0, targetWidth, targetHeight, 0.0f, 1.0f};
    scissor = {0, 0, static_cast<LONG>(targetWidth), static_cast<LONG>(targetHeight)};
    transformsDirty = true;
    lightingDirty = true;
}

bool DeviceState::MakeCurrent() {
    if (!context || !window) return false;
    if (SDL_GL_GetCurrentContext() == context) return true;
    return SDL_GL_MakeCurrent(window, static_cast<SDL_GLContext>(context)) == 0;
}

void DeviceState::ApplyCullMode() {
    if (!context) return;
    const DWORD cull = renderStates[D3DRS_CULLMODE];
    if (cull != D3DCULL_CW && cull != D3DCULL_CCW) {
        glDisable(GL_CULL_FACE);
        return;
    }
    glEnable(GL_CULL_FACE);
    // Front faces are clockwise as seen on screen; a top-down target is drawn
    // mirrored in y, which mirrors the winding too.
    glFrontFace(targetTopDown ? GL_CCW : GL_CW);
    glCullFace(cull == D3DCULL_CCW ? GL_BACK : GL_FRONT);
}

void DeviceState::ApplyViewport() {
    if (!context) return;
    const GLint y = targetTopDown
                        ? static_cast<GLint>(viewport.Y)
                        : static_cast<GLint>(targetHeight) - static_cast<GLint>(viewport.Y + viewport.Height);
    glViewport(static_cast<GLint>(viewport.X), y, static_cast<GLsizei>(viewport.Width),
               static_cast<GLsizei>(viewport.Height));
    glDepthRange(viewport.MinZ, viewport.MaxZ);
}

void DeviceState::ApplyRenderState(DWORD state) {
    if (!context || state >= kD3DRenderStateCount) return;
    const DWORD* rs = renderStates;
    switch (state) {
    case D3DRS_ZENABLE: Enable(GL_DEPTH_TEST, rs[D3DRS_ZENABLE] != D3DZB_FALSE); break;
    case D3DRS_ZWRITEENABLE: glDepthMask(rs[D3DRS_ZWRITEENABLE] ? GL_TRUE : GL_FALSE); break;
    case D3DRS_ZFUNC: glDepthFunc(CompareFunc(rs[D3DRS_ZFUNC])); break;
    case D3DRS_FILLMODE: {
        const DWORD fill = rs[D3DRS_FILLMODE];
        glPolygonMode(GL_FRONT_AND_BACK,
                      fill == D3DFILL_POINT ? GL_POINT : fill == D3DFILL_WIREFRAME ? GL_LINE : GL_FILL);
        break;
    }
    case D3DRS_CULLMODE: ApplyCullMode(); break;
    case D3DRS_ALPHABLENDENABLE: Enable(GL_BLEND, rs[D3DRS_ALPHABLENDENABLE] != 0); break;
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA: {
        const GLenum src = BlendFactor(rs[D3DRS_SRCBLEND], true);
        GLenum dst = BlendFactor(rs[D3DRS_DESTBLEND], false);
        if (rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHSRCALPHA || rs[D3DRS_SRCBLEND] == D3DBLEND_BOTHINVSRCALPHA)
            dst = BlendFactor(rs[D3DRS_SRCBLEND], false);
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE])
            glBlendFuncSeparate(src, dst, BlendFactor(rs[D3DRS_SRCBLENDALPHA], true),
                                BlendFactor(rs[D3DRS_DESTBLENDALPHA], false));
        else
            glBlendFunc(src, dst);
        break;
    }
    case D3DRS_BLENDOP:
    case D3DRS_BLENDOPALPHA:
        if (rs[D3DRS_SEPARATEALPHABLENDENABLE])
            glBlendEquationSeparate(BlendOp(rs[D3DRS_BLENDOP]), BlendOp(rs[D3DRS_BLENDOPALPHA]));
        else
            glBlendEquation(BlendOp(rs[D3DRS_BLENDOP]));
        break;
    case D3DRS_BLENDFACTOR: {
        const DWORD c = rs[D3DRS_BLENDFACTOR];
        glBlendColor(((c >> 16) & 0xff) / 255.0f, ((c >> 8) & 0xff) / 255.0f, (c & 0xff) / 255.0f,
                     ((c >> 24) & 0xff) / 255.0f);
        break;
    }
    case D3DRS_STENCILENABLE: Enable(GL_STENCIL_TEST, rs[D3DRS_STENCILENABLE] != 0); break;
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
        glStencilFunc(CompareFunc(rs[D3DRS_STENCILFUNC]), static_cast<GLint>(rs[D3DRS_STENCILREF]),
                      rs[D3DRS_STENCILMASK]);
        break;
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
        glStencilOp(StencilOp(rs[D3DRS_STENCILFAIL]), StencilOp(rs[D3DRS_STENCILZFAIL]),
                    StencilOp(rs[D3DRS_STENCILPASS]));
        break;
    case D3DRS_STENCILWRITEMASK: glStencilMask(rs[D3DRS_STENCILWRITEMASK]); break;
    case D3DRS_COLORWRITEENABLE: {
        const DWORD m = rs[D3DRS_COLORWRITEENABLE];
        glColorMask((m & D3DCOLORWRITEENABLE_RED) != 0, (m & D3DCOLORWRITEENABLE_GREEN) != 0,
                    (m & D3DCOLORWRITEENABLE_BLUE) != 0, (m & D3DCOLORWRITEENABLE_ALPHA) != 0);
        break;
    }
    case D3DRS_SCISSORTESTENABLE: Enable(GL_SCISSOR_TEST, rs[D3DRS_SCISSORTESTENABLE] != 0); break;
    case D3DRS_MULTISAMPLEANTIALIAS: Enable(GL_MULTISAMPLE, rs[D3DRS_MULTISAMPLEANTIALIAS] != 0); break;
    case D3DRS_DEPTHBIAS:
    case D3DRS_SLOPESCALEDEPTHBIAS: {
        // Direct3D's bias is in depth units; GL counts steps of the depth buffer.
        const float bias = AsFloat(rs[D3DRS_DEPTHBIAS]);
        const float slope = AsFloat(rs[D3DRS_SLOPESCALEDEPTHBIAS]);
        const bool on = bias != 0.0f || slope != 0.0f;
        Enable(GL_POLYGON_OFFSET_FILL, on);
        Enable(GL_POLYGON_OFFSET_LINE, on);
        glPolygonOffset(slope, bias * 16777216.0f);
        break;
    }
    default:
        // Kept in the table for the shaders (alpha test, lighting, fog,
        // vertex blending, point sprites) or without effect here
        // (antialiased lines, dithering, clipping).
        break;
    }
}

void DeviceState::ApplySamplerState(DWORD sampler) {
    if (!context || sampler >= kD3DSamplerCount || !samplers[sampler]) return;
    const DWORD* ss = samplerStates[sampler];
    const GLuint id = samplers[sampler];
    const DWORD minF = ss[D3DSAMP_MINFILTER];
    const DWORD magF = ss[D3DSAMP_MAGFILTER];
    const DWORD mipF = ss[D3DSAMP_MIPFILTER];
    const bool minLinear = minF == D3DTEXF_LINEAR || minF == D3DTEXF_ANISOTROPIC;
    GLenum min;
    if (mipF == D3DTEXF_POINT)
        min = minLinear ? GL_LINEAR_MIPMAP_NEAREST : GL_NEAREST_MIPMAP_NEAREST;
    else if (mipF == D3DTEXF_LINEAR)
        min = minLinear ? GL_LINEAR_MIPMAP_LINEAR : GL_NEAREST_MIPMAP_LINEAR;
    else
        min = minLinear ? GL_LINEAR : GL_NEAREST;
    glSamplerParameteri(id, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(min));
    glSamplerParameteri(id, GL_TEXTURE_MAG_FILTER,
                        (magF == D3DTEXF_LINEAR || magF == D3DTEXF_ANISOTROPIC) ? GL_LINEAR : GL_NEAREST);
    glSamplerParameteri(id, GL_TEXTURE_WRAP_S, static_cast<GLint>(AddressMode(ss[D3DSAMP_ADDRESSU])));
    glSamplerParameteri(id, GL_TEXTURE_WRAP_T, static_cast<GLint>(AddressMode(ss[D3DSAMP_ADDRESSV])));
    glSamplerParameteri(id, GL_TEXTURE_WRAP_R, static_cast<GLint>(AddressMode(ss[D3DSAMP_ADDRESSW])));
    const DWORD c = ss[D3DSAMP_BORDERCOLOR];
    const GLfloat border[4] = {((c >> 16) & 0xff) / 255.0f, ((c >> 8) & 0xff) / 255.0f, (c & 0xff) / 255.0f,
                               ((c >> 24) & 0xff) / 255.0f};
    glSamplerParameterfv(id, GL_TEXTURE_BORDER_COLOR, border);
    glSamplerParameterf(id, GL_TEXTURE_LOD_BIAS, AsFloat(ss[D3DSAMP_MIPMAPLODBIAS]));
    glSamplerParameterf(id, GL_TEXTURE_MIN_LOD, static_cast<float>(ss[D3DSAMP_MAXMIPLEVEL]));
    if (gl.maxAnisotropy > 1.0f) {
        // Anisotropy only counts with an anisotropic filter; at least 1.
        float aniso = 1.0f;
        if (minF == D3DTEXF_ANISOTROPIC || magF == D3DTEXF_ANISOTROPIC)
            aniso = std::clamp(static_cast<float>(std::max<DWORD>(1, ss[D3DSAMP_MAXANISOTROPY])), 1.0f,
                               gl.maxAnisotropy);
        glSamplerParameterf(id, GL_TEXTURE_MAX_ANISOTROPY_EXT, aniso);
    }
}

void DeviceState::ApplyAllToGl() {
    if (!MakeCurrent()) return;
    static const DWORD kGlStates[] = {
        D3DRS_ZENABLE,          D3DRS_ZWRITEENABLE,    D3DRS_ZFUNC,           D3DRS_FILLMODE,
        D3DRS_CULLMODE,         D3DRS_ALPHABLENDENABLE, D3DRS_SRCBLEND,       D3DRS_BLENDOP,
        D3DRS_BLENDFACTOR,      D3DRS_STENCILENABLE,   D3DRS_STENCILFUNC,     D3DRS_STENCILFAIL,
        D3DRS_STENCILWRITEMASK, D3DRS_COLORWRITEENABLE, D3DRS_SCISSORTESTENABLE, D3DRS_MULTISAMPLEANTIALIAS,
        D3DRS_DEPTHBIAS};
    for (DWORD s : kGlStates) ApplyRenderState(s);
    for (DWORD s = 0; s < kD3DSamplerCount; ++s) {
        ApplySamplerState(s);
        glBindSampler(s, samplers[s]);
    }
    ApplyViewport();
    const GLint y = targetTopDown ? scissor.top : static_cast<GLint>(targetHeight) - scissor.bottom;
    glScissor(scissor.left, y, std::max(0, scissor.right - scissor.left), std::max(0, scissor.bottom - scissor.top));
}

} // namespace Platform

using Platform::DeviceState;

HRESULT IDirect3DDevice9::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
    DeviceState& s = *m_pState;
    if (state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
    s.renderStates[state] = value;
    if (state == D3DRS_LIGHTING || state == D3DRS_AMBIENT) s.lightingDirty = true;
    if (s.MakeCurrent()) s.ApplyRenderState(state);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) {
    if (!value || state >= kD3DRenderStateCount) return D3DERR_INVALIDCALL;
    *value = m_pState->renderStates[state];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
    DeviceState& s = *m_pState;
    if (sampler >= kD3DSamplerCount || type >= kD3DSamplerStateCount) return D3DERR_INVALIDCALL;
    s.samplerStates[sampler][type] = value;
    if (s.MakeCurrent()) s.ApplySamplerState(sampler);
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) {
    if (!value || sampler >= kD3DSamplerCount || type >= kD3DSamplerStateCount) return D3DERR_INVALIDCALL;
    *value = m_pState->samplerStates[sampler][type];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
    if (stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
    m_pState->stageStates[stage][type] = value;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) {
    if (!value || stage >= kD3DTextureStageCount || type >= kD3DTextureStageStateCount) return D3DERR_INVALIDCALL;
    *value = m_pState->stageStates[stage][type];
    return D3D_OK;
}

namespace {
D3DMATRIX* TransformSlot(DeviceState& s, D3DTRANSFORMSTATETYPE state) {
    const DWORD v = state;
    if (v == D3DTS_VIEW) return &s.view;
    if (v == D3DTS_PROJECTION) return &s.projection;
    if (v >= D3DTS_TEXTURE0 && v <= D3DTS_TEXTURE7) return &s.texture[v - D3DTS_TEXTURE0];
    if (v >= D3DTS_WORLD && v < D3DTS_WORLD + Platform::kMaxWorldMatrices) return &s.world[v - D3DTS_WORLD];
    return nullptr;
}
} // namespace

HRESULT IDirect3DDevice9::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(*m_pState, state);
    if (!slot || !matrix) return D3DERR_INVALIDCALL;
    *slot = *matrix;
    m_pState->transformsDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(*m_pState, state);
    if (!slot || !matrix) return D3DERR_INVALIDCALL;
    *matrix = *slot;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::MultiplyTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
    D3DMATRIX* slot = TransformSlot(*m_pState, state);
    if (!slot || !matrix) return D3DERR_INVALIDCALL;
    // Direct3D's order: the new matrix is applied after the current one (current x M).
    D3DMATRIX r{};
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) sum += slot->m[i][k] * matrix->m[k][j];
            r.m[i][j] = sum;
        }
    *slot = r;
    m_pState->transformsDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetMaterial(const D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    m_pState->material = *material;
    m_pState->lightingDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetMaterial(D3DMATERIAL9* material) {
    if (!material) return D3DERR_INVALIDCALL;
    *material = m_pState->material;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetLight(DWORD index, const D3DLIGHT9* light) {
    if (!light || index >= Platform::kMaxLights) return D3DERR_INVALIDCALL;
    if (light->Type < D3DLIGHT_POINT || light->Type > D3DLIGHT_DIRECTIONAL) return D3DERR_INVALIDCALL;
    m_pState->lights[index] = *light;
    m_pState->lightSet[index] = true;
    m_pState->lightingDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLight(DWORD index, D3DLIGHT9* light) {
    if (!light || index >= Platform::kMaxLights || !m_pState->lightSet[index]) return D3DERR_INVALIDCALL;
    *light = m_pState->lights[index];
    return D3D_OK;
}

HRESULT IDirect3DDevice9::LightEnable(DWORD index, BOOL enable) {
    if (index >= Platform::kMaxLights) return D3DERR_INVALIDCALL;
    // Enabling a light that was never set gives Direct3D's default light:
    // white, directional, pointing along +z.
    if (!m_pState->lightSet[index]) {
        D3DLIGHT9 l{};
        l.Type = D3DLIGHT_DIRECTIONAL;
        l.Diffuse = {1.0f, 1.0f, 1.0f, 0.0f};
        l.Direction = {0.0f, 0.0f, 1.0f};
        m_pState->lights[index] = l;
        m_pState->lightSet[index] = true;
    }
    m_pState->lightEnabled[index] = enable != FALSE;
    m_pState->lightingDirty = true;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetLightEnable(DWORD index, BOOL* enable) {
    if (!enable || index >= Platform::kMaxLights || !m_pState->lightSet[index]) return D3DERR_INVALIDCALL;
    *enable = m_pState->lightEnabled[index] ? TRUE : FALSE;
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetClipPlane(DWORD index, const float* plane) {
    if (!plane || index >= Platform::kMaxClipPlanes) return D3DERR_INVALIDCALL;
    std::memcpy(m_pState->clipPlanes[index], plane, 4 * sizeof(float));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetClipPlane(DWORD index, float* plane) {
    if (!plane || index >= Platform::kMaxClipPlanes) return D3DERR_INVALIDCALL;
    std::memcpy(plane, m_pState->clipPlanes[index], 4 * sizeof(float));
    return D3D_OK;
}

HRESULT IDirect3DDevice9::SetScissorRect(const RECT* rect) {
    DeviceState& s = *m_pState;
    if (!rect) return D3DERR_INVALIDCALL;
    s.scissor = *rect;
    if (s.MakeCurrent()) {
        const GLint y = s.targetTopDown ? rect->top : static_cast<GLint>(s.targetHeight) - rect->bottom;
        glScissor(rect->left, y, std::max(0, rect->right - rect->left), std::max(0, rect->bottom - rect->top));
    }
    return D3D_OK;
}

HRESULT IDirect3DDevice9::GetScissorRect(RECT* rect) {
    if (!rect) return D3DERR_INVALIDCALL;
    *rect = m_pState->scissor;
    return D3D_OK;
}
