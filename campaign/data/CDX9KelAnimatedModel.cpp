#include "campaign/data/CDX9KelAnimatedModel.h"

#include "campaign/data/DataFiles.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/XMLValues.h"
#include "engine2/core/resources/CDX9KelModel.h"

#include <tinyxml.h>

namespace VornaCampaign {

using Vorna2::g_Log;
using Vorna2::LOG_ERROR;

namespace {

D3DXMATRIX Identity() {
    D3DXMATRIX m;
    D3DXMatrixIdentity(&m);
    return m;
}

// Rows Right, (0, 1, 0, 0), Direction, (0, 0, 0, 1); a missing vector keeps
// the identity's row, so the part stays as the model has it.
D3DXMATRIX Orientation(const TiXmlElement* direction, const TiXmlElement* right) {
    D3DXMATRIX m = Identity();
    if (right) {
        const D3DXVECTOR3 r = Vorna2::ReadXMLVector3(right);
        m._11 = r.x;
        m._12 = r.y;
        m._13 = r.z;
    }
    if (direction) {
        const D3DXVECTOR3 d = Vorna2::ReadXMLVector3(direction);
        m._31 = d.x;
        m._32 = d.y;
        m._33 = d.z;
    }
    return m;
}

Vorna2::CDX9KelBoundsRecord* FindFrame(Vorna2::CDX9KelModel* model, const char* name) {
    Vorna2::CDX9KelBoundsRecord* record = nullptr;
    if (!model || !model->m_pFrameRoot) return nullptr;
    if (!Vorna2::CDX9KelModel::FindFrameByName(name, model->m_pFrameRoot, model->m_pBounds, nullptr, &record))
        return nullptr;
    return record;
}

// One tower or part; false when one of its guns has no frame in the model
// or lacks a vector, or there are too many guns.
bool FillFrame(Vorna2::CDX9KelModel* model, const TiXmlElement* e, AnimatedFrame& out) {
    out.m_pFrame = FindFrame(model, e->Value());
    out.m_mInitial = out.m_pFrame ? out.m_pFrame->m_mLocal : Identity();
    out.m_mOrientation = Orientation(e->FirstChildElement("Direction"), e->FirstChildElement("Right"));
    const TiXmlElement* guns = e->FirstChildElement("Guns");
    if (!guns) return true;
    for (const TiXmlElement* g = guns->FirstChildElement(); g; g = g->NextSiblingElement()) {
        if (out.m_stdvGuns.size() >= CDX9KelAnimatedModel::kMaxGunsPerFrame) return false;
        AnimatedGunFrame gun;
        gun.m_pFrame = FindFrame(model, g->Value());
        const TiXmlElement* direction = g->FirstChildElement("Direction");
        const TiXmlElement* right = g->FirstChildElement("Right");
        if (!gun.m_pFrame || !direction || !right) return false;
        gun.m_mInitial = gun.m_pFrame->m_mLocal;
        gun.m_mOrientation = Orientation(direction, right);
        out.m_stdvGuns.push_back(gun);
    }
    return true;
}

// Every child element of `list` as a frame entry; false when the file holds
// more than the cap.
bool FillList(Vorna2::CDX9KelModel* model, const TiXmlElement* list, std::vector<AnimatedFrame>& out,
              const char* path) {
    if (!list) return true;
    for (const TiXmlElement* e = list->FirstChildElement(); e; e = e->NextSiblingElement()) {
        if (out.size() >= CDX9KelAnimatedModel::kMaxFrames) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelAnimatedModel::CreateAnimatedModel : more than %zu in %s in file : %s\n",
                        CDX9KelAnimatedModel::kMaxFrames, list->Value(), path);
            return false;
        }
        AnimatedFrame frame;
        if (!FillFrame(model, e, frame)) {
            g_Log.Write(LOG_ERROR, "Error : CDX9KelAnimatedModel::CreateAnimatedModel : xml node not read : %s in file : %s\n",
                        e->Value(), path);
            continue;
        }
        out.push_back(std::move(frame));
    }
    return true;
}

} // namespace

bool CDX9KelAnimatedModel::CreateAnimatedModel(Vorna2::CDX9KelModel* model, CDX9KelAnimatedModel* animated,
                                               const char* path) {
    if (!path || !animated) return false;
    TiXmlDocument doc;
    if (!LoadXmlFile(path, doc)) {
        g_Log.Write(LOG_ERROR, "Error : CDX9KelAnimatedModel::CreateAnimatedModel : xml file not read : %s\n", path);
        return false;
    }
    return CreateAnimatedModelFromDocument(model, animated, doc, path);
}

bool CDX9KelAnimatedModel::CreateAnimatedModelFromDocument(Vorna2::CDX9KelModel* model, CDX9KelAnimatedModel* animated,
                                                           const TiXmlDocument& doc, const char* path) {
    if (!path || !animated) return false;
    const TiXmlElement* main = doc.FirstChildElement("Main");
    if (!main) return false;
    std::vector<AnimatedFrame> towers, design;
    if (!FillList(model, main->FirstChildElement("MGTowers"), towers, path) ||
        !FillList(model, main->FirstChildElement("Design"), design, path))
        return false;
    for (AnimatedFrame& f : towers) animated->m_stdvTowers.push_back(std::move(f));
    for (AnimatedFrame& f : design) animated->m_stdvDesign.push_back(std::move(f));
    return true;
}

std::string CDX9KelAnimatedModel::FileNameFor(const char* modelFile) {
    std::string stem;
    Vorna2::CDX9KelUtils::GetFileNameWithoutExtension(stem, modelFile);
    if (stem.empty() && modelFile) stem = modelFile;
    return stem + ".amd";
}

bool GetGroupParts(const GameObjectRecord* object, int group, CDX9KelAnimatedModel* animated, PartRecord** part,
                   AnimatedFrame** frame) {
    if (part) *part = nullptr;
    if (frame) *frame = nullptr;
    if (!object || !object->m_pBattleData || !animated || group < 0 || group > 7) return false;
    std::vector<PartRecord>& parts =
        group < 2 ? object->m_pBattleData->m_stdvMGTowers : object->m_pBattleData->m_stdvDesignParts;
    std::vector<AnimatedFrame>& frames = group < 2 ? animated->m_stdvTowers : animated->m_stdvDesign;
    const std::size_t index = group < 2 ? static_cast<std::size_t>(group) : static_cast<std::size_t>(group - 2);
    if (parts.size() != frames.size() || index >= parts.size()) return false;
    if (part) *part = &parts[index];
    if (frame) *frame = &frames[index];
    return true;
}

} // namespace VornaCampaign
