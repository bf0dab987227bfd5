// Animated-object files ("anmobjxml"): sounds and effect objects of a ship,
// the hull, flag, smoke, wake and bow-wave units of each level of detail,
// and the platform, propeller and rudder parts bound to the hull model's
// frames.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/ui/sound/CVR3SOUNDManager.h"
#include "engine3/world/particles/CDX9KelParticlesSystem.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

constexpr float kShotRadius = 0.5f;

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// Without a sound device the game runs silent: sound sources are not made,
// and that is no fault of the file (the sound manager has said so once).
bool Silent() { return !CVR3SOUNDManager::Get().IsRunning(); }

// A sound source from a sound-source file of the Sources folder.
SoundHandle LoadSoundSource(const CVR3GAMEIO& io, const TiXmlElement* element) {
    std::string file;
    ReadXMLString(element, true, file);
    return CVR3SOUNDManager::Get().LoadSound(io.MakePath(CVR3GAMEIO::FOLDER_SOURCES, file.c_str()));
}

// Removes a particle unit from its scene object and gives it back.
void ReleaseParticleUnit(const CDX9KelScene* scene, CDX9KelParticlesSystem* ps) {
    if (!ps)
        return;
    if (ps->m_pOwner)
        ps->m_pOwner->RemoveSceneUnit(ps);
    if (CDX9KelParticlesSystemsManager* pm = GetParticlesSystemsManager(scene); pm && pm->Holds(ps))
        pm->ReleaseResource(ps);
}

void ReleasePartUnits(const CDX9KelScene* scene, CVR3GAMEAnimatedPart* part) {
    if (!part)
        return;
    for (CDX9KelParticlesSystem* ps : part->m_vShotSystems)
        ReleaseParticleUnit(scene, ps);
    for (CDX9KelParticlesSystem* ps : part->m_vFireSystems)
        ReleaseParticleUnit(scene, ps);
    part->m_vShotSystems.clear();
    part->m_vFireSystems.clear();
    for (SoundHandle* h : {&part->m_RotationSound, &part->m_ShotSound, &part->m_HitSound, &part->m_MissSound})
        h->Delete();
    for (CVR3GAMEAnimatedPart* s : part->m_vSubParts)
        ReleasePartUnits(scene, s);
}

} // namespace

void CVR3GAMEIO::DeleteAnimatedShip(CVR3GAMEAnimatedShip* pShip) {
    if (!pShip)
        return;
    for (auto* list : {&pShip->m_vPlatformParts, &pShip->m_vPropellerParts, &pShip->m_vRudderParts})
        for (CVR3GAMEAnimatedPart* p : *list)
            ReleasePartUnits(m_pScene, p);
    for (CDX9KelSceneObject* o : pShip->m_vEffectObjects) {
        // Objects a tree holds go with the tree's resources.
        if (o && o->m_strTreeName.empty())
            DeleteSceneObject(o);
    }
    pShip->m_vEffectObjects.clear();
    pShip->m_FireSound.Delete();
    pShip->m_FloodingSound.Delete();
    for (SoundHandle& h : pShip->m_vEngineSounds)
        h.Delete();
    delete pShip;
}

CVR3GAMEAnimatedShip* CVR3GAMEIO::CreateAnimatedShipFromFile(const char* fileName, CDX9KelSceneObject* pSceneObject,
                                                             bool bAddToScene) {
    if (!fileName || !*fileName || !pSceneObject)
        return nullptr;
    auto* ship = new CVR3GAMEAnimatedShip();
    ship->m_pSceneObject = pSceneObject;
    TiXmlDocument doc;
    const EReadResult read = ReadKindFile(VR3_KIND_ANIMATED_OBJECT, FOLDER_ANIMATED_OBJECTS, fileName,
                                          "CVR3GAMEIO::CreateAnimatedShipFromFile()", doc);
    if (read == READ_DOCUMENT && !LoadAnimatedShipFromXML(doc, ship, pSceneObject, bAddToScene)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateAnimatedShipFromFile() : LoadAnimatedShipFromXML() failed\n");
        DeleteAnimatedShip(ship);
        return nullptr;
    }
    if (read == READ_FAILED) {
        DeleteAnimatedShip(ship);
        return nullptr;
    }
    ship->m_strName = fileName;
    return ship;
}

