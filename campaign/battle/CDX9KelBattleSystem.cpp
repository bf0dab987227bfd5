#include "campaign/battle/CDX9KelBattleSystem.h"

#include "campaign/battle/CDX9KelArmourRect.h"
#include "engine2/core/CDX9KelLog.h"
#include "engine2/core/CDX9KelUtils.h"
#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"
#include "engine2/ui/sound/COALSoundManager.h"
#include "engine2/world/particles/CDXParticleSystemManager.h"
#include "platform/os/Crt.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstring>

namespace VornaCampaign {

using Vorna2::CDX9KelUtils;
using Vorna2::g_Log;
using Vorna2::LOG_CONTINUE;
using Vorna2::LOG_INFO;

bool g_bBattleSystemTrace = false;
CDX9KelBattleSystem g_BattleSystem;

namespace {

// The six hull parts of a ship, in their fixed order.
constexpr std::size_t kHullParts = 6;
constexpr float kRamSpeed = 2.572f;
constexpr float kRamSpeedStep = 0.514f;
// Death by roll beyond 15 degrees.
constexpr float kRollLimit = 0.2618f;
// Water that sinks a ship: its displacement less this.
constexpr float kFloodMargin = 80.0f;
// The most shots one gun fires in one bombardment.
constexpr int kMaxShotsPerGun = 1000;

std::uint32_t Random32() {
    unsigned int value = 0;
    if (rand_s(&value) != 0) return 0;
    return value;
}

// a / b, or 0 when b is not above 0 (hand-made descriptions may give 0 or
// -1 for a durability, buoyancy or displacement).
float Ratio(float a, float b) { return b > 0.0f ? a / b : 0.0f; }

// Truncation toward zero that never sees a value outside int's range.
int TruncToInt(float v) {
    if (!(v == v)) return 0;
    if (v >= 2147483520.0f) return 2147483647;
    if (v <= -2147483520.0f) return -2147483647;
    return static_cast<int>(v);
}

bool CanSink(const GameObjectRecord* object) {
    return object->m_pMovementState && object->m_pMovementState->m_bCanSink;
}

// Units without a movement-state record (forts), and ships whose can-sink
// flag is set, take water.
bool CanFlood(const GameObjectRecord* object) {
    return !object->m_pMovementState || object->m_pMovementState->m_bCanSink;
}

D3DXVECTOR3 Row(const D3DXMATRIX& m, int row) {
    switch (row) {
    case 0: return D3DXVECTOR3(m._11, m._12, m._13);
    case 1: return D3DXVECTOR3(m._21, m._22, m._23);
    case 2: return D3DXVECTOR3(m._31, m._32, m._33);
    default: return D3DXVECTOR3(m._41, m._42, m._43);
    }
}

void SetPosition(D3DXMATRIX& m, const D3DXVECTOR3& p) {
    m._41 = p.x;
    m._42 = p.y;
    m._43 = p.z;
}

// A frame's local matrix placed at the frame's model-space centre, then in
// the world of the unit.
D3DXMATRIX FrameWorld(const Vorna2::CDX9KelBoundsRecord* frame, const D3DXMATRIX& unitWorld) {
    D3DXMATRIX local = frame->m_mLocal;
    SetPosition(local, frame->m_vCenter);
    D3DXMATRIX world;
    D3DXMatrixMultiply(&world, &local, &unitWorld);
    return world;
}

// The barrel's length: the longest side of the gun frame's box.
float BarrelLength(const Vorna2::CDX9KelBoundsRecord* frame) {
    const D3DXVECTOR3 d = frame->m_vBoxMax - frame->m_vBoxMin;
    return std::max(std::fabs(d.x), std::max(std::fabs(d.y), std::fabs(d.z)));
}

void MoveFrame(Vorna2::CDX9KelBoundsRecord* frame, const D3DXVECTOR3& axis, float s) {
    if (!frame) return;
    frame->m_mLocal._41 += axis.x * s;
    frame->m_mLocal._42 += axis.y * s;
    frame->m_mLocal._43 += axis.z * s;
}

// True when the record lies below the root in the model's frame tree: such
// a frame follows every turn of the root already.
bool IsBelow(const Vorna2::CDX9KelBoundsRecord* root, const Vorna2::CDX9KelBoundsRecord* record) {
    if (!root || !record) return false;
    std::vector<const Vorna2::CDX9KelBoundsRecord*> open;
    if (root->m_pChild) open.push_back(root->m_pChild);
    while (!open.empty()) {
        const Vorna2::CDX9KelBoundsRecord* r = open.back();
        open.pop_back();
        if (r == record) return true;
        if (r->m_pChild) open.push_back(r->m_pChild);
        if (r->m_pSibling) open.push_back(r->m_pSibling);
    }
    return false;
}

float SumReserve(const std::vector<PartRecord>& parts) {
    float sum = 0.0f;
    for (const PartRecord& p : parts) sum += p.m_fReserveArea;
    return sum;
}

} // namespace

CDX9KelBattleSystem::CDX9KelBattleSystem() { D3DXMatrixIdentity(&m_mSavedPart); }

void CDX9KelBattleSystem::Trace(const char* format, ...) {
    if (!g_bBattleSystemTrace) return;
    va_list args;
    va_start(args, format);
    g_Log.WriteV(LOG_INFO, format, args);
    va_end(args);
}

// ---- set-up ----

bool CDX9KelBattleSystem::InitArtillery() {
    std::string path;
    Vorna2::CDX9KelUtils::GetExeFolderPath(path, (m_szArtilleryFolder + "Artillery.xml").c_str());
    return g_DataIO.LoadArtillery(path.c_str(), &m_stdvArtillery);
}

void CDX9KelBattleSystem::SetMapLists(const MapLists& lists) {
    m_MapLists = lists;
    m_iState = BATTLE_SYSTEM_IDLE;
    m_stdvHitCandidates.clear();
    m_stdvShotResults.clear();
    m_stdvSinking.clear();
    m_pAttackerScene = nullptr;
    m_pAttacker = nullptr;
    m_pAttackerModel = nullptr;
    m_pTargetScene = nullptr;
    m_pTarget = nullptr;
    m_pCurrentPart = nullptr;
    m_pCurrentEntry = nullptr;
    m_iGunGroup = -1;
    m_iGunIndex = -1;
    m_iAttackTurnStep = -1;
    m_iRoundIndex1 = -1;
    m_iRoundIndex2 = -1;
    m_fTurnSign = 0.0f;
    m_fRecoil = 0.0f;
}

// ---- rules ----

bool CDX9KelBattleSystem::IsAngleInZone(PartRect* zone, float angle) {
    if (!zone || angle > kPi || !(angle == angle)) return false;
    // The zone is two intervals: [left, top] and [right, bottom].
    if (zone->left == zone->top) return false;
    if (zone->top < zone->left) std::swap(zone->left, zone->top);
    if (zone->bottom < zone->right) std::swap(zone->right, zone->bottom);
    if (zone->left <= angle && angle <= zone->top) return true;
    if (zone->right == zone->bottom) return false;
    return zone->right <= angle && angle <= zone->bottom;
}

float CDX9KelBattleSystem::CollectHitCandidates(float angle, BattleDataBlock* target) {
    if (!target) return -1.0f;
    m_stdvHitCandidates.clear();
    float sum = 0.0f;
    auto walk = [&](std::vector<PartRecord>& parts, bool hull) {
        for (PartRecord& part : parts) {
            if (!(angle > -kPi) || !IsAngleInZone(&part.m_rDamageReceptionZone, angle)) continue;
            if (hull && !(part.m_fReserveArea > 0.0f)) continue;
            m_stdvHitCandidates.push_back(&part);
            sum += part.m_fReserveArea;
        }
    };
    walk(target->m_stdvMGTowers, false);
    walk(target->m_stdvDesignParts, true);
    walk(target->m_stdvPipes, false);
    return sum;
}

int CDX9KelBattleSystem::CalcHitChance(float distance, float fallAccuracy, float crewTraining, float targetArea) {
    if (!(distance > 0.0f)) return 0;
    float v = 99.0f - distance * fallAccuracy * crewTraining;
    if (!(v > 0.0f)) return 0;
    v = v + (targetArea - 800.0f) / 25.0f;
    if (!(v == v)) return 0;
    if (v > 99.0f) return 99;
    if (v < 0.0f) return 0;
    return static_cast<int>(v);
}

bool CDX9KelBattleSystem::RollHit(int chance) {
    const std::uint32_t r = Random32();
    return chance >= 0 && r % 100u <= static_cast<std::uint32_t>(chance);
}

PartRecord* CDX9KelBattleSystem::ChooseHitPart() {
    if (!(m_fCandidateArea > 0.0f) || m_stdvHitCandidates.empty()) return nullptr;
    const int k = TruncToInt(m_fCandidateArea);
    // Below one unit of area the integer draw has no room: the first
    // candidate is struck.
    if (k < 1) return m_stdvHitCandidates.front();
    const float x = static_cast<float>(Random32() % static_cast<std::uint32_t>(k));
    float sum = 0.0f;
    for (PartRecord* part : m_stdvHitCandidates) {
        sum += part->m_fReserveArea;
        if (x <= sum) return part;
    }
    return nullptr;
}

void CDX9KelBattleSystem::HitPart(const GunRecord* gun, PartRecord* part) {
    if (!gun || !part) return;
    const float x = CDX9KelUtils::GetRandomFloat(0.0f, part->m_fLength);
    const float r = CDX9KelUtils::GetRandomFloat(0.0f, 1.0f);
    float y = CDX9KelUtils::GetRandomFloat(part->m_fWaterline - r, part->m_fHeight);
    if (y < 0.0f) y = 0.0f;
    Trace("Hit point (length, height) :%f %f\n", x, y);
    Trace("Waterline :%f\n", part->m_fWaterline);

    int armour = 0;
    if (part->m_rArmourRect1.top != 0.0f && IsPointInArmourRect(&part->m_rArmourRect1, x, y)) {
        armour = part->m_iArmour1;
        Trace("First armored zone\n");
    } else if (part->m_rArmourRect2.top != 0.0f && IsPointInArmourRect(&part->m_rArmourRect2, x, y)) {
        armour = part->m_iArmour2;
        Trace("Second armored zone\n");
    }
    Trace("Armour :%d\n", armour);

    float p = static_cast<float>(gun->m_iBeginArmourPierce) - m_fDistance * gun->m_fFallArmourPierce;
    if (!(p > 0.0f)) p = 0.0f;
    Trace("Armour Penetration :%f\n", p);

    float d = armour != 0 ? p / static_cast<float>(armour) * static_cast<float>(gun->m_iDamage) * 0.4f
                          : static_cast<float>(gun->m_iDamage);
    if (d != 0.0f) {
        const float spread = CDX9KelUtils::GetRandomFloat(0.0f, 10.0f);
        if (Random32() % 2u == 0u)
            d = d - d * spread / 100.0f;
        else
            d = d + spread / 100.0f * d;
        if (d < 0.0f) d = 0.0f;
    }
    Trace("Damage :%f\n", d);

    // A part close to its end takes the new hole at the waterline.
    if (part->m_fWaterline != 0.0f) {
        const bool nearEnd =
            part->m_fDurability > 0.0f ? (part->m_fDamage + d) / part->m_fDurability > 0.9f : true;
        if (nearEnd) y = part->m_fWaterline < 0.0f ? 0.0f : part->m_fWaterline;
    }

    if (static_cast<float>(armour) < p) {
        part->m_stdvHoles.push_back(HoleEntry{y, d});
        if (part->m_fFireStrength == 0.0f) {
            // Compared as unsigned numbers: a negative ignition factor sets
            // every pierced part on fire.
            const std::uint32_t roll = static_cast<std::uint32_t>(CDX9KelUtils::GetRandomInt(100));
            const std::uint32_t ignition = static_cast<std::uint32_t>(TruncToInt(part->m_fIgnitionFactor));
            if (roll <= ignition) part->m_fFireStrength = d * CDX9KelUtils::GetRandomFloat(0.1f, 0.4f);
        }
    }
    part->m_fDamage += d;
    if (part->m_fDamage > part->m_fDurability) part->m_fDamage = part->m_fDurability;
}

bool CDX9KelBattleSystem::RamObject(GameObjectRecord* attacker, GameObjectRecord* target, float bowAngle,
                                    float sideAngle, float speed) {
    if (!attacker || !target || !attacker->m_pBattleData || !target->m_pBattleData) return false;
    if (!(bowAngle >= -0.39f && bowAngle <= 0.39f)) return false;
    if (!(speed > kRamSpeed)) return true;
    int partIndex = -1;
    if (sideAngle >= -2.35f && sideAngle <= -0.78f)
        partIndex = 1;
    else if (sideAngle >= 0.78f && sideAngle <= 2.35f)
        partIndex = 4;
    if (partIndex < 0) return true;
    BattleDataBlock& t = *target->m_pBattleData;
    float f = std::fabs(std::sin(sideAngle)) * attacker->m_pBattleData->m_fRamAttack +
              (speed - kRamSpeed) / kRamSpeedStep * 10.0f;
    if (!(f > t.m_fRamDefence)) return true;
    if (t.m_stdvDesignParts.size() <= static_cast<std::size_t>(partIndex)) return true;
    f -= t.m_fRamDefence;
    PartRecord& part = t.m_stdvDesignParts[partIndex];
    part.m_stdvHoles.push_back(HoleEntry{part.m_fWaterline, f});
    part.m_fDamage += f;
    return true;
}

bool CDX9KelBattleSystem::CollideObject(GameObjectRecord* object, GameObjectRecord* other, float angle) {
    if (!object || !other || !object->m_pBattleData || !other->m_pBattleData) return false;
    std::vector<PartRecord>& hull = object->m_pBattleData->m_stdvDesignParts;
    if (hull.size() != kHullParts) return false;
    int index;
    if (angle < -0.785f)
        index = 1;
    else if (angle < 0.0f)
        index = 0;
    else if (angle <= 0.785f)
        index = 3;
    else
        index = 4;
    PartRecord& part = hull[index];
    float d = other->m_pBattleData->m_fRamAttack;
    if (d > part.m_fDurability) d = part.m_fDurability;
    part.m_fDamage += d;
    part.m_stdvHoles.push_back(HoleEntry{part.m_fWaterline, d});
    return true;
}

// ---- queries ----

int CDX9KelBattleSystem::GetConditionPercent(const BattleDataBlock* data) {
    if (!data) return -1;
    float damage = 0.0f, durability = 0.0f;
    for (const auto* list : {&data->m_stdvMGTowers, &data->m_stdvDesignParts, &data->m_stdvPipes})
        for (const PartRecord& p : *list) {
            damage += p.m_fDamage;
            durability += p.m_fDurability;
        }
    // A unit without durability has nothing that can be damaged.
    if (!(durability > 0.0f)) return 100;
    return TruncToInt(100.0f - damage / durability * 100.0f);
}

int CDX9KelBattleSystem::GetFloodPercent(const BattleDataBlock* data) {
    if (!data || data->m_stdvDesignParts.size() != kHullParts) return -1;
    float water = 0.0f;
    for (const PartRecord& p : data->m_stdvDesignParts) water += p.m_fWaterWeight;
    if (data->m_iDisplacement <= 0) return 0;
    const int percent = TruncToInt(water / static_cast<float>(data->m_iDisplacement) * 100.0f);
    return percent > 100 ? 100 : percent;
}

int CDX9KelBattleSystem::GetGroupHitChance(int group, const BattleDataBlock* attacker, const BattleDataBlock* target,
                                           float mapDistance) {
    if (!attacker || !target || group < 0 || group > 7) return -1;
    const PartRecord* part = nullptr;
    if (group < 2) {
        if (attacker->m_stdvMGTowers.size() > static_cast<std::size_t>(group)) part = &attacker->m_stdvMGTowers[group];
    } else if (attacker->m_stdvDesignParts.size() > static_cast<std::size_t>(group - 2)) {
        part = &attacker->m_stdvDesignParts[group - 2];
    }
    if (!part || part->m_stdvGuns.empty()) return -1;
    const GunRecord& gun = part->m_stdvGuns.front();
    return CalcHitChance(mapDistance * kMetresPerUnit, gun.m_fFallAccuracy, attacker->m_fCrewTraining,
                         target->m_fTotalReserveArea);
}

float CDX9KelBattleSystem::GetDistanceForHitChance(int chance, float fallAccuracy, float crewTraining,
                                                   float targetArea) {
    if (chance <= 0 || !(fallAccuracy > 0.0f) || !(crewTraining > 0.0f) || !(targetArea > 0.0f)) return -1.0f;
    if (99.0f < static_cast<float>(chance) - std::trunc((targetArea - 800.0f) / 25.0f)) return 150.0f;
    return (99.0f - static_cast<float>(chance)) / (fallAccuracy * crewTraining);
}

// ---- bombardment ----

bool CDX9KelBattleSystem::BeginBombardment(int group, Vorna2::CDX9KelSceneObject* attackerScene,
                                           GameObjectRecord* attacker, CDX9KelAnimatedModel* attackerModel,
                                           Vorna2::CDX9KelSceneObject* targetScene, GameObjectRecord* target) {
    if (group > 7 || group < 0 || !attackerScene || !attacker || !targetScene || !target) return false;
    if (!attacker->m_pBattleData || !target->m_pBattleData) return false;
    if (m_iState != BATTLE_SYSTEM_IDLE) return false;
    g_Log.Write(LOG_INFO, "____________________CDX9KelBattleSystem::BeginBombardment : %s attack %s\n",
                RecordText(attacker->m_Unit.m_szName).c_str(), RecordText(target->m_Unit.m_szName).c_str());
    m_iGunGroup = group;
    m_pAttackerScene = attackerScene;
    m_pAttacker = attacker;
    m_pAttackerModel = attackerModel;
    m_pTargetScene = targetScene;
    m_pTarget = target;
    m_iGunIndex = -1;
    // The results tell of this bombardment only, also when it ends before
    // its first gun is tried.
    m_stdvShotResults.clear();
    m_iState = BATTLE_SYSTEM_BOMBARDMENT;
    return true;
}

void CDX9KelBattleSystem::EndBombardment() {
    m_iGunGroup = -1;
    m_iGunIndex = -1;
    m_iState = BATTLE_SYSTEM_IDLE;
}

bool CDX9KelBattleSystem::CalcDistanceAndAngle() {
    if (!m_pAttackerScene || !m_pTargetScene || !m_pTarget || !m_pTarget->m_pBattleData) return false;
    const D3DXMATRIX& a = m_pAttackerScene->m_mWorld;
    const D3DXMATRIX& t = m_pTargetScene->m_mWorld;
    m_fDistance = Vorna2::GetDistanceBetweenMatrices(&a, &t) * kMetresPerUnit;
    m_fAngle = Vorna2::GetHeadingAngleToMatrix(&a, &t);
    // The part struck is found from where the shell comes: the bearing of
    // the attacker as the target sees it.
    const float aspect = Vorna2::GetHeadingAngleToMatrix(&t, &a);
    m_fCandidateArea = CollectHitCandidates(aspect, m_pTarget->m_pBattleData.get());
    return m_fCandidateArea != 0.0f;
}

void CDX9KelBattleSystem::ProcBombardment() {
    if (m_iState != BATTLE_SYSTEM_BOMBARDMENT || m_iGunGroup < 0) return;
    if (m_iGunIndex == -1) {
        if (!CalcDistanceAndAngle()) {
            EndBombardment();
            return;
        }
        if (!m_pAttackerModel) {
            // A ship without animation data has no gun frames to fire from.
            g_Log.Write(LOG_INFO, "CDX9KelBattleSystem::ProcBombardment : no animated model : %s\n",
                        RecordText(m_pAttacker->m_Unit.m_szName).c_str());
            EndBombardment();
            return;
        }
        BattleDataBlock& data = *m_pAttacker->m_pBattleData;
        if (data.m_stdvMGTowers.size() != m_pAttackerModel->m_stdvTowers.size()) {
            EndBombardment();
            return;
        }
        m_pCurrentPart = nullptr;
        m_pCurrentEntry = nullptr;
        if (m_iGunGroup < 2) {
            if (data.m_stdvMGTowers.size() > static_cast<std::size_t>(m_iGunGroup)) {
                m_pCurrentPart = &data.m_stdvMGTowers[m_iGunGroup];
                m_pCurrentEntry = &m_pAttackerModel->m_stdvTowers[m_iGunGroup];
            }
        } else if (data.m_stdvDesignParts.size() == m_pAttackerModel->m_stdvDesign.size() &&
                   data.m_stdvDesignParts.size() > static_cast<std::size_t>(m_iGunGroup - 2)) {
            m_pCurrentPart = &data.m_stdvDesignParts[m_iGunGroup - 2];
            m_pCurrentEntry = &m_pAttackerModel->m_stdvDesign[m_iGunGroup - 2];
        }
        if (!m_pCurrentPart) {
            EndBombardment();
            return;
        }
        m_iGunIndex = 0;
        m_stdvShotResults.clear();
        return;
    }
    if (!m_pCurrentPart || !m_pCurrentEntry || m_pCurrentPart->m_stdvGuns.size() != m_pCurrentEntry->m_stdvGuns.size()) {
        EndBombardment();
        return;
    }
    if (static_cast<std::size_t>(m_iGunIndex) >= m_pCurrentPart->m_stdvGuns.size()) {
        m_iGunIndex = -1;
        m_iState = BATTLE_SYSTEM_ATTACK_TURN;
        return;
    }
    GunBombBattleObject(&m_pCurrentPart->m_stdvGuns[m_iGunIndex], &m_pCurrentEntry->m_stdvGuns[m_iGunIndex]);
    ++m_iGunIndex;
}

bool CDX9KelBattleSystem::GunBombBattleObject(GunRecord* gun, AnimatedGunFrame* gunFrame) {
    if (!gun || !gunFrame || !gunFrame->m_pFrame || !m_pAttacker || !m_pAttacker->m_pBattleData || !m_pTarget ||
        !m_pTarget->m_pBattleData || !m_pAttackerScene || !m_pTargetScene)
        return false;
    m_stdvShotResults.push_back(SHOT_NOT_FIRED);
    int& result = m_stdvShotResults.back();
    if (!gun->m_bCanShoot) {
        Trace("No opportunity to shoot\n");
        return false;
    }
    if (!gun->m_bReady) {
        Trace("Already shot\n");
        return false;
    }
    if (!(static_cast<float>(gun->m_iBombardRange) >= std::trunc(m_fDistance))) {
        Trace("Outside of a distance\n");
        return false;
    }
    if (gun->m_iCurrentBombardSpeed <= 0) {
        Trace("Bombard Speed 0\n");
        return false;
    }
    const D3DXMATRIX gunWorld = FrameWorld(gunFrame->m_pFrame, m_pAttackerScene->m_mWorld);
    const float angle = Vorna2::GetHeadingAngleToMatrix(&gunWorld, &m_pTargetScene->m_mWorld);
    PartRect zone = gun->m_rBombardZone;
    const bool inZone = angle > -kPi && IsAngleInZone(&zone, angle);
    gun->m_rBombardZone = zone;
    if (!inZone) {
        Trace("Not angle in bombard zone\n");
        return false;
    }
    BattleDataBlock& attacker = *m_pAttacker->m_pBattleData;
    const int chance = CalcHitChance(m_fDistance, gun->m_fFallAccuracy, attacker.m_fCrewTraining,
                                     m_pTarget->m_pBattleData->m_fTotalReserveArea);
    if (chance <= 0) {
        Trace("Accuracy 0\n");
        return false;
    }
    Trace("Bombard speed: %d\n", gun->m_iCurrentBombardSpeed);
    // A description may give any speed; a gun with endless powder must still
    // end its bombardment in good time.
    int shots = gun->m_iCurrentBombardSpeed;
    if (shots > kMaxShotsPerGun) {
        g_Log.Write(LOG_INFO, "CDX9KelBattleSystem::GunBombBattleObject : %d shots cut to %d : %s\n", shots,
                    kMaxShotsPerGun, RecordText(m_pAttacker->m_Unit.m_szName).c_str());
        shots = kMaxShotsPerGun;
    }
    for (int shot = 0; shot < shots; ++shot) {
        if (gun->m_iShells == -1) {
            if (attacker.m_iGunpowder == 0) {
                Trace("Gunpowder empty\n");
                break;
            }
            // A negative stock (not given) never runs out.
            if (attacker.m_iGunpowder > 0) --attacker.m_iGunpowder;
        } else {
            if (gun->m_iShells == 0) {
                Trace("No shells\n");
                break;
            }
            --gun->m_iShells;
        }
        if (result == SHOT_NOT_FIRED) result = SHOT_MISSED;
        if (chance <= 100 && RollHit(chance)) {
            result = SHOT_HIT;
            if (PartRecord* part = ChooseHitPart()) {
                Trace("Hit\n");
                HitPart(gun, part);
                continue;
            }
        }
        Trace("Miss\n");
    }
    gun->m_bReady = 0;
    return true;
}

// ---- attack turn ----

void CDX9KelBattleSystem::TurnEntry(float angle) {
    if (!m_pCurrentEntry || !m_pCurrentEntry->m_pFrame) return;
    const D3DXMATRIX& local = m_pCurrentEntry->m_pFrame->m_mLocal;
    D3DXVECTOR3 up = Row(local, 1);
    if (D3DXVec3Length(&up) == 0.0f) up = D3DXVECTOR3(0.0f, 1.0f, 0.0f);
    D3DXVec3Normalize(&up, &up);
    const D3DXVECTOR3 point = Row(local, 3);
    Vorna2::RotateMatrixAroundAxis(&up, &m_pCurrentEntry->m_pFrame->m_mLocal, &point, angle);
    // Gun frames hung below the turned frame turn with it.
    for (AnimatedGunFrame& g : m_pCurrentEntry->m_stdvGuns)
        if (g.m_pFrame && !IsBelow(m_pCurrentEntry->m_pFrame, g.m_pFrame))
            Vorna2::RotateMatrixAroundAxis(&up, &g.m_pFrame->m_mLocal, &point, angle);
}

void CDX9KelBattleSystem::ProcAttackTurn(float frameTime) {
    if (m_iState != BATTLE_SYSTEM_ATTACK_TURN) return;
    switch (m_iAttackTurnStep) {
    case -1: {
        if (!m_pCurrentEntry) {
            m_iState = BATTLE_SYSTEM_IDLE;
            return;
        }
        const bool fired = std::any_of(m_stdvShotResults.begin(), m_stdvShotResults.end(),
                                       [](int r) { return r != SHOT_NOT_FIRED; });
        if (m_pCurrentEntry->m_stdvGuns.empty() || !fired) {
            m_iState = BATTLE_SYSTEM_IDLE;
            m_iAttackTurnStep = -1;
            return;
        }
        m_iGunIndex = 0;
        m_fTurned = 0.0f;
        if (!m_pCurrentEntry->m_pFrame || !m_pAttackerScene || !m_pTargetScene) {
            // A tower whose frame the model lacks fires without turning.
            m_fTurnSign = 0.0f;
            m_iAttackTurnStep = 1;
            return;
        }
        m_mSavedPart = m_pCurrentEntry->m_pFrame->m_mLocal;
        m_vPartPosition = m_pCurrentEntry->m_pFrame->m_vCenter;
        const D3DXMATRIX world = FrameWorld(m_pCurrentEntry->m_pFrame, m_pAttackerScene->m_mWorld);
        m_fAttackTurnAngle = Vorna2::GetHeadingAngleToMatrix(&world, &m_pTargetScene->m_mWorld);
        m_fTurnSign = m_fAttackTurnAngle > 0.0f ? 1.0f : -1.0f;
        m_iAttackTurnStep = 0;
        if (!(m_fAttackTurnAngle >= -kPi && m_fAttackTurnAngle <= kPi)) {
            m_fTurnSign = 0.0f;
            m_iAttackTurnStep = 1;
        }
        return;
    }
    case 0: {
        const float s = m_fTurnSign * m_fTurnRate * frameTime;
        m_fTurned += s;
        TurnEntry(s);
        if (std::fabs(m_fTurned + s) > std::fabs(m_fAttackTurnAngle)) m_iAttackTurnStep = 1;
        return;
    }
    case 1:
    case 2:
    case 3:
    case 4: {
        const std::size_t guns = m_pCurrentEntry ? m_pCurrentEntry->m_stdvGuns.size() : 0;
        // Guns that did not fire stay still.
        while (m_iAttackTurnStep == 1 && static_cast<std::size_t>(m_iGunIndex) < guns &&
               (static_cast<std::size_t>(m_iGunIndex) >= m_stdvShotResults.size() ||
                m_stdvShotResults[m_iGunIndex] == SHOT_NOT_FIRED))
            ++m_iGunIndex;
        if (static_cast<std::size_t>(m_iGunIndex) >= guns) {
            m_iGunIndex = -1;
            m_fTurned = 0.0f;
            m_iAttackTurnStep = 5;
            return;
        }
        if (PlayGunShot(m_stdvShotResults[m_iGunIndex], &m_pCurrentEntry->m_stdvGuns[m_iGunIndex], frameTime)) {
            ++m_iGunIndex;
            m_iAttackTurnStep = 1;
        }
        return;
    }
    case 5: {
        if (m_fTurnSign == 0.0f) {
            m_iAttackTurnStep = 6;
            return;
        }
        const float s = -m_fTurnSign * m_fTurnRate * frameTime;
        m_fTurned += s;
        TurnEntry(s);
        if (std::fabs(m_fTurned + s) > std::fabs(m_fAttackTurnAngle)) {
            m_iAttackTurnStep = 6;
            m_fTurnSign = 0.0f;
        }
        return;
    }
    default:
        m_iState = BATTLE_SYSTEM_IDLE;
        RestoreEntry();
        return;
    }
}

D3DXMATRIX CDX9KelBattleSystem::GunWorld(const Vorna2::CDX9KelBoundsRecord* gun) const {
    const Vorna2::CDX9KelBoundsRecord* entry = m_pCurrentEntry ? m_pCurrentEntry->m_pFrame : nullptr;
    if (!IsBelow(entry, gun)) return FrameWorld(gun, m_pAttackerScene->m_mWorld);
    // The gun hangs below the turned tower or part: its barrel points along
    // its own -z as turned with it, from the gun frame's origin.
    D3DXMATRIX local, world;
    D3DXMatrixMultiply(&local, &gun->m_mLocal, &entry->m_mLocal);
    D3DXMatrixMultiply(&world, &local, &m_pAttackerScene->m_mWorld);
    return world;
}

void CDX9KelBattleSystem::RestoreEntry() {
    m_iAttackTurnStep = -1;
    if (!m_pCurrentEntry) return;
    // Frames the model lacks stay null and are left alone.
    if (m_pCurrentEntry->m_pFrame) m_pCurrentEntry->m_pFrame->m_mLocal = m_pCurrentEntry->m_mInitial;
    for (AnimatedGunFrame& g : m_pCurrentEntry->m_stdvGuns)
        if (g.m_pFrame) g.m_pFrame->m_mLocal = g.m_mInitial;
}

bool CDX9KelBattleSystem::PlayGunShot(int shotResult, AnimatedGunFrame* gunFrame, float frameTime) {
    Vorna2::CDX9KelBoundsRecord* frame = gunFrame ? gunFrame->m_pFrame : nullptr;
    const float barrel = frame ? BarrelLength(frame) : 0.0f;
    switch (m_iAttackTurnStep) {
    case 1: {
        m_iAttackTurnStep = 2;
        m_fRecoil = 0.0f;
        if (!frame) return false;
        // The barrel points along the frame's negated third row; it recoils
        // the other way.
        D3DXVECTOR3 axis = Row(frame->m_mLocal, 2);
        if (D3DXVec3Length(&axis) > 0.0f) D3DXVec3Normalize(&axis, &axis);
        m_vRecoilAxis = axis;
        if (m_MapLists.m_pParticles && m_pAttackerScene) {
            const D3DXMATRIX world = GunWorld(frame);
            D3DXVECTOR3 forward = -Row(world, 2);
            if (D3DXVec3Length(&forward) > 0.0f) D3DXVec3Normalize(&forward, &forward);
            const D3DXVECTOR3 muzzle = Row(world, 3) + forward * barrel;
            if (Vorna2::CDXParticleSystemParams* params = m_MapLists.m_pParticles->LoadPSParamsFromFile(
                    m_szShotParticles.c_str(), m_MapLists.m_pDevice))
                params->vVelocity = forward * 3.0f;
            D3DXMATRIX at;
            D3DXMatrixTranslation(&at, muzzle.x, muzzle.y, muzzle.z);
            m_MapLists.m_pParticles->CreateStandalonePS(m_MapLists.m_pDevice, m_szShotParticles.c_str(), &at, nullptr);
            PlaySound(m_szShotSound, muzzle, 40.0f, 80.0f);
        }
        return false;
    }
    case 2: {
        const float s = m_fTurnRate * -0.5f * frameTime;
        m_fRecoil += s;
        MoveFrame(frame, m_vRecoilAxis, -s);
        if (std::fabs(m_fRecoil) > 0.8f * barrel) {
            m_fRecoil = 0.0f;
            m_iAttackTurnStep = 3;
        }
        return false;
    }
    case 3:
        m_iAttackTurnStep = 4;
        if (shotResult == SHOT_MISSED)
            PlaySplash();
        else if (shotResult == SHOT_HIT)
            PlayExplosion();
        return false;
    default: {
        const float s = m_fTurnRate * 0.4f * frameTime;
        m_fRecoil += s;
        MoveFrame(frame, m_vRecoilAxis, -s);
        if (std::fabs(m_fRecoil) > barrel) {
            m_fRecoil = 0.0f;
            return true;
        }
        return false;
    }
    }
}

void CDX9KelBattleSystem::PlaySound(const std::string& file, const D3DXVECTOR3& position, float referenceDistance,
                                    float maxDistance) {
    Vorna2::COALSoundManager& sound = Vorna2::g_SoundManager;
    if (!sound.IsOpen() || sound.GetEffectsVolume() == 0.0f || file.empty()) return;
    D3DXMATRIX at;
    D3DXMatrixTranslation(&at, position.x, position.y, position.z);
    const int id = sound.CreateSound(file.c_str(), Vorna2::SOUND_TYPE_ONCE, nullptr, &at,
                                     referenceDistance, maxDistance);
    if (id >= 0) sound.PlaySound(id);
}

void CDX9KelBattleSystem::PlaySplash() {
    if (!m_MapLists.m_pParticles || !m_pAttackerScene || !m_pTargetScene) return;
    const D3DXVECTOR3 target = Row(m_pTargetScene->m_mWorld, 3);
    D3DXVECTOR3 dir = target - Row(m_pAttackerScene->m_mWorld, 3);
    dir.y = 0.0f;
    if (D3DXVec3Length(&dir) > 0.0f) D3DXVec3Normalize(&dir, &dir);
    const float along = CDX9KelUtils::GetRandomFloat(1.5f, 20.0f);
    const D3DXVECTOR3 scatter = CDX9KelUtils::GetRandomUnitVector();
    const float spread = CDX9KelUtils::GetRandomFloat(0.0f, 2.0f);
    const D3DXVECTOR3 at = target + dir * along + scatter * spread;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, at.x, at.y, at.z);
    m_MapLists.m_pParticles->CreateStandalonePS(m_MapLists.m_pDevice, m_szSplashParticles.c_str(), &m, nullptr);
    PlaySound(m_szSplashSound, at, 60.0f, 25.0f);
}

