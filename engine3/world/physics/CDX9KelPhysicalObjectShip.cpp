#include "engine3/world/physics/CDX9KelPhysicalObjectShip.h"

#include "engine3/core/CDX9KelLog.h"
#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/ocean/CDX9KelOceanSurface.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"

#include <cmath>

namespace Vorna3D {

namespace {
constexpr float kG = CDX9KelPhysicalBody::kGravity;

D3DXVECTOR3 Row(const D3DXMATRIX& m, int r) { return D3DXVECTOR3(m.m[r][0], m.m[r][1], m.m[r][2]); }
} // namespace

CDX9KelPhysicalObjectShip::CDX9KelPhysicalObjectShip() { m_iType = kTypeShip; }

CDX9KelPhysicalObjectShip::~CDX9KelPhysicalObjectShip() {
    Release();
    // The scene object must never point at a ship that is gone.
    if (m_pSceneObject && m_pSceneObject->m_pPhysicalObject == this) {
        m_pSceneObject->m_pPhysicalObject = nullptr;
        m_pSceneObject->m_bHasPhysicalObject = false;
    }
}

void CDX9KelPhysicalObjectShip::Release() {
    CDX9KelBasePhysicalObject::Release();
    m_pBow = m_pStern = m_pFirstSide = m_pSecondSide = nullptr;
}

bool CDX9KelPhysicalObjectShip::Init(CDX9KelSceneObject* pSceneObject, CDX9KelPhysicalManager* pManager, float mass) {
    if (!pSceneObject || !pManager) return false;
    if (!(mass > 0.0f) || !std::isfinite(mass)) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalObjectShip::Init() : not mass\n");
        return false;
    }
    if (pSceneObject->m_pPhysicalObject) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalObjectShip::Init() : scene object already have physical object\n");
        return false;
    }
    pSceneObject->m_pPhysicalObject = this;
    m_pManager = pManager;
    m_pSceneObject = pSceneObject;
    if (!pSceneObject->m_pCollisionModel) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalObjectShip::Init() : scene object not have collision model\n");
        return false;
    }
    m_pCollisionModel = new CDX9KelCollisionModel;
    if (!m_pCollisionModel->CreateFromModel(pSceneObject->m_pCollisionModel)) {
        g_Log.Write(LOG_ERROR, "CDX9KelPhysicalObjectShip::Init() : m_pCollisionModel->CreateFromModel() failed\n");
        return false;
    }
    const float L = m_pCollisionModel->GetLength();
    const float W = m_pCollisionModel->GetWidth();
    const float H = m_pCollisionModel->GetHeight();
    m_fBowOffset = 0.375f * L;
    m_fSideOffset = 0.4f * W;

    m_pMainBody = new CDX9KelPhysicalBody(pManager);
    m_pMainBody->m_iIndex = 0;
    m_pMainBody->m_fMass = mass;
    m_pMainBody->m_fHalfHeight = 0.5f * H;
    m_stdvAuxBodies.assign(4, nullptr);
    struct Setup {
        float share;
        D3DXVECTOR3 offset;
        int axis;
        D3DXVECTOR3 direction;
    } const setups[4] = {
        {0.1f, {0, 0, m_fBowOffset}, 2, {0, 0, -1}},
        {0.1f, {0, 0, -m_fBowOffset}, 2, {0, 0, 1}},
        {0.2f, {-m_fSideOffset, 0, 0}, 0, {1, 0, 0}},
        {0.2f, {m_fSideOffset, 0, 0}, 0, {-1, 0, 0}},
    };
    for (int i = 0; i < 4; ++i) {
        CDX9KelPhysicalBody* b = new CDX9KelPhysicalBody(pManager);
        b->m_iIndex = i + 1;
        b->m_pParent = m_pMainBody;
        b->m_fMass = setups[i].share * mass;
        b->m_vOffset = setups[i].offset;
        b->m_abHandToParent[setups[i].axis] = true;
        b->m_vHandDirection = setups[i].direction;
        b->m_fHalfHeight = 0.5f * H;
        m_stdvAuxBodies[i] = b;
    }
    m_pBow = m_stdvAuxBodies[BODY_BOW];
    m_pStern = m_stdvAuxBodies[BODY_STERN];
    m_pFirstSide = m_stdvAuxBodies[BODY_FIRST_SIDE];
    m_pSecondSide = m_stdvAuxBodies[BODY_SECOND_SIDE];
    CDX9KelPhysicalLink link;
    link.m_vScale = D3DXVECTOR3(-1, 0, 1);
    link.m_vFactors = D3DXVECTOR3(-1, 0, 0);
    link.m_fWeight = 1.0f;
    link.m_pChild = m_pStern;
    m_pBow->m_stdvLinks.push_back(link);
    link.m_pChild = m_pBow;
    m_pStern->m_stdvLinks.push_back(link);

    if (!SetGravity(true) || !SetBuoyancy(true)) return false;
    const D3DXVECTOR3 mainPos(-10, -9 * kG * mass, -10), mainNeg(10, 9 * kG * mass, 10);
    const float mb = m_pBow->m_fMass;
    const D3DXVECTOR3 bowPos(-10, -0.1f * kG * mb, -10), bowNeg(10, 0.8f * kG * mb, 10);
    const float ms = m_pFirstSide->m_fMass;
    const D3DXVECTOR3 sidePos(-10, -0.07f * kG * ms, -10), sideNeg(10, 0.05f * kG * ms, 10);
    if (!SetResistance(true, &mainPos, &mainNeg) || !SetBowSternResistance(true, &bowPos, &bowNeg) ||
        !SetSideResistance(true, &sidePos, &sideNeg))
        return false;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetGravity(bool on) {
    if (m_bGravityState == on) return true;
    if (!m_pMainBody || !m_pMainBody->SetGravity(on)) return false;
    for (int i = 0; i < 4; ++i)
        if (!GetAuxBody(i) || !GetAuxBody(i)->SetGravity(on)) return false;
    m_bGravityState = on;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetBuoyancy(bool on) {
    if (m_bBuoyancyState == on) return true;
    if (!m_pMainBody || !m_pMainBody->SetBuoyancy(on)) return false;
    for (int i = 0; i < 4; ++i)
        if (!GetAuxBody(i) || !GetAuxBody(i)->SetBuoyancy(on)) return false;
    m_bBuoyancyState = on;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) {
    return m_pMainBody && m_pMainBody->SetResistance(on, cPos, cNeg);
}

bool CDX9KelPhysicalObjectShip::SetBowSternResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) {
    return m_pBow && m_pStern && m_pBow->SetResistance(on, cPos, cNeg) && m_pStern->SetResistance(on, cPos, cNeg);
}

