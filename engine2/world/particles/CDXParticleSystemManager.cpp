#include "engine2/world/particles/CDXParticleSystemManager.h"

#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelGraphicsResManager.h"
#include "platform/os/Clock.h"
#include "platform/os/Crt.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

namespace Vorna2 {

DWORD g_dwParticleGustStamp = 0;

namespace {

const char* FileNamePart(const char* path) {
    const char* name = path;
    for (const char* c = path; *c; ++c)
        if (*c == '\\' || *c == '/') name = c + 1;
    return name;
}

DWORD FloatBits(float f) {
    DWORD d;
    std::memcpy(&d, &f, sizeof d);
    return d;
}

} // namespace

CDXParticleSystemManager::CDXParticleSystemManager() {
    D3DXMatrixIdentity(&m_mWorld);
    unsigned int seed = 0;
    rand_s(&seed);
    CDX9KelUtils::SeedEffectRandom(seed);
}

CDXParticleSystemManager::~CDXParticleSystemManager() { DeleteAllPS(); }

CDXParticleSystemParams* CDXParticleSystemManager::LoadPSParamsFromFile(const char* iniName,
                                                                        IDirect3DDevice9* device) {
    if (!iniName || !iniName[0]) return nullptr;
    std::string path;
    if (!CDX9KelUtils::GetExeFolderPath(path, iniName)) return nullptr;
    const char* key = FileNamePart(iniName);
    for (const auto& p : m_Params)
        if (std::strncmp(p->szFileName, key, CDXParticleSystemParams::kNameSize) == 0) return p.get();

    auto record = std::make_unique<CDXParticleSystemParams>();
    std::strncpy(record->szFileName, key, CDXParticleSystemParams::kNameSize - 1);
    ++m_dwFilesRead;
    std::string why;
    if (!ReadParticleSystemParams(path.c_str(), *record, &why)) {
        g_Log.Write(LOG_ERROR, "Error : CDXParticleSystemManager::LoadPSParamsFromFile : %s : %s\n", iniName,
                    why.c_str());
        return nullptr;
    }
    std::string full, folder, name;
    if (!m_pResManager || !device || !CDX9KelUtils::SplitExeFolderPath(record->szTexture, &full, &folder, &name))
        return nullptr;
    record->pTexture = m_pResManager->CreateTextureFromFile(device, name.c_str(), folder.c_str(), false, 0, nullptr);
    if (!record->pTexture) {
        g_Log.Write(LOG_ERROR, "Error : CDXParticleSystemManager::LoadPSParamsFromFile : %s : texture not loaded : %s\n",
                    iniName, record->szTexture);
        return nullptr;
    }
    m_Params.push_back(std::move(record));
    return m_Params.back().get();
}

CDXParticleSystemList* CDXParticleSystemManager::CreateList(const bool* ownerFlag, int* outIndex) {
    auto* list = new (std::nothrow) CDXParticleSystemList();
    if (!list) return nullptr;
    list->m_pOwnerFlag = ownerFlag;
    m_Lists.push_back(list);
    if (outIndex) *outIndex = static_cast<int>(m_Lists.size()) - 1;
    return list;
}

CDXParticleSystem* CDXParticleSystemManager::MakeSystem(IDirect3DDevice9* device, const char* iniName,
                                                        const D3DXMATRIX* localMatrix, const D3DXMATRIX* ownerMatrix) {
    CDXParticleSystemParams* params = LoadPSParamsFromFile(iniName, device);
    if (!params) {
        g_Log.Write(LOG_ERROR, "Error : CDXParticleSystemManager : CreateListPS() : LoadPSParamsFromFile : %s\n",
                    iniName);
        return nullptr;
    }
    auto* system = new (std::nothrow) CDXParticleSystem();
    if (!system) return nullptr;
    if (FAILED(system->CreateVB(device))) {
        g_Log.Write(LOG_ERROR, "%s", "Error : CDXParticleSystemManager : CreateListPS() : t_pParticleSystem->CreateVB : FAILED\n");
        delete system;
        return nullptr;
    }
    system->Setup(params, *localMatrix, ownerMatrix);
    return system;
}

int CDXParticleSystemManager::CreateListPS(IDirect3DDevice9* device, int listIndex, const char* iniName,
                                           const D3DXMATRIX* localMatrix, const D3DXMATRIX* ownerMatrix) {
    if (listIndex < 0 || static_cast<size_t>(listIndex) >= m_Lists.size()) return -1;
    return CreateListPSInList(device, m_Lists[size_t(listIndex)], iniName, localMatrix, ownerMatrix);
}

int CDXParticleSystemManager::CreateListPSInList(IDirect3DDevice9* device, CDXParticleSystemList* list,
                                                 const char* iniName, const D3DXMATRIX* localMatrix,
                                                 const D3DXMATRIX* ownerMatrix) {
    if (!device || !list || !iniName || !localMatrix || !ownerMatrix) return -1;
    CDXParticleSystem* system = MakeSystem(device, iniName, localMatrix, ownerMatrix);
    if (!system) return -1;
    list->m_Systems.push_back(system);
    return static_cast<int>(list->m_Systems.size()) - 1;
}

int CDXParticleSystemManager::CreateStandalonePS(IDirect3DDevice9* device, const char* iniName,
                                                 const D3DXMATRIX* localMatrix, const D3DXMATRIX* ownerMatrix) {
    if (!device || !iniName || !localMatrix) return -1;
    CDXParticleSystem* system = MakeSystem(device, iniName, localMatrix, ownerMatrix);
    if (!system) return -1;
    m_Standalone.push_back(system);
    return static_cast<int>(m_Standalone.size()) - 1;
}

int CDXParticleSystemManager::GetListIndex(const CDXParticleSystemList* list) const {
    if (!list) return -1;
    for (size_t i = 0; i < m_Lists.size(); ++i)
        if (m_Lists[i] == list) return static_cast<int>(i);
    return -1;
}

void CDXParticleSystemManager::DeleteSystem(CDXParticleSystem* system) {
    if (!system) return;
    system->ReleaseVB();
    system->ReleaseParticles();
    delete system;
}

bool CDXParticleSystemManager::DeletePSFromList(CDXParticleSystemList* list, int index) {
    if (!list || index < 0 || static_cast<size_t>(index) >= list->m_Systems.size()) return false;
    CDXParticleSystem* system = list->m_Systems[size_t(index)];
    m_DrawList.erase(std::remove(m_DrawList.begin(), m_DrawList.end(), system), m_DrawList.end());
    DeleteSystem(system);
    list->m_Systems.erase(list->m_Systems.begin() + index);
    return true;
}

bool CDXParticleSystemManager::DeleteList(int index) {
    if (index < 0 || static_cast<size_t>(index) >= m_Lists.size()) return false;
    CDXParticleSystemList* list = m_Lists[size_t(index)];
    for (CDXParticleSystem* s : list->m_Systems) {
        m_DrawList.erase(std::remove(m_DrawList.begin(), m_DrawList.end(), s), m_DrawList.end());
        DeleteSystem(s);
    }
    delete list;
    m_Lists.erase(m_Lists.begin() + index);
    return true;
}

bool CDXParticleSystemManager::DeleteList(CDXParticleSystemList* list) { return DeleteList(GetListIndex(list)); }

void CDXParticleSystemManager::DeleteAllPS() {
    while (!m_Lists.empty()) DeleteList(static_cast<int>(m_Lists.size()) - 1);
    for (CDXParticleSystem* s : m_Standalone) DeleteSystem(s);
    m_Standalone.clear();
    m_DrawList.clear();
    m_Params.clear();
}

void CDXParticleSystemManager::ApplyWindGusts() {
    const DWORD now = timeGetTime();
    if (g_dwParticleGustStamp == 0) {
        g_dwParticleGustStamp = now;
        return;
    }
    if (now - g_dwParticleGustStamp <= kGustIntervalMs) return;
    g_dwParticleGustStamp = 0;
    for (const auto& p : m_Params) {
        if (p->fWindVar == 0.0f) continue;
        p->fWindVar = CDX9KelUtils::GetEffectRandomFloat(0.0f, p->fWindVar + 1.5f);
        p->vWind = CDX9KelUtils::GetEffectRandomUnitVector();
    }
}

void CDXParticleSystemManager::StepSystems(std::vector<CDXParticleSystem*>& systems, float t) {
    for (size_t i = 0; i < systems.size();) {
        CDXParticleSystem* s = systems[i];
        if (s && s->m_bAlive) {
            if (!m_bPaused) s->Update(t);
            m_DrawList.push_back(s);
            ++i;
        } else {
            DeleteSystem(s);
            systems.erase(systems.begin() + long(i));
        }
    }
}

void CDXParticleSystemManager::Process(float frameFactor) {
    const float t = frameFactor * kStepScale;
    m_DrawList.clear();
    ApplyWindGusts();
    for (CDXParticleSystemList* list : m_Lists)
        if (list && (!list->m_pOwnerFlag || *list->m_pOwnerFlag)) StepSystems(list->m_Systems, t);
    StepSystems(m_Standalone, t);
}

bool CDXParticleSystemManager::SortParticleSystemsTexture(const CDXParticleSystem* a,
                                                          const CDXParticleSystem* b) const {
    if (!a || !b || !m_pResManager) {
        g_Log.Write(LOG_ERROR, "%s", "CDX9KelRenderSystem::SortParticleSystemsTexture : Critical situation\n");
        return false;
    }
    auto position = [this](const CDXParticleSystem* s) {
        const IDirect3DBaseTexture9* texture = s->m_pParams ? s->m_pParams->pTexture : nullptr;
        return static_cast<unsigned>(m_pResManager->FindTextureIndex(texture));
    };
    return position(a) > position(b);
}

void CDXParticleSystemManager::Render(IDirect3DDevice9* device) {
    if (!device || m_DrawList.empty()) return;
    std::vector<CDXParticleSystem*> list = m_DrawList;
    std::stable_sort(list.begin(), list.end(), [this](const CDXParticleSystem* a, const CDXParticleSystem* b) {
        return SortParticleSystemsTexture(a, b);
    });
    device->SetTransform(D3DTS_WORLD, &m_mWorld);
    device->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, TRUE);
    device->SetRenderState(D3DRS_POINTSIZE_MIN, FloatBits(1.0f));
    device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
    device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(1.0f));
    device->SetFVF(CDXParticleSystem::kFVF);
    const CDXParticleSystemParams* lastParams = nullptr;
    const IDirect3DBaseTexture9* lastTexture = nullptr;
    bool first = true;
    for (CDXParticleSystem* s : list) {
        if (!s || !s->m_pParams) continue;
        const CDXParticleSystemParams* p = s->m_pParams;
        if (first || p != lastParams) {
            device->SetRenderState(D3DRS_SRCBLEND, static_cast<DWORD>(p->iSrcBlend));
            device->SetRenderState(D3DRS_DESTBLEND, static_cast<DWORD>(p->iDestBlend));
            device->SetRenderState(D3DRS_POINTSIZE, FloatBits(p->fSize));
        }
        if (first || p->pTexture != lastTexture) device->SetTexture(0, p->pTexture);
        lastParams = p;
        lastTexture = p->pTexture;
        first = false;
        s->Render(device);
    }
    device->SetRenderState(D3DRS_ZWRITEENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    device->SetRenderState(D3DRS_POINTSPRITEENABLE, FALSE);
    device->SetRenderState(D3DRS_POINTSCALEENABLE, FALSE);
    // The point buffers live in the default pool: the device keeps no hold
    // on them between frames, so a lost device can free them.
    device->SetStreamSource(0, nullptr, 0, 0);
}

void CDXParticleSystemManager::OnLost() {
    for (CDXParticleSystemList* list : m_Lists)
        for (CDXParticleSystem* s : list->m_Systems)
            if (s) s->ReleaseVB();
    for (CDXParticleSystem* s : m_Standalone)
        if (s) s->ReleaseVB();
}

void CDXParticleSystemManager::Restore(IDirect3DDevice9* device) {
    for (CDXParticleSystemList* list : m_Lists)
        for (CDXParticleSystem* s : list->m_Systems)
            if (s) s->CreateVB(device);
    for (CDXParticleSystem* s : m_Standalone)
        if (s) s->CreateVB(device);
}

} // namespace Vorna2