bool CVR3GAMEIO::LoadAnimatedShipFromXML(const TiXmlDocument& doc, CVR3GAMEAnimatedShip* pShip,
                                         CDX9KelSceneObject* pSceneObject, bool bAddToScene) {
    const TiXmlElement* root = doc.FirstChildElement("AnimatedShip");
    if (!root || !pShip || !pSceneObject)
        return false;
    for (const VR3ListEntry& e : VR3ListEntries(root->FirstChildElement("DamageLevels")))
        if (e.element)
            pShip->DamageLevels.push_back(ReadXMLFloat(e.element));

    const D3DXMATRIX identity = Identity();
    if (const TiXmlElement* e = root->FirstChildElement("SoundFileFire")) {
        pShip->m_FireSound = LoadSoundSource(*this, e);
        if (!pShip->m_FireSound && !Silent())
            g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipFromXML() : not create fire sound source \n");
        else
            pShip->m_FireSound.SetTransform(&identity, &pSceneObject->m_mWorld);
    }
    if (const TiXmlElement* e = root->FirstChildElement("SoundFileFlooding")) {
        pShip->m_FloodingSound = LoadSoundSource(*this, e);
        if (!pShip->m_FloodingSound && !Silent())
            g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipFromXML() : not create flooding sound source \n");
        else
            pShip->m_FloodingSound.SetTransform(&identity, &pSceneObject->m_mWorld);
    }
    for (const VR3ListEntry& e : VR3ListEntries(root->FirstChildElement("SoundFilesEngine"))) {
        SoundHandle h = e.element ? LoadSoundSource(*this, e.element) : SoundHandle();
        if (!h) {
            if (!Silent())
                g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipFromXML() : not create engine sound source \n");
            break;
        }
        h.SetTransform(&identity, &pSceneObject->m_mWorld);
        pShip->m_vEngineSounds.push_back(h);
    }
    if (const TiXmlElement* e = root->FirstChildElement("SceneObjectPSFlooding")) {
        std::string file;
        ReadXMLString(e, true, file);
        CDX9KelSceneObject* flooding = CreateSceneObjectFromFile(file.c_str());
        if (!flooding)
            g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipFromXML() : not create flooding scene object \n");
        else
            flooding->StopParticles(); // until the ship sinks
        pShip->m_pFloodingObject = flooding;
        pShip->m_vEffectObjects.push_back(flooding);
        if (flooding && bAddToScene && m_pScene)
            m_pScene->AddSceneObjectInActiveTree(flooding);
    }
    for (size_t i = 0; i < pSceneObject->m_vLODs.size(); ++i) {
        if (!LoadAnimatedShipDataFromLOD(root, static_cast<int>(i), pShip, bAddToScene)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipFromXML() : LoadAnimatedShipDataFromLOD() failed\n");
            return false;
        }
    }
    return true;
}

bool CVR3GAMEIO::LoadAnimatedShipDataFromLOD(const TiXmlElement* pRoot, int lod, CVR3GAMEAnimatedShip* pShip,
                                             bool bAddToScene) {
    const TiXmlElement* hullElement = pRoot ? pRoot->FirstChildElement("ShipModelName") : nullptr;
    if (!hullElement) {
        g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipDataFromLOD() : ShipModelName not found in xml\n");
        return false;
    }
    std::string hull, flag, smoke, wake, bowWave;
    ReadXMLString(hullElement, true, hull);
    ReadXMLString(pRoot->FirstChildElement("FlagModelName"), true, flag);
    ReadXMLString(pRoot->FirstChildElement("PipeSmokeName"), true, smoke);
    ReadXMLString(pRoot->FirstChildElement("PropellerFoamyTrace"), true, wake);
    ReadXMLString(pRoot->FirstChildElement("SideFoamyTrace"), true, bowWave);

    // Copied: binding the platforms adds muzzle flashes and fires to the
    // levels while this one is walked.
    const std::vector<CDX9KelSceneUnit*> units = pShip->m_pSceneObject->m_vLODs[static_cast<size_t>(lod)].m_vUnits;
    for (CDX9KelSceneUnit* unit : units) {
        if (!unit)
            continue;
        const std::string& name = unit->m_strName;
        const bool model = unit->m_iKind == KEL_UNIT_MODEL;
        const bool particles = unit->m_iKind == KEL_UNIT_PARTICLE_SYSTEM;
        std::vector<AnimatedModelLink*>* links = nullptr;
        if (name == hull) {
            if (!model)
                continue;
            auto* m = static_cast<CDX9KelModel*>(unit);
            pShip->m_vHullModels.push_back(m);
            if (lod == 0 && !LoadAnimatedShipDataFromModel(pRoot, m, pShip, bAddToScene)) {
                g_Log.Write(3, "CVR3GAMEIO::LoadAnimatedShipDataFromLOD() : LoadAnimatedShipDataFromModel() failed\n");
                return false;
            }
            continue;
        }
        if (name == flag) {
            if (model)
                pShip->m_vFlagModels.push_back(static_cast<CDX9KelModel*>(unit));
            continue;
        }
        if (name == smoke)
            links = &pShip->m_vPipeSmokes;
        else if (name == wake)
            links = &pShip->m_vPropellerWakes;
        else if (name == bowWave)
            links = &pShip->m_vBowWaves;
        if (!links || !particles)
            continue;
        auto* link = new AnimatedModelLink();
        if (!AnimatedModelLink::Bind(link, static_cast<CDX9KelParticlesSystem*>(unit))) {
            // A unit without emitters has nothing to animate.
            g_Log.Write(2, "CVR3GAMEIO::LoadAnimatedShipDataFromLOD() : particles unit without emitters : %s\n",
                        name.c_str());
            delete link;
            continue;
        }
        links->push_back(link);
    }
    return true;
}

