// ".x" files as exporters write them: standard, open and restricted
// templates, the binary token form with 32- and 64-bit floats, compressed
// text and binary, and normals given per face corner (hard edges).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "common/OffscreenDevice.h"
#include "data/generators/fuzzseeds/XFileWriter.h"
#include "platform/d3dx/XFileReader.h"
#include "platform/d3dx/d3dx9.h"

namespace {

using XFileWriter::Form;

XFile::Scene ParseOk(const std::string& bytes) {
    XFile::Scene s;
    std::string err;
    EXPECT_TRUE(XFile::Parse(bytes.data(), bytes.size(), s, err)) << err;
    return s;
}

void ExpectSameMatrix(const D3DXMATRIX& a, const D3DXMATRIX& b) {
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ((&a._11)[i], (&b._11)[i]) << "element " << i;
}
void ExpectSameColour(const D3DCOLORVALUE& a, const D3DCOLORVALUE& b) {
    EXPECT_EQ(a.r, b.r);
    EXPECT_EQ(a.g, b.g);
    EXPECT_EQ(a.b, b.b);
    EXPECT_EQ(a.a, b.a);
}

void ExpectSameFrames(const std::vector<XFile::Frame>& a, const std::vector<XFile::Frame>& b) {
    ASSERT_EQ(a.size(), b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        SCOPED_TRACE(a[i].name);
        EXPECT_EQ(a[i].name, b[i].name);
        ExpectSameMatrix(a[i].transform, b[i].transform);
        ASSERT_EQ(a[i].meshes.size(), b[i].meshes.size());
        for (size_t m = 0; m < a[i].meshes.size(); ++m) {
            const XFile::Mesh &x = a[i].meshes[m], &y = b[i].meshes[m];
            EXPECT_EQ(x.name, y.name);
            ASSERT_EQ(x.positions.size(), y.positions.size());
            for (size_t v = 0; v < x.positions.size(); ++v)
                EXPECT_TRUE(x.positions[v] == y.positions[v]) << "position " << v;
            ASSERT_EQ(x.normals.size(), y.normals.size());
            for (size_t v = 0; v < x.normals.size(); ++v)
                EXPECT_TRUE(x.normals[v] == y.normals[v]) << "normal " << v;
            ASSERT_EQ(x.texCoords.size(), y.texCoords.size());
            for (size_t v = 0; v < x.texCoords.size(); ++v)
                EXPECT_TRUE(x.texCoords[v] == y.texCoords[v]) << "texture coordinate " << v;
            EXPECT_EQ(x.triangles, y.triangles);
            EXPECT_EQ(x.attributes, y.attributes);
            ASSERT_EQ(x.materials.size(), y.materials.size());
            for (size_t k = 0; k < x.materials.size(); ++k) {
                ExpectSameColour(x.materials[k].diffuse, y.materials[k].diffuse);
                ExpectSameColour(x.materials[k].specular, y.materials[k].specular);
                ExpectSameColour(x.materials[k].emissive, y.materials[k].emissive);
                EXPECT_EQ(x.materials[k].power, y.materials[k].power);
                EXPECT_EQ(x.materials[k].textureFile, y.materials[k].textureFile);
            }
            EXPECT_EQ(x.hasSkinHeader, y.hasSkinHeader);
            EXPECT_EQ(x.maxSkinWeightsPerVertex, y.maxSkinWeightsPerVertex);
            EXPECT_EQ(x.maxSkinWeightsPerFace, y.maxSkinWeightsPerFace);
            EXPECT_EQ(x.bones, y.bones);
            ASSERT_EQ(x.skin.size(), y.skin.size());
            for (size_t k = 0; k < x.skin.size(); ++k) {
                EXPECT_EQ(x.skin[k].bone, y.skin[k].bone);
                EXPECT_EQ(x.skin[k].vertices, y.skin[k].vertices);
                EXPECT_EQ(x.skin[k].weights, y.skin[k].weights);
                ExpectSameMatrix(x.skin[k].offset, y.skin[k].offset);
            }
        }
        ExpectSameFrames(a[i].children, b[i].children);
    }
}

void ExpectSameScene(const XFile::Scene& a, const XFile::Scene& b) {
    ExpectSameFrames(a.frames, b.frames);
    EXPECT_EQ(a.ticksPerSecond, b.ticksPerSecond);
    ASSERT_EQ(a.animationSets.size(), b.animationSets.size());
    for (size_t s = 0; s < a.animationSets.size(); ++s) {
        const auto &x = a.animationSets[s], &y = b.animationSets[s];
        EXPECT_EQ(x.name, y.name);
        ASSERT_EQ(x.animations.size(), y.animations.size());
        for (size_t i = 0; i < x.animations.size(); ++i) {
            const auto &p = x.animations[i], &q = y.animations[i];
            EXPECT_EQ(p.frame, q.frame);
            ASSERT_EQ(p.rotation.size(), q.rotation.size());
            for (size_t k = 0; k < p.rotation.size(); ++k) {
                EXPECT_EQ(p.rotation[k].time, q.rotation[k].time);
                EXPECT_TRUE(p.rotation[k].value == q.rotation[k].value);
            }
            ASSERT_EQ(p.scale.size(), q.scale.size());
            for (size_t k = 0; k < p.scale.size(); ++k)
                EXPECT_TRUE(p.scale[k].time == q.scale[k].time && p.scale[k].value == q.scale[k].value);
            ASSERT_EQ(p.position.size(), q.position.size());
            for (size_t k = 0; k < p.position.size(); ++k)
                EXPECT_TRUE(p.position[k].time == q.position[k].time && p.position[k].value == q.position[k].value);
            ASSERT_EQ(p.matrix.size(), q.matrix.size());
            for (size_t k = 0; k < p.matrix.size(); ++k) {
                EXPECT_EQ(p.matrix[k].time, q.matrix[k].time);
                ExpectSameMatrix(p.matrix[k].value, q.matrix[k].value);
            }
        }
    }
}

TEST(XFileFormsTest, TextWithTemplatesReadsEveryPartOfTheScene) {
    const std::string text = XFileWriter::SampleScene(Form::Text);
    ASSERT_NE(text.find("[...]"), std::string::npos);
    ASSERT_NE(text.find("array FLOAT matrix[16];"), std::string::npos);
    ASSERT_NE(text.find("[Material <"), std::string::npos);
    const XFile::Scene s = ParseOk(text);
    ASSERT_EQ(s.frames.size(), 1u);
    const XFile::Frame& root = s.frames[0];
    EXPECT_EQ(root.name, "Root");
    EXPECT_FLOAT_EQ(root.transform._42, 2.0f);
    ASSERT_EQ(root.children.size(), 1u);
    const XFile::Frame& body = root.children[0];
    ASSERT_EQ(body.meshes.size(), 1u);
    ASSERT_EQ(body.children.size(), 1u);
    EXPECT_EQ(body.children[0].name, "Arm");
    const XFile::Mesh& box = body.meshes[0];
    EXPECT_EQ(box.name, "Box");
    ASSERT_EQ(box.materials.size(), 2u);
    // The referenced material, then the inline one, as in the file.
    EXPECT_EQ(box.materials[0].textureFile, "hull.bmp");
    EXPECT_FLOAT_EQ(box.materials[0].diffuse.g, 0.5f);
    EXPECT_FLOAT_EQ(box.materials[1].diffuse.r, 1.0f);
    EXPECT_FLOAT_EQ(box.materials[1].diffuse.g, 0.0f);
    EXPECT_EQ(box.materials[1].textureFile, "");
    EXPECT_EQ(box.attributes, (std::vector<DWORD>{0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 1, 1}));
    ASSERT_EQ(box.skin.size(), 2u);
    EXPECT_EQ(box.skin[1].bone, "Arm");
    EXPECT_EQ(s.ticksPerSecond, 160u);
    ASSERT_EQ(s.animationSets.size(), 1u);
    const auto& set = s.animationSets[0];
    EXPECT_EQ(set.name, "Swing");
    ASSERT_EQ(set.animations.size(), 2u);
    EXPECT_EQ(set.animations[0].frame, "Arm");
    EXPECT_EQ(set.animations[0].rotation.size(), 2u);
    EXPECT_EQ(set.animations[0].scale.size(), 2u);
    ASSERT_EQ(set.animations[0].position.size(), 2u);
    EXPECT_FLOAT_EQ(set.animations[0].position[1].value.z, 0.5f);
    EXPECT_FLOAT_EQ(set.animations[0].rotation[1].value.y, 0.70710677f); // stored w, x, y, z
    EXPECT_EQ(set.animations[1].frame, "Body");
    ASSERT_EQ(set.animations[1].matrix.size(), 1u);
    EXPECT_FLOAT_EQ(set.animations[1].matrix[0].value._43, -2.0f);
}

TEST(XFileFormsTest, BinaryAndCompressedFormsLoadLikeTheText) {
    const XFile::Scene text = ParseOk(XFileWriter::SampleScene(Form::Text));
    ASSERT_FALSE(text.frames.empty());
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"binary, 32-bit floats", XFileWriter::SampleScene(Form::Binary32)},
        {"binary, 64-bit floats", XFileWriter::SampleScene(Form::Binary64)},
        {"compressed text in one block", XFileWriter::Compress(XFileWriter::SampleScene(Form::Text))},
        // Small blocks refer back into earlier ones.
        {"compressed text in small blocks", XFileWriter::Compress(XFileWriter::SampleScene(Form::Text), 256)},
        {"compressed binary", XFileWriter::Compress(XFileWriter::SampleScene(Form::Binary32), 300)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ExpectSameScene(ParseOk(c.bytes), text);
    }
    EXPECT_EQ(cases[0].bytes.compare(8, 4, "bin "), 0);
    EXPECT_EQ(cases[2].bytes.compare(8, 4, "tzip"), 0);
    EXPECT_EQ(cases[4].bytes.compare(8, 4, "bzip"), 0);
}

