// Scenario and duel saves between the running game and the save image: the
// writers gather every block from the game, the file is written whole under
// a temporary name and renamed over the save; the first load call reads and
// checks the whole file before anything of the running game changes, the
// second applies it.
#include <tinyxml.h>

#include <algorithm>
#include <cstring>

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/CDX9KelScene.h"
#include "engine3/core/CDX9KelUtils.h"
#include "engine3/core/SafeXml.h"
#include "engine3/core/XMLReaders.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"
#include "platform/os/Paths.h"
#include "seabattle/battle/CVR3GAMEAnimatedShip.h"
#include "seabattle/battle/CVR3GAMEArtilleryShip.h"
#include "seabattle/battle/CVR3GAMEBattleMap.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayer.h"
#include "seabattle/battle/CVR3GAMEBattleMapPlayerDirector.h"
#include "seabattle/battle/CVR3GAMEBattleMapShip.h"
#include "seabattle/battle/CVR3GAMEBattleMapShipsColumn.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBaseBehaviour.h"
#include "seabattle/battle/CVR3GAMEComputerPlayerBehaviourOne.h"
#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/game/CVR3GAMEBaseMap.h"
#include "seabattle/game/CVR3GAMEDuel.h"
#include "seabattle/game/CVR3GAMEHarbourMap.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayer.h"
#include "seabattle/game/CVR3GAMEHarbourMapPlayerDirectorHuman.h"
#include "seabattle/game/CVR3GAMEIO.h"
#include "seabattle/game/CVR3GAMEInformationShip.h"
#include "seabattle/game/CVR3GAMESaveImage.h"
#include "seabattle/game/CVR3GAMEScenario.h"
#include "seabattle/game/CVR3GAMEShipType.h"

using namespace Vorna3D;

