// Scenario and harbour map files on arbitrary bytes: the whole scenario read
// (common part, then the begin part), then its harbour players and directors
// read on their own (so they are reached even when the screens the file
// names are unknown), then the input read as a harbour map. The harbour map
// never holds more than two players, a director always acts for a listed
// player, and everything is given back before the next input.
#include "FuzzGameIO.h"

#include "engine3/core/SafeXml.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEScenario.h"

#include <algorithm>
#include <cstdlib>

using namespace SeaBattle;

namespace {

struct ScenarioWorld {
    CVR3GAMEBattleMap battle;
    CVR3GAMEHarbourMap harbour;
    CVR3GAMEScenario scenario;
};

ScenarioWorld& Game() {
    static ScenarioWorld* game = [] {
        auto* g = new ScenarioWorld();
        VornaFuzz::FuzzWorld& w = VornaFuzz::World();
        if (!g->battle.Init(w.scene)) std::abort();
        g->harbour.m_pScene = w.scene;
        g->harbour.m_pGameIO = &w.io;
        g->harbour.m_pScenario = &g->scenario;
        w.io.m_pBattleMap = &g->battle;
        w.io.m_pHarbourMap = &g->harbour;
        w.io.m_pScenario = &g->scenario;
        return g;
    }();
    return *game;
}

void Check(const CVR3GAMEHarbourMap& map) {
    if (map.m_stdvPlayers.size() > CVR3GAMEHarbourMap::kMaxPlayers) std::abort();
    for (const CVR3GAMEHarbourMapPlayerDirector* d : map.m_stdvDirectors) {
        if (!d || !d->m_pPlayer || d->m_pPlayer->m_pDirector != d) std::abort();
        if (std::find(map.m_stdvPlayers.begin(), map.m_stdvPlayers.end(), d->m_pPlayer) == map.m_stdvPlayers.end())
            std::abort();
    }
    for (const CVR3GAMEHarbourMapPlayer* p : map.m_stdvPlayers)
        for (size_t i = 0; i < p->m_stdvHarbourShips.size(); ++i)
            if (p->m_stdvHarbourShips[i]->m_iPlayerIndex != static_cast<int32_t>(i)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    ScenarioWorld& g = Game();
    const size_t trees = w.scene->m_vSceneTrees.size();
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(std::string(reinterpret_cast<const char*>(data), size), doc)) return 0;
    // A scheme index the input cannot choose: new, or kept from a save.
    g.scenario.m_iFleetScheme = size % 3 == 0 ? -1 : static_cast<int32_t>(size % 7) - 1;
    if (w.io.LoadCommonScenarioDataFromXML(doc)) w.io.BeginScenarioFromXML(doc);
    Check(g.harbour);
    const TiXmlElement* root = doc.RootElement();
    const TiXmlElement* harbour = root ? root->FirstChildElement("Harbour") : nullptr;
    if (harbour) {
        w.io.ClearGameWorld();
        for (const VR3ListEntry& e : VR3ListEntries(harbour->FirstChildElement("Players")))
            if (e.element) w.io.CreateHarbourPlayerFromScenarioXML(e.element);
        for (const VR3ListEntry& e : VR3ListEntries(harbour->FirstChildElement("Directors"))) {
            if (!e.element) continue;
            w.io.CreateHarbourPlayerDirectorHumanFromScenarioXML(e.element);
            w.io.CreateHarbourPlayerDirectorComputerFromScenarioXML(e.element);
        }
        Check(g.harbour);
        w.io.BeginScenarioHarbourFromXML(harbour);
        Check(g.harbour);
        w.io.LoadHarbourMapFromXML(doc, nullptr);
        Check(g.harbour);
        g.harbour.PrepareDataForBattleMap();
        Check(g.harbour);
    }
    w.io.ClearGameWorld();
    // Trees the maps made go with them (their slots too, so runs do not pile up).
    for (size_t i = trees; i < w.scene->m_vSceneTrees.size(); ++i) w.scene->DeleteSceneTree(static_cast<int>(i));
    w.scene->m_vSceneTrees.resize(trees);
    w.scene->SetActiveSceneTree(0);
    return 0;
}
