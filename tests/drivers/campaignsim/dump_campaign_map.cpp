// The campaign map section: the map, its turn and player side, every unit
// with its place and damage, the columns, and the hash of the save body the
// map would write now (every field a save holds), for comparing runs.
#include "Registry.h"
#include "SimEngine.h"

#include "campaign/map/CDX9KelGameMap.h"
#include "campaign/shell/CScene.h"
#include "campaign/save/CDX9KelGameSaver.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

float Damage(const VornaCampaign::GameObjectRecord* o) {
    if (!o || !o->m_pBattleData) return 0.0f;
    float sum = 0.0f;
    for (const auto* list : {&o->m_pBattleData->m_stdvMGTowers, &o->m_pBattleData->m_stdvDesignParts,
                             &o->m_pBattleData->m_stdvPipes})
        for (const VornaCampaign::PartRecord& p : *list) sum += p.m_fDamage;
    return sum;
}

} // namespace

CAMPAIGNSIM_DUMP(campaign_map, 70) {
    const auto* scene = dynamic_cast<const VornaCampaign::CScene*>(engine.m_pScene);
    const VornaCampaign::CDX9KelGameMap* map = scene ? scene->m_pGameMap : nullptr;
    if (!map || !map->IsMapLoaded()) {
        out += "none\n";
        return;
    }
    char line[256];
    std::snprintf(line, sizeof line, "map \"%s\" turn %u player side %d active %d\n", map->m_szMapName,
                  map->m_Turn.m_uRound, map->m_iPlayerSide, map->m_Turn.m_iActivePlayerObject);
    out += line;
    for (int side = 1; side <= 2; ++side) {
        const VornaCampaign::GameMapSide& s = map->Side(side);
        for (std::size_t i = 0; i < s.m_GameObjects.size(); ++i) {
            const VornaCampaign::GameObjectRecord* o = s.m_GameObjects[i];
            const Vorna2::CDX9KelSceneObject* so = i < s.m_SceneObjects.size() ? s.m_SceneObjects[i] : nullptr;
            std::snprintf(line, sizeof line, "side %d unit \"%s\" at %.2f %.2f heading %.3f damage %.2f alive %d\n",
                          side, o ? o->m_Unit.m_szName : "?", so ? static_cast<double>(so->m_mWorld._41) : 0.0,
                          so ? static_cast<double>(so->m_mWorld._43) : 0.0,
                          so ? std::atan2(static_cast<double>(so->m_mWorld._31), static_cast<double>(so->m_mWorld._33))
                             : 0.0,
                          static_cast<double>(Damage(o)), o && o->m_pBattleData ? o->m_pBattleData->m_bAlive : 1);
            out += line;
        }
    }
    for (std::size_t i = 0; i < map->m_NoSideGameObjects.size(); ++i) {
        std::snprintf(line, sizeof line, "no side unit \"%s\"\n", map->m_NoSideGameObjects[i]->m_Unit.m_szName);
        out += line;
    }
    // The save body as the saver would stage and write it now.
    VornaCampaign::GameSaveData* data = VornaCampaign::g_GameSaver.GetSaveData();
    if (data && VornaCampaign::g_GameSaver.PrepareSaveData()) {
        VornaCampaign::GameSaveHeader header;
        const std::string bytes = VornaCampaign::WriteSaveBytes(header, *data);
        std::snprintf(line, sizeof line, "save body %016llx\n",
                      static_cast<unsigned long long>(CampaignSim::Hash64(bytes.substr(VornaCampaign::kSaveHeaderBytes))));
        out += line;
        for (int side = 0; side < 2; ++side)
            for (const VornaCampaign::MapColumnRecord& c : data->m_stdvColumns[side]) {
                out += "column side " + std::to_string(side + 1) + ":";
                for (const std::string& n : c.m_stdvShipNames) out += " \"" + n + "\"";
                out += "\n";
            }
    }
}
