#include "engine3/core/CDX9KelScene.h"

#include <algorithm>
#include <new>

#include "engine3/core/CDX9KelApp.h"
#include "engine3/core/CDX9KelInput.h"
#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDXFont.h"
#include "engine3/core/render/CDX9KelCameraManager.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/render/CDX9KelRender.h"
#include "engine3/core/render/CDX9KelRenderSystem.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"
#include "platform/window/CursorFile.h"

namespace Vorna3D {

namespace {

KelSceneManagerFactory g_ManagerFactories[KEL_SCENE_MANAGER_SLOTS] = {};

constexpr const char* kEngineIni = "engine.ini";

} // namespace

void CDX9KelScene::RegisterManager(EKelSceneManagerSlot slot, KelSceneManagerFactory factory) {
    if (slot >= 0 && slot < KEL_SCENE_MANAGER_SLOTS) g_ManagerFactories[slot] = factory;
}

CDX9KelScene::CDX9KelScene() { m_vPickList.reserve(kPickReserve); }

CDX9KelScene::~CDX9KelScene() { Release(); }

IDirect3DDevice9* CDX9KelScene::GetDevice() const { return m_pRender ? m_pRender->GetDevice() : nullptr; }

float CDX9KelScene::GetFrameStep() const { return g_FPSCounter.m_fFrameStep; }

HWND CDX9KelScene::GetHWND() const { return m_pApp ? m_pApp->m_hWnd : nullptr; }

int CDX9KelScene::GetWidth() const { return m_pApp ? m_pApp->m_iWidth : 0; }

int CDX9KelScene::GetHeight() const { return m_pApp ? m_pApp->m_iHeight : 0; }

// ---------------------------------------------------------------------------
// Start-up.

bool CDX9KelScene::InitFPSCounter() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitFPSCounter(): ");
    if (m_bFPSCounter) return true;
    Vorna3D::InitFPSCounter(m_fTimeBase);
    m_bFPSCounter = true;
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitScreenText() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitScreenText(): ");
    if (m_pFont) return true;
    m_pFont = new (std::nothrow) CDXFont();
    if (!m_pFont) return false;
    if (FAILED(m_pFont->CreateText(GetDevice()))) return false;
    m_pTextHelper = new (std::nothrow) CDX9KelTextHelper(m_pFont->m_pFont, m_pFont->m_pSprite);
    if (!m_pTextHelper) return false;
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitGrahicsResManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitGrahicsResManager(): ");
    if (m_pGraphicsResManager) return true;
    m_pGraphicsResManager = new (std::nothrow) CDX9KelGraphicsResManager();
    if (!m_pGraphicsResManager || !m_pGraphicsResManager->Init(GetDevice())) return false;
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitBaseCameraManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitBaseCameraManager(): ");
    if (m_pCameraManager) return true;
    m_pCameraManager = new (std::nothrow) CDX9KelCameraManager();
    if (!m_pCameraManager) return false;
    m_pCameraManager->m_bFullScreen = m_pRender->m_iFullScreen != 0;
    if (!m_pCameraManager->SetWindow(static_cast<int>(m_pRender->GetBackBufferWidth()),
                                     static_cast<int>(m_pRender->GetBackBufferHeight()), GetHWND()))
        return false;
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitLightManager() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitLightManager(): ");
    if (m_pLightManager) return true;
    m_pLightManager = new (std::nothrow) CDX9KelLightManager();
    if (!m_pLightManager || !m_pLightManager->Init()) return false;
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitRenderSystem() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitRenderSystem(): Begin\n");
    if (m_pRenderSystem) return true;
    m_pRenderSystem = new (std::nothrow) CDX9KelRenderSystem();
    if (!m_pRenderSystem) return false;
    if (m_pRender) m_pRenderSystem->SetRender(m_pRender);
    if (m_pCameraManager) m_pRenderSystem->SetCameraManager(m_pCameraManager);
    if (m_pLightManager) m_pRenderSystem->SetLightManager(m_pLightManager);
    m_pRenderSystem->SetGraphicsResManager(m_pGraphicsResManager);
    if (!m_pRenderSystem->Init(GetDevice(), m_pRender, GetHWND(), m_strDataFolder + kEngineIni)) return false;
    g_Log.Write(LOG_INFO, "CDX9KelScene::InitRenderSystem(): End\n");
    return true;
}