bool CDX9KelPhysicalObjectShip::SetSideResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) {
    return m_pFirstSide && m_pSecondSide && m_pFirstSide->SetResistance(on, cPos, cNeg) &&
           m_pSecondSide->SetResistance(on, cPos, cNeg);
}

bool CDX9KelPhysicalObjectShip::AddNamedForce(const char* name, int kind, const D3DXVECTOR3* force,
                                              const D3DXVECTOR3* point, float value) {
    if (!name || !*name || !force || !point || !m_pManager) return false;
    CDX9KelPhysicalForce* f = FindNamedForce(name);
    if (!f) {
        f = m_pManager->TakeForce();
        if (!f) return false;
        f->m_strName = name;
        CDX9KelBasePhysicalObject::AddNamedForce(f);
    }
    f->m_iKind = kind;
    f->m_fValue = value;
    f->m_vForce = *force;
    f->m_vPoint = *point;
    return true;
}

bool CDX9KelPhysicalObjectShip::AddStepForce(const char* name, const D3DXVECTOR3* force, const D3DXVECTOR3* point,
                                             float value) {
    return AddNamedForce(name, FORCE_STEP, force, point, value);
}

bool CDX9KelPhysicalObjectShip::AddConstantForce(const char* name, const D3DXVECTOR3* force,
                                                 const D3DXVECTOR3* point, float value) {
    return AddNamedForce(name, FORCE_CONSTANT, force, point, value);
}