TEST(XFileFormsTest, BrokenBinaryAndCompressedFilesGiveAReason) {
    const std::string bin = XFileWriter::SampleScene(Form::Binary32);
    const std::string zip = XFileWriter::Compress(XFileWriter::SampleScene(Form::Text), 256);
    auto with = [](std::string s, size_t at, char c) {
        s[at] = c;
        return s;
    };
    std::string bigger = zip;
    const uint32_t huge = 40u << 20;
    std::memcpy(&bigger[16], &huge, 4);
    std::string smaller = zip;
    const uint32_t tiny = 100;
    std::memcpy(&smaller[16], &tiny, 4);
    struct Case {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"unknown form", "xof 0303abc 0032" + bin.substr(16)},
        {"unknown float size", "xof 0303bin 0016" + bin.substr(16)},
        {"binary cut in a list", bin.substr(0, bin.size() / 2)},
        {"binary cut in a token", bin.substr(0, 17)},
        {"unknown token", std::string("xof 0303bin 0032") + "\x63\x00" + bin.substr(16)},
        {"list longer than the file", std::string("xof 0303bin 0032") + "\x06\x00\xff\xff\xff\x0f"},
        {"block signature", with(zip, 24, 'X')},
        {"corrupt deflate data", with(with(zip, 26, '\xff'), 27, '\xff')},
        {"block sizes past the end", zip.substr(0, zip.size() - 3)},
        {"expanded size too large", bigger},
        {"expanded size too small", smaller},
        {"compressed without blocks", zip.substr(0, 20)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XFile::Scene s;
        std::string err;
        EXPECT_FALSE(XFile::Parse(c.bytes.data(), c.bytes.size(), s, err));
        EXPECT_FALSE(err.empty());
        EXPECT_TRUE(s.frames.empty());
    }
}