bool CDX9KelScene::InitSlot(EKelSceneManagerSlot slot, const char* szStep, bool bExistsResult) {
    g_Log.Write(LOG_INFO, "%s%s%s", "CDX9KelScene::", szStep, "(): ");
    if (m_pManagers[slot]) return bExistsResult;
    if (!g_ManagerFactories[slot]) {
        g_Log.Write(LOG_TEXT, "not installed\n");
        return true;
    }
    IDX9KelSceneManager* m = g_ManagerFactories[slot]();
    if (!m) return false;
    m_pManagers[slot] = m;
    if (!m->Init(this)) return false;
    if (slot == KEL_SCENE_SGUI_MANAGER && m_pRenderSystem) m_pRenderSystem->SetSGUIManager(m);
    if (m_pActiveSceneTree) m->SetSceneTree(m_pActiveSceneTree);
    g_Log.Write(LOG_TEXT, "OK\n");
    return true;
}

bool CDX9KelScene::InitSGUIManager() { return InitSlot(KEL_SCENE_SGUI_MANAGER, "InitSGUIManager", true); }
bool CDX9KelScene::InitParticleSysManager() {
    return InitSlot(KEL_SCENE_PARTICLES_MANAGER, "InitParticleSysManager", true);
}
bool CDX9KelScene::InitPhysicalManager() { return InitSlot(KEL_SCENE_PHYSICAL_MANAGER, "InitPhysicalManager", true); }
bool CDX9KelScene::InitScreenManager() { return InitSlot(KEL_SCENE_SCREEN_MANAGER, "InitScreenManager", false); }
bool CDX9KelScene::Init3DGUIManager() { return InitSlot(KEL_SCENE_GUI3D_MANAGER, "Init3DGUIManager", false); }

bool CDX9KelScene::Init() {
    if (!m_pRender) return false;
    if (!InitFPSCounter() || !InitScreenText() || !InitGrahicsResManager() || !InitBaseCameraManager() ||
        !InitLightManager() || !InitRenderSystem() || !InitSGUIManager() || !InitParticleSysManager() ||
        !InitPhysicalManager() || !InitScreenManager() || !Init3DGUIManager())
        return false;
    if (HWND hWnd = GetHWND()) {
        ShowWindow(hWnd, SW_SHOWDEFAULT);
        UpdateWindow(hWnd);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Frames.

void CDX9KelScene::Process() {
    if (m_bSuspended) return;
    const float step = GetFrameStep();
    IDX9KelSceneManager* sgui = m_pManagers[KEL_SCENE_SGUI_MANAGER];
    if (m_pCameraManager && m_pCameraManager->m_pActiveCamera && !(sgui && sgui->HoldsMouse())) {
        CDX9KelBaseCamera* cam = m_pCameraManager->m_pActiveCamera;
        if (m_pCameraManager->m_bControl) cam->Update(&g_Input, step);
        cam->UpdateFrustum();
    }
    if (sgui) {
        if (m_bGUIInput)
            sgui->Process(step);
        else
            sgui->ClearHover();
    }
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_GUI3D_MANAGER]) m->Process(step);
    if (m_pRenderSystem) m_pRenderSystem->Update(step);
    if (m_pGraphicsResManager) m_pGraphicsResManager->Update(step);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_SCREEN_MANAGER]) m->Process(step);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PHYSICAL_MANAGER]) m->Process(step);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PARTICLES_MANAGER]) m->Process(step);
    if (m_pActiveSceneTree) m_pActiveSceneTree->UpdateMovedObjects();
    if (m_pLightManager) m_pLightManager->ResetChanged();
}

void CDX9KelScene::RenderFrame() {
    if (m_bSuspended || !m_pRender) return;
    if (m_iCurrentCursor >= 0) SetCurrentCursor(m_iCurrentCursor);
    m_pRender->BeginRender(m_ClearColor);
    IDirect3DDevice9* device = GetDevice();
    if (m_pCameraManager && m_pCameraManager->m_pActiveCamera && device)
        m_pCameraManager->m_pActiveCamera->Apply(device);
    if (m_bFPSCounter) UpdateFPSCounter();
    if (m_pRenderSystem)
        m_pRenderSystem->Render(device, m_ClearColor, GetFrameStep(), m_bDrawSceneTree, m_bGUIVisible);
    if (m_bShowStatistics && m_pFont && m_pFont->m_pSprite && m_pTextHelper) {
        m_pFont->m_pSprite->Begin(D3DXSPRITE_ALPHABLEND | D3DXSPRITE_SORT_TEXTURE);
        DrawStatistics();
        m_pFont->m_pSprite->End();
    }
    m_pRender->EndRender();
    if (m_pRenderSystem && m_pRenderSystem->HasScreenshot()) m_pRenderSystem->SaveScreenshot();
    m_pRender->Present();
    if (m_pCameraManager) m_pCameraManager->EndFrame();
}

