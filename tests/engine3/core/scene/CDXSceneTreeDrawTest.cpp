// The octree's debug lines drawn on a real device: seen from above, the
// boundaries of the leaf boxes show in the line colour and the cells between
// them stay clear.
#include "engine3/core/scene/CDXSceneTree.h"

#include <gtest/gtest.h>

#include "common/OffscreenDevice.h"

using namespace Vorna3D;

namespace {

TEST(SceneTreeDrawTest, LeafBoxesAreDrawnAsLines) {
    VornaTest::OffscreenDevice gfx;
    if (!gfx.Create(128, 128)) GTEST_SKIP() << "no GL context";
    IDirect3DDevice9* device = gfx.m_pDevice;

    // Four leaves of 10 x 10 over a 20 x 20 area.
    CDXSceneTree tree;
    const D3DXVECTOR3 lo(-10, -1, -10), hi(10, 1, 10);
    ASSERT_TRUE(tree.CreateEmptySceneTree("Lines", 10.0f, &lo, &hi, true, device));
    ASSERT_EQ(tree.m_dwLeafCount, 4u);

    // Straight down on the area, which fills the middle of the picture.
    D3DXMATRIX view, proj;
    const D3DXVECTOR3 eye(0, 30, 0), at(0, 0, 0), up(0, 0, 1);
    D3DXMatrixLookAtLH(&view, &eye, &at, &up);
    D3DXMatrixPerspectiveFovLH(&proj, D3DX_PI / 3, 1.0f, 1.0f, 100.0f);
    device->SetTransform(D3DTS_VIEW, &view);
    device->SetTransform(D3DTS_PROJECTION, &proj);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000u, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    tree.Render(device);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const std::vector<DWORD> px = gfx.Pixels();

    // The line x = 0 (between the leaves) crosses the picture's middle
    // column; the middle of a leaf (x = 5, z = 5) stays black.
    int lit = 0;
    for (UINT y = 40; y < 88; ++y) {
        for (UINT x = 62; x <= 65; ++x) {
            if ((gfx.At(px, x, y) & 0x00FFFFFFu) == (tree.m_dwLineColor & 0x00FFFFFFu)) {
                ++lit;
                break;
            }
        }
    }
    EXPECT_GT(lit, 40) << "the leaf boundary down the middle is drawn";
    int stray = 0;
    for (UINT y = 34; y < 46; ++y)
        for (UINT x = 34; x < 46; ++x)
            if ((gfx.At(px, x, y) & 0x00FFFFFFu) != 0) ++stray;
    EXPECT_EQ(stray, 0) << "inside a leaf nothing is drawn";
    tree.Release();
}

} // namespace
