// The DDS and ".x" readers, skinning and animation, without a GL context.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/d3dx/ImageFile.h"
#include "platform/d3dx/XFileReader.h"
#include "platform/d3dx/d3dx9.h"

namespace {

// ---------------------------------------------------------------------------
// DDS files built in memory.
struct DdsSpec {
    UINT width, height, depth, mips;
    DWORD fourCC;   // 0: uncompressed
    DWORD bits;     // 32 or 8
    bool alpha, luminance, cube, volume;
};

void Put32(std::vector<BYTE>& b, size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); }

std::vector<BYTE> MakeDds(const DdsSpec& s, long extra = 0) {
    std::vector<BYTE> b(128, 0);
    Put32(b, 0, 0x20534444u);
    Put32(b, 4, 124);
    Put32(b, 8, 0x1007u | (s.mips > 1 ? 0x20000u : 0u) | (s.volume ? 0x800000u : 0u));
    Put32(b, 12, s.height);
    Put32(b, 16, s.width);
    Put32(b, 24, s.depth);
    Put32(b, 28, s.mips);
    Put32(b, 76, 32);
    if (s.fourCC) {
        Put32(b, 80, 0x4u);
        Put32(b, 84, s.fourCC);
    } else if (s.luminance) {
        Put32(b, 80, 0x20000u);
        Put32(b, 88, 8);
    } else {
        Put32(b, 80, 0x40u | (s.alpha ? 0x1u : 0u));
        Put32(b, 88, 32);
        Put32(b, 92, 0xFF0000u);
        Put32(b, 96, 0xFF00u);
        Put32(b, 100, 0xFFu);
        Put32(b, 104, s.alpha ? 0xFF000000u : 0u);
    }
    Put32(b, 108, s.cube ? 0x201000u : 0x1000u);
    Put32(b, 112, s.cube ? 0xFE00u : (s.volume ? 0x200000u : 0u));
    D3DFORMAT fmt = s.fourCC ? static_cast<D3DFORMAT>(s.fourCC)
                             : s.luminance ? D3DFMT_L8 : (s.alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8);
    size_t payload = 0;
    for (UINT f = 0; f < (s.cube ? 6u : 1u); ++f)
        for (UINT l = 0, w = s.width, h = s.height, d = s.depth; l < s.mips; ++l) {
            payload += Platform::LevelBytes(fmt, w, h, d);
            w = std::max(1u, w / 2);
            h = std::max(1u, h / 2);
            d = std::max(1u, d / 2);
        }
    b.resize(static_cast<size_t>(static_cast<long>(128 + payload) + extra), 0x5A);
    return b;
}

