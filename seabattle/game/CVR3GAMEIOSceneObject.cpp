// Scene-object files ("scobjxml"): levels of detail of model and particle
// units, a collision model and a distance range.
#include <tinyxml.h>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/particles/CDX9KelParticlesSystem.h"
#include "engine3/world/particles/CDX9KelParticlesSystemsManager.h"
#include "engine3/world/particles/ParticlesSceneSlot.h"
#include "seabattle/game/CVR3GAMEIO.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

// Levels of detail a file may ask for in its "count"; others are ignored.
constexpr int kMaxFileLODCount = 16;
// The render passes that the three flags of a unit set.
constexpr int kPassReflection = 2;
constexpr int kPassRefraction = 3;
constexpr int kPassFinal = 4;

void ReadRenderFlags(const TiXmlElement* unit, CDX9KelSceneUnit* target) {
    if (const TiXmlElement* e = unit->FirstChildElement("RenderInReflectionMap"))
        target->m_bPasses[kPassReflection] = ReadXMLBool(e);
    if (const TiXmlElement* e = unit->FirstChildElement("RenderInRefractionMap"))
        target->m_bPasses[kPassRefraction] = ReadXMLBool(e);
    if (const TiXmlElement* e = unit->FirstChildElement("RenderFinal"))
        target->m_bPasses[kPassFinal] = ReadXMLBool(e);
}

CDX9KelModelManager* ModelManager(const CDX9KelScene* scene) {
    CDX9KelGraphicsResManager* grm = scene ? scene->GetGraphicsResManager() : nullptr;
    return grm ? grm->m_pModelManager : nullptr;
}

// Gives one unit back to the manager that made it.
void ReleaseUnit(const CDX9KelScene* scene, CDX9KelSceneUnit* unit) {
    if (!unit)
        return;
    if (unit->m_iKind == KEL_UNIT_MODEL) {
        auto* model = static_cast<CDX9KelModel*>(unit);
        if (CDX9KelModelManager* mm = ModelManager(scene); mm && mm->Holds(model)) {
            mm->ReleaseResource(model);
            return;
        }
    } else if (unit->m_iKind == KEL_UNIT_PARTICLE_SYSTEM) {
        auto* ps = static_cast<CDX9KelParticlesSystem*>(unit);
        if (CDX9KelParticlesSystemsManager* pm = GetParticlesSystemsManager(scene); pm && pm->Holds(ps)) {
            pm->ReleaseResource(ps);
            return;
        }
    }
}

} // namespace

void CVR3GAMEIO::DeleteSceneObject(CDX9KelSceneObject* pSceneObject) {
    if (!pSceneObject)
        return;
    std::vector<CDX9KelSceneUnit*> units;
    for (SKelSceneLOD& lod : pSceneObject->m_vLODs)
        for (CDX9KelSceneUnit* u : lod.m_vUnits)
            if (u)
                units.push_back(u);
    CDX9KelSceneUnit* collision = pSceneObject->m_pCollisionModel;
    pSceneObject->DetachUnits();
    pSceneObject->m_pCollisionModel = nullptr;
    for (CDX9KelSceneUnit* u : units)
        ReleaseUnit(m_pScene, u);
    if (collision) {
        collision->m_pOwner = nullptr;
        ReleaseUnit(m_pScene, collision);
    }
    delete pSceneObject;
}

CDX9KelSceneObject* CVR3GAMEIO::CreateSceneObjectFromFile(const char* fileName) {
    if (!fileName || !*fileName)
        return nullptr;
    auto* object = new CDX9KelSceneObject();
    TiXmlDocument doc;
    const EReadResult read =
        ReadKindFile(VR3_KIND_SCENE_OBJECT, FOLDER_SCENE_OBJECTS, fileName, "CVR3GAMEIO::CreateSceneObjectFromFile()", doc);
    // A refused document has logged its cause where it has a message.
    if (read == READ_FAILED || (read == READ_DOCUMENT && !LoadSceneObjectFromXML(doc, object))) {
        DeleteSceneObject(object);
        return nullptr;
    }
    object->m_strName = fileName;
    return object;
}

