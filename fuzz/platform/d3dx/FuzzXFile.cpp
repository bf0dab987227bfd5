// The ".x" reader (text, binary and compressed forms) and the hierarchy
// built from it on untrusted bytes.
#include <cstddef>
#include <cstdint>

#include "platform/d3dx/d3dx9.h"

namespace {
class Alloc : public ID3DXAllocateHierarchy {
public:
    HRESULT CreateFrame(LPCSTR, D3DXFRAME** f) override {
        *f = new D3DXFRAME{};
        return S_OK;
    }
    HRESULT CreateMeshContainer(LPCSTR, const D3DXMESHDATA* d, const D3DXMATERIAL*, const D3DXEFFECTINSTANCE*,
                                DWORD, const DWORD*, ID3DXSkinInfo* skin, D3DXMESHCONTAINER** c) override {
        *c = new D3DXMESHCONTAINER{};
        (*c)->MeshData = *d;
        d->pMesh->AddRef();
        if (skin) {
            // Exercise the palette conversion on whatever the file holds.
            DWORD infl = 0, combos = 0;
            ID3DXBuffer* table = nullptr;
            ID3DXMesh* out = nullptr;
            if (SUCCEEDED(skin->ConvertToIndexedBlendedMesh(d->pMesh, 0, 8, nullptr, nullptr, nullptr, nullptr,
                                                            &infl, &combos, &table, &out))) {
                table->Release();
                out->Release();
            }
        }
        return S_OK;
    }
    HRESULT DestroyFrame(D3DXFRAME* f) override {
        delete f;
        return S_OK;
    }
    HRESULT DestroyMeshContainer(D3DXMESHCONTAINER* c) override {
        c->MeshData.pMesh->Release();
        delete c;
        return S_OK;
    }
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Alloc alloc;
    D3DXFRAME* root = nullptr;
    ID3DXAnimationController* ctrl = nullptr;
    if (SUCCEEDED(D3DXLoadMeshHierarchyFromXInMemory(data, static_cast<DWORD>(size), 0, nullptr, &alloc, nullptr,
                                                     &root, &ctrl))) {
        if (ctrl) {
            ctrl->AdvanceTime(0.37, nullptr);
            ctrl->Release();
        }
        D3DXVECTOR3 c;
        float r;
        D3DXFrameCalculateBoundingSphere(root, &c, &r);
        D3DXFrameDestroy(root, &alloc);
    }
    return 0;
}