namespace SeaBattle {

namespace {

constexpr uint32_t kNone = 0xFFFFFFFFu;

uint32_t FloatWord(float v) {
    uint32_t u;
    std::memcpy(&u, &v, 4);
    return u;
}
float WordFloat(uint32_t u) {
    float v;
    std::memcpy(&v, &u, 4);
    return v;
}

std::string SaveTime() {
    char buffer[64] = {};
    CDX9KelUtils::GetDateTimeString(buffer);
    return buffer;
}

std::string EnvironmentName(const CVR3GAMEBaseMap& map) {
    return map.m_pEnvironment ? map.m_pEnvironment->m_strName : std::string();
}

CVR3GAMEHarbourMapPlayerDirectorHuman* HarbourHuman(CVR3GAMEHarbourMap* map, const std::string& name) {
    CVR3GAMEHarbourMapPlayerDirector* d = map ? map->GetDirector(name.c_str()) : nullptr;
    return d && d->m_iKind == 0 ? dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorHuman*>(d) : nullptr;
}

CVR3GAMEHarbourMapPlayerDirectorComputer* HarbourComputer(CVR3GAMEHarbourMap* map, const std::string& name) {
    CVR3GAMEHarbourMapPlayerDirector* d = map ? map->GetDirector(name.c_str()) : nullptr;
    return d && d->m_iKind == 1 ? dynamic_cast<CVR3GAMEHarbourMapPlayerDirectorComputer*>(d) : nullptr;
}

CVR3GAMEComputerPlayerBaseBehaviour* BehaviourOf(CVR3GAMEBattleMapPlayerDirector* d) {
    if (d->IsHuman()) return static_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(d)->m_pCurrentBehaviour;
    return static_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(d)->m_pBehaviour;
}

CVR3GAMEBattleMapPlayerDirectorComputer* BattleComputer(CVR3GAMEBattleMap* map, const std::string& name) {
    CVR3GAMEBattleMapPlayerDirector* d = map ? map->GetPlayerDirector(&name) : nullptr;
    return d && !d->IsHuman() ? static_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(d) : nullptr;
}

int ColumnNumber(const CVR3GAMEBattleMapPlayer* player, const CVR3GAMEBattleMapShipsColumn* column) {
    const auto& list = player->m_stdvColumns;
    const auto it = std::find(list.begin(), list.end(), column);
    return it == list.end() ? static_cast<int>(list.size()) : static_cast<int>(it - list.begin());
}

SVR3SaveBehaviourRecord RecordOf(const CVR3GAMEBattleMapPlayer* player, const BehaviourColumnRecord* r) {
    SVR3SaveBehaviourRecord out;
    out.Empty = !r->m_pColumn || r->m_pColumn->m_stdvBattleShips.empty() ? 1 : 0;
    if (out.Empty) return out;
    out.Column = static_cast<uint32_t>(ColumnNumber(player, r->m_pColumn));
    out.Strength = r->m_fStrength;
    out.Kind = static_cast<uint32_t>(r->m_iKind);
    return out;
}

bool WriteRecords(const CVR3GAMEBattleMapPlayer* player, const std::vector<BehaviourColumnRecord*>& list,
                  std::vector<SVR3SaveBehaviourRecord>& out) {
    for (const BehaviourColumnRecord* r : list) {
        if (!r) return false;
        out.push_back(RecordOf(player, r));
    }
    return true;
}

// The saved records replace the behaviour's lists: every record goes back
// to the pool first, then each saved one takes a record from it. A column
// number past the player's list leaves the record unlinked.
void ReadRecords(CVR3GAMEComputerPlayerBaseBehaviour* b, const CVR3GAMEBattleMapPlayer* player,
                 const SVR3SaveBattleSide& side) {
    for (auto* list : {&b->m_stdvColumns, &b->m_stdvWithdrawnColumns}) {
        for (BehaviourColumnRecord* r : *list)
            if (r) b->m_stdvFreeColumns.push_back(r);
        list->clear();
    }
    const auto take = [&](const SVR3SaveBehaviourRecord& saved) {
        BehaviourColumnRecord* r = b->GetFreeIntellColumn();
        if (!saved.Empty) {
            r->m_iKind = static_cast<int32_t>(saved.Kind);
            r->m_fStrength = saved.Strength;
            r->m_pColumn = saved.Column < player->m_stdvColumns.size() ? player->m_stdvColumns[saved.Column] : nullptr;
        }
        return r;
    };
    for (const auto& saved : side.Records) b->m_stdvColumns.push_back(take(saved));
    for (const auto& saved : side.WithdrawnRecords) b->m_stdvWithdrawnColumns.push_back(take(saved));
}

} // namespace

// ---- ships ----

bool CVR3GAMEIO::WriteBattleMapShip(const CVR3GAMEBattleMapShip* pShip, SVR3SaveShip& out) {
    if (!pShip || !pShip->m_pSceneObject || !pShip->m_pAnimatedShip || !pShip->m_pMovementShip ||
        !pShip->m_pBattleShip || !pShip->m_pArtilleryShip || !pShip->m_pInfoShip)
        return false;
    out.Files[SVR3SaveShip::FILE_SCENE] = pShip->m_pSceneObject->m_strName;
    out.Files[SVR3SaveShip::FILE_ANIMATED] = pShip->m_pAnimatedShip->m_strName;
    out.Files[SVR3SaveShip::FILE_MOVEMENT] = pShip->m_pMovementShip->m_strName;
    out.Files[SVR3SaveShip::FILE_BATTLE] = pShip->m_pBattleShip->Name;
    out.Files[SVR3SaveShip::FILE_ARTILLERY] = pShip->m_pArtilleryShip->m_strName;
    out.Files[SVR3SaveShip::FILE_INFO] = pShip->m_pInfoShip->m_strName;
    out.Name = pShip->m_strName;
    std::memcpy(out.World.data(), &pShip->m_pSceneObject->m_mWorld._11, sizeof(float) * 16);
    if (const CDX9KelPhysicalObjectShip* body = pShip->m_pPhysicalObject) {
        for (size_t i = 0; i < 5; ++i) {
            const CDX9KelPhysicalBody* b = i == 0 ? body->GetMainBody() : body->GetAuxBody(i - 1);
            if (!b) continue;
            out.Bodies[i] = {b->m_vVelocity.x, b->m_vVelocity.y, b->m_vVelocity.z, b->m_fExtraMass};
        }
    }
    const CVR3GAMEMovementShip& m = *pShip->m_pMovementShip;
    out.Movement = {m.m_fMaxForce,      m.m_fTargetForce,  m.m_fForce,        m.m_fForceRate,
                    m.m_fMaxSpeed,      m.m_fMinSpeed,     m.m_fSpeed,        m.m_fOrderedSpeed,
                    m.m_fMaxRudderAngle, m.m_fMaxRotAngle, m.m_fRudderAngle,  m.m_fOrderedRudderAngle,
                    m.m_fRudderRate,    m.m_fRouteSpeed,   m.m_fTurnLimit,    m.m_fHandRudderAngle};
    const CVR3GAMEBattleSystemShip& d = *pShip->m_pBattleShip;
    out.Gunpowder = d.Gunpowder;
    out.Damage = {d.CrewTraining,  d.CrewExperience, d.AboveWaterArea, d.Efficiency,   d.TotalFire,
                  d.ActiveHoles,   d.TotalWater,     d.TotalDamage,    d.DamagePercent, d.FirePercent,
                  d.WaterPercent,  d.Heel,           d.Trim,           d.ArmourRating, d.ArtilleryRating};
    using S = CVR3GAMEBattleSystemShip;
    const int counts[7] = {S::PORT_MAIN_CURRENT, S::STARBOARD_MAIN_CURRENT, S::PORT_OTHER_CURRENT,
                           S::STARBOARD_OTHER_CURRENT, S::PART6_CURRENT, S::PART7_CURRENT, S::PART8_CURRENT};
    for (size_t i = 0; i < 7; ++i) out.GunCounts[i] = d.GunCounts[counts[i]];
    const DWORD now = m_pBattleMap ? m_pBattleMap->m_GameTimer.m_dwGameTime : 0;
    for (const CBattleSystemShipPart* p : d.Parts) {
        if (!p) return false;
        SVR3SavePart part;
        part.Area = p->Area;
        part.Efficiency = p->Efficiency;
        part.DamageTaken = p->DamageTaken;
        part.Fire = p->Fire;
        part.Active = p->Active ? 1 : 0;
        part.Reloading = p->Reloading ? 1 : 0;
        part.Waterline = p->Waterline;
        part.Water = p->Water;
        for (const CBattleSystemShipGun& g : p->Guns) {
            SVR3SaveGun gun;
            gun.Shells = g.Shells;
            gun.CurrentRecharge = g.CurrentRecharge;
            gun.SinceLanding = g.LandingTime == 0 ? 0 : static_cast<uint32_t>(now - g.LandingTime);
            gun.DamageDealt = g.DamageDealt;
            gun.Active = g.Active ? 1 : 0;
            gun.Reloading = g.Reloading ? 1 : 0;
            part.Guns.push_back(gun);
        }
        for (const ShipHole& h : p->Holes) part.Holes.push_back({h.Height, h.Size, h.WaterFactor});
        out.Parts.push_back(std::move(part));
    }
    return true;
}

bool CVR3GAMEIO::WriteBattleMapShipsVector(const std::vector<CVR3GAMEBattleMapShip*>& ships,
                                           std::vector<SVR3SaveShip>& out, bool skipLost) {
    for (const CVR3GAMEBattleMapShip* s : ships) {
        if (s && skipLost && (s->m_bSunk || s->m_bSold)) continue;
        out.emplace_back();
        if (!WriteBattleMapShip(s, out.back())) {
            g_Log.Write(3, "CVR3GAMEIO::WriteBattleMapShipsVector() : failed WriteBattleMapShip() \n");
            return false;
        }
    }
    return true;
}

CVR3GAMEBattleMapShip* CVR3GAMEIO::ReadBattleMapShip(const SVR3SaveShip& saved, bool inBattle) {
    // The builder takes the files in the ship element's order.
    const std::string files[6] = {saved.Files[SVR3SaveShip::FILE_SCENE],     saved.Files[SVR3SaveShip::FILE_MOVEMENT],
                                  saved.Files[SVR3SaveShip::FILE_ANIMATED],  saved.Files[SVR3SaveShip::FILE_BATTLE],
                                  saved.Files[SVR3SaveShip::FILE_ARTILLERY], saved.Files[SVR3SaveShip::FILE_INFO]};
    D3DXMATRIX world;
    std::memcpy(&world._11, saved.World.data(), sizeof(float) * 16);
    CVR3GAMEBattleMapShip* ship = CreateBattleShipFromFiles(files, world, inBattle);
    if (!ship) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattleMapShip() : pBattleMapShip->Init() failed\n");
        return nullptr;
    }
    ship->m_strName = saved.Name;
    CVR3GAMEBattleSystemShip& d = *ship->m_pBattleShip;
    // The record must fit the ship its files make: the same parts and guns.
    bool fits = saved.Parts.size() == d.Parts.size();
    for (size_t i = 0; fits && i < d.Parts.size(); ++i)
        fits = d.Parts[i] && d.Parts[i]->Guns.size() == saved.Parts[i].Guns.size();
    if (!fits) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattleMapShip() : damage record does not fit the ship's files : %s\n",
                    saved.Name.c_str());
        DeleteBattleShip(ship);
        return nullptr;
    }
    if (CDX9KelPhysicalObjectShip* body = ship->m_pPhysicalObject) {
        for (size_t i = 0; i < 5; ++i) {
            CDX9KelPhysicalBody* b = i == 0 ? body->GetMainBody() : body->GetAuxBody(i - 1);
            if (!b) continue;
            b->m_vVelocity = D3DXVECTOR3(saved.Bodies[i][0], saved.Bodies[i][1], saved.Bodies[i][2]);
            b->m_vPrevVelocity = b->m_vVelocity;
            b->m_fExtraMass = saved.Bodies[i][3];
        }
    }
    CVR3GAMEMovementShip& m = *ship->m_pMovementShip;
    float* movement[16] = {&m.m_fMaxForce,       &m.m_fTargetForce,  &m.m_fForce,        &m.m_fForceRate,
                           &m.m_fMaxSpeed,       &m.m_fMinSpeed,     &m.m_fSpeed,        &m.m_fOrderedSpeed,
                           &m.m_fMaxRudderAngle, &m.m_fMaxRotAngle,  &m.m_fRudderAngle,  &m.m_fOrderedRudderAngle,
                           &m.m_fRudderRate,     &m.m_fRouteSpeed,   &m.m_fTurnLimit,    &m.m_fHandRudderAngle};
    for (size_t i = 0; i < 16; ++i) *movement[i] = saved.Movement[i];
    m.m_bForceResend = true;
    d.Gunpowder = saved.Gunpowder;
    float* damage[15] = {&d.CrewTraining, &d.CrewExperience, &d.AboveWaterArea, &d.Efficiency,   &d.TotalFire,
                         &d.ActiveHoles,  &d.TotalWater,     &d.TotalDamage,    &d.DamagePercent, &d.FirePercent,
                         &d.WaterPercent, &d.Heel,           &d.Trim,           &d.ArmourRating, &d.ArtilleryRating};
    for (size_t i = 0; i < 15; ++i) *damage[i] = saved.Damage[i];
    using S = CVR3GAMEBattleSystemShip;
    const int counts[7] = {S::PORT_MAIN_CURRENT, S::STARBOARD_MAIN_CURRENT, S::PORT_OTHER_CURRENT,
                           S::STARBOARD_OTHER_CURRENT, S::PART6_CURRENT, S::PART7_CURRENT, S::PART8_CURRENT};
    for (size_t i = 0; i < 7; ++i) d.GunCounts[counts[i]] = saved.GunCounts[i];
    const DWORD now = m_pBattleMap ? m_pBattleMap->m_GameTimer.m_dwGameTime : 0;
    for (size_t i = 0; i < d.Parts.size(); ++i) {
        CBattleSystemShipPart& p = *d.Parts[i];
        const SVR3SavePart& sp = saved.Parts[i];
        p.Area = sp.Area;
        p.Efficiency = sp.Efficiency;
        p.DamageTaken = sp.DamageTaken;
        p.Fire = sp.Fire;
        p.Active = sp.Active != 0;
        p.Reloading = sp.Reloading != 0;
        p.Waterline = sp.Waterline;
        p.Water = sp.Water;
        for (size_t k = 0; k < p.Guns.size(); ++k) {
            CBattleSystemShipGun& g = p.Guns[k];
            const SVR3SaveGun& sg = sp.Guns[k];
            g.Shells = sg.Shells;
            g.CurrentRecharge = sg.CurrentRecharge;
            g.DamageDealt = sg.DamageDealt;
            g.Active = sg.Active != 0;
            g.Reloading = sg.Reloading != 0;
            // A gun reloads once its shot has landed. The shot queue is not
            // saved: a gun that was reloading finishes its reload, counted
            // from its landing or, for a shell still in flight, from now.
            g.ShotLanded = g.Reloading;
            g.LandingTime = sg.SinceLanding != 0 ? now - sg.SinceLanding : (g.Reloading ? now : 0);
        }
        p.Holes.clear();
        for (const auto& h : sp.Holes) p.Holes.push_back(ShipHole{h[0], h[1], h[2]});
    }
    d.DamageStateValid = false;
    if (ship->m_pAnimatedShip) ship->m_pAnimatedShip->UpdateDamageLevel(d.DamagePercent);
    return ship;
}

