#include "seabattle/battle/CVR3GAMEMovementShipsColumn.h"

#include "seabattle/battle/CVR3GAMEMovementShip.h"
#include "seabattle/battle/CVR3GAMEMovementSteering.h"

#include <algorithm>
#include <cmath>

namespace SeaBattle {

CVR3GAMEMovementShipsColumn::~CVR3GAMEMovementShipsColumn() {
    for (CVR3GAMEMovementShip* s : m_stdvShips)
        if (s && s->m_pColumn == this) {
            s->m_pColumn = nullptr;
            s->m_iColumnIndex = -1;
        }
}

float CVR3GAMEMovementShipsColumn::TurningAllowance() const {
    const CVR3GAMEMovementShip* l = GetLeader();
    if (!l || !(l->m_fMaxRudderAngle > 0.0f)) return 0.1f;
    return std::fabs(l->m_fRudderAngle / l->m_fMaxRudderAngle) * 3.5f + 0.1f;
}

void CVR3GAMEMovementShipsColumn::Proc(int mode, float dt) {
    ProcSpeedSteps(dt);
    bool limits = false;
    for (CVR3GAMEMovementShip* s : m_stdvShips) {
        if (!s) continue;
        s->Proc(mode, dt);
        if (s->m_bLimitsChanged) {
            s->m_bLimitsChanged = false;
            limits = true;
        }
    }
    if (limits) UpdateSpeedLimits();
}

void CVR3GAMEMovementShipsColumn::SetSpeed(float v, bool force) {
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return;
    if (!force && std::fabs(v - m_fOrderedSpeed) <= 0.01f) return;
    if (v > m_fMaxSpeed) v = m_fMaxSpeed;
    m_fOrderedSpeed = v;
    if (m_stdvShips.size() > 1) v = NextSpeedStep(v);
    l->SetOrderedSpeed(v);
}

void CVR3GAMEMovementShipsColumn::SetRudder(float a) {
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return;
    if (m_stdvShips.size() > 1) a = a < 0.0f ? -std::min(-a, m_fTurnLimit) : std::min(a, m_fTurnLimit);
    l->SetOrderedRudder(a);
}

void CVR3GAMEMovementShipsColumn::SetRouteSpeed(float v) {
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return;
    if (std::fabs(v - m_fOrderedSpeed) <= 0.01f && l->m_fRouteSpeed != 0.0f) return;
    if (v < 0.0f) return;
    if (v > m_fMaxSpeed) v = m_fMaxSpeed;
    m_fOrderedSpeed = v;
    if (m_stdvShips.size() > 1) v = NextSpeedStep(v);
    l->SetRouteSpeed(v);
}

void CVR3GAMEMovementShipsColumn::SetCourse(float x, float z) {
    if (CVR3GAMEMovementShip* l = GetLeader()) l->PostCourse(x, z);
}

void CVR3GAMEMovementShipsColumn::SetTargetPoint(float x, float z) {
    if (CVR3GAMEMovementShip* l = GetLeader()) l->PostTargetPoint(x, z);
}

float CVR3GAMEMovementShipsColumn::NextSpeedStep(float v) {
    const CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return v;
    if (v <= 0.0f || l->m_fSpeed >= v) {
        m_fStepTarget = -1.0f;
        return v;
    }
    if (m_fStepTimer != -1.0f) return m_fStepTarget > 0.0f ? m_fStepTarget : v;
    // Without a step size (a column whose speed cap fell to 0) there is
    // nothing to step through.
    if (!(m_fSpeedStep > 0.0f)) {
        m_fStepTarget = -1.0f;
        return v;
    }
    const float n = std::nearbyint(l->m_fSpeed / m_fSpeedStep);
    const float next = n * m_fSpeedStep + m_fSpeedStep;
    if (m_fStepTarget == -1.0f) {
        m_fStepTarget = next;
    } else if (m_fStepTarget - TurningAllowance() <= l->m_fSpeed || m_fStepTarget >= next) {
        m_fStepTarget = next;
    }
    if (m_fStepTarget > m_fMaxSpeed) m_fStepTarget = m_fMaxSpeed;
    return v < m_fStepTarget ? v : m_fStepTarget;
}

void CVR3GAMEMovementShipsColumn::ProcSpeedSteps(float dt) {
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l || m_fStepTarget == -1.0f) return;
    if (std::fabs(l->m_fSpeed - m_fOrderedSpeed) <= 0.1f) {
        m_fStepTarget = m_fStepTimer = -1.0f;
        return;
    }
    if (m_fStepTimer != -1.0f) {
        if (m_fStepTimer < m_fStepHoldTime) {
            m_fStepTimer += dt;
        } else {
            m_fStepTimer = -1.0f;
            // The leader gets the next step, but never more than the order:
            // the last step above the ordered speed stops at it.
            const float s = NextSpeedStep(m_fOrderedSpeed);
            if (s < 0.0f) return;
            if (l->m_iCurrentOrder == ORDER_NONE) l->SetOrderedSpeed(s);
            else l->SetRouteSpeed(s);
        }
    }
    if (m_fStepTarget - TurningAllowance() <= l->m_fSpeed && m_fStepTimer == -1.0f) m_fStepTimer = 0.0f;
}