void CDX9KelBattleSystem::PlayExplosion() {
    if (!m_MapLists.m_pParticles || !m_pAttackerScene || !m_pTargetScene) return;
    const D3DXVECTOR3 target = Row(m_pTargetScene->m_mWorld, 3);
    D3DXVECTOR3 dir = Row(m_pAttackerScene->m_mWorld, 3) - target;
    dir.y = 0.0f;
    if (D3DXVec3Length(&dir) > 0.0f) D3DXVec3Normalize(&dir, &dir);
    const float toward = 1.0f - CDX9KelUtils::GetRandomFloat(0.0f, 1.0f);
    D3DXVECTOR3 at = target + dir * toward;
    at.y += 0.1f;
    D3DXMATRIX m;
    D3DXMatrixTranslation(&m, at.x, at.y, at.z);
    m_MapLists.m_pParticles->CreateStandalonePS(m_MapLists.m_pDevice, m_szExplosionParticles.c_str(), &m, nullptr);
    PlaySound(m_szExplosionSound, at, 80.0f, 40.0f);
}

// ---- round result ----

bool CDX9KelBattleSystem::BeginCalcRoundResult() {
    if (!m_MapLists.m_pGameObjects[0] || !m_MapLists.m_pGameObjects[1]) return false;
    g_Log.Write(LOG_INFO, "_________________________CDX9KelBattleSystem::BeginCalcRoundResult()\n");
    // An attack cut short by the end of the round puts its frames back, so
    // the next attack starts from the beginning with the model as it was.
    if (m_iState == BATTLE_SYSTEM_BOMBARDMENT || m_iState == BATTLE_SYSTEM_ATTACK_TURN) {
        RestoreEntry();
        m_iGunGroup = -1;
        m_iGunIndex = -1;
        m_fTurnSign = 0.0f;
        m_fRecoil = 0.0f;
    }
    m_iRoundIndex1 = -1;
    m_iRoundIndex2 = -1;
    m_iState = BATTLE_SYSTEM_ROUND_RESULT_1;
    return true;
}