bool CVR3GAMEIO::ReadBattleMapShipsVector(const std::vector<SVR3SaveShip>& ships, bool inBattle,
                                          std::vector<CVR3GAMEBattleMapShip*>& out) {
    for (const SVR3SaveShip& saved : ships) {
        CVR3GAMEBattleMapShip* ship = ReadBattleMapShip(saved, inBattle);
        if (!ship) {
            g_Log.Write(3, "CVR3GAMEIO::ReadBattleMapShipsVector() : failed ReadBattleMapShip() \n");
            for (CVR3GAMEBattleMapShip* made : out) DeleteBattleShip(made);
            out.clear();
            return false;
        }
        out.push_back(ship);
    }
    return true;
}

bool CVR3GAMEIO::SaveShipFilesExist(const std::vector<SVR3SaveShip>& ships) const {
    static const EFolder folders[SVR3SaveShip::FILE_COUNT] = {FOLDER_SCENE_OBJECTS,    FOLDER_ANIMATED_OBJECTS,
                                                              FOLDER_MOVEMENT_OBJECTS, FOLDER_BATTLE_OBJECTS,
                                                              FOLDER_ARTILLERY_OBJECTS, FOLDER_INFORMATION_OBJECTS};
    for (const SVR3SaveShip& s : ships)
        for (int i = 0; i < SVR3SaveShip::FILE_COUNT; ++i) {
            const std::string& f = s.Files[i];
            // Object files lie inside their folders.
            const bool confined = !f.empty() && f[0] != '/' && f[0] != '\\' && f.find("..") == std::string::npos &&
                                  f.find(':') == std::string::npos;
            if (!confined || !Platform::FileExists(Platform::NativePath(MakePath(folders[i], f.c_str())))) {
                g_Log.Write(3, "CVR3GAMEIO::LoadScenario() : object file of a saved ship not found : %s\n", f.c_str());
                return false;
            }
        }
    return true;
}

// ---- columns and battle sides ----

bool CVR3GAMEIO::WriteBattleMapColumnsVector(const CVR3GAMEBattleMapPlayer* pPlayer, SVR3SaveBattleSide& side) {
    for (const CVR3GAMEBattleMapShipsColumn* c : pPlayer->m_stdvColumns) {
        SVR3SaveColumn column;
        // A missing column is kept as an empty one, so the behaviour's
        // column numbers still point where they did.
        if (c) {
            for (const CVR3GAMEBattleMapShip* s : c->m_stdvBattleShips) {
                if (!s) {
                    g_Log.Write(3, "CVR3GAMEIO::WriteBattleMapColumnsVector() : failed WriteBattleShipsColumn() \n");
                    return false;
                }
                column.Ships.push_back(s->m_strName.substr(0, CVR3GAMEBattleMapPlayer::kShipNameLength));
            }
            column.Values = {FloatWord(c->m_fOrderedSpeed), FloatWord(c->m_fSpeedStep), FloatWord(c->m_fStepTarget),
                             FloatWord(c->m_fStepTimer), FloatWord(c->m_fStepHoldTime)};
        }
        side.Columns.push_back(std::move(column));
    }
    return true;
}

namespace {

// The speed orders of a ship's movement part, kept across a column's own
// speed order.
struct MovementOrderState {
    float targetForce, force, orderedSpeed, routeSpeed;
    bool forceChanging, speedChanged;
};

MovementOrderState MovementOrders(const CVR3GAMEBattleMapShip& ship) {
    const CVR3GAMEMovementShip& m = *ship.m_pMovementShip;
    return {m.m_fTargetForce, m.m_fForce, m.m_fOrderedSpeed, m.m_fRouteSpeed, m.m_bForceChanging, m.m_bSpeedChanged};
}

void RestoreMovementOrders(const MovementOrderState& o, CVR3GAMEBattleMapShip& ship) {
    CVR3GAMEMovementShip& m = *ship.m_pMovementShip;
    m.m_fTargetForce = o.targetForce;
    m.m_fForce = o.force;
    m.m_fOrderedSpeed = o.orderedSpeed;
    m.m_fRouteSpeed = o.routeSpeed;
    m.m_bForceChanging = o.forceChanging;
    m.m_bSpeedChanged = o.speedChanged;
}

} // namespace

bool CVR3GAMEIO::ReadBattleShipsColumn(const SVR3SaveBattleSide& side, CVR3GAMEBattleMapPlayer* pPlayer) {
    for (const SVR3SaveColumn& saved : side.Columns) {
        if (saved.Ships.empty()) {
            pPlayer->m_stdvColumns.push_back(nullptr);
            continue;
        }
        auto* column = new CVR3GAMEBattleMapShipsColumn();
        for (const std::string& name : saved.Ships) {
            bool ambiguous = false;
            CVR3GAMEBattleMapShip* ship = pPlayer->FindShipByKey(name, &ambiguous);
            if (!ship || ship->m_pColumn) {
                g_Log.Write(3, "%s%s%s",
                            ambiguous ? "CVR3GAMEIO::ReadBattleShipsColumn() : ship name not unique : "
                                      : "CVR3GAMEIO::ReadBattleShipsColumn() : not found battle map ship : ",
                            name.c_str(), "\n");
                delete column;
                return false;
            }
            if (!column->AddShip(ship, -1, true)) {
                g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::ReadBattleShipsColumn() : failed AddShip() for name : ",
                            name.c_str(), "\n");
                delete column;
                return false;
            }
        }
        if (!pPlayer->AddBattleMapShipsColumn(column)) {
            delete column;
            return false;
        }
        column->LinkShipsInLine();
        column->UpdateSpeedLimits();
        // The speed goes through the column's own order; the stepping state
        // and the ships' own orders then stand as they were saved, so the
        // column goes on exactly where it was.
        std::vector<MovementOrderState> orders;
        for (const CVR3GAMEBattleMapShip* ship : column->m_stdvBattleShips) orders.push_back(MovementOrders(*ship));
        column->SetSpeed(WordFloat(saved.Values[0]), true);
        column->m_fSpeedStep = WordFloat(saved.Values[1]);
        column->m_fStepTarget = WordFloat(saved.Values[2]);
        column->m_fStepTimer = WordFloat(saved.Values[3]);
        column->m_fStepHoldTime = WordFloat(saved.Values[4]);
        for (size_t i = 0; i < orders.size(); ++i) RestoreMovementOrders(orders[i], *column->m_stdvBattleShips[i]);
    }
    // Null columns keep their places; the others know theirs.
    for (size_t i = 0; i < pPlayer->m_stdvColumns.size(); ++i)
        if (pPlayer->m_stdvColumns[i]) pPlayer->m_stdvColumns[i]->m_iPlayerIndex = static_cast<int32_t>(i);
    return true;
}