bool CVR3GAMEIO::LoadAnimatedShipDataFromModel(const TiXmlElement* pRoot, CDX9KelModel* pModel,
                                               CVR3GAMEAnimatedShip* pShip, bool bAddToScene) {
    const struct {
        const char* list;
        std::vector<CVR3GAMEAnimatedPart*>* parts;
    } lists[] = {
        {"Platons", &pShip->m_vPlatformParts},
        {"Propellers", &pShip->m_vPropellerParts},
        {"Rudders", &pShip->m_vRudderParts},
    };
    for (const auto& l : lists)
        for (const VR3ListEntry& e : VR3ListEntries(pRoot->FirstChildElement(l.list)))
            CreateAnimatedShipPartFromModel(*l.parts, pModel, e.element, pShip, bAddToScene);
    return true;
}

bool CVR3GAMEIO::CreateAnimatedShipPartFromModel(std::vector<CVR3GAMEAnimatedPart*>& parts, CDX9KelModel* pModel,
                                                 const TiXmlElement* pPart, CVR3GAMEAnimatedShip* pShip,
                                                 bool bAddToScene) {
    // A node that is not an element names no frame and holds nothing.
    if (!pPart || !pModel || !pShip)
        return false;
    auto* part = new CVR3GAMEAnimatedPart();
    part->m_strName = pPart->Value();
    if (const TiXmlElement* e = pPart->FirstChildElement("Movement"))
        part->Movement = ReadXMLBool(e);
    if (const TiXmlElement* e = pPart->FirstChildElement("Rotation"))
        part->Rotation = ReadXMLBool(e);
    const TiXmlElement* gameTransform = pPart->FirstChildElement("GameTransform");
    if (gameTransform) {
        part->GameTransform = ReadXMLMatrix(gameTransform);
        part->m_mCurrent = part->GameTransform;
    }
    if (const TiXmlElement* e = pPart->FirstChildElement("RotationMatrix"))
        part->RotationMatrix = ReadXMLMatrix(e);
    if (const TiXmlElement* e = pPart->FirstChildElement("RotationSpeed"))
        part->RotationSpeed = ReadXMLFloat(e);
    for (const VR3ListEntry& e : VR3ListEntries(pPart->FirstChildElement("HitPositions")))
        if (e.element)
            part->HitPositions.push_back(ReadXMLAttributeVector3(e.element));

    if (CDX9KelFrameRecord* frame = pModel->GetFrameMatrixByName(part->m_strName.c_str())) {
        part->m_pFrame = frame;
        part->m_mBase = frame->m_mLocal;
        for (D3DXMATRIX* m : {&part->GameTransform, &part->m_mCurrent}) {
            m->_41 = frame->m_mLocal._41;
            m->_42 = frame->m_mLocal._42;
            m->_43 = frame->m_mLocal._43;
        }
    } else if (gameTransform) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not found frame in model : ",
                    part->m_strName.c_str(), "\n");
        CVR3GAMEAnimatedPart::Delete(part);
        return false;
    }
    parts.push_back(part);

    CDX9KelParticlesSystemsManager* pm = GetParticlesSystemsManager(m_pScene);
    CDX9KelSceneObject* object = pShip->m_pSceneObject;
    const D3DXMATRIX identity = Identity();
    // Muzzle flashes and fires: child k of the list goes to level of detail k.
    auto addSystems = [&](const TiXmlElement* list, const char* unitName, const D3DXMATRIX& local,
                          std::vector<CDX9KelParticlesSystem*>& target, const char* notCreated,
                          const char* notAdded) {
        int lod = 0;
        for (const VR3ListEntry& e : VR3ListEntries(list)) {
            const int k = lod++;
            std::string file;
            ReadXMLString(e.element, true, file);
            const std::string path = MakePath(FOLDER_PARTICLES, file.c_str());
            CDX9KelParticlesSystem* ps =
                pm && e.element ? pm->LoadParticlesSystem(path.c_str(), path.c_str(), unitName, kShotRadius, &identity)
                                : nullptr;
            if (!ps) {
                g_Log.Write(3, "%s", notCreated);
                continue;
            }
            ps->CDX9KelSceneUnit::m_strName = unitName;
            // Flashes and fires wait until a shot or the damage starts them.
            ps->Stop();
            if (!object || !object->AddSceneUnit(ps, &local, k)) {
                g_Log.Write(3, "%s", notAdded);
                pm->ReleaseResource(ps);
                continue;
            }
            target.push_back(ps);
        }
    };
    addSystems(pPart->FirstChildElement("ParticlesShot"), "GunShot", identity, part->m_vShotSystems,
               "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create shot particles system \n",
               "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : shot particles system pSceneObject->AddSceneUnit() "
               "failed \n");
    if (const TiXmlElement* fire = pPart->FirstChildElement("ParticlesFire")) {
        D3DXMATRIX local = identity;
        const D3DXVECTOR3 at = ReadXMLAttributeVector3(fire);
        local._41 = at.x;
        local._42 = at.y;
        local._43 = at.z;
        addSystems(fire, "ShipFire", local, part->m_vFireSystems,
                   "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create fire particles system \n",
                   "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : fire particles system pSceneObject->AddSceneUnit() "
                   "failed \n");
    }

    const struct {
        const char* element;
        CDX9KelSceneObject** target;
        const char* notCreated;
    } effects[] = {
        {"ParticlesHitSceneObject", &part->m_pHitObject,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create hit scene object \n"},
        {"ParticlesMissSceneObject", &part->m_pMissObject,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create miss scene object \n"},
    };
    for (const auto& fx : effects) {
        const TiXmlElement* e = pPart->FirstChildElement(fx.element);
        if (!e)
            continue;
        std::string file;
        ReadXMLString(e, true, file);
        CDX9KelSceneObject* o = CreateSceneObjectFromFile(file.c_str());
        if (!o)
            g_Log.Write(3, "%s", fx.notCreated);
        // Hits and splashes wait until the battle places and starts them.
        if (o)
            o->StopParticles();
        *fx.target = o;
        pShip->m_vEffectObjects.push_back(o);
        if (o && bAddToScene && m_pScene)
            m_pScene->AddSceneObjectInActiveTree(o);
    }

    const struct {
        const char* element;
        SoundHandle* target;
        const char* notCreated;
    } sounds[] = {
        {"SoundFileRotation", &part->m_RotationSound,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create rotation sound source \n"},
        {"SoundFileShot", &part->m_ShotSound,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create shot sound source \n"},
        {"SoundFileHit", &part->m_HitSound,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create hit sound source \n"},
        {"SoundFileMiss", &part->m_MissSound,
         "CVR3GAMEIO::CreateAnimatedShipPartFromModel() : not create miss sound source \n"},
    };
    for (const auto& s : sounds) {
        const TiXmlElement* e = pPart->FirstChildElement(s.element);
        if (!e)
            continue;
        *s.target = LoadSoundSource(*this, e);
        if (!*s.target && !Silent())
            g_Log.Write(3, "%s", s.notCreated);
    }

    for (const VR3ListEntry& e : VR3ListEntries(pPart->FirstChildElement("AnimatedParts")))
        CreateAnimatedShipPartFromModel(part->m_vSubParts, pModel, e.element, pShip, bAddToScene);
    return true;
}

} // namespace SeaBattle
