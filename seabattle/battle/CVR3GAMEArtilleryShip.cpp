#include "seabattle/battle/CVR3GAMEArtilleryShip.h"

#include <cmath>

#include "engine3/core/scene/CDX9KelSceneObject.h"
#include "engine3/core/scene/CDXSceneTree.h"
#include "engine3/core/scene/Geometry.h"
#include "engine3/world/physics/CDX9KelBasePhysicalObject.h"
#include "engine3/world/physics/CDX9KelCollisionModel.h"
#include "seabattle/battle/CVR3GAMEBattleSystemShip.h"

namespace SeaBattle {

CArtilleryPart::~CArtilleryPart() {
    for (CArtilleryPart* c : m_vChildren)
        delete c;
    m_vChildren.clear();
}

CBattleSystemShipGun* CArtilleryPart::GetGun() const {
    if (!m_pDamageElement || m_pDamageElement->Kind != CBattleSystemDamageElement::kGun)
        return nullptr;
    return static_cast<CBattleSystemShipGun*>(m_pDamageElement);
}

CBattleSystemShipPart* CArtilleryPart::GetHullPart() const {
    if (!m_pDamageElement || m_pDamageElement->Kind != CBattleSystemDamageElement::kHullPart)
        return nullptr;
    return static_cast<CBattleSystemShipPart*>(m_pDamageElement);
}

CVR3GAMEArtilleryShip::CVR3GAMEArtilleryShip() { m_vParts.reserve(10); }

CVR3GAMEArtilleryShip::~CVR3GAMEArtilleryShip() {
    for (CArtilleryPart* p : m_vParts)
        delete p;
    m_vParts.clear();
}

bool CVR3GAMEArtilleryShip::AddTarget(CVR3GAMEBattleMapShip* ship, float minimumHitProbability, float rangeSquared) {
    if (!ship)
        return false;
    ArtilleryTarget t;
    t.m_pShip = ship;
    if (!(minimumHitProbability > 0.0f))
        t.MinHitProbability = 1.0f;
    else if (minimumHitProbability > 95.0f)
        t.MinHitProbability = 95.0f;
    else
        t.MinHitProbability = minimumHitProbability;
    t.RangeSquared = std::fabs(rangeSquared);
    t.m_bFlag = true;
    D3DXMatrixIdentity(&t.RelativeTransform);
    m_vTargets.push_back(t);
    return true;
}

void CVR3GAMEArtilleryShip::ClearTargets() {
    m_vTargets.clear();
    // Choices point into the list just emptied.
    std::vector<CArtilleryPart*> stack(m_vParts.begin(), m_vParts.end());
    while (!stack.empty()) {
        CArtilleryPart* p = stack.back();
        stack.pop_back();
        if (!p)
            continue;
        p->m_pChosenTarget = nullptr;
        stack.insert(stack.end(), p->m_vChildren.begin(), p->m_vChildren.end());
    }
}

// ---- firing sectors geometry ----
namespace {

// acos(forward . d), negative when acos(side . d) exceeds 1.57.
float SignedAngle(const D3DXVECTOR2& forward, const D3DXVECTOR2& side, const D3DXVECTOR2& d) {
    return Vorna3D::GetSignedAngle2D(&forward, &d, &side);
}

D3DXVECTOR2 Normalised(float x, float y) {
    D3DXVECTOR2 v(x, y), out(0.0f, 0.0f);
    D3DXVec2Normalize(&out, &v);
    return out;
}

bool BearingInside(const D3DXVECTOR2& apex, const D3DXVECTOR2& window, const ShipSector& s, const D3DXVECTOR3& p) {
    const D3DXVECTOR2 d = Normalised(p.x - apex.x, p.z - apex.y);
    const float a = SignedAngle(s.Direction, s.Right, d);
    return window.x <= a && a <= window.y;
}

} // namespace

bool IsPointInSector(const ShipSector& s, const D3DXVECTOR3& p) {
    if (!BearingInside(s.LeftPosition, s.LeftAngles, s, p))
        return false;
    if (!BearingInside(s.RightPosition, s.RightAngles, s, p))
        return false;
    if (p.y > s.TopPosition.y) {
        const float dist = Vorna3D::GetDistance(&p, &s.TopPosition);
        if (dist > 0.0f) {
            const float e = std::asin(std::fmin((p.y - s.TopPosition.y) / dist, 1.0f));
            if (e > s.TopAngle)
                return false;
        }
    }
    if (p.y < s.ButtomPosition.y) {
        const float dist = Vorna3D::GetDistance(&p, &s.ButtomPosition);
        if (dist > 0.0f) {
            const float e = std::asin(std::fmin((s.ButtomPosition.y - p.y) / dist, 1.0f));
            if (e < s.ButtomAngle)
                return false;
        }
    }
    return true;
}

bool IsPointInAnySector(const std::vector<ShipSector>& sectors, const D3DXVECTOR3* point) {
    if (!point)
        return false;
    for (const ShipSector& s : sectors)
        if (IsPointInSector(s, *point))
            return true;
    return false;
}

float GetBearingInFrame(const D3DXMATRIX& m, const D3DXVECTOR3* p) {
    if (!p)
        return Vorna3D::KEL_NO_SIGNED_ANGLE;
    const D3DXVECTOR2 forward = Normalised(m._31, m._33);
    const D3DXVECTOR2 side = Normalised(m._11, m._13);
    const D3DXVECTOR2 d = Normalised(p->x - m._41, p->z - m._43);
    return SignedAngle(forward, side, d);
}

float GetElevationToPoint(const D3DXMATRIX& m, const D3DXVECTOR3* p) {
    if (!p)
        return 0.0f;
    const D3DXVECTOR3 pos(m._41, m._42, m._43);
    const float dist = Vorna3D::GetDistance(p, &pos);
    // A point at the frame's own position has no elevation.
    if (!(dist > 0.0f))
        return 0.0f;
    const float e = std::asin(std::fabs(m._42 - p->y) / dist);
    if (!std::isfinite(e) || std::trunc(e) < -6.0f || std::trunc(e) > 6.0f)
        return 0.0f;
    return e;
}

namespace {
template <class F>
AngleWindow Window(const std::vector<CArtilleryPart*>* points, F angleOf) {
    AngleWindow w(1000.0f, -1000.0f);
    if (!points)
        return w;
    for (const CArtilleryPart* q : *points) {
        if (!q)
            continue;
        const float a = angleOf(q->WorldCenter);
        if (a < w.x)
            w.x = a;
        if (a > w.y)
            w.y = a;
    }
    return w;
}
} // namespace

AngleWindow GetBearingWindow(const D3DXMATRIX& m, const std::vector<CArtilleryPart*>* points) {
    return Window(points, [&](const D3DXVECTOR3& c) { return GetBearingInFrame(m, &c); });
}

AngleWindow GetElevationWindow(const D3DXMATRIX& m, const std::vector<CArtilleryPart*>* points) {
    return Window(points, [&](const D3DXVECTOR3& c) { return GetElevationToPoint(m, &c); });
}

bool IsWindowOverlapping(const AngleWindow& a, const AngleWindow& b) {
    return (a.x < b.x && b.x < a.y) || (a.x < b.y && b.y < a.y) || (b.x < a.x && a.x < b.y) ||
           (b.x < a.y && a.y < b.y);
}

bool IsFireLineBlocked(Vorna3D::CDXSceneTree* tree, const Vorna3D::CDX9KelSceneObject* own,
                       const Vorna3D::CDX9KelSceneObject* target) {
    if (!tree || !own || !target || !tree->m_pRoot)
        return false;
    const D3DXVECTOR3 p(own->m_mWorld._41, own->m_mWorld._42, own->m_mWorld._43);
    const D3DXVECTOR3 q(target->m_mWorld._41, target->m_mWorld._42, target->m_mWorld._43);
    D3DXVECTOR3 dir = q - p;
    if (D3DXVec3Length(&dir) <= 0.0f)
        return false;
    D3DXVec3Normalize(&dir, &dir);
    D3DXVECTOR3 lo(std::fmin(p.x, q.x), std::fmin(p.y, q.y), std::fmin(p.z, q.z));
    D3DXVECTOR3 hi(std::fmax(p.x, q.x), std::fmax(p.y, q.y), std::fmax(p.z, q.z));
    tree->m_vFoundLeafs.clear();
    tree->CollectLeafsInBox(tree->m_pRoot, &lo, &hi);
    for (const Vorna3D::CDXSceneTreeNode* leaf : tree->m_vFoundLeafs) {
        if (!leaf)
            continue;
        for (const Vorna3D::CDX9KelSceneObject* o : leaf->m_vObjects) {
            if (!o || o == own || o == target || !o->m_pPhysicalObject)
                continue;
            const D3DXVECTOR3 c(o->m_mWorld._41, o->m_mWorld._42, o->m_mWorld._43);
            if (!(o->m_fRadius > 0.0f) || !Vorna3D::IsRayIntersectingSphere(&p, &dir, &c, o->m_fRadius))
                continue;
            const Vorna3D::CDX9KelCollisionModel* cm = o->m_pPhysicalObject->GetCollisionModel();
            if (!cm)
                continue;
            D3DXMATRIX inv;
            if (!D3DXMatrixInverse(&inv, nullptr, &o->m_mWorld))
                continue;
            D3DXVECTOR3 lp, lq;
            D3DXVec3TransformCoord(&lp, &p, &inv);
            D3DXVec3TransformCoord(&lq, &q, &inv);
            D3DXVECTOR3 blo(std::fmin(lp.x, lq.x), std::fmin(lp.y, lq.y), std::fmin(lp.z, lq.z));
            D3DXVECTOR3 bhi(std::fmax(lp.x, lq.x), std::fmax(lp.y, lq.y), std::fmax(lp.z, lq.z));
            if (Vorna3D::IsBoxIntersectingBox(&blo, &bhi, &cm->GetBoxMin(), &cm->GetBoxMax()))
                return true;
        }
    }
    return false;
}

} // namespace SeaBattle