float CDX9KelPhysicalObjectShip::Depth(const D3DXVECTOR3& p) const {
    const CDX9KelOceanSurface* ocean = m_pManager ? m_pManager->GetOcean() : nullptr;
    float height = 0.0f;
    if (ocean) height = kWaveFollowing * ocean->SampleHeight(ocean->WorldToTable(p.z), ocean->WorldToTable(p.x));
    return height - p.y;
}

D3DXVECTOR3 CDX9KelPhysicalObjectShip::RelativeAngles(const CDX9KelPhysicalBody* a, const CDX9KelPhysicalBody* b,
                                                      float lever) const {
    D3DXVECTOR3 out(0.0f, 0.0f, 0.0f);
    if (!(lever > 0.0f)) return out;
    const float* va = a->m_vVelocity;
    const float* vb = b->m_vVelocity;
    float* o = out;
    for (int axis = 0; axis < 3; ++axis) {
        if (a->IsHanded(axis)) continue;
        const float d = axis == 1 ? va[axis] - vb[axis] : vb[axis] - va[axis];
        if (d != 0.0f) o[axis] = std::atan2(d, lever);
    }
    return out;
}

bool CDX9KelPhysicalObjectShip::Update() {
    if (!m_pManager || !m_pSceneObject || !m_pMainBody || !m_pBow || !m_pStern || !m_pFirstSide || !m_pSecondSide)
        return false;
    const D3DXMATRIX world = m_pSceneObject->m_mWorld;
    // A broken transform is left alone: nothing of it reaches the bodies.
    if (!IsFiniteMatrix(world)) return false;

    for (std::size_t i = 0; i < m_stdvForces.size(); ++i) {
        CDX9KelPhysicalForce* f = m_stdvForces[i];
        if (!f) continue;
        if (CDX9KelPhysicalBody* body = FindNearestAuxBody(f->m_vPoint)) {
            if (f->m_iKind == FORCE_STEP)
                body->AddForceComponents(f->m_strName.c_str(), FORCE_STEP, &f->m_vForce, f->m_fValue, nullptr);
            else if (f->m_iKind == FORCE_CONSTANT)
                body->ReplaceConstantForce(f->m_strName.c_str(), &f->m_vForce, f->m_fValue);
        }
        if (f->m_iKind == FORCE_STEP) RemoveNamedForce(i);
    }

    const float dt = m_pManager->GetStepTime();
    const D3DXVECTOR3 P = Row(world, 3), R = Row(world, 0), U = Row(world, 1), F = Row(world, 2);
    const float a = m_fBowOffset, b = m_fSideOffset;
    m_vRotation = D3DXVECTOR3(0.0f, 0.0f, 0.0f);

    m_pBow->Step(&world, Depth(P + F * a), dt);
    m_pStern->Step(&world, Depth(P - F * a), dt);
    D3DXVECTOR3 angle = RelativeAngles(m_pBow, m_pStern, a);
    m_vRotation.x -= 0.03f * angle.y;
    m_vRotation.y -= angle.x;

    m_pSecondSide->Step(&world, Depth(P + R * b), dt);
    m_pFirstSide->Step(&world, Depth(P - R * b), dt);
    angle = RelativeAngles(m_pSecondSide, m_pFirstSide, b);
    m_vRotation.z += 0.03f * angle.y;
    m_vRotation.y -= angle.z;
    m_vRotation *= dt;

    m_pMainBody->Step(&world, Depth(P), dt);
    const D3DXVECTOR3& v = m_pMainBody->m_vVelocity;
    m_vWorldStep = (R * v.x + U * v.y + F * v.z) * dt;

    // Each rotation refuses an angle of 0; the translation refuses nothing finite.
    m_pSceneObject->RotateX(m_vRotation.x);
    m_pSceneObject->RotateY(m_vRotation.y);
    m_pSceneObject->RotateZ(m_vRotation.z);
    m_pSceneObject->Translate(&m_vWorldStep);
    return true;
}

