// Battle map files on arbitrary bytes: the whole map read into a battle
// map, then every player and director element read on its own (so they are
// reached even when the map's base is refused). The map never holds more
// than its two players, a director always drives a listed player, and
// everything is given back before the next input.
#include "FuzzGameIO.h"

#include "engine3/core/SafeXml.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"

#include <algorithm>

using namespace SeaBattle;

namespace {

CVR3GAMEBattleMap& Map() {
    static CVR3GAMEBattleMap* map = [] {
        auto* m = new CVR3GAMEBattleMap();
        if (!m->Init(VornaFuzz::World().scene)) std::abort();
        VornaFuzz::World().io.m_pBattleMap = m;
        return m;
    }();
    return *map;
}

void Check(const CVR3GAMEBattleMap& map) {
    if (map.GetPlayers().size() > CVR3GAMEBattleMap::kMaxPlayers) std::abort();
    for (const CVR3GAMEBattleMapPlayerDirector* d : map.GetDirectors()) {
        if (!d || !d->m_pPlayer || d->m_pPlayer->m_pDirector != d) std::abort();
        const auto& players = map.GetPlayers();
        if (std::find(players.begin(), players.end(), d->m_pPlayer) == players.end()) std::abort();
    }
}

// Columns go first (they tell their ships), then the ships through the IO,
// so no hull stays in a tree; then the map empties itself.
void Empty(VornaFuzz::FuzzWorld& w, CVR3GAMEBattleMap& map) {
    for (CVR3GAMEBattleMapPlayer* p : map.GetPlayers()) {
        for (CVR3GAMEBattleMapShipsColumn*& c : p->m_stdvColumns) {
            delete c;
            c = nullptr;
        }
        for (CVR3GAMEBattleMapShip*& s : p->m_stdvShips) {
            w.io.DeleteBattleShip(s);
            s = nullptr;
        }
        p->m_stdvBattleShips.clear();
    }
    map.Clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    CVR3GAMEBattleMap& map = Map();
    const size_t trees = w.scene->m_vSceneTrees.size();
    TiXmlDocument doc;
    if (!Vorna3D::ParseXmlText(std::string(reinterpret_cast<const char*>(data), size), doc)) return 0;
    w.io.LoadBattleMapFromXML(doc, false, nullptr);
    Check(map);
    w.scene->SetActiveSceneTree(0);
    if (const TiXmlElement* root = doc.RootElement()) {
        for (const VR3ListEntry& e : VR3ListEntries(root->FirstChildElement("Players"))) {
            CVR3GAMEBattleMapPlayer* p = w.io.CreateBattleMapPlayerFromXML(e.element);
            if (p && !map.AddPlayer(p)) {
                for (CVR3GAMEBattleMapShip*& s : p->m_stdvShips) {
                    w.io.DeleteBattleShip(s);
                    s = nullptr;
                }
                delete p;
            }
            w.io.LoadBattleMapPlayerFromXML(e.element);
        }
        for (const VR3ListEntry& e : VR3ListEntries(root->FirstChildElement("Directors"))) {
            w.io.CreateBattleMapPlayerDirectorComputer(e.element);
            w.io.CreateBattleMapPlayerDirectorHuman(e.element);
        }
        Check(map);
        map.InitDirectorsBehaviours();
    }
    Empty(w, map);
    // Trees the map made go with it (their slots too, so runs do not pile up).
    for (size_t i = trees; i < w.scene->m_vSceneTrees.size(); ++i) w.scene->DeleteSceneTree(static_cast<int>(i));
    w.scene->m_vSceneTrees.resize(trees);
    w.scene->SetActiveSceneTree(0);
    return 0;
}