bool CDX9KelBattleSystem::StepSides(bool (CDX9KelBattleSystem::*op)(GameObjectRecord*, Vorna2::CDX9KelSceneObject*)) {
    auto count = [](const BattleGameObjectList* list) { return list ? static_cast<int>(list->size()) : 0; };
    auto sceneAt = [](const BattleSceneObjectList* list, int i) -> Vorna2::CDX9KelSceneObject* {
        return list && i < static_cast<int>(list->size()) ? (*list)[i] : nullptr;
    };
    if (m_iRoundIndex1 < 0 && m_iRoundIndex2 < 0) m_iRoundIndex1 = 0;
    const BattleGameObjectList* side1 = m_MapLists.m_pGameObjects[0];
    const BattleGameObjectList* side2 = m_MapLists.m_pGameObjects[1];
    if (m_iRoundIndex1 >= 0) {
        if (m_iRoundIndex1 < count(side1)) {
            (this->*op)((*side1)[m_iRoundIndex1], sceneAt(m_MapLists.m_pSceneObjects[0], m_iRoundIndex1));
            ++m_iRoundIndex1;
            return false;
        }
        // The change of side takes a frame of its own.
        m_iRoundIndex1 = -1;
        m_iRoundIndex2 = 0;
        return false;
    }
    if (m_iRoundIndex2 < count(side2)) {
        (this->*op)((*side2)[m_iRoundIndex2], sceneAt(m_MapLists.m_pSceneObjects[1], m_iRoundIndex2));
        ++m_iRoundIndex2;
    }
    if (m_iRoundIndex2 >= count(side2)) {
        m_iRoundIndex1 = -1;
        m_iRoundIndex2 = -1;
        return true;
    }
    return false;
}

