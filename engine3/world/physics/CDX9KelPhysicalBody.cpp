#include "engine3/world/physics/CDX9KelPhysicalBody.h"

#include "engine3/core/CDX9KelUtils.h"
#include "engine3/world/physics/CDX9KelPhysicalManager.h"

#include <cmath>

namespace Vorna3D {

namespace {
const char* const kGravityName = "Gravity";
const char* const kBuoyancyName = "Buoyancy";
const char* const kResistanceName = "Resistance";
} // namespace

bool IsFiniteMatrix(const D3DXMATRIX& m) {
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            if (!std::isfinite(m.m[r][c])) return false;
    return true;
}

int CDX9KelForceList::Add(CDX9KelPhysicalForce* pForce) {
    if (!m_stdvFree.empty()) {
        const unsigned slot = m_stdvFree.back();
        m_stdvFree.pop_back();
        m_stdvEntries[slot] = pForce;
        return static_cast<int>(slot);
    }
    m_stdvEntries.push_back(pForce);
    return static_cast<int>(m_stdvEntries.size() - 1);
}

int CDX9KelForceList::FindKind(int kind) const {
    for (std::size_t i = 0; i < m_stdvEntries.size(); ++i)
        if (m_stdvEntries[i] && m_stdvEntries[i]->m_iKind == kind) return static_cast<int>(i);
    return -1;
}

int CDX9KelForceList::FindName(const std::string& name) const {
    for (std::size_t i = 0; i < m_stdvEntries.size(); ++i)
        if (m_stdvEntries[i] && m_stdvEntries[i]->m_strName == name) return static_cast<int>(i);
    return -1;
}

std::size_t CDX9KelForceList::Count() const {
    std::size_t n = 0;
    for (const CDX9KelPhysicalForce* p : m_stdvEntries)
        if (p) ++n;
    return n;
}

CDX9KelPhysicalBody::CDX9KelPhysicalBody(CDX9KelPhysicalManager* pOwner) : m_pOwner(pOwner) {}

CDX9KelPhysicalBody::~CDX9KelPhysicalBody() {
    for (int axis = 0; axis < 3; ++axis) {
        for (std::size_t i = 0; i < m_aForces[axis].m_stdvEntries.size(); ++i)
            if (m_aForces[axis].m_stdvEntries[i]) RemoveEntry(axis, static_cast<int>(i));
        if (m_apResolved[axis] && m_pOwner) m_pOwner->ReturnForce(m_apResolved[axis]);
        m_apResolved[axis] = nullptr;
    }
}

void CDX9KelPhysicalBody::RemoveEntry(int axis, int slot) {
    CDX9KelForceList& list = m_aForces[axis];
    if (slot < 0 || static_cast<std::size_t>(slot) >= list.m_stdvEntries.size() || !list.m_stdvEntries[slot]) return;
    if (m_pOwner) m_pOwner->ReturnForce(list.m_stdvEntries[slot]);
    list.m_stdvEntries[slot] = nullptr;
    list.m_stdvFree.push_back(static_cast<unsigned>(slot));
}

bool CDX9KelPhysicalBody::SetKindOnAxes(bool on, int kind, const char* name, bool allAxes) {
    if (!m_pOwner) return false;
    for (int axis = 0; axis < 3; ++axis) {
        if (!allAxes && axis != 1 && m_pParent) continue;
        const int slot = m_aForces[axis].FindKind(kind);
        if (on) {
            if (slot >= 0) continue;
            CDX9KelPhysicalForce* f = m_pOwner->TakeForce();
            if (!f) return false;
            f->m_iKind = kind;
            f->m_strName = name;
            f->m_fValue = 0.0f;
            m_aForces[axis].Add(f);
        } else if (slot >= 0) {
            RemoveEntry(axis, slot);
        }
    }
    return true;
}

bool CDX9KelPhysicalBody::SetGravity(bool on) {
    if (!SetKindOnAxes(on, FORCE_GRAVITY, kGravityName, false)) return false;
    m_bGravity = on;
    return true;
}

bool CDX9KelPhysicalBody::SetBuoyancy(bool on) {
    if (!SetKindOnAxes(on, FORCE_BUOYANCY, kBuoyancyName, false)) return false;
    m_bBuoyancy = on;
    return true;
}

bool CDX9KelPhysicalBody::SetResistance(bool on, const D3DXVECTOR3* cPos, const D3DXVECTOR3* cNeg) {
    if (!m_pOwner) return false;
    if (on && m_aForces[0].FindKind(FORCE_RESISTANCE) >= 0 && m_aForces[1].FindKind(FORCE_RESISTANCE) >= 0 &&
        m_aForces[2].FindKind(FORCE_RESISTANCE) >= 0)
        return true;
    if (!SetKindOnAxes(on, FORCE_RESISTANCE, kResistanceName, true)) return false;
    if (cPos) m_vDragPos = *cPos;
    if (cNeg) m_vDragNeg = *cNeg;
    return true;
}

bool CDX9KelPhysicalBody::AddForceComponents(const char* name, int kind, const D3DXVECTOR3* force, float scale,
                                             const D3DXVECTOR3* factors) {
    if (!name || !force || !m_pOwner) return false;
    const float* fv = *force;
    for (int axis = 0; axis < 3; ++axis) {
        float value = fv[axis] * scale;
        if (factors) value = std::fabs(value) * static_cast<const float*>(*factors)[axis];
        if (value == 0.0f || !std::isfinite(value)) continue;
        CDX9KelPhysicalForce* f = m_pOwner->TakeForce();
        if (!f) return false;
        f->m_iKind = kind;
        f->m_strName = name;
        f->m_fValue = value;
        // A handed axis is never resolved here: its entries act on the parent.
        CDX9KelPhysicalBody* target = IsHanded(axis) ? m_pParent : this;
        target->m_aForces[axis].Add(f);
    }
    return true;
}

bool CDX9KelPhysicalBody::ApplyBrakeForce(const char* name, const D3DXVECTOR3* force, float scale,
                                          const D3DXVECTOR3* factors, bool spread) {
    if (!AddForceComponents(name, FORCE_BRAKE, force, scale, factors)) return false;
    if (spread) {
        for (const CDX9KelPhysicalLink& link : m_stdvLinks) {
            if (!link.m_pChild) continue;
            const D3DXVECTOR3 scaled(force->x * link.m_vScale.x, force->y * link.m_vScale.y, force->z * link.m_vScale.z);
            link.m_pChild->ApplyBrakeForce(name, &scaled, scale, &link.m_vFactors, false);
        }
    }
    return true;
}

bool CDX9KelPhysicalBody::ReplaceConstantForce(const char* name, const D3DXVECTOR3* force, float scale) {
    if (!name || !force || !m_pOwner) return false;
    for (int axis = 0; axis < 3; ++axis) {
        CDX9KelPhysicalBody* holder = IsHanded(axis) ? m_pParent : this;
        const int slot = holder->m_aForces[axis].FindName(name);
        if (slot >= 0) holder->RemoveEntry(axis, slot);
    }
    return AddForceComponents(name, FORCE_CONSTANT, force, scale, nullptr);
}

bool CDX9KelPhysicalBody::AddBlockingMass(const D3DXVECTOR3* direction, float mass) {
    if (!direction || !std::isfinite(mass)) return false;
    const float* d = *direction;
    for (int axis = 0; axis < 3; ++axis) {
        CDX9KelPhysicalBody* target = IsHanded(axis) ? m_pParent : this;
        float* pos = target->m_vAddedMassPos;
        float* neg = target->m_vAddedMassNeg;
        if (d[axis] < 0.0f) pos[axis] += mass * std::fabs(d[axis]);
        else if (d[axis] > 0.0f) neg[axis] += mass * d[axis];
    }
    return true;
}

bool CDX9KelPhysicalBody::AddImpulse(const D3DXVECTOR3* impulse, float scale) {
    if (!impulse) return false;
    const float* iv = *impulse;
    for (int axis = 0; axis < 3; ++axis) {
        const float j = iv[axis] * scale;
        if (!std::isfinite(j)) continue;
        if (IsHanded(axis)) {
            if (CDX9KelUtils::Sign(j) == static_cast<const float*>(m_vHandDirection)[axis])
                static_cast<float*>(m_pParent->m_vImpulse)[axis] += j;
        } else {
            static_cast<float*>(m_vImpulse)[axis] += j;
        }
    }
    return true;
}

void CDX9KelPhysicalBody::ResolveAxis(int axis, float depth, float cPos, float cNeg, float v, float dt) {
    CDX9KelPhysicalForce* sum = m_pOwner->TakeForce();
    CDX9KelPhysicalForce* drag = m_pOwner->TakeForce();
    if (!sum || !drag) {
        if (sum) m_pOwner->ReturnForce(sum);
        if (drag) m_pOwner->ReturnForce(drag);
        return;
    }
    sum->m_iKind = FORCE_STEP;
    sum->m_fValue = 0.0f;
    drag->m_iKind = FORCE_RESISTANCE;
    drag->m_fValue = 0.0f;
    const float s = CDX9KelUtils::Sign(v);
    const float weight = m_fExtraMass * m_fExtraMassFactor + m_fMass;
    CDX9KelForceList& list = m_aForces[axis];
    for (std::size_t i = 0; i < list.m_stdvEntries.size(); ++i) {
        CDX9KelPhysicalForce* e = list.m_stdvEntries[i];
        if (!e) continue;
        switch (e->m_iKind) {
        case FORCE_STEP:
            sum->m_fValue += e->m_fValue;
            RemoveEntry(axis, static_cast<int>(i));
            break;
        case FORCE_RAMP:
            if (e->m_fElapsed < e->m_fDuration) {
                sum->m_fValue += e->m_fValue;
                e->m_fElapsed += dt;
                e->m_fValue = e->m_fElapsed / e->m_fDuration * e->m_fTarget;
            } else {
                RemoveEntry(axis, static_cast<int>(i));
            }
            break;
        case FORCE_CONSTANT:
            sum->m_fValue += e->m_fValue;
            break;
        case FORCE_GRAVITY:
            if (!m_pParent) {
                if (e->m_fValue != 0.0f) {
                    e->m_fValue = weight * kGravity * e->m_fValue;
                    sum->m_fValue += e->m_fValue;
                }
            } else {
                e->m_fValue = weight * -kGravity;
                sum->m_fValue += e->m_fValue;
            }
            break;
        case FORCE_BUOYANCY:
            if (!m_pParent) {
                const float h = m_fHalfHeight;
                float d = depth;
                if (e->m_fValue != 0.0f && d > -h) {
                    float f = 1.0f;
                    if (d < 0.0f) {
                        f = d / h + 1.0f;
                        d = 0.0f;
                    }
                    if (d >= h) d = h;
                    e->m_fValue = f * kGravity * m_fMass * (3.0f * d + 1.0f) * e->m_fValue;
                    sum->m_fValue += e->m_fValue;
                }
            } else if (depth > 0.0f) {
                e->m_fValue = (180.0f * depth + 1.0f) * m_fMass * kGravity;
                sum->m_fValue += e->m_fValue;
            }
            break;
        case FORCE_RESISTANCE:
            if (s != 0.0f) drag->m_fValue += (v > 0.0f ? cPos : cNeg) * v * v;
            break;
        case FORCE_BRAKE:
            if (s != 0.0f && CDX9KelUtils::Sign(e->m_fValue) != s) drag->m_fValue += v * v * e->m_fValue;
            RemoveEntry(axis, static_cast<int>(i));
            break;
        default:
            break;
        }
    }
    if (drag->m_fValue != 0.0f) {
        const float sD = CDX9KelUtils::Sign(drag->m_fValue);
        const float sS = CDX9KelUtils::Sign(sum->m_fValue);
        if ((sS != sD && std::fabs(sum->m_fValue) < std::fabs(drag->m_fValue)) ||
            (sS == sD && std::fabs(100.0f * sum->m_fValue) < std::fabs(drag->m_fValue)))
            sum->m_iKind = FORCE_RESISTANCE;
        sum->m_fValue += drag->m_fValue;
    }
    m_pOwner->ReturnForce(drag);
    m_apResolved[axis] = sum;
}

bool CDX9KelPhysicalBody::Step(const D3DXMATRIX* world, float depth, float dt) {
    if (!m_pOwner) return false;
    if (!m_pParent && (!world || !IsFiniteMatrix(*world))) return false;
    if (!std::isfinite(depth) || !std::isfinite(dt)) return false;

    if (!m_pParent) {
        for (int r = 0; r < 3; ++r) m_avAxes[r] = D3DXVECTOR3(world->m[r][0], world->m[r][1], world->m[r][2]);
        for (int axis = 0; axis < 3; ++axis) {
            const float vertical = m_avAxes[axis].y; // axis row . (0, 1, 0)
            if (m_bGravity) {
                const int slot = m_aForces[axis].FindKind(FORCE_GRAVITY);
                if (slot >= 0) m_aForces[axis].m_stdvEntries[slot]->m_fValue = -vertical;
            }
            if (m_bBuoyancy) {
                const int slot = m_aForces[axis].FindKind(FORCE_BUOYANCY);
                if (slot >= 0) m_aForces[axis].m_stdvEntries[slot]->m_fValue = vertical;
            }
        }
    }

    const float total = m_fMass + m_fExtraMass;
    float* vel = m_vVelocity;
    const float* imp = m_vImpulse;
    const float* addPos = m_vAddedMassPos;
    const float* addNeg = m_vAddedMassNeg;
    for (int axis = 0; axis < 3; ++axis) {
        const float j = imp[axis];
        if (j == 0.0f) continue;
        const float m = total + (j > 0.0f ? addPos[axis] : addNeg[axis]);
        if (!(m > 0.0f)) continue;
        float dv = j / m;
        if (std::fabs(dv) <= 0.0001f) dv = 0.0f;
        vel[axis] += dv;
    }

    const float* cPos = m_vDragPos;
    const float* cNeg = m_vDragNeg;
    for (int axis = 0; axis < 3; ++axis) {
        if (m_apResolved[axis]) m_pOwner->ReturnForce(m_apResolved[axis]);
        m_apResolved[axis] = nullptr;
        if (!IsHanded(axis)) ResolveAxis(axis, depth, cPos[axis], cNeg[axis], vel[axis], dt);
    }

    m_vPrevVelocity = m_vVelocity;
    for (int axis = 0; axis < 3; ++axis) {
        const CDX9KelPhysicalForce* r = m_apResolved[axis];
        if (!r || r->m_fValue == 0.0f) continue;
        const float f = r->m_fValue;
        const float m = total + (f > 0.0f ? addPos[axis] : addNeg[axis]);
        if (!(m > 0.0f)) continue;
        const float v = vel[axis];
        float vNew = v + f / m * dt;
        if (r->m_iKind == FORCE_RESISTANCE && CDX9KelUtils::Sign(v) != CDX9KelUtils::Sign(vNew)) vNew = 0.0f;
        // A runaway value is stopped here rather than passed on to the scene.
        vel[axis] = std::isfinite(vNew) ? vNew : 0.0f;
    }

    m_vAddedMassPos = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_vAddedMassNeg = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    m_vImpulse = D3DXVECTOR3(0.0f, 0.0f, 0.0f);
    return true;
}

} // namespace Vorna3D
