#pragma once
// The artillery aspect of a battle ship: where its guns stand, the sectors
// each part can fire into and be hit from, and the enemy ships it is to fire
// at, in order of preference. The IO builds it, the battle behaviour fills
// the targets, the artillery system reads it every pass.
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "engine3/core/XMLReaders.h"
#include "platform/math/d3dx9math.h"

namespace Vorna3D {
class CDXSceneTree;
class CDX9KelSceneObject;
} // namespace Vorna3D

namespace SeaBattle {

using Vorna3D::ShipSector;

class CVR3GAMEBattleMapShip;
struct CVR3GAMEAnimatedPart;
struct CBattleSystemDamageElement;
struct CBattleSystemShipGun;
struct CBattleSystemShipPart;

struct ArtilleryTarget {
    CVR3GAMEBattleMapShip* m_pShip = nullptr; // not owned
    float MinHitProbability = 1.0f;           // percent, 1..95
    float RangeSquared = 0.0f;
    bool m_bFlag = true; // read by nothing
    // The target's world matrix in the firing ship's frame, rewritten every pass.
    D3DXMATRIX RelativeTransform;
};

struct CArtilleryPart {
    CArtilleryPart() = default;
    ~CArtilleryPart(); // children first, depth first
    CArtilleryPart(const CArtilleryPart&) = delete;
    CArtilleryPart& operator=(const CArtilleryPart&) = delete;

    // The gun record behind the damage element, null unless it is a gun.
    CBattleSystemShipGun* GetGun() const;
    // The hull part behind the damage element, null unless it is a hull part.
    CBattleSystemShipPart* GetHullPart() const;

    D3DXVECTOR3 Center{0.0f, 0.0f, 0.0f};
    // x least and y greatest bearing, z least and w greatest elevation.
    D3DXVECTOR4 BombardAngles{0.0f, 0.0f, 0.0f, 0.0f};
    std::vector<ShipSector> BombardSectors;
    std::vector<ShipSector> DamageSectors;
    std::vector<CArtilleryPart*> m_vChildren; // owned
    CVR3GAMEAnimatedPart* m_pAnimatedPart = nullptr;       // not owned
    CBattleSystemDamageElement* m_pDamageElement = nullptr; // not owned
    ArtilleryTarget* m_pChosenTarget = nullptr;             // not owned; valid within one pass
    D3DXVECTOR3 WorldCenter{0.0f, 0.0f, 0.0f};
};

class CVR3GAMEBaseArtilleryObject {
public:
    virtual ~CVR3GAMEBaseArtilleryObject() = default;

    std::string m_strName;
    bool m_bActive = true;
};

class CVR3GAMEArtilleryShip : public CVR3GAMEBaseArtilleryObject {
public:
    CVR3GAMEArtilleryShip();
    ~CVR3GAMEArtilleryShip() override;
    CVR3GAMEArtilleryShip(const CVR3GAMEArtilleryShip&) = delete;
    CVR3GAMEArtilleryShip& operator=(const CVR3GAMEArtilleryShip&) = delete;

    // Appends a target: the probability clamped to 1..95, the squared range
    // taken by its absolute value. False for a null ship.
    bool AddTarget(CVR3GAMEBattleMapShip* ship, float minimumHitProbability, float rangeSquared);
    // Empties the list and forgets every part's chosen target with it.
    void ClearTargets();

    std::vector<CArtilleryPart*> m_vParts; // owned
    // Entries keep their addresses while targets are appended: parts point at them.
    std::deque<ArtilleryTarget> m_vTargets;
    bool m_bFireEnabled = true;
};

// ---- firing sectors geometry ----
// An angle window: x the least, y the greatest angle.
using AngleWindow = D3DXVECTOR2;

// Whether a point of the sector's ship frame lies inside the sector: both
// bearing windows (limits included) and the upper and lower limits.
bool IsPointInSector(const ShipSector& sector, const D3DXVECTOR3& point);
bool IsPointInAnySector(const std::vector<ShipSector>& sectors, const D3DXVECTOR3* point);
// Signed horizontal bearing of the point from the frame; -1000 for a null point.
float GetBearingInFrame(const D3DXMATRIX& m, const D3DXVECTOR3* point);
// Unsigned elevation from the frame's position to the point; 0 when there is
// no angle (the point at the frame's position).
float GetElevationToPoint(const D3DXMATRIX& m, const D3DXVECTOR3* point);
// The windows over the points' world centres; (1000, -1000) for none.
AngleWindow GetBearingWindow(const D3DXMATRIX& m, const std::vector<CArtilleryPart*>* points);
AngleWindow GetElevationWindow(const D3DXMATRIX& m, const std::vector<CArtilleryPart*>* points);
// Strict overlap: identical windows and windows that only touch do not overlap.
bool IsWindowOverlapping(const AngleWindow& a, const AngleWindow& b);
// Whether a third object with a physical body stands between the two ships'
// scene objects in the tree: the ray meets its bounding sphere and the box
// spanned by both ends, seen in its own frame, meets its body's box.
bool IsFireLineBlocked(Vorna3D::CDXSceneTree* tree, const Vorna3D::CDX9KelSceneObject* own,
                       const Vorna3D::CDX9KelSceneObject* target);

} // namespace SeaBattle
