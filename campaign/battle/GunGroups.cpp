#include "campaign/battle/GunGroups.h"

#include "campaign/battle/CDX9KelBattleSystem.h"
#include "campaign/data/CDX9KelAnimatedModel.h"

#include "engine2/core/resources/CDX9KelModel.h"
#include "engine2/core/scene/CDX9KelSceneObject.h"
#include "engine2/core/scene/Geometry.h"

namespace VornaCampaign {

namespace {

// The gun's placement as the battle system fires it: the frame's matrix at
// the frame's centre, in the unit's world.
bool GunWorld(const AnimatedGunFrame& gun, const D3DXMATRIX& unitWorld, D3DXMATRIX* out) {
    if (gun.m_pFrame == nullptr) return false;
    D3DXMATRIX local = gun.m_pFrame->m_mLocal;
    local._41 = gun.m_pFrame->m_vCenter.x;
    local._42 = gun.m_pFrame->m_vCenter.y;
    local._43 = gun.m_pFrame->m_vCenter.z;
    D3DXMatrixMultiply(out, &local, &unitWorld);
    return true;
}

} // namespace

const PartRecord* GetGroupPart(const BattleDataBlock& ship, int group) {
    if (group < 0 || group > 7) return nullptr;
    if (group < 2) {
        const auto index = static_cast<std::size_t>(group);
        return index < ship.m_stdvMGTowers.size() ? &ship.m_stdvMGTowers[index] : nullptr;
    }
    const auto index = static_cast<std::size_t>(group - 2);
    return index < ship.m_stdvDesignParts.size() ? &ship.m_stdvDesignParts[index] : nullptr;
}

bool IsPartUsable(const PartRecord* part) {
    return part != nullptr && !part->m_stdvGuns.empty() && part->m_stdvGuns[0].m_bReady != 0 &&
           part->m_stdvGuns[0].m_bCanShoot != 0;
}

const GunRecord* GetUnitGunType(const BattleDataBlock& data) {
    for (const auto* parts : {&data.m_stdvMGTowers, &data.m_stdvDesignParts})
        for (const PartRecord& p : *parts)
            if (!p.m_stdvGuns.empty()) return &p.m_stdvGuns[0];
    return nullptr;
}

bool CanGroupReach(Vorna2::CDX9KelSceneObject* own, GameObjectRecord* record, CDX9KelAnimatedModel* model, int group,
                   Vorna2::CDX9KelSceneObject* target, bool firstGunOnly) {
    // Without its animation data a unit places no gun.
    if (own == nullptr || record == nullptr || model == nullptr || target == nullptr) return false;
    PartRecord* part = nullptr;
    AnimatedFrame* entry = nullptr;
    if (!GetGroupParts(record, group, model, &part, &entry) || part == nullptr || entry == nullptr) return false;
    for (std::size_t i = 0; i < part->m_stdvGuns.size() && i < entry->m_stdvGuns.size(); ++i) {
        GunRecord& gun = part->m_stdvGuns[i];
        if (gun.m_bReady != 0 && gun.m_bCanShoot != 0) {
            D3DXMATRIX world;
            if (GunWorld(entry->m_stdvGuns[i], own->m_mWorld, &world)) {
                const float angle = Vorna2::GetHeadingAngleToMatrix(&world, &target->m_mWorld);
                PartRect zone = gun.m_rBombardZone;
                if (angle > -CDX9KelBattleSystem::kPi && CDX9KelBattleSystem::IsAngleInZone(&zone, angle)) return true;
            }
        }
        if (firstGunOnly) break;
    }
    return false;
}

} // namespace VornaCampaign