TEST(DdsTest, ReadsEveryKindAndFormat) {
    struct Case {
        const char* what;
        DdsSpec spec;
        D3DFORMAT format;
        D3DRESOURCETYPE type;
        size_t levels;
    } cases[] = {
        {"argb with mips", {8, 4, 1, 4, 0, 32, true, false, false, false}, D3DFMT_A8R8G8B8, D3DRTYPE_TEXTURE, 4},
        {"xrgb", {5, 3, 1, 1, 0, 32, false, false, false, false}, D3DFMT_X8R8G8B8, D3DRTYPE_TEXTURE, 1},
        {"l8", {16, 16, 1, 1, 0, 8, false, true, false, false}, D3DFMT_L8, D3DRTYPE_TEXTURE, 1},
        {"dxt1", {16, 8, 1, 5, D3DFMT_DXT1, 0, false, false, false, false}, D3DFMT_DXT1, D3DRTYPE_TEXTURE, 5},
        {"dxt3", {8, 8, 1, 1, D3DFMT_DXT3, 0, false, false, false, false}, D3DFMT_DXT3, D3DRTYPE_TEXTURE, 1},
        {"dxt5 odd size", {6, 10, 1, 1, D3DFMT_DXT5, 0, false, false, false, false}, D3DFMT_DXT5, D3DRTYPE_TEXTURE, 1},
        {"cube", {4, 4, 1, 3, 0, 32, true, false, true, false}, D3DFMT_A8R8G8B8, D3DRTYPE_CUBETEXTURE, 18},
        {"volume", {4, 4, 4, 3, 0, 32, true, false, false, true}, D3DFMT_A8R8G8B8, D3DRTYPE_VOLUMETEXTURE, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        auto bytes = MakeDds(c.spec);
        Platform::Image img;
        std::string err;
        ASSERT_TRUE(Platform::ReadDds(bytes.data(), bytes.size(), img, err)) << err;
        EXPECT_EQ(img.info.Format, c.format);
        EXPECT_EQ(img.info.ResourceType, c.type);
        EXPECT_EQ(img.levels.size(), c.levels);
        EXPECT_EQ(img.info.ImageFileFormat, D3DXIFF_DDS);
    }
}

TEST(DdsTest, RefusesTruncatedOversizedAndInconsistentFiles) {
    DdsSpec ok{8, 8, 1, 4, 0, 32, true, false, false, false};
    const std::vector<BYTE> whole = MakeDds(ok);
    struct Case {
        const char* what;
        std::vector<BYTE> bytes;
    } cases[] = {
        {"one byte short", MakeDds(ok, -1)},
        {"header only", std::vector<BYTE>(whole.begin(), whole.begin() + 128)},
        {"too many mips", MakeDds({8, 8, 1, 5, 0, 32, true, false, false, false})},
        {"huge size", MakeDds({1u << 20, 8, 1, 1, 0, 32, true, false, false, false}, -((1 << 20) * 32 - 64))},
        {"cube not square", MakeDds({8, 4, 1, 1, 0, 32, true, false, true, false})},
        {"compressed volume", MakeDds({8, 8, 4, 1, D3DFMT_DXT1, 0, false, false, false, true})},
        {"unknown format", MakeDds({8, 8, 1, 1, 0x12345678u, 0, false, false, false, false})},
        {"zero width", MakeDds({0, 8, 1, 1, 0, 32, true, false, false, false})},
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        Platform::Image img;
        std::string err;
        EXPECT_FALSE(Platform::ReadDds(c.bytes.data(), c.bytes.size(), img, err));
        EXPECT_FALSE(err.empty());
        EXPECT_TRUE(img.levels.empty());
    }
    // Files with the second (DX10) header say so.
    auto dx10 = MakeDds({8, 8, 1, 1, 0x30315844u, 0, false, false, false, false});
    Platform::Image img;
    std::string err;
    EXPECT_FALSE(Platform::ReadDds(dx10.data(), dx10.size(), img, err));
    EXPECT_EQ(err, "DX10 header not supported");
}

TEST(ImageTest, ColourKeyAndMips) {
    auto bytes = MakeDds({4, 4, 1, 1, 0, 32, false, false, false, false});
    for (size_t i = 128; i < bytes.size(); i += 4) {
        DWORD c = (i / 4) % 2 ? 0x00FF00FFu : 0x00123456u; // X8R8G8B8: alpha byte ignored
        std::memcpy(&bytes[i], &c, 4);
    }
    Platform::Image img;
    std::string err;
    ASSERT_TRUE(Platform::ReadDds(bytes.data(), bytes.size(), img, err));
    Platform::ApplyColorKey(img, 0xFFFF00FFu);
    EXPECT_EQ(img.info.Format, D3DFMT_A8R8G8B8);
    DWORD first, second;
    std::memcpy(&first, img.levels[0].bytes.data(), 4);
    std::memcpy(&second, img.levels[0].bytes.data() + 4, 4);
    EXPECT_EQ(first, 0xFF123456u);
    EXPECT_EQ(second, 0u);
    Platform::BuildMips(img, 0);
    EXPECT_EQ(img.info.MipLevels, 3u);
    ASSERT_EQ(img.levels.size(), 3u);
    EXPECT_EQ(img.levels[2].width, 1u);
}

// A TGA of w x h pixels at 32 bits: uncompressed (type 2) or run-length
// (type 10, one run per row), with `cut` bytes taken off the end.
std::vector<BYTE> MakeTga(int w, int h, bool rle, size_t cut = 0) {
    std::vector<BYTE> b(18, 0);
    b[2] = rle ? 10 : 2;
    b[12] = BYTE(w), b[13] = BYTE(w >> 8), b[14] = BYTE(h), b[15] = BYTE(h >> 8);
    b[16] = 32;
    b[17] = 8;
    for (int y = 0; y < h; ++y) {
        if (rle) {
            b.push_back(BYTE(0x80 | (w - 1)));
            b.insert(b.end(), {0x10, 0x20, 0x30, 0xFF});
        } else {
            for (int x = 0; x < w; ++x) b.insert(b.end(), {0x10, 0x20, 0x30, 0xFF});
        }
    }
    b.resize(b.size() - cut);
    return b;
}

// A 24-bit BMP of w x h pixels with `cut` bytes taken off the end. Pixel
// (x, y), y counted from the top, is blue x, green y, red 0x40. Rows are
// stored bottom up, or top down (negative height) with topDown.
std::vector<BYTE> MakeBmp(int w, int h, size_t cut = 0, bool topDown = false) {
    const size_t row = (size_t(w) * 3 + 3) / 4 * 4;
    std::vector<BYTE> b(54, 0);
    b.resize(54 + row * h, 0x40);
    auto put32 = [&](size_t at, DWORD v) { std::memcpy(&b[at], &v, 4); };
    b[0] = 'B', b[1] = 'M';
    put32(2, DWORD(b.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, DWORD(w));
    put32(22, DWORD(topDown ? -h : h));
    b[26] = 1, b[27] = 0, b[28] = 24, b[29] = 0;
    put32(30, 0);
    put32(34, DWORD(row * h));
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            BYTE* p = &b[54 + row * size_t(topDown ? y : h - 1 - y) + size_t(x) * 3];
            p[0] = BYTE(x), p[1] = BYTE(y), p[2] = 0x40;
        }
    b.resize(b.size() - cut);
    return b;
}

// Pixels of a read image level as 0xAARRGGBB.
struct ImageLevelView {
    const Platform::ImageLevel& level;
    DWORD At(UINT x, UINT y) const {
        DWORD c;
        std::memcpy(&c, &level.bytes[size_t(y) * level.pitch + x * 4], 4);
        return c;
    }
};

TEST(ImageTest, BmpAndTgaReadWholeAndShortFilesAreRefused) {
    struct Case {
        const char* name;
        std::vector<BYTE> bytes;
        bool ok;
    };
    const Case cases[] = {
        {"tga", MakeTga(4, 3, false), true},
        {"run-length tga", MakeTga(4, 3, true), true},
        {"bmp", MakeBmp(5, 3), true},
        {"top-down bmp", MakeBmp(5, 3, 0, true), true},
        {"tga a row short", MakeTga(4, 3, false, 16), false},
        {"bmp a row short", MakeBmp(5, 3, 16), false},
        {"top-down bmp a row short", MakeBmp(5, 3, 16, true), false},
        // Twenty bytes claiming 14906 x 4932 run-length pixels.
        {"tga header alone", {0x00, 0x00, 0x0a, 0x02, 0xc9, 0x0a, 0x3a, 0x3a, 0x3a, 0x3a,
                              0x3a, 0x3a, 0x3a, 0x3a, 0x44, 0x13, 0x20, 0xc9, 0x0a, 0x43}, false},
        // Seventeen bytes: not even the whole header, yet 14906 x 2618 pixels.
        {"tga header cut", {0x00, 0x00, 0x0a, 0x02, 0xc9, 0x0a, 0x32, 0x3a, 0x3a, 0x3a,
                            0x44, 0x0a, 0x3a, 0x3a, 0x3a, 0x20, 0x20}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Platform::Image img;
        std::string err;
        EXPECT_EQ(Platform::ReadImage(c.bytes.data(), c.bytes.size(), img, err), c.ok) << err;
        if (c.ok) {
            ASSERT_EQ(img.levels.size(), 1u);
            EXPECT_EQ(img.levels[0].bytes.size(), size_t(img.info.Width) * img.info.Height * 4);
            EXPECT_EQ(img.levels[0].bytes[3], 0xFF);
            if (c.bytes[0] == 'B') {
                // Both row orders give the same picture, top row first.
                const ImageLevelView v{img.levels[0]};
                EXPECT_EQ(v.At(0, 0), 0xFF400000u);
                EXPECT_EQ(v.At(4, 0), 0xFF400004u);
                EXPECT_EQ(v.At(1, 2), 0xFF400201u);
            }
        } else {
            EXPECT_FALSE(err.empty());
            EXPECT_TRUE(img.levels.empty());
        }
    }
}

// ---------------------------------------------------------------------------
// ".x" text.
const char* kHeader = "xof 0303txt 0032\n";

TEST(XFileTest, ReadsValuesInFileOrderAndSplitsPolygons) {
    std::string text = std::string(kHeader) +
                       "template Foo { <3D82AB43-62DA-11cf-AB39-0020AF71E433> DWORD x; }\n"
                       "Material Shared { 0.1;0.2;0.3;1.0;; 5.0; 0;0;0;; 0;0;0;; TextureFilename { \"a.bmp\"; } }\n"
                       "Frame Root { FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 7,8,9,1;; }\n"
                       " Mesh Quad { 4; 1;2;3;, 4;5;6;, 7;8;9;, 10;11;12;;\n"
                       "  2; 4;0,1,2,3;, 3;0,2,3;;\n"
                       "  MeshMaterialList { 2; 2; 1, 0;; {Shared} Material { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; } }\n"
                       " }\n}\n";
    XFile::Scene s;
    std::string err;
    ASSERT_TRUE(XFile::Parse(text.data(), text.size(), s, err)) << err;
    ASSERT_EQ(s.frames.size(), 1u);
    EXPECT_FLOAT_EQ(s.frames[0].transform._41, 7);
    EXPECT_FLOAT_EQ(s.frames[0].transform._43, 9);
    const XFile::Mesh& m = s.frames[0].meshes.at(0);
    EXPECT_FLOAT_EQ(m.positions[1].x, 4);
    EXPECT_FLOAT_EQ(m.positions[1].y, 5);
    EXPECT_FLOAT_EQ(m.positions[1].z, 6);
    ASSERT_EQ(m.triangles.size(), 3u); // a quad as a fan, then a triangle
    EXPECT_EQ(m.triangles[1][1], 2u);
    EXPECT_EQ(m.triangles[1][2], 3u);
    ASSERT_EQ(m.attributes.size(), 3u);
    EXPECT_EQ(m.attributes[0], 1u);
    EXPECT_EQ(m.attributes[1], 1u);
    EXPECT_EQ(m.attributes[2], 0u);
    ASSERT_EQ(m.materials.size(), 2u);
    EXPECT_FLOAT_EQ(m.materials[0].diffuse.g, 0.2f); // the reference comes first, as in the file
    EXPECT_EQ(m.materials[0].textureFile, "a.bmp");
    EXPECT_EQ(m.materials[1].textureFile, "");
}

TEST(XFileTest, BadFilesGiveAReason) {
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"binary garbage", "xof 0303bin 0032xxxx"},
        {"no header", "Frame A {}"},
        {"truncated", std::string(kHeader) + "Frame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;;"},
        {"count above data", std::string(kHeader) + "Frame A { Mesh { 99; 0;0;0;, 1;0;0;; 1; 3;0,1,2;; } }"},
        {"index out of range", std::string(kHeader) + "Frame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,9;; } }"},
        {"normals differ", std::string(kHeader) +
                               "Frame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
                               " MeshNormals { 1; 0;0;1;; 2; 3;0,0,0;, 3;0,0,0;; } } }"},
        {"unknown material", std::string(kHeader) +
                                 "Frame A { Mesh { 3; 0;0;0;, 1;0;0;, 0;1;0;; 1; 3;0,1,2;;"
                                 " MeshMaterialList { 1; 1; 0;; {Nope} } } }"},
        {"deep nesting", std::string(kHeader) + std::string(200, 'F') + ""},
        {"nothing", std::string(kHeader)},
        {"bad key type", std::string(kHeader) + "Frame A {} AnimationSet S { Animation { {A} AnimationKey { 9; 1; 0;1;0;; } } }"},
    };
    std::string nest = std::string(kHeader);
    for (int i = 0; i < 100; ++i)
        nest += "Frame { ";
    cases[7].text = nest;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XFile::Scene s;
        std::string err;
        EXPECT_FALSE(XFile::Parse(c.text.data(), c.text.size(), s, err));
        EXPECT_FALSE(err.empty());
        EXPECT_TRUE(s.frames.empty());
    }
}

