// The ship-aspect readers on arbitrary bytes, one reader per build of this
// file (FUZZ_ASPECT picks it). Whatever the input, a made aspect is whole
// and giving it up leaves the scene object and the managers as they were.
#include "FuzzGameIO.h"

#include "engine3/core/resources/CDX9KelGraphicResources.h"
#include "engine3/core/resources/CDX9KelGraphicsResManager.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "seabattle/battle/BattleProcessingState.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"

#include <memory>

using namespace SeaBattle;

namespace {

[[maybe_unused]] size_t Units(const Vorna3D::CDX9KelSceneObject* o) {
    size_t n = 0;
    for (const auto& lod : o->m_vLODs)
        for (const auto* u : lod.m_vUnits) n += u != nullptr;
    return n;
}

[[maybe_unused]] void CheckArtillery(const CArtilleryPart* p, int depth) {
    if (depth > 64) std::abort();
    for (const CArtilleryPart* c : p->m_vChildren) {
        if (!c || !c->GetGun()) std::abort();
        CheckArtillery(c, depth + 1);
    }
}

// The ship the animated and artillery readers are matched with, made once.
struct FixedShip {
    Vorna3D::CDX9KelSceneObject* object = nullptr;
    CVR3GAMEAnimatedShip* animated = nullptr;
    CVR3GAMEBattleSystemShip* battle = nullptr;
};

FixedShip& Fixed() {
    static FixedShip f = [] {
        FixedShip s;
        CVR3GAMEIO& io = VornaFuzz::World().io;
        s.object = io.CreateSceneObjectFromFile("ship.scobjxml");
        s.animated = io.CreateAnimatedShipFromFile("ship.anmobjxml", s.object, false);
        s.battle = io.CreateBattleSystemShip("ship.btlobjxml");
        if (!s.object || !s.animated || !s.battle) std::abort();
        return s;
    }();
    return f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    VornaFuzz::FuzzWorld& w = VornaFuzz::World();
    CVR3GAMEIO& io = w.io;
    FixedShip& fixed = Fixed();
    const size_t models = VornaFuzz::Held(w.scene->GetGraphicsResManager()->m_pModelManager);
#if FUZZ_ASPECT == 1
    VornaFuzz::PutInput("f.movobjxml", data, size);
    std::unique_ptr<CVR3GAMEMovementShip> ship(io.CreateMovementShipFromFile("f.movobjxml"));
#elif FUZZ_ASPECT == 2
    Vorna3D::CDX9KelSceneObject* object = fixed.object;
    const size_t units = Units(object);
    VornaFuzz::PutInput("f.anmobjxml", data, size);
    if (CVR3GAMEAnimatedShip* ship = io.CreateAnimatedShipFromFile("f.anmobjxml", object, false)) {
        for (CVR3GAMEAnimatedPart* p : ship->m_vPlatformParts)
            if (!p) std::abort();
        io.DeleteAnimatedShip(ship);
    }
    // The levels may have grown; their units must all be given back.
    if (Units(object) != units) std::abort();
#elif FUZZ_ASPECT == 3
    VornaFuzz::PutInput("f.btlobjxml", data, size);
    std::unique_ptr<CVR3GAMEBattleSystemShip> ship(io.CreateBattleSystemShip("f.btlobjxml"));
    if (ship) {
        ship->Init();
        ship->InitFloodingFactors();
    }
#elif FUZZ_ASPECT == 4
    VornaFuzz::PutInput("f.artlstxml", data, size);
    io.LoadBattleArtilleryList("f.artlstxml");
    for (const CBattleArtilleryType& t : BattleProcessingState::Get().ArtilleryTypes)
        if (t.Tag[CBattleArtilleryType::kTagSize - 1] || t.Name[CBattleArtilleryType::kNameSize - 1]) std::abort();
    io.LoadBattleArtilleryList("guns.artlstxml");
#elif FUZZ_ASPECT == 5
    CVR3GAMEAnimatedShip* animated = fixed.animated;
    CVR3GAMEBattleSystemShip* battle = fixed.battle;
    VornaFuzz::PutInput("f.artobjxml", data, size);
    std::unique_ptr<CVR3GAMEArtilleryShip> ship(io.CreateArtilleryShip("f.artobjxml", battle, animated));
    if (ship) {
        if (ship->m_vParts.size() != battle->Parts.size()) std::abort();
        for (const CArtilleryPart* p : ship->m_vParts) CheckArtillery(p, 0);
    }
#elif FUZZ_ASPECT == 6
    VornaFuzz::PutInput("f.infobjxml", data, size);
    std::unique_ptr<CVR3GAMEInformationShip> info(io.CreateInformationShip("f.infobjxml"));
    if (info) {
        const long long price = static_cast<long long>(atoll(info->Displacement.c_str())) *
                                static_cast<long long>(static_cast<uint32_t>(info->DisplUnitCost));
        if (price > 2147483647LL && atoll(info->Displacement.c_str()) < 2147483647LL) std::abort();
    }
#endif
    if (VornaFuzz::Held(w.scene->GetGraphicsResManager()->m_pModelManager) != models) std::abort();
    (void)fixed;
    return 0;
}