void CDX9KelScene::DrawStatistics() {
    if (!m_bShowStatistics || !m_pFont || !m_pTextHelper) return;
    CDX9KelTextHelper* t = m_pTextHelper;
    t->SetInsertionPos(5, 5);
    t->SetForegroundColor(250.0f / 255.0f, 250.0f / 255.0f, 0.0f, 1.0f);
    t->DrawFormattedTextLine("%s", m_bReleaseBuild ? "VORNA 3 DX9 ENGINE (release build)\n"
                                                   : "VORNA 3 DX9 ENGINE (debug build)\n");
    t->DrawFormattedTextLine("FPS: %.0f\n", static_cast<double>(g_FPSCounter.m_fFPS));
    if (m_pActiveSceneTree && m_pActiveSceneTree->m_bStatistics) {
        const CDXSceneTree* tree = m_pActiveSceneTree;
        t->DrawTextLine("");
        t->DrawFormattedTextLine("All Scene Tree Leafs: %i\n", static_cast<int>(tree->m_dwLeafCount));
        t->DrawFormattedTextLine("Visible Scene Tree Leafs: %i\n", static_cast<int>(tree->m_dwVisitedLeafs));
        t->DrawTextLine("");
        t->DrawFormattedTextLine("All Scene Faces: %d\n", static_cast<int>(tree->m_dwFaces));
        t->DrawFormattedTextLine("Visible Scene Faces: %d\n", static_cast<int>(tree->m_dwVisibleFaces));
    }
}

// ---------------------------------------------------------------------------
// Device loss.

void CDX9KelScene::OnLost() {
    // Everything below releases once per loss; a second report of the same
    // loss finds the scene already suspended.
    if (m_bSuspended) return;
    g_Log.Write(LOG_INFO, "CDX9KelScene::OnLost() : Begin\n");
    if (m_pFont) m_pFont->OnLost();
    if (m_pRenderSystem) m_pRenderSystem->OnLost();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PARTICLES_MANAGER]) m->OnLost();
    if (m_pGraphicsResManager) m_pGraphicsResManager->OnLost();
    m_bSuspended = true;
    g_Log.Write(LOG_INFO, "CDX9KelScene::OnLost() : End\n");
}

void CDX9KelScene::Restore() {
    g_Log.Write(LOG_INFO, "CDX9KelScene::Restore() : Begin\n");
    if (m_pGraphicsResManager) m_pGraphicsResManager->Restore();
    if (m_pCameraManager && m_pRender)
        m_pCameraManager->Restore(static_cast<int>(m_pRender->GetBackBufferWidth()),
                                  static_cast<int>(m_pRender->GetBackBufferHeight()));
    if (m_pFont) m_pFont->Restore();
    if (m_pRenderSystem) m_pRenderSystem->Restore();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_SGUI_MANAGER]) m->Restore();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PARTICLES_MANAGER]) m->Restore();
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PHYSICAL_MANAGER]) m->Restore();
    m_bSuspended = false;
    if (m_iCurrentCursor >= 0 && m_iCurrentCursor < static_cast<int>(m_vCursors.size()))
        SetCursor(m_vCursors[m_iCurrentCursor]);
    g_Log.Write(LOG_INFO, "CDX9KelScene::Restore() : End\n");
}

void CDX9KelScene::Release() {
    for (CDXSceneTree*& tree : m_vSceneTrees) {
        if (!tree) continue;
        tree->Release();
        delete tree;
        tree = nullptr;
    }
    m_vSceneTrees.clear();
    m_pActiveSceneTree = nullptr;
    if (m_pRenderSystem) m_pRenderSystem->SetSceneTree(nullptr);
    for (IDX9KelSceneManager* m : m_pManagers)
        if (m) m->SetSceneTree(nullptr);
    delete m_pTextHelper;
    m_pTextHelper = nullptr;
    if (m_pFont) {
        m_pFont->Release();
        delete m_pFont;
        m_pFont = nullptr;
    }
    if (m_pCameraManager) {
        // The render system's cameras go with the manager.
        if (m_pRenderSystem) {
            m_pRenderSystem->m_pLightCamera1 = m_pRenderSystem->m_pLightCamera2 = nullptr;
            m_pRenderSystem->m_pReflectionCamera = nullptr;
            m_pRenderSystem->SetCameraManager(nullptr);
        }
        m_pCameraManager->ReleaseAll();
        delete m_pCameraManager;
        m_pCameraManager = nullptr;
    }
    if (m_pLightManager) {
        if (m_pRenderSystem) m_pRenderSystem->SetLightManager(nullptr);
        m_pLightManager->Release();
        delete m_pLightManager;
        m_pLightManager = nullptr;
    }
    if (m_pRenderSystem) {
        m_pRenderSystem->Release();
        delete m_pRenderSystem;
        m_pRenderSystem = nullptr;
    }
    for (EKelSceneManagerSlot slot : {KEL_SCENE_SCREEN_MANAGER, KEL_SCENE_SGUI_MANAGER, KEL_SCENE_GUI3D_MANAGER,
                                      KEL_SCENE_PARTICLES_MANAGER, KEL_SCENE_PHYSICAL_MANAGER}) {
        if (IDX9KelSceneManager* m = m_pManagers[slot]) {
            m->Release();
            delete m;
            m_pManagers[slot] = nullptr;
        }
    }
    if (m_pGraphicsResManager) {
        m_pGraphicsResManager->Release();
        delete m_pGraphicsResManager;
        m_pGraphicsResManager = nullptr;
    }
    for (HCURSOR c : m_vCursors) DestroyCursor(c);
    m_vCursors.clear();
    m_iCurrentCursor = -1;
    m_vPickList.clear();
}

