#pragma once
// The movement aspect of one battle-map ship: it turns its column's orders
// (a speed, a rudder angle, a course, a point, a ship to follow) into an
// engine force and a rudder angle handed to the physical body every physics
// step, keeps the speed caps that damage lowers, answers contacts (backing
// off, reporting rams) and owns the steering record that plans routes.
//
// Speeds are metres per second, signed (negative astern); a body speed in
// world units per second x 18.5 gives metres per second. Angles are radians,
// times seconds.
#include "platform/math/d3dx9math.h"

#include <string>
#include <vector>

namespace Vorna3D {
class CDX9KelBasePhysicalObject;
class CDX9KelPhysicalObjectShip;
class CDX9KelPhysicalManager;
struct CDX9KelPhysicalContact;
} // namespace Vorna3D

namespace SeaBattle {

class CVR3GAMEMovementSteering;
class CVR3GAMEMovementShipsColumn;

// Orders of a movement ship.
enum EMovementOrder { ORDER_NONE = -1, ORDER_HAND = 0, ORDER_COURSE = 1, ORDER_POINT = 2, ORDER_FOLLOW = 3 };

// World units per second to metres per second, and back.
constexpr float kMetresPerUnit = 18.5f;
constexpr float kUnitsPerMetre = 0.054f;

class CVR3GAMEMovementShip {
public:
    static constexpr float kBackOffTime = 5.0f;
    static constexpr float kMaxRudderAngle = 0.698f;
    static constexpr float kRudderRate = 0.1745f;
    // The body's speed failure value (-10) in metres per second.
    static constexpr float kSpeedFailure = -185.0f;
    // A contact farther forward of midships than this makes the ship back off.
    static constexpr float kBackOffContactAhead = 0.2f;
    // A ram is a contact on the stem: at most kRamOffCentre off the centre
    // line, at most kRamBowMargin short of the bow (world units), struck
    // with an impulse of at least kRamImpulse.
    static constexpr float kRamOffCentre = 0.05f;
    static constexpr float kRamBowMargin = 0.1f;
    static constexpr float kRamImpulse = 500.0f;
    static constexpr const char* kDraughtForce = "Draught";

    CVR3GAMEMovementShip();
    ~CVR3GAMEMovementShip();
    CVR3GAMEMovementShip(const CVR3GAMEMovementShip&) = delete;
    CVR3GAMEMovementShip& operator=(const CVR3GAMEMovementShip&) = delete;

    // False when either is null, when the steering record cannot be set up
    // or when MaxSpeed or MinSpeed is 0. Normalises the signs, computes the
    // force rate and the resistance coefficients and writes them into the
    // body's drag bounds.
    bool Init(Vorna3D::CDX9KelPhysicalObjectShip* pBody, Vorna3D::CDX9KelPhysicalManager* pManager);
    // The per-frame step: mode 0 physics step, 1 planning step, -1 neither.
    void Proc(int mode, float dt);

    // Direct orders; each ends any route.
    void SetOrderedSpeed(float speed);
    void SetOrderedRudder(float angle);
    void SetRouteSpeed(float speed);
    // Posts a course, point or follow order for the next physics step.
    void PostCourse(float x, float z);
    void PostTargetPoint(float x, float z);
    void PostFollow(CVR3GAMEMovementShip* pShip);
    void PostHandSteering(float rudder);

    float GetRudderForTurn(float turn) const;
    float ForceForSpeed(float speed) const;
    void UpdateSpeedCaps();
    void ResetMotion();

    // The body's hull length, -1.0 without a body or model.
    float GetHullLength() const;
    // The body's hull width, -1.0 without a body or model.
    float GetHullWidth() const;
    // The world matrix of the ship's scene object; null without one.
    const D3DXMATRIX* GetWorldMatrix() const;
    // True when a contact of the body's list reads as a ram of this ship's
    // stem, and as lying forward of midships (a back-off contact).
    bool IsRamContact(const Vorna3D::CDX9KelPhysicalContact& contact) const;
    static bool IsBackOffContact(const Vorna3D::CDX9KelPhysicalContact& contact);
    // The blow this ship struck in a contact (see IsRamContact).
    float ContactStrength(const Vorna3D::CDX9KelPhysicalContact& contact) const;

    std::string m_strName;
    Vorna3D::CDX9KelPhysicalObjectShip* m_pPhysicalObject = nullptr;
    CVR3GAMEMovementSteering* m_pSteering = nullptr;
    CVR3GAMEMovementShipsColumn* m_pColumn = nullptr;
    int m_iColumnIndex = -1;
    float m_fBackOffTimer = -1.0f;
    float m_fBackOffTime = kBackOffTime;
    float m_fMaxDraughtForce = 0.0f;
    float m_fMaxForce = 0.0f;
    float m_fTargetForce = 0.0f;
    float m_fForce = 0.0f;
    float m_fForceRate = 0.0f;
    float m_fAheadResistance = 0.0f;  // k1, negative
    float m_fAsternResistance = 0.0f; // k2
    float m_fRudderFactor = 0.0f;     // k3
    D3DXVECTOR3 m_vDraughtForcePosition{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vForceDirection{0.0f, 0.0f, 1.0f};
    float m_fMaxSpeedXML = 0.0f; // MaxSpeed
    float m_fMinSpeedXML = 0.0f; // MinSpeed
    float m_fMaxSpeed = 0.0f;
    float m_fMinSpeed = 0.0f;
    float m_fSpeed = 0.0f;
    float m_fOrderedSpeed = 0.0f;
    float m_fMaxRudderAngle = kMaxRudderAngle;
    float m_fMaxRotAngle = 0.0f;
    float m_fRudderAngle = 0.0f;
    float m_fOrderedRudderAngle = 0.0f;
    float m_fRudderRate = kRudderRate;
    float m_fMass = 0.0f;
    float m_fMaxDraughtForceInstTime = 0.0f;
    bool m_bRudderMoving = false;
    bool m_bForceChanging = false;
    bool m_bSpeedChanged = false;
    bool m_bLimitsChanged = false;
    bool m_bForceResend = false;
    bool m_bInContact = false;
    bool m_bBackingOff = false;
    int m_iCurrentOrder = ORDER_NONE;
    int m_iPendingOrder = ORDER_NONE;
    float m_fRouteSpeed = 0.0f;
    float m_fTurnLimit = 0.0f;
    float m_fHandRudderAngle = 0.0f;
    float m_fOrderX = 0.0f;
    float m_fOrderZ = 0.0f;
    CVR3GAMEMovementShip* m_pFollowedShip = nullptr;
    // Seconds of frames since the last physics step.
    float m_fSinceStep = 0.0f;
    // Bodies this ship is touching and has already reported a ram on: one
    // contact is one ram, however many frames and steps it lasts.
    std::vector<const Vorna3D::CDX9KelBasePhysicalObject*> m_stdvRammed;

private:
    void TakePendingOrder();
    void PhysicsStep(float dt);
    void ProcContacts();
    // The steering record forgets its order and the current order ends.
    void EndRoute();
};

} // namespace SeaBattle