bool CVR3GAMEIO::LoadSceneObjectFromXML(const TiXmlDocument& doc, CDX9KelSceneObject* pSceneObject) {
    const TiXmlElement* root = doc.FirstChildElement("SceneObject");
    if (!root || !pSceneObject)
        return false;
    const TiXmlElement* lods = root->FirstChildElement("LODs");
    if (!lods) {
        g_Log.Write(3, "CVR3GAMEIO::LoadSceneObjectFromXML() : LODs not found in xml scene object\n");
        return false;
    }
    const int count = ReadXMLAttributeInt(lods, "count");
    if (count < 0 || count > kMaxFileLODCount)
        g_Log.Write(2, "CVR3GAMEIO::LoadSceneObjectFromXML() : LODs count out of range ignored : %i\n", count);
    else if (count != 0)
        pSceneObject->SetLODCount(count);

    int lod = 0;
    for (const VR3ListEntry& entry : VR3ListEntries(lods)) {
        if (!LoadSceneObjectLODFromXML(pSceneObject, lod, entry.element)) {
            g_Log.Write(3, "%s%i%s", "CVR3GAMEIO::LoadSceneObjectFromXML() : not create LOD number : ", lod, "\n");
            return false;
        }
        ++lod;
    }
    if (const TiXmlElement* collision = root->FirstChildElement("CollisionModel")) {
        if (!CreateSceneObjectCollisionModelFromXML(collision, pSceneObject))
            g_Log.Write(2, "CVR3GAMEIO::LoadSceneObjectFromXML() : CreateSceneObjectCollisionModelFromXML() failed \n");
    }
    pSceneObject->UpdateBoundingRadius();
    float nearest = 50.0f, farthest = 100.0f;
    if (const TiXmlElement* range = root->FirstChildElement("DistanceRange")) {
        const D3DXVECTOR2 v = ReadXMLAttributeVector2(range);
        nearest = v.x;
        farthest = v.y;
    }
    pSceneObject->SetDistanceRange(nearest, farthest);
    return true;
}

bool CVR3GAMEIO::LoadSceneObjectLODFromXML(CDX9KelSceneObject* pSceneObject, int lod, const TiXmlElement* pLOD) {
    if (!pLOD || !pSceneObject)
        return false;
    for (const VR3ListEntry& entry : VR3ListEntries(pLOD->FirstChildElement("Models"))) {
        if (!CreateSceneObjectModelFromXML(pSceneObject, lod, entry.element)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadSceneObjectLODFromXML() : not create LOD model\n");
            return false;
        }
    }
    for (const VR3ListEntry& entry : VR3ListEntries(pLOD->FirstChildElement("ParticlesSystems"))) {
        if (!CreateSceneObjectParticlesFromXML(pSceneObject, lod, entry.element)) {
            g_Log.Write(3, "CVR3GAMEIO::LoadSceneObjectLODFromXML() : not create LOD partiles system\n");
            return false;
        }
    }
    return true;
}

bool CVR3GAMEIO::CreateSceneObjectModelFromXML(CDX9KelSceneObject* pSceneObject, int lod,
                                               const TiXmlElement* pUnit) {
    if (!pUnit || !pSceneObject)
        return false;
    const D3DXMATRIX local = ReadXMLMatrix(pUnit->FirstChildElement("Local"));
    const TiXmlElement* modelElement = pUnit->FirstChildElement("Model");
    if (!modelElement)
        return false;
    std::string modelFile, effectFile;
    ReadXMLString(modelElement, true, modelFile);
    const TiXmlElement* effectElement = pUnit->FirstChildElement("Effect");
    if (!effectElement)
        return false;
    ReadXMLString(effectElement, true, effectFile);
    CDX9KelGraphicsResManager* grm = m_pScene ? m_pScene->GetGraphicsResManager() : nullptr;
    if (!grm)
        return false;
    CDX9KelModel* model = grm->CreateModelFromFile(GetFolder(FOLDER_MODELS).c_str(), modelFile.c_str(),
                                                   GetFolder(FOLDER_EFFECTS).c_str(), effectFile.c_str());
    if (!model)
        return false;

    const std::string& textures = GetFolder(FOLDER_TEXTURES);
    for (const VR3ListEntry& entry : VR3ListEntries(pUnit->FirstChildElement("TexturesGroups"))) {
        const char* groupName = entry.element ? entry.element->Value() : "";
        std::string layers[4];
        const char* names[4] = {"Layer1Main", "Layer1Normal", "Layer2Main", "Layer2Normal"};
        const char* folders[4];
        for (int i = 0; i < 4; ++i) {
            if (entry.element)
                ReadXMLString(entry.element->FirstChildElement(names[i]), true, layers[i]);
            folders[i] = layers[i].empty() ? "" : textures.c_str();
        }
        if (!model->AddTextureGroup(groupName, folders[0], layers[0].c_str(), folders[1], layers[1].c_str(),
                                    folders[2], layers[2].c_str(), folders[3], layers[3].c_str()))
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::CreateSceneObjectModelFromXML() : not create model texture group : ",
                        groupName, "\n");
    }
    ReadRenderFlags(pUnit, model);
    model->CDX9KelBaseResource::m_strName = pUnit->Value();
    model->CDX9KelSceneUnit::m_strName = pUnit->Value();
    if (!pSceneObject->AddSceneUnit(model, &local, lod)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateSceneObjectModelFromXML() : pSceneObject->AddSceneUnit() failed\n");
        grm->m_pModelManager->ReleaseResource(model);
        return false;
    }
    return true;
}