// ---------------------------------------------------------------------------
// Cursors and screenshots.

int CDX9KelScene::AddCursorFromFile(const char* szPath) {
    HCURSOR cursor = LoadCursorFromFileA(szPath);
    if (!cursor) {
        g_Log.Write(LOG_WARNING, "%s%s%s%s%s", "CDX9KelScene::AddCursorFromFile() : not load cursor : ",
                    szPath ? szPath : "", " : ", Platform::GetLastCursorFileError(), "\n");
        return -1;
    }
    m_vCursors.push_back(cursor);
    return static_cast<int>(m_vCursors.size()) - 1;
}

bool CDX9KelScene::SetCurrentCursor(int index) {
    if (index < 0 || index >= static_cast<int>(m_vCursors.size())) return false;
    SetCursor(m_vCursors[index]);
    m_iCurrentCursor = index;
    return true;
}

bool CDX9KelScene::MakeScreenshot(const char* szName) {
    if (!szName || !*szName || !m_pRenderSystem) return false;
    m_pRenderSystem->SetScreenshot(m_strScreenshotFolder + szName + ".jpg");
    return true;
}

// ---------------------------------------------------------------------------
// Octrees.

bool CDX9KelScene::CreateSceneTree(const char* szName, const D3DXVECTOR3* pMin, const D3DXVECTOR3* pMax,
                                   bool bBuffers, float fNodeSize, int* pIndex) {
    if (pIndex) *pIndex = -1;
    g_Log.Write(LOG_INFO, "CDX9KelScene::CreateSceneTree(): Begin\n");
    auto* tree = new (std::nothrow) CDXSceneTree();
    if (!tree) {
        g_Log.Write(LOG_ERROR, " new pSceneTree == NULL\n");
        return false;
    }
    if (!tree->CreateEmptySceneTree(szName, fNodeSize, pMin, pMax, bBuffers, GetDevice())) {
        g_Log.Write(LOG_ERROR, " CreateEmptySceneTree failed\n");
        tree->Release();
        delete tree;
        return false;
    }
    auto free = std::find(m_vSceneTrees.begin(), m_vSceneTrees.end(), nullptr);
    const int index = static_cast<int>(free - m_vSceneTrees.begin());
    if (free != m_vSceneTrees.end())
        *free = tree;
    else
        m_vSceneTrees.push_back(tree);
    if (pIndex) *pIndex = index;
    g_Log.Write(LOG_INFO, "CDX9KelScene::CreateSceneTree(): End\n");
    return true;
}

CDXSceneTree* CDX9KelScene::GetSceneTree(int index) const {
    if (index < 0 || index >= static_cast<int>(m_vSceneTrees.size())) return nullptr;
    return m_vSceneTrees[index];
}

bool CDX9KelScene::DeleteSceneTree(int index) {
    CDXSceneTree* tree = GetSceneTree(index);
    if (!tree) return false;
    if (m_pActiveSceneTree == tree) {
        m_pActiveSceneTree = nullptr;
        if (m_pRenderSystem) m_pRenderSystem->SetSceneTree(nullptr);
        for (IDX9KelSceneManager* m : m_pManagers)
            if (m) m->SetSceneTree(nullptr);
    }
    tree->Release();
    delete tree;
    m_vSceneTrees[index] = nullptr;
    return true;
}