bool CDX9KelPhysicalObjectShip::SetBowSternLimit(bool lower, float v) {
    if (!m_pBow || !m_pStern) return false;
    for (CDX9KelPhysicalBody* body : {m_pBow, m_pStern}) {
        if (lower) body->m_vDragPos.x = -std::fabs(v);
        else body->m_vDragNeg.x = std::fabs(v);
    }
    return true;
}

bool CDX9KelPhysicalObjectShip::SetSideLimit(bool lower, float v) {
    if (!m_pFirstSide || !m_pSecondSide) return false;
    for (CDX9KelPhysicalBody* body : {m_pFirstSide, m_pSecondSide}) {
        if (lower) body->m_vDragPos.z = -std::fabs(v);
        else body->m_vDragNeg.z = std::fabs(v);
    }
    return true;
}

bool CDX9KelPhysicalObjectShip::SetFirstSideExtraMass(float mass) {
    if (!m_pFirstSide) return false;
    m_pFirstSide->m_fExtraMass = mass;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetSecondSideExtraMass(float mass) {
    if (!m_pSecondSide) return false;
    m_pSecondSide->m_fExtraMass = mass;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetHullExtraMass(float mass) {
    if (!m_pMainBody) return false;
    m_pMainBody->m_fExtraMass = mass;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetBowExtraMass(float mass) {
    if (!m_pBow) return false;
    m_pBow->m_fExtraMass = mass;
    return true;
}

bool CDX9KelPhysicalObjectShip::SetSternExtraMass(float mass) {
    if (!m_pStern) return false;
    m_pStern->m_fExtraMass = mass;
    return true;
}

float CDX9KelPhysicalObjectShip::GetExtraMass(int body) const {
    const CDX9KelPhysicalBody* b = body < 0 ? m_pMainBody : GetAuxBody(static_cast<std::size_t>(body));
    return b ? b->m_fExtraMass : 0.0f;
}

float CDX9KelPhysicalObjectShip::GetYawRate() const {
    const float dt = m_pManager ? m_pManager->GetStepTime() : 0.0f;
    if (!(dt > 0.0f)) return 0.0f;
    const float rate = m_vRotation.y / dt;
    return std::isfinite(rate) ? rate : 0.0f;
}

void CDX9KelPhysicalObjectShip::ResetVelocities() {
    if (m_pMainBody) m_pMainBody->m_vVelocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    for (CDX9KelPhysicalBody* body : m_stdvAuxBodies)
        if (body) body->m_vVelocity = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
}

float CDX9KelPhysicalObjectShip::GetSignedSpeed() const {
    const float dt = m_pManager ? m_pManager->GetStepTime() : 0.0f;
    if (!(dt > 0.0f) || !m_pSceneObject) return -10.0f;
    D3DXVECTOR2 dir(m_vWorldStep.x, m_vWorldStep.z);
    float s = D3DXVec2Length(&dir) / dt;
    // The heading helper expects a unit direction.
    D3DXVec2Normalize(&dir, &dir);
    const float heading = GetHeadingAngleToDirection2D(&m_pSceneObject->m_mWorld, &dir);
    if (std::fabs(heading) > 1.5707963f) s = -s;
    return s;
}

float CDX9KelPhysicalObjectShip::GetSideMass() const { return m_pFirstSide ? m_pFirstSide->m_fMass : -1.0f; }

} // namespace Vorna3D
