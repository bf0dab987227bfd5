// Effects in our XML format on a real GL context: parameters, techniques,
// passes with their render states, and the error text of a broken file.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/OffscreenDevice.h"
#include "platform/d3dx/d3dx9.h"

namespace {

std::string Effect(const std::string& fragmentBody) {
    return R"(<Effect>
 <Technique name="Low"><Pass>
  <RenderState name="CULLMODE" value="1"/>
  <RenderState name="ZENABLE" value="0"/>
  <VertexShader><![CDATA[
uniform mat4 g_MatrixWorldViewProj;
in vec3 vPosition;
void main() { gl_Position = vorna_Clip(g_MatrixWorldViewProj * vec4(vPosition, 1.0)); }
]]></VertexShader>
  <FragmentShader><![CDATA[
uniform vec4 g_Colour;
uniform float g_Scale;
out vec4 outColor;
void main() { )" + fragmentBody + R"( }
]]></FragmentShader>
 </Pass></Technique>
 <Technique name="Other"><Pass>
  <VertexShader><![CDATA[ in vec3 vPosition; void main() { gl_Position = vorna_Clip(vec4(vPosition, 1.0)); } ]]></VertexShader>
  <FragmentShader><![CDATA[ out vec4 outColor; void main() { outColor = vec4(1.0); } ]]></FragmentShader>
 </Pass><Pass>
  <VertexShader><![CDATA[ in vec3 vPosition; void main() { gl_Position = vorna_Clip(vec4(vPosition, 1.0)); } ]]></VertexShader>
  <FragmentShader><![CDATA[ out vec4 outColor; void main() { outColor = vec4(0.5); } ]]></FragmentShader>
 </Pass></Technique>
</Effect>)";
}

TEST(EffectTest, ParametersTechniquesAndPassesDraw) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create())
        GTEST_SKIP() << "no GL context";
    IDirect3DDevice9* dev = gfx.m_pDevice;
    std::string text = Effect("outColor = g_Colour * g_Scale;");
    ID3DXEffect* e = nullptr;
    ID3DXBuffer* errors = nullptr;
    ASSERT_EQ(D3DXCreateEffect(dev, text.data(), static_cast<UINT>(text.size()), nullptr, nullptr, 0, nullptr, &e,
                               &errors),
              D3D_OK);
    EXPECT_EQ(errors, nullptr);
    D3DXHANDLE colour = e->GetParameterByName(nullptr, "g_Colour");
    D3DXHANDLE scale = e->GetParameterByName(nullptr, "g_Scale");
    D3DXHANDLE wvp = e->GetParameterByName(nullptr, "g_MatrixWorldViewProj");
    ASSERT_NE(colour, nullptr);
    ASSERT_NE(scale, nullptr);
    ASSERT_NE(wvp, nullptr);
    EXPECT_EQ(e->GetParameterByName(nullptr, "g_Missing"), nullptr);
    EXPECT_EQ(e->GetTechniqueByName("Missing"), nullptr);

    D3DXMATRIX id;
    D3DXMatrixIdentity(&id);
    D3DXVECTOR4 c(0.0f, 1.0f, 0.0f, 1.0f);
    e->SetMatrix(wvp, &id);
    e->SetVector(colour, &c);
    e->SetFloat(scale, 1.0f);
    float got = 0;
    EXPECT_EQ(e->GetFloat(scale, &got), D3D_OK);
    EXPECT_FLOAT_EQ(got, 1.0f);

    ASSERT_EQ(e->SetTechnique(e->GetTechniqueByName("Low")), D3D_OK);
    UINT passes = 0;
    DWORD cull = 0;
    dev->GetRenderState(D3DRS_CULLMODE, &cull);
    ASSERT_EQ(e->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 1u);
    ASSERT_EQ(e->BeginPass(0), D3D_OK);
    DWORD inPass = 0;
    dev->GetRenderState(D3DRS_CULLMODE, &inPass);
    EXPECT_EQ(inPass, static_cast<DWORD>(D3DCULL_NONE));
    dev->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u, 1.0f, 0);
    // A triangle over the lower-left half of the picture.
    float tri[3][3] = {{-1, -1, 0.5f}, {-1, 1, 0.5f}, {1, -1, 0.5f}};
    dev->SetFVF(D3DFVF_XYZ);
    dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri, 12);
    // A parameter changed inside the pass reaches the program on commit.
    e->SetFloat(scale, 0.5f);
    e->CommitChanges();
    float tri2[3][3] = {{1, 1, 0.5f}, {1, -1, 0.5f}, {-1, 1, 0.5f}};
    dev->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, tri2, 12);
    e->EndPass();
    e->End();
    DWORD after = 0;
    dev->GetRenderState(D3DRS_CULLMODE, &after);
    EXPECT_EQ(after, cull); // End restores what the pass changed
    auto px = gfx.Pixels();
    EXPECT_EQ(gfx.At(px, 10, 118) & 0xFFFFFF, 0x00FF00u);
    EXPECT_NEAR(static_cast<int>((gfx.At(px, 118, 10) >> 8) & 0xFF), 128, 2);

    ASSERT_EQ(e->SetTechnique(e->GetTechniqueByName("Other")), D3D_OK);
    ASSERT_EQ(e->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 2u);
    EXPECT_EQ(e->BeginPass(2), D3DERR_INVALIDCALL);
    e->End();
    e->Release();
}

TEST(EffectTest, BrokenShaderAndBadXmlGiveAnErrorText) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create())
        GTEST_SKIP() << "no GL context";
    struct Case {
        const char* what;
        std::string text;
        const char* expect;
    } cases[] = {
        {"glsl", Effect("outColor = undefined_thing;"), "Low"},
        {"xml", "<Effect><Technique name=\"A\">", "XML"},
        {"no pass", "<Effect><Technique name=\"A\"/></Effect>", "no pass"},
        {"unknown state", "<Effect><Technique name=\"A\"><Pass><RenderState name=\"NOPE\" value=\"1\"/></Pass>"
                          "</Technique></Effect>", "render state"},
        // Nesting deep enough to exhaust the recursive parser's stack.
        {"deep", "<Effect>" + [] {
             std::string deep;
             for (int i = 0; i < 200000; ++i) deep += "<a>";
             return deep;
         }() + "</Effect>", "nested too deeply"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ID3DXEffect* e = nullptr;
        ID3DXBuffer* errors = nullptr;
        EXPECT_TRUE(FAILED(D3DXCreateEffect(gfx.m_pDevice, c.text.data(), static_cast<UINT>(c.text.size()), nullptr,
                                          nullptr, 0, nullptr, &e, &errors)));
        EXPECT_EQ(e, nullptr);
        ASSERT_NE(errors, nullptr);
        std::string msg = static_cast<const char*>(errors->GetBufferPointer());
        EXPECT_NE(msg.find(c.expect), std::string::npos) << msg;
        errors->Release();
    }
}

} // namespace