void CDX9KelBattleSystem::ProcRoundResult() {
    if (m_iState == BATTLE_SYSTEM_ROUND_RESULT_1) {
        if (StepSides(&CDX9KelBattleSystem::CalcObjectRoundData)) m_iState = BATTLE_SYSTEM_ROUND_RESULT_2;
    } else if (m_iState == BATTLE_SYSTEM_ROUND_RESULT_2) {
        if (StepSides(&CDX9KelBattleSystem::UpdateObjectEffects)) m_iState = BATTLE_SYSTEM_IDLE;
    }
}

void CDX9KelBattleSystem::CalcHoles(PartRecord* part) {
    if (!part) return;
    for (const HoleEntry& hole : part->m_stdvHoles) {
        if (!(hole.m_fHeight <= part->m_fWaterline)) continue;
        part->m_fActiveHoles += hole.m_fSize / 13.5f;
        part->m_fWaterWeight += hole.m_fSize * 1.25f;
    }
}

void CDX9KelBattleSystem::GrowFire(PartRecord* part) {
    if (!part) return;
    float fire = part->m_fFireStrength + part->m_fFireStrength * 1.2f;
    const float room = part->m_fDurability - part->m_fDamage;
    if (fire > room) fire = room;
    // A part already past its durability has nothing left to burn.
    if (!(fire > 0.0f)) fire = 0.0f;
    part->m_fFireStrength = fire;
}

