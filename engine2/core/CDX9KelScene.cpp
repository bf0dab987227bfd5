#include "engine2/core/CDX9KelScene.h"
#include "engine2/core/CDX9KelStageClock.h"

#include "engine2/core/CDX9KelApp.h"
#include "engine2/core/CDX9KelFPSCounter.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/CDXFont.h"
#include "engine2/core/render/CDX9KelBaseCameraManager.h"
#include "engine2/core/render/CDX9KelLightManager.h"
#include "engine2/core/render/CDX9KelRender.h"
#include "engine2/core/render/CDX9KelRenderSystem.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/CDXSceneTree.h"
#include "engine2/core/scene/Geometry.h"
#include "platform/window/CursorFile.h"

#include <new>
#include <string>

namespace Vorna2 {

namespace {
KelSceneManagerFactory g_ManagerFactories[KEL_SCENE_MANAGER_SLOTS] = {};
} // namespace

void CDX9KelScene::RegisterManager(EKelSceneManagerSlot slot, KelSceneManagerFactory factory) {
    if (slot >= 0 && slot < KEL_SCENE_MANAGER_SLOTS) g_ManagerFactories[slot] = factory;
}

CDX9KelScene::~CDX9KelScene() { Release(); }

bool CDX9KelScene::InitFPSCounter() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitFPSCounter(): ");
    g_FPSCounter.Init(100.0f);
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitScreenText() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitScreenText(): ");
    if (!m_pFont) {
        m_pFont = new (std::nothrow) CDXFont();
        if (!m_pFont) return false;
        if (FAILED(m_pFont->CreateText(GetD3DDevice()))) {
            delete m_pFont;
            m_pFont = nullptr;
            return false;
        }
        m_pTextHelper = new (std::nothrow) CDX9KelTextHelper(m_pFont->m_pFont, m_pFont->m_pSprite);
        if (!m_pTextHelper) return false;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitGrahicsResManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitGrahicsResManager(): ");
    if (!m_pGrahResManager) {
        m_pGrahResManager = new (std::nothrow) CDX9KelGraphicsResManager();
        if (!m_pGrahResManager) return false;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitBaseCameraManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitBaseCameraManager(): ");
    if (!m_pCameraManager) {
        m_pCameraManager = new (std::nothrow) CDX9KelBaseCameraManager();
        if (!m_pCameraManager) return false;
        m_pCameraManager->Init(GetRenderWidth(), GetRenderHeight(), GetWindowHandle());
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitSceneTree() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitSceneTree(): ");
    if (!m_pSceneTree) {
        m_pSceneTree = new (std::nothrow) CDXSceneTree();
        if (!m_pSceneTree) return false;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitLightManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitLightManager(): ");
    if (!m_pLightManager) {
        m_pLightManager = new (std::nothrow) CDX9KelLightManager();
        if (!m_pLightManager) return false;
        if (!m_pLightManager->AddDefaultLight()) {
            delete m_pLightManager;
            m_pLightManager = nullptr;
            return false;
        }
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitRenderSystem() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitRenderSystem(): ");
    if (!m_pRenderSystem) {
        m_pRenderSystem = new (std::nothrow) CDX9KelRenderSystem();
        if (!m_pRenderSystem) return false;
        if (m_pSceneTree) m_pRenderSystem->m_pSceneTree = m_pSceneTree;
        if (m_pGrahResManager) m_pRenderSystem->m_pResManager = m_pGrahResManager;
        if (m_pCameraManager) m_pRenderSystem->m_pCameraManager = m_pCameraManager;
        if (m_pLightManager) m_pRenderSystem->m_pLightManager = m_pLightManager;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitGUIManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitGUIManager(): ");
    IDX9KelSceneManager*& slot = m_pManagers[KEL_SCENE_GUI_MANAGER];
    if (!slot) {
        if (!g_ManagerFactories[KEL_SCENE_GUI_MANAGER]) {
            g_Log.Write(LOG_CONTINUE, "not installed\n");
            return true;
        }
        slot = g_ManagerFactories[KEL_SCENE_GUI_MANAGER]();
        if (!slot || !slot->Init(this)) return false;
        if (m_pRenderSystem) m_pRenderSystem->m_pGUIManager = slot;
    }
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitPhysicalManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitPhysicalManager(): ");
    IDX9KelSceneManager*& slot = m_pManagers[KEL_SCENE_PHYSICAL_MANAGER];
    if (slot) return false;
    if (!g_ManagerFactories[KEL_SCENE_PHYSICAL_MANAGER]) {
        g_Log.Write(LOG_CONTINUE, "not installed\n");
        return true;
    }
    slot = g_ManagerFactories[KEL_SCENE_PHYSICAL_MANAGER]();
    if (!slot || !slot->Init(this)) return false;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitParticleSysManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitParticleSysManager(): ");
    IDX9KelSceneManager*& slot = m_pManagers[KEL_SCENE_PARTICLES_MANAGER];
    if (slot || !m_pGrahResManager) return false;
    if (!g_ManagerFactories[KEL_SCENE_PARTICLES_MANAGER]) {
        g_Log.Write(LOG_CONTINUE, "not installed\n");
        return true;
    }
    slot = g_ManagerFactories[KEL_SCENE_PARTICLES_MANAGER]();
    if (!slot || !slot->Init(this)) return false;
    if (m_pRenderSystem) m_pRenderSystem->m_pParticleSysManager = slot;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitScreenManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitScreenManager(): ");
    IDX9KelSceneManager*& slot = m_pManagers[KEL_SCENE_SCREEN_MANAGER];
    if (slot) return false;
    if (!g_ManagerFactories[KEL_SCENE_SCREEN_MANAGER]) {
        g_Log.Write(LOG_CONTINUE, "not installed\n");
        return true;
    }
    slot = g_ManagerFactories[KEL_SCENE_SCREEN_MANAGER]();
    if (!slot || !m_pManagers[KEL_SCENE_GUI_MANAGER] || !m_pRender || !slot->Init(this)) return false;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::InitSoundManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitSoundManager(): ");
    if (!m_pCameraManager) return false;
    IDX9KelSceneManager*& slot = m_pManagers[KEL_SCENE_SOUND_MANAGER];
    if (!slot) {
        if (!g_ManagerFactories[KEL_SCENE_SOUND_MANAGER]) {
            g_Log.Write(LOG_CONTINUE, "not installed\n");
            return true;
        }
        slot = g_ManagerFactories[KEL_SCENE_SOUND_MANAGER]();
        if (!slot) return false;
    }
    // The slot stays filled without a device: the sound manager then keeps
    // silent, and the shutdown still runs.
    if (!slot->Init(this)) return false;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::Init() {
    if (!m_pRender) return false;
    if (!InitFPSCounter() || !InitScreenText() || !InitGrahicsResManager() || !InitBaseCameraManager() ||
        !InitSceneTree() || !InitLightManager() || !InitRenderSystem() || !InitGUIManager() ||
        !InitPhysicalManager() || !InitParticleSysManager() || !InitScreenManager())
        return false;
    InitSoundManager();
    if (m_pApp && m_pApp->m_hWnd) {
        ShowWindow(m_pApp->m_hWnd, SW_SHOWDEFAULT);
        UpdateWindow(m_pApp->m_hWnd);
    }
    return true;
}

void CDX9KelScene::Process() {
    const float frameTime = g_FPSCounter.GetFrameTime();
    IDX9KelSceneManager* gui = m_pManagers[KEL_SCENE_GUI_MANAGER];
    if (m_bGUIInput && gui) gui->Process(frameTime);
    if (m_pCameraManager && !(gui && gui->HoldsCursor()) && m_pCameraManager->GetActiveCamera())
        m_pCameraManager->GetActiveCamera()->Control();
    if (m_pCameraManager) {
        m_pCameraManager->Update();
        if (m_pSceneTree && m_pCameraManager->GetActiveCamera())
            m_pSceneTree->UpdateVisibility(m_pCameraManager->m_Planes, m_pCameraManager->GetActiveCamera()->m_vEye);
    }
    if (m_pRenderSystem) m_pRenderSystem->Update();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_SCREEN_MANAGER]) m->Process(frameTime);
    if (m_pGrahResManager) m_pGrahResManager->ProcessGrapRes();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PHYSICAL_MANAGER]) m->Process(frameTime);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PARTICLES_MANAGER]) m->Process(frameTime);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_SOUND_MANAGER]) m->Process(frameTime);
}

