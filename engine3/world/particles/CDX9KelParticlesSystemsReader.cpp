// The particle-system file reader of the particle systems manager.
#include <cmath>
#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "platform/os/Paths.h"

namespace Vorna3D {

namespace {

bool IsComment(const TiXmlNode* n) { return n->Type() == TiXmlNode::TINYXML_COMMENT; }

const TiXmlElement* Child(const TiXmlElement* e, const char* name) { return e->FirstChildElement(name); }

// The element's text as a float, stored in `out` only when present and >= 0.
void ReadNonNegative(const TiXmlElement* e, float& out)
{
    if (!e) return;
    const float v = ReadXMLFloat(e);
    if (v >= 0.0f) out = v;
}

// A colour from "a", "r", "g", "b", each channel clamped to [0, 1] and
// rounded to a byte step.
D3DXCOLOR ReadQuantisedColor(const TiXmlElement* e)
{
    const D3DXCOLOR c = ReadXMLColor(e);
    auto q = [](float x) { return static_cast<float>(PSColorByte(x)) / 255.0f; };
    return D3DXCOLOR(q(c.r), q(c.g), q(c.b), q(c.a));
}

D3DXVECTOR3 ReadDirection(const TiXmlElement* e)
{
    D3DXVECTOR3 v = ReadXMLVector3(e);
    if (!std::isfinite(v.x) || !std::isfinite(v.y) || !std::isfinite(v.z)) v = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    D3DXVec3Normalize(&v, &v);
    return v;
}

// An integer element stored unsigned and capped at `cap`.
DWORD ReadCapped(const TiXmlElement* e, DWORD cap)
{
    const DWORD v = static_cast<DWORD>(ReadXMLInt(e));
    return v < cap ? v : cap;
}

} // namespace

bool ParseParticlesXml(const std::string& text, TiXmlDocument& doc)
{
    if (std::memchr(text.data(), '\0', text.size())) return false;
    if (!XmlDepthWithin(text, KEL_PS_MAX_XML_DEPTH)) return false;
    doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    return !doc.Error();
}

CDX9KelParticlesSystem* CDX9KelParticlesSystemsManager::CreatePSFromFile(const char* szPath, const char* szName)
{
    if (!szPath || !*szPath || !szName || !*szName) return nullptr;
    std::string text;
    TiXmlDocument doc;
    if (!Platform::ReadTextFile(szPath, text, KEL_PS_MAX_FILE_BYTES) || !ParseParticlesXml(text, doc)) {
        g_Log.Write(3, "%s%s%s", "CDX9KelParticlesSystemsManager::CreatePSFromFile() : xml file not read : ", szPath,
                    "\n");
        return nullptr;
    }
    return CreatePSFromDocument(doc, szName);
}

CDX9KelParticlesSystem* CDX9KelParticlesSystemsManager::CreatePSFromDocument(const TiXmlDocument& doc,
                                                                            const char* szName)
{
    if (!szName || !*szName) return nullptr;
    const TiXmlElement* root = doc.FirstChildElement("ParticlesSystem");
    if (!root) return nullptr;
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    CDX9KelParticlesSystem* system = CreateParticleSystem(szName, 1.0f, &identity);
    if (!system) return nullptr;
    if (const TiXmlElement* emitters = root->FirstChildElement("Emitters")) {
        for (const TiXmlNode* n = emitters->FirstChild(); n; n = n->NextSibling()) {
            if (IsComment(n)) continue;
            if (!CreateEmitterFromFile(n, system)) {
                ReleaseResource(system);
                return nullptr;
            }
        }
    }
    return system;
}

bool CDX9KelParticlesSystemsManager::CreateEmitterFromFile(const TiXmlNode* pNode, CDX9KelParticlesSystem* pSystem)
{
    if (!pNode || !pSystem) return false;
    const TiXmlElement* element = pNode->ToElement();
    const char* kind = pNode->Value();
    const char* name = element ? element->Attribute("Name") : nullptr;
    CDX9KelBasePSEmitter* emitter = nullptr;
    auto fail = [&emitter](const char* message) {
        g_Log.Write(3, "%s", message);
        if (emitter) {
            emitter->Release();
            delete emitter;
        }
        return false;
    };

    if (element && std::strcmp(kind, "EmitterPoint") == 0) {
        CDX9KelPSEmitterPoint* point = CreateEmitterPoint(name);
        if (!point)
            return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not create Point Emitter from "
                        "file\n");
        emitter = point;
        if (!LoadPointEmitter(element, point))
            return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not load point emitter data\n");
    } else if (element && std::strcmp(kind, "EmitterBox") == 0) {
        CDX9KelPSEmitterBox* box = CreateEmitterBox(name);
        if (!box)
            return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not create Box Emitter from "
                        "file\n");
        emitter = box;
        if (!LoadBoxEmitter(element, box))
            return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not load point emitter data\n");
    } else {
        return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not found compatible emitter type\n");
    }

    if (!LoadBaseEmitter(element, emitter))
        return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : not load base emitter data\n");
    if (!pSystem->AddEmitter(emitter, m_pD3DDevice))
        return fail("CDX9KelParticlesSystemsManager::CreateEmitterFromFile() : pParticlesSystem->AddEmitter() "
                    "failed\n");

    // From here the system owns the emitter; a failing effector fails the
    // emitter, and the caller releases the whole system.
    if (const TiXmlElement* effectors = element->FirstChildElement("Effectors")) {
        for (const TiXmlNode* n = effectors->FirstChild(); n; n = n->NextSibling()) {
            if (IsComment(n)) continue;
            if (!CreateEffectorFromFile(emitter, n)) return false;
        }
    }
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadPointEmitter(const TiXmlElement* e, CDX9KelBasePSEmitter* p)
{
    if (!e || !p) return false;
    if (const TiXmlElement* c = Child(e, "StartDirection")) p->m_vStartDirection = ReadDirection(c);
    if (const TiXmlElement* c = Child(e, "StartDeflectionMinAngleXoY")) p->SetStartDeflectionMinXoY(ReadXMLFloat(c));
    if (const TiXmlElement* c = Child(e, "StartDeflectionMaxAngleXoY")) p->SetStartDeflectionMaxXoY(ReadXMLFloat(c));
    if (const TiXmlElement* c = Child(e, "StartDeflectionMinAngleXoZ")) p->SetStartDeflectionMinXoZ(ReadXMLFloat(c));
    if (const TiXmlElement* c = Child(e, "StartDeflectionMaxAngleXoZ")) p->SetStartDeflectionMaxXoZ(ReadXMLFloat(c));
    if (const TiXmlElement* c = Child(e, "StartDeflectionMinAngleZoY")) p->SetStartDeflectionMinZoY(ReadXMLFloat(c));
    if (const TiXmlElement* c = Child(e, "StartDeflectionMaxAngleZoY")) p->SetStartDeflectionMaxZoY(ReadXMLFloat(c));
    ReadNonNegative(Child(e, "StartVelocity"), p->m_fStartVelocity);
    if (const TiXmlElement* c = Child(e, "StartVelocityVariation")) p->SetStartVelocityVariation(ReadXMLFloat(c));
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadBoxEmitter(const TiXmlElement* e, CDX9KelPSEmitterBox* p)
{
    if (!LoadPointEmitter(e, p)) return false;
    if (const TiXmlElement* c = Child(e, "BordersMin")) p->m_vBordersMin = ReadXMLAttributeVector3(c);
    if (const TiXmlElement* c = Child(e, "BordersMax")) p->m_vBordersMax = ReadXMLAttributeVector3(c);
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadBaseEmitter(const TiXmlElement* e, CDX9KelBasePSEmitter* p)
{
    if (!e || !p) return false;
    PSEmitterParams& params = p->m_Params;
    const TiXmlElement* c = nullptr;

    if ((c = Child(e, "Enable"))) p->m_bEnabled = ReadXMLBool(c);
    ReadNonNegative(Child(e, "EmitterLife"), p->m_fEmitterLife);
    if (!(c = Child(e, "CreationInterval"))) return false;
    ReadNonNegative(c, p->m_fCreationInterval);
    if (!(c = Child(e, "ReleaseInterval"))) return false;
    ReadNonNegative(c, p->m_fReleaseInterval);
    // A pool must hold at least one particle and no more than the cap, so a
    // file can neither leave the emitter without particles nor size its
    // allocations.
    if (!(c = Child(e, "MaxParticles"))) return false;
    const int maxParticles = ReadXMLInt(c);
    if (maxParticles < 1 || static_cast<DWORD>(maxParticles) > KEL_PS_MAX_PARTICLES) return false;
    p->m_dwMaxParticles = static_cast<DWORD>(maxParticles);
    if (!(c = Child(e, "ParticlesToCreation"))) return false;
    p->m_dwParticlesToCreation = ReadCapped(c, p->m_dwMaxParticles);
    if (!(c = Child(e, "ParticlesToRelease"))) return false;
    p->m_dwParticlesToRelease = ReadCapped(c, p->m_dwMaxParticles);
    if ((c = Child(e, "SystemInfluenceToAxes"))) p->m_iSystemInfluenceToAxes = ReadXMLInt(c);
    if ((c = Child(e, "CameraDistanceSort"))) p->m_bCameraDistanceSort = ReadXMLBool(c);
    // Blend values outside Direct3D's list keep the default.
    constexpr int kFirstBlend = D3DBLEND_ZERO, kLastBlend = D3DBLEND_INVBLENDFACTOR;
    if ((c = Child(e, "SRCBLEND"))) {
        const int v = ReadXMLInt(c);
        if (v >= kFirstBlend && v <= kLastBlend) p->m_dwSrcBlend = static_cast<DWORD>(v);
    }
    if ((c = Child(e, "DESTBLEND"))) {
        const int v = ReadXMLInt(c);
        if (v >= kFirstBlend && v <= kLastBlend) p->m_dwDestBlend = static_cast<DWORD>(v);
    }
    if ((c = Child(e, "AlphaRef"))) {
        const int v = ReadXMLInt(c);
        if (v > 0 && v <= 255) p->m_dwAlphaRef = static_cast<DWORD>(v);
    }
    if ((c = Child(e, "BlendAlphaComponent"))) p->m_bBlendAlphaComponent = ReadXMLBool(c);

    if (!(c = Child(e, "Texture"))) return false;
    std::string text;
    if (!ReadXMLString(c, false, text) || text.empty()) return false;
    std::string folder, file;
    if (!m_pGraphicsResManager || !g_Utils.SplitExeFolderPathString(text.c_str(), folder, file)) return false;
    params.pTexture = m_pGraphicsResManager->CreateTextureFromFile(folder.c_str(), file.c_str(), true, 0);
    if (!params.pTexture) return false;
    if ((c = Child(e, "Effect")) && ReadXMLString(c, false, text) && !text.empty()) {
        if (!g_Utils.SplitExeFolderPathString(text.c_str(), folder, file)) return false;
        params.pEffect = m_pGraphicsResManager->CreateEffectFromFile(folder.c_str(), file.c_str());
        if (!params.pEffect) return false;
    }
    // A frame table that does not fit the texture leaves the whole texture as
    // the one frame.
    const int frames = ReadXMLInt(Child(e, "FramesCount"));
    const int frameWidth = ReadXMLInt(Child(e, "FrameWidth"));
    const int frameHeight = ReadXMLInt(Child(e, "FrameHeight"));
    p->SetFrames(frames, frameWidth, frameHeight);

    if (!(c = Child(e, "ParticleWidth"))) return false;
    if (const float v = ReadXMLFloat(c); v >= 0.0f) params.fHalfWidth = v / 2.0f;
    if (!(c = Child(e, "ParticleHeight"))) return false;
    params.fHalfHeight = std::fabs(ReadXMLFloat(c)) / 2.0f;
    if ((c = Child(e, "ParticleWidthVariation"))) params.fHalfWidthVariation = std::fabs(ReadXMLFloat(c)) / 2.0f;
    if ((c = Child(e, "ParticleHeightVariation"))) {
        const float v = ReadXMLFloat(c);
        params.fHalfHeightVariation = v < 0.0f ? -1.0f : v / 2.0f;
    }
    if (!(c = Child(e, "ParticleColor"))) return false;
    params.Color = ReadQuantisedColor(c);
    if ((c = Child(e, "ParticleColorVariation"))) params.ColorVariation = ReadQuantisedColor(c);
    if (!(c = Child(e, "Life"))) return false;
    ReadNonNegative(c, params.fLife);
    if (!(c = Child(e, "AnimationSpeed"))) return false;
    ReadNonNegative(c, params.fAnimationSpeed);
    if ((c = Child(e, "ParticleParentInfluence"))) params.bParentInfluence = ReadXMLBool(c);
    if ((c = Child(e, "ParticleParentInfluenceToStartDir"))) params.bParentInfluenceToStartDir = ReadXMLBool(c);
    if ((c = Child(e, "ParticleCameraInfluence"))) params.bCameraInfluence = ReadXMLBool(c);
    if ((c = Child(e, "CameraInfluenceType"))) params.iCameraInfluenceType = ReadXMLInt(c);
    return true;
}

bool CDX9KelParticlesSystemsManager::CreateEffectorFromFile(CDX9KelBasePSEmitter* pEmitter, const TiXmlNode* pNode)
{
    if (!pEmitter || !pNode) return false;
    const TiXmlElement* element = pNode->ToElement();
    const char* kind = pNode->Value();
    const char* name = element ? element->Attribute("Name") : nullptr;
    auto fail = [](const char* what) {
        g_Log.Write(3, "CDX9KelParticlesSystemsManager::CreateEffectorFromFile() : %s\n", what);
        return false;
    };
    if (!element) return fail("not found compatible effector type");

    if (std::strcmp(kind, "CommonMovement") == 0) {
        auto* f = CreateEffectorCommonMovementForEmitter(pEmitter, name);
        if (!f) return fail("CreateEffectorCommonMovementForEmitter() failed");
        if (!LoadEffectorCommonMovement(element, f)) return fail("LoadEffectorCommonMovement() failed");
    } else if (std::strcmp(kind, "CommonScale") == 0) {
        auto* f = CreateEffectorCommonScaleForEmitter(pEmitter, name);
        if (!f) return fail("CreateEffectorCommonScaleForEmitter() failed");
        if (!LoadEffectorCommonScale(element, f)) return fail("LoadEffectorCommonScale() failed");
    } else if (std::strcmp(kind, "CommonColor") == 0) {
        auto* f = CreateEffectorCommonColorForEmitter(pEmitter, name);
        if (!f) return fail("CreateEffectorCommonColorForEmitter() failed");
        if (!LoadEffectorCommonColor(element, f)) return fail("LoadEffectorCommonColor() failed");
    } else if (std::strcmp(kind, "CommonFrames") == 0) {
        auto* f = CreateEffectorCommonFramesForEmitter(pEmitter, name);
        if (!f) return fail("CreateEffectorCommonFramesForEmitter() failed");
        if (!LoadBaseEffector(element, f)) return fail("LoadBaseEffector() failed");
    } else if (std::strcmp(kind, "UniqueMovementAcellFromStartSpeed") == 0) {
        auto* f = CreateEffectorMovementAFSS(pEmitter, name);
        if (!f) return fail("CreateEffectorMovementAFSS() failed");
        if (!LoadEffectorMovementAFSS(element, f)) return fail("LoadEffectorMovementAFSS() failed");
    } else {
        return fail("not found compatible effector type");
    }
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadEffectorCommonMovement(const TiXmlElement* e,
                                                                CDX9KelPSEffectorCommonMovement* f)
{
    if (!e || !f) return false;
    const TiXmlElement* c = nullptr;
    if ((c = Child(e, "Movement"))) f->m_vMovement = ReadDirection(c);
    if ((c = Child(e, "Velocity"))) f->m_fVelocity = ReadXMLFloat(c);
    if ((c = Child(e, "Acceleration"))) f->m_fAcceleration = ReadXMLFloat(c);
    if ((c = Child(e, "UseParticleDir"))) f->m_bUseParticleDir = ReadXMLBool(c);
    if ((c = Child(e, "NegativeSpeed"))) f->m_bNegativeSpeed = ReadXMLBool(c);
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadEffectorCommonScale(const TiXmlElement* e, CDX9KelPSEffectorCommonScale* f)
{
    if (!e || !f) return false;
    float width = -1.0f, height = -1.0f;
    ReadNonNegative(Child(e, "ParticleEndWidth"), width);
    ReadNonNegative(Child(e, "ParticleEndHeight"), height);
    if (width >= 0.0f) f->m_fEndHalfWidth = width / 2.0f;
    if (height >= 0.0f) f->m_fEndHalfHeight = height / 2.0f;
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadEffectorCommonColor(const TiXmlElement* e, CDX9KelPSEffectorCommonColor* f)
{
    if (!e || !f) return false;
    if (const TiXmlElement* c = Child(e, "EndColor")) f->m_EndColor = ReadXMLColor(c);
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadBaseEffector(const TiXmlElement* e, CDX9KelBasePSEffector* f)
{
    if (!e || !f) return false;
    ReadNonNegative(Child(e, "StartTime"), f->m_fStartTime);
    if (const TiXmlElement* c = Child(e, "EndTime")) {
        const float v = ReadXMLFloat(c);
        if (v > f->m_fStartTime) f->m_fEndTime = v;
    }
    return true;
}

bool CDX9KelParticlesSystemsManager::LoadEffectorMovementAFSS(const TiXmlElement* e,
                                                              CDX9KelPSEffectorMovementAccelFromStartSpeed* f)
{
    if (!e || !f) return false;
    const TiXmlElement* c = nullptr;
    if ((c = Child(e, "Movement"))) f->m_vMovement = ReadDirection(c);
    if ((c = Child(e, "Acceleration"))) {
        const float v = ReadXMLFloat(c);
        f->m_fAcceleration = v > 1.0f ? 1.0f : v;
    }
    if ((c = Child(e, "UseParticleDir"))) f->m_bUseParticleDir = ReadXMLBool(c);
    if ((c = Child(e, "EndSpeed"))) f->m_fEndSpeed = ReadXMLFloat(c);
    return true;
}

} // namespace Vorna3D
