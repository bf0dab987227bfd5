#pragma once
// A ship riding the ocean: five point bodies, a main body that carries the
// whole mass and moves the ship, and four light bodies at bow, stern and both
// sides whose motion relative to each other becomes pitch, roll and yaw. Each
// step samples the ocean under five points, advances the bodies and turns,
// then moves, the ship's scene object.
#include "engine3/world/physics/CDX9KelBasePhysicalObject.h"

namespace Vorna3D {

class CDX9KelPhysicalObjectShip : public CDX9KelBasePhysicalObject {
public:
    // Auxiliary body numbers.
    enum { BODY_BOW = 0, BODY_STERN = 1, BODY_FIRST_SIDE = 2, BODY_SECOND_SIDE = 3 };
    // The share of the sampled ocean height the hull follows.
    static constexpr float kWaveFollowing = 0.15f;

    CDX9KelPhysicalObjectShip();
    ~CDX9KelPhysicalObjectShip() override;

    // Builds the collision model from the scene object's collision source and
    // sets up the five bodies. On failure the ship is left partly built for
    // the caller to release; the scene object keeps no link to it.
    bool Init(CDX9KelSceneObject* pSceneObject, CDX9KelPhysicalManager* pManager, float mass);

    bool SetGravity(bool on) override;
    bool SetBuoyancy(bool on) override;
    bool SetResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) override;
    bool AddStepForce(const char* name, const D3DXVECTOR3* force, const D3DXVECTOR3* point, float value) override;
    bool AddConstantForce(const char* name, const D3DXVECTOR3* force, const D3DXVECTOR3* point,
                          float value) override;
    bool Update() override;
    void Release() override;

    bool SetBowSternResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg);
    bool SetSideResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg);
    bool SetBowSternLimit(bool lower, float v);
    bool SetSideLimit(bool lower, float v);
    bool SetFirstSideExtraMass(float mass);
    bool SetSecondSideExtraMass(float mass);
    // The extra-mass terms of the hull (main) body and of the bow and stern
    // bodies (the damage model floods them); false without the body.
    bool SetHullExtraMass(float mass);
    bool SetBowExtraMass(float mass);
    bool SetSternExtraMass(float mass);
    // The extra-mass term of the main body (-1) or of an auxiliary body
    // (BODY_BOW ... BODY_SECOND_SIDE); 0 without it.
    float GetExtraMass(int body) const;
    void ResetVelocities();
    // Speed over the ground along the heading, negative when moving backwards;
    // -10.0 while the manager's step time is 0 or without a scene object.
    float GetSignedSpeed() const;
    // Mass of the first side body, -1.0 without it.
    float GetSideMass() const;

    // The turn and the world displacement applied at the end of the last step.
    const D3DXVECTOR3& GetRotation() const { return m_vRotation; }
    const D3DXVECTOR3& GetWorldStep() const { return m_vWorldStep; }
    float GetBowOffset() const { return m_fBowOffset; }
    // The turn about the vertical axis over the last step, in radians per
    // second (positive turns the bow to starboard); 0 before the first step.
    float GetYawRate() const;
    float GetSideOffset() const { return m_fSideOffset; }

private:
    bool AddNamedForce(const char* name, int kind, const D3DXVECTOR3* force, const D3DXVECTOR3* point, float value);
    float Depth(const D3DXVECTOR3& p) const;
    D3DXVECTOR3 RelativeAngles(const CDX9KelPhysicalBody* a, const CDX9KelPhysicalBody* b, float lever) const;

    CDX9KelPhysicalBody* m_pBow = nullptr;
    CDX9KelPhysicalBody* m_pStern = nullptr;
    CDX9KelPhysicalBody* m_pFirstSide = nullptr;
    CDX9KelPhysicalBody* m_pSecondSide = nullptr;
    float m_fBowOffset = 0.0f;
    float m_fSideOffset = 0.0f;
    D3DXVECTOR3 m_vRotation{0.0f, 0.0f, 0.0f};
    D3DXVECTOR3 m_vWorldStep{0.0f, 0.0f, 0.0f};
};

} // namespace Vorna3D