bool CDX9KelScene::RenderFrame() {
    SetCurrentCursor(m_iCurrentCursor);
    g_FPSCounter.Update();
    if (!m_pRender) return false;
    g_StageClock.Start();
    m_pRender->BeginRender(m_ClearColor);
    IDirect3DDevice9* device = GetD3DDevice();
    if (m_pCameraManager && m_pCameraManager->GetActiveCamera() && device) {
        m_pCameraManager->m_bCameraSwitched = false;
        m_pCameraManager->GetActiveCamera()->SetTransforms(device);
    }
    // The GUI is drawn before the 3D objects.
    if (m_bDrawGUI && m_pRenderSystem) m_pRenderSystem->RenderGUI(device);
    g_StageClock.Lap(KEL_STAGE_GUI);
    RenderBackground();
    if (m_bShowStatistics && m_pFont && m_pFont->m_pSprite && m_pTextHelper) {
        m_pFont->m_pSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
        DrawStatistics();
        m_pFont->m_pSprite->End();
    }
    if (m_bDrawSceneTreeDebug && m_pSceneTree) m_pSceneTree->RenderLeafBoxes(device);
    const float frameTime = g_FPSCounter.GetFrameTime();
    if (m_pRenderSystem) m_pRenderSystem->RenderGraphicObjects(device, frameTime);
    g_StageClock.Lap(KEL_STAGE_OBJECTS);
    if (m_bDrawSceneTree && m_pRenderSystem) m_pRenderSystem->RenderSceneTree(device, frameTime);
    g_StageClock.Lap(KEL_STAGE_SCENE_TREE);
    RenderOverlay();
    if (m_pRenderSystem) m_pRenderSystem->RenderParticleSystems(device);
    if (m_pLightManager) m_pLightManager->ClearChangedFlags();
    g_StageClock.Lap(KEL_STAGE_PARTICLES);
    m_pRender->EndRender();
    g_StageClock.Lap(KEL_STAGE_PRESENT);
    return true;
}