namespace {

// The losses by level as the save holds them: an empty list is written as
// zeros for every level.
std::vector<uint32_t> LossesForSave(const CVR3GAMEBattleMapPlayer* p, uint32_t levels) {
    if (!p->m_stdvLossesByLevel.empty()) return p->m_stdvLossesByLevel;
    return std::vector<uint32_t>(std::min(levels, SVR3SaveLimits::kLevels), 0);
}

} // namespace

bool CVR3GAMEIO::WriteBattle(SVR3SaveBattle& battle, const std::string& humanName, const std::string& computerName,
                             uint32_t levelCount) {
    if (!m_pBattleMap) return false;
    // The human's side is usually a human director; a game whose both sides
    // the computer plays (the headless demo) writes the same layout for it.
    CVR3GAMEBattleMapPlayerDirector* human = m_pBattleMap->GetPlayerDirector(&humanName);
    CVR3GAMEBattleMapPlayerDirectorComputer* computer = BattleComputer(m_pBattleMap, computerName);
    if (!human || !computer || !human->m_pPlayer || !computer->m_pPlayer) {
        g_Log.Write(3, "CVR3GAMEIO::WriteBattle() : no human or computer battle director of the save's names\n");
        return false;
    }
    CVR3GAMEComputerPlayerBaseBehaviour* humanBehaviour = BehaviourOf(human);
    if (!humanBehaviour || !computer->m_pBehaviour) {
        g_Log.Write(3, "CVR3GAMEIO::WriteBattle() : pHuman->m_pCurrentBehaviour == NULL \n");
        return false;
    }
    battle.Environment = EnvironmentName(m_pBattleMap->m_BaseMap);
    battle.TimeMs = m_pBattleMap->m_GameTimer.m_dwGameTime;
    battle.TimeLimitStage = static_cast<uint32_t>(std::clamp(m_pBattleMap->m_iTimeLimitStage, 0, 3));

    const auto side = [&](CVR3GAMEBattleMapPlayerDirector* director, CVR3GAMEComputerPlayerBaseBehaviour* behaviour,
                          SVR3SaveBattleSide& out) {
        const CVR3GAMEBattleMapPlayer* p = director->m_pPlayer;
        if (!WriteBattleMapShipsVector(p->m_stdvBattleShips, out.Ships, true)) return false;
        out.LossesByLevel = LossesForSave(p, levelCount);
        out.LostValue = p->m_uLostValue;
        out.LostShips = p->m_uLostShips;
        out.LostDurability = p->m_fLostDurability;
        for (const auto& e : p->m_stdvEarlierLosses) out.Withdrawn.push_back({e.m_uLevel, e.m_uPrice, e.m_fDurability});
        for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips) {
            if (!s || !s->m_bSunk) continue;
            SVR3SaveWithdrawn w;
            if (s->m_pInfoShip) w.Level = static_cast<uint32_t>(s->m_pInfoShip->ShipTypeLevel);
            if (s->m_pInfoShip && s->m_pBattleShip)
                w.Price = static_cast<uint32_t>(static_cast<int64_t>(s->m_pInfoShip->DisplUnitCost) *
                                                static_cast<int64_t>(s->m_pBattleShip->Displacement));
            if (s->m_pBattleShip) w.Durability = s->m_pBattleShip->TotalDurability;
            out.Withdrawn.push_back(w);
        }
        if (!WriteBattleMapColumnsVector(p, out)) return false;
        if (WriteRecords(p, behaviour->m_stdvColumns, out.Records) &&
            WriteRecords(p, behaviour->m_stdvWithdrawnColumns, out.WithdrawnRecords))
            return true;
        g_Log.Write(3, "CVR3GAMEIO::WriteBattle() : null behaviour record\n");
        return false;
    };
    battle.Human.Values = {kNone, kNone, kNone};
    if (human->IsHuman()) {
        const auto* h = static_cast<const CVR3GAMEBattleMapPlayerDirectorHuman*>(human);
        battle.Human.Values = {static_cast<uint32_t>(h->m_iSelectedShip), static_cast<uint32_t>(h->m_iSelectedPage),
                               static_cast<uint32_t>(h->m_iSelectedPosition)};
    }
    if (!side(human, humanBehaviour, battle.Human)) return false;
    if (!side(computer, computer->m_pBehaviour, battle.Computer)) return false;

    CVR3GAMEComputerPlayerBehaviourOne* b = computer->m_pBehaviour;
    SVR3SaveBattleSide& c = battle.Computer;
    c.BehaviourKind = static_cast<uint32_t>(b->m_iKind);
    if (c.BehaviourKind == 1) {
        const BehaviourColumnRecord* roles[3] = {b->m_pRole1, b->m_pRole2, b->m_pRole3};
        for (size_t i = 0; i < 3; ++i) {
            const auto it = std::find(b->m_stdvColumns.begin(), b->m_stdvColumns.end(), roles[i]);
            c.HasRole[i] = roles[i] && it != b->m_stdvColumns.end();
            c.Roles[i] = c.HasRole[i] ? static_cast<uint32_t>(it - b->m_stdvColumns.begin()) : 0;
        }
        const EnemyColumnRecord* enemies[3] = {b->m_pEnemy1, b->m_pEnemy2, b->m_pEnemy3};
        for (size_t i = 0; i < 3; ++i) {
            c.HasEnemy[i] = enemies[i] != nullptr;
            if (!enemies[i]) continue;
            SVR3SaveBehaviourRecord& r = c.Enemies[i];
            r.Empty = enemies[i]->m_pColumn ? 0 : 1;
            if (r.Empty) continue;
            r.Column = b->m_pEnemy ? static_cast<uint32_t>(ColumnNumber(b->m_pEnemy, enemies[i]->m_pColumn)) : kNone;
            r.Strength = enemies[i]->m_fStrength;
            r.Kind = 0;
        }
    }
    return true;
}