// ---------------------------------------------------------------------------
// Hierarchy loading with a counting allocator.
class CountingAllocator : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(LPCSTR name, D3DXFRAME** f) override {
        ++frames;
        names.push_back(name ? name : "");
        *f = new D3DXFRAME{};
        if (name) {
            (*f)->Name = new char[std::strlen(name) + 1];
            std::strcpy((*f)->Name, name);
        }
        D3DXMatrixIdentity(&(*f)->TransformationMatrix);
        return S_OK;
    }
    HRESULT CreateMeshContainer(LPCSTR, const D3DXMESHDATA* data, const D3DXMATERIAL*, const D3DXEFFECTINSTANCE*,
                                DWORD materials, const DWORD* adjacency, ID3DXSkinInfo* skin,
                                D3DXMESHCONTAINER** c) override {
        ++containers;
        if (refuseContainers)
            return E_FAIL;
        *c = new D3DXMESHCONTAINER{};
        (*c)->MeshData = *data;
        data->pMesh->AddRef();
        (*c)->NumMaterials = materials;
        lastSkin = skin != nullptr;
        lastAdjacency = adjacency != nullptr;
        return S_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* f) override {
        ++destroyedFrames;
        delete[] f->Name;
        delete f;
        return S_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* c) override {
        ++destroyedContainers;
        SafeReleaseCom(c->MeshData.pMesh);
        delete c;
        return S_OK;
    }
    int frames = 0, containers = 0, destroyedFrames = 0, destroyedContainers = 0;
    bool refuseContainers = false, lastSkin = false, lastAdjacency = false;
    std::vector<std::string> names;
};