// Text around one mesh with `faceIndex` as the last face corner, `normalIndex`
// as the last normal corner, `skinIndex` as a skinned vertex and
// `materialIndex` as the face's material.
std::string Triangle(int faceIndex, int normalIndex, int skinIndex, int materialIndex) {
    return "xof 0303txt 0032\nFrame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1," + std::to_string(faceIndex) +
           ";;\n MeshNormals { 2; 0;0;1;, 0;0;-1;; 1; 3;0,0," + std::to_string(normalIndex) +
           ";; }\n MeshMaterialList { 1; 1; " + std::to_string(materialIndex) +
           ";; Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n SkinWeights { \"A\"; 1; " + std::to_string(skinIndex) +
           "; 1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; } } }\n";
}

TEST(XFileFormsTest, IndexesAreCheckedAtTheirCount) {
    struct Case {
        const char* what;
        std::string text;
        bool ok;
    } cases[] = {
        {"last valid indexes", Triangle(2, 1, 2, 0), true},
        {"face index equal to the vertex count", Triangle(3, 1, 2, 0), false},
        {"normal index equal to the normal count", Triangle(2, 2, 2, 0), false},
        {"skinned vertex equal to the vertex count", Triangle(2, 1, 3, 0), false},
        {"material index equal to the material count", Triangle(2, 1, 2, 1), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XFile::Scene s;
        std::string err;
        EXPECT_EQ(XFile::Parse(c.text.data(), c.text.size(), s, err), c.ok) << err;
        EXPECT_EQ(err.empty(), c.ok) << err;
    }
}

TEST(XFileFormsTest, CornersWithDifferentNormalsBecomeVerticesOfTheirOwn) {
    const XFile::Scene s = ParseOk(XFileWriter::SampleScene(Form::Text));
    ASSERT_FALSE(s.frames.empty());
    const XFile::Mesh& box = s.frames[0].children.at(0).meshes.at(0);
    // Eight corners, each on three faces with three normals.
    ASSERT_EQ(box.positions.size(), 24u);
    ASSERT_EQ(box.normals.size(), 24u);
    ASSERT_EQ(box.texCoords.size(), 24u);
    ASSERT_EQ(box.triangles.size(), 12u);
    const std::vector<double>& corners = XFileWriter::CubeCorners();
    for (size_t t = 0; t < box.triangles.size(); ++t) {
        const auto& tri = box.triangles[t];
        const D3DXVECTOR3 n = box.normals[tri[0]];
        for (DWORD v : tri) {
            EXPECT_TRUE(box.normals[v] == n) << "triangle " << t; // flat: one normal a face
            // The normal points out of the face the vertex lies on.
            const D3DXVECTOR3& p = box.positions[v];
            EXPECT_FLOAT_EQ(D3DXVec3Dot(&p, &n), 0.5f);
        }
    }
    // The file's vertices keep their places; copies keep position and
    // texture coordinates of their source.
    for (size_t v = 0; v < 8; ++v) {
        EXPECT_EQ(box.positions[v].x, static_cast<float>(corners[v * 3]));
        EXPECT_EQ(box.positions[v].z, static_cast<float>(corners[v * 3 + 2]));
    }
    // Every copy carries the skin weight of its source.
    ASSERT_EQ(box.skin.size(), 2u);
    for (const auto& sw : box.skin) {
        SCOPED_TRACE(sw.bone);
        ASSERT_EQ(sw.vertices.size(), 12u);
        for (size_t k = 0; k < sw.vertices.size(); ++k) {
            const D3DXVECTOR3& p = box.positions[sw.vertices[k]];
            EXPECT_FLOAT_EQ(p.z, sw.bone == "Body" ? -0.5f : 0.5f);
            const bool corner7 = p.x < 0 && p.y > 0 && p.z > 0;
            EXPECT_FLOAT_EQ(sw.weights[k], corner7 ? 0.5f : 1.0f);
        }
    }
    // Corners that share a normal share a vertex: a normal per corner in
    // the file that repeats a value makes no copy.
    const std::string sameNormals =
        "xof 0303txt 0032\nMesh { 4; 0;0;0;, 1;0;0;, 1;1;0;, 0;1;0;; 2; 3;0,1,2;, 3;0,2,3;;"
        " MeshNormals { 6; 0;0;1;, 0;0;1;, 0;0;1;, 0;0;1;, 0;0;1;, 0;0;1;; 2; 3;0,1,2;, 3;3,4,5;; } }\n";
    const XFile::Scene q = ParseOk(sameNormals);
    ASSERT_FALSE(q.frames.empty());
    EXPECT_EQ(q.frames[0].meshes.at(0).positions.size(), 4u);
}

// Records what the loader hands over per mesh container.
class KeepingAllocator : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(LPCSTR name, D3DXFRAME** f) override {
        *f = new D3DXFRAME{};
        if (name) {
            (*f)->Name = new char[std::strlen(name) + 1];
            std::strcpy((*f)->Name, name);
        }
        return S_OK;
    }
    HRESULT CreateMeshContainer(LPCSTR, const D3DXMESHDATA* data, const D3DXMATERIAL*, const D3DXEFFECTINSTANCE*,
                                DWORD, const DWORD* adj, ID3DXSkinInfo* skin, D3DXMESHCONTAINER** c) override {
        *c = new D3DXMESHCONTAINER{};
        (*c)->MeshData = *data;
        data->pMesh->AddRef();
        adjacency.assign(adj, adj + size_t(data->pMesh->GetNumFaces()) * 3);
        skinVertices = skin ? skin->GetNumVertices() : 0;
        return S_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* f) override {
        delete[] f->Name;
        delete f;
        return S_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* c) override {
        SafeReleaseCom(c->MeshData.pMesh);
        delete c;
        return S_OK;
    }
    std::vector<DWORD> adjacency;
    DWORD skinVertices = 0;
};