void CDX9KelBattleSystem::ApplyFireDamage(PartRecord* part) {
    if (part) part->m_fDamage += part->m_fFireStrength * 0.1f;
}

void CDX9KelBattleSystem::RepairPart(PartRecord* part, int displacement) {
    if (!part || part->m_fFireStrength > 0.0f) return;
    float repair = static_cast<float>(displacement) * 0.00025f * part->m_fEfficiency;
    if (!(repair > 0.0f)) repair = 0.0f;
    part->m_fDamage -= repair;
    if (part->m_fDamage < 0.0f) part->m_fDamage = 0.0f;
    float left = repair;
    bool patching = true;
    float underwater = 0.0f;
    for (std::size_t i = 0; i < part->m_stdvHoles.size();) {
        HoleEntry& hole = part->m_stdvHoles[i];
        if (hole.m_fHeight <= part->m_fWaterline) {
            underwater += hole.m_fSize;
            ++i;
            continue;
        }
        if (patching) {
            if (hole.m_fSize <= left) {
                left -= hole.m_fSize;
                part->m_stdvHoles.erase(part->m_stdvHoles.begin() + static_cast<std::ptrdiff_t>(i));
                continue;
            }
            hole.m_fSize -= left;
            left = 0.0f;
            patching = false;
        }
        ++i;
    }
    // Damage cannot be repaired below what the holes under water account for.
    if (underwater > part->m_fDamage && underwater < part->m_fDurability) part->m_fDamage = underwater;
}