bool CVR3GAMEIO::ReadBattle(const SVR3SaveBattle& battle, const std::string& humanName,
                            const std::string& computerName, const char* battleMapFile, bool playersExist) {
    if (!m_pBattleMap || !battleMapFile ||
        !LoadBattleMapFromFile(battleMapFile, playersExist,
                               battle.Environment.empty() ? nullptr : battle.Environment.c_str())) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattle() : LoadBattleMapFromFile() failed \n");
        return false;
    }
    m_pBattleMap->m_GameTimer.m_dwGameTime = battle.TimeMs;
    m_pBattleMap->m_iTimeLimitStage = static_cast<int32_t>(battle.TimeLimitStage);
    CVR3GAMEBattleMapPlayerDirector* human = m_pBattleMap->GetPlayerDirector(&humanName);
    CVR3GAMEBattleMapPlayerDirectorComputer* computer = BattleComputer(m_pBattleMap, computerName);
    if (!human || !computer || !human->m_pPlayer || !computer->m_pPlayer) return false;

    const auto side = [&](CVR3GAMEBattleMapPlayerDirector* director, const SVR3SaveBattleSide& saved,
                          const char* addFailed) {
        CVR3GAMEBattleMapPlayer* p = director->m_pPlayer;
        std::vector<CVR3GAMEBattleMapShip*> ships;
        if (!ReadBattleMapShipsVector(saved.Ships, true, ships)) return false;
        for (size_t i = 0; i < ships.size(); ++i)
            if (!p->AddBattleMapShip(ships[i])) {
                g_Log.Write(3, addFailed);
                for (size_t k = i; k < ships.size(); ++k) DeleteBattleShip(ships[k]);
                return false;
            }
        p->m_stdvLossesByLevel = saved.LossesByLevel;
        p->m_uLostValue = saved.LostValue;
        p->m_uLostShips = saved.LostShips;
        p->m_fLostDurability = saved.LostDurability;
        p->m_stdvEarlierLosses.clear();
        for (const SVR3SaveWithdrawn& w : saved.Withdrawn)
            p->m_stdvEarlierLosses.push_back({w.Level, w.Price, w.Durability});
        for (CVR3GAMEBattleMapShipsColumn* c : p->m_stdvColumns) delete c;
        p->m_stdvColumns.clear();
        return ReadBattleShipsColumn(saved, p);
    };
    if (!side(human, battle.Human, "CVR3GAMEIO::ReadBattle() : pHuman->m_pPlayer->AddBattleMapShip() failed \n") ||
        !side(computer, battle.Computer,
              "CVR3GAMEIO::ReadBattle() : pComputer->m_pPlayer->AddBattleMapShip() failed \n"))
        return false;
    if (!BehaviourOf(human)) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattle() : pHuman->m_pCurrentBehaviour == NULL \n");
        return false;
    }
    if (!computer->m_pBehaviour) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattle() : pComputer->m_pCurrentBehaviour == NULL \n");
        return false;
    }
    // The behaviours are set up as for a new battle (the human's starts the
    // battle on the map), then take the saved records.
    if (!m_pBattleMap->InitDirectorsBehaviours()) {
        g_Log.Write(3, "CVR3GAMEIO::ReadBattle() : pHuman->InitBattleMap() failed \n");
        return false;
    }
    // A computer on the human's side keeps the roles its set-up gave, by
    // their places in the list.
    CVR3GAMEComputerPlayerBehaviourOne* humanOne =
        human->IsHuman() ? nullptr : static_cast<CVR3GAMEBattleMapPlayerDirectorComputer*>(human)->m_pBehaviour;
    int rolePlaces[3] = {-1, -1, -1};
    if (humanOne) {
        BehaviourColumnRecord* roles[3] = {humanOne->m_pRole1, humanOne->m_pRole2, humanOne->m_pRole3};
        for (int i = 0; i < 3; ++i) {
            const auto& list = humanOne->m_stdvColumns;
            const auto it = std::find(list.begin(), list.end(), roles[i]);
            if (roles[i] && it != list.end()) rolePlaces[i] = static_cast<int>(it - list.begin());
        }
    }
    ReadRecords(BehaviourOf(human), human->m_pPlayer, battle.Human);
    if (humanOne) {
        BehaviourColumnRecord** roles[3] = {&humanOne->m_pRole1, &humanOne->m_pRole2, &humanOne->m_pRole3};
        for (int i = 0; i < 3; ++i)
            *roles[i] = rolePlaces[i] >= 0 && static_cast<size_t>(rolePlaces[i]) < humanOne->m_stdvColumns.size()
                            ? humanOne->m_stdvColumns[static_cast<size_t>(rolePlaces[i])]
                            : nullptr;
        humanOne->SetColumnsAvoidance();
    }
    CVR3GAMEComputerPlayerBehaviourOne* b = computer->m_pBehaviour;
    ReadRecords(b, computer->m_pPlayer, battle.Computer);
    const SVR3SaveBattleSide& c = battle.Computer;
    if (c.BehaviourKind == 1 && b->m_iKind == CVR3GAMEComputerPlayerBehaviourOne::kKindOne) {
        BehaviourColumnRecord** roles[3] = {&b->m_pRole1, &b->m_pRole2, &b->m_pRole3};
        for (size_t i = 0; i < 3; ++i) *roles[i] = c.HasRole[i] ? b->m_stdvColumns[c.Roles[i]] : nullptr;
        EnemyColumnRecord* enemies[3] = {b->m_pEnemy1, b->m_pEnemy2, b->m_pEnemy3};
        const CVR3GAMEBattleMapPlayer* enemy = b->m_pEnemy;
        for (size_t i = 0; i < 3; ++i) {
            if (!c.HasEnemy[i] || !enemies[i]) continue;
            const SVR3SaveBehaviourRecord& r = c.Enemies[i];
            EnemyColumnRecord& e = *enemies[i];
            e.m_pColumn = nullptr;
            e.m_pLeadShip = nullptr;
            if (r.Empty || !enemy || r.Column >= enemy->m_stdvColumns.size()) continue;
            e.m_fStrength = r.Strength;
            e.m_pColumn = enemy->m_stdvColumns[r.Column];
            if (e.m_pColumn && !e.m_pColumn->m_stdvBattleShips.empty())
                e.m_pLeadShip = e.m_pColumn->m_stdvBattleShips.front();
        }
        b->SetColumnsAvoidance();
    }
    if (human->IsHuman())
        static_cast<CVR3GAMEBattleMapPlayerDirectorHuman*>(human)->SelectShip(
            static_cast<int32_t>(battle.Human.Values[0]), true);
    return true;
}

// ---- the scenario save ----

bool CVR3GAMEIO::WriteScenario(SVR3ScenarioSave& save) {
    const CVR3GAMEScenario& s = *m_pScenario;
    save.ScenarioFile = s.m_strFileName;
    save.ScenarioName = s.ScenarioName;
    save.HumanName = s.HumanPlayerName;
    save.ComputerName = s.ComputerPlayerName;
    save.Step = static_cast<uint32_t>(s.m_iStep);
    save.Phase = s.m_iInBattle ? 1 : 0;
    save.FleetScheme = static_cast<uint32_t>(s.m_iFleetScheme);
    save.HumanLosses = s.m_uHumanLosses;
    save.ComputerLosses = s.m_uComputerLosses;
    return true;
}

