#pragma once
// Loads the render demo ("Data/Demo/demo_scene.xml" beside the programs)
// into a running engine scene: an octree, the camera and the light, and the
// scene objects with their models. Shared by the render tests and the render
// benchmark; the game's own map loaders take this place in the game.
#include <tinyxml.h>

#include <cstdio>
#include <string>

#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/render/CDX9KelBaseCameraManager.h"
#include "engine3/core/render/CDX9KelGlobalCamera.h"
#include "engine3/core/render/CDX9KelLightManager.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/resources/CDX9KelModel.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"

namespace VornaDemo {

inline D3DXVECTOR3 ReadVec3(const TiXmlElement* e, const char* name, D3DXVECTOR3 fallback = {0, 0, 0}) {
    const char* t = e ? e->Attribute(name) : nullptr;
    D3DXVECTOR3 v = fallback;
    if (t) std::sscanf(t, "%f %f %f", &v.x, &v.y, &v.z);
    return v;
}

inline float ReadFloat(const TiXmlElement* e, const char* name, float fallback) {
    double d = fallback;
    if (e && e->QueryDoubleAttribute(name, &d) == TIXML_SUCCESS) return static_cast<float>(d);
    return fallback;
}

struct DemoScene {
    int objects = 0;
    int models = 0;
    std::string error;
};

// `bin` is the programs' folder with a trailing '/'.
inline DemoScene LoadDemoScene(Vorna3D::CDX9KelScene& scene, const std::string& bin) {
    using namespace Vorna3D;
    DemoScene result;
    TiXmlDocument doc;
    const std::string file = bin + "Data/Demo/demo_scene.xml";
    if (!doc.LoadFile(file.c_str())) {
        result.error = "cannot read " + file;
        return result;
    }
    const TiXmlElement* root = doc.RootElement();
    const TiXmlElement* tree = root ? root->FirstChildElement("Tree") : nullptr;
    if (!tree) {
        result.error = "no Tree";
        return result;
    }
    const D3DXVECTOR3 mn = ReadVec3(tree, "Min"), mx = ReadVec3(tree, "Max");
    const char* name = tree->Attribute("Name");
    if (!scene.CreateSceneTree(name ? name : "Demo", &mn, &mx, false, ReadFloat(tree, "NodeSize", 50.0f))) {
        result.error = "CreateSceneTree failed";
        return result;
    }
    const int treeIndex = static_cast<int>(scene.m_vSceneTrees.size()) - 1;
    scene.SetActiveSceneTree(treeIndex);

    if (const TiXmlElement* cam = root->FirstChildElement("Camera")) {
        auto* main = scene.m_pCameraManager
                         ? dynamic_cast<CDX9KelGlobalCamera*>(scene.m_pCameraManager->m_pActiveCamera)
                         : nullptr;
        if (main) {
            const D3DXVECTOR3 t = ReadVec3(cam, "Target");
            main->SetTarget3D(t.x, t.y, t.z);
            main->SetDistance(ReadFloat(cam, "Distance", 20.0f));
            main->SetAngles(ReadFloat(cam, "Pitch", 0.5f), ReadFloat(cam, "Yaw", 0.0f));
            main->UpdateFrustum();
        }
    }
    if (const TiXmlElement* light = root->FirstChildElement("Light")) {
        if (CDX9KelLight* l = scene.m_pLightManager ? scene.m_pLightManager->GetFirstLight() : nullptr) {
            l->m_vDirection = ReadVec3(light, "Direction", l->m_vDirection);
            l->m_bChanged = true;
        }
    }
    CDX9KelGraphicsResManager* grm = scene.GetGraphicsResManager();
    if (!grm) {
        result.error = "no graphics resource manager";
        return result;
    }
    const std::string models = bin + "Data/Models/", textures = bin + "Data/Textures/",
                      effects = bin + "Data/Effects/";
    for (const TiXmlElement* o = root->FirstChildElement("Object"); o; o = o->NextSiblingElement("Object")) {
        const char* modelFile = o->Attribute("Model");
        const char* effectFile = o->Attribute("Effect");
        if (!modelFile) continue;
        CDX9KelModel* model = grm->CreateModelFromFile(models.c_str(), modelFile, effectFile ? effects.c_str() : "",
                                                       effectFile ? effectFile : "");
        if (!model) {
            result.error = std::string("cannot load ") + modelFile;
            return result;
        }
        ++result.models;
        if (const char* tex = o->Attribute("Texture")) {
            const char* nrm = o->Attribute("Normal");
            model->AddTextureGroup("Default", textures.c_str(), tex, nrm ? textures.c_str() : "", nrm ? nrm : "", "",
                                   "", "", "");
        }
        int animated = 0;
        o->QueryIntAttribute("Animated", &animated);
        if (animated && model->m_pAnimController) model->m_bPause = false;
        int passes[5] = {1, 1, 1, 1, 1};
        if (const char* p = o->Attribute("Passes"))
            std::sscanf(p, "%d %d %d %d %d", &passes[0], &passes[1], &passes[2], &passes[3], &passes[4]);
        for (int i = 0; i < 5; ++i) model->m_bPasses[i] = passes[i] != 0;

        auto* obj = new CDX9KelSceneObject();
        D3DXMATRIX local;
        D3DXMatrixIdentity(&local);
        obj->AddSceneUnit(model, &local, 0);
        D3DXMATRIX rot, move, world;
        const D3DXVECTOR3 pos = ReadVec3(o, "Position");
        D3DXMatrixRotationY(&rot, ReadFloat(o, "Yaw", 0.0f));
        D3DXMatrixTranslation(&move, pos.x, pos.y, pos.z);
        world = rot * move;
        obj->m_strName = modelFile;
        obj->SetTransform(&world);
        obj->UpdateBoundingRadius();
        if (!scene.AddSceneObjectInActiveTree(obj)) {
            obj->DetachUnits();
            delete obj;
            result.error = std::string("cannot file ") + modelFile;
            return result;
        }
        ++result.objects;
    }
    return result;
}

} // namespace VornaDemo