// Three bones along y; vertex i sits at height i and follows bone i.
std::string SkinnedFile() {
    std::string t = std::string(kHeader) + "AnimTicksPerSecond { 100; }\n"
                    "Frame Root { Frame B0 { Frame B1 { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,1,0,1;; }"
                    " Frame B2 { FrameTransformMatrix { 1,0,0,0,0,1,0,0,0,0,1,0,0,1,0,1;; } } } }\n"
                    " Frame Skin { Mesh M { 6; 0;0;0;, 1;0;0;, 0;1;0;, 1;1;0;, 0;2;0;, 1;2;0;;"
                    " 4; 3;0,2,1;, 3;1,2,3;, 3;2,4,3;, 3;3,4,5;;\n"
                    " XSkinMeshHeader { 1; 3; 3; }\n"
                    " SkinWeights { \"B0\"; 2; 0,1; 1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1;; }\n"
                    " SkinWeights { \"B1\"; 2; 2,3; 1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,-1,0,1;; }\n"
                    " SkinWeights { \"B2\"; 2; 4,5; 1.0,1.0; 1,0,0,0,0,1,0,0,0,0,1,0,0,-2,0,1;; }\n"
                    " } }\n}\n"
                    "AnimationSet Turn { Animation { {B1}\n"
                    "  AnimationKey { 2; 2; 0;3;0,1,0;;, 100;3;2,1,0;;; }\n"
                    "  AnimationKey { 1; 2; 0;3;1,1,1;;, 100;3;3,3,3;;; } } }\n";
    return t;
}