void CDX9KelBattleSystem::UpdateGunState(PartRecord* part) {
    if (!part) return;
    for (GunRecord& gun : part->m_stdvGuns) {
        gun.m_bReady = 1;
        gun.m_bCanShoot = 1;
        if (gun.m_iBombardSpeed == 1)
            gun.m_iCurrentBombardSpeed = part->m_fEfficiency >= 0.5f ? 1 : 0;
        else
            gun.m_iCurrentBombardSpeed = TruncToInt(static_cast<float>(gun.m_iBombardSpeed) * part->m_fEfficiency);
        if (gun.m_iCurrentBombardSpeed == 0) gun.m_bCanShoot = 0;
        if (!(part->m_fWaterline == 0.0f && gun.m_fHeight == 0.0f) && gun.m_fHeight <= part->m_fWaterline)
            gun.m_bCanShoot = 0;
    }
}

float CDX9KelBattleSystem::CalcHeelAngle(int displacement, float a, float b) {
    if (displacement <= 0) return 4.0f * kPi;
    const float half = static_cast<float>(displacement) * 0.5f;
    const float a2 = a + half, b2 = b + half;
    const float hi = std::max(a2, b2), lo = std::min(a2, b2);
    if (!(hi > 0.0f)) return 0.0f;
    const float angle = std::acos(std::clamp(lo / hi, -1.0f, 1.0f)) * 0.5f;
    return b2 > a2 ? -angle : angle;
}

