#pragma once
// The campaign engine's particle systems: reads each particle INI file once
// and keeps its parameter record, makes systems from the records, groups
// them in lists (one per scene object that owns effects, stepped and drawn
// only while the owner's flag is set) or keeps them standalone, steps them
// every frame, draws the live ones as point sprites, and re-creates their
// buffers after a device reset.
#include "engine2/world/particles/CDXParticleSystem.h"

#include <memory>
#include <vector>

namespace Vorna2 {

class CDX9KelGraphicsResManager;

struct CDXParticleSystemList {
    std::vector<CDXParticleSystem*> m_Systems;
    // The owner's flag (its visible flag); null: always stepped and drawn.
    const bool* m_pOwnerFlag = nullptr;
};

class CDXParticleSystemManager {
public:
    // The step time is the frame time times this.
    static constexpr float kStepScale = 0.002f;
    // Wind gusts change this often (ms).
    static constexpr DWORD kGustIntervalMs = 10000;

    CDXParticleSystemManager();
    ~CDXParticleSystemManager();
    CDXParticleSystemManager(const CDXParticleSystemManager&) = delete;
    CDXParticleSystemManager& operator=(const CDXParticleSystemManager&) = delete;

    // The record of the INI file (program folder + iniName), from the cache
    // or read now; null when the file is refused (no MaxParticles, no
    // texture, or a texture that does not load). A refused file leaves no
    // record, so every later request is refused the same way.
    CDXParticleSystemParams* LoadPSParamsFromFile(const char* iniName, IDirect3DDevice9* device);

    // A new empty list bound to the owner's flag (may be null); its index
    // goes to outIndex.
    CDXParticleSystemList* CreateList(const bool* ownerFlag, int* outIndex);
    // A new system in the list; its index in the list, or -1.
    int CreateListPS(IDirect3DDevice9* device, int listIndex, const char* iniName, const D3DXMATRIX* localMatrix,
                     const D3DXMATRIX* ownerMatrix);
    int CreateListPSInList(IDirect3DDevice9* device, CDXParticleSystemList* list, const char* iniName,
                           const D3DXMATRIX* localMatrix, const D3DXMATRIX* ownerMatrix);
    // A standalone system (the owner matrix may be null); its index or -1.
    int CreateStandalonePS(IDirect3DDevice9* device, const char* iniName, const D3DXMATRIX* localMatrix,
                           const D3DXMATRIX* ownerMatrix);
    int GetListIndex(const CDXParticleSystemList* list) const;
    bool DeletePSFromList(CDXParticleSystemList* list, int index);
    bool DeleteList(int index);
    bool DeleteList(CDXParticleSystemList* list);
    // Every list, standalone system, the draw list and the cached records.
    void DeleteAllPS();

    // One frame: the draw list is refilled with the live systems (stepped
    // unless paused); dead systems are deleted.
    void Process(float frameFactor);
    // The particle pass: sorted by texture, point sprites, each system's
    // blending and size.
    void Render(IDirect3DDevice9* device);
    void OnLost();
    void Restore(IDirect3DDevice9* device);

    // The draw order (descending texture position in the resource manager,
    // an unlisted texture counting as the largest).
    bool SortParticleSystemsTexture(const CDXParticleSystem* a, const CDXParticleSystem* b) const;

    std::vector<CDXParticleSystem*> m_DrawList;
    std::vector<std::unique_ptr<CDXParticleSystemParams>> m_Params;
    std::vector<CDXParticleSystemList*> m_Lists;
    std::vector<CDXParticleSystem*> m_Standalone;
    CDX9KelGraphicsResManager* m_pResManager = nullptr;
    D3DXMATRIX m_mWorld;
    bool m_bPaused = false;
    // How many INI files were read (cache misses that reached the file).
    DWORD m_dwFilesRead = 0;

private:
    CDXParticleSystem* MakeSystem(IDirect3DDevice9* device, const char* iniName, const D3DXMATRIX* localMatrix,
                                  const D3DXMATRIX* ownerMatrix);
    void ApplyWindGusts();
    static void DeleteSystem(CDXParticleSystem* system);
    // Steps (or deletes) the systems of one list and fills the draw list.
    void StepSystems(std::vector<CDXParticleSystem*>& systems, float t);
};

// The wind-gust timer all managers share (0: not started).
extern DWORD g_dwParticleGustStamp;

} // namespace Vorna2