TEST(XFileFormsTest, SplitVerticesKeepTheFacesAdjacentAndTheSkinSized) {
    const std::string bytes = XFileWriter::SampleScene(Form::Binary32);
    KeepingAllocator alloc;
    D3DXFRAME* root = nullptr;
    ASSERT_EQ(D3DXLoadMeshHierarchyFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), 0, nullptr, &alloc,
                                                 nullptr, &root, nullptr),
              D3D_OK)
        << D3DXGetLastMeshError();
    EXPECT_EQ(alloc.skinVertices, 24u);
    // A closed box: every triangle edge meets another triangle, across the
    // hard edges too.
    ASSERT_EQ(alloc.adjacency.size(), 36u);
    for (size_t i = 0; i < alloc.adjacency.size(); ++i)
        EXPECT_LT(alloc.adjacency[i], 12u) << "edge " << i;
    D3DXFrameDestroy(root, &alloc);
}

// The cube turned 45 degrees about y, seen straight on with one directional
// light: its two visible faces must each be one flat colour, different from
// each other. With one normal per position the faces would shade across.
TEST(XFileFormsTest, HardEdgedCubeIsDrawnWithFlatFaces) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create())
        GTEST_SKIP() << "no GL context";
    IDirect3DDevice9* dev = gfx.m_pDevice;
    const std::string bytes = XFileWriter::Compress(XFileWriter::HardEdgeCube(Form::Binary32));
    KeepingAllocator alloc;
    D3DXFRAME* root = nullptr;
    ASSERT_EQ(D3DXLoadMeshHierarchyFromXInMemory(bytes.data(), static_cast<DWORD>(bytes.size()), D3DXMESH_MANAGED,
                                                 dev, &alloc, nullptr, &root, nullptr),
              D3D_OK)
        << D3DXGetLastMeshError();
    ASSERT_NE(root->pMeshContainer, nullptr);
    ID3DXMesh* mesh = root->pMeshContainer->MeshData.pMesh;

    D3DXMATRIX world, view, proj;
    D3DXMatrixRotationY(&world, D3DX_PI / 4);
    D3DXMatrixIdentity(&view);
    D3DXMatrixOrthoLH(&proj, 2, 2, -10, 10);
    dev->SetTransform(D3DTS_WORLD, &world);
    dev->SetTransform(D3DTS_VIEW, &view);
    dev->SetTransform(D3DTS_PROJECTION, &proj);
    D3DLIGHT9 light{};
    light.Type = D3DLIGHT_DIRECTIONAL;
    light.Diffuse = {1, 1, 1, 1};
    light.Direction = {0.2f, 0, 1};
    dev->SetLight(0, &light);
    dev->LightEnable(0, TRUE);
    D3DMATERIAL9 material{};
    material.Diffuse = {1, 1, 1, 1};
    dev->SetMaterial(&material);
    dev->SetRenderState(D3DRS_LIGHTING, TRUE);
    dev->SetRenderState(D3DRS_AMBIENT, 0);
    dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    dev->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF0000FFu, 1.0f, 0);
    dev->BeginScene();
    EXPECT_EQ(mesh->DrawSubset(0), D3D_OK);
    dev->EndScene();
    const auto px = gfx.Pixels();

    // 128 pixels span -1..1: the left face covers x 19..63, the right one
    // 65..109, both y 32..96.
    auto green = [&](UINT x, UINT y) { return static_cast<int>((gfx.At(px, x, y) >> 8) & 0xFF); };
    const int left = green(40, 64), right = green(88, 64);
    EXPECT_NEAR(left, 212, 6);  // normal (-0.71, 0, -0.71) against the light
    EXPECT_NEAR(right, 141, 6); // normal (0.71, 0, -0.71)
    for (UINT y : {40u, 64u, 88u}) {
        for (UINT x : {26u, 40u, 56u})
            EXPECT_NEAR(green(x, y), left, 2) << x << "," << y;
        for (UINT x : {72u, 88u, 102u})
            EXPECT_NEAR(green(x, y), right, 2) << x << "," << y;
    }
    EXPECT_EQ(gfx.At(px, 4, 64) & 0xFFFFFF, 0x0000FFu); // the background around it
    D3DXFrameDestroy(root, &alloc);
}

} // namespace