bool CVR3GAMEMovementShipsColumn::AddMovementShip(int index, CVR3GAMEMovementShip* pShip, bool relink) {
    if (!pShip || pShip->m_pColumn) return false;
    const int count = static_cast<int>(m_stdvShips.size());
    if (index == 0) m_stdvShips.insert(m_stdvShips.begin(), pShip);
    else if (index > 0 && index < count) m_stdvShips.insert(m_stdvShips.begin() + index, pShip);
    else m_stdvShips.push_back(pShip);
    pShip->m_pColumn = this;
    RenumberShips();
    if (relink) {
        UpdateSpeedLimits();
        LinkShipsInLine();
    }
    return true;
}

bool CVR3GAMEMovementShipsColumn::RemoveMovementShip(CVR3GAMEMovementShip* pShip) {
    if (!pShip || pShip->m_pColumn != this) return false;
    const int i = pShip->m_iColumnIndex;
    if (i >= 0 && static_cast<std::size_t>(i) < m_stdvShips.size() && m_stdvShips[i] == pShip) {
        m_stdvShips.erase(m_stdvShips.begin() + i);
    } else {
        auto it = std::find(m_stdvShips.begin(), m_stdvShips.end(), pShip);
        if (it != m_stdvShips.end()) m_stdvShips.erase(it);
    }
    pShip->m_pColumn = nullptr;
    pShip->m_iColumnIndex = -1;
    RenumberShips();
    UpdateSpeedLimits();
    LinkShipsInLine();
    return true;
}

void CVR3GAMEMovementShipsColumn::RenumberShips() {
    for (std::size_t i = 0; i < m_stdvShips.size(); ++i)
        if (m_stdvShips[i]) m_stdvShips[i]->m_iColumnIndex = static_cast<int>(i);
}

void CVR3GAMEMovementShipsColumn::LinkShipsInLine() {
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return;
    if (l->m_pSteering) l->m_pSteering->ClearOrder();
    l->m_iCurrentOrder = ORDER_NONE;
    for (std::size_t i = 1; i < m_stdvShips.size(); ++i) {
        if (!m_stdvShips[i] || !m_stdvShips[i - 1]) break;
        m_stdvShips[i]->PostFollow(m_stdvShips[i - 1]);
    }
}

void CVR3GAMEMovementShipsColumn::UpdateSpeedLimits() {
    if (m_stdvShips.empty()) return;
    m_fMaxSpeed = 1000.0f;
    m_fTurningValue = 1000.0f;
    m_uShipCount = static_cast<uint32_t>(m_stdvShips.size());
    for (std::size_t i = 0; i < m_stdvShips.size(); ++i) {
        CVR3GAMEMovementShip* s = m_stdvShips[i];
        if (!s) continue;
        m_fMaxSpeed = std::min(m_fMaxSpeed, s->m_fMaxSpeed);
        m_fTurningValue = std::min(m_fTurningValue, s->m_fMaxRotAngle);
        s->m_fTurnLimit = s->m_fMaxRotAngle;
        if (i > 0) s->SetRouteSpeed(s->m_fMaxSpeed);
    }
    if (m_stdvShips.size() > 1) {
        m_fTurningValue *= kMargin;
        m_fMaxSpeed *= kMargin;
        if (m_fOrderedSpeed > m_fMaxSpeed) m_fOrderedSpeed = m_fMaxSpeed;
    }
    m_fSpeedStep = m_fMaxSpeed * kStepShare;
    CVR3GAMEMovementShip* l = GetLeader();
    if (!l) return;
    m_fTurnLimit = l->GetRudderForTurn(m_fTurningValue);
    l->m_fTurnLimit = std::min(l->m_fMaxRotAngle, std::fabs(m_fTurningValue));
}

} // namespace SeaBattle