TEST(HierarchyTest, AllocatorIsCalledPerFrameAndContainer) {
    std::string t = SkinnedFile();
    CountingAllocator alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* ctrl = nullptr;
    ASSERT_EQ(D3DXLoadMeshHierarchyFromXInMemory(t.data(), static_cast<DWORD>(t.size()), D3DXMESH_MANAGED, nullptr,
                                                 &alloc, nullptr, &root, &ctrl),
              D3D_OK)
        << D3DXGetLastMeshError();
    EXPECT_EQ(alloc.frames, 5); // Root, B0, B1, B2, Skin: parents first
    EXPECT_EQ(alloc.names.front(), "Root");
    EXPECT_EQ(alloc.containers, 1);
    EXPECT_TRUE(alloc.lastSkin);
    EXPECT_TRUE(alloc.lastAdjacency);
    ASSERT_NE(ctrl, nullptr);
    EXPECT_EQ(ctrl->GetMaxNumAnimationSets(), 1u);
    EXPECT_DOUBLE_EQ(ctrl->GetSetPeriod(0), 1.0);

    // Half-way: position and scale interpolate linearly into B1's matrix.
    D3DXFRAME* b1 = D3DXFrameFind(root, "B1");
    ASSERT_NE(b1, nullptr);
    ctrl->AdvanceTime(0.5, nullptr);
    EXPECT_FLOAT_EQ(b1->TransformationMatrix._11, 2.0f);
    EXPECT_FLOAT_EQ(b1->TransformationMatrix._41, 1.0f);
    EXPECT_FLOAT_EQ(b1->TransformationMatrix._42, 1.0f);
    // Looping: 1.25 s is a quarter into the next period.
    ctrl->AdvanceTime(0.75, nullptr);
    EXPECT_FLOAT_EQ(b1->TransformationMatrix._41, 0.5f);
    // A clone drives the same frames from time 0.
    ID3DXAnimationController* clone = nullptr;
    ASSERT_EQ(ctrl->CloneAnimationController(ctrl->GetMaxNumAnimationOutputs(), 1, 2, 30, &clone), D3D_OK);
    clone->AdvanceTime(0.0, nullptr);
    EXPECT_FLOAT_EQ(b1->TransformationMatrix._41, 0.0f);
    clone->Release();
    ctrl->Release();
    D3DXFrameDestroy(root, &alloc);
    EXPECT_EQ(alloc.destroyedFrames, 5);
    EXPECT_EQ(alloc.destroyedContainers, 1);
}