void CDX9KelScene::DrawStatistics() {
    if (!m_bShowStatistics || !m_pFont || !m_pTextHelper) return;
    m_pTextHelper->SetInsertionPos(5, 5);
    m_pTextHelper->SetForegroundColor(250.0f / 255.0f, 250.0f / 255.0f, 0.0f, 1.0f);
    m_pTextHelper->DrawTextLine("VORNA 2 ENGINE 3D");
    m_pTextHelper->Print("FPS: %.0f\n", static_cast<double>(g_FPSCounter.GetFPS()));
    m_pTextHelper->Print("All Scene Faces: %d\n", static_cast<int>(m_dwFaces));
    if (m_pSceneTree && m_pSceneTree->IsMade()) {
        m_pTextHelper->DrawTextLine("");
        m_pTextHelper->Print("All Scene Tree Leafs: %i\n", static_cast<int>(m_pSceneTree->GetLeafCount()));
        m_pTextHelper->Print("Visible Scene Tree Leafs: %i\n", static_cast<int>(m_pSceneTree->GetVisibleLeafCount()));
    }
}

bool CDX9KelScene::OnLost() {
    g_Log.Write(LOG_INFO, "%s", "CDX9KelScene::OnLost() : ");
    if (m_pFont) m_pFont->OnLost();
    if (m_pGrahResManager) m_pGrahResManager->OnLost();
    for (IDX9KelSceneManager* m : m_pManagers)
        if (m) m->OnLost();
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

bool CDX9KelScene::Restore() {
    g_Log.Write(LOG_INFO, "%s", "CDX9KelScene::Restore() : ");
    if (m_pFont) m_pFont->Restore();
    if (m_pGrahResManager) m_pGrahResManager->Restore();
    if (m_pCameraManager) m_pCameraManager->SetProjection(GetRenderWidth(), GetRenderHeight());
    for (IDX9KelSceneManager* m : m_pManagers)
        if (m) m->Restore(GetD3DDevice());
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

void CDX9KelScene::Release() {
    if (m_pFont) {
        m_pFont->Release();
        delete m_pFont;
        m_pFont = nullptr;
    }
    delete m_pTextHelper;
    m_pTextHelper = nullptr;
    if (m_pCameraManager) {
        m_pCameraManager->ReleaseCameras();
        delete m_pCameraManager;
        m_pCameraManager = nullptr;
    }
    if (m_pSceneTree) {
        m_pSceneTree->ClearObjects();
        delete m_pSceneTree;
        m_pSceneTree = nullptr;
    }
    if (m_pLightManager) {
        m_pLightManager->Clear();
        delete m_pLightManager;
        m_pLightManager = nullptr;
    }
    if (m_pRenderSystem) {
        m_pRenderSystem->m_pGUIManager = nullptr;
        m_pRenderSystem->m_pParticleSysManager = nullptr;
    }
    for (EKelSceneManagerSlot s : {KEL_SCENE_GUI_MANAGER, KEL_SCENE_PHYSICAL_MANAGER, KEL_SCENE_PARTICLES_MANAGER,
                                   KEL_SCENE_SCREEN_MANAGER})
        ReleaseManager(s);
    if (m_pGrahResManager) {
        m_pGrahResManager->ReleaseAllTextures();
        m_pGrahResManager->DeleteAllModels();
        m_pGrahResManager->ReleaseAllEffects();
        m_pGrahResManager->ReleaseAllXFiles();
        m_pGrahResManager->DeleteAllGrapRes();
        delete m_pGrahResManager;
        m_pGrahResManager = nullptr;
    }
    delete m_pRenderSystem;
    m_pRenderSystem = nullptr;
    // The sound is shut down after everything that may still hold sounds.
    ReleaseManager(KEL_SCENE_SOUND_MANAGER);
    for (HCURSOR c : m_Cursors)
        if (c) DestroyCursor(c);
    m_Cursors.clear();
    m_iCurrentCursor = -1;
}

void CDX9KelScene::ReleaseManager(EKelSceneManagerSlot slot) {
    IDX9KelSceneManager*& m = m_pManagers[slot];
    if (!m) return;
    m->Release();
    delete m;
    m = nullptr;
}

HWND CDX9KelScene::GetWindowHandle() const { return m_pApp ? m_pApp->m_hWnd : nullptr; }
int CDX9KelScene::GetWindowWidth() const { return m_pApp ? m_pApp->m_iWidth : 0; }
int CDX9KelScene::GetWindowHeight() const { return m_pApp ? m_pApp->m_iHeight : 0; }
int CDX9KelScene::GetRenderWidth() const { return m_pRender ? m_pRender->GetWidth() : 0; }
int CDX9KelScene::GetRenderHeight() const { return m_pRender ? m_pRender->GetHeight() : 0; }
IDirect3DDevice9* CDX9KelScene::GetD3DDevice() const { return m_pRender ? m_pRender->GetDevice() : nullptr; }

int CDX9KelScene::AddCursorFromFile(const char* fileName) {
    if (!fileName) return -1;
    std::string path;
    if (!CDX9KelUtils::GetExeFolderPath(path, fileName)) return -1;
    HCURSOR cursor = LoadCursorFromFileA(path.c_str());
    if (!cursor) return -1;
    m_Cursors.push_back(cursor);
    return static_cast<int>(m_Cursors.size()) - 1;
}

bool CDX9KelScene::SetCurrentCursor(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_Cursors.size()) return false;
    if (index == m_iCurrentCursor) return true;
    SetCursor(m_Cursors[size_t(index)]);
    m_iCurrentCursor = index;
    return true;
}

bool CDX9KelScene::CreateSceneTree(const D3DXVECTOR3& boxMin, const D3DXVECTOR3& boxMax, float nodeSize,
                                   bool makeBuffers) {
    g_Log.Write(LOG_INFO, "CDX9KelScene::CreateSceneTree(): ");
    if (!m_pSceneTree || m_pSceneTree->IsMade()) return false;
    if (!m_pSceneTree->CreateEmptySceneTree(nodeSize, &boxMin, &boxMax, makeBuffers, GetD3DDevice())) return false;
    g_pSceneTree = m_pSceneTree;
    g_Log.Write(LOG_CONTINUE, "OK\n");
    return true;
}

void CDX9KelScene::DestroySceneTree() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::DestroySceneTree(): ");
    if (!m_pSceneTree) {
        g_Log.Write(LOG_ERROR, "%s", "m_pSceneTree == NULL\n");
        return;
    }
    if (!m_pGrahResManager) {
        g_Log.Write(LOG_ERROR, "%s", "m_pGrahResManager == NULL\n");
        return;
    }
    m_pGrahResManager->DeleteAttachedModels();
    m_pSceneTree->ClearObjects();
    delete m_pSceneTree;
    m_pSceneTree = new (std::nothrow) CDXSceneTree();
    if (!m_pSceneTree) {
        g_Log.Write(LOG_ERROR, "%s", "( m_pSceneTree = new CDXSceneTree ) == NULL\n");
        if (m_pRenderSystem) m_pRenderSystem->m_pSceneTree = nullptr;
        return;
    }
    if (m_pRenderSystem) m_pRenderSystem->m_pSceneTree = m_pSceneTree;
    for (IDX9KelSceneManager* m : m_pManagers)
        if (m) m->SetSceneTree(m_pSceneTree);
    g_pSceneTree = m_pSceneTree;
    g_Log.Write(LOG_CONTINUE, "OK\n");
}

