#include "engine2/world/water/CDX9KelSkyWall.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "platform/os/Paths.h"

#include <cstring>
#include <string>

namespace Vorna2 {

static_assert(sizeof(CDX9KelSkyWall::Vertex) == 24);

namespace {
constexpr D3DCOLOR kWhite = 0xFFFFFFFFu;
}

const CDX9KelSkyWall::Vertex CDX9KelSkyWall::kVertices[kVertexCount] = {
    {-1500, 300, -1500, kWhite, 0.0f, 0}, {-1000, -30, -1000, kWhite, 0.0f, 1},
    {0, 300, -2000, kWhite, 0.125f, 0},   {0, -50, -1500, kWhite, 0.125f, 1},
    {1500, 300, -1500, kWhite, 0.25f, 0}, {1000, -30, -1000, kWhite, 0.25f, 1},
    {2000, 300, 0, kWhite, 0.375f, 0},    {1500, -30, 0, kWhite, 0.375f, 1},
    {1500, 300, 1500, kWhite, 0.5f, 0},   {1000, -30, 1000, kWhite, 0.5f, 1},
    {0, 300, 2000, kWhite, 0.625f, 0},    {0, -50, 1500, kWhite, 0.625f, 1},
    {-1500, 300, 1500, kWhite, 0.75f, 0}, {-1000, -30, 1000, kWhite, 0.75f, 1},
    {-2000, 300, 0, kWhite, 0.875f, 0},   {-1500, -30, 0, kWhite, 0.875f, 1},
    {-1500, 300, -1500, kWhite, 1.0f, 0}, {-1000, -30, -1000, kWhite, 1.0f, 1}};

const WORD CDX9KelSkyWall::kIndices[kIndexCount] = {0,  1,  2,  2,  1,  3,  3,  5,  2,  2,  5,  4,
                                                    4,  5,  6,  6,  5,  7,  7,  9,  6,  6,  9,  8,
                                                    8,  9,  10, 10, 9,  11, 11, 13, 10, 10, 13, 12,
                                                    12, 13, 14, 14, 13, 15, 15, 17, 14, 14, 17, 16};

CDX9KelSkyWall::CDX9KelSkyWall() {
    SetName("sky");
    D3DXMatrixIdentity(&m_mWorld);
}

CDX9KelSkyWall::~CDX9KelSkyWall() { Release(); }

bool CDX9KelSkyWall::Init(CDX9KelGraphicsResManager* resources, CDX9KelBaseCameraManager* cameras,
                          const char* folder, const char* textureFile, const void* reserved,
                          IDirect3DDevice9* device) {
    (void)reserved;
    if (!device || !resources || !cameras || !folder || !textureFile) return false;
    m_pCamera = cameras;
    const std::string fullFolder = Platform::ProgramFolder() + folder;
    m_pTexture = resources->CreateTextureFromFile(device, textureFile, fullFolder.c_str(), true, 0, nullptr);
    if (!m_pTexture) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelSkyWall::Init() : pTexture == NULL\n");
        return false;
    }
    Release();
    if (FAILED(device->CreateVertexBuffer(sizeof kVertices, 0, kFVF, D3DPOOL_MANAGED, &m_pVB, nullptr)) ||
        FAILED(device->CreateIndexBuffer(sizeof kIndices, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &m_pIB, nullptr))) {
        Release();
        return false;
    }
    void* data = nullptr;
    bool copied = SUCCEEDED(m_pVB->Lock(0, sizeof kVertices, &data, 0)) && data;
    if (copied) {
        std::memcpy(data, kVertices, sizeof kVertices);
        m_pVB->Unlock();
        data = nullptr;
        copied = SUCCEEDED(m_pIB->Lock(0, sizeof kIndices, &data, 0)) && data;
        if (copied) {
            std::memcpy(data, kIndices, sizeof kIndices);
            m_pIB->Unlock();
        }
    }
    if (!copied) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDX9KelSkyWall::Init : memcpy_s \n");
        Release();
        return false;
    }
    m_uVertexCount = kVertexCount;
    m_uIndexCount = kIndexCount;
    return true;
}

void CDX9KelSkyWall::Process() {
    if (!m_pCamera || !m_pCamera->GetActiveCamera() || !m_pCamera->m_pCorners) return;
    const D3DXVECTOR3& eye = m_pCamera->GetActiveCamera()->m_vEye;
    m_mWorld._41 = eye.x;
    m_mWorld._42 = 0.0f;
    m_mWorld._43 = eye.z;
}

void CDX9KelSkyWall::Render(IDirect3DDevice9* device, CDX9KelEffect* effect, bool useTexture, UINT passCount) {
    (void)effect, (void)useTexture, (void)passCount;
    if (!device || !m_pVB || !m_pIB) return;
    device->SetTransform(D3DTS_WORLD, &m_mWorld);
    device->SetStreamSource(0, m_pVB, 0, sizeof(Vertex));
    device->SetIndices(m_pIB);
    device->SetFVF(kFVF);
    device->SetTexture(0, m_pTexture);
    DWORD fog = FALSE;
    device->GetRenderState(D3DRS_FOGENABLE, &fog);
    if (fog) device->SetRenderState(D3DRS_FOGENABLE, FALSE);
    device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, kVertexCount, 0, kIndexCount / 3);
    if (fog) device->SetRenderState(D3DRS_FOGENABLE, TRUE);
}

void CDX9KelSkyWall::Release() {
    SafeReleaseCom(m_pVB);
    SafeReleaseCom(m_pIB);
    m_uVertexCount = 0;
    m_uIndexCount = 0;
}

} // namespace Vorna2