TEST(HierarchyTest, RefusedContainerDestroysWhatWasBuilt) {
    std::string t = SkinnedFile();
    CountingAllocator alloc;
    alloc.refuseContainers = true;
    D3DXFRAME* root = nullptr;
    EXPECT_NE(D3DXLoadMeshHierarchyFromXInMemory(t.data(), static_cast<DWORD>(t.size()), 0, nullptr, &alloc,
                                                 nullptr, &root, nullptr),
              D3D_OK);
    EXPECT_EQ(root, nullptr);
    EXPECT_EQ(alloc.destroyedFrames, alloc.frames);
    EXPECT_NE(std::string(D3DXGetLastMeshError()), "");
}

TEST(SkinTest, PalettesSplitFacesAndKeepWeights) {
    std::string t = SkinnedFile();
    CountingAllocator alloc;
    D3DXFRAME* root = nullptr;
    ASSERT_EQ(D3DXLoadMeshHierarchyFromXInMemory(t.data(), static_cast<DWORD>(t.size()), 0, nullptr, &alloc, nullptr,
                                                 &root, nullptr),
              D3D_OK);
    D3DXFRAME* skinFrame = D3DXFrameFind(root, "Skin");
    ASSERT_NE(skinFrame, nullptr);
    ID3DXMesh* mesh = skinFrame->pMeshContainer->MeshData.pMesh;
    // Rebuild the skin the way the loader gave it and convert with palettes
    // of 2 and of 3 bones.
    ID3DXSkinInfo* skin = nullptr;
    ASSERT_EQ(D3DXCreateSkinInfo(mesh->GetNumVertices(), nullptr, 3, &skin), D3D_OK);
    DWORD v[3][2] = {{0, 1}, {2, 3}, {4, 5}};
    float w[2] = {1, 1};
    for (DWORD b = 0; b < 3; ++b)
        skin->SetBoneInfluence(b, 2, v[b], w);
    struct Case {
        DWORD palette, combos, vertices;
    } cases[] = {{2, 2, 8}, {3, 1, 6}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.palette);
        DWORD infl = 0, combos = 0;
        ID3DXBuffer* table = nullptr;
        ID3DXMesh* out = nullptr;
        ASSERT_EQ(skin->ConvertToIndexedBlendedMesh(mesh, D3DXMESH_MANAGED, c.palette, nullptr, nullptr, nullptr,
                                                    nullptr, &infl, &combos, &table, &out),
                  D3D_OK);
        EXPECT_EQ(infl, 1u);
        EXPECT_EQ(combos, c.combos);
        // Vertices shared by two combinations are duplicated.
        EXPECT_EQ(out->GetNumVertices(), c.vertices);
        EXPECT_EQ(out->GetFVF() & D3DFVF_POSITION_MASK, static_cast<DWORD>(D3DFVF_XYZB1));
        auto* bc = static_cast<D3DXBONECOMBINATION*>(table->GetBufferPointer());
        DWORD faces = 0;
        for (DWORD i = 0; i < combos; ++i) {
            faces += bc[i].FaceCount;
            for (DWORD s = 0; s < c.palette; ++s)
                EXPECT_TRUE(bc[i].BoneId[s] < 3 || bc[i].BoneId[s] == 0xFFFFFFFFu);
        }
        EXPECT_EQ(faces, 4u);
        // Every vertex's palette index names a bone that influences it.
        for (DWORD i = 0; i < combos; ++i)
            for (DWORD f = bc[i].FaceStart; f < bc[i].FaceStart + bc[i].FaceCount; ++f)
                for (int k = 0; k < 3; ++k) {
                    DWORD vi = out->Index(size_t(f) * 3 + k);
                    BYTE slot = out->Vertex(vi)[12];
                    D3DXVECTOR3 p;
                    std::memcpy(&p, out->Vertex(vi), 12);
                    EXPECT_EQ(bc[i].BoneId[slot], static_cast<DWORD>(p.y + 0.5f));
                }
        SafeReleaseCom(table);
        SafeReleaseCom(out);
    }
    // A palette smaller than a face's bones cannot hold it.
    DWORD infl = 0, combos = 0;
    ID3DXBuffer* table = nullptr;
    ID3DXMesh* out = nullptr;
    EXPECT_EQ(skin->ConvertToIndexedBlendedMesh(mesh, 0, 1, nullptr, nullptr, nullptr, nullptr, &infl, &combos,
                                                &table, &out),
              D3DXERR_TOOMANYINFLUENCES);
    skin->Release();
    D3DXFrameDestroy(root, &alloc);
}