bool CVR3GAMEIO::CreateSceneObjectParticlesFromXML(CDX9KelSceneObject* pSceneObject, int lod,
                                                   const TiXmlElement* pUnit) {
    CDX9KelParticlesSystemsManager* pm = GetParticlesSystemsManager(m_pScene);
    if (!pm || !pUnit || !pSceneObject)
        return false;
    float radius = 1.0f;
    const D3DXMATRIX local = ReadXMLMatrix(pUnit->FirstChildElement("Local"));
    const D3DXMATRIX world = ReadXMLMatrix(pUnit->FirstChildElement("World"));
    const TiXmlElement* fileElement = pUnit->FirstChildElement("PSFile");
    if (!fileElement)
        return false;
    std::string file;
    ReadXMLString(fileElement, true, file);
    if (const TiXmlElement* e = pUnit->FirstChildElement("Radius"))
        radius = ReadXMLFloat(e);
    const std::string path = MakePath(FOLDER_PARTICLES, file.c_str());
    // Systems read from one file share their prototype, whatever their names.
    CDX9KelParticlesSystem* ps = pm->LoadParticlesSystem(path.c_str(), path.c_str(), pUnit->Value(), radius, &world);
    if (!ps)
        return false;
    ps->CDX9KelSceneUnit::m_strName = pUnit->Value();
    ReadRenderFlags(pUnit, ps);
    if (!pSceneObject->AddSceneUnit(ps, &local, lod)) {
        g_Log.Write(3, "CVR3GAMEIO::CreateSceneObjectParticlesFromXML() : pSceneObject->AddSceneUnit() failed\n");
        pm->ReleaseResource(ps);
        return false;
    }
    return true;
}

bool CVR3GAMEIO::CreateSceneObjectCollisionModelFromXML(const TiXmlElement* pElement,
                                                        CDX9KelSceneObject* pSceneObject) {
    if (!pElement || !pSceneObject)
        return false;
    const TiXmlElement* modelElement = pElement->FirstChildElement("Model");
    if (!modelElement)
        return false;
    std::string file;
    ReadXMLString(modelElement, true, file);
    CDX9KelGraphicsResManager* grm = m_pScene ? m_pScene->GetGraphicsResManager() : nullptr;
    if (!grm)
        return false;
    CDX9KelModel* model = grm->CreateModelFromFile(GetFolder(FOLDER_MODELS).c_str(), file.c_str(), "", "");
    if (!model)
        return false;
    if (pSceneObject->m_pCollisionModel) {
        g_Log.Write(3, "CVR3GAMEIO::CreateSceneObjectCollisionModelFromXML() : pSceneObject->SetCollisionModel failed\n");
        grm->m_pModelManager->ReleaseResource(model);
        return false;
    }
    pSceneObject->m_pCollisionModel = model;
    model->ComputeBoundingBox();
    return true;
}

} // namespace SeaBattle