float CDX9KelBattleSystem::CalcFlooding(GameObjectRecord* object, float halfBeam) {
    if (!object || !object->m_pBattleData || !object->m_pMovementState) return 0.0f;
    BattleDataBlock& data = *object->m_pBattleData;
    std::vector<PartRecord>& hull = data.m_stdvDesignParts;
    if (hull.size() != kHullParts) return 0.0f;
    const float w[6] = {hull[0].m_fWaterWeight, hull[1].m_fWaterWeight, hull[2].m_fWaterWeight,
                        hull[3].m_fWaterWeight, hull[4].m_fWaterWeight, hull[5].m_fWaterWeight};
    const float right = w[3] + w[4] + w[5], left = w[0] + w[1] + w[2];
    const float bow = w[0] + w[3], stern = w[2] + w[5];
    const float total = left + right;
    if (!(total > 0.0f)) return 0.0f;
    MovementStateRecord& state = *object->m_pMovementState;
    const float freeboard = hull[1].m_fHeight - hull[1].m_fDesignWaterline;
    const float rise = data.m_iDisplacement > 0 ? freeboard / static_cast<float>(data.m_iDisplacement) * total
                                                : freeboard;
    state.m_fFloodLevel = rise * 0.054f;
    state.m_fCrossHeel = CalcHeelAngle(data.m_iDisplacement, left, right);
    state.m_fLongitudinalHeel = CalcHeelAngle(data.m_iDisplacement, bow, stern);
    const float d = halfBeam * std::sin(state.m_fCrossHeel);
    for (std::size_t i = 0; i < kHullParts; ++i) {
        PartRecord& part = hull[i];
        float line = part.m_fDesignWaterline + rise + (i < 3 ? d : -d);
        if (line > part.m_fHeight) line = part.m_fHeight;
        if (!(line >= 0.0f)) line = 0.0f;
        part.m_fWaterline = line;
    }
    return total;
}

bool CDX9KelBattleSystem::DetectDeath(GameObjectRecord* object, float waterWeight) {
    if (!object || !object->m_pBattleData) return false;
    BattleDataBlock& data = *object->m_pBattleData;
    const std::string name = RecordText(object->m_Unit.m_szName);
    if (CanSink(object) && waterWeight >= static_cast<float>(data.m_iDisplacement) - kFloodMargin) {
        g_Log.Write(LOG_CONTINUE, "CDX9KelBattleSystem::DetectDeath : BATTLE_SYSTEM_DEATH_FLOOD : %s\n", name.c_str());
        data.m_bAlive = 0;
        data.m_iDeathKind = DEATH_FLOOD;
    } else if (CanSink(object) && std::fabs(object->m_pMovementState->m_fCrossHeel) > kRollLimit) {
        g_Log.Write(LOG_CONTINUE, "CDX9KelBattleSystem::DetectDeath : BATTLE_SYSTEM_DEATH_ROLL : %s\n", name.c_str());
        data.m_bAlive = 0;
        data.m_iDeathKind = DEATH_ROLL;
    } else if (GetConditionPercent(&data) <= 0) {
        g_Log.Write(LOG_CONTINUE, "CDX9KelBattleSystem::DetectDeath : BATTLE_SYSTEM_DEATH_DESTRUCTION : %s\n",
                    name.c_str());
        data.m_bAlive = 0;
        data.m_iDeathKind = DEATH_DESTRUCTION;
    }
    return true;
}