TEST(MeshTest, NormalsTangentFrameAndIntersect) {
    // A unit quad in the x-y plane facing -z, without normals.
    ID3DXMesh* m = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(2, 4, 0, D3DFVF_XYZ | D3DFVF_TEX1, nullptr, &m), D3D_OK);
    float verts[4][5] = {{0, 0, 0, 0, 1}, {1, 0, 0, 1, 1}, {0, 1, 0, 0, 0}, {1, 1, 0, 1, 0}};
    for (DWORD i = 0; i < 4; ++i)
        std::memcpy(m->Vertex(i), verts[i], 20);
    DWORD idx[6] = {0, 2, 1, 1, 2, 3};
    for (int i = 0; i < 6; ++i)
        m->SetIndex(i, idx[i]);
    const D3DVERTEXELEMENT9 decl[] = {
        {0, 0, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_POSITION, 0}, {0, 12, D3DDECLTYPE_FLOAT2, 0, D3DDECLUSAGE_TEXCOORD, 0},
        {0, 20, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_NORMAL, 0},  {0, 32, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_TANGENT, 0},
        {0, 44, D3DDECLTYPE_FLOAT3, 0, D3DDECLUSAGE_BINORMAL, 0}, D3DDECL_END()};
    ID3DXMesh* c = nullptr;
    ASSERT_EQ(m->CloneMesh(D3DXMESH_MANAGED, decl, nullptr, &c), D3D_OK);
    EXPECT_EQ(c->GetNumBytesPerVertex(), 56u);
    ASSERT_EQ(D3DXComputeNormals(c, nullptr), D3D_OK);
    ASSERT_EQ(D3DXComputeTangentFrameEx(c, D3DDECLUSAGE_TEXCOORD, 0, D3DDECLUSAGE_TANGENT, 0, D3DDECLUSAGE_BINORMAL, 0,
                                        D3DDECLUSAGE_NORMAL, 0, 0, nullptr, -1.01f, -0.01f, -1.01f, nullptr, nullptr),
              D3D_OK);
    for (DWORD i = 0; i < 4; ++i) {
        D3DXVECTOR3 n, t, b;
        std::memcpy(&n, c->Vertex(i) + 20, 12);
        std::memcpy(&t, c->Vertex(i) + 32, 12);
        std::memcpy(&b, c->Vertex(i) + 44, 12);
        EXPECT_NEAR(n.z, -1.0f, 1e-5f); // clockwise front faces seen from -z
        EXPECT_NEAR(D3DXVec3Length(&t), 1.0f, 1e-5f);
        EXPECT_NEAR(D3DXVec3Dot(&t, &n), 0.0f, 1e-5f);
        EXPECT_NEAR(D3DXVec3Dot(&b, &t), 0.0f, 1e-5f);
        EXPECT_NEAR(t.x, 1.0f, 1e-5f); // u grows with x
    }
    BOOL hit = FALSE;
    float dist = 0;
    D3DXVECTOR3 from(0.25f, 0.25f, -3), dir(0, 0, 1);
    ASSERT_EQ(D3DXIntersect(c, &from, &dir, &hit, nullptr, nullptr, nullptr, &dist, nullptr, nullptr), D3D_OK);
    EXPECT_TRUE(hit);
    EXPECT_FLOAT_EQ(dist, 3.0f);
    D3DXVECTOR3 away(0, 0, -1);
    D3DXIntersect(c, &from, &away, &hit, nullptr, nullptr, nullptr, &dist, nullptr, nullptr);
    EXPECT_FALSE(hit);
    c->Release();
    m->Release();
}

