// Duel files on arbitrary bytes: the whole duel read into the game's duel
// (over a screen manager that knows the screens the seed names). A duel
// that fails leaves no player behind; every director is linked both ways
// with its player and its shop holds only records; the duel is emptied
// before the next input.
#include "FuzzGameIO.h"

#include "engine3/core/SafeXml.h"
#include "engine3/ui/screens/CVR3CIIScreen.h"
#include "engine3/ui/screens/CVR3CIIScreenManager.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"

using namespace SeaBattle;

namespace {

struct DuelWorld {
    CVR3GAMEBattleMap map;
    CVR3GAMEDuel duel;
    Vorna3D::CVR3CIIScreenManager screens;
};

DuelWorld& Duel() {
    static DuelWorld* world = [] {
        VornaFuzz::FuzzWorld& w = VornaFuzz::World();
        auto* d = new DuelWorld();
        if (!d->map.Init(w.scene)) std::abort();
        for (const char* name : {"battle", "duel", "player_a", "player_b"}) {
            auto* screen = new Vorna3D::CVR3CIIScreen();
            screen->m_strName = name;
            d->screens.m_stdvScreens.push_back(screen);
        }
        w.scene->m_pManagers[Vorna3D::KEL_SCENE_SCREEN_MANAGER] = &d->screens;
        w.io.m_pBattleMap = &d->map;
        w.io.m_pDuel = &d->duel;
        return d;
    }();
    return *world;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    DuelWorld& d = Duel();
    VornaFuzz::PutInput("fuzz.duelxml", data, size);
    const bool ok = w.io.LoadDuelFromFile("fuzz.duelxml");
    if (!ok && (!d.duel.m_stdvPlayers.empty() || !d.duel.m_stdvDirectors.empty())) std::abort();
    if (d.duel.m_stdvDirectors.size() != d.duel.m_stdvPlayers.size()) std::abort();
    for (const CVR3GAMEDuelPlayerDirector* director : d.duel.m_stdvDirectors) {
        if (!director->m_pPlayer || director->m_pPlayer->m_pDirector != director) std::abort();
        if (director->m_dwMoney != director->m_dwStartMoney) std::abort();
        for (const CVR3GAMEDuelShipType* t : director->m_stdvShipTypes)
            if (!t || !t->m_pInfo) std::abort();
    }
    d.duel.GetScore();
    d.duel.Clear();
    d.map.Clear();
    return 0;
}