CDX9KelModel* CDX9KelScene::LoadModel(const char* path, const char* effectName) {
    if (!m_pGrahResManager || !m_pSceneTree || !m_pRenderSystem || !path) return nullptr;
    std::string full, folder, name;
    if (!CDX9KelUtils::SplitExeFolderPath(path, &full, &folder, &name)) return nullptr;
    CDX9KelModel* model = m_pGrahResManager->CreateModel(GetD3DDevice(), folder.c_str(), name.c_str());
    if (!model) return nullptr;
    if (effectName && effectName[0]) m_pRenderSystem->LoadModelEffect(GetD3DDevice(), effectName, model);
    m_dwFaces += model->m_dwFaces;
    return model;
}

CDX9KelSceneObject* CDX9KelScene::CreateSceneObject(CDX9KelModel* model, float m11, float m12, float m13, float m14,
                                                    float m21, float m22, float m23, float m24, float m31, float m32,
                                                    float m33, float m34, float m41, float m42, float m43,
                                                    float m44) {
    if (!model || !m_pSceneTree) return nullptr;
    auto* object = new (std::nothrow) CDX9KelSceneObject();
    if (!object) return nullptr;
    object->m_mWorld = D3DXMATRIX(m11, m12, m13, m14, m21, m22, m23, m24, m31, m32, m33, m34, m41, m42, m43, m44);
    object->AddModel(model);
    if (!m_pSceneTree->AddSceneObject(object)) {
        delete object;
        return nullptr;
    }
    return object;
}