bool CDX9KelBattleSystem::CalcObjectRoundData(GameObjectRecord* object, Vorna2::CDX9KelSceneObject* sceneObject) {
    if (!object || !sceneObject || !object->m_pBattleData) return false;
    BattleDataBlock& data = *object->m_pBattleData;
    g_Log.Write(LOG_INFO, "CDX9KelBattleSystem::CalcObjectRoundData : %s\n",
                RecordText(object->m_Unit.m_szName).c_str());
    const bool canFlood = CanFlood(object);
    const float training = data.m_fCrewTraining;

    Trace("FIRST PASS\n");
    float efficiencySum = 0.0f, fireSum = 0.0f, holesSum = 6.0f, waterSum = 0.0f;
    auto burn = [&](PartRecord& part) {
        if (part.m_fFireStrength > 0.0f) {
            GrowFire(&part);
            ApplyFireDamage(&part);
            Trace("FireStrength : %f\n", part.m_fFireStrength);
            fireSum += part.m_fFireStrength;
        }
    };
    Trace("TOWERS\n");
    for (std::size_t i = 0; i < data.m_stdvMGTowers.size(); ++i) {
        PartRecord& part = data.m_stdvMGTowers[i];
        Trace("tower num : %zu\n", i);
        float e = training - Ratio(part.m_fDamage, part.m_fDurability) -
                  Ratio(part.m_fFireStrength, part.m_fDurability);
        if (!(e >= 0.0f)) e = 0.0f;
        part.m_fEfficiency = e;
        Trace("EfficiencyFactor : %f\n", e);
        efficiencySum += e;
        burn(part);
    }
    Trace("HULL\n");
    for (std::size_t i = 0; i < data.m_stdvDesignParts.size(); ++i) {
        PartRecord& part = data.m_stdvDesignParts[i];
        Trace("hull num : %zu\n", i);
        float e = training - (Ratio(part.m_fWaterWeight, part.m_fBuoyancy) + Ratio(part.m_fDamage, part.m_fDurability) +
                              Ratio(part.m_fFireStrength, part.m_fDurability));
        if (!(e >= 0.0f)) e = 0.0f;
        part.m_fEfficiency = e;
        Trace("EfficiencyFactor : %f\n", e);
        efficiencySum += e;
        burn(part);
        if (canFlood) {
            CalcHoles(&part);
            Trace("Active Holes : %f\n", part.m_fActiveHoles);
            Trace("Water Weight : %f\n", part.m_fWaterWeight);
            holesSum += part.m_fActiveHoles;
            waterSum += part.m_fWaterWeight;
        }
    }
    const std::size_t partCount = data.m_stdvMGTowers.size() + data.m_stdvDesignParts.size();
    // A unit with neither towers nor hull parts works at no efficiency.
    const float efficiency = partCount > 0 ? efficiencySum / static_cast<float>(partCount) : 0.0f;
    Trace("Sum Efficiency Factor : %f\n", efficiency);
    Trace("Sum Water Weight : %f\n", waterSum);

    // Pumps given as nothing (or less) neither drain nor put out fires.
    const float pumps = data.m_fPumps > 0.0f ? data.m_fPumps : 0.0f;
    if (canFlood) {
        Trace("SECOND PASS - drainage\n");
        Trace("Pomp : %f\n", data.m_fPumps);
        float drained = 0.0f;
        for (PartRecord& part : data.m_stdvDesignParts) {
            if (!(part.m_fWaterWeight > 0.0f)) continue;
            const float drainage = part.m_fWaterWeight / waterSum * pumps * efficiency;
            Trace("Drainage : %f\n", drainage);
            if (part.m_fWaterWeight < drainage) {
                drained += part.m_fWaterWeight;
                part.m_fWaterWeight = 0.0f;
            } else {
                part.m_fWaterWeight -= drainage;
                drained += drainage;
            }
        }
        waterSum -= drained;
        if (!(waterSum > 0.0f)) waterSum = 0.0f;
    }

    Trace("THIRD PASS\n");
    auto suppress = [&](PartRecord& part) {
        if (part.m_fFireStrength > 0.0f) {
            const float s = Ratio(part.m_fFireStrength, fireSum) * pumps * 0.1f * efficiency;
            Trace("Suppression : %f\n", s);
            part.m_fFireStrength -= s;
            if (!(part.m_fFireStrength > 0.0f)) part.m_fFireStrength = 0.0f;
        }
        if (part.m_fDamage > 0.0f) RepairPart(&part, data.m_iDisplacement);
    };
    for (std::size_t i = 0; i < data.m_stdvMGTowers.size(); ++i) {
        Trace("towers num : %zu\n", i);
        suppress(data.m_stdvMGTowers[i]);
        UpdateGunState(&data.m_stdvMGTowers[i]);
    }
    Trace("Sum Water Weight : %f\n", waterSum);
    Trace("Sum Active Holes : %f\n", holesSum);
    for (PartRecord& part : data.m_stdvDesignParts) {
        suppress(part);
        if (canFlood) {
            float water = (part.m_fActiveHoles + 1.0f) * (waterSum / holesSum);
            if (water > part.m_fBuoyancy) water = part.m_fBuoyancy;
            if (!(water > 0.0f)) water = 0.0f;
            part.m_fWaterWeight = water;
            Trace("water weight : %f\n", water);
        }
    }
    DetectDeath(object, waterSum);

    if (!object->m_pMovementState) return true;
    // Flooding and speed need the hull's beam from the model's "hull" frame.
    Vorna2::CDX9KelModel* model = sceneObject->m_Models.empty() ? nullptr : sceneObject->m_Models.back();
    D3DXFRAME* hullFrame = nullptr;
    Vorna2::CDX9KelBoundsRecord* hullRecord = nullptr;
    if (!model || !Vorna2::CDX9KelModel::FindFrameByName("hull", model->m_pFrameRoot, model->m_pBounds, &hullFrame,
                                                           &hullRecord) ||
        !hullRecord)
        return false;
    // The hull frame's mesh may hang below it: then its first child's box
    // is the hull's, as for the physical manager.
    const Vorna2::CDX9KelBoundsRecord* box =
        hullFrame && hullFrame->pFrameFirstChild && hullRecord->m_pChild ? hullRecord->m_pChild : hullRecord;
    const float halfBeam = (box->m_vBoxMax.x - box->m_vBoxMin.x) * 0.5f * kMetresPerUnit;
    Trace("FLOODING\n");
    waterSum = CalcFlooding(object, halfBeam);
    Trace("AFTER FLOODING\n");
    for (PartRecord& part : data.m_stdvDesignParts) {
        UpdateGunState(&part);
        if (part.m_fWaterline > part.m_fHeight) part.m_fWaterline = part.m_fHeight;
        const float reserve = (part.m_fHeight - part.m_fWaterline) * part.m_fLength;
        part.m_fReserveArea = reserve > 0.0f ? reserve : 0.0f;
    }
    data.m_fTotalReserveArea =
        SumReserve(data.m_stdvMGTowers) + SumReserve(data.m_stdvDesignParts) + SumReserve(data.m_stdvPipes);
    if (object->m_pMovement) {
        float pipeDurability = 0.0f, pipeDamage = 0.0f;
        for (std::size_t i = 0; i < data.m_stdvPipes.size(); ++i) {
            pipeDurability += data.m_stdvPipes[i].m_fDurability;
            pipeDamage += data.m_stdvPipes[i].m_fDamage;
            Trace("pipe %zu damage %f\n", i, pipeDamage);
        }
        if (!(pipeDurability > 0.0f)) pipeDurability = 1.0f;
        const float water = Ratio(waterSum, static_cast<float>(data.m_iDisplacement));
        object->m_pMovement->m_fSpeedLimit = object->m_pMovement->m_fBaseSpeed *
                                             (0.8f * (1.0f - water) + 0.2f * (1.0f - pipeDamage / pipeDurability));
    }
    DetectDeath(object, waterSum);
    return true;
}

bool CDX9KelBattleSystem::UpdateObjectEffects(GameObjectRecord* object, Vorna2::CDX9KelSceneObject* sceneObject) {
    if (!object || !sceneObject || !object->m_pBattleData) return false;
    if (!object->m_pBattleData->m_bAlive && CanSink(object)) {
        // A wreck still on the map at the next round is listed once.
        if (std::find(m_stdvSinking.begin(), m_stdvSinking.end(), sceneObject) == m_stdvSinking.end())
            m_stdvSinking.push_back(sceneObject);
        return true;
    }
    if (!m_MapLists.m_pParticles) return true;
    Vorna2::CDXParticleSystemList* list = sceneObject->m_pParticleSystems;
    if (!list) {
        int index = -1;
        list = m_MapLists.m_pParticles->CreateList(&sceneObject->m_bVisible, &index);
        sceneObject->m_pParticleSystems = list;
        if (!list) return true;
    }
    // Particle systems carry the file-name part of their INI file.
    const std::string& fireFile = m_szFireParticles;
    const std::string fireList = fireFile.substr(fireFile.find_last_of("\\/") + 1);
    for (int i = static_cast<int>(list->m_Systems.size()) - 1; i >= 0; --i) {
        const Vorna2::CDXParticleSystem* ps = list->m_Systems[i];
        if (ps && ps->m_pParams && fireList == ps->m_pParams->szFileName)
            m_MapLists.m_pParticles->DeletePSFromList(list, i);
    }
    D3DXVECTOR3 offset(-1.0f, 0.1f, 1.0f);
    D3DXVec3Normalize(&offset, &offset);
    D3DXMATRIX local;
    D3DXMatrixTranslation(&local, offset.x * 0.3f, offset.y, offset.z * 0.3f);
    for (const PartRecord& part : object->m_pBattleData->m_stdvDesignParts)
        if (part.m_fFireStrength > 0.0f)
            m_MapLists.m_pParticles->CreateListPSInList(m_MapLists.m_pDevice, list, m_szFireParticles.c_str(), &local,
                                                         &sceneObject->m_mWorld);
    return true;
}

} // namespace VornaCampaign
