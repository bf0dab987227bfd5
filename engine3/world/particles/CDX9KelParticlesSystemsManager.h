#pragma once
// The particle systems manager owns every particle system. It reads a
// particle-system file once per prototype name, keeps the result as a
// prototype and hands out copies of it for every placed effect; it runs every
// system once per frame on its own millisecond clock and passes device loss
// and reset down to the emitters.
//
// Particle-system files: root "ParticlesSystem", its "Emitters" holding
// "EmitterPoint" and "EmitterBox" elements (attribute "Name"), each with its
// values and an "Effectors" list ("CommonMovement", "CommonScale",
// "CommonColor", "CommonFrames", "UniqueMovementAcellFromStartSpeed").
#include <cstddef>
#include <string>
#include <cstdint>
#include <vector>

#include <tinyxml.h>

#include "engine3/core/resources/CDX9KelBaseResourceManager.h"
#include "engine3/world/particles/CDX9KelBasePSEffector.h"
#include "engine3/world/particles/CDX9KelPSEmitterBox.h"
#include "engine3/world/particles/CDX9KelPSEmitterPoint.h"
#include "engine3/world/particles/CDX9KelParticlesSystem.h"

namespace Vorna3D {

class CDX9KelBaseCameraManager;
class CDX9KelGraphicsResManager;

// Largest particle-system file read, and the deepest element nesting
// accepted: real files are a few kilobytes and seven levels deep.
constexpr std::size_t KEL_PS_MAX_FILE_BYTES = 1u << 20;
constexpr int KEL_PS_MAX_XML_DEPTH = 32;
// A clock gap longer than this (ms) restarts the clock instead of one step.
constexpr DWORD KEL_PS_MAX_TICK_GAP = 10000;

// Parses particle-system XML held in memory; false for text that is nested
// too deeply, holds a NUL, or is not well-formed.
bool ParseParticlesXml(const std::string& text, TiXmlDocument& doc);

class CDX9KelParticlesSystemsManager : public CDX9KelBaseResourceManager {
public:
    CDX9KelParticlesSystemsManager() = default;
    ~CDX9KelParticlesSystemsManager() override;

    // False when either is null; type id 0, room for 100 systems.
    bool Init(IDirect3DDevice9* pDevice, CDX9KelBaseCameraManager* pCameraManager);
    using CDX9KelBaseResourceManager::Init;
    // Where textures and effects named by particle files are loaded.
    void SetGraphicsResManager(CDX9KelGraphicsResManager* p) { m_pGraphicsResManager = p; }
    // Releases every system and forgets the prototypes.
    void ReleaseAll() override;
    // The per-frame update on the manager's own clock, system by system in
    // slot order. A system found not running is passed over without being
    // touched until its Start wakes it.
    virtual void Process();
    // The system runs again from the next Process.
    void Wake(const CDX9KelParticlesSystem* pSystem);
    // Negative: ignored; 0: paused; anything else runs at that speed.
    void SetTimeScale(float fScale);

    // A new copy of the prototype named `szPrototypeName`, read from
    // `szPath` the first time the name is asked for. Null on failure.
    CDX9KelParticlesSystem* LoadParticlesSystem(const char* szPath, const char* szPrototypeName,
                                                const char* szInstanceName, float fRadius,
                                                const D3DXMATRIX* pMatrix);
    // Reads one file into a new registered system; null on failure.
    CDX9KelParticlesSystem* CreatePSFromFile(const char* szPath, const char* szName);
    // As CreatePSFromFile, from a parsed document.
    CDX9KelParticlesSystem* CreatePSFromDocument(const TiXmlDocument& doc, const char* szName);
    CDX9KelParticlesSystem* CreateParticleSystem(const char* szName, float fRadius, const D3DXMATRIX* pMatrix);
    CDX9KelParticlesSystem* CloneParticleSystem(const CDX9KelParticlesSystem* pPrototype, const char* szName,
                                                float fRadius, const D3DXMATRIX* pMatrix);

    CDX9KelPSEmitterPoint* CreateEmitterPoint(const char* szName);
    CDX9KelPSEmitterBox* CreateEmitterBox(const char* szName);
    CDX9KelPSEmitterPoint* CloneEmitterPoint(const CDX9KelPSEmitterPoint* pSource);
    CDX9KelPSEmitterBox* CloneEmitterBox(const CDX9KelPSEmitterBox* pSource);
    bool CopyBaseEmitter(CDX9KelBasePSEmitter* pTarget, const CDX9KelBasePSEmitter* pSource);

    CDX9KelPSEffectorCommonMovement* CreateEffectorCommonMovementForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                            const char* szName);
    CDX9KelPSEffectorCommonScale* CreateEffectorCommonScaleForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                      const char* szName);
    CDX9KelPSEffectorCommonColor* CreateEffectorCommonColorForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                      const char* szName);
    CDX9KelPSEffectorCommonSpin* CreateEffectorCommonSpinForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                    const char* szName);
    CDX9KelPSEffectorCommonFrames* CreateEffectorCommonFramesForEmitter(CDX9KelBasePSEmitter* pEmitter,
                                                                        const char* szName);
    CDX9KelPSEffectorMovementAccelFromStartSpeed* CreateEffectorMovementAFSS(CDX9KelBasePSEmitter* pEmitter,
                                                                             const char* szName);

    // ---- the file reader's steps ----
    bool CreateEmitterFromFile(const TiXmlNode* pNode, CDX9KelParticlesSystem* pSystem);
    bool LoadPointEmitter(const TiXmlElement* pElement, CDX9KelBasePSEmitter* pEmitter);
    bool LoadBoxEmitter(const TiXmlElement* pElement, CDX9KelPSEmitterBox* pEmitter);
    bool LoadBaseEmitter(const TiXmlElement* pElement, CDX9KelBasePSEmitter* pEmitter);
    bool CreateEffectorFromFile(CDX9KelBasePSEmitter* pEmitter, const TiXmlNode* pNode);
    bool LoadEffectorCommonMovement(const TiXmlElement* pElement, CDX9KelPSEffectorCommonMovement* pEffector);
    bool LoadEffectorCommonScale(const TiXmlElement* pElement, CDX9KelPSEffectorCommonScale* pEffector);
    bool LoadEffectorCommonColor(const TiXmlElement* pElement, CDX9KelPSEffectorCommonColor* pEffector);
    bool LoadBaseEffector(const TiXmlElement* pElement, CDX9KelBasePSEffector* pEffector);
    bool LoadEffectorMovementAFSS(const TiXmlElement* pElement,
                                  CDX9KelPSEffectorMovementAccelFromStartSpeed* pEffector);

    CDX9KelBaseCameraManager* m_pCameraManager = nullptr;
    IDirect3DDevice9* m_pD3DDevice = nullptr;
    DWORD m_dwLastTick = 0;
    float m_fTimeScale = 1.0f;
    bool m_bActive = true;
    bool m_bPaused = false;
    std::vector<CDX9KelParticlesSystem*> m_vPrototypes;
    // By slot: 1 while the system there is known to be stopped.
    std::vector<std::uint8_t> m_vAsleep;
    CDX9KelGraphicsResManager* m_pGraphicsResManager = nullptr;
};

} // namespace Vorna3D