bool CDX9KelScene::SetActiveSceneTree(int index) {
    CDXSceneTree* tree = GetSceneTree(index);
    if (!tree) return false;
    m_pActiveSceneTree = tree;
    if (m_pRenderSystem) m_pRenderSystem->SetSceneTree(tree);
    if (IDX9KelSceneManager* m = m_pManagers[KEL_SCENE_PHYSICAL_MANAGER]) m->SetSceneTree(tree);
    return true;
}

bool CDX9KelScene::AddSceneObjectInTree(int index, CDX9KelSceneObject* pObject) {
    CDXSceneTree* tree = GetSceneTree(index);
    if (!tree) {
        g_Log.Write(LOG_ERROR, "%s%i%s", "CDX9KelScene::AddSceneObjectInTree : not found Scene Tree Number: ", index,
                    "\n");
        return false;
    }
    if (!tree->AddSceneObject(pObject)) {
        g_Log.Write(LOG_ERROR, "CDX9KelScene::AddSceneObjectInTree : AddSceneObject failed\n");
        return false;
    }
    return true;
}

bool CDX9KelScene::AddSceneObjectInActiveTree(CDX9KelSceneObject* pObject) {
    if (!m_pActiveSceneTree) {
        g_Log.Write(LOG_ERROR, "CDX9KelScene::AddSceneObjectInActiveTree : not found active scene tree\n");
        return false;
    }
    if (!m_pActiveSceneTree->AddSceneObject(pObject)) {
        g_Log.Write(LOG_ERROR, "CDX9KelScene::AddSceneObjectInActiveTree : AddSceneObject failed\n");
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Picking.

bool CDX9KelScene::PickSceneObjects() {
    POINT p{0, 0};
    GetCursorPos(&p);
    ScreenToClient(GetHWND(), &p);
    return PickSceneObjectsAt(p.x, p.y);
}

bool CDX9KelScene::PickSceneObjectsAt(int x, int y) {
    m_vPickList.clear();
    if (!m_pActiveSceneTree || !m_pRender || !m_pCameraManager || !m_pCameraManager->m_pActiveCamera) return false;
    CDX9KelBaseCamera* cam = m_pCameraManager->m_pActiveCamera;
    const int width = static_cast<int>(m_pRender->GetBackBufferWidth());
    const int height = static_cast<int>(m_pRender->GetBackBufferHeight());
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    D3DXVECTOR3 dir, origin;
    if (!ComputePickRay(&identity, &cam->m_mView, static_cast<float>(width), static_cast<float>(height),
                        &cam->m_mProjection, static_cast<float>(x), static_cast<float>(y), &dir, &origin))
        return false;
    // A ray that never comes down to the sea stops at the far plane.
    D3DXVECTOR3 ground;
    if (!GetPickRayGroundPoint(&origin, &dir, cam->m_fFar, &ground)) return false;
    const D3DXVECTOR3 boxMin(std::min(origin.x, ground.x), std::min(origin.y, ground.y), std::min(origin.z, ground.z));
    const D3DXVECTOR3 boxMax(std::max(origin.x, ground.x), std::max(origin.y, ground.y), std::max(origin.z, ground.z));
    CDXSceneTree* tree = m_pActiveSceneTree;
    tree->m_vFoundLeafs.clear();
    tree->CollectLeafsInBox(tree->m_pRoot, &boxMin, &boxMax);
    for (CDXSceneTreeNode* leaf : tree->m_vFoundLeafs) {
        for (CDX9KelSceneObject* obj : leaf->m_vObjects) {
            if (!obj) continue;
            const D3DXVECTOR3 centre = *obj->GetPosition();
            if (obj->m_fRadius <= 0.0f || !D3DXSphereBoundProbe(&centre, obj->m_fRadius, &origin, &dir)) continue;
            // The object's first model decides.
            CDX9KelModel* model = nullptr;
            for (const SKelSceneLOD& lod : obj->m_vLODs) {
                for (CDX9KelSceneUnit* u : lod.m_vUnits)
                    if ((model = dynamic_cast<CDX9KelModel*>(u))) break;
                if (model) break;
            }
            float distance = 0.0f;
            if (!model || !model->IntersectRay(x, y, width, height, &cam->m_mProjection, &cam->m_mView, &distance))
                continue;
            obj->m_fReserved = distance;
            m_vPickList.push_back(obj);
        }
    }
    std::stable_sort(m_vPickList.begin(), m_vPickList.end(),
                     [](const CDX9KelSceneObject* a, const CDX9KelSceneObject* b) { return a->m_fReserved > b->m_fReserved; });
    return true;
}

} // namespace Vorna3D