bool CVR3GAMEIO::WriteHarbour(SVR3ScenarioSave& save) {
    CVR3GAMEHarbourMapPlayerDirectorHuman* human = HarbourHuman(m_pHarbourMap, save.HumanName);
    if (!human || !human->m_pPlayer) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::WriteHarbour() : Not fount player player director for name: ",
                    save.HumanName.c_str(), "\n");
        return false;
    }
    CVR3GAMEHarbourMapPlayerDirectorComputer* computer = HarbourComputer(m_pHarbourMap, save.ComputerName);
    if (!computer || !computer->m_pPlayer) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::WriteHarbour() : Not fount computer player director for name: ",
                    save.ComputerName.c_str(), "\n");
        return false;
    }
    if (save.Phase == 0) save.HarbourEnvironment = EnvironmentName(m_pHarbourMap->m_BaseMap);
    save.Money = static_cast<uint32_t>(human->m_iMoney);
    for (const CVR3GAMEShipType* t : human->m_stdvShipsTypes)
        save.Bought.push_back(t ? static_cast<uint32_t>(t->m_iCount) : 0);
    const bool harbour = save.Phase == 0;
    if (!WriteBattleMapShipsVector(harbour ? human->m_pPlayer->m_stdvHarbourShips : human->m_stdvReserve,
                                   save.HumanShips, true)) {
        g_Log.Write(3, harbour ? "CVR3GAMEIO::WriteHarbour() : Human harbour ships writing failed \n"
                               : "CVR3GAMEIO::WriteHarbour() : Human reserve ships writing failed \n");
        return false;
    }
    if (!WriteBattleMapShipsVector(harbour ? computer->m_pPlayer->m_stdvHarbourShips : computer->m_stdvReserve,
                                   save.ComputerShips, true)) {
        g_Log.Write(3, harbour ? "CVR3GAMEIO::WriteHarbour() : Computer harbour ships writing failed \n"
                               : "CVR3GAMEIO::WriteHarbour() : Computer reserve ships writing failed \n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::ReadHarbour(const SVR3ScenarioSave& save) {
    const bool harbour = save.Phase == 0;
    if (harbour) {
        const std::string* file = m_pScenario->GetHarbourMapFile();
        if (!file || !LoadHarbourMapFromFile(file->c_str(), save.HarbourEnvironment.empty()
                                                               ? nullptr
                                                               : save.HarbourEnvironment.c_str())) {
            g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() LoadHarbourMapFromFile() failed\n ");
            return false;
        }
    }
    CVR3GAMEHarbourMapPlayerDirectorHuman* human = HarbourHuman(m_pHarbourMap, save.HumanName);
    CVR3GAMEHarbourMapPlayerDirectorComputer* computer = HarbourComputer(m_pHarbourMap, save.ComputerName);
    if (!human || !computer || !human->m_pPlayer || !computer->m_pPlayer) return false;
    human->m_iMoney = static_cast<int32_t>(save.Money);
    if (save.Bought.size() != human->m_stdvShipsTypes.size()) {
        g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() size != pHuman->m_stdvShipsTypes.size()\n ");
        return false;
    }
    for (size_t i = 0; i < save.Bought.size(); ++i)
        if (human->m_stdvShipsTypes[i]) human->m_stdvShipsTypes[i]->m_iCount = static_cast<int32_t>(save.Bought[i]);

    std::vector<CVR3GAMEBattleMapShip*> ships;
    if (!ReadBattleMapShipsVector(save.HumanShips, false, ships)) {
        g_Log.Write(3, harbour ? "CVR3GAMEIO::ReadHarbour() : Human harbour ships reading failed \n"
                               : "CVR3GAMEIO::ReadHarbour() : Human harbour reserve reading failed \n");
        return false;
    }
    for (size_t i = 0; i < ships.size(); ++i) {
        if (!harbour) {
            human->m_stdvReserve.push_back(ships[i]);
        } else if (!human->m_pPlayer->AddBattleMapShip(ships[i])) {
            g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() : pHuman->m_pPlayer->AddBattleMapShip() failed \n");
            for (size_t k = i; k < ships.size(); ++k) DeleteBattleShip(ships[k]);
            return false;
        }
    }
    ships.clear();
    if (!ReadBattleMapShipsVector(save.ComputerShips, false, ships)) {
        g_Log.Write(3, harbour ? "CVR3GAMEIO::ReadHarbour() : Computer harbour ships reading failed \n"
                               : "CVR3GAMEIO::ReadHarbour() : Computer reserve ships writing failed \n");
        return false;
    }
    for (size_t i = 0; i < ships.size(); ++i) {
        if (!harbour) {
            computer->m_stdvReserve.push_back(ships[i]);
        } else if (!computer->m_pPlayer->AddBattleMapShip(ships[i])) {
            g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() : Computer->m_pPlayer->AddBattleMapShip() failed \n");
            for (size_t k = i; k < ships.size(); ++k) DeleteBattleShip(ships[k]);
            return false;
        }
    }
    if (!m_pHarbourMap->InitDirectorsCommon(m_pHarbourMap)) {
        g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() : m_pHarbourMap->InitDirectorsCommon() failed\n ");
        return false;
    }
    if (harbour) {
        if (!m_pHarbourMap->InitDirectorsHarbour(static_cast<int32_t>(save.Step))) {
            g_Log.Write(3, "CVR3GAMEIO::ReadHarbour() : m_pHarbourMap->InitDirectorsHarbour() failed\n ");
            return false;
        }
        // The saved money already holds the step's money: a load grants it
        // no second time.
        human->m_iMoney = static_cast<int32_t>(save.Money);
    }
    return true;
}

namespace {

// The one saved ship whose name, cut as a column keeps it, is the key.
bool SavedShipFound(const std::vector<SVR3SaveShip>& ships, const std::string& key) {
    size_t found = 0;
    for (const SVR3SaveShip& s : ships)
        if (s.Name.compare(0, CVR3GAMEBattleMapPlayer::kShipNameLength, key) == 0 &&
            std::min(s.Name.size(), CVR3GAMEBattleMapPlayer::kShipNameLength) == key.size())
            ++found;
    return found == 1;
}

} // namespace

bool CVR3GAMEIO::SavedColumnsFound(const SVR3SaveBattleSide& side, std::string& error) {
    std::vector<std::string> placed;
    for (const SVR3SaveColumn& column : side.Columns)
        for (const std::string& name : column.Ships) {
            if (!SavedShipFound(side.Ships, name) || std::find(placed.begin(), placed.end(), name) != placed.end()) {
                error = "a column names a ship the save does not hold once: " + name;
                return false;
            }
            placed.push_back(name);
        }
    return true;
}

bool CVR3GAMEIO::ScenarioSaveFitsItsFile(const SVR3ScenarioSave& save, std::string& error) const {
    const char* file = save.ScenarioFile.c_str();
    TiXmlDocument doc;
    if (GetFileForm(VR3_KIND_SCENARIO, file) != VR3_FORM_TEXT || !LoadXmlFile(MakePath(FOLDER_SCENARIOS, file), doc)) {
        error = "scenario file not read: " + save.ScenarioFile;
        return false;
    }
    const TiXmlElement* root = doc.FirstChildElement("Scenario");
    const TiXmlElement* harbour = root ? root->FirstChildElement("Harbour") : nullptr;
    const TiXmlElement* battle = root ? root->FirstChildElement("BattleMap") : nullptr;
    if (!harbour || !battle) {
        error = "scenario file without its harbour or battle part: " + save.ScenarioFile;
        return false;
    }
    size_t steps = SIZE_MAX;
    for (const TiXmlElement* part : {harbour, battle})
        for (const char* list : {"MapFiles", "LoadMapScreens"})
            steps = std::min(steps, VR3ListEntries(part->FirstChildElement(list)).size());
    if (save.Step >= steps) {
        error = "step index " + std::to_string(static_cast<int32_t>(save.Step)) + " outside the scenario's " +
                std::to_string(steps) + " steps";
        return false;
    }
    std::string human, computer;
    ReadXMLString(root->FirstChildElement("HumanPlayerName"), true, human);
    ReadXMLString(root->FirstChildElement("ComputerPlayerName"), true, computer);
    if (human != save.HumanName || computer != save.ComputerName) {
        error = "the scenario's players are not the save's";
        return false;
    }
    // The harbour directors of the two sides, as the scenario reader finds
    // them.
    const TiXmlElement* humanDirector = nullptr;
    const TiXmlElement* computerDirector = nullptr;
    for (const VR3ListEntry& e : VR3ListEntries(harbour->FirstChildElement("Directors"))) {
        if (!e.element) continue;
        std::string name;
        ReadXMLString(e.element->FirstChildElement("PlayerName"), true, name);
        const std::string kind = e.element->Value();
        if (kind == "Human" && name == human && !humanDirector) humanDirector = e.element;
        if (kind == "Computer" && name == computer && !computerDirector) computerDirector = e.element;
    }
    if (!humanDirector || !computerDirector) {
        error = "the scenario has no harbour director for a side";
        return false;
    }
    if (VR3ListEntries(humanDirector->FirstChildElement("ShipsTypes")).size() != save.Bought.size()) {
        error = "the count of ship types differs from the scenario's";
        return false;
    }
    if (save.Phase == 0 && save.Step >= VR3ListEntries(humanDirector->FirstChildElement("ShipsTypesToBuy")).size()) {
        error = "no ships for sale at the saved step";
        return false;
    }
    // The stored fleet scheme is taken as the scenario reader takes it.
    if (save.FleetScheme != kNone) {
        const TiXmlElement* schemes = computerDirector->FirstChildElement("FleetSchemes");
        const int count = schemes ? ReadXMLAttributeInt(schemes, "count") : -1;
        const int64_t index = std::min<int64_t>(save.FleetScheme, count);
        if (!schemes || index < 0 || static_cast<size_t>(index) >= VR3ListEntries(schemes).size()) {
            error = "fleet scheme index " + std::to_string(save.FleetScheme) + " not in the scenario";
            return false;
        }
    }
    if (save.Phase == 1 &&
        (!SavedColumnsFound(save.Battle.Human, error) || !SavedColumnsFound(save.Battle.Computer, error)))
        return false;
    return true;
}

bool CVR3GAMEIO::SaveScenario(const char* saveName) {
    const std::string name = saveName ? saveName : "";
    const std::string path = MakeSavePath(name, GetScenarioSaveKey());
    if (!IsSaveNameAllowed(name)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : save name not allowed : ", name.c_str(), " \n");
        return false;
    }
    if (!m_pScenario || !m_pHarbourMap || !m_pBattleMap || !m_pScenario->IsRunning()) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : failed WriteScenario() in file : ", path.c_str(),
                    " \n");
        return false;
    }
    SVR3ScenarioSave save;
    save.Time = SaveTime();
    if (!WriteScenario(save)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : failed WriteScenario() in file : ", path.c_str(),
                    " \n");
        return false;
    }
    if (!WriteHarbour(save)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : failed WriteHarbour() in file : ", path.c_str(),
                    " \n");
        return false;
    }
    if (save.Phase == 1 &&
        !WriteBattle(save.Battle, save.HumanName, save.ComputerName,
                     static_cast<uint32_t>(std::max(m_pScenario->m_iShipLevelCount, 0)))) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : failed WriteBattle() in file : ", path.c_str(), " \n");
        return false;
    }
    Platform::CreateFolderTree(Platform::NativePath(m_strFolders[FOLDER_USER_SAVES]));
    if (!Platform::WriteFileAtomic(path, WriteScenarioSave(save))) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveScenario() : not open file : ", path.c_str(), " \n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::LoadScenario(const char* saveName) {
    if (!m_pScenario || !m_pHarbourMap || !m_pBattleMap) return false;
    if (!saveName || !*saveName) {
        // The second call: the kept image goes into the game.
        if (!m_pPendingScenario) return false;
        const std::unique_ptr<SVR3ScenarioSave> save = std::move(m_pPendingScenario);
        bool ok = ReadHarbour(*save);
        if (!ok) g_Log.Write(3, "CVR3GAMEIO::LoadScenario() : failed ReadHarbour() \n");
        if (ok && save->Phase == 1) {
            const std::string* file = m_pScenario->GetBattleMapFile();
            ok = file && ReadBattle(save->Battle, save->HumanName, save->ComputerName, file->c_str(), true);
            if (!ok) g_Log.Write(3, "CVR3GAMEIO::LoadScenario() : failed ReadBattle() \n");
        }
        if (!ok) {
            // Half a game is no game: the world is emptied and no scenario
            // runs.
            ClearGameWorld();
            m_pScenario->Reset();
            m_pScenario->m_strFileName.clear();
        }
        return ok;
    }

    // The first call: nothing of the running game changes until the whole
    // file has been read and checked.
    m_pPendingScenario.reset();
    m_pPendingDuel.reset();
    const std::string name = saveName;
    const std::string path = MakeSavePath(name, GetScenarioSaveKey());
    std::string bytes;
    if (!IsSaveNameAllowed(name) || !Platform::ReadFile(Platform::NativePath(path), bytes, kMaxSaveFileBytes)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadScenario() : not open file : ", path.c_str(), " \n");
        return false;
    }
    auto save = std::make_unique<SVR3ScenarioSave>();
    std::string error;
    bool ok = ReadScenarioSave(bytes, *save, error);
    ok = ok && ScenarioSaveFitsItsFile(*save, error);
    ok = ok && SaveShipFilesExist(save->HumanShips) && SaveShipFilesExist(save->ComputerShips) &&
         (save->Phase == 0 ||
          (SaveShipFilesExist(save->Battle.Human.Ships) && SaveShipFilesExist(save->Battle.Computer.Ships)));
    if (!ok) {
        g_Log.Write(3, "%s%s%s%s%s", "CVR3GAMEIO::LoadScenario() : failed ReadScenario() from file : ", path.c_str(),
                    " : ", error.c_str(), " \n");
        return false;
    }
    // From here on the running game gives way to the saved one.
    CVR3GAMEScenario& s = *m_pScenario;
    s.m_iStep = static_cast<int32_t>(save->Step);
    s.m_iInBattle = static_cast<int32_t>(save->Phase);
    s.m_iFleetScheme = static_cast<int32_t>(save->FleetScheme);
    s.m_uHumanLosses = save->HumanLosses;
    s.m_uComputerLosses = save->ComputerLosses;
    if (!LoadCommonScenarioFromFile(save->ScenarioFile.c_str()) || s.HumanPlayerName != save->HumanName ||
        s.ComputerPlayerName != save->ComputerName) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadScenario() : failed ReadScenario() from file : ", path.c_str(),
                    " \n");
        ClearGameWorld();
        s.Reset();
        s.m_strFileName.clear();
        return false;
    }
    s.m_iStep = static_cast<int32_t>(save->Step);
    s.m_iInBattle = static_cast<int32_t>(save->Phase);
    s.m_uHumanLosses = save->HumanLosses;
    s.m_uComputerLosses = save->ComputerLosses;
    m_pPendingScenario = std::move(save);
    return true;
}

