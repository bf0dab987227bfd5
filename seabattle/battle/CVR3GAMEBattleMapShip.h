#pragma once
// A ship in battle: the aggregate that ties a scene object (owned by the
// scene tree) to a physical body (owned by the physical manager) and to the
// five per-aspect parts built from the ship's object files: movement,
// animation, damage, artillery and information. The same object lives in
// the harbour and in the battle.
#include <cstdint>
#include <string>

namespace Vorna3D {
class CDX9KelScene;
class CDX9KelSceneObject;
class CDX9KelPhysicalObjectShip;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMovementShip;
class CVR3GAMEAnimatedShip;
class CVR3GAMEArtilleryShip;
class CVR3GAMEBattleSystemShip;
class CVR3GAMEInformationShip;
class CVR3GAMEBattleMapShipsColumn;

class CVR3GAMEBattleMapBaseObject {
public:
    CVR3GAMEBattleMapBaseObject() = default;
    virtual ~CVR3GAMEBattleMapBaseObject() = default;
    CVR3GAMEBattleMapBaseObject(const CVR3GAMEBattleMapBaseObject&) = delete;
    CVR3GAMEBattleMapBaseObject& operator=(const CVR3GAMEBattleMapBaseObject&) = delete;

    virtual void Release() = 0;

    // Every battle-map object is made with 0; lookups by scene object find
    // only objects whose word is 0.
    uint32_t m_uKind = 0;
    std::string m_strName;
};

class CVR3GAMEBattleMapShip : public CVR3GAMEBattleMapBaseObject {
public:
    CVR3GAMEBattleMapShip() = default;
    ~CVR3GAMEBattleMapShip() override;

    // Checks the scene, the scene object and the parts, files the scene
    // object in the active tree when `addToActiveTree`, makes the physical
    // body with the movement part's mass and initialises the parts.
    bool Init(Vorna3D::CDX9KelScene* pScene, bool addToActiveTree);
    // Deletes the parts; the body is only switched off, the scene object is
    // left to its tree. Owners call Release, then delete the ship.
    void Release() override;

    bool m_bSunk = false;
    bool m_bWithdrawn = false;
    // Set once the animation system has taken a sunk hull out of physics
    // and drawing.
    bool m_bSunkHandled = false;
    // Sold in the harbour: the ship stays with its player but takes part in
    // nothing any more.
    bool m_bSold = false;
    Vorna3D::CDX9KelSceneObject* m_pSceneObject = nullptr;
    int32_t m_iPlayerIndex = -1;
    Vorna3D::CDX9KelPhysicalObjectShip* m_pPhysicalObject = nullptr;
    CVR3GAMEAnimatedShip* m_pAnimatedShip = nullptr;
    CVR3GAMEMovementShip* m_pMovementShip = nullptr;
    CVR3GAMEArtilleryShip* m_pArtilleryShip = nullptr;
    CVR3GAMEBattleSystemShip* m_pBattleShip = nullptr;
    CVR3GAMEInformationShip* m_pInfoShip = nullptr;
    CVR3GAMEBattleMapShipsColumn* m_pColumn = nullptr;
};

} // namespace SeaBattle
