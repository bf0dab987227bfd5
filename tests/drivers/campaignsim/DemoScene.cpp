#include "DemoScene.h"

#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelBaseGrapRes.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "platform/os/Paths.h"

#include <cmath>

namespace CampaignSim {

namespace {

// Where the ships stand: (x, z) and the heading (radians, 0 = bow to +z).
struct Placement {
    float x, z, heading;
};
const Placement kShips[] = {{-25.0f, 0.0f, 0.0f}, {0.0f, -10.0f, 1.5707964f}, {25.0f, 0.0f, 0.3f}, {0.0f, 170.0f, 0.0f}};

} // namespace

bool DemoScene::Init() {
    if (!CDX9KelScene::Init()) return false;
    m_bDrawSceneTreeDebug = m_debugTree;
    return BuildContent();
}

Vorna2::CDX9KelSceneObject* DemoScene::Place(Vorna2::CDX9KelModel* model, float x, float z, float heading) {
    if (!model) return nullptr;
    const float c = std::cos(heading), s = std::sin(heading);
    // Row vectors: right, up, forward (bow), position.
    return CreateSceneObject(model, c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, x, 0, z, 1);
}

Vorna2::CDX9KelModel* DemoScene::Load(const char* path, const char* effect) {
    const std::string model = m_ContentPrefix + path;
    const std::string fx = effect ? m_ContentPrefix + effect : std::string();
    return LoadModel(model.c_str(), effect ? fx.c_str() : nullptr);
}

bool DemoScene::BuildContent() {
    using namespace Vorna2;
    IDirect3DDevice9* device = GetD3DDevice();
    CDX9KelBaseCamera* camera = m_pCameraManager ? m_pCameraManager->GetActiveCamera() : nullptr;
    if (!device || !camera) return false;
    camera->m_vEye = D3DXVECTOR3(0.0f, 45.0f, -75.0f);
    camera->m_vLookAt = D3DXVECTOR3(0.0f, 0.0f, 20.0f);
    D3DXMatrixLookAtLH(&camera->m_mView, &camera->m_vEye, &camera->m_vLookAt, &camera->m_vUp);

    if (!CreateSceneTree(D3DXVECTOR3(-500.0f, -50.0f, -500.0f), D3DXVECTOR3(500.0f, 50.0f, 500.0f), 50.0f, true))
        return false;

    // The sea: a textured plane drawn with its effect.
    auto* plane = new CDX9KelPLANE();
    const std::string textures = Platform::ProgramFolder() + m_ContentPrefix + "Textures/";
    IDirect3DBaseTexture9* sea =
        m_pGrahResManager->CreateTextureFromFile(device, "c2sea_plane.png", textures.c_str(), true, 0, nullptr);
    if (!sea || !plane->Init(device, sea, 240.0f, 0xFFFFFFFFu)) {
        delete plane;
        return false;
    }
    plane->SetName("sea");
    plane->m_pEffect = m_pRenderSystem->LoadEffect(device, (m_ContentPrefix + "Effects\\c2plane.fx").c_str());
    m_pGrahResManager->AddGrapRes(plane);

    for (const Placement& p : kShips) {
        CDX9KelModel* lod0 = Load("Models\\Units\\c2ship_lod0.x", "Effects\\c2model.fx");
        CDX9KelModel* lod1 = Load("Models\\Units\\c2ship_lod1.x", "Effects\\c2model.fx");
        CDX9KelModel* lod2 = Load("Models\\Units\\c2ship_lod2.x", "Effects\\c2model.fx");
        CDX9KelSceneObject* ship = Place(lod0, p.x, p.z, p.heading);
        if (!ship || ship->AddModel(lod1) < 0 || ship->AddModel(lod2) < 0) return false;
        ship->SetLODDistances(80.0f, 160.0f);
    }
    if (!Place(Load("Models\\Statics\\c2island.x", "Effects\\c2model.fx"), -60.0f, 90.0f, 0.0f)) return false;
    // The buoy and the skinned flag are drawn by the fixed function.
    if (!Place(Load("Models\\Statics\\c2buoy.x", nullptr), 12.0f, -30.0f, 0.0f)) return false;
    if (!Place(Load("Models\\Units\\c2signal.x", nullptr), 20.0f, -22.0f, 0.0f)) return false;
    return true;
}

} // namespace CampaignSim