// ---- the duel save ----

bool CVR3GAMEIO::SaveDuel(const char* saveName) {
    const std::string name = saveName ? saveName : "";
    const std::string path = MakeSavePath(name, GetDuelSaveKey());
    if (!IsSaveNameAllowed(name)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveDuel() : save name not allowed : ", name.c_str(), " \n");
        return false;
    }
    if (!m_pDuel || !m_pBattleMap || m_pDuel->m_strFileName.empty()) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveDuel() : failed WriteDuel() in file : ", path.c_str(), " \n");
        return false;
    }
    SVR3DuelSave save;
    save.Time = SaveTime();
    save.DuelFile = m_pDuel->m_strFileName;
    save.DuelName = m_pDuel->m_strDuelName;
    save.HumanName = m_pDuel->m_strHumanName;
    save.ComputerName = m_pDuel->m_strComputerName;
    save.ArtilleryList = m_pDuel->m_strArtilleryList;
    if (!WriteBattle(save.Battle, save.HumanName, save.ComputerName,
                     static_cast<uint32_t>(std::max(m_pDuel->m_iShipsTypesCount, 0)))) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveDuel() : failed WriteBattle() in file : ", path.c_str(), " \n");
        return false;
    }
    Platform::CreateFolderTree(Platform::NativePath(m_strFolders[FOLDER_USER_SAVES]));
    if (!Platform::WriteFileAtomic(path, WriteDuelSave(save))) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SaveDuel() : not open file : ", path.c_str(), " \n");
        return false;
    }
    return true;
}