bool CDX9KelScene::DeleteSceneObject(CDX9KelSceneObject* object, bool releaseModels) {
    if (!object || !m_pSceneTree || !m_pSceneTree->RemoveSceneObject(object)) return false;
    for (IDX9KelSceneManager* m : m_pManagers)
        if (m) m->ForgetSceneObject(object);
    if (releaseModels) {
        object->ReleaseModels(m_pGrahResManager);
        for (IDX9KelSceneManager* m : m_pManagers)
            if (m) m->ReleaseObjectResources(object);
    }
    delete object;
    return true;
}

int CDX9KelScene::PickSceneObject(const std::vector<CDX9KelSceneObject*>& objects) {
    POINT p{0, 0};
    GetCursorPos(&p);
    POINT origin{0, 0};
    ScreenToClient(GetWindowHandle(), &origin);
    return PickSceneObjectAt(objects, p.x + origin.x, p.y + origin.y);
}

int CDX9KelScene::PickSceneObjectAt(const std::vector<CDX9KelSceneObject*>& objects, int clientX, int clientY) {
    if (objects.empty() || !m_pCameraManager || !m_pCameraManager->GetActiveCamera()) return -1;
    CDX9KelBaseCamera* camera = m_pCameraManager->GetActiveCamera();
    // The ray takes screen coordinates: the window's client origin on the
    // screen is the negated client position of the screen's origin.
    POINT origin{0, 0};
    ScreenToClient(GetWindowHandle(), &origin);
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DXVECTOR3 rayOrigin, rayDirection;
    if (!GetPickRay(GetRenderWidth(), GetRenderHeight(), &camera->m_mProjection, &camera->m_mView, &identity,
                    clientX - origin.x, clientY - origin.y, GetWindowHandle(), &rayOrigin, &rayDirection))
        return -1;
    int best = -1;
    float bestDistance = kPickDistance;
    for (size_t i = 0; i < objects.size(); ++i) {
        CDX9KelSceneObject* o = objects[i];
        if (!o || !o->m_bVisible || o->m_Models.empty() || !o->m_Models.back()) continue;
        CDX9KelModel* model = o->m_Models.back();
        model->m_mWorld = o->m_mWorld;
        float distance = 0.0f;
        if (model->Pick(rayOrigin, rayDirection, &distance) && distance < bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

} // namespace Vorna2