TEST(MeshTest, OptimizeSortsByAttributeAndCompacts) {
    ID3DXMesh* m = nullptr;
    ASSERT_EQ(D3DXCreateMeshFVF(3, 7, 0, D3DFVF_XYZ, nullptr, &m), D3D_OK);
    for (DWORD i = 0; i < 7; ++i) {
        float p[3] = {static_cast<float>(i), 0, 0};
        std::memcpy(m->Vertex(i), p, 12);
    }
    DWORD idx[9] = {0, 1, 2, 3, 4, 5, 0, 2, 5}; // vertex 6 unused
    for (int i = 0; i < 9; ++i)
        m->SetIndex(i, idx[i]);
    DWORD* attr = nullptr;
    m->LockAttributeBuffer(0, &attr);
    attr[0] = 1;
    attr[1] = 0;
    attr[2] = 1;
    m->UnlockAttributeBuffer();
    DWORD remap[3];
    ASSERT_EQ(m->OptimizeInplace(D3DXMESHOPT_COMPACT | D3DXMESHOPT_ATTRSORT | D3DXMESHOPT_VERTEXCACHE, nullptr,
                                 nullptr, remap, nullptr),
              D3D_OK);
    EXPECT_EQ(m->GetNumVertices(), 6u);
    EXPECT_EQ(remap[0], 1u);
    EXPECT_EQ(remap[1], 0u);
    EXPECT_EQ(remap[2], 2u);
    DWORD n = 0;
    m->GetAttributeTable(nullptr, &n);
    ASSERT_EQ(n, 2u);
    D3DXATTRIBUTERANGE t[2];
    m->GetAttributeTable(t, &n);
    EXPECT_EQ(t[0].AttribId, 0u);
    EXPECT_EQ(t[0].FaceCount, 1u);
    EXPECT_EQ(t[1].AttribId, 1u);
    EXPECT_EQ(t[1].FaceStart, 1u);
    EXPECT_EQ(t[1].FaceCount, 2u);
    m->Release();
}

} // namespace