bool CVR3GAMEIO::LoadDuel(const char* saveName) {
    if (!m_pDuel || !m_pBattleMap) return false;
    if (!saveName || !*saveName) {
        if (!m_pPendingDuel) return false;
        const std::unique_ptr<SVR3DuelSave> save = std::move(m_pPendingDuel);
        if (ReadBattle(save->Battle, save->HumanName, save->ComputerName, m_pDuel->m_strBattleMap.c_str(), false)) {
            // The shops are not saved: each side has spent what its ships
            // in the battle and its lost ships cost.
            for (CVR3GAMEDuelPlayerDirector* d : m_pDuel->m_stdvDirectors) {
                const CVR3GAMEBattleMapPlayer* p =
                    d && d->m_pPlayer ? m_pBattleMap->GetPlayer(&d->m_pPlayer->m_strName) : nullptr;
                if (!p) continue;
                uint64_t spent = 0;
                for (const CVR3GAMEBattleMapShip* s : p->m_stdvBattleShips)
                    if (s && s->m_pInfoShip && s->m_pBattleShip)
                        spent += static_cast<uint64_t>(std::max<int64_t>(
                            0, static_cast<int64_t>(s->m_pInfoShip->DisplUnitCost) * s->m_pBattleShip->Displacement));
                for (const auto& e : p->m_stdvEarlierLosses) spent += e.m_uPrice;
                d->m_dwMoney = d->m_dwStartMoney - static_cast<uint32_t>(std::min<uint64_t>(spent, d->m_dwStartMoney));
            }
            return true;
        }
        g_Log.Write(3, "CVR3GAMEIO::LoadDuel() : failed ReadBattle() \n");
        ClearGameWorld();
        m_pDuel->Clear();
        return false;
    }
    m_pPendingScenario.reset();
    m_pPendingDuel.reset();
    const std::string name = saveName;
    const std::string path = MakeSavePath(name, GetDuelSaveKey());
    std::string bytes;
    if (!IsSaveNameAllowed(name) || !Platform::ReadFile(Platform::NativePath(path), bytes, kMaxSaveFileBytes)) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadDuel() : not open file : ", path.c_str(), " \n");
        return false;
    }
    auto save = std::make_unique<SVR3DuelSave>();
    std::string error;
    bool ok = ReadDuelSave(bytes, *save, error);
    if (ok && (GetFileForm(VR3_KIND_DUEL, save->DuelFile.c_str()) != VR3_FORM_TEXT ||
               !Platform::FileExists(Platform::NativePath(MakePath(FOLDER_DUEL, save->DuelFile.c_str()))))) {
        error = "duel file not found: " + save->DuelFile;
        ok = false;
    }
    if (ok && !Platform::FileExists(
                  Platform::NativePath(MakePath(FOLDER_ARTILLERY_LISTS, save->ArtilleryList.c_str())))) {
        error = "artillery list not found: " + save->ArtilleryList;
        ok = false;
    }
    if (ok) {
        // The duel file's players must be the save's before the running
        // game gives way.
        TiXmlDocument doc;
        std::string human, computer;
        const TiXmlElement* root = LoadXmlFile(MakePath(FOLDER_DUEL, save->DuelFile.c_str()), doc) ? doc.RootElement()
                                                                                                   : nullptr;
        if (root) {
            ReadXMLString(root->FirstChildElement("DuelHumanName"), true, human);
            ReadXMLString(root->FirstChildElement("DuelComputerName"), true, computer);
        }
        if (!root || human != save->HumanName || computer != save->ComputerName) {
            error = "the duel's players are not the save's";
            ok = false;
        }
    }
    ok = ok && SavedColumnsFound(save->Battle.Human, error) && SavedColumnsFound(save->Battle.Computer, error);
    ok = ok && SaveShipFilesExist(save->Battle.Human.Ships) && SaveShipFilesExist(save->Battle.Computer.Ships);
    if (!ok) {
        g_Log.Write(3, "%s%s%s%s%s", "CVR3GAMEIO::LoadDuel() : failed ReadDuel() from file : ", path.c_str(), " : ",
                    error.c_str(), " \n");
        return false;
    }
    if (!LoadDuelFromFile(save->DuelFile.c_str()) || !LoadBattleArtilleryList(save->ArtilleryList.c_str()) ||
        m_pDuel->m_strHumanName != save->HumanName || m_pDuel->m_strComputerName != save->ComputerName) {
        g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::LoadDuel() : failed ReadDuel() from file : ", path.c_str(), " \n");
        ClearGameWorld();
        m_pDuel->Clear();
        return false;
    }
    m_pDuel->m_strArtilleryList = save->ArtilleryList;
    m_pPendingDuel = std::move(save);
    return true;
}

// ---- the duel's columns into the battle ----

namespace {

// Takes a ship off every list of the player; the ship itself stays.
void TakeShipFromPlayer(CVR3GAMEBattleMapPlayer* p, CVR3GAMEBattleMapShip* ship) {
    std::erase(p->m_stdvShips, ship);
    std::erase(p->m_stdvBattleShips, ship);
    if (ship->m_pSceneObject) std::erase(p->m_stdvShipModels, ship->m_pSceneObject);
    ship->m_iPlayerIndex = -1;
    for (size_t i = 0; i < p->m_stdvBattleShips.size(); ++i)
        if (p->m_stdvBattleShips[i]) p->m_stdvBattleShips[i]->m_iPlayerIndex = static_cast<int32_t>(i);
}

} // namespace

bool CVR3GAMEIO::CreateBattlePlayerColumnFromDuel(const std::vector<CVR3GAMEDuelShipType*>& choice,
                                                  CVR3GAMEBattleMapShipsColumn* pColumn,
                                                  CVR3GAMEBattleMapPlayer* pPlayer) {
    if (!pColumn || !pPlayer) return false;
    std::vector<CVR3GAMEBattleMapShip*> made;
    // A column that cannot be filled leaves nothing behind: its ships leave
    // the player and are deleted.
    const auto undo = [&] {
        for (CVR3GAMEBattleMapShip* ship : made) {
            if (ship->m_pColumn == pColumn) pColumn->RemoveShip(ship);
            TakeShipFromPlayer(pPlayer, ship);
            DeleteBattleShip(ship);
        }
        return false;
    };
    D3DXMATRIX identity;
    D3DXMatrixIdentity(&identity);
    for (const CVR3GAMEDuelShipType* type : choice) {
        if (!type) return undo();
        using T = CVR3GAMEDuelShipType;
        const std::string files[6] = {type->m_strFiles[T::FILE_SCENE],  type->m_strFiles[T::FILE_MOVEMENT],
                                      type->m_strFiles[T::FILE_ANIMATED], type->m_strFiles[T::FILE_BATTLE],
                                      type->m_strFiles[T::FILE_ARTILLERY], type->m_strFiles[T::FILE_INFO]};
        CVR3GAMEBattleMapShip* ship = CreateBattleShipFromFiles(files, identity, true);
        if (!ship) {
            g_Log.Write(3, "CVR3GAMEIO::CreateBattlePlayerColumnFromDuel() : pBattleMapShip->Init() failed\n");
            return undo();
        }
        // The ship's kind word stays 0: the computer's target search finds
        // only ships of kind 0.
        ship->m_strName = ship->m_pInfoShip ? ship->m_pInfoShip->ShipTypeName : std::string();
        if (!pPlayer->AddBattleMapShip(ship)) {
            g_Log.Write(3, "CVR3GAMEIO::CreateBattlePlayerColumnFromDuel() : m_pPlayer->AddBattleMapShip() failed\n");
            DeleteBattleShip(ship);
            return undo();
        }
        made.push_back(ship);
        if (!pColumn->AddShip(ship, -1, true)) {
            g_Log.Write(3, "CVR3GAMEIO::CreateBattlePlayerColumnFromDuel() : p_BattleMapShipsColumn->AddShip() failed\n");
            return undo();
        }
    }
    return true;
}

bool CVR3GAMEIO::SetDuelDataToBattleMap() {
    if (!m_pDuel || !m_pBattleMap) return false;
    for (CVR3GAMEDuelPlayerDirector* director : m_pDuel->m_stdvDirectors) {
        const std::string name = director && director->m_pPlayer ? director->m_pPlayer->m_strName : std::string();
        CVR3GAMEBattleMapPlayer* player = m_pBattleMap->GetPlayer(&name);
        if (!player) {
            g_Log.Write(3, "%s%s%s", "CVR3GAMEIO::SetDuelDataToBattleMap() : m_pBattleMap->GetPlayer() failed : ",
                        name.c_str(), "\n");
            return false;
        }
        for (const auto& choice : director->m_stdvColumns) {
            if (choice.empty()) continue;
            auto* column = new CVR3GAMEBattleMapShipsColumn();
            if (!CreateBattlePlayerColumnFromDuel(choice, column, player)) {
                g_Log.Write(3, "CVR3GAMEIO::SetDuelDataToBattleMap() : CreateBattlePlayerFromDuel() failed \n");
                delete column;
                return false;
            }
            if (!player->AddBattleMapShipsColumn(column)) {
                g_Log.Write(3, "CVR3GAMEIO::CopyBattlePlayerFromHarbourPlayer() : pBattlePlayer->AddBattleMapShipsColumn() failed\n");
                for (CVR3GAMEBattleMapShip* ship : std::vector<CVR3GAMEBattleMapShip*>(column->m_stdvBattleShips)) {
                    column->RemoveShip(ship);
                    TakeShipFromPlayer(player, ship);
                    DeleteBattleShip(ship);
                }
                delete column;
                return false;
            }
            column->LinkShipsInLine();
            column->UpdateSpeedLimits();
        }
        if (!player->SetColumnsOnStartPositions()) {
            g_Log.Write(3, "%s%s%s",
                        "CVR3GAMEIO::SetDuelDataToBattleMap() : pBattlePlayer->SetColumnsOnStartPositions() failed : ",
                        name.c_str(), "\n");
            return false;
        }
    }
    return true;
}

} // namespace SeaBattle
